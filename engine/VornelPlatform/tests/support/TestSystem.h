#pragma once
// What the tests ask of the system beside the code under test, for both trees: temporary
// folders, environment variables and read-only streams over bytes in memory. Tests of every
// library see this folder.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <direct.h>

#include <atomic>
#include <random>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

// A new, empty folder in the system's temporary folder whose name starts with stem; empty
// when none can be made.
inline std::string TestSystem_MakeTempFolder(const char* stem)
{
#ifdef _WIN32
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        return std::string();
    std::random_device seed;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::filesystem::path folder = base / (std::string(stem) + std::to_string(seed()));
        if (std::filesystem::create_directory(folder, error))
            return folder.u8string();
    }
    return std::string();
#else
    std::string pattern = std::string("/tmp/") + stem + "XXXXXX";
    return ::mkdtemp(&pattern[0]) ? pattern : std::string();
#endif
}

// One folder (the parent must exist), as mkdir with mode 0700; 0 on success.
inline int TestSystem_MakeFolder(const std::string& path)
{
#ifdef _WIN32
    return ::_mkdir(path.c_str());
#else
    return ::mkdir(path.c_str(), 0700);
#endif
}

// Sets an environment variable, or removes it when value is null.
inline void TestSystem_SetEnv(const char* name, const char* value)
{
#ifdef _WIN32
    ::_putenv_s(name, value ? value : "");
#else
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}

// A stream opened for reading over a copy of size bytes, as fmemopen(data, size, "rb");
// null when it cannot be made. Closed with fclose.
inline std::FILE* TestSystem_OpenMemory(const void* data, size_t size)
{
#ifdef _WIN32
    // A temporary file that the C library removes when it is closed.
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    const std::filesystem::path path = std::filesystem::temp_directory_path(error) /
        ("vornel_memory_" + std::to_string(::_getpid()) + "_" + std::to_string(counter++));
    if (error)
        return nullptr;
    std::FILE* file = ::_wfopen(path.c_str(), L"w+bD");
    if (!file)
        return nullptr;
    if (std::fwrite(data, 1, size, file) != size || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return file;
#else
    return ::fmemopen(const_cast<void*>(data), size, "rb");
#endif
}

// Removes a folder and everything in it; true when nothing of it is left.
inline bool TestSystem_RemoveTree(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::u8path(path), error);
    return !error;
}
