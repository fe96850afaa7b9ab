// The wheel stack board's rules: its words, clicks, drags, turns, the win test, the saved
// groups and the text form.
#include "NimbrelLevels/WheelStackBoard.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/LevelValues.h"

namespace {

constexpr float kTwoPi = 6.28318530717958f;
constexpr float kPi = 3.14159265358979f;
// A release this short of a target's way moves nothing; past half of it the item goes.
constexpr float kShortRatio = 0.1f;
constexpr float kHalfWay = 0.5f;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

float Clamp01(float value) { return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; }

// The ratio of `part` to `whole` (0 for a whole of 0), within [0, 1].
float Ratio(float part, float whole, bool absolute)
{
    if (whole == 0.0f)
        return 0.0f;
    const float ratio = part / whole;
    return Clamp01(absolute ? std::fabs(ratio) : ratio);
}

}  // namespace

WheelStackTag WheelStackTag::Of(int32_t tag)
{
    const uint32_t word = uint32_t(tag);
    const uint32_t group = word >> 16 & 0xFF;
    if (tag == kWheelStackNoTag || (word >> 24) != 0xFF)
        return {tag == kWheelStackMovable ? kMovable : kNone, 0, 0, 0};
    if ((word & 0xFF) == 0xFF)
        return {(word >> 8 & 0xFF) == 0xFF ? kWheel : kNone, group, 0, 0};
    return {kDummy, group, word >> 8 & 0xFF, word & 0xFF};
}

void WheelStackBoard::Clear()
{
    m_groups.clear();
    m_dragging = 0;
    m_unfit = false;
    StopMove();
}

void WheelStackBoard::StopMove()
{
    m_animation = kWheelStackIdle;
    m_progress = 0.0f;
    m_residual = 0.0f;
    m_turning = -1;
    m_startAngle = 0.0f;
    m_moving = m_slot = WheelStackPlaceRef();
    ClearDrag();
}

void WheelStackBoard::ClearDrag()
{
    std::memset(m_offset, 0, sizeof m_offset);
    m_targets.clear();
    m_heldWheel = -1;
}

// ---- words -------------------------------------------------------------------------------------

Status WheelStackBoard::Word(const char* name, char* value)
{
    if (!value)
        return kStatusDoneStoreResult;
    if (Is(name, "wheel_stack_reset_groups")) {
        Clear();
        return kStatusDoneStoreResult;
    }
    if (Is(name, "wheel_stack_register_group"))
        return RegisterGroup(value);
    if (Is(name, "wheel_stack_register_sub_group"))
        return RegisterSubGroups(value);
    if (Is(name, "wheel_stack_register_dummy"))
        return RegisterDummies(value);
    if (Is(name, "wheel_stack_link_groups"))
        return LinkGroups(value);
    if (Is(name, "wheel_stack_enable_dragging")) {
        if (Is(value, "on") || Is(value, "off"))
            m_dragging = Is(value, "on");
    }
    return kStatusDoneStoreResult;
}

Status WheelStackBoard::RegisterGroup(char* value)
{
    if (m_groups.size() >= kWheelStackMaxCount) {
        NoTrace("wheel stack: %u groups already", kWheelStackMaxCount);
        return kStatusFailed;
    }
    WheelStackGroup group;
    group.wheelItem = -1;
    bool named = false;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        int32_t g, s;
        if (const char* name = TokenValue(token, "group_name=")) {
            if (*name && Find(name, false, &g, &s)) {
                NoTrace("wheel stack: group %s exists", name);
                return kStatusFailed;
            }
            group.name = name;
            named = *name != '\0';
        } else if (const char* item = TokenValue(token, "wheel_item_name=")) {
            group.wheelItem = m_pHost->FindItem(item);
            if (group.wheelItem < 0) {
                NoTrace("wheel stack: no item %s", item);
                return kStatusFailed;
            }
        } else if (Is(token, "group_type=wheel") || Is(token, "group_type=stack")) {
            group.type = Is(token, "group_type=wheel");
        } else {
            NoTrace("wheel stack: unknown token %s", token);
            return kStatusFailed;
        }
    }
    if (!named)
        return kStatusDoneStoreResult;
    if (group.IsWheel() && group.wheelItem < 0) {
        NoTrace("wheel stack: wheel %s without its item", group.name.c_str());
        return kStatusFailed;
    }
    if (group.IsWheel())
        m_pHost->TagItem(group.wheelItem, WheelStackTag::Wheel(uint32_t(m_groups.size())));
    m_groups.push_back(std::move(group));
    return kStatusDoneStoreResult;
}

Status WheelStackBoard::RegisterSubGroups(char* value)
{
    WheelStackGroup* selected = nullptr;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        int32_t g, s;
        if (const char* name = TokenValue(token, "group_name=")) {
            if (!Find(name, false, &g, &s)) {
                NoTrace("wheel stack: no group %s", name);
                return kStatusFailed;
            }
            selected = &m_groups[g];
        } else if (const char* sub = TokenValue(token, "sub_group_name=")) {
            if (!selected || !*sub || Find(sub, true, &g, &s) || selected->subGroups.size() >= kWheelStackMaxCount) {
                NoTrace("wheel stack: sub group %s refused", sub);
                return kStatusFailed;
            }
            WheelStackGroup record;
            record.name = sub;
            selected->subGroups.push_back(std::move(record));
        } else {
            NoTrace("wheel stack: unknown token %s", token);
            return kStatusFailed;
        }
    }
    return kStatusDoneStoreResult;
}

Status WheelStackBoard::RegisterDummies(char* value)
{
    int32_t group = -1, sub = -1;
    WheelStackGroup* column = nullptr;
    bool placed = false;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        if (const char* name = TokenValue(token, "group_name=")) {
            if (!Find(name, true, &group, &sub)) {
                NoTrace("wheel stack: no group %s", name);
                return kStatusFailed;
            }
            column = ColumnOf(group, sub);
            continue;
        }
        const char* dummy = TokenValue(token, "dummy_item_name=");
        const char* linked = TokenValue(token, "linked_item_name=");
        const char* finished = TokenValue(token, "finished_item_name=");
        if (!dummy && !linked && !finished) {
            NoTrace("wheel stack: unknown token %s", token);
            return kStatusFailed;
        }
        const int32_t item = m_pHost->FindItem(dummy ? dummy : linked ? linked : finished);
        if (item < 0 || !column || (dummy ? column->places.size() >= kWheelStackMaxCount : !placed)) {
            NoTrace("wheel stack: %s refused", token);
            return kStatusFailed;
        }
        if (dummy) {
            const uint32_t place = uint32_t(column->places.size());
            column->places.push_back({item, -1, -1, -1});
            m_pHost->TagItem(item, WheelStackTag::Dummy(uint32_t(group), sub < 0 ? 0xFFu : uint32_t(sub), place));
            placed = true;
        } else if (linked) {
            column->places.back().initial = column->places.back().current = item;
            m_pHost->TagItem(item, kWheelStackMovable);
        } else {
            column->places.back().expected = item;
        }
    }
    return kStatusDoneStoreResult;
}

Status WheelStackBoard::LinkGroups(char* value)
{
    WheelStackLink source = {-1, -1}, destination = {-1, -1};
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        const char* from = TokenValue(token, "group_name_src=");
        const char* to = TokenValue(token, "group_name_dst=");
        WheelStackLink* end = from ? &source : to ? &destination : nullptr;
        if (!end || !Find(from ? from : to, true, &end->group, &end->subGroup)) {
            NoTrace("wheel stack: %s refused", token);
            return kStatusFailed;
        }
    }
    // Items go to a wheel through one of its slots, never to the wheel as a whole.
    if (source.group < 0 || destination.group < 0 ||
        (destination.subGroup < 0 && m_groups[destination.group].IsWheel())) {
        NoTrace("wheel stack: link refused");
        return kStatusFailed;
    }
    ColumnOf(source.group, source.subGroup)->links.push_back(destination);
    return kStatusDoneStoreResult;
}

bool WheelStackBoard::Find(const char* name, bool subGroups, int32_t* pGroup, int32_t* pSubGroup) const
{
    if (!name || !*name)
        return false;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        if (m_groups[g].name == name) {
            *pGroup = int32_t(g);
            *pSubGroup = -1;
            return true;
        }
        if (!subGroups)
            continue;
        for (size_t s = 0; s < m_groups[g].subGroups.size(); ++s)
            if (m_groups[g].subGroups[s].name == name) {
                *pGroup = int32_t(g);
                *pSubGroup = int32_t(s);
                return true;
            }
    }
    return false;
}

WheelStackGroup* WheelStackBoard::ColumnOf(int32_t group, int32_t subGroup)
{
    return const_cast<WheelStackGroup*>(static_cast<const WheelStackBoard*>(this)->ColumnOf(group, subGroup));
}

const WheelStackGroup* WheelStackBoard::ColumnOf(int32_t group, int32_t subGroup) const
{
    if (group < 0 || size_t(group) >= m_groups.size())
        return nullptr;
    const WheelStackGroup& g = m_groups[size_t(group)];
    if (subGroup < 0)
        return &g;
    return size_t(subGroup) < g.subGroups.size() ? &g.subGroups[size_t(subGroup)] : nullptr;
}

const WheelStackGroup* WheelStackBoard::Column(uint32_t group, uint32_t subGroup) const
{
    return ColumnOf(int32_t(group), subGroup == 0xFF ? -1 : int32_t(subGroup));
}

const WheelStackPlace* WheelStackBoard::PlaceAt(const WheelStackPlaceRef& ref) const
{
    const WheelStackGroup* column = ColumnOf(ref.group, ref.subGroup);
    return column && ref.place >= 0 && size_t(ref.place) < column->places.size() ? &column->places[size_t(ref.place)]
                                                                                  : nullptr;
}

// ---- "reset", the setup and the win test --------------------------------------------------------

Status WheelStackBoard::CheckSetup() const { return m_groups.empty() ? kStatusFailed : kStatusOk; }

Status WheelStackBoard::Deal()
{
    for (WheelStackGroup& group : m_groups) {
        if (group.IsWheel())
            group.rotation = 0;
        for (WheelStackPlace& place : group.places)
            place.current = place.initial;
        for (WheelStackGroup& sub : group.subGroups)
            for (WheelStackPlace& place : sub.places)
                place.current = place.initial;
    }
    return kStatusOk;
}

bool WheelStackBoard::IsWon() const
{
    for (const WheelStackGroup& group : m_groups) {
        for (const WheelStackPlace& place : group.places)
            if (place.expected != -1 && place.current != place.expected)
                return false;
        for (const WheelStackGroup& sub : group.subGroups)
            for (const WheelStackPlace& place : sub.places)
                if (place.expected != -1 && place.current != place.expected)
                    return false;
    }
    return true;
}

void WheelStackBoard::WriteTags() const
{
    for (uint32_t g = 0; g < m_groups.size(); ++g) {
        const WheelStackGroup& group = m_groups[g];
        if (group.IsWheel() && group.wheelItem >= 0)
            m_pHost->TagItem(group.wheelItem, WheelStackTag::Wheel(g));
        for (uint32_t s = 0; s <= group.subGroups.size(); ++s) {
            const bool own = s == group.subGroups.size();
            const WheelStackGroup& column = own ? group : group.subGroups[s];
            for (uint32_t p = 0; p < column.places.size(); ++p) {
                const WheelStackPlace& place = column.places[p];
                m_pHost->TagItem(place.dummy, WheelStackTag::Dummy(g, own ? 0xFFu : s, p));
                for (int32_t item : {place.initial, place.current})
                    if (item >= 0)
                        m_pHost->TagItem(item, kWheelStackMovable);
            }
        }
    }
}

// ---- where the places are ----------------------------------------------------------------------

WheelStackPlaceRef WheelStackBoard::Shown(uint32_t group, uint32_t slot, uint32_t place) const
{
    const WheelStackGroup& wheel = m_groups[group];
    const uint32_t n = uint32_t(wheel.subGroups.size());
    return {int32_t(group), int32_t((n - wheel.rotation % n + slot) % n), int32_t(place)};
}

WheelStackPlaceRef WheelStackBoard::FreePlace(const WheelStackLink& link) const
{
    const WheelStackGroup* column = ColumnOf(link.group, link.subGroup);
    if (!column)
        return {};
    WheelStackPlaceRef ref{link.group, link.subGroup, -1};
    const WheelStackGroup& group = m_groups[size_t(link.group)];
    if (group.IsWheel() && link.subGroup >= 0) {
        ref = Shown(uint32_t(link.group), uint32_t(link.subGroup), 0);
        column = &group.subGroups[size_t(ref.subGroup)];
    }
    for (size_t p = 0; p < column->places.size(); ++p)
        if (column->places[p].current == -1) {
            ref.place = int32_t(p);
            return ref;
        }
    return {};
}

float WheelStackBoard::WheelAngle(uint32_t group) const
{
    const WheelStackGroup& wheel = m_groups[group];
    if (wheel.subGroups.empty())
        return 0.0f;
    float angle = kTwoPi / float(wheel.subGroups.size()) * float(wheel.rotation);
    if (m_turning == int32_t(group)) {
        if (m_heldWheel >= 0)
            angle += m_residual;
        else if (m_animation == kWheelStackTurn)
            angle += m_residual * m_progress;
    }
    return angle;
}

float WheelStackBoard::ItemAngle(uint32_t group, uint32_t subGroup) const
{
    const WheelStackGroup& wheel = m_groups[group];
    if (!wheel.IsWheel() || subGroup >= wheel.subGroups.size())
        return 0.0f;
    return WheelAngle(group) + kTwoPi / float(wheel.subGroups.size()) * float(subGroup);
}

void WheelStackBoard::PlacePoint(const WheelStackPlaceRef& ref, float* pOut3) const
{
    const WheelStackGroup& group = m_groups[size_t(ref.group)];
    const int32_t dummy = PlaceAt(ref)->dummy;
    if (group.IsWheel() && ref.subGroup >= 0)
        m_pHost->PlacePoint(dummy, group.wheelItem, WheelAngle(uint32_t(ref.group)), pOut3);
    else
        m_pHost->PlacePoint(dummy, -1, 0.0f, pOut3);
}

bool WheelStackBoard::Covered(const WheelStackGroup& column, uint32_t place) const
{
    return place + 1 < column.places.size() && column.places[place + 1].current != -1;
}

// ---- clicks --------------------------------------------------------------------------------------

void WheelStackBoard::TurnWheel(uint32_t group, int32_t soundItem)
{
    WheelStackGroup& wheel = m_groups[group];
    const uint32_t n = uint32_t(wheel.subGroups.size());
    wheel.rotation = uint8_t((wheel.rotation + 1) % n);
    m_pHost->PlayItemSound(soundItem);
    m_animation = kWheelStackTurn;
    m_progress = 1.0f;
    m_turning = int32_t(group);
    m_residual = -kTwoPi / float(n);
}

void WheelStackBoard::MoveItem(const WheelStackPlaceRef& source, const WheelStackPlaceRef& target, int32_t soundItem)
{
    WheelStackPlace& from = ColumnOf(source.group, source.subGroup)->places[size_t(source.place)];
    WheelStackPlace& to = ColumnOf(target.group, target.subGroup)->places[size_t(target.place)];
    to.current = from.current;
    from.current = -1;
    m_pHost->PlayItemSound(soundItem);
}

void WheelStackBoard::Click(int32_t tag)
{
    const WheelStackTag t = WheelStackTag::Of(tag);
    if (t.kind == WheelStackTag::kNone)
        return;
    if (m_animation != kWheelStackIdle || t.kind == WheelStackTag::kMovable || t.group >= m_groups.size()) {
        m_pHost->PlayNull();
        return;
    }
    const WheelStackGroup& group = m_groups[t.group];
    const uint32_t n = uint32_t(group.subGroups.size());
    // A wheel without sub groups has no step to turn by.
    if (t.kind == WheelStackTag::kWheel) {
        if (group.IsWheel() && n > 0)
            TurnWheel(t.group, group.wheelItem);
        else
            m_pHost->PlayNull();
        return;
    }
    const WheelStackGroup* column = Column(t.group, t.subGroup);
    if (!column || t.place >= column->places.size()) {
        m_pHost->PlayNull();
        return;
    }
    const int32_t dummy = column->places[t.place].dummy;
    WheelStackPlaceRef source{int32_t(t.group), t.subGroup == 0xFF ? -1 : int32_t(t.subGroup), int32_t(t.place)};
    const WheelStackLink* link = nullptr;
    float startAngle = 0.0f;
    if (!group.IsWheel()) {
        if (column->places[t.place].current != -1 && group.links.size() == 1 && !Covered(*column, t.place))
            link = &group.links[0];
    } else if (n > 0 && t.subGroup != 0xFF) {
        source = Shown(t.group, t.subGroup, t.place);
        const WheelStackGroup& shown = group.subGroups[size_t(source.subGroup)];
        if (t.place < shown.places.size() && shown.places[t.place].current == -1) {
            TurnWheel(t.group, dummy);
            return;
        }
        const WheelStackGroup& slot = group.subGroups[t.subGroup];
        if (t.place < shown.places.size() && group.links.size() != 1 && !Covered(shown, t.place) && !slot.links.empty())
            link = &slot.links[0];
        startAngle = kTwoPi / float(n) * float(t.subGroup);
    }
    const WheelStackPlaceRef target = link ? FreePlace(*link) : WheelStackPlaceRef();
    if (!target.IsSet()) {
        m_pHost->PlayNull();
        return;
    }
    float from[3], to[3];
    PlacePoint(source, from);
    PlacePoint(target, to);
    MoveItem(source, target, dummy);
    for (int i = 0; i < 3; ++i)
        m_offset[i] = from[i] - to[i];
    m_startAngle = startAngle;
    m_animation = kWheelStackMove;
    m_progress = 1.0f;
    m_moving = target;
}

// ---- drags -------------------------------------------------------------------------------------

Status WheelStackBoard::Press(int32_t tag, int32_t item)
{
    // A turn or a move still running keeps the board until it ends.
    if (!m_dragging || m_animation == kWheelStackTurn || m_animation == kWheelStackMove)
        return kStatusFailed;
    StopMove();
    const WheelStackTag t = WheelStackTag::Of(tag);
    if ((t.kind != WheelStackTag::kWheel && t.kind != WheelStackTag::kDummy) || t.group >= m_groups.size())
        return kStatusFailed;
    const WheelStackGroup& group = m_groups[t.group];
    const uint32_t n = uint32_t(group.subGroups.size());
    if (t.kind == WheelStackTag::kWheel) {
        if (!group.IsWheel() || n == 0)
            return kStatusFailed;
        m_heldWheel = item;
        m_turning = int32_t(t.group);
        return kStatusOk;
    }
    const WheelStackGroup* column = Column(t.group, t.subGroup);
    if (!column || t.place >= column->places.size())
        return kStatusFailed;
    const WheelStackPlaceRef slot{int32_t(t.group), t.subGroup == 0xFF ? -1 : int32_t(t.subGroup), int32_t(t.place)};
    WheelStackPlaceRef source = slot;
    const std::vector<WheelStackLink>* links = &group.links;
    if (group.IsWheel()) {
        if (n == 0 || t.subGroup == 0xFF)
            return kStatusFailed;
        source = Shown(t.group, t.subGroup, t.place);
        const WheelStackPlace* shown = PlaceAt(source);
        if (!shown)
            return kStatusFailed;
        if (shown->current == -1) {
            m_heldWheel = group.wheelItem;
            m_turning = int32_t(t.group);
            return kStatusOk;
        }
        links = &group.subGroups[t.subGroup].links;
    } else if (column->places[t.place].current == -1 || Covered(*column, t.place)) {
        return kStatusFailed;
    }
    float from[3];
    PlacePoint(source, from);
    for (const WheelStackLink& link : *links) {
        const WheelStackPlaceRef target = FreePlace(link);
        if (!target.IsSet())
            continue;
        WheelStackDragTarget record = {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f}, source, target};
        PlacePoint(target, record.vector);
        for (int i = 0; i < 3; ++i)
            record.vector[i] -= from[i];
        m_targets.push_back(record);
    }
    if (m_targets.empty())
        return kStatusFailed;
    m_animation = kWheelStackHeld;
    m_moving = source;
    m_slot = slot;
    return kStatusOk;
}

const WheelStackDragTarget* WheelStackBoard::Nearest(const float* p, float* pRx, float* pRy, bool absolute) const
{
    const WheelStackDragTarget* nearest = nullptr;
    float best = 0.0f;
    for (const WheelStackDragTarget& target : m_targets) {
        const float dx = p[0] - target.vector[0], dy = p[1] - target.vector[1], dz = p[2] - target.vector[2];
        const float distance = dx * dx + dy * dy + dz * dz;
        if (!nearest || distance < best) {
            nearest = &target;
            best = distance;
        }
    }
    if (nearest) {
        *pRx = Ratio(p[0], nearest->vector[0], absolute);
        *pRy = Ratio(p[1], nearest->vector[1], absolute);
    }
    return nearest;
}

void WheelStackBoard::Drag(const float* p)
{
    float rx = 0.0f, ry = 0.0f;
    const WheelStackDragTarget* found = m_animation == kWheelStackHeld ? Nearest(p, &rx, &ry, false) : nullptr;
    if (!found)
        return;
    auto* target = const_cast<WheelStackDragTarget*>(found);
    // Along the straight line to the target, by the ratio of its longer axis.
    const float ratio = std::fabs(target->vector[0]) <= std::fabs(target->vector[1]) ? ry : rx;
    m_offset[0] = ratio * target->vector[0];
    m_offset[1] = ratio * target->vector[1];
    m_offset[2] = 0.0f;
    target->largest[0] = std::fmax(target->largest[0], rx);
    target->largest[1] = std::fmax(target->largest[1], ry);
}

void WheelStackBoard::TurnHeld(float angle)
{
    if (m_heldWheel >= 0)
        m_residual = std::isfinite(angle) ? -std::fmax(-kPi, std::fmin(kPi, angle)) : 0.0f;
}

Status WheelStackBoard::Release(const float* p)
{
    if (m_heldWheel >= 0) {
        WheelStackGroup& wheel = m_groups[size_t(m_turning)];
        const uint32_t n = uint32_t(wheel.subGroups.size());
        const float step = kTwoPi / float(n);
        const uint8_t before = wheel.rotation;
        float rest = m_residual;
        while (rest > step * 0.5f) {
            wheel.rotation = uint8_t((wheel.rotation + 1) % n);
            rest -= step;
        }
        while (rest < -step * 0.5f) {
            wheel.rotation = uint8_t((wheel.rotation + n - 1) % n);
            rest += step;
        }
        m_heldWheel = -1;
        m_residual = rest;
        if (rest == 0.0f) {
            m_turning = -1;
            return wheel.rotation != before ? kStatusOk : kStatusFailed;
        }
        m_pHost->PlayItemSound(wheel.wheelItem);
        m_animation = kWheelStackTurn;
        m_progress = 1.0f;
        return kStatusOk;
    }
    if (m_animation != kWheelStackHeld)
        return kStatusFailed;
    float rx = 0.0f, ry = 0.0f;
    const WheelStackDragTarget* target = Nearest(p, &rx, &ry, true);
    const WheelStackPlace* slot = PlaceAt(m_slot);
    if (!target || !slot) {
        StopMove();
        return kStatusFailed;
    }
    Status status = kStatusOk;
    const float* t = target->vector;
    // Each ratio counts only on an axis the target lies along.
    const bool shortRatio = (t[0] != 0.0f && rx < kShortRatio) || (t[1] != 0.0f && ry < kShortRatio);
    const bool noOffset = (m_offset[0] == 0.0f || t[0] / m_offset[0] < kShortRatio) &&
                          (m_offset[1] == 0.0f || t[1] / m_offset[1] < kShortRatio);
    if (shortRatio || noOffset) {
        if (!(target->largest[0] > kHalfWay) && !(target->largest[1] > kHalfWay))
            status = kStatusFailed;
    } else if (rx > kHalfWay || ry > kHalfWay) {
        MoveItem(target->source, target->target, slot->dummy);
        StopMove();
        if (IsWon())
            m_pHost->BoardFinished(1);
        return kStatusOk;
    } else {
        m_pHost->PlayNull();
    }
    StopMove();
    return status;
}

// ---- the animation -------------------------------------------------------------------------------

void WheelStackBoard::Step(float frameStep)
{
    if (m_animation != kWheelStackTurn && m_animation != kWheelStackMove)
        return;
    m_progress -= frameStep * kWheelStackRate;
    if (!(m_progress < 0.0f))
        return;
    const bool moved = m_animation == kWheelStackMove;
    StopMove();
    if (moved)
        m_pHost->BoardFinished(IsWon() ? 1 : 0);
}

// ---- the saved groups ------------------------------------------------------------------------------

bool WheelStackBoard::MoveGroup(LevelState& state, WheelStackGroup& group, bool sub)
{
    const bool reading = !state.Writing();
    // The wheel item's bits 8 to 23 ride in the two bytes after the rotation; a stack's -1 is
    // written as bytes 0, 0 and 0xFF, and read back so.
    const uint32_t item = uint32_t(group.wheelItem);
    uint8_t high[2] = {uint8_t(group.wheelItem < 0 ? 0 : item >> 8), uint8_t(group.wheelItem < 0 ? 0 : item >> 16)};
    uint8_t low = uint8_t(item), lowAgain = low;
    state.Byte(group.type).Byte(group.rotation).Byte(high[0]).Byte(high[1]).Byte(low).Byte(lowAgain);
    if (reading) {
        if (!state.Ok() || low != lowAgain) {
            m_unfit = state.Ok();
            return false;
        }
        group.wheelItem = group.type == 0 && high[0] == 0 && high[1] == 0 && low == 0xFF
                              ? -1
                              : int32_t(uint32_t(high[1]) << 16 | uint32_t(high[0]) << 8 | low);
    }
    // The name as a stream string: its length with the terminator (0 for none), the character
    // size 1, the characters.
    uint32_t length = group.name.empty() ? 0 : uint32_t(group.name.size() + 1);
    state.Word(length);
    if (length) {
        uint8_t size = 1;
        state.Byte(size);
        if (reading) {
            if (!state.Ok())
                return false;
            if (size != 1 || length > kWheelStackMaxName + 1) {
                m_unfit = true;
                return false;
            }
            group.name.assign(length, '\0');
        }
        state.Bytes(&group.name[0], length);
        if (reading) {
            if (!state.Ok())
                return false;
            // One terminator, at the end: the name saves back as it was read.
            if (std::strlen(group.name.c_str()) != length - 1) {
                m_unfit = true;
                return false;
            }
            group.name.resize(length - 1);
        }
    }
    uint32_t places = uint32_t(group.places.size());
    state.Word(places);
    if (reading) {
        if (!state.Ok() || places > kWheelStackMaxCount) {
            m_unfit = state.Ok();
            return false;
        }
        group.places.assign(places, WheelStackPlace{-1, -1, -1, -1});
    }
    for (WheelStackPlace& place : group.places)
        state.Word(place.dummy).Word(place.initial).Word(place.current).Word(place.expected);
    uint32_t subs = uint32_t(group.subGroups.size());
    state.Word(subs);
    if (reading) {
        if (!state.Ok() || subs > kWheelStackMaxCount || (sub && subs != 0)) {
            m_unfit = state.Ok();
            return false;
        }
        group.subGroups.assign(subs, WheelStackGroup());
    }
    for (WheelStackGroup& record : group.subGroups)
        if (!MoveGroup(state, record, true))
            return false;
    uint32_t links = uint32_t(group.links.size());
    state.Word(links);
    // Links are read one at a time: a count larger than the state holds ends at its first
    // missing field.
    for (uint32_t l = 0; l < links && state.Ok(); ++l) {
        if (reading)
            group.links.push_back({-1, -1});
        state.Word(group.links[l].group).Word(group.links[l].subGroup);
    }
    return state.Ok();
}

void WheelStackBoard::StateFields(LevelState& state)
{
    state.Byte(m_dragging);
    uint32_t count = uint32_t(m_groups.size());
    state.Word(count);
    if (!state.Writing()) {
        if (!state.Ok())
            return;
        if (count > kWheelStackMaxCount) {
            m_unfit = true;
            return;
        }
        m_groups.assign(count, WheelStackGroup());
    }
    for (WheelStackGroup& group : m_groups)
        if (!MoveGroup(state, group, false))
            return;
}

bool WheelStackBoard::LinkFits(const WheelStackLink& link) const
{
    if (link.group < 0 || size_t(link.group) >= m_groups.size())
        return false;
    const WheelStackGroup& group = m_groups[size_t(link.group)];
    return link.subGroup < 0 ? link.subGroup == -1 && !group.IsWheel() : size_t(link.subGroup) < group.subGroups.size();
}

bool WheelStackBoard::GroupFits(const WheelStackGroup& group, bool sub, uint32_t elementCount) const
{
    auto element = [elementCount](int32_t item) { return item >= 0 && uint32_t(item) < elementCount; };
    const size_t n = group.subGroups.size();
    if (group.type > 1 || (sub && (group.type != 0 || group.rotation != 0)))
        return false;
    if (n == 0 ? group.rotation != 0 : group.rotation >= n)
        return false;
    if (group.IsWheel() ? !element(group.wheelItem) : !sub && group.wheelItem != -1 && !element(group.wheelItem))
        return false;
    if (group.places.size() > kWheelStackMaxCount || n > kWheelStackMaxCount)
        return false;
    for (const WheelStackPlace& place : group.places) {
        if (!element(place.dummy))
            return false;
        for (int32_t item : {place.initial, place.current, place.expected})
            if (item != -1 && !element(item))
                return false;
    }
    for (const WheelStackGroup& record : group.subGroups)
        if (!GroupFits(record, true, elementCount))
            return false;
    for (const WheelStackLink& link : group.links)
        if (!LinkFits(link))
            return false;
    return true;
}

bool WheelStackBoard::Fits(uint32_t elementCount) const
{
    if (m_unfit || m_dragging > 1 || m_groups.size() > kWheelStackMaxCount)
        return false;
    for (const WheelStackGroup& group : m_groups)
        if (!GroupFits(group, false, elementCount))
            return false;
    return true;
}

// ---- the text form -------------------------------------------------------------------------------

uint32_t WheelStackBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text = "wheelstack";
    auto item = [this](int32_t element) {
        if (element < 0)
            return std::string("-");
        const char* name = m_pHost->ItemName(element);
        return name ? std::string(name) : "#" + std::to_string(element);
    };
    auto column = [&](const WheelStackGroup& group) {
        text += group.name + "[";
        for (size_t p = 0; p < group.places.size(); ++p)
            text += (p ? "," : "") + item(group.places[p].current);
        text += "]";
    };
    for (const WheelStackGroup& group : m_groups) {
        text += " ";
        if (!group.IsWheel()) {
            column(group);
            continue;
        }
        text += group.name + " r" + std::to_string(group.rotation) + " {";
        for (size_t s = 0; s < group.subGroups.size(); ++s) {
            text += s ? " " : "";
            column(group.subGroups[s]);
        }
        text += "}";
    }
    if (m_groups.empty())
        text += " no groups";
    if (m_animation == kWheelStackTurn || m_animation == kWheelStackMove)
        text += " moving";
    else if (m_animation == kWheelStackHeld || m_heldWheel >= 0)
        text += " held";
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
