#pragma once
// Status codes: every operation returns one; 0 is success and every failure has the top bit
// set, so callers test for a negative value and pass it upward.
#include <cstdint>

using Status = int32_t;

constexpr Status StatusCode(uint32_t code) { return static_cast<Status>(code); }

constexpr Status kStatusOk = 0;
constexpr Status kStatusFailed = StatusCode(0x80000001u);
constexpr Status kStatusOutOfMemory = StatusCode(0x80000002u);
constexpr Status kStatusMismatch = StatusCode(0x80000003u);
constexpr Status kStatusModuleMissing = StatusCode(0x80000006u);
constexpr Status kStatusSystemCallFailed = StatusCode(0x80000007u);
constexpr Status kStatusVideoNotPowerOfTwo = StatusCode(0x8000000Cu);
constexpr Status kStatusKindNotHandled = StatusCode(0x8001000Au);
constexpr Status kStatusFileNotOpened = StatusCode(0x8001000Bu);
constexpr Status kStatusUnsupportedImage = StatusCode(0x8001000Cu);
constexpr Status kStatusTextureNotPowerOfTwo = StatusCode(0x8003000Cu);
constexpr Status kStatusPackMissing = StatusCode(0x8004000Bu);
constexpr Status kStatusImageNotWritable = StatusCode(0x8005000Bu);

// Results of calls into scripts and handlers.
constexpr Status kStatusWait = StatusCode(0x80000020u);
constexpr Status kStatusDoneStoreResult = StatusCode(0x80000021u);
constexpr Status kStatusDoneNoResult = StatusCode(0x80000022u);

inline bool Failed(Status status) { return status < 0; }
inline bool Succeeded(Status status) { return status >= 0; }
