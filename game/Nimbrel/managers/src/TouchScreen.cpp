#include "NimbrelManagers/CTouchScreen.h"

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "NimbrelManagers/OverlayObjects.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kObjectFlags = 0x28010;
constexpr uint32_t kObjectCreation = 0x20C09;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
// Strength lost per frame-step unit.
constexpr float kFadeRate = 0.075f;

}  // namespace

CTouchScreen::CTouchScreen(WorldData* pWorldData) : CManagedObject(pWorldData)
{
    for (TouchRecord& r : m_records)
        r = {0, 1.0f, 0.0f, 0.0f, 0.0f};
}

CTouchScreen::~CTouchScreen()
{
    Unload();
}

Status CTouchScreen::LoadParameters(float width, uint32_t color, const char16_t* section, const char16_t* key)
{
    WorldData* w = m_pWorldData;
    auto* world = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    if (!world)
        return kStatusFailed;
    Unload();
    m_pObject = CreateOverlayObject(w, kObjectFlags, kObjectCreation, 1, 4);
    if (!m_pObject)
        return kStatusFailed;
    m_pObject->Lock(2, 2);
    SetQuad(m_pObject, 0, -width, -width, width, width, kWhite);
    m_pObject->Unlock(1);
    if (Failed(AutoLoad3DObjectTextureFromParam(world->GetTextureSource(), m_pObject, kTextureKind, kTextureFlags, 0,
                                                section, key, u"touch.png", w->pAppSettings, w)))
        return kStatusFailed;
    m_pObject->SetColor(color);
    return kStatusOk;
}

Status CTouchScreen::Unload()
{
    ReleaseOverlayObject(m_pWorldData, &m_pObject);
    return kStatusOk;
}

void CTouchScreen::Update()
{
    const float step = m_pWorldData ? float(m_pWorldData->frameTime) : 0.0f;
    m_anyActive = 0;
    for (TouchRecord& r : m_records) {
        if (!r.active)
            continue;
        m_anyActive = 1;
        if (r.alpha != 0.0f) {
            r.alpha -= step * kFadeRate;
            // A mark that reaches nothing is gone, whether it passed 0 or landed on it.
            if (r.alpha <= 0.0f) {
                r.alpha = 0.0f;
                r.active = 0;
            }
        }
        // One object draws both marks, at the strength set last.
        if (m_pObject)
            m_pObject->SetAlpha(uint8_t(r.alpha * 255.0f));
    }
}

void CTouchScreen::Render()
{
    if (!m_pObject)
        return;
    for (const TouchRecord& r : m_records)
        if (r.active && r.alpha != 0.0f) {
            m_pObject->UseOwnMatrix();
            m_pObject->SetIdentity();
            m_pObject->SetPosition(r.x, r.y, r.z);
            m_pObject->Draw();
        }
}

void CTouchScreen::AddTouch(float x, float y, uint8_t slot)
{
    TouchRecord& r = m_records[slot >= 1 ? 1 : 0];
    r = {1, 1.0f, x, y, 0.0f};
}
