#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Vornel3D/C3DContainer.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/WorldData.h"

namespace {

// Records the calls a shader container makes on its object.
class RecordingObject : public C3DObject {
public:
    using C3DObject::C3DObject;
    void Draw() override { Record("Draw", kContainerAllGroups); }
    void DrawEx(uint32_t group) override { Record("DrawEx", group); }
    void SetTextureAllGroups(C3DTexture* pTexture, uint32_t stage) override {
        calls.push_back("TextureAll/" + std::to_string(stage));
        texture = pTexture;
    }
    void SetTexture(C3DTexture* pTexture, uint32_t group, uint32_t stage) override {
        calls.push_back("Texture/" + std::to_string(group) + "/" + std::to_string(stage));
        texture = pTexture;
    }

    std::vector<std::string> calls;
    std::vector<const float*> matrices;
    std::vector<uint32_t> colors;
    C3DTexture* texture = nullptr;

private:
    void Record(const char* what, uint32_t group) {
        calls.push_back(group == kContainerAllGroups ? what : std::string(what) + "/" + std::to_string(group));
        matrices.push_back(GetMatrix());
        colors.push_back(GetColor());
    }
};

class C3DContainerShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = std::make_unique<WorldData>();
        world->pMath = &math;
        object = std::make_unique<RecordingObject>(world.get());
        texture = std::make_unique<C3DTexture>(world.get());
    }

    C3DMath math{nullptr};
    std::unique_ptr<WorldData> world;
    std::unique_ptr<RecordingObject> object;
    std::unique_ptr<C3DTexture> texture;
};

TEST_F(C3DContainerShaderTest, DrawsItsObjectWithColourAndMatrixInBothPasses) {
    C3DContainer root(world.get(), 0, 0);
    C3DContainerShader node(world.get(), 0, 0);
    node.SetPosition(3, 4, 0);
    root.AddChild(&node, true);
    root.SetColor(0x80FFFFFFu, false, 0);
    root.UpdateTransform();

    root.Draw(0);  // no object yet: nothing happens
    node.SetObject(object.get());
    EXPECT_EQ(object.get(), node.GetObject());
    root.Draw(0);
    ASSERT_EQ((std::vector<std::string>{"Draw"}), object->calls);
    EXPECT_EQ(node.GetWorldMatrix(), object->matrices[0]);
    EXPECT_EQ(0x80FFFFFFu, object->colors[0]);

    float matrix[16];
    math.SetIdentity(matrix);
    root.DrawSecondPass(matrix);
    ASSERT_EQ(2u, object->calls.size());
    EXPECT_EQ(matrix, object->matrices[1]);

    // Hidden: neither pass reaches it.
    node.SetVisible(false);
    root.Draw(0);
    EXPECT_EQ(2u, object->calls.size());
    root.RemoveChild(&node);
}

TEST_F(C3DContainerShaderTest, TextureOnEveryGroupOrOnOne) {
    C3DContainerShader node(world.get(), 0, 0);
    node.SetObject(object.get());
    node.SetTexture(texture.get());
    EXPECT_EQ(texture.get(), node.GetTexture());
    node.Draw(0);
    node.SetGroup(2);
    EXPECT_EQ(2u, node.GetGroup());
    node.Draw(0);
    node.SetTexture(nullptr);
    node.Draw(0);
    EXPECT_EQ((std::vector<std::string>{"TextureAll/0", "Draw", "Texture/2/0", "DrawEx/2", "DrawEx/2"}),
              object->calls);
    EXPECT_EQ(texture.get(), object->texture);
}

TEST_F(C3DContainerShaderTest, LetsTheObjectGoBackToItsOwnMatrix) {
    object->Init();
    {
        C3DContainerShader node(world.get(), 0, 0);
        node.SetObject(object.get());
        node.Draw(0);
        EXPECT_EQ(node.GetWorldMatrix(), object->GetMatrix());
    }
    // The node is gone; the object no longer points into it.
    EXPECT_EQ(object->GetOwnMatrix(), object->GetMatrix());
    object->Translate(1, 2, 3);
}

}  // namespace
