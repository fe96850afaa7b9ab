// The user's environment on Windows: the roaming application data folder (APPDATA) and the
// system's default language.
#include "VornelPlatform/PlatformUser.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "PlatformWideText.h"

bool Platform_GetUserDataFolder(char* buffer, size_t capacity)
{
    if (!buffer || capacity == 0)
        return false;
    buffer[0] = '\0';
    // APPDATA names the folder as the user (or whoever started us) wants it; the shell's
    // own answer only stands in when the variable is not set.
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
    if (length >= MAX_PATH)
        return false;
    if (length == 0 &&
        (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || !folder[0]))
        return false;
    std::string utf8 = PlatformWideText::ToUtf8(folder);
    if (utf8.empty())
        return false;
    if (utf8.back() != '\\' && utf8.back() != '/')
        utf8 += '\\';
    if (utf8.size() + 1 > capacity)
        return false;
    std::memcpy(buffer, utf8.c_str(), utf8.size() + 1);
    return true;
}

uint16_t Platform_GetSystemLanguageId()
{
    return static_cast<uint16_t>(GetSystemDefaultLangID());
}
