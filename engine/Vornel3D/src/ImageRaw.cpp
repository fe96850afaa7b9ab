// ".raw": a bare 256 x 256 RGB block, recognised by its exact size.

#include "ImageCodecs.h"
#include "ImageInputReader.h"
#include "VornelUtils/UtilsMemory.h"

namespace {
constexpr uint16_t kRawSide = 256;
constexpr size_t kRawBytes = size_t(kRawSide) * kRawSide * 3; // 0x30000
} // namespace

Status DecodeRawBlock(const ImageInput& input, DecodedImage* out)
{
    ImageInputReader reader(input);
    if (reader.Remaining() != kRawBytes)
        return kStatusFailed;
    uint8_t* pixels = static_cast<uint8_t*>(UTILS_MALLOC(kRawBytes));
    if (!pixels)
        return kStatusOutOfMemory;
    if (!reader.Read(pixels, kRawBytes)) {
        UTILS_FREE(pixels);
        return kStatusFailed;
    }
    out->depth = 24;
    out->width = kRawSide;
    out->height = kRawSide;
    out->pixels = pixels;
    return kStatusOk;
}
