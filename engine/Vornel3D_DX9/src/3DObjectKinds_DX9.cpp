// The four vertex formats of the Direct3D 9 objects.
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_DX9/C3DObjectsDX90.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

namespace {

const C3DObjectBase_DX90::Format kScreen = {C3DVertexLayout::Screen, 24, D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                            kDX9LayoutScreen};
const C3DObjectBase_DX90::Format kNormal = {C3DVertexLayout::Normal, 40,
                                            D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1,
                                            kDX9LayoutNormals};
const C3DObjectBase_DX90::Format kMultiTexture = {
    C3DVertexLayout::MultiTexture, 48, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2,
    kDX9LayoutMultiTexture};
const C3DObjectBase_DX90::Format kPointSprite = {C3DVertexLayout::PointSprite, 0, 0, 0};

}  // namespace

C3DObjectDX90Screen::C3DObjectDX90Screen(WorldData* pWorldData) : C3DObjectBase_DX90(pWorldData, kScreen) {}

Status C3DObjectDX90Screen::Init()
{
    m_nFlags |= k3DObjectScreen;
    return C3DObjectBase_DX90::Init();
}

void C3DObjectDX90Screen::ApplyProjection()
{
    C3DEngine* engine = Engine();
    if (C3DView* view = engine ? engine->GetView() : nullptr)
        view->ApplyScreenProjection();
}

C3DObjectDX90Normal::C3DObjectDX90Normal(WorldData* pWorldData) : C3DObjectBase_DX90(pWorldData, kNormal) {}

C3DObjectDX90MultiTextures::C3DObjectDX90MultiTextures(WorldData* pWorldData)
    : C3DObjectBase_DX90(pWorldData, kMultiTexture)
{
}

C3DObjectDX90PointSprite::C3DObjectDX90PointSprite(WorldData* pWorldData) : C3DObjectBase_DX90(pWorldData, kPointSprite)
{
}

Status C3DObjectDX90PointSprite::Init()
{
    m_nFlags |= k3DObjectPointSprite;
    return C3DObjectBase_DX90::Init();
}

Status C3DObjectDX90PointSprite::Create(uint32_t, uint32_t, uint32_t)
{
    if (m_pWorldData)
        Log(m_pWorldData->logPath, 0, u"# C3DObjectDX90PointSprite::InitConstruct not implemented !\n");
    return kStatusOk;
}

Status C3DObjectDX90PointSprite::Lock(uint32_t, uint32_t)
{
    return kStatusOk;
}
