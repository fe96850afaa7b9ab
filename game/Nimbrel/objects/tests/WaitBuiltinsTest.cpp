// The builtins that wait on the game-wide managers (a popup text, the current objective, a
// full-screen picture or video, some seconds), the objective builtins and the tool box's hold
// on a waiting caller, played by the hall's script in the builtin fixture.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BuiltinFixture.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelScript/ScriptVM.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"

namespace {

// The popup groups "intro" (0), "aside" (1, a narrator line), "find_six" (2) and "side" (3).
class TestTexts : public CExtraTextManager {
public:
    using CExtraTextManager::CExtraTextManager;
    int32_t FindPopupGroupByName(const char* name) const override
    {
        for (int32_t i = 0; i < int32_t(kNames.size()); ++i)
            if (kNames[size_t(i)] == name)
                return i;
        return -1;
    }
    const std::vector<std::string> kNames = {"intro", "aside", "find_six", "side"};
};

// The popup texts of those groups, laid out on a font of fixed widths.
class TestPopups : public CPopupManager {
public:
    TestPopups(WorldData* w, CVornelFont* font) : CPopupManager(w), m_font(font) {}
    std::vector<std::u16string> strings = {u"welcome", u"\\narrator\\a remark", u"find six items", u"more"};
    std::vector<int32_t> shown;

protected:
    CVornelFont* Font() const override { return m_font; }
    const char16_t* StringAt(int32_t index) const override
    {
        if (index >= 0 && size_t(index) < strings.size()) {
            const_cast<TestPopups*>(this)->shown.push_back(index);
            return strings[size_t(index)].c_str();
        }
        return nullptr;
    }
    int32_t PopupTextBase() const override { return 0; }
    int32_t CommonStringBase() const override { return 0; }
    void StartTransition() override {}

private:
    CVornelFont* m_font;
};

// What a script asks to show full screen; the names listed in `missing` cannot be loaded.
class TestSplash : public CSplashscreens {
public:
    using CSplashscreens::CSplashscreens;
    std::vector<std::string> loads;
    std::vector<std::u16string> missing;
    Status LoadImage(const char16_t* path, uint8_t asGiven) override { return Record("image", path, asGiven); }
    Status LoadVideo(const char16_t* path, uint8_t asGiven, uint8_t direct) override
    {
        return Record(direct ? "direct video" : "video", path, asGiven);
    }

private:
    Status Record(const char* kind, const char16_t* path, uint8_t asGiven)
    {
        std::string name;
        for (const char16_t* c = path; *c; ++c)
            name += char(*c);
        loads.push_back(std::string(kind) + " " + name + " " + std::to_string(asGiven));
        for (const std::u16string& m : missing)
            if (m == path)
                return kStatusFailed;
        return kStatusOk;
    }
};

// A tool box in no window, whose object popup stays open: requests queue up behind what shows.
class TestToolbox : public CToolboxManager {
public:
    using CToolboxManager::CToolboxManager;

protected:
    bool IsObjectPopupOpen() const override { return true; }
    Status Present(const CToolboxRequest&) override { return kStatusOk; }
    Status RegisterWait(const CToolboxRequest&) override { return kStatusOk; }
};

class WaitBuiltinsTest : public ::testing::Test {
protected:
    WaitBuiltinsTest()
    {
        WorldData* w = world.GetWorldData();
        w->frameTime = 1.0;
        EXPECT_EQ(font.Init(kFontTrueType, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
        *font.GetMetrics() = FontMetrics{8, 64.0f, 64.0f};
        for (char16_t c = u' '; c <= u'z'; ++c)
            font.SetCharRect(c, CharRect{0.5f, 0.25f, 0.625f, 0.5f});
        w->virtualWidth = 800;
        w->virtualHeight = 600;
        popups = new TestPopups(w, &font);
        splash = new TestSplash(w);
        world.SetManager(kManagerExtraText, new TestTexts(w));
        world.SetManager(kManagerObjective, objectives = new CObjectiveManager(w));
        world.SetManager(kManagerPopup, popups);
        world.SetManager(kManagerSplash, splash);
        world.SetManager(kManagerTimer, timers = new CTimerManager(w));
    }
    ~WaitBuiltinsTest() override
    {
        for (uint32_t m : {kManagerToolbox, kManagerTimer, kManagerSplash, kManagerPopup, kManagerObjective,
                           kManagerExtraText})
            world.SetManager(m, nullptr);
        font.Unload();
    }

    // The hall with this script, in the level; the bar stands for the popups object, loaded
    // and in the level.
    void Build(const std::string& script)
    {
        world.Build(script, "", "function OnStart() {}\n");
        ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
        world.hall->SetWanted(1);
        world.hall->SetModelLoaded(1);
        world.bar->SetWanted(1);
        world.bar->SetModelLoaded(1);
        world.Objects()->SetInterface(kInterfacePopups, 2);
    }
    uint32_t Global(const char* name) { return CBuiltinWorld::Global(world.hall.get(), name); }
    Status Call(const char* name) { return CBuiltinWorld::Call(world.hall.get(), name); }
    // The commands that wait to resume a call (the objects' own are left out).
    uint32_t CommandCount()
    {
        const CCommandListManager* commands = world.GetCommandListManager();
        uint32_t live = 0;
        for (uint32_t i = 0; i < commands->GetCount(); ++i)
            if (const CommandRecord* record = commands->GetRecord(i); record->magicIndex && !record->keep)
                ++live;
        return live;
    }

    CBuiltinWorld world;
    CVornelFont font{world.GetWorldData()};
    TestPopups* popups = nullptr;
    TestSplash* splash = nullptr;
    CObjectiveManager* objectives = nullptr;
    CTimerManager* timers = nullptr;
};

}  // namespace

TEST_F(WaitBuiltinsTest, APopupTextWaitsUntilItClosesWhileANarratorLineOrAMissingTextGoesOn)
{
    Build("var step = 0;\n"
          "function intro() { _waitForPopupText(\"intro\"); step = 3; eTRACE(\"read\"); }\n"
          "function others() { _waitForPopupText(\"aside\"); _waitForPopupText(\"nothing\"); step = 2; eTRACE(\"on\"); }\n"
          "function last() { _waitForPopupText(\"side\"); }\n");
    ASSERT_EQ(popups->Load(), kStatusOk);
    EXPECT_EQ(Call("others"), kStatusOk);
    EXPECT_EQ(Global("step"), 2u);
    EXPECT_TRUE(popups->IsNarratorShowing());
    EXPECT_EQ(CommandCount(), 0u);

    ASSERT_EQ(Call("intro"), kStatusWait);
    EXPECT_EQ(CommandCount(), 1u);
    world.Pump();
    EXPECT_EQ(Global("step"), 2u);
    popups->Close(0);
    world.Pump();
    EXPECT_EQ(Global("step"), 3u);

    // Nothing is left to run after the call: the text shows, nothing waits.
    popups->shown.clear();
    EXPECT_EQ(Call("last"), kStatusOk);
    EXPECT_EQ(popups->shown, std::vector<int32_t>{3});
}

TEST_F(WaitBuiltinsTest, AWaitOnAPopupNeedsItsObjectAndAFailedHandOverLeavesNoCommand)
{
    Build("var step = 0;\nfunction intro() { _waitForPopupText(\"intro\"); eTRACE(\"read\"); }\n");
    // Not loaded: the popup manager has no list to take the command.
    const uint32_t before = CommandCount();
    EXPECT_EQ(Call("intro"), kStatusFailed);
    EXPECT_EQ(CommandCount(), before);
    ASSERT_EQ(popups->Load(), kStatusOk);
    world.bar->SetWanted(0);
    EXPECT_EQ(Call("intro"), kStatusFailed);
    EXPECT_EQ(CommandCount(), before);
}

TEST_F(WaitBuiltinsTest, ObjectivesAreNamedByPopupGroupsAndTheCurrentOneShowsUntilClosed)
{
    Build("var step = 0;\n"
          "function none() { _showCurrentObjective(); step = 1; eTRACE(\"none\"); }\n"
          "function start() { startObjective(\"find_six\"); startSubObjective(\"find_six\", \"side\"); "
          "stopSubObjective(\"find_six\", \"side\"); }\n"
          "function show() { _showCurrentObjective(); step = 2; eTRACE(\"shown\"); }\n"
          "function empty() { startObjective(\"\"); putSubObjectiveToTop(\"\", \"\"); }\n"
          "function unknown() { stopObjective(\"nothing\"); }\n"
          "function stop() { stopObjective(\"find_six\"); putObjectiveToTop(\"find_six\"); }\n");
    ASSERT_EQ(popups->Load(), kStatusOk);
    // No current objective: nothing shows and nothing waits.
    EXPECT_EQ(Call("none"), kStatusOk);
    EXPECT_EQ(Global("step"), 1u);
    EXPECT_TRUE(popups->shown.empty());

    ASSERT_EQ(Call("start"), kStatusOk);
    EXPECT_EQ(objectives->GetCurrentObjective(), 2);
    ASSERT_EQ(Call("show"), kStatusWait);
    EXPECT_EQ(popups->shown, std::vector<int32_t>{2});
    popups->Close(0);
    world.Pump();
    EXPECT_EQ(Global("step"), 2u);

    // An empty name is -1 to the manager.
    ASSERT_EQ(Call("empty"), kStatusOk);
    EXPECT_EQ(objectives->GetCurrentObjective(), -1);
    EXPECT_EQ(Call("unknown"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "stopObjective: invalid objective name nothing");
    EXPECT_EQ(Call("stop"), kStatusOk);
}

TEST_F(WaitBuiltinsTest, PicturesAndVideosShowFullScreenAStarredNameItsCorner)
{
    Build("var step = 0;\n"
          "function map() { _waitForImage(\"*textures/map.jpg\", \"\"); step = 1; eTRACE(\"seen\"); }\n"
          "function film() { _waitForVideo(\"intro.ogv\", \"ignored\"); step = 2; eTRACE(\"seen\"); }\n"
          "function gone() { _waitForVideo(\"*gone.ogv\", \"\"); step = 3; eTRACE(\"seen\"); }\n"
          "function lost() { _waitForImage(\"lost.png\", \"\"); step = 4; eTRACE(\"seen\"); }\n");
    splash->missing = {u"gone.ogv", u"lost.png"};
    // Not loaded: the splash screens cannot take the command, which goes again.
    const uint32_t before = CommandCount();
    EXPECT_EQ(Call("map"), kStatusFailed);
    EXPECT_EQ(CommandCount(), before);

    ASSERT_EQ(splash->Load(), kStatusOk);
    ASSERT_EQ(Call("map"), kStatusWait);
    EXPECT_EQ(world.GetGameState(), 3);
    splash->ReleaseImage();
    world.Pump();
    EXPECT_EQ(Global("step"), 1u);
    ASSERT_EQ(Call("film"), kStatusWait);
    EXPECT_EQ(world.GetGameState(), 2);
    splash->ReleaseImage();
    world.Pump();
    EXPECT_EQ(Global("step"), 2u);
    // A video that cannot play is skipped; a picture that cannot load is an error.
    EXPECT_EQ(Call("gone"), kStatusOk);
    EXPECT_EQ(Global("step"), 3u);
    EXPECT_EQ(Call("lost"), kStatusFailed);
    EXPECT_EQ(Global("step"), 3u);
    EXPECT_EQ(splash->loads,
              (std::vector<std::string>{"image textures/map.jpg 0", "image textures/map.jpg 0", "video intro.ogv 1",
                                        "video gone.ogv 0", "image lost.png 1"}));
}

TEST_F(WaitBuiltinsTest, AMultiTimerThatArmsItselfAgainFiresEveryPeriodAndUnknownModesResume)
{
    // Every expiry frees its timer, whatever the mode: a blink arms its next one.
    Build("var rings = 0;\n"
          "function Blink(p) { rings = rings + 1; onTimerFunction(\"Blink\", \"\", \"multi\", 0.5); }\n"
          "function arm() { onTimerFunction(\"Blink\", \"\", \"multi\", 0.5); }\n"
          "function other() { onTimerFunction(\"Blink\", \"\", \"repeat\", 9.0); }\n");
    ASSERT_EQ(Call("other"), kStatusOk);
    ASSERT_EQ(timers->GetCount(), 1u);
    const auto* timer = static_cast<const TimerRecord*>(timers->GetTimers().GetFirst());
    EXPECT_EQ(timer->mode, uint32_t(kTimerSingleResume));
    EXPECT_EQ(timer->handlerKey, kTimerFunctionMask);
    timers->Unload();

    ASSERT_EQ(Call("arm"), kStatusOk);
    for (uint32_t period = 1; period <= 3; ++period) {
        for (int i = 0; i < 15; ++i)
            timers->Update();
        EXPECT_EQ(Global("rings"), period);
        EXPECT_EQ(timers->GetCount(), 1u);
    }
}

TEST_F(WaitBuiltinsTest, TheToolBoxGivesItsWaitingCallerOneAndCloses)
{
    Build("var got = 0;\nfunction ask() { got = _waitForEvent(\"clicked\"); eTRACE(\"asked\"); }\n");
    world.bar->source = "function go() { _onObjectLoad(\"frame\"); eTRACE(\"back\"); }\n"
                        "function again() { _onObjectLoad(\"frame\"); }\n";
    world.bar->SetTypeCode(kObjectKindToolbox);
    ASSERT_EQ(world.bar->LoadScript(0, 0), kStatusOk);
    ASSERT_EQ(Call("ask"), kStatusWait);
    // The tool box keeps the waiting activation: the one making the call, at the chain's end.
    const ScriptModule* module = world.hall->GetScript()->GetModule();
    uint32_t handler = 0;
    for (const auto& activation : module->activations)
        if (activation && activation->stack && !activation->scope && !activation->child) {
            world.bar->toolboxActivation = activation->index;
            handler = activation->hostWord;
        }
    world.bar->toolboxCaller = 0;
    EXPECT_EQ(CBuiltinWorld::Call(world.bar.get(), "go"), kStatusWait);
    // Nothing of the tool box's function is left to run: it does not wait.
    EXPECT_EQ(CBuiltinWorld::Call(world.bar.get(), "again"), kStatusOk);
    EXPECT_EQ(world.bar->toolboxCloses, 2u);
    // Ended by the tool box, the call gives what the tool box's object set.
    EXPECT_EQ(world.hall->CallScriptHandler(handler, 0x0FFFFFFFu, 1, nullptr, 0, kScriptNoResume), kStatusOk);
    EXPECT_EQ(Global("got"), 1u);
    EXPECT_EQ(world.requests, (std::vector<std::string>{"level 1 -1 0", "level 1 -1 0"}));
}

TEST_F(WaitBuiltinsTest, ToolBoxPanelsAndPopupMessagesQueueTheirWaitingCaller)
{
    Build("function panel() { _waitForToolbox(\"bar\"); eTRACE(\"closed\"); }\n"
          "function unknown() { _waitForToolbox(\"nothing\"); eTRACE(\"closed\"); }\n"
          "function message() { _waitForPopupMessage(\"bar\", \"drawer_note\", \"drawer\"); eTRACE(\"read\"); }\n"
          "function last() { _waitForPopupMessage(\"bar\", \"other\", \"drawer\"); }\n");
    auto* toolbox = new TestToolbox(world.GetWorldData());
    world.SetManager(kManagerToolbox, toolbox);
    ASSERT_EQ(toolbox->Load(), kStatusOk);
    EXPECT_EQ(Call("unknown"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "_waitForToolbox: no tool box nothing");

    // A panel keeps who waits on it: the object, the call and the activation that makes it. Its
    // text is always absent. (A panel shows already: this one waits in the queue.)
    ASSERT_EQ(toolbox->ShowToolbox(1, nullptr), kStatusOk);
    world.bar->SetTypeCode(kObjectKindToolbox);
    ASSERT_EQ(Call("panel"), kStatusWait);
    ASSERT_EQ(toolbox->GetQueueCount(), 1u);
    const CToolboxRequest* request = toolbox->GetFirstRequest();
    EXPECT_EQ(request->kind, kToolboxPanel);
    EXPECT_EQ(request->interfaceObject, 2u);
    EXPECT_EQ(request->callerObject, 0u);
    EXPECT_EQ(request->pFirst, nullptr);
    EXPECT_EQ(request->pSecond, nullptr);
    EXPECT_EQ(request->noWait, 0);
    const ScriptModule* module = world.hall->GetScript()->GetModule();
    ASSERT_LT(request->extra, module->activations.size());
    EXPECT_EQ(module->activations[request->extra]->hostWord, request->waitFunction);
    // The same panel twice is refused.
    EXPECT_EQ(Call("panel"), kStatusFailed);
    EXPECT_EQ(toolbox->GetQueueCount(), 1u);
    toolbox->ClearEntries();

    // A popup message needs its popups object loaded and in the level.
    world.bar->SetTypeCode(kObjectKindPopups);
    world.bar->SetWanted(0);
    EXPECT_EQ(Call("message"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "_waitForPopupMessage: no popups object bar");
    world.bar->SetWanted(1);
    world.bar->SetModelLoaded(0);
    EXPECT_EQ(Call("message"), kStatusFailed);
    world.bar->SetModelLoaded(1);
    EXPECT_EQ(toolbox->GetQueueCount(), 0u);
    ASSERT_EQ(Call("message"), kStatusWait);
    request = toolbox->GetFirstRequest();
    EXPECT_EQ(request->kind, kToolboxMessage);
    EXPECT_STREQ(request->pFirst, "drawer_note");
    EXPECT_STREQ(request->pSecond, "drawer");
    EXPECT_EQ(request->extra, 0xFFFFFFFFu);
    // Nothing is left to run after the call: queued, it does not wait.
    EXPECT_EQ(Call("last"), kStatusOk);
    ASSERT_EQ(toolbox->GetQueueCount(), 2u);
    world.SetManager(kManagerToolbox, nullptr);
}
