#include "PlatformWin32.h"

#include <cstdio>
#include <new>

namespace {

constexpr int32_t kMaxWindowSize = 16384;
// The property that names the window's owner, as the system's own tools show it.
constexpr const wchar_t* kUserPointerProperty = L"pWorld";

// The outer rectangle of a client area of this size at (x, y) for the window's style.
RECT OuterRect(DWORD style, int32_t x, int32_t y, int32_t width, int32_t height)
{
    RECT rect{x, y, x + width, y + height};
    AdjustWindowRectEx(&rect, style, FALSE, 0);
    return rect;
}

RECT MonitorRect(HWND hwnd)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoW(monitor, &info))
        return info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool SizeAllowed(int32_t width, int32_t height)
{
    return width > 0 && height > 0 && width <= kMaxWindowSize && height <= kMaxWindowSize;
}

}  // namespace

bool Platform_DisplayNamed()
{
    return true;  // the desktop is always there
}

bool Platform_HasDisplay()
{
    return PlatformWin32::RegisterWindowClass() && GetSystemMetrics(SM_CXSCREEN) > 0;
}

void Platform_ShutdownDisplay()
{
    PlatformWin32::UnregisterWindowClass();
}

PlatformWindow* Platform_CreateWindow(const PlatformWindowDesc& desc)
{
    if (!SizeAllowed(desc.width, desc.height)) {
        char detail[64];
        std::snprintf(detail, sizeof detail, "size %dx%d", desc.width, desc.height);
        PlatformWin32::SetError("a window cannot have this size", detail);
        return nullptr;
    }
    // The program's class by its own name, so that the system finds its window by it.
    const std::wstring className = desc.className && *desc.className ? PlatformWideText::FromUtf8(desc.className)
                                                                      : std::wstring(PlatformWin32::kWindowClassName);
    if (!PlatformWin32::RegisterWindowClass(className))
        return nullptr;
    auto* window = new (std::nothrow) PlatformWindow;
    if (!window) {
        PlatformWin32::SetError("the window cannot be made", "out of memory");
        return nullptr;
    }
    window->openGL = desc.openGL;
    window->resizable = desc.resizable;

    const int32_t desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    const int32_t desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    const DWORD style = PlatformWin32::WindowedStyle(desc.resizable);
    const int32_t x = desc.x == kPlatformWindowCentred ? (desktopWidth - desc.width) / 2 : desc.x;
    const int32_t y = desc.y == kPlatformWindowCentred ? (desktopHeight - desc.height) / 2 : desc.y;
    const RECT outer = OuterRect(style, x, y, desc.width, desc.height);

    const std::wstring title = PlatformWideText::FromUtf8(desc.title);
    PlatformWin32::AddWindow(window);
    HWND hwnd = CreateWindowExW(0, className.c_str(), title.c_str(), style,
                                outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, GetModuleHandleW(nullptr), window);
    if (!hwnd) {
        PlatformWin32::SetError("the window cannot be made");
        PlatformWin32::RemoveWindow(window);
        PlatformWin32::PumpForgetWindow(window);
        delete window;
        return nullptr;
    }
    window->hwnd = hwnd;
    if (desc.fullScreen)
        Platform_SetWindowFullScreen(window, true);
    if (desc.visible)
        Platform_ShowWindow(window);
    return window;
}

void Platform_DestroyWindow(PlatformWindow* window)
{
    if (!PlatformWin32::IsLive(window))
        return;
    PlatformWin32::InputForgetWindow(window);
    // Not ours any more before it goes: the messages of its end (focus, activation) are
    // nobody's, and nothing of it stays queued.
    PlatformWin32::RemoveWindow(window);
    RemovePropW(window->hwnd, kUserPointerProperty);
    SetWindowLongPtrW(window->hwnd, GWLP_USERDATA, 0);
    DestroyWindow(window->hwnd);
    PlatformWin32::PumpForgetWindow(window);
    delete window;
}

void Platform_ShowWindow(PlatformWindow* window)
{
    if (HWND hwnd = PlatformWin32::Hwnd(window)) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
}

void Platform_HideWindow(PlatformWindow* window)
{
    if (HWND hwnd = PlatformWin32::Hwnd(window))
        ShowWindow(hwnd, SW_HIDE);
}

void Platform_RaiseWindow(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return;
    ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd);
    BringWindowToTop(hwnd);
    SetFocus(hwnd);
}

void Platform_MinimiseWindow(PlatformWindow* window)
{
    if (HWND hwnd = PlatformWin32::Hwnd(window))
        ShowWindow(hwnd, SW_MINIMIZE);
}

bool Platform_IsWindowMinimised(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    return hwnd && IsIconic(hwnd);
}

bool Platform_IsWindowVisible(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    return hwnd && IsWindowVisible(hwnd);
}

bool Platform_WindowHasFocus(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    return hwnd && GetFocus() == hwnd;
}

bool Platform_SetWindowTitle(PlatformWindow* window, const char* titleUtf8)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    const std::wstring title = PlatformWideText::FromUtf8(titleUtf8);
    if (!SetWindowTextW(hwnd, title.c_str())) {
        PlatformWin32::SetError("the title cannot be set");
        return false;
    }
    return true;
}

bool Platform_GetWindowPosition(PlatformWindow* window, int32_t* x, int32_t* y)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    if (x)
        *x = origin.x;
    if (y)
        *y = origin.y;
    return true;
}

void Platform_SetWindowPosition(PlatformWindow* window, int32_t x, int32_t y)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return;
    RECT outer{};
    POINT origin{0, 0};
    GetWindowRect(hwnd, &outer);
    ClientToScreen(hwnd, &origin);
    SetWindowPos(hwnd, nullptr, x - (origin.x - outer.left), y - (origin.y - outer.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Platform_GetClientSize(PlatformWindow* window, int32_t* width, int32_t* height)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    RECT client{};
    GetClientRect(hwnd, &client);
    if (width)
        *width = client.right - client.left;
    if (height)
        *height = client.bottom - client.top;
    return true;
}

void Platform_SetClientSize(PlatformWindow* window, int32_t width, int32_t height)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd || !SizeAllowed(width, height))
        return;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const RECT outer = OuterRect(style, 0, 0, width, height);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Platform_GetWindowBorders(PlatformWindow* window, int32_t* top, int32_t* left, int32_t* bottom,
                               int32_t* right)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    RECT outer{}, client{};
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    const int32_t t = origin.y - outer.top;
    const int32_t l = origin.x - outer.left;
    const int32_t b = outer.bottom - (origin.y + client.bottom);
    const int32_t r = outer.right - (origin.x + client.right);
    if (top)
        *top = t;
    if (left)
        *left = l;
    if (bottom)
        *bottom = b;
    if (right)
        *right = r;
    return true;
}

bool Platform_SetWindowFullScreen(PlatformWindow* window, bool fullScreen)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    if (fullScreen == window->fullScreen)
        return true;
    const LONG_PTR visible = GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE;
    // In place: the window, its device context and so its GL context survive the switch.
    if (fullScreen) {
        window->windowedStyle = GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_VISIBLE;
        GetWindowRect(hwnd, &window->windowedRect);
        const RECT monitor = MonitorRect(hwnd);
        SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(PlatformWin32::FullScreenStyle()) | visible);
        SetWindowPos(hwnd, HWND_TOP, monitor.left, monitor.top, monitor.right - monitor.left,
                     monitor.bottom - monitor.top, SWP_FRAMECHANGED | SWP_NOACTIVATE);
    } else {
        LONG_PTR style = window->windowedStyle ? window->windowedStyle
                                               : static_cast<LONG_PTR>(PlatformWin32::WindowedStyle(window->resizable));
        const RECT& rect = window->windowedRect;
        SetWindowLongPtrW(hwnd, GWL_STYLE, style | visible);
        SetWindowPos(hwnd, HWND_NOTOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_FRAMECHANGED | SWP_NOACTIVATE);
    }
    window->fullScreen = fullScreen;
    return true;
}

bool Platform_IsWindowFullScreen(PlatformWindow* window)
{
    return PlatformWin32::IsLive(window) && window->fullScreen;
}

void Platform_SetWindowResizable(PlatformWindow* window, bool resizable)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd || resizable == window->resizable)
        return;
    window->resizable = resizable;
    const LONG_PTR frame = WS_THICKFRAME | WS_MAXIMIZEBOX;
    if (window->fullScreen) {
        // Taken up when the window goes back to its frame.
        window->windowedStyle = resizable ? (window->windowedStyle | frame) : (window->windowedStyle & ~frame);
        return;
    }
    // The client area keeps its size: the frame grows or shrinks around it.
    int32_t width = 0, height = 0;
    Platform_GetClientSize(window, &width, &height);
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    style = resizable ? (style | frame) : (style & ~frame);
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    const RECT outer = OuterRect(static_cast<DWORD>(style), 0, 0, width, height);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Platform_SetWindowUserPointer(PlatformWindow* window, void* pointer)
{
    if (HWND hwnd = PlatformWin32::Hwnd(window)) {
        if (pointer)
            SetPropW(hwnd, kUserPointerProperty, pointer);
        else
            RemovePropW(hwnd, kUserPointerProperty);
    }
}

void* Platform_GetWindowUserPointer(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    return hwnd ? GetPropW(hwnd, kUserPointerProperty) : nullptr;
}

bool Platform_GetDesktopSize(int32_t* width, int32_t* height)
{
    const int32_t w = GetSystemMetrics(SM_CXSCREEN);
    const int32_t h = GetSystemMetrics(SM_CYSCREEN);
    if (w <= 0 || h <= 0) {
        PlatformWin32::SetError("the desktop size is unknown");
        return false;
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}
