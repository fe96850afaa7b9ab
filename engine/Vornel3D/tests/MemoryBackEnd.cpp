#include "MemoryBackEnd.h"

#include <cstring>
#include <new>

namespace {

// The layout of an object class chosen by the first kind bit, as the renderers do.
bool LayoutForFlags(uint32_t flags, C3DVertexLayout* layout)
{
    if (flags & k3DObjectNormals)
        *layout = C3DVertexLayout::Normal;
    else if (flags & k3DObjectMultiTexture)
        *layout = C3DVertexLayout::MultiTexture;
    else if (flags & k3DObjectPointSprite)
        *layout = C3DVertexLayout::PointSprite;
    else if (flags & k3DObjectScreen)
        *layout = C3DVertexLayout::Screen;
    else
        return false;
    return true;
}

CMemoryEngine* AsMemoryEngine(WorldData* pWorldData)
{
    return dynamic_cast<CMemoryEngine*>(C3DEngine::FromWorld(pWorldData));
}

template <typename Base> class CMemoryIndex : public Base {
public:
    explicit CMemoryIndex(WorldData* pWorldData) : Base(pWorldData) {}
    Status Init() override
    {
        CMemoryEngine* engine = AsMemoryEngine(this->m_pWorldData);
        return engine && engine->faults.indexInit ? kStatusFailed : Base::Init();
    }
};

class CMemoryShader : public C3DShader {
public:
    explicit CMemoryShader(WorldData* pWorldData) : C3DShader(pWorldData) {}
    Status Init() override
    {
        CMemoryEngine* engine = AsMemoryEngine(m_pWorldData);
        return engine && engine->faults.shaderInit ? kStatusFailed : C3DShader::Init();
    }
};

class CMemoryShadow : public C3DStencilShadow {
public:
    explicit CMemoryShadow(WorldData* pWorldData) : C3DStencilShadow(pWorldData) {}
    Status Create(uint32_t count, uint32_t color) override
    {
        CMemoryEngine* engine = AsMemoryEngine(m_pWorldData);
        return engine && engine->faults.shadowCreate ? kStatusFailed : C3DStencilShadow::Create(count, color);
    }
};

} // namespace

// ---- objects ----------------------------------------------------------------------------------

CMemoryObject::CMemoryObject(WorldData* pWorldData, C3DVertexLayout layout)
    : C3DObjectInMemory(pWorldData, layout, 0)
{
}

CMemoryObject::~CMemoryObject() = default;

CMemoryEngine* CMemoryObject::MemoryEngine() const
{
    return AsMemoryEngine(m_pWorldData);
}

Status CMemoryObject::Init()
{
    CMemoryEngine* engine = MemoryEngine();
    if (engine && engine->faults.objectInit)
        return kStatusFailed;
    return C3DObjectPrivate::Init();
}

Status CMemoryObject::Release()
{
    m_vertices.Release();
    return C3DObjectPrivate::Release();
}

Status CMemoryObject::Create(uint32_t groups, uint32_t vertices, uint32_t indices)
{
    CMemoryEngine* engine = MemoryEngine();
    if (engine && engine->faults.objectCreate)
        return kStatusFailed;
    if (Failed(C3DObjectPrivate::Create(groups, vertices, indices)))
        return kStatusFailed;
    if (engine && engine->faults.vertexAllocation) {
        m_vertices.Release();
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return m_vertices.Create(vertices, m_pWorldData);
}

Status CMemoryObject::Unlock(uint32_t value)
{
    C3DObjectPrivate::Unlock(value);
    if (m_pIndex)
        m_pIndex->Unlock(value);
    return kStatusOk;
}

Status CMemoryObject::Upload()
{
    ++m_nUploads;
    return kStatusOk;
}

void CMemoryObject::DrawPosition(uint32_t position)
{
    CMemoryEngine* engine = MemoryEngine();
    const C3DGroupRecord* order = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    if (!engine || !order)
        return;
    // The record at a draw position names the group drawn there.
    const uint32_t group = order->id;
    CMemoryDraw draw{};
    draw.object = this;
    draw.group = group;
    draw.texture = GetTexture(group, 0);
    if (draw.texture && draw.texture->GetName())
        draw.textureName = draw.texture->GetName();
    if (m_pMatrix)
        std::memcpy(draw.matrix, m_pMatrix, sizeof draw.matrix);
    draw.color = m_nColor;
    engine->draws.push_back(draw);
}

void CMemoryObject::Draw()
{
    for (uint32_t k = 0; k < m_nGroupCount; ++k)
        DrawPosition(k);
}

void CMemoryObject::DrawEx(uint32_t position)
{
    if (position < m_nGroupCount)
        DrawPosition(position);
}

// ---- textures ---------------------------------------------------------------------------------

Status CMemoryTexture::Init()
{
    CMemoryEngine* engine = AsMemoryEngine(m_pWorldData);
    return engine && engine->faults.textureInit ? kStatusFailed : C3DTexture::Init();
}

Status CMemoryTexture::Release()
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    return C3DTexture::Release();
}

Status CMemoryTexture::MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                                   const char16_t* name)
{
    const size_t bytes = size_t(width) * height * (depth / 8);
    if (pixels)
        m_pixels.assign(pixels, pixels + bytes);
    else
        m_pixels.assign(bytes, 0);
    m_nWidth = width;
    m_nHeight = height;
    m_nDepth = depth;
    return C3DTexture::MakeFromRaw(width, height, depth, pixels, name);
}

Status CMemoryTexture::UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels)
{
    const size_t bytes = size_t(width) * height * (depth / 8);
    if (!pixels || width != m_nWidth || height != m_nHeight || depth != m_nDepth || bytes != m_pixels.size())
        return kStatusFailed;
    m_pixels.assign(pixels, pixels + bytes);
    ++m_nUpdates;
    return kStatusOk;
}

// ---- engine -----------------------------------------------------------------------------------

Status CMemoryEngine::SetLight(uint32_t index)
{
    lightsSet.push_back(index);
    return kStatusOk;
}

C3DObject* CMemoryEngine::CreateObject(uint32_t flags, uint32_t second)
{
    C3DVertexLayout layout;
    if (!LayoutForFlags(flags, &layout)) {
        m_pWorldData->lastErrorCode = StatusCode(0x8001000Au);
        return nullptr;
    }
    C3DObject* object = faults.allocation ? nullptr : new (std::nothrow) CMemoryObject(m_pWorldData, layout);
    if (!object) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddObject(object, flags, second)) ? nullptr : object;
}

Status CMemoryEngine::ReleaseObject(C3DObject* pObject)
{
    if (Failed(C3DEngine::ReleaseObject(pObject)))
        return kStatusFailed;
    DestroyObject(pObject);
    return kStatusOk;
}

C3DObjectIndex* CMemoryEngine::CreateObjectIndex(uint32_t count, uint32_t kind)
{
    C3DObjectIndex* index = nullptr;
    if (kind == k3DIndex16)
        index = faults.allocation ? nullptr : new (std::nothrow) CMemoryIndex<C3DObjectIndex16>(m_pWorldData);
    else if (kind == k3DIndex32)
        index = faults.allocation ? nullptr : new (std::nothrow) CMemoryIndex<C3DObjectIndex32>(m_pWorldData);
    else
        return nullptr;
    if (!index) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddObjectIndex(index, count, kind)) ? nullptr : index;
}

Status CMemoryEngine::ReleaseObjectIndex(C3DObjectIndex* pIndex)
{
    if (Failed(C3DEngine::ReleaseObjectIndex(pIndex)))
        return kStatusFailed;
    DestroyObjectIndex(pIndex);
    return kStatusOk;
}

C3DTexture* CMemoryEngine::CreateTexture(uint32_t flags, uint32_t second)
{
    C3DTexture* texture = faults.allocation ? nullptr : new (std::nothrow) CMemoryTexture(m_pWorldData);
    if (!texture) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddTexture(texture, flags, second)) ? nullptr : texture;
}

Status CMemoryEngine::ReleaseTexture(C3DTexture* pTexture, uint8_t direct)
{
    if (Failed(C3DEngine::ReleaseTexture(pTexture, direct)))
        return kStatusFailed;
    DestroyTexture(pTexture);
    return kStatusOk;
}

C3DShader* CMemoryEngine::CreateShader(uint32_t flags, uint32_t second)
{
    C3DShader* shader = faults.allocation ? nullptr : new (std::nothrow) CMemoryShader(m_pWorldData);
    if (!shader) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddShader(shader, flags, second)) ? nullptr : shader;
}

Status CMemoryEngine::ReleaseShader(C3DShader* pShader)
{
    if (Failed(C3DEngine::ReleaseShader(pShader)))
        return kStatusFailed;
    DestroyShader(pShader);
    return kStatusOk;
}

C3DStencilShadow* CMemoryEngine::CreateStencilShadow(uint32_t count, uint32_t color)
{
    C3DStencilShadow* shadow = faults.allocation ? nullptr : new (std::nothrow) CMemoryShadow(m_pWorldData);
    if (!shadow) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddStencilShadow(shadow, count, color)) ? nullptr : shadow;
}

Status CMemoryEngine::ReleaseStencilShadow(C3DStencilShadow* pShadow)
{
    if (Failed(C3DEngine::ReleaseStencilShadow(pShadow)))
        return kStatusFailed;
    DestroyStencilShadow(pShadow);
    return kStatusOk;
}

void CMemoryEngine::ReportLeak(const char16_t* line)
{
    leakLines.emplace_back(line);
    C3DEngine::ReportLeak(line);
}

// ---- world ------------------------------------------------------------------------------------

CMemoryWorld::CMemoryWorld() : data(new WorldData())
{
    data->dataPathWord = -1;
    data->scaleX = data->scaleY = data->scaleZ = 1.0f;
    math.reset(new C3DMath(data.get()));
    data->pMath = math.get();
    engine.reset(new CMemoryEngine(data.get()));
}

CMemoryWorld::~CMemoryWorld()
{
    // As a world's unload would: whatever a test left behind goes with the engine.
    if (engine)
        engine->Unload();
    engine.reset();
    math.reset();
}

std::vector<uint8_t> MemoryTga(uint16_t width, uint16_t height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    tga.push_back(uint8_t(width & 0xFF));
    tga.push_back(uint8_t(width >> 8));
    tga.push_back(uint8_t(height & 0xFF));
    tga.push_back(uint8_t(height >> 8));
    tga.push_back(24);
    tga.push_back(0);
    for (uint32_t i = 0; i < uint32_t(width) * height; ++i) {
        tga.push_back(b); // stored blue, green, red
        tga.push_back(g);
        tga.push_back(r);
    }
    return tga;
}
