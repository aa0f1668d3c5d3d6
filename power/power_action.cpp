#include "power/power_action.h"

#include "app/program.h"
#include "common/message_box.h"

namespace {

constexpr const char* ShutdownPrivilege = "SeShutdownPrivilege";
constexpr std::uint32_t TokenAccess = win::TokenAdjustPrivileges | win::TokenQuery;
constexpr std::uint32_t NoShutdownReason = 0;
constexpr std::uint32_t NoError = 0;

bool onNtFamily(Platform& platform) {
    OsVersionInfo version{};
    version.dwOSVersionInfoSize = win::OsVersionInfoASize;
    platform.getVersionEx(version);
    return version.dwPlatformId == win::VerPlatformWin32Nt;
}

// Enables the shutdown privilege in the process token. Outside the NT family there are
// no privileges and the step succeeds at once. The privilege stays enabled afterwards.
bool enableShutdownPrivilege(Platform& platform) {
    if (!onNtFamily(platform)) {
        return true;
    }
    KernelHandle token = KernelHandle::none;
    if (!platform.openProcessToken(platform.getCurrentProcess(), TokenAccess, token)) {
        return false;
    }
    Luid shutdown{};
    platform.lookupPrivilegeValue(nullptr, ShutdownPrivilege, shutdown);
    platform.adjustTokenPrivileges(token, shutdown, win::SePrivilegeEnabled);
    // AdjustTokenPrivileges succeeds even when the account lacks the privilege; only
    // the last error tells (ERROR_NOT_ALL_ASSIGNED). Read it before anything else can
    // overwrite it, then let the token go: nothing needs it afterwards.
    const std::uint32_t error = platform.getLastError();
    platform.closeHandle(token);
    return error == NoError;
}

// The ExitWindowsEx request of a shut-down (asked for the version again), restart or
// log-off.
std::uint32_t exitWindowsFlags(Platform& platform, PowerAction action, bool force) {
    std::uint32_t flags = win::EwxLogoff;
    if (action == poweraction::Shutdown) {
        flags = onNtFamily(platform) ? win::EwxPowerOff : win::EwxShutdown;
    } else if (action == poweraction::Restart) {
        flags = win::EwxReboot;
    }
    return force ? flags | win::EwxForce : flags;
}

struct QuickCommand {
    PowerAction action;
    const char* question;
    const char* title;
};

constexpr QuickCommand QuickShutdown{poweraction::Shutdown, "是否执行快速关机？", "快速关机:"};
constexpr QuickCommand QuickRestart{poweraction::Restart, "是否执行快速重启？", "快速重启:"};
constexpr QuickCommand QuickLogOff{poweraction::LogOff, "是否执行快速注销？", "快速注销:"};
constexpr QuickCommand QuickSuspend{poweraction::Suspend, "是否执行快速休眠？", "快速休眠:"};

void runQuickCommand(App& app, const QuickCommand& command) {
    if (showMessageBox(app.platform, command.question, command.title, win::MbYesNo) == win::IdYes) {
        performPowerAction(app.platform, command.action, true);
    }
}

}  // namespace

bool performPowerAction(Platform& platform, PowerAction action, bool force) {
    if (!enableShutdownPrivilege(platform)) {
        return false;
    }
    switch (action) {
    case poweraction::Shutdown:
    case poweraction::Restart:
    case poweraction::LogOff:
        return platform.exitWindowsEx(exitWindowsFlags(platform, action, force), NoShutdownReason);
    case poweraction::Suspend: return platform.setSystemPowerState(true, force);
    default:
        // Not one of the four actions: nothing is requested.
        return false;
    }
}

void quickShutdown(App& app) { runQuickCommand(app, QuickShutdown); }
void quickRestart(App& app) { runQuickCommand(app, QuickRestart); }
void quickLogOff(App& app) { runQuickCommand(app, QuickLogOff); }
void quickSuspend(App& app) { runQuickCommand(app, QuickSuspend); }
