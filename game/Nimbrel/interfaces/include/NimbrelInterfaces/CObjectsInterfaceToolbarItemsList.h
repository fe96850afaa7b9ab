#pragma once
// The items-to-find list (type code 267): the bar that shows which items the player still has
// to find in the current scene. A scene script gives it its list through _onToolbarList; the
// bar lays the entries out in a grid inside its bounding box, page by page, follows each click
// on a listed item (the list's command sits in every listed element's click list), ticks found
// entries, refills the page from the entries that did not fit and, once every entry is found
// and no fade runs, resumes the waiting script. It keeps one list per level object, so a scene
// finds its list again when the player comes back.
#include "NimbrelInterfaces/CObjectsInterfaceToolbar.h"

// Option words of a list.
constexpr uint32_t kItemsListRandom = 0x1;               // "random": the display order is shuffled
constexpr uint32_t kItemsListMultiPage = 0x100;          // "enable_multi_page"
constexpr uint32_t kItemsListSilhouette = 0x10000;       // "enable_silhouette": recorded only
constexpr uint32_t kItemsListNegativeOneByOne = 0x1000000;  // recorded only
constexpr uint32_t kItemsListNegativeOneByAll = 0x2000000;  // recorded only

// The list's wait handle when no script waits on it.
constexpr uint32_t kItemsListNoWaiter = 0xFFFFFFFFu;

enum ItemsEntryState : uint32_t {
    kEntryHidden = 0,     // on no page, taken out of the scene
    kEntryFadingIn = 1,
    kEntryShown = 2,
    kEntryFadingOut = 3,
    kEntryFound = 4,
};

enum ItemsListState : uint32_t {
    kListRegistered = 0,
    kListRunning = 1,
    kListFound = 2,       // every entry found: the script resumes once no fade runs
    kListResumed = 3,
};

// A further copy of a listed item, with its flag word when it was listed.
struct ItemsListCopy {
    uint32_t element;
    uint32_t flags;
};

struct ItemsListEntry {
    uint32_t state;          // ItemsEntryState
    float alpha;             // fade level
    float dim;               // highlight level (ticks for the highlighted entry)
    uint32_t element;        // element index in the level
    uint32_t flags;          // the element's flag word when listed
    uint32_t memberCount;    // further copies
    uint32_t remaining;      // copies still to find
    ItemsListCopy* pMembers; // owned, memberCount of them
};

// One page: positions first .. first + count - 1 of the display order in a grid.
struct ItemsListPage {
    uint32_t first;
    uint32_t count;
    uint32_t rows;
    uint32_t columns;
    float cellWidth;         // screen units
    float cellHeight;
    float (*pCentres)[3];    // owned, one cell centre per entry of the page
};

struct ItemsList {
    uint32_t level;
    uint32_t waitHandle;     // handler of the waiting _onToolbarList call, kItemsListNoWaiter
    uint32_t options;
    uint32_t state;          // ItemsListState
    ItemsListEntry* pEntries;
    uint32_t* pOrder;        // display order: entry indexes, one per entry
    uint32_t entryCount;
    uint32_t remainingEntries;
    ItemsListEntry* pOthers; // the second list: followed, never shown
    uint32_t otherCount;
    ItemsListPage* pPages;
    uint32_t currentPage;
    uint32_t pageCount;
    CommandHandle command;   // in the click list of every listed element
};

class CObjectsInterfaceToolbarItemsList : public CObjectsInterfaceToolbar {
public:
    CObjectsInterfaceToolbarItemsList(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceToolbarItemsList() override;

    // ---- what _onToolbarList calls, in this order ---------------------------------------------
    // The level's list made (with its command) or cleared, its options read from the comma list.
    virtual Status RegisterList(uint32_t level, const char* options);
    // A listed element of the level: an entry with its group members as copies (once per
    // element); a member of another element's group only gets the flag and the command.
    virtual Status AddEntry(uint32_t level, uint32_t element);
    // An element of the second list: followed so that its clicks never count.
    virtual Status AddOtherItem(uint32_t level, uint32_t element);
    // The display order, the pages, the entries that fit shown and the others taken out of the
    // scene; a list without entries starts with no page.
    virtual Status StartList(uint32_t level, uint32_t waitHandle);

    // ---- play ---------------------------------------------------------------------------------
    // The entry of the element (or of one of its copies) on the current page stays bright while
    // the others dim, for `seconds`; kStatusFailed when it is not on the current page.
    virtual Status Highlight(uint32_t level, uint32_t element, float seconds);
    // A click on a listed element of the level.
    virtual Status EntryFound(uint32_t level, uint32_t element);
    // The check mark's animation is over: the ticked entry fades out when hidden entries wait.
    virtual void CheckMarkDone();
    // The first hidden entry in display order takes `position` and fades in; kStatusFailed
    // when none is left.
    virtual Status ShowNextHidden(ItemsList& list, uint32_t position);
    // The list's pages in the bounding box; kStatusFailed without the box or without entries.
    virtual Status LayOutPages(ItemsList& list);
    virtual void EndHighlight();
    // The shown list's previous page (from the first to the last) or next page.
    void TurnPage(bool previous);

    // ---- the object's operations ---------------------------------------------------------------
    Status Release() override;
    Status UpdateComponents() override;
    Status UpdateState() override;
    Status Draw() override;
    bool OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a, int32_t b, int32_t c) override;
    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;
    Status OnClick(float x, float y, uint32_t state) override;
    // The three frame elements and the check mark.
    Status CheckSetup() override;
    Status OnCheatCodes(uint32_t next) override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    // "is_empty" and "is_prev_next" of the current level's list.
    Status getObjectParameters(ScriptBuiltinCall& call) override;

    // The lists' part of the saved state, and its read: kStatusFailed for damaged bytes (every
    // list then freed), kStatusOutOfMemory (latched).
    Status SaveListsState(UtilsStream_Chunk* pChunk);
    Status LoadListsState(UtilsStream_Chunk* pChunk);

    // ---- access ---------------------------------------------------------------------------------
    ItemsList* GetList(uint32_t level) const { return level < m_listCount ? m_ppLists[level] : nullptr; }
    uint32_t GetListCount() const { return m_listCount; }
    int32_t GetShownLevel() const { return m_shownLevel; }
    int32_t GetCheckMarkElement() const { return m_checkMarkElement; }
    int32_t GetCheckMarkPosition() const { return m_checkMarkPosition; }
    int32_t GetHighlightElement() const { return m_highlightElement; }
    // The text of position k of the shown page ("3 x Coin", "---"); false when there is none.
    bool GetCellText(uint32_t k, char16_t* out, uint32_t capacity);

private:
    ItemsList* CurrentList();
    int32_t CurrentLevel();
    void FreeList(ItemsList* pList, bool keepRecord);
    void FreeLists();
    // The entry holding the element as main element or as copy: on the current page first,
    // then among all entries by main element; -1 when none.
    int32_t FindEntry(const ItemsList& list, uint32_t element, int32_t* pPosition);
    // An element of the first list (an entry) or of the second (an other item).
    Status AddListed(uint32_t level, uint32_t element, bool other);
    // Appends an entry for the element to the array (no duplicate ids); kStatusOk when present.
    Status AppendEntry(ItemsListEntry** ppEntries, uint32_t* pCount, CObjectsBase* level, uint32_t element);
    // The element and each copy: taken out of the scene, or back in it.
    void TakeOutOfScene(CObjectsBase* level, const ItemsListEntry& entry);
    void BringBackToScene(CObjectsBase* level, const ItemsListEntry& entry);
    ElementRecord* LevelElement(uint32_t level, uint32_t element);
    void DrawList(ItemsList& list);
    void DrawCheckMark(ElementRecord* pMark, const float* centre, float alpha, bool animated);
    void ResumeIfDone();
    Status OutOfMemoryStatus();

    int32_t m_checkMarkElement = -1;
    int32_t m_checkMarkLevel = -1;     // the entry whose check mark animates
    int32_t m_checkMarkId = -1;
    int32_t m_checkMarkPosition = -1;
    ItemsList** m_ppLists = nullptr;   // by level object number
    uint32_t m_listCount = 0;
    int32_t m_shownLevel = -1;
    int32_t m_highlightLevel = -1;
    int32_t m_highlightElement = -1;
    uint8_t m_highlightActive = 0;
    float m_highlightDuration = 0.0f;  // ticks
    uint8_t m_drawingCheckMark = 0;    // the check mark is drawn by the list only
};
