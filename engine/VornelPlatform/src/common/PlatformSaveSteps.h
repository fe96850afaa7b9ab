#pragma once
// What the atomic writers of both systems share: the test hook over the steps of a save and
// the names of the temporary files beside the target.
#include <cstddef>
#include <string>

#include "VornelPlatform/PlatformFile.h"

namespace PlatformSaveSteps {

// Attempts at a fresh temporary name before giving up: names taken by earlier processes of the
// same id are skipped, this many times and no more.
constexpr int kCreateAttempts = 64;

// The hook's answer for a step (0 when there is none); a negative answer also sets errno to
// EIO, as the failing system call would.
long AskHook(PlatformSaveStep step, size_t written);
bool HookFails(PlatformSaveStep step);

// "<target>.tmp-<process id>-<n>", n counting up within the process.
std::string NextTemporaryName(const std::string& target, unsigned long processId);

// The entry name is "<name>.tmp-<digits>-<digits>": a temporary file of this target that a
// killed save left behind.
bool IsTemporaryOf(const char* entry, const std::string& name);

// The folder part of a path ("." for a bare name) and the name in it, split at the last
// separator (separators: '/' and, when given, '\\').
void SplitPath(const std::string& path, bool backslashSeparates, std::string* folder, std::string* name);

}  // namespace PlatformSaveSteps
