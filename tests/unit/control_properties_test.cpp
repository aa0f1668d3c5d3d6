#include "common/control_properties.h"

#include <gtest/gtest.h>

#include "app/program.h"
#include "common/images.h"
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
                                               "InvalidateRect(" + show(label) + ", FALSE)"};
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

// ------------------------------------------------------------------ mouse pointer and picture

namespace {

class PointerAndPicture : public ::testing::Test {
protected:
    FakePlatform fake;
    ControlState state;
    Hwnd picture = fake.addWindow(FakeWindow{"TavikPicture", "", Hwnd::none, 0, 0, 105, {}, true});
};

using MousePointerProperty = PointerAndPicture;
using PictureProperty = PointerAndPicture;

TEST_F(MousePointerProperty, CursorBytesGiveACursorAndThePointerIsSetInPlace) {
    fake.cursor = Point{123, 45};
    writeMousePointer(fake, picture, state, targetImage);
    ASSERT_NE(state.cursor, IconHandle::none);
    const std::vector<std::string> expected = {
        "CreateIconFromResourceEx(4268, FALSE, 0x30000, 32, 32, 0x0, hotspot 8,6) = " + show(state.cursor),
        "GetCursorPos()",
        "SetCursorPos(123, 45)",
    };
    EXPECT_EQ(fake.calls(), expected);
}

TEST_F(MousePointerProperty, ANewPointerDestroysTheOldOneAndEmptyBytesRemoveIt) {
    writeMousePointer(fake, picture, state, targetImage);
    const IconHandle target = state.cursor;
    fake.clearCalls();
    writeMousePointer(fake, picture, state, arrowImage);
    const IconHandle arrow = state.cursor;
    ASSERT_NE(arrow, IconHandle::none);
    EXPECT_NE(arrow, target);
    EXPECT_EQ(fake.callsNamed("DestroyCursor"), std::vector<std::string>{"DestroyCursor(" + show(target) + ")"});
    EXPECT_EQ(fake.liveIcons(), 1U);

    fake.clearCalls();
    writeMousePointer(fake, picture, state, ByteSet{});
    EXPECT_EQ(state.cursor, IconHandle::none);
    EXPECT_TRUE(fake.callsNamed("CreateIconFromResourceEx").empty());
    EXPECT_EQ(fake.callsNamed("DestroyCursor"), std::vector<std::string>{"DestroyCursor(" + show(arrow) + ")"});
    EXPECT_EQ(fake.callsNamed("SetCursorPos").size(), 1U) << "removing a pointer shows at once too";
    EXPECT_EQ(fake.liveIcons(), 0U);
}

TEST_F(MousePointerProperty, UnusableBytesLeaveNoPointerButStillFreeTheOldOne) {
    writeMousePointer(fake, picture, state, targetImage);
    const IconHandle old = state.cursor;
    const unsigned char notACursor[30] = {0, 0, 1, 0, 1, 0};
    writeMousePointer(fake, picture, state, ByteSet{notACursor, sizeof notACursor});
    EXPECT_EQ(state.cursor, IconHandle::none);
    EXPECT_EQ(fake.callsNamed("DestroyCursor"), std::vector<std::string>{"DestroyCursor(" + show(old) + ")"});
    EXPECT_EQ(fake.liveIcons(), 0U);
}

TEST_F(MousePointerProperty, AControlWithoutAWindowIsNotNudged) {
    fake.window(picture).destroyed = true;
    writeMousePointer(fake, picture, state, targetImage);
    EXPECT_NE(state.cursor, IconHandle::none);
    EXPECT_TRUE(fake.callsNamed("GetCursorPos").empty());
    EXPECT_TRUE(fake.callsNamed("SetCursorPos").empty());
}

// The main window answers WM_SETCURSOR for a control that has a pointer of its own,
// and leaves every other window to the default handling.
TEST(MousePointerPropertyOnScreen, SetCursorIsAnsweredOnlyForControlsWithAPointer) {
    FakePlatform fake;
    App app(fake);
    buildMainWindow(app);
    const Hwnd picture = app.main.handle(Control::图片框1);
    const Hwnd titleBox = app.main.handle(Control::编辑框_标题);
    fake.clearCalls();

    EXPECT_FALSE(app.onSetCursor(picture)) << "no pointer of its own at start";
    EXPECT_TRUE(fake.callsNamed("SetCursor").empty());

    writeMousePointer(fake, picture, app.main.state(Control::图片框1), arrowImage);
    const IconHandle arrow = app.main.state(Control::图片框1).cursor;
    fake.clearCalls();
    EXPECT_TRUE(app.onSetCursor(picture));
    EXPECT_FALSE(app.onSetCursor(titleBox));
    EXPECT_FALSE(app.onSetCursor(app.main.window));
    EXPECT_FALSE(app.onSetCursor(Hwnd::none));
    EXPECT_EQ(fake.callsNamed("SetCursor"), std::vector<std::string>{"SetCursor(" + show(arrow) + ")"});
}

TEST_F(PictureProperty, ShowsTheNewImageThenFreesTheOldAndRepaints) {
    writePicture(fake, picture, state, targetImage);
    const IconHandle first = state.picture;
    ASSERT_NE(first, IconHandle::none);
    fake.clearCalls();
    writePicture(fake, picture, state, arrowImage);
    const IconHandle second = state.picture;
    ASSERT_NE(second, IconHandle::none);
    const std::vector<std::string> expected = {
        "CreateIconFromResourceEx(744, TRUE, 0x30000, 32, 32, 0x0) = " + show(second),
        "SetPictureIcon(" + show(picture) + ", " + show(second) + ")",
        "DestroyIcon(" + show(first) + ")",
        "InvalidateRect(" + show(picture) + ", TRUE)",
        "UpdateWindow(" + show(picture) + ")",
    };
    EXPECT_EQ(fake.calls(), expected);
    EXPECT_EQ(fake.liveIcons(), 1U);
}

TEST_F(PictureProperty, TheEmptyPictureBlanksTheBox) {
    writePicture(fake, picture, state, targetImage);
    const IconHandle shown = state.picture;
    fake.clearCalls();
    writePicture(fake, picture, state, emptyPicture);
    EXPECT_EQ(state.picture, IconHandle::none);
    const std::vector<std::string> expected = {
        "SetPictureIcon(" + show(picture) + ", @0)",
        "DestroyIcon(" + show(shown) + ")",
        "InvalidateRect(" + show(picture) + ", TRUE)",
        "UpdateWindow(" + show(picture) + ")",
    };
    EXPECT_EQ(fake.calls(), expected);
    EXPECT_EQ(fake.liveIcons(), 0U);
}

}  // namespace
