#pragma once
// Walking an engine list without disturbing its cursor: the engine's own passes (restore,
// invalidate, clearing a texture that went) may run while a caller is iterating the same list.
// The callback must not remove entries; it returns false to stop the walk.
#include "VornelUtils/FIFOList.h"

template <typename Item, typename Fn> bool WalkList(CFIFOList& list, Fn fn)
{
    FIFONode* saved = list.GetCurrentNode();
    list.GetFirst();
    FIFONode* node = list.GetCurrentNode();
    list.SetCurrentNode(saved);
    for (; node; node = node->pNext)
        if (!fn(static_cast<Item*>(node->pItem)))
            return false;
    return true;
}
