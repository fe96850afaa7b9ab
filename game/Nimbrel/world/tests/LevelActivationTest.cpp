// Level activation and the memory budget, chapter and level selection, over recording scene
// objects in a world with profiles (three slots) and three chapters (first levels 1, 4, 7).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/GroupTables.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "ObjectsFixture.h"
#include "ProfileFixture.h"

namespace {

// A scene object whose models, script and events are recorded; its "OnDepedencies" marks its
// dependencies wanted, as setObjectDependencies does.
class LevelObject : public SceneTestObject {
public:
    LevelObject(WorldData* w, uint32_t number, uint32_t type, const char* name, Trace* trace, uint32_t size,
                uint8_t overlay = 0)
        : SceneTestObject(w, number, type, name, trace), m_trace(trace)
    {
        Set(0, 0, 1, overlay);
        m_sizeWord = size;
        m_pKindRow = FindObjectKind(type);
    }
    Status LoadReleaseModel(uint32_t) override
    {
        Note("load");
        if (failLoads) {
            --failLoads;
            m_pWorldData->lastErrorCode = failCode;
            return kStatusFailed;
        }
        m_loaded = 1;
        OnModelLoaded();
        return kStatusOk;
    }
    Status ReleaseModel(uint8_t) override
    {
        if (!m_loaded)
            return kStatusOk;
        Note("release");
        m_loaded = 0;
        OnModelReleased();
        return kStatusOk;
    }
    bool IsScriptLoaded() const override { return scriptLoaded; }
    Status LoadScript(uint32_t, uint8_t) override
    {
        scriptLoaded = true;
        return kStatusOk;
    }
    Status FireScriptEvent(uint32_t event) override
    {
        static const char* const kNames[] = {"OnDepedencies", "OnStart", "OnRun",  "OnFocus",
                                             "OnShow",        "OnHide",  "OnCheat", "OnMessage"};
        Note(kNames[event]);
        if (event == kEventDependencies)
            for (LevelObject* other : dependencies)
                other->m_wanted = 1;
        return kStatusOk;
    }
    Status UpdateComponents() override { return kStatusOk; }
    // A new chapter builds the objects anew.
    Status ReloadElementInfos() override
    {
        Note("reload");
        ReleaseModel(0);
        return kStatusOk;
    }
    Status ReloadElementInfosKeepState() override { return ReloadElementInfos(); }
    void SetReleaseMode(uint32_t mode) { m_releaseMode = mode; }
    void SetLoaded(bool loaded)
    {
        if (loaded != bool(m_loaded)) {
            m_loaded = loaded;
            loaded ? OnModelLoaded() : OnModelReleased();
        }
    }
    void Want() { m_wanted = 1; }
    void SetWasShown(uint8_t shown) { m_wasShown = m_shown = shown; }

    std::vector<LevelObject*> dependencies;
    uint32_t failLoads = 0;
    Status failCode = 0;
    bool scriptLoaded = true;

private:
    void Note(const char* what) { m_trace->push_back(std::string(what) + " " + GetName()); }
    Trace* m_trace;
};

class LevelManager : public TestObjectsManager {
public:
    using TestObjectsManager::TestObjectsManager;
    Trace* trace = nullptr;
    uint8_t tutorialOff = 2;

protected:
    void CallMainScript(const char* function) override { trace->push_back(std::string("main ") + function); }
    void SetTutorialOff(uint8_t off) override { tutorialOff = off; }
    void ProgressRange(uint32_t step, uint32_t maximum) override
    {
        trace->push_back("range " + std::to_string(step) + ".." + std::to_string(maximum));
    }
    void ProgressAdvance() override { trace->push_back("progress"); }
};

// 0 menu, 1 hall (level, 300), 2 popups, 3 labels (resident), 4 attic (level), 5 monitor,
// 6 note (level, overlay), 7 cellar (level).
class Levels : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        const struct {
            uint32_t type;
            const char* name;
            uint32_t size;
            uint8_t overlay;
        } rows[] = {{kObjectKindMenu, "menu", 10, 0},     {kObjectKindExploration, "hall", 300, 0},
                    {kObjectKindPopups, "popups", 10, 0}, {kObjectKindLabels, "labels", 10, 0},
                    {kObjectKindExploration, "attic", 200, 0}, {kObjectKindMonitor, "monitor", 10, 0},
                    {kObjectKindExploration, "note", 50, 1},   {kObjectKindExploration, "cellar", 100, 0}};
        std::vector<SceneTestObject*> list;
        for (uint32_t i = 0; i < 8; ++i) {
            o.push_back(new LevelObject(W(), i, rows[i].type, rows[i].name, &trace, rows[i].size, rows[i].overlay));
            list.push_back(o.back());
        }
        objects = new LevelManager(W());
        objects->trace = &trace;
        objects->Adopt(list);
        ASSERT_EQ(objects->BuildNameIndex(), kStatusOk);
        m_world->SetManager(kManagerObjects, objects);
        m_world->objects = 8;
    }
    // The events and loads of one activation, without the bookkeeping lines.
    Trace Activate(uint32_t level, uint8_t releaseAll = 0, uint8_t start = 1)
    {
        trace.clear();
        EXPECT_EQ(objects->PrepareLevel(level, 0, nullptr), kStatusOk);
        EXPECT_EQ(objects->ActivateLevel(level, releaseAll, start), kStatusOk);
        return trace;
    }
    std::vector<std::string> ActiveNames()
    {
        std::vector<std::string> names;
        for (void* p = objects->GetActiveList().GetFirst(); p; p = objects->GetActiveList().GetNext())
            names.push_back(static_cast<CObjectsBase*>(p)->GetName());
        return names;
    }

    Trace trace;
    std::vector<LevelObject*> o;
    LevelManager* objects = nullptr;
};

bool Has(const Trace& trace, const std::string& line)
{
    return std::find(trace.begin(), trace.end(), line) != trace.end();
}

TEST(ObjectLimit, TwentyEightUpTo112ObjectsThenAQuarter)
{
    for (auto [count, limit] : {std::pair<uint32_t, uint32_t>{100, 28}, {115, 28}, {116, 29}, {400, 100}, {0, 28}})
        EXPECT_EQ(CObjectsManager::ObjectLimit(count), limit) << count;
}

TEST_F(Levels, ActivationShowsTheLevelWithItsDependenciesAndOrdersTheActiveList)
{
    o[1]->dependencies = {o[5], o[2]};
    const Trace first = Activate(1);
    // Dependencies first, then the loads in index order (the resident labels too), then events.
    EXPECT_EQ(first, (Trace{"OnDepedencies hall", "load hall", "OnStart hall", "load popups", "OnStart popups",
                            "load labels", "OnStart labels", "load monitor", "OnStart monitor", "OnFocus hall",
                            "OnShow hall", "OnFocus monitor", "OnShow monitor", "OnRun hall", "OnRun monitor"}));
    // Popups are wanted and unlocked but never shown by activation; they get no events.
    EXPECT_FALSE(o[2]->IsShown());
    EXPECT_FALSE(o[2]->IsLocked());
    EXPECT_EQ(ActiveNames(), (std::vector<std::string>{"hall", "popups", "monitor"}));
    EXPECT_EQ(objects->GetCurrentLevelObject(), o[1]);
    EXPECT_EQ(m_profiles->GetCurrentSlot()->levelObjectIndex, 1u);
    EXPECT_EQ(objects->GetLoadedSize(), 330u);
    EXPECT_EQ(objects->GetLoadedObjects(), 4u);
    EXPECT_EQ(objects->GetLoadedLevels(), 1u);
    EXPECT_EQ(objects->GetRequestedLevel(), kNoObjectIndex);

    // Shown a second time in a row: "OnFocus" only; scripts already running do not start again.
    o[1]->dependencies = {o[5]};
    EXPECT_EQ(Activate(1), (Trace{"OnDepedencies hall", "OnFocus hall", "OnFocus monitor"}));

    // Another level: the hall hides, the attic shows and gets the progress bar's steps.
    EXPECT_EQ(Activate(4), (Trace{"OnDepedencies attic", "range 1..2", "progress", "load attic", "OnStart attic",
                                  "progress", "OnHide hall", "OnFocus attic", "OnShow attic", "OnHide monitor",
                                  "OnRun attic"}));
    EXPECT_FALSE(o[1]->IsShown());
    EXPECT_TRUE(o[1]->IsLoaded());  // kept while there is room
    EXPECT_EQ(ActiveNames(), (std::vector<std::string>{"attic"}));
}

// A resident's model comes with the world load; its script still starts with the first
// activation that starts scripts, and only once.
TEST_F(Levels, AResidentLoadedWithTheWorldStartsItsScriptOnce)
{
    o[3]->SetLoaded(true);
    o[3]->scriptLoaded = false;
    EXPECT_FALSE(Has(Activate(1, 0, 0), "OnStart labels"));
    const Trace first = Activate(1);
    EXPECT_FALSE(Has(first, "load labels"));
    EXPECT_TRUE(Has(first, "OnStart labels"));
    EXPECT_TRUE(o[3]->scriptLoaded);
    EXPECT_FALSE(Has(Activate(1), "OnStart labels"));
    EXPECT_EQ(ActiveNames(), (std::vector<std::string>{"hall"}));
}

TEST_F(Levels, ActivationEndsTheFadesAndALevelChangeEveryTimedChange)
{
    o[1]->SetElements({"door"});
    ElementRecord* door = o[1]->GetItemRecord(0);
    char* name = door->pName;
    CObjectsBase::ResetElement(door);
    door->pName = name;
    door->alpha = 1.0f;
    door->pPositions = static_cast<NamedPosition*>(UTILS_CALLOC(2, sizeof(NamedPosition)));
    door->positionCount = 2;
    door->pPositions[1] = NamedPosition{10.0f, 0.0f, 0.0f, nullptr};
    auto* fades = new CFadeManager(W());
    auto* moves = new CPositionManager(W());
    auto* timers = new CTimerManager(W());
    m_world->SetManager(kManagerFade, fades);
    m_world->SetManager(kManagerPosition, moves);
    m_world->SetManager(kManagerTimer, timers);
    Activate(1);
    ASSERT_NE(fades->AddFade(kFadeHide, 5.0f, 1, 0, nullptr), 0u);
    ASSERT_NE(moves->AddMove(1, EasingFromName("linear"), 5.0f, 1, 0, nullptr), 0u);
    ASSERT_EQ(timers->AddTimer("OnBell", nullptr, kTimerSingle, kTimerFunctionMask, 5.0f, 1, 0), kStatusOk);

    // Entering a level ends its fades at once (the door is hidden); moves and timers go on.
    Activate(1);
    EXPECT_EQ(fades->GetCount(), 0u);
    EXPECT_EQ(door->alpha, 0.0f);
    EXPECT_EQ(moves->GetCount(), 1u);
    EXPECT_EQ(timers->GetCount(), 1u);

    // Leaving for another chapter ends the moves where they were going and drops the timers.
    ASSERT_NE(fades->AddFade(kFadeShow, 5.0f, 1, 0, nullptr), 0u);
    EXPECT_EQ(objects->ResetManagers(0), kStatusOk);
    EXPECT_EQ(fades->GetCount(), 0u);
    EXPECT_EQ(moves->GetCount(), 0u);
    EXPECT_EQ(door->positionIndex, 1u);
    EXPECT_EQ(timers->GetCount(), 0u);
}

TEST_F(Levels, AnOverlayLevelKeepsTheLevelsBelowUnderIt)
{
    o[6]->dependencies = {o[1], o[5]};
    Activate(6);
    EXPECT_EQ(ActiveNames(), (std::vector<std::string>{"hall", "note", "monitor"}));
    // The level beneath stays visible under the overlay, which takes the input first.
    EXPECT_TRUE(o[1]->IsShown());
    EXPECT_TRUE(o[1]->IsUnderOverlay());
    EXPECT_FALSE(o[5]->IsUnderOverlay());
    EXPECT_TRUE(o[6]->IsShown());
}

TEST_F(Levels, AnOverlayThatCannotLoadForLackOfVideoMemoryIsSkipped)
{
    o[1]->dependencies = {o[6]};
    o[6]->failLoads = 1;
    o[6]->failCode = 9;
    trace.clear();
    ASSERT_EQ(objects->PrepareLevel(1, 0, nullptr), kStatusOk);
    EXPECT_EQ(objects->ActivateLevel(1, 0, 1), kStatusOk);
    EXPECT_FALSE(o[6]->IsLoaded());
    EXPECT_EQ(objects->GetLoadedBudget(), kNoObjectIndex);
    // The target itself is not skipped: a missing file fails the activation.
    o[4]->failLoads = 1;
    o[4]->failCode = 2;
    ASSERT_EQ(objects->PrepareLevel(4, 0, nullptr), kStatusOk);
    EXPECT_EQ(objects->ActivateLevel(4, 0, 1), kStatusFailed);
}

TEST_F(Levels, OutOfVideoMemoryShrinksTheBudgetToTwoThirdsAndRetries)
{
    const struct {
        uint32_t budget;
        uint32_t loaded;  // what is loaded before, not wanted by the attic
        uint32_t expected;
    } cases[] = {{1000, 100, 666}, {kNoObjectIndex, 291, 200}};  // 301 with the resident labels
    for (const auto& c : cases) {
        LevelObject before(W(), 99, kObjectKindMonitor, "before", &trace, c.loaded);
        before.SetLoaded(true);
        objects->SetLoadedBudget(c.budget);
        o[4]->failLoads = 1;
        o[4]->failCode = 0x10009;  // the low half says: out of video memory
        ASSERT_EQ(objects->PrepareLevel(4, 0, nullptr), kStatusOk);
        EXPECT_EQ(objects->ActivateLevel(4, 0, 1), kStatusOk);
        EXPECT_EQ(objects->GetLoadedBudget(), c.expected) << c.budget;
        EXPECT_TRUE(o[4]->IsLoaded());
        before.SetLoaded(false);
        objects->GetLoadedList().Remove(&before);
        o[4]->SetLoaded(false);
    }
    // A budget of 0 ends the retries.
    objects->SetLoadedBudget(0);
    o[4]->failLoads = 1;
    o[4]->failCode = 9;
    ASSERT_EQ(objects->PrepareLevel(4, 0, nullptr), kStatusOk);
    EXPECT_EQ(objects->ActivateLevel(4, 0, 1), kStatusFailed);
}

TEST_F(Levels, AStaleOutOfVideoMemoryCodeDoesNotTurnAMissingFileIntoRetries)
{
    W()->lastErrorCode = 9;
    objects->SetLoadedBudget(1000);
    o[4]->failLoads = 1;
    o[4]->failCode = 0;  // the load fails without a code of its own
    ASSERT_EQ(objects->PrepareLevel(4, 0, nullptr), kStatusOk);
    EXPECT_EQ(objects->ActivateLevel(4, 0, 1), kStatusFailed);
    EXPECT_EQ(objects->GetLoadedBudget(), 1000u);
}

TEST_F(Levels, TheReleaseWalkFreesLeastRecentlyUsedFirstAndClampsItsLimit)
{
    for (uint32_t i : {7u, 4u, 1u})
        o[i]->SetLoaded(true);  // the hall most recently used
    o[3]->SetLoaded(true);      // resident: never released
    EXPECT_EQ(objects->GetLoadedSize(), 610u);
    trace.clear();
    EXPECT_EQ(objects->OnReleaseTexturesMemory(320), kStatusOk);
    EXPECT_EQ(trace, (Trace{"release cellar", "release attic"}));
    // A level larger than the budget asks for everything that may go, not for nothing.
    objects->SetLoadedBudget(100);
    trace.clear();
    ASSERT_EQ(objects->PrepareLevel(4, 0, nullptr), kStatusOk);
    EXPECT_EQ(objects->ActivateLevel(4, 0, 1), kStatusOk);
    EXPECT_TRUE(Has(trace, "release hall"));
    // The object count: wanted objects that may go are the second choice.
    o[4]->SetReleaseMode(1);
    trace.clear();
    EXPECT_EQ(objects->OnReleaseObjectsMemory(0), kStatusOk);
    EXPECT_EQ(trace, (Trace{"release attic"}));
    EXPECT_TRUE(o[3]->IsLoaded());
}

TEST_F(Levels, ActivatingNoObjectFailsAndKeepsNoRequest)
{
    EXPECT_EQ(objects->SetCurrentLevel(4, 1, 1), kStatusOk);
    EXPECT_EQ(m_world->GetGameState(), kGameStateLevelChange);
    EXPECT_EQ(objects->ActivateLevel(kNoObjectIndex, 0, 1), kStatusFailed);
    EXPECT_EQ(objects->GetRequestedLevel(), kNoObjectIndex);
    EXPECT_EQ(objects->ActivateLevel(8, 0, 1), kStatusFailed);
}

TEST_F(Levels, RestartActivityStartsAShownObjectAgain)
{
    Activate(1);
    trace.clear();
    // No script manager in this world: the restart cannot reset the context.
    EXPECT_EQ(objects->RestartActivity(1, 0), kStatusFailed);
    EXPECT_EQ(objects->RestartActivity(99, 0), kStatusFailed);
}

// ---- selection --------------------------------------------------------------------------------

TEST_F(Levels, SelectionStartsContinuesOrResumes)
{
    const struct {
        const char* name;
        void (*set)(ProfileSlot& slot);
        uint8_t force;
        uint32_t level, chapter;
        int32_t currentSlot;   // after the selection
        uint32_t restore;
    } cases[] = {
        {"new game in an empty slot", [](ProfileSlot&) {}, 0, 1, 0, 0, kNoObjectIndex},
        {"continue a game in progress",
         [](ProfileSlot& s) { s.used = s.gameInProgress = 1, s.chapterIndex = 1, s.levelObjectIndex = 7; }, 0, 7, 1, -1,
         0},
        {"forced: a new game at chapter 0",
         [](ProfileSlot& s) { s.used = s.gameInProgress = 1, s.chapterIndex = 2, s.levelObjectIndex = 7; }, 1, 1, 0, 0,
         kNoObjectIndex},
        {"resume after a mismatch at its chapter",
         [](ProfileSlot& s) {
             s.used = s.gameInProgress = s.mismatched = s.chaptersFlagCopy = 1, s.chapterIndex = 1, s.levelObjectIndex = 5;
         },
         0, 5, 1, -1, 0},
        {"a mismatched chapter outside the table starts at chapter 0",
         [](ProfileSlot& s) { s.used = s.mismatched = 1, s.chapterIndex = 9; }, 1, 1, 0, 0, kNoObjectIndex},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *m_profiles->GetSlot(0) = ProfileSlot{};
        m_profiles->GetSlot(0)->chapterIndex = -1;
        c.set(*m_profiles->GetSlot(0));
        m_profiles->SetCurrentSlot(0);
        m_chapters->SetCurrentChapter(2);
        m_world->SetGameState(kGameStatePlaying, 0, 0);
        trace.clear();
        ASSERT_EQ(objects->SelectChapterLevel(c.force), kStatusOk);
        EXPECT_EQ(objects->GetRequestedLevel(), c.level);
        EXPECT_EQ(objects->GetRequestedChapter(), c.chapter);
        EXPECT_EQ(m_profiles->GetCurrentIndex(), c.currentSlot);
        EXPECT_EQ(objects->GetRequestedProfile(), c.restore);
        EXPECT_EQ(m_chapters->GetCurrentChapter(), -1);
        EXPECT_EQ(m_world->GetGameState(), kGameStateLevelChange);
        EXPECT_TRUE(m_profiles->GetSlot(0)->used);
        EXPECT_EQ(trace, (Trace{"main OnStart", "main OnEnableTutorial"}));
    }
}

TEST_F(Levels, TheTutorialBitSwitchesTheTutorialAfterOnStart)
{
    m_profiles->GetSlot(0)->flags = kProfileFlagTutorialOff;
    m_profiles->SetCurrentSlot(0);
    ASSERT_EQ(objects->SelectChapterLevel(0), kStatusOk);
    EXPECT_EQ(trace, (Trace{"main OnStart", "main OnDisableTutorial"}));
    EXPECT_EQ(objects->tutorialOff, 1);
}

TEST_F(Levels, ASelectionWithoutACurrentSlotUsesTheSlotToRestore)
{
    Played(1, u"Ann");
    m_profiles->SetCurrentSlot(1);
    ASSERT_EQ(objects->SelectChapterLevel(0), kStatusOk);
    ASSERT_EQ(m_profiles->GetCurrentIndex(), -1);
    ASSERT_EQ(objects->GetRequestedProfile(), 1u);
    // Asked again before the activation took the slot back: the same slot, the same answer.
    ASSERT_EQ(objects->SelectChapterLevel(0), kStatusOk);
    EXPECT_EQ(objects->GetRequestedProfile(), 1u);
    EXPECT_EQ(objects->GetRequestedLevel(), 4u);
}

TEST_F(Levels, SelectionsThatCannotBeMadeChangeNothing)
{
    // No slot at all.
    m_profiles->SetCurrentSlot(-1);
    m_chapters->SetCurrentChapter(1);
    EXPECT_EQ(objects->SelectChapterLevel(0), kStatusFailed);
    EXPECT_EQ(m_chapters->GetCurrentChapter(), 1);
    EXPECT_EQ(m_profiles->GetCurrentIndex(), -1);
    EXPECT_EQ(trace, Trace{});
    // A game in progress at a chapter or level the construction does not have.
    for (auto [chapter, level] : {std::pair<int32_t, uint32_t>{5, 4}, {1, 8}}) {
        ProfileSlot* slot = Played(0, u"Bo");
        slot->chapterIndex = chapter;
        slot->levelObjectIndex = level;
        m_profiles->SetCurrentSlot(0);
        EXPECT_EQ(objects->SelectChapterLevel(0), kStatusFailed);
        EXPECT_EQ(m_profiles->GetCurrentIndex(), 0);
        EXPECT_EQ(objects->GetRequestedLevel(), kNoObjectIndex);
    }
    // An empty chapter table.
    LoadChapters(ChapterSection({}, 0));
    EXPECT_EQ(objects->SelectChapterLevel(1), kStatusFailed);
}

TEST_F(Levels, GameOverRecordsTheGameAndEntersTheLevelAgain)
{
    Played(0, u"Cy");
    m_profiles->SetCurrentSlot(0);
    Activate(4);
    EXPECT_EQ(objects->OnGameOver(), kStatusWait);
    EXPECT_EQ(objects->GetRequestedLevel(), 4u);
    EXPECT_EQ(m_profiles->GetSlot(0)->completedGames, 3u);
    EXPECT_FALSE(m_profiles->GetSlot(0)->gameInProgress);
    EXPECT_TRUE(Exists(0));
}

// ---- the world's level states ----------------------------------------------------------------

TEST_F(Levels, ANewGameTakesTheLoadingPathAndALoadedLevelTheQuickPath)
{
    m_profiles->SetCurrentSlot(0);
    ASSERT_EQ(objects->SelectChapterLevel(0), kStatusOk);
    ASSERT_EQ(m_world->GetGameState(), kGameStateLevelChange);
    ASSERT_EQ(m_world->Update(), kStatusOk);
    EXPECT_EQ(m_world->GetGameState(), kGameStateLevelActivation);  // a new chapter
    ASSERT_EQ(m_world->Update(), kStatusOk);
    EXPECT_EQ(m_world->GetGameState(), kGameStatePlaying);
    EXPECT_EQ(objects->GetCurrentLevelObject(), o[1]);
    EXPECT_EQ(m_chapters->GetCurrentChapter(), 0);
    EXPECT_EQ(m_world->GetGameData()->busy, 0);

    // The attic needs loading; back at the hall, still loaded, it is entered at once.
    for (auto [level, path] : {std::pair<uint32_t, int32_t>{4, kGameStateLevelActivation}, {1, kGameStatePlaying}}) {
        ASSERT_EQ(objects->SetCurrentLevel(level, kNoObjectIndex, 0), kStatusOk);
        ASSERT_EQ(m_world->Update(), kStatusOk);
        EXPECT_EQ(m_world->GetGameState(), path) << level;
        if (path != kGameStatePlaying) {
            ASSERT_EQ(m_world->Update(), kStatusOk);
        }
        EXPECT_EQ(m_world->GetGameState(), kGameStatePlaying);
        EXPECT_EQ(objects->GetCurrentLevelObject(), o[level]);
    }

    // A language change enters the current object again, with a reload.
    m_world->ChangeLanguage(5);
    ASSERT_EQ(m_world->Update(), kStatusOk);
    EXPECT_EQ(m_world->GetGameState(), kGameStateLevelChange);
    EXPECT_EQ(objects->GetRequestedLevel(), 1u);
    EXPECT_EQ(objects->GetReloadFlag(), 1);
}

TEST_F(Levels, AFailedActivationStartsANewGameWithoutSavingAndASecondFailureStops)
{
    Played(0, u"Di")->chapterIndex = 0;
    m_profiles->GetSlot(0)->levelObjectIndex = 4;
    m_profiles->SetCurrentSlot(0);
    o[4]->failLoads = 1;
    o[4]->failCode = 2;  // a missing file
    ASSERT_EQ(objects->SetCurrentLevel(4, 0, 0), kStatusOk);
    m_chapters->SetCurrentChapter(-1);
    ASSERT_EQ(m_world->Update(), kStatusOk);  // saved, then the loading path
    ASSERT_TRUE(Exists(0));
    const Bytes saved = ReadFile(0);
    ASSERT_EQ(m_world->GetGameState(), kGameStateLevelActivation);
    ASSERT_EQ(m_world->Update(), kStatusOk);  // the attic fails: a new game is chosen
    EXPECT_EQ(m_world->GetGameState(), kGameStateLevelChange);
    EXPECT_EQ(objects->GetRequestedLevel(), 1u);
    m_profiles->GetSlot(0)->changed = 1;
    ASSERT_EQ(m_world->Update(), kStatusOk);  // the recovery's change keeps the last good save
    EXPECT_EQ(ReadFile(0), saved);
    ASSERT_EQ(m_world->Update(), kStatusOk);
    EXPECT_EQ(m_world->GetGameState(), kGameStatePlaying);
    EXPECT_EQ(objects->GetCurrentLevelObject(), o[1]);

    // Now the attic fails, and then the hall of the new game too.
    o[4]->failLoads = 1;
    o[1]->failLoads = 1;
    o[1]->failCode = o[4]->failCode = 2;
    ASSERT_EQ(objects->SetCurrentLevel(4, kNoObjectIndex, 0), kStatusOk);
    for (int frame = 0; frame < 3; ++frame)
        ASSERT_EQ(m_world->Update(), kStatusOk) << frame;
    EXPECT_EQ(m_world->GetGameState(), kGameStateLevelActivation);
    EXPECT_EQ(m_world->Update(), kStatusFailed);
}

// A popup manager whose labels table holds one label, "faces", of the labels object's (3)
// elements 0 and 1; the pictures it loads are recorded.
class LabelPopups : public CPopupManager {
public:
    using CPopupManager::CPopupManager;
    std::vector<uint32_t> loaded;

protected:
    int32_t FindLabel(const char* name) const override { return std::strcmp(name, "faces") == 0 ? 0 : -1; }
    const LabelRecord* LabelAt(int32_t index) const override { return index == 0 ? &m_label : nullptr; }
    uint32_t LabelCount() const override { return 1; }
    Status LoadLabelPicture(uint32_t element) override
    {
        loaded.push_back(element);
        return kStatusOk;
    }
    void ReleaseLabelPicture(uint32_t) override {}

private:
    GroupMember m_members[2] = {{0, nullptr, 3, 0}, {0, nullptr, 3, 1}};
    LabelRecord m_label = {GroupRecord{const_cast<char*>("faces"), m_members, 2}, ~0u, 0, 0, 0};
};

// A game saved with a label group pending is continued in a later run: once its profile is read
// back, the group's pictures load again and count down from the start.
TEST_F(Levels, AContinuedGameGivesItsPendingLabelGroupItsPicturesBack)
{
    o[3]->SetElements({"left", "right"});
    objects->SetInterface(kInterfaceLabels, 3);
    auto* popups = new LabelPopups(W());
    m_world->SetManager(kManagerPopup, popups);
    ASSERT_EQ(popups->Load(), kStatusOk);
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    popups->OnLabelTag(u"faces");
    // A label without a text stays attached to nothing.
    popups->OnLabelTag(u"nobody");
    ASSERT_EQ(popups->GetGroupCount(), 1u);
    Played(0, u"Ann");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    m_profiles->GetSlot(0)->objectStateSaved = 1;

    // The next run: nothing pending, the labels object's list made anew with its model.
    popups->ResetLabelsGroups();
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    popups->loaded.clear();
    m_profiles->SetCurrentSlot(0);
    ASSERT_EQ(objects->SelectChapterLevel(0), kStatusOk);
    ASSERT_EQ(objects->GetRequestedProfile(), 0u);
    for (int frame = 0; frame < 2; ++frame)
        ASSERT_EQ(m_world->Update(), kStatusOk) << frame;
    ASSERT_EQ(m_world->GetGameState(), kGameStatePlaying);
    ASSERT_EQ(objects->GetCurrentLevelObject(), o[4]);
    ASSERT_EQ(popups->GetGroupCount(), 1u);
    EXPECT_EQ(popups->GetLabelCountdown(0), kLabelCountdown);
    EXPECT_EQ(popups->GetLabelCountdown(1), kLabelCountdown);
    EXPECT_EQ(popups->loaded, (std::vector<uint32_t>{0, 1}));
}

// The labels object that a level wants lives as the level's other interfaces: its events, its
// step each frame and the pointer; its pictures are drawn in the popup's layers, not by the walk.
TEST_F(Levels, TheLabelsObjectAWantedLevelShowsLivesAsAnInterface)
{
    objects->SetInterface(kInterfaceLabels, 3);
    auto* popups = new LabelPopups(W());
    m_world->SetManager(kManagerPopup, popups);
    ASSERT_EQ(popups->Load(), kStatusOk);
    o[1]->dependencies = {o[3]};
    const Trace first = Activate(1);
    for (const char* event : {"OnFocus labels", "OnShow labels", "OnRun labels"})
        EXPECT_TRUE(Has(first, event)) << event;
    EXPECT_TRUE(o[3]->IsShown());
    EXPECT_EQ(ActiveNames(), (std::vector<std::string>{"hall", "labels"}));

    // No label is attached: the popup manager leaves it as the level showed it.
    trace.clear();
    popups->Update();
    EXPECT_TRUE(o[3]->IsShown());
    objects->Update();
    objects->Draw();
    objects->OnMouseUp(10.0f, 10.0f, 0);
    EXPECT_EQ(trace, (Trace{"update hall", "update labels", "draw hall", "click labels", "click hall"}));

    // A level without it hides it.
    EXPECT_TRUE(Has(Activate(4), "OnHide labels"));
    EXPECT_FALSE(o[3]->IsShown());
}

// ---- the _command builtin ---------------------------------------------------------------------

TEST_F(Levels, CommandLoadsObjectsAndProfilesWithinTheirCounts)
{
    auto* scripts = new CScriptManager(W());
    m_world->SetManager(kManagerScript, scripts);
    auto run = [&](const char* command, const char* a, const char* b) {
        ScriptBuiltinCall call = {};
        call.arguments[0] = reinterpret_cast<uintptr_t>(command);
        call.arguments[1] = reinterpret_cast<uintptr_t>(a);
        call.arguments[2] = reinterpret_cast<uintptr_t>(b);
        return CScriptManager::HandleCommand(scripts, call);
    };
    const struct {
        const char* a;
        int32_t slot;
    } profiles[] = {{"0", 0}, {"1", 0}, {"2", 1}, {"99", 2}, {"-4", 0}};
    for (const auto& c : profiles) {
        for (int32_t i = 0; i < 3; ++i)
            m_profiles->GetSlot(i)->used = m_profiles->GetSlot(i)->gameInProgress = 0;
        m_profiles->SetCurrentSlot(-1);
        objects->SetCurrentLevel(kNoObjectIndex, kNoObjectIndex, 0);
        EXPECT_EQ(run("load_profile", c.a, ""), kStatusWait) << c.a;
        EXPECT_EQ(m_profiles->GetCurrentIndex(), c.slot) << c.a;
        EXPECT_EQ(objects->GetRequestedLevel(), 1u) << c.a;  // a new game in the slot
    }
    const struct {
        const char* name;
        const char* b;
        Status status;
        uint32_t level, chapter;
    } loads[] = {{"attic", "0", kStatusWait, 4, 0},  {"attic", "2", kStatusWait, 4, 1},
                 {"cellar", "99", kStatusWait, 7, 2}, {"ghost", "1", kStatusFailed, 7, 2}};
    for (const auto& c : loads) {
        EXPECT_EQ(run("load_object", c.name, c.b), c.status) << c.name << c.b;
        EXPECT_EQ(objects->GetRequestedLevel(), c.level) << c.name << c.b;
        EXPECT_EQ(objects->GetRequestedChapter(), c.chapter) << c.name << c.b;
    }
    EXPECT_EQ(run("set_parameter", "default_fade_seconds", "0.3"), kStatusDoneStoreResult);
    EXPECT_EQ(W()->pGame->screen.defaultFadeSeconds, 0.3f);
    EXPECT_EQ(run("unknown", "", ""), kStatusFailed);
    // Without chapters a loaded object keeps the current chapter.
    LoadChapters(ChapterSection({}, 0));
    EXPECT_EQ(run("load_object", "hall", "2"), kStatusWait);
    EXPECT_EQ(objects->GetRequestedChapter(), 2u);
}

}  // namespace
