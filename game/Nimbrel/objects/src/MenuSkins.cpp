// The menu's button and dialog skins: quads of the engine, laid out on whole pixels.
#include "NimbrelObjects/CMenuSkins.h"

#include <cmath>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DTexture.h"

namespace {

// A screen mesh of the menu: coloured, textured, drawn in the interface view.
constexpr uint32_t kSkinObjectFlags = 0x28010;
constexpr uint32_t kSkinObjectCreation = 0x20C29;
constexpr uint32_t kQuadFaceMode = 1;

}  // namespace

float SnapToPixel(float v) { return std::ceil(v - 0.5f); }

CMenuSkin::CMenuSkin(WorldData* pWorldData, uint32_t parts) : C3DTransform(pWorldData), m_parts(parts) {}

CMenuSkin::~CMenuSkin() { Release(); }

Status CMenuSkin::Release()
{
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
        engine->ReleaseObject(m_pObject);
    m_pObject = nullptr;
    return kStatusOk;
}

Status CMenuSkin::Draw()
{
    if (!m_pObject)
        return kStatusFailed;
    m_pObject->SetColor(m_color);
    m_pObject->SetMatrix(GetMatrix());
    m_pObject->Draw();
    return kStatusOk;
}

Status CMenuSkin::Build(C3DTexture** textures)
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!engine)
        return kStatusFailed;
    // A second build replaces the first mesh.
    if (m_pObject)
        Release();
    m_pObject = engine->CreateObject(kSkinObjectFlags, kSkinObjectCreation);
    if (!m_pObject)
        return kStatusFailed;
    if (Failed(m_pObject->Create(m_parts, 4 * m_parts, 4 * m_parts))) {
        Release();
        return kStatusFailed;
    }
    m_pObject->Lock(0, 2);
    for (uint32_t i = 0; i < m_parts; ++i) {
        const uint32_t first = 4 * i;
        m_pObject->SetIndexRange(first, 4);
        m_pObject->SetGroup(i, first, 4, first, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, i);
        if (textures)
            m_pObject->SetTexture(textures[i], i, 0);
    }
    m_pObject->Unlock(1);
    return kStatusOk;
}

bool CMenuSkin::Snap(float* pOut, float width, float height, float border, float* pCorners, float* pBorder)
{
    pCorners[0] = SnapToPixel(-width * 0.5f);
    pCorners[1] = SnapToPixel(-height * 0.5f);
    pCorners[2] = SnapToPixel(width * 0.5f);
    pCorners[3] = SnapToPixel(height * 0.5f);
    *pBorder = SnapToPixel(border);
    for (int i = 0; pOut && i < 4; ++i)
        pOut[i] = pCorners[i];
    m_width = int32_t(width);
    m_height = int32_t(height);
    return m_pObject != nullptr;
}

float CMenuSkin::Repeats(uint32_t part, float length, bool vertical, uint8_t repeat) const
{
    if (!repeat || !m_pObject)
        return 1.0f;
    const C3DTexture* texture = m_pObject->GetTexture(part, 0);
    const float size = texture ? float(vertical ? texture->GetHeight() : texture->GetWidth()) : 0.0f;
    if (size == 0.0f)
        return 1.0f;
    const float r = SnapToPixel(length / size);
    return r < 1.0f ? 1.0f : r;
}

void CMenuSkin::SetQuad(uint32_t part, float left, float top, float right, float bottom, float u, float v,
                        uint32_t word)
{
    // A strip: top-left, top-right, bottom-left, bottom-right.
    const uint32_t first = 4 * part;
    m_pObject->SetVertex(first, left, top, 0.0f, word, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pObject->SetVertex(first + 1, right, top, 0.0f, word, u, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    m_pObject->SetVertex(first + 2, left, bottom, 0.0f, word, 0.0f, v, 0.0f, 0.0f, 0.0f, 0);
    m_pObject->SetVertex(first + 3, right, bottom, 0.0f, word, u, v, 0.0f, 0.0f, 0.0f, 0);
}

void CMenuButtonSkin::SetRect(float* pOut, float width, float height, float border, uint32_t word, uint8_t repeat)
{
    float c[4], b = 0.0f;
    if (!Snap(pOut, width, height, border, c, &b))
        return;
    const float L = c[0], T = c[1], R = c[2], B = c[3];
    const float r = Repeats(1, (R - b) - (L + b), false, repeat);
    m_pObject->Lock(0, 2);
    SetQuad(0, L, T, L + b, B, 1.0f, 1.0f, word);
    SetQuad(1, L + b, T, R - b, B, r, 1.0f, word);
    SetQuad(2, R - b, T, R, B, 1.0f, 1.0f, word);
    m_pObject->Unlock(1);
}

void CMenuDialogSkin::SetRect(float* pOut, float width, float height, float border, uint32_t word, uint8_t repeat)
{
    float c[4], b = 0.0f;
    if (!Snap(pOut, width, height, border, c, &b))
        return;
    // Three columns and three rows: the borders, and the stretch or tiling between them.
    const float x[4] = {c[0], c[0] + b, c[2] - b, c[2]};
    const float y[4] = {c[1], c[1] + b, c[3] - b, c[3]};
    m_pObject->Lock(0, 2);
    for (uint32_t row = 0; row < 3; ++row)
        for (uint32_t column = 0; column < 3; ++column) {
            const uint32_t part = 3 * row + column;
            const float u = column == 1 ? Repeats(part, x[2] - x[1], false, repeat) : 1.0f;
            const float v = row == 1 ? Repeats(part, y[2] - y[1], true, repeat) : 1.0f;
            SetQuad(part, x[column], y[row], x[column + 1], y[row + 1], u, v, word);
        }
    m_pObject->Unlock(1);
}
