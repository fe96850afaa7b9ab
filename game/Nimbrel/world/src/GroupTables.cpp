// The labels and item groups read at world load, their members resolved against the scene
// objects, and their lookups.
#include "NimbrelWorld/GroupTables.h"

#include <cstring>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsMemory.h"

CGroupTableBase::CGroupTableBase(WorldData* pWorldData, GroupTableKind kind, size_t recordSize,
                                 const char16_t* missingLog)
    : CManagedObject(pWorldData), m_kind(kind), m_recordSize(recordSize), m_missingLog(missingLog)
{
}

CGroupTableBase::~CGroupTableBase()
{
    Release();
}

CNimbrelWorld* CGroupTableBase::GetWorld() const
{
    // The world data's world is always the game world in this program.
    return m_pWorldData ? static_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
}

Status CGroupTableBase::Release()
{
    for (uint32_t i = 0; m_pRecords && i < m_count; ++i) {
        GroupRecord* record = Record(i);
        UTILS_FREE(record->pName);
        for (uint32_t m = 0; record->pMembers && m < record->memberCount; ++m)
            UTILS_FREE(record->pMembers[m].pRuntime);
        UTILS_FREE(record->pMembers);
    }
    UTILS_FREE(m_pRecords);
    UTILS_FREE(m_pSortedIndex);
    m_pRecords = nullptr;
    m_pSortedIndex = nullptr;
    m_count = 0;
    m_loaded = 0;
    return kStatusOk;
}

Status CGroupTableBase::LoadTable()
{
    Release();
    CNimbrelWorld* world = GetWorld();
    if (!m_pWorldData || !world)
        return kStatusFailed;
    GroupTable raw = {};
    Status status = world->ReadGroupTable(m_kind, m_missingLog, &raw);
    if (Failed(status))
        return status;
    if (raw.count != 0) {
        m_pRecords = static_cast<uint8_t*>(UTILS_CALLOC(raw.count, m_recordSize));
        if (!m_pRecords) {
            GroupTable_Free(&raw);
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    for (uint32_t i = 0; i < raw.count && Succeeded(status); ++i) {
        // Counted once begun: a failure leaves what was taken for Release.
        m_count = i + 1;
        status = TakeRecord(i, raw.pRecords[i]);
    }
    if (Succeeded(status)) {
        m_pSortedIndex = raw.pSortedIndex;
        raw.pSortedIndex = nullptr;
        m_loaded = 1;
    }
    GroupTable_Free(&raw);
    return status;
}

Status CGroupTableBase::TakeRecord(uint32_t i, GroupTableRecord& raw)
{
    GroupRecord* record = Record(i);
    record->pName = raw.pName;
    raw.pName = nullptr;
    TakeFields(i, raw);
    if (raw.memberCount == 0)
        return kStatusOk;
    record->pMembers = static_cast<GroupMember*>(UTILS_CALLOC(raw.memberCount, sizeof(GroupMember)));
    if (!record->pMembers) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    record->memberCount = raw.memberCount;
    CObjectsManager* objects = GetWorld()->GetObjectsManager();
    for (uint32_t m = 0; m < raw.memberCount; ++m) {
        int32_t level = -1, element = -1;
        // A member that names nothing of this construction makes the whole table wrong.
        if (!objects || Failed(objects->ResolveLevelReference(raw.ppMembers[m], &level, &element)))
            return kStatusFailed;
        record->pMembers[m] = GroupMember{0, nullptr, uint32_t(level), uint32_t(element)};
    }
    return kStatusOk;
}

int32_t CGroupTableBase::FindByName(const char* name) const
{
    return DichotomyList::Find(
        m_pSortedIndex, m_count, name,
        [](const void* context, uint32_t index) -> const char* {
            const auto* table = static_cast<const CGroupTableBase*>(context);
            return index < table->m_count ? table->Record(index)->pName : nullptr;
        },
        this);
}

CLabels::CLabels(WorldData* pWorldData)
    : CGroupTableBase(pWorldData, kGroupTableLabels, sizeof(LabelRecord),
                      u"# CLabels::LoadLabels failed! missing file \"%s\"\n")
{
}

void CLabels::TakeFields(uint32_t i, const GroupTableRecord& raw)
{
    LabelRecord* label = GetLabel(int32_t(i));
    label->word1 = raw.word1;
    label->word2 = raw.word2;
    label->byte1 = raw.byte1;
    label->byte2 = raw.byte2;
}

CGroups::CGroups(WorldData* pWorldData)
    : CGroupTableBase(pWorldData, kGroupTableItems, sizeof(GroupRecord),
                      u"# CGroups::LoadGroups failed! missing file \"%s\"\n")
{
}
