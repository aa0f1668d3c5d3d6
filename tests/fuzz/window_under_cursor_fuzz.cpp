// windowUnderCursor over window layouts decoded from the input: siblings and strangers in
// one Z order, with their rectangles, parents and visibility, and the window the system
// finds at the point. The answer is the hit window, or the smallest visible window below
// it with the same parent that holds the point and is strictly smaller; never a window
// that is not there.

#include <algorithm>
#include <limits>
#include <vector>

#include "fuzz_check.h"
#include "hide/picker.h"
#include "inert_platform.h"

namespace {

constexpr std::size_t WindowsMax = 12;
constexpr std::uintptr_t FirstWindow = 0x1000;
constexpr std::uintptr_t FirstParent = 0x100;
constexpr unsigned ParentChoices = 4;  // no parent, or one of three
constexpr unsigned char VisibleBit = 0x01;
constexpr unsigned char WideBit = 0x02;  // coordinates anywhere in the int range
constexpr unsigned BitsPerByte = 8;

// The input, read front to back; zeros once it is used up.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::int32_t int32() {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < sizeof value; ++i) {
            value = (value << BitsPerByte) | byte();
        }
        return static_cast<std::int32_t>(value);
    }
    std::int8_t int8() { return static_cast<std::int8_t>(byte()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Window {
    Rect rect;
    Hwnd parent = Hwnd::none;
    bool visible = false;
};

struct Layout {
    std::vector<Window> windows;  // in Z order, topmost first
    Point point;
    std::size_t hit = 0;  // windows.size() when the point is over no window

    static Hwnd handleOf(std::size_t index) { return Hwnd{FirstWindow + index}; }
    // The index of a window of the layout, or windows.size().
    std::size_t indexOf(Hwnd window) const {
        const auto value = static_cast<std::uintptr_t>(window);
        return value >= FirstWindow && value - FirstWindow < windows.size() ? value - FirstWindow : windows.size();
    }
};

// A coordinate near the point (so that rectangles often hold it, kept inside the int
// range), or anywhere.
int coordinate(Reader& in, bool wide, int near) {
    if (wide) {
        return in.int32();
    }
    const std::int64_t value = std::int64_t{near} + in.int8();
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

Layout decode(Reader& in) {
    Layout layout;
    const std::size_t count = 1 + in.byte() % WindowsMax;
    layout.hit = in.byte() % (count + 1);
    layout.point = Point{in.int32(), in.int32()};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t flags = in.byte();
        const bool wide = (flags & WideBit) != 0;
        Window window;
        window.visible = (flags & VisibleBit) != 0;
        const unsigned parent = in.byte() % ParentChoices;
        window.parent = parent == 0 ? Hwnd::none : Hwnd{FirstParent + parent};
        window.rect.left = coordinate(in, wide, layout.point.x);
        window.rect.top = coordinate(in, wide, layout.point.y);
        window.rect.right = coordinate(in, wide, layout.point.x);
        window.rect.bottom = coordinate(in, wide, layout.point.y);
        layout.windows.push_back(window);
    }
    return layout;
}

class LayoutPlatform : public InertPlatform {
public:
    explicit LayoutPlatform(const Layout& layout) : layout_(layout) {}

    Point getCursorPos() override { return layout_.point; }
    Hwnd windowFromPoint(Point point) override {
        FUZZ_CHECK(point.x == layout_.point.x && point.y == layout_.point.y);
        return layout_.hit < layout_.windows.size() ? Layout::handleOf(layout_.hit) : Hwnd::none;
    }
    Rect getWindowRect(Hwnd window) override { return known(window) ? at(window).rect : Rect{}; }
    Hwnd getParent(Hwnd window) override { return known(window) ? at(window).parent : Hwnd::none; }
    bool isWindowVisible(Hwnd window) override { return known(window) && at(window).visible; }
    Hwnd getNextWindow(Hwnd window) override {
        const std::size_t next = layout_.indexOf(window) + 1;
        return known(window) && next < layout_.windows.size() ? Layout::handleOf(next) : Hwnd::none;
    }

private:
    bool known(Hwnd window) const { return layout_.indexOf(window) < layout_.windows.size(); }
    const Window& at(Hwnd window) const { return layout_.windows[layout_.indexOf(window)]; }

    const Layout& layout_;
};

// Right and bottom exclusive.
bool holds(const Rect& rect, Point point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// Exact for every int rectangle, including reversed ones (negative area).
__int128 areaOf(const Rect& rect) {
    return static_cast<__int128>(std::int64_t{rect.right} - rect.left) * (std::int64_t{rect.bottom} - rect.top);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const Layout layout = decode(in);
    LayoutPlatform platform(layout);
    const Hwnd result = windowUnderCursor(platform);

    const std::size_t count = layout.windows.size();
    if (layout.hit == count) {
        FUZZ_CHECK(result == Hwnd::none);
        return 0;
    }
    const std::size_t chosen = layout.indexOf(result);
    FUZZ_CHECK(chosen < count);
    const Window& hit = layout.windows[layout.hit];
    if (hit.parent == Hwnd::none) {
        FUZZ_CHECK(chosen == layout.hit);
        return 0;
    }
    const auto candidate = [&](std::size_t index) {
        const Window& window = layout.windows[index];
        return index > layout.hit && window.parent == hit.parent && window.visible &&
               holds(window.rect, layout.point) && areaOf(window.rect) < areaOf(hit.rect);
    };
    FUZZ_CHECK(chosen == layout.hit || candidate(chosen));
    // Nothing that qualifies is smaller still.
    const __int128 chosenArea = areaOf(layout.windows[chosen].rect);
    for (std::size_t i = layout.hit + 1; i < count; ++i) {
        FUZZ_CHECK(!candidate(i) || areaOf(layout.windows[i].rect) >= chosenArea);
    }
    return 0;
}
