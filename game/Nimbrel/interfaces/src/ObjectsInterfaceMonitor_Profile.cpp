// The score monitor's saved state, behind the scene object's: the monitor element and one record
// per level object. The read trusts nothing: the record count must be the scene's, a type within
// the table, and every text ends within its 32 characters.
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

bool Put(UtilsStream_Chunk* pChunk, uint32_t value) { return pChunk->Write(&value, 4, 1); }
bool Get(UtilsStream_Chunk* pChunk, uint32_t* pValue) { return pChunk->Read(pValue, 4, 1); }

}  // namespace

Status CObjectsInterfaceMonitor::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::SaveState(pList, pChunk)) || !pChunk)
        return kStatusFailed;
    return SaveMonitorState(pChunk);
}

Status CObjectsInterfaceMonitor::SaveMonitorState(UtilsStream_Chunk* pChunk)
{
    bool ok = Put(pChunk, uint32_t(m_monitorElement)) && Put(pChunk, m_recordCount);
    for (uint32_t i = 0; ok && i < m_recordCount; ++i) {
        const MonitorRecord* record = m_ppRecords[i];
        const uint8_t present = record ? 1 : 0;
        ok = pChunk->Write(&present, 1, 1);
        if (ok && record)
            ok = pChunk->Write(&record->value, 4, 1) && pChunk->Write(&record->maximum, 4, 1) &&
                 pChunk->Write(&record->minimum, 4, 1) && pChunk->WriteStringA(record->pCallback, false) &&
                 Put(pChunk, record->displayType) && pChunk->Write(record->text, 2, kMonitorTextLength);
    }
    return ok ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceMonitor::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::LoadFromProfile(pChunk)))
        return kStatusFailed;
    return LoadMonitorState(pChunk);
}

Status CObjectsInterfaceMonitor::LoadMonitorState(UtilsStream_Chunk* pChunk)
{
    FreeRecords();
    uint32_t element = 0, count = 0;
    if (!pChunk || !Get(pChunk, &element) || !Get(pChunk, &count))
        return kStatusFailed;
    // One record per object of the scene, or none yet; the element is one of the monitor's.
    const bool elementFits = element == 0xFFFFFFFFu || element < m_elementCount;
    if (!elementFits || (count != 0 && count != SceneObjectCount()) || count > pChunk->BytesLeft())
        return kStatusFailed;
    if (count) {
        m_ppRecords = static_cast<MonitorRecord**>(UTILS_CALLOC(count, sizeof(MonitorRecord*)));
        if (!m_ppRecords)
            return OutOfMemory();
        m_recordCount = count;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t present = 0;
        if (!pChunk->Read(&present, 1, 1) || present > 1) {
            FreeRecords();
            return kStatusFailed;
        }
        if (!present)
            continue;
        auto* record = static_cast<MonitorRecord*>(UTILS_CALLOC(1, sizeof(MonitorRecord)));
        if (!record) {
            FreeRecords();
            return OutOfMemory();
        }
        m_ppRecords[i] = record;
        const bool ok = pChunk->Read(&record->value, 4, 1) && pChunk->Read(&record->maximum, 4, 1) &&
                        pChunk->Read(&record->minimum, 4, 1) && pChunk->ReadStringA(&record->pCallback, false) &&
                        Get(pChunk, &record->displayType) && record->displayType <= kMonitorNothing &&
                        pChunk->Read(record->text, 2, kMonitorTextLength);
        if (!ok) {
            FreeRecords();
            return kStatusFailed;
        }
        record->text[kMonitorTextLength - 1] = 0;
        record->lastScore = record->value;
    }
    m_monitorElement = int32_t(element);
    return kStatusOk;
}
