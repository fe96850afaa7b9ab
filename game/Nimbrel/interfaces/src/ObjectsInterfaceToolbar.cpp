#include "NimbrelInterfaces/CObjectsInterfaceToolbar.h"

#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

CObjectsInterfaceToolbar::CObjectsInterfaceToolbar(WorldData* pWorldData, uint32_t objectNumber,
                                                   uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindToolbarBase;
}

CObjectsInterfaceToolbar::~CObjectsInterfaceToolbar()
{
    // The records are this class's: freed here, before the interface base frees none.
    FreeElements(m_pElements, m_elementCount);
    m_pElements = nullptr;
    m_elementCount = 0;
}

Status CObjectsInterfaceToolbar::CheckSetup()
{
    return m_previousElement < 0 || m_nextElement < 0 || m_boxElement < 0 ? kStatusFailed : kStatusOk;
}

Status CObjectsInterfaceToolbar::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    const char* value = call.Text(1);
    const int32_t element = value ? FindElementByName(value) : -1;
    if (!word || element < 0) {
        TraceCall(call, kTraceError, "unknown item %s", value ? value : "");
        return kStatusFailed;
    }
    int32_t* field = std::strcmp(word, "toolbar_click_next") == 0   ? &m_nextElement
                     : std::strcmp(word, "toolbar_click_prev") == 0  ? &m_previousElement
                     : std::strcmp(word, "toolbar_boundingbox") == 0 ? &m_boxElement
                                                                     : nullptr;
    if (!field)
        return kStatusDoneNoResult;
    *field = element;
    return kStatusDoneStoreResult;
}

Status CObjectsInterfaceToolbar::getObjectParameters(ScriptBuiltinCall&) { return kStatusDoneNoResult; }

ElementRecord* CObjectsInterfaceToolbar::BoundElement(int32_t index)
{
    return index >= 0 ? GetItemRecord(uint32_t(index)) : nullptr;
}

ElementRecord* CObjectsInterfaceToolbar::AllocElements(uint32_t count)
{
    auto* records = static_cast<ToolbarElementRecord*>(UTILS_CALLOC(count ? count : 1, sizeof(ToolbarElementRecord)));
    return records ? &records->element : nullptr;
}

ElementRecord* CObjectsInterfaceToolbar::GetItemRecord(uint32_t index)
{
    return index < m_elementCount ? ItemRecordAt(m_pElements, index) : nullptr;
}

ElementRecord* CObjectsInterfaceToolbar::ItemRecordAt(ElementRecord* pArray, uint32_t index)
{
    return pArray ? &reinterpret_cast<ToolbarElementRecord*>(pArray)[index].element : nullptr;
}
