// cursorFromCurData and iconFromCurData on arbitrary bytes: they take exactly the files
// whose header is sound and whose first image lies inside the bytes, and what they hand
// to the system is that image (after the hot spot, for a cursor) and nothing beyond it.

#include <algorithm>
#include <vector>

#include "common/cursor_file.h"
#include "fuzz_check.h"
#include "inert_platform.h"

namespace {

constexpr std::size_t DirectorySize = 6;
constexpr std::size_t HeaderSize = 22;
constexpr std::size_t HotSpotSize = 4;
constexpr std::size_t WordSize = 2;
constexpr std::size_t DwordSize = 4;
constexpr unsigned BitsPerByte = 8;
// Where the directory's words and the entry's fields lie.
constexpr std::size_t TypeAt = 2;
constexpr std::size_t CountAt = 4;
constexpr std::size_t HeightAt = 1;
constexpr std::size_t HotSpotAt = 4;
constexpr std::size_t ImageSizeAt = 8;
constexpr std::size_t ImageOffsetAt = 12;
constexpr std::uint16_t CursorType = 2;
constexpr std::uintptr_t MadeIcon = 0xC0;
constexpr unsigned char RefuseBit = 0x01;

std::uint32_t littleEndian(const unsigned char* at, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes; i-- > 0;) {
        value = (value << BitsPerByte) | at[i];
    }
    return value;
}

// The first entry of a file, read independently of the code under test.
struct Entry {
    bool sound = false;  // the bytes are taken as a cursor file
    int width = 0;
    int height = 0;
    std::uint32_t hotSpot = 0;  // x and y words, as in the file
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
};

Entry firstEntry(const ExactBytes& file) {
    Entry entry;
    if (file.size() <= HeaderSize) {
        return entry;
    }
    const unsigned char* bytes = file.begin();
    const unsigned char* record = bytes + DirectorySize;
    entry.width = record[0];
    entry.height = record[HeightAt];
    entry.hotSpot = littleEndian(record + HotSpotAt, DwordSize);
    entry.size = littleEndian(record + ImageSizeAt, DwordSize);
    entry.offset = littleEndian(record + ImageOffsetAt, DwordSize);
    // The image ends inside the bytes and is no longer than what follows the header.
    entry.sound = littleEndian(bytes, WordSize) == 0 && littleEndian(bytes + TypeAt, WordSize) == CursorType &&
                  littleEndian(bytes + CountAt, WordSize) >= 1 && entry.offset + entry.size <= file.size() &&
                  entry.size <= file.size() - HeaderSize;
    return entry;
}

// What the system was given. The cursor's block is freed once the call returns, so its
// bytes are kept as a copy; `bits` is only compared, never read.
struct Made {
    int calls = 0;
    const unsigned char* bits = nullptr;
    std::vector<unsigned char> block;
    std::uint32_t size = 0;
    bool icon = false;
    int width = 0;
    int height = 0;
};

class CurPlatform : public InertPlatform {
public:
    explicit CurPlatform(bool refuse) : refuse_(refuse) {}

    IconHandle createIconFromResourceEx(const unsigned char* bits, std::uint32_t size, bool icon, std::uint32_t version,
                                        int width, int height, std::uint32_t) override {
        FUZZ_CHECK(version == win::IconResourceVersion);
        made = Made{made.calls + 1, bits, std::vector<unsigned char>(bits, bits + size), size, icon, width, height};
        return refuse_ ? IconHandle::none : IconHandle{MadeIcon};
    }

    Made made;

private:
    bool refuse_;
};

void checkCommon(const Entry& entry, const Made& made, IconHandle result, bool refused) {
    FUZZ_CHECK(made.calls == (entry.sound ? 1 : 0));
    FUZZ_CHECK(result == (entry.sound && !refused ? IconHandle{MadeIcon} : IconHandle::none));
    if (entry.sound) {
        FUZZ_CHECK(made.width == entry.width && made.height == entry.height);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says whether the system refuses; the rest is the file.
    const bool refused = (data[0] & RefuseBit) != 0;
    const ExactBytes file(data + 1, size - 1);
    const ByteSet bytes{file.begin(), file.size()};
    const Entry entry = firstEntry(file);

    CurPlatform forCursor(refused);
    const IconHandle cursor = cursorFromCurData(forCursor, bytes);
    checkCommon(entry, forCursor.made, cursor, refused);
    if (entry.sound) {
        const Made& made = forCursor.made;
        FUZZ_CHECK(!made.icon);
        FUZZ_CHECK(made.size == entry.size + HotSpotSize);
        FUZZ_CHECK(littleEndian(made.block.data(), HotSpotSize) == entry.hotSpot);
        FUZZ_CHECK(std::equal(made.block.begin() + HotSpotSize, made.block.end(), file.begin() + entry.offset));
    }

    CurPlatform forIcon(refused);
    const IconHandle icon = iconFromCurData(forIcon, bytes);
    checkCommon(entry, forIcon.made, icon, refused);
    if (entry.sound) {
        const Made& made = forIcon.made;
        FUZZ_CHECK(made.icon);
        FUZZ_CHECK(made.bits == file.begin() + entry.offset && made.size == entry.size);
        FUZZ_CHECK(file.holds(made.bits, made.size));
    }
    return 0;
}
