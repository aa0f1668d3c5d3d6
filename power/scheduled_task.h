#pragma once
// The scheduled task: the time fields, their spinners, the arm/disarm button and the
// task timer's tick.

#include <cstdint>
#include <optional>

#include "app/main_window.h"
#include "common/text.h"

struct App;

// Times of day are counted in seconds from midnight.
inline constexpr int SecondsPerDay = 24 * 60 * 60;
// A target time that went by between two ticks of the armed task is still carried out
// when the earlier tick was at most this many seconds before the later one. Ticks
// drift, so the target second may hold no tick at all; a longer gap (a resume from
// sleep, a clock change) is not made up for late.
inline constexpr int CatchUpSeconds = 5;

// What the armed task remembers between ticks: the time of day of its previous tick.
// Cleared whenever the task is armed or disarmed.
struct ScheduledTask {
    bool ticked = false;
    int previousTick = 0;
};

// The tick decision. `now` is the time of day of this tick, `target` that of the fields
// (none when they name no time of day). Fires when the target is `now`, or lies after
// the previous tick and not after `now` with that tick at most CatchUpSeconds back.
// Each occurrence of the target fires once: a second tick within the same second does
// not fire again, and the first tick after arming fires only on an exact match.
// Remembers `now` as the previous tick.
bool advanceTaskClock(ScheduledTask& task, int now, std::optional<int> target);

// Full-width forms folded to ASCII, then a C-style decimal parse with 32-bit wrap-around.
std::int32_t textToInteger(const char* text);
// Plain decimal, no leading zeros.
Text integerToText(std::int64_t value);

// A spinner's adjusted event: +1 for the upper arrow, -1 for the lower.
void onSpinnerAdjusted(App& app, Control spinner, int direction);
void onTaskButtonClicked(App& app);
void onTaskTimerTick(App& app);
