// The items list's saved state, behind the scene object's: the check-mark target, the shown
// level and every level's list with its entries, order, other items, pages and command. The
// read trusts nothing: counts against the bytes left, the order as a permutation, pages inside
// the order, states and element ids in range; a damaged state leaves no list at all.
#include <cstring>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

// Bytes of an entry without its copies, of a copy, of a page without its centres, of a centre.
constexpr uint32_t kEntryBytes = 7 * 4;
constexpr uint32_t kCopyBytes = 2 * 4;
constexpr uint32_t kPageBytes = 6 * 4;
constexpr uint32_t kCentreBytes = 3 * 4;

bool Put(UtilsStream_Chunk* pChunk, uint32_t value) { return pChunk->Write(&value, 4, 1); }
bool Put(UtilsStream_Chunk* pChunk, int32_t value) { return pChunk->Write(&value, 4, 1); }
bool Get(UtilsStream_Chunk* pChunk, uint32_t* pValue) { return pChunk->Read(pValue, 4, 1); }

bool SaveEntries(UtilsStream_Chunk* pChunk, const ItemsListEntry* pEntries, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const ItemsListEntry& e = pEntries[i];
        if (!Put(pChunk, e.state) || !pChunk->Write(&e.alpha, 4, 1) || !pChunk->Write(&e.dim, 4, 1) ||
            !Put(pChunk, e.element) || !Put(pChunk, e.flags) || !Put(pChunk, e.memberCount) ||
            !Put(pChunk, e.remaining))
            return false;
        for (uint32_t m = 0; m < e.memberCount; ++m)
            if (!Put(pChunk, e.pMembers[m].element) || !Put(pChunk, e.pMembers[m].flags))
                return false;
    }
    return true;
}

// What a read found: kStatusFailed (damaged) or kStatusOutOfMemory.
struct Reader {
    UtilsStream_Chunk* chunk;
    uint32_t elementCount;   // ids must stay below it
    Status failure = kStatusOk;

    bool Fail(Status status)
    {
        if (failure == kStatusOk)
            failure = status;
        return false;
    }
    bool Word(uint32_t* pValue) { return Get(chunk, pValue) || Fail(kStatusFailed); }
    // A count of records of `bytes` each that the chunk can still hold.
    bool Count(uint32_t* pCount, uint32_t bytes)
    {
        return (Word(pCount) && *pCount <= chunk->BytesLeft() / bytes) || Fail(kStatusFailed);
    }
    bool Id(uint32_t id) { return id < elementCount || Fail(kStatusFailed); }

    bool Entries(ItemsListEntry** ppEntries, uint32_t count)
    {
        *ppEntries = static_cast<ItemsListEntry*>(UTILS_CALLOC(count ? count : 1, sizeof(ItemsListEntry)));
        if (!*ppEntries)
            return Fail(kStatusOutOfMemory);
        for (uint32_t i = 0; i < count; ++i) {
            ItemsListEntry& e = (*ppEntries)[i];
            if (!Word(&e.state) || !chunk->Read(&e.alpha, 4, 1) || !chunk->Read(&e.dim, 4, 1) || !Word(&e.element) ||
                !Word(&e.flags) || !Count(&e.memberCount, kCopyBytes) || !Word(&e.remaining))
                return Fail(kStatusFailed);
            if (e.state > kEntryFound || !Id(e.element) || e.remaining > e.memberCount + 1)
                return Fail(kStatusFailed);
            if (e.memberCount) {
                e.pMembers = static_cast<ItemsListCopy*>(UTILS_CALLOC(e.memberCount, sizeof(ItemsListCopy)));
                if (!e.pMembers) {
                    e.memberCount = 0;
                    return Fail(kStatusOutOfMemory);
                }
            }
            for (uint32_t m = 0; m < e.memberCount; ++m)
                if (!Word(&e.pMembers[m].element) || !Word(&e.pMembers[m].flags) || !Id(e.pMembers[m].element))
                    return false;
        }
        return true;
    }

    bool Order(ItemsList& list)
    {
        const uint32_t n = list.entryCount;
        list.pOrder = static_cast<uint32_t*>(UTILS_CALLOC(n ? n : 1, sizeof(uint32_t)));
        if (!list.pOrder)
            return Fail(kStatusOutOfMemory);
        if (n && !chunk->Read(list.pOrder, 4, n))
            return Fail(kStatusFailed);
        std::vector<uint8_t> seen(n, 0);
        for (uint32_t i = 0; i < n; ++i) {
            if (list.pOrder[i] >= n || seen[list.pOrder[i]])
                return Fail(kStatusFailed);
            seen[list.pOrder[i]] = 1;
        }
        return true;
    }

    bool Pages(ItemsList& list)
    {
        uint32_t count = 0;
        if (!Count(&count, kPageBytes))
            return false;
        list.pPages = static_cast<ItemsListPage*>(UTILS_CALLOC(count ? count : 1, sizeof(ItemsListPage)));
        if (!list.pPages)
            return Fail(kStatusOutOfMemory);
        list.pageCount = count;
        for (uint32_t p = 0; p < count; ++p) {
            ItemsListPage& page = list.pPages[p];
            if (!Word(&page.first) || !Word(&page.rows) || !Word(&page.columns) || !chunk->Read(&page.cellWidth, 4, 1) ||
                !chunk->Read(&page.cellHeight, 4, 1) || !Count(&page.count, kCentreBytes))
                return Fail(kStatusFailed);
            // A page lies inside the order and holds no more than its grid.
            if (page.first > list.entryCount || page.count > list.entryCount - page.first ||
                uint64_t(page.count) > uint64_t(page.rows) * page.columns)
                return Fail(kStatusFailed);
            page.pCentres = static_cast<float(*)[3]>(UTILS_CALLOC(page.count ? page.count : 1, sizeof(float[3])));
            if (!page.pCentres)
                return Fail(kStatusOutOfMemory);
            if (page.count && !chunk->Read(page.pCentres, 4, 3 * page.count))
                return Fail(kStatusFailed);
        }
        return true;
    }
};

}  // namespace

Status CObjectsInterfaceToolbarItemsList::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterfaceToolbar::SaveState(pList, pChunk)) || !pChunk)
        return kStatusFailed;
    // A check mark still animating is done before it is saved.
    if (m_checkMarkLevel >= 0)
        CheckMarkDone();
    return SaveListsState(pChunk);
}

Status CObjectsInterfaceToolbarItemsList::SaveListsState(UtilsStream_Chunk* pChunk)
{
    bool ok = Put(pChunk, m_checkMarkElement) && Put(pChunk, m_checkMarkLevel) && Put(pChunk, m_checkMarkId) &&
              Put(pChunk, m_checkMarkPosition) && Put(pChunk, m_shownLevel) && Put(pChunk, m_listCount);
    for (uint32_t i = 0; ok && i < m_listCount; ++i) {
        const ItemsList* list = m_ppLists[i];
        const uint8_t present = list ? 1 : 0;
        ok = pChunk->Write(&present, 1, 1);
        if (!ok || !list)
            continue;
        ok = Put(pChunk, list->level) && Put(pChunk, list->waitHandle) && Put(pChunk, list->options) &&
             Put(pChunk, list->state) && Put(pChunk, list->entryCount) &&
             SaveEntries(pChunk, list->pEntries, list->entryCount) &&
             (!list->entryCount || pChunk->Write(list->pOrder, 4, list->entryCount)) &&
             Put(pChunk, list->remainingEntries) && Put(pChunk, list->otherCount) &&
             SaveEntries(pChunk, list->pOthers, list->otherCount) && Put(pChunk, list->pageCount);
        for (uint32_t p = 0; ok && p < list->pageCount; ++p) {
            const ItemsListPage& page = list->pPages[p];
            ok = Put(pChunk, page.first) && Put(pChunk, page.rows) && Put(pChunk, page.columns) &&
                 pChunk->Write(&page.cellWidth, 4, 1) && pChunk->Write(&page.cellHeight, 4, 1) &&
                 Put(pChunk, page.count) && (!page.count || pChunk->Write(page.pCentres, 4, 3 * page.count));
        }
        ok = ok && Put(pChunk, list->currentPage) && pChunk->Write(&list->command, 4, 5);
    }
    return ok ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceToolbarItemsList::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterfaceToolbar::LoadFromProfile(pChunk)))
        return kStatusFailed;
    return LoadListsState(pChunk);
}

Status CObjectsInterfaceToolbarItemsList::LoadListsState(UtilsStream_Chunk* pChunk)
{
    FreeLists();
    EndHighlight();
    int32_t words[5];
    uint32_t count = 0;
    const uint32_t objects = SceneObjectCount();
    if (!pChunk || !pChunk->Read(words, 4, 5) || !Get(pChunk, &count) || count > objects || count > pChunk->BytesLeft())
        return kStatusFailed;
    // The check-mark element is one of the bar's; the levels are objects of the scene.
    const auto level = [&](int32_t value) { return value == -1 || (value >= 0 && uint32_t(value) < objects); };
    if (!(words[0] == -1 || (words[0] >= 0 && uint32_t(words[0]) < m_elementCount)) || !level(words[1]) ||
        !level(words[4]))
        return kStatusFailed;
    m_ppLists = count ? static_cast<ItemsList**>(UTILS_CALLOC(count, sizeof(ItemsList*))) : nullptr;
    if (count && !m_ppLists)
        return OutOfMemoryStatus();
    m_listCount = count;
    Reader read{pChunk, 0};
    for (uint32_t i = 0; i < count && read.failure == kStatusOk; ++i) {
        uint8_t present = 0;
        if (!pChunk->Read(&present, 1, 1) || present > 1) {
            read.Fail(kStatusFailed);
            break;
        }
        if (!present)
            continue;
        auto* list = static_cast<ItemsList*>(UTILS_CALLOC(1, sizeof(ItemsList)));
        if (!list) {
            read.Fail(kStatusOutOfMemory);
            break;
        }
        m_ppLists[i] = list;
        // Ids name elements of the level: below its element count once its infos are read.
        CObjectsBase* object = SceneObject(i);
        read.elementCount = object && object->GetElementCount() ? object->GetElementCount() : 0xFFFFFFFFu;
        uint32_t entries = 0, others = 0;
        if (!read.Word(&list->level) || !read.Word(&list->waitHandle) || !read.Word(&list->options) ||
            !read.Word(&list->state) || !read.Count(&entries, kEntryBytes))
            break;
        if (list->level != i || list->state > kListResumed) {
            read.Fail(kStatusFailed);
            break;
        }
        list->entryCount = entries;
        if (!read.Entries(&list->pEntries, entries) || !read.Order(*list) || !read.Word(&list->remainingEntries))
            break;
        if (list->remainingEntries > entries) {
            read.Fail(kStatusFailed);
            break;
        }
        if (!read.Count(&others, kEntryBytes))
            break;
        list->otherCount = others;
        if (!read.Entries(&list->pOthers, others) || !read.Pages(*list) || !read.Word(&list->currentPage))
            break;
        if ((list->pageCount || list->currentPage) && list->currentPage >= list->pageCount) {
            read.Fail(kStatusFailed);
            break;
        }
        if (!pChunk->Read(&list->command, 4, 5))
            read.Fail(kStatusFailed);
    }
    if (read.failure != kStatusOk) {
        FreeLists();
        m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = m_shownLevel = -1;
        if (read.failure == kStatusOutOfMemory)
            return OutOfMemoryStatus();
        return kStatusFailed;
    }
    m_checkMarkElement = words[0];
    m_checkMarkLevel = words[1];
    m_checkMarkId = words[2];
    m_checkMarkPosition = words[3];
    m_shownLevel = words[4];
    // A target of a list that is gone, or outside its order, is no target.
    const ItemsList* target = m_checkMarkLevel >= 0 ? GetList(uint32_t(m_checkMarkLevel)) : nullptr;
    if (!target || m_checkMarkPosition < 0 || uint32_t(m_checkMarkPosition) >= target->entryCount)
        m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = -1;
    return kStatusOk;
}
