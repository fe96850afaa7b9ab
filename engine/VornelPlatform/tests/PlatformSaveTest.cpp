#include "VornelPlatform/PlatformFile.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSystem.h"

namespace fs = std::filesystem;

namespace {

const std::string kOld = "old options, whole";
const std::string kNew(10000, 'n');  // long enough for a write cut in two

// A kill at a step: the process ends there and then, nothing of ours runs after it.
#ifdef _WIN32
constexpr int kKilledCode = 77;
constexpr const char* kRootVariable = "VORNEL_SAVE_TEST_ROOT";
void KillNow()
{
    std::_Exit(kKilledCode);
}
#else
void KillNow()
{
    ::raise(SIGKILL);
}
#endif

// What the test hook does: note the steps, cut writes short, fail or kill at one step.
struct HookPlan {
    PlatformSaveStep at = PlatformSaveStep::kWrite;
    size_t atWritten = 0;  // for kWrite: the step counts once this much is written
    bool kill = false;
    bool fail = false;
    size_t writeCap = 0;
    std::vector<PlatformSaveStep> steps;
};

long TestHook(void* context, PlatformSaveStep step, size_t written)
{
    HookPlan& plan = *static_cast<HookPlan*>(context);
    if (plan.steps.empty() || plan.steps.back() != step)
        plan.steps.push_back(step);
    if (step == plan.at && (step != PlatformSaveStep::kWrite || written >= plan.atWritten)) {
        if (plan.kill)
            KillNow();
        if (plan.fail)
            return -1;
    }
    return step == PlatformSaveStep::kWrite ? static_cast<long>(plan.writeCap) : 0;
}

// A scratch folder holding "options.sav" with the old bytes; the save hook is off.
class PlatformSaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        // A death test's child is a new process that runs the test again from its start: it
        // works in its parent's folder, named through the environment.
        if (const char* parents = std::getenv(kRootVariable))
            m_root = parents;
        else
            TestSystem_SetEnv(kRootVariable, (m_root = TestSystem_MakeTempFolder("vornel_save_")).c_str());
#else
        m_root = TestSystem_MakeTempFolder("vornel_save_");
#endif
        ASSERT_FALSE(m_root.empty());
        m_target = m_root + "/options.sav";
        std::ofstream(m_target, std::ios::binary) << kOld;
    }

    void TearDown() override
    {
        Platform_SetSaveHook(nullptr, nullptr);
#ifdef _WIN32
        TestSystem_SetEnv(kRootVariable, nullptr);
#endif
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    std::string Read(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The names in the scratch folder, sorted.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_root))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    bool Save(const std::string& bytes) const
    {
        return Platform_WriteFileAtomic(m_target.c_str(), bytes.data(), bytes.size());
    }

    // In a child: a save under the hook's plan, then an exit that the plan should never reach.
    void SaveWithHook(HookPlan* plan) const
    {
        Platform_SetSaveHook(TestHook, plan);
        Save(kNew);
        std::_Exit(0);
    }

#ifndef _WIN32
    // In a child: a save that may grow no file past `bytes`; exits 0 when the save failed.
    void SaveUnderFileSizeLimit(rlim_t bytes) const
    {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::_Exit(Save(kNew) ? 1 : 0);
    }
#endif

    std::string m_root, m_target;
};

} // namespace

TEST_F(PlatformSaveTest, ReplacesTheWholeFileAndLeavesNothingElse)
{
    EXPECT_TRUE(Save(kNew));
    EXPECT_EQ(Read(m_target), kNew);
    EXPECT_TRUE(Save(""));
    EXPECT_EQ(Read(m_target), "");
    // A new file, named with Windows separators; the mode is that of an ordinary file.
    const std::string other = m_root + "\\profile.sav";
    ASSERT_TRUE(Platform_WriteFileAtomic(other.c_str(), "p", 1));
    EXPECT_EQ(Read(m_root + "/profile.sav"), "p");
#ifndef _WIN32
    struct stat info;
    ASSERT_EQ(::stat((m_root + "/profile.sav").c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0644 & ~mask);
#endif
    EXPECT_EQ(Names(), (std::vector<std::string>{"options.sav", "profile.sav"}));
}

TEST_F(PlatformSaveTest, StepsRunInOrderAndShortWritesGoOn)
{
    HookPlan plan;
    plan.writeCap = 777;
    plan.at = PlatformSaveStep::kSyncFolder;  // noted, neither failed nor killed
    Platform_SetSaveHook(TestHook, &plan);
    ASSERT_TRUE(Save(kNew));
    EXPECT_EQ(Read(m_target), kNew);
    const std::vector<PlatformSaveStep> expected = {PlatformSaveStep::kWrite, PlatformSaveStep::kSync,
                                                    PlatformSaveStep::kClose, PlatformSaveStep::kRename,
                                                    PlatformSaveStep::kSyncFolder};
    EXPECT_EQ(plan.steps, expected);
}

TEST_F(PlatformSaveTest, AFailedStepKeepsTheOldFile)
{
    const PlatformSaveStep steps[] = {PlatformSaveStep::kWrite, PlatformSaveStep::kSync, PlatformSaveStep::kClose,
                                      PlatformSaveStep::kRename};
    for (PlatformSaveStep step : steps) {
        HookPlan plan;
        plan.at = step;
        plan.atWritten = kNew.size() / 2;
        plan.writeCap = kNew.size() / 2;
        plan.fail = true;
        Platform_SetSaveHook(TestHook, &plan);
        EXPECT_FALSE(Save(kNew)) << int(step);
        EXPECT_EQ(Read(m_target), kOld) << int(step);
        EXPECT_EQ(Names(), std::vector<std::string>{"options.sav"}) << int(step);
    }
    // Once renamed, the new bytes are in place; a folder that cannot be synced is still reported.
    HookPlan plan;
    plan.at = PlatformSaveStep::kSyncFolder;
    plan.fail = true;
    Platform_SetSaveHook(TestHook, &plan);
    EXPECT_FALSE(Save(kNew));
    EXPECT_EQ(Read(m_target), kNew);
    EXPECT_EQ(Names(), std::vector<std::string>{"options.sav"});
}

TEST_F(PlatformSaveTest, AKillAtAnyStepLeavesOneWholeVersion)
{
    const struct {
        const char* when;
        PlatformSaveStep at;
        size_t atWritten;
        bool renamed;
    } cases[] = {
        {"after the open", PlatformSaveStep::kWrite, 0, false},
        {"half-way through the write", PlatformSaveStep::kWrite, kNew.size() / 2, false},
        {"after the write", PlatformSaveStep::kSync, 0, false},
        {"after the sync", PlatformSaveStep::kClose, 0, false},
        {"after the close", PlatformSaveStep::kRename, 0, false},
        {"after the rename", PlatformSaveStep::kSyncFolder, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        std::ofstream(m_target, std::ios::binary | std::ios::trunc) << kOld;
        HookPlan plan;
        plan.at = c.at;
        plan.atWritten = c.atWritten;
        plan.writeCap = kNew.size() / 2;
        plan.kill = true;
#ifdef _WIN32
        EXPECT_EXIT(SaveWithHook(&plan), ::testing::ExitedWithCode(kKilledCode), "");
#else
        EXPECT_EXIT(SaveWithHook(&plan), ::testing::KilledBySignal(SIGKILL), "");
#endif
        EXPECT_EQ(Read(m_target), c.renamed ? kNew : kOld);
        EXPECT_EQ(Names().size(), c.renamed ? 1u : 2u) << "a killed save leaves its temporary file";

        // The next save that succeeds takes the left-over away.
        ASSERT_TRUE(Save("next"));
        EXPECT_EQ(Read(m_target), "next");
        EXPECT_EQ(Names(), std::vector<std::string>{"options.sav"});
    }
}

#ifndef _WIN32
TEST_F(PlatformSaveTest, AFullDiskFailsCleanly)
{
    // The file size limit stands for a full disk: the write stops part-way with EFBIG.
    EXPECT_EXIT(SaveUnderFileSizeLimit(4096), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(m_target), kOld);
    EXPECT_EQ(Names(), std::vector<std::string>{"options.sav"});
}
#endif

TEST_F(PlatformSaveTest, OnlyThisTargetsLeftOversAreRemoved)
{
    const char* names[] = {"options.sav.tmp-12-0", "options.sav.tmp-12", "options.sav.tmp-1-2.bak",
                           "options.sav.tmp-x-1", "profile.sav.tmp-3-4"};
    for (const char* name : names)
        std::ofstream(m_root + "/" + name) << "left";
    ASSERT_TRUE(Save(kNew));
    EXPECT_EQ(Names(), (std::vector<std::string>{"options.sav", "options.sav.tmp-1-2.bak", "options.sav.tmp-12",
                                                 "options.sav.tmp-x-1", "profile.sav.tmp-3-4"}));
}

TEST_F(PlatformSaveTest, RefusedSaves)
{
    const std::string inMissingFolder = m_root + "/nowhere/options.sav";
    EXPECT_FALSE(Platform_WriteFileAtomic(inMissingFolder.c_str(), "x", 1));
    const std::string aFolder = m_root + "/folder";
    ASSERT_EQ(TestSystem_MakeFolder(aFolder), 0);
    EXPECT_FALSE(Platform_WriteFileAtomic(aFolder.c_str(), "x", 1));
    EXPECT_FALSE(Platform_WriteFileAtomic((m_root + "/").c_str(), "x", 1));
    EXPECT_FALSE(Platform_WriteFileAtomic(nullptr, "x", 1));
    EXPECT_FALSE(Platform_WriteFileAtomic(m_target.c_str(), nullptr, 1));
    EXPECT_EQ(Read(m_target), kOld);
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "options.sav"}));
}

TEST_F(PlatformSaveTest, CreateDirectoryTellsNewFromExisting)
{
    EXPECT_EQ(Platform_CreateDirectory((m_root + "\\Nimbrel Game").c_str()), PlatformFolderResult::kCreated);
    EXPECT_TRUE(fs::is_directory(m_root + "/Nimbrel Game"));
    EXPECT_EQ(Platform_CreateDirectory((m_root + "/Nimbrel Game/").c_str()), PlatformFolderResult::kExists);
    EXPECT_EQ(Platform_CreateDirectory(m_target.c_str()), PlatformFolderResult::kExists);
    EXPECT_EQ(Platform_CreateDirectory((m_root + "/a/b").c_str()), PlatformFolderResult::kFailed);
    EXPECT_EQ(Platform_CreateDirectory(""), PlatformFolderResult::kFailed);
    EXPECT_EQ(Platform_CreateDirectory(nullptr), PlatformFolderResult::kFailed);
}
