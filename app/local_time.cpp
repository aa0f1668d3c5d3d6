#include "app/local_time.h"

#include "app/program.h"

Text dateTimeToText(int, int, int, int, int, int) { return Text(); }
void showLocalTime(App&) {}
