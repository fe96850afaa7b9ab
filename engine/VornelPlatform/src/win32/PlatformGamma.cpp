#include "PlatformWin32.h"

#include "VornelPlatform/PlatformGamma.h"

// The ramp belongs to the screen's device context: the window only says that a display of
// ours is there.
bool Platform_GetGammaRamp(PlatformWindow* window, uint16_t* red, uint16_t* green, uint16_t* blue)
{
    if (!PlatformWin32::IsLive(window) || !red || !green || !blue)
        return false;
    WORD ramp[3][kPlatformGammaEntries];
    HDC screen = GetDC(nullptr);
    const bool read = screen && GetDeviceGammaRamp(screen, ramp);
    if (screen)
        ReleaseDC(nullptr, screen);
    if (!read) {
        PlatformWin32::SetError("the display has no gamma ramp");
        return false;
    }
    for (uint32_t i = 0; i < kPlatformGammaEntries; ++i) {
        red[i] = ramp[0][i];
        green[i] = ramp[1][i];
        blue[i] = ramp[2][i];
    }
    return true;
}

bool Platform_SetGammaRamp(PlatformWindow* window, const uint16_t* red, const uint16_t* green,
                           const uint16_t* blue)
{
    if (!PlatformWin32::IsLive(window) || !red || !green || !blue)
        return false;
    WORD ramp[3][kPlatformGammaEntries];
    for (uint32_t i = 0; i < kPlatformGammaEntries; ++i) {
        ramp[0][i] = red[i];
        ramp[1][i] = green[i];
        ramp[2][i] = blue[i];
    }
    HDC screen = GetDC(nullptr);
    const bool taken = screen && SetDeviceGammaRamp(screen, ramp);
    if (screen)
        ReleaseDC(nullptr, screen);
    if (!taken) {
        PlatformWin32::SetError("the display refused the gamma ramp");
        return false;
    }
    return true;
}
