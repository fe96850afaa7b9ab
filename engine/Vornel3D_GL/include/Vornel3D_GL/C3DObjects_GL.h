#pragma once
// The four vertex layouts of the OpenGL objects, made by the OpenGL engine's CreateObject by
// kind flag (0x02 normals, 0x04 multi-texture, 0x08 point sprites, 0x10 screen).
//
//   C3DObjectScreen_GL        24 bytes: x, y, z; colour; u, v          (screen projection)
//   C3DObjectPointSprite_GL   16 bytes: x, y, z; colour
//   C3DObjectMultiTextures_GL 48 bytes: x, y, z; nx, ny, nz; colour; colour 2; u, v; u1, v1
//   C3DObjectNormal_GL        40 bytes: x, y, z; nx, ny, nz; colour; colour 2; u, v
#include "Vornel3D_GL/C3DObjectBase_GL.h"

class C3DObjectScreen_GL : public C3DObjectBase_GL {
public:
    explicit C3DObjectScreen_GL(WorldData* pWorldData);
    Status Init() override; // marks the object as a screen object (0x10)
    // The view's screen projection; the own matrix replaces the model-view matrix (pushed).
    void ApplyProjection() override;
    void DrawGroupImmediate(const C3DGroupRecord* record) override;
    void SetTexCoordArray(uint32_t baseVertex) override;
};

class C3DObjectPointSprite_GL : public C3DObjectBase_GL {
public:
    explicit C3DObjectPointSprite_GL(WorldData* pWorldData);
    Status Init() override; // marks the object as a point-sprite object (0x08)
    void DrawGroupImmediate(const C3DGroupRecord* record) override;
};

class C3DObjectMultiTextures_GL : public C3DObjectBase_GL {
public:
    explicit C3DObjectMultiTextures_GL(WorldData* pWorldData);
    void DrawGroupImmediate(const C3DGroupRecord* record) override;
    void SetTexCoordArray(uint32_t baseVertex) override; // coordinate set 0
    void SetNormalArray(uint32_t baseVertex) override;
};

class C3DObjectNormal_GL : public C3DObjectBase_GL {
public:
    explicit C3DObjectNormal_GL(WorldData* pWorldData);
    void DrawGroupImmediate(const C3DGroupRecord* record) override;
    void SetTexCoordArray(uint32_t baseVertex) override;
    void SetNormalArray(uint32_t baseVertex) override;
};
