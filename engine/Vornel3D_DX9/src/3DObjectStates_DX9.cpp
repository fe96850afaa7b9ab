// The state block of the Direct3D 9 objects and the shader constants of their draws.
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "Vornel3D_DX9/C3DObjectBase_DX90.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/WorldData.h"

namespace {

void StageOps(IDirect3DDevice9* device, DWORD stage, DWORD colorOp, DWORD alphaOp)
{
    device->SetTextureStageState(stage, D3DTSS_COLOROP, colorOp);
    device->SetTextureStageState(stage, D3DTSS_COLORARG0, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG0, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
}

}  // namespace

Status C3DObjectBase_DX90::Upload()
{
    ReleaseStateBlock();
    // A lost device records nothing: the reset's Restore records the block again.
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device || FAILED(device->BeginStateBlock()))
        return kStatusOk;
    const uint32_t w = m_nCreation;
    const WorldData& world = *m_pWorldData;

    for (DWORD stage = 0; stage < 4; ++stage) {
        device->SetTexture(stage, nullptr);
        device->LightEnable(stage, FALSE);
        StageOps(device, stage, D3DTOP_DISABLE, D3DTOP_DISABLE);
        device->SetSamplerState(stage, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
        device->SetSamplerState(stage, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
        device->SetSamplerState(stage, D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    }
    if (!(w & k3DDrawTexture0))
        device->SetTexture(0, nullptr);

    // Stage 0: the texture (or the diffuse colour) modulated, by the object colour when the
    // object's colour replaces the vertex colours.
    const DWORD second = (w & k3DDrawTexture0) ? D3DTA_TEXTURE : D3DTA_DIFFUSE;
    const DWORD arg1 = (w & k3DDrawObjectColor) ? D3DTA_TFACTOR : D3DTA_TEXTURE;
    const DWORD arg2 = (w & k3DDrawObjectColor) ? second : D3DTA_DIFFUSE;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG0, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, arg1);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, arg2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG0, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, arg1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, arg2);

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ALPHAREF, 0);
    device->SetRenderState(D3DRS_CLIPPING, TRUE);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_AMBIENT, world.colorAmbient);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    device->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, m_nColor);
    for (DWORD stage = 0; stage < 3; ++stage)
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    for (DWORD stage = 1; stage < 3; ++stage) {
        device->SetTexture(stage, nullptr);
        device->LightEnable(stage, FALSE);
    }
    StageOps(device, 2, D3DTOP_DISABLE, D3DTOP_DISABLE);

    device->LightEnable(0, (w & k3DDrawLights) && world.light1.enabled.current);
    device->LightEnable(1, (w & k3DDrawLights) && world.light2.enabled.current);
    device->LightEnable(2, FALSE);

    device->SetRenderState(D3DRS_FOGENABLE, (w & k3DDrawFog) && world.fog.enabled.current);
    device->SetRenderState(D3DRS_LIGHTING, (w & k3DDrawLighting) && world.lighting.current);
    device->SetRenderState(D3DRS_SPECULARENABLE, (w & k3DDrawSpecular) && world.specular.current);
    device->SetRenderState(D3DRS_ZENABLE, (w & k3DDrawDepthTest) ? D3DZB_TRUE : D3DZB_FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, (w & k3DDrawDepthWrite) ? TRUE : FALSE);

    const bool material = (w & k3DDrawMaterial) != 0;
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, material ? D3DMCS_COLOR1 : D3DMCS_COLOR2);
    device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, material ? D3DMCS_COLOR1 : D3DMCS_COLOR2);
    device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, material ? D3DMCS_MATERIAL : D3DMCS_COLOR2);
    device->SetRenderState(D3DRS_COLORVERTEX, TRUE);

    if (w & k3DDrawAlphaTest) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        device->SetRenderState(D3DRS_ALPHAREF, 1);
    }
    if (FAILED(device->EndStateBlock(&m_pStateBlock)))
        m_pStateBlock = nullptr;
    return kStatusOk;
}

void C3DObjectBase_DX90::SetShaderConstants()
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device)
        return;
    if (m_pStateBlock)
        m_pStateBlock->Apply();
    device->SetRenderState(D3DRS_TEXTUREFACTOR, m_nColor);

    auto* engine = dynamic_cast<C3DEngineDX90*>(Engine());
    if (!engine)
        return;
    const uint32_t w = m_nCreation;
    if (ID3DXConstantTable* vertex = engine->GetVertexConstantTable()) {
        if (w & k3DDrawObjectColor) {
            const float k = 0.003921569f;
            const D3DXVECTOR4 color(float((m_nColor >> 16) & 0xFF) * k, float((m_nColor >> 8) & 0xFF) * k,
                                    float(m_nColor & 0xFF) * k, float(m_nColor >> 24) * k);
            vertex->SetVector(device, "u_direct_color", &color);
            vertex->SetBool(device, "u_is_direct_color", TRUE);
        } else {
            vertex->SetBool(device, "u_is_direct_color", FALSE);
        }
    }
    if (ID3DXConstantTable* pixel = engine->GetPixelConstantTable()) {
        pixel->SetBool(device, "u_has_texture", !(w & k3DDrawObjectColor) || (w & k3DDrawTexture0));
        engine->RebindShaderTextures();
    }
}
