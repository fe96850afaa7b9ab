// The OpenGL engine's resource factories and releases.
#include <new>

#include "Vornel3D_GL/C3DEngine_GL.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DObjects_GL.h"
#include "Vornel3D_GL/C3DShader_GL.h"
#include "Vornel3D_GL/C3DStencilShadow_GL.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
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

C3DObject* C3DEngine_GL::CreateObject(uint32_t flags, uint32_t second)
{
    C3DObject* object = nullptr;
    if (flags & k3DObjectNormals)
        object = Allocate<C3DObjectNormal_GL>(m_pWorldData);
    else if (flags & k3DObjectMultiTexture)
        object = Allocate<C3DObjectMultiTextures_GL>(m_pWorldData);
    else if (flags & k3DObjectPointSprite)
        object = Allocate<C3DObjectPointSprite_GL>(m_pWorldData);
    else if (flags & k3DObjectScreen)
        object = Allocate<C3DObjectScreen_GL>(m_pWorldData);
    else {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusKindNotHandled;
        return nullptr;
    }
    if (!object)
        return nullptr;
    return Failed(AddObject(object, flags, second)) ? nullptr : object;
}

Status C3DEngine_GL::ReleaseObject(C3DObject* pObject)
{
    if (Failed(C3DEngine::ReleaseObject(pObject)))
        return kStatusFailed;
    if (pObject->GetFlags() & k3DObjectKindMask)
        DestroyObject(pObject);
    return kStatusOk;
}

C3DObjectIndex* C3DEngine_GL::CreateObjectIndex(uint32_t count, uint32_t kind)
{
    C3DObjectIndex* index = nullptr;
    if (kind == k3DIndex16)
        index = Allocate<C3DObjectIndex16_GL>(m_pWorldData);
    else if (kind == k3DIndex32)
        index = Allocate<C3DObjectIndex32_GL>(m_pWorldData);
    else
        return nullptr;
    if (!index)
        return nullptr;
    return Failed(AddObjectIndex(index, count, kind)) ? nullptr : index;
}

Status C3DEngine_GL::ReleaseObjectIndex(C3DObjectIndex* pIndex)
{
    if (Failed(C3DEngine::ReleaseObjectIndex(pIndex)))
        return kStatusFailed;
    DestroyObjectIndex(pIndex);
    return kStatusOk;
}

C3DTexture* C3DEngine_GL::CreateTexture(uint32_t flags, uint32_t second)
{
    C3DTexture* texture = Allocate<C3DTexture_GL>(m_pWorldData);
    if (!texture)
        return nullptr;
    return Failed(AddTexture(texture, flags, second)) ? nullptr : texture;
}

Status C3DEngine_GL::ReleaseTexture(C3DTexture* pTexture, uint8_t direct)
{
    if (Failed(C3DEngine::ReleaseTexture(pTexture, direct)))
        return kStatusFailed;
    DestroyTexture(pTexture);
    return kStatusOk;
}

C3DShader* C3DEngine_GL::CreateShader(uint32_t flags, uint32_t second)
{
    C3DShader* shader = Allocate<C3DShader_GL>(m_pWorldData);
    if (!shader)
        return nullptr;
    return Failed(AddShader(shader, flags, second)) ? nullptr : shader;
}

Status C3DEngine_GL::ReleaseShader(C3DShader* pShader)
{
    if (Failed(C3DEngine::ReleaseShader(pShader)))
        return kStatusFailed;
    DestroyShader(pShader);
    return kStatusOk;
}

C3DStencilShadow* C3DEngine_GL::CreateStencilShadow(uint32_t count, uint32_t color)
{
    C3DStencilShadow* shadow = Allocate<C3DStencilShadow_GL>(m_pWorldData);
    if (!shadow)
        return nullptr;
    return Failed(AddStencilShadow(shadow, count, color)) ? nullptr : shadow;
}

Status C3DEngine_GL::ReleaseStencilShadow(C3DStencilShadow* pShadow)
{
    if (Failed(C3DEngine::ReleaseStencilShadow(pShadow)))
        return kStatusFailed;
    DestroyStencilShadow(pShadow);
    return kStatusOk;
}

Status C3DEngine_GL::IsStencilSupported()
{
    return kStatusOk;
}

Status C3DEngine_GL::IsShaderSupported()
{
    return m_context.features.shader ? kStatusOk : kStatusFailed;
}
