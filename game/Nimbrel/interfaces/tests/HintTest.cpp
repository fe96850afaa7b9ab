// The hint button: what it may point at, the seeded pick, the effect's phases, a click-test
// function that refuses, the help button against the hint button, the effect drawn over its
// target only while that target exists, and the saved state's bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

constexpr uint32_t kHint = 3;
constexpr uint32_t kKey = 0, kCandle = 1, kBook = 2;
// The hint's elements.
constexpr int32_t kButton = 0, kHelp = 1, kGlow = 2;

// The hint with the element under the pointer chosen by the test, and its sounds and tutorial
// notices kept.
class CTestHint : public CFixtureObject<CObjectsInterfaceHint> {
public:
    using CFixtureObject::CFixtureObject;

    int32_t hit = -1;
    std::vector<std::string> sounds;
    bool tutorial = false;
    TutorialStep step = {0, kHint, 0, 0, 0};
    uint32_t tutorialInputs = 0;

    Status FindElementAt(float, float, HitRecord* pRecord, float, int32_t, float*, float*) override
    {
        pRecord->element = hit;
        return hit >= 0 ? kStatusOk : kStatusFailed;
    }
    Status Click() { return OnClick(0.0f, 0.0f, 0); }
    Status Word(const char* word, const char* value)
    {
        ScriptBuiltinCall call{};
        call.arguments[0] = reinterpret_cast<uintptr_t>(word);
        call.arguments[1] = reinterpret_cast<uintptr_t>(value);
        call.argumentCount = 2;
        return CObjectsInterfaceHint::setObjectParameters(call);
    }

protected:
    void PlayDefaultClick() override { sounds.push_back("default"); }
    void PlayNullClick() override { sounds.push_back("null"); }
    void PlayElementSound(uint32_t sound) override { sounds.push_back("sound " + std::to_string(sound)); }
    bool GetTutorialStep(TutorialStep* pStep) override
    {
        *pStep = step;
        return tutorial;
    }
    void OnTutorialInput() override { ++tutorialInputs; }
};

class HintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Build("");
        WorldData* w = world.GetWorldData();
        w->frameTime = 1.0;
        hint = std::make_unique<CTestHint>(w, kHint, kObjectKindHint, "hint",
                                           std::vector<const char*>{"button", "help", "glow"}, &world.requests);
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get(), hint.get()});
        world.Objects()->SetCurrentObject(world.hall.get());
        world.hall->SetModelLoaded(1);
        ASSERT_EQ(hint->Load(), kStatusOk);
        ASSERT_EQ(hint->Word("hint_click", "button"), kStatusDoneStoreResult);
        hint->hit = kButton;
    }
    void TearDown() override
    {
        world.SetManager(kManagerObjective, nullptr);
        hint.reset();
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get()});
    }
    // The hall's three items with these flag words.
    void Flags(uint32_t key, uint32_t candle, uint32_t book)
    {
        world.hall->GetItemRecord(kKey)->flags = key;
        world.hall->GetItemRecord(kCandle)->flags = candle;
        world.hall->GetItemRecord(kBook)->flags = book;
    }
    std::vector<uint32_t> Candidates()
    {
        std::vector<uint32_t> candidates;
        EXPECT_EQ(hint->GetCandidates(&candidates), kStatusOk);
        return candidates;
    }
    // Frames until the effect leaves `state`.
    uint32_t TicksIn(uint32_t state)
    {
        uint32_t ticks = 0;
        while (hint->GetEffectState() == state && ticks < 1000) {
            hint->UpdateState();
            ++ticks;
        }
        return ticks;
    }
    void MakeObjective(uint32_t identifier)
    {
        auto* objectives = new CObjectiveManager(world.GetWorldData());
        world.SetManager(kManagerObjective, objectives);
        ASSERT_EQ(objectives->AddObjective(identifier), kStatusOk);
    }

    CBuiltinWorld world;
    std::unique_ptr<CTestHint> hint;
};

constexpr uint32_t kH = kElementHintable;

TEST_F(HintTest, CandidatesAreHintableItemsStillToFindInTheCurrentLevel)
{
    struct Case {
        uint32_t flags;
        bool candidate;
    };
    const Case cases[] = {
        {kH | kElementClickable, true},
        {kH | kElementDraggable, true},
        {kH | kElementRotatable, true},
        {kElementClickable, false},                      // clickable but not hintable
        {kH, false},                                     // hintable but nothing to do with it
        {kH | kElementClickable | kElementFound, false}, // found already
        {kH | kElementHasDropRecord | kElementDropTarget, false},
    };
    for (const Case& c : cases) {
        Flags(kH | kElementClickable, c.flags, 0);
        const std::vector<uint32_t> expected =
            c.candidate ? std::vector<uint32_t>{kKey, kCandle} : std::vector<uint32_t>{kKey};
        EXPECT_EQ(Candidates(), expected) << std::hex << c.flags;
    }
    // In the menu, or over an interface, there is nothing to point at.
    world.Objects()->SetCurrentObject(nullptr);
    EXPECT_TRUE(Candidates().empty());
    world.Objects()->SetCurrentObject(world.bar.get());
    world.bar->GetItemRecord(0)->flags = kH | kElementClickable;
    EXPECT_TRUE(Candidates().empty());
}

TEST_F(HintTest, TheSeededGeneratorPicksTheTarget)
{
    Flags(kH | kElementClickable, kH | kElementClickable, kH | kElementClickable);
    std::vector<int32_t> picked;
    for (uint32_t seed : {1u, 7u, 99u, 1234u, 5555u, 31337u}) {
        WorldData* w = world.GetWorldData();
        UtilsRandom_Seed(w, seed);
        const uint32_t r = UtilsRandom_Next(w);
        UtilsRandom_Seed(w, seed);
        ASSERT_EQ(hint->Click(), kStatusOk);
        const int32_t expected = int32_t((uint64_t(r) * 3) >> 32);
        EXPECT_EQ(hint->GetTarget().level, 0);
        EXPECT_EQ(hint->GetTarget().element, expected) << seed;
        picked.push_back(expected);
    }
    // Every click plays the button's click and asks the zoom back.
    EXPECT_EQ(hint->sounds, std::vector<std::string>(6, "default"));
    EXPECT_TRUE(world.Objects()->IsZoomResetRequested());
}

TEST_F(HintTest, TheEffectFadesInStaysAndFadesOutByTheDefaultDurations)
{
    ASSERT_EQ(hint->Word("hint_effect", "glow"), kStatusDoneStoreResult);
    ElementRecord* glow = hint->GetItemRecord(kGlow);
    glow->flags |= kElementHidden;
    Flags(kH | kElementClickable, 0, 0);
    ASSERT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->GetEffectState(), kHintFadingIn);
    EXPECT_EQ(glow->flags & kElementHidden, 0u);
    EXPECT_EQ(glow->alpha, 0.0f);
    // Each phase by a step of 1/30, 1/90 and 1/30 a tick; a sum of steps may land just short of
    // the end, so one tick either way.
    EXPECT_NEAR(TicksIn(kHintFadingIn), 30, 1);
    EXPECT_NEAR(glow->alpha, 1.0f, 0.05f);
    EXPECT_NEAR(TicksIn(kHintShown), 90, 1);
    EXPECT_EQ(glow->alpha, 1.0f);
    EXPECT_NEAR(TicksIn(kHintFadingOut), 30, 1);
    EXPECT_EQ(hint->GetEffectState(), kHintIdle);
    EXPECT_EQ(glow->alpha, 0.0f);
    EXPECT_NE(glow->flags & kElementHidden, 0u);
}

TEST_F(HintTest, WithoutAnEffectElementAnEmitterCirclesTheItemForThreeSeconds)
{
    auto* particles = new CParticules(world.GetWorldData());
    world.SetManager(kManagerParticles, particles);
    Flags(0, kH | kElementClickable, 0);
    ASSERT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(particles->GetEmitterCount(), 1u);
    EXPECT_EQ(hint->GetEffectState(), kHintIdle);
    EXPECT_EQ(hint->GetTarget().element, int32_t(kCandle));
    // 90 ticks, then it is gone.
    for (int i = 0; i < 90; ++i)
        particles->Update();
    EXPECT_EQ(particles->GetEmitterCount(), 1u);
    particles->Update();
    EXPECT_EQ(particles->GetEmitterCount(), 0u);
    world.SetManager(kManagerParticles, nullptr);
}

TEST_F(HintTest, AClickWhileShownRestartsTheShownPhaseAndOneWhileFadingOutFadesBackIn)
{
    ASSERT_EQ(hint->Word("hint_effect", "glow"), kStatusDoneStoreResult);
    Flags(kH | kElementClickable, 0, 0);
    ASSERT_EQ(hint->Click(), kStatusOk);
    TicksIn(kHintFadingIn);
    for (int i = 0; i < 60; ++i)
        hint->UpdateState();
    ASSERT_EQ(hint->GetEffectState(), kHintShown);
    ASSERT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->GetEffectState(), kHintShown);
    EXPECT_EQ(hint->GetProgress(), 0.0f);
    EXPECT_NEAR(TicksIn(kHintShown), 90, 1);
    for (int i = 0; i < 10; ++i)
        hint->UpdateState();
    const float level = hint->GetProgress();
    ASSERT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->GetEffectState(), kHintFadingIn);
    EXPECT_EQ(hint->GetProgress(), level);
}

TEST_F(HintTest, AClickTestReturningZeroRefusesWithTheNullClickExceptInDeveloperMode)
{
    hint->source = "var asked = 0;\nfunction CanHint() { asked++; return 0; }\nfunction Yes() { return 1; }\n";
    ASSERT_EQ(hint->LoadScript(0, 0), kStatusOk);
    hint->tutorial = true;
    Flags(kH | kElementClickable, 0, 0);
    ASSERT_EQ(hint->Word("hint_click_test", "CanHint"), kStatusDoneStoreResult);
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->sounds, std::vector<std::string>{"null"});
    EXPECT_EQ(hint->GetTarget().level, -1);
    EXPECT_EQ(hint->tutorialInputs, 0u);
    EXPECT_EQ(CBuiltinWorld::Global(hint.get(), "asked"), 1u);

    world.GetWorldData()->pGame->developerMode = 1;
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->GetTarget().element, int32_t(kKey));
    EXPECT_EQ(hint->tutorialInputs, 1u);
    world.GetWorldData()->pGame->developerMode = 0;

    // A function that says yes, then one the script does not have: the click fails.
    ASSERT_EQ(hint->Word("hint_click_test", "Yes"), kStatusDoneStoreResult);
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->tutorialInputs, 2u);
    // A tutorial switched off hears nothing of the hint.
    hint->step.off = 1;
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->tutorialInputs, 2u);
    ASSERT_EQ(hint->Word("hint_click_test", "Missing"), kStatusDoneStoreResult);
    EXPECT_EQ(hint->Click(), kStatusFailed);
}

TEST_F(HintTest, WithNothingLeftTheHelpButtonAnswersInsteadOfTheHintButton)
{
    Flags(kElementClickable | kElementFound, 0, 0);
    // No objective: the null click.
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->sounds, std::vector<std::string>{"null"});
    MakeObjective(4);
    hint->sounds.clear();
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->sounds, std::vector<std::string>{"default"});

    // With a help button the hint button says nothing; the help button shows the objective.
    ASSERT_EQ(hint->Word("help_click", "help"), kStatusDoneStoreResult);
    hint->GetItemRecord(kHelp)->clickSound = 9;
    hint->sounds.clear();
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_TRUE(hint->sounds.empty());
    hint->hit = kHelp;
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_EQ(hint->sounds, std::vector<std::string>{"sound 9"});
    // While something is left, the help button does nothing.
    Flags(kH | kElementClickable, 0, 0);
    hint->sounds.clear();
    EXPECT_EQ(hint->Click(), kStatusOk);
    EXPECT_TRUE(hint->sounds.empty());
    EXPECT_EQ(hint->GetTarget().level, -1);
}

TEST_F(HintTest, WordsBindTheHintsElementsAndRefuseUnknownNames)
{
    EXPECT_EQ(hint->Word("hint_effect", "nothing"), kStatusFailed);
    EXPECT_EQ(hint->GetEffectElement(), -1);
    EXPECT_EQ(hint->Word("hint_size", "glow"), kStatusFailed);
    EXPECT_EQ(hint->Word("hint_click_test", "First"), kStatusDoneStoreResult);
    EXPECT_EQ(hint->Word("hint_click_test", "Second"), kStatusDoneStoreResult);
    EXPECT_STREQ(hint->GetClickTest(), "Second");
    EXPECT_EQ(hint->CheckSetup(), kStatusOk);
    // Without an extra-text table no popup name is known.
    EXPECT_EQ(hint->SetHintPopup("find_six", nullptr), kStatusFailed);
    EXPECT_EQ(hint->GetPopupName(), nullptr);
}

TEST_F(HintTest, TheEffectIsDrawnOverItsTargetOnlyWhileTheTargetExists)
{
    ASSERT_EQ(hint->Word("hint_effect", "glow"), kStatusDoneStoreResult);
    Flags(0, 0, kH | kElementClickable);
    ASSERT_EQ(hint->Click(), kStatusOk);
    ElementRecord* glow = hint->GetItemRecord(kGlow);
    glow->alpha = 1.0f;
    ElementRecord* book = world.hall->GetItemRecord(kBook);
    world.GetWorldData()->pMath->SetIdentity(book->localMatrix);
    book->localMatrix[12] = 300.0f;
    book->localMatrix[13] = 200.0f;
    EXPECT_EQ(hint->PrepareElementDraw(glow, 1.0f, 1), kStatusOk);
    float expected[16];
    world.GetWorldData()->pMath->Multiply(expected, book->localMatrix, world.hall->GetElementViewMatrix(book));
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(glow->worldMatrix[i], expected[i]) << i;
    // The level unloaded: nothing to draw over.
    world.hall->SetModelLoaded(0);
    EXPECT_EQ(hint->PrepareElementDraw(glow, 1.0f, 1), kStatusFailed);
    EXPECT_NE(glow->drawState, uint32_t(kDrawVisible));
}

// A state saved and read back is the same state; damaged states are refused.
TEST_F(HintTest, TheSavedStateRoundTripsAndDamagedBytesAreRefused)
{
    ASSERT_EQ(hint->Word("hint_effect", "glow"), kStatusDoneStoreResult);
    ASSERT_EQ(hint->Word("help_click", "help"), kStatusDoneStoreResult);
    Flags(0, kH | kElementClickable, 0);
    ASSERT_EQ(hint->Click(), kStatusOk);
    hint->UpdateState();
    ASSERT_EQ(hint->Word("hint_click_test", "CanHint"), kStatusDoneStoreResult);

    const auto save = [&](CObjectsInterfaceHint& from) {
        UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
        out.Open();
        UtilsStream_ChunkList list(&out);
        UtilsStream_Chunk* chunk = list.CreateChunk(1, nullptr);
        EXPECT_EQ(from.SaveHintState(chunk), kStatusOk);
        EXPECT_TRUE(list.WriteAll());
        const auto* block = static_cast<const uint8_t*>(out.GetBlock());
        std::vector<uint8_t> bytes(block, block + out.GetSize());
        out.Close();
        return bytes;
    };
    const auto load = [&](CObjectsInterfaceHint& into, std::vector<uint8_t> bytes) {
        UtilsStream_Static in(kStreamRead, bytes.data(), uint32_t(bytes.size()));
        in.Open();
        UtilsStream_ChunkList list(&in);
        UtilsStream_Chunk* chunk = list.ReadFirst();
        const Status status = chunk ? into.LoadHintState(chunk) : kStatusFailed;
        in.Close();
        return status;
    };
    const std::vector<uint8_t> bytes = save(*hint);
    CTestHint again(world.GetWorldData(), kHint, kObjectKindHint, "hint",
                    std::vector<const char*>{"button", "help", "glow"}, &world.requests);
    ASSERT_EQ(load(again, bytes), kStatusOk);
    EXPECT_EQ(again.GetEffectState(), kHintFadingIn);
    EXPECT_EQ(again.GetProgress(), hint->GetProgress());
    EXPECT_EQ(again.GetHelpElement(), kHelp);
    EXPECT_EQ(again.GetHintElement(), kButton);
    EXPECT_EQ(again.GetEffectElement(), kGlow);
    EXPECT_STREQ(again.GetClickTest(), "CanHint");
    EXPECT_EQ(again.GetPopupName(), nullptr);
    EXPECT_EQ(again.GetTarget().level, 0);
    EXPECT_EQ(again.GetTarget().element, int32_t(kCandle));
    EXPECT_EQ(save(again), bytes);

    // The state ends with the target's level and element.
    struct Damage {
        const char* what;
        size_t offset;   // from the end of the bytes
        int32_t value;
    };
    const Damage damages[] = {
        {"target element past the level", 4, 3},
        {"target level past the scene", 8, 4},
        {"target element of no level", 8, -2},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(bad.data() + bad.size() - d.offset, &d.value, 4);
        CTestHint damaged(world.GetWorldData(), kHint, kObjectKindHint, "hint",
                          std::vector<const char*>{"button", "help", "glow"}, &world.requests);
        EXPECT_EQ(load(damaged, bad), kStatusFailed) << d.what;
        EXPECT_EQ(damaged.GetTarget().level, -1) << d.what;
        EXPECT_EQ(damaged.GetClickTest(), nullptr) << d.what;
    }
    // A short state is refused too.
    std::vector<uint8_t> shortened(bytes.begin(), bytes.end() - 2);
    CTestHint cut(world.GetWorldData(), kHint, kObjectKindHint, "hint",
                  std::vector<const char*>{"button", "help", "glow"}, &world.requests);
    EXPECT_EQ(load(cut, shortened), kStatusFailed);
}

}  // namespace
