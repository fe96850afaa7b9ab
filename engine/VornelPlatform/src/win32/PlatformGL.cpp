#include "PlatformWin32.h"

#include <new>

#include "VornelPlatform/PlatformGL.h"
#include "VornelPlatform/PlatformNative.h"

struct PlatformGLContext {
    HGLRC rendering = nullptr;
};

namespace {

using SwapIntervalFn = BOOL(WINAPI*)(int);
using GetSwapIntervalFn = int(WINAPI*)();

// The window's pixel format, chosen once: the first context decides it unless the renderer
// chose one of its own before. RGB 8/8/8, depth 24, stencil 8, double buffered.
bool EnsurePixelFormat(HDC dc)
{
    if (GetPixelFormat(dc) != 0)
        return true;
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 24;
    descriptor.cDepthBits = 24;
    descriptor.cStencilBits = 8;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &descriptor);
    if (format == 0 || !SetPixelFormat(dc, format, &descriptor)) {
        PlatformWin32::SetError("no pixel format for GL");
        return false;
    }
    return true;
}

HMODULE OpenGLLibrary()
{
    static HMODULE library = LoadLibraryW(L"opengl32.dll");
    return library;
}

void* WglEntry(const char* name)
{
    if (!wglGetCurrentContext())
        return nullptr;
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}

}  // namespace

void* Platform_GetNativeWindow(PlatformWindow* window)
{
    return PlatformWin32::Hwnd(window);
}

PlatformGLContext* Platform_GL_CreateContext(PlatformWindow* window)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd || !window->openGL) {
        PlatformWin32::SetError("no GL context can be made", "not a GL window");
        return nullptr;
    }
    HDC dc = GetDC(hwnd);  // the window's own (CS_OWNDC): kept, never released
    if (!dc || !EnsurePixelFormat(dc))
        return nullptr;
    auto* context = new (std::nothrow) PlatformGLContext;
    if (!context) {
        PlatformWin32::SetError("no GL context can be made", "out of memory");
        return nullptr;
    }
    context->rendering = wglCreateContext(dc);
    if (!context->rendering) {
        PlatformWin32::SetError("no GL context can be made");
        delete context;
        return nullptr;
    }
    if (!wglMakeCurrent(dc, context->rendering)) {
        PlatformWin32::SetError("the GL context cannot be made current");
        wglDeleteContext(context->rendering);
        delete context;
        return nullptr;
    }
    return context;
}

bool Platform_GL_DeleteContext(PlatformGLContext* context)
{
    if (!context)
        return true;
    if (wglGetCurrentContext() == context->rendering)
        wglMakeCurrent(nullptr, nullptr);
    const bool deleted = wglDeleteContext(context->rendering) != FALSE;
    if (!deleted)
        PlatformWin32::SetError("the GL context cannot be deleted");
    delete context;
    return deleted;
}

bool Platform_GL_MakeCurrent(PlatformWindow* window, PlatformGLContext* context)
{
    HWND hwnd = PlatformWin32::Hwnd(window);
    if (!hwnd)
        return false;
    const BOOL made = context ? wglMakeCurrent(GetDC(hwnd), context->rendering) : wglMakeCurrent(nullptr, nullptr);
    if (!made) {
        PlatformWin32::SetError("the GL context cannot be made current");
        return false;
    }
    return true;
}

void Platform_GL_SwapWindow(PlatformWindow* window)
{
    if (HWND hwnd = PlatformWin32::Hwnd(window))
        SwapBuffers(GetDC(hwnd));
}

bool Platform_GL_SetSwapInterval(int32_t interval)
{
    auto setInterval = reinterpret_cast<SwapIntervalFn>(WglEntry("wglSwapIntervalEXT"));
    if (!setInterval || !setInterval(interval)) {
        PlatformWin32::SetError("the swap interval is refused");
        return false;
    }
    return true;
}

int32_t Platform_GL_GetSwapInterval()
{
    auto getInterval = reinterpret_cast<GetSwapIntervalFn>(WglEntry("wglGetSwapIntervalEXT"));
    return getInterval ? getInterval() : 0;
}

void* Platform_GL_GetProcAddress(const char* name)
{
    if (!name || !wglGetCurrentContext())
        return nullptr;
    void* entry = reinterpret_cast<void*>(wglGetProcAddress(name));
    // The driver answers for what lies beyond OpenGL 1.1 (some drivers with a small number
    // instead of null); 1.1 itself is exported by the system's library.
    const auto value = reinterpret_cast<intptr_t>(entry);
    if (value >= -1 && value <= 3)
        entry = OpenGLLibrary() ? reinterpret_cast<void*>(GetProcAddress(OpenGLLibrary(), name)) : nullptr;
    return entry;
}

bool Platform_GL_GetDrawableSize(PlatformWindow* window, int32_t* width, int32_t* height)
{
    return Platform_GetClientSize(window, width, height);
}
