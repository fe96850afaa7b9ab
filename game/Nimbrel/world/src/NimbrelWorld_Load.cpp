// The world load, which creates every manager of play under the progress bar, and the unload
// that releases them at shutdown.
#include <algorithm>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelPlatform/PlatformTime.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

using W = CNimbrelWorld;

// Nested frames of a long operation are drawn at most this often.
constexpr int64_t kNestedFramesPerSecond = 30;

constexpr const char16_t* kInternalError = u"# CNimbrelWorld::LoadWorld failed! internal error\n";

}  // namespace

// {log name, manager slot, load, register, progress steps, own work}
const WorldLoadStep* WorldLoadSteps(uint32_t* pCount)
{
    static const WorldLoadStep kSteps[] = {
        {u"CObjectsManager", kManagerObjects, 1, 1, 1, nullptr},
        {u"CTimerManager", kManagerTimer, 1, 0, 1, nullptr},
        {u"CPositionManager", kManagerPosition, 1, 0, 1, nullptr},
        {u"CRotationManager", kManagerRotation, 1, 0, 1, nullptr},
        {u"CScalingManager", kManagerScaling, 1, 0, 1, nullptr},
        {u"CScriptManager", kManagerScript, 1, 0, 1, nullptr},
        {u"CCommandListManager", kManagerCommandList, 1, 0, 1, nullptr},
        {u"CFadeManager", kManagerFade, 1, 0, 1, nullptr},
        {u"CDragDropManager", kManagerDragDrop, 1, 0, 1, nullptr},
        {u"CSurroundManager", kManagerSurround, 1, 0, 1, nullptr},
        {u"CTutoManager", kManagerTuto, 1, 1, 1, nullptr},
        {u"LoadMusicManager", -1, 0, 0, 6, &W::LoadMusicStep},
        {u"CParticules", kManagerParticles, 0, 1, 1, &W::SetUpParticlesStep},
        {u"CFlashlight", kManagerFlashlight, 1, 1, 1, nullptr},
        {u"CBorders", kManagerBorders, 1, 1, 1, nullptr},
        {u"CAbuse", kManagerAbuse, 1, 1, 1, nullptr},
        {u"CCursors", kManagerCursors, 1, 1, 1, nullptr},
        {u"CTouchScreen", kManagerTouchScreen, 0, 1, 3, &W::SetUpTouchScreenStep},
        {u"CObstruction", kManagerObstruction, 1, 0, 1, nullptr},
        {u"CExtraTextManager", kManagerExtraText, 1, 1, 1, nullptr},
        {u"CObjectiveManager", kManagerObjective, 1, 0, 1, nullptr},
        {u"CChaptersManager", kManagerChapters, 1, 0, 1, nullptr},
        {u"UniqueIdentifier", -1, 0, 0, 2, &W::UniqueIdentifierStep},
        {u"LoadRelease", -1, 0, 0, 1, &W::LoadReleaseStep},
        {u"LoadGroups", kManagerGroups, 1, 0, 1, nullptr},
        {u"CLabels", kManagerLabels, 1, 0, 1, nullptr},
        {u"CPopupManager", kManagerPopup, 1, 1, 1, nullptr},
        {u"CToolboxManager", kManagerToolbox, 1, 1, 6, nullptr},
        {u"CExtraTextManager datas", -1, 0, 0, 1, &W::ExtraTextDataStep},
        {u"CSurroundManager::PrepareForRun", -1, 0, 0, 1, &W::SurroundPrepareStep},
        {u"AutoLoadReleaseModel", -1, 0, 0, 1, &W::ReleaseModelsStep},
        {u"OnMain", -1, 0, 0, 0, &W::MainScriptStep},
    };
    if (pCount)
        *pCount = sizeof kSteps / sizeof kSteps[0];
    return kSteps;
}

const int32_t* WorldUnloadOrder(uint32_t* pCount)
{
    // The profile manager goes first, on its own, before the release hook.
    static const int32_t kOrder[] = {
        kManagerFade,        kManagerShader,      kManagerPosition,    kManagerRotation,   kManagerScaling,
        kManagerSurround,    kManagerTuto,        kManagerObjects,     kManagerExtraText,  kManagerObjective,
        kManagerPopup,       kManagerToolbox,     kManagerDragDrop,    kManagerChapters,   kManagerScript,
        kManagerCommandList, kManagerTimer,       kManagerSplash,      kManagerTransitions, kManagerParticles,
        kManagerFlashlight,  kManagerLoading,     kManagerBorders,     kManagerAbuse,      kManagerTouchScreen,
        kManagerCursors,     kManagerProgressBar, kManagerObstruction, kManagerGroups,     kManagerLabels,
    };
    if (pCount)
        *pCount = sizeof kOrder / sizeof kOrder[0];
    return kOrder;
}

Status CNimbrelWorld::CreateManager(int32_t slot, uint8_t loadIt)
{
    CManagedObject* manager = NewManager(slot);
    if (!manager)
        return kStatusOk;  // not part of this program yet: the step makes nothing
    SetManager(slot, manager);
    return loadIt && Failed(manager->Load()) ? kStatusFailed : kStatusOk;
}

Status CNimbrelWorld::LoadWorld()
{
    WorldData* w = GetWorldData();
    if (!w || !w->pGame)
        return kStatusFailed;
    SetProgressRange(1, kWorldLoadProgressMaximum);
    uint32_t count = 0;
    const WorldLoadStep* steps = WorldLoadSteps(&count);
    for (uint32_t i = 0; i < count; ++i) {
        const WorldLoadStep& step = steps[i];
        Log(w->logPath, 0, u"# CNimbrelWorld::LoadWorld - %s\n", step.name);
        if (step.manager >= 0 && Failed(CreateManager(step.manager, step.loads))) {
            Log(w->logPath, 0, kInternalError);
            return kStatusFailed;
        }
        // Each step's work logs its own failure line, or none where the step has none.
        if (step.work && Failed((this->*step.work)()))
            return kStatusFailed;
        if (step.registers && step.manager >= 0 && Failed(RegisterManager(m_pManagers[step.manager]))) {
            Log(w->logPath, 0, kInternalError);
            return kStatusFailed;
        }
        for (uint32_t n = 0; n < step.progressSteps; ++n)
            ProgressStep();
    }
    Log(w->logPath, 0, u"# CNimbrelWorld::LoadWorld - ENDED.\n");
    if (m_pTimerFactor)
        m_pTimerFactor->RequestExtraUpdate();
    return kStatusOk;
}

Status CNimbrelWorld::LoadMusicStep()
{
    // Without an audio engine the bar still advances by the music's steps.
    if (!GetAudioEngine())
        return kStatusOk;
    if (Failed(LoadMusic())) {
        UtilsString_Copy(m_pWorldData->lastErrorText, kWorldTextSize, u"Missing music file");
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::SetUpParticlesStep()
{
    if (!m_pManagers[kManagerParticles])
        return kStatusOk;
    // Four single presets, then sizes 15, 20, 25 and 50 each with the kinds 1 to 4.
    float sizes[20] = {15.0f, 20.0f, 25.0f, 100.0f};
    int32_t kinds[20] = {0, 0, 0, 0};
    const float groupSizes[4] = {15.0f, 20.0f, 25.0f, 50.0f};
    for (int g = 0; g < 4; ++g)
        for (int k = 0; k < 4; ++k) {
            sizes[4 + g * 4 + k] = groupSizes[g];
            kinds[4 + g * 4 + k] = k + 1;
        }
    uint32_t blend = 0;
    if (UtilsParameters* app = m_pWorldData->pAppSettings) {
        const struct {
            const char16_t* key;
            uint32_t bit;
        } keys[] = {{u"BLEND_ONE_ON_STARS", 0x02},
                    {u"BLEND_ONE_ON_SPANGLE", 0x08},
                    {u"BLEND_ONE_ON_PULSE", 0x04},
                    {u"BLEND_ONE_ON_EXTRA", 0x20}};
        for (const auto& k : keys)
            if (app->GetBool(u"PARTICULES", k.key, 1))
                blend |= k.bit;
    } else {
        blend = 0x2E;
    }
    if (Failed(SetUpParticles(sizes, kinds, 20, blend))) {
        Log(m_pWorldData->logPath, 0, kInternalError);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::SetUpTouchScreenStep()
{
    if (!m_pManagers[kManagerTouchScreen])
        return kStatusOk;
    float width = 32.0f;
    uint32_t a = 255, r = 255, g = 255, b = 0;
    if (UtilsParameters* app = m_pWorldData->pAppSettings) {
        width = app->GetFloat(u"TOUCH_SCREEN", u"TOUCH_WIDTH", 32.0f);
        a = static_cast<uint32_t>(app->GetInt(u"TOUCH_SCREEN", u"TOUCH_COLOR_A", 255)) & 0xFF;
        r = static_cast<uint32_t>(app->GetInt(u"TOUCH_SCREEN", u"TOUCH_COLOR_R", 255)) & 0xFF;
        g = static_cast<uint32_t>(app->GetInt(u"TOUCH_SCREEN", u"TOUCH_COLOR_G", 255)) & 0xFF;
        b = static_cast<uint32_t>(app->GetInt(u"TOUCH_SCREEN", u"TOUCH_COLOR_B", 0)) & 0xFF;
    }
    const uint32_t color = (a << 24) | (r << 16) | (g << 8) | b;
    if (SetUpTouchScreen(width * 0.5f, color, u"TOUCH_SCREEN", u"TOUCH_TEXTURE_FILE_NAME") != 0) {
        Log(m_pWorldData->logPath, 0, kInternalError);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::UniqueIdentifierStep()
{
    GameData* game = GetGameData();
    game->uniqueIdentifierLength = GetApplicationName(game->uniqueIdentifier);
    return kStatusOk;
}

Status CNimbrelWorld::ManagerWork(int32_t slot, Status (CNimbrelWorld::*work)(), uint8_t logFailure)
{
    if (!m_pManagers[slot] || Succeeded((this->*work)()))
        return kStatusOk;
    if (logFailure)
        Log(m_pWorldData->logPath, 0, kInternalError);
    return kStatusFailed;
}

Status CNimbrelWorld::LoadReleaseStep()
{
    // The construction file reports its own error text: no internal-error line.
    if (m_pManagers[kManagerObjects] && Failed(LoadRelease()))
        return kStatusFailed;
    // Every slot's header, so that the menu can show names, clocks and states.
    CProfileManager* profiles = GetProfileManager();
    if (profiles && Failed(profiles->LoadSlots())) {
        Log(m_pWorldData->logPath, 0, kInternalError);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::ExtraTextDataStep()
{
    return ManagerWork(kManagerExtraText, &CNimbrelWorld::LoadExtraTextData, 1);
}

Status CNimbrelWorld::SurroundPrepareStep()
{
    return ManagerWork(kManagerSurround, &CNimbrelWorld::PrepareSurroundForRun, 1);
}

Status CNimbrelWorld::ReleaseModelsStep()
{
    return ManagerWork(kManagerObjects, &CNimbrelWorld::LoadResidentModels, 0);
}

Status CNimbrelWorld::MainScriptStep()
{
    // Idle from here on, unless the main script selects a level while it runs. A game whose
    // "main" is missing or fails cannot start; one that waits (a level being chosen) has.
    m_gameState = kGameStateIdle;
    if (m_pManagers[kManagerScript] && Failed(RunMainScript())) {
        Log(m_pWorldData->logPath, 0, kInternalError);
        return kStatusFailed;
    }
    // A start at a level plays it in the current profile's game, as play on the title would
    // start or continue that game.
    if (m_pStartLevel && m_pManagers[kManagerObjects])
        GetObjectsManager()->SelectChapterLevel(0);
    if (m_pStartLevel && Failed(LoadLevelByName(m_pStartLevel, m_startChapter))) {
        // Not a failure of the game: the program ends and names the level it did not find.
        m_startLevelUnknown = true;
        if (m_pWorldData->pGame)
            m_pWorldData->pGame->stop = 1;
    }
    return kStatusOk;
}

Status CNimbrelWorld::RegisterManager(CManagedObject* pManager)
{
    if (!pManager)
        return kStatusOk;
    void* grown = UTILS_REALLOC(m_ppRegistered, (m_registeredCount + 1) * sizeof(CManagedObject*));
    if (!grown) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    m_ppRegistered = static_cast<CManagedObject**>(grown);
    m_ppRegistered[m_registeredCount++] = pManager;
    return kStatusOk;
}

Status CNimbrelWorld::Unload()
{
    WorldData* w = GetWorldData();
    SaveOptionsAndProfile();
    SetPendingDocument(nullptr);
    ReleaseManager(kManagerProfile);
    if (Failed(OnRelease()))
        return kStatusFailed;
    UTILS_FREE(m_ppRegistered);
    m_ppRegistered = nullptr;
    m_registeredCount = 0;
    uint32_t count = 0;
    const int32_t* order = WorldUnloadOrder(&count);
    for (uint32_t i = 0; i < count; ++i)
        ReleaseManager(order[i]);
    if (w && w->pack.pIndex && Failed(FreePackIndex(&w->pack)))
        return kStatusFailed;
    return Failed(CManagedWorld::Unload()) ? kStatusFailed : kStatusOk;
}

void CNimbrelWorld::SetProgressRange(uint32_t step, uint32_t maximum)
{
    m_progressPosition = 0;
    m_progressStep = step;
    m_progressMaximum = maximum;
    ProgressBarRange(step, maximum);
}

void CNimbrelWorld::ProgressStep()
{
    m_progressPosition = std::min(m_progressPosition + m_progressStep, m_progressMaximum);
    ProgressBarStep();
    // Under vertical sync every nested frame waits for the display: the bar is drawn at the
    // frame rate of an animation, and once more when it is full.
    int64_t now = 0, frequency = 0;
    Platform_QueryPerformanceCounter(&now);
    Platform_QueryPerformanceFrequency(&frequency);
    const bool due = m_lastNestedFrame == 0 || frequency <= 0 ||
                     now - m_lastNestedFrame >= frequency / kNestedFramesPerSecond;
    if (due || m_progressPosition >= m_progressMaximum) {
        m_lastNestedFrame = now;
        RunNestedFrame();
    }
}

void CNimbrelWorld::EmptyProgress(uint8_t runFrame)
{
    SetProgressRange(0, 1);
    if (runFrame)
        ProgressStep();
}

void CNimbrelWorld::FillProgress(uint8_t runFrame)
{
    SetProgressRange(1, 1);
    if (runFrame)
        ProgressStep();
}

Status CNimbrelWorld::RunNestedFrame()
{
    return Frame();
}
