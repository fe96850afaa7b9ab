#pragma once
// Status codes of the script language. 0 is success; every failure has the top bit set.
// The codes from kScriptReturn to kScriptControlMoved pass only between the instruction
// handlers and the run driver; kScriptWait to kScriptCallerStopped are the builtin protocol.
#include "VornelUtils/Status.h"

#include <cstdint>

constexpr Status kScriptOk = 0;
constexpr Status kScriptFailed = StatusCode(0x80000001u);            // also any failed callee
constexpr Status kScriptOutOfMemory = StatusCode(0x80000002u);
constexpr Status kScriptInternalError = StatusCode(0x80000004u);     // compiler's own error
constexpr Status kScriptStackUnderflow = StatusCode(0x80000006u);    // more slots removed than held
constexpr Status kScriptImageVersion = StatusCode(0x8000000Fu);      // compiled image version
constexpr Status kScriptFileOpen = StatusCode(0x80000010u);          // file cannot be opened
constexpr Status kScriptFileRead = StatusCode(0x80000011u);          // read/write failed, bad image
constexpr Status kScriptVariableTwice = StatusCode(0x80000012u);     // declared more than once
constexpr Status kScriptVariableMissing = StatusCode(0x80000013u);
constexpr Status kScriptVariableType = StatusCode(0x80000014u);      // host asked for another type
constexpr Status kScriptFunctionHasBody = StatusCode(0x80000015u);
constexpr Status kScriptFunctionMissing = StatusCode(0x80000016u);
constexpr Status kScriptArgumentCount = StatusCode(0x80000017u);
constexpr Status kScriptSyntax = StatusCode(0x80000018u);
constexpr Status kScriptUnsupported = StatusCode(0x80000019u);
constexpr Status kScriptReturn = StatusCode(0x8000001Au);            // run control: return
constexpr Status kScriptLeaveBlock = StatusCode(0x8000001Bu);        // run control: leave block
constexpr Status kScriptBreak = StatusCode(0x8000001Cu);             // run control: break
constexpr Status kScriptContinue = StatusCode(0x8000001Du);          // run control: continue
constexpr Status kScriptControlMoved = StatusCode(0x8000001Fu);      // child entered / position set
constexpr Status kScriptWait = StatusCode(0x80000020u);              // the script is suspended
constexpr Status kScriptBuiltinResult = StatusCode(0x80000021u);     // builtin done, store result
constexpr Status kScriptBuiltinNoResult = StatusCode(0x80000022u);   // builtin done, store nothing
constexpr Status kScriptCallerStopped = StatusCode(0x80000023u);     // builtin's caller was stopped

// "No index": the root function's id, a body block's index, an empty step block, the top slot.
constexpr uint32_t kScriptNone = 0xFFFFFFFFu;
