// Font sheets: the bitmap grid, live TrueType sheets and the prepared pair RenderTTF writes,
// glyph tables from blocks, packs and files.
#include <filesystem>

#include "FontTestSupport.h"
#include "ResourceTestData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_ToolBox/CharsetBuilder.h"
#include "Vornel3D_ToolBox/FontFace.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

class FontSheetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(font.Init(kFontGlyph, kFontScreenObject, 64), kStatusOk); }
    void TearDown() override { font.Unload(); }

    Bytes ReadFile(const std::string& path)
    {
        Bytes bytes;
        if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
            int c;
            while ((c = std::fgetc(file)) != EOF)
                bytes.push_back(uint8_t(c));
            std::fclose(file);
        }
        return bytes;
    }

    // A glyph table: version, 256 cells (cell i is (i, 0, i + 1, 1) / 1000) and metrics.
    Bytes GlyphTable(uint16_t version)
    {
        Bytes bytes{uint8_t(version), uint8_t(version >> 8)};
        for (uint32_t i = 0; i < 256; ++i) {
            const float cell[4] = {i / 1000.0f, 0.0f, (i + 1) / 1000.0f, 0.001f};
            const uint8_t* p = reinterpret_cast<const uint8_t*>(cell);
            bytes.insert(bytes.end(), p, p + 16);
        }
        const float size[2] = {1024.0f, 256.0f};
        bytes.insert(bytes.end(), {24, 0, 0, 0});
        const uint8_t* p = reinterpret_cast<const uint8_t*>(size);
        bytes.insert(bytes.end(), p, p + 8);
        return bytes;
    }

    CMemoryWorld world;
    CVornelFont font{world.data.get()};
    ScratchFolder folder;
};

TEST_F(FontSheetTest, BitmapCellsComeFromColumnAndRowCountedFromOne)
{
    const std::string settings = "[FONT]\nMAJ_A = 3.2\nMIN_b = 7\nSPACE = 16.16\n";
    UtilsParameters_Text reader(settings.c_str(), uint32_t(settings.size()));
    font.SetCharRect(u'b', CharRect{0.5f, 0.5f, 0.75f, 0.75f});
    font.LoadCharset(&reader, 1.0f / 16, 1.0f / 16);
    const CharRect* table = font.GetCharTable();
    const CharRect a = table[u'A'];
    EXPECT_FLOAT_EQ(a.left, 0.125f);
    EXPECT_FLOAT_EQ(a.top, 0.0625f);
    EXPECT_FLOAT_EQ(a.right, 0.1875f);
    EXPECT_FLOAT_EQ(a.bottom, 0.125f);
    EXPECT_FLOAT_EQ(table[u'b'].left, 0.5f);   // no full stop: the cell stays
    EXPECT_FLOAT_EQ(table[u' '].right, 1.0f);
    EXPECT_FLOAT_EQ(table[u'z'].right, 0.0625f);  // a key not given: "1.1"
    EXPECT_TRUE(IsAbsent(table[u'%']));           // no key at all
    EXPECT_TRUE(IsAbsent(table[u'~']));
}

TEST_F(FontSheetTest, ABitmapSheetMeasuresAgainstOneCellOfItsTexture)
{
    const Bytes picture = MemoryTga(64, 128, 255, 255, 255);
    const std::string settings = "[FONT]\nNB_COL = 10\nNB_ROW = 16\nMAJ_A = 1.1\n";
    UtilsParameters_Text reader(settings.c_str(), uint32_t(settings.size()));
    ASSERT_EQ(font.MakeTextureFromAddress(&reader, u"sheet.tga", picture.data(), uint32_t(picture.size())),
              kStatusOk);
    const CharRect a = font.GetCharTable()[u'A'];
    EXPECT_FLOAT_EQ(a.right - a.left, 0.04f);  // 1 / (256 / 10)
    EXPECT_EQ(font.GetMetrics()->charHeight, 8u);
    EXPECT_FLOAT_EQ(font.GetMetrics()->sheetWidth, 64.0f);
    EXPECT_FLOAT_EQ(font.GetMetrics()->sheetHeight, 128.0f);
    EXPECT_FLOAT_EQ(font.CharWidth(u'A', 10.0f), 0.04f * 64.0f / 8.0f * 10.0f);
    for (const char* grid : {"NB_COL = 0", "NB_ROW = 0", "NB_COL = 300", "NB_ROW = 65536"}) {
        const std::string bad = std::string("[FONT]\n") + grid + "\n";
        UtilsParameters_Text badReader(bad.c_str(), uint32_t(bad.size()));
        EXPECT_EQ(font.MakeTextureFromAddress(&badReader, u"sheet.tga", picture.data(), uint32_t(picture.size())),
                  kStatusFailed)
            << grid;
    }
    EXPECT_EQ(font.MakeTextureFromAddress(&reader, u"broken.tga", picture.data(), 10), kStatusFailed);
}

TEST_F(FontSheetTest, TheLiveSheetEqualsThePreparedPair)
{
    ASSERT_TRUE(std::filesystem::exists(kDejaVuSans)) << "fonts-dejavu-core";
    ASSERT_EQ(font.LoadFontTTFFromFile(UtilsString_FromUtf8(kDejaVuSans).c_str(), 30, 3), kStatusOk);
    const FontMetrics live = *font.GetMetrics();
    EXPECT_EQ(live.charHeight, 30u);
    EXPECT_FLOAT_EQ(live.sheetWidth, 1024.0f);
    const uint32_t height = uint32_t(live.sheetHeight);
    EXPECT_GE(height, 16u);
    EXPECT_EQ(height & (height - 1), 0u) << height;
    const C3DTexture* texture = font.GetTexture(0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetWidth(), 1024);
    EXPECT_EQ(texture->GetHeight(), height);
    EXPECT_TRUE(IsAbsent(font.GetCharTable()[31]));
    EXPECT_FALSE(IsAbsent(font.GetCharTable()[u'A']));

    std::filesystem::copy_file(kDejaVuSans, folder.Path("face.ttf"));
    CVornelFont writer(world.data.get());
    ASSERT_EQ(writer.RenderTTF(folder.Wide("face.ttf").c_str(), 30, 3), kStatusOk);
    const std::string stem = folder.Path("face.ttf.1024x" + std::to_string(height) + ".30.3");
    EXPECT_EQ(ReadFile(stem + ".glyph").size(), kGlyphTableSize);
    C3DTextureRaw image(world.data.get());
    ASSERT_EQ(image.LoadFromFile(UtilsString_FromUtf8((stem + ".png").c_str()).c_str()), kStatusOk);
    EXPECT_EQ(image.GetWidth(), 1024);
    EXPECT_EQ(image.GetHeight(), height);
    EXPECT_EQ(image.GetDepth(), 32);

    CVornelFont pair(world.data.get());
    ASSERT_EQ(pair.Init(kFontGlyph, kFontScreenObject, 64), kStatusOk);
    ASSERT_EQ(pair.LoadFontGlyphFromFile(UtilsString_FromUtf8((stem + ".png").c_str()).c_str(),
                                         UtilsString_FromUtf8((stem + ".glyph").c_str()).c_str()),
              kStatusOk);
    for (uint32_t code = 0; code < 256; ++code) {
        const CharRect a = font.GetCharTable()[code], b = pair.GetCharTable()[code];
        EXPECT_TRUE(a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom) << code;
    }
    EXPECT_EQ(pair.GetMetrics()->charHeight, 30u);
    EXPECT_FLOAT_EQ(pair.GetMetrics()->sheetHeight, float(height));
    pair.Unload();
}

TEST_F(FontSheetTest, FacesThatCannotBeFittedAreRefused)
{
    ASSERT_TRUE(std::filesystem::exists(kDejaVuSans)) << "fonts-dejavu-core";
    const std::u16string face = UtilsString_FromUtf8(kDejaVuSans);
    EXPECT_EQ(font.LoadFontTTFFromFile(face.c_str(), 0, 3), kStatusFailed);
    EXPECT_EQ(font.LoadFontTTFFromFile(face.c_str(), 256, 3), kStatusFailed);  // its low byte is 0
    EXPECT_EQ(font.LoadFontTTFFromFile(folder.Wide("none.ttf").c_str(), 30, 3), kStatusFailed);
    const Bytes junk(4000, 0x5A);
    EXPECT_EQ(font.MakeFontTTFFromAddress(u"junk.ttf", junk.data(), uint32_t(junk.size()), 30, 3), kStatusFailed);
    // A face whose bounding box has no height: the head table's yMin and yMax set equal.
    Bytes flat = ReadFile(kDejaVuSans);
    const uint32_t tables = uint32_t(flat[4]) << 8 | flat[5];
    for (uint32_t t = 0; t < tables; ++t) {
        const uint8_t* record = &flat[12 + 16 * t];
        if (std::string(reinterpret_cast<const char*>(record), 4) != "head")
            continue;
        const uint32_t offset = uint32_t(record[8]) << 24 | uint32_t(record[9]) << 16 | uint32_t(record[10]) << 8 |
                                record[11];
        for (uint32_t k = 38; k < 40; ++k)
            flat[offset + k] = flat[offset + k + 4];
    }
    EXPECT_EQ(font.MakeFontTTFFromAddress(u"flat.ttf", flat.data(), uint32_t(flat.size()), 30, 3), kStatusFailed);
    // The same face read whole from memory works.
    const Bytes whole = ReadFile(kDejaVuSans);
    EXPECT_EQ(font.MakeFontTTFFromAddress(u"face.ttf", whole.data(), uint32_t(whole.size()), 12, 0), kStatusOk);
}

TEST_F(FontSheetTest, AWideFaceFitsEverySizeOfAByteInOneSheet)
{
    ASSERT_TRUE(std::filesystem::exists(kDejaVuSans)) << "fonts-dejavu-core";
    CFontFace face;
    ASSERT_EQ(face.OpenForSheet(std::string(kDejaVuSans)), kStatusOk);
    for (uint32_t height : {1u, 2u, 7u, 64u, 255u}) {
        ASSERT_EQ(face.FitFaceToPixelHeight(height), kStatusOk) << height;
        GlyphSheet sheet;
        ASSERT_EQ(BuildGlyphSheet(face, 3, sheet), kStatusOk) << height;
        EXPECT_GE(sheet.height, sheet.pitch * sheet.rows + kGlyphSheetMargin);
        // Cells are not cut to a byte: a tall face keeps its full cell height.
        EXPECT_FLOAT_EQ(sheet.cells[0].bottom - sheet.cells[0].top,
                        float(sheet.ascent + sheet.descent) / float(sheet.height));
        for (const CharRect& cell : sheet.cells)
            EXPECT_LE(cell.right, 1.0f + 3.0f / 1024.0f);
    }
}

// A face's box holds glyphs far taller than a text's, so a charset sizes the face by the glyphs
// it draws: they fill the character height, and every cell is as high as the height its width is
// measured against, which keeps the letters in the face's proportions.
TEST_F(FontSheetTest, ACharsetsGlyphsFillItsCharacterHeightInTheirOwnProportions)
{
    ASSERT_TRUE(std::filesystem::exists(kDejaVuSans)) << "fonts-dejavu-core";
    CFontFace face;
    ASSERT_EQ(face.OpenForSheet(std::string(kDejaVuSans)), kStatusOk);
    for (uint8_t height : {12, 32, 60}) {
        CharsetBuild build;
        ASSERT_EQ(BuildCharset(face, height, 3, {{0x1, u"Your name: \u00C9gj\u00C7 \u0416"}}, build), kStatusOk);
        EXPECT_LE(build.charHeight, height);
        EXPECT_GE(build.charHeight, height * 9 / 10) << int(height);
        for (const GlyphSheet& sheet : build.sheets) {
            for (const CharRect& cell : sheet.cells) {
                if (cell.right > cell.left)
                    EXPECT_NEAR((cell.bottom - cell.top) * float(sheet.height), float(build.charHeight), 1e-3f);
            }
        }
    }
}

TEST_F(FontSheetTest, GlyphTablesAreReadFromBlocksPacksAndFiles)
{
    const Bytes table = GlyphTable(2);
    ASSERT_EQ(table.size(), kGlyphTableSize);
    ASSERT_EQ(font.MakeGlyphTableFromAddress(table.data(), uint32_t(table.size())), kStatusOk);
    EXPECT_FLOAT_EQ(font.GetCharTable()[u'A'].left, (u'A' - 32) / 1000.0f);
    EXPECT_TRUE(IsAbsent(font.GetCharTable()[31]));
    EXPECT_EQ(font.GetMetrics()->charHeight, 24u);
    EXPECT_FLOAT_EQ(font.GetMetrics()->sheetHeight, 256.0f);
    // Codes from 256 up never reach the table.
    const CharRect before = font.GetCharTable()[300 - 256];
    font.SetCharRect(300, CharRect{1, 1, 1, 1});
    EXPECT_FLOAT_EQ(font.GetCharTable()[300 - 256].left, before.left);

    // A block of any other size, another version, a short table: refused.
    EXPECT_EQ(font.MakeGlyphTableFromAddress(table.data(), 4096), kStatusFailed);
    EXPECT_EQ(font.MakeGlyphTableFromAddress(GlyphTable(1).data(), uint32_t(kGlyphTableSize)), kStatusFailed);
    folder.Write("short.glyph", Bytes(table.begin(), table.begin() + 2 + 16 * 40 + 8));
    CVornelFont other(world.data.get());
    ASSERT_EQ(other.Init(kFontGlyph, kFontScreenObject, 8), kStatusOk);
    EXPECT_EQ(other.LoadGlyphTableFromFile(folder.Wide("short.glyph").c_str()), kStatusFailed);
    EXPECT_FLOAT_EQ(other.GetCharTable()[32 + 39].left, 39 / 1000.0f);  // read before the end: kept
    EXPECT_TRUE(IsAbsent(other.GetCharTable()[32 + 40]));
    EXPECT_EQ(other.LoadGlyphTableFromFile(folder.Wide("missing.glyph").c_str()), kStatusFailed);

    // From a pack entry.
    folder.WritePack("fonts.pak", {{"main.glyph", table}});
    WorldData& w = *world.data;
    w.pack.pFile = std::fopen(folder.Path("fonts.pak").c_str(), "rb");
    ASSERT_NE(w.pack.pFile, nullptr);
    ASSERT_EQ(FindPackEntry(u"main.glyph", &w.pack), kStatusOk);
    CVornelFont packed(world.data.get());
    ASSERT_EQ(packed.Init(kFontGlyph, kFontScreenObject, 8), kStatusOk);
    EXPECT_EQ(packed.LoadFontGlyphFromPacker(nullptr, &w.pack), kStatusOk);
    EXPECT_EQ(packed.GetMetrics()->charHeight, 24u);
    std::fclose(w.pack.pFile);
    w.pack.pFile = nullptr;
    packed.Unload();
    other.Unload();
}

}  // namespace
