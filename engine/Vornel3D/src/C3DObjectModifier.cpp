// The modifier base: schedule, playback state, and the saved record every kind shares.
#include "Vornel3D/C3DObjectModifier.h"

#include <cmath>
#include <new>

#include "Bounds.h"
#include "StreamWords.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

C3DObjectModifier* CreateObjectModifier(uint32_t kind, WorldData* pWorldData)
{
    switch (kind) {
    case kModifierScale: return new (std::nothrow) C3DObjectModifierScale(pWorldData);
    case kModifierPosition: return new (std::nothrow) C3DObjectModifierPosition(pWorldData);
    case kModifierRotation: return new (std::nothrow) C3DObjectModifierRotation(pWorldData);
    case kModifierDirectAlpha: return new (std::nothrow) C3DObjectModifierDirectAlpha(pWorldData);
    case kModifierDirectColor: return new (std::nothrow) C3DObjectModifierDirectColor(pWorldData);
    case kModifierVertexPosition: return new (std::nothrow) C3DObjectModifierVertexPosition(pWorldData);
    case kModifierVertexTexture: return new (std::nothrow) C3DObjectModifierVertexTexture(pWorldData);
    default: return nullptr;
    }
}

C3DObjectModifier::C3DObjectModifier(WorldData* pWorldData, uint32_t kind)
    : CBaseObject(pWorldData),
      m_nKind(kind),
      m_state{kModifierRepeat, 1.0f, 0, 0, 0, 0.0f, 0},
      m_pState(&m_state),
      m_fStep(1.0f),
      m_nScheduleCount(0),
      m_pSchedule(nullptr),
      m_nKeyCount(0),
      m_pTarget(nullptr),
      m_nGroup(0)
{
}

C3DObjectModifier::~C3DObjectModifier()
{
    UTILS_FREE(m_pSchedule);
}

Status C3DObjectModifier::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status C3DObjectModifier::Create(C3DObject* pTarget, uint32_t group, uint32_t keyCount, uint32_t capacity,
                                 float step)
{
    (void)capacity; // the schedule is sized by what the keys produce
    m_pTarget = pTarget;
    m_nGroup = group;
    m_nKeyCount = keyCount;
    m_fStep = step;

    // Every key but the last is cut into segments of one step. Counted first, so that the
    // array holds exactly what is written into it; a step of 0 or less cuts nothing.
    const bool cuts = step > 0.0f;
    uint64_t count = 0;
    for (uint32_t k = 0; k < keyCount && count <= kModifierScheduleLimit; ++k) {
        const float d = KeyDuration(k);
        ++count;
        if (k + 1 < keyCount && cuts && d > step)
            for (uint64_t n = 1; float(double(n) * step) < d && count <= kModifierScheduleLimit; ++n)
                ++count;
    }
    if (count > kModifierScheduleLimit)
        return kStatusFailed;

    auto* schedule = static_cast<C3DModifierScheduleEntry*>(
        UTILS_MALLOC(size_t(count ? count : 1) * sizeof(C3DModifierScheduleEntry)));
    if (!schedule)
        return OutOfMemory();
    uint32_t n = 0;
    for (uint32_t k = 0; k < keyCount; ++k) {
        const float d = KeyDuration(k);
        schedule[n++] = {k, 0.0f};
        if (k + 1 < keyCount && cuts && d > step)
            for (uint64_t m = 1; float(double(m) * step) < d; ++m)
                schedule[n++] = {k, float(double(m) * step)};
    }
    UTILS_FREE(m_pSchedule);
    m_pSchedule = schedule;
    m_nScheduleCount = n;
    return kStatusOk;
}

Status C3DObjectModifier::Release()
{
    UTILS_FREE(m_pSchedule);
    m_pSchedule = nullptr;
    m_nScheduleCount = 0;
    FreeKeys();
    m_nKeyCount = 0;
    return kStatusOk;
}

uint32_t C3DObjectModifier::NextKey() const
{
    return m_nKeyCount ? (m_pState->currentKey + 1) % m_nKeyCount : 0;
}

bool C3DObjectModifier::HoldsLastKey() const
{
    return m_pState->currentKey + 1 >= m_nKeyCount && m_pState->mode != kModifierRepeat;
}

double C3DObjectModifier::RangeLength(const C3DModifierScheduleEntry& start, uint32_t endKey, float endOffset)
{
    double length = 0.0;
    for (uint32_t k = start.key; k < endKey && k < m_nKeyCount; ++k)
        length += KeyDuration(k) > 0.0f ? KeyDuration(k) : 0.0f;
    return length + double(endOffset) - double(start.offset);
}

float C3DObjectModifier::Update()
{
    C3DModifierState& s = *m_pState;
    if (s.mode == kModifierStopped) {
        s.flags |= kModifierFinished;
        return 0.0f;
    }
    if ((s.flags & kModifierFinished) || m_nKeyCount == 0 || m_nScheduleCount == 0)
        return 0.0f;

    uint32_t endKey = m_nKeyCount;
    float endOffset = 0.0f;
    if (s.rangeEnd < m_nScheduleCount) {
        endKey = m_pSchedule[s.rangeEnd].key;
        endOffset = m_pSchedule[s.rangeEnd].offset;
    }
    if (!(s.flags & kModifierPaused))
        s.time += float(double(m_pWorldData ? m_pWorldData->frameTime : 0.0) * s.speed);

    const C3DModifierScheduleEntry& start = m_pSchedule[s.rangeStart < m_nScheduleCount ? s.rangeStart : 0];
    auto jumpBack = [&] {
        if (s.currentKey == endKey && s.time > endOffset && s.mode != kModifierPlayOnce) {
            s.currentKey = start.key;
            s.time = s.time - endOffset + start.offset;
            // A step longer than the range keeps what is left after whole rounds of the range
            // (a whole number of them ends at the range's end, as the walk would).
            const double past = double(s.time) - double(start.offset);
            const double range = RangeLength(start, endKey, endOffset);
            if (range > 0.0 && past > range) {
                const double rest = std::fmod(past, range);
                s.time = float(double(start.offset) + (rest > 0.0 ? rest : range));
            }
        }
    };
    jumpBack();
    float d = KeyDuration(s.currentKey);
    // A range to the track's end goes round the whole track: a step that passes it more than
    // once (tiny keys, a long step) keeps only what is left over after whole rounds; keys that
    // last nothing use up no time at all, so a walk that has gone round without ending stops at
    // the start of the key it reached.
    uint64_t walked = 0;
    while (d < s.time) {
        if (d > 0.0f)
            s.time -= d;
        if (s.mode == kModifierPlayOnce && s.currentKey + 1 == endKey) {
            s.flags |= kModifierFinished;
            return 0.0f;
        }
        s.currentKey = (s.currentKey + 1) % m_nKeyCount;
        jumpBack();
        d = KeyDuration(s.currentKey);
        if (++walked == m_nKeyCount && endKey >= m_nKeyCount) {
            double round = 0.0;
            for (uint32_t k = 0; k < m_nKeyCount; ++k)
                round += KeyDuration(k) > 0.0f ? KeyDuration(k) : 0.0f;
            if (round > 0.0 && s.time > round)
                s.time = float(std::fmod(double(s.time), round));
        } else if (walked > 4 * uint64_t(m_nKeyCount)) {
            s.time = 0.0f;
            break;
        }
    }
    // A key that lasts nothing is passed as soon as it starts.
    if (!(d > 0.0f))
        return 1.0f;
    const float f = s.time / d;
    return f >= 0.0f ? (f <= 1.0f ? f : 1.0f) : 0.0f;
}

Status C3DObjectModifier::Load(UtilsStream* pStream, uint32_t keyCount)
{
    Release();
    uint32_t version = 0, group = 0, scheduleCount = 0;
    float step = 0.0f;
    if (!pStream || keyCount == 0 || !ReadWord(pStream, &version) || version != kModifierVersion ||
        !ReadWord(pStream, &group) || !ReadFloat(pStream, &step) || !ReadWord(pStream, &scheduleCount) ||
        scheduleCount == 0 || !FitsInStream(pStream, scheduleCount, 8))
        return kStatusFailed;

    auto* schedule = static_cast<C3DModifierScheduleEntry*>(
        UTILS_MALLOC(size_t(scheduleCount) * sizeof(C3DModifierScheduleEntry)));
    if (!schedule)
        return OutOfMemory();
    for (uint32_t i = 0; i < scheduleCount; ++i) {
        if (!ReadWord(pStream, &schedule[i].key) || !ReadFloat(pStream, &schedule[i].offset) ||
            schedule[i].key >= keyCount) {
            UTILS_FREE(schedule);
            return kStatusFailed;
        }
    }
    m_pSchedule = schedule;
    m_nScheduleCount = scheduleCount;
    m_nKeyCount = keyCount;
    m_nGroup = group;
    m_fStep = step;
    const Status status = LoadKeys(pStream);
    if (Failed(status)) {
        Release();
        return status;
    }
    SetRange(0, 0, 0.0f, true);
    return kStatusOk;
}

Status C3DObjectModifier::Save(UtilsStream* pStream)
{
    if (!pStream || m_nKeyCount == 0 || m_nScheduleCount == 0 || !m_pSchedule)
        return kStatusFailed;
    bool ok = WriteWord(pStream, m_nKeyCount) && WriteWord(pStream, kModifierVersion) &&
              WriteWord(pStream, m_nGroup) && WriteFloat(pStream, m_fStep) && WriteWord(pStream, m_nScheduleCount);
    for (uint32_t i = 0; ok && i < m_nScheduleCount; ++i)
        ok = WriteWord(pStream, m_pSchedule[i].key) && WriteFloat(pStream, m_pSchedule[i].offset);
    return ok ? SaveKeys(pStream) : kStatusFailed;
}

Status C3DObjectModifier::LoadState(UtilsStream* pStream)
{
    if (!m_pState || !pStream)
        return kStatusFailed;
    C3DModifierState s{};
    float step = 0.0f;
    if (!ReadWord(pStream, &s.mode) || !ReadFloat(pStream, &step) || !ReadFloat(pStream, &s.speed) ||
        !ReadWord(pStream, &s.rangeStart) || !ReadWord(pStream, &s.rangeEnd) || !ReadWord(pStream, &s.currentKey) ||
        !ReadFloat(pStream, &s.time) || !ReadWord(pStream, &s.flags))
        return kStatusFailed;
    // A saved state of another track would send the walk outside the keys and schedule.
    if (s.rangeStart > m_nScheduleCount || s.rangeEnd > m_nScheduleCount ||
        (m_nKeyCount ? s.currentKey >= m_nKeyCount : s.currentKey != 0))
        return kStatusFailed;
    *m_pState = s;
    m_fStep = step;
    return kStatusOk;
}

Status C3DObjectModifier::SaveState(uint32_t, UtilsStream* pStream)
{
    if (!m_pState || !pStream)
        return kStatusFailed;
    const C3DModifierState& s = *m_pState;
    const bool ok = WriteWord(pStream, s.mode) && WriteFloat(pStream, m_fStep) && WriteFloat(pStream, s.speed) &&
                    WriteWord(pStream, s.rangeStart) && WriteWord(pStream, s.rangeEnd) &&
                    WriteWord(pStream, s.currentKey) && WriteFloat(pStream, s.time) && WriteWord(pStream, s.flags);
    return ok ? kStatusOk : kStatusFailed;
}

uint32_t C3DObjectModifier::SetRange(uint32_t start, uint32_t end, float seconds, bool restart)
{
    C3DModifierState& s = *m_pState;
    const uint32_t count = m_nScheduleCount;
    if (start >= count)
        start = 0;
    if (end == 0 || end >= count || end <= start)
        end = count;
    if (restart || start != s.rangeStart || end != s.rangeEnd) {
        s.currentKey = count ? m_pSchedule[start].key : 0;
        s.time = count ? m_pSchedule[start].offset : 0.0f;
    }
    s.flags &= ~kModifierApplied;
    s.rangeStart = start;
    s.rangeEnd = end;
    s.speed = seconds > 0.0f ? float(double(end - start) * m_fStep / (double(seconds) * 30.0)) : 1.0f;
    s.flags &= ~kModifierFinished;
    return count;
}

void C3DObjectModifier::SetMode(uint32_t mode, bool restart)
{
    C3DModifierState& s = *m_pState;
    s.mode = mode;
    s.flags &= ~kModifierApplied;
    if (restart && m_nScheduleCount) {
        s.currentKey = m_pSchedule[0].key;
        s.time = m_pSchedule[0].offset;
    }
    s.flags &= ~kModifierFinished;
}

void C3DObjectModifier::SetReverse(bool on)
{
    m_pState->flags = on ? m_pState->flags | kModifierReverse : m_pState->flags & ~kModifierReverse;
}

void C3DObjectModifier::SetPause(bool on)
{
    m_pState->flags = on ? m_pState->flags | kModifierPaused : m_pState->flags & ~kModifierPaused;
}

void C3DObjectModifier::Seek(float fraction)
{
    C3DModifierState& s = *m_pState;
    if (m_nKeyCount == 0)
        return;
    if (fraction == 0.0f) {
        const uint32_t r1 = UtilsRandom_Next(m_pWorldData);
        const uint32_t r2 = UtilsRandom_Next(m_pWorldData);
        s.currentKey = uint32_t((uint64_t(r1) * m_nKeyCount) >> 32);
        s.time = float(double(r2) * KeyDuration(s.currentKey) / 4294967296.0);
        return;
    }
    double total = 0.0;
    for (uint32_t k = 0; k < m_nKeyCount; ++k)
        total += KeyDuration(k);
    float remaining = float(double(fraction) * total);
    for (uint32_t k = 0; k < m_nKeyCount; ++k) {
        const float d = KeyDuration(k);
        if (d > remaining) {
            s.currentKey = k;
            s.time = remaining;
            return;
        }
        remaining -= d;
    }
}

bool C3DObjectModifier::IsFinished()
{
    return (m_pState->flags & kModifierFinished) != 0;
}

float C3DObjectModifier::KeyDuration(uint32_t)
{
    return 0.0f;
}

Status C3DObjectModifier::CreateFromKeys(C3DObject* pTarget, uint32_t group, void* keys, uint32_t keyCount,
                                         uint32_t capacity, float step)
{
    Release();
    if (!keys || keyCount == 0)
        return kStatusFailed;
    m_nKeyCount = keyCount;
    Status status = TakeKeys(keys);
    if (Succeeded(status))
        status = Create(pTarget, group, keyCount, capacity, step);
    if (Failed(status)) {
        Release();
        return status;
    }
    SetRange(0, 0, 0.0f, true);
    return kStatusOk;
}

void C3DObjectModifier::GetUVBounds(C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min, max;
    SetEmptyBox(min, max);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObjectModifier::GetKeyUVBounds(uint32_t, C3DVector2* pMin, C3DVector2* pMax)
{
    C3DObjectModifier::GetUVBounds(pMin, pMax);
}
