// The items-to-find list: its lists per level, the entries and their pages, the clicks that
// find them, the refill of a page, the highlight and the resume of the waiting script.
#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

namespace {

// Fades of the entries and of the highlight, per frame step.
constexpr float kEntryFadeStep = 0.05f;
// The line of a list takes this share of the toolbar font's height.
constexpr float kLineShare = 0.9f;
constexpr uint32_t kRowLimit = 3, kColumnLimit = 4;
constexpr uint32_t kSmallRowLimit = 2, kSmallColumnLimit = 3;
// The command of a list: kind 0 (the bar's own), event 1, no function.
constexpr uint32_t kListCommandKind = 0;

struct OptionWord {
    const char* word;
    uint32_t bit;
};
constexpr OptionWord kOptionWords[] = {
    {"random", kItemsListRandom},
    {"enable_multi_page", kItemsListMultiPage},
    {"enable_silhouette", kItemsListSilhouette},
    {"negative_one_by_one", kItemsListNegativeOneByOne},
    {"negative_one_by_all", kItemsListNegativeOneByAll},
};

uint32_t ParseOptions(const char* text)
{
    uint32_t options = 0;
    while (text && *text) {
        while (*text == ' ' || *text == '\t')
            ++text;
        const char* end = std::strchr(text, ',');
        size_t length = end ? size_t(end - text) : std::strlen(text);
        while (length && (text[length - 1] == ' ' || text[length - 1] == '\t'))
            --length;
        for (const OptionWord& option : kOptionWords)
            if (std::strlen(option.word) == length && std::strncmp(option.word, text, length) == 0)
                options |= option.bit;
        text = end ? end + 1 : nullptr;
    }
    return options;
}

bool HoldsElement(const ItemsListEntry& entry, uint32_t element)
{
    if (entry.element == element)
        return true;
    for (uint32_t i = 0; i < entry.memberCount; ++i)
        if (entry.pMembers[i].element == element)
            return true;
    return false;
}

void FreeEntries(ItemsListEntry* pEntries, uint32_t count)
{
    for (uint32_t i = 0; pEntries && i < count; ++i)
        UTILS_FREE(pEntries[i].pMembers);
    UTILS_FREE(pEntries);
}

void FreePages(ItemsList& list)
{
    for (uint32_t i = 0; list.pPages && i < list.pageCount; ++i)
        UTILS_FREE(list.pPages[i].pCentres);
    UTILS_FREE(list.pPages);
    list.pPages = nullptr;
    list.pageCount = 0;
    list.currentPage = 0;
}

}  // namespace

CObjectsInterfaceToolbarItemsList::CObjectsInterfaceToolbarItemsList(WorldData* pWorldData, uint32_t objectNumber,
                                                                     uint32_t constructWord)
    : CObjectsInterfaceToolbar(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindItemsList;
}

CObjectsInterfaceToolbarItemsList::~CObjectsInterfaceToolbarItemsList() { FreeLists(); }

Status CObjectsInterfaceToolbarItemsList::OutOfMemoryStatus() { return OutOfMemory(); }

// ---- lists -----------------------------------------------------------------------------------------

void CObjectsInterfaceToolbarItemsList::FreeList(ItemsList* pList, bool keepRecord)
{
    if (!pList)
        return;
    FreeEntries(pList->pEntries, pList->entryCount);
    FreeEntries(pList->pOthers, pList->otherCount);
    UTILS_FREE(pList->pOrder);
    FreePages(*pList);
    pList->pEntries = pList->pOthers = nullptr;
    pList->pOrder = nullptr;
    pList->entryCount = pList->otherCount = pList->remainingEntries = 0;
    pList->state = kListRegistered;
    pList->waitHandle = 0;
    if (!keepRecord)
        UTILS_FREE(pList);
}

void CObjectsInterfaceToolbarItemsList::FreeLists()
{
    for (uint32_t i = 0; m_ppLists && i < m_listCount; ++i)
        FreeList(m_ppLists[i], false);
    UTILS_FREE(m_ppLists);
    m_ppLists = nullptr;
    m_listCount = 0;
}

int32_t CObjectsInterfaceToolbarItemsList::CurrentLevel()
{
    CObjectsBase* current = CurrentSceneObject();
    return current ? int32_t(current->GetObjectNumber()) : -1;
}

ItemsList* CObjectsInterfaceToolbarItemsList::CurrentList()
{
    const int32_t level = CurrentLevel();
    return level >= 0 ? GetList(uint32_t(level)) : nullptr;
}

ElementRecord* CObjectsInterfaceToolbarItemsList::LevelElement(uint32_t level, uint32_t element)
{
    CObjectsBase* object = SceneObject(level);
    return object && element < object->GetElementCount() ? object->GetItemRecord(element) : nullptr;
}

Status CObjectsInterfaceToolbarItemsList::RegisterList(uint32_t level, const char* options)
{
    if (!m_ppLists) {
        const uint32_t count = SceneObjectCount();
        m_ppLists = static_cast<ItemsList**>(UTILS_CALLOC(count ? count : 1, sizeof(ItemsList*)));
        if (!m_ppLists)
            return OutOfMemoryStatus();
        m_listCount = count;
    }
    if (level >= m_listCount)
        return kStatusFailed;
    ItemsList* list = m_ppLists[level];
    if (list) {
        FreeList(list, true);
    } else {
        list = static_cast<ItemsList*>(UTILS_CALLOC(1, sizeof(ItemsList)));
        if (!list)
            return OutOfMemoryStatus();
        CCommandListManager* commands = Commands();
        if (!commands || Failed(commands->AddCommand(m_objectNumber, 0, kListCommandKind, kCommandEventClick,
                                                     kCommandNoFunction, 0, 0, &list->command))) {
            UTILS_FREE(list);
            return kStatusFailed;
        }
        list->level = level;
        m_ppLists[level] = list;
    }
    list->options = ParseOptions(options);
    m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = -1;
    m_shownLevel = -1;
    return kStatusOk;
}

Status CObjectsInterfaceToolbarItemsList::AppendEntry(ItemsListEntry** ppEntries, uint32_t* pCount, CObjectsBase* level,
                                                      uint32_t element)
{
    for (uint32_t i = 0; i < *pCount; ++i)
        if ((*ppEntries)[i].element == element)
            return kStatusOk;
    ElementRecord* e = level->GetItemRecord(element);
    auto* grown = static_cast<ItemsListEntry*>(UTILS_REALLOC(*ppEntries, (*pCount + 1) * sizeof(ItemsListEntry)));
    if (!grown)
        return OutOfMemoryStatus();
    *ppEntries = grown;
    ItemsListEntry& entry = grown[*pCount];
    entry = {};
    entry.state = kEntryHidden;
    entry.alpha = 1.0f;
    entry.element = element;
    entry.flags = e->flags;
    // The group's members are the item's further copies.
    uint32_t members = 0;
    if (e->pGroupMembers && e->groupMemberCount) {
        entry.pMembers = static_cast<ItemsListCopy*>(UTILS_CALLOC(e->groupMemberCount, sizeof(ItemsListCopy)));
        if (!entry.pMembers)
            return OutOfMemoryStatus();
        for (uint32_t i = 0; i < e->groupMemberCount; ++i) {
            const ElementRecord* copy = e->pGroupMembers[i] < level->GetElementCount()
                                            ? level->GetItemRecord(e->pGroupMembers[i])
                                            : nullptr;
            if (copy)
                entry.pMembers[members++] = {e->pGroupMembers[i], copy->flags};
        }
    }
    entry.memberCount = members;
    entry.remaining = 1 + members;
    ++*pCount;
    return kStatusOk;
}

Status CObjectsInterfaceToolbarItemsList::AddEntry(uint32_t level, uint32_t element)
{
    return AddListed(level, element, false);
}

Status CObjectsInterfaceToolbarItemsList::AddOtherItem(uint32_t level, uint32_t element)
{
    return AddListed(level, element, true);
}

Status CObjectsInterfaceToolbarItemsList::AddListed(uint32_t level, uint32_t element, bool other)
{
    ItemsList* list = GetList(level);
    CObjectsBase* object = SceneObject(level);
    ElementRecord* e = LevelElement(level, element);
    if (!list || !e)
        return kStatusFailed;
    // A group member is a copy of its leader's entry: it gets only the flag and the command.
    if (!e->grouped) {
        const Status status = other ? AppendEntry(&list->pOthers, &list->otherCount, object, element)
                                    : AppendEntry(&list->pEntries, &list->entryCount, object, element);
        if (Failed(status))
            return status;
    }
    e->flags |= kElementRollOverDisabled;
    return object->AddElementClickCommand(element, list->command);
}

void CObjectsInterfaceToolbarItemsList::TakeOutOfScene(CObjectsBase* level, const ItemsListEntry& entry)
{
    auto out = [&](uint32_t element) {
        if (element >= level->GetElementCount())
            return;
        ElementRecord* e = level->GetItemRecord(element);
        level->StopElementScaling(e);
        e->flags = (e->flags & ~(kElementHintable | kElementRollOverDisabled)) | kElementFound;
    };
    out(entry.element);
    for (uint32_t i = 0; i < entry.memberCount; ++i)
        out(entry.pMembers[i].element);
}

void CObjectsInterfaceToolbarItemsList::BringBackToScene(CObjectsBase* level, const ItemsListEntry& entry)
{
    auto back = [&](uint32_t element, uint32_t listed) {
        if (element >= level->GetElementCount())
            return;
        ElementRecord* e = level->GetItemRecord(element);
        e->flags = ((e->flags | (listed & kElementHintable)) & ~kElementFound) | kElementRollOverDisabled;
    };
    back(entry.element, entry.flags);
    for (uint32_t i = 0; i < entry.memberCount; ++i)
        back(entry.pMembers[i].element, entry.pMembers[i].flags);
}

Status CObjectsInterfaceToolbarItemsList::StartList(uint32_t level, uint32_t waitHandle)
{
    ItemsList* list = GetList(level);
    if (!list)
        return kStatusFailed;
    const uint32_t n = list->entryCount;
    UTILS_FREE(list->pOrder);
    list->pOrder = static_cast<uint32_t*>(UTILS_CALLOC(n ? n : 1, sizeof(uint32_t)));
    if (!list->pOrder)
        return OutOfMemoryStatus();
    for (uint32_t i = 0; i < n; ++i)
        list->pOrder[i] = i;
    if (list->options & kItemsListRandom)
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t r = UtilsRandom_Next(m_pWorldData);
            const auto j = uint32_t(double(r) * double(n) * (1.0 / 4294967296.0));
            if (j != i && j < n)
                std::swap(list->pOrder[i], list->pOrder[j]);
        }
    list->remainingEntries = n;
    list->state = kListRunning;
    list->waitHandle = waitHandle;
    // An empty list has nothing to wait for: it starts with no page, already done.
    if (n == 0) {
        FreePages(*list);
        list->state = kListResumed;
    } else if (Failed(LayOutPages(*list))) {
        return kStatusFailed;
    }
    uint32_t covered = 0;
    for (uint32_t i = 0; i < n; ++i)
        list->pEntries[i].state = kEntryHidden;
    for (uint32_t p = 0; p < list->pageCount; ++p)
        for (uint32_t k = 0; k < list->pPages[p].count; ++k, ++covered)
            list->pEntries[list->pOrder[list->pPages[p].first + k]].state = kEntryShown;
    if (!(list->options & kItemsListMultiPage) && covered < n)
        if (CObjectsBase* object = SceneObject(level))
            for (uint32_t i = 0; i < n; ++i)
                if (list->pEntries[i].state == kEntryHidden)
                    TakeOutOfScene(object, list->pEntries[i]);
    m_shownLevel = int32_t(level);
    FireScriptEvent(kEventFocus);
    EndHighlight();
    return kStatusOk;
}

Status CObjectsInterfaceToolbarItemsList::LayOutPages(ItemsList& list)
{
    ElementRecord* box = BoundElement(m_boxElement);
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!box || list.entryCount == 0 || !game)
        return kStatusFailed;
    float rect[4];
    GetElementScreenRect(rect, box, -1, 0);
    const float x0 = rect[0] * ScreenScale(0) + ScreenOffset(0), y0 = rect[1] * ScreenScale(1) + ScreenOffset(1);
    const float w = (rect[2] - rect[0]) * ScreenScale(0), h = (rect[3] - rect[1]) * ScreenScale(1);
    const float textScale = game->screen.textScale;
    const float line = game->text.toolbar.height * textScale * kLineShare;
    const bool small = game->screen.smallScreen != 0;
    const uint32_t rowLimit = small ? kSmallRowLimit : kRowLimit;
    const uint32_t columnLimit = small ? kSmallColumnLimit : kColumnLimit;
    // A box lower than one line still holds one row, and a row one column.
    const double lines = line > 0.0f ? std::floor(double(h) / double(line)) : 1.0;
    uint32_t rows = std::max<uint32_t>(1, uint32_t(std::clamp(lines, 0.0, double(rowLimit))));
    const double spread = std::floor(double(rows) * double(textScale));
    uint32_t columns = std::max<uint32_t>(1, uint32_t(std::clamp(double(rows) + spread, 0.0, double(columnLimit))));
    const uint32_t n = list.entryCount;
    if (n < rows * columns) {
        rows = std::max<uint32_t>(1, uint32_t(std::sqrt(double(n))));
        columns = (n + rows - 1) / rows;
    }
    const uint32_t capacity = rows * columns;
    const uint32_t pageCount = (list.options & kItemsListMultiPage) ? (n + capacity - 1) / capacity : 1;
    auto* pages = static_cast<ItemsListPage*>(UTILS_CALLOC(pageCount, sizeof(ItemsListPage)));
    if (!pages)
        return OutOfMemoryStatus();
    const float cellWidth = w / float(columns), cellHeight = h / float(rows);
    for (uint32_t p = 0; p < pageCount; ++p) {
        ItemsListPage& page = pages[p];
        page.first = p * capacity;
        page.count = std::min(capacity, n - page.first);
        page.rows = rows;
        page.columns = columns;
        page.cellWidth = cellWidth;
        page.cellHeight = cellHeight;
        page.pCentres = static_cast<float(*)[3]>(UTILS_CALLOC(page.count ? page.count : 1, sizeof(float[3])));
        if (!page.pCentres) {
            for (uint32_t q = 0; q < p; ++q)
                UTILS_FREE(pages[q].pCentres);
            UTILS_FREE(pages);
            return OutOfMemoryStatus();
        }
        for (uint32_t i = 0; i < page.count; ++i) {
            page.pCentres[i][0] = (float(i % columns) + 0.5f) * cellWidth + x0;
            page.pCentres[i][1] = (float(i / columns) + 0.5f) * cellHeight + y0;
            page.pCentres[i][2] = 0.0f;
        }
    }
    const uint32_t current = list.currentPage;
    FreePages(list);
    list.pPages = pages;
    list.pageCount = pageCount;
    list.currentPage = current < pageCount ? current : 0;
    return kStatusOk;
}

// ---- finding -------------------------------------------------------------------------------------------

int32_t CObjectsInterfaceToolbarItemsList::FindEntry(const ItemsList& list, uint32_t element, int32_t* pPosition)
{
    *pPosition = -1;
    if (list.currentPage < list.pageCount) {
        const ItemsListPage& page = list.pPages[list.currentPage];
        for (uint32_t k = 0; k < page.count; ++k) {
            const uint32_t position = page.first + k;
            if (HoldsElement(list.pEntries[list.pOrder[position]], element)) {
                *pPosition = int32_t(position);
                return int32_t(list.pOrder[position]);
            }
        }
    }
    for (uint32_t i = 0; i < list.entryCount; ++i)
        if (list.pEntries[i].element == element)
            return int32_t(i);
    return -1;
}

Status CObjectsInterfaceToolbarItemsList::EntryFound(uint32_t level, uint32_t element)
{
    ItemsList* list = GetList(level);
    ElementRecord* e = LevelElement(level, element);
    if (!list || !e || int32_t(level) != CurrentLevel() || (e->flags & kElementDropTarget) || !list->pOrder)
        return kStatusOk;
    for (uint32_t i = 0; i < list->entryCount; ++i)
        if (list->pEntries[i].element == element && list->pEntries[i].state == kEntryHidden)
            return kStatusOk;
    for (uint32_t i = 0; i < list->otherCount; ++i)
        if (HoldsElement(list->pOthers[i], element))
            return kStatusOk;
    int32_t position = -1;
    const int32_t index = FindEntry(*list, element, &position);
    // A click on an item already found, or on no entry's item, counts nothing.
    if (index < 0 || list->pEntries[index].remaining == 0 || list->pEntries[index].state == kEntryFound)
        return kStatusOk;
    ItemsListEntry& entry = list->pEntries[index];
    e->flags &= ~kElementRollOverDisabled;
    if (--entry.remaining > 0)
        return kStatusOk;
    m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = -1;
    if (position >= 0) {
        if (ElementRecord* mark = BoundElement(m_checkMarkElement)) {
            const uint32_t mode = mark->currentTrack < mark->trackCount ? mark->pTracks[mark->currentTrack].trackWord
                                                                        : kModifierPlayOnce;
            SetElementAnimation(mark->index, mode, 0, 0, 0, 1);
            mark->animationEnded = 0;
            m_checkMarkLevel = int32_t(level);
            m_checkMarkId = int32_t(entry.element);
            m_checkMarkPosition = position;
        } else if (!(list->options & kItemsListMultiPage)) {
            // Without a check mark nothing waits for an animation: the next item takes the place.
            entry.state = kEntryFound;
            ShowNextHidden(*list, uint32_t(position));
        }
    }
    entry.state = kEntryFound;
    entry.remaining = 0;
    UTILS_FREE(entry.pMembers);
    entry.pMembers = nullptr;
    entry.memberCount = 0;
    if (list->remainingEntries > 0 && --list->remainingEntries == 0)
        list->state = kListFound;
    return kStatusOk;
}

bool CObjectsInterfaceToolbarItemsList::OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a,
                                                      int32_t b, int32_t c)
{
    CCommandListManager* commands = Commands();
    const CommandRecord* record = commands ? commands->GetRecord(handle.recordIndex) : nullptr;
    if (!record || record->magicIndex != handle.magicIndex || record->kind != kListCommandKind)
        return CObjectsInterfaceToolbar::OnBurnCommand(handle, event, a, b, c);
    if (a >= 0 && b >= 0)
        EntryFound(uint32_t(a), uint32_t(b));
    // The command stays in the element's list: a click that counted nothing counts later.
    return false;
}

void CObjectsInterfaceToolbarItemsList::CheckMarkDone()
{
    ItemsList* list = m_checkMarkLevel >= 0 ? GetList(uint32_t(m_checkMarkLevel)) : nullptr;
    if (list && !(list->options & kItemsListMultiPage) && m_checkMarkPosition >= 0 &&
        uint32_t(m_checkMarkPosition) < list->entryCount) {
        bool hidden = false;
        for (uint32_t i = 0; i < list->entryCount; ++i)
            hidden = hidden || list->pEntries[i].state == kEntryHidden;
        if (hidden) {
            ItemsListEntry& entry = list->pEntries[list->pOrder[m_checkMarkPosition]];
            entry.state = kEntryFadingOut;
            entry.alpha = 1.0f;
        }
    }
    m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = -1;
}

Status CObjectsInterfaceToolbarItemsList::ShowNextHidden(ItemsList& list, uint32_t position)
{
    if (position >= list.entryCount)
        return kStatusFailed;
    for (uint32_t k = 0; k < list.entryCount; ++k) {
        ItemsListEntry& entry = list.pEntries[list.pOrder[k]];
        if (entry.state != kEntryHidden)
            continue;
        std::swap(list.pOrder[k], list.pOrder[position]);
        if (CObjectsBase* level = SceneObject(list.level))
            BringBackToScene(level, entry);
        entry.state = kEntryFadingIn;
        entry.alpha = 0.0f;
        entry.dim = 0.0f;
        return kStatusOk;
    }
    return kStatusFailed;
}

// ---- highlight ----------------------------------------------------------------------------------------

Status CObjectsInterfaceToolbarItemsList::Highlight(uint32_t level, uint32_t element, float seconds)
{
    ItemsList* list = GetList(level);
    if (!list || list->currentPage >= list->pageCount)
        return kStatusFailed;
    const ItemsListPage& page = list->pPages[list->currentPage];
    for (uint32_t k = 0; k < page.count; ++k) {
        ItemsListEntry& entry = list->pEntries[list->pOrder[page.first + k]];
        if (!HoldsElement(entry, element))
            continue;
        m_highlightLevel = int32_t(level);
        m_highlightElement = int32_t(entry.element);
        m_highlightDuration = seconds * 30.0f;
        entry.dim = 0.0f;
        m_highlightActive = 1;
        return kStatusOk;
    }
    return kStatusFailed;
}

void CObjectsInterfaceToolbarItemsList::EndHighlight()
{
    if (ItemsList* list = m_highlightLevel >= 0 ? GetList(uint32_t(m_highlightLevel)) : nullptr)
        if (list->currentPage < list->pageCount) {
            const ItemsListPage& page = list->pPages[list->currentPage];
            for (uint32_t k = 0; k < page.count; ++k)
                list->pEntries[list->pOrder[page.first + k]].dim = 0.0f;
        }
    m_highlightLevel = m_highlightElement = -1;
    m_highlightDuration = 0.0f;
    m_highlightActive = 0;
}

// ---- the object's operations --------------------------------------------------------------------

Status CObjectsInterfaceToolbarItemsList::Release()
{
    FreeLists();
    m_shownLevel = m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = -1;
    return CObjectsInterfaceToolbar::Release();
}

Status CObjectsInterfaceToolbarItemsList::UpdateComponents()
{
    const Status status = CObjectsInterfaceToolbar::UpdateComponents();
    // Lists read from a profile wait for the band that the bar's script names when it is shown:
    // until then they keep the pages they were saved with.
    if (m_boxElement < 0)
        return status;
    for (uint32_t i = 0; m_ppLists && i < m_listCount; ++i)
        if (ItemsList* list = m_ppLists[i]; list && list->entryCount && Failed(LayOutPages(*list)))
            return kStatusFailed;
    return status;
}

void CObjectsInterfaceToolbarItemsList::ResumeIfDone()
{
    ItemsList* list = CurrentList();
    if (!list || list->state != kListFound)
        return;
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    auto* fades = world ? dynamic_cast<CFadeManager*>(world->GetManager(kManagerFade)) : nullptr;
    if (fades && fades->GetCount() != 0)
        return;
    // With no waiter the list just ends.
    CObjectsBase* level = SceneObject(list->level);
    CScriptManager* scripts = Scripts();
    if (list->waitHandle != kItemsListNoWaiter && level && level->GetScript() && scripts)
        scripts->QueueResult(level->GetScript(), list->waitHandle, uint32_t(kStatusDoneStoreResult));
    list->state = kListResumed;
}

Status CObjectsInterfaceToolbarItemsList::UpdateState()
{
    const Status status = CObjectsInterfaceToolbar::UpdateState();
    if (!m_ppLists)
        return status;
    const int32_t current = CurrentLevel();
    if (m_shownLevel == -1)
        m_shownLevel = current;
    if (m_shownLevel != current) {
        const bool moving = m_positionId != 0 && GetList(uint32_t(m_shownLevel));
        if (!moving) {
            m_shownLevel = current;
            EndHighlight();
        }
    }
    ResumeIfDone();
    return status;
}

Status CObjectsInterfaceToolbarItemsList::OnClick(float x, float y, uint32_t state)
{
    // Beside the page arrows the click is the base's, which leaves a click beside every element
    // to the objects below.
    HitRecord hit;
    if (Failed(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr)) || hit.element < 0)
        return CObjectsInterfaceToolbar::OnClick(x, y, state);
    const bool previous = hit.element == m_previousElement, next = hit.element == m_nextElement;
    if (!previous && !next)
        return CObjectsInterfaceToolbar::OnClick(x, y, state);
    TurnPage(previous);
    PlayDefaultClick();
    return kStatusOk;
}

void CObjectsInterfaceToolbarItemsList::TurnPage(bool previous)
{
    ItemsList* list = m_shownLevel >= 0 ? GetList(uint32_t(m_shownLevel)) : nullptr;
    if (!list || !list->pageCount)
        return;
    const uint32_t count = list->pageCount;
    list->currentPage = previous ? (list->currentPage + count - 1) % count : (list->currentPage + 1) % count;
}

Status CObjectsInterfaceToolbarItemsList::CheckSetup()
{
    if (Failed(CObjectsInterfaceToolbar::CheckSetup()) || m_checkMarkElement < 0)
        return kStatusFailed;
    return kStatusOk;
}

Status CObjectsInterfaceToolbarItemsList::OnCheatCodes(uint32_t next)
{
    const Status status = CObjectsInterfaceToolbar::OnCheatCodes(next);
    const int32_t current = CurrentLevel();
    if (m_shownLevel == current && current >= 0)
        if (ItemsList* list = GetList(uint32_t(current))) {
            for (uint32_t i = 0; i < list->entryCount; ++i) {
                list->pEntries[i].state = kEntryFound;
                list->pEntries[i].remaining = 0;
            }
            list->remainingEntries = 0;
            if (list->state < kListFound)
                list->state = kListFound;
        }
    return status;
}

Status CObjectsInterfaceToolbarItemsList::setObjectParameters(ScriptBuiltinCall& call)
{
    const Status status = CObjectsInterfaceToolbar::setObjectParameters(call);
    if (status != kStatusDoneNoResult)
        return status;
    if (std::strcmp(call.Text(0), "toolbar_check_mark") == 0) {
        m_checkMarkElement = FindElementByName(call.Text(1));
        return kStatusDoneStoreResult;
    }
    TraceCall(call, kTraceError, "unknown parameter %s", call.Text(0));
    return kStatusFailed;
}

Status CObjectsInterfaceToolbarItemsList::getObjectParameters(ScriptBuiltinCall& call)
{
    const char* name = call.Text(0);
    const ItemsList* list = CurrentList();
    if (name && std::strcmp(name, "is_empty") == 0)
        return !list || list->remainingEntries == 0 ? kStatusDoneStoreResult : kStatusDoneNoResult;
    if (name && std::strcmp(name, "is_prev_next") == 0)
        return list && list->pageCount > 1 ? kStatusDoneStoreResult : kStatusDoneNoResult;
    TraceCall(call, kTraceError, "unknown parameter %s", name ? name : "");
    return kStatusFailed;
}
