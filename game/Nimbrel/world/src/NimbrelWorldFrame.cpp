// One frame of the game world: the update and the draw in their fixed orders, and the work of
// each game state.
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
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
    const Status managed = CManagedWorld::Update();
    if (Failed(managed))
        return managed;
    game->overlayX = 0;
    game->overlayY = 0.0f;

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
        if (Failed(LoadLanguage(m_pendingLanguage))) {
            LoadLanguage(kLanguageNone);
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
        // The profile is saved before the level changes; the change itself is the objects
        // manager's.
        if (Failed(SaveCurrentProfile()))
            return kStatusFailed;
        break;
    case kGameStatePlaying:
        if (IsLevelKind(CurrentLevelTypeCode()))
            ProfileFrameStep();
        UpdateManager(kManagerObjects);
        break;
    default:
        // Idle; level changes and activations come with the objects and profile managers.
        break;
    }
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

void CNimbrelWorld::RenderDeveloperOverlay()
{
    GameData* game = GetGameData();
    const float scale = game->screen.textScale;
    char16_t text[kWorldTextSize];
    if (game->debugLine && GetDebugLine(text, kWorldTextSize)) {
        DrawOverlayText(text, 0.0f, game->overlayY, kOverlayLineFlags);
        game->overlayY += game->text.information.height * scale;
    }
    if (game->itemDebug && GetItemDebugText(text, kWorldTextSize))
        DrawOverlayText(text, m_pWorldData->realWidth * 0.5f, 0.0f, kOverlayItemFlags);
}
