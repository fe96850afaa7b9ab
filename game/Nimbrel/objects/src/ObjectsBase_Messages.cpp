// Messages posted to a scene object by other scripts, delivered oldest first to its own
// "OnReceiveMessage" during its state step.
#include <new>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

void FreeMessage(PostedMessage* message)
{
    UTILS_FREE(message->text);
    delete message;
}

}  // namespace

Status CObjectsBase::PostMessage(char* text, uint32_t wParam, uint32_t lParam)
{
    auto* message = new (std::nothrow) PostedMessage{text, wParam, lParam, m_messageSerial + 1};
    if (!message || Failed(m_messageList.Add(message, 0))) {
        delete message;
        UTILS_FREE(text);
        return OutOfMemory();
    }
    ++m_messageSerial;
    return kStatusOk;
}

Status CObjectsBase::DispatchMessages()
{
    // What the handlers post goes to the next pass; a handler may also restart this object,
    // which clears the queue, so each message leaves the list before its call.
    const uint64_t last = m_messageSerial;
    const ScriptEventRow& event = ObjectEventTable()[kEventReceiveMessage];
    for (;;) {
        auto* message = static_cast<PostedMessage*>(m_messageList.GetFirst());
        if (!message || message->serial > last)
            break;
        m_messageList.RemoveCurrent(0);
        uintptr_t arguments[4] = {0, reinterpret_cast<uintptr_t>(message->text), message->wParam, message->lParam};
        // A script without the handler, or one whose call fails, loses the message.
        CallScriptFunction(event.name, event.mask, 1, arguments, kArgumentsMessage);
        FreeMessage(message);
    }
    return kStatusOk;
}

void CObjectsBase::ClearMessages()
{
    for (void* item = m_messageList.GetFirst(); item; item = m_messageList.RemoveCurrent(0))
        FreeMessage(static_cast<PostedMessage*>(item));
}
