#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "NimbrelApp.h"

NimbrelCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    NimbrelCommandLine result;
    result.empty = argc <= 1;
    if (!result.empty && argv && argv[1])
        result.text = argv[1];
    for (int i = 1; i + 1 < argc; ++i) {
        if (!argv[i] || std::strcmp(argv[i], "--frames") != 0 || !argv[i + 1])
            continue;
        errno = 0;
        char* end = nullptr;
        const long long value = std::strtoll(argv[i + 1], &end, 10);
        if (errno == 0 && end != argv[i + 1] && *end == '\0' && value > 0 && value <= 0xFFFFFFFFLL)
            result.frameLimit = static_cast<uint32_t>(value);
        ++i;
    }
    return result;
}
