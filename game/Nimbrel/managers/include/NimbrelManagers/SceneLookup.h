#pragma once
// The managers name scene objects and elements by index; these find them in the live tables,
// or null for an index outside them.
#include <cstdint>

class CObjectsBase;
class CCommandListManager;
class CDragInertia;
struct ElementRecord;
struct WorldData;

CObjectsBase* SceneObjectAt(WorldData* pWorldData, uint32_t objectIndex);
ElementRecord* SceneElementAt(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex);
CCommandListManager* SceneCommands(WorldData* pWorldData);
// The objects manager's drag tracker, null before it is made.
CDragInertia* SceneDragInertia(WorldData* pWorldData);
