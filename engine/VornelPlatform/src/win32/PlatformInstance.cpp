// One running instance per key on Windows: a named mutex "<key>" held by the owner, and a
// named event "<key>.raise" that a second start sets to ask the owner to raise its windows.
// The system drops both with the owner's last handle, so a crashed owner leaves no lock.
#include "VornelPlatform/PlatformInstance.h"

#include <windows.h>

#include <string>

#include "PlatformInstanceKey.h"
#include "PlatformWideText.h"

namespace {

HANDLE g_mutex = nullptr;
HANDLE g_raiseEvent = nullptr;

std::wstring RaiseEventName(const char* key)
{
    return PlatformWideText::FromUtf8(key) + L".raise";
}

}  // namespace

PlatformInstanceResult Platform_AcquireInstanceLock(const char* key)
{
    if (g_mutex)
        return PlatformInstanceResult::kFirst;
    if (!PlatformInstanceKey_IsValid(key))
        return PlatformInstanceResult::kUnavailable;
    // The event exists before the mutex is taken, so no request of a second start is lost.
    // Auto-reset: one request raises the windows once.
    const std::wstring eventName = RaiseEventName(key);
    HANDLE raiseEvent = CreateEventW(nullptr, FALSE, FALSE, eventName.c_str());
    if (!raiseEvent)
        return PlatformInstanceResult::kUnavailable;
    const std::wstring mutexName = PlatformWideText::FromUtf8(key);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName.c_str());
    const DWORD error = GetLastError();
    if (!mutex) {
        CloseHandle(raiseEvent);
        return PlatformInstanceResult::kUnavailable;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        // The system lets only the program the user just started take the foreground: it
        // hands that right on, or the owner's raise would only flash its taskbar button.
        AllowSetForegroundWindow(ASFW_ANY);
        SetEvent(raiseEvent);
        CloseHandle(raiseEvent);
        return PlatformInstanceResult::kOtherRunning;
    }
    g_mutex = mutex;
    g_raiseEvent = raiseEvent;
    return PlatformInstanceResult::kFirst;
}

void Platform_ReleaseInstanceLock()
{
    if (!g_mutex)
        return;
    ReleaseMutex(g_mutex);
    CloseHandle(g_mutex);
    g_mutex = nullptr;
    CloseHandle(g_raiseEvent);
    g_raiseEvent = nullptr;
}

bool Platform_TakeRaiseRequest()
{
    return g_raiseEvent && WaitForSingleObject(g_raiseEvent, 0) == WAIT_OBJECT_0;
}
