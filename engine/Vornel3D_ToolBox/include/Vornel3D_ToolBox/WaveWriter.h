#pragma once
// Writes PCM samples as a RIFF WAVE file: "RIFF", "WAVE", a 16-byte "fmt " chunk (format tag 1)
// and the "data" chunk, field by field, little-endian.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "VornelUtils/Status.h"

// pcm holds whole frames of channels x bits/8 bytes. kStatusFailed when the format is not
// 8 or 16 bits of 1 or 2 channels, the data does not fit a WAV file, or a write fails.
Status Wave_WritePcm(std::FILE* file, uint32_t rate, uint16_t bits, uint16_t channels, const std::vector<uint8_t>& pcm);
