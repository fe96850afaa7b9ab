#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "NimbrelApp.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsString.h"

NimbrelCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    NimbrelCommandLine result;
    result.empty = argc <= 1;
    if (!result.empty && argv && argv[1])
        result.text = argv[1];
    for (int i = 1; i + 1 < argc; ++i) {
        if (!argv[i] || !argv[i + 1])
            continue;
        if (std::strcmp(argv[i], "--level") == 0) {
            result.level = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--chapter") == 0) {
            // As the script command reads its chapter: atoi's number, 1-based, 0 and below the first.
            const long value = std::strtol(argv[++i], nullptr, 10);
            result.chapter = value > 1 ? static_cast<uint32_t>(std::min<long>(value, INT32_MAX) - 1) : 0;
            continue;
        }
        if (std::strcmp(argv[i], "--renderer") == 0) {
            // A code that names no renderer leaves the program's own.
            const char* code = argv[++i];
            for (const ModuleDescriptor& row : kModuleDescriptors3D)
                if (row.code && row.version != 0 && UtilsString_FromUtf8(code) == row.code)
                    result.renderer = static_cast<uint16_t>(row.id);
            continue;
        }
        if (std::strcmp(argv[i], "--frames") != 0)
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
