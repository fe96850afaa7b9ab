// The scene builtins of the objects themselves: registration, object and item lists, the
// object, chapter and global-information builtins, dependencies, other objects' variables, and
// the two shapes of a waiting builtin.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "BuiltinFixture.h"
#include "NimbrelObjects/ObjectBuiltins.h"
#include "NimbrelScript/ScriptValue.h"

namespace {

// A call record as the call adapter makes it, with texts or numbers for arguments.
ScriptBuiltinCall Record(std::initializer_list<const char*> texts)
{
    ScriptBuiltinCall call{};
    uint32_t i = 0;
    for (const char* text : texts)
        call.arguments[i++] = reinterpret_cast<uintptr_t>(text);
    call.argumentCount = i;
    return call;
}

ScriptBuiltinCall LongRecord(uint32_t value)
{
    ScriptBuiltinCall call{};
    call.arguments[0] = value;
    call.argumentCount = 1;
    return call;
}

// Commands of the command list manager that are armed and not an object's own.
uint32_t LiveCommands(CCommandListManager* commands)
{
    uint32_t live = 0;
    for (uint32_t i = 0; i < commands->GetCount(); ++i)
        if (const CommandRecord* record = commands->GetRecord(i); record->magicIndex && !record->keep)
            ++live;
    return live;
}

// Every (object, element) an item list of the calling object names.
std::vector<std::pair<int32_t, int32_t>> Items(CObjectsBase* caller, const char* list, std::string* text = nullptr)
{
    std::vector<std::pair<int32_t, int32_t>> items;
    ItemListIterator it;
    const BuiltinReport report = {"test", 0, 0};
    for (caller->ItemListStart(it, list, report, false); !it.done; caller->NextListItem(it, report, false))
        items.emplace_back(it.object, it.element);
    if (text && it.text.Text())
        *text = it.text.Text();
    return items;
}

std::vector<std::pair<int32_t, uint32_t>> Objects(CScriptManager* scripts, uint32_t caller, const char* list)
{
    std::vector<std::pair<int32_t, uint32_t>> objects;
    ObjectListIterator it;
    const BuiltinReport report = {"test", 0, 0};
    for (scripts->ResolveObjectList(it, list, caller, report, false); !it.done; scripts->ResolveObjectListNext(it, report))
        objects.emplace_back(it.object, it.prefix);
    return objects;
}

class SceneBuiltinsTest : public ::testing::Test {
protected:
    CBuiltinWorld world;
};

}  // namespace

TEST(ListTokens, SplitInPlaceAndRestoreEveryComma)
{
    char text[] = "key, candle,,book";
    char* saved = nullptr;
    std::vector<std::string> tokens;
    for (char* cursor = text; cursor;) {
        char* token = cursor;
        cursor = NextListToken(cursor, &saved);
        tokens.emplace_back(token);
    }
    NextListToken(nullptr, &saved);
    EXPECT_EQ(tokens, (std::vector<std::string>{"key", "candle", "", "book"}));
    EXPECT_STREQ(text, "key, candle,,book");
}

TEST_F(SceneBuiltinsTest, ItemListsNameElementsOfAnyObject)
{
    world.Build("");
    using Seq = std::vector<std::pair<int32_t, int32_t>>;
    const struct {
        const char* list;
        Seq items;
        std::vector<std::string> traces;
    } cases[] = {
        {"key", {{0, 0}}, {}},
        {"key, book", {{0, 0}, {0, 2}}, {}},
        {"*", {{0, 0}, {0, 1}, {0, 2}}, {}},
        {"* ,key", {{0, 0}, {0, 1}, {0, 2}}, {}},
        {"key,,book,", {{0, 0}, {0, 2}}, {}},
        {"*candle", {{0, 1}}, {}},
        {"@frame@edge,@bar@slot", {{1, 1}, {2, 0}}, {}},
        {"@OBJ001@key,@OBJ002@corner,@OBJ003@slot", {{0, 0}, {1, 0}, {2, 0}}, {}},
        // Numbers outside 1 to the object count, and tokens too short to hold one, name nothing.
        {"@OBJ000@key", {}, {"test: unrecognized element \"@OBJ000@key\""}},
        {"@OBJ004@slot", {}, {"test: unrecognized element \"@OBJ004@slot\""}},
        {"@OBJ00", {}, {"test: unrecognized element \"@OBJ00\""}},
        {"@OBJ0x1@key", {}, {"test: unrecognized element \"@OBJ0x1@key\""}},
        {"kee,book", {{0, 2}}, {"test: unrecognized element \"kee\""}},
        {"@nobody@key", {}, {"test: unrecognized element \"@nobody@key\""}},
        {"@GP@found,key", {{0, 0}}, {"test: unrecognized group \"found\""}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        world.traces.clear();
        std::string text;
        EXPECT_EQ(Items(world.hall.get(), c.list, &text), c.items) << c.list;
        EXPECT_EQ(world.traces, c.traces) << c.list;
        if (c.list[0] != '*' && c.list[0]) {
            EXPECT_EQ(text, c.list);
        }
    }
    // "none" names nothing on purpose: a warning only.
    world.traces.clear();
    EXPECT_TRUE(Items(world.frame.get(), "none").empty());
    EXPECT_EQ(world.severities.back(), kTraceWarning);
    EXPECT_TRUE(Items(world.bar.get(), "*corner").empty());
}

TEST_F(SceneBuiltinsTest, ObjectListsNameThisParentAndLevels)
{
    world.Build("");
    world.frame->SetReleaseMode(1);
    using Seq = std::vector<std::pair<int32_t, uint32_t>>;
    EXPECT_EQ(Objects(world.Scripts(), 0, "this"), (Seq{{0, 0}}));
    EXPECT_EQ(Objects(world.Scripts(), 0, "parent, bar"), (Seq{{1, 0}, {2, 0}}));
    EXPECT_EQ(Objects(world.Scripts(), 2, "*frame,,this"), (Seq{{1, kListPrefixStar}, {2, 0}}));
    EXPECT_EQ(Objects(world.Scripts(), 0, "nobody,hall"), (Seq{{0, 0}}));
    EXPECT_EQ(world.traces, (std::vector<std::string>{"test: unrecognized object \"nobody\""}));
    world.frame->SetReleaseMode(0);
    EXPECT_TRUE(Objects(world.Scripts(), 0, "parent").empty());
}

TEST_F(SceneBuiltinsTest, RegistrationBindsTheTableToTheMostDerivedOperation)
{
    world.Build("function OnStart() { setObjectParameters(\"speed\", \"fast\"); }\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    // The six every script has, then the table, in order.
    ScriptModule* module = world.hall->GetScript()->GetModule();
    ASSERT_EQ(module->builtins.size(), 6u + kObjectBuiltinCount);
    EXPECT_EQ(module->builtins[6]->name, "setItemsFade");
    EXPECT_EQ(module->builtins[6 + 80]->name, "setNegativeClickSound");
    EXPECT_EQ(module->builtins[6 + 85]->name, "setMouseConfig");
    EXPECT_EQ(module->builtins[6 + 82]->argumentCode, 0x50022144u);  // setSurroundSound: text, text, long, float, float
    ASSERT_EQ(world.hall->FireScriptEvent(kEventStart), kStatusOk);
    EXPECT_EQ(world.hall->parameters, (std::vector<std::string>{"speed=fast"}));
}

TEST_F(SceneBuiltinsTest, RegistrationStopsAtTheFirstFailure)
{
    // A script manager that refuses the 40th builtin of an object's table.
    class CRefusingScripts : public CScriptManager {
    public:
        using CScriptManager::CScriptManager;
        Status RegisterFunction(CScriptBase* script, const char* prototype, const char* name, void* object,
                                ScriptBuiltinHandler handler, uint32_t code) override
        {
            if (script->GetObjectNumber() != kMainScriptObject && ++count[script] == 6 + 40)
                return kStatusFailed;
            return CScriptManager::RegisterFunction(script, prototype, name, object, handler, code);
        }
        std::map<CScriptBase*, uint32_t> count;
    };
    world.SetManager(kManagerScript, new CRefusingScripts(world.GetWorldData()));
    world.Scripts()->Init();
    CFixtureLevel level(world.GetWorldData(), 0, kObjectKindExploration, "lone", {}, &world.requests);
    EXPECT_EQ(level.Load(), kStatusFailed);
    ASSERT_NE(level.GetScript(), nullptr);
    EXPECT_EQ(level.GetScript()->GetModule()->builtins.size(), 6u + 39u);
}

TEST_F(SceneBuiltinsTest, DependenciesRunOnceWithTheirMaskKeptAcrossAWait)
{
    world.Build("function OnDepedencies() { setObjectDependencies(\"*frame\"); setObjectDependencies(\"frame\"); }\n",
                "var asked = 0;\n"
                "function OnDepedencies() { asked++; setObjectParameters(\"step\", \"1\"); _onObjectLoad(\"hall\");\n"
                "  setObjectParameters(\"step\", \"2\"); }\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.hall->SetWanted(1);
    world.frame->GetScript()->SetEventMask(0x0FFFFFFFu);
    ASSERT_EQ(world.hall->FireScriptEvent(kEventDependencies), kStatusOk);
    // Marked wanted, its script loaded, its event run once, waiting for the hall to be shown.
    EXPECT_TRUE(world.frame->IsWanted());
    EXPECT_EQ(world.frame->GetReleaseMode(), 1u);
    EXPECT_EQ(world.frame->scriptLoads, 1u);
    EXPECT_EQ(CBuiltinWorld::Global(world.frame.get(), "asked"), 1u);
    EXPECT_EQ(world.frame->GetScript()->GetEventMask(), 0x0FFFFFFFu);
    EXPECT_EQ(world.requests, (RequestLog{"level 0 -1 0"}));
    // Shown again: the wait ends and the event goes on under its own mask.
    ASSERT_NE(world.frame->GetShownEventList(), nullptr);
    world.frame->GetShownEventList()->BurnAll(kCommandEventClick, 1, 1, 0);
    world.Pump();
    EXPECT_EQ(world.frame->parameters, (std::vector<std::string>{"step=1", "step=2"}));
    EXPECT_EQ(world.frame->masks, (std::vector<uint32_t>{0x00000004u, 0x10000004u}));
    EXPECT_EQ(world.frame->GetScript()->GetEventMask(), 0x0FFFFFFFu);
}

TEST_F(SceneBuiltinsTest, DependenciesRefuseResidentKindsAndSkipTheCaller)
{
    world.Build("", "", "var loaded = 1;\n");
    auto call = Record({"this,bar"});
    EXPECT_EQ(world.hall->setObjectDependencies(call), kStatusFailed);
    EXPECT_EQ(world.traces, (std::vector<std::string>{": You can't have a depedencie on an auto load object bar"}));
    EXPECT_FALSE(world.hall->IsWanted());
    EXPECT_EQ(world.bar->scriptLoads, 0u);
    call = Record({"bar"});
    EXPECT_EQ(world.frame->setScriptDependencies(call), kStatusFailed);
    // An object without a script to load fails the walk.
    call = Record({"frame"});
    EXPECT_EQ(world.hall->setScriptDependencies(call), kStatusFailed);
}

// A level whose dependencies name a resident object fails its preparation and ends the game,
// saying which: the world's last error text (the box that ends the game) and a written log
// line. The same refusal in a script's own run fails only the call.
TEST_F(SceneBuiltinsTest, ALevelDependingOnAResidentObjectFailsItsPreparationNamingIt)
{
    char log[] = "/tmp/nimbrel_dependencies_XXXXXX";
    const int fd = mkstemp(log);
    ASSERT_GE(fd, 0);
    close(fd);
    WorldData* w = world.GetWorldData();
    UtilsString_Copy(w->logPath, kWorldTextSize, UtilsString_FromUtf8(log).c_str());
    UtilsString_Copy(w->lastErrorText, kWorldTextSize, u"No audio device was found");
    world.Build("function OnDepedencies() { setObjectDependencies(\"frame,bar\"); }\n"
                "function Later() { setScriptDependencies(\"bar\"); }\n",
                "var loaded = 1;\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.Call(world.hall.get(), "Later");
    EXPECT_FALSE(world.HasEndedOnFailure());
    uint8_t needsLoading = 0;
    EXPECT_EQ(world.Objects()->PrepareLevel(0, 0, &needsLoading), kStatusFailed);
    EXPECT_TRUE(world.HasEndedOnFailure());
    EXPECT_EQ(UtilsString_ToUtf8(w->lastErrorText), "\"hall\" cannot depend on \"bar\", which is always loaded");
    std::ifstream in(log);
    std::stringstream lines;
    lines << in.rdbuf();
    EXPECT_EQ(lines.str(),
              "# CObjectsBase::setScriptDependencies failed! \"hall\" cannot depend on the resident object \"bar\"\n"
              "# CObjectsBase::setObjectDependencies failed! \"hall\" cannot depend on the resident object \"bar\"\n");
    std::remove(log);
}

TEST_F(SceneBuiltinsTest, VariablesOfOtherObjectsMustBeExported)
{
    world.Build("var secret = 5;\nexport var open = 7;\nexport var name = \"hall\";\nexport var speed = 1.5;\n",
                "var mine = 3;\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    ASSERT_EQ(world.frame->LoadScript(0, 0), kStatusOk);
    auto call = Record({"hall", "secret"});
    EXPECT_EQ(world.frame->getObjectLong(call), kStatusFailed);
    EXPECT_EQ(world.traces.back(),
              ": the specified variable secret was not found (not local, or not export, or bad type) hall");
    call = Record({"this", "secret"});
    EXPECT_EQ(world.hall->getObjectLong(call), kStatusDoneStoreResult);
    EXPECT_EQ(call.resultType, uint32_t(kScriptTypeULong));
    EXPECT_EQ(call.resultValue, 5u);
    call = Record({"hall", "open"});
    EXPECT_EQ(world.frame->getObjectLong(call), kStatusDoneStoreResult);
    EXPECT_EQ(call.resultValue, 7u);
    call = Record({"hall", "speed"});
    EXPECT_EQ(world.frame->getObjectFloat(call), kStatusDoneStoreResult);
    EXPECT_EQ(call.resultType, uint32_t(kScriptTypeFloat));
    EXPECT_EQ(call.resultValue, FloatToBits(1.5f));
    // Writes: only of the variable's own type.
    ScriptBuiltinCall set = Record({"hall", "open"});
    set.arguments[2] = 9;
    EXPECT_EQ(world.frame->setObjectLong(set), kStatusDoneStoreResult);
    EXPECT_EQ(CBuiltinWorld::Global(world.hall.get(), "open"), 9u);
    set = Record({"hall", "open", "nine"});
    EXPECT_EQ(world.frame->setObjectString(set), kStatusFailed);
    // A list of nothing fails without a report of its own; an object without a script with one.
    world.traces.clear();
    call = Record({"", "open"});
    EXPECT_EQ(world.frame->getObjectLong(call), kStatusFailed);
    EXPECT_TRUE(world.traces.empty());
    call = Record({"bar", "open"});
    EXPECT_EQ(world.frame->getObjectLong(call), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": the specified object have no script loaded (cf setScriptDependencies) bar");
    // A text result belongs to the record: reading twice frees the first copy.
    call = Record({"hall", "name"});
    EXPECT_EQ(world.frame->getObjectString(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.frame->getObjectString(call), kStatusDoneStoreResult);
    EXPECT_STREQ(call.resultText, "hall");
    call.ClearResult();
}

TEST_F(SceneBuiltinsTest, ObjectFlagsAndSwitches)
{
    world.Build("");
    auto call = Record({"frame, bar"});
    EXPECT_EQ(world.hall->setObjectsShowAndUnlock(call), kStatusDoneStoreResult);
    EXPECT_TRUE(world.frame->IsShown() && !world.frame->IsLocked() && world.bar->IsShown());
    EXPECT_EQ(world.hall->setObjectsHideAndLock(call), kStatusDoneStoreResult);
    EXPECT_TRUE(!world.frame->IsShown() && world.frame->IsLocked());
    call = Record({"nobody"});
    EXPECT_EQ(world.hall->setObjectsShow(call), kStatusDoneStoreResult);

    call = Record({"this"});
    EXPECT_EQ(world.hall->onObjectLoad(call), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": can't load object on itself this");
    call = Record({"frame"});
    EXPECT_EQ(world.hall->onObjectLoad(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.requests, (RequestLog{"level 1 -1 0"}));

    // Chapters are 1-based, 0 the first; an index past the last is refused.
    world.SetChapters(2);
    for (uint32_t chapter : {0u, 1u, 2u, 3u}) {
        world.requests.clear();
        call = LongRecord(chapter);
        const Status status = world.hall->_onChapterLoad(call);
        if (chapter < 3) {
            EXPECT_EQ(status, kStatusWait);
            EXPECT_EQ(world.requests, (RequestLog{"level -1 " + std::to_string(chapter ? chapter - 1 : 0) + " 0"}));
        } else {
            EXPECT_EQ(status, kStatusFailed);
            EXPECT_TRUE(world.requests.empty());
            EXPECT_EQ(world.traces.back(), ": invalid chapter index [1..3[");
        }
    }
    call = Record({});
    EXPECT_EQ(world.hall->_onGameOver(call), kStatusOk);
    EXPECT_EQ(world.requests.back(), "game over");
}

TEST_F(SceneBuiltinsTest, RestartIsRefusedFromTheObjectsOwnStart)
{
    world.Build("function restartFrame() { onObjectCommand(\"frame\", \"pause,restart\"); }\n",
                "function OnStart() { _onObjectLoad(\"hall\"); onObjectCommand(\"frame\", \"restart\"); }\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    ASSERT_EQ(world.frame->LoadScript(0, 0), kStatusOk);
    // Not loaded: nothing to restart.
    EXPECT_TRUE(IsBuiltinFailure(CBuiltinWorld::Call(world.hall.get(), "restartFrame")));
    world.frame->SetModelLoaded(1);
    world.hall->SetModelLoaded(1);
    world.requests.clear();
    EXPECT_EQ(CBuiltinWorld::Call(world.hall.get(), "restartFrame"), kStatusOk);
    EXPECT_EQ(world.requests, (RequestLog{"restart 1"}));

    world.requests.clear();
    world.frame->SetWanted(1);
    EXPECT_EQ(world.frame->FireScriptEvent(kEventStart), kStatusWait);
    world.frame->GetShownEventList()->BurnAll(kCommandEventClick, 1, 1, 0);
    world.Pump();
    EXPECT_EQ(world.requests, (RequestLog{"level 0 -1 0"}));
    EXPECT_EQ(world.traces.back(), "onObjectCommand: can't restart own activity in own 'OnStart' function frame");
    auto call = Record({"nobody", "restart"});
    EXPECT_EQ(world.hall->onObjectCommand(call), kStatusFailed);
}

TEST_F(SceneBuiltinsTest, GlobalInfosAnswerTheirTable)
{
    world.Build("");
    world.SetChapters(3, 1);
    world.GetChaptersManager()->SetCurrentChapter(1);
    world.frame->SetOverlay(1);
    world.bar->SetLastMark(1);
    const struct {
        const char* category;
        const char* parameter;
        Status status;
        uint32_t type;
        uint32_t value;
        const char* text;
    } cases[] = {
        {"chapter", "count", kStatusDoneStoreResult, kScriptTypeULong, 3, nullptr},
        {"chapter", "current", kStatusDoneStoreResult, kScriptTypeULong, 2, nullptr},
        {"chapter", "other", kStatusDoneStoreResult, kScriptTypeULong, 0, nullptr},
        {"synchronized", "enabled", kStatusDoneStoreResult, kScriptTypeULong, 1, nullptr},
        {"synchronized", "other", kStatusDoneStoreResult, kScriptTypeULong, 0, nullptr},
        {"current_object", "name", kStatusDoneStoreResult, kScriptTypeString, 0, "hall"},
        {"this_object", "name", kStatusDoneStoreResult, kScriptTypeString, 0, "frame"},
        {"this_object", "size", kStatusDoneStoreResult, kScriptTypeULong, 0, nullptr},
        {"parent_object", "name", kStatusDoneStoreResult, kScriptTypeString, 0, ""},
        {"current_popup", "name", kStatusDoneStoreResult, kScriptTypeString, 0, ""},
        {"current_toolbox", "name", kStatusDoneStoreResult, kScriptTypeString, 0, ""},
        {"weather", "name", kStatusFailed, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        auto call = Record({c.category, c.parameter});
        EXPECT_EQ(world.frame->getGlobalInfos(call), c.status) << c.category << " " << c.parameter;
        EXPECT_EQ(call.resultType, c.type) << c.category << " " << c.parameter;
        if (c.text)
            EXPECT_STREQ(call.resultText, c.text) << c.category;
        else
            EXPECT_EQ(call.resultValue, c.value) << c.category << " " << c.parameter;
        call.ClearResult();
    }
    // The current object over another: the object with the parent mark.
    world.Objects()->SetCurrentObject(world.frame.get());
    auto call = Record({"parent_object", "name"});
    EXPECT_EQ(world.frame->getGlobalInfos(call), kStatusDoneStoreResult);
    EXPECT_STREQ(call.resultText, "bar");
    call.ClearResult();
    call = Record({"any", "thing"});
    EXPECT_EQ(world.frame->setGlobalInfos(call), kStatusDoneStoreResult);
}

TEST_F(SceneBuiltinsTest, WaitsLeaveNoCommandThatNothingTook)
{
    world.Build("");
    CCommandListManager* commands = world.GetCommandListManager();
    const uint32_t before = LiveCommands(commands);
    // With nothing to run after it, a wait makes no command at all.
    auto call = Record({"frame"});
    call.tail = 1;
    EXPECT_EQ(world.hall->_onObjectLoad(call), kStatusDoneStoreResult);
    EXPECT_EQ(LiveCommands(commands), before);
    EXPECT_EQ(world.hall->GetShownEventList(), nullptr);
    call.tail = 0;
    EXPECT_EQ(world.hall->_onObjectLoad(call), kStatusWait);
    EXPECT_EQ(LiveCommands(commands), before + 1);

    // The twin of a plain form: waits while something took the command.
    call = Record({"arrow"});
    EXPECT_EQ(world.frame->Twin(call, &CObjectsBase::setCursor), kStatusWait);
    EXPECT_EQ(LiveCommands(commands), before + 2);
    EXPECT_EQ(call.waitCommand, nullptr);
    // Nothing took it: done, the command gone; the plain form failing: failed, gone too.
    call = Record({"nobody"});
    EXPECT_EQ(world.frame->Twin(call, &CObjectsBase::setObjectsShow), kStatusDoneStoreResult);
    call = Record({"a", "b"});
    EXPECT_EQ(world.frame->Twin(call, &CObjectsBase::getObjectParameters), kStatusFailed);
    call = Record({"arrow"});
    call.tail = 1;
    EXPECT_EQ(world.frame->Twin(call, &CObjectsBase::setCursor), kStatusDoneStoreResult);
    EXPECT_EQ(LiveCommands(commands), before + 2);
}

TEST_F(SceneBuiltinsTest, RotationsFailInTheBaseAndSoundsSucceed)
{
    world.Build("");
    auto call = Record({"key", "key"});
    EXPECT_EQ(world.hall->setItemsRotation(call), kStatusFailed);
    EXPECT_EQ(world.hall->_waitItemRotation(call), kStatusFailed);
    call = Record({"music.wav"});
    EXPECT_EQ(world.hall->setMusic(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.hall->_waitItemPosition(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.hall->_waitItemScale(call), kStatusFailed);
    // The extra render: the base leaves it; a level takes "abuse", an interface never.
    call = Record({"abuse", "off"});
    EXPECT_EQ(world.hall->setObjectExtraRender(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.hall->GetAbuse(), 0);
    EXPECT_EQ(world.bar->setObjectExtraRender(call), kStatusDoneNoResult);
    call = Record({"glow", "on"});
    EXPECT_EQ(world.hall->setObjectExtraRender(call), kStatusDoneNoResult);
}
