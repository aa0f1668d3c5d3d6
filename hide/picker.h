#pragma once
// The target picker: drag the target from its picture box onto any window to take
// that window's text.

#include "common/text.h"
#include "platform/platform.h"

struct App;

void onPicturePressed(App& app);
void onPictureReleased(App& app);

// The innermost window under the pointer, preferring the smallest visible sibling
// below it in Z order that also holds the point.
Hwnd windowUnderCursor(Platform& platform);
// The window's text, asked of the window itself; absent for no window or no text.
Text readWindowText(Platform& platform, Hwnd window);
