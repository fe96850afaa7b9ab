#include "NimbrelScript/ScriptOps.h"

Status ScriptEmit(ScriptVM* vm, ScriptModule* module, ScriptFunction*, ScriptBlock* block, uint32_t opcode,
                  uint32_t a, uint32_t b, uint32_t fileIndex, uint32_t line, ScriptInstruction** emitted)
{
    if (opcode >= kScriptOpcodeCount || !vm->handlers[opcode])
        return ScriptFail(vm, module, kScriptUnsupported, fileIndex, line, u"unsupported operation (%d)",
                          static_cast<int>(opcode));
    auto& list = block->instructions;
    if (opcode == kScriptOpRemove && !list.empty() && list.back().opcode == kScriptOpRemove) {
        list.back().a += a;
    } else {
        list.push_back(ScriptInstruction{opcode, a, b, fileIndex, line});
    }
    if (emitted)
        *emitted = &list.back();
    return kScriptOk;
}
