// The frame of the game world: update and draw orders, game states and keys.
#include <gtest/gtest.h>

#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "RecordingWorld.h"
#include "Vornel3D_ToolBox/CGammaRamp.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"

namespace {

const Trace kUpdateHead = {"ZoomStep 1", "CParticules.Update", "CScriptManager.Update"};
const Trace kUpdateTail = {
    "CBorders.Update",        "CTransitions.Update",  "CDragDropManager.Update", "CFadeManager.Update",
    "CSurroundManager.Update", "CPositionManager.Update", "CRotationManager.Update", "CScalingManager.Update",
    "CPopupManager.Update",   "CToolboxManager.Update", "CTutoManager.Update",    "CTouchScreen.Update",
    "CCursors.Update"};
const Trace kRenderHead = {"BeginDefaultShader", "RenderParticles 4"};
const Trace kRenderMiddle = {"CTimerManager.Update",   "CBorders.Render",     "RenderParticles -5",
                             "CPopupManager.Render",   "CToolboxManager.Render", "CTutoManager.Render",
                             "CTransitions.Render"};
const Trace kRenderTail = {"SurroundEndFrame", "EndDefaultShader"};

Trace Join(std::initializer_list<Trace> parts)
{
    Trace all;
    for (const Trace& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class WorldFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.FillManagers();
        world.SetGameState(kGameStatePlaying, 0, 0);
        world.levelTypeCode = kObjectKindExploration;
        world.trace.clear();
    }
    Trace Frame()
    {
        world.trace.clear();
        EXPECT_EQ(world.Update(), kStatusOk);
        EXPECT_EQ(world.Render(), kStatusOk);
        EXPECT_EQ(world.GetGameData()->inRender, 0);
        return world.trace;
    }

    RecordingWorld world;
};

}  // namespace

TEST_F(WorldFrame, PlayingRunsTheStateWorkInItsPlace)
{
    EXPECT_EQ(Frame(), Join({kUpdateHead, {"ProfileFrameStep", "CObjectsManager.Update"}, kUpdateTail, kRenderHead,
                             {"CObjectsManager.Render"}, kRenderMiddle, {"CTouchScreen.Render", "CCursors.Render"},
                             kRenderTail}));
    // The menu is no level: the profile's per-frame step is left out.
    world.levelTypeCode = kObjectKindMenu;
    EXPECT_EQ(Frame()[3], "CObjectsManager.Update");
}

TEST_F(WorldFrame, BusyFramesShowOnlyTheProgressBar)
{
    world.GetGameData()->busy = 1;
    EXPECT_EQ(Frame(), Join({kUpdateHead, {"CProgressBar.Update"}, kUpdateTail, kRenderHead, {"CProgressBar.Render"},
                             kRenderMiddle, kRenderTail}));
}

TEST_F(WorldFrame, AScreenTransitionHoldsTheStateStill)
{
    world.transitionActive = true;
    world.transitionFirstHalf = true;
    const Trace noState = Join({kUpdateHead, kUpdateTail, kRenderHead, kRenderMiddle,
                                {"CTouchScreen.Render", "CCursors.Render"}, kRenderTail});
    EXPECT_EQ(Frame(), noState);
    // In its second half the state is drawn again, but not yet updated.
    world.transitionFirstHalf = false;
    EXPECT_EQ(Frame(), Join({kUpdateHead, kUpdateTail, kRenderHead, {"CObjectsManager.Render"}, kRenderMiddle,
                             {"CTouchScreen.Render", "CCursors.Render"}, kRenderTail}));
}

TEST_F(WorldFrame, TheStopFlagFailsTheUpdateAndTouchesNothing)
{
    world.GetGameData()->stop = 1;
    world.GetGameData()->overlayY = 7.0f;
    EXPECT_EQ(world.Update(), StatusCode(0x80000001u));
    EXPECT_TRUE(world.trace.empty());
    EXPECT_EQ(world.GetGameData()->overlayY, 7.0f);
}

TEST(WorldStates, SplashSequencesEndInTheirNextState)
{
    const struct {
        int32_t from;
        int32_t to;
        const char* work;
    } cases[] = {
        {kGameStateSplash, kGameStateWorldLoad, "AdvanceSplash"},
        {kGameStateLevelSplash, kGameStatePlaying, "CheckSplashEnd"},
        {kGameStateLevelVideo, kGameStatePlaying, "CheckSplashEnd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        RecordingWorld world;
        world.SetGameState(c.from, 0, 0);
        world.trace.clear();
        ASSERT_EQ(world.Update(), kStatusOk);
        ASSERT_EQ(world.Render(), kStatusOk);
        EXPECT_EQ(world.GetGameState(), c.from) << "the sequence has not ended";
        world.splashEnded = true;
        world.trace.clear();
        ASSERT_EQ(world.Update(), kStatusOk);
        ASSERT_EQ(world.Render(), kStatusOk);
        EXPECT_EQ(world.GetGameState(), c.to);
        Trace expected = {c.work, "RenderParticles 4"};
        if (c.from == kGameStateSplash)
            expected.push_back("SurroundSplashEnd");
        expected.insert(expected.end(), {"StartTransition 2", "ReleaseSplashImage", "RenderParticles -5",
                                         "SurroundEndFrame"});
        EXPECT_EQ(world.trace, expected);
    }
}

TEST(WorldStates, WorldLoadWaitsForTheFadeThenGoesIdle)
{
    RecordingWorld world;
    world.SetGameState(kGameStateWorldLoad, 0, 0);
    world.fadeZero = false;
    ASSERT_EQ(world.Update(), kStatusOk);
    EXPECT_EQ(world.GetGameState(), kGameStateWorldLoad);
    world.fadeZero = true;
    ASSERT_EQ(world.Update(), kStatusOk);
    EXPECT_EQ(world.GetGameState(), kGameStateIdle);
    EXPECT_EQ(world.GetGameData()->busy, 0);
    // Idle: the managers' own work only, frame after frame.
    world.trace.clear();
    ASSERT_EQ(world.Update(), kStatusOk);
    EXPECT_EQ(world.GetGameState(), kGameStateIdle);
}

TEST(WorldStates, AFailingWorldLoadFailsTheFrameAndStaysBusy)
{
    RecordingWorld world;
    world.makeManagers = true;
    world.failingSlot = kManagerScript;
    world.SetGameState(kGameStateWorldLoad, 0, 0);
    EXPECT_EQ(world.Update(), kStatusFailed);
    EXPECT_EQ(world.GetGameData()->busy, 1);
    EXPECT_EQ(world.GetGameState(), kGameStateWorldLoad);
    EXPECT_EQ(world.GetGameData()->stop, 0) << "a failure is no request to leave";
    // What was made before the failing step stays for the unload.
    EXPECT_NE(world.GetManager(kManagerScaling), nullptr);
    EXPECT_EQ(world.GetManager(kManagerCommandList), nullptr);
}

TEST(WorldStates, LanguageChangeOnlyForAnotherLanguage)
{
    RecordingWorld world;
    world.GetGameData()->language = 3;
    world.ChangeLanguage(3);
    EXPECT_TRUE(world.trace.empty());
    world.ChangeLanguage(5);
    EXPECT_EQ(world.trace, Trace{"StartTransition 2"});
    EXPECT_EQ(world.GetGameState(), kGameStateLanguage);
    ASSERT_EQ(world.Update(), kStatusOk);
    EXPECT_EQ(world.GetGameData()->language, 5);
    EXPECT_EQ(world.GetPendingLanguage(), 5);
    EXPECT_EQ(world.GetGameData()->busy, 0);
}

TEST(WorldKeys, DeveloperModeAndKeys)
{
    struct Key {
        uintptr_t key;
        float speedInDeveloperMode;
        uint8_t debugLine, itemDebug;
    };
    // Applied in order; outside developer mode nothing but the gamma level changes.
    const Key keys[] = {
        {VK_DIVIDE, 0.0f, 0, 0},   {VK_MULTIPLY, 1.0f, 0, 0}, {VK_ADD, 1.05f, 0, 0}, {VK_ADD, 1.1f, 0, 0},
        {VK_SUBTRACT, 1.05f, 0, 0}, {VK_F1 + 1, 1.05f, 1, 0}, {VK_F1 + 2, 1.05f, 1, 1}, {VK_F1 + 1, 1.05f, 0, 1},
    };
    for (uint8_t developer : {0, 1}) {
        SCOPED_TRACE(developer);
        RecordingWorld world;
        world.GetGameData()->developerMode = developer;
        world.SetPlatformIndex(0);
        ASSERT_EQ(world.CreateGammaRamp(), kStatusOk);
        for (const Key& k : keys) {
            world.GetGammaRamp()->SetLevel(200);
            const PlatformMessage down{nullptr, WM_KEYDOWN, k.key, 0, {}};
            EXPECT_EQ(world.OnMessage(&down), kStatusOk);
            EXPECT_FLOAT_EQ(world.GetSpeedFactor(), developer ? k.speedInDeveloperMode : 1.0f) << k.key;
            EXPECT_EQ(world.GetGameData()->debugLine, developer ? k.debugLine : 0);
            EXPECT_EQ(world.GetGameData()->itemDebug, developer ? k.itemDebug : 0);
            EXPECT_EQ(world.GetGammaRamp()->GetLevel(), 200);
        }
        const PlatformMessage gamma{nullptr, WM_KEYDOWN, VK_OEM_7, 0, {}};
        EXPECT_EQ(world.OnMessage(&gamma), kStatusOk);
        EXPECT_EQ(world.GetGammaRamp()->GetLevel(), 127);

        // Alt alone must not open the window menu; a key-menu with a key is left alone.
        for (const auto& c : {std::pair<intptr_t, Status>{0, kStatusFailed},
                              {intptr_t(0xFFFF0000), kStatusFailed},
                              {intptr_t(0x00410000), kStatusOk}}) {
            const PlatformMessage menu{nullptr, WM_SYSCOMMAND, SC_KEYMENU, c.first, {}};
            EXPECT_EQ(world.OnMessage(&menu), c.second) << c.first;
        }

        // Return skips the splash sequence in developer mode only.
        world.SetGameState(kGameStateSplash, 0, 0);
        const PlatformMessage enter{nullptr, WM_KEYDOWN, VK_RETURN, 0, {}};
        world.OnMessage(&enter);
        EXPECT_EQ(world.GetGameState(), developer ? kGameStateWorldLoad : kGameStateSplash);
        world.Unload();
    }
}

TEST(WorldKeys, CharactersAndCommands)
{
    RecordingWorld world;
    world.GetGameData()->developerMode = 1;
    world.SetGameState(kGameStatePlaying, 0, 0);
    world.trace.clear();
    world.OnCharacter(u'x');
    EXPECT_EQ(world.GetWorldData()->lastChar, u'x');
    world.OnCharacter(u'\r');
    world.OnGameCommand(17, 0);
    world.OnGameCommand(21, 0);  // outside 11..20: ignored
    EXPECT_EQ(world.trace, (Trace{"SkipCurrentLevel 0", "SkipCurrentLevel 0"}));
    // While busy characters are not taken.
    world.GetGameData()->busy = 1;
    world.OnCharacter(u'y');
    EXPECT_EQ(world.GetWorldData()->lastChar, u'\r');
}

// A tool box manager whose requests show without a scene: the callers shown, in order.
class ShowingToolbox : public CToolboxManager {
public:
    using CToolboxManager::CToolboxManager;
    std::vector<uint32_t> shown;

protected:
    Status Present(const CToolboxRequest& request) override
    {
        shown.push_back(request.callerObject);
        return ShowToolbox(request.callerObject, request.pFirst);
    }
    Status RegisterWait(const CToolboxRequest&) override { return kStatusOk; }
};

// The developer's Return over an open tool box closes it at once, without the fade of the
// player's close, and skips nothing of the level; a panel asked for behind it shows at once.
TEST(WorldKeys, TheDeveloperSkipClosesTheToolBoxAtOnce)
{
    RecordingWorld world;
    world.GetGameData()->developerMode = 1;
    auto* toolbox = new ShowingToolbox(world.GetWorldData());
    world.SetManager(kManagerToolbox, toolbox);
    ASSERT_EQ(toolbox->Load(), kStatusOk);
    world.SetGameState(kGameStatePlaying, 0, 0);
    ASSERT_EQ(toolbox->AddEntry(kToolboxPanel, 7, 3, "notebook", nullptr, 12, 0, 0), kStatusWait);
    ASSERT_EQ(toolbox->AddEntry(kToolboxPanel, 7, 4, "lens", nullptr, 12, 0, 0), kStatusWait);
    ASSERT_EQ(toolbox->shown, std::vector<uint32_t>{3});
    world.trace.clear();
    const PlatformMessage enter{nullptr, WM_KEYDOWN, VK_RETURN, 0, {}};
    EXPECT_EQ(world.OnMessage(&enter), kStatusOk);
    EXPECT_EQ(toolbox->shown, (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(toolbox->GetQueueCount(), 0u);
    EXPECT_EQ(toolbox->GetState(), uint32_t(kToolboxFadingIn));
    EXPECT_EQ(toolbox->GetCaller(), 4);
    EXPECT_FLOAT_EQ(toolbox->GetAlpha(), 0.0f);
    EXPECT_TRUE(world.trace.empty());
    EXPECT_EQ(world.OnMessage(&enter), kStatusOk);
    EXPECT_EQ(toolbox->GetState(), uint32_t(kToolboxIdle));
    EXPECT_EQ(toolbox->GetCaller(), -1);
    EXPECT_TRUE(world.trace.empty());
    // With the tool box gone, the next skip is the level's.
    EXPECT_EQ(world.OnMessage(&enter), kStatusOk);
    EXPECT_EQ(world.trace, Trace{"SkipCurrentLevel 0"});
}

TEST(WorldOverlay, ItemTextOfAMissingEntry)
{
    CStringsRaw table(nullptr);
    for (const char16_t* text : {u"zero", u"one", u"two"})
        table.Insert(text, -1);
    const struct {
        uint32_t base;
        int32_t index;
        const char16_t* text;
    } cases[] = {
        {1, 0, u"one"}, {1, 1, u"two"}, {1, -1, u"MISSING STRING !!!"}, {1, 2, u"MISSING STRING !!!"},
        {0, 3, u"MISSING STRING !!!"}, {5, 0, u"MISSING STRING !!!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(ResolveItemDebugText(&table, c.base, c.index)), c.text) << c.base << " " << c.index;
    EXPECT_EQ(std::u16string(ResolveItemDebugText(nullptr, 0, 0)), u"MISSING STRING !!!");
}

TEST(WorldStrings, WindowTitleIsTheSecondGameString)
{
    RecordingWorld world;
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    ASSERT_EQ(world.CreateStringsManager(), kStatusOk);
    CStringsRaw* table = world.GetStringsManager()->GetTable();
    ASSERT_NE(table, nullptr);
    char16_t title[kWorldTextSize];
    for (const auto& c : {std::pair<const char16_t*, const char16_t*>{u"Nimbrel", u"MISSING GAME STRING !!!"},
                          {u"The Manor", u"The Manor"}}) {
        table->Insert(c.first, -1);
        ASSERT_EQ(world.GetGameString(kNimbrelClassName, u"fallback", title), kStatusOk);
        EXPECT_EQ(std::u16string(title), c.second);
    }
    // The language in use is the strings manager's.
    world.GetStringsManager()->SetLanguage(4);
    world.ChangeLanguage(4);
    EXPECT_EQ(world.GetGameState(), kGameStateIdle);
    world.Unload();
}
