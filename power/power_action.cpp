#include "power/power_action.h"

#include "app/program.h"

bool performPowerAction(Platform&, PowerAction, bool) { return false; }
void quickShutdown(App&) {}
void quickRestart(App&) {}
void quickLogOff(App&) {}
void quickSuspend(App&) {}
