#pragma once
// The scheduled task: the time fields, their spinners, the arm/disarm button and the
// task timer's tick.

#include <cstdint>

#include "app/main_window.h"
#include "common/text.h"

struct App;

// What the armed task remembers between ticks.
struct ScheduledTask {};

// Full-width forms folded to ASCII, then a C-style decimal parse with 32-bit wrap-around.
std::int32_t textToInteger(const char* text);
// Plain decimal, no leading zeros.
Text integerToText(std::int64_t value);

// A spinner's adjusted event: +1 for the upper arrow, -1 for the lower.
void onSpinnerAdjusted(App& app, Control spinner, int direction);
void onTaskButtonClicked(App& app);
void onTaskTimerTick(App& app);
