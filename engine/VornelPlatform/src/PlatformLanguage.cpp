// The system language on the POSIX side: the locale variables, else the desktop's preference.
#include <SDL.h>

#include <cstdlib>
#include <initializer_list>

#include "VornelPlatform/PlatformUser.h"

namespace {

constexpr uint16_t kEnglishUS = 0x0409;

const char* FirstSetLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return nullptr;
}

}  // namespace

uint16_t Platform_GetSystemLanguageId()
{
    if (const char* locale = FirstSetLocale())
        return Platform_LanguageIdFromLocale(locale);
    // No locale in the environment: the desktop's own preference.
    uint16_t id = kEnglishUS;
    if (SDL_Locale* locales = SDL_GetPreferredLocales()) {
        if (locales[0].language) {
            char name[16];
            SDL_snprintf(name, sizeof name, "%s%s%s", locales[0].language,
                         locales[0].country ? "_" : "", locales[0].country ? locales[0].country : "");
            id = Platform_LanguageIdFromLocale(name);
        }
        SDL_free(locales);
    }
    return id;
}
