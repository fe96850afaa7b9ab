// A mini-game kind played from any bytes: the first byte picks the kind (LevelFuzz.h), the rest
// are lines of moves: "w NAME VALUE" a parameter word, "e NAME VALUE" an event, "c TEXT" an
// object command, "f N" N frames (at most 100), "a N" a frame with an arrow key down (0 up,
// 1 right, 2 down, 3 left), "k" the force-solve, "u" the set-up check, "s" a save loaded back,
// "i NAME" a click on that element, "p X Y", "m X Y", "r X Y" and "t X Y" a press, a move, a
// release and a click there.
// Whatever the moves, the level's fields fit the object, and a save loads back the same.
#include "LevelFuzz.h"

namespace {

constexpr uint32_t kMostFrames = 100;

template <class Kind>
void Play(const std::vector<const char*>& names, const uint8_t* data, size_t size)
{
    FuzzLevelWorld w;
    CFuzzLevel<Kind> level(&w.world, names);
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    while (at < input.size()) {
        size_t end = input.find('\n', at);
        if (end == std::string::npos)
            end = input.size();
        std::string line = input.substr(at, end - at);
        at = end + 1;
        // Words and events take a name and a value, both ending at a blank; a NUL ends the text.
        line = line.substr(0, std::strlen(line.c_str()));
        if (line.size() < 1)
            continue;
        const std::string rest = line.size() > 2 ? line.substr(2) : std::string();
        const size_t blank = rest.find(' ');
        std::string name = rest.substr(0, blank);
        std::string value = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
        switch (line[0]) {
        case 'w':
            level.LoadEventsFromParam(name.c_str(), value.data());
            break;
        case 'e':
            level.OnEvent(name.c_str(), value.data());
            break;
        case 'c':
            level.OnCommand(rest.c_str());
            break;
        case 'f':
            for (uint32_t i = 0, n = uint32_t(TokenInt(rest.c_str())); i < n && i < kMostFrames; ++i)
                level.UpdateState();
            break;
        case 'a': {
            GameFrameInput& keys = w.world.game.input;
            uint8_t* arrows[] = {&keys.arrowUp, &keys.arrowRight, &keys.arrowDown, &keys.arrowLeft};
            uint8_t* arrow = arrows[uint32_t(TokenInt(rest.c_str())) % 4];
            *arrow = 1;
            level.UpdateState();
            *arrow = 0;
            break;
        }
        case 'k':
            level.OnCheatCodes(0);
            break;
        case 'u':
            level.CheckSetup();
            break;
        case 's':
            level.SavesAndLoadsBack();
            break;
        case 'i': {
            const int32_t element = level.FindElementByName(name.c_str());
            if (element >= 0)
                level.OnElementClicked(level.GetItemRecord(uint32_t(element)));
            break;
        }
        case 'p':
        case 'm':
        case 'r':
        case 't': {
            const float x = TokenFloat(name.c_str()), y = TokenFloat(value.c_str());
            if (line[0] == 'p')
                level.OnMouseDown(x, y, 1);
            else if (line[0] == 'm')
                level.OnMouseMove(x, y, 1);
            else if (line[0] == 'r')
                level.OnMouseUp(x, y, 0);
            else
                level.OnClick(x, y, 0);
            break;
        }
        default:
            break;
        }
        if (!level.Fits())
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    switch (data[0] % 7) {
    case 0:
        Play<CObjectsLevelLabyrinthe>(LabyrinthNames(), data + 1, size - 1);
        break;
    case 2:
        Play<CObjectsLevelWheelStack>(WheelStackNames(), data + 1, size - 1);
        break;
    case 3:
        // The high bit picks the switch's sibling, the jigsaw.
        if (data[0] & 0x80)
            Play<CObjectsLevelJigsaw>(SwitchNames(), data + 1, size - 1);
        else
            Play<CObjectsLevelSwitch>(SwitchNames(), data + 1, size - 1);
        break;
    case 4:
        Play<CObjectsLevelTubing>(TubingNames(), data + 1, size - 1);
        break;
    case 5:
        // The high bit picks black jack.
        if (data[0] & 0x80)
            Play<CObjectsLevelBlackJack>(BlackJackNames(), data + 1, size - 1);
        else
            Play<CObjectsLevelWheels>(WheelsNames(), data + 1, size - 1);
        break;
    case 6:
        Play<CObjectsLevelPuzzle>(PuzzleNames(), data + 1, size - 1);
        break;
    case 1:
        // The high bit picks the match-3, the next one the sliding blocks.
        if (data[0] & 0x80)
            Play<CObjectsLevelMatch3>(Match3Names(), data + 1, size - 1);
        else if (data[0] & 0x40)
            Play<CObjectsLevelSliding>(SlidingNames(), data + 1, size - 1);
        else
            Play<CObjectsLevelCircles>(CirclesNames(), data + 1, size - 1);
        break;
    default:
        Play<CObjectsLevelCircles>(CirclesNames(), data + 1, size - 1);
        break;
    }
    return 0;
}
