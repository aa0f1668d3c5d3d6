// tavik_soak_driver.exe: keeps tavik.exe busy for a long run, the way a user would,
// while scripts/soak samples the memory of its process from the Linux side.
//
//   tavik_soak_driver.exe [--minutes N]
//
// Starts two target_app.exe windows (the window to hide and pick, and one that holds
// the keyboard focus) and tavik.exe, arms the task for a time that does not come
// during the run, and then spreads over N minutes (30 by default):
//   10,000 hide/show toggles by Alt+Z / Alt+X (SendInput), 1,000 tray menu pop-ups
//   (right click on the icon, closed by Esc or by a click elsewhere), 1,000 close
//   questions answered No, each followed by "M.主界面", and 500 picker drags onto the
//   target window; a shorter run does proportionally fewer.
// At the phases "launched", "warm" (after a warm-up round of everything), "middle"
// and "end" it prints "SOAK PHASE <name>" and waits for the file soak-ack-<name>
// beside it, so that the memory is sampled at that moment. At the end it asks the
// program to exit through its menu and prints the counts; the exit code is 0 when
// every action took effect and the program ended with code 0.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "input.h"

namespace {

using namespace tavik::e2e;

const std::string kMainTitle = "Tavik小助手";
const std::string kQuestionTitle = "关机助手:";
const std::string kArmedTitle = "任务执行成功";
const std::string kArmedCaption = "取消任务";
const std::string kTargetTitle = "Tavik Soak Target";
const std::string kFocusTitle = "Tavik Soak Focus";

constexpr UINT kMainViewCommand = 20001;  // "M.主界面"
constexpr UINT kExitCommand = 20012;      // "S.退出"
constexpr int kFullRunMinutes = 30;
constexpr int kFullToggles = 10000;
constexpr int kFullPopUps = 1000;
constexpr int kFullCloses = 1000;
constexpr int kFullDrags = 500;
constexpr int kWarmUpRounds = 3;

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kStepTimeoutMs = 3000;
constexpr DWORD kStepPollMs = 5;
constexpr DWORD kChordTimeoutMs = 700;
constexpr int kChordAttempts = 4;
constexpr DWORD kFocusStableMs = 60;
constexpr DWORD kAckTimeoutMs = 60000;
constexpr DWORD kIdleStepMs = 20;
constexpr int kMaxReportedFailures = 30;

// Where the controls sit: group boxes in the main window, controls in their group.
struct Place {
    int left;
    int top;
};
constexpr Place kHideGroup{5, 24};
constexpr Place kTaskGroup{5, 109};
constexpr Place kClockLabel{49, 4};
constexpr Place kPicture{8, 40};
constexpr Place kTitleBox{48, 40};
constexpr Place kHourField{8, 17};
constexpr Place kMinuteField{72, 17};
constexpr Place kSecondField{135, 17};
constexpr Place kTaskButton{208, 11};

// Where the two helper windows are put: clear of the main window (centred on the
// screen) and of each other.
constexpr Place kTargetPlace{20, 300};
constexpr Place kFocusPlace{20, 520};
// A point of the target's client area that no child covers.
constexpr POINT kTargetDropPoint{260, 20};
// The soak's own pace of input: shorter pauses and drags than the end-to-end cases.
constexpr DWORD kSoakClickPauseMs = 20;
constexpr int kSoakDragSteps = 4;
constexpr DWORD kSoakDragStepMs = 10;

// ---------------------------------------------------------------- the program's windows

HWND trayIcon() {
    HWND tray = FindWindowA("__winex11_standalone_tray", "Wine System Tray");
    if (tray == nullptr)
        return nullptr;
    for (HWND child : childWindows(tray)) {
        if (sameClass(className(child), "__winex11_tray_icon"))
            return child;
    }
    return nullptr;
}

// ---------------------------------------------------------------- the run

struct Activity {
    const char* name;
    int total;
    int done = 0;
    int failed = 0;
};

class Soak {
public:
    explicit Soak(int minutes)
        : minutes_(minutes),
          activities_{{{"hide/show toggles by hotkey", scaled(kFullToggles, minutes)},
                       {"tray menu pop-ups", scaled(kFullPopUps, minutes)},
                       {"close-No/show cycles", scaled(kFullCloses, minutes)},
                       {"picker drags", scaled(kFullDrags, minutes)}}} {}

    int run() {
        if (!start())
            return 1;
        phase("launched");
        for (int round = 0; round < kWarmUpRounds; ++round) {
            toggle();
            popUp();
            closeAndShow();
            drag();
        }
        resetCounts();
        phase("warm");
        const ULONGLONG began = GetTickCount64();
        const ULONGLONG length = static_cast<ULONGLONG>(minutes_) * 60 * 1000;
        bool middleTaken = false;
        for (;;) {
            const ULONGLONG elapsed = GetTickCount64() - began;
            if (!middleTaken && elapsed >= length / 2) {
                healthCheck("middle");
                phase("middle");
                middleTaken = true;
            }
            Activity* next = mostBehind(static_cast<double>(elapsed) / static_cast<double>(length));
            if (next == nullptr) {
                if (elapsed >= length && allDone())
                    break;
                Sleep(kIdleStepMs);
                continue;
            }
            perform(*next);
        }
        const ULONGLONG took = GetTickCount64() - began;
        healthCheck("end");
        phase("end");
        std::printf("SOAK RAN %.1f s (planned %d s)\n", static_cast<double>(took) / 1000.0, minutes_ * 60);
        for (const Activity& a : activities_) {
            std::printf("SOAK COUNT %s: %d done, %d failed\n", a.name, a.done, a.failed);
        }
        std::printf("SOAK COUNT hotkey chords resent after a lost one: %d\n", resentChords_);
        const bool ended = exitProgram();
        std::fflush(stdout);
        return failures_ == 0 && ended ? 0 : 1;
    }

private:
    static int scaled(int full, int minutes) {
        return std::max(
            1, static_cast<int>((static_cast<long long>(full) * minutes + kFullRunMinutes / 2) / kFullRunMinutes));
    }

    bool start() {
        removePath(kMarkerPath);
        target_ = startHelper(kTargetTitle, kTargetPlace);
        focus_ = startHelper(kFocusTitle, kFocusPlace);
        if (target_ == nullptr || focus_ == nullptr)
            return fail("cannot start target_app.exe");
        tavik_ = Process::start(tavikPath());
        if (!tavik_.valid())
            return fail("cannot start tavik.exe");
        main_ = waitForWindow(kMainTitle, tavik_.pid(), kStartTimeoutMs);
        if (main_ == nullptr)
            return fail("no main window");
        HWND hideGroup = childAt(main_, kHideGroup.left, kHideGroup.top);
        HWND taskGroup = childAt(main_, kTaskGroup.left, kTaskGroup.top);
        clock_ = childAt(main_, kClockLabel.left, kClockLabel.top);
        if (hideGroup == nullptr || taskGroup == nullptr || clock_ == nullptr)
            return fail("controls not found");
        picture_ = childAt(hideGroup, kPicture.left, kPicture.top);
        titleBox_ = childAt(hideGroup, kTitleBox.left, kTitleBox.top);
        taskButton_ = childAt(taskGroup, kTaskButton.left, kTaskButton.top);
        if (picture_ == nullptr || titleBox_ == nullptr || taskButton_ == nullptr)
            return fail("controls not found");
        if (!waitUntil([&] { return (icon_ = trayIcon()) != nullptr; }, kStartTimeoutMs))
            return fail("no tray icon");
        setText(titleBox_, kTargetTitle);
        if (!armTask(taskGroup))
            return false;
        std::printf("SOAK tavik.exe pid %lu; %d minutes; planned:", static_cast<unsigned long>(tavik_.pid()), minutes_);
        for (const Activity& a : activities_)
            std::printf(" %d %s;", a.total, a.name);
        std::printf("\n");
        std::fflush(stdout);
        return true;
    }

    HWND startHelper(const std::string& title, Place place) {
        helpers_.push_back(Process::start(targetAppPath(), "\"" + title + "\""));
        if (!helpers_.back().valid())
            return nullptr;
        HWND window = waitForWindow(title, helpers_.back().pid(), kStartTimeoutMs);
        if (window != nullptr) {
            SetWindowPos(window, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return window;
    }

    // Both timers tick from here on: the task waits for a time twelve hours away.
    bool armTask(HWND taskGroup) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        setText(childAt(taskGroup, kHourField.left, kHourField.top), std::to_string((now.wHour + 12) % 24));
        setText(childAt(taskGroup, kMinuteField.left, kMinuteField.top), "30");
        setText(childAt(taskGroup, kSecondField.left, kSecondField.top), "0");
        PostMessageA(taskButton_, BM_CLICK, 0, 0);
        HWND box = waitForMessageBox(kArmedTitle, tavik_.pid(), kStepTimeoutMs);
        if (box == nullptr)
            return fail("arming the task showed no box");
        answerMessageBox(box, IDOK);
        if (!waitUntil([&] { return windowText(taskButton_) == kArmedCaption; }, kStepTimeoutMs))
            return fail("the task is not armed");
        return true;
    }

    // The activity furthest behind its share of the run so far, if any is due.
    Activity* mostBehind(double fraction) {
        Activity* best = nullptr;
        double bestLag = 0;
        for (Activity& a : activities_) {
            const double due = std::min(1.0, fraction) * a.total;
            const double lag = (due - a.done) / a.total;
            if (a.done < a.total && due - a.done >= 1.0 && lag > bestLag) {
                best = &a;
                bestLag = lag;
            }
        }
        if (best == nullptr && fraction >= 1.0) {
            for (Activity& a : activities_) {
                if (a.done < a.total)
                    return &a;
            }
        }
        return best;
    }

    bool allDone() const {
        return std::all_of(activities_.begin(), activities_.end(), [](const Activity& a) { return a.done >= a.total; });
    }

    void perform(Activity& activity) {
        bool ok = false;
        if (&activity == &activities_[0]) {
            ok = toggle();
        } else if (&activity == &activities_[1]) {
            ok = popUp();
        } else if (&activity == &activities_[2]) {
            ok = closeAndShow();
        } else {
            ok = drag();
        }
        ++activity.done;
        if (!ok) {
            ++activity.failed;
            recover();
        }
    }

    void resetCounts() {
        for (Activity& a : activities_)
            a.done = a.failed = 0;
        failures_ = 0;
        resentChords_ = 0;
    }

    // One chord: Alt+Z when the target shows, Alt+X when it is hidden; a chord that
    // changed nothing is sent again once the focus has settled.
    bool toggle() {
        const bool hide = IsWindowVisible(target_) != FALSE;
        for (int attempt = 0; attempt < kChordAttempts; ++attempt) {
            if (attempt > 0) {
                ++resentChords_;
                bringToFront(focus_, kFocusStableMs);
            } else {
                waitForegroundSettled(kFocusStableMs);
            }
            sendAltChord(hide ? 'Z' : 'X');
            if (waitUntil([&] { return (IsWindowVisible(target_) != FALSE) != hide; }, kChordTimeoutMs, kStepPollMs)) {
                return true;
            }
        }
        return fail(hide ? "Alt+Z did not hide the target" : "Alt+X did not show the target");
    }

    bool popUp() {
        click(centreOf(icon_), MouseButton::Right, kSoakClickPauseMs);
        HWND menu = waitForPopUpMenu(tavik_.pid(), kStepTimeoutMs, kStepPollMs);
        if (menu == nullptr)
            return fail("no pop-up menu");
        if (++popUps_ % 2 == 0) {
            click(emptySpot(), MouseButton::Left, kSoakClickPauseMs);
        } else {
            postKey(menu, VK_ESCAPE);
        }
        if (!waitUntil([&] { return visiblePopUpMenu(tavik_.pid()) == nullptr; }, kStepTimeoutMs, kStepPollMs))
            return fail("the pop-up menu stays open");
        return true;
    }

    bool closeAndShow() {
        PostMessageA(main_, WM_CLOSE, 0, 0);
        HWND box = waitForMessageBox(kQuestionTitle, tavik_.pid(), kStepTimeoutMs);
        if (box == nullptr)
            return fail("no close question");
        answerMessageBox(box, IDNO);
        if (!waitUntil([&] { return !IsWindowVisible(main_); }, kStepTimeoutMs, kStepPollMs))
            return fail("the window did not go to the tray");
        PostMessageA(main_, WM_COMMAND, MAKEWPARAM(kMainViewCommand, 0), 0);
        if (!waitUntil([&] { return IsWindowVisible(main_) != FALSE; }, kStepTimeoutMs, kStepPollMs))
            return fail("M.主界面 did not show the window");
        return true;
    }

    // Drags the target from the picture box onto the target window, which is shown
    // first when a toggle left it hidden.
    bool drag() {
        if (!IsWindowVisible(target_) && !toggle())
            return false;
        const POINT drop = clientPoint(target_, kTargetDropPoint);
        if (WindowFromPoint(drop) != target_) {
            SetWindowPos(target_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            if (WindowFromPoint(drop) != target_)
                return fail("the drop point is covered");
        }
        setText(titleBox_, "");
        moveMouseTo(centreOf(picture_));
        Sleep(kSoakClickPauseMs);
        mouseButton(true);
        if (!waitUntil([&] { return captureOf(picture_) == picture_; }, kStepTimeoutMs, kStepPollMs)) {
            mouseButton(false);
            return fail("the picture box did not take the mouse");
        }
        dragTo(drop, kSoakDragSteps, kSoakDragStepMs);
        mouseButton(false);
        if (!waitUntil([&] { return captureOf(picture_) == nullptr; }, kStepTimeoutMs, kStepPollMs))
            return fail("the capture was not released");
        if (!waitUntil([&] { return windowText(titleBox_) == kTargetTitle; }, kStepTimeoutMs, kStepPollMs))
            return fail("the drop did not write the target's title");
        return true;
    }

    // Puts things back after a failed step: no box, no menu, the window shown.
    void recover() {
        for (HWND box : windowsWithTitle(kQuestionTitle, tavik_.pid(), true))
            answerMessageBox(box, IDNO);
        if (HWND menu = visiblePopUpMenu(tavik_.pid()))
            postKey(menu, VK_ESCAPE);
        mouseButton(false);
        Sleep(200);
        if (!IsWindowVisible(main_))
            PostMessageA(main_, WM_COMMAND, MAKEWPARAM(kMainViewCommand, 0), 0);
        Sleep(200);
    }

    // The program still answers, its clock still runs and the task is still armed.
    void healthCheck(const char* when) {
        if (!responsive(main_)) {
            fail(std::string("the program does not answer at ") + when);
            return;
        }
        const std::string before = windowText(clock_);
        if (!waitUntil([&] { return windowText(clock_) != before; }, 2500, 50))
            fail(std::string("the clock line stands still at ") + when);
        if (windowText(taskButton_) != kArmedCaption)
            fail(std::string("the task was disarmed at ") + when);
    }

    // Tells scripts/soak to sample now and waits until it has.
    void phase(const char* name) {
        std::printf("SOAK PHASE %s\n", name);
        std::fflush(stdout);
        const std::string ack = driverDir() + "soak-ack-" + name;
        if (!waitUntil([&] { return GetFileAttributesA(ack.c_str()) != INVALID_FILE_ATTRIBUTES; }, kAckTimeoutMs,
                       100)) {
            std::printf("SOAK no sample was taken at %s\n", name);
            std::fflush(stdout);
        }
    }

    bool exitProgram() {
        PostMessageA(main_, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
        HWND box = waitForMessageBox(kQuestionTitle, tavik_.pid(), kStepTimeoutMs);
        if (box == nullptr)
            return fail("S.退出 asked nothing");
        answerMessageBox(box, IDYES);
        const std::optional<DWORD> code = tavik_.waitExit(10000);
        for (Process& helper : helpers_)
            helper.terminate();
        if (!code)
            return fail("the program did not end");
        std::printf("SOAK tavik.exe ended with code %lu\n", static_cast<unsigned long>(*code));
        return *code == 0;
    }

    bool fail(const std::string& what) {
        if (++failures_ <= kMaxReportedFailures) {
            std::printf("SOAK FAILURE %s\n", what.c_str());
            std::fflush(stdout);
        }
        return false;
    }

    int minutes_;
    std::array<Activity, 4> activities_;
    std::vector<Process> helpers_;
    Process tavik_;
    HWND main_ = nullptr;
    HWND clock_ = nullptr;
    HWND picture_ = nullptr;
    HWND titleBox_ = nullptr;
    HWND taskButton_ = nullptr;
    HWND icon_ = nullptr;
    HWND target_ = nullptr;
    HWND focus_ = nullptr;
    int failures_ = 0;
    int resentChords_ = 0;
    int popUps_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    int minutes = kFullRunMinutes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc) {
            minutes = std::atoi(argv[++i]);
        }
    }
    if (minutes <= 0) {
        std::fprintf(stderr, "usage: tavik_soak_driver.exe [--minutes N]   (N >= 1)\n");
        return 2;
    }
    return Soak(minutes).run();
}
