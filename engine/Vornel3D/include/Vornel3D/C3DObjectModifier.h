#pragma once
// Keyframe modifiers: a track that animates one group of one 3D object over time. The base
// keeps the keys' timing, the playback state and the schedule (the keys cut into segments of
// one step); seven kinds add the keys and what a key means. Their owner steps them once a
// frame through Apply: the vertex kinds write into the target object, the others return the
// value for the owner to apply.
//
// Time is in frame steps (1.0 = 1/30 s, the world's frameTime).
//
// Saved form (4-byte little-endian words): key count (not 0), version 3, group, step, schedule
// entry count (not 0), the schedule as {key, offset} pairs, then the keys: Scale, DirectAlpha,
// DirectColor {duration, value}; Position, Rotation {duration, x, y, z}; the vertex kinds one
// entry count n, then per key {duration, n entries of 9 (positions) or 6 (uv) floats}. Load's
// caller has read the key count and passes it.
#include <cstdint>

#include "Vornel3D/C3DMath.h"
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DObject;
class UtilsStream;

enum : uint32_t {
    kModifierScale = 0,
    kModifierPosition = 1,
    kModifierRotation = 2,
    kModifierDirectAlpha = 3,
    kModifierDirectColor = 4,
    kModifierVertexPosition = 5,
    kModifierVertexTexture = 6,
    kModifierKindCount = 7,
};

// Playback modes.
enum : uint32_t {
    kModifierPlayOnce = 0,     // finishes at the range end
    kModifierRepeatHold = 1,   // repeats; the last key holds its value
    kModifierRepeat = 2,       // repeats; the last key runs into the first
    kModifierStopped = 3,      // every Update reports finished
};

// State flags.
constexpr uint32_t kModifierApplied = 0x1;   // a vertex kind wrote the current key at fraction 0
constexpr uint32_t kModifierReverse = 0x2;   // the texture kind plays its keys last to first
constexpr uint32_t kModifierPaused = 0x4;
constexpr uint32_t kModifierFinished = 0x10000000;

constexpr uint32_t kModifierVersion = 3;

struct C3DModifierState {
    uint32_t mode;
    float speed;
    uint32_t rangeStart;  // a schedule entry
    uint32_t rangeEnd;    // a schedule entry; the entry count means the end of the last key
    uint32_t currentKey;
    float time;           // within the current key
    uint32_t flags;
};

struct C3DModifierScheduleEntry {
    uint32_t key;
    float offset;  // within the key
};

// Key records. The first word is kept in memory only: nothing reads it and it is not saved.
struct C3DModifierScaleKey {
    uint32_t tag;
    float duration;
    float scale;
};

struct C3DModifierVectorKey {  // Position (offset) and Rotation (angles in radians)
    uint32_t tag;
    float duration;
    float x, y, z;
};

struct C3DModifierAlphaKey {
    uint32_t tag;
    float duration;
    float alpha;  // 0 to 1
};

struct C3DModifierColorKey {
    uint32_t tag;
    float duration;
    uint32_t color;  // ARGB
};

// One triangle of the group (entry j covers its index positions 3j, 3j + 1, 3j + 2).
struct C3DModifierTrianglePositions {
    uint32_t tag;
    C3DVector3 corner[3];
};

struct C3DModifierTriangleUVs {
    uint32_t tag;
    C3DVector2 corner[3];
};

template <typename Entry>
struct C3DModifierVertexKey {
    uint32_t tag;
    float duration;
    uint32_t entryCount;
    Entry* entries;  // owned (UTILS_MALLOC'ed)
};
using C3DModifierVertexPositionKey = C3DModifierVertexKey<C3DModifierTrianglePositions>;
using C3DModifierVertexTextureKey = C3DModifierVertexKey<C3DModifierTriangleUVs>;

class C3DObjectModifier : public CBaseObject {
public:
    C3DObjectModifier(WorldData* pWorldData, uint32_t kind);
    // Owners call Release first; whatever is left is freed here all the same.
    ~C3DObjectModifier() override;

    // Stores the values and builds the schedule from the keys in place (an earlier schedule
    // is freed). The schedule is sized by the entries the keys produce, whatever `capacity`
    // says; a track that would need more than kModifierScheduleLimit entries fails with
    // 0x80000001. Out of memory: the world's last error and 0x80000002.
    virtual Status Create(C3DObject* pTarget, uint32_t group, uint32_t keyCount, uint32_t capacity, float step);
    // Frees the schedule (the kinds their keys too). 0.
    virtual Status Release();
    // Advances the playback by the world's frame step; the fraction of the current key passed.
    virtual float Update();
    // The record after the key count, then the keys; every count is bounded by the bytes left
    // and every schedule key must be below the key count (else 0x80000001). Ends with
    // SetRange(0, 0, 0, true).
    virtual Status Load(UtilsStream* pStream, uint32_t keyCount);
    virtual Status Save(UtilsStream* pStream);
    // The playback state as eight words: mode, step, speed, range start, range end, current
    // key, time, flags. A state that does not fit this track is refused (0x80000001).
    virtual Status LoadState(UtilsStream* pStream);
    virtual Status SaveState(uint32_t ignored, UtilsStream* pStream);
    // Returns the schedule entry count.
    virtual uint32_t SetRange(uint32_t start, uint32_t end, float seconds, bool restart);
    virtual void SetMode(uint32_t mode, bool restart);
    virtual void SetReverse(bool on);
    virtual void SetPause(bool on);
    // 0: a key and a time in it drawn from the world's random generator; otherwise the point
    // at that fraction of the whole track.
    virtual void Seek(float fraction);
    virtual bool IsFinished();
    virtual float KeyDuration(uint32_t key);  // 0 out of range
    // Takes the keys (copied, or for the vertex kinds taken over), then Create and
    // SetRange(0, 0, 0, true). `keys` points at keyCount records of the kind.
    virtual Status CreateFromKeys(C3DObject* pTarget, uint32_t group, void* keys, uint32_t keyCount,
                                  uint32_t capacity, float step);
    // Texture kind: the (u, v) box over every key's entries or one key's; others and empty
    // tracks: min (FLT_MAX, FLT_MAX), max (FLT_MIN, FLT_MIN).
    virtual void GetUVBounds(C3DVector2* pMin, C3DVector2* pMax);
    virtual void GetKeyUVBounds(uint32_t key, C3DVector2* pMin, C3DVector2* pMax);
    // Vertex kinds: the triangles each key covers; 0 for the others.
    virtual uint32_t GetEntryCount() const { return 0; }

    uint32_t GetKind() const { return m_nKind; }
    uint32_t GetKeyCount() const { return m_nKeyCount; }
    uint32_t GetGroup() const { return m_nGroup; }
    float GetStep() const { return m_fStep; }
    uint32_t GetScheduleCount() const { return m_nScheduleCount; }
    const C3DModifierScheduleEntry* GetSchedule() const { return m_pSchedule; }
    const C3DModifierState& GetState() const { return *m_pState; }
    // Plays from the caller's state record (several playbacks of one track each keep their
    // own); null goes back to the track's own record.
    void UseState(C3DModifierState* pState) { m_pState = pState ? pState : &m_state; }
    C3DObject* GetTarget() const { return m_pTarget; }
    void SetTarget(C3DObject* pTarget, uint32_t group)
    {
        m_pTarget = pTarget;
        m_nGroup = group;
    }

protected:
    // The kinds' key records: read, write, free.
    virtual Status LoadKeys(UtilsStream* pStream) = 0;
    virtual Status SaveKeys(UtilsStream* pStream) = 0;
    virtual void FreeKeys() = 0;
    // Takes over or copies the caller's keys (m_nKeyCount is set).
    virtual Status TakeKeys(void* keys) = 0;

    Status OutOfMemory();
    // The next key after the current one, and whether the current one is the last key of a
    // track that does not run into the first (its value then holds).
    uint32_t NextKey() const;
    bool HoldsLastKey() const;
    // The time from a range's start entry to its end (a key and an offset in it).
    double RangeLength(const C3DModifierScheduleEntry& start, uint32_t endKey, float endOffset);

    uint32_t m_nKind;
    C3DModifierState m_state;
    C3DModifierState* m_pState;
    float m_fStep;
    uint32_t m_nScheduleCount;
    C3DModifierScheduleEntry* m_pSchedule;
    uint32_t m_nKeyCount;
    C3DObject* m_pTarget;
    uint32_t m_nGroup;
};

// The most schedule entries one track may have.
constexpr uint32_t kModifierScheduleLimit = 1u << 20;

// A modifier of kind 0 to 6; null for another kind or when memory runs out.
C3DObjectModifier* CreateObjectModifier(uint32_t kind, WorldData* pWorldData);

// The value kinds: keys of a duration and a value, copied in and out word by word.
template <typename Key>
class C3DObjectModifierTrack : public C3DObjectModifier {
public:
    ~C3DObjectModifierTrack() override;
    float KeyDuration(uint32_t key) override;
    const Key* GetKeys() const { return m_pKeys; }

protected:
    C3DObjectModifierTrack(WorldData* pWorldData, uint32_t kind) : C3DObjectModifier(pWorldData, kind) {}
    Status LoadKeys(UtilsStream* pStream) override;
    Status SaveKeys(UtilsStream* pStream) override;
    void FreeKeys() override;
    Status TakeKeys(void* keys) override;  // a copy

    Key* m_pKeys = nullptr;
};

extern template class C3DObjectModifierTrack<C3DModifierScaleKey>;
extern template class C3DObjectModifierTrack<C3DModifierVectorKey>;
extern template class C3DObjectModifierTrack<C3DModifierAlphaKey>;
extern template class C3DObjectModifierTrack<C3DModifierColorKey>;

class C3DObjectModifierScale : public C3DObjectModifierTrack<C3DModifierScaleKey> {
public:
    explicit C3DObjectModifierScale(WorldData* pWorldData) : C3DObjectModifierTrack(pWorldData, kModifierScale) {}
    // The first key's scale becomes 1 and the others are divided by it, in the caller's array
    // (left alone when the first scale is 0).
    Status CreateFromKeys(C3DObject* pTarget, uint32_t group, void* keys, uint32_t keyCount, uint32_t capacity,
                          float step) override;
    float Apply();
};

// Position: the current key's offset, not interpolated.
class C3DObjectModifierPosition : public C3DObjectModifierTrack<C3DModifierVectorKey> {
public:
    explicit C3DObjectModifierPosition(WorldData* pWorldData)
        : C3DObjectModifierTrack(pWorldData, kModifierPosition) {}
    // The first key's offset is subtracted from every key, in the caller's array.
    Status CreateFromKeys(C3DObject* pTarget, uint32_t group, void* keys, uint32_t keyCount, uint32_t capacity,
                          float step) override;
    void Apply(C3DVector3* pOut);
};

// Rotation: angles in radians, each axis turned the short way.
class C3DObjectModifierRotation : public C3DObjectModifierTrack<C3DModifierVectorKey> {
public:
    explicit C3DObjectModifierRotation(WorldData* pWorldData)
        : C3DObjectModifierTrack(pWorldData, kModifierRotation) {}
    void Apply(C3DVector3* pOut);
};

class C3DObjectModifierDirectAlpha : public C3DObjectModifierTrack<C3DModifierAlphaKey> {
public:
    explicit C3DObjectModifierDirectAlpha(WorldData* pWorldData)
        : C3DObjectModifierTrack(pWorldData, kModifierDirectAlpha) {}
    int32_t Apply();  // 0 to 255
};

class C3DObjectModifierDirectColor : public C3DObjectModifierTrack<C3DModifierColorKey> {
public:
    explicit C3DObjectModifierDirectColor(WorldData* pWorldData)
        : C3DObjectModifierTrack(pWorldData, kModifierDirectColor) {}
    uint32_t Apply();  // ARGB, per channel
};

// The vertex kinds: one entry per triangle of the group, every key the same entry count.
// Apply writes into the target object, never past the target group's indices, and returns 0.
template <typename Entry>
class C3DObjectModifierVertex : public C3DObjectModifier {
public:
    using Key = C3DModifierVertexKey<Entry>;

    ~C3DObjectModifierVertex() override;
    float KeyDuration(uint32_t key) override;
    virtual Status Apply() = 0;
    const Key* GetKeys() const { return m_pKeys; }
    // Entries per key (key 0's count), 0 without keys.
    uint32_t GetEntryCount() const override { return m_nKeyCount && m_pKeys ? m_pKeys[0].entryCount : 0; }

protected:
    C3DObjectModifierVertex(WorldData* pWorldData, uint32_t kind) : C3DObjectModifier(pWorldData, kind) {}
    Status LoadKeys(UtilsStream* pStream) override;
    Status SaveKeys(UtilsStream* pStream) override;
    void FreeKeys() override;
    Status TakeKeys(void* keys) override;
    // Locks the target and calls write(vertex, i, entry) for the three corners of every entry
    // that lies inside the target group; unlocks with 1.
    template <typename Write> void WriteCorners(const Key& key, Write write);

    Key* m_pKeys = nullptr;
};

extern template class C3DObjectModifierVertex<C3DModifierTrianglePositions>;
extern template class C3DObjectModifierVertex<C3DModifierTriangleUVs>;

class C3DObjectModifierVertexPosition : public C3DObjectModifierVertex<C3DModifierTrianglePositions> {
public:
    explicit C3DObjectModifierVertexPosition(WorldData* pWorldData)
        : C3DObjectModifierVertex(pWorldData, kModifierVertexPosition) {}
    Status Apply() override;
};

class C3DObjectModifierVertexTexture : public C3DObjectModifierVertex<C3DModifierTriangleUVs> {
public:
    explicit C3DObjectModifierVertexTexture(WorldData* pWorldData)
        : C3DObjectModifierVertex(pWorldData, kModifierVertexTexture) {}
    Status Apply() override;
    void GetUVBounds(C3DVector2* pMin, C3DVector2* pMax) override;
    void GetKeyUVBounds(uint32_t key, C3DVector2* pMin, C3DVector2* pMax) override;
};
