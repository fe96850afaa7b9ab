#include "NimbrelObjects/ObjectsWrap.h"

#include "VornelUtils/UtilsMemory.h"

ElementRecord* AllocPlainElements(uint32_t count)
{
    return static_cast<ElementRecord*>(UTILS_CALLOC(count ? count : 1, sizeof(ElementRecord)));
}
