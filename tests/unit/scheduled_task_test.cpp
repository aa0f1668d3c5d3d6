#include "power/scheduled_task.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

// ------------------------------------------------------------------ numbers

TEST(TextToInteger, ParsesLikeTheRuntimeAfterFoldingFullWidthForms) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {nullptr, 0},
        {"", 0},
        {"08", 8},
        {" 7", 7},
        {"7a", 7},
        {"5.9", 5},
        {"-3", -3},
        {"+5", 5},
        {"abc", 0},
        {"２３", 23},
        {"2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"4294967297", 1},
        {"\t\n\v\f\r -0012", -12},
        {"- 3", 0},
        {"+-3", 0},
        {"   ", 0},
        // Folding: full-width sign and digits, the ideographic space.
        {"－３", -3},
        {"＋５", 5},
        {"１2", 12},
        {"\xA1\xA1"
         "7",
         7},
        // The wave dash and the stars fold to ASCII that ends the number.
        {"\xA1\xAB"
         "5",
         0},
        {"\xA1\xEE"
         "5",
         0},
        {"\xA1\xEF"
         "5",
         0},
        // Other two-byte characters stay as they are and end the number.
        {"中5", 0},
        {"5中", 5},
        {"\xA3\xA0"
         "5",
         0},
        // A lead byte takes the byte after it, even an ASCII digit.
        {"\xA3"
         "5",
         0},
        // A lead byte followed by the NUL is dropped.
        {"\xA3", 0},
        {"12\xA3", 12},
        {"\xA3\xB2\xA3", 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textToInteger(c.text), c.value) << (c.text != nullptr ? c.text : "(absent)");
    }
}

TEST(IntegerToText, WritesPlainDecimal) {
    struct Case {
        std::int64_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"}, {7, "7"}, {10, "10"}, {-3, "-3"}, {2147483648LL, "2147483648"}, {-2147483649LL, "-2147483649"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(integerToText(c.value).get(), c.text) << c.value;
    }
}

// ------------------------------------------------------------------ the window

class TaskWindow : public ::testing::Test {
protected:
    void SetUp() override {
        buildMainWindow(app);
        fake.clearCalls();
    }

    Hwnd handle(Control control) const { return app.main.handle(control); }
    FakeWindow& window(Control control) { return fake.window(handle(control)); }
    std::string text(Control control) { return window(control).text; }
    void setText(Control control, const std::string& value) { window(control).text = value; }
    void checkOnly(std::optional<Control> radio) {
        for (Control each : {Control::单选框1, Control::单选框2, Control::单选框3, Control::单选框4}) {
            window(each).checked = radio.has_value() && *radio == each;
        }
    }
    void setTime(int hour, int minute, int second) {
        fake.now.hour = hour;
        fake.now.minute = minute;
        fake.now.second = second;
    }
    bool armed() { return text(Control::按钮1) == "取消任务" && fake.timerRunning(handle(Control::任务时钟)); }
    // Clicks 按钮1 as the window reports it.
    void click() { app.onCommand(static_cast<std::uint32_t>(controlId(Control::按钮1)), 0, handle(Control::按钮1)); }
    void arm() {
        click();
        ASSERT_TRUE(armed());
        fake.clearCalls();
    }
    void tick() { app.onTimer(handle(Control::任务时钟), TimerId); }
    // Position of the first call starting with `start`, or -1.
    int position(const std::string& start) const {
        const Calls& calls = fake.calls();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].rfind(start, 0) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    bool sentTo(Control control, std::uint32_t message) const {
        return position("SendMessageA(" + show(handle(control)) + ", " + hex(message) + ",") >= 0;
    }

    FakePlatform fake;
    App app{fake};
};

// ------------------------------------------------------------------ spinners

TEST_F(TaskWindow, SpinnersStepTheirFieldWithinTheirBounds) {
    struct Case {
        Control spinner;
        Control field;
        const char* before;
        int direction;
        const char* after;
    };
    const Case cases[] = {
        {Control::调节器1, Control::编辑框_时, "22", +1, "23"},
        {Control::调节器1, Control::编辑框_时, "23", +1, "23"},
        {Control::调节器1, Control::编辑框_时, "1", -1, "0"},
        {Control::调节器1, Control::编辑框_时, "0", -1, "0"},
        {Control::调节器1, Control::编辑框_时, "２３", -1, "22"},
        {Control::调节器2, Control::编辑框_分, "58", +1, "59"},
        {Control::调节器2, Control::编辑框_分, "59", +1, "59"},
        {Control::调节器2, Control::编辑框_分, "75", -1, "74"},
        {Control::调节器2, Control::编辑框_分, "75", +1, "75"},
        {Control::调节器2, Control::编辑框_分, "09", +1, "10"},
        {Control::调节器3, Control::编辑框_秒, "58", +1, "59"},
        {Control::调节器3, Control::编辑框_秒, "59", +1, "59"},
        {Control::调节器3, Control::编辑框_秒, "00", +1, "1"},
        {Control::调节器3, Control::编辑框_秒, "00", -1, "00"},
        {Control::调节器3, Control::编辑框_秒, "-3", +1, "-2"},
        {Control::调节器3, Control::编辑框_秒, "-3", -1, "-3"},
        {Control::调节器3, Control::编辑框_秒, "", +1, "1"},
        {Control::调节器3, Control::编辑框_秒, "abc", +1, "1"},
    };
    for (const Case& c : cases) {
        setText(c.field, c.before);
        onSpinnerAdjusted(app, c.spinner, c.direction);
        EXPECT_EQ(text(c.field), c.after) << c.before << (c.direction > 0 ? " up" : " down");
    }
}

TEST_F(TaskWindow, TheUpperArrowStepsUpAndTheNewTextIsReportedAsAChange) {
    setText(Control::编辑框_分, "30");
    // The up-down control's default range makes the upper arrow propose a negative change.
    app.onSpinnerDelta(handle(Control::调节器2), -1);
    EXPECT_EQ(text(Control::编辑框_分), "31");
    app.onSpinnerDelta(handle(Control::调节器2), 1);
    app.onSpinnerDelta(handle(Control::调节器2), 1);
    EXPECT_EQ(text(Control::编辑框_分), "29");
    const std::uintptr_t changed = (std::uintptr_t{win::EnChange} << 16) | controlId(Control::编辑框_分);
    EXPECT_GE(
        position("SendMessageA(" + show(handle(Control::编辑框_分)) + ", " + hex(win::WmCommand) + ", " + hex(changed)),
        0);
}

// ------------------------------------------------------------------ 按钮1

const std::string MissingTimeBox =
    "MessageBoxA(#0, 任务执行的时间请填写完整，否则不能执行计划。, 任务时间填写不完整, 0x2040)";
const std::string MissingActionBox = "MessageBoxA(#0, 任务目标没选择，请选择个任务的目标！, 任务目标不完整, 0x2040)";
const std::string ArmedBox = "MessageBoxA(#0, 恭喜！任务完成，等待执行\r\n如需更改点-取消任务-, 任务执行成功, 0x2000)";

TEST_F(TaskWindow, AnEmptyTimeFieldIsReportedFirstAndTheLaterFieldsAreNotRead) {
    const std::array<Control, 3> fields{Control::编辑框_时, Control::编辑框_分, Control::编辑框_秒};
    for (std::size_t empty = 0; empty < fields.size(); ++empty) {
        for (Control field : fields) {
            setText(field, "1");
        }
        setText(fields[empty], "");
        checkOnly(std::nullopt);
        fake.clearCalls();
        click();
        EXPECT_EQ(fake.callsNamed("MessageBoxA"), Calls{MissingTimeBox}) << empty;
        for (std::size_t later = empty + 1; later < fields.size(); ++later) {
            EXPECT_FALSE(sentTo(fields[later], win::WmGetTextLength)) << later << " read after " << empty;
        }
        EXPECT_FALSE(sentTo(Control::单选框1, win::BmGetCheck)) << empty;
        EXPECT_FALSE(armed()) << empty;
        EXPECT_EQ(text(Control::按钮1), "执行任务");
        EXPECT_TRUE(fake.callsNamed("SetTimer").empty());
    }
}

TEST_F(TaskWindow, NoCheckedRadioButtonIsReportedAndTheTaskStaysIdle) {
    checkOnly(std::nullopt);
    click();
    EXPECT_EQ(fake.callsNamed("MessageBoxA"), Calls{MissingActionBox});
    EXPECT_FALSE(armed());
    EXPECT_TRUE(fake.callsNamed("SetTimer").empty());
}

TEST_F(TaskWindow, TheRadioButtonsAreReadInOrderUpToTheFirstCheckedOne) {
    checkOnly(Control::单选框2);
    click();
    EXPECT_TRUE(sentTo(Control::单选框1, win::BmGetCheck));
    EXPECT_TRUE(sentTo(Control::单选框2, win::BmGetCheck));
    EXPECT_FALSE(sentTo(Control::单选框3, win::BmGetCheck));
    EXPECT_FALSE(sentTo(Control::单选框4, win::BmGetCheck));
    EXPECT_TRUE(armed());
}

TEST_F(TaskWindow, AFieldOfSpacesCountsAsFilled) {
    setText(Control::编辑框_秒, "  ");
    click();
    EXPECT_EQ(fake.callsNamed("MessageBoxA"), Calls{ArmedBox});
    EXPECT_TRUE(armed());
}

TEST_F(TaskWindow, ArmingConfirmsFirstThenStartsTheTimerAndChangesTheCaption) {
    bool timerRunningDuringTheBox = true;
    fake.onMessageBox = [&](const std::string&, const std::string&, std::uint32_t) {
        timerRunningDuringTheBox = fake.timerRunning(handle(Control::任务时钟));
    };
    click();
    EXPECT_FALSE(timerRunningDuringTheBox);
    const std::string timer = show(handle(Control::任务时钟));
    const int box = position("MessageBoxA(");
    const int timerStarted = position("SetTimer(" + timer + ", 1000, 1000)");
    const int caption =
        position("SendMessageA(" + show(handle(Control::按钮1)) + ", " + hex(win::WmSetText) + ", 0x0, 取消任务)");
    EXPECT_EQ(fake.calls()[static_cast<std::size_t>(box)], ArmedBox);
    EXPECT_LT(box, timerStarted);
    EXPECT_LT(timerStarted, caption);
    EXPECT_TRUE(armed());
}

TEST_F(TaskWindow, ClickingWhileArmedDisarmsWithoutABox) {
    arm();
    checkOnly(std::nullopt);
    setText(Control::编辑框_时, "");
    click();
    EXPECT_TRUE(fake.callsNamed("MessageBoxA").empty());
    EXPECT_EQ(text(Control::按钮1), "执行任务");
    EXPECT_FALSE(fake.timerRunning(handle(Control::任务时钟)));
    EXPECT_EQ(fake.callsNamed("KillTimer"), Calls{"KillTimer(" + show(handle(Control::任务时钟)) + ", 1000)"});
}

// ------------------------------------------------------------------ ticks and the worker

TEST_F(TaskWindow, AMatchingTickStartsAWorkerThatCarriesOutTheCheckedAction) {
    struct Case {
        Control radio;
        const char* request;
        const char* box;
    };
    const Case cases[] = {
        {Control::单选框1, "ExitWindowsEx(0xC, 0)", "MessageBoxA(#0, 关机, 信息：, 0x2000)"},
        {Control::单选框2, "ExitWindowsEx(0x6, 0)", "MessageBoxA(#0, 重启, 信息：, 0x2000)"},
        {Control::单选框3, "ExitWindowsEx(0x4, 0)", "MessageBoxA(#0, 注销, 信息：, 0x2000)"},
        {Control::单选框4, "SetSystemPowerState(TRUE, TRUE)", "MessageBoxA(#0, 休眠, 信息：, 0x2000)"},
    };
    for (const Case& c : cases) {
        checkOnly(c.radio);
        arm();
        const std::size_t openBefore = fake.liveKernelHandles();
        setTime(22, 30, 0);
        tick();
        ASSERT_EQ(fake.pendingThreads(), 1U);
        const Calls threads = fake.callsNamed("CreateThread");
        ASSERT_EQ(threads.size(), 1U);
        const std::string thread = threads.front().substr(threads.front().find("= ") + 2);
        EXPECT_EQ(fake.calls().back(), "CloseHandle(" + thread + ")") << "the handle is closed right away";
        EXPECT_TRUE(fake.callsNamed("MessageBoxA").empty()) << "the tick itself shows nothing";

        fake.clearCalls();
        fake.runPendingThreads();
        const int request = position(c.request);
        EXPECT_GE(request, 0) << c.request;
        EXPECT_EQ(fake.callsNamed("OpenProcessToken").size(), 1U) << c.request;
        EXPECT_EQ(fake.callsNamed("MessageBoxA"), Calls{c.box});
        EXPECT_LT(request, position(c.box)) << "the box comes once the request has returned";
        EXPECT_TRUE(armed()) << "the task stays armed after firing";
        EXPECT_EQ(fake.liveKernelHandles(), openBefore) << "a thread or token handle stays open";
        click();  // disarm for the next case
    }
}

TEST_F(TaskWindow, TheWorkerReadsTheRadioButtonsWhenItRuns) {
    arm();
    setTime(22, 30, 0);
    tick();
    checkOnly(Control::单选框3);
    fake.runPendingThreads();
    EXPECT_EQ(fake.callsNamed("ExitWindowsEx"), Calls{"ExitWindowsEx(0x4, 0)"});
    EXPECT_EQ(fake.callsNamed("MessageBoxA"), Calls{"MessageBoxA(#0, 注销, 信息：, 0x2000)"});
}

TEST_F(TaskWindow, TheFieldsAreReadAtEachTick) {
    struct Case {
        const char* hour;
        const char* minute;
        const char* second;
        LocalTime at;
        bool fires;
    };
    const Case cases[] = {
        {"08", "00", "00", {2015, 1, 1, 8, 0, 0}, true}, {"２３", "5", "9", {2015, 1, 1, 23, 5, 9}, true},
        {"7", "15", "", {2015, 1, 1, 7, 15, 0}, true},   {" ", "0", "0", {2015, 1, 1, 0, 0, 0}, true},
        {"7", "15", "1", {2015, 1, 1, 7, 15, 0}, false}, {"24", "0", "0", {2015, 1, 1, 0, 0, 0}, false},
        {"7", "75", "0", {2015, 1, 1, 8, 15, 0}, false}, {"7", "-1", "0", {2015, 1, 1, 6, 59, 0}, false},
    };
    for (const Case& c : cases) {
        for (Control field : {Control::编辑框_时, Control::编辑框_分, Control::编辑框_秒}) {
            setText(field, "1");
        }
        arm();
        setText(Control::编辑框_时, c.hour);
        setText(Control::编辑框_分, c.minute);
        setText(Control::编辑框_秒, c.second);
        fake.now = c.at;
        tick();
        EXPECT_EQ(fake.pendingThreads(), c.fires ? 1U : 0U) << c.hour << ":" << c.minute << ":" << c.second;
        fake.runPendingThreads();
        click();
    }
}

TEST_F(TaskWindow, ATickAfterTheTargetCatchesUpOnlyWhileTheTaskRuns) {
    // The first tick after arming fires on an exact match only: a target that went by
    // while the confirmation box was open waits for the next day.
    setTime(22, 29, 59);
    arm();
    setTime(22, 30, 1);
    tick();
    EXPECT_EQ(fake.pendingThreads(), 0U);

    // Ticks on either side of the target second carry it out once.
    setTime(22, 29, 59);
    tick();
    setTime(22, 30, 1);
    tick();
    EXPECT_EQ(fake.pendingThreads(), 1U);
    tick();
    EXPECT_EQ(fake.pendingThreads(), 1U);
    fake.runPendingThreads();

    // Disarming forgets the previous tick: re-armed, the next tick needs an exact match.
    setTime(22, 29, 59);
    tick();
    click();
    arm();
    setTime(22, 30, 1);
    tick();
    EXPECT_EQ(fake.pendingThreads(), 0U);
}

TEST_F(TaskWindow, AWorkerThatCannotStartIsNotReportedAndTheTaskStaysArmed) {
    arm();
    setTime(22, 30, 0);
    fake.createThreadFails = true;
    tick();
    EXPECT_EQ(fake.pendingThreads(), 0U);
    EXPECT_TRUE(fake.callsNamed("CloseHandle").empty());
    EXPECT_TRUE(fake.callsNamed("MessageBoxA").empty());
    EXPECT_TRUE(armed());
}

// ------------------------------------------------------------------ the tick decision

constexpr int Target = 22 * 3600 + 30 * 60;
constexpr int LastSecond = SecondsPerDay - 1;

// Ticks at the given times of day; returns the positions of the ticks that fired.
std::vector<std::size_t> firings(const std::vector<int>& ticks, std::optional<int> target) {
    ScheduledTask task;
    std::vector<std::size_t> fired;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        if (advanceTaskClock(task, ticks[i], target)) {
            fired.push_back(i);
        }
    }
    return fired;
}

TEST(TaskClock, FiresOnceForEachPassingOfTheTarget) {
    using Fired = std::vector<std::size_t>;
    struct Case {
        const char* name;
        std::vector<int> ticks;
        int target;
        Fired fired;
    };
    const std::vector<Case> cases = {
        {"exact", {Target - 1, Target, Target + 1}, Target, {1}},
        {"skipped second", {Target - 1, Target + 1, Target + 2}, Target, {1}},
        {"two ticks in the target second", {Target - 1, Target, Target, Target + 1}, Target, {1}},
        {"first tick exact", {Target, Target + 1}, Target, {0}},
        {"first tick after the target", {Target + 1, Target + 2}, Target, {}},
        {"gap of 5 seconds", {Target - 1, Target + 4}, Target, {1}},
        {"gap of 6 seconds", {Target - 1, Target + 5}, Target, {}},
        {"gap of one hour", {Target - 2, Target + 3598, Target + 3599}, Target, {}},
        {"gap ending on the target", {Target - 3600, Target}, Target, {1}},
        {"clock set back", {Target + 3, Target - 2, Target - 1, Target + 1}, Target, {3}},
        {"23:59:59 skipped", {LastSecond - 1, 0, 1}, LastSecond, {1}},
        {"23:59:59 twice", {LastSecond - 1, LastSecond, LastSecond, 0}, LastSecond, {1}},
        {"0:0:0 skipped", {LastSecond, 1, 2}, 0, {1}},
        {"0:0:0 exact", {LastSecond - 1, LastSecond, 0, 0, 1}, 0, {2}},
        {"next day", {Target, Target + 1, 0, Target - 1, Target + 1}, Target, {0, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(firings(c.ticks, c.target), c.fired) << c.name;
    }
    EXPECT_EQ(firings({Target - 1, Target, Target + 1}, std::nullopt), Fired{}) << "no time of day";
}

// Tick intervals that wander as SetTimer's do: 985 to 1030 ms, from a fixed-seed
// linear congruential generator.
class JitteredTimer {
public:
    std::int64_t nextInterval() { return MinIntervalMs + next(MaxIntervalMs - MinIntervalMs + 1); }
    std::int64_t next(std::int64_t below) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::int64_t>((state_ >> 33) % static_cast<std::uint64_t>(below));
    }

    static constexpr std::int64_t MinIntervalMs = 985;
    static constexpr std::int64_t MaxIntervalMs = 1030;

private:
    std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

// Each simulated day runs the armed task's ticks without a break through two stretches
// of the clock, one around 22:30:00 and one across midnight; between the stretches no
// target is due, and the clock skips ahead to the next one at a random point of its
// first second, so every day meets the targets with a new phase of the ticks.
TEST(TaskClock, OverTenThousandDaysOfJitteredTicksEachTargetFiresOnceADayInItsSecond) {
    constexpr std::int64_t Days = 10000;
    constexpr std::int64_t MsPerSecond = 1000;
    constexpr std::int64_t Margin = 60;
    struct Stretch {
        std::int64_t from;  // seconds from the start of a day
        std::int64_t to;
    };
    const std::array<Stretch, 2> stretches{
        {{Target - Margin, Target + Margin}, {LastSecond - Margin, SecondsPerDay + Margin}}};
    const std::array<int, 4> targets{Target, Target + 1, LastSecond, 0};
    std::array<ScheduledTask, targets.size()> tasks{};
    std::array<std::int64_t, targets.size()> fired{};
    std::array<std::int64_t, targets.size()> wrong{};
    std::int64_t secondsWithoutTick = 0;
    std::int64_t secondsWithTwoTicks = 0;

    JitteredTimer timer;
    std::int64_t previousSecond = -1;
    for (std::int64_t day = 0; day < Days; ++day) {
        for (const Stretch& stretch : stretches) {
            const std::int64_t dayStart = day * SecondsPerDay;
            const std::int64_t endMs = (dayStart + stretch.to) * MsPerSecond;
            std::int64_t ms = (dayStart + stretch.from) * MsPerSecond + timer.next(MsPerSecond);
            for (bool first = true; ms < endMs; ms += timer.nextInterval(), first = false) {
                const std::int64_t second = ms / MsPerSecond;  // the local clock, to the whole second
                const int now = static_cast<int>(second % SecondsPerDay);
                if (!first) {
                    secondsWithoutTick += second > previousSecond + 1 ? 1 : 0;
                    secondsWithTwoTicks += second == previousSecond ? 1 : 0;
                }
                for (std::size_t i = 0; i < targets.size(); ++i) {
                    // Due: the first tick at or after the start of the target second.
                    const std::int64_t occurrence = second - (now - targets[i] + SecondsPerDay) % SecondsPerDay;
                    const bool due = !first && previousSecond < occurrence;
                    const bool fires = advanceTaskClock(tasks[i], now, targets[i]);
                    fired[i] += fires ? 1 : 0;
                    wrong[i] += fires == due ? 0 : 1;
                }
                previousSecond = second;
            }
        }
    }
    // The jitter does produce the seconds an exact comparison gets wrong.
    EXPECT_GT(secondsWithoutTick, Days / 10);
    EXPECT_GT(secondsWithTwoTicks, Days / 10);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(fired[i], Days) << "target " << targets[i];
        EXPECT_EQ(wrong[i], 0) << "ticks that fired wrongly or not when due, target " << targets[i];
    }
}

}  // namespace
