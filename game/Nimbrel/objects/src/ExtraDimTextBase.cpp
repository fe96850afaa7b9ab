// The element text's lines: the layout into the element's box, the page buttons, the cursor and
// click tests, and the saved lines.
#include "NimbrelObjects/CExtraDimTextBase.h"

#include <cstring>

#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Button indexes of the extra-text sheet.
constexpr uint32_t kButtonNext = 0;
constexpr uint32_t kButtonPrevious = 1;
constexpr uint32_t kButtonLeft = 2;
constexpr uint32_t kButtonRight = 3;

// The smallest stored line: an empty text (its count word) and thirteen words.
constexpr int64_t kSavedLineMinimum = 4 + 13 * 4;

CNimbrelWorld* GameWorld(WorldData* w) { return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr; }

const CStringsManager* Strings(WorldData* w)
{
    const CNimbrelWorld* world = GameWorld(w);
    return world ? world->GetStringsManager() : nullptr;
}

// The space as the font's code space has it (indexed tables remap every character).
char16_t Space(const CStringsManager* strings)
{
    const uint16_t* table = strings ? strings->GetRemapTable() : nullptr;
    return table && u' ' < strings->GetRemapLength() && table[u' '] ? char16_t(table[u' ']) : u' ';
}

bool Inside(const float* box, float x, float y) { return box[0] < x && x < box[2] && box[1] < y && y < box[3]; }

template <typename T>
bool Put(UtilsStream* s, T value)
{
    return s->Write(&value, sizeof value, 1);
}

template <typename T>
bool Get(UtilsStream* s, T* value)
{
    return s->Read(value, sizeof *value, 1);
}

}  // namespace

CExtraDimTextBase::CExtraDimTextBase(WorldData* pWorldData) : CBaseObject(pWorldData) {}

CExtraDimTextBase::~CExtraDimTextBase() { CExtraDimTextBase::Clear(); }

Status CExtraDimTextBase::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

float CExtraDimTextBase::TextScale() const
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    return game && game->screen.textScale > 0.0f ? game->screen.textScale : 1.0f;
}

Status CExtraDimTextBase::Clear()
{
    for (uint32_t i = 0; i < m_lineCount; ++i)
        UTILS_FREE(m_pLines[i].pText);
    UTILS_FREE(m_pLines);
    m_pLines = nullptr;
    m_lineCount = 0;
    m_page = 0;
    m_mode = kExtraTextPaged;
    return kStatusOk;
}

Status CExtraDimTextBase::Step(float) { return kStatusOk; }

Status CExtraDimTextBase::AddLine(const char16_t* text, uint32_t style, uint8_t flags, uint32_t code,
                                  const float* glyph, const float* position, const float* box, float scale)
{
    char16_t* copy = UtilsString_DupW(text ? text : u"");
    auto* lines = copy ? static_cast<ExtraTextLine*>(UTILS_REALLOC(m_pLines, (m_lineCount + 1) * sizeof *m_pLines))
                       : nullptr;
    if (!lines) {
        UTILS_FREE(copy);
        return OutOfMemory();
    }
    m_pLines = lines;
    ExtraTextLine& line = m_pLines[m_lineCount++];
    line.pText = copy;
    std::memcpy(line.glyph, glyph, sizeof line.glyph);
    std::memcpy(line.position, position, sizeof line.position);
    std::memcpy(line.box, box, sizeof line.box);
    line.scale = scale;
    line.style = style;
    line.flags = flags;
    line.code = code;
    return kStatusOk;
}

uint32_t CExtraDimTextBase::GetStyleCode() const
{
    return m_page < m_lineCount ? m_pLines[m_page].style : kExtraTextNoStyle;
}

// ---- layout ------------------------------------------------------------------------------------

Status CExtraDimTextBase::AddAlignedLine(const char16_t* text, const ExtraTextLayout& layout, const float* box,
                                         float scale, float* pMeasured)
{
    const float ts = TextScale() * scale;
    const C3DVector3 size = m_pFont->GetTextSize(text, layout.glyph[0] * ts, layout.glyph[1] * ts);
    const float spareX = (box[2] - box[0]) - size.x, spareY = (box[3] - box[1]) - size.y;
    float position[3] = {box[0], box[1], 0.0f};
    if (layout.style.right)
        position[0] += spareX;
    else if (layout.style.centreX)
        position[0] += spareX * 0.5f;
    if (layout.style.centreY)
        position[1] += spareY * 0.5f;
    if (pMeasured) {
        pMeasured[0] = size.x;
        pMeasured[1] = size.y;
    }
    return AddLine(text, layout.style.code, 0, 0, layout.glyph, position, box, scale);
}

Status CExtraDimTextBase::Layout(const char16_t* text, const ExtraTextLayout& layout, float* pMeasured)
{
    Clear();
    return AppendLayout(text, layout, pMeasured);
}

Status CExtraDimTextBase::AppendLayout(const char16_t* text, const ExtraTextLayout& layout, float* pMeasured)
{
    m_mode = layout.mode;
    m_pFont = layout.pFont;
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    if (!m_pFont || !text || (layout.pMatrix && !math))
        return kStatusFailed;

    // The box on the screen.
    float box[4] = {layout.box[0], layout.box[1], layout.box[2], layout.box[3]};
    if (layout.pMatrix) {
        C3DVector3 a, b;
        math->Vec3TransformCoord(&a, layout.box[0], layout.box[1], 0.0f, layout.pMatrix);
        math->Vec3TransformCoord(&b, layout.box[2], layout.box[3], 0.0f, layout.pMatrix);
        box[0] = a.x < b.x ? a.x : b.x;
        box[2] = a.x < b.x ? b.x : a.x;
        box[1] = a.y < b.y ? a.y : b.y;
        box[3] = a.y < b.y ? b.y : a.y;
    }
    const float W = box[2] - box[0], H = box[3] - box[1];
    if (!(W > 0.0f) || !(H > 0.0f))
        return kStatusFailed;

    // Wrapping only turns characters into line feeds or puts one before a character: twice the
    // text is room enough.
    const size_t length = UtilsString_Length(text);
    const uint32_t capacity = uint32_t(length * 2 + 2);
    auto* wrapped = static_cast<char16_t*>(UTILS_MALLOC(capacity * sizeof(char16_t)));
    if (!wrapped)
        return OutOfMemory();
    const CStringsManager* strings = Strings(m_pWorldData);
    const char16_t* opening = strings ? strings->GetOpeningPunctuation() : u"";
    const char16_t* closing = strings ? strings->GetClosingPunctuation() : u"";
    const uint16_t width = uint16_t(W < 65535.0f ? W : 65535.0f);
    const float ts = TextScale();
    const auto wrap = [&](float scale) {
        m_pFont->WrapText(layout.glyph[0] * ts * scale, 0, text, wrapped, capacity, width, Space(strings), opening,
                          closing, 0);
    };
    wrap(1.0f);
    const C3DVector3 size = m_pFont->GetTextSize(wrapped, layout.glyph[0] * ts, layout.glyph[1] * ts);

    Status status = kStatusOk;
    if (size.y <= H || m_mode == kExtraTextSinglePage) {
        status = AddAlignedLine(wrapped, layout, box, 1.0f, pMeasured);
    } else if (m_mode == kExtraTextButtonPages) {
        // At least one line a page, however low the box or the line.
        const float lineHeight = layout.glyph[1] * ts;
        uint32_t perPage = lineHeight > 0.0f ? uint32_t(H / lineHeight) : 1;
        if (perPage == 0)
            perPage = 1;
        char16_t* piece = wrapped;
        uint32_t breaks = 0;
        for (char16_t* c = wrapped; Succeeded(status); ++c) {
            const bool end = *c == 0;
            if (!end && (*c != u'\n' || ++breaks % perPage != 0))
                continue;
            *c = 0;
            status = AddAlignedLine(piece, layout, box, 1.0f, pMeasured);
            if (end)
                break;
            piece = c + 1;
        }
    } else {
        // The text shrinks into the box.
        const float factor = H / size.y;
        wrap(factor);
        status = AddAlignedLine(wrapped, layout, box, factor, pMeasured);
    }
    UTILS_FREE(wrapped);
    return status;
}

// ---- drawing -----------------------------------------------------------------------------------

bool CExtraDimTextBase::ButtonSize(float* pWidth, float* pHeight) const
{
    const CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
    if (!extra)
        return false;
    // The buttons are drawn through the interface view, which scales them onto the screen.
    const float* m = m_pWorldData->game.view.matrixOverlay;
    *pWidth = extra->GetButtonWidth() * (m[0] != 0.0f ? m[0] : 1.0f);
    *pHeight = extra->GetButtonHeight() * (m[5] != 0.0f ? m[5] : 1.0f);
    return true;
}

void CExtraDimTextBase::DrawButton(uint32_t button, float x, float y)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    if (!extra || !math)
        return;
    // The manager places its buttons in the interface view's units.
    float inverse[16];
    math->InverseAffine(inverse, nullptr, m_pWorldData->game.view.matrixOverlay);
    C3DVector3 at;
    math->Vec3TransformCoord(&at, x, y, 0.0f, inverse);
    const float position[3] = {at.x, at.y, 0.0f};
    extra->DrawButton(button, position, 1.0f, 0);
}

void CExtraDimTextBase::DrawButtons()
{
    float bw = 0.0f, bh = 0.0f;
    if (m_page >= m_lineCount || !ButtonSize(&bw, &bh))
        return;
    const float* box = m_pLines[m_page].box;
    const float left = box[0] + bw * 0.5f, right = box[2] - bw * 0.5f;
    if (m_mode == kExtraTextButtonPages) {
        DrawButton(kButtonLeft, left, box[3]);
        DrawButton(kButtonRight, right, box[3]);
    } else if (m_mode == kExtraTextPaged && m_lineCount > 1) {
        if (m_page > 0)
            DrawButton(kButtonPrevious, left, box[3]);
        if (m_page + 1 < m_lineCount)
            DrawButton(kButtonNext, right, box[3]);
    }
}

Status CExtraDimTextBase::Draw(uint32_t color, const float* pOffset)
{
    if (!m_pFont)
        return kStatusFailed;
    const float dx = pOffset ? pOffset[0] : 0.0f, dy = pOffset ? pOffset[1] : 0.0f;
    const float ts = TextScale();
    const auto drawLine = [&](const ExtraTextLine& line) {
        const float s = ts * line.scale;
        const uint32_t flags = (line.flags & kExtraLineClickable) ? kTextHighlight : 0;
        m_pFont->DrawText(line.pText, line.position[0] + dx, line.position[1] + dy, line.position[2], flags, color,
                          line.glyph[0] * s, line.glyph[1] * s, nullptr, nullptr, 0);
    };
    if (m_mode == kExtraTextAllLines) {
        for (uint32_t i = 0; i < m_lineCount; ++i)
            drawLine(m_pLines[i]);
        return kStatusOk;
    }
    if (m_page < m_lineCount) {
        drawLine(m_pLines[m_page]);
        DrawButtons();
    }
    return kStatusOk;
}

// ---- the pointer ---------------------------------------------------------------------------------

bool CExtraDimTextBase::InZone(float left, float x, float y) const
{
    float bw = 0.0f, bh = 0.0f;
    if (m_page >= m_lineCount || !ButtonSize(&bw, &bh))
        return false;
    const float bottom = m_pLines[m_page].box[3];
    return left <= x && x <= left + 2.0f * bw && bottom - bh <= y && y <= bottom + bh;
}

bool CExtraDimTextBase::InLeftZone(float x, float y) const
{
    return m_page < m_lineCount && InZone(m_pLines[m_page].box[0], x, y);
}

bool CExtraDimTextBase::InRightZone(float x, float y) const
{
    float bw = 0.0f, bh = 0.0f;
    return m_page < m_lineCount && ButtonSize(&bw, &bh) && InZone(m_pLines[m_page].box[2] - 2.0f * bw, x, y);
}

Status CExtraDimTextBase::CursorTest(float x, float y)
{
    if (m_mode == kExtraTextAllLines) {
        for (uint32_t i = 0; i < m_lineCount; ++i)
            if ((m_pLines[i].flags & kExtraLineClickable) && Inside(m_pLines[i].box, x, y))
                return kStatusOk;
        return kStatusFailed;
    }
    if (m_page >= m_lineCount)
        return kStatusFailed;
    if (m_mode == kExtraTextSinglePage || m_mode == kExtraTextButtonPages)
        return InLeftZone(x, y) || InRightZone(x, y) ? kStatusOk : kStatusFailed;
    if ((InRightZone(x, y) && m_page + 1 < m_lineCount) || (InLeftZone(x, y) && m_page > 0))
        return kStatusOk;
    const ExtraTextLine& line = m_pLines[m_page];
    const bool lineCounts = (m_mode == kExtraTextPaged && m_lineCount >= 2) ||
                            (m_mode == kExtraTextClickThrough && (line.flags & kExtraLineClickable));
    return lineCounts && Inside(line.box, x, y) ? kStatusOk : kStatusFailed;
}

Status CExtraDimTextBase::Click(float x, float y)
{
    if (m_mode == kExtraTextAllLines) {
        for (uint32_t i = 0; i < m_lineCount; ++i)
            if ((m_pLines[i].flags & kExtraLineSelects) && Inside(m_pLines[i].box, x, y))
                return Status(m_pLines[i].code);
        return kStatusFailed;
    }
    if (m_page >= m_lineCount)
        return kStatusFailed;
    if (m_mode == kExtraTextSinglePage || m_mode == kExtraTextButtonPages)
        return InLeftZone(x, y) ? 1 : InRightZone(x, y) ? 2 : kStatusFailed;
    if (InRightZone(x, y) && m_page + 1 < m_lineCount) {
        ++m_page;
        return kStatusOk;
    }
    if (InLeftZone(x, y) && m_page > 0) {
        --m_page;
        return kStatusOk;
    }
    const ExtraTextLine& line = m_pLines[m_page];
    if (m_lineCount > 1 && (line.flags & kExtraLineSelects) && Inside(line.box, x, y)) {
        m_page = (m_page + 1) % m_lineCount;
        return kStatusOk;
    }
    return kStatusFailed;
}

// ---- saved lines ---------------------------------------------------------------------------------

Status CExtraDimTextBase::Save(UtilsStream* pStream)
{
    if (!pStream || !Put(pStream, m_mode) || !Put(pStream, m_lineCount))
        return kStatusFailed;
    for (uint32_t i = 0; i < m_lineCount; ++i) {
        const ExtraTextLine& l = m_pLines[i];
        const uint32_t flags = l.flags;
        if (!pStream->WriteString(l.pText, false) || !pStream->Write(l.glyph, 4, 2) ||
            !pStream->Write(l.position, 4, 3) || !pStream->Write(l.box, 4, 4) || !Put(pStream, l.scale) ||
            !Put(pStream, l.style) || !Put(pStream, flags) || !Put(pStream, l.code))
            return kStatusFailed;
    }
    return SaveOwn(pStream) ? kStatusOk : kStatusFailed;
}

Status CExtraDimTextBase::Load(UtilsStream* pStream)
{
    Clear();
    uint32_t mode = 0, count = 0;
    if (!pStream || !Get(pStream, &mode) || !Get(pStream, &count))
        return kStatusFailed;
    // A count the bytes left cannot hold is refused before anything is made of it.
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && int64_t(count) > left / kSavedLineMinimum)
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i) {
        char16_t* text = nullptr;
        float glyph[2], position[3], box[4], scale;
        uint32_t style, flags, code;
        // The string read bounds its count by the bytes left.
        const bool read = pStream->ReadString(&text, false) && pStream->Read(glyph, 4, 2) &&
                          pStream->Read(position, 4, 3) && pStream->Read(box, 4, 4) && Get(pStream, &scale) &&
                          Get(pStream, &style) && Get(pStream, &flags) && Get(pStream, &code);
        // The flags are a byte: a word with more is damaged.
        const Status status = read && flags <= 0xFF
                                  ? AddLine(text, style, uint8_t(flags), code, glyph, position, box, scale)
                                  : kStatusFailed;
        UTILS_FREE(text);
        if (Failed(status)) {
            Clear();
            return status;
        }
    }
    if (!LoadOwn(pStream)) {
        Clear();
        return kStatusFailed;
    }
    m_mode = mode;
    return kStatusOk;
}
