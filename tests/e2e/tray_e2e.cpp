// The notification-area icon of tavik.exe, its pop-up menu, the close question and the
// local-time line, driven from outside with real mouse input where a user would click.
//
// Under Wine without an XEmbed tray, explorer shows the icons in a window titled
// "Wine System Tray", one 20x20 child of class __winex11_tray_icon per icon, each with
// its own tooltips_class32 window (owned by the tray window). The pop-up menu's lines
// are read inside tavik.exe by the hook DLL tavik_menu_probe.dll (menu_probe.cpp), since
// a menu cannot be read from another process.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <list>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "input.h"

namespace tavik::e2e {
namespace {

const std::string kMainTitle = "Tavik小助手";
const std::string kStartTip = "nolva助手";
const std::string kTrayTip = "Vorla关机小助手";
const std::string kQuestionTitle = "关机助手:";
const std::string kCloseQuestion = " 是否关闭小助手 ？\r\n是-关闭小助手 否-最小化托盘";
const std::string kExitQuestion = " 是否关闭小助手 ？";
const std::string kAboutTitle = "关于作者：";
const std::string kGuardTitle = "信息：";
const std::string kClockPrefix = "本地时间：";

constexpr UINT kMainViewCommand = 20001;  // "M.主界面"
constexpr UINT kAboutCommand = 20011;     // "E.说明"
constexpr UINT kExitCommand = 20012;      // "S.退出"
constexpr UINT kTrayIconId = 100;
constexpr int kTrayIconSize = 20;
constexpr int kMenuOffset = 3;  // the pop-up's corner lies this far right of and below the cursor

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kBoxTimeoutMs = 5000;
// How long a click that must change nothing is given to change something.
constexpr DWORD kQuietMs = 800;
// Pause after moving onto the icon and between pressing and releasing.
constexpr DWORD kTrayClickPauseMs = 30;

// The pop-up's lines as the probe writes them.
const std::vector<std::string> kPopUpLines = {
    "20001 M.主界面",   "20003 H.隐藏(Alt+Z)", "20004 D.显示(Alt+X)", "20005 -",
    "20006 S.快速关机", "20007 R.快速重启",    "20008 C.快速注销",    "20009 D.快速休眠",
    "20010 -",          "20011 E.说明",        "20012 S.退出",        "20013 C.取消",
};

// ------------------------------------------------------------------ the tray

HWND systemTray() { return FindWindowA("__winex11_standalone_tray", "Wine System Tray"); }

// The icons from left to right, which is the order they were added in.
std::vector<HWND> trayIcons() {
    std::vector<HWND> icons;
    if (HWND tray = systemTray()) {
        for (HWND child : childWindows(tray)) {
            if (sameClass(className(child), "__winex11_tray_icon"))
                icons.push_back(child);
        }
    }
    std::sort(icons.begin(), icons.end(), [](HWND a, HWND b) { return screenRect(a).left < screenRect(b).left; });
    return icons;
}

bool waitForIconCount(std::size_t count, DWORD timeoutMs = 5000) {
    return waitUntil([&] { return trayIcons().size() == count; }, timeoutMs);
}

HWND onlyTrayIcon() {
    const std::vector<HWND> icons = trayIcons();
    return icons.size() == 1 ? icons[0] : nullptr;
}

// The tooltip windows explorer made for the tray icons: each icon has its own
// tooltips_class32 window, owned by the tray window (a pop-up's owner is always a
// top-level window, so not the icon itself).
std::vector<HWND> trayTooltips(HWND icon) {
    std::vector<HWND> tips;
    HWND tray = GetAncestor(icon, GA_ROOT);
    for (HWND w : topLevelWindows()) {
        HWND owner = GetWindow(w, GW_OWNER);
        if (sameClass(className(w), "tooltips_class32") && (owner == icon || owner == tray))
            tips.push_back(w);
    }
    return tips;
}

// A tooltip answers WM_GETTEXT with the text of the tip it shows.
std::string tooltipText(HWND tooltip) {
    char text[256] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(tooltip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                             &copied))
        return {};
    return std::string(text);
}

// ------------------------------------------------------------------ tooltips

// Hovers over the icon until a tooltip shows `expected`, and returns what showed last
// (for the failure message). Only the hovered icon's tooltip shows, and only once the
// pointer has rested on the icon for a moment: every move starts that wait again.
std::string hoverTooltip(HWND icon, const std::string& expected) {
    moveMouseTo(emptySpot());
    Sleep(200);
    const POINT at = centreOf(icon);
    std::string seen;
    bool found = false;
    for (int attempt = 0; attempt < 3 && !found; ++attempt) {
        moveMouseTo(POINT{at.x + attempt % 2, at.y});
        found = waitUntil(
            [&] {
                for (HWND tip : trayTooltips(icon)) {
                    if (!IsWindowVisible(tip))
                        continue;
                    seen = tooltipText(tip);
                    if (seen == expected)
                        return true;
                }
                return false;
            },
            2500, 100);
    }
    moveMouseTo(emptySpot());
    return seen;
}

// ------------------------------------------------------------------ the pop-up menu's lines

// Installs the hook DLL on tavik's GUI thread and reads what it reports.
class MenuProbe {
public:
    MenuProbe() = default;
    MenuProbe(const MenuProbe&) = delete;
    MenuProbe& operator=(const MenuProbe&) = delete;
    ~MenuProbe() {
        if (hook_ != nullptr)
            UnhookWindowsHookEx(hook_);
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    bool install(HWND window) {
        DeleteFileA(reportPath().c_str());
        module_ = LoadLibraryA((driverDir() + "tavik_menu_probe.dll").c_str());
        if (module_ == nullptr)
            return false;
        const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module_, "menuProbeHook")));
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        hook_ = proc != nullptr ? SetWindowsHookExA(WH_CALLWNDPROC, proc, module_, thread) : nullptr;
        return hook_ != nullptr;
    }

    // The lines of the pop-up numbered `number` in tavik's process, once reported.
    std::optional<std::vector<std::string>> waitForPopUp(unsigned number) const {
        std::optional<std::vector<std::string>> lines;
        waitUntil(
            [&] {
                const std::optional<std::string> report = readFile(reportPath());
                if (!report)
                    return false;
                std::vector<std::string> all;
                std::size_t start = 0;
                for (std::size_t end; (end = report->find('\n', start)) != std::string::npos; start = end + 1) {
                    all.push_back(report->substr(start, end - start));
                }
                if (all.empty() || all[0] != "#" + std::to_string(number))
                    return false;
                lines = std::vector<std::string>(all.begin() + 1, all.end());
                return true;
            },
            kBoxTimeoutMs);
        return lines;
    }

private:
    static std::string reportPath() { return driverDir() + "menu-probe.txt"; }
    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
};

// ------------------------------------------------------------------ the clock line

// The line as the program writes it for a local time: no leading zeros, trailing zero
// units left out.
std::string clockLine(const SYSTEMTIME& t) {
    char text[128];
    int n = std::snprintf(text, sizeof text, "本地时间：%d年%d月%d日", t.wYear, t.wMonth, t.wDay);
    const std::size_t room = sizeof text - static_cast<std::size_t>(n);
    if (t.wSecond != 0) {
        std::snprintf(text + n, room, "%d时%d分%d秒", t.wHour, t.wMinute, t.wSecond);
    } else if (t.wMinute != 0) {
        std::snprintf(text + n, room, "%d时%d分", t.wHour, t.wMinute);
    } else if (t.wHour != 0) {
        std::snprintf(text + n, room, "%d时", t.wHour);
    }
    return text;
}

SYSTEMTIME secondsFromNow(int seconds) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME file{};
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(seconds) * 10000000LL);
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME shifted{};
    FileTimeToSystemTime(&file, &shifted);
    return shifted;
}

// Whether the line shows the local clock, allowing for the tick lagging up to a second
// and for the time it takes to read it.
bool showsLocalClock(const std::string& line) {
    for (int delta = -2; delta <= 1; ++delta) {
        if (line == clockLine(secondsFromNow(delta)))
            return true;
    }
    return false;
}

// ------------------------------------------------------------------ the fixture

class TrayTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(removePath(kMarkerPath)) << "cannot remove " << kMarkerPath;
        ASSERT_TRUE(windowsWithTitle(kMainTitle, 0, false).empty()) << "a main window exists before the test";
        ASSERT_TRUE(waitForIconCount(0)) << "the tray holds icons before the test";
    }

    void TearDown() override {
        for (Process& p : started_)
            EXPECT_TRUE(p.terminate()) << "pid " << p.pid() << " did not end";
        started_.clear();
        removePath(kMarkerPath);
        waitForIconCount(0);
    }

    Process& start() {
        started_.push_back(Process::start(tavikPath()));
        Process& p = started_.back();
        EXPECT_TRUE(p.valid()) << "CreateProcess(" << tavikPath() << ") error " << p.startError();
        return p;
    }

    // Starts the program and waits for its window and its icon.
    void startRunning() {
        app_ = &start();
        ASSERT_TRUE(app_->valid());
        window_ = waitForWindow(kMainTitle, app_->pid(), kStartTimeoutMs);
        ASSERT_NE(window_, nullptr) << "no visible window titled " << kMainTitle;
        ASSERT_TRUE(waitForIconCount(1)) << "no tray icon";
        icon_ = onlyTrayIcon();
    }

    HWND questionBox(const std::string& text) {
        HWND box = waitForMessageBox(kQuestionTitle, app_->pid(), kBoxTimeoutMs);
        if (box != nullptr) {
            EXPECT_EQ(messageBoxText(box), text);
            EXPECT_EQ(messageBoxButtons(box), (std::vector<int>{IDYES, IDNO}));
        }
        return box;
    }

    // Asks to close (WM_CLOSE, or Esc), answers No and waits for the window to hide.
    void closeToTray(bool byEsc = false) {
        if (byEsc) {
            postKey(window_, VK_ESCAPE);
        } else {
            PostMessageA(window_, WM_CLOSE, 0, 0);
        }
        HWND box = questionBox(kCloseQuestion);
        ASSERT_NE(box, nullptr) << "no close question";
        ASSERT_TRUE(answerMessageBox(box, IDNO));
        ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(window_); }, kBoxTimeoutMs)) << "the window stays";
        EXPECT_TRUE(app_->running());
    }

    void expectEndsWithCodeZero() {
        const std::optional<DWORD> code = app_->waitExit(10000);
        ASSERT_TRUE(code.has_value()) << "still running";
        EXPECT_EQ(*code, 0u);
        EXPECT_TRUE(waitForIconCount(0)) << "the icon stays after the end";
    }

    bool noQuestionFor(DWORD ms) {
        return !waitUntil([&] { return !windowsWithTitle(kQuestionTitle, app_->pid(), true).empty(); }, ms);
    }

    std::list<Process> started_;
    Process* app_ = nullptr;
    HWND window_ = nullptr;
    HWND icon_ = nullptr;
};

// ------------------------------------------------------------------ the icon

TEST_F(TrayTest, IconAppearsInTheTrayWithItsStartTooltip) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    ASSERT_NE(icon_, nullptr);
    EXPECT_EQ(windowText(systemTray()), "Wine System Tray");
    const Rect r = screenRect(icon_);
    EXPECT_EQ(r.width, kTrayIconSize);
    EXPECT_EQ(r.height, kTrayIconSize);
    EXPECT_EQ(hoverTooltip(icon_, kStartTip), kStartTip);
}

TEST_F(TrayTest, DoubleClickShowsTheHiddenWindowAndASingleClickDoesNothing) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    ASSERT_NO_FATAL_FAILURE(closeToTray());

    click(centreOf(icon_), MouseButton::Left, kTrayClickPauseMs);
    Sleep(kQuietMs);
    EXPECT_FALSE(IsWindowVisible(window_)) << "a single click showed the window";
    EXPECT_EQ(visiblePopUpMenu(app_->pid()), nullptr);

    Sleep(kQuietMs);  // well past the double-click time, so the next clicks start afresh
    doubleClick(centreOf(icon_));
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window_) != FALSE; }, kBoxTimeoutMs))
        << "a double click left the window hidden";
    // Once more on the shown window: nothing changes.
    doubleClick(centreOf(icon_));
    Sleep(kQuietMs);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(noQuestionFor(0));
}

// ------------------------------------------------------------------ the pop-up menu

TEST_F(TrayTest, RightClickPopsTheTwelveLineMenuAtTheCursorVisibleOrHidden) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    MenuProbe probe;
    ASSERT_TRUE(probe.install(window_)) << "cannot hook tavik's thread with the menu probe";

    unsigned popUps = 0;
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "window hidden" : "window visible");
        if (hidden) {
            ASSERT_NO_FATAL_FAILURE(closeToTray());
        }

        const POINT at = centreOf(icon_);
        click(at, MouseButton::Right, kTrayClickPauseMs);
        HWND menu = waitForPopUpMenu(app_->pid(), kBoxTimeoutMs);
        ASSERT_NE(menu, nullptr) << "no pop-up menu";
        const Rect r = screenRect(menu);
        EXPECT_EQ(r.left, at.x + kMenuOffset);
        EXPECT_EQ(r.top, at.y + kMenuOffset);
        const std::optional<std::vector<std::string>> lines = probe.waitForPopUp(++popUps);
        ASSERT_TRUE(lines.has_value()) << "the probe reported no pop-up";
        EXPECT_EQ(*lines, kPopUpLines);

        // Dismissed by Esc the first time, by a click elsewhere the second.
        if (hidden) {
            click(emptySpot(), MouseButton::Left, kTrayClickPauseMs);
        } else {
            postKey(menu, VK_ESCAPE);
        }
        EXPECT_TRUE(waitUntil([&] { return visiblePopUpMenu(app_->pid()) == nullptr; }, kBoxTimeoutMs))
            << "the pop-up stays open";
        Sleep(kQuietMs);
        EXPECT_EQ(IsWindowVisible(window_) == FALSE, hidden) << "dismissing the pop-up changed the window";
        EXPECT_TRUE(noQuestionFor(0));
        EXPECT_TRUE(app_->running());
        EXPECT_EQ(trayIcons().size(), 1u);
    }
}

TEST_F(TrayTest, ChoosingCancelChangesNothingAndAChosenEntryRuns) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    ASSERT_NO_FATAL_FAILURE(closeToTray());

    // "C.取消", the last line: Up from no selection, then Enter.
    click(centreOf(icon_), MouseButton::Right, kTrayClickPauseMs);
    HWND menu = waitForPopUpMenu(app_->pid(), kBoxTimeoutMs);
    ASSERT_NE(menu, nullptr);
    postKey(menu, VK_UP);
    postKey(menu, VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return visiblePopUpMenu(app_->pid()) == nullptr; }, kBoxTimeoutMs));
    Sleep(kQuietMs);
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_TRUE(app_->running());

    // "M.主界面", the first line, chosen the same way, shows the window.
    click(centreOf(icon_), MouseButton::Right, kTrayClickPauseMs);
    menu = waitForPopUpMenu(app_->pid(), kBoxTimeoutMs);
    ASSERT_NE(menu, nullptr);
    postKey(menu, VK_DOWN);
    postKey(menu, VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window_) != FALSE; }, kBoxTimeoutMs))
        << "choosing M.主界面 left the window hidden";
}

// ------------------------------------------------------------------ closing

TEST_F(TrayTest, CloseAnsweredNoHidesToTheTrayWithTheNewTooltip) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    ASSERT_NO_FATAL_FAILURE(closeToTray());
    ASSERT_EQ(trayIcons().size(), 1u);
    EXPECT_EQ(hoverTooltip(onlyTrayIcon(), kTrayTip), kTrayTip);

    PostMessageA(window_, WM_COMMAND, kMainViewCommand, 0);
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window_) != FALSE; }, kBoxTimeoutMs));
    EXPECT_EQ(hoverTooltip(onlyTrayIcon(), kTrayTip), kTrayTip) << "the tooltip went back";

    ASSERT_NO_FATAL_FAILURE(closeToTray(true));  // Esc asks the same question
    ASSERT_EQ(trayIcons().size(), 1u);
    doubleClick(centreOf(onlyTrayIcon()));
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window_) != FALSE; }, kBoxTimeoutMs));
    EXPECT_EQ(hoverTooltip(onlyTrayIcon(), kTrayTip), kTrayTip);
}

TEST_F(TrayTest, CloseAnsweredYesEndsWithCodeZeroAndTheIconGone) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    PostMessageA(window_, WM_CLOSE, 0, 0);
    HWND box = questionBox(kCloseQuestion);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    expectEndsWithCodeZero();
}

TEST_F(TrayTest, ExitEntryEndsOnlyOnYes) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    PostMessageA(window_, WM_COMMAND, kExitCommand, 0);
    HWND box = questionBox(kExitQuestion);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answerMessageBox(box, IDNO));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(box); }, kBoxTimeoutMs));
    Sleep(kQuietMs);
    EXPECT_TRUE(app_->running());
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(trayIcons().size(), 1u);

    PostMessageA(window_, WM_COMMAND, kExitCommand, 0);
    box = questionBox(kExitQuestion);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    expectEndsWithCodeZero();
}

TEST_F(TrayTest, AboutEntryShowsTheAboutBox) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    PostMessageA(window_, WM_COMMAND, kAboutCommand, 0);
    HWND box = waitForMessageBox(kAboutTitle, app_->pid(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr) << "no box titled " << kAboutTitle;
    EXPECT_EQ(messageBoxButtons(box), std::vector<int>{IDOK});
    const std::string text = messageBoxText(box);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_NE(text.find("\r\n          --"), std::string::npos) << text;
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }, kBoxTimeoutMs));
    EXPECT_TRUE(app_->running());
}

TEST_F(TrayTest, EndOfSessionQueryIsAnsweredYesWithoutAQuestion) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window_, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_TRUE(noQuestionFor(kQuietMs));
    EXPECT_TRUE(app_->running());
    EXPECT_TRUE(IsWindowVisible(window_));
}

// ------------------------------------------------------------------ the taskbar re-created

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgainWithTheTooltipInForce) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);

    for (const std::string& tip : {kStartTip, kTrayTip}) {
        SCOPED_TRACE(tip);
        if (tip == kTrayTip) {
            ASSERT_NO_FATAL_FAILURE(closeToTray());
        }
        // The tray loses the icon, as a restarted shell would have.
        NOTIFYICONDATAA lost{};
        lost.cbSize = NOTIFYICONDATAA_V1_SIZE;
        lost.hWnd = window_;
        lost.uID = kTrayIconId;
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &lost));
        ASSERT_TRUE(waitForIconCount(0));

        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutA(window_, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
        ASSERT_TRUE(waitForIconCount(1)) << "the icon was not added again";
        EXPECT_EQ(hoverTooltip(onlyTrayIcon(), tip), tip);
    }
    // The icon added again still reaches the program.
    doubleClick(centreOf(onlyTrayIcon()));
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window_) != FALSE; }, kBoxTimeoutMs));
}

// ------------------------------------------------------------------ the clock line

TEST_F(TrayTest, ClockLineShowsTheLocalTimeAndTicksEvenUnderAMessageBox) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    HWND label = childAt(window_, 49, 4);
    ASSERT_NE(label, nullptr) << "no label at (49, 4)";

    auto watchTicks = [&](const char* phase) {
        SCOPED_TRACE(phase);
        std::set<std::string> seen;
        const DWORD until = GetTickCount() + 3500;
        while (GetTickCount() < until) {
            const std::string line = windowText(label);
            EXPECT_TRUE(showsLocalClock(line)) << "line: " << line << ", clock: " << clockLine(secondsFromNow(0));
            seen.insert(line);
            Sleep(200);
        }
        EXPECT_GE(seen.size(), 3u) << "the line does not change every second";
    };
    watchTicks("running");

    PostMessageA(window_, WM_COMMAND, kAboutCommand, 0);
    HWND box = waitForMessageBox(kAboutTitle, app_->pid(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr);
    watchTicks("with a message box open");
    answerMessageBox(box, IDOK);
}

// ------------------------------------------------------------------ a second copy

TEST_F(TrayTest, ACopyTurnedAwayShowsItsOwnIconDuringItsWarningAndRemovesIt) {
    ASSERT_NO_FATAL_FAILURE(startRunning());
    ASSERT_NO_FATAL_FAILURE(closeToTray());  // the first copy's icon now reads kTrayTip

    Process& second = start();
    ASSERT_TRUE(second.valid());
    HWND warning = waitForMessageBox(kGuardTitle, second.pid(), kStartTimeoutMs);
    ASSERT_NE(warning, nullptr) << "the second copy was not turned away";
    ASSERT_TRUE(waitForIconCount(2)) << "the second copy shows no icon during its warning";
    EXPECT_EQ(hoverTooltip(trayIcons().back(), kStartTip), kStartTip);

    ASSERT_TRUE(answerMessageBox(warning, IDOK));
    const std::optional<DWORD> code = second.waitExit(10000);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
    ASSERT_TRUE(waitForIconCount(1)) << "the second copy's icon stays";
    EXPECT_EQ(hoverTooltip(onlyTrayIcon(), kTrayTip), kTrayTip) << "the first copy's icon changed";
    EXPECT_TRUE(app_->running());
}

}  // namespace
}  // namespace tavik::e2e
