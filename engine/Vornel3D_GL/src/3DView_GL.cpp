#include "Vornel3D_GL/C3DView_GL.h"

#include <cmath>

#include "GLHeaders_GL.h"
#include "VornelUtils/WorldData.h"

C3DView_GL::C3DView_GL(WorldData* pWorldData) : C3DView(pWorldData) {}

C3DView_GL::~C3DView_GL() = default;

Status C3DView_GL::Init()
{
    return kStatusOk;
}

Status C3DView_GL::Release()
{
    return kStatusOk;
}

Status C3DView_GL::ApplyPerspective()
{
    if (!m_pWorldData)
        return kStatusFailed;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m_pWorldData->matrix1);
    return kStatusOk;
}

Status C3DView_GL::ApplyScreenProjection()
{
    if (!m_pWorldData)
        return kStatusFailed;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m_pWorldData->matrix2);
    return kStatusOk;
}

Status C3DView_GL::SetGammaRamp()
{
    return kStatusOk;
}

Status C3DView_GL::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    glViewport(x, y, width, height);
    return kStatusOk;
}

Status C3DView_GL::DisableScissor()
{
    glDisable(GL_SCISSOR_TEST);
    return kStatusOk;
}

Status C3DView_GL::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height)
{
    // The rectangle is in virtual units, the scissor in the window's pixels from its bottom.
    float left = float(x), top = float(y), right = float(x) + float(width), bottom = float(y) + float(height);
    if (m_pWorldData) {
        left *= m_pWorldData->scaleX;
        right *= m_pWorldData->scaleX;
        top *= m_pWorldData->scaleY;
        bottom *= m_pWorldData->scaleY;
    }
    const float windowHeight = m_pWorldData ? float(m_pWorldData->realHeight) : 0.0f;
    const auto whole = [](float v) { return int32_t(std::lround(v)); };
    glScissor(whole(left), whole(windowHeight - bottom), whole(right) - whole(left), whole(bottom) - whole(top));
    glEnable(GL_SCISSOR_TEST);
    return kStatusOk;
}
