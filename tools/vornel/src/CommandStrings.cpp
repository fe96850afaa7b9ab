// vornel strings: string tables written from a UTF-8 text, one string a line, and printed back
// as text; with a symbols table, remapped for the indexed tables of charset fonts. With
// --credits, the text is one block of lines (the menu's credits file).
#include "Commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "NimbrelInterfaces/MenuCredits.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool ReadWholeFile(const char* path, std::string* text)
{
    std::FILE* in = std::fopen(path, "rb");
    if (!in)
        return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        text->append(buffer, n);
    const bool ok = std::ferror(in) == 0;
    std::fclose(in);
    return ok;
}

// Opens the file and hands the stream to `read` (the engine's reader of that table); false
// after saying why on standard error.
template <typename Reader>
bool ReadTableFile(const char* path, Reader read)
{
    const std::u16string widePath = UtilsString_FromUtf8(path);
    UtilsStream_File stream(kStreamRead, widePath.c_str());
    if (Failed(stream.Open())) {
        std::fprintf(stderr, "vornel strings: cannot read %s\n", path);
        return false;
    }
    return read(&stream);
}

bool LoadSymbols(const char* path, CStringsManager* pManager)
{
    return ReadTableFile(path, [&](UtilsStream* stream) {
        if (Succeeded(pManager->ReadSymbols(stream)))
            return true;
        std::fprintf(stderr, "vornel strings: %s: not a symbols table (or a damaged one)\n", path);
        return false;
    });
}

// One line of the text as the string it stands for; false with the reason when it is bad.
bool ParseLine(const std::string& line, std::u16string* out, std::string* reason)
{
    if (line.find('\0') != std::string::npos)
        return *reason = "a NUL character", false;
    const std::u16string wide = UtilsString_FromUtf8(line.c_str());
    if (UtilsString_ToUtf8(wide.c_str()) != line)
        return *reason = "not valid UTF-8", false;
    out->clear();
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDFFF)
            return *reason = "a character outside UCS-2 (above U+FFFF)", false;
        if (c != u'\\') {
            out->push_back(c);
            continue;
        }
        if (++i == wide.size())
            return *reason = "a backslash at the end of the line (write \\\\ for one)", false;
        switch (wide[i]) {
        case u'n': out->push_back(u'\n'); break;
        case u't': out->push_back(u'\t'); break;
        case u'\\': out->push_back(u'\\'); break;
        default:
            return *reason = "unknown escape \\" + UtilsString_ToUtf8(std::u16string(1, wide[i]).c_str()) +
                             " (\\n, \\t and \\\\ are known)",
                   false;
        }
    }
    return true;
}

std::string Escape(const char16_t* text)
{
    std::u16string escaped;
    for (; *text; ++text) {
        switch (*text) {
        case u'\\': escaped += u"\\\\"; break;
        case u'\n': escaped += u"\\n"; break;
        case u'\t': escaped += u"\\t"; break;
        default: escaped.push_back(*text);
        }
    }
    return UtilsString_ToUtf8(escaped.c_str());
}

// Writes the stream's block to the file: false after saying why.
bool WriteBlock(UtilsStream_Static& out, const char* outPath)
{
    if (!Platform_WriteFileAtomic(outPath, out.GetBlock(), out.GetSize())) {
        std::fprintf(stderr, "vornel strings: cannot write %s\n", outPath);
        return false;
    }
    return true;
}

int Build(const char* inPath, const char* outPath, const char* symbolsPath, bool credits)
{
    CStringsManager symbols(nullptr, nullptr);
    if (symbolsPath && !LoadSymbols(symbolsPath, &symbols))
        return 1;
    std::string text;
    if (!ReadWholeFile(inPath, &text)) {
        std::fprintf(stderr, "vornel strings: cannot read %s\n", inPath);
        return 1;
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    CStringsRaw table(nullptr);
    std::u16string block;   // the credits: the lines, each ended by a NUL
    size_t lineNumber = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 2, "//") == 0)
            continue;
        std::u16string string;
        std::string reason;
        if (ParseLine(line, &string, &reason)) {
            if (symbolsPath) {
                const size_t length = string.size();
                symbols.RemapChars(string.data());
                if (UtilsString_Length(string.c_str()) != length)
                    reason = std::string("a character that ") + symbolsPath + " maps to 0";
            }
            if (reason.empty() && credits) {
                block += string;
                block.push_back(u'\0');
                if (block.size() > kCreditsFileCapacity)
                    reason = "the credits pass " + std::to_string(kCreditsFileCapacity) + " characters";
            } else if (reason.empty() && table.Insert(string.c_str(), -1) < 0) {
                reason = "out of memory";
            }
        }
        if (!reason.empty()) {
            std::fprintf(stderr, "vornel strings: %s:%zu: %s\n", inPath, lineNumber, reason.c_str());
            return 1;
        }
    }
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    const Status written = Failed(out.Open()) ? kStatusFailed
                           : credits          ? WriteCreditsText(&out, block.data(), uint32_t(block.size()))
                                              : table.Save(&out);
    if (Failed(written)) {
        std::fprintf(stderr, "vornel strings: cannot write %s\n", outPath);
        return 1;
    }
    return WriteBlock(out, outPath) ? 0 : 1;
}

// A credits file (its size is its header's and its characters' exactly) printed a line at a
// time; false when the file is not one.
bool DumpCredits(const std::string& bytes, const CStringsManager* symbols)
{
    uint32_t count = 0;
    if (bytes.size() < kCreditsHeaderSize)
        return false;
    std::memcpy(&count, bytes.data() + 1, sizeof count);
    if (uint64_t(bytes.size()) != kCreditsHeaderSize + 2 * uint64_t(count))
        return false;
    std::vector<char16_t> text(kCreditsFileCapacity + 1);
    UtilsStream_Static stream(kStreamRead, const_cast<char*>(bytes.data()), uint32_t(bytes.size()));
    if (Failed(stream.Open()) || Failed(ReadCreditsText(&stream, text.data(), u'\0', &count)))
        return false;
    // The last line's end is the block's terminator.
    std::u16string block(text.data());
    if (!block.empty() && block.back() == u'\n')
        block.pop_back();
    for (size_t at = 0; count > 0;) {
        const size_t end = std::min(block.find(u'\n', at), block.size());
        std::u16string line = block.substr(at, end - at);
        if (symbols)
            symbols->UnmapChars(line.data());
        std::printf("%s\n", Escape(line.c_str()).c_str());
        if (end == block.size())
            break;
        at = end + 1;
    }
    return true;
}

int Dump(const char* path, const char* symbolsPath)
{
    CStringsManager symbols(nullptr, nullptr);
    if (symbolsPath && !LoadSymbols(symbolsPath, &symbols))
        return 1;
    std::string bytes;
    if (ReadWholeFile(path, &bytes) && DumpCredits(bytes, symbolsPath ? &symbols : nullptr))
        return 0;
    CStringsRaw table(nullptr);
    const bool read = ReadTableFile(path, [&](UtilsStream* stream) {
        if (Succeeded(table.Load(stream)))
            return true;
        std::fprintf(stderr, "vornel strings: %s: not a string table (or a damaged one)\n", path);
        return false;
    });
    if (!read)
        return 1;
    for (uint32_t i = 0; i < table.GetCount(); ++i) {
        std::u16string string = table.GetString(i);
        if (symbolsPath)
            symbols.UnmapChars(string.data());
        std::printf("%u: %s\n", i, Escape(string.c_str()).c_str());
    }
    return 0;
}

}  // namespace

int CommandStrings(int argc, char** argv)
{
    const char* symbolsPath = nullptr;
    bool credits = false;
    std::vector<const char*> operands;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--credits") == 0) {
            credits = true;
        } else if (std::strcmp(argv[i], "--symbols") == 0) {
            if (++i == argc || symbolsPath)
                return kExitUsage;
            symbolsPath = argv[i];
        } else {
            operands.push_back(argv[i]);
        }
    }
    if (operands.size() == 3 && std::strcmp(operands[0], "build") == 0)
        return Build(operands[1], operands[2], symbolsPath, credits);
    if (operands.size() == 2 && std::strcmp(operands[0], "dump") == 0 && !credits)
        return Dump(operands[1], symbolsPath);
    return kExitUsage;
}
