// What a scene object asks of the screen overlays: the cursor over its elements and the
// flashlight of the levels that use it.
#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

}  // namespace

void CObjectsBase::SelectCursor(const char* name)
{
    m_pChosenCursor = name ? name : "";
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CCursors* cursors = world ? world->GetCursors() : nullptr;
    if (!cursors)
        return;
    if (!name) {
        cursors->SelectCursor(nullptr);
        return;
    }
    char16_t wide[64];
    UtilsString_AToW(name, wide, 64);
    cursors->SelectCursor(wide);
}

void CObjectsBase::CenterFlashlight()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CFlashlight* flashlight = world ? world->GetFlashlight() : nullptr)
        flashlight->Center();
}
