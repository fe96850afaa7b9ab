#pragma once
// The user's environment: the per-user data folder and the system language.
#include <cstddef>
#include <cstdint>

// The per-user data folder, UTF-8, with a trailing separator: on Linux $XDG_DATA_HOME when it
// is an absolute path, else $HOME/.local/share, with '/'; on Windows %APPDATA%, else (unset)
// the roaming application data folder (CSIDL_APPDATA), with '\\' unless the value ends with a
// separator. False (and an empty buffer when capacity > 0) when none is known or the path
// does not fit with its terminator.
bool Platform_GetUserDataFolder(char* buffer, size_t capacity);

// The system language as a Windows language identifier (primary language in the low 10
// bits, sublanguage above). Linux: from LC_ALL, LC_MESSAGES or LANG, else the desktop's
// preferred locale; "C", "POSIX" and anything unknown give English (0x0409). Windows: the
// system's default language.
uint16_t Platform_GetSystemLanguageId();

// The identifier of one locale name such as "fr_FR.UTF-8", "pt-BR" or "de".
uint16_t Platform_LanguageIdFromLocale(const char* locale);
