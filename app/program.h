#pragma once
// Start-up, the single-instance guard and the end of the program.

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/main_window.h"
#include "app/tray.h"
#include "hide/hide_show.h"
#include "platform/platform.h"
#include "power/scheduled_task.h"

inline constexpr const char* InstanceMarkerPath = "C:\\WINDOWS\\Kemsy1";

using CleanupRoutine = void (*)(App& app);

// Routines run in order at exit; a routine already listed is not added again.
class CleanupList {
public:
    void add(CleanupRoutine routine);
    void runAll(App& app) const;
    std::size_t size() const { return count_; }

private:
    static constexpr std::size_t Capacity = 4;
    std::array<CleanupRoutine, Capacity> routines_{};
    std::size_t count_ = 0;
};

// The whole program's state. Handlers are plain procedures that take it.
struct App final : WindowEvents {
    explicit App(Platform& platformLayer) : platform(platformLayer) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Platform& platform;
    MainWindow main;
    // Events reach the handlers only from the created event on, and not while ending.
    bool eventsEnabled = false;
    bool ending = false;
    KernelHandle marker = KernelHandle::invalid;
    CleanupList cleanup;
    TrayState tray;
    HotkeyRegistry hotkeys;
    int hideHotkeyId = 0;
    int showHotkeyId = 0;
    ScheduledTask task;

    // The created event of the main window.
    void onCreated();

    bool onClose() override;
    void onDestroy() override;
    void onCommand(std::uint32_t id, std::uint32_t code, Hwnd control) override;
    void onSpinnerDelta(Hwnd spinner, int delta) override;
    void onHotkey(std::uintptr_t id) override;
    void onTrayNotification(std::intptr_t lParam) override;
    void onTaskbarCreated() override;
    void onTimer(Hwnd timerWindow, std::uintptr_t timerId) override;
    void onPictureButton(Hwnd picture, bool pressed, int x, int y, std::uint32_t keys) override;
    bool onSetCursor(Hwnd window) override;
};

// The program: registers the clean-up routine, builds the main window, runs the
// message loop and returns 0 when it ends.
int runProgram(App& app);

// The single-instance guard: holds the marker file open, or turns this copy away.
void runInstanceGuard(App& app);

// Destroys the windows, runs the clean-up list, unloads what was loaded by name,
// closes the marker and ends the process with `code`.
[[noreturn]] void exitProgram(App& app, int code);

// Shows `message` with the error icon and ends with -1, skipping the clean-up list.
[[noreturn]] void fatalError(App& app, const char* message);

// The clean-up routine registered at start: releases the pointers, pictures and icon
// the window's controls own.
void releaseWindowResources(App& app);
