#include "hide/hide_show.h"

#include "app/program.h"

int registerHotkey(Platform&, HotkeyRegistry&, Hwnd, Hwnd, std::int32_t, std::uint32_t) { return 0; }
void deliverHotkey(App&, std::uintptr_t) {}
void onHotkeyFeedback(App&, int, int) {}
void hideWindowByTitle(App&) {}
void showWindowByTitle(App&) {}
void onHideButtonClicked(App&) {}
void menuHideWindow(App&) {}
void menuShowWindow(App&) {}
