// The saved states of the board kinds, read into a board of their kind and printed.
#include "NimbrelLevels/LevelStateText.h"

#include <cstdio>
#include <cstring>

#include "NimbrelLevels/CirclesBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "NimbrelWorld/ObjectKindTable.h"

namespace {

// A board read from a profile draws nothing and finishes nothing.
class NoHost : public LevelBoardHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
};

template <class Board>
void Describe(UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out, uint32_t capacity)
{
    NoHost host;
    Board board(&host);
    LevelState state(pChunk, false);
    board.StateFields(state);
    if (!state.Ok()) {
        std::snprintf(out, capacity, "cut short");
        return;
    }
    const uint32_t length = board.Print(out, capacity);
    if (!board.Fits(elementCount) && length < capacity)
        std::snprintf(out + length, capacity - length, " (does not fit)");
}

}  // namespace

bool DescribeLevelState(uint32_t typeCode, UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out,
                        uint32_t capacity)
{
    if (!capacity)
        return false;
    switch (typeCode) {
    case kObjectKindCircles:
        Describe<CirclesBoard>(pChunk, elementCount, out, capacity);
        return true;
    default:
        return false;
    }
}
