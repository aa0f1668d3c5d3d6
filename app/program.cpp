#include "app/program.h"

#include <cstdlib>

#include "app/local_time.h"
#include "common/images.h"
#include "common/message_box.h"

namespace {

constexpr const char* AlreadyRunningText = "已运行，请勿重复运行。";
constexpr unsigned char MarkerContents = 0x00;
constexpr std::uint32_t MarkerAttributes = win::FileAttributeHidden | win::FileAttributeArchive;
constexpr int FatalExitCode = -1;

bool markerExists(Platform& platform) {
    const KernelHandle search = platform.findFirstFile(InstanceMarkerPath);
    if (search == KernelHandle::invalid) {
        return false;
    }
    platform.findClose(search);
    return true;
}

KernelHandle openMarkerHeld(Platform& platform) {
    return platform.createFile(InstanceMarkerPath, win::GenericRead | win::GenericWrite, 0, true, win::OpenExisting,
                               win::FileAttributeNormal);
}

void createMarker(Platform& platform) {
    const KernelHandle file = platform.createFile(InstanceMarkerPath, win::GenericWrite, 0, true, win::CreateAlways,
                                                  win::FileAttributeNormal);
    platform.writeFile(file, &MarkerContents, sizeof MarkerContents);
    platform.closeHandle(file);
}

}  // namespace

void CleanupList::add(CleanupRoutine routine) {
    for (std::size_t i = 0; i < count_; ++i) {
        if (routines_[i] == routine) {
            return;
        }
    }
    if (count_ < Capacity) {
        routines_[count_++] = routine;
    }
}

void CleanupList::runAll(App& app) const {
    for (std::size_t i = 0; i < count_; ++i) {
        routines_[i](app);
    }
}

int runProgram(App& app) {
    app.cleanup.add(releaseWindowResources);
    buildMainWindow(app);
    app.platform.runMessageLoop(app.main.window);
    return 0;
}

void App::onCreated() {
    showLocalTime(*this);
    const Hwnd notify = main.handle(Control::标签1);
    hideHotkeyId = registerHotkey(platform, hotkeys, main.window, notify, HotkeyModifierAlt, VirtualKeyZ);
    showHotkeyId = registerHotkey(platform, hotkeys, main.window, notify, HotkeyModifierAlt, VirtualKeyX);
    addTrayIconAtStart(*this);
    runInstanceGuard(*this);
}

void runInstanceGuard(App& app) {
    Platform& platform = app.platform;
    if (markerExists(platform)) {
        const KernelHandle held = openMarkerHeld(platform);
        if (held != KernelHandle::invalid) {
            app.marker = held;
            return;
        }
        showMessageBox(platform, AlreadyRunningText, nullptr, win::MbIconExclamation);
        platform.destroyWindow(app.main.window);
        exitProgram(app, 0);
    }
    // Whatever fails here, the program runs on without holding a marker.
    createMarker(platform);
    platform.setFileAttributes(InstanceMarkerPath, MarkerAttributes);
    app.marker = openMarkerHeld(platform);
}

void releaseWindowResources(App& app) {
    Platform& platform = app.platform;
    for (ControlState& state : app.main.states) {
        if (state.cursor != IconHandle::none) {
            platform.destroyCursor(state.cursor);
            state.cursor = IconHandle::none;
        }
        if (state.picture != IconHandle::none) {
            platform.destroyIcon(state.picture);
            state.picture = IconHandle::none;
        }
    }
    if (app.main.icon != IconHandle::none) {
        platform.destroyIcon(app.main.icon);
        app.main.icon = IconHandle::none;
    }
}

namespace {

// Ends the process; the fatal path skips the clean-up list.
[[noreturn]] void endProgram(App& app, int code, bool runCleanup) {
    Platform& platform = app.platform;
    app.ending = true;
    if (platform.isWindow(app.main.window)) {
        platform.destroyWindow(app.main.window);
    }
    if (runCleanup) {
        app.cleanup.runAll(app);
    }
    platform.unloadBoundLibraries();
    if (app.marker != KernelHandle::invalid) {
        platform.closeHandle(app.marker);
        app.marker = KernelHandle::invalid;
    }
    platform.exitProcess(static_cast<std::uint32_t>(code));
    std::abort();  // not reached: exitProcess does not return
}

}  // namespace

void exitProgram(App& app, int code) { endProgram(app, code, true); }

void fatalError(App& app, const char* message) {
    app.ending = true;
    app.platform.messageBox(Hwnd::none, message, nullptr, win::MbIconError);
    endProgram(app, FatalExitCode, false);
}
