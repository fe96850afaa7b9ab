#include "Vornel3D/C3DObject.h"

#include <cstring>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

const C3DMaterial k3DDefaultMaterial = {
    {1.0f, 1.0f, 1.0f, 0.0f},
    {1.0f, 1.0f, 1.0f, 1.0f},
    {0.0f, 0.0f, 0.0f, 1.0f},
    {0.0f, 0.0f, 0.0f, 1.0f},
    20.0f,
};

C3DObject::C3DObject(WorldData* pWorldData)
    : C3DTransform(pWorldData),
      m_nColor(0xFFFFFFFFu),
      m_nVertexCount(0),
      m_nGroupCount(0),
      m_pModelName(nullptr),
      m_nFlags(0),
      m_nCreation(0),
      m_pOwnIndex(nullptr),
      m_pIndex(nullptr),
      m_pTextures(nullptr),
      m_pMaterials(nullptr),
      m_fPointSize(0.0f)
{
    // Init gives the object its matrix; until then there is none in use.
    m_pMatrix = nullptr;
    std::memset(m_matrix, 0, sizeof m_matrix);
}

C3DObject::~C3DObject()
{
    UTILS_FREE(m_pModelName);
    FreeTables();
}

C3DEngine* C3DObject::Engine() const
{
    return C3DEngine::FromWorld(m_pWorldData);
}

void C3DObject::FreeTables()
{
    UTILS_FREE(m_pTextures);
    UTILS_FREE(m_pMaterials);
    m_pTextures = nullptr;
    m_pMaterials = nullptr;
}

bool C3DObject::SetModelName(const char16_t* name)
{
    char16_t* copy = nullptr;
    if (name && !(copy = UtilsString_DupW(name)))
        return false;
    UTILS_FREE(m_pModelName);
    m_pModelName = copy;
    return true;
}

Status C3DObject::Init()
{
    SetPointSizeFactor(1.0f);
    UseOwnMatrix();
    SetIdentity();
    if (m_nCreation & k3DDrawObjectColor)
        m_nFlags |= k3DObjectColorAtDraw;
    return kStatusOk;
}

Status C3DObject::Release()
{
    m_pIndex = nullptr;
    if (m_pOwnIndex) {
        C3DEngine* engine = Engine();
        if (!engine || Failed(engine->ReleaseObjectIndex(m_pOwnIndex)))
            return kStatusFailed;
        m_pOwnIndex = nullptr;
    }
    for (uint32_t g = 0; g < m_nGroupCount; ++g)
        for (uint32_t s = 0; s < k3DTextureStages; ++s)
            ReleaseTexture(g, s);
    FreeTables();
    m_nGroupCount = 0;
    m_nVertexCount = 0;
    UseOwnMatrix();
    SetIdentity();
    return kStatusOk;
}

void C3DObject::PreDraw() {}
void C3DObject::Draw() {}
void C3DObject::DrawEx(uint32_t) {}
void C3DObject::SetTextureAllGroups(C3DTexture*, uint32_t) {}
void C3DObject::SetTexture(C3DTexture*, uint32_t, uint32_t) {}

void C3DObject::SetAlpha(uint8_t alpha)
{
    m_nColor = uint32_t(alpha) << 24 | (m_nColor & 0x00FFFFFFu);
}

void C3DObject::SetColor(uint32_t argb)
{
    m_nColor = argb;
}

void C3DObject::DrawGeometry() {}
void C3DObject::DrawGroupGeometry(uint32_t) {}
void C3DObject::PrepareGroup(uint32_t) {}
void C3DObject::DrawGroup(uint32_t) {}
void C3DObject::DrawPreparedGroup(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void C3DObject::FinishGroup(uint32_t) {}

void* C3DObject::GetIndexData(uint8_t* width)
{
    if (m_pOwnIndex)
        return m_pOwnIndex->GetIndexData(width);
    if (width)
        *width = 0;
    return nullptr;
}

void* C3DObject::GetVertexData(uint8_t* stride)
{
    if (stride)
        *stride = 0;
    return nullptr;
}

Status C3DObject::Create(uint32_t groups, uint32_t vertices, uint32_t indices)
{
    if (vertices > 0xFFFF)
        m_nFlags = (m_nFlags & ~k3DObjectIndex16) | k3DObjectIndex32;

    // The new tables first, so that running out of memory leaves the object as it was.
    C3DTexture** textures = nullptr;
    C3DMaterial* materials = nullptr;
    if (groups > 0) {
        textures = static_cast<C3DTexture**>(UTILS_CALLOC(size_t(groups) * k3DTextureStages, sizeof(C3DTexture*)));
        materials = static_cast<C3DMaterial*>(UTILS_CALLOC(groups, sizeof(C3DMaterial)));
        if (!textures || !materials) {
            UTILS_FREE(textures);
            UTILS_FREE(materials);
            return kStatusFailed;
        }
        for (uint32_t g = 0; g < groups; ++g)
            materials[g] = k3DDefaultMaterial;
    }
    // The stages of the table being replaced give their textures back.
    for (uint32_t g = 0; g < m_nGroupCount; ++g)
        for (uint32_t s = 0; s < k3DTextureStages; ++s)
            ReleaseTexture(g, s);
    FreeTables();
    m_pTextures = textures;
    m_pMaterials = materials;
    m_nGroupCount = groups;
    m_nVertexCount = vertices;

    C3DEngine* engine = Engine();
    if (!engine)
        return kStatusFailed;
    m_pIndex = nullptr;
    if (m_pOwnIndex) {
        if (Failed(engine->ReleaseObjectIndex(m_pOwnIndex)))
            return kStatusFailed;
        m_pOwnIndex = nullptr;
    }
    uint32_t width;
    if (m_nFlags & k3DObjectIndex16)
        width = k3DIndex16;
    else if (m_nFlags & k3DObjectIndex32)
        width = k3DIndex32;
    else
        width = indices > 0xFFFF ? k3DIndex32 : k3DIndex16;
    C3DObjectIndex* index = engine->CreateObjectIndex(indices, width);
    if (!index)
        return kStatusFailed;
    m_pOwnIndex = index;
    m_pIndex = index;
    return Failed(index->Create(groups, indices)) ? kStatusFailed : kStatusOk;
}

Status C3DObject::Lock(uint32_t first, uint32_t mode)
{
    return m_pIndex ? m_pIndex->Lock(first, mode) : kStatusFailed;
}

void C3DObject::SetIndex(uint32_t i, uint32_t value)
{
    if (m_pIndex)
        m_pIndex->SetIndex(i, value);
}

uint32_t C3DObject::GetIndex(uint32_t i)
{
    return m_pIndex ? m_pIndex->GetIndex(i) : 0xFFFFFFFFu;
}

void C3DObject::SetVertex(uint32_t, float, float, float, uint32_t, float, float, float, float, float, uint32_t) {}
void C3DObject::SetVertexPosition(uint32_t, float, float, float) {}
void C3DObject::SetVertexUV0(uint32_t, float, float) {}
void C3DObject::SetVertexUV1(uint32_t, float, float) {}
void C3DObject::SetVertexNormal(uint32_t, float, float, float) {}
void C3DObject::SetVertexColor(uint32_t, uint32_t) {}
void C3DObject::SetVertexColor2(uint32_t, uint32_t) {}
void C3DObject::GetVertex(uint32_t, C3DVector3*, uint32_t*, C3DVector2*, C3DVector3*, uint32_t*) {}

C3DVector3 C3DObject::GetVertexPosition(uint32_t)
{
    return C3DVector3{0.0f, 0.0f, 0.0f};
}

C3DVector2 C3DObject::GetVertexUV0(uint32_t)
{
    return C3DVector2{0.0f, 0.0f};
}

C3DVector2 C3DObject::GetVertexUV1(uint32_t)
{
    return C3DVector2{0.0f, 0.0f};
}

C3DVector3 C3DObject::GetVertexNormal(uint32_t)
{
    return C3DVector3{0.0f, 0.0f, 0.0f};
}

uint32_t C3DObject::GetVertexColor(uint32_t)
{
    return 0;
}

uint32_t C3DObject::GetVertexColor2(uint32_t)
{
    return 0;
}

Status C3DObject::GetGroup(uint32_t i, C3DGroupRecord* pRecord)
{
    if (!pRecord)
        return kStatusFailed;
    return GetGroupFields(i, &pRecord->baseVertex, &pRecord->vertexCount, &pRecord->firstIndex,
                          &pRecord->indexCount, &pRecord->primitiveCount, &pRecord->type, &pRecord->faceMode,
                          &pRecord->id);
}

Status C3DObject::GetGroupFields(uint32_t i, uint32_t* baseVertex, uint32_t* vertexCount, uint32_t* firstIndex,
                                 uint32_t* indexCount, uint32_t* primitiveCount, uint32_t* type,
                                 uint32_t* faceMode, uint32_t* id)
{
    if (!m_pIndex)
        return kStatusFailed;
    return m_pIndex->GetGroupInfo(i, baseVertex, vertexCount, firstIndex, indexCount, primitiveCount, type,
                                  faceMode, id, nullptr);
}

Status C3DObject::Unlock(uint32_t)
{
    return kStatusOk;
}

void C3DObject::SetGroupsType(uint32_t type)
{
    for (uint32_t g = 0; g < m_nGroupCount; ++g)
        SetGroupType(g, type);
}

namespace {

// One word of group record `group` of an index buffer; null without the buffer or the group.
uint32_t* GroupWord(C3DObjectIndex* index, uint32_t group, uint32_t C3DGroupRecord::*word)
{
    C3DGroupRecord* record = index ? index->GetGroup(group) : nullptr;
    return record ? &(record->*word) : nullptr;
}

} // namespace

void C3DObject::SetGroupType(uint32_t group, uint32_t type)
{
    if (uint32_t* word = GroupWord(m_pIndex, group, &C3DGroupRecord::type))
        *word = type;
}

uint32_t C3DObject::GetGroupType(uint32_t group)
{
    const uint32_t* word = GroupWord(m_pIndex, group, &C3DGroupRecord::type);
    return word ? *word : 0;
}

void C3DObject::SetGroupsFaceMode(uint32_t mode)
{
    for (uint32_t g = 0; g < m_nGroupCount; ++g)
        SetGroupFaceMode(g, mode);
}

void C3DObject::SetGroupFaceMode(uint32_t group, uint32_t mode)
{
    if (uint32_t* word = GroupWord(m_pIndex, group, &C3DGroupRecord::faceMode))
        *word = mode;
}

uint32_t C3DObject::GetGroupFaceMode(uint32_t group)
{
    const uint32_t* word = GroupWord(m_pIndex, group, &C3DGroupRecord::faceMode);
    return word ? *word : 0;
}

void C3DObject::ComputeFaceNormals() {}
void C3DObject::ComputeSmoothNormals() {}

void C3DObject::SetPointSizeFactor(float factor)
{
    if (m_pWorldData)
        m_fPointSize = (m_pWorldData->pointSpriteMax - m_pWorldData->pointSpriteMin) * factor;
}

Status C3DObject::CreateTexture(uint32_t, uint32_t, int32_t, uint32_t)
{
    return kStatusFailed;
}

Status C3DObject::MakeTextureFromAddress(uint32_t, uint32_t, const void*, uint32_t, uint32_t, const char16_t*)
{
    return kStatusFailed;
}

Status C3DObject::MakeTextureFromAddressEx(uint32_t, uint32_t, const void*, uint32_t, int32_t, uint32_t,
                                           const char16_t*)
{
    return kStatusFailed;
}

Status C3DObject::LoadTextureFromPacker(uint32_t, uint32_t, PackRecord*, uint32_t)
{
    return kStatusFailed;
}

Status C3DObject::LoadTextureFromPackerEx(uint32_t, uint32_t, PackRecord*, int32_t, uint32_t)
{
    return kStatusFailed;
}

Status C3DObject::LoadTextureFromFile(uint32_t, uint32_t, const char16_t*, uint32_t)
{
    return kStatusFailed;
}

Status C3DObject::LoadTextureFromFileEx(uint32_t, uint32_t, const char16_t*, int32_t, uint32_t)
{
    return kStatusFailed;
}

Status C3DObject::SaveTextureToFile(const char16_t*)
{
    return kStatusFailed;
}

C3DTexture* C3DObject::GetTexture(uint32_t, uint32_t)
{
    return nullptr;
}

Status C3DObject::ReleaseTextureAllGroups(uint32_t)
{
    return kStatusOk;
}

Status C3DObject::ReleaseTexture(uint32_t, uint32_t)
{
    return kStatusOk;
}

Status C3DObject::ConstructShape(uint32_t, void*)
{
    return kStatusFailed;
}

Status C3DObject::MakeFromObjects(C3DObject**, uint32_t, const char16_t*, uint8_t)
{
    return kStatusFailed;
}

Status C3DObject::MakeNormalLines(C3DObject**, uint32_t, float, uint32_t)
{
    return kStatusFailed;
}

Status C3DObject::BuildTextureAtlas(const char16_t*, const char16_t*, const uint32_t*, const uint8_t*, uint16_t,
                                    uint16_t, uint8_t)
{
    return kStatusFailed;
}

Status C3DObject::Upload()
{
    return kStatusFailed;
}

void C3DObject::SetShaderConstants() {}

Status C3DObject::Restore(uint32_t)
{
    return kStatusOk;
}

Status C3DObject::Invalidate(uint32_t)
{
    return kStatusOk;
}

uint32_t C3DObject::ResetIndices()
{
    return m_pIndex ? m_pIndex->FillIdentity() : 0;
}

uint32_t C3DObject::SetIndexRange(uint32_t start, uint32_t count)
{
    return m_pIndex ? m_pIndex->FillSequence(start, count) : start + count;
}

Status C3DObject::SetGroup(uint32_t i, uint32_t baseVertex, uint32_t vertexCount, uint32_t firstIndex,
                           uint32_t indexCount, uint32_t primitiveCount, uint32_t type, uint32_t faceMode,
                           uint32_t id)
{
    if (!m_pIndex)
        return kStatusFailed;
    return m_pIndex->SetGroup(i, baseVertex, vertexCount, firstIndex, indexCount, primitiveCount, type, faceMode,
                              id);
}

C3DMaterial* C3DObject::GetMaterial(uint32_t group)
{
    return m_pMaterials && group < m_nGroupCount ? &m_pMaterials[group] : nullptr;
}

Status C3DObject::SetMaterial(uint32_t group, const C3DMaterial& material)
{
    C3DMaterial* slot = GetMaterial(group);
    if (!slot)
        return kStatusFailed;
    *slot = material;
    return kStatusOk;
}

C3DTexture** C3DObject::TextureSlot(uint32_t group, uint32_t stage)
{
    if (!m_pTextures || group >= m_nGroupCount || stage >= k3DTextureStages)
        return nullptr;
    return &m_pTextures[size_t(group) * k3DTextureStages + stage];
}

void C3DObject::ForgetTexture(const C3DTexture* pTexture)
{
    if (!m_pTextures || !pTexture)
        return;
    for (size_t k = 0; k < size_t(m_nGroupCount) * k3DTextureStages; ++k)
        if (m_pTextures[k] == pTexture)
            m_pTextures[k] = nullptr;
}
