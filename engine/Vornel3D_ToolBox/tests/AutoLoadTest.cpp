// The AutoLoad family: a texture by name and a 3D object's texture by settings key, from each
// source, with the log line and the user text of a failure.
#include <gtest/gtest.h>

#include <string>

#include "ResourceTestData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "VornelUtils/UtilsParameters.h"

namespace {

// A bare 256 x 256 RGB ".raw" image.
Bytes RawImage()
{
    return Bytes(256 * 256 * 3, 0x40);
}

// Keeps the width of the picture it was made from.
class CSizedTexture : public C3DTexture {
public:
    explicit CSizedTexture(WorldData* w) : C3DTexture(w) {}
    Status MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                       const char16_t* name) override
    {
        madeWidth = width;
        return C3DTexture::MakeFromRaw(width, height, depth, pixels, name);
    }
    uint16_t madeWidth = 0;
};

// Records which of its one-texture operations ran, with what.
class CRecordingObject : public C3DObject {
public:
    explicit CRecordingObject(WorldData* w) : C3DObject(w) {}
    Status MakeTextureFromAddressEx(uint32_t a, uint32_t b, const void*, uint32_t size, int32_t group, uint32_t stage,
                                    const char16_t* name) override
    {
        return Record("address " + UtilsString_ToUtf8(name) + " " + std::to_string(size), a, b, group, stage);
    }
    Status LoadTextureFromPackerEx(uint32_t a, uint32_t b, PackRecord* pEntry, int32_t group, uint32_t stage) override
    {
        return Record("pack " + UtilsString_ToUtf8(pEntry->lastEntryName), a, b, group, stage);
    }
    Status LoadTextureFromFileEx(uint32_t a, uint32_t b, const char16_t* path, int32_t group, uint32_t stage) override
    {
        return Record("file " + UtilsString_ToUtf8(path), a, b, group, stage);
    }
    std::string call;
    Status result = kStatusOk;

private:
    Status Record(const std::string& what, uint32_t a, uint32_t b, int32_t group, uint32_t stage)
    {
        call = what + " " + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(group) + "," +
               std::to_string(stage);
        return result;
    }
};

class AutoLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.WritePack("main.pak", {{"textures/pack.raw", RawImage()}, {"textures/bad.raw", Text("bad")}});
        folder.Write("textures/loose.raw", RawImage());
        StaticBlocks()[u"textures/stored.raw"] = RawImage();
    }
    void TearDown() override { StaticBlocks().clear(); }

    ScratchFolder folder;
};

TEST_F(AutoLoadTest, TextureFromEachSource)
{
    const struct {
        uint32_t source;
        const char16_t* name;
    } cases[] = {
        {kResourceSourceProgram, u"textures/stored.raw"},
        {kResourceSourcePack, u"textures/pack.raw"},
        {kResourceSourceFile, u"textures/loose.raw"},
    };
    for (const auto& c : cases) {
        ResourceWorld r(folder, c.source, "main.pak");
        CSizedTexture texture(r.Data());
        EXPECT_EQ(AutoLoadTexture(c.source, &texture, c.name, r.Data()), kStatusOk) << c.source;
        EXPECT_EQ(texture.madeWidth, 256) << c.source;
        texture.Release();
    }
    // No source: nothing loaded, and no failure.
    for (uint32_t source : {0u, 3u, 5u}) {
        ResourceWorld r(folder, source, "main.pak");
        CSizedTexture texture(r.Data());
        EXPECT_EQ(AutoLoadTexture(source, &texture, u"textures/pack.raw", r.Data()), kStatusOk);
        EXPECT_EQ(texture.madeWidth, 0);
        EXPECT_EQ(r.Data()->lastErrorText[0], 0);
    }
    EXPECT_EQ(folder.Read("test.log"), "");
}

TEST_F(AutoLoadTest, MissingTextureIsNamedAndLogged)
{
    const struct {
        uint32_t source;
        const char16_t* name;
        std::string line;
    } cases[] = {
        {kResourceSourceProgram, u"textures/none.png", "# AutoLoadTexture::MakeTextureFromAddress failed! (\"textures/none.png\")\n"},
        {kResourceSourcePack, u"textures/none.png", "# AutoLoadTexture::LoadTextureFromPacker failed! (\"textures/none.png\")\n"},
        {kResourceSourcePack, u"textures/bad.raw", "# AutoLoadTexture::LoadTextureFromPacker failed! (\"textures/bad.raw\")\n"},
        {kResourceSourceFile, u"textures/none.png",
         "# AutoLoadTexture::LoadTextureFromFile failed! (\"" + folder.Path("textures/none.png") + "\")\n"},
    };
    for (const auto& c : cases) {
        std::remove(folder.Path("test.log").c_str());
        ResourceWorld r(folder, c.source, "main.pak");
        C3DTexture texture(r.Data());
        EXPECT_EQ(AutoLoadTexture(c.source, &texture, c.name, r.Data()), kStatusFailed);
        // The user text names the file as the caller gave it, also for a loose file.
        EXPECT_EQ(std::u16string(r.Data()->lastErrorText), u"Missing file: " + std::u16string(c.name));
        EXPECT_EQ(folder.Read("test.log"), c.line);
    }
}

TEST_F(AutoLoadTest, ObjectTextureFromSettingsKey)
{
    const char settingsText[] = "[LOADING]\nPICTURE = textures/pack.raw\n";
    UtilsParameters_Text settings(settingsText, sizeof settingsText - 1);
    const struct {
        uint32_t source;
        const char16_t* key;
        std::string call;
    } cases[] = {
        {kResourceSourceProgram, u"STORED", "address textures/stored.raw 196608 1,82,2,1"},  // the default name
        {kResourceSourcePack, u"PICTURE", "pack textures/pack.raw 1,82,2,1"},
        {kResourceSourceFile, u"PICTURE", "file " + folder.Path("textures/pack.raw") + " 1,82,2,1"},
    };
    for (const auto& c : cases) {
        ResourceWorld r(folder, c.source, "main.pak");
        CRecordingObject object(r.Data());
        EXPECT_EQ(AutoLoad3DObjectOneTextureFromParam(c.source, &object, 1, 0x52, 2, 1, u"LOADING", c.key,
                                                      u"textures/stored.raw", &settings, r.Data()),
                  kStatusOk);
        EXPECT_EQ(object.call, c.call);
        // A failing load is named by the text read, the full path for a loose file.
        object.result = kStatusFailed;
        std::remove(folder.Path("test.log").c_str());
        EXPECT_EQ(AutoLoad3DObjectOneTextureFromParam(c.source, &object, 1, 0x52, 2, 1, u"LOADING", c.key,
                                                      u"textures/stored.raw", &settings, r.Data()),
                  kStatusFailed);
        const std::string named = c.source == kResourceSourceFile ? folder.Path("textures/pack.raw")
                                  : c.source == kResourceSourcePack ? "textures/pack.raw"
                                                                    : "textures/stored.raw";
        EXPECT_EQ(UtilsString_ToUtf8(r.Data()->lastErrorText), "Missing file: " + named);
        const char* operation = c.source == kResourceSourceProgram ? "MakeOneTextureFromAddress"
                                : c.source == kResourceSourcePack  ? "LoadOneTextureFromPacker"
                                                                   : "LoadOneTextureFromFile";
        EXPECT_EQ(folder.Read("test.log"),
                  std::string("# AutoLoad3DObjectOneTextureFromParam::") + operation + " failed! (\"" + named + "\")\n");
    }
    ResourceWorld r(folder, 0, "main.pak");
    CRecordingObject object(r.Data());
    EXPECT_EQ(AutoLoad3DObjectOneTextureFromParam(0, &object, 1, 0x52, 0, 0, u"LOADING", u"PICTURE", u"x.png",
                                                  &settings, r.Data()),
              kStatusOk);
    EXPECT_EQ(object.call, "");
}

}  // namespace
