#include "Vornel3D/C3DStencilShadow.h"

#include <cstring>
#include <new>

#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

C3DStencilShadow::C3DStencilShadow(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DStencilShadow::~C3DStencilShadow()
{
    Release(); // the owners release first; this only catches arrays left behind
    delete[] m_pCasters;
}

void C3DStencilShadow::FreeArrays(C3DShadowCaster& caster)
{
    UTILS_FREE(caster.pSides);
    UTILS_FREE(caster.pCaps);
    caster.pSides = nullptr;
    caster.pCaps = nullptr;
}

Status C3DStencilShadow::Create(uint32_t count, uint32_t color)
{
    C3DShadowCaster* casters = nullptr;
    if (count > 0) {
        casters = new (std::nothrow) C3DShadowCaster[count];
        if (!casters) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    Release();
    delete[] m_pCasters;
    m_pCasters = casters;
    m_nCasterCount = count;
    UtilsParameters* settings = m_pWorldData ? m_pWorldData->pWorldSettings : nullptr;
    m_bShowConstruct = settings && settings->GetBool(u"STENCIL_SHADOW", u"SHOW_CONSTRUCT", 0) != 0;
    m_nColor = color;
    std::memset(m_matrix, 0, sizeof m_matrix);
    m_matrix[0] = m_matrix[5] = m_matrix[10] = m_matrix[15] = 1.0f;
    return kStatusOk;
}

Status C3DStencilShadow::Release()
{
    for (uint32_t i = 0; i < m_nCasterCount; ++i) {
        FreeArrays(m_pCasters[i]);
        m_pCasters[i].sideCount = 0;
        m_pCasters[i].capCount = 0;
    }
    return kStatusOk;
}

Status C3DStencilShadow::SetCaster(uint32_t i, C3DObject* pObject, float* pMatrix, const float* upper,
                                   const float* lower)
{
    C3DShadowCaster* caster = GetCaster(i);
    if (!caster)
        return kStatusFailed;
    // An earlier caster's arrays go first rather than leak.
    FreeArrays(*caster);
    caster->pObject = pObject;
    caster->pMatrix = pMatrix;
    for (int k = 0; k < 3; ++k) {
        caster->upper[k] = upper ? upper[k] : 0.0f;
        caster->lower[k] = lower ? lower[k] : 0.0f;
    }
    caster->capacity = 0;
    caster->sideCount = 0;
    caster->capCount = 0;
    if (!pObject)
        return kStatusOk;
    const uint64_t capacity = 200ull * pObject->GetVertexCount();
    if (capacity == 0)
        return kStatusOk;
    if (capacity > 0xFFFFFFFFull / 12) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    caster->pSides = static_cast<float*>(UTILS_CALLOC(size_t(capacity) * 3, sizeof(float)));
    caster->pCaps = static_cast<float*>(UTILS_CALLOC(size_t(capacity) * 3, sizeof(float)));
    if (!caster->pSides || !caster->pCaps) {
        FreeArrays(*caster);
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    caster->capacity = uint32_t(capacity);
    return kStatusOk;
}

void C3DStencilShadow::Draw(uint32_t) {}
