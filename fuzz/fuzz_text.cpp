// Text taken from files and the system: UTF-8 decoding and encoding, number and version parsing,
// path helpers. Nothing may crash, and re-encoding decoded text must give the same text back.
#include "VornelUtils/UtilsString.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const char* text = bytes.c_str(); // stops at the first zero byte, like every caller

    std::u16string wide = UtilsString_FromUtf8(text);
    std::string utf8 = UtilsString_ToUtf8(wide.c_str());
    if (UtilsString_FromUtf8(utf8.c_str()) != wide)
        std::abort();

    int32_t major = 0, minor = 0;
    UtilsString_ParseVersion(text, &major, &minor);
    UtilsString_ToIntA(text);
    UtilsString_ToInt(wide.c_str());
    UtilsString_GetExtension(wide.c_str());
    UtilsString_GetFileName(wide.c_str());
    UtilsString_IsInteger(wide.c_str());

    // Raw 16-bit units, lone surrogates included.
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    std::string encoded = UtilsString_ToUtf8(units.c_str());
    UtilsString_FromUtf8(encoded.c_str());

    char narrow[16];
    WideToAnsiCopy(units.c_str(), narrow, sizeof(narrow));
    char16_t widened[16];
    UtilsString_AToW(text, widened, 16);
    char16_t formatted[32];
    UtilsString_Format(formatted, 32, u"%s|%S|%5.3s", units.c_str(), text, wide.c_str());
    return 0;
}
