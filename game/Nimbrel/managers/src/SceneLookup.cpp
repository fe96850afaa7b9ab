#include "NimbrelManagers/SceneLookup.h"

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "VornelUtils/WorldData.h"

namespace {

CNimbrelWorld* WorldOf(WorldData* pWorldData)
{
    return pWorldData ? dynamic_cast<CNimbrelWorld*>(pWorldData->pWorld) : nullptr;
}

}  // namespace

CObjectsBase* SceneObjectAt(WorldData* pWorldData, uint32_t objectIndex)
{
    CNimbrelWorld* world = WorldOf(pWorldData);
    return world ? dynamic_cast<CObjectsBase*>(world->GetCommandTarget(objectIndex)) : nullptr;
}

ElementRecord* SceneElementAt(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex)
{
    CObjectsBase* object = SceneObjectAt(pWorldData, objectIndex);
    return object && elementIndex < object->GetElementCount() ? object->GetItemRecord(elementIndex) : nullptr;
}

CCommandListManager* SceneCommands(WorldData* pWorldData)
{
    CNimbrelWorld* world = WorldOf(pWorldData);
    return world ? world->GetCommandListManager() : nullptr;
}

CObjectsManager* SceneObjectsManager(WorldData* pWorldData)
{
    CNimbrelWorld* world = WorldOf(pWorldData);
    return world ? world->GetObjectsManager() : nullptr;
}

bool SceneHasObject(WorldData* pWorldData, uint32_t objectIndex)
{
    CNimbrelWorld* world = WorldOf(pWorldData);
    uint32_t count = 0;
    return !world || !world->GetObjectCount(&count) || objectIndex < count;
}

CDragInertia* SceneDragInertia(WorldData* pWorldData)
{
    CObjectsManager* objects = SceneObjectsManager(pWorldData);
    return objects ? objects->GetDragInertia() : nullptr;
}
