#pragma once
// A mini-game kind as a thin level over its board model (LevelBoard.h): the level resolves the
// board's item words to its elements, hands words, actions and "reset" to the board, steps it
// once a frame, saves its fields, and draws, plays sounds and converts screen points for it.
// The board answers with statuses and reports its win test through the host.
//
// A board class gives: its Host (LevelBoardHost, or an interface derived from it that the kind's
// level implements), Clear, ItemWord, SetItem, Word, Action, CheckSetup, Deal, Step, StopMove, Fits,
// StateFields (a template over LevelState) and Print, and kItemWordsClearSolved (whether an
// accepted item word clears the solved flag).
#include "NimbrelLevels/CObjectsLevelGame.h"
#include "NimbrelLevels/LevelBoard.h"
#include "VornelUtils/UtilsRandom.h"

template <class Board>
class CObjectsLevelBoard : public CObjectsLevelGame, protected Board::Host {
public:
    CObjectsLevelBoard(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
        : CObjectsLevelGame(pWorldData, objectNumber, constructWord), m_board(this)
    {
    }

    Status LoadEventsFromParam(const char* name, char* value) override
    {
        int32_t* reference = m_board.ItemWord(name);
        if (!reference)
            return m_board.Word(name, value);
        int32_t element = *reference;
        const Status status = TakeItemWord(name, value, &element);
        if (status != kStatusDoneStoreResult)
            return status;
        m_board.SetItem(reference, element);
        if (Board::kItemWordsClearSolved)
            m_solved = 0;
        return status;
    }
    Status OnAction(const char* name, char*) override { return m_board.Action(name); }
    Status CheckSetup() override { return m_board.CheckSetup(); }
    // The base's state step, then the board's animation by the frame step.
    Status UpdateState() override
    {
        const Status status = CObjectsLevelGame::UpdateState();
        m_board.Step(FrameStep());
        return status;
    }

    uint32_t PrintBoard(char* out, uint32_t capacity) const override { return m_board.Print(out, capacity); }

    const Board& GetBoard() const { return m_board; }
    Board& GetBoard() { return m_board; }

protected:
    void ResetFields() override
    {
        CObjectsLevelGame::ResetFields();
        m_board.Clear();
    }
    Status ResetBoard() override { return m_board.Deal(); }
    void StateFields(LevelState& state) override { m_board.StateFields(state); }
    bool StateFits() override { return m_board.Fits(m_elementCount); }
    void ClearMoveState() override { m_board.StopMove(); }

    uint32_t NextRandom() override { return UtilsRandom_Next(m_pWorldData); }
    void BoardFinished(uint8_t solved) override
    {
        m_solved = solved;
        if (solved)
            FinishLevel();
    }

    Board m_board;
};
