#pragma once
// UTF-8 paths and texts of the engine to the UTF-16 of the wide Win32 calls and back.
#include <windows.h>

#include <string>

namespace PlatformWideText {

// Empty for a null or malformed text.
inline std::wstring FromUtf8(const char* utf8)
{
    if (!utf8 || !*utf8)
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

inline std::string ToUtf8(const wchar_t* wide)
{
    if (!wide || !*wide)
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(length - 1));
    return utf8;
}

}  // namespace PlatformWideText
