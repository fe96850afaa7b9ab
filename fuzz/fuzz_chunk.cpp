// Tagged chunks from any bytes: every chunk of the stream and below is read and looked up by
// tag; a walk must always end. A stream read without a fault is written back byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size + 1));
    if (size != 0)
        std::memcpy(bytes, data, size);
    UtilsStream_Static stream(kStreamRead | kStreamGrowable, size != 0 ? bytes : nullptr, static_cast<uint32_t>(size));
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* first = list.ReadFirst();
    const Status status = list.ReadTree(first);
    for (uint32_t tag = 0; tag < 8; ++tag) {
        if (UtilsStream_Chunk* chunk = list.FindChunk(tag)) {
            uint8_t payload[64];
            chunk->Read(payload, 1, chunk->GetPayloadSize() < 64 ? chunk->GetPayloadSize() : 64);
            char* text = nullptr;
            if (chunk->ReadStringA(&text, true))
                UtilsFree(text, __FILE__, __LINE__);
        }
    }
    if (Succeeded(status)) {
        UtilsStream_Static copy(kStreamReadWriteGrowable, nullptr, 0);
        UtilsStream_ChunkList writer(&copy);
        FIFONode* saved = list.GetChunks().GetCurrentNode();
        bool ok = true;
        for (void* p = list.GetChunks().GetFirst(); p != nullptr && ok; p = list.GetChunks().GetNext())
            ok = static_cast<UtilsStream_Chunk*>(p)->WriteChunk(&copy, static_cast<uint32_t>(copy.Tell()));
        list.GetChunks().SetCurrentNode(saved);
        if (!ok || copy.GetSize() != size || (size != 0 && std::memcmp(copy.GetBlock(), data, size) != 0))
            std::abort();
    }
    std::free(bytes);
    return 0;
}
