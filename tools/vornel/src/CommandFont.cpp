// vornel font: prepared glyph pairs written from TrueType faces, and texts drawn with the
// engine's font through the GL renderer, as a game maker previews them.
#include "Commands.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "OffscreenRenderer.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "Vornel3D_ToolBox/CharsetBuilder.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kShowMargin = 10;      // pixels around the text of a picture fitted to it
constexpr uint32_t kLargestPicture = 4096;
constexpr uint32_t kDefaultSpacing = 3;   // the main font's default spacing
// A charset's cells are as high as its glyphs, so the spacing counts against the letters'
// own size: one pixel keeps a glyph's overhang without spacing the letters out.
constexpr uint32_t kCharsetSpacing = 1;
constexpr uint32_t kBackground = 0xFF202020u;
constexpr uint32_t kTextColor = 0xFFFFFFFFu;

// A whole number in [low, high]: decimal, or hexadecimal after "0x".
bool ParseNumber(const char* text, uint32_t low, uint32_t high, uint32_t& value)
{
    const size_t length = std::strlen(text);
    const bool hex = length > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text + (hex ? 2 : 0);
    const auto result = std::from_chars(first, text + length, value, hex ? 16 : 10);
    return length > 0 && result.ec == std::errc() && result.ptr == text + length && value >= low && value <= high;
}

bool ParseSize(const char* text, uint32_t& width, uint32_t& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        return false;
    const std::string w(text, x);
    return ParseNumber(w.c_str(), 1, kLargestPicture, width) && ParseNumber(x + 1, 1, kLargestPicture, height);
}

int Render(int argc, char** argv)
{
    uint32_t charSize = 0, spacing = 0;
    if (argc != 4)
        return kExitUsage;
    if (!ParseNumber(argv[1], 1, 255, charSize) || !ParseNumber(argv[2], 0, 255, spacing)) {
        std::fprintf(stderr, "vornel font: CHAR_SIZE is 1 to 255 pixels and SPACING 0 to 255\n");
        return kExitUsage;
    }
    const fs::path face = argv[0];
    const fs::path folder = argv[3];
    std::error_code error;
    if (!fs::is_regular_file(face, error)) {
        std::fprintf(stderr, "vornel font: cannot read %s\n", argv[0]);
        return 1;
    }
    fs::create_directories(folder, error);
    // The pair is named after the face beside it: render a copy of the face in the folder.
    const fs::path copy = folder / face.filename();
    const bool copied = !fs::equivalent(face, copy, error);
    if (copied && !fs::copy_file(face, copy, fs::copy_options::overwrite_existing, error)) {
        std::fprintf(stderr, "vornel font: cannot write into %s\n", argv[3]);
        return 1;
    }
    CVornelFont font(nullptr);
    const Status status = font.RenderTTF(UtilsString_FromUtf8(copy.c_str()).c_str(), charSize, spacing);
    if (copied)
        fs::remove(copy, error);
    if (Failed(status)) {
        std::fprintf(stderr, "vornel font: %s: no glyph sheet at %u pixels: %s\n", argv[0], unsigned(charSize),
                     StatusWords(status).c_str());
        return 1;
    }
    const std::string stem = face.filename().string() + ".1024x";
    const std::string tail = "." + std::to_string(charSize) + "." + std::to_string(spacing);
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, stem.size(), stem) == 0 &&
            (name.size() > tail.size() + 4 && (name.rfind(tail + ".png") == name.size() - tail.size() - 4 ||
                                               name.rfind(tail + ".glyph") == name.size() - tail.size() - 6)))
            std::printf("%s\n", entry.path().string().c_str());
    }
    return 0;
}

bool EndsWith(const std::string& text, const char* tail)
{
    const size_t length = std::strlen(tail);
    return text.size() > length && text.compare(text.size() - length, length, tail) == 0;
}

// A charset by its file, each page's sheet NAME.%d.png beside it on the group of its number.
Status LoadShowCharset(CVornelFontEx& font, const std::string& path, std::string& why)
{
    if (Failed(font.Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars))) {
        why = "the font cannot be made";
        return kStatusFailed;
    }
    if (Failed(font.LoadFontCharsetFromFile(UtilsString_FromUtf8(path.c_str()).c_str()))) {
        why = "not a charset of version 7 (or a damaged one)";
        return kStatusFailed;
    }
    const std::string stem = path.substr(0, path.size() - std::strlen(".charset"));
    for (uint32_t p = 0; p < font.GetTextureCount(); ++p) {
        const std::string page = stem + "." + std::to_string(p) + ".png";
        if (Failed(font.GetObject()->LoadTextureFromFileEx(kFontTextureKind, kFontTextureFlags,
                                                           UtilsString_FromUtf8(page.c_str()).c_str(), int32_t(p), 0))) {
            why = "cannot read its page " + page;
            return kStatusFailed;
        }
    }
    return kStatusOk;
}

struct ShowRequest {
    std::string font;
    uint32_t charSize = 0;
    uint32_t width = 0, height = 0;  // 0: fitted to the text
    uint32_t wrapWidth = 0;          // 0: not wrapped
    uint32_t flags = 0;
};

// A side of a picture fitted to a text of this size, margins on both sides.
uint32_t FittedSide(float size)
{
    const double side = std::ceil(std::fabs(double(size))) + 2 * kShowMargin;
    return side < kLargestPicture ? uint32_t(side) : kLargestPicture;
}

// Opens a renderer of the size with the font loaded on it: false after saying why.
bool OpenWithFont(COffscreenRenderer& renderer, std::unique_ptr<CVornelFont>& font, const ShowRequest& request,
                  uint32_t width, uint32_t height)
{
    std::string why;
    if (!renderer.Open(uint16_t(width), uint16_t(height), why)) {
        std::fprintf(stderr, "vornel font: %s\n", why.c_str());
        return false;
    }
    if (EndsWith(request.font, ".charset"))
        font = std::make_unique<CVornelFontEx>(renderer.World());
    else
        font = std::make_unique<CVornelFont>(renderer.World());
    if (Failed(LoadShowFont(*font, request.font, request.charSize, why))) {
        std::fprintf(stderr, "vornel font: %s: %s\n", request.font.c_str(), why.c_str());
        font->Unload();
        return false;
    }
    return true;
}

// A charset draws codes: the text's characters become them through the symbols table that
// `vornel font build` wrote beside the charset. False after saying why.
bool MapToCharset(const std::string& charset, std::u16string& text)
{
    const fs::path path = fs::path(charset).parent_path() / "_symbols.utf8.indexed.ucs2.raw";
    CStringsManager symbols(nullptr, nullptr);
    UtilsStream_File stream(kStreamRead, UtilsString_FromUtf8(path.string().c_str()).c_str());
    if (Failed(stream.Open()) || Failed(symbols.ReadSymbols(&stream))) {
        std::fprintf(stderr, "vornel font: %s: no symbols table beside it (%s)\n", charset.c_str(),
                     path.string().c_str());
        return false;
    }
    symbols.RemapChars(text.data());
    return true;
}

// The text wrapped as asked, measured, then drawn on a picture of its size (or the size
// asked) with a margin, one text unit a pixel of the font's sheet.
int Show(const ShowRequest& request, const char* utf8, const char* out)
{
    std::u16string source = UtilsString_FromUtf8(utf8);
    if (EndsWith(request.font, ".charset") && !MapToCharset(request.font, source))
        return 1;
    std::vector<char16_t> text(source.size() * 2 + 1);  // a line feed at most before each character
    float scale = 0.0f;
    C3DVector3 size{};
    {
        COffscreenRenderer measuring;
        std::unique_ptr<CVornelFont> font;
        if (!OpenWithFont(measuring, font, request, 16, 16))
            return 1;
        scale = float(font->GetMetrics()->charHeight);
        CVornelFontEx* charset = dynamic_cast<CVornelFontEx*>(font.get());
        if (request.wrapWidth && charset)
            charset->WrapText(scale, 0, source.c_str(), text.data(), uint32_t(text.size()),
                              uint16_t(request.wrapWidth), u' ', u"", u"");
        else if (request.wrapWidth)
            font->WrapText(scale, 0, source.c_str(), text.data(), uint32_t(text.size()), uint16_t(request.wrapWidth),
                           u' ', u"", u"", 1);
        else
            UtilsString_Copy(text.data(), text.size(), source.c_str());
        size = font->GetTextSize(text.data(), scale, scale);
        font->Unload();
    }
    // Text starts half a pixel in (pens stand on pixel centres).
    const uint32_t width = request.width ? request.width : FittedSide(std::fabs(size.x) + 1.0f);
    const uint32_t height = request.height ? request.height : FittedSide(size.y);
    COffscreenRenderer renderer;
    std::unique_ptr<CVornelFont> font;
    if (!OpenWithFont(renderer, font, request, width, height))
        return 1;
    renderer.BeginFrame(kBackground);
    font->DrawText(text.data(), float(kShowMargin), float(kShowMargin), 0.0f, request.flags, kTextColor, scale, scale,
                   nullptr, nullptr, 0);
    const Status saved = renderer.SavePicture(out);
    font->Unload();
    if (Failed(saved)) {
        std::fprintf(stderr, "vornel font: cannot write %s: %s\n", out, StatusWords(saved).c_str());
        return 1;
    }
    std::printf("%s: %ux%u\n", out, unsigned(width), unsigned(height));
    return 0;
}

int Show(int argc, char** argv)
{
    if (argc < 3)
        return kExitUsage;
    ShowRequest request;
    request.font = argv[0];
    for (int i = 3; i < argc; i += 2) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        if (ok && std::strcmp(option, "--size") == 0)
            ok = ParseSize(value, request.width, request.height);
        else if (ok && std::strcmp(option, "--width") == 0)
            ok = ParseNumber(value, 1, 0xFFFF, request.wrapWidth);
        else if (ok && std::strcmp(option, "--flags") == 0)
            ok = ParseNumber(value, 0, 0xFFFF, request.flags);
        else if (ok && std::strcmp(option, "--char-size") == 0)
            ok = ParseNumber(value, 1, 255, request.charSize);
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "vornel font: bad option %s%s%s\n", option, value ? " " : "", value ? value : "");
            return kExitUsage;
        }
    }
    return Show(request, argv[1], argv[2]);
}

bool ReadText(const char* path, std::u16string& text)
{
    std::FILE* in = std::fopen(path, "rb");
    if (!in)
        return false;
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, n);
    const bool ok = std::ferror(in) == 0;
    std::fclose(in);
    text = UtilsString_FromUtf8(bytes.c_str());
    return ok;
}

// Writes what `write` puts in a memory stream to the file in one piece.
template <typename Writer>
bool WriteFile(const fs::path& path, Writer write)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    if (Failed(out.Open()) || Failed(write(&out)) ||
        !Platform_WriteFileAtomic(path.string().c_str(), out.GetBlock(), out.GetSize())) {
        std::fprintf(stderr, "vornel font: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

// The charset of the texts' characters: NAME.charset, its pages NAME.%d.png and the symbols
// table that `vornel strings build --symbols` writes indexed tables with.
int Build(int argc, char** argv)
{
    uint32_t charSize = 0;
    if (argc < 3 || !ParseNumber(argv[1], 1, 255, charSize))
        return kExitUsage;
    const fs::path folder = argv[2];
    std::string name = "charset";
    std::vector<CharsetText> texts;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--name") == 0 && i + 1 < argc) {
            name = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--text") != 0 || i + 1 >= argc)
            return kExitUsage;
        // --text LANG:FILE, one or more of them.
        for (; i + 1 < argc && argv[i + 1][0] != '-'; ++i) {
            const char* pair = argv[i + 1];
            const char* colon = std::strchr(pair, ':');
            const std::u16string code = colon ? UtilsString_FromUtf8(std::string(pair, colon).c_str()) : u"";
            const StringsLanguage* language = nullptr;
            for (const StringsLanguage& l : kStringsLanguages)
                if (code == l.code)
                    language = &l;
            if (!language) {
                std::fprintf(stderr, "vornel font: %s: LANG:FILE with a language code (en, fr ... tr)\n", pair);
                return kExitUsage;
            }
            CharsetText text{language->charsetMask, u""};
            if (!ReadText(colon + 1, text.text)) {
                std::fprintf(stderr, "vornel font: cannot read %s\n", colon + 1);
                return 1;
            }
            texts.push_back(std::move(text));
        }
    }
    CFontFace face;
    CharsetBuild build;
    if (Failed(face.OpenForSheet(argv[0])) || Failed(face.FitFaceToPixelHeight(charSize))) {
        std::fprintf(stderr, "vornel font: %s: not a TrueType face that fits %u pixels\n", argv[0], unsigned(charSize));
        return 1;
    }
    const Status status = BuildCharset(face, uint8_t(charSize), kCharsetSpacing, texts, build);
    if (Failed(status)) {
        std::fprintf(stderr, "vornel font: %s: no charset: %s\n", argv[0], StatusWords(status).c_str());
        return 1;
    }
    std::error_code error;
    fs::create_directories(folder, error);
    const fs::path charset = folder / (name + ".charset");
    const fs::path symbols = folder / "_symbols.utf8.indexed.ucs2.raw";
    if (!WriteFile(charset, [&](UtilsStream* s) { return WriteCharset(build, s); }) ||
        !WriteFile(symbols, [&](UtilsStream* s) { return WriteCharsetSymbols(build, s); }))
        return 1;
    std::printf("%s\n", charset.string().c_str());
    for (size_t p = 0; p < build.sheets.size(); ++p) {
        const fs::path page = folder / (name + "." + std::to_string(p) + ".png");
        std::unique_ptr<uint8_t[]> pixels = GlyphSheetPixels(build.sheets[p], 32);
        C3DTextureRaw image(nullptr);
        if (!pixels ||
            Failed(image.AttachPixels(uint16_t(kGlyphSheetWidth), uint16_t(build.sheets[p].height), 32, pixels.get())) ||
            Failed(image.SaveToFile(UtilsString_FromUtf8(page.string().c_str()).c_str(), false))) {
            std::fprintf(stderr, "vornel font: cannot write %s\n", page.string().c_str());
            return 1;
        }
        std::printf("%s\n", page.string().c_str());
    }
    std::printf("%s\n", symbols.string().c_str());
    return 0;
}

// The pages of a charset: masks, remapping tables, cells and metrics.
int Info(int argc, char** argv)
{
    if (argc != 1)
        return kExitUsage;
    COffscreenRenderer renderer;
    std::string why;
    if (!renderer.Open(16, 16, why)) {
        std::fprintf(stderr, "vornel font: %s\n", why.c_str());
        return 1;
    }
    CVornelFontEx font(renderer.World());
    if (Failed(font.Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars)) ||
        Failed(font.LoadFontCharsetFromFile(UtilsString_FromUtf8(argv[0]).c_str()))) {
        std::fprintf(stderr, "vornel font: %s: not a charset of version 7 (or a damaged one)\n", argv[0]);
        font.Unload();
        return 1;
    }
    std::printf("pages %u, textures %u, characters per page slice %u\n", unsigned(font.GetPageCount()),
                unsigned(font.GetTextureCount()), unsigned(font.GetMaxCharsPerRender()));
    for (uint32_t p = 0; p < font.GetPageCount(); ++p) {
        const CharsetPage& page = font.GetPages()[p];
        const FontMetrics& metrics = font.GetMetrics()[p];
        std::printf("page %u: mask 0x%X, height %u, sheet %gx%g, %u characters\n", unsigned(p), unsigned(page.mask),
                    unsigned(metrics.charHeight), double(metrics.sheetWidth), double(metrics.sheetHeight),
                    unsigned(page.remapLength));
        for (uint32_t r = 0; r < 256; ++r) {
            const CharRect& cell = font.GetCharTable()[p * 256 + r];
            if (IsAbsent(cell))
                continue;
            const std::u16string character(1, r < page.remapLength ? page.pRemap[r] : char16_t(p * 256 + r));
            std::printf("  0x%04X U+%04X %s (%g, %g)-(%g, %g)\n", unsigned(p * 256 + r), unsigned(character[0]),
                        UtilsString_ToUtf8(character.c_str()).c_str(), double(cell.left), double(cell.top),
                        double(cell.right), double(cell.bottom));
        }
    }
    font.Unload();
    return 0;
}

}  // namespace

Status LoadShowFont(CVornelFont& font, const std::string& path, uint32_t charSize, std::string& why)
{
    if (CVornelFontEx* charset = dynamic_cast<CVornelFontEx*>(&font))
        return LoadShowCharset(*charset, path, why);
    if (Failed(font.Init(kFontGlyph, kFontScreenObject, kFontDefaultMaxChars))) {
        why = "the font cannot be made";
        return kStatusFailed;
    }
    const std::u16string wide = UtilsString_FromUtf8(path.c_str());
    if (EndsWith(path, ".glyph")) {
        const std::string sheet = path.substr(0, path.size() - std::strlen(".glyph")) + ".png";
        if (Failed(font.LoadGlyphTextureFromFile(UtilsString_FromUtf8(sheet.c_str()).c_str()))) {
            why = "cannot read its sheet " + sheet;
            return kStatusFailed;
        }
        if (Failed(font.LoadGlyphTableFromFile(wide.c_str()))) {
            why = "not a glyph table of version 2";
            return kStatusFailed;
        }
        return kStatusOk;
    }
    if (charSize == 0) {
        why = "a TrueType face needs --char-size";
        return kStatusFailed;
    }
    if (Failed(font.LoadFontTTFFromFile(wide.c_str(), charSize, kDefaultSpacing))) {
        why = "not a TrueType face that fits " + std::to_string(charSize) + " pixels";
        return kStatusFailed;
    }
    return kStatusOk;
}

int CommandFont(int argc, char** argv)
{
    if (argc >= 1 && std::strcmp(argv[0], "build") == 0)
        return Build(argc - 1, argv + 1);
    if (argc >= 1 && std::strcmp(argv[0], "info") == 0)
        return Info(argc - 1, argv + 1);
    if (argc >= 1 && std::strcmp(argv[0], "render") == 0)
        return Render(argc - 1, argv + 1);
    if (argc >= 1 && std::strcmp(argv[0], "show") == 0)
        return Show(argc - 1, argv + 1);
    return kExitUsage;
}
