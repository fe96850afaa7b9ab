// The object and element chunks of a profile from any bytes, loaded into a level of two
// elements ("door" with positions, scales and an animation, "key" with none): a load either
// fails or leaves every index inside the object, and whatever it left saves again.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/GameData.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

std::vector<uint8_t> g_elementInfo;

Status FindElementInfo(WorldData* w, const char16_t*)
{
    w->staticResource.pAddress = g_elementInfo.data();
    w->staticResource.size = uint32_t(g_elementInfo.size());
    return kStatusOk;
}

// The two elements' file, written once.
void MakeElementInfo()
{
    ElementRecord elements[2];
    char door[] = "door", key[] = "key", open[] = "open";
    NamedPosition positions[2] = {{0, 0, 0, nullptr}, {1, 2, 3, open}};
    NamedValue scales[2] = {{1.0f, nullptr}, {2.0f, nullptr}};
    AnimationTrack swing = {2, 0, 0, 0, 0, nullptr};
    for (uint32_t i = 0; i < 2; ++i) {
        CObjectsBase::ResetElement(&elements[i]);
        elements[i].drawSlot = i;
    }
    elements[0].pName = door;
    elements[0].pPositions = positions;
    elements[0].positionCount = 2;
    elements[0].pScales = scales;
    elements[0].scaleCount = 2;
    elements[0].pTracks = &swing;
    elements[0].trackCount = 1;
    elements[1].pName = key;
    const uint32_t nameIndex[2] = {0, 1};
    const uint8_t variants[1] = {1};
    ElementInfoView view = {};
    view.pName = "hall";
    view.pElements = elements;
    view.elementStride = sizeof(ElementRecord);
    view.elementCount = 2;
    view.pNameIndex = nameIndex;
    view.pPositions = positions;
    view.positionCount = 2;
    view.pVariants = variants;
    view.variantCount = 1;
    view.firstMark = view.lastMark = -1;
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    if (Failed(WriteElementInfo(&stream, view)))
        std::abort();
    g_elementInfo.assign(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
    stream.Close();
}

void CheckIndexes(CObjectsBase& object)
{
    for (uint32_t i = 0; i < object.GetElementCount(); ++i) {
        const ElementRecord& e = *object.GetItemRecord(i);
        const auto fits = [&](int32_t index) { return index == -1 || (index >= 0 && uint32_t(index) < object.GetElementCount()); };
        if ((e.positionCount && e.positionIndex >= e.positionCount) || (e.scaleCount && e.scaleIndex >= e.scaleCount) ||
            (e.trackCount && e.currentTrack >= e.trackCount) || !fits(e.drawSlotOverride) ||
            !fits(e.dragParameters[0]) || !fits(e.dragParameters[1]) || object.GetDrawSlotElement(i) >= object.GetElementCount())
            std::abort();
    }
}

void SaveAgain(CObjectsBase& object, uint32_t tag, uint32_t element)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.CreateChunk(tag, nullptr);
    const Status status = tag == kProfileTagObject
                              ? object.SaveToProfile(&list, chunk)
                              : object.SaveElementToProfile(&list, chunk, object.GetItemRecord(element));
    if (Failed(status) || !list.WriteAll())
        std::abort();
    stream.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = std::make_unique<WorldData>();
    GameData* game = GameDataCreate();
    world->pGame = game;
    world->pfnStaticLocator = FindElementInfo;
    game->modeWord = kResourceSourceProgram;
    if (g_elementInfo.empty())
        MakeElementInfo();
    {
        CObjectsLevelExploration object(world.get(), 1, 0);
        if (Failed(object.BuildFromRaw(u"Nimbrel_object_1.raw")))
            std::abort();
        std::vector<uint8_t> bytes(data, data + size);
        UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        // Every chunk of the input: object chunks load into the object, the others into the
        // element their position names.
        uint32_t n = 0;
        for (UtilsStream_Chunk* chunk = list.ReadFirst(); chunk; chunk = list.ReadNext(), ++n) {
            const uint32_t element = n % 2;
            if (chunk->GetTag() == kProfileTagObject) {
                object.LoadFromProfile(chunk);
                SaveAgain(object, kProfileTagObject, 0);
            } else {
                object.LoadElementFromProfile(chunk, object.GetItemRecord(element));
                SaveAgain(object, kProfileTagElement, element);
            }
            CheckIndexes(object);
        }
        stream.Close();
    }
    GameDataFree(game);
    return 0;
}
