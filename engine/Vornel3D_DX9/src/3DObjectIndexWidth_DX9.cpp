#include "Vornel3D_DX9/C3DObjectIndex_DX90.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"

template <typename TWidth>
C3DObjectIndexOfWidth_DX90<TWidth>::~C3DObjectIndexOfWidth_DX90() = default;

template <typename TWidth>
Status C3DObjectIndexOfWidth_DX90<TWidth>::Init()
{
    if (Failed(TWidth::Init()))
        return kStatusFailed;
    m_nUsage = kUsage;
    return kStatusOk;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_DX90<TWidth>::Release()
{
    m_bLocked = false;
    const Status base = TWidth::Release();
    ReleaseBuffer();
    return Failed(base) ? kStatusFailed : kStatusOk;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_DX90<TWidth>::Select(const C3DGroupRecord*)
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(this->m_pWorldData);
    if (!device || !m_pBuffer)
        return kStatusFailed;
    return FAILED(device->SetIndices(m_pBuffer)) ? kStatusFailed : kStatusOk;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_DX90<TWidth>::Create(uint32_t groupCount, uint32_t indexCount)
{
    ReleaseBuffer();
    if (Failed(TWidth::Create(groupCount, indexCount)))
        return kStatusFailed;
    return CreateBuffer(this->m_pWorldData, indexCount);
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_DX90<TWidth>::Lock(uint32_t, uint32_t)
{
    m_bLocked = true;
    return kStatusOk;
}

template <typename TWidth>
void C3DObjectIndexOfWidth_DX90<TWidth>::SetIndex(uint32_t position, uint32_t value)
{
    if (m_bLocked)
        TWidth::SetIndex(position, value);
}

template <typename TWidth>
uint32_t C3DObjectIndexOfWidth_DX90<TWidth>::GetIndex(uint32_t position)
{
    return m_bLocked ? TWidth::GetIndex(position) : 0xFFFFFFFFu;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_DX90<TWidth>::Unlock(uint32_t)
{
    if (!m_bLocked)
        return kStatusOk;
    m_bLocked = false;
    return CopyToDevice(this->m_pWorldData);
}

template class C3DObjectIndexOfWidth_DX90<C3DObjectIndex16>;
template class C3DObjectIndexOfWidth_DX90<C3DObjectIndex32>;

C3DObjectDX90Index16::C3DObjectDX90Index16(WorldData* pWorldData) : C3DObjectIndexOfWidth_DX90(pWorldData) {}

C3DObjectDX90Index32::C3DObjectDX90Index32(WorldData* pWorldData) : C3DObjectIndexOfWidth_DX90(pWorldData) {}
