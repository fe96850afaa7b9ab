// What the objects manager hands to the screen overlays: presses and moves to the flashlight of
// the levels that use it, and the touch marks where a press reached no object.
#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelManagers/CTouchScreen.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "VornelUtils/WorldData.h"

namespace {

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

}  // namespace

CManagedObject* CObjectsManager::FlashlightFirst()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (!world || !m_pCurrentObject || !(m_pCurrentObject->GetModeWord() & kModeFlashlight))
        return nullptr;
    return world->GetFlashlight();
}

void CObjectsManager::CenterFlashlight()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CFlashlight* flashlight = world ? world->GetFlashlight() : nullptr)
        flashlight->Center();
}

void CObjectsManager::AddTouchMark(float x, float y, uint32_t state)
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CTouchScreen* touch = world ? world->GetTouchScreen() : nullptr;
    if (!touch)
        return;
    float hotX = 0.0f, hotY = 0.0f;
    if (const CCursors* cursors = world->GetCursors())
        cursors->GetHotSpot(&hotX, &hotY);
    touch->AddTouch(x - hotX, y - hotY, uint8_t(state));
}
