// Resource packs from any bytes: every entry found by the scan is found again through the
// index (when one can be built) with the same size, and absent names are found by neither.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsStream_Packer.h"

namespace {

std::u16string Wide(const std::string& name)
{
    std::u16string wide;
    for (unsigned char c : name)
        wide.push_back(c);
    return wide;
}

struct Entry {
    std::string name;
    uint32_t size;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<uint8_t> bytes(data, data + size);
    PackRecord pack{};
    pack.pFile = fmemopen(bytes.data(), bytes.size(), "rb");
    if (pack.pFile == nullptr)
        return 0;

    std::vector<Entry> entries;
    const PackEntryVisitor collect = [](void* context, const char* name, uint32_t dataSize, uint32_t) {
        auto* list = static_cast<std::vector<Entry>*>(context);
        list->push_back({name, dataSize});
        return true;
    };
    WalkPackEntries(&pack, collect, &entries);

    // The scan finds the first record of each name.
    std::vector<Entry> found;
    for (size_t i = 0; i < entries.size() && i < 64; ++i) {
        const Entry& entry = entries[i];
        if (entry.name.empty() || Failed(FindPackEntry(Wide(entry.name).c_str(), &pack)))
            continue;
        found.push_back({entry.name, pack.lastEntrySize});
        UtilsStream_Packer stream(kStreamRead, &pack);
        if (Succeeded(stream.Open())) {
            uint8_t buffer[32];
            const uint32_t n = stream.GetEntrySize() < 32 ? stream.GetEntrySize() : 32;
            if (!stream.Read(buffer, 1, n) || stream.Read(buffer, 1, stream.GetEntrySize() - n + 1))
                std::abort();
        }
    }
    const char16_t* const absent[] = {u"\x01", u"zzzz\xFF", u"*=1"};

    WorldData world{};
    if (Succeeded(BuildPackIndex(&pack, &world))) {
        for (const Entry& entry : found) {
            if (Failed(FindPackEntry(Wide(entry.name).c_str(), &pack)))
                std::abort();
            // Records of the same name may differ; one of them is found.
            bool known = false;
            for (const Entry& e : entries)
                known = known || (e.name == entry.name && e.size == pack.lastEntrySize);
            if (!known)
                std::abort();
        }
        for (const char16_t* name : absent) {
            bool present = false;
            for (const Entry& e : entries)
                present = present || Wide(e.name) == name;
            if (!present && Succeeded(FindPackEntry(name, &pack)))
                std::abort();
        }
    }
    ClosePackFile(&pack);
    return 0;
}
