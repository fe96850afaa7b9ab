#pragma once
// The message pump: window events, posted messages, timers and the quit request become
// message records (PlatformMessage.h), taken one at a time.
//
// Order of delivery: posted messages, then window events, then WM_QUIT once a quit was
// requested, then WM_TIMER for a timer whose deadline passed (one per timer, however late).
#include <cstdint>

#include "VornelPlatform/PlatformMessage.h"

// Takes the next message; false when nothing is waiting. Never blocks.
bool Platform_PeekMessage(PlatformMessage* message);

// Blocks until a message is waiting or timeoutMs has passed; true when one is waiting.
bool Platform_WaitMessage(uint32_t timeoutMs);

// Appends a message for the pump to deliver; false when out of memory.
bool Platform_PostMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam);

// Requests WM_QUIT (wParam = exitCode), delivered when the other messages have been taken.
void Platform_PostQuitMessage(int32_t exitCode);

// Starts or restarts the timer (window, id): WM_TIMER with wParam = id every periodMs
// (at least 10). Timers are not kept for a null window.
bool Platform_SetTimer(PlatformWindow* window, uintptr_t id, uint32_t periodMs);
bool Platform_KillTimer(PlatformWindow* window, uintptr_t id);

// Virtual-key code of a key named by its keyboard position (USB usage id, as SDL numbers
// scancodes), with the US layout; 0 for a key without one. The numeric keypad gives the
// navigation keys while Num Lock is off.
uint32_t Platform_VirtualKeyFromScancode(uint32_t scancode, bool numLock);
