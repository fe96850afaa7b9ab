// One frame of the game world: the update and the draw in their fixed orders, and the work of
// each game state.
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

constexpr float kMusicFadeSpeed = 1.0f / 30.0f;
constexpr int32_t kParticlesBehind = 4;
constexpr int32_t kParticlesInFront = -5;
constexpr uint32_t kOverlayLineFlags = 0x110;
constexpr uint32_t kOverlayItemFlags = 0x101;

}  // namespace

void CNimbrelWorld::UpdateManager(int32_t slot)
{
    if (CManagedObject* manager = m_pManagers[slot])
        manager->Update();
}

void CNimbrelWorld::RenderManager(int32_t slot)
{
    if (CManagedObject* manager = m_pManagers[slot])
        manager->Render();
}

Status CNimbrelWorld::Update()
{
    GameData* game = GetGameData();
    if (!game || game->stop)
        return kStatusFailed;
    // Before the frame's pointer is read: it is converted by the new window's factors. As after
    // a display change, a part that fails to lay itself out keeps the game going.
    if (!game->busy)
        RelayoutIfResized();
    const Status managed = CManagedWorld::Update();
    if (Failed(managed))
        return managed;
    game->overlayX = 0;
    game->overlayY = 0.0f;
    // The arrow keys that went down this frame, for the levels played by keys.
    GameFrameInput& input = m_pWorldData->game.input;
    input.arrowUp = m_pWorldData->keyPressed[kEngineKeyUp];
    input.arrowRight = m_pWorldData->keyPressed[kEngineKeyRight];
    input.arrowDown = m_pWorldData->keyPressed[kEngineKeyDown];
    input.arrowLeft = m_pWorldData->keyPressed[kEngineKeyLeft];

    if (m_pManagers[kManagerObjects]) {
        uint32_t reset = 1;
        if (HasCurrentLevelObject() && !IsPopupOpen() && !IsObjectPopupOpen() && !IsToolboxOpen())
            reset = CurrentLevelZoomReset();
        ZoomStep(reset);
    }
    UpdateManager(kManagerParticles);
    UpdateManager(kManagerScript);

    // A screen transition of kind 3 or 4 holds the game still behind it.
    if (!IsScreenTransitionActive()) {
        if (game->busy) {
            UpdateManager(kManagerProgressBar);
        } else if (Failed(UpdateState())) {
            return kStatusFailed;
        }
    }

    UpdateManager(kManagerBorders);
    UpdateManager(kManagerTransitions);
    UpdateManager(kManagerDragDrop);
    UpdateManager(kManagerFade);
    // The timer manager's update is empty: its timers advance in Render, once a drawn frame.
    UpdateManager(kManagerSurround);
    UpdateManager(kManagerPosition);
    UpdateManager(kManagerRotation);
    UpdateManager(kManagerScaling);
    UpdateManager(kManagerPopup);
    UpdateManager(kManagerToolbox);
    UpdateManager(kManagerTuto);
    if (GetAudioEngine() && HasMusicManager() && !game->busy)
        UpdateMusic(kMusicFadeSpeed);
    UpdateManager(kManagerTouchScreen);
    UpdateManager(kManagerCursors);
    return kStatusOk;
}

Status CNimbrelWorld::UpdateState()
{
    GameData* game = GetGameData();
    switch (m_gameState) {
    case kGameStateSplash:
        AdvanceSplash();
        break;
    case kGameStateLevelSplash:
    case kGameStateLevelVideo:
        CheckSplashEnd();
        break;
    case kGameStateLanguage: {
        // Behind a fully faded screen only.
        if (!IsFadeValueZero())
            break;
        game->busy = 1;
        const int32_t previous = GetCurrentLanguage();
        if (Failed(LoadLanguage(m_pendingLanguage))) {
            // The language in use stays, with its strings and its font pages, and the one that
            // failed is offered no more.
            if (CStringsManager* strings = GetStringsManager())
                strings->SetAvailable(static_cast<uint32_t>(m_pendingLanguage), false);
            LoadLanguage(previous);
            m_pendingLanguage = GetCurrentLanguage();
        }
        // Both now hold the language in use.
        const int32_t loaded = m_pendingLanguage;
        m_pendingLanguage = GetCurrentLanguage();
        SetCurrentLanguage(loaded);
        ReenterCurrentLevel();
        game->busy = 0;
        break;
    }
    case kGameStateWorldLoad:
        if (!IsFadeValueZero())
            break;
        game->busy = 1;
        // A failing load leaves busy set: the frame fails and the main loop ends.
        if (Failed(LoadWorld()))
            return kStatusFailed;
        game->busy = 0;
        break;
    case kGameStateLevelChange:
        return ChangeLevel();
    case kGameStateLevelActivation:
        if (!IsFadeValueZero())
            break;
        return ActivateRequestedLevel();
    case kGameStatePlaying:
        // The title leaves the last level played as the current level: the clock runs only
        // while a level is the object played, so that a profile left from the title for another
        // keeps the time it was saved with.
        if (IsLevelKind(CurrentLevelTypeCode()) && IsLevelKind(CurrentObjectTypeCode()))
            ProfileFrameStep();
        UpdateManager(kManagerObjects);
        break;
    default:
        break;
    }
    return kStatusOk;
}

Status CNimbrelWorld::ChangeLevel()
{
    GameData* game = GetGameData();
    // The recovery from a failed activation keeps the last good save.
    if (!m_activationFailed && Failed(SaveCurrentProfile()))
        return kStatusFailed;
    CObjectsManager* objects = GetObjectsManager();
    if (!objects)
        return kStatusOk;
    game->busy = 1;
    uint8_t goOn = 1;
    const uint32_t level = objects->GetRequestedLevel();
    const CObjectsBase* target = objects->GetObject(level);
    const CProfileManager* profiles = GetProfileManager();
    const CChaptersManager* chapters = GetChaptersManager();
    if (target && target->GetTypeCode() != kObjectKindMenu && profiles && profiles->GetCurrentIndex() != -1) {
        const uint32_t chapter = objects->GetRequestedChapter();
        const bool chapterChanges = chapters && chapters->IsChapter(int32_t(chapter)) &&
                                    int32_t(chapter) != chapters->GetCurrentChapter();
        if (!chapterChanges && Failed(objects->PrepareLevel(level, objects->GetReloadFlag(), &goOn)))
            return kStatusFailed;
    }
    if (goOn) {
        SetGameState(kGameStateLevelActivation, kTransitionFade, 0);
        EmptyProgress(HasCurrentLevelObject() ? 1 : 0);
        game->busy = 0;
        return kStatusOk;
    }
    // Everything the level needs is loaded: it is entered at once.
    if (SurroundLevelLeave() != 0 || Failed(objects->RestoreLevel(level, objects->GetReloadFlag())) ||
        SurroundLevelEnter() != 0)
        return kStatusFailed;
    SetGameState(kGameStatePlaying, kTransitionFade, 0);
    game->busy = 0;
    return kStatusOk;
}

Status CNimbrelWorld::ActivateRequestedLevel()
{
    GameData* game = GetGameData();
    CObjectsManager* objects = GetObjectsManager();
    game->busy = 1;
    if (objects && Succeeded(objects->ApplyLevelChange())) {
        m_activationFailed = 0;
        Relayout();
        FillProgress(0);
        int32_t next = kGameStatePlaying;
        if (!HasSplashEnded()) {
            const uint32_t mode = SplashMode();
            if ((mode == 2 || mode == 3) && SplashPendingEntry())
                next = kGameStateLevelSplash;
            else if (mode == 0 || mode == 1)
                next = kGameStateLevelVideo;
        }
        SetGameState(next, kTransitionFade, 0);
    } else if (m_activationFailed || !objects) {
        // The recovery's own level failed too: going on would only loop.
        return kStatusFailed;
    } else {
        m_activationFailed = 1;
        objects->SelectChapterLevel(1);
    }
    game->busy = 0;
    // The next frame step leaves the load time out.
    if (m_pTimerFactor)
        m_pTimerFactor->RequestExtraUpdate();
    return kStatusOk;
}

Status CNimbrelWorld::Render()
{
    GameData* game = GetGameData();
    if (!game)
        return kStatusFailed;
    game->inRender = 1;
    if (m_pManagers[kManagerShader])
        BeginDefaultShader();
    RenderParticles(kParticlesBehind);

    // The first half of a kind 3 or 4 transition covers the state's picture.
    if (!(m_pManagers[kManagerTransitions] && IsScreenTransitionActive() && IsScreenTransitionFirstHalf())) {
        if (game->busy)
            RenderManager(kManagerProgressBar);
        else
            RenderState();
    }

    UpdateTimers();
    RenderManager(kManagerBorders);
    RenderParticles(kParticlesInFront);
    RenderManager(kManagerPopup);
    RenderManager(kManagerToolbox);
    RenderManager(kManagerTuto);
    RenderManager(kManagerTransitions);
    if (!game->busy && m_gameState == kGameStatePlaying) {
        RenderManager(kManagerTouchScreen);
        RenderManager(kManagerCursors);
    }
    if (game->developerMode && HasOverlayText())
        RenderDeveloperOverlay();
    SurroundEndFrame();
    if (m_pManagers[kManagerShader])
        EndDefaultShader();
    // A click nobody took this frame does not reach the next one.
    m_pWorldData->game.input.clicked = 0;
    game->inRender = 0;
    return kStatusOk;
}

void CNimbrelWorld::RenderState()
{
    switch (m_gameState) {
    case kGameStateSplash:
        RenderManager(kManagerSplash);
        if (HasSplashEnded()) {
            SurroundSplashEnd();
            SetGameState(kGameStateWorldLoad, kTransitionFade, 0);
            ReleaseSplashImage();
        }
        break;
    case kGameStateLevelSplash:
    case kGameStateLevelVideo:
        RenderManager(kManagerSplash);
        if (HasSplashEnded()) {
            SetGameState(kGameStatePlaying, kTransitionFade, 0);
            ReleaseSplashImage();
        }
        break;
    case kGameStateLanguage:
    case kGameStateWorldLoad:
    case kGameStateLevelChange:
    case kGameStateLevelActivation:
        RenderManager(kManagerProgressBar);
        break;
    case kGameStatePlaying:
        RenderManager(kManagerObjects);
        break;
    default:
        break;
    }
}

void CNimbrelWorld::DrawDebugText(const char16_t* text)
{
    GameData* game = GetGameData();
    if (!game || !HasOverlayText())
        return;
    // The line is made here, in Unicode; a charset font draws its own codes. (The tables' texts
    // are in those codes already.)
    char16_t line[kWorldTextSize];
    UtilsString_Copy(line, kWorldTextSize, text);
    if (MainFontKind() == kFontCharset)
        if (const CStringsManager* strings = GetStringsManager())
            strings->RemapChars(line);
    DrawOverlayText(line, 0.0f, game->overlayY, kOverlayLineFlags);
    game->overlayY += game->text.information.height * game->screen.textScale;
}

void CNimbrelWorld::RenderDeveloperOverlay()
{
    GameData* game = GetGameData();
    char16_t text[kWorldTextSize];
    if (game->debugLine && GetDebugLine(text, kWorldTextSize))
        DrawDebugText(text);
    if (game->itemDebug && GetItemDebugText(text, kWorldTextSize))
        DrawOverlayText(text, m_pWorldData->virtualWidth * 0.5f, 0.0f, kOverlayItemFlags);
}
