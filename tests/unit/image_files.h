// Small reader for single-image .ico/.cur files, used by the image tests.
//
// Handles what Tavik ships: one directory entry, an uncompressed DIB of
// 32 bpp (BGRA) or 4 bpp (16-colour palette), followed by the 1-bit AND mask.
// Pixel accessors take top-down coordinates (y = 0 is the top row) and hide
// the bottom-up storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace tavik::test {

inline std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::uint16_t readU16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

inline std::uint32_t readU32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(readU16(b, at)) | (static_cast<std::uint32_t>(readU16(b, at + 2)) << 16);
}

inline std::int32_t readI32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(readU32(b, at));
}

struct IconDir {
    std::uint16_t reserved = 0;
    std::uint16_t type = 0;  // 1 = icon, 2 = cursor
    std::uint16_t count = 0;
};

struct IconDirEntry {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint8_t reserved = 0;
    std::uint16_t word1 = 0;  // icon: planes,    cursor: hot spot x
    std::uint16_t word2 = 0;  // icon: bit count, cursor: hot spot y
    std::uint32_t bytesInRes = 0;
    std::uint32_t imageOffset = 0;
};

struct BitmapInfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

inline bool operator==(const Rgba& x, const Rgba& y) { return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a; }

constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kIconDirEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;

// Row length in bytes of a DIB row, padded to a multiple of 4.
constexpr std::size_t dibStride(int width, int bpp) { return static_cast<std::size_t>(((width * bpp + 31) / 32) * 4); }

class IconFile {
public:
    // Parses the bytes; on failure returns false and error() says why.
    bool parse(std::vector<std::uint8_t> bytes) {
        bytes_ = std::move(bytes);
        if (bytes_.size() < kIconDirSize + kIconDirEntrySize)
            return fail("file too short");
        dir.reserved = readU16(bytes_, 0);
        dir.type = readU16(bytes_, 2);
        dir.count = readU16(bytes_, 4);
        if (dir.count < 1)
            return fail("no images");
        entry.width = bytes_[6];
        entry.height = bytes_[7];
        entry.colorCount = bytes_[8];
        entry.reserved = bytes_[9];
        entry.word1 = readU16(bytes_, 10);
        entry.word2 = readU16(bytes_, 12);
        entry.bytesInRes = readU32(bytes_, 14);
        entry.imageOffset = readU32(bytes_, 18);

        const std::size_t off = entry.imageOffset;
        if (off > bytes_.size() || bytes_.size() - off < kInfoHeaderSize)
            return fail("image offset out of range");
        info.size = readU32(bytes_, off);
        info.width = readI32(bytes_, off + 4);
        info.height = readI32(bytes_, off + 8);
        info.planes = readU16(bytes_, off + 12);
        info.bitCount = readU16(bytes_, off + 14);
        info.compression = readU32(bytes_, off + 16);
        info.sizeImage = readU32(bytes_, off + 20);
        info.xPelsPerMeter = readI32(bytes_, off + 24);
        info.yPelsPerMeter = readI32(bytes_, off + 28);
        info.clrUsed = readU32(bytes_, off + 32);
        info.clrImportant = readU32(bytes_, off + 36);

        if (info.size < kInfoHeaderSize)
            return fail("bad BITMAPINFOHEADER size");
        if (info.width <= 0 || info.width > 256 || info.height <= 0 || info.height % 2 != 0 || info.height / 2 > 256)
            return fail("unsupported dimensions");
        if (info.bitCount != 32 && info.bitCount != 4)
            return fail("unsupported bit depth");
        if (info.compression != 0)
            return fail("compressed bitmap");

        w_ = info.width;
        h_ = info.height / 2;
        std::size_t pos = off + info.size;
        palette.clear();
        if (info.bitCount == 4) {
            const std::size_t n = info.clrUsed != 0 ? info.clrUsed : 16;
            if (n > 16 || bytes_.size() < pos + 4 * n)
                return fail("palette out of range");
            for (std::size_t i = 0; i < n; ++i, pos += 4)
                palette.push_back({bytes_[pos + 2], bytes_[pos + 1], bytes_[pos], bytes_[pos + 3]});
        }
        colorOffset_ = pos;
        maskOffset_ = colorOffset_ + dibStride(w_, info.bitCount) * static_cast<std::size_t>(h_);
        imageEnd_ = maskOffset_ + dibStride(w_, 1) * static_cast<std::size_t>(h_);
        if (imageEnd_ > bytes_.size())
            return fail("pixel data out of range");
        return true;
    }

    const std::string& error() const { return error_; }
    int width() const { return w_; }
    int height() const { return h_; }
    std::size_t fileSize() const { return bytes_.size(); }
    // Offset just past the AND mask.
    std::size_t imageEnd() const { return imageEnd_; }

    // 32-bpp pixel, straight alpha.
    Rgba pixel(int x, int y) const {
        const std::size_t at = colorOffset_ + rowIndex(y) * dibStride(w_, 32) + static_cast<std::size_t>(x) * 4;
        return {bytes_[at + 2], bytes_[at + 1], bytes_[at], bytes_[at + 3]};
    }

    // 4-bpp palette index; the left pixel of a byte is in the high nibble.
    unsigned index(int x, int y) const {
        const std::uint8_t byte =
            bytes_[colorOffset_ + rowIndex(y) * dibStride(w_, 4) + static_cast<std::size_t>(x) / 2];
        return x % 2 == 0 ? (byte >> 4) : (byte & 0x0F);
    }

    // AND-mask bit: true means transparent. Most significant bit is leftmost.
    bool maskBit(int x, int y) const {
        const std::uint8_t byte =
            bytes_[maskOffset_ + rowIndex(y) * dibStride(w_, 1) + static_cast<std::size_t>(x) / 8];
        return ((byte >> (7 - x % 8)) & 1) != 0;
    }

    IconDir dir;
    IconDirEntry entry;
    BitmapInfoHeader info;
    std::vector<Rgba> palette;  // alpha holds the reserved byte

private:
    bool fail(const char* why) {
        error_ = why;
        return false;
    }
    std::size_t rowIndex(int y) const { return static_cast<std::size_t>(h_ - 1 - y); }

    std::vector<std::uint8_t> bytes_;
    std::string error_;
    int w_ = 0;
    int h_ = 0;
    std::size_t colorOffset_ = 0;
    std::size_t maskOffset_ = 0;
    std::size_t imageEnd_ = 0;
};

}  // namespace tavik::test
