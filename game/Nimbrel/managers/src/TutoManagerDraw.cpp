// The tutorial on screen: the frame fading in and out, drawn with the step's scene object, the
// arrow turned to the step's item, the three texts, and the clicks and cursor over them.
#include <cmath>

#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kQuarterTurn = 1.5707964f;
// The arrow stands this many of its widths away from the item it points at.
constexpr float kArrowDistance = 1.05f;
// The step's text and the skip text page; the question answers with its two buttons.
constexpr ExtraTextStyle kTutoTextStyle = {0, 0, 1, 1, 0};

bool Inside(const float* box, float x, float y)
{
    return box[0] <= x && x <= box[2] && box[1] <= y && y <= box[3];
}

// Whether the point lies on a line of the text's current page.
bool OnText(const CExtraDimTextString* text, float x, float y)
{
    const ExtraTextLine* line = text ? text->GetLine(text->GetPage()) : nullptr;
    return line && Inside(line->box, x, y);
}

}  // namespace

// ---- layout --------------------------------------------------------------------------------------

Status CTutoManager::LayoutFrame()
{
    CObjectsInterfaceTuto* tuto = TutoObject();
    if (!tuto || !HasStep() || m_current.positionKey >= tuto->GetPositionCount())
        return kStatusFailed;
    tuto->EndPositionMove(m_current.positionKey);
    return kStatusOk;
}

bool CTutoManager::TextLayout(int32_t part, ExtraTextLayout* pLayout, float inset)
{
    CObjectsInterfaceTuto* tuto = TutoObject();
    ElementRecord* e = tuto ? tuto->GetPartElement(uint32_t(part)) : nullptr;
    CVornelFont* font = Font();
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (!e || !font || !game)
        return false;
    *pLayout = {};
    pLayout->pFont = font;
    pLayout->mode = kExtraTextPaged;
    pLayout->style = kTutoTextStyle;
    tuto->GetElementScreenRect(pLayout->box, e, -1, 0);
    // The frame stands at the step's position key.
    const uint32_t key = tuto->GetSelectedPosition();
    if (key != 0 && key < tuto->GetPositionCount()) {
        const NamedPosition& p = tuto->GetPositions()[key];
        pLayout->box[0] += p.x;
        pLayout->box[2] += p.x;
        pLayout->box[1] += p.y;
        pLayout->box[3] += p.y;
    }
    pLayout->box[0] += inset;
    pLayout->box[2] -= inset;
    pLayout->pMatrix = tuto->GetElementViewMatrix(e);
    pLayout->glyph[0] = game->text.tutorial.width;
    pLayout->glyph[1] = game->text.tutorial.height;
    return true;
}

Status CTutoManager::LayoutTexts()
{
    if (!m_pStepText || !m_pSkipText || !m_pQuestionText || !HasStep())
        return kStatusFailed;
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const float inset = game ? game->text.tutorial.width : 0.0f;
    ExtraTextLayout layout;
    if (!TextLayout(kTutoCenter, &layout, inset))
        return kStatusFailed;
    m_pSkipText->Clear();
    m_pQuestionText->Clear();
    if (m_question) {
        m_pStepText->Clear();
        layout.mode = kExtraTextButtonPages;
        return m_pQuestionText->SetText(FindPopupText(kTutoSkipQuestionName), 0, layout);
    }
    Status status = m_pStepText->SetText(int32_t(m_current.textIndex), 0, layout);
    if (Succeeded(status) && (m_current.flags & kTutoSkippable) && TextLayout(kTutoBottom, &layout, inset))
        status = m_pSkipText->SetText(FindPopupText(kTutoSkipTextName), 0, layout);
    return status;
}

Status CTutoManager::Layout()
{
    if (m_state == kTutoClosed)
        return kStatusOk;
    CObjectsInterfaceTuto* tuto = TutoObject();
    if (!tuto || (!tuto->IsLoaded() && Failed(tuto->Load())))
        return kStatusFailed;
    if (Failed(LayoutFrame()) || Failed(LayoutTexts()))
        return kStatusFailed;
    // An item step starts again, as its item may have moved.
    if (m_current.itemElement != kTutoNoIndex) {
        const TutoStep again = m_current;
        return ShowStep(again);
    }
    return kStatusOk;
}

// ---- the frame's fade --------------------------------------------------------------------------

// The tutorial object is resident and never among the level's objects: its frame fades with the
// object the step belongs to, as it is drawn with it.
Status CTutoManager::UpdateWithObjects(uint32_t objectIndex)
{
    CObjectsInterfaceTuto* tuto = m_state == kTutoClosed || !HasStep() ? nullptr : TutoObject();
    if (!tuto || objectIndex != m_current.itemObject)
        return kStatusOk;
    const float step = m_pWorldData ? float(m_pWorldData->frameTime) : 0.0f;
    const float rate = FadeRate();
    switch (m_state) {
    case kTutoDelay:
        m_timer -= step;
        if (m_timer < 0.0f) {
            m_state = kTutoFadingIn;
            m_timer = 0.0f;
        }
        tuto->SetAlpha(0.0f);
        break;
    case kTutoFadingIn:
        m_timer += rate * step;
        if (m_timer > 1.0f) {
            m_state = kTutoShown;
            m_timer = 1.0f;
        }
        tuto->SetAlpha(m_timer);
        break;
    case kTutoShown:
        tuto->SetAlpha(1.0f);
        break;
    case kTutoFadingOut:
        m_timer -= rate * step;
        if (m_timer < 0.0f) {
            tuto->SetAlpha(0.0f);
            m_timer = 0.0f;
            m_state = kTutoClosed;
            m_pending = 1;
        } else {
            tuto->SetAlpha(m_timer);
        }
        break;
    default:
        break;
    }
    return kStatusOk;
}

// ---- drawing ----------------------------------------------------------------------------------

void CTutoManager::DrawArrow(CObjectsInterfaceTuto* pTuto, float alpha)
{
    CObjectsBase* owner = ObjectAt(m_current.itemObject);
    ElementRecord* item = SceneElementAt(m_pWorldData, m_current.itemObject, m_current.itemElement);
    ElementRecord* arrow = pTuto->GetPartElement(kTutoArrow);
    ElementRecord* centre = pTuto->GetPartElement(kTutoCenter);
    if (!owner || !item || !arrow || !centre || !m_pWorldData || !m_pWorldData->pMath)
        return;
    float target[3], from[3];
    owner->ProjectElementToScreen(target, item);
    // The centre part where the frame stands: its place plus the step's position key.
    float place[3];
    pTuto->GetElementPosition(place, centre);
    const uint32_t key = pTuto->GetSelectedPosition();
    const NamedPosition* offset = key != 0 && key < pTuto->GetPositionCount() ? &pTuto->GetPositions()[key] : nullptr;
    if (offset) {
        place[0] += offset->x;
        place[1] += offset->y;
        place[2] += offset->z;
    }
    C3DVector3 v;
    m_pWorldData->pMath->Vec3TransformCoord(&v, place[0], place[1], place[2], pTuto->GetElementViewMatrix(centre));
    from[0] = v.x;
    from[1] = v.y;
    const float dx = target[0] - from[0], dy = target[1] - from[1];
    const float length = std::sqrt(dx * dx + dy * dy);
    const float angle = std::atan2(dy, dx);
    arrow->turnAngle = angle + kQuarterTurn;
    // The arrow's tip stands short of the item by its own width, on the line from the frame.
    const float width = arrow->size[0] * kArrowDistance;
    const float back = length > 0.0f ? width / length : 0.0f;
    float local[3];
    pTuto->ScreenToElement(local, target[0] - dx * back, target[1] - dy * back, 0.0f, arrow);
    // The draw adds the position key again.
    pTuto->GetElementPosition(place, arrow);
    const float shift[3] = {offset ? offset->x : 0.0f, offset ? offset->y : 0.0f, offset ? offset->z : 0.0f};
    for (int i = 0; i < 3; ++i)
        place[i] += local[i] - shift[i];
    pTuto->SetElementPosition(arrow, place);
    pTuto->DrawSingleElement(arrow, alpha);
}

Status CTutoManager::RenderWithObjects(uint32_t objectIndex)
{
    if (m_state == kTutoClosed || !HasStep() || objectIndex != m_current.itemObject)
        return kStatusOk;
    CObjectsInterfaceTuto* tuto = TutoObject();
    if (!tuto)
        return kStatusOk;
    tuto->BeginDraw(0);
    for (uint32_t part = kTutoBackground; part <= kTutoClose; ++part)
        if (part != kTutoClose || !m_question)
            tuto->DrawSingleElement(tuto->GetPartElement(part), 1.0f);
    if (m_current.itemElement != kTutoNoIndex && (m_current.itemFlags & kTutoArrowItem))
        DrawArrow(tuto, 1.0f);
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const uint32_t rgb = (game ? game->text.tutorial.color : 0xFFFFFFFFu) & 0xFFFFFFu;
    const float alpha = tuto->GetAlpha();
    const uint32_t color = (uint32_t(alpha * 255.0f) << 24) | rgb;
    if (m_question) {
        m_pQuestionText->Draw(color, nullptr);
    } else {
        m_pStepText->Draw(color, nullptr);
        if (m_current.flags & kTutoSkippable)
            m_pSkipText->Draw(color, nullptr);
    }
    return kStatusOk;
}

// ---- the player --------------------------------------------------------------------------------

void CTutoManager::OpenQuestion()
{
    m_question = 1;
    // The press that opened it is not a press of anything under it.
    if (m_pWorldData) {
        m_pWorldData->leftDown = 0;
        m_pWorldData->leftPressed = 0;
        m_pWorldData->leftReleased = 0;
    }
    LayoutTexts();
}

Status CTutoManager::OnClick(float x, float y, uint32_t)
{
    CObjectsInterfaceTuto* tuto = TutoObject();
    if (!HasStep() || !m_pStepText)
        return kStatusFailed;
    if (!m_question) {
        if (tuto && tuto->GetPart(kTutoClose) >= 0 && tuto->PartAt(x, y) == tuto->GetPart(kTutoClose)) {
            OpenQuestion();
            return kStatusOk;
        }
        if (Succeeded(m_pStepText->Click(x, y)))
            return kStatusOk;
        if ((m_current.flags & kTutoSkippable) && OnText(m_pSkipText, x, y)) {
            SetProfileTutorialOff();
            OpenQuestion();
            return kStatusOk;
        }
    } else {
        const Status answer = m_pQuestionText->Click(x, y);
        if (answer == kTutoAnswerYes) {
            m_pending = 1;
            m_skipAll = 1;
            return kStatusOk;
        }
        if (answer == kTutoAnswerNo) {
            m_question = 0;
            LayoutTexts();
            m_state = kTutoShown;
            m_timer = 1.0f;
            return kStatusOk;
        }
    }
    if (!m_current.done && !m_question && (m_skipAll || (m_current.flags & kTutoExitClickIn))) {
        OnInput();
        return kStatusOk;
    }
    return kStatusFailed;
}

Status CTutoManager::UpdateCursorState(float x, float y, uint32_t)
{
    CObjectsInterfaceTuto* tuto = TutoObject();
    if (!HasStep() || !m_pStepText)
        return kStatusFailed;
    if (!m_question && tuto && tuto->GetPart(kTutoClose) >= 0 && tuto->PartAt(x, y) == tuto->GetPart(kTutoClose)) {
        tuto->CObjectsInterface::UpdateCursorState(x, y, nullptr);
        return kStatusOk;
    }
    SelectCursor(nullptr);
    const bool hit = m_question ? Succeeded(m_pQuestionText->CursorTest(x, y))
                                : Succeeded(m_pStepText->CursorTest(x, y)) ||
                                      ((m_current.flags & kTutoSkippable) && OnText(m_pSkipText, x, y));
    if (!hit)
        return kStatusFailed;
    SelectCursor(u"clickable");
    return kStatusOk;
}
