#pragma once
// The buttons panel (type code 265): an interface object whose elements the scene scripts drive
// through the object base alone.
#include "NimbrelInterfaces/CObjectsInterface.h"

class CObjectsInterfaceButtons : public CObjectsInterface {
public:
    CObjectsInterfaceButtons(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
};
