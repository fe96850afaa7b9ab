// The object's command lists (per element: click and end; per object: clicked, dragged,
// turned, shown), what a command of the object does when it burns, and the finish of a level.
#include <initializer_list>
#include <new>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsMemory.h"

Status CObjectsBase::MakeCommandList(CCommandList** ppList)
{
    if (*ppList)
        return kStatusOk;
    auto* list = new (std::nothrow) CCommandList(m_pWorldData);
    if (!list)
        return OutOfMemory();
    if (Failed(list->Load())) {
        list->Unload();
        delete list;
        return kStatusFailed;
    }
    *ppList = list;
    return kStatusOk;
}

Status CObjectsBase::AddListCommand(CCommandList** ppList, const CommandHandle& handle)
{
    const Status status = MakeCommandList(ppList);
    return Failed(status) ? status : (*ppList)->Add(handle);
}

Status CObjectsBase::AddElementClickCommand(uint32_t element, const CommandHandle& handle)
{
    if (element >= m_commandListCount)
        return kStatusFailed;
    return AddListCommand(&m_ppElementClickLists[element], handle);
}

Status CObjectsBase::AddElementEndCommand(uint32_t element, const CommandHandle& handle)
{
    if (element >= m_commandListCount)
        return kStatusFailed;
    return AddListCommand(&m_ppElementEndLists[element], handle);
}

Status CObjectsBase::AddClickedEventCommand(const CommandHandle& handle)
{
    return AddListCommand(&m_pClickedEventList, handle);
}

Status CObjectsBase::AddDraggedEventCommand(const CommandHandle& handle)
{
    return AddListCommand(&m_pDraggedEventList, handle);
}

Status CObjectsBase::AddTurnedEventCommand(const CommandHandle& handle)
{
    return AddListCommand(&m_pTurnedEventList, handle);
}

Status CObjectsBase::AddShownEventCommand(const CommandHandle& handle)
{
    return AddListCommand(&m_pShownEventList, handle);
}

void CObjectsBase::ReleaseCommandLists()
{
    FreeElementCommandLists();
    for (CCommandList** list : {&m_pClickedEventList, &m_pDraggedEventList, &m_pTurnedEventList, &m_pShownEventList}) {
        if (*list)
            (*list)->Unload();
        delete *list;
        *list = nullptr;
    }
}

bool CObjectsBase::OnBurnCommand(const CommandHandle& handle, uint32_t, int32_t, int32_t b, int32_t c)
{
    CCommandListManager* commands = Commands();
    const CommandRecord* record = commands ? commands->GetRecord(handle.recordIndex) : nullptr;
    if (!record || record->magicIndex != handle.magicIndex)
        return true;
    switch (record->kind) {
    case kCommandChangeLevel:
        SetCurrentLevel();
        return false;
    case kCommandCallFunction: {
        // An element the object does not have takes no call: the command is spent.
        ElementRecord* element = b >= 0 && uint32_t(b) < m_elementCount ? GetItemRecord(uint32_t(b)) : nullptr;
        if (!element)
            return true;
        uintptr_t arguments[2] = {0, reinterpret_cast<uintptr_t>(element->pName)};
        const Status status = CallScriptHandler(record->functionIndex, kCallMaskCommand, element->action == 0,
                                                arguments, kArgumentsElementName);
        if (status != kStatusWait && Failed(status))
            return false;
        // A click that hides or finds the element consumes its callback; any other click keeps it.
        return element->action != 0 && !(element->flags & kElementDropTarget) &&
               (!(element->flags & kElementHasDropRecord) || (element->flags & kElementFound));
    }
    case kCommandResumeWait: {
        // The finish handle resumes no call of its own: its value goes to the "finished" waiter.
        if (record->functionIndex == kCommandNoFunction) {
            DeliverFinish(uint32_t(c));
            return true;
        }
        CScriptManager* scripts = Scripts();
        if (scripts && m_pScript)
            scripts->QueueResult(m_pScript, record->functionIndex, uint32_t(c));
        return true;
    }
    default:
        return true;
    }
}

bool CObjectsBase::Finish(uint8_t solved)
{
    if (m_finished)
        return true;
    m_finished = 1;
    CCommandListManager* commands = Commands();
    return commands && commands->OnBurnCommand(m_finishHandle, kCommandEventClick, int32_t(m_objectNumber), -1, solved);
}
