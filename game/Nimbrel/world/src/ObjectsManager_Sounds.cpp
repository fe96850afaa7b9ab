// What the objects manager asks of the surround sound and the abuse overlay.
#include "NimbrelManagers/CAbuse.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "VornelUtils/WorldData.h"

namespace {

CSurroundManager* SurroundOf(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetSurroundManager() : nullptr;
}

CAbuse* AbuseOf(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetAbuse() : nullptr;
}

}  // namespace

void CObjectsManager::PlayNullClick()
{
    if (CSurroundManager* sounds = SurroundOf(m_pWorldData))
        sounds->PlayNullClick();
}

Status CObjectsManager::ResetAllSounds()
{
    CSurroundManager* sounds = SurroundOf(m_pWorldData);
    return sounds ? sounds->ResetAllSounds() : kStatusOk;
}

Status CObjectsManager::PrepareAllSounds()
{
    CSurroundManager* sounds = SurroundOf(m_pWorldData);
    return sounds ? sounds->PrepareAllSounds() : kStatusOk;
}

Status CObjectsManager::StopObjectSounds(uint32_t objectNumber)
{
    CSurroundManager* sounds = SurroundOf(m_pWorldData);
    return sounds ? sounds->StopObjectSounds(objectNumber) : kStatusOk;
}

void CObjectsManager::ResetAbuse()
{
    if (CAbuse* abuse = AbuseOf(m_pWorldData))
        abuse->Reset();
}

void CObjectsManager::OnAbuseClick()
{
    if (CAbuse* abuse = AbuseOf(m_pWorldData))
        abuse->OnClick();
}

void CObjectsManager::UpdateAbuse()
{
    if (CAbuse* abuse = AbuseOf(m_pWorldData))
        abuse->Update();
}

void CObjectsManager::RenderAbuse()
{
    if (CAbuse* abuse = AbuseOf(m_pWorldData))
        abuse->Render();
}
