// What the objects manager and the game world hand to the overlays: presses that reach no
// object leave touch marks at the pointer less the cursor's hot spot, the flashlight gets the
// pointer first on a level that uses it, and a move asks for the arrow before the objects ask
// for theirs.
#include <gtest/gtest.h>

#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelManagers/CTouchScreen.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "ObjectsFixture.h"
#include "VornelUtils/WorldData.h"

namespace {

class FlashlightLevel : public SceneTestObject {
public:
    using SceneTestObject::SceneTestObject;
    void SetMode(uint32_t mode) { m_modeWord = mode; }
};

class ObjectsOverlays : public ::testing::Test {
public:
    ObjectsOverlays()
    {
        w = world.GetWorldData();
        world.SetManager(kManagerTouchScreen, touch = new CTouchScreen(w));
        world.SetManager(kManagerFlashlight, light = new CFlashlight(w));
        level = new FlashlightLevel(w, 0, kObjectKindExploration, "cellar", &trace);
        objects.Adopt({level});
        objects.Activate({level});
        objects.SetCurrentObject(level);
    }
    ~ObjectsOverlays() override
    {
        objects.ReleaseObjects();
        for (int32_t slot = 0; slot < kManagerCount; ++slot)
            world.SetManager(slot, nullptr);
    }

    CNimbrelWorld world;
    WorldData* w = nullptr;
    CTouchScreen* touch = nullptr;
    CFlashlight* light = nullptr;
    FlashlightLevel* level = nullptr;
    Trace trace;
    TestObjectsManager objects{world.GetWorldData()};
};

TEST_F(ObjectsOverlays, APressThatNoObjectTakesLeavesAMark)
{
    // Without cursors the hot spot is (0, 0).
    objects.OnMouseDown(100.0f, 80.0f, 0);
    ASSERT_TRUE(touch->GetRecord(0).active);
    EXPECT_EQ(touch->GetRecord(0).x, 100.0f);
    EXPECT_EQ(touch->GetRecord(0).y, 80.0f);
    // The mark follows while the button is held, in the slot of the state word.
    w->leftDown = 1;
    objects.OnMouseMove(110.0f, 90.0f, 1);
    EXPECT_TRUE(touch->GetRecord(1).active);
    EXPECT_EQ(touch->GetRecord(1).x, 110.0f);
    w->leftDown = 0;
    touch->AddTouch(0.0f, 0.0f, 1);
    objects.OnMouseMove(130.0f, 90.0f, 0);
    EXPECT_EQ(touch->GetRecord(1).x, 0.0f) << "a move without a button leaves the marks";

    // A press the level takes leaves none.
    level->takesDown = true;
    touch->AddTouch(0.0f, 0.0f, 0);
    objects.OnMouseDown(50.0f, 50.0f, 0);
    EXPECT_EQ(touch->GetRecord(0).x, 0.0f);
}

TEST_F(ObjectsOverlays, TheFlashlightGetsThePointerOnLevelsThatUseIt)
{
    light->Center();
    objects.OnMouseDown(40.0f, 30.0f, 0);
    EXPECT_EQ(light->GetState(), kFlashlightOff) << "the level does not use it";
    level->SetMode(0x2);
    level->takesDown = true;
    objects.OnMouseDown(40.0f, 30.0f, 0);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOn);
    EXPECT_EQ(light->GetX(), 40.0f);
    EXPECT_EQ(trace.back(), "down cellar") << "the press goes on to the level";
    // Moves reach it only while a button is held.
    objects.OnMouseMove(60.0f, 30.0f, 0);
    EXPECT_EQ(light->GetX(), 40.0f);
    w->leftDown = 1;
    objects.OnMouseMove(60.0f, 35.0f, 0);
    EXPECT_EQ(light->GetX(), 60.0f);
    EXPECT_EQ(light->GetY(), 35.0f);
    w->leftDown = 0;
}

}  // namespace
