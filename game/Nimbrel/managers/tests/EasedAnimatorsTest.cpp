// Scales and moves along easing curves on the five-element scene object.
#include "NimbrelManagers/CEasedAnimators.h"

#include <gtest/gtest.h>

#include "NimbrelManagers/FadeModes.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "SceneFixture.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

class EaseTest : public ::testing::Test {
protected:
    EaseTest()
    {
        world.SetManager(kManagerScaling, scales);
        world.SetManager(kManagerPosition, moves);
        world.SetManager(kManagerRotation, rotations);
        ElementRecord* e = world.level->At(0);
        e->pScales = static_cast<NamedValue*>(UTILS_CALLOC(3, sizeof(NamedValue)));
        e->scaleCount = 3;
        e->pScales[0].value = 1.0f;
        e->pScales[1].value = 2.0f;
        e->pScales[2].value = 0.5f;
        e->pPositions = static_cast<NamedPosition*>(UTILS_CALLOC(3, sizeof(NamedPosition)));
        e->positionCount = 3;
        e->pPositions[2] = NamedPosition{40.0f, -20.0f, 0.0f, nullptr};
    }
    ElementRecord* E0() { return world.level->At(0); }

    SceneFixtureWorld world;   // 30 frame steps a second
    CScalingManager* scales = new CScalingManager(world.GetWorldData());
    CPositionManager* moves = new CPositionManager(world.GetWorldData());
    CRotationManager* rotations = new CRotationManager(world.GetWorldData());
};

TEST_F(EaseTest, CurvesAtHalfTime)
{
    struct Case { const char* curve; float progress; };
    for (const Case& c : {Case{"linear", 0.5f}, Case{"inQuad", 0.75f}, Case{"inEaseOutSin", 0.5f}}) {
        E0()->scaleIndex = 0;
        const uint32_t id = scales->AddScaling(1, EasingFromName(c.curve), 2.0f, 1, 0, nullptr);
        ASSERT_NE(id, 0u);
        for (int i = 1; i < 30; ++i)   // AddScaling took the first step
            scales->Update();
        EXPECT_NEAR(E0()->scaleOffset, 1.0f * c.progress, 1e-4f) << c.curve;
        scales->RemoveItem(id);
        EXPECT_EQ(E0()->scaleIndex, 1u);
        EXPECT_EQ(E0()->scaleOffset, 0.0f);
    }
}

TEST_F(EaseTest, AZeroSecondMoveArrivesInsideAddAndItsCommandFiresNextUpdate)
{
    E0()->positionIndex = 2;
    const CommandHandle command = world.NewCommand();
    ASSERT_NE(moves->AddMove(0, EasingFromName("linear"), 0.0f, 1, 0, &command), 0u);
    EXPECT_EQ(E0()->positionOffset[0], -40.0f);
    EXPECT_EQ(E0()->positionOffset[1], 20.0f);
    EXPECT_EQ(world.target->burns, 0);
    moves->Update();
    EXPECT_EQ(world.target->burns, 1);
    EXPECT_EQ(E0()->positionIndex, 0u);
    EXPECT_EQ(E0()->positionOffset[0], 0.0f);
}

TEST_F(EaseTest, APausedElementKeepsItsAnimator)
{
    const uint32_t id = moves->AddMove(2, EasingFromName("linear"), 1.0f, 1, 0, nullptr);
    const float first = E0()->positionOffset[0];
    E0()->positionPaused = 1;
    for (int i = 0; i < 100; ++i)
        moves->Update();
    EXPECT_EQ(E0()->positionOffset[0], first);
    E0()->positionPaused = 0;
    moves->Update();
    EXPECT_GT(E0()->positionOffset[0], first);
    EXPECT_NE(moves->GetItem(id), nullptr);
}

TEST_F(EaseTest, BadRequestsMakeNothing)
{
    EXPECT_EQ(scales->AddScaling(3, 1, 1.0f, 1, 0, nullptr), 0u);   // no such key
    EXPECT_EQ(scales->AddScaling(1, -1, 1.0f, 1, 0, nullptr), 0u);  // no such curve
    EXPECT_EQ(moves->AddMove(1, 1, 1.0f, 1, 7, nullptr), 0u);       // no such element
    EXPECT_EQ(rotations->AddRotation(1, 1.0f, 1, 0, nullptr), 0u);
    moves->RemoveItem(0);
    moves->RemoveItem(5);
}

TEST_F(EaseTest, ARestoredAnimatorFindsItsTargetKeyAndRefusesUnknownCurves)
{
    scales->AddScaling(2, EasingFromName("outCubic"), 1.0f, 1, 0, nullptr);
    UtilsStream_Chunk chunk(kProfileTagScalings);
    chunk.Open(kStreamReadWriteGrowable);
    ASSERT_EQ(scales->SaveToStream(nullptr, &chunk), kStatusOk);
    CScalingManager restored(world.GetWorldData());
    chunk.Rewind();
    ASSERT_EQ(restored.LoadFromStream(&chunk), kStatusOk);
    ASSERT_EQ(restored.GetCount(), 1u);
    EXPECT_EQ(static_cast<CEaseItem*>(restored.GetItem(1))->GetTargetKey(), 2u);

    // The curve name is the record's last field: "outCubic" spoiled to "outCubiX".
    chunk.Rewind();
    std::vector<uint8_t> bytes(static_cast<size_t>(chunk.BytesLeft()));
    chunk.Read(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    bytes[bytes.size() - 2] = 'X';
    UtilsStream_Chunk spoiled(kProfileTagScalings);
    spoiled.Open(kStreamReadWriteGrowable);
    spoiled.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    spoiled.Rewind();
    EXPECT_EQ(restored.LoadFromStream(&spoiled), kStatusFailed);
    EXPECT_EQ(restored.GetCount(), 0u);
}

}  // namespace
