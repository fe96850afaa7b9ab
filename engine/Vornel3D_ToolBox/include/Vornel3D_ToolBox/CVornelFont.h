#pragma once
// A font drawn from one sheet texture: every character a cell of the sheet, found by its code
// in a 256-entry table, drawn as one textured quad into a screen object of the 3D engine, in
// chunks of at most m_nMaxCharsPerRender characters. The sheet comes from a bitmap picture
// with its cell grid in settings text, from a TrueType face rasterised at load time, or from a
// prepared pair (a PNG sheet and a ".glyph" table) that RenderTTF writes ahead of time.
//
// Life: construct -> Init (or Load from a loaded font, sharing its sheet) -> one sheet source
// -> draw any number of times -> Unload -> delete.
//
// Text is UTF-16; this font has cells for codes below 256 only, and any other code is an
// absent character: skipped in drawing, measuring, wrapping and hit testing.
#include <cstdint>
#include <functional>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D_ToolBox/FontRecords.h"
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DObject;
class C3DTexture;
class UtilsParameters;
class UtilsStream;
struct PackRecord;

// The font kinds (also the managed world's LOAD_FONT_TYPE).
constexpr uint32_t kFontTrueType = 0;
constexpr uint32_t kFontGlyph = 1;
constexpr uint32_t kFontCharset = 2;
constexpr uint32_t kFontNone = 3;

// Init flags: the object is a screen object (1) or a 3D object with normals (2); the drawing
// mode (the draw group's face mode) is 0 with 4, else 2 with 16, else 1.
constexpr uint32_t kFontScreenObject = 0x01;
constexpr uint32_t kFont3DObject = 0x02;
constexpr uint32_t kFontFaceBoth = 0x04;
constexpr uint32_t kFontFaceClockwise = 0x08;
constexpr uint32_t kFontFaceCounterClockwise = 0x10;

// The sheet texture: shareable by name, alpha from the coverage.
constexpr uint32_t kFontTextureKind = 1;
constexpr uint32_t kFontTextureFlags = 0x52;

// A point over a text box of `size` at `position` (strict on every edge); with
// kTextTallHitBox the box grows by 0.75 x its height above and below, with kTextTurned the
// box is turned onto the screen as drawing turns it.
bool HitTest(const char16_t* text, const C3DVector3& size, uint32_t flags, const C3DVector3& position,
             const C3DVector2& point, float screenHeight);

class CVornelFont : public CBaseObject {
public:
    explicit CVornelFont(WorldData* pWorldData);
    // Frees the tables; Unload has released the object.
    ~CVornelFont() override;

    // Shares a loaded font's sheet: an object of its own with the source object's creation
    // words, the drawing mode, cells and metrics copied, and each group's texture on stage 0.
    // kStatusFailed without an object, kStatusOutOfMemory (latched) when buffers fail.
    virtual Status Load(CVornelFont* pSource, uint32_t maxChars);
    // Stores the kind and the chunk size and makes the object (see the flags above) with one
    // group of 6 x maxChars vertices and identity indices, and empty tables.
    // kStatusKindNotHandled (latched) without an object; kStatusOutOfMemory (latched).
    virtual Status Init(uint32_t fontType, uint32_t flags, uint32_t maxChars);
    // Releases the object and the tables. 0.
    virtual Status Unload();

    // ---- drawing --------------------------------------------------------------------------
    // Draws the text at (x, y) aligned by the flags, chunk by chunk. The result: the pen x
    // after the last character, the bottom of the last line, and 1.0 when the hit point lies
    // over the text (else 0.0). table: offsets per code (kTextOffsets, stride bytes a code),
    // the angle (kTextRotate) or the 16 floats of the matrix (kTextMatrix).
    virtual C3DVector3 DrawText(const char16_t* text, float x, float y, float z, uint32_t flags, uint32_t color,
                                float scaleX, float scaleY, const C3DVector2* hitPoint, const void* table,
                                uint32_t stride);
    // Fills the object with the quads of the next chunk of the remaining text, from the pen;
    // a line feed returns to lineStartX. The pen after it (y: the bottom of the last line, or
    // the pen y itself when the chunk stopped at the maximum), and 0.
    virtual C3DVector3 BuildChunk(const char16_t* text, float lineStartX, float penX, float penY, float z,
                                  uint32_t flags, uint32_t vertexColor, float scaleX, float scaleY,
                                  const C3DVector2* hitPoint, const void* table, uint32_t stride);
    // Draws the object: first its shadow with kTextShadow, then in its colour.
    virtual void RenderChunk(uint32_t flags, const void* transform, uint32_t unused);

    // ---- sheets ----------------------------------------------------------------------------
    // A bitmap sheet: the picture on stage 0, then the grid of the settings' "FONT" section.
    virtual Status MakeTextureFromAddress(UtilsParameters* pSettings, const char16_t* name, const void* data,
                                          uint32_t size);
    virtual Status LoadTextureFromPacker(UtilsParameters* pSettings, PackRecord* pEntry);
    virtual Status LoadTextureFromFile(UtilsParameters* pSettings, const char16_t* path);
    // A live TrueType sheet at the character height (its low byte), cells `spacing` pixels
    // wider than the advances (its low byte).
    virtual Status MakeFontTTFFromAddress(const char16_t* name, const void* data, uint32_t size,
                                          uint32_t charHeight, uint32_t spacing);
    virtual Status LoadFontTTFFromPacker(PackRecord* pEntry, uint32_t charHeight, uint32_t spacing);
    virtual Status LoadFontTTFFromFile(const char16_t* path, uint32_t charHeight, uint32_t spacing);
    // Writes the prepared pair beside the face: "%s.%dx%d.%d.%d.png" and ".glyph" of (path,
    // 1024, sheet height, height, spacing). The cells stay; the metrics become the sheet's.
    virtual Status RenderTTF(const char16_t* path, uint32_t charHeight, uint32_t spacing);
    // A prepared pair from stored blocks (the sheet decoded as the name says, PNG without one;
    // a table block is exactly 4110 bytes), from pack entries (null: not that part), or files.
    virtual Status MakeFontGlyphFromAddress(const void* texture, uint32_t textureSize, const void* table,
                                            uint32_t tableSize, const char16_t* textureName = nullptr);
    virtual Status MakeGlyphTextureFromAddress(const void* data, uint32_t size, const char16_t* name = nullptr);
    virtual Status MakeGlyphTableFromAddress(const void* data, uint32_t size);
    virtual Status LoadFontGlyphFromPacker(PackRecord* pTexture, PackRecord* pTable);
    virtual Status LoadGlyphTextureFromPacker(PackRecord* pEntry);
    virtual Status LoadGlyphTableFromPacker(PackRecord* pEntry);
    virtual Status LoadFontGlyphFromFile(const char16_t* texturePath, const char16_t* tablePath);
    virtual Status LoadGlyphTextureFromFile(const char16_t* path);
    virtual Status LoadGlyphTableFromFile(const char16_t* path);

    // ---- layout -----------------------------------------------------------------------------
    // (width, height, 0): the widest line with the sign of scaleX, |scaleY| x the lines.
    virtual C3DVector3 GetTextSize(const char16_t* text, float scaleX, float scaleY);
    // The position moved by the alignment flags against the screen (virtual units).
    virtual C3DVector3 AlignPosition(float x, float y, float z, uint32_t flags, const C3DVector3& size);
    // Each line of the text padded in front with half of the padding characters that make it
    // as wide as the widest; the number of lines, -1 above 4096 characters or out of memory.
    virtual int32_t CentreLines(char16_t* text, uint32_t capacity, float scaleX, float scaleY, char16_t padding,
                                char16_t separator);
    // Copies source into destination (capacity characters, terminator included) with line
    // feeds where a line would pass maxWidth: at the last break character, else before the
    // character that passes it. A break character right after one of noBreakAfter or right
    // before one of noBreakBefore is no break; without keepTrailing a break character that
    // ends the text is dropped. The destination's length.
    virtual uint32_t WrapText(float scale, uint32_t unused, const char16_t* source, char16_t* destination,
                              uint32_t capacity, uint16_t maxWidth, char16_t breakChar,
                              const char16_t* noBreakAfter, const char16_t* noBreakBefore, uint8_t keepTrailing);
    // Ends the text at the first character that takes it past maxWidth: true when cut.
    virtual bool TruncateText(float scale, char16_t* text, uint16_t maxWidth);
    // Whether the hit point lies over the text as DrawText would place it (false without flags).
    virtual bool HitTestText(const char16_t* text, float x, float y, float z, uint32_t flags, uint32_t color,
                             float scaleX, float scaleY, const C3DVector2* hitPoint, const void* table,
                             uint32_t stride);

    // The texture on stage 0 of a draw group of the object.
    virtual C3DTexture* GetTexture(uint32_t group);
    // 256 cells and the metrics from the stream (after the version); kStatusFailed on a short
    // read, the cells read before it kept.
    virtual Status ReadGlyphTable(UtilsStream* pStream);

    // Stores a code's cell; codes from 256 up are ignored.
    void SetCharRect(uint32_t code, const CharRect& rect);
    // The grid of a bitmap sheet: each code with a key in the settings' "FONT" section gets
    // the cell "COLUMN.ROW" (from 1) of cells of that size in texture units.
    void LoadCharset(UtilsParameters* pSettings, float cellWidth, float cellHeight);

    // A character's width in text units at this horizontal scale; 0 for an absent one.
    float CharWidth(char16_t code, float scale) const;

    uint32_t GetFontType() const { return m_nFontType; }
    uint32_t GetDrawingMode() const { return m_nDrawingMode; }
    uint32_t GetMaxCharsPerRender() const { return m_nMaxCharsPerRender; }
    C3DObject* GetObject() const { return m_pObject; }
    // Null before Init.
    const CharRect* GetCharTable() const { return m_pCharTable; }
    const FontMetrics* GetMetrics() const { return m_pMetrics; }
    FontMetrics* GetMetrics() { return m_pMetrics; }
    const char16_t* GetRemainingText() const { return m_pRemainingText; }

protected:
    // A code's cell and the metrics of its sheet; null for a code without a cell (absent, or
    // beyond the sheets).
    virtual const CharRect* FindCell(char16_t code, const FontMetrics** metrics) const;
    // The quads of a chunk: StartQuads before the first, PlaceQuad gives the vertex a
    // character's quad starts at, FinishQuads sets the draw groups over what was written.
    virtual void StartQuads();
    virtual uint32_t PlaceQuad(char16_t code);
    virtual void FinishQuads();
    // Whether a chunk over the hit point brightens its vertex colour.
    virtual bool BrightensOnHover(uint32_t flags) const { return (flags & kTextHighlight) != 0; }

    // Unloads, stores the kind and the chunk size, makes the object and sets the drawing mode.
    Status CreateFontObject(uint32_t fontType, uint32_t flags, uint32_t maxChars);
    // Creates the object's group and identity indices for maxChars characters.
    Status CreateBuffers(uint32_t maxChars);
    Status AllocateTables();
    void FreeTables();
    Status LatchOutOfMemory();
    // A live sheet from an opened face: fitted, laid out, made into the texture of every group.
    Status MakeLiveSheet(class CFontFace& face, uint32_t charHeight, uint32_t spacing);
    // The grid of a bitmap sheet after its texture: NB_COL x NB_ROW, cells and metrics.
    Status ReadCharsetGrid(UtilsParameters* pSettings);
    // Opens a new stream of a source (null: out of memory, latched), reads it with `read`,
    // closes and deletes it: read's status, or kStatusFailed when it does not open.
    Status ReadFromNewStream(UtilsStream* pStream, const std::function<Status(UtilsStream*)>& read);
    // A glyph table from a stream of the source: version 2, then ReadGlyphTable.
    Status ReadGlyphTableFrom(UtilsStream* pStream);

    uint32_t m_nFontType = kFontNone;
    CharRect* m_pCharTable = nullptr;
    FontMetrics* m_pMetrics = nullptr;
    const char16_t* m_pChunkStart = nullptr;
    const char16_t* m_pRemainingText = nullptr;
    uint32_t m_nDrawingMode = 1;
    uint32_t m_nMaxCharsPerRender = kFontDefaultMaxChars;
    C3DObject* m_pObject = nullptr;
    uint32_t m_nQuads = 0;  // quads of the chunk being written
};
