// The vertex store: layouts, storage conventions and bounds.
#include <gtest/gtest.h>

#include <cstring>

#include "Vornel3D/C3DVertexStore.h"
#include "VornelUtils/WorldData.h"

namespace {

TEST(VertexStore, LayoutsHaveTheRenderersStridesAndFields)
{
    struct Case {
        C3DVertexLayout layout;
        uint32_t stride;
        int32_t normal, color, color2, uv0, uv1;
    } cases[] = {
        {C3DVertexLayout::Screen, 24, -1, 12, -1, 16, -1},
        {C3DVertexLayout::PointSprite, 16, -1, 12, -1, -1, -1},
        {C3DVertexLayout::MultiTexture, 48, 12, 24, 28, 32, 40},
        {C3DVertexLayout::Normal, 40, 12, 24, 28, 32, -1},
    };
    for (const Case& c : cases) {
        C3DVertexStore store(c.layout);
        EXPECT_EQ(store.GetStride(), c.stride);
        EXPECT_EQ(store.NormalOffset(), c.normal);
        EXPECT_EQ(store.ColorOffset(), c.color);
        EXPECT_EQ(store.Color2Offset(), c.color2);
        EXPECT_EQ(store.UV0Offset(), c.uv0);
        EXPECT_EQ(store.UV1Offset(), c.uv1);
    }
}

TEST(VertexStore, SetVertexFillsEveryFieldTheLayoutHas)
{
    C3DVertexStore store(C3DVertexLayout::MultiTexture);
    ASSERT_EQ(store.Create(3), kStatusOk);
    store.SetVertex(1, 1, 2, 3, 0xAABBCCDDu, 0.25f, 0.75f, 0, 1, 0, 0x11223344u);
    float p[3], n[3], uv0[2], uv1[2];
    uint32_t diffuse = 0, color2 = 0;
    store.GetVertex(1, p, &diffuse, uv0, n, &color2);
    store.GetUV1(1, uv1);
    EXPECT_EQ(p[2], 3.0f);
    EXPECT_EQ(n[1], 1.0f);
    EXPECT_EQ(diffuse, 0xAABBCCDDu);
    EXPECT_EQ(color2, 0x11223344u);
    EXPECT_EQ(uv0[1], 0.75f);
    EXPECT_EQ(uv1[0], 0.25f); // set 1 takes the same coordinates
    store.SetUV1(1, 0.5f, 0.5f);
    store.GetUV0(1, uv0);
    EXPECT_EQ(uv0[0], 0.25f); // and can then be set apart
    // Vertex 0 is still zero-filled.
    store.GetVertex(0, p, &diffuse, nullptr, nullptr, nullptr);
    EXPECT_EQ(p[0], 0.0f);
    EXPECT_EQ(diffuse, 0u);
}

TEST(VertexStore, ConventionsSwapRedAndBlueAndFlipV)
{
    C3DVertexStore store(C3DVertexLayout::Screen, C3DVertexStore::kStoreColorRGBA | C3DVertexStore::kStoreFlipV);
    ASSERT_EQ(store.Create(1), kStatusOk);
    store.SetColor(0, 0x80FF0000u);
    const uint8_t* bytes = store.GetData() + store.ColorOffset();
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x80);
    EXPECT_EQ(store.GetColor(0), 0x80FF0000u);
    store.SetUV0(0, 0.25f, 0.25f);
    float stored[2];
    std::memcpy(stored, store.GetData() + store.UV0Offset(), sizeof stored);
    EXPECT_EQ(stored[1], 0.75f);
    float uv[2];
    store.GetUV0(0, uv);
    EXPECT_EQ(uv[1], 0.25f);
}

TEST(VertexStore, OutOfRangeAndMissingFieldsAreHarmless)
{
    C3DVertexStore store(C3DVertexLayout::PointSprite);
    ASSERT_EQ(store.Create(2), kStatusOk);
    store.SetPosition(2, 9, 9, 9);
    store.SetNormal(0, 1, 1, 1);
    store.SetUV0(0, 1, 1);
    float n[3] = {5, 5, 5}, uv[2] = {5, 5}, p[3] = {5, 5, 5};
    store.GetNormal(0, n);
    store.GetUV1(0, uv);
    store.GetPosition(7, p);
    EXPECT_EQ(n[0], 0.0f);
    EXPECT_EQ(uv[1], 0.0f);
    EXPECT_EQ(p[2], 0.0f);
    EXPECT_EQ(store.GetColor(9), 0u);
    store.Release();
    EXPECT_EQ(store.GetCount(), 0u);
    EXPECT_EQ(store.GetData(), nullptr);
    store.SetColor(0, 1);
    EXPECT_EQ(store.Create(0), kStatusOk);
    EXPECT_EQ(store.GetData(), nullptr);
}

} // namespace
