#pragma once
// OpenGL contexts on platform windows (made with desc.openGL), for the GL renderer.
#include <cstdint>

struct PlatformWindow;
struct PlatformGLContext;

// Creates a context on the window and makes it current; null on failure.
PlatformGLContext* Platform_GL_CreateContext(PlatformWindow* window);
// False when the system refuses to delete the context (it is gone from here either way); a
// null context is nothing to delete.
bool Platform_GL_DeleteContext(PlatformGLContext* context);
bool Platform_GL_MakeCurrent(PlatformWindow* window, PlatformGLContext* context);

void Platform_GL_SwapWindow(PlatformWindow* window);

// 0 immediate, 1 synchronised with the vertical retrace, -1 adaptive; false when refused.
bool Platform_GL_SetSwapInterval(int32_t interval);
// The current context's swap interval; 0 without a context.
int32_t Platform_GL_GetSwapInterval();

// Address of a GL entry point by name; null when unknown or without a current context.
void* Platform_GL_GetProcAddress(const char* name);

// Size of the window's drawable in pixels.
bool Platform_GL_GetDrawableSize(PlatformWindow* window, int32_t* width, int32_t* height);
