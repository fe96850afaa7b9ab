#pragma once
// A renderer back end that keeps everything in memory, for tests of the 3D core: objects keep
// their vertices in the engine's vertex store, textures keep their pixels, and every draw is
// logged (object, group, stage-0 texture, matrix, colour). Faults can be injected into Init,
// Create and allocation. It is not a registered module.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DObjectInMemory.h"
#include "Vornel3D/C3DShader.h"
#include "Vornel3D/C3DStencilShadow.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DVertexStore.h"
#include "VornelUtils/WorldData.h"

// What to make fail. Each switch stays on until cleared.
struct CMemoryFaults {
    bool objectInit = false;      // C3DObject::Init of new objects
    bool objectCreate = false;    // C3DObject::Create
    bool indexInit = false;
    bool textureInit = false;
    bool shaderInit = false;
    bool shadowCreate = false;
    bool allocation = false;      // every factory's allocation
    bool vertexAllocation = false; // the vertex store of an object's Create
};

struct CMemoryDraw {
    const C3DObject* object;
    uint32_t group;
    const C3DTexture* texture; // stage 0, null for none
    std::u16string textureName;
    float matrix[16];
    uint32_t color;
};

class CMemoryEngine;

class CMemoryObject : public C3DObjectInMemory {
public:
    CMemoryObject(WorldData* pWorldData, C3DVertexLayout layout);
    ~CMemoryObject() override;

    Status Init() override;
    Status Release() override;
    Status Create(uint32_t groups, uint32_t vertices, uint32_t indices) override;
    Status Unlock(uint32_t value) override;
    Status Upload() override;
    void Draw() override;
    void DrawEx(uint32_t position) override;

    int GetUploadCount() const { return m_nUploads; }

private:
    CMemoryEngine* MemoryEngine() const;
    void DrawPosition(uint32_t position);

    int m_nUploads = 0;
};

class CMemoryTexture : public C3DTexture {
public:
    explicit CMemoryTexture(WorldData* pWorldData) : C3DTexture(pWorldData) {}

    Status Init() override;
    Status Release() override;
    Status MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                       const char16_t* name) override;
    // Rewrites the pixels kept (the size must be the texture's).
    Status UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels) override;

    const std::vector<uint8_t>& GetPixels() const { return m_pixels; }
    int GetUpdateCount() const { return m_nUpdates; }

private:
    std::vector<uint8_t> m_pixels;
    int m_nUpdates = 0;
};

class CMemoryEngine : public C3DEngine {
public:
    explicit CMemoryEngine(WorldData* pWorldData) : C3DEngine(pWorldData) {}

    Status SetLight(uint32_t index) override;
    Status SetPointSpriteParameters() override { return kStatusOk; }
    Status SetFog() override { return kStatusOk; }
    Status SetSrcBlend(uint32_t) override { return kStatusOk; }
    Status SetDestBlend(uint32_t) override { return kStatusOk; }
    Status SetDepthFunc(uint32_t) override { return kStatusOk; }
    Status SetAlphaFunc(uint32_t, uint8_t) override { return kStatusOk; }
    Status SetColorMask(uint8_t, uint8_t, uint8_t, uint8_t) override { return kStatusOk; }

    C3DObject* CreateObject(uint32_t flags, uint32_t second) override;
    Status ReleaseObject(C3DObject* pObject) override;
    C3DObjectIndex* CreateObjectIndex(uint32_t count, uint32_t kind) override;
    Status ReleaseObjectIndex(C3DObjectIndex* pIndex) override;
    C3DTexture* CreateTexture(uint32_t flags, uint32_t second) override;
    Status ReleaseTexture(C3DTexture* pTexture, uint8_t direct) override;
    C3DShader* CreateShader(uint32_t flags, uint32_t second) override;
    Status ReleaseShader(C3DShader* pShader) override;
    C3DStencilShadow* CreateStencilShadow(uint32_t count, uint32_t color) override;
    Status ReleaseStencilShadow(C3DStencilShadow* pShadow) override;
    Status IsStencilSupported() override { return kStatusOk; }
    Status IsShaderSupported() override { return kStatusOk; }

    CMemoryFaults faults;
    std::vector<CMemoryDraw> draws;
    std::vector<std::u16string> leakLines;
    std::vector<uint32_t> lightsSet;

protected:
    void ReportLeak(const char16_t* line) override;
};

// A world data record with a maths object and a memory engine, as a world would set them up.
struct CMemoryWorld {
    CMemoryWorld();
    ~CMemoryWorld();

    std::unique_ptr<WorldData> data;
    std::unique_ptr<C3DMath> math;
    std::unique_ptr<CMemoryEngine> engine;
};

// An uncompressed 24-bit TGA image of width x height pixels, every pixel (r, g, b).
std::vector<uint8_t> MemoryTga(uint16_t width, uint16_t height, uint8_t r, uint8_t g, uint8_t b);
