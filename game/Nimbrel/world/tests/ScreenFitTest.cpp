// The screen fit: scales, text scale and texture halvings of a window, the fit of the
// reference screen, the view rectangle, and what a bad reference or a minimised window does.
#include <gtest/gtest.h>

#include <cmath>

#include "NimbrelWorld/ScreenFit.h"
#include "ObjectsFixture.h"
#include "RecordingWorld.h"
#include "VornelUtils/PowerOfTwo.h"

namespace {

struct ScaleCase {
    const char* name;
    uint16_t width, height;
    float diagonal;
    int32_t assetRow;
    float referenceWidth, referenceHeight;
    bool expectedResult;
    float widthRatio, textScale;
    uint8_t smallScreen, levelShift;
};

}  // namespace

TEST(ScreenFit, ScreenScaleTable)
{
    const float small = 0.78125f + 0.21875f * 0.33f;
    const ScaleCase cases[] = {
        {"larger than the reference", 2048, 1536, 0.0f, 0, 1024, 768, false, 1.0f, 1.0f, 0, 0},
        {"800x600", 800, 600, 0.0f, 0, 1024, 768, true, 0.78125f, 0.78125f, 0, 0},
        {"800x600, 5 inches", 800, 600, 5.0f, 0, 1024, 768, true, 0.78125f, small, 1, 0},
        {"800x600, 8 inches", 800, 600, 8.0f, 0, 1024, 768, true, 0.78125f, 0.78125f, 0, 0},
        {"512x384", 512, 384, 0.0f, 0, 1024, 768, true, 0.5f, 0.5f, 0, 1},
        {"512x384, .SD assets", 512, 384, 0.0f, 3, 1024, 768, true, 0.5f, 0.5f, 0, 0},
        {"reference 0 x 0", 800, 600, 0.0f, 0, 0, 0, true, 0.78125f, 0.78125f, 0, 0},
        {"negative reference", 800, 600, 0.0f, 0, -5, 768, true, 0.78125f, 0.78125f, 0, 0},
    };
    for (const ScaleCase& c : cases) {
        RecordingWorld world;
        world.ReadScreenSettings();
        GameScreenScale& s = world.GetGameData()->screen;
        s.referenceWidth = c.referenceWidth;
        s.referenceHeight = c.referenceHeight;
        s.assetIndex = c.assetRow;
        EXPECT_EQ(world.ComputeScreenScale(c.width, c.height, c.diagonal), c.expectedResult) << c.name;
        EXPECT_FLOAT_EQ(s.widthRatio, c.widthRatio) << c.name;
        EXPECT_FLOAT_EQ(s.heightRatio, c.widthRatio) << c.name;
        EXPECT_FLOAT_EQ(s.textScale, c.textScale) << c.name;
        EXPECT_FLOAT_EQ(s.uniformScaleX, c.widthRatio) << c.name;
        EXPECT_FLOAT_EQ(s.depthScale, 1.0f) << c.name;
        EXPECT_EQ(s.smallScreen, c.smallScreen) << c.name;
        EXPECT_EQ(s.textureLevelShift, c.levelShift) << c.name;
        EXPECT_FLOAT_EQ(s.referenceWidth, 1024.0f) << c.name;
        EXPECT_FLOAT_EQ(s.referenceHeight, 768.0f) << c.name;
    }
}

TEST(ScreenFit, PowersOfTwoAndTextureLevel)
{
    EXPECT_EQ(NextPowerOfTwo(1), 1u);
    EXPECT_EQ(NextPowerOfTwo(3), 4u);
    EXPECT_EQ(NextPowerOfTwo(4), 4u);
    EXPECT_EQ(NextPowerOfTwo(0), 2u);
    EXPECT_EQ(ChooseTextureLevel(512, 384, 1024, 768), 1);
    EXPECT_EQ(ChooseTextureLevel(256, 768, 1024, 768), 0);  // the smaller of the two axes
    EXPECT_EQ(ChooseTextureLevel(2048, 1536, 1024, 768), 0);
}

TEST(ScreenFit, FitOfTheReferenceScreen)
{
    float fit[4], safe[4], overflow[2];
    // The default reference in a window of its own size: no scale, no offset.
    ASSERT_TRUE(ComputeScreenFit(1024, 768, 1024, 768, 0, 1, fit, safe, overflow));
    EXPECT_FLOAT_EQ(fit[2], 1.0f);
    EXPECT_FLOAT_EQ(fit[3], 1.0f);
    EXPECT_FLOAT_EQ(fit[0], 0.0f);
    EXPECT_FLOAT_EQ(fit[1], 0.0f);
    EXPECT_FLOAT_EQ(safe[0], 64.0f);
    EXPECT_FLOAT_EQ(safe[3], 1308.0f);

    // Another reference keeps the 0.9375 margin: a 1200-wide window fits 1280 x 0.9375.
    ASSERT_TRUE(ComputeScreenFit(1200, 900, 1280, 960, 0, 0, fit, nullptr, overflow));
    EXPECT_FLOAT_EQ(fit[2], 1200.0f / 1200.0f);
    ASSERT_TRUE(ComputeScreenFit(600, 900, 1280, 960, 0, 0, fit, nullptr, overflow));
    EXPECT_FLOAT_EQ(fit[2], 600.0f / 1200.0f);
    ASSERT_TRUE(ComputeScreenFit(600, 900, 1024, 768, 0, 0, fit, nullptr, overflow));
    EXPECT_FLOAT_EQ(fit[2], 600.0f / 1024.0f);
    EXPECT_FLOAT_EQ(overflow[0], 0.0f);

    // A bad reference is the default one: no division by zero.
    ASSERT_TRUE(ComputeScreenFit(600, 900, 0, 0, 0, 0, fit, nullptr, nullptr));
    EXPECT_FLOAT_EQ(fit[2], 600.0f / 1024.0f);
    // Null outputs are allowed.
    EXPECT_TRUE(ComputeScreenFit(600, 900, 1024, 768, 1, 1, nullptr, nullptr, nullptr));
}

// The safe rectangle is laid out for a screen of 2048 x 1536: the play area is it in the
// reference's own coordinates, a bad reference taken as the default.
TEST(ScreenFit, PlayAreaIsTheSafeRectangleInSceneCoordinates)
{
    struct Case {
        float width, height, area[4];
    } cases[] = {{1024.0f, 768.0f, {32.0f, 114.0f, 992.0f, 654.0f}},
                 {2048.0f, 1536.0f, {64.0f, 228.0f, 1984.0f, 1308.0f}},
                 {0.0f, 0.0f, {32.0f, 114.0f, 992.0f, 654.0f}}};
    for (const Case& c : cases) {
        float area[4];
        ComputePlayArea(c.width, c.height, area);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(area[i], c.area[i]) << c.width << " " << i;
    }
}

TEST(ScreenFit, ViewRectangleMapsTheWindowCorners)
{
    RecordingWorld world;
    world.ReadScreenSettings();
    WorldData* w = world.GetWorldData();
    const GameScreenScale& s = world.GetGameData()->screen;
    for (const auto& size : {std::pair<uint16_t, uint16_t>{800, 600}, {1280, 720}, {640, 960}}) {
        w->realWidth = size.first;
        w->realHeight = size.second;
        ASSERT_EQ(world.Relayout(), kStatusOk);
        // Reference -> window of each corner gives the window's corners back.
        EXPECT_NEAR(s.viewLeft * s.viewScaleX + s.viewX, 0.0f, 1e-3f);
        EXPECT_NEAR(s.viewTop * s.viewScaleY + s.viewY, 0.0f, 1e-3f);
        EXPECT_NEAR(s.viewRight * s.viewScaleX + s.viewX, size.first, 1e-3f);
        EXPECT_NEAR(s.viewBottom * s.viewScaleY + s.viewY, size.second, 1e-3f);
        EXPECT_FLOAT_EQ(s.viewTransform[0], s.uniformScaleX);
        EXPECT_FLOAT_EQ(s.viewTransform[10], 1.0f);
    }

    // Minimised: the view of the last visible size stays, with no NaN in it.
    const float left = s.viewLeft, right = s.viewRight, scale = s.textScale;
    w->realWidth = 0;
    ASSERT_EQ(world.Relayout(), kStatusOk);
    EXPECT_FLOAT_EQ(s.viewLeft, left);
    EXPECT_FLOAT_EQ(s.viewRight, right);
    EXPECT_FLOAT_EQ(s.textScale, scale);
    EXPECT_FALSE(std::isnan(s.viewBottom));
}

TEST(ScreenFit, RelayoutReloadsRegisteredManagersInOrder)
{
    RecordingWorld world;
    world.ReadScreenSettings();
    world.GetWorldData()->realWidth = 800;
    world.GetWorldData()->realHeight = 600;
    RecordingManager a(world.GetWorldData(), &world.trace, "A");
    RecordingManager b(world.GetWorldData(), &world.trace, "B", false, true);
    RecordingManager c(world.GetWorldData(), &world.trace, "C");
    world.RegisterManager(&a);
    world.RegisterManager(&b);
    world.RegisterManager(&c);
    world.trace.clear();
    EXPECT_EQ(world.Relayout(), kStatusFailed);
    EXPECT_EQ(world.trace, (Trace{"A.Reload", "B.Reload"}));
}

// A level that notes each layout in a trace, and can refuse one.
class LayoutObject : public SceneTestObject {
public:
    LayoutObject(WorldData* w, uint32_t number, const char* name, Trace* layouts)
        : SceneTestObject(w, number, 512, name, nullptr), m_layouts(layouts)
    {
    }
    Status UpdateComponents() override
    {
        m_layouts->push_back(m_pName);
        return fails ? kStatusFailed : kStatusOk;
    }
    bool fails = false;

private:
    Trace* m_layouts;
};

TEST(ScreenFit, RelayoutLaysEverySceneObjectOutAgainAfterTheManagers)
{
    RecordingWorld world;
    world.ReadScreenSettings();
    WorldData* w = world.GetWorldData();
    w->realWidth = 800;
    w->realHeight = 600;
    EXPECT_EQ(world.Relayout(), kStatusOk);  // no objects manager yet
    auto* objects = new TestObjectsManager(w);
    world.SetManager(kManagerObjects, objects);
    Trace layouts;
    std::vector<SceneTestObject*> made;
    for (const char* name : {"menu", "hall", "study"})
        made.push_back(new LayoutObject(w, uint32_t(made.size()), name, &layouts));
    objects->Adopt(made);
    RecordingManager manager(w, &layouts, "screenshot");
    world.RegisterManager(&manager);
    ASSERT_EQ(world.Relayout(), kStatusOk);
    EXPECT_EQ(layouts, (Trace{"screenshot.Reload", "menu", "hall", "study"}));
    // The first object that refuses ends the relayout with the failure.
    static_cast<LayoutObject*>(made[1])->fails = true;
    layouts.clear();
    EXPECT_EQ(world.Relayout(), kStatusFailed);
    EXPECT_EQ(layouts, (Trace{"screenshot.Reload", "menu", "hall"}));
    world.SetManager(kManagerObjects, nullptr);
}
