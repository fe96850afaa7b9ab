// The script manager's chunk from any bytes (a chunk stream: the first chunk is the manager's),
// loaded into a manager of three contexts (the main script and two object scripts): a load
// either fails or leaves queued results that name one of the contexts, and what it left is
// delivered and saved again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelWorld/ProfileChunks.h"
#include "ScriptWorld.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

const char kMainSource[] = "var visits = 0;\nfunction OnStart() { visits = visits + 1; }\n";
const char kObjectSource[] = "var got = 0;\nfunction OnRun() { got = _waitClick(); got = got + _waitClick(); }\n";

Status WaitClick(void*, ScriptBuiltinCall&)
{
    return kStatusWait;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptWorld world;
    CScriptManager* scripts = world.Scripts();
    CScriptBaseKest* main = scripts->CreateScript(kMainScriptObject, nullptr);
    if (!main || LoadSource(main, kMainSource) < 0)
        std::abort();
    for (uint32_t number = 0; number < 2; ++number) {
        TestObject* object = world.AddObject(number);
        object->script = scripts->CreateScript(number, main);
        if (!object->script ||
            Failed(scripts->RegisterFunction(object->script, "int _waitClick()", "_waitClick", nullptr, WaitClick, 0)) ||
            LoadSource(object->script, kObjectSource) < 0)
            std::abort();
    }
    std::vector<uint8_t> bytes(data, data + size);
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    if (UtilsStream_Chunk* chunk = list.ReadFirst()) {
        const Status status = scripts->LoadState(chunk);
        if (status != kStatusOk && status != kStatusFailed)
            std::abort();
        if (status == kStatusOk && scripts->GetContextCount() != 3)
            std::abort();
        // Delivered twice: the results loaded, then those their calls queued.
        scripts->Update();
        scripts->Update();
        UtilsStream_ChunkList saved(nullptr);
        if (Failed(scripts->SaveState(&saved, saved.CreateChunk(kProfileTagScriptManager, nullptr))))
            std::abort();
    }
    stream.Close();
    return 0;
}
