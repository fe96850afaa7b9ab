// The Windows device steps: the display mode for full screen and the renderer's pixel format.
#include "GLDevice_GL.h"

#include "VornelPlatform/PlatformNative.h"

#include <windows.h>

namespace {

// Double buffered RGBA with 8 bits a colour, a 64-bit accumulation buffer, 32 depth bits (the
// driver gives the nearest it has) and an 8-bit stencil.
PIXELFORMATDESCRIPTOR RendererPixelFormat()
{
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_STEREO_DONTCARE;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cRedBits = 8;
    descriptor.cRedShift = 16;
    descriptor.cGreenBits = 8;
    descriptor.cGreenShift = 8;
    descriptor.cBlueBits = 8;
    descriptor.cBlueShift = 0;
    descriptor.cAccumBits = 64;
    descriptor.cAccumRedBits = 16;
    descriptor.cAccumGreenBits = 16;
    descriptor.cAccumBlueBits = 16;
    descriptor.cDepthBits = 32;
    descriptor.cStencilBits = 8;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    return descriptor;
}

Status SetRendererPixelFormat(HWND hwnd)
{
    HDC dc = GetDC(hwnd);
    if (!dc)
        return kStatusSystemCallFailed;
    const PIXELFORMATDESCRIPTOR descriptor = RendererPixelFormat();
    const int format = ChoosePixelFormat(dc, &descriptor);
    // A window keeps the format it was first given; the same format again is accepted.
    const int current = GetPixelFormat(dc);
    const bool set = format != 0 && (current == format || SetPixelFormat(dc, format, &descriptor));
    // The descriptor asks for 32-bit colour, which never needs a palette: palette formats (8-bit
    // colour index) are not taken, so there is no palette to make.
    ReleaseDC(hwnd, dc);
    return set ? kStatusOk : kStatusFailed;
}

// The full-screen window covered the display in the mode it had; it covers it in the new one,
// so that the client area is the display again.
void CoverTheDisplay(HWND hwnd)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !GetMonitorInfoW(monitor, &info))
        return;
    const RECT& area = info.rcMonitor;
    SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
}

}  // namespace

Status GLDevice_PrepareWindow(PlatformWindow* window, uint16_t width, uint16_t height, uint8_t colorDepth,
                              uint8_t& fullscreen)
{
    HWND hwnd = static_cast<HWND>(Platform_GetNativeWindow(window));
    if (!hwnd)
        return kStatusFailed;
    bool modeChanged = false;
    if (fullscreen) {
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmBitsPerPel = colorDepth;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        modeChanged = ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
        if (modeChanged)
            CoverTheDisplay(hwnd);
        else
            fullscreen = 0;  // the display keeps its mode and the window stays windowed
    }
    const Status formatted = SetRendererPixelFormat(hwnd);
    // A renderer that cannot start must not leave the desktop in the game's mode.
    if (Failed(formatted) && modeChanged)
        ChangeDisplaySettingsW(nullptr, 0);
    return formatted;
}

void GLDevice_ReleaseWindow(PlatformWindow*, uint8_t fullscreen)
{
    if (fullscreen)
        ChangeDisplaySettingsW(nullptr, 0);
}
