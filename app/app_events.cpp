// The main window's events, routed to their handlers by control.

#include "app/local_time.h"
#include "app/program.h"
#include "app/tray.h"
#include "hide/hide_show.h"
#include "hide/picker.h"
#include "power/scheduled_task.h"

namespace {

constexpr std::uint32_t ButtonClicked = 0;  // BN_CLICKED

bool isControl(const App& app, Hwnd window, Control control) {
    return window != Hwnd::none && app.main.handle(control) == window;
}

bool eventsAllowed(const App& app) { return app.eventsEnabled && !app.ending; }

}  // namespace

int MainWindow::find(Hwnd control) const {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (control != Hwnd::none && controls[i] == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool App::onClose() {
    if (!eventsAllowed(*this)) {
        return true;
    }
    const std::optional<bool> answer = onCloseRequested(*this);
    if (!platform.isWindow(main.window)) {
        return false;
    }
    return !(answer.has_value() && !*answer);
}

void App::onDestroy() { setTrayIcon(platform, tray, main.window, ByteSet{}, nullptr); }

void App::onCommand(std::uint32_t id, std::uint32_t code, Hwnd control) {
    if (!eventsAllowed(*this)) {
        return;
    }
    if (control == Hwnd::none) {
        if (id == static_cast<std::uint32_t>(win::IdCancel)) {
            // Esc, as reported by the dialog keyboard handling.
            platform.sendMessage(main.window, win::WmClose, 0, 0);
        } else if (id >= MenuCommandBase && id < MenuCommandBase + MenuItemCount) {
            const MenuItem& item = MenuItems[id - MenuCommandBase];
            if (item.handler != nullptr) {
                item.handler(*this);
            }
        }
        return;
    }
    if (code != ButtonClicked) {
        return;
    }
    if (isControl(*this, control, Control::按钮1)) {
        onTaskButtonClicked(*this);
    } else if (isControl(*this, control, Control::按钮_隐藏)) {
        onHideButtonClicked(*this);
    }
}

void App::onSpinnerDelta(Hwnd spinner, int delta) {
    if (!eventsAllowed(*this)) {
        return;
    }
    const int found = main.find(spinner);
    if (found >= 0 && Controls[static_cast<std::size_t>(found)].kind == ControlKind::Spinner) {
        onSpinnerAdjusted(*this, static_cast<Control>(found), delta < 0 ? +1 : -1);
    }
}

void App::onHotkey(std::uintptr_t id) {
    if (eventsAllowed(*this)) {
        deliverHotkey(*this, id);
    }
}

void App::onTrayNotification(std::intptr_t lParam) {
    if (!eventsAllowed(*this)) {
        return;
    }
    const TrayEvent event = trayEventFor(lParam);
    if (event != NoTrayEvent) {
        onTrayEvent(*this, event);
    }
}

void App::onTaskbarCreated() {
    if (eventsAllowed(*this)) {
        ::onTaskbarCreated(*this);
    }
}

void App::onTimer(Hwnd timerWindow, std::uintptr_t timerId) {
    if (!eventsAllowed(*this) || timerId != TimerId) {
        return;
    }
    if (isControl(*this, timerWindow, Control::时钟1)) {
        showLocalTime(*this);
    } else if (isControl(*this, timerWindow, Control::任务时钟)) {
        onTaskTimerTick(*this);
    }
}

void App::onPictureButton(Hwnd picture, bool pressed, int /*x*/, int /*y*/, std::uint32_t /*keys*/) {
    if (!eventsAllowed(*this) || !isControl(*this, picture, Control::图片框1)) {
        return;
    }
    if (pressed) {
        onPicturePressed(*this);
    } else {
        onPictureReleased(*this);
    }
}

bool App::onSetCursor(Hwnd window) {
    const int found = main.find(window);
    if (found < 0) {
        return false;
    }
    const IconHandle cursor = main.states[static_cast<std::size_t>(found)].cursor;
    if (cursor == IconHandle::none) {
        return false;
    }
    platform.setCursor(cursor);
    return true;
}
