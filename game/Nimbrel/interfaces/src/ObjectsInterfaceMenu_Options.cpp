// The menu's options, languages and credits pages: the switches with their boxes and what a
// click on an option does, the flags of the language page, the credits text read from its
// files, scrolled up through the frame, and the version line under it.
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelInterfaces/MenuCredits.h"
#include "NimbrelManagers/CDragInertia.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelPlatform/PlatformUser.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kOpaque = 0xFFFFFFFFu;
// Languages other than the current one are dimmed, their flag and their name alike.
constexpr uint32_t kOtherLanguageColor = 0xBFBFBFBFu;
constexpr uint8_t kOtherLanguageAlpha = 191;
constexpr uint32_t kVersionColor = 0xFF808080u;
// Two units up a frame step; the text starts 0.6 frames down and comes back from below.
constexpr float kCreditsSpeed = 2.0f;
constexpr float kCreditsStart = 0.6f;
constexpr float kCreditsRestart = 1.1f;
// The extra credits file's name in the application settings, by platform word: this platform
// reads the row of the first platform.
constexpr const char16_t* kCreditsSection = u"LOGOS_CREDITS";
constexpr const char16_t* kPlatformWord = u"WIN32";
constexpr uint32_t kExtraCreditsNameSize = 33;   // 32 characters
constexpr const char16_t* kMissingGameString = u"MISSING GAME STRING !!!";
constexpr const char16_t* kDisplayFailedLine = u"# CObjectsInterfaceMenu: the display could not be switched!\n";
constexpr const char16_t* kDisplayFailedText = u"The display could not be switched.";

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

// Appends as much of the text as the capacity leaves room for.
void Append(char16_t* text, size_t capacity, const char16_t* more)
{
    const size_t length = UtilsString_Length(text);
    if (length + 1 < capacity)
        UtilsString_Copy(text + length, capacity - length, more);
}

bool IsSwitch(uint32_t id)
{
    return id == kMenuIdMusic || id == kMenuIdSound || id == kMenuIdFullScreen;
}

}  // namespace

float MenuCreditsScroll(float position, float frameStep, float textHeight, float frameHeight, float glide)
{
    position -= kCreditsSpeed * frameStep;
    if (position < -(textHeight + 0.5f * frameHeight))
        position = kCreditsRestart * frameHeight;
    return position + glide;
}

// ---- what the options change ----------------------------------------------------------------

bool CObjectsInterfaceMenu::IsMusicOn()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    const CMusicManager* music = world ? world->GetMusicManager() : nullptr;
    return music && music->GetVolume() != 0.0f;
}

void CObjectsInterfaceMenu::SetMusicVolume(float volume)
{
    if (GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr)
        game->musicVolume = volume;
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CMusicManager* music = world ? world->GetMusicManager() : nullptr)
        music->SetVolume(volume, 0);
}

bool CObjectsInterfaceMenu::IsSoundOn()
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    return game && game->soundsVolume != 0.0f;
}

void CObjectsInterfaceMenu::SetSoundVolume(float volume)
{
    if (GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr)
        game->soundsVolume = volume;
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CSurroundManager* sounds = world ? world->GetSurroundManager() : nullptr)
        sounds->SetVolume(volume);
}

bool CObjectsInterfaceMenu::IsFullScreen()
{
    return m_pWorldData && m_pWorldData->fullScreen;
}

Status CObjectsInterfaceMenu::SwitchDisplay(uint8_t fullScreen)
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world ? world->ChangeDisplayMode(kNimbrelClassName, world->GetAppName(), fullScreen, 0, nullptr)
                 : kStatusFailed;
}

void CObjectsInterfaceMenu::EndOnFailure(const char16_t* line)
{
    if (m_pWorldData)
        Log(m_pWorldData->logPath, 0, u"%s", line);
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->EndOnFailure(kDisplayFailedText);
}

void CObjectsInterfaceMenu::ChangeLanguage(uint32_t language)
{
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->ChangeLanguage(int32_t(language));
}

uint32_t CObjectsInterfaceMenu::CurrentLanguage()
{
    const CNimbrelWorld* world = WorldOf(m_pWorldData);
    const int32_t language = world ? world->GetCurrentLanguage() : 0;
    return language >= 0 && language < int32_t(kLanguageCount) ? uint32_t(language) : 0;
}

// ---- page 3: options ----------------------------------------------------------------------

void CObjectsInterfaceMenu::OnOptionEntry(MenuEntry& entry)
{
    switch (entry.id) {
    case kMenuIdMusic:
        SetMusicVolume(entry.toggle == 0 ? 0.0f : 1.0f);
        entry.toggle ^= 1;
        PlayElementClickSound(0);
        break;
    case kMenuIdSound:
        // The click that silences the sounds is not heard; the one that brings them back is.
        if (entry.toggle == 0) {
            SetSoundVolume(0.0f);
        } else {
            SetSoundVolume(1.0f);
            PlayElementClickSound(0);
        }
        entry.toggle ^= 1;
        break;
    case kMenuIdLanguage:
        PlayElementClickSound(0);
        SetPage(kMenuLanguages);
        break;
    case kMenuIdCredits:
        if (Succeeded(LoadStrings(CurrentLanguage())) || Succeeded(LoadStrings(0))) {
            SetPage(kMenuCredits);
            PlayElementClickSound(0);
        }
        break;
    case kMenuIdFullScreen:
        PlayElementClickSound(0);
        // The box follows the window on the next frame. A display that cannot be switched
        // leaves no window to play in: the program ends as failed.
        if (Failed(SwitchDisplay(IsFullScreen() ? 0 : 1)))
            EndOnFailure(kDisplayFailedLine);
        break;
    case kMenuIdDeleteQuestion:
        SetPage(kMenuDeleteProfile);
        PlayElementClickSound(0);
        break;
    default:
        break;
    }
}

void CObjectsInterfaceMenu::DrawOptions()
{
    float size[2];
    TextSize(size);
    for (uint32_t i = 0; i < m_listCounts[kMenuListOptions]; ++i) {
        MenuEntry& e = m_lists[kMenuListOptions][i];
        if (e.id == kMenuIdFullScreen)
            e.toggle = IsFullScreen() ? 0 : 1;
        const float s = 0.5f * size[1] * e.scale;
        const float half = e.widestText * e.scale * 0.5f;
        const float boxX = e.x - half - 1.5f * s, boxY = e.y + s;
        if (IsSwitch(e.id))
            DrawSheetQuad(m_pProfilesSheet, e.toggle == 0 ? kMenuFrameSelected : kMenuFrameSelector, boxX, boxY, s,
                          kOpaque);
        const char16_t* text = e.toggle && e.alternateId ? e.alternateText : e.text;
        bool over = DrawEntry(e, text ? text : u"", 1.0f);
        // A switch also answers over its box and along its whole line.
        if (IsSwitch(e.id) && m_pWorldData) {
            const float mx = m_pWorldData->mouseX, my = m_pWorldData->mouseY;
            over = over || PointerNear(boxX, boxY, s) ||
                   (std::fabs(mx - e.x) <= half && my >= e.y && my <= e.y + size[1] * e.scale);
        }
        if (!over)
            continue;
        SelectCursor("clickable");
        if (TakeClick()) {
            OnOptionEntry(e);
            return;
        }
    }
}

// ---- page 4: languages ----------------------------------------------------------------------

void CObjectsInterfaceMenu::DrawLanguages()
{
    float size[2];
    TextSize(size);
    const uint32_t current = CurrentLanguage();
    const MenuEntry* selected = nullptr;
    for (uint32_t i = 0; i < m_listCounts[kMenuListLanguages]; ++i) {
        const MenuEntry& e = m_lists[kMenuListLanguages][i];
        const uint32_t language = e.id - kMenuIdFirstLanguage;
        const bool isCurrent = language == current;
        const float s = 0.5f * size[1] * e.scale;
        const float half = e.widestText * e.scale * 0.5f;
        DrawSheetQuad(m_pLanguagesSheet, language, e.x - half - 0.75f * s, e.y + s, s,
                      isCurrent ? kOpaque : kOtherLanguageColor);
        if (!DrawEntry(e, e.text ? e.text : u"", 1.0f, isCurrent ? 0xFF : kOtherLanguageAlpha, false))
            continue;
        SelectCursor("clickable");
        if (!selected && TakeClick())
            selected = &e;
    }
    if (!selected)
        return;
    PlayElementClickSound(0);
    ChangeLanguage(selected->id - kMenuIdFirstLanguage);
    SetPage(kMenuOptions);
}

// ---- page 5: credits ------------------------------------------------------------------------

Status CObjectsInterfaceMenu::OnLoadCreditsTextEx(const char16_t* path, char16_t* pBuffer, bool externalOnly)
{
    auto* managed = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    UtilsStream* stream = managed ? managed->OpenResourceStream(path, externalOnly ? kResourceExternalOnly : 0) : nullptr;
    if (!stream)
        return kStatusFailed;
    const Status status = ReadCreditsText(stream, pBuffer, Symbol(u'|'), nullptr);
    CloseResourceStream(stream);
    return status;
}

Status CObjectsInterfaceMenu::ReadCreditsFile(uint32_t language, const char16_t* name, char16_t* pBuffer)
{
    auto* managed = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    if (!managed || language >= kLanguageCount)
        return kStatusFailed;
    const char16_t* suffix = UsesRemappedSymbols() ? u".utf8.indexed.ucs2.raw" : u".utf8.ucs2.raw";
    char16_t file[kWorldTextSize], path[kWorldTextSize];
    UtilsString_Format(file, kWorldTextSize, u"_strings.%s.%s%s", kStringsLanguages[language].code, name, suffix);
    const uint32_t source = managed->GetResourceSource();
    if (source == kResourceSourceProgram || source == kResourceSourcePack)
        UtilsString_Format(path, kWorldTextSize, u"%s%s", kStringsFolder, file);
    else
        UtilsString_Format(path, kWorldTextSize, u"%s%s%s", m_pWorldData->dataPath, kStringsFolder, file);
    std::fill(pBuffer, pBuffer + kCreditsFileCapacity + 1, u'\0');
    if (managed->GetExternalPackFile() && Succeeded(OnLoadCreditsTextEx(path, pBuffer, true)))
        return kStatusOk;
    return OnLoadCreditsTextEx(path, pBuffer, false);
}

void CObjectsInterfaceMenu::AppendIdentification(char16_t* text, size_t capacity)
{
    const CStringsManager* strings = Strings();
    const CStringsRaw* table = strings ? strings->GetTable() : nullptr;
    const uint32_t count = table ? table->GetCount() : 0;
    const uint32_t common = strings && strings->GetCommonCount() < count ? strings->GetCommonCount() : count;
    const auto game = [&](uint32_t index) {
        return index < count - common ? table->GetString(index) : kMissingGameString;
    };
    const auto line = [&](const char16_t* part, bool remap) {
        char16_t copy[kWorldTextSize];
        UtilsString_Copy(copy, kWorldTextSize, part);
        if (remap && UsesRemappedSymbols())
            Strings()->RemapChars(copy);
        Append(text, capacity, copy);
        Append(text, capacity, u"\n");
    };
    line(game(1), false);
    line(CommonString(0), false);
    line(game(0), false);
    // The engine's figures, for a report about the machine the game runs on.
    const WorldData* w = m_pWorldData;
    const GameData* record = w ? w->pGame : nullptr;
    if (!w || !record)
        return;
    const GameScreenScale& s = record->screen;
    char16_t figures[kWorldTextSize];
    UtilsString_Format(figures, kWorldTextSize, u"%dx%d (%dx%d) /%d", int(w->virtualWidth), int(w->virtualHeight),
                       int(s.referenceWidth), int(s.referenceHeight), int(s.textureLevelShift));
    line(figures, true);
    UtilsString_Format(figures, kWorldTextSize, u"/=%.02f' < (%.02f') => %.02f", double(s.referenceDiagonal),
                       double(s.smallScreenTextRatio), double(s.textScale));
    line(figures, true);
    UtilsString_Format(figures, kWorldTextSize, u"pow2=%d%s", int(w->texturePowerOfTwo),
                       s.smallScreen ? u" small" : u"");
    line(figures, true);
    UtilsString_Format(figures, kWorldTextSize, u"w=%.02f (%d)", double(s.widthRatio), int(s.assetIndex));
    line(figures, true);
}

Status CObjectsInterfaceMenu::LoadStrings(uint32_t language)
{
    if (!m_pCreditsText) {
        m_pCreditsText = static_cast<char16_t*>(UTILS_MALLOC(kMenuCreditsTextSize * sizeof(char16_t)));
        if (!m_pCreditsText) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    auto* file = static_cast<char16_t*>(UTILS_MALLOC((kCreditsFileCapacity + 1) * sizeof(char16_t)));
    if (!file) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    if (Failed(ReadCreditsFile(language, u"credits_main", file))) {
        UTILS_FREE(file);
        return kStatusFailed;
    }
    m_pCreditsText[0] = 0;
    Append(m_pCreditsText, kMenuCreditsTextSize, file);
    // The extra credits of this platform, when the settings name a file that is there.
    char16_t key[64], name[kExtraCreditsNameSize] = {};
    UtilsString_Format(key, 64, u"EXTRA_CREDITS_NAME_%s", kPlatformWord);
    if (m_pWorldData && m_pWorldData->pAppSettings)
        m_pWorldData->pAppSettings->GetString(kCreditsSection, key, u"", name, kExtraCreditsNameSize);
    if (name[0] && Succeeded(ReadCreditsFile(language, name, file)))
        Append(m_pCreditsText, kMenuCreditsTextSize, file);
    UTILS_FREE(file);
    AppendIdentification(m_pCreditsText, kMenuCreditsTextSize);

    if (!m_pCredits) {
        m_pCredits = new (std::nothrow) CExtraDimTextString(m_pWorldData);
        if (!m_pCredits) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    } else {
        m_pCredits->Clear();
    }
    float box[4];
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!GetPopupFrameRect(box, true) || !game)
        return kStatusFailed;
    ExtraTextLayout layout = {};
    layout.pFont = Font();
    for (int i = 0; i < 4; ++i)
        layout.box[i] = box[i];
    layout.glyph[0] = game->text.credits.width;
    layout.glyph[1] = game->text.credits.height;
    layout.mode = kExtraTextSinglePage;
    layout.style.centreX = 1;
    // Each line centred in the block, as credits stand. The lines are cut to the block's width
    // first: centred as they came, a line wider than the block set every line's padding, the
    // block stood off centre and the build cut that line with its pieces flush left.
    if (layout.pFont) {
        const float sizeX = layout.glyph[0] * game->screen.textScale, sizeY = layout.glyph[1] * game->screen.textScale;
        const Status wrapped = WrapCredits(layout.pFont, sizeX, box[2] - box[0]);
        if (Failed(wrapped))
            return wrapped;
        layout.pFont->CentreLines(m_pCreditsText, kMenuCreditsTextSize, sizeX, sizeY, Symbol(u' '), u'\n');
    }
    float measured[2] = {0.0f, 0.0f};
    if (Failed(m_pCredits->Layout(m_pCreditsText, layout, measured)))
        return kStatusFailed;
    m_creditsSize[0] = measured[0];
    m_creditsSize[1] = measured[1];
    m_creditsSize[2] = 0.0f;
    m_creditsScroll = kCreditsStart * (box[3] - box[1]);
    return kStatusOk;
}

Status CObjectsInterfaceMenu::WrapCredits(CVornelFont* pFont, float sizeX, float width)
{
    // Wrapping only turns a space into a line feed or puts one before a character.
    const uint32_t capacity = 2 * kMenuCreditsTextSize;
    auto* wrapped = static_cast<char16_t*>(UTILS_MALLOC(capacity * sizeof(char16_t)));
    if (!wrapped) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    const CStringsManager* strings = Strings();
    pFont->WrapText(sizeX, 0, m_pCreditsText, wrapped, capacity, uint16_t(std::clamp(width, 0.0f, 65535.0f)),
                    Symbol(u' '), strings ? strings->GetOpeningPunctuation() : u"",
                    strings ? strings->GetClosingPunctuation() : u"", 0);
    UtilsString_Copy(m_pCreditsText, kMenuCreditsTextSize, wrapped);
    UTILS_FREE(wrapped);
    return kStatusOk;
}

Status CObjectsInterfaceMenu::ReleaseCredits()
{
    delete m_pCredits;
    m_pCredits = nullptr;
    m_creditsSize[0] = m_creditsSize[1] = m_creditsSize[2] = 0.0f;
    return kStatusOk;
}

void CObjectsInterfaceMenu::DrawCredits()
{
    CObjectsInterfacePopups* popups = Popups();
    float frame[4];
    if (m_pCredits && popups && GetPopupFrameRect(frame, false)) {
        CNimbrelWorld* world = WorldOf(m_pWorldData);
        CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
        float glide[3] = {0.0f, 0.0f, 0.0f};
        if (CDragInertia* inertia = objects ? objects->GetDragInertia() : nullptr)
            inertia->Step(&glide[0], &glide[1], &glide[2]);
        m_creditsScroll = MenuCreditsScroll(m_creditsScroll, float(m_pWorldData->frameTime), m_creditsSize[1],
                                            frame[3] - frame[1], glide[1]);
        // Within the frame (its clip rectangle when it has one): the renderer's scissor keeps
        // the lines that have scrolled past it from showing over the title.
        float clip[4];
        C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
        C3DView* view = engine ? engine->GetView() : nullptr;
        const bool clipped = view && GetPopupFrameRect(clip, true);
        if (clipped)
            view->SetScissor(int32_t(std::floor(clip[0])), int32_t(std::floor(clip[1])),
                             int32_t(std::ceil(clip[2] - clip[0])), int32_t(std::ceil(clip[3] - clip[1])));
        const float offset[2] = {0.0f, m_creditsScroll};
        m_pCredits->Draw(world ? world->MainTextStyle().color : kOpaque, offset);
        if (clipped)
            view->DisableScissor();
    }
    DrawVersionLine();
}

void CObjectsInterfaceMenu::DrawVersionLine()
{
    CVornelFont* font = Font();
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!font || !game)
        return;
    const ModuleDescriptor* renderer = m_pWorldData->selected[kModule3D].pDescriptor;
    char16_t line[kWorldTextSize];
    UtilsString_Format(line, kWorldTextSize, u"v %d,%03d [%d,%d] (0x%x) %s%s", 3, 115,
                       int(game->constructionStampA), int(game->constructionStampB),
                       unsigned(Platform_GetSystemLanguageId()), renderer && renderer->name ? renderer->name : u"",
                       game->developerMode ? u" *" : u"");
    if (UsesRemappedSymbols())
        Strings()->RemapChars(line);
    const float scale = game->screen.textScale;
    const float width = game->text.information.width * scale, height = game->text.information.height * scale;
    font->DrawText(line, 0.5f * width, float(m_pWorldData->virtualHeight) - 1.1f * height, 0.1f, 0, kVersionColor,
                   width, height, nullptr, nullptr, 0);
}
