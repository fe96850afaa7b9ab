// The managed world's fonts: the main font chosen by the settings, made by its kind, and the
// second font beside it.
#include <new>

#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
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

CVornelFont* CManagedWorld::CreateFont(uint32_t kind, const char16_t* section)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return nullptr;
    // Charset fonts have pages of their own; this world makes the single-sheet kinds.
    CVornelFont* font = kind == kFontCharset ? nullptr : new (std::nothrow) CVornelFont(w);
    if (!font) {
        if (kind != kFontCharset)
            w->lastErrorCode = kStatusOutOfMemory;
        Log(w->logPath, 0, u"# CManagedWorld::CreateFont failed! CVornelFont error\n");
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
    }
    return font;
}
