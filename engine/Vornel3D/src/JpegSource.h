#pragma once
// Our libjpeg data source: an image in memory, or an open file read from its current position
// up to an end limit (a pack entry inside a larger file).
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

constexpr size_t kJpegSourceBufferSize = 4096;

// Hands out the block once; a decoder asking for more gets only an end-of-image marker.
void JpegSourceFromMemory(j_decompress_ptr decoder, const uint8_t* data, size_t size);
// Reads at most `limit` bytes (-1: to the end of the file); past them only an end-of-image
// marker is handed out.
void JpegSourceFromFile(j_decompress_ptr decoder, FILE* file, int64_t limit);
