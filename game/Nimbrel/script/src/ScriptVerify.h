#pragma once
// Checks made on code and state that come from outside (a compiled image, a saved run state)
// before the VM may use them: the executor trusts that what an instruction or an activation
// names exists.
#include "NimbrelScript/ScriptVM.h"

// Reports the message (ScriptReportError, no file position) and returns kScriptFailed.
Status ScriptVerifyFailure(ScriptVM* vm, ScriptModule* module, const char16_t* format, ...);

// The module's function tree as read from an image: opcodes below 27; the slots,
// declarations, blocks and functions that instructions name lie inside their lists; a builtin
// call names a builtin node of the same index; a block entry names a block of the running
// function; block kinds and indexes. kScriptFailed with a message on the first fault.
Status ScriptVerifyTree(ScriptVM* vm, ScriptModule* module);

// The module's activation records as read from a saved run state: positions within their
// blocks; parent, child and stack-owner links within the array and without cycles; every
// running record with a block and a stack.
Status ScriptVerifyActivations(ScriptVM* vm, ScriptModule* module);
