// Locale names to Windows language identifiers (primary language | sublanguage << 10), for
// both systems: the tools and tests name languages by locale everywhere.
#include <cctype>
#include <cstring>

#include "VornelPlatform/PlatformUser.h"

namespace {

constexpr uint16_t kEnglishUS = 0x0409;

struct Primary {
    const char* code;
    uint16_t id;
    uint16_t defaultSub;
};

// ISO 639 codes and their primary language ids, with the sublanguage of the language's home
// country.
const Primary kPrimaries[] = {
    {"ar", 0x01, 1}, {"bg", 0x02, 1}, {"ca", 0x03, 1}, {"zh", 0x04, 2}, {"cs", 0x05, 1},
    {"da", 0x06, 1}, {"de", 0x07, 1}, {"el", 0x08, 1}, {"en", 0x09, 1}, {"es", 0x0A, 3},
    {"fi", 0x0B, 1}, {"fr", 0x0C, 1}, {"he", 0x0D, 1}, {"hu", 0x0E, 1}, {"is", 0x0F, 1},
    {"it", 0x10, 1}, {"ja", 0x11, 1}, {"ko", 0x12, 1}, {"nl", 0x13, 1}, {"nb", 0x14, 1},
    {"no", 0x14, 1}, {"nn", 0x14, 2}, {"pl", 0x15, 1}, {"pt", 0x16, 2}, {"ro", 0x18, 1},
    {"ru", 0x19, 1}, {"hr", 0x1A, 1}, {"sk", 0x1B, 1}, {"sq", 0x1C, 1}, {"sv", 0x1D, 1},
    {"th", 0x1E, 1}, {"tr", 0x1F, 1}, {"ur", 0x20, 1}, {"id", 0x21, 1}, {"uk", 0x22, 1},
    {"be", 0x23, 1}, {"sl", 0x24, 1}, {"et", 0x25, 1}, {"lv", 0x26, 1}, {"lt", 0x27, 1},
    {"fa", 0x29, 1}, {"vi", 0x2A, 1}, {"hi", 0x39, 1}, {"ms", 0x3E, 1},
};

struct Regional {
    const char* code;
    const char* territory;
    uint16_t sub;
};

// Countries whose sublanguage differs from the language's home country.
const Regional kRegionals[] = {
    {"en", "GB", 2}, {"en", "AU", 3}, {"en", "CA", 4}, {"en", "NZ", 5}, {"en", "IE", 6},
    {"en", "ZA", 7}, {"fr", "BE", 2}, {"fr", "CA", 3}, {"fr", "CH", 4}, {"fr", "LU", 5},
    {"fr", "MC", 6}, {"de", "CH", 2}, {"de", "AT", 3}, {"de", "LU", 4}, {"de", "LI", 5},
    {"it", "CH", 2}, {"nl", "BE", 2}, {"pt", "BR", 1}, {"pt", "PT", 2}, {"sv", "FI", 2},
    {"zh", "TW", 1}, {"zh", "CN", 2}, {"zh", "HK", 3}, {"zh", "SG", 4}, {"zh", "MO", 5},
    {"es", "MX", 2}, {"es", "GT", 4}, {"es", "CR", 5}, {"es", "PA", 6}, {"es", "DO", 7},
    {"es", "VE", 8}, {"es", "CO", 9}, {"es", "PE", 10}, {"es", "AR", 11}, {"es", "EC", 12},
    {"es", "CL", 13}, {"es", "UY", 14}, {"es", "PY", 15}, {"es", "BO", 16}, {"es", "SV", 17},
    {"es", "HN", 18}, {"es", "NI", 19}, {"es", "PR", 20}, {"es", "US", 21},
};

// "ll", "ll_CC", "ll-CC", with an optional ".charset" or "@variant" after it.
bool Split(const char* locale, char language[4], char territory[4])
{
    language[0] = territory[0] = '\0';
    size_t i = 0;
    while (i < 3 && std::isalpha(static_cast<unsigned char>(locale[i]))) {
        language[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(locale[i])));
        ++i;
    }
    language[i] = '\0';
    if (i < 2)
        return false;
    const char next = locale[i];
    if (next != '\0' && next != '_' && next != '-' && next != '.' && next != '@')
        return false;
    if (next == '_' || next == '-') {
        size_t j = 0;
        const char* t = locale + i + 1;
        while (j < 3 && std::isalpha(static_cast<unsigned char>(t[j]))) {
            territory[j] = static_cast<char>(std::toupper(static_cast<unsigned char>(t[j])));
            ++j;
        }
        territory[j] = '\0';
    }
    return true;
}

}  // namespace

uint16_t Platform_LanguageIdFromLocale(const char* locale)
{
    if (!locale)
        return kEnglishUS;
    char language[4];
    char territory[4];
    if (!Split(locale, language, territory))
        return kEnglishUS;
    for (const Primary& primary : kPrimaries) {
        if (std::strcmp(primary.code, language) != 0)
            continue;
        uint16_t sub = primary.defaultSub;
        for (const Regional& regional : kRegionals)
            if (std::strcmp(regional.code, language) == 0 && std::strcmp(regional.territory, territory) == 0)
                sub = regional.sub;
        return static_cast<uint16_t>(primary.id | (sub << 10));
    }
    return kEnglishUS;
}

