#pragma once
// The notification-area icon, its pop-up menu and the close-to-tray question.

#include <cstdint>
#include <optional>

#include "common/text.h"
#include "platform/platform.h"

struct App;

inline constexpr std::uint32_t TrayIconId = 100;
inline constexpr std::size_t TrayTipLimit = 62;

// The icon the window shows in the notification area, which it owns.
struct TrayState {
    IconHandle held = IconHandle::none;
    char tip[64] = {};  // the tooltip in force, for adding the icon again
};

// An icon from .ico bytes: a 16-pixel image first, then a 32-pixel one. None when the
// bytes hold no usable image.
IconHandle iconFromIcoBytes(Platform& platform, ByteSet icoFile);

// Adds, changes or (with no icon) removes the window's icon.
void setTrayIcon(Platform& platform, TrayState& tray, Hwnd window, ByteSet icoFile, const char* tooltip);

enum TrayEvent : int { NoTrayEvent = 0, LeftButtonUp = 1, LeftDoubleClick = 2, RightButtonUp = 3 };
TrayEvent trayEventFor(std::intptr_t lParam);

void onTrayEvent(App& app, int value);
void onTaskbarCreated(App& app);
void popUpMenu(App& app, int menuPosition);
void setWindowVisible(Platform& platform, Hwnd window, bool visible);
// The close question. False refuses the close.
std::optional<bool> onCloseRequested(App& app);
// The created handler's tray step.
void addTrayIconAtStart(App& app);

// Menu entries.
void showMainWindowFromMenu(App& app);
void cancelMenu(App& app);
void exitFromMenu(App& app);
void showAbout(App& app);
