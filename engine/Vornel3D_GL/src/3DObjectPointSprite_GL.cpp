#include "3DObjectArrays_GL.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DObjects_GL.h"

C3DObjectPointSprite_GL::C3DObjectPointSprite_GL(WorldData* pWorldData)
    : C3DObjectBase_GL(pWorldData, C3DVertexLayout::PointSprite)
{
}

Status C3DObjectPointSprite_GL::Init()
{
    m_nFlags |= k3DObjectPointSprite;
    return C3DObjectBase_GL::Init();
}

void C3DObjectPointSprite_GL::DrawGroupImmediate(const C3DGroupRecord* record)
{
    if (!record)
        return;
    const int32_t color = m_vertices.ColorOffset();
    glBegin(GLenum(C3DObjectIndex_GL::PrimitiveMode(record->type)));
    ForEachRecordVertex(record, [&](const uint8_t* vertex) {
        gl_vertex::SendStoredColor(vertex, color);
        glVertex3fv(gl_vertex::Floats(vertex, 0));
    });
    glEnd();
}
