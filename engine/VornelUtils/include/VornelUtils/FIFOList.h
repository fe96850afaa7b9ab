#pragma once
// The doubly linked list of pointers behind every list of the engine and the game. It
// iterates through a cursor kept inside the list:
//
//     for (void* p = list.GetFirst(); p; p = list.GetNext()) ...
//     for (void* p = list.GetFirst(); p; ) p = keep ? list.GetNext() : list.RemoveCurrent(0);
//
// The list never frees its items. CFIFOListCounted adds a flag and two use counters to each
// entry, so that a resource shared by several owners goes only when its last user lets go.
#include "VornelUtils/Status.h"

#include <cstddef>
#include <cstdint>

struct FIFONode {
    void* pItem;
    FIFONode* pNext;
    FIFONode* pPrevious;
};

// The node of a counted list; it begins with a plain node, so either can stand for the other.
struct FIFONodeCounted {
    FIFONode node;
    uint8_t flag;
    uint32_t countA;
    uint32_t countB;
};

class CFIFOList {
public:
    CFIFOList() = default;
    // Frees every node (the items stay with their owners).
    virtual ~CFIFOList();

    CFIFOList(const CFIFOList&) = delete;
    CFIFOList& operator=(const CFIFOList&) = delete;

    // New node at the head / tail, made current when makeCurrent is not 0;
    // 0x80000001 when out of memory.
    virtual Status AddHead(void* pItem, uint8_t makeCurrent);
    virtual Status Add(void* pItem, uint8_t makeCurrent);

    // Cursor moves; each returns the item under the new cursor, null when it is off the list.
    void* GetFirst();
    void* GetNext();
    void* GetLast();
    void* GetPrevious();

    // Unlinks and frees the cursor's node; the cursor moves to its next (previous) node,
    // whose item is returned (null at the end, or when there is no cursor).
    virtual void* RemoveCurrent(uint32_t arg);
    void* RemoveCurrentBackward(uint32_t arg);

    // A new node before (after) the cursor's node, made current; at the ends, off the list
    // or on an empty list the item goes to the head or tail as the cursor position implies.
    Status InsertBefore(void* pItem);
    Status InsertAfter(void* pItem);

    // Removes the first node holding the item; 0x80000001 when there is none.
    virtual Status Remove(void* pItem);

    // Makes the first node holding the item current and returns it, null when absent (the
    // cursor then stays). A null item returns the current node without searching.
    FIFONode* Find(void* pItem);

    // Move the cursor's node to the head / tail; its item, null when there is no cursor.
    void* MoveCurrentToHead();
    void* MoveCurrentToTail();

    uint32_t GetCount() const;
    bool IsEmpty() const { return m_pHead == nullptr; }

    // Removes entries from the head through this list's own RemoveCurrent(0) while it returns
    // an item: on a counted list each entry loses one use and only unused entries go. Stops
    // at the first null item.
    void RemoveAll();

    FIFONode* GetCurrentNode() const { return m_pCurrent; }
    // Cursor = the node when it is on this list, else null.
    void SetCurrentNode(FIFONode* pNode);

    virtual size_t GetNodeSize() const;

protected:
    // Searches from the head by pointer equality, without moving the cursor.
    FIFONode* FindNode(const void* pItem) const;
    // Unlinks and frees a node of this list (the cursor is the caller's business).
    void Unlink(FIFONode* pNode);
    // A zeroed node of GetNodeSize() bytes; null when out of memory.
    FIFONode* NewNode(void* pItem);

    FIFONode* m_pHead = nullptr;
    FIFONode* m_pTail = nullptr;
    FIFONode* m_pCurrent = nullptr;
};

class CFIFOListCounted : public CFIFOList {
public:
    CFIFOListCounted() = default;
    ~CFIFOListCounted() override = default;

    // New entry made current, with the flag, count A = 1 and count B = 0.
    Status AddHead(void* pItem, uint8_t flag) override;
    Status Add(void* pItem, uint8_t flag) override;

    // The cursor's entry loses one use (count A, not below 0). Without force an entry still
    // in use stays and the cursor moves on; otherwise it is removed. Returns the next item.
    void* RemoveCurrent(uint32_t force) override;

    // The entry of the item (found as Find does) loses one use; while still in use it stays
    // and 0x80000001 is returned, else it is removed and 0 returned. 0x80000001 when absent.
    Status Remove(void* pItem) override;

    size_t GetNodeSize() const override;

    // Counter operations on the entry of the item (found as Find does, which makes it
    // current): the new count, or the count; 0 when the item is not in the list.
    uint32_t IncrementCountA(void* pItem);
    uint32_t DecrementCountA(void* pItem);
    uint32_t GetCountA(void* pItem);
    uint32_t IncrementCountB(void* pItem);
    uint32_t DecrementCountB(void* pItem);
    uint32_t GetCountB(void* pItem);

    // The flag of the cursor's entry; 0 when there is no cursor.
    uint8_t GetCurrentFlag() const;

private:
    static FIFONodeCounted* Counted(FIFONode* pNode) { return reinterpret_cast<FIFONodeCounted*>(pNode); }
    FIFONodeCounted* FindCounted(void* pItem) { return Counted(Find(pItem)); }
    // Gives a node that a plain add has just made current its flag and first use.
    Status StartEntry(Status added, uint8_t flag);
    // One of the item's counters moved by step (+1, -1 but not below 0, or 0 to read it);
    // its value afterwards, 0 when the item is not in the list.
    uint32_t ChangeCount(void* pItem, uint32_t FIFONodeCounted::*count, int step);
};
