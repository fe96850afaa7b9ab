#pragma once
// The image decoders and encoders behind C3DTextureRaw. Each decoder reads one encoded image
// from memory or from an open file (from its current position, at most `limit` bytes) and
// returns a malloc'ed pixel block, rows bottom-up, that the caller owns.
#include <cstdint>
#include <cstdio>

#include "VornelUtils/Status.h"
#include "VornelUtils/UtilsMemory.h"

struct ImageInput {
    const uint8_t* data = nullptr; // memory source, or null
    size_t size = 0;               // bytes of the memory block
    FILE* file = nullptr;          // file source, or null
    uint64_t limit = 0;            // bytes of the file from its current position that belong to the image
};

struct DecodedImage {
    uint8_t depth = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t* pixels = nullptr; // malloc'ed
};

// Every decoder: 0, 0x80000001 for a bad image, 0x80000002 when the pixel block cannot be
// allocated. On failure nothing is left allocated.
Status DecodeTga(const ImageInput& input, DecodedImage* out);
Status DecodePng(const ImageInput& input, DecodedImage* out);
Status DecodeJpeg(const ImageInput& input, DecodedImage* out);
Status DecodeRawBlock(const ImageInput& input, DecodedImage* out);

// Writers. Rows are written from the last stored row up unless `storedOrder` is set.
// 0, 0x80000001 on an unsupported depth or a library error.
Status EncodePng(FILE* file, uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                 bool storedOrder);
Status EncodeJpeg(FILE* file, uint16_t width, uint16_t height, const uint8_t* pixels, bool storedOrder);

// Whether an image of width x height pixels of `bytesPerPixel` bytes may be allocated for an
// encoded input of `inputBytes` bytes: a file cannot make us allocate far more than its data
// could expand to.
inline bool DecodedSizeIsPlausible(uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                                   uint64_t inputBytes, uint64_t maxExpansion)
{
    return uint64_t(width) * height * bytesPerPixel <= inputBytes * maxExpansion;
}

// The block of a picture of `height` rows of `stride` bytes and the row pointers a library
// decodes through, picture row i pointing at stored row height - 1 - i (rows bottom-up). Both
// are left for the caller to free, also when one of them could not be allocated (false).
inline bool AllocateBottomUpRows(size_t stride, uint32_t height, uint8_t** pixels, uint8_t*** rows)
{
    *pixels = static_cast<uint8_t*>(UTILS_MALLOC(stride * height));
    *rows = static_cast<uint8_t**>(UTILS_MALLOC(sizeof(uint8_t*) * height));
    if (!*pixels || !*rows)
        return false;
    for (uint32_t i = 0; i < height; ++i)
        (*rows)[i] = *pixels + size_t(height - 1 - i) * stride;
    return true;
}

// Hands a decoded block over to `out`, which owns it from then on.
inline void GiveDecodedImage(uint8_t*& pixels, uint8_t depth, uint32_t width, uint32_t height, DecodedImage* out)
{
    out->depth = depth;
    out->width = uint16_t(width);
    out->height = uint16_t(height);
    out->pixels = pixels;
    pixels = nullptr;
}
