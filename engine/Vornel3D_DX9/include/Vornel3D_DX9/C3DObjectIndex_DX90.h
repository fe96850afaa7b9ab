#pragma once
// Direct3D 9 index buffers. The indices are edited in memory (16 or 32 bits each) between Lock
// and Unlock, and Unlock copies them into the device index buffer (D3DPOOL_SYSTEMMEM, dynamic
// usage), which Select makes current for a group's indexed draw. Outside a lock SetIndex does
// nothing and GetIndex answers 0xFFFFFFFF.
#include <cstdint>

#include <d3d9.h>

#include "Vornel3D/C3DObjectIndex.h"

// The device buffer part shared by both widths.
class C3DObjectIndex_DX90 {
public:
    // The usage word the device buffer is made with: D3DUSAGE_DYNAMIC.
    static constexpr uint32_t kUsage = 0x200;

    IDirect3DIndexBuffer9* GetIndexBuffer() const { return m_pBuffer; }
    uint32_t GetUsage() const { return m_nUsage; }

    // The index storage in memory, its element size (2 or 4) and its index count.
    virtual const void* IndexStorage() const = 0;
    virtual uint32_t IndexSize() const = 0;
    virtual uint32_t StoredIndexCount() const = 0;
    // True when the indices first .. first + count - 1 exist and each is below `limit`.
    bool IndicesBelow(uint32_t first, uint32_t count, uint32_t limit) const;

protected:
    virtual ~C3DObjectIndex_DX90();
    void ReleaseBuffer();
    // A device buffer of `count` indices of this width; 0 or 0x80000001.
    Status CreateBuffer(WorldData* pWorldData, uint32_t count);
    // The indices in memory copied into the device buffer; 0 or 0x80000001.
    Status CopyToDevice(WorldData* pWorldData);

    IDirect3DIndexBuffer9* m_pBuffer = nullptr;
    uint32_t m_nUsage = 0;
};

template <typename TWidth>
class C3DObjectIndexOfWidth_DX90 : public TWidth, public C3DObjectIndex_DX90 {
public:
    ~C3DObjectIndexOfWidth_DX90() override;

    Status Init() override;    // the usage word
    Status Release() override; // the base, then the device buffer
    // Makes the device buffer current (SetIndices); 0, or 0x80000001 without a buffer or on a
    // failing device call.
    Status Select(const C3DGroupRecord* group) override;
    // Drops the device buffer, the base Create, then a device buffer of indexCount indices.
    Status Create(uint32_t groupCount, uint32_t indexCount) override;
    Status Lock(uint32_t first, uint32_t mode) override;
    void SetIndex(uint32_t position, uint32_t value) override;
    uint32_t GetIndex(uint32_t position) override;
    // Copies the indices into the device buffer; 0x80000001 when that fails.
    Status Unlock(uint32_t flag) override;

    const void* IndexStorage() const override { return this->m_pIndices; }
    uint32_t IndexSize() const override { return uint32_t(sizeof(*this->m_pIndices)); }
    uint32_t StoredIndexCount() const override { return this->m_pIndices ? this->m_nIndexCount : 0; }
    bool IsLocked() const { return m_bLocked; }

protected:
    explicit C3DObjectIndexOfWidth_DX90(WorldData* pWorldData) : TWidth(pWorldData) {}

private:
    bool m_bLocked = false;
};

extern template class C3DObjectIndexOfWidth_DX90<C3DObjectIndex16>;
extern template class C3DObjectIndexOfWidth_DX90<C3DObjectIndex32>;

class C3DObjectDX90Index16 : public C3DObjectIndexOfWidth_DX90<C3DObjectIndex16> {
public:
    explicit C3DObjectDX90Index16(WorldData* pWorldData);
};

class C3DObjectDX90Index32 : public C3DObjectIndexOfWidth_DX90<C3DObjectIndex32> {
public:
    explicit C3DObjectDX90Index32(WorldData* pWorldData);
};

// The device buffer part of an index object of the Direct3D 9 engine; null for another kind.
C3DObjectIndex_DX90* DX9IndexOf(C3DObjectIndex* pIndex);
