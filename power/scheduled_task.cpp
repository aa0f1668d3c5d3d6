#include "power/scheduled_task.h"

#include <array>
#include <cstring>

#include "app/program.h"
#include "common/control_properties.h"
#include "common/message_box.h"
#include "power/power_action.h"

namespace {

constexpr const char* IdleCaption = "执行任务";
constexpr const char* ArmedCaption = "取消任务";
constexpr const char* MissingTimeText = "任务执行的时间请填写完整，否则不能执行计划。";
constexpr const char* MissingTimeTitle = "任务时间填写不完整";
constexpr const char* MissingActionText = "任务目标没选择，请选择个任务的目标！";
constexpr const char* MissingActionTitle = "任务目标不完整";
constexpr const char* ArmedText = "恭喜！任务完成，等待执行\r\n如需更改点-取消任务-";
constexpr const char* ArmedTitle = "任务执行成功";
constexpr int TaskPeriodMs = 1000;
constexpr int StoppedPeriod = 0;

constexpr int HoursPerDay = 24;
constexpr int MinutesPerHour = 60;
constexpr int SecondsPerMinute = 60;
constexpr int SecondsPerHour = MinutesPerHour * SecondsPerMinute;

// Code page 936 bytes that textToInteger folds.
constexpr unsigned char FirstLeadByte = 0x80;
constexpr unsigned char FullWidthAsciiLead = 0xA3;
constexpr unsigned char FullWidthAsciiFirst = 0xA1;
constexpr unsigned char FullWidthAsciiLast = 0xFE;
constexpr unsigned char FullWidthAsciiOffset = 0x80;
constexpr unsigned char SymbolLead = 0xA1;
constexpr unsigned char IdeographicSpaceTrail = 0xA1;
constexpr unsigned char WaveDashTrail = 0xAB;
constexpr unsigned char FirstStarTrail = 0xEE;
constexpr unsigned char SecondStarTrail = 0xEF;

constexpr std::uint32_t DecimalBase = 10;
// "%.13g" of a 32-bit value, its sign and the NUL fit with room to spare.

constexpr std::array<Control, 3> TimeFields{Control::编辑框_时, Control::编辑框_分, Control::编辑框_秒};

struct SpinnerBinding {
    Control spinner;
    Control field;
    int upWhileAtMost;
    int downWhileAtLeast;
};

constexpr std::array<SpinnerBinding, 3> Spinners{{
    {Control::调节器1, Control::编辑框_时, 22, 1},
    {Control::调节器2, Control::编辑框_分, 58, 1},
    {Control::调节器3, Control::编辑框_秒, 58, 1},
}};

struct WorkerRow {
    Control radio;
    PowerAction action;
    const char* message;
};

constexpr std::array<WorkerRow, 4> WorkerRows{{
    {Control::单选框1, poweraction::Shutdown, "关机"},
    {Control::单选框2, poweraction::Restart, "重启"},
    {Control::单选框3, poweraction::LogOff, "注销"},
    {Control::单选框4, poweraction::Suspend, "休眠"},
}};

// Full-width ASCII, the ideographic space, the wave dash and the two stars become their
// ASCII look-alikes; every other character is kept. A lead byte with no trail byte
// before the NUL is dropped. Folding never makes a text longer.
Text foldFullWidth(const char* text) {
    Text folded = Text::allocate(textLength(text));
    char* out = folded.data();
    for (const char* at = text; *at != '\0'; ++at) {
        const auto lead = static_cast<unsigned char>(at[0]);
        if (lead < FirstLeadByte) {
            *out++ = at[0];
            continue;
        }
        const auto trail = static_cast<unsigned char>(at[1]);
        if (trail == '\0') {
            break;
        }
        ++at;
        if (lead == FullWidthAsciiLead && trail >= FullWidthAsciiFirst && trail <= FullWidthAsciiLast) {
            *out++ = static_cast<char>(trail - FullWidthAsciiOffset);
        } else if (lead == SymbolLead && trail == IdeographicSpaceTrail) {
            *out++ = ' ';
        } else if (lead == SymbolLead && trail == WaveDashTrail) {
            *out++ = '~';
        } else if (lead == SymbolLead && (trail == FirstStarTrail || trail == SecondStarTrail)) {
            *out++ = '*';
        } else {
            *out++ = static_cast<char>(lead);
            *out++ = static_cast<char>(trail);
        }
    }
    return folded;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The two's-complement reading of 32 bits.
std::int32_t toSigned(std::uint32_t bits) {
    constexpr std::uint32_t HighestPositive = 0x7FFFFFFF;
    if (bits <= HighestPositive) {
        return static_cast<std::int32_t>(bits);
    }
    return -static_cast<std::int32_t>(~bits) - 1;
}

Hwnd handleOf(App& app, Control control) { return app.main.handle(control); }

void writeField(App& app, Control field, const char* text) {
    writeText(app.platform, handleOf(app, field), controlId(field), text);
}

// The time of day the fields name, or none when a field is out of range (such a task
// never fires). An empty field counts as 0.
std::optional<int> targetTimeOfDay(App& app) {
    std::array<std::int32_t, TimeFields.size()> values{};
    for (std::size_t i = 0; i < TimeFields.size(); ++i) {
        const Text text = readText(app.platform, handleOf(app, TimeFields[i]));
        values[i] = textToInteger(text.get());
    }
    const auto [hour, minute, second] = values;
    if (hour < 0 || hour >= HoursPerDay || minute < 0 || minute >= MinutesPerHour || second < 0 ||
        second >= SecondsPerMinute) {
        return std::nullopt;
    }
    return hour * SecondsPerHour + minute * SecondsPerMinute + second;
}

int timeOfDay(const LocalTime& time) {
    return time.hour * SecondsPerHour + time.minute * SecondsPerMinute + time.second;
}

// Seconds from `from` forward to `to` on the clock face of one day.
int secondsForward(int from, int to) { return ((to - from) % SecondsPerDay + SecondsPerDay) % SecondsPerDay; }

// The body of a task worker: carries out the checked action and names it. Runs on a
// thread of its own; the radio buttons are read when it runs, not at the tick.
void runTaskWorker(void* context) {
    App& app = *static_cast<App*>(context);
    for (const WorkerRow& row : WorkerRows) {
        if (readChecked(app.platform, handleOf(app, row.radio))) {
            performPowerAction(app.platform, row.action, true);
            showMessageBox(app.platform, row.message, nullptr, win::MbOk);
        }
    }
}

void startTaskWorker(App& app) {
    const KernelHandle worker = app.platform.createThread(runTaskWorker, &app);
    if (worker != KernelHandle::none) {
        app.platform.closeHandle(worker);
    }
}

void setTaskPeriod(App& app, int period) {
    writePeriod(app.platform, handleOf(app, Control::任务时钟), app.main.state(Control::任务时钟), period);
}

void writeTaskCaption(App& app, const char* caption) {
    writeCaption(app.platform, handleOf(app, Control::按钮1), caption, false);
}

bool anyTimeFieldEmpty(App& app) {
    for (const Control field : TimeFields) {
        const Text text = readText(app.platform, handleOf(app, field));
        if (compareTexts(text.get(), "") == 0) {
            return true;
        }
    }
    return false;
}

bool anyActionChosen(App& app) {
    for (const WorkerRow& row : WorkerRows) {
        if (readChecked(app.platform, handleOf(app, row.radio))) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool advanceTaskClock(ScheduledTask& task, int now, std::optional<int> target) {
    const int sincePrevious = task.ticked ? secondsForward(task.previousTick, now) : SecondsPerDay;
    bool fires = false;
    if (target.has_value()) {
        if (sincePrevious <= CatchUpSeconds) {
            // The seconds after the previous tick, up to and including this one; empty
            // when both ticks fall in the same second.
            const int toTarget = secondsForward(task.previousTick, *target);
            fires = toTarget >= 1 && toTarget <= sincePrevious;
        } else {
            fires = *target == now;
        }
    }
    task.ticked = true;
    task.previousTick = now;
    return fires;
}

std::int32_t textToInteger(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const Text folded = foldFullWidth(text);
    const char* at = folded.get();
    while (isSpace(*at)) {
        ++at;
    }
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+') {
        ++at;
    }
    std::uint32_t value = 0;
    for (; isDigit(*at); ++at) {
        value = value * DecimalBase + static_cast<std::uint32_t>(*at - '0');
    }
    return toSigned(negative ? 0U - value : value);
}

// Every value that reaches here is a 32-bit integer plus or minus one, which "%.13g"
// would write as plain digits: formatting it as an integer gives the same text.
Text integerToText(std::int64_t value) {
    char digits[DecimalDigitsMax];
    const std::size_t length = formatDecimal(value, digits);
    Text text = Text::allocate(length);
    std::memcpy(text.data(), digits, length);
    return text;
}

void onSpinnerAdjusted(App& app, Control spinner, int direction) {
    for (const SpinnerBinding& binding : Spinners) {
        if (binding.spinner != spinner) {
            continue;
        }
        const Text text = readText(app.platform, handleOf(app, binding.field));
        const std::int64_t value = textToInteger(text.get());
        if (direction > 0 && value <= binding.upWhileAtMost) {
            writeField(app, binding.field, integerToText(value + 1).get());
        } else if (direction < 0 && value >= binding.downWhileAtLeast) {
            writeField(app, binding.field, integerToText(value - 1).get());
        }
        return;
    }
}

void onTaskButtonClicked(App& app) {
    const Text caption = readText(app.platform, handleOf(app, Control::按钮1));
    if (compareTexts(caption.get(), ArmedCaption) == 0) {
        app.task = ScheduledTask{};
        setTaskPeriod(app, StoppedPeriod);
        writeTaskCaption(app, IdleCaption);
        return;
    }
    if (anyTimeFieldEmpty(app)) {
        showMessageBox(app.platform, MissingTimeText, MissingTimeTitle, win::MbIconInformation);
        return;
    }
    if (!anyActionChosen(app)) {
        showMessageBox(app.platform, MissingActionText, MissingActionTitle, win::MbIconInformation);
        return;
    }
    // Armed only once the box is dismissed: a target that went by meanwhile waits a day.
    showMessageBox(app.platform, ArmedText, ArmedTitle, win::MbOk);
    app.task = ScheduledTask{};
    setTaskPeriod(app, TaskPeriodMs);
    writeTaskCaption(app, ArmedCaption);
}

void onTaskTimerTick(App& app) {
    const int now = timeOfDay(app.platform.getLocalTime());
    if (advanceTaskClock(app.task, now, targetTimeOfDay(app))) {
        startTaskWorker(app);
    }
}
