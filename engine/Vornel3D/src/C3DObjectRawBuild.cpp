// Assembling a raw model group by group (AddGroups, AddVertex, BuildGroups, AppendGroupFrom)
// and the boxes of its vertices.
#include <cstring>

#include "Bounds.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

// The array reallocated to `count` entries; false (the old array kept) when out of memory.
template <typename T> bool Resize(T*& array, size_t count)
{
    T* grown = static_cast<T*>(UTILS_REALLOC(array, (count ? count : 1) * sizeof(T)));
    if (!grown)
        return false;
    array = grown;
    return true;
}

} // namespace

Status C3DObjectRaw::AddGroups(uint32_t count, uint32_t type, uint32_t faceMode, uint32_t triple0, uint32_t triple1,
                               uint32_t triple2, const char* name)
{
    if (count == 0)
        return kStatusOk;
    if (!m_pRecord) {
        const Status status = Create(0, 0, 0);
        if (Failed(status))
            return status;
    }
    C3DModelRecord* r = m_pRecord;
    const uint32_t old = r->groupCount;
    if (count > 0xFFFFFFFFu - old)
        return kStatusFailed;
    const size_t total = size_t(old) + count;
    bool ok = Resize(r->groups, total) && Resize(r->materials, total) && Resize(r->triples, total) &&
              Resize(r->groupNames, total) && Resize(r->textureNames, total) && Resize(r->textureKinds, total) &&
              Resize(r->textureFlags, total) && (!r->modifiers || Resize(r->modifiers, total));
    if (!ok)
        return OutOfMemory();
    // Zeroed first, so that a failing name copy leaves nothing to free twice.
    for (size_t g = old; g < total; ++g) {
        r->groups[g] = C3DGroupRecord{};
        r->groups[g].link = kGroupLinkUnset;
        r->groups[g].type = type;
        r->groups[g].faceMode = faceMode;
        r->materials[g] = k3DDefaultMaterial;
        r->triples[g][0] = triple0;
        r->triples[g][1] = triple1;
        r->triples[g][2] = triple2;
        r->groupNames[g] = nullptr;
        r->textureNames[g] = nullptr;
        r->textureKinds[g] = 0;
        r->textureFlags[g] = 0;
        if (r->modifiers)
            std::memset(r->modifiers[g], 0, sizeof(C3DModifierRow));
    }
    for (size_t g = old; ok && g < total; ++g)
        if (name && *name)
            ok = (r->groupNames[g] = UtilsString_DupA(name)) != nullptr;
    if (!ok) {
        for (size_t g = old; g < total; ++g)
            UTILS_FREE(r->groupNames[g]);
        return OutOfMemory();
    }
    r->groupCount = uint32_t(total);
    return kStatusOk;
}

bool C3DObjectRaw::ReserveVertex()
{
    C3DModelRecord* r = m_pRecord;
    // Doubled each time, so that a model built vertex by vertex is not copied at every one.
    auto grown = [](uint32_t capacity, uint32_t needed) {
        const uint64_t doubled = uint64_t(capacity) * 2 < 16 ? 16 : uint64_t(capacity) * 2;
        return uint32_t(doubled > 0xFFFFFFFFu ? 0xFFFFFFFFu : doubled < needed ? needed : doubled);
    };
    if (r->vertexCount + 1 > m_nVertexCapacity) {
        const uint32_t capacity = grown(m_nVertexCapacity, r->vertexCount + 1);
        if (!Resize(r->positions, capacity) || !Resize(r->diffuse, capacity) || !Resize(r->color2, capacity) ||
            !Resize(r->uvs, capacity) || !Resize(r->normals, capacity))
            return false;
        m_nVertexCapacity = capacity;
    }
    if (r->indexCount + 1 > m_nIndexCapacity) {
        const uint32_t capacity = grown(m_nIndexCapacity, r->indexCount + 1);
        if (!Resize(r->indices, capacity))
            return false;
        m_nIndexCapacity = capacity;
    }
    return true;
}

Status C3DObjectRaw::AddVertex(uint32_t group, float x, float y, float z, uint32_t diffuse, float u, float v,
                               float nx, float ny, float nz, uint32_t color2)
{
    C3DModelRecord* r = m_pRecord;
    if (!r || group >= r->groupCount || r->vertexCount == 0xFFFFFFFFu || r->indexCount == 0xFFFFFFFFu)
        return kStatusFailed;
    if (!ReserveVertex())
        return OutOfMemory();
    const uint32_t at = r->vertexCount;
    r->positions[at] = C3DVector3{x, y, z};
    r->diffuse[at] = diffuse;
    r->color2[at] = color2;
    r->uvs[at] = C3DVector2{u, v};
    r->normals[at] = C3DVector3{nx, ny, nz};
    C3DGroupRecord& g = r->groups[group];
    // Until BuildGroups lays the groups out, the new index is the vertex's place in its group.
    r->indices[r->indexCount] = g.indexCount;
    ++g.vertexCount;
    ++g.indexCount;
    ++r->vertexCount;
    ++r->indexCount;
    return kStatusOk;
}

Status C3DObjectRaw::BuildGroups()
{
    C3DModelRecord* r = m_pRecord;
    if (!r)
        return kStatusFailed;
    uint64_t indices = 0, vertices = 0;
    for (uint32_t g = 0; g < r->groupCount; ++g) {
        C3DGroupRecord& group = r->groups[g];
        if (group.type <= kPrimitivePointList)
            group.primitiveCount = C3DObjectIndex::CountPrimitives(group.type, group.indexCount);
        group.id = g;
        group.link = kGroupLinkUnset;
        group.firstIndex = uint32_t(indices);
        group.baseVertex = uint32_t(vertices);
        indices += group.indexCount;
        vertices += group.vertexCount;
    }
    if (indices > 0xFFFFFFFFu)
        return kStatusFailed;
    if (!Resize(r->indices, size_t(indices)))
        return OutOfMemory();
    m_nIndexCapacity = uint32_t(indices);
    r->indexCount = uint32_t(indices);
    for (uint32_t g = 0; g < r->groupCount; ++g) {
        const C3DGroupRecord& group = r->groups[g];
        for (uint32_t k = 0; k < group.indexCount; ++k)
            r->indices[group.firstIndex + k] = k;
    }
    return kStatusOk;
}

Status C3DObjectRaw::AppendGroupFrom(uint32_t group, C3DObjectRaw* pOther)
{
    const C3DModelRecord* o = pOther ? pOther->GetRecord() : nullptr;
    if (!o || o == m_pRecord || group >= o->groupCount)
        return kStatusFailed;
    const C3DGroupRecord& source = o->groups[group];
    if (uint64_t(source.firstIndex) + source.indexCount > o->indexCount)
        return kStatusFailed;
    if (Failed(AddGroups(1, source.type, source.faceMode, o->triples[group][0], o->triples[group][1],
                         o->triples[group][2], o->groupNames[group])))
        return kStatusFailed;
    const uint32_t added = m_pRecord->groupCount - 1;
    for (uint32_t p = source.firstIndex; p < source.firstIndex + source.indexCount; ++p) {
        // The vertex the index names, not the vertex at the index's position.
        const uint64_t v = uint64_t(o->indices[p]) + source.baseVertex;
        if (v >= o->vertexCount)
            return kStatusFailed;
        const C3DVector3& position = o->positions[v];
        const C3DVector3& normal = o->normals[v];
        if (Failed(AddVertex(added, position.x, position.y, position.z, o->diffuse[v], o->uvs[v].x, o->uvs[v].y,
                             normal.x, normal.y, normal.z, o->color2[v])))
            return kStatusFailed;
    }
    if (Failed(SetGroupTexture(added, o->textureNames[group], o->textureKinds[group], o->textureFlags[group])))
        return kStatusFailed;
    return kStatusOk;
}

void C3DObjectRaw::GetBoundingBox(C3DVector3* pMin, C3DVector3* pMax)
{
    C3DVector3 min, max;
    const C3DModelRecord* r = m_pRecord;
    BoxOf(r ? r->vertexCount : 0, [&](uint32_t v) { return r->positions[v]; }, min, max);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObjectRaw::GetGroupBoundingBox(uint32_t group, C3DVector3* pMin, C3DVector3* pMax)
{
    C3DVector3 min, max;
    SetEmptyBox(min, max);
    const C3DModelRecord* r = m_pRecord;
    if (r && group < r->groupCount) {
        // The record that the id word names; an unset id names the group itself.
        const uint32_t id = r->groups[group].id == kGroupIdOwnNumber ? group : r->groups[group].id;
        const C3DGroupRecord* g = id < r->groupCount ? &r->groups[id] : nullptr;
        bool first = true;
        for (uint64_t k = 0; g && k < g->indexCount && g->firstIndex + k < r->indexCount; ++k) {
            const uint64_t v = uint64_t(r->indices[g->firstIndex + k]) + g->baseVertex;
            if (v < r->vertexCount) {
                WidenBox(min, max, r->positions[v], first);
                first = false;
            }
        }
    }
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}
