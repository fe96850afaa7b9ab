// The game's string tables at start-up and the window title taken from them.
#include "NimbrelWorld/CNimbrelWorld.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "Vornel3D_ToolBox/CStringsRaw.h"
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

}  // namespace

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
