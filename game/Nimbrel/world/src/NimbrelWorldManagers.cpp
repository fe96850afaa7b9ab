// What the world asks of its managers, answered for a manager this program does not have yet:
// no transition, the screen fade at level 0, no splash list, nothing open, no current level.
// Each manager's own code takes its question over.
#include <new>
#include <string>

#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelManagers/CAbuse.h"
#include "NimbrelManagers/CBorders.h"
#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CDragDropManager.h"
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelManagers/CLoading.h"
#include "NimbrelManagers/CObstruction.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CProgressBar.h"
#include "NimbrelManagers/CShaderManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelManagers/CTouchScreen.h"
#include "NimbrelManagers/CTransitions.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/GroupTables.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsString.h"

const char16_t* WorldManagerName(int32_t slot)
{
    static const char16_t* const kNames[kManagerCount] = {
        u"CProfileManager", u"CExtraTextManager", u"CObjectiveManager", u"CPopupManager",
        u"CToolboxManager", u"CObjectsManager", u"CScriptManager", u"CCommandListManager",
        u"CPositionManager", u"CRotationManager", u"CScalingManager", u"CFadeManager",
        u"CShaderManager", u"CDragDropManager", u"CChaptersManager", u"CTimerManager",
        u"CSurroundManager", u"CTutoManager", u"CSplashscreens", u"CTransitions",
        u"CParticules", u"CFlashlight", u"CLoading", u"CBorders",
        u"CAbuse", u"CTouchScreen", u"CCursors", u"CProgressBar",
        u"CObstruction", u"CGroups", u"CLabels",
    };
    return slot >= 0 && slot < kManagerCount ? kNames[slot] : u"";
}

CTransitions* CNimbrelWorld::GetTransitions() const
{
    return dynamic_cast<CTransitions*>(m_pManagers[kManagerTransitions]);
}

CProgressBar* CNimbrelWorld::GetProgressBar() const
{
    return dynamic_cast<CProgressBar*>(m_pManagers[kManagerProgressBar]);
}

Status CNimbrelWorld::StartTransition(uint32_t kind, uint32_t argument)
{
    CTransitions* transitions = GetTransitions();
    return transitions ? transitions->Start(kind, argument != 0 ? 1 : 0) : kStatusOk;
}

bool CNimbrelWorld::IsScreenTransitionActive()
{
    const CTransitions* transitions = GetTransitions();
    return transitions && transitions->IsScreenTransitionActive();
}

bool CNimbrelWorld::IsScreenTransitionFirstHalf()
{
    const CTransitions* transitions = GetTransitions();
    return transitions && transitions->IsScreenTransitionFirstHalf();
}

bool CNimbrelWorld::IsFadeValueZero()
{
    const CTransitions* transitions = GetTransitions();
    return !transitions || transitions->IsFadeValueZero();
}

bool CNimbrelWorld::HasSplashList()
{
    CSplashscreens* splash = GetSplashscreens();
    return splash && Succeeded(splash->LoadNext());
}

void CNimbrelWorld::AdvanceSplash()
{
    // The end of the sequence is no failure of the frame: the draw sees it ended.
    if (CSplashscreens* splash = GetSplashscreens())
        splash->Advance();
}

void CNimbrelWorld::CheckSplashEnd()
{
    if (CSplashscreens* splash = GetSplashscreens())
        splash->CheckEnd();
}

bool CNimbrelWorld::HasSplashEnded()
{
    // Nothing to show is a sequence that has ended.
    CSplashscreens* splash = GetSplashscreens();
    return !splash || splash->IsDone();
}

void CNimbrelWorld::ReleaseSplashImage()
{
    if (CSplashscreens* splash = GetSplashscreens())
        splash->ReleaseImage();
}

CPopupManager* CNimbrelWorld::GetPopupManager() const
{
    return dynamic_cast<CPopupManager*>(m_pManagers[kManagerPopup]);
}

bool CNimbrelWorld::IsPopupOpen()
{
    const CPopupManager* popups = GetPopupManager();
    return popups && popups->IsPopupOpen();
}

bool CNimbrelWorld::IsObjectPopupOpen()
{
    const CPopupManager* popups = GetPopupManager();
    return popups && popups->IsObjectPopupOpen();
}

void CNimbrelWorld::ClosePopup(uint8_t transition)
{
    if (CPopupManager* popups = GetPopupManager())
        popups->Close(transition);
}

void CNimbrelWorld::CloseObjectPopup(uint8_t transition)
{
    if (CPopupManager* popups = GetPopupManager())
        popups->CloseObjectPopup(transition);
}

bool CNimbrelWorld::IsToolboxOpen()
{
    const CToolboxManager* toolbox = GetToolboxManager();
    return toolbox && toolbox->IsShowing();
}

void CNimbrelWorld::CloseToolbox()
{
    // The developer's skip: gone at once, without its fade, so the fade's end that shows the
    // next request never comes: it shows now.
    if (CToolboxManager* toolbox = GetToolboxManager()) {
        toolbox->Close(0);
        toolbox->OnPopupClosed();
    }
}

CToolboxManager* CNimbrelWorld::GetToolboxManager() const
{
    return dynamic_cast<CToolboxManager*>(m_pManagers[kManagerToolbox]);
}

CDragDropManager* CNimbrelWorld::GetDragDropManager() const
{
    return dynamic_cast<CDragDropManager*>(m_pManagers[kManagerDragDrop]);
}

CSurroundManager* CNimbrelWorld::GetSurroundManager() const
{
    return dynamic_cast<CSurroundManager*>(m_pManagers[kManagerSurround]);
}

CAbuse* CNimbrelWorld::GetAbuse() const
{
    return dynamic_cast<CAbuse*>(m_pManagers[kManagerAbuse]);
}

bool CNimbrelWorld::IsAbuseShowing()
{
    const CAbuse* abuse = GetAbuse();
    return abuse && abuse->IsShowing();
}

void CNimbrelWorld::AbuseClick()
{
    if (CAbuse* abuse = GetAbuse())
        abuse->OnClick();
}

void CNimbrelWorld::PlayPenaltyClick()
{
    if (CSurroundManager* sounds = GetSurroundManager())
        sounds->PlayNullClick();
}

void CNimbrelWorld::SelectDefaultCursor()
{
    if (CCursors* cursors = GetCursors())
        cursors->SelectCursor(nullptr);
}

void CNimbrelWorld::ZoomStep(uint32_t reset)
{
    if (CObjectsManager* objects = GetObjectsManager())
        objects->UpdateView(reset);
}

bool CNimbrelWorld::HasCurrentLevelObject()
{
    CObjectsManager* objects = GetObjectsManager();
    return objects && objects->GetCurrentLevelObject();
}

uint32_t CNimbrelWorld::CurrentLevelTypeCode()
{
    CObjectsManager* objects = GetObjectsManager();
    const CObjectsBase* level = objects ? objects->GetCurrentLevelObject() : nullptr;
    return level ? level->GetTypeCode() : 0;
}

uint32_t CNimbrelWorld::CurrentObjectTypeCode()
{
    CObjectsManager* objects = GetObjectsManager();
    const CObjectsBase* current = objects ? objects->GetCurrentObject() : nullptr;
    return current ? current->GetTypeCode() : 0;
}

uint32_t CNimbrelWorld::CurrentLevelZoomReset()
{
    return 1;
}

void CNimbrelWorld::SkipCurrentLevel(uint8_t withControl)
{
    CObjectsManager* objects = GetObjectsManager();
    if (CObjectsBase* level = objects ? objects->GetCurrentLevelObject() : nullptr)
        level->OnCheatCodes(withControl);
}

namespace {

// The menu when it is the objects manager's current object.
CObjectsInterfaceMenu* CurrentMenu(CObjectsManager* objects)
{
    CObjectsBase* current = objects ? objects->GetCurrentObject() : nullptr;
    return current && current->GetTypeCode() == kObjectKindMenu ? static_cast<CObjectsInterfaceMenu*>(current)
                                                                 : nullptr;
}

}  // namespace

void CNimbrelWorld::NotifyCurrentObject(uint32_t operation)
{
    // Operation 3: the object lays itself out again.
    CObjectsManager* objects = GetObjectsManager();
    CObjectsBase* current = objects ? objects->GetCurrentObject() : nullptr;
    if (current && operation == 3)
        current->UpdateComponents();
}

int32_t CNimbrelWorld::GetMenuPage()
{
    const CObjectsInterfaceMenu* menu = CurrentMenu(GetObjectsManager());
    return menu ? int32_t(menu->GetPage()) : -1;
}

void CNimbrelWorld::SetMenuPage(int32_t page)
{
    if (CObjectsInterfaceMenu* menu = CurrentMenu(GetObjectsManager()))
        menu->SetPage(uint32_t(page));
}

void CNimbrelWorld::ReenterCurrentLevel()
{
    // The current object: a language chosen in the menu enters the menu again.
    CObjectsManager* objects = GetObjectsManager();
    if (objects && objects->GetCurrentObject())
        objects->SetCurrentLevel(objects->GetCurrentObject()->GetObjectNumber(), kNoObjectIndex, 1);
}

uint32_t CNimbrelWorld::SplashMode()
{
    CSplashscreens* splash = GetSplashscreens();
    return splash ? splash->GetEntryKind() : kSplashNothing;
}

bool CNimbrelWorld::SplashPendingEntry()
{
    // The entry a video state still has to play.
    CSplashscreens* splash = GetSplashscreens();
    return splash && splash->HasVideo();
}

int32_t CNimbrelWorld::SurroundLevelLeave()
{
    CSurroundManager* sounds = GetSurroundManager();
    return sounds ? sounds->ResetAllSounds() : 0;
}

int32_t CNimbrelWorld::SurroundLevelEnter()
{
    CSurroundManager* sounds = GetSurroundManager();
    return sounds ? sounds->PrepareAllSounds() : 0;
}

void CNimbrelWorld::ProfileFrameStep()
{
    if (CProfileManager* profiles = GetProfileManager())
        profiles->Update();
}

bool CNimbrelWorld::GetObjectCount(uint32_t* pCount)
{
    CObjectsManager* objects = GetObjectsManager();
    if (objects && pCount)
        *pCount = objects->GetObjectCount();
    return objects != nullptr;
}

void CNimbrelWorld::SurroundSplashEnd()
{
    if (CSurroundManager* sounds = GetSurroundManager())
        sounds->PlayDefaultClick();
}

void CNimbrelWorld::SurroundEndFrame()
{
    RenderManager(kManagerSurround);
}

void CNimbrelWorld::BeginDefaultShader()
{
    if (CShaderManager* shaders = GetShaderManager())
        shaders->BeginDefaultShader();
}

void CNimbrelWorld::EndDefaultShader()
{
    if (CShaderManager* shaders = GetShaderManager())
        shaders->EndDefaultShader();
}

void CNimbrelWorld::RenderParticles(int32_t layer)
{
    // The layer is a kind mask: 4 the pulses behind the scene, -5 every other kind in front.
    if (CParticules* particles = GetParticules())
        particles->Render(static_cast<uint32_t>(layer));
}

void CNimbrelWorld::UpdateTimers()
{
    // The timer manager's update is where game timers advance and fire.
    if (CManagedObject* timers = GetManager(kManagerTimer))
        timers->Update();
}

bool CNimbrelWorld::HasMusicManager()
{
    return m_pMusicManager != nullptr;
}

void CNimbrelWorld::UpdateMusic(float fadeSpeed)
{
    if (m_pMusicManager)
        m_pMusicManager->Update(fadeSpeed);
}

void CNimbrelWorld::ProgressBarRange(uint32_t step, uint32_t maximum)
{
    if (CProgressBar* bar = GetProgressBar())
        bar->SetRange(step, maximum);
}

void CNimbrelWorld::ProgressBarStep()
{
    if (CProgressBar* bar = GetProgressBar())
        bar->Step();
}

uint32_t CNimbrelWorld::MainFontKind()
{
    // A charset font reads indexed tables; any other reads plain ones.
    const CVornelFont* font = GetMainFont();
    return font ? font->GetFontType() : 0;
}

bool CNimbrelWorld::HasOverlayText()
{
    // The overlay needs the main font and the strings manager.
    return GetMainFont() && GetStringsManager();
}

void CNimbrelWorld::DrawOverlayText(const char16_t* text, float x, float y, uint32_t flags)
{
    CVornelFont* font = GetMainFont();
    const GameData* game = GetGameData();
    if (!font || !game || !text)
        return;
    const float scale = game->screen.textScale;
    const GameTextStyle& style = game->text.information;
    font->DrawText(text, x, y, 0.0f, flags, style.color, style.width * scale, style.height * scale, nullptr, nullptr,
                   0);
}

bool CNimbrelWorld::GetDebugLine(char16_t* out, uint32_t capacity)
{
    CObjectsManager* objects = GetObjectsManager();
    const CObjectsBase* level = objects ? objects->GetCurrentLevelObject() : nullptr;
    if (!level)
        return false;
    const CChaptersManager* chapters = GetChaptersManager();
    UtilsString_Format(out, capacity, u"chap %d/%d, level %d: %S", chapters ? chapters->GetCurrentChapter() + 1 : 0,
                       chapters ? int32_t(chapters->GetChapterCount()) : 0, int32_t(level->GetObjectNumber()),
                       level->GetName() ? level->GetName() : "");
    return true;
}

bool CNimbrelWorld::GetItemDebugText(char16_t* out, uint32_t capacity)
{
    CObjectsManager* objects = GetObjectsManager();
    const CStringsManager* strings = GetStringsManager();
    HitRecord hit;
    if (!out || !capacity || !objects || !strings ||
        Failed(objects->HitTestObjects(m_pWorldData->mouseX, m_pWorldData->mouseY, &hit)) || hit.object < 0 ||
        hit.element < 0)
        return false;
    CObjectsBase* object = objects->GetObject(static_cast<uint32_t>(hit.object));
    if (!object || static_cast<uint32_t>(hit.element) >= object->GetElementCount())
        return false;
    const ElementRecord* element = object->GetItemRecord(static_cast<uint32_t>(hit.element));
    if (!element || element->textStringId == -1)
        return false;
    // The popup texts follow the extra-text slots in the table.
    const CExtraTextManager* extra = GetExtraTextManager();
    const uint32_t base = extra && extra->GetSlotCount() != kExtraTextSlotsUnknown ? extra->GetPopupTextBase() : 0;
    UtilsString_Copy(out, capacity, ResolveItemDebugText(strings->GetTable(), base, element->textStringId));
    return true;
}

bool CNimbrelWorld::OpenDocument(const char16_t* document)
{
    return CObjectsManager::OpenDocument(document, 0);
}

CManagedObject* CNimbrelWorld::NewManager(int32_t slot)
{
    switch (slot) {
    case kManagerScript:
        return new (std::nothrow) CScriptManager(m_pWorldData);
    case kManagerCommandList:
        return new (std::nothrow) CCommandListManager(m_pWorldData);
    case kManagerProfile:
        return new (std::nothrow) CProfileManager(m_pWorldData);
    case kManagerChapters:
        return new (std::nothrow) CChaptersManager(m_pWorldData);
    case kManagerTimer:
        return new (std::nothrow) CTimerManager(m_pWorldData);
    case kManagerFade:
        return new (std::nothrow) CFadeManager(m_pWorldData);
    case kManagerPosition:
        return new (std::nothrow) CPositionManager(m_pWorldData);
    case kManagerRotation:
        return new (std::nothrow) CRotationManager(m_pWorldData);
    case kManagerScaling:
        return new (std::nothrow) CScalingManager(m_pWorldData);
    case kManagerObjects:
        return new (std::nothrow) CObjectsManager(m_pWorldData);
    case kManagerExtraText:
        return new (std::nothrow) CExtraTextManager(m_pWorldData);
    case kManagerObjective:
        return new (std::nothrow) CObjectiveManager(m_pWorldData);
    case kManagerGroups:
        return new (std::nothrow) CGroups(m_pWorldData);
    case kManagerLabels:
        return new (std::nothrow) CLabels(m_pWorldData);
    case kManagerTransitions:
        return new (std::nothrow) CTransitions(m_pWorldData);
    case kManagerLoading:
        return new (std::nothrow) CLoading(m_pWorldData);
    case kManagerProgressBar:
        return new (std::nothrow) CProgressBar(m_pWorldData);
    case kManagerObstruction:
        return new (std::nothrow) CObstruction(m_pWorldData);
    case kManagerPopup:
        return new (std::nothrow) CPopupManager(m_pWorldData);
    case kManagerToolbox:
        return new (std::nothrow) CToolboxManager(m_pWorldData);
    case kManagerDragDrop:
        return new (std::nothrow) CDragDropManager(m_pWorldData);
    case kManagerShader:
        return new (std::nothrow) CShaderManager(m_pWorldData);
    case kManagerSplash:
        return new (std::nothrow) CSplashscreens(m_pWorldData);
    case kManagerSurround:
        return new (std::nothrow) CSurroundManager(m_pWorldData);
    case kManagerAbuse:
        return new (std::nothrow) CAbuse(m_pWorldData);
    case kManagerFlashlight:
        return new (std::nothrow) CFlashlight(m_pWorldData);
    case kManagerBorders:
        return new (std::nothrow) CBorders(m_pWorldData);
    case kManagerCursors:
        return new (std::nothrow) CCursors(m_pWorldData);
    case kManagerTouchScreen:
        return new (std::nothrow) CTouchScreen(m_pWorldData);
    case kManagerParticles:
        return new (std::nothrow) CParticules(m_pWorldData);
    case kManagerTuto:
        return new (std::nothrow) CTutoManager(m_pWorldData);
    default:
        return nullptr;
    }
}

CScriptManager* CNimbrelWorld::GetScriptManager() const
{
    return dynamic_cast<CScriptManager*>(m_pManagers[kManagerScript]);
}

CCommandListManager* CNimbrelWorld::GetCommandListManager() const
{
    return dynamic_cast<CCommandListManager*>(m_pManagers[kManagerCommandList]);
}

CExtraTextManager* CNimbrelWorld::GetExtraTextManager() const
{
    return dynamic_cast<CExtraTextManager*>(m_pManagers[kManagerExtraText]);
}

CObjectiveManager* CNimbrelWorld::GetObjectiveManager() const
{
    return dynamic_cast<CObjectiveManager*>(m_pManagers[kManagerObjective]);
}

CLabels* CNimbrelWorld::GetLabels() const
{
    return dynamic_cast<CLabels*>(m_pManagers[kManagerLabels]);
}

CGroups* CNimbrelWorld::GetGroups() const
{
    return dynamic_cast<CGroups*>(m_pManagers[kManagerGroups]);
}

CProfileManager* CNimbrelWorld::GetProfileManager() const
{
    return dynamic_cast<CProfileManager*>(m_pManagers[kManagerProfile]);
}

CObjectsManager* CNimbrelWorld::GetObjectsManager() const
{
    return dynamic_cast<CObjectsManager*>(m_pManagers[kManagerObjects]);
}

CChaptersManager* CNimbrelWorld::GetChaptersManager() const
{
    return dynamic_cast<CChaptersManager*>(m_pManagers[kManagerChapters]);
}

CTimerManager* CNimbrelWorld::GetTimerManager() const
{
    return dynamic_cast<CTimerManager*>(m_pManagers[kManagerTimer]);
}

CShaderManager* CNimbrelWorld::GetShaderManager() const
{
    return dynamic_cast<CShaderManager*>(m_pManagers[kManagerShader]);
}

CSplashscreens* CNimbrelWorld::GetSplashscreens() const
{
    return dynamic_cast<CSplashscreens*>(m_pManagers[kManagerSplash]);
}

CCursors* CNimbrelWorld::GetCursors() const
{
    return dynamic_cast<CCursors*>(m_pManagers[kManagerCursors]);
}

CTouchScreen* CNimbrelWorld::GetTouchScreen() const
{
    return dynamic_cast<CTouchScreen*>(m_pManagers[kManagerTouchScreen]);
}

CFlashlight* CNimbrelWorld::GetFlashlight() const
{
    return dynamic_cast<CFlashlight*>(m_pManagers[kManagerFlashlight]);
}

CParticules* CNimbrelWorld::GetParticules() const
{
    return dynamic_cast<CParticules*>(m_pManagers[kManagerParticles]);
}

CTutoManager* CNimbrelWorld::GetTutoManager() const
{
    return dynamic_cast<CTutoManager*>(m_pManagers[kManagerTuto]);
}

CCommandTarget* CNimbrelWorld::GetCommandTarget(uint32_t objectNumber)
{
    CObjectsManager* objects = GetObjectsManager();
    return objects ? objects->GetObject(objectNumber) : nullptr;
}

CObjectsBase* CNimbrelWorld::FindObjectByName(const char* name)
{
    CObjectsManager* objects = GetObjectsManager();
    return objects ? objects->FindObjectByName(name) : nullptr;
}

bool CNimbrelWorld::IsObjectActivated(uint32_t objectNumber)
{
    CObjectsManager* objects = GetObjectsManager();
    CObjectsBase* object = objects ? objects->GetObject(objectNumber) : nullptr;
    return object && object->IsLoaded() && object->IsWanted() && m_gameState != kGameStateLevelChange &&
           m_gameState != kGameStateLevelActivation;
}

Status CNimbrelWorld::SetUpParticles(const float* sizes, const int32_t* kinds, uint32_t count, uint32_t blendFlags)
{
    CParticules* particles = GetParticules();
    if (!particles)
        return kStatusOk;
    particles->SetTextCallback(&CNimbrelWorld::DrawText);
    particles->SetTextContext(reinterpret_cast<uintptr_t>(this));
    particles->SetEnableMask(kParticulesEnableMask);
    ParticleSpriteRecord records[kParticleGroupCount] = {};
    for (uint32_t i = 0; i < count && i < kParticleGroupCount; ++i)
        records[i] = {sizes[i], static_cast<uint32_t>(kinds[i]), 0};
    return particles->LoadParameters(records, blendFlags);
}

Status CNimbrelWorld::SetUpTouchScreen(float halfWidth, uint32_t color, const char16_t* section,
                                        const char16_t* key)
{
    CTouchScreen* touch = GetTouchScreen();
    return touch ? touch->LoadParameters(halfWidth, color, section, key) : kStatusOk;
}

Status CNimbrelWorld::LoadMusic()
{
    const Status status = CreateMusicManager();
    // The music starts at the player's music volume.
    if (Succeeded(status) && m_pMusicManager && GetGameData())
        m_pMusicManager->SetVolume(GetGameData()->musicVolume, 0);
    return status;
}

Status CNimbrelWorld::LoadExtraTextData()
{
    CExtraTextManager* extraTexts = GetExtraTextManager();
    return extraTexts ? extraTexts->LoadExtraTexts() : kStatusOk;
}

Status CNimbrelWorld::PrepareSurroundForRun()
{
    CSurroundManager* sounds = GetSurroundManager();
    if (!sounds)
        return kStatusOk;
    // The player's sound volume from the options.
    if (const GameData* game = GetGameData())
        sounds->SetVolume(game->soundsVolume);
    return sounds->PrepareForRun();
}

Status CNimbrelWorld::LoadResidentModels()
{
    CObjectsManager* objects = GetObjectsManager();
    return objects ? objects->LoadResidentModels() : kStatusOk;
}

Status CNimbrelWorld::RunMainScript()
{
    CScriptManager* scripts = GetScriptManager();
    return scripts ? scripts->RunMain() : kStatusOk;
}

Status CNimbrelWorld::OnRelease()
{
    return kStatusOk;
}
