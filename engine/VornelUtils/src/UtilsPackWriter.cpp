#include "VornelUtils/UtilsPackWriter.h"

#include <cstring>

#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool WriteU32(std::FILE* file, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return std::fwrite(bytes, 1, 4, file) == 4;
}

} // namespace

Status WritePackRecord(std::FILE* file, const char* name, const void* data, uint32_t size)
{
    if (file == nullptr || name == nullptr || (data == nullptr && size != 0))
        return kStatusFailed;
    const size_t length = std::strlen(name);
    if (length == 0 || length + 1 >= kPackNameLimit)
        return kStatusFailed;
    uint8_t scrambled[kPackNameLimit];
    std::memcpy(scrambled, name, length + 1);
    ApplyScrambleKey(scrambled, length + 1, kScrambleKey);
    const uint32_t nameLength = static_cast<uint32_t>(length + 1);
    if (!WriteU32(file, size) || !WriteU32(file, nameLength) || std::fwrite(scrambled, 1, nameLength, file) != nameLength)
        return kStatusFailed;
    if (size != 0 && std::fwrite(data, 1, size, file) != size)
        return kStatusFailed;
    return kStatusOk;
}

Status WritePackCountRecord(std::FILE* file, uint32_t count)
{
    if (count > 0x7FFFFFFFu)
        return kStatusFailed;
    char name[32];
    UtilsString_FormatA(name, sizeof(name), "*=%d", static_cast<int32_t>(count));
    return WritePackRecord(file, name, nullptr, 0);
}
