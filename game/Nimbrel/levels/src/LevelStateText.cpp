// The saved states of the board kinds, read into a board of their kind and printed.
#include "NimbrelLevels/LevelStateText.h"

#include <cstdio>
#include <cstring>

#include "NimbrelLevels/BlackJackBoard.h"
#include "NimbrelLevels/CirclesBoard.h"
#include "NimbrelLevels/JigsawBoard.h"
#include "NimbrelLevels/LabyrinthBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/Match3Board.h"
#include "NimbrelLevels/PictureGridBoard.h"
#include "NimbrelLevels/PuzzleBoard.h"
#include "NimbrelLevels/SlidingBoard.h"
#include "NimbrelLevels/TubingBoard.h"
#include "NimbrelLevels/WheelsBoard.h"
#include "NimbrelLevels/WheelStackBoard.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

// A board read from a profile draws nothing and finishes nothing.
class NoHost : public LevelBoardHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
};

class NoTubingHost : public TubingHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    void WaterMoving(bool) override {}
    void BoardEnded(uint8_t) override {}
    void PlayBoardSound(bool) override {}
};

class NoMatch3Host : public Match3Host {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    void Reseed() override {}
    void PlayBoardSound(bool) override {}
    void Removed(const char*, int32_t) override {}
    void NoMoveLeft() override {}
    void ShowSparkle(uint32_t) override {}
    void RemoveSparkle() override {}
    void Collected(uint32_t) override {}
};

class NoWheelsHost : public WheelsHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    void PlayBoardSound(bool) override {}
};

class NoBlackJackHost : public BlackJackHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    void Settled(uint32_t, uint32_t) override {}
    void PlayDealSound() override {}
};

template <class Board, class Host = NoHost>
void Describe(UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out, uint32_t capacity)
{
    Host host;
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

// The wheel stack's groups read back name their items by index.
class NoWheelStackHost : public WheelStackHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    int32_t FindItem(const char*) override { return -1; }
    const char* ItemName(int32_t) override { return nullptr; }
    void TagItem(int32_t, int32_t) override {}
    void PlacePoint(int32_t, int32_t, float, float* pOut3) override { pOut3[0] = pOut3[1] = pOut3[2] = 0.0f; }
    void PlayItemSound(int32_t) override {}
    void PlayNull() override {}
};

// The labyrinth's pictures are not drawn and its functions not called.
class NoLabyrinthHost : public LabyrinthHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    int32_t FindItem(const char*) override { return -1; }
    bool ItemSize(int32_t, float*, float*) override { return false; }
    void ShowArrow(int32_t, bool) override {}
    Status CallElementFunction(const char*, const char*) override { return kStatusOk; }
};

// The paused and solved flags come before the board of the wheel stack and of the labyrinth.
template <class Board, class Host>
void DescribeAfterFlags(UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out, uint32_t capacity)
{
    Host host;
    Board board(&host);
    LevelState state(pChunk, false);
    uint8_t paused = 0, solved = 0;
    state.Byte(paused).Byte(solved);
    board.StateFields(state);
    if (!state.Ok()) {
        std::snprintf(out, capacity, "cut short");
        return;
    }
    const uint32_t length = board.Print(out, capacity);
    if ((!board.Fits(elementCount) || paused > 1 || solved > 1) && length < capacity)
        std::snprintf(out + length, capacity - length, " (does not fit)");
    else if (solved && length < capacity)
        std::snprintf(out + length, capacity - length, " solved");
}

// A picture grid level's paused and solved flags stand among the board's fields.
template <class Board>
void DescribeGrid(UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out, uint32_t capacity)
{
    class NoGridHost : public PictureGridHost {
    public:
        uint32_t NextRandom() override { return 0; }
        void BoardFinished(uint8_t) override {}
        bool ItemBounds(int32_t, float*) override { return false; }
        void PlayItemSound(int32_t) override {}
        void PlayNull() override {}
    } host;
    Board board(&host);
    LevelState state(pChunk, false);
    uint8_t paused = 0, solved = 0;
    board.StateFields(state, paused, solved);
    if (!state.Ok()) {
        std::snprintf(out, capacity, "cut short");
        return;
    }
    const uint32_t length = board.Print(out, capacity);
    if ((!board.Fits(elementCount) || paused > 1 || solved > 1) && length < capacity)
        std::snprintf(out + length, capacity - length, " (does not fit)");
}

class NoPuzzleHost : public PuzzleHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
    int32_t FindItem(const char*) override { return -1; }
    bool ItemPlace(int32_t, float*, float*) override { return false; }
    bool PieceHit(int32_t, float, float) override { return false; }
    void PlayItemSound(int32_t) override {}
    void PlayArea(float* pArea4) override { pArea4[0] = pArea4[1] = pArea4[2] = pArea4[3] = 0.0f; }
};

// The puzzle's paused and solved flags stand among the board's fields, after the play item.
void DescribePuzzle(UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out, uint32_t capacity)
{
    NoPuzzleHost host;
    PuzzleBoard board(&host);
    LevelState state(pChunk, false);
    uint8_t paused = 0, solved = 0;
    board.StateFields(state, paused, solved);
    if (!state.Ok()) {
        std::snprintf(out, capacity, "cut short");
        return;
    }
    const uint32_t length = board.Print(out, capacity);
    if ((!board.Fits(elementCount) || paused > 1 || solved > 1) && length < capacity)
        std::snprintf(out + length, capacity - length, " (does not fit)");
    else if (solved && length < capacity)
        std::snprintf(out + length, capacity - length, " solved");
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
    case kObjectKindWheelStack:
        DescribeAfterFlags<WheelStackBoard, NoWheelStackHost>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindLabyrinthe:
        DescribeAfterFlags<LabyrinthBoard, NoLabyrinthHost>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindSwitch:
        DescribeGrid<PictureGridBoard>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindJigsaw:
        DescribeGrid<JigsawBoard>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindPuzzle:
        DescribePuzzle(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindSliding:
        Describe<SlidingBoard>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindTubing:
        Describe<TubingBoard, NoTubingHost>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindWheels:
        Describe<WheelsBoard, NoWheelsHost>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindMatch3:
        Describe<Match3Board, NoMatch3Host>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindBlackJack:
        Describe<BlackJackBoard, NoBlackJackHost>(pChunk, elementCount, out, capacity);
        return true;
    case kObjectKindExploration: {
        // One byte, the flashlight mode; a scene saved before it was kept has none.
        uint8_t flashlight = 0;
        if (!pChunk || pChunk->BytesLeft() < 1)
            return false;
        if (!pChunk->Read(&flashlight, 1, 1))
            flashlight = 0xFF;
        std::snprintf(out, capacity, flashlight <= 1 ? "flashlight %u" : "flashlight %u (does not fit)",
                      unsigned(flashlight));
        return true;
    }
    default:
        return false;
    }
}
