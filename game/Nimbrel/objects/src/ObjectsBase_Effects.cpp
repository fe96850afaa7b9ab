// The object's effect manager and the click effect of the game's effects interface.
#include <new>

#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"
#include "NimbrelManagers/CEffectManager.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "VornelUtils/WorldData.h"

Status CObjectsBase::CreateEffectManager()
{
    ReleaseEffectManager();
    m_pEffectManager = new (std::nothrow) CEffectManager(m_pWorldData, m_objectNumber);
    if (!m_pEffectManager)
        return OutOfMemory();
    return Failed(m_pEffectManager->Load()) ? kStatusFailed : kStatusOk;
}

void CObjectsBase::ReleaseEffectManager()
{
    if (!m_pEffectManager)
        return;
    m_pEffectManager->Unload();
    delete m_pEffectManager;
    m_pEffectManager = nullptr;
}

void CObjectsBase::UpdateEffects()
{
    if (m_pEffectManager)
        m_pEffectManager->Update();
}

void CObjectsBase::ResetEffects()
{
    if (m_pEffectManager)
        m_pEffectManager->Unload();
}

uint32_t CObjectsBase::AddEffect(uint32_t kind, uint32_t element)
{
    return m_pEffectManager ? m_pEffectManager->AddEffect(kind, m_objectNumber, element) : 0;
}

void CObjectsBase::RemoveEffect(uint32_t id)
{
    if (m_pEffectManager)
        m_pEffectManager->RemoveEffect(id);
}

void CObjectsBase::RestartSharedEffectCycle()
{
    if (m_pEffectManager)
        m_pEffectManager->RestartSharedCycle();
}

Status CObjectsBase::RestartEffects()
{
    if (m_pEffectManager && m_pEffectManager->GetCycleCount())
        m_pEffectManager->RestartSharedCycle();
    return kStatusOk;
}

bool CObjectsBase::HasNoCycleEffect()
{
    return !m_pEffectManager || m_pEffectManager->GetCycleCount() == 0;
}

void CObjectsBase::StartClickEffect(ElementRecord* pElement)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    auto* effects =
        objects ? dynamic_cast<CObjectsInterfaceEffects*>(objects->GetInterfaceObject(kInterfaceEffects)) : nullptr;
    auto* fades = effects ? dynamic_cast<CFadeManager*>(world->GetManager(kManagerFade)) : nullptr;
    CFadeItem* fade = fades && pElement->fadeId ? fades->GetFade(pElement->fadeId) : nullptr;
    // Only an item that dissolves plays it.
    if (fade && (fade->GetKind() == kFadeDissolve || fade->GetKind() == kFadeDissolveAlpha))
        effects->StartClickEffect(this, pElement);
}
