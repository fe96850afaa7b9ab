#include "Vornel3D_ToolBox/RecipeReader.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "VornelPlatform/PlatformFile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool Recipe_ParseNumber(const std::string& word, double& out)
{
    const char* first = word.data();
    const char* last = first + word.size();
    if (first != last && *first == '+')
        ++first;
    const auto result = std::from_chars(first, last, out);
    return result.ec == std::errc() && result.ptr == last && first != last && std::isfinite(out);
}

bool Recipe_ParseColour(const std::string& word, RecipeColour& out)
{
    uint8_t bytes[4] = {0, 0, 0, 255};
    if ((word.size() != 7 && word.size() != 9) || word[0] != '#')
        return false;
    for (size_t k = 1; k < word.size(); k += 2) {
        const int high = HexValue(word[k]);
        const int low = HexValue(word[k + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[k / 2] = uint8_t(high * 16 + low);
    }
    out = {bytes[0], bytes[1], bytes[2], bytes[3]};
    return true;
}

CRecipeReader::CRecipeReader(std::string name, std::string text) : m_name(std::move(name)), m_text(std::move(text)) {}

bool CRecipeReader::ReadFile(const std::string& path, std::string& text)
{
    std::FILE* file = Platform_OpenFile(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    text.clear();
    char buffer[16384];
    size_t n;
    bool ok = true;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (text.size() + n > kRecipeTextLimit) {
            ok = false;
            break;
        }
        text.append(buffer, n);
    }
    ok = ok && std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool CRecipeReader::NextLine()
{
    while (m_pos < m_text.size()) {
        m_words.clear();
        m_lineNumber = m_nextLineNumber;
        bool inWord = false;
        bool quoted = false;
        bool comment = false;
        std::string word;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '\n') {
                ++m_nextLineNumber;
                if (quoted) {
                    Fail("the quoted text is not closed");
                    quoted = false;
                    inWord = false;
                    word.clear();
                }
                break;
            }
            if (comment)
                continue;
            if (quoted) {
                if (c == '\\' && m_pos < m_text.size() && (m_text[m_pos] == '"' || m_text[m_pos] == '\\')) {
                    word.push_back(m_text[m_pos++]);
                } else if (c == '"') {
                    quoted = false;
                } else {
                    word.push_back(c);
                }
                continue;
            }
            if (c == '\\') {
                // A line ending in '\' goes on on the next line.
                size_t next = m_pos;
                while (next < m_text.size() && IsBlank(m_text[next]))
                    ++next;
                if (next == m_text.size() || m_text[next] == '\n') {
                    m_pos = next < m_text.size() ? next + 1 : next;
                    ++m_nextLineNumber;
                    if (inWord) {
                        m_words.push_back(word);
                        word.clear();
                        inWord = false;
                    }
                    continue;
                }
            }
            if (IsBlank(c)) {
                if (inWord) {
                    m_words.push_back(word);
                    word.clear();
                    inWord = false;
                }
                continue;
            }
            if (!inWord && c == '#') {
                const char next = m_pos < m_text.size() ? m_text[m_pos] : '\n';
                if (m_words.empty() || IsBlank(next) || next == '\n') {
                    comment = true;
                    continue;
                }
            }
            if (!inWord && c == '"') {
                quoted = true;
                inWord = true;
                continue;
            }
            inWord = true;
            word.push_back(c);
        }
        if (quoted)
            Fail("the quoted text is not closed");
        if (inWord)
            m_words.push_back(word);
        if (!m_words.empty())
            return true;
    }
    m_words.clear();
    return false;
}

bool CRecipeReader::Missing(size_t i, const char* what)
{
    if (i < m_words.size())
        return false;
    Fail(std::string("'") + (m_words.empty() ? "" : m_words[0]) + "' lacks " + what);
    return true;
}

bool CRecipeReader::Number(size_t i, double min, double max, double& out)
{
    if (Missing(i, "a number"))
        return false;
    if (!Recipe_ParseNumber(m_words[i], out)) {
        Fail("'" + m_words[i] + "' is not a number");
        return false;
    }
    if (out < min || out > max) {
        char range[96];
        std::snprintf(range, sizeof range, " is out of range (%g to %g)", min, max);
        Fail(m_words[i] + range);
        return false;
    }
    return true;
}

bool CRecipeReader::Integer(size_t i, int64_t min, int64_t max, int64_t& out)
{
    if (Missing(i, "a whole number"))
        return false;
    const std::string& word = m_words[i];
    const char* first = word.data() + (!word.empty() && word[0] == '+' ? 1 : 0);
    const char* last = word.data() + word.size();
    const auto result = std::from_chars(first, last, out);
    if (result.ec != std::errc() || result.ptr != last || first == last) {
        Fail("'" + word + "' is not a whole number");
        return false;
    }
    if (out < min || out > max) {
        Fail(word + " is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
        return false;
    }
    return true;
}

bool CRecipeReader::Colour(size_t i, RecipeColour& out)
{
    if (Missing(i, "a colour"))
        return false;
    if (!Recipe_ParseColour(m_words[i], out)) {
        Fail("'" + m_words[i] + "' is not a colour (#RRGGBB or #RRGGBBAA)");
        return false;
    }
    return true;
}

bool CRecipeReader::Size(size_t i, uint32_t max, uint32_t& width, uint32_t& height)
{
    if (Missing(i, "a size"))
        return false;
    const std::string& word = m_words[i];
    const size_t x = word.find('x');
    uint64_t w = 0, h = 0;
    bool ok = x != std::string::npos && x > 0 && x + 1 < word.size();
    if (ok) {
        const auto a = std::from_chars(word.data(), word.data() + x, w);
        const auto b = std::from_chars(word.data() + x + 1, word.data() + word.size(), h);
        ok = a.ec == std::errc() && a.ptr == word.data() + x && b.ec == std::errc() &&
             b.ptr == word.data() + word.size();
    }
    if (!ok) {
        Fail("'" + word + "' is not a size (WxH)");
        return false;
    }
    if (w < 1 || h < 1 || w > max || h > max) {
        Fail(word + " is out of range (1x1 to " + std::to_string(max) + "x" + std::to_string(max) + ")");
        return false;
    }
    width = uint32_t(w);
    height = uint32_t(h);
    return true;
}

bool CRecipeReader::Expect(size_t count, const char* usage)
{
    if (m_words.size() == count)
        return true;
    Fail(std::string("expects '") + usage + "'");
    return false;
}

Status CRecipeReader::Fail(const std::string& reason)
{
    if (m_error.empty())
        m_error = m_name + ":" + std::to_string(m_lineNumber) + ": " + reason;
    return kStatusFailed;
}
