#pragma once

// Real input for the Windows-side test programs (the end-to-end driver, the bench
// and the soak driver), and the spots on screen it aims at. Mouse and keys go
// through SendInput, as the user's would, so they reach whatever window is under
// the pointer or holds the focus; the rest looks at other processes' windows.
#include <windows.h>

#include <initializer_list>
#include <string>

namespace tavik::e2e {

// Pause after moving onto a point and between pressing and releasing a button.
constexpr DWORD kClickPauseMs = 50;
// How long the foreground must stay put before keys are sent to it.
constexpr DWORD kFrontStableMs = 400;
constexpr int kFrontAttempts = 3;
// A drag moves in this many steps, this long apart.
constexpr int kDragSteps = 8;
constexpr DWORD kDragStepMs = 15;
// Time-out of a message sent to another program's window.
constexpr DWORD kSendMessageTimeoutMs = 2000;
// How often a wait looks again.
constexpr DWORD kWaitStepMs = 20;

// ---------------------------------------------------------------- points
POINT cursorPos();
POINT centreOf(HWND window);               // centre of the window rect, in screen coordinates
POINT clientPoint(HWND window, POINT at);  // a point of window's client area, in screen coordinates
POINT emptySpot();                         // near the bottom right corner, where no test puts a window

// ---------------------------------------------------------------- mouse
enum class MouseButton { Left, Right };

// An absolute move to the exact pixel; returns once the cursor is there (false on time-out).
bool moveMouseTo(POINT to);
void mouseButton(bool down, MouseButton button = MouseButton::Left);
// Moves onto `at`, waits pauseMs, presses, waits pauseMs, releases.
void click(POINT at, MouseButton button = MouseButton::Left, DWORD pauseMs = kClickPauseMs);
void doubleClick(POINT at);
// Moves from where the cursor is to `to` in steps, as a hand would, so that a
// window holding the capture sees the moves on the way.
void dragTo(POINT to, int steps = kDragSteps, DWORD stepMs = kDragStepMs);

// ---------------------------------------------------------------- keyboard
// The keys pressed in order and released in reverse, as one chord (SendInput: they go
// to the foreground window's focus).
void sendKeys(std::initializer_list<WORD> keys);
// Alt+key, pressed and released as one chord.
void sendAltChord(WORD key);
// WM_KEYDOWN and WM_KEYUP of key, posted to window (no focus needed).
void postKey(HWND window, WPARAM key);
// Types text as characters (VK_PACKET) into whatever has the keyboard focus.
void typeText(const std::string& text);

// ---------------------------------------------------------------- focus
// Waits until the foreground window has not changed for stableMs (at most a second):
// Wine resets its idea of the Alt key on every focus change, so a chord sent during
// one is lost. Returns whether it settled.
bool waitForegroundSettled(DWORD stableMs);
// Makes window the foreground window (clicking into its client area when
// SetForegroundWindow is not enough) and waits until it has stayed so for stableMs.
bool bringToFront(HWND window, DWORD stableMs = kFrontStableMs, int attempts = kFrontAttempts);

// ---------------------------------------------------------------- other programs' windows
// WM_SETTEXT, sent with a time-out; whether it was answered.
bool setText(HWND control, const std::string& text, DWORD timeoutMs = kSendMessageTimeoutMs);
// Whether window's thread answers a WM_NULL within timeoutMs.
bool responsive(HWND window, DWORD timeoutMs = kSendMessageTimeoutMs);
// The window holding the mouse capture on window's thread, or null.
HWND captureOf(HWND window);
// The visible pop-up menu (#32768) of process pid, or null; waiting for one.
HWND visiblePopUpMenu(DWORD pid);
HWND waitForPopUpMenu(DWORD pid, DWORD timeoutMs, DWORD stepMs = kWaitStepMs);

}  // namespace tavik::e2e
