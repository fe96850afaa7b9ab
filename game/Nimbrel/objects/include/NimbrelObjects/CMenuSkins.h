#pragma once
// The menu's button and dialog frames: small textured meshes on the 3D engine, each quad with a
// texture of its own. A button is three quads (left cap, body, right cap); a dialog frame nine
// (upper-left, upper, upper-right, left, body, right, lower-left, lower, lower-right). Corners
// keep the border's size; edges and body stretch, or with repeat tile their texture at its own
// pixel size. Corners fall on whole pixels: snap(v) = ceil(v - 0.5).
//
// Life: construct -> Build (the textures, once; again replaces the mesh) -> SetRect whenever
// the rectangle changes -> Draw -> Release -> delete.
#include <cstdint>

#include "Vornel3D/C3DTransform.h"
#include "VornelUtils/Status.h"

class C3DObject;
class C3DTexture;

constexpr uint32_t kButtonSkinParts = 3;
constexpr uint32_t kDialogSkinParts = 9;

// Whole pixels: ceil(v - 0.5).
float SnapToPixel(float v);

class CMenuSkin : public C3DTransform {
public:
    CMenuSkin(WorldData* pWorldData, uint32_t parts);
    ~CMenuSkin() override;

    // Hands the mesh back to the engine (also when there is none) and forgets it. 0.
    virtual Status Release();
    // The mesh in the skin's colour and transform; kStatusFailed before Build.
    virtual Status Draw();
    virtual void SetAlpha(uint8_t alpha) { m_color = (m_color & 0xFFFFFFu) | uint32_t(alpha) << 24; }
    virtual void SetColor(uint32_t argb) { m_color = argb; }
    // The mesh made through the engine with one quad a part, texture i on part i (a table of
    // parts textures). kStatusFailed when the engine makes no mesh.
    virtual Status Build(C3DTexture** textures);
    // Stores the size and writes the quads centred on the skin's origin; the snapped rectangle
    // {left, top, right, bottom} goes to pOut. `word` is every vertex's colour word.
    virtual void SetRect(float* pOut, float width, float height, float border, uint32_t word, uint8_t repeat) = 0;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    uint32_t GetColor() const { return m_color; }
    C3DObject* GetObject() const { return m_pObject; }

protected:
    // The snapped corners (also to pOut when given) and border, the size stored. False
    // without a mesh.
    bool Snap(float* pOut, float width, float height, float border, float* pCorners, float* pBorder);
    // How many times a part's texture fits along a length at its pixel size (at least once);
    // 1 without repeat.
    float Repeats(uint32_t part, float length, bool vertical, uint8_t repeat) const;
    // Part i's quad: (left, top) to (right, bottom), texture 0..u across and 0..v down.
    void SetQuad(uint32_t part, float left, float top, float right, float bottom, float u, float v, uint32_t word);

    uint32_t m_color = 0xFFFFFFFFu;
    int32_t m_width = 0;
    int32_t m_height = 0;
    C3DObject* m_pObject = nullptr;
    uint32_t m_parts;
};

class CMenuButtonSkin : public CMenuSkin {
public:
    explicit CMenuButtonSkin(WorldData* pWorldData) : CMenuSkin(pWorldData, kButtonSkinParts) {}
    void SetRect(float* pOut, float width, float height, float border, uint32_t word, uint8_t repeat) override;
};

class CMenuDialogSkin : public CMenuSkin {
public:
    explicit CMenuDialogSkin(WorldData* pWorldData) : CMenuSkin(pWorldData, kDialogSkinParts) {}
    void SetRect(float* pOut, float width, float height, float border, uint32_t word, uint8_t repeat) override;
};
