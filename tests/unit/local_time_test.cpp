// The local-time line: the date-time text and the label it fills.

#include "app/local_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "fake_platform.h"

namespace {

TEST(DateTimeToText, LeavesOutTrailingZeroUnitsAndLeadingZeros) {
    const struct {
        LocalTime time;
        const char* text;
    } cases[] = {
        {{2015, 11, 28, 9, 5, 7}, "2015年11月28日9时5分7秒"},   {{2015, 11, 28, 9, 5, 0}, "2015年11月28日9时5分"},
        {{2015, 11, 28, 9, 0, 0}, "2015年11月28日9时"},         {{2015, 11, 28, 0, 0, 0}, "2015年11月28日"},
        {{2015, 11, 28, 0, 0, 7}, "2015年11月28日0时0分7秒"},   {{2015, 11, 28, 0, 5, 0}, "2015年11月28日0时5分"},
        {{2015, 1, 2, 23, 59, 59}, "2015年1月2日23时59分59秒"}, {{2026, 12, 31, 0, 0, 1}, "2026年12月31日0时0分1秒"},
        {{2026, 3, 4, 10, 0, 5}, "2026年3月4日10时0分5秒"},     {{2026, 3, 4, 10, 5, 0}, "2026年3月4日10时5分"},
        {{2026, 3, 4, 10, 0, 0}, "2026年3月4日10时"},           {{12345, 1, 1, 1, 1, 1}, "12345年1月1日1时1分1秒"},
    };
    for (const auto& c : cases) {
        const LocalTime& t = c.time;
        const Text text = dateTimeToText(t.year, t.month, t.day, t.hour, t.minute, t.second);
        ASSERT_FALSE(text.absent());
        EXPECT_STREQ(text.get(), c.text);
    }
}

class LocalTimeLine : public ::testing::Test {
protected:
    void SetUp() override {
        buildMainWindow(app);
        label = app.main.handle(Control::标签1);
        fake.clearCalls();
    }

    FakePlatform fake;
    App app{fake};
    Hwnd label = Hwnd::none;
};

TEST_F(LocalTimeLine, IsFilledBeforeTheWindowIsFirstShown) {
    FakePlatform fresh;
    fresh.now = LocalTime{2015, 11, 28, 0, 0, 0};
    App started(fresh);
    buildMainWindow(started);
    const Hwnd startLabel = started.main.handle(Control::标签1);
    EXPECT_EQ(fresh.window(startLabel).text, "本地时间：2015年11月28日");
    const auto& calls = fresh.calls();
    const auto setText = std::find(calls.begin(), calls.end(),
                                   "SendMessageA(" + show(startLabel) + ", 0xC, 0x0, 本地时间：2015年11月28日)");
    const auto shown = std::find(calls.begin(), calls.end(), "ShowWindow(" + show(started.main.window) + ", 5)");
    EXPECT_LT(setText, shown);
    EXPECT_NE(shown, calls.end());
}

TEST_F(LocalTimeLine, EveryTickOfTheClockRewritesAndRedrawsTheLabel) {
    const Hwnd clock = app.main.handle(Control::时钟1);
    const struct {
        LocalTime now;
        const char* line;
    } ticks[] = {
        {{2015, 11, 28, 23, 59, 59}, "本地时间：2015年11月28日23时59分59秒"},
        {{2015, 11, 29, 0, 0, 0}, "本地时间：2015年11月29日"},
        {{2015, 11, 29, 0, 0, 1}, "本地时间：2015年11月29日0时0分1秒"},
    };
    for (const auto& tick : ticks) {
        fake.now = tick.now;
        fake.clearCalls();
        app.onTimer(clock, TimerId);
        EXPECT_EQ(fake.window(label).text, tick.line);
        EXPECT_EQ(fake.calls(), (std::vector<std::string>{
                                    "GetLocalTime()",
                                    "SendMessageA(" + show(label) + ", 0xC, 0x0, " + tick.line + ")",
                                    "InvalidateRect(" + show(label) + ", FALSE)",
                                }));
    }
}

}  // namespace
