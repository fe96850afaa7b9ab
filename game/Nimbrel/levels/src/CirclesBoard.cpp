// The circles board's rules: the turns, the deal, the win test and the text form.
#include "NimbrelLevels/CirclesBoard.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "NimbrelLevels/LevelValues.h"

namespace {

// Each ring's places by position, as every deal lays them out; places 3 and 5 are shared
// (left positions 0 and 2 are right positions 5 and 3).
constexpr uint32_t kLayout[2][kCirclesRingPositions] = {{3, 4, 5, 2, 1, 0}, {7, 8, 9, 5, 6, 3}};
constexpr float kPi = 3.14159265358979f;

struct ActionRow {
    const char* name;
    CirclesRing ring;
    float direction;
    bool forward;  // position k's kind goes to position k + 1
};
constexpr ActionRow kActions[kCirclesActionCount] = {
    {"circles_action_left_up", kCirclesRingLeft, -1.0f, true},
    {"circles_action_left_down", kCirclesRingLeft, 1.0f, false},
    {"circles_action_right_up", kCirclesRingRight, 1.0f, false},
    {"circles_action_right_down", kCirclesRingRight, -1.0f, true},
};

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

}  // namespace

void CirclesBoard::Clear()
{
    m_play = m_centreLeft = m_centreRight = -1;
    m_kindLeft = m_kindMiddle = m_kindRight = -1;
    m_randomCount = 0;
    std::memset(m_rings, 0, sizeof m_rings);
    std::memset(m_places, 0, sizeof m_places);
    StopMove();
}

void CirclesBoard::StopMove()
{
    m_progress = 0.0f;
    m_direction = 0.0f;
    m_turning = kCirclesRingNone;
}

int32_t* CirclesBoard::ItemWord(const char* name)
{
    const struct {
        const char* word;
        int32_t* reference;
    } words[] = {
        {"circles_game_play", &m_play},
        {"circles_register_center_left", &m_centreLeft},
        {"circles_register_center_right", &m_centreRight},
        {"circles_register_items_ref_left", &m_kindLeft},
        {"circles_register_items_ref_middle", &m_kindMiddle},
        {"circles_register_items_ref_right", &m_kindRight},
    };
    for (const auto& w : words)
        if (Is(name, w.word))
            return w.reference;
    return nullptr;
}

void CirclesBoard::SetItem(int32_t* pReference, int32_t element)
{
    const int32_t old = *pReference;
    *pReference = element;
    // A kind registered again keeps its places: they show the new picture.
    const bool kind = pReference == &m_kindLeft || pReference == &m_kindMiddle || pReference == &m_kindRight;
    if (kind && IsDealt())
        for (int32_t& place : m_places)
            if (place == old)
                place = element;
}

Status CirclesBoard::Word(const char* name, const char* value)
{
    if (Is(name, "circles_random_count")) {
        const int32_t count = TokenInt(value);
        m_randomCount = count < 1 ? 1u : count > int32_t(kCirclesMaxRandomCount) ? kCirclesMaxRandomCount : uint32_t(count);
    }
    return kStatusDoneStoreResult;
}

Status CirclesBoard::Action(const char* name)
{
    for (uint32_t a = 0; a < kCirclesActionCount; ++a)
        if (Is(name, kActions[a].name)) {
            if (IsDealt())
                Turn(CirclesAction(a));
            break;
        }
    return kStatusDoneNoResult;
}

void CirclesBoard::Turn(CirclesAction action)
{
    const ActionRow& row = kActions[action];
    m_progress = 1.0f;
    m_direction = row.direction;
    m_turning = row.ring;
    Shift(row.ring, row.forward);
}

void CirclesBoard::Shift(CirclesRing ring, bool forward)
{
    const uint32_t* places = m_rings[ring == kCirclesRingRight];
    int32_t before[kCirclesPlaces];
    std::memcpy(before, m_places, sizeof before);
    for (uint32_t k = 0; k < kCirclesRingPositions; ++k) {
        const uint32_t next = (k + 1) % kCirclesRingPositions;
        if (forward)
            m_places[places[next]] = before[places[k]];
        else
            m_places[places[k]] = before[places[next]];
    }
}

Status CirclesBoard::CheckSetup() const
{
    const int32_t items[] = {m_play, m_centreLeft, m_centreRight, m_kindLeft, m_kindMiddle, m_kindRight};
    for (int32_t item : items)
        if (item < 0)
            return kStatusFailed;
    return m_randomCount == 0 ? kStatusFailed : kStatusOk;
}

void CirclesBoard::FillSolved()
{
    for (uint32_t p = 0; p < kCirclesPlaces; ++p)
        m_places[p] = p < 3 ? m_kindLeft : p < 7 ? m_kindMiddle : m_kindRight;
}

Status CirclesBoard::Deal()
{
    if (Failed(CheckSetup()))
        return kStatusFailed;
    StopMove();
    std::memcpy(m_rings, kLayout, sizeof m_rings);
    for (uint32_t tries = 0; tries < kCirclesDealTries; ++tries) {
        FillSolved();
        for (uint32_t turn = 0; turn < m_randomCount; ++turn) {
            // The next random value times 2^-30, truncated: one of the four actions.
            const ActionRow& row = kActions[m_pHost->NextRandom() >> 30];
            Shift(row.ring, row.forward);
        }
        if (!IsWon())
            return kStatusOk;
    }
    return kStatusFailed;
}

void CirclesBoard::Step(float frameStep)
{
    if (m_turning == kCirclesRingNone)
        return;
    m_progress -= frameStep * kCirclesTurnRate;
    if (!(m_progress < 0.0f))
        return;
    StopMove();
    m_pHost->BoardFinished(IsWon() ? 1 : 0);
}

bool CirclesBoard::IsWon() const
{
    for (uint32_t p = 0; p < 3; ++p)
        if (m_places[p] != m_kindLeft || m_places[7 + p] != m_kindRight)
            return false;
    return true;
}

bool CirclesBoard::IsDealt() const
{
    for (const auto& ring : m_rings)
        for (uint32_t place : ring)
            if (place != 0)
                return true;
    return false;
}

bool CirclesBoard::Fits(uint32_t elementCount) const
{
    const int32_t items[] = {m_play, m_centreLeft, m_centreRight, m_kindLeft, m_kindMiddle, m_kindRight};
    for (int32_t item : items)
        if (item < -1 || (item >= 0 && uint32_t(item) >= elementCount))
            return false;
    if (m_randomCount > kCirclesMaxRandomCount)
        return false;
    if (!IsDealt()) {
        for (int32_t kind : m_places)
            if (kind != 0)
                return false;
        return true;
    }
    for (const auto& ring : m_rings)
        for (uint32_t place : ring)
            if (place >= kCirclesPlaces)
                return false;
    for (int32_t kind : m_places)
        if (kind < 0 || !IsKind(kind))
            return false;
    return true;
}

void CirclesBoard::SetPlaces(const int32_t* places) { std::memcpy(m_places, places, sizeof m_places); }

float CirclesBoard::PositionAngle(CirclesRing ring, uint32_t position) const
{
    float degrees = 30.0f + 60.0f * float(position);
    if (m_turning == ring)
        degrees += m_direction * m_progress * 60.0f;
    return degrees;
}

bool CirclesBoard::DrawsPosition(CirclesRing ring, uint32_t position) const
{
    if (ring == kCirclesRingLeft)
        return m_turning != kCirclesRingRight || (position != 0 && position != 2);
    return m_turning == kCirclesRingRight || (position != 3 && position != 5);
}

void CirclesBoard::PlaceMatrix(float degrees, float radius, float* pOut16)
{
    const float a = degrees * (kPi / 180.0f);
    const float c = std::cos(a), s = std::sin(a);
    const float m[16] = {c, s, 0.0f, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                         radius * s, -radius * c, 0.0f, 1.0f};
    std::memcpy(pOut16, m, sizeof m);
}

uint32_t CirclesBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    if (!IsDealt()) {
        std::snprintf(out, capacity, "circles not dealt");
        return uint32_t(std::strlen(out));
    }
    char kinds[kCirclesPlaces + 1];
    for (uint32_t p = 0; p < kCirclesPlaces; ++p) {
        const int32_t kind = m_places[p];
        kinds[p] = kind == m_kindLeft ? 'L' : kind == m_kindMiddle ? 'M' : kind == m_kindRight ? 'R' : '?';
    }
    kinds[kCirclesPlaces] = '\0';
    const uint32_t* l = m_rings[0];
    const uint32_t* r = m_rings[1];
    std::snprintf(out, capacity, "circles places %s left %u,%u,%u,%u,%u,%u right %u,%u,%u,%u,%u,%u%s", kinds, l[0],
                  l[1], l[2], l[3], l[4], l[5], r[0], r[1], r[2], r[3], r[4], r[5],
                  m_turning != kCirclesRingNone ? " turning" : "");
    return uint32_t(std::strlen(out));
}
