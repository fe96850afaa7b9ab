// Chapter and level selection: continuing the current profile's game or starting it anew, and
// the end of a game.
#include <cstring>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ProfileManager.h"
#include "VornelUtils/WorldData.h"

Status CObjectsManager::SelectChapterLevel(uint8_t force)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CProfileManager* profiles = world ? world->GetProfileManager() : nullptr;
    CChaptersManager* chapters = world ? world->GetChaptersManager() : nullptr;
    if (!profiles || !chapters)
        return kStatusFailed;
    // Between a selection and its activation the slot waits as the slot to restore.
    const int32_t oldIndex = profiles->GetCurrentIndex();
    const int32_t oldChapter = chapters->GetCurrentChapter();
    const uint32_t oldRestore = m_requestedProfile;
    const int32_t index = profiles->GetSlot(oldIndex) || oldRestore == kNoObjectIndex ? oldIndex : int32_t(oldRestore);
    ProfileSlot* slot = profiles->GetSlot(index);
    // Nothing changes when the selection cannot be made.
    auto refuse = [&] {
        profiles->SetCurrentSlot(oldIndex);
        m_requestedProfile = oldRestore;
        return kStatusFailed;
    };
    if (!slot || chapters->GetChapterCount() == 0)
        return refuse();
    profiles->SetCurrentSlot(index);

    const bool newGame = force || profiles->IsNewGameSlot(index);
    const bool resume = chapters->GetChaptersFlag() && profiles->CanResumeAfterMismatch(index);
    if (!newGame || resume) {
        const bool onMenu = m_pCurrentLevel && m_pCurrentLevel->GetTypeCode() == kObjectKindMenu;
        if (!chapters->IsChapter(slot->chapterIndex) || slot->levelObjectIndex >= m_objectCount)
            return refuse();
        if (chapters->GetCurrentChapter() != slot->chapterIndex || onMenu) {
            m_requestedChapter = uint32_t(slot->chapterIndex);
            chapters->SetCurrentChapter(-1);
        }
        if (slot->gameInProgress) {
            m_requestedProfile = uint32_t(index);
            profiles->SetCurrentSlot(-1);
        }
    } else {
        // A chapter the table does not have starts the game at the first one.
        int32_t chapter = slot->mismatched ? slot->chapterIndex : 0;
        if (!chapters->IsChapter(chapter))
            chapter = 0;
        const uint32_t level = chapters->GetChapter(chapter)->firstLevel;
        if (level >= m_objectCount)
            return refuse();
        slot->chapterIndex = chapter;
        slot->levelObjectIndex = level;
        slot->used = slot->gameInProgress = 1;
        m_requestedChapter = uint32_t(chapter);
        m_requestedProfile = kNoObjectIndex;
        chapters->SetCurrentChapter(-1);
        profiles->ResetPlayTime(slot);
    }

    CallMainScript("OnStart");
    const uint8_t tutorialOff = (slot->flags & kProfileFlagTutorialOff) ? 1 : 0;
    SetTutorialOff(tutorialOff);
    CallMainScript(tutorialOff ? "OnDisableTutorial" : "OnEnableTutorial");
    if (Succeeded(SetCurrentLevel(slot->levelObjectIndex, uint32_t(slot->chapterIndex), 1)))
        return kStatusOk;
    m_requestedLevel = m_requestedChapter = m_requestedProfile = kNoObjectIndex;
    chapters->SetCurrentChapter(oldChapter);
    profiles->SetCurrentSlot(oldIndex);
    return kStatusFailed;
}

void CObjectsManager::CallMainScript(const char* function)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CScriptManager* scripts = world ? world->GetScriptManager() : nullptr;
    if (!scripts)
        return;
    // The main script need not have them.
    if (std::strcmp(function, "OnStart") == 0)
        scripts->OnStart();
    else if (std::strcmp(function, "OnEnableTutorial") == 0)
        scripts->OnEnableTutorial();
    else
        scripts->OnDisableTutorial();
}

Status CObjectsManager::OnGameOver()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CProfileManager* profiles = world ? world->GetProfileManager() : nullptr;
    if (!profiles || Failed(profiles->OnGameCompleted(profiles->GetCurrentIndex(), 1)))
        return kStatusFailed;
    const uint32_t level = m_pCurrentLevel ? m_pCurrentLevel->GetObjectNumber() : kNoObjectIndex;
    return Succeeded(SetCurrentLevel(level, kNoObjectIndex, 0)) ? kStatusWait : kStatusFailed;
}
