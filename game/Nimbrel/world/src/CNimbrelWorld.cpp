// The game world: construction, the start-up load, game states, keys and the small
// operations the rest of the game calls.
#include "NimbrelWorld/CNimbrelWorld.h"

#include <new>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CGammaRamp.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "VornelPlatform/PlatformInput.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

constexpr uint16_t kDeveloperGammaLevel = 127;
constexpr uintptr_t kKeyF2 = VK_F1 + 1;
constexpr uintptr_t kKeyF3 = VK_F1 + 2;
constexpr uintptr_t kKeyF4 = VK_F1 + 3;
constexpr float kSpeedFactorStep = 0.05f;

// Game commands of the menu and the window.
constexpr uint32_t kCommandFirst = 11;
constexpr uint32_t kCommandLast = 20;
constexpr uint32_t kCommandCurrentObject = 11;
constexpr uint32_t kCommandSkip = 17;
constexpr uint32_t kCommandPageLeave = 18;
constexpr uint32_t kCommandPageConfirm = 19;
constexpr uint32_t kCommandPageBack = 20;
constexpr int32_t kMenuPageMain = 0;
constexpr int32_t kMenuPageConfirmDocument = 14;
constexpr int32_t kMenuPageLeave = 17;
constexpr int32_t kMenuPageLeaveConfirm = 18;

}  // namespace

CNimbrelWorld* CreateNimbrelWorld()
{
    CNimbrelWorld* world = new (std::nothrow) CNimbrelWorld();
    if (world && !world->GetGameData()) {
        delete world;
        return nullptr;
    }
    return world;
}

CNimbrelWorld::CNimbrelWorld()
{
    if (m_pWorldData)
        m_pWorldData->pGame = GameDataCreate();
}

CNimbrelWorld::~CNimbrelWorld()
{
    // Unload has normally released every manager; this only covers a world never unloaded.
    for (int32_t slot = 0; slot < kManagerCount; ++slot)
        ReleaseManager(slot);
    UTILS_FREE(m_ppRegistered);
    m_ppRegistered = nullptr;
    if (m_pWorldData) {
        GameDataFree(m_pWorldData->pGame);
        m_pWorldData->pGame = nullptr;
    }
}

Status CNimbrelWorld::Prepare(uint32_t)
{
    return kStatusOk;
}

Status CNimbrelWorld::SetGameState(int32_t state, uint32_t transitionKind, uint32_t transitionArgument)
{
    m_gameState = state;
    return StartTransition(transitionKind, transitionArgument);
}

int32_t CNimbrelWorld::GetCurrentLanguage() const
{
    if (const CStringsManager* strings = GetStringsManager())
        return static_cast<int32_t>(strings->GetLanguage());
    const GameData* game = GetGameData();
    return game ? game->language : kLanguageNone;
}

void CNimbrelWorld::SetCurrentLanguage(int32_t language)
{
    if (CStringsManager* strings = GetStringsManager())
        strings->SetLanguage(static_cast<uint32_t>(language));
    else if (GameData* game = GetGameData())
        game->language = language;
}

void CNimbrelWorld::ChangeLanguage(int32_t language)
{
    if (language == GetCurrentLanguage())
        return;
    m_pendingLanguage = language;
    SetGameState(kGameStateLanguage, kTransitionFade, 0);
}

Status CNimbrelWorld::LoadLanguage(int32_t language)
{
    CStringsManager* strings = GetStringsManager();
    if (!strings) {
        // No tables to load: the language stays a choice of the game record.
        if (language != kLanguageNone)
            SetCurrentLanguage(language);
        return kStatusOk;
    }
    if (Failed(strings->Load(MainFontKind(), kStringsFolder, static_cast<uint32_t>(language), 0)))
        return kStatusFailed;
    // A charset font keeps the pages of the language's charset only.
    if (CVornelFont* font = GetMainFont();
        font && font->GetFontType() == kFontCharset && Failed(LoadFontPagesForLanguage(font, strings->GetLanguage())))
        return kStatusFailed;
    // The window title is a game string of the new language.
    if (strings->GetLanguage() != kLanguageCurrent)
        GetDisplayChangeCallback()(kDisplayChangedCode, GetMainWindow());
    return kStatusOk;
}

Status CNimbrelWorld::GetGameString(const char16_t*, const char16_t* text, char16_t* out)
{
    if (!out)
        return kStatusOk;
    const CStringsManager* strings = GetStringsManager();
    if (!strings) {
        UtilsString_Copy(out, kWorldTextSize, text ? text : GetAppName());
        return kStatusOk;
    }
    const CStringsRaw* table = strings->GetTable();
    UtilsString_Copy(out, kWorldTextSize,
                     table && table->GetCount() > 1 ? table->GetString(1) : u"MISSING GAME STRING !!!");
    // A charset font's tables hold its codes: the window wants Unicode.
    if (CVornelFont* font = GetMainFont(); font && font->GetFontType() == kFontCharset)
        static_cast<CVornelFontEx*>(font)->RemapText(out);
    return kStatusOk;
}

uint8_t CNimbrelWorld::SetDataFolder(const char16_t* appName, const char16_t* dataPath, uint32_t, uint32_t)
{
    SetApplicationParameters(kNimbrelResourceMode, kNimbrelClassName, appName,
                             dataPath ? dataPath : kNimbrelDefaultDataPath, 0);
    if (GameData* game = GetGameData()) {
        char baseName[kManagedNameSize];
        GetApplicationName(baseName);
        GameDataSetConstruction(*game, baseName);
        // The scene objects' models and scripts are named after the construction too.
        UtilsString_CopyA(GetWorldData()->game.view.dataNamePrefix, kGameNameSize, baseName);
        UtilsString_Format(game->rawFolder, kWorldTextSize, u"_raw.%s.%s/", u"full", u"Win32");
    }
    const uint8_t result = SetFitWindowToDesktop(1);
    // The alternate view starts switched off.
    if (WorldData* w = GetWorldData())
        w->game.view.alternateViewEnabled = w->game.view.alternateActive = 0;
    return result;
}

void CNimbrelWorld::SetManager(int32_t slot, CManagedObject* pManager)
{
    if (slot < 0 || slot >= kManagerCount)
        return;
    if (m_pManagers[slot] && m_pManagers[slot] != pManager)
        ReleaseManager(slot);
    m_pManagers[slot] = pManager;
}

bool CNimbrelWorld::LoadProfileParameters()
{
    // The slot chosen in the options file is the current one, once brought inside the slots.
    CProfileManager* profiles = GetProfileManager();
    if (!profiles)
        return true;
    profiles->SetCurrentSlot(GetGameData()->profileIndex);
    return Succeeded(profiles->Load());
}

void CNimbrelWorld::ReleaseManager(int32_t slot)
{
    CManagedObject* manager = m_pManagers[slot];
    if (!manager)
        return;
    manager->Unload();
    delete manager;
    m_pManagers[slot] = nullptr;
}

Status CNimbrelWorld::OnMessage(const PlatformMessage* pMessage)
{
    if (Failed(CManagedWorld::OnMessage(pMessage)))
        return kStatusFailed;
    GameData* game = GetGameData();
    if (!pMessage || !game)
        return kStatusOk;
    if (pMessage->message == WM_KEYDOWN) {
        const uintptr_t key = pMessage->wParam;
        if (key == VK_OEM_7 && m_pGammaRamp)
            m_pGammaRamp->SetLevel(kDeveloperGammaLevel);
        if (!game->developerMode)
            return kStatusOk;
        switch (key) {
        case VK_RETURN:
        case kKeyF4:
            Skip(Platform_GetKeyState(VK_CONTROL) < 0 ? 1 : 0);
            break;
        case VK_MULTIPLY:
            m_speedFactor = 1.0f;
            break;
        case VK_ADD:
            m_speedFactor += kSpeedFactorStep;
            break;
        case VK_SUBTRACT:
            m_speedFactor -= kSpeedFactorStep;
            break;
        case VK_DIVIDE:
            m_speedFactor = 0.0f;
            break;
        case kKeyF2:
            game->debugLine = game->debugLine ? 0 : 1;
            break;
        case kKeyF3:
            game->itemDebug = game->itemDebug ? 0 : 1;
            break;
        default:
            break;
        }
        return kStatusOk;
    }
    // Alt alone must not open the window menu.
    if (pMessage->message == WM_SYSCOMMAND && (pMessage->wParam & 0xFFF0) == SC_KEYMENU) {
        const uint32_t high = (static_cast<uint32_t>(pMessage->lParam) >> 16) & 0xFFFF;
        if (high == 0 || (high & 0x8000) != 0)
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::OnCharacter(char16_t character)
{
    GameData* game = GetGameData();
    if (!game || game->busy)
        return kStatusOk;
    m_pWorldData->lastChar = character;
    if (game->developerMode && (character == u'\r' || character == u'\n'))
        Skip(0);
    return kStatusOk;
}

Status CNimbrelWorld::OnGameCommand(uint32_t code, uint32_t)
{
    GameData* game = GetGameData();
    if (!game || code < kCommandFirst || code > kCommandLast)
        return kStatusOk;
    switch (code) {
    case kCommandCurrentObject:
        NotifyCurrentObject(3);
        break;
    case kCommandSkip:
        if (game->developerMode)
            Skip(0);
        break;
    case kCommandPageLeave:
        if (GetMenuPage() == kMenuPageMain)
            SetMenuPage(kMenuPageLeave);
        break;
    case kCommandPageConfirm:
        if (GetMenuPage() == kMenuPageLeave)
            SetMenuPage(kMenuPageLeaveConfirm);
        break;
    case kCommandPageBack:
        if (GetMenuPage() == kMenuPageLeave)
            SetMenuPage(kMenuPageMain);
        break;
    default:
        break;
    }
    return kStatusOk;
}

void CNimbrelWorld::Skip(uint8_t withControl)
{
    switch (m_gameState) {
    case kGameStateSplash:
        ReleaseSplashImage();
        SetGameState(kGameStateWorldLoad, kTransitionNone, 0);
        break;
    case kGameStateLevelSplash:
    case kGameStateLevelVideo:
        ReleaseSplashImage();
        SetGameState(kGameStatePlaying, kTransitionNone, 0);
        break;
    case kGameStatePlaying:
        if (IsPopupOpen())
            ClosePopup(0);
        else if (IsObjectPopupOpen())
            CloseObjectPopup(0);
        else if (IsToolboxOpen())
            CloseToolbox();
        else
            SkipCurrentLevel(withControl);
        break;
    default:
        break;
    }
}

void CNimbrelWorld::SetPendingDocument(const char16_t* text)
{
    GameData* game = GetGameData();
    if (!game)
        return;
    if (text) {
        UtilsString_Copy(game->pendingDocument, kWorldTextSize, text);
        if (game->pendingDocument[0])
            SetMenuPage(kMenuPageConfirmDocument);
        return;
    }
    if (game->pendingDocument[0]) {
        OpenDocument(game->pendingDocument);
        game->pendingDocument[0] = 0;
    }
}

Status CNimbrelWorld::ClearMinimized()
{
    return Failed(CManagedWorld::ClearMinimized()) ? kStatusFailed : kStatusOk;
}

Status CNimbrelWorld::SetMinimized()
{
    return Failed(CManagedWorld::SetMinimized()) ? kStatusFailed : kStatusOk;
}

int32_t CNimbrelWorld::GetInputReceiver()
{
    if (!IsFadeValueZero())
        return kInputNone;
    if (m_pManagers[kManagerPopup] && IsPopupOpen())
        return kInputPopups;
    if (!GetObjectsManager() || m_gameState != kGameStatePlaying)
        return kInputNone;
    return IsAbuseShowing() ? kInputAbuse : kInputObjects;
}

CManagedObject* CNimbrelWorld::InputManager(int32_t receiver) const
{
    switch (receiver) {
    case kInputObjects:
        return m_pManagers[kManagerObjects];
    case kInputPopups:
        return m_pManagers[kManagerPopup];
    case kInputToolbox:
        return m_pManagers[kManagerToolbox];
    default:
        return nullptr;
    }
}

Status CNimbrelWorld::OnMouseDown(float x, float y, uint32_t flag)
{
    const GameData* game = GetGameData();
    if (flag || !game || game->busy)
        return kStatusOk;
    m_inputReceiver = GetInputReceiver();
    if (CManagedObject* receiver = InputManager(m_inputReceiver))
        receiver->OnMouseDown(x, y, flag);
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseMove(float x, float y, uint32_t flag)
{
    const GameData* game = GetGameData();
    if (flag || !game || game->busy)
        return kStatusOk;
    if (m_pManagers[kManagerCursors])
        SelectDefaultCursor();
    if (CManagedObject* receiver = InputManager(m_inputReceiver))
        receiver->OnMouseMove(x, y, flag);
    // A penalty on show keeps its own cursor.
    CObjectsManager* objects = GetObjectsManager();
    if (objects && !IsAbuseShowing())
        objects->OfferCursor(x, y);
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseInput3(float x, float y, uint32_t flag)
{
    if (flag)
        return kStatusOk;
    if (CObjectsManager* objects = GetObjectsManager(); objects && m_inputReceiver == kInputObjects)
        objects->OnGestureEnd();
    (void)x;
    (void)y;
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseUp(float x, float y, uint32_t flag)
{
    const GameData* game = GetGameData();
    if (flag || !game || game->busy)
        return kStatusOk;
    // The click of this frame, for whoever draws its own buttons (the menu); what closes a
    // panel takes it back.
    m_pWorldData->game.input.clicked = 1;
    CObjectsManager* objects = GetObjectsManager();
    switch (m_inputReceiver) {
    case kInputObjects: {
        if (!objects)
            break;
        // An open object popup or tool box gets a release on the scene first, unless a scene
        // object holds the press. A shown panel's close button closes it even over a press the
        // panel took; what the panel's manager takes, the scene does not get.
        CObjectsBase* captured = objects->GetCapturedObject();
        if (IsObjectPopupOpen()) {
            if (captured || Failed(m_pManagers[kManagerPopup]->OnMouseUp(x, y, flag)))
                objects->OnMouseUp(x, y, flag);
        } else if (IsToolboxOpen()) {
            if ((!captured || captured == objects->GetInterfaceObject(kInterfaceToolbox)) &&
                Succeeded(m_pManagers[kManagerToolbox]->OnMouseUp(x, y, flag)))
                objects->DropCapture();
            else
                objects->OnMouseUp(x, y, flag);
        } else {
            objects->OnMouseUp(x, y, flag);
        }
        break;
    }
    case kInputPopups:
    case kInputToolbox:
        if (CManagedObject* receiver = InputManager(m_inputReceiver))
            receiver->OnMouseUp(x, y, flag);
        break;
    case kInputAbuse:
        PlayPenaltyClick();
        AbuseClick();
        break;
    default:
        break;
    }
    if (!objects || IsAbuseShowing())
        return kStatusOk;
    const bool popup = IsPopupOpen(), objectPopup = IsObjectPopupOpen(), toolbox = IsToolboxOpen();
    if (!popup && !objectPopup && !toolbox) {
        objects->OfferCursor(x, y);
        return kStatusOk;
    }
    // Over the open panel the panel keeps its own cursor.
    const uint32_t role = popup || objectPopup ? kInterfacePopups : kInterfaceToolbox;
    CObjectsBase* panel = objects->GetInterfaceObject(role);
    uint32_t record[16] = {};
    if (panel && Succeeded(panel->UpdateCursorState(x, y, record)))
        return kStatusOk;
    if ((role == kInterfacePopups && objectPopup) || (role == kInterfaceToolbox && toolbox))
        objects->OfferCursor(x, y);
    return kStatusOk;
}

Status CNimbrelWorld::OnGesture(float x1, float y1, float x2, float y2)
{
    if (CObjectsManager* objects = GetObjectsManager(); objects && m_inputReceiver == kInputObjects)
        objects->OnGesture(x1, y1, x2, y2);
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseWheel(float delta)
{
    // The wheel zooms the scene whoever holds the gesture.
    if (CObjectsManager* objects = GetObjectsManager())
        objects->OnMouseWheel(delta);
    return kStatusOk;
}

const char16_t* ResolveItemDebugText(const CStringsRaw* table, uint32_t base, int32_t index)
{
    // The popup-group lookup answers -1 for an item of no group: that is no string either.
    const uint32_t count = table ? table->GetCount() : 0;
    if (index < 0 || base >= count || static_cast<uint32_t>(index) >= count - base)
        return u"MISSING STRING !!!";
    return table->GetString(base + static_cast<uint32_t>(index));
}
