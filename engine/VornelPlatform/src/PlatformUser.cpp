#include "VornelPlatform/PlatformUser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool Platform_GetUserDataFolder(char* buffer, size_t capacity)
{
    if (!buffer || capacity == 0)
        return false;
    buffer[0] = '\0';
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    int written = -1;
    if (dataHome && dataHome[0] == '/') {
        const size_t length = std::strlen(dataHome);
        const bool slash = dataHome[length - 1] == '/';
        written = std::snprintf(buffer, capacity, "%s%s", dataHome, slash ? "" : "/");
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/')
            return false;
        const size_t length = std::strlen(home);
        const bool slash = home[length - 1] == '/';
        written = std::snprintf(buffer, capacity, "%s%s.local/share/", home, slash ? "" : "/");
    }
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}
