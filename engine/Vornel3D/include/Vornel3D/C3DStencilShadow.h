#pragma once
// The renderer-independent stencil shadow: a table of shadow casters (object, matrix, clamping
// box and the two triangle lists of its shadow volume) and the colour that darkens the
// shadowed pixels. BuildShadowVolume fills a caster's lists; the renderers' classes draw the
// stencil passes. Shadows are created only by the 3D engine (C3DEngine::CreateStencilShadow)
// and live in its stencil-shadow list.
//
// Lifecycle: Create once, SetCaster per caster, BuildShadowVolume whenever a caster moves or
// the light changes, Draw per frame, Release and delete at the end.
#include <cfloat>
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DObject;

// One edge of a silhouette: two vertex numbers (32-bit, so meshes of any size have one).
struct C3DEdge {
    uint32_t a, b;
};

// How far the silhouette is pushed away from the light: 10 x the light vector.
constexpr float k3DShadowExtrusion = 10.0f;

struct C3DShadowCaster {
    C3DObject* pObject = nullptr; // not owned; null: no caster
    float* pMatrix = nullptr;     // not owned
    float upper[3] = {FLT_MAX, FLT_MAX, FLT_MAX};    // clamping box
    float lower[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    float* pSides = nullptr;      // owned; 3 floats per vertex
    uint32_t capacity = 0;        // vertices of each of the two arrays
    uint32_t sideCount = 0;
    float* pCaps = nullptr;       // owned; 3 floats per vertex
    uint32_t capCount = 0;
};

class C3DStencilShadow : public CBaseObject {
public:
    explicit C3DStencilShadow(WorldData* pWorldData);
    // Frees the caster table (Release frees the vertex arrays).
    ~C3DStencilShadow() override;

    // count empty casters, the colour, an identity world matrix, and the "SHOW_CONSTRUCT"
    // switch of the world settings' "STENCIL_SHADOW" section. Out of memory: the world's last
    // error and 0x80000002.
    virtual Status Create(uint32_t count, uint32_t color);
    // Frees the vertex arrays of every caster. 0.
    virtual Status Release();
    // Caster i (ignored when out of range): the object, its matrix and the clamping box
    // (three floats each); with an object, two arrays of 200 x its vertex count vertices.
    virtual Status SetCaster(uint32_t i, C3DObject* pObject, float* pMatrix, const float* upper,
                             const float* lower);
    // Caster i's side walls and caps (ignored when i is out of range or has no object): the
    // silhouette of the triangles that face the world's first light, seen along its position
    // as a vector, extruded away from it and clamped into the caster's box. Side walls are
    // (P0, P1, P0'), (P1, P1', P0') per edge; caps (A, P0, P1), (B, P0', P1') with A and B the
    // centroids of the near and far rims. A silhouette that would pass the arrays' capacity
    // is cut there.
    virtual void BuildShadowVolume(uint32_t i);
    virtual void Draw(uint32_t i); // nothing in the base

    // Removes (a, b) or (b, a) from the count pairs (the last pair takes its place), or
    // appends (a, b) when neither is there: applied to every edge of the facing triangles, it
    // leaves the edges only one of them has. The new count is stored and returned; the caller
    // gives room for one more pair.
    static uint32_t ToggleEdge(C3DEdge* pairs, uint32_t* count, uint32_t a, uint32_t b);

    uint32_t GetColor() const { return m_nColor; }
    uint32_t GetCasterCount() const { return m_nCasterCount; }
    C3DShadowCaster* GetCaster(uint32_t i) { return i < m_nCasterCount ? &m_pCasters[i] : nullptr; }
    float* GetMatrix() { return m_matrix; }
    bool GetShowConstruct() const { return m_bShowConstruct; }

protected:
    void FreeArrays(C3DShadowCaster& caster);

    uint32_t m_nColor = 0;
    float m_matrix[16] = {};
    bool m_bShowConstruct = false;
    C3DShadowCaster* m_pCasters = nullptr;
    uint32_t m_nCasterCount = 0;
};
