#pragma once
// The engine's log. Every class logs its steps with a line that names the class and method,
// "# CWorld::Load failed! ...\n"; only lines with a non-zero flag are written, so the others
// cost one test.
#include "VornelUtils/Status.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Longest line in characters; longer lines are cut.
constexpr size_t kLogLineCapacity = 4096; // 4095 characters and the terminator

// Flag 0: nothing at all happens, the format and arguments are not even read. Otherwise the
// line is formatted once (UtilsString_Format) and the text written unchanged, as UTF-8, to
// standard error and then appended to the log file: opened for appending, written, flushed and
// closed for every line, so the file is complete even if the process dies. A log file that
// cannot be opened is skipped silently; a null or empty path writes no file.
void Log(const char16_t* logPath, uint8_t flag, const char16_t* format, ...);
void LogV(const char16_t* logPath, uint8_t flag, const char16_t* format, va_list args);

// Logs like Log and returns `status` unchanged, to log and return a failure in one statement.
Status LogAndReturn(Status status, const char16_t* logPath, uint8_t flag, const char16_t* format, ...);
