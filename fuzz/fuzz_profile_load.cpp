// A whole profile from any bytes, loaded in full into a game of two scene objects ("hall" with
// the elements key and lamp, "study" with a drawer), its scripts, commands and timed items,
// first as a matching slot and then as a mismatched one: the load either fails or leaves a
// game that saves again, and nothing is read or allocated beyond what the bytes hold.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "ObjectsFixture.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

struct Game {
    Game()
    {
        world.reset(CreateNimbrelWorld());
        if (!world)
            std::abort();
        world->SetDataFolder(u"Fuzz", nullptr, 0, 0);
        WorldData* w = world->GetWorldData();
        world->GetGameData()->constructionStampA = 5;
        world->GetGameData()->constructionStampB = 7;
        auto* chapters = new CChaptersManager(w);
        uint8_t section[] = {2, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 200, 0, 0, 0, 1, 0, 0, 0, 1};
        UtilsStream_Static stream(kStreamRead, section, sizeof section);
        stream.Open();
        if (Failed(chapters->Load(&stream)))
            std::abort();
        world->SetManager(kManagerChapters, chapters);
        profiles = new CProfileManager(w);
        world->SetManager(kManagerProfile, profiles);
        world->SetManager(kManagerCommandList, new CCommandListManager(w));
        world->SetManager(kManagerRotation, new CRotationManager(w));
        world->SetManager(kManagerPosition, new CPositionManager(w));
        world->SetManager(kManagerScaling, new CScalingManager(w));
        world->SetManager(kManagerTimer, new CTimerManager(w));
        world->SetManager(kManagerFade, new CFadeManager(w));
        auto* scripts = new CScriptManager(w);
        world->SetManager(kManagerScript, scripts);
        if (!scripts->CreateScript(kMainScriptObject, nullptr))
            std::abort();
        auto* objects = new TestObjectsManager(w);
        world->SetManager(kManagerObjects, objects);
        auto* hall = new SceneTestObject(w, 0, kObjectKindExploration, "hall", nullptr);
        hall->SetElements({"key", "lamp"});
        auto* study = new SceneTestObject(w, 1, kObjectKindSliding, "study", nullptr);
        study->SetElements({"drawer"});
        objects->Adopt({hall, study});
        if (Failed(objects->BuildNameIndex()))
            std::abort();
    }

    std::unique_ptr<CNimbrelWorld> world;
    CProfileManager* profiles = nullptr;
};

void Load(Game& game, const uint8_t* data, size_t size, uint8_t mismatched)
{
    std::vector<uint8_t> bytes(data, data + size);
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    ProfileSlot slot{};
    slot.chapterIndex = mismatched ? 1 : -1;
    slot.mismatched = mismatched;
    {
        UtilsStream_ChunkList list(&stream);
        game.profiles->LoadProfile(&slot, &list, 0, 0);
    }
    stream.Close();
    // Whatever the load left is a game that saves.
    UtilsStream_ChunkList saved(nullptr);
    if (Failed(game.profiles->SaveProfile(&slot, &saved)))
        std::abort();
    UTILS_FREE(slot.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Game game;
    Load(game, data, size, 0);
    Load(game, data, size, 1);
    return 0;
}
