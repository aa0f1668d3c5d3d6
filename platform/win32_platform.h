#pragma once
// The Win32 implementation of the platform layer.

#include "platform/platform.h"

// Registers the program's window classes and the common controls on construction.
Platform& win32Platform();
