// A profile file from any bytes, read header-only as the world load reads every slot: the
// slot is left as the load rules leave it (a chapter of the table or none, a bounded name, a
// sound clock), and nothing is allocated beyond what the bytes hold.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

struct Game {
    std::unique_ptr<CNimbrelWorld> world;
    CChaptersManager* chapters = nullptr;
    CProfileManager* profiles = nullptr;
};

// The game "Fuzz" with three chapters (identifiers 100, 200, 300), the chapters flag set and
// stamps A 5 and B 7.
Game& TheGame()
{
    static Game game;
    if (!game.world) {
        game.world.reset(CreateNimbrelWorld());
        if (!game.world)
            std::abort();
        game.world->SetDataFolder(u"Fuzz", nullptr, 0, 0);
        game.world->GetGameData()->constructionStampA = 5;
        game.world->GetGameData()->constructionStampB = 7;
        game.chapters = new CChaptersManager(game.world->GetWorldData());
        uint8_t section[] = {3, 0, 0, 0, 100, 0, 0, 0, 1, 0, 0, 0, 200, 0, 0, 0, 4, 0, 0, 0, 44, 1, 0, 0, 7, 0, 0, 0, 1};
        UtilsStream_Static stream(kStreamRead, section, sizeof section);
        stream.Open();
        if (Failed(game.chapters->Load(&stream)))
            std::abort();
        game.world->SetManager(kManagerChapters, game.chapters);
        game.profiles = new CProfileManager(game.world->GetWorldData());
        game.world->SetManager(kManagerProfile, game.profiles);
    }
    return game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Game& game = TheGame();
    ProfileSlot slot{};
    UtilsStream_Static stream(kStreamRead, const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    stream.Open();
    {
        UtilsStream_ChunkList list(&stream);
        game.profiles->LoadProfile(&slot, &list, 1, 0);
    }
    const bool chapterOk = slot.chapterIndex == -1 || game.chapters->IsChapter(slot.chapterIndex);
    const bool nameOk = !slot.name || UtilsString_Length(slot.name) <= kProfileNameMax;
    const bool clockOk = slot.playTime.fraction >= 0.0f && slot.playTime.fraction < kProfileMinuteUnits &&
                         slot.playTime.minutes < 60 && slot.playTime.hours < 24;
    UTILS_FREE(slot.name);
    if (!chapterOk || !nameOk || !clockOk)
        std::abort();
    return 0;
}
