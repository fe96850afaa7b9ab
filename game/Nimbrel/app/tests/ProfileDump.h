// A saved game as `vornel profile dump` prints it, read back by the tests of the whole game.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The dump of the profile file by the built tool; empty when it cannot be run.
inline std::string ProfileDump(const std::string& file)
{
    std::string dump;
    if (FILE* pipe = popen(("\"" NIMBREL_BIN_DIR "/vornel\" profile dump \"" + file + "\"").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            dump.append(buffer, n);
        pclose(pipe);
    }
    return dump;
}

// The flags printed for the first scene element of that name; 0xFFFFFFFF when there is none.
inline uint32_t DumpedElementFlags(const std::string& dump, const char* name)
{
    const size_t at = dump.find(std::string("element \"") + name + "\"");
    const size_t word = at == std::string::npos ? at : dump.find("flags ", at);
    unsigned flags = 0;
    if (word == std::string::npos || std::sscanf(dump.c_str() + word, "flags 0x%x", &flags) != 1)
        return 0xFFFFFFFFu;
    return flags;
}
