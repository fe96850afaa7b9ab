// The game's cursors, touch marks, borders, flashlight and obstruction quad, drawn through the
// OpenGL renderer on a 256 x 192 window whose definition is the same size.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "GLWorldFixture.h"
#include "NimbrelManagers/CBorders.h"
#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelManagers/CObstruction.h"
#include "NimbrelManagers/CTouchScreen.h"
#include "Vornel3D/C3DObject.h"

namespace {

// The sheet's eight cells, 16 x 16 pixels each, four a row.
constexpr uint32_t kCellColours[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                      0xFF00FFFF, 0xFFFF00FF, 0xFF808080, 0xFFFFFFFF};

class OverlaysTest : public GLWorldFixture {
protected:
    void SetUp() override
    {
        Open(256, 192, "");
        if (IsSkipped() || HasFatalFailure())
            return;
        GameScreenScale& screen = Data()->pGame->screen;
        screen.referenceWidth = 256.0f;
        screen.referenceHeight = 192.0f;
        Pack({{"cursors.png", Picture(".png", 64, 32, [](int x, int y) { return kCellColours[y / 16 * 4 + x / 16]; })},
              {"touch.png", Picture(".png", 8, 8, [](int, int) { return 0xFFFFFFFFu; })},
              {"obstruction.png", Picture(".png", 8, 8, [](int, int) { return 0xFFFFFFFFu; })},
              // Clear inside a circle of half the picture's side, black outside it.
              {"flashlight.tga", Tga(64, 64, [](int x, int y) {
                   return std::hypot(x - 31.5, y - 31.5) < 24.0 ? 0x00000000u : 0xFF000000u;
               })}});
    }

    // Settings from now on.
    void Settings(const std::string& text)
    {
        m_settingsText = text;
        m_settings = std::make_unique<UtilsParameters_Text>(m_settingsText.c_str(), uint32_t(m_settingsText.size()));
        Data()->pAppSettings = m_settings.get();
    }

    // The cursors of a [CURSORS] section over the 4 x 2 sheet.
    CCursors* Cursors(const std::string& keys)
    {
        // The first of two equal keys counts: the case's keys come first.
        Settings("[CURSORS]\n" + keys + "CURSORS_SIZE = 32\nCURSORS_TEXTURE_DIV_X = 4\nCURSORS_TEXTURE_DIV_Y = 2\n");
        auto* cursors = new CCursors(Data());
        m_world->SetManager(kManagerCursors, cursors);
        EXPECT_EQ(cursors->Load(), kStatusOk) << LastError();
        return cursors;
    }

    // Frame-step units of updates, one unit a frame.
    template <typename Manager>
    void Run(Manager* manager, int units)
    {
        for (int i = 0; i < units; ++i)
            manager->Update();
    }

    void Press(bool held) { Data()->leftDown = held ? 1 : 0; }

    Rgba Drawn(const std::function<void()>& draw, int x, int y, uint32_t clear = 0xFF204060u)
    {
        BeginFrame(clear);
        draw();
        return Pixel(x, y);
    }
};

// The colour of cell i as read back.
Rgba Cell(uint32_t i)
{
    const uint32_t c = kCellColours[i];
    return {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
}

const char* const kTwoCursors =
    "CURSORS_COUNT = 2\n"
    "CURSOR_1_NAME = arrow\nCURSOR_1_START = 1\nCURSOR_1_STOP = 2\nCURSOR_1_TIME = 1.0\n"
    "CURSOR_2_NAME = clickable\nCURSOR_2_START = 3\nCURSOR_2_STOP = 6\nCURSOR_2_TIME = 2.0\n"
    "CURSOR_2_OFFSET_X = 20\nCURSOR_2_OFFSET_Y = 7\n";

TEST_F(OverlaysTest, CursorEdgeCases)
{
    const struct Case {
        const char* what;
        std::string keys;
        std::function<void(CCursors&)> check;
    } cases[] = {
        {"an empty table shows cell 0, still; a name fails, null asks for cursor 0", "CURSORS_COUNT = 0\n",
         [this](CCursors& c) {
             EXPECT_EQ(c.SelectCursor(u"clickable"), kStatusFailed);
             EXPECT_EQ(c.GetRequested(), -1);
             EXPECT_EQ(c.SelectCursor(nullptr), kStatusOk);
             EXPECT_EQ(c.GetRequested(), 0);
             Run(&c, 100);
             c.Render();
             EXPECT_EQ(c.GetFrame(), 0u);
             float x = 1, y = 1;
             c.GetHotSpot(&x, &y);
             EXPECT_EQ(x + y, 0.0f);
         }},
        {"start = stop shows one still cell", "CURSORS_COUNT = 1\nCURSOR_1_START = 3\nCURSOR_1_STOP = 3\n",
         [this](CCursors& c) {
             for (int i = 0; i < 4; ++i) {
                 Run(&c, 31);
                 EXPECT_EQ(c.GetFrame(), 2u) << i;
             }
         }},
        {"cells outside the sheet are clamped to it", "CURSORS_COUNT = 1\nCURSOR_1_START = -4\nCURSOR_1_STOP = 99\n",
         [](CCursors& c) {
             EXPECT_EQ(c.GetRecord(0)->startCell, 0u);
             EXPECT_EQ(c.GetRecord(0)->stopCell, 7u);
             EXPECT_FLOAT_EQ(c.GetRecord(0)->frameTime, 30.0f / 8.0f);
         }},
        {"defaults: one cell a second over the whole sheet, named by its key", "CURSORS_COUNT = 1\n",
         [](CCursors& c) {
             const CursorRecord* r = c.GetRecord(0);
             EXPECT_EQ(UtilsString_ToUtf8(r->pName), "CURSOR_1_NAME");
             EXPECT_EQ(r->startCell, 0u);
             EXPECT_EQ(r->stopCell, 7u);
             EXPECT_EQ(c.SelectCursor(u"CURSOR_1_NAME"), kStatusOk);
         }},
        {"an offset of 20 moves the hot spot by 10", kTwoCursors,
         [this](CCursors& c) {
             EXPECT_EQ(c.GetRecord(1)->hotSpotX, 10u);
             EXPECT_EQ(c.GetRecord(1)->hotSpotY, 3u);
             ASSERT_EQ(c.SelectCursor(u"clickable"), kStatusOk);
             c.Render();
             Data()->mouseX = 100.0f;
             Data()->mouseY = 50.0f;
             c.Update();
             const float* m = c.GetObject()->GetMatrix();
             EXPECT_FLOAT_EQ(m[12], 90.0f);
             EXPECT_FLOAT_EQ(m[13], 47.0f);
         }},
        {"the animation restarts only on a change; a frame without a request keeps the cursor", kTwoCursors,
         [this](CCursors& c) {
             // Cursor 2 shows cells 2 to 5, each for 15 units.
             ASSERT_EQ(c.SelectCursor(u"clickable"), kStatusOk);
             c.Render();
             EXPECT_EQ(c.GetCurrent(), 1u);
             EXPECT_EQ(c.GetFrame(), 2u);
             Run(&c, 16);
             EXPECT_EQ(c.GetFrame(), 3u);
             for (int i = 0; i < 3; ++i) {
                 c.SelectCursor(u"clickable");
                 c.Render();
             }
             EXPECT_EQ(c.GetFrame(), 3u);
             c.Render();
             EXPECT_EQ(c.GetCurrent(), 1u);
             Run(&c, 16 * 3);
             EXPECT_EQ(c.GetFrame(), 2u) << "after the stop cell the start cell";
             // An unknown name keeps the request made before it.
             c.SelectCursor(nullptr);
             EXPECT_EQ(c.SelectCursor(u"Clickable"), kStatusFailed);
             c.Render();
             EXPECT_EQ(c.GetCurrent(), 0u);
             EXPECT_EQ(c.GetFrame(), 0u);
         }},
        {"divisions below 1 are 1", "CURSORS_TEXTURE_DIV_X = 0\nCURSORS_TEXTURE_DIV_Y = -3\nCURSORS_COUNT = 1\n",
         [](CCursors& c) {
             EXPECT_EQ(c.GetColumns() * c.GetRows(), 1u);
             EXPECT_EQ(c.GetRecord(0)->stopCell, 0u);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        CCursors* cursors = Cursors(k.keys);
        if (HasFailure())
            return;
        k.check(*cursors);
        m_world->SetManager(kManagerCursors, nullptr);
    }
}

TEST_F(OverlaysTest, OneColumnCellsSpanTheSheetsWidth)
{
    CCursors* cursors = Cursors("CURSORS_COUNT = 1\n");
    Settings("[CURSORS]\nCURSORS_TEXTURE_DIV_X = 1\nCURSORS_TEXTURE_DIV_Y = 3\n");
    ASSERT_EQ(cursors->Load(), kStatusOk);
    C3DObject* object = cursors->GetObject();
    ASSERT_EQ(object->GetGroupCount(), 3u);
    for (uint32_t cell = 0; cell < 3; ++cell) {
        EXPECT_EQ(object->GetVertexUV0(4 * cell).x, 0.0f);
        EXPECT_EQ(object->GetVertexUV0(4 * cell + 1).x, 1.0f);
        EXPECT_FLOAT_EQ(object->GetVertexUV0(4 * cell + 2).y, cell == 2 ? 1.0f : float(cell + 1) / 3.0f);
    }
}

// Drawn at the pointer less the hot spot, the cell of the current frame.
TEST_F(OverlaysTest, TheCursorDrawsItsCellAtThePointer)
{
    CCursors* cursors = Cursors(kTwoCursors);
    Data()->mouseX = 120.0f;
    Data()->mouseY = 80.0f;
    cursors->Update();
    EXPECT_TRUE(Near(Drawn([&] { cursors->Render(); }, 125, 85), Cell(0)));
    EXPECT_TRUE(Near(Drawn([&] { cursors->Render(); }, 117, 85), {0x20, 0x40, 0x60, 255})) << "left of the cell";
    // The change shows at the next draw; from then on the pointer holds the new hot spot.
    cursors->SelectCursor(u"clickable");
    Drawn([&] { cursors->Render(); }, 0, 0);
    cursors->Update();
    // The square's corner lies at (110, 77); the cell is 32 units wide.
    EXPECT_TRUE(Near(Drawn([&] { cursors->Render(); }, 112, 79), Cell(2)));
    EXPECT_TRUE(Near(Drawn([&] { cursors->Render(); }, 140, 107), Cell(2)));
    EXPECT_TRUE(Near(Drawn([&] { cursors->Render(); }, 108, 79), {0x20, 0x40, 0x60, 255}));
    Run(cursors, 16);
    EXPECT_TRUE(Near(Drawn([&] { cursors->Render(); }, 125, 85), Cell(3)));
}

TEST_F(OverlaysTest, TouchMarksFadeOutAndSlotsAboveOneAreSlotOne)
{
    Settings("[TOUCH_SCREEN]\n");
    auto* touch = new CTouchScreen(Data());
    m_world->SetManager(kManagerTouchScreen, touch);
    ASSERT_EQ(touch->LoadParameters(8.0f, 0xFFFF8000u, u"TOUCH_SCREEN", u"TOUCH_TEXTURE_FILE_NAME"), kStatusOk);
    touch->AddTouch(40.0f, 50.0f, 7);
    EXPECT_FALSE(touch->GetRecord(0).active);
    ASSERT_TRUE(touch->GetRecord(1).active);
    touch->AddTouch(100.0f, 60.0f, 0);
    touch->Update();
    EXPECT_TRUE(touch->IsAnyActive());
    // Both marks, tinted, each 16 units wide around its point.
    EXPECT_TRUE(Near(Drawn([&] { touch->Render(); }, 45, 55), {0xFF, 0x80, 0x00, 255}, 24));
    EXPECT_TRUE(Near(Drawn([&] { touch->Render(); }, 100, 60), {0xFF, 0x80, 0x00, 255}, 24));
    EXPECT_TRUE(Near(Drawn([&] { touch->Render(); }, 110, 60), {0x20, 0x40, 0x60, 255}));
    // 1 / 0.075 units in all: active through the 13th, gone at the 14th.
    Run(touch, 12);
    EXPECT_TRUE(touch->GetRecord(0).active);
    Run(touch, 1);
    EXPECT_FALSE(touch->GetRecord(0).active);
    EXPECT_FALSE(touch->GetRecord(1).active);
    EXPECT_TRUE(touch->IsAnyActive()) << "they were active when the step began";
    touch->Update();
    EXPECT_FALSE(touch->IsAnyActive());
    EXPECT_TRUE(Near(Drawn([&] { touch->Render(); }, 100, 60), {0x20, 0x40, 0x60, 255}));
    // A missing picture fails.
    Settings("[TOUCH_SCREEN]\nTOUCH_TEXTURE_FILE_NAME = gone.png\n");
    EXPECT_EQ(touch->LoadParameters(8.0f, 0xFFFFFFFFu, u"TOUCH_SCREEN", u"TOUCH_TEXTURE_FILE_NAME"), kStatusFailed);
    EXPECT_EQ(LastError(), "Missing file: gone.png");
}

TEST_F(OverlaysTest, BordersRingTheDefinitionInTheirColour)
{
    const struct {
        const char* keys;
        uint32_t color;
    } colours[] = {
        {"", 0xFFFFFFFFu},
        {"BORDERS_COLOR_R = 256\nBORDERS_COLOR_G = -1\nBORDERS_COLOR_B = 511\n", 0xFF00FFFFu},
        {"BORDERS_COLOR_R = 40\nBORDERS_COLOR_G = 300\nBORDERS_COLOR_B = 56\n", 0xFF282C38u},
    };
    for (const auto& c : colours) {
        Settings(std::string("[BORDERS]\n") + c.keys);
        EXPECT_EQ(ReadBordersColor(m_settings.get()), c.color) << c.keys;
    }
    // The definition, 128 x 96 placed at (64, 48) at scale 1: the ring covers the window
    // around it and nothing inside.
    GameScreenScale& screen = Data()->pGame->screen;
    screen.referenceWidth = 128.0f;
    screen.referenceHeight = 96.0f;
    screen.viewX = 64.0f;
    screen.viewY = 48.0f;
    screen.viewScaleX = screen.viewScaleY = 1.0f;
    auto* borders = new CBorders(Data());
    m_world->SetManager(kManagerBorders, borders);
    ASSERT_EQ(borders->Load(), kStatusOk);
    borders->Update();
    const Rgba ring = {0x28, 0x2C, 0x38, 255};
    for (auto [x, y] : {std::pair{2, 2}, {60, 100}, {250, 188}, {200, 40}})
        EXPECT_TRUE(Near(Drawn([&] { borders->Render(); }, x, y), ring)) << x << "," << y;
    for (auto [x, y] : {std::pair{66, 50}, {128, 96}, {190, 142}})
        EXPECT_TRUE(Near(Drawn([&] { borders->Render(); }, x, y), {0x20, 0x40, 0x60, 255})) << x << "," << y;
}

TEST_F(OverlaysTest, TheFlashlightLightsItsSpotAndDarkensTheRest)
{
    Settings("[FLASHLIGHT]\nFLASHLIGHT_TEXTURE_FILE_NAME = flashlight.tga\nFLASHLIGHT_SIZE_WIDTH = 64\n"
             "FLASHLIGHT_SIZE_HEIGHT = 40\n");
    auto* light = new CFlashlight(Data());
    m_world->SetManager(kManagerFlashlight, light);
    ASSERT_EQ(light->Load(), kStatusOk);
    EXPECT_FLOAT_EQ(light->GetActivityDecay(), 1.0f / 90.0f);
    EXPECT_FLOAT_EQ(light->GetMoveThreshold(), 16.0f);
    EXPECT_EQ(light->GetState(), kFlashlightOff);
    EXPECT_EQ(light->GetX(), 128.0f);
    float* scene = Data()->game.view.matrixScene;
    m_math->SetIdentity(scene);

    // Off: all dark, the spot too.
    light->Update();
    EXPECT_TRUE(Near(Drawn([&] { light->Render(); }, 128, 96), {0, 0, 0, 255}));
    // A press fades it in from dark at the pointer, in about ten units.
    EXPECT_EQ(light->OnMouseDown(80.0f, 70.0f, 1), kStatusFailed);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOn);
    Run(light, 9);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOn);
    Run(light, 2);
    EXPECT_EQ(light->GetState(), kFlashlightOn);
    EXPECT_EQ(light->GetLevel(), 1.0f);
    const Rgba scenery = {0x20, 0x40, 0x60, 255};
    EXPECT_TRUE(Near(Drawn([&] { light->Render(); }, 80, 70), scenery));
    EXPECT_TRUE(Near(Drawn([&] { light->Render(); }, 92, 76), scenery));
    for (auto [x, y] : {std::pair{80, 40}, {110, 70}, {200, 150}, {5, 5}, {250, 188}})
        EXPECT_TRUE(Near(Drawn([&] { light->Render(); }, x, y), {0, 0, 0, 255})) << x << "," << y;

    // Held, the activity never decays; let go, it runs out in 90 units and the light dims.
    light->OnMouseMove(80.0f, 70.0f, 1);
    Press(true);
    Run(light, 200);
    EXPECT_EQ(light->GetActivity(), 1.0f);
    Press(false);
    Run(light, 89);
    EXPECT_EQ(light->GetState(), kFlashlightOn);
    Run(light, 2);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOff);
    Run(light, 50);
    const float dimmed = light->GetLevel();
    EXPECT_NEAR(dimmed, 0.5f, 0.02f);
    // A move refreshes the activity but switches nothing; a press while dimming brings the
    // light back from where it is.
    light->OnMouseMove(150.0f, 90.0f, 0);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOff);
    EXPECT_EQ(light->GetActivity(), 1.0f);
    light->OnMouseDown(150.0f, 90.0f, 1);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOn);
    EXPECT_EQ(light->GetLevel(), dimmed);
    Run(light, 6);
    EXPECT_EQ(light->GetState(), kFlashlightOn);
    // On, a press nearer than a quarter of the larger side keeps it; a farther one, or from
    // dark, fades in afresh; the code 0xFF never restarts it.
    light->OnMouseDown(165.0f, 90.0f, 1);
    EXPECT_EQ(light->GetState(), kFlashlightOn);
    light->OnMouseDown(100.0f, 90.0f, 0xFF);
    EXPECT_EQ(light->GetState(), kFlashlightOn);
    light->OnMouseDown(100.0f, 60.0f, 1);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOn);
    EXPECT_EQ(light->GetLevel(), 0.0f);
    light->Center();
    EXPECT_EQ(light->GetState(), kFlashlightOff);
    EXPECT_EQ(light->GetX(), 128.0f);
    EXPECT_EQ(light->GetY(), 96.0f);
    EXPECT_EQ(light->GetActivity(), 0.0f);
    light->OnMouseDown(128.0f, 96.0f, 1);
    EXPECT_EQ(light->GetState(), kFlashlightSwitchingOn);
    EXPECT_EQ(light->GetLevel(), 0.0f);
}

TEST_F(OverlaysTest, NoTimeShownEndsTheActivityAtOnce)
{
    for (const char* seconds : {"0", "-2.5"}) {
        Settings(std::string("[FLASHLIGHT]\nFLASHLIGHT_TEXTURE_FILE_NAME = flashlight.tga\nFLASHLIGHT_SECONDS_SHOWED = ") +
                 seconds + "\n");
        auto* light = new CFlashlight(Data());
        m_world->SetManager(kManagerFlashlight, light);
        ASSERT_EQ(light->Load(), kStatusOk);
        light->OnMouseDown(20.0f, 20.0f, 1);
        light->Update();
        EXPECT_EQ(light->GetActivity(), 0.0f) << seconds;
        EXPECT_EQ(light->GetState(), kFlashlightSwitchingOff) << seconds;
        EXPECT_FALSE(std::isnan(light->GetLevel())) << seconds;
    }
}

TEST_F(OverlaysTest, TheObstructionQuadCarriesItsPictureAndTakesAnyRectangle)
{
    Settings("[OBSTRUCTION]\n");
    auto* obstruction = new CObstruction(Data());
    m_world->SetManager(kManagerObstruction, obstruction);
    ASSERT_EQ(obstruction->Load(), kStatusOk);
    C3DObject* quad = obstruction->GetQuad();
    ASSERT_NE(quad->GetTexture(0, 0), nullptr);
    EXPECT_EQ(obstruction->SetRectangle(90.0f, 10.0f, 30.0f, 50.0f), kStatusOk);
    const float expected[4][2] = {{90, 10}, {30, 10}, {90, 50}, {30, 50}};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(quad->GetVertexPosition(i).x, expected[i][0]) << i;
        EXPECT_EQ(quad->GetVertexPosition(i).y, expected[i][1]) << i;
    }
    // Mirrored, it still covers the rectangle.
    quad->UseOwnMatrix();
    quad->SetIdentity();
    EXPECT_TRUE(Near(Drawn([&] { quad->Draw(); }, 60, 30), {255, 255, 255, 255}));
    EXPECT_TRUE(Near(Drawn([&] { quad->Draw(); }, 95, 30), {0x20, 0x40, 0x60, 255}));

    Settings("[OBSTRUCTION]\nOBSTRUCTION_TEXTURE_PATH = nowhere.png\n");
    EXPECT_EQ(obstruction->Load(), kStatusOk) << "loaded already";
    obstruction->Unload();
    EXPECT_EQ(obstruction->Load(), kStatusFailed);
    EXPECT_EQ(obstruction->GetQuad(), nullptr);
    EXPECT_EQ(LastError(), "Missing file: nowhere.png");
}

}  // namespace
