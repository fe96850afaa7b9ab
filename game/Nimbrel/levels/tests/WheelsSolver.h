#pragma once
// The shortest clicks that bring every ring of a click game to its target: a search over the
// divisions, each click turning a playable ring and its linked rings one division.
#include <cstdint>
#include <map>
#include <queue>
#include <utility>
#include <vector>

#include "NimbrelLevels/WheelsBoard.h"

// The rings to click in order, from `divisions` (one per ring); {-1} when none solves them.
inline std::vector<int32_t> SolveWheels(const std::vector<WheelsRing>& rings, const std::vector<uint32_t>& divisions)
{
    auto key = [&](const std::vector<uint32_t>& d) {
        uint64_t k = 0;
        for (size_t r = 0; r < rings.size(); ++r)
            k = k * rings[r].divisions + d[r] % rings[r].divisions;
        return k;
    };
    std::vector<uint32_t> start;
    for (size_t r = 0; r < rings.size(); ++r)
        start.push_back(divisions[r] % rings[r].divisions);
    // Each state: the one before it and the ring clicked there.
    std::map<uint64_t, std::pair<uint64_t, int32_t>> from;
    std::queue<std::vector<uint32_t>> open;
    open.push(start);
    from[key(start)] = {key(start), -1};
    while (!open.empty()) {
        const std::vector<uint32_t> d = open.front();
        open.pop();
        bool won = true;
        for (size_t r = 0; r < rings.size(); ++r)
            won = won && d[r] == rings[r].target;
        if (won) {
            std::vector<int32_t> clicks;
            for (uint64_t k = key(d); from[k].second >= 0; k = from[k].first)
                clicks.insert(clicks.begin(), from[k].second);
            return clicks;
        }
        for (size_t r = 0; r < rings.size(); ++r) {
            if (rings[r].fixed)
                continue;
            std::vector<uint32_t> next = d;
            for (uint32_t link : rings[r].links)
                next[link] = (next[link] + 1) % rings[link].divisions;
            next[r] = (next[r] + 1) % rings[r].divisions;
            if (from.emplace(key(next), std::make_pair(key(d), int32_t(r))).second)
                open.push(next);
        }
    }
    return {-1};
}

inline std::vector<int32_t> SolveWheels(const WheelsBoard& board)
{
    std::vector<uint32_t> divisions;
    for (const WheelsRing& ring : board.Rings())
        divisions.push_back(ring.division);
    return SolveWheels(board.Rings(), divisions);
}
