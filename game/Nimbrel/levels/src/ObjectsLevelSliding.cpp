// The sliding blocks level: the board item sized into cells, its input in the board item's frame,
// and its occupied cells drawn from the mesh of tile quads cut from its picture.
#include "NimbrelLevels/CObjectsLevelSliding.h"

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kMeshFlags = 0x28010;
constexpr uint32_t kMeshCreation = 0x20C29;
constexpr uint32_t kQuadFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

}  // namespace

CObjectsLevelSliding::CObjectsLevelSliding(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<SlidingBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindSliding;
}

CObjectsLevelSliding::~CObjectsLevelSliding() { ReleaseMesh(); }

// ---- resources ----------------------------------------------------------------------------------

Status CObjectsLevelSliding::Load()
{
    if (Failed(CObjectsLevelBoard<SlidingBoard>::Load()))
        return kStatusFailed;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!m_pMesh && engine)
        m_pMesh = engine->CreateObject(kMeshFlags, kMeshCreation);
    return m_pMesh ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelSliding::Release()
{
    ReleaseMesh();
    return CObjectsLevelBoard<SlidingBoard>::Release();
}

Status CObjectsLevelSliding::ReleaseModel(uint8_t force)
{
    // The quads go with the device data; the next draw builds them again.
    if (m_pMesh) {
        m_pMesh->SetTextureAllGroups(nullptr, 0);
        m_pMesh->Release();
    }
    m_quadOf.clear();
    return CObjectsLevelBoard<SlidingBoard>::ReleaseModel(force);
}

void CObjectsLevelSliding::ReleaseMesh()
{
    m_quadOf.clear();
    if (!m_pMesh)
        return;
    // The texture is the render model's: the mesh only lends it while it draws.
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
        engine->ReleaseObject(m_pMesh);
    m_pMesh = nullptr;
}

// ---- setup --------------------------------------------------------------------------------------

const ElementRecord* CObjectsLevelSliding::BoardItem()
{
    return m_board.BoardItem() >= 0 ? GetItemRecord(uint32_t(m_board.BoardItem())) : nullptr;
}

const ElementRecord* CObjectsLevelSliding::SizeBoard()
{
    const ElementRecord* item = BoardItem();
    if (item)
        m_board.SetArea(item->bounds[0], item->bounds[1], item->bounds[2] - item->bounds[0],
                        item->bounds[3] - item->bounds[1]);
    return item;
}

Status CObjectsLevelSliding::CheckSetup()
{
    m_quadOf.clear();
    const ElementRecord* item = SizeBoard();
    if (!item || Failed(m_board.CheckSetup()))
        return kStatusFailed;
    BuildPieceMesh(*item);
    return kStatusOk;
}

Status CObjectsLevelSliding::ResetBoard()
{
    m_paused = 0;
    SizeBoard();
    return CObjectsLevelBoard<SlidingBoard>::ResetBoard();
}

void CObjectsLevelSliding::BuildPieceMesh(const ElementRecord& item)
{
    const std::vector<uint16_t>& codes = m_board.RefCodes();
    m_quadOf.assign(codes.size(), -1);
    uint32_t quads = 0;
    for (size_t t = 0; t < codes.size(); ++t)
        if (codes[t] != 0)
            m_quadOf[t] = int32_t(quads++);
    // A tool or a test without a renderer plays the board undrawn.
    if (!m_pMesh || quads == 0 || Failed(m_pMesh->Create(quads, 4 * quads, 4 * quads))) {
        m_quadOf.assign(m_quadOf.size(), -1);
        return;
    }
    // The reference grid cuts the board item's picture into its tiles; each tile is drawn one
    // board cell large.
    C3DVector2 low = {0.0f, 0.0f}, high = {1.0f, 1.0f};
    if (m_pRenderModel && item.index < m_pRenderModel->GetGroupCount())
        m_pRenderModel->GetGroupUVBounds0(item.index, &low, &high);
    const float tileU = (high.x - low.x) / float(m_board.RefWidth());
    const float tileV = (high.y - low.y) / float(m_board.RefHeight());
    const float halfW = m_board.CellWidth() * 0.5f, halfH = m_board.CellHeight() * 0.5f;
    m_pMesh->Lock(0, 2);
    for (size_t t = 0; t < m_quadOf.size(); ++t) {
        if (m_quadOf[t] < 0)
            continue;
        const uint32_t q = uint32_t(m_quadOf[t]), v = 4 * q;
        const float u0 = low.x + float(t % m_board.RefWidth()) * tileU;
        const float v0 = low.y + float(t / m_board.RefWidth()) * tileV;
        m_pMesh->SetVertex(v, -halfW, -halfH, 0.0f, kWhite, u0, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 1, halfW, -halfH, 0.0f, kWhite, u0 + tileU, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 2, -halfW, halfH, 0.0f, kWhite, u0, v0 + tileV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 3, halfW, halfH, 0.0f, kWhite, u0 + tileU, v0 + tileV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetIndexRange(v, 4);
        m_pMesh->SetGroup(q, v, 4, v, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, q);
    }
    m_pMesh->Unlock(1);
}

void CObjectsLevelSliding::StateFields(LevelState& state) { m_board.StateFields(state, m_paused, m_solved); }

bool CObjectsLevelSliding::StateFits()
{
    return m_paused <= 1 && m_solved <= 1 && CObjectsLevelBoard<SlidingBoard>::StateFits();
}

// ---- input --------------------------------------------------------------------------------------

bool CObjectsLevelSliding::BoardPoint(float x, float y, float* pX, float* pY)
{
    const ElementRecord* item = BoardItem();
    if (!item)
        return false;
    float local[3];
    ScreenToElement(local, x, y, 0.0f, item);
    *pX = local[0];
    *pY = local[1];
    return true;
}

bool CObjectsLevelSliding::OnBoardItem(float x, float y)
{
    const ElementRecord* item = BoardItem();
    float bx, by;
    return item && BoardPoint(x, y, &bx, &by) && bx >= item->bounds[0] && bx < item->bounds[2] &&
           by >= item->bounds[1] && by < item->bounds[3];
}

bool CObjectsLevelSliding::HitsOther(float x, float y)
{
    HitRecord hit;
    return Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr)) && hit.element != m_board.BoardItem();
}

Status CObjectsLevelSliding::OnMouseDown(float x, float y, uint32_t state)
{
    float bx, by;
    if (!InPlay() || HitsOther(x, y) || !BoardPoint(x, y, &bx, &by))
        return CObjectsLevelBoard<SlidingBoard>::OnMouseDown(x, y, state);
    // A press on the board item beside its cells is still the board's.
    if (m_board.Press(bx, by) || OnBoardItem(x, y))
        return kStatusOk;
    return CObjectsLevelBoard<SlidingBoard>::OnMouseDown(x, y, state);
}

Status CObjectsLevelSliding::OnMouseMove(float x, float y, uint32_t state)
{
    float bx, by;
    if (!InPlay() || !BoardPoint(x, y, &bx, &by))
        return CObjectsLevelBoard<SlidingBoard>::OnMouseMove(x, y, state);
    m_board.Drag(bx, by);
    return kStatusOk;
}

Status CObjectsLevelSliding::OnMouseUp(float x, float y, uint32_t state)
{
    if (!InPlay())
        return CObjectsLevelBoard<SlidingBoard>::OnMouseUp(x, y, state);
    m_board.Release();
    return kStatusOk;
}

Status CObjectsLevelSliding::OnClick(float x, float y, uint32_t state)
{
    // A click on the board item in play is taken and does nothing: the drags move the pieces.
    if (InPlay() && !HitsOther(x, y) && OnBoardItem(x, y))
        return kStatusOk;
    return CObjectsLevelBoard<SlidingBoard>::OnClick(x, y, state);
}

// ---- drawing ------------------------------------------------------------------------------------

Status CObjectsLevelSliding::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (int32_t(pElement->index) != m_board.BoardItem() || !m_board.InPlay())
        return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (!m_pMesh || !m_pRenderModel || !m_pWorldData->pMath)
        return kStatusOk;
    // A profile load skips the check: the quads are built at the first draw.
    if (m_quadOf.size() != m_board.RefCodes().size())
        BuildPieceMesh(*pElement);
    m_pMesh->SetTextureAllGroups(m_pRenderModel->GetTexture(pElement->index, 0), 0);
    const uint32_t color = uint32_t(pElement->drawAlpha) << 24 | (kWhite & 0xFFFFFFu);
    const uint16_t dragged = m_board.DraggedInstance();
    const std::vector<SlidingCell>& cells = m_board.Play();
    for (uint32_t c = 0; c < cells.size(); ++c) {
        const SlidingCell& cell = cells[c];
        // Solved, the goal piece has left the board.
        if (!cell.Occupied() || (m_solved && (cell.marks & kSlidingGoalPiece)))
            continue;
        float x, y;
        m_board.CellCentre(c, &x, &y);
        if (dragged != kSlidingNone && cell.instance == dragged) {
            x += m_board.Offset()[0];
            y += m_board.Offset()[1];
        }
        DrawTile(*pElement, cell.tile, x, y, color);
    }
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    return kStatusOk;
}

void CObjectsLevelSliding::DrawTile(const ElementRecord& item, uint32_t tile, float x, float y, uint32_t color)
{
    if (tile >= m_quadOf.size() || m_quadOf[tile] < 0)
        return;
    // Placed at the cell in the board item's frame (row vectors, as the element matrices).
    const float place[16] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, x, y, 0.0f, 1.0f};
    float matrix[16];
    m_pWorldData->pMath->Multiply(matrix, place, item.worldMatrix);
    m_pMesh->SetColor(color);
    m_pMesh->SetMatrix(matrix);
    m_pMesh->DrawEx(uint32_t(m_quadOf[tile]));
}
