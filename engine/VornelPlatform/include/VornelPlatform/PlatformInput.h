#pragma once
// Keyboard state and the mouse cursor: visibility, confinement to a window and capture.
#include <cstdint>

struct PlatformWindow;

// The state of a virtual key (PlatformMessage.h): the high bit (0x8000, a negative value) is
// set while the key is down, bit 0 while a lock key is toggled on. Works before any window
// exists (the state of the display's keyboard), so a key held at start can be seen.
int16_t Platform_GetKeyState(uint32_t virtualKey);

// Raises (show) or lowers the cursor display count and returns the new count; the cursor is
// shown while the count is 0 or more. The count starts at 0.
int32_t Platform_ShowCursor(bool show);

// Keeps the pointer inside the window; null frees it.
bool Platform_ClipCursor(PlatformWindow* window);

// While captured, pointer events reach the window also outside it (positions may then be
// negative or beyond the client size).
bool Platform_SetCapture(PlatformWindow* window);
void Platform_ReleaseCapture();
PlatformWindow* Platform_GetCapture();
