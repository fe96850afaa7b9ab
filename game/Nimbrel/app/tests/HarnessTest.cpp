// The real game in this process, through the harness: start-up on the sample data, frames,
// input through the world's message path, the state and the picture read back, the shutdown.
#include "NimbrelHarness.h"
#include "ProfileDump.h"
#include "Patience.h"
#include "SampleGameFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"
#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "NimbrelInterfaces/CObjectsInterfaceLabels.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbox.h"
#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelManagers/CDragInertia.h"
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CShaderManager.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelManagers/CTransitions.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/GroupTables.h"
#include "NimbrelWorld/ScreenFit.h"
#include "VornelPlatform/PlatformFile.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/PrefetchParams.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DShader.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "VornelPlatform/PlatformDialog.h"
#include "VornelPlatform/PlatformGL.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = NIMBREL_BIN_DIR;

// The sample's game folder, with the helpers the harness tests share.
class GameFolder : public SampleGameFolder {
protected:
    void WriteDeveloperFile(uint8_t developer)
    {
        uint8_t bytes[kPrefetchFileSize];
        WritePrefetchParams(PrefetchFlags{developer, 1, 0}, bytes);
        std::ofstream(data + "/prefetch.params", std::ios::binary).write(reinterpret_cast<char*>(bytes), 6);
    }
    // The game started and one frame run; its world record and renderer, which reads the pack.
    void StartOnRenderer(NimbrelHarness& game, WorldData*& world, C3DEngine*& engine)
    {
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(game.Step());
        world = game.World()->GetWorldData();
        engine = C3DEngine::FromWorld(world);
        ASSERT_NE(engine, nullptr);
        ASSERT_NE(world->pfnPackLocator, nullptr);
    }

    // A model of the sample's pack loaded as the running game loads one, onto its renderer.
    void LoadPackModel(C3DEngine* engine, WorldData* world, const char16_t* entry, C3DObject*& model)
    {
        model = engine->CreateObject(k3DObjectNormals, k3DDrawMaterial);
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(world->pfnPackLocator(entry, &world->pack), kStatusOk);
        ASSERT_EQ(model->LoadModelFromPacker(&world->pack), kStatusOk);
    }

};

// The title's menu while the game plays it; null elsewhere.
CObjectsInterfaceMenu* PlayedTitle(NimbrelHarness& game)
{
    CObjectsManager* objects = game.World() ? game.World()->GetObjectsManager() : nullptr;
    CObjectsBase* current = objects ? objects->GetCurrentObject() : nullptr;
    return game.State() == kGameStatePlaying && current && current->GetTypeCode() == kObjectKindMenu
               ? static_cast<CObjectsInterfaceMenu*>(current)
               : nullptr;
}

// Steps until the title's menu plays (600 frames at most); null when it does not come.
CObjectsInterfaceMenu* StepToTitle(NimbrelHarness& game)
{
    CObjectsInterfaceMenu* menu = nullptr;
    for (int i = 0; i < 600 && !menu; ++i) {
        if (!game.Step())
            return nullptr;
        menu = PlayedTitle(game);
    }
    return menu;
}

// The title's road into the game, as a player takes it: play; then on the name entry the name
// "Player" and Return, or on the profile list the current slot's row (the first used one
// without a current slot). A click waits for the screen to settle: none is taken while a
// transition shows. False when the menu does not move.
bool PlayTheRoad(NimbrelHarness& game, CObjectsInterfaceMenu* menu)
{
    auto clickUntil = [&](float x, float y, const std::function<bool()>& moved) {
        for (int i = 0; i < 200; ++i) {
            game.PostClick(int32_t(x), int32_t(y));
            for (int frame = 0; frame < 3; ++frame)
                if (!game.Step())
                    return false;
            if (moved())
                return true;
        }
        return false;
    };
    if (menu->GetPage() == kMenuMain) {
        float at[3];
        menu->ProjectElementToScreen(at, menu->GetItemRecord(uint32_t(menu->GetRole(kMenuTextPlay))));
        if (!clickUntil(at[0], at[1], [&] { return menu->GetPage() != kMenuMain || PlayedTitle(game) != menu; }))
            return false;
    }
    if (PlayedTitle(game) != menu)
        return true;
    if (menu->GetPage() == kMenuProfileName) {
        for (char16_t c : std::u16string(u"Player\r")) {
            game.PostCharacter(c);
            if (!game.Step())
                return false;
        }
        return true;
    }
    CProfileManager* profiles = game.World()->GetProfileManager();
    uint32_t count = 0;
    const MenuEntry* rows = menu->GetEntries(kMenuListProfiles, &count);
    int32_t slot = profiles->GetCurrentSlot() && profiles->GetCurrentSlot()->used ? profiles->GetCurrentIndex() : -1;
    for (uint32_t i = 0; slot < 0 && i < count; ++i)
        if (profiles->GetSlot(int32_t(i))->used)
            slot = int32_t(i);
    if (menu->GetPage() != kMenuProfiles || slot < 0 || uint32_t(slot) >= count)
        return false;
    const MenuEntry& row = rows[slot];
    return clickUntil(row.x, row.y + row.textHeight * row.scale * 0.5f,
                      [&] { return menu->GetPage() != kMenuProfiles || PlayedTitle(game) != menu; });
}

// Frames until the game is in `state`, for at most half a minute: transitions take their
// time whatever the frame rate. Each new state on the way is appended. The game plays once it
// has left the title by its road.
bool StepUntil(NimbrelHarness& game, int32_t state, std::vector<int32_t>* states)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30 * kPatience);
    for (;;) {
        if (game.State() == state) {
            CObjectsInterfaceMenu* title = state == kGameStatePlaying ? PlayedTitle(game) : nullptr;
            if (!title)
                return true;
            if (!PlayTheRoad(game, title))
                return false;
        }
        if (std::chrono::steady_clock::now() >= deadline || !game.Step())
            return false;
        if (states && (states->empty() || states->back() != game.State()))
            states->push_back(game.State());
    }
}

// A world whose objects manager cannot be loaded, as when its construction file is missing.
class BrokenManager : public CManagedObject {
public:
    using CManagedObject::CManagedObject;
    Status Load() override
    {
        UtilsString_Copy(m_pWorldData->lastErrorText, kWorldTextSize, u"Missing file: Nimbrel_construct.raw");
        return kStatusFailed;
    }
};

class BrokenWorld : public CNimbrelWorld {
protected:
    CManagedObject* NewManager(int32_t slot) override
    {
        return slot == kManagerObjects ? new BrokenManager(GetWorldData()) : nullptr;
    }
};

// A world whose construction identity is another game's: the sample's construction is not its.
class StrangerWorld : public CNimbrelWorld {
public:
    Status LoadWorld() override
    {
        const std::u16string dataPath = GetWorldData()->dataPath;
        SetApplicationParameters(kNimbrelResourceMode, kNimbrelClassName, u"Stranger", dataPath.c_str(), 0);
        return CNimbrelWorld::LoadWorld();
    }
};

// Two colours whose channels differ by a few steps at most (alpha not compared).
bool NearColour(uint32_t a, uint32_t b, int tolerance = 6)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// Steps until the game plays (StepUntil): a level change waits on its screen transitions.
bool StepUntilPlaying(NimbrelHarness& game)
{
    return StepUntil(game, kGameStatePlaying, nullptr);
}

// The hall opens with its welcome text; Escape closes it and the hall's script goes on.
bool CloseHallIntro(NimbrelHarness& game)
{
    CPopupManager* popups = game.World()->GetPopupManager();
    for (int i = 0; i < 600 && popups && !popups->IsPopupOpen(); ++i)
        if (!game.Step())
            return false;
    if (!popups || !popups->IsPopupOpen())
        return false;
    game.PostKey(VK_ESCAPE);
    for (int i = 0; i < 10 && popups->IsPopupOpen(); ++i)
        if (!game.Step())
            return false;
    // The waiting script goes on with the next frame's queued results.
    return !popups->IsPopupOpen() && game.Step(2);
}

}  // namespace

TEST_F(GameFolder, TheSampleConstructionMakesItsObjectsAndChapters)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    // The main script has asked for the first profile's level.
    EXPECT_EQ(game.State(), kGameStateLevelChange);
    CObjectsManager* objects = game.World()->GetObjectsManager();
    ASSERT_NE(objects, nullptr);
    ASSERT_EQ(objects->GetObjectCount(), 30u);
    EXPECT_NE(dynamic_cast<CObjectsInterfacePopups*>(objects->GetObject(4)), nullptr);
    EXPECT_NE(dynamic_cast<CObjectsInterfaceMenu*>(objects->GetObject(14)), nullptr);
    EXPECT_EQ(objects->GetInterfaceObject(kInterfaceMenu), objects->GetObject(14));
    EXPECT_NE(dynamic_cast<CObjectsInterfaceToolbarItemsList*>(objects->GetObject(5)), nullptr);
    EXPECT_EQ(objects->GetInterfaceObject(kInterfacePopups), objects->GetObject(4));
    EXPECT_EQ(objects->GetInterfaceObject(kInterfaceToolbox), objects->GetObject(6));
    EXPECT_EQ(objects->GetObject(7)->GetTypeCode(), uint32_t(kObjectKindButtons));
    EXPECT_NE(dynamic_cast<CObjectsInterfaceHint*>(objects->GetObject(8)), nullptr);
    EXPECT_EQ(objects->GetInterfaceObject(kInterfaceHint), objects->GetObject(8));
    EXPECT_NE(dynamic_cast<CObjectsInterfaceMonitor*>(objects->GetObject(9)), nullptr);
    EXPECT_NE(dynamic_cast<CObjectsInterfaceLabels*>(objects->GetObject(13)), nullptr);
    EXPECT_EQ(objects->GetInterfaceObject(kInterfaceLabels), objects->GetObject(13));
    EXPECT_EQ(objects->GetObject(15)->GetTypeCode(), uint32_t(kObjectKindInventory));
    EXPECT_EQ(objects->GetObject(17)->GetTypeCode(), uint32_t(kObjectKindWheelStack));
    EXPECT_EQ(objects->GetObject(19)->GetTypeCode(), uint32_t(kObjectKindSwitch));
    EXPECT_EQ(objects->GetObject(20)->GetTypeCode(), uint32_t(kObjectKindTubing));
    EXPECT_EQ(objects->GetObject(21)->GetTypeCode(), uint32_t(kObjectKindWheels));
    EXPECT_NE(dynamic_cast<CObjectsLevelExploration*>(objects->GetObject(22)), nullptr);
    EXPECT_EQ(objects->GetObject(23)->GetTypeCode(), uint32_t(kObjectKindJigsaw));
    EXPECT_EQ(objects->GetObject(24)->GetTypeCode(), uint32_t(kObjectKindPuzzle));
    EXPECT_EQ(objects->GetObject(25)->GetTypeCode(), uint32_t(kObjectKindLabyrinthe));
    EXPECT_EQ(objects->GetObject(26)->GetTypeCode(), uint32_t(kObjectKindBlackJack));
    EXPECT_EQ(objects->GetObject(27)->GetTypeCode(), uint32_t(kObjectKindMatch3));
    EXPECT_EQ(objects->GetObject(28)->GetTypeCode(), uint32_t(kObjectKindSliding));
    EXPECT_EQ(objects->GetObject(29)->GetTypeCode(), uint32_t(kObjectKindButtons));
    EXPECT_NE(dynamic_cast<CObjectsInterfaceEffects*>(objects->GetInterfaceObject(kInterfaceEffects)), nullptr);
    EXPECT_NE(dynamic_cast<CObjectsInterfaceTuto*>(objects->GetObject(18)), nullptr);
    EXPECT_EQ(objects->GetInterfaceObject(kInterfaceTutorial), objects->GetObject(18));
    EXPECT_NE(dynamic_cast<CObjectsLevelEmpty*>(objects->GetObject(0)), nullptr);
    EXPECT_NE(dynamic_cast<CObjectsLevelExploration*>(objects->GetObject(1)), nullptr);
    EXPECT_NE(dynamic_cast<CObjectsLevelEmpty*>(objects->GetObject(2)), nullptr);
    EXPECT_EQ(objects->FindLevelIndexByName("frame"), 2);
    EXPECT_EQ(objects->FindLevelIndexByName("puzzles"), 0);
    EXPECT_EQ(objects->FindLevelIndexByName("hall"), 1);
    EXPECT_EQ(objects->FindLevelByNameAndType("study", kObjectKindExploration), 3);
    EXPECT_EQ(objects->FindLevelByNameAndType("hall", kObjectKindExploration), 1);
    EXPECT_EQ(objects->FindLevelByNameAndType("puzzles", kObjectKindEmpty), 0);
    EXPECT_EQ(objects->FindLevelByNameAndType("hall", kObjectKindEmpty), -1);
    int32_t object = -1, element = -1;
    ASSERT_EQ(objects->ResolveLevelReference("@hall@key", &object, &element), 0);
    EXPECT_EQ(object, 1);
    EXPECT_EQ(element, objects->GetObject(1)->FindElementByName("key"));
    CChaptersManager* chapters = game.World()->GetChaptersManager();
    ASSERT_NE(chapters, nullptr);
    ASSERT_EQ(chapters->GetChapterCount(), 2u);
    EXPECT_EQ(chapters->GetChapter(0)->firstLevel, 1u);
    EXPECT_EQ(chapters->GetChapter(1)->firstLevel, 0u);
    EXPECT_EQ(game.Game()->constructionStampA, 1u);
    ASSERT_TRUE(game.Step(59));
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, TheSampleTablesNameTheHallsItemsAndPopupTexts)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    CNimbrelWorld* world = game.World();
    CObjectsBase* hall = world->GetObjectsManager()->GetObject(1);
    CGroups* groups = world->GetGroups();
    ASSERT_NE(groups, nullptr);
    const GroupRecord* items = groups->GetGroup(groups->FindGroupByName("hall_items"));
    ASSERT_NE(items, nullptr);
    const char* const names[] = {"key", "candle", "book", "apple", "quill", "coin"};
    ASSERT_EQ(items->memberCount, 6u);
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(items->pMembers[i].levelIndex, 1u);
        EXPECT_EQ(int32_t(items->pMembers[i].elementIndex), hall->FindElementByName(names[i])) << names[i];
    }
    CLabels* labels = world->GetLabels();
    ASSERT_NE(labels, nullptr);
    const LabelRecord* floor = labels->GetLabel(labels->FindLabelByName("hall_floor"));
    ASSERT_NE(floor, nullptr);
    EXPECT_EQ(floor->group.memberCount, 3u);
    CExtraTextManager* extraTexts = world->GetExtraTextManager();
    ASSERT_NE(extraTexts, nullptr);
    EXPECT_EQ(extraTexts->GetSlotCount(), 2u);
    EXPECT_EQ(extraTexts->FindPopupGroupByName("hall_welcome"), 0);
    EXPECT_EQ(extraTexts->FindPopupGroupByName("hall_done"), 1);
    EXPECT_NE(extraTexts->GetButtonObject(), nullptr);
    ASSERT_NE(world->GetObjectiveManager(), nullptr);
    EXPECT_EQ(world->GetObjectiveManager()->GetCurrentObjective(), -1);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, AConstructionOfAnotherGameEndsWithTheErrorBoxAnd255)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Platform_SetMessageBoxHook(nullptr, nullptr);
            TestSystem_SetEnv("SDL_VIDEODRIVER", "offscreen");
            NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
            options.createWorld = []() -> CNimbrelWorld* { return new StrangerWorld(); };
            NimbrelHarness game(options);
            if (game.Start() != 0)
                std::exit(3);
            int frames = 0;
            while (game.Step() && ++frames < 60) {
            }
            std::exit(game.Stop() & 0xFF);
        },
        ::testing::ExitedWithCode(255), "An error occurred while loading");
}

TEST_F(GameFolder, StartsOnTheWorldLoadAndPlaysTheHall)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    // The splash skipped: the world load is the first state.
    EXPECT_EQ(game.State(), kGameStateWorldLoad);
    EXPECT_EQ(game.Game()->developerMode, 0);
    ASSERT_TRUE(game.Step());
    // The main script asked for the first profile's level: chapter 1 at the hall.
    EXPECT_EQ(game.State(), kGameStateLevelChange);
    EXPECT_EQ(game.Game()->busy, 0);
    EXPECT_STREQ(game.Game()->constructBaseName, NIMBREL_APP_NAME);
    // The shell load makes the screenshot first among the managers a relayout reloads.
    ASSERT_NE(game.World()->GetScreenshot(), nullptr);
    ASSERT_GE(game.World()->GetRegisteredCount(), 1u);
    EXPECT_EQ(game.World()->GetRegistered(0), static_cast<CManagedObject*>(game.World()->GetScreenshot()));
    ASSERT_TRUE(StepUntilPlaying(game));
    CObjectsManager* objects = game.World()->GetObjectsManager();
    ASSERT_NE(objects->GetCurrentLevelObject(), nullptr);
    EXPECT_STREQ(objects->GetCurrentLevelObject()->GetName(), "hall");
    EXPECT_EQ(game.World()->GetChaptersManager()->GetCurrentChapter(), 0);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, TheWorldLoadRunsTheMainScriptFromThePack)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    CScriptManager* scripts = game.World()->GetScriptManager();
    ASSERT_NE(scripts, nullptr);
    CScriptBaseKest* main = scripts->GetMainScript();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->IsLoaded());
    // The sample's "main" sets the fades' duration.
    EXPECT_EQ(game.Game()->screen.defaultFadeSeconds, 0.3f);
    // Its other functions, as chapter changes and the tutorial call them.
    uint32_t value = 0;
    EXPECT_EQ(scripts->OnDisableTutorial(), 0);
    EXPECT_EQ(main->GetLong("tutorial", &value, true), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(scripts->OnEnableTutorial(), 0);
    EXPECT_EQ(main->GetLong("tutorial", &value, true), 0);
    EXPECT_EQ(value, 1u);
    // "main" chose the title, a level of no chapter: "OnStart" waits for the first chapter.
    EXPECT_EQ(scripts->OnStart(), 0);
    EXPECT_EQ(main->GetLong("visits", &value, false), 0);
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(game.Step(29));
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, TheHallIsPlayedWithTheFrameItsScriptNames)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    CObjectsManager* objects = game.World()->GetObjectsManager();
    CObjectsBase* hall = objects->GetObject(1);
    CObjectsBase* frame = objects->GetObject(2);
    // The hall's "OnDepedencies" named the frame: loaded with it, its own event run, on screen.
    EXPECT_TRUE(frame->IsWanted());
    EXPECT_TRUE(frame->IsShown());
    EXPECT_TRUE(frame->IsLoaded());
    bool listed = false;
    for (void* item = objects->GetActiveList().GetFirst(); item; item = objects->GetActiveList().GetNext())
        listed = listed || item == frame;
    EXPECT_TRUE(listed);
    // On screen: drawn before the hall, in the border the hall's picture leaves free.
    CTransitions* transitions = game.World()->GetTransitions();
    for (int i = 0; i < 300 && transitions && !transitions->IsFadeValueZero(); ++i)
        ASSERT_TRUE(game.Step());
    ASSERT_TRUE(game.Step());
    for (const char* bar : {"top", "bottom", "left", "right"}) {
        const ElementRecord* e = frame->GetItemRecord(uint32_t(frame->FindElementByName(bar)));
        float at[3];
        frame->ProjectElementToScreen(at, e);
        // Along the top and bottom, left of the title card that comes down over the top bar.
        const int32_t x = int32_t(std::lround(at[0])) - (e->size[0] > e->size[1] ? 400 : 0);
        uint32_t colour = 0;
        ASSERT_TRUE(game.ReadPixel(x, int32_t(std::lround(at[1])), &colour)) << bar;
        EXPECT_TRUE(NearColour(colour, e->color)) << bar << std::hex << " " << colour;
    }
    // The hall's "OnStart" read the frame's exported variable.
    uint32_t value = 0;
    EXPECT_EQ(frame->GetScript()->GetLong("ready", &value, true), kStatusOk);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(hall->GetScript()->GetLong("framed", &value, false), kStatusOk);
    EXPECT_EQ(value, 1u);
    // The hall's items by their group of the construction, and one by name.
    std::vector<std::string> items;
    ItemListIterator it;
    const BuiltinReport report = {"test", 0, 0};
    for (hall->ItemListStart(it, "@GP@hall_items, door", report, false); !it.done; hall->NextListItem(it, report, false)) {
        EXPECT_EQ(it.object, 1);
        items.push_back(hall->GetItemRecord(uint32_t(it.element))->pName);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"key", "candle", "book", "apple", "quill", "coin", "door"}));
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, TheHallIsReadFromThePackByTheGamesSourceOfObjectFiles)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    // As the construction makes object 1 of the sample: an exploration level.
    CObjectsLevelExploration hall(game.World()->GetWorldData(), 1, 0);
    ASSERT_EQ(hall.Load(), 0);
    ASSERT_EQ(hall.BuildFromRaw(u"Nimbrel_object_1.raw"), 0);
    EXPECT_STREQ(hall.GetName(), "hall");
    for (const char* item : {"key", "candle", "book", "apple", "quill", "coin", "well_done", "door", "title",
                             "clock", "pendulum", "curtain", "corner_plate"})
        EXPECT_GE(hall.FindElementByName(item), 0) << item;
    const ElementRecord& pendulum = *hall.GetItemRecord(uint32_t(hall.FindElementByName("pendulum")));
    EXPECT_EQ(pendulum.lockScreenRef, hall.FindElementByName("clock"));
    EXPECT_EQ(pendulum.trackCount, 1u);
    EXPECT_EQ(hall.GetItemRecord(uint32_t(hall.FindElementByName("corner_plate")))->anchor, 20u);
    EXPECT_EQ(hall.FindElementByName("ghost"), -1);
    EXPECT_EQ(hall.BuildFromRaw(u"Nimbrel_object_99.raw"), kStatusFailed);
    EXPECT_EQ(hall.Release(), 0);
    EXPECT_EQ(game.Stop(), 0);
}

TEST_F(GameFolder, AProfilePlayedInOneRunIsThereInTheNext)
{
    const std::string file = UserFolder() + "Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_1.sav";
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(game.Step());
        CProfileManager* profiles = game.World()->GetProfileManager();
        ASSERT_NE(profiles, nullptr);
        EXPECT_EQ(profiles->GetSlotCount(), 3u);
        // The main script showed the title: no slot is used yet.
        EXPECT_FALSE(profiles->GetSlot(1)->used);
        // The player names slot 1 and plays 20 seconds in it.
        profiles->SetCurrentSlot(1);
        ASSERT_EQ(profiles->RenameProfile(1, u"Player"), kStatusOk);
        ProfileSlot* slot = profiles->GetCurrentSlot();
        slot->used = 1;
        slot->gameInProgress = 1;
        game.World()->GetWorldData()->frameTime = 600.0;
        profiles->Update();
        EXPECT_EQ(game.Stop(), 0);
    }
    ASSERT_TRUE(fs::exists(file)) << "saved with the options at the end";
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    CProfileManager* profiles = game.World()->GetProfileManager();
    ASSERT_NE(profiles, nullptr);
    // The options kept the slot played last; the title leaves it current.
    EXPECT_EQ(profiles->GetCurrentIndex(), 1);
    const ProfileSlot* slot = profiles->GetSlot(1);
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(slot->used);
    ASSERT_NE(slot->name, nullptr);
    EXPECT_EQ(UtilsString_ToUtf8(slot->name), "Player");
    char16_t text[16];
    profiles->FormatPlayTime(1, text);
    EXPECT_EQ(UtilsString_ToUtf8(text), "(00:00:21)");
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// A profile that cannot be saved at a level change (a full or read-only folder) ends the game:
// its box names the save and its folder, not a text left over from the start (here a missing
// sound device's), and so does the log.
TEST_F(GameFolder, AProfileThatCannotBeSavedAtALevelChangeIsNamedInTheBox)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    CProfileManager* profiles = game.World()->GetProfileManager();
    ASSERT_NE(profiles, nullptr);
    profiles->SetCurrentSlot(1);
    ProfileSlot* slot = profiles->GetCurrentSlot();
    ASSERT_NE(slot, nullptr);
    slot->used = slot->gameInProgress = slot->changed = 1;
    WorldData* w = game.World()->GetWorldData();
    UtilsString_Copy(w->lastErrorText, kWorldTextSize, u"No audio device was found");
    Platform_SetSaveHook([](void*, PlatformSaveStep step, size_t) -> long { return step == PlatformSaveStep::kWrite ? -1 : 0; },
                         nullptr);
    ASSERT_EQ(game.World()->GetObjectsManager()->SetCurrentLevel(3, kNoObjectIndex, 0), kStatusOk);
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i)
        ended = !game.Step();
    Platform_SetSaveHook(nullptr, nullptr);
    EXPECT_TRUE(ended);
    const std::string log = UtilsString_ToUtf8(w->logPath);
    game.Stop();
    const std::string named = "\"" NIMBREL_APP_NAME ".v3.profile_full_1.sav\" could not be ";
    const std::string folder = "\"" + UserFolder() + "Nimbrel " NIMBREL_APP_NAME "\"";
    EXPECT_NE(boxes.find("(The profile " + named + "saved in " + folder + ")"), std::string::npos) << boxes;
    EXPECT_EQ(boxes.find("No audio device"), std::string::npos) << boxes;
    std::ifstream in(fs::path(root) / "run" / "Nimbrel.log");
    std::stringstream lines;
    lines << in.rdbuf();
    EXPECT_NE(lines.str().find(named + "written in " + folder), std::string::npos) << log << "\n" << lines.str();
}

TEST_F(GameFolder, DeveloperFileTurnsTheDeveloperKeysOn)
{
    WriteDeveloperFile(1);
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    EXPECT_EQ(game.Game()->developerMode, 1);
    game.Step();
    // Numpad divide stops the game's time; F2 shows the debug line.
    game.PostKey(VK_DIVIDE);
    game.PostKey(VK_F1 + 1);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(game.World()->GetSpeedFactor(), 0.0f);
    EXPECT_EQ(game.Game()->debugLine, 1);
    game.PostKey(VK_MULTIPLY);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(game.World()->GetSpeedFactor(), 1.0f);
    EXPECT_EQ(game.Stop(), 0);
}

TEST_F(GameFolder, LeavingOnPurposeEndsWithoutABox)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step(2));
    // The menu's leave question answered "yes" sets the quit request.
    game.Game()->stop = 1;
    EXPECT_FALSE(game.Step());
    EXPECT_FALSE(game.Running());
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, AFailingWorldLoadShowsTheErrorBoxAndExitsWith255)
{
    // In a process of its own, without a display for boxes: the box goes to standard error.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Platform_SetMessageBoxHook(nullptr, nullptr);
            TestSystem_SetEnv("SDL_VIDEODRIVER", "offscreen");
            NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
            options.createWorld = []() -> CNimbrelWorld* { return new BrokenWorld(); };
            NimbrelHarness game(options);
            if (game.Start() != 0)
                std::exit(3);
            int frames = 0;
            while (game.Step() && ++frames < 10) {
            }
            std::exit(game.Stop() & 0xFF);
        },
        ::testing::ExitedWithCode(255),
        "Error \\(v3,115\\): An error occurred while loading.\n\nThe application will now exit.\n\n"
        "\\(Missing file: Nimbrel_construct.raw\\)");
}

// The sample's crate, made by `vornel model shape`, as the running game reads it: the box's six
// faces, each facing out, in the crate's colour.
TEST_F(GameFolder, SampleCrateLoadsOntoTheRenderer)
{
    NimbrelHarness game;
    WorldData* world = nullptr;
    C3DEngine* engine = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartOnRenderer(game, world, engine));
    C3DObject* crate = nullptr;
    ASSERT_NO_FATAL_FAILURE(LoadPackModel(engine, world, u"models/crate.3dx", crate));
    EXPECT_EQ(crate->GetGroupCount(), 6u);
    ASSERT_EQ(crate->GetVertexCount(), 24u);
    for (uint32_t v = 0; v < 24; ++v) {
        const C3DVector3 p = crate->GetVertexPosition(v), n = crate->GetVertexNormal(v);
        EXPECT_FLOAT_EQ(std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z), 1.5f);
        EXPECT_GT(p.x * n.x + p.y * n.y + p.z * n.z, 0.0f) << v;
        EXPECT_EQ(crate->GetVertexColor(v), 0xFF8B5A2Bu);
    }
    EXPECT_EQ(engine->ReleaseObject(crate), kStatusOk);
    EXPECT_EQ(game.Stop(), 0);
}

// The sample's candlestick as the running game reads it: from the pack, onto the renderer's
// object, its flame's colour track stepped once a frame.
TEST_F(GameFolder, SampleCandlestickLoadsOntoTheRenderer)
{
    NimbrelHarness game;
    WorldData* world = nullptr;
    C3DEngine* engine = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartOnRenderer(game, world, engine));
    C3DObject* candlestick = nullptr;
    ASSERT_NO_FATAL_FAILURE(LoadPackModel(engine, world, u"models/candlestick.3dx", candlestick));
    EXPECT_EQ(candlestick->GetGroupCount(), 3u);
    EXPECT_EQ(candlestick->GetVertexCount(), 16u);
    EXPECT_EQ(candlestick->GetVertexColor(12), 0xFFFFD040u); // the flame
    EXPECT_FLOAT_EQ(candlestick->GetVertexPosition(14).y, 1.45f);
    EXPECT_EQ(candlestick->GetMaterial(0)->power, 30.0f);

    C3DObjectRaw raw(world);
    ASSERT_EQ(world->pfnPackLocator(u"models/candlestick.3dx", &world->pack), kStatusOk);
    ASSERT_EQ(raw.LoadFromPacker(&world->pack), kStatusOk);
    ASSERT_NE(raw.GetRecord()->modifiers, nullptr);
    auto* flame = static_cast<C3DObjectModifierDirectColor*>(raw.GetRecord()->modifiers[2][kModifierDirectColor]);
    ASSERT_NE(flame, nullptr);
    flame->SetTarget(candlestick, 2);
    uint32_t first = flame->Apply();
    bool flickers = false;
    for (int frame = 0; frame < 20 && !flickers; ++frame) {
        ASSERT_TRUE(game.Step());
        world->frameTime = 1.0; // one frame's step whatever the clock says
        const uint32_t color = flame->Apply();
        flickers = color != first;
        candlestick->SetColor(color);
    }
    EXPECT_TRUE(flickers);
    EXPECT_EQ(engine->ReleaseObject(candlestick), kStatusOk);
    EXPECT_EQ(game.Stop(), 0);
}

// The sample's fragment shaders as the running game's renderer makes them: from the pack, with
// the uniforms that the dissolve fades set by name.
TEST_F(GameFolder, SampleShadersCompileOnTheRenderer)
{
    NimbrelHarness game;
    WorldData* world = nullptr;
    C3DEngine* engine = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartOnRenderer(game, world, engine));
    ASSERT_EQ(engine->IsShaderSupported(), kStatusOk);
    for (const char16_t* name : {u"textures/default.gl.frag", u"textures/transition.gl.frag"}) {
        SCOPED_TRACE(UtilsString_ToUtf8(name));
        C3DShader* shader = engine->CreateShader(1, 0);
        ASSERT_NE(shader, nullptr);
        ASSERT_EQ(world->pfnPackLocator(name, &world->pack), kStatusOk);
        ASSERT_EQ(shader->LoadFromPacker(&world->pack), kStatusOk);
        EXPECT_TRUE(shader->HasNamedUniforms());
        EXPECT_EQ(shader->SetInt("Texture0", 0), kStatusOk);
        EXPECT_EQ(shader->SetFloat("u_no_such_uniform", 1.0f), kStatusFailed);
        EXPECT_EQ(engine->ReleaseShader(shader), kStatusOk);
    }
    C3DShader* dissolve = engine->CreateShader(1, 0);
    ASSERT_EQ(world->pfnPackLocator(u"textures/transition.gl.frag", &world->pack), kStatusOk);
    ASSERT_EQ(dissolve->LoadFromPacker(&world->pack), kStatusOk);
    for (const char* uniform : {"u_trans_ratio", "u_border_factor", "u_noise_amp"})
        EXPECT_EQ(dissolve->SetFloat(uniform, 0.5f), kStatusOk) << uniform;
    for (const char* uniform : {"u_min_pos", "u_pos_scale"})
        EXPECT_EQ(dissolve->SetVector(uniform, 0.0f, 1.0f), kStatusOk) << uniform;
    EXPECT_EQ(engine->ReleaseShader(dissolve), kStatusOk);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(game.Stop(), 0);
}

// The sample's hall as the running game activates it: its element infos, models, animation file
// and chapter script from the pack, on the renderer; the frame it depends on named; its script
// started once; a message posted
// to it delivered to its handler.
TEST_F(GameFolder, SampleHallActivatesFromThePack)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    // The manager's own hall: item lists in its script name the items of object 1.
    auto* managed = dynamic_cast<CObjectsLevelExploration*>(game.World()->GetObjectsManager()->GetObject(1));
    ASSERT_NE(managed, nullptr);
    ASSERT_FALSE(managed->IsLoaded());
    CObjectsLevelExploration& hall = *managed;
    ASSERT_EQ(hall.Load(), kStatusOk);
    ASSERT_EQ(hall.BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOk);
    // As a level change prepares the level: its script names the objects it needs first.
    ASSERT_EQ(hall.LoadScript(0, 0), kStatusOk);
    ASSERT_EQ(hall.FireScriptEvent(kEventDependencies), kStatusOk);
    ASSERT_EQ(hall.Activate(1), kStatusOk);
    EXPECT_TRUE(hall.IsLoaded());
    EXPECT_EQ(hall.GetRenderModel()->GetGroupCount(), hall.GetElementCount());
    EXPECT_EQ(hall.GetCurrentVariant(), 0);
    auto global = [&hall](const char* name) {
        uint32_t value = 0xDEAD;
        hall.GetScript()->GetLong(name, &value, false);
        return value;
    };
    EXPECT_EQ(global("started"), 1u);
    EXPECT_EQ(global("running"), 1u);

    // The pendulum swings for ever; nothing else moves.
    const int32_t pendulum = hall.FindElementByName("pendulum");
    ASSERT_GE(pendulum, 0);
    C3DObjectModifier* swing = hall.GetElementTrack(uint32_t(pendulum), kModifierRotation);
    ASSERT_NE(swing, nullptr);
    EXPECT_EQ(swing->GetState().mode, uint32_t(kModifierRepeat));
    EXPECT_EQ(hall.GetElementTrack(0, kModifierRotation), nullptr);

    ASSERT_EQ(hall.PostMessage(UtilsString_DupA("door"), 2, 3), kStatusOk);
    hall.DispatchMessages();
    EXPECT_EQ(global("messages"), 1u);
    EXPECT_EQ(global("lastValue"), 5u);
    ASSERT_EQ(hall.Activate(1), kStatusOk);
    EXPECT_EQ(global("started"), 1u);
    EXPECT_EQ(hall.Release(), kStatusOk);
    EXPECT_EQ(game.Stop(), 0);
}

// The hall as the game plays it: the main script starts the first profile there, and the frames
// draw it through the game's view with every item of the list at its place and the pendulum
// swinging. The picture is kept as build/test/hall_scene.png.
TEST_F(GameFolder, SampleHallIsPlayedWithItsItemsAndItsSwingingPendulum)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    ASSERT_TRUE(CloseHallIntro(game));
    // The hall fades in: the pictures are read once the fade has ended.
    CTransitions* transitions = game.World()->GetTransitions();
    for (int i = 0; i < 300 && transitions && !transitions->IsFadeValueZero(); ++i)
        ASSERT_TRUE(game.Step());
    ASSERT_TRUE(game.Step());
    CObjectsBase* hall = game.World()->GetObjectsManager()->GetCurrentLevelObject();
    ASSERT_NE(hall, nullptr);
    ASSERT_STREQ(hall->GetName(), "hall");
    const auto element = [hall](const char* name) { return hall->GetItemRecord(uint32_t(hall->FindElementByName(name))); };
    const char* items[] = {"key", "candle", "book", "apple", "quill", "coin"};
    const auto centres = [&] {
        std::vector<uint32_t> colours;
        for (const char* item : items) {
            float at[3];
            hall->ProjectElementToScreen(at, element(item));
            uint32_t colour = 0;
            EXPECT_TRUE(game.ReadPixel(int32_t(std::lround(at[0])), int32_t(std::lround(at[1])), &colour)) << item;
            colours.push_back(colour);
        }
        return colours;
    };
    const std::vector<uint32_t> shown = centres();

    // Kept for a look: the last frame, upright.
    int32_t width = 0, height = 0;
    ASSERT_TRUE(Platform_GL_GetDrawableSize(game.Session().window, &width, &height));
    using ReadPixelsFn = void (*)(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, void*);
    auto readPixels = reinterpret_cast<ReadPixelsFn>(Platform_GL_GetProcAddress("glReadPixels"));
    ASSERT_NE(readPixels, nullptr);
    std::vector<uint8_t> picture(size_t(width) * height * 3);
    readPixels(0, 0, width, height, 0x1907 /* RGB */, 0x1401 /* unsigned byte */, picture.data());
    C3DTextureRaw raw(game.World()->GetWorldData());
    ASSERT_EQ(raw.SetPixelsCopy(uint16_t(width), uint16_t(height), 24, picture.data()), kStatusOk);
    EXPECT_EQ(raw.SaveToFile(UtilsString_FromUtf8((kBin + "/../hall_scene.png").c_str()).c_str(), false), kStatusOk);

    // Each item's centre changes when the item is gone.
    for (const char* item : items)
        element(item)->alpha = 0.0f;
    ASSERT_TRUE(game.Step());
    const std::vector<uint32_t> hidden = centres();
    for (size_t i = 0; i < shown.size(); ++i) {
        int difference = 0;
        for (int shift : {0, 8, 16})
            difference = std::max(difference, std::abs(int((shown[i] >> shift) & 0xFF) - int((hidden[i] >> shift) & 0xFF)));
        EXPECT_GT(difference, 24) << items[i] << std::hex << " " << shown[i] << " " << hidden[i];
    }

    // The pendulum turns from frame to frame.
    const float before = element("pendulum")->worldMatrix[1];
    ASSERT_TRUE(game.Step(10));
    EXPECT_NE(element("pendulum")->worldMatrix[1], before);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

namespace {

// The sample's game with an 800 by 600 reference screen, smaller than its 1024 by 768 window.
class SmallReferenceWorld : public CNimbrelWorld {
public:
    void ReadScreenSettings() override
    {
        CNimbrelWorld::ReadScreenSettings();
        GetGameData()->screen.referenceWidth = 800.0f;
        GetGameData()->screen.referenceHeight = 600.0f;
    }
};

}  // namespace

TEST_F(GameFolder, AWindowLargerThanTheReferenceShowsTheReferenceScreenScaledUp)
{
    NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
    options.createWorld = []() -> CNimbrelWorld* { return new SmallReferenceWorld(); };
    NimbrelHarness game(options);
    ASSERT_EQ(game.Start(), 0) << boxes;
    const WorldData* w = game.World()->GetWorldData();
    ASSERT_GT(w->realWidth, 800);
    // The virtual screen is the window brought back by the fit, which keeps a margin of a
    // reference other than 1024 by 768: the renderer's stretch onto the window is the fit itself,
    // the same along both axes, and the views are not scaled again.
    const GameScreenScale& s = game.Game()->screen;
    float fit[4];
    ComputeScreenFit(w->realWidth, w->realHeight, 800.0f, 600.0f, 0, 1, fit, nullptr, nullptr);
    EXPECT_EQ(w->virtualWidth, std::lround(w->realWidth / fit[2]));
    EXPECT_EQ(w->virtualHeight, std::lround(w->realHeight / fit[3]));
    EXPECT_NEAR(w->scaleX, fit[2], 0.01f);
    EXPECT_NEAR(w->scaleY, fit[3], 0.01f);
    // The interfaces show the whole reference screen: the texts keep their proportions.
    const float whole = std::min({fit[2], w->realWidth / 800.0f, w->realHeight / 600.0f});
    EXPECT_FLOAT_EQ(s.textScale, whole / fit[2]);
    EXPECT_EQ(s.textureLevelShift, 0);
    ASSERT_TRUE(game.Step());
    EXPECT_NEAR(w->game.view.sceneScaleX, 1.0f, 0.01f);
    EXPECT_EQ(game.Stop(), 0);
}

namespace {

// The sample's game with one change to its application settings, made before the shell load
// reads them: the first `g_settingsFrom` of the text becomes `g_settingsTo`.
const char* g_settingsFrom = "";
const char* g_settingsTo = "";

class EditedSettingsWorld : public CNimbrelWorld {
public:
    Status Load(void* pWindow, uint16_t width, uint16_t height, uint8_t colorDepth, uint32_t displayValue,
                uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync, uint32_t orientation,
                const char16_t* dataPath, uint16_t virtualWidth, uint16_t virtualHeight) override
    {
        WorldData* w = GetWorldData();
        const auto* stored = dynamic_cast<const UtilsParameters_Text*>(w->pAppSettings);
        if (!stored)
            return kStatusFailed;
        m_text.assign(stored->GetText(), stored->GetTextSize());
        const size_t at = m_text.find(g_settingsFrom);
        if (at == std::string::npos)
            return kStatusFailed;
        m_text.replace(at, std::strlen(g_settingsFrom), g_settingsTo);
        m_settings = std::make_unique<UtilsParameters_Text>(m_text.data(), uint32_t(m_text.size()));
        w->pAppSettings = m_settings.get();
        return CNimbrelWorld::Load(pWindow, width, height, colorDepth, displayValue, fullScreen, resizable,
                                   verticalSync, orientation, dataPath, virtualWidth, virtualHeight);
    }

private:
    std::string m_text;
    std::unique_ptr<UtilsParameters_Text> m_settings;
};

}  // namespace

TEST_F(GameFolder, TheShellLoadReadsTheTextSizesWithTheirDefaultsAndTheGlobalRatio)
{
    const struct {
        const char *from, *to;
        float menu, extra, information, narrator, tutorial;
        uint32_t informationColor;
        float popupBorder;
    } cases[] = {
        // No MAIN_FONT section: every default.
        {"[MAIN_FONT]", "[UNUSED_FONT]", 60.0f, 60.0f, 30.0f, 40.0f, 30.0f, 0xFF000000u, 0.9f},
        // The sample's sizes and colours, every size doubled.
        {"GLOBAL_TEXT_RATIO = 1.0", "GLOBAL_TEXT_RATIO = 2.0", 56.0f, 120.0f, 60.0f, 48.0f, 32.0f, 0xFFFFFFFFu, 0.5f},
    };
    for (const auto& c : cases) {
        g_settingsFrom = c.from;
        g_settingsTo = c.to;
        NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
        options.createWorld = []() -> CNimbrelWorld* { return new EditedSettingsWorld(); };
        NimbrelHarness game(options);
        ASSERT_EQ(game.Start(), 0) << boxes << c.to;
        CNimbrelWorld* world = game.World();
        const GameTextAppearance& text = game.Game()->text;
        EXPECT_FLOAT_EQ(world->MainTextStyle().width, c.menu) << c.to;
        EXPECT_FLOAT_EQ(world->MainTextStyle().height, c.menu) << c.to;
        EXPECT_EQ(world->MainTextStyle().color, 0xFFFFFFFFu) << c.to;
        EXPECT_FLOAT_EQ(world->ExtraTextStyle().width, c.extra) << c.to;
        EXPECT_FLOAT_EQ(text.information.width, c.information) << c.to;
        EXPECT_FLOAT_EQ(text.information.height, c.information) << c.to;
        EXPECT_EQ(text.information.color, c.informationColor) << c.to;
        EXPECT_FLOAT_EQ(text.narrator.height, c.narrator) << c.to;
        EXPECT_FLOAT_EQ(text.tutorial.width, c.tutorial) << c.to;
        EXPECT_EQ(text.tutorial.color, 0xFFFFFFFFu) << c.to;
        // The two ratios are not text sizes.
        EXPECT_FLOAT_EQ(text.menuButtonSizeRatio, 1.0f) << c.to;
        EXPECT_FLOAT_EQ(text.popupBorderRatio, c.popupBorder) << c.to;
        // No extra glyph file: the extra font is the main font, freed once at the end.
        ASSERT_NE(world->GetMainFont(), nullptr);
        EXPECT_EQ(world->GetSecondFont(), world->GetMainFont());
        ASSERT_TRUE(game.Step());
        EXPECT_EQ(game.Stop(), 0);
    }
}

TEST_F(GameFolder, AGameInProgressContinuesWhereThePlayerLeftIt)
{
    const std::string file = UserFolder() + "Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    auto hall = [](NimbrelHarness& game) {
        CObjectsBase* level = game.World()->GetObjectsManager()->GetCurrentLevelObject();
        return level && level->GetName() && std::string(level->GetName()) == "hall" ? level : nullptr;
    };
    auto global = [](CObjectsBase* level, const char* name) {
        uint32_t value = 0xDEAD;
        level->GetScript()->GetLong(name, &value, false);
        return value;
    };
    auto found = [](CObjectsBase* level, const char* name) {
        const int32_t index = level->FindElementByName(name);
        return index >= 0 && (level->GetItemRecord(uint32_t(index))->flags & kElementFound) != 0;
    };
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(StepUntilPlaying(game));
        CObjectsBase* level = hall(game);
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(global(level, "started"), 1u);
        // A message reaches the hall's script; the player finds the key and the candle (as
        // their clicks would mark them) and quits.
        ASSERT_EQ(level->PostMessage(UtilsString_DupA("door"), 2, 3), kStatusOk);
        level->DispatchMessages();
        EXPECT_EQ(global(level, "messages"), 1u);
        for (const char* name : {"key", "candle"})
            level->GetItemRecord(uint32_t(level->FindElementByName(name)))->flags |= kElementFound;
        ASSERT_TRUE(game.Step(10));
        EXPECT_EQ(game.Stop(), 0);
    }
    ASSERT_TRUE(fs::exists(file)) << "saved at the quit";
    const std::string dump = ProfileDump(file);
    for (const char* name : {"key", "candle"}) {
        const uint32_t flags = DumpedElementFlags(dump, name);
        EXPECT_TRUE(flags != 0xFFFFFFFFu && (flags & kElementFound)) << name << "\n" << dump;
    }

    // The next start continues slot 0: the items stay found and the hall's script goes on from
    // its saved state instead of starting again.
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    CObjectsBase* level = hall(game);
    ASSERT_NE(level, nullptr);
    EXPECT_TRUE(found(level, "key"));
    EXPECT_TRUE(found(level, "candle"));
    EXPECT_FALSE(found(level, "book"));
    EXPECT_EQ(global(level, "started"), 1u);
    EXPECT_EQ(global(level, "messages"), 1u);
    EXPECT_EQ(global(level, "lastValue"), 5u);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

namespace {

// The sample's game with a plain stand-in for each manager of the shell load that this build
// does not make, so that the whole order of the registered managers shows.
class StandInWorld : public CNimbrelWorld {
protected:
    CManagedObject* NewManager(int32_t slot) override
    {
        if (CManagedObject* made = CNimbrelWorld::NewManager(slot))
            return made;
        for (int32_t shell : {kManagerSplash, kManagerShader, kManagerTransitions, kManagerLoading, kManagerProgressBar})
            if (slot == shell)
                return new CManagedObject(GetWorldData());
        return nullptr;
    }
};

}  // namespace

TEST_F(GameFolder, TheShellLoadRegistersItsManagersInOrder)
{
    NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
    options.createWorld = []() -> CNimbrelWorld* { return new StandInWorld(); };
    NimbrelHarness game(options);
    ASSERT_EQ(game.Start(), 0) << boxes;
    CNimbrelWorld* world = game.World();
    ASSERT_NE(world->GetManager(kManagerShader), nullptr);
    // The shader manager is made but not told of display changes.
    const CManagedObject* expected[] = {world->GetScreenshot(), world->GetManager(kManagerSplash),
                                        world->GetManager(kManagerTransitions), world->GetManager(kManagerLoading),
                                        world->GetManager(kManagerProgressBar)};
    ASSERT_EQ(world->GetRegisteredCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_NE(expected[i], nullptr) << i;
        EXPECT_EQ(world->GetRegistered(i), expected[i]) << i;
    }
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, AProfileWhoseSceneStateCannotBeReadStillPlays)
{
    const std::string file = UserFolder() + "Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        // A frame of play at least: the profile's clock runs, so that the quit saves it.
        ASSERT_TRUE(StepUntilPlaying(game));
        ASSERT_TRUE(game.Step(2));
        EXPECT_EQ(game.Stop(), 0);
    }
    // Every object's message list claims more messages than its chunk holds: the file's chunks
    // are sound, its header reads, but the scene cannot be restored.
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const uint32_t tag = 20004;
    int damaged = 0;
    for (size_t at = bytes.find(std::string(reinterpret_cast<const char*>(&tag), 4)); at != std::string::npos;
         at = bytes.find(std::string(reinterpret_cast<const char*>(&tag), 4), at + 1), ++damaged)
        bytes.replace(at + 12, 4, "\xFF\xFF\xFF\xFF", 4);
    ASSERT_GT(damaged, 0);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;

    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    EXPECT_TRUE(StepUntilPlaying(game));
    ASSERT_TRUE(game.Step(10));
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

namespace {

// The sample's game with its debug line readable.
class DebugLineWorld : public CNimbrelWorld {
public:
    using CNimbrelWorld::GetDebugLine;
};

// The colours of the top-right box of the window, row by row.
std::vector<uint32_t> ReadBox(NimbrelHarness& game, int32_t width, int32_t height)
{
    const int32_t right = int32_t(game.World()->GetWorldData()->realWidth);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = right - width; x < right; ++x) {
            uint32_t color = 0;
            game.ReadPixel(x, y, &color);
            pixels.push_back(color & 0xFFFFFF);
        }
    return pixels;
}

}  // namespace

TEST_F(GameFolder, InDeveloperModeF2DrawsTheDebugLineInTheTopCorner)
{
    WriteDeveloperFile(1);
    NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
    options.createWorld = []() -> CNimbrelWorld* { return new DebugLineWorld(); };
    NimbrelHarness game(options);
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntil(game, kGameStatePlaying, nullptr));
    char16_t line[kWorldTextSize] = {};
    ASSERT_TRUE(static_cast<DebugLineWorld*>(game.World())->GetDebugLine(line, kWorldTextSize));
    EXPECT_EQ(UtilsString_ToUtf8(line), "chap 1/2, level 1: hall");

    // The game's cursor is drawn at the pointer: out of the way, in the middle of the window.
    game.Post(WM_MOUSEMOVE, 0, Platform_MakeLParam(500, 400));
    ASSERT_TRUE(game.Step());
    const std::vector<uint32_t> before = ReadBox(game, 320, 40);
    game.PostKey(VK_F1 + 1);
    ASSERT_TRUE(game.Step(2));
    ASSERT_EQ(game.Game()->debugLine, 1);
    const std::vector<uint32_t> after = ReadBox(game, 320, 40);
    // The information colour of the sample is white.
    uint32_t white = 0;
    for (size_t i = 0; i < after.size(); ++i)
        white += after[i] != before[i] && after[i] == 0xFFFFFFu;
    EXPECT_GT(white, 20u);
    // The line is right-aligned with its shadow (flags 0x110): the left of the top stays clear.
    uint32_t color = 0;
    ASSERT_TRUE(game.ReadPixel(4, 12, &color));
    EXPECT_NE(color & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The hall's script fades its title card out over a second and a half as the hall runs, then
// goes on: a second later the six items of the list are clickable, each with the fade its find
// starts.
TEST_F(GameFolder, TheHallsTitleCardFadesOutWhileItsItemsWaitToBeFound)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    CObjectsBase* hall = game.World()->GetObjectsManager()->GetCurrentLevelObject();
    ASSERT_NE(hall, nullptr);
    const int32_t title = hall->FindElementByName("title");
    const int32_t key = hall->FindElementByName("key");
    const int32_t coin = hall->FindElementByName("coin");
    ASSERT_GE(title, 0);
    ASSERT_GE(key, 0);
    ASSERT_GE(coin, 0);
    const ElementRecord* card = hall->GetItemRecord(uint32_t(title));
    EXPECT_EQ(card->flags & kElementHidden, 0u);
    EXPECT_GT(card->alpha, 0.5f);
    ASSERT_TRUE(CloseHallIntro(game));
    // The script waits a second before the items take clicks.
    EXPECT_EQ(hall->GetItemRecord(uint32_t(key))->flags & kElementClickable, 0u);
    // A point of the card's dark blue plate, left of its text: blue over the brown wall while
    // the card shows, the wall's own brown once it has gone.
    const auto plate = [&] {
        float at[3];
        hall->ProjectElementToScreen(at, card);
        uint32_t colour = 0;
        EXPECT_TRUE(game.ReadPixel(int32_t(std::lround(at[0])) - 170, int32_t(std::lround(at[1])), &colour));
        return colour;
    };
    const auto blue = [](uint32_t c) { return int(c & 0xFF) - int((c >> 16) & 0xFF); };
    const auto start = std::chrono::steady_clock::now();
    const uint32_t early = plate();
    EXPECT_GT(blue(early), 8) << std::hex << early;
    const auto deadline = start + std::chrono::seconds(30 * kPatience);
    while (!(card->flags & kElementHidden) && std::chrono::steady_clock::now() < deadline)
        ASSERT_TRUE(game.Step());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
    ASSERT_TRUE(game.Step());
    const uint32_t late = plate();
    EXPECT_LT(blue(late), -20) << std::hex << late;
    EXPECT_EQ(card->flags & kElementHidden, kElementHidden);
    EXPECT_EQ(card->alpha, 0.0f);
    for (const int32_t index : {key, coin}) {
        const ElementRecord* item = hall->GetItemRecord(uint32_t(index));
        EXPECT_EQ(item->flags & kElementClickable, kElementClickable) << item->index;
        // The key dissolves, the others fade.
        EXPECT_EQ(item->action, index == key ? kFadeTransition : kFadeHide) << item->index;
    }
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, LevelChangesTakeTheLoadingPathOrTheQuickPath)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntil(game, kGameStatePlaying, nullptr));
    CObjectsManager* objects = game.World()->GetObjectsManager();
    CChaptersManager* chapters = game.World()->GetChaptersManager();

    // The states a change to the level goes through until play.
    auto change = [&game, objects](uint32_t level, uint32_t chapter) {
        std::vector<int32_t> states;
        EXPECT_EQ(objects->SetCurrentLevel(level, chapter, 0), kStatusOk);
        EXPECT_EQ(game.State(), kGameStateLevelChange);
        EXPECT_TRUE(StepUntil(game, kGameStatePlaying, &states));
        return states;
    };
    const std::vector<int32_t> loadingPath = {kGameStateLevelActivation, kGameStatePlaying};
    // The puzzles open chapter 2: a new chapter, through the loading path.
    EXPECT_EQ(change(0, 1), loadingPath);
    EXPECT_STREQ(objects->GetCurrentLevelObject()->GetName(), "puzzles");
    // The card is an empty level: nothing to pause.
    EXPECT_EQ(objects->GetCurrentLevelObject()->OnCommand("pause"), kStatusFailed);
    EXPECT_EQ(chapters->GetCurrentChapter(), 1);
    uint32_t started = 0;
    objects->GetObject(0)->GetScript()->GetLong("started", &started, false);
    EXPECT_EQ(started, 1u);
    // The new chapter built every object anew: the hall loads again.
    EXPECT_EQ(change(1, kNoObjectIndex), loadingPath);
    EXPECT_STREQ(objects->GetCurrentLevelObject()->GetName(), "hall");
    // Back to the puzzles, still loaded, in the same chapter: entered at once.
    EXPECT_EQ(change(0, kNoObjectIndex), std::vector<int32_t>{kGameStatePlaying});
    EXPECT_STREQ(objects->GetCurrentLevelObject()->GetName(), "puzzles");
    // The card is an empty level: nothing to pause.
    EXPECT_EQ(objects->GetCurrentLevelObject()->OnCommand("pause"), kStatusFailed);
    EXPECT_TRUE(objects->GetObject(1)->IsLoaded());
    EXPECT_FALSE(objects->GetObject(1)->IsShown());
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, AGameThatReachedThePuzzlesContinuesThereAfterARestart)
{
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(StepUntil(game, kGameStatePlaying, nullptr));
        ASSERT_EQ(game.World()->GetObjectsManager()->SetCurrentLevel(0, 1, 0), kStatusOk);
        std::vector<int32_t> states;
        ASSERT_TRUE(StepUntil(game, kGameStatePlaying, &states));
        ASSERT_TRUE(game.Step(10));
        EXPECT_EQ(game.Stop(), 0);
    }
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntil(game, kGameStatePlaying, nullptr));
    CObjectsManager* objects = game.World()->GetObjectsManager();
    ASSERT_NE(objects->GetCurrentLevelObject(), nullptr);
    EXPECT_STREQ(objects->GetCurrentLevelObject()->GetName(), "puzzles");
    // The card is an empty level: nothing to pause.
    EXPECT_EQ(objects->GetCurrentLevelObject()->OnCommand("pause"), kStatusFailed);
    EXPECT_EQ(game.World()->GetChaptersManager()->GetCurrentChapter(), 1);
    EXPECT_EQ(game.World()->GetProfileManager()->GetCurrentIndex(), 0);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The hall played with the pointer, as a player plays it: the hall once its fade-in has ended,
// its elements by name, their centres in window pixels and the colour drawn there.
class HallPlay {
public:
    explicit HallPlay(NimbrelHarness& game) : game(game) {}

    // False when the hall does not come to play: its title card gone, its items to be found.
    bool Reach()
    {
        if (!StepUntilPlaying(game))
            return false;
        CTransitions* transitions = game.World()->GetTransitions();
        if (!CloseHallIntro(game))
            return false;
        for (int i = 0; i < 300 && transitions && !transitions->IsFadeValueZero(); ++i)
            if (!game.Step())
                return false;
        hall = game.World()->GetObjectsManager()->GetCurrentLevelObject();
        if (!hall || std::strcmp(hall->GetName(), "hall") != 0)
            return false;
        return StepUntil([this] {
            for (const char* item : {"key", "candle", "book", "apple", "quill", "coin"})
                if (!(Element(item)->flags & kElementClickable))
                    return false;
            return true;
        });
    }
    ElementRecord* Element(const char* name) { return hall->GetItemRecord(uint32_t(hall->FindElementByName(name))); }
    std::pair<int32_t, int32_t> Centre(const char* name)
    {
        float at[3];
        hall->ProjectElementToScreen(at, Element(name));
        return {int32_t(std::lround(at[0])), int32_t(std::lround(at[1]))};
    }
    uint32_t Colour(std::pair<int32_t, int32_t> at)
    {
        uint32_t colour = 0;
        EXPECT_TRUE(game.ReadPixel(at.first, at.second, &colour));
        return colour;
    }
    void Click(std::pair<int32_t, int32_t> at)
    {
        game.PostClick(at.first, at.second);
        game.Step();
    }
    // Frames until the condition holds; false when it never does. The fades run on the clock,
    // so the bound is a time: a frame count runs out early when frames come quickly.
    template <typename Condition>
    bool StepUntil(Condition done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30 * kPatience);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            if (!game.Step())
                return false;
        return done();
    }
    bool Gone(const char* name)
    {
        return StepUntil([&] { return Element(name)->alpha == 0.0f && Element(name)->fadeId == 0; });
    }

    NimbrelHarness& game;
    CObjectsBase* hall = nullptr;
};

// The six items of the hall's list, the coin with its two further copies.
const char* const kHallItems[] = {"key", "candle", "book", "apple", "quill", "coin", "coin2", "coin3"};

// Each click at an item's centre fades that item out and no other; a click beside them changes
// nothing; once the list is done the congratulations fade in with the door, a click fades them
// out, and the door opens the study.
TEST_F(GameFolder, HallItemsFadeOneByOneAndTheDoorOpensTheStudy)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());

    const std::pair<int32_t, int32_t> beside = {900, 120};
    const uint32_t besideColour = play.Colour(beside);
    play.Click(beside);
    for (const char* item : kHallItems)
        EXPECT_FALSE(play.Element(item)->flags & kElementFound) << item;

    for (size_t i = 0; i < std::size(kHallItems); ++i) {
        const char* item = kHallItems[i];
        SCOPED_TRACE(item);
        const auto at = play.Centre(item);
        const uint32_t shown = play.Colour(at);
        play.Click(at);
        ASSERT_TRUE(play.Element(item)->flags & kElementFound);
        ASSERT_TRUE(play.Gone(item));
        ASSERT_TRUE(game.Step());
        EXPECT_NE(play.Colour(at), shown);
        for (size_t j = i + 1; j < std::size(kHallItems); ++j)
            EXPECT_EQ(play.Element(kHallItems[j])->alpha, 1.0f) << kHallItems[j];
    }
    EXPECT_EQ(play.Colour(beside), besideColour);

    // The congratulations come in with the door; a click sends them away.
    ElementRecord* done = play.Element("well_done");
    ASSERT_TRUE(play.StepUntil([&] {
        return done->alpha == 1.0f && !(done->flags & kElementHidden) && (done->flags & kElementClickable);
    }));
    ASSERT_TRUE(game.Step());
    const auto card = play.Centre("well_done");
    const uint32_t cardColour = play.Colour(card);
    play.Click(card);
    ASSERT_TRUE(play.Gone("well_done"));
    ASSERT_TRUE(game.Step());
    EXPECT_NE(play.Colour(card), cardColour);

    // The door leads to the study.
    CObjectsManager* objects = game.World()->GetObjectsManager();
    ASSERT_TRUE(play.StepUntil([&] { return (play.Element("door")->flags & kElementClickable) != 0; }));
    play.Click(play.Centre("door"));
    ASSERT_TRUE(play.StepUntil([&] {
        const CObjectsBase* level = objects->GetCurrentLevelObject();
        return level && std::strcmp(level->GetName(), "study") == 0 && game.State() == kGameStatePlaying;
    }));
    // The study starts dark, in flashlight mode, until a click on its lamp lights the room; its
    // opening text about its portraits is closed first.
    auto* study = dynamic_cast<CObjectsLevelExploration*>(objects->GetCurrentLevelObject());
    ASSERT_NE(study, nullptr);
    ASSERT_TRUE(play.StepUntil([&] { return study->IsFlashlightMode(); }));
    play.hall = study;
    CPopupManager* popups = game.World()->GetPopupManager();
    ASSERT_TRUE(play.StepUntil([&] { return popups->IsPopupOpen(); }));
    game.PostKey(VK_ESCAPE);
    ASSERT_TRUE(play.StepUntil([&] { return (play.Element("lamp")->flags & kElementClickable) != 0; }));
    // No click is taken while the screen transition fades.
    CTransitions* transitions = game.World()->GetTransitions();
    ASSERT_TRUE(play.StepUntil([&] { return !transitions || transitions->IsFadeValueZero(); }));
    play.Click(play.Centre("lamp"));
    EXPECT_TRUE(play.StepUntil([&] { return !study->IsFlashlightMode(); }));
    EXPECT_EQ(game.Stop(), 0);
}

// The study is seen only where its flashlight shines: dark at first, lit in a circle where the
// player presses, the whole room once its lamp is lit. A game continued in the study finds it as
// it was left: dark until the lamp is lit, and lit once it was.
TEST_F(GameFolder, TheStudyIsSeenByItsFlashlightUntilItsLampIsLit)
{
    const uint32_t kBrown = 0x5A3E2B;
    // Points of the study's floor, given in reference units; the window is of another size.
    std::pair<int32_t, int32_t> spot, lit, far;
    auto reachStudy = [&](NimbrelHarness& game, HallPlay& play) -> CObjectsLevelExploration* {
        if (!StepUntilPlaying(game))
            return nullptr;
        const WorldData* w = game.World()->GetWorldData();
        const float scale = float(w->realWidth) / game.Game()->screen.referenceWidth;
        spot = {int32_t(std::lround(400.0f * scale)), int32_t(std::lround(300.0f * scale))};
        lit = {spot.first, int32_t(std::lround(340.0f * scale))};
        far = {int32_t(std::lround(150.0f * scale)), int32_t(std::lround(700.0f * scale))};
        CObjectsManager* objects = game.World()->GetObjectsManager();
        CTransitions* transitions = game.World()->GetTransitions();
        CObjectsLevelExploration* study = nullptr;
        const bool there = play.StepUntil([&] {
            study = dynamic_cast<CObjectsLevelExploration*>(objects->GetCurrentLevelObject());
            return study && std::strcmp(study->GetName(), "study") == 0 && game.State() == kGameStatePlaying &&
                   study->IsFlashlightMode() && (!transitions || transitions->IsFadeValueZero());
        });
        play.hall = study;
        // A new visit opens with the text about the portraits, closed first.
        CPopupManager* popups = game.World()->GetPopupManager();
        if (there && popups->IsPopupOpen()) {
            game.PostKey(VK_ESCAPE);
            if (!play.StepUntil([&] {
                    return !popups->IsPopupOpen() && (!transitions || transitions->IsFadeValueZero());
                }))
                return nullptr;
        }
        return there ? study : nullptr;
    };
    // Presses there, then rests the pointer in the corner, where the game's cursor covers
    // nothing that is read.
    auto press = [](NimbrelHarness& game, std::pair<int32_t, int32_t> at) {
        game.PostClick(at.first, at.second);
        game.Post(WM_MOUSEMOVE, 0, Platform_MakeLParam(1, 1));
    };
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(StepUntilPlaying(game));
        ASSERT_EQ(game.World()->GetObjectsManager()->SetCurrentLevel(3, 0, 0), kStatusOk);
        ASSERT_TRUE(game.Step());
        HallPlay play(game);
        CObjectsLevelExploration* study = reachStudy(game, play);
        ASSERT_NE(study, nullptr);
        ASSERT_TRUE(game.Step());
        EXPECT_TRUE(NearColour(play.Colour(spot), 0)) << std::hex << play.Colour(spot);
        EXPECT_TRUE(NearColour(play.Colour(far), 0)) << std::hex << play.Colour(far);
        CFlashlight* light = game.World()->GetFlashlight();
        ASSERT_NE(light, nullptr);
        press(game, spot);
        ASSERT_TRUE(play.StepUntil([&] { return light->GetState() == kFlashlightOn; }));
        ASSERT_TRUE(game.Step());
        // (The press's touch mark rings the spot itself for a moment.)
        EXPECT_TRUE(NearColour(play.Colour(lit), kBrown)) << std::hex << play.Colour(lit);
        EXPECT_TRUE(NearColour(play.Colour(far), 0)) << std::hex << play.Colour(far);
        EXPECT_EQ(game.Stop(), 0);
    }
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        HallPlay play(game);
        CObjectsLevelExploration* study = reachStudy(game, play);
        ASSERT_NE(study, nullptr);
        ASSERT_TRUE(game.Step());
        EXPECT_TRUE(NearColour(play.Colour(far), 0)) << std::hex << play.Colour(far);
        press(game, play.Centre("lamp"));
        ASSERT_TRUE(play.StepUntil([&] { return !study->IsFlashlightMode(); }));
        ASSERT_TRUE(game.Step());
        EXPECT_TRUE(NearColour(play.Colour(far), kBrown)) << std::hex << play.Colour(far);
        EXPECT_EQ(game.Stop(), 0);
    }
    // Closed once lit, the study is continued lit: its lamp's wait is behind it.
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    auto* study = dynamic_cast<CObjectsLevelExploration*>(game.World()->GetObjectsManager()->GetCurrentLevelObject());
    ASSERT_TRUE(study && std::strcmp(study->GetName(), "study") == 0);
    HallPlay play(game);
    play.hall = study;
    CTransitions* transitions = game.World()->GetTransitions();
    ASSERT_TRUE(play.StepUntil([&] { return !transitions || transitions->IsFadeValueZero(); }));
    EXPECT_FALSE(study->IsFlashlightMode());
    EXPECT_TRUE(NearColour(play.Colour(far), kBrown)) << std::hex << play.Colour(far);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// A dissolve takes an item away through its draw, pixel by pixel from its edges in: near its
// end the item's alpha is still whole while most of its rectangle shows the hall behind it.
TEST_F(GameFolder, AHallItemDissolvesThroughTheNoiseTransition)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());
    // No blink of the candle's halo runs script work between the frames counted here.
    game.World()->GetTimerManager()->RemoveTimersOfObject(play.hall->GetObjectNumber());
    ElementRecord* book = play.Element("book");
    const auto centre = play.Centre("book");
    std::vector<std::pair<int32_t, int32_t>> points;
    // Points of its cover around its centre (the window shows the reference screen at 0.9).
    for (int32_t dx : {-24, -12, 12, 24})
        for (int32_t dy : {-10, 10})
            points.push_back({centre.first + dx, centre.second + dy});
    std::vector<uint32_t> shown;
    for (const auto& at : points)
        shown.push_back(play.Colour(at));
    auto* fades = dynamic_cast<CFadeManager*>(game.World()->GetManager(kManagerFade));
    ASSERT_NE(fades, nullptr);
    book->fadeId = fades->AddFade(kFadeTransition, 3.0f, play.hall->GetObjectNumber(), book->index, nullptr);
    ASSERT_NE(book->fadeId, 0u);
    ASSERT_EQ(fades->GetFade(book->fadeId)->GetKind(), kFadeDissolve);
    const auto progress = [&] {
        auto* fade = static_cast<CFadeItem4*>(fades->GetFade(book->fadeId));
        return fade ? fade->GetProgress() : 2.0f;
    };
    ASSERT_TRUE(play.StepUntil([&] { return progress() > 0.9f; }));
    ASSERT_LE(progress(), 1.0f) << "the dissolve ended between two frames";
    EXPECT_EQ(book->alpha, 1.0f);
    size_t gone = 0;
    for (size_t i = 0; i < points.size(); ++i)
        gone += NearColour(play.Colour(points[i]), shown[i], 24) ? 0 : 1;
    EXPECT_GE(gone, points.size() - 2);
    // At its end the item is hidden as by any fade.
    ASSERT_TRUE(play.Gone("book"));
    EXPECT_TRUE(book->flags & kElementHidden);
    EXPECT_EQ(game.Stop(), 0);
}

// In developer mode F4 completes the hall's items list and the congratulations come; the items
// that a script function waits on (each find calls "OnFind") are not the shortcut's to find, and
// stay for the player.
TEST_F(GameFolder, TheDeveloperSkipCompletesTheListAndLeavesTheWaitedItems)
{
    WriteDeveloperFile(1);
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());
    play.Click(play.Centre("key"));
    ASSERT_TRUE(play.Gone("key"));

    game.PostKey(VK_F1 + 3);
    ASSERT_TRUE(game.Step());
    ElementRecord* done = play.Element("well_done");
    EXPECT_TRUE(play.StepUntil([&] { return done->alpha == 1.0f && !(done->flags & kElementHidden); }));
    for (const char* item : kHallItems) {
        if (std::string(item) == "key")
            continue;
        // The sign has faded in whole meanwhile: a fade the skip had started would show by now.
        EXPECT_FALSE(play.Element(item)->flags & kElementFound) << item;
        EXPECT_EQ(play.Element(item)->fadeId, 0u) << item;
        EXPECT_EQ(play.Element(item)->alpha, 1.0f) << item;
    }
    EXPECT_EQ(game.Stop(), 0);
}

namespace {

// The white pixels of the text over an element, read back from the window (its box through the
// view's fit); the element's pictures here have none of their own.
uint32_t WhiteOver(NimbrelHarness& game, HallPlay& play, const char* name)
{
    const GameScreenScale& fit = game.Game()->screen;
    const ElementRecord* e = play.Element(name);
    const auto centre = play.Centre(name);
    const int32_t halfW = int32_t(e->size[0] * fit.viewScaleX * 0.5f) - 6;
    const int32_t halfH = int32_t(e->size[1] * fit.viewScaleY * 0.5f) - 6;
    uint32_t white = 0;
    for (int32_t y = centre.second - halfH; y < centre.second + halfH; ++y)
        for (int32_t x = centre.first - halfW; x < centre.first + halfW; ++x) {
            uint32_t colour = 0;
            game.ReadPixel(x, y, &colour);
            white += (colour & 0xC0C0C0u) == 0xC0C0C0u;
        }
    return white;
}

// A text line of an element as the player reads it (the tables hold the font's codes).
std::string Readable(NimbrelHarness& game, const char16_t* line)
{
    std::u16string text = line ? line : u"";
    game.World()->GetStringsManager()->UnmapChars(text.data());
    return UtilsString_ToUtf8(text.c_str());
}

}  // namespace

namespace {

// The sample's game with the texts of its developer overlay recorded as they are drawn.
class OverlayWorld : public CNimbrelWorld {
public:
    struct Drawn {
        std::u16string text;
        float x, y;
        uint32_t flags;
    };
    std::vector<Drawn> drawn;

protected:
    void DrawOverlayText(const char16_t* text, float x, float y, uint32_t flags) override
    {
        drawn.push_back({text ? text : u"", x, y, flags});
        CNimbrelWorld::DrawOverlayText(text, x, y, flags);
    }
};

}  // namespace

// F3 shows, centred at the top, the popup text of the item under the pointer: the key's name
// over the key, nothing beside the items or with F3 off, and the missing-string text for a
// popup text the table does not hold.
TEST_F(GameFolder, InDeveloperModeF3DrawsThePopupTextOfTheItemUnderThePointer)
{
    WriteDeveloperFile(1);
    NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
    options.createWorld = []() -> CNimbrelWorld* { return new OverlayWorld(); };
    NimbrelHarness game(options);
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());
    auto* world = static_cast<OverlayWorld*>(game.World());
    const int32_t keyText = world->GetExtraTextManager()->FindPopupGroupByName("key");
    ASSERT_GE(keyText, 0);
    play.Element("key")->textStringId = keyText;

    // The item texts of the frames after a pointer move.
    auto itemTexts = [&](std::pair<int32_t, int32_t> at) {
        game.Post(WM_MOUSEMOVE, 0, Platform_MakeLParam(at.first, at.second));
        EXPECT_TRUE(game.Step());
        world->drawn.clear();
        EXPECT_TRUE(game.Step());
        std::vector<OverlayWorld::Drawn> items;
        for (const OverlayWorld::Drawn& d : world->drawn)
            if (d.flags == 0x101)
                items.push_back(d);
        return items;
    };
    const auto key = play.Centre("key");
    EXPECT_TRUE(itemTexts(key).empty());

    game.PostKey(VK_F1 + 2);
    ASSERT_TRUE(game.Step());
    ASSERT_EQ(game.Game()->itemDebug, 1);
    std::vector<OverlayWorld::Drawn> items = itemTexts(key);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(Readable(game, items[0].text.c_str()), "Key");
    EXPECT_FLOAT_EQ(items[0].x, world->GetWorldData()->realWidth * 0.5f);
    EXPECT_FLOAT_EQ(items[0].y, 0.0f);
    EXPECT_TRUE(itemTexts({900, 120}).empty());
    play.Element("key")->textStringId = 999;
    items = itemTexts(key);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(UtilsString_ToUtf8(items[0].text.c_str()), "MISSING STRING !!!");

    game.PostKey(VK_F1 + 2);
    ASSERT_TRUE(game.Step());
    EXPECT_TRUE(itemTexts(key).empty());
    EXPECT_EQ(game.Stop(), 0);
}

// The hall's score plate counts 100 up over a second on a find, shown from 0; the sign that the
// sixth find brings says "Well done!", or "Bravo !" to a French player.
TEST_F(GameFolder, TheScoreCountsUpOnAFindAndTheSignSpeaksThePlayersLanguage)
{
    WriteDeveloperFile(1);
    uint32_t signWhite[2] = {};
    for (int french = 0; french < 2; ++french) {
        SCOPED_TRACE(french ? "French" : "English");
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            TestSystem_SetEnv(name, french ? "fr_FR.UTF-8" : nullptr);
        // Each language starts a new game: no profile of the other run.
        ForgetThePlayer();
        NimbrelHarness game;
        const int started = game.Start();
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            TestSystem_SetEnv(name, nullptr);
        ASSERT_EQ(started, 0) << boxes;
        HallPlay play(game);
        ASSERT_TRUE(play.Reach());
        ASSERT_TRUE(game.Step());
        ElementRecord* plate = play.Element("score_plate");
        ASSERT_NE(plate->pNumberText, nullptr);
        EXPECT_EQ(Readable(game, plate->pNumberText->GetLine(0)->pText), "0");
        const uint32_t zero = WhiteOver(game, play, "score_plate");
        EXPECT_GT(zero, 10u);

        // The count runs over the frames of a second, up and never down, to 100.
        play.Click(play.Centre("key"));
        std::vector<std::string> shown;
        ASSERT_TRUE(play.StepUntil([&] {
            const std::string now = Readable(game, plate->pNumberText->GetLine(0)->pText);
            if (shown.empty() || shown.back() != now)
                shown.push_back(now);
            return plate->pNumberText->GetRemaining() == 0.0f;
        }));
        ASSERT_TRUE(game.Step());
        EXPECT_EQ(Readable(game, plate->pNumberText->GetLine(0)->pText), "100");
        EXPECT_GT(shown.size(), 2u);
        for (size_t i = 1; i < shown.size(); ++i)
            EXPECT_LT(std::stoi(shown[i - 1]), std::stoi(shown[i]));
        EXPECT_GT(WhiteOver(game, play, "score_plate"), zero);

        // The developer skip completes the list; the sign comes with its words.
        game.PostKey(VK_F1 + 3);
        ElementRecord* sign = play.Element("well_done");
        ASSERT_TRUE(play.StepUntil([&] { return sign->alpha == 1.0f && !(sign->flags & kElementHidden); }));
        ASSERT_TRUE(game.Step());
        ASSERT_NE(sign->pStringText, nullptr);
        EXPECT_EQ(Readable(game, sign->pStringText->GetLine(0)->pText), french ? "Bravo !" : "Well done!");
        signWhite[french] = WhiteOver(game, play, "well_done");
        EXPECT_GT(signWhite[french], 100u);
        EXPECT_EQ(game.Stop(), 0);
    }
    EXPECT_NE(signWhite[0], signWhite[1]);
    EXPECT_EQ(boxes, "");
}

namespace {

std::string SplashPicture(NimbrelHarness& game)
{
    CSplashscreens* splash = game.World()->GetSplashscreens();
    C3DTexture* texture = splash ? splash->GetTexture() : nullptr;
    if (!texture || !texture->GetName())
        return "";
    // A loose picture is named by its path under the data folder.
    const std::string name = UtilsString_ToUtf8(texture->GetName());
    const size_t folder = name.find_last_of("\\/");
    return name.rfind("textures", 0) == 0 || folder == std::string::npos ? name : name.substr(folder + 1);
}

}  // namespace

TEST_F(GameFolder, TheSplashSequencePlaysItsEntriesAndOneReleaseSkipsOne)
{
    NimbrelHarness game;
    game.PlaySplash(true);
    ASSERT_EQ(game.Start(), 0) << boxes;
    EXPECT_EQ(game.State(), kGameStateSplash);
    // The shell load made the shader manager with both effects on GL.
    CShaderManager* shaders = game.World()->GetShaderManager();
    ASSERT_NE(shaders, nullptr);
    EXPECT_NE(shaders->GetNoiseTransition()->GetShader(), nullptr);
    EXPECT_EQ(game.Game()->noShaderFades, 0);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(SplashPicture(game), "splashscreen_1_1024x768.jpg");
    uint32_t color = 0;
    ASSERT_TRUE(game.ReadPixel(200, 384, &color));
    EXPECT_GT(int(color >> 16 & 0xFF), int(color & 0xFF) + 6) << std::hex << color;  // the warm first picture
    // A click and Space in one frame: the click ends entry 1, and the load of entry 2 in that
    // frame forgets the Space.
    game.PostClick(512, 384);
    game.PostKey(VK_SPACE);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(SplashPicture(game), "textures/studio_1024x768.png");
    ASSERT_TRUE(game.Step(30));
    EXPECT_EQ(SplashPicture(game), "textures/studio_1024x768.png");
    // Escape: the video; a click ends it and with it the sequence: the world load follows.
    game.PostKey(VK_ESCAPE);
    ASSERT_TRUE(game.Step());
    CSplashscreens* splash = game.World()->GetSplashscreens();
    EXPECT_EQ(splash->GetEntryKind(), kSplashVideo);
    EXPECT_TRUE(splash->HasVideo());
    game.PostClick(512, 384);
    for (int frame = 0; frame < 30 && game.State() == kGameStateSplash; ++frame)
        ASSERT_TRUE(game.Step());
    // The world load, then the first level: played at once, with no splash entry left over.
    for (int frame = 0; frame < 300 && game.State() != kGameStatePlaying; ++frame)
        ASSERT_TRUE(game.Step());
    EXPECT_EQ(game.State(), kGameStatePlaying);
    EXPECT_TRUE(splash->IsDone());
    EXPECT_FALSE(splash->HasVideo());
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, AFrenchPlayerSeesTheFrenchStudioPicture)
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        TestSystem_SetEnv(name, "fr_FR.UTF-8");
    NimbrelHarness game;
    game.PlaySplash(true);
    const int started = game.Start();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        TestSystem_SetEnv(name, nullptr);
    ASSERT_EQ(started, 0) << boxes;
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(SplashPicture(game), "splashscreen_1_1024x768.jpg");
    game.PostKey(VK_SPACE);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(SplashPicture(game), "textures/studio_1024x768.fr.png");
    EXPECT_EQ(game.Stop(), 0);
}

// The pictures that carry words come in the player's language: a French player's title draws
// its buttons' French texts, an English player's the English ones; a picture without a French
// variant keeps its name.
TEST_F(GameFolder, TheTitleDrawsItsButtonTextsInThePlayersLanguage)
{
    for (const bool french : {false, true}) {
        SCOPED_TRACE(french ? "French" : "English");
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            TestSystem_SetEnv(name, french ? "fr_FR.UTF-8" : "en_US.UTF-8");
        NimbrelHarness game;
        const int started = game.Start();
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            TestSystem_SetEnv(name, nullptr);
        ASSERT_EQ(started, 0) << boxes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!PlayedTitle(game) && std::chrono::steady_clock::now() < deadline && game.Step()) {
        }
        CObjectsInterfaceMenu* title = PlayedTitle(game);
        ASSERT_NE(title, nullptr);
        const auto picture = [&](const char* element) -> std::string {
            const int32_t index = title->FindElementByName(element);
            C3DTexture* texture = index >= 0 ? title->GetRenderModel()->GetTexture(uint32_t(index), 0) : nullptr;
            return texture && texture->GetName() ? UtilsString_ToUtf8(texture->GetName()) : "";
        };
        const std::string variant = french ? ".fr" : "";
        for (const char* text : {"text_play", "text_options", "text_exit"})
            EXPECT_EQ(picture(text), std::string("textures/title/") + text + variant + ".png");
        EXPECT_EQ(picture("button_01"), "textures/title/button.png");
        EXPECT_EQ(game.Stop(), 0);
        // A new player again: the options file would keep the first run's language.
        ForgetThePlayer();
    }
}

namespace {

// The clock of the timed-changes test: the test moves it, one frame step (1/30 s) a frame.
int64_t g_frameClock = 0;
constexpr int64_t kFrameClockFrequency = 3000;
constexpr int64_t kFrameClockStep = kFrameClockFrequency / 30;
bool FrameClock(int64_t* value)
{
    *value = g_frameClock;
    return true;
}
bool FrameClockFrequency(int64_t* value)
{
    *value = kFrameClockFrequency;
    return true;
}

}  // namespace

// The hall's elements changed over time by the game's own managers while the game draws them,
// at a frame step the test sets: a fade-out seen half way and gone after, and so the alpha
// stand-in of a dissolve under the no-shader flag; a dissolve that lasts the transition ratio
// and is part gone half way; a throw that glides, wraps and snaps; a move along "inEaseOutSin".
TEST_F(GameFolder, TimedChangesPlayOnTheHallAtTheFrameStep)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());
    CNimbrelWorld* world = game.World();
    // The candle's blinking runs script work every half second, frames of no time among the
    // counted ones: it is stopped here.
    world->GetTimerManager()->RemoveTimersOfObject(play.hall->GetObjectNumber());
    UtilsTimer* timer = world->GetTimer();
    ASSERT_NE(timer, nullptr);
    timer->SetClock(FrameClock, FrameClockFrequency);
    ASSERT_EQ(timer->Init(), kStatusOk);
    const auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            g_frameClock += kFrameClockStep;
            ASSERT_TRUE(game.Step());
        }
    };
    // Extra reads left from the level's load see no time pass: until they are spent.
    for (int i = 0; i < 10 && world->GetWorldData()->frameTime != 1.0; ++i)
        frames(1);
    ASSERT_NEAR(world->GetWorldData()->frameTime, 1.0, 1e-6);

    CObjectsBase* hall = play.hall;
    const uint32_t number = hall->GetObjectNumber();
    const auto index = [hall](const char* name) { return uint32_t(hall->FindElementByName(name)); };
    const float scale = world->GetGameData()->screen.viewScaleY;
    auto* fades = dynamic_cast<CFadeManager*>(world->GetManager(kManagerFade));
    auto* moves = dynamic_cast<CPositionManager*>(world->GetManager(kManagerPosition));
    ASSERT_NE(fades, nullptr);
    ASSERT_NE(moves, nullptr);

    // Fade-outs of one second: half of the element shows at frame 15, none after frame 30. A
    // dissolve under the no-shader flag is that fade (kind 5). The builtins that start fades
    // keep their ids in the elements, which then draw them.
    const struct {
        const char* element;
        uint32_t mode, kind;
        uint8_t noShaderFades;
    } fadeOuts[] = {{"book", kFadeHide, kFadeAlpha, 0}, {"key", kFadeTransition, kFadeDissolveAlpha, 1}};
    for (const auto& c : fadeOuts) {
        SCOPED_TRACE(c.element);
        world->GetGameData()->noShaderFades = c.noShaderFades;
        const auto at = play.Centre(c.element);
        const uint32_t shown = play.Colour(at);
        const uint32_t id = fades->AddFade(c.mode, 1.0f, number, index(c.element), nullptr);
        ASSERT_NE(id, 0u);
        play.Element(c.element)->fadeId = id;
        EXPECT_EQ(fades->GetFade(id)->GetKind(), c.kind);
        frames(14);
        EXPECT_NEAR(play.Element(c.element)->alpha, 0.5f, 1e-4f);
        const uint32_t half = play.Colour(at);
        frames(16);
        EXPECT_EQ(fades->GetFade(id), nullptr);
        EXPECT_NE(play.Element(c.element)->flags & kElementHidden, 0u);
        const uint32_t gone = play.Colour(at);
        EXPECT_FALSE(NearColour(shown, gone, 24)) << std::hex << shown << " " << gone;
        // Half way between the two colours, channel by channel.
        for (int shift : {0, 8, 16}) {
            const double mean = (((shown >> shift) & 0xFF) + ((gone >> shift) & 0xFF)) / 2.0;
            EXPECT_NEAR(double((half >> shift) & 0xFF), mean, 8.0) << std::hex << shown << " " << half << " " << gone;
        }
    }
    world->GetGameData()->noShaderFades = 0;

    // A dissolve of one second lasts the transition ratio's seconds (1.5 here) on a renderer
    // with shaders: half way, the quill is part dissolved; at the end none of it is drawn.
    world->GetGameData()->screen.defaultTransitionSeconds = 1.5f;
    const auto quill = play.Centre("quill");
    const int32_t halfWidth = int32_t(10.0f * scale), halfHeight = int32_t(28.0f * scale);
    const auto quillBox = [&] {
        std::vector<uint32_t> box;
        for (int32_t y = -halfHeight; y <= halfHeight; y += 2)
            for (int32_t x = -halfWidth; x <= halfWidth; x += 2)
                box.push_back(play.Colour({quill.first + x, quill.second + y}));
        return box;
    };
    const std::vector<uint32_t> quillShown = quillBox();
    const uint32_t dissolve = fades->AddFade(kFadeTransition, 1.0f, number, index("quill"), nullptr);
    ASSERT_NE(dissolve, 0u);
    play.Element("quill")->fadeId = dissolve;
    ASSERT_EQ(fades->GetFade(dissolve)->GetKind(), kFadeDissolve);
    frames(22);
    const std::vector<uint32_t> quillHalf = quillBox();
    frames(21);
    EXPECT_NE(fades->GetFade(dissolve), nullptr);
    EXPECT_EQ(play.Element("quill")->flags & kElementHidden, 0u);
    frames(3);
    EXPECT_EQ(fades->GetFade(dissolve), nullptr);
    EXPECT_NE(play.Element("quill")->flags & kElementHidden, 0u);
    const std::vector<uint32_t> quillGone = quillBox();
    // Half way some of the quill is still drawn and some already gone.
    int kept = 0, dissolved = 0, changing = 0;
    for (size_t i = 0; i < quillShown.size(); ++i) {
        if (NearColour(quillShown[i], quillGone[i], 24))
            continue;
        ++changing;
        kept += NearColour(quillHalf[i], quillShown[i], 8);
        dissolved += NearColour(quillHalf[i], quillGone[i], 8);
    }
    EXPECT_GT(changing, 20);
    EXPECT_GT(kept, changing / 10) << kept << " of " << changing;
    EXPECT_GT(dissolved, changing / 10) << dissolved << " of " << changing;

    // A throw along x of the curtain, which loops every third of its width and snaps to a
    // tenth of it: a drag of 40 a frame step, released, glides on with the drag tracker's speed
    // and decay, stays within one loop while it covers several, and ends on the grid.
    CDragInertia* drag = world->GetObjectsManager()->GetDragInertia();
    ASSERT_NE(drag, nullptr);
    drag->SetClock(FrameClock, FrameClockFrequency);
    drag->BeginDrag(500.0f, 200.0f);
    for (float x : {540.0f, 580.0f}) {
        g_frameClock += kFrameClockStep;
        drag->AddMove(x, 200.0f);
    }
    drag->Release(580.0f, 200.0f);
    ElementRecord* curtain = play.Element("curtain");
    curtain->action |= kActionHorizontalDrag;
    curtain->snapFactor = 0.1f;
    const float loop = curtain->size[0] / 3.0f, grid = curtain->size[0] * 0.1f;
    const auto start = play.Centre("curtain");
    const uint32_t glides = fades->AddFade(kFadeVelocity | kFadeLoopedX, 1.0f, number, index("curtain"), nullptr);
    ASSERT_NE(glides, 0u);
    // The first step, taken at once, goes by the drag's speed: 40, wrapped one loop back.
    float last = curtain->dragOffset[0], travelled = last + loop;
    EXPECT_NEAR(travelled, 40.0f, 0.01f);
    int glide = 0;
    while (fades->GetFade(glides) && glide < 300) {
        frames(1);
        ++glide;
        const float now = curtain->dragOffset[0];
        float step = now - last;
        if (step < -loop / 2)
            step += loop;  // wrapped back by one loop
        travelled += step;
        last = now;
        EXPECT_LE(std::abs(now), loop / 2 + grid / 2) << glide;
    }
    EXPECT_EQ(fades->GetFade(glides), nullptr);
    EXPECT_GT(travelled, 3 * loop);
    EXPECT_NEAR(std::remainder(curtain->dragOffset[0], grid), 0.0f, 1e-3f) << curtain->dragOffset[0];
    EXPECT_EQ(play.Centre("curtain").first, int32_t(std::lround(start.first + curtain->dragOffset[0] * scale)));

    // An eased move of the apple to its key 1 (24 up) over a second, drawn where "inEaseOutSin"
    // has carried it at chosen frames. The builtin that starts it keeps its id in the element.
    const auto apple = play.Centre("apple");
    // A point inside the apple, near its bottom, that the whole move leaves behind.
    const std::pair<int32_t, int32_t> low = {apple.first, apple.second + int32_t(16.0f * scale)};
    const uint32_t appleColour = play.Colour(apple), lowColour = play.Colour(low);
    const int32_t curve = EasingFromName("inEaseOutSin");
    const uint32_t id = moves->AddMove(1, curve, 1.0f, number, index("apple"), nullptr);
    ASSERT_NE(id, 0u);
    play.Element("apple")->positionId = id;
    int done = 1;
    for (int frame : {8, 15, 24}) {
        frames(frame - done);
        done = frame;
        const float progress = 1.0f - g_UtilsEasingTable[curve].function(1.0f - frame / 30.0f);
        EXPECT_NEAR(play.Element("apple")->positionOffset[1], -24.0f * progress, 1e-3f) << frame;
        const std::pair<int32_t, int32_t> at = {apple.first,
                                                int32_t(std::lround(apple.second - 24.0f * progress * scale))};
        EXPECT_TRUE(NearColour(play.Colour(at), appleColour, 24)) << frame;
    }
    frames(7);  // ended at frame 30, finished by the next update
    EXPECT_EQ(moves->GetItem(id), nullptr);
    EXPECT_EQ(play.Element("apple")->positionIndex, 1u);
    EXPECT_EQ(play.Element("apple")->positionOffset[1], 0.0f);
    EXPECT_FALSE(NearColour(play.Colour(low), lowColour, 24)) << std::hex << play.Colour(low) << " " << lowColour;
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The study opens with a labelled text whose portraits come in as it reveals. Once its lamp is
// lit, it opens its notebook, a tool box panel that fades in over the scene; a click on its
// close button fades it out and the study's script goes on at the start of the fade-out, asking
// for the drawer's note, which shows in the popups object's frame with the drawer's picture; the
// note closes with Escape and the script goes on again. The buttons panel's switch hides and
// shows the lamp's glow.
TEST_F(GameFolder, TheStudysNotebookAndDrawerNoteAreReadAndClosed)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    CObjectsManager* objects = game.World()->GetObjectsManager();
    ASSERT_EQ(objects->SetCurrentLevel(3, kNoObjectIndex, 0), kStatusOk);
    ASSERT_TRUE(StepUntilPlaying(game));
    CObjectsBase* study = objects->GetCurrentLevelObject();
    ASSERT_STREQ(study->GetName(), "study");
    CToolboxManager* toolbox = game.World()->GetToolboxManager();
    CPopupManager* popups = game.World()->GetPopupManager();
    ASSERT_TRUE(toolbox && popups);
    const auto variable = [study](const char* name) {
        uint32_t value = 0;
        study->GetScript()->GetLong(name, &value, false);
        return value;
    };
    const auto stepUntil = [&game](const std::function<bool()>& done) {
        for (int i = 0; i < 600 && !done(); ++i)
            if (!game.Step())
                return false;
        return done();
    };

    // The study opens with its text about its portraits: the labels object's model load told
    // the popup manager its three pictures, which the text's label shows while it reveals
    // letter by letter; a click only completes the reveal, Escape closes the text.
    ASSERT_TRUE(stepUntil([&] { return popups->IsPopupOpen(); }));
    CObjectsBase* labels = objects->GetInterfaceObject(kInterfaceLabels);
    ASSERT_NE(labels, nullptr);
    ASSERT_EQ(popups->GetLabelElementCount(), 4u);
    ASSERT_EQ(popups->GetLabelTextCount(), 1u);
    EXPECT_STREQ(popups->GetLabelText(0)->pText, "portraits");
    // The text lies in the label's text box, the labels object's fourth element, which shows no
    // picture of its own.
    EXPECT_EQ(popups->GetElementLabel(3), -1);
    ASSERT_NE(popups->LabelTextBox(), nullptr);
    EXPECT_STREQ(popups->LabelTextBox()->pName, "portraits_text");
    EXPECT_EQ(popups->GetLabelIndex(), game.World()->GetLabels()->FindLabelByName("portraits"));
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(popups->GetElementLabel(i), 0);
        EXPECT_FALSE(labels->GetItemRecord(i)->flags & kElementHidden) << i;
    }
    EXPECT_TRUE(popups->IsRevealing());
    const std::u16string early = popups->GetPageText();
    ASSERT_TRUE(stepUntil([&] { return popups->GetLabelState() == kPopupShown; }));
    EXPECT_GT(std::u16string(popups->GetPageText()).size(), early.size());
    ASSERT_TRUE(popups->IsRevealing());
    CTransitions* transitions = game.World()->GetTransitions();
    ASSERT_TRUE(stepUntil([&] { return transitions->IsFadeValueZero(); }));
    game.PostClick(512, 700);
    ASSERT_TRUE(game.Step());
    EXPECT_FALSE(popups->IsRevealing());
    EXPECT_TRUE(popups->IsPopupOpen());
    EXPECT_EQ(variable("portraitsRead"), 0u);
    // The box's title comes first, centred over the lines under it.
    const std::u16string page = popups->GetPageText();
    EXPECT_EQ(page.find(u"The founders\n"), page.find_first_not_of(u' '));
    EXPECT_GT(page.find_first_not_of(u' '), 0u);
    game.PostKey(VK_ESCAPE);
    ASSERT_TRUE(stepUntil([&] { return variable("portraitsRead") == 1u; }));
    EXPECT_FALSE(popups->IsPopupOpen());
    EXPECT_EQ(popups->GetLabelIndex(), -1);

    // The lamp lights the room; then the notebook fades in, drawn with the study, and its
    // caller waits.
    ASSERT_TRUE(stepUntil([&] { return transitions->IsFadeValueZero(); }));
    float at[3];
    study->ProjectElementToScreen(at, study->GetItemRecord(uint32_t(study->FindElementByName("lamp"))));
    game.PostClick(int32_t(std::lround(at[0])), int32_t(std::lround(at[1])));
    ASSERT_TRUE(stepUntil([&] { return variable("lit") == 1u; }));
    ASSERT_TRUE(stepUntil([&] { return toolbox->GetState() == kToolboxShown; }));
    EXPECT_EQ(toolbox->GetCaller(), int32_t(study->GetObjectNumber()));
    EXPECT_EQ(variable("notebookRead"), 0u);
    CObjectsBase* notebook = objects->GetInterfaceObject(kInterfaceToolbox);
    ASSERT_NE(notebook, nullptr);
    // Its page picture takes no clicks, yet it is the panel's: a click on it is the panel's
    // null click and leaves it open, where the scene beneath would have taken it in silence.
    auto* panel = dynamic_cast<CObjectsInterfaceToolbox*>(notebook);
    ASSERT_NE(panel, nullptr);
    notebook->ProjectElementToScreen(at, notebook->GetItemRecord(uint32_t(notebook->FindElementByName("page"))));
    const float pageX = at[0] - 60.0f, pageY = at[1] + 60.0f;
    EXPECT_EQ(panel->HitTestButtons(pageX, pageY, 0), kToolboxHitOther);
    EXPECT_EQ(panel->HitTestButtons(5.0f, 5.0f, 0), kToolboxHitNone);
    CSurroundManager* sounds = game.World()->GetSurroundManager();
    const SurroundSound* nullClick =
        sounds && sounds->GetClickSound(kClickNull) >= 0 ? sounds->GetSound(uint32_t(sounds->GetClickSound(kClickNull)))
                                                         : nullptr;
    const auto nullClickPlays = [&] { return nullClick && nullClick->pAudio && nullClick->pAudio->IsPlaying(); };
    ASSERT_TRUE(stepUntil([&] { return !nullClickPlays(); }));
    game.PostClick(int32_t(std::lround(pageX)), int32_t(std::lround(pageY)));
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(toolbox->GetState(), uint32_t(kToolboxShown));
    if (game.World()->GetAudioEngine() && nullClick && nullClick->pAudio) {
        EXPECT_TRUE(nullClickPlays());
    }
    notebook->ProjectElementToScreen(at, notebook->GetItemRecord(uint32_t(notebook->FindElementByName("close"))));
    game.PostClick(int32_t(std::lround(at[0])), int32_t(std::lround(at[1])));
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(toolbox->GetState(), uint32_t(kToolboxFadingOut));
    // The script goes on while the panel fades out, and its popup message opens.
    ASSERT_TRUE(stepUntil([&] { return variable("notebookRead") == 1u; }));
    EXPECT_EQ(toolbox->GetState(), uint32_t(kToolboxFadingOut));
    ASSERT_TRUE(stepUntil([&] { return popups->IsObjectPopupOpen(); }));
    EXPECT_NE(std::u16string(popups->GetMessageText()).find(u'\n'), std::u16string::npos);
    ASSERT_TRUE(stepUntil([&] { return !toolbox->IsShowing(); }));
    EXPECT_EQ(variable("drawerRead"), 0u);
    game.PostKey(VK_ESCAPE);
    ASSERT_TRUE(stepUntil([&] { return !popups->IsObjectPopupOpen() && variable("drawerRead") == 1u; }));

    // The lamp switch of the buttons panel, once the closing transition lets clicks through.
    CObjectsBase* buttons = objects->GetObject(7);
    ElementRecord* glow = buttons->GetItemRecord(uint32_t(buttons->FindElementByName("glow")));
    ElementRecord* lamp = buttons->GetItemRecord(uint32_t(buttons->FindElementByName("switch")));
    ASSERT_TRUE(stepUntil([&] { return transitions->IsFadeValueZero(); }));
    EXPECT_FALSE(glow->flags & kElementHidden);
    buttons->ProjectElementToScreen(at, lamp);
    game.PostClick(int32_t(std::lround(at[0])), int32_t(std::lround(at[1])));
    ASSERT_TRUE(stepUntil([&] { return (glow->flags & kElementHidden) != 0; }));
    ASSERT_TRUE(game.Step(2));
    game.PostClick(int32_t(std::lround(at[0])), int32_t(std::lround(at[1])));
    ASSERT_TRUE(stepUntil([&] { return !(glow->flags & kElementHidden); }));
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// After the welcome text the hall's script takes a breath of a second before its items take
// clicks; the candle's halo blinks on a half-second timer that each blink sets again; the journal
// starts the hunt's objective and shows it in a popup, and its script goes on once it is closed.
TEST_F(GameFolder, TheHallsJournalShowsItsObjectiveAndTheCandlesHaloBlinks)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());
    const auto variable = [&play](const char* name) {
        uint32_t value = 0;
        play.hall->GetScript()->GetLong(name, &value, false);
        return value;
    };
    EXPECT_EQ(variable("settled"), 1u);
    const ElementRecord* halo = play.Element("halo");
    const auto hidden = [halo] { return (halo->flags & kElementHidden) != 0; };
    const bool before = hidden();
    ASSERT_TRUE(play.StepUntil([&] { return hidden() != before; }));
    ASSERT_TRUE(play.StepUntil([&] { return hidden() == before; }));

    CPopupManager* popups = game.World()->GetPopupManager();
    CObjectiveManager* objectives = game.World()->GetObjectiveManager();
    ASSERT_TRUE(popups && objectives);
    // The hunt began with the hall; the journal shows it.
    EXPECT_GE(objectives->GetCurrentObjective(), 0);
    play.Click(play.Centre("journal"));
    ASSERT_TRUE(play.StepUntil([&] { return popups->IsPopupOpen(); }));
    EXPECT_GE(objectives->GetCurrentObjective(), 0);
    EXPECT_EQ(variable("objectiveRead"), 0u);
    game.PostKey(VK_ESCAPE);
    ASSERT_TRUE(play.StepUntil([&] { return variable("objectiveRead") == 1u; }));
    EXPECT_FALSE(popups->IsPopupOpen());
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The hall's hint button and monitor: the monitor reads "0/6" from the start; a click on the
// hint fades its glow in over an item still to find, drawn there and brightening it, and keeps
// that item's list entry bright; each heirloom found counts one, the coin once its three copies
// are found; at six the narrator says well done, once; with nothing left the hint shows the
// hunt's objective.
TEST_F(GameFolder, TheHintPointsOutWhatIsLeftAndTheMonitorCountsTheHeirlooms)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(play.Reach());
    CObjectsManager* objects = game.World()->GetObjectsManager();
    auto* hint = dynamic_cast<CObjectsInterfaceHint*>(objects->GetInterfaceObject(kInterfaceHint));
    const int32_t monitorIndex = objects->FindLevelByNameAndType("monitor", kObjectKindMonitor);
    auto* monitor = monitorIndex >= 0 ? dynamic_cast<CObjectsInterfaceMonitor*>(objects->GetObject(uint32_t(monitorIndex)))
                                      : nullptr;
    auto* list = dynamic_cast<CObjectsInterfaceToolbarItemsList*>(objects->GetObject(5));
    CPopupManager* popups = game.World()->GetPopupManager();
    ASSERT_TRUE(hint && monitor && list && popups);
    const uint32_t hall = play.hall->GetObjectNumber();
    const auto count = [&] {
        const MonitorRecord* record = monitor->GetRecord(hall);
        return record ? Readable(game, record->text) : std::string("(none)");
    };
    const auto variable = [&play](const char* name) {
        uint32_t value = 0;
        play.hall->GetScript()->GetLong(name, &value, false);
        return value;
    };
    EXPECT_EQ(count(), "0/6");

    std::map<std::string, uint32_t> before;
    for (const char* item : kHallItems)
        before[item] = play.Colour(play.Centre(item));
    float at[3];
    hint->ProjectElementToScreen(at, hint->GetItemRecord(uint32_t(hint->FindElementByName("button"))));
    const std::pair<int32_t, int32_t> button = {int32_t(std::lround(at[0])), int32_t(std::lround(at[1]))};
    play.Click(button);
    ASSERT_TRUE(play.StepUntil([&] { return hint->GetEffectState() == kHintShown; }));
    const HintTarget target = hint->GetTarget();
    ASSERT_EQ(target.level, int32_t(hall));
    ElementRecord* item = play.hall->GetItemRecord(uint32_t(target.element));
    EXPECT_EQ(item->flags & (kElementHintable | kElementFound), kElementHintable);
    // The glow is added over the item: brighter there than the item alone.
    const uint32_t lit = play.Colour(play.Centre(item->pName));
    const auto sum = [](uint32_t c) { return (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF); };
    EXPECT_GT(sum(lit), sum(before[item->pName]) + 30) << item->pName << std::hex << " " << lit;
    // The list keeps the entry bright: the item's own, or for a coin its leader's.
    const int32_t coin = play.hall->FindElementByName("coin");
    const bool copy = std::strncmp(item->pName, "coin", 4) == 0;
    EXPECT_EQ(list->GetHighlightElement(), copy ? coin : target.element);
    // A click while it shows restarts the shown phase.
    play.Click(button);
    EXPECT_EQ(hint->GetEffectState(), kHintShown);
    EXPECT_LT(hint->GetProgress(), 0.1f);
    ASSERT_TRUE(play.StepUntil([&] { return hint->GetEffectState() == kHintIdle; }));

    for (const char* name : kHallItems) {
        SCOPED_TRACE(name);
        play.Click(play.Centre(name));
        ASSERT_TRUE(play.Gone(name));
        if (std::strcmp(name, "key") == 0) {
            EXPECT_EQ(count(), "1/6");
        }
        if (std::strcmp(name, "coin2") == 0) {
            EXPECT_EQ(count(), "5/6");
        }
    }
    EXPECT_EQ(count(), "6/6");
    EXPECT_EQ(variable("wellDone"), 1u);
    EXPECT_EQ(variable("counted"), 6u);
    EXPECT_TRUE(popups->IsNarratorShowing());
    EXPECT_EQ(Readable(game, popups->GetNarratorText()), "Well done! The six heirlooms are found.");

    // Nothing left: the hint shows the hunt.
    ASSERT_TRUE(play.StepUntil([&] { return !popups->IsNarratorShowing(); }));
    ASSERT_FALSE(popups->IsPopupOpen());
    play.Click(button);
    ASSERT_TRUE(play.StepUntil([&] { return popups->IsPopupOpen(); }));
    EXPECT_EQ(Readable(game, popups->GetText()).rfind("The journal's first page", 0), 0u) << Readable(game, popups->GetText());
    EXPECT_EQ(hint->GetEffectState(), kHintIdle);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, TheTitlesMenuNamesANewProfileAndStartsTheHall)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    // The main script loads the title; every slot is empty on a first start.
    CObjectsInterfaceMenu* menu = StepToTitle(game);
    ASSERT_NE(menu, nullptr);
    CProfileManager* profiles = game.World()->GetProfileManager();
    EXPECT_TRUE(profiles->AreAllSlotsEmpty());
    EXPECT_EQ(menu->CheckSetup(), kStatusOk);
    EXPECT_EQ(menu->GetPage(), uint32_t(kMenuMain));
    // The options button shows on the panel, its text on it: the dark face beside the letters,
    // once the title has faded in (on the clock, however quickly the frames come).
    auto centre = [&](uint32_t role) {
        float at[3];
        menu->ProjectElementToScreen(at, menu->GetItemRecord(uint32_t(menu->GetRole(role))));
        return std::make_pair(int32_t(at[0]), int32_t(at[1]));
    };
    const auto options = centre(kMenuTextOptions);
    const auto button = centre(kMenuButton02);
    EXPECT_EQ(options, button);
    uint32_t face = 0;
    auto faceShows = [&] {
        return game.ReadPixel(button.first - 100, button.second, &face) && (face & 0xFFFFFFu) == 0x3a3050u;
    };
    for (int i = 0; i < 1000 && !faceShows(); ++i)
        ASSERT_TRUE(game.Step());
    EXPECT_EQ(face & 0xFFFFFFu, 0x3a3050u) << std::hex << face;

    // Play: slot 0 and the name entry, laid out in the popups object's frame. A click made while
    // a transition shows is not taken: it is made again until the page changes.
    const auto play = centre(kMenuTextPlay);
    for (int i = 0; i < 200 && menu->GetPage() == kMenuMain; ++i) {
        game.PostClick(play.first, play.second);
        ASSERT_TRUE(game.Step(3));
    }
    EXPECT_EQ(menu->GetPage(), uint32_t(kMenuProfileName));
    EXPECT_EQ(profiles->GetCurrentIndex(), 0);
    uint32_t count = 0;
    const MenuEntry* entries = menu->GetEntries(kMenuListName, &count);
    ASSERT_EQ(count, 4u);
    float frame[4];
    ASSERT_TRUE(menu->GetPopupFrameRect(frame));
    for (uint32_t i = 0; i < count; ++i) {
        EXPECT_GT(entries[i].y, frame[1]) << i;
        EXPECT_LT(entries[i].y, frame[3]) << i;
        EXPECT_GT(entries[i].textWidth, 0.0f) << i;
    }
    // Typed faster than the frames come, every character still reaches the name, each with a
    // frame of its own, an accented letter of the font too (as the platform gives typed text:
    // one UTF-16 character a message); "!" is no name character.
    for (char16_t c : std::u16string(u"\u00c9lodie!"))
        game.PostCharacter(c);
    ASSERT_TRUE(game.Step());
    std::u16string typed = menu->GetNameBuffer();
    game.World()->GetStringsManager()->UnmapChars(typed.data());
    EXPECT_EQ(UtilsString_ToUtf8(typed.c_str()), "\u00c9lodie");
    game.PostCharacter(13);
    ASSERT_TRUE(game.Step());
    // Return took the name and started chapter 1 at the hall.
    ASSERT_NE(profiles->GetSlot(0)->name, nullptr);
    EXPECT_EQ(UtilsString_ToUtf8(profiles->GetSlot(0)->name), "\u00c9lodie");
    ASSERT_TRUE(StepUntilPlaying(game));
    EXPECT_STREQ(game.World()->GetObjectsManager()->GetCurrentLevelObject()->GetName(), "hall");
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// On a first start no popup text has told the popups object its buttons yet: the leave question
// shows the frame and its close button, never the page arrows, which turn no page of the menu.
TEST_F(GameFolder, TheLeaveQuestionOfAFirstStartShowsNoPageArrows)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    CObjectsInterfaceMenu* menu = StepToTitle(game);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(game.Step(60));
    auto* popups = static_cast<CObjectsInterfacePopups*>(
        game.World()->GetObjectsManager()->GetObject(uint32_t(menu->GetPopupsIndex())));
    ASSERT_NE(popups, nullptr);
    // What the title shows where the arrows lie, before the question is asked.
    std::vector<std::pair<int32_t, int32_t>> arrows;
    std::vector<uint32_t> title;
    for (uint32_t role : {kPopupsPrevious, kPopupsNext}) {
        float at[3];
        popups->ProjectElementToScreen(at, popups->GetRoleElement(role));
        arrows.emplace_back(int32_t(std::lround(at[0])), int32_t(std::lround(at[1])));
        uint32_t colour = 0;
        ASSERT_TRUE(game.ReadPixel(arrows.back().first, arrows.back().second, &colour));
        title.push_back(colour & 0xFFFFFFu);
    }
    float at[3];
    menu->ProjectElementToScreen(at, menu->GetItemRecord(uint32_t(menu->GetRole(kMenuTextExit))));
    for (int i = 0; i < 200 && menu->GetPage() != kMenuLeave; ++i) {
        game.PostClick(int32_t(at[0]), int32_t(at[1]));
        ASSERT_TRUE(game.Step(3));
    }
    ASSERT_EQ(menu->GetPage(), uint32_t(kMenuLeave));
    ASSERT_TRUE(game.Step(3));
    EXPECT_EQ(popups->GetRoleElement(kPopupsPrevious)->alpha, 0.0f);
    EXPECT_EQ(popups->GetRoleElement(kPopupsNext)->alpha, 0.0f);
    EXPECT_EQ(popups->GetRoleElement(kPopupsClose)->alpha, 1.0f);
    for (size_t i = 0; i < arrows.size(); ++i) {
        uint32_t colour = 0;
        ASSERT_TRUE(game.ReadPixel(arrows[i].first, arrows[i].second, &colour));
        EXPECT_EQ(colour & 0xFFFFFFu, title[i]) << i << std::hex << " " << colour;
    }
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// A new player's tutorial in the hall: a welcome ended at once leaves the arrow step on the key,
// which waits (the key marked) while the hall's script has not yet made the key clickable and
// shows as soon as it has; the key's click pops it, the script's waiting _pushTuto goes on and
// queues the skippable step.
TEST_F(GameFolder, TheHallsKeyStepWaitsForTheKeyAndItsClickResumesTheTutorial)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    HallPlay play(game);
    ASSERT_TRUE(StepUntilPlaying(game));
    ASSERT_TRUE(CloseHallIntro(game));
    play.hall = game.World()->GetObjectsManager()->GetCurrentLevelObject();
    ASSERT_NE(play.hall, nullptr);
    CTutoManager* tuto = game.World()->GetTutoManager();
    ASSERT_NE(tuto, nullptr);
    const auto variable = [&play](const char* name) {
        uint32_t value = 0;
        play.hall->GetScript()->GetLong(name, &value, false);
        return value;
    };
    ElementRecord* key = play.Element("key");
    const uint32_t keyIndex = uint32_t(play.hall->FindElementByName("key"));

    ASSERT_TRUE(play.StepUntil([&] { return tuto->HasStep(); }));
    EXPECT_EQ(tuto->GetState(), uint32_t(kTutoDelay));
    tuto->OnInput();
    ASSERT_TRUE(play.StepUntil([&] { return variable("welcomed") == 1; }));
    EXPECT_FALSE(key->flags & kElementClickable);
    EXPECT_TRUE(key->flags & kElementTutorialMark);
    EXPECT_FALSE(tuto->HasStep());

    ASSERT_TRUE(play.StepUntil([&] { return tuto->HasStep(); }));
    EXPECT_TRUE(key->flags & kElementClickable);
    EXPECT_EQ(tuto->GetCurrentStep().itemElement, keyIndex);
    ASSERT_TRUE(play.StepUntil([&] { return tuto->GetState() == kTutoShown; }));
    EXPECT_EQ(variable("keyTaught"), 0u);
    play.Click(play.Centre("key"));
    ASSERT_TRUE(play.StepUntil([&] { return variable("keyTaught") == 1; }));
    EXPECT_FALSE(key->flags & kElementTutorialMark);
    ASSERT_TRUE(play.StepUntil([&] { return tuto->HasStep(); }));
    EXPECT_TRUE(tuto->GetCurrentStep().flags & kTutoSkippable);
    EXPECT_EQ(tuto->GetCurrentStep().itemElement, kTutoNoIndex);
    EXPECT_EQ(game.Stop(), 0);
}

// The title's options: the sample's switches and buttons, the full screen switched on and off,
// the credits read from the pack and scrolled up, and the other language chosen on the language
// page, which enters the title again.
TEST_F(GameFolder, TheTitlesOptionsShowTheCreditsAndChangeTheLanguage)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    CObjectsInterfaceMenu* menu = StepToTitle(game);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(game.Step(60));
    auto clickUntil = [&](float x, float y, const std::function<bool()>& done) {
        for (int i = 0; i < 100; ++i) {
            game.PostClick(int32_t(x), int32_t(y));
            for (int frame = 0; frame < 3; ++frame)
                if (!game.Step())
                    return false;
            if (done())
                return true;
        }
        return false;
    };
    auto entry = [&](uint32_t list, uint32_t id) {
        uint32_t count = 0;
        const MenuEntry* entries = menu->GetEntries(list, &count);
        for (uint32_t i = 0; i < count; ++i)
            if (entries[i].id == id)
                return std::make_pair(entries[i].x, entries[i].y + entries[i].textHeight * entries[i].scale * 0.5f);
        return std::make_pair(-1.0f, -1.0f);
    };
    float at[3];
    menu->ProjectElementToScreen(at, menu->GetItemRecord(uint32_t(menu->GetRole(kMenuTextOptions))));
    ASSERT_TRUE(clickUntil(at[0], at[1], [&] { return menu->GetPage() == kMenuOptions; }));
    uint32_t count = 0;
    const MenuEntry* options = menu->GetEntries(kMenuListOptions, &count);
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < count; ++i)
        ids.push_back(options[i].id);
    // The sound switch needs the sounds (the harness may run without an audio device).
    std::vector<uint32_t> expected = {41, 44, 52, 48, 49};
    if (!game.World()->GetAudioEngine() || !game.World()->GetSurroundManager())
        expected.erase(expected.begin() + 1);
    EXPECT_EQ(ids, expected);
    // The credits and the switch to the other language, in the language the game started in.
    const bool french = game.World()->GetCurrentLanguage() == 1;

    // The full screen switched: the world's flag flips, and the switch's box follows it on the
    // next frame. (Xvfb has no window manager to resize the window: the pointer's mapping would
    // no longer match it, so the way back is the entry's own action.)
    WorldData* data = game.World()->GetWorldData();
    const auto fullScreenEntry = [&]() -> MenuEntry* {
        uint32_t n = 0;
        auto* e = const_cast<MenuEntry*>(menu->GetEntries(kMenuListOptions, &n));
        for (uint32_t i = 0; i < n; ++i)
            if (e[i].id == kMenuIdFullScreen)
                return &e[i];
        return nullptr;
    };
    const uint8_t windowed = data->fullScreen;
    const auto screen = entry(kMenuListOptions, kMenuIdFullScreen);
    ASSERT_TRUE(clickUntil(screen.first, screen.second, [&] { return data->fullScreen != windowed; }));
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(fullScreenEntry()->toggle, data->fullScreen ? 0 : 1);
    menu->OnOptionEntry(*fullScreenEntry());
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(data->fullScreen, windowed);
    EXPECT_EQ(fullScreenEntry()->toggle, data->fullScreen ? 0 : 1);
    EXPECT_FALSE(game.World()->HasEndedOnFailure());

    // The credits: this language's file, the extra credits and the identification block.
    const auto credits = entry(kMenuListOptions, kMenuIdCredits);
    ASSERT_TRUE(clickUntil(credits.first, credits.second, [&] { return menu->GetPage() == kMenuCredits; }));
    std::u16string text = menu->GetCreditsText();
    static_cast<CVornelFontEx*>(game.World()->GetMainFont())->RemapText(text.data());
    // Each line centred (padded in front), "|" breaking a line as a NUL does.
    EXPECT_NE(text.find(u" NIMBREL\n"), std::u16string::npos) << UtilsString_ToUtf8(text.c_str());
    EXPECT_NE(text.find(french ? u" Une aventure" : u" A seek-and-find adventure\n"), std::u16string::npos);
    EXPECT_NE(text.find(u" Vornel\n"), std::u16string::npos);
    // The extra credits stand apart, an empty line between them and the credits before and
    // the identification block after (a centred empty line may be padded).
    const auto emptyLine = [&](size_t at, int step) {
        for (int ends = 0; ends < 2; ++ends) {
            while (at < text.size() && text[at] == u' ')
                at += size_t(step);
            if (at >= text.size() || text[at] != u'\n')
                return false;
            at += size_t(step);
        }
        return true;
    };
    const size_t extra = text.find(french ? u"Version Linux" : u"Linux version");
    ASSERT_NE(extra, std::u16string::npos) << UtilsString_ToUtf8(text.c_str());
    EXPECT_TRUE(emptyLine(extra - 1, -1)) << UtilsString_ToUtf8(text.c_str());
    const size_t extraEnd = text.find(u"OpenAL Soft");
    ASSERT_NE(extraEnd, std::u16string::npos);
    EXPECT_TRUE(emptyLine(extraEnd + 11, 1)) << UtilsString_ToUtf8(text.c_str());
    // The identification block closes the credits: the game's names, then the display and the
    // engine's figures that a player quotes in a report.
    const size_t display = text.find(u" (1024x768) /");
    ASSERT_NE(display, std::u16string::npos) << UtilsString_ToUtf8(text.c_str());
    EXPECT_GT(display, text.find(u"Nimbrel \u2013"));
    EXPECT_NE(text.find(u"\n", display), std::u16string::npos);
    for (const char16_t* figure : {u"/=", u"pow2=", u"w="})
        EXPECT_NE(text.find(figure, display), std::u16string::npos) << UtilsString_ToUtf8(figure);
    ASSERT_NE(menu->GetCredits(), nullptr);
    const float start = menu->GetCreditsScroll();
    ASSERT_TRUE(game.Step(10));
    EXPECT_LT(menu->GetCreditsScroll(), start);
    // Closed by the popups object's button: back to the options, the text dropped.
    CObjectsInterfacePopups* popups = static_cast<CObjectsInterfacePopups*>(
        game.World()->GetObjectsManager()->GetObject(uint32_t(menu->GetPopupsIndex())));
    popups->ProjectElementToScreen(at, popups->GetRoleElement(kPopupsClose));
    ASSERT_TRUE(clickUntil(at[0], at[1], [&] { return menu->GetPage() == kMenuOptions; }));
    EXPECT_EQ(menu->GetCredits(), nullptr);

    // The other language: the title is entered again in it, on the options page.
    const auto language = entry(kMenuListOptions, kMenuIdLanguage);
    ASSERT_TRUE(clickUntil(language.first, language.second, [&] { return menu->GetPage() == kMenuLanguages; }));
    const int32_t other = french ? 0 : 1;
    const auto name = entry(kMenuListLanguages, kMenuIdFirstLanguage + uint32_t(other));
    ASSERT_TRUE(clickUntil(name.first, name.second, [&] { return game.World()->GetCurrentLanguage() == other; }));
    for (int i = 0; i < 600 && PlayedTitle(game) == nullptr; ++i)
        ASSERT_TRUE(game.Step());
    menu = PlayedTitle(game);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetPage(), uint32_t(kMenuOptions));
    options = menu->GetEntries(kMenuListOptions, &count);
    ASSERT_EQ(count, expected.size());
    std::u16string music = options[0].text;
    static_cast<CVornelFontEx*>(game.World()->GetMainFont())->RemapText(music.data());
    EXPECT_EQ(music, french ? u"Music" : u"Musique");
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The French credits hold a line wider than the frame: it is cut in two, and every line, its
// pieces too, stands centred in the frame, as the English ones do.
TEST_F(GameFolder, TheFrenchCreditsStandCentredLineByLine)
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        TestSystem_SetEnv(name, "fr_FR.UTF-8");
    NimbrelHarness game;
    const int started = game.Start();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        TestSystem_SetEnv(name, nullptr);
    ASSERT_EQ(started, 0) << boxes;
    CObjectsInterfaceMenu* menu = StepToTitle(game);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(game.World()->GetCurrentLanguage(), 1u);
    ASSERT_TRUE(game.Step(60));
    auto clickUntil = [&](float x, float y, const std::function<bool()>& done) {
        for (int i = 0; i < 100; ++i) {
            game.PostClick(int32_t(x), int32_t(y));
            if (!game.Step(3))
                return false;
            if (done())
                return true;
        }
        return false;
    };
    float at[3];
    menu->ProjectElementToScreen(at, menu->GetItemRecord(uint32_t(menu->GetRole(kMenuTextOptions))));
    ASSERT_TRUE(clickUntil(at[0], at[1], [&] { return menu->GetPage() == kMenuOptions; }));
    uint32_t count = 0;
    const MenuEntry* options = menu->GetEntries(kMenuListOptions, &count);
    const MenuEntry* credits = nullptr;
    for (uint32_t i = 0; i < count; ++i)
        if (options[i].id == kMenuIdCredits)
            credits = &options[i];
    ASSERT_NE(credits, nullptr);
    ASSERT_TRUE(clickUntil(credits->x, credits->y + credits->textHeight * credits->scale * 0.5f,
                           [&] { return menu->GetPage() == kMenuCredits; }));
    ASSERT_NE(menu->GetCredits(), nullptr);
    const ExtraTextLine* block = menu->GetCredits()->GetLine(0);
    ASSERT_NE(block, nullptr);
    float frame[4];
    ASSERT_TRUE(menu->GetPopupFrameRect(frame, true));
    CVornelFont* font = menu->GetCredits()->GetFont();
    const float scale = game.World()->GetWorldData()->pGame->screen.textScale * block->scale;
    const auto width = [&](const std::u16string& text) {
        return std::fabs(font->GetTextSize(text.c_str(), block->glyph[0] * scale, block->glyph[1] * scale).x);
    };
    // Within a space of the centre: the padding is made of whole spaces.
    const float tolerance = block->glyph[0] * scale * 0.5f;
    // The text in the font's codes, and read as letters (one letter a code).
    const std::u16string text = block->pText;
    std::u16string plain = text;
    static_cast<CVornelFontEx*>(font)->RemapText(plain.data());
    std::u16string shown;
    size_t start = 0, lines = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(u'\n', start), text.size());
        const size_t first = plain.find_first_not_of(u' ', start);
        const size_t from = start;
        start = end + 1;
        if (first >= end)
            continue;
        const float padded = width(text.substr(from, end - from)), own = width(text.substr(first, end - first));
        const float centre = block->position[0] + padded - own * 0.5f;
        const std::u16string words = plain.substr(first, end - first);
        SCOPED_TRACE(UtilsString_ToUtf8(words.c_str()));
        EXPECT_LE(padded, frame[2] - frame[0] + 0.5f);
        EXPECT_NEAR(centre, (frame[0] + frame[2]) * 0.5f, tolerance);
        shown += words + u"\n";
        ++lines;
    }
    EXPECT_GT(lines, 10u);
    // The long line of the pictures is there, in two lines.
    EXPECT_NE(shown.find(u"Dessinées par recettes"), std::u16string::npos) << UtilsString_ToUtf8(shown.c_str());
    EXPECT_EQ(shown.find(u"Dessinées par recettes à la construction\n"), std::u16string::npos);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The narrator's band runs across the screen while its line is cut at the popup box's width:
// every narrator line of the sample stands on one line, in English and in French.
TEST_F(GameFolder, TheNarratorLinesStandOnOneLineInBothLanguages)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_NE(StepToTitle(game), nullptr);
    CPopupManager* popups = game.World()->GetPopupManager();
    for (const int32_t language : {0, 1}) {
        ASSERT_EQ(game.World()->LoadLanguage(language), kStatusOk);
        for (const char* name : {"first_find", "monitor_done", "no_fit"}) {
            SCOPED_TRACE(std::to_string(language) + " " + name);
            popups->ResetNarratorLine();
            // A narrator line opens no popup text.
            EXPECT_EQ(popups->ShowString(name), kStatusFailed);
            ASSERT_TRUE(popups->IsNarratorShowing());
            const std::string line = Readable(game, popups->GetNarratorText());
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        }
    }
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// A game ended on a failure (a display the options could not switch) ends the program as failed,
// its text in the error box, where the player's own end gives 0.
namespace {

// Where every object's elements stand and where the options page puts its entries: the layout
// the objects made for the window.
std::vector<float> Layout(NimbrelHarness& game, CObjectsInterfaceMenu* menu)
{
    std::vector<float> layout;
    CObjectsManager* objects = game.World()->GetObjectsManager();
    for (uint32_t o = 0; o < objects->GetObjectCount(); ++o) {
        CObjectsBase* object = objects->GetObject(o);
        for (uint32_t e = 0; object && object->IsLoaded() && e < object->GetElementCount(); ++e) {
            float at[3];
            object->GetElementPosition(at, object->GetItemRecord(e));
            layout.insert(layout.end(), at, at + 2);
        }
    }
    uint32_t count = 0;
    const MenuEntry* entries = menu->GetEntries(kMenuListOptions, &count);
    for (uint32_t i = 0; i < count; ++i)
        layout.insert(layout.end(), {entries[i].x, entries[i].y, entries[i].scale});
    return layout;
}

}  // namespace

TEST_F(GameFolder, ASwitchOfTheDisplayLaysTheGameOutForTheWindowItGives)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    CObjectsInterfaceMenu* menu = StepToTitle(game);
    ASSERT_NE(menu, nullptr);
    menu->SetPage(kMenuOptions);
    ASSERT_TRUE(game.Step(2));
    WorldData* w = game.World()->GetWorldData();
    const GameScreenScale& screen = game.Game()->screen;
    int32_t desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(Platform_GetDesktopSize(&desktopWidth, &desktopHeight));
    const int32_t windowWidth = w->realWidth, windowHeight = w->realHeight;
    ASSERT_LT(windowWidth, desktopWidth) << "the harness plays in a window fitted into the desktop";

    // Full screen, back to the window, full screen again: each time the layout is the one the
    // objects make afresh for the window the switch gave, from the first frame on.
    for (const uint8_t fullScreen : {1, 0, 1}) {
        SCOPED_TRACE(fullScreen ? "full screen" : "window");
        ASSERT_EQ(game.World()->ChangeDisplayMode(kNimbrelClassName, game.World()->GetAppName(), fullScreen, 0,
                                                  nullptr),
                  kStatusOk);
        const int32_t width = fullScreen ? desktopWidth : windowWidth;
        const int32_t height = fullScreen ? desktopHeight : windowHeight;
        for (int i = 0; i < 300 && (w->realWidth != width || w->realHeight != height); ++i)
            ASSERT_TRUE(game.Step());
        ASSERT_EQ(w->realWidth, width);
        ASSERT_EQ(w->realHeight, height);
        ASSERT_TRUE(game.Step());
        const std::vector<float> shown = Layout(game, menu);
        // The interface view follows the window's fit.
        EXPECT_FLOAT_EQ(w->game.view.interfaceScaleX, screen.viewScaleX);
        CObjectsManager* objects = game.World()->GetObjectsManager();
        for (uint32_t o = 0; o < objects->GetObjectCount(); ++o) {
            CObjectsBase* object = objects->GetObject(o);
            if (object && object->IsLoaded()) {
                ASSERT_EQ(object->UpdateComponents(), kStatusOk) << object->GetName();
            }
        }
        const std::vector<float> afresh = Layout(game, menu);
        ASSERT_EQ(shown.size(), afresh.size());
        size_t differ = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            differ += std::fabs(shown[i] - afresh[i]) > 0.01f ? 1 : 0;
        EXPECT_EQ(differ, 0u) << "of " << shown.size() << " layout values";
        EXPECT_EQ(menu->GetPage(), kMenuOptions);
    }
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

TEST_F(GameFolder, AGameEndedOnAFailureEndsTheProgramAsFailed)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(game.Step());
    game.World()->EndOnFailure(u"The display could not be switched.");
    EXPECT_FALSE(game.Step());
    EXPECT_EQ(game.Stop(), -1);
    EXPECT_NE(boxes.find("The display could not be switched."), std::string::npos) << boxes;
}

namespace {

// A digest of a rectangle of the hall's picture, given in reference pixels.
uint64_t RegionDigest(NimbrelHarness& game, float x0, float y0, float x1, float y1)
{
    const float scale = float(game.World()->GetWorldData()->realWidth) / game.Game()->screen.referenceWidth;
    uint64_t digest = 1469598103934665603ull;
    for (float y = y0; y < y1; y += 2.0f)
        for (float x = x0; x < x1; x += 2.0f) {
            uint32_t colour = 0;
            game.ReadPixel(int32_t(x * scale), int32_t(y * scale), &colour);
            digest = (digest ^ (colour & 0xFFFFFFu)) * 1099511628211ull;
        }
    return digest;
}

// The hall once its welcome text is closed and its items wait to be found: the digests of its
// items list, its monitor's plate and its score plate.
std::vector<uint64_t> HallBands(NimbrelHarness& game)
{
    if (!CloseHallIntro(game))
        return {};
    HallPlay play(game);
    play.hall = game.World()->GetObjectsManager()->GetCurrentLevelObject();
    uint32_t settled = 0;
    if (!play.hall ||
        !play.StepUntil([&] {
            play.hall->GetScript()->GetLong("settled", &settled, false);
            return settled == 1u;
        }) ||
        !game.Step(60))
        return {};
    return {RegionDigest(game, 600.0f, 405.0f, 980.0f, 480.0f), RegionDigest(game, 100.0f, 104.0f, 236.0f, 152.0f),
            RegionDigest(game, 720.0f, 716.0f, 880.0f, 764.0f)};
}

}  // namespace

// A game closed while the hall's welcome text shows its second part is continued with the list
// of the items to find, the score plate and the monitor's count as a fresh game has them once
// the text is closed.
TEST_F(GameFolder, AGameClosedOnTheWelcomeTextContinuesWithItsListScoreAndMonitor)
{
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(StepUntilPlaying(game));
        CPopupManager* popups = game.World()->GetPopupManager();
        HallPlay play(game);
        ASSERT_TRUE(play.StepUntil([&] { return popups->IsPopupOpen(); }));
        ASSERT_TRUE(game.Step(30));
        game.PostKey(VK_SPACE);
        ASSERT_TRUE(game.Step(60));
        ASSERT_TRUE(popups->IsPopupOpen());
        EXPECT_EQ(game.Stop(), 0);
    }
    std::vector<uint64_t> continued;
    {
        NimbrelHarness game;
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(StepUntilPlaying(game));
        continued = HallBands(game);
        EXPECT_EQ(game.Stop(), 0);
    }
    ForgetThePlayer();
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    const std::vector<uint64_t> fresh = HallBands(game);
    ASSERT_EQ(fresh.size(), 3u);
    ASSERT_EQ(continued.size(), 3u);
    EXPECT_EQ(continued[0], fresh[0]) << "the items list";
    EXPECT_EQ(continued[1], fresh[1]) << "the monitor";
    EXPECT_EQ(continued[2], fresh[2]) << "the score plate";
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The profile's clock runs while a level is played, not while the title shows over the level
// last played: a profile left from the title for another one keeps the time it was saved with.
TEST_F(GameFolder, TheTitleStopsTheProfilesClock)
{
    NimbrelHarness game;
    ASSERT_EQ(game.Start(), 0) << boxes;
    ASSERT_TRUE(StepUntilPlaying(game));
    CProfileManager* profiles = game.World()->GetProfileManager();
    const ProfileSlot* slot = profiles->GetSlot(0);
    ASSERT_NE(slot, nullptr);
    const auto clock = [slot] { return double(slot->playTime.minutes) * 1800.0 + double(slot->playTime.fraction); };
    const double start = clock();
    ASSERT_TRUE(game.Step(30));
    EXPECT_GT(clock(), start) << "the hall is played";

    CObjectsManager* objects = game.World()->GetObjectsManager();
    ASSERT_EQ(objects->SetCurrentLevel(uint32_t(objects->FindLevelIndexByName("title")), kNoObjectIndex, 0), kStatusOk);
    ASSERT_NE(StepToTitle(game), nullptr);
    const double atTitle = clock();
    ASSERT_TRUE(game.Step(60));
    EXPECT_EQ(clock(), atTitle);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}
