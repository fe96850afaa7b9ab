#include "Vornel3D/C3DEngine.h"

#include <cmath>
#include <new>

#include "C3DEngineList.h"
#include "Vornel3D/C3DContainer.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DShader.h"
#include "Vornel3D/C3DStencilShadow.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DVideoOgg.h"
#include "Vornel3D/C3DView.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

C3DEngine::C3DEngine(WorldData* pWorldData) : CBaseObject(pWorldData)
{
    if (m_pWorldData)
        m_pWorldData->p3DEngine = this;
}

C3DEngine::~C3DEngine()
{
    if (m_pWorldData && m_pWorldData->p3DEngine == this)
        m_pWorldData->p3DEngine = nullptr;
}

C3DEngine* C3DEngine::FromWorld(const WorldData* pWorldData)
{
    return pWorldData ? pWorldData->p3DEngine : nullptr;
}

// ---- device ---------------------------------------------------------------------------------

Status C3DEngine::Load(void*)
{
    return kStatusOk;
}

void C3DEngine::ReportLeak(const char16_t* line)
{
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0, u"%s", line);
}

Status C3DEngine::Unload()
{
    // Every entry still listed here was never released by its owner: the list reports it once,
    // and the entry is released and deleted whatever its holder counts say (a forced removal),
    // so that nothing outlives the engine. Entries leave their list before they are released,
    // because releasing an object gives back its index buffer and textures through the other
    // lists.
    auto empty = [this](CFIFOList& list, const char16_t* leakLine, auto destroy) {
        const bool leaked = !list.IsEmpty();
        while (void* item = list.GetFirst()) {
            list.RemoveCurrent(1);
            destroy(item);
        }
        if (leaked)
            ReportLeak(leakLine);
    };
    empty(m_plistObjects, u"# C3DEngine::m_plistObjects detected memory leaks !\n", [this](void* item) {
        auto* object = static_cast<C3DObject*>(item);
        ForgetObject(object);
        DestroyObject(object);
    });
    empty(m_plistObjectsIndex, u"# C3DEngine::m_plistObjectsIndex detected memory leaks !\n",
          [](void* item) { DestroyObjectIndex(static_cast<C3DObjectIndex*>(item)); });
    empty(m_plistTextures, u"# C3DEngine::m_plistTextures detected memory leaks !\n", [this](void* item) {
        auto* texture = static_cast<C3DTexture*>(item);
        ForgetTexture(texture);
        DestroyTexture(texture);
    });
    empty(m_plistShaders, u"# C3DEngine::m_plistShaders detected memory leaks !\n",
          [](void* item) { DestroyShader(static_cast<C3DShader*>(item)); });
    empty(m_listStencilShadow, u"# C3DEngine::m_listStencilShadow detected memory leaks !\n",
          [](void* item) { DestroyStencilShadow(static_cast<C3DStencilShadow*>(item)); });
    empty(m_listContainer, u"# C3DEngine::m_listContainer detected memory leaks !\n",
          [](void* item) { delete static_cast<C3DContainer*>(item); });
    return kStatusOk;
}

Status C3DEngine::SetDisplayMode(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                                 uint8_t colorDepth, uint32_t)
{
    if (!m_pWorldData)
        return kStatusFailed;
    m_pWorldData->virtualWidth = width;
    m_pWorldData->virtualHeight = height;
    m_pWorldData->fullScreen = fullscreen;
    m_pWorldData->colorDepth = colorDepth;
    m_pWorldData->pWindow = pWindow;
    return kStatusOk;
}

Status C3DEngine::Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                       uint32_t extra)
{
    if (Failed(SetDisplayMode(pWindow, width, height, fullscreen, colorDepth, extra)))
        return kStatusFailed;
    const bool restored =
        WalkList<C3DObject>(m_plistObjects, [&](C3DObject* o) { return Succeeded(o->Restore(extra)); }) &&
        WalkList<C3DObjectIndex>(m_plistObjectsIndex, [&](C3DObjectIndex* i) { return Succeeded(i->Restore(extra)); });
    if (!restored)
        return kStatusFailed;
    if (m_pView)
        m_pView->SetViewport(0, 0, int32_t(std::floor(float(width) * m_pWorldData->scaleX)),
                             int32_t(std::floor(float(height) * m_pWorldData->scaleY)));
    return kStatusOk;
}

Status C3DEngine::Invalidate(uint32_t value)
{
    const bool invalidated =
        WalkList<C3DObject>(m_plistObjects, [&](C3DObject* o) { return Succeeded(o->Invalidate(value)); }) &&
        WalkList<C3DObjectIndex>(m_plistObjectsIndex,
                                 [&](C3DObjectIndex* i) { return Succeeded(i->Invalidate(value)); });
    return invalidated ? kStatusOk : kStatusFailed;
}

Status C3DEngine::SetLights(int32_t count)
{
    const int32_t n = count == -1 ? 2 : count;
    for (int32_t i = 0; i < n; ++i)
        SetLight(uint32_t(i));
    return kStatusOk;
}

Status C3DEngine::BeginScene()
{
    return kStatusOk;
}

Status C3DEngine::EndScene()
{
    return kStatusOk;
}

Status C3DEngine::Clear()
{
    return kStatusOk;
}

Status C3DEngine::ClearBuffers(uint8_t, uint8_t, uint8_t)
{
    return kStatusOk;
}

// ---- objects, index buffers, shaders, shadows, videos ---------------------------------------

Status C3DEngine::ReleaseObject(C3DObject* pObject)
{
    if (!pObject || Failed(m_plistObjects.Remove(pObject)))
        return kStatusFailed;
    // A shader container must not keep drawing an object that its back end deletes next.
    ForgetObject(pObject);
    return kStatusOk;
}

void C3DEngine::ForgetObject(C3DObject* pObject)
{
    WalkList<C3DContainer>(m_listContainer, [&](C3DContainer* c) {
        if (c->GetKind() == kContainerKindShader) {
            auto* shader = static_cast<C3DContainerShader*>(c);
            if (shader->GetObject() == pObject)
                shader->SetObject(nullptr);
        }
        return true;
    });
}

Status C3DEngine::ReleaseObjectIndex(C3DObjectIndex* pIndex)
{
    if (!pIndex || (pIndex->GetKind() != k3DIndex16 && pIndex->GetKind() != k3DIndex32))
        return kStatusFailed;
    return m_plistObjectsIndex.Remove(pIndex);
}

C3DVideo* C3DEngine::CreateVideo(uint32_t flags, uint32_t second)
{
    C3DVideo* video = nullptr;
    if (flags & k3DVideoNative)
        video = new (std::nothrow) C3DVideoNative(m_pWorldData);
    else
        video = new (std::nothrow) C3DVideoOgg(m_pWorldData);
    if (!video) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddVideo(video, flags, second)) ? nullptr : video;
}

Status C3DEngine::ReleaseVideo(C3DVideo* pVideo)
{
    if (!pVideo || Failed(m_plistVideos.Remove(pVideo)))
        return kStatusFailed;
    pVideo->Release();
    delete pVideo;
    return kStatusOk;
}

Status C3DEngine::ReleaseShader(C3DShader* pShader)
{
    return pShader ? m_plistShaders.Remove(pShader) : kStatusFailed;
}

Status C3DEngine::IsDefaultShaderInUse()
{
    return kStatusFailed;
}

Status C3DEngine::ReleaseStencilShadow(C3DStencilShadow* pShadow)
{
    return pShadow ? m_listStencilShadow.Remove(pShadow) : kStatusFailed;
}

// A resource whose Init fails has never been listed, so no release slot would take it (they
// refuse unlisted entries): it is released and deleted here, directly.

Status C3DEngine::AddObject(C3DObject* pObject, uint32_t flags, uint32_t second)
{
    if (!pObject)
        return kStatusFailed;
    pObject->SetFlags(flags);
    pObject->SetCreationWord(second);
    if (Failed(pObject->Init()) || Failed(m_plistObjects.Add(pObject, uint8_t(flags & k3DShareByName)))) {
        DestroyObject(pObject);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status C3DEngine::AddObjectIndex(C3DObjectIndex* pIndex, uint32_t, uint32_t kind)
{
    if (!pIndex)
        return kStatusFailed;
    pIndex->SetKind(kind);
    if (Failed(pIndex->Init()) || Failed(m_plistObjectsIndex.Add(pIndex, 0))) {
        DestroyObjectIndex(pIndex);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status C3DEngine::AddShader(C3DShader* pShader, uint32_t flags, uint32_t second)
{
    if (!pShader)
        return kStatusFailed;
    pShader->SetCreationWords(flags, second);
    if (Failed(pShader->Init()) || Failed(m_plistShaders.Add(pShader, uint8_t(flags & k3DShareByName)))) {
        DestroyShader(pShader);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status C3DEngine::AddStencilShadow(C3DStencilShadow* pShadow, uint32_t count, uint32_t color)
{
    if (!pShadow)
        return kStatusFailed;
    if (Failed(pShadow->Create(count, color)) || Failed(m_listStencilShadow.Add(pShadow, 0))) {
        DestroyStencilShadow(pShadow);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status C3DEngine::AddVideo(C3DVideo* pVideo, uint32_t flags, uint32_t second)
{
    if (!pVideo)
        return kStatusFailed;
    pVideo->SetCreationWords(flags, second);
    if (Failed(pVideo->Init()) || Failed(m_plistVideos.Add(pVideo, uint8_t((flags & k3DVideoNodeFlag) != 0)))) {
        pVideo->Release();
        delete pVideo;
        return kStatusFailed;
    }
    return kStatusOk;
}

namespace {

template <typename T> void ReleaseAndDelete(T* pResource)
{
    if (pResource) {
        pResource->Release();
        delete pResource;
    }
}

} // namespace

void C3DEngine::DestroyObject(C3DObject* pObject)
{
    ReleaseAndDelete(pObject);
}

void C3DEngine::DestroyObjectIndex(C3DObjectIndex* pIndex)
{
    ReleaseAndDelete(pIndex);
}

void C3DEngine::DestroyTexture(C3DTexture* pTexture)
{
    ReleaseAndDelete(pTexture);
}

void C3DEngine::DestroyShader(C3DShader* pShader)
{
    ReleaseAndDelete(pShader);
}

void C3DEngine::DestroyStencilShadow(C3DStencilShadow* pShadow)
{
    ReleaseAndDelete(pShadow);
}
