#pragma once
// The tubing level (525): the tubing board under the level. Its script names the board item
// (whose texture is the sheet of piece pictures and whose rectangle is the board) and the water
// item (the sheet of water pictures, laid out alike), gives the game type, the reference table
// and the board lines, and a response callback; "reset" starts the board. The board item is
// drawn as its cells: each piece turned to its quarter turns, the water over it at its fill, the
// dragged piece over all. Neither item is drawn as itself.
#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/TubingBoard.h"

class C3DObject;

class CObjectsLevelTubing : public CObjectsLevelBoard<TubingBoard> {
public:
    CObjectsLevelTubing(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevelTubing() override;

    // The level base's load, then the pieces' mesh from the renderer.
    Status Load() override;
    // The mesh given back, then the level base's release.
    Status Release() override;
    Status ReleaseModel(uint8_t force) override;

    // "tubing_response_callback", then the board's words.
    Status LoadEventsFromParam(const char* name, char* value) override;
    Status OnAction(const char* name, char* value) override;
    // Both items and the callback; the cells sized from the board item and one quad per piece
    // kind built from its sheet.
    Status CheckSetup() override;
    // "finished" in the timed game (kStatusWait); kStatusFailed otherwise.
    Status OnKindCommand(const char* command) override;
    Status OnEvent(const char* name, char* value) override;

    // The timed game's presses, drags and drops on the board; its clicks and the normal game's.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;

    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;

    Status ResetRunState() override;

protected:
    Status ResetBoard() override;
    void StateFields(LevelState& state) override;

private:
    // The board's host.
    void WaterMoving(bool moving) override;
    void BoardEnded(uint8_t solved) override;
    void PlayBoardSound(bool null) override;

    bool InPlay() const { return m_board.Started() && !m_paused && !m_solved; }
    // A screen point in the board item's frame; false without the item.
    bool BoardPoint(float x, float y, float* pX, float* pY);
    bool IsBoardItem(uint32_t element) const;
    // The cells sized from the board item's rectangle; the item, or null without one.
    const ElementRecord* SizeBoard();
    void BuildMesh(const ElementRecord& first);
    void ReleaseMesh();
    // One piece: its kind's quad at (x, y) of the board item, turned by `quarters`.
    void DrawPiece(const ElementRecord& board, uint32_t cell, float x, float y, float quarters, uint32_t color);

    LevelCallback m_callback;
    C3DObject* m_pMesh = nullptr;
    // The mesh's quad of each reference entry, -1 for an entry of code 0.
    std::vector<int32_t> m_quadOf;
};
