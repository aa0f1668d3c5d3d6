#include "hide/picker.h"

#include <cstdint>

#include "app/program.h"
#include "common/control_properties.h"
#include "common/images.h"

namespace {

// How long each of the two text messages may take. A window whose thread does not
// answer in time yields no text instead of freezing the program.
constexpr std::uint32_t TextQueryTimeoutMs = 1000;

// Left and top inclusive, right and bottom exclusive, as PtInRect.
bool pointInRect(Point point, const Rect& rect) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// A rectangle's area, width times height, kept as a sign and a magnitude. The
// differences of 32-bit coordinates need 33 bits, so their product can overflow even a
// signed 64-bit integer; its magnitude always fits an unsigned one. For every
// rectangle whose area fits in 32 bits this orders areas as 32-bit products do.
struct Area {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

std::uint64_t magnitudeOf(std::int64_t value) {
    return value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

Area areaOf(const Rect& rect) {
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    Area area;
    area.magnitude = magnitudeOf(width) * magnitudeOf(height);
    area.negative = area.magnitude != 0 && ((width < 0) != (height < 0));
    return area;
}

bool smallerArea(const Area& a, const Area& b) {
    if (a.negative != b.negative) {
        return a.negative;
    }
    return a.negative ? a.magnitude > b.magnitude : a.magnitude < b.magnitude;
}

}  // namespace

void onPicturePressed(App& app) {
    Platform& platform = app.platform;
    const Hwnd picture = app.main.handle(Control::图片框1);
    ControlState& state = app.main.state(Control::图片框1);
    writeMousePointer(platform, picture, state, targetImage);
    writePicture(platform, picture, state, emptyPicture);
    // Lets the new pointer reach the screen before the capture starts.
    platform.pumpPendingMessages();
    platform.setCapture(picture);
}

void onPictureReleased(App& app) {
    Platform& platform = app.platform;
    platform.releaseCapture();
    const Hwnd picked = windowUnderCursor(platform);
    const Text text = readWindowText(platform, picked);
    writeText(platform, app.main.handle(Control::编辑框_标题), controlId(Control::编辑框_标题), text.get());
    const Hwnd picture = app.main.handle(Control::图片框1);
    ControlState& state = app.main.state(Control::图片框1);
    writeMousePointer(platform, picture, state, arrowImage);
    writePicture(platform, picture, state, targetImage);
}

Hwnd windowUnderCursor(Platform& platform) {
    const Point point = platform.getCursorPos();
    Hwnd best = platform.windowFromPoint(point);
    if (best == Hwnd::none) {
        return Hwnd::none;
    }
    Rect bestRect = platform.getWindowRect(best);
    const Hwnd parent = platform.getParent(best);
    if (parent == Hwnd::none) {
        return best;
    }
    // Only the siblings below the hit window in Z order are looked at; of equal areas
    // the one found first stays.
    for (Hwnd sibling = platform.getNextWindow(best); sibling != Hwnd::none;
         sibling = platform.getNextWindow(sibling)) {
        const Rect rect = platform.getWindowRect(sibling);
        if (pointInRect(point, rect) && platform.getParent(sibling) == parent && platform.isWindowVisible(sibling) &&
            smallerArea(areaOf(rect), areaOf(bestRect))) {
            best = sibling;
            bestRect = rect;
        }
    }
    return best;
}

Text readWindowText(Platform& platform, Hwnd window) {
    if (!platform.isWindow(window)) {
        return Text();
    }
    std::intptr_t length = 0;
    if (!platform.sendMessageTimeout(window, win::WmGetTextLength, 0, 0, win::SmtoAbortIfHung, TextQueryTimeoutMs,
                                     length) ||
        length <= 0) {
        return Text();
    }
    // Zero-filled, so the text ends at the buffer's end even when the window writes
    // fewer bytes than it announced.
    Text text = Text::allocate(static_cast<std::size_t>(length));
    std::intptr_t copied = 0;
    if (!platform.sendMessageTimeout(window, win::WmGetText, static_cast<std::uintptr_t>(length) + 1,
                                     reinterpret_cast<std::intptr_t>(text.data()), win::SmtoAbortIfHung,
                                     TextQueryTimeoutMs, copied) ||
        text.get()[0] == '\0') {
        return Text();
    }
    return text;
}
