#pragma once
// A charset font: CVornelFont over several pages of 256 characters, so that any 16-bit code
// can be drawn. The page of a code is its high byte; each page has its own sheet texture (the
// draw group of the same number), its 256 cells, its metrics and a table that maps its codes
// back to Unicode. The charset (".charset") holds all but the textures, which the managed world
// loads page by page and hands over with SetPageTextures.
//
// All pages share one object: its vertex range is cut into a fixed slice per page, so a chunk is
// written without sorting and drawn as one group per page. Indices are 16 bits wide, which
// bounds the characters a page slice holds (see kCharsetVertexLimit).
//
// Life: construct -> Init -> a charset loader -> SetPageTextures -> draw -> Unload -> delete.
// A charset read into a loaded font replaces its tables.
#include <cstdint>

#include "Vornel3D_ToolBox/CVornelFont.h"

// The charset stream (little-endian): u32 version 7, u32 page count N, u32 texture count; N
// page records (u32 charset mask, u32 reserved 0, u32 length L, L UTF-16 characters); N x 256
// cells (four f32); N metrics records (u8 height, f32 sheet width, f32 sheet height).
constexpr uint32_t kCharsetVersion = 7;
constexpr uint32_t kCharsetPageHeaderSize = 12;
constexpr uint32_t kCharsetMetricsSize = 9;
// A page takes at least its record header, its cells and its metrics.
constexpr uint32_t kCharsetPageMinSize = kCharsetPageHeaderSize + kFontCharCount * 16 + kCharsetMetricsSize;
// The vertices all page slices share, and the smallest slice a font accepts.
constexpr uint32_t kCharsetVertexLimit = 65535;
constexpr uint32_t kCharsetMinCharsPerPage = 128;

struct CharsetPage {
    uint32_t mask;       // the charset mask of the languages whose texts use the page
    uint32_t reserved;   // stored and copied, not read
    char16_t* pRemap;    // the page's codes back to Unicode (owned)
    uint32_t remapLength;
};

// The characters per page slice for a maximum of `maxChars` and `pages` pages: the maximum when
// all slices fit the 16-bit indices, else 10922 / pages. 0 without pages.
uint32_t CharsetCharsPerPage(uint32_t pages, uint32_t maxChars);

class CVornelFontEx : public CVornelFont {
public:
    explicit CVornelFontEx(WorldData* pWorldData);
    ~CVornelFontEx() override;

    // A second user of a loaded charset font: its own object and copies of the pages, cells and
    // metrics; each group takes the texture of the source's group of the same number.
    Status Load(CVornelFont* pSource, uint32_t maxChars) override;
    // The object and the drawing mode as CVornelFont::Init; the charset makes the buffers.
    Status Init(uint32_t fontType, uint32_t flags, uint32_t maxChars) override;
    Status Unload() override;

    // As CVornelFont::WrapText; codes beyond the pages are dropped, and a break character that
    // ends the text always ends the copy.
    virtual uint32_t WrapText(float scale, uint32_t unused, const char16_t* source, char16_t* destination,
                              uint32_t capacity, uint16_t maxWidth, char16_t breakChar, const char16_t* noBreakAfter,
                              const char16_t* noBreakBefore);
    using CVornelFont::WrapText;

    // The charset from a stored block, a pack entry or a file. kStatusFailed when the stream
    // does not open or the charset is bad; kStatusOutOfMemory (latched).
    virtual Status MakeFontCharsetFromAddress(const void* data, uint32_t size);
    virtual Status LoadFontCharsetFromPacker(PackRecord* pEntry);
    virtual Status LoadFontCharsetFromFile(const char16_t* path);
    // Texture i onto group i for i below count; more than the charset announced is refused.
    virtual Status SetPageTextures(C3DTexture** textures, uint32_t count);
    // Codes back to Unicode in place, by their page's table; a code beyond the pages or its
    // page's table stays.
    virtual void RemapText(char16_t* text);
    virtual Status LoadFontCharsetFromStream(UtilsStream* pStream);

    uint32_t GetPageCount() const { return m_nPageCount; }
    uint32_t GetTextureCount() const { return m_nTextureCount; }
    const CharsetPage* GetPages() const { return m_pPages; }

protected:
    const CharRect* FindCell(char16_t code, const FontMetrics** metrics) const override;
    void StartQuads() override;
    uint32_t PlaceQuad(char16_t code) override;
    void FinishQuads() override;
    bool BrightensOnHover(uint32_t) const override { return true; }

private:
    void FreePages();
    // Pages, metrics, quad counts and cells for `pages` pages, all cleared.
    Status AllocatePages(uint32_t pages);
    // The object's buffers for the pages at the capacity rule; `caller` names the log line.
    Status CreatePageBuffers(const char16_t* caller);
    Status ReadCharsetFrom(UtilsStream* pStream);

    CharsetPage* m_pPages = nullptr;
    uint32_t m_nPageCount = 0;
    uint32_t m_nTextureCount = 0;
    uint32_t* m_pQuadCounts = nullptr;
};
