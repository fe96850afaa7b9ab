#include "VornelUtils/UtilsParameters_File.h"

#include <cstdio>

#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

UtilsParameters_File::UtilsParameters_File(const char16_t* path, uint32_t key)
    : UtilsParameters_Text(nullptr, 0)
{
    if (path == nullptr || path[0] == 0)
        return;
    const std::string utf8 = UtilsString_ToUtf8(path);
    std::FILE* file = Platform_OpenFile(utf8.c_str(), "rb");
    if (file == nullptr)
        return;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size > 0 && size <= 0x7FFFFFFFL && std::fseek(file, 0, SEEK_SET) == 0) {
        auto* text = static_cast<uint8_t*>(UtilsMalloc(static_cast<size_t>(size), __FILE__, __LINE__));
        if (text != nullptr) {
            if (std::fread(text, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size)) {
                UnscrambleBlockIfScrambled(text, static_cast<size_t>(size), key);
                m_pText = reinterpret_cast<const char*>(text);
                m_textSize = static_cast<uint32_t>(size);
            } else {
                UtilsFree(text, __FILE__, __LINE__);
            }
        }
    }
    std::fclose(file);
}

UtilsParameters_File::~UtilsParameters_File()
{
    UtilsFree(const_cast<char*>(m_pText), __FILE__, __LINE__);
}
