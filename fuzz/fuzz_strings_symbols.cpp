// Remapping tables from any bytes: a table that loads remaps text through its entries, and
// unmapping a remapped text gives characters that remap to the same text again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelUtils/UtilsStream_Static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream.Open();
    CStringsManager manager(nullptr, nullptr);
    if (Failed(manager.ReadSymbols(&stream))) {
        if (manager.GetRemapLength() != 0)
            std::abort();
        return 0;
    }
    const uint16_t* table = manager.GetRemapTable();
    const uint32_t length = manager.GetRemapLength();
    std::u16string text;
    for (uint32_t i = 1; i < 64 && i < length; ++i)
        if (table[i] != 0)
            text.push_back(char16_t(i));
    // A character past the table stays as it is.
    if (length < 0xFFFF)
        text.push_back(u'\xFFFF');
    std::u16string mapped = text;
    manager.RemapChars(mapped.data());
    std::u16string unmapped = mapped;
    manager.UnmapChars(unmapped.data());
    for (size_t i = 0; i < text.size(); ++i) {
        // Unmapping finds the first entry with that character: it maps to the same one.
        const char16_t back = unmapped[i];
        const char16_t again = back < length ? table[back] : back;
        if (again != mapped[i])
            std::abort();
    }
    return 0;
}
