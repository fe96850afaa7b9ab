#include "Vornel3D/C3DObjectRaw.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

C3DObjectRaw::C3DObjectRaw(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DObjectRaw::~C3DObjectRaw()
{
    Release();
}

Status C3DObjectRaw::Create(uint32_t groupCount, uint32_t vertexCount, uint32_t indexCount)
{
    auto* record = static_cast<C3DModelRecord*>(UTILS_CALLOC(1, sizeof(C3DModelRecord)));
    bool ok = record != nullptr;
    if (ok) {
        record->indexCount = indexCount;
        record->vertexCount = vertexCount;
        record->groupCount = groupCount;
        record->matrix[0] = record->matrix[5] = record->matrix[10] = record->matrix[15] = 1.0f;
        if (indexCount > 0)
            ok = (record->indices = static_cast<uint32_t*>(UTILS_CALLOC(indexCount, sizeof(uint32_t))));
        if (ok && vertexCount > 0) {
            record->positions = static_cast<C3DVector3*>(UTILS_CALLOC(vertexCount, sizeof(C3DVector3)));
            record->diffuse = static_cast<uint32_t*>(UTILS_CALLOC(vertexCount, sizeof(uint32_t)));
            record->color2 = static_cast<uint32_t*>(UTILS_CALLOC(vertexCount, sizeof(uint32_t)));
            record->uvs = static_cast<C3DVector2*>(UTILS_CALLOC(vertexCount, sizeof(C3DVector2)));
            record->normals = static_cast<C3DVector3*>(UTILS_CALLOC(vertexCount, sizeof(C3DVector3)));
            ok = record->positions && record->diffuse && record->color2 && record->uvs && record->normals;
        }
        if (ok && groupCount > 0) {
            record->groups = static_cast<C3DGroupRecord*>(UTILS_CALLOC(groupCount, sizeof(C3DGroupRecord)));
            record->materials = static_cast<C3DMaterial*>(UTILS_CALLOC(groupCount, sizeof(C3DMaterial)));
            record->triples = static_cast<uint32_t(*)[3]>(UTILS_CALLOC(groupCount, sizeof(uint32_t[3])));
            record->groupNames = static_cast<char**>(UTILS_CALLOC(groupCount, sizeof(char*)));
            record->textureNames = static_cast<char**>(UTILS_CALLOC(groupCount, sizeof(char*)));
            record->textureKinds = static_cast<uint32_t*>(UTILS_CALLOC(groupCount, sizeof(uint32_t)));
            record->textureFlags = static_cast<uint32_t*>(UTILS_CALLOC(groupCount, sizeof(uint32_t)));
            ok = record->groups && record->materials && record->triples && record->groupNames &&
                 record->textureNames && record->textureKinds && record->textureFlags;
            for (uint32_t g = 0; ok && g < groupCount; ++g) {
                record->groups[g].link = kGroupLinkUnset;
                record->materials[g] = k3DDefaultMaterial;
            }
        }
    }
    if (!ok) {
        C3DModelRecord* previous = m_pRecord; // the caller's record stays untouched
        const uint32_t vertexCapacity = m_nVertexCapacity, indexCapacity = m_nIndexCapacity;
        m_pRecord = record;
        if (record)
            Release(); // the partial record (its missing arrays are null)
        m_pRecord = previous;
        m_nVertexCapacity = vertexCapacity;
        m_nIndexCapacity = indexCapacity;
        return OutOfMemory();
    }
    // An earlier record is the caller's to release first; it is not lost silently here.
    if (m_pRecord)
        Release();
    m_pRecord = record;
    m_nVertexCapacity = vertexCount;
    m_nIndexCapacity = indexCount;
    return kStatusOk;
}

Status C3DObjectRaw::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status C3DObjectRaw::Release()
{
    C3DModelRecord* record = m_pRecord;
    if (!record)
        return kStatusOk;
    for (uint32_t g = 0; g < record->groupCount; ++g) {
        if (record->groupNames)
            UTILS_FREE(record->groupNames[g]);
        if (record->textureNames)
            UTILS_FREE(record->textureNames[g]);
        for (uint32_t kind = 0; record->modifiers && kind < kModifierKindCount; ++kind) {
            if (C3DObjectModifier* modifier = record->modifiers[g][kind]) {
                modifier->Release();
                delete modifier;
            }
        }
    }
    UTILS_FREE(record->indices);
    UTILS_FREE(record->positions);
    UTILS_FREE(record->diffuse);
    UTILS_FREE(record->color2);
    UTILS_FREE(record->uvs);
    UTILS_FREE(record->normals);
    UTILS_FREE(record->groups);
    UTILS_FREE(record->materials);
    UTILS_FREE(record->triples);
    UTILS_FREE(record->groupNames);
    UTILS_FREE(record->textureNames);
    UTILS_FREE(record->textureKinds);
    UTILS_FREE(record->textureFlags);
    UTILS_FREE(record->modifiers);
    UTILS_FREE(record);
    m_pRecord = nullptr;
    m_nVertexCapacity = 0;
    m_nIndexCapacity = 0;
    return kStatusOk;
}

Status C3DObjectRaw::SetGroupTexture(uint32_t group, const char* name, uint32_t kind, uint32_t flags)
{
    if (!m_pRecord || group >= m_pRecord->groupCount)
        return kStatusFailed;
    char* copy = nullptr;
    if (name) {
        copy = UtilsString_DupA(name);
        if (!copy)
            return OutOfMemory();
    }
    UTILS_FREE(m_pRecord->textureNames[group]);
    m_pRecord->textureNames[group] = copy;
    m_pRecord->textureKinds[group] = kind;
    m_pRecord->textureFlags[group] = flags;
    return kStatusOk;
}
