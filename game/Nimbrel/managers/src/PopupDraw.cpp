// The drawing of the popup manager's three channels with the popups object's pictures: the
// narrator on the upper band, the popup text on its background over the lower band and its page
// buttons, and the object popup in its frame with the scene object's picture fitted into the
// item box.
#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/TextAnchor.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/WorldData.h"

namespace {

// The page and the message: centred on their point, with a shadow.
constexpr uint32_t kPageFlags = kTextShadow | kTextCentreX | kTextCentreY;
constexpr uint32_t kNarratorFlags = kTextCentreX | kTextCentreY;

uint32_t WithAlpha(uint32_t color, float alpha)
{
    const float a = alpha < 0.0f ? 0.0f : alpha > 1.0f ? 1.0f : alpha;
    return (color & 0x00FFFFFFu) | (static_cast<uint32_t>(a * 255.0f) << 24);
}

// The popups object when it can draw: loaded, with its elements.
CObjectsInterfacePopups* Drawable(CObjectsInterfacePopups* popups)
{
    return popups && popups->IsLoaded() ? popups : nullptr;
}

void DrawRole(CObjectsInterfacePopups* popups, uint32_t role, float alpha)
{
    if (ElementRecord* element = popups ? popups->GetRoleElement(role) : nullptr)
        popups->DrawSingleElement(element, alpha);
}

}  // namespace

void CPopupManager::DrawText(const char16_t* text, float x, float y, uint32_t flags, const GameTextStyle& style,
                             uint32_t color)
{
    CVornelFont* font = Font();
    if (!font || !text)
        return;
    const float scale = TextScale();
    font->DrawText(text, x, y, 0.0f, flags, color, style.width * scale, style.height * scale, nullptr, nullptr, 0);
}

bool CPopupManager::HasInterfaceView() const
{
    return m_pWorldData && m_pWorldData->game.view.interfaceScaleX > 0.0f &&
           m_pWorldData->game.view.interfaceScaleY > 0.0f;
}

void CPopupManager::VirtualToScreen(float* pSize) const
{
    if (HasInterfaceView()) {
        pSize[0] *= m_pWorldData->game.view.interfaceScaleX;
        pSize[1] *= m_pWorldData->game.view.interfaceScaleY;
    }
}

void CPopupManager::ScreenTextBox(float ratio, float* pSize) const
{
    // The share of the screen as the interfaces show it: on a window wider than the reference's
    // shape the virtual screen reaches beyond the popup's pictures.
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (game && HasInterfaceView()) {
        pSize[0] = game->screen.referenceWidth * ratio;
        pSize[1] = game->screen.referenceHeight * ratio;
        VirtualToScreen(pSize);
    } else {
        pSize[0] = (m_pWorldData ? m_pWorldData->virtualWidth : 0) * ratio;
        pSize[1] = (m_pWorldData ? m_pWorldData->virtualHeight : 0) * ratio;
    }
}

void CPopupManager::BoxToScreen(const ElementRecord* pBox, float* pSize) const
{
    pSize[0] = pBox->size[0];
    pSize[1] = pBox->size[1];
    VirtualToScreen(pSize);
}

void CPopupManager::Render()
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!game || (!m_pNarratorText && !m_pPageText))
        return;
    CObjectsInterfacePopups* popups = Drawable(PopupsObject());
    if (popups)
        popups->BeginDraw(0);

    // The narrator line on its band, both at the narrator's alpha.
    if (ElementRecord* band = m_pNarratorText && popups ? popups->GetRoleElement(kPopupsBandUp) : nullptr) {
        popups->DrawSingleElement(band, m_narratorAlpha);
        float at[3];
        popups->ProjectElementToScreen(at, band);
        DrawText(m_pNarratorText, at[0], at[1], kNarratorFlags, game->text.narrator,
                 WithAlpha(game->text.narrator.color, m_narratorAlpha));
    }

    // The page on its background, centred on the screen, over the band of the page buttons.
    if (m_pPageText && popups && popups->GetRoleElement(kPopupsBackground)) {
        ShowButtons(m_previousShown, 1, 0);
        DrawRole(popups, kPopupsBackground, 1.0f);
        // A label's pictures lie in three layers: two under the band, one over it.
        const bool labelled = m_labelIndex != -1;
        if (labelled)
            DrawLabelLayers(1, 2);
        DrawRole(popups, kPopupsBandDown, 1.0f);
        if (labelled)
            DrawLabelLayers(3, 3);
        DrawRole(popups, kPopupsNext, 1.0f);
        if (m_previousShown)
            DrawRole(popups, kPopupsPrevious, 1.0f);
        // In the label's text box from its top left corner, or centred on the screen.
        ElementRecord* box = labelled ? LabelTextBox() : nullptr;
        if (box) {
            float at[3], size[2];
            BoxToScreen(box, size);
            LabelsObject()->ProjectElementToScreen(at, box);
            DrawText(m_pPageText, at[0] + m_pageX - size[0] * 0.5f, at[1] + m_pageY - size[1] * 0.5f,
                     kTextShadow | m_pageAlign, game->text.popup,
                     game->text.popup.color);
        } else {
            const float at[2] = {m_pWorldData->virtualWidth * 0.5f + m_pageX,
                                 m_pWorldData->virtualHeight * 0.5f + m_pageY};
            DrawText(m_pPageText, at[0], at[1], kPageFlags | m_pageAlign, game->text.popup, game->text.popup.color);
        }
    }
}

void CPopupManager::RenderWithObjects(uint32_t objectIndex)
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!game || m_objectIndex != static_cast<int32_t>(objectIndex))
        return;
    CObjectsInterfacePopups* popups = Drawable(PopupsObject());
    ElementRecord* box = popups ? popups->GetRoleElement(kPopupsItemBox) : nullptr;
    if (!box)
        return;
    popups->BeginDraw(0);
    ShowButtons(0, 0, 1);
    for (uint32_t i = 0; i < popups->GetFrameCount(); ++i)
        if (ElementRecord* frame = popups->GetItemRecord(static_cast<uint32_t>(popups->GetFrame()[i])))
            popups->DrawSingleElement(frame, m_objectAlpha);
    DrawRole(popups, kPopupsClose, m_objectAlpha);

    float centre[3];
    popups->GetElementPosition(centre, box);
    DrawObjectItem(objectIndex, box, centre);

    if (m_pMessageText) {
        // Placed in the box by its anchor mode from its top left corner, else centred on it.
        const bool anchored = IsTextAnchorMode(box->flagByte4);
        float at[3], corner[2] = {m_messageX, m_messageY};
        if (anchored) {
            float size[2];
            BoxToScreen(box, size);
            corner[0] -= size[0] * 0.5f;
            corner[1] -= size[1] * 0.5f;
        }
        popups->ProjectElementToScreen(at, box);
        const uint32_t flags = (anchored ? kTextShadow : kPageFlags) | m_messageAlign;
        DrawText(m_pMessageText, at[0] + corner[0], at[1] + corner[1], flags, game->text.message,
                 WithAlpha(game->text.message.color, m_objectAlpha));
    }
}

float CPopupManager::FitScale(const float* itemSize, const float* boxSize)
{
    // Only a picture larger than the box shrinks; a smaller one keeps its size.
    if (itemSize[0] <= boxSize[0] && itemSize[1] <= boxSize[1])
        return 1.0f;
    const float sx = itemSize[0] > 0.0f ? boxSize[0] / itemSize[0] : 1.0f;
    const float sy = itemSize[1] > 0.0f ? boxSize[1] / itemSize[1] : 1.0f;
    return sx < sy ? sx : sy;
}

void CPopupManager::DrawObjectItem(uint32_t objectIndex, ElementRecord* pBox, const float* pCentre)
{
    CObjectsBase* object = SceneObjectAt(m_pWorldData, objectIndex);
    ElementRecord* item =
        m_elementIndex >= 0 ? SceneElementAt(m_pWorldData, objectIndex, static_cast<uint32_t>(m_elementIndex)) : nullptr;
    CObjectsInterfacePopups* popups = PopupsObject();
    C3DMath* math = m_pWorldData->pMath;
    if (!item || !popups || !math || Failed(object->PrepareElementDraw(item, m_objectAlpha, 1)))
        return;
    // The picture about the box's centre, through the popups' own view rather than the scene's.
    const float scale = FitScale(item->size, pBox->size);
    float place[16];
    math->SetIdentity(place);
    math->Translate(place, pCentre[0], pCentre[1], pCentre[2]);
    math->Scale(place, scale, scale, 1.0f);
    math->Multiply(item->worldMatrix, place, popups->GetElementViewMatrix(pBox));
    object->DrawElement(item);
}
