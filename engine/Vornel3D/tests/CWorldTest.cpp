#include "Vornel3D/CWorld.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "Vornel3D/C3DMath.h"
#include "VornelPlatform/PlatformInput.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsString.h"
#include "WorldTestModules.h"
#include "TestSystem.h"

namespace {

// A world that counts the calls of its table, as the derived worlds are called.
class CountingWorld : public CWorld {
public:
    Status Update() override
    {
        ++updates;
        return failUpdate ? kStatusFailed : CWorld::Update();
    }
    Status Render() override
    {
        ++renders;
        return CWorld::Render();
    }
    int updates = 0;
    int renders = 0;
    bool failUpdate = false;
};

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWorldTestLog(); }
    void TearDown() override
    {
        if (m_world) {
            m_world->Unload();
            m_world.reset();
        }
        EXPECT_EQ(TestLog().engines, 0) << "every module is destroyed";
        EXPECT_EQ(TestLog().modules, 0);
    }

    WorldData& Data() { return *m_world->GetWorldData(); }

    // A loaded world over the test modules, 1024 x 768 authored, real size as authored.
    Status MakeLoadedWorld(bool withAudio = false, UtilsParameters* settings = nullptr)
    {
        m_world = std::make_unique<CountingWorld>();
        EXPECT_EQ(m_world->SetParameters(settings, nullptr, nullptr, nullptr, 0, nullptr, nullptr), kStatusOk);
        RegisterTestModules(m_world->GetWorldData(), withAudio, false);
        EXPECT_EQ(ValidPlatform(5, 3, 0, 1, m_world->GetWorldData()), kStatusOk);
        return m_world->Load(nullptr, 1024, 768, 32, 0, 0, 0, 1, 1, u"Data_full_Win32\\", 0xFFFF, 0xFFFF);
    }

    Status Send(uint32_t message, uintptr_t wParam, intptr_t lParam = 0)
    {
        PlatformMessage m{};
        m.message = message;
        m.wParam = wParam;
        m.lParam = lParam;
        return m_world->OnMessage(&m);
    }

    std::unique_ptr<CountingWorld> m_world;
};

}  // namespace

TEST_F(WorldTest, ConstructionFillsTheRecord)
{
    m_world = std::make_unique<CountingWorld>();
    const WorldData& w = Data();
    EXPECT_EQ(w.dataPathWord, -1);
    EXPECT_EQ(w.scaleX, 1.0f);
    EXPECT_EQ(w.scaleY, 1.0f);
    EXPECT_EQ(w.scaleZ, 1.0f);
    EXPECT_EQ(w.cursorShownFullScreen, 1);
    EXPECT_EQ(w.cursorShownWindowed, 1);
    EXPECT_EQ(w.pWorld, m_world.get());
    EXPECT_EQ(w.word30000, 0x30000u);
    EXPECT_EQ(w.canRender, 0);
    EXPECT_EQ(m_world->Get3DEngine(), nullptr);
}

TEST_F(WorldTest, LoadWithoutA3DModuleFails)
{
    m_world = std::make_unique<CountingWorld>();
    // Only an audio module registered: the platform check fails and no 3D entry is selected.
    ModuleEntry* audio = RegisterModule(kModuleAudio, &Data());
    ASSERT_NE(audio, nullptr);
    audio->pDescriptor = FindModuleDescriptor(kModuleAudio, 3);
    audio->pfnCreate = CreateTestModule;
    audio->pfnDestroy = ReleaseModule;
    EXPECT_EQ(ValidPlatform(5, 3, 0, 1, &Data()), kStatusFailed);

    EXPECT_EQ(m_world->Load(nullptr, 1024, 768, 32, 0, 0, 0, 1, 1, nullptr, 0xFFFF, 0xFFFF),
              kStatusModuleMissing);
    EXPECT_EQ(Data().lastErrorCode, kStatusModuleMissing);
    EXPECT_EQ(std::u16string(Data().lastErrorText), u"The main module is not correctly registered");
    EXPECT_EQ(TestLog().modules, 0) << "nothing is created before the 3D module";
}

TEST_F(WorldTest, LoadGivesTheDefaultRecord)
{
    ASSERT_EQ(MakeLoadedWorld(), kStatusOk);
    const WorldData& w = Data();
    // Colours: A << 24 | R << 16 | G << 8 | B.
    EXPECT_EQ(w.colorClear, 0x00969696u);
    EXPECT_EQ(w.colorAmbient, 0x007F7F7Fu);
    EXPECT_EQ(w.colorWireframe, 0x00009600u);
    EXPECT_EQ(w.colorText, 0x0000FFFFu);
    EXPECT_EQ(w.fog.color, 0xFFD4DDEEu);

    EXPECT_EQ(w.fog.enabled.current, 1);
    EXPECT_EQ(w.fog.enabled.configured, 1);
    EXPECT_EQ(w.fog.start, 1000.0f);
    EXPECT_EQ(w.fog.end, 2000.0f);
    EXPECT_EQ(w.fog.tableFog, 1);
    EXPECT_EQ(w.fog.tableMode, 0u);
    EXPECT_EQ(w.fog.tailFlag, 1);
    EXPECT_EQ(std::memcmp(&w.fogLoaded, &w.fog, sizeof w.fog), 0);

    EXPECT_EQ(w.light1.type, 1);
    EXPECT_EQ(w.light1.x, -5000.0f);
    EXPECT_EQ(w.light1.z, -2000.0f);
    EXPECT_EQ(w.light1.materialSpecular, 12.0f);
    EXPECT_EQ(w.light2.y, 8000.0f);
    EXPECT_EQ(w.light2.materialSpecular, 1.0f);
    EXPECT_FLOAT_EQ(w.light2.specular, 0.6f);
    EXPECT_EQ(std::memcmp(&w.light2Loaded, &w.light2, sizeof w.light2), 0);

    EXPECT_EQ(w.nearDistance, 1.0f);
    EXPECT_EQ(w.farDistance, 20000.0f);
    EXPECT_EQ(w.nearDistanceScreen, -1000.0f);
    EXPECT_EQ(w.fieldOfView, 45.0f);
    EXPECT_EQ(w.lighting.current, 1);
    EXPECT_EQ(w.specular.configured, 1);
    EXPECT_EQ(w.stencilShadow.current, 1);
    EXPECT_EQ(w.renderPair.current, 1);
    EXPECT_EQ(w.renderPair.configured, 1);
    EXPECT_EQ(w.wireframe, 0);
    EXPECT_EQ(w.text, 0);
    EXPECT_EQ(w.gammaInitial, 128);
    EXPECT_EQ(w.pointSpriteMax, 100.0f);
    EXPECT_FLOAT_EQ(w.pointSpriteAttenuation2, 0.00001f);

    // Sizes and display.
    EXPECT_EQ(w.virtualWidth, 1024);
    EXPECT_EQ(w.realWidth, 1024) << "0xFFFF takes the virtual size";
    EXPECT_EQ(w.realHeight, 768);
    EXPECT_EQ(w.canRender, 1);
    EXPECT_EQ(w.verticalSync, 1);
    EXPECT_EQ(w.orientation, 1u);

    // Owned objects and the renderer's set-up.
    EXPECT_NE(w.pMath, nullptr);
    EXPECT_EQ(w.pTimer, m_world->GetTimer());
    ASSERT_NE(m_world->Get3DEngine(), nullptr);
    EXPECT_TRUE(m_world->GetMath()->IsIdentity(w.matrix5));
    EXPECT_EQ(TestLog().loads, 1);
    EXPECT_EQ(TestLog().fogs, 1);
    EXPECT_EQ(TestLog().pointSprites, 1);
    EXPECT_EQ(TestLog().lightCount, -1) << "both lights";
    EXPECT_EQ(TestLog().gammaRamps, 0);
    EXPECT_EQ(TestLog().orientation, 1u);
    EXPECT_EQ(TestLog().viewport[2], 1024);
    EXPECT_EQ(TestLog().viewport[3], 768);
    EXPECT_EQ(w.moduleLists[kModule3D], nullptr) << "the lists were freed by ValidPlatform";
}

TEST_F(WorldTest, SettingsComeFromTheWorldReader)
{
    const char text[] =
        "[LIGHT]\nCOLOR_CLEAR_R = 300\nLIGHT_2_ENABLE = 0\n"
        "[GAMMA_CORRECTION]\nGAMMA_CORRECTION_ENABLE = 1\n[FOG]\nFOG_START = 5\n";
    UtilsParameters_Text settings(text, sizeof text - 1);
    ASSERT_EQ(MakeLoadedWorld(false, &settings), kStatusOk);
    // Components are not masked: 300 spills into the alpha byte.
    EXPECT_EQ(Data().colorClear, (300u << 16) | (150u << 8) | 150u);
    EXPECT_EQ(Data().light2.enabled.current, 0);
    EXPECT_EQ(Data().light2Loaded.enabled.configured, 0);
    EXPECT_EQ(Data().fog.start, 5.0f);
    EXPECT_EQ(TestLog().gammaRamps, 1);
}

TEST_F(WorldTest, AModuleWithoutItsDeviceIsDroppedNotFatal)
{
    TestLog().failModuleInit = true;
    ASSERT_EQ(MakeLoadedWorld(true), kStatusOk);
    EXPECT_EQ(m_world->GetAudioEngine(), nullptr);
    EXPECT_EQ(TestLog().moduleReleases, 1);
    EXPECT_EQ(TestLog().modules, 0);
    EXPECT_EQ(std::u16string(Data().lastErrorText), u"No audio device was found");
    EXPECT_EQ(Data().lastErrorCode, kStatusOk) << "the code is left as it was";
}

TEST_F(WorldTest, ModuleThatCannotBeMadeFailsTheLoad)
{
    TestLog().failModuleCreate = true;
    EXPECT_EQ(MakeLoadedWorld(true), kStatusFailed);
}

TEST_F(WorldTest, RendererFailuresFailTheLoad)
{
    TestLog().failFog = true;
    EXPECT_EQ(MakeLoadedWorld(), kStatusFailed);
    EXPECT_EQ(TestLog().pointSprites, 0);
}

TEST_F(WorldTest, FrameClearsPerFrameInputButKeepsDownFlags)
{
    ASSERT_EQ(MakeLoadedWorld(), kStatusOk);
    WorldData& w = Data();
    Send(WM_KEYDOWN, 'A');
    Send(WM_KEYDOWN, VK_ESCAPE);
    Send(WM_KEYUP, VK_ESCAPE);
    Send(WM_CHAR, 'a');
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(10, 20));
    Send(WM_RBUTTONDOWN, MK_RBUTTON, Platform_MakeLParam(10, 20));
    Send(WM_RBUTTONUP, 0, Platform_MakeLParam(10, 20));
    w.frameBlockA[3] = 7;
    w.frameBlockB[7] = 9;
    ASSERT_EQ(w.keyPressed[75], 1);
    ASSERT_EQ(w.pressCount, 2);
    ASSERT_EQ(w.releaseCount, 1);
    ASSERT_EQ(w.keyReleased[1], 1);
    ASSERT_EQ(w.lastChar, u'a');

    ASSERT_EQ(m_world->Frame(), kStatusOk);
    EXPECT_EQ(m_world->updates, 1);
    EXPECT_EQ(m_world->renders, 1);
    EXPECT_EQ(TestLog().beginScenes, 1);
    EXPECT_EQ(TestLog().endScenes, 1);
    EXPECT_EQ(w.inFrame, 0);

    EXPECT_EQ(w.keyPressed[75], 0);
    EXPECT_EQ(w.keyReleased[1], 0);
    EXPECT_EQ(w.pressCount, 0);
    EXPECT_EQ(w.releaseCount, 0);
    EXPECT_EQ(w.lastChar, 0);
    EXPECT_EQ(w.leftPressed, 0);
    EXPECT_EQ(w.rightPressed, 0);
    EXPECT_EQ(w.rightReleased, 0);
    EXPECT_EQ(w.frameBlockA[3], 0u);
    EXPECT_EQ(w.frameBlockB[7], 0u);
    EXPECT_EQ(w.keyDown[75], 1) << "down flags stay";
    EXPECT_EQ(w.leftDown, 1);
    EXPECT_EQ(w.keyDown[1], 0);
}

TEST_F(WorldTest, MinimisedFrameOnlyAdvancesTheTimer)
{
    ASSERT_EQ(MakeLoadedWorld(), kStatusOk);
    WorldData& w = Data();
    Send(WM_KEYDOWN, 'Z');
    w.minimised = 1;
    w.frameTime = -1.0;
    ASSERT_EQ(m_world->Frame(), kStatusOk);
    EXPECT_NE(w.frameTime, -1.0) << "the timer ran";
    EXPECT_EQ(m_world->updates, 0);
    EXPECT_EQ(TestLog().beginScenes, 0);
    EXPECT_EQ(w.keyPressed[100], 1) << "input is kept for the next real frame";
    EXPECT_EQ(w.pressCount, 1);
    EXPECT_EQ(w.inFrame, 0);
}

TEST_F(WorldTest, DrawingNeedsAPositiveCanRenderCounterAndASceneButUpdateFailsTheFrame)
{
    ASSERT_EQ(MakeLoadedWorld(), kStatusOk);
    Data().canRender = 0;
    ASSERT_EQ(m_world->Frame(), kStatusOk);
    EXPECT_EQ(TestLog().beginScenes, 0);
    EXPECT_EQ(m_world->updates, 1);

    Data().canRender = 1;
    TestLog().failBeginScene = true;
    ASSERT_EQ(m_world->Frame(), kStatusOk) << "a failed drawing does not fail the frame";
    EXPECT_EQ(m_world->renders, 0);
    EXPECT_EQ(TestLog().endScenes, 0);

    m_world->failUpdate = true;
    Send(WM_KEYDOWN, 'A');
    EXPECT_EQ(m_world->Frame(), kStatusFailed);
    EXPECT_EQ(Data().inFrame, 0);
    EXPECT_EQ(Data().keyPressed[75], 1);
}

TEST(WorldKeyTable, VirtualKeysToEngineKeys)
{
    struct Case {
        uintptr_t vk;
        uint8_t key;
    };
    const Case cases[] = {
        {VK_ESCAPE, 1},   {VK_F1, 2},       {VK_F12, 13},      {VK_TAB, 14},     {VK_CONTROL, 17},
        {VK_LWIN, 18},    {VK_SPACE, 20},   {VK_APPS, 23},     {VK_RETURN, 26},  {VK_DELETE, 29},
        {VK_NEXT, 33},    {VK_LEFT, 37},    {VK_NUMLOCK, 38},  {VK_ADD, 42},     {VK_DECIMAL, 44},
        {'0', 45},        {'9', 54},        {VK_NUMPAD0, 55},  {VK_NUMPAD9, 64}, {VK_OEM_102, 66},
        {VK_OEM_8, 74},   {'A', 75},        {'Z', 100},        {0x7C, 0},        {VK_SCROLL, 0},
        {0xFF, 0},        {0x100, 0},       {0x10041, 0},      {UINTPTR_MAX, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CWorld_EngineKey(c.vk), c.key) << std::hex << c.vk;
}

TEST_F(WorldTest, KeyReleasedWithoutBeingSeenDown)
{
    m_world = std::make_unique<CountingWorld>();
    EXPECT_EQ(Send(WM_KEYUP, 'Q'), kStatusFailed) << "messages are never consumed here";
    EXPECT_EQ(Data().releaseCount, 1);
    EXPECT_EQ(Data().keyReleased[CWorld_EngineKey('Q')], 0);
    EXPECT_EQ(Data().keyDown[CWorld_EngineKey('Q')], 0);
    // A key code beyond the table lands on 0, never outside the arrays.
    Send(WM_KEYDOWN, 0x12345);
    EXPECT_EQ(Data().keyDown[0], 1);
}

TEST_F(WorldTest, MousePositionsStaySigned)
{
    m_world = std::make_unique<CountingWorld>();
    Send(WM_MOUSEMOVE, 0, Platform_MakeLParam(100, 50));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(30, 40));
    EXPECT_EQ(Data().previousX, 100.0f);
    EXPECT_EQ(Data().pressX, 30.0f);
    EXPECT_EQ(Data().pressY, 40.0f);
    // Captured and dragged out to the left of and above the window.
    Send(WM_MOUSEMOVE, MK_LBUTTON, Platform_MakeLParam(-20, -5));
    EXPECT_EQ(Data().mouseX, -20.0f);
    EXPECT_EQ(Data().mouseY, -5.0f);
    EXPECT_EQ(Data().previousX, 30.0f);
    Send(WM_LBUTTONUP, 0, Platform_MakeLParam(-20, -5));
    EXPECT_EQ(Data().leftReleased, 1);
    EXPECT_EQ(Data().leftDown, 0);
}

TEST_F(WorldTest, RightReleaseWithLeftHeldKeepsTheCapture)
{
    if (!Platform_HasDisplay())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    PlatformWindowDesc desc;
    desc.width = 64;
    desc.height = 64;
    desc.openGL = false;
    PlatformWindow* window = Platform_CreateWindow(desc);
    ASSERT_NE(window, nullptr);
    m_world = std::make_unique<CountingWorld>();
    PlatformMessage m{};
    m.window = window;
    m.message = WM_LBUTTONDOWN;
    m_world->OnMessage(&m);
    m.message = WM_RBUTTONDOWN;
    m_world->OnMessage(&m);
    EXPECT_EQ(Platform_GetCapture(), window);
    m.message = WM_RBUTTONUP;
    m_world->OnMessage(&m);
    EXPECT_EQ(Platform_GetCapture(), window) << "the left button still holds it";
    m.message = WM_LBUTTONUP;
    m_world->OnMessage(&m);
    EXPECT_EQ(Platform_GetCapture(), nullptr);
    Platform_DestroyWindow(window);
}

TEST_F(WorldTest, ResizeSetsFactorsAndAllowsDrawingAgain)
{
    m_world = std::make_unique<CountingWorld>();
    // Before the load there is no virtual size: the factors stay at 1.
    EXPECT_EQ(m_world->Resize(800, 600, 0), kStatusOk);
    EXPECT_EQ(Data().scaleX, 1.0f);
    EXPECT_EQ(Data().canRender, 2);
    m_world.reset();

    ASSERT_EQ(MakeLoadedWorld(), kStatusOk);
    Data().canRender = 0;
    EXPECT_EQ(m_world->Resize(512, 384, 1), kStatusOk);
    EXPECT_EQ(Data().realWidth, 512);
    EXPECT_EQ(Data().scaleX, 0.5f);
    EXPECT_EQ(Data().scaleY, 0.5f);
    EXPECT_EQ(Data().canRender, 2);
    EXPECT_EQ(TestLog().viewport[2], 512);
    EXPECT_EQ(TestLog().viewport[3], 384);
    Data().canRender = 1;
    m_world->Resize(1024, 768, 0);
    EXPECT_EQ(Data().canRender, 1) << "only a stopped renderer is restarted";
}

TEST_F(WorldTest, UnloadReleasesEverything)
{
    ASSERT_EQ(MakeLoadedWorld(true), kStatusOk);
    ASSERT_NE(m_world->GetAudioEngine(), nullptr);
    EXPECT_EQ(TestLog().moduleInits, 1);
    EXPECT_EQ(m_world->Unload(), kStatusOk);
    EXPECT_EQ(TestLog().unloads, 1);
    EXPECT_EQ(TestLog().moduleReleases, 1);
    EXPECT_EQ(TestLog().engines, 0);
    EXPECT_EQ(TestLog().modules, 0);
    EXPECT_EQ(Data().pMath, nullptr);
    EXPECT_EQ(Data().pTimer, nullptr);
    EXPECT_EQ(m_world->Get3DEngine(), nullptr);
}

TEST_F(WorldTest, MissingPackIsLatched)
{
    m_world = std::make_unique<CountingWorld>();
    const char16_t* path = u"Data_full_Win32\\missing_full_Win32.HD.pak";
    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, path, 0, FindPackEntry, u"game.log"),
              kStatusPackMissing);
    EXPECT_EQ(Data().lastErrorCode, kStatusPackMissing);
    EXPECT_EQ(std::u16string(Data().lastErrorText), std::u16string(u"Missing file: ") + path);
    EXPECT_EQ(std::u16string(Data().logPath), u"game.log");
    // No pack asked for: nothing to open.
    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, nullptr, 0, FindPackEntry, nullptr), kStatusOk);
}

TEST_F(WorldTest, APackClosedByUnloadOpensAgainUnderTheSamePath)
{
    const std::string folder = TestSystem_MakeTempFolder("vornel_world_pack_");
    ASSERT_FALSE(folder.empty());
    const std::string file = folder + "/game.pak";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("*=0", out);
    std::fclose(out);
    const std::u16string path = UtilsString_FromUtf8(file.c_str());

    m_world = std::make_unique<CountingWorld>();
    ASSERT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, path.c_str(), 0, FindPackEntry, nullptr),
              kStatusOk);
    ASSERT_NE(Data().pack.pFile, nullptr);
    EXPECT_EQ(m_world->Unload(), kStatusOk);
    EXPECT_EQ(Data().pack.pFile, nullptr) << "the unload closes the pack";

    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, path.c_str(), 4, FindPackEntry, nullptr),
              kStatusOk);
    EXPECT_NE(Data().pack.pFile, nullptr);
    EXPECT_EQ(Data().pack.startOffset, 4u);
    EXPECT_EQ(Data().lastErrorCode, kStatusOk);
    m_world->Unload();
    EXPECT_TRUE(TestSystem_RemoveTree(folder));
}

TEST_F(WorldTest, PathsTooLongForTheirFieldsAreRefused)
{
    m_world = std::make_unique<CountingWorld>();
    const std::u16string longPath(kWorldTextSize, u'x');  // one character more than fits
    const std::u16string fits(kWorldTextSize - 1, u'y');

    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, nullptr, 0, nullptr, fits.c_str()), kStatusOk);
    EXPECT_EQ(std::u16string(Data().logPath), fits);
    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, nullptr, 0, nullptr, longPath.c_str()),
              kStatusFailed);
    EXPECT_EQ(std::u16string(Data().logPath), fits) << "the log path is kept";
    EXPECT_EQ(Data().lastErrorCode, kStatusFailed);

    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, longPath.c_str(), 0, FindPackEntry, nullptr),
              kStatusFailed);
    EXPECT_EQ(Data().pack.pFile, nullptr);
    EXPECT_EQ(Data().pack.path[0], 0) << "no cut path is stored";
    // The error text is cut to its field, never written past it.
    EXPECT_EQ(std::u16string(Data().lastErrorText).size(), size_t(kWorldTextSize - 1));

    // A missing pack whose path just fits: the "Missing file" text is cut, not overrun.
    EXPECT_EQ(m_world->SetParameters(nullptr, nullptr, nullptr, fits.c_str(), 0, FindPackEntry, nullptr),
              kStatusPackMissing);
    EXPECT_EQ(std::u16string(Data().lastErrorText).size(), size_t(kWorldTextSize - 1));
}

TEST_F(WorldTest, PressAndReleaseCountsStopAtTheirLimit)
{
    m_world = std::make_unique<CountingWorld>();
    for (int i = 0; i < 300; ++i) {
        Send(WM_KEYDOWN, 'K');
        Send(WM_KEYUP, 'K');
    }
    EXPECT_EQ(Data().pressCount, 255) << "a busy frame does not wrap round to a few presses";
    EXPECT_EQ(Data().releaseCount, 255);
}
