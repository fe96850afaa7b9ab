// What the overlays need to load their pictures: the size in a picture's name, and the texture
// of every group of an object named by a settings key.
#include <gtest/gtest.h>

#include <string>

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "NimbrelManagers/PictureSize.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

TEST(PictureSize, ReadFromTheNameOrMinusOne)
{
    const struct {
        const char16_t* name;
        int32_t width, height;
    } cases[] = {
        {u"loading.1024x768.fr.png", 1024, 768},
        {u"splashscreen_1_1024x768.jpg", 1024, 768},
        {u"textures/loading_1024x768.png", 1024, 768},
        {u"loading_1024x768.fr.png", 1024, 768},    // no long dot part: after the underscore
        {u"Data_full_Win32\\loading.png", -1, -1},  // folders are not part of the name
        {u"video.640x360.ogv", 640, 360},
        {u"loading.png", -1, -1},
        {u"loading_0x768.png", -1, -1},              // a size must be positive
        {u"loading_1024x-768.png", -1, -1},
        {u"loading_1024.png", -1, -1},
        {u"loading_x768.png", -1, -1},
        {u"loading.big.png", -1, -1},
        {u"", -1, -1},
        {nullptr, -1, -1},
    };
    for (const auto& c : cases) {
        int32_t width = 0, height = 0;
        ParseSizeFromName(c.name, "%dx%d", &width, &height);
        const std::string name = c.name ? UtilsString_ToUtf8(c.name) : "(null)";
        EXPECT_EQ(width, c.width) << name;
        EXPECT_EQ(height, c.height) << name;
    }
}

// Records which of its every-group texture operations ran, with what.
class CRecordingObject : public C3DObject {
public:
    explicit CRecordingObject(WorldData* w) : C3DObject(w) {}
    Status MakeTextureFromAddress(uint32_t a, uint32_t b, const void*, uint32_t, uint32_t stage,
                                  const char16_t* name) override
    {
        return Record("address " + UtilsString_ToUtf8(name), a, b, stage);
    }
    Status LoadTextureFromPacker(uint32_t a, uint32_t b, PackRecord*, uint32_t stage) override
    {
        return Record("pack", a, b, stage);
    }
    Status LoadTextureFromFile(uint32_t a, uint32_t b, const char16_t* path, uint32_t stage) override
    {
        return Record("file " + UtilsString_ToUtf8(path), a, b, stage);
    }
    std::string call;
    Status result = kStatusOk;

private:
    Status Record(const std::string& what, uint32_t a, uint32_t b, uint32_t stage)
    {
        call = what + " " + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(stage);
        return result;
    }
};

TEST(AutoLoad3DObjectTextureFromParam, TakesTheKeyOrItsDefaultBySource)
{
    WorldData w{};
    UtilsString_Copy(w.dataPath, kWorldTextSize, u"Data/");
    const char text[] = "[CURSORS]\nCURSORS_TEXTURE_PATH = sheets/cursors.png\n";
    UtilsParameters_Text settings(text, sizeof text - 1);
    CRecordingObject object(&w);
    // A loose file: the text read as a path under the data path, every group, the given stage.
    EXPECT_EQ(AutoLoad3DObjectTextureFromParam(kResourceSourceFile, &object, 1, 0x52, 2, u"CURSORS",
                                               u"CURSORS_TEXTURE_PATH", u"cursors.png", &settings, &w),
              kStatusOk);
    EXPECT_EQ(object.call, "file Data/sheets/cursors.png 1,82,2");
    object.result = kStatusFailed;
    EXPECT_EQ(AutoLoad3DObjectTextureFromParam(kResourceSourceFile, &object, 1, 0x52, 0, u"TOUCH_SCREEN",
                                               u"TOUCH_TEXTURE_FILE_NAME", u"touch.png", &settings, &w),
              kStatusFailed);
    EXPECT_EQ(object.call, "file Data/touch.png 1,82,0");
    EXPECT_EQ(std::u16string(w.lastErrorText), u"Missing file: Data/touch.png");
    // The pack without a pack open: the name read, nothing loaded.
    object.call.clear();
    EXPECT_EQ(AutoLoad3DObjectTextureFromParam(kResourceSourcePack, &object, 1, 0x52, 0, u"CURSORS",
                                               u"CURSORS_TEXTURE_PATH", u"cursors.png", &settings, &w),
              kStatusFailed);
    EXPECT_EQ(object.call, "");
    EXPECT_EQ(std::u16string(w.lastErrorText), u"Missing file: sheets/cursors.png");
    // Another source loads nothing and is no failure.
    EXPECT_EQ(AutoLoad3DObjectTextureFromParam(0, &object, 1, 0x52, 0, u"CURSORS", u"CURSORS_TEXTURE_PATH",
                                               u"cursors.png", &settings, &w),
              kStatusOk);
    EXPECT_EQ(object.call, "");
    EXPECT_EQ(AutoLoad3DObjectTextureFromParam(kResourceSourceFile, nullptr, 1, 0x52, 0, u"CURSORS",
                                               u"CURSORS_TEXTURE_PATH", u"cursors.png", &settings, &w),
              kStatusFailed);
}

}  // namespace
