#pragma once
// The extra texts of the scenes: the button sprite that text elements draw beside themselves
// (four buttons on one 2 x 2 sheet, "extra_text_buttons.png" by default), the popup groups that
// name the popup texts ("groups/_popups_groups.raw"), and the number of extra-text slots, after
// which the popup texts begin in the string table.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;
class CNimbrelWorld;

struct PopupGroup {
    uint32_t value;
    char* pName;  // owned
};

constexpr uint32_t kExtraTextButtonCount = 4;
// No scene object has an extra-text slot of its own yet: the string table keeps its first
// entry free and the window title in the second, so the popup texts start at 2.
constexpr uint32_t kExtraTextMinimumSlots = 2;
constexpr uint32_t kExtraTextSlotsUnknown = 0xFFFFFFFFu;
// LoadExtraTexts before the construction made any scene object.
constexpr Status kStatusNoSceneObjects = StatusCode(0x80000004u);

class CExtraTextManager : public CManagedObject {
public:
    explicit CExtraTextManager(WorldData* pWorldData);
    ~CExtraTextManager() override;

    // The button sizes (section EXTRA_TEXT), the button object and its sheet. kStatusFailed
    // without a 3D engine, when the object cannot be made or its texture cannot be loaded.
    Status Load() override;
    Status Unload() override { return Release(); }
    // The button object released, the popup groups freed. 0.
    virtual Status Release();
    // After the construction: the slot count, then the popup groups. 0x80000004 (latched)
    // before any scene object exists; kStatusFailed with the invalid-construction text for a
    // damaged table; kStatusOutOfMemory (latched). A missing or foreign table is an empty one.
    virtual Status LoadExtraTexts();
    // Button 0 to 3 at (x, y, z) in interface units through the interface matrix, scaled by
    // `size`. `through` sets or clears the object's own-render-states bit for this draw; the bit
    // is set again afterwards. kStatusFailed without a button object or for another index.
    virtual Status DrawButton(uint32_t button, const float* position, float size, uint8_t through);
    // The first popup group of that name in file order; -1 when none (a nameless record ends
    // the search).
    virtual int32_t FindPopupGroupByName(const char* name) const;

    uint8_t IsLoaded() const { return m_loaded; }
    uint32_t GetPopupGroupCount() const { return m_popupGroupCount; }
    const PopupGroup* GetPopupGroup(int32_t index) const
    {
        return index >= 0 && uint32_t(index) < m_popupGroupCount ? &m_pPopupGroups[index] : nullptr;
    }
    // kExtraTextSlotsUnknown until LoadExtraTexts.
    uint32_t GetSlotCount() const { return m_slotCount; }
    // The string index of popup group 0: the popup texts follow the extra-text slots.
    uint32_t GetPopupTextBase() const { return m_slotCount; }
    float GetButtonHeight() const { return m_buttonHeight; }
    // How far below its text an element with extra-text buttons still takes a hit: the buttons
    // stand there, one button high.
    float GetTextHitOffset() const { return m_buttonHeight; }
    float GetButtonWidth() const { return m_buttonWidth; }
    C3DObject* GetButtonObject() const { return m_pButton; }

private:
    CNimbrelWorld* GetWorld() const;
    void FreePopupGroups();

    uint8_t m_loaded = 0;
    PopupGroup* m_pPopupGroups = nullptr;
    uint32_t m_popupGroupCount = 0;
    uint32_t m_slotCount = kExtraTextSlotsUnknown;
    C3DObject* m_pButton = nullptr;
    float m_buttonWidth = 64.0f;
    float m_buttonHeight = 64.0f;
};
