// The score monitor on screen: the current level's text over the monitor element, placed by the
// element's anchor mode, in its text colour.
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"

#include "NimbrelObjects/TextAnchor.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/WorldData.h"

Status CObjectsInterfaceMonitor::DrawElement(ElementRecord* pElement)
{
    const Status status = CObjectsInterface::DrawElement(pElement);
    if (!pElement || int32_t(pElement->index) != m_monitorElement)
        return status;
    CObjectsBase* current = CurrentSceneObject();
    const MonitorRecord* record = current ? GetRecord(current->GetObjectNumber()) : nullptr;
    if (record && record->text[0])
        DrawScore(*pElement, record->text);
    return status;
}

void CObjectsInterfaceMonitor::DrawScore(const ElementRecord& element, const char16_t* text)
{
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    CVornelFont* font = world ? world->GetMainFont() : nullptr;
    const GameData* game = m_pWorldData->pGame;
    if (!font || !game)
        return;
    float rect[4];
    GetElementScreenRect(rect, &element, -1, 0);
    const float left = rect[0] * ScreenScale(0) + ScreenOffset(0), top = rect[1] * ScreenScale(1) + ScreenOffset(1);
    const float right = rect[2] * ScreenScale(0) + ScreenOffset(0);
    const float bottom = rect[3] * ScreenScale(1) + ScreenOffset(1);
    const float width = game->text.monitor.width * game->screen.textScale;
    const float height = game->text.monitor.height * game->screen.textScale;
    const C3DVector3 size = font->GetTextSize(text, width, height);
    const float box[2] = {right - left, bottom - top}, measured[2] = {size.x, size.y};
    float offset[2];
    TextAnchorOffset(element.flagByte4, box, measured, offset);
    const float x = left + offset[0], y = top + offset[1];
    const uint32_t colour = uint32_t(element.drawAlpha) << 24 | (element.textColor & 0xFFFFFFu);
    font->DrawText(text, x, y, 0.0f, 0, colour, width, height, nullptr, nullptr, 0);
}
