// Compiling a module from memory or from a file, with the expansion of include lines; a
// compiled image in their place is read instead.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptImage.h"

#include "ScriptInternal.h"

#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsString.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Larger files are refused rather than read.
constexpr long kSourceSizeLimit = 64L * 1024 * 1024;

// A piece of source: a file, or the rest of one after an include line.
struct SourcePiece {
    uint32_t fileIndex = 0;
    std::string text;
    uint32_t lineOffset = 0;   // added to the piece's own line numbers
    int32_t including = -1;    // the piece that included it or that it continues
    bool fromFile = true;      // 0 for the remainder after an include line
    std::string path;          // the file's path (UTF-8), for relative includes and cycles
};

Status ReadWholeFile(const std::string& path, std::string* text)
{
    std::FILE* file = Platform_OpenFile(path.c_str(), "rb");
    if (!file)
        return kScriptFileOpen;
    Status status = kScriptOk;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || size > kSourceSizeLimit || std::fseek(file, 0, SEEK_SET) != 0) {
        status = kScriptFileRead;
    } else {
        text->resize(static_cast<size_t>(size));
        if (size > 0 && std::fread(&(*text)[0], 1, static_cast<size_t>(size), file) != static_cast<size_t>(size))
            status = kScriptFileRead;
    }
    std::fclose(file);
    return status;
}

std::string DirectoryOf(const std::string& path)
{
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

uint32_t CountLines(const std::string& text, size_t end)
{
    uint32_t lines = 0;
    for (size_t i = 0; i < end && i < text.size(); ++i)
        lines += text[i] == '\n';
    return lines;
}

Status FileFailure(ScriptVM* vm, ScriptModule* module, Status status, uint32_t fileIndex, uint32_t line,
                   const std::string& path)
{
    return ScriptFail(vm, module, status, fileIndex, line,
                      status == kScriptFileOpen ? u"the file cannot be opened: \"%S\"" : u"the file cannot be read: \"%S\"",
                      path.c_str());
}

// Splits piece `index` at its first include line: the included file and the text after the
// line become the next two pieces. *expanded tells whether there was one.
Status ExpandOne(ScriptVM* vm, ScriptModule* module, std::vector<SourcePiece>& pieces, size_t index, bool* expanded)
{
    static const char kWord[] = "include \"";
    const size_t wordLength = sizeof(kWord) - 1;
    *expanded = false;
    const std::string& text = pieces[index].text;
    size_t at = 0;
    for (;; at += wordLength) {
        at = text.find(kWord, at);
        if (at == std::string::npos)
            return kScriptOk;
        // An include behind "//" or "/*" is commented out.
        if (at == 0 || (text[at - 1] != '/' && text[at - 1] != '*'))
            break;
    }
    const SourcePiece piece = pieces[index];
    const uint32_t line = piece.lineOffset + CountLines(text, at) + 1;
    const size_t nameStart = at + wordLength;
    const size_t close = text.find('"', nameStart);
    if (close == std::string::npos || text.compare(close, 3, "\"\r\n") != 0)
        return ScriptFail(vm, module, kScriptSyntax, piece.fileIndex, line, u"the 'include' command is invalid");
    const std::string name = text.substr(nameStart, close - nameStart);
    const std::string path = DirectoryOf(piece.path) + name;

    // A file that is already being included (itself, or one that includes it) would expand
    // without end.
    uint32_t depth = 0;
    std::string previous;
    for (int32_t q = static_cast<int32_t>(index); q >= 0; q = pieces[static_cast<size_t>(q)].including) {
        const SourcePiece& open = pieces[static_cast<size_t>(q)];
        if (open.path == path)
            return ScriptFail(vm, module, kScriptSyntax, piece.fileIndex, line,
                              u"the 'include' command makes a cycle: \"%S\"", name.c_str());
        if (open.path != previous) {
            previous = open.path;
            ++depth;
        }
    }
    if (depth >= kScriptIncludeDepthLimit)
        return ScriptFail(vm, module, kScriptSyntax, piece.fileIndex, line,
                          u"the 'include' command is nested too deeply: \"%S\"", name.c_str());

    SourcePiece included;
    Status status = ReadWholeFile(path, &included.text);
    if (status < 0)
        return FileFailure(vm, module, status, piece.fileIndex, line, path);
    included.fileIndex = ScriptModule_AddFileNameA(vm, module, path.c_str());
    included.including = static_cast<int32_t>(index);
    included.path = path;

    SourcePiece rest;
    rest.fileIndex = piece.fileIndex;
    rest.text = text.substr(close + 3);
    // Its lines go on after the include line.
    rest.lineOffset = piece.lineOffset + CountLines(text, close + 3);
    rest.including = static_cast<int32_t>(index);
    rest.fromFile = false;
    rest.path = piece.path;

    pieces[index].text.resize(at);
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(included));
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index) + 2, std::move(rest));
    *expanded = true;
    return kScriptOk;
}

bool IsImage(const void* data, size_t length)
{
    if (length < 4)
        return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint32_t magic = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return magic == kScriptImageMagic;
}

Status Prepare(ScriptVM* vm, ScriptModule* module)
{
    ScriptModule_Clear(vm, module, false);
    return ScriptBindBuiltins(vm, module);
}

} // namespace

Status ScriptModule_CompileMemory(ScriptVM* vm, ScriptModule* module, const void* data, size_t length,
                                  const char* name)
{
    Status status = Prepare(vm, module);
    if (status < 0)
        return status;
    if (IsImage(data, length))
        return ScriptReadImage(vm, module, data, length);
    if (name && ScriptModule_AddFileNameA(vm, module, name) == kScriptNone)
        return ScriptStore(vm, kScriptOutOfMemory);
    ScriptCompileState state;
    ScriptCompileBegin(vm, module, &state);
    status = ScriptCompileSource(vm, module, &state, static_cast<const char*>(data), length, 0, 0);
    ScriptCompileEnd(vm, module, &state);
    return status;
}

Status ScriptModule_CompileFileA(ScriptVM* vm, ScriptModule* module, const char* directory, const char* fileName)
{
    const std::string path = std::string(directory ? directory : "") + (fileName ? fileName : "");
    SourcePiece first;
    Status status = ReadWholeFile(path, &first.text);
    if (status == kScriptFileOpen) {
        vm->status = status;
        return status;
    }
    if (status >= 0 && first.text.size() < 4)
        status = kScriptFileRead;
    if (status < 0) {
        vm->status = status;
        return status;
    }
    if ((status = Prepare(vm, module)) < 0)
        return status;
    if (IsImage(first.text.data(), first.text.size()))
        return ScriptReadImage(vm, module, first.text.data(), first.text.size());

    first.fileIndex = ScriptModule_AddFileNameA(vm, module, path.c_str());
    first.path = path;
    std::vector<SourcePiece> pieces;
    pieces.push_back(std::move(first));
    for (size_t index = 0; index < pieces.size(); ++index) {
        bool expanded = true;
        // A piece split at an include keeps nothing after it; its rest is walked in turn.
        if ((status = ExpandOne(vm, module, pieces, index, &expanded)) < 0)
            return status;
    }

    ScriptCompileState state;
    ScriptCompileBegin(vm, module, &state);
    for (SourcePiece& piece : pieces) {
        status = ScriptCompileSource(vm, module, &state, piece.text.data(), piece.text.size(), piece.fileIndex,
                                     piece.lineOffset);
        std::string().swap(piece.text);
        if (status < 0)
            break;
    }
    ScriptCompileEnd(vm, module, &state);
    return status;
}

Status ScriptModule_CompileFile(ScriptVM* vm, ScriptModule* module, const char16_t* directory, const char16_t* fileName)
{
    std::string dir = UtilsString_ToUtf8(directory);
    std::string name = UtilsString_ToUtf8(fileName);
    return ScriptModule_CompileFileA(vm, module, dir.c_str(), name.c_str());
}
