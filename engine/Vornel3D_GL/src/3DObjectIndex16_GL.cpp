#include "Vornel3D_GL/C3DObjectIndex_GL.h"

C3DObjectIndex16_GL::C3DObjectIndex16_GL(WorldData* pWorldData) : C3DObjectIndex16(pWorldData) {}

C3DObjectIndex16_GL::~C3DObjectIndex16_GL() = default;

Status C3DObjectIndex16_GL::Init()
{
    return kStatusOk;
}

Status C3DObjectIndex16_GL::Release()
{
    ReleaseDisplayListTable();
    m_bLocked = false;
    return Failed(C3DObjectIndex16::Release()) ? kStatusFailed : kStatusOk;
}

Status C3DObjectIndex16_GL::Select(const C3DGroupRecord* group)
{
    return DrawIndexed(group);
}

Status C3DObjectIndex16_GL::Create(uint32_t groupCount, uint32_t indexCount)
{
    const Status table = CreateDisplayListTable(m_pWorldData, groupCount);
    if (Failed(table))
        return table;
    return Failed(C3DObjectIndex16::Create(groupCount, indexCount)) ? kStatusFailed : kStatusOk;
}

Status C3DObjectIndex16_GL::Lock(uint32_t, uint32_t)
{
    m_bLocked = true;
    return kStatusOk;
}

void C3DObjectIndex16_GL::SetIndex(uint32_t position, uint32_t value)
{
    if (m_bLocked)
        C3DObjectIndex16::SetIndex(position, value);
}

uint32_t C3DObjectIndex16_GL::GetIndex(uint32_t position)
{
    return m_bLocked ? C3DObjectIndex16::GetIndex(position) : 0xFFFFFFFFu;
}

Status C3DObjectIndex16_GL::Unlock(uint32_t)
{
    m_bLocked = false;
    return kStatusOk;
}
