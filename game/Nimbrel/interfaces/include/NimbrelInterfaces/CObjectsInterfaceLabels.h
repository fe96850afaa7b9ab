#pragma once
// The labels object (type code 258): one element per labelled picture. The popup manager shows
// them around the popup text while a text with a label is open, in the object's layers (the
// elements' draw passes); at any other time the object draws nothing. Each load of its model
// tells the popup manager its elements again.
#include "NimbrelInterfaces/CObjectsInterface.h"

// Set on the render model's creation word of the labels object.
constexpr uint32_t kLabelsModelFlag = 0x40000;

class CObjectsInterfaceLabels : public CObjectsInterface {
public:
    CObjectsInterfaceLabels(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // kStatusFailed (nothing drawn) while no label is attached to the popup text.
    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;
    Status LoadReleaseModel(uint32_t modelNumber) override;

private:
    bool LabelAttached() const;
};
