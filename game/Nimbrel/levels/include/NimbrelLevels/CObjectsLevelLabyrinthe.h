#pragma once
// The labyrinth level (524): the labyrinth board under the level. Its script registers the maze
// item, the four arrow items and the reset item, sizes the maze, registers its elements and
// gives its rows, then sends "reset". The player slides the token with the arrow keys, the
// arrow items or, with gestures on, a swipe. The maze item is drawn with the elements' pictures
// over it, each at its cells and sliding there as a move runs out, then the flashlight when it
// is on, then the arrows (dimmed where the token cannot go) and the reset item.
#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/LabyrinthBoard.h"

class CObjectsLevelLabyrinthe : public CObjectsLevelBoard<LabyrinthBoard>, private LabyrinthPainter {
public:
    CObjectsLevelLabyrinthe(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // The board's words; an arrow item it registers becomes the level's own button: clickable,
    // so that the pointer finds it and shows that it can be pressed.
    Status LoadEventsFromParam(const char* name, char* value) override;
    // The base's state step, the arrow keys while nothing moves, the board's step, and the
    // flashlight's when it is on.
    Status UpdateState() override;
    // The level base's events; "event" with "skip" stops the slide and solves; "flashlight"
    // with "on" or "off" sets the flashlight flag and centres the world's flashlight.
    Status OnEvent(const char* name, char* value) override;

    // While the maze is in play the mouse never reaches the base: a press while the token
    // slides plays the null click; a release with gestures on makes a swipe's move.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    // A click on an arrow item moves as its key does; other clicks go to the base.
    Status OnClick(float x, float y, uint32_t state) override;

    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;

protected:
    // "reset" also ends a pause.
    Status ResetBoard() override;
    // The paused and solved flags, then the board's fields.
    void StateFields(LevelState& state) override;
    bool StateFits() override;

private:
    // The board's host.
    int32_t FindItem(const char* name) override { return FindElementByName(name); }
    bool ItemSize(int32_t item, float* pWidth, float* pHeight) override;
    void ShowArrow(int32_t item, bool enabled) override;
    Status CallElementFunction(const char* function, const char* text) override;
    // The board's pictures, placed over the maze item.
    void DrawItem(int32_t item, float x, float y, float scaleX, float scaleY) override;

    // Whether the maze takes input now.
    bool InPlay() const { return m_board.InPlay() && !m_paused && !m_solved; }
    // A move asked by a key, an arrow or a swipe: the default click when it is made, the null
    // click when the token cannot go that way.
    void Press(int32_t direction);
    // One of the items the level draws over the maze itself.
    bool IsBoardPicture(uint32_t element) const;
    // The flashlight while its flag is on.
    class CFlashlight* Flashlight() const;
    // The token's centre on the screen; false when it has none.
    bool TokenPoint(float* pX, float* pY);

    ElementRecord* m_pMazeDrawn = nullptr;
    bool m_drawingBoard = false;
    float m_pressX = 0.0f, m_pressY = 0.0f;
};
