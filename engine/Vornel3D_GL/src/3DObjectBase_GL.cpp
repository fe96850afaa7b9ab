// Vertex storage and client arrays of the OpenGL objects.
#include "Vornel3D_GL/C3DObjectBase_GL.h"

#include "GLHeaders_GL.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/GLContext_GL.h"
#include "VornelUtils/WorldData.h"

C3DObjectBase_GL::C3DObjectBase_GL(WorldData* pWorldData, C3DVertexLayout layout)
    : C3DObjectInMemory(pWorldData, layout, C3DVertexStore::kStoreColorRGBA | C3DVertexStore::kStoreFlipV)
{
}

C3DObjectBase_GL::~C3DObjectBase_GL() = default;

Status C3DObjectBase_GL::Init()
{
    return C3DObject::Init();
}

Status C3DObjectBase_GL::Release()
{
    m_vertices.Release();
    return Failed(C3DObject::Release()) ? kStatusFailed : kStatusOk;
}

Status C3DObjectBase_GL::Create(uint32_t groups, uint32_t vertices, uint32_t indices)
{
    if (Failed(C3DObject::Create(groups, vertices, indices)))
        return kStatusFailed;
    return m_vertices.Create(vertices, m_pWorldData);
}

bool C3DObjectBase_GL::MultiTexture() const
{
    const C3DGLContext* context = GLContextFromWorld(m_pWorldData);
    return context && context->features.multiTexture;
}

C3DObjectIndex_GL* C3DObjectBase_GL::DisplayLists() const
{
    return GLIndexOf(m_pIndex);
}

// ---- vertices ---------------------------------------------------------------------------

void C3DObjectBase_GL::GetVertex(uint32_t i, C3DVector3* position, uint32_t* diffuse, C3DVector2* uv0,
                                 C3DVector3* normal, uint32_t* color2)
{
    // Outputs for fields the layout lacks are left as the caller had them.
    m_vertices.GetVertex(i, position ? &position->x : nullptr, diffuse,
                         uv0 && m_vertices.HasUV0() ? &uv0->x : nullptr,
                         normal && m_vertices.HasNormal() ? &normal->x : nullptr,
                         m_vertices.HasColor2() ? color2 : nullptr);
}

// ---- client arrays ----------------------------------------------------------------------
// Each array points at the group's base vertex inside the vertex array, in place.

void C3DObjectBase_GL::SetVertexArray(uint32_t baseVertex)
{
    if (!m_vertices.GetData())
        return;
    const uint8_t* vertex = m_vertices.GetData() + size_t(baseVertex) * m_vertices.GetStride();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, GLsizei(m_vertices.GetStride()), vertex + m_vertices.PositionOffset());
}

void C3DObjectBase_GL::SetColorArray(uint32_t baseVertex)
{
    if (!m_vertices.GetData())
        return;
    const uint8_t* vertex = m_vertices.GetData() + size_t(baseVertex) * m_vertices.GetStride();
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, GLsizei(m_vertices.GetStride()), vertex + m_vertices.ColorOffset());
}

void C3DObjectBase_GL::SetTexCoordArray(uint32_t)
{
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void C3DObjectBase_GL::SetNormalArray(uint32_t)
{
    glDisableClientState(GL_NORMAL_ARRAY);
}

void C3DObjectBase_GL::ReservedGL0() {}

void C3DObjectBase_GL::ReservedGL1() {}

void C3DObjectBase_GL::SendTexCoords(float u0, float v0, float u1, float v1)
{
    if ((m_nCreation & k3DDrawTextures) && MultiTexture()) {
        glMultiTexCoord2fARB(GL_TEXTURE0, u0, v0);
        glMultiTexCoord2fARB(GL_TEXTURE1, u1, v1);
    } else {
        glTexCoord2f(u0, v0);
    }
}
