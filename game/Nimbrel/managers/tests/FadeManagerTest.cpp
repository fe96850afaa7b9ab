// Fades on a five-element scene object: alpha fades, forced and inverted changes, throws,
// dissolves, superposition, removal during a walk, and chunk 130000.
#include "NimbrelManagers/CFadeManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "NimbrelWorld/ProfileChunks.h"
#include "SceneFixture.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

class TestFades : public CFadeManager {
public:
    using CFadeManager::CFadeManager;
    float throwX = 0.0f, throwY = 0.0f, damping = 0.5f;
    bool shaders = true;

protected:
    void GetThrow(float* x, float* y, float* d) override
    {
        *x = throwX;
        *y = throwY;
        *d = damping;
    }
    bool CanDissolve() override { return shaders; }
};

class FadeTest : public ::testing::Test {
protected:
    FadeTest()
    {
        fades = new TestFades(world.GetWorldData());
        world.SetManager(kManagerFade, fades);
    }
    ElementRecord* E(uint32_t i) { return world.level->At(i); }
    // Updates until the fade with this id has left its slot; the number of updates.
    int RunOut(uint32_t id, int limit = 1000)
    {
        for (int n = 1; n <= limit; ++n) {
            fades->Update();
            if (!fades->GetFade(id))
                return n;
        }
        return 0;
    }

    SceneFixtureWorld world;
    TestFades* fades;
};

TEST_F(FadeTest, AZeroSecondFadeCompletesInsideAddFadeAndBurnsAtTheNextUpdate)
{
    for (float seconds : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        E(0)->flags &= ~kElementHidden;
        E(0)->alpha = 1.0f;
        const CommandHandle command = world.NewCommand();
        const int before = world.target->burns;
        const uint32_t id = fades->AddFade(kFadeHide, seconds, 1, 0, &command);
        ASSERT_EQ(id, 1u);
        EXPECT_TRUE(E(0)->flags & kElementHidden);
        EXPECT_EQ(E(0)->alpha, 0.0f);
        EXPECT_EQ(world.target->burns, before);   // locked while it runs
        fades->Update();
        EXPECT_EQ(world.target->burns, before + 1);
        EXPECT_EQ(world.target->lastWord, -1);
        EXPECT_EQ(fades->GetCount(), 0u);
    }
}

TEST_F(FadeTest, ShowingFromAlphaPointFourTakesSixTenthsOfTheTime)
{
    E(1)->flags |= kElementHidden;
    E(1)->alpha = 0.4f;
    const uint32_t id = fades->AddFade(kFadeShow, 1.0f, 1, 1, nullptr);   // 30 steps for a whole fade
    const int updates = RunOut(id);
    EXPECT_GE(updates, 18);
    EXPECT_LE(updates, 20);
    EXPECT_FALSE(E(1)->flags & kElementHidden);
    EXPECT_EQ(E(1)->alpha, 1.0f);
}

TEST_F(FadeTest, ForcedInvertedAndUnknownModesMakeNoItemAndNeverBurn)
{
    const CommandHandle command = world.NewCommand();
    struct Case { uint32_t mode; bool hiddenBefore, hiddenAfter; };
    for (const Case& c : {Case{kFadeForce | kFadeHide, false, true}, Case{kFadeForce | kFadeShow, true, false},
                          Case{kFadeForce | kFadeInvert, true, false}, Case{kFadeForce | kFadeInvert, false, true},
                          Case{0, false, false}, Case{0x400, true, true}, Case{kFadeSuperposition, false, false},
                          Case{kFadeForce | kFadeTransition, false, true}}) {
        if (c.hiddenBefore)
            E(2)->flags |= kElementHidden;
        else
            E(2)->flags &= ~kElementHidden;
        EXPECT_EQ(fades->AddFade(c.mode, 1.0f, 1, 2, &command), 0u) << c.mode;
        EXPECT_EQ((E(2)->flags & kElementHidden) != 0, c.hiddenAfter) << c.mode;
    }
    fades->Update();
    EXPECT_EQ(world.target->burns, 0);
    // fade_invert runs as a show on a hidden element.
    E(2)->flags |= kElementHidden;
    E(2)->alpha = 0.0f;
    const uint32_t id = fades->AddFade(kFadeInvert, 0.0f, 1, 2, nullptr);
    RunOut(id);
    EXPECT_FALSE(E(2)->flags & kElementHidden);
    // Indexes outside the tables do nothing.
    EXPECT_EQ(fades->AddFade(kFadeHide, 1.0f, 1, 5, nullptr), 0u);
    EXPECT_EQ(fades->AddFade(kFadeHide, 1.0f, 7, 0, nullptr), 0u);
    fades->RemoveFade(0);
    fades->RemoveFade(99);
}

TEST_F(FadeTest, DissolveLastsByTheRatioAndWithoutShadersHidesByAlpha)
{
    world.GetGameData()->screen.defaultTransitionSeconds = 2.0f;
    const uint32_t id = fades->AddFade(kFadeTransition, 1.0f, 1, 3, nullptr);
    ASSERT_EQ(fades->GetFade(id)->GetKind(), uint32_t(kFadeDissolve));
    EXPECT_EQ(E(3)->alpha, 1.0f);   // the shader dissolves, the alpha stays
    const int updates = RunOut(id);
    EXPECT_GE(updates, 60);
    EXPECT_LE(updates, 62);
    EXPECT_TRUE(E(3)->flags & kElementHidden);

    fades->shaders = false;
    E(4)->action = kFadeTransition;
    const uint32_t alpha = fades->AddFade(kFadeTransition, 1.0f, 1, 4, nullptr);
    EXPECT_EQ(fades->GetFade(alpha)->GetKind(), uint32_t(kFadeDissolveAlpha));
    EXPECT_EQ(E(4)->action, kFadeHide);
    fades->Update();
    EXPECT_LT(E(4)->alpha, 1.0f);
}

TEST_F(FadeTest, AThrowGlidesDecaysAndEndsBelowSpeedOne)
{
    fades->throwX = 8.0f;
    fades->damping = 0.5f;
    const uint32_t id = fades->AddFade(kFadeVelocity, 1.0f, 1, 0, nullptr);
    EXPECT_EQ(E(0)->dragOffset[0], 8.0f);   // the first step inside AddFade
    RunOut(id);
    EXPECT_EQ(E(0)->dragOffset[0], 8.0f + 4.0f + 2.0f + 1.0f);
    // A throw without speed ends at once; the dragged waiters are told.
    fades->throwX = 0.0f;
    EXPECT_EQ(RunOut(fades->AddFade(kFadeVelocity, 1.0f, 1, 1, nullptr)), 1);
}

TEST_F(FadeTest, AThrowAlongAnAxisWrapsAndSnaps)
{
    ElementRecord* e = E(0);
    e->action = kFadeVelocity | kFadeLoopedX;
    e->snapFactor = 1.0f / 3.0f;   // one loop: 30 units of a 90-wide element
    fades->throwX = 40.0f;
    fades->throwY = 5.0f;
    fades->damping = 0.5f;
    const uint32_t id = fades->AddFade(kFadeVelocity | kFadeLoopedX, 1.0f, 1, 0, nullptr);
    EXPECT_GE(e->dragOffset[0], -15.0f);
    EXPECT_LE(e->dragOffset[0], 15.0f);
    EXPECT_EQ(e->dragOffset[1], 0.0f);
    RunOut(id);
    EXPECT_EQ(std::fmod(e->dragOffset[0], 30.0f), 0.0f);
}

TEST_F(FadeTest, SuperpositionRaisesTheMarkedElementAmongTheMarked)
{
    // Marked A=0, B=2, C=4 drawn in that order; 1 and 3 unmarked.
    for (uint32_t i : {0u, 2u, 4u})
        E(i)->action = kFadeSuperposition;
    EXPECT_EQ(fades->AddFade(kFadeSuperposition, 1.0f, 1, 0, nullptr), 0u);
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < 5; ++i)
        order.push_back(world.level->GetDrawSlotElement(i));
    EXPECT_EQ(order, (std::vector<uint32_t>{2, 1, 4, 3, 0}));
    // Without its own mark nothing changes.
    fades->AddFade(kFadeSuperposition, 1.0f, 1, 1, nullptr);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(world.level->GetDrawSlotElement(i), order[i]);
}

// A target whose command runs game code against the fade manager.
class ReentrantTarget : public CountingTarget {
public:
    using CountingTarget::CountingTarget;
    std::function<void()> onBurn;
    bool OnBurnCommand(const CommandHandle& h, uint32_t e, int32_t a, int32_t b, int32_t c) override
    {
        if (onBurn)
            onBurn();
        return CountingTarget::OnBurnCommand(h, e, a, b, c);
    }
};

TEST_F(FadeTest, CommandsThatStartOrClearFadesDuringAWalk)
{
    auto* target = new ReentrantTarget(world.GetWorldData());
    world.target.reset(target);
    int added = 0;
    target->onBurn = [&] {
        // Each end starts two more fades (the array grows under the walk) and clears a third.
        if (++added > 3)
            return;
        fades->AddFade(kFadeHide, 0.0f, 1, 3, nullptr);
        fades->AddFade(kFadeHide, 5.0f, 1, 4, nullptr);
        fades->RemoveFade(2);
    };
    for (uint32_t i = 0; i < 3; ++i) {
        const CommandHandle command = world.NewCommand();
        fades->AddFade(kFadeHide, 0.0f, 1, i, &command);
    }
    fades->Update();
    fades->RemoveAll();
    EXPECT_EQ(target->burns, 3);
    EXPECT_EQ(fades->GetCount(), 0u);
    for (uint32_t i = 0; i < 3; ++i) {
        const CommandHandle command = world.NewCommand();
        fades->AddFade(kFadeHide, 5.0f, 1, i, &command);
    }
    fades->Unload();
    EXPECT_EQ(target->burns, 6);
    EXPECT_EQ(fades->GetCapacity(), 0u);
}

TEST_F(FadeTest, ChunkKeepsRunningFadesAndRefusesDamage)
{
    E(0)->alpha = 0.5f;
    fades->AddFade(kFadeHide, 1.0f, 1, 0, nullptr);
    fades->throwX = 20.0f;
    E(1)->action = kFadeVelocity | kFadeLoopedY;
    fades->AddFade(kFadeVelocity | kFadeLoopedY, 1.0f, 1, 1, nullptr);
    fades->AddFade(kFadeTransition, 1.0f, 1, 2, nullptr);
    UtilsStream_Chunk chunk(kProfileTagFades);
    chunk.Open(kStreamReadWriteGrowable);
    ASSERT_EQ(fades->SaveToStream(nullptr, &chunk), kStatusOk);

    TestFades restored(world.GetWorldData());
    chunk.Rewind();
    ASSERT_EQ(restored.LoadFromStream(&chunk), kStatusOk);
    ASSERT_EQ(restored.GetCount(), 3u);
    EXPECT_EQ(restored.GetFade(2)->GetKind(), uint32_t(kFadeThrowAxis));
    EXPECT_EQ(static_cast<CFadeItem4*>(restored.GetFade(3))->GetProgress(), 0.0f);

    // A damaged copy: an unknown kind, a huge capacity, a cut, an element outside the object.
    UtilsStream_Chunk copy(kProfileTagFades);
    copy.Open(kStreamReadWriteGrowable);
    ASSERT_EQ(fades->SaveToStream(nullptr, &copy), kStatusOk);
    copy.Rewind();
    std::vector<uint8_t> bytes;
    bytes.resize(static_cast<size_t>(copy.BytesLeft()));
    copy.Read(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    auto load = [&](std::vector<uint8_t> b) {
        UtilsStream_Chunk c(kProfileTagFades);
        c.Open(kStreamReadWriteGrowable);
        c.Write(b.data(), 1, static_cast<uint32_t>(b.size()));
        c.Rewind();
        const Status status = restored.LoadFromStream(&c);
        EXPECT_EQ(restored.GetCount(), 0u);
        return status;
    };
    auto unknownKind = bytes;
    unknownKind[8] = 6;
    auto hugeCapacity = bytes;
    hugeCapacity[7] = 0x7F;
    auto cut = bytes;
    cut.resize(bytes.size() - 3);
    auto badElement = bytes;
    badElement[16] = 5;   // the first slot's element index
    for (auto& damaged : {unknownKind, hugeCapacity, cut, badElement})
        EXPECT_EQ(load(damaged), kStatusFailed);
}

}  // namespace
