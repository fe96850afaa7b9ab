// Objects built from other objects: the union of several objects, and the line object that
// shows their vertex normals.
#include "Shapes.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObjectPrivate.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

// The source's groups, or none when it has no index buffer to hold them.
uint32_t UsableGroups(C3DObject* source)
{
    return source && source->GetObjectIndex() ? source->GetGroupCount() : 0;
}

// Whether every group of the source stays inside its vertices and indices.
bool GroupsInRange(C3DObject* source)
{
    C3DObjectIndex* index = source->GetObjectIndex();
    for (uint32_t g = 0; g < source->GetGroupCount(); ++g) {
        const C3DGroupRecord* r = index->GetGroup(g);
        if (!r || uint64_t(r->baseVertex) + r->vertexCount > source->GetVertexCount() ||
            uint64_t(r->firstIndex) + r->indexCount > index->GetIndexCount())
            return false;
    }
    return true;
}

} // namespace

Status C3DObjectPrivate::MakeFromObjects(C3DObject** sources, uint32_t count, const char16_t* textureFolder,
                                         uint8_t singleGroup)
{
    if (Failed(Release()))
        return kStatusFailed;
    uint32_t* groupOffsets = static_cast<uint32_t*>(UTILS_CALLOC(count ? count : 1, sizeof(uint32_t)));
    if (!groupOffsets) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    uint64_t groups = 0, vertices = 0, indices = 0;
    bool ok = true;
    for (uint32_t s = 0; s < count && ok; ++s) {
        groupOffsets[s] = uint32_t(groups);
        C3DObject* source = sources ? sources[s] : nullptr;
        const uint32_t sourceGroups = UsableGroups(source);
        if (!sourceGroups)
            continue;
        ok = GroupsInRange(source);
        for (uint32_t g = 0; ok && singleGroup && g < sourceGroups; ++g)
            ok = source->GetObjectIndex()->GetGroup(g)->type == kPrimitiveTriangleList;
        groups += sourceGroups;
        vertices += source->GetVertexCount();
        indices += source->GetObjectIndex()->GetIndexCount();
    }
    if (!ok || groups > 0xFFFFFFFFu || vertices > 0xFFFFFFFFu || indices > 0xFFFFFFFFu) {
        UTILS_FREE(groupOffsets);
        return kStatusFailed;
    }

    m_nFlags &= ~(k3DObjectFaceNormalsPending | k3DObjectSmoothNormalsPending);
    if (Failed(Create(singleGroup ? 1 : uint32_t(groups), uint32_t(vertices), uint32_t(indices)))) {
        UTILS_FREE(groupOffsets);
        return kStatusFailed;
    }
    Lock(2, 2);

    C3DMath* math = Math();
    const uint32_t faceMode = Shapes::FaceMode(*this);
    Status status = kStatusOk;
    uint32_t vertexOffset = 0, indexOffset = 0, group = 0, index = 0;
    for (uint32_t s = 0; s < count; ++s) {
        C3DObject* source = sources ? sources[s] : nullptr;
        const uint32_t sourceGroups = UsableGroups(source);
        if (!sourceGroups)
            continue;
        C3DObjectIndex* sourceIndex = source->GetObjectIndex();
        const uint32_t sourceIndices = sourceIndex->GetIndexCount();
        source->Lock(2, 2);
        if (!singleGroup) {
            for (uint32_t i = 0; i < sourceIndices; ++i)
                SetIndex(index++, source->GetIndex(i));
        } else {
            // One list over everything: each triangle's values rebased to this object's vertices.
            for (uint32_t g = 0; g < sourceGroups; ++g) {
                const C3DGroupRecord* r = sourceIndex->GetGroup(g);
                for (uint32_t k = 0; k + 2 < r->indexCount; k += 3)
                    for (uint32_t corner = k; corner < k + 3; ++corner)
                        SetIndex(index++, source->GetIndex(r->firstIndex + corner) + r->baseVertex + vertexOffset);
            }
        }
        const float* matrix = source->GetMatrix();
        for (uint32_t v = 0; v < source->GetVertexCount(); ++v) {
            C3DVector3 p, n;
            C3DVector2 uv;
            uint32_t diffuse, color2;
            source->GetVertex(v, &p, &diffuse, &uv, &n, &color2);
            if (math && matrix)
                math->Vec3TransformCoordV(&p, &p, matrix);
            SetVertex(vertexOffset + v, p.x, p.y, p.z, diffuse, uv.x, uv.y, n.x, n.y, n.z, color2);
        }
        source->Unlock(0);

        for (uint32_t g = 0; !singleGroup && g < sourceGroups; ++g, ++group) {
            const C3DGroupRecord* r = sourceIndex->GetGroup(g);
            // The id names the group drawn at this place: like the link, it moves with the
            // source's groups, or every source would draw the first one's.
            SetGroup(group, r->baseVertex + vertexOffset, r->vertexCount, r->firstIndex + indexOffset, r->indexCount,
                     r->primitiveCount, r->type, faceMode, r->id + groupOffsets[s]);
            m_pIndex->GetGroup(group)->link = r->link == kGroupLinkUnset ? r->link : r->link + groupOffsets[s];
            for (uint32_t stage = 0; stage < k3DTextureStages; ++stage) {
                C3DTexture* texture = source->GetTexture(g, stage);
                if (!texture)
                    continue;
                if (!textureFolder) {
                    SetTexture(texture, group, stage);
                    continue;
                }
                char16_t path[kWorldTextSize];
                UtilsString_Format(path, kWorldTextSize, u"%s%s", textureFolder,
                                   texture->GetName() ? texture->GetName() : u"");
                if (Failed(LoadTextureFromFileEx(texture->GetFlags(), texture->GetSecond(), path, int32_t(group),
                                                 stage)))
                    status = kStatusFailed;
            }
        }
        vertexOffset += source->GetVertexCount();
        indexOffset += sourceIndices;
    }
    if (singleGroup)
        SetGroup(0, 0, m_nVertexCount, 0, uint32_t(indices), uint32_t(indices) / 3, kPrimitiveTriangleList, faceMode,
                 kGroupIdOwnNumber);
    Unlock(1);
    UTILS_FREE(groupOffsets);
    return status;
}

Status C3DObjectPrivate::MakeNormalLines(C3DObject** sources, uint32_t count, float length, uint32_t color)
{
    if (Failed(Release()))
        return kStatusFailed;
    uint64_t lines = 0;
    for (uint32_t s = 0; s < count; ++s)
        if (C3DObject* source = sources ? sources[s] : nullptr)
            lines += source->GetVertexCount();
    if (2 * lines > 0xFFFFFFFFu)
        return kStatusFailed;
    const uint32_t n = uint32_t(2 * lines);
    m_nFlags &= ~(k3DObjectFaceNormalsPending | k3DObjectSmoothNormalsPending);
    if (Failed(Create(1, n, n)))
        return kStatusFailed;
    Lock(2, 2);
    ResetIndices();

    C3DMath* math = Math();
    uint32_t v = 0;
    for (uint32_t s = 0; s < count; ++s) {
        C3DObject* source = sources ? sources[s] : nullptr;
        if (!source)
            continue;
        const float* matrix = source->GetMatrix();
        source->Lock(2, 2);
        for (uint32_t k = 0; k < source->GetVertexCount(); ++k) {
            C3DVector3 p = source->GetVertexPosition(k);
            if (math && matrix)
                math->Vec3TransformCoordV(&p, &p, matrix);
            // The normal is drawn as stored, not turned by the matrix.
            const C3DVector3 normal = source->GetVertexNormal(k);
            SetVertex(v++, p.x, p.y, p.z, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
            SetVertex(v++, p.x + normal.x * length, p.y + normal.y * length, p.z + normal.z * length, color, 0.0f,
                      0.0f, 0.0f, 0.0f, 0.0f, 0);
        }
        source->Unlock(0);
    }
    SetGroup(0, 0, n, 0, n, n / 2, kPrimitiveLineList, kFaceModeBoth, kGroupIdOwnNumber);
    Unlock(1);
    return kStatusOk;
}
