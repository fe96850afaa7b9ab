#include "NimbrelManagers/CTimedItems.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <new>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

// Frame steps are thirtieths of a second.
constexpr float kSecondsPerStep = 0.033333335f;

}  // namespace

float TimedItemRate(float seconds)
{
    return std::isnan(seconds) || seconds <= 0.0f ? FLT_MAX : 1.0f / seconds;
}

CTimedItem::CTimedItem(WorldData* pWorldData, uint32_t kind, uint32_t objectIndex, uint32_t elementIndex,
                       float seconds, const CommandHandle* pCommand)
    : CBaseObject(pWorldData), m_kind(kind), m_objectIndex(objectIndex), m_elementIndex(elementIndex),
      m_rate(TimedItemRate(seconds))
{
    if (pCommand)
        m_command = *pCommand;
}

Status CTimedItem::Start()
{
    if (HasCommand())
        if (CCommandListManager* commands = SceneCommands(m_pWorldData))
            commands->Lock(m_command);
    return kStatusOk;
}

void CTimedItem::Finish()
{
    FireCommand();
}

bool CTimedItem::IsValid()
{
    return Element() != nullptr;
}

ElementRecord* CTimedItem::Element()
{
    return SceneElementAt(m_pWorldData, m_objectIndex, m_elementIndex);
}

float CTimedItem::Step() const
{
    const float frameStep = m_pWorldData ? static_cast<float>(m_pWorldData->frameTime) : 0.0f;
    return frameStep * m_rate * kSecondsPerStep;
}

void CTimedItem::FireCommand()
{
    if (!HasCommand())
        return;
    const CommandHandle command = m_command;
    m_command = CommandHandle{};
    if (CCommandListManager* commands = SceneCommands(m_pWorldData)) {
        commands->Unlock(command);
        commands->OnBurnCommand(command, kCommandEventFade, 0, 0, -1);
    }
}

bool CTimedItem::ReadCommand(UtilsStream_Chunk* pChunk)
{
    return pChunk->Read(&m_command, 4, 5);
}

bool CTimedItem::WriteCommand(UtilsStream_Chunk* pChunk) const
{
    return pChunk->Write(&m_command, 4, 5);
}

void CTimedItem::Append(std::string& text, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (n > 0)
        text.append(line, std::min<size_t>(size_t(n), sizeof(line) - 1));
}

void CTimedItem::Describe(std::string& text) const
{
    Append(text, "object %u, element ", m_objectIndex);
    if (m_elementIndex == 0xFFFFFFFFu)
        text += "(whole object)";
    else
        Append(text, "%u", m_elementIndex);
    Append(text, ", %s, rate %g/s", m_done ? "done" : "running", double(m_rate));
    if (HasCommand())
        Append(text, ", command %u %u %u %u %u", m_command.kind, m_command.recordIndex, m_command.magicIndex,
               m_command.word3, m_command.word4);
}

// ---- the slot array -----------------------------------------------------------------------

CTimedItemManager::~CTimedItemManager()
{
    DropAll();
}

CTimedItem* CTimedItemManager::GetItem(uint32_t id) const
{
    return id >= 1 && id <= m_capacity ? m_ppItems[id - 1] : nullptr;
}

CTimedItem* CTimedItemManager::TakeSlot(uint32_t slot)
{
    CTimedItem* item = slot < m_capacity ? m_ppItems[slot] : nullptr;
    if (item) {
        m_ppItems[slot] = nullptr;
        --m_count;
    }
    return item;
}

uint32_t CTimedItemManager::AddItem(CTimedItem* pItem)
{
    if (!pItem)
        return 0;
    if (Failed(pItem->Start())) {
        pItem->Finish();
        delete pItem;
        return 0;
    }
    // A change of 0 seconds completes here; the manager's next update finishes it.
    pItem->Update();
    uint32_t slot = 0;
    while (slot < m_capacity && m_ppItems[slot])
        ++slot;
    if (slot == m_capacity) {
        auto* grown = static_cast<CTimedItem**>(UTILS_REALLOC(m_ppItems, (m_capacity + 1) * sizeof(CTimedItem*)));
        if (!grown) {
            pItem->Finish();
            delete pItem;
            return 0;
        }
        m_ppItems = grown;
        m_ppItems[m_capacity++] = nullptr;
    }
    m_ppItems[slot] = pItem;
    ++m_count;
    return slot + 1;
}

void CTimedItemManager::RemoveItem(uint32_t id)
{
    if (CTimedItem* item = id >= 1 ? TakeSlot(id - 1) : nullptr) {
        item->Finish();
        delete item;
    }
}

void CTimedItemManager::RemoveAll()
{
    for (uint32_t slot = 0; slot < m_capacity; ++slot)
        RemoveItem(slot + 1);
}

Status CTimedItemManager::Unload()
{
    RemoveAll();
    // What the last commands started goes without an end.
    DropAll();
    return kStatusOk;
}

void CTimedItemManager::Update()
{
    for (uint32_t slot = 0; slot < m_capacity; ++slot) {
        CTimedItem* item = m_ppItems[slot];
        if (!item || IsPaused(item) || !Failed(item->Update()))
            continue;
        if (TakeSlot(slot) == item) {
            item->Finish();
            delete item;
        }
    }
}

void CTimedItemManager::DropAll()
{
    for (uint32_t slot = 0; slot < m_capacity; ++slot)
        delete m_ppItems[slot];
    UTILS_FREE(m_ppItems);
    m_ppItems = nullptr;
    m_capacity = m_count = 0;
}

Status CTimedItemManager::SaveItemsToStream(UtilsStream_Chunk* pChunk)
{
    if (!pChunk || !pChunk->Write(&m_count, 4, 1) || !pChunk->Write(&m_capacity, 4, 1))
        return kStatusFailed;
    for (uint32_t slot = 0; slot < m_capacity; ++slot) {
        CTimedItem* item = m_ppItems[slot];
        const uint32_t kind = item ? item->GetKind() : 0;
        if (!pChunk->Write(&kind, 4, 1) || (item && !item->SaveToStream(pChunk)))
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CTimedItemManager::LoadItemsFromStream(UtilsStream_Chunk* pChunk, uint8_t attach)
{
    DropAll();
    uint32_t count = 0, capacity = 0;
    if (!pChunk || !pChunk->Read(&count, 4, 1) || !pChunk->Read(&capacity, 4, 1))
        return kStatusFailed;
    // Every slot holds at least its kind word.
    const int64_t left = pChunk->BytesLeft();
    if (left >= 0 && static_cast<int64_t>(capacity) > left / 4)
        return kStatusFailed;
    if (capacity) {
        m_ppItems = static_cast<CTimedItem**>(UTILS_CALLOC(capacity, sizeof(CTimedItem*)));
        if (!m_ppItems) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        m_capacity = capacity;
    }
    // The stored count is not trusted: the live items are counted as they are read.
    for (uint32_t slot = 0; slot < capacity; ++slot) {
        uint32_t kind = 0;
        if (!pChunk->Read(&kind, 4, 1)) {
            DropAll();
            return kStatusFailed;
        }
        if (kind == 0)
            continue;
        CTimedItem* item = NewItem(kind);
        const bool ok = item && item->LoadFromStream(pChunk) && (!attach || item->Attach());
        if (!ok) {
            delete item;
            DropAll();
            return kStatusFailed;
        }
        m_ppItems[slot] = item;
        ++m_count;
    }
    return kStatusOk;
}

void CTimedItemManager::DescribeItems(std::string& text) const
{
    for (uint32_t slot = 0; slot < m_capacity; ++slot)
        if (const CTimedItem* item = m_ppItems[slot]) {
            CTimedItem::Append(text, "\n  item %u: kind %u, ", slot + 1, item->GetKind());
            item->Describe(text);
        }
}
