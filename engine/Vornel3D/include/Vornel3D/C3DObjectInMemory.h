#pragma once
// Vertices kept in system memory, in a C3DVertexStore: the common part of the renderers'
// object classes (and of the test back end's). Every vertex accessor reads or writes the store;
// the store's conventions (colour byte order, flipped v) are the renderer's choice. Init,
// Create and Release stay with the renderer, which sizes and frees the store from them.
#include <cstdint>

#include "Vornel3D/C3DObjectPrivate.h"
#include "Vornel3D/C3DVertexStore.h"

class C3DObjectInMemory : public C3DObjectPrivate {
public:
    ~C3DObjectInMemory() override;

    void* GetVertexData(uint8_t* stride) override;

    void SetVertex(uint32_t i, float x, float y, float z, uint32_t diffuse, float u, float v, float nx, float ny,
                   float nz, uint32_t color2) override;
    void SetVertexPosition(uint32_t i, float x, float y, float z) override;
    void SetVertexUV0(uint32_t i, float u, float v) override;
    void SetVertexUV1(uint32_t i, float u, float v) override;
    void SetVertexNormal(uint32_t i, float x, float y, float z) override;
    void SetVertexColor(uint32_t i, uint32_t argb) override;
    void SetVertexColor2(uint32_t i, uint32_t argb) override;
    // Fields the layout lacks come back as zeros.
    void GetVertex(uint32_t i, C3DVector3* position, uint32_t* diffuse, C3DVector2* uv0, C3DVector3* normal,
                   uint32_t* color2) override;
    C3DVector3 GetVertexPosition(uint32_t i) override;
    C3DVector2 GetVertexUV0(uint32_t i) override;
    C3DVector2 GetVertexUV1(uint32_t i) override;
    C3DVector3 GetVertexNormal(uint32_t i) override;
    uint32_t GetVertexColor(uint32_t i) override;
    uint32_t GetVertexColor2(uint32_t i) override;

    const C3DVertexStore& GetVertexStore() const { return m_vertices; }

protected:
    C3DObjectInMemory(WorldData* pWorldData, C3DVertexLayout layout, uint32_t conventions);

    C3DVertexStore m_vertices;
};
