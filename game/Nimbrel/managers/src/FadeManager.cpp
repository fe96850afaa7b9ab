#include "NimbrelManagers/CFadeManager.h"

#include <cmath>
#include <new>
#include <vector>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelManagers/CDragInertia.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DEngine.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kDefaultThrowDamping = 0.95f;

void ShowElement(ElementRecord* e, bool show)
{
    if (show)
        e->flags &= ~kElementHidden;
    else
        e->flags |= kElementHidden;
    e->alpha = show ? 1.0f : 0.0f;
}

void ClearDragOffset(ElementRecord* e)
{
    e->dragOffset[0] = e->dragOffset[1] = e->dragOffset[2] = 0.0f;
}

bool Slower(float vx, float vy)
{
    return std::sqrt(vx * vx + vy * vy) < 1.0f;
}

float FrameStep(WorldData* w)
{
    return w ? static_cast<float>(w->frameTime) : 0.0f;
}

}  // namespace

// ---- items ----------------------------------------------------------------------------------

void CFadeItem::Finish()
{
    if (ElementRecord* e = Element()) {
        if (e->flags & kElementReturning) {
            e->flags &= ~kElementReturning;
            ClearDragOffset(e);
        }
        e->fadeId = 0;
    }
    CTimedItem::Finish();
}

bool CFadeItem::LoadFromStream(UtilsStream_Chunk* c)
{
    return c->Read(&m_objectIndex, 4, 1) && c->Read(&m_elementIndex, 4, 1) && c->Read(&m_done, 1, 1) &&
           c->Read(&m_rate, 4, 1) && !std::isnan(m_rate) && ReadCommand(c);
}

bool CFadeItem::SaveToStream(UtilsStream_Chunk* c)
{
    return c->Write(&m_objectIndex, 4, 1) && c->Write(&m_elementIndex, 4, 1) && c->Write(&m_done, 1, 1) &&
           c->Write(&m_rate, 4, 1) && WriteCommand(c);
}

void CFadeItem1::StepAlpha(ElementRecord* e)
{
    const float s = Step();
    if (m_show) {
        e->alpha += s;
        if (e->alpha > 1.0f) {
            ShowElement(e, true);
            m_done = 1;
        }
    } else {
        e->alpha -= s;
        if (e->alpha < 0.0f) {
            ShowElement(e, false);
            m_done = 1;
        }
    }
}

Status CFadeItem1::Update()
{
    ElementRecord* e = Element();
    if (m_done || !e)
        return kStatusFailed;
    StepAlpha(e);
    return kStatusOk;
}

void CFadeItem1::Finish()
{
    if (ElementRecord* e = Element()) {
        ShowElement(e, m_show != 0);
        ClearDragOffset(e);
    }
    CFadeItem::Finish();
}

bool CFadeItem1::LoadFromStream(UtilsStream_Chunk* c)
{
    return CFadeItem::LoadFromStream(c) && c->Read(&m_show, 1, 1);
}

bool CFadeItem1::SaveToStream(UtilsStream_Chunk* c)
{
    return CFadeItem::SaveToStream(c) && c->Write(&m_show, 1, 1);
}

void CFadeItem1::Describe(std::string& text) const
{
    CFadeItem::Describe(text);
    text += m_show ? ", fading in" : ", fading out";
}

Status CFadeItem2::Update()
{
    ElementRecord* e = Element();
    if (m_done || !e)
        return kStatusFailed;
    if (m_hideWhileMoving)
        StepAlpha(e);
    if (m_velocityX != 0.0f || m_velocityY != 0.0f) {
        const float step = FrameStep(m_pWorldData);
        e->dragOffset[0] += step * m_velocityX;
        e->dragOffset[1] += step * m_velocityY;
        m_velocityX *= m_damping;
        m_velocityY *= m_damping;
    }
    // A fade-out ends with the alpha, a plain throw when the speed is spent.
    if (!m_hideWhileMoving && Slower(m_velocityX, m_velocityY)) {
        CObjectsLevel::SnapElementOffset(e);
        m_done = 1;
    }
    return kStatusOk;
}

void CFadeItem2::Finish()
{
    if (CObjectsBase* object = SceneObjectAt(m_pWorldData, m_objectIndex))
        if (CCommandList* waiters = object->GetDraggedEventList())
            waiters->BurnAll(kCommandEventClick, static_cast<int32_t>(m_objectIndex),
                             static_cast<int32_t>(m_elementIndex), -1);
    if (m_hideWhileMoving)
        CFadeItem1::Finish();
    else
        CFadeItem::Finish();
}

bool CFadeItem2::LoadFromStream(UtilsStream_Chunk* c)
{
    return CFadeItem1::LoadFromStream(c) && c->Read(&m_hideWhileMoving, 1, 1) && c->Read(&m_velocityX, 4, 1) &&
           c->Read(&m_velocityY, 4, 1) && c->Read(&m_damping, 4, 1);
}

bool CFadeItem2::SaveToStream(UtilsStream_Chunk* c)
{
    return CFadeItem1::SaveToStream(c) && c->Write(&m_hideWhileMoving, 1, 1) && c->Write(&m_velocityX, 4, 1) &&
           c->Write(&m_velocityY, 4, 1) && c->Write(&m_damping, 4, 1);
}

void CFadeItem2::Describe(std::string& text) const
{
    CFadeItem1::Describe(text);
    Append(text, "%s, speed (%g, %g), damping %g", m_hideWhileMoving ? " while it moves" : "", double(m_velocityX),
           double(m_velocityY), double(m_damping));
}

Status CFadeItem3::Update()
{
    ElementRecord* e = Element();
    if (m_done || !e)
        return kStatusFailed;
    if (m_ownX != 0.0f || m_ownY != 0.0f) {
        e->dragOffset[m_axis] += FrameStep(m_pWorldData) * (m_axis == 0 ? m_ownX : m_ownY);
        m_ownX *= m_ownDamping;
        m_ownY *= m_ownDamping;
        CObjectsLevel::WrapElementOffset(e);
    }
    if (Slower(m_ownX, m_ownY)) {
        CObjectsLevel::SnapElementOffset(e);
        CObjectsLevel::WrapElementOffset(e);
        m_done = 1;
    }
    return kStatusOk;
}

bool CFadeItem3::LoadFromStream(UtilsStream_Chunk* c)
{
    uint8_t reserved = 0;
    return CFadeItem2::LoadFromStream(c) && c->Read(&reserved, 1, 1) && c->Read(&m_axis, 1, 1) && m_axis <= 1 &&
           c->Read(&m_ownX, 4, 1) && c->Read(&m_ownY, 4, 1) && c->Read(&m_ownDamping, 4, 1);
}

void CFadeItem3::Describe(std::string& text) const
{
    CFadeItem2::Describe(text);
    Append(text, ", along %c at (%g, %g), damping %g", m_axis == 0 ? 'x' : 'y', double(m_ownX), double(m_ownY),
           double(m_ownDamping));
}

bool CFadeItem3::SaveToStream(UtilsStream_Chunk* c)
{
    const uint8_t reserved = 0;
    return CFadeItem2::SaveToStream(c) && c->Write(&reserved, 1, 1) && c->Write(&m_axis, 1, 1) &&
           c->Write(&m_ownX, 4, 1) && c->Write(&m_ownY, 4, 1) && c->Write(&m_ownDamping, 4, 1);
}

Status CFadeItem4::Update()
{
    ElementRecord* e = Element();
    if (m_done || !e)
        return kStatusFailed;
    // The alpha stays while the shader dissolves the element by the progress.
    m_progress += Step();
    if (m_progress > 1.0f) {
        ShowElement(e, false);
        m_progress = 1.0f;
        m_done = 1;
    }
    return kStatusOk;
}

void CFadeItem4::Finish()
{
    if (ElementRecord* e = Element()) {
        ShowElement(e, false);
        ClearDragOffset(e);
    }
    CFadeItem::Finish();
}

// ---- the manager ----------------------------------------------------------------------------

CFadeManager::~CFadeManager()
{
    Unload();
}

CTimedItem* CFadeManager::NewItem(uint32_t kind)
{
    WorldData* w = m_pWorldData;
    switch (kind) {
    case kFadeAlpha:
    case kFadeDissolveAlpha:
        return new (std::nothrow) CFadeItem1(w, kind, 0, 0, 1.0f, nullptr, 0);
    case kFadeThrow:
        return new (std::nothrow) CFadeItem2(w, kind, 0, 0, 1.0f, nullptr, 0, 0.0f, 0.0f, 0.0f);
    case kFadeThrowAxis:
        return new (std::nothrow) CFadeItem3(w, 0, 0, 1.0f, nullptr, 0, 0.0f, 0.0f, 0.0f);
    case kFadeDissolve:
        return new (std::nothrow) CFadeItem4(w, 0, 0, 1.0f, nullptr);
    default:
        return nullptr;
    }
}

void CFadeManager::GetThrow(float* pVelocityX, float* pVelocityY, float* pDamping)
{
    // Without a drag tracker there is no speed: a throw ends where it was released.
    *pVelocityX = *pVelocityY = 0.0f;
    *pDamping = kDefaultThrowDamping;
    if (const CDragInertia* drag = SceneDragInertia(m_pWorldData)) {
        *pVelocityX = drag->GetVelocityX();
        *pVelocityY = drag->GetVelocityY();
        *pDamping = drag->GetDecay();
    }
}

bool CFadeManager::CanDissolve()
{
    const WorldData* w = m_pWorldData;
    return w && w->p3DEngine && w->p3DEngine->IsShaderSupported() == kStatusOk && !(w->pGame && w->pGame->noShaderFades);
}

uint32_t CFadeManager::AddFade(uint32_t mode, float seconds, uint32_t objectIndex, uint32_t elementIndex,
                               const CommandHandle* pCommand)
{
    ElementRecord* e = SceneElementAt(m_pWorldData, objectIndex, elementIndex);
    if (!e)
        return 0;
    const bool force = (mode & kFadeForce) != 0;
    if (mode & kFadeInvert) {
        const bool show = (e->flags & kElementHidden) != 0;
        if (force) {
            ShowElement(e, show);
            return 0;
        }
        mode = (mode & ~kFadeInvert) | (show ? kFadeShow : kFadeHide);
    }
    WorldData* w = m_pWorldData;
    CTimedItem* item = nullptr;
    if (mode & kFadeShow) {
        if (force) {
            ShowElement(e, true);
            return 0;
        }
        item = new (std::nothrow) CFadeItem1(w, kFadeAlpha, objectIndex, elementIndex, seconds, pCommand, 1);
    } else if (mode & kFadeVelocity) {
        float vx = 0.0f, vy = 0.0f, damping = kDefaultThrowDamping;
        GetThrow(&vx, &vy, &damping);
        if (mode & (kFadeLoopedX | kFadeLoopedY))
            item = new (std::nothrow) CFadeItem3(w, objectIndex, elementIndex, seconds, pCommand,
                                                 (mode & kFadeLoopedX) ? 0 : 1, vx, vy, damping);
        else
            item = new (std::nothrow) CFadeItem2(w, kFadeThrow, objectIndex, elementIndex, seconds, pCommand,
                                                 (mode & kFadeHide) ? 1 : 0, vx, vy, damping);
    } else if (mode & kFadeHide) {
        if (force) {
            ShowElement(e, false);
            return 0;
        }
        item = new (std::nothrow) CFadeItem1(w, kFadeAlpha, objectIndex, elementIndex, seconds, pCommand, 0);
    } else if (mode == kFadeSuperposition) {
        Superpose(objectIndex, elementIndex);
        return 0;
    } else if (mode & kFadeTransition) {
        if (force) {
            ShowElement(e, false);
            return 0;
        }
        const GameData* game = w ? w->pGame : nullptr;
        if (CanDissolve()) {
            const float ratio = game ? game->screen.defaultTransitionSeconds : 1.0f;
            item = new (std::nothrow) CFadeItem4(w, objectIndex, elementIndex, seconds * ratio, pCommand);
        } else {
            item = new (std::nothrow) CFadeItem1(w, kFadeDissolveAlpha, objectIndex, elementIndex, seconds,
                                                 pCommand, 0);
            e->action = kFadeHide;
        }
    }
    return AddItem(item);
}

void CFadeManager::Superpose(uint32_t objectIndex, uint32_t elementIndex)
{
    CObjectsBase* object = SceneObjectAt(m_pWorldData, objectIndex);
    ElementRecord* raised = object ? object->GetItemRecord(elementIndex) : nullptr;
    // Only a marked element rises, and only among the marked ones.
    if (!raised || !(raised->action & kFadeSuperposition))
        return;
    const uint32_t n = object->GetElementCount();
    std::vector<uint32_t> order(n), marked;
    for (uint32_t i = 0; i < n; ++i) {
        order[i] = object->GetDrawSlotElement(i);
        ElementRecord* e = order[i] < n ? object->GetItemRecord(order[i]) : nullptr;
        if (e && (e->action & kFadeSuperposition) && order[i] != elementIndex)
            marked.push_back(order[i]);
    }
    marked.push_back(elementIndex);
    size_t next = 0;
    for (uint32_t i = 0; i < n; ++i) {
        ElementRecord* e = order[i] < n ? object->GetItemRecord(order[i]) : nullptr;
        if (e && (e->action & kFadeSuperposition) && next < marked.size())
            order[i] = marked[next++];
    }
    for (uint32_t i = 0; i < n; ++i)
        object->GetItemRecord(i)->drawSlotOverride = static_cast<int32_t>(order[i]);
}
