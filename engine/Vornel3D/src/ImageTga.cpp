// TGA: uncompressed (type 2) and run-length (type 10) true-colour images of 24 or 32 bits.
// Rows stay in file order (TGA stores the bottom row first); pixels become R,G,B(,A).
#include <cstring>

#include "ImageCodecs.h"
#include "ImageInputReader.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

const uint8_t kHeaderUncompressed[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const uint8_t kHeaderRunLength[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// A run-length packet of 1 + bytesPerPixel bytes gives at most 128 pixels.
constexpr uint64_t kRunLengthMaxPixelsPerPacket = 128;

void SwapRedBlue(uint8_t* pixels, size_t count, uint32_t bytesPerPixel)
{
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = pixels + i * bytesPerPixel;
        const uint8_t t = p[0];
        p[0] = p[2];
        p[2] = t;
    }
}

Status ReadRunLength(ImageInputReader& reader, uint8_t* pixels, size_t pixelCount, uint32_t bytesPerPixel)
{
    size_t filled = 0;
    uint8_t pixel[4];
    while (filled < pixelCount) {
        uint8_t count;
        if (!reader.Read(&count, 1))
            return kStatusFailed;
        if (count > 127) {
            const size_t run = size_t(count) - 127;
            // A packet that passes width x height pixels would write past the block.
            if (run > pixelCount - filled || !reader.Read(pixel, bytesPerPixel))
                return kStatusFailed;
            for (size_t i = 0; i < run; ++i)
                std::memcpy(pixels + (filled + i) * bytesPerPixel, pixel, bytesPerPixel);
            filled += run;
        } else {
            const size_t run = size_t(count) + 1;
            if (run > pixelCount - filled || !reader.Read(pixels + filled * bytesPerPixel, run * bytesPerPixel))
                return kStatusFailed;
            filled += run;
        }
    }
    return kStatusOk;
}

} // namespace

Status DecodeTga(const ImageInput& input, DecodedImage* out)
{
    ImageInputReader reader(input);
    uint8_t header[12];
    if (!reader.Read(header, sizeof header))
        return kStatusFailed;
    const bool runLength = std::memcmp(header, kHeaderRunLength, sizeof header) == 0;
    if (!runLength && std::memcmp(header, kHeaderUncompressed, sizeof header) != 0)
        return kStatusFailed;

    uint8_t info[6];
    if (!reader.Read(info, sizeof info))
        return kStatusFailed;
    const uint16_t width = uint16_t(info[0] | info[1] << 8);
    const uint16_t height = uint16_t(info[2] | info[3] << 8);
    const uint8_t depth = info[4]; // info[5], the descriptor, is not used
    if (width == 0 || height == 0 || (depth != 24 && depth != 32))
        return kStatusFailed;

    const uint32_t bytesPerPixel = depth / 8;
    const size_t pixelCount = size_t(width) * height;
    const size_t byteCount = pixelCount * bytesPerPixel;
    // Check what remains before allocating: the pixels must be there (or, run-length, could be).
    if (runLength) {
        if (!DecodedSizeIsPlausible(width, height, 1, reader.Remaining(), kRunLengthMaxPixelsPerPacket))
            return kStatusFailed;
    } else if (byteCount > reader.Remaining()) {
        return kStatusFailed;
    }

    uint8_t* pixels = static_cast<uint8_t*>(UTILS_MALLOC(byteCount));
    if (!pixels)
        return kStatusOutOfMemory;
    const Status status = runLength ? ReadRunLength(reader, pixels, pixelCount, bytesPerPixel)
                                    : (reader.Read(pixels, byteCount) ? kStatusOk : kStatusFailed);
    if (Failed(status)) {
        UTILS_FREE(pixels);
        return status;
    }
    SwapRedBlue(pixels, pixelCount, bytesPerPixel);
    out->depth = depth;
    out->width = width;
    out->height = height;
    out->pixels = pixels;
    return kStatusOk;
}
