// The items list on screen: each cell's text of the shown page ("3 x Coin", the name from the
// string table), its fade and highlight, and the check mark over found entries.
#include <algorithm>
#include <cstring>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/FontRecords.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kEntryFadeStep = 0.05f;
// A dimmed entry keeps this much of its alpha.
constexpr float kDimFloor = 0.35f;
constexpr const char16_t* kMissingString = u"MISSING STRING !!!";
constexpr const char16_t* kFoundText = u"---";
constexpr uint32_t kCellTextFlags = kTextCentreX | kTextCentreY;

}  // namespace

bool CObjectsInterfaceToolbarItemsList::GetCellText(uint32_t k, char16_t* out, uint32_t capacity)
{
    ItemsList* list = m_shownLevel >= 0 ? GetList(uint32_t(m_shownLevel)) : nullptr;
    if (!list || list->currentPage >= list->pageCount || k >= list->pPages[list->currentPage].count)
        return false;
    const ItemsListEntry& entry = list->pEntries[list->pOrder[list->pPages[list->currentPage].first + k]];
    const ElementRecord* e = LevelElement(list->level, entry.element);
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    const CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    const CVornelFont* font = world ? world->GetMainFont() : nullptr;
    const bool remap = strings && font && font->GetFontType() == kFontCharset;
    if (entry.state == kEntryFound && m_checkMarkElement < 0) {
        UtilsString_Copy(out, capacity, kFoundText);
        return true;
    }
    char16_t prefix[32] = u"";
    if (entry.remaining > 1) {
        UtilsString_Format(prefix, 32, u"%d x ", int32_t(entry.remaining));
        if (remap)
            strings->RemapChars(prefix);
    }
    // The element's name string: its reference word indexes the string table; an element
    // without one shows its own name. Table strings are already in the font's codes.
    char16_t name[kWorldTextSize] = u"";
    const CStringsRaw* table = strings ? strings->GetTable() : nullptr;
    if (e && e->referenceWord >= 0) {
        const bool known = table && uint32_t(e->referenceWord) < table->GetCount();
        UtilsString_Copy(name, kWorldTextSize, known ? table->GetString(uint32_t(e->referenceWord)) : kMissingString);
    } else if (e && e->pName) {
        UtilsString_Copy(name, kWorldTextSize, UtilsString_FromUtf8(e->pName).c_str());
        if (remap)
            strings->RemapChars(name);
    }
    UtilsString_Format(out, capacity, u"%s%s", prefix, name);
    return true;
}

Status CObjectsInterfaceToolbarItemsList::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    const Status status = CObjectsInterfaceToolbar::PrepareElementDraw(pElement, alpha, force);
    if (pElement && int32_t(pElement->index) == m_checkMarkElement && !m_drawingCheckMark && m_checkMarkLevel >= 0 &&
        m_checkMarkLevel == m_shownLevel && pElement->animationEnded)
        CheckMarkDone();
    return status;
}

Status CObjectsInterfaceToolbarItemsList::DrawElement(ElementRecord* pElement)
{
    // The check mark shows over the list's cells only.
    if (pElement && int32_t(pElement->index) == m_checkMarkElement && !m_drawingCheckMark)
        return kStatusOk;
    return CObjectsInterfaceToolbar::DrawElement(pElement);
}

Status CObjectsInterfaceToolbarItemsList::Draw()
{
    const Status status = CObjectsInterfaceToolbar::Draw();
    if (ItemsList* list = m_shownLevel >= 0 ? GetList(uint32_t(m_shownLevel)) : nullptr)
        DrawList(*list);
    return status;
}

void CObjectsInterfaceToolbarItemsList::DrawCheckMark(ElementRecord* pMark, const float* centre, float alpha,
                                                      bool animated)
{
    m_drawingCheckMark = 1;
    // The draw pass prepared it (its tracks step once a frame); the list may draw first.
    if (pMark->drawState == kDrawNotPrepared)
        CObjectsInterfaceToolbar::PrepareElementDraw(pMark, 1.0f, 1);
    // The mark's own picture, its middle moved onto the cell's centre.
    float* m = pMark->worldMatrix;
    const float mx = (pMark->bounds[0] + pMark->bounds[2]) * 0.5f, my = (pMark->bounds[1] + pMark->bounds[3]) * 0.5f;
    const float saved[2] = {m[12], m[13]};
    m[12] += centre[0] - (mx * m[0] + my * m[4] + m[12]);
    m[13] += centre[1] - (mx * m[1] + my * m[5] + m[13]);
    const uint8_t byte = pMark->drawAlpha;
    if (!animated)
        pMark->drawAlpha = uint8_t(float(byte) * alpha);
    CObjectsInterfaceToolbar::DrawElement(pMark);
    pMark->drawAlpha = byte;
    m[12] = saved[0];
    m[13] = saved[1];
    m_drawingCheckMark = 0;
}

void CObjectsInterfaceToolbarItemsList::DrawList(ItemsList& list)
{
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    CVornelFont* font = world ? world->GetMainFont() : nullptr;
    const GameData* game = m_pWorldData->pGame;
    if (list.currentPage >= list.pageCount || !game)
        return;
    const ItemsListPage& page = list.pPages[list.currentPage];
    const float step = float(m_pWorldData->frameTime);
    const float textScale = game->screen.textScale;
    const GameTextStyle& style = game->text.toolbar;
    // The bar moves with its own position (a move of the bar slides the list along).
    float position[3];
    GetPosition(&position[0], &position[1], &position[2]);
    if (m_pPositions && m_positionCount)
        for (uint32_t axis = 0; axis < 3; ++axis)
            position[axis] -= (&m_pPositions[0].x)[axis];
    const float dx = position[0] * ScreenScale(0), dy = position[1] * ScreenScale(1);
    ElementRecord* mark = BoundElement(m_checkMarkElement);
    const bool fades = !(list.options & kItemsListMultiPage);
    const bool highlighted = m_highlightLevel >= 0 && m_highlightLevel == m_shownLevel;
    for (uint32_t k = 0; k < page.count; ++k) {
        const uint32_t position = page.first + k;
        ItemsListEntry& entry = list.pEntries[list.pOrder[position]];
        char16_t text[kWorldTextSize];
        if (!GetCellText(k, text, kWorldTextSize))
            continue;
        float drawn = 1.0f;
        if (fades && entry.state == kEntryFadingIn) {
            entry.alpha += step * kEntryFadeStep;
            if (entry.alpha > 1.0f) {
                entry.state = kEntryShown;
                entry.alpha = 1.0f;
            }
        } else if (fades && entry.state == kEntryFadingOut) {
            entry.alpha -= step * kEntryFadeStep;
            if (entry.alpha < 0.0f) {
                ShowNextHidden(list, position);
                m_checkMarkLevel = m_checkMarkId = m_checkMarkPosition = -1;
                entry.state = kEntryFound;
                entry.alpha = 0.0f;
                continue;
            }
        }
        if (fades && (entry.state == kEntryFadingIn || entry.state == kEntryFadingOut))
            drawn = entry.alpha;
        if (highlighted) {
            float factor = 1.0f;
            if (int32_t(entry.element) == m_highlightElement) {
                if (m_highlightActive) {
                    entry.dim += step;
                    if (entry.dim > m_highlightDuration)
                        m_highlightActive = 0;
                }
            } else if (m_highlightActive) {
                entry.dim = std::min(1.0f, entry.dim + step * kEntryFadeStep);
                factor = 1.0f - entry.dim;
            } else {
                entry.dim = std::max(0.0f, entry.dim - step * kEntryFadeStep);
                factor = 1.0f - entry.dim;
                if (entry.dim == 0.0f && k + 1 == page.count) {
                    EndHighlight();
                    factor = 1.0f;
                }
            }
            drawn *= factor * (1.0f - kDimFloor) + kDimFloor;
        }
        const float* centre = page.pCentres[k];
        const float x = centre[0] + dx, y = centre[1] + dy;
        if (font) {
            const float width = style.width * textScale, height = style.height * textScale;
            const float measured = font->GetTextSize(text, width, height).x;
            const float fit = measured > page.cellWidth && measured > 0.0f ? page.cellWidth / measured : 1.0f;
            const ElementRecord* e = LevelElement(list.level, entry.element);
            uint32_t colour = e && (e->flags & kElementDropTarget) ? game->text.toolbarDroppableColor : style.color;
            // An item the script gave a colour of its own shows in it until it is found.
            if (e && e->ownTextColor && entry.remaining != 0)
                colour = e->textColor;
            const float byte = drawn * 255.0f;
            colour = (colour & 0xFFFFFFu) | uint32_t(byte > 0.0f ? (byte < 255.0f ? byte : 255.0f) : 0.0f) << 24;
            font->DrawText(text, x, y, 0.0f, kCellTextFlags, colour, width * fit, height * fit, nullptr, nullptr, 0);
        }
        if (mark && (entry.state == kEntryFadingOut || entry.state == kEntryFound)) {
            const float at[2] = {x, y};
            const bool target = m_checkMarkLevel == int32_t(list.level) && m_checkMarkPosition == int32_t(position);
            DrawCheckMark(mark, at, drawn, target);
        }
    }
}
