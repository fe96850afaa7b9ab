// Objects built from other objects on the memory back end: merging, normal lines and texture
// atlases (placements, pixels, coordinates, and when no atlas is made).
#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestData.h"
#include "MemoryBackEnd.h"
#include "Vornel3D/C3DShapes.h"
#include "Vornel3D/C3DTextureRaw.h"

namespace {

using imagetest::TempFolder;
using imagetest::Wide;

class BuilderTest : public ::testing::Test {
protected:
    C3DObject* NewObject(uint32_t creation = 0)
    {
        C3DObject* object = world.engine->CreateObject(k3DObjectNormals, creation);
        EXPECT_NE(object, nullptr);
        return object;
    }

    C3DObject* Grid(uint32_t nx, uint32_t ny)
    {
        C3DObject* object = NewObject();
        C3DShapeGridParams grid{2.0f, 2.0f, nx, ny, k3DShapeAxisZ, 0xFF808080u, 0, 1.0f, 1.0f};
        EXPECT_EQ(object->ConstructShape(k3DShapeGrid, &grid), kStatusOk);
        return object;
    }

    static const C3DGroupRecord& Group(C3DObject* object, uint32_t g)
    {
        return *object->GetObjectIndex()->GetGroup(g);
    }

    CMemoryWorld world;
};

TEST_F(BuilderTest, MergeOffsetsGroupsLinksAndVertices)
{
    C3DObject* box = NewObject();
    C3DShapeBoxParams params{1.0f, 1.0f, 1.0f, 0, 0xFFFF0000u, 0, 0.0f, 1.0f};
    ASSERT_EQ(box->ConstructShape(k3DShapeBox, &params), kStatusOk);
    box->SetPosition(10.0f, 0.0f, 0.0f);
    C3DObject* grid = Grid(1, 1);
    grid->GetObjectIndex()->GetGroup(0)->link = 0;
    C3DTexture* texture = world.engine->CreateTexture(0, 0);
    grid->SetTexture(texture, 0, 2);
    C3DObject* empty = NewObject(); // no index buffer: skipped

    C3DObject* merged = NewObject(k3DFaceMode2);
    C3DObject* sources[] = {box, empty, grid};
    ASSERT_EQ(merged->MakeFromObjects(sources, 3, nullptr, 0), kStatusOk);
    EXPECT_EQ(merged->GetGroupCount(), 7u);
    EXPECT_EQ(merged->GetVertexCount(), 28u);
    EXPECT_EQ(merged->GetObjectIndex()->GetIndexCount(), 30u);
    const C3DGroupRecord& last = Group(merged, 6);
    EXPECT_EQ(last.baseVertex, 24u);
    EXPECT_EQ(last.firstIndex, 24u);
    EXPECT_EQ(last.indexCount, 6u);
    EXPECT_EQ(last.type, kPrimitiveTriangleList);
    EXPECT_EQ(last.faceMode, kFaceModeCounterClockwise);
    EXPECT_EQ(last.id, 6u); // the grid's group 0, now number 6
    EXPECT_EQ(last.link, 6u);
    EXPECT_EQ(Group(merged, 2).link, kGroupLinkUnset);
    EXPECT_EQ(Group(merged, 2).id, 2u);
    // Indices are copied as they are; the group's base vertex finds the vertices.
    EXPECT_EQ(merged->GetIndex(24), grid->GetIndex(0));
    // Positions through the source's matrix, the rest unchanged.
    const C3DVector3 p = merged->GetVertexPosition(0);
    EXPECT_FLOAT_EQ(p.x, 9.0f);
    EXPECT_EQ(merged->GetVertexColor(0), 0xFFFF0000u);
    EXPECT_EQ(merged->GetTexture(6, 2), texture);
    EXPECT_EQ(texture->GetUseCount(), 2);

    // One list over both grids: the triangles rebased onto the merged vertices.
    C3DObject* other = Grid(2, 1);
    C3DObject* lists[] = {grid, other};
    ASSERT_EQ(merged->MakeFromObjects(lists, 2, nullptr, 1), kStatusOk);
    EXPECT_EQ(merged->GetGroupCount(), 1u);
    EXPECT_EQ(Group(merged, 0).primitiveCount, 6u);
    EXPECT_EQ(Group(merged, 0).indexCount, 18u);
    EXPECT_EQ(merged->GetIndex(6), other->GetIndex(0) + 4);
    EXPECT_EQ(texture->GetUseCount(), 1);

    // A strip among the sources cannot go into one list; a group past its vertices is refused.
    C3DObject* strips[] = {grid, box};
    EXPECT_EQ(merged->MakeFromObjects(strips, 2, nullptr, 1), kStatusFailed);
    other->GetObjectIndex()->GetGroup(0)->vertexCount = 100;
    EXPECT_EQ(merged->MakeFromObjects(lists, 2, nullptr, 0), kStatusFailed);
    EXPECT_EQ(merged->GetGroupCount(), 0u);
}

TEST_F(BuilderTest, NormalLinesRunAlongTheNormals)
{
    C3DObject* quad = Grid(1, 1);
    quad->SetPosition(0.0f, 0.0f, 5.0f);
    C3DObject* lines = NewObject();
    C3DObject* sources[] = {quad};
    ASSERT_EQ(lines->MakeNormalLines(sources, 1, 2.0f, 0xFF00FF00u), kStatusOk);
    ASSERT_EQ(lines->GetVertexCount(), 8u);
    const C3DGroupRecord& g = Group(lines, 0);
    EXPECT_EQ(g.type, kPrimitiveLineList);
    EXPECT_EQ(g.primitiveCount, 4u);
    EXPECT_EQ(g.faceMode, kFaceModeBoth);
    for (uint32_t k = 0; k < 4; ++k) {
        const C3DVector3 from = lines->GetVertexPosition(2 * k), to = lines->GetVertexPosition(2 * k + 1);
        const C3DVector3 source = quad->GetVertexPosition(k);
        EXPECT_FLOAT_EQ(from.x, source.x);
        EXPECT_FLOAT_EQ(from.z, 5.0f);
        EXPECT_FLOAT_EQ(to.z, 3.0f); // 2 along (0, 0, -1)
        EXPECT_EQ(lines->GetVertexColor(2 * k + 1), 0xFF00FF00u);
        const C3DVector3 n = lines->GetVertexNormal(2 * k);
        EXPECT_EQ(n.x + n.y + n.z, 0.0f);
        EXPECT_EQ(lines->GetIndex(2 * k + 1), 2 * k + 1);
    }
}

class AtlasTest : public BuilderTest {
protected:
    void SetUp() override
    {
        const std::u16string folder = Wide(temp / "");
        std::memset(world.data->dataPath, 0, sizeof world.data->dataPath);
        std::memcpy(world.data->dataPath, folder.c_str(), folder.size() * sizeof(char16_t));
        world.data->dataPathWord = int32_t(folder.size());

        // "a.png": 16 x 16 RGB, red = column x 10, green = picture row (from the top) x 10.
        std::vector<uint8_t> a(16 * 16 * 3);
        for (int stored = 0; stored < 16; ++stored)
            for (int c = 0; c < 16; ++c) {
                uint8_t* px = &a[size_t(stored * 16 + c) * 3];
                px[0] = uint8_t(c * 10);
                px[1] = uint8_t((15 - stored) * 10);
                px[2] = 7;
            }
        Save("a.png", 16, 16, 24, a);
        // "b.png": 8 x 8 grey and alpha, grey 200, alpha 90.
        std::vector<uint8_t> b(8 * 8 * 2);
        for (size_t i = 0; i < b.size(); i += 2) {
            b[i] = 200;
            b[i + 1] = 90;
        }
        Save("b.png", 8, 8, 16, b);

        // Three quads: 0 and 1 share vertices and texture a, 2 has texture b.
        object = NewObject();
        ASSERT_EQ(object->Create(3, 8, 18), kStatusOk);
        object->Lock(2, 2);
        const float corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        for (uint32_t v = 0; v < 8; ++v)
            object->SetVertex(v, corners[v % 4][0], corners[v % 4][1], 0, 0, corners[v % 4][0], corners[v % 4][1], 0,
                              0, 1, 0);
        const uint32_t quad[6] = {0, 1, 2, 2, 1, 3};
        for (uint32_t i = 0; i < 18; ++i)
            object->SetIndex(i, quad[i % 6]);
        object->SetGroup(0, 0, 4, 0, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
        object->SetGroup(1, 0, 4, 6, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
        object->SetGroup(2, 4, 4, 12, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
        object->Unlock(1);
        ASSERT_EQ(object->LoadTextureFromFileEx(k3DShareByName, 0, Wide(temp / "a.png").c_str(), 0, 0), kStatusOk);
        ASSERT_EQ(object->LoadTextureFromFileEx(k3DShareByName, 0, Wide(temp / "a.png").c_str(), 1, 0), kStatusOk);
        ASSERT_EQ(object->LoadTextureFromFileEx(k3DShareByName, 0, Wide(temp / "b.png").c_str(), 2, 0), kStatusOk);
    }

    void Save(const char* name, uint16_t w, uint16_t h, uint8_t depth, const std::vector<uint8_t>& pixels)
    {
        C3DTextureRaw raw(world.data.get());
        ASSERT_EQ(raw.SetPixelsCopy(w, h, depth, pixels.data()), kStatusOk);
        ASSERT_EQ(raw.SaveToFile(Wide(temp / name).c_str(), false), kStatusOk);
    }

    TempFolder temp;
    C3DObject* object = nullptr;
    const uint8_t all[3] = {1, 1, 1};
};

TEST_F(AtlasTest, OnePageWithTheDuplicateSharedAndEachVertexMovedOnce)
{
    const std::u16string out = Wide(temp / "");
    // Without force: a 16 x 32 page holds more pixels than the two sources.
    ASSERT_EQ(object->BuildTextureAtlas(out.c_str(), u"atlas.%d.png", nullptr, all, 64, 64, 0), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(temp / "atlas.0.png"));
    EXPECT_FLOAT_EQ(object->GetVertexUV0(3).y, 1.0f);

    ASSERT_EQ(object->BuildTextureAtlas(out.c_str(), u"atlas.%d.png", nullptr, all, 64, 64, 1), kStatusOk);
    ASSERT_TRUE(std::filesystem::exists(temp / "atlas.0.png"));
    EXPECT_FALSE(std::filesystem::exists(temp / "atlas.1.png"));

    // a at (0, 0); b below it after a 2-pixel gutter, at (0, 18); the page rounds to 16 x 32.
    C3DTextureRaw page(world.data.get());
    ASSERT_EQ(page.LoadFromFile(Wide(temp / "atlas.0.png").c_str()), kStatusOk);
    ASSERT_EQ(page.GetWidth(), 16);
    ASSERT_EQ(page.GetHeight(), 32);
    ASSERT_EQ(page.GetDepth(), 32);
    auto pixel = [&](int row, int col) { // picture row from the top
        return page.GetPixels() + (size_t(31 - row) * 16 + size_t(col)) * 4;
    };
    for (int row : {0, 5, 15})
        for (int col : {0, 9, 15}) {
            EXPECT_EQ(pixel(row, col)[0], col * 10);
            EXPECT_EQ(pixel(row, col)[1], row * 10);
            EXPECT_EQ(pixel(row, col)[2], 7);
            EXPECT_EQ(pixel(row, col)[3], 255);
        }
    const uint8_t grey[4] = {200, 200, 200, 90};
    EXPECT_EQ(std::memcmp(pixel(18, 0), grey, 4), 0);
    EXPECT_EQ(std::memcmp(pixel(25, 7), grey, 4), 0);
    EXPECT_EQ(pixel(17, 0)[3], 0);  // the gutter
    EXPECT_EQ(pixel(25, 8)[3], 0);

    // Shared vertices moved once: a fills the top half, b its own corner.
    EXPECT_FLOAT_EQ(object->GetVertexUV0(3).x, 1.0f);
    EXPECT_FLOAT_EQ(object->GetVertexUV0(3).y, 0.5f);
    EXPECT_FLOAT_EQ(object->GetVertexUV0(4).x, 0.0f);
    EXPECT_FLOAT_EQ(object->GetVertexUV0(4).y, 18.0f / 32.0f);
    EXPECT_FLOAT_EQ(object->GetVertexUV0(7).x, 0.5f);
    EXPECT_FLOAT_EQ(object->GetVertexUV0(7).y, 26.0f / 32.0f);
    for (uint32_t g = 0; g < 3; ++g) {
        C3DTexture* texture = object->GetTexture(g, 0);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(std::u16string(texture->GetName()), u"atlas.0.png");
        EXPECT_EQ(texture->GetWidth(), 16);
    }
}

TEST_F(AtlasTest, GroupsLeftOutAndBadPatterns)
{
    const std::u16string out = Wide(temp / "");
    // Only b chosen: one 8 x 8 page.
    const uint8_t onlyB[3] = {0, 0, 1};
    ASSERT_EQ(object->BuildTextureAtlas(out.c_str(), u"p%d.png", nullptr, onlyB, 64, 64, 1), kStatusOk);
    EXPECT_EQ(std::u16string(object->GetTexture(0, 0)->GetName()), u"a.png");
    EXPECT_EQ(std::u16string(object->GetTexture(2, 0)->GetName()), u"p0.png");

    // A group whose record's seventh word is set takes no part; pages too small: nothing.
    uint32_t records[3 * 7] = {};
    records[6] = records[13] = 1;
    ASSERT_EQ(object->BuildTextureAtlas(out.c_str(), u"q%d.png", records, all, 4, 4, 1), kStatusOk);
    EXPECT_FALSE(std::filesystem::exists(temp / "q0.png"));

    for (const char16_t* pattern : {u"atlas.png", u"%s.png", u"%d%d.png"})
        EXPECT_EQ(object->BuildTextureAtlas(out.c_str(), pattern, nullptr, all, 64, 64, 1), kStatusFailed);
    EXPECT_EQ(std::u16string(object->GetTexture(0, 0)->GetName()), u"a.png");
}

} // namespace
