#include "JpegSource.h"

#include <algorithm>

namespace {

struct JpegSource {
    jpeg_source_mgr pub;
    FILE* file;          // null for memory
    int64_t limit;       // -1: none
    int64_t handedOut;   // bytes of the file or block handed out so far
    JOCTET* buffer;      // file buffer (kJpegSourceBufferSize + 2 bytes) or the memory block
    size_t blockSize;    // bytes of the memory block
    boolean startOfFile;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

JpegSource* SourceOf(j_decompress_ptr decoder)
{
    return reinterpret_cast<JpegSource*>(decoder->src);
}

void InitSource(j_decompress_ptr decoder)
{
    SourceOf(decoder)->startOfFile = TRUE;
}

// When the data runs out the decoder gets an end-of-image marker, never bytes we do not have,
// so a truncated image ends as a warning instead of reading past its data.
void HandOutEndOfImage(j_decompress_ptr decoder, JpegSource* source)
{
    if (source->startOfFile)
        ERREXIT(decoder, JERR_INPUT_EMPTY);
    WARNMS(decoder, JWRN_JPEG_EOF);
    source->pub.next_input_byte = kEndOfImage;
    source->pub.bytes_in_buffer = sizeof kEndOfImage;
}

boolean FillFromMemory(j_decompress_ptr decoder)
{
    JpegSource* source = SourceOf(decoder);
    if (source->handedOut == 0 && source->blockSize > 0) {
        source->pub.next_input_byte = source->buffer;
        source->pub.bytes_in_buffer = source->blockSize;
        source->handedOut = int64_t(source->blockSize);
    } else {
        // Handing the block out again would let a marker whose length ends at the block's end
        // be read for ever.
        HandOutEndOfImage(decoder, source);
    }
    source->startOfFile = FALSE;
    return TRUE;
}

boolean FillFromFile(j_decompress_ptr decoder)
{
    JpegSource* source = SourceOf(decoder);
    size_t wanted = kJpegSourceBufferSize;
    if (source->limit >= 0)
        wanted = size_t(std::min<int64_t>(int64_t(wanted), std::max<int64_t>(0, source->limit - source->handedOut)));
    // Never read past the limit: the bytes after it belong to someone else.
    const size_t read = wanted > 0 ? std::fread(source->buffer, 1, wanted, source->file) : 0;
    if (read == 0) {
        HandOutEndOfImage(decoder, source);
    } else {
        source->pub.next_input_byte = source->buffer;
        source->pub.bytes_in_buffer = read;
        source->handedOut += int64_t(read);
    }
    source->startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr decoder, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* pub = decoder->src;
    while (size_t(count) > pub->bytes_in_buffer) {
        count -= long(pub->bytes_in_buffer);
        (*pub->fill_input_buffer)(decoder);
    }
    pub->next_input_byte += count;
    pub->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

JpegSource* PrepareSource(j_decompress_ptr decoder)
{
    if (!decoder->src) {
        decoder->src = static_cast<jpeg_source_mgr*>(
            (*decoder->mem->alloc_small)(reinterpret_cast<j_common_ptr>(decoder), JPOOL_PERMANENT, sizeof(JpegSource)));
    }
    JpegSource* source = SourceOf(decoder);
    source->pub.init_source = InitSource;
    source->pub.skip_input_data = SkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    source->file = nullptr;
    source->limit = -1;
    source->handedOut = 0;
    source->buffer = nullptr;
    source->blockSize = 0;
    source->startOfFile = TRUE;
    return source;
}

} // namespace

void JpegSourceFromMemory(j_decompress_ptr decoder, const uint8_t* data, size_t size)
{
    JpegSource* source = PrepareSource(decoder);
    source->pub.fill_input_buffer = FillFromMemory;
    source->buffer = const_cast<JOCTET*>(data);
    source->blockSize = data ? size : 0;
}

void JpegSourceFromFile(j_decompress_ptr decoder, FILE* file, int64_t limit)
{
    JpegSource* source = PrepareSource(decoder);
    source->pub.fill_input_buffer = FillFromFile;
    source->file = file;
    source->limit = limit;
    source->buffer = static_cast<JOCTET*>((*decoder->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(decoder), JPOOL_PERMANENT, kJpegSourceBufferSize + 2));
}
