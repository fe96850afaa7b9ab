#include "Vornel3D/C3DObjectInMemory.h"

C3DObjectInMemory::C3DObjectInMemory(WorldData* pWorldData, C3DVertexLayout layout, uint32_t conventions)
    : C3DObjectPrivate(pWorldData), m_vertices(layout, conventions)
{
}

C3DObjectInMemory::~C3DObjectInMemory() = default;

void* C3DObjectInMemory::GetVertexData(uint8_t* stride)
{
    if (stride)
        *stride = uint8_t(m_vertices.GetStride());
    return m_vertices.GetData();
}

void C3DObjectInMemory::SetVertex(uint32_t i, float x, float y, float z, uint32_t diffuse, float u, float v,
                                  float nx, float ny, float nz, uint32_t color2)
{
    m_vertices.SetVertex(i, x, y, z, diffuse, u, v, nx, ny, nz, color2);
}

void C3DObjectInMemory::SetVertexPosition(uint32_t i, float x, float y, float z)
{
    m_vertices.SetPosition(i, x, y, z);
}

void C3DObjectInMemory::SetVertexUV0(uint32_t i, float u, float v)
{
    m_vertices.SetUV0(i, u, v);
}

void C3DObjectInMemory::SetVertexUV1(uint32_t i, float u, float v)
{
    m_vertices.SetUV1(i, u, v);
}

void C3DObjectInMemory::SetVertexNormal(uint32_t i, float x, float y, float z)
{
    m_vertices.SetNormal(i, x, y, z);
}

void C3DObjectInMemory::SetVertexColor(uint32_t i, uint32_t argb)
{
    m_vertices.SetColor(i, argb);
}

void C3DObjectInMemory::SetVertexColor2(uint32_t i, uint32_t argb)
{
    m_vertices.SetColor2(i, argb);
}

void C3DObjectInMemory::GetVertex(uint32_t i, C3DVector3* position, uint32_t* diffuse, C3DVector2* uv0,
                                  C3DVector3* normal, uint32_t* color2)
{
    m_vertices.GetVertex(i, position ? &position->x : nullptr, diffuse, uv0 ? &uv0->x : nullptr,
                         normal ? &normal->x : nullptr, color2);
}

C3DVector3 C3DObjectInMemory::GetVertexPosition(uint32_t i)
{
    C3DVector3 p{};
    m_vertices.GetPosition(i, &p.x);
    return p;
}

C3DVector2 C3DObjectInMemory::GetVertexUV0(uint32_t i)
{
    C3DVector2 uv{};
    m_vertices.GetUV0(i, &uv.x);
    return uv;
}

C3DVector2 C3DObjectInMemory::GetVertexUV1(uint32_t i)
{
    C3DVector2 uv{};
    m_vertices.GetUV1(i, &uv.x);
    return uv;
}

C3DVector3 C3DObjectInMemory::GetVertexNormal(uint32_t i)
{
    C3DVector3 n{};
    m_vertices.GetNormal(i, &n.x);
    return n;
}

uint32_t C3DObjectInMemory::GetVertexColor(uint32_t i)
{
    return m_vertices.GetColor(i);
}

uint32_t C3DObjectInMemory::GetVertexColor2(uint32_t i)
{
    return m_vertices.GetColor2(i);
}
