#include "NimbrelManagers/PanelInput.h"

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"

bool TakeReleasedKey(WorldData* w, uint32_t key, uint8_t GameFrameInput::*flag)
{
    if (!w)
        return false;
    const bool released = w->keyReleased[key] || w->game.input.*flag;
    if (released) {
        w->keyReleased[key] = 0;
        w->game.input.*flag = 0;
    }
    return released;
}

void AfterPanelClosed(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    if (CObjectsBase* level = objects ? objects->GetCurrentLevelObject() : nullptr)
        level->DispatchMessages();
    if (w)
        w->game.input.clicked = 0;
}
