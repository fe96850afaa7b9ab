#pragma once
// Shared state of the SDL side of the platform layer: the video subsystem, the live windows
// and the last error text.
#include <SDL.h>

#include <vector>

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    void* userPointer = nullptr;
    bool openGL = false;
};

namespace PlatformSdl {

// DISPLAY or WAYLAND_DISPLAY is set and not empty.
bool DisplayInEnvironment();

// Starts the video subsystem once; false (with the error text set) when there is no display.
bool StartVideo();
bool VideoStarted();
void StopVideo();

// The platform window behind an SDL window id; null for a window that is not ours.
PlatformWindow* FromWindowId(Uint32 windowId);
// The window is one of ours and still alive.
bool IsLive(const PlatformWindow* window);
SDL_Window* Sdl(PlatformWindow* window);

void AddWindow(PlatformWindow* window);
void RemoveWindow(PlatformWindow* window);
const std::vector<PlatformWindow*>& Windows();

void SetError(const char* context);  // context plus SDL's own error text

// Hooks of the other parts when a window goes away.
void PumpForgetWindow(PlatformWindow* window);
void InputForgetWindow(PlatformWindow* window);

}  // namespace PlatformSdl
