// String tables from any bytes: a table that loads keeps every string inside its block, writes
// back and reads again to the same strings, and survives edits; one that does not load leaves
// the table before it untouched.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

std::vector<std::u16string> Strings(const CStringsRaw& table)
{
    std::vector<std::u16string> strings(table.GetCount());
    // Each string ends inside the block: within the characters from its start to the end.
    uint64_t toTheEnd = 0;
    for (uint32_t i = table.GetCount(); i-- > 0;) {
        toTheEnd += table.GetLength(i);
        strings[i] = table.GetString(i);
        if (strings[i].size() + 1 > toTheEnd)
            std::abort();
    }
    return strings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream.Open();
    CStringsRaw table(nullptr);
    table.Insert(u"before", -1);
    if (Failed(table.Load(&stream))) {
        if (table.GetCount() != 1 || std::u16string(table.GetString(0)) != u"before")
            std::abort();
        return 0;
    }
    const std::vector<std::u16string> strings = Strings(table);

    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (Failed(table.Save(&out)) || !out.Rewind())
        std::abort();
    CStringsRaw again(nullptr);
    if (Failed(again.Load(&out)) || Strings(again) != strings || again.GetTotalChars() != table.GetTotalChars())
        std::abort();

    // Edits keep the table whole.
    const uint32_t count = table.GetCount();
    if (count > 0) {
        table.Move(0, count);
        table.Replace(u"replaced", count / 2);
        table.Remove(count - 1);
        table.Insert(u"inserted", int32_t(count / 3));
        if (table.GetCount() != count)
            std::abort();
        Strings(table);
    }
    return 0;
}
