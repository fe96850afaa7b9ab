#include "Vornel3D_GL/C3DView_GL.h"

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
    const int32_t displayHeight = m_pWorldData ? m_pWorldData->virtualHeight : 0;
    glScissor(x, displayHeight - y - height, width, height);
    glEnable(GL_SCISSOR_TEST);
    return kStatusOk;
}
