#include "common/cursor_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/images.h"
#include "byte_writer.h"
#include "fake_platform.h"

namespace {

constexpr std::size_t HeaderSize = 22;
constexpr std::uint32_t BitmapHeaderSize = 40;

// A .cur file with one entry whose image is a bare BITMAPINFOHEADER, `gap` bytes after
// the directory. Fields are set afterwards by the cases.
struct CurFile {
    std::vector<unsigned char> bytes;

    explicit CurFile(std::size_t gap = 0) : bytes(HeaderSize + gap + BitmapHeaderSize, 0) {
        putWord(bytes, 0, 0);   // reserved
        putWord(bytes, 2, 2);   // type: cursor
        putWord(bytes, 4, 1);   // count
        bytes[6] = 32;          // width
        bytes[7] = 32;          // height
        putWord(bytes, 10, 8);  // hot spot x
        putWord(bytes, 12, 6);  // hot spot y
        imageSize(BitmapHeaderSize);
        imageOffset(static_cast<std::uint32_t>(HeaderSize + gap));
        putDword(bytes, HeaderSize + gap, BitmapHeaderSize);
    }
    CurFile& word(std::size_t at, std::uint32_t value) {
        putWord(bytes, at, value);
        return *this;
    }
    CurFile& imageSize(std::uint32_t size) {
        putDword(bytes, 14, size);
        return *this;
    }
    CurFile& imageOffset(std::uint32_t offset) {
        putDword(bytes, 18, offset);
        return *this;
    }
    CurFile& truncate(std::size_t length) {
        bytes.resize(length);
        return *this;
    }
    ByteSet set() const { return ByteSet{bytes.data(), bytes.size()}; }
};

TEST(CursorFromCurData, PassesTheImageWithItsHotSpotInFront) {
    FakePlatform fake;
    const CurFile file(8);  // the image starts 8 bytes after the directory
    const IconHandle cursor = cursorFromCurData(fake, file.set());
    ASSERT_NE(cursor, IconHandle::none);
    // The fake accepts only a BITMAPINFOHEADER right after the 4 hot-spot bytes.
    EXPECT_EQ(fake.calls(), std::vector<std::string>{"CreateIconFromResourceEx(44, FALSE, 0x30000, 32, 32, 0x0, "
                                                     "hotspot 8,6) = " +
                                                     show(cursor)});
}

TEST(CursorFromCurData, TheProgramsCursorsKeepTheirHotSpots) {
    FakePlatform fake;
    EXPECT_NE(cursorFromCurData(fake, targetImage), IconHandle::none);
    EXPECT_NE(cursorFromCurData(fake, arrowImage), IconHandle::none);
    const std::vector<std::string> made = fake.callsNamed("CreateIconFromResourceEx");
    ASSERT_EQ(made.size(), 2U);
    EXPECT_EQ(made[0].rfind("CreateIconFromResourceEx(4268, FALSE, 0x30000, 32, 32, 0x0, hotspot 8,6)", 0), 0U);
    EXPECT_EQ(made[1].rfind("CreateIconFromResourceEx(748, FALSE, 0x30000, 32, 32, 0x0, hotspot 2,4)", 0), 0U);
}

// Which bytes are taken for a cursor file at all. Refused bytes never reach the system.
TEST(CursorFromCurData, AcceptanceChecks) {
    struct Case {
        const char* name;
        CurFile file;
        bool accepted;
    };
    const std::size_t whole = HeaderSize + BitmapHeaderSize;
    const std::vector<Case> cases = {
        {"a well-formed file", CurFile(), true},
        {"more than one entry", CurFile().word(4, 3), true},
        {"only the header", CurFile().truncate(HeaderSize), false},
        {"shorter than the header", CurFile().truncate(HeaderSize - 1), false},
        {"reserved word not 0", CurFile().word(0, 1), false},
        {"an icon file (type 1)", CurFile().word(2, 1), false},
        {"type 3", CurFile().word(2, 3), false},
        {"no entry", CurFile().word(4, 0), false},
        {"offset past the end", CurFile().imageOffset(static_cast<std::uint32_t>(whole + 1)), false},
        {"offset 0xFFFFFFFF", CurFile().imageOffset(0xFFFFFFFFU), false},
        {"size more than length minus header",
         CurFile().imageOffset(0).imageSize(static_cast<std::uint32_t>(whole - HeaderSize + 1)), false},
        {"size 0xFFFFFFFF", CurFile().imageSize(0xFFFFFFFFU), false},
        // Offset and size each within the bytes, but the image runs past their end.
        {"image running past the end", CurFile(8).imageSize(BitmapHeaderSize + 1), false},
        {"image ending exactly at the end", CurFile(8), true},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        const IconHandle cursor = cursorFromCurData(fake, c.file.set());
        EXPECT_EQ(cursor != IconHandle::none, c.accepted) << c.name;
        EXPECT_EQ(fake.callsNamed("CreateIconFromResourceEx").size(), c.accepted ? 1U : 0U) << c.name;
    }
    FakePlatform fake;
    EXPECT_EQ(cursorFromCurData(fake, ByteSet{}), IconHandle::none);
    EXPECT_TRUE(fake.calls().empty());
}

TEST(CursorFromCurData, ASystemRefusalGivesNoCursor) {
    FakePlatform fake;
    fake.iconFromResourceExFails = true;
    EXPECT_EQ(cursorFromCurData(fake, targetImage), IconHandle::none);
}

TEST(IconFromCurData, MakesTheImageAsAnIconWithoutAHotSpot) {
    FakePlatform fake;
    const IconHandle icon = iconFromCurData(fake, targetImage);
    ASSERT_NE(icon, IconHandle::none);
    EXPECT_EQ(fake.calls(),
              std::vector<std::string>{"CreateIconFromResourceEx(4264, TRUE, 0x30000, 32, 32, 0x0) = " + show(icon)});
    EXPECT_EQ(iconFromCurData(fake, CurFile(8).imageSize(BitmapHeaderSize + 1).set()), IconHandle::none);
}

}  // namespace
