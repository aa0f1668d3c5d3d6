#include "hide/picker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/program.h"
#include "common/images.h"
#include "fake_platform.h"

namespace {

// ------------------------------------------------------------------ windowUnderCursor

// One window of a layout: its parent (an index into the layout, or -1 for the shared
// parent window that the layout lives in), its rectangle and whether it is visible.
struct Layout {
    int parent;
    Rect rect;
    bool visible = true;
    int owner = -1;  // for top-level windows: the index of the owner, if any
};

constexpr int Container = -1;
constexpr int NoWindow = -2;
constexpr int TopLevel = -3;

struct SiblingCase {
    const char* name;
    std::vector<Layout> windows;  // created in this order, which is their Z order among siblings
    Point cursor;
    int hit;       // what WindowFromPoint reports, or NoWindow
    int expected;  // index of the picked window, or NoWindow
};

class WindowUnderCursor : public ::testing::TestWithParam<SiblingCase> {};

TEST_P(WindowUnderCursor, PicksTheSmallestVisibleSiblingBelowTheHitWindow) {
    const SiblingCase& c = GetParam();
    FakePlatform fake;
    FakeWindow container;
    container.rect = Rect{0, 0, 1000, 1000};
    container.visible = true;
    const Hwnd parentWindow = fake.addWindow(container);
    std::vector<Hwnd> handles;
    for (const Layout& layout : c.windows) {
        FakeWindow w;
        if (layout.parent == Container) {
            w.parent = parentWindow;
        } else if (layout.parent >= 0) {
            w.parent = handles.at(static_cast<std::size_t>(layout.parent));
        }
        if (layout.owner >= 0) {
            w.owner = handles.at(static_cast<std::size_t>(layout.owner));
        }
        w.rect = layout.rect;
        w.visible = layout.visible;
        handles.push_back(fake.addWindow(w));
    }
    fake.cursor = c.cursor;
    fake.windowAtPoint = c.hit == NoWindow ? Hwnd::none : handles.at(static_cast<std::size_t>(c.hit));

    const Hwnd picked = windowUnderCursor(fake);

    const Hwnd expected = c.expected == NoWindow ? Hwnd::none : handles.at(static_cast<std::size_t>(c.expected));
    EXPECT_EQ(show(picked), show(expected));
    ASSERT_FALSE(fake.calls().empty());
    EXPECT_EQ(fake.calls().front(), "GetCursorPos()");
}

const Rect Big{0, 0, 100, 100};
const Rect Small{10, 10, 50, 50};
const Rect Smaller{20, 20, 40, 40};
const Rect SmallElsewhere{60, 60, 70, 70};

INSTANTIATE_TEST_SUITE_P(
    SiblingLayouts, WindowUnderCursor,
    ::testing::Values(
        SiblingCase{"NoWindowUnderThePointer", {{Container, Big}}, {30, 30}, NoWindow, NoWindow},
        SiblingCase{"NestedChildIsPickedItself", {{Container, Big}, {0, Small}}, {30, 30}, 1, 1},
        SiblingCase{"SmallerSiblingBelowWins", {{Container, Big}, {Container, Small}}, {30, 30}, 0, 1},
        SiblingCase{"SmallestOfSeveralWins",
                    {{Container, Big}, {Container, Small}, {Container, Smaller}, {Container, Small}},
                    {30, 30},
                    0,
                    2},
        SiblingCase{"SiblingAboveIsNotExamined", {{Container, Small}, {Container, Big}}, {30, 30}, 1, 1},
        SiblingCase{"EqualAreasKeepTheFirst",
                    {{Container, Big}, {Container, Small}, {Container, Rect{20, 20, 60, 60}}},
                    {30, 30},
                    0,
                    1},
        SiblingCase{"EqualAreaDoesNotReplaceTheHitWindow", {{Container, Small}, {Container, Small}}, {30, 30}, 0, 0},
        SiblingCase{"InvisibleSiblingIsSkipped", {{Container, Big}, {Container, Small, false}}, {30, 30}, 0, 0},
        SiblingCase{
            "SiblingNotHoldingThePointIsSkipped", {{Container, Big}, {Container, SmallElsewhere}}, {30, 30}, 0, 0},
        SiblingCase{"RightEdgeIsOutside", {{Container, Big}, {Container, Small}}, {50, 30}, 0, 0},
        SiblingCase{"BottomEdgeIsOutside", {{Container, Big}, {Container, Small}}, {30, 50}, 0, 0},
        SiblingCase{"LeftAndTopEdgesAreInside", {{Container, Big}, {Container, Small}}, {10, 10}, 0, 1},
        SiblingCase{"TopLevelWindowIsTheResult", {{TopLevel, Big}, {TopLevel, Small}}, {30, 30}, 0, 0},
        // Owned windows report their owner as parent: only windows with the same owner compete.
        SiblingCase{"SiblingOfAnotherParentIsSkipped",
                    {{TopLevel, Rect{0, 0, 900, 900}},
                     {TopLevel, Rect{0, 0, 900, 900}},
                     {TopLevel, Big, true, 0},
                     {TopLevel, Small, true, 1}},
                    {30, 30},
                    2,
                    2},
        SiblingCase{"SiblingOfTheSameOwnerCompetes",
                    {{TopLevel, Rect{0, 0, 900, 900}}, {TopLevel, Big, true, 0}, {TopLevel, Small, true, 0}},
                    {30, 30},
                    1,
                    2},
        // An inverted rectangle has a negative area, which no sibling's area is below.
        SiblingCase{"InvertedHitRectangleIsNotReplaced",
                    {{Container, Rect{100, 0, 0, 100}}, {Container, Small}},
                    {30, 30},
                    0,
                    0},
        // Areas beyond 32 bits still compare by size, without overflow.
        SiblingCase{"HugeAreasCompareWithoutOverflow",
                    {{Container, Rect{-2000000000, -2000000000, 2000000000, 2000000000}},
                     {Container, Rect{-1000000000, -1000000000, 1000000000, 1000000000}}},
                    {0, 0},
                    0,
                    1}),
    [](const ::testing::TestParamInfo<SiblingCase>& layout) { return std::string(layout.param.name); });

TEST(WindowUnderCursorWalk, AsksTheRectParentAndVisibilityOfEachFollowingSibling) {
    FakePlatform fake;
    FakeWindow container;
    const Hwnd parent = fake.addWindow(container);
    FakeWindow big;
    big.parent = parent;
    big.rect = Big;
    big.visible = true;
    FakeWindow small = big;
    small.rect = Small;
    const Hwnd hit = fake.addWindow(big);
    const Hwnd next = fake.addWindow(small);
    fake.cursor = Point{30, 30};
    fake.windowAtPoint = hit;

    EXPECT_EQ(show(windowUnderCursor(fake)), show(next));

    const std::vector<std::string> expected = {
        "GetCursorPos()",
        "WindowFromPoint(30, 30)",
        "GetWindowRect(" + show(hit) + ")",
        "GetParent(" + show(hit) + ")",
        "GetWindow(" + show(hit) + ", GW_HWNDNEXT)",
        "GetWindowRect(" + show(next) + ")",
        "GetParent(" + show(next) + ")",
        "IsWindowVisible(" + show(next) + ")",
        "GetWindow(" + show(next) + ", GW_HWNDNEXT)",
    };
    EXPECT_EQ(fake.calls(), expected);
}

// ------------------------------------------------------------------ readWindowText

class ReadWindowText : public ::testing::Test {
protected:
    FakePlatform fake;

    Hwnd windowWithText(const std::string& text) {
        FakeWindow w;
        w.text = text;
        return fake.addWindow(w);
    }

    static std::string textOf(const Text& text) { return text.absent() ? "(absent)" : std::string(text.get()); }
};

TEST_F(ReadWindowText, NoWindowOrAGoneOneGivesTheAbsentTextWithoutAsking) {
    const Hwnd gone = windowWithText("gone");
    fake.window(gone).destroyed = true;
    for (const Hwnd window : {Hwnd::none, gone}) {
        fake.clearCalls();
        EXPECT_TRUE(readWindowText(fake, window).absent());
        EXPECT_TRUE(fake.callsNamed("SendMessageTimeoutA").empty());
        EXPECT_TRUE(fake.callsNamed("SendMessageA").empty());
    }
}

TEST_F(ReadWindowText, AsksLengthThenTextEachWithABoundedWait) {
    const Hwnd window = windowWithText("Notepad");
    const Text text = readWindowText(fake, window);
    EXPECT_EQ(textOf(text), "Notepad");
    // WM_GETTEXTLENGTH, then WM_GETTEXT with room for the 7 bytes and the NUL.
    const std::vector<std::string> expected = {
        "SendMessageTimeoutA(" + show(window) + ", 0xE, 0x0, 0x2, 1000)",
        "SendMessageTimeoutA(" + show(window) + ", 0xD, 0x8, 0x2, 1000)",
    };
    EXPECT_EQ(fake.callsNamed("SendMessageTimeoutA"), expected);
    EXPECT_TRUE(fake.callsNamed("SendMessageA").empty()) << "an unbounded send was made";
}

TEST_F(ReadWindowText, LengthZeroGivesTheAbsentTextWithoutAskingForTheText) {
    const Hwnd window = windowWithText("");
    EXPECT_TRUE(readWindowText(fake, window).absent());
    EXPECT_EQ(fake.callsNamed("SendMessageTimeoutA").size(), 1U);
}

TEST_F(ReadWindowText, ReadsATextOfThousandsOfBytesWhole) {
    std::string longText;
    for (int i = 0; longText.size() < 6000; ++i) {
        longText += "line " + std::to_string(i) + "; ";
    }
    const Hwnd window = windowWithText(longText);
    EXPECT_EQ(textOf(readWindowText(fake, window)), longText);
}

TEST_F(ReadWindowText, ATextShorterThanAnnouncedEndsAtItsNul) {
    const Hwnd window = windowWithText("abc");
    fake.window(window).announcedLength = 40;
    const Text text = readWindowText(fake, window);
    EXPECT_EQ(textOf(text), "abc");
    EXPECT_EQ(textLength(text.get()), 3U);
}

TEST_F(ReadWindowText, AWindowThatDoesNotAnswerGivesTheAbsentText) {
    const Hwnd window = windowWithText("Busy program");
    fake.window(window).hung = true;
    EXPECT_TRUE(readWindowText(fake, window).absent());
    EXPECT_EQ(fake.callsNamed("SendMessageTimeoutA").size(), 1U);
}

// ------------------------------------------------------------------ press and release

class Picker : public ::testing::Test {
protected:
    FakePlatform fake;
    App app{fake};
    Hwnd picture = Hwnd::none;
    Hwnd titleBox = Hwnd::none;

    void SetUp() override {
        buildMainWindow(app);
        picture = app.main.handle(Control::图片框1);
        titleBox = app.main.handle(Control::编辑框_标题);
        fake.clearCalls();
    }

    // A window of another program with a button inside, at a place of its own.
    Hwnd otherProgram(const std::string& title, Hwnd& button) {
        FakeWindow top;
        top.text = title;
        top.rect = Rect{600, 300, 900, 500};
        top.visible = true;
        const Hwnd window = fake.addWindow(top);
        FakeWindow child;
        child.text = "Target Button";
        child.parent = window;
        child.rect = Rect{610, 310, 730, 338};
        child.visible = true;
        button = fake.addWindow(child);
        return window;
    }

    void pressAndRelease() {
        app.onPictureButton(picture, true, 5, 5, 0);
        app.onPictureButton(picture, false, 5, 5, 0);
    }

    std::string titleBoxText() { return fake.window(titleBox).text; }
};

TEST_F(Picker, PressCarriesTheTargetAndCapturesTheMouse) {
    const IconHandle shownPicture = app.main.state(Control::图片框1).picture;
    ASSERT_NE(shownPicture, IconHandle::none);
    app.onPictureButton(picture, true, 5, 5, 0);
    const IconHandle pointer = app.main.state(Control::图片框1).cursor;
    ASSERT_NE(pointer, IconHandle::none);
    const std::vector<std::string> expected = {
        "CreateIconFromResourceEx(4268, FALSE, 0x30000, 32, 32, 0x0, hotspot 8,6) = " + show(pointer),
        "GetCursorPos()",
        "SetCursorPos(500, 400)",
        "SetPictureIcon(" + show(picture) + ", @0)",
        "DestroyIcon(" + show(shownPicture) + ")",
        "InvalidateRect(" + show(picture) + ", TRUE)",
        "UpdateWindow(" + show(picture) + ")",
        "PumpPendingMessages()",
        "SetCapture(" + show(picture) + ")",
    };
    EXPECT_EQ(fake.calls(), expected);
    EXPECT_EQ(app.main.state(Control::图片框1).picture, IconHandle::none);
    EXPECT_EQ(fake.capture, static_cast<std::uintptr_t>(picture));
}

TEST_F(Picker, ReleaseWritesTheTextUnderThePointerAndPutsTheTargetBack) {
    Hwnd button = Hwnd::none;
    const Hwnd other = otherProgram("Other Program", button);
    app.onPictureButton(picture, true, 5, 5, 0);
    const IconHandle target = app.main.state(Control::图片框1).cursor;
    fake.cursor = Point{650, 450};
    fake.windowAtPoint = other;
    fake.clearCalls();

    app.onPictureButton(picture, false, 5, 5, 0);

    EXPECT_EQ(titleBoxText(), "Other Program");
    const std::vector<std::string>& calls = fake.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "ReleaseCapture()");
    EXPECT_EQ(fake.capture, 0U);
    // The order of the steps: pick, write the text, the arrow pointer, the picture.
    auto position = [&](const std::string& prefix) {
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].rfind(prefix, 0) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    const int pick = position("WindowFromPoint(650, 450)");
    const int write = position("SendMessageA(" + show(titleBox) + ", 0xC, 0x0, Other Program)");
    const int arrow = position("CreateIconFromResourceEx(748, FALSE, 0x30000, 32, 32, 0x0, hotspot 2,4)");
    const int oldPointerGone = position("DestroyCursor(" + show(target) + ")");
    const int pictureBack = position("CreateIconFromResourceEx(4264, TRUE");
    EXPECT_GT(pick, 0);
    EXPECT_GT(write, pick);
    EXPECT_GT(arrow, write);
    EXPECT_GT(oldPointerGone, arrow);
    EXPECT_GT(pictureBack, oldPointerGone);
    EXPECT_NE(app.main.state(Control::图片框1).picture, IconHandle::none);
    EXPECT_NE(app.main.state(Control::图片框1).cursor, IconHandle::none);
}

TEST_F(Picker, ReleaseOverAControlInsideAnotherProgramTakesTheControlsText) {
    Hwnd button = Hwnd::none;
    otherProgram("Other Program", button);
    app.onPictureButton(picture, true, 5, 5, 0);
    fake.cursor = Point{620, 320};
    fake.windowAtPoint = button;
    app.onPictureButton(picture, false, 5, 5, 0);
    EXPECT_EQ(titleBoxText(), "Target Button");
}

TEST_F(Picker, PressAndReleaseInPlaceOrOverNothingEmptiesTheBox) {
    fake.window(titleBox).text = "left over";
    fake.windowAtPoint = picture;  // the picture box has no text
    pressAndRelease();
    EXPECT_EQ(titleBoxText(), "");

    fake.window(titleBox).text = "left over";
    fake.windowAtPoint = Hwnd::none;
    pressAndRelease();
    EXPECT_EQ(titleBoxText(), "");
}

TEST_F(Picker, AHungWindowEmptiesTheBox) {
    Hwnd button = Hwnd::none;
    const Hwnd other = otherProgram("Stuck Program", button);
    fake.window(other).hung = true;
    fake.window(titleBox).text = "left over";
    fake.windowAtPoint = other;
    pressAndRelease();
    EXPECT_EQ(titleBoxText(), "");
}

TEST_F(Picker, ReleaseOverTheTitleBoxWritesItsOwnTextBack) {
    fake.window(titleBox).text = "Typed Title";
    fake.windowAtPoint = titleBox;
    pressAndRelease();
    EXPECT_EQ(titleBoxText(), "Typed Title");
}

TEST_F(Picker, ReleaseOverTheMainWindowTakesTheProgramsTitle) {
    fake.windowAtPoint = app.main.window;
    pressAndRelease();
    EXPECT_EQ(titleBoxText(), "Tavik小助手");
}

TEST_F(Picker, RepeatedPicksKeepOneCursorAndOnePictureAndTheCleanUpFreesThem) {
    const std::size_t before = fake.liveIcons();
    for (int i = 0; i < 3; ++i) {
        pressAndRelease();
    }
    // The arrow pointer and the target picture are owned; the target pointer is gone.
    EXPECT_EQ(fake.liveIcons(), before + 1);
    const ControlState owned = app.main.state(Control::图片框1);
    fake.clearCalls();
    releaseWindowResources(app);
    // Gone: the arrow pointer, the picture and the window icon.
    EXPECT_EQ(fake.liveIcons(), before + 1 - 3);
    const std::vector<std::string> calls = fake.calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "DestroyCursor(" + show(owned.cursor) + ")"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "DestroyIcon(" + show(owned.picture) + ")"), calls.end());
}

TEST_F(Picker, EventsOfOtherPictureWindowsAreIgnored) {
    app.onPictureButton(app.main.handle(Control::标签5), true, 5, 5, 0);
    EXPECT_TRUE(fake.callsNamed("SetCapture").empty());
}

}  // namespace
