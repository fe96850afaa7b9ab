#pragma once
// The wheel stack board: named groups of item places. A stack is a column of places filled from
// the bottom; a wheel is a turning item that carries sub groups, each a column of places, round
// with it. The player moves the top item of a column along the column's first link to the
// lowest free place of another column (a click) or along any link (a drag), and turns wheels by
// clicking or dragging them. Solved when every place that expects an item holds exactly it.
//
// A wheel's sub groups stand for its slots: slot s is drawn at 2 pi / n x s, turned with the
// wheel, and after r turns the sub group shown under slot s's dummies is (n - r + s) mod n.
// Links and dummies belong to slots; items belong to the sub groups and travel with the wheel.
//
// Elements are named by the level tag the board gives them (WheelStackTag): -1 not part of the
// game, 0 a movable item, a wheel item, or a place's dummy. The board writes the tags through
// its host whenever they may have been lost.
//
// Text form: "wheelstack NAME[item,-,...] WHEEL r1 {SUB[...] SUB[...]}" with each column's
// places bottom first (their current items by name, "-" for none), then " moving" or " held"
// while something moves; "wheelstack no groups" before the first group.
#include <cstdint>
#include <string>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "VornelUtils/Status.h"

class LevelState;

// Groups, sub groups of a group and places of a column: each is counted and tagged in a byte
// (0xFF marks "none" in a tag).
constexpr uint32_t kWheelStackMaxCount = 254;
// The progress a frame step of 1.0 takes off a turn or a move.
constexpr float kWheelStackRate = 0.15f;
// The longest name a saved state may bring back.
constexpr uint32_t kWheelStackMaxName = 4096;

enum WheelStackAnimation : uint32_t {
    kWheelStackIdle = 0,
    kWheelStackTurn = 1,
    kWheelStackMove = 2,
    kWheelStackHeld = 3,
};

constexpr int32_t kWheelStackNoTag = -1;
constexpr int32_t kWheelStackMovable = 0;

// What a level tag names.
struct WheelStackTag {
    enum Kind { kNone, kMovable, kWheel, kDummy } kind;
    uint32_t group;
    uint32_t subGroup;  // 0xFF: the group's own places
    uint32_t place;

    static WheelStackTag Of(int32_t tag);
    static int32_t Wheel(uint32_t group) { return int32_t(0xFF00FFFFu | group << 16); }
    static int32_t Dummy(uint32_t group, uint32_t subGroup, uint32_t place)
    {
        return int32_t(0xFF000000u | group << 16 | subGroup << 8 | place);
    }
};

struct WheelStackPlace {
    int32_t dummy;
    int32_t initial;
    int32_t current;
    int32_t expected;
};

struct WheelStackLink {
    int32_t group;
    int32_t subGroup;  // -1: the group itself
};

// A group or a sub group (a sub group is a stack, without sub groups of its own).
struct WheelStackGroup {
    uint8_t type = 0;  // 1 wheel, 0 stack
    uint8_t rotation = 0;
    int32_t wheelItem = 0;
    std::string name;
    std::vector<WheelStackPlace> places;
    std::vector<WheelStackGroup> subGroups;
    std::vector<WheelStackLink> links;

    bool IsWheel() const { return type == 1; }
};

// A place by its group, sub group (-1 the group's own) and index.
struct WheelStackPlaceRef {
    int32_t group = -1;
    int32_t subGroup = -1;
    int32_t place = -1;

    bool IsSet() const { return group >= 0; }
    bool operator==(const WheelStackPlaceRef& o) const
    {
        return group == o.group && subGroup == o.subGroup && place == o.place;
    }
};

struct WheelStackDragTarget {
    float vector[3];   // from the held item to the target place
    float largest[2];  // the largest x and y ratios reached
    WheelStackPlaceRef source;
    WheelStackPlaceRef target;
};

// What the board asks of the level beyond the common host.
class WheelStackHost : public LevelBoardHost {
public:
    // The element named `name`, or -1; an element's name, or null.
    virtual int32_t FindItem(const char* name) = 0;
    virtual const char* ItemName(int32_t item) = 0;
    // The element's level tag becomes `tag`.
    virtual void TagItem(int32_t item, int32_t tag) = 0;
    // Where a place shows its item: the dummy's position, turned by `angle` radians about the
    // wheel item's when `wheel` is not -1.
    virtual void PlacePoint(int32_t dummy, int32_t wheel, float angle, float* pOut3) = 0;
    // The element's own click sound, else the default click; the null click.
    virtual void PlayItemSound(int32_t item) = 0;
    virtual void PlayNull() = 0;

protected:
    ~WheelStackHost() = default;
};

class WheelStackBoard {
public:
    using Host = WheelStackHost;
    static constexpr bool kItemWordsClearSolved = false;

    explicit WheelStackBoard(WheelStackHost* pHost) : m_pHost(pHost) { Clear(); }

    // No groups, dragging off, nothing moving.
    void Clear();
    // The board has no single-item words.
    int32_t* ItemWord(const char*) { return nullptr; }
    void SetItem(int32_t*, int32_t) {}
    // The "wheel_stack_" words (kStatusDoneStoreResult, kStatusFailed for a bad value; unknown
    // words are taken).
    Status Word(const char* name, char* value);
    // The board has no action events.
    Status Action(const char*) { return kStatusDoneNoResult; }
    // kStatusFailed without a group.
    Status CheckSetup() const;
    // "reset": wheels back at rotation 0 and every place holding its initial item; the
    // animation goes on as it was.
    Status Deal();
    void Step(float frameStep);
    // Nothing moves or is held any more.
    void StopMove();

    // A click on an element of tag `tag` (not -1): a turn, a move or the null click.
    void Click(int32_t tag);
    // A press on an element of tag `tag` (element `item`): a wheel held, or an item held with
    // its drag targets (kStatusOk); kStatusFailed when nothing is taken.
    Status Press(int32_t tag, int32_t item);
    // The held item follows the point `p` (in the frame of the slot place's dummy).
    void Drag(const float* p);
    // The held wheel's live angle (the turn angle from the press).
    void TurnHeld(float angle);
    // The release of a drag at `p`, or of the held wheel; kStatusFailed when it made nothing
    // happen (a short drag that never passed half the way, a wheel not turned at all).
    Status Release(const float* p);

    bool IsWon() const;
    // Every element's tag from the group records (the others' -1 are the level's).
    void WriteTags() const;
    // Whether fields read back fit an object of `elementCount` elements.
    bool Fits(uint32_t elementCount) const;
    // The dragging flag, then the groups.
    void StateFields(LevelState& state);
    uint32_t Print(char* out, uint32_t capacity) const;

    // ---- what the level draws --------------------------------------------------------------
    uint32_t GroupCount() const { return uint32_t(m_groups.size()); }
    const WheelStackGroup& Group(uint32_t g) const { return m_groups[g]; }
    // The column a tag's dummy belongs to (null when the tag names none).
    const WheelStackGroup* Column(uint32_t group, uint32_t subGroup) const;
    const WheelStackPlace* PlaceAt(const WheelStackPlaceRef& ref) const;
    // The angle a wheel is drawn at: its rotation's, plus the live or easing residual.
    float WheelAngle(uint32_t group) const;
    // The turn of an item in a place of sub group s of a wheel (0 in a stack).
    float ItemAngle(uint32_t group, uint32_t subGroup) const;
    bool DraggingEnabled() const { return m_dragging != 0; }
    uint32_t Animation() const { return m_animation; }
    float Progress() const { return m_progress; }
    const float* Offset() const { return m_offset; }
    float StartAngle() const { return m_startAngle; }
    const WheelStackPlaceRef& MovingPlace() const { return m_moving; }
    const WheelStackPlaceRef& SlotPlace() const { return m_slot; }
    int32_t HeldWheel() const { return m_heldWheel; }
    uint32_t TargetCount() const { return uint32_t(m_targets.size()); }

private:
    Status RegisterGroup(char* value);
    Status RegisterSubGroups(char* value);
    Status RegisterDummies(char* value);
    Status LinkGroups(char* value);
    // The group or sub group of that name, first match in registration order; sub groups are
    // looked at when `subGroups` is set.
    bool Find(const char* name, bool subGroups, int32_t* pGroup, int32_t* pSubGroup) const;
    WheelStackGroup* ColumnOf(int32_t group, int32_t subGroup);
    const WheelStackGroup* ColumnOf(int32_t group, int32_t subGroup) const;
    // The lowest free place a link leads to (a wheel's slot through its rotation); unset when
    // the column is full.
    WheelStackPlaceRef FreePlace(const WheelStackLink& link) const;
    // The place shown at slot s of a wheel: the sub group (n - r + s) mod n.
    WheelStackPlaceRef Shown(uint32_t group, uint32_t slot, uint32_t place) const;
    void PlacePoint(const WheelStackPlaceRef& ref, float* pOut3) const;
    // Whether a column's place above p holds an item.
    bool Covered(const WheelStackGroup& column, uint32_t place) const;
    void TurnWheel(uint32_t group, int32_t soundItem);
    // The item moves from `source` to `target` at once; the sound of `soundItem`.
    void MoveItem(const WheelStackPlaceRef& source, const WheelStackPlaceRef& target, int32_t soundItem);
    // The drag target nearest to `p` and its two ratios, each within [0, 1].
    const WheelStackDragTarget* Nearest(const float* p, float* pRx, float* pRy, bool absolute) const;
    void ClearDrag();
    bool GroupFits(const WheelStackGroup& group, bool sub, uint32_t elementCount) const;
    bool LinkFits(const WheelStackLink& link) const;
    bool MoveGroup(LevelState& state, WheelStackGroup& group, bool sub);

    WheelStackHost* m_pHost;
    std::vector<WheelStackGroup> m_groups;
    uint8_t m_dragging;
    uint32_t m_animation;
    float m_progress;
    float m_residual;
    int32_t m_turning;
    float m_startAngle;
    float m_offset[3];
    WheelStackPlaceRef m_moving;
    WheelStackPlaceRef m_slot;
    std::vector<WheelStackDragTarget> m_targets;
    int32_t m_heldWheel;
    // A saved state that cannot stand (a count or a name out of range) stopped being read.
    bool m_unfit;
};
