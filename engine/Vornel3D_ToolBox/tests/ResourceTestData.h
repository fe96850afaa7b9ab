#pragma once
// What the resource and string-table tests share: a scratch folder, packs and string tables
// written byte by byte, a static locator over named blocks, and a managed world over them.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ToolBoxTestWorld.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsString.h"

using Bytes = std::vector<uint8_t>;

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("toolbox-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }

    std::string Path(const std::string& name) const { return (m_path / name).string(); }
    std::u16string Wide(const std::string& name) const { return UtilsString_FromUtf8(Path(name).c_str()); }

    void Write(const std::string& name, const Bytes& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
        if (std::FILE* file = std::fopen(Path(name).c_str(), "wb")) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    std::string Read(const std::string& name) const
    {
        std::string text;
        if (std::FILE* file = std::fopen(Path(name).c_str(), "rb")) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                text.append(buffer, n);
            std::fclose(file);
        }
        return text;
    }
    // An indexed pack of these entries.
    void WritePack(const std::string& name, const std::vector<std::pair<std::string, Bytes>>& entries) const
    {
        std::FILE* file = std::fopen(Path(name).c_str(), "wb");
        if (!file)
            return;
        WritePackCountRecord(file, uint32_t(entries.size()));
        for (const auto& entry : entries)
            WritePackRecord(file, entry.first.c_str(), entry.second.data(), uint32_t(entry.second.size()));
        std::fclose(file);
    }

private:
    std::filesystem::path m_path;
};

inline Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

inline void PutU32(Bytes& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

// A string table in its file form, offsets at `width` bytes.
inline Bytes StringTable(const std::vector<std::u16string>& strings, uint8_t width = 4)
{
    std::u16string text;
    std::vector<uint32_t> offsets;
    for (const auto& s : strings) {
        offsets.push_back(uint32_t(text.size()));
        text += s;
        text.push_back(0);
    }
    Bytes bytes{2};
    PutU32(bytes, uint32_t(text.size()));
    bytes.push_back(width);
    PutU32(bytes, uint32_t(strings.size()));
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    for (uint32_t offset : offsets)
        for (uint8_t i = 0; i < width; ++i)
            bytes.push_back(uint8_t(offset >> (8 * i)));
    return bytes;
}

// The blocks that the static locator below finds by name.
inline std::map<std::u16string, Bytes>& StaticBlocks()
{
    static std::map<std::u16string, Bytes> blocks;
    return blocks;
}

inline Status FindStaticBlock(WorldData* w, const char16_t* name)
{
    auto it = StaticBlocks().find(name);
    if (it == StaticBlocks().end())
        return kStatusFailed;
    w->staticResource.pAddress = it->second.data();
    w->staticResource.size = uint32_t(it->second.size());
    return kStatusOk;
}

// The source in bits 12-15 of a resource mode word.
inline uint32_t ModeOfSource(uint32_t source)
{
    return source << 12 | 0x2;
}

// A managed world whose main pack is `pack` in the folder (none when empty), with the static
// locator above, a log file "test.log" in the folder and the data path the folder itself.
struct ResourceWorld {
    ResourceWorld(const ScratchFolder& folder, uint32_t source, const std::string& pack)
    {
        const std::u16string log = folder.Wide("test.log");
        const std::u16string packPath = pack.empty() ? u"" : folder.Wide(pack);
        world.SetParameters(nullptr, nullptr, FindStaticBlock, pack.empty() ? nullptr : packPath.c_str(), 0,
                            FindPackEntry, log.c_str());
        const std::u16string dataPath = folder.Wide("");
        world.SetApplicationParameters(ModeOfSource(source), u"KEY", u"Test", dataPath.c_str(), 0);
    }
    ~ResourceWorld() { world.Unload(); }

    WorldData* Data() { return world.GetWorldData(); }

    CTestManagedWorld world;
};
