#pragma once
// OpenGL index objects. The indices stay in system memory (16 or 32 bits each) and are drawn
// with glDrawElements from there; C3DObjectIndex_GL adds the table of display lists that the
// OpenGL objects compile, one per group, when their geometry is final.
//
// Indices are written and read only between Lock and Unlock: outside a lock SetIndex does
// nothing and GetIndex answers 0xFFFFFFFF.
#include <cstdint>

#include "Vornel3D/C3DObjectIndex.h"

// The display-list table shared by both index widths.
class C3DObjectIndex_GL {
public:
    // Indices drawn for `primitives` primitives of a type (0 strip, 1 list, 2 fan, 3 lines,
    // 4 line strip, 5 points); 0 for another type.
    static uint32_t DrawCount(uint32_t type, uint32_t primitives);
    // The GL primitive of a type code; GL_POINTS for a type above 5 (which draws nothing).
    static uint32_t PrimitiveMode(uint32_t type);

    // The list of group g, 0 when it has none.
    uint32_t GetDisplayList(uint32_t group) const
    {
        return m_pLists && group < m_nListCount ? m_pLists[group] : 0;
    }
    // The table: entry 0 is the first of a block of consecutive list names (0: no lists).
    uint32_t* GetDisplayLists() { return m_pLists; }
    uint32_t GetDisplayListCount() const { return m_nListCount; }
    // Deletes the lists of the table (when it has any) and zeroes it.
    void DeleteDisplayLists();

    // The index storage, its element size (2 or 4) and its index count.
    virtual const void* IndexStorage() const = 0;
    virtual uint32_t IndexSize() const = 0;
    virtual uint32_t StoredIndexCount() const = 0;
    // True when the indices first .. first + count - 1 exist and each is below `limit`.
    bool IndicesBelow(uint32_t first, uint32_t count, uint32_t limit) const;

protected:
    virtual ~C3DObjectIndex_GL();
    // A zeroed table of `groups` entries in place of the old one (whose lists are deleted).
    // Out of memory: the world's last error and 0x80000002.
    Status CreateDisplayListTable(WorldData* pWorldData, uint32_t groups);
    void ReleaseDisplayListTable();
    // The indexed draw of a group from the storage (Select of both widths).
    Status DrawIndexed(const C3DGroupRecord* record) const;

    uint32_t* m_pLists = nullptr;
    uint32_t m_nListCount = 0;
};

// The OpenGL index object over one width's in-memory indices (TWidth: C3DObjectIndex16 or
// C3DObjectIndex32): the lock that guards SetIndex/GetIndex, the display-list table, and the
// indexed draw from the stored indices.
template <typename TWidth>
class C3DObjectIndexOfWidth_GL : public TWidth, public C3DObjectIndex_GL {
public:
    ~C3DObjectIndexOfWidth_GL() override;

    Status Init() override;
    Status Release() override;
    Status Select(const C3DGroupRecord* group) override;
    Status Create(uint32_t groupCount, uint32_t indexCount) override;
    Status Lock(uint32_t first, uint32_t mode) override;
    void SetIndex(uint32_t position, uint32_t value) override;
    uint32_t GetIndex(uint32_t position) override;
    Status Unlock(uint32_t flag) override;

    const void* IndexStorage() const override { return this->m_pIndices; }
    uint32_t IndexSize() const override { return uint32_t(sizeof(*this->m_pIndices)); }
    uint32_t StoredIndexCount() const override { return this->m_pIndices ? this->m_nIndexCount : 0; }
    bool IsLocked() const { return m_bLocked; }

protected:
    explicit C3DObjectIndexOfWidth_GL(WorldData* pWorldData) : TWidth(pWorldData) {}

private:
    bool m_bLocked = false;
};

extern template class C3DObjectIndexOfWidth_GL<C3DObjectIndex16>;
extern template class C3DObjectIndexOfWidth_GL<C3DObjectIndex32>;

class C3DObjectIndex16_GL : public C3DObjectIndexOfWidth_GL<C3DObjectIndex16> {
public:
    explicit C3DObjectIndex16_GL(WorldData* pWorldData);
};

class C3DObjectIndex32_GL : public C3DObjectIndexOfWidth_GL<C3DObjectIndex32> {
public:
    explicit C3DObjectIndex32_GL(WorldData* pWorldData);
};

// The display-list table of an index object of the OpenGL engine; null for another kind.
C3DObjectIndex_GL* GLIndexOf(C3DObjectIndex* pIndex);
