#include "VornelPlatform/PlatformWindow.h"

#include <clocale>
#include <cstdlib>
#include <new>
#include <string>

#include "PlatformSdl.h"

namespace {

constexpr const char* kWindowDataKey = "PlatformWindow";
constexpr int32_t kMaxWindowSize = 16384;

}  // namespace

bool Platform_DisplayNamed()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return (driver && *driver) || PlatformSdl::DisplayInEnvironment();
}

bool Platform_HasDisplay()
{
    return PlatformSdl::StartVideo();
}

void Platform_ShutdownDisplay()
{
    if (!PlatformSdl::Windows().empty())
        return;
    PlatformSdl::StopVideo();
}

PlatformWindow* Platform_CreateWindow(const PlatformWindowDesc& desc)
{
    if (desc.width <= 0 || desc.height <= 0 || desc.width > kMaxWindowSize ||
        desc.height > kMaxWindowSize) {
        SDL_SetError("size %dx%d", desc.width, desc.height);
        PlatformSdl::SetError("a window cannot have this size");
        return nullptr;
    }
    if (!PlatformSdl::StartVideo())
        return nullptr;

    Uint32 flags = desc.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (desc.fullScreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (desc.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (desc.openGL) {
        // The visual is chosen when the window is made, so the attributes come first.
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        flags |= SDL_WINDOW_OPENGL;
    }
    int x = desc.x == kPlatformWindowCentred ? SDL_WINDOWPOS_CENTERED : desc.x;
    int y = desc.y == kPlatformWindowCentred ? SDL_WINDOWPOS_CENTERED : desc.y;

    auto* window = new (std::nothrow) PlatformWindow;
    if (!window) {
        SDL_SetError("out of memory");
        PlatformSdl::SetError("the window cannot be made");
        return nullptr;
    }
    window->sdl = SDL_CreateWindow(desc.title ? desc.title : "", x, y, desc.width, desc.height,
                                   flags);
    if (!window->sdl) {
        PlatformSdl::SetError("the window cannot be made");
        delete window;
        return nullptr;
    }
    window->openGL = desc.openGL;
    SDL_SetWindowData(window->sdl, kWindowDataKey, window);
    PlatformSdl::AddWindow(window);
    return window;
}

void Platform_DestroyWindow(PlatformWindow* window)
{
    if (!PlatformSdl::IsLive(window))
        return;
    PlatformSdl::PumpForgetWindow(window);
    PlatformSdl::InputForgetWindow(window);
    PlatformSdl::RemoveWindow(window);
    SDL_DestroyWindow(window->sdl);
    delete window;
}

void Platform_ShowWindow(PlatformWindow* window)
{
    if (SDL_Window* sdl = PlatformSdl::Sdl(window))
        SDL_ShowWindow(sdl);
}

void Platform_HideWindow(PlatformWindow* window)
{
    if (SDL_Window* sdl = PlatformSdl::Sdl(window))
        SDL_HideWindow(sdl);
}

void Platform_RaiseWindow(PlatformWindow* window)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return;
    SDL_ShowWindow(sdl);
    if (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(sdl);
    SDL_RaiseWindow(sdl);
    // Without a window manager nobody else hands out the keyboard.
    SDL_SetWindowInputFocus(sdl);
}

void Platform_MinimiseWindow(PlatformWindow* window)
{
    if (SDL_Window* sdl = PlatformSdl::Sdl(window))
        SDL_MinimizeWindow(sdl);
}

bool Platform_IsWindowMinimised(PlatformWindow* window)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

bool Platform_IsWindowVisible(PlatformWindow* window)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN) != 0 &&
           (SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN) == 0;
}

bool Platform_WindowHasFocus(PlatformWindow* window)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    return sdl && SDL_GetKeyboardFocus() == sdl;
}

bool Platform_SetWindowTitle(PlatformWindow* window, const char* titleUtf8)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    // Under X11 SDL converts the title through the C library's character type, and in the "C"
    // one (the program never sets another) a title beyond ASCII never reaches the name that
    // window managers show. Titles are UTF-8, so the conversion runs in a UTF-8 one.
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current ? current : "C";
    const bool switched = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    SDL_SetWindowTitle(sdl, titleUtf8 ? titleUtf8 : "");
    if (switched)
        std::setlocale(LC_CTYPE, saved.c_str());
    return true;
}

bool Platform_GetWindowPosition(PlatformWindow* window, int32_t* x, int32_t* y)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    int px = 0, py = 0;
    SDL_GetWindowPosition(sdl, &px, &py);
    if (x)
        *x = px;
    if (y)
        *y = py;
    return true;
}

void Platform_SetWindowPosition(PlatformWindow* window, int32_t x, int32_t y)
{
    if (SDL_Window* sdl = PlatformSdl::Sdl(window))
        SDL_SetWindowPosition(sdl, x, y);
}

bool Platform_GetClientSize(PlatformWindow* window, int32_t* width, int32_t* height)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

void Platform_SetClientSize(PlatformWindow* window, int32_t width, int32_t height)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl || width <= 0 || height <= 0 || width > kMaxWindowSize || height > kMaxWindowSize)
        return;
    SDL_SetWindowSize(sdl, width, height);
}

bool Platform_GetWindowBorders(PlatformWindow* window, int32_t* top, int32_t* left,
                               int32_t* bottom, int32_t* right)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    int t = 0, l = 0, b = 0, r = 0;
    if (SDL_GetWindowBordersSize(sdl, &t, &l, &b, &r) != 0)
        t = l = b = r = 0;  // no window manager: no decoration
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
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    if (SDL_SetWindowFullscreen(sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        PlatformSdl::SetError("the full-screen mode cannot be changed");
        return false;
    }
    return true;
}

bool Platform_IsWindowFullScreen(PlatformWindow* window)
{
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool Platform_SetFullScreenDisplayMode(int32_t, int32_t, int32_t)
{
    return true;  // the desktop's full screen keeps the desktop's mode
}

bool Platform_RestoreDesktopDisplayMode()
{
    return true;
}

void Platform_SetWindowResizable(PlatformWindow* window, bool resizable)
{
    if (SDL_Window* sdl = PlatformSdl::Sdl(window))
        SDL_SetWindowResizable(sdl, resizable ? SDL_TRUE : SDL_FALSE);
}

void Platform_SetWindowUserPointer(PlatformWindow* window, void* pointer)
{
    if (PlatformSdl::IsLive(window))
        window->userPointer = pointer;
}

void* Platform_GetWindowUserPointer(PlatformWindow* window)
{
    return PlatformSdl::IsLive(window) ? window->userPointer : nullptr;
}

bool Platform_GetDesktopSize(int32_t* width, int32_t* height)
{
    if (!PlatformSdl::StartVideo())
        return false;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        PlatformSdl::SetError("the desktop size is unknown");
        return false;
    }
    if (width)
        *width = mode.w;
    if (height)
        *height = mode.h;
    return true;
}
