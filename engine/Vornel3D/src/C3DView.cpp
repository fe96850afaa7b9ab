#include "Vornel3D/C3DView.h"

#include <cstring>
#include <utility>

#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

namespace {

// Degrees to radians as the engine has always converted them (3.141592654 / 180, in double).
constexpr double kDegreesToRadians = 0.017453292522222223;

constexpr float kAngleUpsideDown = 3.1415927f;
constexpr float kAngleQuarterRight = -1.5707964f;
constexpr float kAngleQuarterLeft = 1.5707964f;

bool IsQuarterTurn(uint32_t mode) { return mode == 3 || mode == 4; }
bool IsKnownOrientation(uint32_t mode) { return mode >= 1 && mode <= 4; }

}  // namespace

C3DView::C3DView(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DView::~C3DView() = default;

C3DMath& C3DView::Maths() const {
    static C3DMath fallback(nullptr);
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    return math ? *math : fallback;
}

Status C3DView::Init() { return kStatusOk; }

Status C3DView::Release() { return kStatusOk; }

Status C3DView::UpdateView() {
    if (!m_pWorldData) return kStatusFailed;
    std::memcpy(m_pWorldData->matrixCamera, m_pWorldData->matrixCameraInitial, sizeof(m_pWorldData->matrixCamera));
    Maths().Invert(m_pWorldData->matrixCamera);
    return kStatusOk;
}

Status C3DView::ApplyPerspective() { return kStatusOk; }

Status C3DView::ApplyScreenProjection() { return kStatusOk; }

Status C3DView::SetGammaRamp() { return kStatusOk; }

Status C3DView::ResetView() {
    if (!m_pWorldData) return kStatusFailed;
    Maths().SetIdentity(m_pWorldData->matrixCameraInitial);
    return UpdateView();
}

Status C3DView::ComputeProjection() {
    if (!m_pWorldData) return kStatusFailed;
    WorldData& w = *m_pWorldData;
    // A display without a size has no aspect; the matrices keep what they held.
    if (w.virtualWidth == 0 || w.virtualHeight == 0) return kStatusFailed;
    C3DMath& math = Maths();

    const float width = static_cast<float>(w.virtualWidth);
    const float height = static_cast<float>(w.virtualHeight);
    w.aspectRatio = width / height;

    const float fov = static_cast<float>(w.fieldOfView * kDegreesToRadians);
    math.SetIdentity(w.matrix1);
    math.PerspectiveLH(w.matrix1, fov, w.aspectRatio, w.nearDistance, w.farDistance);
    math.Rotate(w.matrix1, m_fOrientationAngle);

    const bool quarter = IsQuarterTurn(m_nOrientation);
    math.SetIdentity(w.matrix2);
    math.Ortho(w.matrix2, 0.0f, quarter ? -width : width, quarter ? -height : height, 0.0f, w.nearDistanceScreen,
               w.farDistanceScreen);
    math.Rotate(w.matrix2, m_fOrientationAngle);
    if (quarter) {
        math.Translate(w.matrix2, -height / 2.0f, -width / 2.0f, 0.0f);
    } else {
        math.Translate(w.matrix2, -width / 2.0f, -height / 2.0f, 0.0f);
    }

    return ApplyPerspective();
}

Status C3DView::SetOrientation(uint32_t mode) {
    if (!m_pWorldData || !IsKnownOrientation(mode)) return kStatusFailed;
    WorldData& w = *m_pWorldData;
    m_nOrientation = mode;
    if (IsQuarterTurn(mode) != m_bSwapped) {
        std::swap(w.virtualWidth, w.virtualHeight);
        m_bSwapped = !m_bSwapped;
    }
    Status status = ComputeProjection();
    SetViewport(0, 0, w.virtualWidth, w.virtualHeight);
    return status;
}

float C3DView::SetOrientationAngle(uint32_t mode) {
    if (!m_pWorldData || !IsKnownOrientation(mode)) return m_fOrientationAngle;
    WorldData& w = *m_pWorldData;
    m_nOrientation = mode;
    switch (mode) {
        case 1: m_fOrientationAngle = 0.0f; break;
        case 2: m_fOrientationAngle = kAngleUpsideDown; break;
        case 3: m_fOrientationAngle = kAngleQuarterRight; break;
        default: m_fOrientationAngle = kAngleQuarterLeft; break;
    }
    if (IsQuarterTurn(mode) != m_bSwapped) {
        std::swap(w.realWidth, w.realHeight);
        m_bSwapped = !m_bSwapped;
    }
    ComputeProjection();
    return m_fOrientationAngle;
}

Status C3DView::ApplyWindowViewport() {
    if (!m_pWorldData) return kStatusFailed;
    return SetViewport(0, 0, m_pWorldData->realWidth, m_pWorldData->realHeight);
}

Status C3DView::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) { return kStatusOk; }

Status C3DView::DisableScissor() { return kStatusOk; }

Status C3DView::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) { return kStatusOk; }
