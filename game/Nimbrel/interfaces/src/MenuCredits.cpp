// The credits files: read into the menu's buffer with their separators as line feeds, and
// written by the tools.
#include "NimbrelInterfaces/MenuCredits.h"

#include "VornelUtils/UtilsStream.h"

namespace {

constexpr uint8_t kCreditsCharSize = 2;

}  // namespace

Status ReadCreditsText(UtilsStream* pStream, char16_t* pBuffer, char16_t lineBreak, uint32_t* pCount)
{
    if (!pBuffer)
        return kStatusFailed;
    pBuffer[0] = 0;
    uint8_t size = 0, secondSize = 0;
    uint32_t count = 0, unused = 0;
    if (!pStream || !pStream->Read(&size, 1, 1) || size != kCreditsCharSize || !pStream->Read(&count, 4, 1) ||
        count > kCreditsFileCapacity || !pStream->Read(&secondSize, 1, 1) || secondSize != kCreditsCharSize ||
        !pStream->Read(&unused, 4, 1))
        return kStatusFailed;
    if (count && !pStream->Read(pBuffer, 2, count)) {
        pBuffer[0] = 0;
        return kStatusFailed;
    }
    pBuffer[count] = 0;
    // The last character is the block's own terminator; an empty file is an empty text.
    for (uint32_t i = 0; i + 1 < count; ++i)
        if (pBuffer[i] == 0 || pBuffer[i] == lineBreak)
            pBuffer[i] = u'\n';
    if (pCount)
        *pCount = count;
    return kStatusOk;
}

Status WriteCreditsText(UtilsStream* pStream, const char16_t* pText, uint32_t count)
{
    const uint8_t size = kCreditsCharSize;
    const uint32_t unused = 0;
    if (!pStream || (count && !pText) || !pStream->Write(&size, 1, 1) || !pStream->Write(&count, 4, 1) ||
        !pStream->Write(&size, 1, 1) || !pStream->Write(&unused, 4, 1) || (count && !pStream->Write(pText, 2, count)))
        return kStatusFailed;
    return kStatusOk;
}
