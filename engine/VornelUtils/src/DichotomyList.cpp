#include "VornelUtils/DichotomyList.h"

#include <algorithm>

#include "VornelUtils/UtilsMemory.h"

DichotomyList::DichotomyList(WorldData* pWorldData) : CBaseObject(pWorldData) {}

DichotomyList::~DichotomyList()
{
    for (void* p = m_pairs.GetFirst(); p != nullptr; p = m_pairs.RemoveCurrent(0))
        UtilsFree(p, __FILE__, __LINE__);
    m_count = 0;
}

int DichotomyList::CompareKeys(const char* a, const char* b)
{
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    while (*x != 0 && *x == *y) {
        ++x;
        ++y;
    }
    return static_cast<int>(*x) - static_cast<int>(*y);
}

int32_t DichotomyList::Find(const uint32_t* index, uint32_t count, const char* key, KeyOfFn keyOf,
                           const void* context)
{
    if (!key || !key[0] || !index || count == 0)
        return -1;
    uint32_t low = 0, high = count, probe = count / 2;
    for (;;) {
        const uint32_t value = index[probe];
        const char* probeKey = keyOf(context, value);
        const int order = CompareKeys(key, probeKey ? probeKey : "");
        if (order == 0)
            return static_cast<int32_t>(value);
        if (order < 0)
            high = std::min(high, probe);
        else
            low = std::max(low, probe);
        const uint32_t next = low + (high - low) / 2;
        if (next == probe)
            return -1;
        probe = next;
    }
}

Status DichotomyList::Add(const char* pKey, uint32_t value)
{
    auto* pair = static_cast<DichotomyPair*>(UtilsMalloc(sizeof(DichotomyPair), __FILE__, __LINE__));
    if (pair == nullptr)
        return kStatusOutOfMemory;
    pair->pKey = pKey != nullptr ? pKey : "";
    pair->value = value;
    if (Failed(m_pairs.Add(pair, 0))) {
        UtilsFree(pair, __FILE__, __LINE__);
        return kStatusOutOfMemory;
    }
    ++m_count;
    return kStatusOk;
}

uint32_t* DichotomyList::Sort()
{
    if (m_count == 0)
        return nullptr;
    auto* pairs = static_cast<DichotomyPair**>(UtilsMalloc(sizeof(DichotomyPair*) * m_count, __FILE__, __LINE__));
    auto* rank = static_cast<uint32_t*>(UtilsMalloc(sizeof(uint32_t) * m_count, __FILE__, __LINE__));
    auto* order = static_cast<uint32_t*>(UtilsMalloc(sizeof(uint32_t) * m_count, __FILE__, __LINE__));
    if (pairs == nullptr || rank == nullptr || order == nullptr) {
        UtilsFree(pairs, __FILE__, __LINE__);
        UtilsFree(rank, __FILE__, __LINE__);
        UtilsFree(order, __FILE__, __LINE__);
        return nullptr;
    }
    uint32_t n = 0;
    FIFONode* saved = m_pairs.GetCurrentNode();
    for (void* p = m_pairs.GetFirst(); p != nullptr && n < m_count; p = m_pairs.GetNext())
        pairs[n++] = static_cast<DichotomyPair*>(p);
    m_pairs.SetCurrentNode(saved);
    for (uint32_t i = 0; i < n; ++i)
        rank[i] = i;
    // The order an insertion before the first key greater than or equal gives: ascending keys,
    // and among equal keys the pair added last first.
    std::sort(rank, rank + n, [pairs](uint32_t a, uint32_t b) {
        const int c = CompareKeys(pairs[a]->pKey, pairs[b]->pKey);
        return c != 0 ? c < 0 : a > b;
    });
    for (uint32_t i = 0; i < n; ++i)
        order[i] = pairs[rank[i]]->value;
    UtilsFree(pairs, __FILE__, __LINE__);
    UtilsFree(rank, __FILE__, __LINE__);
    return order;
}
