// The listing of the sample scripts.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptDump.h"

#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kSamples = std::string(VORNEL_SOURCE_DIR) + "/data/sample/scripts/";

std::string DumpSample(const char* name)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = ScriptModule_Create(vm, nullptr);
    Status status = ScriptModule_CompileFileA(vm, module, kSamples.c_str(), name);
    EXPECT_EQ(status, kScriptOk) << TestLastError(vm);
    std::string listing = ScriptDumpModule(vm, module);
    ScriptVM_Destroy(vm);
    return listing;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(ScriptDump, MainScriptWithItsInclude)
{
    std::string listing = DumpSample("Nimbrel_main.script");
    if (getenv("SCRIPT_DUMP_PRINT"))
        std::printf("%s", listing.c_str());
    EXPECT_TRUE(Has(listing, "module 0, 2 file(s)"));
    EXPECT_TRUE(Has(listing, "Nimbrel_common.script\""));
    EXPECT_TRUE(Has(listing, "function 0 \"clampLevel\" [own,exported] parameters 3"));
    EXPECT_TRUE(Has(listing, "\"visits\" [own,synchronized]"));
    EXPECT_TRUE(Has(listing, "function 7 \"main\" [own] parameters 1"));
    // Calls from inside a function to top-level functions are references found by name.
    EXPECT_TRUE(Has(listing, "\"trace\" [by-name] (reference)"));
    // Builtins the tool does not register are left to the linked modules.
    EXPECT_TRUE(Has(listing, "\"_command\" [linked] (reference)"));
    EXPECT_TRUE(Has(listing, "CALL_FUNCTION"));
    EXPECT_TRUE(Has(listing, "ENTER_BLOCK"));
}

TEST(ScriptDump, SceneScript)
{
    std::string listing = DumpSample("Nimbrel_object_1.0.script");
    if (getenv("SCRIPT_DUMP_PRINT"))
        std::printf("%s", listing.c_str());
    EXPECT_TRUE(Has(listing, "\"OnRun\""));
    EXPECT_TRUE(Has(listing, "\"OnReceiveMessage\" [own] parameters 4"));
    EXPECT_TRUE(Has(listing, "STRING \"the hall runs\""));
}

TEST(ScriptDump, IncludeOnItsOwn)
{
    std::string listing = DumpSample("Nimbrel_common.script");
    EXPECT_TRUE(Has(listing, "function 1 \"trace\" [own] parameters 2"));
    EXPECT_TRUE(Has(listing, "\"eTRACE\" [linked] (reference)"));
}

} // namespace
