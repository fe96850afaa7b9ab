// The picture grid levels: the board's pointer input on the play item, its host, its saved state
// and its drawing.
#include "NimbrelLevels/CObjectsLevelPictureGrid.h"

#include <cmath>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DObject.h"

namespace {

constexpr float kQuarter = 1.57079632679490f;
constexpr uint32_t kHalfOpacity = 0x80;
constexpr uint32_t kGreen = 0xFF00FF00u;

}  // namespace

template <class Board>
CObjectsLevelPictureGrid<Board>::CObjectsLevelPictureGrid(WorldData* pWorldData, uint32_t objectNumber,
                                                          uint32_t constructWord, uint32_t typeCode)
    : Base(pWorldData, objectNumber, constructWord)
{
    this->m_typeCode = typeCode;
}

CObjectsLevelSwitch::CObjectsLevelSwitch(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelPictureGrid<PictureGridBoard>(pWorldData, objectNumber, constructWord, kObjectKindSwitch)
{
}

CObjectsLevelJigsaw::CObjectsLevelJigsaw(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelPictureGrid<JigsawBoard>(pWorldData, objectNumber, constructWord, kObjectKindJigsaw)
{
}

template <class Board>
bool CObjectsLevelPictureGrid<Board>::ItemBounds(int32_t item, float* pBounds4)
{
    const ElementRecord* e = item >= 0 ? this->GetItemRecord(uint32_t(item)) : nullptr;
    if (!e)
        return false;
    for (int i = 0; i < 4; ++i)
        pBounds4[i] = e->bounds[i];
    return true;
}

template <class Board>
void CObjectsLevelPictureGrid<Board>::PlayItemSound(int32_t item)
{
    if (const ElementRecord* e = item >= 0 ? this->GetItemRecord(uint32_t(item)) : nullptr)
        this->PlayClickSound(e);
    else
        this->PlayDefaultClick();
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::ResetRunState()
{
    m_paused = m_solved = 0;
    m_board.ResetRun();
    return kStatusOk;
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::ResetBoard()
{
    m_paused = 0;
    return Base::ResetBoard();
}

template <class Board>
void CObjectsLevelPictureGrid<Board>::StateFields(LevelState& state) { m_board.StateFields(state, m_paused, m_solved); }

template <class Board>
bool CObjectsLevelPictureGrid<Board>::StateFits()
{
    return m_paused <= 1 && m_solved <= 1 && Base::StateFits();
}

template <class Board>
bool CObjectsLevelPictureGrid<Board>::OnPlayItem(float x, float y, float* pLocal)
{
    const ElementRecord* play = m_board.PlayItem() >= 0 ? this->GetItemRecord(uint32_t(m_board.PlayItem())) : nullptr;
    if (!play)
        return false;
    this->ScreenToElement(pLocal, x, y, 0.0f, play);
    return pLocal[0] >= play->bounds[0] && pLocal[0] < play->bounds[2] && pLocal[1] >= play->bounds[1] &&
           pLocal[1] < play->bounds[3];
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::OnMouseDown(float x, float y, uint32_t state)
{
    float p[3];
    if (!InPlay() || !OnPlayItem(x, y, p))
        return Base::OnMouseDown(x, y, state);
    return m_board.Press(p[0], p[1]);
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::OnMouseMove(float x, float y, uint32_t state)
{
    if (!InPlay())
        return Base::OnMouseMove(x, y, state);
    float p[3];
    const bool inside = OnPlayItem(x, y, p);
    return m_board.Move(p[0], p[1], inside);
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::OnMouseUp(float x, float y, uint32_t state)
{
    if (!InPlay())
        return Base::OnMouseUp(x, y, state);
    float p[3];
    OnPlayItem(x, y, p);
    return m_board.Release(p[0], p[1]);
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::OnClick(float x, float y, uint32_t state)
{
    float p[3];
    if (!InPlay() || !OnPlayItem(x, y, p) || m_board.CellAt(p[0], p[1]) < 0)
        return Base::OnClick(x, y, state);
    return m_board.Click(p[0], p[1]);
}

// ---- drawing -----------------------------------------------------------------------------------

template <class Board>
bool CObjectsLevelPictureGrid<Board>::ReadQuad(uint32_t group, Quad* pQuad)
{
    C3DObject* model = m_pRenderModel;
    uint32_t indexFirst, indexCount, primitives, type, faceMode, id;
    if (!model || Failed(model->GetGroupFields(group, &pQuad->first, &pQuad->count, &indexFirst, &indexCount,
                                               &primitives, &type, &faceMode, &id)) ||
        pQuad->count == 0)
        return false;
    for (uint32_t k = 0; k < pQuad->count; ++k) {
        const C3DVector3 p = model->GetVertexPosition(pQuad->first + k);
        const C3DVector2 uv = model->GetVertexUV0(pQuad->first + k);
        pQuad->positions.push_back(p);
        pQuad->shares.push_back(uv);
        const float at[2] = {p.x, p.y}, share[2] = {uv.x, uv.y};
        for (int axis = 0; axis < 2; ++axis) {
            pQuad->low[axis] = k == 0 ? at[axis] : std::fmin(pQuad->low[axis], at[axis]);
            pQuad->high[axis] = k == 0 ? at[axis] : std::fmax(pQuad->high[axis], at[axis]);
            pQuad->uvLow[axis] = k == 0 ? share[axis] : std::fmin(pQuad->uvLow[axis], share[axis]);
            pQuad->uvHigh[axis] = k == 0 ? share[axis] : std::fmax(pQuad->uvHigh[axis], share[axis]);
        }
    }
    // A corner at the smallest coordinate tells which way the texture runs along each axis.
    for (uint32_t k = 0; k < pQuad->count; ++k) {
        const C3DVector3& p = pQuad->positions[k];
        const C3DVector2& uv = pQuad->shares[k];
        if (p.x == pQuad->low[0])
            pQuad->flipped[0] = uv.x > pQuad->uvLow[0];
        if (p.y == pQuad->low[1])
            pQuad->flipped[1] = uv.y > pQuad->uvLow[1];
    }
    return pQuad->high[0] > pQuad->low[0] && pQuad->high[1] > pQuad->low[1];
}

template <class Board>
void CObjectsLevelPictureGrid<Board>::DrawPiece(ElementRecord* pPlay, const Quad& quad, uint32_t piece, float x, float y,
                                    float angle, uint32_t argb)
{
    C3DObject* model = m_pRenderModel;
    const uint32_t sides[2] = {m_board.Columns(), m_board.Rows()};
    const uint32_t at[2] = {piece % sides[0], piece / sides[0]};
    const float cell[2] = {m_board.CellWidth(), m_board.CellHeight()};
    const float c = std::cos(angle), s = std::sin(angle);
    for (uint32_t k = 0; k < quad.count; ++k) {
        const C3DVector3& p = quad.positions[k];
        const C3DVector2& uv = quad.shares[k];
        float corner[2] = {p.x, p.y}, share[2] = {uv.x, uv.y}, offset[2];
        for (int axis = 0; axis < 2; ++axis) {
            const float f = (corner[axis] - quad.low[axis]) / (quad.high[axis] - quad.low[axis]);
            offset[axis] = (f - 0.5f) * cell[axis];
            const float span = quad.uvHigh[axis] - quad.uvLow[axis];
            const float g = span != 0.0f ? (share[axis] - quad.uvLow[axis]) / span : 0.0f;
            const uint32_t part = quad.flipped[axis] ? sides[axis] - 1 - at[axis] : at[axis];
            share[axis] = quad.uvLow[axis] + span * (float(part) + g) / float(sides[axis]);
        }
        model->SetVertexPosition(quad.first + k, x + offset[0] * c - offset[1] * s, y + offset[0] * s + offset[1] * c,
                                 p.z);
        model->SetVertexUV0(quad.first + k, share[0], share[1]);
    }
    const uint32_t keptColor = pPlay->drawColor;
    const uint8_t keptAlpha = pPlay->drawAlpha;
    pPlay->drawColor = argb & 0xFFFFFFu;
    pPlay->drawAlpha = uint8_t(uint32_t(keptAlpha) * (argb >> 24) / 255u);
    ObjectsWrap_DrawElement<CObjectsLevel>(*this, pPlay);
    pPlay->drawColor = keptColor;
    pPlay->drawAlpha = keptAlpha;
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::DrawElement(ElementRecord* pElement)
{
    Quad quad;
    if (!pElement || !m_board.IsDealt() || int32_t(pElement->index) != m_board.PlayItem() ||
        !ReadQuad(pElement->index, &quad))
        return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    const uint32_t n = m_board.CellCount(), kind = m_board.Animation(), a = m_board.AnimatedA(), b = m_board.AnimatedB();
    const bool switching = m_board.GameType() == kGridTypeSwitch;
    const int32_t dragged = m_board.DragCell();
    const float progress = m_board.Progress();
    auto centre = [this](uint32_t cell, float* p) {
        p[0] = m_board.Origin()[0] + (float(cell % m_board.Columns()) + 0.5f) * m_board.CellWidth();
        p[1] = m_board.Origin()[1] + (float(cell / m_board.Columns()) + 0.5f) * m_board.CellHeight();
    };
    const bool exchange = kind == kGridClickExchange || kind == kGridDragExchange || kind == kGridSlide;
    const bool sliding = m_board.GameType() == kGridTypeSlide && (m_board.TypeFlags() & kGridFlagSlide);
    const bool repeat = sliding && (m_board.TypeFlags() & kGridFlagRepeat);
    const float* offset = m_board.DragOffset();
    const uint32_t columns = m_board.Columns(), rows = m_board.Rows();
    for (uint32_t i = 0; i < n; ++i) {
        const PictureGridCell& cell = m_board.Cell(i);
        const bool animated = ((exchange || kind == kGridQuarterTurn) && (i == a || i == b)) ||
                              (kind == kGridDragExchange && i == a);
        if (animated || int32_t(cell.piece) == m_board.Excluded())
            continue;
        const bool half = (switching && int32_t(i) == dragged) || (kind == kGridGoingBack && i == a);
        const uint32_t tint = m_board.Selected() == i ? m_board.SelectedColor() : 0xFFFFFFFFu;
        // A slide drag pushes the cells marked toward the blank, or carries the dragged line
        // round, a copy of each of its pieces entering from the side it leaves.
        float p[2], wrap[2] = {0.0f, 0.0f};
        centre(i, p);
        if (sliding && !repeat) {
            const uint8_t to = cell.scratch;
            if ((to == kSlideLeft && offset[0] < 0.0f) || (to == kSlideRight && offset[0] > 0.0f))
                p[0] += offset[0];
            if ((to == kSlideUp && offset[1] < 0.0f) || (to == kSlideDown && offset[1] > 0.0f))
                p[1] += offset[1];
        } else if (repeat && m_board.DragColumn() < 0 && m_board.DragRow() == int32_t(i / columns)) {
            p[0] += offset[0];
            wrap[0] = offset[0] > 0.0f ? -float(columns) * m_board.CellWidth() : float(columns) * m_board.CellWidth();
        } else if (repeat && m_board.DragRow() < 0 && m_board.DragColumn() == int32_t(i % columns)) {
            p[1] += offset[1];
            wrap[1] = offset[1] > 0.0f ? -float(rows) * m_board.CellHeight() : float(rows) * m_board.CellHeight();
        }
        const uint32_t argb = half ? (tint & 0xFFFFFFu) | kHalfOpacity << 24 : tint;
        DrawPiece(pElement, quad, cell.piece, p[0], p[1], float(cell.turn) * kQuarter, argb);
        if ((wrap[0] != 0.0f && offset[0] != 0.0f) || (wrap[1] != 0.0f && offset[1] != 0.0f))
            DrawPiece(pElement, quad, cell.piece, p[0] + wrap[0], p[1] + wrap[1], float(cell.turn) * kQuarter, argb);
    }
    if (switching && dragged >= 0 && uint32_t(dragged) < n) {
        float p[2];
        centre(uint32_t(dragged), p);
        const PictureGridCell& cell = m_board.Cell(uint32_t(dragged));
        DrawPiece(pElement, quad, cell.piece, p[0] + m_board.DragOffset()[0], p[1] + m_board.DragOffset()[1],
                  float(cell.turn) * kQuarter, 0xFFFFFFFFu);
    }
    if (exchange) {
        // Each piece slides from the cell it came from into its new one.
        const uint32_t ends[2][2] = {{a, b}, {b, a}};
        for (const auto& end : ends) {
            if (end[0] >= n || end[1] >= n || int32_t(m_board.Cell(end[0]).piece) == m_board.Excluded())
                continue;
            float to[2], from[2];
            centre(end[0], to);
            centre(end[1], from);
            const PictureGridCell& cell = m_board.Cell(end[0]);
            DrawPiece(pElement, quad, cell.piece, to[0] + (from[0] - to[0]) * (1.0f - progress),
                      to[1] + (from[1] - to[1]) * (1.0f - progress), float(cell.turn) * kQuarter, 0xFFFFFFFFu);
        }
    } else if ((kind == kGridGoingBack || kind == kGridQuarterTurn) && a < n) {
        float p[2];
        centre(a, p);
        const PictureGridCell& cell = m_board.Cell(a);
        const bool back = kind == kGridGoingBack;
        const float turn = float(cell.turn) * kQuarter + (back ? 0.0f : progress * kQuarter - kQuarter);
        DrawPiece(pElement, quad, cell.piece, p[0] + (back ? m_board.ReturnOffset()[0] * (1.0f - progress) : 0.0f),
                  p[1] + (back ? m_board.ReturnOffset()[1] * (1.0f - progress) : 0.0f), turn, 0xFFFFFFFFu);
    }
    RestoreQuad(quad);
    return kStatusOk;
}

template <class Board>
void CObjectsLevelPictureGrid<Board>::RestoreQuad(const Quad& quad)
{
    for (uint32_t k = 0; k < quad.count; ++k) {
        m_pRenderModel->SetVertexPosition(quad.first + k, quad.positions[k].x, quad.positions[k].y, quad.positions[k].z);
        m_pRenderModel->SetVertexUV0(quad.first + k, quad.shares[k].x, quad.shares[k].y);
    }
}

template <class Board>
Status CObjectsLevelPictureGrid<Board>::Draw()
{
    const Status status = Base::Draw();
    const GameData* game = this->m_pWorldData ? this->m_pWorldData->pGame : nullptr;
    const int32_t item = m_board.PlayItem();
    ElementRecord* play =
        item >= 0 && uint32_t(item) < this->m_elementCount ? this->GetItemRecord(uint32_t(item)) : nullptr;
    // Only over a play item drawn this frame: its matrix is this frame's.
    Quad quad;
    if (!game || !game->developerMode || !game->debugLine || !game->itemDebug || !play ||
        play->drawState != kDrawDrawn || !m_board.IsDealt() || !ReadQuad(play->index, &quad))
        return status;
    // Every piece once more at its cell, green and without its texture.
    const uint32_t creation = m_pRenderModel->GetCreationWord();
    m_pRenderModel->SetCreationWord((creation | k3DDrawWireframe) & ~k3DDrawTexture0);
    for (uint32_t i = 0; i < m_board.CellCount(); ++i) {
        const PictureGridCell& cell = m_board.Cell(i);
        if (int32_t(cell.piece) == m_board.Excluded())
            continue;
        const float x = m_board.Origin()[0] + (float(i % m_board.Columns()) + 0.5f) * m_board.CellWidth();
        const float y = m_board.Origin()[1] + (float(i / m_board.Columns()) + 0.5f) * m_board.CellHeight();
        DrawPiece(play, quad, cell.piece, x, y, float(cell.turn) * kQuarter, kGreen);
    }
    m_pRenderModel->SetCreationWord(creation);
    RestoreQuad(quad);
    return status;
}

template class CObjectsLevelPictureGrid<PictureGridBoard>;
template class CObjectsLevelPictureGrid<JigsawBoard>;
