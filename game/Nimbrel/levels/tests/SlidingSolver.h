#pragma once
// The fewest drags that solve a sliding board: a breadth-first search over its play boards, each
// drag moving one instance by whole cells along one axis within its free range; and a board set
// up from a scene script's words.
#include <cstdint>
#include <fstream>
#include <map>
#include <queue>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "NimbrelLevels/SlidingBoard.h"

// One drag: the instance on (column, row) moved by (columns, rows) cells.
struct SlidingDrag {
    uint32_t column;
    uint32_t row;
    int32_t columns;
    int32_t rows;

    bool operator==(const SlidingDrag& other) const
    {
        return column == other.column && row == other.row && columns == other.columns && rows == other.rows;
    }
};

// The drags from the board's play board to a solved one, shortest first found; none when the
// board is solved already, and `*pSolvable` false when no drags solve it. The board is left as
// it was.
inline std::vector<SlidingDrag> SolveSliding(SlidingBoard& board, bool* pSolvable = nullptr)
{
    const std::vector<SlidingCell> start = board.Play();
    // Instances of one piece are alike: a board is its tiles and goal-piece marks.
    auto key = [](const std::vector<SlidingCell>& cells) {
        std::string k;
        for (const SlidingCell& c : cells) {
            k += char(c.tile & 0xFF);
            k += char(c.tile >> 8 | (c.marks & kSlidingGoalPiece ? 0x80 : 0));
        }
        return k;
    };
    std::map<std::string, std::pair<std::string, SlidingDrag>> from;
    std::map<std::string, std::vector<SlidingCell>> boards;
    std::queue<std::string> open;
    const std::string first = key(start);
    from[first] = {first, SlidingDrag{0, 0, 0, 0}};
    boards[first] = start;
    open.push(first);
    std::string solved;
    while (!open.empty() && solved.empty()) {
        const std::string at = open.front();
        open.pop();
        board.Play() = boards[at];
        if (board.IsWon()) {
            solved = at;
            break;
        }
        const std::vector<SlidingCell> cells = board.Play();
        std::vector<bool> seen(cells.size(), false);
        for (uint32_t c = 0; c < cells.size(); ++c) {
            if (!cells[c].Occupied() || cells[c].instance >= seen.size() || seen[cells[c].instance])
                continue;
            seen[cells[c].instance] = true;
            board.Play() = cells;
            const SlidingRange range = board.FreeRange(c);
            const int32_t reach[4] = {int32_t(-range.minX / board.CellWidth() + 0.5f),
                                      int32_t(range.maxX / board.CellWidth() + 0.5f),
                                      int32_t(-range.minY / board.CellHeight() + 0.5f),
                                      int32_t(range.maxY / board.CellHeight() + 0.5f)};
            const int32_t steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (int d = 0; d < 4; ++d)
                for (int32_t k = 1; k <= reach[d]; ++k) {
                    board.Play() = cells;
                    const SlidingDrag drag{c % board.Columns(), c / board.Columns(), steps[d][0] * k, steps[d][1] * k};
                    if (!board.Shift(c, drag.columns, drag.rows))
                        continue;
                    const std::string next = key(board.Play());
                    if (from.count(next))
                        continue;
                    from[next] = {at, drag};
                    boards[next] = board.Play();
                    open.push(next);
                }
        }
    }
    board.Play() = start;
    if (pSolvable)
        *pSolvable = !solved.empty();
    std::vector<SlidingDrag> drags;
    for (std::string at = solved; !at.empty() && at != first; at = from[at].first)
        drags.insert(drags.begin(), from[at].second);
    return drags;
}

// The board as a scene script configures it: the script's "sliding_" words read from its text
// (the board item standing as element 0), set up and reset on cells one unit wide. False when
// the script cannot be read or its board cannot be set up.
inline bool SlidingBoardFromScript(const std::string& path, SlidingBoard& board)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    const std::regex word("setObjectParameters\\(\"(sliding_[a-z_]+)\", \"([^\"]*)\"\\)");
    for (auto it = std::sregex_iterator(source.begin(), source.end(), word); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        std::string value = (*it)[2];
        if (int32_t* item = board.ItemWord(name.c_str()))
            *item = 0;
        else if (board.Word(name.c_str(), value.data()) != kStatusDoneStoreResult)
            return false;
    }
    if (Failed(board.CheckSetup()))
        return false;
    board.SetArea(0.0f, 0.0f, float(board.Columns()), float(board.Rows()));
    return Succeeded(board.Deal());
}
