#include "VornelPlatform/PlatformDialog.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

PlatformMessageBoxHook g_hook = nullptr;
void* g_hookUser = nullptr;

bool EnvironmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// A box can be shown only on a real display: not on SDL's display-less drivers.
bool CanShowBoxes()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return false;
    return EnvironmentSet("DISPLAY") || EnvironmentSet("WAYLAND_DISPLAY");
}

}  // namespace

void Platform_SetMessageBoxHook(PlatformMessageBoxHook hook, void* user)
{
    g_hook = hook;
    g_hookUser = user;
}

void Platform_MessageBox(PlatformMessageBoxKind kind, const char* captionUtf8, const char* textUtf8)
{
    const char* caption = captionUtf8 ? captionUtf8 : "";
    const char* text = textUtf8 ? textUtf8 : "";
    if (g_hook && g_hook(kind, caption, text, g_hookUser))
        return;
    if (CanShowBoxes()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if (kind == PlatformMessageBoxKind::kWarning)
            flags = SDL_MESSAGEBOX_WARNING;
        else if (kind == PlatformMessageBoxKind::kError)
            flags = SDL_MESSAGEBOX_ERROR;
        if (SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) == 0)
            return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}
