// JPEG through libjpeg: decoded to 24-bit RGB (grey images are widened), rows stored bottom-up;
// written as baseline RGB at quality 50.
#include <csetjmp>
#include <cstdlib>

#include "ImageCodecs.h"
#include "VornelUtils/UtilsMemory.h"
#include "JpegSource.h"

namespace {

// Far above what any real JPEG reaches (a flat baseline image gives a few hundred pixels per
// byte); it only stops a tiny file from claiming a picture of gigabytes.
constexpr uint64_t kJpegMaxPixelsPerByte = 4096;
constexpr int kJpegSaveQuality = 50;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

// libjpeg's own error exit ends the process; ours returns to the caller.
void ExitWithError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

Status StatusOfError(j_common_ptr info)
{
    return info->err->msg_code == JERR_OUT_OF_MEMORY ? kStatusOutOfMemory : kStatusFailed;
}

struct DecodeState {
    jpeg_decompress_struct decoder;
    ErrorManager errors;
    uint8_t* pixels = nullptr;
    JSAMPROW* rows = nullptr;
};

Status Decode(DecodeState& state, const ImageInput& input, DecodedImage* out)
{
    jpeg_decompress_struct* decoder = &state.decoder;
    if (setjmp(state.errors.jump))
        return StatusOfError(reinterpret_cast<j_common_ptr>(decoder));

    uint64_t inputBytes;
    if (input.file) {
        JpegSourceFromFile(decoder, input.file, int64_t(input.limit));
        inputBytes = input.limit;
    } else {
        JpegSourceFromMemory(decoder, input.data, input.size);
        inputBytes = input.size;
    }
    jpeg_read_header(decoder, TRUE);
    // Checked before libjpeg sizes its own buffers for the picture.
    if (!DecodedSizeIsPlausible(decoder->image_width, decoder->image_height, 1, inputBytes, kJpegMaxPixelsPerByte))
        return kStatusFailed;
    decoder->out_color_space = JCS_RGB;
    jpeg_start_decompress(decoder);

    const uint32_t width = decoder->output_width;
    const uint32_t height = decoder->output_height;
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF || decoder->output_components != 3)
        return kStatusFailed;
    const size_t stride = size_t(width) * 3;
    if (!AllocateBottomUpRows(stride, height, &state.pixels, &state.rows))
        return kStatusOutOfMemory;
    while (decoder->output_scanline < height)
        jpeg_read_scanlines(decoder, state.rows + decoder->output_scanline, height - decoder->output_scanline);
    jpeg_finish_decompress(decoder);
    GiveDecodedImage(state.pixels, 24, width, height, out);
    return kStatusOk;
}

} // namespace

Status DecodeJpeg(const ImageInput& input, DecodedImage* out)
{
    DecodeState state;
    state.decoder.err = jpeg_std_error(&state.errors.pub);
    state.errors.pub.error_exit = ExitWithError;
    state.errors.pub.output_message = IgnoreMessage;
    if (setjmp(state.errors.jump))
        return kStatusOutOfMemory; // only the creation below can jump here
    jpeg_create_decompress(&state.decoder);
    const Status status = Decode(state, input, out);
    jpeg_destroy_decompress(&state.decoder);
    UTILS_FREE(state.rows);
    UTILS_FREE(state.pixels);
    return status;
}

namespace {

struct EncodeState {
    jpeg_compress_struct encoder;
    ErrorManager errors;
};

Status Encode(EncodeState& state, FILE* file, uint16_t width, uint16_t height, const uint8_t* pixels,
              bool storedOrder)
{
    jpeg_compress_struct* encoder = &state.encoder;
    if (setjmp(state.errors.jump))
        return StatusOfError(reinterpret_cast<j_common_ptr>(encoder));
    jpeg_stdio_dest(encoder, file);
    encoder->image_width = width;
    encoder->image_height = height;
    encoder->input_components = 3;
    encoder->in_color_space = JCS_RGB;
    jpeg_set_defaults(encoder);
    jpeg_set_quality(encoder, kJpegSaveQuality, TRUE);
    jpeg_start_compress(encoder, TRUE);
    const size_t stride = size_t(width) * 3;
    while (encoder->next_scanline < height) {
        const uint32_t i = encoder->next_scanline;
        const uint32_t stored = storedOrder ? i : height - 1u - i;
        JSAMPROW row = const_cast<JSAMPROW>(pixels + stored * stride);
        jpeg_write_scanlines(encoder, &row, 1);
    }
    jpeg_finish_compress(encoder);
    return kStatusOk;
}

} // namespace

Status EncodeJpeg(FILE* file, uint16_t width, uint16_t height, const uint8_t* pixels, bool storedOrder)
{
    if (!pixels || width == 0 || height == 0)
        return kStatusFailed;
    EncodeState state;
    state.encoder.err = jpeg_std_error(&state.errors.pub);
    state.errors.pub.error_exit = ExitWithError;
    state.errors.pub.output_message = IgnoreMessage;
    if (setjmp(state.errors.jump))
        return kStatusOutOfMemory;
    jpeg_create_compress(&state.encoder);
    const Status status = Encode(state, file, width, height, pixels, storedOrder);
    jpeg_destroy_compress(&state.encoder);
    return status;
}
