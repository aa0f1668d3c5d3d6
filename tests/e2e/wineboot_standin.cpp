// Stand-in for Wine's wineboot.exe, used only by the end-to-end tests.
//
// Under Wine, ExitWindowsEx starts C:\windows\system32\wineboot.exe with
// arguments that describe the request (for example "--kill --shutdown").
// The real one would end every process of the prefix. This one appends its
// arguments as one line to C:\tavik-power-requests.txt and exits 0, so a test
// can see which request the program made. The test run puts it in place and
// sets WINEDLLOVERRIDES=wineboot.exe=n so that Wine loads it instead of the
// built-in one.
#include <windows.h>

#include <cstring>
#include <string>

#include "standin_marker.h"

// Kept in the binary so the driver can recognise the stand-in on disk.
extern "C" __attribute__((used)) const char kTavikStandInMarker[] = TAVIK_WINEBOOT_STANDIN_MARKER;

namespace {

// The command line without the program name (quoted or not).
std::string argumentsOf(const char* cmd) {
    const char* p = cmd;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

}  // namespace

int main() {
    std::string line = argumentsOf(GetCommandLineA());
    line += "\r\n";

    // Several requests may come close together: retry while another writer holds the file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE h = CreateFileA(TAVIK_POWER_REQUESTS_FILE, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            BOOL ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(h);
            return ok && written == line.size() ? 0 : 2;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        Sleep(20);
    }
    return 1;
}
