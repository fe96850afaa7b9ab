#pragma once
// Message boxes. Without a display the caption and the text go to standard error; a hook set
// by tests (or a headless host) receives every box first.

enum class PlatformMessageBoxKind { kInformation, kWarning, kError };

// Returns true when it took the box (nothing else is shown).
using PlatformMessageBoxHook = bool (*)(PlatformMessageBoxKind kind, const char* captionUtf8,
                                        const char* textUtf8, void* user);

// Replaces the hook; null removes it.
void Platform_SetMessageBoxHook(PlatformMessageBoxHook hook, void* user);

// Shows a modal box and waits for it to be closed. A termination request (SIGTERM, Ctrl+C)
// while it is open closes it; the result is then true, and a handler installed before (SDL's
// quit event) receives the request as well.
bool Platform_MessageBox(PlatformMessageBoxKind kind, const char* captionUtf8,
                         const char* textUtf8);
