#pragma once
// The program: one process, one window, one game world, driven by the window's message loop.
#include <cstdint>

#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/Status.h"

class CNimbrelWorld;
struct PlatformWindow;

// The exit status of the program: 0 after a normal end, -1 after a failure or when another
// instance was brought to the front.
int NimbrelMain(int argc, char** argv);

// What the command line asks. Any argument at all turns the single-instance check off;
// "--frames N" (N > 0) also ends the message loop after N frames.
struct NimbrelCommandLine {
    bool empty = true;
    uint32_t frameLimit = 0;  // 0: no limit
};
NimbrelCommandLine ParseCommandLine(int argc, const char* const* argv);

// The window procedure: frames on WM_TIMER, every message to the world found through the
// window's user pointer. -1 when the world refused a message, else 0.
intptr_t WindowProc(const PlatformMessage& message);

// The world's display-change callback: for code 21 the window title becomes the game string
// keyed by the window class name. 0.
Status UpdateWindowTitle(uint32_t code, PlatformWindow* window);

// The timer period of a frame rate: 1000 / frames per second, truncated to milliseconds.
uint32_t FrameTimerPeriod(int32_t framesPerSecond);

// Box captions and texts.
void ShowWarningBox(const char16_t* text);
// "An error occurred while loading..." followed by the error text in parentheses when there
// is one.
void ShowErrorBox(const char16_t* errorText);

// The one world of the process (null before it is made and after it is deleted).
extern CNimbrelWorld* g_pWorld;

// Frames run so far, and the limit of the command line (0: none); reaching it asks the loop to
// end.
void SetFrameLimit(uint32_t limit);
void CountFrame();
