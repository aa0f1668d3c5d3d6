#pragma once
// Hiding and showing another program's window by its title: the button, two menu
// items and the global hotkeys Alt+Z and Alt+X.

#include <cstdint>

#include "platform/platform.h"

struct App;

inline constexpr int HotkeyIdBase = 33000;
// The program's modifier codes (registerHotkey translates them into MOD_ flags).
inline constexpr std::int32_t HotkeyModifierCtrl = 1;
inline constexpr std::int32_t HotkeyModifierShift = 2;
inline constexpr std::int32_t HotkeyModifierCtrlShift = 3;
inline constexpr std::int32_t HotkeyModifierAlt = 4;
inline constexpr std::int32_t HotkeyModifierCtrlAlt = 5;
inline constexpr std::int32_t HotkeyModifierShiftAlt = 6;
inline constexpr std::uint32_t VirtualKeyZ = 0x5A;
inline constexpr std::uint32_t VirtualKeyX = 0x58;

// Ids issued so far and the control that hotkey notifications go to.
struct HotkeyRegistry {
    int sequence = 0;
    int lastId = 0;
    Hwnd notifyControl = Hwnd::none;
};

// Registers a hotkey and returns its id (33001 upward), or 0 when the system refused
// it; a refused registration still uses up its id. The notification control becomes
// the one that hotkey notifications go to.
int registerHotkey(Platform& platform, HotkeyRegistry& registry, Hwnd owner, Hwnd notifyControl,
                   std::int32_t modifierCode, std::uint32_t virtualKey);

// WM_HOTKEY reaching the main window: ids this program issued go to the notification
// control's feedback event first.
void deliverHotkey(App& app, std::uintptr_t id);
// The feedback event of the local-time label: the hotkey dispatch.
void onHotkeyFeedback(App& app, int id, int unused);

// Hide and show the top-level window titled as 编辑框_标题 says. An empty title names
// no window, and then nothing is looked up or touched.
void hideWindowByTitle(App& app);
void showWindowByTitle(App& app);
void onHideButtonClicked(App& app);
void menuHideWindow(App& app);
void menuShowWindow(App& app);
