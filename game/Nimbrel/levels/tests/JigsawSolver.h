#pragma once
// The shortest slides of the 3 x 3 slide game: every one of its 181,440 states with its
// distance to the solved board, the blank being piece 8, searched breadth first from the solved
// board. The level tests and the end-to-end test of the sample's jigsaw use it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <unordered_map>
#include <utility>
#include <vector>

// A board's key: its pieces, by cell, as the digits of a number in base 9.
inline uint32_t JigsawKey(const std::vector<uint8_t>& pieces)
{
    uint32_t k = 0;
    for (uint8_t p : pieces)
        k = k * 9 + p;
    return k;
}

// The cells beside `cell` on the 3 x 3 grid.
inline std::vector<uint32_t> JigsawNeighbours(uint32_t cell)
{
    std::vector<uint32_t> cells;
    for (int32_t step : {-3, 3, -1, 1}) {
        const int32_t other = int32_t(cell) + step;
        if (other < 0 || other > 8 || (std::abs(step) == 1 && uint32_t(other) / 3 != cell / 3))
            continue;
        cells.push_back(uint32_t(other));
    }
    return cells;
}

inline std::unordered_map<uint32_t, uint8_t> JigsawDistances()
{
    std::unordered_map<uint32_t, uint8_t> distance;
    std::deque<std::vector<uint8_t>> queue{{0, 1, 2, 3, 4, 5, 6, 7, 8}};
    distance[JigsawKey(queue.front())] = 0;
    while (!queue.empty()) {
        const std::vector<uint8_t> pieces = queue.front();
        queue.pop_front();
        const uint32_t blank = uint32_t(std::find(pieces.begin(), pieces.end(), 8) - pieces.begin());
        const uint8_t d = distance[JigsawKey(pieces)];
        for (uint32_t other : JigsawNeighbours(blank)) {
            std::vector<uint8_t> next = pieces;
            std::swap(next[blank], next[other]);
            if (distance.emplace(JigsawKey(next), uint8_t(d + 1)).second)
                queue.push_back(next);
        }
    }
    return distance;
}

// The cells to click in order, each sliding its piece into the blank, that solve `pieces` by
// the fewest slides; empty when solved or when `pieces` is no state of the game.
inline std::vector<uint32_t> JigsawClicks(std::vector<uint8_t> pieces,
                                          const std::unordered_map<uint32_t, uint8_t>& distance)
{
    std::vector<uint32_t> clicks;
    auto at = distance.find(JigsawKey(pieces));
    while (at != distance.end() && at->second > 0) {
        const uint32_t blank = uint32_t(std::find(pieces.begin(), pieces.end(), 8) - pieces.begin());
        for (uint32_t other : JigsawNeighbours(blank)) {
            std::swap(pieces[blank], pieces[other]);
            const auto next = distance.find(JigsawKey(pieces));
            if (next != distance.end() && next->second < at->second) {
                clicks.push_back(other);
                at = next;
                break;
            }
            std::swap(pieces[blank], pieces[other]);
        }
    }
    return clicks;
}
