#include "PlatformInstanceKey.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr size_t kMaxKeyLength = 64;

}  // namespace

bool PlatformInstanceKey_IsValid(const char* key)
{
    if (!key)
        return false;
    const size_t length = std::strlen(key);
    if (length == 0 || length > kMaxKeyLength)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const char c = key[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '-' || c == '.';
        if (!ok)
            return false;
    }
    return std::strcmp(key, ".") != 0 && std::strcmp(key, "..") != 0;
}
