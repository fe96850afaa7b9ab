#include "VornelPlatform/PlatformGamma.h"

#include "PlatformSdl.h"

bool Platform_GetGammaRamp(PlatformWindow* window, uint16_t* red, uint16_t* green, uint16_t* blue)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl || !red || !green || !blue)
        return false;
    Uint16 r[kPlatformGammaEntries], g[kPlatformGammaEntries], b[kPlatformGammaEntries];
    if (SDL_GetWindowGammaRamp(sdl, r, g, b) != 0) {
        PlatformSdl::SetError("the display has no gamma ramp");
        return false;
    }
    for (uint32_t i = 0; i < kPlatformGammaEntries; ++i) {
        red[i] = r[i];
        green[i] = g[i];
        blue[i] = b[i];
    }
    return true;
}

bool Platform_SetGammaRamp(PlatformWindow* window, const uint16_t* red, const uint16_t* green,
                           const uint16_t* blue)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl || !red || !green || !blue)
        return false;
    if (SDL_SetWindowGammaRamp(sdl, red, green, blue) != 0) {
        PlatformSdl::SetError("the display refused the gamma ramp");
        return false;
    }
    return true;
}
