#include "Vornel3D_GL/C3DObjectIndex_GL.h"

template <typename TWidth>
C3DObjectIndexOfWidth_GL<TWidth>::~C3DObjectIndexOfWidth_GL() = default;

template <typename TWidth>
Status C3DObjectIndexOfWidth_GL<TWidth>::Init()
{
    return kStatusOk;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_GL<TWidth>::Release()
{
    ReleaseDisplayListTable();
    m_bLocked = false;
    return Failed(TWidth::Release()) ? kStatusFailed : kStatusOk;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_GL<TWidth>::Select(const C3DGroupRecord* group)
{
    return DrawIndexed(group);
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_GL<TWidth>::Create(uint32_t groupCount, uint32_t indexCount)
{
    const Status table = CreateDisplayListTable(this->m_pWorldData, groupCount);
    if (Failed(table))
        return table;
    return Failed(TWidth::Create(groupCount, indexCount)) ? kStatusFailed : kStatusOk;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_GL<TWidth>::Lock(uint32_t, uint32_t)
{
    m_bLocked = true;
    return kStatusOk;
}

template <typename TWidth>
void C3DObjectIndexOfWidth_GL<TWidth>::SetIndex(uint32_t position, uint32_t value)
{
    if (m_bLocked)
        TWidth::SetIndex(position, value);
}

template <typename TWidth>
uint32_t C3DObjectIndexOfWidth_GL<TWidth>::GetIndex(uint32_t position)
{
    return m_bLocked ? TWidth::GetIndex(position) : 0xFFFFFFFFu;
}

template <typename TWidth>
Status C3DObjectIndexOfWidth_GL<TWidth>::Unlock(uint32_t)
{
    m_bLocked = false;
    return kStatusOk;
}

template class C3DObjectIndexOfWidth_GL<C3DObjectIndex16>;
template class C3DObjectIndexOfWidth_GL<C3DObjectIndex32>;

C3DObjectIndex16_GL::C3DObjectIndex16_GL(WorldData* pWorldData) : C3DObjectIndexOfWidth_GL(pWorldData) {}

C3DObjectIndex32_GL::C3DObjectIndex32_GL(WorldData* pWorldData) : C3DObjectIndexOfWidth_GL(pWorldData) {}
