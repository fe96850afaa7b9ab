#include "VornelPlatform/PlatformInstance.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "PlatformInstanceKey.h"

namespace {

int g_lockFd = -1;
volatile sig_atomic_t g_raiseRequested = 0;
bool g_handlerInstalled = false;

void OnRaiseSignal(int)
{
    g_raiseRequested = 1;
}

bool LockPath(const char* key, char* path, size_t capacity)
{
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (!folder || folder[0] != '/')
        folder = "/tmp";
    const int written = std::snprintf(path, capacity, "%s/%s.lock", folder, key);
    return written > 0 && static_cast<size_t>(written) < capacity;
}

// The owner's process id as written in the lock file; 0 when unreadable.
pid_t ReadOwner(int fd)
{
    char text[32] = {};
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || value <= 0 || value > 0x7FFFFFFF)
        return 0;
    return static_cast<pid_t>(value);
}

void WriteOwner(int fd)
{
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
    if (ftruncate(fd, 0) == 0 && length > 0)
        (void)!pwrite(fd, text, static_cast<size_t>(length), 0);
}

void InstallHandler()
{
    if (g_handlerInstalled)
        return;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnRaiseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGUSR1, &action, nullptr) == 0)
        g_handlerInstalled = true;
}

}  // namespace

PlatformInstanceResult Platform_AcquireInstanceLock(const char* key)
{
    if (g_lockFd >= 0)
        return PlatformInstanceResult::kFirst;
    char path[4096];
    if (!PlatformInstanceKey_IsValid(key) || !LockPath(key, path, sizeof path))
        return PlatformInstanceResult::kUnavailable;
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return PlatformInstanceResult::kUnavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // The handler goes in before the process id is published, so no request is lost.
        InstallHandler();
        WriteOwner(fd);
        g_lockFd = fd;
        return PlatformInstanceResult::kFirst;
    }
    const int error = errno;
    if (error != EWOULDBLOCK) {
        close(fd);
        return PlatformInstanceResult::kUnavailable;
    }
    const pid_t owner = ReadOwner(fd);
    close(fd);
    if (owner > 0)
        kill(owner, SIGUSR1);
    return PlatformInstanceResult::kOtherRunning;
}

void Platform_ReleaseInstanceLock()
{
    if (g_lockFd < 0)
        return;
    // The file stays: removing it could let a third start lock a different file.
    flock(g_lockFd, LOCK_UN);
    close(g_lockFd);
    g_lockFd = -1;
    // The handler stays: a request already on its way must not end this process.
}

bool Platform_TakeRaiseRequest()
{
    if (!g_raiseRequested)
        return false;
    g_raiseRequested = 0;
    return true;
}
