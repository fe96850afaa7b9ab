#include "ProfileManagerDump.h"

#include <cstdio>
#include <memory>

#include "NimbrelManagers/CDragDropManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

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

bool DescribeSurroundChunk(UtilsStream_Chunk* pChunk, std::string& text)
{
    static const char* const kCommands[] = {"none", "fade_play", "force_play", "fade_stop", "force_stop"};
    ChunkStream stream(pChunk);
    SurroundChunk chunk;
    if (!ReadSurroundChunk(&stream, &chunk))
        return false;
    char line[256];
    std::snprintf(line, sizeof line, "surround: %zu objects, %zu sounds", chunk.objects.size(), chunk.sounds.size());
    text = line;
    for (size_t i = 0; i < chunk.objects.size(); ++i) {
        const SurroundChunkObject& object = chunk.objects[i];
        if (!object.present)
            continue;
        text += "\n  object " + std::to_string(i) + ": sounds";
        for (uint32_t sound : object.sounds)
            text += " " + std::to_string(sound);
        for (const SurroundCommand& c : object.commands) {
            std::snprintf(line, sizeof line, "\n    %s of sound %u, min %g s, max %g s, %g units left%s",
                          kCommands[c.command], c.sound, double(c.minTime), double(c.maxTime), double(c.countdown),
                          c.loop ? ", looped" : "");
            text += line;
        }
    }
    for (size_t i = 0; i < chunk.sounds.size(); ++i) {
        const SurroundChunkSound& sound = chunk.sounds[i];
        std::snprintf(line, sizeof line, "\n  sound %zu: \"%s\", %u holders%s%s", i, sound.name.c_str(),
                      sound.useCount, sound.keepLoaded ? ", kept loaded" : "", sound.loop ? ", looped" : "");
        text += line;
    }
    return true;
}

bool DescribeDragDropChunk(UtilsStream_Chunk* pChunk, std::string& text)
{
    // Read without a scene: the indexes are shown as stored.
    auto world = std::make_unique<WorldData>();
    CDragDropManager drops(world.get());
    if (Failed(drops.Load()) || Failed(drops.LoadFromStream(pChunk)))
        return false;
    const auto answer = [](int32_t level, const char* function) {
        std::string out = function ? "\"" + std::string(function) + "\"" : std::string("none");
        return level >= 0 ? out + " of object " + std::to_string(level) : out;
    };
    char line[256];
    uint32_t rules = 0;
    for (uint32_t id = 1; id <= drops.GetRuleCount(); ++id)
        rules += drops.GetRule(id) != nullptr;
    std::snprintf(line, sizeof line, "drag and drop: %u rules in %u slots, waiting commands %u", rules,
                  drops.GetRuleCount(), drops.GetCommandList()->GetCount());
    text = line;
    for (uint32_t id = 1; id <= drops.GetRuleCount(); ++id) {
        const DropRule* r = drops.GetRule(id);
        if (!r)
            continue;
        std::snprintf(line, sizeof line, "\n  rule %u: element %u of object %u, places to use %u%s, refused answer ", id,
                      r->element, r->object, r->consumeSource, r->consumeDestination ? ", places found" : "");
        text += line + answer(r->refusedLevel, r->pRefused);
        for (uint32_t p = 0; p < r->placeCount; ++p) {
            const DropPlace& place = r->pPlaces[p];
            std::snprintf(line, sizeof line, "\n    place: element %u of object %u, uses %d, answer ", place.element,
                          place.object, place.uses);
            text += line + answer(place.answerLevel, place.pAnswer);
        }
    }
    return true;
}

bool DescribeCursorsChunk(UtilsStream_Chunk* pChunk, std::string& text)
{
    const uint32_t size = pChunk->GetPayloadSize();
    text = size == 0 ? "cursors: nothing kept" : "cursors: " + std::to_string(size) + " unexpected bytes";
    return true;
}

bool DescribeTutoChunk(UtilsStream_Chunk* pChunk, std::string& text)
{
    static const char* const kStates[] = {"delay", "fading in", "shown", "fading out", "closed"};
    ChunkStream stream(pChunk);
    CTutoManager tuto(nullptr);
    if (Failed(tuto.LoadFromStream(&stream)))
        return false;
    char line[320];
    std::snprintf(line, sizeof line, "tutorial: skip all %u, %s, timer %g, waiting commands %u",
                  unsigned(tuto.GetSkipAll()), kStates[tuto.GetState()], double(tuto.GetTimer()),
                  tuto.GetCommandList()->GetCount());
    text = line;
    if (!tuto.HasStep())
        return true;
    const TutoStep& s = tuto.GetCurrentStep();
    std::snprintf(line, sizeof line,
                  "\n  step of object %u: item %d of object %u, position %u, text %u, flags 0x%X, delay %g, "
                  "item flags 0x%X, done %u",
                  s.object, s.itemElement == kTutoNoIndex ? -1 : int32_t(s.itemElement), s.itemObject,
                  s.positionKey, s.textIndex, s.flags, double(s.delay), s.itemFlags, unsigned(s.done));
    text += line;
    if (s.pCallback)
        text += std::string(", calls \"") + s.pCallback + "\" with \"" + (s.pName ? s.pName : "") + "\"";
    return true;
}
