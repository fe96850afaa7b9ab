#include "VornelUtils/UtilsLog.h"

#include "VornelUtils/UtilsString.h"
#include "VornelPlatform/PlatformFile.h"

#include <cstdio>
#include <string>

namespace {

// Writes an already formatted line; the text is never used as a format again, so a '%' in a
// file name or message reaches the outputs as it is.
void WriteLine(const char16_t* logPath, const char16_t* line)
{
    const std::string utf8 = UtilsString_ToUtf8(line);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);

    if (!logPath || !*logPath)
        return;
    const std::string path = UtilsString_ToUtf8(logPath);
    std::FILE* file = Platform_OpenFile(path.c_str(), "ab");
    if (!file)
        return;
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    std::fflush(file);
    std::fclose(file);
}

} // namespace

void LogV(const char16_t* logPath, uint8_t flag, const char16_t* format, va_list args)
{
    if (flag == 0)
        return;
    char16_t line[kLogLineCapacity];
    UtilsString_VFormat(line, kLogLineCapacity, format, args);
    WriteLine(logPath, line);
}

void Log(const char16_t* logPath, uint8_t flag, const char16_t* format, ...)
{
    if (flag == 0)
        return;
    va_list args;
    va_start(args, format);
    LogV(logPath, flag, format, args);
    va_end(args);
}

Status LogAndReturn(Status status, const char16_t* logPath, uint8_t flag, const char16_t* format, ...)
{
    if (flag == 0)
        return status;
    va_list args;
    va_start(args, format);
    LogV(logPath, flag, format, args);
    va_end(args);
    return status;
}
