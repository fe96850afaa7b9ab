// Render states and draws of the Direct3D 9 objects.
#include <cstring>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "Vornel3D_DX9/C3DObjectBase_DX90.h"
#include "Vornel3D_DX9/C3DObjectIndex_DX90.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/WorldData.h"

namespace {

DWORD FloatBits(float f)
{
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

D3DPRIMITIVETYPE C3DObjectBase_DX90::PrimitiveType(uint32_t type)
{
    switch (type) {
    case kPrimitiveTriangleStrip: return D3DPT_TRIANGLESTRIP;
    case kPrimitiveTriangleList: return D3DPT_TRIANGLELIST;
    case kPrimitiveTriangleFan: return D3DPT_TRIANGLEFAN;
    case kPrimitiveLineList: return D3DPT_LINELIST;
    case kPrimitiveLineStrip: return D3DPT_LINESTRIP;
    case kPrimitivePointList: return D3DPT_POINTLIST;
    default: return D3DPRIMITIVETYPE(0);
    }
}

D3DCULL C3DObjectBase_DX90::CullMode(uint32_t faceMode)
{
    // Direct3D's cull modes name the winding that is removed: a group whose front faces are
    // clockwise culls the anticlockwise ones.
    switch (faceMode) {
    case kFaceModeClockwise: return D3DCULL_CCW;
    case kFaceModeCounterClockwise: return D3DCULL_CW;
    default: return D3DCULL_NONE;
    }
}

uint32_t C3DObjectBase_DX90::DrawCount(uint32_t type, uint32_t primitives)
{
    switch (type) {
    case kPrimitiveTriangleStrip: return primitives + 2;
    case kPrimitiveTriangleList: return 3 * primitives;
    case kPrimitiveTriangleFan: return primitives + 2;
    case kPrimitiveLineList: return 2 * primitives;
    case kPrimitiveLineStrip: return primitives + 1;
    case kPrimitivePointList: return primitives;
    default: return 0;
    }
}

// ---- the steps shared by the draws --------------------------------------------------------

bool C3DObjectBase_DX90::BeginDraw(bool ownStates, bool renderStates, bool pointSize)
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device || !m_pIndex || !m_pVertexBuffer)
        return false;
    const uint32_t w = m_nCreation;
    const WorldData& world = *m_pWorldData;
    if (ownStates && (w & k3DDrawOwnStates))
        SetShaderConstants();
    if (renderStates) {
        device->SetRenderState(D3DRS_ZENABLE, (w & k3DDrawDepthTest) ? D3DZB_TRUE : D3DZB_FALSE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, (w & k3DDrawDepthWrite) && world.renderPair.current);
        device->SetRenderState(D3DRS_FOGENABLE, (w & k3DDrawFog) && world.fog.enabled.current);
        const BOOL alpha = (w & k3DDrawAlpha) && world.alpha.current;
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, alpha);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, alpha);
        device->SetRenderState(D3DRS_SPECULARENABLE, (w & k3DDrawSpecular) && world.specular.current);
        device->SetRenderState(D3DRS_FILLMODE,
                               (w & k3DDrawWireframe) || world.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
        if (pointSize && (m_nFlags & k3DObjectPointSprite))
            device->SetRenderState(D3DRS_POINTSIZE, FloatBits(m_fPointSize));
    }
    ApplyProjection();

    auto* engine = dynamic_cast<C3DEngineDX90*>(Engine());
    const float* matrix = m_pMatrix ? m_pMatrix : kIdentity;
    if (engine && engine->GetVertexConstantTable()) {
        engine->SetWorldMatrix(matrix);
        engine->UpdateWorldViewProj();
    } else {
        device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(matrix));
    }
    device->SetStreamSource(0, m_pVertexBuffer, 0, m_format.size);
    if (!engine || !engine->GetPixelConstantTable()) {
        device->SetFVF(m_format.fvf);
        device->SetPixelShader(nullptr);
    }
    return true;
}

bool C3DObjectBase_DX90::PrepareGroupOf(uint32_t position, uint32_t material, uint32_t textures)
{
    IDirect3DDevice9* device = Device();
    const uint32_t w = m_nCreation;
    device->SetTexture(0, nullptr);
    if (w & k3DDrawMaterial)
        if (const C3DMaterial* values = GetMaterial(material))
            device->SetMaterial(reinterpret_cast<const D3DMATERIAL9*>(values));
    C3DTexture* texture0 = (w & k3DDrawTexture0) ? GetTexture(textures, 0) : nullptr;
    if (texture0) {
        texture0->Select(w, 0);
    } else if (w & k3DDrawObjectColor) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG0, D3DTA_CURRENT);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG0, D3DTA_CURRENT);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    }
    if (w & k3DDrawTextures)
        for (uint32_t stage = 1; stage < k3DTextureStages; ++stage)
            if (C3DTexture* texture = GetTexture(textures, stage))
                texture->Select(w, stage);
    return Succeeded(m_pIndex->Select(m_pIndex->GetGroup(position)));
}

void C3DObjectBase_DX90::DrawRecord(const C3DGroupRecord& record, bool cull)
{
    IDirect3DDevice9* device = Device();
    const C3DObjectIndex_DX90* indices = DX9IndexOf(m_pIndex);
    const uint32_t count = DrawCount(record.type, record.primitiveCount);
    const uint32_t vertices = m_vertices.GetCount();
    // Without its own buffers the object would draw from the stream and indices that the
    // previous object left current.
    if (!device || !indices || !m_pVertexBuffer || !indices->GetIndexBuffer())
        return;
    // A group that reaches past the index list or the vertices draws nothing rather than
    // have the device read beyond either buffer.
    if (count == 0 || record.baseVertex >= vertices ||
        !indices->IndicesBelow(record.firstIndex, count, vertices - record.baseVertex))
        return;
    if (cull)
        device->SetRenderState(D3DRS_CULLMODE, CullMode(record.faceMode));
    // The device is told of every vertex the indices were checked against: a record's own
    // vertex count (a model file's word) may fall short of what its indices use, and a device
    // may copy or transform only the vertices it is told of.
    device->DrawIndexedPrimitive(PrimitiveType(record.type), INT(record.baseVertex), 0, vertices - record.baseVertex,
                                 record.firstIndex, record.primitiveCount);
}

// ---- draws --------------------------------------------------------------------------------

void C3DObjectBase_DX90::Draw()
{
    if (!BeginDraw(true, true, true))
        return;
    for (uint32_t i = 0; i < m_nGroupCount; ++i) {
        const C3DGroupRecord* at = m_pIndex->GetGroup(i);
        const C3DGroupRecord* record = at ? m_pIndex->GetGroup(at->id) : nullptr;
        if (!record)
            continue;
        if (PrepareGroupOf(i, at->id, at->id))
            DrawRecord(*record, true);
    }
}

void C3DObjectBase_DX90::DrawEx(uint32_t position)
{
    const C3DGroupRecord* at = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    if (!at || !BeginDraw(true, true, true))
        return;
    if (PrepareGroupOf(position, at->id, position))
        DrawRecord(*at, true);
}

void C3DObjectBase_DX90::DrawGeometry()
{
    if (!BeginDraw(false, false, false))
        return;
    for (uint32_t i = 0; i < m_nGroupCount; ++i) {
        const C3DGroupRecord* at = m_pIndex->GetGroup(i);
        const C3DGroupRecord* record = at ? m_pIndex->GetGroup(at->id) : nullptr;
        if (!record)
            continue;
        if (Succeeded(m_pIndex->Select(at)))
            DrawRecord(*record, false);
    }
}

void C3DObjectBase_DX90::DrawGroupGeometry(uint32_t position)
{
    const C3DGroupRecord* at = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    if (!at || !BeginDraw(true, false, false))
        return;
    if (Succeeded(m_pIndex->Select(at)))
        DrawRecord(*at, false);
}

void C3DObjectBase_DX90::PrepareGroup(uint32_t position)
{
    const C3DGroupRecord* at = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    if (!at || !BeginDraw(true, true, false))
        return;
    PrepareGroupOf(position, at->id, position);
}

void C3DObjectBase_DX90::DrawGroup(uint32_t position)
{
    const C3DGroupRecord* at = m_pIndex ? m_pIndex->GetGroup(position) : nullptr;
    const C3DGroupRecord* record = at ? m_pIndex->GetGroup(at->id) : nullptr;
    if (record)
        DrawPreparedGroup(at->id, record->firstIndex, record->primitiveCount, record->type, record->faceMode);
}

void C3DObjectBase_DX90::DrawPreparedGroup(uint32_t group, uint32_t, uint32_t, uint32_t, uint32_t)
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    const C3DGroupRecord* record = m_pIndex ? m_pIndex->GetGroup(group) : nullptr;
    if (!device || !record)
        return;
    if (m_nFlags & k3DObjectPointSprite)
        device->SetRenderState(D3DRS_POINTSIZE, FloatBits(m_fPointSize));
    DrawRecord(*record, true);
}
