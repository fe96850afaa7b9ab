// Compiling a loop into register code (ScriptLoopCode.h): the instructions of the loop block
// and of every block it enters are walked once, in order, on a model of the stack; the model
// gives each slot its cell, and the control flow of the blocks (leaving, ending, the else
// chains, restarting, break and continue) becomes jumps.
#include "ScriptLoopCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"

#include <memory>
#include <new>

namespace {

// The stack as the compiler sees it, slot by slot.
struct ModelSlot {
    ScriptDeclaration* declaration;
    bool hidden;     // COMMAND or LINKED: a declaration lookup passes over it
    bool pushed;     // pushed inside the loop
    bool referenced; // some slot references it
    int cell;        // the cell its value is in (through its reference); -1 none yet
    uint32_t target; // the slot it references, when made a reference inside the loop
};

// A jump to an instruction of a block not compiled yet, or to the end of a block.
struct Forward {
    uint32_t instruction; // in the block being compiled
    uint32_t op;          // the jump to patch
    uint32_t size;        // the model's size the jump arrives with; kScriptNone: any
};

// A loop being compiled, with what break and continue need.
struct LoopContext {
    ScriptBlock* block;
    uint32_t top;                  // its first operation
    std::vector<uint32_t> exits;   // jumps to its end (break)
    std::vector<Forward>* forward; // the jumps into its own instructions (continue)
    size_t chainIndex;             // its place in the chain of open blocks
};

class LoopBuilder {
public:
    LoopBuilder(ScriptVM* vm, ScriptModule* module, const ScriptStack* stack, ScriptFunction* function,
                ScriptLoop* loop)
        : vm_(vm), module_(module), stack_(stack), function_(function), loop_(loop)
    {
        model_.reserve(stack->Count() + 32);
        for (const ScriptValue& slot : stack->slots) {
            const bool hidden = slot.type == kScriptTypeCommand || slot.type == kScriptTypeLinked;
            model_.push_back(ModelSlot{slot.declaration, hidden, false, false, -1, 0});
        }
    }

    bool Build(ScriptBlock* block)
    {
        if (block->base != model_.size())
            return false;
        loop_->entryCount = block->base;
        std::vector<uint32_t> exits;
        if (!Loop(block, true, &exits))
            return false;
        const uint32_t end = Here();
        Emit(ScriptLoopOp{kLoopEnd, 0, 0, 0, 0, 0});
        for (uint32_t jump : exits)
            loop_->ops[jump].target = end;
        return Finish();
    }

private:
    uint32_t Here() const { return static_cast<uint32_t>(loop_->ops.size()); }
    uint32_t Emit(const ScriptLoopOp& op)
    {
        loop_->ops.push_back(op);
        return Here() - 1;
    }

    bool Standard(uint32_t opcode) const
    {
        return opcode < kScriptOpcodeCount && vm_->handlers[opcode] == ScriptHandlerFor(opcode);
    }

    // Instruction 23 entering an else-if or else block, as the executor skips them after an
    // if or else-if block that ran to its end.
    bool EntersElse(const ScriptInstruction& instruction) const
    {
        if (instruction.opcode != kScriptOpEnterBlock || instruction.b >= function_->blocks.size())
            return false;
        const uint32_t kind = function_->blocks[instruction.b]->kind;
        return kind == kScriptBlockElseIf || kind == kScriptBlockElse;
    }

    // The block instruction 23 enters, when it is one of this function's that the loop may run.
    ScriptBlock* Entered(const ScriptInstruction& instruction) const
    {
        if (ScriptBlockOwner(nullptr, function_, instruction.a) != function_ || instruction.b == kScriptNone)
            return nullptr;
        ScriptBlock* block = ScriptGetBlock(function_, instruction.b);
        if (!block)
            return nullptr;
        for (const ScriptBlock* open : chain_) {
            if (open == block)
                return nullptr;
        }
        return block;
    }

    // The model cut back to `size`, as ending a block does; false when a slot made a
    // reference inside the loop would then point past the stack.
    bool CutTo(uint32_t size)
    {
        if (size > model_.size())
            return false;
        for (uint32_t i = 0; i < size; ++i) {
            if (model_[i].pushed && model_[i].hidden && model_[i].target >= size)
                return false;
        }
        model_.resize(size);
        return true;
    }

    // A loop block: its turns, restarting at its end; its leaving and break jumps go to `exits`.
    bool Loop(ScriptBlock* block, bool outermost, std::vector<uint32_t>* exits)
    {
        const uint32_t base = static_cast<uint32_t>(model_.size());
        if (block->base != base)
            return false;
        const uint32_t top = Here();
        if (outermost)
            Emit(ScriptLoopOp{kLoopTurn, 0, 0, 0, 0, 0});
        std::vector<Forward> forward;
        LoopContext context{block, top, {}, &forward, chain_.size()};
        loops_.push_back(&context);
        std::vector<uint32_t> leaves;
        const bool built = Body(block, &forward, &leaves);
        loops_.pop_back();
        if (!built || !CutTo(base))
            return false;
        Emit(ScriptLoopOp{kLoopJump, 0, 0, 0, top, 0});
        exits->insert(exits->end(), leaves.begin(), leaves.end());
        exits->insert(exits->end(), context.exits.begin(), context.exits.end());
        return true;
    }

    // The instructions of one block, in order. Leave-if-zero jumps go to `leaves`; the block's
    // end is where the code falls through. `forward` holds the jumps still to land in it.
    bool Body(ScriptBlock* block, std::vector<Forward>* forward, std::vector<uint32_t>* leaves)
    {
        chain_.push_back(block);
        at_.push_back(0);
        loop_->blocks.push_back(block);
        if (chain_.size() > loop_->depth)
            loop_->depth = static_cast<uint32_t>(chain_.size());
        const uint32_t base = static_cast<uint32_t>(model_.size());
        const uint32_t count = static_cast<uint32_t>(block->instructions.size());
        bool built = true;
        for (uint32_t i = 0; built && i <= count; ++i) {
            for (size_t f = 0; f < forward->size();) {
                const Forward& jump = (*forward)[f];
                if (jump.instruction != i) {
                    ++f;
                    continue;
                }
                if (jump.size != kScriptNone && jump.size != model_.size())
                    return false;
                loop_->ops[jump.op].target = Here();
                (*forward)[f] = forward->back();
                forward->pop_back();
            }
            if (i == count)
                break;
            at_.back() = i;
            built = Instruction(block, i, base, forward, leaves);
        }
        chain_.pop_back();
        at_.pop_back();
        return built && forward->empty();
    }

    bool Instruction(ScriptBlock* block, uint32_t position, uint32_t base, std::vector<Forward>* forward,
                     std::vector<uint32_t>* leaves)
    {
        const ScriptInstruction& instruction = block->instructions[position];
        if (!Standard(instruction.opcode))
            return false;
        const uint32_t size = static_cast<uint32_t>(model_.size());
        switch (instruction.opcode) {
        case kScriptOpDeclare:
            return instruction.a < function_->declarations.size() &&
                   Declare(function_->declarations[instruction.a].get());
        case kScriptOpReference: {
            const uint32_t a = instruction.a;
            const uint32_t b = instruction.b;
            // Only a slot of this block becomes a reference, so that what lies below a block's
            // base keeps its shape whichever way the block is left.
            if (a >= size || b >= size || a == b || a < base || !model_[a].pushed || model_[a].referenced)
                return false;
            const int target = CellOf(b);
            if (target < 0)
                return false;
            model_[a].hidden = true;
            model_[a].cell = target;
            model_[a].target = b;
            model_[b].referenced = true;
            return true;
        }
        case kScriptOpRemove:
            return instruction.a <= size && size - instruction.a >= base && CutTo(size - instruction.a);
        case kScriptOpAssign: {
            if (size == 0)
                return false;
            const uint32_t b = instruction.b == kScriptNone ? size - 1 : instruction.b;
            return Binary(kLoopAssign, 0, instruction.a, b);
        }
        case kScriptOpSetLong: {
            const int x = instruction.a < size ? CellOf(instruction.a) : -1;
            if (x < 0 || IsLiteral(x))
                return false;
            Emit(ScriptLoopOp{kLoopSetLong, 0, static_cast<uint16_t>(x), instruction.b, 0, 0});
            return true;
        }
        case kScriptOpLeaveIfZero: {
            const int x = instruction.a < size ? CellOf(instruction.a) : -1;
            if (x < 0)
                return false;
            // Leaving a block of the loop's own turns ends the record a call may have given it.
            if (loops_.size() == 1)
                leaves->push_back(
                    Emit(ScriptLoopOp{kLoopLeave, 0, static_cast<uint16_t>(x), BlockId(block), 0, position}));
            else
                leaves->push_back(Emit(ScriptLoopOp{kLoopJumpIfZero, 0, static_cast<uint16_t>(x), 0, 0, 0}));
            return true;
        }
        case kScriptOpEnterBlock: {
            ScriptBlock* child = Entered(instruction);
            if (!child || child->base != size)
                return false;
            if (ScriptIsLoopBlock(child)) {
                std::vector<uint32_t> exits;
                if (!Loop(child, false, &exits))
                    return false;
                for (uint32_t jump : exits)
                    loop_->ops[jump].target = Here();
                return true;
            }
            std::vector<Forward> inner;
            std::vector<uint32_t> childLeaves;
            if (!Body(child, &inner, &childLeaves) || !CutTo(size))
                return false;
            if (loops_.size() == 1)
                Emit(ScriptLoopOp{kLoopExit, 0, 0, BlockId(child), 0,
                                  static_cast<uint32_t>(child->instructions.size())});
            if (child->kind == kScriptBlockIf || child->kind == kScriptBlockElseIf) {
                // Ran to its end: the else-if and else blocks that follow are passed over.
                uint32_t next = position + 1;
                while (next < block->instructions.size() && EntersElse(block->instructions[next]))
                    ++next;
                if (next != position + 1)
                    forward->push_back(Forward{next, Emit(ScriptLoopOp{kLoopJump, 0, 0, 0, 0, 0}), kScriptNone});
            }
            for (uint32_t jump : childLeaves)
                loop_->ops[jump].target = Here();
            return true;
        }
        case kScriptOpBreak: {
            if (loops_.empty())
                return false;
            if (loops_.size() == 1)
                Unwind(true);
            loops_.back()->exits.push_back(Emit(ScriptLoopOp{kLoopJump, 0, 0, 0, 0, 0}));
            return true;
        }
        case kScriptOpContinue: {
            if (loops_.empty())
                return false;
            if (loops_.size() == 1)
                Unwind(false);
            LoopContext* loop = loops_.back();
            const uint32_t jump = Emit(ScriptLoopOp{kLoopJump, 0, 0, 0, loop->top, 0});
            if (loop->block->kind == kScriptBlockFor) {
                // The step: the loop block's last instruction, with the blocks above it ended.
                const uint32_t last = static_cast<uint32_t>(loop->block->instructions.size());
                const uint32_t arrive =
                    loop->chainIndex + 1 < chain_.size() ? chain_[loop->chainIndex + 1]->base : size;
                loop->forward->push_back(Forward{last > 0 ? last - 1 : 0, jump, arrive});
            }
            return true;
        }
        case kScriptOpCallFunction:
            return Call(instruction);
        case kScriptOpCallBuiltin:
            return Builtin(instruction);
        default:
            if (instruction.opcode >= kScriptOpMul && instruction.opcode <= kScriptOpOr)
                return Binary(static_cast<uint8_t>(kLoopOperator + (instruction.opcode - kScriptOpMul)), 0,
                              instruction.a, instruction.b);
            return false;
        }
    }

    // The place of an open block in the loop's block list.
    uint32_t BlockId(const ScriptBlock* block) const
    {
        for (size_t i = 0; i < loop_->blocks.size(); ++i) {
            if (loop_->blocks[i] == block)
                return static_cast<uint32_t>(i);
        }
        return 0; // not reached: a block is listed when it is entered
    }

    // A break or continue of the outermost loop: the blocks open here, each at the position
    // the executor's records would stand at (past the entry of the next; the leaf at itself).
    void Unwind(bool isBreak)
    {
        ScriptLoopUnwind unwind;
        unwind.isBreak = isBreak;
        for (size_t k = 0; k < chain_.size(); ++k)
            unwind.chain.emplace_back(static_cast<uint16_t>(BlockId(chain_[k])),
                                      k + 1 < chain_.size() ? at_[k] + 1 : at_[k]);
        Emit(ScriptLoopOp{kLoopUnwind, 0, 0, static_cast<uint32_t>(loop_->unwinds.size()), 0, 0});
        loop_->unwinds.push_back(std::move(unwind));
    }

    // A call of a script function whose body is data work alone, compiled in place: its slots
    // become cells, its result slot the caller's cell that the binding finds. Only in the
    // loop's own turns (not inside an inner loop), and never of the running function itself.
    bool Call(const ScriptInstruction& instruction)
    {
        if (loops_.size() != 1 || instruction.a >= function_->functions.size())
            return false;
        ScriptFunction* node = function_->functions[instruction.a].get();
        ScriptFunction* callee = node->calleeEpoch == vm_->codeEpoch ? node->callee : nullptr;
        if (!callee) {
            callee = ScriptResolveCallee(ScriptOwnerModule(vm_, module_, function_), function_, instruction.a);
            if (!callee)
                return false;
            node->callee = callee;
            node->calleeEpoch = vm_->codeEpoch;
        }
        if (callee == function_)
            return false;
        // Each parameter as the callee's binding finds it: by name, from the top of the
        // caller's stack; only slots the loop pushed have a place fixed here.
        std::vector<int> arguments(callee->paramCount, -1);
        for (uint32_t n = 0; n < callee->paramCount; ++n) {
            const std::string& name = ScriptParameterName(callee, n);
            for (size_t i = model_.size(); i-- > 0;) {
                const ScriptDeclaration* declaration = model_[i].declaration;
                if (declaration && declaration->name == name) {
                    if (model_[i].pushed)
                        arguments[n] = CellOf(static_cast<uint32_t>(i));
                    break;
                }
            }
        }
        ScriptLoopSite site;
        site.node = node;
        site.callee = callee;
        for (const ScriptBlock* open : chain_)
            site.chain.push_back(static_cast<uint16_t>(BlockId(open)));
        Emit(ScriptLoopOp{kLoopCall, 0, 0, static_cast<uint32_t>(loop_->sites.size()), 0, 0});
        std::vector<ModelSlot> caller;
        caller.swap(model_);
        const bool built = CalleeBody(callee, arguments, &site.returnAt);
        model_.swap(caller);
        if (!built)
            return false;
        loop_->sites.push_back(std::move(site));
        return true;
    }

    // A builtin call in the loop's own turns: the stack above the loop's entry as it stands
    // here, and where each open block stands.
    bool Builtin(const ScriptInstruction& instruction)
    {
        if (loops_.size() != 1 || chain_.size() > kScriptLoopRecordBlocks)
            return false;
        ScriptLoopSite site;
        site.instruction = &instruction;
        for (size_t k = 0; k < chain_.size(); ++k) {
            site.chain.push_back(static_cast<uint16_t>(BlockId(chain_[k])));
            site.positions.push_back(k + 1 < chain_.size() ? at_[k] + 1 : at_[k]);
        }
        for (size_t i = loop_->entryCount; i < model_.size(); ++i) {
            const ModelSlot& slot = model_[i];
            if (!slot.pushed || slot.cell < 0)
                return false;
            const bool literal = slot.declaration && slot.declaration->constType != 0;
            if (slot.hidden)
                site.layout.push_back(ScriptLoopSlot{slot.declaration, 1, 0, slot.target});
            else
                site.layout.push_back(
                    ScriptLoopSlot{slot.declaration, 0, static_cast<uint8_t>(literal), static_cast<uint32_t>(slot.cell)});
        }
        Emit(ScriptLoopOp{kLoopBuiltin, 0, 0, static_cast<uint32_t>(loop_->sites.size()), 0, 0});
        loop_->sites.push_back(std::move(site));
        return true;
    }

    // The callee's body on a model of its own stack, which starts empty at every call.
    bool CalleeBody(ScriptFunction* callee, const std::vector<int>& arguments, uint32_t* returnAt)
    {
        const std::vector<ScriptInstruction>& list = callee->body.instructions;
        std::vector<Forward> none;
        std::vector<uint32_t> noLeaves;
        bool fresh = false; // the top slot was pushed by the instruction before
        for (uint32_t i = 0; i < list.size(); ++i) {
            const ScriptInstruction& instruction = list[i];
            if (!Standard(instruction.opcode))
                return false;
            const bool wasFresh = fresh;
            fresh = false;
            switch (instruction.opcode) {
            case kScriptOpReturn:
                *returnAt = i;
                return true;
            case kScriptOpDeclare: {
                if (instruction.a >= callee->declarations.size())
                    return false;
                const size_t before = model_.size();
                if (!CalleeDeclare(callee->declarations[instruction.a].get()))
                    return false;
                fresh = model_.size() > before;
                break;
            }
            case kScriptOpBindParam: {
                const uint32_t a = instruction.a;
                const uint32_t b = instruction.b;
                if (!wasFresh || a + 1 != model_.size() || b >= arguments.size() || arguments[b] < 0 ||
                    IsLiteral(model_[a].cell))
                    return false;
                if (b == 0) {
                    // EXTERN: the result slot reads and writes the caller's slot.
                    model_[a].cell = arguments[0];
                } else {
                    Emit(ScriptLoopOp{kLoopAssign, 0, static_cast<uint16_t>(model_[a].cell),
                                      static_cast<uint32_t>(arguments[b]), 0, 0});
                }
                break;
            }
            case kScriptOpReference:
            case kScriptOpRemove:
            case kScriptOpAssign:
            case kScriptOpSetLong:
                if (!Instruction(&callee->body, i, 0, &none, &noLeaves))
                    return false;
                break;
            default:
                if (instruction.opcode < kScriptOpMul || instruction.opcode > kScriptOpOr ||
                    !Instruction(&callee->body, i, 0, &none, &noLeaves))
                    return false;
                break;
            }
        }
        *returnAt = static_cast<uint32_t>(list.size());
        return true;
    }

    // A declaration of the callee: its slot in the callee's stack, or a fresh one. Globals
    // reached by name or through a link are left to the executor.
    bool CalleeDeclare(ScriptDeclaration* declaration)
    {
        if (declaration->attributes & (kScriptAttrByName | kScriptAttrLinked))
            return false;
        for (size_t i = model_.size(); i-- > 0;) {
            if (model_[i].declaration == declaration && !model_[i].hidden)
                return true;
        }
        if (cells_.size() >= kScriptLoopCells)
            return false;
        const int cell = static_cast<int>(cells_.size());
        cells_.push_back(Cell{declaration, 0});
        model_.push_back(ModelSlot{declaration, false, true, false, cell, 0});
        Emit(ScriptLoopOp{kLoopInit, declaration->constType, static_cast<uint16_t>(cell),
                          declaration->constType != 0 ? declaration->constValue : 0, 0, 0});
        return true;
    }

    bool Binary(uint8_t code, uint8_t form, uint32_t a, uint32_t b)
    {
        const uint32_t size = static_cast<uint32_t>(model_.size());
        if (a >= size || b >= size)
            return false;
        const int x = CellOf(a);
        const int y = x < 0 ? -1 : CellOf(b);
        if (y < 0 || IsLiteral(x))
            return false;
        Emit(ScriptLoopOp{code, form, static_cast<uint16_t>(x), static_cast<uint32_t>(y), 0, 0});
        return true;
    }

    bool Declare(ScriptDeclaration* declaration)
    {
        uint32_t found = kScriptNone;
        for (size_t i = model_.size(); i-- > 0;) {
            if (model_[i].declaration == declaration && !model_[i].hidden) {
                found = static_cast<uint32_t>(i);
                break;
            }
        }
        const bool resolves = (declaration->attributes & (kScriptAttrByName | kScriptAttrLinked)) != 0;
        bool first = true;
        for (ScriptDeclaration* seen : seen_) {
            if (seen == declaration) {
                first = false;
                break;
            }
        }
        if (first) {
            seen_.push_back(declaration);
            if (found != kScriptNone) {
                if (declaration->liveSlots != 1 || model_[found].pushed)
                    return false;
                loop_->found.emplace_back(declaration, found);
            } else {
                if (declaration->liveSlots != 0 || resolves)
                    return false;
                loop_->absent.push_back(declaration);
            }
        } else if (found == kScriptNone && resolves) {
            return false;
        }
        if (found != kScriptNone)
            return true;
        if (cells_.size() >= kScriptLoopCells)
            return false;
        const int cell = static_cast<int>(cells_.size());
        cells_.push_back(Cell{declaration, 0});
        model_.push_back(ModelSlot{declaration, false, true, false, cell, 0});
        Emit(ScriptLoopOp{kLoopInit, declaration->constType, static_cast<uint16_t>(cell),
                          declaration->constType != 0 ? declaration->constValue : 0, 0, 0});
        return true;
    }

    // A literal's cell reads as its constant; one that an operation would write (the handler's
    // business: its own type changes, or it fails) keeps the loop out of its compiled form.
    bool IsLiteral(int cell) const
    {
        const ScriptDeclaration* declaration = cells_[static_cast<size_t>(cell)].pushed;
        return declaration && declaration->constType != 0;
    }

    // The cell of a slot's value; a slot that was on the stack before the loop gets a cell
    // loaded from it. -1 when the loop cannot hold it.
    int CellOf(uint32_t index)
    {
        ModelSlot& slot = model_[index];
        if (slot.cell >= 0)
            return slot.cell;
        if (slot.pushed || index >= stack_->Count() || stack_->slots[index].type == kScriptTypeLinked ||
            cells_.size() >= kScriptLoopCells)
            return -1;
        slot.cell = static_cast<int>(cells_.size());
        cells_.push_back(Cell{nullptr, index});
        return slot.cell;
    }

    // The cells renumbered with the loaded ones first.
    bool Finish()
    {
        std::vector<uint32_t> order(cells_.size());
        uint32_t next = 0;
        for (size_t i = 0; i < cells_.size(); ++i) {
            if (!cells_[i].pushed) {
                order[i] = next++;
                loop_->loads.push_back(cells_[i].slot);
            }
        }
        for (size_t i = 0; i < cells_.size(); ++i) {
            if (cells_[i].pushed)
                order[i] = next++;
        }
        for (ScriptLoopOp& op : loop_->ops) {
            if (op.code == kLoopAssign || op.code >= kLoopOperator) {
                op.y = order[op.y];
                op.x = static_cast<uint16_t>(order[op.x]);
            } else if (op.code == kLoopInit || op.code == kLoopSetLong || op.code == kLoopJumpIfZero ||
                       op.code == kLoopLeave) {
                op.x = static_cast<uint16_t>(order[op.x]);
            }
        }
        loop_->cellCount = next;
        for (ScriptLoopSite& site : loop_->sites) {
            for (ScriptLoopSlot& slot : site.layout) {
                if (!slot.reference)
                    slot.value = order[slot.value];
            }
        }
        if (!loop_->sites.empty() && (loop_->blocks.size() > kScriptLoopRecordBlocks ||
                                      loop_->sites.size() > kScriptLoopRecordBlocks))
            return false;
        if (loop_->sites.empty()) {
            // Without calls no block of the loop ever has a record to end.
            for (ScriptLoopOp& op : loop_->ops) {
                if (op.code == kLoopLeave) {
                    op.code = kLoopJumpIfZero;
                    op.y = 0;
                    op.z = 0;
                }
            }
            loop_->unwinds.clear();
        }
        Tighten();
        Fuse();
        return true;
    }

    // Work that cannot change a result is taken out of the turns: a fresh cell that nothing
    // uses is not made; a literal's cell (never written) is made once, before the loop;
    // an assignment of a cell to itself only checks that it holds a number.
    void Tighten()
    {
        std::vector<ScriptLoopOp>& ops = loop_->ops;
        std::vector<uint8_t> used(loop_->cellCount, 0);
        std::vector<uint8_t> written(loop_->cellCount, 0);
        for (const ScriptLoopOp& op : ops) {
            if (op.code == kLoopAssign || op.code >= kLoopOperator) {
                used[op.x] = used[op.y] = 1;
                written[op.x] = 1;
            } else if (op.code == kLoopSetLong) {
                used[op.x] = written[op.x] = 1;
            } else if (op.code == kLoopJumpIfZero || op.code == kLoopLeave) {
                used[op.x] = 1;
            }
        }
        // A cell a builtin call lays out on the stack is made as the slot is.
        for (const ScriptLoopSite& site : loop_->sites) {
            for (const ScriptLoopSlot& slot : site.layout) {
                if (!slot.reference)
                    used[slot.value] = written[slot.value] = 1;
            }
        }
        std::vector<ScriptLoopOp> tight;
        std::vector<uint8_t> hoisted(loop_->cellCount, 0);
        for (const ScriptLoopOp& op : ops) {
            if (op.code == kLoopInit && used[op.x] && op.form != 0 && !written[op.x] && !hoisted[op.x]) {
                tight.push_back(op);
                hoisted[op.x] = 1;
            }
        }
        std::vector<uint32_t> moved(ops.size() + 1);
        const size_t front = tight.size();
        for (size_t i = 0; i < ops.size(); ++i) {
            moved[i] = static_cast<uint32_t>(tight.size());
            ScriptLoopOp op = ops[i];
            if (op.code == kLoopInit && (!used[op.x] || hoisted[op.x]))
                continue;
            if (loop_->sites.empty() && (op.code == kLoopExit || op.code == kLoopUnwind))
                continue;
            if (op.code == kLoopAssign && op.x == op.y)
                op.code = kLoopCheck;
            tight.push_back(op);
        }
        moved[ops.size()] = static_cast<uint32_t>(tight.size());
        for (size_t i = front; i < tight.size(); ++i) {
            if (tight[i].code == kLoopJump || tight[i].code == kLoopJumpIfZero || tight[i].code == kLoopLeave)
                tight[i].target = moved[tight[i].target];
        }
        ops.swap(tight);
    }

    // Whether the operation goes to its target (a jump, or an operator that tests its result).
    static bool Jumps(const ScriptLoopOp& op)
    {
        return op.code == kLoopJump || op.code == kLoopJumpIfZero || op.code == kLoopLeave ||
               (op.code >= kLoopOperator && (op.form & kLoopTest) != 0);
    }

    // Whether x names a cell.
    static bool HasCell(const ScriptLoopOp& op)
    {
        switch (op.code) {
        case kLoopInit:
        case kLoopAssign:
        case kLoopSetLong:
        case kLoopJumpIfZero:
        case kLoopCheck:
        case kLoopCopy:
        case kLoopSetFresh:
        case kLoopLeave:
            return true;
        default:
            return op.code >= kLoopOperator;
        }
    }

    static bool IsOperator(const ScriptLoopOp& op) { return op.code >= kLoopOperator; }

    // The operations some jump lands on.
    static std::vector<uint8_t> Landings(const std::vector<ScriptLoopOp>& ops)
    {
        std::vector<uint8_t> landing(ops.size() + 1, 0);
        landing[0] = 1;
        for (const ScriptLoopOp& op : ops) {
            if (Jumps(op))
                landing[op.target] = 1;
        }
        return landing;
    }

    // Replaces the operations by `out`; moved[i] is where operation i (or what followed it) went.
    void Replace(std::vector<ScriptLoopOp>* out, std::vector<uint32_t>* moved)
    {
        (*moved)[loop_->ops.size()] = static_cast<uint32_t>(out->size());
        for (ScriptLoopOp& op : *out) {
            if (Jumps(op))
                op.target = (*moved)[op.target];
        }
        loop_->ops.swap(*out);
    }

    // Pairs of operations made one where the second cannot be arrived at alone: a fresh cell
    // set at once (from a cell, or to a number); a fresh number that only one operator reads,
    // which then takes it as its operand; an operator whose result the next operation tests.
    // And a check of a cell dropped where an operator on that cell follows before anything
    // else could look at it: the operator refuses what the check refuses, and any refusal
    // puts the turn back as it was.
    void Fuse()
    {
        for (int pass = 0; pass < 5; ++pass) {
            const std::vector<ScriptLoopOp>& ops = loop_->ops;
            const std::vector<uint8_t> landing = Landings(ops);
            std::vector<uint32_t> uses(loop_->cellCount, 0);
            for (const ScriptLoopSite& site : loop_->sites) {
                for (const ScriptLoopSlot& slot : site.layout) {
                    if (!slot.reference)
                        uses[slot.value] += 2;
                }
            }
            for (const ScriptLoopOp& op : ops) {
                if (op.code == kLoopAssign || op.code == kLoopCopy ||
                    (IsOperator(op) && (op.form & kLoopImmediate) == 0))
                    ++uses[op.y];
                if (IsOperator(op) && (op.form & kLoopCopied) != 0)
                    ++uses[op.z];
                if (HasCell(op))
                    ++uses[op.x];
            }
            std::vector<ScriptLoopOp> out;
            std::vector<uint32_t> moved(ops.size() + 1);
            for (size_t i = 0; i < ops.size(); ++i) {
                moved[i] = static_cast<uint32_t>(out.size());
                ScriptLoopOp op = ops[i];
                const bool paired = i + 1 < ops.size() && !landing[i + 1];
                const ScriptLoopOp* next = paired ? &ops[i + 1] : nullptr;
                if (pass == 0 && next && op.code == kLoopInit && op.form == 0 && next->x == op.x) {
                    if (next->code == kLoopAssign && next->y != op.x) {
                        out.push_back(ScriptLoopOp{kLoopCopy, 0, op.x, next->y, 0, 0});
                        moved[i + 1] = moved[i];
                        ++i;
                        continue;
                    }
                    if (next->code == kLoopSetLong) {
                        out.push_back(ScriptLoopOp{kLoopSetFresh, 0, op.x, next->y, 0, 0});
                        moved[i + 1] = moved[i];
                        ++i;
                        continue;
                    }
                }
                if (pass == 1 && next && op.code == kLoopSetFresh && IsOperator(*next) &&
                    (next->form & kLoopImmediate) == 0 && next->y == op.x && next->x != op.x && uses[op.x] == 2) {
                    ScriptLoopOp folded = *next;
                    folded.form |= kLoopImmediate;
                    folded.y = op.y;
                    out.push_back(folded);
                    moved[i + 1] = moved[i];
                    ++i;
                    continue;
                }
                if (pass == 2 && op.code == kLoopCheck && CheckNeedless(ops, landing, i))
                    continue;
                if (pass == 3 && next && op.code == kLoopCopy && IsOperator(*next) &&
                    (next->form & kLoopCopied) == 0 && next->x == op.x) {
                    ScriptLoopOp copied = *next;
                    copied.form |= kLoopCopied;
                    copied.z = op.y;
                    out.push_back(copied);
                    moved[i + 1] = moved[i];
                    ++i;
                    continue;
                }
                if (pass == 4 && next && IsOperator(op) && (op.form & kLoopTest) == 0 &&
                    next->code == kLoopJumpIfZero && next->x == op.x) {
                    op.form |= kLoopTest;
                    op.target = next->target;
                    out.push_back(op);
                    moved[i + 1] = moved[i];
                    ++i;
                    continue;
                }
                out.push_back(op);
            }
            Replace(&out, &moved);
        }
        // The jumps back to the top end a turn and begin the next in one step.
        std::vector<ScriptLoopOp>& ops = loop_->ops;
        for (size_t turn = 0; turn < ops.size(); ++turn) {
            if (ops[turn].code != kLoopTurn)
                continue;
            for (ScriptLoopOp& op : ops) {
                if (op.code == kLoopJump && op.target == turn) {
                    op.code = kLoopNextTurn;
                    op.target = static_cast<uint32_t>(turn + 1);
                }
            }
            break;
        }
        // The loaded cells a turn may change.
        std::vector<uint8_t> written(loop_->loads.size(), 0);
        for (const ScriptLoopOp& op : ops) {
            if (HasCell(op) && op.code != kLoopJumpIfZero && op.code != kLoopLeave && op.x < written.size())
                written[op.x] = 1;
        }
        for (size_t i = 0; i < written.size(); ++i) {
            if (written[i])
                loop_->turnCells.push_back(static_cast<uint16_t>(i));
        }
    }

    static bool CheckNeedless(const std::vector<ScriptLoopOp>& ops, const std::vector<uint8_t>& landing, size_t at)
    {
        const uint16_t cell = ops[at].x;
        for (size_t j = at + 1; j < ops.size() && !landing[j]; ++j) {
            const ScriptLoopOp& op = ops[j];
            if (((IsOperator(op) && (op.form & kLoopCopied) == 0) || op.code == kLoopCheck) && op.x == cell)
                return true;
            if (Jumps(op) || !HasCell(op) || op.x == cell ||
                (IsOperator(op) && (op.form & kLoopCopied) != 0 && op.z == cell))
                return false;
        }
        return false;
    }

    struct Cell {
        ScriptDeclaration* pushed; // null: loaded from slot `slot`
        uint32_t slot;
    };

    ScriptVM* vm_;
    ScriptModule* module_;
    const ScriptStack* stack_;
    ScriptFunction* function_;
    ScriptLoop* loop_;
    std::vector<ModelSlot> model_;
    std::vector<ScriptDeclaration*> seen_;
    std::vector<Cell> cells_;
    std::vector<ScriptBlock*> chain_;    // the blocks open at the instruction being compiled
    std::vector<uint32_t> at_;           // the instruction of each of them being compiled
    std::vector<LoopContext*> loops_;    // the loops open there, innermost last
};

} // namespace

ScriptLoop* ScriptBuildLoop(ScriptVM* vm, ScriptModule* module, ScriptBlockCode* code, ScriptBlock* block,
                            ScriptActivation* activation)
{
    ScriptFunction* function = activation->function;
    if (!code || !activation->stack || !function || !ScriptIsLoopBlock(block))
        return nullptr;
    std::unique_ptr<ScriptLoop> loop(new (std::nothrow) ScriptLoop);
    if (!loop)
        return nullptr;
    LoopBuilder builder(vm, module, activation->stack, function, loop.get());
    if (!builder.Build(block))
        return nullptr;
    ScriptLoop* made = loop.get();
    code->loops.push_back(std::move(loop));
    return made;
}
