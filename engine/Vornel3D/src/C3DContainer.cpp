#include "Vornel3D/C3DContainer.h"

#include <cstring>

#include "VornelUtils/WorldData.h"

namespace {

C3DContainer* AsContainer(void* p) { return static_cast<C3DContainer*>(p); }

// Walks the children in list order. The cursor is put back after each call, so a call that
// walks the same list (a drawing callback searching the tree) does not cut the walk short.
template <typename Fn>
void ForEachChild(CFIFOList& list, Fn fn) {
    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
        FIFONode* node = list.GetCurrentNode();
        fn(AsContainer(p));
        list.SetCurrentNode(node);
    }
}

}  // namespace

C3DContainer::C3DContainer(WorldData* pWorldData, uint32_t flags, uint32_t second)
    : C3DTransform(pWorldData),
      m_nFlags((flags & kContainerFlagsMask) | kContainerKindPlain),
      m_bAnchor(static_cast<uint8_t>(second & 0xFFu)),
      m_pRoot(this),
      m_pOwner(this) {
    std::memcpy(m_worldMatrix, m_matrix, sizeof(m_worldMatrix));
}

C3DContainer::~C3DContainer() {
    // A node deleted while still linked must not stay in its parent's list, and its children
    // must not keep pointing at it.
    DetachFromParent();
    while (void* p = m_listChildren.GetFirst()) {
        if (Failed(RemoveChild(AsContainer(p)))) m_listChildren.Remove(p);
    }
}

C3DMath& C3DContainer::Maths() const {
    static C3DMath fallback(nullptr);
    C3DMath* math = Math();
    return math ? *math : fallback;
}

void C3DContainer::UpdateTransform() {
    const float* local = GetMatrix() ? GetMatrix() : m_matrix;
    std::memmove(m_worldMatrix, local, sizeof(m_worldMatrix));
    Maths().GetTranslation(&m_position, m_worldMatrix);
    ForEachChild(m_listChildren, [this](C3DContainer* child) {
        if (child->IsVisible()) child->UpdateFromParent(m_worldMatrix);
    });
}

void C3DContainer::UpdateFromParent(const float* parentWorld) {
    const float* local = GetMatrix() ? GetMatrix() : m_matrix;
    Maths().Multiply(m_worldMatrix, local, parentWorld);
    Maths().GetTranslation(&m_position, m_worldMatrix);
    ForEachChild(m_listChildren, [this](C3DContainer* child) {
        if (child->IsVisible()) child->UpdateFromParent(m_worldMatrix);
    });
}

void C3DContainer::DrawChildren(uint32_t value) {
    ForEachChild(m_listChildren, [value](C3DContainer* child) {
        if (child->IsVisible()) child->Draw(value);
    });
}

void C3DContainer::DrawChildrenSecondPass(float* matrix) {
    ForEachChild(m_listChildren, [matrix](C3DContainer* child) {
        if (child->IsVisible()) child->DrawSecondPass(matrix);
    });
}

void C3DContainer::Draw(uint32_t value) { DrawChildren(value); }

void C3DContainer::DrawSecondPass(float* matrix) { DrawChildrenSecondPass(matrix); }

bool C3DContainer::HitTest(float x, float y) {
    return m_position.x - m_rect[0] < x && x < m_position.x + m_rect[2] && m_position.y - m_rect[1] < y &&
           y < m_position.y + m_rect[3];
}

uint32_t C3DContainer::GetKind() { return m_nFlags & kContainerKindMask; }

uint32_t C3DContainer::GetFlags() { return m_nFlags & kContainerFlagsMask; }

C3DVector3* C3DContainer::GetPosition(C3DVector3* out) {
    *out = m_position;
    return out;
}

float* C3DContainer::GetWorldMatrix() { return m_worldMatrix; }

void C3DContainer::SetAlpha(uint32_t alpha) {
    m_nColor = (m_nColor & 0x00FFFFFFu) | ((alpha & 0xFFu) << 24);
    const uint32_t color = m_nColor;
    ForEachChild(m_listChildren, [color](C3DContainer* child) {
        if (child->IsVisible()) child->SetColor(color, true, 0xFFFFFFFFu);
    });
}

void C3DContainer::SetColor(uint32_t color, bool onlyIfEqual, uint32_t match) {
    if (!onlyIfEqual || m_nColor == match) m_nColor = color;
    ForEachChild(m_listChildren, [color, onlyIfEqual, match](C3DContainer* child) {
        if (child->IsVisible()) child->SetColor(color, onlyIfEqual, match);
    });
}

uint32_t C3DContainer::GetAlpha() { return m_nColor >> 24; }

uint32_t C3DContainer::GetColor() { return m_nColor; }

void C3DContainer::GetRect(float* out4) { std::memcpy(out4, m_rect, sizeof(m_rect)); }

void C3DContainer::SetRect(float left, float top, float right, float bottom) {
    m_rect[0] = left;
    m_rect[1] = top;
    m_rect[2] = right;
    m_rect[3] = bottom;
}

void C3DContainer::ClearRect() { SetRect(0.0f, 0.0f, 0.0f, 0.0f); }

void C3DContainer::SetVisible(bool visible) {
    m_bVisible = visible;
    ForEachChild(m_listChildren, [visible](C3DContainer* child) { child->SetVisible(visible); });
}

bool C3DContainer::IsVisible() { return m_bVisible; }

bool C3DContainer::IsAncestorOf(const C3DContainer* pNode) const {
    for (const C3DContainer* p = pNode ? pNode->m_pParent : nullptr; p; p = p->m_pParent) {
        if (p == this) return true;
    }
    return false;
}

Status C3DContainer::AddChild(C3DContainer* pChild, bool visible) {
    if (!pChild || pChild == this) return kStatusFailed;
    // One parent per node, and no loops: every walk of the tree relies on both.
    if (pChild->m_pParent || pChild->IsAncestorOf(this)) return kStatusFailed;
    if (Failed(m_listChildren.Add(pChild, 0))) return kStatusFailed;
    pChild->m_pParent = this;
    pChild->SetRoot(m_pRoot);
    if (pChild->IsAnchor()) {
        m_pOwner->AddAnchor();
    } else {
        pChild->SetOwner(m_pOwner);
    }
    pChild->SetVisible(visible);
    pChild->AddRef();
    return kStatusOk;
}

Status C3DContainer::RemoveChild(C3DContainer* pChild) {
    if (!pChild || pChild == this) return kStatusFailed;
    if (Failed(m_listChildren.Remove(pChild))) return kStatusFailed;
    pChild->m_pParent = nullptr;
    pChild->SetRoot(pChild);
    if (pChild->IsAnchor()) {
        m_pOwner->RemoveAnchor();
    } else {
        pChild->SetOwner(pChild);
    }
    pChild->ReleaseRef();
    return kStatusOk;
}

Status C3DContainer::DetachFromParent() {
    if (!m_pParent) return kStatusOk;
    return m_pParent->RemoveChild(this);
}

C3DContainer* C3DContainer::FindByFlags(uint32_t flags) {
    const uint32_t wanted = flags & kContainerFlagsMask;
    C3DContainer* found = nullptr;
    for (void* p = m_listChildren.GetFirst(); p && !found; p = m_listChildren.GetNext()) {
        FIFONode* node = m_listChildren.GetCurrentNode();
        C3DContainer* child = AsContainer(p);
        found = child->FindByFlags(flags);
        if (!found && child->GetFlags() == wanted) found = child;
        m_listChildren.SetCurrentNode(node);
    }
    if (found) return found;
    return GetFlags() == wanted ? this : nullptr;
}

C3DContainer* C3DContainer::FindAt(float x, float y) {
    C3DContainer* found = nullptr;
    for (void* p = m_listChildren.GetLast(); p && !found; p = m_listChildren.GetPrevious()) {
        FIFONode* node = m_listChildren.GetCurrentNode();
        C3DContainer* child = AsContainer(p);
        if (child->IsVisible()) {
            found = child->FindAt(x, y);
            if (!found && child->HitTest(x, y)) found = child;
        }
        m_listChildren.SetCurrentNode(node);
    }
    if (found) return found;
    return HitTest(x, y) ? this : nullptr;
}

void C3DContainer::GetBounds(float* out4, uint32_t kind) {
    float a = m_position.x + m_rect[2];
    float b = m_position.y + m_rect[3];
    float c = m_position.x - m_rect[0];
    float d = m_position.y - m_rect[1];
    ForEachChild(m_listChildren, [&](C3DContainer* child) {
        if (!child->IsVisible() || child->GetKind() != kind) return;
        C3DVector3 p;
        child->GetPosition(&p);
        if (a > p.x) {
            a = p.x;
        } else if (c < p.x) {
            c = p.x;
        }
        if (b > p.y) {
            b = p.y;
        } else if (d < p.y) {
            d = p.y;
        }
    });
    out4[0] = a;
    out4[1] = b;
    out4[2] = c;
    out4[3] = d;
}

void C3DContainer::SetRoot(C3DContainer* pRoot) {
    m_pRoot = pRoot;
    ForEachChild(m_listChildren, [pRoot](C3DContainer* child) { child->SetRoot(pRoot); });
}

void C3DContainer::SetOwner(C3DContainer* pOwner) {
    m_pOwner = pOwner;
    // An anchor is its own owner, and so stays the owner of what hangs below it: were it to
    // take an outside owner, that owner could be deleted while the anchor still points at it.
    ForEachChild(m_listChildren, [pOwner](C3DContainer* child) {
        if (!child->IsAnchor()) child->SetOwner(pOwner);
    });
}

void C3DContainer::AddRef() { ++m_nUseCount; }

void C3DContainer::ReleaseRef() { --m_nUseCount; }

int32_t C3DContainer::GetUseCount() { return m_nUseCount; }

bool C3DContainer::IsAnchor() { return m_bAnchor != 0; }

void C3DContainer::AddAnchor() { ++m_nAnchorCount; }

void C3DContainer::RemoveAnchor() { --m_nAnchorCount; }

int32_t C3DContainer::GetAnchorCount() { return m_nAnchorCount; }

void C3DContainer::NotifyOwner() {
    if (IsAnchor() || !m_pOwner || m_pOwner == this) return;
    m_pOwner->NotifyOwner();
}
