#include "PlatformWin32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::vector<PlatformWindow*> g_windows;
char g_lastError[512] = "";
std::vector<std::wstring> g_classes;  // registered by this program, unregistered together

// The messages the engine reads, and the private ones (WM_USER up to the strings' range) that
// a program posts to itself. The rest, registered strings that the system broadcasts among
// them, is the system's business.
bool KeptForTheEngine(UINT message)
{
    switch (message) {
    case WM_SIZE: case WM_ACTIVATE: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_CLOSE:
    case WM_CANCELMODE: case WM_SETCURSOR: case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR:
    case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_TIMER: case WM_MOUSEMOVE: case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: case WM_MOUSEWHEEL: case WM_XBUTTONDOWN: case WM_XBUTTONUP:
    case WM_MOUSEHWHEEL:
        return true;
    default:
        return message >= WM_USER && message < 0xC000;
    }
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETMINMAXINFO) {
        // A client area as small as asked: the system's smallest frame would otherwise widen
        // a small window to fit its caption buttons. (This comes before the creation's own
        // messages, so before the window is known.)
        DefWindowProcW(hwnd, message, wParam, lParam);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize.x = 1;
        limits->ptMinTrackSize.y = 1;
        return 0;
    }
    if (message == WM_NCCREATE) {
        // The platform window rides along with the creation, so that the messages of the
        // creation itself already find it.
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* window = static_cast<PlatformWindow*>(create->lpCreateParams);
        if (window)
            window->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    PlatformWindow* window = PlatformWin32::FromHwnd(hwnd);
    if (!window)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (KeptForTheEngine(message))
        PlatformWin32::QueueMessage(window, message, wParam, lParam);

    switch (message) {
    case WM_CLOSE:
        return 0;  // the engine decides whether the window goes
    case WM_SYSCOMMAND:
        // Alt or F10 alone would enter the window menu's loop, in which no frame runs.
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (wParam == VK_RETURN)
            return 0;  // Alt+Enter is the engine's: no beep for a key without a menu entry
        break;
    case WM_ERASEBKGND:
        if (window->openGL)
            return 1;  // GL paints every pixel: no flash of the class background
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

namespace PlatformWin32 {

const wchar_t* const kWindowClassName = L"VornelWindow";

bool RegisterWindowClass(const std::wstring& name)
{
    if (std::find(g_classes.begin(), g_classes.end(), name) != g_classes.end())
        return true;
    // Sizes are pixels of the display, not of a scaled desktop.
    SetProcessDPIAware();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // A device context of its own per window: the pixel format and a GL context stay with it.
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    // The program's own icon where it carries one (resource 115), else the system's.
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(115));
    if (!windowClass.hIcon)
        windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        SetError("the window class cannot be registered");
        return false;
    }
    g_classes.push_back(name);
    return true;
}

void UnregisterWindowClass()
{
    if (!g_windows.empty())
        return;
    for (const std::wstring& name : g_classes)
        UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
    g_classes.clear();
}

PlatformWindow* FromHwnd(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto* window = reinterpret_cast<PlatformWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return IsLive(window) && window->hwnd == hwnd ? window : nullptr;
}

bool IsLive(const PlatformWindow* window)
{
    return window && std::find(g_windows.begin(), g_windows.end(), window) != g_windows.end();
}

HWND Hwnd(PlatformWindow* window)
{
    return IsLive(window) ? window->hwnd : nullptr;
}

void AddWindow(PlatformWindow* window)
{
    g_windows.push_back(window);
}

void RemoveWindow(PlatformWindow* window)
{
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
}

const std::vector<PlatformWindow*>& Windows()
{
    return g_windows;
}

DWORD WindowedStyle(bool resizable)
{
    DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    if (resizable)
        style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    return style;
}

DWORD FullScreenStyle()
{
    return WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;
}

void SetError(const char* context)
{
    const DWORD code = GetLastError();
    wchar_t detail[256] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, detail, static_cast<DWORD>(sizeof detail / sizeof detail[0]),
                                        nullptr);
    std::string text = length ? PlatformWideText::ToUtf8(detail) : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty() && code != 0) {
        char number[32];
        std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(code));
        text = number;
    }
    SetError(context, text.c_str());
}

void SetError(const char* context, const char* detail)
{
    if (detail && *detail)
        std::snprintf(g_lastError, sizeof g_lastError, "%s (%s)", context, detail);
    else
        std::snprintf(g_lastError, sizeof g_lastError, "%s", context);
}

}  // namespace PlatformWin32

const char* Platform_GetLastErrorText()
{
    return g_lastError;
}
