#!/usr/bin/env python3
"""Renders a contact sheet of Tavik's icon and cursors as a PNG.

Usage: contact_sheet.py <asset-folder> <output.png>

Reads tray_icon.ico, tavik_exe.ico, target.cur and arrow.cur from the asset
folder (the files written by imagegen) and lays them out on three backgrounds
(light, dark, checkerboard), one background per row. Each row, left to right:

  tray icon 2x | tray icon 1x | icon box-filtered to 32x32 at 4x | at 1x |
  icon box-filtered to 16x16 at 8x | at 1x |
  exe icon 48x48 at 4x | at 1x | exe icon 32x32 at 4x | at 1x |
  exe icon 16x16 at 8x | at 1x | target 8x | target 1x | arrow 8x | arrow 1x

Enlargements are nearest-neighbour. Only the standard library is used; the
PNG is written with zlib.
"""

import struct
import sys
import zlib

BACKGROUNDS = [
    ("light", lambda x, y: (240, 240, 240)),
    ("dark", lambda x, y: (32, 36, 42)),
    ("checker", lambda x, y: (204, 204, 204) if ((x // 8) + (y // 8)) % 2 else (255, 255, 255)),
]
GAP = 16


def u16(b, o):
    return struct.unpack_from("<H", b, o)[0]


def u32(b, o):
    return struct.unpack_from("<I", b, o)[0]


def image_count(path):
    """Number of images in the icon/cursor file's directory."""
    return u16(open(path, "rb").read(), 4)


def read_image(path, index=0):
    """Returns (width, height, pixels) of the file's image number `index`,
    with pixels[y][x] = ("rgba", (r,g,b,a)) for 32-bpp images or
    ("mask", (r,g,b), and_bit) for palette images."""
    data = open(path, "rb").read()
    offset = u32(data, 6 + 16 * index + 12)
    hdr = offset
    width = struct.unpack_from("<i", data, hdr + 4)[0]
    height = struct.unpack_from("<i", data, hdr + 8)[0] // 2
    bpp = u16(data, hdr + 14)
    pos = hdr + u32(data, hdr)
    palette = []
    if bpp <= 8:
        count = u32(data, hdr + 32) or (1 << bpp)
        for i in range(count):
            b, g, r, _ = data[pos + 4 * i: pos + 4 * i + 4]
            palette.append((r, g, b))
        pos += 4 * count
    stride = ((width * bpp + 31) // 32) * 4
    mask_stride = ((width + 31) // 32) * 4
    mask_pos = pos + stride * height
    pixels = [[None] * width for _ in range(height)]
    for y in range(height):
        row = pos + (height - 1 - y) * stride
        mrow = mask_pos + (height - 1 - y) * mask_stride
        for x in range(width):
            bit = (data[mrow + x // 8] >> (7 - x % 8)) & 1
            if bpp == 32:
                b, g, r, a = data[row + 4 * x: row + 4 * x + 4]
                pixels[y][x] = ("rgba", (r, g, b, a))
            elif bpp == 4:
                byte = data[row + x // 2]
                idx = (byte >> 4) if x % 2 == 0 else (byte & 15)
                pixels[y][x] = ("mask", palette[idx], bit)
            else:
                raise ValueError("unsupported bit depth %d" % bpp)
    return width, height, pixels


def box_downscale(width, height, pixels, factor):
    """Averages factor x factor blocks in premultiplied alpha."""
    out = []
    n = factor * factor
    for oy in range(height // factor):
        row = []
        for ox in range(width // factor):
            sr = sg = sb = sa = 0
            for y in range(oy * factor, (oy + 1) * factor):
                for x in range(ox * factor, (ox + 1) * factor):
                    r, g, b, a = pixels[y][x][1]
                    sr += r * a
                    sg += g * a
                    sb += b * a
                    sa += a
            if sa == 0:
                row.append(("rgba", (0, 0, 0, 0)))
            else:
                row.append(("rgba", ((sr + sa // 2) // sa, (sg + sa // 2) // sa,
                                     (sb + sa // 2) // sa, (sa + n // 2) // n)))
        out.append(row)
    return width // factor, height // factor, out


def composite(pixel, bg):
    if pixel[0] == "rgba":
        r, g, b, a = pixel[1]
        return tuple((c * a + k * (255 - a) + 127) // 255 for c, k in zip((r, g, b), bg))
    colour, bit = pixel[1], pixel[2]
    if bit:  # screen AND 1 XOR colour
        return tuple(k ^ c for k, c in zip(bg, colour))
    return colour


def build_tiles():
    iw, ih, icon = read_image(sys.argv[1] + "/tray_icon.ico")
    tw, th, target = read_image(sys.argv[1] + "/target.cur")
    aw, ah, arrow = read_image(sys.argv[1] + "/arrow.cur")
    w32, h32, icon32 = box_downscale(iw, ih, icon, iw // 32)
    w16, h16, icon16 = box_downscale(iw, ih, icon, iw // 16)
    exe_path = sys.argv[1] + "/tavik_exe.ico"
    exe = []  # the executable's icon, largest first, each enlarged then 1x
    for index in range(image_count(exe_path)):
        ew, eh, pixels = read_image(exe_path, index)
        exe += [(ew, eh, pixels, 4 if ew > 16 else 8), (ew, eh, pixels, 1)]
    return [
        (iw, ih, icon, 2), (iw, ih, icon, 1),
        (w32, h32, icon32, 4), (w32, h32, icon32, 1),
        (w16, h16, icon16, 8), (w16, h16, icon16, 1),
    ] + exe + [
        (tw, th, target, 8), (tw, th, target, 1),
        (aw, ah, arrow, 8), (aw, ah, arrow, 1),
    ]


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: contact_sheet.py <asset-folder> <output.png>")
    tiles = build_tiles()
    row_h = max(h * s for _, h, _, s in tiles) + 2 * GAP
    width = GAP + sum(w * s + GAP for w, _, _, s in tiles)
    height = row_h * len(BACKGROUNDS)
    canvas = [[(0, 0, 0)] * width for _ in range(height)]
    for row, (_, bg) in enumerate(BACKGROUNDS):
        top = row * row_h
        for y in range(row_h):
            for x in range(width):
                canvas[top + y][x] = bg(x, y)
        left = GAP
        for w, h, pixels, scale in tiles:
            oy = top + (row_h - h * scale) // 2
            for y in range(h * scale):
                for x in range(w * scale):
                    cy, cx = oy + y, left + x
                    canvas[cy][cx] = composite(pixels[y // scale][x // scale], canvas[cy][cx])
            left += w * scale + GAP

    raw = bytearray()
    for line in canvas:
        raw.append(0)
        for px in line:
            raw.extend(px)

    def chunk(tag, body):
        c = struct.pack(">I", len(body)) + tag + body
        return c + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(sys.argv[2], "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
