// The strings manager: available languages, the choice of the current one, the joined table,
// the remapping table and punctuation, and the system language.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "TestSystem.h"

namespace {

using List = std::vector<std::u16string>;

std::string Plain(const char* language, bool commons, bool indexed = false)
{
    return std::string("strings/_strings.") + language + (commons ? ".commons" : "") +
           (indexed ? ".utf8.indexed.ucs2.raw" : ".utf8.ucs2.raw");
}

Bytes Symbols(const std::u16string& table)
{
    Bytes bytes{2};
    PutU32(bytes, uint32_t(table.size()));
    bytes.push_back(0);
    PutU32(bytes, 0);
    for (char16_t c : table) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

// The identity below 0x40 but for 1 'a', 3 'c', 8 'h', '!' 'X' and '?' 'Y'.
std::u16string SymbolTable()
{
    std::u16string table;
    for (char16_t c = 0; c < 0x40; ++c)
        table.push_back(c);
    table[1] = u'a', table[3] = u'c', table[8] = u'h', table[u'!'] = u'X', table[u'?'] = u'Y';
    return table;
}

// The system language for the length of a test, through the locale variables.
class LocaleScope {
public:
    explicit LocaleScope(const char* locale)
    {
        if (const char* old = std::getenv("LC_ALL"))
            m_old = old, m_had = true;
        TestSystem_SetEnv("LC_ALL", locale);
    }
    ~LocaleScope()
    {
        TestSystem_SetEnv("LC_ALL", m_had ? m_old.c_str() : nullptr);
    }

private:
    std::string m_old;
    bool m_had = false;
};

List Strings(const CStringsRaw& table)
{
    List strings;
    for (uint32_t i = 0; i < table.GetCount(); ++i)
        strings.push_back(table.GetString(i));
    return strings;
}

class StringsManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.WritePack("strings.pak", {
            {Plain("en", false), StringTable({u"Nimbrel", u"Nimbrel – The Manor"})},
            {Plain("en", true), StringTable({u"English", u"Yes", u"No"})},
            {Plain("fr", false), StringTable({u"Nimbrel", u"Nimbrel – Le Manoir", u"Début"})},
            {Plain("fr", true), StringTable({u"Français", u"Oui", u"Non"})},
            {Plain("de", false), StringTable({u"Nimbrel"})},         // no common file
            {Plain("es", true), StringTable({u"Español"})},          // no own file
            {Plain("it", false), StringTable({u"Nimbrel"})},
            {Plain("it", true), Text("not a table")},
            {Plain("jp", false, true), StringTable({u"\x01\x02"})},  // indexed tables only
            {Plain("jp", true, true), StringTable({u"\x03"})},
            {"strings/_symbols.utf8.indexed.ucs2.raw", Symbols(SymbolTable())},
        });
    }

    ScratchFolder folder;
};

std::vector<uint32_t> Available(const CStringsManager& manager)
{
    std::vector<uint32_t> languages;
    for (uint32_t i = 0; i < kLanguageCount; ++i)
        if (manager.IsAvailable(i))
            languages.push_back(i);
    return languages;
}

TEST_F(StringsManagerTest, AvailabilityWithAndWithoutForce)
{
    ResourceWorld r(folder, kResourceSourcePack, "strings.pak");
    CStringsManager manager(r.Data(), &r.world);
    ASSERT_EQ(manager.Init(), kStatusOk);
    EXPECT_EQ(manager.LoadTable(0, u"strings/", 0), kStatusOk);
    EXPECT_EQ(Available(manager), (std::vector<uint32_t>{0, 1, 4}));  // a bad file still opens
    EXPECT_EQ(manager.GetAvailableCount(), 3u);
    EXPECT_EQ(manager.LoadTable(0, u"strings/", 1), kStatusOk);
    EXPECT_EQ(Available(manager), (std::vector<uint32_t>{0, 1, 2, 4}));  // Spanish has its common file
    EXPECT_EQ(manager.LoadTable(kStringsModeIndexed, u"strings/", 0), kStatusOk);
    EXPECT_EQ(Available(manager), (std::vector<uint32_t>{5}));
    // A language taken out of the choice, and put back; numbers out of the table change nothing.
    for (uint32_t language : {5u, 5u, kLanguageCount})
        manager.SetAvailable(language, false);
    EXPECT_EQ(Available(manager), std::vector<uint32_t>{});
    EXPECT_EQ(manager.GetAvailableCount(), 0u);
    manager.SetAvailable(7, true);
    EXPECT_EQ(Available(manager), std::vector<uint32_t>{7});
    EXPECT_EQ(manager.GetAvailableCount(), 1u);
}

TEST_F(StringsManagerTest, TheCurrentLanguageFallsBack)
{
    ResourceWorld r(folder, kResourceSourcePack, "strings.pak");
    CStringsManager manager(r.Data(), &r.world);
    ASSERT_EQ(manager.Init(), kStatusOk);
    const struct {
        const char* locale;
        uint32_t current;
        uint32_t mode;
        uint32_t chosen;
    } cases[] = {
        {"fr_FR.UTF-8", 0, 0, 0},  // the current language is kept when available
        {"fr_FR.UTF-8", 3, 0, 1},  // German has no tables: the system language
        {"de_DE.UTF-8", 3, 0, 0},  // neither: the first available one
        {"C", 2, 0, 0},
        {"fr_CA", 3, kStringsModeIndexed, 5},  // only Japanese there
    };
    for (const auto& c : cases) {
        LocaleScope locale(c.locale);
        manager.SetLanguage(c.current);
        manager.LoadTable(c.mode, u"strings/", 0);
        EXPECT_EQ(manager.GetLanguage(), c.chosen) << c.locale << " " << c.current;
    }
    // Nothing available: the system language.
    LocaleScope locale("it_IT");
    manager.SetLanguage(1);
    manager.LoadTable(0, u"nowhere/", 0);
    EXPECT_EQ(manager.GetAvailableCount(), 0u);
    EXPECT_EQ(manager.GetLanguage(), 4u);
    EXPECT_EQ(std::u16string(manager.GetLanguageCode()), u"it");
}

TEST_F(StringsManagerTest, TheLanguageAndTheCommonStringsInOneTable)
{
    ResourceWorld r(folder, kResourceSourcePack, "strings.pak");
    CStringsManager manager(r.Data(), &r.world);
    ASSERT_EQ(manager.Init(), kStatusOk);
    ASSERT_EQ(manager.Load(0, u"strings/", 1, 0), kStatusOk);
    const CStringsRaw& table = *manager.GetTable();
    // Common string k at the language's count + k.
    EXPECT_EQ(Strings(table), (List{u"Nimbrel", u"Nimbrel – Le Manoir", u"Début", u"Français", u"Oui", u"Non"}));
    EXPECT_EQ(manager.GetCommonCount(), 3u);
    EXPECT_EQ(std::u16string(manager.GetLanguageCode()), u"fr");

    // A language whose own file is missing, or whose common file is bad, leaves the table and
    // the language in use.
    for (uint32_t language : {2u, 4u, 3u, 18u}) {
        EXPECT_EQ(manager.Load(0, u"strings/", language, 0), kStatusFailed) << language;
        EXPECT_EQ(manager.GetLanguage(), 1u) << language;
    }
    EXPECT_EQ(table.GetCount(), 6u);
    // Commons only: the common strings from index 0.
    ASSERT_EQ(manager.Load(0, u"strings/", 2, 1), kStatusOk);
    EXPECT_EQ(Strings(table), List{u"Español"});
    // 17 keeps the current language.
    ASSERT_EQ(manager.Load(0, u"strings/", 0, 0), kStatusOk);
    ASSERT_EQ(manager.Load(0, u"strings/", kLanguageCurrent, 0), kStatusOk);
    EXPECT_EQ(std::u16string(table.GetString(1)), u"Nimbrel – The Manor");
}

TEST_F(StringsManagerTest, LooseFilesUnderTheDataPath)
{
    folder.Write(Plain("en", false), StringTable({u"loose"}));
    folder.Write(Plain("en", true), StringTable({u"common"}));
    ResourceWorld r(folder, kResourceSourceFile, "");
    CStringsManager manager(r.Data(), &r.world);
    ASSERT_EQ(manager.Init(), kStatusOk);
    manager.LoadTable(0, u"strings/", 0);
    EXPECT_EQ(Available(manager), std::vector<uint32_t>{0});
    ASSERT_EQ(manager.Load(0, u"strings/", 0, 0), kStatusOk);
    EXPECT_EQ(Strings(*manager.GetTable()), (List{u"loose", u"common"}));
}

TEST_F(StringsManagerTest, RemappingTables)
{
    ResourceWorld r(folder, kResourceSourcePack, "strings.pak");
    CStringsManager manager(r.Data(), &r.world);
    ASSERT_EQ(manager.Init(), kStatusOk);

    // Any mode but 2: the identity.
    ASSERT_EQ(manager.OnRawSymbols(0, u"strings/"), kStatusOk);
    EXPECT_EQ(manager.GetRemapLength(), kIdentityRemapLength);
    std::u16string text = u"Début «»";
    manager.RemapChars(text.data());
    EXPECT_EQ(text, u"Début «»");

    // The table: character c becomes table[c]; unmapping finds the first occurrence.
    ASSERT_EQ(manager.OnRawSymbols(kStringsModeIndexed, u"strings/"), kStatusOk);
    EXPECT_EQ(manager.GetRemapLength(), 0x40u);
    std::u16string indices = u"\x01\x03\x08\x09\x50";
    manager.RemapChars(indices.data());
    EXPECT_EQ(indices, u"ach\x09\x50");  // 0x50 lies past the table
    manager.UnmapChars(indices.data());
    EXPECT_EQ(indices, u"\x01\x03\x08\x09\x50");  // 0x50 is found nowhere

    ASSERT_EQ(manager.LoadPunctuation(kStringsModeIndexed), kStatusOk);
    EXPECT_EQ(std::u16string(manager.GetOpeningPunctuation()), u"«");
    EXPECT_EQ(std::u16string(manager.GetClosingPunctuation()), u"XY:;,.\"')]}»");
    ASSERT_EQ(manager.LoadPunctuation(0), kStatusOk);
    EXPECT_EQ(std::u16string(manager.GetClosingPunctuation()), u"!?:;,.\"')]}»");

    // A missing or bad file keeps the table in force.
    EXPECT_EQ(manager.OnRawSymbols(kStringsModeIndexed, u"nowhere/"), kStatusFailed);
    EXPECT_EQ(manager.GetRemapLength(), 0x40u);
}

TEST(StringsManager, SystemLanguageIdentifiers)
{
    const struct {
        uint16_t id;
        uint32_t language;
    } cases[] = {
        {0x0409, 0}, {0x040C, 1}, {0x140C, 1}, {0x180C, 0}, {0x000A, 2}, {0x040A, 2}, {0x500A, 2}, {0x540A, 0},
        {0x0407, 3}, {0x0810, 4}, {0x0411, 5}, {0x1004, 6}, {0x0412, 7}, {0x0419, 8}, {0x0413, 9}, {0x0813, 0},
        {0x0816, 10}, {0x0416, 15}, {0x081D, 11}, {0x001E, 12}, {0x041E, 0}, {0x002A, 13}, {0x042A, 0},
        {0x0021, 14}, {0x041F, 16}, {0x0000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CStringsManager::LanguageFromLangId(c.id), c.language) << std::hex << c.id;
    LocaleScope locale("fr_FR.UTF-8");
    EXPECT_EQ(CStringsManager::GetSystemLanguage(), 1u);
}

TEST(StringsManager, TheWorldMakesAndUnloadsIt)
{
    CTestManagedWorld world;
    EXPECT_EQ(world.GetStringsManager(), nullptr);
    ASSERT_EQ(world.CreateStringsManager(), kStatusOk);
    ASSERT_NE(world.GetStringsManager(), nullptr);
    ASSERT_NE(world.GetStringsManager()->GetTable(), nullptr);
    ASSERT_EQ(world.CreateStringsManager(), kStatusOk);  // replaces the first
    EXPECT_EQ(world.Unload(), kStatusOk);
    EXPECT_EQ(world.GetStringsManager(), nullptr);
}

}  // namespace
