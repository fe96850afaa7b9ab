// The ".3dx" model file: a hand-written image pins the layout apart from the writer; round
// trips; what a damaged or hostile file must not get through.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "ModelTestData.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"
#include "TestSystem.h"

using namespace modeltest;

namespace {

class Raw3dxTest : public ::testing::Test {
protected:
    Raw3dxTest() { world->dataPathWord = -1; }

    // A two-group model: a triangle and a quad (two triangles) with a base vertex of 3.
    void Fill(C3DObjectRaw& raw, uint32_t width)
    {
        ASSERT_EQ(raw.Create(2, 7, 9), kStatusOk);
        C3DModelRecord* r = raw.GetRecord();
        r->indexWidth = width;
        for (uint32_t v = 0; v < 7; ++v) {
            r->positions[v] = C3DVector3{float(v), float(v) * 0.5f, 1.0f / float(v + 1)};
            r->normals[v] = C3DVector3{0, 0, -1};
            r->diffuse[v] = 0xFF000000u | v;
            r->color2[v] = 0x80000000u | v;
            r->uvs[v] = C3DVector2{float(v) / 7, 1.0f - float(v) / 7};
        }
        const uint32_t indices[9] = {0, 1, 2, 0, 1, 2, 0, 2, 3};
        std::memcpy(r->indices, indices, sizeof indices);
        r->groups[0] = C3DGroupRecord{0, kGroupLinkUnset, 0, 3, 0, 3, 1, kPrimitiveTriangleList, 0};
        r->groups[1] = C3DGroupRecord{1, 42, 3, 4, 3, 6, 2, kPrimitiveTriangleList, 1};
        r->materials[1].power = 3.5f;
        r->triples[1][2] = 11;
        r->groupNames[0] = UtilsString_DupA("flame");
        ASSERT_EQ(raw.SetGroupTexture(1, "stick.png", 1, 0x52), kStatusOk);
    }

    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
};

TEST_F(Raw3dxTest, HandWrittenFileReadsFieldByFieldAndWritesBackTheSameBytes)
{
    for (uint32_t layout : {k3dxLayout32, k3dxLayout64}) {
        SCOPED_TRACE(layout);
        C3DObjectRaw raw(world.get());
        ASSERT_EQ(Read(raw, Fixture(layout).data), kStatusOk);
        const C3DModelRecord* r = raw.GetRecord();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->groupCount, 1u);
        EXPECT_EQ(r->vertexCount, 3u);
        EXPECT_EQ(r->indexCount, 3u);
        EXPECT_EQ(r->groups[0].link, kGroupLinkUnset);
        EXPECT_EQ(r->groups[0].faceMode, 2u);
        EXPECT_EQ(r->triples[0][1], 8u);
        EXPECT_STREQ(r->groupNames[0], "body");
        EXPECT_STREQ(r->textureNames[0], "wood.png");
        EXPECT_EQ(r->textureKinds[0], 1u);
        EXPECT_EQ(r->textureFlags[0], 0x52u);
        EXPECT_EQ(r->materials[0].diffuse[1], 0.25f);
        EXPECT_EQ(r->materials[0].power, 4.0f);
        EXPECT_EQ(r->positions[2].y, 4.0f);
        EXPECT_EQ(r->diffuse[1], 0xFF102031u);
        EXPECT_EQ(r->uvs[2].y, 0.5f);
        EXPECT_EQ(r->normals[1].z, 0.0f); // not stored
        EXPECT_EQ(r->indexWidth, kIndexKind16);
        EXPECT_EQ(r->indices[0], 2u);

        // The writer always writes layout 64, so the layout-64 file comes back byte for byte.
        EXPECT_EQ(Write(raw, kFixtureFlags), Fixture(k3dxLayout64).data);
    }
}

TEST_F(Raw3dxTest, RoundTripsInBothIndexWidthsWithEveryBlock)
{
    const uint32_t all = kFixtureFlags | k3dxNormal | k3dxColor2 | k3dxModifiers;
    for (uint32_t width : {kIndexKind16, kIndexKind32}) {
        SCOPED_TRACE(width);
        C3DObjectRaw raw(world.get());
        Fill(raw, width);
        const std::vector<uint8_t> bytes = Write(raw, all);
        ASSERT_FALSE(bytes.empty());
        C3DObjectRaw back(world.get());
        ASSERT_EQ(Read(back, bytes), kStatusOk);
        const C3DModelRecord* r = back.GetRecord();
        EXPECT_EQ(r->indexWidth, width);
        EXPECT_EQ(std::memcmp(r->indices, raw.GetRecord()->indices, 9 * 4), 0);
        EXPECT_EQ(std::memcmp(r->groups, raw.GetRecord()->groups, 2 * sizeof(C3DGroupRecord)), 0);
        EXPECT_EQ(r->color2[6], 0x80000006u);
        EXPECT_EQ(r->positions[6].z, 1.0f / 7.0f);
        EXPECT_STREQ(r->groupNames[0], "flame");
        EXPECT_EQ(r->groupNames[1], nullptr);
        EXPECT_EQ(r->modifiers, nullptr); // table marker 0: a model without a table
        EXPECT_EQ(Write(back, all), bytes);
    }
    // 16-bit files keep the low 16 bits of each index.
    C3DObjectRaw wide(world.get());
    ASSERT_EQ(wide.Create(0, 0, 1), kStatusOk);
    wide.GetRecord()->indexWidth = kIndexKind16;
    wide.GetRecord()->indices[0] = 0x12345;
    const std::vector<uint8_t> bytes = Write(wide, 0);
    ASSERT_EQ(bytes.size(), 20u + 4 + 2);
    EXPECT_EQ(bytes[24], 0x45);
    EXPECT_EQ(bytes[25], 0x23);
}

TEST_F(Raw3dxTest, OptionalBlocksAndMarkers)
{
    // I = 0: no width code, no indices; no material block: the default material.
    Bytes noIndices;
    noIndices.U32(1).U32(1).U32(0).U32(64).U32(k3dxPosition);
    noIndices.U32(0).U32(0).U32(0).U32(1).U32(0).U32(0).U32(0).U32(5).U32(0);
    noIndices.F32(1).F32(2).F32(3);
    C3DObjectRaw raw(world.get());
    ASSERT_EQ(Read(raw, noIndices.data), kStatusOk);
    EXPECT_EQ(raw.GetRecord()->indices, nullptr);
    EXPECT_EQ(std::memcmp(&raw.GetRecord()->materials[0], &k3DDefaultMaterial, sizeof(C3DMaterial)), 0);
    EXPECT_EQ(raw.GetRecord()->materials[0].diffuse[3], 0.0f);
    EXPECT_EQ(Write(raw, k3dxPosition), noIndices.data);

    // Table marker 0: no table, whatever follows.
    Bytes table0 = noIndices;
    const uint32_t flags = k3dxPosition | k3dxModifiers;
    std::memcpy(&table0.data[16], &flags, 4);
    table0.U32(0).U32(0xDEADBEEF);
    ASSERT_EQ(Read(raw, table0.data), kStatusOk);
    EXPECT_EQ(raw.GetRecord()->modifiers, nullptr);

    // Two groups: a row marker other than 7 leaves group 0 without modifiers (and no slots
    // are read for it); group 1's row holds a colour track in slot 4.
    C3DObjectRaw source(world.get());
    Fill(source, kIndexKind32);
    Bytes rows;
    rows.data = Write(source, k3dxPosition | k3dxModifiers);
    rows.data.resize(rows.data.size() - 4); // table marker 0
    rows.U32(7).U32(6);
    rows.U32(7).U32(0).U32(0).U32(0).U32(0).U32(7);
    rows.U32(2).U32(3).U32(1).F32(1.0f).U32(2).U32(0).F32(0).U32(1).F32(0);
    rows.F32(4).U32(0xFF000000u).F32(4).U32(0xFFFFFFFFu);
    rows.U32(0).U32(0);
    ASSERT_EQ(Read(raw, rows.data), kStatusOk);
    const C3DModelRecord* r = raw.GetRecord();
    ASSERT_NE(r->modifiers, nullptr);
    for (C3DObjectModifier* m : r->modifiers[0])
        EXPECT_EQ(m, nullptr);
    C3DObjectModifier* color = r->modifiers[1][kModifierDirectColor];
    ASSERT_NE(color, nullptr);
    EXPECT_EQ(color->GetKind(), kModifierDirectColor);
    EXPECT_EQ(color->GetKeyCount(), 2u);
    EXPECT_EQ(color->KeyDuration(1), 4.0f);
    EXPECT_EQ(r->modifiers[1][kModifierScale], nullptr);

    // Written back, every row gets its marker 7 and the same track.
    C3DObjectRaw again(world.get());
    ASSERT_EQ(Read(again, Write(raw, k3dxPosition | k3dxModifiers)), kStatusOk);
    ASSERT_NE(again.GetRecord()->modifiers, nullptr);
    EXPECT_NE(again.GetRecord()->modifiers[1][kModifierDirectColor], nullptr);
}

TEST_F(Raw3dxTest, DamagedFilesAreRefusedBeforeAnythingIsAllocated)
{
    C3DObjectRaw raw(world.get());
    ASSERT_EQ(raw.Create(1, 1, 1), kStatusOk);
    const C3DModelRecord* before = raw.GetRecord();

    // Header faults leave an earlier record as it was: nothing was released or allocated.
    Bytes layout48;
    layout48.U32(0xFFFFFFFF).U32(0xFFFFFFFF).U32(0xFFFFFFFF).U32(48).U32(0);
    EXPECT_EQ(Read(raw, layout48.data), kStatusFailed);
    Bytes hugeCounts;
    hugeCounts.U32(1000000).U32(1000000).U32(1000000).U32(64).U32(k3dxPosition);
    EXPECT_EQ(Read(raw, hugeCounts.data), kStatusFailed);
    Bytes fieldlessVertices;
    fieldlessVertices.U32(0).U32(0x7FFFFFFF).U32(0).U32(64).U32(0);
    EXPECT_EQ(Read(raw, fieldlessVertices.data), kStatusFailed);
    EXPECT_EQ(Read(raw, {1, 2, 3}), kStatusFailed);
    EXPECT_EQ(raw.GetRecord(), before);

    // Faults inside the file, each one word (or with `byte` one byte) of the fixture changed.
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        bool byte;
    } cases[] = {
        {"group id beyond the groups", 20, 1, false},
        {"first index + count beyond the indices", 36, 1, false},
        {"index count beyond the indices", 40, 4, false},
        {"index plus base vertex beyond the vertices", 28, 1, false},
        {"group name longer than the file", 68, 0x7FFFFFFF, false},
        {"16-bit index beyond the vertices", 244, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = Fixture(k3dxLayout64);
        ASSERT_EQ(bytes.data.size(), 250u);
        if (c.byte)
            bytes.data[c.offset] = uint8_t(c.value);
        else
            std::memcpy(&bytes.data[c.offset], &c.value, 4);
        C3DObjectRaw damaged(world.get());
        EXPECT_EQ(Read(damaged, bytes.data), kStatusFailed);
    }
    // Cut anywhere, the file fails.
    const std::vector<uint8_t> whole = Fixture(k3dxLayout32).data;
    for (size_t size = 0; size < whole.size(); ++size) {
        C3DObjectRaw cut(world.get());
        EXPECT_EQ(Read(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + size)), kStatusFailed) << size;
    }
}

TEST_F(Raw3dxTest, VertexTracksMustFitTheirGroup)
{
    C3DObjectRaw raw(world.get());
    Fill(raw, kIndexKind32);
    // Group 0 has 3 indices: one triangle. A track of two triangles does not fit.
    for (uint32_t entries : {1u, 2u}) {
        SCOPED_TRACE(entries);
        Bytes bytes;
        bytes.data = Write(raw, k3dxPosition | k3dxModifiers);
        bytes.data.resize(bytes.data.size() - 4);
        bytes.U32(7).U32(7).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(7);
        bytes.U32(1).U32(3).U32(0).F32(1).U32(1).U32(0).F32(0);
        bytes.U32(entries).F32(2);
        for (uint32_t j = 0; j < entries * 6; ++j)
            bytes.F32(float(j));
        bytes.U32(7).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
        C3DObjectRaw back(world.get());
        EXPECT_EQ(Read(back, bytes.data), entries == 1 ? kStatusOk : kStatusFailed);
    }
}

TEST_F(Raw3dxTest, FilesMemoryAndPackEntriesByExtension)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vornel-3dx-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::u16string model = UtilsString_FromUtf8((folder / "model.3DX").u8string().c_str());
    const std::u16string other = UtilsString_FromUtf8((folder / "model.3ds").u8string().c_str());

    C3DObjectRaw raw(world.get());
    Fill(raw, kIndexKind16);
    ASSERT_EQ(raw.SaveToFile(model.c_str(), kFixtureFlags), kStatusOk);
    EXPECT_EQ(raw.SaveToFile(other.c_str(), kFixtureFlags), kStatusFailed);
    EXPECT_FALSE(std::filesystem::exists(folder / "model.3ds")); // no empty file left behind

    C3DObjectRaw back(world.get());
    ASSERT_EQ(back.LoadFromFile(model.c_str()), kStatusOk);
    EXPECT_EQ(back.GetRecord()->vertexCount, 7u);
    EXPECT_EQ(back.LoadFromFile(other.c_str()), kStatusFailed);
    EXPECT_EQ(back.LoadFromFile(u"/nowhere/x.3dx"), kStatusFailed);

    const std::vector<uint8_t> bytes = Write(raw, kFixtureFlags);
    EXPECT_EQ(back.MakeFromAddress(bytes.data(), uint32_t(bytes.size()), u"in/memory.3dx"), kStatusOk);
    EXPECT_EQ(back.MakeFromAddress(bytes.data(), uint32_t(bytes.size()), u"memory.3dxx"), kStatusFailed);
    EXPECT_EQ(back.MakeFromAddress(bytes.data(), uint32_t(bytes.size()), u"3dx"), kStatusFailed);

    // A pack entry: other data follows it and is not read.
    std::vector<uint8_t> pack(bytes);
    pack.insert(pack.end(), 16, 0xEE);
    FILE* file = TestSystem_OpenMemory(pack.data(), pack.size());
    ASSERT_NE(file, nullptr);
    PackRecord entry{};
    entry.pFile = file;
    entry.lastEntrySize = uint32_t(bytes.size());
    UtilsString_Copy(entry.lastEntryName, kWorldTextSize, u"models/a.3dx");
    EXPECT_EQ(back.LoadFromPacker(&entry), kStatusOk);
    EXPECT_EQ(back.GetRecord()->groupCount, 2u);
    std::fseek(file, 0, SEEK_SET);
    entry.lastEntrySize = uint32_t(bytes.size() - 1);
    EXPECT_EQ(back.LoadFromPacker(&entry), kStatusFailed);
    UtilsString_Copy(entry.lastEntryName, kWorldTextSize, u"models/a.png");
    EXPECT_EQ(back.LoadFromPacker(&entry), kStatusFailed);
    std::fclose(file);
    std::filesystem::remove_all(folder);
}

} // namespace
