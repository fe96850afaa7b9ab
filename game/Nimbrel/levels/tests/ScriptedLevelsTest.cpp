// The spider and mixture levels, played by their scripts: every word taken and ignored, no
// "skip", "pause" or "resume", the spider deaf to the mouse and the mixture's items clicked as
// in a seek-and-find scene, and their saved scene-object part read back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelMixture.h"
#include "NimbrelLevels/CObjectsLevelSpider.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

template <class Kind>
struct ScriptedLevel {
    explicit ScriptedLevel(uint32_t typeCode)
    {
        world.Scripts()->Init();
        level = std::make_unique<CFixtureObject<Kind>>(world.GetWorldData(), 0, typeCode, "level",
                                                       std::vector<const char*>{"web", "fly"}, &world.requests);
        world.Objects()->Adopt({level.get()});
        EXPECT_EQ(level->Load(), kStatusOk);
    }
    ~ScriptedLevel()
    {
        world.Objects()->Forget();
        level.reset();
    }
    CBuiltinWorld world;
    std::unique_ptr<CFixtureObject<Kind>> level;
};

template <class Kind>
void ExpectScriptedAnswers(Kind& level)
{
    // Every word is taken and changes nothing (the kind's own handler, under the fixture's).
    for (const char* word : {"spider_speed", "", "mixture_item_name"}) {
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(word, "7");
        EXPECT_EQ(level.CObjectsLevelScripted::setObjectParameters(call), kStatusDoneStoreResult) << word;
    }
    // "skip" is not handled and finishes nothing; "abuse" is the level base's.
    for (auto [name, value] : {std::pair{"event", "skip"}, {"event", "other"}, {"spider_action", "1"}}) {
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(name, value);
        EXPECT_EQ(level.setObjectExtraRender(call), kStatusDoneNoResult) << name << " " << value;
    }
    EXPECT_FALSE(level.IsFinished());
    ScriptBuiltinCall abuse = ScriptBuiltinCall::Texts("abuse", "on");
    EXPECT_EQ(level.setObjectExtraRender(abuse), kStatusDoneStoreResult);
    EXPECT_EQ(level.GetAbuse(), 1);
    // No command is taken, "reset" included, which lets the level finish again.
    for (const char* command : {"reset", "pause", "resume", "finished"})
        EXPECT_EQ(level.OnCommand(command), kStatusFailed) << command;
    EXPECT_EQ(level.CheckSetup(), kStatusOk);
}

TEST(ScriptedLevels, WordsEventsAndCommands)
{
    ScriptedLevel<CObjectsLevelSpider> spider(kObjectKindSpider);
    ExpectScriptedAnswers(*spider.level);
    ScriptedLevel<CObjectsLevelMixture> mixture(kObjectKindMixture);
    ExpectScriptedAnswers(*mixture.level);
    EXPECT_EQ(CObjectsLevelSpider(nullptr, 0, 0).GetTypeCode(), kObjectKindSpider);
    EXPECT_EQ(CObjectsLevelMixture(nullptr, 0, 0).GetTypeCode(), kObjectKindMixture);
}

TEST(ScriptedLevels, TheSpiderTakesNoMouseAndTheMixtureLeavesItToItsItems)
{
    ScriptedLevel<CObjectsLevelSpider> spider(kObjectKindSpider);
    EXPECT_EQ(spider.level->OnMouseDown(10.0f, 10.0f, 1), kStatusOk);
    EXPECT_EQ(spider.level->OnMouseMove(12.0f, 10.0f, 1), kStatusOk);
    EXPECT_EQ(spider.level->OnMouseUp(12.0f, 10.0f, 0), kStatusOk);
    EXPECT_EQ(spider.level->OnClick(12.0f, 10.0f, 0), kStatusFailed);
    EXPECT_EQ(spider.level->GetHeldElement(), -1);
    // The mixture's press and click are the scene object's: with nothing under the point,
    // neither is taken.
    ScriptedLevel<CObjectsLevelMixture> mixture(kObjectKindMixture);
    EXPECT_EQ(mixture.level->OnMouseDown(10.0f, 10.0f, 1), spider.level->CObjectsBase::OnMouseDown(10.0f, 10.0f, 1));
    EXPECT_NE(mixture.level->OnMouseDown(10.0f, 10.0f, 1), kStatusOk);
}

// A level's saved scene-object part, loaded into a fresh level of its kind.
template <class Kind>
void ExpectPartReadBack(uint32_t typeCode)
{
    ScriptedLevel<Kind> saved(typeCode);
    saved.level->SetAlpha(0.25f);
    const std::vector<uint8_t> payload = SavedPayload(*saved.level);
    ScriptedLevel<Kind> loaded(typeCode);
    EXPECT_EQ(LoadPayload(*loaded.level, payload), kStatusOk);
    EXPECT_EQ(loaded.level->GetAlpha(), 0.25f);
}

TEST(ScriptedLevels, BothSaveAndReadBackTheirSceneObjectPart)
{
    ExpectPartReadBack<CObjectsLevelSpider>(kObjectKindSpider);
    ExpectPartReadBack<CObjectsLevelMixture>(kObjectKindMixture);
}

}  // namespace
