// The depth masks that bound an element's drawing: the shape of another element (its material
// element) or a zone's rectangle drawn into the depth buffer only, and the draw cache, shared by
// every object through the world data record, that spares drawing the same mask twice.
#include "NimbrelManagers/CObstruction.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/WorldData.h"

namespace {

// Codes of the renderers' blend table.
constexpr uint32_t kBlendOneSource = 0;
constexpr uint32_t kBlendZeroDestination = 1;
constexpr uint32_t kBlendZeroSource = 2;
constexpr uint32_t kBlendOneDestination = 3;
constexpr uint32_t kDepthBits = k3DDrawDepthTest | k3DDrawDepthWrite;

// Draws one group of the object into the depth buffer only: where its texels are not fully
// transparent, in front of the cleared depth. The colour buffer is left as it is.
void DrawDepthOnly(C3DEngine* engine, C3DObject* object, uint32_t group)
{
    engine->SetAlphaFunc(kCompareGreater, 1);
    object->SetCreationWord(object->GetCreationWord() | kDepthBits);
    object->PrepareGroup(group);
    engine->SetDepthFunc(kCompareLess);
    engine->SetAlphaFunc(kCompareGreater, 1);
    engine->SetSrcBlend(kBlendZeroSource);
    engine->SetDestBlend(kBlendOneDestination);
    object->DrawGroup(group);
    engine->SetSrcBlend(kBlendOneSource);
    engine->SetDestBlend(kBlendZeroDestination);
    engine->SetAlphaFunc(kCompareAlways, 0);
    engine->SetDepthFunc(kCompareLess);
    object->FinishGroup(0);
}

}  // namespace

CObstruction* CObjectsBase::Obstruction() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? dynamic_cast<CObstruction*>(world->GetManager(kManagerObstruction)) : nullptr;
}

void CObjectsBase::SelectElementMaterial(ElementRecord* pElement)
{
    GameDrawCache& cache = m_pWorldData->game.drawCache;
    C3DEngine* engine = Engine();
    if (!pElement || !engine || !m_pRenderModel || pElement->index >= m_pRenderModel->GetGroupCount())
        return;
    if (cache.pRenderModel == m_pRenderModel && cache.elementIndex == int32_t(pElement->index))
        return;
    engine->ClearBuffers(0, 1, 0);
    cache = {m_pRenderModel, int32_t(pElement->index), -1};
    m_pRenderModel->SetMatrix(pElement->worldMatrix);
    // The mask is the element's shape: every texel that is not fully transparent.
    m_pRenderModel->SetColor(0xFFFFFFFFu);
    const uint32_t creation = m_pRenderModel->GetCreationWord();
    DrawDepthOnly(engine, m_pRenderModel, pElement->index);
    m_pRenderModel->SetCreationWord((m_pRenderModel->GetCreationWord() & ~kDepthBits) | (creation & kDepthBits));
}

void CObjectsBase::SelectElementMaterialByIndex(uint32_t index)
{
    const GameDrawCache& cache = m_pWorldData->game.drawCache;
    if (index >= m_elementCount ||
        (cache.pRenderModel == m_pRenderModel && cache.elementIndex == int32_t(index)))
        return;
    SelectElementMaterial(GetItemRecord(index));
}

bool CObjectsBase::SelectZoneMask(int32_t zone)
{
    GameDrawCache& cache = m_pWorldData->game.drawCache;
    CObstruction* obstruction = Obstruction();
    C3DObject* quad = obstruction ? obstruction->GetQuad() : nullptr;
    C3DEngine* engine = Engine();
    if (zone < 0 || uint32_t(zone) >= m_zoneCount || !m_pZones || !quad || !engine)
        return false;
    // The same zone of the same object is in the depth buffer already.
    if (cache.pRenderModel == m_pRenderModel && cache.elementIndex == -1 && cache.zoneIndex == zone)
        return true;
    engine->ClearBuffers(0, 1, 0);
    cache = {m_pRenderModel, -1, zone};
    const ObjectZone& z = m_pZones[zone];
    float left = z.left, top = z.top, right = z.right, bottom = z.bottom;
    const GameViewRecord& view = m_pWorldData->game.view;
    if (m_overlay && view.alternateActive) {
        left -= view.alternateOffsetX;
        right -= view.alternateOffsetX;
        top -= view.alternateOffsetY;
        bottom -= view.alternateOffsetY;
    }
    obstruction->SetRectangle(left, top, right, bottom);
    quad->SetMatrix(GetViewMatrix());
    const uint32_t creation = quad->GetCreationWord();
    DrawDepthOnly(engine, quad, 0);
    quad->SetCreationWord((quad->GetCreationWord() & ~k3DDrawDepthWrite) | (creation & k3DDrawDepthWrite));
    return true;
}

void CObjectsBase::ResetMaterialCache()
{
    if (!m_pWorldData)
        return;
    if (C3DEngine* engine = Engine())
        engine->ClearBuffers(0, 1, 0);
    m_pWorldData->game.drawCache = {nullptr, -1, -1};
}
