// The managed world's main window: its size and place on the desktop, its life, and the
// switch between window and full screen.
#include <algorithm>
#include <string>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/UtilsString.h"

namespace {

uint16_t ClampDesktop(int32_t value)
{
    // 65535 means "unknown" in the fit state, so a real size stops one below it.
    return static_cast<uint16_t>(std::clamp<int32_t>(value, 1, 65534));
}

// Reads the desktop size whenever either dimension is still unknown.
void KnowDesktop(WindowFitState& fit)
{
    if (fit.desktopWidth != 65535 && fit.desktopHeight != 65535)
        return;
    int32_t width = 0, height = 0;
    if (Platform_GetDesktopSize(&width, &height) && width > 0 && height > 0) {
        fit.desktopWidth = ClampDesktop(width);
        fit.desktopHeight = ClampDesktop(height);
    }
}

}  // namespace

bool CManagedWorld::RendererIs(uint32_t mask) const
{
    const ModuleDescriptor* descriptor = m_pWorldData ? m_pWorldData->selected[kModule3D].pDescriptor : nullptr;
    return descriptor && (descriptor->mask & mask) == mask;
}

void CManagedWorld::ComputeWindowRect(WindowRect* pRect, uint16_t& width, uint16_t& height, uint8_t fullScreen,
                                      uint8_t resizable, const void* /*pMenu: no menus on this platform*/)
{
    if (m_fitWindowToDesktop) {
        WindowFitState& fit = GetManagedWindowState().fit;
        KnowDesktop(fit);
        FitWindowToDesktop(fit, width, height, fullScreen != 0);
    }
    if (!pRect)
        return;
    *pRect = {0, 0, width, height};
    // The frame around the client area is known once the window exists (the window manager
    // decides it); a full-screen window has none.
    int32_t top = 0, left = 0, bottom = 0, right = 0;
    if (!fullScreen && Platform_GetWindowBorders(GetMainWindow(), &top, &left, &bottom, &right)) {
        pRect->left -= left;
        pRect->top -= top;
        pRect->right += right;
        pRect->bottom += bottom;
    }
    (void)resizable;  // the frame is the same with or without sizing borders here
}

Status CManagedWorld::CreateMainWindow(uint16_t& width, uint16_t& height, uint8_t fullScreen, uint8_t resizable,
                                       const char16_t* className, const char16_t* appName,
                                       AppWindowRecord* pRecord, const void* pMenu)
{
    if (!pRecord)
        return kStatusFailed;
    m_pWindowRecord = pRecord;
    WindowRect rect{};
    ComputeWindowRect(&rect, width, height, fullScreen, resizable, pMenu);

    char16_t title[kWorldTextSize] = {};
    GetGameString(className, appName, title);
    const std::string titleUtf8 = UtilsString_ToUtf8(title);
    const std::string classUtf8 = className ? UtilsString_ToUtf8(className) : std::string();

    PlatformWindowDesc desc;
    desc.title = titleUtf8.c_str();
    desc.className = classUtf8.c_str();
    desc.x = 0;  // the client area at the rectangle's origin; PlaceWindow centres it
    desc.y = 0;
    desc.width = width;
    desc.height = height;
    desc.visible = false;
    desc.fullScreen = fullScreen != 0;
    desc.resizable = resizable != 0;
    desc.openGL = true;
    PlatformWindow* window = Platform_CreateWindow(desc);
    if (!window) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusSystemCallFailed;
        return kStatusSystemCallFailed;
    }
    pRecord->window = window;
    Platform_SetWindowUserPointer(window, static_cast<CManagedWorld*>(this));
    return kStatusOk;
}

Status CManagedWorld::PlaceWindow()
{
    if (!m_pWindowRecord)
        return kStatusFailed;
    if (m_pWorldData && m_pWorldData->fullScreen)
        return kStatusOk;
    PlatformWindow* window = m_pWindowRecord->window;
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t top = 0, left = 0, bottom = 0, right = 0;
    if (!Platform_GetWindowPosition(window, &x, &y) || !Platform_GetClientSize(window, &width, &height))
        return kStatusOk;  // no window to place
    Platform_GetWindowBorders(window, &top, &left, &bottom, &right);
    WindowFitState& fit = GetManagedWindowState().fit;
    KnowDesktop(fit);
    // The outer rectangle is what is centred, on the desktop itself: the window manager may not
    // have moved the window yet when its place is read back.
    int32_t outerX = 0, outerY = 0;
    const int32_t outerWidth = width + left + right, outerHeight = height + top + bottom;
    const int32_t desktopWidth = fit.desktopWidth == 65535 ? outerWidth : fit.desktopWidth;
    const int32_t desktopHeight = fit.desktopHeight == 65535 ? outerHeight : fit.desktopHeight;
    if (outerWidth <= desktopWidth && outerHeight <= desktopHeight) {
        outerX += (desktopWidth - outerWidth) / 2;
        outerY += (desktopHeight - outerHeight) / 2;
    } else {
        outerX = 0;
        outerY = 0;
    }
    Platform_SetWindowPosition(window, outerX + left, outerY + top);
    return kStatusOk;
}

Status CManagedWorld::ShowMainWindow()
{
    if (PlatformWindow* window = GetMainWindow()) {
        Platform_ShowWindow(window);
        Platform_RaiseWindow(window);
    }
    return kStatusOk;
}

Status CManagedWorld::HideMainWindow()
{
    if (PlatformWindow* window = GetMainWindow())
        Platform_HideWindow(window);
    return kStatusOk;
}

Status CManagedWorld::DestroyMainWindow()
{
    if (!m_pWindowRecord)
        return kStatusOk;
    if (PlatformWindow* window = m_pWindowRecord->window) {
        Platform_SetWindowUserPointer(window, nullptr);
        Platform_DestroyWindow(window);
        // Nothing may reach the window through the record once it is gone.
        if (m_pWorldData && m_pWorldData->pWindow == window)
            m_pWorldData->pWindow = nullptr;
    }
    m_pWindowRecord->window = nullptr;
    return kStatusOk;
}

Status CManagedWorld::ChangeDisplayMode(const char16_t* /*className*/, const char16_t* /*appName*/,
                                        uint8_t fullScreen, uint8_t /*keepWindow*/, const void* pMenu)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusFailed;
    w->displayChanging = 1;
    // Every failure clears the in-progress flag: left set, it would keep WM_DESTROY from
    // ending the program and WM_ACTIVATE from ever switching modes again.
    auto fail = [w]() {
        w->displayChanging = 0;
        return kStatusFailed;
    };
    const uint8_t changed = (fullScreen != 0) != (w->fullScreen != 0) ? 1 : 0;
    PlatformWindow* window = GetMainWindow();
    if (!window)
        return fail();

    // The window is switched in place: a new window would lose the renderer's context.
    if (m_p3DEngine && Failed(m_p3DEngine->Invalidate(changed)))
        return fail();
    const uint16_t displayWidth = w->virtualWidth;
    const uint16_t displayHeight = w->virtualHeight;
    uint16_t width = displayWidth, height = displayHeight;
    WindowRect rect{};
    ComputeWindowRect(&rect, width, height, fullScreen, w->resizable, pMenu);
    if (!Platform_SetWindowFullScreen(window, fullScreen != 0))
        return fail();
    if (!fullScreen && width > 0 && height > 0) {
        Platform_SetClientSize(window, width, height);
        Platform_SetWindowPosition(window, 0, 0);  // PlaceWindow centres it from the origin
    }
    int32_t clientWidth = width, clientHeight = height;
    Platform_GetClientSize(window, &clientWidth, &clientHeight);
    Resize(clientWidth, static_cast<uint16_t>(std::clamp<int32_t>(clientHeight, 0, 0xFFFF)), 1);
    if (m_p3DEngine &&
        Failed(m_p3DEngine->Init(window, displayWidth, displayHeight, fullScreen, w->colorDepth, changed)))
        return fail();
    w->fullScreen = fullScreen;

    m_pfnDisplayChange(kDisplayChangedCode, window);
    if (Failed(PlaceWindow()) || Failed(ShowMainWindow()))
        return fail();
    w->displayChanging = 0;
    Platform_PostMessage(window, WM_SETCURSOR, 0, 0);
    return kStatusOk;
}
