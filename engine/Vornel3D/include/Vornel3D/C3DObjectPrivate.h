#pragma once
// The renderer-independent layer of every 3D object, between C3DObject and the renderers'
// object classes, which derive from it. It keeps no vertices of its own: everything here works
// through the vertex and index accessors, so one implementation serves every renderer. It
// fills the per-group texture table (each set stage holds one use of its texture), the end of
// an edit (the pending normal passes, then Upload), and the texture loaders, which always add
// the engine's once-only flag, and the builders: the built-in shapes, merging objects, normal
// lines and texture atlases.
#include "Vornel3D/C3DObject.h"

class C3DObjectPrivate : public C3DObject {
public:
    explicit C3DObjectPrivate(WorldData* pWorldData);
    ~C3DObjectPrivate() override;

    // Ignored unless stage < 4 and group < group count; the old texture loses a use, the new
    // one gains one (nothing happens when the stage already holds it).
    void SetTexture(C3DTexture* pTexture, uint32_t group, uint32_t stage) override;
    void SetTextureAllGroups(C3DTexture* pTexture, uint32_t stage) override;

    // Ends an edit: unless the object is a screen or point-sprite object, the smooth-normal
    // pass (0x4000) or else the face-normal pass (0x2000) runs and both flags clear; then
    // Upload when `value` is not 0. Renderers call it first from their own Unlock.
    Status Unlock(uint32_t value) override;

    void ComputeFaceNormals() override;
    void ComputeSmoothNormals() override;

    // The loaders refuse (0x80000001) before asking the engine when no stage would take the
    // texture (a stage from 4 up, a group out of range, an object without groups): a texture
    // that no stage holds would stay listed until unload.
    Status CreateTexture(uint32_t flags, uint32_t second, int32_t group, uint32_t stage) override;
    // A null data pointer or zero size clears the stage.
    Status MakeTextureFromAddress(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                  uint32_t stage, const char16_t* name) override;
    Status MakeTextureFromAddressEx(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                    int32_t group, uint32_t stage, const char16_t* name) override;
    Status LoadTextureFromPacker(uint32_t flags, uint32_t second, PackRecord* pEntry, uint32_t stage) override;
    Status LoadTextureFromPackerEx(uint32_t flags, uint32_t second, PackRecord* pEntry, int32_t group,
                                   uint32_t stage) override;
    // An empty path clears the stage.
    Status LoadTextureFromFile(uint32_t flags, uint32_t second, const char16_t* path, uint32_t stage) override;
    Status LoadTextureFromFileEx(uint32_t flags, uint32_t second, const char16_t* path, int32_t group,
                                 uint32_t stage) override;
    Status SaveTextureToFile(const char16_t* path) override; // not available: 0x80000001
    C3DTexture* GetTexture(uint32_t group, uint32_t stage) override;
    // Empties the stage and lets the engine release the texture. Always 0.
    Status ReleaseTextureAllGroups(uint32_t stage) override;
    Status ReleaseTexture(uint32_t group, uint32_t stage) override;

    // Builds a built-in shape (C3DShapes.h); any other kind: 0x80000001, nothing changed.
    Status ConstructShape(uint32_t kind, void* parameters) override;
    // This object becomes the union of the sources, each moved by its matrix in use. A source
    // without an index buffer is skipped; one whose groups reach past its vertices or indices
    // is refused (0x80000001). With singleGroup every source group must be a triangle list.
    Status MakeFromObjects(C3DObject** sources, uint32_t count, const char16_t* textureFolder,
                           uint8_t singleGroup) override;
    // A line list: one line of `length` along each source vertex's normal.
    Status MakeNormalLines(C3DObject** sources, uint32_t count, float length, uint32_t color) override;
    // Packs the stage-0 textures of the chosen groups into pages saved as folder + namePattern
    // (one integer conversion, the page number) and retextures those groups with them. Nothing
    // changes (result 0) when the pages would not fit or, without force, not save pixels.
    Status BuildTextureAtlas(const char16_t* folder, const char16_t* namePattern, const uint32_t* groupRecords,
                             const uint8_t* chosen, uint16_t pageWidth, uint16_t pageHeight,
                             uint8_t force) override;

protected:
    // Whether the table has the stage on that group (k3DAllGroups: on at least one group).
    bool HasStage(int32_t group, uint32_t stage) const;
    // Puts a texture (or null) on one group or, with k3DAllGroups, on every group.
    void PlaceTexture(C3DTexture* pTexture, int32_t group, uint32_t stage);
    // Calls fn(a, b, c) with the vertex numbers of every triangle of group g.
    template <typename Fn> void ForEachTriangle(uint32_t g, Fn fn);
    C3DVector3 FaceNormal(uint32_t a, uint32_t b, uint32_t c);
};
