#include "ProfileManagerDump.h"

#include <cstdio>

#include "NimbrelManagers/CSplashscreens.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"

namespace {

std::string NameOrNone(const char16_t* name)
{
    return name ? "\"" + UtilsString_ToUtf8(name) + "\"" : std::string("none");
}

}  // namespace

bool DescribeSplashChunk(UtilsStream_Chunk* pChunk, std::string& text)
{
    static const char* const kKinds[] = {"starred picture", "picture", "starred video", "video", "nothing"};
    CCommandList commands(nullptr);
    SplashChunkRecord r;
    if (!ReadSplashChunk(pChunk, &r, &commands))
        return false;
    char line[256];
    std::snprintf(line, sizeof line,
                  "splash %s, done %u, entries %u, next %u, picture time %g, elapsed %g, transition %u, ",
                  kKinds[r.entryKind], unsigned(r.done), r.count, r.nextIndex, double(r.imageTime),
                  double(r.elapsed), r.transitionKind);
    text = line + std::string("picture ") + NameOrNone(r.pTexture) + ", video " + NameOrNone(r.pVideo) +
           ", waiting commands " + std::to_string(commands.GetCount());
    FreeSplashChunk(&r);
    return true;
}
