#pragma once
// The text an element carries: a wide text laid out into the element's box on the screen with
// one of the engine's fonts, split into line records (the pages), drawn a page at a time (or
// every line at once), with page buttons drawn by the extra-text manager beside the box, tests
// of the cursor and of clicks on its lines and buttons, and its lines saved and loaded.
//
// Modes: 0 and 5 show one page at a time and report clicks on their two button zones (5 also
// draws buttons 2 and 3 and lays a text that does not fit out over several pages); 1 pages with
// previous and next buttons shown where a move is possible; 3 pages, clickable lines going on;
// 4 shows all lines at once.
//
// Boxes, positions and the points given to the tests are screen units (what the view matrices
// give and the pointer reports).
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class CVornelFont;
class UtilsStream;

enum ExtraTextMode : uint32_t {
    kExtraTextSinglePage = 0,
    kExtraTextPaged = 1,
    kExtraTextClickThrough = 3,
    kExtraTextAllLines = 4,
    kExtraTextButtonPages = 5,
};

// Line flags: a click on the line selects it (its code in mode 4, the next page otherwise); the
// line is clickable (the clickable cursor, and drawn with the font's highlight).
constexpr uint32_t kExtraLineSelects = 0x1;
constexpr uint32_t kExtraLineClickable = 0x2;
// What GetStyleCode answers for a text without lines.
constexpr uint32_t kExtraTextNoStyle = 6;
// The third style word: digits of a number go through the strings manager's character table.
constexpr uint32_t kExtraTextRemappedDigits = 2;

// How a text sits in its box: its style code (kept by every line), the alignment bytes and the
// digit word of numbers.
struct ExtraTextStyle {
    uint32_t code;
    uint8_t right;      // W - w added to the left
    uint8_t centreX;    // (W - w) / 2 added
    uint8_t centreY;    // (H - h) / 2 added
    uint32_t digits;    // kExtraTextRemappedDigits, or 0
};

// What a layout needs beside the text: the box (left, top, right, bottom) and the matrix that
// projects it to the screen (null: the box is in screen units already), the glyph size before
// the game's text scale, the mode, the font and the style.
struct ExtraTextLayout {
    CVornelFont* pFont;
    float box[4];
    const float* pMatrix;
    float glyph[2];
    uint32_t mode;
    ExtraTextStyle style;
};

// One line record (one page outside mode 4).
struct ExtraTextLine {
    char16_t* pText;    // owned
    float glyph[2];     // before the text scale and the line's scale
    float position[3];
    float box[4];       // left, top, right, bottom
    float scale;
    uint32_t style;
    uint8_t flags;      // kExtraLineSelects, kExtraLineClickable
    uint32_t code;      // what a click on it gives in mode 4
};

class CExtraDimTextBase : public CBaseObject {
public:
    explicit CExtraDimTextBase(WorldData* pWorldData);
    ~CExtraDimTextBase() override;

    // Clears, then lays the text out into the box (the mode and the font kept); the measured
    // size (w, h) to pMeasured when given. kStatusFailed without a font or for a box of no
    // width or height; kStatusOutOfMemory (latched).
    virtual Status Layout(const char16_t* text, const ExtraTextLayout& layout, float* pMeasured);
    // Mode 1, no lines, page 0. 0.
    virtual Status Clear();
    // The per-frame step of texts that change by themselves (the number). 0.
    virtual Status Step(float frames);
    // Mode 4: every line; else the current page and its buttons. The colour carries the alpha
    // in its top byte; pOffset (x, y) moves the lines, null for none. kStatusFailed without a
    // font.
    virtual Status Draw(uint32_t color, const float* pOffset);
    // 0 when the point lies where the cursor shows "clickable" (a clickable line, a page button
    // that would act), else kStatusFailed.
    virtual Status CursorTest(float x, float y);
    // A click at the point: the line's code (mode 4), 1 or 2 for the left or right button zone
    // (modes 0 and 5), 0 after a page move; kStatusFailed when nothing takes it.
    virtual Status Click(float x, float y);
    // The mode, the lines, then what the derived class keeps. Load replaces every line; a
    // count or text that the bytes left cannot hold fails (kStatusFailed), no lines kept.
    virtual Status Load(UtilsStream* pStream);
    virtual Status Save(UtilsStream* pStream);
    virtual bool IsEmpty() const { return m_lineCount == 0; }
    // False only outside mode 5 with exactly one line.
    virtual bool IsPaged() const { return m_mode == kExtraTextButtonPages || m_lineCount != 1; }
    // The current line's style code; kExtraTextNoStyle without lines.
    virtual uint32_t GetStyleCode() const;
    // Appends a line with a copy of the text. kStatusOutOfMemory (latched).
    virtual Status AddLine(const char16_t* text, uint32_t style, uint8_t flags, uint32_t code, const float* glyph,
                           const float* position, const float* box, float scale);

    uint32_t GetMode() const { return m_mode; }
    uint32_t GetLineCount() const { return m_lineCount; }
    uint32_t GetPage() const { return m_page; }
    const ExtraTextLine* GetLine(uint32_t i) const { return i < m_lineCount ? &m_pLines[i] : nullptr; }
    CVornelFont* GetFont() const { return m_pFont; }
    void SetFont(CVornelFont* pFont) { m_pFont = pFont; }

protected:
    // The page buttons in screen units (the extra-text manager's size through the interface
    // view); false without the manager.
    bool ButtonSize(float* pWidth, float* pHeight) const;
    // The two button zones of the current page: two button widths in from each end of its box,
    // one button height about its bottom line.
    bool InLeftZone(float x, float y) const;
    bool InRightZone(float x, float y) const;
    // What the derived class keeps after the lines, written and read back; false on a short
    // stream (the load then keeps no lines).
    virtual bool SaveOwn(UtilsStream*) { return true; }
    virtual bool LoadOwn(UtilsStream*) { return true; }
    // Layout without the Clear: the text's lines go after those there are.
    Status AppendLayout(const char16_t* text, const ExtraTextLayout& layout, float* pMeasured);
    float TextScale() const;
    Status OutOfMemory();

    uint32_t m_mode = kExtraTextPaged;
    CVornelFont* m_pFont = nullptr;
    ExtraTextLine* m_pLines = nullptr;
    uint32_t m_lineCount = 0;
    uint32_t m_page = 0;

private:
    bool InZone(float left, float x, float y) const;
    void DrawButtons();
    void DrawButton(uint32_t button, float x, float y);
    // One line record of the whole (wrapped) text aligned in the screen box.
    Status AddAlignedLine(const char16_t* text, const ExtraTextLayout& layout, const float* box, float scale,
                          float* pMeasured);
};
