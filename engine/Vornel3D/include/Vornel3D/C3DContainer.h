#pragma once
// Containers: a tree of transformed, coloured, rectangular nodes owned by the 3D engine
// (its container list; create them with C3DEngine::CreateContainer... and release them with
// C3DEngine::ReleaseContainer). The tree propagates world matrices (world = local x parent),
// colour, visibility, root and owner, draws in two passes and finds the node under a point.
//
// - C3DContainer: the plain node. Its matrix in use (C3DTransform) is the local matrix.
// - C3DContainerShader: also draws one 3D object with the node's colour and world matrix and
//   an optional texture, on every group or on one.
// - C3DContainerText: also draws a text through a drawing function that its owner supplies.
//
// Children are linked, not owned: AddChild raises the child's use count, RemoveChild lowers
// it. A node knows its parent, and a node that is deleted while linked leaves its parent's
// list and lets its children go, so no node ever points at a deleted one.
#include <cstdint>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DTransform.h"
#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"

class C3DObject;
class C3DTexture;

// The top byte of a container's flags is its kind, the low 24 bits are the caller's.
constexpr uint32_t kContainerKindMask = 0xFF000000u;
constexpr uint32_t kContainerFlagsMask = 0x00FFFFFFu;
constexpr uint32_t kContainerKindPlain = 0x0000000u;
constexpr uint32_t kContainerKindShader = 0x1000000u;
constexpr uint32_t kContainerKindText = 0x2000000u;

constexpr uint32_t kContainerAllGroups = 0xFFFFFFFFu;

class C3DContainer : public C3DTransform {
public:
    // flags: the caller's low 24 bits (the kind comes from the class); second: its low byte is
    // the anchor flag.
    C3DContainer(WorldData* pWorldData, uint32_t flags, uint32_t second);
    ~C3DContainer() override;

    // World matrix := local matrix, then down the visible children (UpdateFromParent).
    virtual void UpdateTransform();
    // The two draw passes: the first with the nodes' world matrices, the second with the
    // caller's matrix; both walk the visible children in list order.
    virtual void Draw(uint32_t value);
    virtual void DrawSecondPass(float* matrix);
    // Strictly inside the rectangle around the world position (an edge is outside).
    virtual bool HitTest(float x, float y);
    virtual uint32_t GetKind();   // the flags with the low 24 bits cleared
    virtual uint32_t GetFlags();  // the low 24 bits
    virtual C3DVector3* GetPosition(C3DVector3* out);
    virtual float* GetWorldMatrix();
    // Alpha into the colour's top byte; visible children whose colour is 0xFFFFFFFF take the
    // new colour.
    virtual void SetAlpha(uint32_t alpha);
    // colour := colour unless onlyIfEqual is set and the current colour is not `match`; the
    // same call goes to every visible child either way.
    virtual void SetColor(uint32_t color, bool onlyIfEqual, uint32_t match);
    virtual uint32_t GetAlpha();
    virtual uint32_t GetColor();
    // left, top, right, bottom extents around the world position.
    virtual void GetRect(float* out4);
    virtual void SetRect(float left, float top, float right, float bottom);
    virtual void ClearRect();
    // Sets this node and every child, visible or not.
    virtual void SetVisible(bool visible);
    virtual bool IsVisible();
    // Links a child at the end of the list. kStatusFailed for null, for this node itself, for
    // a node that already has a parent and for an ancestor of this node (a cycle).
    virtual Status AddChild(C3DContainer* pChild, bool visible);
    // Unlinks a child of this node; kStatusFailed (nothing changes) for any other node.
    virtual Status RemoveChild(C3DContainer* pChild);
    // Depth first over all children, then this node: the first whose low 24 flag bits equal
    // flags' low 24 bits; null when none.
    virtual C3DContainer* FindByFlags(uint32_t flags);
    // The visible children from the last added to the first (each subtree before its root),
    // then this node: the first whose HitTest holds. A hidden child's subtree is never searched.
    virtual C3DContainer* FindAt(float x, float y);
    // out4 = (a, b, c, d) starting as this node's right, bottom, left and top edges; each
    // visible child of the kind moves a/b down or c/d up to its position. With a zero
    // rectangle: (min x, min y, max x, max y) of this node's and those children's positions.
    virtual void GetBounds(float* out4, uint32_t kind);
    // World matrix := local x parent, then down the visible children.
    virtual void UpdateFromParent(const float* parentWorld);
    virtual void SetRoot(C3DContainer* pRoot);    // this node and every child
    // This node and its children, except the anchors below it, which keep their own.
    virtual void SetOwner(C3DContainer* pOwner);
    virtual void AddRef();
    virtual void ReleaseRef();
    virtual int32_t GetUseCount();
    virtual bool IsAnchor();
    virtual void AddAnchor();
    virtual void RemoveAnchor();
    virtual int32_t GetAnchorCount();
    // Passed up the owners; stops at an anchor or at a node that is its own owner.
    virtual void NotifyOwner();

    C3DContainer* GetParent() const { return m_pParent; }
    C3DContainer* GetRoot() const { return m_pRoot; }
    C3DContainer* GetOwner() const { return m_pOwner; }
    // Leaves the parent's list (RemoveChild on the parent); 0 when there is no parent.
    Status DetachFromParent();
    // The children, in the order they were added. Walking the list moves its cursor.
    CFIFOList& GetChildren() { return m_listChildren; }
    uint32_t GetChildCount() const { return m_listChildren.GetCount(); }

protected:
    // The maths object of the world, or a private one when the world has none.
    C3DMath& Maths() const;
    // The children's part of each pass: every visible child, in list order.
    void DrawChildren(uint32_t value);
    void DrawChildrenSecondPass(float* matrix);
    bool IsAncestorOf(const C3DContainer* pNode) const;

    uint32_t m_nFlags;
    uint8_t m_bAnchor;
    int32_t m_nAnchorCount = 0;
    int32_t m_nUseCount = 0;
    C3DContainer* m_pRoot;
    C3DContainer* m_pOwner;
    C3DContainer* m_pParent = nullptr;
    C3DVector3 m_position{0.0f, 0.0f, 0.0f};
    float m_worldMatrix[16];
    uint32_t m_nColor = 0;
    float m_rect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool m_bVisible = true;
    CFIFOList m_listChildren;  // C3DContainer, not owned
};

// Draws one 3D object (not owned) with the node's colour and matrix.
class C3DContainerShader : public C3DContainer {
public:
    C3DContainerShader(WorldData* pWorldData, uint32_t flags, uint32_t second);
    ~C3DContainerShader() override;

    void Draw(uint32_t value) override;
    void DrawSecondPass(float* matrix) override;

    virtual void SetObject(C3DObject* pObject);
    virtual void SetTexture(C3DTexture* pTexture);  // not owned; null for none
    virtual void SetGroup(uint32_t group);          // kContainerAllGroups for every group
    virtual C3DObject* GetObject();
    virtual C3DTexture* GetTexture();
    virtual uint32_t GetGroup();

protected:
    void DrawObject(float* matrix);
    // The object's matrix in use may point at this node's world matrix; it goes back to its own
    // matrix before this node lets it go.
    void LetObjectGo();

    C3DObject* m_pObject = nullptr;
    C3DTexture* m_pTexture = nullptr;
    uint32_t m_nGroup = kContainerAllGroups;
};

// The owner's text drawing function: world position, colour, the two scale factors (world
// scale x text scale), the text size, the text and the owner's context word.
using C3DTextDrawFunction = void (*)(const C3DVector3* position, uint32_t color, float scaleX, float scaleY,
                                     uint16_t textSize, const char16_t* text, uintptr_t context);

class C3DContainerText : public C3DContainer {
public:
    C3DContainerText(WorldData* pWorldData, uint32_t flags, uint32_t second);
    ~C3DContainerText() override;

    void Draw(uint32_t value) override;
    void DrawSecondPass(float* matrix) override;

    virtual void SetDrawFunction(C3DTextDrawFunction function);
    virtual void SetDrawContext(uintptr_t context);
    virtual void SetTextScale(float x, float y);  // 1, 1 after construction
    virtual void SetTextSize(uint16_t size);
    virtual void SetTextParameter(uint16_t value);
    // Keeps the pointer without copying (the caller keeps the text alive); an owned text is freed.
    virtual void SetTextPointer(const char16_t* text);
    // Keeps an owned copy; kStatusOutOfMemory leaves no text.
    virtual Status SetText(const char16_t* text);
    virtual uint16_t GetTextParameter();
    virtual const char16_t* GetText();

    uint16_t GetTextSize() const { return m_nTextSize; }
    uintptr_t GetDrawContext() const { return m_nContext; }

protected:
    void DrawText(const C3DVector3* position);
    void FreeText();

    C3DTextDrawFunction m_pfnDraw = nullptr;
    uintptr_t m_nContext = 0;
    float m_textScaleX = 1.0f;
    float m_textScaleY = 1.0f;
    uint16_t m_nTextSize = 0;
    uint16_t m_nTextParameter = 0;
    bool m_bOwnsText = false;
    const char16_t* m_pText = nullptr;
};
