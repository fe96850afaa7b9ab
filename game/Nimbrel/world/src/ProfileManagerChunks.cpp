// Which manager writes and reads which chunk of the profile.
#include "NimbrelWorld/ProfileManagerChunks.h"

#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CDragDropManager.h"
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CShaderManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "NimbrelWorld/WorldManagers.h"

namespace {

// The managers that keep their state as a stream of their own.
template <typename Manager, Status (Manager::*Save)(UtilsStream*)>
Status SaveStream(CManagedObject* m, UtilsStream_ChunkList*, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<Manager*>(m);
    ChunkStream stream(c);
    return manager ? (manager->*Save)(&stream) : kStatusFailed;
}

template <typename Manager, Status (Manager::*Load)(UtilsStream*)>
Status LoadStream(CManagedObject* m, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<Manager*>(m);
    ChunkStream stream(c);
    return manager ? (manager->*Load)(&stream) : kStatusFailed;
}

// The ones that write into the chunk (and may make children).
template <typename Manager>
Status SaveChunk(CManagedObject* m, UtilsStream_ChunkList* l, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<Manager*>(m);
    return manager ? manager->SaveToStream(l, c) : kStatusFailed;
}

template <typename Manager>
Status LoadChunk(CManagedObject* m, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<Manager*>(m);
    return manager ? manager->LoadFromStream(c) : kStatusFailed;
}

Status SaveScripts(CManagedObject* m, UtilsStream_ChunkList* l, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<CScriptManager*>(m);
    return manager ? manager->SaveState(l, c) : kStatusFailed;
}

Status LoadScripts(CManagedObject* m, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<CScriptManager*>(m);
    return manager ? manager->LoadState(c) : kStatusFailed;
}

Status SaveCommands(CManagedObject* m, UtilsStream_ChunkList*, UtilsStream_Chunk* c)
{
    auto* manager = dynamic_cast<CCommandListManager*>(m);
    ChunkStream stream(c);
    return manager ? manager->Save(&stream) : kStatusFailed;
}

}  // namespace

const ProfileManagerChunk* ProfileManagerChunks(uint32_t* pCount)
{
    static const ProfileManagerChunk kChunks[] = {
        {kProfileTagObjectsManager, kManagerObjects, SaveStream<CObjectsManager, &CObjectsManager::SaveState>,
         LoadStream<CObjectsManager, &CObjectsManager::LoadState>},
        {kProfileTagScriptManager, kManagerScript, SaveScripts, LoadScripts},
        {kProfileTagCommandLists, kManagerCommandList, SaveCommands,
         LoadStream<CCommandListManager, &CCommandListManager::Load>},
        {kProfileTagPopups, kManagerPopup, SaveChunk<CPopupManager>, LoadChunk<CPopupManager>},
        {kProfileTagToolbox, kManagerToolbox, SaveChunk<CToolboxManager>, LoadChunk<CToolboxManager>},
        {kProfileTagRotations, kManagerRotation, SaveChunk<CRotationManager>, LoadChunk<CRotationManager>},
        {kProfileTagPositions, kManagerPosition, SaveChunk<CPositionManager>, LoadChunk<CPositionManager>},
        {kProfileTagScalings, kManagerScaling, SaveChunk<CScalingManager>, LoadChunk<CScalingManager>},
        {kProfileTagTimers, kManagerTimer, SaveChunk<CTimerManager>, LoadChunk<CTimerManager>},
        {kProfileTagFades, kManagerFade, SaveChunk<CFadeManager>, LoadChunk<CFadeManager>},
        {kProfileTagShader, kManagerShader, SaveChunk<CShaderManager>, LoadChunk<CShaderManager>},
        {kProfileTagDragDrop, kManagerDragDrop, SaveChunk<CDragDropManager>, LoadChunk<CDragDropManager>},
        {kProfileTagSplash, kManagerSplash, SaveChunk<CSplashscreens>, LoadChunk<CSplashscreens>},
        {kProfileTagParticles, kManagerParticles, SaveChunk<CParticules>, LoadChunk<CParticules>},
        {kProfileTagSurround, kManagerSurround, SaveStream<CSurroundManager, &CSurroundManager::SaveToStream>,
         LoadStream<CSurroundManager, &CSurroundManager::LoadFromStream>},
        {kProfileTagTutorial, kManagerTuto, SaveStream<CTutoManager, &CTutoManager::SaveToStream>,
         LoadStream<CTutoManager, &CTutoManager::LoadFromStream>},
        {kProfileTagObjectives, kManagerObjective, SaveChunk<CObjectiveManager>, LoadChunk<CObjectiveManager>},
        {kProfileTagCursors, kManagerCursors, SaveChunk<CCursors>, LoadChunk<CCursors>},
    };
    if (pCount)
        *pCount = sizeof kChunks / sizeof kChunks[0];
    return kChunks;
}

const ProfileManagerChunk* FindProfileManagerChunk(uint32_t tag)
{
    uint32_t count = 0;
    const ProfileManagerChunk* chunks = ProfileManagerChunks(&count);
    for (uint32_t i = 0; i < count; ++i)
        if (chunks[i].tag == tag)
            return &chunks[i];
    return nullptr;
}
