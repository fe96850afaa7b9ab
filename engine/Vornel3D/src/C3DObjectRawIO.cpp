// A 3D object built from a raw model, and a raw model taken from a 3D object.
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr Status kStatusMissingFile = StatusCode(0x80000009u);

} // namespace

Status C3DObject::LoadFromRaw(C3DObjectRaw* pRaw, StaticLocatorFn memorySource, PackLocatorFn packSource,
                              const char16_t* textureFolder)
{
    const C3DModelRecord* rec = pRaw ? pRaw->GetRecord() : nullptr;
    if (!rec || !m_pWorldData)
        return kStatusFailed;
    if (Failed(Create(rec->groupCount, rec->vertexCount, rec->indexCount)))
        return kStatusFailed;

    Lock(2, 2);
    for (uint32_t i = 0; i < rec->indexCount; ++i)
        SetIndex(i, rec->indices[i]);
    for (uint32_t v = 0; v < rec->vertexCount; ++v) {
        const C3DVector3& p = rec->positions[v];
        const C3DVector3& n = rec->normals[v];
        SetVertex(v, p.x, p.y, p.z, rec->diffuse[v], rec->uvs[v].x, rec->uvs[v].y, n.x, n.y, n.z, rec->color2[v]);
    }

    Status result = kStatusOk;
    for (uint32_t g = 0; g < rec->groupCount; ++g) {
        const C3DGroupRecord& r = rec->groups[g];
        uint32_t faceMode = r.faceMode;
        if (m_nCreation & k3DFaceMode0)
            faceMode = kFaceModeBoth;
        else if (m_nCreation & k3DFaceMode1)
            faceMode = kFaceModeClockwise;
        else if (m_nCreation & k3DFaceMode2)
            faceMode = kFaceModeCounterClockwise;
        SetGroup(g, r.baseVertex, r.vertexCount, r.firstIndex, r.indexCount, r.primitiveCount, r.type, faceMode,
                 r.id);
        if (C3DGroupRecord* own = m_pIndex ? m_pIndex->GetGroup(g) : nullptr)
            own->link = r.link;
        SetMaterial(g, rec->materials[g]);

        const char* textureName = rec->textureNames[g];
        if (!textureName || !*textureName || !(m_nCreation & (k3DDrawTexture0 | k3DDrawTextures)))
            continue;
        const uint32_t flags = rec->textureKinds[g];
        const uint32_t second = rec->textureFlags[g] | ((m_nCreation & k3DModelTextureNameOnly) ? 0x800u : 0u);
        char16_t name[kWorldTextSize];
        UtilsString_AToW(textureName, name, kWorldTextSize);

        Status status;
        const char16_t* failure;
        if (textureFolder) {
            char16_t path[kWorldTextSize];
            UtilsString_Format(path, kWorldTextSize, u"%s%s", textureFolder, name);
            status = LoadTextureFromFileEx(flags, second, path, int32_t(g), 0);
            failure = u"# C3DObject::LoadFromRaw LoadOneTextureFromFile failed! \"%s\"\n";
        } else if (memorySource) {
            status = memorySource(m_pWorldData, name);
            if (Succeeded(status))
                status = MakeTextureFromAddressEx(flags, second, m_pWorldData->staticResource.pAddress,
                                                  m_pWorldData->staticResource.size, int32_t(g), 0, name);
            failure = u"# C3DObject::LoadFromRaw MakeOneTextureFromAddress failed! \"%s\"\n";
        } else if (packSource) {
            status = packSource(name, &m_pWorldData->pack);
            if (Succeeded(status))
                status = LoadTextureFromPackerEx(flags, second, &m_pWorldData->pack, int32_t(g), 0);
            failure = u"# C3DObject::LoadFromRaw LoadOneTextureFromPacker failed! \"%s\"\n";
        } else {
            result = kStatusFailed;
            continue;
        }
        if (Failed(status)) {
            Log(m_pWorldData->logPath, 0, failure, name);
            m_pWorldData->lastErrorCode = kStatusMissingFile;
            UtilsString_Format(m_pWorldData->lastErrorText, kWorldTextSize, u"Missing file: %s", name);
            result = kStatusMissingFile;
        }
    }
    Unlock(1);
    return result;
}

Status C3DObject::SaveToRaw(C3DObjectRaw* pRaw)
{
    if (!pRaw)
        return kStatusFailed;
    Lock(2, 2);
    pRaw->Release();
    Status status = pRaw->Create(m_nGroupCount, m_nVertexCount, m_pIndex ? m_pIndex->GetIndexCount() : 0);
    C3DModelRecord* rec = pRaw->GetRecord();
    if (Failed(status) || !rec) {
        Unlock(1);
        return Failed(status) ? status : kStatusFailed;
    }
    rec->indexWidth = m_pIndex ? m_pIndex->GetKind() : 0;
    for (uint32_t i = 0; i < rec->indexCount; ++i)
        rec->indices[i] = GetIndex(i);
    for (uint32_t v = 0; v < rec->vertexCount; ++v)
        GetVertex(v, &rec->positions[v], &rec->diffuse[v], &rec->uvs[v], &rec->normals[v], &rec->color2[v]);
    for (uint32_t g = 0; g < rec->groupCount; ++g) {
        C3DGroupRecord& r = rec->groups[g];
        if (m_pIndex)
            m_pIndex->GetGroupInfo(g, &r.baseVertex, &r.vertexCount, &r.firstIndex, &r.indexCount,
                                   &r.primitiveCount, &r.type, &r.faceMode, &r.id, &r.link);
        if (const C3DMaterial* material = GetMaterial(g))
            rec->materials[g] = *material;
        C3DTexture* texture = GetTexture(g, 0);
        if (!texture)
            continue;
        char* name = nullptr;
        if (texture->GetName() && !(name = UtilsString_DupWToA(texture->GetName()))) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            Unlock(1);
            return kStatusOutOfMemory;
        }
        rec->textureNames[g] = name;
        rec->textureKinds[g] = texture->GetFlags();
        rec->textureFlags[g] = texture->GetSecond();
    }
    Unlock(1);
    return kStatusOk;
}
