#include "NimbrelObjects/TutoStep.h"

#include "VornelUtils/UtilsMemory.h"

void FreeTutoStep(TutoStep* pStep)
{
    if (!pStep)
        return;
    UTILS_FREE(pStep->pName);
    UTILS_FREE(pStep->pCallback);
    UTILS_FREE(pStep);
}
