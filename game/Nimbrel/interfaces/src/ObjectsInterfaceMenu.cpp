// The menu object: its parameter words, the world it asks, its page, the main page's roles and
// clicks, and the clicks of the other pages on the popups object's close button.
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"

#include <cstring>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "VornelUtils/UtilsTimer.h"
#include "VornelUtils/WorldData.h"

const char16_t kMenuNameCharacters[] = u" 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

namespace {

// The parameter words of the roles, in role order; "menu_button_more_games" binds the last one
// too.
constexpr const char* kRoleWords[kMenuRoleCount] = {
    "menu_text_play",        "menu_text_continue",     "menu_text_options",
    "menu_text_extras",      "menu_text_exit",         "menu_button_01",
    "menu_button_02",        "menu_button_03",         "menu_button_04",
    "menu_button_05",        "menu_button_parent",     "menu_button_facebook",
    "menu_button_facebook_publish", "menu_button_twitter", "menu_button_gamecenter",
    "menu_button_quilmark",  "menu_button_fenwright",  "menu_button_brannock",
};
constexpr const char* kMoreGamesWord = "menu_button_more_games";
constexpr const char* kPopupWord = "menu_popup_name";

// The element bits a shown role clears; a hidden one is found and drawn at alpha 0.
constexpr uint32_t kShowClears = kElementHidden | kElementDraggable | kElementHasDropRecord | kElementRotatable |
                                 kElementFound;

}  // namespace

CObjectsInterfaceMenu::CObjectsInterfaceMenu(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindMenu;
    for (int32_t& role : m_roles)
        role = -1;
}

CObjectsInterfaceMenu::~CObjectsInterfaceMenu()
{
    Release();
}

// ---- the world ----------------------------------------------------------------------------------

namespace {

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

}  // namespace

CObjectsInterfacePopups* CObjectsInterfaceMenu::Popups()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    CObjectsBase* object = objects && m_popups >= 0 ? objects->GetObject(uint32_t(m_popups)) : nullptr;
    return object && object->GetTypeCode() == kObjectKindPopups ? static_cast<CObjectsInterfacePopups*>(object)
                                                                : nullptr;
}

CProfileManager* CObjectsInterfaceMenu::Profiles()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world ? world->GetProfileManager() : nullptr;
}

CVornelFont* CObjectsInterfaceMenu::Font()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world ? world->GetMainFont() : nullptr;
}

CStringsManager* CObjectsInterfaceMenu::Strings()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world ? world->GetStringsManager() : nullptr;
}

Status CObjectsInterfaceMenu::StartGame()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? objects->SelectChapterLevel(0) : kStatusFailed;
}

void CObjectsInterfaceMenu::RestartGameState()
{
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->SetGameState(world->GetGameState(), 3, 0);
}

bool CObjectsInterfaceMenu::HasMusic()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world && world->GetMusicManager();
}

bool CObjectsInterfaceMenu::IsLanguageAvailable(uint32_t language)
{
    const CStringsManager* strings = Strings();
    return strings && strings->IsAvailable(language);
}

bool CObjectsInterfaceMenu::HasSoundOptions()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world && world->GetAudioEngine() && world->GetSurroundManager();
}

void CObjectsInterfaceMenu::SetPendingDocument(const char16_t* address)
{
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->SetPendingDocument(address);
}

void CObjectsInterfaceMenu::TextSize(float* pSize)
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const float scale = game ? game->screen.textScale : 1.0f;
    pSize[0] = world ? world->MainTextStyle().width * scale : 0.0f;
    pSize[1] = world ? world->MainTextStyle().height * scale : 0.0f;
}

const char16_t* CObjectsInterfaceMenu::CommonString(uint32_t id)
{
    // The common strings close the table.
    const CStringsManager* strings = Strings();
    const CStringsRaw* table = strings ? strings->GetTable() : nullptr;
    if (!table)
        return kMissingCommonsStringText;
    const uint32_t count = table->GetCount();
    const uint32_t common = strings->GetCommonCount() < count ? strings->GetCommonCount() : count;
    const char16_t* text = id < common ? table->GetString(count - common + id) : nullptr;
    return text ? text : kMissingCommonsStringText;
}

bool CObjectsInterfaceMenu::UsesRemappedSymbols()
{
    const CVornelFont* font = Font();
    return font && font->GetFontType() == kFontCharset && Strings();
}

char16_t CObjectsInterfaceMenu::Symbol(char16_t c)
{
    char16_t text[2] = {c, 0};
    if (UsesRemappedSymbols())
        Strings()->RemapChars(text);
    return text[0];
}

bool CObjectsInterfaceMenu::DrawsCharacter(char16_t c)
{
    CVornelFont* font = Font();
    if (!font)
        return false;
    if (UsesRemappedSymbols()) {
        // A charset's symbols table gives its missing symbol for a character it was not made with.
        if (c >= Strings()->GetRemapLength() || (c != u'?' && Symbol(c) == Symbol(u'?')))
            return false;
        c = Symbol(c);
    }
    return font->CharWidth(c, 1.0f) > 0.0f;
}

// ---- words, checks and the page ------------------------------------------------------------

Status CObjectsInterfaceMenu::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    const char* value = call.Text(1);
    if (!word || !value)
        return kStatusFailed;
    if (std::strcmp(word, kPopupWord) == 0) {
        CNimbrelWorld* world = WorldOf(m_pWorldData);
        CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
        const int32_t index = objects ? objects->FindLevelByNameAndType(value, kObjectKindPopups) : -1;
        if (index < 0) {
            TraceCall(call, kTraceError, "unknown popups object %s", value);
            return kStatusFailed;
        }
        m_popups = index;
        return kStatusDoneStoreResult;
    }
    const int32_t element = FindElementByName(value);
    if (element < 0) {
        TraceCall(call, kTraceError, "unknown element %s", value);
        return kStatusFailed;
    }
    for (uint32_t role = 0; role < kMenuRoleCount; ++role)
        if (std::strcmp(word, kRoleWords[role]) == 0) {
            m_roles[role] = element;
            return kStatusDoneStoreResult;
        }
    if (std::strcmp(word, kMoreGamesWord) == 0) {
        m_roles[kMenuButtonBrannock] = element;
        return kStatusDoneStoreResult;
    }
    TraceCall(call, kTraceError, "unknown parameter %s", word);
    return kStatusFailed;
}

Status CObjectsInterfaceMenu::CheckSetup()
{
    return m_popups >= 0 && m_roles[kMenuTextPlay] >= 0 && m_roles[kMenuTextExit] >= 0 ? kStatusOk : kStatusFailed;
}

uint32_t CObjectsInterfaceMenu::SetPage(uint32_t page)
{
    m_page = page;
    // The click that changed the page is spent: the new page does not take it as its own.
    if (m_pWorldData)
        m_pWorldData->game.input.clicked = 0;
    if (m_pWorldData && m_pWorldData->pTimer)
        m_pWorldData->pTimer->RequestExtraUpdate();
    return page;
}

const MenuEntry* CObjectsInterfaceMenu::GetEntries(uint32_t list, uint32_t* pCount) const
{
    const bool valid = list < kMenuListCount;
    if (pCount)
        *pCount = valid ? m_listCounts[list] : 0;
    return valid ? m_lists[list] : nullptr;
}

void CObjectsInterfaceMenu::PlayElementClickSound(int32_t sound)
{
    if (sound == -1)
        PlayNullClick();
    else if (sound == 0)
        PlayDefaultClick();
    else
        PlayElementSound(uint32_t(sound));
}

// ---- the main page ------------------------------------------------------------------------

void CObjectsInterfaceMenu::HideRole(uint32_t role)
{
    ElementRecord* e = m_roles[role] >= 0 ? GetItemRecord(uint32_t(m_roles[role])) : nullptr;
    if (!e)
        return;
    e->alpha = 0.0f;
    e->flags |= kElementHidden | kElementFound;
}

void CObjectsInterfaceMenu::ShowRole(uint32_t role, bool clickable)
{
    ElementRecord* e = m_roles[role] >= 0 ? GetItemRecord(uint32_t(m_roles[role])) : nullptr;
    if (!e)
        return;
    e->alpha = 1.0f;
    e->flags &= ~kShowClears;
    if (clickable)
        e->flags |= kElementClickable;
    else
        e->flags |= kElementFound;   // shown, but never under a click
}

void CObjectsInterfaceMenu::PlaceTextOn(uint32_t text, uint32_t button)
{
    ElementRecord* t = m_roles[text] >= 0 ? GetItemRecord(uint32_t(m_roles[text])) : nullptr;
    const ElementRecord* b = m_roles[button] >= 0 ? GetItemRecord(uint32_t(m_roles[button])) : nullptr;
    if (!t || !b)
        return;
    ShowRole(text, true);
    MoveElementOnto(t, b);
    UpdateComponent(t->index);
}

Status CObjectsInterfaceMenu::UpdateState()
{
    const Status status = CObjectsInterface::UpdateState();
    for (uint32_t role = 0; role < kMenuRoleCount; ++role)
        HideRole(role);
    if (m_page != kMenuMain)
        return status;
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (game && game->prefetch) {
        if (game->socialLinks[0].enabled)
            ShowRole(kMenuButtonFacebook, true);
        if (game->socialLinks[1].enabled)
            ShowRole(kMenuButtonTwitter, true);
    }
    // The buttons show whenever there is a profile slot to play in.
    CProfileManager* profiles = Profiles();
    const bool texts = m_roles[kMenuTextPlay] >= 0 || m_roles[kMenuTextExit] >= 0;
    if (!texts || m_roles[kMenuButtonParent] < 0 || !profiles || profiles->GetSlotCount() == 0)
        return status;
    uint32_t play = kMenuTextPlay;
    if (profiles->GetSlotCount() == 1) {
        const ProfileSlot* slot = profiles->GetSlot(0);
        if (slot && (slot->gameInProgress || slot->changed) && m_roles[kMenuTextContinue] >= 0)
            play = kMenuTextContinue;
    }
    ShowRole(kMenuButton01, true);
    PlaceTextOn(play, kMenuButton01);
    ShowRole(kMenuButton02, true);
    PlaceTextOn(kMenuTextOptions, kMenuButton02);
    ShowRole(kMenuButton03, true);
    PlaceTextOn(kMenuTextExit, kMenuButton03);
    ShowRole(kMenuButtonParent, false);
    return status;
}

bool CObjectsInterfaceMenu::OnRoleElement(int32_t element, const uint32_t* roles, uint32_t count) const
{
    for (uint32_t i = 0; element >= 0 && i < count; ++i)
        if (m_roles[roles[i]] == element)
            return true;
    return false;
}

void CObjectsInterfaceMenu::OpenNameEntry(int32_t slot)
{
    if (CProfileManager* profiles = Profiles())
        profiles->SetCurrentSlot(slot);
    m_name[0] = 0;
    SetPage(kMenuProfileName);
}

Status CObjectsInterfaceMenu::OnClick(float x, float y, uint32_t state)
{
    if (m_page != kMenuMain) {
        CObjectsInterfacePopups* popups = Popups();
        if (!popups || popups->HitTestButtons(x, y, 0) != kPopupsHitClose)
            return CObjectsInterface::OnClick(x, y, state);
        PlayElementClickSound(0);
        CProfileManager* profiles = Profiles();
        const bool single = profiles && profiles->GetSlotCount() == 1;
        switch (m_page) {
        case kMenuProfileName:
            SetPage(kMenuProfiles);
            break;
        case kMenuCredits:
            ReleaseCredits();
            SetPage(kMenuOptions);
            break;
        case kMenuLanguages:
            SetPage(kMenuOptions);
            break;
        case kMenuDeleteProfile:
            SetPage(single ? kMenuOptions : kMenuProfiles);
            break;
        default:
            SetPage(kMenuMain);
            break;
        }
        return kStatusOk;
    }

    HitRecord record;
    if (Failed(FindElementAt(x, y, &record, 0.0f, -1, nullptr, nullptr)) || record.element < 0)
        return CObjectsInterface::OnClick(x, y, state);
    const int32_t element = record.element;
    const ElementRecord* e = GetItemRecord(uint32_t(element));
    CProfileManager* profiles = Profiles();
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (element == m_roles[kMenuTextPlay] || element == m_roles[kMenuTextContinue]) {
        PlayClickSound(e);
        if (!profiles || profiles->GetSlotCount() == 0)
            return kStatusOk;
        if (profiles->GetSlotCount() == 1) {
            profiles->SetCurrentSlot(0);
            StartGame();
        } else if (profiles->AreAllSlotsEmpty()) {
            OpenNameEntry(0);
        } else {
            SetPage(kMenuProfiles);
        }
        return kStatusOk;
    }
    if (element == m_roles[kMenuTextOptions]) {
        PlayClickSound(e);
        SetPage(kMenuOptions);
        return kStatusOk;
    }
    if (element == m_roles[kMenuTextExit]) {
        PlayClickSound(e);
        SetPage(kMenuLeave);
        return kStatusOk;
    }
    for (uint32_t link = 0; link < 2 && game; ++link) {
        const uint32_t role = link == 0 ? kMenuButtonFacebook : kMenuButtonTwitter;
        if (element == m_roles[role]) {
            PlayClickSound(e);
            SetPendingDocument(game->socialLinks[link].address);
            return kStatusOk;
        }
    }
    return CObjectsInterface::OnClick(x, y, state);
}

Status CObjectsInterfaceMenu::PickElementUnderCursor(float, float, uint32_t)
{
    // Only the credits take a press (they scroll by dragging).
    return m_page == kMenuCredits ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceMenu::OnMouseUp(float x, float y, uint32_t state)
{
    CObjectsInterface::OnMouseUp(x, y, state);
    return kStatusFailed;
}

Status CObjectsInterfaceMenu::UpdateCursorState(float x, float y, void* pOut)
{
    if (m_page == kMenuMain) {
        static const uint32_t kClickable[] = {kMenuTextPlay, kMenuTextContinue, kMenuTextOptions, kMenuTextExit,
                                              kMenuButton01, kMenuButton02,     kMenuButton03};
        HitRecord record;
        if (Succeeded(FindElementAt(x, y, &record, 0.0f, -1, nullptr, nullptr)) &&
            OnRoleElement(record.element, kClickable, sizeof kClickable / sizeof kClickable[0])) {
            SelectCursor("clickable");
            return kStatusOk;
        }
    } else if (CObjectsInterfacePopups* popups = Popups()) {
        if (popups->HitTestButtons(x, y, 0) == kPopupsHitClose) {
            SelectCursor("clickable");
            return kStatusOk;
        }
    }
    return CObjectsInterface::UpdateCursorState(x, y, pOut);
}

// ---- the questions ------------------------------------------------------------------------

void CObjectsInterfaceMenu::OnConfirm(uint32_t page, bool yes)
{
    PlayElementClickSound(0);
    if (page == kMenuLeave) {
        if (!yes) {
            SetPage(kMenuMain);
            return;
        }
        // The player's own end: the main loop stops and the program ends without error.
        if (GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr)
            game->stop = 1;
        return;
    }
    CProfileManager* profiles = Profiles();
    const bool single = profiles && profiles->GetSlotCount() == 1;
    if (yes && profiles && profiles->GetCurrentSlot())
        profiles->DeleteProfile(profiles->GetCurrentIndex());
    SetPage(single ? kMenuOptions : kMenuProfiles);
    if (yes)
        UpdateComponents();
}
