// The fonts' AutoLoad functions: a TrueType face or a prepared glyph pair named in settings.
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The name under a settings key: a full path for a loose file, else the text as written.
void ReadName(uint32_t source, UtilsParameters* pSettings, const char16_t* section, const char16_t* key,
              char16_t* out, const WorldData* w)
{
    if (source == kResourceSourceFile)
        pSettings->GetPath(section, key, nullptr, out, kWorldTextSize, w->dataPath);
    else
        pSettings->GetString(section, key, nullptr, out, kWorldTextSize);
}

class CFontTTFTarget : public CAutoLoadTarget {
public:
    CFontTTFTarget(CVornelFont* pFont, uint32_t charSize, uint32_t spaceSize)
        : m_pFont(pFont), m_charSize(charSize), m_spaceSize(spaceSize)
    {
    }
    Status FromAddress(const void* data, uint32_t size, const char16_t* name) override
    {
        return m_pFont->MakeFontTTFFromAddress(name, data, size, m_charSize, m_spaceSize);
    }
    Status FromPacker(PackRecord* pEntry) override
    {
        return m_pFont->LoadFontTTFFromPacker(pEntry, m_charSize, m_spaceSize);
    }
    Status FromFile(const char16_t* path) override
    {
        return m_pFont->LoadFontTTFFromFile(path, m_charSize, m_spaceSize);
    }

private:
    CVornelFont* m_pFont;
    uint32_t m_charSize, m_spaceSize;
};

class CFontCharsetTarget : public CAutoLoadTarget {
public:
    explicit CFontCharsetTarget(CVornelFontEx* pFont) : m_pFont(pFont) {}
    Status FromAddress(const void* data, uint32_t size, const char16_t*) override
    {
        return m_pFont->MakeFontCharsetFromAddress(data, size);
    }
    Status FromPacker(PackRecord* pEntry) override { return m_pFont->LoadFontCharsetFromPacker(pEntry); }
    Status FromFile(const char16_t* path) override { return m_pFont->LoadFontCharsetFromFile(path); }

private:
    CVornelFontEx* m_pFont;
};

Status Missing(WorldData* w, const char16_t* line, const char16_t* logged, const char16_t* name)
{
    Log(w->logPath, 1, line, logged);
    UtilsString_Format(w->lastErrorText, kWorldTextSize, u"Missing file: %s", name);
    return kStatusFailed;
}

}  // namespace

Status AutoLoadFontTTFFromParam(uint32_t source, CVornelFont* pFont, const char16_t* section, const char16_t* key,
                                uint32_t charSize, uint32_t spaceSize, UtilsParameters* pSettings, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoadFontTTFFromParam", u"MakeFontTTFFromAddress",
                                         u"LoadFontTTFFromPacker", u"LoadFontTTFFromFile"};
    if (!w || !pFont || !pSettings)
        return kStatusFailed;
    char16_t name[kWorldTextSize] = {};
    ReadName(source, pSettings, section, key, name, w);
    CFontTTFTarget target(pFont, charSize, spaceSize);
    return AutoLoadFromSource(source, kNames, name, name, name, target, w);
}

Status AutoLoadFontCharsetFromParam(uint32_t source, CVornelFontEx* pFont, const char16_t* section,
                                    const char16_t* key, UtilsParameters* pSettings, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoadFontCharsetFromParam", u"MakeFontCharsetFromAddress",
                                         u"LoadFontCharsetFromPacker", u"LoadFontCharsetFromFile"};
    if (!w || !pFont || !pSettings)
        return kStatusFailed;
    char16_t name[kWorldTextSize] = {};
    ReadName(source, pSettings, section, key, name, w);
    CFontCharsetTarget target(pFont);
    return AutoLoadFromSource(source, kNames, name, name, name, target, w);
}

Status AutoLoadFontGlyphFromParam(uint32_t source, CVornelFont* pFont, const char16_t* section,
                                  const char16_t* textureKey, const char16_t* tableKey, UtilsParameters* pSettings,
                                  WorldData* w)
{
    if (!w || !pFont || !pSettings)
        return kStatusFailed;
    char16_t texture[kWorldTextSize] = {};
    char16_t table[kWorldTextSize] = {};
    ReadName(source, pSettings, section, textureKey, texture, w);
    ReadName(source, pSettings, section, tableKey, table, w);
    switch (source) {
    case kResourceSourceProgram: {
        constexpr const char16_t* kLookup = u"# AutoLoadFontGlyphFromParam::MakeFontGlyphFromAddress GetResStatic failed! (\"%s\")\n";
        if (!w->pfnStaticLocator || Failed(w->pfnStaticLocator(w, texture)))
            return Missing(w, kLookup, texture, texture);
        const StaticResource sheet = w->staticResource;
        if (Failed(w->pfnStaticLocator(w, table)))
            return Missing(w, kLookup, table, table);
        if (Failed(pFont->MakeFontGlyphFromAddress(sheet.pAddress, sheet.size, w->staticResource.pAddress,
                                                   w->staticResource.size, texture)))
            return Missing(w, u"# AutoLoadFontGlyphFromParam::MakeFontGlyphFromAddress failed! (\"%s\")\n", texture,
                           texture);
        return kStatusOk;
    }
    case kResourceSourcePack: {
        constexpr const char16_t* kLookup = u"# AutoLoadFontGlyphFromParam::LoadFontGlyphFromPacker GetResPacker failed! (\"%s\")\n";
        constexpr const char16_t* kLoad = u"# AutoLoadFontGlyphFromParam::LoadFontGlyphFromPacker failed! (\"%s\")\n";
        if (!w->pfnPackLocator || !w->pack.pFile || Failed(w->pfnPackLocator(texture, &w->pack)))
            return Missing(w, kLookup, texture, texture);
        if (Failed(pFont->LoadFontGlyphFromPacker(&w->pack, nullptr)))
            return Missing(w, kLoad, texture, texture);
        // The table is found with a record of its own over the main pack's file.
        PackRecord record = w->pack;
        if (Failed(w->pfnPackLocator(table, &record)))
            return Missing(w, kLookup, table, table);
        if (Failed(pFont->LoadFontGlyphFromPacker(nullptr, &record)))
            return Missing(w, kLoad, table, table);
        return kStatusOk;
    }
    case kResourceSourceFile:
        if (Failed(pFont->LoadFontGlyphFromFile(texture, table)))
            return Missing(w, u"# AutoLoadFontGlyphFromParam::LoadFontGlyphFromFile failed! (\"%s\")\n", texture,
                           texture);
        return kStatusOk;
    default:
        return kStatusOk;
    }
}
