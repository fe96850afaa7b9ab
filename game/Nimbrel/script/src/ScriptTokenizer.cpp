#include "NimbrelScript/ScriptCompiler.h"

#include <cstring>

namespace {

constexpr char kDelimiters[] = " ,;!()[]<>{}^=+-*/|&";

bool IsLineBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

} // namespace

std::vector<std::string> ScriptTokenize(const char* text, size_t length)
{
    std::vector<std::string> tokens;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        char ch = text[i];
        if (ch == '"') {
            quoted = !quoted;
            continue;
        }
        if (quoted || ch == 0 || !std::strchr(kDelimiters, ch))
            continue;
        // Only the blank separates words: tabs and line ends are dropped at a token's start
        // but split nothing.
        size_t first = start;
        while (first < i && IsLineBlank(text[first]))
            ++first;
        if (first < i)
            tokens.emplace_back(text + first, i - first);
        if (ch != ' ')
            tokens.emplace_back(1, ch);
        start = i + 1;
    }
    return tokens;
}
