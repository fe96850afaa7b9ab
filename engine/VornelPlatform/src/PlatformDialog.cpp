#include "PlatformBoxRoute.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "PlatformSdl.h"

namespace {

// A box can be shown only on a real display: not on SDL's display-less drivers.
bool CanShowBoxes()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return false;
    return PlatformSdl::DisplayInEnvironment();
}

// SDL shows a box in a process of its own (a fork on X11, zenity on Wayland) and waits for it,
// waiting on through every signal, while its handlers turn SIGTERM and Ctrl+C into a quit event
// that nobody reads until the box is closed. So while a box is open, a termination request
// kills the box's process: the box call returns and the program ends as it would after the
// box. The box's process reports its id through a pipe as it starts.
std::atomic<bool> g_boxOpen{false}; // fork copies it into the box's process
int g_childPipe[2] = {-1, -1};
std::atomic<pid_t> g_boxChild{0};
std::atomic<int> g_termination{0};

// Each reported process is killed once, by whichever of the handler and the fork hook comes
// second. SDL may try one way and then another, each in a process of its own.
void KillBoxChild()
{
    const pid_t child = g_boxChild.exchange(0);
    if (child > 0)
        kill(child, SIGKILL);
}

void OnTermination(int signal)
{
    g_termination.store(signal);
    KillBoxChild();
}

void InChild()
{
    if (!g_boxOpen)
        return;
    signal(SIGTERM, SIG_DFL); // Ctrl+C reaches the whole process group: the box goes too
    signal(SIGINT, SIG_DFL);
    const pid_t self = getpid();
    (void)!write(g_childPipe[1], &self, sizeof self);
}

void InParent()
{
    if (!g_boxOpen)
        return;
    // A child reports at once; a fork that failed reports nothing.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    pollfd ready{g_childPipe[0], POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        const int result = poll(&ready, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (result >= 0 || errno != EINTR)
            break;
    }
    pid_t child = 0;
    if (read(g_childPipe[0], &child, sizeof child) != sizeof child || child <= 0)
        return;
    g_boxChild.store(child);
    if (g_termination.load() != 0)
        KillBoxChild();
}

bool PrepareBoxWatch()
{
    static const bool ready = [] {
        if (pipe2(g_childPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        return pthread_atfork(nullptr, InParent, InChild) == 0;
    }();
    if (!ready)
        return false;
    pid_t stale;
    while (read(g_childPipe[0], &stale, sizeof stale) > 0) {
    }
    return true;
}

// Shows the box through SDL with the termination handlers in place; true when a termination
// request closed it.
bool ShowWatchedBox(Uint32 flags, const char* caption, const char* text, bool* shown)
{
    const bool watched = PrepareBoxWatch();
    struct sigaction action {}, oldTerm {}, oldInt {};
    if (watched) {
        action.sa_handler = OnTermination;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        g_boxChild.store(0);
        g_termination.store(0);
        g_boxOpen.store(true);
        sigaction(SIGTERM, &action, &oldTerm);
        sigaction(SIGINT, &action, &oldInt);
    }
    *shown = SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) == 0;
    if (!watched)
        return false;
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
    g_boxOpen.store(false);
    g_boxChild.store(0);
    const int termination = g_termination.load();
    if (termination == 0)
        return false;
    // A handler that was there before (SDL's quit event) still hears the request; the default
    // action is left out, so that the program ends as it does after the box.
    const struct sigaction& old = termination == SIGTERM ? oldTerm : oldInt;
    if (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN)
        raise(termination);
    return true;
}

}  // namespace

bool Platform_MessageBox(PlatformMessageBoxKind kind, const char* captionUtf8, const char* textUtf8)
{
    const char* caption = captionUtf8 ? captionUtf8 : "";
    const char* text = textUtf8 ? textUtf8 : "";
    if (PlatformBox_OfferToHook(kind, caption, text))
        return false;
    if (CanShowBoxes()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if (kind == PlatformMessageBoxKind::kWarning)
            flags = SDL_MESSAGEBOX_WARNING;
        else if (kind == PlatformMessageBoxKind::kError)
            flags = SDL_MESSAGEBOX_ERROR;
        bool shown = false;
        const bool terminated = ShowWatchedBox(flags, caption, text, &shown);
        if (shown || terminated)
            return terminated;
    }
    PlatformBox_ToStandardError(caption, text);
    return false;
}
