// The tutorial in the objects manager's walks: a step's frame takes the gestures over its
// scene object first, and level changes close, choose and switch the tutorial.
#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "VornelUtils/WorldData.h"

CTutoManager* CObjectsManager::Tutorial() const
{
    const auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetTutoManager() : nullptr;
}

void CObjectsManager::CloseTutorialStep()
{
    if (CTutoManager* tuto = Tutorial())
        tuto->Close(1);
}

void CObjectsManager::TutorialItemsChanged()
{
    if (CTutoManager* tuto = Tutorial())
        tuto->OnItemsChanged();
}

void CObjectsManager::SetTutorialOff(uint8_t off)
{
    if (CTutoManager* tuto = Tutorial())
        tuto->SetSkipAll(off);
}

bool CObjectsManager::TutorialTakesPress(CObjectsBase* pObject, float x, float y)
{
    CTutoManager* tuto = Tutorial();
    auto* frame = dynamic_cast<CObjectsInterfaceTuto*>(GetInterfaceObject(kInterfaceTutorial));
    if (!tuto || !frame || !tuto->IsShowingFor(pObject->GetObjectNumber()))
        return false;
    // The arrow only points: what lies under it takes the press.
    const int32_t part = frame->PartAt(x, y);
    if (part >= 0 && part != frame->GetPart(kTutoArrow))
        return true;
    if (!tuto->IsWaitingForAnyClick())
        return false;
    tuto->OnInput();
    return true;
}

bool CObjectsManager::TutorialTakesClick(CObjectsBase* pObject, float x, float y, uint32_t state)
{
    CTutoManager* tuto = Tutorial();
    CObjectsBase* frame = GetInterfaceObject(kInterfaceTutorial);
    return tuto && frame && tuto->IsShowingFor(pObject->GetObjectNumber()) && Succeeded(frame->OnClick(x, y, state));
}

bool CObjectsManager::TutorialTakesCursor(CObjectsBase* pObject, float x, float y)
{
    CTutoManager* tuto = Tutorial();
    CObjectsBase* frame = GetInterfaceObject(kInterfaceTutorial);
    return tuto && frame && tuto->IsShowingFor(pObject->GetObjectNumber()) &&
           Succeeded(frame->UpdateCursorState(x, y, nullptr));
}
