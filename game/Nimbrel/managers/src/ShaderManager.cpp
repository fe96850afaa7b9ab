#include "NimbrelManagers/CShaderManager.h"

#include <new>

#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DShader.h"
#include "VornelUtils/WorldData.h"

CShaderManager::~CShaderManager()
{
    Unload();
}

bool CShaderManager::IsDefaultShaderInUse()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    return engine && engine->IsDefaultShaderInUse() == kStatusOk;
}

Status CShaderManager::Load()
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusFailed;
    if (Failed(Unload()))
        return kStatusFailed;
    m_pNoise = new (std::nothrow) CShaderTransitionNoise(w);
    if (!m_pNoise) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    // Without the dissolve, fades fall back to alpha fades.
    if (Failed(m_pNoise->Load()) && w->pGame)
        w->pGame->noShaderFades = 1;
    m_pDefault = new (std::nothrow) CShaderTransition(w);
    if (!m_pDefault) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return Failed(m_pDefault->Load()) ? kStatusFailed : kStatusOk;
}

Status CShaderManager::Unload()
{
    m_pCurrent = nullptr;
    if (m_pDefault) {
        if (Failed(m_pDefault->Unload()))
            return kStatusFailed;
        delete m_pDefault;
        m_pDefault = nullptr;
    }
    if (m_pNoise) {
        if (Failed(m_pNoise->Unload()))
            return kStatusFailed;
        delete m_pNoise;
        m_pNoise = nullptr;
    }
    return kStatusOk;
}

void CShaderManager::BeginDefaultShader()
{
    if (m_pDefault && IsDefaultShaderInUse() && m_pCurrent != m_pDefault)
        m_pDefault->Begin();
}

void CShaderManager::EndDefaultShader()
{
    if (!m_pDefault || !IsDefaultShaderInUse() || m_pCurrent != m_pDefault)
        return;
    if (C3DShader* shader = m_pDefault->GetShader())
        shader->End();
    m_pCurrent = nullptr;
}

void CShaderManager::SetCurrentShader(CShaderEffectBase* pEffect)
{
    if (pEffect == m_pCurrent)
        return;
    if (m_pCurrent && m_pCurrent == m_pDefault && IsDefaultShaderInUse())
        if (C3DShader* shader = m_pDefault->GetShader())
            shader->End();
    m_pCurrent = pEffect;
}

void CShaderManager::RestoreDefaultShader()
{
    if (!m_pDefault || !IsDefaultShaderInUse() || m_pCurrent == m_pDefault)
        return;
    m_pCurrent = nullptr;
    m_pDefault->Begin();
}
