// Checks the three built-in images in assets/ (tray icon, target cursor,
// arrow cursor) and the executable's icon (the tray icon at 48/32/16 px):
// exact file layout, mask/alpha consistency, the drawings' key geometry, and
// that tools/imagegen reproduces the committed bytes.
//
// Build definitions:
//   TAVIK_ASSET_DIR  string literal, folder holding the committed images
//   TAVIK_IMAGEGEN   string literal, path of the built imagegen executable

#include "image_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#ifndef TAVIK_ASSET_DIR
#error "TAVIK_ASSET_DIR must name the asset folder"
#endif
#ifndef TAVIK_IMAGEGEN
#error "TAVIK_IMAGEGEN must name the imagegen executable"
#endif

namespace tavik::test {
namespace {

namespace fs = std::filesystem;

// Test-name form of a file name: "target.cur" -> "target_cur".
std::string testName(const std::string& file) {
    std::string name = file;
    for (char& ch : name)
        if (ch == '.')
            ch = '_';
    return name;
}

std::string assetPath(const std::string& name) { return (fs::path(TAVIK_ASSET_DIR) / name).string(); }

::testing::AssertionResult load(const std::string& path, IconFile& out) {
    std::vector<std::uint8_t> bytes = readFileBytes(path);
    if (bytes.empty())
        return ::testing::AssertionFailure() << "cannot read " << path;
    if (!out.parse(std::move(bytes)))
        return ::testing::AssertionFailure() << path << ": " << out.error();
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------
// Reader helpers: little-endian decoding and DIB row padding.

TEST(ImageReader, LittleEndianReads) {
    const std::vector<std::uint8_t> b = {0x34, 0x12, 0x78, 0x56, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(readU16(b, 0), 0x1234u);
    EXPECT_EQ(readU16(b, 1), 0x7812u);
    EXPECT_EQ(readU32(b, 0), 0x56781234u);
    EXPECT_EQ(readU32(b, 4), 0xFFFFFFFFu);
    EXPECT_EQ(readI32(b, 4), -1);
}

TEST(ImageReader, DibStridePadsTo32Bits) {
    struct Case {
        int width, bpp;
        std::size_t stride;
    };
    const Case cases[] = {
        {32, 1, 4}, {33, 1, 8},    {128, 1, 16},   {1, 1, 4},   {32, 4, 16},
        {9, 4, 8},  {32, 32, 128}, {128, 32, 512}, {3, 32, 12},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dibStride(c.width, c.bpp), c.stride) << c.width << "x" << c.bpp;
}

TEST(ImageReader, RejectsTruncatedAndMalformedFiles) {
    std::vector<std::uint8_t> good = readFileBytes(assetPath("target.cur"));
    ASSERT_EQ(good.size(), 4286u);
    IconFile f;

    EXPECT_FALSE(f.parse({}));
    EXPECT_FALSE(f.parse(std::vector<std::uint8_t>(good.begin(), good.begin() + 21)));
    // Cut inside the AND mask.
    EXPECT_FALSE(f.parse(std::vector<std::uint8_t>(good.begin(), good.end() - 1)));

    std::vector<std::uint8_t> badOffset = good;
    badOffset[18] = 0xF0;  // image offset far beyond the end
    EXPECT_FALSE(f.parse(badOffset));

    std::vector<std::uint8_t> badDepth = good;
    badDepth[22 + 14] = 24;
    EXPECT_FALSE(f.parse(badDepth));

    EXPECT_TRUE(f.parse(good)) << f.error();
}

// ---------------------------------------------------------------------------
// File layout.

struct LayoutCase {
    const char* file;
    std::size_t fileSize;
    std::uint16_t type;   // 1 icon, 2 cursor
    std::uint8_t size;    // width = height
    std::uint16_t word1;  // icon planes / cursor hot spot x
    std::uint16_t word2;  // icon bit count / cursor hot spot y
    std::uint32_t bytesInRes;
    std::uint16_t bitCount;
    std::size_t paletteEntries;
    // The directory and entry exactly as they must appear on disk.
    std::array<std::uint8_t, 22> head;
};

const LayoutCase kLayouts[] = {
    {"tray_icon.ico", 67646, 1, 128, 1, 32, 67624, 32, 0, {0, 0,  1, 0,    1,    0,    128, 128, 0, 0, 1,
                                                           0, 32, 0, 0x28, 0x08, 0x01, 0,   22,  0, 0, 0}},
    {"target.cur", 4286, 2, 32, 8, 6, 4264, 32, 0, {0, 0, 2, 0,    1,    0, 32, 32, 0, 0, 8,
                                                    0, 6, 0, 0xA8, 0x10, 0, 0,  22, 0, 0, 0}},
    {"arrow.cur", 766, 2, 32, 2, 4, 744, 4, 16, {0, 0, 2, 0,    1,    0, 32, 32, 0, 0, 2,
                                                 0, 4, 0, 0xE8, 0x02, 0, 0,  22, 0, 0, 0}},
};

class ImageLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ImageLayout, DirectoryBytesAreExact) {
    const LayoutCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = readFileBytes(assetPath(c.file));
    ASSERT_EQ(bytes.size(), c.fileSize);
    for (std::size_t i = 0; i < c.head.size(); ++i)
        EXPECT_EQ(bytes[i], c.head[i]) << "byte " << i;
}

TEST_P(ImageLayout, DirectoryEntryFields) {
    const LayoutCase& c = GetParam();
    IconFile f;
    ASSERT_TRUE(load(assetPath(c.file), f));
    EXPECT_EQ(f.fileSize(), c.fileSize);
    EXPECT_EQ(f.dir.reserved, 0);
    EXPECT_EQ(f.dir.type, c.type);
    EXPECT_EQ(f.dir.count, 1);
    EXPECT_EQ(f.entry.width, c.size);
    EXPECT_EQ(f.entry.height, c.size);
    EXPECT_EQ(f.entry.colorCount, 0);
    EXPECT_EQ(f.entry.reserved, 0);
    EXPECT_EQ(f.entry.word1, c.word1);
    EXPECT_EQ(f.entry.word2, c.word2);
    EXPECT_EQ(f.entry.bytesInRes, c.bytesInRes);
    EXPECT_EQ(f.entry.imageOffset, kIconDirSize + kIconDirEntrySize);
}

TEST_P(ImageLayout, BitmapInfoHeaderFields) {
    const LayoutCase& c = GetParam();
    IconFile f;
    ASSERT_TRUE(load(assetPath(c.file), f));
    EXPECT_EQ(f.info.size, kInfoHeaderSize);
    EXPECT_EQ(f.info.width, c.size);
    EXPECT_EQ(f.info.height, 2 * c.size);  // colour bitmap + AND mask
    EXPECT_EQ(f.info.planes, 1);
    EXPECT_EQ(f.info.bitCount, c.bitCount);
    EXPECT_EQ(f.info.compression, 0u);  // BI_RGB
    EXPECT_EQ(f.info.sizeImage, 0u);    // we always write 0 (allowed for BI_RGB)
    EXPECT_EQ(f.info.xPelsPerMeter, 0);
    EXPECT_EQ(f.info.yPelsPerMeter, 0);
    EXPECT_EQ(f.info.clrUsed, 0u);  // 0 = full palette for 4 bpp
    EXPECT_EQ(f.info.clrImportant, 0u);
    EXPECT_EQ(f.palette.size(), c.paletteEntries);
}

TEST_P(ImageLayout, PartsAddUpToTheFileSize) {
    const LayoutCase& c = GetParam();
    IconFile f;
    ASSERT_TRUE(load(assetPath(c.file), f));
    const std::size_t colour = dibStride(c.size, c.bitCount) * c.size;
    const std::size_t mask = dibStride(c.size, 1) * c.size;
    const std::size_t image = kInfoHeaderSize + 4 * c.paletteEntries + colour + mask;
    EXPECT_EQ(image, c.bytesInRes);
    EXPECT_EQ(f.entry.imageOffset + f.entry.bytesInRes, c.fileSize);
    EXPECT_EQ(f.imageEnd(), c.fileSize);  // nothing after the mask
}

INSTANTIATE_TEST_SUITE_P(Assets, ImageLayout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<LayoutCase>& p) { return testName(p.param.file); });

// ---------------------------------------------------------------------------
// 32-bpp images: mask and alpha must tell the same story.

class AlphaImage : public ::testing::TestWithParam<const char*> {};

TEST_P(AlphaImage, MaskBitSetExactlyWhereAlphaIsZero) {
    IconFile f;
    ASSERT_TRUE(load(assetPath(GetParam()), f));
    int transparent = 0, opaque = 0, mismatches = 0;
    for (int y = 0; y < f.height(); ++y) {
        for (int x = 0; x < f.width(); ++x) {
            const Rgba p = f.pixel(x, y);
            transparent += p.a == 0;
            opaque += p.a == 255;
            if (f.maskBit(x, y) != (p.a == 0)) {
                if (++mismatches <= 5)
                    ADD_FAILURE() << "(" << x << "," << y << ") alpha " << int(p.a) << " mask " << f.maskBit(x, y);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // Both kinds must be present, or the check above proves little.
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
}

// A reader that ignores alpha falls back to (screen AND mask) XOR colour, so
// fully transparent pixels must carry black colour.
TEST_P(AlphaImage, TransparentPixelsAreBlack) {
    IconFile f;
    ASSERT_TRUE(load(assetPath(GetParam()), f));
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x) {
            const Rgba p = f.pixel(x, y);
            if (p.a == 0) {
                ASSERT_TRUE(p.r == 0 && p.g == 0 && p.b == 0) << "(" << x << "," << y << ")";
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Assets, AlphaImage, ::testing::Values("tray_icon.ico", "target.cur"),
                         [](const ::testing::TestParamInfo<const char*>& p) { return testName(p.param); });

// ---------------------------------------------------------------------------
// Shared geometry helpers.

struct Box {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    bool empty() const { return maxX < 0; }
    void add(int x, int y) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    // Centre in pixel-edge coordinates (pixel x spans [x, x+1)).
    double cx() const { return (minX + maxX + 1) / 2.0; }
    double cy() const { return (minY + maxY + 1) / 2.0; }
    int w() const { return maxX - minX + 1; }
    int h() const { return maxY - minY + 1; }
};

Box opaqueBox(const IconFile& f) {
    Box b;
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x)
            if (f.pixel(x, y).a == 255)
                b.add(x, y);
    return b;
}

double distance(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

int luma(const Rgba& p) { return (299 * p.r + 587 * p.g + 114 * p.b) / 1000; }

// ---------------------------------------------------------------------------
// Target cursor.

class TargetCursor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(load(assetPath("target.cur"), f));
        disc = opaqueBox(f);
        ASSERT_FALSE(disc.empty());
        cx = disc.cx();
        cy = disc.cy();
        // The box holds the fully covered pixels; the disc edge lies about
        // half a pixel further out.
        r = disc.w() / 2.0 + 0.5;
    }

    // Pixel whose centre is at (cx + dx, cy + dy).
    Rgba at(double dx, double dy) const {
        return f.pixel(static_cast<int>(std::floor(cx + dx)), static_cast<int>(std::floor(cy + dy)));
    }

    IconFile f;
    Box disc;
    double cx = 0, cy = 0, r = 0;
};

TEST_F(TargetCursor, DiscIsRoundAndAbout30PixelsAcross) {
    EXPECT_EQ(disc.w(), disc.h());
    EXPECT_GE(2 * r, 27.0);
    EXPECT_LE(2 * r, 31.0);
    EXPECT_NEAR(cx, 16.0, 1.0);
    EXPECT_NEAR(cy, 16.0, 1.0);
}

TEST_F(TargetCursor, HotSpotIsOpaqueInUpperLeftTowardTheRim) {
    const int hx = f.entry.word1, hy = f.entry.word2;
    ASSERT_EQ(hx, 8);
    ASSERT_EQ(hy, 6);
    EXPECT_EQ(f.pixel(hx, hy).a, 255);
    EXPECT_FALSE(f.maskBit(hx, hy));
    const double px = hx + 0.5, py = hy + 0.5;
    EXPECT_LT(px, cx);
    EXPECT_LT(py, cy);
    const double d = distance(px, py, cx, cy);
    EXPECT_GT(d, 0.6 * r) << "hot spot too close to the centre";
    EXPECT_LT(d, r - 1.0) << "hot spot not inside the disc";
}

TEST_F(TargetCursor, TransparentFarFromTheDisc) {
    const int last = f.width() - 1;
    for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
        EXPECT_EQ(f.pixel(x, y).a, 0) << "corner (" << x << "," << y << ")";

    for (int y = 0; y < f.height(); ++y) {
        for (int x = 0; x < f.width(); ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::hypot(dx, dy);
            // The shadow falls to the lower right, so up and to the left the
            // image ends at the disc; elsewhere allow for the shadow's reach.
            const bool upperLeft = dx < 0 && dy < 0;
            if (d > r + 3.5 || (upperLeft && d > r + 1.0)) {
                EXPECT_EQ(f.pixel(x, y).a, 0) << "(" << x << "," << y << ") d=" << d;
            }
        }
    }
}

TEST_F(TargetCursor, SoftTealShadowOnlyToTheLowerRight) {
    // Diagonal offset whose pixel lies fully outside the disc.
    const double k = (r + 1.5) / std::sqrt(2.0);
    const Rgba lowerRight = at(k, k);
    EXPECT_GT(lowerRight.a, 0);
    EXPECT_LT(lowerRight.a, 255);
    EXPECT_GT(lowerRight.g, lowerRight.r);
    EXPECT_GT(lowerRight.b, lowerRight.r);
    EXPECT_EQ(at(-k, -k).a, 0) << "no shadow on the upper left";
}

TEST_F(TargetCursor, FourWhiteCrossArmsWithOpenCentre) {
    struct Dir {
        int dx, dy;
    };
    const Dir arms[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    const Rgba white{255, 255, 255, 255};
    for (const Dir& d : arms)
        for (int k = 4; k <= 9; ++k)
            EXPECT_EQ(at(d.dx * k, d.dy * k), white) << "arm " << d.dx << "," << d.dy << " at " << k;
    EXPECT_FALSE(at(0, 0) == white) << "the sight's centre should be open";
    // Between the arms there is glass, not more white.
    for (const Dir& d : {Dir{1, 1}, Dir{-1, 1}, Dir{1, -1}, Dir{-1, -1}})
        EXPECT_FALSE(at(d.dx * 5, d.dy * 5) == white) << d.dx << "," << d.dy;
}

TEST_F(TargetCursor, GlassShadesFromWhiteToPaleTealWithWhiteRim) {
    const Rgba light = at(-0.45 * r, -0.45 * r);
    EXPECT_EQ(light.a, 255);
    EXPECT_GE(std::min({light.r, light.g, light.b}), 235) << "upper left should be near white";

    const Rgba teal = at(0.45 * r, 0.45 * r);
    EXPECT_EQ(teal.a, 255);
    EXPECT_LT(teal.r + 20, teal.g) << "lower right should be teal";
    EXPECT_LT(teal.r + 20, teal.b);
    EXPECT_GT(luma(teal), 150) << "teal should stay pale";

    // The rim: just inside the edge, on all four sides.
    const Rgba white{255, 255, 255, 255};
    const double rim = r - 2.0;
    EXPECT_EQ(at(-rim, 0), white);
    EXPECT_EQ(at(rim, 0), white);
    EXPECT_EQ(at(0, -rim), white);
    EXPECT_EQ(at(0, rim), white);
}

// ---------------------------------------------------------------------------
// Arrow cursor.

class ArrowCursor : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(load(assetPath("arrow.cur"), f)); }
    bool inArrow(int x, int y) const { return x >= 0 && y >= 0 && x < f.width() && y < f.height() && !f.maskBit(x, y); }
    IconFile f;
};

TEST_F(ArrowCursor, PaletteIsTheStandardVgaSet) {
    const Rgba vga[16] = {
        {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
        {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
        {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
        {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
    };
    ASSERT_EQ(f.palette.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        const Rgba& p = f.palette[static_cast<std::size_t>(i)];
        EXPECT_TRUE(p == vga[i]) << "entry " << i << ": " << int(p.r) << "," << int(p.g) << "," << int(p.b) << ","
                                 << int(p.a);
    }
}

TEST_F(ArrowCursor, TipIsAtTheHotSpotAndIsTheTopLeftPixel) {
    const int hx = f.entry.word1, hy = f.entry.word2;
    ASSERT_EQ(hx, 2);
    ASSERT_EQ(hy, 4);
    EXPECT_TRUE(inArrow(hx, hy));
    EXPECT_EQ(f.index(hx, hy), 0u) << "the tip is outline";
    Box b;
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x)
            if (inArrow(x, y))
                b.add(x, y);
    EXPECT_EQ(b.minX, hx);
    EXPECT_EQ(b.minY, hy);
    for (int x = 0; x < f.width(); ++x)
        if (x != hx) {
            EXPECT_FALSE(inArrow(x, hy)) << "tip row holds only the tip, x=" << x;
        }
    // A pointer, not a blob: taller than wide, and of cursor size.
    EXPECT_GE(b.h(), 16);
    EXPECT_LE(b.h(), 24);
    EXPECT_GE(b.w(), 10);
    EXPECT_LT(b.w(), b.h());
}

TEST_F(ArrowCursor, LeftEdgeIsVerticalAndUpperRightEdgeIs45Degrees) {
    // Rows just below the tip: the arrow starts at the tip's column and its
    // right end moves one pixel per row.
    const int hx = f.entry.word1, hy = f.entry.word2;
    for (int k = 0; k <= 10; ++k) {
        const int y = hy + k;
        EXPECT_TRUE(inArrow(hx, y)) << "left edge row " << y;
        EXPECT_TRUE(inArrow(hx + k, y)) << "diagonal row " << y;
        EXPECT_FALSE(inArrow(hx + k + 1, y)) << "beyond diagonal row " << y;
    }
}

TEST_F(ArrowCursor, OutsideIsMaskedWithColourZero) {
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x)
            if (f.maskBit(x, y)) {
                EXPECT_EQ(f.index(x, y), 0u) << "(" << x << "," << y << ")";
            }
}

TEST_F(ArrowCursor, WhiteBodyEnclosedByBlackOutline) {
    int white = 0, black = 0;
    for (int y = 0; y < f.height(); ++y) {
        for (int x = 0; x < f.width(); ++x) {
            if (!inArrow(x, y))
                continue;
            const unsigned idx = f.index(x, y);
            ASSERT_TRUE(idx == 0 || idx == 15) << "(" << x << "," << y << ") index " << idx;
            if (idx == 0) {
                ++black;
                continue;
            }
            ++white;
            // A white pixel never shares an edge with the transparent area.
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                EXPECT_TRUE(inArrow(x + dx, y + dy)) << "white (" << x << "," << y << ") borders transparency";
        }
    }
    EXPECT_GT(white, 0);
    EXPECT_GT(black, 0);
    EXPECT_GT(white, black / 2) << "the body should be mostly white";
}

// ---------------------------------------------------------------------------
// Tray icon.

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(load(assetPath("tray_icon.ico"), f)); }

    // Box-filtered downscale in premultiplied alpha, as a tray would show it.
    std::vector<Rgba> downscale(int size) const {
        const int k = f.width() / size;
        std::vector<Rgba> out;
        for (int oy = 0; oy < size; ++oy)
            for (int ox = 0; ox < size; ++ox) {
                long r = 0, g = 0, b = 0, a = 0;
                for (int y = oy * k; y < (oy + 1) * k; ++y)
                    for (int x = ox * k; x < (ox + 1) * k; ++x) {
                        const Rgba p = f.pixel(x, y);
                        r += p.r * p.a;
                        g += p.g * p.a;
                        b += p.b * p.a;
                        a += p.a;
                    }
                Rgba o;
                if (a > 0) {
                    o.r = static_cast<std::uint8_t>(r / a);
                    o.g = static_cast<std::uint8_t>(g / a);
                    o.b = static_cast<std::uint8_t>(b / a);
                    o.a = static_cast<std::uint8_t>(a / (k * k));
                }
                out.push_back(o);
            }
        return out;
    }

    IconFile f;
};

TEST_F(TrayIcon, CornersAreTransparent) {
    const int n = f.width();
    for (auto [x0, y0] : {std::pair{0, 0}, {n - 6, 0}, {0, n - 6}, {n - 6, n - 6}})
        for (int y = y0; y < y0 + 6; ++y)
            for (int x = x0; x < x0 + 6; ++x) {
                EXPECT_EQ(f.pixel(x, y).a, 0) << "(" << x << "," << y << ")";
                EXPECT_TRUE(f.maskBit(x, y)) << "(" << x << "," << y << ")";
            }
}

TEST_F(TrayIcon, BadgeFillsTheIconAndIsCentred) {
    const Box b = opaqueBox(f);
    ASSERT_FALSE(b.empty());
    EXPECT_GE(b.w(), 100);
    EXPECT_NEAR(b.w(), b.h(), 2);
    EXPECT_NEAR(b.cx(), 64.0, 4.0);
    EXPECT_NEAR(b.cy(), 64.0, 4.0);
    EXPECT_EQ(f.pixel(64, 64).a, 255);
}

TEST_F(TrayIcon, EdgesAreAntialiased) {
    int partial = 0;
    bool level[256] = {};
    int hardSteps = 0;  // a fully transparent pixel right next to an opaque one
    for (int y = 0; y < f.height(); ++y) {
        for (int x = 0; x < f.width(); ++x) {
            const int a = f.pixel(x, y).a;
            if (a > 0 && a < 255) {
                ++partial;
                level[a] = true;
            }
            if (x + 1 < f.width() && a + f.pixel(x + 1, y).a == 255 && (a == 0 || a == 255))
                ++hardSteps;
            if (y + 1 < f.height() && a + f.pixel(x, y + 1).a == 255 && (a == 0 || a == 255))
                ++hardSteps;
        }
    }
    int levels = 0;
    for (bool l : level)
        levels += l;

    // Every pixel the badge's outline crosses should be partly covered.
    const Box badge = opaqueBox(f);
    const double circumference = 3.14159 * badge.w();
    EXPECT_GE(partial, circumference);
    EXPECT_GE(levels, 64) << "alpha takes only a few values: not real antialiasing";
    // Only where the outline runs exactly along a pixel boundary (its very
    // top) may opaque meet transparent directly.
    EXPECT_LE(hardSteps, 4);
}

TEST_F(TrayIcon, SymbolKeepsContrastWhenShrunk) {
    for (int size : {16, 32}) {
        const std::vector<Rgba> small = downscale(size);
        int light = 0, dark = 0;
        for (const Rgba& p : small) {
            if (p.a < 200)
                continue;
            if (luma(p) >= 200)
                ++light;
            if (luma(p) <= 120)
                ++dark;
        }
        // The white symbol and the dark badge both survive the box filter.
        EXPECT_GE(light, size * size / 16) << size << "x" << size;
        EXPECT_GE(dark, size * size / 16) << size << "x" << size;
        EXPECT_EQ(small.front().a, 0) << size << "x" << size;
        EXPECT_EQ(small.back().a, 0) << size << "x" << size;
    }
}

// ---------------------------------------------------------------------------
// The executable's icon: the tray icon's picture at 48, 32 and 16 pixels.

constexpr std::size_t kExeIconFileSize = 15086;
constexpr std::size_t kExeIconDirSize = kIconDirSize + 3 * kIconDirEntrySize;  // 54

struct ExeRendition {
    int index;                 // position in the directory
    int size;                  // width = height
    std::uint32_t offset;      // where its bitmap header starts
    std::uint32_t bytesInRes;  // header + BGRA rows + mask rows
};

void PrintTo(const ExeRendition& c, std::ostream* os) {
    *os << c.size << "x" << c.size << " (entry " << c.index << ")";
}

// 48: 40 + 48*48*4 + 8*48;  32: 40 + 32*32*4 + 4*32;  16: 40 + 16*16*4 + 4*16.
const ExeRendition kExeRenditions[] = {
    {0, 48, 54, 9640},
    {1, 32, 9694, 4264},
    {2, 16, 13958, 1128},
};

// The one image at `index` of a multi-image icon, repackaged as a single-image
// file (directory entry copied, offset set to 22) so IconFile can read it.
std::vector<std::uint8_t> singleImage(const std::vector<std::uint8_t>& bytes, std::size_t index) {
    const std::size_t entry = kIconDirSize + kIconDirEntrySize * index;
    const std::uint32_t size = readU32(bytes, entry + 8);
    const std::uint32_t offset = readU32(bytes, entry + 12);
    if (offset > bytes.size() || bytes.size() - offset < size)
        return {};
    std::vector<std::uint8_t> out = {0, 0, 1, 0, 1, 0};
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(entry),
               bytes.begin() + static_cast<std::ptrdiff_t>(entry + 12));
    const std::uint32_t single = kIconDirSize + kIconDirEntrySize;
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(single >> shift));
    out.insert(out.end(), bytes.begin() + offset, bytes.begin() + offset + size);
    return out;
}

// A pixel in premultiplied alpha, channels 0..255 as doubles.
struct Premul {
    double r = 0, g = 0, b = 0, a = 0;
};

Premul premultiply(const Rgba& p) {
    const double k = p.a / 255.0;
    return {p.r * k, p.g * k, p.b * k, static_cast<double>(p.a)};
}

// Box filter of a square image to size x size in premultiplied alpha, with
// fractional pixel coverage (128 -> 48 is not a whole factor). Also resamples
// up (the 32-px target cursor to 48 px) by the same area rule.
std::vector<Premul> boxResample(const IconFile& f, int size) {
    const double scale = static_cast<double>(size) / f.width();  // output px per source px
    auto overlap = [scale](int src, int dst) {
        const double lo = std::max(src * scale, static_cast<double>(dst));
        const double hi = std::min((src + 1) * scale, dst + 1.0);
        return hi > lo ? hi - lo : 0.0;
    };
    std::vector<Premul> out(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x) {
            const Premul p = premultiply(f.pixel(x, y));
            for (int oy = static_cast<int>(y * scale); oy < size && oy < (y + 1) * scale; ++oy)
                for (int ox = static_cast<int>(x * scale); ox < size && ox < (x + 1) * scale; ++ox) {
                    const double w = overlap(y, oy) * overlap(x, ox);
                    Premul& o = out[static_cast<std::size_t>(oy * size + ox)];
                    o.r += p.r * w;
                    o.g += p.g * w;
                    o.b += p.b * w;
                    o.a += p.a * w;
                }
        }
    return out;
}

// How far a rendition is from a reference picture of the same size.
struct Difference {
    double meanAlpha = 0;   // |mean alpha - mean reference alpha|
    double meanColour = 0;  // largest |mean channel - mean reference channel|
    double perPixel = 0;    // mean absolute difference over all pixels and channels
};

Difference compare(const IconFile& f, const std::vector<Premul>& ref, bool flipRef = false) {
    const int n = f.width();
    Premul sumImg, sumRef;
    double absDiff = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const Premul p = premultiply(f.pixel(x, y));
            const int ry = flipRef ? n - 1 - y : y;
            const Premul& q = ref[static_cast<std::size_t>(ry * n + x)];
            sumImg = {sumImg.r + p.r, sumImg.g + p.g, sumImg.b + p.b, sumImg.a + p.a};
            sumRef = {sumRef.r + q.r, sumRef.g + q.g, sumRef.b + q.b, sumRef.a + q.a};
            absDiff += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) + std::abs(p.a - q.a);
        }
    const double count = static_cast<double>(n) * n;
    Difference d;
    d.meanAlpha = std::abs(sumImg.a - sumRef.a) / count;
    d.meanColour =
        std::max({std::abs(sumImg.r - sumRef.r), std::abs(sumImg.g - sumRef.g), std::abs(sumImg.b - sumRef.b)}) / count;
    d.perPixel = absDiff / (4 * count);
    return d;
}

// A box-filtered rendition differs from the exact average only by rounding
// to 8 bits; a wrong, shifted or flipped picture is far outside these.
constexpr double kMeanAlphaTolerance = 1.0;
constexpr double kMeanColourTolerance = 1.0;
constexpr double kPerPixelTolerance = 1.5;

TEST(ExeIconFile, DirectoryHeaderAndSize) {
    const std::vector<std::uint8_t> bytes = readFileBytes(assetPath("tavik_exe.ico"));
    ASSERT_EQ(bytes.size(), kExeIconFileSize);
    EXPECT_EQ(readU16(bytes, 0), 0) << "reserved";
    EXPECT_EQ(readU16(bytes, 2), 1) << "type: icon";
    EXPECT_EQ(readU16(bytes, 4), 3) << "image count";
}

class ExeIcon : public ::testing::TestWithParam<ExeRendition> {
protected:
    void SetUp() override {
        bytes = readFileBytes(assetPath("tavik_exe.ico"));
        ASSERT_EQ(bytes.size(), kExeIconFileSize);
        ASSERT_TRUE(f.parse(singleImage(bytes, static_cast<std::size_t>(GetParam().index)))) << f.error();
    }
    std::vector<std::uint8_t> bytes;
    IconFile f;  // the one rendition
};

TEST_P(ExeIcon, DirectoryEntry) {
    const ExeRendition& c = GetParam();
    EXPECT_EQ(f.entry.width, c.size);
    EXPECT_EQ(f.entry.height, c.size);
    EXPECT_EQ(f.entry.colorCount, 0);
    EXPECT_EQ(f.entry.reserved, 0);
    EXPECT_EQ(f.entry.word1, 1) << "planes";
    EXPECT_EQ(f.entry.word2, 32) << "bits per pixel";
    EXPECT_EQ(f.entry.bytesInRes, c.bytesInRes);
    const std::size_t entry = kIconDirSize + kIconDirEntrySize * static_cast<std::size_t>(c.index);
    EXPECT_EQ(readU32(bytes, entry + 12), c.offset) << "image offset";
}

TEST_P(ExeIcon, ImagesAreContiguousAndFillTheFile) {
    const ExeRendition& c = GetParam();
    const std::size_t count = readU16(bytes, 4);
    ASSERT_EQ(count, 3u);
    auto entryAt = [&](std::size_t i) { return kIconDirSize + kIconDirEntrySize * i; };
    const std::size_t i = static_cast<std::size_t>(c.index);
    const std::uint32_t offset = readU32(bytes, entryAt(i) + 12);
    const std::uint32_t size = readU32(bytes, entryAt(i) + 8);
    // Each image starts where the previous one (or the directory) ends.
    const std::size_t expectedStart =
        i == 0 ? kExeIconDirSize : readU32(bytes, entryAt(i - 1) + 12) + readU32(bytes, entryAt(i - 1) + 8);
    EXPECT_EQ(offset, expectedStart);
    if (i + 1 == count) {
        EXPECT_EQ(offset + size, bytes.size()) << "the last image ends the file";
    }
    // The stored size is exactly header + colour rows + mask rows.
    const std::size_t n = static_cast<std::size_t>(c.size);
    EXPECT_EQ(size, kInfoHeaderSize + dibStride(c.size, 32) * n + dibStride(c.size, 1) * n);
    EXPECT_EQ(f.imageEnd(), f.fileSize()) << "nothing between the mask and the next image";
}

TEST_P(ExeIcon, BitmapInfoHeader) {
    const ExeRendition& c = GetParam();
    EXPECT_EQ(f.info.size, kInfoHeaderSize);
    EXPECT_EQ(f.info.width, c.size);
    EXPECT_EQ(f.info.height, 2 * c.size);
    EXPECT_EQ(f.info.planes, 1);
    EXPECT_EQ(f.info.bitCount, 32);
    EXPECT_EQ(f.info.compression, 0u);
    EXPECT_EQ(f.info.sizeImage, 0u);
    EXPECT_EQ(f.info.clrUsed, 0u);
    EXPECT_EQ(f.info.clrImportant, 0u);
}

TEST_P(ExeIcon, MaskBitSetExactlyWhereAlphaIsZeroAndThosePixelsAreBlack) {
    int transparent = 0, opaque = 0, mismatches = 0;
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x) {
            const Rgba p = f.pixel(x, y);
            transparent += p.a == 0;
            opaque += p.a == 255;
            if (f.maskBit(x, y) != (p.a == 0) && ++mismatches <= 5)
                ADD_FAILURE() << "(" << x << "," << y << ") alpha " << int(p.a) << " mask " << f.maskBit(x, y);
            if (p.a == 0) {
                EXPECT_TRUE((p == Rgba{0, 0, 0, 0})) << "(" << x << "," << y << ")";
            }
        }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, f.width() * f.height() / 2) << "the badge should fill most of the icon";
}

TEST_P(ExeIcon, CornersAreTransparent) {
    // The tray icon is clear for well over 8 px from each corner, which is
    // 3 px at 48, 2 px at 32 and 1 px at 16.
    const int n = f.width(), k = n / 16;
    for (auto [x0, y0] : {std::pair{0, 0}, {n - k, 0}, {0, n - k}, {n - k, n - k}})
        for (int y = y0; y < y0 + k; ++y)
            for (int x = x0; x < x0 + k; ++x) {
                EXPECT_EQ(f.pixel(x, y).a, 0) << "(" << x << "," << y << ")";
                EXPECT_TRUE(f.maskBit(x, y)) << "(" << x << "," << y << ")";
            }
}

TEST_P(ExeIcon, IsTheTrayIconScaledDown) {
    IconFile tray;
    ASSERT_TRUE(load(assetPath("tray_icon.ico"), tray));
    const std::vector<Premul> ref = boxResample(tray, f.width());
    const Difference d = compare(f, ref);
    EXPECT_LE(d.meanAlpha, kMeanAlphaTolerance);
    EXPECT_LE(d.meanColour, kMeanColourTolerance);
    EXPECT_LE(d.perPixel, kPerPixelTolerance);

    // The tolerances must tell pictures apart: the same rendition against the
    // reference upside down (same mean, wrong picture) fails the pixel test,
    // and the target cursor's picture fails the mean tests.
    EXPECT_GT(compare(f, ref, true).perPixel, 4 * kPerPixelTolerance);
    IconFile target;
    ASSERT_TRUE(load(assetPath("target.cur"), target));
    const Difference other = compare(f, boxResample(target, f.width()));
    EXPECT_GT(std::max(other.meanAlpha, other.meanColour), 4 * kMeanColourTolerance);
}

TEST_P(ExeIcon, SymbolKeepsContrast) {
    int light = 0, dark = 0;
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x) {
            const Rgba p = f.pixel(x, y);
            if (p.a < 200)
                continue;
            if (luma(p) >= 200)
                ++light;
            if (luma(p) <= 120)
                ++dark;
        }
    const int area = f.width() * f.height();
    EXPECT_GE(light, area / 16) << "white symbol";
    EXPECT_GE(dark, area / 16) << "dark badge";
}

INSTANTIATE_TEST_SUITE_P(Assets, ExeIcon, ::testing::ValuesIn(kExeRenditions),
                         [](const ::testing::TestParamInfo<ExeRendition>& p) {
                             return "px" + std::to_string(p.param.size);
                         });

// ---------------------------------------------------------------------------
// The generator.

const char* const kAssetNames[] = {"tray_icon.ico", "tavik_exe.ico", "target.cur", "arrow.cur"};

int runGenerator(const std::string& args) {
    std::string cmd = std::string("\"") + TAVIK_IMAGEGEN + "\" " + args;
#ifdef _WIN32
    cmd += " > NUL 2>&1";
    cmd = "\"" + cmd + "\"";  // cmd.exe strips one outer pair of quotes
#else
    cmd += " > /dev/null 2>&1";
#endif
    return std::system(cmd.c_str());
}

class ImageGenerator : public ::testing::Test {
protected:
    fs::path makeTempDir(const std::string& tag) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        fs::path dir = fs::temp_directory_path() / ("tavik_imagegen_" + tag + "_" + std::to_string(stamp));
        fs::remove_all(dir);
        fs::create_directories(dir);
        dirs_.push_back(dir);
        return dir;
    }
    void TearDown() override {
        std::error_code ec;
        for (const fs::path& d : dirs_)
            fs::remove_all(d, ec);
    }

private:
    std::vector<fs::path> dirs_;
};

TEST_F(ImageGenerator, TwoRunsMatchEachOtherAndTheCommittedAssets) {
    const fs::path a = makeTempDir("a");
    const fs::path b = makeTempDir("b");
    ASSERT_EQ(runGenerator("\"" + a.string() + "\""), 0);
    ASSERT_EQ(runGenerator("\"" + b.string() + "\""), 0);
    for (const char* name : kAssetNames) {
        const std::vector<std::uint8_t> first = readFileBytes((a / name).string());
        const std::vector<std::uint8_t> second = readFileBytes((b / name).string());
        const std::vector<std::uint8_t> committed = readFileBytes(assetPath(name));
        ASSERT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == second) << name << " differs between runs";
        EXPECT_TRUE(first == committed) << name << " differs from assets/; regenerate it";
    }
}

TEST_F(ImageGenerator, FailsWithoutUsableOutputFolder) {
    EXPECT_NE(runGenerator(""), 0) << "no folder given";
    const fs::path base = makeTempDir("missing");
    EXPECT_NE(runGenerator("\"" + (base / "does" / "not" / "exist").string() + "\""), 0);
    EXPECT_NE(runGenerator("one two"), 0) << "too many arguments";
}

}  // namespace
}  // namespace tavik::test
