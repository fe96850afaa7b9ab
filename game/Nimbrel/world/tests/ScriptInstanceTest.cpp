// Script instances: the main script and object scripts in one VM, loads from the pack, results
// of waiting calls and saved state.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ScriptWorld.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

// The world's pack holds these scripts, as source text.
class ScriptInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/nimbrel_scripts_XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path = name;
        const std::vector<std::pair<const char*, std::string>> entries = {
            {"main.script", "export var shared = 7;\nvar calls = 0;\nsynchronized var level = 2;\n"
                            "synchronized var title = \"hall\";\n"
                            "export function twice(x) { calls++; return x * 2; }\n"},
            {"a.script", "var got = 0;\nfunction Run() { got = twice(shared); }\n"},
            {"b.script", "var waited = 0;\nfunction Wait() { waited = _wait(); eTRACE(\"after\"); }\n"},
            {"broken.script", "function Run() {\n}}\n"},
        };
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(WritePackCountRecord(file, static_cast<uint32_t>(entries.size())), 0);
        for (const auto& [entry, text] : entries)
            ASSERT_EQ(WritePackRecord(file, entry, text.data(), static_cast<uint32_t>(text.size())), 0);
        std::fclose(file);
        ASSERT_EQ(OpenPackFile(&world.GetWorldData()->pack, UtilsString_FromUtf8(path.c_str()).c_str(), 0), 0);
    }
    void TearDown() override
    {
        ClosePackFile(&world.GetWorldData()->pack);
        std::remove(path.c_str());
    }

    ScriptWorld world;
    CScriptManager* scripts = world.Scripts();
    std::string path;
};

Status Waits(void*, ScriptBuiltinCall&)
{
    return kStatusWait;
}

TEST_F(ScriptInstanceTest, OneVMForTheMainScriptAndItsObjects)
{
    CScriptBaseKest* main = scripts->CreateScript(kMainScriptObject, nullptr);
    CScriptBaseKest* a = scripts->CreateScript(1, main);
    CScriptBaseKest* b = scripts->CreateScript(2, main);
    ASSERT_TRUE(main && a && b);
    EXPECT_EQ(a->GetVM(), main->GetVM());
    EXPECT_EQ(b->GetVM(), main->GetVM());
    EXPECT_EQ(a->GetModule()->linked, main->GetModule());
    ASSERT_EQ(scripts->RegisterFunction(b, "int _wait()", "_wait", nullptr, Waits, 0), 0);
    ASSERT_EQ(main->LoadFromPack(u"main.script"), 0) << LastError(main);
    ASSERT_EQ(a->LoadFromPack(u"a.script"), 0) << LastError(a);
    ASSERT_EQ(b->LoadFromPack(u"b.script"), 0) << LastError(b);
    EXPECT_TRUE(a->IsLoaded());

    // An object's function calls the main script's exported function with its exported global.
    EXPECT_EQ(a->Call("Run", 0, 0, nullptr, 0, kScriptNoResume), 0) << LastError(a);
    EXPECT_EQ(GlobalLong(a, "got"), 14u);
    EXPECT_EQ(GlobalLong(main, "calls"), 1u);

    // A waiting call's result: only a running activation of the module takes it.
    EXPECT_EQ(b->Call("Wait", 0, 0, nullptr, 0, kScriptNoResume), kStatusWait);
    const uint32_t count = static_cast<uint32_t>(b->GetModule()->activations.size());
    EXPECT_EQ(b->SetReturnLong(count, 5), kStatusFailed);
    EXPECT_EQ(b->SetReturnLong(count - 1, 5), 0);
    EXPECT_EQ(b->Call("Wait", 1, 0, nullptr, 0, kScriptNoResume), 0);
    EXPECT_EQ(GlobalLong(b, "waited"), 5u);

    // Releasing an object script leaves the VM and the main script working.
    ASSERT_EQ(scripts->RemoveContext(a), 0);
    ASSERT_NE(main->GetVM(), nullptr);
    uintptr_t words[2] = {0, 4};
    EXPECT_EQ(main->Call("twice", 0, 0, words, 0x20000011u, kScriptNoResume), 0) << LastError(main);
    EXPECT_EQ(words[0], 8u);
    EXPECT_EQ(b->Call("Wait", 0, 0, nullptr, 0, kScriptNoResume), kStatusWait);
}

TEST_F(ScriptInstanceTest, LoadsThatFailKeepOrReportTheirScript)
{
    CScriptBaseKest* main = scripts->CreateScript(kMainScriptObject, nullptr);
    ASSERT_EQ(main->LoadFromPack(u"main.script"), 0);
    // A name the pack does not hold leaves the loaded script as it was.
    EXPECT_EQ(main->LoadFromPack(u"missing.script"), kStatusFailed);
    EXPECT_TRUE(main->IsLoaded());
    EXPECT_EQ(GlobalLong(main, "shared"), 7u);
    // A script that does not compile names its entry and line.
    EXPECT_EQ(main->LoadFromPack(u"broken.script"), kStatusFailed);
    EXPECT_FALSE(main->IsLoaded());
    EXPECT_EQ(LastError(main), "Script error! the '}' command are too many (\"broken.script\" : line=2)");
    // A file name below the data folder is used as given.
    EXPECT_EQ(main->LoadFromFile(u"absent.script", nullptr), kStatusFailed);
}

TEST_F(ScriptInstanceTest, SavedStateComesBackAndSynchronizedValuesByNameAndType)
{
    CScriptBaseKest* main = scripts->CreateScript(kMainScriptObject, nullptr);
    ASSERT_EQ(main->LoadFromPack(u"main.script"), 0);
    ASSERT_EQ(main->SetLong("level", 5, false), 0);
    ASSERT_EQ(main->SetString("title", "study", false), 0);
    ASSERT_EQ(main->SetLong("calls", 3, false), 0);
    main->SetEventMask(0x0FFFFFFFu);
    UtilsStream_Static saved(kStreamReadWriteGrowable, nullptr, 0);
    saved.Open();
    ASSERT_EQ(main->SaveGlobals(&saved), 0);
    ASSERT_EQ(main->SaveRunState(&saved), 0);
    ASSERT_EQ(main->SaveSynchronized(&saved), 0);
    const std::vector<uint8_t> bytes(saved.GetBlock(), saved.GetBlock() + saved.GetSize());
    saved.Close();

    // Into a fresh load of the same script.
    ASSERT_EQ(main->LoadFromPack(u"main.script"), 0);
    main->SetEventMask(0);
    std::vector<uint8_t> copy = bytes;
    UtilsStream_Static in(kStreamRead, copy.data(), static_cast<uint32_t>(copy.size()));
    in.Open();
    ASSERT_EQ(main->LoadGlobals(&in), 0);
    EXPECT_EQ(GlobalLong(main, "calls"), 3u);
    ASSERT_EQ(main->LoadRunState(&in), 0);
    EXPECT_EQ(main->GetEventMask(), 0x0FFFFFFFu);
    ASSERT_EQ(main->SetLong("level", 1, false), 0);
    ASSERT_EQ(main->LoadSynchronized(&in), 0);
    EXPECT_EQ(GlobalLong(main, "level"), 5u);
    const char* title = nullptr;
    ASSERT_EQ(main->GetString("title", &title, false), 0);
    EXPECT_STREQ(title, "study");

    // Into another script: what fits by name and type is applied, the rest skipped.
    CScriptBaseKest* a = scripts->CreateScript(1, main);
    ASSERT_EQ(LoadSource(a, "var level = 1.5;\nvar title = \"x\";\n"), 0);
    copy = bytes;
    UtilsStream_Static again(kStreamRead, copy.data(), static_cast<uint32_t>(copy.size()));
    again.Open();
    uint32_t size = 0;
    for (int block = 0; block < 2; ++block) {
        if (block == 1)
            again.Seek(4, kSeekCurrent);  // the event mask
        ASSERT_TRUE(again.Read(&size, 4, 1));
        again.Seek(size, kSeekCurrent);
    }
    ASSERT_EQ(a->LoadSynchronized(&again), 0);
    float level = 0.0f;
    ASSERT_EQ(a->GetFloat("level", &level, false), 0);
    EXPECT_EQ(level, 1.5f);
    ASSERT_EQ(a->GetString("title", &title, false), 0);
    EXPECT_STREQ(title, "study");

    // A size beyond the bytes left is refused before anything is allocated.
    for (uint32_t bad : {0xFFFFFFF0u, static_cast<uint32_t>(bytes.size())}) {
        std::vector<uint8_t> damaged = {static_cast<uint8_t>(bad), static_cast<uint8_t>(bad >> 8),
                                        static_cast<uint8_t>(bad >> 16), static_cast<uint8_t>(bad >> 24), 1, 2};
        UtilsStream_Static short1(kStreamRead, damaged.data(), static_cast<uint32_t>(damaged.size()));
        short1.Open();
        EXPECT_EQ(main->LoadGlobals(&short1), kStatusFailed);
        short1.Rewind();
        EXPECT_EQ(main->LoadSynchronized(&short1), kStatusFailed);
    }
}

}  // namespace
