// The click-effect interface: its registration, the copies that clicks start and the draw that
// plays each to its end, the marks it needs, and its saved words.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kEffects = 3;
constexpr uint32_t kSparkle = 1;

// The effects object, whose sparkle fades out over two keys of ten frame steps each.
class CTestEffects : public CFixtureObject<CObjectsInterfaceEffects> {
public:
    CTestEffects(WorldData* w, RequestLog* log)
        : CFixtureObject<CObjectsInterfaceEffects>(w, kEffects, kObjectKindEffects, "effects",
                                                   std::vector<const char*>{"glint", "sparkle"}, log)
    {
    }
    void GiveSparkleItsTrack()
    {
        m_pModifierTable = static_cast<C3DObjectModifier* (*)[kElementTrackKinds]>(
            UTILS_CALLOC(m_elementCount, sizeof(C3DObjectModifier*[kElementTrackKinds])));
        m_modifierRows = m_elementCount;
        C3DModifierAlphaKey keys[2] = {{0, 10.0f, 1.0f}, {0, 10.0f, 0.0f}};
        C3DObjectModifier* alpha = CreateObjectModifier(kModifierDirectAlpha, m_pWorldData);
        ASSERT_EQ(alpha->CreateFromKeys(nullptr, kSparkle, keys, 2, 2, 1.0f), kStatusOk);
        m_pModifierTable[kSparkle][kModifierDirectAlpha] = alpha;
        ElementRecord* sparkle = GetItemRecord(kSparkle);
        sparkle->pTracks = static_cast<AnimationTrack*>(UTILS_CALLOC(1, sizeof(AnimationTrack)));
        sparkle->pTracks[0] = AnimationTrack{kModifierPlayOnce, 0, 0, 0, 0, nullptr};
        sparkle->trackCount = 1;
    }
};

ScriptBuiltinCall Words(const char* word, const char* value)
{
    ScriptBuiltinCall call{};
    call.arguments[0] = reinterpret_cast<uintptr_t>(word);
    call.arguments[1] = reinterpret_cast<uintptr_t>(value);
    call.argumentCount = 2;
    return call;
}

class ClickEffectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Objects()->Forget();
        world.Build("");
        effects = std::make_unique<CTestEffects>(world.GetWorldData(), &world.requests);
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get(), effects.get()});
        world.Objects()->SetInterface(kInterfaceEffects, kEffects);
        ASSERT_EQ(effects->Load(), kStatusOk);
        effects->GiveSparkleItsTrack();
        world.GetWorldData()->frameTime = 1.0;
    }
    void TearDown() override
    {
        effects.reset();
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get()});
    }
    Status Set(const char* word, const char* value)
    {
        ScriptBuiltinCall call = Words(word, value);
        return effects->CObjectsInterfaceEffects::setObjectParameters(call);
    }
    Status Click(uint32_t element)
    {
        return effects->StartClickEffect(world.hall.get(), world.hall->GetItemRecord(element));
    }
    // Draws the hall's copies until `count` are left; the frames it took (0: not within 100).
    int DrawUntil(uint32_t count)
    {
        for (int n = 1; n <= 100; ++n) {
            effects->DrawClickEffects(0);
            if (effects->GetRunningCount() == count)
                return n;
        }
        return 0;
    }

    CBuiltinWorld world;
    std::unique_ptr<CTestEffects> effects;
};

TEST_F(ClickEffectsTest, RegistrationNamesAnElementOfTheObjectAndEveryOtherWordPasses)
{
    EXPECT_EQ(Set("register_click_effect", "nothing"), kStatusFailed);
    EXPECT_EQ(effects->GetEffectElement(), -1);
    EXPECT_EQ(Set("register_click_effect", "sparkle"), kStatusDoneStoreResult);
    EXPECT_EQ(effects->GetEffectElement(), int32_t(kSparkle));
    // It plays only where clicks put it.
    EXPECT_EQ(effects->GetItemRecord(kSparkle)->noDraw, 1);
    EXPECT_EQ(Set("another_word", "x"), kStatusDoneStoreResult);
    ScriptBuiltinCall call = Words("register_click_effect", nullptr);
    EXPECT_EQ(effects->getObjectParameters(call), kStatusFailed);
}

TEST_F(ClickEffectsTest, NoCopyStartsBeforeTheMarksOrWithoutTracks)
{
    ASSERT_EQ(Set("register_click_effect", "sparkle"), kStatusDoneStoreResult);
    // The marks come with the object's check, at its second activation step.
    EXPECT_EQ(Click(0), kStatusFailed);
    ASSERT_EQ(effects->CheckSetup(), kStatusOk);
    EXPECT_EQ(Click(0), kStatusOk);
    EXPECT_EQ(effects->StartClickEffect(nullptr, world.hall->GetItemRecord(0)), kStatusFailed);
    ASSERT_EQ(Set("register_click_effect", "glint"), kStatusDoneStoreResult);
    EXPECT_EQ(Click(0), kStatusFailed);  // the glint has no animation
    EXPECT_EQ(effects->GetRunningCount(), 0u);
}

TEST_F(ClickEffectsTest, TwoQuickClicksPlayTwoCopiesEachFromItsStart)
{
    ASSERT_EQ(Set("register_click_effect", "sparkle"), kStatusDoneStoreResult);
    ASSERT_EQ(effects->CheckSetup(), kStatusOk);
    ASSERT_EQ(Click(0), kStatusOk);
    for (int n = 0; n < 5; ++n)
        effects->DrawClickEffects(0);
    ASSERT_EQ(Click(2), kStatusOk);
    EXPECT_EQ(effects->GetRunningCount(), 2u);
    // Another object's draw plays none of them.
    effects->DrawClickEffects(1);
    const int first = DrawUntil(1);
    EXPECT_GT(first, 0);
    EXPECT_EQ(DrawUntil(0), 5);

    // Registering again drops what plays.
    ASSERT_EQ(Click(0), kStatusOk);
    ASSERT_EQ(Click(1), kStatusOk);
    ASSERT_EQ(Set("register_click_effect", "sparkle"), kStatusDoneStoreResult);
    EXPECT_EQ(effects->GetRunningCount(), 0u);
}

TEST_F(ClickEffectsTest, TheSavedWordsAreThisObjectsElementOrNone)
{
    const auto load = [&](int32_t object, int32_t element) {
        UtilsStream_Chunk chunk(1);
        chunk.Open(kStreamReadWriteGrowable);
        chunk.Write(&object, 4, 1);
        chunk.Write(&element, 4, 1);
        chunk.Rewind();
        return effects->LoadClickEffectState(&chunk);
    };
    EXPECT_EQ(load(-1, -1), kStatusOk);
    EXPECT_EQ(effects->GetEffectElement(), -1);
    EXPECT_EQ(load(int32_t(kEffects), 1), kStatusOk);
    EXPECT_EQ(effects->GetEffectElement(), 1);
    struct Damage {
        int32_t object, element;
    };
    for (const Damage& d : {Damage{0, 1}, Damage{int32_t(kEffects), 2}, Damage{int32_t(kEffects), -1},
                            Damage{-1, 0}, Damage{7, 0}}) {
        EXPECT_EQ(load(d.object, d.element), kStatusFailed) << d.object << " " << d.element;
        EXPECT_EQ(effects->GetEffectElement(), 1);
    }
    UtilsStream_Chunk saved(1);
    saved.Open(kStreamReadWriteGrowable);
    ASSERT_EQ(effects->SaveClickEffectState(&saved), kStatusOk);
    EXPECT_EQ(saved.GetPayloadSize(), 8u);
}

}  // namespace
