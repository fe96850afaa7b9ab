#pragma once
// The shortest turns from a circles board to a solved one: a breadth-first walk over the 4,200
// arrangements of 3 left, 4 middle and 3 right kinds in the ten places. The level tests and
// the end-to-end test of the sample's circles level use it.
#include <array>
#include <map>
#include <queue>
#include <string>
#include <vector>

#include "NimbrelLevels/CirclesBoard.h"

// The arrangement as "LLLMMMMRRR", by place.
inline std::string CirclesArrangement(const CirclesBoard& board)
{
    std::string kinds;
    for (uint32_t p = 0; p < kCirclesPlaces; ++p) {
        const int32_t kind = board.Place(p);
        kinds += kind == board.KindLeft() ? 'L' : kind == board.KindMiddle() ? 'M' : 'R';
    }
    return kinds;
}

// The same board with the places of an arrangement.
inline void SetCirclesArrangement(CirclesBoard& board, const std::string& kinds)
{
    int32_t places[kCirclesPlaces];
    for (uint32_t p = 0; p < kCirclesPlaces; ++p)
        places[p] = kinds[p] == 'L' ? board.KindLeft() : kinds[p] == 'M' ? board.KindMiddle() : board.KindRight();
    board.SetPlaces(places);
}

struct CirclesWalk {
    std::vector<CirclesAction> moves;  // the shortest way to a solved board
    size_t reached = 0;                // arrangements reached from the start
};

// Walks every arrangement reachable from the board's (the board itself is left as it is).
inline CirclesWalk SolveCircles(const CirclesBoard& start)
{
    CirclesBoard board = start;
    std::map<std::string, std::pair<std::string, int>> from;  // arrangement: previous, action
    std::queue<std::string> open;
    const std::string first = CirclesArrangement(start);
    from[first] = {"", -1};
    open.push(first);
    std::string solved;
    while (!open.empty()) {
        const std::string at = open.front();
        open.pop();
        SetCirclesArrangement(board, at);
        if (solved.empty() && board.IsWon())
            solved = at;
        for (int a = 0; a < int(kCirclesActionCount); ++a) {
            SetCirclesArrangement(board, at);
            board.Turn(CirclesAction(a));
            const std::string next = CirclesArrangement(board);
            if (from.emplace(next, std::make_pair(at, a)).second)
                open.push(next);
        }
    }
    CirclesWalk walk;
    walk.reached = from.size();
    for (std::string at = solved; !at.empty() && from[at].second >= 0; at = from[at].first)
        walk.moves.insert(walk.moves.begin(), CirclesAction(from[at].second));
    return walk;
}
