#pragma once
// Files and folders by the paths the system writes: Windows separators and a case-blind file
// system; saved files written whole or not at all. Paths are UTF-8. On Windows the system
// itself takes both separators and matches names without regard to case: paths are used as
// given, and the save's sync and rename are FlushFileBuffers and a write-through MoveFileExW.
#include <cstddef>
#include <cstdio>

// Opens a file like fopen after turning every '\\' into '/'. When the mode starts with 'r' and
// the exact path does not exist, each path component is matched without regard to ASCII case
// (the first match in name order wins when several differ only in case). A directory is never
// opened. Null when the file cannot be opened or an argument is null.
std::FILE* Platform_OpenFile(const char* utf8Path, const char* mode);

// True when the path (same rules as opening for reading) names an existing regular file.
bool Platform_FileExists(const char* utf8Path);

enum class PlatformFolderResult {
    kCreated,
    kExists,  // something of that name is there already (a folder, or a file)
    kFailed
};

// Creates one folder (mode 0755, before the umask) after turning every '\\' into '/'. Its
// parent must exist.
PlatformFolderResult Platform_CreateDirectory(const char* utf8Path);

// Replaces the whole content of a saved file (options, profiles) so that a crash, a kill or a
// full disk at any moment leaves either the old content or the new one, never a mix: the bytes
// go to a new file "<name>.tmp-<pid>-<n>" in the target's folder, which is synced, closed and
// renamed over the target; the folder is synced last. The target is named exactly (after
// '\\' becomes '/'); its folder must exist. On any failure before the rename the temporary
// file is removed and the target is left as it was. Temporary files that an earlier, killed
// save of the same target left behind are removed after a successful save. False on any
// failure, also when only the last folder sync failed (the new content is then in place but
// perhaps not yet on disk).
bool Platform_WriteFileAtomic(const char* utf8Path, const void* data, size_t size);

// The steps of a save, in the order they run; kWrite once per write call.
enum class PlatformSaveStep { kWrite, kSync, kClose, kRename, kSyncFolder };

// For tests only: called before each step with the bytes written so far. A negative result
// makes the step fail as its system call would (with EIO); 0 lets it run; for kWrite a positive
// result caps the bytes of that one write call (a short write). The hook may also end the
// process there. Null removes it.
using PlatformSaveHook = long (*)(void* context, PlatformSaveStep step, size_t written);
void Platform_SetSaveHook(PlatformSaveHook hook, void* context);
