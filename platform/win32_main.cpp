// The program's entry point on Windows.

#include <windows.h>

#include <new>

#include "app/program.h"
#include "platform/win32_platform.h"

namespace {

App* runningApp = nullptr;

// Out of memory for a text or any other allocation: the program cannot go on.
void outOfMemory() { fatalError(*runningApp, "内存不足。"); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static App app(win32Platform());
    runningApp = &app;
    std::set_new_handler(outOfMemory);
    return runProgram(app);
}
