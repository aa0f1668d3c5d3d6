// Entry point of tavik_e2e.exe, the Windows-side driver of the end-to-end tests.
//
// It is meant to run under Wine (see scripts/lib/e2e.sh), next to tavik.exe and
// target_app.exe. Cases that make the program shut down, restart or log off
// skip themselves unless powerCasesAllowed() says the request can only reach
// the stand-in wineboot.exe.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "harness.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);

    using namespace tavik::e2e;
    std::printf("tavik_e2e: folder %s, ANSI code page %u, %s, stand-in wineboot %s, %s\n", driverDir().c_str(),
                GetACP(), runningUnderWine() ? "under Wine" : "not under Wine",
                standInWinebootInstalled() ? "installed" : "missing",
                winebootOverrideActive() ? "loaded by override" : "no override");
    if (!powerCasesAllowed())
        std::printf("tavik_e2e: power-action cases will be skipped\n");
    std::fflush(stdout);

    return RUN_ALL_TESTS();
}
