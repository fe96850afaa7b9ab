#include "VornelPlatform/PlatformShell.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

bool Platform_ShellOpen(const char* targetUtf8)
{
    if (!targetUtf8 || !*targetUtf8)
        return false;
    // The target goes to xdg-open as one argument: no shell ever reads it.
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(targetUtf8), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return false;
    // Reap it at once when it has already ended; otherwise the child is left to finish alone.
    waitpid(pid, nullptr, WNOHANG);
    return true;
}
