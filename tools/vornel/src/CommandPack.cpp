// vornel pack: makes resource packs from folders and reads them back through the engine's
// pack reader (entry names are paths relative to the folder, with '/' separators).
#include "Commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace fs = std::filesystem;

namespace {

// Pack names are bytes; the locator takes wide names and keeps each character's low byte,
// so a name given as bytes is widened byte by byte.
std::u16string NameToWide(const std::string& name)
{
    std::u16string wide;
    for (unsigned char c : name)
        wide.push_back(c);
    return wide;
}

bool ReadWholeFile(const fs::path& path, std::vector<char>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// Every file of the folders, named by its path inside its folder. The same name in two folders
// is refused: one of them would be lost from the pack without a word.
int Create(const char* outPath, char** folderPaths, int folderCount)
{
    std::error_code error;
    const fs::path out = fs::absolute(outPath, error);
    struct Entry {
        std::string name;
        fs::path path;
    };
    std::vector<Entry> entries;
    for (int f = 0; f < folderCount; ++f) {
        const fs::path folder(folderPaths[f]);
        if (!fs::is_directory(folder, error)) {
            std::fprintf(stderr, "vornel pack: %s is not a folder\n", folderPaths[f]);
            return 1;
        }
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            if (!it->is_regular_file(error))
                continue;
            if (fs::equivalent(it->path(), out, error))
                continue; // the pack being written inside its own folder
            const std::string name = fs::relative(it->path(), folder, error).generic_string();
            if (name.empty() || name.size() + 1 >= kPackNameLimit) {
                std::fprintf(stderr, "vornel pack: %s: the name is too long for a pack\n", it->path().c_str());
                return 1;
            }
            entries.push_back({name, it->path()});
        }
        if (error) {
            std::fprintf(stderr, "vornel pack: cannot read %s: %s\n", folderPaths[f], error.message().c_str());
            return 1;
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].name == entries[i - 1].name) {
            std::fprintf(stderr, "vornel pack: %s is in two folders (%s and %s)\n", entries[i].name.c_str(),
                         entries[i - 1].path.c_str(), entries[i].path.c_str());
            return 1;
        }
    }

    std::FILE* file = std::fopen(outPath, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "vornel pack: cannot write %s\n", outPath);
        return 1;
    }
    bool ok = Succeeded(WritePackCountRecord(file, static_cast<uint32_t>(entries.size())));
    std::vector<char> data;
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        if (!ReadWholeFile(entries[i].path, data) || data.size() > 0xFFFFFFFFu) {
            std::fprintf(stderr, "vornel pack: cannot read %s\n", entries[i].path.c_str());
            ok = false;
            break;
        }
        ok = Succeeded(WritePackRecord(file, entries[i].name.c_str(), data.data(), static_cast<uint32_t>(data.size())));
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "vornel pack: cannot write %s\n", outPath);
        std::remove(outPath);
        return 1;
    }
    return 0;
}

bool OpenPack(PackRecord& pack, const char* path)
{
    if (Failed(OpenPackFile(&pack, UtilsString_FromUtf8(path).c_str(), 0))) {
        std::fprintf(stderr, "vornel pack: cannot open %s\n", path);
        return false;
    }
    return true;
}

int List(const char* packPath)
{
    PackRecord pack{};
    if (!OpenPack(pack, packPath))
        return 1;
    const PackEntryVisitor print = [](void*, const char* name, uint32_t size, uint32_t) {
        std::printf("%s\t%u\n", name, size);
        return true;
    };
    const Status status = WalkPackEntries(&pack, print, nullptr);
    ClosePackFile(&pack);
    if (Failed(status)) {
        std::fprintf(stderr, "vornel pack: %s is damaged\n", packPath);
        return 1;
    }
    return 0;
}

int Cat(const char* packPath, const char* name)
{
    PackRecord pack{};
    if (!OpenPack(pack, packPath))
        return 1;
    int result = 0;
    if (Failed(FindPackEntry(NameToWide(name).c_str(), &pack))) {
        std::fprintf(stderr, "vornel pack: no entry %s in %s\n", name, packPath);
        result = 1;
    } else {
        UtilsStream_Packer stream(kStreamRead, &pack);
        if (Failed(stream.Open())) {
            result = 1;
        } else {
            char buffer[65536];
            uint32_t left = stream.GetEntrySize();
            while (left > 0 && result == 0) {
                const uint32_t n = left < sizeof(buffer) ? left : static_cast<uint32_t>(sizeof(buffer));
                if (!stream.Read(buffer, 1, n) || std::fwrite(buffer, 1, n, stdout) != n)
                    result = 1;
                left -= n;
            }
            stream.Close();
        }
        if (result != 0)
            std::fprintf(stderr, "vornel pack: cannot read %s from %s\n", name, packPath);
    }
    ClosePackFile(&pack);
    if (std::fflush(stdout) != 0)
        result = 1;
    return result;
}

} // namespace

int CommandPack(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[0], "create") == 0)
        return Create(argv[1], argv + 2, argc - 2);
    if (argc == 2 && std::strcmp(argv[0], "list") == 0)
        return List(argv[1]);
    if (argc == 3 && std::strcmp(argv[0], "cat") == 0)
        return Cat(argv[1], argv[2]);
    return kExitUsage;
}
