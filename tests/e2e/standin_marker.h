#pragma once

// A byte string found in the stand-in wineboot.exe and nowhere in Wine's own,
// so the driver can tell which of the two is installed.
#define TAVIK_WINEBOOT_STANDIN_MARKER "TAVIK-E2E-WINEBOOT-STAND-IN-8d1f3c"

// Where the stand-in records the arguments of each call (one line per call).
#define TAVIK_POWER_REQUESTS_FILE "C:\\tavik-power-requests.txt"
