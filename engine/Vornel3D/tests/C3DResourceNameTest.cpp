// Names kept relative to the data folder, by textures and shaders alike.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DResourceName.h"

namespace {

std::unique_ptr<WorldData> WorldWithDataPath(const std::u16string& path, int32_t length)
{
    std::unique_ptr<WorldData> data(new WorldData());
    path.copy(data->dataPath, path.size());
    data->dataPathWord = length;
    return data;
}

std::u16string Kept(const WorldData* data, const char16_t* path)
{
    const char16_t* name = C3DResourceName(data, path);
    return name ? std::u16string(name) : u"(null)";
}

TEST(ResourceName, StripsTheDataFolderOnlyWhenThePathStartsWithIt)
{
    const std::u16string folder = u"Data_full_Win32\\";
    auto known = WorldWithDataPath(folder, int32_t(folder.size()));
    auto unknown = WorldWithDataPath(folder, -1);
    struct Case {
        const WorldData* data;
        const char16_t* path;
        const char16_t* kept;
    } cases[] = {
        {known.get(), u"Data_full_Win32\\textures\\a.png", u"textures\\a.png"},
        {known.get(), u"Data_full_Win32/textures/a.png", u"textures/a.png"},
        {known.get(), u"textures/menu/button.png", u"textures/menu/button.png"}, // a pack entry's name
        {known.get(), u"a.png", u"a.png"},                                       // shorter than the folder
        {known.get(), u"Other_folder_xx\\a.png", u"Other_folder_xx\\a.png"},     // same length, other text
        {unknown.get(), u"Data_full_Win32\\textures\\a.png", u"a.png"},
        {unknown.get(), u"a.png", u"a.png"},
        {nullptr, u"x/y.png", u"y.png"},
    };
    int row = 0;
    for (const Case& c : cases)
        EXPECT_EQ(Kept(c.data, c.path), std::u16string(c.kept)) << "row " << row++;
    EXPECT_EQ(C3DResourceName(known.get(), nullptr), nullptr);
}

TEST(ResourceName, ShadersKeepTheirNames)
{
    const std::u16string folder = u"C:\\Game\\Data\\";
    auto data = WorldWithDataPath(folder, int32_t(folder.size()));
    C3DShader shader(data.get());
    EXPECT_EQ(shader.LoadFromFile(u"C:\\Game\\Data\\textures/default.gl.frag"), kStatusOk);
    EXPECT_EQ(std::u16string(shader.GetName()), u"textures/default.gl.frag");
    EXPECT_EQ(shader.MakeFromAddress(nullptr, 0, nullptr), kStatusOk);
    EXPECT_EQ(std::u16string(shader.GetName()), u"textures/default.gl.frag"); // a null name keeps it
    EXPECT_EQ(shader.MakeFromAddress(nullptr, 0, u"a/b/c.frag"), kStatusOk);
    EXPECT_EQ(std::u16string(shader.GetName()), u"c.frag");
    PackRecord entry{};
    const std::u16string entryName = u"textures/transition.gl.frag";
    entryName.copy(entry.lastEntryName, entryName.size());
    EXPECT_EQ(shader.LoadFromPacker(&entry), kStatusOk);
    EXPECT_EQ(std::u16string(shader.GetName()), u"textures/transition.gl.frag");
    EXPECT_EQ(shader.Release(), kStatusOk);
    EXPECT_EQ(shader.GetName(), nullptr);
    EXPECT_EQ(shader.SetFloat("u", 1.0f), kStatusFailed);
    data->dataPathWord = -1;
    shader.LoadFromFile(u"C:\\Game\\Data\\textures/default.gl.frag");
    EXPECT_EQ(std::u16string(shader.GetName()), u"default.gl.frag");
}

TEST(StencilShadow, CreateAndCasters)
{
    CMemoryWorld world;
    C3DStencilShadow* shadow = world.engine->CreateStencilShadow(2, 0x40000000u);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetCasterCount(), 2u);
    EXPECT_EQ(shadow->GetColor(), 0x40000000u);
    EXPECT_EQ(shadow->GetMatrix()[15], 1.0f);
    EXPECT_EQ(shadow->GetCaster(1)->upper[0], FLT_MAX);
    EXPECT_EQ(shadow->GetCaster(2), nullptr);

    C3DObject* object = world.engine->CreateObject(k3DObjectNormals, 0);
    object->Create(1, 3, 3);
    const float upper[3] = {1, 2, 3}, lower[3] = {-1, -2, -3};
    EXPECT_EQ(shadow->SetCaster(0, object, object->GetMatrix(), upper, lower), kStatusOk);
    EXPECT_EQ(shadow->GetCaster(0)->capacity, 600u);
    EXPECT_NE(shadow->GetCaster(0)->pSides, nullptr);
    EXPECT_EQ(shadow->SetCaster(1, nullptr, nullptr, upper, lower), kStatusOk);
    EXPECT_EQ(shadow->GetCaster(1)->pSides, nullptr);
    EXPECT_EQ(shadow->GetCaster(1)->capacity, 0u);
    EXPECT_EQ(shadow->SetCaster(5, object, nullptr, upper, lower), kStatusFailed);
    EXPECT_EQ(world.engine->ReleaseStencilShadow(shadow), kStatusOk);

    C3DStencilShadow* none = world.engine->CreateStencilShadow(0, 0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Release(), kStatusOk);
}

} // namespace
