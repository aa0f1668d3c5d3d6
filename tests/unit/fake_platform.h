#pragma once
// A recording fake of the platform layer. Every call is written down as a line such as
// "ShowWindow(#1, 5)"; enough of Windows is simulated (windows and their texts and
// checks, files, icons, menus, timers, threads) for the program's handlers to run.
// Windows print as #n, icons and cursors as @n, menus as m#n, kernel handles as k#n.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

// Thrown by exitProcess, which never returns.
struct ProcessExit {
    std::uint32_t code;
};

struct FakeWindow {
    std::string className;
    std::string text;
    Hwnd parent = Hwnd::none;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uintptr_t id = 0;
    Rect rect;
    bool visible = false;
    bool destroyed = false;
    bool checked = false;
    bool hung = false;          // SendMessageTimeout times out
    long announcedLength = -1;  // WM_GETTEXTLENGTH answer, when not the text's length
    WindowEvents* events = nullptr;
    Hwnd owner = Hwnd::none;  // a top-level window's owner, which GetParent reports
};

struct FakeFile {
    std::string bytes;
    std::uint32_t attributes = 0;
    bool directory = false;
    bool readOnly = false;
    int openHandles = 0;  // opened without sharing: nobody else can open it
};

class FakePlatform : public Platform {
public:
    FakePlatform();

    // What was called, in order.
    const std::vector<std::string>& calls() const { return calls_; }
    std::vector<std::string> callsNamed(const std::string& name) const;
    void clearCalls() { calls_.clear(); }

    // Simulated state, open to the tests.
    std::map<std::uintptr_t, FakeWindow> windows;
    std::map<std::string, FakeFile> files;  // by upper-case path
    bool windowsFolderExists = true;
    std::deque<int> messageBoxAnswers;  // answers in order; IDOK / IDNO when none is queued
    std::function<void(const std::string& text, const std::string& title, std::uint32_t style)> onMessageBox;
    std::function<int(MenuHandle menu, int x, int y)> onTrackPopupMenu;
    Point cursor{500, 400};
    Hwnd windowAtPoint = Hwnd::none;
    LocalTime now{2015, 11, 28, 9, 5, 7};
    int screenWidth = 1024;
    int screenHeight = 768;
    int edgeHeight = 2;
    int lineHeight = 13;
    int outerSizeSlack = 0;  // a top-level window comes out this much larger than asked
    std::uint32_t platformId = win::VerPlatformWin32Nt;
    bool openTokenSucceeds = true;
    std::uint32_t adjustPrivilegesError = 0;
    bool exitWindowsSucceeds = true;
    bool powerStateSucceeds = true;
    bool createThreadFails = false;
    bool bindSucceeds = true;
    bool createMainWindowFails = false;
    bool iconFromResourceExFails = false;
    bool iconFromResourceFails = false;
    std::set<std::pair<std::uint32_t, std::uint32_t>> takenHotkeys;  // (modifiers, key)
    std::uint32_t lastError = 0;
    std::uintptr_t capture = 0;

    Hwnd addWindow(FakeWindow window);
    FakeWindow& window(Hwnd handle);
    Hwnd findByText(const std::string& text) const;
    // Handles handed out and not yet released.
    std::size_t liveIcons() const { return liveIcons_.size(); }
    std::size_t liveMenus() const { return liveMenus_.size(); }
    std::size_t liveKernelHandles() const { return liveKernel_.size(); }
    std::size_t activeTimers() const { return timers_.size(); }
    // Icons shown in the notification area (added and not deleted), windows not yet
    // destroyed, and whether the library bound by name is still loaded.
    std::size_t liveNotifyIcons() const { return notifyIcons_.size(); }
    std::size_t liveWindows() const;
    bool boundLibraryLoaded() const { return bound_; }
    bool timerRunning(Hwnd window) const;
    // Threads created but not yet run; runs them in order.
    std::size_t pendingThreads() const { return threads_.size(); }
    void runPendingThreads();

    // Platform
    Hwnd createWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style, int x,
                        int y, int width, int height, Hwnd parent, std::uintptr_t controlId,
                        WindowEvents* events) override;
    bool destroyWindow(Hwnd window) override;
    bool showWindow(Hwnd window, int command) override;
    bool moveWindow(Hwnd window, int x, int y, int width, int height) override;
    Rect getWindowRect(Hwnd window) override;
    Hwnd getParent(Hwnd window) override;
    Hwnd getNextWindow(Hwnd window) override;
    bool isWindow(Hwnd window) override;
    bool isWindowVisible(Hwnd window) override;
    bool invalidateRect(Hwnd window, bool erase) override;
    bool updateWindow(Hwnd window) override;
    bool setForegroundWindow(Hwnd window) override;
    std::intptr_t sendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool sendMessageTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                            std::uint32_t flags, std::uint32_t timeoutMs, std::intptr_t& result) override;
    bool postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::uint32_t registerWindowMessage(const char* name) override;
    int getSystemMetrics(int index) override;
    FontHandle defaultGuiFont() override;
    int fontLineHeight(FontHandle font) override;
    void setTextColour(Hwnd control, Rgb colour) override;
    void setPictureIcon(Hwnd picture, IconHandle icon) override;
    bool setTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) override;
    bool killTimer(Hwnd window, std::uintptr_t id) override;
    int runMessageLoop(Hwnd dialogWindow) override;
    void pumpPendingMessages() override;
    int messageBox(Hwnd owner, const char* text, const char* title, std::uint32_t style) override;
    MenuHandle createMenu() override;
    MenuHandle createPopupMenu() override;
    bool appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubMenu, const char* caption) override;
    int trackPopupMenu(MenuHandle menu, std::uint32_t flags, int x, int y, Hwnd owner) override;
    bool destroyMenu(MenuHandle menu) override;
    IconHandle createIconFromResourceEx(const unsigned char* bits, std::uint32_t size, bool icon, std::uint32_t version,
                                        int width, int height, std::uint32_t flags) override;
    IconHandle createIconFromResource(const unsigned char* bits, std::uint32_t size, bool icon,
                                      std::uint32_t version) override;
    bool destroyIcon(IconHandle icon) override;
    bool destroyCursor(IconHandle cursor) override;
    IconHandle setCursor(IconHandle cursor) override;
    Point getCursorPos() override;
    bool setCursorPos(int x, int y) override;
    Hwnd setCapture(Hwnd window) override;
    bool releaseCapture() override;
    Hwnd windowFromPoint(Point point) override;
    bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) override;
    bool registerHotKey(Hwnd window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    bool bindByName() override;
    Hwnd boundFindWindow(const char* className, const char* title) override;
    bool boundShowWindow(Hwnd window, int command) override;
    void unloadBoundLibraries() override;
    KernelHandle findFirstFile(const char* path) override;
    bool findClose(KernelHandle search) override;
    KernelHandle createFile(const char* path, std::uint32_t access, std::uint32_t shareMode, bool inheritHandle,
                            std::uint32_t disposition, std::uint32_t attributes) override;
    bool writeFile(KernelHandle file, const void* bytes, std::uint32_t size) override;
    bool setFileAttributes(const char* path, std::uint32_t attributes) override;
    bool closeHandle(KernelHandle handle) override;
    [[noreturn]] void exitProcess(std::uint32_t code) override;
    KernelHandle createThread(ThreadRoutine routine, void* context) override;
    LocalTime getLocalTime() override;
    std::uint32_t getLastError() override;
    bool getVersionEx(OsVersionInfo& info) override;
    KernelHandle getCurrentProcess() override;
    bool openProcessToken(KernelHandle process, std::uint32_t access, KernelHandle& token) override;
    bool lookupPrivilegeValue(const char* systemName, const char* name, Luid& luid) override;
    bool adjustTokenPrivileges(KernelHandle token, Luid luid, std::uint32_t attributes) override;
    bool exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
    bool setSystemPowerState(bool suspend, bool force) override;

private:
    void record(std::string line) { calls_.push_back(std::move(line)); }
    KernelHandle newKernelHandle(std::string what);
    IconHandle newIcon();
    bool releaseMenu(std::uintptr_t menu);

    std::vector<std::string> calls_;
    std::uintptr_t nextHandle_ = 1;
    std::set<std::uintptr_t> liveIcons_;
    std::set<std::uintptr_t> liveMenus_;
    // Sub-menus by the menu they were appended to: destroying a menu destroys them too.
    std::map<std::uintptr_t, std::vector<std::uintptr_t>> subMenus_;
    std::set<std::pair<std::uintptr_t, std::uint32_t>> notifyIcons_;  // (window, id)
    std::map<std::uintptr_t, std::string> liveKernel_;                // handle -> upper-case path, or what it is
    std::set<std::pair<std::uintptr_t, std::uintptr_t>> timers_;
    std::vector<std::pair<ThreadRoutine, void*>> threads_;
    bool bound_ = false;
};

// Handles as the fake prints them.
std::string show(Hwnd window);
std::string show(IconHandle icon);
std::string show(MenuHandle menu);
std::string show(KernelHandle handle);
std::string hex(std::uint64_t value);
