#include "NimbrelManagers/CFlashlight.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "NimbrelManagers/OverlayObjects.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kLightFlags = 0x8010;
constexpr uint32_t kLightCreation = 0xC29;
constexpr uint32_t kVeilFlags = 0x28010;
constexpr uint32_t kVeilCreation = 0x20429;
constexpr uint32_t kMaskFlags = 0x8010;
constexpr uint32_t kMaskCreation = 0x429;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr const char16_t* kSection = u"FLASHLIGHT";
// Brightness gained and lost per frame-step unit: on in a third of a second, off in 3.3 s.
constexpr float kSwitchOnRate = 0.1f;
constexpr float kSwitchOffRate = 0.01f;
// A press with this button code never restarts the light.

}  // namespace

CFlashlight::~CFlashlight()
{
    Unload();
}

Status CFlashlight::Load()
{
    WorldData* w = m_pWorldData;
    auto* world = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    UtilsParameters* settings = w ? w->pAppSettings : nullptr;
    if (!world || !w->pGame || !settings)
        return kStatusFailed;
    Unload();
    const float width = uint16_t(settings->GetInt(kSection, u"FLASHLIGHT_SIZE_WIDTH", 128));
    const float height = uint16_t(settings->GetInt(kSection, u"FLASHLIGHT_SIZE_HEIGHT", 128));
    m_moveThreshold = std::max(width, height) * 0.25f;
    // No time at all ends the activity at the first step, without dividing by zero.
    const float seconds = settings->GetFloat(kSection, u"FLASHLIGHT_SECONDS_SHOWED", 3.0f);
    m_activityDecay = seconds > 0.0f ? 1.0f / (seconds * 30.0f) : FLT_MAX;

    m_pLight = CreateOverlayObject(w, kLightFlags, kLightCreation, 1, 4);
    m_pVeil = CreateOverlayObject(w, kVeilFlags, kVeilCreation, 1, 4);
    m_pMask = CreateOverlayObject(w, kMaskFlags, kMaskCreation, 1, 10);
    if (!m_pLight || !m_pVeil || !m_pMask)
        return kStatusFailed;
    const float halfWidth = width * 0.5f, halfHeight = height * 0.5f;
    m_pLight->Lock(2, 0);
    SetQuad(m_pLight, 0, -halfWidth, -halfHeight, halfWidth, halfHeight, kWhite);
    m_pLight->Unlock(1);
    if (Failed(AutoLoad3DObjectTextureFromParam(world->GetTextureSource(), m_pLight, kTextureKind, kTextureFlags, 0,
                                                kSection, u"FLASHLIGHT_TEXTURE_FILE_NAME", u"flashlight.png",
                                                settings, w)))
        return kStatusFailed;
    // The ring reaches far enough to cover the screen wherever the light is on it.
    const GameScreenScale& screen = w->pGame->screen;
    const float inner[4] = {-halfWidth, -halfHeight, halfWidth, halfHeight};
    const float outerX = 2.5f * screen.referenceWidth * 0.5f, outerY = 2.5f * screen.referenceHeight * 0.5f;
    const float outer[4] = {-outerX, -outerY, outerX, outerY};
    SetRingStrip(m_pMask, inner, outer, kBlack);
    m_pVeil->Lock(2, 0);
    SetQuad(m_pVeil, 0, -halfWidth * 1.1f, -halfHeight * 1.1f, halfWidth * 1.1f, halfHeight * 1.1f, kBlack);
    m_pVeil->Unlock(1);
    m_x = screen.referenceWidth * 0.5f;
    m_y = screen.referenceHeight * 0.5f;
    m_z = 0.0f;
    return kStatusOk;
}

Status CFlashlight::Unload()
{
    ReleaseOverlayObject(m_pWorldData, &m_pLight);
    ReleaseOverlayObject(m_pWorldData, &m_pVeil);
    ReleaseOverlayObject(m_pWorldData, &m_pMask);
    return kStatusOk;
}

void CFlashlight::Update()
{
    WorldData* w = m_pWorldData;
    if (!w)
        return;
    const float step = float(w->frameTime);
    switch (m_state) {
    case kFlashlightSwitchingOn:
        m_level += step * kSwitchOnRate;
        if (m_level > 1.0f) {
            m_state = kFlashlightOn;
            m_level = 1.0f;
        }
        break;
    case kFlashlightOn:
        m_level = 1.0f;
        break;
    case kFlashlightSwitchingOff:
        m_level -= step * kSwitchOffRate;
        if (m_level < 0.0f) {
            m_state = kFlashlightOff;
            m_level = 0.0f;
        }
        break;
    default:
        m_level = 0.0f;
        break;
    }
    // A light that is dragged about never dims.
    const bool held = w->leftDown || w->middleDown || w->rightDown;
    if (!held && m_activity != 0.0f) {
        m_activity -= step * m_activityDecay;
        if (m_activity < 0.0f) {
            m_activity = 0.0f;
            if (m_state == kFlashlightSwitchingOn || m_state == kFlashlightOn)
                m_state = kFlashlightSwitchingOff;
        }
    }
    if (!m_pLight || !m_pVeil || !m_pMask)
        return;
    m_pLight->UseOwnMatrix();
    m_pLight->SetMatrix(w->game.view.matrixScene);
    m_pLight->SetPosition(m_x, m_y, m_z);
    for (C3DObject* cover : {m_pVeil, m_pMask}) {
        cover->UseOwnMatrix();
        cover->SetMatrix(m_pLight->GetMatrix());
    }
    m_pVeil->SetColor(uint32_t((1.0f - m_level) * 255.0f) << 24);
}

void CFlashlight::Render()
{
    for (C3DObject* object : {m_pLight, m_pVeil, m_pMask})
        if (object)
            object->Draw();
}

Status CFlashlight::OnPointer(float x, float y, uint32_t state, bool press)
{
    m_activity = 1.0f;
    if (press) {
        if (m_state == kFlashlightOn) {
            // Far from where it was, the light fades in afresh at the new place.
            if (state != kFlashlightNoButton && std::hypot(x - m_x, y - m_y) > m_moveThreshold) {
                m_state = kFlashlightSwitchingOn;
                m_level = 0.0f;
            }
        } else if (m_state == kFlashlightSwitchingOff) {
            m_state = kFlashlightSwitchingOn;
        } else if (m_state == kFlashlightOff) {
            m_state = kFlashlightSwitchingOn;
            m_level = 0.0f;
        }
    }
    m_x = x;
    m_y = y;
    m_z = 0.0f;
    return kStatusFailed;
}

Status CFlashlight::OnMouseDown(float x, float y, uint32_t state)
{
    return OnPointer(x, y, state, true);
}

Status CFlashlight::OnMouseMove(float x, float y, uint32_t state)
{
    return OnPointer(x, y, state, false);
}

void CFlashlight::Center()
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    m_state = kFlashlightOff;
    m_x = game ? game->screen.referenceWidth * 0.5f : 0.0f;
    m_y = game ? game->screen.referenceHeight * 0.5f : 0.0f;
    m_z = 0.0f;
    m_level = 0.0f;
    m_activity = 0.0f;
}
