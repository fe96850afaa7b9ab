#include "PlatformSaveSteps.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kTemporaryMark = ".tmp-";

PlatformSaveHook g_hook = nullptr;
void* g_hookContext = nullptr;
unsigned long g_temporaryCounter = 0;

}  // namespace

namespace PlatformSaveSteps {

long AskHook(PlatformSaveStep step, size_t written)
{
    if (!g_hook)
        return 0;
    const long answer = g_hook(g_hookContext, step, written);
    if (answer < 0)
        errno = EIO;
    return answer;
}

bool HookFails(PlatformSaveStep step)
{
    return AskHook(step, 0) < 0;
}

std::string NextTemporaryName(const std::string& target, unsigned long processId)
{
    return target + kTemporaryMark + std::to_string(processId) + "-" + std::to_string(g_temporaryCounter++);
}

bool IsTemporaryOf(const char* entry, const std::string& name)
{
    const size_t markLength = std::strlen(kTemporaryMark);
    if (std::strncmp(entry, name.c_str(), name.size()) != 0 ||
        std::strncmp(entry + name.size(), kTemporaryMark, markLength) != 0)
        return false;
    const char* p = entry + name.size() + markLength;
    for (int number = 0; number < 2; ++number) {
        if (*p < '0' || *p > '9')
            return false;
        while (*p >= '0' && *p <= '9')
            ++p;
        if (number == 0 && *p++ != '-')
            return false;
    }
    return *p == '\0';
}

void SplitPath(const std::string& path, bool backslashSeparates, std::string* folder, std::string* name)
{
    const size_t slash = path.find_last_of(backslashSeparates ? "/\\" : "/");
    if (slash == std::string::npos) {
        *folder = ".";
        *name = path;
    } else {
        *folder = slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

}  // namespace PlatformSaveSteps

void Platform_SetSaveHook(PlatformSaveHook hook, void* context)
{
    g_hook = hook;
    g_hookContext = context;
}
