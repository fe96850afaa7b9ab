#include "PlatformWin32.h"

#include "VornelPlatform/PlatformInput.h"

namespace {

PlatformWindow* g_clipped = nullptr;
// Our own display count, which starts at 0 as the header promises; the system's count (which
// need not start there) is moved until it shows or hides the cursor as ours says.
int32_t g_cursorCount = 0;

bool IsLockKey(uint32_t virtualKey)
{
    return virtualKey == VK_CAPITAL || virtualKey == VK_NUMLOCK || virtualKey == VK_SCROLL;
}

}  // namespace

namespace PlatformWin32 {

void InputForgetWindow(PlatformWindow* window)
{
    if (GetCapture() == window->hwnd)
        ReleaseCapture();
    if (g_clipped == window) {
        ClipCursor(nullptr);
        g_clipped = nullptr;
    }
}

}  // namespace PlatformWin32

int16_t Platform_GetKeyState(uint32_t virtualKey)
{
    if (virtualKey == 0 || virtualKey > 0xFE)
        return 0;
    // The keyboard as it is now, not as the messages taken so far tell it: a key held at start
    // is seen before any window has the keyboard.
    int16_t result = (GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) ? int16_t(0x8000) : int16_t(0);
    if (IsLockKey(virtualKey) && (GetKeyState(static_cast<int>(virtualKey)) & 1))
        result = static_cast<int16_t>(result | 1);
    return result;
}

int32_t Platform_ShowCursor(bool show)
{
    g_cursorCount += show ? 1 : -1;
    const bool wanted = g_cursorCount >= 0;
    CURSORINFO info{};
    info.cbSize = sizeof info;
    const bool showing = GetCursorInfo(&info) ? (info.flags & CURSOR_SHOWING) != 0 : !wanted;
    // Moved only across the line, so the system's count never drifts away from it.
    if (wanted != showing) {
        for (int guard = 0; guard < 64; ++guard) {
            const int count = ShowCursor(wanted ? TRUE : FALSE);
            if ((count >= 0) == wanted)
                break;
        }
    }
    return g_cursorCount;
}

bool Platform_ClipCursor(PlatformWindow* window)
{
    if (!window) {
        g_clipped = nullptr;
        return ClipCursor(nullptr) != 0;
    }
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    RECT client{};
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!ClipCursor(&client))
        return false;
    g_clipped = window;
    return true;
}

bool Platform_SetCapture(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    SetCapture(hwnd);
    return GetCapture() == hwnd;
}

void Platform_ReleaseCapture()
{
    if (PlatformWin32::FromHwnd(GetCapture()))
        ReleaseCapture();
}

PlatformWindow* Platform_GetCapture()
{
    return PlatformWin32::FromHwnd(GetCapture());
}
