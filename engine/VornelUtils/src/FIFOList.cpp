#include "VornelUtils/FIFOList.h"

#include "VornelUtils/UtilsMemory.h"

CFIFOList::~CFIFOList()
{
    // Every node goes, including those after an entry whose item is null (RemoveAll would
    // stop there) and counted entries still in use.
    FIFONode* pNode = m_pHead;
    while (pNode) {
        FIFONode* pNext = pNode->pNext;
        UTILS_FREE(pNode);
        pNode = pNext;
    }
    m_pHead = m_pTail = m_pCurrent = nullptr;
}

FIFONode* CFIFOList::NewNode(void* pItem)
{
    // Sized by the list's own node size so a counted list gets its counters with every node,
    // whichever operation made it.
    auto* pNode = static_cast<FIFONode*>(UTILS_CALLOC(1, GetNodeSize()));
    if (pNode)
        pNode->pItem = pItem;
    return pNode;
}

void CFIFOList::Unlink(FIFONode* pNode)
{
    if (pNode->pPrevious)
        pNode->pPrevious->pNext = pNode->pNext;
    else
        m_pHead = pNode->pNext;
    if (pNode->pNext)
        pNode->pNext->pPrevious = pNode->pPrevious;
    else
        m_pTail = pNode->pPrevious;
    UTILS_FREE(pNode);
}

Status CFIFOList::AddHead(void* pItem, uint8_t makeCurrent)
{
    FIFONode* pNode = NewNode(pItem);
    if (!pNode)
        return kStatusFailed;
    pNode->pNext = m_pHead;
    if (m_pHead)
        m_pHead->pPrevious = pNode;
    else
        m_pTail = pNode;
    m_pHead = pNode;
    if (makeCurrent)
        m_pCurrent = pNode;
    return kStatusOk;
}

Status CFIFOList::Add(void* pItem, uint8_t makeCurrent)
{
    FIFONode* pNode = NewNode(pItem);
    if (!pNode)
        return kStatusFailed;
    pNode->pPrevious = m_pTail;
    if (m_pTail)
        m_pTail->pNext = pNode;
    else
        m_pHead = pNode;
    m_pTail = pNode;
    if (makeCurrent)
        m_pCurrent = pNode;
    return kStatusOk;
}

void* CFIFOList::GetFirst()
{
    m_pCurrent = m_pHead;
    return m_pCurrent ? m_pCurrent->pItem : nullptr;
}

void* CFIFOList::GetNext()
{
    if (!m_pCurrent)
        return nullptr;
    m_pCurrent = m_pCurrent->pNext;
    return m_pCurrent ? m_pCurrent->pItem : nullptr;
}

void* CFIFOList::GetLast()
{
    m_pCurrent = m_pTail;
    return m_pCurrent ? m_pCurrent->pItem : nullptr;
}

void* CFIFOList::GetPrevious()
{
    if (!m_pCurrent)
        return nullptr;
    m_pCurrent = m_pCurrent->pPrevious;
    return m_pCurrent ? m_pCurrent->pItem : nullptr;
}

void* CFIFOList::RemoveCurrent(uint32_t)
{
    FIFONode* pNode = m_pCurrent;
    if (!pNode)
        return nullptr;
    m_pCurrent = pNode->pNext;
    Unlink(pNode);
    return m_pCurrent ? m_pCurrent->pItem : nullptr;
}

void* CFIFOList::RemoveCurrentBackward(uint32_t)
{
    FIFONode* pNode = m_pCurrent;
    if (!pNode)
        return nullptr;
    m_pCurrent = pNode->pPrevious;
    Unlink(pNode);
    return m_pCurrent ? m_pCurrent->pItem : nullptr;
}

Status CFIFOList::InsertBefore(void* pItem)
{
    if (!m_pCurrent) {
        // Off the end after an iteration: append; on an empty list: the first node.
        if (m_pHead)
            return CFIFOList::Add(pItem, 1);
        return CFIFOList::AddHead(pItem, 1);
    }
    if (m_pCurrent == m_pHead)
        return CFIFOList::AddHead(pItem, 1);
    FIFONode* pNode = NewNode(pItem);
    if (!pNode)
        return kStatusFailed;
    pNode->pNext = m_pCurrent;
    pNode->pPrevious = m_pCurrent->pPrevious;
    m_pCurrent->pPrevious->pNext = pNode;
    m_pCurrent->pPrevious = pNode;
    m_pCurrent = pNode;
    return kStatusOk;
}

Status CFIFOList::InsertAfter(void* pItem)
{
    if (!m_pCurrent || m_pCurrent == m_pTail)
        return CFIFOList::Add(pItem, 1);
    FIFONode* pNode = NewNode(pItem);
    if (!pNode)
        return kStatusFailed;
    pNode->pPrevious = m_pCurrent;
    pNode->pNext = m_pCurrent->pNext;
    m_pCurrent->pNext->pPrevious = pNode;
    m_pCurrent->pNext = pNode;
    m_pCurrent = pNode;
    return kStatusOk;
}

FIFONode* CFIFOList::FindNode(const void* pItem) const
{
    for (FIFONode* pNode = m_pHead; pNode; pNode = pNode->pNext) {
        if (pNode->pItem == pItem)
            return pNode;
    }
    return nullptr;
}

Status CFIFOList::Remove(void* pItem)
{
    FIFONode* pNode = FindNode(pItem);
    if (!pNode)
        return kStatusFailed;
    // An iteration in progress goes on with the next node rather than a freed one.
    if (pNode == m_pCurrent)
        m_pCurrent = pNode->pNext;
    Unlink(pNode);
    return kStatusOk;
}

FIFONode* CFIFOList::Find(void* pItem)
{
    if (!pItem)
        return m_pCurrent;
    FIFONode* pNode = FindNode(pItem);
    if (pNode)
        m_pCurrent = pNode;
    return pNode;
}

void* CFIFOList::MoveCurrentToHead()
{
    FIFONode* pNode = m_pCurrent;
    if (!pNode)
        return nullptr;
    if (pNode != m_pHead) {
        pNode->pPrevious->pNext = pNode->pNext;
        if (pNode->pNext)
            pNode->pNext->pPrevious = pNode->pPrevious;
        else
            m_pTail = pNode->pPrevious;
        pNode->pPrevious = nullptr;
        pNode->pNext = m_pHead;
        m_pHead->pPrevious = pNode;
        m_pHead = pNode;
    }
    return pNode->pItem;
}

void* CFIFOList::MoveCurrentToTail()
{
    FIFONode* pNode = m_pCurrent;
    if (!pNode)
        return nullptr;
    if (pNode != m_pTail) {
        pNode->pNext->pPrevious = pNode->pPrevious;
        if (pNode->pPrevious)
            pNode->pPrevious->pNext = pNode->pNext;
        else
            m_pHead = pNode->pNext;
        pNode->pNext = nullptr;
        pNode->pPrevious = m_pTail;
        m_pTail->pNext = pNode;
        m_pTail = pNode;
    }
    return pNode->pItem;
}

uint32_t CFIFOList::GetCount() const
{
    uint32_t count = 0;
    for (const FIFONode* pNode = m_pHead; pNode; pNode = pNode->pNext)
        ++count;
    return count;
}

void CFIFOList::RemoveAll()
{
    void* pItem = GetFirst();
    while (pItem)
        pItem = RemoveCurrent(0);
}

void CFIFOList::SetCurrentNode(FIFONode* pNode)
{
    m_pCurrent = nullptr;
    for (FIFONode* p = m_pHead; p; p = p->pNext) {
        if (p == pNode) {
            m_pCurrent = p;
            return;
        }
    }
}

size_t CFIFOList::GetNodeSize() const
{
    return sizeof(FIFONode);
}

// ---------------------------------------------------------------------------------------

Status CFIFOListCounted::StartEntry(Status added, uint8_t flag)
{
    // The plain add made the new node current.
    if (Failed(added))
        return added;
    FIFONodeCounted* pNode = Counted(m_pCurrent);
    pNode->flag = flag;
    pNode->countA = 1;
    pNode->countB = 0;
    return added;
}

Status CFIFOListCounted::AddHead(void* pItem, uint8_t flag)
{
    return StartEntry(CFIFOList::AddHead(pItem, 1), flag);
}

Status CFIFOListCounted::Add(void* pItem, uint8_t flag)
{
    return StartEntry(CFIFOList::Add(pItem, 1), flag);
}

void* CFIFOListCounted::RemoveCurrent(uint32_t force)
{
    FIFONodeCounted* pNode = Counted(m_pCurrent);
    if (!pNode)
        return nullptr;
    if (pNode->countA != 0)
        --pNode->countA;
    if (!force && pNode->countA > 0)
        return GetNext();
    return CFIFOList::RemoveCurrent(0);
}

Status CFIFOListCounted::Remove(void* pItem)
{
    FIFONodeCounted* pNode = FindCounted(pItem);
    if (!pNode)
        return kStatusFailed;
    if (pNode->countA != 0)
        --pNode->countA;
    if (pNode->countA > 0)
        return kStatusFailed;
    // Find made the node current.
    CFIFOList::RemoveCurrent(0);
    return kStatusOk;
}

size_t CFIFOListCounted::GetNodeSize() const
{
    return sizeof(FIFONodeCounted);
}

uint32_t CFIFOListCounted::ChangeCount(void* pItem, uint32_t FIFONodeCounted::*count, int step)
{
    FIFONodeCounted* pNode = FindCounted(pItem);
    if (!pNode)
        return 0;
    uint32_t& value = pNode->*count;
    if (step > 0)
        ++value;
    else if (step < 0 && value != 0)
        --value;
    return value;
}

uint32_t CFIFOListCounted::IncrementCountA(void* pItem)
{
    return ChangeCount(pItem, &FIFONodeCounted::countA, 1);
}

uint32_t CFIFOListCounted::DecrementCountA(void* pItem)
{
    return ChangeCount(pItem, &FIFONodeCounted::countA, -1);
}

uint32_t CFIFOListCounted::GetCountA(void* pItem)
{
    return ChangeCount(pItem, &FIFONodeCounted::countA, 0);
}

uint32_t CFIFOListCounted::IncrementCountB(void* pItem)
{
    return ChangeCount(pItem, &FIFONodeCounted::countB, 1);
}

uint32_t CFIFOListCounted::DecrementCountB(void* pItem)
{
    return ChangeCount(pItem, &FIFONodeCounted::countB, -1);
}

uint32_t CFIFOListCounted::GetCountB(void* pItem)
{
    return ChangeCount(pItem, &FIFONodeCounted::countB, 0);
}

uint8_t CFIFOListCounted::GetCurrentFlag() const
{
    return m_pCurrent ? reinterpret_cast<const FIFONodeCounted*>(m_pCurrent)->flag : 0;
}
