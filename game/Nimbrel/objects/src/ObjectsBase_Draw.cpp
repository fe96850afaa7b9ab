// Drawing a scene object: the view of the object and of each element, the preparation of an
// element once a frame (its world matrix, colour and alpha from its place, tracks and
// animators) and the draw in draw order, masked by its zone or its material element.
#include <cstring>

#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CShaderManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/WorldData.h"

namespace {

// The three colour channels times a factor, each held to 0..255.
uint32_t ScaleChannels(uint32_t color, float factor)
{
    if (factor == 1.0f)
        return color & 0xFFFFFFu;
    if (!(factor > 0.0f))
        return 0;
    uint32_t scaled = 0;
    for (uint32_t shift = 0; shift < 24; shift += 8) {
        const float channel = float(color >> shift & 0xFFu) * factor;
        scaled |= uint32_t(channel >= 255.0f ? 255.0f : channel + 0.5f) << shift;
    }
    return scaled;
}

// Codes of the renderers' blend table.
constexpr uint32_t kBlendSourceAlpha = 5;
constexpr uint32_t kBlendOne = 3;
constexpr uint32_t kBlendInverseSourceAlpha = 10;

// Bits of a texture's second word that the element decides: its light is added, and a drifting
// picture repeats both ways as it scrolls.
constexpr uint32_t kTextureAdditive = 0x80;
constexpr uint32_t kTextureRepeat = 0x3000;

// Developer outlines, by what the element answers to.
constexpr uint32_t kOutlineClickable = 0xFFFFE000u;
constexpr uint32_t kOutlineDraggable = 0xFF00E0FFu;
constexpr uint32_t kOutlineOther = 0xFFFF40FFu;

void Add(float* p, float x, float y, float z)
{
    p[0] += x;
    p[1] += y;
    p[2] += z;
}

void Add(float* p, const NamedPosition& q) { Add(p, q.x, q.y, q.z); }

// The element's base position record (0, 0, 0 without records).
void AddBasePosition(float* p, const ElementRecord& e)
{
    if (e.pPositions && e.positionCount > 0)
        Add(p, e.pPositions[0]);
}

uint8_t AlphaByte(float value)
{
    if (!(value > 0.0f))  // NaN too
        return 0;
    return value >= 255.0f ? 255 : uint8_t(value);
}

}  // namespace

C3DEngine* CObjectsBase::Engine() const { return m_pWorldData ? m_pWorldData->p3DEngine : nullptr; }

// ---- views ---------------------------------------------------------------------------------

const float* CObjectsBase::GetViewMatrix() const
{
    const GameViewRecord& view = m_pWorldData->game.view;
    if (IsInterface() && m_typeCode != kObjectKindMenu) {
        if (m_typeCode == kObjectKindPopups || m_typeCode == kObjectKindToolbox)
            return view.matrixPopup;
        return view.matrixOverlay;
    }
    return m_overlay ? view.matrixAlternate : view.matrixScene;
}

bool CObjectsBase::UsesOverlay(const ElementRecord* pElement) const
{
    const uint16_t word = AnchorWord(pElement->anchor);
    if (word & kAnchorSafeRect)
        return false;
    return word != 0 || (IsInterface() && m_typeCode != kObjectKindMenu);
}

const float* CObjectsBase::GetElementViewMatrix(const ElementRecord* pElement) const
{
    return UsesOverlay(pElement) ? m_pWorldData->game.view.matrixOverlay : GetViewMatrix();
}

// ---- the draw pass -----------------------------------------------------------------------------

Status CObjectsBase::Draw()
{
    BeginDraw(0);
    DrawElements(-1, 0);
    return kStatusOk;
}

Status CObjectsBase::BeginDraw(uint8_t pass)
{
    m_drawPass = pass;
    for (uint32_t i = 0; i < m_elementCount; ++i) {
        ElementRecord* element = GetItemRecord(i);
        element->drawState = kDrawNotPrepared;
        element->animationEnded = 0;
    }
    // No mask of the object drawn before survives into this one.
    ResetMaterialCache();
    return kStatusOk;
}

int32_t CObjectsBase::DrawElements(int32_t pass, uint8_t matchAll)
{
    if (!m_pRenderModel || !m_pElements)
        return 0;
    int32_t drawn = 0;
    ElementRecord* last = nullptr;
    for (uint32_t k = 0; k < m_elementCount; ++k) {
        const uint32_t index = GetDrawSlotElement(k);
        if (index >= m_elementCount)
            continue;
        ElementRecord* e = GetItemRecord(index);
        if (e->inactive)
            continue;
        if (m_drawPass != 0 && (e->flags & kElementPassFiltered)) {
            const uint32_t mask = matchAll ? e->passMask : e->passMask & uint32_t(pass);
            if (mask != uint32_t(pass))
                continue;
        }
        const bool dragged = (e->flags & kElementDraggable) && !(e->flags & kElementFound) &&
                             (m_heldElement == int32_t(index) || IsDraggedByManager(e));
        if (dragged) {
            if (e->drawState == kDrawNotPrepared)
                PrepareElementDraw(e, 1.0f, 0);
            const int32_t shadow = e->dragParameters[1];
            if (shadow >= 0 && uint32_t(shadow) < m_elementCount && uint32_t(shadow) != index) {
                ElementRecord* s = GetItemRecord(uint32_t(shadow));
                if (s->drawState == kDrawNotPrepared)
                    PrepareElementDraw(s, 1.0f, 0);
                s->drawState = e->drawState;
            }
            if (!(e->action & kActionNoClickAction)) {
                last = e;
                continue;
            }
        }
        DrawElementWithTexts(e, pass);
        ++drawn;
    }
    // The held element goes over everything else of its object.
    if (last) {
        DrawElementWithTexts(last, pass);
        ++drawn;
    }
    return drawn;
}

Status CObjectsBase::DrawSingleElement(ElementRecord* pElement, float alpha)
{
    if (!pElement || Failed(PrepareElementDraw(pElement, alpha, 0)))
        return kStatusFailed;
    return DrawElement(pElement);
}

ElementRecord* CObjectsBase::GetParentElement(const ElementRecord* pElement)
{
    C3DObjectIndex* groups = m_pRenderModel ? m_pRenderModel->GetObjectIndex() : nullptr;
    const C3DGroupRecord* own = groups ? groups->GetGroup(pElement->index) : nullptr;
    if (!own || own->link == kGroupLinkUnset)
        return nullptr;
    // The whole chain must stay inside the object and end: a model may link anywhere.
    uint32_t at = own->link;
    for (uint32_t steps = 0;; ++steps) {
        if (at >= m_elementCount || at == pElement->index || steps >= m_elementCount)
            return nullptr;
        const C3DGroupRecord* next = groups->GetGroup(at);
        if (!next || next->link == kGroupLinkUnset)
            break;
        at = next->link;
    }
    return GetItemRecord(own->link);
}

Status CObjectsBase::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    if (!pElement || !math)
        return kStatusFailed;
    ElementRecord& e = *pElement;
    ElementRecord* parent = GetParentElement(pElement);
    if (parent)
        std::memcpy(e.localMatrix, parent->localMatrix, sizeof e.localMatrix);
    else
        math->SetIdentity(e.localMatrix);

    float p[3] = {0.0f, 0.0f, 0.0f};
    if (parent) {
        Add(p, e.baseOffset[0] - parent->baseOffset[0], e.baseOffset[1] - parent->baseOffset[1],
            e.baseOffset[2] - parent->baseOffset[2]);
        AddBasePosition(p, e);
    } else {
        GetElementPosition(p, pElement);
    }
    // Index 0 is the base record, already counted.
    if (e.positionIndex != 0 && e.positionIndex < e.positionCount && e.pPositions)
        Add(p, e.pPositions[e.positionIndex]);
    if (e.positionId != 0)
        Add(p, e.positionOffset[0], e.positionOffset[1], e.positionOffset[2]);
    if (!parent) {
        if (e.anchor != kAnchorOwnOffset && m_selectedPosition != 0 && m_selectedPosition < m_positionCount)
            Add(p, m_pPositions[m_selectedPosition]);
        if (m_positionId != 0)
            Add(p, m_positionOffset[0], m_positionOffset[1], m_positionOffset[2]);
    }
    Add(p, e.dragOffset[0], e.dragOffset[1], e.dragOffset[2]);

    // The tracks step once a frame; the element's animation has ended when every track has.
    bool ended = true;
    float scaleFactor = 1.0f, turn = 0.0f;
    int32_t trackAlpha = 255;
    uint32_t color = e.color;
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
        C3DObjectModifier* track = GetElementTrack(e.index, kind);
        if (!track)
            continue;
        C3DVector3 v = {0.0f, 0.0f, 0.0f};
        switch (kind) {
        case kModifierScale:
            scaleFactor = static_cast<C3DObjectModifierScale*>(track)->Apply();
            break;
        case kModifierPosition:
            static_cast<C3DObjectModifierPosition*>(track)->Apply(&v);
            Add(p, v.x, v.y, v.z);
            break;
        case kModifierRotation:
            static_cast<C3DObjectModifierRotation*>(track)->Apply(&v);
            turn += v.z;
            break;
        case kModifierDirectAlpha:
            trackAlpha = static_cast<C3DObjectModifierDirectAlpha*>(track)->Apply();
            break;
        case kModifierDirectColor:
            color = static_cast<C3DObjectModifierDirectColor*>(track)->Apply();
            break;
        case kModifierVertexPosition:
            static_cast<C3DObjectModifierVertexPosition*>(track)->Apply();
            break;
        default:
            static_cast<C3DObjectModifierVertexTexture*>(track)->Apply();
            break;
        }
        ended = ended && track->IsFinished();
    }

    float scale = e.pScales && e.scaleIndex < e.scaleCount ? e.pScales[e.scaleIndex].value : 1.0f;
    if (e.scaleId != 0)
        scale += e.scaleOffset;
    scale *= scaleFactor;
    turn += e.turnAngle;
    if (e.pRotations && e.rotationCount > 0)
        turn += e.pRotations[0].value;
    // As with the positions, index 0 is the base rotation just added.
    if (e.pRotations && e.rotationIndex != 0 && e.rotationIndex < e.rotationCount)
        turn += e.pRotations[e.rotationIndex].value;
    if (e.rotationId != 0)
        turn += e.rotationOffset;
    // The corners turn and scale about the pivot, then move to the place; the parent's frame last.
    math->Translate(e.localMatrix, p[0], p[1], p[2]);
    math->Translate(e.localMatrix, e.pivot[0], e.pivot[1], 0.0f);
    math->Rotate(e.localMatrix, turn);
    math->Scale(e.localMatrix, scale, scale, 1.0f);
    math->Translate(e.localMatrix, -e.pivot[0], -e.pivot[1], 0.0f);

    // The colour word's top byte is part of the alpha; the element's and the object's
    // brightness (an element effect's level) scale the channels.
    e.drawColor = ScaleChannels(color, e.brightness * m_brightness);
    e.drawAlpha = AlphaByte(float(trackAlpha) * (1.0f / 255.0f) * e.alpha * e.alphaMultiplier * m_alpha * alpha *
                            float(color >> 24));

    if (ended)
        if (CCommandList* list = GetElementEndList(e.index))
            list->BurnAll(1, int32_t(m_objectNumber), int32_t(e.index), -1);

    math->Multiply(e.worldMatrix, e.localMatrix, GetElementViewMatrix(pElement));
    e.animationEnded = ended ? 1 : 0;
    e.drawState = kDrawHidden;
    // An inactive element is never seen; beside a hidden element, one that works out fully
    // transparent has nothing to draw.
    const bool shown = !e.inactive && (force || !(e.flags & kElementHidden) || e.alpha != 0.0f);
    if (!shown || (!force && e.drawAlpha == 0))
        return kStatusFailed;
    e.drawState = kDrawVisible;
    return kStatusOk;
}

Status CObjectsBase::DrawElementWithTexts(ElementRecord* pElement, int32_t)
{
    C3DObject* model = m_pRenderModel;
    if (!pElement || !model)
        return kStatusFailed;
    // The ancestors first: each time the highest one not yet prepared.
    for (ElementRecord* parent = GetParentElement(pElement); parent && parent->drawState == kDrawNotPrepared;
         parent = GetParentElement(pElement)) {
        ElementRecord* top = parent;
        for (ElementRecord* up = GetParentElement(top); up && up->drawState == kDrawNotPrepared; up = GetParentElement(up))
            top = up;
        PrepareElementDraw(top, 1.0f, 0);
    }

    const uint32_t creation = model->GetCreationWord();
    bool masked = false;
    if (pElement->zone != -1) {
        masked = SelectZoneMask(pElement->zone);
    } else if (pElement->materialElement >= 0 && uint32_t(pElement->materialElement) < m_elementCount &&
               uint32_t(pElement->materialElement) != pElement->index) {
        ElementRecord* material = GetItemRecord(uint32_t(pElement->materialElement));
        if (material->drawState == kDrawNotPrepared)
            PrepareElementDraw(material, 1.0f, 0);
        SelectElementMaterialByIndex(material->index);
        masked = true;
    }
    model->SetCreationWord(masked ? creation | k3DDrawDepthTest : creation & ~k3DDrawDepthTest);

    if (pElement->drawState == kDrawNotPrepared && !pElement->noAutoPrepare)
        PrepareElementDraw(pElement, 1.0f, 0);
    if (pElement->drawState == kDrawVisible && !pElement->noDraw) {
        const int32_t stand = pElement->dragParameters[0];
        const bool dragged = (pElement->flags & kElementDraggable) && !(pElement->flags & kElementFound) &&
                             (m_heldElement == int32_t(pElement->index) || IsDraggedByManager(pElement));
        if (dragged && stand >= 0 && uint32_t(stand) < m_elementCount && uint32_t(stand) != pElement->index) {
            // Drawn as another element while it is dragged.
            ElementRecord* other = GetItemRecord(uint32_t(stand));
            if (other->drawState == kDrawNotPrepared)
                PrepareElementDraw(other, 1.0f, 0);
            std::memcpy(other->worldMatrix, pElement->worldMatrix, sizeof other->worldMatrix);
            other->drawColor = pElement->drawColor;
            other->drawAlpha = pElement->drawAlpha;
            DrawElement(other);
        } else {
            DrawElement(pElement);
        }
        DrawElementTexts(pElement);
        DrawElementOutline(pElement);
    }
    model->SetCreationWord(creation);
    return kStatusOk;
}

void CObjectsBase::DrawElementOutline(const ElementRecord* pElement)
{
    const GameData* game = m_pWorldData->pGame;
    const uint32_t flags = pElement->flags;
    if (!game || !game->developerMode || !game->itemDebug || (flags & kElementFound) ||
        !(flags & (kElementClickable | kElementDraggable | kElementRotatable | kElementDropTarget)))
        return;
    C3DObject* model = m_pRenderModel;
    const uint32_t creation = model->GetCreationWord();
    const uint32_t color = (flags & kElementClickable)   ? kOutlineClickable
                           : (flags & kElementDraggable) ? kOutlineDraggable
                                                         : kOutlineOther;
    model->SetCreationWord((creation | k3DDrawWireframe) & ~k3DDrawDepthTest);
    model->SetColor(color);
    model->SetMatrix(pElement->worldMatrix);
    model->PrepareGroup(pElement->index);
    model->DrawGroup(pElement->index);
    model->FinishGroup(0);
    model->SetCreationWord(creation);
}

CShaderTransitionNoise* CObjectsBase::GetElementDissolve(const ElementRecord* pElement, float* pProgress) const
{
    auto* world = pElement->fadeId ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    auto* fades = world ? dynamic_cast<CFadeManager*>(world->GetManager(kManagerFade)) : nullptr;
    CFadeItem* fade = fades ? fades->GetFade(pElement->fadeId) : nullptr;
    CShaderManager* shaders = world ? world->GetShaderManager() : nullptr;
    if (!fade || fade->GetKind() != kFadeDissolve || !shaders)
        return nullptr;
    *pProgress = static_cast<CFadeItem4*>(fade)->GetProgress();
    return shaders->GetNoiseTransition();
}

Status CObjectsBase::DrawElement(ElementRecord* pElement)
{
    C3DObject* model = m_pRenderModel;
    C3DEngine* engine = Engine();
    if (!pElement || !model || !engine || pElement->index >= model->GetGroupCount())
        return kStatusFailed;
    model->SetColor(uint32_t(pElement->drawAlpha) << 24 | (pElement->drawColor & 0xFFFFFFu));
    if (C3DTexture* texture = model->GetTexture(pElement->index, 0)) {
        uint32_t second = texture->GetSecond() & ~kTextureAdditive;
        if (pElement->additive)
            second |= kTextureAdditive;
        if (pElement->effectKind == kEffectDrift)
            second |= kTextureRepeat;
        texture->SetCreationWords(texture->GetFlags(), second);
    }
    model->SetMatrix(pElement->worldMatrix);
    // A dissolving element goes pixel by pixel over the part of its picture it shows.
    float progress = 0.0f;
    CShaderTransitionNoise* dissolve = GetElementDissolve(pElement, &progress);
    if (dissolve) {
        C3DVector2 low, high;
        model->GetGroupUVBounds0(pElement->index, &low, &high);
        const float minPos[2] = {low.x, low.y}, maxPos[2] = {high.x, high.y};
        dissolve->Apply(minPos, maxPos, progress);
    }
    // The three steps of one group, so that the blend and depth set here outlast the
    // object's own render states.
    model->PrepareGroup(pElement->index);
    if (pElement->additive) {
        engine->SetSrcBlend(kBlendSourceAlpha);
        engine->SetDestBlend(kBlendOne);
    }
    // A masked element is drawn where the mask stands in front of it or level with it.
    if (model->GetCreationWord() & k3DDrawDepthTest)
        engine->SetDepthFunc(kCompareGreaterEqual);
    model->DrawGroup(pElement->index);
    model->FinishGroup(0);
    if (dissolve)
        dissolve->End();
    if (pElement->additive) {
        engine->SetSrcBlend(kBlendSourceAlpha);
        engine->SetDestBlend(kBlendInverseSourceAlpha);
    }
    pElement->drawState = kDrawDrawn;
    return kStatusOk;
}
