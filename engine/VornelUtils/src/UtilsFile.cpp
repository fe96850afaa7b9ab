#include "VornelUtils/UtilsFile.h"

#include <cstdio>

#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsString.h"

namespace {

std::FILE* OpenForReading(const char16_t* path)
{
    if (!path || !path[0])
        return nullptr;
    return Platform_OpenFile(UtilsString_ToUtf8(path).c_str(), "rb");
}

}  // namespace

bool UtilsFile_Exists(const char16_t* path)
{
    std::FILE* file = OpenForReading(path);
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

bool UtilsFile_IsNonEmpty(const char16_t* path)
{
    std::FILE* file = OpenForReading(path);
    if (!file)
        return false;
    const bool nonEmpty = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > 0;
    std::fclose(file);
    return nonEmpty;
}
