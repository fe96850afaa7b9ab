// The managed world's fonts: the main font chosen by the settings, made by its kind, and the
// second font beside it.
#include <memory>
#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"

#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

void DropFont(CVornelFont*& pFont)
{
    if (!pFont)
        return;
    pFont->Unload();
    delete pFont;
    pFont = nullptr;
}

// A charset page texture: shareable by name, one holder however often it is held.
constexpr uint32_t kPageTextureFlags = 0x10000001;
constexpr uint32_t kPageTextureSecond = 0x52;

// Lets the textures made so far go (the font holds none of them yet).
void DropPages(C3DEngine* engine, C3DTexture** pages, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        if (pages[i])
            engine->ReleaseTexture(pages[i], 0);
}

// The page names are made by formatting the settings' pattern with the page number: a pattern
// is used only when it takes exactly that one number ("%d") and no other argument ("%%" is a
// plain '%').
bool IsPagePattern(const char16_t* pattern)
{
    uint32_t numbers = 0;
    for (const char16_t* p = pattern; *p; ++p) {
        if (*p != u'%')
            continue;
        if (p[1] == u'%') {
            ++p;
            continue;
        }
        if (p[1] != u'd')
            return false;
        ++numbers;
        ++p;
    }
    return numbers == 1;
}

}  // namespace

void CManagedWorld::DropFonts()
{
    if (m_pSecondFont != m_pMainFont)
        DropFont(m_pSecondFont);
    m_pSecondFont = nullptr;
    DropFont(m_pMainFont);
}

Status CManagedWorld::LoadMainFont(uint8_t forced, const char16_t* section)
{
    WorldData* w = m_pWorldData;
    uint32_t kind = kFontCharset;
    if (!forced)
        kind = w && w->pAppSettings ? uint32_t(w->pAppSettings->GetInt(section, u"LOAD_FONT_TYPE", 0)) : 0;
    if (m_pSecondFont == m_pMainFont)
        m_pSecondFont = nullptr;
    DropFont(m_pMainFont);
    m_pMainFont = CreateFont(kind, section);
    return m_pMainFont ? kStatusOk : kStatusFailed;
}

Status CManagedWorld::LoadSecondFont(uint32_t kind, const char16_t* section)
{
    if (m_pSecondFont != m_pMainFont)
        DropFont(m_pSecondFont);
    if (!section) {
        m_pSecondFont = m_pMainFont;
        return kStatusOk;
    }
    m_pSecondFont = CreateFont(kind, section);
    return m_pSecondFont ? kStatusOk : kStatusFailed;
}

CVornelFont* CManagedWorld::CreateFont(uint32_t kind, const char16_t* section)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return nullptr;
    CVornelFont* font = kind == kFontCharset ? new (std::nothrow) CVornelFontEx(w) : new (std::nothrow) CVornelFont(w);
    if (!font) {
        w->lastErrorCode = kStatusOutOfMemory;
        return nullptr;
    }
    auto fail = [&](const char16_t* line) -> CVornelFont* {
        Log(w->logPath, 0, line);
        DropFont(font);
        return nullptr;
    };
    if (Failed(font->Init(kind, kFontScreenObject, kFontDefaultMaxChars)))
        return fail(u"# CManagedWorld::CreateFont failed! CVornelFont error\n");
    UtilsParameters* settings = w->pAppSettings;
    const uint32_t source = GetResourceSource();
    if (kind == kFontTrueType) {
        const int32_t charSize = settings ? settings->GetInt(section, u"MAIN_FONT_TTF_CHAR_SIZE_REF", 30) : 30;
        const int32_t spaceSize = settings ? settings->GetInt(section, u"MAIN_FONT_TTF_SPACE_SIZE_REF", 3) : 3;
        if (Failed(AutoLoadFontTTFFromParam(source, font, section, u"MAIN_FONT_TTF_FILE_PATH", uint32_t(charSize),
                                            uint32_t(spaceSize), settings, w)))
            return fail(u"# CManagedWorld::CreateFont failed! LOAD_FONT_FROM_TTF error\n");
    } else if (kind == kFontGlyph) {
        if (Failed(AutoLoadFontGlyphFromParam(source, font, section, u"MAIN_FONT_GLYPH_TEXTURE_PATH",
                                              u"MAIN_FONT_GLYPH_FILE_PATH", settings, w)))
            return fail(u"# CManagedWorld::CreateFont failed! LOAD_FONT_FROM_GLYPH error\n");
    } else if (kind == kFontCharset) {
        CVornelFontEx* charset = static_cast<CVornelFontEx*>(font);
        if (Failed(LoadCharset(charset, section)) || Failed(LoadCharsetPages(charset, section))) {
            DropFont(font);
            return nullptr;
        }
    }
    return font;
}

Status CManagedWorld::LoadCharset(CVornelFontEx* pFont, const char16_t* section)
{
    WorldData* w = m_pWorldData;
    UtilsParameters* settings = w->pAppSettings;
    const uint32_t source = GetResourceSource();
    if (source != kResourceSourcePack)
        return AutoLoadFontCharsetFromParam(source, pFont, section, u"MAIN_FONT_CHARSET_FILE_PATH", settings, w);
    char16_t name[kWorldTextSize] = {};
    if (settings)
        settings->GetString(section, u"MAIN_FONT_CHARSET_FILE_PATH", nullptr, name, kWorldTextSize);
    PackRecord record = m_externalPack;
    if (record.pFile && w->pfnPackLocator && Succeeded(w->pfnPackLocator(name, &record))) {
        if (Succeeded(pFont->LoadFontCharsetFromPacker(&record)))
            return kStatusOk;
        Log(w->logPath, 1, u"# CManagedWorld::CreateFont LoadFontCharsetFromPacker external failed! (\"%s\")\n", name);
        return kStatusFailed;
    }
    record = w->pack;
    if (record.pFile && w->pfnPackLocator && Succeeded(w->pfnPackLocator(name, &record)) &&
        Succeeded(pFont->LoadFontCharsetFromPacker(&record)))
        return kStatusOk;
    Log(w->logPath, 1, u"# CManagedWorld::CreateFont LoadFontCharsetFromPacker failed! (\"%s\")\n", name);
    return kStatusFailed;
}

CManagedWorld::PageLoad CManagedWorld::LoadPageTexture(C3DTexture* pTexture, const char16_t* name, bool& external)
{
    WorldData* w = m_pWorldData;
    const uint32_t source = GetTextureSource();
    if (source != kResourceSourcePack)
        return Succeeded(AutoLoadTexture(source, pTexture, name, w)) ? PageLoad::Loaded : PageLoad::Failed;
    if (m_externalPack.pFile || external) {
        PackRecord record = m_externalPack;
        if (record.pFile && w->pfnPackLocator && Succeeded(w->pfnPackLocator(name, &record))) {
            external = true;
            return Succeeded(pTexture->LoadFromPacker(&record)) ? PageLoad::Loaded : PageLoad::Failed;
        }
        if (external)
            return PageLoad::MissingExternal;
    }
    PackRecord record = w->pack;
    if (!record.pFile || !w->pfnPackLocator || Failed(w->pfnPackLocator(name, &record)))
        return PageLoad::MissingMain;
    return Succeeded(pTexture->LoadFromPacker(&record)) ? PageLoad::Loaded : PageLoad::Failed;
}

Status CManagedWorld::LoadCharsetPages(CVornelFontEx* pFont, const char16_t* section)
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    const uint32_t count = pFont->GetTextureCount();
    if (!engine)
        return kStatusFailed;
    char16_t pattern[kWorldTextSize] = u"charset.%d.png";
    if (w->pAppSettings)
        w->pAppSettings->GetString(section, u"MAIN_FONT_CHARSET_TEXTURE_PATH", u"charset.%d.png", pattern,
                                   kWorldTextSize);
    if (!IsPagePattern(pattern)) {
        Log(w->logPath, 1,
            u"# CManagedWorld::CreateFont failed! MAIN_FONT_CHARSET_TEXTURE_PATH \"%s\" must hold one %%d and no "
            u"other conversion\n",
            pattern);
        return kStatusFailed;
    }
    std::unique_ptr<C3DTexture*[]> pages(new (std::nothrow) C3DTexture*[count ? count : 1]());
    if (!pages) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    bool external = false;
    for (uint32_t i = 0; i < count; ++i) {
        C3DTexture* page = engine->CreateTexture(kPageTextureFlags, kPageTextureSecond);
        if (!page) {
            DropPages(engine, pages.get(), i);
            return kStatusFailed;
        }
        pages[i] = page;
        char16_t name[kWorldTextSize];
        UtilsString_Format(name, kWorldTextSize, pattern, int32_t(i));
        page->SetName(name);
        const PageLoad loaded = LoadPageTexture(page, name, external);
        if (loaded == PageLoad::MissingExternal)
            Log(w->logPath, 0, u"# CManagedWorld::CreateFont failed! Can't retrieve external packer file \"%s\"\n",
                name);
        else if (loaded == PageLoad::MissingMain)
            Log(w->logPath, 0, u"# CManagedWorld::CreateFont failed! Can't retrieve packer file \"%s\"\n", name);
        if (loaded != PageLoad::Loaded) {
            DropPages(engine, pages.get(), i + 1);
            return kStatusFailed;
        }
    }
    if (Failed(pFont->SetPageTextures(pages.get(), count))) {
        DropPages(engine, pages.get(), count);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CManagedWorld::LoadFontPagesForLanguage(CVornelFont* pFont, uint32_t language)
{
    CVornelFontEx* font = pFont && pFont->GetFontType() == kFontCharset ? dynamic_cast<CVornelFontEx*>(pFont) : nullptr;
    if (language == kLanguageCurrent && GetStringsManager())
        language = GetStringsManager()->GetLanguage();
    if (!font || language >= kLanguageCount)
        return kStatusFailed;
    const uint32_t mask = kStringsLanguages[language].charsetMask;
    bool external = false;
    for (uint32_t i = 0; i < font->GetTextureCount() && i < font->GetPageCount(); ++i) {
        C3DTexture* page = font->GetTexture(i);
        if (!page)
            continue;
        if ((font->GetPages()[i].mask & mask) != mask) {
            if (page->IsLoaded() && Failed(page->Release()))
                return kStatusFailed;
            continue;
        }
        if (!page->IsLoaded() && (!page->GetName() || LoadPageTexture(page, page->GetName(), external) != PageLoad::Loaded))
            return kStatusFailed;
    }
    return kStatusOk;
}
