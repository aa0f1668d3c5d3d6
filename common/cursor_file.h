#pragma once
// Icons and cursors made from the bytes of .cur files, read in place.

#include "common/text.h"
#include "platform/platform.h"

// A cursor from .cur bytes: accepted only when longer than the 22-byte header, with
// reserved 0, type 2, at least one entry, and the first entry's image inside the bytes.
// The image is passed with its hot spot in front, as CreateIconFromResourceEx wants for
// cursors. None when the bytes are not accepted or no cursor can be made.
IconHandle cursorFromCurData(Platform& platform, ByteSet curFile);

// The same image made as an icon (no hot spot), for drawing in a picture box.
IconHandle iconFromCurData(Platform& platform, ByteSet curFile);
