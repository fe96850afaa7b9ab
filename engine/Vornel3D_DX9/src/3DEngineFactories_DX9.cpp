// The Direct3D 9 engine's resource factories and releases.
#include <new>

#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "Vornel3D_DX9/C3DObjectIndex_DX90.h"
#include "Vornel3D_DX9/C3DObjectsDX90.h"
#include "Vornel3D_DX9/C3DShader_DX90.h"
#include "Vornel3D_DX9/C3DStencilShadowDX90.h"
#include "Vornel3D_DX9/C3DTextureDX90.h"
#include "VornelUtils/WorldData.h"

namespace {

template <typename T> T* Allocate(WorldData* pWorldData)
{
    T* resource = new (std::nothrow) T(pWorldData);
    if (!resource && pWorldData)
        pWorldData->lastErrorCode = kStatusOutOfMemory;
    return resource;
}

}  // namespace

C3DObject* C3DEngineDX90::CreateObject(uint32_t flags, uint32_t second)
{
    C3DObject* object = nullptr;
    if (flags & k3DObjectNormals)
        object = Allocate<C3DObjectDX90Normal>(m_pWorldData);
    else if (flags & k3DObjectMultiTexture)
        object = Allocate<C3DObjectDX90MultiTextures>(m_pWorldData);
    else if (flags & k3DObjectPointSprite)
        object = Allocate<C3DObjectDX90PointSprite>(m_pWorldData);
    else if (flags & k3DObjectScreen)
        object = Allocate<C3DObjectDX90Screen>(m_pWorldData);
    else {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusKindNotHandled;
        return nullptr;
    }
    if (!object)
        return nullptr;
    return Failed(AddObject(object, flags, second)) ? nullptr : object;
}

Status C3DEngineDX90::ReleaseObject(C3DObject* pObject)
{
    if (Failed(C3DEngine::ReleaseObject(pObject)))
        return kStatusFailed;
    DestroyObject(pObject);
    return kStatusOk;
}

C3DObjectIndex* C3DEngineDX90::CreateObjectIndex(uint32_t count, uint32_t kind)
{
    C3DObjectIndex* index = nullptr;
    if (kind == k3DIndex16)
        index = Allocate<C3DObjectDX90Index16>(m_pWorldData);
    else if (kind == k3DIndex32)
        index = Allocate<C3DObjectDX90Index32>(m_pWorldData);
    else
        return nullptr;
    if (!index)
        return nullptr;
    return Failed(AddObjectIndex(index, count, kind)) ? nullptr : index;
}

Status C3DEngineDX90::ReleaseObjectIndex(C3DObjectIndex* pIndex)
{
    if (Failed(C3DEngine::ReleaseObjectIndex(pIndex)))
        return kStatusFailed;
    DestroyObjectIndex(pIndex);
    return kStatusOk;
}

C3DTexture* C3DEngineDX90::CreateTexture(uint32_t flags, uint32_t second)
{
    C3DTexture* texture = Allocate<C3DTextureDX90>(m_pWorldData);
    if (!texture)
        return nullptr;
    return Failed(AddTexture(texture, flags, second)) ? nullptr : texture;
}

Status C3DEngineDX90::ReleaseTexture(C3DTexture* pTexture, uint8_t direct)
{
    if (Failed(C3DEngine::ReleaseTexture(pTexture, direct)))
        return kStatusFailed;
    DestroyTexture(pTexture);
    return kStatusOk;
}

C3DShader* C3DEngineDX90::CreateShader(uint32_t flags, uint32_t second)
{
    C3DShader* shader = new (std::nothrow) C3DShader_DX90(m_pWorldData, this);
    if (!shader) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    return Failed(AddShader(shader, flags, second)) ? nullptr : shader;
}

Status C3DEngineDX90::ReleaseShader(C3DShader* pShader)
{
    if (Failed(C3DEngine::ReleaseShader(pShader)))
        return kStatusFailed;
    DestroyShader(pShader);
    return kStatusOk;
}

C3DStencilShadow* C3DEngineDX90::CreateStencilShadow(uint32_t count, uint32_t color)
{
    C3DStencilShadow* shadow = Allocate<C3DStencilShadowDX90>(m_pWorldData);
    if (!shadow)
        return nullptr;
    return Failed(AddStencilShadow(shadow, count, color)) ? nullptr : shadow;
}

Status C3DEngineDX90::ReleaseStencilShadow(C3DStencilShadow* pShadow)
{
    if (Failed(C3DEngine::ReleaseStencilShadow(pShadow)))
        return kStatusFailed;
    DestroyStencilShadow(pShadow);
    return kStatusOk;
}
