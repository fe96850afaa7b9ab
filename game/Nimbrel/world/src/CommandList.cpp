// A holder's list of command handles.
#include <cstring>

#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/WorldData.h"

CCommandList::~CCommandList()
{
    UTILS_FREE(m_pHandles);
}

Status CCommandList::Add(const CommandHandle& handle)
{
    for (uint32_t i = 0; i < m_count; ++i)
        if (m_pHandles[i].recordIndex == handle.recordIndex && m_pHandles[i].magicIndex == handle.magicIndex)
            return kStatusOk;
    void* grown = UTILS_REALLOC(m_pHandles, (m_count + 1u) * sizeof(CommandHandle));
    if (!grown) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    m_pHandles = static_cast<CommandHandle*>(grown);
    m_pHandles[m_count++] = handle;
    return kStatusOk;
}

void CCommandList::Clear()
{
    UTILS_FREE(m_pHandles);
    m_pHandles = nullptr;
    m_count = 0;
    ++m_clears;
}

Status CCommandList::RemoveKind(uint32_t kind, bool release)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CCommandListManager* manager = world ? world->GetCommandListManager() : nullptr;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < m_count; ++i) {
        const CommandHandle handle = m_pHandles[i];
        if (handle.kind != kind)
            m_pHandles[kept++] = handle;
        else if (release && manager)
            manager->RemoveCommandByIndex(handle.recordIndex, handle.magicIndex);
    }
    // A walk of BurnAll under way stops as after a clear: its indexes no longer hold.
    if (kept != m_count)
        ++m_clears;
    m_count = kept;
    return kStatusOk;
}

Status CCommandList::BurnAll(uint32_t event, int32_t a, int32_t b, int32_t c)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CCommandListManager* manager = world ? world->GetCommandListManager() : nullptr;
    if (!manager || m_burning)
        return kStatusOk;
    m_burning = 1;
    const uint32_t clears = m_clears;
    const uint32_t end = m_count;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < end; ++i) {
        // A copy: the target may grow the list (the array moves) while it is told.
        const CommandHandle handle = m_pHandles[i];
        const bool consumed = manager->OnBurnCommand(handle, event, a, b, c);
        if (m_clears != clears) {
            m_burning = 0;
            return kStatusOk;
        }
        if (!consumed)
            m_pHandles[kept++] = handle;
    }
    // Handles added during the walk follow the survivors.
    const uint32_t added = m_count - end;
    if (added)
        std::memmove(&m_pHandles[kept], &m_pHandles[end], added * sizeof(CommandHandle));
    m_count = kept + added;
    m_burning = 0;
    return kStatusOk;
}

Status CCommandList::Save(UtilsStream* pStream) const
{
    if (!pStream || !pStream->Write(&m_count, 4, 1))
        return kStatusFailed;
    for (uint32_t i = 0; i < m_count; ++i) {
        const CommandHandle& h = m_pHandles[i];
        const uint32_t words[5] = {h.recordIndex, h.kind, h.magicIndex, h.word3, h.word4};
        if (!pStream->Write(words, 4, 5))
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CCommandList::Load(UtilsStream* pStream)
{
    Clear();
    Init();
    uint32_t count = 0;
    if (!pStream || !pStream->Read(&count, 4, 1))
        return kStatusFailed;
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && count > left / kCommandHandleBytes)
        return kStatusFailed;
    if (!count)
        return kStatusOk;
    auto* handles = static_cast<CommandHandle*>(UTILS_CALLOC(count, sizeof(CommandHandle)));
    if (!handles) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t words[5];
        if (!pStream->Read(words, 4, 5)) {
            UTILS_FREE(handles);
            return kStatusFailed;
        }
        handles[i] = CommandHandle{words[1], words[0], words[2], words[3], words[4]};
    }
    m_pHandles = handles;
    m_count = count;
    return kStatusOk;
}
