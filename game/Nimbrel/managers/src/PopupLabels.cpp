// The labels of the popup texts: a text's "L=" tag brings the members of a label into view
// while the text talks about them. The labels object holds the pictures; each of its elements
// keeps a countdown of the parts since it last showed and the label text it shows, and every
// label text counts how many of its elements are shown.
//
// A label's words and bytes, as this manager reads them: word 1 the labels object's element that
// is the label's text box (-1 none: the page is centred on the screen), word 2 the title flag
// (the text box element's title goes in front of each part), byte 1 the display flag (the
// members show as the label asks), byte 2 the dim flag (once a later label shows in the same
// part, the members of this one dim to kLabelDimAlpha).
#include <cstring>

#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/GroupTables.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

CNimbrelWorld* GameWorld(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

// The picture of a labels object's element: its group's texture, which the object's model only
// names (it loads with kLabelsModelFlag).
C3DTexture* LabelPicture(CObjectsBase* labels, uint32_t element)
{
    C3DObject* model = labels ? labels->GetRenderModel() : nullptr;
    return model && element < model->GetGroupCount() ? model->GetTexture(element, 0) : nullptr;
}

// An element whose current track has one to play.
bool HasActiveTrack(const ElementRecord* e)
{
    return e->pTracks && e->currentTrack < e->trackCount;
}

}  // namespace

// ---- what the manager asks of the game -----------------------------------------------------

int32_t CPopupManager::FindLabel(const char* name) const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CLabels* labels = world ? world->GetLabels() : nullptr;
    return labels && name ? labels->FindLabelByName(name) : -1;
}

const LabelRecord* CPopupManager::LabelAt(int32_t index) const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CLabels* labels = world ? world->GetLabels() : nullptr;
    return labels ? labels->GetLabel(index) : nullptr;
}

uint32_t CPopupManager::LabelCount() const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CLabels* labels = world ? world->GetLabels() : nullptr;
    return labels ? labels->GetCount() : 0;
}

CObjectsBase* CPopupManager::LabelsObject() const
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? objects->GetInterfaceObject(kInterfaceLabels) : nullptr;
}

CObjectsBase* CPopupManager::ObjectAt(uint32_t index) const
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? objects->GetObject(index) : nullptr;
}

uint8_t CPopupManager::LabelPictureShift(const WorldData* pWorldData, int8_t bias)
{
    if (!pWorldData || (pWorldData->pGame && pWorldData->pGame->pictureQuality))
        return 0;
    const int32_t level = int32_t(bias) + pWorldData->game.view.textureLevel;
    return uint8_t(level > 0 ? level : 0);
}

Status CPopupManager::LoadLabelPicture(uint32_t element)
{
    CObjectsBase* labels = LabelsObject();
    C3DTexture* picture = LabelPicture(labels, element);
    if (!picture || picture->IsLoaded() || !picture->GetName())
        return kStatusOk;
    const GameData* game = m_pWorldData->pGame;
    m_pWorldData->textureMipShift = LabelPictureShift(m_pWorldData, labels->GetTextureBias());
    const Status status = AutoLoadTexture(game ? GameObjectSource(*game) : 0, picture, picture->GetName(), m_pWorldData);
    m_pWorldData->textureMipShift = 0;
    return status;
}

void CPopupManager::ReleaseLabelPicture(uint32_t element)
{
    C3DTexture* picture = LabelPicture(LabelsObject(), element);
    if (picture && picture->IsLoaded())
        picture->Release();
}

ElementRecord* CPopupManager::MemberElement(uint32_t object, uint32_t element, CObjectsBase** ppObject) const
{
    CObjectsBase* owner = ObjectAt(object);
    *ppObject = owner;
    return owner && element < owner->GetElementCount() ? owner->GetItemRecord(element) : nullptr;
}

ElementRecord* CPopupManager::LabelTextBox() const
{
    const LabelRecord* label = m_labelIndex != -1 ? LabelAt(m_labelIndex) : nullptr;
    CObjectsBase* labels = label ? LabelsObject() : nullptr;
    // A word past the elements (-1 above all) names no box.
    return labels && label->word1 < labels->GetElementCount() ? labels->GetItemRecord(label->word1) : nullptr;
}

// ---- the list of the labels object's elements ------------------------------------------------

void CPopupManager::FreeLabelsList()
{
    for (uint32_t i = 0; i < m_labelTextCount; ++i)
        UTILS_FREE(m_pLabelTexts[i].pText);
    UTILS_FREE(m_pLabelTexts);
    m_pLabelTexts = nullptr;
    m_labelTextCount = 0;
    UTILS_FREE(m_pCountdowns);
    m_pCountdowns = nullptr;
    UTILS_FREE(m_pElementLabels);
    m_pElementLabels = nullptr;
    m_labelElementCount = 0;
}

int32_t CPopupManager::LabelTextIndex(const char* text)
{
    for (uint32_t i = 0; i < m_labelTextCount; ++i)
        if (std::strcmp(m_pLabelTexts[i].pText, text) == 0)
            return static_cast<int32_t>(i);
    auto* grown =
        static_cast<PopupLabelText*>(UTILS_REALLOC(m_pLabelTexts, (m_labelTextCount + 1) * sizeof(PopupLabelText)));
    if (!grown)
        return -1;
    m_pLabelTexts = grown;
    char* copy = UtilsString_DupA(text);
    if (!copy)
        return -1;
    m_pLabelTexts[m_labelTextCount] = PopupLabelText{copy, 0};
    return static_cast<int32_t>(m_labelTextCount++);
}

Status CPopupManager::BuildLabelsList()
{
    FreeLabelsList();
    CObjectsBase* labels = LabelsObject();
    const uint32_t count = labels ? labels->GetElementCount() : 0;
    if (count == 0)
        return kStatusOk;
    m_pCountdowns = static_cast<uint8_t*>(UTILS_CALLOC(count, 1));
    m_pElementLabels = static_cast<int32_t*>(UTILS_MALLOC(count * sizeof(int32_t)));
    if (!m_pCountdowns || !m_pElementLabels) {
        FreeLabelsList();
        return OutOfMemory();
    }
    m_labelElementCount = count;
    for (uint32_t i = 0; i < count; ++i)
        m_pElementLabels[i] = -1;
    // An element's label text is the name of the first label that lists it; an element that no
    // label lists has none.
    const uint32_t object = labels->GetObjectNumber();
    const uint32_t labelCount = LabelCount();
    for (uint32_t l = 0; l < labelCount; ++l) {
        const LabelRecord* label = LabelAt(static_cast<int32_t>(l));
        if (!label || !label->group.pName || !label->group.pName[0])
            continue;
        for (uint32_t m = 0; m < label->group.memberCount; ++m) {
            const GroupMember& member = label->group.pMembers[m];
            if (member.levelIndex != object || member.elementIndex >= count || m_pElementLabels[member.elementIndex] != -1)
                continue;
            const int32_t text = LabelTextIndex(label->group.pName);
            if (text < 0) {
                FreeLabelsList();
                return OutOfMemory();
            }
            m_pElementLabels[member.elementIndex] = text;
        }
    }
    return kStatusOk;
}

// ---- the parts ----------------------------------------------------------------------------------

void CPopupManager::RestLabelElements()
{
    CObjectsBase* labels = LabelsObject();
    const uint32_t count = labels ? labels->GetElementCount() : 0;
    for (uint32_t i = 0; i < count; ++i)
        if (ElementRecord* e = labels->GetItemRecord(i)) {
            e->alpha = 0.0f;
            e->flags |= kLabelRestFlags;
        }
}

void CPopupManager::CountDownLabelElements()
{
    for (uint32_t i = 0; i < m_labelElementCount; ++i) {
        if (m_pCountdowns[i] == 0 || --m_pCountdowns[i] != 0)
            continue;
        // Once no element of its text shows, the picture goes until it is needed again.
        const int32_t text = m_pElementLabels[i];
        if (text < 0 || uint32_t(text) >= m_labelTextCount)
            continue;
        if (m_pLabelTexts[text].shown > 0)
            --m_pLabelTexts[text].shown;
        if (m_pLabelTexts[text].shown != 0)
            continue;
        // Every element of the text whose time has run out lets its picture go.
        for (uint32_t j = 0; j < m_labelElementCount; ++j)
            if (m_pElementLabels[j] == text && m_pCountdowns[j] == 0)
                ReleaseLabelPicture(j);
    }
}

void CPopupManager::KeepLabelPicture(uint32_t element)
{
    if (element >= m_labelElementCount)
        return;
    // An element still counting down is counted as shown already: counted twice, its text
    // would never reach 0 and its pictures would stay loaded.
    const bool counted = m_pCountdowns[element] != 0;
    m_pCountdowns[element] = kLabelCountdown;
    const int32_t text = m_pElementLabels[element];
    if (!counted && text >= 0 && uint32_t(text) < m_labelTextCount)
        ++m_pLabelTexts[text].shown;
}

Status CPopupManager::OnLabelTag(const char16_t* value)
{
    char* name = UtilsString_DupWToA(value ? value : u"");
    if (!name)
        return OutOfMemory();
    const int32_t index = FindLabel(name);
    UTILS_FREE(name);
    const LabelRecord* label = LabelAt(index);
    if (!label) {
        m_labelIndex = -1;
        return kStatusOk;
    }
    auto* grown =
        static_cast<PopupLabelGroup*>(UTILS_REALLOC(m_pGroups, (m_groupCount + 1) * sizeof(PopupLabelGroup)));
    if (!grown)
        return OutOfMemory();
    m_pGroups = grown;
    m_pGroups[m_groupCount] = PopupLabelGroup{index, 1};
    m_currentGroup = static_cast<int32_t>(m_groupCount++);
    m_labelIndex = index;
    // The pictures fade in with the first label of a text and stay for the labels after it.
    if (m_labelState == kPopupGone || m_labelState == kPopupFadingOut)
        m_labelState = kPopupFadingIn;

    const CObjectsBase* labels = LabelsObject();
    Status status = kStatusOk;
    for (uint32_t m = 0; m < label->group.memberCount; ++m) {
        const GroupMember& member = label->group.pMembers[m];
        CObjectsBase* owner = nullptr;
        ElementRecord* e = MemberElement(member.levelIndex, member.elementIndex, &owner);
        if (!e || Failed(owner->PrepareElementDraw(e, 1.0f, 1))) {
            status = kStatusFailed;
            continue;
        }
        if (owner == labels) {
            KeepLabelPicture(member.elementIndex);
            if (Failed(LoadLabelPicture(member.elementIndex)))
                status = kStatusFailed;
        }
        if (HasActiveTrack(e))
            owner->RestartElementTrack(member.elementIndex);
        e->action = 0;
        e->alpha = 1.0f;
        e->scaleIndex = 0;
        e->scaleOffset = 0.0f;
        e->flags = (e->flags | kElementPassFiltered) & ~(kElementHidden | kElementLocked);
        e->displayState = label->byte1 ? kDisplayAsLabel : e->flags & kElementDropTarget ? kDisplayDropPlace : kDisplayNormal;
        e->displayTime = 0.0f;
    }

    // The groups before this one: their animations stop, their members dim when their label
    // asks for it, and they are no longer the active ones.
    for (uint32_t g = 0; g + 1 < m_groupCount; ++g) {
        const LabelRecord* earlier = LabelAt(m_pGroups[g].labelIndex);
        for (uint32_t m = 0; earlier && m < earlier->group.memberCount; ++m) {
            const GroupMember& member = earlier->group.pMembers[m];
            CObjectsBase* owner = nullptr;
            ElementRecord* e = MemberElement(member.levelIndex, member.elementIndex, &owner);
            if (!e)
                continue;
            if (HasActiveTrack(e) && e->pTracks[e->currentTrack].trackWord != kModifierStopped)
                owner->SetElementAnimation(member.elementIndex, kModifierStopped, 0, 0, 0, 1);
            if (earlier->byte2)
                e->alpha = kLabelDimAlpha;
        }
        m_pGroups[g].active = 0;
    }
    return status;
}

void CPopupManager::UpdateLabelsGroups()
{
    const CObjectsBase* labels = LabelsObject();
    for (uint32_t g = 0; g < m_groupCount; ++g) {
        const LabelRecord* label = LabelAt(m_pGroups[g].labelIndex);
        for (uint32_t m = 0; label && m < label->group.memberCount; ++m) {
            const GroupMember& member = label->group.pMembers[m];
            CObjectsBase* owner = nullptr;
            if (MemberElement(member.levelIndex, member.elementIndex, &owner) && owner == labels) {
                KeepLabelPicture(member.elementIndex);
                LoadLabelPicture(member.elementIndex);
            }
        }
    }
}

void CPopupManager::StopLabelAnimations()
{
    const PopupLabelGroup* group = GetGroup(static_cast<uint32_t>(m_currentGroup));
    const LabelRecord* label = group ? LabelAt(group->labelIndex) : nullptr;
    for (uint32_t m = 0; label && m < label->group.memberCount; ++m) {
        const GroupMember& member = label->group.pMembers[m];
        CObjectsBase* owner = nullptr;
        const ElementRecord* e = MemberElement(member.levelIndex, member.elementIndex, &owner);
        if (e && HasActiveTrack(e))
            owner->SetElementAnimation(member.elementIndex, kModifierStopped, 0, 0, 0, 1);
    }
}

// ---- drawing -------------------------------------------------------------------------------------

void CPopupManager::DrawLabelLayers(uint32_t first, uint32_t last)
{
    CObjectsBase* labels = LabelsObject();
    if (!labels || !labels->IsLoaded())
        return;
    labels->SetAlpha(m_labelAlpha);
    if (first == 1)
        labels->BeginDraw(1);
    for (uint32_t layer = first; layer <= last; ++layer)
        labels->DrawElements(static_cast<int32_t>(layer), 1);
}
