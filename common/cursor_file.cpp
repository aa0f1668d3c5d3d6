#include "common/cursor_file.h"

#include <cstring>
#include <memory>

#include "common/little_endian.h"

namespace {

constexpr std::size_t DirectorySize = 6;
constexpr std::size_t HeaderSize = 22;  // directory and one 16-byte entry
constexpr std::uint16_t CursorType = 2;
constexpr std::size_t HotSpotPrefixSize = 4;

struct CursorEntry {
    int width = 0;
    int height = 0;
    std::uint16_t hotSpotX = 0;
    std::uint16_t hotSpotY = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t imageOffset = 0;
};

bool readFirstEntry(ByteSet file, CursorEntry& entry) {
    if (file.bytes == nullptr || file.size <= HeaderSize) {
        return false;
    }
    const unsigned char* bytes = file.bytes;
    if (readWord(bytes) != 0 || readWord(bytes + 2) != CursorType || readWord(bytes + 4) < 1) {
        return false;
    }
    const unsigned char* record = bytes + DirectorySize;
    entry.width = record[0];
    entry.height = record[1];
    entry.hotSpotX = readWord(record + 4);
    entry.hotSpotY = readWord(record + 6);
    entry.imageSize = readDword(record + 8);
    entry.imageOffset = readDword(record + 12);
    // The image must lie inside the bytes (the check is written so it cannot overflow).
    return entry.imageOffset <= file.size && entry.imageSize <= file.size - entry.imageOffset &&
           entry.imageSize <= file.size - HeaderSize;
}

}  // namespace

IconHandle cursorFromCurData(Platform& platform, ByteSet curFile) {
    CursorEntry entry;
    if (!readFirstEntry(curFile, entry)) {
        return IconHandle::none;
    }
    const std::size_t length = entry.imageSize + HotSpotPrefixSize;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[length]);
    buffer[0] = static_cast<unsigned char>(entry.hotSpotX & 0xFF);
    buffer[1] = static_cast<unsigned char>(entry.hotSpotX >> 8);
    buffer[2] = static_cast<unsigned char>(entry.hotSpotY & 0xFF);
    buffer[3] = static_cast<unsigned char>(entry.hotSpotY >> 8);
    std::memcpy(buffer.get() + HotSpotPrefixSize, curFile.bytes + entry.imageOffset, entry.imageSize);
    return platform.createIconFromResourceEx(buffer.get(), static_cast<std::uint32_t>(length), false,
                                             win::IconResourceVersion, entry.width, entry.height, win::LrDefaultColor);
}

IconHandle iconFromCurData(Platform& platform, ByteSet curFile) {
    CursorEntry entry;
    if (!readFirstEntry(curFile, entry)) {
        return IconHandle::none;
    }
    return platform.createIconFromResourceEx(curFile.bytes + entry.imageOffset, entry.imageSize, true,
                                             win::IconResourceVersion, entry.width, entry.height, win::LrDefaultColor);
}
