#include "Vornel3D/C3DResourceName.h"

#include "VornelUtils/UtilsString.h"

namespace {

bool SameChar(char16_t a, char16_t b)
{
    const auto fold = [](char16_t c) { return c == u'\\' ? u'/' : c; };
    return fold(a) == fold(b);
}

} // namespace

const char16_t* C3DResourceName(const WorldData* pWorldData, const char16_t* path)
{
    if (!path)
        return nullptr;
    const int32_t prefix = pWorldData ? pWorldData->dataPathWord : -1;
    if (prefix < 0)
        return UtilsString_GetFileName(path);
    if (prefix > kWorldTextSize)
        return path;
    for (int32_t i = 0; i < prefix; ++i) {
        // A path that ends early or leaves the folder's text is not inside the data folder.
        if (path[i] == 0 || pWorldData->dataPath[i] == 0 || !SameChar(path[i], pWorldData->dataPath[i]))
            return path;
    }
    return path + prefix;
}
