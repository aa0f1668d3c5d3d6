#pragma once
// The properties through which handlers read and write controls. Every read of a text
// returns a new Text; an empty text reads as the absent text.

#include <cstdint>

#include "common/text.h"
#include "platform/platform.h"

// What a control owns besides its window: its own mouse pointer, its picture and, for
// a timer, its period.
struct ControlState {
    IconHandle cursor = IconHandle::none;
    IconHandle picture = IconHandle::none;
    int period = 0;
};

// The timer id every timer control uses on its own window.
inline constexpr std::uintptr_t TimerId = 1000;

// visible (the main window)
bool readVisible(Platform& platform, Hwnd window);
// SW_SHOW or SW_HIDE.
void writeVisible(Platform& platform, Hwnd window, bool visible);

// text (edit boxes) and caption (labels, buttons): WM_GETTEXTLENGTH then WM_GETTEXT.
Text readText(Platform& platform, Hwnd control);
// Replaces an edit's contents, then reports EN_CHANGE to the edit itself.
void writeText(Platform& platform, Hwnd edit, std::uintptr_t editId, const char* text);
// Replaces a caption; a label is invalidated so that it redraws with it.
void writeCaption(Platform& platform, Hwnd control, const char* caption, bool isLabel);

// period (timers): equal periods change nothing; otherwise a running timer is stopped
// and a positive period starts it again. A negative period counts as 0.
void writePeriod(Platform& platform, Hwnd timer, ControlState& state, int period);

// checked (radio buttons): BM_GETCHECK answers BST_CHECKED.
bool readChecked(Platform& platform, Hwnd radio);

// mouse pointer: empty bytes remove the control's own pointer, cursor-file bytes give
// a new one. The previous one is destroyed, and the pointer is set to where it is so
// that the change shows at once.
void writeMousePointer(Platform& platform, Hwnd control, ControlState& state, ByteSet cursorFile);

// picture (picture boxes): shows the image of the cursor-file bytes, or nothing for
// empty bytes, and repaints at once. The previous picture is destroyed.
void writePicture(Platform& platform, Hwnd picture, ControlState& state, ByteSet image);
