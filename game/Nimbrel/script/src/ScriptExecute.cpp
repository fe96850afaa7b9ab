// The block executor: runs one activation's block from its position until a handler hands
// control back to the run driver.
//
// Every instruction goes to its handler, except where the executor can do the same work
// itself, faster and with the same result (ScriptVM::fastPaths turns this off):
// - data instructions whose handler is the standard one and whose operands are plain
//   numbers, or a reference to a slot of the same stack; a declaration is found without a
//   search when its count of live slots says where it can be;
// - runs of data instructions fused into segments (ScriptBlockCode.h);
// - child blocks run inline, without activation records, while their block has no running
//   record; the records are made, as they would have been, the moment anything else (a call,
//   a builtin, a return, a failure) needs them;
// - loops whose work is all data, calls of functions whose bodies are data and builtin calls
//   run in their compiled form (ScriptLoopCode.h), where ScriptVM::compiledLoops allows it;
//   the records such a loop makes are handed to the driver;
// - what the driver would do next without anything in between - a loop record's next turn,
//   a call from the records just made for inline blocks - is done here, and a parameter
//   passed as a plain number is bound without its handler.
// Anything in doubt - strings, other references, anything that could fail - goes to the
// handler, which then does exactly what it always does.
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptRun.h"
#include "ScriptBlockCode.h"
#include "ScriptInternal.h"
#include "ScriptLoopCode.h"
#include "ScriptNumberRules.h"
#include "ScriptStackInline.h"

namespace {

// Segment builds tried at one position before giving up there.
constexpr uint8_t kSegmentAttempts = 3;

// The slot an instruction works on when it is a plain value: itself, or the slot of the same
// stack that it references. Null when the handler must decide.
inline ScriptValue* Plain(ScriptValue* slots, uint32_t count, uint32_t index)
{
    if (index >= count)
        return nullptr;
    ScriptValue* slot = &slots[index];
    if (slot->type == kScriptTypeCommand) {
        index = slot->value;
        if (index >= count)
            return nullptr;
        slot = &slots[index];
    }
    return slot->type <= kScriptTypeString ? slot : nullptr;
}

// The number a slot reads as (a literal's constant, or its own value); false for anything
// that is not a number.
inline bool ReadNumber(const ScriptValue* slot, uint8_t* type, uint32_t* value)
{
    const ScriptDeclaration* declaration = slot->declaration;
    if (declaration && declaration->constType != 0) {
        *type = declaration->constType;
        *value = declaration->constValue;
    } else {
        *type = slot->type;
        *value = slot->value;
    }
    return *type == kScriptTypeULong || *type == kScriptTypeFloat;
}

inline void SetNumber(ScriptValue* slot, uint8_t type, uint32_t value)
{
    if (slot->text)
        ScriptValue_Reset(slot);
    slot->type = type;
    slot->value = value;
}

// Operators 7 to 18 on two plain numbers; false when the handler must decide (a literal on
// the left is its error too).
inline bool FastOperator(uint32_t opcode, ScriptValue* left, const ScriptValue* right)
{
    if (left->declaration && left->declaration->constType != 0)
        return false;
    uint8_t rt = 0;
    uint32_t rv = 0;
    ReadNumber(right, &rt, &rv);
    return ScriptNumberOperate(opcode, &left->type, &left->value, rt, rv);
}

inline bool FastAssign(ScriptValue* target, const ScriptValue* source)
{
    uint8_t st = 0;
    uint32_t sv = 0;
    ReadNumber(source, &st, &sv);
    return ScriptNumberAssign(&target->type, &target->value, st, sv);
}

// Instruction 23 entering an else-if or else block of the running function.
bool EntersElse(const ScriptFunction* function, const ScriptInstruction* instruction)
{
    if (instruction->opcode != kScriptOpEnterBlock)
        return false;
    if (!function || instruction->b >= function->blocks.size())
        return false;
    const uint32_t kind = function->blocks[instruction->b]->kind;
    return kind == kScriptBlockElseIf || kind == kScriptBlockElse;
}

// The data instructions, whose handlers work on the activation's stack and function only
// (19 moves the position and is not one of them).
bool IsData(uint32_t opcode)
{
    return opcode <= kScriptOpOr || opcode == kScriptOpLeaveIfZero;
}

// A child block that runs inside the executor without an activation record of its own, for
// as long as nothing could tell the difference: it is entered only when its block has no
// running record (so starting one would only have renewed an ended record or added one), and
// the records are made, as they would have been, before anything else looks at the chain.
struct Frame {
    ScriptBlock* block;
    const ScriptInstruction* instructions;
    uint32_t count;
    ScriptDecoded* decoded; // null: no shortcuts
    uint32_t position;      // inline frames only; the base frame's is the activation's
};

constexpr int kInlineDepth = 32;

void SetFrame(ScriptVM* vm, Frame* frame, ScriptBlock* block, ScriptFunction* function, bool shortcuts)
{
    frame->block = block;
    frame->instructions = block->instructions.data();
    frame->count = static_cast<uint32_t>(block->instructions.size());
    ScriptBlockCode* code = shortcuts ? ScriptBlockCodeOf(vm, block, function) : nullptr;
    frame->decoded = code ? code->decoded.data() : nullptr;
    frame->position = 0;
}

// Gives the inline frames 1..depth the records they stand for, each at its position.
Status Materialize(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const Frame* frames, int depth)
{
    ScriptActivation* parent = activation;
    for (int i = 1; i <= depth; ++i) {
        ScriptActivation* record = ScriptStartActivation(vm, module, activation->function, frames[i].block, parent,
                                                         activation->stack, false);
        if (!record)
            return ScriptFail(vm, module, kScriptFailed, 0, 0, u"out of memory entering a block");
        record->position = frames[i].position;
        parent = record;
    }
    return kScriptOk;
}

// The inline frames around a compiled loop, for when the loop needs their records.
struct Enclosing {
    ScriptVM* vm;
    ScriptModule* module;
    ScriptActivation* activation;
    const Frame* frames;
    int depth;
};

ScriptActivation* MaterializeEnclosing(void* context)
{
    const Enclosing* enclosing = static_cast<const Enclosing*>(context);
    if (Materialize(enclosing->vm, enclosing->module, enclosing->activation, enclosing->frames, enclosing->depth) < 0)
        return nullptr;
    ScriptActivation* leaf = enclosing->activation;
    while (leaf->child)
        leaf = leaf->child;
    return leaf;
}

// How a loop's compiled form went.
enum class LoopRun {
    Ran,    // the loop is over: go on after it
    Inline, // the executor must run it (nothing was changed then but what whole turns of the
            // loop did, so the loop starts afresh with a turn)
    Driver, // records were made (the loop's own waiting, or those of the frames around it once
            // it ended, or a builtin's caller): the driver takes over with the status given
};

// Runs the loop that `op` enters in its compiled form (made the first time, against the stack
// as it stands), the entering frame's position already past the entry. `depth` is the inline
// depth of the block that enters it.
LoopRun RunCompiledLoop(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, ScriptBlock* from,
                        ScriptDecoded* op, ScriptBlock* target, const Frame* frames, int depth, Status* handed)
{
    if (op->loopState == kSegmentNone)
        return LoopRun::Inline;
    if (op->loopState == kSegmentUntried) {
        op->loop = ScriptBuildLoop(vm, module, from->code.get(), target, activation);
        if (op->loop) {
            op->loopState = kSegmentReady;
        } else {
            if (++op->loopAttempts >= kSegmentAttempts)
                op->loopState = kSegmentNone;
            return LoopRun::Inline;
        }
    }
    // Blocks nested deeper than the executor runs inline would have left records.
    if (depth + static_cast<int>(op->loop->depth) >= kInlineDepth)
        return LoopRun::Inline;
    Enclosing enclosing{vm, module, activation, frames, depth};
    ScriptLoopEnclosure enclosure;
    enclosure.materialize = MaterializeEnclosing;
    enclosure.context = &enclosing;
    const Status ran = ScriptRunLoop(vm, module, activation, *op->loop, &enclosure);
    if (ran == kScriptOk) {
        *handed = kScriptControlMoved;
        return enclosure.made && depth > 0 ? LoopRun::Driver : LoopRun::Ran;
    }
    if (ran == kScriptControlMoved) {
        *handed = enclosure.status;
        return LoopRun::Driver;
    }
    if (ran == kScriptOutOfMemory) {
        *handed = kScriptOutOfMemory;
        return LoopRun::Driver;
    }
    return LoopRun::Inline;
}

} // namespace

Status ScriptExecuteBlock(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, bool elseSkip)
{
    if (!activation->block)
        return kScriptOk;
    ScriptFunction* function = activation->function;
    const bool shortcuts = function && vm->fastPaths;
    Frame frames[kInlineDepth];
    int depth = 0;
    SetFrame(vm, &frames[0], activation->block, function, shortcuts);
    ScriptHandler* handlers = vm->handlers;
    Status result = kScriptOk;
    for (;;) {
        Frame& frame = frames[depth];
        uint32_t& position = depth == 0 ? activation->position : frame.position;
        if (position >= frame.count) {
            if (depth == 0) {
                // A loop's record turns again as the driver would turn it, without the round
                // through the driver.
                if (shortcuts && result == kScriptOk && ScriptIsLoopBlock(frame.block) && activation->stack) {
                    ScriptStackTruncate(activation->stack, frame.block->base);
                    position = 0;
                    elseSkip = false;
                    continue;
                }
                return result;
            }
            // An inline block ends as the driver ends an activation.
            ScriptStack* stack = activation->stack;
            if (ScriptIsLoopBlock(frame.block)) {
                ScriptStackTruncate(stack, frame.block->base); // the loop test is the block's first instruction
                position = 0;
                continue;
            }
            elseSkip = frame.block->kind == kScriptBlockIf || frame.block->kind == kScriptBlockElseIf;
            ScriptStackTruncate(stack, frame.block->base);
            --depth;
            result = kScriptOk;
            continue;
        }
        const ScriptInstruction* instruction = &frame.instructions[position];
        const uint32_t opcode = instruction->opcode;
        ScriptHandler handler = opcode < kScriptOpcodeCount ? handlers[opcode] : nullptr;
        if (!handler) {
            Status made = Materialize(vm, module, activation, frames, depth);
            if (made < 0)
                return made;
            return ScriptFail(vm, module, kScriptUnsupported, instruction->fileIndex, instruction->line,
                              u"unsupported operation (%d)", static_cast<int>(opcode));
        }
        if (elseSkip) {
            if (EntersElse(function, instruction)) {
                position++;
                continue;
            }
            elseSkip = false;
        }

        ScriptStack* stack = activation->stack;
        Status leave = kScriptOk; // kScriptLeaveBlock when the instruction left its block
        if (frame.decoded && stack) {
            ScriptDecoded& op = frame.decoded[position];
            if (op.segmentState != kSegmentNone) {
                if (op.segmentState == kSegmentUntried) {
                    op.segment = ScriptBuildSegment(vm, frame.block, activation, position);
                    if (op.segment) {
                        op.segmentState = kSegmentReady;
                        for (uint32_t i = position + 1; i < op.segment->end; ++i) {
                            if (frame.decoded[i].segmentState == kSegmentUntried)
                                frame.decoded[i].segmentState = kSegmentNone;
                        }
                    } else if (++op.attempts >= kSegmentAttempts) {
                        op.segmentState = kSegmentNone;
                    }
                }
                if (op.segment) {
                    const Status ran = ScriptRunSegment(vm, module, activation, *op.segment);
                    if (ran == kScriptOk) {
                        position = op.segment->end;
                        result = kScriptOk;
                        continue;
                    }
                    if (ran == kScriptLeaveBlock) {
                        // The record stands at the leave-if-zero, as after its handler.
                        leave = ran;
                        position = op.segment->leaveAt;
                    }
                }
            }
            bool done = leave == kScriptLeaveBlock;
            ScriptValue* slots = stack->slots.data();
            const uint32_t slotCount = stack->Count();
            switch (done ? static_cast<uint8_t>(kScriptDecodedGeneric) : op.kind) {
            case kScriptDecodedDeclare: {
                ScriptDeclaration* declaration = static_cast<ScriptDeclaration*>(op.target);
                if (declaration->liveSlots == 1) {
                    // The one slot there is anywhere: found when it is the remembered one.
                    const uint32_t hint = op.hint;
                    done = hint < slotCount && slots[hint].declaration == declaration &&
                           slots[hint].type != kScriptTypeCommand && slots[hint].type != kScriptTypeLinked;
                } else if (declaration->liveSlots == 0 &&
                           !(declaration->attributes & (kScriptAttrByName | kScriptAttrLinked))) {
                    op.hint = ScriptStackPush(stack, declaration);
                    done = true;
                }
                if (!done) {
                    result = handler(vm, module, activation, instruction);
                    if (result < 0) {
                        Status made = Materialize(vm, module, activation, frames, depth);
                        return made < 0 ? made : result;
                    }
                    op.hint = stack->Find(declaration);
                    done = true;
                }
                break;
            }
            case kScriptDecodedRemove:
                if (instruction->a <= slotCount) {
                    ScriptStackTruncate(stack, slotCount - instruction->a);
                    done = true;
                }
                break;
            case kScriptDecodedAssign: {
                const uint32_t source = instruction->b == kScriptNone ? slotCount - 1 : instruction->b;
                ScriptValue* target = Plain(slots, slotCount, instruction->a);
                ScriptValue* value = slotCount > 0 ? Plain(slots, slotCount, source) : nullptr;
                done = target && value && FastAssign(target, value);
                break;
            }
            case kScriptDecodedSetLong: {
                ScriptValue* target = Plain(slots, slotCount, instruction->a);
                if (target) {
                    SetNumber(target, kScriptTypeULong, instruction->b);
                    done = true;
                }
                break;
            }
            case kScriptDecodedReference:
                if (instruction->a < slotCount && instruction->b < slotCount && instruction->a != instruction->b) {
                    ScriptValue* slot = &slots[instruction->a];
                    if (slot->text)
                        ScriptValue_Reset(slot);
                    slot->type = kScriptTypeCommand;
                    slot->value = instruction->b;
                    done = true;
                }
                break;
            case kScriptDecodedOperator: {
                ScriptValue* left = Plain(slots, slotCount, instruction->a);
                ScriptValue* right = Plain(slots, slotCount, instruction->b);
                done = left && right && FastOperator(opcode, left, right);
                break;
            }
            case kScriptDecodedLeaveIfZero: {
                ScriptValue* slot = Plain(slots, slotCount, instruction->a);
                uint8_t type = 0;
                uint32_t value = 0;
                if (slot && ReadNumber(slot, &type, &value)) {
                    if (value == 0)
                        leave = kScriptLeaveBlock;
                    done = true;
                }
                break;
            }
            case kScriptDecodedBindParam: {
                // A parameter found under its name in the caller's stack as a plain number is
                // copied as the handler copies it; the result slot (0) is bound to where the
                // caller keeps it. A missing name or anything to follow goes to the handler.
                if (instruction->a >= slotCount)
                    break;
                ScriptValue* slot = &slots[instruction->a];
                if (slot->type != kScriptTypeUnknown) {
                    done = true;
                    break;
                }
                ScriptActivation* caller = ScriptCallerActivation(activation);
                if (!caller || !caller->stack)
                    break;
                const std::string& name = ScriptParameterName(function, instruction->b);
                const uint32_t found = caller->stack->FindNamed(name.c_str(), name.size());
                if (found == kScriptNone)
                    break;
                if (instruction->b == 0) {
                    slot->type = kScriptTypeExtern;
                    slot->value = found;
                    done = true;
                    break;
                }
                const ScriptValue* source = &caller->stack->slots[found];
                done = source->type <= kScriptTypeString && FastAssign(slot, source);
                break;
            }
            case kScriptDecodedEnter: {
                ScriptBlock* target = static_cast<ScriptBlock*>(op.target);
                if (depth + 1 < kInlineDepth) {
                    // The block's remembered "no record" answers without the call.
                    const bool noRecord = target->lastRecordModule == module->serial &&
                                          target->lastRecordEpoch == module->epoch &&
                                          target->lastRecordIndex == kScriptNone;
                    const ScriptActivation* last =
                        noRecord ? nullptr : ScriptLastActivationOf(module, function, target);
                    if (!last || !last->stack) {
                        if (ScriptIsLoopBlock(target) && vm->compiledLoops) {
                            position++;
                            Status handed = kScriptControlMoved;
                            const LoopRun ran = RunCompiledLoop(vm, module, activation, frame.block, &op, target,
                                                                frames, depth, &handed);
                            if (ran == LoopRun::Ran) {
                                result = kScriptOk;
                                continue;
                            }
                            if (ran == LoopRun::Driver) {
                                if (handed == kScriptOutOfMemory)
                                    return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex,
                                                      instruction->line, u"out of memory entering a block");
                                return handed;
                            }
                            position--;
                        }
                        position++;
                        ++depth;
                        SetFrame(vm, &frames[depth], target, function, shortcuts);
                        result = kScriptOk;
                        continue;
                    }
                }
                // A running record of that block: starting it must go the long way.
                if (depth > 0) {
                    Status made = Materialize(vm, module, activation, frames, depth);
                    return made < 0 ? made : kScriptControlMoved;
                }
                ScriptActivation* child = ScriptStartActivation(vm, module, function, target, activation, stack, false);
                if (!child)
                    return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                                      u"out of memory entering a block");
                activation->position++;
                return kScriptControlMoved;
            }
            default:
                break;
            }
            if (done && leave != kScriptLeaveBlock) {
                position++;
                result = kScriptOk;
                continue;
            }
        }

        if (leave != kScriptLeaveBlock && depth > 0) {
            const bool standard = handler == ScriptHandlerFor(opcode);
            if (standard && IsData(opcode)) {
                // Data handlers need only the stack and the function, which the frame shares
                // with the activation.
                result = handler(vm, module, activation, instruction);
                if (result == kScriptLeaveBlock) {
                    leave = result;
                } else if (result < 0) {
                    Status made = Materialize(vm, module, activation, frames, depth);
                    return made < 0 ? made : result;
                } else {
                    position++;
                    continue;
                }
            } else if (standard && (opcode == kScriptOpBreak || opcode == kScriptOpContinue)) {
                int loop = depth;
                while (loop >= 1 && !ScriptIsLoopBlock(frames[loop].block))
                    --loop;
                if (loop >= 1) {
                    // Ending the frames above the loop leaves the stack at the lowest of their
                    // bases, the innermost's parent's being the nearest.
                    if (opcode == kScriptOpBreak) {
                        ScriptStackTruncate(stack, frames[loop].block->base);
                        depth = loop - 1;
                    } else {
                        if (depth > loop)
                            ScriptStackTruncate(stack, frames[loop + 1].block->base);
                        depth = loop;
                        if (frames[loop].block->kind == kScriptBlockFor) {
                            frames[loop].position = frames[loop].count > 0 ? frames[loop].count - 1 : 0;
                        } else {
                            ScriptStackTruncate(stack, frames[loop].block->base);
                            frames[loop].position = 0;
                        }
                    }
                    result = kScriptOk;
                    continue;
                }
                Status made = Materialize(vm, module, activation, frames, depth);
                return made < 0 ? made : kScriptControlMoved;
            } else if (standard && opcode == kScriptOpCallFunction) {
                // The driver would go down to the innermost record just made and run this
                // instruction's handler there first; done here, one round through it less.
                Status made = Materialize(vm, module, activation, frames, depth);
                if (made < 0)
                    return made;
                ScriptActivation* leaf = activation;
                while (leaf->child)
                    leaf = leaf->child;
                result = handler(vm, module, leaf, instruction);
                if (result < 0)
                    return result;
                leaf->position++;
                return kScriptControlMoved;
            } else {
                // Anything else is done by the driver on the records.
                Status made = Materialize(vm, module, activation, frames, depth);
                return made < 0 ? made : kScriptControlMoved;
            }
        }

        if (leave == kScriptLeaveBlock) {
            if (depth == 0)
                return kScriptLeaveBlock;
            ScriptStackTruncate(stack, frame.block->base);
            --depth;
            result = kScriptOk;
            continue;
        }

        result = handler(vm, module, activation, instruction);
        // A negative result goes to the driver at once: the handler moved the position itself
        // where it had to, and after a builtin the activation may be gone.
        if (result < 0)
            return result;
        activation->position++;
    }
}
