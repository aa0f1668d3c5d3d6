#pragma once
// A Platform whose every call does nothing and fails. A fuzz target derives from it and
// overrides only the calls the function under test makes, so that a call it did not
// expect shows up as a failed Windows call rather than as a fake's invented answer.

#include <cstdlib>

#include "platform/platform.h"

class InertPlatform : public Platform {
public:
    Hwnd createWindowEx(std::uint32_t, const char*, const char*, std::uint32_t, int, int, int, int, Hwnd,
                        std::uintptr_t, WindowEvents*) override {
        return Hwnd::none;
    }
    bool destroyWindow(Hwnd) override { return false; }
    bool showWindow(Hwnd, int) override { return false; }
    bool moveWindow(Hwnd, int, int, int, int) override { return false; }
    Rect getWindowRect(Hwnd) override { return {}; }
    Hwnd getParent(Hwnd) override { return Hwnd::none; }
    Hwnd getNextWindow(Hwnd) override { return Hwnd::none; }
    bool isWindow(Hwnd) override { return false; }
    bool isWindowVisible(Hwnd) override { return false; }
    bool invalidateRect(Hwnd, bool) override { return false; }
    bool updateWindow(Hwnd) override { return false; }
    bool setForegroundWindow(Hwnd) override { return false; }
    std::intptr_t sendMessage(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
    bool sendMessageTimeout(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t, std::uint32_t, std::uint32_t,
                            std::intptr_t&) override {
        return false;
    }
    bool postMessage(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }
    std::uint32_t registerWindowMessage(const char*) override { return 0; }
    int getSystemMetrics(int) override { return 0; }
    FontHandle defaultGuiFont() override { return FontHandle::none; }
    int fontLineHeight(FontHandle) override { return 0; }
    void setTextColour(Hwnd, Rgb) override {}
    void setPictureIcon(Hwnd, IconHandle) override {}
    bool setTimer(Hwnd, std::uintptr_t, std::uint32_t) override { return false; }
    bool killTimer(Hwnd, std::uintptr_t) override { return false; }
    int runMessageLoop(Hwnd) override { return 0; }
    void pumpPendingMessages() override {}
    int messageBox(Hwnd, const char*, const char*, std::uint32_t) override { return 0; }
    MenuHandle createMenu() override { return MenuHandle::none; }
    MenuHandle createPopupMenu() override { return MenuHandle::none; }
    bool appendMenu(MenuHandle, std::uint32_t, std::uintptr_t, const char*) override { return false; }
    int trackPopupMenu(MenuHandle, std::uint32_t, int, int, Hwnd) override { return 0; }
    bool destroyMenu(MenuHandle) override { return false; }
    IconHandle createIconFromResourceEx(const unsigned char*, std::uint32_t, bool, std::uint32_t, int, int,
                                        std::uint32_t) override {
        return IconHandle::none;
    }
    IconHandle createIconFromResource(const unsigned char*, std::uint32_t, bool, std::uint32_t) override {
        return IconHandle::none;
    }
    bool destroyIcon(IconHandle) override { return false; }
    bool destroyCursor(IconHandle) override { return false; }
    IconHandle setCursor(IconHandle) override { return IconHandle::none; }
    Point getCursorPos() override { return {}; }
    bool setCursorPos(int, int) override { return false; }
    Hwnd setCapture(Hwnd) override { return Hwnd::none; }
    bool releaseCapture() override { return false; }
    Hwnd windowFromPoint(Point) override { return Hwnd::none; }
    bool shellNotifyIcon(std::uint32_t, const NotifyIconData&) override { return false; }
    bool registerHotKey(Hwnd, int, std::uint32_t, std::uint32_t) override { return false; }
    bool bindByName() override { return false; }
    Hwnd boundFindWindow(const char*, const char*) override { return Hwnd::none; }
    bool boundShowWindow(Hwnd, int) override { return false; }
    void unloadBoundLibraries() override {}
    KernelHandle findFirstFile(const char*) override { return KernelHandle::invalid; }
    bool findClose(KernelHandle) override { return false; }
    KernelHandle createFile(const char*, std::uint32_t, std::uint32_t, bool, std::uint32_t, std::uint32_t) override {
        return KernelHandle::invalid;
    }
    bool writeFile(KernelHandle, const void*, std::uint32_t) override { return false; }
    bool setFileAttributes(const char*, std::uint32_t) override { return false; }
    bool closeHandle(KernelHandle) override { return false; }
    // Nothing under fuzzing may end the process: that would hide the rest of the run.
    [[noreturn]] void exitProcess(std::uint32_t) override { std::abort(); }
    KernelHandle createThread(ThreadRoutine, void*) override { return KernelHandle::none; }
    LocalTime getLocalTime() override { return {}; }
    std::uint32_t getLastError() override { return 0; }
    bool getVersionEx(OsVersionInfo&) override { return false; }
    KernelHandle getCurrentProcess() override { return KernelHandle::none; }
    bool openProcessToken(KernelHandle, std::uint32_t, KernelHandle&) override { return false; }
    bool lookupPrivilegeValue(const char*, const char*, Luid&) override { return false; }
    bool adjustTokenPrivileges(KernelHandle, Luid, std::uint32_t) override { return false; }
    bool exitWindowsEx(std::uint32_t, std::uint32_t) override { return false; }
    bool setSystemPowerState(bool, bool) override { return false; }
};
