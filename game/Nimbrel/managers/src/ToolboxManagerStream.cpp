// The tool box manager in the profile: chunk 80000 (press flag, command list) with the panel
// (80001) and the queued requests (80002). Kinds, counts and object indexes are checked against
// the bytes left and the live object table before anything is kept.
#include "NimbrelManagers/CToolboxManager.h"

#include <new>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

using namespace ChunkField;

namespace {

// The bytes of the smallest stored request: kind, four words, the flag and two empty texts.
constexpr int64_t kRequestBytes = 1 + 16 + 1 + 8;

}  // namespace

Status CToolboxManager::SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream)
{
    if (!pList || !pStream || !m_pCommands)
        return kStatusFailed;
    ChunkStream commands(pStream);
    if (!Put(pStream, m_pressTaken) || Failed(m_pCommands->Save(&commands)))
        return kStatusFailed;
    UtilsStream_Chunk* panel = pList->CreateChunk(kProfileTagToolboxPanel, pStream);
    if (!panel || !Put(panel, m_caller) || !Put(panel, m_element) || !Put(panel, m_state) || !Put(panel, m_alpha) ||
        !panel->WriteString(m_pSavedText, false) || !panel->Write(m_savedWords, 4, 4))
        return kStatusFailed;
    UtilsStream_Chunk* queue = pList->CreateChunk(kProfileTagToolboxQueue, pStream);
    return queue ? SaveQueue(queue) : kStatusFailed;
}

Status CToolboxManager::SaveQueue(UtilsStream_Chunk* c)
{
    bool ok = Put(c, m_queue.GetCount());
    for (void* item = m_queue.GetFirst(); ok && item; item = m_queue.GetNext()) {
        const auto* r = static_cast<const CToolboxRequest*>(item);
        ok = Put(c, r->kind) && Put(c, r->interfaceObject) && Put(c, r->callerObject) && Put(c, r->waitFunction) &&
             Put(c, r->extra) && Put(c, r->noWait) && c->WriteStringA(r->pFirst, false) &&
             c->WriteStringA(r->pSecond, false);
    }
    return ok ? kStatusOk : kStatusFailed;
}

Status CToolboxManager::LoadFromStream(UtilsStream_Chunk* pStream)
{
    // Nothing shown and nothing queued, unless the chunk says so.
    m_state = kToolboxIdle;
    m_caller = m_element = -1;
    m_alpha = 0.0f;
    ClearEntries();
    UTILS_FREE(m_pSavedText);
    m_pSavedText = nullptr;
    if (!pStream || !m_pCommands)
        return kStatusFailed;
    ChunkStream commands(pStream);
    if (!Get(pStream, &m_pressTaken) || Failed(m_pCommands->Load(&commands)) || Failed(pStream->ReadAllChildren()))
        return kStatusFailed;
    if (UtilsStream_Chunk* panel = pStream->FindChunk(kProfileTagToolboxPanel)) {
        int32_t caller = -1, element = -1;
        uint32_t state = kToolboxIdle;
        float alpha = 0.0f;
        char16_t* text = nullptr;
        uint32_t words[4] = {};
        const bool ok = Get(panel, &caller) && Get(panel, &element) && Get(panel, &state) && Get(panel, &alpha) &&
                        panel->ReadString(&text, false) && panel->Read(words, 4, 4);
        // A panel state, and a caller the scene has (or none).
        const bool known = caller == -1 || (caller >= 0 && SceneHasObject(m_pWorldData, uint32_t(caller)));
        if (!ok || state > kToolboxIdle || !known || !(alpha >= 0.0f && alpha <= 1.0f)) {
            UTILS_FREE(text);
            return kStatusFailed;
        }
        m_caller = state == kToolboxIdle ? -1 : caller;
        m_element = element;
        m_state = state;
        m_alpha = alpha;
        m_pSavedText = text;
        for (int i = 0; i < 4; ++i)
            m_savedWords[i] = words[i];
    }
    UtilsStream_Chunk* queue = pStream->FindChunk(kProfileTagToolboxQueue);
    if (queue && Failed(LoadQueue(queue))) {
        ClearEntries();
        m_state = kToolboxIdle;
        m_caller = m_element = -1;
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CToolboxManager::LoadQueue(UtilsStream_Chunk* c)
{
    uint32_t count = 0;
    if (!Get(c, &count) || count > c->BytesLeft() / kRequestBytes)
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i) {
        auto* r = new (std::nothrow) CToolboxRequest();
        if (!r)
            return OutOfMemory();
        const bool ok = Get(c, &r->kind) && Get(c, &r->interfaceObject) && Get(c, &r->callerObject) &&
                        Get(c, &r->waitFunction) && Get(c, &r->extra) && Get(c, &r->noWait) &&
                        c->ReadStringA(&r->pFirst, false) && c->ReadStringA(&r->pSecond, false);
        const bool valid = ok && r->kind <= kToolboxMessage && SceneHasObject(m_pWorldData, r->interfaceObject) &&
                           SceneHasObject(m_pWorldData, r->callerObject);
        if (!valid || Failed(m_queue.Add(r, 0))) {
            delete r;
            return kStatusFailed;
        }
    }
    return kStatusOk;
}
