#include "Vornel3D/C3DContainer.h"

#include <gtest/gtest.h>

#include "VornelUtils/WorldData.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// A world whose maths object serves the nodes' transform operations.
WorldData* World() {
    static C3DMath math(nullptr);
    static std::unique_ptr<WorldData> world = [] {
        auto w = std::make_unique<WorldData>();
        w->pMath = &math;
        return w;
    }();
    return world.get();
}

// A node with a square rectangle of half-size `half` at (x, y).
std::unique_ptr<C3DContainer> Node(float x, float y, float half = 0.0f, uint32_t flags = 0, uint32_t second = 0) {
    auto node = std::make_unique<C3DContainer>(World(), flags, second);
    node->SetPosition(x, y, 0.0f);
    node->SetRect(half, half, half, half);
    return node;
}

TEST(C3DContainerTest, ConstructionState) {
    C3DContainer plain(nullptr, 0xAB123456u, 0x101u);
    EXPECT_EQ(kContainerKindPlain, plain.GetKind());
    EXPECT_EQ(0x123456u, plain.GetFlags());
    EXPECT_TRUE(plain.IsAnchor());  // the low byte of the second word
    EXPECT_TRUE(plain.IsVisible());
    EXPECT_EQ(0u, plain.GetColor());
    EXPECT_EQ(0, plain.GetUseCount());
    EXPECT_EQ(&plain, plain.GetRoot());
    EXPECT_EQ(&plain, plain.GetOwner());
    EXPECT_EQ(nullptr, plain.GetParent());
    EXPECT_FALSE(C3DContainer(nullptr, 0, 0x100u).IsAnchor());

    C3DContainerShader shader(nullptr, 0xFF000007u, 0);
    C3DContainerText text(nullptr, 7, 0);
    EXPECT_EQ(kContainerKindShader, shader.GetKind());
    EXPECT_EQ(7u, shader.GetFlags());
    EXPECT_EQ(kContainerKindText, text.GetKind());
    EXPECT_EQ(kContainerAllGroups, shader.GetGroup());
}

TEST(C3DContainerTest, WorldIsLocalTimesParentForVisibleChildren) {
    auto root = Node(10, 0);
    auto child = Node(0, 5);
    auto hidden = Node(3, 3);
    auto grandchild = Node(1, 1);
    root->Scale(2, 2, 2);  // scales the root's own axes, not its translation
    ASSERT_EQ(kStatusOk, root->AddChild(child.get(), true));
    ASSERT_EQ(kStatusOk, root->AddChild(hidden.get(), false));
    ASSERT_EQ(kStatusOk, child->AddChild(grandchild.get(), true));
    root->UpdateTransform();

    C3DVector3 p;
    root->GetPosition(&p);
    EXPECT_FLOAT_EQ(10.0f, p.x);
    child->GetPosition(&p);  // (0, 5) scaled by 2, moved by (10, 0)
    EXPECT_FLOAT_EQ(10.0f, p.x);
    EXPECT_FLOAT_EQ(10.0f, p.y);
    grandchild->GetPosition(&p);  // (1, 1) through the child, then the root
    EXPECT_FLOAT_EQ(12.0f, p.x);
    EXPECT_FLOAT_EQ(12.0f, p.y);
    EXPECT_FLOAT_EQ(2.0f, grandchild->GetWorldMatrix()[0]);
    hidden->GetPosition(&p);  // not updated
    EXPECT_FLOAT_EQ(0.0f, p.x);
}

TEST(C3DContainerTest, ColourAndAlphaPropagation) {
    auto root = Node(0, 0);
    auto white = Node(0, 0);
    auto red = Node(0, 0);
    auto whiteUnderRed = Node(0, 0);
    auto hiddenWhite = Node(0, 0);
    root->AddChild(white.get(), true);
    root->AddChild(red.get(), true);
    red->AddChild(whiteUnderRed.get(), true);
    root->AddChild(hiddenWhite.get(), false);
    root->SetColor(0x00112233u, false, 0);
    EXPECT_EQ(0x00112233u, white->GetColor());  // unconditional: every visible node
    EXPECT_EQ(0u, hiddenWhite->GetColor());
    white->SetColor(0xFFFFFFFFu, false, 0);
    red->SetColor(0x80FF0000u, false, 0);
    whiteUnderRed->SetColor(0xFFFFFFFFu, false, 0);
    hiddenWhite->SetColor(0xFFFFFFFFu, false, 0);

    root->SetAlpha(0x40);
    EXPECT_EQ(0x40u, root->GetAlpha());
    EXPECT_EQ(0x40112233u, root->GetColor());
    EXPECT_EQ(0x40112233u, white->GetColor());
    EXPECT_EQ(0x80FF0000u, red->GetColor());
    EXPECT_EQ(0x40112233u, whiteUnderRed->GetColor());  // reached through the unchanged node
    EXPECT_EQ(0xFFFFFFFFu, hiddenWhite->GetColor());
}

TEST(C3DContainerTest, VisibilityReachesHiddenChildrenToo) {
    auto root = Node(0, 0);
    auto a = Node(0, 0);
    auto b = Node(0, 0);
    root->AddChild(a.get(), false);
    a->AddChild(b.get(), true);
    root->SetVisible(true);
    EXPECT_TRUE(a->IsVisible());
    EXPECT_TRUE(b->IsVisible());
    root->SetVisible(false);
    EXPECT_FALSE(b->IsVisible());
}

TEST(C3DContainerTest, LinkingKeepsRootOwnerUseAndAnchorCounts) {
    auto root = Node(0, 0);
    auto child = Node(0, 0);
    auto grandchild = Node(0, 0);
    auto anchor = Node(0, 0, 0, 0, 1);
    auto underAnchor = Node(0, 0);
    ASSERT_EQ(kStatusOk, child->AddChild(grandchild.get(), true));
    ASSERT_EQ(kStatusOk, root->AddChild(child.get(), true));
    ASSERT_EQ(kStatusOk, anchor->AddChild(underAnchor.get(), true));
    ASSERT_EQ(kStatusOk, child->AddChild(anchor.get(), true));

    EXPECT_EQ(root.get(), grandchild->GetRoot());
    EXPECT_EQ(root.get(), underAnchor->GetRoot());
    EXPECT_EQ(root.get(), grandchild->GetOwner());
    EXPECT_EQ(anchor.get(), anchor->GetOwner());
    EXPECT_EQ(anchor.get(), underAnchor->GetOwner());
    EXPECT_EQ(1, root->GetAnchorCount());  // the owner of the anchor's parent
    EXPECT_EQ(1, child->GetUseCount());
    EXPECT_EQ(child.get(), anchor->GetParent());
    EXPECT_EQ(2u, child->GetChildCount());

    // Refused: null, itself, a node with a parent, an ancestor (a loop), a stranger's removal.
    EXPECT_EQ(kStatusFailed, root->AddChild(nullptr, true));
    EXPECT_EQ(kStatusFailed, root->AddChild(root.get(), true));
    EXPECT_EQ(kStatusFailed, root->AddChild(grandchild.get(), true));
    EXPECT_EQ(kStatusFailed, grandchild->AddChild(root.get(), true));
    EXPECT_EQ(kStatusFailed, root->RemoveChild(grandchild.get()));
    EXPECT_EQ(kStatusFailed, root->RemoveChild(root.get()));
    EXPECT_EQ(1, grandchild->GetUseCount());
    EXPECT_EQ(2u, child->GetChildCount());

    ASSERT_EQ(kStatusOk, child->RemoveChild(anchor.get()));
    EXPECT_EQ(0, root->GetAnchorCount());
    EXPECT_EQ(anchor.get(), underAnchor->GetRoot());
    EXPECT_EQ(anchor.get(), anchor->GetRoot());
    EXPECT_EQ(0, anchor->GetUseCount());

    ASSERT_EQ(kStatusOk, root->RemoveChild(child.get()));
    EXPECT_EQ(child.get(), grandchild->GetRoot());
    EXPECT_EQ(child.get(), grandchild->GetOwner());
    EXPECT_EQ(nullptr, child->GetParent());
    EXPECT_EQ(0, child->GetUseCount());
}

TEST(C3DContainerTest, DeletingALinkedNodeUnlinksIt) {
    auto root = Node(0, 0, 10);
    auto child = Node(0, 0, 5);
    auto grandchild = Node(0, 0, 1);
    root->AddChild(child.get(), true);
    child->AddChild(grandchild.get(), true);

    child.reset();  // still linked on both sides
    EXPECT_EQ(0u, root->GetChildCount());
    EXPECT_EQ(nullptr, grandchild->GetParent());
    EXPECT_EQ(grandchild.get(), grandchild->GetRoot());
    EXPECT_EQ(grandchild.get(), grandchild->GetOwner());
    EXPECT_EQ(0, grandchild->GetUseCount());
    root->UpdateTransform();
    EXPECT_EQ(root.get(), root->FindAt(0, 0));

    ASSERT_EQ(kStatusOk, root->AddChild(grandchild.get(), true));
    EXPECT_EQ(kStatusOk, grandchild->DetachFromParent());
    EXPECT_EQ(kStatusOk, grandchild->DetachFromParent());  // no parent: nothing to do
    EXPECT_EQ(0u, root->GetChildCount());
}

TEST(C3DContainerTest, FindAtPrefersLastAddedVisibleAndSkipsHiddenSubtrees) {
    auto root = Node(0, 0, 100);
    auto first = Node(10, 10, 5);
    auto second = Node(12, 12, 5);
    auto hidden = Node(11, 11, 5);
    auto insideHidden = Node(0, 0, 5);  // at (11, 11) under `hidden`
    root->AddChild(first.get(), true);
    root->AddChild(second.get(), true);
    hidden->AddChild(insideHidden.get(), true);
    root->AddChild(hidden.get(), false);
    insideHidden->SetVisible(true);  // visible itself, but its parent is hidden
    root->UpdateTransform();
    hidden->UpdateTransform();  // places the hidden subtree under the point as well

    EXPECT_EQ(second.get(), root->FindAt(11, 11));
    EXPECT_EQ(first.get(), root->FindAt(6, 6));
    EXPECT_EQ(root.get(), root->FindAt(50, 50));
    // Exactly on an edge is outside: second spans (7, 17) on both axes.
    EXPECT_EQ(second.get(), root->FindAt(16.5f, 16.5f));
    EXPECT_EQ(root.get(), root->FindAt(17.0f, 12.0f));
    EXPECT_EQ(nullptr, root->FindAt(100, 0));

    // A child's own subtree is searched before the child.
    auto inner = Node(0, 0, 1);
    second->AddChild(inner.get(), true);
    root->UpdateTransform();
    EXPECT_EQ(inner.get(), root->FindAt(12, 12));
    second->SetVisible(false);
    EXPECT_EQ(first.get(), root->FindAt(12, 12));
}

TEST(C3DContainerTest, FindByFlagsDepthFirst) {
    auto root = Node(0, 0, 0, 1);
    auto a = Node(0, 0, 0, 2);
    auto aChild = Node(0, 0, 0, 3);
    auto b = Node(0, 0, 0, 3);
    root->AddChild(a.get(), true);
    a->AddChild(aChild.get(), false);
    root->AddChild(b.get(), true);
    EXPECT_EQ(aChild.get(), root->FindByFlags(3));  // hidden nodes are searched too
    EXPECT_EQ(a.get(), root->FindByFlags(0xFF000002u));
    EXPECT_EQ(root.get(), root->FindByFlags(1));
    EXPECT_EQ(nullptr, root->FindByFlags(4));
}

TEST(C3DContainerTest, GetBoundsOverChildrenOfAKind) {
    auto root = Node(5, 5);
    auto a = Node(-3, 2);
    auto b = Node(8, -4);
    auto hidden = Node(100, 100);
    C3DContainerText text(World(), 0, 0);
    text.SetPosition(-50, -50, 0);
    root->AddChild(a.get(), true);
    root->AddChild(b.get(), true);
    root->AddChild(hidden.get(), false);
    root->AddChild(&text, true);
    root->UpdateTransform();

    float box[4];
    root->GetBounds(box, kContainerKindPlain);
    EXPECT_FLOAT_EQ(2.0f, box[0]);   // min x
    EXPECT_FLOAT_EQ(1.0f, box[1]);   // min y
    EXPECT_FLOAT_EQ(13.0f, box[2]);  // max x
    EXPECT_FLOAT_EQ(7.0f, box[3]);   // max y
    root->GetBounds(box, kContainerKindText);
    EXPECT_FLOAT_EQ(-45.0f, box[0]);
    EXPECT_FLOAT_EQ(5.0f, box[2]);
    root->RemoveChild(&text);
}

class RecordingContainer : public C3DContainer {
public:
    RecordingContainer(uint32_t second, std::vector<const C3DContainer*>* log)
        : C3DContainer(nullptr, 0, second), m_log(log) {}
    void NotifyOwner() override {
        m_log->push_back(this);
        C3DContainer::NotifyOwner();
    }
    void Draw(uint32_t value) override {
        m_log->push_back(this);
        C3DContainer::Draw(value);
    }

private:
    std::vector<const C3DContainer*>* m_log;
};

TEST(C3DContainerTest, OwnerNotificationStopsAtAnAnchor) {
    std::vector<const C3DContainer*> log;
    RecordingContainer root(0, &log), anchor(1, &log), leaf(0, &log), direct(0, &log);
    root.AddChild(&anchor, true);
    anchor.AddChild(&leaf, true);
    root.AddChild(&direct, true);

    leaf.NotifyOwner();
    EXPECT_EQ((std::vector<const C3DContainer*>{&leaf, &anchor}), log);
    log.clear();
    direct.NotifyOwner();
    EXPECT_EQ((std::vector<const C3DContainer*>{&direct, &root}), log);
}

TEST(C3DContainerTest, DrawVisitsVisibleChildrenInOrder) {
    std::vector<const C3DContainer*> log;
    RecordingContainer root(0, &log), a(0, &log), b(0, &log), c(0, &log);
    root.AddChild(&a, true);
    root.AddChild(&b, false);
    root.AddChild(&c, true);
    root.Draw(0);
    EXPECT_EQ((std::vector<const C3DContainer*>{&root, &a, &c}), log);
}

struct TextCall {
    C3DVector3 position;
    uint32_t color;
    float scaleX, scaleY;
    uint16_t size;
    std::u16string text;
    uintptr_t context;
};
std::vector<TextCall> g_textCalls;

void RecordText(const C3DVector3* position, uint32_t color, float scaleX, float scaleY, uint16_t size,
                const char16_t* text, uintptr_t context) {
    g_textCalls.push_back({*position, color, scaleX, scaleY, size, text ? text : u"", context});
}

TEST(C3DContainerTest, TextContainerDrawsThroughItsFunction) {
    g_textCalls.clear();
    auto root = Node(100, 0);
    C3DContainerText text(World(), 0, 0);
    text.SetPosition(5, 6, 0);
    text.Scale(2, 3, 1);
    root->AddChild(&text, true);
    root->SetColor(0x11223344u, false, 0);
    root->UpdateTransform();

    root->Draw(0);  // no function yet: nothing
    EXPECT_TRUE(g_textCalls.empty());

    text.SetDrawFunction(&RecordText);
    text.SetDrawContext(99);
    text.SetTextScale(0.5f, 2.0f);
    text.SetTextSize(24);
    text.SetTextParameter(7);
    std::u16string source = u"Hello";
    ASSERT_EQ(kStatusOk, text.SetText(source.c_str()));
    source[0] = u'J';  // the container kept its own copy
    root->Draw(0);
    ASSERT_EQ(1u, g_textCalls.size());
    const TextCall& first = g_textCalls[0];
    EXPECT_FLOAT_EQ(105.0f, first.position.x);
    EXPECT_FLOAT_EQ(6.0f, first.position.y);
    EXPECT_EQ(0x11223344u, first.color);
    EXPECT_FLOAT_EQ(1.0f, first.scaleX);
    EXPECT_FLOAT_EQ(6.0f, first.scaleY);
    EXPECT_EQ(24, first.size);
    EXPECT_EQ(u"Hello", first.text);
    EXPECT_EQ(99u, first.context);
    EXPECT_EQ(7, text.GetTextParameter());

    // Second pass: the position is the translation of the caller's matrix.
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1};
    static const char16_t kKept[] = u"kept";
    text.SetTextPointer(kKept);
    EXPECT_EQ(kKept, text.GetText());
    root->DrawSecondPass(matrix);
    ASSERT_EQ(2u, g_textCalls.size());
    EXPECT_FLOAT_EQ(-1.0f, g_textCalls[1].position.x);
    EXPECT_FLOAT_EQ(-3.0f, g_textCalls[1].position.z);
    EXPECT_EQ(u"kept", g_textCalls[1].text);
    root->RemoveChild(&text);
}

}  // namespace
