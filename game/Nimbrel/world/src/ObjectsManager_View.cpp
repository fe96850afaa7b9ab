// The scene's zoom and pan, and the view matrices made from them once a frame. The scene maps a
// point s to (s + pan) x zoom; the interface and third views are only scaled. The scene and third
// views then scale by the fit's factors and move by its offset, so that the reference screen
// lands where the fit placed it in the window; the interface view shows the whole reference
// screen, centred. All three give virtual units, which the renderer's screen
// projection maps onto the window.
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
    if (const GameData* game = w->pGame) {
        in.offsetX = game->screen.viewX;
        in.offsetY = game->screen.viewY;
    }
    // The scene may be cropped by the fit, the interfaces never: on a window wider than the
    // reference screen's shape they show all of it at the window's height, centred, and their
    // edge-anchored pictures reach the window's edges.
    in.interfaceFactorX = in.factorX;
    in.interfaceFactorY = in.factorY;
    in.interfaceOffsetX = in.interfaceOffsetY = 0.0f;
    if (in.viewWidth > 0.0f && in.viewHeight > 0.0f && w->realWidth > 0 && w->realHeight > 0) {
        const float whole = std::min({in.factorX, in.factorY, w->realWidth / in.viewWidth, w->realHeight / in.viewHeight});
        in.interfaceFactorX = in.interfaceFactorY = whole;
        in.interfaceOffsetX = (w->realWidth - whole * in.viewWidth) * 0.5f;
        in.interfaceOffsetY = (w->realHeight - whole * in.viewHeight) * 0.5f;
    }
    // The fit places the reference screen in the window's pixels; the views place it on the
    // virtual screen, which the renderer stretches onto the window by the world's own factors.
    // Scaled once, by the fit alone.
    if (w->scaleX > 0.0f && w->scaleY > 0.0f) {
        for (float* x : {&in.factorX, &in.offsetX, &in.interfaceFactorX, &in.interfaceOffsetX})
            *x /= w->scaleX;
        for (float* y : {&in.factorY, &in.offsetY, &in.interfaceFactorY, &in.interfaceOffsetY})
            *y /= w->scaleY;
    }
    in.alternateWidth = in.viewWidth;
    in.alternateHeight = in.viewHeight;
    in.alternateFactorX = in.factorX;
    in.alternateFactorY = in.factorY;
    in.alternate = w->game.view.alternateActive;
    in.alternateOffsetX = in.offsetX + w->game.view.alternateOffsetX;
    in.alternateOffsetY = in.offsetY + w->game.view.alternateOffsetY;
    in.screenHeight = w->virtualHeight;
    in.screenWidth = w->virtualWidth;
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
    WriteView(in);
    m_zoomDelta = 0.0f;
    m_panDeltaX = m_panDeltaY = m_panDeltaZ = 0.0f;
}

void CObjectsManager::ApplyView()
{
    WriteView(ViewInputs());
}

void CObjectsManager::WriteView(const ObjectsViewInputs& in)
{
    if (m_pWorldData) {
        GameViewRecord& view = m_pWorldData->game.view;
        view.sceneScaleX = m_zoom * in.factorX;
        view.sceneScaleY = m_zoom * in.factorY;
        SetScale(view.matrixScene, view.sceneScaleX, view.sceneScaleY, m_panX * view.sceneScaleX + in.offsetX,
                 m_panY * view.sceneScaleY + in.offsetY);
        view.interfaceScaleX = in.interfaceFactorX;
        view.interfaceScaleY = in.interfaceFactorY;
        SetScale(view.matrixOverlay, in.interfaceFactorX, in.interfaceFactorY, in.interfaceOffsetX,
                 in.interfaceOffsetY);
        // The popups and the tool box draw as the interfaces do until their managers say more.
        std::memcpy(view.matrixPopup, view.matrixOverlay, sizeof view.matrixPopup);
        view.virtualScreenWidth = in.screenWidth / in.interfaceFactorX;
        view.virtualScreenHeight = in.screenHeight / in.interfaceFactorY;
        if (in.alternate) {
            view.alternateScaleX = in.alternateFactorX;
            view.alternateScaleY = in.alternateFactorY;
            SetScale(view.matrixAlternate, in.alternateFactorX, in.alternateFactorY, in.alternateOffsetX,
                     in.alternateOffsetY);
        } else {
            view.alternateScaleX = in.factorX;
            view.alternateScaleY = in.factorY;
            SetScale(view.matrixAlternate, in.factorX, in.factorY, in.offsetX, in.offsetY);
        }
    }
}
