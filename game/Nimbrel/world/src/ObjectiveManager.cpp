// The objective manager: the objectives and sub-objectives that scripts start, complete and
// reorder, the current one, and their profile chunk.
#include "NimbrelWorld/CObjectiveManager.h"

#include <new>

#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

// The saved fields of one record: u8 implicit, u8 done, u32 identifier, u32 order number.
constexpr uint32_t kSavedRecordBytes = 10;
// An objective adds its sub-objective count.
constexpr uint32_t kSavedObjectiveBytes = kSavedRecordBytes + 4;

bool ReadRecord(UtilsStream_Chunk* pChunk, ObjectiveRecord& r)
{
    return pChunk->Read(&r.implicit, 1, 1) && pChunk->Read(&r.done, 1, 1) && pChunk->Read(&r.identifier, 4, 1) &&
           pChunk->Read(&r.orderNumber, 4, 1);
}

bool WriteRecord(UtilsStream_Chunk* pChunk, const ObjectiveRecord& r)
{
    return pChunk->Write(&r.implicit, 1, 1) && pChunk->Write(&r.done, 1, 1) && pChunk->Write(&r.identifier, 4, 1) &&
           pChunk->Write(&r.orderNumber, 4, 1);
}

// A count is believed only when the chunk still holds that many records.
bool ReadCount(UtilsStream_Chunk* pChunk, uint32_t recordBytes, uint32_t* pCount)
{
    if (!pChunk->Read(pCount, 4, 1))
        return false;
    const int64_t left = pChunk->BytesLeft();
    return left < 0 || uint64_t(*pCount) * recordBytes <= uint64_t(left);
}

}  // namespace

CObjectiveManager::CObjectiveManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CObjectiveManager::~CObjectiveManager()
{
    Clear();
}

Status CObjectiveManager::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

void CObjectiveManager::FreeRecord(ObjectiveRecord* pRecord)
{
    if (CFIFOList* subs = pRecord->pSubObjectives) {
        for (void* p = subs->GetFirst(); p; p = subs->RemoveCurrent(0))
            delete static_cast<ObjectiveRecord*>(p);
        delete subs;
    }
    delete pRecord;
}

Status CObjectiveManager::Clear()
{
    for (void* p = m_objectives.GetFirst(); p; p = m_objectives.RemoveCurrent(0))
        FreeRecord(static_cast<ObjectiveRecord*>(p));
    OnObjectivesChanged();
    m_orderCounter = 0;
    return kStatusOk;
}

ObjectiveRecord* CObjectiveManager::Append(CFIFOList& list, const ObjectiveRecord& values)
{
    ObjectiveRecord* record = new (std::nothrow) ObjectiveRecord(values);
    if (record && Failed(list.Add(record, 1))) {
        delete record;
        record = nullptr;
    }
    if (!record)
        OutOfMemory();
    return record;
}

ObjectiveRecord* CObjectiveManager::AppendNew(CFIFOList& list, uint32_t identifier, uint8_t implicit, uint8_t done)
{
    ObjectiveRecord* record = Append(list, ObjectiveRecord{implicit, done, identifier, nullptr, m_orderCounter + 1});
    if (record)
        ++m_orderCounter;
    return record;
}

ObjectiveRecord* CObjectiveManager::Find(CFIFOList& list, uint32_t identifier)
{
    for (void* p = list.GetFirst(); p; p = list.GetNext())
        if (static_cast<ObjectiveRecord*>(p)->identifier == identifier)
            return static_cast<ObjectiveRecord*>(p);
    return nullptr;
}

ObjectiveRecord* CObjectiveManager::ObjectiveWithSubList(uint32_t identifier)
{
    ObjectiveRecord* objective = Find(m_objectives, identifier);
    if (!objective)
        objective = AppendNew(m_objectives, identifier, 1, 0);
    if (objective && !objective->pSubObjectives) {
        objective->pSubObjectives = new (std::nothrow) CFIFOList;
        if (!objective->pSubObjectives) {
            OutOfMemory();
            return nullptr;
        }
    }
    return objective;
}

Status CObjectiveManager::AddObjective(uint32_t identifier)
{
    if (ObjectiveRecord* objective = Find(m_objectives, identifier)) {
        if (!objective->done)
            PutObjectiveToTop(identifier);
        objective->implicit = 0;
        return kStatusOk;
    }
    if (!AppendNew(m_objectives, identifier, 0, 0))
        return kStatusOutOfMemory;
    OnObjectivesChanged();
    return kStatusOk;
}

Status CObjectiveManager::CompleteObjective(uint32_t identifier)
{
    ObjectiveRecord* objective = Find(m_objectives, identifier);
    if (!objective)
        return AppendNew(m_objectives, identifier, 0, 1) ? kStatusOk : kStatusOutOfMemory;
    objective->done = 1;
    if (CFIFOList* subs = objective->pSubObjectives)
        for (void* p = subs->GetFirst(); p; p = subs->GetNext()) {
            static_cast<ObjectiveRecord*>(p)->implicit = 0;
            static_cast<ObjectiveRecord*>(p)->done = 1;
        }
    OnObjectivesChanged();
    return kStatusOk;
}

Status CObjectiveManager::PutObjectiveToTop(uint32_t identifier)
{
    if (!Find(m_objectives, identifier))
        return kStatusFailed;
    m_objectives.MoveCurrentToTail();
    OnObjectivesChanged();
    return kStatusOk;
}

Status CObjectiveManager::AddSubObjective(uint32_t identifier, uint32_t subIdentifier)
{
    ObjectiveRecord* objective = ObjectiveWithSubList(identifier);
    if (!objective)
        return kStatusOutOfMemory;
    if (ObjectiveRecord* sub = Find(*objective->pSubObjectives, subIdentifier)) {
        if (!sub->done)
            PutSubObjectiveToTop(identifier, subIdentifier);
        return kStatusOk;
    }
    if (!AppendNew(*objective->pSubObjectives, subIdentifier, 0, 0))
        return kStatusOutOfMemory;
    OnObjectivesChanged();
    return kStatusOk;
}

Status CObjectiveManager::CompleteSubObjective(uint32_t identifier, uint32_t subIdentifier)
{
    ObjectiveRecord* objective = ObjectiveWithSubList(identifier);
    if (!objective)
        return kStatusOutOfMemory;
    if (ObjectiveRecord* sub = Find(*objective->pSubObjectives, subIdentifier))
        sub->done = 1;
    else if (!AppendNew(*objective->pSubObjectives, subIdentifier, 0, 1))
        return kStatusOutOfMemory;
    OnObjectivesChanged();
    return kStatusOk;
}

Status CObjectiveManager::PutSubObjectiveToTop(uint32_t identifier, uint32_t subIdentifier)
{
    ObjectiveRecord* objective = Find(m_objectives, identifier);
    if (!objective)
        return kStatusFailed;
    CFIFOList* subs = objective->pSubObjectives;
    if (!subs || !Find(*subs, subIdentifier))
        return kStatusOk;
    subs->MoveCurrentToTail();
    // Find left the objective's node current.
    m_objectives.MoveCurrentToTail();
    OnObjectivesChanged();
    return kStatusOk;
}

int32_t CObjectiveManager::GetCurrentObjective()
{
    for (void* p = m_objectives.GetLast(); p; p = m_objectives.GetPrevious()) {
        const ObjectiveRecord* objective = static_cast<ObjectiveRecord*>(p);
        if (objective->implicit || objective->done)
            continue;
        if (CFIFOList* subs = objective->pSubObjectives)
            for (void* s = subs->GetLast(); s; s = subs->GetPrevious())
                if (!static_cast<ObjectiveRecord*>(s)->done)
                    return int32_t(static_cast<ObjectiveRecord*>(s)->identifier);
        return int32_t(objective->identifier);
    }
    return -1;
}

Status CObjectiveManager::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    if (Failed(Clear()) || !pChunk)
        return kStatusFailed;
    uint32_t counter = 0, count = 0;
    if (!pChunk->Read(&counter, 4, 1) || !ReadCount(pChunk, kSavedObjectiveBytes, &count))
        return kStatusFailed;
    m_orderCounter = counter;
    for (uint32_t i = 0; i < count; ++i) {
        ObjectiveRecord values = {};
        if (!ReadRecord(pChunk, values))
            return kStatusFailed;
        ObjectiveRecord* objective = Append(m_objectives, values);
        if (!objective)
            return kStatusOutOfMemory;
        uint32_t subCount = 0;
        if (!ReadCount(pChunk, kSavedRecordBytes, &subCount))
            return kStatusFailed;
        if (subCount == 0)
            continue;
        objective->pSubObjectives = new (std::nothrow) CFIFOList;
        if (!objective->pSubObjectives)
            return OutOfMemory();
        for (uint32_t s = 0; s < subCount; ++s) {
            ObjectiveRecord sub = {};
            if (!ReadRecord(pChunk, sub))
                return kStatusFailed;
            // A sub-objective never has a list of its own.
            sub.pSubObjectives = nullptr;
            if (!Append(*objective->pSubObjectives, sub))
                return kStatusOutOfMemory;
        }
    }
    OnObjectivesChanged();
    return kStatusOk;
}

Status CObjectiveManager::SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pChunk)
{
    const uint32_t count = m_objectives.GetCount();
    if (!pChunk || !pChunk->Write(&m_orderCounter, 4, 1) || !pChunk->Write(&count, 4, 1))
        return kStatusFailed;
    for (void* p = m_objectives.GetFirst(); p; p = m_objectives.GetNext()) {
        const ObjectiveRecord* objective = static_cast<ObjectiveRecord*>(p);
        CFIFOList* subs = objective->pSubObjectives;
        const uint32_t subCount = subs ? subs->GetCount() : 0;
        if (!WriteRecord(pChunk, *objective) || !pChunk->Write(&subCount, 4, 1))
            return kStatusFailed;
        for (void* s = subs ? subs->GetFirst() : nullptr; s; s = subs->GetNext())
            if (!WriteRecord(pChunk, *static_cast<ObjectiveRecord*>(s)))
                return kStatusFailed;
    }
    return kStatusOk;
}
