// The game world's screen fit: scales and text scale from the window size, the view of the
// reference screen, and the relayout after a display change.
#include <algorithm>
#include <cmath>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ScreenFit.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "Vornel3D_ToolBox/CVornelFont.h"

namespace {

// A small screen has its view fitted to these sizes.
constexpr float kSmallScreenWidth = 960.0f;
constexpr float kSmallScreenHeight = 640.0f;

}  // namespace

bool CNimbrelWorld::ComputeScreenScale(uint16_t width, uint16_t height, float diagonal)
{
    GameScreenScale& s = GetGameData()->screen;
    SanitizeReferenceSize(&s.referenceWidth, &s.referenceHeight);
    const float w = width;
    const float h = height;
    if (w > std::round(s.referenceWidth) || h > std::round(s.referenceHeight)) {
        s.widthRatio = s.heightRatio = s.baseTextScale = s.textScale = 1.0f;
        s.uniformScaleX = s.uniformScaleY = s.depthScale = 1.0f;
        s.textureLevelShift = 0;
        // The virtual screen is the reference screen brought to the window's shape, at its scale.
        s.layoutPositionX = s.layoutPositionY = s.layoutSizeX = s.layoutSizeY = 1.0f;
        // The renderer stretches the virtual screen by the fit. On a window wider than the
        // reference's shape the interfaces show the whole reference screen at the window's
        // height, smaller than the fit: the texts keep their proportions.
        float fit[4];
        ComputeScreenFit(width, height, s.referenceWidth, s.referenceHeight, 0, 1, fit, nullptr, nullptr);
        const float whole = std::min({fit[2], w / s.referenceWidth, h / s.referenceHeight});
        if (fit[2] > 0.0f && whole < fit[2])
            s.baseTextScale = s.textScale = whole / fit[2];
        return false;
    }
    s.widthRatio = w / s.referenceWidth;
    s.heightRatio = h / s.referenceHeight;
    const float mean = (s.widthRatio + s.heightRatio) * 0.5f;
    s.baseTextScale = s.widthRatio < mean ? s.widthRatio : mean;
    s.textScale = s.baseTextScale;
    if (diagonal != 0.0f && diagonal < s.referenceDiagonal && w <= kSmallScreenWidth && h <= kSmallScreenHeight) {
        s.textScale += (1.0f - s.baseTextScale) * s.specialTextRatio;
        s.smallScreen = 1;
    }
    const int32_t level = int32_t(ChooseTextureLevel(width, height, static_cast<uint16_t>(s.referenceWidth),
                                                     static_cast<uint16_t>(s.referenceHeight))) -
                          int32_t(AssetLevelShift(s.assetIndex));
    s.textureLevelShift = static_cast<uint8_t>(std::max(level, 0));
    const float uniform = h / w <= s.referenceHeight / s.referenceWidth ? std::max(s.widthRatio, s.heightRatio)
                                                                        : std::min(s.widthRatio, s.heightRatio);
    s.uniformScaleX = s.uniformScaleY = uniform;
    s.depthScale = 1.0f;
    s.layoutPositionX = s.widthRatio;
    s.layoutPositionY = s.heightRatio;
    s.layoutSizeX = s.layoutSizeY = uniform;
    return true;
}

void CNimbrelWorld::ComputeView()
{
    WorldData* w = GetWorldData();
    GameScreenScale& s = GetGameData()->screen;
    // A minimised window has no area to map: inverting its fit would give a NaN rectangle.
    if (w->realWidth == 0 || w->realHeight == 0)
        return;
    SanitizeReferenceSize(&s.referenceWidth, &s.referenceHeight);
    float fit[4];
    ComputeScreenFit(w->realWidth, w->realHeight, s.referenceWidth, s.referenceHeight, s.textureLevelShift, 1, fit,
                     s.safeRect, &s.overflowX);
    ComputePlayArea(s.referenceWidth, s.referenceHeight, GetGameData()->playArea);
    s.fitX = fit[0];
    s.fitY = fit[1];
    s.fitScaleX = fit[2];
    s.fitScaleY = fit[3];
    float x = fit[0], y = fit[1], scaleX = fit[2], scaleY = fit[3];
    if (s.smallScreen) {
        const float small =
            std::min(s.smallScreenTextRatio * s.referenceWidth * (1.0f / kSmallScreenWidth) * scaleX,
                     s.referenceHeight * s.smallScreenTextRatio * (1.0f / kSmallScreenHeight) * scaleY);
        x -= (small - scaleX) * s.referenceWidth * 0.5f;
        y -= (small - scaleY) * s.referenceHeight * 0.5f;
        scaleX = scaleY = small;
    }
    s.viewX = x;
    s.viewY = y;
    s.viewScaleX = scaleX;
    s.viewScaleY = scaleY;

    // Before the engine is loaded the view is still known, through the engine's own maths.
    C3DMath ownMath(w);
    C3DMath* math = GetMath() ? GetMath() : &ownMath;
    math->ResetMatrix(s.viewTransform);
    math->Scale(s.viewTransform, s.uniformScaleX, s.uniformScaleY, s.depthScale);
    // Reference -> window: scale, then offset; its inverse maps the window's corners back.
    float windowToReference[16];
    math->ResetMatrix(windowToReference);
    math->Translate(windowToReference, x, y, 0.0f);
    math->Scale(windowToReference, scaleX, scaleY, 1.0f);
    math->Invert(windowToReference);
    C3DVector3 corner;
    math->Vec3TransformCoord(&corner, 0.0f, 0.0f, 0.0f, windowToReference);
    s.viewLeft = corner.x;
    s.viewTop = corner.y;
    math->Vec3TransformCoord(&corner, float(w->realWidth), float(w->realHeight), 0.0f, windowToReference);
    s.viewRight = corner.x;
    s.viewBottom = corner.y;
}

Status CNimbrelWorld::Relayout()
{
    WorldData* w = GetWorldData();
    if (!w || !w->pGame)
        return kStatusFailed;
    if (w->realWidth == 0 || w->realHeight == 0)
        return kStatusOk;  // minimised: the layout of the last visible size stays
    ComputeScreenScale(w->realWidth, w->realHeight, w->game.screenDiagonal);
    ComputeView();
    FitVirtualScreen();
    m_laidOutWidth = w->realWidth;
    m_laidOutHeight = w->realHeight;
    // The view record still holds the scales of the last frame's window: the managers and the
    // objects below lay themselves out from it, so it follows the new window first.
    if (CObjectsManager* objects = GetObjectsManager())
        objects->ApplyView();
    // The window's resize message leaves the viewport to whoever lays the window out.
    if (C3DEngine* engine = Get3DEngine())
        if (C3DView* view = engine->GetView()) {
            view->ComputeProjection();
            view->ApplyWindowViewport();
        }
    for (uint32_t i = 0; i < m_registeredCount; ++i)
        if (Failed(m_ppRegistered[i]->Reload()))
            return kStatusFailed;
    return Failed(ReloadSceneObjects()) ? kStatusFailed : kStatusOk;
}

void CNimbrelWorld::FitVirtualScreen()
{
    WorldData* w = GetWorldData();
    if (w->realWidth == 0 || w->realHeight == 0)
        return;
    const GameScreenScale& s = GetGameData()->screen;
    // The pointer stays on the window's pixel it was on: the cursor is drawn there at once, not
    // where the old virtual position now lands once the mouse moves.
    const float pointerX = w->mouseX * w->scaleX, pointerY = w->mouseY * w->scaleY;
    ComputeVirtualScreen(w->realWidth, w->realHeight, s.referenceWidth, s.referenceHeight, &w->virtualWidth,
                         &w->virtualHeight);
    w->scaleX = float(w->realWidth) / float(w->virtualWidth);
    w->scaleY = float(w->realHeight) / float(w->virtualHeight);
    w->mouseX = pointerX / w->scaleX;
    w->mouseY = pointerY / w->scaleY;
}

Status CNimbrelWorld::RelayoutIfResized()
{
    const WorldData* w = GetWorldData();
    if (!w || (w->realWidth == m_laidOutWidth && w->realHeight == m_laidOutHeight))
        return kStatusOk;
    return Relayout();
}

Status CNimbrelWorld::ChangeDisplayMode(const char16_t* className, const char16_t* appName, uint8_t fullScreen,
                                        uint8_t keepWindow, const void* pMenu)
{
    // The managed world sizes a new window by the virtual screen, which follows the full screen's
    // shape: a window takes the reference size again (shrunk to the desktop when it must be).
    WorldData* w = GetWorldData();
    if (w && !fullScreen && w->fullScreen) {
        const GameScreenScale& s = GetGameData()->screen;
        w->virtualWidth = static_cast<uint16_t>(std::lround(s.referenceWidth));
        w->virtualHeight = static_cast<uint16_t>(std::lround(s.referenceHeight));
    }
    if (Failed(CManagedWorld::ChangeDisplayMode(className, appName, fullScreen, keepWindow, pMenu)))
        return kStatusFailed;
    Relayout();
    return kStatusOk;
}

Status CNimbrelWorld::ReloadSceneObjects()
{
    // Every scene object lays its elements out again for the new window, once, in index order.
    CObjectsManager* objects = GetObjectsManager();
    if (!objects)
        return kStatusOk;
    for (uint32_t i = 0; i < objects->GetObjectCount(); ++i)
        if (CObjectsBase* object = objects->GetObject(i))
            if (Failed(object->UpdateComponents()))
                return kStatusFailed;
    return kStatusOk;
}

void CNimbrelWorld::DrawText(const float* position, uint32_t color, const float* scale, uint16_t flags,
                             const char16_t* text, uintptr_t world)
{
    auto* pWorld = reinterpret_cast<CNimbrelWorld*>(world);
    if (pWorld && text)
        if (CVornelFont* font = pWorld->GetMainFont())
            font->DrawText(text, position[0], position[1], position[2], flags, color, scale[0], scale[1], nullptr,
                           nullptr, 0);
}
