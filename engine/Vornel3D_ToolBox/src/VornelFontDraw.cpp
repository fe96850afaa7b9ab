// Drawing text: one textured quad a character into the font's object, a chunk of at most
// m_nMaxCharsPerRender characters at a time, each chunk drawn with its optional shadow.
#include <cmath>
#include <cstring>

#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kShadowOffset = 2.0f;

// Every colour byte that is not 0 becomes 0xFF; alpha stays.
uint32_t Brightened(uint32_t color)
{
    uint32_t out = color & 0xFF000000u;
    for (uint32_t shift = 0; shift < 24; shift += 8)
        if ((color >> shift) & 0xFF)
            out |= 0xFFu << shift;
    return out;
}

// The object's matrix: the identity, turned by the table's angle or replaced by its 16
// floats. Without a table the identity stays.
void SetTextMatrix(C3DObject* object, uint32_t flags, const void* table)
{
    object->SetIdentity();
    if (!table)
        return;
    if (flags & kTextRotate) {
        float angle;
        std::memcpy(&angle, table, sizeof angle);
        object->Rotate(angle);
    } else if (flags & kTextMatrix) {
        float matrix[16];
        std::memcpy(matrix, table, sizeof matrix);
        object->SetMatrix(matrix);
    }
}

}  // namespace

C3DVector3 CVornelFont::DrawText(const char16_t* text, float x, float y, float z, uint32_t flags, uint32_t color,
                                 float scaleX, float scaleY, const C3DVector2* hitPoint, const void* table,
                                 uint32_t stride)
{
    C3DVector3 pen{x, y, 0.0f};
    float hit = 0.0f;
    if (!m_pObject || !text)
        return pen;
    const float screenHeight = m_pWorldData ? float(m_pWorldData->virtualHeight) : 0.0f;
    C3DVector3 at{x, y, z};
    if (flags & kTextFlagMask) {
        const C3DVector3 size = GetTextSize(text, scaleX, scaleY);
        at = AlignPosition(x, y, z, flags, size);
        if (hitPoint && HitTest(text, size, flags, at, *hitPoint, screenHeight)) {
            if (flags & kTextHighlight)
                color = Brightened(color);
            hit = 1.0f;
        }
        if (flags & kTextUpsideDown) {
            scaleX = -scaleX;
            scaleY = -scaleY;
            at.x += size.x;
            at.y += size.y;
        }
    } else if (hitPoint && HitTest(text, GetTextSize(text, scaleX, scaleY), flags, at, *hitPoint, screenHeight)) {
        hit = 1.0f;
    }
    at.x = std::floor(at.x) + 0.5f;
    m_pObject->SetColor(color);
    m_pChunkStart = text;
    m_pRemainingText = text;
    pen = C3DVector3{at.x, at.y, 0.0f};
    while (m_pRemainingText) {
        pen = BuildChunk(m_pRemainingText, at.x, pen.x, pen.y, at.z, flags, 0xFFFFFFFFu, scaleX, scaleY, nullptr,
                         table, stride);
        RenderChunk(flags, table, stride);
    }
    pen.z = hit;
    return pen;
}

C3DVector3 CVornelFont::BuildChunk(const char16_t* text, float lineStartX, float penX, float penY, float z,
                                   uint32_t flags, uint32_t vertexColor, float scaleX, float scaleY,
                                   const C3DVector2* hitPoint, const void* table, uint32_t stride)
{
    if (!m_pObject || !text) {
        m_pRemainingText = nullptr;
        return C3DVector3{penX, penY + scaleY, 0.0f};
    }
    m_pChunkStart = text;
    const uint32_t creation = m_pObject->GetCreationWord();
    m_pObject->SetCreationWord((vertexColor >> 24) ? creation | k3DDrawAlpha : creation & ~k3DDrawAlpha);
    if (hitPoint && BrightensOnHover(flags)) {
        const C3DVector3 size = GetTextSize(text, scaleX, scaleY);
        if (HitTest(text, size, flags, C3DVector3{lineStartX, penY, z}, *hitPoint,
                    m_pWorldData ? float(m_pWorldData->virtualHeight) : 0.0f))
            vertexColor = Brightened(vertexColor);
    }
    const float screenHeight = m_pWorldData ? float(m_pWorldData->virtualHeight) : 0.0f;
    const bool turned = (flags & kTextTurned) != 0;
    const uint8_t* offsets = (flags & kTextOffsets) ? static_cast<const uint8_t*>(table) : nullptr;

    m_pObject->Lock(1, 0);
    StartQuads();
    const char16_t* c = text;
    for (; *c && uint32_t(c - text) < m_nMaxCharsPerRender; ++c) {
        const char16_t code = *c;
        if (code == u'\n') {
            penX = lineStartX;
            penY += scaleY;
            continue;
        }
        const FontMetrics* metrics = nullptr;
        const CharRect* cell = FindCell(code, &metrics);
        if (!cell)
            continue;
        const CharRect& r = *cell;
        const float w = CharWidth(code, scaleX);
        float xs[2] = {penX, penX + w};
        float ys[2] = {penY, penY + scaleY};
        float a = 0.0f, b = 0.0f;
        if (offsets) {
            std::memcpy(&a, offsets + size_t(code) * stride, sizeof a);
            std::memcpy(&b, offsets + size_t(code) * stride + sizeof a, sizeof b);
        }
        // The corners: top-left, top-right, bottom-left twice, top-right, bottom-right.
        static const uint8_t kCorner[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}};
        const float us[2] = {r.left, r.right};
        const float vs[2] = {r.top, r.bottom};
        const uint32_t first = PlaceQuad(code);
        for (uint32_t k = 0; k < 6; ++k) {
            float px = xs[kCorner[k][0]], py = ys[kCorner[k][1]];
            if (turned) {
                const float layoutX = px;
                px = py - a;
                py = screenHeight - (layoutX - b);
            } else {
                px -= a;
                py -= b;
            }
            m_pObject->SetVertex(first + k, px, py, 0.0f, vertexColor, us[kCorner[k][0]], vs[kCorner[k][1]], 0.0f,
                                 0.0f, 0.0f, 0);
        }
        penX += w;
    }
    FinishQuads();
    m_pObject->Unlock(0);
    const bool cut = *c != 0;
    m_pRemainingText = cut ? c : nullptr;
    return C3DVector3{penX, cut ? penY : penY + scaleY, 0.0f};
}

void CVornelFont::StartQuads()
{
    m_nQuads = 0;
}

uint32_t CVornelFont::PlaceQuad(char16_t)
{
    return 6 * m_nQuads++;
}

void CVornelFont::FinishQuads()
{
    m_pObject->SetGroup(0, 0, 6 * m_nQuads, 0, 6 * m_nQuads, 2 * m_nQuads, kPrimitiveTriangleList, m_nDrawingMode,
                        kGroupIdOwnNumber);
}

void CVornelFont::RenderChunk(uint32_t flags, const void* transform, uint32_t)
{
    if (!m_pObject)
        return;
    m_pObject->UseOwnMatrix();
    if (flags & kTextShadow) {
        SetTextMatrix(m_pObject, flags, transform);
        m_pObject->Translate(kShadowOffset, (flags & kTextTurned) ? -kShadowOffset : kShadowOffset, 0.0f);
        const uint32_t color = m_pObject->GetColor();
        m_pObject->SetColor(color & 0xFF000000u);
        m_pObject->Draw();
        m_pObject->SetColor(color);
    }
    SetTextMatrix(m_pObject, flags, transform);
    m_pObject->Draw();
    m_pChunkStart = nullptr;
}
