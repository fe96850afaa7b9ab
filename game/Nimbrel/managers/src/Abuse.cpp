#include "NimbrelManagers/CAbuse.h"

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "VornelUtils/PowerOfTwo.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"ABUSE";
constexpr float kUnitsPerSecond = 30.0f;
constexpr uint8_t kMinimumThreshold = 2;
// A textured screen quad whose object colour (the overlay colour and its fading alpha) replaces
// the white of its corners.
constexpr uint32_t kQuadFlags = 0x28010;
constexpr uint32_t kQuadCreation = 0x20C29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr float kDefaultFadeSpeed = 0.075f;

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

}  // namespace

CAbuse::~CAbuse()
{
    Unload();
}

void CAbuse::ReadSettings()
{
    UtilsParameters* settings = m_pWorldData ? m_pWorldData->pAppSettings : nullptr;
    // Whole seconds: 2.9 holds for 2.
    m_penalty = float(int32_t(settings ? settings->GetFloat(kSection, u"ABUSE_SECONDS_SHOWED", 2.0f) : 2.0f));
    m_window = float(int32_t(settings ? settings->GetFloat(kSection, u"IS_ABUSING_UNDER_SECONDS", 2.0f) : 2.0f));
    const uint8_t threshold = settings ? settings->GetByte(kSection, u"ABUSE_OVER_CLICK", 2) : 2;
    m_threshold = threshold < kMinimumThreshold ? kMinimumThreshold : threshold;
    // The first click opens a new window.
    m_elapsed = m_window * kUnitsPerSecond;
    m_level = 0.0f;
}

Status CAbuse::Load()
{
    ReadSettings();
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!engine)
        return kStatusOk;
    Unload();
    m_pQuad = engine->CreateObject(kQuadFlags, kQuadCreation);
    if (!m_pQuad || Failed(m_pQuad->Create(1, 4, 4)))
        return kStatusFailed;
    m_pQuad->Lock(2, 2);
    static const float kUV[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    for (uint32_t i = 0; i < 4; ++i)
        m_pQuad->SetVertex(i, 0.0f, 0.0f, 0.0f, kWhite, kUV[i][0], kUV[i][1], 0.0f, 0.0f, 0.0f, 0);
    m_pQuad->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceMode, kGroupIdOwnNumber);
    m_pQuad->ResetIndices();
    m_pQuad->Unlock(1);

    UtilsParameters* settings = m_pWorldData->pAppSettings;
    const auto channel = [settings](const char16_t* key, uint8_t value) -> uint32_t {
        return settings ? settings->GetByte(kSection, key, value) : value;
    };
    m_pQuad->SetColor(channel(u"ABUSE_COLOR_A", 255) << 24 | channel(u"ABUSE_COLOR_R", 16) << 16 |
                      channel(u"ABUSE_COLOR_G", 0) << 8 | channel(u"ABUSE_COLOR_B", 0));

    auto* world = WorldOf(m_pWorldData);
    GameData* game = m_pWorldData->pGame;
    if (!world || !settings)
        return kStatusFailed;
    if (game)
        m_pWorldData->textureMipShift = game->screen.textureLevelShift;
    const Status loaded =
        AutoLoad3DObjectTextureFromParam(world->GetTextureSource(), m_pQuad, kTextureKind, kTextureFlags, 0, kSection,
                                         u"ABUSE_TEXTURE_PATH", u"abuse.png", settings, m_pWorldData);
    m_pWorldData->textureMipShift = 0;
    if (Failed(loaded) || Failed(Resize()))
        return kStatusFailed;
    return kStatusOk;
}

Status CAbuse::Unload()
{
    if (m_pQuad)
        if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
            engine->ReleaseObject(m_pQuad);
    m_pQuad = nullptr;
    return kStatusOk;
}

Status CAbuse::Resize()
{
    if (!m_pQuad)
        return kStatusOk;
    const float width = float(NextPowerOfTwo(m_pWorldData->virtualWidth));
    const float height = float(NextPowerOfTwo(m_pWorldData->virtualHeight));
    if (Failed(m_pQuad->Lock(2, 0)))
        return kStatusFailed;
    m_pQuad->SetVertexPosition(0, 0.0f, 0.0f, 0.0f);
    m_pQuad->SetVertexPosition(1, width, 0.0f, 0.0f);
    m_pQuad->SetVertexPosition(2, 0.0f, height, 0.0f);
    m_pQuad->SetVertexPosition(3, width, height, 0.0f);
    m_pQuad->Unlock(1);
    return kStatusOk;
}

Status CAbuse::Reset()
{
    m_clickCount = 1;
    m_elapsed = 0.0f;
    m_level = 0.0f;
    m_state = kAbuseIdle;
    return kStatusOk;
}

Status CAbuse::OnClick()
{
    if (CurrentLevelKind() != kObjectKindExploration)
        return kStatusFailed;
    if (m_elapsed >= m_window * kUnitsPerSecond) {
        Reset();
        return kStatusFailed;
    }
    // The count stops at its top, so a long penalty keeps extending.
    if (m_clickCount < 0xFF)
        ++m_clickCount;
    if (m_clickCount <= m_threshold)
        return kStatusFailed;
    switch (m_state) {
    case kAbuseIdle:
    case kAbuseFadingOut:
        // Fading out, the overlay comes back from where it stands.
        if (m_state == kAbuseIdle)
            m_level = 0.0f;
        m_state = kAbuseFadingIn;
        PlayAbuseClick();
        break;
    case kAbuseHolding:
        m_level = m_penalty * kUnitsPerSecond;
        break;
    default:
        break;
    }
    return kStatusOk;
}

void CAbuse::Update()
{
    const float step = m_pWorldData ? float(m_pWorldData->frameTime) : 0.0f;
    float opacity = 255.0f;
    switch (m_state) {
    case kAbuseFadingIn:
        m_level += FadeSpeed() * step;
        if (m_level > 1.0f) {
            m_state = kAbuseHolding;
            m_level = m_penalty * kUnitsPerSecond;
        } else {
            opacity = m_level * 255.0f;
        }
        break;
    case kAbuseHolding:
        m_level -= step;
        if (m_level < 0.0f) {
            m_level = 1.0f;
            m_state = kAbuseFadingOut;
        }
        break;
    case kAbuseFadingOut:
        m_level -= FadeSpeed() * step;
        if (m_level < 0.0f)
            Reset();
        else
            opacity = m_level * 255.0f;
        break;
    default:
        m_elapsed += step;
        if (m_elapsed > m_window * kUnitsPerSecond)
            m_elapsed = m_window * kUnitsPerSecond;
        break;
    }
    m_opacity = uint8_t(opacity < 0.0f ? 0.0f : opacity);
    if (m_pQuad && m_pWorldData) {
        m_pQuad->SetMatrix(m_pWorldData->game.view.matrixOverlay);
        m_pQuad->SetAlpha(m_opacity);
    }
}

void CAbuse::Render()
{
    if (m_pQuad && m_state != kAbuseIdle)
        m_pQuad->Draw();
}

uint32_t CAbuse::CurrentLevelKind()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    const CObjectsBase* level = objects ? objects->GetCurrentLevelObject() : nullptr;
    return level ? level->GetTypeCode() : 0;
}

void CAbuse::PlayAbuseClick()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CSurroundManager* sounds = world ? world->GetSurroundManager() : nullptr)
        sounds->PlayAbuseClick();
}

float CAbuse::FadeSpeed()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    const CScreenshot* screenshot = world ? world->GetScreenshot() : nullptr;
    return screenshot ? screenshot->GetFadeSpeed() : kDefaultFadeSpeed;
}
