// The display's mode around a full screen that changes it: the game's mode while it is in
// front, and the desktop's own whenever the player leaves it.
#include "PlatformWin32.h"

bool Platform_SetFullScreenDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    if (width <= 0 || height <= 0 || ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
        PlatformWin32::SetError("the display mode cannot be changed", "the display refuses the mode");
        return false;
    }
    return true;
}

bool Platform_RestoreDesktopDisplayMode()
{
    if (ChangeDisplaySettingsW(nullptr, 0) != DISP_CHANGE_SUCCESSFUL) {
        PlatformWin32::SetError("the display mode cannot be changed", "the desktop's mode is refused");
        return false;
    }
    return true;
}
