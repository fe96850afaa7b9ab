// The texts an element carries: its popup text and its number, laid out into its box, drawn
// over it, and joined to the pointer's hover and clicks.
#include <new>

#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/WorldData.h"

namespace {

CNimbrelWorld* GameWorld(WorldData* w) { return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr; }

// Element texts sit centred in their box, shrunk to fit, their digits in the font's code space.
constexpr ExtraTextStyle kElementTextStyle = {0, 0, 1, 1, kExtraTextRemappedDigits};

// The colour's own alpha times the element's.
uint32_t WithElementAlpha(uint32_t color, uint8_t alpha)
{
    return (color & 0xFFFFFFu) | ((color >> 24) * alpha / 255u) << 24;
}

}  // namespace

bool CObjectsBase::GetElementTextLayout(const ElementRecord* pElement, ExtraTextLayout* pLayout)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CVornelFont* font = world ? (world->GetSecondFont() ? world->GetSecondFont() : world->GetMainFont()) : nullptr;
    if (!pElement || !font)
        return false;
    *pLayout = {};
    pLayout->pFont = font;
    pLayout->mode = kExtraTextPaged;
    pLayout->style = kElementTextStyle;
    const int32_t rectangle = pElement->textRect == 0 ? -1 : int32_t(pElement->textRect - 1);
    if (Failed(GetElementScreenRect(pLayout->box, pElement, rectangle, 0)) &&
        Failed(GetElementScreenRect(pLayout->box, pElement, -1, 0)))
        return false;
    pLayout->pMatrix = GetElementViewMatrix(pElement);
    const ManagedTextStyle& extra = world->ExtraTextStyle();
    pLayout->glyph[0] = pElement->textSize ? float(pElement->textSize) : extra.width;
    pLayout->glyph[1] = pElement->textSize ? float(pElement->textSize) : extra.height;
    return true;
}

Status CObjectsBase::SetElementText(ElementRecord* pElement, int32_t stringId, uint32_t flag)
{
    if (!pElement)
        return kStatusFailed;
    if (!pElement->pStringText && !(pElement->pStringText = new (std::nothrow) CExtraDimTextString(m_pWorldData)))
        return OutOfMemory();
    CExtraDimTextString* text = pElement->pStringText;
    if (!text->IsEmpty() && text->GetStringIndex() == stringId && text->GetCommons() == uint8_t(flag))
        return kStatusOk;
    ExtraTextLayout layout;
    if (!GetElementTextLayout(pElement, &layout))
        return kStatusFailed;
    return text->SetText(stringId, uint8_t(flag), layout);
}

Status CObjectsBase::SetElementNumber(ElementRecord* pElement, uint32_t easing, int32_t value, float seconds,
                                      uint8_t force)
{
    if (!pElement)
        return kStatusFailed;
    if (!pElement->pNumberText && !(pElement->pNumberText = new (std::nothrow) CExtraDimTextNumber(m_pWorldData)))
        return OutOfMemory();
    CExtraDimTextNumber* number = pElement->pNumberText;
    const bool same = number->GetTarget() == uint32_t(value);
    if (!force && same && !number->IsEmpty())
        return kStatusOk;
    ExtraTextLayout layout;
    if (!GetElementTextLayout(pElement, &layout))
        return kStatusFailed;
    // A relayout keeps a running count where it stands.
    if (!force && same)
        return number->Relayout(layout);
    return number->SetNumber(value, force ? seconds : 0.0f, easing, layout);
}

Status CObjectsBase::RefreshElementNumber(ElementRecord* pElement)
{
    CExtraDimTextNumber* number = pElement ? pElement->pNumberText : nullptr;
    if (!number)
        return kStatusFailed;
    number->Step(float(m_pWorldData->frameTime));
    ExtraTextLayout layout;
    if (!number->IsDirty())
        return kStatusOk;
    return GetElementTextLayout(pElement, &layout) ? number->Relayout(layout) : kStatusFailed;
}

Status CObjectsBase::ClearElementTexts(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (pElement->pStringText)
        pElement->pStringText->Clear();
    if (pElement->pNumberText)
        pElement->pNumberText->Clear();
    return kStatusOk;
}

void CObjectsBase::DrawElementTexts(ElementRecord* pElement)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    if (!world)
        return;
    const uint32_t color =
        WithElementAlpha(pElement->ownTextColor ? pElement->textColor : world->ExtraTextStyle().color,
                         pElement->drawAlpha);
    if (pElement->textStringId != -1) {
        const CExtraTextManager* extra = world->GetExtraTextManager();
        const int64_t base = extra && extra->GetSlotCount() != kExtraTextSlotsUnknown ? extra->GetPopupTextBase() : 0;
        if (Succeeded(SetElementText(pElement, int32_t(pElement->textStringId + base), 0)))
            pElement->pStringText->Draw(color, nullptr);
    }
    if (pElement->pNumberText &&
        Succeeded(SetElementNumber(pElement, pElement->scoreEasing, pElement->score, 0.0f, 0)) &&
        Succeeded(RefreshElementNumber(pElement)))
        pElement->pNumberText->Draw(color, nullptr);
}

CExtraDimTextString* CObjectsBase::GetElementText(const ElementRecord* pElement) const
{
    return pElement && pElement->textStringId != -1 ? pElement->pStringText : nullptr;
}

bool CObjectsBase::HoverElementText(const ElementRecord* pElement, float x, float y)
{
    CExtraDimTextString* text = GetElementText(pElement);
    if (!text || Failed(text->CursorTest(x, y)))
        return false;
    SelectCursor("clickable");
    return true;
}

void CObjectsBase::ClickElementText(const ElementRecord* pElement, float x, float y)
{
    // The lines lie in screen units, where the pointer is.
    if (CExtraDimTextString* text = GetElementText(pElement))
        text->Click(x, y);
}

float CObjectsBase::TextHitOffset() const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
    return extra ? extra->GetTextHitOffset() : 0.0f;
}
