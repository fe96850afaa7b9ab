// Pointer input of the game world: one receiver per gesture, chosen at the press.
#include <gtest/gtest.h>

#include <functional>

#include "NimbrelWorld/CObjectsManager.h"
#include "ObjectsFixture.h"
#include "RecordingWorld.h"
#include "VornelPlatform/PlatformMessage.h"

namespace {

// A popup manager or tool box that records its input; its release may refuse.
class InputRecorder : public CManagedObject {
public:
    InputRecorder(WorldData* w, Trace* trace, std::string name) : CManagedObject(w), m_trace(trace), m_name(name) {}
    Status OnMouseDown(float, float, uint32_t) override { return Note("down"); }
    Status OnMouseMove(float, float, uint32_t) override { return Note("move"); }
    Status OnMouseUp(float, float, uint32_t) override
    {
        Note("up");
        return refuses ? kStatusFailed : kStatusOk;
    }
    bool refuses = false;

private:
    Status Note(const char* what)
    {
        m_trace->push_back(m_name + " " + what);
        return kStatusOk;
    }
    Trace* m_trace;
    std::string m_name;
};

class InputObjects : public CObjectsManager {
public:
    InputObjects(WorldData* w, Trace* trace) : CObjectsManager(w), m_trace(trace) {}
    Status OnMouseDown(float, float, uint32_t) override { return Note("down"); }
    Status OnMouseMove(float, float, uint32_t) override { return Note("move"); }
    Status OnMouseUp(float, float, uint32_t) override { return Note("up"); }
    void OnMouseWheel(float) override { Note("wheel"); }
    Status OnGesture(float, float, float, float) override { return Note("gesture"); }
    void Capture(CObjectsBase* pObject) { m_pCapturedObject = pObject; }

private:
    Status Note(const char* what)
    {
        m_trace->push_back(std::string("objects ") + what);
        return kStatusOk;
    }
    Trace* m_trace;
};

class InputWorld : public RecordingWorld {
public:
    InputWorld()
    {
        SetManager(kManagerObjects, objects = new InputObjects(GetWorldData(), &trace));
        SetManager(kManagerPopup, popups = new InputRecorder(GetWorldData(), &trace, "popups"));
        SetManager(kManagerToolbox, toolbox = new InputRecorder(GetWorldData(), &trace, "toolbox"));
        SetGameState(kGameStatePlaying, 0, 0);
        trace.clear();
    }
    bool popupOpen = false, objectPopupOpen = false, toolboxOpen = false, abuseShowing = false;
    InputObjects* objects;
    InputRecorder* popups;
    InputRecorder* toolbox;

    Trace Gesture(const std::function<void(InputWorld&)>& between = nullptr)
    {
        trace.clear();
        OnMouseDown(10.0f, 10.0f, 0);
        OnMouseMove(12.0f, 10.0f, 0);
        if (between)
            between(*this);
        OnMouseUp(12.0f, 10.0f, 0);
        return trace;
    }

protected:
    bool IsPopupOpen() override { return popupOpen; }
    bool IsObjectPopupOpen() override { return objectPopupOpen; }
    bool IsToolboxOpen() override { return toolboxOpen; }
    bool IsAbuseShowing() override { return abuseShowing; }
    void AbuseClick() override { trace.push_back("abuse click"); }
    void PlayPenaltyClick() override { trace.push_back("penalty click"); }
};

TEST(InputRouting, EachGestureGoesToTheReceiverChosenAtThePress)
{
    const Trace toObjects = {"objects down", "objects move", "objects up"};
    const Trace toPopups = {"popups down", "popups move", "popups up"};
    const struct {
        const char* name;
        std::function<void(InputWorld&)> set;
        Trace expected;
    } cases[] = {
        {"playing", [](InputWorld&) {}, toObjects},
        {"a transition shows: press and release reach nobody", [](InputWorld& w) { w.fadeZero = false; }, {}},
        {"a popup takes input in play", [](InputWorld& w) { w.popupOpen = true; }, toPopups},
        {"and in any state", [](InputWorld& w) { w.popupOpen = true, w.SetGameState(kGameStateLevelChange, 0, 0); },
         toPopups},
        {"outside play nobody", [](InputWorld& w) { w.SetGameState(kGameStateIdle, 0, 0); }, {}},
        {"busy ignores input", [](InputWorld& w) { w.GetGameData()->busy = 1; }, {}},
        {"the abuse penalty: the press reaches nobody, the release is the penalty",
         [](InputWorld& w) { w.abuseShowing = true; }, {"penalty click", "abuse click"}},
        {"an open tool box gets the release first", [](InputWorld& w) { w.toolboxOpen = true; },
         {"objects down", "objects move", "toolbox up"}},
        {"a refused tool-box release reaches the scene",
         [](InputWorld& w) { w.toolboxOpen = true, w.toolbox->refuses = true; },
         {"objects down", "objects move", "toolbox up", "objects up"}},
        {"an open object popup before the tool box",
         [](InputWorld& w) { w.objectPopupOpen = w.toolboxOpen = true, w.popups->refuses = true; },
         {"objects down", "objects move", "popups up", "objects up"}},
    };
    for (const auto& c : cases) {
        InputWorld world;
        c.set(world);
        EXPECT_EQ(world.Gesture(), c.expected) << c.name;
    }
}

TEST(InputRouting, TheReceiverStaysForTheWholeGesture)
{
    InputWorld world;
    // A popup opening during the gesture does not take its release.
    EXPECT_EQ(world.Gesture([](InputWorld& w) { w.popupOpen = true; }),
              (Trace{"objects down", "objects move", "objects up"}));
    world.popupOpen = false;
    // A transition starting during it neither.
    EXPECT_EQ(world.Gesture([](InputWorld& w) { w.fadeZero = false; }),
              (Trace{"objects down", "objects move", "objects up"}));
    world.fadeZero = true;
    EXPECT_EQ(world.GetStoredInputReceiver(), kInputObjects);
    // A scene object holding the press keeps the release from the tool box.
    world.toolboxOpen = true;
    SceneTestObject held(world.GetWorldData(), 0, kObjectKindExploration, "hall", nullptr);
    EXPECT_EQ(world.Gesture([&held](InputWorld& w) { w.objects->Capture(&held); }),
              (Trace{"objects down", "objects move", "objects up"}));
    world.objects->Capture(nullptr);
    world.toolboxOpen = false;
    // A flagged call is not the managed world's: ignored.
    world.trace.clear();
    world.OnMouseDown(1.0f, 1.0f, 1);
    world.OnMouseUp(1.0f, 1.0f, 1);
    EXPECT_EQ(world.trace, Trace{});
}

TEST(InputRouting, TheWheelAndGesturesReachTheScene)
{
    InputWorld world;
    world.popupOpen = true;
    world.trace.clear();
    world.OnMouseWheel(1.0f);
    EXPECT_EQ(world.trace, Trace{"objects wheel"});
    // Two-finger gestures only while the scene holds the gesture.
    world.OnMouseDown(1.0f, 1.0f, 0);
    world.trace.clear();
    world.OnGesture(0.0f, 0.0f, 5.0f, 5.0f);
    EXPECT_EQ(world.trace, Trace{});
    world.popupOpen = false;
    world.OnMouseDown(1.0f, 1.0f, 0);
    world.trace.clear();
    world.OnGesture(0.0f, 0.0f, 5.0f, 5.0f);
    EXPECT_EQ(world.trace, Trace{"objects gesture"});
}

// The window's messages through the game world into its own objects manager, over one level
// that takes nothing: what a player's drag over the empty scene does.
class SceneWorld : public RecordingWorld {
public:
    SceneWorld()
    {
        WorldData* w = GetWorldData();
        w->virtualWidth = 1024;
        w->virtualHeight = 768;
        w->scaleX = w->scaleY = 1.0f;
        SetManager(kManagerObjects, objects = new TestObjectsManager(w));
        auto* hall = new SceneTestObject(w, 0, kObjectKindExploration, "hall", nullptr);
        objects->Adopt({hall});
        objects->Activate({hall});
        objects->SetCurrentObject(hall);
        SetGameState(kGameStatePlaying, 0, 0);
    }
    void Send(uint32_t message, int16_t x, int16_t y)
    {
        PlatformMessage m{};
        m.message = message;
        const bool held = message == WM_LBUTTONDOWN || (message != WM_LBUTTONUP && GetWorldData()->leftDown);
        m.wParam = held ? MK_LBUTTON : 0;
        m.lParam = Platform_MakeLParam(x, y);
        OnMessage(&m);
    }
    TestObjectsManager* objects;
};

TEST(InputRouting, ADragOverTheEmptySceneMovesTheZoomedSceneAndPlaysNoClick)
{
    SceneWorld world;
    world.objects->SetZoomDelta(1.0f);
    world.objects->UpdateView(0);
    ASSERT_EQ(world.objects->GetZoom(), 2.0f);
    world.Send(WM_LBUTTONDOWN, 100, 100);
    world.Send(WM_MOUSEMOVE, 80, 90);
    EXPECT_EQ(world.objects->IsPanning(), 1);
    world.objects->UpdateView(0);
    EXPECT_FLOAT_EQ(world.objects->GetPanX(), -10.0f);
    EXPECT_FLOAT_EQ(world.objects->GetPanY(), -5.0f);
    world.Send(WM_LBUTTONUP, 80, 90);
    EXPECT_EQ(world.objects->nullClicks, 0);
    // With the button up the pointer only moves; a click without a drag is a click on nothing.
    world.Send(WM_MOUSEMOVE, 60, 60);
    world.objects->UpdateView(0);
    EXPECT_FLOAT_EQ(world.objects->GetPanX(), -10.0f);
    world.Send(WM_LBUTTONDOWN, 60, 60);
    world.Send(WM_LBUTTONUP, 60, 60);
    EXPECT_EQ(world.objects->nullClicks, 1);
}

}  // namespace
