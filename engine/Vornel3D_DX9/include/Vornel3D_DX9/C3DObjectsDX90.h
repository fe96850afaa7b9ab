#pragma once
// The four object kinds of the Direct3D 9 engine, made by CreateObject by kind flag (0x02
// normals, 0x04 multi-texture, 0x08 point sprites, 0x10 screen). They differ only in vertex
// format:
//
//   C3DObjectDX90Screen        24 bytes, FVF 0x142: x, y, z; colour; u, v   (screen projection)
//   C3DObjectDX90Normal        40 bytes, FVF 0x1D2: x, y, z; nx, ny, nz; colour; specular; u, v
//   C3DObjectDX90MultiTextures 48 bytes, FVF 0x2D2: as Normal, then a second u, v
//   C3DObjectDX90PointSprite   no geometry: Create only logs, and it draws nothing
#include "Vornel3D_DX9/C3DObjectBase_DX90.h"

class C3DObjectDX90Screen : public C3DObjectBase_DX90 {
public:
    explicit C3DObjectDX90Screen(WorldData* pWorldData);
    Status Init() override; // marks the object as a screen object (0x10)
    void ApplyProjection() override; // the view's screen projection
};

class C3DObjectDX90Normal : public C3DObjectBase_DX90 {
public:
    explicit C3DObjectDX90Normal(WorldData* pWorldData);
};

class C3DObjectDX90MultiTextures : public C3DObjectBase_DX90 {
public:
    explicit C3DObjectDX90MultiTextures(WorldData* pWorldData);
};

class C3DObjectDX90PointSprite : public C3DObjectBase_DX90 {
public:
    explicit C3DObjectDX90PointSprite(WorldData* pWorldData);
    Status Init() override; // marks the object as a point-sprite object (0x08)
    // Logs "# C3DObjectDX90PointSprite::InitConstruct not implemented !\n"; 0.
    Status Create(uint32_t groups, uint32_t vertices, uint32_t indices) override;
    Status Lock(uint32_t lockVertices, uint32_t lockIndices) override; // nothing
};
