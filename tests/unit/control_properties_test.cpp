#include "common/control_properties.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

class Properties : public ::testing::Test {
protected:
    FakePlatform fake;
    Hwnd edit = fake.addWindow(FakeWindow{"EDIT", "22", Hwnd::none, 0, 0, 108, {}, true});
    Hwnd label = fake.addWindow(FakeWindow{"TavikLabel", "", Hwnd::none, 0, 0, 100, {}, true});
    Hwnd timer = fake.addWindow(FakeWindow{"TavikTimer", "", Hwnd::none, 0, 0, 122, {}, false});
};

TEST_F(Properties, TextReadsAFreshCopyAndEmptyReadsAsAbsent) {
    const Text text = readText(fake, edit);
    EXPECT_STREQ(text.get(), "22");
    fake.window(edit).text = "";
    EXPECT_TRUE(readText(fake, edit).absent());
    EXPECT_TRUE(readText(fake, Hwnd{999}).absent()) << "no window reads as absent";
}

TEST_F(Properties, WritingAnEditsTextReportsTheChangeToItself) {
    fake.clearCalls();
    writeText(fake, edit, 108, "23");
    const std::vector<std::string> expected = {
        "SendMessageA(" + show(edit) + ", 0xC, 0x0, 23)",
        "SendMessageA(" + show(edit) + ", 0x111, 0x300006C, " + hex(static_cast<std::uint64_t>(edit)) + ")",
    };
    EXPECT_EQ(fake.calls(), expected);
    writeText(fake, edit, 108, nullptr);
    EXPECT_EQ(fake.window(edit).text, "") << "the absent text empties the box";
}

TEST_F(Properties, ALabelIsInvalidatedWithItsNewCaption) {
    fake.clearCalls();
    writeCaption(fake, label, "本地时间：", true);
    const std::vector<std::string> expected = {"SendMessageA(" + show(label) + ", 0xC, 0x0, 本地时间：)",
                                               "InvalidateRect(" + show(label) + ", TRUE)"};
    EXPECT_EQ(fake.calls(), expected);
    fake.clearCalls();
    writeCaption(fake, edit, "x", false);
    EXPECT_EQ(fake.calls().size(), 1U) << "a button repaints itself";
}

TEST_F(Properties, PeriodRestartsOnlyOnAChange) {
    ControlState state;
    struct Step {
        int period;
        std::vector<std::string> calls;
        int stored;
    };
    const std::string t = show(timer);
    const Step steps[] = {
        {1000, {"SetTimer(" + t + ", 1000, 1000)"}, 1000},
        {1000, {}, 1000},
        {500, {"KillTimer(" + t + ", 1000)", "SetTimer(" + t + ", 1000, 500)"}, 500},
        {0, {"KillTimer(" + t + ", 1000)"}, 0},
        {0, {}, 0},
        {-5, {}, 0},  // a negative period counts as 0
    };
    for (const Step& step : steps) {
        fake.clearCalls();
        writePeriod(fake, timer, state, step.period);
        EXPECT_EQ(fake.calls(), step.calls) << step.period;
        EXPECT_EQ(state.period, step.stored);
    }
    EXPECT_EQ(fake.activeTimers(), 0U);
}

TEST_F(Properties, CheckedIsBstCheckedAndVisibleFollowsShowWindow) {
    fake.window(edit).checked = true;
    EXPECT_TRUE(readChecked(fake, edit));
    fake.window(edit).checked = false;
    EXPECT_FALSE(readChecked(fake, edit));

    writeVisible(fake, label, false);
    EXPECT_FALSE(readVisible(fake, label));
    writeVisible(fake, label, true);
    EXPECT_TRUE(readVisible(fake, label));
    EXPECT_EQ(fake.callsNamed("ShowWindow"),
              (std::vector<std::string>{"ShowWindow(" + show(label) + ", 0)", "ShowWindow(" + show(label) + ", 5)"}));
}

}  // namespace
