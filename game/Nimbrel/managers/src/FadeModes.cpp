#include "NimbrelManagers/FadeModes.h"

#include <cstring>

#include "VornelUtils/UtilsEasing.h"

namespace {

struct ModeWord {
    const char* name;
    uint32_t mode;
};

template <uint32_t N>
uint32_t FindMode(const ModeWord (&table)[N], const char* name)
{
    for (const ModeWord& row : table)
        if (name && std::strcmp(row.name, name) == 0)
            return row.mode;
    return 0;
}

}  // namespace

uint32_t FadeModeFromName(const char* name)
{
    static const ModeWord kWords[] = {
        {"none", 0},          {"fade_show", 1},   {"force_show", 9},    {"fade_hide", 2},
        {"force_hide", 10},   {"fade_invert", 4}, {"force_invert", 12}, {"fade_transition", 512},
    };
    return FindMode(kWords, name);
}

uint32_t DragFadeModeFromName(const char* name)
{
    static const ModeWord kWords[] = {
        {"none", 0},
        {"fade_hide", 2},
        {"force_hide", 10},
        {"fade_velocity", 128},
        {"fade_hide_velocity", 130},
        {"fade_velocity_looped_x", 176},
        {"fade_velocity_looped_y", 208},
        {"fade_velocity_looped_randomized_x", 1200},
        {"fade_velocity_looped_randomized_y", 1232},
        {"superposition", 256},
    };
    return FindMode(kWords, name);
}

bool FadeModeIsAnimated(uint32_t mode)
{
    return mode != 0 && !(mode & kFadeForce) && mode != kFadeSuperposition;
}

int32_t EasingFromName(const char* name)
{
    return UtilsEasing_FindIndex(g_UtilsEasingTable, kUtilsEasingCount, name);
}
