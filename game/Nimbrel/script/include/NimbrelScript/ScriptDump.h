#pragma once
// A readable listing of a module: its files, the function tree with declarations and literal
// constants, and every block with its instructions. For people writing scripts and for tests.
#include "NimbrelScript/ScriptVM.h"

#include <string>

std::string ScriptDumpModule(ScriptVM* vm, ScriptModule* module);
// The mnemonic of an opcode ("?" out of range).
const char* ScriptOpcodeName(uint32_t opcode);
