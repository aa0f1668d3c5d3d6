#include "input.h"

#include <iterator>
#include <vector>

#include "harness.h"

namespace tavik::e2e {
namespace {

// SendInput maps absolute coordinates 0..65535 onto the primary screen by
// dx * width >> 16.
constexpr LONGLONG kAbsoluteScale = 65536;
constexpr DWORD kMoveTimeoutMs = 1000;
constexpr DWORD kMoveStepMs = 5;
// Double-click: the pause after the move and between the four button events.
constexpr DWORD kDoubleClickMovePauseMs = 30;
constexpr DWORD kDoubleClickPauseMs = 20;
constexpr DWORD kTypePauseMs = 10;
constexpr DWORD kForegroundTimeoutMs = 1000;
constexpr DWORD kSettleTimeoutMs = 1000;
constexpr DWORD kSettleStepMs = 10;
// Where bringToFront clicks: this far inside the bottom right corner of the client area.
constexpr int kCornerInset = 5;
// emptySpot lies this far inside the bottom right corner of the screen.
constexpr int kEmptySpotInset = 10;
// lParam of a posted key release: repeat count 1, previous state down, transition up.
constexpr LPARAM kKeyUpLParam = static_cast<LPARAM>(0xC0000001u);
constexpr LPARAM kKeyDownLParam = 1;
const char* const kPopUpMenuClass = "#32768";

void sendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Rounds up, so that the pixel the system computes back is exactly `pixel`.
LONG absoluteCoordinate(LONG pixel, LONGLONG extent) {
    return static_cast<LONG>((pixel * kAbsoluteScale + extent - 1) / extent);
}

}  // namespace

// ---------------------------------------------------------------- points

POINT cursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

POINT centreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT clientPoint(HWND window, POINT at) {
    ClientToScreen(window, &at);
    return at;
}

POINT emptySpot() {
    return POINT{GetSystemMetrics(SM_CXSCREEN) - kEmptySpotInset, GetSystemMetrics(SM_CYSCREEN) - kEmptySpotInset};
}

// ---------------------------------------------------------------- mouse

bool moveMouseTo(POINT to) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = absoluteCoordinate(to.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = absoluteCoordinate(to.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    return waitUntil(
        [&] {
            const POINT now = cursorPos();
            return now.x == to.x && now.y == to.y;
        },
        kMoveTimeoutMs, kMoveStepMs);
}

void mouseButton(bool down, MouseButton button) {
    if (button == MouseButton::Left) {
        sendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    } else {
        sendMouse(down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP);
    }
}

void click(POINT at, MouseButton button, DWORD pauseMs) {
    moveMouseTo(at);
    Sleep(pauseMs);
    mouseButton(true, button);
    Sleep(pauseMs);
    mouseButton(false, button);
}

void doubleClick(POINT at) {
    moveMouseTo(at);
    Sleep(kDoubleClickMovePauseMs);
    for (int i = 0; i < 2; ++i) {
        mouseButton(true);
        Sleep(kDoubleClickPauseMs);
        mouseButton(false);
        Sleep(kDoubleClickPauseMs);
    }
}

void dragTo(POINT to, int steps, DWORD stepMs) {
    const POINT from = cursorPos();
    for (int i = 1; i <= steps; ++i) {
        moveMouseTo(POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        Sleep(stepMs);
    }
}

// ---------------------------------------------------------------- keyboard

namespace {

INPUT keyEvent(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

}  // namespace

void sendKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        inputs.push_back(keyEvent(key, 0));
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        inputs.push_back(keyEvent(*key, KEYEVENTF_KEYUP));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void sendAltChord(WORD key) { sendKeys({VK_MENU, key}); }

void postKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, kKeyDownLParam);
    PostMessageA(window, WM_KEYUP, key, kKeyUpLParam);
}

void typeText(const std::string& text) {
    for (char c : text) {
        INPUT inputs[2] = {};
        for (int i = 0; i < 2; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wScan = static_cast<WORD>(static_cast<unsigned char>(c));
            inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, inputs, sizeof(INPUT));
        Sleep(kTypePauseMs);
    }
}

// ---------------------------------------------------------------- focus

bool waitForegroundSettled(DWORD stableMs) {
    HWND seen = GetForegroundWindow();
    ULONGLONG since = GetTickCount64();
    const ULONGLONG deadline = since + kSettleTimeoutMs;
    while (GetTickCount64() < deadline) {
        Sleep(kSettleStepMs);
        HWND now = GetForegroundWindow();
        if (now != seen) {
            seen = now;
            since = GetTickCount64();
        } else if (GetTickCount64() - since >= stableMs) {
            return true;
        }
    }
    return false;
}

bool bringToFront(HWND window, DWORD stableMs, int attempts) {
    const auto inFront = [&] { return GetForegroundWindow() == window; };
    for (int attempt = 0; attempt < attempts; ++attempt) {
        SetForegroundWindow(window);
        if (!waitUntil(inFront, kForegroundTimeoutMs)) {
            RECT r{};
            GetClientRect(window, &r);
            click(clientPoint(window, POINT{r.right - kCornerInset, r.bottom - kCornerInset}));
            if (!waitUntil(inFront, kForegroundTimeoutMs))
                continue;
        }
        // Stable for a moment: nothing else is still taking the focus.
        if (!waitUntil([&] { return !inFront(); }, stableMs))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- other programs' windows

bool setText(HWND control, const std::string& text, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                               timeoutMs, &ignored) != 0;
}

bool responsive(HWND window, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

HWND captureOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndCapture : nullptr;
}

HWND visiblePopUpMenu(DWORD pid) {
    for (HWND w : topLevelWindows(pid, true)) {
        if (sameClass(className(w), kPopUpMenuClass))
            return w;
    }
    return nullptr;
}

HWND waitForPopUpMenu(DWORD pid, DWORD timeoutMs, DWORD stepMs) {
    HWND menu = nullptr;
    waitUntil([&] { return (menu = visiblePopUpMenu(pid)) != nullptr; }, timeoutMs, stepMs);
    return menu;
}

}  // namespace tavik::e2e
