#include "PlatformBoxRoute.h"

#include <cstdio>

namespace {

PlatformMessageBoxHook g_hook = nullptr;
void* g_hookUser = nullptr;

}  // namespace

void Platform_SetMessageBoxHook(PlatformMessageBoxHook hook, void* user)
{
    g_hook = hook;
    g_hookUser = user;
}

bool PlatformBox_OfferToHook(PlatformMessageBoxKind kind, const char* caption, const char* text)
{
    return g_hook && g_hook(kind, caption, text, g_hookUser);
}

void PlatformBox_ToStandardError(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}
