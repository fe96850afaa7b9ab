#pragma once
// The match-3 level (517): the match-3 board under the level. Its script names the board item
// (whose picture is the sheet of piece tiles and whose rectangle is the board), the score
// monitor and the popups object, and configures the sheet, the board, the kinds, the game type,
// the points and the help; "reset" deals the board. The board item is drawn as its pieces, one
// quad of the tile mesh each, and every drawn frame sends the score to the monitor.
#include <functional>

#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/Match3Board.h"

class C3DObject;
class CParticule;

// Where the level's score and narrator line go: the objects manager's monitor and popups
// objects in the game; the tools put stand-ins of their own here.
class Match3Outlets {
public:
    // The object of the type code called `name`, -1 when none.
    virtual int32_t FindObject(const char* name, uint32_t typeCode) = 0;
    // "set_score" to the monitor object for the level; kStatusFailed when it refuses.
    virtual Status SetScore(int32_t monitor, uint32_t level, float score) = 0;
    // A common string shown as the narrator's line through the popups object.
    virtual void ShowNarratorLine(int32_t popups, uint32_t stringNumber) = 0;

protected:
    ~Match3Outlets() = default;
};

// The common string the narrator says when no move is left.
constexpr uint32_t kMatch3NoMoveString = 192;

class CObjectsLevelMatch3 : public CObjectsLevelBoard<Match3Board>, private Match3Outlets {
public:
    CObjectsLevelMatch3(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevelMatch3() override;

    // The level base's load, then the tile mesh from the renderer.
    Status Load() override;
    // The mesh given back, then the level base's release.
    Status Release() override;
    Status ReleaseModel(uint8_t force) override;

    // "match3_monitor_name" and "match3_popup_name", then the board's words.
    Status LoadEventsFromParam(const char* name, char* value) override;
    // The board's check, then the cells sized from the board item and the tile mesh built.
    Status CheckSetup() override;
    Status OnEvent(const char* name, char* value) override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;

    // Presses, drags and releases on the board, and clicks that select and switch.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;

    // The level base's draw, then the developer's green pass over the pieces.
    Status Draw() override;
    Status DrawElement(ElementRecord* pElement) override;
    // "set_score" with the score to the monitor object (drawing the board ends with it).
    Status ShowScore();

    // The tools' stand-ins for the monitor and popups objects (null: the objects manager's).
    void SetOutlets(Match3Outlets* pOutlets) { m_pOutlets = pOutlets ? pOutlets : this; }
    // Where a deal's seed comes from (the tick count unless set).
    void SetSeedSource(std::function<uint32_t()> source) { m_seedSource = std::move(source); }

protected:
    // The particles go with the level's activation: no sparkle is held over it.
    void ResetFields() override
    {
        CObjectsLevelBoard<Match3Board>::ResetFields();
        m_pSparkle = nullptr;
    }
    Status ResetBoard() override;
    void StateFields(LevelState& state) override { m_board.StateFields(state, m_paused); }
    bool StateFits() override { return m_board.Fits(m_elementCount) && m_paused <= 1; }
    void ClearMoveState() override { m_board.StopMove(); }

private:
    // The board's host.
    void Reseed() override;
    void PlayBoardSound(bool null) override;
    void Removed(const char* function, int32_t count) override;
    void NoMoveLeft() override;
    void ShowSparkle(uint32_t cell) override;
    void RemoveSparkle() override;
    void Collected(uint32_t cell) override;

    // The objects manager's objects.
    int32_t FindObject(const char* name, uint32_t typeCode) override;
    Status SetScore(int32_t monitor, uint32_t level, float score) override;
    void ShowNarratorLine(int32_t popups, uint32_t stringNumber) override;

    bool InPlay() const { return m_board.InPlay() && !m_paused; }
    const ElementRecord* BoardRecord();
    // A screen point in the board item's frame; false without the item.
    bool BoardPoint(float x, float y, float* pX, float* pY);
    // The cells sized from the board item's rectangle; the item, or null without one.
    const ElementRecord* SizeBoard();
    void BuildTileMesh(const ElementRecord& board);
    void ReleaseMesh();
    // A cell's centre in scene coordinates, for the particles.
    bool CellPoint(uint32_t cell, float* pOut3);
    // One piece of `kind` at (x, y) of the board item, scaled and coloured.
    void DrawPiece(const ElementRecord& board, uint16_t kind, float x, float y, float scale, uint32_t color);
    // The moving line of a slide or a line return, with its wrap-around copies.
    void DrawLine(const ElementRecord& board, int32_t column, int32_t row, float offset, uint32_t color);
    void DrawBoard(const ElementRecord& board);

    C3DObject* m_pMesh = nullptr;
    // The tile quads are built (a load or a lost device drops them).
    bool m_meshBuilt = false;
    // The board item is drawn under a depth mask (its zone's): the pieces are kept to it too.
    bool m_piecesMasked = false;
    CParticule* m_pSparkle = nullptr;
    Match3Outlets* m_pOutlets;
    std::function<uint32_t()> m_seedSource;
};
