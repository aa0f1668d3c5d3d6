#pragma once

#include <cstdint>

#include "platform/platform.h"

// The title a box gets when none is given.
inline constexpr const char* DefaultMessageBoxTitle = "信息：";

// MessageBoxA with no owner; the title defaults to "信息：" and MB_TASKMODAL is added
// unless the style asks for MB_SYSTEMMODAL. Returns the button pressed.
int showMessageBox(Platform& platform, const char* text, const char* title = nullptr, std::uint32_t style = win::MbOk);
