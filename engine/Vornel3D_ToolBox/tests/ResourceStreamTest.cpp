// Resource streams by source, the construction header and the external settings readers.
#include <gtest/gtest.h>

#include <string>

#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream.h"

namespace {

// The whole content of a resource, or "<none>" when it does not open.
std::string ReadResource(CManagedWorld& world, const char16_t* name, uint32_t mode)
{
    UtilsStream* stream = world.OpenResourceStream(name, mode);
    if (!stream)
        return "<none>";
    std::string text;
    char c;
    while (stream->Read(&c, 1, 1))
        text.push_back(c);
    CloseResourceStream(stream);
    return text;
}

class ResourceStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.WritePack("main.pak", {{"both.txt", Text("main both")}, {"main.txt", Text("main only")}});
        folder.WritePack("external.pak", {{"both.txt", Text("external both")}, {"external.txt", Text("external")}});
        folder.Write("loose.txt", Text("loose"));
        StaticBlocks()[u"stored.txt"] = Text("stored");
    }
    void TearDown() override { StaticBlocks().clear(); }

    ScratchFolder folder;
};

TEST_F(ResourceStreamTest, PackSourceSearchesTheExternalPackFirst)
{
    ResourceWorld r(folder, kResourceSourcePack, "main.pak");
    // Without an external pack: the main pack, in both modes.
    EXPECT_EQ(ReadResource(r.world, u"both.txt", 0), "main both");
    EXPECT_EQ(ReadResource(r.world, u"main.txt", kResourceExternalOnly), "main only");
    EXPECT_EQ(ReadResource(r.world, u"external.txt", 0), "<none>");

    ASSERT_EQ(r.world.SetExternalPack(folder.Wide("external.pak").c_str(), 0, nullptr), kStatusOk);
    ASSERT_NE(r.world.GetExternalPackFile(), nullptr);
    const struct {
        const char16_t* name;
        uint32_t mode;
        const char* expected;
    } cases[] = {
        {u"both.txt", 0, "external both"},
        {u"external.txt", 0, "external"},
        {u"main.txt", 0, "main only"},  // falls back to the main pack
        {u"main.txt", kResourceExternalOnly, "<none>"},
        {u"both.txt", kResourceExternalOnly, "external both"},
        {u"missing.txt", 0, "<none>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadResource(r.world, c.name, c.mode), c.expected) << UtilsString_ToUtf8(c.name) << " " << c.mode;
    // Streams over both packs read their own entries, whatever the other did in between.
    UtilsStream* external = r.world.OpenResourceStream(u"external.txt", 0);
    UtilsStream* main = r.world.OpenResourceStream(u"main.txt", 0);
    ASSERT_TRUE(external && main);
    char text[9] = {};
    EXPECT_TRUE(external->Read(text, 1, 8));
    EXPECT_STREQ(text, "external");
    CloseResourceStream(external);
    CloseResourceStream(main);
}

TEST_F(ResourceStreamTest, ProgramAndFileSourcesAndNoSource)
{
    {
        ResourceWorld r(folder, kResourceSourceProgram, "main.pak");
        EXPECT_EQ(ReadResource(r.world, u"stored.txt", 0), "stored");
        EXPECT_EQ(ReadResource(r.world, u"main.txt", 0), "<none>");
    }
    {
        ResourceWorld r(folder, kResourceSourceProgram, "");
        r.Data()->pfnStaticLocator = nullptr;  // the program's own start-up installs none
        EXPECT_EQ(ReadResource(r.world, u"stored.txt", 0), "<none>");
    }
    {
        ResourceWorld r(folder, kResourceSourceFile, "main.pak");
        EXPECT_EQ(ReadResource(r.world, folder.Wide("loose.txt").c_str(), 0), "loose");
        EXPECT_EQ(ReadResource(r.world, folder.Wide("main.txt").c_str(), 0), "<none>");
    }
    for (uint32_t source : {0u, 3u, 5u, 8u}) {
        ResourceWorld r(folder, source, "main.pak");
        EXPECT_EQ(ReadResource(r.world, u"main.txt", 0), "<none>") << source;
        EXPECT_EQ(ReadResource(r.world, u"stored.txt", 0), "<none>") << source;
    }
}

Bytes Construction(uint16_t version, const Bytes& identity, uint32_t count, const std::string& rest = "after")
{
    Bytes bytes{uint8_t(version), uint8_t(version >> 8)};
    PutU32(bytes, count);
    bytes.insert(bytes.end(), identity.begin(), identity.end());
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

TEST_F(ResourceStreamTest, ConstructionHeader)
{
    const Bytes nimbrel{'N', 'i', 'm', 'b', 'r', 'e', 'l', 0};
    Bytes long_identity(300, 'x');
    long_identity.back() = 0;
    const struct {
        const char* what;
        Bytes file;
        bool opens;
        const char16_t* errorText;
    } cases[] = {
        {"good", Construction(7, nimbrel, 8), true, u"before"},
        {"another version", Construction(8, nimbrel, 8), false,
         u"The raw version files changed,\na new construction must be made"},
        {"another identity", Construction(7, {'N', 'i', 'm', 0}, 4), false, u"before"},
        {"a longer identity", Construction(7, {'N', 'i', 'm', 'b', 'r', 'e', 'l', 's', 0}, 9), false, u"before"},
        {"no terminator inside the count", Construction(7, nimbrel, 7, ""), false, u"before"},
        {"count above the buffer", Construction(7, long_identity, 300), false, u"before"},
        {"count above the bytes left", Construction(7, nimbrel, 200, ""), false, u"before"},
        {"count zero", Construction(7, {}, 0), false, u"before"},
        {"short version", Bytes{7}, false, u"before"},
    };
    for (const auto& c : cases) {
        folder.WritePack("construct.pak", {{"Nimbrel_construct.raw", c.file}});
        ResourceWorld r(folder, kResourceSourcePack, "construct.pak");
        UtilsString_Copy(r.Data()->lastErrorText, kWorldTextSize, u"before");
        UtilsStream* stream = r.world.CheckConstruction(u"Nimbrel_construct.raw", 7, "Nimbrel", 0);
        EXPECT_EQ(stream != nullptr, c.opens) << c.what;
        EXPECT_EQ(std::u16string(r.Data()->lastErrorText), c.errorText) << c.what;
        if (stream) {
            char rest[6] = {};
            EXPECT_TRUE(stream->Read(rest, 1, 5));
            EXPECT_STREQ(rest, "after");
        }
        CloseResourceStream(stream);
    }
    ResourceWorld r(folder, kResourceSourcePack, "construct.pak");
    EXPECT_EQ(r.world.CheckConstruction(u"missing.raw", 7, "Nimbrel", 0), nullptr);
    EXPECT_EQ(std::u16string(r.Data()->lastErrorText), u"Invalid construction,\na new construction must be made");
}

TEST_F(ResourceStreamTest, ExternalSettingsByReader)
{
    folder.WritePack("settings.pak", {{"Nimbrel.External.ini", Text("[WEB]\nURL = main\n")}});
    folder.WritePack("external.pak", {{"Nimbrel.External.ini", Text("[WEB]\nURL = external\n")}});
    folder.Write("external.ini", Text("[WEB]\nURL = file\n"));
    StaticBlocks()[u"Nimbrel.External.ini"] = Text("[WEB]\nURL = stored\n");
    auto url = [](CManagedWorld& world) {
        char16_t value[64] = {};
        if (!world.GetExternalSettings())
            return std::string("<none>");
        world.GetExternalSettings()->GetString(u"WEB", u"URL", u"", value, 64);
        return UtilsString_ToUtf8(value);
    };

    ResourceWorld r(folder, kResourceSourcePack, "settings.pak");
    EXPECT_EQ(r.world.LoadExternalParam_FromPacker(u"Nimbrel.External.ini"), kStatusOk);
    EXPECT_EQ(url(r.world), "main");
    EXPECT_EQ(r.world.LoadExternalParam_FromStatic(u"Nimbrel.External.ini"), kStatusFailed);  // not source 1
    EXPECT_EQ(url(r.world), "<none>");
    r.world.SetExternalPack(folder.Wide("external.pak").c_str(), 0, nullptr);
    EXPECT_EQ(r.world.LoadExternalParam_FromPacker(u"Nimbrel.External.ini"), kStatusOk);
    EXPECT_EQ(url(r.world), "external");
    EXPECT_EQ(r.world.LoadExternalParam_FromPacker(u"missing.ini"), kStatusFailed);
    EXPECT_EQ(url(r.world), "<none>");
    EXPECT_EQ(r.world.LoadExternalParam_FromFile(folder.Wide("external.ini").c_str()), kStatusOk);
    EXPECT_EQ(url(r.world), "file");

    ResourceWorld stored(folder, kResourceSourceProgram, "");
    EXPECT_EQ(stored.world.LoadExternalParam_FromStatic(u"Nimbrel.External.ini"), kStatusOk);
    EXPECT_EQ(url(stored.world), "stored");
    EXPECT_EQ(stored.world.LoadExternalParam_FromPacker(u"Nimbrel.External.ini"), kStatusFailed);  // not source 2
    EXPECT_EQ(stored.world.LoadExternalParam_FromStatic(u"missing.ini"), kStatusFailed);
}

}  // namespace
