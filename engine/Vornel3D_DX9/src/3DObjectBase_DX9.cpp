// Vertex storage and the device vertex buffer of the Direct3D 9 objects.
#include "Vornel3D_DX9/C3DObjectBase_DX90.h"

#include <cstring>

#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/WorldData.h"

C3DObjectBase_DX90::C3DObjectBase_DX90(WorldData* pWorldData, const Format& format)
    : C3DObjectInMemory(pWorldData, format.layout, 0), m_format(format)
{
}

C3DObjectBase_DX90::~C3DObjectBase_DX90()
{
    ReleaseVertexBuffer();
    ReleaseStateBlock();
}

IDirect3DDevice9* C3DObjectBase_DX90::Device() const
{
    return DX9DeviceFromWorld(m_pWorldData);
}

void C3DObjectBase_DX90::ReleaseVertexBuffer()
{
    if (m_pVertexBuffer) {
        m_pVertexBuffer->Release();
        m_pVertexBuffer = nullptr;
    }
}

void C3DObjectBase_DX90::ReleaseStateBlock()
{
    if (m_pStateBlock) {
        m_pStateBlock->Release();
        m_pStateBlock = nullptr;
    }
}

Status C3DObjectBase_DX90::Init()
{
    if (Failed(C3DObject::Init()))
        return kStatusFailed;
    m_nUsage = kDX9VertexUsage;
    return kStatusOk;
}

Status C3DObjectBase_DX90::Release()
{
    ReleaseVertexBuffer();
    ReleaseStateBlock();
    m_vertices.Release();
    return Failed(C3DObject::Release()) ? kStatusFailed : kStatusOk;
}

Status C3DObjectBase_DX90::Create(uint32_t groups, uint32_t vertices, uint32_t indices)
{
    if (Failed(C3DObject::Create(groups, vertices, indices)))
        return kStatusFailed;
    ReleaseVertexBuffer();
    if (Failed(m_vertices.Create(vertices, m_pWorldData)))
        return kStatusFailed;
    IDirect3DDevice9* device = Device();
    const uint64_t bytes = uint64_t(vertices) * m_format.size;
    if (vertices == 0)
        return kStatusOk;
    if (!device || bytes > 0xFFFFFFFFu)
        return kStatusFailed;
    if (FAILED(device->CreateVertexBuffer(UINT(bytes), m_nUsage, m_format.fvf, D3DPOOL_SYSTEMMEM, &m_pVertexBuffer,
                                          nullptr))) {
        m_pVertexBuffer = nullptr;
        return kStatusFailed;
    }
    return kStatusOk;
}

Status C3DObjectBase_DX90::CopyVerticesToDevice()
{
    if (!m_pVertexBuffer || !m_vertices.GetData())
        return kStatusOk;
    void* locked = nullptr;
    if (FAILED(m_pVertexBuffer->Lock(0, 0, &locked, 0)) || !locked)
        return kStatusFailed;
    std::memcpy(locked, m_vertices.GetData(), size_t(m_vertices.GetCount()) * m_vertices.GetStride());
    return FAILED(m_pVertexBuffer->Unlock()) ? kStatusFailed : kStatusOk;
}

Status C3DObjectBase_DX90::Unlock(uint32_t value)
{
    C3DObjectPrivate::Unlock(value);
    CopyVerticesToDevice();
    return m_pIndex ? m_pIndex->Unlock(value) : kStatusOk;
}

Status C3DObjectBase_DX90::Restore(uint32_t)
{
    Upload();
    return kStatusOk;
}

Status C3DObjectBase_DX90::Invalidate(uint32_t)
{
    ReleaseStateBlock();
    return kStatusOk;
}
