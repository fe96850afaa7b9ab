// The command list manager: the records behind every command handle of the game.
#include <cstring>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/WorldData.h"

CCommandListManager::~CCommandListManager()
{
    UTILS_FREE(m_pRecords);
}

Status CCommandListManager::Unload()
{
    UTILS_FREE(m_pRecords);
    m_pRecords = nullptr;
    m_count = 0;
    return kStatusOk;
}

CCommandTarget* CCommandListManager::FindTarget(uint32_t target)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetCommandTarget(target) : nullptr;
}

void CCommandListManager::Free(uint32_t index)
{
    m_pRecords[index].magicIndex = 0;
}

Status CCommandListManager::AddCommand(uint32_t target, uint8_t keep, uint32_t kind, uint32_t event,
                                       uint32_t functionIndex, uint32_t word3, uint32_t word4,
                                       CommandHandle* pHandle)
{
    // The scan reports 0 when nothing is free, so a freed first record is never taken again.
    uint32_t index = 0;
    for (uint32_t i = m_count; i-- > 0;) {
        if (!m_pRecords[i].burning && m_pRecords[i].magicIndex == 0) {
            index = i;
            break;
        }
    }
    if (index == 0) {
        void* grown = UTILS_REALLOC(m_pRecords, (m_count + 1u) * sizeof(CommandRecord));
        if (!grown) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        m_pRecords = static_cast<CommandRecord*>(grown);
        index = m_count++;
    }
    CommandRecord& record = m_pRecords[index];
    record = CommandRecord{0, keep, m_nextMagicIndex, target, functionIndex, 0, kind, event};
    if (pHandle)
        *pHandle = CommandHandle{kind, index, m_nextMagicIndex, word3, word4};
    m_lastAdded = index;
    // 0 marks a free record: it is never handed out.
    if (++m_nextMagicIndex == 0)
        m_nextMagicIndex = 1;
    return kStatusOk;
}

Status CCommandListManager::RemoveLastCommand()
{
    if (m_lastAdded == 0 || m_lastAdded >= m_count)
        return kStatusFailed;
    CommandRecord& record = m_pRecords[m_lastAdded];
    if (record.burning || record.keep)
        return kStatusFailed;
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
        u"# CCommandListManager::RemoveLastCommand - magic_index = %d\n", record.magicIndex);
    Free(m_lastAdded);
    m_lastAdded = 0;
    return kStatusOk;
}

Status CCommandListManager::RemoveCommandByIndex(uint32_t recordIndex, uint32_t magicIndex)
{
    if (recordIndex >= m_count)
        return kStatusFailed;
    const CommandRecord& record = m_pRecords[recordIndex];
    if (record.burning || record.keep || record.magicIndex != magicIndex)
        return kStatusFailed;
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
        u"# CCommandListManager::RemoveCommandByIndex - magic_index = %d\n", record.magicIndex);
    Free(recordIndex);
    return kStatusOk;
}

Status CCommandListManager::RemoveCommandByFunctionIndex(uint32_t target, uint32_t kind, uint32_t event,
                                                         uint32_t functionIndex)
{
    for (uint32_t i = 0; i < m_count; ++i) {
        const CommandRecord& r = m_pRecords[i];
        if (r.magicIndex && !r.burning && !r.keep && r.target == target && r.kind == kind && r.event == event &&
            r.functionIndex == functionIndex)
            Free(i);
    }
    return kStatusOk;
}

Status CCommandListManager::RemoveObjectCommands(uint32_t target)
{
    for (uint32_t i = 0; i < m_count; ++i) {
        const CommandRecord& r = m_pRecords[i];
        if (r.magicIndex && !r.burning && !r.keep && r.target == target)
            Free(i);
    }
    return kStatusOk;
}

// A handle whose record was freed and taken again by another command locks nothing: its
// holder would otherwise free the newcomer's lock when it ends.
bool CCommandListManager::IsLive(const CommandHandle& handle) const
{
    return handle.recordIndex < m_count && m_pRecords[handle.recordIndex].magicIndex &&
           m_pRecords[handle.recordIndex].magicIndex == handle.magicIndex;
}

Status CCommandListManager::Lock(const CommandHandle& handle)
{
    if (IsLive(handle))
        ++m_pRecords[handle.recordIndex].lockCount;
    return kStatusOk;
}

Status CCommandListManager::Unlock(const CommandHandle& handle)
{
    if (IsLive(handle) && m_pRecords[handle.recordIndex].lockCount > 0)
        --m_pRecords[handle.recordIndex].lockCount;
    return kStatusOk;
}

bool CCommandListManager::OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a, int32_t b, int32_t c)
{
    const uint32_t index = handle.recordIndex;
    if (index >= m_count)
        return true;
    {
        const CommandRecord& record = m_pRecords[index];
        if (!record.magicIndex || record.burning || record.event != event || record.magicIndex != handle.magicIndex ||
            record.lockCount)
            return true;
    }
    m_pRecords[index].burning = 1;
    // A target that is no existing object takes the command without being told.
    CCommandTarget* target = FindTarget(m_pRecords[index].target);
    const bool taken = !target || target->OnBurnCommand(handle, event, a, b, c);
    // The target may have added records (the array moved) or released them all.
    if (index >= m_count)
        return taken;
    CommandRecord& record = m_pRecords[index];
    if (taken && record.functionIndex != kCommandNoFunction) {
        Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
            u"# CCommandListManager::OnBurnCommand - magic_index = %d\n", record.magicIndex);
        Free(index);
    }
    record.burning = 0;
    return taken;
}

Status CCommandListManager::Save(UtilsStream* pStream) const
{
    if (!pStream || !pStream->Write(&m_nextMagicIndex, 4, 1) || !pStream->Write(&m_lastAdded, 4, 1) ||
        !pStream->Write(&m_count, 4, 1))
        return kStatusFailed;
    for (uint32_t i = 0; i < m_count; ++i) {
        const CommandRecord& r = m_pRecords[i];
        const uint32_t words[6] = {r.magicIndex, r.target, r.functionIndex, r.lockCount, r.kind, r.event};
        if (!pStream->Write(&r.keep, 1, 1) || !pStream->Write(words, 4, 6))
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CCommandListManager::Load(UtilsStream* pStream)
{
    Unload();
    Init();
    uint32_t header[3] = {};
    if (!pStream || !pStream->Read(header, 4, 3))
        return kStatusFailed;
    const uint32_t count = header[2];
    // A count beyond the bytes left is damage, not a reason to allocate.
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && count > left / kCommandRecordBytes)
        return kStatusFailed;
    if (count) {
        auto* records = static_cast<CommandRecord*>(UTILS_CALLOC(count, sizeof(CommandRecord)));
        if (!records) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        for (uint32_t i = 0; i < count; ++i) {
            CommandRecord& r = records[i];
            uint32_t words[6];
            if (!pStream->Read(&r.keep, 1, 1) || !pStream->Read(words, 4, 6)) {
                UTILS_FREE(records);
                return kStatusFailed;
            }
            r = CommandRecord{0, r.keep, words[0], words[1], words[2], words[3], words[4], words[5]};
            // A live command reaches an object of this game.
            if (r.magicIndex && !SceneHasObject(m_pWorldData, r.target)) {
                UTILS_FREE(records);
                return kStatusFailed;
            }
        }
        m_pRecords = records;
        m_count = count;
    }
    // The first record is never the last added one, and 0 is never a magic index.
    m_nextMagicIndex = header[0] ? header[0] : 1;
    m_lastAdded = header[1] < m_count ? header[1] : 0;
    return kStatusOk;
}
