#pragma once
// What a mini-game's board model asks of the level that holds it. A board model keeps a kind's
// rules apart from the engine: words, actions, commands, play-item points or keys go in;
// statuses and the board come out, and the board steps its animations by the frame step. It
// draws its random numbers and reports its end through this host, so that a test, a tool or
// the level itself can hold it.
#include <cstdint>

class LevelBoardHost {
public:
    // The next 32-bit value of the game's random generator.
    virtual uint32_t NextRandom() = 0;
    // The board's win test ran after a move: its result becomes the level's solved flag, and a
    // solved board finishes the level.
    virtual void BoardFinished(uint8_t solved) = 0;

protected:
    ~LevelBoardHost() = default;
};
