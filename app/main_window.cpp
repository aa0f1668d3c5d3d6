#include "app/main_window.h"

#include "app/program.h"
#include "app/tray.h"
#include "common/images.h"
#include "hide/hide_show.h"
#include "power/power_action.h"

const std::array<MenuItem, MenuItemCount> MenuItems{{
    {"&F.程序", 0, menuflag::Hidden, nullptr},
    {"M.主界面", 1, 0, showMainWindowFromMenu},
    {MenuSeparator, 1, menuflag::Hidden | menuflag::Disabled, nullptr},
    {"H.隐藏(Alt+Z)", 1, 0, menuHideWindow},
    {"D.显示(Alt+X)", 1, 0, menuShowWindow},
    {MenuSeparator, 1, 0, nullptr},
    {"S.快速关机", 1, 0, quickShutdown},
    {"R.快速重启", 1, 0, quickRestart},
    {"C.快速注销", 1, 0, quickLogOff},
    {"D.快速休眠", 1, 0, quickSuspend},
    {MenuSeparator, 1, 0, nullptr},
    {"E.说明", 1, 0, showAbout},
    {"S.退出", 1, 0, exitFromMenu},
    {"C.取消", 1, 0, cancelMenu},
}};

namespace {

constexpr const char* CannotCreateWindowText = "无法创建主窗口。";

struct ControlClass {
    const char* className;
    std::uint32_t style;
    std::uint32_t exStyle;
};

ControlClass classOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::GroupBox:
        // The controls inside take part in Tab navigation.
        return {windowclass::Button, win::WsChild | win::BsGroupBox | win::BsLeft, win::WsExControlParent};
    case ControlKind::Label: return {windowclass::Label, win::WsChild, 0};
    case ControlKind::EditBox:
        return {windowclass::Edit, win::WsChild | win::WsTabStop | win::EsAutoHScroll, win::WsExClientEdge};
    case ControlKind::PictureBox: return {windowclass::Picture, win::WsChild, 0};
    case ControlKind::PushButton:
        return {windowclass::Button,
                win::WsChild | win::WsTabStop | win::BsPushButton | win::BsCenter | win::BsVCenter | win::BsMultiLine,
                0};
    case ControlKind::Spinner: return {windowclass::UpDown, win::WsChild, 0};
    case ControlKind::RadioButton:
        return {
            windowclass::Button,
            win::WsChild | win::WsTabStop | win::BsAutoRadioButton | win::BsLeft | win::BsVCenter | win::BsMultiLine,
            0};
    case ControlKind::Timer: return {windowclass::Timer, win::WsChild, 0};
    }
    return {windowclass::Label, win::WsChild, 0};
}

bool hasTextColour(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::GroupBox || kind == ControlKind::RadioButton;
}

// A top item goes on the menu bar only when it is not hidden, with its shown sub-items.
// None when no top item is shown.
MenuHandle buildMenuBar(App& app) {
    const MenuList list{MenuItems.data(), MenuItems.size()};
    MenuHandle bar = MenuHandle::none;
    for (std::size_t position = 0; position < list.count; position = list.nextSibling(position)) {
        const MenuItem& top = list.items[position];
        if ((top.flags & menuflag::Hidden) != 0) {
            continue;
        }
        if (bar == MenuHandle::none) {
            bar = app.platform.createMenu();
        }
        const MenuHandle branch = buildPopUpMenu(app.platform, list, position);
        app.platform.appendMenu(bar, win::MfPopup, static_cast<std::uintptr_t>(branch), top.caption);
    }
    return bar;
}

void createMainWindow(App& app, MenuHandle menuBar) {
    Platform& platform = app.platform;
    const int left = (platform.getSystemMetrics(win::SmCxScreen) - MainWindowWidth) / 2;
    const int top = (platform.getSystemMetrics(win::SmCyScreen) - MainWindowHeight) / 2;
    app.main.window =
        platform.createWindowEx(0, windowclass::Main, MainWindowTitle, MainWindowStyle, left, top, MainWindowWidth,
                                MainWindowHeight, Hwnd::none, static_cast<std::uintptr_t>(menuBar), &app);
    if (app.main.window == Hwnd::none) {
        fatalError(app, CannotCreateWindowText);
    }
    const Rect outer = platform.getWindowRect(app.main.window);
    if (outer.right - outer.left != MainWindowWidth || outer.bottom - outer.top != MainWindowHeight) {
        platform.moveWindow(app.main.window, outer.left, outer.top, MainWindowWidth, MainWindowHeight);
    }
    app.main.icon = iconFromIcoBytes(platform, trayIconImage);
    const auto icon = static_cast<std::intptr_t>(app.main.icon);
    platform.sendMessage(app.main.window, win::WmSetIcon, win::IconBig, icon);
    platform.sendMessage(app.main.window, win::WmSetIcon, win::IconSmall, icon);
    platform.sendMessage(app.main.window, win::WmSetFont, static_cast<std::uintptr_t>(platform.defaultGuiFont()), 0);
}

void createControl(App& app, const ControlDescription& description, FontHandle font, int minimumEditHeight) {
    Platform& platform = app.platform;
    const ControlClass kind = classOf(description.kind);
    const Hwnd parent = description.parent == NoParent
                            ? app.main.window
                            : app.main.controls[static_cast<std::size_t>(description.parent)];
    int height = description.height;
    if (description.kind == ControlKind::EditBox && height < minimumEditHeight) {
        height = minimumEditHeight;
    }
    const Hwnd control = platform.createWindowEx(kind.exStyle, kind.className, description.text, kind.style,
                                                 description.left, description.top, description.width, height, parent,
                                                 controlId(description.name), nullptr);
    app.main.controls[static_cast<std::size_t>(index(description.name))] = control;
    platform.sendMessage(control, win::WmSetFont, static_cast<std::uintptr_t>(font), 0);
    if (hasTextColour(description.kind)) {
        platform.setTextColour(control, description.colour);
    }
    switch (description.kind) {
    case ControlKind::EditBox: platform.sendMessage(control, win::EmLimitText, 0, 0); break;
    case ControlKind::RadioButton:
        if (description.checked) {
            platform.sendMessage(control, win::BmSetCheck, static_cast<std::uintptr_t>(win::BstChecked), 0);
        }
        break;
    case ControlKind::PictureBox: writePicture(platform, control, app.main.state(description.name), targetImage); break;
    case ControlKind::Timer:
        writePeriod(platform, control, app.main.state(description.name), description.period);
        break;
    default: break;
    }
}

}  // namespace

void buildMainWindow(App& app) {
    Platform& platform = app.platform;
    createMainWindow(app, buildMenuBar(app));
    const FontHandle font = platform.defaultGuiFont();
    const int minimumEditHeight = platform.fontLineHeight(font) + 2 * platform.getSystemMetrics(win::SmCyEdge);
    for (const ControlDescription& description : Controls) {
        createControl(app, description, font, minimumEditHeight);
    }
    for (const ControlDescription& description : Controls) {
        if (description.kind != ControlKind::Timer) {
            platform.showWindow(app.main.handle(description.name), win::SwShowNa);
        }
    }
    app.eventsEnabled = true;
    app.onCreated();
    if (!platform.isWindow(app.main.window)) {
        return;
    }
    platform.showWindow(app.main.window, win::SwShow);
}
