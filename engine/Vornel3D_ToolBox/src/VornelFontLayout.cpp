// Text layout with a font's cells: measuring, alignment on the screen, hit tests, wrapping,
// truncation and centred lines.
#include <cmath>
#include <memory>
#include <new>

#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr char16_t kLineFeed = u'\n';
constexpr char16_t kCarriageReturn = u'\r';
constexpr uint32_t kCentreLinesLimit = 4096;

float SignOf(float value)
{
    return value < 0.0f ? -1.0f : 1.0f;
}

bool InList(const char16_t* list, char16_t c)
{
    for (; list && *list; ++list)
        if (*list == c)
            return true;
    return false;
}

}  // namespace

bool HitTest(const char16_t*, const C3DVector3& size, uint32_t flags, const C3DVector3& position,
             const C3DVector2& point, float screenHeight)
{
    const float margin = (flags & kTextTallHitBox) ? 0.75f * size.y : 0.0f;
    if (flags & kTextTurned) {
        const float turned = screenHeight - point.y;
        return position.y - margin < point.x && point.x < position.y + size.y + margin && position.x < turned &&
               turned < position.x + size.x;
    }
    return position.x < point.x && point.x < position.x + size.x && position.y - margin < point.y &&
           point.y < position.y + size.y + margin;
}

C3DVector3 CVornelFont::GetTextSize(const char16_t* text, float scaleX, float scaleY)
{
    const float scale = std::fabs(scaleX);
    float widest = 0.0f, line = 0.0f;
    uint32_t lines = 1;
    for (const char16_t* c = text; c && *c; ++c) {
        if (*c == kLineFeed) {
            line = 0.0f;
            ++lines;
        } else {
            line += CharWidth(*c, scale);
            if (line > widest)
                widest = line;
        }
    }
    return C3DVector3{SignOf(scaleX) * widest, SignOf(scaleY) * (scaleY * float(lines)), 0.0f};
}

C3DVector3 CVornelFont::AlignPosition(float x, float y, float z, uint32_t flags, const C3DVector3& size)
{
    C3DVector3 at{x, y, z};
    if ((flags & kTextFlagMask) == 0)
        return at;
    float screenWidth = m_pWorldData ? float(m_pWorldData->virtualWidth) : 0.0f;
    float screenHeight = m_pWorldData ? float(m_pWorldData->virtualHeight) : 0.0f;
    // A turned screen lays the text out along its height.
    if (flags & kTextTurned)
        std::swap(screenWidth, screenHeight);
    // Only a screen object knows the screen it is drawn on.
    const bool onScreen = m_pObject && (m_pObject->GetFlags() & k3DObjectScreen);
    if (flags & kTextCentreX)
        at.x = x - size.x * 0.5f;
    else if (onScreen && (flags & kTextScreenCentreX))
        at.x = (screenWidth - size.x) * 0.5f + x;
    else if (onScreen && (flags & kTextRight))
        at.x = screenWidth - size.x + x;
    if (flags & kTextCentreY)
        at.y = y - size.y * 0.5f;
    else if (onScreen && (flags & kTextScreenCentreY))
        at.y = (screenHeight - size.y) * 0.5f + y;
    return at;
}

bool CVornelFont::HitTestText(const char16_t* text, float x, float y, float z, uint32_t flags, uint32_t,
                              float scaleX, float scaleY, const C3DVector2* hitPoint, const void*, uint32_t)
{
    if ((flags & kTextFlagMask) == 0 || !hitPoint)
        return false;
    const C3DVector3 size = GetTextSize(text, scaleX, scaleY);
    const C3DVector3 at = AlignPosition(x, y, z, flags, size);
    return HitTest(text, size, flags, at, *hitPoint, m_pWorldData ? float(m_pWorldData->virtualHeight) : 0.0f);
}

bool CVornelFont::TruncateText(float scale, char16_t* text, uint16_t maxWidth)
{
    float width = 0.0f;
    for (char16_t* c = text; c && *c; ++c) {
        width += CharWidth(*c, scale);
        if (width > float(maxWidth)) {
            *c = 0;
            return true;
        }
    }
    return false;
}

uint32_t CVornelFont::WrapText(float scale, uint32_t, const char16_t* source, char16_t* destination,
                               uint32_t capacity, uint16_t maxWidth, char16_t breakChar,
                               const char16_t* noBreakAfter, const char16_t* noBreakBefore, uint8_t keepTrailing)
{
    if (!destination || capacity == 0)
        return 0;
    const uint32_t room = capacity - 1;  // the terminator's place is kept
    uint32_t out = 0;
    if (!source) {
        destination[0] = 0;
        return 0;
    }
    float width = 0.0f;
    bool lineHasChars = false;
    const char16_t* candidate = nullptr;  // the break character in the source ...
    uint32_t candidateOut = 0;            // ... and where its copy stands
    for (const char16_t* c = source; *c && out < room;) {
        if (*c == kLineFeed) {
            destination[out++] = *c++;
            width = 0.0f;
            lineHasChars = false;
            candidate = nullptr;
            continue;
        }
        if (*c == breakChar) {
            if (!keepTrailing && c[1] == 0)
                break;
            const bool before = c[1] && InList(noBreakBefore, c[1]);
            const bool after = c > source && InList(noBreakAfter, c[-1]);
            if (!before && !after) {
                candidate = c;
                candidateOut = out;
            }
        }
        width += CharWidth(*c, scale);
        if (width > float(maxWidth)) {
            if (candidate) {
                destination[candidateOut] = kLineFeed;
                out = candidateOut + 1;
                c = candidate + 1;
                candidate = nullptr;
                width = 0.0f;
                lineHasChars = false;
                continue;
            }
            // A character wider than the whole width stays alone on its line.
            if (lineHasChars) {
                destination[out++] = kLineFeed;
                width = CharWidth(*c, scale);
                if (out >= room)
                    break;
            }
        }
        destination[out++] = *c++;
        lineHasChars = true;
    }
    destination[out] = 0;
    return out;
}

int32_t CVornelFont::CentreLines(char16_t* text, uint32_t capacity, float scaleX, float scaleY, char16_t padding,
                                 char16_t separator)
{
    if (!text || capacity == 0)
        return -1;
    uint32_t length = 0;
    while (length < capacity && text[length])
        ++length;
    if (length > 0 && text[length - 1] == separator)
        text[--length] = 0;
    if (length > kCentreLinesLimit)
        return -1;
    std::unique_ptr<char16_t[]> copy(new (std::nothrow) char16_t[length + 1]);
    std::unique_ptr<uint32_t[]> starts(new (std::nothrow) uint32_t[length + 1]);
    std::unique_ptr<float[]> widths(new (std::nothrow) float[length + 1]);
    if (!copy || !starts || !widths)
        return -1;
    // The lines, each ended in the copy, and their widths.
    uint32_t lines = 0;
    starts[lines++] = 0;
    for (uint32_t i = 0; i < length; ++i) {
        copy[i] = text[i];
        if (text[i] == separator) {
            copy[i] = 0;
            starts[lines++] = i + 1;
        }
    }
    copy[length] = 0;
    float widest = 0.0f;
    for (uint32_t l = 0; l < lines; ++l) {
        widths[l] = std::fabs(GetTextSize(&copy[starts[l]], scaleX, scaleY).x);
        if (widths[l] > widest)
            widest = widths[l];
    }
    const float padWidth = std::fabs(CharWidth(padding, scaleX));
    for (uint32_t i = 0; i < capacity; ++i)
        text[i] = 0;
    uint32_t out = 0;
    for (uint32_t l = 0; l < lines; ++l) {
        // A padding character without width pads nothing; more than fit the buffer stop it.
        const double fill = padWidth > 0.0f ? (double(widest) - widths[l]) / padWidth : 0.0;
        const uint32_t pads = fill >= 0.0 && fill < 2.0 * capacity ? uint32_t(fill) / 2 : fill >= 0.0 ? capacity : 0;
        uint32_t lineLength = 0;
        while (copy[starts[l] + lineLength])
            ++lineLength;
        const uint32_t needed = pads + lineLength + (l + 1 < lines ? 1 : 0);
        if (out + needed >= capacity)
            break;
        for (uint32_t p = 0; p < pads; ++p)
            text[out++] = padding;
        for (uint32_t k = 0; k < lineLength; ++k)
            text[out++] = copy[starts[l] + k];
        if (l + 1 < lines)
            text[out++] = separator;
    }
    return int32_t(lines);
}
