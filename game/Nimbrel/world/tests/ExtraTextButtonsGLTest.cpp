// The extra-text buttons drawn by the GL renderer from a loose 2 x 2 sheet, read back: each
// button is its own quarter of the sheet, placed and scaled as asked.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "GLTestSupport.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"

namespace {

const Rgba kQuarterColours[4] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
const Rgba kBlack = {0, 0, 0, 0};

// A 64 x 64 24-bit TGA (rows stored bottom-up) whose quarters are the four colours: top left,
// top right, bottom left, bottom right.
std::vector<uint8_t> SheetTga()
{
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 64, 0, 64, 0, 24, 0};
    for (int row = 63; row >= 0; --row)
        for (int x = 0; x < 64; ++x) {
            const Rgba& c = kQuarterColours[(row >= 32 ? 2 : 0) + (x >= 32 ? 1 : 0)];
            tga.insert(tga.end(), {c.b, c.g, c.r});
        }
    return tga;
}

class ExtraTextButtonsGLTest : public GLEngineTest {
protected:
    void SetUp() override
    {
        Open(256, 256);
        if (IsSkipped() || HasFatalFailure())
            return;
        m_world->selected[kModule3D].pDescriptor = FindModuleDescriptor(kModule3D, 5);
        std::random_device random;
        folder = std::filesystem::temp_directory_path() / ("extra-text-" + std::to_string(random()));
        std::filesystem::create_directories(folder);
        const std::vector<uint8_t> sheet = SheetTga();
        std::FILE* file = std::fopen((folder / "sheet.tga").string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(sheet.data(), 1, sheet.size(), file);
        std::fclose(file);
        UtilsString_Copy(m_world->dataPath, kWorldTextSize,
                         UtilsString_FromUtf8((folder.string() + "/").c_str()).c_str());
        settings = std::make_unique<UtilsParameters_Text>(kSettings, uint32_t(std::strlen(kSettings)));
        m_world->pAppSettings = settings.get();
        game = GameDataCreate();
        game->modeWord = kResourceSourceFile;
        m_world->pGame = game;
        m_math->SetIdentity(m_world->game.view.matrixOverlay);
    }
    void TearDown() override
    {
        manager.reset();
        GLEngineTest::TearDown();
        GameDataFree(game);
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }
    void Frame()
    {
        m_world->colorClear = 0xFF000000u;
        m_engine->BeginScene();
    }

    static constexpr const char* kSettings =
        "[EXTRA_TEXT]\nEXTRA_TEXT_TEXTURE_FILE_NAME = sheet.tga\nEXTRA_TEXT_BUTTONS_SIZE_WIDTH = 40\n"
        "EXTRA_TEXT_BUTTONS_SIZE_HEIGHT = 40\n";
    std::filesystem::path folder;
    std::unique_ptr<UtilsParameters_Text> settings;
    GameData* game = nullptr;
    std::unique_ptr<CExtraTextManager> manager;
};

TEST_F(ExtraTextButtonsGLTest, EachButtonIsItsQuarterOfTheSheetWhereAndAsLargeAsAsked)
{
    if (IsSkipped())
        return;
    manager = std::make_unique<CExtraTextManager>(m_world.get());
    ASSERT_EQ(manager->Load(), kStatusOk) << UtilsString_ToUtf8(m_world->lastErrorText);
    EXPECT_FLOAT_EQ(manager->GetButtonWidth(), 40.0f);
    EXPECT_FLOAT_EQ(manager->GetButtonHeight(), 40.0f);
    EXPECT_FLOAT_EQ(manager->GetTextHitOffset(), 40.0f);
    C3DObject* button = manager->GetButtonObject();
    ASSERT_NE(button, nullptr);
    const float at[3] = {128.0f, 128.0f, 0.0f};
    for (uint32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        Frame();
        ASSERT_EQ(manager->DrawButton(i, at, 1.0f, uint8_t(i % 2)), kStatusOk);
        EXPECT_EQ(Pixel(128, 128), kQuarterColours[i]);
        EXPECT_EQ(Pixel(112, 144), kQuarterColours[i]);
        EXPECT_EQ(Pixel(100, 128), kBlack);
        EXPECT_EQ(Pixel(128, 156), kBlack);
        // Drawn through or not, the object keeps its own render states afterwards.
        EXPECT_NE(button->GetCreationWord() & k3DDrawOwnStates, 0u);
    }
    // Twice the size reaches twice as far; the position moves it.
    Frame();
    const float elsewhere[3] = {60.0f, 200.0f, 0.0f};
    ASSERT_EQ(manager->DrawButton(3, elsewhere, 2.0f, 0), kStatusOk);
    EXPECT_EQ(Pixel(60 + 36, 200), kQuarterColours[3]);
    EXPECT_EQ(Pixel(60 - 36, 200 - 36), kQuarterColours[3]);
    EXPECT_EQ(Pixel(60 + 44, 200), kBlack);
    EXPECT_EQ(Pixel(128, 128), kBlack);
    EXPECT_EQ(manager->DrawButton(4, at, 1.0f, 0), kStatusFailed);
    EXPECT_EQ(manager->Release(), kStatusOk);
    EXPECT_EQ(manager->GetButtonObject(), nullptr);
}

TEST_F(ExtraTextButtonsGLTest, AMissingSheetFailsTheLoadAndNamesTheFile)
{
    if (IsSkipped())
        return;
    std::filesystem::remove(folder / "sheet.tga");
    manager = std::make_unique<CExtraTextManager>(m_world.get());
    EXPECT_EQ(manager->Load(), kStatusFailed);
    EXPECT_NE(UtilsString_ToUtf8(m_world->lastErrorText).find("sheet.tga"), std::string::npos);
}

}  // namespace
