// Vertex storage conventions of the OpenGL objects and the index objects' storage and counts.
#include "GLTestSupport.h"

#include <cstring>

#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DObjects_GL.h"

namespace {

class GLObjectTest : public GLEngineTest {
protected:
    void SetUp() override { Open(64, 48); }

    C3DObject* Make(uint32_t kind, uint32_t vertices, uint32_t creation = 0)
    {
        C3DObject* object = m_engine->CreateObject(kind, creation);
        EXPECT_NE(object, nullptr);
        if (object) {
            EXPECT_EQ(object->Create(1, vertices, vertices), 0);
            object->Lock(0, 2);
        }
        return object;
    }
};

}  // namespace

TEST_F(GLObjectTest, ColoursAreStoredRedGreenBlueAlpha)
{
    for (uint32_t kind : {0x02u, 0x04u, 0x08u, 0x10u}) {
        C3DObject* object = Make(kind, 2);
        object->SetVertexColor(1, 0x80FF0000u);
        uint8_t stride = 0;
        const uint8_t* data = static_cast<const uint8_t*>(object->GetVertexData(&stride));
        ASSERT_NE(data, nullptr);
        const int32_t offset = static_cast<C3DObjectBase_GL*>(object)->GetVertexStore().ColorOffset();
        const uint8_t* bytes = data + stride + offset;
        EXPECT_EQ(bytes[0], 0xFF) << kind;
        EXPECT_EQ(bytes[1], 0x00) << kind;
        EXPECT_EQ(bytes[2], 0x00) << kind;
        EXPECT_EQ(bytes[3], 0x80) << kind;
        EXPECT_EQ(object->GetVertexColor(1), 0x80FF0000u) << kind;
        object->Unlock(0);
    }
}

TEST_F(GLObjectTest, StridesOfTheFourLayouts)
{
    const std::pair<uint32_t, uint8_t> kinds[] = {{0x10, 24}, {0x08, 16}, {0x04, 48}, {0x02, 40}};
    for (const auto& k : kinds) {
        C3DObject* object = Make(k.first, 3);
        uint8_t stride = 0;
        EXPECT_NE(object->GetVertexData(&stride), nullptr);
        EXPECT_EQ(stride, k.second) << k.first;
        object->Unlock(0);
    }
}

TEST_F(GLObjectTest, VIsStoredFlipped)
{
    C3DObject* object = Make(0x10, 1);
    object->SetVertexUV0(0, 0.25f, 0.25f);
    uint8_t stride = 0;
    const uint8_t* data = static_cast<const uint8_t*>(object->GetVertexData(&stride));
    float stored[2];
    std::memcpy(stored, data + 16, sizeof stored);
    EXPECT_EQ(stored[0], 0.25f);
    EXPECT_EQ(stored[1], 0.75f);
    const C3DVector2 uv = object->GetVertexUV0(0);
    EXPECT_EQ(uv.x, 0.25f);
    EXPECT_EQ(uv.y, 0.25f);
    object->Unlock(0);
}

TEST_F(GLObjectTest, MultiTextureSetVertexFillsBothSetsAndUV1OnlyTheSecond)
{
    C3DObject* object = Make(0x04, 1);
    object->SetVertex(0, 1, 2, 3, 0xFF102030u, 0.5f, 0.125f, 0, 1, 0, 0x40506070u);
    EXPECT_EQ(object->GetVertexUV1(0).y, 0.125f);
    object->SetVertexUV1(0, 0.75f, 0.5f);
    EXPECT_EQ(object->GetVertexUV0(0).x, 0.5f);
    EXPECT_EQ(object->GetVertexUV0(0).y, 0.125f);
    EXPECT_EQ(object->GetVertexUV1(0).x, 0.75f);
    EXPECT_EQ(object->GetVertexColor2(0), 0x40506070u);
    EXPECT_EQ(object->GetVertexNormal(0).y, 1.0f);
    C3DVector3 position{}, normal{};
    uint32_t diffuse = 0, color2 = 0;
    C3DVector2 uv{};
    object->GetVertex(0, &position, &diffuse, &uv, &normal, &color2);
    EXPECT_EQ(position.z, 3.0f);
    EXPECT_EQ(diffuse, 0xFF102030u);
    EXPECT_EQ(uv.y, 0.125f);
    EXPECT_EQ(color2, 0x40506070u);
    object->Unlock(0);
}

TEST_F(GLObjectTest, LayoutsWithoutAFieldIgnoreIt)
{
    C3DObject* sprite = Make(0x08, 1);
    sprite->SetVertex(0, 1, 2, 3, 0xFF00FF00u, 0.5f, 0.5f, 0, 0, 1, 0x11223344u);
    sprite->SetVertexUV0(0, 0.3f, 0.3f);
    EXPECT_EQ(sprite->GetVertexUV0(0).x, 0.0f);
    EXPECT_EQ(sprite->GetVertexColor2(0), 0u);
    EXPECT_EQ(sprite->GetVertexPosition(0).y, 2.0f);
    C3DVector3 normal{9, 9, 9};
    sprite->GetVertex(0, nullptr, nullptr, nullptr, &normal, nullptr);
    EXPECT_EQ(normal.x, 9.0f);  // left as it was
    sprite->Unlock(0);
    C3DObject* screen = Make(0x10, 1);
    screen->SetVertexNormal(0, 1, 1, 1);
    EXPECT_EQ(screen->GetVertexNormal(0).x, 0.0f);
    EXPECT_EQ(screen->GetVertexUV1(0).x, 0.0f);
    screen->Unlock(0);
}

TEST_F(GLObjectTest, IndexCountsByPrimitiveType)
{
    struct Case {
        uint32_t type, primitives, indices;
    };
    const Case cases[] = {
        {0, 4, 6}, {1, 4, 12}, {2, 4, 6}, {3, 4, 8}, {4, 4, 5}, {5, 4, 4}, {6, 4, 0}, {99, 4, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(C3DObjectIndex_GL::DrawCount(c.type, c.primitives), c.indices) << c.type;
}

TEST_F(GLObjectTest, IndicesAreReadAndWrittenOnlyWhileLocked)
{
    for (uint32_t kind : {1u, 2u}) {
        C3DObjectIndex* index = m_engine->CreateObjectIndex(4, kind);
        ASSERT_NE(index, nullptr);
        ASSERT_EQ(index->Create(2, 4), 0);
        C3DObjectIndex_GL* lists = GLIndexOf(index);
        ASSERT_NE(lists, nullptr);
        EXPECT_EQ(lists->GetDisplayListCount(), 2u);
        EXPECT_EQ(lists->GetDisplayList(0), 0u);
        index->SetIndex(0, 7);  // not locked: ignored
        index->Lock(0, 2);
        EXPECT_EQ(index->GetIndex(0), 0u);
        index->SetIndex(1, 70000);
        EXPECT_EQ(index->GetIndex(1), kind == 1 ? 70000u & 0xFFFF : 70000u);
        EXPECT_EQ(index->GetIndex(4), 0xFFFFFFFFu);
        index->Unlock(1);
        EXPECT_EQ(index->GetIndex(1), 0xFFFFFFFFu);
        uint8_t width = 0;
        EXPECT_NE(index->GetIndexData(&width), nullptr);
        EXPECT_EQ(width, kind == 1 ? 2 : 4);
        EXPECT_EQ(m_engine->ReleaseObjectIndex(index), 0);
    }
}

TEST_F(GLObjectTest, GroupsOutsideTheirArraysDrawNothing)
{
    // A group whose indices reach past the vertices, and one past the index list: the client
    // arrays are never read beyond their end.
    C3DObject* object = m_engine->CreateObject(0x10, 0x20000);
    ASSERT_EQ(object->Create(2, 4, 4), 0);
    object->Lock(0, 2);
    object->ResetIndices();
    object->SetIndex(3, 40);
    for (uint32_t i = 0; i < 4; ++i)
        object->SetVertex(i, float(i), 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0);
    object->SetGroup(0, 0, 4, 0, 4, 2, 0, 0, 0xFFFFFFFFu);
    object->SetGroup(1, 0, 4, 2, 6, 4, 0, 0, 0xFFFFFFFFu);
    object->Unlock(1);
    const C3DObjectIndex_GL* lists = GLIndexOf(object->GetObjectIndex());
    EXPECT_FALSE(lists->IndicesBelow(0, 4, 4));
    EXPECT_TRUE(lists->IndicesBelow(0, 3, 4));
    EXPECT_FALSE(lists->IndicesBelow(2, 6, 100));
    m_engine->BeginScene();
    object->Draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLObjectTest, UnlockCompilesOneListPerGroupAndReleaseDeletesThem)
{
    C3DObject* object = m_engine->CreateObject(0x02, 0x800);
    ASSERT_EQ(object->Create(3, 9, 9), 0);
    object->Lock(0, 2);
    object->ResetIndices();
    for (uint32_t g = 0; g < 3; ++g)
        object->SetGroup(g, 0, 9, 3 * g, 3, 1, 1, 1, 0xFFFFFFFFu);
    object->Unlock(1);
    const C3DObjectIndex_GL* lists = GLIndexOf(object->GetObjectIndex());
    const uint32_t first = lists->GetDisplayList(0);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(lists->GetDisplayList(1), first + 1);
    EXPECT_EQ(lists->GetDisplayList(2), first + 2);
    EXPECT_TRUE(glIsList(first + 2));
    // A second rebuild replaces the lists.
    object->Lock(0, 2);
    object->Unlock(1);
    const uint32_t second = lists->GetDisplayList(0);
    EXPECT_NE(second, 0u);
    EXPECT_EQ(m_engine->ReleaseObject(object), 0);
    EXPECT_FALSE(glIsList(second));
}
