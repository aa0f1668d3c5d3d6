#pragma once
// The four power actions and the quick commands that run them at once.

#include <cstdint>

#include "platform/platform.h"

struct App;

// 1 shut down, 2 restart, 3 log off, 4 suspend.
using PowerAction = std::int32_t;
namespace poweraction {
inline constexpr PowerAction Shutdown = 1;
inline constexpr PowerAction Restart = 2;
inline constexpr PowerAction LogOff = 3;
inline constexpr PowerAction Suspend = 4;
}  // namespace poweraction

// Enables the shutdown privilege (NT family only), then asks for the action. True when
// the privilege step succeeded and the system accepted the request.
bool performPowerAction(Platform& platform, PowerAction action, bool force);

// The quick commands of the menu: a Yes/No question, then the action on Yes.
void quickShutdown(App& app);
void quickRestart(App& app);
void quickLogOff(App& app);
void quickSuspend(App& app);
