#include "power/scheduled_task.h"

#include "app/program.h"

std::int32_t textToInteger(const char*) { return 0; }
Text integerToText(std::int64_t) { return Text(); }
void onSpinnerAdjusted(App&, Control, int) {}
void onTaskButtonClicked(App&) {}
void onTaskTimerTick(App&) {}
