#pragma once
// The OpenGL side of the 3D object, between C3DObjectInMemory and the four vertex-layout
// classes that the OpenGL engine creates by kind (C3DObjects_GL.h). Vertices stay in system
// memory with colours stored as R, G, B, A bytes (given and returned as ARGB) and every v
// stored as 1 - v. Drawing uses the fixed-function pipeline: each group is compiled into a
// display list when the geometry is final (Unlock with rebuild), and objects whose colour is
// set per draw (flags 0x20000) draw from client vertex arrays with indexed draws instead.
#include <cstdint>

#include "Vornel3D/C3DObjectInMemory.h"

class C3DObjectIndex_GL;

class C3DObjectBase_GL : public C3DObjectInMemory {
public:
    C3DObjectBase_GL(WorldData* pWorldData, C3DVertexLayout layout);
    ~C3DObjectBase_GL() override;

    Status Init() override;
    // Frees the vertices, then the object's base release.
    Status Release() override;
    // The view's perspective, then the own matrix multiplied onto the model-view matrix
    // (pushed; RestoreTransform pops it).
    void ApplyProjection() override;
    void Draw() override;
    void DrawEx(uint32_t position) override;
    void DrawGeometry() override;
    void DrawGroupGeometry(uint32_t position) override;
    void PrepareGroup(uint32_t position) override;
    void DrawGroup(uint32_t position) override;
    void DrawPreparedGroup(uint32_t group, uint32_t firstIndex, uint32_t primitiveCount, uint32_t type,
                           uint32_t faceMode) override;
    void FinishGroup(uint32_t value) override;
    // The object's base Create, then the vertex array (out of memory: 0x80000002, latched).
    Status Create(uint32_t groups, uint32_t vertices, uint32_t indices) override;
    // Ends an edit; with rebuild (and without per-draw colour) compiles one display list per
    // group, then unlocks the index object.
    Status Unlock(uint32_t rebuild) override;
    // Applies the object's render states from its creation word. 0.
    Status Upload() override;
    void SetShaderConstants() override; // Upload

    // Outputs for fields the layout lacks are left as the caller had them.
    void GetVertex(uint32_t i, C3DVector3* position, uint32_t* diffuse, C3DVector2* uv0, C3DVector3* normal,
                   uint32_t* color2) override;

    // ---- the OpenGL operations behind the object's table --------------------------------
    virtual void RestoreTransform();    // pops the model-view matrix
    virtual void RestoreRenderStates(); // depth test LESS with writes, single-colour lighting
    // The group sent vertex by vertex between glBegin and glEnd (compiled into its list).
    virtual void DrawGroupImmediate(const C3DGroupRecord* record) = 0;
    virtual void SetVertexArray(uint32_t baseVertex);
    virtual void SetTexCoordArray(uint32_t baseVertex); // base: array off
    virtual void ReservedGL0();
    virtual void SetNormalArray(uint32_t baseVertex);   // base: array off
    virtual void SetColorArray(uint32_t baseVertex);
    virtual void ReservedGL1();

    // Culling of a face mode: 0 none (front GL_CW), 1 culling with front GL_CW, 2 culling with
    // front GL_CCW; the culled face is GL_BACK.
    static void SetFaceMode(uint32_t mode);

protected:
    // The record of the group drawn at `position` (the record there names the group); null
    // when either record is missing. *group receives the group's number.
    const C3DGroupRecord* GroupDrawnAt(uint32_t position, uint32_t* group) const;
    // The start of one group's draw: the object's own render states (creation word 0x400), the
    // projection, then the group's face mode.
    void BeginGroupDraw(const C3DGroupRecord& record);
    // The end of a draw: the render states back (creation word 0x400), the transform popped.
    void EndDraw();
    // The display-list table of the index object in use, null without one.
    C3DObjectIndex_GL* DisplayLists() const;
    // The geometry of group g: its list, or the client arrays and an indexed draw.
    void DrawGroupGeometryOf(uint32_t g);
    // The indexed draw from the client arrays (after they are set), when the group's indices
    // stay inside the vertex array.
    void DrawGroupFromArrays(const C3DGroupRecord& record);
    void SelectGroupTextures(uint32_t g);
    void DisableTextureUnits();
    void SendObjectColor();
    // Calls emit(vertex bytes) for each index of the record (index object locked), skipping
    // indices outside the vertex array.
    template <typename Emit> void ForEachRecordVertex(const C3DGroupRecord* record, Emit emit);
    // Immediate texture coordinates: on units 0 and 1 (creation word 0x1000, with texture
    // units) or on the current unit.
    void SendTexCoords(float u0, float v0, float u1, float v1);
    bool MultiTexture() const;
};

template <typename Emit> void C3DObjectBase_GL::ForEachRecordVertex(const C3DGroupRecord* record, Emit emit)
{
    if (!record || !m_pIndex)
        return;
    const uint8_t* data = m_vertices.GetData();
    const uint32_t stride = m_vertices.GetStride();
    const uint32_t count = m_vertices.GetCount();
    for (uint32_t i = 0; i < record->indexCount; ++i) {
        const uint64_t v = uint64_t(m_pIndex->GetIndex(record->firstIndex + i)) + record->baseVertex;
        if (data && v < count)
            emit(data + size_t(v) * stride);
    }
}
