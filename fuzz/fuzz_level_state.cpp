// A level kind's own state from any bytes, behind a sound scene-object part: the first byte
// picks the kind (LevelFuzz.h), the rest is the kind's payload. The load either fails with
// every field at its fresh value or leaves fields that fit the object, and whatever it left
// saves, loads back and saves the same bytes again.
#include "LevelFuzz.h"

namespace {

template <class Kind>
void LoadKind(const std::vector<const char*>& names, size_t stateSize, const uint8_t* data, size_t size)
{
    FuzzLevelWorld w;
    CFuzzLevel<Kind> level(&w.world, names);
    // The scene object's part of a fresh level, then the input as the kind's part.
    std::vector<uint8_t> payload = level.Saved();
    payload.resize(payload.size() - stateSize);
    payload.insert(payload.end(), data, data + size);
    const Status status = level.Load(payload);
    if ((Failed(status) && !level.Fresh()) || !level.Fits())
        std::abort();
    level.SavesAndLoadsBack();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    switch (data[0] % 8) {
    case 0:
        LoadKind<CObjectsLevelProbe>(ProbeNames(), kProbeStateSize, data + 1, size - 1);
        break;
    case 2:
        LoadKind<CObjectsLevelLabyrinthe>(LabyrinthNames(), kLabyrinthStateSize, data + 1, size - 1);
        break;
    case 3:
        LoadKind<CObjectsLevelWheelStack>(WheelStackNames(), kWheelStackStateSize, data + 1, size - 1);
        break;
    case 4:
        // The high bit picks the switch's sibling, the jigsaw.
        if (data[0] & 0x80)
            LoadKind<CObjectsLevelJigsaw>(SwitchNames(), kJigsawStateSize, data + 1, size - 1);
        else
            LoadKind<CObjectsLevelSwitch>(SwitchNames(), kSwitchStateSize, data + 1, size - 1);
        break;
    case 5:
        LoadKind<CObjectsLevelTubing>(TubingNames(), kTubingStateSize, data + 1, size - 1);
        break;
    case 6:
        // The high bit picks black jack.
        if (data[0] & 0x80)
            LoadKind<CObjectsLevelBlackJack>(BlackJackNames(), kBlackJackStateSize, data + 1, size - 1);
        else
            LoadKind<CObjectsLevelWheels>(WheelsNames(), kWheelsStateSize, data + 1, size - 1);
        break;
    case 7:
        LoadKind<CObjectsLevelPuzzle>(PuzzleNames(), kPuzzleStateSize, data + 1, size - 1);
        break;
    case 1:
        // The high bit picks the match-3, the next one the sliding blocks.
        if (data[0] & 0x80)
            LoadKind<CObjectsLevelMatch3>(Match3Names(), kMatch3StateSize, data + 1, size - 1);
        else if (data[0] & 0x40)
            LoadKind<CObjectsLevelSliding>(SlidingNames(), kSlidingStateSize, data + 1, size - 1);
        else
            LoadKind<CObjectsLevelCircles>(CirclesNames(), kCirclesStateSize, data + 1, size - 1);
        break;
    default:
        LoadKind<CObjectsLevelCircles>(CirclesNames(), kCirclesStateSize, data + 1, size - 1);
        break;
    }
    return 0;
}
