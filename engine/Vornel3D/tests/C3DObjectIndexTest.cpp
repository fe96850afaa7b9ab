#include "Vornel3D/C3DObjectIndex.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> Indices(C3DObjectIndex& index) {
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < index.GetIndexCount(); ++i) values.push_back(index.GetIndex(i));
    return values;
}

TEST(C3DObjectIndexTest, BaseKeepsRecordsButNoIndices) {
    C3DObjectIndex index(nullptr);
    EXPECT_EQ(kIndexKindNone, index.GetKind());
    ASSERT_EQ(kStatusOk, index.Init());
    ASSERT_EQ(kStatusOk, index.Create(2, 6));
    EXPECT_EQ(2u, index.GetGroupCount());
    EXPECT_EQ(6u, index.GetIndexCount());
    for (uint32_t i = 0; i < 2; ++i) {
        const C3DGroupRecord* g = index.GetGroup(i);
        ASSERT_NE(nullptr, g);
        EXPECT_EQ(kGroupLinkUnset, g->link);
        EXPECT_EQ(0u, g->id);
        EXPECT_EQ(0u, g->indexCount);
    }
    index.SetIndex(0, 5);
    EXPECT_EQ(0xFFFFFFFFu, index.GetIndex(0));
    uint8_t width = 9;
    EXPECT_EQ(nullptr, index.GetIndexData(&width));
    EXPECT_EQ(0, width);
    EXPECT_EQ(kStatusOk, index.Restore(0));
    EXPECT_EQ(kStatusOk, index.Invalidate(0));
    EXPECT_EQ(kStatusOk, index.Release());
    EXPECT_EQ(0u, index.GetGroupCount());
    EXPECT_EQ(nullptr, index.GetGroup(0));
}

TEST(C3DObjectIndexTest, SetGroupAndGetGroupInfo) {
    C3DObjectIndex16 index(nullptr);
    ASSERT_EQ(kStatusOk, index.Create(3, 4));
    EXPECT_EQ(kStatusOk, index.SetGroup(1, 10, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceModeClockwise,
                                        kGroupIdOwnNumber));
    EXPECT_EQ(kStatusOk, index.SetGroup(2, 0, 0, 0, 0, 0, kPrimitivePointList, kFaceModeBoth, 77));
    EXPECT_EQ(1u, index.GetGroup(1)->id);
    EXPECT_EQ(77u, index.GetGroup(2)->id);
    EXPECT_EQ(kGroupLinkUnset, index.GetGroup(1)->link);  // never touched by SetGroup

    uint32_t baseVertex = 0, vertexCount = 0, firstIndex = 9, indexCount = 0, primitives = 0, type = 9,
             faceMode = 0, id = 0, link = 0;
    ASSERT_EQ(kStatusOk, index.GetGroupInfo(1, &baseVertex, &vertexCount, &firstIndex, &indexCount, &primitives,
                                            &type, &faceMode, &id, &link));
    EXPECT_EQ(10u, baseVertex);
    EXPECT_EQ(4u, vertexCount);
    EXPECT_EQ(0u, firstIndex);
    EXPECT_EQ(4u, indexCount);
    EXPECT_EQ(2u, primitives);
    EXPECT_EQ(kPrimitiveTriangleStrip, type);
    EXPECT_EQ(kFaceModeClockwise, faceMode);
    EXPECT_EQ(1u, id);
    EXPECT_EQ(kGroupLinkUnset, link);
    EXPECT_EQ(kStatusOk, index.GetGroupInfo(1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr));

    // Out of range: refused, nothing written.
    EXPECT_EQ(kStatusFailed, index.SetGroup(3, 1, 1, 1, 1, 1, 1, 1, 1));
    EXPECT_EQ(nullptr, index.GetGroup(3));
    id = 1234;
    EXPECT_EQ(kStatusFailed, index.GetGroupInfo(3, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                &id, nullptr));
    EXPECT_EQ(1234u, id);

    // Create(0, n) leaves no records at all.
    ASSERT_EQ(kStatusOk, index.Create(0, 4));
    EXPECT_EQ(nullptr, index.GetGroup(0));
    EXPECT_EQ(kStatusFailed, index.SetGroup(0, 0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(C3DObjectIndexTest, FillIdentityAndSequence) {
    C3DObjectIndex32 index(nullptr);
    ASSERT_EQ(kStatusOk, index.Create(1, 10));
    EXPECT_EQ(10u, index.FillIdentity());
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), Indices(index));
    EXPECT_EQ(6u, index.FillSequence(0, 6));
    EXPECT_EQ(10u, index.FillSequence(6, 4));
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 0, 1, 2, 3}), Indices(index));
    // Writing past the end is ignored and reading past it answers -1.
    index.FillSequence(8, 5);
    EXPECT_EQ(0xFFFFFFFFu, index.GetIndex(10));
}

TEST(C3DObjectIndexTest, WidthsAndStorage) {
    C3DObjectIndex16 narrow(nullptr);
    C3DObjectIndex32 wide(nullptr);
    EXPECT_EQ(kIndexKind16, narrow.GetKind());
    EXPECT_EQ(kIndexKind32, wide.GetKind());
    ASSERT_EQ(kStatusOk, narrow.Create(1, 2));
    ASSERT_EQ(kStatusOk, wide.Create(1, 2));
    narrow.SetIndex(1, 0x12345);
    wide.SetIndex(1, 0x12345);
    EXPECT_EQ(0x2345u, narrow.GetIndex(1));
    EXPECT_EQ(0x12345u, wide.GetIndex(1));
    uint8_t width = 0;
    EXPECT_EQ(narrow.GetIndices(), narrow.GetIndexData(&width));
    EXPECT_EQ(2, width);
    EXPECT_EQ(wide.GetIndices(), wide.GetIndexData(&width));
    EXPECT_EQ(4, width);
    // A second Create replaces storage and records without leaking (checked by LeakSanitizer).
    ASSERT_EQ(kStatusOk, wide.Create(2, 5));
    EXPECT_EQ(5u, wide.GetIndexCount());
    EXPECT_EQ(0u, wide.GetIndex(4));
    EXPECT_EQ(kStatusOk, wide.Release());
    EXPECT_EQ(nullptr, wide.GetIndexData(&width));
}

TEST(C3DObjectIndexTest, StripToListKeepsWindingAndValues) {
    struct Case {
        std::vector<uint32_t> strip;
        std::vector<uint32_t> list;
    };
    const Case cases[] = {
        {{0, 1, 2, 3}, {0, 1, 2, 1, 3, 2}},
        {{0, 1, 2}, {0, 1, 2}},
        // The strip's own values, not positions.
        {{7, 3, 9, 4, 8}, {7, 3, 9, 3, 4, 9, 9, 4, 8}},
    };
    for (const Case& k : cases) {
        C3DObjectIndex16 index(nullptr);
        const uint32_t n = static_cast<uint32_t>(k.strip.size());
        ASSERT_EQ(kStatusOk, index.Create(1, n));
        for (uint32_t i = 0; i < n; ++i) index.SetIndex(i, k.strip[i]);
        index.SetGroup(0, 5, 10, 0, n, n - 2, kPrimitiveTriangleStrip, kFaceModeCounterClockwise, 42);
        index.GetGroup(0)->link = 3;

        ASSERT_EQ(kStatusOk, index.StripToList(3));
        EXPECT_EQ(k.list, Indices(index));
        ASSERT_EQ(1u, index.GetGroupCount());
        const C3DGroupRecord* g = index.GetGroup(0);
        EXPECT_EQ(42u, g->id);
        EXPECT_EQ(3u, g->link);
        EXPECT_EQ(5u, g->baseVertex);
        EXPECT_EQ(10u, g->vertexCount);
        EXPECT_EQ(0u, g->firstIndex);
        EXPECT_EQ(3 * (n - 2), g->indexCount);
        EXPECT_EQ(n - 2, g->primitiveCount);
        EXPECT_EQ(kPrimitiveTriangleList, g->type);
        EXPECT_EQ(kFaceModeCounterClockwise, g->faceMode);
    }
}

TEST(C3DObjectIndexTest, StripToListRefusesAndChangesNothing) {
    struct Case {
        uint32_t groups;
        uint32_t indices;
        uint32_t type;
        uint32_t code;
    };
    const Case cases[] = {
        {2, 4, kPrimitiveTriangleStrip, 3},  // two groups
        {1, 6, kPrimitiveTriangleList, 3},   // already a list
        {1, 4, kPrimitiveTriangleStrip, 2},  // another code
        {1, 2, kPrimitiveTriangleStrip, 3},  // too short to hold a triangle
        {1, 0, kPrimitiveTriangleStrip, 3},
    };
    for (const Case& k : cases) {
        C3DObjectIndex32 index(nullptr);
        ASSERT_EQ(kStatusOk, index.Create(k.groups, k.indices));
        index.FillIdentity();
        for (uint32_t g = 0; g < k.groups; ++g) {
            index.SetGroup(g, 0, k.indices, 0, k.indices, 0, k.type, kFaceModeClockwise, kGroupIdOwnNumber);
        }
        const std::vector<uint32_t> before = Indices(index);
        EXPECT_EQ(kStatusFailed, index.StripToList(k.code));
        EXPECT_EQ(k.groups, index.GetGroupCount());
        EXPECT_EQ(k.indices, index.GetIndexCount());
        EXPECT_EQ(before, Indices(index));
        EXPECT_EQ(k.type, index.GetGroup(0)->type);
    }
}

TEST(C3DObjectIndexTest, PrimitiveCounts) {
    struct Case {
        uint32_t type, indices, primitives;
    };
    const Case cases[] = {
        {kPrimitiveTriangleStrip, 4, 2}, {kPrimitiveTriangleStrip, 2, 0}, {kPrimitiveTriangleFan, 5, 3},
        {kPrimitiveTriangleList, 7, 2},  {kPrimitiveTriangleList, 2, 0},  {kPrimitiveLineList, 5, 2},
        {kPrimitiveLineStrip, 1, 0},     {kPrimitiveLineStrip, 4, 3},     {kPrimitivePointList, 9, 9},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.primitives, C3DObjectIndex::CountPrimitives(k.type, k.indices)) << k.type << "/" << k.indices;
    }
}

}  // namespace
