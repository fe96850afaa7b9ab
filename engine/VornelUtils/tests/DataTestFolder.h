#pragma once
// A scratch folder for the settings, stream and pack tests, removed with the fixture.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "VornelUtils/UtilsString.h"

class DataTestFolder {
public:
    explicit DataTestFolder(const char* what)
    {
        std::random_device random;
        m_folder = std::filesystem::temp_directory_path() / (std::string("vornel-") + what + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_folder);
    }
    ~DataTestFolder() { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }
    std::u16string WidePath(const std::string& name) const { return UtilsString_FromUtf8(Path(name).c_str()); }

    void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::FILE* file = std::fopen(Path(name).c_str(), "wb");
        if (file == nullptr)
            return;
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    std::vector<uint8_t> ReadFile(const std::string& name) const
    {
        std::vector<uint8_t> bytes;
        std::FILE* file = std::fopen(Path(name).c_str(), "rb");
        if (file == nullptr)
            return bytes;
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(file);
        return bytes;
    }

private:
    std::filesystem::path m_folder;
};

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
