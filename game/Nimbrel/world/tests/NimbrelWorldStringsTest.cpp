// The game's string tables at start-up, the window title taken from them, a language change
// whose tables cannot be read, and the font pages of a charset font's language.
#include "NimbrelWorld/CNimbrelWorld.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace fs = std::filesystem;

namespace {

// A string table in its file form.
std::vector<uint8_t> TableBytes(const std::vector<const char16_t*>& strings)
{
    CStringsRaw table(nullptr);
    for (const char16_t* s : strings)
        table.Insert(s, -1);
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    table.Save(&out);
    return std::vector<uint8_t>(out.GetBlock(), out.GetBlock() + out.GetSize());
}

// Writes a pack of string tables.
void WriteStringsPack(const std::string& path, const std::vector<std::pair<const char*, std::vector<uint8_t>>>& entries)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    WritePackCountRecord(file, uint32_t(entries.size()));
    for (const auto& [name, bytes] : entries)
        WritePackRecord(file, name, bytes.data(), uint32_t(bytes.size()));
    std::fclose(file);
}

// A charset of one page per mask, every cell one unit wide.
std::vector<uint8_t> CharsetBytes(const std::vector<uint32_t>& masks)
{
    std::vector<uint8_t> bytes;
    auto u32 = [&](uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(uint8_t(value >> shift));
    };
    auto f32 = [&](float value) {
        uint32_t word;
        std::memcpy(&word, &value, 4);
        u32(word);
    };
    u32(kCharsetVersion);
    u32(uint32_t(masks.size()));
    u32(uint32_t(masks.size()));
    for (uint32_t mask : masks) {
        u32(mask);
        u32(0);
        u32(0);
    }
    for (size_t cell = 0; cell < masks.size() * kFontCharCount; ++cell)
        for (float edge : {0.25f, 0.25f, 0.375f, 0.5f})
            f32(edge);
    for (size_t page = 0; page < masks.size(); ++page) {
        bytes.push_back(8);
        f32(64.0f);
        f32(64.0f);
    }
    return bytes;
}

// An environment variable set for the life of the object.
class EnvScope {
public:
    EnvScope(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old, m_had = true;
        setenv(name, value.c_str(), 1);
    }
    ~EnvScope() { m_had ? setenv(m_name, m_old.c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

}  // namespace

// French tables that open but cannot be read (a character size of 1): the change falls back to
// English with its strings, French is offered no more, and the options keep English.
TEST(NimbrelWorld, AChangeToALanguageWhoseTablesAreDamagedKeepsTheLanguageInUse)
{
    const fs::path root = fs::temp_directory_path() / ("nimbrel_language_" + std::to_string(getpid()));
    fs::create_directories(root);
    EnvScope data("XDG_DATA_HOME", (root / "share").string());
    EnvScope home("HOME", (root / "home").string());
    const std::string packPath = (root / "strings.pak").string();
    std::vector<uint8_t> damaged = TableBytes({u"Nimbrel", u"Nimbrel – Le Manoir"});
    damaged[0] = 1;
    WriteStringsPack(packPath, {
                                   {"strings/_strings.en.utf8.ucs2.raw", TableBytes({u"Nimbrel", u"Nimbrel – The Manor"})},
                                   {"strings/_strings.en.commons.utf8.ucs2.raw", TableBytes({u"English"})},
                                   {"strings/_strings.fr.utf8.ucs2.raw", damaged},
                                   {"strings/_strings.fr.commons.utf8.ucs2.raw", TableBytes({u"Français"})},
                               });
    if (HasFatalFailure())
        return;

    CNimbrelWorld world;
    ASSERT_EQ(world.LoadOptions(u"Game", nullptr, 0, 0, 1), kStatusOk);
    const std::u16string widePack = UtilsString_FromUtf8(packPath.c_str());
    ASSERT_EQ(world.SetParameters(nullptr, nullptr, nullptr, widePack.c_str(), 0, FindPackEntry, nullptr), kStatusOk);
    world.GetGameData()->language = 0;
    ASSERT_EQ(world.LoadStringsManager(), kStatusOk);
    CStringsManager* strings = world.GetStringsManager();
    ASSERT_TRUE(strings->IsAvailable(1));

    world.ChangeLanguage(1);
    ASSERT_EQ(world.GetGameState(), kGameStateLanguage);
    ASSERT_EQ(world.Update(), kStatusOk);
    EXPECT_EQ(world.GetGameData()->busy, 0);
    EXPECT_EQ(strings->GetLanguage(), 0u);
    EXPECT_EQ(world.GetPendingLanguage(), 0);
    EXPECT_FALSE(strings->IsAvailable(1));
    EXPECT_TRUE(strings->IsAvailable(0));
    char16_t title[kWorldTextSize];
    ASSERT_EQ(world.GetGameString(kNimbrelClassName, u"Nimbrel", title), kStatusOk);
    EXPECT_EQ(std::u16string(title), u"Nimbrel – The Manor");
    EXPECT_EQ(std::u16string(strings->GetTable()->GetString(2)), u"English");

    ASSERT_EQ(world.SaveOptions(), kStatusOk);
    std::ifstream in(root / "share" / "Nimbrel Game" / "Game.v3.options.sav", std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    EXPECT_NE(saved.str().find("\nCOUNTRY_INDEX = 0\n"), std::string::npos) << saved.str();
    world.Unload();
    std::error_code error;
    fs::remove_all(root, error);
}

TEST(NimbrelWorld, TheWindowTitleIsTheTablesSecondString)
{
    const std::string packPath = fs::temp_directory_path() / ("nimbrel_strings_" + std::to_string(getpid()) + ".pak");
    const char* oldLocale = std::getenv("LC_ALL");
    const std::string savedLocale = oldLocale ? oldLocale : "";
    setenv("LC_ALL", "C", 1);
    const struct {
        std::vector<const char16_t*> english, commons;
        int32_t chosen;
        const char16_t* title;
    } cases[] = {
        {{u"Nimbrel", u"Nimbrel – The Manor"}, {u"English"}, kLanguageNone, u"Nimbrel – The Manor"},
        {{u"Nimbrel", u"Nimbrel – The Manor"}, {u"English"}, 1, u"Nimbrel – Le Manoir"},  // the player's choice
        {{u"Nimbrel"}, {}, kLanguageNone, u"MISSING GAME STRING !!!"},  // one string in the whole table
    };
    for (const auto& c : cases) {
        std::FILE* file = std::fopen(packPath.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::pair<const char*, std::vector<uint8_t>> entries[] = {
            {"strings/_strings.en.utf8.ucs2.raw", TableBytes(c.english)},
            {"strings/_strings.en.commons.utf8.ucs2.raw", TableBytes(c.commons)},
            {"strings/_strings.fr.utf8.ucs2.raw", TableBytes({u"Nimbrel", u"Nimbrel – Le Manoir"})},
            {"strings/_strings.fr.commons.utf8.ucs2.raw", TableBytes({u"Français"})},
        };
        WritePackCountRecord(file, 4);
        for (const auto& [name, bytes] : entries)
            WritePackRecord(file, name, bytes.data(), uint32_t(bytes.size()));
        std::fclose(file);

        CNimbrelWorld world;
        world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
        const std::u16string widePack = UtilsString_FromUtf8(packPath.c_str());
        ASSERT_EQ(world.SetParameters(nullptr, nullptr, nullptr, widePack.c_str(), 0, FindPackEntry, nullptr), kStatusOk);
        world.GetGameData()->language = c.chosen;
        ASSERT_EQ(world.LoadStringsManager(), kStatusOk);
        char16_t title[kWorldTextSize];
        EXPECT_EQ(world.GetGameString(kNimbrelClassName, u"Nimbrel", title), kStatusOk);
        EXPECT_EQ(std::u16string(title), c.title);
        world.Unload();
    }
    // No tables at all fail the load.
    std::FILE* file = std::fopen(packPath.c_str(), "wb");
    WritePackCountRecord(file, 0);
    std::fclose(file);
    CNimbrelWorld world;
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    const std::u16string widePack = UtilsString_FromUtf8(packPath.c_str());
    world.SetParameters(nullptr, nullptr, nullptr, widePack.c_str(), 0, FindPackEntry, nullptr);
    EXPECT_EQ(world.LoadStringsManager(), kStatusFailed);
    world.Unload();
    std::remove(packPath.c_str());
    oldLocale ? setenv("LC_ALL", savedLocale.c_str(), 1) : unsetenv("LC_ALL");
}

// The main font is a charset font: each language keeps the pages of its charset only, and a
// page that cannot be loaded fails the language.
TEST(NimbrelWorld, ALanguageOfACharsetFontLoadsItsFontPages)
{
    const std::string packPath =
        fs::temp_directory_path() / ("nimbrel_charset_" + std::to_string(getpid()) + ".pak");
    const std::vector<uint8_t> page = MemoryTga(4, 4, 255, 255, 255);
    WriteStringsPack(packPath, {
                                   {"strings/_strings.en.utf8.indexed.ucs2.raw", TableBytes({u"Nimbrel", u"The Manor"})},
                                   {"strings/_strings.en.commons.utf8.indexed.ucs2.raw", TableBytes({u"English"})},
                                   {"strings/_strings.ru.utf8.indexed.ucs2.raw", TableBytes({u"Nimbrel", u"Usad'ba"})},
                                   {"strings/_strings.ru.commons.utf8.indexed.ucs2.raw", TableBytes({u"Russkiy"})},
                                   {"fonts/main.charset", CharsetBytes({0x1, 0x2})},  // Latin, Cyrillic
                                   {"fonts/main.0.tga", page},
                                   {"fonts/main.1.tga", page},
                               });
    if (HasFatalFailure())
        return;
    CNimbrelWorld world;
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    const std::u16string widePack = UtilsString_FromUtf8(packPath.c_str());
    ASSERT_EQ(world.SetParameters(nullptr, nullptr, nullptr, widePack.c_str(), 0, FindPackEntry, nullptr), kStatusOk);
    CMemoryEngine engine(world.GetWorldData());
    const std::string text = "[DESKTOP_FONT]\nMAIN_FONT_CHARSET_FILE_PATH = fonts/main.charset\n"
                             "MAIN_FONT_CHARSET_TEXTURE_PATH = fonts/main.%d.tga\n";
    UtilsParameters_Text settings(text.c_str(), uint32_t(text.size()));
    world.GetWorldData()->pAppSettings = &settings;
    ASSERT_EQ(world.LoadMainFont(1, u"DESKTOP_FONT"), kStatusOk);
    CVornelFont* font = world.GetMainFont();
    ASSERT_EQ(font->GetFontType(), kFontCharset);
    C3DTexture* latin = font->GetTexture(0);
    C3DTexture* cyrillic = font->GetTexture(1);
    ASSERT_TRUE(latin && cyrillic && latin->IsLoaded() && cyrillic->IsLoaded());
    ASSERT_EQ(world.CreateStringsManager(), kStatusOk);
    CStringsManager* strings = world.GetStringsManager();
    ASSERT_EQ(strings->LoadTable(kStringsModeIndexed, kStringsFolder, 0), kStatusOk);

    const struct {
        int32_t language;
        bool latinLoaded, cyrillicLoaded;
    } cases[] = {{0, true, false}, {8, false, true}, {kLanguageNone, false, true}, {0, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        ASSERT_EQ(world.LoadLanguage(c.language), kStatusOk);
        EXPECT_EQ(latin->IsLoaded(), c.latinLoaded);
        EXPECT_EQ(cyrillic->IsLoaded(), c.cyrillicLoaded);
    }
    // The Cyrillic page has gone from the pack.
    cyrillic->SetName(u"fonts/gone.tga");
    EXPECT_EQ(world.LoadLanguage(8), kStatusFailed);
    EXPECT_FALSE(cyrillic->IsLoaded());

    world.Unload();
    world.GetWorldData()->pAppSettings = nullptr;
    std::remove(packPath.c_str());
}
