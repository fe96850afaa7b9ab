// The engine's container list: the three container factories and release of a tree.
#include <new>

#include "Vornel3D/C3DContainer.h"
#include "Vornel3D/C3DEngine.h"
#include "VornelUtils/WorldData.h"

namespace {

template <typename T> C3DContainer* NewContainer(WorldData* pWorldData, CFIFOList& list, uint32_t flags,
                                                 uint32_t second)
{
    C3DContainer* container = new (std::nothrow) T(pWorldData, flags & kContainerFlagsMask, second);
    if (container && Failed(list.Add(container, 0))) {
        delete container;
        container = nullptr;
    }
    if (!container && pWorldData)
        pWorldData->lastErrorCode = kStatusOutOfMemory;
    return container;
}

} // namespace

C3DContainer* C3DEngine::CreateContainer(uint32_t flags, uint32_t second)
{
    return NewContainer<C3DContainer>(m_pWorldData, m_listContainer, flags, second);
}

C3DContainer* C3DEngine::CreateContainerShader(uint32_t flags, uint32_t second)
{
    return NewContainer<C3DContainerShader>(m_pWorldData, m_listContainer, flags, second);
}

C3DContainer* C3DEngine::CreateContainerText(uint32_t flags, uint32_t second)
{
    return NewContainer<C3DContainerText>(m_pWorldData, m_listContainer, flags, second);
}

Status C3DEngine::ReleaseContainer(C3DContainer* pContainer)
{
    if (!pContainer)
        return kStatusFailed;
    CFIFOList& children = pContainer->GetChildren();
    while (auto* child = static_cast<C3DContainer*>(children.GetFirst())) {
        if (Failed(pContainer->RemoveChild(child)))
            break; // cannot happen for a listed child; never loop on it
        ReleaseContainer(child);
    }
    if (pContainer->GetUseCount() > 0) {
        pContainer->ReleaseRef();
        if (pContainer->GetUseCount() > 0)
            return kStatusFailed;
    }
    // Only the engine's own containers are deleted here.
    if (Failed(m_listContainer.Remove(pContainer)))
        return kStatusFailed;
    delete pContainer;
    return kStatusOk;
}

Status C3DEngine::ReleaseContainerChildren(C3DContainer* pContainer)
{
    if (!pContainer)
        return kStatusFailed;
    pContainer->NotifyOwner();
    CFIFOList& children = pContainer->GetChildren();
    while (auto* child = static_cast<C3DContainer*>(children.GetFirst())) {
        if (Failed(pContainer->RemoveChild(child)))
            break;
        ReleaseContainer(child);
    }
    return kStatusOk;
}
