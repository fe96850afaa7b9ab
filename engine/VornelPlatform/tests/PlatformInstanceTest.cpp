#include "VornelPlatform/PlatformInstance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <process.h>

#include "TestSystem.h"
#else
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string MakeRuntimeFolder()
{
    char pattern[] = "/tmp/vornel_instance_XXXXXX";
    const char* folder = mkdtemp(pattern);
    return folder ? folder : "";
}

}  // namespace
#endif

TEST(PlatformInstance, BadKeysAreRefused)
{
    EXPECT_EQ(Platform_AcquireInstanceLock(nullptr), PlatformInstanceResult::kUnavailable);
    EXPECT_EQ(Platform_AcquireInstanceLock(""), PlatformInstanceResult::kUnavailable);
    EXPECT_EQ(Platform_AcquireInstanceLock("../escape"), PlatformInstanceResult::kUnavailable);
    EXPECT_EQ(Platform_AcquireInstanceLock(std::string(65, 'K').c_str()),
              PlatformInstanceResult::kUnavailable);
}

#ifdef _WIN32
TEST(PlatformInstance, SecondStartAsksTheFirstToRaiseItsWindows)
{
    // The second start is a death test's child: a new process that runs this test again from
    // its start and takes the first's key from the environment. Its own first try already
    // finds the key held.
    const char* kKeyVariable = "VORNEL_INSTANCE_TEST_KEY";
    const char* inherited = std::getenv(kKeyVariable);
    const std::string key = inherited ? inherited : "VornelInstanceTest" + std::to_string(::_getpid());
    TestSystem_SetEnv(kKeyVariable, key.c_str());
    Platform_TakeRaiseRequest();
    const PlatformInstanceResult first = Platform_AcquireInstanceLock(key.c_str());
    EXPECT_EXIT(std::_Exit(Platform_AcquireInstanceLock(key.c_str()) == PlatformInstanceResult::kOtherRunning ? 0 : 11),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(first, PlatformInstanceResult::kFirst);
    EXPECT_TRUE(Platform_TakeRaiseRequest());
    EXPECT_FALSE(Platform_TakeRaiseRequest());

    // Once released, the next start is the first again.
    Platform_ReleaseInstanceLock();
    EXPECT_EQ(Platform_AcquireInstanceLock(key.c_str()), PlatformInstanceResult::kFirst);
    Platform_ReleaseInstanceLock();
    TestSystem_SetEnv(kKeyVariable, nullptr);
}
#else
TEST(PlatformInstance, SecondStartAsksTheFirstToRaiseItsWindows)
{
    const std::string folder = MakeRuntimeFolder();
    ASSERT_FALSE(folder.empty());
    std::string previous;
    const bool hadPrevious = std::getenv("XDG_RUNTIME_DIR") != nullptr;
    if (hadPrevious)
        previous = std::getenv("XDG_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);

    // The second start is a child made before the lock is taken, so it holds nothing.
    int toChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char go = 0;
        close(toChild[1]);
        if (read(toChild[0], &go, 1) != 1)
            _exit(10);
        const PlatformInstanceResult result = Platform_AcquireInstanceLock("KESTRAN_NB_v3");
        _exit(result == PlatformInstanceResult::kOtherRunning ? 0 : 11);
    }
    close(toChild[0]);

    Platform_TakeRaiseRequest();
    ASSERT_EQ(Platform_AcquireInstanceLock("KESTRAN_NB_v3"), PlatformInstanceResult::kFirst);
    ASSERT_EQ(write(toChild[1], "g", 1), 1);
    close(toChild[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Platform_TakeRaiseRequest());
    EXPECT_FALSE(Platform_TakeRaiseRequest());

    // Once released, the next start is the first again.
    Platform_ReleaseInstanceLock();
    EXPECT_EQ(Platform_AcquireInstanceLock("KESTRAN_NB_v3"), PlatformInstanceResult::kFirst);
    Platform_ReleaseInstanceLock();

    if (hadPrevious)
        setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    const std::string lockFile = folder + "/KESTRAN_NB_v3.lock";
    unlink(lockFile.c_str());
    rmdir(folder.c_str());
}
#endif
