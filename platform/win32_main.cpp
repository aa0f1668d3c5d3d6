// The program's entry point on Windows.

#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/program.h"
#include "platform/win32_platform.h"

namespace {

App* runningApp = nullptr;

// Out of memory for a text or any other allocation: the program cannot go on.
[[noreturn]] void outOfMemory() {
    if (runningApp != nullptr) {
        fatalError(*runningApp, "内存不足。");
    }
    std::abort();
}

void* allocate(std::size_t size) {
    void* memory = std::malloc(size != 0 ? size : 1);
    if (memory == nullptr) {
        outOfMemory();
    }
    return memory;
}

}  // namespace

// The program's allocations end in the fatal error when memory runs out instead of
// throwing: the program has no exceptions, and this keeps the runtime's exception and
// thread support out of the executable.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

// Nothing is thrown, so nothing can reach terminate with an exception to describe:
// the runtime's verbose handler (and the demangler it drags in) is not needed.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static App app(win32Platform());
    runningApp = &app;
    return runProgram(app);
}
