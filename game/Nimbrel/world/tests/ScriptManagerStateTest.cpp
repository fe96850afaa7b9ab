// The script manager's chunk of the profile: handler entries, queued results and the main
// script's state written and read back, a suspended script resumed by a game made afresh, and
// damaged chunks refused before anything is allocated for them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "ScriptWorld.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kObject = 0;

const char kMainSource[] = R"(
var visits = 0;
function OnStart() { visits = visits + 1; }
)";

// Two waits in a row; what each returns adds up in `got`.
const char kObjectSource[] = R"(
var got = 0;
var steps = 0;
function OnRun() {
    steps = 1;
    got = _waitClick();
    steps = 2;
    got = got * 10 + _waitClick();
    steps = 3;
}
)";

using Bytes = std::vector<uint8_t>;

void Append32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A stream string of 8-bit characters with every bit inverted (the terminator stays 0).
void AppendName(Bytes& out, const std::string& name)
{
    Append32(out, static_cast<uint32_t>(name.size() + 1));
    out.push_back(1);
    for (char c : name)
        out.push_back(static_cast<uint8_t>(~static_cast<uint8_t>(c)));
    out.push_back(0);
}

// The main script and one object script with a click wait that adds a command of the object.
struct Game {
    Game()
    {
        scripts = world.Scripts();
        main = scripts->CreateScript(kMainScriptObject, nullptr);
        EXPECT_EQ(LoadSource(main, kMainSource), 0) << LastError(main);
        object = world.AddObject(kObject);
        script = scripts->CreateScript(kObject, main);
        object->script = script;
        EXPECT_EQ(scripts->RegisterFunction(script, "int _waitClick()", "_waitClick", this, WaitClick, 0), 0);
        EXPECT_EQ(LoadSource(script, kObjectSource), 0) << LastError(script);
    }

    static Status WaitClick(void* self, ScriptBuiltinCall& call)
    {
        auto* game = static_cast<Game*>(self);
        CommandHandle handle{};
        if (game->world.Commands()->AddCommand(kObject, 0, kCommandResumeWait, kCommandEventClick, call.hostWord,
                                               call.hostWord, 0, &handle) < 0)
            return kStatusFailed;
        game->handles.push_back(handle);
        return kStatusWait;
    }

    bool Click(size_t i, int32_t value)
    {
        return world.Commands()->OnBurnCommand(handles.at(i), kCommandEventClick, kObject, -1, value);
    }

    // What a profile keeps of this game: the command lists, the object script's globals and
    // run state, and the manager's chunk, each as the profile writes it.
    Bytes Save()
    {
        UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
        EXPECT_EQ(memory.Open(), kStatusOk);
        UtilsStream_ChunkList list(&memory);
        UtilsStream_Chunk* commands = list.CreateChunk(kProfileTagCommandLists, nullptr);
        ChunkStream commandStream(commands);
        EXPECT_EQ(world.Commands()->Save(&commandStream), kStatusOk);
        UtilsStream_Chunk* globals = list.CreateChunk(kProfileTagScriptGlobals, nullptr);
        ChunkStream globalStream(globals);
        EXPECT_EQ(script->SaveGlobals(&globalStream), kStatusOk);
        UtilsStream_Chunk* run = list.CreateChunk(kProfileTagScriptRunState, nullptr);
        ChunkStream runStream(run);
        EXPECT_EQ(script->SaveRunState(&runStream), kStatusOk);
        EXPECT_EQ(scripts->SaveState(&list, list.CreateChunk(kProfileTagScriptManager, nullptr)), kStatusOk);
        EXPECT_TRUE(list.WriteAll());
        return Bytes(memory.GetBlock(), memory.GetBlock() + memory.GetSize());
    }

    Status Load(Bytes bytes)
    {
        UtilsStream_Static memory(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
        EXPECT_EQ(memory.Open(), kStatusOk);
        UtilsStream_ChunkList list(&memory);
        for (UtilsStream_Chunk* chunk = list.ReadFirst(); chunk; chunk = list.ReadNext()) {
            ChunkStream stream(chunk);
            Status status = kStatusOk;
            switch (chunk->GetTag()) {
            case kProfileTagCommandLists:
                status = world.Commands()->Load(&stream);
                break;
            case kProfileTagScriptGlobals:
                status = script->LoadGlobals(&stream);
                break;
            case kProfileTagScriptRunState:
                status = script->LoadRunState(&stream);
                break;
            case kProfileTagScriptManager:
                status = scripts->LoadState(chunk);
                break;
            }
            if (Failed(status))
                return status;
        }
        return kStatusOk;
    }

    ScriptWorld world;
    CScriptManager* scripts = nullptr;
    CScriptBaseKest* main = nullptr;
    CScriptBaseKest* script = nullptr;
    TestObject* object = nullptr;
    std::vector<CommandHandle> handles;
};

// The handles a restored game burns: those of the commands the profile brought back.
std::vector<CommandHandle> ArmedHandles(CCommandListManager* commands)
{
    std::vector<CommandHandle> out;
    for (uint32_t i = 0; i < commands->GetCount(); ++i) {
        const CommandRecord* r = commands->GetRecord(i);
        if (r->magicIndex)
            out.push_back(CommandHandle{r->kind, i, r->magicIndex, r->functionIndex, 0});
    }
    return out;
}

TEST(ScriptManagerState, APayloadWithANullHandlerSlotReadsAndWritesBackByteForByte)
{
    Game game;
    Bytes payload;
    Append32(payload, 2);             // contexts: the main script, the object
    Append32(payload, 0);             // the main script has no handlers
    Append32(payload, 2);             // the object: one entry and a free slot
    payload.push_back(1);
    payload.push_back(1);             // persistent
    Append32(payload, 0x0FFFFFFFu);
    AppendName(payload, "OnRun");
    payload.push_back(0);             // null slot
    Append32(payload, 2);             // pending results
    for (uint32_t word : {1u, 0u, 42u, 1u, 1u, 7u})
        Append32(payload, word);

    UtilsStream_Chunk chunk(kProfileTagScriptManager);
    ASSERT_EQ(chunk.Open(kStreamReadWriteGrowable), kStatusOk);
    ASSERT_TRUE(chunk.Write(payload.data(), 1, static_cast<uint32_t>(payload.size())));
    ASSERT_TRUE(chunk.Rewind());
    ASSERT_EQ(game.scripts->LoadState(&chunk), kStatusOk);
    const ScriptContext* context = game.scripts->GetContext(1);
    ASSERT_EQ(context->handlers.size(), 2u);
    ASSERT_NE(context->handlers[0], nullptr);
    EXPECT_STREQ(context->handlers[0]->name, "OnRun");
    EXPECT_EQ(context->handlers[0]->flags, 0x0FFFFFFFu);
    EXPECT_EQ(context->handlers[1], nullptr);
    EXPECT_EQ(game.scripts->GetPendingCount(), 2u);

    UtilsStream_ChunkList list(nullptr);
    UtilsStream_Chunk* saved = list.CreateChunk(kProfileTagScriptManager, nullptr);
    ASSERT_EQ(game.scripts->SaveState(&list, saved), kStatusOk);
    const uint8_t* block = saved->GetInnerStream()->GetBlock();
    EXPECT_EQ(Bytes(block, block + saved->GetPayloadSize()), payload);
    // The main script's state follows in its own chunk.
    ASSERT_NE(saved->FindChunk(kProfileTagMainScript), nullptr);
}

TEST(ScriptManagerState, ASuspendedScriptResumesInAFreshGameAsIfNeverInterrupted)
{
    // Uninterrupted: two clicks of 4 and 2.
    Game straight;
    ASSERT_EQ(straight.scripts->CallFunction(straight.script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    ASSERT_TRUE(straight.Click(0, 4));
    straight.scripts->Update();
    ASSERT_TRUE(straight.Click(1, 2));
    straight.scripts->Update();
    ASSERT_EQ(GlobalLong(straight.script, "steps"), 3u);
    const uint32_t expected = GlobalLong(straight.script, "got");
    EXPECT_EQ(expected, 42u);

    // Saved after the first click, in the middle of the second wait.
    Bytes saved;
    {
        auto before = std::make_unique<Game>();
        ASSERT_EQ(before->scripts->CallFunction(before->script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
        ASSERT_EQ(before->main->SetLong("visits", 9, false), 0);
        ASSERT_TRUE(before->Click(0, 4));
        before->scripts->Update();
        ASSERT_EQ(GlobalLong(before->script, "steps"), 2u);
        saved = before->Save();
    }
    Game after;
    ASSERT_EQ(after.Load(saved), kStatusOk);
    EXPECT_EQ(GlobalLong(after.main, "visits"), 9u);
    EXPECT_EQ(GlobalLong(after.script, "steps"), 2u);
    const std::vector<CommandHandle> armed = ArmedHandles(after.world.Commands());
    ASSERT_EQ(armed.size(), 1u);
    ASSERT_TRUE(after.world.Commands()->OnBurnCommand(armed[0], kCommandEventClick, kObject, -1, 2));
    after.scripts->Update();
    EXPECT_EQ(GlobalLong(after.script, "steps"), 3u);
    EXPECT_EQ(GlobalLong(after.script, "got"), expected);
}

TEST(ScriptManagerState, AResultQueuedAtTheSaveIsDeliveredByTheFirstUpdateAfterTheLoad)
{
    Bytes saved;
    {
        Game before;
        ASSERT_EQ(before.scripts->CallFunction(before.script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
        ASSERT_TRUE(before.Click(0, 6));
        ASSERT_EQ(before.scripts->GetPendingCount(), 1u);
        saved = before.Save();
    }
    Game after;
    ASSERT_EQ(after.Load(saved), kStatusOk);
    EXPECT_EQ(after.scripts->GetPendingCount(), 1u);
    EXPECT_EQ(GlobalLong(after.script, "steps"), 1u);
    after.scripts->Update();
    EXPECT_EQ(GlobalLong(after.script, "steps"), 2u);
    EXPECT_EQ(after.scripts->GetPendingCount(), 0u);
    // The delivered value went on: the second wait ends the call with 6 * 10 + 3.
    ASSERT_EQ(after.handles.size(), 1u);
    ASSERT_TRUE(after.Click(0, 3));
    after.scripts->Update();
    EXPECT_EQ(GlobalLong(after.script, "steps"), 3u);
    EXPECT_EQ(GlobalLong(after.script, "got"), 63u);
}

TEST(ScriptManagerState, DamagedChunksAreRefused)
{
    struct Case {
        const char* what;
        Bytes payload;
    };
    auto make = [](std::initializer_list<uint32_t> words) {
        Bytes out;
        for (uint32_t w : words)
            Append32(out, w);
        return out;
    };
    Bytes hugeHandlers = make({2, 0xFFFFFFFFu});
    hugeHandlers.resize(hugeHandlers.size() + 20, 0);
    const Case cases[] = {
        {"another context count", make({3, 0, 0, 0, 0})},
        {"a handler count beyond the bytes left", hugeHandlers},
        {"a pending count beyond the bytes left", make({2, 0, 0, 0x10000000u, 0, 0, 0})},
        {"a pending record of no context", make({2, 0, 0, 1, 2, 0, 5})},
        {"a cut chunk", make({2, 0})},
    };
    for (const Case& c : cases) {
        Game game;
        UtilsStream_Chunk chunk(kProfileTagScriptManager);
        ASSERT_EQ(chunk.Open(kStreamReadWriteGrowable), kStatusOk);
        ASSERT_TRUE(chunk.Write(c.payload.data(), 1, static_cast<uint32_t>(c.payload.size())));
        ASSERT_TRUE(chunk.Rewind());
        EXPECT_EQ(game.scripts->LoadState(&chunk), kStatusFailed) << c.what;
        // Nothing of a damaged chunk is ever delivered.
        game.scripts->Update();
    }
}

}  // namespace
