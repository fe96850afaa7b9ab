#pragma once
// Helpers shared by the layout classes: reading one stored vertex and pointing the texture
// coordinate and normal arrays at a group's base vertex.
#include <cstdint>
#include <cstring>

#include "GLHeaders_GL.h"
#include "Vornel3D/C3DVertexStore.h"

namespace gl_vertex {

inline const float* Floats(const uint8_t* vertex, int32_t offset)
{
    return reinterpret_cast<const float*>(vertex + offset);
}

// The stored colour bytes (R, G, B, A) as the current colour.
inline void SendStoredColor(const uint8_t* vertex, int32_t offset)
{
    const uint8_t* c = vertex + offset;
    glColor4f(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, c[3] / 255.0f);
}

// The second colour (stored as ARGB) as the specular material.
inline void SendSpecular(const uint8_t* vertex, int32_t offset)
{
    uint32_t argb;
    std::memcpy(&argb, vertex + offset, sizeof argb);
    const GLfloat specular[4] = {float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f,
                                 float(argb & 0xFF) / 255.0f, float(argb >> 24) / 255.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
}

inline void TexCoordArray(const C3DVertexStore& store, uint32_t baseVertex, int32_t offset)
{
    if (!store.GetData())
        return;
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, GLsizei(store.GetStride()),
                      store.GetData() + size_t(baseVertex) * store.GetStride() + offset);
}

inline void NormalArray(const C3DVertexStore& store, uint32_t baseVertex)
{
    if (!store.GetData())
        return;
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, GLsizei(store.GetStride()),
                    store.GetData() + size_t(baseVertex) * store.GetStride() + store.NormalOffset());
}

}  // namespace gl_vertex
