// The world load and unload as ordered steps, the registered managers and the progress bar.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecordingWorld.h"

namespace {

Trace Filter(const Trace& trace, const std::string& prefix)
{
    Trace out;
    for (const std::string& line : trace)
        if (line.compare(0, prefix.size(), prefix) == 0)
            out.push_back(line.substr(prefix.size()));
    return out;
}

}  // namespace

TEST(WorldLoad, CreatesRegistersAndStepsInOrder)
{
    RecordingWorld world;
    world.makeManagers = true;
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    world.SetGameState(kGameStateWorldLoad, 0, 0);
    world.trace.clear();
    ASSERT_EQ(world.LoadWorld(), kStatusOk);

    EXPECT_EQ(Filter(world.trace, "new "),
              (Trace{"CObjectsManager", "CTimerManager", "CPositionManager", "CRotationManager", "CScalingManager",
                     "CScriptManager", "CCommandListManager", "CFadeManager", "CDragDropManager", "CSurroundManager",
                     "CTutoManager", "CParticules", "CFlashlight", "CBorders", "CAbuse", "CCursors", "CTouchScreen",
                     "CObstruction", "CExtraTextManager", "CObjectiveManager", "CChaptersManager", "CGroups",
                     "CLabels", "CPopupManager", "CToolboxManager"}));
    // The particles and the touch marks are set up instead of loaded.
    const Trace loads = Filter(world.trace, "C");
    EXPECT_EQ(std::count(loads.begin(), loads.end(), "Particules.Load"), 0);
    EXPECT_EQ(std::count(loads.begin(), loads.end(), "TouchScreen.Load"), 0);
    EXPECT_EQ(std::count(loads.begin(), loads.end(), "ObjectsManager.Load"), 1);
    EXPECT_NE(std::find(world.trace.begin(), world.trace.end(),
                        "SetUpParticles 15/0 20/0 25/0 100/0 15/1 15/2 15/3 15/4 20/1 20/2 20/3 20/4 25/1 25/2 25/3 "
                        "25/4 50/1 50/2 50/3 50/4 blend 46"),
              world.trace.end());
    EXPECT_NE(std::find(world.trace.begin(), world.trace.end(),
                        "SetUpTouchScreen 16 FFFFFF00 TOUCH_SCREEN TOUCH_TEXTURE_FILE_NAME"),
              world.trace.end());

    Trace registered;
    for (uint32_t i = 0; i < world.GetRegisteredCount(); ++i)
        registered.push_back(static_cast<RecordingManager*>(world.GetRegistered(i))->Name());
    EXPECT_EQ(registered, (Trace{"CObjectsManager", "CTutoManager", "CParticules", "CFlashlight", "CBorders",
                                 "CAbuse", "CCursors", "CTouchScreen", "CExtraTextManager", "CPopupManager",
                                 "CToolboxManager"}));

    // 44 steps: the bar stops at its maximum of 42; without an audio engine the music still
    // counts six of them.
    ASSERT_EQ(world.progress.size(), 44u);
    for (uint32_t i = 0; i < 44; ++i)
        EXPECT_EQ(world.progress[i], std::min(i + 1, 42u)) << i;
    EXPECT_EQ(world.GetProgressMaximum(), 42u);
    EXPECT_GE(world.nestedFrames, 1u);
    EXPECT_LE(world.nestedFrames, 44u);

    // The main script runs last, in the idle state; the machine's identifier is the name.
    EXPECT_EQ(world.trace.back(), "RunMainScript");
    EXPECT_EQ(world.GetGameState(), kGameStateIdle);
    EXPECT_STREQ(world.GetGameData()->uniqueIdentifier, "Nimbrel");
    EXPECT_EQ(world.GetGameData()->uniqueIdentifierLength, 7u);

    world.SetManager(kManagerProfile, new RecordingManager(world.GetWorldData(), &world.trace, "CProfileManager"));
    world.trace.clear();
    ASSERT_EQ(world.Unload(), kStatusOk);
    EXPECT_EQ(Filter(world.trace, ""),
              (Trace{"CProfileManager.Unload", "CFadeManager.Unload", "CPositionManager.Unload",
                     "CRotationManager.Unload", "CScalingManager.Unload", "CSurroundManager.Unload",
                     "CTutoManager.Unload", "CObjectsManager.Unload", "CExtraTextManager.Unload",
                     "CObjectiveManager.Unload", "CPopupManager.Unload", "CToolboxManager.Unload",
                     "CDragDropManager.Unload", "CChaptersManager.Unload", "CScriptManager.Unload",
                     "CCommandListManager.Unload", "CTimerManager.Unload", "CParticules.Unload",
                     "CFlashlight.Unload", "CBorders.Unload", "CAbuse.Unload", "CTouchScreen.Unload",
                     "CCursors.Unload", "CObstruction.Unload", "CGroups.Unload", "CLabels.Unload"}));
    EXPECT_EQ(world.GetRegisteredCount(), 0u);
    for (int32_t slot = 0; slot < kManagerCount; ++slot)
        EXPECT_EQ(world.GetManager(slot), nullptr) << slot;
}

TEST(WorldLoad, StepsWithoutTheirManagersOnlyAdvanceTheBar)
{
    RecordingWorld world;
    ASSERT_EQ(world.LoadWorld(), kStatusOk);
    EXPECT_EQ(world.trace, Trace{}) << "no manager exists, so no set-up and no main script runs";
    EXPECT_EQ(world.progress.size(), 44u);
    EXPECT_EQ(world.GetRegisteredCount(), 0u);
}

TEST(WorldLoad, RegisteringIgnoresNullAndKeepsOrder)
{
    RecordingWorld world;
    RecordingManager a(world.GetWorldData(), &world.trace, "a"), b(world.GetWorldData(), &world.trace, "b");
    EXPECT_EQ(world.RegisterManager(nullptr), kStatusOk);
    EXPECT_EQ(world.RegisterManager(&a), kStatusOk);
    EXPECT_EQ(world.RegisterManager(&b), kStatusOk);
    ASSERT_EQ(world.GetRegisteredCount(), 2u);
    EXPECT_EQ(world.GetRegistered(0), &a);
    EXPECT_EQ(world.GetRegistered(1), &b);
    EXPECT_EQ(world.GetRegistered(2), nullptr);
}

TEST(WorldLoad, ProgressHelpers)
{
    RecordingWorld world;
    world.EmptyProgress(1);
    EXPECT_EQ(world.progress, (std::vector<uint32_t>{0}));
    world.FillProgress(1);
    EXPECT_EQ(world.progress, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(world.GetProgressMaximum(), 1u);
    // A full bar always draws its frame.
    const uint32_t before = world.nestedFrames;
    world.SetProgressRange(1, 1);
    world.ProgressStep();
    EXPECT_EQ(world.nestedFrames, before + 1);
}
