#include "VornelPlatform/PlatformFile.h"

#include <dirent.h>
#include <errno.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>

#include "PlatformPaths.h"

std::string PlatformPathWithSlashes(const char* path)
{
    std::string out(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

namespace {

bool Exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

bool IsRegularFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The entry of `folder` equal to `name` but for ASCII case; the smallest such name so that
// the choice does not depend on directory order. Empty when there is none.
std::string FindCaseBlind(const std::string& folder, const std::string& name)
{
    std::string best;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return best;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0 && (best.empty() || best.compare(entry->d_name) > 0))
            best = entry->d_name;
    }
    ::closedir(dir);
    return best;
}

// The existing path that `path` names on a case-blind file system, walking it component by
// component; empty when some component has no match.
std::string ResolveCaseBlind(const std::string& path)
{
    std::string resolved;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        resolved = "/";
        pos = 1;
    }
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        std::string name = path.substr(pos, end - pos);
        pos = end + 1;
        if (name.empty())
            continue;
        std::string candidate = resolved.empty() || resolved.back() == '/' ? resolved + name : resolved + "/" + name;
        if (name != "." && name != ".." && !Exists(candidate)) {
            std::string match = FindCaseBlind(resolved, name);
            if (match.empty())
                return std::string();
            candidate = resolved.empty() || resolved.back() == '/' ? resolved + match : resolved + "/" + match;
        }
        resolved = candidate;
    }
    return resolved;
}

// The path to read: the exact one when it exists, else its case-blind match.
std::string PathForReading(const char* utf8Path)
{
    std::string path = PlatformPathWithSlashes(utf8Path);
    if (Exists(path))
        return path;
    std::string resolved = ResolveCaseBlind(path);
    return resolved.empty() ? path : resolved;
}

} // namespace

std::FILE* Platform_OpenFile(const char* utf8Path, const char* mode)
{
    if (!utf8Path || !mode || !*utf8Path)
        return nullptr;
    std::string path = mode[0] == 'r' ? PathForReading(utf8Path) : PlatformPathWithSlashes(utf8Path);
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file)
        return nullptr;
    // fopen opens folders for reading here; the system never expects that.
    struct stat info;
    if (::fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool Platform_FileExists(const char* utf8Path)
{
    if (!utf8Path || !*utf8Path)
        return false;
    return IsRegularFile(PathForReading(utf8Path));
}

PlatformFolderResult Platform_CreateDirectory(const char* utf8Path)
{
    if (!utf8Path || !*utf8Path)
        return PlatformFolderResult::kFailed;
    const std::string path = PlatformPathWithSlashes(utf8Path);
    if (::mkdir(path.c_str(), 0755) == 0)
        return PlatformFolderResult::kCreated;
    return errno == EEXIST ? PlatformFolderResult::kExists : PlatformFolderResult::kFailed;
}
