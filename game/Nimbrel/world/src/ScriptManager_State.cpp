// The script manager's chunk in the player's profile: every context's handler entries, the
// queued results and, below it, the main script's globals and running calls. Loaded back, the
// suspended calls continue where they stopped when their waits end.
#include <new>

#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/WorldData.h"

namespace {

// Each stored pending record: context index, handler index, value.
constexpr int64_t kPendingRecordBytes = 12;

template <typename T>
bool Put(UtilsStream_Chunk* chunk, const T& value)
{
    return chunk->Write(&value, sizeof(T), 1);
}

template <typename T>
bool Get(UtilsStream_Chunk* chunk, T* value)
{
    return chunk->Read(value, sizeof(T), 1);
}

}  // namespace

Status CScriptManager::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (!pList || !pChunk || !Put(pChunk, GetContextCount()))
        return kStatusFailed;
    for (const ScriptContext* context : m_contexts) {
        // A context released during play has no handlers to keep.
        const uint32_t count = context ? static_cast<uint32_t>(context->handlers.size()) : 0;
        if (!Put(pChunk, count))
            return kStatusFailed;
        for (uint32_t i = 0; i < count; ++i) {
            const ScriptHandlerEntry* entry = context->handlers[i];
            const uint8_t present = entry != nullptr;
            if (!Put(pChunk, present))
                return kStatusFailed;
            if (entry && !(Put(pChunk, entry->persistent) && Put(pChunk, entry->flags) &&
                           pChunk->WriteStringA(entry->name, true)))
                return kStatusFailed;
        }
    }
    if (!Put(pChunk, m_pending.GetCount()))
        return kStatusFailed;
    // The queue's cursor may belong to a delivery in progress: it is put back.
    FIFONode* cursor = m_pending.GetCurrentNode();
    bool ok = true;
    for (void* p = m_pending.GetFirst(); p && ok; p = m_pending.GetNext()) {
        const auto* record = static_cast<const ScriptPendingResult*>(p);
        ok = Put(pChunk, record->contextIndex) && Put(pChunk, record->handlerIndex) && Put(pChunk, record->value);
    }
    m_pending.SetCurrentNode(cursor);
    if (!ok)
        return kStatusFailed;
    if (!m_pMainScript)
        return kStatusOk;
    UtilsStream_Chunk* main = pList->CreateChunk(kProfileTagMainScript, pChunk);
    if (!main)
        return kStatusFailed;
    ChunkStream stream(main);
    return Failed(m_pMainScript->SaveGlobals(&stream)) || Failed(m_pMainScript->SaveRunState(&stream))
               ? kStatusFailed
               : kStatusOk;
}

Status CScriptManager::LoadHandlers(UtilsStream_Chunk* pChunk, ScriptContext* context)
{
    uint32_t count = 0;
    // Every slot holds at least its present byte: a count beyond the bytes left is damage.
    if (!Get(pChunk, &count) || static_cast<int64_t>(count) > pChunk->BytesLeft())
        return kStatusFailed;
    if (context)
        context->handlers.assign(count, nullptr);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t present = 0;
        if (!Get(pChunk, &present))
            return kStatusFailed;
        if (!present)
            continue;
        auto* entry = new (std::nothrow) ScriptHandlerEntry{nullptr, 0, 0, 0};
        if (!entry) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        // Stored in its slot at once, so that a failure below frees it with the others.
        if (context)
            context->handlers[i] = entry;
        const bool ok = Get(pChunk, &entry->persistent) && Get(pChunk, &entry->flags) &&
                        pChunk->ReadStringA(&entry->name, true) && entry->name;
        entry->serial = ++m_serial;
        if (!context) {
            UTILS_FREE(entry->name);
            delete entry;
        }
        if (!ok)
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CScriptManager::LoadState(UtilsStream_Chunk* pChunk)
{
    ClearHandlers();
    uint32_t contexts = 0;
    // The game's objects, with their scripts, exist before a profile is loaded: a profile of
    // another number of objects cannot be matched to them.
    if (!pChunk || !Get(pChunk, &contexts) || contexts != GetContextCount())
        return kStatusFailed;
    for (ScriptContext* context : m_contexts) {
        const Status status = LoadHandlers(pChunk, context);
        if (Failed(status))
            return status;
    }
    uint32_t pending = 0;
    if (!Get(pChunk, &pending) || static_cast<int64_t>(pending) > pChunk->BytesLeft() / kPendingRecordBytes)
        return kStatusFailed;
    for (uint32_t i = 0; i < pending; ++i) {
        uint32_t words[3] = {};
        if (!pChunk->Read(words, 4, 3) || words[0] >= contexts)
            return kStatusFailed;
        auto* record = new (std::nothrow) ScriptPendingResult{0, words[0], words[1], words[2], 0};
        if (!record || Failed(m_pending.Add(record, 0))) {
            delete record;
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        // Queued before the next frame: its first update delivers it.
        record->serial = ++m_serial;
    }
    for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child; child = pChunk->ReadNextChild()) {
        if (child->GetTag() != kProfileTagMainScript)
            continue;
        ChunkStream stream(child);
        if (!m_pMainScript || Failed(m_pMainScript->LoadGlobals(&stream)) ||
            Failed(m_pMainScript->LoadRunState(&stream)))
            return kStatusFailed;
    }
    return Failed(pChunk->GetLastReadStatus()) ? kStatusFailed : kStatusOk;
}
