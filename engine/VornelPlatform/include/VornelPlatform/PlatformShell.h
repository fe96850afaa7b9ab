#pragma once
// Opening a document or web address with the user's preferred application.

// Starts "xdg-open TARGET" (found through PATH, no shell in between) on Linux, the shell's
// "open" verb on Windows, and does not wait for it; true when the program could be started.
bool Platform_ShellOpen(const char* targetUtf8);
