#include "3DObjectArrays_GL.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DObjects_GL.h"

C3DObjectMultiTextures_GL::C3DObjectMultiTextures_GL(WorldData* pWorldData)
    : C3DObjectBase_GL(pWorldData, C3DVertexLayout::MultiTexture)
{
}

void C3DObjectMultiTextures_GL::DrawGroupImmediate(const C3DGroupRecord* record)
{
    if (!record)
        return;
    const int32_t color = m_vertices.ColorOffset(), color2 = m_vertices.Color2Offset();
    const int32_t uv0 = m_vertices.UV0Offset(), uv1 = m_vertices.UV1Offset(), normal = m_vertices.NormalOffset();
    glBegin(GLenum(C3DObjectIndex_GL::PrimitiveMode(record->type)));
    ForEachRecordVertex(record, [&](const uint8_t* vertex) {
        gl_vertex::SendStoredColor(vertex, color);
        const float* t0 = gl_vertex::Floats(vertex, uv0);
        const float* t1 = gl_vertex::Floats(vertex, uv1);
        SendTexCoords(t0[0], t0[1], t1[0], t1[1]);
        gl_vertex::SendSpecular(vertex, color2);
        glNormal3fv(gl_vertex::Floats(vertex, normal));
        glVertex3fv(gl_vertex::Floats(vertex, 0));
    });
    glEnd();
}

void C3DObjectMultiTextures_GL::SetTexCoordArray(uint32_t baseVertex)
{
    gl_vertex::TexCoordArray(m_vertices, baseVertex, m_vertices.UV0Offset());
}

void C3DObjectMultiTextures_GL::SetNormalArray(uint32_t baseVertex)
{
    gl_vertex::NormalArray(m_vertices, baseVertex);
}
