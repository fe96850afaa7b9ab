// Settings text: every typed getter over any bytes, with and without the section cache, from
// a plain or scrambled block. Nothing may crash, overrun or leak.
#include <cstdint>
#include <cstring>

#include "VornelUtils/UtilsParameters_Static.h"
#include "VornelUtils/UtilsScramble.h"

namespace {

void Ask(UtilsParameters& reader)
{
    static const char16_t* const kSections[] = {u"S", u"A", u""};
    static const char16_t* const kKeys[] = {u"K", u"X"};
    char16_t out[300];
    char16_t tiny[3];
    for (const char16_t* section : kSections) {
        for (const char16_t* key : kKeys) {
            reader.GetBool(section, key, 1);
            reader.GetByte(section, key, 2);
            reader.GetWord(section, key, 3);
            reader.GetInt(section, key, 4);
            reader.GetHex(section, key, 5);
            reader.GetFloat(section, key, 6.0f);
            reader.GetDouble(section, key, 7.0);
            reader.GetString(section, key, u"default", out, 300);
            reader.GetString(section, key, u"default", tiny, 3);
            reader.GetPath(section, key, u"default", out, 300, u"prefix/");
            reader.GetPath(section, key, nullptr, tiny, 3, nullptr);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    UtilsParameters_Static plain(data, static_cast<uint32_t>(size), kScrambleKey);
    Ask(plain);
    plain.SetMode(1);
    Ask(plain);

    // The same text as a stored (scrambled) block.
    const size_t storedSize = size + kScrambledBlockOverhead;
    uint8_t* stored = new uint8_t[storedSize];
    size_t written = 0;
    if (Succeeded(ScrambleSettingsBlock(data, size, kScrambleKey, stored, storedSize, &written))) {
        UtilsParameters_Static scrambled(stored, static_cast<uint32_t>(written), kScrambleKey);
        scrambled.SetMode(1);
        Ask(scrambled);
    }
    delete[] stored;
    return 0;
}
