// The inventory bar on screen: the item being dragged out drawn once more over the bar, and
// "3 x " under each place that holds more than one unit.
#include <cstring>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/FontRecords.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Left-aligned, from the top of the text.
constexpr uint32_t kCountTextFlags = 0;
constexpr float kDraggedAlpha = 0.5f;

}  // namespace

ElementRecord* CObjectsInterfaceToolbarInventory::DraggedElement()
{
    if (m_heldElement >= 0)
        return GetItemRecord(uint32_t(m_heldElement));
    for (uint32_t i = 0; i < m_elementCount; ++i)
        if (ElementRecord* e = GetItemRecord(i); IsDraggedByManager(e))
            return e;
    return nullptr;
}

bool CObjectsInterfaceToolbarInventory::GetCountText(uint32_t i, char16_t* out, uint32_t capacity)
{
    const InventoryPlace* place = GetPlace(i);
    if (!place || !capacity)
        return false;
    out[0] = u'\0';
    if (place->element < 0 || place->count <= 1)
        return true;
    UtilsString_Format(out, capacity, u"%d x ", int32_t(place->count));
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    const CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    const CVornelFont* font = world ? world->GetMainFont() : nullptr;
    if (strings && font && font->GetFontType() == kFontCharset)
        strings->RemapChars(out);
    return true;
}

Status CObjectsInterfaceToolbarInventory::Draw()
{
    const Status status = CObjectsInterfaceToolbar::Draw();
    if (ElementRecord* dragged = DraggedElement()) {
        float offset[3];
        std::memcpy(offset, dragged->dragOffset, sizeof offset);
        std::memset(dragged->dragOffset, 0, sizeof offset);
        DrawSingleElement(dragged, kDraggedAlpha);
        std::memcpy(dragged->dragOffset, offset, sizeof offset);
    }
    DrawCounts();
    return status;
}

void CObjectsInterfaceToolbarInventory::DrawCounts()
{
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    CVornelFont* font = world ? world->GetMainFont() : nullptr;
    const GameData* game = m_pWorldData->pGame;
    if (!font || !game)
        return;
    const float textScale = game->screen.textScale;
    const GameTextStyle& style = game->text.inventory;
    float position[3];
    GetPosition(&position[0], &position[1], &position[2]);
    for (uint32_t i = 0; i < m_placeCount; ++i) {
        char16_t text[32];
        if (!GetCountText(i, text, 32) || !text[0])
            continue;
        const InventoryPlace& place = m_pPlaces[i];
        const float x = (place.centre[0] - m_cellWidth * 0.5f + position[0]) * ScreenScale(0) + ScreenOffset(0);
        const float y = (place.centre[1] + m_cellHeight * 0.5f + position[1]) * ScreenScale(1) + ScreenOffset(1) -
                        style.height * textScale;
        font->DrawText(text, x, y, 0.0f, kCountTextFlags, style.color, style.width * textScale,
                       style.height * textScale, nullptr, nullptr, 0);
    }
}
