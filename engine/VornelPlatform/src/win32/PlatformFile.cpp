// Files by the paths the system writes, on the system they were written for: Windows takes
// '\\' and '/' alike and matches names without regard to case, so a path is used as it is.
#include "VornelPlatform/PlatformFile.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "PlatformWideText.h"

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::FILE* Platform_OpenFile(const char* utf8Path, const char* mode)
{
    if (!utf8Path || !mode || !*utf8Path || !*mode)
        return nullptr;
    const std::wstring path = PlatformWideText::FromUtf8(utf8Path);
    const std::wstring wideMode = PlatformWideText::FromUtf8(mode);
    if (path.empty() || wideMode.empty() || IsFolder(path))
        return nullptr;
    return _wfopen(path.c_str(), wideMode.c_str());
}

bool Platform_FileExists(const char* utf8Path)
{
    if (!utf8Path || !*utf8Path)
        return false;
    const std::wstring path = PlatformWideText::FromUtf8(utf8Path);
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

PlatformFolderResult Platform_CreateDirectory(const char* utf8Path)
{
    if (!utf8Path || !*utf8Path)
        return PlatformFolderResult::kFailed;
    const std::wstring path = PlatformWideText::FromUtf8(utf8Path);
    if (path.empty())
        return PlatformFolderResult::kFailed;
    if (CreateDirectoryW(path.c_str(), nullptr))
        return PlatformFolderResult::kCreated;
    return GetLastError() == ERROR_ALREADY_EXISTS ? PlatformFolderResult::kExists : PlatformFolderResult::kFailed;
}
