#pragma once
// The steps of the engine's device life that belong to the system. On Windows the engine
// changes the display mode for full screen and gives the window the renderer's pixel format
// itself; elsewhere the window layer did both when it made the window (desktop full screen,
// the GL visual), and these steps have nothing to do.
#include <cstdint>

#include "VornelUtils/Status.h"

struct PlatformWindow;

// Before the first context is made (and again after every Invalidate). fullscreen is cleared
// when the display refuses the mode: the window then stays windowed. kStatusSystemCallFailed
// when the window gives no device context, kStatusFailed when it cannot take the pixel format.
Status GLDevice_PrepareWindow(PlatformWindow* window, uint16_t width, uint16_t height, uint8_t colorDepth,
                              uint8_t& fullscreen);

// Gives the display mode back (after a full-screen PrepareWindow).
void GLDevice_ReleaseWindow(PlatformWindow* window, uint8_t fullscreen);
