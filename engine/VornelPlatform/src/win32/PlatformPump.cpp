#include "PlatformWin32.h"

#include <algorithm>
#include <deque>

#include "VornelPlatform/PlatformInstance.h"
#include "VornelPlatform/PlatformPump.h"

namespace {

constexpr UINT kMinimumTimerPeriod = 10;

// What the window procedure kept, in the order it came, including what the system sent to
// a window outside the pump (activation and size changes inside a ShowWindow call).
std::deque<PlatformMessage> g_kept;
bool g_quitRequested = false;

PlatformMessage Make(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    PlatformMessage m{};
    m.window = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

bool TakeKept(PlatformMessage* message)
{
    if (g_kept.empty())
        return false;
    *message = g_kept.front();
    g_kept.pop_front();
    return true;
}

void RaiseAllWindows()
{
    for (PlatformWindow* window : PlatformWin32::Windows())
        Platform_RaiseWindow(window);
}

}  // namespace

namespace PlatformWin32 {

void QueueMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    // One WM_TIMER per timer however late, as the system's queue has it: a modal loop (a box,
    // a window being dragged) dispatches timers that nobody takes until it ends.
    if (message == WM_TIMER && std::any_of(g_kept.begin(), g_kept.end(), [&](const PlatformMessage& m) {
            return m.message == WM_TIMER && m.window == window && m.wParam == wParam;
        }))
        return;
    g_kept.push_back(Make(window, message, wParam, lParam));
}

void PumpForgetWindow(PlatformWindow* window)
{
    g_kept.erase(std::remove_if(g_kept.begin(), g_kept.end(),
                                [window](const PlatformMessage& m) { return m.window == window; }),
                 g_kept.end());
}

}  // namespace PlatformWin32

bool Platform_PeekMessage(PlatformMessage* message)
{
    if (!message)
        return false;
    if (Platform_TakeRaiseRequest())
        RaiseAllWindows();
    if (TakeKept(message))
        return true;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            g_quitRequested = false;
            // Behind whatever the system sent to a window while it looked for it.
            g_kept.push_back(Make(nullptr, WM_QUIT, msg.wParam, 0));
        } else if (!msg.hwnd) {
            // Posted to the thread (no window): straight to the engine.
            g_kept.push_back(Make(nullptr, msg.message, msg.wParam, msg.lParam));
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (TakeKept(message))
            return true;
    }
    return TakeKept(message);
}

bool Platform_WaitMessage(uint32_t timeoutMs)
{
    if (!g_kept.empty() || g_quitRequested)
        return true;
    const DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return result == WAIT_OBJECT_0 || !g_kept.empty();
}

bool Platform_PostMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (!window) {
        // The thread's queue exists from the first look into it; a post may come first.
        MSG none;
        PeekMessageW(&none, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        return PostThreadMessageW(GetCurrentThreadId(), message, wParam, lParam) != 0;
    }
    HWND hwnd = PlatformWin32::Hwnd(window);
    return hwnd && PostMessageW(hwnd, message, wParam, lParam) != 0;
}

void Platform_PostQuitMessage(int32_t exitCode)
{
    g_quitRequested = true;
    PostQuitMessage(exitCode);
}

bool Platform_SetTimer(PlatformWindow* window, uintptr_t id, uint32_t periodMs)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    return SetTimer(hwnd, id, std::max<UINT>(periodMs, kMinimumTimerPeriod), nullptr) != 0;
}

bool Platform_KillTimer(PlatformWindow* window, uintptr_t id)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    return hwnd && KillTimer(hwnd, id) != 0;
}
