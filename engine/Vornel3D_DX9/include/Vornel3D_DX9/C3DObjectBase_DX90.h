#pragma once
// The Direct3D 9 side of the 3D object, between C3DObjectPrivate and the four kinds that the
// Direct3D 9 engine creates by kind flag (C3DObjectsDX90.h). The vertices are edited in system
// memory in Direct3D's own layout (colours as ARGB words, v from the top) and copied into a
// device vertex buffer in D3DPOOL_SYSTEMMEM when an edit ends, so that nothing has to be
// rebuilt after a device reset. Each object records the device states of its draws in a state
// block, the one device resource that a lost device takes away (Invalidate drops it, Restore
// records it again).
//
// Draws go group by group: the group record at position i names the group j whose range,
// material, textures and face mode are drawn, while record i is handed to the index buffer.
// A group whose range reaches past the index list or past the vertices draws nothing, and
// nothing at all is drawn while the device is lost.
#include <cstdint>

#include <d3d9.h>

#include "Vornel3D/C3DObjectInMemory.h"

// Vertex layout codes of the kinds.
constexpr uint32_t kDX9LayoutNormals = 1;
constexpr uint32_t kDX9LayoutMultiTexture = 2;
constexpr uint32_t kDX9LayoutScreen = 4;
// The vertex buffer's usage: D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY.
constexpr uint32_t kDX9VertexUsage = 0x208;

class C3DObjectBase_DX90 : public C3DObjectInMemory {
public:
    // One kind's vertex format: size in bytes, FVF code and layout code.
    struct Format {
        C3DVertexLayout layout;
        uint32_t size;
        uint32_t fvf;
        uint32_t code;
    };

    C3DObjectBase_DX90(WorldData* pWorldData, const Format& format);
    // Releases the vertex buffer and the state block.
    ~C3DObjectBase_DX90() override;

    Status Init() override; // the base Init, then the usage word
    // The vertex buffer and the state block, then the base release; 0 or 0x80000001.
    Status Release() override;
    void Draw() override;
    void DrawEx(uint32_t position) override;
    void DrawGeometry() override;
    void DrawGroupGeometry(uint32_t position) override;
    void PrepareGroup(uint32_t position) override;
    void DrawGroup(uint32_t position) override;
    // Point size, cull mode and the indexed draw of the group, as its record gives them.
    void DrawPreparedGroup(uint32_t group, uint32_t firstIndex, uint32_t primitiveCount, uint32_t type,
                           uint32_t faceMode) override;
    // The object's base Create, the vertices in memory, then the device vertex buffer
    // (vertex count x size, usage word, FVF, D3DPOOL_SYSTEMMEM); 0 or 0x80000001.
    Status Create(uint32_t groups, uint32_t vertices, uint32_t indices) override;
    // Ends an edit (normals, Upload with a non-zero value), copies the vertices into the
    // device buffer, then unlocks the index buffer and returns its result.
    Status Unlock(uint32_t value) override;
    // Records the object's state block from its creation word. 0.
    Status Upload() override;
    // Applies the state block, the texture factor and the current shader's constants.
    void SetShaderConstants() override;
    Status Restore(uint32_t value) override;    // Upload; 0
    Status Invalidate(uint32_t value) override; // drops the state block; 0

    uint32_t GetVertexSize() const { return m_format.size; }
    uint32_t GetFVF() const { return m_format.fvf; }
    uint32_t GetLayoutCode() const { return m_format.code; }
    uint32_t GetUsage() const { return m_nUsage; }
    IDirect3DVertexBuffer9* GetVertexBuffer() const { return m_pVertexBuffer; }
    IDirect3DStateBlock9* GetStateBlock() const { return m_pStateBlock; }

    // The device primitive of a group type code; 0 (no primitive) for a code above 5.
    static D3DPRIMITIVETYPE PrimitiveType(uint32_t type);
    // The cull mode of a face mode: 0 none, 1 (clockwise front) culls anticlockwise faces,
    // 2 culls clockwise faces.
    static D3DCULL CullMode(uint32_t faceMode);
    // Indices drawn for `primitives` primitives of a type; 0 for an unknown type.
    static uint32_t DrawCount(uint32_t type, uint32_t primitives);

protected:
    // Steps shared by the draws: the own states (creation word 0x400) when asked, the render
    // states, projection, world transform and vertex stream. False when nothing may be drawn.
    bool BeginDraw(bool ownStates, bool renderStates, bool pointSize);
    // The material of group `material`, the textures of group `textures` and the index
    // selection of the record at `position`; false when the indices could not be selected.
    bool PrepareGroupOf(uint32_t position, uint32_t material, uint32_t textures);
    // The indexed draw of record j, when the object has both its buffers and the record's range
    // lies inside the index list and vertices.
    void DrawRecord(const C3DGroupRecord& record, bool cull);
    void ReleaseStateBlock();
    void ReleaseVertexBuffer();
    // The device vertex buffer filled from the vertices in memory.
    Status CopyVerticesToDevice();

    IDirect3DDevice9* Device() const;

    Format m_format;
    IDirect3DVertexBuffer9* m_pVertexBuffer = nullptr;
    uint32_t m_nUsage = 0;
    IDirect3DStateBlock9* m_pStateBlock = nullptr;
};
