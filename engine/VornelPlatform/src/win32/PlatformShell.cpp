#include "VornelPlatform/PlatformShell.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "PlatformWideText.h"

bool Platform_ShellOpen(const char* targetUtf8)
{
    if (!targetUtf8 || !*targetUtf8)
        return false;
    const std::wstring target = PlatformWideText::FromUtf8(targetUtf8);
    if (target.empty())
        return false;
    // The shell's "open" verb: the user's browser for an address, the document's program for
    // a file. Values above 32 mean the program was started.
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
