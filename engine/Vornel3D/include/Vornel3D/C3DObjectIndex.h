#pragma once
// Index objects: the index list of one mesh and its draw groups. The base keeps the group
// records and the counts; its index operations do nothing, so that each renderer derives a
// 16-bit and a 32-bit class that stores the indices (C3DObjectIndex16 / C3DObjectIndex32 keep
// them in memory and are the base of those renderer classes).
//
// Calling order for a caller that fills one: Init, Create(groups, indices), Lock,
// SetIndex for each position (or FillIdentity / FillSequence), Unlock(1), SetGroup for each
// group; then Select with a group's record for each draw of that group.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

// Primitive type codes (group word 7).
enum : uint32_t {
    kPrimitiveTriangleStrip = 0,
    kPrimitiveTriangleList = 1,
    kPrimitiveTriangleFan = 2,
    kPrimitiveLineList = 3,
    kPrimitiveLineStrip = 4,
    kPrimitivePointList = 5,
};

// Face modes (group word 8): the culling state the renderer sets for the group.
enum : uint32_t {
    kFaceModeBoth = 0,       // no culling
    kFaceModeClockwise = 1,  // culling on, clockwise faces are the front
    kFaceModeCounterClockwise = 2,
};

// Index width codes.
enum : uint32_t { kIndexKindNone = 0, kIndexKind16 = 1, kIndexKind32 = 2 };

constexpr uint32_t kGroupLinkUnset = 0xFFFFFFFFu;
constexpr uint32_t kGroupIdOwnNumber = 0xFFFFFFFFu;  // SetGroup: store the group's own number

// One draw group: nine 32-bit words, shared by objects, shapes, model files and renderers.
struct C3DGroupRecord {
    uint32_t id;              // 0: the group's own number unless the caller gives another
    uint32_t link;            // 1: kGroupLinkUnset on creation; carried through by model files
    uint32_t baseVertex;      // 2: added to every index of the group
    uint32_t vertexCount;     // 3
    uint32_t firstIndex;      // 4
    uint32_t indexCount;      // 5
    uint32_t primitiveCount;  // 6
    uint32_t type;            // 7: kPrimitive...
    uint32_t faceMode;        // 8: kFaceMode...
};
static_assert(sizeof(C3DGroupRecord) == 9 * sizeof(uint32_t), "a group record is nine words");

class C3DObjectIndex : public CBaseObject {
public:
    explicit C3DObjectIndex(WorldData* pWorldData);
    ~C3DObjectIndex() override;

    virtual Status Init();
    // Frees the group records and the counts.
    virtual Status Release();
    // Index storage and its element size in bytes (base: null and 0).
    virtual void* GetIndexData(uint8_t* width);
    // Prepares the draw of one group from this list (base: nothing).
    virtual Status Select(const C3DGroupRecord* group);
    // groupCount zeroed records with the link word unset. On success the old records are
    // freed and both counts replaced; on failure the object is left as it was.
    virtual Status Create(uint32_t groupCount, uint32_t indexCount);
    virtual Status Lock(uint32_t first, uint32_t mode);
    virtual void SetIndex(uint32_t position, uint32_t value);
    // 0xFFFFFFFF in the base and for a position out of range.
    virtual uint32_t GetIndex(uint32_t position);
    virtual Status Unlock(uint32_t flag);
    // Record i, or null when i is not below the group count.
    virtual C3DGroupRecord* GetGroup(uint32_t i);
    // Copies the words of record i into the out-parameters that are not null;
    // kStatusFailed (nothing written) when i is out of range.
    virtual Status GetGroupInfo(uint32_t i, uint32_t* baseVertex, uint32_t* vertexCount,
                                uint32_t* firstIndex, uint32_t* indexCount, uint32_t* primitiveCount,
                                uint32_t* type, uint32_t* faceMode, uint32_t* id, uint32_t* link);
    // Device-reset hooks.
    virtual Status Restore(uint32_t arg);
    virtual Status Invalidate(uint32_t arg);
    // With code 3, turns a single triangle-strip group of at least 3 indices into a triangle
    // list over the same index values, keeping every triangle's winding.
    virtual Status StripToList(uint32_t code);

    // SetIndex(i, i) for every index; returns the index count.
    uint32_t FillIdentity();
    // SetIndex(start + i, i) for i below count; returns start + count for chaining.
    uint32_t FillSequence(uint32_t start, uint32_t count);
    // Words 2-8 of record i, and word 0 := id (i when id is kGroupIdOwnNumber); the link word
    // is left alone. kStatusFailed when i is out of range.
    Status SetGroup(uint32_t i, uint32_t baseVertex, uint32_t vertexCount, uint32_t firstIndex,
                    uint32_t indexCount, uint32_t primitiveCount, uint32_t type, uint32_t faceMode,
                    uint32_t id);

    uint32_t GetGroupCount() const { return m_nGroupCount; }
    uint32_t GetIndexCount() const { return m_nIndexCount; }
    // Index width code (kIndexKind...), set by the derived classes and the engine.
    uint32_t GetKind() const { return m_nKind; }
    void SetKind(uint32_t kind) { m_nKind = kind; }

    // The primitive count that indexCount indices make for a primitive type.
    static uint32_t CountPrimitives(uint32_t type, uint32_t indexCount);

protected:
    uint32_t m_nKind = kIndexKindNone;
    C3DGroupRecord* m_pGroups = nullptr;
    uint32_t m_nGroupCount = 0;
    uint32_t m_nIndexCount = 0;
};

// Indices kept in memory, each a T: the common part of C3DObjectIndex16 and C3DObjectIndex32
// below (and so of the renderers' index classes).
template <typename T>
class C3DObjectIndexInMemory : public C3DObjectIndex {
public:
    ~C3DObjectIndexInMemory() override;

    Status Release() override;
    void* GetIndexData(uint8_t* width) override;  // width: sizeof(T)
    Status Create(uint32_t groupCount, uint32_t indexCount) override;
    void SetIndex(uint32_t position, uint32_t value) override;
    uint32_t GetIndex(uint32_t position) override;

    const T* GetIndices() const { return m_pIndices; }

protected:
    C3DObjectIndexInMemory(WorldData* pWorldData, uint32_t kind);

    T* m_pIndices = nullptr;
};

extern template class C3DObjectIndexInMemory<uint16_t>;
extern template class C3DObjectIndexInMemory<uint32_t>;

// Indices kept in memory as u16 (values are truncated to 16 bits).
class C3DObjectIndex16 : public C3DObjectIndexInMemory<uint16_t> {
public:
    explicit C3DObjectIndex16(WorldData* pWorldData);
};

// Indices kept in memory as u32.
class C3DObjectIndex32 : public C3DObjectIndexInMemory<uint32_t> {
public:
    explicit C3DObjectIndex32(WorldData* pWorldData);
};
