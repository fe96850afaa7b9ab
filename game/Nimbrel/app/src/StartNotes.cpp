// What the program says on standard error when it does not start, where no box would be seen.
#include <cstdio>

#include "NimbrelApp.h"

void SayNoDisplay()
{
    std::fputs("nimbrel: there is no display to show the game on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
               "Run it on a virtual display, for example:\n"
               "    xvfb-run -a -s \"-screen 0 1024x768x24\" ./nimbrel\n"
               "and end it with SIGTERM (kill PID). Set SDL_VIDEODRIVER to choose SDL's video driver yourself.\n",
               stderr);
}

void SayOtherCopyRunning()
{
    std::fputs("nimbrel: another copy is already running; it was asked to bring its window to the front.\n"
               "To start a second copy anyway, give it an argument (any argument skips this check),\n"
               "for example: ./nimbrel --second\n",
               stderr);
}

void SayUnknownLevel(const char* name)
{
    std::fprintf(stderr, "nimbrel: no level is named \"%s\" in this game's construction.\n", name);
}
