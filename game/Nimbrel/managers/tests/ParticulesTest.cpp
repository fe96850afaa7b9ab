// The game's particles on the memory back end with a seeded generator: the explosion settings
// and what the explosions throw, the circling emitters, the score texts, the draw layers and
// the clearing at level changes and profile loads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "MemoryBackEnd.h"
#include "NimbrelManagers/CParticules.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

class ParticulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = world.data.get();
        w->frameTime = 1.0;
        UtilsRandom_Seed(w, 4321);
    }
    void TearDown() override
    {
        manager.Unload();
        std::error_code error;
        if (!folder.empty())
            std::filesystem::remove_all(folder, error);
    }

    // The sprite textures as loose files and the settings text; the manager loaded on them.
    Status Load(const std::string& extraKeys)
    {
        char name[] = "/tmp/nimbrel_particules_XXXXXX";
        if (!mkdtemp(name))
            return kStatusFailed;
        folder = name;
        for (const char* file : {"star.tga", "pulse.tga", "extra.tga"}) {
            const std::vector<uint8_t> tga = MemoryTga(4, 4, 255, 255, 255);
            std::FILE* f = std::fopen((folder + "/" + file).c_str(), "wb");
            std::fwrite(tga.data(), 1, tga.size(), f);
            std::fclose(f);
        }
        settingsText = "[PARTICULES]\nSTAR_TEXTURE_FILE_NAME = star.tga\nPULSE_TEXTURE_FILE_NAME = pulse.tga\n"
                       "EXTRA_TEXTURE_FILE_NAME = extra.tga\n" +
                       extraKeys;
        settings = std::make_unique<UtilsParameters_Text>(settingsText.c_str(), uint32_t(settingsText.size()));
        w->pAppSettings = settings.get();
        UtilsString_Copy(w->dataPath, kWorldTextSize, UtilsString_FromUtf8((folder + "/").c_str()).c_str());
        w->dataPathWord = -1;
        ParticleSpriteRecord records[kParticleGroupCount];
        for (uint32_t i = 0; i < kParticleGroupCount; ++i)
            records[i] = {16.0f, i % 5, 0};
        manager.SetEnableMask(kParticulesEnableMask);
        return manager.LoadParameters(records, 0);
    }

    void Step(int frames)
    {
        for (int i = 0; i < frames; ++i)
            manager.Update();
    }

    std::vector<CParticuleFallingStar*> FallingStars()
    {
        std::vector<CParticuleFallingStar*> stars;
        CFIFOList& list = manager.GetParticles();
        for (void* item = list.GetFirst(); item; item = list.GetNext())
            if (auto* star = dynamic_cast<CParticuleFallingStar*>(static_cast<CParticule*>(item)))
                stars.push_back(star);
        return stars;
    }

    CMemoryWorld world;
    WorldData* w = nullptr;
    CParticules manager{world.data.get()};
    std::string folder, settingsText;
    std::unique_ptr<UtilsParameters_Text> settings;
};

TEST_F(ParticulesTest, ExplosionSettingsDefaultAndFromTheSection)
{
    ASSERT_EQ(Load(""), kStatusOk);
    const ParticulesExplosionSettings defaults;
    EXPECT_EQ(manager.GetExplosionSettings().upMinCount, 30);
    EXPECT_EQ(manager.GetExplosionSettings().aroundMaxCount, 30);
    EXPECT_FLOAT_EQ(manager.GetExplosionSettings().upMaxGravity, defaults.upMaxGravity);
    manager.Unload();
    ASSERT_EQ(Load("EXPLOSION_UP_MIN_COUNT = 2\nEXPLOSION_UP_MAX_COUNT = 3\nEXPLOSION_AROUND_MAX_VELOCITY = 1.5\n"),
              kStatusOk);
    EXPECT_EQ(manager.GetExplosionSettings().upMinCount, 2);
    EXPECT_EQ(manager.GetExplosionSettings().upMaxCount, 3);
    EXPECT_FLOAT_EQ(manager.GetExplosionSettings().aroundMaxVelocity, 1.5f);
    EXPECT_FLOAT_EQ(manager.GetExplosionSettings().upMinVelocity, 5.0f);
    // A missing sprite picture fails the load.
    std::filesystem::remove(folder + "/pulse.tga");
    manager.Unload();
    ParticleSpriteRecord records[kParticleGroupCount] = {};
    EXPECT_EQ(manager.LoadParameters(records, 0), kStatusFailed);
}

TEST_F(ParticulesTest, ExplosionsThrowTheirCountsWithinTheirSpeeds)
{
    const C3DVector3 at{200.0f, 300.0f, 0.0f};
    for (int round = 0; round < 20; ++round) {
        manager.RemoveAll();
        manager.AddExplosionUp(at, 1, 4, 3, 1.0f, 0xFFFFFFFFu, nullptr);
        std::vector<CParticuleFallingStar*> up = FallingStars();
        ASSERT_GE(up.size(), 30u);
        ASSERT_LT(up.size(), 60u);
        for (CParticuleFallingStar* p : up) {
            // The first step has moved them once and added gravity (0.5-0.8) x 0.75 once.
            const C3DVector3& v = p->GetVelocity();
            EXPECT_LE(std::abs(v.x), 5.0f);
            EXPECT_GE(v.y, -10.0f + 0.375f);
            EXPECT_LE(v.y, -2.5f + 0.6f);
            EXPECT_GE(p->GetGroup(), 4u);
            EXPECT_LE(p->GetGroup(), 7u);
            EXPECT_EQ(p->GetTextureIndex(), 1u);
        }
        manager.RemoveAll();
        manager.AddExplosionAround(at, 1, 10, 3, 1.0f, 0xFFFFFFFFu, nullptr);
        std::vector<CParticuleFallingStar*> around = FallingStars();
        ASSERT_GE(around.size(), 15u);
        ASSERT_LT(around.size(), 30u);
        for (CParticuleFallingStar* p : around) {
            EXPECT_LE(std::abs(p->GetVelocity().x), 8.0f);
            EXPECT_LE(std::abs(p->GetVelocity().y), 8.0f);  // no gravity around
            EXPECT_GE(p->GetGroup(), 10u);                  // from the frame to the last of its four
            EXPECT_LE(p->GetGroup(), 11u);
        }
    }
}

TEST_F(ParticulesTest, AThreeSecondEmitterEmitsTwoATickForNinetyTicksAndGoes)
{
    ASSERT_EQ(manager.AddEmitter({512.0f, 384.0f, 0.0f}, nullptr, 3.0f, 0xFFFFFF00u), kStatusOk);
    EXPECT_FALSE(manager.HasNoEmitter());
    std::vector<uint32_t> counts = {0};
    for (int tick = 1; tick <= 90; ++tick) {
        Step(1);
        counts.push_back(manager.GetParticleCount());
        ASSERT_EQ(manager.GetEmitterCount(), 1u) << "tick " << tick;
    }
    // Two a tick while none has run out (the shortest lives 0.6 s); from a second on, none
    // lives longer: between the last 18 and the last 30 ticks' stars.
    for (int tick = 1; tick < 18; ++tick)
        EXPECT_EQ(counts[tick], 2u * tick) << "tick " << tick;
    for (int tick = 31; tick <= 90; ++tick) {
        EXPECT_GE(counts[tick], 34u) << "tick " << tick;
        EXPECT_LE(counts[tick], 60u) << "tick " << tick;
    }
    // Both sides of the circle, 100 from its centre.
    for (CParticuleFallingStar* p : FallingStars()) {
        const C3DVector3& at = p->GetPosition();
        EXPECT_TRUE(p->GetGroup() == 18u || p->GetGroup() == 19u);
        EXPECT_EQ(p->GetColor() & 0xFFFFFFu, 0xFFFF00u);
        EXPECT_NEAR(std::hypot(at.x - 512.0f, at.y - 384.0f), 100.0f, 25.0f);
    }
    Step(1);
    EXPECT_TRUE(manager.HasNoEmitter());
    EXPECT_LE(manager.GetParticleCount(), counts[90]);
    Step(40);
    EXPECT_TRUE(manager.IsIdle());
}

// An explosion's stars live each a random half to whole of its time; an emitter's stars each
// 0.6 to 1 second.
TEST_F(ParticulesTest, ExplodedAndEmittedStarsLiveRandomTimes)
{
    const auto spread = [&](float low, float high) {
        float shortest = high, longest = low;
        for (CParticuleFallingStar* p : FallingStars()) {
            EXPECT_GE(p->GetLifetime(), low);
            EXPECT_LE(p->GetLifetime(), high);
            shortest = std::min(shortest, p->GetLifetime());
            longest = std::max(longest, p->GetLifetime());
        }
        return longest - shortest;
    };
    manager.AddExplosionUp({200.0f, 300.0f, 0.0f}, 1, 4, 3, 2.0f, 0xFFFFFFFFu, nullptr);
    EXPECT_GT(spread(1.0f, 2.0f), 0.5f);
    manager.RemoveAll();
    manager.AddExplosionAround({200.0f, 300.0f, 0.0f}, 1, 4, 3, 3.0f, 0xFFFFFFFFu, nullptr);
    EXPECT_GT(spread(1.5f, 3.0f), 0.75f);
    manager.RemoveAll();
    ASSERT_EQ(manager.AddEmitter({512.0f, 384.0f, 0.0f}, nullptr, 1.0f, 0xFFFFFF00u), kStatusOk);
    Step(15);
    ASSERT_EQ(FallingStars().size(), 30u);
    EXPECT_GT(spread(0.6f, 1.0f), 0.2f);
}

TEST_F(ParticulesTest, ScoreTextsAreGreenFromZeroAndRedBelow)
{
    const struct {
        int32_t value;
        const char16_t* text;
        uint32_t rgb;
    } cases[] = {{5, u"+5", 0x00FF00u}, {-3, u"-3", 0xFF0000u}, {0, u"+0", 0x00FF00u}};
    for (const auto& c : cases) {
        auto* text = dynamic_cast<CParticuleText*>(manager.AddText({100.0f, 100.0f, 0.0f}, c.value, 1.0f, 1.0f, 1.0f));
        ASSERT_NE(text, nullptr) << c.value;
        EXPECT_EQ(std::u16string(text->GetText()), c.text);
        EXPECT_TRUE(text->OwnsText());
        EXPECT_EQ(text->GetColor() & 0xFFFFFFu, c.rgb) << c.value;
    }
}

TEST_F(ParticulesTest, TheLayersDrawPulsesBehindAndTheRestInFront)
{
    ASSERT_EQ(Load(""), kStatusOk);
    const C3DVector3 at{50.0f, 50.0f, 0.0f};
    ASSERT_NE(manager.AddPulse(at, 2, 5, 3, 2.0f, 0, 0xFF123456u, nullptr), nullptr);
    ASSERT_NE(manager.AddStar(at, 1, 6, 3, 2.0f, 0xFFFFFFFFu, nullptr), nullptr);
    // The first kind is not enabled by the game.
    EXPECT_EQ(manager.AddFirework(at, 0, 4, 3, 2.0f, 0xFFFFFFFFu, nullptr), nullptr);
    const auto drawn = [&](uint32_t layer) {
        world.engine->draws.clear();
        manager.Render(layer);
        return world.engine->draws.size();
    };
    EXPECT_EQ(drawn(kParticulesBehind), 1u);
    EXPECT_EQ(drawn(kParticulesInFront), 1u);
    EXPECT_EQ(static_cast<uint32_t>(int32_t(-5)), kParticulesInFront);
    // Pulses keep their picture's colours.
    CParticule* pulse = static_cast<CParticule*>(manager.GetParticles().GetFirst());
    EXPECT_EQ(pulse->GetColor(), 0xFFFFFFFFu);
}

TEST_F(ParticulesTest, RemovalAndProfileLoadsLeaveTheManagerIdle)
{
    const C3DVector3 at{50.0f, 50.0f, 0.0f};
    for (int which = 0; which < 3; ++which) {
        ASSERT_EQ(manager.AddEmitter(at, nullptr, 2.0f, 0xFFFFFFFFu), kStatusOk);
        manager.AddExplosionAround(at, 1, 4, 3, 1.0f, 0xFFFFFFFFu, nullptr);
        manager.AddText(at, 7, 1.0f, 1.0f, 1.0f);
        ASSERT_FALSE(manager.IsIdle());
        UtilsStream_Chunk chunk(170000);
        if (which == 0)
            manager.RemoveAll();
        else if (which == 1)
            manager.RemoveByKind(kParticleText);  // the emitters go with any removal
        else
            EXPECT_EQ(manager.LoadFromStream(&chunk), kStatusOk);
        EXPECT_TRUE(manager.HasNoEmitter()) << which;
        if (which != 1) {
            EXPECT_TRUE(manager.IsIdle()) << which;
        }
    }
    // Saving writes nothing.
    UtilsStream_Chunk chunk(170000);
    EXPECT_EQ(manager.SaveToStream(nullptr, &chunk), kStatusOk);
    EXPECT_EQ(chunk.GetPayloadSize(), 0u);
}

}  // namespace
