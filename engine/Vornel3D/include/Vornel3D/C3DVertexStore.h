#pragma once
// The vertices of one 3D object kept in system memory: a zero-filled array of fixed-stride
// records in one of the four vertex layouts that the renderers' object classes use. Every
// accessor checks the vertex number against the count: a setter out of range does nothing, a
// getter out of range answers zeros, so a bad index from a file never touches memory.
//
// Two storage conventions can be chosen per store (the OpenGL classes use both):
// - kStoreColorRGBA: colours are given and returned as ARGB, but stored with red and blue
//   exchanged, so that the bytes in memory read R, G, B, A. The second colour is always
//   stored as given.
// - kStoreFlipV: every v coordinate is stored as 1 - v and returned as 1 - stored value.
#include <cstdint>

#include "VornelUtils/Status.h"

struct WorldData;

enum class C3DVertexLayout : uint8_t {
    Screen,        // 24 bytes: x, y, z; colour; u, v
    PointSprite,   // 16 bytes: x, y, z; colour
    MultiTexture,  // 48 bytes: x, y, z; nx, ny, nz; colour; colour 2; u, v of set 0; u, v of set 1
    Normal,        // 40 bytes: x, y, z; nx, ny, nz; colour; colour 2; u, v
};

class C3DVertexStore {
public:
    static constexpr uint32_t kStoreColorRGBA = 0x1;
    static constexpr uint32_t kStoreFlipV = 0x2;
    static constexpr int32_t kNoField = -1;

    explicit C3DVertexStore(C3DVertexLayout layout, uint32_t conventions = 0);
    ~C3DVertexStore();

    C3DVertexStore(const C3DVertexStore&) = delete;
    C3DVertexStore& operator=(const C3DVertexStore&) = delete;

    // Replaces the array with `count` zero-filled vertices. Out of memory: the store is left
    // empty, the world's last error becomes 0x80000002 (when a record is given) and that
    // status is returned.
    Status Create(uint32_t count, WorldData* pWorldData = nullptr);
    // Frees the array; the store is empty afterwards.
    void Release();

    C3DVertexLayout GetLayout() const { return m_layout; }
    uint32_t GetConventions() const { return m_conventions; }
    uint32_t GetCount() const { return m_count; }
    uint32_t GetStride() const;
    uint8_t* GetData() const { return m_pData; }

    // Byte offsets of the fields inside one vertex, kNoField when the layout lacks the field.
    int32_t PositionOffset() const { return 0; }
    int32_t NormalOffset() const;
    int32_t ColorOffset() const;
    int32_t Color2Offset() const;
    int32_t UV0Offset() const;
    int32_t UV1Offset() const;

    bool HasNormal() const { return NormalOffset() != kNoField; }
    bool HasColor2() const { return Color2Offset() != kNoField; }
    bool HasUV0() const { return UV0Offset() != kNoField; }
    bool HasUV1() const { return UV1Offset() != kNoField; }

    // Every field that the layout has; set 1 of the texture coordinates receives (u, v) too.
    void SetVertex(uint32_t i, float x, float y, float z, uint32_t diffuse, float u, float v, float nx,
                   float ny, float nz, uint32_t color2);
    void SetPosition(uint32_t i, float x, float y, float z);
    void SetNormal(uint32_t i, float x, float y, float z);
    void SetColor(uint32_t i, uint32_t argb);
    void SetColor2(uint32_t i, uint32_t argb);
    void SetUV0(uint32_t i, float u, float v);
    void SetUV1(uint32_t i, float u, float v);

    // Each output that is not null receives the field (zeros when the layout lacks it).
    void GetVertex(uint32_t i, float* position3, uint32_t* diffuse, float* uv2, float* normal3,
                   uint32_t* color2) const;
    void GetPosition(uint32_t i, float* out3) const;
    void GetNormal(uint32_t i, float* out3) const;
    uint32_t GetColor(uint32_t i) const;
    uint32_t GetColor2(uint32_t i) const;
    void GetUV0(uint32_t i, float* out2) const;
    void GetUV1(uint32_t i, float* out2) const;

    // ARGB <-> the stored form of the colour under this store's conventions.
    uint32_t ColorToStored(uint32_t argb) const;
    uint32_t ColorFromStored(uint32_t stored) const;

private:
    uint8_t* Field(uint32_t i, int32_t offset) const;
    void WriteFloats(uint32_t i, int32_t offset, const float* values, int count);
    void ReadFloats(uint32_t i, int32_t offset, float* values, int count) const;
    void WriteUV(uint32_t i, int32_t offset, float u, float v);
    void ReadUV(uint32_t i, int32_t offset, float* out2) const;

    C3DVertexLayout m_layout;
    uint32_t m_conventions;
    uint32_t m_count = 0;
    uint8_t* m_pData = nullptr;
};
