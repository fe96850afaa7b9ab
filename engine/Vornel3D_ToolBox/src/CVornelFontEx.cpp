// The charset font's life: reading a charset, the page slices of its object, a second user of
// a loaded charset, the page textures and mapping codes back to Unicode.
#include "Vornel3D_ToolBox/CVornelFontEx.h"

#include <cstring>
#include <memory>
#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kVerticesPerChar = 6;

// Whether the stream still holds `bytes`; a stream that cannot tell is taken at its word and
// fails on its short reads instead.
bool Holds(UtilsStream* pStream, uint64_t bytes)
{
    const int64_t left = pStream->BytesLeft();
    return left < 0 || uint64_t(left) >= bytes;
}

}  // namespace

uint32_t CharsetCharsPerPage(uint32_t pages, uint32_t maxChars)
{
    if (pages == 0)
        return 0;
    if (uint64_t(pages) * maxChars * kVerticesPerChar <= kCharsetVertexLimit)
        return maxChars;
    return kCharsetVertexLimit / kVerticesPerChar / pages;
}

CVornelFontEx::CVornelFontEx(WorldData* pWorldData) : CVornelFont(pWorldData) {}

CVornelFontEx::~CVornelFontEx()
{
    FreePages();
}

void CVornelFontEx::FreePages()
{
    for (uint32_t p = 0; m_pPages && p < m_nPageCount; ++p)
        delete[] m_pPages[p].pRemap;
    delete[] m_pPages;
    m_pPages = nullptr;
    m_nPageCount = 0;
    m_nTextureCount = 0;
    delete[] m_pQuadCounts;
    m_pQuadCounts = nullptr;
}

Status CVornelFontEx::AllocatePages(uint32_t pages)
{
    FreePages();
    FreeTables();
    m_pPages = new (std::nothrow) CharsetPage[pages]();
    if (m_pPages)
        m_nPageCount = pages;
    m_pMetrics = new (std::nothrow) FontMetrics[pages]();
    m_pQuadCounts = new (std::nothrow) uint32_t[pages]();
    m_pCharTable = new (std::nothrow) CharRect[size_t(pages) * kFontCharCount]();
    return m_pPages && m_pMetrics && m_pQuadCounts && m_pCharTable ? kStatusOk : LatchOutOfMemory();
}

Status CVornelFontEx::Init(uint32_t fontType, uint32_t flags, uint32_t maxChars)
{
    return CreateFontObject(fontType, flags, maxChars);
}

Status CVornelFontEx::Unload()
{
    CVornelFont::Unload();
    FreePages();
    return kStatusOk;
}

Status CVornelFontEx::CreatePageBuffers(const char16_t* caller)
{
    const uint32_t perPage = CharsetCharsPerPage(m_nPageCount, m_nMaxCharsPerRender);
    m_nMaxCharsPerRender = perPage;
    if (perPage < kCharsetMinCharsPerPage) {
        if (m_pWorldData)
            Log(m_pWorldData->logPath, 0, u"# CVornelFontEx::%s failed! m_nMaxCharsPerRender=%d\n", caller,
                int32_t(perPage));
        return kStatusFailed;
    }
    const uint32_t slice = perPage * kVerticesPerChar;
    const uint32_t count = m_nPageCount * slice;
    m_pObject->Release();
    if (Failed(m_pObject->Create(m_nPageCount, count, count)))
        return LatchOutOfMemory();
    // Each page's group starts at its slice (its base vertex), so its indices count from there.
    m_pObject->Lock(0, 1);
    for (uint32_t p = 0; p < m_nPageCount; ++p)
        m_pObject->SetIndexRange(p * slice, slice);
    m_pObject->Unlock(0);
    return kStatusOk;
}

Status CVornelFontEx::Load(CVornelFont* pFont, uint32_t maxChars)
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    CVornelFontEx* pSource = dynamic_cast<CVornelFontEx*>(pFont);
    C3DObject* source = pSource ? pSource->m_pObject : nullptr;
    if (!engine || !source || !pSource->m_pPages || pSource == this)
        return kStatusFailed;
    if (m_pObject)
        Unload();
    m_pObject = engine->CreateObject(source->GetFlags(), source->GetCreationWord());
    if (!m_pObject)
        return kStatusFailed;
    m_nFontType = pSource->m_nFontType;
    m_nMaxCharsPerRender = maxChars;
    m_nDrawingMode = pSource->m_nDrawingMode;
    const uint32_t pages = pSource->m_nPageCount;
    if (Failed(AllocatePages(pages)))
        return kStatusOutOfMemory;
    m_nTextureCount = pSource->m_nTextureCount;
    for (uint32_t p = 0; p < pages; ++p) {
        const CharsetPage& from = pSource->m_pPages[p];
        m_pPages[p] = CharsetPage{from.mask, from.reserved, nullptr, 0};
        if (from.remapLength == 0)
            continue;
        if (!(m_pPages[p].pRemap = new (std::nothrow) char16_t[from.remapLength]))
            return LatchOutOfMemory();
        std::memcpy(m_pPages[p].pRemap, from.pRemap, sizeof(char16_t) * from.remapLength);
        m_pPages[p].remapLength = from.remapLength;
    }
    std::memcpy(m_pCharTable, pSource->m_pCharTable, sizeof(CharRect) * kFontCharCount * pages);
    std::memcpy(m_pMetrics, pSource->m_pMetrics, sizeof(FontMetrics) * pages);
    const Status status = CreatePageBuffers(u"Load");
    if (Failed(status))
        return status;
    for (uint32_t p = 0; p < pages && p < source->GetGroupCount(); ++p)
        m_pObject->SetTexture(source->GetTexture(p, 0), p, 0);
    return kStatusOk;
}

// ---- reading a charset ------------------------------------------------------------------------

Status CVornelFontEx::LoadFontCharsetFromStream(UtilsStream* pStream)
{
    if (!pStream || !m_pObject)
        return kStatusFailed;
    uint32_t version = 0;
    if (!pStream->Read(&version, 4, 1) || version != kCharsetVersion)
        return kStatusFailed;
    uint32_t pages = 0, textures = 0;
    if (!pStream->Read(&pages, 4, 1) || !pStream->Read(&textures, 4, 1))
        return kStatusFailed;
    // A page count the rest of the stream cannot hold is refused before the tables go.
    if (pages == 0 || !Holds(pStream, uint64_t(pages) * kCharsetPageMinSize))
        return kStatusFailed;
    if (Failed(AllocatePages(pages)))
        return kStatusOutOfMemory;
    m_nTextureCount = textures;
    for (uint32_t p = 0; p < pages; ++p) {
        CharsetPage& page = m_pPages[p];
        uint32_t length = 0;
        if (!pStream->Read(&page.mask, 4, 1) || !pStream->Read(&page.reserved, 4, 1) ||
            !pStream->Read(&length, 4, 1))
            return kStatusFailed;
        // The table and the cells and metrics of this page and the ones after it must follow.
        if (!Holds(pStream, uint64_t(length) * 2 + uint64_t(pages - p) * (kCharsetPageMinSize - kCharsetPageHeaderSize)))
            return kStatusFailed;
        if (length == 0)
            continue;
        if (!(page.pRemap = new (std::nothrow) char16_t[length]))
            return LatchOutOfMemory();
        page.remapLength = length;
        if (!pStream->Read(page.pRemap, 2, length))
            return kStatusFailed;
    }
    for (size_t i = 0; i < size_t(pages) * kFontCharCount; ++i) {
        CharRect& r = m_pCharTable[i];
        if (!pStream->Read(&r.left, 4, 1) || !pStream->Read(&r.top, 4, 1) || !pStream->Read(&r.right, 4, 1) ||
            !pStream->Read(&r.bottom, 4, 1))
            return kStatusFailed;
    }
    for (uint32_t p = 0; p < pages; ++p) {
        FontMetrics& m = m_pMetrics[p];
        if (!pStream->Read(&m.charHeight, 1, 1) || !pStream->Read(&m.sheetWidth, 4, 1) ||
            !pStream->Read(&m.sheetHeight, 4, 1))
            return kStatusFailed;
    }
    return CreatePageBuffers(u"LoadFontCharsetFromStream");
}

Status CVornelFontEx::ReadCharsetFrom(UtilsStream* pStream)
{
    return ReadFromNewStream(pStream, [this](UtilsStream* stream) { return LoadFontCharsetFromStream(stream); });
}

Status CVornelFontEx::MakeFontCharsetFromAddress(const void* data, uint32_t size)
{
    if (!data)
        return kStatusFailed;
    return ReadCharsetFrom(new (std::nothrow) UtilsStream_Static(kStreamRead, const_cast<void*>(data), size));
}

Status CVornelFontEx::LoadFontCharsetFromPacker(PackRecord* pEntry)
{
    if (!pEntry)
        return kStatusFailed;
    return ReadCharsetFrom(new (std::nothrow) UtilsStream_Packer(kStreamRead, pEntry));
}

Status CVornelFontEx::LoadFontCharsetFromFile(const char16_t* path)
{
    if (!path)
        return kStatusFailed;
    return ReadCharsetFrom(new (std::nothrow) UtilsStream_File(kStreamRead, path));
}

// ---- pages --------------------------------------------------------------------------------------

Status CVornelFontEx::SetPageTextures(C3DTexture** textures, uint32_t count)
{
    if (count > m_nTextureCount || (count && !textures) || !m_pObject)
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i)
        m_pObject->SetTexture(textures[i], i, 0);
    return kStatusOk;
}

void CVornelFontEx::RemapText(char16_t* text)
{
    for (char16_t* c = text; c && *c; ++c) {
        const uint32_t page = *c >> 8, r = *c & 0xFF;
        if (page < m_nPageCount && r < m_pPages[page].remapLength)
            *c = m_pPages[page].pRemap[r];
    }
}

const CharRect* CVornelFontEx::FindCell(char16_t code, const FontMetrics** metrics) const
{
    const uint32_t page = code >> 8;
    if (page >= m_nPageCount || !m_pCharTable || !m_pMetrics || IsAbsent(m_pCharTable[code]))
        return nullptr;
    *metrics = &m_pMetrics[page];
    return &m_pCharTable[code];
}

void CVornelFontEx::StartQuads()
{
    for (uint32_t p = 0; p < m_nPageCount; ++p)
        m_pQuadCounts[p] = 0;
}

uint32_t CVornelFontEx::PlaceQuad(char16_t code)
{
    const uint32_t page = code >> 8;
    const uint32_t first = page * m_nMaxCharsPerRender * kVerticesPerChar + m_pQuadCounts[page];
    m_pQuadCounts[page] += kVerticesPerChar;
    return first;
}

void CVornelFontEx::FinishQuads()
{
    for (uint32_t p = 0; p < m_nPageCount; ++p) {
        const uint32_t start = p * m_nMaxCharsPerRender * kVerticesPerChar, count = m_pQuadCounts[p];
        m_pObject->SetGroup(p, start, count, start, count, count / 3, kPrimitiveTriangleList, m_nDrawingMode,
                            kGroupIdOwnNumber);
    }
}

uint32_t CVornelFontEx::WrapText(float scale, uint32_t unused, const char16_t* source, char16_t* destination,
                                 uint32_t capacity, uint16_t maxWidth, char16_t breakChar, const char16_t* noBreakAfter,
                                 const char16_t* noBreakBefore)
{
    if (!source)
        return CVornelFont::WrapText(scale, unused, source, destination, capacity, maxWidth, breakChar, noBreakAfter,
                                     noBreakBefore, 0);
    // Codes beyond the pages have no place in a line: they are left out of the copy.
    size_t length = 0;
    while (source[length])
        ++length;
    std::unique_ptr<char16_t[]> kept(new (std::nothrow) char16_t[length + 1]);
    if (!kept) {
        if (destination && capacity)
            destination[0] = 0;
        return 0;
    }
    size_t out = 0;
    for (size_t i = 0; i < length; ++i)
        if (source[i] == u'\n' || uint32_t(source[i] >> 8) < m_nPageCount)
            kept[out++] = source[i];
    kept[out] = 0;
    return CVornelFont::WrapText(scale, unused, kept.get(), destination, capacity, maxWidth, breakChar, noBreakAfter,
                                 noBreakBefore, 0);
}
