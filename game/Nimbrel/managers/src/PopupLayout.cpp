// The text half of the popup manager: tags, parts and pages, and the reveal.
#include <cmath>
#include <cstring>

#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/TextAnchor.h"
#include "NimbrelWorld/GroupTables.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kMissingString = u"MISSING STRING !!!";

const CStringsManager* Strings(WorldData* w)
{
    const auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetStringsManager() : nullptr;
}

char16_t* FindChar(char16_t* text, char16_t c)
{
    for (; text && *text; ++text)
        if (*text == c)
            return text;
    return nullptr;
}

// The n-th newline of the text (from 1), null when it has fewer.
char16_t* FindNthNewline(char16_t* text, uint32_t n)
{
    for (; *text; ++text)
        if (*text == u'\n' && --n == 0)
            return text;
    return nullptr;
}

}  // namespace

char16_t CPopupManager::Symbol(char16_t ascii) const
{
    const CStringsManager* strings = Strings(m_pWorldData);
    const uint16_t* table = strings ? strings->GetRemapTable() : nullptr;
    return table && ascii < strings->GetRemapLength() && table[ascii] ? static_cast<char16_t>(table[ascii]) : ascii;
}

char16_t* CPopupManager::CopyReplacing(const char16_t* text, size_t length, char16_t from, char16_t to)
{
    auto* copy = static_cast<char16_t*>(UTILS_MALLOC((length + 1) * sizeof(char16_t)));
    if (!copy)
        return nullptr;
    // One pass over a known length, which the compiler turns into vector code.
    for (size_t i = 0; i < length; ++i)
        copy[i] = text[i] == from ? to : text[i];
    copy[length] = 0;
    return copy;
}

char16_t* CPopupManager::OpenText(const char16_t* text)
{
    return CopyReplacing(text, UtilsString_Length(text), Symbol(u'|'), u'\n');
}

char16_t* CPopupManager::WrapOwned(const char16_t* text, size_t length, float width, float maxWidth, uint32_t factor,
                                   bool breaks, size_t* pWrappedLength)
{
    char16_t* source = nullptr;
    if (breaks) {
        source = CopyReplacing(text, length, Symbol(u'|'), u'\n');
        if (!source)
            return nullptr;
        text = source;
    }
    *pWrappedLength = length;
    CVornelFont* font = Font();
    if (!font)
        return source ? source : CopyReplacing(text, length, 0, 0);
    const uint32_t capacity = static_cast<uint32_t>(length * factor + 2);
    auto* wrapped = static_cast<char16_t*>(UTILS_MALLOC(capacity * sizeof(char16_t)));
    if (wrapped) {
        const CStringsManager* strings = Strings(m_pWorldData);
        const float limit = maxWidth < 0.0f ? 0.0f : maxWidth > 65535.0f ? 65535.0f : maxWidth;
        *pWrappedLength = font->WrapText(width * TextScale(), 0, text, wrapped, capacity, static_cast<uint16_t>(limit),
                                         Symbol(u' '), strings ? strings->GetOpeningPunctuation() : u"",
                                         strings ? strings->GetClosingPunctuation() : u"", 0);
    }
    UTILS_FREE(source);
    return wrapped;
}

uint32_t CPopupManager::GetPartIndex() const
{
    uint32_t index = 0;
    for (const char16_t* c = m_pFirstPart; c && m_pPart && c < m_pPart; ++c)
        if (*c == Symbol(u'#'))
            ++index;
    return index;
}

bool CPopupManager::IsPreviousShown() const
{
    return m_pText && (m_pPart != m_pFirstPart || m_pageIndex > 0);
}

void CPopupManager::RestoreCut()
{
    if (m_pCut) {
        *m_pCut = m_cutChar;
        m_pCut = nullptr;
    }
}

void CPopupManager::EndReveal()
{
    if (m_pReveal) {
        *m_pReveal = m_revealChar;
        m_pReveal = nullptr;
    }
    m_revealTime = 0.0f;
}

void CPopupManager::FreePages()
{
    for (uint32_t i = 0; i < m_pageCount; ++i)
        UTILS_FREE(m_ppPages[i]);
    UTILS_FREE(m_ppPages);
    m_ppPages = nullptr;
    m_pageCount = m_pageIndex = 0;
}

bool CPopupManager::SetCurrentPage(uint32_t index, size_t length)
{
    if (index >= m_pageCount)
        return false;
    EndReveal();
    const char16_t* page = m_ppPages[index];
    char16_t* copy = CopyReplacing(page, length != kLengthUnknown ? length : UtilsString_Length(page), 0, 0);
    if (!copy) {
        OutOfMemory();
        return false;
    }
    UTILS_FREE(m_pPageText);
    m_pPageText = copy;
    m_pageIndex = index;
    PlacePage();
    return true;
}

void CPopupManager::PlacePage()
{
    // Without a text box the page is centred on the screen: no offset of its own.
    m_pageX = m_pageY = 0.0f;
    m_pageAlign = 0;
    const ElementRecord* box = LabelTextBox();
    CVornelFont* font = Font();
    if (!box || !font || !m_pPageText)
        return;
    const GameTextStyle* style = m_pWorldData && m_pWorldData->pGame ? &m_pWorldData->pGame->text.popup : nullptr;
    const float scale = TextScale();
    const C3DVector3 size = font->GetTextSize(m_pPageText, (style ? style->width : 40.0f) * scale,
                                              (style ? style->height : 40.0f) * scale);
    const float measured[2] = {std::fabs(size.x), std::fabs(size.y)};
    float boxSize[2], offset[2];
    BoxToScreen(box, boxSize);
    TextAnchorOffset(box->flagByte4, boxSize, measured, offset);
    m_pageX = offset[0];
    m_pageY = offset[1];
}

const char16_t* CPopupManager::LabelTitle() const
{
    const LabelRecord* label = m_labelIndex != -1 ? LabelAt(m_labelIndex) : nullptr;
    if (!label || !label->word2)
        return nullptr;
    // The text box's title is a popup text; a label without a box, or a title past the table,
    // says so in its place.
    const ElementRecord* box = LabelTextBox();
    const int64_t index = box ? int64_t(PopupTextBase()) + box->geometryWord : -1;
    const char16_t* title = index >= 0 && index <= INT32_MAX ? StringAt(int32_t(index)) : nullptr;
    return title ? title : kMissingString;
}

char16_t* CPopupManager::TitledPart(const char16_t* title, const char16_t* part, size_t length) const
{
    const size_t titleLength = UtilsString_Length(title);
    auto* text = static_cast<char16_t*>(UTILS_MALLOC((titleLength + length + 1) * sizeof(char16_t)));
    if (!text)
        return nullptr;
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const char16_t lineBreak = Symbol(u'|'), into = game && game->popupLayout ? Symbol(u' ') : u'\n';
    for (size_t i = 0; i < titleLength; ++i)
        text[i] = title[i] == lineBreak ? into : title[i];
    std::memcpy(text + titleLength, part, length * sizeof(char16_t));
    text[titleLength + length] = 0;
    return text;
}

char16_t* CPopupManager::CentreLinesOwned(char16_t* text, const GameTextStyle& style)
{
    CVornelFont* font = Font();
    if (!font || !text)
        return text;
    const float scaleX = style.width * TextScale(), scaleY = style.height * TextScale();
    const size_t length = UtilsString_Length(text);
    size_t lines = 1;
    for (size_t i = 0; i < length; ++i)
        lines += text[i] == u'\n';
    // Room for the padding of every line: at most half the widest line in blanks.
    const float pad = std::fabs(font->CharWidth(Symbol(u' '), scaleX));
    const float widest = std::fabs(font->GetTextSize(text, scaleX, scaleY).x);
    const size_t pads = pad > 0.0f && widest / pad < 65536.0f ? size_t(widest / pad * 0.5f) + 1 : 0;
    const size_t capacity = length + 2 + lines * pads;
    if (capacity > UINT32_MAX)
        return text;
    auto* centred = static_cast<char16_t*>(UTILS_CALLOC(capacity, sizeof(char16_t)));
    if (!centred)
        return text;
    std::memcpy(centred, text, length * sizeof(char16_t));
    // A text too long to centre keeps its lines as they are.
    font->CentreLines(centred, uint32_t(capacity), scaleX, scaleY, Symbol(u' '), u'\n');
    UTILS_FREE(text);
    return centred;
}

void CPopupManager::SetButtons()
{
    m_previousShown = IsPreviousShown() ? 1 : 0;
    ShowButtons(m_previousShown, 1, 0);
}

char16_t* CPopupManager::RunTags(char16_t* part)
{
    const char16_t delimiter = Symbol(u'\\'), separator = Symbol(u',');
    if (*part != delimiter)
        return part;
    char16_t* end = FindChar(part + 1, delimiter);
    if (!end)
        return part;
    const CStringsManager* strings = Strings(m_pWorldData);
    const bool unmap = strings && Font() && Font()->GetFontType() == kFontCharset;
    for (char16_t* tag = part + 1; tag < end;) {
        char16_t* next = tag;
        while (next < end && *next != separator)
            ++next;
        const char16_t saved = *next;
        *next = 0;
        for (const PopupTag& t : m_tags) {
            // A tag shorter than the word would be compared past its end, even past the text.
            if (t.matched && static_cast<size_t>(next - tag) >= t.length &&
                std::memcmp(tag, t.matched, t.length * sizeof(char16_t)) == 0) {
                if (unmap)
                    strings->UnmapChars(tag + t.length);
                t.handler(this, tag + t.length);
                break;
            }
        }
        *next = saved;
        tag = next + 1;
    }
    return end + 1;
}

bool CPopupManager::LayOutPart(char16_t* part, uint8_t instant)
{
    FreePages();
    ResetLabelsGroups();
    RestLabelElements();
    RestoreCut();
    m_pCut = FindChar(part, Symbol(u'#'));
    if (m_pCut) {
        m_cutChar = *m_pCut;
        *m_pCut = 0;
    }
    // The next step starts from here without looking for the separator again.
    m_pLaidOutPart = part;
    m_pPartEnd = m_pCut;
    const char16_t* shown = RunTags(part);
    CountDownLabelElements();

    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const float ratio = game ? game->text.popupBorderRatio : 0.9f;
    // The label's text box, or most of the screen.
    const ElementRecord* box = LabelTextBox();
    float boxSize[2];
    if (box)
        BoxToScreen(box, boxSize);
    else
        ScreenTextBox(ratio, boxSize);
    const float boxWidth = boxSize[0], boxHeight = boxSize[1];
    const float width = game ? game->text.popup.width : 40.0f, height = game ? game->text.popup.height : 40.0f;
    size_t length = m_pCut ? static_cast<size_t>(m_pCut - shown) : UtilsString_Length(shown);
    char16_t* titled = nullptr;
    if (const char16_t* title = LabelTitle()) {
        titled = TitledPart(title, shown, length);
        if (!titled) {
            RestoreCut();
            OutOfMemory();
            return false;
        }
        shown = titled;
        length = UtilsString_Length(titled);
    }
    size_t wrappedLength = 0;
    char16_t* wrapped = WrapOwned(shown, length, width, boxWidth, 2, false, &wrappedLength);
    UTILS_FREE(titled);
    RestoreCut();
    if (!wrapped) {
        OutOfMemory();
        return false;
    }

    // A page holds at least one line; a line height of 0 puts the whole part on one page.
    const float lineHeight = height * TextScale();
    const float fit = lineHeight > 0.0f ? boxHeight / lineHeight : 0.0f;
    const uint32_t perPage = fit >= 1.0f ? (fit < 65536.0f ? static_cast<uint32_t>(fit) : 65536u) : 1u;
    uint32_t lines = 1;
    for (size_t i = 0; i < wrappedLength; ++i)
        lines += wrapped[i] == u'\n';
    const uint32_t pages = lineHeight > 0.0f ? (lines + perPage - 1) / perPage : 1;
    m_ppPages = static_cast<char16_t**>(UTILS_CALLOC(pages, sizeof(char16_t*)));
    if (!m_ppPages) {
        UTILS_FREE(wrapped);
        OutOfMemory();
        return false;
    }
    size_t firstLength = wrappedLength;
    if (pages == 1) {
        // One page: the wrapped text is that page.
        m_ppPages[0] = wrapped;
        wrapped = nullptr;
        m_pageCount = 1;
    }
    char16_t* rest = wrapped;
    for (uint32_t i = 0; rest && i < pages; ++i) {
        char16_t* cut = i + 1 < pages ? FindNthNewline(rest, perPage) : nullptr;
        const size_t pageLength = cut ? static_cast<size_t>(cut - rest) : wrappedLength - static_cast<size_t>(rest - wrapped);
        m_ppPages[i] = CopyReplacing(rest, pageLength, 0, 0);
        if (!m_ppPages[i])
            break;
        if (i == 0)
            firstLength = pageLength;
        ++m_pageCount;
        if (!cut)
            break;
        rest = cut + 1;
    }
    UTILS_FREE(wrapped);
    // The box's anchor mode may centre every line under the widest of its page.
    const bool centred = box && TextAnchorCentresLines(box->flagByte4) && game;
    for (uint32_t i = 0; centred && i < m_pageCount; ++i)
        m_ppPages[i] = CentreLinesOwned(m_ppPages[i], game->text.popup);
    if (m_pageCount == 0 || !SetCurrentPage(0, centred ? kLengthUnknown : firstLength))
        return false;
    if (m_labelIndex != -1 && m_pPageText[0]) {
        // The first character shows at once; an instant layout shows the page whole.
        if (!instant && m_pPageText[1]) {
            m_pReveal = m_pPageText + 1;
            m_revealChar = *m_pReveal;
            *m_pReveal = 0;
        }
    }
    SetButtons();
    return true;
}

bool CPopupManager::AdvancePopupText(char16_t* text, uint8_t instant)
{
    if (m_pReveal && !instant) {
        EndReveal();
        StopLabelAnimations();
        return false;
    }
    if (m_pageCount && m_pageIndex + 1 < m_pageCount) {
        SetCurrentPage(m_pageIndex + 1);
        if (m_labelIndex != -1 && m_pPageText && m_pPageText[0]) {
            m_pReveal = m_pPageText;
            m_revealChar = *m_pReveal;
            *m_pReveal = 0;
        }
        SetButtons();
        return false;
    }
    if (!m_pText)
        return true;
    char16_t* part = m_pText;
    if (text) {
        char16_t* separator = text == m_pLaidOutPart ? m_pPartEnd : FindChar(text, Symbol(u'#'));
        if (!separator)
            return true;
        part = separator + 1;
    }
    m_pPart = part;
    if (!m_pFirstPart)
        m_pFirstPart = part;
    LayOutPart(part, instant);
    return false;
}

void CPopupManager::PreviousPopupPage()
{
    if (!m_pText)
        return;
    if (m_pageIndex > 0) {
        SetCurrentPage(m_pageIndex - 1);
        SetButtons();
        return;
    }
    if (!m_pPart || !m_pFirstPart || m_pPart <= m_pFirstPart)
        return;
    // The part before starts after the separator that precedes the one before this part.
    const char16_t separator = Symbol(u'#');
    char16_t* start = m_pPart - 1;
    while (start > m_pFirstPart && start[-1] != separator)
        --start;
    m_pPart = start;
    LayOutPart(start, 1);
}

void CPopupManager::StepReveal(float step)
{
    if (!m_pReveal)
        return;
    m_revealTime += 2.0f * step;
    if (m_revealTime <= 1.0f)
        return;
    m_revealTime = 0.0f;
    char16_t* at = m_pReveal;
    *at = m_revealChar;
    ++at;
    const char16_t blank = Symbol(u' ');
    if (at[0] == blank && at[1] == blank)
        while (*at == blank)
            ++at;
    if (!*at) {
        m_pReveal = nullptr;
        StopLabelAnimations();
        return;
    }
    m_pReveal = at;
    m_revealChar = *at;
    *at = 0;
}

Status CPopupManager::SetObjectPopupText(int32_t stringIndex)
{
    m_messageIndex = stringIndex;
    const char16_t* text = StringAt(stringIndex);
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    const float ratio = game ? game->text.popupBorderRatio : 0.9f;
    const float width = game ? game->text.message.width : 40.0f;
    // The message fills the popups object's item box; without one, the popup text's box.
    CObjectsInterfacePopups* popups = PopupsObject();
    const ElementRecord* box = popups ? popups->GetRoleElement(kPopupsItemBox) : nullptr;
    float boxSize[2];
    if (box)
        BoxToScreen(box, boxSize);
    else
        ScreenTextBox(ratio, boxSize);
    const float boxWidth = boxSize[0];
    const char16_t* shown = text ? text : kMissingString;
    size_t wrappedLength = 0;
    char16_t* wrapped = WrapOwned(shown, UtilsString_Length(shown), width, boxWidth, 4, true, &wrappedLength);
    if (!wrapped)
        return OutOfMemory();
    UTILS_FREE(m_pMessageText);
    m_pMessageText = wrapped;
    m_messageX = m_messageY = 0.0f;
    m_messageAlign = 0;
    // The item box's anchor mode places the message in it as a label's box places a page.
    CVornelFont* font = Font();
    if (box && game && font && IsTextAnchorMode(box->flagByte4)) {
        if (TextAnchorCentresLines(box->flagByte4))
            m_pMessageText = CentreLinesOwned(m_pMessageText, game->text.message);
        const float scale = TextScale();
        const C3DVector3 size =
            font->GetTextSize(m_pMessageText, game->text.message.width * scale, game->text.message.height * scale);
        const float measured[2] = {std::fabs(size.x), std::fabs(size.y)};
        float offset[2];
        TextAnchorOffset(box->flagByte4, boxSize, measured, offset);
        m_messageX = offset[0];
        m_messageY = offset[1];
    }
    return kStatusOk;
}
