// Named positions of the object and of its elements.
#include <cstring>

#include "NimbrelObjects/CObjectsBase.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

// An unnamed position answers to "default".
bool PositionIsNamed(const NamedPosition& position, const char* name)
{
    return std::strcmp(position.pName ? position.pName : kDefaultPositionName, name) == 0;
}

}  // namespace

int32_t CObjectsBase::FindOrAddObjectPosition(const char* name)
{
    for (uint32_t i = 0; name && i < m_positionCount; ++i)
        if (PositionIsNamed(m_pPositions[i], name))
            return int32_t(i);
    char* copy = nullptr;
    if (name) {
        copy = UtilsString_DupA(name);
        if (!copy)
            return OutOfMemory();
        UtilsString_ReplaceCharA(copy, ' ', '_');
    }
    // The array keeps its old records when it cannot grow, so every index given out stays valid.
    auto* grown = static_cast<NamedPosition*>(UTILS_REALLOC(m_pPositions, (m_positionCount + 1) * sizeof(NamedPosition)));
    if (!grown) {
        UTILS_FREE(copy);
        return OutOfMemory();
    }
    m_pPositions = grown;
    m_pPositions[m_positionCount] = NamedPosition{0.0f, 0.0f, 0.0f, copy};
    return int32_t(m_positionCount++);
}

int32_t CObjectsBase::FindElementPosition(uint32_t element, const char* name) const
{
    if (!name || element >= m_elementCount)
        return -1;
    const ElementRecord& record = *const_cast<CObjectsBase*>(this)->GetItemRecord(element);
    for (uint32_t i = 0; i < record.positionCount; ++i)
        if (PositionIsNamed(record.pPositions[i], name))
            return int32_t(i);
    return -1;
}
