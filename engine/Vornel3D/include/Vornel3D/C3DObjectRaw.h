#pragma once
// A model as it lies in a file, held in memory: counts, index list, per-vertex arrays, group
// records, per-group materials, names and texture references. A 3D object builds one to load
// a model (C3DObject::LoadFromRaw) or to save one (C3DObject::SaveToRaw). This file holds the
// model record; the ".3dx" and ".obj" readers and the writer work on the same record.
#include <cstdint>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

struct C3DModelRecord {
    uint32_t indexCount;
    uint32_t vertexCount;
    uint32_t groupCount;
    float matrix[16];        // identity at creation (not stored in files)
    uint32_t indexWidth;     // 1: the file stores 16-bit indices; any other value 32-bit
    uint32_t* indices;       // indexCount
    // Per vertex, each its own array of vertexCount entries.
    C3DVector3* positions;
    uint32_t* diffuse;       // ARGB
    uint32_t* color2;        // ARGB
    C3DVector2* uvs;
    C3DVector3* normals;
    // Per group, each its own array of groupCount entries.
    C3DGroupRecord* groups;
    C3DMaterial* materials;
    uint32_t (*triples)[3];  // carried unchanged
    char** groupNames;       // owned 8-bit strings or null
    char** textureNames;     // owned 8-bit strings or null
    uint32_t* textureKinds;  // the texture's flags word
    uint32_t* textureFlags;  // the texture's second word
};

class C3DObjectRaw : public CBaseObject {
public:
    explicit C3DObjectRaw(WorldData* pWorldData);
    ~C3DObjectRaw() override; // Release

    // A new record with those counts: identity matrix, width code 0, zeroed arrays, group
    // records with the link word unset, default materials. Out of memory: the world's last
    // error and 0x80000002 (what was allocated is freed). Callers Release an earlier record.
    virtual Status Create(uint32_t groupCount, uint32_t vertexCount, uint32_t indexCount);
    // Frees every array, every name and the record. 0.
    virtual Status Release();
    // Replaces the group's texture name with a copy (null clears it) and stores kind and
    // flags. Out of memory: the world's last error and 0x80000002; a group out of range
    // 0x80000001.
    virtual Status SetGroupTexture(uint32_t group, const char* name, uint32_t kind, uint32_t flags);

    // Null until Create.
    C3DModelRecord* GetRecord() const { return m_pRecord; }

protected:
    C3DModelRecord* m_pRecord = nullptr;
};
