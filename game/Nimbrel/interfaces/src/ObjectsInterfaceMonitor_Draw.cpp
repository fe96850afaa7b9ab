// The score monitor on screen: the current level's text over the monitor element, placed by the
// element's alignment byte, in its text colour.
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/WorldData.h"

namespace {

// Where the text sits in the element's rectangle, by the element's alignment byte.
enum MonitorAlignment : uint8_t {
    kAlignTopCentre = 1,       // 1 and 2
    kAlignTopCentreAlt = 2,
    kAlignMiddle = 3,          // 3 and 4: centred both ways
    kAlignMiddleAlt = 4,
    kAlignTopRight = 5,
};

}  // namespace

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
    const float left = rect[0] * ScreenScale(0), top = rect[1] * ScreenScale(1);
    const float right = rect[2] * ScreenScale(0), bottom = rect[3] * ScreenScale(1);
    const float width = game->text.monitor.width * game->screen.textScale;
    const float height = game->text.monitor.height * game->screen.textScale;
    const C3DVector3 size = font->GetTextSize(text, width, height);
    float x = left, y = top;
    switch (element.flagByte4) {
    case kAlignTopCentre:
    case kAlignTopCentreAlt:
        x = left + (right - left - size.x) * 0.5f;
        break;
    case kAlignMiddle:
    case kAlignMiddleAlt:
        x = left + (right - left - size.x) * 0.5f;
        y = top + (bottom - top - size.y) * 0.5f;
        break;
    case kAlignTopRight:
        x = right - size.x;
        break;
    default:
        break;
    }
    const uint32_t colour = uint32_t(element.drawAlpha) << 24 | (element.textColor & 0xFFFFFFu);
    font->DrawText(text, x, y, 0.0f, 0, colour, width, height, nullptr, nullptr, 0);
}
