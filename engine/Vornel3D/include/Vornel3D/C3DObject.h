#pragma once
// The renderer-independent mesh object: a transform, vertices that the renderer's class keeps,
// an index buffer with draw groups, up to four textures and one material per group, an object
// colour, and the loading and saving of whole models through a raw model (C3DObjectRaw.h).
//
// Its virtual table is the interface every mesh class implements: C3DObjectPrivate fills the
// editing, texture and shape operations, the renderers' object classes fill drawing, vertex
// storage and device resources. Objects are created and released only through the 3D engine
// (C3DEngine::CreateObject / ReleaseObject).
//
// Edits are bracketed by Lock and Unlock; a renderer's Unlock ends with the index buffer's.
#include <cstdint>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DTransform.h"
#include "VornelUtils/Status.h"
#include "VornelUtils/WorldData.h"

class C3DEngine;
class C3DTexture;
class C3DObjectRaw;

// Flags-word bits.
constexpr uint32_t k3DObjectNormals = 0x02;        // kind: normals, two colours, one coordinate set
constexpr uint32_t k3DObjectMultiTexture = 0x04;   // kind: two coordinate sets
constexpr uint32_t k3DObjectPointSprite = 0x08;    // kind: point sprites
constexpr uint32_t k3DObjectScreen = 0x10;         // kind: screen-space quads and sprites
constexpr uint32_t k3DObjectKindMask = 0x1E;
constexpr uint32_t k3DObjectFaceNormalsPending = 0x2000;
constexpr uint32_t k3DObjectSmoothNormalsPending = 0x4000;
constexpr uint32_t k3DObjectIndex16 = 0x8000;      // force 16-bit indices
constexpr uint32_t k3DObjectIndex32 = 0x10000;     // 32-bit indices
constexpr uint32_t k3DObjectColorAtDraw = 0x20000; // the object colour applies at draw

// Creation-word bits (the second word given to the engine's CreateObject).
constexpr uint32_t k3DDrawLights = 0x01;
constexpr uint32_t k3DDrawLighting = 0x02;
constexpr uint32_t k3DDrawFog = 0x04;
constexpr uint32_t k3DDrawAlpha = 0x08;
constexpr uint32_t k3DDrawSpecular = 0x10;
constexpr uint32_t k3DDrawMaterial = 0x20;
constexpr uint32_t k3DFaceMode0 = 0x40;            // loaded models: every group face mode 0
constexpr uint32_t k3DFaceMode1 = 0x80;            // ... face mode 1
constexpr uint32_t k3DFaceMode2 = 0x100;           // ... face mode 2
constexpr uint32_t k3DDrawOwnStates = 0x400;       // SetShaderConstants before a draw
constexpr uint32_t k3DDrawTexture0 = 0x800;        // the stage-0 texture; models: load textures
constexpr uint32_t k3DDrawTextures = 0x1000;       // stages 0-3; models: load textures
constexpr uint32_t k3DDrawAlphaTest = 0x2000;
constexpr uint32_t k3DDrawWireframe = 0x4000;
constexpr uint32_t k3DDrawDepthTest = 0x8000;
constexpr uint32_t k3DDrawDepthWrite = 0x10000;
constexpr uint32_t k3DDrawObjectColor = 0x20000;   // the object colour replaces vertex colours
constexpr uint32_t k3DModelTextureNameOnly = 0x40000;

constexpr uint32_t k3DTextureStages = 4;
constexpr int32_t k3DAllGroups = -1;
constexpr uint32_t k3DNoTriangle = 0xFFFFFFFFu;

// A group's material: 17 floats.
struct C3DMaterial {
    float diffuse[4];  // red, green, blue, alpha
    float ambient[4];
    float specular[4];
    float emissive[4];
    float power;
};
static_assert(sizeof(C3DMaterial) == 17 * sizeof(float), "a material is 17 floats");

// diffuse (1, 1, 1, 0), ambient (1, 1, 1, 1), specular (0, 0, 0, 1), emissive (0, 0, 0, 1), 20.
extern const C3DMaterial k3DDefaultMaterial;

class C3DObject : public C3DTransform {
public:
    explicit C3DObject(WorldData* pWorldData);
    // Frees the model name, the texture table and the materials.
    ~C3DObject() override;

    // SetPointSizeFactor(1), own matrix in use and identity, 0x20000 of the creation word into
    // the flags word. Renderers call it first. 0.
    virtual Status Init();
    // Forgets the buffer in use, releases the own index buffer, the texture of every stage and
    // the table and materials. Renderers release their buffers first.
    virtual Status Release();
    virtual void PreDraw(); // empty
    virtual void Draw();
    virtual void DrawEx(uint32_t group);
    virtual void SetTextureAllGroups(C3DTexture* pTexture, uint32_t stage);
    virtual void SetTexture(C3DTexture* pTexture, uint32_t group, uint32_t stage);
    virtual void SetAlpha(uint8_t alpha);   // the colour's top byte
    virtual void SetColor(uint32_t argb);
    virtual void ApplyProjection();         // the engine view's perspective
    virtual void DrawGeometry();
    virtual void DrawGroupGeometry(uint32_t group);
    virtual void PrepareGroup(uint32_t group);
    virtual void DrawGroup(uint32_t group);
    virtual void DrawPreparedGroup(uint32_t group, uint32_t firstIndex, uint32_t primitiveCount, uint32_t type,
                                   uint32_t faceMode);
    virtual void FinishGroup(uint32_t value);
    // The own index buffer's storage, its index size in bytes into width (null, 0 without one).
    virtual void* GetIndexData(uint8_t* width);
    // Renderers: their vertex array and stride; the base writes 0 and returns null.
    virtual void* GetVertexData(uint8_t* stride);
    // New geometry: counts, an empty texture table and default materials, a new index buffer.
    virtual Status Create(uint32_t groups, uint32_t vertices, uint32_t indices);
    virtual Status Lock(uint32_t first, uint32_t mode);
    virtual void SetIndex(uint32_t i, uint32_t value);
    virtual uint32_t GetIndex(uint32_t i); // 0xFFFFFFFF without an index buffer
    virtual void SetVertex(uint32_t i, float x, float y, float z, uint32_t diffuse, float u, float v, float nx,
                           float ny, float nz, uint32_t color2);
    virtual void SetVertexPosition(uint32_t i, float x, float y, float z);
    virtual void SetVertexUV0(uint32_t i, float u, float v);
    virtual void SetVertexUV1(uint32_t i, float u, float v);
    virtual void SetVertexNormal(uint32_t i, float x, float y, float z);
    virtual void SetVertexColor(uint32_t i, uint32_t argb);
    virtual void SetVertexColor2(uint32_t i, uint32_t argb);
    // Fills each output that is not null.
    virtual void GetVertex(uint32_t i, C3DVector3* position, uint32_t* diffuse, C3DVector2* uv0,
                           C3DVector3* normal, uint32_t* color2);
    virtual C3DVector3 GetVertexPosition(uint32_t i);
    virtual C3DVector2 GetVertexUV0(uint32_t i);
    virtual C3DVector2 GetVertexUV1(uint32_t i);
    virtual C3DVector3 GetVertexNormal(uint32_t i);
    virtual uint32_t GetVertexColor(uint32_t i);
    virtual uint32_t GetVertexColor2(uint32_t i);
    // Words 0 and 2-8 of group i into the caller's record (the link word is left alone).
    virtual Status GetGroup(uint32_t i, C3DGroupRecord* pRecord);
    virtual Status GetGroupFields(uint32_t i, uint32_t* baseVertex, uint32_t* vertexCount, uint32_t* firstIndex,
                                  uint32_t* indexCount, uint32_t* primitiveCount, uint32_t* type,
                                  uint32_t* faceMode, uint32_t* id);
    virtual Status Unlock(uint32_t value);
    virtual void SetGroupsType(uint32_t type);
    virtual void SetGroupType(uint32_t group, uint32_t type);
    virtual uint32_t GetGroupType(uint32_t group);
    virtual void SetGroupsFaceMode(uint32_t mode);
    virtual void SetGroupFaceMode(uint32_t group, uint32_t mode);
    virtual uint32_t GetGroupFaceMode(uint32_t group);
    virtual void ComputeFaceNormals();
    virtual void ComputeSmoothNormals();
    // Point size := (the world's point-sprite maximum - minimum) x factor.
    virtual void SetPointSizeFactor(float factor);

    // Textures (filled by C3DObjectPrivate; the base fails or answers zero). group -1 (or
    // k3DAllGroups) means every group. The loaders add the engine's once-only flag.
    virtual Status CreateTexture(uint32_t flags, uint32_t second, int32_t group, uint32_t stage);
    virtual Status MakeTextureFromAddress(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                          uint32_t stage, const char16_t* name);
    virtual Status MakeTextureFromAddressEx(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                            int32_t group, uint32_t stage, const char16_t* name);
    virtual Status LoadTextureFromPacker(uint32_t flags, uint32_t second, PackRecord* pEntry, uint32_t stage);
    virtual Status LoadTextureFromPackerEx(uint32_t flags, uint32_t second, PackRecord* pEntry, int32_t group,
                                           uint32_t stage);
    virtual Status LoadTextureFromFile(uint32_t flags, uint32_t second, const char16_t* path, uint32_t stage);
    virtual Status LoadTextureFromFileEx(uint32_t flags, uint32_t second, const char16_t* path, int32_t group,
                                         uint32_t stage);
    virtual Status SaveTextureToFile(const char16_t* path);
    virtual C3DTexture* GetTexture(uint32_t group, uint32_t stage);
    virtual Status ReleaseTextureAllGroups(uint32_t stage);
    virtual Status ReleaseTexture(uint32_t group, uint32_t stage);

    // Whole models (read and written through C3DObjectRaw's files). The memory source fills
    // the world's static resource record for a texture name, the pack source positions the
    // world's pack record at it.
    virtual Status LoadModelFromAddress(const void* data, uint32_t size, const char16_t* name);
    virtual Status LoadModelFromAddressEx(const void* data, uint32_t size, const char16_t* name,
                                          PackLocatorFn packSource);
    virtual Status LoadModelFromPacker(PackRecord* pEntry);
    virtual Status LoadModelFromPackerEx(PackRecord* pEntry, StaticLocatorFn memorySource);
    virtual Status LoadModelFromFile(const char16_t* path, const char16_t* textureFolder);
    virtual Status LoadModelFromFileEx(const char16_t* path, const char16_t* textureFolder,
                                       StaticLocatorFn memorySource, PackLocatorFn packSource);
    virtual Status SaveModelToFile(const char16_t* path, uint32_t flags);
    // Builds this object from a raw model; textures from the folder, else the memory source,
    // else the pack source. A missing texture latches 0x80000009 ("Missing file: %s") and
    // the load goes on; the result is then 0x80000009.
    virtual Status LoadFromRaw(C3DObjectRaw* pRaw, StaticLocatorFn memorySource, PackLocatorFn packSource,
                               const char16_t* textureFolder);
    virtual Status SaveToRaw(C3DObjectRaw* pRaw);

    // Builders (filled by C3DObjectPrivate; the base fails).
    // parameters: the kind's record (C3DShapes.h); clamped counts are written back into it.
    virtual Status ConstructShape(uint32_t kind, void* parameters);
    virtual Status MakeFromObjects(C3DObject** sources, uint32_t count, const char16_t* textureFolder,
                                   uint8_t singleGroup);
    virtual Status MakeNormalLines(C3DObject** sources, uint32_t count, float length, uint32_t color);
    // groupRecords: null or seven words per group; chosen: one byte per group.
    virtual Status BuildTextureAtlas(const char16_t* folder, const char16_t* namePattern,
                                     const uint32_t* groupRecords, const uint8_t* chosen, uint16_t pageWidth,
                                     uint16_t pageHeight, uint8_t force);
    virtual Status Upload();            // renderers: the object's render states; base fails
    virtual void SetShaderConstants();  // empty

    // Boxes over the vertex positions (min at FLT_MAX, max at FLT_MIN without vertices); with
    // `transformed` both corners go through the matrix in use.
    virtual void GetBoundingBox(C3DVector3* pMin, C3DVector3* pMax, uint8_t transformed);
    virtual void GetGroupBoundingBox(uint32_t group, C3DVector3* pMin, C3DVector3* pMax, uint8_t transformed);
    virtual void GetUVBounds0(C3DVector2* pMin, C3DVector2* pMax);
    virtual void GetGroupUVBounds0(uint32_t group, C3DVector2* pMin, C3DVector2* pMax);
    virtual void GetUVBounds1(C3DVector2* pMin, C3DVector2* pMax);
    virtual void GetGroupUVBounds1(uint32_t group, C3DVector2* pMin, C3DVector2* pMax);
    // Picks the triangle-list triangles along the ray from `from` to `to`: a negative result is
    // a hit on the `from` side of `to`, and its three vertex numbers go to lastTriangle (three
    // words; when its first word is not k3DNoTriangle that triangle is tried first).
    virtual float IntersectRay(const C3DVector3* from, const C3DVector3* to, uint32_t* lastTriangle);
    virtual Status Restore(uint32_t value);    // 0; renderers recreate device buffers
    virtual Status Invalidate(uint32_t value); // 0; renderers drop device buffers

    // ---- helpers ------------------------------------------------------------------------------
    // Index i := i for every index; returns the index count.
    uint32_t ResetIndices();
    // Indices start .. start+count-1 := 0 .. count-1; returns start + count.
    uint32_t SetIndexRange(uint32_t start, uint32_t count);
    // Fills words 2-8 and 0 of group record i (id -1 stores i).
    Status SetGroup(uint32_t i, uint32_t baseVertex, uint32_t vertexCount, uint32_t firstIndex, uint32_t indexCount,
                    uint32_t primitiveCount, uint32_t type, uint32_t faceMode, uint32_t id);

    uint32_t GetColor() const { return m_nColor; }
    uint32_t GetVertexCount() const { return m_nVertexCount; }
    uint32_t GetGroupCount() const { return m_nGroupCount; }
    const char16_t* GetModelName() const { return m_pModelName; }
    uint32_t GetFlags() const { return m_nFlags; }
    void SetFlags(uint32_t flags) { m_nFlags = flags; }
    uint32_t GetCreationWord() const { return m_nCreation; }
    void SetCreationWord(uint32_t word) { m_nCreation = word; }
    float GetPointSize() const { return m_fPointSize; }
    // The index buffer in use (null before Create and after Release).
    C3DObjectIndex* GetObjectIndex() const { return m_pIndex; }
    // Null when the group is out of range.
    C3DMaterial* GetMaterial(uint32_t group);
    Status SetMaterial(uint32_t group, const C3DMaterial& material);
    // Empties every stage that holds the texture without touching its use count: the engine
    // calls it for a texture that has just left its list.
    void ForgetTexture(const C3DTexture* pTexture);

protected:
    C3DEngine* Engine() const;
    // The stage entry, null when out of range or without a table.
    C3DTexture** TextureSlot(uint32_t group, uint32_t stage);
    // Stores a copy of the name (null clears it); false when out of memory.
    bool SetModelName(const char16_t* name);
    void FreeTables();
    // A model read by read(raw), then built with those texture sources; the name is kept on
    // success.
    template <typename Read>
    Status LoadModel(Read read, const char16_t* name, StaticLocatorFn memorySource, PackLocatorFn packSource,
                     const char16_t* textureFolder);

    uint32_t m_nColor;
    uint32_t m_nVertexCount;
    uint32_t m_nGroupCount;
    char16_t* m_pModelName;
    uint32_t m_nFlags;
    uint32_t m_nCreation;
    C3DObjectIndex* m_pOwnIndex;
    C3DObjectIndex* m_pIndex;
    C3DTexture** m_pTextures;   // group x 4 stages, group-major
    C3DMaterial* m_pMaterials;  // one per group
    float m_fPointSize;
};
