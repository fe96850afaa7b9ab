#include "Vornel3D_GL/C3DObjectIndex_GL.h"

C3DObjectIndex32_GL::C3DObjectIndex32_GL(WorldData* pWorldData) : C3DObjectIndex32(pWorldData) {}

C3DObjectIndex32_GL::~C3DObjectIndex32_GL() = default;

Status C3DObjectIndex32_GL::Init()
{
    return kStatusOk;
}

Status C3DObjectIndex32_GL::Release()
{
    ReleaseDisplayListTable();
    m_bLocked = false;
    return Failed(C3DObjectIndex32::Release()) ? kStatusFailed : kStatusOk;
}

Status C3DObjectIndex32_GL::Select(const C3DGroupRecord* group)
{
    return DrawIndexed(group);
}

Status C3DObjectIndex32_GL::Create(uint32_t groupCount, uint32_t indexCount)
{
    const Status table = CreateDisplayListTable(m_pWorldData, groupCount);
    if (Failed(table))
        return table;
    return Failed(C3DObjectIndex32::Create(groupCount, indexCount)) ? kStatusFailed : kStatusOk;
}

Status C3DObjectIndex32_GL::Lock(uint32_t, uint32_t)
{
    m_bLocked = true;
    return kStatusOk;
}

void C3DObjectIndex32_GL::SetIndex(uint32_t position, uint32_t value)
{
    if (m_bLocked)
        C3DObjectIndex32::SetIndex(position, value);
}

uint32_t C3DObjectIndex32_GL::GetIndex(uint32_t position)
{
    return m_bLocked ? C3DObjectIndex32::GetIndex(position) : 0xFFFFFFFFu;
}

Status C3DObjectIndex32_GL::Unlock(uint32_t)
{
    m_bLocked = false;
    return kStatusOk;
}
