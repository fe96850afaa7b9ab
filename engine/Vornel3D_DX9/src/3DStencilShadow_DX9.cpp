#include "Vornel3D_DX9/C3DStencilShadowDX90.h"

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kQuadVertices = 4;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// count vertices of three floats as a triangle list through the fixed pipeline.
void DrawTriangles(IDirect3DDevice9* device, const float* vertices, uint32_t count)
{
    const uint32_t triangles = count / 3;
    if (vertices && triangles > 0)
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, vertices, 3 * sizeof(float));
}

}  // namespace

C3DStencilShadowDX90::C3DStencilShadowDX90(WorldData* pWorldData) : C3DStencilShadow(pWorldData) {}

C3DStencilShadowDX90::~C3DStencilShadowDX90()
{
    ReleaseQuad();
}

void C3DStencilShadowDX90::ReleaseQuad()
{
    if (m_pQuad)
        m_pQuad->Release();
    m_pQuad = nullptr;
}

Status C3DStencilShadowDX90::Create(uint32_t count, uint32_t color)
{
    if (Failed(C3DStencilShadow::Create(count, color)))
        return kStatusFailed;
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    ReleaseQuad();
    if (!device || FAILED(device->CreateVertexBuffer(kQuadVertices * sizeof(C3DShadowQuadVertexDX90),
                                                     D3DUSAGE_WRITEONLY, kDX9ShadowQuadFVF, D3DPOOL_MANAGED, &m_pQuad,
                                                     nullptr)))
        return kStatusFailed;
    void* locked = nullptr;
    if (FAILED(m_pQuad->Lock(0, 0, &locked, 0)) || !locked) {
        ReleaseQuad();
        return kStatusFailed;
    }
    const float w = float(m_pWorldData->virtualWidth), h = float(m_pWorldData->virtualHeight);
    const C3DShadowQuadVertexDX90 quad[kQuadVertices] = {
        {0, h, 0, 0, kOpaqueBlack},
        {0, 0, 0, 0, kOpaqueBlack},
        {w, h, 0, 0, kOpaqueBlack},
        {w, 0, 0, 0, kOpaqueBlack},
    };
    auto* out = static_cast<C3DShadowQuadVertexDX90*>(locked);
    for (uint32_t k = 0; k < kQuadVertices; ++k)
        out[k] = quad[k];
    m_pQuad->Unlock();
    return kStatusOk;
}

Status C3DStencilShadowDX90::Release()
{
    ReleaseQuad();
    return Failed(C3DStencilShadow::Release()) ? kStatusFailed : kStatusOk;
}

void C3DStencilShadowDX90::Draw(uint32_t i)
{
    const C3DShadowCaster* caster = GetCaster(i);
    if (!caster || caster->sideCount == 0 || !caster->pSides)
        return;
    // While the device is lost nothing is drawn.
    IDirect3DDevice9* d = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!d)
        return;
    // The stage and lighting states that colour the quad are put back afterwards: objects
    // drawn without their own states would take the shadow colour.
    DWORD colorOp = 0, colorArg1 = 0, alphaOp = 0, alphaArg1 = 0, stage1ColorOp = 0, factor = 0, lighting = 0,
          colorVertex = 0;
    d->GetTextureStageState(0, D3DTSS_COLOROP, &colorOp);
    d->GetTextureStageState(0, D3DTSS_COLORARG1, &colorArg1);
    d->GetTextureStageState(0, D3DTSS_ALPHAOP, &alphaOp);
    d->GetTextureStageState(0, D3DTSS_ALPHAARG1, &alphaArg1);
    d->GetTextureStageState(1, D3DTSS_COLOROP, &stage1ColorOp);
    d->GetRenderState(D3DRS_TEXTUREFACTOR, &factor);
    d->GetRenderState(D3DRS_LIGHTING, &lighting);
    d->GetRenderState(D3DRS_COLORVERTEX, &colorVertex);
    const float* sides = caster->pSides;
    const float* caps = caster->capCount > 0 ? caster->pCaps : nullptr;

    // The volumes are built in world space: they are seen through the perspective camera
    // even when screen objects were drawn last.
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (C3DView* view = engine ? engine->GetView() : nullptr)
        view->ApplyPerspective();
    d->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(m_matrix));

    // Only the stencil buffer is written while the volume is drawn.
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    d->SetRenderState(D3DRS_ALPHAREF, 1);
    d->SetTexture(0, nullptr);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
    d->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    d->SetRenderState(D3DRS_STENCILREF, 1);

    // Faces of the volume in front of the scene count up, those behind it down: what is left
    // above zero lies inside the volume.
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    d->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetFVF(D3DFVF_XYZ);
    DrawTriangles(d, sides, caster->sideCount);
    if (caps)
        DrawTriangles(d, caps, caster->capCount);
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECRSAT);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawTriangles(d, sides, caster->sideCount);

    // The darkening quad: the frame multiplied by the shadow colour where the count is not 0.
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_TEXTUREFACTOR, m_nColor);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    d->SetRenderState(D3DRS_STENCILREF, 0);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NOTEQUAL);
    d->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    // Each count is set back to zero as its pixel is darkened: the counts of one caster never
    // add to the next one's.
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_ZERO);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    if (m_pQuad) {
        d->SetFVF(kDX9ShadowQuadFVF);
        d->SetStreamSource(0, m_pQuad, 0, sizeof(C3DShadowQuadVertexDX90));
        d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }

    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);

    if (m_bShowConstruct) {
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d->SetRenderState(D3DRS_TEXTUREFACTOR, kWhite);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        d->SetFVF(D3DFVF_XYZ);
        DrawTriangles(d, sides, caster->sideCount);
        if (caps)
            DrawTriangles(d, caps, caster->capCount);
        d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    }
    d->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
    d->SetTextureStageState(1, D3DTSS_COLOROP, stage1ColorOp);
    d->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
    d->SetRenderState(D3DRS_LIGHTING, lighting);
    d->SetRenderState(D3DRS_COLORVERTEX, colorVertex);
}
