#pragma once
// One profile slot and its clock, as the profile manager keeps them and the profile file stores
// them (chunks 10001-10010 of the file).
#include <cstdint>

// The play-time clock: frame-time units (1.0 = 1/30 s) below one minute, then minutes, hours
// and whole days.
struct ProfileTime {
    float fraction;       // 0 up to but excluding kProfileMinuteUnits
    uint8_t minutes;      // 0-59
    uint8_t hours;        // 0-23
    uint32_t days;
};
constexpr float kProfileMinuteUnits = 1800.0f;

// The local date of the last completed game.
struct ProfileDate {
    uint8_t second, minute, hour;
    uint16_t day;         // of the month
    uint8_t month;        // 1-12
    uint16_t year;        // four digits
};

struct ProfileSlot {
    uint8_t used;               // the slot holds a profile
    char16_t* name;             // owned; null without a name
    uint8_t gameInProgress;
    uint8_t changed;            // the clock or state changed since the last save
    uint8_t objectStateSaved;   // the file holds object state of the current construction
    uint8_t mismatched;         // the saved progress belongs to another construction
    uint8_t flagC, flagD;       // spare bytes, kept as the file held them
    uint32_t flags;             // bit 0: tutorial off
    uint32_t completedGames;
    uint32_t levelObjectIndex;
    int32_t chapterIndex;       // -1: none
    uint8_t chaptersFlagCopy;   // the chapters manager's flag at the last save
    ProfileTime lastCompletionTime;  // not stored in the file
    ProfileTime playTime;
    ProfileDate completionDate;
};
constexpr uint32_t kProfileFlagTutorialOff = 0x1;

// The longest profile name, without its terminator.
constexpr uint32_t kProfileNameMax = 259;

// Adds frame time to a clock and carries it into minutes, hours and days. A step that is not
// finite or not positive adds nothing; the days stop at their largest value.
void ProfileTime_Advance(ProfileTime& time, double units);
// A clock read from a file made sound: a fraction that is not finite or is negative becomes 0,
// and what lies beyond a field's range is carried into the next.
void ProfileTime_Normalize(ProfileTime& time);
// -1, 0 or 1 as a is shorter, as long as or longer than b (days, hours, minutes, fraction).
int ProfileTime_Compare(const ProfileTime& a, const ProfileTime& b);
