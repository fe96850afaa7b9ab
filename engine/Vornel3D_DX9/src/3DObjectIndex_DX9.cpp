#include "Vornel3D_DX9/C3DObjectIndex_DX90.h"

#include <cstring>

#include "Vornel3D_DX9/RendererBlockDX90.h"

C3DObjectIndex_DX90::~C3DObjectIndex_DX90()
{
    ReleaseBuffer();
}

void C3DObjectIndex_DX90::ReleaseBuffer()
{
    if (m_pBuffer) {
        m_pBuffer->Release();
        m_pBuffer = nullptr;
    }
}

bool C3DObjectIndex_DX90::IndicesBelow(uint32_t first, uint32_t count, uint32_t limit) const
{
    const void* storage = IndexStorage();
    const uint32_t stored = StoredIndexCount();
    if (!storage || first > stored || count > stored - first)
        return false;
    if (IndexSize() == 2) {
        const uint16_t* p = static_cast<const uint16_t*>(storage) + first;
        for (uint32_t i = 0; i < count; ++i)
            if (p[i] >= limit)
                return false;
    } else {
        const uint32_t* p = static_cast<const uint32_t*>(storage) + first;
        for (uint32_t i = 0; i < count; ++i)
            if (p[i] >= limit)
                return false;
    }
    return true;
}

Status C3DObjectIndex_DX90::CreateBuffer(WorldData* pWorldData, uint32_t count)
{
    ReleaseBuffer();
    IDirect3DDevice9* device = DX9DeviceFromWorld(pWorldData);
    const uint64_t bytes = uint64_t(count) * IndexSize();
    if (count == 0)
        return kStatusOk;
    if (!device || bytes > 0xFFFFFFFFu)
        return kStatusFailed;
    const D3DFORMAT format = IndexSize() == 2 ? D3DFMT_INDEX16 : D3DFMT_INDEX32;
    if (FAILED(device->CreateIndexBuffer(UINT(bytes), m_nUsage, format, D3DPOOL_SYSTEMMEM, &m_pBuffer, nullptr))) {
        m_pBuffer = nullptr;
        return kStatusFailed;
    }
    return kStatusOk;
}

Status C3DObjectIndex_DX90::CopyToDevice(WorldData*)
{
    const void* storage = IndexStorage();
    if (!m_pBuffer || !storage)
        return kStatusOk;
    void* locked = nullptr;
    if (FAILED(m_pBuffer->Lock(0, 0, &locked, 0)) || !locked)
        return kStatusFailed;
    std::memcpy(locked, storage, size_t(StoredIndexCount()) * IndexSize());
    return FAILED(m_pBuffer->Unlock()) ? kStatusFailed : kStatusOk;
}

C3DObjectIndex_DX90* DX9IndexOf(C3DObjectIndex* pIndex)
{
    return dynamic_cast<C3DObjectIndex_DX90*>(pIndex);
}
