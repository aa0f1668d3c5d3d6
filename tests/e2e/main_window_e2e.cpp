// The main window of tavik.exe and its single-instance guard, checked from
// outside the program as a user (or another program) would see them.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "input.h"

namespace tavik::e2e {
namespace {

const std::string kMainTitle = "Tavik小助手";
const std::string kGuardTitle = "信息：";
const std::string kGuardText = "已运行，请勿重复运行。";
const std::string kClockPrefix = "本地时间：";

constexpr DWORD kStartTimeoutMs = 15000;

// Every test starts with no marker and no main window, and ends every process
// it started (by handle) and removes the marker it left.
class TavikTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(removePath(kMarkerPath)) << "cannot remove " << kMarkerPath;
        ASSERT_TRUE(windowsWithTitle(kMainTitle, 0, true).empty()) << "a main window is open before the test";
    }

    void TearDown() override {
        for (Process& p : started_)
            EXPECT_TRUE(p.terminate()) << "pid " << p.pid() << " did not end";
        started_.clear();
        removePath(kMarkerPath);
    }

    Process& start() {
        started_.push_back(Process::start(tavikPath()));
        Process& p = started_.back();
        EXPECT_TRUE(p.valid()) << "CreateProcess(" << tavikPath() << ") error " << p.startError();
        return p;
    }

    // Starts a copy and waits for its visible main window (nullptr on time-out).
    HWND startWithWindow(Process** out = nullptr) {
        Process& p = start();
        if (out)
            *out = &p;
        return p.valid() ? waitForWindow(kMainTitle, p.pid(), kStartTimeoutMs) : nullptr;
    }

    // A copy that must be turned away: a message box, no main window, exit code 0 after OK.
    void expectTurnedAway(Process& p) {
        ASSERT_TRUE(p.valid());
        bool mainWindowShown = false;
        auto watch = [&] { mainWindowShown |= !windowsWithTitle(kMainTitle, p.pid(), true).empty(); };

        HWND box = waitForMessageBox(kGuardTitle, p.pid(), kStartTimeoutMs, watch);
        ASSERT_NE(box, nullptr) << "no message box titled " << kGuardTitle;
        EXPECT_EQ(messageBoxText(box), kGuardText);
        EXPECT_EQ(messageBoxButtons(box), std::vector<int>{IDOK});

        HWND icon = messageBoxIconControl(box);
        ASSERT_NE(icon, nullptr) << "the box shows no icon";
        double distance = 255;
        StandardIcon seen = StandardIcon::None;
        // Give the box a moment to paint before reading the screen.
        waitUntil([&] { return (seen = recogniseIcon(icon, &distance)) == StandardIcon::Warning && distance < 8; },
                  3000, 100);
        EXPECT_EQ(seen, StandardIcon::Warning) << "looks most like the " << toString(seen) << " icon";
        EXPECT_LT(distance, 8.0) << "icon pixels differ from the warning icon";

        watch();
        ASSERT_TRUE(answerMessageBox(box, IDOK));
        std::optional<DWORD> code;
        waitUntil(
            [&] {
                watch();
                code = p.waitExit(0);
                return code.has_value();
            },
            10000);
        ASSERT_TRUE(code.has_value()) << "still running after OK";
        EXPECT_EQ(*code, 0u);
        EXPECT_FALSE(mainWindowShown) << "the turned-away copy showed a main window";
    }

    std::list<Process> started_;
};

// ------------------------------------------------------------------ main window

TEST_F(TavikTest, MainWindowIsACentredFixedSizeDialogWithIcons) {
    Process* app = nullptr;
    HWND w = startWithWindow(&app);
    ASSERT_NE(w, nullptr) << "no visible window titled " << kMainTitle;

    char title[64] = {};
    GetWindowTextA(w, title, sizeof title);
    EXPECT_EQ(std::string(title), kMainTitle);
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow()) << "not a top-level window";
    EXPECT_EQ(GetMenu(w), nullptr);
    EXPECT_TRUE(IsWindowVisible(w));

    const Rect r = screenRect(w);
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.height, 210);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 320) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 210) / 2);

    const LONG_PTR style = windowStyle(w);
    for (LONG_PTR bit : {WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX, WS_CLIPCHILDREN})
        EXPECT_EQ(style & bit, bit) << std::hex << "style " << style << " lacks " << bit;
    for (LONG_PTR bit : {WS_THICKFRAME, WS_MAXIMIZEBOX, WS_CHILD})
        EXPECT_EQ(style & bit, 0) << std::hex << "style " << style << " has " << bit;
}

TEST_F(TavikTest, MainWindowHasBigAndSmallIcons) {
    if (!windowIconsReadableFromOutside())
        GTEST_SKIP() << "WM_GETICON is not answered across processes here (Wine)";
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
        DWORD_PTR icon = 0;
        ASSERT_NE(SendMessageTimeoutA(w, WM_GETICON, which, 0, SMTO_ABORTIFHUNG, 2000, &icon), 0);
        EXPECT_NE(icon, 0u) << "no icon of kind " << which;
    }
}

enum class Kind { Label, Picture, GroupBox, PushButton, Radio, Edit, UpDown };
enum class Parent { Main, HideGroup, TaskGroup };

struct ControlRow {
    const char* name;
    Parent parent;
    Kind kind;
    int left, top, width, height;  // height 0: checked by TimeFieldsAreTallEnoughForTheFont
    const char* text;              // nullptr: checked elsewhere
};

const ControlRow kControls[] = {
    {"标签1", Parent::Main, Kind::Label, 49, 4, 215, 20, nullptr},
    {"分组框2", Parent::Main, Kind::GroupBox, 5, 24, 304, 80, "隐藏窗口"},
    {"分组框1", Parent::Main, Kind::GroupBox, 5, 109, 304, 67, " 任务计划 "},

    {"标签5", Parent::HideGroup, Kind::Label, 8, 16, 272, 24, "拖动图标到想要隐藏的窗口或者直接输入窗口标题"},
    {"图片框1", Parent::HideGroup, Kind::Picture, 8, 40, 32, 32, ""},
    {"编辑框_标题", Parent::HideGroup, Kind::Edit, 48, 40, 155, 32, ""},
    {"按钮_隐藏", Parent::HideGroup, Kind::PushButton, 208, 40, 83, 32, "隐藏窗口"},

    {"编辑框_时", Parent::TaskGroup, Kind::Edit, 8, 17, 16, 0, "22"},
    {"调节器1", Parent::TaskGroup, Kind::UpDown, 30, 16, 16, 16, nullptr},
    {"标签2", Parent::TaskGroup, Kind::Label, 53, 17, 16, 16, "时"},
    {"编辑框_分", Parent::TaskGroup, Kind::Edit, 72, 17, 16, 0, "30"},
    {"调节器2", Parent::TaskGroup, Kind::UpDown, 94, 16, 16, 16, nullptr},
    {"标签3", Parent::TaskGroup, Kind::Label, 116, 17, 16, 16, "分"},
    {"编辑框_秒", Parent::TaskGroup, Kind::Edit, 135, 17, 16, 0, "00"},
    {"调节器3", Parent::TaskGroup, Kind::UpDown, 157, 16, 16, 16, nullptr},
    {"标签4", Parent::TaskGroup, Kind::Label, 179, 17, 18, 16, "秒"},
    {"按钮1", Parent::TaskGroup, Kind::PushButton, 208, 11, 80, 29, "执行任务"},
    {"单选框1", Parent::TaskGroup, Kind::Radio, 8, 40, 75, 24, "关闭电脑"},
    {"单选框2", Parent::TaskGroup, Kind::Radio, 80, 40, 74, 24, "重启电脑"},
    {"单选框3", Parent::TaskGroup, Kind::Radio, 152, 40, 74, 24, "注销电脑"},
    {"单选框4", Parent::TaskGroup, Kind::Radio, 224, 40, 74, 24, "休眠模式"},
};

const ControlRow& row(const char* name) {
    for (const ControlRow& c : kControls)
        if (std::string(c.name) == name)
            return c;
    throw std::logic_error(std::string("no control named ") + name);
}

// Finds the main window's controls by where they are.
struct MainWindowControls {
    HWND main = nullptr, hideGroup = nullptr, taskGroup = nullptr;

    explicit MainWindowControls(HWND w) : main(w) {
        hideGroup = childAt(main, 5, 24);
        taskGroup = childAt(main, 5, 109);
    }
    HWND parentOf(Parent p) const {
        switch (p) {
        case Parent::Main: return main;
        case Parent::HideGroup: return hideGroup;
        case Parent::TaskGroup: return taskGroup;
        }
        return nullptr;
    }
    HWND find(const ControlRow& c) const {
        HWND parent = parentOf(c.parent);
        return parent ? childAt(parent, c.left, c.top) : nullptr;
    }
    HWND find(const char* name) const { return find(row(name)); }
};

void expectKind(HWND ctl, Kind kind) {
    const std::string cls = className(ctl);
    const LONG_PTR type = windowStyle(ctl) & BS_TYPEMASK;
    switch (kind) {
    case Kind::GroupBox:
        EXPECT_TRUE(sameClass(cls, "BUTTON")) << cls;
        EXPECT_EQ(type, BS_GROUPBOX);
        break;
    case Kind::PushButton:
        EXPECT_TRUE(sameClass(cls, "BUTTON")) << cls;
        EXPECT_TRUE(type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) << "button type " << type;
        break;
    case Kind::Radio:
        EXPECT_TRUE(sameClass(cls, "BUTTON")) << cls;
        EXPECT_EQ(type, BS_AUTORADIOBUTTON);
        break;
    case Kind::Edit: EXPECT_TRUE(sameClass(cls, "EDIT")) << cls; break;
    case Kind::UpDown: EXPECT_TRUE(sameClass(cls, UPDOWN_CLASSA)) << cls; break;
    case Kind::Label:
    case Kind::Picture:
        // The program's own window classes; their names are free.
        EXPECT_FALSE(cls.empty());
        break;
    }
}

TEST_F(TavikTest, ControlsHaveTheirClassParentPlaceSizeAndText) {
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);
    MainWindowControls ui(w);
    ASSERT_NE(ui.hideGroup, nullptr) << "no child at 5,24";
    ASSERT_NE(ui.taskGroup, nullptr) << "no child at 5,109";

    for (const ControlRow& c : kControls) {
        SCOPED_TRACE(c.name);
        HWND ctl = ui.find(c);
        ASSERT_NE(ctl, nullptr) << "nothing at " << c.left << "," << c.top;
        EXPECT_EQ(GetAncestor(ctl, GA_PARENT), ui.parentOf(c.parent));
        EXPECT_TRUE(IsWindowVisible(ctl));
        expectKind(ctl, c.kind);

        const Rect r = rectInParentClient(ctl);
        if (c.kind == Kind::UpDown) {
            // comctl32 may force a vertical up-down control to its own width.
            EXPECT_TRUE(r.width == 16 || r.width == 20) << "width " << r.width;
        } else {
            EXPECT_EQ(r.width, c.width);
        }
        if (c.height) {
            EXPECT_EQ(r.height, c.height);
        }
        if (c.text) {
            EXPECT_EQ(windowText(ctl), c.text);
        }
    }

    // Only the controls above are visible; the timers are hidden windows.
    auto countIn = [](Parent p) {
        return std::count_if(std::begin(kControls), std::end(kControls),
                             [p](const ControlRow& c) { return c.parent == p; });
    };
    for (Parent p : {Parent::Main, Parent::HideGroup, Parent::TaskGroup}) {
        EXPECT_EQ(static_cast<long>(childWindows(ui.parentOf(p), true).size()), static_cast<long>(countIn(p)))
            << "visible children of parent " << static_cast<int>(p);
    }
}

TEST_F(TavikTest, ClockLabelShowsTheLocalTimeWhenTheWindowFirstShows) {
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);
    HWND label = MainWindowControls(w).find("标签1");
    ASSERT_NE(label, nullptr);
    const std::string text = windowText(label);
    EXPECT_EQ(text.compare(0, kClockPrefix.size(), kClockPrefix), 0) << text;
}

TEST_F(TavikTest, EditsHaveSunkenEdgeScrollAndNoPracticalLengthLimit) {
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);
    MainWindowControls ui(w);
    for (const char* name : {"编辑框_标题", "编辑框_时", "编辑框_分", "编辑框_秒"}) {
        SCOPED_TRACE(name);
        HWND edit = ui.find(name);
        ASSERT_NE(edit, nullptr);
        EXPECT_NE(windowExStyle(edit) & WS_EX_CLIENTEDGE, 0);
        EXPECT_NE(windowStyle(edit) & ES_AUTOHSCROLL, 0);
        EXPECT_EQ(windowStyle(edit) & ES_MULTILINE, 0);
        // EM_LIMITTEXT 0 on a single-line edit sets the system maximum.
        DWORD_PTR limit = 0;
        ASSERT_NE(SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 2000, &limit), 0);
        EXPECT_EQ(limit, 0x7FFFFFFEu);
    }
}

TEST_F(TavikTest, TimeFieldsAreTallEnoughForTheFont) {
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);

    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int minHeight = std::max<int>(16, tm.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE));

    MainWindowControls ui(w);
    for (const char* name : {"编辑框_时", "编辑框_分", "编辑框_秒"}) {
        SCOPED_TRACE(name);
        const ControlRow& c = row(name);
        HWND edit = ui.find(c);
        ASSERT_NE(edit, nullptr) << "moved away from " << c.left << "," << c.top;
        const Rect r = rectInParentClient(edit);
        EXPECT_EQ(r.width, c.width);
        EXPECT_GE(r.height, minHeight) << "font height " << tm.tmHeight;
    }
}

TEST_F(TavikTest, ShutdownIsChosenAtStartAndRadiosExcludeEachOther) {
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);
    MainWindowControls ui(w);
    const char* radios[] = {"单选框1", "单选框2", "单选框3", "单选框4"};
    auto checkedStates = [&] {
        std::vector<LRESULT> states;
        for (const char* name : radios)
            states.push_back(SendMessageA(ui.find(name), BM_GETCHECK, 0, 0));
        return states;
    };
    for (const char* name : radios)
        ASSERT_NE(ui.find(name), nullptr) << name;

    EXPECT_EQ(checkedStates(), (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}));
    clickButton(ui.find("单选框3"));
    EXPECT_EQ(checkedStates(), (std::vector<LRESULT>{BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));
    clickButton(ui.find("单选框2"));
    EXPECT_EQ(checkedStates(), (std::vector<LRESULT>{BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED}));
}

// ------------------------------------------------------------------ single instance

TEST_F(TavikTest, FirstStartCreatesAHiddenOneByteMarker) {
    Process* app = nullptr;
    ASSERT_NE(startWithWindow(&app), nullptr);

    const DWORD attrs = fileAttributes(kMarkerPath);
    ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES) << "no marker at " << kMarkerPath;
    // Wine always reports ARCHIVE as well.
    EXPECT_TRUE(attrs == FILE_ATTRIBUTE_HIDDEN || attrs == (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE))
        << std::hex << "attributes 0x" << attrs;
    EXPECT_EQ(fileSize(kMarkerPath), 1u);

    ASSERT_TRUE(app->terminate());
    EXPECT_EQ(readFile(kMarkerPath), std::string(1, '\0'));
}

TEST_F(TavikTest, SecondCopyIsTurnedAwayWhileTheFirstRuns) {
    Process* first = nullptr;
    HWND w = startWithWindow(&first);
    ASSERT_NE(w, nullptr);

    Process& second = start();
    expectTurnedAway(second);

    EXPECT_TRUE(first->running()) << "the first copy ended";
    EXPECT_EQ(windowsWithTitle(kMainTitle, 0, true), std::vector<HWND>{w})
        << "there must be exactly one visible main window, the first copy's";
}

TEST_F(TavikTest, MarkerLeftByAnEndedRunIsReusedAsItIs) {
    ASSERT_TRUE(writeFile(kMarkerPath, "AB"));
    Process* app = nullptr;
    ASSERT_NE(startWithWindow(&app), nullptr) << "a marker nobody holds must not stop the start";
    ASSERT_TRUE(app->terminate());
    EXPECT_EQ(readFile(kMarkerPath), std::string("AB")) << "the marker was rewritten";
}

struct BlockedMarkerCase {
    const char* name;
    bool (*platformBlocksIt)();  // can this kind of marker stop a write-open here at all?
    bool (*make)();
    bool (*unchanged)();
};

const BlockedMarkerCase kBlockedMarkers[] = {
    {"Folder", [] { return true; }, [] { return CreateDirectoryA(kMarkerPath, nullptr) != 0; },
     [] {
         return fileAttributes(kMarkerPath) != INVALID_FILE_ATTRIBUTES &&
                (fileAttributes(kMarkerPath) & FILE_ATTRIBUTE_DIRECTORY) != 0;
     }},
    {"ReadOnlyFile", readOnlyAttributeEnforced,
     [] { return writeFile(kMarkerPath, std::string(1, '\0'), FILE_ATTRIBUTE_READONLY); },
     [] {
         return (fileAttributes(kMarkerPath) & FILE_ATTRIBUTE_READONLY) != 0 &&
                readFile(kMarkerPath) == std::string(1, '\0');
     }},
};

void PrintTo(const BlockedMarkerCase& c, std::ostream* os) { *os << c.name; }

class TavikBlockedMarkerTest : public TavikTest, public testing::WithParamInterface<BlockedMarkerCase> {};

TEST_P(TavikBlockedMarkerTest, EveryStartIsTurnedAway) {
    if (!GetParam().platformBlocksIt())
        GTEST_SKIP() << "read-only files can be opened for writing here (Wine run as root)";
    ASSERT_TRUE(GetParam().make()) << "cannot prepare the marker";
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE("start " + std::to_string(attempt));
        expectTurnedAway(start());
    }
    EXPECT_TRUE(GetParam().unchanged()) << "the marker was changed";
}

INSTANTIATE_TEST_SUITE_P(Markers, TavikBlockedMarkerTest, testing::ValuesIn(kBlockedMarkers),
                         [](const testing::TestParamInfo<BlockedMarkerCase>& param) { return param.param.name; });

// ------------------------------------------------------------------ ending

TEST_F(TavikTest, EndedProcessNoLongerHoldsTheMarker) {
    Process* app = nullptr;
    ASSERT_NE(startWithWindow(&app), nullptr);
    EXPECT_EQ(openExclusiveError(kMarkerPath), static_cast<DWORD>(ERROR_SHARING_VIOLATION))
        << "the running copy does not hold the marker";

    ASSERT_TRUE(app->terminate());
    EXPECT_EQ(openExclusiveError(kMarkerPath), 0u) << "the marker is still held after the end";
    EXPECT_TRUE(windowsWithTitle(kMainTitle, 0, false).empty()) << "main window outlived its process";
}

}  // namespace
}  // namespace tavik::e2e

// ------------------------------------------------------------------ keyboard

namespace tavik::e2e {
namespace {

// The control of tavik's GUI thread that has the keyboard focus.
HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND waitForFocusChange(HWND window, HWND from) {
    HWND now = nullptr;
    waitUntil([&] { return (now = focusOf(window)) != from; }, 2000);
    return now;
}

TEST_F(TavikTest, TabAndShiftTabMoveTheFocusAndEnterPressesNoButton) {
    Process* app = nullptr;
    HWND w = startWithWindow(&app);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(bringToFront(w));
    const MainWindowControls ui(w);

    // Tab visits every control that takes the focus once, then comes round again.
    std::vector<HWND> visited;
    HWND focus = focusOf(w);
    for (int i = 0; i < 12; ++i) {
        sendKeys({VK_TAB});
        focus = waitForFocusChange(w, focus);
        ASSERT_NE(focus, nullptr) << "Tab " << i;
        if (!visited.empty() && focus == visited.front()) {
            break;
        }
        visited.push_back(focus);
    }
    ASSERT_EQ(focus, visited.front()) << "Tab did not come round";
    const char* const stops[] = {"编辑框_标题", "按钮_隐藏", "编辑框_时", "编辑框_分", "编辑框_秒",
                                 "按钮1",       "单选框1",   "单选框2",   "单选框3",   "单选框4"};
    EXPECT_EQ(visited.size(), std::size(stops));
    for (const char* name : stops) {
        EXPECT_NE(std::find(visited.begin(), visited.end(), ui.find(name)), visited.end())
            << name << " never had the focus";
    }

    // Shift+Tab goes back the way Tab came.
    const HWND second = visited[1];
    sendKeys({VK_TAB});
    ASSERT_EQ(waitForFocusChange(w, visited.front()), second);
    sendKeys({VK_SHIFT, VK_TAB});
    EXPECT_EQ(waitForFocusChange(w, second), visited.front());

    // Enter on 按钮1 presses nothing: no confirmation box, the caption stays.
    HWND taskButton = ui.find("按钮1");
    for (std::size_t i = 0; i < visited.size() && focusOf(w) != taskButton; ++i) {
        HWND before = focusOf(w);
        sendKeys({VK_TAB});
        ASSERT_NE(waitForFocusChange(w, before), nullptr);
    }
    ASSERT_EQ(focusOf(w), taskButton);
    sendKeys({VK_RETURN});
    EXPECT_EQ(waitForMessageBox("任务执行成功", app->pid(), 1000), nullptr) << "Enter pressed 按钮1";
    EXPECT_EQ(windowText(taskButton), "执行任务");
}

// The label's pixels as the screen shows them, and as a label of that size would draw
// `text`: red, left-aligned, vertically centred, in the default GUI font, on the
// button face.
std::vector<COLORREF> labelOnScreen(HWND label) {
    RECT r{};
    GetWindowRect(label, &r);
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            pixels.push_back(GetPixel(screen, x, y));
        }
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<COLORREF> labelDrawn(HWND label, const std::string& text) {
    RECT client{};
    GetClientRect(label, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    std::vector<COLORREF> pixels;
    for (LONG y = 0; y < client.bottom; ++y) {
        for (LONG x = 0; x < client.right; ++x) {
            pixels.push_back(GetPixel(dc, x, y));
        }
    }
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The clock line is repainted every second: what the screen shows must be exactly the
// whole line, tick after tick.
TEST_F(TavikTest, ClockLineOnScreenIsExactlyItsTextTickAfterTick) {
    HWND w = startWithWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(bringToFront(w));
    HWND label = MainWindowControls(w).find("标签1");
    ASSERT_NE(label, nullptr);
    int compared = 0;
    std::string last = windowText(label);
    for (int attempt = 0; attempt < 12 && compared < 4; ++attempt) {
        ASSERT_TRUE(waitUntil([&] { return windowText(label) != last; }, 3000)) << "the clock line stopped";
        last = windowText(label);
        Sleep(150);  // let the tick's repaint reach the screen
        const std::vector<COLORREF> shown = labelOnScreen(label);
        if (windowText(label) != last) {
            continue;  // the next tick came while the screen was read
        }
        ASSERT_EQ(shown, labelDrawn(label, last)) << "the screen does not show " << last;
        ++compared;
    }
    EXPECT_EQ(compared, 4);
}

}  // namespace
}  // namespace tavik::e2e
