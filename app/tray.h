#pragma once
// The notification-area icon, its pop-up menu and the close-to-tray question.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "app/main_window.h"
#include "common/text.h"
#include "platform/platform.h"

struct App;

inline constexpr std::uint32_t TrayIconId = 100;
inline constexpr std::size_t TrayTipLimit = 62;

// The icon the window shows in the notification area, which it owns, and what it was
// made from, so that it can be added again when the taskbar is re-created.
struct TrayState {
    IconHandle held = IconHandle::none;
    ByteSet image;                                // the .ico bytes of the held icon
    char tip[sizeof NotifyIconData::szTip] = {};  // the tooltip in force
};

// An icon from .ico bytes: a 16-pixel image first, then a 32-pixel one. None when the
// bytes hold no usable image.
IconHandle iconFromIcoBytes(Platform& platform, ByteSet icoFile);

// Adds, changes or (with no icon) removes the window's icon. Bytes that make no icon
// count as no icon. The tooltip is cut to its first TrayTipLimit bytes.
void setTrayIcon(Platform& platform, TrayState& tray, Hwnd window, ByteSet icoFile, const char* tooltip);

enum TrayEvent : int { NoTrayEvent = 0, LeftButtonUp = 1, LeftDoubleClick = 2, RightButtonUp = 3 };
TrayEvent trayEventFor(std::intptr_t lParam);

void onTrayEvent(App& app, int value);
// The shell's taskbar was re-created: the held icon is added again.
void onTaskbarCreated(App& app);
// Pops up the sub-items of the menu list's item at `menuPosition` at the cursor; the
// chosen entry arrives as WM_COMMAND once the pop-up has closed.
void popUpMenu(App& app, int menuPosition);

// A menu list: items with their levels, a command identifier per position.
struct MenuList {
    const MenuItem* items;
    std::size_t count;
    // Whether the item at `position` is followed by items of a higher level.
    bool hasSubItems(std::size_t position) const;
    // The first position after `position` that is not below it.
    std::size_t nextSibling(std::size_t position) const;
};
// A pop-up of the items below `parent` (which must have sub-items): hidden items are left
// out with what is below them, each item gets MenuCommandBase + its position, and
// items with sub-items become sub-menus built the same way. None when a menu cannot be
// created.
MenuHandle buildPopUpMenu(Platform& platform, MenuList list, std::size_t parent);

void setWindowVisible(Platform& platform, Hwnd window, bool visible);
// The close question: Yes ends the program, No hides the window to the tray and
// answers false, which refuses the close.
std::optional<bool> onCloseRequested(App& app);
// The created handler's tray step.
void addTrayIconAtStart(App& app);

// Menu entries: "M.主界面", "C.取消" (choosing it only closes the pop-up), "S.退出"
// (asks, and ends the program on Yes) and "E.说明".
void showMainWindowFromMenu(App& app);
void cancelMenu(App& app);
void exitFromMenu(App& app);
void showAbout(App& app);
