// The wheels board's rings and links, the click and drag turns, the easing, the win test, the
// shuffle, the saved rings and the text form.
#include "NimbrelLevels/WheelsBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "NimbrelLevels/LevelValues.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kPi = 3.14159265358979f;
// The most rings a saved board may hold.
constexpr uint32_t kWheelsMostRings = 255;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

float Clamp01(float value) { return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value; }

bool Finite(float value) { return std::isfinite(value); }

// An angle in whole steps, toward 0: the count of steps that fold it within half a step.
double WholeSteps(double angle, double step)
{
    const double half = step * 0.5;
    if (angle > half)
        return std::ceil((angle - half) / step);
    if (angle < -half)
        return -std::ceil((-half - angle) / step);
    return 0.0;
}

}  // namespace

// ---- a ring -------------------------------------------------------------------------------------

float WheelsRing::Step() const { return divisions ? float(kTwoPi / divisions) : 0.0f; }

float WheelsRing::DrawnAngle() const { return (Step() * float(division % std::max(divisions, 1u)) - offset) * sign; }

void WheelsRing::Fold()
{
    if (!divisions)
        return;
    if (!Finite(offset)) {
        offset = 0.0f;
        return;
    }
    // The whole steps at once: an offset of any size folds in one go.
    const double step = kTwoPi / divisions;
    const double steps = WholeSteps(offset, step);
    if (steps == 0.0)
        return;
    offset = float(double(offset) - steps * step);
    if (std::fabs(offset) > float(step))
        offset = 0.0f;  // beyond float's reach: the ring comes to rest on a division
    const int64_t n = divisions;
    const int64_t turns = int64_t(std::fmod(steps, double(n)));
    division = uint32_t((((int64_t(division) - turns) % n) + n) % n);
}

// ---- configuration ------------------------------------------------------------------------------

void WheelsBoard::Clear()
{
    m_play = -1;
    m_gameType = 0;
    m_rings.clear();
    m_unfit = false;
    StopMove();
}

void WheelsBoard::StopMove()
{
    m_held = -1;
    m_halfTurns = 0.0f;
    m_lastAngle = 0.0f;
    m_direction = 0.0f;
    m_flipped = 0;
}

int32_t* WheelsBoard::ItemWord(const char* name) { return Is(name, "wheel_game_play") ? &m_play : nullptr; }

Status WheelsBoard::Word(const char* name, char* value)
{
    Status status = kStatusDoneStoreResult;
    if (Is(name, "wheel_game_type")) {
        if (Is(value, "click"))
            m_gameType = kWheelsClick;
        else if (Is(value, "rotate"))
            m_gameType = kWheelsRotate;
    } else if (Is(name, "wheel_register_ring")) {
        status = RegisterRing(value);
    } else if (Is(name, "wheel_link_rings")) {
        status = LinkRings(value);
    }
    return Failed(status) ? status : kStatusDoneStoreResult;
}

Status WheelsBoard::RegisterRing(char* value)
{
    // Rings registered after links keep those links.
    m_rings.emplace_back();
    const Status status = ReadRing(m_rings.back(), value);
    // A ring of no divisions could never be drawn, turned or solved: it is not kept.
    if (m_rings.back().divisions == 0) {
        m_rings.pop_back();
        NoTrace("wheel_register_ring: a ring without divisions");
        return kStatusFailed;
    }
    return status;
}

Status WheelsBoard::ReadRing(WheelsRing& ring, char* value)
{
    bool counted = false;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        if (const char* v = TokenValue(token, "name=")) {
            ring.name = v;
        } else if (const char* v = TokenValue(token, "percent_external=")) {
            ring.outer = Clamp01(TokenFloat(v));
        } else if (const char* v = TokenValue(token, "percent_internal=")) {
            ring.inner = Clamp01(TokenFloat(v));
        } else if (const char* v = TokenValue(token, "sign=")) {
            if (m_gameType == 0) {
                NoTrace("wheel_register_ring: sign= before the game type");
                return kStatusFailed;
            }
            const int32_t sign = TokenInt(v);
            if (m_gameType == kWheelsClick && sign >= -1 && sign <= 1)
                ring.sign = float(sign);
        } else if (const char* v = TokenValue(token, "divisions_count=")) {
            const int32_t n = TokenInt(v);
            if (n <= 0) {
                NoTrace("wheel_register_ring: no divisions");
                return kStatusFailed;
            }
            ring.divisions = uint32_t(n);
            counted = true;
        } else if (const char* v = TokenValue(token, "divisions_end=")) {
            if (!counted) {
                NoTrace("wheel_register_ring: divisions_end= before divisions_count=");
                return kStatusFailed;
            }
            // Half up, at most the count; the count itself is division 0, which a ring reaches.
            const float end = std::floor(TokenFloat(v) + 0.5f);
            const uint32_t target = end <= 0.0f ? 0u : end >= float(ring.divisions) ? ring.divisions : uint32_t(end);
            ring.target = target % ring.divisions;
        } else if (const char* v = TokenValue(token, "texture=")) {
            ring.texture = v;
        } else if (const char* v = TokenValue(token, "playable=")) {
            ring.fixed = TokenInt(v) == 0 ? 1 : 0;
        } else if (const char* v = TokenValue(token, "angle_invert_ratio=")) {
            const float ratio = TokenFloat(v);
            ring.ratio = ratio == 0.0f ? 1.0f : ratio;
        }
    }
    return kStatusOk;
}

int32_t WheelsBoard::FindRing(const char* name) const
{
    for (size_t r = 0; r < m_rings.size(); ++r)
        if (m_rings[r].name == name)
            return int32_t(r);
    return -1;
}

Status WheelsBoard::LinkRings(char* value)
{
    std::string source;
    bool haveSource = false;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        if (const char* v = TokenValue(token, "ring_name_src=")) {
            source = v;
            haveSource = true;
            continue;
        }
        const char* target = TokenValue(token, "ring_name_dst=");
        if (!target)
            continue;
        const int32_t from = haveSource ? FindRing(source.c_str()) : -1, to = FindRing(target);
        if (from < 0 || to < 0) {
            NoTrace("wheel_link_rings: no ring %s", from < 0 ? source.c_str() : target);
            return kStatusFailed;
        }
        std::vector<uint32_t>& links = m_rings[size_t(from)].links;
        if (std::find(links.begin(), links.end(), uint32_t(to)) == links.end())
            links.push_back(uint32_t(to));
        return kStatusOk;
    }
    return kStatusOk;
}

Status WheelsBoard::CheckSetup() const
{
    return m_play < 0 || m_gameType == 0 || m_rings.empty() ? kStatusFailed : kStatusOk;
}

// ---- turns --------------------------------------------------------------------------------------

int32_t WheelsBoard::Pick(float x, float y, float width, float height) const
{
    const float d = std::hypot(x, y), reach = (width + height) / 4.0f;
    for (size_t r = 0; r < m_rings.size(); ++r) {
        const WheelsRing& ring = m_rings[r];
        if (!ring.fixed && reach * ring.inner < d && d < reach * ring.outer)
            return int32_t(r);
    }
    return -1;
}

void WheelsBoard::TurnOne(uint32_t index)
{
    WheelsRing& ring = m_rings[index];
    if (!ring.divisions)
        return;
    ring.offset += ring.Step();
    ring.division = (ring.division + 1) % ring.divisions;
    if (ring.offset > float(kTwoPi))
        ring.offset = float(std::fmod(double(ring.offset), kTwoPi));
}

bool WheelsBoard::Click(int32_t ring)
{
    if (m_gameType != kWheelsClick)
        return false;
    if (ring < 0 || size_t(ring) >= m_rings.size()) {
        m_pHost->PlayBoardSound(true);
        return true;
    }
    for (uint32_t link : m_rings[size_t(ring)].links)
        if (link < m_rings.size())
            TurnOne(link);
    TurnOne(uint32_t(ring));
    m_pHost->PlayBoardSound(false);
    return true;
}

bool WheelsBoard::Press(int32_t ring)
{
    if (m_gameType != kWheelsRotate)
        return false;
    StopMove();
    m_held = ring >= 0 && size_t(ring) < m_rings.size() ? ring : -1;
    return m_held >= 0;
}

bool WheelsBoard::Drag(float a)
{
    if (m_held < 0)
        return false;
    const float p = m_lastAngle;
    float& c = m_halfTurns;
    float& s = m_direction;
    // The half turns crossed, counted in the way the drag goes.
    if (p > kPi / 2.0f && a < 0.0f) {
        m_flipped = s != 1.0f;
        c += 0.5f;
    } else if (p < -kPi / 2.0f && a > 0.0f) {
        m_flipped = s != -1.0f;
        c -= 0.5f;
    } else if (p < 0.0f && a > 0.0f) {
        if (c == 0.0f) {
            s = 1.0f;
        } else {
            c += 0.5f;
            m_flipped = s != 1.0f;
        }
    } else if (p > 0.0f && a < 0.0f) {
        if (c == 0.0f) {
            s = -1.0f;
        } else {
            c -= 0.5f;
            m_flipped = s != -1.0f;
        }
    } else if (p == 0.0f) {
        s = a > 0.0f ? 1.0f : -1.0f;
    }
    float b = a;
    if (m_flipped)
        b += s == 1.0f ? kPi : -kPi;
    const double total = double(c) * kTwoPi + double(b);
    WheelsRing& held = m_rings[size_t(m_held)];
    if (held.divisions) {
        const double step = kTwoPi / held.divisions;
        held.snapped = float(WholeSteps(total, step) * step);
    }
    for (uint32_t link : held.links)
        if (link < m_rings.size() && m_rings[link].divisions)
            m_rings[link].offset = float((1.0 / m_rings[link].ratio) *
                                         (double(held.divisions) / double(m_rings[link].divisions)) * total);
    m_lastAngle = a;
    held.offset = a;
    return true;
}

void WheelsBoard::Follow(const WheelsRing& ring, WheelsRing& other, float angle) const
{
    other.division = 0;
    other.offset = other.divisions ? float((1.0 / other.ratio) * (double(ring.divisions) / double(other.divisions)) *
                                           double(angle))
                                   : 0.0f;
    other.Fold();
}

bool WheelsBoard::Release()
{
    if (m_held < 0)
        return false;
    for (WheelsRing& ring : m_rings) {
        if (ring.fixed)
            continue;
        ring.Fold();
        ring.accumulated += ring.snapped;
        ring.snapped = 0.0f;
        for (uint32_t link : ring.links)
            if (link < m_rings.size() && m_rings[link].fixed)
                Follow(ring, m_rings[link], ring.accumulated);
    }
    StopMove();
    m_pHost->PlayBoardSound(false);
    return true;
}

void WheelsBoard::Step(float)
{
    if (m_rings.empty() || m_held >= 0)
        return;
    // The easing counts frames, not time.
    for (WheelsRing& ring : m_rings) {
        if (ring.fixed)
            continue;
        if (ring.offset > 0.0f)
            ring.offset = std::max(0.0f, ring.offset - kWheelsEaseStep);
        else if (ring.offset < 0.0f)
            ring.offset = std::min(0.0f, ring.offset + kWheelsEaseStep);
    }
    if (AtRest())
        m_pHost->BoardFinished(IsWon() ? 1 : 0);
}

bool WheelsBoard::AtRest() const
{
    for (const WheelsRing& ring : m_rings)
        if (!ring.fixed && ring.offset != 0.0f)
            return false;
    return true;
}

bool WheelsBoard::IsWon() const
{
    for (const WheelsRing& ring : m_rings)
        if (ring.division != ring.target || (!ring.fixed && ring.offset != 0.0f))
            return false;
    return true;
}

Status WheelsBoard::Deal()
{
    if (m_rings.empty())
        return kStatusFailed;
    StopMove();
    for (WheelsRing& ring : m_rings) {
        if (ring.fixed || !ring.divisions)
            continue;
        const uint32_t n = ring.divisions;
        ring.division = uint32_t(uint64_t(m_pHost->NextRandom()) * n >> 32);
        // One more when it landed on the target: no wrap, a division of n stands as 0.
        if (ring.division == ring.target)
            ++ring.division;
        const float step = ring.Step();
        ring.offset = float(ring.division) * step;
        uint32_t most = 0;
        for (uint32_t link : ring.links)
            if (link < m_rings.size() && m_rings[link].fixed)
                most = std::max(most, m_rings[link].divisions);
        const uint32_t turns = uint32_t(uint64_t(m_pHost->NextRandom()) * (most / n) >> 32);
        ring.accumulated = float(turns) * -float(kTwoPi) - float(ring.division) * step;
        for (uint32_t link : ring.links) {
            if (link >= m_rings.size() || &m_rings[link] == &ring)
                continue;
            WheelsRing& other = m_rings[link];
            Follow(ring, other, other.fixed ? ring.accumulated : ring.offset);
            other.offset = 0.0f;
        }
        ring.offset = 0.0f;
    }
    return kStatusOk;
}

// ---- saved fields -------------------------------------------------------------------------------

// After the level's part: the play item, the game type, the paused and solved flags, the ring
// count, then each ring: its reserved word, sign, ratio, offset, snapped offset and accumulated
// angle, fixed flag, divisions, division and target, outer and inner radius, texture (wide) and
// name (8-bit) as stream strings, and its links as a count and the indexes.
void WheelsBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    const bool reading = !state.Writing();
    state.Word(m_play).Word(m_gameType).Byte(paused).Byte(solved);
    uint32_t count = uint32_t(m_rings.size());
    state.Word(count);
    if (reading) {
        if (!state.Ok())
            return;
        if (count > kWheelsMostRings) {
            m_unfit = true;
            return;
        }
        m_rings.assign(count, WheelsRing{});
    }
    for (WheelsRing& ring : m_rings) {
        state.Word(ring.reserved).Word(ring.sign).Word(ring.ratio).Word(ring.offset).Word(ring.snapped);
        state.Word(ring.accumulated).Byte(ring.fixed).Word(ring.divisions).Word(ring.division).Word(ring.target);
        state.Word(ring.outer).Word(ring.inner).WideText(ring.texture).Text(ring.name);
        uint32_t links = uint32_t(ring.links.size());
        state.Word(links);
        if (reading) {
            if (!state.Ok())
                return;
            if (links > count) {
                m_unfit = true;
                return;
            }
            ring.links.assign(links, 0);
        }
        if (!ring.links.empty())
            state.Words(ring.links.data(), uint32_t(ring.links.size()));
    }
    if (reading && state.Ok()) {
        // A target of n is division 0.
        for (WheelsRing& ring : m_rings)
            if (ring.divisions && ring.target == ring.divisions)
                ring.target = 0;
    }
}

bool WheelsBoard::Fits(uint32_t elementCount) const
{
    if (m_unfit || m_play < -1 || (m_play >= 0 && uint32_t(m_play) >= elementCount) || m_gameType > kWheelsRotate)
        return false;
    for (const WheelsRing& ring : m_rings) {
        if (ring.divisions < 1 || ring.division > ring.divisions || ring.target >= ring.divisions || ring.fixed > 1)
            return false;
        for (float value : {ring.sign, ring.ratio, ring.offset, ring.snapped, ring.accumulated, ring.outer, ring.inner})
            if (!Finite(value))
                return false;
        if (ring.ratio == 0.0f)
            return false;
        for (uint32_t link : ring.links)
            if (link >= m_rings.size())
                return false;
    }
    return true;
}

uint32_t WheelsBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text = m_rings.empty() ? "wheels no rings" : "wheels";
    char part[96];
    for (const WheelsRing& ring : m_rings) {
        std::snprintf(part, sizeof part, " %s %u/%u->%u", ring.name.c_str(), ring.division, ring.divisions,
                      ring.target);
        text += part;
        if (ring.offset != 0.0f) {
            std::snprintf(part, sizeof part, "~%.3f", double(ring.offset));
            text += part;
        }
        for (uint32_t link : ring.links) {
            std::snprintf(part, sizeof part, ">%u", link);
            text += part;
        }
    }
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
