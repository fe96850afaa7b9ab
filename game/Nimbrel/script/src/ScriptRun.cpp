// The run driver: starts a function (or the top-level code) and follows the control codes of
// the blocks it runs until the chain of activations is used up or a builtin makes it wait.
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptText.h"
#include "ScriptInternal.h"

namespace {

ScriptActivation* Leaf(ScriptActivation* activation)
{
    while (activation->child)
        activation = activation->child;
    return activation;
}

// What one run is about: the function's own activation and where its result goes.
struct RunFrame {
    ScriptActivation* call;   // the body activation of the function the run started
    uintptr_t* arguments;     // null without arguments
    uint32_t argumentCode;
    ScriptValue* result;      // optional copy of the result slot
};

// The function of the run finishes: its result slot goes to the host.
void Finish(const RunFrame& frame)
{
    ScriptStack* stack = frame.call->stack;
    if (!stack || stack->Count() == 0)
        return;
    const ScriptValue& slot = stack->slots[0];
    if (frame.arguments && (frame.argumentCode & 0xFu) == kScriptTypeULong && slot.type == kScriptTypeULong)
        frame.arguments[0] = slot.value;
    if (frame.result && slot.type <= kScriptTypeString) {
        ScriptValue_Clear(frame.result);
        frame.result->type = slot.type;
        frame.result->value = slot.value;
        if (slot.type == kScriptTypeString)
            frame.result->text = StrDupA(ScriptValue_Text(&slot));
    }
}

// Ends activations from `from` upwards until a loop (which is kept) ; null when there is none.
ScriptActivation* UnwindToLoop(ScriptVM* vm, ScriptModule* module, ScriptActivation* from, const RunFrame& frame)
{
    ScriptActivation* current = from;
    while (current && !ScriptIsLoopBlock(current->block)) {
        ScriptActivation* parent = current->parent;
        if (current == frame.call)
            Finish(frame);
        ScriptEndActivation(vm, module, current);
        current = parent;
    }
    return current;
}

Status Drive(ScriptVM* vm, ScriptModule* module, ScriptActivation* current, const RunFrame& frame)
{
    bool elseSkip = false;
    while (current) {
        const Status status = ScriptExecuteBlock(vm, module, current, elseSkip);
        elseSkip = false;
        switch (status) {
        case kScriptControlMoved:
            current = Leaf(current);
            break;

        case kScriptLeaveBlock: {
            ScriptActivation* parent = current->parent;
            ScriptEndActivation(vm, module, current);
            current = parent;
            break;
        }

        case kScriptContinue:
        case kScriptBreak: {
            ScriptActivation* loop = UnwindToLoop(vm, module, current, frame);
            if (!loop)
                return kScriptOk;
            if (status == kScriptBreak) {
                current = loop->parent;
                ScriptEndActivation(vm, module, loop);
            } else if (loop->block->kind == kScriptBlockFor) {
                // The step block is entered by the for block's last instruction.
                const uint32_t count = static_cast<uint32_t>(loop->block->instructions.size());
                loop->position = count > 0 ? count - 1 : 0;
                current = loop;
            } else {
                loop->stack->Truncate(loop->block->base);
                loop->position = 0;
                current = loop;
            }
            break;
        }

        case kScriptReturn: {
            ScriptFunction* returning = current->function;
            for (ScriptActivation* a = current; a && a->function == returning; a = a->parent) {
                if (a == frame.call)
                    Finish(frame);
            }
            while (current && current->function == returning) {
                ScriptActivation* parent = current->parent;
                ScriptEndActivation(vm, module, current);
                current = parent;
            }
            if (!current)
                return kScriptOk;
            break;
        }

        case kScriptWait: {
            // The waiting call is the leaf's (a compiled loop calls builtins from below the
            // activation it runs in).
            current = Leaf(current);
            // A wait that is the last thing its top-level function does is not kept.
            const bool tail = ScriptIsTailCall(current);
            current->position++;
            if (!tail)
                return kScriptWait;
            break;
        }

        case kScriptCallerStopped:
            // Nothing of the run may be touched any more; the host has to know.
            return kScriptCallerStopped;

        case kScriptOk: {
            const uint32_t kind = current->block ? current->block->kind : kScriptBlockPlain;
            if (kind == kScriptBlockFor || kind == kScriptBlockWhile) {
                // The loop test is the block's first instruction.
                current->stack->Truncate(current->block->base);
                current->position = 0;
                break;
            }
            elseSkip = kind == kScriptBlockIf || kind == kScriptBlockElseIf;
            ScriptActivation* parent = current->parent;
            if (current == frame.call)
                Finish(frame);
            ScriptEndActivation(vm, module, current);
            current = parent;
            break;
        }

        default:
            return status;
        }
    }
    // The chain is used up: the code ran to its end.
    return kScriptOk;
}

// Sets the slot of declaration i from argument word i, by code digit i.
Status SetArguments(ScriptVM* vm, ScriptModule* module, ScriptFunction* function, ScriptActivation* call,
                    const uintptr_t* arguments, uint32_t code)
{
    const uint32_t count = ScriptArgumentCount(code);
    for (uint32_t i = 0; i < count; ++i) {
        // Every slot is pushed in declaration order, so that the body finds them where its
        // instructions expect them; only the digits 1, 2 and 4 set one.
        uint32_t index = 0;
        Status status = ScriptPushSlot(vm, module, function, call->stack, i, false, function->fileIndex,
                                       function->line, &index);
        if (status < 0)
            return status;
        const uint32_t digit = ScriptArgumentDigit(code, i);
        if (digit != kScriptArgLong && digit != kScriptArgFloat && digit != kScriptArgString)
            continue;
        ScriptValue* slot = &call->stack->slots[index];
        if (digit == kScriptArgString) {
            const char* text = reinterpret_cast<const char*>(arguments[i]);
            char* copy = StrDupA(text ? text : "");
            if (!copy) {
                vm->status = kScriptOutOfMemory;
                return kScriptOutOfMemory;
            }
            ScriptValue_Reset(slot);
            slot->type = kScriptTypeString;
            slot->text = copy;
        } else {
            ScriptValue_Reset(slot);
            slot->type = digit == kScriptArgLong ? kScriptTypeULong : kScriptTypeFloat;
            slot->value = static_cast<uint32_t>(arguments[i]);
        }
    }
    return kScriptOk;
}

} // namespace

Status ScriptModule_Run(ScriptVM* vm, ScriptModule* module, const char* name, bool reuse, uint32_t hostWord,
                        uintptr_t* arguments, uint32_t argumentCode, uint32_t resumeValue, ScriptValue* result)
{
    if (!vm || !module)
        return kScriptFailed;
    const bool withArguments = arguments && argumentCode != 0;
    ScriptFunction* function = &module->root;
    if (name) {
        function = ScriptFindFunction(module, &module->root, name, kScriptAttrOwn, false, false);
        if (!function)
            return ScriptFail(vm, module, kScriptFailed, 0, 0, u"the specified function is missing: \"%S\"", name);
        if (withArguments && ScriptArgumentCount(argumentCode) != function->paramCount)
            return ScriptFail(vm, module, kScriptArgumentCount, 0, 0, u"invalid parameters count in \"%S\"", name);
    }

    // The global stack is reached through an outermost activation that carries it.
    ScriptActivation* scope = nullptr;
    if (name && module->globals.Count() > 0) {
        scope = ScriptStartScope(vm, module);
        if (!scope) {
            vm->status = kScriptOutOfMemory;
            return kScriptFailed;
        }
    }
    ScriptActivation* call = ScriptStartActivation(vm, module, function, &function->body, scope, nullptr, reuse);
    if (scope && (!call || call->parent != scope))
        ScriptEndActivation(vm, module, scope); // a continued call keeps the scope it had
    if (!call) {
        vm->status = kScriptOutOfMemory;
        return kScriptFailed;
    }
    for (ScriptActivation* a = call; a; a = a->child) {
        if (a->busy)
            return ScriptFail(vm, module, kScriptFailed, 0, 0, u"the specified function is already running: \"%S\"",
                              ScriptFuncName(function));
    }
    call->hostWord = hostWord;
    if (withArguments && name) {
        Status status = SetArguments(vm, module, function, call, arguments, argumentCode);
        if (status < 0)
            return status == kScriptOutOfMemory ? kScriptFailed : status;
    }

    ScriptActivation* leaf = Leaf(call);
    if (resumeValue != kScriptNoResume)
        ScriptModule_SetReturnLong(vm, module, leaf, resumeValue);
    RunFrame frame{call, withArguments ? arguments : nullptr, argumentCode, result};
    return Drive(vm, module, leaf, frame);
}
