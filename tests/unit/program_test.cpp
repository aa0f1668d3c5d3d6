#include "app/program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace {

const std::string Marker = "C:\\WINDOWS\\Kemsy1";
const std::string MarkerKey = "C:\\WINDOWS\\KEMSY1";

class InstanceGuard : public ::testing::Test {
protected:
    FakePlatform fake;
    App app{fake};

    // Builds the window, which runs the guard in its created event. Returns the exit
    // code when the program ended, or -2 when it runs on.
    int start() {
        try {
            buildMainWindow(app);
            return -2;
        } catch (const ProcessExit& exit) {
            return static_cast<std::int32_t>(exit.code);
        }
    }

    // The calls from the guard's first step on.
    std::vector<std::string> guardCalls() const {
        const auto& calls = fake.calls();
        auto first = calls.begin();
        while (first != calls.end() && first->rfind("FindFirstFileA(", 0) != 0) {
            ++first;
        }
        return std::vector<std::string>(first, calls.end());
    }
};

TEST_F(InstanceGuard, FirstStartCreatesTheHiddenMarkerAndHoldsIt) {
    EXPECT_EQ(start(), -2);
    const std::vector<std::string> expected = {
        "FindFirstFileA(" + Marker + ") = INVALID",
        "CreateFileA(" + Marker + ", 0x40000000, 0, inherit, 2, 0x80) = k#" +
            std::to_string(static_cast<std::uintptr_t>(app.marker) - 1),
        "WriteFile(k#" + std::to_string(static_cast<std::uintptr_t>(app.marker) - 1) + ", 1)",
        "CloseHandle(k#" + std::to_string(static_cast<std::uintptr_t>(app.marker) - 1) + ")",
        "SetFileAttributesA(" + Marker + ", 0x22)",
        "CreateFileA(" + Marker + ", 0xC0000000, 0, inherit, 3, 0x80) = " + show(app.marker),
        "ShowWindow(#1, 5)",
    };
    EXPECT_EQ(guardCalls(), expected);
    EXPECT_EQ(fake.files.at(MarkerKey).bytes, std::string(1, '\0'));
    EXPECT_EQ(fake.files.at(MarkerKey).attributes, 0x22U);
    EXPECT_EQ(fake.files.at(MarkerKey).openHandles, 1);
}

TEST_F(InstanceGuard, AMarkerLeftByAnEndedRunIsOpenedAndNotRewritten) {
    fake.files[MarkerKey] = FakeFile{"AB", 0x80, false, false, 0};
    EXPECT_EQ(start(), -2);
    const auto calls = guardCalls();
    ASSERT_EQ(calls.size(), 4U);
    EXPECT_EQ(calls[0].rfind("FindFirstFileA(" + Marker + ") = k#", 0), 0U);
    EXPECT_EQ(calls[1].rfind("FindClose(k#", 0), 0U);
    EXPECT_EQ(calls[2], "CreateFileA(" + Marker + ", 0xC0000000, 0, inherit, 3, 0x80) = " + show(app.marker));
    EXPECT_EQ(calls[3], "ShowWindow(#1, 5)");
    EXPECT_EQ(fake.files.at(MarkerKey).bytes, "AB");
    EXPECT_EQ(fake.files.at(MarkerKey).attributes, 0x80U);
}

TEST_F(InstanceGuard, TurnsAwayWhenTheMarkerCannotBeOpenedHeld) {
    struct Case {
        const char* what;
        FakeFile marker;
    };
    const Case cases[] = {
        {"held by a running copy", FakeFile{std::string(1, '\0'), 0x22, false, false, 1}},
        {"read-only", FakeFile{std::string(1, '\0'), 0x23, false, true, 0}},
        {"a folder", FakeFile{"", 0x10, true, false, 0}},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.files[MarkerKey] = c.marker;
        App copy(platform);
        int code = -2;
        try {
            buildMainWindow(copy);
        } catch (const ProcessExit& exit) {
            code = static_cast<std::int32_t>(exit.code);
        }
        EXPECT_EQ(code, 0) << c.what;
        const auto boxes = platform.callsNamed("MessageBoxA");
        ASSERT_EQ(boxes.size(), 1U) << c.what;
        EXPECT_EQ(boxes[0], "MessageBoxA(#0, 已运行，请勿重复运行。, 信息：, 0x2030)") << c.what;
        const auto& calls = platform.calls();
        const auto shown = std::find(calls.begin(), calls.end(), "ShowWindow(#1, 5)");
        EXPECT_EQ(shown, calls.end()) << c.what << ": the window was shown";
        const auto destroyed = std::find(calls.begin(), calls.end(), "DestroyWindow(#1)");
        const auto exited = std::find(calls.begin(), calls.end(), "ExitProcess(0)");
        EXPECT_LT(destroyed, exited) << c.what;
        EXPECT_EQ(platform.files.at(MarkerKey).bytes, c.marker.bytes) << c.what;
    }
}

TEST_F(InstanceGuard, WithoutAWindowsFolderTheProgramRunsUnguarded) {
    fake.windowsFolderExists = false;
    EXPECT_EQ(start(), -2);
    EXPECT_EQ(app.marker, KernelHandle::invalid);
    EXPECT_TRUE(fake.callsNamed("MessageBoxA").empty());
    EXPECT_EQ(fake.files.count(MarkerKey), 0U);
}

TEST_F(InstanceGuard, ExitDestroysTheWindowRunsTheCleanUpAndReleasesTheMarker) {
    ASSERT_EQ(start(), -2);
    app.cleanup.add(releaseWindowResources);
    fake.clearCalls();
    const KernelHandle marker = app.marker;
    try {
        exitProgram(app, 0);
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(exit.code, 0U);
    }
    const auto& calls = fake.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "DestroyWindow(#1)");
    const auto position = [&](const std::string& call) { return std::find(calls.begin(), calls.end(), call); };
    EXPECT_LT(position("DestroyIcon(" + show(IconHandle{2}) + ")"), position("UnloadBoundLibraries()"));
    EXPECT_LT(position("UnloadBoundLibraries()"), position("CloseHandle(" + show(marker) + ")"));
    EXPECT_EQ(calls.back(), "ExitProcess(0)");
    EXPECT_EQ(fake.files.at(MarkerKey).openHandles, 0);
    EXPECT_EQ(fake.liveIcons(), 0U) << "the window icon and the picture were released";
}

TEST_F(InstanceGuard, FatalErrorEndsWithMinusOneWithoutTheCleanUp) {
    ASSERT_EQ(start(), -2);
    bool cleanedUp = false;
    static bool* flag = nullptr;
    flag = &cleanedUp;
    app.cleanup.add([](App&) { *flag = true; });
    fake.clearCalls();
    try {
        fatalError(app, "boom");
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(static_cast<std::int32_t>(exit.code), -1);
    }
    EXPECT_FALSE(cleanedUp);
    EXPECT_EQ(fake.calls().front(), "MessageBoxA(#0, boom, null, 0x10)");
    EXPECT_EQ(fake.calls().back(), "ExitProcess(-1)");
}

TEST(CleanupList, RunsRoutinesInOrderAndIgnoresRepeats) {
    static std::string order;
    order.clear();
    CleanupList list;
    list.add([](App&) { order += 'a'; });
    const CleanupRoutine second = [](App&) { order += 'b'; };
    list.add(second);
    list.add(second);
    EXPECT_EQ(list.size(), 2U);
    FakePlatform fake;
    App app(fake);
    list.runAll(app);
    EXPECT_EQ(order, "ab");
}

TEST(Start, RegistersOneCleanUpRoutineBuildsAndRunsTheLoop) {
    FakePlatform fake;
    App app(fake);
    EXPECT_EQ(runProgram(app), 0);
    EXPECT_EQ(app.cleanup.size(), 1U);
    EXPECT_EQ(fake.calls().back(), "RunMessageLoop(#1)");
}

}  // namespace
