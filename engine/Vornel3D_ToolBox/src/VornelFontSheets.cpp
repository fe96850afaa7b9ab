// Font sheets made at load time: a bitmap picture with its cell grid in settings text, a
// TrueType face laid out live, and the prepared pair that RenderTTF writes from a face.
#include <cstring>
#include <memory>
#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/FontFace.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The key of each code in a bitmap sheet's "FONT" section; codes without one stay absent.
const char16_t* const* CharsetKeys()
{
    static const char16_t* keys[kFontCharCount] = {};
    static bool made = false;
    if (made)
        return keys;
    static const char16_t kSingles[] = u"!\"#$&'()*+-/0123456789<>?\\_{}";
    static char16_t singleKeys[sizeof kSingles / sizeof kSingles[0]][2] = {};
    for (uint32_t i = 0; kSingles[i]; ++i) {
        singleKeys[i][0] = kSingles[i];
        keys[kSingles[i]] = singleKeys[i];
    }
    static const struct {
        char16_t code;
        const char16_t* key;
    } kNamed[] = {{u' ', u"SPACE"},        {u',', u"VIRGULE"},      {u'.', u"POINT"},
                  {u':', u"2POINTS"},      {u';', u"POINT_VIRG"},   {u'=', u"EGAL"},
                  {u'@', u"AROBAZ"},       {u'[', u"CROCHET_OPEN"}, {u']', u"CROCHET_CLOSE"},
                  {0x89, u"POURCENT"}};
    for (const auto& row : kNamed)
        keys[row.code] = row.key;
    static char16_t letterKeys[52][6] = {};
    for (uint32_t i = 0; i < 26; ++i) {
        UtilsString_Format(letterKeys[i], 6, u"MAJ_%c", char16_t(u'A' + i));
        UtilsString_Format(letterKeys[26 + i], 6, u"MIN_%c", char16_t(u'a' + i));
        keys[u'A' + i] = letterKeys[i];
        keys[u'a' + i] = letterKeys[26 + i];
    }
    made = true;
    return keys;
}

}  // namespace

// ---- bitmap sheets --------------------------------------------------------------------------

void CVornelFont::LoadCharset(UtilsParameters* pSettings, float cellWidth, float cellHeight)
{
    if (!pSettings)
        return;
    const char16_t* const* keys = CharsetKeys();
    for (uint32_t code = 0; code < kFontCharCount; ++code) {
        if (!keys[code])
            continue;
        char16_t value[kWorldTextSize] = {};
        pSettings->GetString(u"FONT", keys[code], u"1.1", value, kWorldTextSize);
        char16_t* dot = value;
        while (*dot && *dot != u'.')
            ++dot;
        if (!*dot)
            continue;
        *dot = 0;
        const uint32_t column = uint32_t(UtilsString_ToInt(value)) & 0xFFFF;
        const uint32_t row = uint32_t(UtilsString_ToInt(dot + 1)) & 0xFFFF;
        SetCharRect(code, CharRect{float(column) * cellWidth - cellWidth, float(row) * cellHeight - cellHeight,
                                   float(column) * cellWidth, float(row) * cellHeight});
    }
}

Status CVornelFont::ReadCharsetGrid(UtilsParameters* pSettings)
{
    const int32_t columns = pSettings ? pSettings->GetInt(u"FONT", u"NB_COL", 16) & 0xFFFF : 0;
    const int32_t rows = pSettings ? pSettings->GetInt(u"FONT", u"NB_ROW", 16) & 0xFFFF : 0;
    // The cell is 1 / (256 / count): no count of 0, and none above 256 (an infinite cell).
    if (columns == 0 || rows == 0 || columns > 256 || rows > 256)
        return kStatusFailed;
    const float cellWidth = 1.0f / float(256 / columns);
    const float cellHeight = 1.0f / float(256 / rows);
    LoadCharset(pSettings, cellWidth, cellHeight);
    // Characters are measured against one cell's height in pixels on the sheet. The height
    // is kept in a byte: a taller cell scales the sheet width with it, so widths stay exact.
    const C3DTexture* texture = GetTexture(0);
    if (!m_pMetrics || !texture || texture->GetHeight() == 0)
        return kStatusFailed;
    float cellPixels = cellHeight * float(texture->GetHeight());
    float sheetWidth = float(texture->GetWidth());
    if (cellPixels > 255.0f) {
        sheetWidth *= 255.0f / cellPixels;
        cellPixels = 255.0f;
    }
    m_pMetrics->charHeight = uint8_t(cellPixels < 1.0f ? 1.0f : cellPixels + 0.5f);
    m_pMetrics->sheetWidth = sheetWidth * float(m_pMetrics->charHeight) / (cellPixels < 1.0f ? 1.0f : cellPixels);
    m_pMetrics->sheetHeight = float(texture->GetHeight());
    return kStatusOk;
}

Status CVornelFont::MakeTextureFromAddress(UtilsParameters* pSettings, const char16_t* name, const void* data,
                                           uint32_t size)
{
    if (!m_pObject || Failed(m_pObject->MakeTextureFromAddress(kFontTextureKind, kFontTextureFlags, data, size, 0,
                                                               name)))
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"# CVornelFont::MakeTextureFromAddress failed! (\"%s\")\n", name ? name : u"");
    return ReadCharsetGrid(pSettings);
}

Status CVornelFont::LoadTextureFromPacker(UtilsParameters* pSettings, PackRecord* pEntry)
{
    if (!m_pObject || !pEntry ||
        Failed(m_pObject->LoadTextureFromPacker(kFontTextureKind, kFontTextureFlags, pEntry, 0)))
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"# CVornelFont::LoadTextureFromPacker failed! (\"%s\")\n",
                            pEntry ? pEntry->lastEntryName : u"");
    return ReadCharsetGrid(pSettings);
}

Status CVornelFont::LoadTextureFromFile(UtilsParameters* pSettings, const char16_t* path)
{
    if (!m_pObject || !path || Failed(m_pObject->LoadTextureFromFile(kFontTextureKind, kFontTextureFlags, path, 0)))
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"# CVornelFont::LoadTextureFromFile failed! (\"%s\")\n", path ? path : u"");
    return ReadCharsetGrid(pSettings);
}

// ---- live TrueType sheets -------------------------------------------------------------------

Status CVornelFont::MakeLiveSheet(CFontFace& face, uint32_t charHeight, uint32_t spacing)
{
    GlyphSheet sheet;
    if (Failed(face.FitFaceToPixelHeight(charHeight)))
        return kStatusFailed;
    const Status status = BuildGlyphSheet(face, spacing, sheet);
    if (Failed(status))
        return status;
    for (uint32_t i = 0; i < kGlyphSheetCodes; ++i)
        SetCharRect(kGlyphSheetFirstCode + i, sheet.cells[i]);
    std::unique_ptr<uint8_t[]> pixels = GlyphSheetPixels(sheet, 8);
    if (!pixels)
        return LatchOutOfMemory();
    // The object makes the texture on every group's stage 0, and lets it go with them.
    if (!m_pObject ||
        Failed(m_pObject->CreateTexture(kFontTextureKind | k3DTextureOnceOnly, kFontTextureFlags, k3DAllGroups, 0)))
        return kStatusFailed;
    C3DTexture* texture = m_pObject->GetTexture(0, 0);
    const Status made = texture ? texture->MakeFromRaw(uint16_t(kGlyphSheetWidth), uint16_t(sheet.height), 8,
                                                       pixels.get(), nullptr)
                                : kStatusFailed;
    if (Failed(made))
        m_pObject->ReleaseTextureAllGroups(0);
    if (m_pMetrics)
        *m_pMetrics = FontMetrics{uint8_t(charHeight), float(kGlyphSheetWidth), float(sheet.height)};
    return Failed(made) ? made : kStatusOk;
}

Status CVornelFont::MakeFontTTFFromAddress(const char16_t* name, const void* data, uint32_t size,
                                           uint32_t charHeight, uint32_t spacing)
{
    CFontFace face;
    if (Failed(face.OpenForSheet(data, size)))
        return kStatusFailed;
    return MakeLiveSheet(face, charHeight & 0xFF, spacing & 0xFF);
}

Status CVornelFont::LoadFontTTFFromPacker(PackRecord* pEntry, uint32_t charHeight, uint32_t spacing)
{
    if (!pEntry)
        return kStatusFailed;
    UtilsStream_Packer stream(kStreamRead, pEntry);
    if (Failed(stream.Open()))
        return kStatusFailed;
    const uint32_t size = stream.GetEntrySize();
    std::unique_ptr<uint8_t[]> buffer(size ? new (std::nothrow) uint8_t[size] : nullptr);
    if (size && !buffer)
        return LatchOutOfMemory();
    Status status = kStatusFailed;
    if (size && stream.Read(buffer.get(), size, 1))
        status = MakeFontTTFFromAddress(pEntry->lastEntryName, buffer.get(), size, charHeight, spacing);
    stream.Close();
    return status;
}

Status CVornelFont::LoadFontTTFFromFile(const char16_t* path, uint32_t charHeight, uint32_t spacing)
{
    if (!path)
        return kStatusFailed;
    CFontFace face;
    if (Failed(face.OpenForSheet(UtilsString_ToUtf8(path))))
        return kStatusFailed;
    return MakeLiveSheet(face, charHeight & 0xFF, spacing & 0xFF);
}

// ---- prepared pairs -------------------------------------------------------------------------

Status CVornelFont::RenderTTF(const char16_t* path, uint32_t charHeight, uint32_t spacing)
{
    if (!path)
        return kStatusFailed;
    charHeight &= 0xFF;
    spacing &= 0xFF;
    CFontFace face;
    GlyphSheet sheet;
    if (Failed(face.OpenForSheet(UtilsString_ToUtf8(path))) || Failed(face.FitFaceToPixelHeight(charHeight)))
        return kStatusFailed;
    const Status laid = BuildGlyphSheet(face, spacing, sheet);
    if (Failed(laid))
        return laid;
    if (m_pMetrics)
        *m_pMetrics = FontMetrics{uint8_t(charHeight), float(kGlyphSheetWidth), float(sheet.height)};

    char16_t name[kWorldTextSize * 2];
    UtilsString_Format(name, kWorldTextSize * 2, u"%s.%dx%d.%d.%d.glyph", path, int(kGlyphSheetWidth),
                       int(sheet.height), int(charHeight), int(spacing));
    UtilsStream_File table(kStreamWrite, name);
    if (Failed(table.Open()))
        return kStatusFailed;
    bool written = table.Write(&kGlyphTableVersion, 2, 1);
    for (uint32_t i = 0; i < kGlyphSheetCodes && written; ++i) {
        const CharRect& r = sheet.cells[i];
        const float values[4] = {r.left, r.top, r.right, r.bottom};
        written = table.Write(values, 4, 4);
    }
    uint8_t record[kFontMetricsSize] = {uint8_t(charHeight)};
    const float width = float(kGlyphSheetWidth), height = float(sheet.height);
    std::memcpy(record + 4, &width, 4);
    std::memcpy(record + 8, &height, 4);
    written = written && table.Write(record, kFontMetricsSize, 1);
    written = Succeeded(table.Close()) && written;

    Status status = written ? kStatusOk : kStatusFailed;
    std::unique_ptr<uint8_t[]> pixels = GlyphSheetPixels(sheet, 32);
    C3DTextureRaw image(m_pWorldData);
    UtilsString_Format(name, kWorldTextSize * 2, u"%s.%dx%d.%d.%d.png", path, int(kGlyphSheetWidth),
                       int(sheet.height), int(charHeight), int(spacing));
    if (!pixels || Failed(image.AttachPixels(uint16_t(kGlyphSheetWidth), uint16_t(sheet.height), 32, pixels.get())) ||
        Failed(image.SaveToFile(name, false)))
        status = kStatusFailed;
    return status;
}
