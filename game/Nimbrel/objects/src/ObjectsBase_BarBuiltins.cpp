// The items-to-find list's builtin, the inventory's, and the item groups whose members the list counts as
// further copies of their leader.
#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

// The list of the items to find: registered, filled and started on the items-list object; the
// script waits until every item is found, unless nothing was listed or nothing follows the call.
Status CObjectsBase::_onToolbarList(ScriptBuiltinCall& call)
{
    CObjectsManager* objects = ObjectsManager();
    const int32_t index = objects ? objects->FindLevelByNameAndType(nullptr, kObjectKindItemsList) : -1;
    auto* bar = index >= 0 ? dynamic_cast<CObjectsInterfaceToolbarItemsList*>(objects->GetObject(uint32_t(index)))
                           : nullptr;
    if (!bar) {
        TraceCall(call, kTraceError, "Toolbar List object was not found");
        return kStatusFailed;
    }
    if (Failed(bar->RegisterList(m_objectNumber, call.Text(2))))
        return kStatusFailed;
    const BuiltinReport report = call.Report();
    uint32_t counted = 0;
    for (uint32_t list = 0; list < 2; ++list) {
        const bool others = list == 1;
        ItemListIterator it;
        for (ItemListStart(it, call.Text(list), report, others); !it.done; NextListItem(it, report, others)) {
            CObjectsBase* owner = SceneObject(uint32_t(it.object));
            if (owner != this) {
                TraceCall(call, kTraceError, "Toolbar list must contains only items contained in the current object");
                return kStatusFailed;
            }
            ElementRecord* element = GetItemRecord(uint32_t(it.element));
            if (!element)
                continue;
            if (element->inactive) {
                if (!others)
                    TraceCall(call, kTraceWarning, "Toolbar recognizes bad element ! (%S) in (%S)",
                              UtilsString_FromUtf8(element->pName ? element->pName : "").c_str(),
                              UtilsString_FromUtf8(m_pName ? m_pName : "").c_str());
                continue;
            }
            const uint32_t at = uint32_t(it.element);
            if (Failed(others ? bar->AddOtherItem(m_objectNumber, at) : bar->AddEntry(m_objectNumber, at)))
                return kStatusFailed;
            counted += others ? 0 : 1;
        }
        if (!others && counted == 0)
            TraceCall(call, kTraceError, "Toolbar list must contains at least one item");
    }
    const bool waits = counted != 0 && !call.tail;
    if (Failed(bar->StartList(m_objectNumber, waits ? call.hostWord : kItemsListNoWaiter)))
        return kStatusFailed;
    return waits ? kStatusWait : kStatusDoneStoreResult;
}

// Each active listed element of the inventory, named among the inventory's own elements, put
// into the bar (count > 0) or taken out of it.
Status CObjectsBase::ChangeInventory(ScriptBuiltinCall& call, bool add)
{
    CObjectsManager* objects = ObjectsManager();
    const int32_t index = objects ? objects->FindLevelByNameAndType(nullptr, kObjectKindInventory) : -1;
    auto* bar = index >= 0 ? dynamic_cast<CObjectsInterfaceToolbarInventory*>(objects->GetObject(uint32_t(index)))
                           : nullptr;
    if (!bar) {
        TraceCall(call, kTraceError, "Inventory object was not found");
        return kStatusFailed;
    }
    const int32_t count = add ? int32_t(call.Long(1)) : 0;
    if (add && count == 0) {
        TraceCall(call, kTraceError, "you must specify count > 0!");
        return kStatusFailed;
    }
    const BuiltinReport report = call.Report();
    ItemListIterator it;
    for (bar->ItemListStart(it, call.Text(0), report, false); !it.done; bar->NextListItem(it, report, false)) {
        if (uint32_t(it.object) != bar->GetObjectNumber()) {
            TraceCall(call, kTraceError, "Inventory list must contains only items contained in the Inventory object");
            return kStatusFailed;
        }
        const ElementRecord* element = bar->GetItemRecord(uint32_t(it.element));
        if (!element || element->inactive)
            continue;
        const uint32_t at = uint32_t(it.element);
        if (Failed(add ? bar->AddItem(at, count) : bar->RemoveItem(at)))
            return kStatusFailed;
    }
    return kStatusDoneStoreResult;
}

Status CObjectsBase::onAddInventoryItems(ScriptBuiltinCall& call) { return ChangeInventory(call, true); }

Status CObjectsBase::onRemoveInventoryItems(ScriptBuiltinCall& call) { return ChangeInventory(call, false); }

// The waiting forms are gone: a script that blocks on the bar is told so.
Status CObjectsBase::_onAddInventoryItems(ScriptBuiltinCall& call)
{
    TraceCall(call, kTraceError, "Deprecated function in blocked mode");
    return kStatusFailed;
}

Status CObjectsBase::setItemGroup(ScriptBuiltinCall& call)
{
    CObjectsBase* owner = nullptr;
    ElementRecord* leader = nullptr;
    if (!FirstListedItem(call, call.Text(0), &owner, &leader))
        return kStatusFailed;
    if (Failed(RefuseForeignItem(call, owner, call.Text(0))))
        return kStatusFailed;
    uint32_t* members = nullptr;
    uint32_t count = 0;
    bool kept = false;
    const Status status = ForEachListedItem(call, call.Text(1), [&](CObjectsBase* memberOwner, ElementRecord* member) {
        if (Failed(RefuseForeignItem(call, memberOwner, call.Text(1))))
            return kStatusFailed;
        if (member->grouped) {
            TraceCall(call, kTraceWarning, "item already grouped %S", UtilsString_FromUtf8(call.Text(1)).c_str());
            kept = true;
            return kStatusFailed;
        }
        auto* grown = static_cast<uint32_t*>(UTILS_REALLOC(members, (count + 1) * sizeof(uint32_t)));
        if (!grown)
            return kStatusFailed;
        members = grown;
        members[count++] = member->index;
        return kStatusOk;
    });
    if (Failed(status)) {
        UTILS_FREE(members);
        // A member of another group keeps the old groups as they were.
        return kept ? kStatusDoneStoreResult : kStatusFailed;
    }
    for (uint32_t i = 0; i < leader->groupMemberCount; ++i)
        if (ElementRecord* old = GetItemRecord(leader->pGroupMembers[i]))
            old->grouped = 0;
    UTILS_FREE(leader->pGroupMembers);
    leader->pGroupMembers = members;
    leader->groupMemberCount = count;
    for (uint32_t i = 0; i < count; ++i)
        GetItemRecord(members[i])->grouped = 1;
    return kStatusDoneStoreResult;
}
