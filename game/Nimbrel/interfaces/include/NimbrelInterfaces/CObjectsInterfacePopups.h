#pragma once
// The popups object (type code 259): the pictures of the popup frame, named by a scene script
// with setObjectParameters. The popup manager draws its elements, asks it which button lies
// under a click and tells it which buttons show; the object never takes input by itself, so
// every click reaches the popup manager.
#include "NimbrelInterfaces/CObjectsInterface.h"

// The element roles, in their saved order.
enum PopupsRole : uint32_t {
    kPopupsBackground = 0,   // "popup_background"
    kPopupsPrevious,         // "popup_click_prev"
    kPopupsNext,             // "popup_click_next"
    kPopupsBandUp,           // "popup_band_up": the narrator line's band
    kPopupsBandDown,         // "popup_band_down": behind the page buttons
    kPopupsClose,            // "popup_message_close_button"
    kPopupsItemBox,          // "popup_message_item_ref": an object popup's picture and message
    kPopupsRoleCount,
};

// What HitTestButtons names.
constexpr uint32_t kPopupsHitNone = 0;
constexpr uint32_t kPopupsHitNext = 1;
constexpr uint32_t kPopupsHitPrevious = 2;
constexpr uint32_t kPopupsHitClose = 3;
constexpr uint32_t kPopupsHitOther = 4;

class CObjectsInterfacePopups : public CObjectsInterface {
public:
    CObjectsInterfacePopups(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfacePopups() override;

    Status Release() override;
    Status UpdateState() override { return kStatusOk; }
    Status Draw() override { return kStatusOk; }
    Status PickElementUnderCursor(float, float, uint32_t) override { return kStatusFailed; }
    Status OnMouseMove(float, float, uint32_t) override { return kStatusFailed; }
    Status OnMouseUp(float, float, uint32_t) override { return kStatusFailed; }
    Status OnClick(float, float, uint32_t) override { return kStatusFailed; }
    // Every role set and at least one frame element: 0; else kStatusFailed.
    Status CheckSetup() override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    Status setObjectParameters(ScriptBuiltinCall& call) override;

    // The button under the point; with playSound a button's click sound plays.
    uint32_t HitTestButtons(float x, float y, uint8_t playSound);
    // A shown button is clickable at alpha 1.0, a hidden one found at alpha 0; an unset one is
    // left alone.
    void SetButtonsState(uint8_t previousShown, uint8_t nextShown, uint8_t closeShown);

    int32_t GetRole(uint32_t role) const { return role < kPopupsRoleCount ? m_roles[role] : -1; }
    ElementRecord* GetRoleElement(uint32_t role);
    uint32_t GetFrameCount() const { return m_frameCount; }
    const int32_t* GetFrame() const { return m_pFrame; }

private:
    void FreeFrame();
    void SetButton(int32_t element, uint8_t shown);

    int32_t m_roles[kPopupsRoleCount];
    int32_t* m_pFrame = nullptr;   // "popup_message_items": the message frame's elements
    uint32_t m_frameCount = 0;
};
