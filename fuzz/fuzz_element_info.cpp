// Element-info files from any bytes, read as a file stored in the program: a read either
// fails and leaves no elements, or gives an object whose lookups stay inside it and which is
// written back to bytes that read again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::vector<uint8_t>* g_pBytes = nullptr;

Status FindFuzzData(WorldData* w, const char16_t*)
{
    w->staticResource.pAddress = g_pBytes->data();
    w->staticResource.size = uint32_t(g_pBytes->size());
    return kStatusOk;
}

std::vector<uint8_t> Write(CObjectsBase& object)
{
    std::vector<const char*> sounds;
    CFIFOList& list = object.GetSoundList();
    for (void* name = list.GetFirst(); name; name = list.GetNext())
        sounds.push_back(static_cast<const char*>(name));
    ElementInfoView view = object.GetElementInfoView();
    view.ppSounds = sounds.data();
    view.soundCount = uint32_t(sounds.size());
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    if (Failed(WriteElementInfo(&stream, view)))
        std::abort();
    std::vector<uint8_t> bytes(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
    stream.Close();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = std::make_unique<WorldData>();
    GameData* game = GameDataCreate();
    world->pGame = game;
    world->pfnStaticLocator = FindFuzzData;
    game->modeWord = kResourceSourceProgram;
    std::vector<uint8_t> bytes(data, data + size);
    g_pBytes = &bytes;
    {
        CObjectsLevelExploration object(world.get(), 1, 0);
        const Status status = object.BuildFromRaw(u"Nimbrel_object_1.raw");
        if (Failed(status) && object.GetElementCount() != 0)
            std::abort();
        if (Succeeded(status)) {
            for (uint32_t i = 0; i < object.GetElementCount(); ++i) {
                const ElementRecord& element = *object.GetItemRecord(i);
                if (object.FindElementByName(element.pName) != int32_t(i) || object.GetDrawSlotElement(i) >= object.GetElementCount())
                    std::abort();
                object.FindElementPosition(i, "default");
            }
            object.UpdateElementRange();
            float x, y, z;
            object.GetPosition(&x, &y, &z);
            std::vector<uint8_t> written = Write(object);
            CObjectsLevelExploration again(world.get(), 1, 0);
            g_pBytes = &written;
            if (Failed(again.BuildFromRaw(u"Nimbrel_object_1.raw")) || Write(again) != written)
                std::abort();
        }
        // A second build over whatever the first left.
        g_pBytes = &bytes;
        object.BuildFromRaw(u"Nimbrel_object_1.raw");
    }
    GameDataFree(game);
    return 0;
}
