#include "power/power_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/program.h"
#include "fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

constexpr std::uint32_t NotNt = 1;  // VER_PLATFORM_WIN32_WINDOWS

// What the privilege step calls on the NT family when the token is `token`.
Calls privilegeStep(const std::string& token, std::uint32_t lastError = 0) {
    return {
        "GetVersionExA(148)",
        "OpenProcessToken(INVALID, 0x28) = " + token,
        "LookupPrivilegeValueA(null, SeShutdownPrivilege)",
        "AdjustTokenPrivileges(" + token + ", FALSE, 1, 19, 0x2, 0, null, null)",
        "GetLastError() = " + std::to_string(lastError),
        "CloseHandle(" + token + ")",
    };
}

Calls joined(Calls head, const Calls& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct ActionCase {
    const char* name;
    PowerAction action;
    std::uint32_t platformId;
    Calls expected;  // the whole sequence, with the token as k#1
};

std::vector<ActionCase> actionCases() {
    const Calls nt = privilegeStep("k#1");
    const Calls other = {"GetVersionExA(148)"};
    return {
        {"shut down, NT", poweraction::Shutdown, win::VerPlatformWin32Nt,
         joined(nt, {"GetVersionExA(148)", "ExitWindowsEx(0xC, 0)"})},
        {"restart, NT", poweraction::Restart, win::VerPlatformWin32Nt, joined(nt, {"ExitWindowsEx(0x6, 0)"})},
        {"log off, NT", poweraction::LogOff, win::VerPlatformWin32Nt, joined(nt, {"ExitWindowsEx(0x4, 0)"})},
        {"suspend, NT", poweraction::Suspend, win::VerPlatformWin32Nt, joined(nt, {"SetSystemPowerState(TRUE, TRUE)"})},
        {"shut down, not NT", poweraction::Shutdown, NotNt,
         joined(other, {"GetVersionExA(148)", "ExitWindowsEx(0x5, 0)"})},
        {"restart, not NT", poweraction::Restart, NotNt, joined(other, {"ExitWindowsEx(0x6, 0)"})},
        {"log off, not NT", poweraction::LogOff, NotNt, joined(other, {"ExitWindowsEx(0x4, 0)"})},
        {"suspend, not NT", poweraction::Suspend, NotNt, joined(other, {"SetSystemPowerState(TRUE, TRUE)"})},
    };
}

bool requestsAnAction(const FakePlatform& fake) {
    return !fake.callsNamed("ExitWindowsEx").empty() || !fake.callsNamed("SetSystemPowerState").empty();
}

TEST(PerformPowerAction, EachCodeMakesItsWholeCallSequenceWithForce) {
    for (const ActionCase& c : actionCases()) {
        FakePlatform fake;
        fake.platformId = c.platformId;
        EXPECT_TRUE(performPowerAction(fake, c.action, true)) << c.name;
        EXPECT_EQ(fake.calls(), c.expected) << c.name;
        EXPECT_EQ(fake.liveKernelHandles(), 0U) << c.name << ": the token is still open";
    }
}

TEST(PerformPowerAction, WithoutForceTheFlagWordLacksEwxForce) {
    struct Case {
        PowerAction action;
        const char* request;
    };
    const Case cases[] = {
        {poweraction::Shutdown, "ExitWindowsEx(0x8, 0)"},
        {poweraction::Restart, "ExitWindowsEx(0x2, 0)"},
        {poweraction::LogOff, "ExitWindowsEx(0x0, 0)"},
        {poweraction::Suspend, "SetSystemPowerState(TRUE, FALSE)"},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        performPowerAction(fake, c.action, false);
        EXPECT_EQ(fake.calls().back(), c.request) << c.action;
    }
}

TEST(PerformPowerAction, AFailedPrivilegeStepRequestsNothingLogOffIncluded) {
    for (PowerAction action :
         {poweraction::Shutdown, poweraction::Restart, poweraction::LogOff, poweraction::Suspend}) {
        FakePlatform noToken;
        noToken.openTokenSucceeds = false;
        EXPECT_FALSE(performPowerAction(noToken, action, true)) << action;
        const Calls untilTheToken = {"GetVersionExA(148)", "OpenProcessToken(INVALID, 0x28) = k#0"};
        EXPECT_EQ(noToken.calls(), untilTheToken) << action;

        FakePlatform notHeld;
        notHeld.adjustPrivilegesError = win::ErrorNotAllAssigned;
        EXPECT_FALSE(performPowerAction(notHeld, action, true)) << action;
        EXPECT_EQ(notHeld.calls(), privilegeStep("k#1", win::ErrorNotAllAssigned)) << action;
        EXPECT_FALSE(requestsAnAction(notHeld)) << action;
        EXPECT_EQ(notHeld.liveKernelHandles(), 0U) << action << ": the token is still open";
    }
}

TEST(PerformPowerAction, ARefusedRequestReturnsFalse) {
    for (PowerAction action : {poweraction::Shutdown, poweraction::Restart, poweraction::LogOff}) {
        FakePlatform fake;
        fake.exitWindowsSucceeds = false;
        EXPECT_FALSE(performPowerAction(fake, action, true)) << action;
    }
    FakePlatform fake;
    fake.powerStateSucceeds = false;
    EXPECT_FALSE(performPowerAction(fake, poweraction::Suspend, true));
}

TEST(PerformPowerAction, AnUnknownCodeRequestsNothing) {
    for (PowerAction action : {0, 5, -1}) {
        FakePlatform fake;
        EXPECT_FALSE(performPowerAction(fake, action, true)) << action;
        EXPECT_FALSE(requestsAnAction(fake)) << action;
    }
}

class QuickCommands : public ::testing::Test {
protected:
    void SetUp() override {
        buildMainWindow(app);
        fake.clearCalls();
    }

    // Selects the menu item at `position`, as the tray pop-up reports it.
    void select(std::uint32_t position) { app.onCommand(MenuCommandBase + position, 0, Hwnd::none); }

    FakePlatform fake;
    App app{fake};
};

struct QuickCase {
    std::uint32_t position;
    const char* item;
    const char* box;
    const char* request;
};

constexpr QuickCase QuickCases[] = {
    {6, "S.快速关机", "MessageBoxA(#0, 是否执行快速关机？, 快速关机:, 0x2004)", "ExitWindowsEx(0xC, 0)"},
    {7, "R.快速重启", "MessageBoxA(#0, 是否执行快速重启？, 快速重启:, 0x2004)", "ExitWindowsEx(0x6, 0)"},
    {8, "C.快速注销", "MessageBoxA(#0, 是否执行快速注销？, 快速注销:, 0x2004)", "ExitWindowsEx(0x4, 0)"},
    {9, "D.快速休眠", "MessageBoxA(#0, 是否执行快速休眠？, 快速休眠:, 0x2004)", "SetSystemPowerState(TRUE, TRUE)"},
};

TEST_F(QuickCommands, YesAsksThenRequestsTheForcedAction) {
    for (const QuickCase& c : QuickCases) {
        ASSERT_STREQ(MenuItems[c.position].caption, c.item);
        fake.clearCalls();
        fake.messageBoxAnswers.push_back(win::IdYes);
        select(c.position);
        const Calls& calls = fake.calls();
        ASSERT_FALSE(calls.empty()) << c.item;
        EXPECT_EQ(calls.front(), c.box) << c.item;
        EXPECT_EQ(calls.back(), c.request) << c.item;
        EXPECT_EQ(fake.callsNamed("MessageBoxA").size(), 1U) << c.item << ": something was shown after the action";
        EXPECT_EQ(fake.callsNamed("OpenProcessToken").size(), 1U) << c.item;
    }
}

TEST_F(QuickCommands, NoChangesNothing) {
    for (const QuickCase& c : QuickCases) {
        fake.clearCalls();
        fake.messageBoxAnswers.push_back(win::IdNo);
        select(c.position);
        EXPECT_EQ(fake.calls(), Calls{c.box}) << c.item;
    }
}

}  // namespace
