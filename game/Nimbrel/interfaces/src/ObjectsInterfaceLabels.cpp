#include "NimbrelInterfaces/CObjectsInterfaceLabels.h"

#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/WorldData.h"

namespace {

CPopupManager* PopupManager(WorldData* w)
{
    const auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetPopupManager() : nullptr;
}

}  // namespace

CObjectsInterfaceLabels::CObjectsInterfaceLabels(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindLabels;
}

bool CObjectsInterfaceLabels::LabelAttached() const
{
    const CPopupManager* popups = PopupManager(m_pWorldData);
    return popups && popups->GetLabelIndex() != -1;
}

Status CObjectsInterfaceLabels::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    if (!LabelAttached())
        return kStatusFailed;
    return Failed(CObjectsInterface::PrepareElementDraw(pElement, alpha, force)) ? kStatusFailed : kStatusOk;
}

Status CObjectsInterfaceLabels::DrawElement(ElementRecord* pElement)
{
    if (!LabelAttached())
        return kStatusFailed;
    return Failed(CObjectsInterface::DrawElement(pElement)) ? kStatusFailed : kStatusOk;
}

Status CObjectsInterfaceLabels::LoadReleaseModel(uint32_t modelNumber)
{
    if (C3DObject* model = GetRenderModel())
        model->SetCreationWord(model->GetCreationWord() | kLabelsModelFlag);
    if (Failed(CObjectsInterface::LoadReleaseModel(modelNumber)))
        return kStatusFailed;
    CPopupManager* popups = PopupManager(m_pWorldData);
    return popups && Failed(popups->BuildLabelsList()) ? kStatusFailed : kStatusOk;
}
