// The menu's pages on screen, each frame: the popups object's frame, the entries with their
// buttons, and what a click of this frame does on the profile list, the name entry and the
// questions; the name entry's keyboard and the name's checks.
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"

#include <algorithm>
#include <cmath>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelObjects/CMenuSkins.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTransform.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kEntryFlags = kTextCentreX;
// The second line of a used slot, against its name.
constexpr float kClockLineFactor = 0.65f;
// The game record keeps no text factor of its own for the menu: its texts keep their size.
constexpr float kMenuTextFactor = 1.0f;
constexpr uint32_t kOpaque = 0xFFFFFFFFu;

// The letters beyond ASCII that a name may take where the font draws them: the accented Latin
// letters and the Greek and Cyrillic ones, no signs.
bool IsNameLetter(char16_t c)
{
    return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x386 && c <= 0x3CE && c != 0x387) ||
           (c >= 0x400 && c <= 0x481) || (c >= 0x48A && c <= 0x52F);
}

}  // namespace

bool CObjectsInterfaceMenu::TakeClick()
{
    if (!m_pWorldData || !m_pWorldData->game.input.clicked)
        return false;
    m_pWorldData->game.input.clicked = 0;
    return true;
}

bool CObjectsInterfaceMenu::PointerNear(float x, float y, float radius) const
{
    return m_pWorldData && std::fabs(m_pWorldData->mouseX - x) <= radius && std::fabs(m_pWorldData->mouseY - y) <= radius;
}

void CObjectsInterfaceMenu::DrawSheetQuad(C3DObject* pSheet, uint32_t quad, float x, float y, float size,
                                          uint32_t color)
{
    const uint32_t drawn = pSheet == m_pLanguagesSheet ? m_languagesQuads : m_profilesQuads;
    if (!pSheet || quad >= drawn)
        return;
    C3DTransform transform(m_pWorldData);
    transform.SetIdentity();
    transform.Scale(size, size, 1.0f);
    transform.SetPosition(x, y, 0.0f);
    pSheet->SetColor(color);
    pSheet->SetMatrix(transform.GetMatrix());
    pSheet->DrawEx(quad);
}

bool CObjectsInterfaceMenu::DrawEntry(const MenuEntry& entry, const char16_t* text, float factor, uint8_t alpha,
                                      bool button)
{
    CVornelFont* font = Font();
    CNimbrelWorld* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    float size[2];
    TextSize(size);
    const float scale = entry.scale * factor;
    bool over = false;
    if (button && entry.kind >= kMenuEntryLeft && entry.kind <= kMenuEntryCentred && m_pButtonSkin) {
        const float height = entry.buttonHeight * m_buttonHeightRatio * scale;
        const float width = 2.0f * height + entry.buttonWidth * m_buttonWidthRatio * scale;
        const float centreY = entry.y + entry.textHeight * scale * 0.5f;
        m_pButtonSkin->SetPosition(entry.x, centreY, 0.0f);
        m_pButtonSkin->SetRect(nullptr, width, height, height * 0.5f, kOpaque, m_buttonRepeat);
        m_pButtonSkin->Draw();
        over = PointerNear(entry.x, centreY, 0.0f) ||
               (m_pWorldData && std::fabs(m_pWorldData->mouseX - entry.x) <= width * 0.5f &&
                std::fabs(m_pWorldData->mouseY - centreY) <= height * 0.5f);
    }
    if (font && text) {
        const C3DVector2 pointer = {m_pWorldData->mouseX, m_pWorldData->mouseY};
        const uint32_t main = world ? world->MainTextStyle().color : kOpaque;
        const uint32_t color = (main & 0x00FFFFFFu) | ((main >> 24) * alpha / 0xFFu) << 24;
        const C3DVector3 r = font->DrawText(text, entry.x, entry.y, entry.z, kEntryFlags, color, size[0] * scale,
                                            size[1] * scale, &pointer, nullptr, 0);
        over = over || r.z != 0.0f;
    }
    return over;
}

void CObjectsInterfaceMenu::DrawPopupFrame()
{
    CObjectsInterfacePopups* popups = Popups();
    if (!popups || !popups->IsLoaded())
        return;
    // No menu page turns pages: the arrows stay hidden on every one, also on the pages that a
    // first start reaches before any popup text has set the buttons (the leave question).
    popups->SetButtonsState(0, 0, 1);
    popups->BeginDraw(0);
    for (uint32_t i = 0; i < popups->GetFrameCount(); ++i)
        if (ElementRecord* frame = popups->GetItemRecord(uint32_t(popups->GetFrame()[i])))
            popups->DrawSingleElement(frame, 1.0f);
    for (uint32_t role : {kPopupsPrevious, kPopupsNext, kPopupsClose})
        if (ElementRecord* button = popups->GetRoleElement(role))
            popups->DrawSingleElement(button, button->alpha);
}

void CObjectsInterfaceMenu::DrawEntries(uint32_t list, uint32_t page)
{
    const bool questions = page == kMenuLeave || page == kMenuDeleteProfile;
    const float factor = questions ? kMenuTextFactor : 1.0f;
    for (uint32_t i = 0; i < m_listCounts[list]; ++i) {
        const MenuEntry& e = m_lists[list][i];
        // The question of the delete page is the alternate text of the leave page's.
        const bool alternate = e.toggle || (page == kMenuDeleteProfile && e.id == kMenuIdLeaveQuestion);
        const char16_t* text = alternate && e.alternateId ? e.alternateText : e.text;
        const bool over = DrawEntry(e, text ? text : u"", factor);
        if (!over || (e.id != kMenuIdYes && e.id != kMenuIdNo))
            continue;
        SelectCursor("clickable");
        if (questions && TakeClick()) {
            OnConfirm(page, e.id == kMenuIdYes);
            return;
        }
    }
}

Status CObjectsInterfaceMenu::Draw()
{
    const Status status = CObjectsInterface::Draw();
    if (m_page == kMenuMain)
        return status;
    DrawPopupFrame();
    switch (m_page) {
    case kMenuProfiles:
        DrawProfileList();
        break;
    case kMenuProfileName:
        DrawNameEntry();
        break;
    case kMenuOptions:
        DrawOptions();
        break;
    case kMenuLanguages:
        DrawLanguages();
        break;
    case kMenuCredits:
        DrawCredits();
        break;
    case kMenuLeave:
    case kMenuDeleteProfile:
        DrawEntries(kMenuListConfirm, m_page);
        break;
    case kMenuText17:
        DrawEntries(kMenuListText17, m_page);
        break;
    case kMenuText18:
        DrawEntries(kMenuListText18, m_page);
        break;
    default:
        break;
    }
    return status;
}

// ---- page 1: the profile list --------------------------------------------------------------

void CObjectsInterfaceMenu::DrawProfileList()
{
    CProfileManager* profiles = Profiles();
    if (!profiles)
        return;
    float size[2];
    TextSize(size);
    const uint32_t count = std::min(m_listCounts[kMenuListProfiles], profiles->GetSlotCount());
    for (uint32_t i = 0; i < count; ++i) {
        const MenuEntry& e = m_lists[kMenuListProfiles][i];
        ProfileSlot* slot = profiles->GetSlot(int32_t(i));
        if (!slot)
            continue;
        const float s = 0.5f * size[1] * e.scale;
        const float half = e.widestText * e.scale * 0.5f;
        const float rowY = e.y + s;
        const float selectorX = e.x - half - 1.5f * s;
        const bool current = profiles->GetCurrentIndex() == int32_t(i) && slot->used;
        DrawSheetQuad(m_pProfilesSheet, current ? kMenuFrameSelected : kMenuFrameSelector, selectorX, rowY, s, kOpaque);
        bool overRename = false, overDelete = false;
        if (slot->used) {
            const float renameX = e.x + half + 1.5f * s, deleteX = e.x + half + 3.5f * s;
            DrawSheetQuad(m_pProfilesSheet, kMenuFrameRename, renameX, rowY, s, kOpaque);
            DrawSheetQuad(m_pProfilesSheet, kMenuFrameDelete, deleteX, rowY, s, kOpaque);
            overRename = PointerNear(renameX, rowY, s);
            overDelete = PointerNear(deleteX, rowY, s);
        }
        // A used slot shows its name and its clock; an empty one, or one without a name, its label.
        bool overRow = PointerNear(selectorX, rowY, s);
        if (slot->used && slot->name && slot->name[0]) {
            char16_t name[kMenuNameBufferSize];
            UtilsString_Copy(name, kMenuNameBufferSize, slot->name);
            char16_t clock[32];
            profiles->FormatPlayTime(int32_t(i), clock);
            char16_t line[kMenuNameBufferSize];
            UtilsString_Format(line, kMenuNameBufferSize, u"%s%c%s", CommonString(kMenuIdClockLabel), int(Symbol(u' ')),
                               clock);
            if (UsesRemappedSymbols()) {
                Strings()->RemapChars(name);
                Strings()->RemapChars(line + UtilsString_Length(CommonString(kMenuIdClockLabel)) + 1);
            }
            overRow = DrawEntry(e, name, 1.0f) || overRow;
            MenuEntry second = e;
            second.y = e.y + e.textHeight * e.scale;
            DrawEntry(second, line, kClockLineFactor);
        } else {
            overRow = DrawEntry(e, e.text, 1.0f) || overRow;
        }
        if (!overRow && !overRename && !overDelete)
            continue;
        SelectCursor("clickable");
        if (!TakeClick())
            continue;
        PlayElementClickSound(0);
        profiles->SetCurrentSlot(int32_t(i));
        if (overDelete) {
            SetPage(kMenuDeleteProfile);
        } else if (overRename || !slot->used) {
            OpenNameEntry(int32_t(i));
        } else if (Succeeded(StartGame())) {
            SetPage(kMenuMain);
        }
        return;
    }
}

// ---- page 2: the name entry ----------------------------------------------------------------

void CObjectsInterfaceMenu::AcceptName()
{
    PlayElementClickSound(0);
    if (Failed(ValidateProfileName(m_name))) {
        SetPage(kMenuProfiles);
        return;
    }
    UpdateComponents();
    CProfileManager* profiles = Profiles();
    const ProfileSlot* slot = profiles ? profiles->GetCurrentSlot() : nullptr;
    if (slot && slot->gameInProgress)
        SetPage(kMenuProfiles);
    else if (Succeeded(StartGame()))
        SetPage(kMenuMain);
}

void CObjectsInterfaceMenu::DrawNameEntry()
{
    char16_t field[kMenuNameBufferSize + 2];
    UtilsString_Format(field, kMenuNameBufferSize + 2, u"%s%c", m_name, int(Symbol(u'_')));
    for (uint32_t i = 0; i < m_listCounts[kMenuListName]; ++i) {
        const MenuEntry& e = m_lists[kMenuListName][i];
        const bool over = DrawEntry(e, e.id == kMenuIdNameField ? field : e.text, kMenuTextFactor);
        if (!over || (e.id != kMenuIdOk && e.id != kMenuIdCancel))
            continue;
        SelectCursor("clickable");
        if (!TakeClick())
            continue;
        if (e.id == kMenuIdOk) {
            AcceptName();
        } else {
            PlayElementClickSound(0);
            SetPage(kMenuProfiles);
        }
        return;
    }
    if (Succeeded(OnProfileNameKey(uint8_t(kMenuNameMaxLength), kMenuNameCharacters)))
        AcceptName();
}

Status CObjectsInterfaceMenu::OnProfileNameKey(uint8_t maximum, const char16_t* allowed)
{
    const char16_t c = m_pWorldData ? m_pWorldData->lastChar : 0;
    if (c == 0 || !allowed)
        return kStatusFailed;
    size_t length = UtilsString_Length(m_name);
    char16_t* display = m_pWorldData->game.textLine;
    if (c == 8 || c == 127) {
        if (length == 0)
            return kStatusFailed;
        m_name[length - 1] = 0;
        UtilsString_Format(display, kGameTextLineSize, u"%s%c", m_name, int(Symbol(u'_')));
        return kStatusFailed;
    }
    if (c == 10 || c == 13)
        return kStatusOk;
    // A player's own name may hold the accented letters of the player's language.
    bool known = IsNameLetter(c) && DrawsCharacter(c);
    for (const char16_t* a = allowed; *a && !known; ++a)
        known = *a == c;
    if (length >= maximum || length + 1 >= kMenuNameBufferSize || !known)
        return kStatusFailed;
    m_name[length] = Symbol(c);
    m_name[length + 1] = 0;
    UtilsString_Format(display, kGameTextLineSize, u"%s%c", m_name, int(Symbol(u'_')));
    return kStatusFailed;
}

Status CObjectsInterfaceMenu::ValidateProfileName(char16_t* name)
{
    CProfileManager* profiles = Profiles();
    ProfileSlot* slot = profiles ? profiles->GetCurrentSlot() : nullptr;
    if (!slot || !name)
        return kStatusFailed;
    if (UsesRemappedSymbols())
        Strings()->UnmapChars(name);
    // Blanks around the name are no part of it; a name of blanks changes nothing.
    const char16_t* start = name;
    while (*start == u' ')
        ++start;
    char16_t trimmed[kMenuNameBufferSize];
    UtilsString_Copy(trimmed, kMenuNameBufferSize, start);
    for (size_t n = UtilsString_Length(trimmed); n > 0 && trimmed[n - 1] == u' '; --n)
        trimmed[n - 1] = 0;
    if (trimmed[0] == 0)
        return kStatusOk;
    GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (UtilsString_Compare(trimmed, kMenuDeveloperCode) == 0 ||
        UtilsString_Compare(trimmed, kMenuDeveloperCodeCompleted) == 0) {
        if (game)
            game->developerMode = game->noSave = 1;
        const bool completed = UtilsString_Compare(trimmed, kMenuDeveloperCodeCompleted) == 0;
        if (completed) {
            // A completed game of 11 h 21 min, kept in memory only.
            slot->playTime.minutes = 21;
            slot->playTime.hours = 11;
            slot->playTime.fraction = 1680.0f;
            profiles->OnGameCompleted(profiles->GetCurrentIndex(), 0);
        }
        RestartGameState();
        return completed ? kStatusFailed : kStatusOk;
    }
    // The slot's own label is no name.
    char16_t label[kMenuNameBufferSize];
    UtilsString_Copy(label, kMenuNameBufferSize, CommonString(kMenuIdFirstSlot + uint32_t(profiles->GetCurrentIndex())));
    if (UsesRemappedSymbols())
        Strings()->UnmapChars(label);
    if (UtilsString_Compare(trimmed, label) == 0)
        return kStatusOk;
    return Failed(profiles->RenameProfile(profiles->GetCurrentIndex(), trimmed)) ? kStatusFailed : kStatusOk;
}
