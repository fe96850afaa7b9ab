// The block executor: runs one activation's block from its position until a handler hands
// control back to the run driver.
#include "NimbrelScript/ScriptRun.h"

namespace {

// Instruction 23 entering an else-if or else block of the running function.
bool EntersElse(const ScriptActivation* activation, const ScriptInstruction* instruction)
{
    if (instruction->opcode != kScriptOpEnterBlock)
        return false;
    const ScriptFunction* function = activation->function;
    if (!function || instruction->b >= function->blocks.size())
        return false;
    const uint32_t kind = function->blocks[instruction->b]->kind;
    return kind == kScriptBlockElseIf || kind == kScriptBlockElse;
}

} // namespace

Status ScriptExecuteBlock(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, bool elseSkip)
{
    const ScriptBlock* block = activation->block;
    if (!block)
        return kScriptOk;
    const ScriptInstruction* instructions = block->instructions.data();
    const uint32_t count = static_cast<uint32_t>(block->instructions.size());
    ScriptHandler* handlers = vm->handlers;
    Status result = kScriptOk;
    while (activation->position < count) {
        const ScriptInstruction* instruction = &instructions[activation->position];
        const uint32_t opcode = instruction->opcode;
        ScriptHandler handler = opcode < kScriptOpcodeCount ? handlers[opcode] : nullptr;
        if (!handler)
            return ScriptFail(vm, module, kScriptUnsupported, instruction->fileIndex, instruction->line,
                              u"unsupported operation (%d)", static_cast<int>(opcode));
        if (elseSkip) {
            if (EntersElse(activation, instruction)) {
                activation->position++;
                continue;
            }
            elseSkip = false;
        }
        result = handler(vm, module, activation, instruction);
        // A negative result goes to the driver at once: the handler moved the position itself
        // where it had to, and after a builtin the activation may be gone.
        if (result < 0)
            return result;
        activation->position++;
    }
    return result;
}
