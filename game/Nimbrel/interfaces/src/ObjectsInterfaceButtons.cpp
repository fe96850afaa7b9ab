#include "NimbrelInterfaces/CObjectsInterfaceButtons.h"

#include "NimbrelWorld/ObjectKindTable.h"

CObjectsInterfaceButtons::CObjectsInterfaceButtons(WorldData* pWorldData, uint32_t objectNumber,
                                                   uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindButtons;
}
