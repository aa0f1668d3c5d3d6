// Checks of the test tools themselves: the environment the driver runs in, the
// stand-in wineboot and target_app.exe. When one of these fails, the failures
// of the program's own cases are not to be trusted.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "target_app_ids.h"

namespace tavik::e2e {
namespace {

TEST(E2eEnvironment, AnsiCodePageIsChinese) {
    // Every Chinese text below is compared as CP936 bytes.
    EXPECT_EQ(GetACP(), 936u) << "run wine with LC_ALL=zh_CN.UTF-8";
}

TEST(E2eEnvironment, ProgramsToTestAreNextToTheDriver) {
    EXPECT_NE(fileAttributes(tavikPath()), INVALID_FILE_ATTRIBUTES) << tavikPath();
    EXPECT_NE(fileAttributes(targetAppPath()), INVALID_FILE_ATTRIBUTES) << targetAppPath();
}

// The override in the driver's environment has to reach the programs it starts
// and the wineboot those start: a power request of tavik.exe goes that way.
TEST(E2eStandInWineboot, ProgramsStartedByTheDriverReachTheStandIn) {
    if (!powerCasesAllowed())
        GTEST_SKIP() << "stand-in wineboot not installed or not under Wine";
    const std::size_t before = powerRequestsSize();

    const char* const calls[] = {"--tavik-probe first", "--tavik-probe second"};
    for (const char* args : calls) {
        Process p = Process::start(targetAppPath(), std::string("--spawn-wineboot ") + args);
        ASSERT_TRUE(p.valid()) << "CreateProcess error " << p.startError();
        std::optional<DWORD> code = p.waitExit(10000);
        ASSERT_TRUE(code.has_value());
        ASSERT_EQ(*code, 0u) << "the wineboot that ran is not the stand-in";
    }
    ASSERT_EQ(powerRequests(before), (std::vector<std::string>{"--tavik-probe first", "--tavik-probe second"}));
}

struct ExitWindowsCase {
    const char* flags;
    const char* recorded;
};

void PrintTo(const ExitWindowsCase& c, std::ostream* os) { *os << "flags " << c.flags; }

class E2eExitWindows : public testing::TestWithParam<ExitWindowsCase> {};

// What ExitWindowsEx asks of wineboot is recorded, and nothing gets ended.
TEST_P(E2eExitWindows, RequestIsRecordedAndNothingEnds) {
    if (!powerCasesAllowed())
        GTEST_SKIP() << "stand-in wineboot not installed or not under Wine";
    Process bystander = Process::start(targetAppPath(), "\"Power Bystander\"");
    ASSERT_NE(waitForWindow("Power Bystander", bystander.pid(), 10000), nullptr);
    const std::size_t before = powerRequestsSize();

    Process caller = Process::start(targetAppPath(), std::string("--exit-windows ") + GetParam().flags);
    ASSERT_TRUE(caller.valid());
    std::optional<DWORD> code = caller.waitExit(10000);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u) << "ExitWindowsEx failed";

    ASSERT_TRUE(waitUntil([&] { return !powerRequests(before).empty(); }, 5000)) << "nothing recorded";
    EXPECT_EQ(powerRequests(before), std::vector<std::string>{GetParam().recorded});
    Sleep(300);
    EXPECT_TRUE(bystander.running()) << "another program was ended";
}

INSTANTIATE_TEST_SUITE_P(Flags, E2eExitWindows,
                         testing::Values(ExitWindowsCase{"0xC", "--kill --shutdown"},  // POWEROFF | FORCE
                                         ExitWindowsCase{"0x6", "--kill"},             // REBOOT | FORCE
                                         ExitWindowsCase{"0x4", "--kill --shutdown"},  // LOGOFF | FORCE
                                         ExitWindowsCase{"0x1", "--end-session --shutdown"},
                                         ExitWindowsCase{"0x2", "--end-session"}));

struct TargetCase {
    const char* args;
    const char* expectedTitle;
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << "args [" << c.args << "]"; }

class E2eTargetApp : public testing::TestWithParam<TargetCase> {};

TEST_P(E2eTargetApp, ShowsItsWindowWithButtonAndEdit) {
    Process target = Process::start(targetAppPath(), GetParam().args);
    ASSERT_TRUE(target.valid()) << "CreateProcess error " << target.startError();
    HWND w = waitForWindow(GetParam().expectedTitle, target.pid(), 10000, kTargetClassName);
    ASSERT_NE(w, nullptr);

    HWND button = GetDlgItem(w, kTargetButtonId);
    HWND edit = GetDlgItem(w, kTargetEditId);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(sameClass(className(button), "BUTTON"));
    EXPECT_EQ(windowText(button), "Target Button");
    EXPECT_TRUE(IsWindowVisible(button));
    EXPECT_TRUE(sameClass(className(edit), "EDIT"));
    EXPECT_EQ(windowText(edit), "");

    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    EXPECT_EQ(windowText(edit), "typed");
    EXPECT_TRUE(target.running());
    EXPECT_TRUE(target.terminate());
}

INSTANTIATE_TEST_SUITE_P(Titles, E2eTargetApp,
                         testing::Values(TargetCase{"", "Tavik E2E Target"},
                                         TargetCase{"\"Another Target Title\"", "Another Target Title"},
                                         TargetCase{"\"Hanging Later\" --hang-after-ms 60000", "Hanging Later"}));

TEST(E2eTargetAppHang, StopsAnsweringMessagesAfterTheDelay) {
    Process target = Process::start(targetAppPath(), "\"Hang Target\" --hang-after-ms 1500");
    ASSERT_TRUE(target.valid());
    HWND w = waitForWindow("Hang Target", target.pid(), 10000);
    ASSERT_NE(w, nullptr);

    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result), 0) << "answers before the delay";

    EXPECT_TRUE(
        waitUntil([&] { return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) == 0; }, 10000, 100))
        << "still answering well after the delay";
    EXPECT_TRUE(target.running()) << "a hung program keeps running";
    EXPECT_TRUE(target.terminate());
    EXPECT_FALSE(target.running());
}

}  // namespace
}  // namespace tavik::e2e
