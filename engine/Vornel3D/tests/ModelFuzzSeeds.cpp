// Writes the seed corpora of the model fuzz targets with the engine's own writers. Run on
// demand:
//   Vornel3D_tests --gtest_also_run_disabled_tests --gtest_filter='ModelFuzzSeeds.*'
#include <gtest/gtest.h>

#include <memory>

#include "ImageTestData.h"
#include "ModelTestData.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(VORNEL_SOURCE_DIR) / "fuzz" / "corpus";

// The saved form of a track, its kind byte in front as the modifier target reads it.
std::vector<uint8_t> SavedTrack(C3DObjectModifier* modifier)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    EXPECT_EQ(modifier->Save(&out), kStatusOk);
    EXPECT_EQ(modifier->SaveState(0, &out), kStatusOk);
    std::vector<uint8_t> bytes{uint8_t(modifier->GetKind())};
    bytes.insert(bytes.end(), out.GetBlock(), out.GetBlock() + out.GetSize());
    return bytes;
}

} // namespace

TEST(ModelFuzzSeeds, DISABLED_Write)
{
    const auto dx = kCorpus / "model_3dx";
    const auto obj = kCorpus / "model_obj";
    const auto tracks = kCorpus / "modifier";
    for (const auto& folder : {dx, obj, tracks})
        std::filesystem::create_directories(folder);
    auto world = std::make_unique<WorldData>();

    imagetest::WriteBytes(dx / "layout32.3dx", modeltest::Fixture(k3dxLayout32).data);
    imagetest::WriteBytes(dx / "layout64.3dx", modeltest::Fixture(k3dxLayout64).data);

    // A model with a colour track and a texture track on its one group.
    C3DObjectRaw raw(world.get());
    ASSERT_EQ(modeltest::Read(raw, modeltest::Fixture(k3dxLayout64).data), kStatusOk);
    C3DModelRecord* r = raw.GetRecord();
    r->modifiers = static_cast<C3DModifierRow*>(UTILS_CALLOC(1, sizeof(C3DModifierRow)));
    C3DModifierColorKey colors[3] = {{0, 2.5f, 0xFF000000u}, {0, 1.0f, 0xFFFF0000u}, {0, 2.0f, 0x80FFFFFFu}};
    r->modifiers[0][kModifierDirectColor] = CreateObjectModifier(kModifierDirectColor, world.get());
    ASSERT_EQ(r->modifiers[0][kModifierDirectColor]->CreateFromKeys(nullptr, 0, colors, 3, 0, 1.0f), kStatusOk);
    auto* keys = static_cast<C3DModifierVertexTextureKey*>(UTILS_CALLOC(2, sizeof(C3DModifierVertexTextureKey)));
    for (uint32_t k = 0; k < 2; ++k) {
        keys[k] = {0, 1.5f, 1, static_cast<C3DModifierTriangleUVs*>(UTILS_CALLOC(1, sizeof(C3DModifierTriangleUVs)))};
        keys[k].entries[0].corner[2] = C3DVector2{0.5f * float(k), 1.0f};
    }
    r->modifiers[0][kModifierVertexTexture] = CreateObjectModifier(kModifierVertexTexture, world.get());
    ASSERT_EQ(r->modifiers[0][kModifierVertexTexture]->CreateFromKeys(nullptr, 0, keys, 2, 0, 1.0f), kStatusOk);
    imagetest::WriteBytes(dx / "tracks.3dx", modeltest::Write(raw, modeltest::kFixtureFlags | k3dxModifiers));

    imagetest::WriteBytes(tracks / "color.track", SavedTrack(r->modifiers[0][kModifierDirectColor]));
    imagetest::WriteBytes(tracks / "texture.track", SavedTrack(r->modifiers[0][kModifierVertexTexture]));
    C3DModifierVectorKey turns[2] = {{0, 2.0f, 3.0f, 0.0f, 0.0f}, {0, 0.0f, -3.0f, 1.0f, 0.0f}};
    std::unique_ptr<C3DObjectModifier> rotation(CreateObjectModifier(kModifierRotation, world.get()));
    ASSERT_EQ(rotation->CreateFromKeys(nullptr, 0, turns, 2, 0, 0.5f), kStatusOk);
    imagetest::WriteBytes(tracks / "rotation.track", SavedTrack(rotation.get()));
    rotation->Release();

    const std::string text = std::string(kObjBanner) +
                             "\r\ng _ body\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0 0\nvt 1 0 0\nvt 1 1 0\n"
                             "vt 0 1 0\nvn 0 0 1\nusemtl wood.png\nf 1/1 2/2 3/3 4/4\nf 1/1/1 2/2/1 3/3/1\n"
                             "g top\nv 0 2 0\nf 5/1 5/2 5/3\n";
    imagetest::WriteBytes(obj / "two_groups.obj", std::vector<uint8_t>(text.begin(), text.end()));
}
