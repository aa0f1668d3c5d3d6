#include "app/tray.h"

#include "app/program.h"

namespace {

constexpr std::size_t IconDirectorySize = 6;
constexpr std::size_t IconEntrySize = 16;
constexpr std::size_t BitmapHeaderMinimum = 16;  // up to and including biBitCount
constexpr std::uint16_t IconType = 1;
constexpr std::uint16_t CursorType = 2;
constexpr std::uint8_t MinimumColourCount = 16;
constexpr std::uint16_t SixteenBitsPerPixel = 16;

std::uint16_t readWord(const unsigned char* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::uint32_t readDword(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::int32_t readLong(const unsigned char* at) { return static_cast<std::int32_t>(readDword(at)); }

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

void setTrayIcon(Platform&, TrayState&, Hwnd, ByteSet, const char*) {}
TrayEvent trayEventFor(std::intptr_t) { return NoTrayEvent; }
void onTrayEvent(App&, int) {}
void onTaskbarCreated(App&) {}
void popUpMenu(App&, int) {}
void setWindowVisible(Platform& platform, Hwnd window, bool visible) {
    platform.showWindow(window, visible ? win::SwShow : win::SwHide);
}
std::optional<bool> onCloseRequested(App&) { return std::nullopt; }
void addTrayIconAtStart(App&) {}
void showMainWindowFromMenu(App&) {}
void cancelMenu(App&) {}
void exitFromMenu(App&) {}
void showAbout(App&) {}
