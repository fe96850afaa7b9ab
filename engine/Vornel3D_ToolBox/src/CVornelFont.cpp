// The font's life (Init, Load as a second user of a sheet, Unload), its cell table and the
// prepared glyph pairs: sheet picture and glyph table from a block, a pack entry or a file.
#include "Vornel3D_ToolBox/CVornelFont.h"

#include <cstring>
#include <functional>
#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

// The object of a screen font and of a 3D font: its flags and creation words.
constexpr uint32_t kScreenObjectFlags = 0x28010;
constexpr uint32_t k3DObjectFlags = 0x28002;
constexpr uint32_t kFontObjectCreation = 0x20C29;

constexpr uint32_t kVerticesPerChar = 6;

// Closes and deletes a glyph-table stream; its status passes through.
Status DropStream(UtilsStream* pStream, Status status)
{
    pStream->Close();
    delete pStream;
    return status;
}

}  // namespace

CVornelFont::CVornelFont(WorldData* pWorldData) : CBaseObject(pWorldData) {}

CVornelFont::~CVornelFont()
{
    FreeTables();
}

Status CVornelFont::LatchOutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status CVornelFont::AllocateTables()
{
    FreeTables();
    m_pCharTable = new (std::nothrow) CharRect[kFontCharCount]();
    m_pMetrics = new (std::nothrow) FontMetrics[1]();
    return m_pCharTable && m_pMetrics ? kStatusOk : LatchOutOfMemory();
}

void CVornelFont::FreeTables()
{
    delete[] m_pCharTable;
    m_pCharTable = nullptr;
    delete[] m_pMetrics;
    m_pMetrics = nullptr;
}

Status CVornelFont::CreateBuffers(uint32_t maxChars)
{
    // Indices are 16 bits wide: 6 a character keeps a chunk within 65535 vertices.
    if (maxChars == 0 || maxChars > 0xFFFF / kVerticesPerChar)
        return kStatusFailed;
    const uint32_t count = kVerticesPerChar * maxChars;
    if (Failed(m_pObject->Create(1, count, count)))
        return LatchOutOfMemory();
    m_pObject->Lock(0, 1);
    m_pObject->ResetIndices();
    m_pObject->Unlock(0);
    return kStatusOk;
}

Status CVornelFont::Init(uint32_t fontType, uint32_t flags, uint32_t maxChars)
{
    Status status = CreateFontObject(fontType, flags, maxChars);
    if (Failed(status) || Failed(status = CreateBuffers(maxChars)))
        return status;
    return AllocateTables();
}

Status CVornelFont::CreateFontObject(uint32_t fontType, uint32_t flags, uint32_t maxChars)
{
    if (m_pObject)
        Unload();
    m_nFontType = fontType;
    m_nMaxCharsPerRender = maxChars;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine) {
        if (flags & kFontScreenObject)
            m_pObject = engine->CreateObject(kScreenObjectFlags, kFontObjectCreation);
        else if (flags & kFont3DObject)
            m_pObject = engine->CreateObject(k3DObjectFlags, kFontObjectCreation);
    }
    if (!m_pObject) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusKindNotHandled;
        return kStatusKindNotHandled;
    }
    if (flags & kFontFaceBoth)
        m_nDrawingMode = 0;
    else if (flags & kFontFaceCounterClockwise)
        m_nDrawingMode = 2;
    else if (flags & kFontFaceClockwise)
        m_nDrawingMode = 1;
    return kStatusOk;
}

Status CVornelFont::Load(CVornelFont* pSource, uint32_t maxChars)
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    C3DObject* source = pSource ? pSource->m_pObject : nullptr;
    if (!engine || !source || !pSource->m_pCharTable || !pSource->m_pMetrics)
        return kStatusFailed;
    if (m_pObject)
        Unload();
    m_pObject = engine->CreateObject(source->GetFlags(), source->GetCreationWord());
    if (!m_pObject)
        return kStatusFailed;
    m_nFontType = pSource->m_nFontType;
    m_nMaxCharsPerRender = maxChars;
    m_nDrawingMode = pSource->m_nDrawingMode;
    Status status = CreateBuffers(maxChars);
    if (Failed(status))
        return status == kStatusOutOfMemory ? status : LatchOutOfMemory();
    if (Failed(status = AllocateTables()))
        return status;
    std::memcpy(m_pCharTable, pSource->m_pCharTable, sizeof(CharRect) * kFontCharCount);
    *m_pMetrics = *pSource->m_pMetrics;
    const uint32_t groups = source->GetGroupCount() < m_pObject->GetGroupCount() ? source->GetGroupCount()
                                                                                 : m_pObject->GetGroupCount();
    for (uint32_t g = 0; g < groups; ++g)
        m_pObject->SetTexture(source->GetTexture(g, 0), g, 0);
    return kStatusOk;
}

Status CVornelFont::Unload()
{
    m_pChunkStart = nullptr;
    m_pRemainingText = nullptr;
    if (m_pObject) {
        if (C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData))
            engine->ReleaseObject(m_pObject);
        m_pObject = nullptr;
    }
    FreeTables();
    return kStatusOk;
}

C3DTexture* CVornelFont::GetTexture(uint32_t group)
{
    return m_pObject ? m_pObject->GetTexture(group, 0) : nullptr;
}

void CVornelFont::SetCharRect(uint32_t code, const CharRect& rect)
{
    if (m_pCharTable && code < kFontCharCount)
        m_pCharTable[code] = rect;
}

const CharRect* CVornelFont::FindCell(char16_t code, const FontMetrics** metrics) const
{
    if (code >= kFontCharCount || !m_pCharTable || !m_pMetrics || IsAbsent(m_pCharTable[code]))
        return nullptr;
    *metrics = m_pMetrics;
    return &m_pCharTable[code];
}

float CVornelFont::CharWidth(char16_t code, float scale) const
{
    const FontMetrics* metrics = nullptr;
    const CharRect* r = FindCell(code, &metrics);
    if (!r || metrics->charHeight == 0)
        return 0.0f;
    return (r->right - r->left) * metrics->sheetWidth / float(metrics->charHeight) * scale;
}

// ---- glyph tables ---------------------------------------------------------------------------

Status CVornelFont::ReadGlyphTable(UtilsStream* pStream)
{
    if (!pStream)
        return kStatusFailed;
    for (uint32_t i = 0; i < kGlyphTableRecords; ++i) {
        float values[4];
        if (!pStream->Read(values, 4, 4))
            return kStatusFailed;
        SetCharRect(kGlyphTableFirstCode + i, CharRect{values[0], values[1], values[2], values[3]});
    }
    uint8_t record[kFontMetricsSize];
    if (!pStream->Read(record, kFontMetricsSize, 1))
        return kStatusFailed;
    if (m_pMetrics) {
        m_pMetrics->charHeight = record[0];
        std::memcpy(&m_pMetrics->sheetWidth, record + 4, 4);
        std::memcpy(&m_pMetrics->sheetHeight, record + 8, 4);
    }
    return kStatusOk;
}

Status CVornelFont::ReadFromNewStream(UtilsStream* pStream, const std::function<Status(UtilsStream*)>& read)
{
    if (!pStream)
        return LatchOutOfMemory();
    if (Failed(pStream->Open())) {
        delete pStream;
        return kStatusFailed;
    }
    return DropStream(pStream, read(pStream));
}

Status CVornelFont::ReadGlyphTableFrom(UtilsStream* pStream)
{
    return ReadFromNewStream(pStream, [this](UtilsStream* stream) {
        uint16_t version = 0;
        if (!stream->Read(&version, 2, 1) || version != kGlyphTableVersion)
            return kStatusFailed;
        return ReadGlyphTable(stream);
    });
}

Status CVornelFont::MakeGlyphTableFromAddress(const void* data, uint32_t size)
{
    // A table is 4110 bytes long: a block of any other size holds no table.
    if (!data || size != kGlyphTableSize)
        return kStatusFailed;
    return ReadGlyphTableFrom(new (std::nothrow) UtilsStream_Static(kStreamRead, const_cast<void*>(data), size));
}

Status CVornelFont::LoadGlyphTableFromPacker(PackRecord* pEntry)
{
    if (!pEntry)
        return kStatusFailed;
    return ReadGlyphTableFrom(new (std::nothrow) UtilsStream_Packer(kStreamRead, pEntry));
}

Status CVornelFont::LoadGlyphTableFromFile(const char16_t* path)
{
    if (!path)
        return kStatusFailed;
    return ReadGlyphTableFrom(new (std::nothrow) UtilsStream_File(kStreamRead, path));
}

// ---- glyph sheets ---------------------------------------------------------------------------

Status CVornelFont::MakeGlyphTextureFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    if (!m_pObject || !data || size == 0)
        return kStatusFailed;
    // Prepared sheets are PNG pictures; the decoder goes by the name.
    return Failed(m_pObject->MakeTextureFromAddress(kFontTextureKind, kFontTextureFlags, data, size, 0,
                                                    name ? name : u"glyph.png"))
               ? kStatusFailed
               : kStatusOk;
}

Status CVornelFont::LoadGlyphTextureFromPacker(PackRecord* pEntry)
{
    if (!pEntry)
        return kStatusOk;
    if (!m_pObject)
        return kStatusFailed;
    return Failed(m_pObject->LoadTextureFromPacker(kFontTextureKind, kFontTextureFlags, pEntry, 0)) ? kStatusFailed
                                                                                                   : kStatusOk;
}

Status CVornelFont::LoadGlyphTextureFromFile(const char16_t* path)
{
    if (!m_pObject || !path || !path[0])
        return kStatusFailed;
    return Failed(m_pObject->LoadTextureFromFile(kFontTextureKind, kFontTextureFlags, path, 0)) ? kStatusFailed
                                                                                               : kStatusOk;
}

Status CVornelFont::MakeFontGlyphFromAddress(const void* texture, uint32_t textureSize, const void* table,
                                             uint32_t tableSize, const char16_t* textureName)
{
    if (Failed(MakeGlyphTextureFromAddress(texture, textureSize, textureName)))
        return kStatusFailed;
    return MakeGlyphTableFromAddress(table, tableSize);
}

Status CVornelFont::LoadFontGlyphFromPacker(PackRecord* pTexture, PackRecord* pTable)
{
    if (pTexture && Failed(LoadGlyphTextureFromPacker(pTexture)))
        return kStatusFailed;
    return pTable ? LoadGlyphTableFromPacker(pTable) : kStatusOk;
}

Status CVornelFont::LoadFontGlyphFromFile(const char16_t* texturePath, const char16_t* tablePath)
{
    if (Failed(LoadGlyphTextureFromFile(texturePath)))
        return kStatusFailed;
    return LoadGlyphTableFromFile(tablePath);
}
