// vornel model, run as a program on models written by the engine, and the sample's model as
// the game reads it from the built pack.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MemoryBackEnd.h"
#include "ToolTestSupport.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsString.h"

namespace {

using tooltest::RunTool;

std::vector<uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The value after "WORD " on the model line of `vornel model info`.
uint32_t InfoCount(const std::string& info, const std::string& word)
{
    const size_t at = info.find(" " + word + " ");
    return at == std::string::npos ? 0xFFFFFFFFu : uint32_t(std::stoul(info.substr(at + word.size() + 2)));
}

// A quad of two triangles with a scale track.
const char kQuad[] = "model groups 1 vertices 4 indices 6 index-width 1  # a comment\n"
                     "blocks position uv modifiers\n"
                     "group 0 base 0 vertices 4 first 0 indices 6\n"
                     "track Scale step 0.5\n"
                     "key 2 1\nkey 1 3\n"
                     "vertex 0 0 0 normal 0 0 0 diffuse 0 color2 0 uv 0 0\n"
                     "vertex 1 0 0 normal 0 0 0 diffuse 0 color2 0 uv 1 0\n"
                     "vertex 1 1 0 normal 0 0 0 diffuse 0 color2 0 uv 1 1\n"
                     "vertex 0 1 0 normal 0 0 0 diffuse 0 color2 0 uv 0 1\n"
                     "index 0 1 2\nindex 0 2 3\n";

class ModelCommandTest : public ::testing::Test {
protected:
    ModelCommandTest() { world.dataPathWord = -1; }
    std::string Path(const std::string& name) { return (folder / name).string(); }
    std::u16string Wide(const std::string& name) { return UtilsString_FromUtf8(Path(name).c_str()); }

    // Two groups with a colour track on the first and a vertex track on the second.
    void Fill(C3DObjectRaw& raw, uint32_t width)
    {
        ASSERT_EQ(raw.Create(2, 6, 6), kStatusOk);
        C3DModelRecord* r = raw.GetRecord();
        r->indexWidth = width;
        for (uint32_t v = 0; v < 6; ++v) {
            r->positions[v] = C3DVector3{float(v) / 3, -0.1f * float(v), 1e-7f};
            r->normals[v] = C3DVector3{0, -0.0f, 1};
            r->diffuse[v] = 0x01020300u | v;
            r->color2[v] = 0xFF000000u;
            r->uvs[v] = C3DVector2{0.3f, float(v) / 7};
            r->indices[v] = v % 3;
        }
        r->groups[0] = C3DGroupRecord{kGroupIdOwnNumber, 9, 0, 3, 0, 3, 1, kPrimitiveTriangleList, 2};
        r->groups[1] = C3DGroupRecord{1, kGroupLinkUnset, 3, 3, 3, 3, 1, kPrimitiveTriangleStrip, 0};
        r->materials[0].power = 0.1f;
        r->triples[1][0] = 77;
        r->groupNames[1] = UtilsString_DupA("say \"hi\" \\ # not a comment");
        ASSERT_EQ(raw.SetGroupTexture(0, "textures/a b.png", 3, 0x800), kStatusOk);
        r->modifiers = static_cast<C3DModifierRow*>(UTILS_CALLOC(2, sizeof(C3DModifierRow)));
        C3DModifierColorKey colors[2] = {{0, 2.5f, 0xFF000000u}, {0, 0.1f, 0x80FF00FFu}};
        r->modifiers[0][kModifierDirectColor] = CreateObjectModifier(kModifierDirectColor, &world);
        ASSERT_EQ(r->modifiers[0][kModifierDirectColor]->CreateFromKeys(nullptr, 0, colors, 2, 0, 0.75f), kStatusOk);
        auto* keys = static_cast<C3DModifierVertexPositionKey*>(UTILS_CALLOC(2, sizeof(C3DModifierVertexPositionKey)));
        for (uint32_t k = 0; k < 2; ++k) {
            keys[k] = {0, 3.0f, 1,
                       static_cast<C3DModifierTrianglePositions*>(UTILS_CALLOC(1, sizeof(C3DModifierTrianglePositions)))};
            keys[k].entries[0].corner[2] = C3DVector3{float(k), 0.25f, -1};
        }
        r->modifiers[1][kModifierVertexPosition] = CreateObjectModifier(kModifierVertexPosition, &world);
        ASSERT_EQ(r->modifiers[1][kModifierVertexPosition]->CreateFromKeys(nullptr, 1, keys, 2, 0, 1.0f), kStatusOk);
    }

    tooltest::TempFolder temp{"vornel-model-tool-"};
    std::filesystem::path folder = temp.Path();
    WorldData world{};
};

TEST_F(ModelCommandTest, InfoWithVerticesThenBuildGivesTheSameBytes)
{
    const uint32_t flags = 0x1u | k3dxVertexBlocks | k3dxMaterial | k3dxTriple | k3dxGroupName | k3dxModifiers |
                           k3dxTextureName | k3dxTextureKind | k3dxTextureFlags;
    for (uint32_t width : {kIndexKind16, kIndexKind32}) {
        SCOPED_TRACE(width);
        C3DObjectRaw raw(&world);
        Fill(raw, width);
        ASSERT_EQ(raw.SaveToFile(Wide("in.3dx").c_str(), flags), kStatusOk);
        const auto [status, text] = RunTool("model info " + Path("in.3dx") + " --vertices");
        ASSERT_EQ(status, 0);
        EXPECT_NE(text.find("other-flags 0x00000001\n"), std::string::npos) << text;
        EXPECT_NE(text.find("track VertexPosition group 1 step 1\n"), std::string::npos) << text;
        EXPECT_NE(text.find("key 2.5 0xFF000000\n"), std::string::npos) << text;
        EXPECT_NE(text.find("texture-name \"textures/a b.png\"\ntexture-kind 0x00000003\n"), std::string::npos);
        WriteText(folder / "in.txt", text);
        ASSERT_EQ(RunTool("model build " + Path("in.txt") + " " + Path("out.3dx")).first, 0);
        EXPECT_EQ(FileBytes(folder / "out.3dx"), FileBytes(folder / "in.3dx"));
    }
    // Without --vertices the text says what the file holds but cannot be built back.
    const auto [status, text] = RunTool("model info " + Path("in.3dx"));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text.find("vertex "), std::string::npos);
    EXPECT_EQ(InfoCount(text, "vertices"), 6u);
}

TEST_F(ModelCommandTest, BuildMakesTheScheduleAndConvertReadsObj)
{
    WriteText(folder / "quad.txt", kQuad);
    ASSERT_EQ(RunTool("model build " + Path("quad.txt") + " " + Path("quad.3dx")).first, 0);
    C3DObjectRaw raw(&world);
    ASSERT_EQ(raw.LoadFromFile(Wide("quad.3dx").c_str()), kStatusOk);
    const C3DModelRecord* r = raw.GetRecord();
    EXPECT_EQ(r->groups[0].primitiveCount, 2u); // made from the type and the index count
    EXPECT_EQ(r->groups[0].id, 0u);
    ASSERT_NE(r->modifiers, nullptr);
    const C3DObjectModifier* scale = r->modifiers[0][kModifierScale];
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(scale->GetScheduleCount(), 5u); // key 0 cut at 0, 0.5, 1, 1.5; key 1 whole
    EXPECT_EQ(scale->GetSchedule()[3].offset, 1.5f);

    // Either exporter's file converts, as the help says.
    const std::string help = RunTool("help model").second;
    EXPECT_NE(help.find("Cinema4D or of the 3ds Max exporter v0.94b"), std::string::npos) << help;
    for (const char* banner : {kObjBanner, kObjBannerMax}) {
        SCOPED_TRACE(banner);
        WriteText(folder / "box.obj", std::string(banner) +
                                          "\ng box\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0 0\nvt 1 1 0\n"
                                          "usemtl box.png\nf 1/1 2/2 3/2 4/1\n");
        ASSERT_EQ(RunTool("model convert " + Path("box.obj") + " " + Path("box.3dx")).first, 0);
        const std::string info = RunTool("model info " + Path("box.3dx")).second;
        EXPECT_EQ(InfoCount(info, "groups"), 1u);
        EXPECT_EQ(InfoCount(info, "vertices"), 4u);
        EXPECT_EQ(InfoCount(info, "indices"), 6u);
        EXPECT_NE(info.find("texture-name \"box.png\""), std::string::npos) << info;
    }
}

TEST_F(ModelCommandTest, AWriteThatFailsKeepsTheOldModelAndFails)
{
    WriteText(folder / "quad.txt", kQuad);
    ASSERT_EQ(RunTool("model build " + Path("quad.txt") + " " + Path("quad.3dx")).first, 0);
    const std::vector<uint8_t> good = FileBytes(folder / "quad.3dx");
    ASSERT_FALSE(good.empty());
    EXPECT_NE(tooltest::RunToolOnFullDisk("model build " + Path("quad.txt") + " " + Path("quad.3dx")), 0);
    EXPECT_TRUE(FileBytes(folder / "quad.3dx") == good) << "the old model was replaced";
    // Nothing is left beside it.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"quad.3dx", "quad.txt"}));
}

TEST_F(ModelCommandTest, BadInputIsNamedAndNothingIsWritten)
{
    const std::string head = "model groups 1 vertices 3 indices 3 index-width 1\nblocks position\n";
    const std::string group = "group 0 base 0 vertices 3 first 0 indices 3\n";
    const std::string vertices = "vertex 0 0 0 normal 0 0 0 diffuse 0 color2 0 uv 0 0\n"
                                 "vertex 1 0 0 normal 0 0 0 diffuse 0 color2 0 uv 0 0\n"
                                 "vertex 1 1 0 normal 0 0 0 diffuse 0 color2 0 uv 0 0\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {head + group + vertices + "index 0 1 3\n", "bad.txt:3: index 2 plus the base vertex names no vertex"},
        {head + group + vertices, "bad.txt:1: 3 indices declared, 0 given"},
        {head + "group 0 base 0 vertices 3 first 1 indices 3\n" + vertices + "index 0 1 2\n",
         "bad.txt:3: the group's indices run past the 3 indices"},
        {head + group + "track Sparkle\n", "bad.txt:4: 'Sparkle' is not a track kind"},
        {head + group + "track VertexTexture\nkey 1\ntriangle 0 0 0 0 0 0\ntriangle 0 0 0 0 0 0\n" + vertices +
             "index 0 1 2\n",
         "bad.txt:4: 2 triangles do not fit the group's 3 indices"},
        {head + group + "track DirectColor\nentry 1 0\nkey 1 0xFF000000\n" + vertices + "index 0 1 2\n",
         "bad.txt:4: a schedule entry names key 1 of 1"},
        {head + group + "material diffuse 1 1 1\n", "bad.txt:4: expects 'material diffuse"},
        {head + "blocks sparkles\n", "bad.txt:3: 'sparkles' is not a block"},
        {head + group + vertices + "index 0 1 65538\n", "bad.txt:1: index 2 (65538) does not fit index-width 1"},
        {head + "vertex 0 0 zero normal 0 0 0 diffuse 0 color2 0 uv 0 0\n", "bad.txt:3: 'zero' is not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteText(folder / "bad.txt", c.text);
        const auto [status, error] = RunTool("model build " + Path("bad.txt") + " " + Path("out.3dx"), true);
        EXPECT_EQ(status, 1);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(folder / "out.3dx"));
    }

    // A file the engine refuses: the reader's status, in words.
    WriteText(folder / "broken.3dx", std::string(20, '\x30'));
    const auto [infoStatus, infoError] = RunTool("model info " + Path("broken.3dx"), true);
    EXPECT_EQ(infoStatus, 1);
    EXPECT_NE(infoError.find("0x80000001"), std::string::npos) << infoError;
    WriteText(folder / "broken.obj", "# WaveFront *.obj file\n");
    EXPECT_EQ(RunTool("model convert " + Path("broken.obj") + " " + Path("out.3dx")).first, 1);
    EXPECT_EQ(RunTool("model convert " + Path("broken.3dx") + " " + Path("out.3dx")).first, 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.3dx"));
    EXPECT_EQ(RunTool("model info").first, 2);
    EXPECT_EQ(RunTool("model build " + Path("bad.txt")).first, 2);
}

// The sample's candlestick as the game reads it: from the built pack, through the object's
// pack loader, on the memory back end.
TEST(SampleModel, CandlestickFromTheBuiltPack)
{
    const std::filesystem::path data = std::filesystem::path(VORNEL_BINARY_DIR) / "bin" / "Data_full_Win32";
    const std::string suffix = "_full_Win32.HD.pak";
    std::filesystem::path pack;
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            pack = entry.path();
    }
    ASSERT_FALSE(pack.empty()) << "no sample pack in " << data;

    tooltest::TempFolder temp{"vornel-sample-model-"};
    const std::string extracted = (temp.Path() / "candlestick.3dx").string();
    ASSERT_EQ(std::system((tooltest::kTool + " pack cat " + pack.string() + " models/candlestick.3dx > " + extracted)
                              .c_str()),
              0);
    const auto [status, info] = RunTool("model info " + extracted);
    ASSERT_EQ(status, 0);

    CMemoryWorld world;
    WorldData& w = *world.data;
    ASSERT_EQ(OpenPackFile(&w.pack, UtilsString_FromUtf8(pack.c_str()).c_str(), 0), kStatusOk);
    w.pfnPackLocator = FindPackEntry;
    ASSERT_EQ(FindPackEntry(u"models/candlestick.3dx", &w.pack), kStatusOk);
    C3DObject* object = world.engine->CreateObject(k3DObjectNormals, k3DDrawTexture0);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->LoadModelFromPacker(&w.pack), kStatusOk);
    EXPECT_EQ(object->GetGroupCount(), InfoCount(info, "groups"));
    EXPECT_EQ(object->GetVertexCount(), InfoCount(info, "vertices"));
    EXPECT_EQ(object->GetObjectIndex()->GetIndexCount(), InfoCount(info, "indices"));
    EXPECT_EQ(std::u16string(object->GetModelName()), u"models/candlestick.3dx");
    EXPECT_NE(info.find("track DirectColor group 2"), std::string::npos) << info;

    // The same model naming a texture the pack lacks: the geometry comes, the file is named.
    C3DObjectRaw raw(&w);
    ASSERT_EQ(FindPackEntry(u"models/candlestick.3dx", &w.pack), kStatusOk);
    ASSERT_EQ(raw.LoadFromPacker(&w.pack), kStatusOk);
    ASSERT_EQ(raw.SetGroupTexture(1, "textures/wax.png", 0, 0), kStatusOk);
    const std::u16string lonePack = UtilsString_FromUtf8((temp.Path() / "lone.pak").c_str());
    const std::u16string loneModel = UtilsString_FromUtf8((temp.Path() / "lone.3dx").c_str());
    ASSERT_EQ(raw.SaveToFile(loneModel.c_str(), k3dxPosition | k3dxTextureName), kStatusOk);
    const std::vector<uint8_t> bytes = FileBytes(temp.Path() / "lone.3dx");
    FILE* file = std::fopen((temp.Path() / "lone.pak").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(WritePackRecord(file, "models/lone.3dx", bytes.data(), uint32_t(bytes.size())), kStatusOk);
    std::fclose(file);
    ASSERT_EQ(OpenPackFile(&w.pack, lonePack.c_str(), 0), kStatusOk);
    ASSERT_EQ(FindPackEntry(u"models/lone.3dx", &w.pack), kStatusOk);
    EXPECT_EQ(object->LoadModelFromPacker(&w.pack), StatusCode(0x80000009u));
    EXPECT_EQ(w.lastErrorCode, StatusCode(0x80000009u));
    EXPECT_EQ(std::u16string(w.lastErrorText), u"Missing file: textures/wax.png");
    EXPECT_EQ(object->GetGroupCount(), 3u);
    EXPECT_EQ(object->GetVertexCount(), 16u);
    EXPECT_EQ(world.engine->ReleaseObject(object), kStatusOk);
    ClosePackFile(&w.pack);
}

} // namespace
