// The tubing level: the board's items and callback, its input in the board item's frame, and
// its cells drawn from the mesh of piece quads.
#include "NimbrelLevels/CObjectsLevelTubing.h"

#include <cmath>
#include <cstring>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kMeshFlags = 0x28010;
constexpr uint32_t kMeshCreation = 0x28C29;
constexpr uint32_t kQuadFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr float kQuarter = 1.57079632679f;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A colour with its alpha scaled by `alpha` (0 to 1).
uint32_t WithAlpha(uint32_t color, float alpha)
{
    const float a = float(color >> 24) * (alpha < 0.0f ? 0.0f : alpha > 1.0f ? 1.0f : alpha);
    return uint32_t(a + 0.5f) << 24 | (color & 0xFFFFFFu);
}

}  // namespace

CObjectsLevelTubing::CObjectsLevelTubing(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<TubingBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindTubing;
}

CObjectsLevelTubing::~CObjectsLevelTubing() { ReleaseMesh(); }

// ---- resources ----------------------------------------------------------------------------------

Status CObjectsLevelTubing::Load()
{
    if (Failed(CObjectsLevelBoard<TubingBoard>::Load()))
        return kStatusFailed;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!m_pMesh && engine)
        m_pMesh = engine->CreateObject(kMeshFlags, kMeshCreation);
    return m_pMesh ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelTubing::Release()
{
    ReleaseMesh();
    m_callback.Clear();
    return CObjectsLevelBoard<TubingBoard>::Release();
}

Status CObjectsLevelTubing::ReleaseModel(uint8_t force)
{
    // The quads go with the device data; the next draw builds them again.
    if (m_pMesh) {
        m_pMesh->SetTextureAllGroups(nullptr, 0);
        m_pMesh->Release();
    }
    m_quadOf.clear();
    return CObjectsLevelBoard<TubingBoard>::ReleaseModel(force);
}

void CObjectsLevelTubing::ReleaseMesh()
{
    m_quadOf.clear();
    if (!m_pMesh)
        return;
    // The textures are the render model's: the mesh only lends them while it draws.
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
        engine->ReleaseObject(m_pMesh);
    m_pMesh = nullptr;
}

// ---- words, setup and commands ------------------------------------------------------------------

// The callback is no saved field: a profile load keeps the one the script gave.
Status CObjectsLevelTubing::ResetRunState()
{
    m_callback.Clear();
    return CObjectsLevelBoard<TubingBoard>::ResetRunState();
}

Status CObjectsLevelTubing::LoadEventsFromParam(const char* name, char* value)
{
    if (Is(name, "tubing_response_callback")) {
        // A name that cannot be copied leaves no callback.
        m_callback.Set(value);
        return kStatusDoneStoreResult;
    }
    return CObjectsLevelBoard<TubingBoard>::LoadEventsFromParam(name, value);
}

Status CObjectsLevelTubing::OnAction(const char* name, char* value) { return m_board.Action(name, value); }

Status CObjectsLevelTubing::CheckSetup()
{
    if (Failed(m_board.CheckSetup()) || !m_callback.Name())
        return kStatusFailed;
    const ElementRecord* first = SizeBoard();
    if (!first)
        return kStatusFailed;
    BuildMesh(*first);
    return kStatusOk;
}

const ElementRecord* CObjectsLevelTubing::SizeBoard()
{
    const ElementRecord* first = m_board.FirstItem() >= 0 ? GetItemRecord(uint32_t(m_board.FirstItem())) : nullptr;
    if (first)
        m_board.SetArea(first->bounds[0], first->bounds[1], first->bounds[2] - first->bounds[0],
                        first->bounds[3] - first->bounds[1]);
    return first;
}

// The board's lines may have come after the check: the cells are sized again. A new board also
// ends a pause.
Status CObjectsLevelTubing::ResetBoard()
{
    m_paused = 0;
    SizeBoard();
    return CObjectsLevelBoard<TubingBoard>::ResetBoard();
}

void CObjectsLevelTubing::BuildMesh(const ElementRecord& first)
{
    m_quadOf.assign(m_board.Entries().size(), -1);
    uint32_t quads = 0;
    for (size_t e = 0; e < m_quadOf.size(); ++e)
        if (m_board.Entries()[e].code != 0)
            m_quadOf[e] = int32_t(quads++);
    if (!m_pMesh || quads == 0 || Failed(m_pMesh->Create(quads, 4 * quads, 4 * quads))) {
        m_quadOf.assign(m_quadOf.size(), -1);
        return;
    }
    // The sheet is the first item's picture, cut into the table's cells.
    C3DVector2 low = {0.0f, 0.0f}, high = {1.0f, 1.0f};
    if (m_pRenderModel && first.index < m_pRenderModel->GetGroupCount())
        m_pRenderModel->GetGroupUVBounds0(first.index, &low, &high);
    const float cellU = (high.x - low.x) / float(m_board.RefWidth());
    const float cellV = (high.y - low.y) / float(m_board.RefHeight());
    const float halfW = m_board.CellWidth() * 0.5f, halfH = m_board.CellHeight() * 0.5f;
    m_pMesh->Lock(0, 2);
    for (size_t e = 0; e < m_quadOf.size(); ++e) {
        if (m_quadOf[e] < 0)
            continue;
        const uint32_t q = uint32_t(m_quadOf[e]), v = 4 * q;
        const float u0 = low.x + float(e % m_board.RefWidth()) * cellU;
        const float v0 = low.y + float(e / m_board.RefWidth()) * cellV;
        m_pMesh->SetVertex(v, -halfW, -halfH, 0.0f, kWhite, u0, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 1, halfW, -halfH, 0.0f, kWhite, u0 + cellU, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 2, -halfW, halfH, 0.0f, kWhite, u0, v0 + cellV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 3, halfW, halfH, 0.0f, kWhite, u0 + cellU, v0 + cellV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetIndexRange(v, 4);
        m_pMesh->SetGroup(q, v, 4, v, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, q);
    }
    m_pMesh->Unlock(1);
}

Status CObjectsLevelTubing::OnKindCommand(const char* command)
{
    if (!Is(command, "finished") || m_board.GameType() != kTubingTimed)
        return kStatusFailed;
    return m_board.Finished();
}

Status CObjectsLevelTubing::OnEvent(const char* name, char* value)
{
    if (Is(name, "event") && Is(value, "skip"))
        m_board.StopMove();
    return CObjectsLevelBoard<TubingBoard>::OnEvent(name, value);
}

void CObjectsLevelTubing::StateFields(LevelState& state) { m_board.StateFields(state, m_paused, m_solved); }

// ---- the board's host ---------------------------------------------------------------------------

void CObjectsLevelTubing::WaterMoving(bool moving)
{
    CallResponse(m_callback, {LevelArgument::Int(moving ? 1 : 0)});
}

void CObjectsLevelTubing::BoardEnded(uint8_t solved)
{
    m_solved = solved;
    FinishLevel();
}

void CObjectsLevelTubing::PlayBoardSound(bool null)
{
    const ElementRecord* board = m_board.FirstItem() >= 0 ? GetItemRecord(uint32_t(m_board.FirstItem())) : nullptr;
    if (null)
        PlayNullClick();
    else if (board && board->clickSound != 0)
        PlayElementSound(board->clickSound);
    else
        PlayDefaultClick();
}

// ---- input --------------------------------------------------------------------------------------

bool CObjectsLevelTubing::BoardPoint(float x, float y, float* pX, float* pY)
{
    const ElementRecord* board = m_board.FirstItem() >= 0 ? GetItemRecord(uint32_t(m_board.FirstItem())) : nullptr;
    if (!board)
        return false;
    float local[3];
    ScreenToElement(local, x, y, 0.0f, board);
    *pX = local[0];
    *pY = local[1];
    return true;
}

Status CObjectsLevelTubing::OnMouseDown(float x, float y, uint32_t state)
{
    float bx, by;
    if (InPlay() && BoardPoint(x, y, &bx, &by) && m_board.Press(bx, by))
        return kStatusOk;
    return CObjectsLevelBoard<TubingBoard>::OnMouseDown(x, y, state);
}

Status CObjectsLevelTubing::OnMouseMove(float x, float y, uint32_t state)
{
    float bx, by;
    if (m_board.Dragging() && BoardPoint(x, y, &bx, &by) && m_board.Drag(bx, by))
        return kStatusOk;
    return CObjectsLevelBoard<TubingBoard>::OnMouseMove(x, y, state);
}

// A release that is no drop counts as a click: it goes on to OnClick.
Status CObjectsLevelTubing::OnMouseUp(float x, float y, uint32_t state)
{
    float bx, by;
    if (!m_board.Dragging())
        return CObjectsLevelBoard<TubingBoard>::OnMouseUp(x, y, state);
    if (!BoardPoint(x, y, &bx, &by))
        bx = by = -HUGE_VALF;
    return m_board.Release(bx, by) ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelTubing::OnClick(float x, float y, uint32_t state)
{
    float bx, by;
    if (InPlay() && BoardPoint(x, y, &bx, &by) && m_board.Click(bx, by))
        return kStatusOk;
    return CObjectsLevelBoard<TubingBoard>::OnClick(x, y, state);
}

// ---- drawing ------------------------------------------------------------------------------------

bool CObjectsLevelTubing::IsBoardItem(uint32_t element) const
{
    return int32_t(element) == m_board.FirstItem() || int32_t(element) == m_board.SecondItem();
}

Status CObjectsLevelTubing::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    // The water sheet is never drawn as itself; the board item is prepared for its frame.
    if (pElement && int32_t(pElement->index) == m_board.SecondItem())
        return kStatusFailed;
    return CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
}

Status CObjectsLevelTubing::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (!IsBoardItem(pElement->index))
        return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (int32_t(pElement->index) != m_board.FirstItem() || !m_board.Started() || !m_pMesh || !m_pRenderModel ||
        !m_pWorldData->pMath)
        return kStatusOk;
    if (m_quadOf.size() != m_board.Entries().size())
        BuildMesh(*pElement);
    C3DTexture* pieces = m_pRenderModel->GetTexture(pElement->index, 0);
    C3DTexture* water = m_board.SecondItem() >= 0 && uint32_t(m_board.SecondItem()) < m_pRenderModel->GetGroupCount()
                            ? m_pRenderModel->GetTexture(uint32_t(m_board.SecondItem()), 0)
                            : nullptr;
    const float alpha = float(pElement->drawAlpha) / 255.0f;
    const TubingMove& move = m_board.Move();
    const uint32_t cells = m_board.CellCount();
    for (int pass = 0; pass < 2; ++pass) {
        m_pMesh->SetTextureAllGroups(pass == 0 ? pieces : water, 0);
        if (pass == 1 && !water)
            break;
        for (uint32_t c = 0; c < cells; ++c) {
            const TubingCellState& state = m_board.State(c);
            if (int32_t(c) == m_board.DragCell())
                continue;
            if (pass == 1 && state.flow != kTubingFilling && state.flow != kTubingFull && state.flow != kTubingDraining)
                continue;
            float x, y;
            m_board.CellCentre(c, &x, &y);
            // A swap slides the pieces in from where they were.
            if (move.kind != kTubingMoveIdle) {
                const float rest = 1.0f - move.progress;
                float fromX, fromY;
                const bool source = c == move.source, target = c == move.target;
                if (move.kind == kTubingMoveDropOutside && source) {
                    x += rest * move.offset[0];
                    y += rest * move.offset[1];
                } else if ((source && move.kind != kTubingMoveDropOutside) ||
                           (target && move.kind == kTubingMoveClickSwap)) {
                    m_board.CellCentre(source ? move.target : move.source, &fromX, &fromY);
                    x += rest * (fromX - x);
                    y += rest * (fromY - y);
                }
            }
            const uint32_t color = m_board.Selection() == c ? m_board.SelectedColor() : kWhite;
            const float fill = pass == 1 ? state.fill : 1.0f;
            DrawPiece(*pElement, c, x, y, float(state.turns) + state.turning, WithAlpha(color, alpha * fill));
        }
    }
    if (m_board.DragCell() >= 0) {
        const uint32_t c = uint32_t(m_board.DragCell());
        float x, y;
        m_board.CellCentre(c, &x, &y);
        m_pMesh->SetTextureAllGroups(pieces, 0);
        const TubingCellState& state = m_board.State(c);
        DrawPiece(*pElement, c, x + m_board.DragX(), y + m_board.DragY(), float(state.turns) + state.turning,
                  WithAlpha(kWhite, alpha));
    }
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    return kStatusOk;
}

void CObjectsLevelTubing::DrawPiece(const ElementRecord& board, uint32_t cell, float x, float y, float quarters,
                                    uint32_t color)
{
    const uint32_t entry = m_board.Cells()[cell].piece & kTubingEntryBits;
    if (entry >= m_quadOf.size() || m_quadOf[entry] < 0)
        return;
    // Turned about the cell's centre (a quarter takes the left side to the top), then placed
    // in the board item's frame (row vectors, as the element matrices).
    const float a = quarters * kQuarter, c = std::cos(a), s = std::sin(a);
    const float place[16] = {c, s, 0.0f, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, x, y, 0.0f, 1.0f};
    float matrix[16];
    m_pWorldData->pMath->Multiply(matrix, place, board.worldMatrix);
    m_pMesh->SetColor(color);
    m_pMesh->SetMatrix(matrix);
    m_pMesh->DrawEx(uint32_t(m_quadOf[entry]));
}
