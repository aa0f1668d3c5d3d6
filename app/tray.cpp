#include "app/tray.h"

#include <cstring>

#include "app/program.h"
#include "common/control_properties.h"
#include "common/images.h"
#include "common/little_endian.h"
#include "common/message_box.h"

namespace {

constexpr std::size_t IconDirectorySize = 6;
constexpr std::size_t IconEntrySize = 16;
constexpr std::size_t BitmapHeaderMinimum = 16;  // up to and including biBitCount
constexpr std::uint16_t IconType = 1;
constexpr std::uint16_t CursorType = 2;
constexpr std::uint8_t MinimumColourCount = 16;
constexpr std::uint16_t SixteenBitsPerPixel = 16;

// One pass over the directory, looking for an image `width` pixels wide.
IconHandle iconFromIcoPass(Platform& platform, ByteSet file, int width) {
    const unsigned char* bytes = file.bytes;
    if (bytes == nullptr || file.size < IconDirectorySize) {
        return IconHandle::none;
    }
    const std::uint16_t type = readWord(bytes + 2);
    const std::uint16_t count = readWord(bytes + 4);
    if (readWord(bytes) != 0 || (type != IconType && type != CursorType) || count == 0) {
        return IconHandle::none;
    }
    const unsigned char* chosen = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = IconDirectorySize + i * IconEntrySize;
        if (at + IconEntrySize > file.size) {
            return IconHandle::none;
        }
        chosen = bytes + at;
        if (chosen[2] >= MinimumColourCount && chosen[0] == width) {
            break;
        }
    }
    if (chosen == nullptr) {
        return IconHandle::none;
    }
    const std::uint32_t size = readDword(chosen + 8);
    const std::uint32_t offset = readDword(chosen + 12);
    if (offset > file.size || size > file.size - offset || size < BitmapHeaderMinimum) {
        return IconHandle::none;
    }
    const unsigned char* image = bytes + offset;
    const std::int32_t imageWidth = readLong(image + 4);
    const std::int32_t imageHeight = readLong(image + 8) / 2;
    const std::uint16_t bitCount = readWord(image + 14);
    IconHandle icon = platform.createIconFromResourceEx(image, size, true, win::IconResourceVersion, imageWidth,
                                                        imageHeight, win::LrDefaultColor);
    if (icon == IconHandle::none && bitCount != SixteenBitsPerPixel) {
        icon = platform.createIconFromResource(image, size, true, win::IconResourceVersion);
    }
    return icon;
}

}  // namespace

IconHandle iconFromIcoBytes(Platform& platform, ByteSet icoFile) {
    constexpr int SmallWidth = 16;
    constexpr int LargeWidth = 32;
    const IconHandle icon = iconFromIcoPass(platform, icoFile, SmallWidth);
    return icon != IconHandle::none ? icon : iconFromIcoPass(platform, icoFile, LargeWidth);
}

namespace {

constexpr std::uint32_t TrayIconFlags = win::NifMessage | win::NifIcon | win::NifTip;
constexpr int PopUpOffset = 3;  // the pop-up's corner lies this far right of and below the cursor
constexpr std::uint32_t PopUpFlags = win::TpmRightButton | win::TpmLeftAlign | win::TpmTopAlign;

constexpr const char* QuestionTitle = "关机助手:";
constexpr const char* CloseQuestion = " 是否关闭小助手 ？\r\n是-关闭小助手 否-最小化托盘";
constexpr const char* ExitQuestion = " 是否关闭小助手 ？";
constexpr const char* AboutTitle = "关于作者：";
constexpr const char* AboutText =
    "静守时钟分秒移，到点关机不迟疑。\r\n"
    "轻藏窗口无人见，一键唤回在眼前。\r\n"
    "          --林舟";
constexpr const char* StartTip = "nolva助手";
constexpr const char* TrayTip = "Vorla关机小助手";

// A zeroed record for the window's icon, with at most TrayTipLimit bytes of the tooltip.
NotifyIconData trayRecord(Hwnd window, const char* tooltip) {
    NotifyIconData data{};
    data.cbSize = win::NotifyIconDataV1Size;
    data.hWnd = window;
    data.uID = TrayIconId;
    const std::size_t length = textLength(tooltip);
    std::memcpy(data.szTip, tooltip == nullptr ? "" : tooltip, length < TrayTipLimit ? length : TrayTipLimit);
    return data;
}

void showIcon(NotifyIconData& data, IconHandle icon) {
    data.uFlags = TrayIconFlags;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = icon;
}

bool isSeparator(const MenuItem& item) { return compareTexts(item.caption, MenuSeparator) == 0; }

std::uint32_t commandId(std::size_t position) { return MenuCommandBase + static_cast<std::uint32_t>(position); }

}  // namespace

bool MenuList::hasSubItems(std::size_t position) const {
    return position + 1 < count && items[position + 1].level > items[position].level;
}

std::size_t MenuList::nextSibling(std::size_t position) const {
    std::size_t next = position + 1;
    while (next < count && items[next].level > items[position].level) {
        ++next;
    }
    return next;
}

MenuHandle buildPopUpMenu(Platform& platform, MenuList list, std::size_t parent) {
    const MenuHandle popUp = platform.createPopupMenu();
    if (popUp == MenuHandle::none) {
        return MenuHandle::none;
    }
    const int parentLevel = list.items[parent].level;
    for (std::size_t position = parent + 1; position < list.count && list.items[position].level > parentLevel;
         position = list.nextSibling(position)) {
        const MenuItem& item = list.items[position];
        if ((item.flags & menuflag::Hidden) != 0) {
            continue;
        }
        const std::uint32_t grayed = (item.flags & menuflag::Disabled) != 0 ? win::MfGrayed : 0;
        if (isSeparator(item)) {
            platform.appendMenu(popUp, win::MfSeparator, commandId(position), nullptr);
        } else if (list.hasSubItems(position)) {
            const MenuHandle subMenu = buildPopUpMenu(platform, list, position);
            if (subMenu == MenuHandle::none) {
                platform.destroyMenu(popUp);
                return MenuHandle::none;
            }
            platform.appendMenu(popUp, win::MfPopup | grayed, static_cast<std::uintptr_t>(subMenu), item.caption);
        } else {
            const std::uint32_t checked = (item.flags & menuflag::Ticked) != 0 ? win::MfChecked : 0;
            platform.appendMenu(popUp, win::MfString | checked | grayed, commandId(position), item.caption);
        }
    }
    return popUp;
}

void setTrayIcon(Platform& platform, TrayState& tray, Hwnd window, ByteSet icoFile, const char* tooltip) {
    const IconHandle icon = icoFile.empty() ? IconHandle::none : iconFromIcoBytes(platform, icoFile);
    NotifyIconData data = trayRecord(window, tooltip);
    if (tray.held != IconHandle::none) {
        if (icon == IconHandle::none) {
            platform.shellNotifyIcon(win::NimDelete, data);
        } else {
            showIcon(data, icon);
            platform.shellNotifyIcon(win::NimModify, data);
        }
        platform.destroyIcon(tray.held);
    } else if (icon != IconHandle::none) {
        showIcon(data, icon);
        platform.shellNotifyIcon(win::NimAdd, data);
    }
    tray.held = icon;
    tray.image = icon == IconHandle::none ? ByteSet{} : icoFile;
    std::memcpy(tray.tip, data.szTip, sizeof tray.tip);
}

TrayEvent trayEventFor(std::intptr_t lParam) {
    switch (lParam) {
    case win::WmLButtonUp: return LeftButtonUp;
    case win::WmLButtonDblClk: return LeftDoubleClick;
    case win::WmRButtonUp:
    case win::WmContextMenu: return RightButtonUp;
    default: return NoTrayEvent;
    }
}

void onTrayEvent(App& app, int value) {
    switch (value) {
    case LeftDoubleClick: setWindowVisible(app.platform, app.main.window, true); break;
    case RightButtonUp: popUpMenu(app, ProgramMenu); break;
    default: break;
    }
}

// A re-created taskbar has forgotten every icon: add the one the window holds again,
// with the tooltip in force, on an icon made afresh from the same image.
void onTaskbarCreated(App& app) {
    TrayState& tray = app.tray;
    if (tray.held == IconHandle::none) {
        return;
    }
    const IconHandle icon = iconFromIcoBytes(app.platform, tray.image);
    if (icon == IconHandle::none) {
        return;
    }
    NotifyIconData data = trayRecord(app.main.window, tray.tip);
    showIcon(data, icon);
    app.platform.shellNotifyIcon(win::NimAdd, data);
    app.platform.destroyIcon(tray.held);
    tray.held = icon;
}

void popUpMenu(App& app, int menuPosition) {
    const MenuList list{MenuItems.data(), MenuItems.size()};
    if (menuPosition < 0 || static_cast<std::size_t>(menuPosition) >= list.count ||
        !list.hasSubItems(static_cast<std::size_t>(menuPosition))) {
        return;
    }
    Platform& platform = app.platform;
    const MenuHandle popUp = buildPopUpMenu(platform, list, static_cast<std::size_t>(menuPosition));
    if (popUp == MenuHandle::none) {
        return;
    }
    const Point cursor = platform.getCursorPos();
    // A notification-area menu closes on a click elsewhere only when its owner is the
    // foreground window, and needs a message posted after it to close reliably.
    platform.setForegroundWindow(app.main.window);
    platform.trackPopupMenu(popUp, PopUpFlags, cursor.x + PopUpOffset, cursor.y + PopUpOffset, app.main.window);
    platform.postMessage(app.main.window, win::WmNull, 0, 0);
    platform.destroyMenu(popUp);
}

void setWindowVisible(Platform& platform, Hwnd window, bool visible) { writeVisible(platform, window, visible); }

std::optional<bool> onCloseRequested(App& app) {
    if (showMessageBox(app.platform, CloseQuestion, QuestionTitle, win::MbYesNo) == win::IdYes) {
        exitProgram(app, 0);
    }
    setTrayIcon(app.platform, app.tray, app.main.window, trayIconImage, TrayTip);
    setWindowVisible(app.platform, app.main.window, false);
    return false;
}

void addTrayIconAtStart(App& app) { setTrayIcon(app.platform, app.tray, app.main.window, trayIconImage, StartTip); }

void showMainWindowFromMenu(App& app) { setWindowVisible(app.platform, app.main.window, true); }

void cancelMenu(App&) {}

void exitFromMenu(App& app) {
    if (showMessageBox(app.platform, ExitQuestion, QuestionTitle, win::MbYesNo) == win::IdYes) {
        exitProgram(app, 0);
    }
}

void showAbout(App& app) { showMessageBox(app.platform, AboutText, AboutTitle, win::MbOk); }
