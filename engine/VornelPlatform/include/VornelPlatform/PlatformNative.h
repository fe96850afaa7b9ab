#pragma once
// Windows builds only: the system's own handle of a platform window, for the back ends that
// talk to the system's device interfaces themselves (WGL, Direct3D, DirectSound).

struct PlatformWindow;

// The window's HWND; null for a null or destroyed window.
void* Platform_GetNativeWindow(PlatformWindow* window);
