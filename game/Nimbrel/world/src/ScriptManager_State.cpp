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

using namespace ChunkField;

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

ScriptSavedState::~ScriptSavedState()
{
    for (std::vector<ScriptHandlerEntry*>& handlers : contexts)
        for (ScriptHandlerEntry* entry : handlers)
            if (entry) {
                UTILS_FREE(entry->name);
                delete entry;
            }
}

Status CScriptManager::ReadSavedState(UtilsStream_Chunk* pChunk, ScriptSavedState* pOut)
{
    uint32_t contexts = 0;
    // Every context holds at least its handler count.
    if (!pChunk || !pOut || !Get(pChunk, &contexts) || static_cast<int64_t>(contexts) > pChunk->BytesLeft() / 4)
        return kStatusFailed;
    pOut->contexts.resize(contexts);
    for (std::vector<ScriptHandlerEntry*>& handlers : pOut->contexts) {
        uint32_t count = 0;
        // Every slot holds at least its present byte.
        if (!Get(pChunk, &count) || static_cast<int64_t>(count) > pChunk->BytesLeft())
            return kStatusFailed;
        handlers.assign(count, nullptr);
        for (ScriptHandlerEntry*& slot : handlers) {
            uint8_t present = 0;
            if (!Get(pChunk, &present))
                return kStatusFailed;
            if (!present)
                continue;
            slot = new (std::nothrow) ScriptHandlerEntry{nullptr, 0, 0, 0};
            if (!slot)
                return kStatusOutOfMemory;
            if (!Get(pChunk, &slot->persistent) || !Get(pChunk, &slot->flags) ||
                !pChunk->ReadStringA(&slot->name, true) || !slot->name)
                return kStatusFailed;
        }
    }
    uint32_t pending = 0;
    if (!Get(pChunk, &pending) || static_cast<int64_t>(pending) > pChunk->BytesLeft() / kPendingRecordBytes)
        return kStatusFailed;
    pOut->pending.resize(pending);
    for (ScriptPendingResult& record : pOut->pending) {
        record = ScriptPendingResult{0, 0, 0, 0, 0};
        // The queue's delivery indexes the contexts with it.
        if (!Get(pChunk, &record.contextIndex) || !Get(pChunk, &record.handlerIndex) || !Get(pChunk, &record.value) ||
            record.contextIndex >= contexts)
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CScriptManager::LoadState(UtilsStream_Chunk* pChunk)
{
    ClearHandlers();
    ScriptSavedState saved;
    const Status status = ReadSavedState(pChunk, &saved);
    if (status == kStatusOutOfMemory && m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    if (Failed(status))
        return status;
    // The game's objects, with their scripts, exist before a profile is loaded: a profile of
    // another number of objects cannot be matched to them.
    if (saved.contexts.size() != m_contexts.size())
        return kStatusFailed;
    for (size_t i = 0; i < m_contexts.size(); ++i) {
        // A context released during play keeps nothing.
        if (!m_contexts[i])
            continue;
        m_contexts[i]->handlers.swap(saved.contexts[i]);
        for (ScriptHandlerEntry* entry : m_contexts[i]->handlers)
            if (entry)
                entry->serial = ++m_serial;
    }
    // Queued before the next frame: its first update delivers them.
    for (const ScriptPendingResult& stored : saved.pending) {
        const Status queued = Enqueue(stored.contextIndex, stored.handlerIndex, stored.value);
        if (Failed(queued))
            return queued;
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
