// vornel profile dump: a profile the game writes, printed back; files the game cannot read.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "SceneFixture.h"
#include "ToolTestSupport.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

using tooltest::RunTool;
using tooltest::TempFolder;

namespace {

// The bytes the game saves for a slot named "Anna", 1 h 5 min 20 s into chapter 1 (level 4).
std::string SavedProfile()
{
    std::unique_ptr<CNimbrelWorld> world(CreateNimbrelWorld());
    world->LoadOptions(u"Game", nullptr, 0, 0, 1);
    world->GetGameData()->constructionStampA = 5;
    world->GetGameData()->constructionStampB = 7;
    auto* profiles = new CProfileManager(world->GetWorldData());
    world->SetManager(kManagerProfile, profiles);
    ProfileSlot slot{};
    slot.name = UtilsString_DupW(u"Anna");
    slot.gameInProgress = 1;
    slot.chapterIndex = 1;
    slot.levelObjectIndex = 4;
    slot.playTime = ProfileTime{600.0f, 5, 1, 0};
    slot.completionDate = ProfileDate{1, 2, 3, 4, 5, 2026};
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    EXPECT_EQ(profiles->SaveProfile(&slot, &list), kStatusOk);
    EXPECT_TRUE(list.WriteAll());
    UTILS_FREE(slot.name);
    return std::string(reinterpret_cast<const char*>(memory.GetBlock()), memory.GetSize());
}

// The hall with its two items, the key found, as the profile writer puts a scene object.
class CHallLevel : public CObjectsLevelExploration {
public:
    explicit CHallLevel(WorldData* w) : CObjectsLevelExploration(w, 1, 0)
    {
        m_pElements = AllocElements(2);
        m_elementCount = 2;
        for (uint32_t i = 0; i < 2; ++i) {
            ResetElement(GetItemRecord(i));
            GetItemRecord(i)->index = i;
        }
        GetItemRecord(1)->flags = kElementFound | kElementClickable;
        ResizeElementCommandLists(2);
        PostMessage(UtilsString_DupA("open"), 3, 4);
        // The lamp flashes with the storm and the key pulses.
        CreateEffectManager();
        AddEffect(kEffectStorm, 0);
        AddEffect(kEffectPulse, 1);
    }
    ~CHallLevel() override { Release(); }
};

std::string SavedHall()
{
    auto w = std::make_unique<WorldData>();
    CHallLevel hall(w.get());
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagObject, nullptr);
    const uint32_t words[2] = {513, 0};
    EXPECT_TRUE(chunk->Write(words, 4, 2) && chunk->WriteStringA("hall", true));
    EXPECT_EQ(hall.SaveToProfile(&list, chunk), kStatusOk);
    for (uint32_t i = 0; i < 2; ++i) {
        UtilsStream_Chunk* element = list.CreateChunk(kProfileTagElement, chunk);
        EXPECT_TRUE(element->WriteStringA(i ? "key" : "lamp", true));
        EXPECT_EQ(hall.SaveElementToProfile(&list, element, hall.GetItemRecord(i)), kStatusOk);
    }
    EXPECT_TRUE(list.WriteAll());
    return std::string(reinterpret_cast<const char*>(memory.GetBlock()), memory.GetSize());
}

}  // namespace

TEST(CommandProfile, DumpsTheSceneObjectsRowByRow)
{
    TempFolder folder("vornel_profile_");
    const std::string file = (folder.Path() / "profile_full_1.sav").string();
    std::ofstream(file, std::ios::binary) << SavedHall();
    const auto dump = RunTool("profile dump " + file);
    ASSERT_EQ(dump.first, 0) << dump.second;
    for (const char* expected : {"  object \"hall\", type 513, kind state 0\n",
                                 "  run state 0, variant -1, finish waiter -1, finished 0\n", "  message \"open\" 3 4\n",
                                 "  element \"lamp\": offset (0, 0, 0)", "    flags 0x0, action 0x0",
                                 "  element \"key\"", "    flags 0x10000002, action 0x0", "    chunk 20003 at",
                                 "  effects: 2 slots; storms 1, cycles 0\n  effect 1: storm on object 1, element 0\n"
                                 "  effect 2: pulse on object 1, element 1\n  storm: phase 0 at 0, every 10 s at speed 1"})
        EXPECT_NE(dump.second.find(expected), std::string::npos) << expected << "\nin:\n" << dump.second;
}

TEST(CommandProfile, DumpsEveryChunkAndTheSlotsOwnData)
{
    TempFolder folder("vornel_profile_");
    const std::string file = (folder.Path() / "profile_full_0.sav").string();
    const std::string bytes = SavedProfile();
    std::ofstream(file, std::ios::binary) << bytes;
    const auto dump = RunTool("profile dump " + file);
    ASSERT_EQ(dump.first, 0);
    const std::string& text = dump.second;
    for (const char* expected :
         {"chunk 10001 at 0: size 42, payload 22\n  version 200, layout 274, program 3.115, construction 0x1F1, "
          "stamp A 5, 1 2\n",
          "chunk 10003 at 42: size 30, payload 10\n  identity \"Game\"\n", "  platform \"WIN32\"\n",
          "  name \"Anna\"\n", "  play time 0 days 01:05, fraction 600 (20 s)\n",
          "  completed on 2026-05-04 03:02:01\n", "  game in progress 1, completed games 0, flags 0x0\n",
          "  check version 200, stamp B 7, chapters flag 0\n",
          "  level 4, chapter 1; chapters flag 0, count 0, current -1, identifier 0xFFFFFFFF\n", "  spare 0 0\n"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;
}

TEST(CommandProfile, NamesWhatMakesAFileUnreadable)
{
    TempFolder folder("vornel_profile_");
    const std::string file = (folder.Path() / "profile.sav").string();
    EXPECT_EQ(RunTool("profile dump " + file).first, 1) << "missing";
    for (const char* arguments : {"profile", "profile dump", "profile show x", "profile dump a b"})
        EXPECT_EQ(RunTool(arguments).first, 2) << arguments;
    const std::string bytes = SavedProfile();
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"", "holds no chunk"},
        {bytes.substr(0, bytes.size() - 1), "cut short"},
        {bytes.substr(0, 30), "holds no chunk that can be read"},
    };
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
        const auto shown = RunTool("profile dump " + file, true);
        EXPECT_EQ(shown.first, 1) << c.reason;
        EXPECT_NE(shown.second.find(c.reason), std::string::npos) << shown.second;
    }
}

// `vornel profile dump` of the chunks written into the memory stream.
std::pair<int, std::string> DumpWritten(UtilsStream_Static& memory)
{
    TempFolder folder("vornel_profile_");
    const std::string file = (folder.Path() / "profile_full_0.sav").string();
    std::ofstream(file, std::ios::binary) << std::string(reinterpret_cast<const char*>(memory.GetBlock()),
                                                         memory.GetSize());
    return RunTool("profile dump " + file);
}

TEST(CommandProfile, DumpsTheInterfacesTheScriptHandlersTheCommandsAndTheTimers)
{
    auto w = std::make_unique<WorldData>();
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    UtilsStream_Chunk* interfaces = list.CreateChunk(kProfileTagObjectsManager, nullptr);
    for (int32_t index : {0, -1, 2, -1, -1, -1, 6})
        interfaces->Write(&index, 4, 1);
    // Two contexts: the main script without handlers, an object waiting in "OnRun" with a free
    // slot after it; one queued result.
    UtilsStream_Chunk* scripts = list.CreateChunk(kProfileTagScriptManager, nullptr);
    const uint32_t counts[] = {2, 0, 2};
    scripts->Write(counts, 4, 3);
    const uint8_t present = 1, persistent = 0, free = 0;
    const uint32_t flags = 0x1FFFFFFF;
    scripts->Write(&present, 1, 1);
    scripts->Write(&persistent, 1, 1);
    scripts->Write(&flags, 4, 1);
    scripts->WriteStringA("OnRun", true);
    scripts->Write(&free, 1, 1);
    const uint32_t pending[] = {1, 1, 0, 7};
    scripts->Write(pending, 4, 4);
    UtilsStream_Chunk* main = list.CreateChunk(kProfileTagMainScript, scripts);
    const uint32_t mainWords[] = {4, 0xAAAAAAAA, 0x0FFFFFFF, 0};
    main->Write(mainWords, 4, 4);
    CCommandListManager commands(w.get());
    CommandHandle handle{};
    ASSERT_EQ(commands.AddCommand(1, 0, 3, 1, 0, 0, 0, &handle), kStatusOk);
    ChunkStream stream(list.CreateChunk(kProfileTagCommandLists, nullptr));
    ASSERT_EQ(commands.Save(&stream), kStatusOk);
    CTimerManager timers(w.get());
    ASSERT_EQ(timers.AddTimer("Ring", "bell", 1, 0x0FFFFFFF, 2.0f, 1, 3), kStatusOk);
    ASSERT_EQ(timers.SaveToStream(&list, list.CreateChunk(kProfileTagTimers, nullptr)), kStatusOk);
    ASSERT_TRUE(list.WriteAll());

    const auto dump = DumpWritten(memory);
    ASSERT_EQ(dump.first, 0) << dump.second;
    for (const char* expected :
         {"  menu object 0\n  labels object -1\n  popups object 2\n", "  effects object 6\n",
          "  2 contexts, 1 queued results\n  context 1 handler 0 \"OnRun\": flags 0x1FFFFFFF\n"
          "  context 1 handler 1: free\n  queued result: context 1 handler 0 value 7\n"
          "  main script: globals 4 bytes, event mask 0xFFFFFFF, run state 0 bytes\n",
          "command 0: magic 1, object 1, kind 3, event 1, function 0, locks 0\n",
          "  1 timers\n  timer of object 1: 60 units left, mode 1, call 3, function \"Ring\" (\"bell\"), key 0xFFFFFFF\n"})
        EXPECT_NE(dump.second.find(expected), std::string::npos) << expected << "\nin:\n" << dump.second;
}

TEST(CommandProfile, DumpsTheSavedFadesAnimatorsAndTimers)
{
    SceneFixtureWorld world;
    auto* fades = new CFadeManager(world.GetWorldData());
    auto* moves = new CPositionManager(world.GetWorldData());
    auto* timers = new CTimerManager(world.GetWorldData());
    world.SetManager(kManagerFade, fades);
    world.SetManager(kManagerPosition, moves);
    world.SetManager(kManagerTimer, timers);
    ElementRecord* e = world.level->At(3);
    e->pPositions = static_cast<NamedPosition*>(UTILS_CALLOC(2, sizeof(NamedPosition)));
    e->positionCount = 2;
    e->pPositions[1] = NamedPosition{40.0f, -20.0f, 0.0f, nullptr};
    const CommandHandle command = world.NewCommand();
    ASSERT_EQ(fades->AddFade(kFadeHide, 2.0f, 1, 2, &command), 1u);
    ASSERT_EQ(moves->AddMove(1, EasingFromName("inEaseOutSin"), 4.0f, 1, 3, nullptr), 1u);
    ASSERT_EQ(timers->AddTimer("OnBell", "twice", kTimerMulti, kTimerFunctionMask, 1.5f, 1, 2), kStatusOk);
    ASSERT_EQ(timers->AddTimer(nullptr, nullptr, kTimerSingleResume, 0x40, 0.5f, 1, 3), kStatusOk);

    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    list.CreateChunk(kProfileTagRotations, nullptr);
    ASSERT_EQ(moves->SaveToStream(&list, list.CreateChunk(kProfileTagPositions, nullptr)), kStatusOk);
    ASSERT_EQ(timers->SaveToStream(&list, list.CreateChunk(kProfileTagTimers, nullptr)), kStatusOk);
    ASSERT_EQ(fades->SaveToStream(&list, list.CreateChunk(kProfileTagFades, nullptr)), kStatusOk);
    ASSERT_TRUE(list.WriteAll());

    TempFolder folder("vornel_profile_");
    const std::string file = (folder.Path() / "profile_full_0.sav").string();
    const std::string bytes(reinterpret_cast<const char*>(memory.GetBlock()), memory.GetSize());
    std::ofstream(file, std::ios::binary) << bytes;
    const auto dump = RunTool("profile dump " + file);
    ASSERT_EQ(dump.first, 0) << dump.second;
    for (const char* expected :
         {"chunk 90000 at 0: size 20, payload 0\n  no rotations\n",
          "  1 items in 1 slots\n  item 1: kind 1, object 1, element 3, running, rate 0.25/s, inEaseOutSin, ",
          ", move by (40, -20, 0)\n",
          "  2 timers\n  timer of object 1: 45 units left, mode 2, call 2, function \"OnBell\" (\"twice\"), key 0x1FFFFFFF\n"
          "  timer of object 1: 15 units left, mode 1, call 3, a wait, key 0x40\n",
          "  item 1: kind 1, object 1, element 2, running, rate 0.5/s, command 1 0 1 0 0, fading out\n"})
        EXPECT_NE(dump.second.find(expected), std::string::npos) << expected << "\nin:\n" << dump.second;

    // A fade cut off inside its fields is named, not half shown.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() - 3);
    EXPECT_EQ(RunTool("profile dump " + file, true).first, 1);
}

// Chunk 160000 as the splash screens write it: a picture of the start-up sequence shown for a
// while, no video, two scripts waiting; an entry kind that chooses no group is refused.
TEST(CommandProfile, DumpsTheSplashEntryAndRefusesAnUnknownKind)
{
    auto w = std::make_unique<WorldData>();
    const auto written = [&w](uint32_t kind) {
        UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
        memory.Open();
        UtilsStream_ChunkList list(&memory);
        UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagSplash, nullptr);
        const uint8_t done = 0;
        const uint32_t count = 3, next = 2, transition = 2;
        const float imageTime = 60.0f, elapsed = 12.5f;
        EXPECT_TRUE(chunk->Write(&kind, 4, 1) && chunk->Write(&done, 1, 1) && chunk->Write(&count, 4, 1) &&
                    chunk->Write(&next, 4, 1) && chunk->Write(&imageTime, 4, 1) && chunk->Write(&elapsed, 4, 1) &&
                    chunk->Write(&transition, 4, 1) &&
                    chunk->WriteString(u"textures/studio_1024x768.png", false) && chunk->WriteString(nullptr, false));
        CCommandList waiting(w.get());
        EXPECT_EQ(waiting.Add(CommandHandle{1, 4, 1, 0, 0}), kStatusOk);
        EXPECT_EQ(waiting.Add(CommandHandle{1, 5, 2, 0, 0}), kStatusOk);
        ChunkStream stream(chunk);
        EXPECT_EQ(waiting.Save(&stream), kStatusOk);
        EXPECT_TRUE(list.WriteAll());
        return DumpWritten(memory);
    };
    const auto dump = written(kSplashImage);
    ASSERT_EQ(dump.first, 0) << dump.second;
    EXPECT_NE(dump.second.find("chunk 160000 at 0: size "), std::string::npos) << dump.second;
    EXPECT_NE(dump.second.find("  splash picture, done 0, entries 3, next 2, picture time 60, elapsed 12.5, "
                               "transition 2, picture \"textures/studio_1024x768.png\", video none, "
                               "waiting commands 2\n"),
              std::string::npos)
        << dump.second;
    EXPECT_EQ(written(kSplashNothing + 1).first, 1);
}

TEST(CommandProfile, DumpsTheObjectivesInListOrder)
{
    auto w = std::make_unique<WorldData>();
    CObjectiveManager objectives(w.get());
    objectives.AddObjective(4);
    objectives.AddSubObjective(9, 90);
    objectives.CompleteSubObjective(9, 91);
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    ASSERT_EQ(objectives.SaveToStream(&list, list.CreateChunk(kProfileTagObjectives, nullptr)), kStatusOk);
    ASSERT_TRUE(list.WriteAll());
    const auto dump = DumpWritten(memory);
    ASSERT_EQ(dump.first, 0) << dump.second;
    EXPECT_NE(dump.second.find("chunk 220000 at 0: size 76, payload 56\n"
                               "  2 objectives, order counter 4, current 4\n"
                               "  objective 4: order 1\n  objective 9: order 2, implicit\n"
                               "    sub-objective 90: order 3\n    sub-objective 91: order 4, done\n"),
              std::string::npos)
        << dump.second;
}

namespace {

// A game of two scene objects, without sound.
class CTwoObjectSounds : public CSurroundManager {
public:
    using CSurroundManager::CSurroundManager;

protected:
    bool SceneObjectCount(uint32_t* pCount) override
    {
        *pCount = 2;
        return true;
    }
};

}  // namespace

TEST(CommandProfile, DumpsTheSurroundSoundsCommandsAndTable)
{
    auto w = std::make_unique<WorldData>();
    CTwoObjectSounds sounds(w.get());
    ASSERT_EQ(sounds.PrepareForRun(), kStatusOk);
    ASSERT_EQ(sounds.AddObjectSound(1, "sounds/birds.stream.wav"), kStatusOk);
    ASSERT_EQ(sounds.ParseCommand(1, BuiltinReport{"setSurroundSound", 0, 1}, "sounds/birds.stream.wav",
                                  "force_stop,loop", 1, 2.0f, 4.0f),
              kStatusOk);
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    ChunkStream chunk(list.CreateChunk(kProfileTagSurround, nullptr));
    ASSERT_EQ(sounds.SaveToStream(&chunk), kStatusOk);
    ASSERT_TRUE(list.WriteAll());
    const auto dump = DumpWritten(memory);
    ASSERT_EQ(dump.first, 0) << dump.second;
    EXPECT_NE(dump.second.find("  surround: 2 objects, 4 sounds\n"
                               "  object 1: sounds 3\n"
                               "    force_stop of sound 3, min 0 s, max 0 s, 0 units left, looped\n"
                               "  sound 0: \"null_click.wav\", 1 holders, kept loaded\n"
                               "  sound 1: \"default_click.wav\", 1 holders, kept loaded\n"
                               "  sound 2: \"negative_click.wav\", 1 holders, kept loaded\n"
                               "  sound 3: \"sounds/birds.stream.wav\", 1 holders, looped\n"),
              std::string::npos)
        << dump.second;
}

TEST(CommandProfile, TheCursorsChunkIsEmpty)
{
    auto w = std::make_unique<WorldData>();
    CCursors cursors(w.get());
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    ASSERT_EQ(cursors.SaveToStream(&list, list.CreateChunk(kProfileTagCursors, nullptr)), kStatusOk);
    ASSERT_TRUE(list.WriteAll());
    const auto dump = DumpWritten(memory);
    ASSERT_EQ(dump.first, 0) << dump.second;
    EXPECT_NE(dump.second.find("chunk 190000 at 0: size 20, payload 0\n  cursors: nothing kept\n"), std::string::npos)
        << dump.second;
}

TEST(CommandProfile, TheTutorialChunkShowsTheStepAndTheSkip)
{
    auto w = std::make_unique<WorldData>();
    CTutoManager tuto(w.get());
    ASSERT_EQ(tuto.Load(), kStatusOk);
    tuto.SetSkipAll(1);
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    ChunkStream stream(list.CreateChunk(kProfileTagTutorial, nullptr));
    ASSERT_EQ(tuto.SaveToStream(&stream), kStatusOk);
    ASSERT_TRUE(list.WriteAll());
    const auto dump = DumpWritten(memory);
    ASSERT_EQ(dump.first, 0) << dump.second;
    EXPECT_NE(dump.second.find("tutorial: skip all 1, closed, timer 0, waiting commands 0\n"), std::string::npos)
        << dump.second;
}

// Chunk 150000 as the drag-and-drop manager writes it: the key's rule with the drawer, named
// twice, and a refused answer in the study; a free slot; one script waiting for a drop.
TEST(CommandProfile, DumpsTheDropRulesWithTheirPlacesAndAnswers)
{
    auto w = std::make_unique<WorldData>();
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagDragDrop, nullptr);
    const uint32_t rule[7] = {0, 8, 3, 1, 1, 1, 2};   // index, object, element, consume words, places, uses
    const uint32_t place[3] = {3, 2, 0xFFFFFFFFu};     // object, element, answer level
    const uint32_t count = 2, refusedLevel = 3;
    const uint8_t present = 1, free = 0;
    ASSERT_TRUE(chunk->Write(&count, 4, 1) && chunk->Write(&present, 1, 1) && chunk->Write(rule, 4, 7) &&
                chunk->Write(place, 4, 3) && chunk->WriteStringA("drawerOpened", false) &&
                chunk->Write(&refusedLevel, 4, 1) && chunk->WriteStringA("NoFit", false) && chunk->Write(&free, 1, 1));
    CCommandList waiting(w.get());
    ASSERT_EQ(waiting.Add(CommandHandle{1, 4, 1, 0, 0}), kStatusOk);
    ChunkStream stream(chunk);
    ASSERT_EQ(waiting.Save(&stream), kStatusOk);
    ASSERT_TRUE(list.WriteAll());
    const auto dump = DumpWritten(memory);
    ASSERT_EQ(dump.first, 0) << dump.second;
    EXPECT_NE(dump.second.find("  drag and drop: 1 rules in 2 slots, waiting commands 1\n"
                               "  rule 1: element 3 of object 8, places to use 1, places found, refused answer "
                               "\"NoFit\" of object 3\n"
                               "    place: element 2 of object 3, uses 2, answer \"drawerOpened\"\n"),
              std::string::npos)
        << dump.second;
}
