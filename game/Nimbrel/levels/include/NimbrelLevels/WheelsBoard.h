#pragma once
// The wheels board: concentric rings over one play item, each cut into equal divisions, turned
// one division at a click (click game) or dragged round (rotate game) until every ring stands
// on its target division. A ring may be linked to others, which turn with it by a ratio; a ring
// that is not playable is never grabbed and only follows the rings linked to it. A turn leaves
// the ring drawn where it was (its offset) and the offsets ease back to 0 frame by frame.
//
// Points given to the board are in the play item's frame, about its centre.
//
// Text form: "wheels" and each ring as "NAME DIVISION/N->TARGET", with "~" and its offset while
// it turns and ">" and its links; "wheels no rings" without rings.
#include <cstdint>
#include <string>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/Status.h"

// Game types.
constexpr uint32_t kWheelsClick = 1;
constexpr uint32_t kWheelsRotate = 2;
// The radians an offset eases toward 0 each frame, whatever the frame step.
constexpr float kWheelsEaseStep = 0.075f;

// What the board asks of the level beyond the common host.
class WheelsHost : public LevelBoardHost {
public:
    // A turn's sound (the play item's click, or the default), or the null click.
    virtual void PlayBoardSound(bool null) = 0;

protected:
    ~WheelsHost() = default;
};

struct WheelsRing {
    uint32_t reserved = 0;
    float sign = 1.0f;
    float ratio = 1.0f;
    float offset = 0.0f;
    float snapped = 0.0f;
    float accumulated = 0.0f;
    uint8_t fixed = 0;
    uint32_t divisions = 0;
    uint32_t division = 0;
    uint32_t target = 0;
    float outer = 0.0f;
    float inner = 0.0f;
    std::string texture;
    std::string name;
    std::vector<uint32_t> links;

    // One division in radians.
    float Step() const;
    // The angle the ring is drawn turned by: (step x division - offset) x sign.
    float DrawnAngle() const;
    // Folds the offset into the division, whole steps at once; the drawn angle stays.
    void Fold();
};

class WheelsBoard {
public:
    using Host = WheelsHost;
    static constexpr bool kItemWordsClearSolved = true;

    explicit WheelsBoard(WheelsHost* pHost) : m_pHost(pHost) { Clear(); }

    void Clear();
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element) { *pReference = element; }
    // "wheel_game_type", "wheel_register_ring", "wheel_link_rings"; others are accepted.
    Status Word(const char* name, char* value);
    Status Action(const char*) { return kStatusDoneNoResult; }
    // kStatusFailed without the play item, the game type or a ring.
    Status CheckSetup() const;
    // "reset": the shuffle.
    Status Deal();
    // The offsets ease toward 0; with every ring at rest the win test goes to the host.
    void Step(float frameStep);
    // No ring held any more.
    void StopMove();
    bool Fits(uint32_t elementCount) const;

    // The first ring not fixed whose band holds the point of a play item `width` x `height`;
    // -1 for none.
    int32_t Pick(float x, float y, float width, float height) const;
    // The click game's turn of a picked ring: its linked rings, then the ring, one division
    // each (the turn's sound); the null click when no ring was picked. False outside the click
    // game.
    bool Click(int32_t ring);
    void TurnOne(uint32_t ring);
    // The rotate game: a press holds the picked ring (false for none); a drag turns it to the
    // angle between the press and the pointer; the release folds and places every ring.
    bool Press(int32_t ring);
    bool Drag(float angle);
    bool Release();
    bool Holding() const { return m_held >= 0; }

    bool IsWon() const;
    bool AtRest() const;

    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t Play() const { return m_play; }
    uint32_t GameType() const { return m_gameType; }
    const std::vector<WheelsRing>& Rings() const { return m_rings; }
    std::vector<WheelsRing>& Rings() { return m_rings; }
    int32_t Held() const { return m_held; }

private:
    // A ring from its tokens; a ring that gets no divisions is refused and not kept, one with a
    // bad token after them stays with what was read.
    Status RegisterRing(char* value);
    Status ReadRing(WheelsRing& ring, char* value);
    Status LinkRings(char* value);
    int32_t FindRing(const char* name) const;
    // `ring`'s linked ring `other` placed from `angle`: division 0, then the angle scaled by
    // the ratio and the divisions, folded.
    void Follow(const WheelsRing& ring, WheelsRing& other, float angle) const;

    WheelsHost* m_pHost;
    int32_t m_play;
    uint32_t m_gameType;
    int32_t m_held;
    float m_halfTurns;
    float m_lastAngle;
    float m_direction;
    uint8_t m_flipped;
    std::vector<WheelsRing> m_rings;
    bool m_unfit;
};
