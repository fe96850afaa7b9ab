// The match-3 level: the monitor and popups objects, the board's input in the board item's
// frame, the tile mesh and the pieces drawn from it, the score sent to the monitor, the help
// sparkle and the bonus explosions, the narrator's line when no move is left.
#include "NimbrelLevels/CObjectsLevelMatch3.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelLevels/LevelValues.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kMeshFlags = 0x28010;
constexpr uint32_t kMeshCreation = 0x28C29;
constexpr uint32_t kQuadFaceMode = 1;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr float kPi = 3.14159265358979f;
// The help sparkle and a collected bonus piece's explosion, as the particles manager takes them.
constexpr uint32_t kSparkleTexture = 1, kSparkleFrame = 0x10, kSparkleEnvelope = 0;
constexpr float kSparkleSeconds = 3.0f;
constexpr uint32_t kBurstTexture = 3, kBurstFrame = 4, kBurstEnvelope = 3;
constexpr float kBurstSeconds = 1.0f;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A colour with its alpha scaled by `alpha` (0 to 1).
uint32_t WithAlpha(uint32_t color, float alpha)
{
    const float a = float(color >> 24) * (alpha < 0.0f ? 0.0f : alpha > 1.0f ? 1.0f : alpha);
    return uint32_t(a + 0.5f) << 24 | (color & 0xFFFFFFu);
}

CNimbrelWorld* GameWorld(WorldData* w) { return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr; }

}  // namespace

CObjectsLevelMatch3::CObjectsLevelMatch3(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<Match3Board>(pWorldData, objectNumber, constructWord), m_pOutlets(this)
{
    m_typeCode = kObjectKindMatch3;
}

CObjectsLevelMatch3::~CObjectsLevelMatch3() { ReleaseMesh(); }

// ---- resources ----------------------------------------------------------------------------------

Status CObjectsLevelMatch3::Load()
{
    if (Failed(CObjectsLevelBoard<Match3Board>::Load()))
        return kStatusFailed;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!m_pMesh && engine)
        m_pMesh = engine->CreateObject(kMeshFlags, kMeshCreation);
    return m_pMesh ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelMatch3::Release()
{
    ReleaseMesh();
    m_board.Clear();
    return CObjectsLevelBoard<Match3Board>::Release();
}

Status CObjectsLevelMatch3::ReleaseModel(uint8_t force)
{
    // The quads go with the device data; the next draw builds them again.
    if (m_pMesh) {
        m_pMesh->SetTextureAllGroups(nullptr, 0);
        m_pMesh->Release();
    }
    m_meshBuilt = false;
    return CObjectsLevelBoard<Match3Board>::ReleaseModel(force);
}

void CObjectsLevelMatch3::ReleaseMesh()
{
    m_meshBuilt = false;
    if (!m_pMesh)
        return;
    // The texture is the render model's: the mesh only lends it while it draws.
    m_pMesh->SetTextureAllGroups(nullptr, 0);
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
        engine->ReleaseObject(m_pMesh);
    m_pMesh = nullptr;
}

// ---- words, setup and events --------------------------------------------------------------------

Status CObjectsLevelMatch3::LoadEventsFromParam(const char* name, char* value)
{
    const bool monitor = Is(name, "match3_monitor_name");
    if (!monitor && !Is(name, "match3_popup_name"))
        return CObjectsLevelBoard<Match3Board>::LoadEventsFromParam(name, value);
    const int32_t object = value ? m_pOutlets->FindObject(value, monitor ? kObjectKindMonitor : kObjectKindPopups) : -1;
    if (object < 0) {
        NoTrace("%s: no object named %s", name, value ? value : "");
        return kStatusFailed;
    }
    if (monitor)
        m_board.SetMonitor(object);
    else
        m_board.SetPopups(object);
    return kStatusDoneStoreResult;
}

Status CObjectsLevelMatch3::CheckSetup()
{
    if (Failed(m_board.CheckSetup()))
        return kStatusFailed;
    const ElementRecord* board = SizeBoard();
    if (!board)
        return kStatusFailed;
    // Without a renderer (the tools) there is no mesh to build.
    if (!m_pMesh)
        return kStatusOk;
    BuildTileMesh(*board);
    return m_meshBuilt ? kStatusOk : kStatusFailed;
}

const ElementRecord* CObjectsLevelMatch3::BoardRecord()
{
    const int32_t item = m_board.BoardItem();
    return item >= 0 && uint32_t(item) < m_elementCount ? GetItemRecord(uint32_t(item)) : nullptr;
}

const ElementRecord* CObjectsLevelMatch3::SizeBoard()
{
    const ElementRecord* board = BoardRecord();
    if (board)
        m_board.SetArea(board->bounds[0], board->bounds[1], board->bounds[2], board->bounds[3]);
    return board;
}

// The board may have been sized after the check: the cells are sized again for the deal. A new
// board also ends a pause.
Status CObjectsLevelMatch3::ResetBoard()
{
    m_paused = 0;
    SizeBoard();
    return CObjectsLevelBoard<Match3Board>::ResetBoard();
}

void CObjectsLevelMatch3::BuildTileMesh(const ElementRecord& board)
{
    m_meshBuilt = false;
    const uint32_t across = m_board.TilesAcross(), down = m_board.TilesDown(), quads = across * down;
    if (!m_pMesh || quads == 0 || Failed(m_pMesh->Create(quads, 4 * quads, 4 * quads)))
        return;
    C3DVector2 low = {0.0f, 0.0f}, high = {0.0f, 0.0f};
    if (m_pRenderModel && board.index < m_pRenderModel->GetGroupCount())
        m_pRenderModel->GetGroupUVBounds0(board.index, &low, &high);
    const float tileU = (high.x - low.x) / float(across), tileV = (high.y - low.y) / float(down);
    const float halfW = m_board.CellWidth() * 0.5f, halfH = m_board.CellHeight() * 0.5f;
    m_pMesh->Lock(0, 2);
    for (uint32_t q = 0; q < quads; ++q) {
        const uint32_t v = 4 * q;
        const float u0 = low.x + float(q % across) * tileU, v0 = low.y + float(q / across) * tileV;
        m_pMesh->SetVertex(v, -halfW, -halfH, 0.0f, kWhite, u0, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 1, halfW, -halfH, 0.0f, kWhite, u0 + tileU, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 2, -halfW, halfH, 0.0f, kWhite, u0, v0 + tileV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 3, halfW, halfH, 0.0f, kWhite, u0 + tileU, v0 + tileV, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetIndexRange(v, 4);
        m_pMesh->SetGroup(q, v, 4, v, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, q);
    }
    m_pMesh->Unlock(1);
    m_meshBuilt = true;
}

Status CObjectsLevelMatch3::OnEvent(const char* name, char* value)
{
    if (Is(name, "event") && Is(value, "skip"))
        m_board.StopMove();
    return CObjectsLevelBoard<Match3Board>::OnEvent(name, value);
}

// The won flag rides with the board; the quads are built again before the next draw.
Status CObjectsLevelMatch3::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    RemoveSparkle();
    const Status status = CObjectsLevelBoard<Match3Board>::LoadFromProfile(pChunk);
    m_solved = m_board.Won() ? 1 : 0;
    m_meshBuilt = false;
    return status;
}

// ---- the board's host ---------------------------------------------------------------------------

void CObjectsLevelMatch3::Reseed()
{
    UtilsRandom_Seed(m_pWorldData, m_seedSource ? m_seedSource() : UtilsRandom_TickSeed());
}

void CObjectsLevelMatch3::PlayBoardSound(bool null)
{
    const ElementRecord* board = BoardRecord();
    if (null)
        PlayNullClick();
    else if (board && board->clickSound != 0)
        PlayElementSound(board->clickSound);
    else
        PlayDefaultClick();
}

void CObjectsLevelMatch3::Removed(const char* function, int32_t count)
{
    // A missing function changes nothing.
    CallFunction(function, {LevelArgument::Int(count)});
}

void CObjectsLevelMatch3::NoMoveLeft()
{
    if (m_board.Popups() >= 0)
        m_pOutlets->ShowNarratorLine(m_board.Popups(), kMatch3NoMoveString);
}

bool CObjectsLevelMatch3::CellPoint(uint32_t cell, float* pOut3)
{
    const ElementRecord* board = BoardRecord();
    if (!board || !m_pWorldData || !m_pWorldData->pMath || m_board.Width() == 0)
        return false;
    // The item's position is the board's centre.
    float at[3];
    GetElementPosition(at, board);
    const uint32_t x = cell % m_board.Width(), y = cell / m_board.Width();
    const float w = m_board.CellWidth(), h = m_board.CellHeight();
    at[0] += float(x) * w + w / 2.0f - float(m_board.Width()) * w / 2.0f;
    at[1] += float(y) * h + h / 2.0f - float(m_board.Height()) * h / 2.0f;
    C3DVector3 v;
    m_pWorldData->pMath->Vec3TransformCoord(&v, at[0], at[1], at[2], GetElementViewMatrix(board));
    pOut3[0] = v.x;
    pOut3[1] = v.y;
    pOut3[2] = v.z;
    return true;
}

void CObjectsLevelMatch3::ShowSparkle(uint32_t cell)
{
    RemoveSparkle();
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CParticules* particles = world ? world->GetParticules() : nullptr;
    float at[3];
    if (!particles || !CellPoint(cell, at))
        return;
    m_pSparkle = particles->AddStar(C3DVector3{at[0], at[1], at[2]}, kSparkleTexture, kSparkleFrame, kSparkleEnvelope,
                                    kSparkleSeconds, kWhite, nullptr);
}

void CObjectsLevelMatch3::RemoveSparkle()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CParticules* particles = world ? world->GetParticules() : nullptr;
    // A sparkle that has run out is no longer in the list: its removal finds nothing.
    if (m_pSparkle && particles)
        particles->RemoveParticle(m_pSparkle);
    m_pSparkle = nullptr;
}

void CObjectsLevelMatch3::Collected(uint32_t cell)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CParticules* particles = world ? world->GetParticules() : nullptr;
    float at[3];
    if (particles && CellPoint(cell, at))
        particles->AddExplosionUp(C3DVector3{at[0], at[1], at[2]}, kBurstTexture, kBurstFrame, kBurstEnvelope,
                                  kBurstSeconds, kWhite, nullptr);
}

// ---- the monitor and popups objects -------------------------------------------------------------

int32_t CObjectsLevelMatch3::FindObject(const char* name, uint32_t typeCode)
{
    CObjectsManager* objects = ObjectsManager();
    return objects ? objects->FindLevelByNameAndType(name, typeCode) : -1;
}

Status CObjectsLevelMatch3::SetScore(int32_t monitor, uint32_t level, float score)
{
    CObjectsManager* objects = ObjectsManager();
    auto* object = objects ? dynamic_cast<CObjectsInterfaceMonitor*>(objects->GetObject(uint32_t(monitor))) : nullptr;
    return object ? object->Update(level, "set_score", score) : kStatusFailed;
}

void CObjectsLevelMatch3::ShowNarratorLine(int32_t popups, uint32_t stringNumber)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = ObjectsManager();
    CPopupManager* manager = world ? world->GetPopupManager() : nullptr;
    if (!objects || !manager || !objects->GetObject(uint32_t(popups)))
        return;
    objects->SetInterfaceIndex(kInterfacePopups, uint32_t(popups));
    manager->ShowCommonString(stringNumber, 1);
}

Status CObjectsLevelMatch3::ShowScore()
{
    if (m_board.Monitor() < 0)
        return kStatusOk;
    return m_pOutlets->SetScore(m_board.Monitor(), m_objectNumber, float(m_board.Score()));
}

// ---- input --------------------------------------------------------------------------------------

bool CObjectsLevelMatch3::BoardPoint(float x, float y, float* pX, float* pY)
{
    const ElementRecord* board = BoardRecord();
    if (!board)
        return false;
    float local[3];
    ScreenToElement(local, x, y, 0.0f, board);
    *pX = local[0];
    *pY = local[1];
    return true;
}

Status CObjectsLevelMatch3::OnMouseDown(float x, float y, uint32_t state)
{
    // A press beside the cells goes to the level's other items.
    float bx, by;
    if (InPlay() && BoardPoint(x, y, &bx, &by) && m_board.Press(bx, by))
        return kStatusOk;
    return CObjectsLevelBoard<Match3Board>::OnMouseDown(x, y, state);
}

Status CObjectsLevelMatch3::OnMouseMove(float x, float y, uint32_t state)
{
    float bx, by;
    if (!InPlay() || !m_board.Pressed() || !BoardPoint(x, y, &bx, &by))
        return CObjectsLevelBoard<Match3Board>::OnMouseMove(x, y, state);
    return m_board.Drag(bx, by) ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelMatch3::OnMouseUp(float x, float y, uint32_t state)
{
    float bx, by;
    if (!InPlay() || !m_board.Pressed() || !BoardPoint(x, y, &bx, &by))
        return CObjectsLevelBoard<Match3Board>::OnMouseUp(x, y, state);
    return m_board.Release(bx, by) ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelMatch3::OnClick(float x, float y, uint32_t state)
{
    float bx, by;
    if (InPlay() && BoardPoint(x, y, &bx, &by) && m_board.Click(bx, by))
        return kStatusOk;
    return CObjectsLevelBoard<Match3Board>::OnClick(x, y, state);
}

// ---- drawing ------------------------------------------------------------------------------------

void CObjectsLevelMatch3::DrawPiece(const ElementRecord& board, uint16_t kind, float x, float y, float scale,
                                    uint32_t color)
{
    // A kind without a quad of the sheet is never drawn.
    if (kind >= uint32_t(m_board.TilesAcross()) * m_board.TilesDown())
        return;
    const float place[16] = {scale, 0.0f, 0.0f, 0.0f, 0.0f, scale, 0.0f, 0.0f,
                             0.0f,  0.0f, 1.0f, 0.0f, x,    y,     0.0f, 1.0f};
    float matrix[16];
    m_pWorldData->pMath->Multiply(matrix, place, board.worldMatrix);
    m_pMesh->SetColor(color);
    m_pMesh->SetMatrix(matrix);
    // Under the mask a piece passes the depth test only where its item's picture would: inside
    // the zone, never above the board as it drops in. Each draw of the mesh resets the test.
    if (m_piecesMasked)
        if (C3DEngine* engine = Engine())
            engine->SetDepthFunc(kCompareGreaterEqual);
    m_pMesh->DrawEx(kind);
}

void CObjectsLevelMatch3::DrawLine(const ElementRecord& board, int32_t column, int32_t row, float offset,
                                   uint32_t color)
{
    const bool vertical = column >= 0;
    const uint32_t length = vertical ? m_board.Height() : m_board.Width();
    const float size = vertical ? m_board.CellHeight() : m_board.CellWidth();
    const float span = float(length) * size;
    for (uint32_t i = 0; i < length; ++i) {
        const uint32_t cell = vertical ? i * m_board.Width() + uint32_t(column) : uint32_t(row) * m_board.Width() + i;
        const Match3Cell& c = m_board.Cell(cell);
        if (c.state != kMatch3Resting)
            continue;
        float x, y;
        m_board.CellCentre(cell, &x, &y);
        const float along = float(i) * size + size / 2.0f + offset;
        // The pieces pushed past an end come in again at the other.
        for (float copy : {0.0f, -span, span}) {
            if (copy != 0.0f && (along + copy < -size || along + copy > span + size))
                continue;
            DrawPiece(board, c.kind, vertical ? x : x + offset + copy, vertical ? y + offset + copy : y, 1.0f,
                      m_board.Selected() == cell ? WithAlpha(m_board.SelectedColor(), float(color >> 24) / 255.0f)
                                                 : color);
        }
    }
}

void CObjectsLevelMatch3::DrawBoard(const ElementRecord& board)
{
    const float alpha = float(board.drawAlpha) / 255.0f;
    const uint32_t white = WithAlpha(kWhite, alpha), half = WithAlpha(kWhite, alpha * 128.0f / 255.0f);
    const int32_t kind = m_board.Animation();
    const float progress = std::min(std::max(m_board.Progress(), 0.0f), 1.0f);
    const uint32_t cells = m_board.CellCount(), width = m_board.Width(), height = m_board.Height();
    const int32_t a = m_board.CellA(), b = m_board.CellB();
    const bool validA = a >= 0 && uint32_t(a) < cells, validB = b >= 0 && uint32_t(b) < cells;
    // The line being slid, or returning.
    int32_t lineColumn = -1, lineRow = -1;
    float lineOffset = 0.0f;
    const bool sliding = (m_board.GameType() & kMatch3Slide) && m_board.Pressed();
    if (sliding && m_board.PressedRow() < 0) {
        lineColumn = m_board.PressedColumn();
        lineOffset = m_board.DragOffset()[1];
    } else if (sliding && m_board.PressedColumn() < 0) {
        lineRow = m_board.PressedRow();
        lineOffset = m_board.DragOffset()[0];
    } else if (kind == kMatch3LineReturn) {
        lineColumn = a >= 0 && uint32_t(a) < width ? a : -1;
        lineRow = lineColumn < 0 && b >= 0 && uint32_t(b) < height ? b : -1;
        lineOffset = (1.0f - progress) * m_board.LineReturn();
    }
    const bool switching = !(m_board.GameType() & kMatch3Slide) && m_board.PressedColumn() >= 0 &&
                           m_board.PressedRow() >= 0;
    const uint32_t pressed = switching ? uint32_t(m_board.PressedRow()) * width + uint32_t(m_board.PressedColumn())
                                       : kMatch3NoCell;
    float ax = 0.0f, ay = 0.0f, bx = 0.0f, by = 0.0f;
    if (validA)
        m_board.CellCentre(uint32_t(a), &ax, &ay);
    if (validB)
        m_board.CellCentre(uint32_t(b), &bx, &by);
    if (kind == kMatch3DragSwap && validA && validB) {
        const float rest = 1.0f - progress;
        DrawPiece(board, m_board.Cell(uint32_t(a)).kind, ax + (bx - ax) * rest, ay + (by - ay) * rest, 1.0f, white);
    }
    for (uint32_t c = 0; c < cells; ++c) {
        const Match3Cell& cell = m_board.Cell(c);
        const uint32_t x = c % width, y = c / width;
        float cx, cy;
        m_board.CellCentre(c, &cx, &cy);
        if (int32_t(x) == lineColumn || int32_t(y) == lineRow)
            continue;
        const bool isA = validA && c == uint32_t(a), isB = validB && c == uint32_t(b);
        if (cell.state == kMatch3Resting) {
            if (((kind == kMatch3ClickSwap || kind == kMatch3ClickBounce) && (isA || isB)) ||
                (kind == kMatch3DragSwap && isA))
                continue;
            uint32_t color = c == m_board.Selected() ? WithAlpha(m_board.SelectedColor(), alpha) : white;
            if ((kind == kMatch3DragReturn && isA) || c == pressed)
                color = half;
            DrawPiece(board, cell.kind, cx, cy, 1.0f, color);
        } else if (kind == kMatch3Fall && cell.state == kMatch3Falling) {
            // Staggered from the top left, bouncing into place.
            const float t = std::min(std::max(progress * (1.0f + (float(x) / float(width) + float(y) / float(height)) / 2.0f), 0.0f), 1.0f);
            DrawPiece(board, cell.kind, cx, cy - (1.0f - UtilsEasing_OutBounce(t)) * cell.fall, 1.0f, white);
        } else if (kind == kMatch3Shrink && cell.state == kMatch3InRun) {
            DrawPiece(board, cell.kind, cx, cy, 1.0f - progress, white);
        }
    }
    if (lineColumn >= 0 || lineRow >= 0)
        DrawLine(board, lineColumn, lineRow, lineOffset, white);
    if (switching) {
        float shown[2];
        m_board.ClampForDisplay(m_board.DragOffset(), shown);
        float cx, cy;
        m_board.CellCentre(pressed, &cx, &cy);
        DrawPiece(board, m_board.Cell(pressed).kind, cx + shown[0], cy + shown[1], 1.0f, white);
    }
    if ((kind == kMatch3ClickSwap || kind == kMatch3ClickBounce) && validA && validB) {
        const float f = kind == kMatch3ClickSwap ? 1.0f - progress : (1.0f - std::cos(2.0f * kPi * progress)) / 2.0f;
        DrawPiece(board, m_board.Cell(uint32_t(a)).kind, ax + (bx - ax) * f, ay + (by - ay) * f, 1.0f, white);
        DrawPiece(board, m_board.Cell(uint32_t(b)).kind, bx + (ax - bx) * f, by + (ay - by) * f, 1.0f, white);
    }
    if (kind == kMatch3DragReturn && validA) {
        const float rest = 1.0f - progress;
        DrawPiece(board, m_board.Cell(uint32_t(a)).kind, ax + rest * m_board.RejectedOffset()[0],
                  ay + rest * m_board.RejectedOffset()[1], 1.0f, white);
    }
}

Status CObjectsLevelMatch3::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (int32_t(pElement->index) != m_board.BoardItem() || !m_board.HasBoard())
        return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (m_pMesh && m_pRenderModel && m_pWorldData->pMath) {
        if (!m_meshBuilt) {
            SizeBoard();
            BuildTileMesh(*pElement);
        }
        if (m_meshBuilt) {
            // The element draw switches the model's depth test on exactly when it laid a mask.
            m_piecesMasked = (m_pRenderModel->GetCreationWord() & k3DDrawDepthTest) != 0;
            m_pMesh->SetTextureAllGroups(m_pRenderModel->GetTexture(pElement->index, 0), 0);
            DrawBoard(*pElement);
            m_pMesh->SetTextureAllGroups(nullptr, 0);
            m_piecesMasked = false;
        }
    }
    return Failed(ShowScore()) ? kStatusFailed : kStatusOk;
}

Status CObjectsLevelMatch3::Draw()
{
    const Status status = CObjectsLevelBoard<Match3Board>::Draw();
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const ElementRecord* board = BoardRecord();
    if (!game || !game->developerMode || !game->debugLine || !game->itemDebug || !board || !m_board.HasBoard() ||
        !m_pMesh || !m_meshBuilt || !m_pWorldData->pMath)
        return status;
    // Every piece once more at its cell, green and without its texture.
    const uint32_t creation = m_pMesh->GetCreationWord();
    m_pMesh->SetCreationWord((creation | k3DDrawWireframe) & ~k3DDrawTexture0);
    for (uint32_t c = 0; c < m_board.CellCount(); ++c) {
        float x, y;
        m_board.CellCentre(c, &x, &y);
        DrawPiece(*board, m_board.Cell(c).kind, x, y, 1.0f, kGreen);
    }
    m_pMesh->SetCreationWord(creation);
    return status;
}
