// vornel devflags: the developer flags file "prefetch.params" of a data folder.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "NimbrelWorld/PrefetchParams.h"
#include "OutputFile.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsString.h"

namespace {

// "0" or "1" into a flag; false for anything else.
bool ParseFlag(const char* text, uint8_t& flag)
{
    if (std::strcmp(text, "0") != 0 && std::strcmp(text, "1") != 0)
        return false;
    flag = text[0] == '1' ? 1 : 0;
    return true;
}

int Write(int argc, char** argv)
{
    if (argc < 1 || (argc - 1) % 2 != 0)
        return kExitUsage;
    PrefetchFlags flags{0, 0, 0};
    for (int i = 1; i < argc; i += 2) {
        uint8_t* flag = nullptr;
        if (std::strcmp(argv[i], "--developer") == 0)
            flag = &flags.developerMode;
        else if (std::strcmp(argv[i], "--prefetch") == 0)
            flag = &flags.prefetch;
        else if (std::strcmp(argv[i], "--truetype") == 0)
            flag = &flags.trueType;
        if (!flag || !ParseFlag(argv[i + 1], *flag))
            return kExitUsage;
    }
    uint8_t bytes[kPrefetchFileSize];
    WritePrefetchParams(flags, bytes);
    if (!WriteWholeFile(argv[0], bytes, sizeof bytes)) {
        std::fprintf(stderr, "vornel devflags: cannot write %s\n", argv[0]);
        return 1;
    }
    return 0;
}

int Show(const char* path)
{
    const std::u16string widePath = UtilsString_FromUtf8(path);
    std::unique_ptr<UtilsStream_File> stream(new (std::nothrow) UtilsStream_File(kStreamRead, widePath.c_str()));
    if (!stream || Failed(stream->Open())) {
        std::fprintf(stderr, "vornel devflags: cannot read %s\n", path);
        return 1;
    }
    PrefetchFlags flags{};
    const Status status = ReadPrefetchParams(stream.get(), &flags);
    stream->Close();
    if (Failed(status)) {
        std::fprintf(stderr, "vornel devflags: %s is not a whole developer flags file of version %u: the game "
                             "keeps its defaults\n", path, unsigned(kPrefetchVersion));
        return 1;
    }
    std::printf("developer %u\nprefetch %u\ntruetype %u\n", unsigned(flags.developerMode), unsigned(flags.prefetch),
                unsigned(flags.trueType));
    return 0;
}

} // namespace

int CommandDevflags(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[0], "write") == 0)
        return Write(argc - 1, argv + 1);
    if (argc == 2 && std::strcmp(argv[0], "show") == 0)
        return Show(argv[1]);
    return kExitUsage;
}
