#include "OutputFile.h"

#include <unistd.h>

#include <cstdio>

COutputFile::COutputFile(std::string path) : m_path(std::move(path))
{
    const size_t slash = m_path.find_last_of('/');
    const size_t dot = m_path.find_last_of('.');
    const size_t stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : m_path.size();
    m_temporary = m_path.substr(0, stem) + ".partial" + std::to_string(getpid()) + m_path.substr(stem);
}

COutputFile::~COutputFile()
{
    if (!m_committed)
        std::remove(m_temporary.c_str());
}

bool COutputFile::Commit()
{
    m_committed = std::rename(m_temporary.c_str(), m_path.c_str()) == 0;
    return m_committed;
}

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size)
{
    COutputFile output(path);
    std::FILE* file = std::fopen(output.TemporaryPath().c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes, 1, size, file) == size;
    ok = std::fclose(file) == 0 && ok;
    return ok && output.Commit();
}
