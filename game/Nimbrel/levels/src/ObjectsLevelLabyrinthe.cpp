// The labyrinth level: the board's items resolved, its input from keys, arrows and swipes, its
// pictures drawn over the maze item, and the flashlight that follows the token.
#include "NimbrelLevels/CObjectsLevelLabyrinthe.h"

#include <cstring>

#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// The centre of an element's own rectangle.
void Centre(const ElementRecord& e, float* pX, float* pY)
{
    *pX = (e.bounds[0] + e.bounds[2]) * 0.5f;
    *pY = (e.bounds[1] + e.bounds[3]) * 0.5f;
}

}  // namespace

CObjectsLevelLabyrinthe::CObjectsLevelLabyrinthe(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<LabyrinthBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindLabyrinthe;
}

// ---- the board's host --------------------------------------------------------------------------

bool CObjectsLevelLabyrinthe::ItemSize(int32_t item, float* pWidth, float* pHeight)
{
    const ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
    if (!e)
        return false;
    *pWidth = e->size[0];
    *pHeight = e->size[1];
    return true;
}

void CObjectsLevelLabyrinthe::ShowArrow(int32_t item, bool enabled)
{
    ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
    if (!e)
        return;
    e->flags = enabled ? e->flags & ~kElementFound : e->flags | kElementFound;
    e->alpha = enabled ? 1.0f : 0.5f;
}

Status CObjectsLevelLabyrinthe::CallElementFunction(const char* function, const char* text)
{
    return CallFunction(function, {LevelArgument::Text(text)});
}

// ---- input -------------------------------------------------------------------------------------

Status CObjectsLevelLabyrinthe::LoadEventsFromParam(const char* name, char* value)
{
    const Status status = CObjectsLevelBoard<LabyrinthBoard>::LoadEventsFromParam(name, value);
    const int32_t* reference = m_board.ItemWord(name);
    if (status != kStatusDoneStoreResult || !reference || m_board.ArrowDirection(*reference) < 0)
        return status;
    // A click reaches the level only through an element the pointer can find.
    if (ElementRecord* arrow = GetItemRecord(uint32_t(*reference)))
        arrow->flags |= kElementClickable;
    return status;
}

void CObjectsLevelLabyrinthe::Press(int32_t direction)
{
    if (direction < 0)
        return;
    if (m_board.Press(uint32_t(direction)))
        PlayDefaultClick();
    else
        PlayNullClick();
}

Status CObjectsLevelLabyrinthe::UpdateState()
{
    const Status status = CObjectsLevelGame::UpdateState();
    if (InPlay() && !m_board.IsMoving() && m_pWorldData) {
        const GameFrameInput& input = m_pWorldData->game.input;
        const uint8_t keys[kLabyrinthDirections] = {input.arrowUp, input.arrowRight, input.arrowDown, input.arrowLeft};
        Press(LabyrinthBoard::KeyDirection(keys));
    }
    m_board.Step(FrameStep());
    if (CFlashlight* flashlight = Flashlight()) {
        float x, y;
        // The light follows the token as a press with no button would move it.
        if (TokenPoint(&x, &y))
            flashlight->OnMouseDown(x, y, kFlashlightNoButton);
        flashlight->Update();
    }
    return status;
}

Status CObjectsLevelLabyrinthe::OnEvent(const char* name, char* value)
{
    const Status base = CObjectsLevel::OnEvent(name, value);
    if (base == kStatusDoneStoreResult)
        return base;
    if (Is(name, "flashlight")) {
        if (Is(value, "on") || Is(value, "off"))
            m_board.SetFlashlight(Is(value, "on"));
        CenterFlashlight();
        return kStatusDoneStoreResult;
    }
    if (Is(name, "event") && Is(value, "skip"))
        m_board.StopMove();
    return CObjectsLevelBoard<LabyrinthBoard>::OnEvent(name, value);
}

Status CObjectsLevelLabyrinthe::OnMouseDown(float x, float y, uint32_t state)
{
    if (!InPlay())
        return CObjectsLevelBoard<LabyrinthBoard>::OnMouseDown(x, y, state);
    if (m_board.IsMoving())
        PlayNullClick();
    m_pressX = x;
    m_pressY = y;
    return kStatusOk;
}

Status CObjectsLevelLabyrinthe::OnMouseMove(float x, float y, uint32_t state)
{
    return InPlay() ? kStatusOk : CObjectsLevelBoard<LabyrinthBoard>::OnMouseMove(x, y, state);
}

// A swipe moves the token; a release that is no swipe is a click, for the arrows or the base.
Status CObjectsLevelLabyrinthe::OnMouseUp(float x, float y, uint32_t state)
{
    if (!InPlay())
        return CObjectsLevelBoard<LabyrinthBoard>::OnMouseUp(x, y, state);
    if (m_board.Gestures() && !m_board.IsMoving()) {
        const int32_t direction = LabyrinthBoard::SwipeDirection(x - m_pressX, y - m_pressY);
        if (direction >= 0) {
            Press(direction);
            return kStatusOk;
        }
    }
    return kStatusFailed;
}

Status CObjectsLevelLabyrinthe::OnClick(float x, float y, uint32_t state)
{
    if (InPlay()) {
        HitRecord hit;
        while (Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr))) {
            const int32_t direction = m_board.ArrowDirection(hit.element);
            if (direction < 0)
                continue;
            if (!m_board.IsMoving())
                Press(direction);
            return kStatusOk;
        }
    }
    return CObjectsLevelBoard<LabyrinthBoard>::OnClick(x, y, state);
}

// ---- commands and saved state ------------------------------------------------------------------

Status CObjectsLevelLabyrinthe::ResetBoard()
{
    m_paused = 0;
    return CObjectsLevelBoard<LabyrinthBoard>::ResetBoard();
}

void CObjectsLevelLabyrinthe::StateFields(LevelState& state)
{
    state.Byte(m_paused).Byte(m_solved);
    m_board.StateFields(state);
}

bool CObjectsLevelLabyrinthe::StateFits()
{
    return m_paused <= 1 && m_solved <= 1 && CObjectsLevelBoard<LabyrinthBoard>::StateFits();
}

// ---- drawing -----------------------------------------------------------------------------------

bool CObjectsLevelLabyrinthe::IsBoardPicture(uint32_t element) const
{
    const int32_t item = int32_t(element);
    if (item == m_board.ResetItem() || m_board.ArrowDirection(item) >= 0)
        return true;
    for (uint32_t e = 0; e < m_board.ElementCount(); ++e)
        if (m_board.Element(e)->Item(0) == item || m_board.Element(e)->Item(1) == item)
            return true;
    return false;
}

Status CObjectsLevelLabyrinthe::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    if (pElement && !m_drawingBoard && IsBoardPicture(pElement->index))
        return kStatusFailed;
    return CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
}

Status CObjectsLevelLabyrinthe::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (!m_drawingBoard && IsBoardPicture(pElement->index))
        return kStatusOk;
    const Status status = ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (m_drawingBoard || int32_t(pElement->index) != m_board.MazeItem())
        return status;
    m_drawingBoard = true;
    m_pMazeDrawn = pElement;
    if (m_pWorldData->pMath)
        m_board.Draw(*this);
    if (CFlashlight* flashlight = Flashlight())
        flashlight->Render();
    // The arrows and the reset item over the maze, each at its own place.
    const int32_t over[] = {m_board.ArrowItem(kLabyrinthUp), m_board.ArrowItem(kLabyrinthDown),
                            m_board.ArrowItem(kLabyrinthLeft), m_board.ArrowItem(kLabyrinthRight),
                            m_board.ResetItem()};
    for (int32_t item : over) {
        ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
        if (e && CObjectsLevel::PrepareElementDraw(e, 1.0f, 1) == kStatusOk)
            ObjectsWrap_DrawElement<CObjectsLevel>(*this, e);
    }
    m_pMazeDrawn = nullptr;
    m_drawingBoard = false;
    return status;
}

void CObjectsLevelLabyrinthe::DrawItem(int32_t item, float x, float y, float scaleX, float scaleY)
{
    ElementRecord* picture = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
    const ElementRecord* maze = m_pMazeDrawn;
    if (!picture || !maze)
        return;
    // One picture may stand for several elements: what the frame prepared for it is kept.
    float kept[16];
    std::memcpy(kept, picture->worldMatrix, sizeof kept);
    const auto keptState = picture->drawState;
    CObjectsLevel::PrepareElementDraw(picture, maze->alpha, 1);
    float mazeX, mazeY, pictureX, pictureY;
    Centre(*maze, &mazeX, &mazeY);
    Centre(*picture, &pictureX, &pictureY);
    // Scaled about its own centre, then moved to its cells in the maze item (row vectors).
    const float place[16] = {scaleX, 0.0f, 0.0f, 0.0f, 0.0f, scaleY, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                             mazeX + x - pictureX * scaleX, mazeY + y - pictureY * scaleY, 0.0f, 1.0f};
    m_pWorldData->pMath->Multiply(picture->worldMatrix, place, maze->worldMatrix);
    ObjectsWrap_DrawElement<CObjectsLevel>(*this, picture);
    std::memcpy(picture->worldMatrix, kept, sizeof kept);
    picture->drawState = keptState;
}

// ---- the flashlight ----------------------------------------------------------------------------

CFlashlight* CObjectsLevelLabyrinthe::Flashlight() const
{
    if (!m_board.Flashlight() || !m_pWorldData)
        return nullptr;
    const auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    return world ? world->GetFlashlight() : nullptr;
}

bool CObjectsLevelLabyrinthe::TokenPoint(float* pX, float* pY)
{
    float x, y;
    const ElementRecord* maze = m_board.MazeItem() >= 0 ? GetItemRecord(uint32_t(m_board.MazeItem())) : nullptr;
    if (!maze || !m_board.TokenPlace(&x, &y))
        return false;
    float at[3], centreX, centreY;
    GetElementPosition(at, maze);
    Centre(*maze, &centreX, &centreY);
    *pX = at[0] + centreX + x;
    *pY = at[1] + centreY + y;
    return true;
}
