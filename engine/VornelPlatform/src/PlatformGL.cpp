#include "VornelPlatform/PlatformGL.h"

#include "PlatformSdl.h"

PlatformGLContext* Platform_GL_CreateContext(PlatformWindow* window)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl || !window->openGL) {
        SDL_SetError("not a GL window");
        PlatformSdl::SetError("no GL context can be made");
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    if (!context) {
        PlatformSdl::SetError("no GL context can be made");
        return nullptr;
    }
    return static_cast<PlatformGLContext*>(context);
}

bool Platform_GL_DeleteContext(PlatformGLContext* context)
{
    if (context && PlatformSdl::VideoStarted())
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    return true;  // SDL reports nothing
}

bool Platform_GL_MakeCurrent(PlatformWindow* window, PlatformGLContext* context)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    if (SDL_GL_MakeCurrent(sdl, static_cast<SDL_GLContext>(context)) != 0) {
        PlatformSdl::SetError("the GL context cannot be made current");
        return false;
    }
    return true;
}

void Platform_GL_SwapWindow(PlatformWindow* window)
{
    if (SDL_Window* sdl = PlatformSdl::Sdl(window))
        SDL_GL_SwapWindow(sdl);
}

bool Platform_GL_SetSwapInterval(int32_t interval)
{
    if (!PlatformSdl::VideoStarted())
        return false;
    if (SDL_GL_SetSwapInterval(interval) != 0) {
        PlatformSdl::SetError("the swap interval is refused");
        return false;
    }
    return true;
}

int32_t Platform_GL_GetSwapInterval()
{
    if (!PlatformSdl::VideoStarted())
        return 0;
    return SDL_GL_GetSwapInterval();
}

void* Platform_GL_GetProcAddress(const char* name)
{
    if (!name || !PlatformSdl::VideoStarted() || !SDL_GL_GetCurrentContext())
        return nullptr;
    return SDL_GL_GetProcAddress(name);
}

bool Platform_GL_GetDrawableSize(PlatformWindow* window, int32_t* width, int32_t* height)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdl, &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}
