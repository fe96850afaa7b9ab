// The extra-text manager: the button sheet and its quads, the popup groups and the slot count.
#include "NimbrelWorld/CExtraTextManager.h"

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GroupTableFile.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"EXTRA_TEXT";
constexpr uint32_t kButtonObjectFlags = 0x28011;
constexpr uint32_t kButtonObjectCreation = 0x20C29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kQuadFaceMode = 1;

}  // namespace

CExtraTextManager::CExtraTextManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CExtraTextManager::~CExtraTextManager()
{
    Release();
}

CNimbrelWorld* CExtraTextManager::GetWorld() const
{
    // The world data's world is always the game world in this program.
    return m_pWorldData ? static_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
}

Status CExtraTextManager::Load()
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!w || !engine)
        return kStatusFailed;
    UtilsParameters* settings = w->pAppSettings;
    if (settings) {
        m_buttonWidth = float(settings->GetInt(kSection, u"EXTRA_TEXT_BUTTONS_SIZE_WIDTH", 64));
        m_buttonHeight = float(settings->GetInt(kSection, u"EXTRA_TEXT_BUTTONS_SIZE_HEIGHT", 64));
    }
    if (m_pButton)
        engine->ReleaseObject(m_pButton);
    m_pButton = engine->CreateObject(kButtonObjectFlags, kButtonObjectCreation);
    if (!m_pButton || Failed(m_pButton->Create(kExtraTextButtonCount, 4 * kExtraTextButtonCount,
                                               4 * kExtraTextButtonCount)))
        return kStatusFailed;
    // One quad a button, centred on its origin, each on its quarter of the sheet: buttons 0 and 1
    // on the top row, 2 and 3 below, as a strip: top-left, top-right, bottom-left, bottom-right.
    const float x = m_buttonWidth * 0.5f, y = m_buttonHeight * 0.5f;
    m_pButton->Lock(0, 2);
    for (uint32_t g = 0; g < kExtraTextButtonCount; ++g) {
        const float u = 0.5f * float(g % 2), v = 0.5f * float(g / 2);
        const uint32_t first = 4 * g;
        m_pButton->SetVertex(first, -x, -y, 0.0f, 0xFFFFFFFFu, u, v, 0.0f, 0.0f, 0.0f, 0);
        m_pButton->SetVertex(first + 1, x, -y, 0.0f, 0xFFFFFFFFu, u + 0.5f, v, 0.0f, 0.0f, 0.0f, 0);
        m_pButton->SetVertex(first + 2, -x, y, 0.0f, 0xFFFFFFFFu, u, v + 0.5f, 0.0f, 0.0f, 0.0f, 0);
        m_pButton->SetVertex(first + 3, x, y, 0.0f, 0xFFFFFFFFu, u + 0.5f, v + 0.5f, 0.0f, 0.0f, 0.0f, 0);
        m_pButton->SetIndexRange(first, 4);
        m_pButton->SetGroup(g, first, 4, first, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, kGroupIdOwnNumber);
    }
    m_pButton->Unlock(1);
    const GameData* game = w->pGame;
    const uint32_t source = game ? GameObjectSource(*game) : 0;
    return AutoLoad3DObjectOneTextureFromParam(source, m_pButton, kTextureKind, kTextureFlags, k3DAllGroups, 0,
                                               kSection, u"EXTRA_TEXT_TEXTURE_FILE_NAME", u"extra_text_buttons.png",
                                               settings, w);
}

void CExtraTextManager::FreePopupGroups()
{
    for (uint32_t i = 0; m_pPopupGroups && i < m_popupGroupCount; ++i)
        UTILS_FREE(m_pPopupGroups[i].pName);
    UTILS_FREE(m_pPopupGroups);
    m_pPopupGroups = nullptr;
    m_popupGroupCount = 0;
}

Status CExtraTextManager::Release()
{
    if (m_pButton) {
        if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
            engine->ReleaseObject(m_pButton);
        m_pButton = nullptr;
    }
    FreePopupGroups();
    return kStatusOk;
}

Status CExtraTextManager::LoadExtraTexts()
{
    WorldData* w = m_pWorldData;
    CNimbrelWorld* world = GetWorld();
    uint32_t objects = 0;
    if (!w || !world || !world->GetObjectCount(&objects) || objects == 0) {
        if (w)
            w->lastErrorCode = kStatusNoSceneObjects;
        return kStatusNoSceneObjects;
    }
    // One past the largest slot of any object, never fewer than the reserved entries; no scene
    // object claims a slot of its own yet.
    m_slotCount = kExtraTextMinimumSlots;
    FreePopupGroups();
    GroupTable raw = {};
    const Status status =
        world->ReadGroupTable(kGroupTablePopups, u"# CExtraTextManager::LoadExtraTexts failed! missing file \"%s\"\n",
                              &raw);
    if (Failed(status))
        return status;
    if (raw.count != 0) {
        m_pPopupGroups = static_cast<PopupGroup*>(UTILS_CALLOC(raw.count, sizeof(PopupGroup)));
        if (!m_pPopupGroups) {
            GroupTable_Free(&raw);
            w->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        for (uint32_t i = 0; i < raw.count; ++i) {
            m_pPopupGroups[i] = PopupGroup{raw.pRecords[i].value, raw.pRecords[i].pName};
            raw.pRecords[i].pName = nullptr;
        }
        m_popupGroupCount = raw.count;
    }
    GroupTable_Free(&raw);
    m_loaded = 1;
    return kStatusOk;
}

Status CExtraTextManager::DrawButton(uint32_t button, const float* position, float size, uint8_t through)
{
    WorldData* w = m_pWorldData;
    if (!m_pButton || !w || !position || button >= kExtraTextButtonCount)
        return kStatusFailed;
    const uint32_t creation = m_pButton->GetCreationWord();
    m_pButton->SetCreationWord(through ? creation | k3DDrawOwnStates : creation & ~k3DDrawOwnStates);
    // Interface matrix, then the position, then the size: new transforms go in front.
    m_pButton->UseOwnMatrix();
    m_pButton->SetMatrix(w->game.view.matrixOverlay);
    m_pButton->Translate(position[0], position[1], position[2]);
    m_pButton->ScaleUniform(size);
    m_pButton->DrawEx(button);
    m_pButton->SetCreationWord(m_pButton->GetCreationWord() | k3DDrawOwnStates);
    return kStatusOk;
}

int32_t CExtraTextManager::FindPopupGroupByName(const char* name) const
{
    if (!name)
        return -1;
    for (uint32_t i = 0; i < m_popupGroupCount; ++i) {
        const char* groupName = m_pPopupGroups[i].pName;
        if (!groupName)
            return -1;
        if (DichotomyList::CompareKeys(groupName, name) == 0)
            return int32_t(i);
    }
    return -1;
}
