#pragma once
// The managers name scene objects and elements by index; these find them in the live tables,
// or null for an index outside them.
#include <cstdint>

class CObjectsBase;
class CObjectsManager;
class CCommandListManager;
class CDragInertia;
struct ElementRecord;
struct WorldData;

CObjectsBase* SceneObjectAt(WorldData* pWorldData, uint32_t objectIndex);
ElementRecord* SceneElementAt(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex);
CCommandListManager* SceneCommands(WorldData* pWorldData);
CObjectsManager* SceneObjectsManager(WorldData* pWorldData);
// Whether a saved object index names a live object; without a game of objects (a tool reading
// a file) every index does.
bool SceneHasObject(WorldData* pWorldData, uint32_t objectIndex);
// The objects manager's drag tracker, null before it is made.
CDragInertia* SceneDragInertia(WorldData* pWorldData);
