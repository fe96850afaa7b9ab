#pragma once
// Shared state of the Win32 side of the platform layer: the window class, the live windows,
// the messages the window procedure took for the pump, and the last error text.
//
// Our headers come before windows.h: their message, key and flag constants carry the values of
// its macros, which would otherwise turn the constants' own declarations into numbers.
#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformWindow.h"

#include <windows.h>

#include <string>
#include <vector>

#include "PlatformWideText.h"

struct PlatformWindow {
    HWND hwnd = nullptr;
    bool openGL = false;
    bool resizable = false;
    bool fullScreen = false;
    // The framed window that full screen replaced: style and outer rectangle.
    LONG_PTR windowedStyle = 0;
    RECT windowedRect{};
};

namespace PlatformWin32 {

// The class of every window of ours that asks for none by name. Every class of ours has the
// one window procedure, which keeps each message that the engine reads for the pump and leaves
// the rest to the system.
extern const wchar_t* const kWindowClassName;
bool RegisterWindowClass(const std::wstring& name = kWindowClassName);
// Every class of ours, once no window of ours is left.
void UnregisterWindowClass();

// The platform window behind a window handle; null for a window that is not ours (or no
// longer alive).
PlatformWindow* FromHwnd(HWND hwnd);
bool IsLive(const PlatformWindow* window);
HWND Hwnd(PlatformWindow* window);

void AddWindow(PlatformWindow* window);
void RemoveWindow(PlatformWindow* window);
const std::vector<PlatformWindow*>& Windows();

// Window styles: the framed window (with sizing borders when resizable) and full screen.
DWORD WindowedStyle(bool resizable);
DWORD FullScreenStyle();

// The last error text: the context plus the system's description of GetLastError().
void SetError(const char* context);
// The context plus a detail of our own.
void SetError(const char* context, const char* detail);

// The pump's side: a message for Platform_PeekMessage, and the messages and state of a
// window that goes away.
void QueueMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PumpForgetWindow(PlatformWindow* window);
void InputForgetWindow(PlatformWindow* window);

}  // namespace PlatformWin32
