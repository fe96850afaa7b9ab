// The menu's load and unload: its skins, its two sheets and its page lists; the layout of the
// pages in the popups object's frame.
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"

#include <algorithm>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelObjects/CMenuSkins.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"MENU_DIALOG";
// A sheet without a quad limit of its own has at most this many.
constexpr uint64_t kMenuSheetQuadLimit = 256;
// A screen mesh like the skins' (coloured, textured, drawn in the interface view).
constexpr uint32_t kSheetObjectFlags = 0x28010;
constexpr uint32_t kSheetObjectCreation = 0x20C29;
constexpr uint32_t kQuadFaceMode = 1;
// The pictures' texture words: shareable by name with alpha; a repeated skin part wraps
// (the renderer's wrap bits of the second word).
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureWord = 0x52;
constexpr uint32_t kTextureWrapX = 0x1000;
constexpr uint32_t kTextureWrapY = 0x2000;

struct SkinPart {
    const char16_t* key;
    const char16_t* file;
    uint32_t wrap;   // the wrap bits with the repeat flag
};

constexpr SkinPart kDialogParts[kDialogSkinParts] = {
    {u"DLG_UPPER_LEFT_TEXTURE_FILE_NAME", u"dlg_up_left.png", 0},
    {u"DLG_UPPER_TEXTURE_FILE_NAME", u"dlg_up.png", kTextureWrapX},
    {u"DLG_UPPER_RIGHT_TEXTURE_FILE_NAME", u"dlg_up_right.png", 0},
    {u"DLG_LEFT_TEXTURE_FILE_NAME", u"dlg_left.png", kTextureWrapY},
    {u"DLG_BODY_TEXTURE_FILE_NAME", u"dlg_body.png", kTextureWrapX | kTextureWrapY},
    {u"DLG_RIGHT_TEXTURE_FILE_NAME", u"dlg_right.png", kTextureWrapY},
    {u"DLG_LOWER_LEFT_TEXTURE_FILE_NAME", u"dlg_bottom_left.png", 0},
    {u"DLG_LOWER_TEXTURE_FILE_NAME", u"dlg_bottom.png", kTextureWrapX},
    {u"DLG_LOWER_RIGHT_TEXTURE_FILE_NAME", u"dlg_bottom_right.png", 0},
};
constexpr SkinPart kButtonParts[kButtonSkinParts] = {
    {u"BTN_LEFT_TEXTURE_FILE_NAME", u"btn_left.png", 0},
    {u"BTN_BODY_TEXTURE_FILE_NAME", u"btn_body.png", kTextureWrapX},
    {u"BTN_RIGHT_TEXTURE_FILE_NAME", u"btn_right.png", 0},
};

struct SheetKeys {
    const char16_t* lines;
    const char16_t* rows;
    const char16_t* file;
    int32_t defaultLines;
    int32_t defaultRows;
    const char16_t* defaultFile;
};
constexpr SheetKeys kLanguagesSheet = {u"BUTTONS_LANGS_TEXTURE_LINE_COUNT", u"BUTTONS_LANGS_TEXTURE_ROW_COUNT",
                                       u"BUTTONS_LANGS_TEXTURE_FILE_NAME", 4, 8, u"buttons.langs.png"};
constexpr SheetKeys kProfilesSheet = {u"BUTTONS_PROFILES_TEXTURE_LINE_COUNT", u"BUTTONS_PROFILES_TEXTURE_ROW_COUNT",
                                      u"BUTTONS_PROFILES_TEXTURE_FILE_NAME", 2, 2, u"buttons.profiles.png"};

uint32_t TextureSource(WorldData* w)
{
    auto* managed = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    return managed ? managed->GetTextureSource() : kResourceSourceFile;
}

// A settings reader's value, or the default without one.
int32_t ReadInt(WorldData* w, const char16_t* key, int32_t value)
{
    return w && w->pAppSettings ? w->pAppSettings->GetInt(kSection, key, value) : value;
}
float ReadFloat(WorldData* w, const char16_t* key, float value)
{
    return w && w->pAppSettings ? w->pAppSettings->GetFloat(kSection, key, value) : value;
}
uint8_t ReadBool(WorldData* w, const char16_t* key, uint8_t value)
{
    return w && w->pAppSettings ? w->pAppSettings->GetBool(kSection, key, value) : value;
}

// The parts' textures, stopping at the first that is missing (its name in the last error).
bool LoadParts(WorldData* w, const SkinPart* parts, uint32_t count, uint8_t repeat, C3DTexture** textures)
{
    const uint8_t loading = w->game.textureLoading;
    w->game.textureLoading = 1;
    bool ok = true;
    for (uint32_t i = 0; ok && i < count; ++i) {
        const uint32_t word = kTextureWord | (repeat ? parts[i].wrap : 0);
        textures[i] = AutoLoadTextureFromParamEx(TextureSource(w), kTextureKind, word, kSection, parts[i].key,
                                                 parts[i].file, w->pAppSettings, w);
        ok = textures[i] != nullptr;
    }
    w->game.textureLoading = loading;
    return ok;
}

void ReleaseTextures(WorldData* w, C3DTexture** textures, uint32_t count)
{
    C3DEngine* engine = C3DEngine::FromWorld(w);
    for (uint32_t i = 0; i < count; ++i) {
        if (engine && textures[i])
            engine->ReleaseTexture(textures[i], 1);
        textures[i] = nullptr;
    }
}

}  // namespace

void MenuSheetCell(uint32_t k, int32_t lines, int32_t rows, int32_t defaultLines, int32_t defaultRows, float* pUV)
{
    // A grid of no lines or rows would divide by zero: such a sheet takes the default grid.
    const uint32_t L = uint32_t(lines < 1 ? defaultLines : lines);
    const uint32_t R = uint32_t(rows < 1 ? defaultRows : rows);
    const uint32_t line = k / R, row = k % R;
    pUV[0] = float(row) / float(R);
    pUV[1] = float(line) / float(L);
    pUV[2] = 1.0f / float(R);
    pUV[3] = 1.0f / float(L);
}

uint32_t MenuSheetQuads(int32_t lines, int32_t rows, int32_t defaultLines, int32_t defaultRows, uint32_t maximum)
{
    const uint64_t cells = uint64_t(lines < 1 ? defaultLines : lines) * uint64_t(rows < 1 ? defaultRows : rows);
    const uint64_t limit = maximum ? maximum : kMenuSheetQuadLimit;
    return uint32_t(std::min(cells, limit));
}

namespace {

// A sheet: one quad a cell, corners (-1, -1) to (1, 1), at most `maxQuads`; quads past the
// grid are left empty, and the count of those drawn goes to *pQuads. Null when the engine
// makes none.
C3DObject* BuildSheet(WorldData* w, const SheetKeys& keys, uint32_t maxQuads, uint32_t* pQuads, C3DTexture** ppTexture)
{
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine)
        return nullptr;
    const int32_t lines = ReadInt(w, keys.lines, keys.defaultLines);
    const int32_t rows = ReadInt(w, keys.rows, keys.defaultRows);
    const uint32_t quads = MenuSheetQuads(lines, rows, keys.defaultLines, keys.defaultRows, maxQuads);
    C3DObject* sheet = engine->CreateObject(kSheetObjectFlags, kSheetObjectCreation);
    if (!sheet)
        return nullptr;
    const uint32_t groups = maxQuads ? maxQuads : quads;
    if (Failed(sheet->Create(groups, 4 * groups, 4 * groups))) {
        engine->ReleaseObject(sheet);
        return nullptr;
    }
    sheet->Lock(0, 2);
    for (uint32_t k = 0; k < groups; ++k) {
        const uint32_t first = 4 * k;
        float uv[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        if (k < quads)
            MenuSheetCell(k, lines, rows, keys.defaultLines, keys.defaultRows, uv);
        const float u1 = uv[0] + uv[2], v1 = uv[1] + uv[3];
        sheet->SetVertex(first, -1.0f, -1.0f, 0.0f, 0xFFFFFFFFu, uv[0], uv[1], 0.0f, 0.0f, 0.0f, 0);
        sheet->SetVertex(first + 1, 1.0f, -1.0f, 0.0f, 0xFFFFFFFFu, u1, uv[1], 0.0f, 0.0f, 0.0f, 0);
        sheet->SetVertex(first + 2, -1.0f, 1.0f, 0.0f, 0xFFFFFFFFu, uv[0], v1, 0.0f, 0.0f, 0.0f, 0);
        sheet->SetVertex(first + 3, 1.0f, 1.0f, 0.0f, 0xFFFFFFFFu, u1, v1, 0.0f, 0.0f, 0.0f, 0);
        sheet->SetIndexRange(first, 4);
        sheet->SetGroup(k, first, 4, first, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, k);
    }
    sheet->Unlock(1);
    *pQuads = quads;
    const uint8_t loading = w->game.textureLoading;
    w->game.textureLoading = 1;
    *ppTexture = AutoLoadTextureFromParamEx(TextureSource(w), kTextureKind, kTextureWord, kSection, keys.file,
                                            keys.defaultFile, w->pAppSettings, w);
    w->game.textureLoading = loading;
    if (*ppTexture)
        sheet->SetTextureAllGroups(*ppTexture, 0);
    return sheet;
}

// An entry of a list, the rest zero.
MenuEntry Entry(uint32_t id, uint32_t alternate = 0, uint32_t kind = kMenuEntryText, uint8_t toggle = 0)
{
    MenuEntry e = {};
    e.id = id;
    e.alternateId = alternate;
    e.kind = kind;
    e.toggle = toggle;
    return e;
}

}  // namespace

Status CObjectsInterfaceMenu::LoadSkins()
{
    WorldData* w = m_pWorldData;
    m_dialogWidthRatio = ReadFloat(w, u"DLG_WIDTH_RATIO", 1.0f);
    m_dialogHeightRatio = ReadFloat(w, u"DLG_HEIGHT_RATIO", 1.0f);
    m_dialogRepeat = ReadBool(w, u"DLG_REPEAT_XY", 0);
    if (!LoadParts(w, kDialogParts, kDialogSkinParts, m_dialogRepeat, m_dialogTextures))
        return kStatusFailed;
    m_pDialogSkin = new (std::nothrow) CMenuDialogSkin(w);
    if (!m_pDialogSkin || Failed(m_pDialogSkin->Build(m_dialogTextures)))
        return kStatusFailed;
    m_buttonWidthRatio = ReadFloat(w, u"BTN_WIDTH_RATIO", 1.0f);
    m_buttonHeightRatio = ReadFloat(w, u"BTN_HEIGHT_RATIO", 1.0f);
    m_buttonRepeat = ReadBool(w, u"BTN_REPEAT_X", 0);
    if (!LoadParts(w, kButtonParts, kButtonSkinParts, m_buttonRepeat, m_buttonTextures))
        return kStatusFailed;
    m_pButtonSkin = new (std::nothrow) CMenuButtonSkin(w);
    if (!m_pButtonSkin || Failed(m_pButtonSkin->Build(m_buttonTextures)))
        return kStatusFailed;
    return kStatusOk;
}

Status CObjectsInterfaceMenu::LoadSheets()
{
    m_pLanguagesSheet =
        BuildSheet(m_pWorldData, kLanguagesSheet, kMenuLanguageQuads, &m_languagesQuads, &m_pLanguagesTexture);
    if (!m_pLanguagesSheet || !m_pLanguagesTexture)
        return kStatusFailed;
    m_pProfilesSheet = BuildSheet(m_pWorldData, kProfilesSheet, 0, &m_profilesQuads, &m_pProfilesTexture);
    if (!m_pProfilesSheet || !m_pProfilesTexture)
        return kStatusFailed;
    return kStatusOk;
}

MenuEntry* CObjectsInterfaceMenu::NewList(uint32_t list, uint32_t count)
{
    if (count == 0)
        return nullptr;
    auto* entries = static_cast<MenuEntry*>(UTILS_CALLOC(count, sizeof(MenuEntry)));
    if (!entries) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    m_lists[list] = entries;
    m_listCounts[list] = count;
    return entries;
}

Status CObjectsInterfaceMenu::BuildLists()
{
    CProfileManager* profiles = Profiles();
    const uint32_t slots = profiles ? profiles->GetSlotCount() : 0;
    if (MenuEntry* e = NewList(kMenuListProfiles, slots)) {
        for (uint32_t i = 0; i < slots; ++i)
            e[i] = Entry(kMenuIdFirstSlot + i, kMenuIdUsedSlotLabel);
    } else if (slots) {
        return kStatusOutOfMemory;
    }

    MenuEntry* name = NewList(kMenuListName, 4);
    if (!name)
        return kStatusOutOfMemory;
    name[0].id = kMenuIdNameTitle;
    name[1].id = kMenuIdNameField;
    name[2] = Entry(kMenuIdOk, 0, kMenuEntryLeft);
    name[3] = Entry(kMenuIdCancel, 0, kMenuEntryRight);

    // The options that this game and this machine have.
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    uint32_t languages = 0;
    for (uint32_t i = 0; i < kMenuLanguageQuads; ++i)
        languages += IsLanguageAvailable(i) ? 1 : 0;
    MenuEntry options[6];
    uint32_t count = 0;
    if (HasMusic())
        options[count++] = Entry(kMenuIdMusic, kMenuIdMusic, kMenuEntryText, uint8_t(game && game->musicVolume == 0.0f));
    if (HasSoundOptions())
        options[count++] = Entry(kMenuIdSound, kMenuIdSound, kMenuEntryText, uint8_t(game && game->soundsVolume == 0.0f));
    if (slots == 1)
        options[count++] = Entry(kMenuIdDeleteQuestion);
    options[count++] = Entry(kMenuIdFullScreen, kMenuIdFullScreen, kMenuEntryText,
                                   uint8_t(!(m_pWorldData && m_pWorldData->fullScreen)));
    if (languages > 1)
        options[count++] = Entry(kMenuIdLanguage);
    options[count++] = Entry(kMenuIdCredits);
    MenuEntry* o = NewList(kMenuListOptions, count);
    if (!o)
        return kStatusOutOfMemory;
    std::copy(options, options + count, o);

    for (uint32_t list : {kMenuListText17, kMenuListText18}) {
        MenuEntry* text = NewList(list, 1);
        if (!text)
            return kStatusOutOfMemory;
        text->id = list == kMenuListText17 ? kMenuIdText17 : kMenuIdText18;
        text->paragraph = 1;
    }

    if (languages > 1) {
        MenuEntry* l = NewList(kMenuListLanguages, languages);
        if (!l)
            return kStatusOutOfMemory;
        uint32_t n = 0;
        for (uint32_t i = 0; i < kMenuLanguageQuads && n < languages; ++i) {
            if (!IsLanguageAvailable(i))
                continue;
            l[n].id = kMenuIdFirstLanguage + i;
            PlaceLanguageEntry(l[n], n, languages);
            ++n;
        }
        m_listCounts[kMenuListLanguages] = n;
    }

    MenuEntry* confirm = NewList(kMenuListConfirm, 3);
    if (!confirm)
        return kStatusOutOfMemory;
    confirm[0] = Entry(kMenuIdLeaveQuestion, kMenuIdDeleteQuestion);
    confirm[1] = Entry(kMenuIdYes, 0, kMenuEntryLeft);
    confirm[2] = Entry(kMenuIdNo, 0, kMenuEntryRight);
    return kStatusOk;
}

void CObjectsInterfaceMenu::PlaceLanguageEntry(MenuEntry& entry, uint32_t n, uint32_t count)
{
    const bool columns = count >= 6;
    entry.kind = !columns ? kMenuEntryText : n % 2 == 0 ? kMenuEntryLeft : kMenuEntryRight;
    entry.halfLine = columns ? 1 : 0;
}

void CObjectsInterfaceMenu::LeaveOutUnavailableLanguages()
{
    MenuEntry* languages = m_lists[kMenuListLanguages];
    const uint32_t count = m_listCounts[kMenuListLanguages];
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (IsLanguageAvailable(languages[i].id - kMenuIdFirstLanguage))
            languages[kept++] = languages[i];
    if (kept == count)
        return;
    for (uint32_t n = 0; n < kept; ++n)
        PlaceLanguageEntry(languages[n], n, kept);
    m_listCounts[kMenuListLanguages] = kept;
    if (kept > 1)
        return;
    ReleaseEntries(kMenuListLanguages);
    MenuEntry* options = m_lists[kMenuListOptions];
    uint32_t& optionCount = m_listCounts[kMenuListOptions];
    for (uint32_t i = 0; i < optionCount; ++i)
        if (options[i].id == kMenuIdLanguage) {
            std::copy(options + i + 1, options + optionCount, options + i);
            --optionCount;
            break;
        }
}

Status CObjectsInterfaceMenu::Load()
{
    if (Failed(CObjectsInterface::Load()))
        return kStatusFailed;
    if (Failed(LoadSkins()) || Failed(LoadSheets()))
        return kStatusFailed;
    const Status lists = BuildLists();
    return lists == kStatusOutOfMemory ? kStatusOutOfMemory : kStatusOk;
}

void CObjectsInterfaceMenu::ReleaseEntries(uint32_t list)
{
    if (list >= kMenuListCount)
        return;
    MenuEntry* entries = m_lists[list];
    for (uint32_t i = 0; entries && i < m_listCounts[list]; ++i)
        if (entries[i].paragraph) {
            UTILS_FREE(const_cast<char16_t*>(entries[i].text));
            UTILS_FREE(const_cast<char16_t*>(entries[i].alternateText));
        }
    UTILS_FREE(entries);
    m_lists[list] = nullptr;
    m_listCounts[list] = 0;
}

void CObjectsInterfaceMenu::FreeSheets()
{
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData)) {
        engine->ReleaseObject(m_pLanguagesSheet);
        engine->ReleaseObject(m_pProfilesSheet);
    }
    m_pLanguagesSheet = m_pProfilesSheet = nullptr;
    m_languagesQuads = m_profilesQuads = 0;
    ReleaseTextures(m_pWorldData, &m_pLanguagesTexture, 1);
    ReleaseTextures(m_pWorldData, &m_pProfilesTexture, 1);
}

Status CObjectsInterfaceMenu::Release()
{
    delete m_pDialogSkin;
    m_pDialogSkin = nullptr;
    delete m_pButtonSkin;
    m_pButtonSkin = nullptr;
    ReleaseTextures(m_pWorldData, m_dialogTextures, kDialogSkinParts);
    ReleaseTextures(m_pWorldData, m_buttonTextures, kButtonSkinParts);
    FreeSheets();
    for (uint32_t list = 0; list < kMenuListCount; ++list)
        ReleaseEntries(list);
    ReleaseCredits();
    UTILS_FREE(m_pCreditsText);
    m_pCreditsText = nullptr;
    return CObjectsInterface::Release();
}

// ---- layout --------------------------------------------------------------------------------

void CObjectsInterfaceMenu::Measure(const char16_t* text, float* pSize)
{
    CVornelFont* font = Font();
    float size[2];
    TextSize(size);
    if (!font || !text) {
        pSize[0] = pSize[1] = 0.0f;
        return;
    }
    const C3DVector3 s = font->GetTextSize(text, size[0], size[1]);
    pSize[0] = s.x;
    pSize[1] = s.y;
}

char16_t* CObjectsInterfaceMenu::WrapParagraph(const char16_t* text, float width)
{
    const size_t length = UtilsString_Length(text);
    const char16_t lineBreak = Symbol(u'|');
    auto* open = static_cast<char16_t*>(UTILS_MALLOC((length + 1) * sizeof(char16_t)));
    if (!open)
        return nullptr;
    for (size_t i = 0; i <= length; ++i)
        open[i] = text[i] == lineBreak && i < length ? u'\n' : text[i];
    CVornelFont* font = Font();
    if (!font)
        return open;
    // A wrap adds at most one line feed a character.
    const uint32_t capacity = uint32_t(2 * length + 2);
    auto* wrapped = static_cast<char16_t*>(UTILS_MALLOC(capacity * sizeof(char16_t)));
    if (wrapped) {
        float size[2];
        TextSize(size);
        const CStringsManager* strings = Strings();
        const float limit = std::min(std::max(width, 0.0f), 65535.0f);
        font->WrapText(size[0], 0, open, wrapped, capacity, uint16_t(limit), Symbol(u' '),
                       strings ? strings->GetOpeningPunctuation() : u"", strings ? strings->GetClosingPunctuation() : u"",
                       0);
    }
    UTILS_FREE(open);
    return wrapped;
}

void CObjectsInterfaceMenu::LayoutEntries(MenuEntry* pEntries, uint32_t count, const float* pTopLeft,
                                          const float* pBottomRight, float margin, float widest)
{
    LayoutMenuEntries(*this, pEntries, count, pTopLeft, pBottomRight, margin, widest);
}

void LayoutMenuEntries(MenuTextSource& source, MenuEntry* pEntries, uint32_t count, const float* pTopLeft,
                       const float* pBottomRight, float margin, float widest)
{
    if (!pEntries || count == 0)
        return;
    const float width = pBottomRight[0] - pTopLeft[0];
    const float height = pBottomRight[1] - pTopLeft[1];
    float buttonWidth = 1.0f, buttonHeight = 1.0f, total = 0.0f;
    uint32_t lines = 0;
    for (uint32_t i = 0; i < count; ++i) {
        MenuEntry& e = pEntries[i];
        float size[2] = {0.0f, 0.0f};
        const uint32_t ids[2] = {e.id, e.alternateId};
        const char16_t** texts[2] = {&e.text, &e.alternateText};
        for (uint32_t t = 0; t < 2; ++t) {
            if (t == 1 && ids[1] == 0)
                break;
            const char16_t* text = source.CommonString(ids[t]);
            if (e.paragraph) {
                UTILS_FREE(const_cast<char16_t*>(*texts[t]));
                char16_t* owned = source.WrapParagraph(text, width);
                *texts[t] = owned;
                text = owned;
            } else {
                *texts[t] = text;
            }
            float s[2];
            source.Measure(text, s);
            if (t == 0)
                size[0] = s[0];
            size[1] = std::max(size[1], s[1]);
        }
        e.textWidth = size[0];
        e.textHeight = size[1];
        widest = std::max(widest, size[0]);
        if (e.kind >= kMenuEntryLeft && e.kind <= kMenuEntryCentred) {
            buttonWidth = std::max(buttonWidth, size[0]);
            buttonHeight = std::max(buttonHeight, size[1]);
        }
        total += size[1];
        if (e.kind != kMenuEntryRight)
            ++lines;
    }
    float fit = 1.0f;
    if (margin != 0.0f) {
        if (width < widest + margin)
            fit = width / (widest + margin);
        if (height < fit * total && total > 0.0f)
            fit = fit * height / total;
        fit = std::min(fit, 1.0f);
    }
    const float gap = total < height ? (height - total) / float(lines + 1) : 0.0f;
    const float centre = pTopLeft[0] + width * 0.5f;
    float offset = gap;
    for (uint32_t i = 0; i < count; ++i) {
        MenuEntry& e = pEntries[i];
        e.widestText = widest;
        e.buttonWidth = buttonWidth;
        e.buttonHeight = buttonHeight;
        e.x = e.kind == kMenuEntryLeft ? centre - 0.3f * width : e.kind == kMenuEntryRight ? centre + 0.3f * width : centre;
        e.y = pTopLeft[1] + offset + (e.halfLine ? e.textHeight * 0.5f + gap : 0.0f);
        e.z = 0.0f;
        e.scale = fit;
        // A left-column button shares its row with the next entry.
        if (e.kind != kMenuEntryLeft)
            offset += e.textHeight + gap;
    }
}

bool CObjectsInterfaceMenu::GetPopupFrameRect(float* pRect, bool clip)
{
    CObjectsInterfacePopups* popups = Popups();
    const ElementRecord* frame = popups && popups->GetFrameCount()
                                     ? popups->GetItemRecord(uint32_t(popups->GetFrame()[0]))
                                     : nullptr;
    const int32_t rectangle = frame && clip ? frame->zone : -1;
    if (!frame || Failed(popups->GetElementScreenRect(pRect, frame, rectangle, 0)))
        return false;
    for (uint32_t i = 0; i < 4; ++i)
        pRect[i] = pRect[i] * ScreenScale(i % 2) + ScreenOffset(i % 2);
    return true;
}

Status CObjectsInterfaceMenu::UpdateComponents()
{
    // Before its script names the popups object the menu has its own elements only.
    CObjectsInterfacePopups* popups = Popups();
    if (popups && !popups->IsReady() && Failed(popups->UpdateComponents()))
        return kStatusFailed;
    if (Failed(CObjectsInterface::UpdateComponents()))
        return kStatusFailed;
    // A language change that failed re-enters the menu: the language it could not load goes.
    LeaveOutUnavailableLanguages();
    float rect[4];
    if (!GetPopupFrameRect(rect))
        return kStatusOk;
    const float topLeft[2] = {rect[0], rect[1]}, bottomRight[2] = {rect[2], rect[3]};
    float size[2];
    TextSize(size);

    // The profile list starts from its widest name.
    float widest = 1.0f;
    CProfileManager* profiles = Profiles();
    for (uint32_t i = 0; profiles && i < profiles->GetSlotCount(); ++i) {
        const ProfileSlot* slot = profiles->GetSlot(int32_t(i));
        if (slot && slot->name && slot->name[0]) {
            float s[2];
            Measure(slot->name, s);
            widest = std::max(widest, s[0]);
        }
    }
    LayoutEntries(m_lists[kMenuListProfiles], m_listCounts[kMenuListProfiles], topLeft, bottomRight, 4.0f * size[0],
                  widest);
    LayoutEntries(m_lists[kMenuListOptions], m_listCounts[kMenuListOptions], topLeft, bottomRight, 2.0f * size[0],
                  1.0f);
    LayoutEntries(m_lists[kMenuListLanguages], m_listCounts[kMenuListLanguages], topLeft, bottomRight,
                  2.0f * size[0], 1.0f);
    for (uint32_t list : {kMenuListName, kMenuListConfirm, kMenuListText17, kMenuListText18})
        LayoutEntries(m_lists[list], m_listCounts[list], topLeft, bottomRight, 0.0f, 1.0f);
    // The credits follow the new frame (and the strings of a new language).
    ReleaseCredits();
    if (m_page == kMenuCredits && Failed(LoadStrings(CurrentLanguage())))
        LoadStrings(0);
    return kStatusOk;
}
