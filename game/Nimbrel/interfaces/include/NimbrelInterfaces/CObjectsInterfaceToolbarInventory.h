#pragma once
// The inventory bar (type code 268): the items the player has picked up. Its items are
// elements of the bar itself; a script puts one into the first free of six places with a count,
// the player drags it out onto the scene, and an accepted drop uses up one unit of it. Held
// items are drawn as children of the bounding box, each in its place's centre, so they follow
// the bar when it moves.
#include "NimbrelInterfaces/CObjectsInterfaceToolbar.h"

constexpr uint32_t kInventoryPlaceCount = 6;
// An element's saved model-part parent when the bar has no model parts.
constexpr uint32_t kInventoryNoModelParent = 0xFFFFFFFEu;

struct InventoryPlace {
    int32_t element;   // -1 free
    uint32_t count;    // units held
    float centre[3];   // world units
};

class CObjectsInterfaceToolbarInventory : public CObjectsInterfaceToolbar {
public:
    CObjectsInterfaceToolbarInventory(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceToolbarInventory() override;

    // The element into the first free place with `count` more units, shown by a fade;
    // kStatusFailed without a bounding box or a free place, nothing changed.
    virtual Status AddItem(uint32_t element, int32_t count);
    // The element's place freed, the element found and consumed, hidden by a fade;
    // kStatusFailed when no place holds it.
    virtual Status RemoveItem(uint32_t element);
    // One unit used up by an accepted drop: kStatusFailed while units are left (the item stays)
    // or when no place holds it; kStatusOk once the last unit is gone and the place is free.
    virtual Status ConsumeItem(uint32_t element);

    Status Load() override;
    Status Release() override;
    // The three frame elements, then the places laid out in the bounding box.
    Status CheckSetup() override;
    Status Draw() override;
    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status OnClick(float x, float y, uint32_t state) override;
    Status ReloadElementInfos() override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    Status LoadElementFromProfile(UtilsStream_Chunk* pChunk, ElementRecord* pElement) override;
    Status SaveElementToProfile(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk,
                                ElementRecord* pElement) override;
    // The bar's words; any other word naming an element of the bar is taken silently.
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    // "is_empty" always yes, "is_prev_next" always no.
    Status getObjectParameters(ScriptBuiltinCall& call) override;

    // The places' part of the saved state, and its read: kStatusFailed for damaged bytes (the
    // places then empty), kStatusOutOfMemory (latched).
    Status SavePlacesState(UtilsStream_Chunk* pChunk);
    Status LoadPlacesState(UtilsStream_Chunk* pChunk);

    const InventoryPlace* GetPlace(uint32_t i) const { return m_pPlaces && i < m_placeCount ? &m_pPlaces[i] : nullptr; }
    uint32_t GetPlaceCount() const { return m_placeCount; }
    float GetCellWidth() const { return m_cellWidth; }
    float GetCellHeight() const { return m_cellHeight; }
    // The place holding the element, or -1.
    int32_t FindPlace(uint32_t element) const;
    // The count text of place i ("3 x "), empty below two units; false when there is none.
    bool GetCountText(uint32_t i, char16_t* out, uint32_t capacity);

private:
    Status AllocPlaces();
    void EmptyPlaces();
    // The element drawn as a child of the bounding box, in the centre of its place.
    void PlaceElement(ElementRecord* pElement, const InventoryPlace& place);
    // The element whose drag out of the bar is drawn on top, or null.
    ElementRecord* DraggedElement();
    void DrawCounts();

    InventoryPlace* m_pPlaces = nullptr;
    uint32_t m_placeCount = 0;
    float m_cellWidth = 0.0f;
    float m_cellHeight = 0.0f;
};
