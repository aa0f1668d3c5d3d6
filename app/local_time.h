#pragma once
// The local-time line at the top of the main window.

#include "common/text.h"

struct App;

// "2015年11月28日9时5分7秒": zero trailing units left out, no leading zeros.
Text dateTimeToText(int year, int month, int day, int hour, int minute, int second);
// Fills the local-time label with "本地时间：" and the current date and time.
void showLocalTime(App& app);
