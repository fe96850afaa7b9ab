// A level kind's own state from any bytes, behind a sound scene-object part, loaded into the
// test kind of three elements: the load either fails with every field at its fresh value or
// leaves fields that fit the object, and whatever it left saves again.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "LevelProbe.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/GameData.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kElements = 3;
// The kind's fields: counter, item, target and two marks (32-bit), paused and solved (bytes).
constexpr size_t kKindStateSize = 5 * 4 + 2;

class CFuzzProbe : public CObjectsLevelProbe {
public:
    explicit CFuzzProbe(WorldData* w) : CObjectsLevelProbe(w, 0, 0)
    {
        m_pElements = AllocElements(kElements);
        if (!m_pElements)
            std::abort();
        m_elementCount = kElements;
        for (uint32_t i = 0; i < kElements; ++i)
            ResetElement(GetItemRecord(i));
    }

    // The object chunk's payload as it saves.
    std::vector<uint8_t> Saved()
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagObject, nullptr);
        if (Failed(SaveToProfile(&list, chunk)))
            std::abort();
        const UtilsStream_Static* inner = chunk->GetInnerStream();
        std::vector<uint8_t> bytes(inner->GetBlock(), inner->GetBlock() + inner->GetSize());
        stream.Close();
        return bytes;
    }

    bool Fresh() const
    {
        return Counter() == 0 && Item() == -1 && Target() == 1 && Marks()[0] == 0 && Marks()[1] == 0 &&
               !IsPaused() && !IsSolved();
    }
    bool Fits() { return StateFits(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = std::make_unique<WorldData>();
    GameData* game = GameDataCreate();
    world->pGame = game;
    {
        CFuzzProbe probe(world.get());
        // The scene object's part of a fresh level, then the input as the kind's part.
        std::vector<uint8_t> payload = probe.Saved();
        payload.resize(payload.size() - kKindStateSize);
        payload.insert(payload.end(), data, data + size);
        UtilsStream_Chunk chunk(kProfileTagObject);
        chunk.Open(kStreamReadWriteGrowable);
        chunk.Write(payload.data(), 1, uint32_t(payload.size()));
        chunk.Rewind();
        const Status status = probe.LoadFromProfile(&chunk);
        if ((Failed(status) && !probe.Fresh()) || !probe.Fits())
            std::abort();
        probe.Saved();
    }
    GameDataFree(game);
    return 0;
}
