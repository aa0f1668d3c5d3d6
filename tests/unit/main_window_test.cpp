#include "app/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/program.h"
#include "fake_platform.h"

namespace {

const ControlDescription& describe(Control control) { return Controls[static_cast<std::size_t>(index(control))]; }

TEST(WindowDescription, ListsEveryControlOnceInNameOrder) {
    std::set<int> seen;
    for (std::size_t i = 0; i < Controls.size(); ++i) {
        EXPECT_EQ(index(Controls[i].name), static_cast<int>(i)) << "table position " << i;
        EXPECT_TRUE(seen.insert(index(Controls[i].name)).second);
    }
    EXPECT_EQ(seen.size(), ControlCount);
}

TEST(WindowDescription, ControlsLieInsideTheirParentsAndParentsComeFirst) {
    // The client area of the 320x210 frame is smaller still; every control must fit it.
    const int clientWidth = MainWindowWidth;
    const int clientHeight = MainWindowHeight;
    for (std::size_t i = 0; i < Controls.size(); ++i) {
        const ControlDescription& control = Controls[i];
        int width = clientWidth;
        int height = clientHeight;
        if (control.parent != NoParent) {
            ASSERT_LT(control.parent, static_cast<int>(i)) << "parent must be created first";
            const ControlDescription& parent = Controls[static_cast<std::size_t>(control.parent)];
            EXPECT_EQ(parent.kind, ControlKind::GroupBox);
            width = parent.width;
            height = parent.height;
        }
        if (control.kind == ControlKind::Timer) {
            continue;  // never shown: its place does not matter
        }
        EXPECT_GE(control.left, 0) << i;
        EXPECT_GE(control.top, 0) << i;
        EXPECT_LE(control.left + control.width, width) << i;
        EXPECT_LE(control.top + control.height, height) << i;
    }
}

TEST(WindowDescription, InitialContentAndLook) {
    struct Case {
        Control control;
        ControlKind kind;
        const char* text;
        Rgb colour;
    };
    const Case cases[] = {
        {Control::标签1, ControlKind::Label, nullptr, Red},
        {Control::分组框1, ControlKind::GroupBox, " 任务计划 ", Red},
        {Control::分组框2, ControlKind::GroupBox, "隐藏窗口", Black},
        {Control::编辑框_时, ControlKind::EditBox, "22", Black},
        {Control::编辑框_分, ControlKind::EditBox, "30", Black},
        {Control::编辑框_秒, ControlKind::EditBox, "00", Black},
        {Control::编辑框_标题, ControlKind::EditBox, nullptr, Black},
        {Control::单选框2, ControlKind::RadioButton, "重启电脑", Magenta},
        {Control::单选框3, ControlKind::RadioButton, "注销电脑", Cyan},
        {Control::单选框4, ControlKind::RadioButton, "休眠模式", Green},
        {Control::按钮1, ControlKind::PushButton, "执行任务", Black},
    };
    for (const Case& c : cases) {
        const ControlDescription& control = describe(c.control);
        EXPECT_EQ(control.kind, c.kind) << index(c.control);
        EXPECT_EQ(compareTexts(control.text, c.text), 0) << index(c.control);
        EXPECT_EQ(control.colour, c.colour) << index(c.control);
    }
    EXPECT_TRUE(describe(Control::单选框1).checked);
    EXPECT_EQ(describe(Control::时钟1).period, 1000);
    EXPECT_EQ(describe(Control::任务时钟).period, 0);
}

TEST(MenuList, HasTheHiddenTopItemAndFixedPositions) {
    EXPECT_STREQ(MenuItems[ProgramMenu].caption, "&F.程序");
    EXPECT_EQ(MenuItems[ProgramMenu].level, 0);
    EXPECT_EQ(MenuItems[ProgramMenu].flags, menuflag::Hidden);
    EXPECT_STREQ(MenuItems[1].caption, "M.主界面");
    EXPECT_EQ(MenuItems[2].flags, menuflag::Hidden | menuflag::Disabled);
    EXPECT_STREQ(MenuItems[13].caption, "C.取消");
    for (std::size_t i = 1; i < MenuItems.size(); ++i) {
        EXPECT_EQ(MenuItems[i].level, 1) << i;
        EXPECT_EQ(std::string(MenuItems[i].caption).find('&'), std::string::npos) << i;
    }
}

// Builds the window on the fake; the guard runs too and takes the marker.
class BuiltWindow : public ::testing::Test {
protected:
    FakePlatform fake;
    App app{fake};

    void build() { buildMainWindow(app); }
    std::string createCallFor(Control control) {
        const auto creates = fake.callsNamed("CreateWindowExA");
        return creates.at(static_cast<std::size_t>(index(control)) + 1);  // the main window comes first
    }
};

TEST_F(BuiltWindow, MainWindowIsCentredFixedAndHiddenUntilCreated) {
    fake.screenWidth = 1025;
    fake.screenHeight = 769;
    build();
    const auto creates = fake.callsNamed("CreateWindowExA");
    ASSERT_FALSE(creates.empty());
    // (1025 - 320) / 2 = 352 and (769 - 210) / 2 = 279, with integer division.
    EXPECT_EQ(creates.front(),
              "CreateWindowExA(0x0, TavikMainWindow, Tavik小助手, 0x2CA0000, 352, 279, 320, 210, #0, 0)");
    EXPECT_TRUE(fake.callsNamed("MoveWindow").empty());
    EXPECT_TRUE(fake.callsNamed("CreateMenu").empty()) << "no menu bar: the only top item is hidden";
    // One icon made from the tray icon's bytes serves as the large and the small icon.
    ASSERT_NE(app.main.icon, IconHandle::none);
    const std::string icon = hex(static_cast<std::uint64_t>(app.main.icon));
    const auto sends = fake.callsNamed("SendMessageA");
    for (const char* size : {"0x1", "0x0"}) {
        const std::string setIcon = "SendMessageA(#1, 0x80, " + std::string(size) + ", " + icon + ")";
        EXPECT_NE(std::find(sends.begin(), sends.end(), setIcon), sends.end()) << setIcon;
    }
}

TEST_F(BuiltWindow, ResizesAWindowThatComesOutAtAnotherSize) {
    fake.outerSizeSlack = 6;
    build();
    const auto moves = fake.callsNamed("MoveWindow");
    ASSERT_EQ(moves.size(), 1U);
    EXPECT_EQ(moves[0], "MoveWindow(#1, 352, 279, 320, 210)");
}

TEST_F(BuiltWindow, ControlsAreRealisedAsTheirKindsSay) {
    build();
    struct Case {
        Control control;
        const char* head;  // up to the parent
        int parent;        // a group box, or NoParent for the main window
        const char* id;
    };
    const Case cases[] = {
        {Control::标签1, "CreateWindowExA(0x0, TavikLabel, null, 0x40000000, 49, 4, 215, 20", NoParent, "100"},
        {Control::分组框2, "CreateWindowExA(0x10000, BUTTON, 隐藏窗口, 0x40000107, 5, 24, 304, 80", NoParent, "101"},
        {Control::时钟1, "CreateWindowExA(0x0, TavikTimer, null, 0x40000000, 168, 97, 26, 26", NoParent, "103"},
        {Control::图片框1, "CreateWindowExA(0x0, TavikPicture, null, 0x40000000, 8, 40, 32, 32", GroupHide, "105"},
        {Control::编辑框_标题, "CreateWindowExA(0x200, EDIT, null, 0x40010080, 48, 40, 155, 32", GroupHide, "106"},
        {Control::按钮_隐藏, "CreateWindowExA(0x0, BUTTON, 隐藏窗口, 0x40012F00, 208, 40, 83, 32", GroupHide, "107"},
        // 13-pixel font + 2 x 2 edge: the 16-pixel time fields grow to 17.
        {Control::编辑框_时, "CreateWindowExA(0x200, EDIT, 22, 0x40010080, 8, 17, 16, 17", GroupTask, "108"},
        {Control::调节器1, "CreateWindowExA(0x0, msctls_updown32, null, 0x40000000, 30, 16, 20, 16", GroupTask, "109"},
        {Control::单选框1, "CreateWindowExA(0x0, BUTTON, 关闭电脑, 0x40012D09, 8, 40, 75, 24", GroupTask, "118"},
        {Control::任务时钟, "CreateWindowExA(0x0, TavikTimer, null, 0x40000000, 243, 76, 26, 26", GroupTask, "122"},
    };
    for (const Case& c : cases) {
        const Hwnd parent =
            c.parent == NoParent ? app.main.window : app.main.controls[static_cast<std::size_t>(c.parent)];
        EXPECT_EQ(createCallFor(c.control), std::string(c.head) + ", " + show(parent) + ", " + c.id + ")");
    }
}

TEST_F(BuiltWindow, TallFontsGrowOnlyTheEditsBelowTheMinimum) {
    fake.lineHeight = 30;
    build();
    const std::string task = show(app.main.handle(Control::分组框1));
    const std::string hide = show(app.main.handle(Control::分组框2));
    EXPECT_EQ(createCallFor(Control::编辑框_分),
              "CreateWindowExA(0x200, EDIT, 30, 0x40010080, 72, 17, 16, 34, " + task + ", 111)");
    EXPECT_EQ(createCallFor(Control::编辑框_标题),
              "CreateWindowExA(0x200, EDIT, null, 0x40010080, 48, 40, 155, 34, " + hide + ", 106)");
}

TEST_F(BuiltWindow, EditsHaveNoLimitRadioOneIsCheckedAndOnlyTheClockTicks) {
    build();
    for (Control edit : {Control::编辑框_标题, Control::编辑框_时, Control::编辑框_分, Control::编辑框_秒}) {
        const auto calls = fake.calls();
        const std::string limit = "SendMessageA(" + show(app.main.handle(edit)) + ", 0xC5, 0x0, 0x0)";
        EXPECT_NE(std::find(calls.begin(), calls.end(), limit), calls.end()) << limit;
    }
    EXPECT_TRUE(fake.window(app.main.handle(Control::单选框1)).checked);
    for (Control radio : {Control::单选框2, Control::单选框3, Control::单选框4}) {
        EXPECT_FALSE(fake.window(app.main.handle(radio)).checked);
    }
    EXPECT_TRUE(fake.timerRunning(app.main.handle(Control::时钟1)));
    EXPECT_FALSE(fake.timerRunning(app.main.handle(Control::任务时钟)));
    EXPECT_EQ(fake.callsNamed("SetTimer"),
              std::vector<std::string>{"SetTimer(" + show(app.main.handle(Control::时钟1)) + ", 1000, 1000)"});
}

TEST_F(BuiltWindow, ShowsControlsThenRaisesCreatedThenShowsTheWindow) {
    build();
    const auto& calls = fake.calls();
    const auto position = [&](const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    };
    const auto shows = fake.callsNamed("ShowWindow");
    // Every control but the two timers, without activation, then the window itself.
    ASSERT_EQ(shows.size(), ControlCount - 2 + 1);
    for (std::size_t i = 0; i + 1 < shows.size(); ++i) {
        EXPECT_NE(shows[i].find(", 8)"), std::string::npos) << shows[i];
    }
    EXPECT_EQ(shows.back(), "ShowWindow(#1, 5)");
    const auto guard = position("FindFirstFileA(C:\\WINDOWS\\Kemsy1) = INVALID");
    EXPECT_LT(position(shows[shows.size() - 2]), guard);
    EXPECT_LT(guard, position("ShowWindow(#1, 5)"));
}

TEST_F(BuiltWindow, ColoursGoToLabelsGroupBoxesAndRadioButtons) {
    build();
    const auto colours = fake.callsNamed("SetTextColour");
    const std::set<std::string> recorded(colours.begin(), colours.end());
    EXPECT_EQ(recorded.count("SetTextColour(" + show(app.main.handle(Control::标签1)) + ", 255, 0, 0)"), 1U);
    EXPECT_EQ(recorded.count("SetTextColour(" + show(app.main.handle(Control::单选框3)) + ", 0, 255, 255)"), 1U);
    EXPECT_EQ(recorded.count("SetTextColour(" + show(app.main.handle(Control::分组框1)) + ", 255, 0, 0)"), 1U);
    EXPECT_EQ(colours.size(), 11U);  // 5 labels, 2 group boxes, 4 radio buttons
}

TEST_F(BuiltWindow, RaisesNoEventBeforeTheCreatedEvent) {
    // A tick or a click arriving while the window is built reaches no handler.
    app.onTimer(Hwnd::none, TimerId);
    EXPECT_FALSE(app.eventsEnabled);
    build();
    EXPECT_TRUE(app.eventsEnabled);
}

TEST_F(BuiltWindow, AFailedMainWindowIsFatal) {
    fake.createMainWindowFails = true;
    try {
        build();
        FAIL() << "the program went on without a window";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(static_cast<std::int32_t>(exit.code), -1);
    }
    const auto boxes = fake.callsNamed("MessageBoxA");
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_NE(boxes[0].find(", 0x10)"), std::string::npos) << "error icon, not task-modal: " << boxes[0];
}

TEST_F(BuiltWindow, EscClosesAndEnterPressesNothing) {
    build();
    fake.clearCalls();
    app.onCommand(static_cast<std::uint32_t>(win::IdOk), 0, Hwnd::none);
    EXPECT_TRUE(fake.calls().empty());
    app.onCommand(static_cast<std::uint32_t>(win::IdCancel), 0, Hwnd::none);
    ASSERT_FALSE(fake.calls().empty());
    EXPECT_EQ(fake.calls().front(), "SendMessageA(#1, 0x10, 0x0, 0x0)");
}

}  // namespace
