#include "common/control_properties.h"

#include "common/cursor_file.h"

bool readVisible(Platform& platform, Hwnd window) { return platform.isWindowVisible(window); }

void writeVisible(Platform& platform, Hwnd window, bool visible) {
    platform.showWindow(window, visible ? win::SwShow : win::SwHide);
}

Text readText(Platform& platform, Hwnd control) {
    const std::intptr_t length = platform.sendMessage(control, win::WmGetTextLength, 0, 0);
    if (length <= 0) {
        return Text();
    }
    Text text = Text::allocate(static_cast<std::size_t>(length));
    platform.sendMessage(control, win::WmGetText, static_cast<std::uintptr_t>(length) + 1,
                         reinterpret_cast<std::intptr_t>(text.data()));
    if (text.get()[0] == '\0') {
        return Text();
    }
    return text;
}

void writeText(Platform& platform, Hwnd edit, std::uintptr_t editId, const char* text) {
    platform.sendMessage(edit, win::WmSetText, 0, reinterpret_cast<std::intptr_t>(text != nullptr ? text : ""));
    const std::uintptr_t changed = (editId & 0xFFFF) | (std::uintptr_t{win::EnChange} << 16);
    platform.sendMessage(edit, win::WmCommand, changed, static_cast<std::intptr_t>(edit));
}

void writeCaption(Platform& platform, Hwnd control, const char* caption, bool isLabel) {
    platform.sendMessage(control, win::WmSetText, 0,
                         reinterpret_cast<std::intptr_t>(caption != nullptr ? caption : ""));
    if (isLabel) {
        // The label paints its whole area itself, so the background need not be erased
        // first: the line of the clock changes every second, and painting it once is enough.
        platform.invalidateRect(control, false);
    }
}

void writePeriod(Platform& platform, Hwnd timer, ControlState& state, int period) {
    if (period < 0) {
        period = 0;
    }
    if (period == state.period) {
        return;
    }
    if (state.period > 0) {
        platform.killTimer(timer, TimerId);
    }
    state.period = period;
    if (period > 0) {
        platform.setTimer(timer, TimerId, static_cast<std::uint32_t>(period));
    }
}

bool readChecked(Platform& platform, Hwnd radio) {
    return platform.sendMessage(radio, win::BmGetCheck, 0, 0) == win::BstChecked;
}

void writeMousePointer(Platform& platform, Hwnd control, ControlState& state, ByteSet cursorFile) {
    const IconHandle cursor = cursorFile.empty() ? IconHandle::none : cursorFromCurData(platform, cursorFile);
    if (state.cursor != IconHandle::none) {
        platform.destroyCursor(state.cursor);
    }
    state.cursor = cursor;
    if (platform.isWindow(control)) {
        const Point at = platform.getCursorPos();
        platform.setCursorPos(at.x, at.y);
    }
}

void writePicture(Platform& platform, Hwnd picture, ControlState& state, ByteSet image) {
    const IconHandle icon = image.empty() ? IconHandle::none : iconFromCurData(platform, image);
    platform.setPictureIcon(picture, icon);
    if (state.picture != IconHandle::none) {
        platform.destroyIcon(state.picture);
    }
    state.picture = icon;
    platform.invalidateRect(picture, true);
    platform.updateWindow(picture);
}
