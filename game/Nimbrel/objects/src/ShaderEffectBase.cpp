#include "NimbrelObjects/CShaderEffectBase.h"

#include "NimbrelManagers/CShaderManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D/C3DShader.h"
#include "VornelUtils/WorldData.h"

void CShaderEffectBase::End()
{
    if (!m_pShader)
        return;
    m_pShader->End();
    CNimbrelWorld* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (CShaderManager* shaders = world ? world->GetShaderManager() : nullptr)
        shaders->RestoreDefaultShader();
}
