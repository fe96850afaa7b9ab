// The 3D object: creation defaults, index width, release, raw models, bounds and ray picking,
// through the memory back end.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsString.h"

namespace {

class ObjectTest : public ::testing::Test {
protected:
    CMemoryEngine& Engine() { return *world.engine; }
    WorldData& Data() { return *world.data; }

    C3DObject* NewObject(uint32_t flags = k3DObjectNormals, uint32_t second = 0)
    {
        C3DObject* object = Engine().CreateObject(flags, second);
        EXPECT_NE(object, nullptr);
        return object;
    }

    // A unit square in the z = 0 plane as one triangle list of two triangles.
    C3DObject* Square(uint32_t type = kPrimitiveTriangleList)
    {
        C3DObject* object = NewObject();
        EXPECT_EQ(object->Create(1, 4, 6), kStatusOk);
        object->Lock(0, 2);
        const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (uint32_t v = 0; v < 4; ++v)
            object->SetVertex(v, corners[v][0], corners[v][1], 0.0f, 0xFFFFFFFFu, corners[v][0], corners[v][1], 0,
                              0, -1, 0);
        const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
        for (uint32_t i = 0; i < 6; ++i)
            object->SetIndex(i, indices[i]);
        object->SetGroup(0, 0, 4, 0, 6, 2, type, kFaceModeBoth, kGroupIdOwnNumber);
        object->Unlock(1);
        return object;
    }

    CMemoryWorld world;
};

TEST_F(ObjectTest, CreateGivesDefaultColourMaterialsAndAnEmptyTextureTable)
{
    C3DObject* object = NewObject(k3DObjectNormals | 0x100000, 0x12340000u);
    EXPECT_EQ(object->GetFlags(), k3DObjectNormals | 0x100000u);
    EXPECT_EQ(object->GetCreationWord(), 0x12340000u);
    EXPECT_EQ(object->GetFlags() & k3DObjectColorAtDraw, 0u); // creation word lacks 0x20000

    // The first Create of an object has no index buffer to give back and must still succeed.
    ASSERT_EQ(object->Create(3, 5, 9), kStatusOk);
    EXPECT_EQ(object->GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(object->GetGroupCount(), 3u);
    EXPECT_EQ(object->GetVertexCount(), 5u);
    for (uint32_t g = 0; g < 3; ++g) {
        const C3DMaterial* material = object->GetMaterial(g);
        ASSERT_NE(material, nullptr);
        EXPECT_EQ(std::memcmp(material, &k3DDefaultMaterial, sizeof(C3DMaterial)), 0);
        for (uint32_t s = 0; s < k3DTextureStages; ++s)
            EXPECT_EQ(object->GetTexture(g, s), nullptr);
        EXPECT_EQ(object->GetObjectIndex()->GetGroup(g)->link, kGroupLinkUnset);
    }
    EXPECT_FLOAT_EQ(k3DDefaultMaterial.power, 20.0f);
    EXPECT_EQ(k3DDefaultMaterial.diffuse[3], 0.0f);
    EXPECT_EQ(k3DDefaultMaterial.ambient[3], 1.0f);
    EXPECT_EQ(object->GetMaterial(3), nullptr);
    EXPECT_EQ(object->GetObjectIndex()->GetIndexCount(), 9u);
    EXPECT_EQ(static_cast<CMemoryObject*>(object)->GetVertexStore().GetCount(), 5u);
}

TEST_F(ObjectTest, InitSetsPointSizeMatrixAndDrawColourFlag)
{
    Data().pointSpriteMin = 2.0f;
    Data().pointSpriteMax = 10.0f;
    C3DObject* object = NewObject(k3DObjectPointSprite, k3DDrawObjectColor);
    EXPECT_FLOAT_EQ(object->GetPointSize(), 8.0f);
    EXPECT_NE(object->GetFlags() & k3DObjectColorAtDraw, 0u);
    ASSERT_EQ(object->GetMatrix(), object->GetOwnMatrix());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(object->GetMatrix()[i], (i % 5 == 0) ? 1.0f : 0.0f);
    object->SetPointSizeFactor(0.5f);
    EXPECT_FLOAT_EQ(object->GetPointSize(), 4.0f);
}

TEST_F(ObjectTest, IndexWidthFollowsFlagsAndCounts)
{
    struct Case {
        uint32_t flags;
        uint32_t vertices;
        uint32_t indices;
        uint32_t kind;
    } cases[] = {
        {0, 10, 10, k3DIndex16},
        {0, 10, 65535, k3DIndex16},
        {0, 10, 65536, k3DIndex32},
        {k3DObjectIndex16, 10, 70000, k3DIndex16},
        {k3DObjectIndex32, 10, 10, k3DIndex32},
        {k3DObjectIndex16, 65535, 10, k3DIndex16},
        {k3DObjectIndex16, 65536, 10, k3DIndex32}, // too many vertices for 16-bit indices
    };
    for (const Case& c : cases) {
        C3DObject* object = NewObject(k3DObjectScreen | c.flags);
        ASSERT_EQ(object->Create(1, c.vertices, c.indices), kStatusOk);
        EXPECT_EQ(object->GetObjectIndex()->GetKind(), c.kind) << c.flags << " " << c.vertices << " " << c.indices;
        uint8_t width = 0;
        EXPECT_NE(object->GetIndexData(&width), nullptr);
        EXPECT_EQ(width, c.kind == k3DIndex16 ? 2 : 4);
        if (c.vertices > 65535) {
            EXPECT_EQ(object->GetFlags() & (k3DObjectIndex16 | k3DObjectIndex32), k3DObjectIndex32);
        }
        EXPECT_EQ(Engine().ReleaseObject(object), kStatusOk);
    }
    EXPECT_TRUE(Engine().GetObjectIndexList().IsEmpty());
}

TEST_F(ObjectTest, ASecondCreateGivesBackTheOldIndexBufferAndTextures)
{
    C3DObject* object = NewObject();
    ASSERT_EQ(object->Create(2, 3, 3), kStatusOk);
    const std::vector<uint8_t> tga = MemoryTga(2, 2, 1, 2, 3);
    ASSERT_EQ(object->MakeTextureFromAddress(0, 0, tga.data(), uint32_t(tga.size()), 0, u"a.tga"), kStatusOk);
    C3DTexture* owned = Engine().CreateTexture(0, 0);
    object->SetTexture(owned, 1, 2);
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 2u);

    ASSERT_EQ(object->Create(1, 4, 6), kStatusOk);
    EXPECT_EQ(Engine().GetObjectIndexList().GetCount(), 1u);
    // The object's own texture went; the owner's texture stays, without the object's use.
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 1u);
    EXPECT_EQ(owned->GetUseCount(), 0);
    EXPECT_EQ(object->GetTexture(0, 0), nullptr);
    EXPECT_EQ(Engine().ReleaseTexture(owned, 1), kStatusOk);
}

TEST_F(ObjectTest, FailingCreateAndVertexAllocationAreReported)
{
    C3DObject* object = NewObject();
    Engine().faults.objectCreate = true;
    EXPECT_EQ(object->Create(1, 3, 3), kStatusFailed);
    Engine().faults = CMemoryFaults{};
    Engine().faults.vertexAllocation = true;
    EXPECT_EQ(object->Create(1, 3, 3), kStatusOutOfMemory);
    EXPECT_EQ(Data().lastErrorCode, kStatusOutOfMemory);
    Engine().faults = CMemoryFaults{};
    Engine().faults.indexInit = true;
    EXPECT_EQ(object->Create(1, 3, 3), kStatusFailed);
    Engine().faults = CMemoryFaults{};
    EXPECT_EQ(object->Create(1, 3, 3), kStatusOk);
}

TEST_F(ObjectTest, ReleaseGivesBackEverythingAndResetsTheMatrix)
{
    C3DObject* object = Square();
    object->SetPosition(3, 4, 5);
    EXPECT_EQ(object->Release(), kStatusOk);
    EXPECT_EQ(object->GetGroupCount(), 0u);
    EXPECT_EQ(object->GetObjectIndex(), nullptr);
    EXPECT_TRUE(Engine().GetObjectIndexList().IsEmpty());
    EXPECT_EQ(object->GetMatrix()[12], 0.0f);
    EXPECT_EQ(object->Release(), kStatusOk); // nothing left to give back
    EXPECT_EQ(Engine().ReleaseObject(object), kStatusOk);
}

TEST_F(ObjectTest, GroupHelpersFillTheRecords)
{
    C3DObject* object = NewObject();
    ASSERT_EQ(object->Create(2, 8, 12), kStatusOk);
    object->SetGroup(1, 4, 4, 6, 6, 2, kPrimitiveTriangleList, kFaceModeClockwise, kGroupIdOwnNumber);
    object->SetGroup(0, 0, 4, 0, 6, 2, kPrimitiveTriangleStrip, kFaceModeBoth, 7);
    C3DGroupRecord record{};
    record.link = 99;
    ASSERT_EQ(object->GetGroup(1, &record), kStatusOk);
    EXPECT_EQ(record.id, 1u);
    EXPECT_EQ(record.link, 99u); // the caller's link word is not touched
    EXPECT_EQ(record.baseVertex, 4u);
    EXPECT_EQ(record.faceMode, kFaceModeClockwise);
    ASSERT_EQ(object->GetGroup(0, &record), kStatusOk);
    EXPECT_EQ(record.id, 7u);
    object->SetGroupsType(kPrimitiveTriangleFan);
    object->SetGroupsFaceMode(kFaceModeCounterClockwise);
    EXPECT_EQ(object->GetGroupType(1), kPrimitiveTriangleFan);
    EXPECT_EQ(object->GetGroupFaceMode(0), kFaceModeCounterClockwise);
    EXPECT_EQ(object->GetGroupType(2), 0u);

    object->Lock(0, 2);
    EXPECT_EQ(object->SetIndexRange(6, 4), 10u);
    EXPECT_EQ(object->GetIndex(9), 3u);
    EXPECT_EQ(object->ResetIndices(), 12u);
    EXPECT_EQ(object->GetIndex(11), 11u);
    object->Unlock(0);
}

TEST_F(ObjectTest, ColourAndAlpha)
{
    C3DObject* object = NewObject();
    object->SetColor(0x11223344u);
    object->SetAlpha(0x80);
    EXPECT_EQ(object->GetColor(), 0x80223344u);
}

TEST_F(ObjectTest, BoundingBoxesOverVerticesAndGroups)
{
    C3DObject* object = NewObject();
    ASSERT_EQ(object->Create(2, 4, 4), kStatusOk);
    object->Lock(0, 2);
    object->SetVertexPosition(0, -1, 2, 3);
    object->SetVertexPosition(1, 4, -5, 6);
    object->SetVertexPosition(2, 10, 10, 10);
    object->SetVertexPosition(3, 11, 9, 12);
    object->ResetIndices();
    object->SetGroup(0, 0, 2, 0, 2, 1, kPrimitiveLineList, 0, kGroupIdOwnNumber);
    object->SetGroup(1, 1, 3, 2, 2, 1, kPrimitiveLineList, 0, kGroupIdOwnNumber); // base vertex 1: 3, 4 -> 3 only
    object->SetVertexUV0(0, 0.25f, 0.5f);
    object->SetVertexUV0(1, 0.75f, 0.125f);
    object->Unlock(0);

    C3DVector3 min, max;
    object->GetBoundingBox(&min, &max, 0);
    EXPECT_EQ(min.x, -1.0f);
    EXPECT_EQ(min.y, -5.0f);
    EXPECT_EQ(max.z, 12.0f);
    object->SetPosition(100, 0, 0);
    object->GetBoundingBox(&min, &max, 1);
    EXPECT_EQ(min.x, 99.0f);
    EXPECT_EQ(max.x, 111.0f);

    object->GetGroupBoundingBox(0, &min, &max, 0);
    EXPECT_EQ(min.x, -1.0f);
    EXPECT_EQ(max.x, 4.0f);
    object->GetGroupBoundingBox(1, &min, &max, 0); // indices 2, 3 + base 1: vertices 3 and 4 (absent)
    EXPECT_EQ(max.x, 11.0f);

    C3DVector2 uvMin, uvMax;
    object->GetGroupUVBounds0(0, &uvMin, &uvMax);
    EXPECT_EQ(uvMin.x, 0.25f);
    EXPECT_EQ(uvMin.y, 0.125f);
    EXPECT_EQ(uvMax.x, 0.75f);
    object->GetUVBounds1(&uvMin, &uvMax);
    EXPECT_EQ(uvMax.y, 0.0f); // the normals layout has no second set: zeros

    C3DObject* empty = NewObject();
    empty->GetBoundingBox(&min, &max, 0);
    EXPECT_EQ(min.x, FLT_MAX);
    EXPECT_EQ(max.y, FLT_MIN);
    empty->GetUVBounds0(&uvMin, &uvMax);
    EXPECT_EQ(uvMin.x, FLT_MAX);
    EXPECT_EQ(uvMax.x, FLT_MIN);
}

TEST_F(ObjectTest, IntersectRayFindsTheTriangleBetweenTheEnds)
{
    C3DObject* square = Square();
    const C3DVector3 from{0.75f, 0.25f, -10.0f}, to{0.75f, 0.25f, 5.0f};
    uint32_t last[3] = {k3DNoTriangle, 0, 0};
    EXPECT_FLOAT_EQ(square->IntersectRay(&from, &to, last), -5.0f);
    EXPECT_EQ(last[0], 0u);
    EXPECT_EQ(last[1], 1u);
    EXPECT_EQ(last[2], 2u);
    // The remembered triangle is tried first and still hits.
    EXPECT_FLOAT_EQ(square->IntersectRay(&from, &to, last), -5.0f);

    // A ray that stops before the square is not a hit; the remembered triangle is forgotten.
    const C3DVector3 shortTo{0.75f, 0.25f, -2.0f};
    EXPECT_GE(square->IntersectRay(&from, &shortTo, last), 0.0f);
    EXPECT_EQ(last[0], k3DNoTriangle);

    // A ray beside the square misses everything.
    const C3DVector3 besideFrom{5, 5, -10}, besideTo{5, 5, 10};
    EXPECT_EQ(square->IntersectRay(&besideFrom, &besideTo, nullptr), 0.0f);

    // The object's matrix moves the triangles.
    square->SetPosition(10, 0, 0);
    EXPECT_EQ(square->IntersectRay(&from, &to, nullptr), 0.0f);
    const C3DVector3 movedFrom{10.25f, 0.75f, -10.0f}, movedTo{10.25f, 0.75f, 5.0f};
    EXPECT_FLOAT_EQ(square->IntersectRay(&movedFrom, &movedTo, last), -5.0f);
    EXPECT_EQ(last[2], 3u); // the second triangle (0, 2, 3)
}

TEST_F(ObjectTest, IntersectRayTestsNothingOnStripGroups)
{
    C3DObject* strip = Square(kPrimitiveTriangleStrip);
    const C3DVector3 from{0.75f, 0.25f, -10.0f}, to{0.75f, 0.25f, 5.0f};
    EXPECT_EQ(strip->IntersectRay(&from, &to, nullptr), 0.0f);
}

// A memory source that holds one texture image under one name.
std::vector<uint8_t> gSourceImage;
Status FindInMemory(WorldData* pWorldData, const char16_t* name)
{
    if (std::u16string(name) != u"rock.tga")
        return kStatusFailed;
    pWorldData->staticResource.pAddress = gSourceImage.data();
    pWorldData->staticResource.size = uint32_t(gSourceImage.size());
    return kStatusOk;
}

class RawTest : public ObjectTest {
protected:
    // Two groups over one triangle each; group 1 names a texture.
    void FillRaw(C3DObjectRaw& raw, const char* textureName)
    {
        ASSERT_EQ(raw.Create(2, 6, 6), kStatusOk);
        C3DModelRecord* r = raw.GetRecord();
        for (uint32_t v = 0; v < 6; ++v) {
            r->positions[v] = C3DVector3{float(v), float(v % 2), 0.0f};
            r->diffuse[v] = 0xFF000000u | v;
            r->color2[v] = 0x10203040u;
            r->uvs[v] = C3DVector2{0.5f, float(v) / 8};
            r->normals[v] = C3DVector3{0.0f, 0.0f, 1.0f};
            r->indices[v] = v % 3;
        }
        r->groups[0] = C3DGroupRecord{kGroupIdOwnNumber, 5, 0, 3, 0, 3, 1, kPrimitiveTriangleList, kFaceModeBoth};
        r->groups[1] = C3DGroupRecord{0, kGroupLinkUnset, 3, 3, 3, 3, 1, kPrimitiveTriangleList,
                                      kFaceModeCounterClockwise};
        r->materials[1].power = 7.0f;
        ASSERT_EQ(raw.SetGroupTexture(1, textureName, 1, 0x52), kStatusOk);
    }
};

TEST_F(RawTest, LoadFromRawBuildsGeometryGroupsMaterialsAndTextures)
{
    gSourceImage = MemoryTga(2, 2, 9, 9, 9);
    C3DObjectRaw raw(&Data());
    FillRaw(raw, "rock.tga");
    C3DObject* object = NewObject(k3DObjectNormals, k3DDrawTexture0 | k3DFaceMode1);
    ASSERT_EQ(object->LoadFromRaw(&raw, FindInMemory, nullptr, nullptr), kStatusOk);

    EXPECT_EQ(object->GetGroupCount(), 2u);
    EXPECT_EQ(object->GetVertexCount(), 6u);
    C3DGroupRecord g0{}, g1{};
    object->GetGroup(0, &g0);
    object->GetGroup(1, &g1);
    EXPECT_EQ(g0.id, 0u); // -1 in the file: the group's own number
    EXPECT_EQ(g1.id, 0u);
    EXPECT_EQ(g1.baseVertex, 3u);
    EXPECT_EQ(g0.faceMode, kFaceModeClockwise); // forced by the creation word
    EXPECT_EQ(g1.faceMode, kFaceModeClockwise);
    EXPECT_EQ(object->GetObjectIndex()->GetGroup(0)->link, 5u);
    EXPECT_EQ(object->GetMaterial(1)->power, 7.0f);
    EXPECT_EQ(object->GetVertexColor(4), 0xFF000004u);
    EXPECT_EQ(object->GetVertexPosition(5).x, 5.0f);

    C3DTexture* texture = object->GetTexture(1, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(object->GetTexture(0, 0), nullptr);
    EXPECT_EQ(std::u16string(texture->GetName()), u"rock.tga");
    EXPECT_EQ(texture->GetFlags(), 1u);
    EXPECT_EQ(texture->GetSecond(), 0x52u);
    EXPECT_EQ(Engine().GetTextureOnceOnlyHolders(texture), 1u);

    // And back out to a raw model.
    C3DObjectRaw out(&Data());
    ASSERT_EQ(object->SaveToRaw(&out), kStatusOk);
    const C3DModelRecord* r = out.GetRecord();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->groupCount, 2u);
    EXPECT_EQ(r->vertexCount, 6u);
    EXPECT_EQ(r->indexCount, 6u);
    EXPECT_EQ(r->indexWidth, k3DIndex16);
    EXPECT_EQ(r->indices[4], 1u);
    EXPECT_EQ(r->diffuse[3], 0xFF000003u);
    EXPECT_EQ(r->color2[0], 0x10203040u);
    EXPECT_EQ(r->uvs[2].y, 0.25f);
    EXPECT_EQ(r->groups[0].link, 5u);
    EXPECT_EQ(r->groups[1].faceMode, kFaceModeClockwise);
    EXPECT_EQ(r->materials[1].power, 7.0f);
    EXPECT_EQ(r->textureNames[0], nullptr);
    ASSERT_NE(r->textureNames[1], nullptr);
    EXPECT_STREQ(r->textureNames[1], "rock.tga");
    EXPECT_EQ(r->textureKinds[1], 1u);
    EXPECT_EQ(r->textureFlags[1], 0x52u);

    EXPECT_EQ(Engine().ReleaseObject(object), kStatusOk);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(RawTest, AMissingTextureIsLatchedAndTheRestIsBuilt)
{
    C3DObjectRaw raw(&Data());
    FillRaw(raw, "missing.tga");
    C3DObject* object = NewObject(k3DObjectNormals, k3DDrawTextures);
    EXPECT_EQ(object->LoadFromRaw(&raw, FindInMemory, nullptr, nullptr), StatusCode(0x80000009u));
    EXPECT_EQ(Data().lastErrorCode, StatusCode(0x80000009u));
    EXPECT_EQ(std::u16string(Data().lastErrorText), u"Missing file: missing.tga");
    EXPECT_EQ(object->GetGroupCount(), 2u);
    EXPECT_EQ(object->GetTexture(1, 0), nullptr);
    EXPECT_EQ(object->GetGroupFaceMode(1), kFaceModeCounterClockwise); // the file's own
}

TEST_F(RawTest, TexturesNeedTheCreationBitAndASource)
{
    C3DObjectRaw raw(&Data());
    FillRaw(raw, "rock.tga");
    C3DObject* without = NewObject(k3DObjectNormals, 0);
    EXPECT_EQ(without->LoadFromRaw(&raw, FindInMemory, nullptr, nullptr), kStatusOk);
    EXPECT_EQ(without->GetTexture(1, 0), nullptr);
    C3DObject* nowhere = NewObject(k3DObjectNormals, k3DDrawTexture0);
    EXPECT_EQ(nowhere->LoadFromRaw(&raw, nullptr, nullptr, nullptr), kStatusFailed);
    EXPECT_EQ(nowhere->GetGroupCount(), 2u);
    EXPECT_EQ(nowhere->LoadFromRaw(nullptr, nullptr, nullptr, nullptr), kStatusFailed);
    C3DObjectRaw empty(&Data());
    EXPECT_EQ(nowhere->LoadFromRaw(&empty, nullptr, nullptr, nullptr), kStatusFailed);
}

TEST_F(RawTest, NameOnlyModelTexturesAreNotDecoded)
{
    gSourceImage = {1, 2, 3}; // not an image
    C3DObjectRaw raw(&Data());
    FillRaw(raw, "rock.tga");
    C3DObject* object = NewObject(k3DObjectNormals, k3DDrawTexture0 | k3DModelTextureNameOnly);
    ASSERT_EQ(object->LoadFromRaw(&raw, FindInMemory, nullptr, nullptr), kStatusOk);
    C3DTexture* texture = object->GetTexture(1, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetSecond(), 0x52u | k3DTextureNameOnly);
    EXPECT_FALSE(texture->IsLoaded());
}

Status NoPackEntry(const char16_t*, PackRecord*)
{
    return kStatusFailed;
}

TEST_F(RawTest, ModelLoadersReadFilesAndMemoryAndKeepTheName)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vornel-model-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::u16string path = UtilsString_FromUtf8((folder / "model.3dx").u8string().c_str());
    const std::u16string textures = UtilsString_FromUtf8((folder.string() + "/").c_str());
    gSourceImage = MemoryTga(2, 2, 9, 9, 9);
    std::ofstream(folder / "rock.tga", std::ios::binary)
        .write(reinterpret_cast<const char*>(gSourceImage.data()), std::streamsize(gSourceImage.size()));
    const uint32_t blocks = k3dxPosition | k3dxDiffuse | k3dxUV | k3dxMaterial | k3dxTextureName |
                            k3dxTextureKind | k3dxTextureFlags;
    {
        C3DObjectRaw raw(&Data());
        FillRaw(raw, "rock.tga");
        ASSERT_EQ(raw.SaveToFile(path.c_str(), blocks), kStatusOk);
    }

    C3DObject* object = NewObject(k3DObjectNormals, k3DDrawTexture0);
    ASSERT_EQ(object->LoadModelFromFile(path.c_str(), textures.c_str()), kStatusOk);
    EXPECT_EQ(object->GetGroupCount(), 2u);
    ASSERT_NE(object->GetTexture(1, 0), nullptr);
    EXPECT_EQ(std::u16string(object->GetModelName()), u"model.3dx");

    std::vector<uint8_t> bytes(std::filesystem::file_size(folder / "model.3dx"));
    std::ifstream(folder / "model.3dx", std::ios::binary).read(reinterpret_cast<char*>(bytes.data()),
                                                               std::streamsize(bytes.size()));
    Data().pfnStaticLocator = FindInMemory;
    ASSERT_EQ(object->LoadModelFromAddress(bytes.data(), uint32_t(bytes.size()), u"memory.3dx"), kStatusOk);
    EXPECT_EQ(std::u16string(object->GetModelName()), u"memory.3dx");

    // A texture that is nowhere: the geometry is built, the error latched, the name not kept.
    EXPECT_EQ(object->LoadModelFromAddressEx(bytes.data(), uint32_t(bytes.size()), u"other.3dx", NoPackEntry),
              StatusCode(0x80000009u));
    EXPECT_EQ(std::u16string(Data().lastErrorText), u"Missing file: rock.tga");
    EXPECT_EQ(object->GetGroupCount(), 2u);
    EXPECT_EQ(std::u16string(object->GetModelName()), u"memory.3dx");
    EXPECT_EQ(object->LoadModelFromAddress(bytes.data(), uint32_t(bytes.size()), u"memory.png"), kStatusFailed);

    // Written back through the object, the model reads as it was.
    ASSERT_EQ(object->LoadModelFromAddress(bytes.data(), uint32_t(bytes.size()), u"memory.3dx"), kStatusOk);
    const std::u16string saved = UtilsString_FromUtf8((folder / "saved.3dx").u8string().c_str());
    ASSERT_EQ(object->SaveModelToFile(saved.c_str(), blocks), kStatusOk);
    C3DObjectRaw back(&Data());
    ASSERT_EQ(back.LoadFromFile(saved.c_str()), kStatusOk);
    EXPECT_EQ(back.GetRecord()->vertexCount, 6u);
    EXPECT_STREQ(back.GetRecord()->textureNames[1], "rock.tga");
    EXPECT_EQ(NewObject()->SaveModelToFile(saved.c_str(), blocks), kStatusFailed); // no index buffer
    std::filesystem::remove_all(folder);
}

} // namespace
