// What a scene object asks of the tutorial: the builtins that queue and remove steps, the
// current step its input gate reads, the input that ends a step, and a new look at the items.
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/WorldData.h"

namespace {

CTutoManager* Tutorial(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetTutoManager() : nullptr;
}

TutoStepArguments StepArguments(const ScriptBuiltinCall& call)
{
    return {call.Text(0), call.Text(1), call.Text(2), call.Float(3), call.Text(4), call.Text(5), call.Text(6)};
}

}  // namespace

Status CObjectsBase::pushTuto(ScriptBuiltinCall& call)
{
    CTutoManager* tuto = Tutorial(m_pWorldData);
    if (!tuto || Failed(tuto->ParseStep(m_objectNumber, call.Report(), StepArguments(call), 0)))
        return kStatusFailed;
    return kStatusDoneStoreResult;
}

// The script goes on when the step shown is popped; with the tutorial skipped nothing is
// queued and nothing waits.
Status CObjectsBase::_pushTuto(ScriptBuiltinCall& call)
{
    CTutoManager* tuto = Tutorial(m_pWorldData);
    if (!tuto || Failed(tuto->ParseStep(m_objectNumber, call.Report(), StepArguments(call), 1)))
        return kStatusFailed;
    if (tuto->GetSkipAll())
        return kStatusDoneStoreResult;
    return WaitForCommand(call, kCommandEventFade, [tuto](const CommandHandle& h) { return tuto->AddCommand(h); });
}

Status CObjectsBase::popTuto(ScriptBuiltinCall& call)
{
    CTutoManager* tuto = Tutorial(m_pWorldData);
    return tuto && !Failed(tuto->PopTuto(m_objectNumber, call.Text(0))) ? kStatusDoneStoreResult : kStatusFailed;
}

bool CObjectsBase::GetTutorialStep(TutorialStep* pStep)
{
    const CTutoManager* tuto = Tutorial(m_pWorldData);
    return tuto && pStep && tuto->GetGate(pStep);
}

void CObjectsBase::OnTutorialInput()
{
    if (CTutoManager* tuto = Tutorial(m_pWorldData))
        tuto->OnInput();
}

bool CObjectsBase::IsTutorialWaitingForClick()
{
    const CTutoManager* tuto = Tutorial(m_pWorldData);
    return tuto && tuto->IsWaitingForAnyClick();
}

void CObjectsBase::RefreshTutorialItems()
{
    if (CTutoManager* tuto = Tutorial(m_pWorldData))
        tuto->OnItemsChanged();
}
