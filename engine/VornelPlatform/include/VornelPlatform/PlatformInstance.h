#pragma once
// One running instance per key: on Linux a lock file "<key>.lock" in $XDG_RUNTIME_DIR (else
// /tmp) holds the owner's process id; on Windows the owner holds a named mutex "<key>". A
// second start asks the owner to bring its windows to the front; the owner's pump does so
// when it next runs.

enum class PlatformInstanceResult {
    kFirst,         // this process holds the lock until Platform_ReleaseInstanceLock or exit
    kOtherRunning,  // another process holds it and has been asked to raise its windows
    kUnavailable    // no lock could be made (bad key, unwritable folder): carry on alone
};

// key: letters, digits, '_', '-' and '.', 1 to 64 characters.
PlatformInstanceResult Platform_AcquireInstanceLock(const char* key);
void Platform_ReleaseInstanceLock();

// True when another start asked this process to raise its windows since the last call.
bool Platform_TakeRaiseRequest();
