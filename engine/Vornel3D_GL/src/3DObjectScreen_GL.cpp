#include "3DObjectArrays_GL.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DObjects_GL.h"

C3DObjectScreen_GL::C3DObjectScreen_GL(WorldData* pWorldData) : C3DObjectBase_GL(pWorldData, C3DVertexLayout::Screen)
{
}

Status C3DObjectScreen_GL::Init()
{
    m_nFlags |= k3DObjectScreen;
    return C3DObjectBase_GL::Init();
}

void C3DObjectScreen_GL::ApplyProjection()
{
    C3DEngine* engine = Engine();
    if (C3DView* view = engine ? engine->GetView() : nullptr)
        view->ApplyScreenProjection();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (m_pMatrix)
        glLoadMatrixf(m_pMatrix);
}

void C3DObjectScreen_GL::DrawGroupImmediate(const C3DGroupRecord* record)
{
    if (!record)
        return;
    const int32_t color = m_vertices.ColorOffset();
    const int32_t uv = m_vertices.UV0Offset();
    glBegin(GLenum(C3DObjectIndex_GL::PrimitiveMode(record->type)));
    ForEachRecordVertex(record, [&](const uint8_t* vertex) {
        gl_vertex::SendStoredColor(vertex, color);
        const float* t = gl_vertex::Floats(vertex, uv);
        SendTexCoords(t[0], t[1], t[0], t[1]);
        glNormal3f(0.0f, 0.0f, 0.0f);
        glVertex3fv(gl_vertex::Floats(vertex, 0));
    });
    glEnd();
}

void C3DObjectScreen_GL::SetTexCoordArray(uint32_t baseVertex)
{
    gl_vertex::TexCoordArray(m_vertices, baseVertex, m_vertices.UV0Offset());
}
