// The per-user folder and the paths of the files in it.
#include "NimbrelWorld/UserDataPath.h"

#include <string>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelPlatform/PlatformUser.h"
#include "VornelUtils/UtilsString.h"

Status GetAppDataFolder(char16_t* buffer)
{
    if (!buffer)
        return kStatusFailed;
    buffer[0] = 0;
    char folder[kWorldTextSize * 4];
    if (!Platform_GetUserDataFolder(folder, sizeof folder))
        return kStatusFailed;
    if (!UtilsString_Copy(buffer, kWorldTextSize, UtilsString_FromUtf8(folder).c_str())) {
        buffer[0] = 0;
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CreateDirectoryChain(char16_t* path)
{
    if (!path)
        return kStatusFailed;
    UtilsString_ReplaceChar(path, u'/', u'\\');
    size_t length = UtilsString_Length(path);
    if (length == 0 || path[length - 1] != u'\\') {
        if (length + 1 >= static_cast<size_t>(kWorldTextSize))
            return kStatusFailed;
        path[length++] = u'\\';
        path[length] = 0;
    }
    // Each level up to and including its separator; a drive such as C: is no folder to create.
    size_t first = 0;
    while (first < length && path[first] != u'\\')
        ++first;
    for (size_t at = first; at < length; ++at) {
        if (path[at] != u'\\' || (at == first && at > 0 && path[at - 1] == u':'))
            continue;
        const std::string level = UtilsString_ToUtf8(std::u16string(path, at + 1).c_str());
        if (Platform_CreateDirectory(level.c_str()) == PlatformFolderResult::kFailed)
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::BuildUserDataPath(const char16_t* fileName, uint8_t createFolder, const char16_t* folderWord,
                                        char16_t* out)
{
    if (!out)
        return kStatusFailed;
    out[0] = 0;
    char16_t base[kWorldTextSize];
    if (Failed(GetAppDataFolder(base)))
        return kStatusFailed;
    const char16_t* name = GetAppName();
    if (!fileName)
        fileName = u"";
    char16_t folder[kWorldTextSize + 1];
    char16_t path[kWorldTextSize + 1];
    // A cut path would name another file, and a chain made for it would be wrong: refuse both
    // before anything is created.
    int length = UtilsString_Format(folder, kWorldTextSize + 1, u"%s%s %s\\", base, folderWord ? folderWord : u"",
                                    name);
    if (length < 0 || length >= kWorldTextSize)
        return kStatusFailed;
    length = UtilsString_Format(path, kWorldTextSize + 1, u"%s%s.v3.%s", folder, name, fileName);
    if (length < 0 || length >= kWorldTextSize)
        return kStatusFailed;
    if (createFolder) {
        CreateDirectoryChain(folder);  // a folder that could not be made fails the file's open
        UtilsString_Format(path, kWorldTextSize, u"%s%s.v3.%s", folder, name, fileName);
    }
    UtilsString_Copy(out, kWorldTextSize, path);
    return kStatusOk;
}
