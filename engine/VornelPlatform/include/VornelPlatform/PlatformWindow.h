#pragma once
// Windows of the display: creation with a GL-capable visual, state, geometry, full screen and
// a user pointer per window. A display is needed; every function tolerates a null window.
#include <cstdint>

struct PlatformWindow;

constexpr int32_t kPlatformWindowCentred = INT32_MIN;  // as x or y: centred on the desktop

struct PlatformWindowDesc {
    const char* title = "";        // UTF-8
    const char* className = nullptr;  // the system's window class, where it has them (UTF-8);
                                      // null or empty: the platform's own
    int32_t x = kPlatformWindowCentred;
    int32_t y = kPlatformWindowCentred;
    int32_t width = 640;           // client size
    int32_t height = 480;
    bool visible = false;          // shown at once, else by Platform_ShowWindow
    bool fullScreen = false;       // desktop full screen
    bool resizable = false;
    bool openGL = true;            // RGB 8/8/8, depth 24, stencil 8, double buffered
};

// True when the environment names a display (DISPLAY, WAYLAND_DISPLAY) or the user chose SDL's
// video driver (SDL_VIDEODRIVER). Without either, SDL would fall back to a driver that shows
// nothing, and a game would run unseen.
bool Platform_DisplayNamed();

// True when a display can be opened (the video subsystem starts). Started once, on demand.
// Unless SDL_VIDEODRIVER chooses a driver, only the X11 or Wayland display counts.
bool Platform_HasDisplay();

// Closes the display connection once every window is gone; a later call opens it again.
void Platform_ShutdownDisplay();

// Null when the display cannot be opened or the window cannot be made.
PlatformWindow* Platform_CreateWindow(const PlatformWindowDesc& desc);
void Platform_DestroyWindow(PlatformWindow* window);

void Platform_ShowWindow(PlatformWindow* window);
void Platform_HideWindow(PlatformWindow* window);
// Brings the window to the front, restores it when minimised and gives it the keyboard.
void Platform_RaiseWindow(PlatformWindow* window);
void Platform_MinimiseWindow(PlatformWindow* window);

bool Platform_IsWindowMinimised(PlatformWindow* window);
bool Platform_IsWindowVisible(PlatformWindow* window);
// True when the window has the keyboard focus.
bool Platform_WindowHasFocus(PlatformWindow* window);

bool Platform_SetWindowTitle(PlatformWindow* window, const char* titleUtf8);

// Position of the window's client area on the desktop.
bool Platform_GetWindowPosition(PlatformWindow* window, int32_t* x, int32_t* y);
void Platform_SetWindowPosition(PlatformWindow* window, int32_t x, int32_t y);

bool Platform_GetClientSize(PlatformWindow* window, int32_t* width, int32_t* height);
void Platform_SetClientSize(PlatformWindow* window, int32_t width, int32_t height);

// Thickness of the decoration around the client area; all 0 when there is none.
bool Platform_GetWindowBorders(PlatformWindow* window, int32_t* top, int32_t* left,
                               int32_t* bottom, int32_t* right);

// Desktop full screen, switched in place so that a GL context survives.
bool Platform_SetWindowFullScreen(PlatformWindow* window, bool fullScreen);
bool Platform_IsWindowFullScreen(PlatformWindow* window);

// The display's mode while the program is full screen, and the desktop's own mode back, where
// the renderer's full screen changes the mode (Windows: width x height at bitsPerPixel). Where
// full screen is the desktop's own (SDL), there is no mode to change and both succeed.
bool Platform_SetFullScreenDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel);
bool Platform_RestoreDesktopDisplayMode();
void Platform_SetWindowResizable(PlatformWindow* window, bool resizable);

// One pointer kept with the window for its owner (the world).
void Platform_SetWindowUserPointer(PlatformWindow* window, void* pointer);
void* Platform_GetWindowUserPointer(PlatformWindow* window);

// Size of the desktop of the first display; false without a display.
bool Platform_GetDesktopSize(int32_t* width, int32_t* height);

// Why the last window, display or GL call failed (UTF-8, never null).
const char* Platform_GetLastErrorText();
