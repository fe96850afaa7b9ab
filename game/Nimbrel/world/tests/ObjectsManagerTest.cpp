// The objects manager's walks, pointer input, zoom and pan, and saved state, over recording
// scene objects.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "NimbrelWorld/ObjectKindTable.h"
#include "ObjectsFixture.h"
#include "VornelUtils/WorldData.h"

namespace {

// Objects 0 hall (level), 1 attic (level), 2 popups, 3 toolbox, 4 tuto, 5 menu; active in this
// order, the menu on top.
class ObjectsManager : public ::testing::Test {
public:
    ObjectsManager()
    {
        const struct {
            uint32_t type;
            const char* name;
        } rows[] = {{kObjectKindExploration, "hall"}, {kObjectKindExploration, "attic"},
                    {kObjectKindPopups, "popups"},    {kObjectKindToolbox, "toolbox"},
                    {kObjectKindTuto, "tuto"},        {kObjectKindMenu, "menu"}};
        for (uint32_t i = 0; i < 6; ++i)
            list.push_back(new SceneTestObject(&w, i, rows[i].type, rows[i].name, &trace));
        objects.Adopt(list);
        objects.SetInterface(kInterfacePopups, 2);
        objects.SetInterface(kInterfaceToolbox, 3);
        objects.SetInterface(kInterfaceTutorial, 4);
        objects.SetInterface(kInterfaceMenu, 5);
        objects.Activate(list);
        objects.SetCurrentObject(list[1]);
    }
    // The objects asked by a release that nobody takes, top first.
    Trace Clicked()
    {
        trace.clear();
        objects.OnMouseUp(10.0f, 10.0f, 0);
        return trace;
    }

    WorldData w = {};
    Trace trace;
    std::vector<SceneTestObject*> list;
    TestObjectsManager objects{&w};
};

TEST_F(ObjectsManager, PointerWalkFilters)
{
    const struct {
        const char* name;
        void (*set)(ObjectsManager& t);
        Trace asked;
    } cases[] = {
        {"all eligible", [](ObjectsManager&) {}, {"click menu", "click toolbox", "click popups", "click attic", "click hall"}},
        // Interfaces from the popups' number up still get input; levels and lower interfaces not.
        {"popup open", [](ObjectsManager& t) { t.objects.popupShowing = true; },
         {"click menu", "click toolbox", "click popups"}},
        {"popup owned by the attic", [](ObjectsManager& t) { t.objects.popupOwner = 1; },
         {"click menu", "click toolbox", "click popups"}},
        {"tool box open", [](ObjectsManager& t) { t.objects.toolboxOwner = 0; }, {"click menu", "click toolbox"}},
        {"overlay level", [](ObjectsManager& t) { t.list[1]->Set(1, 1, 0, 1); },
         {"click menu", "click toolbox", "click popups", "click attic"}},
        {"locked", [](ObjectsManager& t) { t.list[1]->Set(1, 1, 1); },
         {"click menu", "click toolbox", "click popups", "click hall"}},
        {"hidden", [](ObjectsManager& t) { t.list[5]->Set(0, 1, 0); },
         {"click toolbox", "click popups", "click attic", "click hall"}},
        {"unwanted", [](ObjectsManager& t) { t.list[0]->Set(1, 0, 0); },
         {"click menu", "click toolbox", "click popups", "click attic"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (SceneTestObject* object : list)
            object->Set(1, 1, 0);
        objects.popupShowing = false;
        objects.popupOwner = objects.toolboxOwner = kNoObjectIndex;
        c.set(*this);
        // The tutorial object never takes part: it is asked apart.
        EXPECT_EQ(Clicked(), c.asked);
    }
}

TEST_F(ObjectsManager, APressGoesToTheTopMostTakerWhichGetsTheGesture)
{
    list[0]->takesDown = true;
    list[0]->takesUp = true;
    objects.OnMouseDown(5.0f, 5.0f, 1);
    EXPECT_EQ(trace, (Trace{"down menu", "down toolbox", "down popups", "down attic", "down hall"}));
    EXPECT_EQ(objects.GetCapturedObject(), list[0]);
    trace.clear();
    objects.OnMouseMove(6.0f, 6.0f, 1);
    objects.OnMouseUp(6.0f, 6.0f, 0);
    EXPECT_EQ(trace, (Trace{"move hall", "up hall"}));
    EXPECT_EQ(objects.GetCapturedObject(), nullptr);
    EXPECT_EQ(objects.nullClicks, 0);
}

TEST_F(ObjectsManager, ATakenDragFeedsTheDragTrackerAndAPanDoesNot)
{
    ASSERT_EQ(objects.Load(), kStatusOk);
    CDragInertia* drag = objects.GetDragInertia();
    ASSERT_NE(drag, nullptr);
    // Four moves of 40 every 10 ms: 40 x 0.01 x the default speed of 30.
    const auto dragFrom = [&](float x) {
        objects.OnMouseDown(x, 0.0f, 1);
        for (int i = 1; i <= 4; ++i) {
            DragTicks() += 10000;
            objects.OnMouseMove(x + 40.0f * float(i), 0.0f, 1);
        }
        objects.OnMouseUp(x + 160.0f, 0.0f, 0);
    };
    list[0]->takesDown = list[0]->takesUp = true;
    dragFrom(0.0f);
    EXPECT_FLOAT_EQ(drag->GetVelocityX(), 12.0f);
    EXPECT_EQ(drag->GetVelocityY(), 0.0f);
    // The next taken press starts over; an untaken one only pans and leaves the speed alone.
    objects.OnMouseDown(0.0f, 0.0f, 1);
    EXPECT_EQ(drag->GetVelocityX(), 0.0f);
    objects.OnMouseUp(0.0f, 0.0f, 0);
    list[0]->takesDown = false;
    dragFrom(0.0f);
    EXPECT_EQ(drag->GetVelocityX(), 0.0f);
    objects.Release();
    EXPECT_EQ(objects.GetDragInertia(), nullptr);
}

TEST_F(ObjectsManager, AnUntakenPressPansAndItsReleasePlaysNoNullClick)
{
    objects.OnMouseDown(100.0f, 100.0f, 1);
    objects.OnMouseMove(90.0f, 96.0f, 1);
    EXPECT_EQ(objects.IsPanning(), 1);
    objects.OnMouseUp(90.0f, 96.0f, 0);
    EXPECT_EQ(objects.nullClicks, 0);
    // A plain click on nothing plays it, unless something is open.
    objects.OnMouseDown(100.0f, 100.0f, 1);
    objects.OnMouseUp(100.0f, 100.0f, 0);
    EXPECT_EQ(objects.nullClicks, 1);
    objects.popupShowing = true;
    objects.OnMouseDown(100.0f, 100.0f, 1);
    objects.OnMouseUp(100.0f, 100.0f, 0);
    EXPECT_EQ(objects.nullClicks, 1);
}

TEST_F(ObjectsManager, PanMovesTheSceneWithinItsBoundsWhileZoomed)
{
    objects.SetZoomDelta(1.0f);
    objects.UpdateView(0);
    ASSERT_EQ(objects.GetZoom(), 2.0f);
    objects.OnMouseDown(100.0f, 100.0f, 1);
    objects.OnMouseMove(80.0f, 90.0f, 1);
    objects.UpdateView(0);
    EXPECT_FLOAT_EQ(objects.GetPanX(), -10.0f);
    EXPECT_FLOAT_EQ(objects.GetPanY(), -5.0f);
    // Never past the scene's edge: (1024 / 2 - 1024) at most to the left, never to the right.
    objects.OnMouseMove(-5000.0f, 5000.0f, 1);
    objects.UpdateView(0);
    EXPECT_FLOAT_EQ(objects.GetPanX(), -512.0f);
    EXPECT_FLOAT_EQ(objects.GetPanY(), 0.0f);
    // A reset frame puts everything back.
    objects.UpdateView(1);
    EXPECT_EQ(objects.GetZoom(), 1.0f);
    EXPECT_EQ(objects.GetPanX(), 0.0f);
    EXPECT_EQ(w.game.view.matrixScene[0], 1.0f);
}

TEST_F(ObjectsManager, GesturesZoomFromTheirSecondFrameWithinOneAndTheMaximum)
{
    list[0]->takesDown = true;
    objects.OnMouseDown(5.0f, 5.0f, 1);
    trace.clear();
    objects.OnGesture(400.0f, 300.0f, 600.0f, 300.0f);
    // The captured object is let go first.
    EXPECT_EQ(trace, (Trace{"up hall"}));
    EXPECT_EQ(objects.GetCapturedObject(), nullptr);
    EXPECT_EQ(w.game.input.zoomCentreX, 500.0f);
    objects.UpdateView(0);
    EXPECT_EQ(objects.GetZoom(), 1.0f);  // the first frame only records the distance
    objects.OnGesture(350.0f, 300.0f, 650.0f, 300.0f);
    objects.UpdateView(0);
    EXPECT_FLOAT_EQ(objects.GetZoom(), 1.5f);  // 100 more pixels x 0.005
    objects.OnGesture(0.0f, 300.0f, 2000.0f, 300.0f);
    objects.UpdateView(0);
    EXPECT_FLOAT_EQ(objects.GetZoom(), 3.0f);  // the view's maximum
    objects.OnGestureEnd();
    objects.OnGesture(0.0f, 300.0f, 10.0f, 300.0f);
    objects.OnGesture(0.0f, 300.0f, 5.0f, 300.0f);
    objects.SetZoomDelta(-10.0f);
    objects.UpdateView(0);
    EXPECT_EQ(objects.GetZoom(), 1.0f);
}

TEST_F(ObjectsManager, ThePointUnderTheZoomCentreStaysPut)
{
    w.game.input.zoomCentreX = 300.0f;
    w.game.input.zoomCentreY = 200.0f;
    auto sceneAt = [&](float screen, float pan) { return screen / objects.GetZoom() - pan; };
    const float beforeX = sceneAt(300.0f, objects.GetPanX());
    for (float delta : {0.5f, 0.25f, -0.5f}) {
        objects.SetZoomDelta(delta);
        objects.UpdateView(0);
        EXPECT_FLOAT_EQ(sceneAt(300.0f, objects.GetPanX()), beforeX) << delta;
        EXPECT_FLOAT_EQ(sceneAt(200.0f, objects.GetPanY()), 200.0f) << delta;
        // The scene matrix maps that point back under the centre, 300 pixels in.
        const float mapped = beforeX * w.game.view.matrixScene[0] + w.game.view.matrixScene[12];
        EXPECT_NEAR(mapped, 300.0f, 1e-3f);
    }
}

TEST_F(ObjectsManager, EachViewScalesByItsFactorsAndMovesByTheFit)
{
    // A point p lands at window pixel (m[0] p.x + m[12], m[5] p.y + m[13]).
    const auto pixel = [](const float* m, float x, float y) { return std::make_pair(m[0] * x + m[12], m[5] * y + m[13]); };
    objects.view.factorX = 2.0f;
    objects.view.factorY = 0.5f;
    objects.view.offsetX = 10.0f;
    objects.view.offsetY = 20.0f;
    objects.view.screenWidth = 800.0f;
    objects.view.screenHeight = 600.0f;
    objects.view.alternateOffsetX = 30.0f;
    objects.view.alternateOffsetY = 40.0f;
    objects.view.alternateFactorX = objects.view.alternateFactorY = 4.0f;
    objects.view.interfaceFactorX = 2.0f;
    objects.view.interfaceFactorY = 0.5f;
    objects.view.interfaceOffsetX = 5.0f;
    objects.view.interfaceOffsetY = 0.0f;
    objects.UpdateView(1);
    const GameViewRecord& v = w.game.view;
    // The scene and third views are placed by the fit; the interface view by its own.
    EXPECT_EQ(pixel(v.matrixScene, 100.0f, 100.0f), std::make_pair(210.0f, 70.0f));
    EXPECT_EQ(pixel(v.matrixAlternate, 100.0f, 100.0f), std::make_pair(210.0f, 70.0f));
    EXPECT_EQ(pixel(v.matrixOverlay, 100.0f, 100.0f), std::make_pair(205.0f, 50.0f));
    EXPECT_EQ(std::memcmp(v.matrixPopup, v.matrixOverlay, sizeof v.matrixPopup), 0);
    EXPECT_EQ(v.matrixScene[10], 1.0f);
    EXPECT_EQ(v.matrixScene[15], 1.0f);
    EXPECT_EQ(v.virtualScreenWidth, 400.0f);
    EXPECT_EQ(v.virtualScreenHeight, 1200.0f);
    EXPECT_EQ(v.interfaceScaleX, 2.0f);
    // The alternate view takes its own factors and offset.
    objects.view.alternate = 1;
    objects.UpdateView(1);
    EXPECT_EQ(pixel(v.matrixAlternate, 10.0f, 10.0f), std::make_pair(70.0f, 80.0f));
    // Zoomed 2x: the scene point that lands on a pixel is half as far from the panned origin.
    objects.SetZoomDelta(1.0f);
    objects.UpdateView(0);
    ASSERT_EQ(objects.GetZoom(), 2.0f);
    const float x = 210.0f / 4.0f - objects.GetPanX(), y = 120.0f / 1.0f - objects.GetPanY();
    const auto corner = pixel(v.matrixScene, x, y);
    EXPECT_NEAR(corner.first, 220.0f, 1e-3f);
    EXPECT_NEAR(corner.second, 140.0f, 1e-3f);
}

TEST_F(ObjectsManager, RequestZoomResetEasesAndResetZoomSnaps)
{
    objects.SetZoomDelta(1.0f);
    objects.UpdateView(0);
    objects.RequestZoomReset();
    objects.UpdateView(0);
    EXPECT_FLOAT_EQ(objects.GetZoom(), 2.0f - 2.0f * 0.95f * 0.05f);
    int frames = 1;
    while (objects.IsZoomResetRequested() && frames < 1000) {
        objects.UpdateView(0);
        ++frames;
    }
    EXPECT_EQ(objects.GetZoom(), 1.0f);
    EXPECT_GT(frames, 10);
    objects.SetZoomDelta(1.0f);
    objects.UpdateView(0);
    objects.ResetZoom();
    EXPECT_EQ(objects.GetZoom(), 1.0f);
}

TEST_F(ObjectsManager, UpdateAndDrawWalkFromHeadToTail)
{
    list[4]->Set(0, 1, 0);
    objects.Update();
    // The popups and tool box update only over the object that opened them.
    EXPECT_EQ(trace, (Trace{"update hall", "update attic", "update menu"}));
    trace.clear();
    objects.popupOwner = 0;
    objects.Update();
    EXPECT_EQ(trace, (Trace{"update hall", "update attic", "update popups", "update menu"}));
    trace.clear();
    objects.Render();
    EXPECT_EQ(trace, (Trace{"draw hall", "draw attic", "draw menu"}));
}

TEST_F(ObjectsManager, CursorAndHitTestsFromTheTop)
{
    list[1]->takesCursor = true;
    EXPECT_EQ(objects.OfferCursor(1.0f, 1.0f), kStatusOk);
    EXPECT_EQ(trace, (Trace{"cursor menu", "cursor toolbox", "cursor popups", "cursor attic"}));
    list[1]->takesCursor = false;
    EXPECT_EQ(objects.OfferCursor(1.0f, 1.0f), kStatusFailed);
}

TEST_F(ObjectsManager, TheStateIsTheSevenInterfaceIndices)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    ASSERT_EQ(objects.SaveState(&stream), kStatusOk);
    ASSERT_EQ(stream.GetSize(), 28u);
    const std::vector<uint8_t> saved = StreamBytes(stream);
    stream.Close();
    const uint32_t expected[7] = {5, kNoObjectIndex, 2, 3, 4, kNoObjectIndex, kNoObjectIndex};
    EXPECT_EQ(std::memcmp(saved.data(), expected, 28), 0);

    const struct {
        uint32_t words[7];
        Status status;
    } loads[] = {
        {{0, 1, 2, 3, 4, 5, kNoObjectIndex}, kStatusOk},
        {{0, 1, 2, 3, 4, 5, 6}, kStatusFailed},  // past the six objects
    };
    for (const auto& l : loads) {
        UtilsStream_Static in(kStreamRead, const_cast<uint32_t*>(l.words), 28);
        in.Open();
        EXPECT_EQ(objects.LoadState(&in), l.status);
        in.Close();
    }
    EXPECT_EQ(objects.GetInterfaceIndex(kInterfaceLabels), 1u);
    EXPECT_EQ(objects.GetInterfaceIndex(kInterfaceEffects), kNoObjectIndex);
    UtilsStream_Static shortStream(kStreamRead, const_cast<uint8_t*>(saved.data()), 27);
    shortStream.Open();
    EXPECT_EQ(objects.LoadState(&shortStream), kStatusFailed);
    shortStream.Close();
}

TEST(ObjectsManagerRelease, SkipsEmptySlotsAndAMissingArray)
{
    WorldData w = {};
    TestObjectsManager objects(&w);
    EXPECT_EQ(objects.Release(), kStatusOk);
    objects.Adopt({new SceneTestObject(&w, 0, kObjectKindExploration, "hall", nullptr), nullptr});
    EXPECT_EQ(objects.Release(), kStatusOk);
    EXPECT_EQ(objects.GetObjectCount(), 0u);
}

}  // namespace
