#pragma once
// An output file written whole or not at all: the writer fills a temporary file beside the
// output (same extension, so writers that choose the format by the name still do), which is
// renamed over the output only when complete.
#include <cstddef>
#include <string>

class COutputFile {
public:
    explicit COutputFile(std::string path);
    // Removes the temporary file unless Commit renamed it.
    ~COutputFile();

    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Where the writer writes.
    const std::string& TemporaryPath() const { return m_temporary; }
    // Renames the temporary file over the output; false (and no output) when it cannot.
    bool Commit();

private:
    std::string m_path;
    std::string m_temporary;
    bool m_committed = false;
};

// Writes the bytes as the whole file at `path` through a COutputFile: true when it is there.
bool WriteWholeFile(const std::string& path, const void* bytes, size_t size);
