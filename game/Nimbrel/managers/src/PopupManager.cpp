// The popup manager's channels: settings, opening and closing, the frame step and the mouse.
#include "NimbrelManagers/CPopupManager.h"

#include <new>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CTransitions.h"
#include "NimbrelManagers/PanelInput.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kNarratorSection = u"NARRATOR";

CNimbrelWorld* GameWorld(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

Status AcceptTag(CPopupManager*, char16_t*)
{
    return kStatusOk;
}

Status LabelTag(CPopupManager* pManager, char16_t* value)
{
    return pManager->OnLabelTag(value);
}

// The fade of the object popup and the label: 0.1 a frame-step unit each way.
void StepFade(uint32_t& state, float& alpha, float step)
{
    switch (state) {
    case kPopupFadingIn:
        alpha += step * 0.1f;
        if (alpha > 1.0f) {
            alpha = 1.0f;
            state = kPopupShown;
        }
        break;
    case kPopupShown:
        alpha = 1.0f;
        break;
    case kPopupFadingOut:
        alpha -= step * 0.1f;
        if (alpha < 0.0f) {
            alpha = 0.0f;
            state = kPopupGone;
        }
        break;
    default:
        alpha = 0.0f;
        break;
    }
}

}  // namespace

CPopupManager::~CPopupManager()
{
    Unload();
}

Status CPopupManager::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status CPopupManager::Load()
{
    Unload();
    if (UtilsParameters* app = m_pWorldData ? m_pWorldData->pAppSettings : nullptr) {
        m_narratorFadeSpeed = app->GetFloat(kNarratorSection, u"NARRATOR_FADE_RATIO_SPEED", 0.075f);
        m_narratorTime = app->GetFloat(kNarratorSection, u"NARRATOR_TIME_SEC", 5.0f) * 30.0f;
    }
    // A charset font stores its texts in its own codes: the tags are matched in them.
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    const bool remap = strings && Font() && Font()->GetFontType() == kFontCharset;
    static const PopupTag kTags[kPopupTagCount] = {
        {u"L=", nullptr, 2, LabelTag},       {u"A=", nullptr, 2, AcceptTag}, {u"narrator", nullptr, 8, AcceptTag},
        {u"S=", nullptr, 2, AcceptTag},      {u"T=", nullptr, 2, AcceptTag},
    };
    m_pNarratorPrefix = UtilsString_DupW(u"\\narrator\\");
    if (!m_pNarratorPrefix)
        return OutOfMemory();
    if (remap)
        strings->RemapChars(m_pNarratorPrefix);
    for (uint32_t i = 0; i < kPopupTagCount; ++i) {
        m_tags[i] = kTags[i];
        m_tags[i].matched = UtilsString_DupW(kTags[i].word);
        if (!m_tags[i].matched)
            return OutOfMemory();
        if (remap)
            strings->RemapChars(m_tags[i].matched);
    }
    m_pCommands = new (std::nothrow) CCommandList(m_pWorldData);
    return m_pCommands ? kStatusOk : OutOfMemory();
}

void CPopupManager::FreeTags()
{
    for (PopupTag& tag : m_tags) {
        UTILS_FREE(tag.matched);
        tag = PopupTag{};
    }
    UTILS_FREE(m_pNarratorPrefix);
    m_pNarratorPrefix = nullptr;
}

Status CPopupManager::Unload()
{
    FreePopupText();
    ResetNarratorLine();
    UTILS_FREE(m_pMessageText);
    m_pMessageText = nullptr;
    m_objectIndex = m_elementIndex = -1;
    ResetLabelsGroups();
    FreeLabelsList();
    FreeTags();
    delete m_pCommands;
    m_pCommands = nullptr;
    return kStatusOk;
}

void CPopupManager::ResetNarratorLine()
{
    UTILS_FREE(m_pNarratorText);
    m_pNarratorText = nullptr;
    m_narratorShowing = 0;
    m_narratorAlpha = m_narratorHold = 0.0f;
    m_narratorIndex = -1;
}

void CPopupManager::ResetLabelsGroups()
{
    UTILS_FREE(m_pGroups);
    m_pGroups = nullptr;
    m_groupCount = 0;
    m_currentGroup = -1;
}

// ---- what the manager asks of the game ---------------------------------------------------------

CVornelFont* CPopupManager::Font() const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    return world ? world->GetMainFont() : nullptr;
}

const char16_t* CPopupManager::StringAt(int32_t absoluteIndex) const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    const CStringsRaw* table = strings ? strings->GetTable() : nullptr;
    if (!table || absoluteIndex < 0 || static_cast<uint32_t>(absoluteIndex) >= table->GetCount())
        return nullptr;
    return table->GetString(static_cast<uint32_t>(absoluteIndex));
}

int32_t CPopupManager::PopupTextBase() const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
    return extra ? static_cast<int32_t>(extra->GetPopupTextBase()) : 0;
}

int32_t CPopupManager::CommonStringBase() const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    const CStringsRaw* table = strings ? strings->GetTable() : nullptr;
    if (!table)
        return 0;
    const uint32_t common = strings->GetCommonCount();
    return static_cast<int32_t>(table->GetCount() > common ? table->GetCount() - common : 0);
}

int32_t CPopupManager::FindPopupGroup(const char* name) const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
    return extra ? extra->FindPopupGroupByName(name) : -1;
}

float CPopupManager::TextScale() const
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    return game ? game->screen.textScale : 1.0f;
}

void CPopupManager::StartTransition()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    if (CTransitions* transitions = world ? world->GetTransitions() : nullptr)
        transitions->Start(kTransitionSimpleFade, 0);
}

CObjectsInterfacePopups* CPopupManager::PopupsObject() const
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? dynamic_cast<CObjectsInterfacePopups*>(objects->GetInterfaceObject(kInterfacePopups)) : nullptr;
}

uint32_t CPopupManager::HitTestButtons(float x, float y)
{
    // Without a popups object every click is beside the buttons.
    CObjectsInterfacePopups* popups = PopupsObject();
    return popups ? popups->HitTestButtons(x, y, 1) : kPopupButtonBeside;
}

void CPopupManager::PlayClick(uint32_t role)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    if (CSurroundManager* sounds = world ? world->GetSurroundManager() : nullptr)
        sounds->PlayClick(role);
}

void CPopupManager::ShowButtons(uint8_t previous, uint8_t next, uint8_t close)
{
    if (CObjectsInterfacePopups* popups = PopupsObject())
        popups->SetButtonsState(previous, next, close);
}

Status CPopupManager::AfterClose()
{
    AfterPanelClosed(m_pWorldData);
    // The tool box shows its next request.
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CToolboxManager* toolbox = world ? world->GetToolboxManager() : nullptr;
    return toolbox && Failed(toolbox->OnPopupClosed()) ? kStatusFailed : kStatusOk;
}

// ---- opening ------------------------------------------------------------------------------------

Status CPopupManager::ShowString(const char* name)
{
    const int32_t group = name ? FindPopupGroup(name) : -1;
    return group < 0 ? kStatusFailed : ShowStringIndex(group);
}

Status CPopupManager::ShowStringIndex(int32_t index)
{
    const int32_t absolute = PopupTextBase() + index;
    return ShowText(StringAt(absolute), absolute);
}

Status CPopupManager::ShowCommonString(uint32_t index, uint8_t asNarrator)
{
    const int32_t absolute = CommonStringBase() + static_cast<int32_t>(index);
    const char16_t* text = StringAt(absolute);
    if (!asNarrator)
        return ShowText(text, -1);
    ShowNarrator(text ? text : u"MISSING STRING !!!", absolute);
    return kStatusFailed;
}

Status CPopupManager::ShowText(const char16_t* text, int32_t stringIndex)
{
    if (!text)
        text = u"MISSING STRING !!!";
    if (m_pNarratorPrefix && UtilsString_Length(text) >= kNarratorPrefixLength) {
        bool narrator = true;
        for (uint32_t i = 0; i < kNarratorPrefixLength && narrator; ++i)
            narrator = text[i] == m_pNarratorPrefix[i];
        if (narrator) {
            if (text[kNarratorPrefixLength] == 0)
                return kStatusFailed;
            const Status status = ShowNarrator(text + kNarratorPrefixLength, stringIndex);
            return Failed(status) && status != kStatusFailed ? status : kStatusFailed;
        }
    }
    FreePopupText();
    m_stringIndex = stringIndex;
    m_pText = OpenText(text);
    if (!m_pText)
        return OutOfMemory();
    AdvancePopupText(nullptr, 0);
    StartTransition();
    return kStatusOk;
}

Status CPopupManager::ShowNarrator(const char16_t* text, int32_t stringIndex)
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const float ratio = game ? game->text.popupBorderRatio : 0.9f;
    const float width = game ? game->text.narrator.width : 40.0f;
    const float screen = m_pWorldData ? m_pWorldData->virtualWidth : 0.0f;
    size_t wrappedLength = 0;
    char16_t* wrapped = WrapOwned(text, UtilsString_Length(text), width, screen * ratio, 2, true, &wrappedLength);
    if (!wrapped)
        return OutOfMemory();
    UTILS_FREE(m_pNarratorText);
    m_pNarratorText = wrapped;
    m_narratorIndex = stringIndex;
    m_narratorHold = m_narratorTime;
    m_narratorShowing = 1;
    return kStatusOk;
}

Status CPopupManager::ShowObjectPopup(uint32_t objectIndex, const char* popupName, const char* elementName)
{
    UTILS_FREE(m_pMessageText);
    m_pMessageText = nullptr;
    m_objectIndex = static_cast<int32_t>(objectIndex);
    m_elementIndex = -1;
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    if (CObjectsBase* object = objects && elementName ? objects->GetObject(objectIndex) : nullptr)
        m_elementIndex = object->FindElementByName(elementName);
    const int32_t group = popupName ? FindPopupGroup(popupName) : -1;
    if (group < 0 || Failed(SetObjectPopupText(PopupTextBase() + group))) {
        m_objectIndex = m_elementIndex = -1;
        return kStatusFailed;
    }
    if (m_objectState != kPopupFadingOut)
        m_objectAlpha = 0.0f;
    m_objectState = kPopupFadingIn;
    return kStatusOk;
}

Status CPopupManager::AddCommand(const CommandHandle& handle)
{
    return m_pCommands ? m_pCommands->Add(handle) : kStatusFailed;
}

// ---- closing ------------------------------------------------------------------------------------

void CPopupManager::FreePopupText()
{
    RestoreCut();
    EndReveal();
    FreePages();
    UTILS_FREE(m_pPageText);
    m_pPageText = nullptr;
    UTILS_FREE(m_pText);
    m_pText = nullptr;
    m_pPart = m_pFirstPart = nullptr;
    m_pLaidOutPart = m_pPartEnd = nullptr;
    m_labelIndex = -1;
    m_labelState = kPopupGone;
    m_labelAlpha = 0.0f;
    m_previousShown = 0;
}

Status CPopupManager::Close(uint8_t transition)
{
    FreePopupText();
    m_stringIndex = -1;
    if (transition)
        StartTransition();
    if (m_pCommands)
        m_pCommands->BurnAll(kCommandEventFade, 0, 0, 0);
    return AfterClose();
}

Status CPopupManager::CloseObjectPopup(uint8_t transition)
{
    m_objectIndex = m_elementIndex = -1;
    m_objectState = kPopupGone;
    m_objectAlpha = 0.0f;
    UTILS_FREE(m_pMessageText);
    m_pMessageText = nullptr;
    m_messageIndex = -1;
    if (transition)
        StartTransition();
    if (m_pCommands)
        m_pCommands->BurnAll(kCommandEventFade, 0, 0, 0);
    return AfterClose();
}

// ---- the frame ----------------------------------------------------------------------------------

void CPopupManager::StepNarrator(float step)
{
    if (!m_pNarratorText)
        return;
    if (m_narratorShowing) {
        m_narratorAlpha += step * m_narratorFadeSpeed;
        if (m_narratorAlpha > 1.0f) {
            m_narratorAlpha = 1.0f;
            m_narratorHold -= step;
            if (m_narratorHold < 0.0f) {
                m_narratorHold = 0.0f;
                m_narratorShowing = 0;
            }
        }
        return;
    }
    m_narratorAlpha -= step * m_narratorFadeSpeed;
    if (m_narratorAlpha < 0.0f) {
        UTILS_FREE(m_pNarratorText);
        m_pNarratorText = nullptr;
        m_narratorAlpha = 0.0f;
    }
}

void CPopupManager::Update()
{
    const float step = m_pWorldData ? static_cast<float>(m_pWorldData->frameTime) : 0.0f;
    // The labels object shows, and steps, only while a label is attached to the text, unless
    // the level wants it: it then lives as the level's other interfaces do.
    CObjectsBase* labels = LabelsObject();
    if (labels && labels->IsWanted())
        labels = nullptr;
    if (labels)
        labels->SetShown(0);
    StepNarrator(step);
    if (m_pText) {
        if (m_labelIndex != -1) {
            StepFade(m_labelState, m_labelAlpha, step);
            if (labels)
                labels->SetShown(1);
            if (labels && labels->IsLoaded())
                labels->Update();
        }
        StepReveal(step);
        if (TakeReleasedKey(m_pWorldData, kEngineKeySpace, &GameFrameInput::spaceReleased)) {
            if (AdvancePopupText(m_pPart, 0))
                Close(1);
        } else if (TakeReleasedKey(m_pWorldData, kEngineKeyEscape, &GameFrameInput::escapeReleased)) {
            Close(1);
        }
    }
    if (m_objectIndex != -1) {
        CNimbrelWorld* world = GameWorld(m_pWorldData);
        CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
        CObjectsBase* level = objects ? objects->GetCurrentLevelObject() : nullptr;
        if (level && objects->GetObject(static_cast<uint32_t>(m_objectIndex)) == level) {
            StepFade(m_objectState, m_objectAlpha, step);
            if (m_objectState == kPopupGone) {
                CloseObjectPopup(1);
                return;
            }
        }
        const bool space = TakeReleasedKey(m_pWorldData, kEngineKeySpace, &GameFrameInput::spaceReleased);
        if (TakeReleasedKey(m_pWorldData, kEngineKeyEscape, &GameFrameInput::escapeReleased) || space)
            CloseObjectPopup(1);
    }
}

// ---- the mouse ------------------------------------------------------------------------------------

Status CPopupManager::OnMouseDown(float, float, uint32_t)
{
    // The popups object never takes a press: every release is a popup click.
    m_pressTaken = 0;
    return kStatusFailed;
}

Status CPopupManager::OnMouseMove(float, float, uint32_t)
{
    return kStatusFailed;
}

Status CPopupManager::OnMouseUp(float x, float y, uint32_t)
{
    if (m_pressTaken) {
        m_pressTaken = 0;
        return kStatusOk;
    }
    const uint32_t button = HitTestButtons(x, y);
    if (button == kPopupButtonClose) {
        // The close button answers with no object popup open too: nothing closes then.
        if (m_objectIndex != -1)
            CloseObjectPopup(1);
        return kStatusOk;
    }
    // With no text open, a step has nothing to step: the null click says so.
    if (!m_pText) {
        PlayClick(kClickNull);
        return kStatusOk;
    }
    if (button == kPopupButtonPrevious) {
        PreviousPopupPage();
        return kStatusOk;
    }
    // The next button played its own sound; a click beside the buttons or outside the popups
    // object gets the default click.
    if (button != kPopupButtonNext)
        PlayClick(kClickDefault);
    if (AdvancePopupText(m_pPart, 0))
        Close(1);
    return kStatusOk;
}

// ---- layout again ----------------------------------------------------------------------------------

Status CPopupManager::Relayout()
{
    if (m_pText && m_stringIndex != -1) {
        const int32_t index = m_stringIndex;
        // The part on screen stays on screen, from its first page: the text read again has
        // every part where it was.
        const size_t part = m_pPart ? static_cast<size_t>(m_pPart - m_pText) : 0;
        const size_t first = m_pFirstPart ? static_cast<size_t>(m_pFirstPart - m_pText) : 0;
        // A reveal under way starts again on the new page; the label's pictures do not fade
        // in again.
        const uint8_t instant = m_pReveal ? 0 : 1;
        const uint32_t labelState = m_labelState;
        const float labelAlpha = m_labelAlpha;
        const char16_t* text = StringAt(index);
        FreePopupText();
        m_stringIndex = index;
        m_pText = OpenText(text ? text : u"MISSING STRING !!!");
        if (!m_pText)
            return OutOfMemory();
        if (part > 0 && first <= part && part <= UtilsString_Length(m_pText)) {
            m_pFirstPart = m_pText + first;
            m_pPart = m_pText + part;
            LayOutPart(m_pPart, instant);
        } else {
            AdvancePopupText(nullptr, instant);
        }
        if (m_labelIndex != -1) {
            m_labelState = labelState;
            m_labelAlpha = labelAlpha;
        }
    }
    if (m_objectIndex != -1 && m_messageIndex != -1)
        SetObjectPopupText(m_messageIndex);
    if (m_pNarratorText && m_narratorIndex != -1) {
        const char16_t* text = StringAt(m_narratorIndex);
        const size_t skip = text && UtilsString_Length(text) > kNarratorPrefixLength ? kNarratorPrefixLength : 0;
        const uint8_t showing = m_narratorShowing;
        const float hold = m_narratorHold;
        if (text && Succeeded(ShowNarrator(text + skip, m_narratorIndex))) {
            m_narratorShowing = showing;
            m_narratorHold = hold;
        }
    }
    return kStatusOk;
}
