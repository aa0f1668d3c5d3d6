// imagegen: draws Tavik's three built-in images and writes them as Windows
// icon/cursor files.
//
//   tray_icon.ico  128x128, 32-bpp BGRA with alpha + AND mask
//   tavik_exe.ico  the tray icon at 48x48, 32x32 and 16x16 (the executable's
//                  own icon), each 32-bpp BGRA with alpha + AND mask
//   target.cur     32x32,   32-bpp BGRA with alpha + AND mask, hot spot (8, 6)
//   arrow.cur      32x32,   4-bpp VGA palette + AND mask,      hot spot (2, 4)
//
// Usage: imagegen <output-folder>
//
// The output must be byte-for-byte reproducible, so all drawing is done with
// integer arithmetic: every pixel is split into 16x16 sub-samples, each
// sub-sample is classified against the shapes with exact integer geometry and
// composited in integer premultiplied colour, and the sub-samples are then
// averaged with explicit rounding. The only floating point is in P(), which
// turns a pixel constant into fixed point: constants that are not exact binary
// fractions (the hour hand's end point) are constexpr and folded by the
// compiler, and all others are exact, so the result cannot depend on the
// platform's floating point. No randomness, no clock.
//
// Every BITMAPINFOHEADER is written with biSizeImage = 0, which is valid for
// uncompressed (BI_RGB) bitmaps; readers derive the size from the dimensions.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using i64 = std::int64_t;

// ---------------------------------------------------------------------------
// Fixed-point geometry.
//
// Coordinates are measured in 1/32 of a pixel. Pixel (x, y) covers
// [x, x+1) x [y, y+1); its 16x16 sub-samples sit at x + (2k+1)/32.

constexpr i64 kUnit = 32;  // fixed-point units per pixel
constexpr int kSub = 16;   // sub-samples per pixel along each axis
constexpr int kSamples = kSub * kSub;

// Converts a pixel-space constant to fixed point (rounded to nearest).
constexpr i64 P(double v) { return static_cast<i64>(v * kUnit + (v >= 0 ? 0.5 : -0.5)); }

struct Pt {
    i64 x;
    i64 y;
};

constexpr i64 sq(i64 v) { return v * v; }

i64 dist2(Pt a, Pt b) { return sq(a.x - b.x) + sq(a.y - b.y); }

// Floor of the square root of a non-negative 64-bit integer.
i64 isqrt(i64 n) {
    if (n <= 0)
        return 0;
    i64 r = 0;
    i64 bit = i64{1} << 62;
    while (bit > n)
        bit >>= 2;
    while (bit != 0) {
        if (n >= r + bit) {
            n -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return r;
}

bool inCircle(Pt p, Pt c, i64 r) { return dist2(p, c) <= sq(r); }

bool inAnnulus(Pt p, Pt c, i64 rInner, i64 rOuter) {
    const i64 d = dist2(p, c);
    return d >= sq(rInner) && d <= sq(rOuter);
}

// True if p lies within distance r of the segment a-b (a "capsule": a thick
// line with round ends).
bool inCapsule(Pt p, Pt a, Pt b, i64 r) {
    const i64 dx = b.x - a.x, dy = b.y - a.y;
    const i64 wx = p.x - a.x, wy = p.y - a.y;
    const i64 len2 = dx * dx + dy * dy;
    const i64 t = wx * dx + wy * dy;
    if (len2 == 0 || t <= 0)
        return wx * wx + wy * wy <= r * r;
    if (t >= len2)
        return dist2(p, b) <= r * r;
    // Squared perpendicular distance is (|w|^2 * len2 - t^2) / len2.
    return (wx * wx + wy * wy) * len2 - t * t <= r * r * len2;
}

bool inRect(Pt p, i64 x0, i64 y0, i64 x1, i64 y1) { return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1; }

// Linear ramp: 0 at or below lo, 1024 at or above hi.
i64 ramp(i64 v, i64 lo, i64 hi) {
    if (v <= lo)
        return 0;
    if (v >= hi)
        return 1024;
    return (v - lo) * 1024 / (hi - lo);
}

// ---------------------------------------------------------------------------
// Colour.

struct Rgb {
    int r, g, b;
};

// Mix two colours, t in [0, 1024].
Rgb mix(Rgb a, Rgb b, i64 t) {
    auto m = [t](int x, int y) { return static_cast<int>((x * (1024 - t) + y * t + 512) / 1024); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// A premultiplied sample. Channels are scaled by 255 so that a colour value
// times an alpha value (both 0..255) is stored without rounding:
// r, g, b = colour * alpha, a = alpha * 255. Range 0..65025.
struct Pm {
    i64 r = 0, g = 0, b = 0, a = 0;
};

// Paints colour c with alpha a (0..255) over dst.
void over(Pm& dst, Rgb c, i64 a) {
    if (a <= 0)
        return;
    if (a > 255)
        a = 255;
    const i64 keep = 255 - a;
    dst.r = c.r * a + (dst.r * keep + 127) / 255;
    dst.g = c.g * a + (dst.g * keep + 127) / 255;
    dst.b = c.b * a + (dst.b * keep + 127) / 255;
    dst.a = 255 * a + (dst.a * keep + 127) / 255;
}

// A straight-alpha RGBA image, rows top-down.
struct Image {
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgba;  // r, g, b, a per pixel

    Image(int width, int height) : w(width), h(height), rgba(static_cast<std::size_t>(width) * height * 4, 0) {}

    std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * w + x) * 4]; }
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * w + x) * 4]; }
};

// Renders an image by evaluating shade(point) for every sub-sample and
// averaging. shade returns the premultiplied colour of that sub-sample.
template <typename Shader>
Image render(int w, int h, Shader shade) {
    Image img(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Pm sum;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const Pt p{x * kUnit + 2 * sx + 1, y * kUnit + 2 * sy + 1};
                    const Pm s = shade(p);
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            }
            std::uint8_t* px = img.at(x, y);
            // Average alpha: sum.a = sum of alpha*255 over kSamples.
            const i64 alphaDen = i64{255} * kSamples;
            const i64 alpha = (sum.a + alphaDen / 2) / alphaDen;
            if (alpha == 0) {
                px[0] = px[1] = px[2] = px[3] = 0;
                continue;
            }
            // Straight colour = sum(colour*alpha) / sum(alpha).
            auto unpm = [&](i64 c) {
                i64 v = (c * 255 + sum.a / 2) / sum.a;
                return static_cast<std::uint8_t>(v > 255 ? 255 : v);
            };
            px[0] = unpm(sum.r);
            px[1] = unpm(sum.g);
            px[2] = unpm(sum.b);
            px[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return img;
}

// Shrinks img to size x size with a box filter in premultiplied alpha: every
// output pixel is the area-weighted average of the source pixels it covers.
// The scale need not be a whole number (128 -> 48). Positions are measured in
// units of 1 / (source width * size) so that every overlap is an integer.
Image downscale(const Image& img, int size) {
    const i64 src = img.w;
    // Overlap of source pixel i with output pixel o along one axis, in units
    // where a source pixel is `size` long and an output pixel `src` long.
    auto overlap = [&](i64 i, i64 o) {
        const i64 lo = std::max(i * size, o * src);
        const i64 hi = std::min((i + 1) * size, (o + 1) * src);
        return hi > lo ? hi - lo : i64{0};
    };
    Image out(size, size);
    for (int oy = 0; oy < size; ++oy) {
        for (int ox = 0; ox < size; ++ox) {
            Pm sum;  // colour * alpha * weight, alpha * weight
            for (i64 y = oy * src / size; y < src && y * size < (oy + 1) * src; ++y) {
                const i64 wy = overlap(y, oy);
                for (i64 x = ox * src / size; x < src && x * size < (ox + 1) * src; ++x) {
                    const i64 wgt = wy * overlap(x, ox);
                    const std::uint8_t* px = img.at(static_cast<int>(x), static_cast<int>(y));
                    sum.r += px[0] * px[3] * wgt;
                    sum.g += px[1] * px[3] * wgt;
                    sum.b += px[2] * px[3] * wgt;
                    sum.a += px[3] * wgt;
                }
            }
            std::uint8_t* px = out.at(ox, oy);
            const i64 area = src * src;  // total weight of one output pixel
            const i64 alpha = (sum.a + area / 2) / area;
            if (alpha == 0)
                continue;  // stays fully transparent black
            auto unpm = [&](i64 c) {
                const i64 v = (c + sum.a / 2) / sum.a;
                return static_cast<std::uint8_t>(v > 255 ? 255 : v);
            };
            px[0] = unpm(sum.r);
            px[1] = unpm(sum.g);
            px[2] = unpm(sum.b);
            px[3] = static_cast<std::uint8_t>(alpha > 255 ? 255 : alpha);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Tray icon: a power symbol whose ring is also a clock face, on a blue-teal
// badge. The power stroke doubles as the minute hand at twelve, an amber hour
// hand points to four.

namespace tray {

constexpr int kSize = 128;

constexpr Pt kBadgeC{P(64), P(62)};
constexpr i64 kBadgeR = P(58);
constexpr Pt kDropC{P(64), P(65)};  // soft drop shadow under the badge
constexpr i64 kDropR = P(57);
constexpr i64 kDropBlur = P(4);

constexpr Pt kC{P(64), P(66)};  // centre of the power ring / clock
constexpr i64 kRingIn = P(30);
constexpr i64 kRingOut = P(44);
constexpr i64 kRingMid = (kRingIn + kRingOut) / 2;
constexpr i64 kRingHalf = (kRingOut - kRingIn) / 2;
constexpr i64 kBarR = P(6.5);
constexpr Pt kBarTop{P(64), P(16)};
constexpr i64 kHourR = P(5);
constexpr Pt kHourEnd{P(64 + 20 * 0.8660254), P(66 + 20 * 0.5)};  // four o'clock
constexpr i64 kHubR = P(7);
constexpr i64 kTickR = P(2.6);
constexpr i64 kTickDist = P(23);
constexpr Pt kSymbolShadow{P(0), P(2.5)};

const Rgb kBadgeTop{26, 160, 210};
const Rgb kBadgeBottom{18, 72, 160};
const Rgb kBadgeEdge{14, 56, 120};
const Rgb kWhite{255, 255, 255};
const Rgb kSymbolBottom{222, 240, 250};
const Rgb kAmber{255, 178, 36};
const Rgb kShadow{6, 30, 70};

// The ring is broken at the top by a gap of +-36.87 degrees around the
// vertical (the angle of the 3-4-5 triangle, so its ends are exact points).
bool inRingGap(Pt p) {
    const i64 dx = p.x - kC.x, dy = p.y - kC.y;
    const i64 adx = dx < 0 ? -dx : dx;
    return dy < 0 && adx * 4 < -dy * 3;
}

// White parts of the symbol (ring with round ends, power bar, hub).
bool inSymbol(Pt p) {
    if (inAnnulus(p, kC, kRingIn, kRingOut) && !inRingGap(p))
        return true;
    const Pt endL{kC.x - kRingMid * 3 / 5, kC.y - kRingMid * 4 / 5};
    const Pt endR{kC.x + kRingMid * 3 / 5, kC.y - kRingMid * 4 / 5};
    if (inCircle(p, endL, kRingHalf) || inCircle(p, endR, kRingHalf))
        return true;
    if (inCapsule(p, kBarTop, kC, kBarR))
        return true;
    return false;
}

// Hour marks at three, six and nine o'clock.
bool inTick(Pt p) {
    return inCircle(p, {kC.x + kTickDist, kC.y}, kTickR) || inCircle(p, {kC.x, kC.y + kTickDist}, kTickR) ||
           inCircle(p, {kC.x - kTickDist, kC.y}, kTickR);
}

bool inHourHand(Pt p) { return inCapsule(p, kC, kHourEnd, kHourR); }

bool inAnyMark(Pt p) { return inSymbol(p) || inTick(p) || inHourHand(p) || inCircle(p, kC, kHubR); }

Pm shade(Pt p) {
    Pm s;
    // Soft drop shadow: alpha falls off linearly across +-blur around the
    // shadow disc's edge.
    {
        const i64 d = isqrt(dist2(p, kDropC));
        const i64 t = 1024 - ramp(d, kDropR - kDropBlur, kDropR + kDropBlur);
        over(s, kShadow, 80 * t / 1024);
    }
    const i64 d2 = dist2(p, kBadgeC);
    if (d2 > sq(kBadgeR))
        return s;

    // Badge body: vertical gradient, darker edge ring.
    const i64 tv = ramp(p.y, kBadgeC.y - kBadgeR, kBadgeC.y + kBadgeR);
    Rgb body = mix(kBadgeTop, kBadgeBottom, tv);
    const i64 d = isqrt(d2);
    body = mix(body, kBadgeEdge, ramp(d, kBadgeR - P(6), kBadgeR) * 3 / 4);
    over(s, body, 255);

    // Gloss: the upper part of the badge, inside a larger circle set above it,
    // is lifted towards white, fading downwards.
    {
        const Pt gc{P(64), P(-2)};
        const i64 gr = P(62);
        if (inCircle(p, gc, gr) && d <= kBadgeR - P(3)) {
            const i64 t = 1024 - ramp(p.y, P(6), P(52));
            over(s, kWhite, 40 * t / 1024);
        }
    }
    // Shadow cast by the symbol onto the badge.
    const Pt ps{p.x - kSymbolShadow.x, p.y - kSymbolShadow.y};
    if (inAnyMark(ps) && !inAnyMark(p))
        over(s, kShadow, 70);

    // Symbol.
    const Rgb symbol = mix(kWhite, kSymbolBottom, ramp(p.y, P(20), P(110)));
    if (inSymbol(p) || inTick(p))
        over(s, symbol, 255);
    if (inHourHand(p))
        over(s, kAmber, 255);
    if (inCircle(p, kC, kHubR)) {
        over(s, kAmber, 255);
        if (inCircle(p, kC, P(2.5)))
            over(s, symbol, 255);
    }
    return s;
}

Image draw() { return render(kSize, kSize, shade); }

}  // namespace tray

// ---------------------------------------------------------------------------
// Target cursor: a glassy disc, white to pale teal, white rim, white
// gun-sight cross, soft teal shadow to the lower right.

namespace target {

constexpr int kSize = 32;
constexpr int kHotX = 8;
constexpr int kHotY = 6;

constexpr Pt kC{P(15.5), P(15.5)};  // centre of pixel (15, 15)
constexpr i64 kR = P(14);
constexpr Pt kShadowC{P(16.5), P(16.75)};
constexpr i64 kShadowBlur = P(1.25);
constexpr Pt kLight{P(9), P(8)};  // where the glass catches the light

const Rgb kWhite{255, 255, 255};
const Rgb kPaleTeal{156, 224, 222};
const Rgb kDeepTeal{104, 192, 198};
const Rgb kEdge{40, 140, 150};
const Rgb kShadow{20, 96, 104};
const Rgb kOutline{38, 132, 142};

// Cross arms: one pixel wide, from 3 to 10 px away from the centre pixel.
bool inCross(Pt p) {
    const i64 lo = P(15), hi = P(16);
    const i64 near = P(3), far = P(10);
    return inRect(p, lo, kC.y - far, hi, kC.y - near) ||  // up
           inRect(p, lo, kC.y + near, hi, kC.y + far) ||  // down
           inRect(p, kC.x - far, lo, kC.x - near, hi) ||  // left
           inRect(p, kC.x + near, lo, kC.x + far, hi);    // right
}

// A one-pixel teal outline around the cross so it reads on pale glass.
bool inCrossOutline(Pt p) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (inCross({p.x + dx * kUnit, p.y + dy * kUnit}))
                return true;
    return false;
}

Pm shade(Pt p) {
    Pm s;
    {
        const i64 d = isqrt(dist2(p, kShadowC));
        const i64 t = 1024 - ramp(d, kR - kShadowBlur, kR + kShadowBlur);
        over(s, kShadow, 130 * t / 1024);
    }
    const i64 d2 = dist2(p, kC);
    if (d2 > sq(kR))
        return s;
    const i64 d = isqrt(d2);

    // Glass body: radial falloff from the light spot towards pale teal,
    // deepening near the lower-right edge.
    const i64 dl = isqrt(dist2(p, kLight));
    Rgb body = mix(kWhite, kPaleTeal, ramp(dl, P(2), P(16)));
    body = mix(body, kDeepTeal, ramp(dl, P(16), P(27)));
    over(s, body, 255);

    // Thin teal edge, then the white rim just inside it.
    if (d > kR - P(0.5)) {
        over(s, kEdge, 255);
    } else if (d > kR - P(2.5)) {
        over(s, kWhite, 255);
    }
    if (inCrossOutline(p) && !inCross(p))
        over(s, kOutline, 120);
    if (inCross(p))
        over(s, kWhite, 255);
    return s;
}

Image draw() { return render(kSize, kSize, shade); }

}  // namespace target

// ---------------------------------------------------------------------------
// Arrow cursor: the plain pointer, black outline, white body. '#' is black,
// '.' is white, ' ' is transparent. The tip is the top-left character and is
// placed at the hot spot.

namespace arrow {

constexpr int kSize = 32;
constexpr int kHotX = 2;
constexpr int kHotY = 4;

const char* const kShape[] = {
    "#",         "##",        "#.#",        "#..#",        "#...#",        "#....#",   "#.....#",
    "#......#",  "#.......#", "#........#", "#.........#", "#......#####", "#...#..#", "#..##..#",
    "#.#  #..#", "##   #..#", "#     #..#", "      #..#",  "       ##",
};

enum : std::uint8_t { kBlack = 0, kWhiteIdx = 15 };

struct Bitmap {
    std::uint8_t index[kSize][kSize] = {};  // palette index, top-down
    bool opaque[kSize][kSize] = {};         // part of the arrow
};

Bitmap draw() {
    Bitmap bm;
    const int rows = static_cast<int>(sizeof(kShape) / sizeof(kShape[0]));
    for (int r = 0; r < rows; ++r) {
        const std::string row = kShape[r];
        for (int c = 0; c < static_cast<int>(row.size()); ++c) {
            if (row[c] == ' ')
                continue;
            const int x = kHotX + c, y = kHotY + r;
            bm.opaque[y][x] = true;
            bm.index[y][x] = row[c] == '#' ? kBlack : kWhiteIdx;
        }
    }
    return bm;
}

}  // namespace arrow

// ---------------------------------------------------------------------------
// File writing.

class Writer {
public:
    void u8(unsigned v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

constexpr unsigned kTypeIcon = 1;
constexpr unsigned kTypeCursor = 2;
constexpr std::uint32_t kDirHeaderSize = 6;
constexpr std::uint32_t kDirEntrySize = 16;
constexpr std::uint32_t kDirSize = kDirHeaderSize + kDirEntrySize;  // one entry
constexpr std::uint32_t kInfoHeaderSize = 40;

// Bytes per row of a bottom-up DIB, padded to 32 bits.
constexpr std::uint32_t stride(int width, int bpp) { return static_cast<std::uint32_t>(((width * bpp + 31) / 32) * 4); }

void writeDirectoryHeader(Writer& w, unsigned type, unsigned count) {
    w.u16(0);      // reserved
    w.u16(type);   // 1 = icon, 2 = cursor
    w.u16(count);  // number of images
}

// One directory entry. For icons the two middle words are the plane count
// and bit depth; for cursors they hold the hot spot.
void writeDirectoryEntry(Writer& w, int size, unsigned word1, unsigned word2, std::uint32_t imageBytes,
                         std::uint32_t offset) {
    w.u8(static_cast<unsigned>(size) & 0xFF);  // width (0 would mean 256)
    w.u8(static_cast<unsigned>(size) & 0xFF);  // height
    w.u8(0);                                   // colour count: 0 for every image we write
    w.u8(0);                                   // reserved
    w.u16(word1);
    w.u16(word2);
    w.u32(imageBytes);
    w.u32(offset);
}

// Directory with a single entry; the image follows the directory.
void writeDirectory(Writer& w, unsigned type, int size, unsigned word1, unsigned word2, std::uint32_t imageBytes) {
    writeDirectoryHeader(w, type, 1);
    writeDirectoryEntry(w, size, word1, word2, imageBytes, kDirSize);
}

void writeInfoHeader(Writer& w, int size, unsigned bpp) {
    w.u32(kInfoHeaderSize);
    w.i32(size);      // width
    w.i32(size * 2);  // height covers colour bitmap + mask
    w.u16(1);         // planes
    w.u16(bpp);
    w.u32(0);  // BI_RGB
    w.u32(0);  // biSizeImage: 0 is allowed for BI_RGB
    w.i32(0);  // x pixels per metre
    w.i32(0);  // y pixels per metre
    w.u32(0);  // colours used: 0 = full palette for <= 8 bpp
    w.u32(0);  // important colours
}

// AND mask: 1 bit per pixel, most significant bit first, bottom-up.
template <typename IsTransparent>
void writeMask(Writer& w, int size, IsTransparent transparent) {
    const std::uint32_t rowBytes = stride(size, 1);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(rowBytes, 0);
        for (int x = 0; x < size; ++x)
            if (transparent(x, y))
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        for (std::uint8_t b : row)
            w.u8(b);
    }
}

// Size of a 32-bpp image with its mask, as stored in the file.
std::uint32_t imageBytes32(const Image& img) {
    return kInfoHeaderSize + stride(img.w, 32) * static_cast<std::uint32_t>(img.h) +
           stride(img.w, 1) * static_cast<std::uint32_t>(img.h);
}

// Bitmap header, BGRA pixels and a mask derived from alpha.
void writeImage32(Writer& w, const Image& img) {
    writeInfoHeader(w, img.w, 32);
    for (int y = img.h - 1; y >= 0; --y) {
        for (int x = 0; x < img.w; ++x) {
            const std::uint8_t* px = img.at(x, y);
            w.u8(px[2]);  // B
            w.u8(px[1]);  // G
            w.u8(px[0]);  // R
            w.u8(px[3]);  // A
        }
    }
    writeMask(w, img.w, [&](int x, int y) { return img.at(x, y)[3] == 0; });
}

// A single 32-bpp image with a mask derived from alpha.
std::vector<std::uint8_t> write32(const Image& img, unsigned type, unsigned word1, unsigned word2) {
    Writer w;
    writeDirectory(w, type, img.w, word1, word2, imageBytes32(img));
    writeImage32(w, img);
    return w.bytes();
}

// An icon holding several 32-bpp images, in the order given, stored one after
// another behind the directory.
std::vector<std::uint8_t> writeIcon32(const std::vector<Image>& images) {
    Writer w;
    const auto count = static_cast<std::uint32_t>(images.size());
    writeDirectoryHeader(w, kTypeIcon, count);
    std::uint32_t offset = kDirHeaderSize + kDirEntrySize * count;
    for (const Image& img : images) {
        writeDirectoryEntry(w, img.w, 1, 32, imageBytes32(img), offset);
        offset += imageBytes32(img);
    }
    for (const Image& img : images)
        writeImage32(w, img);
    return w.bytes();
}

// The 16-colour VGA palette in the usual Windows order, as B, G, R, 0.
const std::uint8_t kVgaPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};  // as R, G, B

std::vector<std::uint8_t> writeArrow(const arrow::Bitmap& bm) {
    constexpr int n = arrow::kSize;
    const std::uint32_t imageBytes = kInfoHeaderSize + 16 * 4 + stride(n, 4) * n + stride(n, 1) * n;
    Writer w;
    writeDirectory(w, kTypeCursor, n, arrow::kHotX, arrow::kHotY, imageBytes);
    writeInfoHeader(w, n, 4);
    for (const auto& c : kVgaPalette) {
        w.u8(c[2]);
        w.u8(c[1]);
        w.u8(c[0]);
        w.u8(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride(n, 4), 0);
        for (int x = 0; x < n; ++x) {
            const unsigned idx = bm.opaque[y][x] ? bm.index[y][x] : 0;
            row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? idx << 4 : idx);
        }
        for (std::uint8_t b : row)
            w.u8(b);
    }
    writeMask(w, n, [&](int x, int y) { return !bm.opaque[y][x]; });
    return w.bytes();
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "imagegen: cannot open %s for writing\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        std::fprintf(stderr, "imagegen: error writing %s\n", path.c_str());
        return false;
    }
    std::printf("%s: %zu bytes\n", path.c_str(), data.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-folder>\n", argc > 0 ? argv[0] : "imagegen");
        return 2;
    }
    std::string dir = argv[1];
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir += '/';

    const Image trayIcon = tray::draw();
    const auto ico = write32(trayIcon, kTypeIcon, 1, 32);
    const auto exeIco = writeIcon32({downscale(trayIcon, 48), downscale(trayIcon, 32), downscale(trayIcon, 16)});
    const auto cur = write32(target::draw(), kTypeCursor, target::kHotX, target::kHotY);
    const auto arr = writeArrow(arrow::draw());

    bool ok = writeFile(dir + "tray_icon.ico", ico);
    ok = writeFile(dir + "tavik_exe.ico", exeIco) && ok;
    ok = writeFile(dir + "target.cur", cur) && ok;
    ok = writeFile(dir + "arrow.cur", arr) && ok;
    return ok ? 0 : 1;
}
