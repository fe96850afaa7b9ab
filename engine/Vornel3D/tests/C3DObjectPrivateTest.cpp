// The renderer-independent object layer: the counted texture table, the texture loaders and
// the normal passes that end an edit.
#include <gtest/gtest.h>

#include <cmath>

#include "MemoryBackEnd.h"

namespace {

class PrivateTest : public ::testing::Test {
protected:
    CMemoryEngine& Engine() { return *world.engine; }

    C3DObject* NewObject(uint32_t groups, uint32_t flags = k3DObjectNormals)
    {
        C3DObject* object = Engine().CreateObject(flags, 0);
        EXPECT_NE(object, nullptr);
        EXPECT_EQ(object->Create(groups, 8, 12), kStatusOk);
        return object;
    }

    C3DTexture* NewTexture() { return Engine().CreateTexture(0, 0); }

    CMemoryWorld world;
    std::vector<uint8_t> tga = MemoryTga(4, 2, 200, 100, 50);
};

TEST_F(PrivateTest, SetTextureCountsUsesAndIgnoresStagesOutOfRange)
{
    C3DObject* object = NewObject(2);
    C3DTexture* a = NewTexture();
    C3DTexture* b = NewTexture();
    object->SetTexture(a, 0, 0);
    EXPECT_EQ(a->GetUseCount(), 1);
    object->SetTexture(a, 0, 0); // already there: no change
    EXPECT_EQ(a->GetUseCount(), 1);
    object->SetTexture(b, 0, 0);
    EXPECT_EQ(a->GetUseCount(), 0);
    EXPECT_EQ(b->GetUseCount(), 1);
    object->SetTexture(a, 0, 4); // no stage 4
    object->SetTexture(a, 2, 0); // no group 2
    EXPECT_EQ(a->GetUseCount(), 0);
    object->SetTextureAllGroups(a, 3);
    EXPECT_EQ(a->GetUseCount(), 2);
    EXPECT_EQ(object->GetTexture(1, 3), a);
    object->SetTextureAllGroups(nullptr, 3);
    EXPECT_EQ(a->GetUseCount(), 0);
    EXPECT_EQ(object->GetTexture(1, 3), nullptr);
    EXPECT_EQ(object->GetTexture(5, 0), nullptr);

    // A stage's release drops the use but leaves an owner's texture listed.
    EXPECT_EQ(object->ReleaseTexture(0, 0), kStatusOk);
    EXPECT_EQ(b->GetUseCount(), 0);
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 2u);
    EXPECT_EQ(Engine().ReleaseTexture(a, 1), kStatusOk);
    EXPECT_EQ(Engine().ReleaseTexture(b, 1), kStatusOk);
}

TEST_F(PrivateTest, LoadersAddTheOnceOnlyFlagAndTheLastStageTakesTheTextureAway)
{
    C3DObject* object = NewObject(3);
    ASSERT_EQ(object->MakeTextureFromAddress(k3DShareByName, 0, tga.data(), uint32_t(tga.size()), 1, u"m.tga"),
              kStatusOk);
    C3DTexture* texture = object->GetTexture(2, 1);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetUseCount(), 3);
    EXPECT_EQ(Engine().GetTextureOnceOnlyHolders(texture), 1u);

    // A second object loading the same shareable name holds the same texture.
    C3DObject* other = NewObject(1);
    ASSERT_EQ(other->MakeTextureFromAddressEx(k3DShareByName, 0, tga.data(), uint32_t(tga.size()), 0, 2, u"m.tga"),
              kStatusOk);
    EXPECT_EQ(other->GetTexture(0, 2), texture);
    EXPECT_EQ(Engine().GetTextureHolders(texture), 1u);

    EXPECT_EQ(object->ReleaseTextureAllGroups(1), kStatusOk);
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 1u); // still on the other object
    EXPECT_EQ(other->ReleaseTexture(0, 2), kStatusOk);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(PrivateTest, EmptySourcesClearTheStage)
{
    C3DObject* object = NewObject(2);
    ASSERT_EQ(object->MakeTextureFromAddress(0, 0, tga.data(), uint32_t(tga.size()), 0, u"x.tga"), kStatusOk);
    ASSERT_NE(object->GetTexture(1, 0), nullptr);
    EXPECT_EQ(object->MakeTextureFromAddress(0, 0, tga.data(), 0, 0, u"x.tga"), kStatusOk);
    EXPECT_EQ(object->GetTexture(0, 0), nullptr);
    EXPECT_EQ(object->GetTexture(1, 0), nullptr);
    // The texture pushed out of the stages is not left listed.
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());

    ASSERT_EQ(object->MakeTextureFromAddressEx(0, 0, tga.data(), uint32_t(tga.size()), 1, 0, u"x.tga"), kStatusOk);
    EXPECT_EQ(object->LoadTextureFromFile(0, 0, u"", 0), kStatusOk);
    EXPECT_EQ(object->GetTexture(1, 0), nullptr);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(PrivateTest, LoaderFailuresLeaveTheTableAsItWas)
{
    C3DObject* object = NewObject(1);
    C3DTexture* kept = NewTexture();
    object->SetTexture(kept, 0, 0);
    const uint8_t junk[] = {7, 7, 7};
    EXPECT_EQ(object->MakeTextureFromAddress(0, 0, junk, 3, 0, u"j.tga"), kStatusFailed);
    EXPECT_EQ(object->LoadTextureFromFile(0, 0, u"/none/such.png", 0), kStatusFailed);
    PackRecord entry{};
    EXPECT_EQ(object->LoadTextureFromPacker(0, 0, &entry, 0), kStatusFailed);
    EXPECT_EQ(object->GetTexture(0, 0), kept);
    EXPECT_EQ(object->SaveTextureToFile(u"out.png"), kStatusFailed);

    Engine().faults.allocation = true;
    EXPECT_EQ(object->CreateTexture(0, 0, k3DAllGroups, 1), kStatusFailed);
    Engine().faults.allocation = false;
    EXPECT_EQ(object->CreateTexture(0, 0, k3DAllGroups, 1), kStatusOk);
    EXPECT_NE(object->GetTexture(0, 1), nullptr);
}

TEST_F(PrivateTest, LoadersRefuseATextureThatNoStageWouldHold)
{
    // Such a texture would stay listed, held by nobody, until the engine's unload.
    C3DObject* object = NewObject(2);
    const uint32_t size = uint32_t(tga.size());
    EXPECT_EQ(object->MakeTextureFromAddressEx(0, 0, tga.data(), size, 2, 0, u"g.tga"), kStatusFailed);
    EXPECT_EQ(object->MakeTextureFromAddressEx(0, 0, tga.data(), size, -2, 0, u"g.tga"), kStatusFailed);
    EXPECT_EQ(object->MakeTextureFromAddress(0, 0, tga.data(), size, 4, u"s.tga"), kStatusFailed);
    EXPECT_EQ(object->CreateTexture(0, 0, 2, 0), kStatusFailed);
    EXPECT_EQ(object->CreateTexture(0, 0, 0, 4), kStatusFailed);
    EXPECT_EQ(object->LoadTextureFromFileEx(0, 0, u"/none/such.png", 7, 0), kStatusFailed);
    PackRecord entry{};
    EXPECT_EQ(object->LoadTextureFromPackerEx(0, 0, &entry, 2, 0), kStatusFailed);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());

    // An object without groups has no stage at all.
    C3DObject* empty = Engine().CreateObject(k3DObjectNormals, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->MakeTextureFromAddress(0, 0, tga.data(), size, 0, u"e.tga"), kStatusFailed);
    EXPECT_EQ(empty->CreateTexture(0, 0, k3DAllGroups, 0), kStatusFailed);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());

    // The last group and the last stage still take one.
    EXPECT_EQ(object->MakeTextureFromAddressEx(0, 0, tga.data(), size, 1, 3, u"g.tga"), kStatusOk);
    EXPECT_NE(object->GetTexture(1, 3), nullptr);
    EXPECT_EQ(object->ReleaseTexture(1, 3), kStatusOk);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(PrivateTest, UnlockRunsThePendingNormalPassExceptOnScreenAndSpriteObjects)
{
    struct Case {
        uint32_t kind;
        uint32_t pending;
        bool runs;
    } cases[] = {
        {k3DObjectNormals, k3DObjectFaceNormalsPending, true},
        {k3DObjectNormals, k3DObjectSmoothNormalsPending, true},
        {k3DObjectMultiTexture, k3DObjectFaceNormalsPending | k3DObjectSmoothNormalsPending, true},
        {k3DObjectScreen, k3DObjectFaceNormalsPending, false},
        {k3DObjectPointSprite, k3DObjectSmoothNormalsPending, false},
    };
    for (const Case& c : cases) {
        C3DObject* object = Engine().CreateObject(c.kind, 0);
        ASSERT_EQ(object->Create(1, 3, 3), kStatusOk);
        object->Lock(0, 2);
        object->SetVertexPosition(0, 0, 0, 0);
        object->SetVertexPosition(1, 1, 0, 0);
        object->SetVertexPosition(2, 0, 1, 0);
        object->ResetIndices();
        object->SetGroup(0, 0, 3, 0, 3, 1, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
        object->SetFlags(object->GetFlags() | c.pending);
        object->Unlock(1);
        EXPECT_EQ((object->GetFlags() & c.pending) == 0, c.runs) << c.kind;
        EXPECT_EQ(static_cast<CMemoryObject*>(object)->GetUploadCount(), 1);
        if (c.runs) {
            // (p0 - p1) x (p0 - p2) = (-1, 0, 0) x (0, -1, 0) = (0, 0, 1)
            const C3DVector3 n = object->GetVertexNormal(2);
            EXPECT_FLOAT_EQ(n.z, 1.0f) << c.kind;
        }
        Engine().ReleaseObject(object);
    }
}

// Two triangles of a fold, facing +z and +x: (0,0,0) (1,0,0) (0,1,0) and (0,0,0) (0,1,0) (0,0,1),
// each with its own vertices, in one group or two.
C3DObject* Fold(CMemoryEngine& engine, bool twoGroups)
{
    C3DObject* object = engine.CreateObject(k3DObjectNormals, 0);
    object->Create(twoGroups ? 2 : 1, 6, 6);
    object->Lock(0, 2);
    const float p[6][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (uint32_t v = 0; v < 6; ++v)
        object->SetVertexPosition(v, p[v][0], p[v][1], p[v][2]);
    if (twoGroups) {
        object->SetIndexRange(0, 3);
        object->SetIndexRange(3, 3);
        object->SetGroup(0, 0, 3, 0, 3, 1, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
        object->SetGroup(1, 3, 3, 3, 3, 1, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
    } else {
        object->ResetIndices();
        object->SetGroup(0, 0, 6, 0, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
    }
    object->SetFlags(object->GetFlags() | k3DObjectSmoothNormalsPending);
    object->Unlock(0);
    return object;
}

TEST_F(PrivateTest, SmoothNormalsWeldEqualPositionsWithinAGroupOnly)
{
    C3DObject* one = Fold(Engine(), false);
    const C3DVector3 a = one->GetVertexNormal(0), b = one->GetVertexNormal(3);
    EXPECT_FLOAT_EQ(a.x, b.x);
    EXPECT_FLOAT_EQ(a.y, b.y);
    EXPECT_FLOAT_EQ(a.z, b.z);
    EXPECT_NEAR(std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z), 1.0f, 1e-6f);
    EXPECT_GT(a.z, 0.0f);
    EXPECT_NEAR(a.x, std::sqrt(0.5f), 1e-6f); // halfway between the faces' (0, 0, 1) and (1, 0, 0)

    C3DObject* two = Fold(Engine(), true);
    const C3DVector3 c = two->GetVertexNormal(0), d = two->GetVertexNormal(3);
    EXPECT_FLOAT_EQ(c.z, 1.0f);
    EXPECT_FLOAT_EQ(d.x, 1.0f);
}

TEST_F(PrivateTest, NormalPassesSurviveBadIndexValues)
{
    C3DObject* object = Engine().CreateObject(k3DObjectNormals, 0);
    ASSERT_EQ(object->Create(1, 3, 6), kStatusOk);
    object->Lock(0, 2);
    const uint32_t values[6] = {0, 1, 2, 0, 0xFFFFFFFFu, 70000};
    for (uint32_t i = 0; i < 6; ++i)
        object->SetIndex(i, values[i]);
    object->SetGroup(0, 1, 3, 0, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
    object->SetFlags(object->GetFlags() | k3DObjectSmoothNormalsPending);
    object->Unlock(0);
    object->Lock(0, 2);
    object->SetFlags(object->GetFlags() | k3DObjectFaceNormalsPending);
    object->Unlock(0);
    SUCCEED();
}

} // namespace
