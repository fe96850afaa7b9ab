#include "Vornel3D_ToolBox/WaveWriter.h"

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

} // namespace

Status Wave_WritePcm(std::FILE* file, uint32_t rate, uint16_t bits, uint16_t channels, const std::vector<uint8_t>& pcm)
{
    const uint32_t blockAlign = uint32_t(channels) * (bits / 8u);
    if (file == nullptr || (bits != 8 && bits != 16) || (channels != 1 && channels != 2) ||
        pcm.size() % blockAlign != 0 || pcm.size() > 0xFFFFFFF0u - 36)
        return kStatusFailed;
    const uint32_t dataSize = uint32_t(pcm.size());
    const uint32_t pad = dataSize & 1u;  // chunks keep an even size
    std::vector<uint8_t> header;
    PutTag(header, "RIFF");
    PutU32(header, 36 + dataSize + pad);
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    PutU32(header, 16);
    PutU16(header, 1);  // PCM
    PutU16(header, channels);
    PutU32(header, rate);
    PutU32(header, rate * blockAlign);
    PutU16(header, blockAlign);
    PutU16(header, bits);
    PutTag(header, "data");
    PutU32(header, dataSize);
    const uint8_t zero = 0;
    const bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
                    std::fwrite(pcm.data(), 1, pcm.size(), file) == pcm.size() &&
                    (pad == 0 || std::fwrite(&zero, 1, 1, file) == 1);
    return ok ? kStatusOk : kStatusFailed;
}
