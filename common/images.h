#pragma once
// The program's images, embedded from assets/ by the build.

#include "common/text.h"

// The tray and window icon: a .ico file with one 128x128 32-bit image.
extern const ByteSet trayIconImage;
// The picker's target: a 32x32 .cur file with alpha, hot spot (8, 6).
extern const ByteSet targetImage;
// The pointer after a pick: a 32x32 16-colour .cur file, hot spot (2, 4).
extern const ByteSet arrowImage;
// No picture at all.
inline constexpr ByteSet emptyPicture{};
