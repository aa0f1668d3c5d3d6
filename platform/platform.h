#pragma once
// The thin layer over user32, shell32, kernel32 and advapi32. The program reaches
// Windows only through `Platform`, injected where it is needed; the Win32
// implementation (platform/win32_platform.cpp) is the only code that includes
// <windows.h>, and the unit tests substitute a recording fake.
//
// Calls mirror the Windows functions of the same names: same arguments, same order,
// same results, so a recorded sequence reads like the real one.

#include <cstddef>
#include <cstdint>

#include "platform/win_constants.h"

// Handles are distinct types so that an icon can never be passed as a window.
enum class Hwnd : std::uintptr_t { none = 0 };
// Icons and cursors share one handle type, as they do in Windows.
enum class IconHandle : std::uintptr_t { none = 0 };
enum class MenuHandle : std::uintptr_t { none = 0 };
enum class FontHandle : std::uintptr_t { none = 0 };
// Files, tokens, threads and search handles.
enum class KernelHandle : std::uintptr_t { none = 0, invalid = ~std::uintptr_t{0} };

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(Rgb a, Rgb b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }
};

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The fields of NOTIFYICONDATAA the program sets; everything else stays zero.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    Hwnd hWnd = Hwnd::none;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    IconHandle hIcon = IconHandle::none;
    char szTip[64] = {};
};

struct OsVersionInfo {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
};

struct Luid {
    std::uint32_t lowPart = 0;
    std::int32_t highPart = 0;
};

// The message the tray icon reports mouse activity with: WM_APP + 100.
inline constexpr std::uint32_t TrayCallbackMessage = win::WmApp + 100;

// Window classes the platform registers before the first window is made.
namespace windowclass {
inline constexpr const char* Main = "TavikMainWindow";
inline constexpr const char* Label = "TavikLabel";
inline constexpr const char* Picture = "TavikPicture";
inline constexpr const char* Timer = "TavikTimer";
inline constexpr const char* Edit = "EDIT";
inline constexpr const char* Button = "BUTTON";
inline constexpr const char* UpDown = "msctls_updown32";
}  // namespace windowclass

// The window messages that reach the program, decoded. The Win32 window procedure of
// the main window (and of the label, picture and timer classes, and the group boxes,
// which forward to it) calls one of these per message.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // WM_CLOSE; true passes it on to the default handling, which destroys the window.
    virtual bool onClose() = 0;
    // WM_DESTROY of the main window, after its own destroy processing.
    virtual void onDestroy() = 0;
    // WM_COMMAND from a control (code is the notification) or a menu (control none).
    virtual void onCommand(std::uint32_t id, std::uint32_t code, Hwnd control) = 0;
    // UDN_DELTAPOS from an up-down control; the change is always allowed.
    virtual void onSpinnerDelta(Hwnd spinner, int delta) = 0;
    virtual void onHotkey(std::uintptr_t id) = 0;
    // The tray icon's callback message; lParam carries the mouse message.
    virtual void onTrayNotification(std::intptr_t lParam) = 0;
    // The shell's registered "TaskbarCreated" message.
    virtual void onTaskbarCreated() = 0;
    virtual void onTimer(Hwnd timerWindow, std::uintptr_t timerId) = 0;
    // Left button pressed (true) or released (false) on a picture box.
    virtual void onPictureButton(Hwnd picture, bool pressed, int x, int y, std::uint32_t keys) = 0;
    // WM_SETCURSOR for a window under the pointer; true when the program set the pointer.
    virtual bool onSetCursor(Hwnd window) = 0;
};

using ThreadRoutine = void (*)(void* context);

class Platform {
public:
    virtual ~Platform() = default;

    // Windows and controls.
    // `controlId` is a child's identifier, or a top-level window's menu bar.
    virtual Hwnd createWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                                int x, int y, int width, int height, Hwnd parent, std::uintptr_t controlId,
                                WindowEvents* events) = 0;
    virtual bool destroyWindow(Hwnd window) = 0;
    virtual bool showWindow(Hwnd window, int command) = 0;
    virtual bool moveWindow(Hwnd window, int x, int y, int width, int height) = 0;
    virtual Rect getWindowRect(Hwnd window) = 0;
    virtual Hwnd getParent(Hwnd window) = 0;
    // GetWindow with GW_HWNDNEXT.
    virtual Hwnd getNextWindow(Hwnd window) = 0;
    virtual bool isWindow(Hwnd window) = 0;
    virtual bool isWindowVisible(Hwnd window) = 0;
    virtual bool invalidateRect(Hwnd window, bool erase) = 0;
    virtual bool updateWindow(Hwnd window) = 0;
    virtual bool setForegroundWindow(Hwnd window) = 0;
    virtual std::intptr_t sendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    // SendMessageTimeoutA; false on time-out or failure, else the answer in `result`.
    virtual bool sendMessageTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                    std::uint32_t flags, std::uint32_t timeoutMs, std::intptr_t& result) = 0;
    virtual bool postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual std::uint32_t registerWindowMessage(const char* name) = 0;
    virtual int getSystemMetrics(int index) = 0;
    virtual FontHandle defaultGuiFont() = 0;
    // Height of one line of text (tmHeight) in the font.
    virtual int fontLineHeight(FontHandle font) = 0;
    // The colour a label, group box or radio button draws its text in.
    virtual void setTextColour(Hwnd control, Rgb colour) = 0;
    // The icon a picture box draws (borrowed: the caller owns it); none draws nothing.
    virtual void setPictureIcon(Hwnd picture, IconHandle icon) = 0;

    // Timers.
    virtual bool setTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) = 0;
    virtual bool killTimer(Hwnd window, std::uintptr_t id) = 0;

    // Message loop. Runs until WM_QUIT and returns its exit code; Tab, Shift+Tab and Esc
    // are handled as in a dialog for `dialogWindow`.
    virtual int runMessageLoop(Hwnd dialogWindow) = 0;
    // Handles every message already waiting in this thread's queue, stopping at WM_QUIT.
    virtual void pumpPendingMessages() = 0;

    // Message boxes.
    virtual int messageBox(Hwnd owner, const char* text, const char* title, std::uint32_t style) = 0;

    // Menus.
    virtual MenuHandle createMenu() = 0;
    virtual MenuHandle createPopupMenu() = 0;
    virtual bool appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubMenu, const char* caption) = 0;
    virtual int trackPopupMenu(MenuHandle menu, std::uint32_t flags, int x, int y, Hwnd owner) = 0;
    virtual bool destroyMenu(MenuHandle menu) = 0;

    // Icons, cursors and the mouse.
    virtual IconHandle createIconFromResourceEx(const unsigned char* bits, std::uint32_t size, bool icon,
                                                std::uint32_t version, int width, int height, std::uint32_t flags) = 0;
    virtual IconHandle createIconFromResource(const unsigned char* bits, std::uint32_t size, bool icon,
                                              std::uint32_t version) = 0;
    virtual bool destroyIcon(IconHandle icon) = 0;
    virtual bool destroyCursor(IconHandle cursor) = 0;
    virtual IconHandle setCursor(IconHandle cursor) = 0;
    virtual Point getCursorPos() = 0;
    virtual bool setCursorPos(int x, int y) = 0;
    virtual Hwnd setCapture(Hwnd window) = 0;
    virtual bool releaseCapture() = 0;
    virtual Hwnd windowFromPoint(Point point) = 0;

    // Notification area.
    virtual bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;

    // Hotkeys.
    virtual bool registerHotKey(Hwnd window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) = 0;

    // FindWindowA and ShowWindow, taken from user32 by name. `bindByName` loads them on
    // first use and answers whether both are there; the two calls below need it done.
    virtual bool bindByName() = 0;
    virtual Hwnd boundFindWindow(const char* className, const char* title) = 0;
    virtual bool boundShowWindow(Hwnd window, int command) = 0;
    // Unloads what `bindByName` loaded.
    virtual void unloadBoundLibraries() = 0;

    // Files.
    // FindFirstFileA: a search handle, or KernelHandle::invalid when nothing is found.
    virtual KernelHandle findFirstFile(const char* path) = 0;
    virtual bool findClose(KernelHandle search) = 0;
    virtual KernelHandle createFile(const char* path, std::uint32_t access, std::uint32_t shareMode, bool inheritHandle,
                                    std::uint32_t disposition, std::uint32_t attributes) = 0;
    virtual bool writeFile(KernelHandle file, const void* bytes, std::uint32_t size) = 0;
    virtual bool setFileAttributes(const char* path, std::uint32_t attributes) = 0;
    virtual bool closeHandle(KernelHandle handle) = 0;

    // Process, threads and clock.
    [[noreturn]] virtual void exitProcess(std::uint32_t code) = 0;
    // CreateThread with default security and stack, no flags; the routine gets `context`.
    virtual KernelHandle createThread(ThreadRoutine routine, void* context) = 0;
    virtual LocalTime getLocalTime() = 0;
    virtual std::uint32_t getLastError() = 0;

    // Version, privileges and power.
    virtual bool getVersionEx(OsVersionInfo& info) = 0;
    virtual KernelHandle getCurrentProcess() = 0;
    virtual bool openProcessToken(KernelHandle process, std::uint32_t access, KernelHandle& token) = 0;
    virtual bool lookupPrivilegeValue(const char* systemName, const char* name, Luid& luid) = 0;
    // One privilege, DisableAllPrivileges FALSE, no buffer for the previous state.
    virtual bool adjustTokenPrivileges(KernelHandle token, Luid luid, std::uint32_t attributes) = 0;
    virtual bool exitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
    virtual bool setSystemPowerState(bool suspend, bool force) = 0;
};
