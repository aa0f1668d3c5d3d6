#pragma once

// Names shared by target_app.exe and the driver that checks it.
constexpr const char* kTargetClassName = "TavikE2ETargetWindow";
constexpr const char* kTargetDefaultTitle = "Tavik E2E Target";
constexpr int kTargetButtonId = 1001;
constexpr int kTargetEditId = 1002;
constexpr unsigned kHangTimerId = 77;
