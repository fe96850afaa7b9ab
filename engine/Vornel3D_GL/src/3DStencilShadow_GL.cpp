#include "Vornel3D_GL/C3DStencilShadow_GL.h"

#include "GLHeaders_GL.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "VornelUtils/WorldData.h"

namespace {

// count vertices of three floats as GL_TRIANGLES. The objects leave their colour arrays
// enabled, pointing at their own vertices: only the position array may be read here.
void DrawTriangles(const float* vertices, uint32_t count)
{
    count -= count % 3;
    if (!vertices || count == 0)
        return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(count));
    glPopClientAttrib();
}

void DrawVolume(const C3DShadowCaster& caster)
{
    DrawTriangles(caster.pSides, caster.sideCount);
    if (caster.capCount > 0)
        DrawTriangles(caster.pCaps, caster.capCount);
}

}  // namespace

C3DStencilShadow_GL::C3DStencilShadow_GL(WorldData* pWorldData) : C3DStencilShadow(pWorldData) {}

C3DStencilShadow_GL::~C3DStencilShadow_GL() = default;

Status C3DStencilShadow_GL::Create(uint32_t count, uint32_t color)
{
    // Out of memory is latched as the world's last error by the base.
    return Failed(C3DStencilShadow::Create(count, color)) ? kStatusFailed : kStatusOk;
}

Status C3DStencilShadow_GL::Release()
{
    return Failed(C3DStencilShadow::Release()) ? kStatusFailed : kStatusOk;
}

void C3DStencilShadow_GL::Draw(uint32_t i)
{
    const C3DShadowCaster* caster = GetCaster(i);
    if (!caster || caster->sideCount == 0 || !caster->pSides)
        return;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    C3DView* view = engine ? engine->GetView() : nullptr;

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    if (view)
        view->ApplyPerspective();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    // Only the stencil buffer is written while the volume is drawn.
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_STENCIL_TEST);
    glClear(GL_STENCIL_BUFFER_BIT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 1, 0xFFFFFFFFu);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);

    // Faces of the volume in front of the scene count up, those behind it down: what is left
    // above zero lies inside the volume.
    glFrontFace(GL_CCW);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    DrawVolume(*caster);
    glFrontFace(GL_CW);
    glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
    DrawVolume(*caster);

    // The darkening quad over the whole screen, where the count is not zero.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glStencilFunc(GL_NOTEQUAL, 0, 0xFFFFFFFFu);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glFrontFace(GL_CCW);
    if (view)
        view->ApplyScreenProjection();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f - float(m_nColor >> 24) / 255.0f);
    const GLint width = m_pWorldData ? m_pWorldData->virtualWidth : 0;
    const GLint height = m_pWorldData ? m_pWorldData->virtualHeight : 0;
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(width, 0);
    glVertex2i(width, height);
    glVertex2i(0, height);
    glEnd();
    glPopMatrix();

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);

    if (m_bShowConstruct) {
        if (view)
            view->ApplyPerspective();
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_LIGHT0);
        glDisable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawVolume(*caster);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    glPopMatrix();
}
