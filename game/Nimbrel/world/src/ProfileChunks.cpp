// The payloads of the profile file's own chunks, and the play-time clock.
#include "NimbrelWorld/ProfileChunks.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kMinutesPerHour = 60;
constexpr uint32_t kHoursPerDay = 24;

using namespace ChunkField;

// Carries whole units of `lower` above `limit` into `upper`; both as doubles so that no
// stored value can overflow on the way.
void Carry(double& lower, double& upper, double limit)
{
    const double whole = std::floor(lower / limit);
    upper += whole;
    lower -= whole * limit;
}

// A field's whole units, kept inside [0, limit): rounding at a huge magnitude may carry a
// little past either end.
uint8_t WholeBelow(double value, double limit)
{
    return value >= 0.0 ? static_cast<uint8_t>(value < limit ? value : limit - 1.0) : 0;
}

void StoreCarried(ProfileTime& time, double fraction, double minutes, double hours, double days)
{
    // A clock beyond its last day stops at the last minute of that day.
    const double lastMinute = (static_cast<double>(std::numeric_limits<uint32_t>::max()) * kHoursPerDay +
                               (kHoursPerDay - 1)) * kMinutesPerHour + (kMinutesPerHour - 1);
    const double total = ((days * kHoursPerDay + hours) * kMinutesPerHour + minutes) + fraction / kProfileMinuteUnits;
    if (!(total < lastMinute + 1.0)) {
        time = ProfileTime{0.0f, kMinutesPerHour - 1, kHoursPerDay - 1, std::numeric_limits<uint32_t>::max()};
        return;
    }
    Carry(fraction, minutes, kProfileMinuteUnits);
    Carry(minutes, hours, kMinutesPerHour);
    Carry(hours, days, kHoursPerDay);
    time.fraction = fraction >= 0.0 && fraction < kProfileMinuteUnits ? static_cast<float>(fraction) : 0.0f;
    // A fraction just below the limit may round up to it as a float.
    if (!(time.fraction < kProfileMinuteUnits))
        time.fraction = 0.0f;
    time.minutes = WholeBelow(minutes, kMinutesPerHour);
    time.hours = WholeBelow(hours, kHoursPerDay);
    time.days = days <= 0.0 ? 0
                : days >= static_cast<double>(std::numeric_limits<uint32_t>::max())
                    ? std::numeric_limits<uint32_t>::max()
                    : static_cast<uint32_t>(days);
}

}  // namespace

void ProfileTime_Advance(ProfileTime& time, double units)
{
    if (!std::isfinite(units) || units <= 0.0)
        return;
    StoreCarried(time, static_cast<double>(time.fraction) + units, time.minutes, time.hours, time.days);
}

void ProfileTime_Normalize(ProfileTime& time)
{
    double fraction = time.fraction;
    if (!std::isfinite(fraction) || fraction < 0.0)
        fraction = 0.0;
    StoreCarried(time, fraction, time.minutes, time.hours, time.days);
}

int ProfileTime_Compare(const ProfileTime& a, const ProfileTime& b)
{
    if (a.days != b.days)
        return a.days < b.days ? -1 : 1;
    if (a.hours != b.hours)
        return a.hours < b.hours ? -1 : 1;
    if (a.minutes != b.minutes)
        return a.minutes < b.minutes ? -1 : 1;
    if (a.fraction != b.fraction)
        return a.fraction < b.fraction ? -1 : 1;
    return 0;
}

bool ProfileChunk_WriteHeader(UtilsStream_Chunk* c, uint32_t stampA)
{
    const uint8_t one = 1, two = 2;
    return Put(c, kProfileFormatVersion) && Put(c, kProfileLayoutNumber) && Put(c, kProfileProgramVersion) &&
           Put(c, kProfileConstructionVersion) && Put(c, stampA) && Put(c, one) && Put(c, two);
}

bool ProfileChunk_ReadHeader(UtilsStream_Chunk* c, ProfileHeader* h)
{
    return Get(c, &h->version) && Get(c, &h->layout) && Get(c, &h->programVersion) &&
           Get(c, &h->constructionVersion) && Get(c, &h->stampA) && Get(c, &h->byte20) && Get(c, &h->byte21);
}

bool ProfileChunk_WriteTime(UtilsStream_Chunk* c, const ProfileTime& t)
{
    return Put(c, t.fraction) && Put(c, t.minutes) && Put(c, t.hours) && Put(c, t.days);
}

bool ProfileChunk_ReadTime(UtilsStream_Chunk* c, ProfileTime* t)
{
    return Get(c, &t->fraction) && Get(c, &t->minutes) && Get(c, &t->hours) && Get(c, &t->days);
}

bool ProfileChunk_WriteDate(UtilsStream_Chunk* c, const ProfileDate& d)
{
    return Put(c, d.second) && Put(c, d.minute) && Put(c, d.hour) && Put(c, d.day) && Put(c, d.month) &&
           Put(c, d.year);
}

bool ProfileChunk_ReadDate(UtilsStream_Chunk* c, ProfileDate* d)
{
    return Get(c, &d->second) && Get(c, &d->minute) && Get(c, &d->hour) && Get(c, &d->day) && Get(c, &d->month) &&
           Get(c, &d->year);
}

bool ProfileChunk_WriteState(UtilsStream_Chunk* c, const ProfileSlot& slot)
{
    return Put(c, slot.gameInProgress) && Put(c, slot.completedGames) && Put(c, slot.flags);
}

bool ProfileChunk_ReadState(UtilsStream_Chunk* c, uint8_t* inProgress, uint32_t* completed, uint32_t* flags)
{
    return Get(c, inProgress) && Get(c, completed) && Get(c, flags);
}

bool ProfileChunk_WriteChaptersCheck(UtilsStream_Chunk* c, uint32_t stampB, uint8_t chaptersFlag)
{
    return Put(c, kProfileFormatVersion) && Put(c, stampB) && Put(c, chaptersFlag);
}

bool ProfileChunk_ReadChaptersCheckWords(UtilsStream_Chunk* c, uint32_t* version, uint32_t* stampB)
{
    return Get(c, version) && Get(c, stampB);
}

bool ProfileChunk_ReadLevelWords(UtilsStream_Chunk* c, uint32_t* level, int32_t* chapter)
{
    return Get(c, level) && Get(c, chapter);
}

bool ProfileChunk_ReadChapterBlock(UtilsStream_Chunk* c, ProfileChapterBlock* b)
{
    return Get(c, &b->chaptersFlag) && Get(c, &b->chapterCount) && Get(c, &b->currentChapter) &&
           Get(c, &b->identifier);
}

bool ProfileChunk_WriteSpare(UtilsStream_Chunk* c, uint8_t flagC, uint8_t flagD)
{
    return Put(c, flagC) && Put(c, flagD);
}

bool ProfileChunk_ReadSpare(UtilsStream_Chunk* c, uint8_t* flagC, uint8_t* flagD)
{
    return Get(c, flagC) && Get(c, flagD);
}

bool ProfileChunk_ReadName(UtilsStream_Chunk* c, char16_t** pOut)
{
    *pOut = nullptr;
    uint32_t count = 0;
    uint8_t size = 0;
    if (!Get(c, &count))
        return false;
    if (count == 0)
        return true;
    if (!Get(c, &size) || (size != 1 && size != 2 && size != 4))
        return false;
    // The stored characters must all be there before anything is allocated.
    if (static_cast<uint64_t>(count) * size > static_cast<uint64_t>(c->BytesLeft()))
        return false;
    const uint32_t kept = count - 1 < kProfileNameMax ? count - 1 : kProfileNameMax;
    char16_t* name = static_cast<char16_t*>(UTILS_CALLOC(kept + 1, sizeof(char16_t)));
    if (!name)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t ch = 0;
        bool ok = false;
        if (size == 1) {
            uint8_t byte = 0;
            ok = Get(c, &byte);
            ch = byte;
        } else if (size == 2) {
            uint16_t unit = 0;
            ok = Get(c, &unit);
            ch = unit;
        } else {
            ok = Get(c, &ch);
        }
        if (!ok) {
            UTILS_FREE(name);
            return false;
        }
        if (i < kept)
            name[i] = static_cast<char16_t>(~ch & (size == 1 ? 0xFFu : 0xFFFFu));
    }
    name[kept] = 0;
    // A character stored as all ones reads back as a zero: the name ends there.
    if (name[0] == 0) {
        UTILS_FREE(name);
        name = nullptr;
    }
    *pOut = name;
    return true;
}

bool ProfileChunk_WriteName(UtilsStream_Chunk* c, const char16_t* name)
{
    return c->WriteString(name, true);
}
