// Containers released through the engine while still linked into a tree.
#include <gtest/gtest.h>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DContainer.h"

namespace {

TEST(C3DContainerReleaseTest, ReleasingALinkedChildUnlinksItFromItsParent) {
    CMemoryWorld world;
    C3DEngine& engine = *world.engine;
    C3DContainer* parent = engine.CreateContainer(0, 0);
    C3DContainer* child = engine.CreateContainer(0, 0);
    C3DContainer* sibling = engine.CreateContainer(0, 0);
    C3DContainer* grandchild = engine.CreateContainer(0, 0);
    ASSERT_EQ(kStatusOk, parent->AddChild(child, true));
    ASSERT_EQ(kStatusOk, parent->AddChild(sibling, true));
    ASSERT_EQ(kStatusOk, child->AddChild(grandchild, true));

    EXPECT_EQ(kStatusOk, engine.ReleaseContainer(child));
    EXPECT_EQ(2u, engine.GetContainerList().GetCount());
    ASSERT_EQ(1u, parent->GetChildCount());
    EXPECT_EQ(sibling, parent->GetChildren().GetFirst());
    // Walking the tree must not meet the released nodes (AddressSanitizer watches).
    parent->SetRect(10, 10, 10, 10);
    parent->UpdateTransform();
    parent->Draw(0);
    parent->SetAlpha(0x80);
    EXPECT_EQ(parent, parent->FindAt(0, 0));

    EXPECT_EQ(kStatusOk, engine.ReleaseContainer(parent));
    EXPECT_TRUE(engine.GetContainerList().IsEmpty());
}

TEST(C3DContainerReleaseTest, UnloadDeletesLinkedContainersInAnyOrder) {
    CMemoryWorld world;
    C3DEngine& engine = *world.engine;
    C3DContainer* child = engine.CreateContainer(0, 0);  // listed before its parent
    C3DContainer* parent = engine.CreateContainer(0, 0);
    C3DContainer* grandchild = engine.CreateContainerText(0, 0);
    ASSERT_EQ(kStatusOk, parent->AddChild(child, true));
    ASSERT_EQ(kStatusOk, child->AddChild(grandchild, true));
    EXPECT_EQ(kStatusOk, engine.Unload());
    EXPECT_TRUE(engine.GetContainerList().IsEmpty());
}

}  // namespace
