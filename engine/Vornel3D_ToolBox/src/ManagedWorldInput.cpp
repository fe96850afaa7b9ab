// The managed world's window messages: display and focus handling, the cursor rules, and the
// pointer input handed to the game in virtual-screen units.
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_ToolBox/CGammaRamp.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelPlatform/PlatformInput.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformWindow.h"

namespace {

constexpr uint32_t kMaskDX81 = 0x1000001;
constexpr uint32_t kMaskDXM = 0x1000010;
constexpr float kWheelNotch = 0.05f;
// ShowCursor steps are repeated until the count is where it must be; a bounded number of
// steps is plenty for any count the program reaches.
constexpr int kCursorStepLimit = 256;

}  // namespace

void CManagedWorld::MapPointer(PlatformMessage& message) const
{
    const WorldData* w = m_pWorldData;
    uint32_t orientation = w->orientation;
    if (m_p3DEngine && m_p3DEngine->GetView())
        orientation = m_p3DEngine->GetView()->GetOrientation();
    const uintptr_t position = static_cast<uintptr_t>(message.lParam);
    const VirtualPoint p = MapPointerToVirtual(Platform_SignedLowWord(position), Platform_SignedHighWord(position),
                                               w->scaleX, w->scaleY, orientation, w->virtualWidth,
                                               w->virtualHeight);
    message.lParam = Platform_MakeLParam(p.x, p.y);
}

Status CManagedWorld::OnMessage(const PlatformMessage* pMessage)
{
    WorldData* w = m_pWorldData;
    if (!w || !pMessage)
        return kStatusOk;
    PlatformMessage m = *pMessage;
    ManagedWindowState& state = GetManagedWindowState();
    auto pointX = [&m]() { return float(Platform_SignedLowWord(static_cast<uintptr_t>(m.lParam))); };
    auto pointY = [&m]() { return float(Platform_SignedHighWord(static_cast<uintptr_t>(m.lParam))); };

    switch (m.message) {
    case WM_DESTROY:
        if (!w->displayChanging)
            Platform_PostQuitMessage(0);
        return kStatusOk;
    case WM_SIZE:
        Resize(Platform_LowWord(static_cast<uintptr_t>(m.lParam)), Platform_HighWord(static_cast<uintptr_t>(m.lParam)),
               0);
        return kStatusOk;
    case WM_ACTIVATE:
        if (w->fullScreen && !w->displayChanging)
            return OnActivate(m);
        return kStatusOk;
    case WM_SETFOCUS:
        if (m_pGammaRamp)
            m_pGammaRamp->SetLevel(kGammaKeepLevel);
        return kStatusOk;
    case WM_KILLFOCUS:
        if (m_pGammaRamp)
            m_pGammaRamp->Restore();
        return kStatusOk;
    case WM_CANCELMODE:
        if (w->fullScreen)
            Platform_MinimiseWindow(m.window);
        return kStatusOk;
    case WM_SETCURSOR:
        OnSetCursor(m);
        return kStatusOk;
    case WM_KEYDOWN:
    case WM_RBUTTONDOWN:
        if (!m_inputBlock)
            CWorld::OnMessage(&m);
        return kStatusOk;
    case WM_SYSKEYDOWN:
        // Alt+Enter switches the display once per press: the key repeats while held.
        if (m.wParam == VK_RETURN && (m.lParam & 1) != 0) {
            if (!state.altEnterLatch &&
                Failed(ChangeDisplayMode(m_className, m_appName, w->fullScreen ? 0 : 1, 0, nullptr)))
                Platform_PostQuitMessage(0);
            state.altEnterLatch = 1;
        }
        return kStatusOk;
    case WM_SYSKEYUP:
        state.altEnterLatch = 0;
        return kStatusOk;
    case WM_LBUTTONDOWN:
        if (m_inputBlock)
            return kStatusOk;
        MapPointer(m);
        CWorld::OnMessage(&m);
        OnMouseDown(pointX(), pointY(), 0);
        return kStatusOk;
    case WM_MOUSEMOVE: {
        if (m_inputBlock)
            return kStatusOk;
        MapPointer(m);
        const float x = pointX(), y = pointY();
        // Only moves strictly inside the virtual screen count; the edges are dropped.
        if (!(x > 0.0f && x < float(w->virtualWidth) && y > 0.0f && y < float(w->virtualHeight)))
            return kStatusOk;
        CWorld::OnMessage(&m);
        OnMouseMove(x, y, 0);
        return kStatusOk;
    }
    case WM_LBUTTONUP:
        if (m_inputBlock)
            return kStatusOk;
        MapPointer(m);
        CWorld::OnMessage(&m);
        OnMouseUp(pointX(), pointY(), 0);
        return kStatusOk;
    case WM_MOUSEWHEEL:
        if (m_inputBlock)
            return kStatusOk;
        CWorld::OnMessage(&m);
        OnMouseWheel(Platform_SignedHighWord(m.wParam) > 0 ? kWheelNotch : -kWheelNotch);
        return kStatusOk;
    case WM_SIZING:
        OnSizing(m);
        return kStatusOk;
    default:
        CWorld::OnMessage(&m);
        return kStatusOk;
    }
}

Status CManagedWorld::OnActivate(const PlatformMessage& message)
{
    // Only WA_INACTIVE is a deactivation: a window activated by a click (WA_CLICKACTIVE, 2)
    // has bit 0 clear too, and taking it for one minimised the game under the player's click.
    const bool deactivated = Platform_LowWord(message.wParam) == WA_INACTIVE;
    if (deactivated) {
        if ((RendererIs(kMaskDX81) || RendererIs(kMaskDXM)) && m_p3DEngine && Failed(m_p3DEngine->Invalidate(1)))
            return kStatusFailed;
        // Where the renderer changed the display's mode, the player gets the desktop's back
        // while away from the game.
        if (!Platform_RestoreDesktopDisplayMode())
            return kStatusFailed;
        Platform_MinimiseWindow(message.window);
        Platform_PostMessage(message.window, WM_SETCURSOR, 0, 0);
        return kStatusOk;
    }
    const WorldData* w = m_pWorldData;
    if (!Platform_SetFullScreenDisplayMode(w->virtualWidth, w->virtualHeight, w->colorDepth))
        return kStatusFailed;
    if (Platform_IsWindowMinimised(message.window))
        Platform_RaiseWindow(message.window);
    Platform_PostMessage(message.window, WM_SETCURSOR, 0, 0);
    return kStatusOk;
}

void CManagedWorld::OnSetCursor(const PlatformMessage& message)
{
    const WorldData* w = m_pWorldData;
    ManagedWindowState& state = GetManagedWindowState();
    const uint8_t systemCursor = w->fullScreen ? w->cursorShownFullScreen : w->cursorShownWindowed;
    if (systemCursor) {
        Platform_ClipCursor(w->fullScreen ? message.window : nullptr);
        state.cursorCount = Platform_ShowCursor(true);
        return;
    }
    Platform_ClipCursor(nullptr);
    int steps = 0;
    if (Platform_LowWord(static_cast<uintptr_t>(message.lParam)) == HTCLIENT) {
        while (state.cursorCount >= 0 && steps++ < kCursorStepLimit)
            state.cursorCount = Platform_ShowCursor(false);
    } else {
        while (state.cursorCount < 1 && steps++ < kCursorStepLimit)
            state.cursorCount = Platform_ShowCursor(true);
    }
}

void CManagedWorld::OnSizing(const PlatformMessage& message)
{
    if (Platform_GetKeyState(VK_CONTROL) < 0 || Platform_GetKeyState(VK_SHIFT) < 0)
        return;
    auto* pRect = reinterpret_cast<WindowRect*>(message.lParam);
    if (!pRect)
        return;
    KeepDisplayShape(*pRect, message.wParam, m_pWorldData->virtualWidth, m_pWorldData->virtualHeight);
}
