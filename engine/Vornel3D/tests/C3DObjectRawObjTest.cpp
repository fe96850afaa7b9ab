// The ".obj" reader: groups, the quad split, texture coordinates turned upright, what it passes
// over and what it refuses.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::string kBanner = std::string(kObjBanner) + "\r\n";

class RawObjTest : public ::testing::Test {
protected:
    RawObjTest() { std::filesystem::create_directories(folder); }
    ~RawObjTest() override { std::filesystem::remove_all(folder); }

    Status Load(const std::string& text, const char* name = "model.obj")
    {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return raw.LoadFromFile(UtilsString_FromUtf8(path.u8string().c_str()).c_str());
    }

    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
    C3DObjectRaw raw{world.get()};
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vornel-obj-" + std::to_string(::getpid()));
};

TEST_F(RawObjTest, GroupsQuadsAndTexturesBecomeTriangleLists)
{
    const std::string text = kBanner +
                             "# a comment\n"
                             "g _ candle\n"
                             "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                             "vt 0 0 0\nvt 1 0 0\nvt 1 1 0\nvt 0 0.25 0\n"
                             "vn 0 0 1\n"
                             "usemtl wax.png\n"
                             "s 1\n"
                             "f 1/1 2/2 3/3 4/4\n"
                             "f 1/1/1 2/2/1 3/3/1\n"   // with normals: passed over
                             "g flame\n"
                             "v 0 2 0\n"
                             "f 5/1 5/2 5/3\n"
                             "f 5/1 5/2 5/3\n";
    ASSERT_EQ(Load(text), kStatusOk);
    const C3DModelRecord* r = raw.GetRecord();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->groupCount, 2u);
    EXPECT_EQ(r->vertexCount, 7u); // four pairs of the quad, then (5,1), (5,2), (5,3)
    EXPECT_EQ(r->indexCount, 12u);
    const uint32_t indices[12] = {0, 1, 2, 0, 2, 3, 0, 1, 2, 0, 1, 2};
    for (uint32_t i = 0; i < 12; ++i)
        EXPECT_EQ(r->indices[i], indices[i]) << i;

    const C3DGroupRecord& quad = r->groups[0];
    EXPECT_EQ(quad.id, 0u);
    EXPECT_EQ(quad.baseVertex, 0u);
    EXPECT_EQ(quad.vertexCount, 4u); // the "v" lines inside the group
    EXPECT_EQ(quad.firstIndex, 0u);
    EXPECT_EQ(quad.indexCount, 6u);
    EXPECT_EQ(quad.primitiveCount, 2u);
    EXPECT_EQ(quad.type, kPrimitiveTriangleList);
    EXPECT_EQ(quad.faceMode, kFaceModeBoth);
    const C3DGroupRecord& flame = r->groups[1];
    EXPECT_EQ(flame.baseVertex, 4u);
    EXPECT_EQ(flame.vertexCount, 1u);
    EXPECT_EQ(flame.firstIndex, 6u);
    EXPECT_EQ(flame.indexCount, 6u);

    EXPECT_STREQ(r->textureNames[0], "wax.png");
    EXPECT_EQ(r->textureNames[1], nullptr);
    EXPECT_EQ(r->textureKinds[0], 1u);
    EXPECT_EQ(r->textureFlags[1], 0x52u);
    EXPECT_EQ(r->groupNames[0], nullptr);

    EXPECT_EQ(r->positions[2].x, 1.0f);
    EXPECT_EQ(r->positions[4].y, 2.0f);
    EXPECT_EQ(r->uvs[3].y, 0.75f); // v turned upright
    EXPECT_EQ(r->uvs[0].y, 1.0f);
    EXPECT_EQ(r->diffuse[5], 0xFFFFFFFFu);
    EXPECT_EQ(r->color2[5], 0xFF000000u);
    EXPECT_EQ(r->normals[1].z, 0.0f);
    EXPECT_EQ(std::memcmp(&r->materials[1], &k3DDefaultMaterial, sizeof(C3DMaterial)), 0);
}

TEST_F(RawObjTest, OnlyTheExactBannerOpensAFile)
{
    const std::string body = "g a\nv 0 0 0\nvt 0 0 0\nf 1/1 1/1 1/1\n";
    for (const std::string banner : {kObjBanner, kObjBannerMax}) {
        SCOPED_TRACE(banner);
        EXPECT_EQ(Load(banner + "\n" + body), kStatusOk);
        EXPECT_EQ(raw.GetRecord()->groupCount, 1u);
        EXPECT_EQ(Load(banner + "\r\n" + body), kStatusOk);
        EXPECT_EQ(Load(banner), kStatusOk); // the banner alone
        EXPECT_EQ(raw.GetRecord()->groupCount, 0u);
        // One character changed, added, dropped or turned: refused.
        std::vector<std::string> variants = {banner + " ", " " + banner, banner.substr(0, banner.size() - 1),
                                             banner.substr(1), std::string()};
        for (size_t at : {size_t(2), banner.size() / 2, banner.size() - 1}) {
            std::string changed = banner;
            changed[at] = changed[at] == 'x' ? 'y' : 'x';
            variants.push_back(changed);
            std::string cased = banner;
            cased[at] = char(std::isupper(static_cast<unsigned char>(cased[at])) ? std::tolower(cased[at])
                                                                                 : std::toupper(cased[at]));
            if (cased != banner)
                variants.push_back(cased);
        }
        for (const std::string& variant : variants) {
            SCOPED_TRACE(variant);
            EXPECT_EQ(Load(variant + "\n" + body), kStatusFailed);
        }
    }
    world->lastErrorCode = 0;
    EXPECT_EQ(raw.LoadFromFile(u"/nowhere/model.obj"), kStatusFileNotOpened);
    EXPECT_EQ(world->lastErrorCode, kStatusFileNotOpened);
}

TEST_F(RawObjTest, CornersMustNameLinesReadAndFitTheirGroup)
{
    const std::string head = kBanner + "g a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0 0\nvt 1 1 0\n";
    EXPECT_EQ(Load(head + "f 1/1 2/2 3/2\n"), kStatusOk);
    for (const char* face : {"f 0/1 2/2 3/2\n", "f -1/1 2/2 3/2\n", "f 1/1 2/2 4/2\n", "f 1/1 2/2 3/3\n",
                             "f 1/1 2/2 3/65536\n"}) {
        SCOPED_TRACE(face);
        EXPECT_EQ(Load(head + face), kStatusFailed);
    }
    // A face before any group, and a group whose corner lies before its base vertex.
    EXPECT_EQ(Load(kBanner + "v 0 0 0\nvt 0 0 0\nf 1/1 1/1 1/1\n"), kStatusFailed);
    EXPECT_EQ(Load(head + "f 1/1 2/2 3/2\ng b\nv 0 0 1\nf 4/1 1/1 2/2\n"), kStatusFailed);
    EXPECT_EQ(Load(head + "f 1/1 2/2 3/2\ng b\nv 0 0 1\nf 4/1 4/2 4/1\n"), kStatusOk);
    EXPECT_EQ(raw.GetRecord()->indices[3], 0u);
    EXPECT_EQ(raw.GetRecord()->groups[1].baseVertex, 3u);

    // Indices up to 65535 pack; the 65536th position does not.
    std::string many = kBanner + "g a\nvt 0 0 0\n";
    for (int i = 0; i < 65536; ++i)
        many += "v 0 0 0\n";
    EXPECT_EQ(Load(many + "f 65535/1 1/1 2/1\n"), kStatusOk);
    EXPECT_EQ(Load(many + "f 65536/1 1/1 2/1\n"), kStatusFailed);
}

} // namespace
