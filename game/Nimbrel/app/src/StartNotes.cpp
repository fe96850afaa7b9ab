// What the program says on standard error when it does not start, where no box would be seen,
// and the modules it runs on for a developer.
#include <cstdio>
#include <string>

#include "NimbrelApp.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

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

void SayModules(const WorldData* w, bool audioRunning, bool networkRunning)
{
    // A module that did not start stays selected in the record: it is named with its reason.
    auto name = [w](int kind, bool running) {
        const ModuleDescriptor* d = w->selected[kind].pDescriptor;
        if (!d)
            return std::string("none");
        const std::string code = "\"" + UtilsString_ToUtf8(d->code) + "\"";
        return running ? code : "none (" + code + " found no device)";
    };
    std::fprintf(stderr, "nimbrel: renderer %s, audio %s, input none, network %s\n", name(kModule3D, true).c_str(),
                 name(kModuleAudio, audioRunning).c_str(), name(kModuleNetwork, networkRunning).c_str());
}
