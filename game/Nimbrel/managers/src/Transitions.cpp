#include "NimbrelManagers/CTransitions.h"

#include <initializer_list>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsTimer.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"TRANSITIONS";
constexpr const char16_t* kDurationKeys[4] = {
    u"TRANSITION_OBJECT_ZOOM_TIME_SEC",
    u"TRANSITION_SIMPLE_FADE_TIME_SEC",
    u"TRANSITION_DOUBLE_SQUARES_TIME_SEC",
    u"TRANSITION_FROM_LEFT_TO_RIGHT_TIME_SEC",
};
constexpr float kDefaultSeconds = 1.0f;
constexpr float kUnitsPerSecond = 30.0f;
// Both covers are untextured screen objects drawn in their black vertex colours.
constexpr uint32_t kCoverFlags = 0x8011;
constexpr uint32_t kCoverCreation = 0x429;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kFaceMode = 1;
constexpr uint32_t kRingVertices = 10;
constexpr uint32_t kRingTriangles = 8;
constexpr uint8_t kOpaque = 255;

}  // namespace

CTransitions::CTransitions(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CTransitions::~CTransitions()
{
    Unload();
}

CScreenshot* CTransitions::Screenshot() const
{
    auto* world = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetScreenshot() : nullptr;
}

float CTransitions::GetDuration(uint32_t kind) const
{
    return kind >= kTransitionObjectZoom && kind <= kTransitionLeftToRight ? m_fDurations[kind - 1] : 0.0f;
}

Status CTransitions::Load()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!engine)
        return kStatusFailed;
    UtilsParameters* settings = m_pWorldData->pAppSettings;
    for (uint32_t k = 0; k < 4; ++k)
        m_fDurations[k] =
            (settings ? settings->GetFloat(kSection, kDurationKeys[k], kDefaultSeconds) : kDefaultSeconds) *
            kUnitsPerSecond;
    Unload();

    m_pQuad = engine->CreateObject(kCoverFlags, kCoverCreation);
    if (!m_pQuad || Failed(m_pQuad->Create(1, 4, 4)))
        return kStatusFailed;
    m_pQuad->Lock(2, 2);
    static const float kQuadUV[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}};
    for (uint32_t i = 0; i < 4; ++i)
        m_pQuad->SetVertex(i, 0.0f, 0.0f, 0.0f, kBlack, kQuadUV[i][0], kQuadUV[i][1], 0.0f, 0.0f, 0.0f, 0);
    m_pQuad->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceMode, kGroupIdOwnNumber);
    m_pQuad->ResetIndices();
    m_pQuad->Unlock(0);

    m_pFrame = engine->CreateObject(kCoverFlags, kCoverCreation);
    if (!m_pFrame || Failed(m_pFrame->Create(1, kRingVertices, kRingVertices)))
        return kStatusFailed;
    m_pFrame->Lock(2, 2);
    for (uint32_t i = 0; i < kRingVertices; ++i)
        m_pFrame->SetVertexColor(i, kBlack);
    m_pFrame->SetGroup(0, 0, kRingVertices, 0, kRingVertices, kRingTriangles, kPrimitiveTriangleStrip, kFaceMode,
                       kGroupIdOwnNumber);
    m_pFrame->ResetIndices();
    m_pFrame->Unlock(0);
    return Failed(Layout()) ? kStatusFailed : kStatusOk;
}

Status CTransitions::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine) {
        if (m_pQuad)
            engine->ReleaseObject(m_pQuad);
        if (m_pFrame)
            engine->ReleaseObject(m_pFrame);
    }
    m_pQuad = nullptr;
    m_pFrame = nullptr;
    return kStatusOk;
}

Status CTransitions::Layout()
{
    if (!m_pQuad || !m_pFrame)
        return kStatusOk;
    const float hw = float(m_pWorldData->virtualWidth) * 0.5f;
    const float hh = float(m_pWorldData->virtualHeight) * 0.5f;
    m_pQuad->Lock(2, 0);
    m_pQuad->SetVertexPosition(0, -hw, -hh, 0.0f);
    m_pQuad->SetVertexPosition(1, hw, -hh, 0.0f);
    m_pQuad->SetVertexPosition(2, -hw, hh, 0.0f);
    m_pQuad->SetVertexPosition(3, hw, hh, 0.0f);
    m_pQuad->Unlock(1);
    for (C3DObject* cover : {m_pQuad, m_pFrame}) {
        cover->UseOwnMatrix();
        cover->SetIdentity();
        cover->SetPosition(hw, hh, 0.0f);
    }
    return kStatusOk;
}

Status CTransitions::Start(uint32_t kind, uint8_t keepScreen)
{
    if (kind < kTransitionObjectZoom || kind > kTransitionLeftToRight)
        return kStatusOk;
    if (m_pQuad)
        m_pQuad->SetColor(0xFFFFFFFFu);
    if (CScreenshot* screenshot = Screenshot()) {
        if (keepScreen) {
            screenshot->ResetFade();
        } else {
            screenshot->Capture(0, 0, 0, 0);
            // The time spent copying is left out of the next frame step.
            if (m_pWorldData->pTimer)
                m_pWorldData->pTimer->RequestExtraUpdate();
        }
    }
    m_kind = kind;
    m_fElapsed = 0.0f;
    m_half = 0;
    // The covers start where their first half starts: the ring empty, the quad off screen.
    if (kind == kTransitionDoubleSquares && m_pFrame)
        BuildFrame(1.0f, 1.0f);
    if (kind == kTransitionLeftToRight && m_pQuad)
        PlaceQuad(float(m_pWorldData->virtualWidth) * 1.5f);
    return kStatusOk;
}

bool CTransitions::StepHalf(float* pR)
{
    const float half = GetDuration(m_kind) * 0.5f;
    m_fElapsed = float(double(m_fElapsed) + m_pWorldData->frameTime);
    // A half of no length ends at once: 1 - elapsed / 0 would reach the geometry.
    if (half <= 0.0f || m_fElapsed > half) {
        *pR = 0.0f;
        m_fElapsed = 0.0f;
        return true;
    }
    *pR = 1.0f - m_fElapsed / half;
    return false;
}

void CTransitions::Finish()
{
    m_kind = kTransitionKindNone;
    if (CScreenshot* screenshot = Screenshot())
        screenshot->ClearFade();
}

void CTransitions::BuildFrame(float inner, float outer)
{
    const float hw = float(m_pWorldData->virtualWidth) * 0.5f;
    const float hh = float(m_pWorldData->virtualHeight) * 0.5f;
    // Around the corners (-,-), (+,-), (+,+), (-,+) and back to the first, inner then outer.
    static const float kCorners[5][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}, {-1.0f, -1.0f}};
    m_pFrame->Lock(2, 0);
    for (uint32_t c = 0; c < 5; ++c) {
        m_pFrame->SetVertexPosition(2 * c, kCorners[c][0] * hw * inner, kCorners[c][1] * hh * inner, 0.0f);
        m_pFrame->SetVertexPosition(2 * c + 1, kCorners[c][0] * hw * outer, kCorners[c][1] * hh * outer, 0.0f);
    }
    m_pFrame->Unlock(1);
}

void CTransitions::PlaceQuad(float centreX)
{
    m_pQuad->SetIdentity();
    m_pQuad->SetPosition(centreX, float(m_pWorldData->virtualHeight) * 0.5f, 0.0f);
}

void CTransitions::Update()
{
    if (!m_pWorldData)
        return;
    switch (m_kind) {
    case kTransitionObjectZoom:
    case kTransitionSimpleFade: {
        const float duration = GetDuration(m_kind);
        m_fElapsed = float(double(m_fElapsed) + m_pWorldData->frameTime);
        if (duration <= 0.0f || m_fElapsed > duration)
            m_kind = kTransitionKindNone;
        if (CScreenshot* screenshot = Screenshot())
            screenshot->Update();
        break;
    }
    case kTransitionDoubleSquares: {
        if (!m_pFrame)
            break;
        float r = 0.0f;
        const bool ended = StepHalf(&r);
        if (m_half == 0) {
            if (ended)
                m_half = 1;
            BuildFrame(r, 1.0f);
        } else {
            if (ended)
                Finish();
            BuildFrame(0.0f, r);
        }
        break;
    }
    case kTransitionLeftToRight: {
        if (!m_pQuad)
            break;
        const float hw = float(m_pWorldData->virtualWidth) * 0.5f;
        float r = 0.0f;
        const bool ended = StepHalf(&r);
        if (m_half == 0) {
            if (ended)
                m_half = 1;
            PlaceQuad(hw + 2.0f * r * hw);
        } else {
            if (ended)
                Finish();
            PlaceQuad(hw - 2.0f * (1.0f - r) * hw);
        }
        break;
    }
    default:
        break;
    }
}

void CTransitions::Render()
{
    CScreenshot* screenshot = Screenshot();
    switch (m_kind) {
    case kTransitionObjectZoom:
    case kTransitionSimpleFade:
        if (screenshot)
            screenshot->Render();
        break;
    case kTransitionDoubleSquares:
    case kTransitionLeftToRight: {
        if (m_half == 0 && screenshot && screenshot->GetObject())
            screenshot->GetObject()->SetAlpha(kOpaque);
        C3DObject* cover = m_kind == kTransitionDoubleSquares ? m_pFrame : m_pQuad;
        if (cover)
            cover->Draw();
        break;
    }
    default:
        break;
    }
}

bool CTransitions::IsScreenTransitionActive() const
{
    return m_kind == kTransitionDoubleSquares || m_kind == kTransitionLeftToRight;
}

bool CTransitions::IsScreenTransitionFirstHalf() const
{
    return IsScreenTransitionActive() && m_half == 0;
}

bool CTransitions::IsFadeValueZero() const
{
    CScreenshot* screenshot = Screenshot();
    return !screenshot || screenshot->GetFadeRatio() == 0.0f;
}
