// The objective builtins: objectives and sub-objectives named by their popup groups, started,
// completed and put to the top of the objective manager's list. None waits.
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

Status CObjectsBase::ObjectiveIdentifiers(ScriptBuiltinCall& call, uint32_t count, uint32_t* pIdentifiers,
                                          CObjectiveManager** ppObjectives)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    *ppObjectives = world ? world->GetObjectiveManager() : nullptr;
    CExtraTextManager* texts = world ? world->GetExtraTextManager() : nullptr;
    if (!*ppObjectives) {
        TraceCall(call, kTraceError, "no objectives");
        return kStatusFailed;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const char* name = call.Text(i);
        // An empty name stands for no objective: the manager's -1.
        if (!name || !name[0]) {
            pIdentifiers[i] = 0xFFFFFFFFu;
            continue;
        }
        const int32_t group = texts ? texts->FindPopupGroupByName(name) : -1;
        if (group < 0) {
            TraceCall(call, kTraceError, "invalid objective name %S", UtilsString_FromUtf8(name).c_str());
            return kStatusFailed;
        }
        pIdentifiers[i] = static_cast<uint32_t>(group);
    }
    return kStatusOk;
}

Status CObjectsBase::ChangeObjective(ScriptBuiltinCall& call, Status (CObjectiveManager::*op)(uint32_t))
{
    uint32_t identifier = 0;
    CObjectiveManager* objectives = nullptr;
    if (Failed(ObjectiveIdentifiers(call, 1, &identifier, &objectives)))
        return kStatusFailed;
    return Failed((objectives->*op)(identifier)) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::ChangeSubObjective(ScriptBuiltinCall& call,
                                        Status (CObjectiveManager::*op)(uint32_t, uint32_t))
{
    uint32_t identifiers[2] = {};
    CObjectiveManager* objectives = nullptr;
    if (Failed(ObjectiveIdentifiers(call, 2, identifiers, &objectives)))
        return kStatusFailed;
    return Failed((objectives->*op)(identifiers[0], identifiers[1])) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::startObjective(ScriptBuiltinCall& call)
{
    return ChangeObjective(call, &CObjectiveManager::AddObjective);
}
Status CObjectsBase::stopObjective(ScriptBuiltinCall& call)
{
    return ChangeObjective(call, &CObjectiveManager::CompleteObjective);
}
Status CObjectsBase::putObjectiveToTop(ScriptBuiltinCall& call)
{
    return ChangeObjective(call, &CObjectiveManager::PutObjectiveToTop);
}
Status CObjectsBase::startSubObjective(ScriptBuiltinCall& call)
{
    return ChangeSubObjective(call, &CObjectiveManager::AddSubObjective);
}
Status CObjectsBase::stopSubObjective(ScriptBuiltinCall& call)
{
    return ChangeSubObjective(call, &CObjectiveManager::CompleteSubObjective);
}
Status CObjectsBase::putSubObjectiveToTop(ScriptBuiltinCall& call)
{
    return ChangeSubObjective(call, &CObjectiveManager::PutSubObjectiveToTop);
}
