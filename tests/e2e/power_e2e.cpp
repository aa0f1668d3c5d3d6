// The power actions of tavik.exe, checked from outside: the quick commands of the
// tray menu, the scheduled task with its fields, spinners and button, and the worker's
// message. A request for shutting down, restarting or logging off reaches Wine's
// wineboot.exe, which the test run replaces by a stand-in that only records its
// arguments; every case that can make such a request skips itself anywhere else.
#include <windows.h>

#include <list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "input.h"

namespace tavik::e2e {
namespace {

const std::string kMainTitle = "Tavik小助手";
const std::string kDefaultTitle = "信息：";
const std::string kIdleCaption = "执行任务";
const std::string kArmedCaption = "取消任务";
const std::string kArmedTitle = "任务执行成功";
const std::string kArmedText = "恭喜！任务完成，等待执行\r\n如需更改点-取消任务-";
const char* const kMessageBoxClass = "#32770";

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kBoxTimeoutMs = 5000;
constexpr DWORD kChangeTimeoutMs = 3000;
constexpr DWORD kSendTimeoutMs = 2000;
// Wine starts wineboot within about 100 ms of ExitWindowsEx; a request that has not
// arrived after this long is not coming.
constexpr DWORD kQuietMs = 1500;
// The task is armed this far ahead of the local time: enough for the click and the
// confirmation box.
constexpr int kLeadSeconds = 5;
// How long the test watches for a second firing after the first.
constexpr DWORD kAfterFiringMs = 3000;
constexpr int kSecondsPerDay = 24 * 60 * 60;

// What Wine's ExitWindowsEx passes to wineboot for each forced request.
const std::string kPowerOffRequest = "--kill --shutdown";
const std::string kRebootRequest = "--kill";

// The menu commands of the tray pop-up: 20000 plus the item's position in the menu list.
constexpr UINT kQuickShutdownCommand = 20006;
constexpr UINT kQuickRestartCommand = 20007;
constexpr UINT kQuickLogOffCommand = 20008;
constexpr UINT kQuickSuspendCommand = 20009;

// Where the controls sit, in the client area of the window or of the task group.
struct Place {
    int left;
    int top;
};
constexpr Place kTaskGroup{5, 109};
constexpr Place kHourField{8, 17};
constexpr Place kHourSpinner{30, 16};
constexpr Place kMinuteField{72, 17};
constexpr Place kMinuteSpinner{94, 16};
constexpr Place kSecondField{135, 17};
constexpr Place kSecondSpinner{157, 16};
constexpr Place kTaskButton{208, 11};
constexpr Place kRadios[] = {{8, 40}, {80, 40}, {152, 40}, {224, 40}};

HWND childAt(HWND parent, Place place) { return tavik::e2e::childAt(parent, place.left, place.top); }

bool isChecked(HWND radio) {
    DWORD_PTR state = 0;
    return SendMessageTimeoutA(radio, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state) != 0 &&
           state == BST_CHECKED;
}

// A click that does not wait for the program: its handler may open a modal box.
bool postClick(HWND button) { return PostMessageA(button, BM_CLICK, 0, 0) != 0; }

// A left click on the upper or lower arrow of an up-down control.
bool clickArrow(HWND spinner, bool upper) {
    RECT client{};
    if (!GetClientRect(spinner, &client))
        return false;
    const int x = (client.right - client.left) / 2;
    const int height = client.bottom - client.top;
    const int y = upper ? height / 4 : height - height / 4 - 1;
    return PostMessageA(spinner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) != 0 &&
           PostMessageA(spinner, WM_LBUTTONUP, 0, MAKELPARAM(x, y)) != 0;
}

bool waitForText(HWND control, const std::string& text) {
    return waitUntil([&] { return windowText(control) == text; }, kChangeTimeoutMs);
}

// Message boxes of the process with that title that are open now.
std::size_t openBoxes(const std::string& title, DWORD pid) {
    std::size_t count = 0;
    for (HWND w : windowsWithTitle(title, pid, true))
        if (sameClass(className(w), kMessageBoxClass))
            ++count;
    return count;
}

// Any message box of the process, whatever its title.
bool anyBoxOpen(DWORD pid) {
    for (HWND w : topLevelWindows(pid, true))
        if (sameClass(className(w), kMessageBoxClass))
            return true;
    return false;
}

// A running tavik.exe and the controls of its task group. Every case starts with no
// marker and ends the copy it started (by handle) and removes the marker.
class TaskTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(removePath(kMarkerPath)) << "cannot remove " << kMarkerPath;
        app_ = Process::start(tavikPath());
        ASSERT_TRUE(app_.valid()) << "CreateProcess(" << tavikPath() << ") error " << app_.startError();
        main_ = waitForWindow(kMainTitle, app_.pid(), kStartTimeoutMs);
        ASSERT_NE(main_, nullptr) << "no visible window titled " << kMainTitle;
        HWND group = childAt(main_, kTaskGroup);
        ASSERT_NE(group, nullptr) << "no task group";
        hour_ = childAt(group, kHourField);
        minute_ = childAt(group, kMinuteField);
        second_ = childAt(group, kSecondField);
        hourSpinner_ = childAt(group, kHourSpinner);
        minuteSpinner_ = childAt(group, kMinuteSpinner);
        secondSpinner_ = childAt(group, kSecondSpinner);
        button_ = childAt(group, kTaskButton);
        for (const Place& place : kRadios)
            radios_.push_back(childAt(group, place));
        for (HWND control : {hour_, minute_, second_, hourSpinner_, minuteSpinner_, secondSpinner_, button_})
            ASSERT_NE(control, nullptr);
        for (HWND radio : radios_)
            ASSERT_NE(radio, nullptr);
    }

    void TearDown() override {
        if (app_.valid()) {
            EXPECT_TRUE(app_.terminate()) << "pid " << app_.pid() << " did not end";
        }
        removePath(kMarkerPath);
    }

    DWORD pid() const { return app_.pid(); }

    void setTime(int hour, int minute, int second) {
        ASSERT_TRUE(setText(hour_, std::to_string(hour)));
        ASSERT_TRUE(setText(minute_, std::to_string(minute)));
        ASSERT_TRUE(setText(second_, std::to_string(second)));
    }

    // Fills the fields with the local time `ahead` seconds from now.
    void setTimeAhead(int ahead) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        const int target = (now.wHour * 3600 + now.wMinute * 60 + now.wSecond + ahead) % kSecondsPerDay;
        setTime(target / 3600, target / 60 % 60, target % 60);
    }

    void choose(HWND radio) {
        ASSERT_TRUE(postClick(radio));
        ASSERT_TRUE(waitUntil([&] { return isChecked(radio); }, kChangeTimeoutMs))
            << "the radio button stays unchecked";
    }

    // Clicks 按钮1 and expects a box with that title and text and an OK button, answered OK.
    void clickExpectingBox(const std::string& title, const std::string& text) {
        ASSERT_TRUE(postClick(button_));
        HWND box = waitForMessageBox(title, pid(), kBoxTimeoutMs);
        ASSERT_NE(box, nullptr) << "no box titled " << title;
        EXPECT_EQ(messageBoxText(box), text);
        EXPECT_EQ(messageBoxButtons(box), std::vector<int>{IDOK});
        EXPECT_FALSE(IsWindowEnabled(main_)) << "the box is not task-modal";
        ASSERT_TRUE(answerMessageBox(box, IDOK));
        ASSERT_TRUE(waitUntil([&] { return openBoxes(title, pid()) == 0; }, kBoxTimeoutMs));
    }

    void arm() {
        ASSERT_NO_FATAL_FAILURE(clickExpectingBox(kArmedTitle, kArmedText));
        ASSERT_TRUE(waitForText(button_, kArmedCaption)) << "caption " << windowText(button_);
    }

    Process app_;
    HWND main_ = nullptr;
    HWND hour_ = nullptr, minute_ = nullptr, second_ = nullptr;
    HWND hourSpinner_ = nullptr, minuteSpinner_ = nullptr, secondSpinner_ = nullptr;
    HWND button_ = nullptr;
    std::vector<HWND> radios_;
};

// Cases that arm the task or run a quick command: only where a request can reach
// nothing but the stand-in wineboot.
class PowerTest : public TaskTest {
protected:
    void SetUp() override {
        if (!powerCasesAllowed())
            GTEST_SKIP() << "power requests would reach the real system: not under Wine with the stand-in wineboot";
        TaskTest::SetUp();
    }
};

// ------------------------------------------------------------------ fields and validation

TEST_F(TaskTest, SpinnerArrowsStepTheirFieldsUpperArrowUp) {
    ASSERT_EQ(windowText(hour_), "22");
    ASSERT_TRUE(clickArrow(hourSpinner_, true));
    EXPECT_TRUE(waitForText(hour_, "23")) << windowText(hour_);
    // At 23 the upper arrow changes nothing; the lower arrow after it shows 22 again.
    ASSERT_TRUE(clickArrow(hourSpinner_, true));
    ASSERT_TRUE(clickArrow(hourSpinner_, false));
    EXPECT_TRUE(waitForText(hour_, "22")) << windowText(hour_);

    ASSERT_TRUE(clickArrow(minuteSpinner_, false));
    EXPECT_TRUE(waitForText(minute_, "29")) << windowText(minute_);

    ASSERT_TRUE(clickArrow(secondSpinner_, true));
    EXPECT_TRUE(waitForText(second_, "1")) << windowText(second_);
    ASSERT_TRUE(clickArrow(secondSpinner_, false));
    ASSERT_TRUE(clickArrow(secondSpinner_, false));
    ASSERT_TRUE(clickArrow(secondSpinner_, true));
    EXPECT_TRUE(waitForText(second_, "1")) << "0 stepped down must stay 0: " << windowText(second_);
    EXPECT_FALSE(anyBoxOpen(pid()));
}

TEST_F(TaskTest, AnEmptyTimeFieldIsRefusedWithItsBox) {
    ASSERT_TRUE(setText(minute_, ""));
    ASSERT_NO_FATAL_FAILURE(clickExpectingBox("任务时间填写不完整", "任务执行的时间请填写完整，否则不能执行计划。"));
    EXPECT_EQ(windowText(button_), kIdleCaption);
}

TEST_F(TaskTest, NoChosenActionIsRefusedWithItsBox) {
    DWORD_PTR ignored = 0;
    for (HWND radio : radios_)
        ASSERT_NE(SendMessageTimeoutA(radio, BM_SETCHECK, BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored),
                  0);
    ASSERT_NO_FATAL_FAILURE(clickExpectingBox("任务目标不完整", "任务目标没选择，请选择个任务的目标！"));
    EXPECT_EQ(windowText(button_), kIdleCaption);
}

// ------------------------------------------------------------------ quick commands

struct QuickCommand {
    UINT command;
    const char* title;
    const char* question;
    std::vector<std::string> requests;  // what the stand-in records after Yes
};

const QuickCommand kQuickCommands[] = {
    {kQuickShutdownCommand, "快速关机:", "是否执行快速关机？", {kPowerOffRequest}},
    {kQuickRestartCommand, "快速重启:", "是否执行快速重启？", {kRebootRequest}},
    {kQuickLogOffCommand, "快速注销:", "是否执行快速注销？", {kPowerOffRequest}},
    // SetSystemPowerState is a stub under Wine: a suspend leaves no trace.
    {kQuickSuspendCommand, "快速休眠:", "是否执行快速休眠？", {}},
};

TEST_F(PowerTest, EachQuickCommandAsksAndOnYesRequestsItsAction) {
    for (const QuickCommand& quick : kQuickCommands) {
        SCOPED_TRACE(quick.title);
        const std::size_t before = powerRequestsSize();
        ASSERT_TRUE(PostMessageA(main_, WM_COMMAND, MAKEWPARAM(quick.command, 0), 0));
        HWND box = waitForMessageBox(quick.title, pid(), kBoxTimeoutMs);
        ASSERT_NE(box, nullptr) << "no question";
        EXPECT_EQ(messageBoxText(box), quick.question);
        EXPECT_EQ(messageBoxButtons(box), (std::vector<int>{IDYES, IDNO}));
        EXPECT_FALSE(IsWindowEnabled(main_)) << "the question is not task-modal";
        ASSERT_TRUE(answerMessageBox(box, IDYES));

        waitUntil([&] { return powerRequests(before).size() >= quick.requests.size() && !quick.requests.empty(); },
                  kQuietMs);
        EXPECT_EQ(powerRequests(before), quick.requests);
        EXPECT_TRUE(app_.running());
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main_) && responsive(main_); }, kBoxTimeoutMs));
        EXPECT_FALSE(anyBoxOpen(pid())) << "something was shown after the request";
    }
}

TEST_F(PowerTest, EachQuickCommandAnsweredNoRequestsNothing) {
    for (const QuickCommand& quick : kQuickCommands) {
        SCOPED_TRACE(quick.title);
        const std::size_t before = powerRequestsSize();
        ASSERT_TRUE(PostMessageA(main_, WM_COMMAND, MAKEWPARAM(quick.command, 0), 0));
        HWND box = waitForMessageBox(quick.title, pid(), kBoxTimeoutMs);
        ASSERT_NE(box, nullptr) << "no question";
        ASSERT_TRUE(answerMessageBox(box, IDNO));
        Sleep(kQuietMs);
        EXPECT_TRUE(powerRequests(before).empty());
        EXPECT_TRUE(app_.running());
        EXPECT_FALSE(anyBoxOpen(pid()));
    }
}

// ------------------------------------------------------------------ the scheduled task

struct TaskAction {
    std::size_t radio;  // position of the radio button in the group
    const char* message;
    std::vector<std::string> requests;
};

const TaskAction kTaskActions[] = {
    {0, "关机", {kPowerOffRequest}},
    {1, "重启", {kRebootRequest}},
    {2, "注销", {kPowerOffRequest}},
    {3, "休眠", {}},
};

// One copy of the program per action: a worker goes on reading the later radio
// buttons after its box is dismissed, so choosing the next action in the same copy
// could reach a worker that has not ended yet.
class ScheduledTaskTest : public PowerTest, public testing::WithParamInterface<TaskAction> {};

TEST_P(ScheduledTaskTest, FiresOnceWithTheCheckedActionAndItsMessage) {
    const TaskAction& action = GetParam();
    ASSERT_NO_FATAL_FAILURE(choose(radios_[action.radio]));
    ASSERT_NO_FATAL_FAILURE(setTimeAhead(kLeadSeconds));
    const std::size_t before = powerRequestsSize();
    ASSERT_NO_FATAL_FAILURE(arm());
    EXPECT_TRUE(powerRequests(before).empty()) << "fired before its time";

    HWND box = waitForMessageBox(kDefaultTitle, pid(), (kLeadSeconds + 5) * 1000);
    ASSERT_NE(box, nullptr) << "the task did not fire";
    EXPECT_EQ(messageBoxText(box), action.message);
    EXPECT_EQ(messageBoxButtons(box), std::vector<int>{IDOK});

    // The worker's box leaves the main window usable, and the task stays armed and
    // does not fire again.
    Sleep(kAfterFiringMs);
    EXPECT_EQ(openBoxes(kDefaultTitle, pid()), 1U) << "the task fired more than once";
    EXPECT_EQ(powerRequests(before), action.requests);
    EXPECT_EQ(windowText(button_), kArmedCaption);
    EXPECT_TRUE(IsWindowEnabled(main_)) << "the worker's box disables the main window";
    // Disarming while the worker's box is open: the main window answers the click.
    ASSERT_TRUE(postClick(button_));
    EXPECT_TRUE(waitForText(button_, kIdleCaption)) << windowText(button_);

    ASSERT_TRUE(answerMessageBox(box, IDOK));
    ASSERT_TRUE(waitUntil([&] { return !anyBoxOpen(pid()); }, kBoxTimeoutMs));
    EXPECT_TRUE(app_.running());
}

std::string actionName(const testing::TestParamInfo<TaskAction>& info) {
    static const char* const names[] = {"ShutDown", "Restart", "LogOff", "Suspend"};
    return names[info.param.radio];
}

INSTANTIATE_TEST_SUITE_P(EachAction, ScheduledTaskTest, testing::ValuesIn(kTaskActions), actionName);

TEST_F(PowerTest, ClickingTheArmedTaskDisarmsItWithoutABox) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    // An hour from now: it must not fire during the test.
    ASSERT_NO_FATAL_FAILURE(setTime((now.wHour + 1) % 24, now.wMinute, now.wSecond));
    ASSERT_NO_FATAL_FAILURE(arm());
    ASSERT_TRUE(postClick(button_));
    EXPECT_TRUE(waitForText(button_, kIdleCaption)) << windowText(button_);
    Sleep(kQuietMs);
    EXPECT_FALSE(anyBoxOpen(pid()));
    EXPECT_EQ(windowText(button_), kIdleCaption);
}

}  // namespace
}  // namespace tavik::e2e
