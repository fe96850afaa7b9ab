#pragma once
// The circles board: two rings of six places whose circles cross, so that two places belong to
// both. Ten places hold pictures of three kinds (3 left, 4 middle, 3 right); an action turns a
// ring one step and the kinds move at once, while the ring is drawn turning back into place.
// The board is solved when the left kind fills places 0 to 2 and the right kind places 7 to 9.
// A kind is named by the element index of its picture, as the level registered it.
//
// Text form: "circles places LLLMMMMRRR left 3,4,5,2,1,0 right 7,8,9,5,6,3" (each place's
// kind, then each ring's places by position), "turning" after it while a ring turns, or
// "circles not dealt" before the first deal.
#include <cstdint>

#include "NimbrelLevels/LevelBoard.h"
#include "VornelUtils/Status.h"

constexpr uint32_t kCirclesPlaces = 10;
constexpr uint32_t kCirclesRingPositions = 6;
// The most random turns a deal makes; a larger count is cut to it, so that a deal ends.
constexpr uint32_t kCirclesMaxRandomCount = 100000;
// A deal that comes out solved is dealt again, this many times at most (three equal kinds
// make every board solved).
constexpr uint32_t kCirclesDealTries = 100;
// The progress a frame step of 1.0 takes off a turn (20 frames at 30 frames a second).
constexpr float kCirclesTurnRate = 0.05f;

enum CirclesRing : int32_t { kCirclesRingNone = 0, kCirclesRingLeft = 1, kCirclesRingRight = 2 };

// The four actions, in the order a random pick numbers them.
enum CirclesAction : uint32_t {
    kCirclesLeftUp = 0,
    kCirclesLeftDown = 1,
    kCirclesRightUp = 2,
    kCirclesRightDown = 3,
    kCirclesActionCount = 4,
};

class CirclesBoard {
public:
    using Host = LevelBoardHost;
    // Item references that only an item word sets.
    static constexpr bool kItemWordsClearSolved = true;

    explicit CirclesBoard(LevelBoardHost* pHost) : m_pHost(pHost) { Clear(); }

    // Every reference -1, the count 0, the rings and places zero, nothing turning.
    void Clear();
    // The reference an item word registers; null for any other word.
    int32_t* ItemWord(const char* name);
    // The reference becomes `element`; on a dealt board the places of a kind registered again
    // show its new picture.
    void SetItem(int32_t* pReference, int32_t element);
    // "circles_random_count" (below 1 stores 1); every other word is accepted and ignored
    // (kStatusDoneStoreResult).
    Status Word(const char* name, const char* value);
    // An action word turns its ring (kStatusDoneNoResult, also for an unknown word); an
    // undealt board has nothing to turn.
    Status Action(const char* name);
    void Turn(CirclesAction action);
    // kStatusFailed when an item or the random count is missing; it deals nothing.
    Status CheckSetup() const;
    // "reset" (kStatusFailed, nothing dealt, while the setup is not whole): the rings laid out and the kinds dealt by the random count of random turns from
    // the solved board, again while the deal comes out solved; kStatusFailed when every try
    // came out solved.
    Status Deal();
    // The turning ring runs back into place; when its turn ends the win test goes to the host.
    void Step(float frameStep);
    // Nothing turns any more (the force-solve).
    void StopMove();

    bool IsWon() const;
    bool IsDealt() const;
    // Whether fields read back fit an object of `elementCount` elements: references -1 or an
    // element, the count within its range, ring positions below 10 and every place one of the
    // three kinds, or the whole board zero (never dealt).
    bool Fits(uint32_t elementCount) const;

    // The saved fields in their order: six references, the random count, the left ring, the
    // right ring, the places.
    template <class State>
    void StateFields(State& state)
    {
        state.Word(m_play).Word(m_centreLeft).Word(m_centreRight).Word(m_kindLeft).Word(m_kindMiddle);
        state.Word(m_kindRight).Word(m_randomCount);
        state.Words(m_rings[0], kCirclesRingPositions).Words(m_rings[1], kCirclesRingPositions);
        state.Words(m_places, kCirclesPlaces);
    }

    // The text form into `out` (always terminated); its length.
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t Play() const { return m_play; }
    int32_t Centre(CirclesRing ring) const { return ring == kCirclesRingRight ? m_centreRight : m_centreLeft; }
    int32_t KindLeft() const { return m_kindLeft; }
    int32_t KindMiddle() const { return m_kindMiddle; }
    int32_t KindRight() const { return m_kindRight; }
    uint32_t RandomCount() const { return m_randomCount; }
    // The place at a ring's position (ring 1 or 2, position 0 to 5).
    uint32_t RingPlace(CirclesRing ring, uint32_t position) const { return m_rings[ring == kCirclesRingRight][position]; }
    int32_t Place(uint32_t place) const { return m_places[place]; }
    void SetPlaces(const int32_t* places);
    CirclesRing Turning() const { return m_turning; }
    float Progress() const { return m_progress; }
    float Direction() const { return m_direction; }
    // Where a ring's position is drawn, in degrees about its centre: 30 + 60 x position, and
    // while that ring turns, its way back into place.
    float PositionAngle(CirclesRing ring, uint32_t position) const;
    // Whether a ring draws the position: the shared places are drawn by the ring that turns,
    // else by the left ring.
    bool DrawsPosition(CirclesRing ring, uint32_t position) const;

    // The place matrix of a picture `radius` from its ring's centre at `degrees`: the picture
    // moved by (0, -radius), then turned about the centre (row vectors, as the element
    // matrices; the centre's world matrix follows it).
    static void PlaceMatrix(float degrees, float radius, float* pOut16);

private:
    // The kinds of the solved board, in place order.
    void FillSolved();
    // A ring's position k moves its kind to position k + 1 (or back when `forward` is false).
    void Shift(CirclesRing ring, bool forward);
    bool IsKind(int32_t kind) const { return kind == m_kindLeft || kind == m_kindMiddle || kind == m_kindRight; }

    LevelBoardHost* m_pHost;
    int32_t m_play;
    int32_t m_centreLeft;
    int32_t m_centreRight;
    int32_t m_kindLeft;
    int32_t m_kindMiddle;
    int32_t m_kindRight;
    uint32_t m_randomCount;
    uint32_t m_rings[2][kCirclesRingPositions];
    int32_t m_places[kCirclesPlaces];
    float m_progress;
    float m_direction;
    CirclesRing m_turning;
};
