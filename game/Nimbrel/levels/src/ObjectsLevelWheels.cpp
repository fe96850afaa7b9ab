// The wheels level: the board's play item, its rings picked and turned from the pointer in the
// play item's frame, and the rings drawn from a mesh of one textured quad each.
#include "NimbrelLevels/CObjectsLevelWheels.h"

#include <cmath>
#include <cstring>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kMeshFlags = 0x28010;
constexpr uint32_t kMeshCreation = 0x28C29;
constexpr uint32_t kQuadFaceMode = 1;
// The rings' texture words: shareable by name, with alpha.
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureWord = 0x52;

}  // namespace

CObjectsLevelWheels::CObjectsLevelWheels(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<WheelsBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindWheels;
}

CObjectsLevelWheels::~CObjectsLevelWheels() { ReleaseMesh(); }

// ---- resources ----------------------------------------------------------------------------------

Status CObjectsLevelWheels::Load()
{
    if (Failed(CObjectsLevelBoard<WheelsBoard>::Load()))
        return kStatusFailed;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!m_pMesh && engine)
        m_pMesh = engine->CreateObject(kMeshFlags, kMeshCreation);
    return m_pMesh ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelWheels::Release()
{
    ReleaseMesh();
    return CObjectsLevelBoard<WheelsBoard>::Release();
}

Status CObjectsLevelWheels::ReleaseModel(uint8_t force)
{
    if (m_pMesh)
        m_pMesh->Release();
    m_meshBuilt = m_meshFailed = false;
    return CObjectsLevelBoard<WheelsBoard>::ReleaseModel(force);
}

void CObjectsLevelWheels::ReleaseMesh()
{
    m_meshBuilt = m_meshFailed = false;
    if (!m_pMesh)
        return;
    if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
        engine->ReleaseObject(m_pMesh);
    m_pMesh = nullptr;
}

ElementRecord* CObjectsLevelWheels::PlayItem()
{
    return m_board.Play() >= 0 ? GetItemRecord(uint32_t(m_board.Play())) : nullptr;
}

// ---- setup and play -----------------------------------------------------------------------------

Status CObjectsLevelWheels::CheckSetup()
{
    m_meshFailed = false;
    return BuildMesh();
}

Status CObjectsLevelWheels::BuildMesh()
{
    m_meshBuilt = false;
    const ElementRecord* play = PlayItem();
    if (Failed(m_board.CheckSetup()) || !play)
        return kStatusFailed;
    // A tool or a test without a renderer plays the rings undrawn.
    if (!m_pMesh)
        return kStatusOk;
    const std::vector<WheelsRing>& rings = m_board.Rings();
    const uint32_t quads = uint32_t(rings.size());
    if (Failed(m_pMesh->Create(quads, 4 * quads, 4 * quads))) {
        m_meshFailed = true;
        return kStatusFailed;
    }
    m_pMesh->Lock(0, 2);
    for (uint32_t r = 0; r < quads; ++r) {
        const float halfW = play->size[0] * 0.5f * rings[r].outer, halfH = play->size[1] * 0.5f * rings[r].outer;
        const uint32_t v = 4 * r;
        m_pMesh->SetVertex(v, -halfW, -halfH, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 1, halfW, -halfH, 0.0f, 0xFFFFFFFFu, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 2, -halfW, halfH, 0.0f, 0xFFFFFFFFu, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetVertex(v + 3, halfW, halfH, 0.0f, 0xFFFFFFFFu, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
        m_pMesh->SetIndexRange(v, 4);
        m_pMesh->SetGroup(r, v, 4, v, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, r);
    }
    m_pMesh->Unlock(1);
    const auto* world = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    const uint32_t source = world ? world->GetTextureSource() : kResourceSourceFile;
    for (uint32_t r = 0; r < quads; ++r) {
        const std::u16string name = UtilsString_FromUtf8(rings[r].texture.c_str());
        if (Failed(AutoLoad3DObjectTexture(source, m_pMesh, kTextureKind, kTextureWord, int32_t(r), 0, name.c_str(),
                                           m_pWorldData))) {
            m_meshFailed = true;
            return kStatusFailed;
        }
    }
    m_meshBuilt = true;
    return kStatusOk;
}

// The rings read back need not be those the quads were made for; a continued game never runs
// the check, so the next draw builds them.
Status CObjectsLevelWheels::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    m_meshBuilt = m_meshFailed = false;
    return CObjectsLevelBoard<WheelsBoard>::LoadFromProfile(pChunk);
}

Status CObjectsLevelWheels::ResetBoard()
{
    m_paused = 0;
    return CObjectsLevelBoard<WheelsBoard>::ResetBoard();
}

void CObjectsLevelWheels::StateFields(LevelState& state) { m_board.StateFields(state, m_paused, m_solved); }

Status CObjectsLevelWheels::UpdateState()
{
    const Status status = CObjectsLevelGame::UpdateState();
    if (!m_solved)
        m_board.Step(FrameStep());
    return status;
}

void CObjectsLevelWheels::PlayBoardSound(bool null)
{
    const ElementRecord* play = PlayItem();
    if (null)
        PlayNullClick();
    else if (play && play->clickSound != 0)
        PlayElementSound(play->clickSound);
    else
        PlayDefaultClick();
}

bool CObjectsLevelWheels::HitsOther(float x, float y)
{
    HitRecord hit;
    return Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr)) && hit.element != m_board.Play();
}

int32_t CObjectsLevelWheels::PickAt(float x, float y)
{
    const ElementRecord* play = PlayItem();
    if (!play)
        return -1;
    float local[3];
    ScreenToElement(local, x, y, 0.0f, play);
    return m_board.Pick(local[0], local[1], play->size[0], play->size[1]);
}

Status CObjectsLevelWheels::OnClick(float x, float y, uint32_t state)
{
    if (!InPlay() || HitsOther(x, y) || !m_board.Click(PickAt(x, y)))
        return CObjectsLevelBoard<WheelsBoard>::OnClick(x, y, state);
    return kStatusOk;
}

Status CObjectsLevelWheels::OnMouseDown(float x, float y, uint32_t state)
{
    if (!InPlay() || HitsOther(x, y))
        return CObjectsLevelBoard<WheelsBoard>::OnMouseDown(x, y, state);
    m_pressX = x;
    m_pressY = y;
    return m_board.Press(PickAt(x, y)) ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelWheels::OnMouseMove(float x, float y, uint32_t state)
{
    const ElementRecord* play = PlayItem();
    if (!m_board.Holding() || !play)
        return CObjectsLevelBoard<WheelsBoard>::OnMouseMove(x, y, state);
    m_board.Drag(GetTurnAngle(play, m_pressX, m_pressY, x, y));
    return kStatusOk;
}

Status CObjectsLevelWheels::OnMouseUp(float x, float y, uint32_t state)
{
    if (!m_board.Holding())
        return CObjectsLevelBoard<WheelsBoard>::OnMouseUp(x, y, state);
    m_board.Release();
    return kStatusOk;
}

// ---- drawing ------------------------------------------------------------------------------------

Status CObjectsLevelWheels::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    const Status status = ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (int32_t(pElement->index) != m_board.Play() || !m_pMesh || !m_pWorldData->pMath)
        return status;
    // A texture that cannot load is not asked for again every frame.
    if (!m_meshBuilt && !m_meshFailed)
        BuildMesh();
    if (!m_meshBuilt)
        return status;
    const std::vector<WheelsRing>& rings = m_board.Rings();
    const uint32_t color = uint32_t(pElement->drawAlpha) << 24 | 0xFFFFFFu;
    for (uint32_t r = 0; r < rings.size() && r < m_pMesh->GetGroupCount(); ++r) {
        // Turned about the view axis at the play item's centre (row vectors).
        const float a = rings[r].DrawnAngle(), c = std::cos(a), s = std::sin(a);
        const float cx = (pElement->bounds[0] + pElement->bounds[2]) * 0.5f;
        const float cy = (pElement->bounds[1] + pElement->bounds[3]) * 0.5f;
        const float turn[16] = {c, s, 0.0f, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, cx, cy, 0.0f, 1.0f};
        float matrix[16];
        m_pWorldData->pMath->Multiply(matrix, turn, pElement->worldMatrix);
        m_pMesh->SetColor(color);
        m_pMesh->SetMatrix(matrix);
        m_pMesh->DrawEx(r);
    }
    return status;
}
