// The atomic writer of saved files: a temporary file beside the target, synced and renamed
// over it, then the folder synced, so the target always holds one whole version.
#include "VornelPlatform/PlatformFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "PlatformPaths.h"
#include "PlatformSaveSteps.h"

namespace {

using PlatformSaveSteps::AskHook;
using PlatformSaveSteps::HookFails;

// A new, empty temporary file beside the target, opened for writing; -1 when none can be made.
int CreateTemporary(const std::string& target, std::string* temporary)
{
    for (int attempt = 0; attempt < PlatformSaveSteps::kCreateAttempts; ++attempt) {
        *temporary = PlatformSaveSteps::NextTemporaryName(target, static_cast<unsigned long>(::getpid()));
        const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, const unsigned char* data, size_t size)
{
    size_t written = 0;
    while (written < size) {
        size_t chunk = size - written;
        const long cap = AskHook(PlatformSaveStep::kWrite, written);
        if (cap < 0)
            return false;
        if (cap > 0 && static_cast<size_t>(cap) < chunk)
            chunk = static_cast<size_t>(cap);
        const ssize_t got = ::write(fd, data + written, chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0) {
            errno = EIO;  // no progress on a regular file: the disk will not take more
            return false;
        }
        written += static_cast<size_t>(got);
    }
    return true;
}

// Some file systems cannot sync a folder; their renames are as durable as they get.
bool SyncFolder(const std::string& folder)
{
    if (HookFails(PlatformSaveStep::kSyncFolder))
        return false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return synced;
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir))
        if (PlatformSaveSteps::IsTemporaryOf(entry->d_name, name))
            ::unlink((folder + "/" + entry->d_name).c_str());
    ::closedir(dir);
}

} // namespace

bool Platform_WriteFileAtomic(const char* utf8Path, const void* data, size_t size)
{
    if (!utf8Path || !*utf8Path || (!data && size != 0))
        return false;
    const std::string target = PlatformPathWithSlashes(utf8Path);
    std::string folder, name;
    PlatformSaveSteps::SplitPath(target, false, &folder, &name);
    if (name.empty())
        return false;

    std::string temporary;
    int fd = CreateTemporary(target, &temporary);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, static_cast<const unsigned char*>(data), size);
    ok = ok && !HookFails(PlatformSaveStep::kSync) && ::fsync(fd) == 0;
    // Closed whatever happened; a close that reports an error after a sync is still a failure.
    const bool closeFails = ok && HookFails(PlatformSaveStep::kClose);
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    ok = ok && !closeFails && closed;
    ok = ok && !HookFails(PlatformSaveStep::kRename) && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    if (!SyncFolder(folder))
        return false;
    RemoveStaleTemporaries(folder, name);
    return true;
}
