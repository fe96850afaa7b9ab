// PNG through libpng: decoded to 8 bits per channel (grey, grey+alpha, RGB or RGBA), rows
// stored bottom-up; written from a pixel block with one row pointer per row.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "ImageCodecs.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

// Deflate expands at most about 1032:1; the raw rows cannot be larger than that.
constexpr uint64_t kDeflateMaxExpansion = 1032;
constexpr uint32_t kPngSignatureFirstByte = 0x89;

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position)
        png_error(png, "read past the end of the image");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

struct FileReader {
    FILE* file;
    uint64_t remaining; // bytes of the entry not read yet
};

// A pack entry ends where its size says, even when the image inside claims more.
void ReadFromFile(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<FileReader*>(png_get_io_ptr(png));
    if (count > reader->remaining || std::fread(out, 1, count, reader->file) != count)
        png_error(png, "read past the end of the image");
    reader->remaining -= count;
}

void IgnoreWarning(png_structp, png_const_charp) {}

void RaiseError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Everything that must survive a longjmp out of libpng lives here, not in locals.
struct ReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    Status failure = kStatusFailed;
};

Status ReadImage(ReadState& state, const ImageInput& input, MemoryReader& reader, FileReader& fileReader,
                 DecodedImage* out)
{
    png_structp png = state.png;
    png_infop info = state.info;
    if (setjmp(png_jmpbuf(png)))
        return state.failure;

    uint64_t inputBytes;
    if (input.file) {
        png_set_read_fn(png, &fileReader, ReadFromFile);
        inputBytes = input.limit;
    } else {
        png_set_read_fn(png, &reader, ReadFromMemory);
        inputBytes = input.size;
    }
    png_set_sig_bytes(png, 1); // the first byte was tested by the caller
    png_set_user_limits(png, 0xFFFF, 0xFFFF);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF)
        return kStatusFailed;
    if (!DecodedSizeIsPlausible(uint32_t(png_get_rowbytes(png, info)), height, 1, inputBytes, kDeflateMaxExpansion))
        return kStatusFailed;

    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (bitDepth < 8)
        png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const uint32_t channels = png_get_channels(png, info);
    if (channels < 1 || channels > 4 || png_get_bit_depth(png, info) != 8)
        return kStatusFailed;
    const size_t stride = size_t(width) * channels;
    if (png_get_rowbytes(png, info) != stride)
        return kStatusFailed;

    if (!AllocateBottomUpRows(stride, height, &state.pixels, &state.rows))
        return kStatusOutOfMemory;
    png_read_image(png, state.rows);
    GiveDecodedImage(state.pixels, uint8_t(channels * 8), width, height, out);
    return kStatusOk;
}

} // namespace

Status DecodePng(const ImageInput& input, DecodedImage* out)
{
    MemoryReader reader{input.data, input.size, 1};
    FileReader fileReader{input.file, input.limit > 0 ? input.limit - 1 : 0};
    if (input.file) {
        if (input.limit < 1 || std::fgetc(input.file) != int(kPngSignatureFirstByte))
            return kStatusFailed;
    } else if (input.size < 1 || input.data[0] != kPngSignatureFirstByte) {
        return kStatusFailed;
    }

    ReadState state;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, RaiseError, IgnoreWarning);
    if (!state.png)
        return kStatusOutOfMemory;
    state.info = png_create_info_struct(state.png);
    Status status = state.info ? ReadImage(state, input, reader, fileReader, out) : kStatusOutOfMemory;
    png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
    UTILS_FREE(state.rows);
    UTILS_FREE(state.pixels);
    return status;
}

namespace {

struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
};

Status WriteImage(WriteState& state, FILE* file, uint16_t width, uint16_t height, int colorType,
                  uint32_t channels, const uint8_t* pixels, bool storedOrder)
{
    png_structp png = state.png;
    if (setjmp(png_jmpbuf(png)))
        return kStatusFailed;
    png_init_io(png, file);
    png_set_IHDR(png, state.info, width, height, 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, state.info);
    state.rows = static_cast<png_bytep*>(UTILS_MALLOC(sizeof(png_bytep) * height));
    if (!state.rows)
        return kStatusOutOfMemory;
    const size_t stride = size_t(width) * channels;
    for (uint32_t i = 0; i < height; ++i) {
        const uint32_t stored = storedOrder ? i : height - 1u - i;
        state.rows[i] = const_cast<png_bytep>(pixels + stored * stride);
    }
    png_write_image(png, state.rows);
    png_write_end(png, nullptr);
    return kStatusOk;
}

} // namespace

Status EncodePng(FILE* file, uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                 bool storedOrder)
{
    int colorType;
    switch (depth) {
    case 8: colorType = PNG_COLOR_TYPE_GRAY; break;
    case 16: colorType = PNG_COLOR_TYPE_GRAY_ALPHA; break;
    case 24: colorType = PNG_COLOR_TYPE_RGB; break;
    case 32: colorType = PNG_COLOR_TYPE_RGB_ALPHA; break;
    default: return kStatusFailed;
    }
    if (!pixels || width == 0 || height == 0)
        return kStatusFailed;

    WriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, RaiseError, IgnoreWarning);
    if (!state.png)
        return kStatusOutOfMemory;
    state.info = png_create_info_struct(state.png);
    Status status = state.info ? WriteImage(state, file, width, height, colorType, depth / 8u, pixels, storedOrder)
                               : kStatusOutOfMemory;
    png_destroy_write_struct(&state.png, state.info ? &state.info : nullptr);
    UTILS_FREE(state.rows);
    return status;
}
