// Long runs of the program's everyday events on the recording fake, counting what it
// holds: icons and cursors, menus, kernel handles, timers, notification-area icons,
// windows, the library bound by name and the mouse capture. Whatever a round of an
// event makes, the round releases; at the end of the program nothing is left.
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "common/control_properties.h"
#include "fake_platform.h"

namespace {

constexpr int SecondsPerMinute = 60;
constexpr int MinutesPerHour = 60;
constexpr int HoursPerDay = 24;
constexpr int MonthsPerYear = 12;
constexpr int SecondsInADay = HoursPerDay * MinutesPerHour * SecondsPerMinute;
// The recorded calls are dropped after this many rounds, so that a long run stays small.
constexpr int RoundsPerCallsBatch = 256;
constexpr std::uint32_t ShowMainWindowCommand = MenuCommandBase + 1;  // "M.主界面"
const std::string TargetTitle = "Soak Target";

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    constexpr int Days[MonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : Days[month - 1];
}

void addOneSecond(LocalTime& time) {
    if (++time.second < SecondsPerMinute)
        return;
    time.second = 0;
    if (++time.minute < MinutesPerHour)
        return;
    time.minute = 0;
    if (++time.hour < HoursPerDay)
        return;
    time.hour = 0;
    if (++time.day <= daysInMonth(time.year, time.month))
        return;
    time.day = 1;
    if (++time.month <= MonthsPerYear)
        return;
    time.month = 1;
    ++time.year;
}

// Everything the fake counts as held by the program.
struct Held {
    std::size_t icons = 0;
    std::size_t menus = 0;
    std::size_t kernelHandles = 0;
    std::size_t timers = 0;
    std::size_t notifyIcons = 0;
    std::size_t windows = 0;
    bool libraryLoaded = false;
    bool capturing = false;

    friend bool operator==(const Held& a, const Held& b) {
        return a.icons == b.icons && a.menus == b.menus && a.kernelHandles == b.kernelHandles && a.timers == b.timers &&
               a.notifyIcons == b.notifyIcons && a.windows == b.windows && a.libraryLoaded == b.libraryLoaded &&
               a.capturing == b.capturing;
    }
    friend std::ostream& operator<<(std::ostream& out, const Held& held) {
        return out << "{icons " << held.icons << ", menus " << held.menus << ", kernel handles " << held.kernelHandles
                   << ", timers " << held.timers << ", notification icons " << held.notifyIcons << ", windows "
                   << held.windows << ", library " << (held.libraryLoaded ? "loaded" : "unloaded") << ", capture "
                   << (held.capturing ? "held" : "free") << "}";
    }
};

// The program started as WinMain starts it, with another program's window to hide and pick.
class ProgramRun {
public:
    ProgramRun() {
        FakeWindow other;
        other.className = "OtherProgram";
        other.text = TargetTitle;
        other.visible = true;
        target_ = fake.addWindow(other);
        fake.onTrackPopupMenu = [this](MenuHandle, int, int) {
            ++popUps_;
            return 0;
        };
        runProgram(app);
        fake.clearCalls();
    }

    Held held() const {
        return Held{fake.liveIcons(),          fake.liveMenus(),       fake.liveKernelHandles(),
                    fake.activeTimers(),       fake.liveNotifyIcons(), fake.liveWindows() - otherWindows(),
                    fake.boundLibraryLoaded(), fake.capture != 0};
    }

    Hwnd control(Control name) const { return app.main.handle(name); }
    bool mainWindowVisible() { return fake.window(app.main.window).visible; }

    // One second of the clock: every timer control whose timer runs ticks once, and the
    // threads started meanwhile run.
    void tick() {
        addOneSecond(fake.now);
        for (const Control timer : {Control::时钟1, Control::任务时钟}) {
            if (fake.timerRunning(control(timer))) {
                app.onTimer(control(timer), TimerId);
            }
        }
        fake.runPendingThreads();
    }

    void endRound() {
        if (++rounds_ % RoundsPerCallsBatch == 0) {
            workers_ += fake.callsNamed("CreateThread").size();
            fake.clearCalls();
        }
    }

    // The close question answered No, then "M.主界面" from the menu.
    void closeToTrayAndBack() {
        fake.messageBoxAnswers.push_back(win::IdNo);
        fake.sendMessage(app.main.window, win::WmClose, 0, 0);
        EXPECT_FALSE(mainWindowVisible()) << "the window did not go to the tray";
        app.onCommand(ShowMainWindowCommand, 0, Hwnd::none);
        EXPECT_TRUE(mainWindowVisible()) << "the window did not come back";
    }

    // A right click on the tray icon; the pop-up is dismissed without a choice.
    void popUpTrayMenu() {
        const int before = popUps_;
        app.onTrayNotification(win::WmRButtonUp);
        EXPECT_EQ(popUps_, before + 1) << "no pop-up";
    }

    // The target dragged from 图片框1 onto the other program's window.
    void dragPicker() {
        const Hwnd picture = control(Control::图片框1);
        app.onPictureButton(picture, true, 0, 0, 0);
        fake.windowAtPoint = target_;
        app.onPictureButton(picture, false, 0, 0, 0);
        EXPECT_EQ(fake.window(control(Control::编辑框_标题)).text, TargetTitle);
    }

    // The taskbar re-created: the tray icon is made afresh and the old one let go.
    void recreateTaskbar() { app.onTaskbarCreated(); }

    void hotkey(bool hide) {
        fake.window(control(Control::编辑框_标题)).text = TargetTitle;
        app.onHotkey(static_cast<std::uintptr_t>(hide ? app.hideHotkeyId : app.showHotkeyId));
        EXPECT_EQ(fake.window(target_).visible, !hide);
    }

    // Arms the task for a time of day with the first action chosen.
    void armTask(const char* hour, const char* minute, const char* second) {
        fake.window(control(Control::编辑框_时)).text = hour;
        fake.window(control(Control::编辑框_分)).text = minute;
        fake.window(control(Control::编辑框_秒)).text = second;
        app.onCommand(static_cast<std::uint32_t>(controlId(Control::按钮1)), 0, control(Control::按钮1));
        ASSERT_TRUE(fake.timerRunning(control(Control::任务时钟))) << "the task is not armed";
    }

    // Ends the program as "S.退出" answered Yes does.
    void exit() {
        try {
            exitProgram(app, 0);
        } catch (const ProcessExit& ended) {
            EXPECT_EQ(ended.code, 0U);
        }
    }

    // Workers started so far (threads are counted from the recorded calls before they are dropped).
    std::size_t workersStarted() const { return workers_ + fake.callsNamed("CreateThread").size(); }

    FakePlatform fake;
    App app{fake};

private:
    std::size_t otherWindows() const { return fake.windows.at(static_cast<std::uintptr_t>(target_)).destroyed ? 0 : 1; }
    Hwnd target_ = Hwnd::none;
    int rounds_ = 0;
    int popUps_ = 0;
    std::size_t workers_ = 0;
};

// A round of an event, repeated: the first round may make what the program keeps
// afterwards (the arrow pointer of the picker, the library bound by name); the rounds
// after it hold nothing more.
struct Scenario {
    const char* name;
    void (*round)(ProgramRun& run, int number);
    int rounds;
};

const Scenario Scenarios[] = {
    {"a day of clock ticks", [](ProgramRun& run, int) { run.tick(); }, SecondsInADay},
    {"close answered No, then shown from the menu", [](ProgramRun& run, int) { run.closeToTrayAndBack(); }, 1000},
    {"tray menu popped up and dismissed", [](ProgramRun& run, int) { run.popUpTrayMenu(); }, 1000},
    {"picker dragged onto another window", [](ProgramRun& run, int) { run.dragPicker(); }, 500},
    {"taskbar re-created", [](ProgramRun& run, int) { run.recreateTaskbar(); }, 1000},
    {"hide and show hotkeys", [](ProgramRun& run, int number) { run.hotkey(number % 2 == 0); }, 1000},
    {"all of them in turn",
     [](ProgramRun& run, int number) {
         run.tick();
         run.closeToTrayAndBack();
         run.popUpTrayMenu();
         run.dragPicker();
         run.recreateTaskbar();
         run.hotkey(number % 2 == 0);
     },
     500},
};

TEST(ResourceScenarios, RepeatedEventsHoldNothingMoreAndTheEndReleasesEverything) {
    for (const Scenario& scenario : Scenarios) {
        SCOPED_TRACE(scenario.name);
        ProgramRun run;
        scenario.round(run, 0);
        const Held afterFirstRound = run.held();
        EXPECT_EQ(afterFirstRound.kernelHandles, 1U) << "only the instance marker is held";
        EXPECT_EQ(afterFirstRound.menus, 0U);
        EXPECT_EQ(afterFirstRound.notifyIcons, 1U);
        for (int number = 1; number < scenario.rounds; ++number) {
            scenario.round(run, number);
            run.endRound();
        }
        EXPECT_EQ(run.held(), afterFirstRound);
        run.exit();
        EXPECT_EQ(run.held(), Held{});
    }
}

TEST(ResourceScenarios, ADayWithTheTaskArmedFiresOnceAndItsWorkerLeavesNoHandle) {
    ProgramRun run;
    run.armTask("12", "0", "0");
    const Held armed = run.held();
    EXPECT_EQ(armed.timers, 2U) << "the clock and the task timer";
    for (int second = 0; second < SecondsInADay; ++second) {
        run.tick();
        run.endRound();
    }
    EXPECT_EQ(run.workersStarted(), 1U);
    EXPECT_EQ(run.held(), armed) << "the worker's thread or token handle, or its message box, stays";
    run.exit();
    EXPECT_EQ(run.held(), Held{});
}

}  // namespace
