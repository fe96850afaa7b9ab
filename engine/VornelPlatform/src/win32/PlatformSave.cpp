// The atomic writer of saved files on Windows: a temporary file beside the target, flushed to
// the disk and moved over the target with a write-through replace, so the target always holds
// one whole version.
#include "VornelPlatform/PlatformFile.h"

#include <windows.h>

#include <string>

#include "PlatformSaveSteps.h"
#include "PlatformWideText.h"

namespace {

using PlatformSaveSteps::AskHook;
using PlatformSaveSteps::HookFails;

// A write call moves at most this many bytes (a DWORD count, kept well below its limit).
constexpr size_t kMaxWrite = 1u << 30;

// A new, empty temporary file beside the target, opened for writing; INVALID_HANDLE_VALUE
// when none can be made.
HANDLE CreateTemporary(const std::string& target, std::wstring* temporary)
{
    for (int attempt = 0; attempt < PlatformSaveSteps::kCreateAttempts; ++attempt) {
        const std::string name = PlatformSaveSteps::NextTemporaryName(target, GetCurrentProcessId());
        *temporary = PlatformWideText::FromUtf8(name.c_str());
        if (temporary->empty())
            return INVALID_HANDLE_VALUE;
        const HANDLE file = CreateFileW(temporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const unsigned char* data, size_t size)
{
    size_t written = 0;
    while (written < size) {
        size_t chunk = size - written;
        const long cap = AskHook(PlatformSaveStep::kWrite, written);
        if (cap < 0)
            return false;
        if (cap > 0 && static_cast<size_t>(cap) < chunk)
            chunk = static_cast<size_t>(cap);
        if (chunk > kMaxWrite)
            chunk = kMaxWrite;
        DWORD got = 0;
        if (!WriteFile(file, data + written, static_cast<DWORD>(chunk), &got, nullptr) || got == 0)
            return false;  // no progress on a regular file: the disk will not take more
        written += got;
    }
    return true;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& name)
{
    const std::wstring wideFolder = PlatformWideText::FromUtf8(folder.c_str());
    const std::wstring pattern = wideFolder + L"\\" + PlatformWideText::FromUtf8(name.c_str()) + L".tmp-*";
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string entry = PlatformWideText::ToUtf8(found.cFileName);
        if (PlatformSaveSteps::IsTemporaryOf(entry.c_str(), name))
            DeleteFileW((wideFolder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

bool Platform_WriteFileAtomic(const char* utf8Path, const void* data, size_t size)
{
    if (!utf8Path || !*utf8Path || (!data && size != 0))
        return false;
    const std::string target(utf8Path);
    std::string folder, name;
    PlatformSaveSteps::SplitPath(target, true, &folder, &name);
    const std::wstring wideTarget = PlatformWideText::FromUtf8(utf8Path);
    if (name.empty() || wideTarget.empty())
        return false;

    std::wstring temporary;
    const HANDLE file = CreateTemporary(target, &temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, static_cast<const unsigned char*>(data), size);
    ok = ok && !HookFails(PlatformSaveStep::kSync) && FlushFileBuffers(file);
    // Closed whatever happened.
    const bool closeFails = ok && HookFails(PlatformSaveStep::kClose);
    const bool closed = CloseHandle(file) != 0;
    ok = ok && !closeFails && closed;
    // The write-through move returns once the new name is on the disk: the folder needs no
    // sync of its own.
    ok = ok && !HookFails(PlatformSaveStep::kRename) &&
         MoveFileExW(temporary.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    // The same steps as on every system, so a test's failing step fails the save everywhere.
    if (HookFails(PlatformSaveStep::kSyncFolder))
        return false;
    RemoveStaleTemporaries(folder, name);
    return true;
}
