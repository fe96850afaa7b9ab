#include "ImageFile.h"

#include <string>

#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsString.h"

FILE* OpenImageFile(const char16_t* path, const char* mode)
{
    if (!path || !*path)
        return nullptr;
    return Platform_OpenFile(UtilsString_ToUtf8(path).c_str(), mode);
}
