// The scene's zoom and pan, and the view matrices made from them once a frame. The scene maps a
// point s to (s + pan) x zoom; the interface and third views are only scaled. Each view then
// scales by its factors and projects a view of its size, top-left at the origin and y down,
// onto the renderer's -1..1.
#include <algorithm>
#include <cstring>

#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/GameData.h"
#include "VornelUtils/WorldData.h"

namespace {

// The eased zoom reset takes this share of 0.95 of the zoom per frame step.
constexpr float kZoomResetRate = 0.95f * 0.05f;

void SetScale(float* m, float x, float y, float tx, float ty)
{
    // Row by row, the translation in the last row.
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = x;
    m[5] = y;
    m[10] = 1.0f;
    m[12] = tx;
    m[13] = ty;
    m[15] = 1.0f;
}

// The view's scale (sx, sy) and offset (tx, ty) followed by the projection of a w x h view.
void SetView(float* m, float sx, float sy, float tx, float ty, float w, float h)
{
    const float px = w > 0.0f ? 2.0f / w : 0.0f;
    const float py = h > 0.0f ? -2.0f / h : 0.0f;
    SetScale(m, sx * px, sy * py, tx * px - 1.0f, ty * py + 1.0f);
}

float ClampPan(float pan, float view, float zoom, float factor)
{
    const float limit = (view / zoom - view) * factor;
    return std::clamp(pan, std::min(0.0f, limit), std::max(0.0f, limit));
}

}  // namespace

ObjectsViewInputs CObjectsManager::ViewInputs() const
{
    ObjectsViewInputs in = {};
    in.viewWidth = in.viewHeight = 0.0f;
    in.factorX = in.factorY = in.panFactorX = in.panFactorY = 1.0f;
    in.minimumMaximumZoom = 1.0f;
    WorldData* w = m_pWorldData;
    if (!w)
        return in;
    if (const GameData* game = w->pGame) {
        in.viewWidth = game->screen.referenceWidth;
        in.viewHeight = game->screen.referenceHeight;
        if (game->screen.viewScaleX > 0.0f && game->screen.viewScaleY > 0.0f) {
            in.factorX = game->screen.viewScaleX;
            in.factorY = game->screen.viewScaleY;
        }
        in.minimumMaximumZoom = std::max(1.0f, game->screen.zoomReferenceRatio);
    }
    in.alternateWidth = in.viewWidth;
    in.alternateHeight = in.viewHeight;
    in.alternateFactorX = in.factorX;
    in.alternateFactorY = in.factorY;
    in.alternate = w->game.view.alternateActive;
    in.screenWidth = w->realWidth;
    in.frameStep = static_cast<float>(w->frameTime);
    in.zoomCentreX = w->game.input.zoomCentreX;
    in.zoomCentreY = w->game.input.zoomCentreY;
    return in;
}

void CObjectsManager::UpdateView(uint32_t reset)
{
    const ObjectsViewInputs in = ViewInputs();
    if (reset) {
        m_panX = m_panY = m_panZ = 0.0f;
        m_zoom = 1.0f;
    } else {
        const float before = m_zoom;
        if (m_zoomReset) {
            m_zoom -= m_zoom * kZoomResetRate * in.frameStep;
            if (m_zoom <= 1.0f) {
                m_zoom = 1.0f;
                m_zoomReset = 0;
            }
        } else {
            m_zoom += m_zoomDelta;
        }
        float maximum = in.screenWidth > 0.0f ? in.viewWidth / in.screenWidth : 0.0f;
        maximum = std::max(maximum, in.minimumMaximumZoom);
        m_zoom = std::clamp(m_zoom, 1.0f, maximum);
        m_panX += m_panDeltaX / m_zoom;
        m_panY += m_panDeltaY / m_zoom;
        // The scene point under the zoom centre stays under it.
        m_panX += in.zoomCentreX / m_zoom - in.zoomCentreX / before;
        m_panY += in.zoomCentreY / m_zoom - in.zoomCentreY / before;
        m_panX = ClampPan(m_panX, in.viewWidth, m_zoom, in.panFactorX);
        m_panY = ClampPan(m_panY, in.viewHeight, m_zoom, in.panFactorY);
    }
    if (m_pWorldData) {
        GameViewRecord& view = m_pWorldData->game.view;
        SetView(view.matrixScene, m_zoom * in.factorX, m_zoom * in.factorY, m_panX * m_zoom * in.factorX,
                m_panY * m_zoom * in.factorY, in.viewWidth, in.viewHeight);
        SetView(view.matrixOverlay, in.factorX, in.factorY, 0.0f, 0.0f, in.viewWidth, in.viewHeight);
        if (in.alternate)
            SetView(view.matrixAlternate, in.alternateFactorX, in.alternateFactorY, 0.0f, 0.0f, in.alternateWidth,
                    in.alternateHeight);
        else
            SetView(view.matrixAlternate, in.factorX, in.factorY, 0.0f, 0.0f, in.viewWidth, in.viewHeight);
    }
    m_zoomDelta = 0.0f;
    m_panDeltaX = m_panDeltaY = m_panDeltaZ = 0.0f;
}
