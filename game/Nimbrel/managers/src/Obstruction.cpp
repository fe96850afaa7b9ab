// The obstruction overlay's quad.
#include "NimbrelManagers/CObstruction.h"

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/WorldData.h"

namespace {

// A screen object with 16-bit indices and no display lists (its corners move every time),
// drawn with its own render states and alpha blending; the scene objects switch its depth bits.
constexpr uint32_t kQuadFlags = k3DObjectScreen | k3DObjectIndex16 | k3DObjectColorAtDraw;
constexpr uint32_t kQuadCreation = k3DDrawAlpha | k3DDrawOwnStates;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;

}  // namespace

CObstruction::~CObstruction()
{
    Unload();
}

Status CObstruction::Load()
{
    C3DEngine* engine = m_pWorldData ? m_pWorldData->p3DEngine : nullptr;
    if (!engine || m_pQuad)
        return kStatusOk;
    C3DObject* quad = engine->CreateObject(kQuadFlags, kQuadCreation);
    if (!quad)
        return kStatusFailed;
    if (quad->Create(1, 4, 4) != kStatusOk || quad->Lock(0, 2) != kStatusOk) {
        engine->ReleaseObject(quad);
        return kStatusFailed;
    }
    quad->ResetIndices();
    const float uv[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (uint32_t i = 0; i < 4; ++i)
        quad->SetVertex(i, 0, 0, 0, kWhite, uv[i][0], uv[i][1], 0, 0, 0, 0);
    quad->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceModeBoth, 0xFFFFFFFFu);
    quad->Unlock(1);
    m_pQuad = quad;
    // Its picture's alpha is the mask: where it is not fully transparent.
    auto* world = dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld);
    if (!world || Failed(AutoLoad3DObjectTextureFromParam(world->GetTextureSource(), quad, kTextureKind, kTextureFlags,
                                                          0, u"OBSTRUCTION", u"OBSTRUCTION_TEXTURE_PATH",
                                                          u"obstruction.png", m_pWorldData->pAppSettings,
                                                          m_pWorldData))) {
        Unload();
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CObstruction::Unload()
{
    if (m_pQuad) {
        if (C3DEngine* engine = m_pWorldData ? m_pWorldData->p3DEngine : nullptr)
            engine->ReleaseObject(m_pQuad);
        m_pQuad = nullptr;
    }
    return kStatusOk;
}

Status CObstruction::SetRectangle(float x0, float y0, float x1, float y1)
{
    if (!m_pQuad || m_pQuad->Lock(0, 2) != kStatusOk)
        return kStatusOk;
    m_pQuad->SetVertexPosition(0, x0, y0, 0);
    m_pQuad->SetVertexPosition(1, x1, y0, 0);
    m_pQuad->SetVertexPosition(2, x0, y1, 0);
    m_pQuad->SetVertexPosition(3, x1, y1, 0);
    m_pQuad->Unlock(1);
    return kStatusOk;
}
