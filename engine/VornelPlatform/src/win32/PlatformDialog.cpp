#include "PlatformWin32.h"

#include <atomic>
#include <cstdio>

#include "PlatformBoxRoute.h"

namespace {

// A termination request from the console (Ctrl+C, Ctrl+Break, its window closed) while a box
// is open closes the box, so the program goes on to end as it would after the box instead of
// waiting on a box nobody may see.
std::atomic<bool> g_boxOpen{false};
std::atomic<bool> g_terminated{false};
std::atomic<DWORD> g_boxThread{0};

// Only the box is closed: the thread's other windows (the game's own, the system's hidden
// ones) would take a WM_CLOSE for the end of the program.
BOOL CALLBACK CloseBoxWindow(HWND hwnd, LPARAM)
{
    wchar_t className[16] = {};
    if (GetClassNameW(hwnd, className, 16) > 0 && lstrcmpW(className, L"#32770") == 0)
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (!g_boxOpen.load() || (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT))
        return FALSE;
    g_terminated.store(true);
    // The box is a top-level window of the thread that showed it: a post reaches it from here.
    EnumThreadWindows(g_boxThread.load(), CloseBoxWindow, 0);
    return TRUE;
}

UINT IconOf(PlatformMessageBoxKind kind)
{
    switch (kind) {
    case PlatformMessageBoxKind::kWarning: return MB_ICONWARNING;
    case PlatformMessageBoxKind::kError: return MB_ICONERROR;
    default: return MB_ICONINFORMATION;
    }
}

}  // namespace

bool Platform_MessageBox(PlatformMessageBoxKind kind, const char* captionUtf8, const char* textUtf8)
{
    const char* caption = captionUtf8 ? captionUtf8 : "";
    const char* text = textUtf8 ? textUtf8 : "";
    if (PlatformBox_OfferToHook(kind, caption, text))
        return false;

    static const bool watched = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    g_terminated.store(false);
    g_boxThread.store(GetCurrentThreadId());
    g_boxOpen.store(watched);
    const std::wstring wideCaption = PlatformWideText::FromUtf8(caption);
    const std::wstring wideText = PlatformWideText::FromUtf8(text);
    const int shown = MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(),
                                  MB_OK | MB_SETFOREGROUND | MB_TASKMODAL | IconOf(kind));
    g_boxOpen.store(false);
    if (g_terminated.load())
        return true;
    if (shown != 0)
        return false;
    // No desktop to show it on: the words still reach someone.
    PlatformBox_ToStandardError(caption, text);
    return false;
}
