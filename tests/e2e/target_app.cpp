// A small window program that the end-to-end tests hide, show and pick.
//
//   target_app.exe [TITLE] [--hang-after-ms N]
//
// Opens a visible top-level window titled TITLE (default "Tavik E2E Target")
// holding a push button "Target Button" and an edit box; it sets a big and a
// small window icon. With --hang-after-ms N the GUI thread stops pumping
// messages N ms after start (it sleeps forever), so the window stops answering
// messages the way a hung program does.
//
// Two windowless modes let the driver check its power-request plumbing:
//   target_app.exe --spawn-wineboot ARGS...   runs system32\wineboot.exe ARGS, exits with its code
//   target_app.exe --exit-windows FLAGS       calls ExitWindowsEx(FLAGS, 0), exits 0 if it returned TRUE
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "target_app_ids.h"

namespace {

LRESULT CALLBACK targetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        HINSTANCE inst = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HWND button = CreateWindowExA(0, "BUTTON", "Target Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                      10, 10, 120, 28, hwnd,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTargetButtonId)), inst, nullptr);
        HWND edit =
            CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10, 48,
                            200, 24, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTargetEditId)), inst, nullptr);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kHangTimerId) {
            KillTimer(hwnd, kHangTimerId);
            for (;;)
                Sleep(INFINITE);
        }
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// Starts system32\wineboot.exe with the given arguments (inheriting our
// environment, as ExitWindowsEx does) and returns its exit code.
int spawnWineboot(int argc, char** argv, int first) {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    std::string exe = std::string(dir) + "\\wineboot.exe";
    std::string cmd = "wineboot.exe";
    for (int i = first; i < argc; ++i)
        cmd += std::string(" ") + argv[i];
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 100;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 101;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--spawn-wineboot") == 0)
        return spawnWineboot(argc, argv, 2);
    if (argc >= 3 && std::strcmp(argv[1], "--exit-windows") == 0)
        return ExitWindowsEx(static_cast<UINT>(std::strtoul(argv[2], nullptr, 0)), 0) ? 0 : 1;

    std::string title = kTargetDefaultTitle;
    long hangAfterMs = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hang-after-ms") == 0 && i + 1 < argc) {
            hangAfterMs = std::strtol(argv[++i], nullptr, 10);
        } else {
            title = argv[i];
        }
    }

    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = targetProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTargetClassName;
    if (!RegisterClassExA(&wc))
        return 1;

    HWND hwnd = CreateWindowExA(0, kTargetClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 60, 60, 300, 140, nullptr,
                                nullptr, inst, nullptr);
    if (!hwnd)
        return 1;
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_APPLICATION)));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_APPLICATION)));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    if (hangAfterMs >= 0)
        SetTimer(hwnd, kHangTimerId, static_cast<UINT>(hangAfterMs), nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
