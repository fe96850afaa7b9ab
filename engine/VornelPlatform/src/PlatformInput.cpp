#include "VornelPlatform/PlatformInput.h"

#include <dlfcn.h>

#include <cstdlib>

#include "PlatformSdl.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformPump.h"

namespace {

int32_t g_cursorCount = 0;
PlatformWindow* g_clipped = nullptr;
PlatformWindow* g_captured = nullptr;

// X11 keysyms of the keys that can be asked for before a window has the keyboard.
int KeysymsOf(uint32_t vk, unsigned long out[2])
{
    if (vk >= 'A' && vk <= 'Z') {
        out[0] = 'a' + (vk - 'A');
        return 1;
    }
    if (vk >= '0' && vk <= '9') {
        out[0] = vk;
        return 1;
    }
    if (vk >= VK_F1 && vk <= VK_F12) {
        out[0] = 0xFFBE + (vk - VK_F1);
        return 1;
    }
    switch (vk) {
    case VK_SHIFT: out[0] = 0xFFE1; out[1] = 0xFFE2; return 2;
    case VK_CONTROL: out[0] = 0xFFE3; out[1] = 0xFFE4; return 2;
    case VK_MENU: out[0] = 0xFFE9; out[1] = 0xFFEA; return 2;
    case VK_LSHIFT: out[0] = 0xFFE1; return 1;
    case VK_RSHIFT: out[0] = 0xFFE2; return 1;
    case VK_LCONTROL: out[0] = 0xFFE3; return 1;
    case VK_RCONTROL: out[0] = 0xFFE4; return 1;
    case VK_LMENU: out[0] = 0xFFE9; return 1;
    case VK_RMENU: out[0] = 0xFFEA; return 1;
    case VK_SPACE: out[0] = 0x20; return 1;
    case VK_ESCAPE: out[0] = 0xFF1B; return 1;
    case VK_RETURN: out[0] = 0xFF0D; return 1;
    case VK_TAB: out[0] = 0xFF09; return 1;
    case VK_BACK: out[0] = 0xFF08; return 1;
    case VK_LEFT: out[0] = 0xFF51; return 1;
    case VK_UP: out[0] = 0xFF52; return 1;
    case VK_RIGHT: out[0] = 0xFF53; return 1;
    case VK_DOWN: out[0] = 0xFF54; return 1;
    default: return 0;
    }
}

// Asks the X server directly (no window of ours has the keyboard yet, so SDL knows nothing).
// The library is looked up at run time: a build or a host without X11 simply sees no key.
bool X11KeyDown(uint32_t vk)
{
    unsigned long keysyms[2] = {0, 0};
    const int count = KeysymsOf(vk, keysyms);
    if (count == 0)
        return false;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;

    using OpenDisplayFn = void* (*)(const char*);
    using CloseDisplayFn = int (*)(void*);
    using QueryKeymapFn = int (*)(void*, char*);
    using KeysymToKeycodeFn = unsigned char (*)(void*, unsigned long);

    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return false;
    auto openDisplay = reinterpret_cast<OpenDisplayFn>(dlsym(library, "XOpenDisplay"));
    auto closeDisplay = reinterpret_cast<CloseDisplayFn>(dlsym(library, "XCloseDisplay"));
    auto queryKeymap = reinterpret_cast<QueryKeymapFn>(dlsym(library, "XQueryKeymap"));
    auto toKeycode = reinterpret_cast<KeysymToKeycodeFn>(dlsym(library, "XKeysymToKeycode"));
    bool down = false;
    if (openDisplay && closeDisplay && queryKeymap && toKeycode) {
        if (void* connection = openDisplay(nullptr)) {
            char keys[32] = {};
            queryKeymap(connection, keys);
            for (int i = 0; i < count && !down; ++i) {
                const unsigned char code = toKeycode(connection, keysyms[i]);
                if (code != 0 && (keys[code >> 3] & (1 << (code & 7))))
                    down = true;
            }
            closeDisplay(connection);
        }
    }
    dlclose(library);
    return down;
}

bool SdlKeyDown(uint32_t vk)
{
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    const bool numLock = (SDL_GetModState() & KMOD_NUM) != 0;
    for (int scancode = 0; scancode < count; ++scancode) {
        if (!state[scancode])
            continue;
        uint32_t key = Platform_VirtualKeyFromScancode(static_cast<uint32_t>(scancode), numLock);
        if (key == vk)
            return true;
        switch (scancode) {
        case SDL_SCANCODE_LSHIFT: if (vk == VK_LSHIFT) return true; break;
        case SDL_SCANCODE_RSHIFT: if (vk == VK_RSHIFT) return true; break;
        case SDL_SCANCODE_LCTRL: if (vk == VK_LCONTROL) return true; break;
        case SDL_SCANCODE_RCTRL: if (vk == VK_RCONTROL) return true; break;
        case SDL_SCANCODE_LALT: if (vk == VK_LMENU) return true; break;
        case SDL_SCANCODE_RALT: if (vk == VK_RMENU) return true; break;
        default: break;
        }
    }
    return false;
}

}  // namespace

namespace PlatformSdl {

void InputForgetWindow(PlatformWindow* window)
{
    if (g_captured == window) {
        SDL_CaptureMouse(SDL_FALSE);
        g_captured = nullptr;
    }
    if (g_clipped == window) {
        SDL_SetWindowGrab(window->sdl, SDL_FALSE);
        g_clipped = nullptr;
    }
}

}  // namespace PlatformSdl

int16_t Platform_GetKeyState(uint32_t virtualKey)
{
    int16_t result = 0;
    const bool sdlKnows = PlatformSdl::VideoStarted() && SDL_GetKeyboardFocus() != nullptr;
    if (sdlKnows) {
        const SDL_Keymod mod = SDL_GetModState();
        if ((virtualKey == VK_CAPITAL && (mod & KMOD_CAPS)) ||
            (virtualKey == VK_NUMLOCK && (mod & KMOD_NUM)) ||
            (virtualKey == VK_SCROLL && (mod & KMOD_SCROLL)))
            result |= 1;
        if (SdlKeyDown(virtualKey))
            result = static_cast<int16_t>(result | 0x8000);
    } else if (X11KeyDown(virtualKey)) {
        result = static_cast<int16_t>(0x8000);
    }
    return result;
}

int32_t Platform_ShowCursor(bool show)
{
    g_cursorCount += show ? 1 : -1;
    if (PlatformSdl::VideoStarted())
        SDL_ShowCursor(g_cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_cursorCount;
}

bool Platform_ClipCursor(PlatformWindow* window)
{
    if (g_clipped && g_clipped != window) {
        SDL_SetWindowGrab(g_clipped->sdl, SDL_FALSE);
        g_clipped = nullptr;
    }
    if (!window)
        return true;
    SDL_Window* sdl = PlatformSdl::Sdl(window);
    if (!sdl)
        return false;
    SDL_SetWindowGrab(sdl, SDL_TRUE);
    g_clipped = window;
    return true;
}

bool Platform_SetCapture(PlatformWindow* window)
{
    if (!PlatformSdl::IsLive(window))
        return false;
    g_captured = window;
    // SDL captures for the window that has the keyboard; while a button is held it already
    // keeps reporting the pointer outside the window.
    return SDL_CaptureMouse(SDL_TRUE) == 0;
}

void Platform_ReleaseCapture()
{
    if (!g_captured)
        return;
    g_captured = nullptr;
    SDL_CaptureMouse(SDL_FALSE);
}

PlatformWindow* Platform_GetCapture()
{
    return g_captured;
}
