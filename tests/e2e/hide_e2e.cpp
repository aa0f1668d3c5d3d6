// The window picker and hiding/showing by title, driven from outside tavik.exe with
// real input: mouse drags and key chords go through SendInput, as the user's would.
#include <windows.h>

#include <list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "input.h"
#include "target_app_ids.h"

namespace tavik::e2e {
namespace {

const std::string kMainTitle = "Tavik小助手";
const std::string kBoxTitle = "信息：";
const std::string kHideCaption = "隐藏窗口";
const std::string kShowCaption = "显示窗口";
const std::string kHiddenReport = "成功隐藏了";
const std::string kTargetTitle = "Tavik Hide Target";
const std::string kFocusTitle = "Tavik Focus Holder";

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kSettleMs = 3000;
constexpr UINT kHideMenuCommand = 20003;
constexpr UINT kShowMenuCommand = 20004;

// Where the controls of the hide group sit inside their group box.
constexpr int kHideGroupLeft = 5, kHideGroupTop = 24;
constexpr int kPictureLeft = 8, kTitleBoxLeft = 48, kHideButtonLeft = 208, kRowTop = 40;
// Points of the client areas of target_app's window and of the main window that no child covers.
constexpr POINT kTargetBarePoint{260, 20};
constexpr POINT kMainBarePoint{10, 10};

// ---------------------------------------------------------------- screen

bool allPixels(HWND window, COLORREF colour) {
    RECT r{};
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    bool all = true;
    for (int y = r.top + 2; y < r.bottom - 2 && all; y += 3)
        for (int x = r.left + 2; x < r.right - 2 && all; x += 3)
            all = GetPixel(screen, x, y) == colour;
    ReleaseDC(nullptr, screen);
    return all;
}

bool pictureBlank(HWND picture) { return allPixels(picture, GetSysColor(COLOR_BTNFACE)); }

HCURSOR shownCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

// ---------------------------------------------------------------- fixture

class HideE2e : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(removePath(kMarkerPath));
        ASSERT_TRUE(windowsWithTitle(kMainTitle, 0, true).empty()) << "a main window is open before the test";
    }

    void TearDown() override {
        for (Process& p : started_)
            p.terminate();
        started_.clear();
        removePath(kMarkerPath);
    }

    Process& launch(const std::string& exe, const std::string& args = "") {
        started_.push_back(Process::start(exe, args));
        return started_.back();
    }

    // Starts tavik.exe and finds the controls of its hide group.
    void startTavik() {
        Process& p = launch(tavikPath());
        ASSERT_TRUE(p.valid()) << "cannot start " << tavikPath();
        tavikPid_ = p.pid();
        main_ = waitForWindow(kMainTitle, tavikPid_, kStartTimeoutMs);
        ASSERT_NE(main_, nullptr) << "no main window";
        HWND group = childAt(main_, kHideGroupLeft, kHideGroupTop);
        ASSERT_NE(group, nullptr);
        picture_ = childAt(group, kPictureLeft, kRowTop);
        titleBox_ = childAt(group, kTitleBoxLeft, kRowTop);
        button_ = childAt(group, kHideButtonLeft, kRowTop);
        ASSERT_NE(picture_, nullptr);
        ASSERT_NE(titleBox_, nullptr);
        ASSERT_NE(button_, nullptr);
        ASSERT_TRUE(waitUntil([&] { return !pictureBlank(picture_); }, kSettleMs)) << "the target is not drawn";
    }

    HWND startTarget(const std::string& title, const std::string& extra = "") {
        Process& p = launch(targetAppPath(), "\"" + title + "\"" + (extra.empty() ? "" : " " + extra));
        if (!p.valid())
            return nullptr;
        return waitForWindow(title, p.pid(), kStartTimeoutMs, kTargetClassName);
    }

    std::string titleBoxText() { return windowText(titleBox_); }
    void setTitleBoxText(const std::string& text) { setText(titleBox_, text); }
    bool waitTitleBox(const std::string& expected, DWORD timeoutMs = kSettleMs) {
        return waitUntil([&] { return titleBoxText() == expected; }, timeoutMs);
    }
    std::string caption() { return windowText(button_); }
    bool waitCaption(const std::string& expected) {
        return waitUntil([&] { return caption() == expected; }, kSettleMs);
    }
    static bool waitVisible(HWND window, bool visible) {
        return waitUntil([&] { return (IsWindowVisible(window) != FALSE) == visible; }, kSettleMs);
    }
    void postMenu(UINT command) { PostMessageA(main_, WM_COMMAND, MAKEWPARAM(command, 0), 0); }
    bool messageBoxOpen() { return !windowsWithTitle(kBoxTitle, tavikPid_, true).empty(); }

    // Presses on the target, checks the drag state, moves to `to` and lets go; returns
    // once the capture is over and the target is back in its box.
    void pick(POINT to) {
        ASSERT_TRUE(moveMouseTo(centreOf(picture_)));
        Sleep(100);
        mouseButton(true);
        ASSERT_TRUE(waitUntil([&] { return captureOf(picture_) == picture_; }, kSettleMs))
            << "the picture box did not take the mouse";
        dragTo(to);
        mouseButton(false);
        ASSERT_TRUE(waitUntil([&] { return captureOf(picture_) == nullptr; }, kSettleMs));
        ASSERT_TRUE(waitUntil([&] { return !pictureBlank(picture_); }, kSettleMs)) << "the target did not come back";
    }

    std::list<Process> started_;
    DWORD tavikPid_ = 0;
    HWND main_ = nullptr;
    HWND picture_ = nullptr;
    HWND titleBox_ = nullptr;
    HWND button_ = nullptr;
};

// ---------------------------------------------------------------- picker

TEST_F(HideE2e, DraggingTheTargetOntoWindowsWritesTheirTexts) {
    HWND target = startTarget(kTargetTitle);
    ASSERT_NE(target, nullptr);
    startTavik();
    HWND targetButton = GetDlgItem(target, kTargetButtonId);
    ASSERT_NE(targetButton, nullptr);

    struct Case {
        const char* what;
        POINT at;
        std::string expected;
        HWND expectedUnderPointer;
    };
    const Case cases[] = {
        {"the other program's window itself", clientPoint(target, kTargetBarePoint), kTargetTitle, target},
        {"a button inside it", centreOf(targetButton), "Target Button", targetButton},
        {"the main window's own area", clientPoint(main_, kMainBarePoint), kMainTitle, main_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WindowFromPoint(c.at), c.expectedUnderPointer) << "the layout is not as the case assumes";
        setTitleBoxText("left over");
        pick(c.at);
        EXPECT_TRUE(waitTitleBox(c.expected)) << "box holds \"" << titleBoxText() << "\"";
    }
}

TEST_F(HideE2e, PressAndReleaseWithoutMovingEmptiesTheBox) {
    startTavik();
    setTitleBoxText("left over");
    pick(centreOf(picture_));
    EXPECT_TRUE(waitTitleBox("")) << "box holds \"" << titleBoxText() << "\"";
}

TEST_F(HideE2e, DuringADragTheBoxIsBlankAndThePointerIsTheTarget) {
    HWND target = startTarget(kTargetTitle);
    ASSERT_NE(target, nullptr);
    startTavik();
    const POINT onPicture = centreOf(picture_);
    ASSERT_TRUE(moveMouseTo(onPicture));
    ASSERT_TRUE(bringToFront(main_));
    Sleep(100);
    const HCURSOR before = shownCursor();
    EXPECT_FALSE(pictureBlank(picture_));

    mouseButton(true);
    ASSERT_TRUE(waitUntil([&] { return captureOf(picture_) == picture_; }, kSettleMs));
    EXPECT_TRUE(waitUntil([&] { return pictureBlank(picture_); }, kSettleMs)) << "the box still shows the target";
    const HCURSOR carried = shownCursor();
    dragTo(clientPoint(target, kTargetBarePoint));
    Sleep(100);
    EXPECT_TRUE(pictureBlank(picture_));
    EXPECT_EQ(shownCursor(), carried) << "the pointer changed over another window";
    mouseButton(false);
    ASSERT_TRUE(waitUntil([&] { return captureOf(picture_) == nullptr; }, kSettleMs));
    EXPECT_TRUE(waitUntil([&] { return !pictureBlank(picture_); }, kSettleMs)) << "the target did not come back";
    EXPECT_TRUE(waitTitleBox(kTargetTitle));

    // Back over the box, the pointer is the program's own arrow: neither the system
    // arrow it had before the first pick nor the target.
    ASSERT_TRUE(moveMouseTo(onPicture));
    ASSERT_TRUE(bringToFront(main_));
    Sleep(100);
    const HCURSOR after = shownCursor();
    ASSERT_NE(before, nullptr) << "Wine reports no cursor";
    EXPECT_NE(carried, before) << "the pointer did not change for the drag";
    EXPECT_NE(after, carried) << "the target pointer stayed after the drop";
    EXPECT_NE(after, before) << "the pointer went back to the system arrow";
}

TEST_F(HideE2e, AWindowThatStopsAnsweringGivesAnEmptyBoxWithinTwoSeconds) {
    constexpr DWORD kHangAfterMs = 1500;
    constexpr DWORD kHungProbeMs = 200;
    HWND target = startTarget(kTargetTitle, "--hang-after-ms " + std::to_string(kHangAfterMs));
    ASSERT_NE(target, nullptr);
    startTavik();
    // Wait until the target has stopped answering.
    ASSERT_TRUE(waitUntil([&] { return !responsive(target, kHungProbeMs); }, kHangAfterMs + kSettleMs, 100));
    setTitleBoxText("left over");

    const POINT onTarget = clientPoint(target, kTargetBarePoint);
    ASSERT_TRUE(moveMouseTo(centreOf(picture_)));
    Sleep(100);
    mouseButton(true);
    ASSERT_TRUE(waitUntil([&] { return captureOf(picture_) == picture_; }, kSettleMs));
    dragTo(onTarget);
    const ULONGLONG released = GetTickCount64();
    mouseButton(false);
    EXPECT_TRUE(waitTitleBox("", 5000)) << "box holds \"" << titleBoxText() << "\"";
    const ULONGLONG took = GetTickCount64() - released;
    EXPECT_LT(took, 2500u) << "the picker waited " << took << " ms";
    // The program answers again.
    EXPECT_TRUE(responsive(main_, 1000));
    EXPECT_TRUE(waitUntil([&] { return !pictureBlank(picture_); }, kSettleMs));
}

// ---------------------------------------------------------------- hide and show

TEST_F(HideE2e, TheButtonHidesAndShowsATypedTitleWhateverItsCase) {
    HWND target = startTarget(kTargetTitle);
    ASSERT_NE(target, nullptr);
    startTavik();
    const std::string typed = "tavik HIDE target";
    click(centreOf(titleBox_));
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == main_; }, kSettleMs));
    typeText(typed);
    ASSERT_TRUE(waitTitleBox(typed));

    click(centreOf(button_));
    HWND box = waitForMessageBox(kBoxTitle, tavikPid_, kSettleMs);
    ASSERT_NE(box, nullptr) << "no report";
    EXPECT_EQ(messageBoxText(box), kHiddenReport + typed);
    EXPECT_EQ(messageBoxButtons(box), std::vector<int>{IDOK});
    EXPECT_FALSE(IsWindowVisible(target));
    EXPECT_EQ(caption(), kShowCaption);
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    ASSERT_TRUE(waitUntil([&] { return !messageBoxOpen(); }, kSettleMs));

    click(centreOf(button_));
    EXPECT_TRUE(waitVisible(target, true));
    EXPECT_TRUE(waitCaption(kHideCaption));
    Sleep(300);
    EXPECT_FALSE(messageBoxOpen()) << "showing reported something";
}

TEST_F(HideE2e, TheButtonWarnsWhenNoTitleIsGiven) {
    startTavik();
    click(centreOf(button_));
    HWND box = waitForMessageBox(kBoxTitle, tavikPid_, kSettleMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(messageBoxText(box), "请选取需要隐藏的窗口！");
    HWND icon = messageBoxIconControl(box);
    ASSERT_NE(icon, nullptr) << "the warning shows no icon";
    StandardIcon seen = StandardIcon::None;
    double distance = 255;
    waitUntil([&] { return (seen = recogniseIcon(icon, &distance)) == StandardIcon::Warning && distance < 8; },
              kSettleMs, 100);
    EXPECT_EQ(seen, StandardIcon::Warning) << "looks most like the " << toString(seen) << " icon";
    EXPECT_EQ(caption(), kHideCaption);
    answerMessageBox(box, IDOK);
}

TEST_F(HideE2e, TheMenuItemsHideAndShowAndAMaximisedWindowComesBackNormal) {
    HWND target = startTarget(kTargetTitle);
    ASSERT_NE(target, nullptr);
    startTavik();
    RECT normal{};
    GetWindowRect(target, &normal);
    ShowWindow(target, SW_MAXIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsZoomed(target) != FALSE; }, kSettleMs));
    setTitleBoxText(kTargetTitle);

    postMenu(kHideMenuCommand);
    EXPECT_TRUE(waitVisible(target, false));
    EXPECT_TRUE(waitCaption(kShowCaption));
    postMenu(kShowMenuCommand);
    EXPECT_TRUE(waitVisible(target, true));
    EXPECT_TRUE(waitCaption(kHideCaption));
    EXPECT_FALSE(IsZoomed(target));
    RECT shown{};
    GetWindowRect(target, &shown);
    EXPECT_EQ(shown.right - shown.left, normal.right - normal.left);
    EXPECT_EQ(shown.bottom - shown.top, normal.bottom - normal.top);
    EXPECT_FALSE(messageBoxOpen());
}

TEST_F(HideE2e, AnEmptyTitleTouchesNoWindow) {
    HWND target = startTarget(kTargetTitle);
    ASSERT_NE(target, nullptr);
    startTavik();
    const std::vector<HWND> shownBefore = topLevelWindows(0, true);
    ASSERT_TRUE(bringToFront(target));
    sendAltChord('Z');
    EXPECT_TRUE(waitCaption(kShowCaption)) << "Alt+Z did not arrive";
    postMenu(kHideMenuCommand);
    postMenu(kShowMenuCommand);
    EXPECT_TRUE(waitCaption(kHideCaption));
    Sleep(300);
    EXPECT_EQ(topLevelWindows(0, true), shownBefore) << "a window was hidden or shown";
}

TEST_F(HideE2e, HotkeysWorkWhileAnotherProgramHasTheFocusAndWhileTheWindowIsHidden) {
    HWND target = startTarget(kTargetTitle);
    HWND focus = startTarget(kFocusTitle);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(focus, nullptr);
    startTavik();
    setTitleBoxText(kTargetTitle);

    ASSERT_TRUE(bringToFront(focus));
    sendAltChord('Z');
    EXPECT_TRUE(waitVisible(target, false)) << "Alt+Z did not hide the target";
    EXPECT_TRUE(waitCaption(kShowCaption));
    sendAltChord('X');
    EXPECT_TRUE(waitVisible(target, true)) << "Alt+X did not show the target";
    EXPECT_TRUE(waitCaption(kHideCaption));

    ShowWindow(main_, SW_HIDE);
    ASSERT_TRUE(waitVisible(main_, false));
    ASSERT_TRUE(bringToFront(focus));
    sendAltChord('Z');
    EXPECT_TRUE(waitVisible(target, false)) << "Alt+Z did not hide the target while the window was hidden";
    sendAltChord('X');
    EXPECT_TRUE(waitVisible(target, true)) << "Alt+X did not show the target while the window was hidden";
    EXPECT_FALSE(IsWindowVisible(main_));
    EXPECT_FALSE(messageBoxOpen());
}

TEST_F(HideE2e, AltZHeldByAnotherProgramLeavesAltXWorkingAndNothingIsReported) {
    constexpr int kDriverHotkeyId = 1;
    ASSERT_TRUE(RegisterHotKey(nullptr, kDriverHotkeyId, MOD_ALT, 'Z')) << "error " << GetLastError();
    struct Unregister {
        ~Unregister() { UnregisterHotKey(nullptr, kDriverHotkeyId); }
    } unregister;

    HWND target = startTarget(kTargetTitle);
    HWND focus = startTarget(kFocusTitle);
    ASSERT_NE(target, nullptr);
    ASSERT_NE(focus, nullptr);
    startTavik();
    Sleep(500);
    EXPECT_FALSE(messageBoxOpen()) << "the failed registration was reported";
    setTitleBoxText(kTargetTitle);

    ASSERT_TRUE(bringToFront(focus));
    sendAltChord('Z');
    MSG message{};
    EXPECT_TRUE(
        waitUntil([&] { return PeekMessageA(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE; }, kSettleMs))
        << "Alt+Z did not reach its holder";
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(target)) << "Alt+Z reached tavik too";
    EXPECT_EQ(caption(), kHideCaption);

    postMenu(kHideMenuCommand);
    ASSERT_TRUE(waitVisible(target, false));
    ASSERT_TRUE(bringToFront(focus));
    sendAltChord('X');
    EXPECT_TRUE(waitVisible(target, true)) << "Alt+X did not show the target";
    EXPECT_TRUE(waitCaption(kHideCaption));
    EXPECT_FALSE(messageBoxOpen());
}

}  // namespace
}  // namespace tavik::e2e
