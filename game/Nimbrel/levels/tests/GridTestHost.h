#pragma once
// A picture grid board's host for the tests.
#include <string>
#include <vector>

#include "NimbrelLevels/PictureGridBoard.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

// Random numbers from a list (or a seeded generator), a play item of 300 x 300 centred on 0,
// the sounds and the win tests.
class TestHost : public PictureGridHost {
public:
    TestHost() { UtilsRandom_Seed(&m_world, 3); }
    uint32_t NextRandom() override { return values.empty() ? UtilsRandom_Next(&m_world) : values[next++ % values.size()]; }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    bool ItemBounds(int32_t item, float* b) override
    {
        b[0] = b[1] = -150.0f;
        b[2] = b[3] = 150.0f;
        return item == 0;
    }
    void PlayItemSound(int32_t) override { sounds.push_back("click"); }
    void PlayNull() override { sounds.push_back("null"); }

    std::vector<uint32_t> values;
    size_t next = 0;
    std::vector<uint8_t> finishes;
    std::vector<std::string> sounds;

private:
    WorldData m_world;
};
