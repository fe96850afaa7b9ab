#pragma once
// The single-instance key names a lock file on one system and a mutex on the other: both take
// the same keys.

// Letters, digits, '_', '-' and '.', 1 to 64 characters, and not "." or "..".
bool PlatformInstanceKey_IsValid(const char* key);
