#include "Vornel3D/C3DObjectPrivate.h"

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsLog.h"

C3DObjectPrivate::C3DObjectPrivate(WorldData* pWorldData) : C3DObject(pWorldData) {}

C3DObjectPrivate::~C3DObjectPrivate() = default;

void C3DObjectPrivate::SetTexture(C3DTexture* pTexture, uint32_t group, uint32_t stage)
{
    C3DTexture** slot = TextureSlot(group, stage);
    if (!slot || *slot == pTexture)
        return;
    if (*slot)
        (*slot)->ReleaseRef();
    *slot = pTexture;
    if (pTexture)
        pTexture->AddRef();
}

void C3DObjectPrivate::SetTextureAllGroups(C3DTexture* pTexture, uint32_t stage)
{
    for (uint32_t g = 0; g < m_nGroupCount; ++g)
        SetTexture(pTexture, g, stage);
}

C3DTexture* C3DObjectPrivate::GetTexture(uint32_t group, uint32_t stage)
{
    C3DTexture** slot = TextureSlot(group, stage);
    return slot ? *slot : nullptr;
}

Status C3DObjectPrivate::ReleaseTexture(uint32_t group, uint32_t stage)
{
    C3DTexture* texture = GetTexture(group, stage);
    if (!texture)
        return kStatusOk;
    SetTexture(nullptr, group, stage);
    if (C3DEngine* engine = Engine())
        engine->ReleaseTexture(texture, 0);
    return kStatusOk;
}

Status C3DObjectPrivate::ReleaseTextureAllGroups(uint32_t stage)
{
    for (uint32_t g = 0; g < m_nGroupCount; ++g)
        ReleaseTexture(g, stage);
    return kStatusOk;
}

bool C3DObjectPrivate::HasStage(int32_t group, uint32_t stage) const
{
    if (!m_pTextures || stage >= k3DTextureStages)
        return false;
    return group == k3DAllGroups ? m_nGroupCount > 0 : group >= 0 && uint32_t(group) < m_nGroupCount;
}

void C3DObjectPrivate::PlaceTexture(C3DTexture* pTexture, int32_t group, uint32_t stage)
{
    const uint32_t first = group == k3DAllGroups ? 0 : uint32_t(group);
    const uint32_t end = group == k3DAllGroups ? m_nGroupCount : first + 1;
    for (uint32_t g = first; g < end && g < m_nGroupCount; ++g) {
        // A texture pushed out of its stage is offered back to the engine, so that a
        // once-only texture nobody holds any more does not stay listed until unload.
        if (GetTexture(g, stage) != pTexture)
            ReleaseTexture(g, stage);
        SetTexture(pTexture, g, stage);
    }
}

Status C3DObjectPrivate::CreateTexture(uint32_t flags, uint32_t second, int32_t group, uint32_t stage)
{
    if (!HasStage(group, stage))
        return kStatusFailed;
    C3DEngine* engine = Engine();
    C3DTexture* texture = engine ? engine->CreateTexture(flags, second) : nullptr;
    if (!texture)
        return kStatusFailed;
    PlaceTexture(texture, group, stage);
    return kStatusOk;
}

Status C3DObjectPrivate::MakeTextureFromAddress(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                                uint32_t stage, const char16_t* name)
{
    return MakeTextureFromAddressEx(flags, second, data, size, k3DAllGroups, stage, name);
}

Status C3DObjectPrivate::MakeTextureFromAddressEx(uint32_t flags, uint32_t second, const void* data,
                                                  uint32_t size, int32_t group, uint32_t stage,
                                                  const char16_t* name)
{
    C3DTexture* texture = nullptr;
    if (data && size) {
        if (!HasStage(group, stage))
            return kStatusFailed;
        C3DEngine* engine = Engine();
        texture = engine ? engine->MakeTextureFromAddress(flags | k3DTextureOnceOnly, second, data, size, name)
                         : nullptr;
        if (!texture)
            return kStatusFailed;
    }
    PlaceTexture(texture, group, stage);
    return kStatusOk;
}

Status C3DObjectPrivate::LoadTextureFromPacker(uint32_t flags, uint32_t second, PackRecord* pEntry, uint32_t stage)
{
    return LoadTextureFromPackerEx(flags, second, pEntry, k3DAllGroups, stage);
}

Status C3DObjectPrivate::LoadTextureFromPackerEx(uint32_t flags, uint32_t second, PackRecord* pEntry,
                                                 int32_t group, uint32_t stage)
{
    if (!HasStage(group, stage))
        return kStatusFailed;
    C3DEngine* engine = Engine();
    C3DTexture* texture =
        engine ? engine->LoadTextureFromPacker(flags | k3DTextureOnceOnly, second, pEntry) : nullptr;
    if (!texture)
        return kStatusFailed;
    PlaceTexture(texture, group, stage);
    return kStatusOk;
}

Status C3DObjectPrivate::LoadTextureFromFile(uint32_t flags, uint32_t second, const char16_t* path, uint32_t stage)
{
    return LoadTextureFromFileEx(flags, second, path, k3DAllGroups, stage);
}

Status C3DObjectPrivate::LoadTextureFromFileEx(uint32_t flags, uint32_t second, const char16_t* path,
                                               int32_t group, uint32_t stage)
{
    C3DTexture* texture = nullptr;
    if (path && *path) {
        if (!HasStage(group, stage))
            return kStatusFailed;
        C3DEngine* engine = Engine();
        texture = engine ? engine->LoadTextureFromFile(flags | k3DTextureOnceOnly, second, path) : nullptr;
        if (!texture)
            return kStatusFailed;
    }
    PlaceTexture(texture, group, stage);
    return kStatusOk;
}

Status C3DObjectPrivate::SaveTextureToFile(const char16_t*)
{
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
        u"# C3DObjectPrivate::SaveTextureToFile not implemented !\n");
    return kStatusFailed;
}

Status C3DObjectPrivate::Unlock(uint32_t value)
{
    if (!(m_nFlags & (k3DObjectScreen | k3DObjectPointSprite))) {
        if (m_nFlags & k3DObjectSmoothNormalsPending)
            ComputeSmoothNormals();
        else if (m_nFlags & k3DObjectFaceNormalsPending)
            ComputeFaceNormals();
        m_nFlags &= ~(k3DObjectFaceNormalsPending | k3DObjectSmoothNormalsPending);
    }
    if (value)
        Upload();
    return kStatusOk;
}
