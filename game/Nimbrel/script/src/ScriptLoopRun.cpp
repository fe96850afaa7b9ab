// Running a compiled loop (ScriptLoopCode.h): check its conditions, load its cells, run turn
// after turn on cells alone, and write the loaded cells back at the end - or, at the first
// doubt, as they were when the turn began.
#include "ScriptLoopCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"
#include "ScriptNumberRules.h"
#include "ScriptStackInline.h"

// With GCC and Clang every operation jumps to the next itself (labels as values), so that each
// jump predicts its own successor; other compilers go round the switch.
#if defined(__GNUC__)
#define SCRIPT_LOOP_THREADED 1
#define SCRIPT_LOOP_LABEL(name) name:
#define SCRIPT_LOOP_NEXT()              \
    do {                                \
        op = &ops[at++];                \
        goto* kTargets[op->code];       \
    } while (0)
#else
#define SCRIPT_LOOP_THREADED 0
#define SCRIPT_LOOP_LABEL(name)
#define SCRIPT_LOOP_NEXT() break
#endif

namespace {

// A cell holds what its slot reads as: a literal's cell its constant (never written), any
// other its slot's type and value.
struct Cell {
    uint8_t type;
    uint32_t value;
};

// The slot that holds the value of slot `index`; null for a reference to a linked module's
// variable (not followed here) or anything that would fail.
inline ScriptValue* Follow(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, ScriptValue* slots,
                           uint32_t index)
{
    ScriptValue* slot = &slots[index];
    if (slot->type <= kScriptTypeString)
        return slot;
    const char* missing = nullptr;
    return ScriptFollowSlot(vm, module, activation, &index, false, &slot, &missing) == ScriptFollowing::Found
               ? slot
               : nullptr;
}

inline bool IsNumber(uint8_t type)
{
    return type == kScriptTypeULong || type == kScriptTypeFloat;
}

// No block the loop runs has a running record: entering them would then only have renewed
// ended records or added ones, which the executor's inline blocks never make either.
bool NoRunningRecords(ScriptModule* module, ScriptFunction* function, const ScriptLoop& loop)
{
    for (ScriptBlock* block : loop.blocks) {
        if (block->lastRecordModule == module->serial && block->lastRecordEpoch == module->epoch &&
            block->lastRecordIndex == kScriptNone)
            continue;
        const ScriptActivation* last = ScriptLastActivationOf(module, function, block);
        if (last && last->stack)
            return false;
    }
    return true;
}

// The calls can be made as they were compiled: each node still calls the same function, which
// is not running, and the module has room for every record the loop could make.
bool SitesHold(ScriptVM* vm, ScriptModule* module, const ScriptLoop& loop)
{
    if (module->activations.size() + loop.blocks.size() + loop.sites.size() + 64 >= kScriptActivationLimit)
        return false;
    for (const ScriptLoopSite& site : loop.sites) {
        if (site.instruction)
            continue; // a builtin: its record is looked up when it is called
        if (site.node->calleeEpoch != vm->codeEpoch || site.node->callee != site.callee)
            return false;
        const ScriptActivation* last = ScriptLastActivationOf(module, site.callee, &site.callee->body);
        if (last && last->stack)
            return false;
    }
    return true;
}

// The records a call leaves, made as the executor and the driver make them: the blocks run
// inline around the loop, the loop's own block (which then keeps running), the blocks open at
// the call and the callee's body. All but the loop's own are ended at once; where the blocks
// end is kept as they are left. False when a record cannot be made.
class LoopRecords {
public:
    LoopRecords(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const ScriptLoop& loop,
                ScriptLoopEnclosure* enclosure)
        : vm_(vm), module_(module), activation_(activation), loop_(loop), enclosure_(enclosure)
    {
    }

    ScriptActivation* Own() const { return records_[0]; }
    ScriptActivation* Record(uint32_t block) const { return records_[block]; }

    bool Call(const ScriptLoopSite& site)
    {
        ScriptActivation* made[kScriptLoopRecordBlocks];
        size_t count = 0;
        if (!Open(site.chain.data(), site.chain.size(), made, &count))
            return false;
        ScriptActivation* parent = count > 0 ? made[count - 1] : records_[0];
        ScriptActivation* callee =
            ScriptStartActivation(vm_, module_, site.callee, &site.callee->body, parent, nullptr, false);
        if (!callee)
            return false;
        callee->position = site.returnAt;
        ScriptEndActivation(vm_, module_, callee);
        Close(made, count);
        return true;
    }

    // A break or continue once the loop's block has a record: the blocks above it get theirs
    // and end where they stand; a break ends the loop's at the end of the run.
    bool Unwind(const ScriptLoopUnwind& unwind)
    {
        uint16_t chain[kScriptLoopRecordBlocks];
        const size_t length = unwind.chain.size();
        for (size_t k = 0; k < length; ++k)
            chain[k] = unwind.chain[k].first;
        ScriptActivation* made[kScriptLoopRecordBlocks];
        size_t count = 0;
        if (!Open(chain, length, made, &count))
            return false;
        for (size_t k = 1; k < length; ++k)
            made[k - 1]->position = unwind.chain[k].second;
        Close(made, count);
        if (unwind.isBreak)
            records_[0]->position = unwind.chain[0].second;
        return true;
    }

    // Records for the blocks open at a builtin call, each where it stands, kept running while
    // the builtin runs; the leaf (the caller), or null.
    ScriptActivation* OpenAt(const ScriptLoopSite& site)
    {
        openCount_ = 0;
        if (!Open(site.chain.data(), site.chain.size(), open_, &openCount_))
            return nullptr;
        records_[0]->position = site.positions[0];
        ownGeneration_ = records_[0]->generation;
        for (size_t k = 0; k < openCount_; ++k) {
            open_[k]->position = site.positions[k + 1];
            generations_[k] = open_[k]->generation;
        }
        return openCount_ > 0 ? open_[openCount_ - 1] : records_[0];
    }

    // Whether the records OpenAt made are still running, as they were.
    bool OpenIntact() const
    {
        if (!records_[0]->stack || records_[0]->generation != ownGeneration_)
            return false;
        for (size_t k = 0; k < openCount_; ++k) {
            if (!open_[k]->stack || open_[k]->generation != generations_[k])
                return false;
        }
        return true;
    }

    // The records OpenAt made for the same site, still running, set where they stand again.
    ScriptActivation* Reopen(const ScriptLoopSite& site)
    {
        records_[0]->position = site.positions[0];
        for (size_t k = 0; k < openCount_; ++k)
            open_[k]->position = site.positions[k + 1];
        return openCount_ > 0 ? open_[openCount_ - 1] : records_[0];
    }

    // The blocks above the loop's own end again (where they end is kept as they are left).
    void CloseOpen()
    {
        Close(open_, openCount_);
        openCount_ = 0;
    }

    // The loop is over: its record ends.
    void End()
    {
        if (records_[0])
            ScriptEndActivation(vm_, module_, records_[0]);
    }

private:
    // Records for the blocks of `chain` (the loop's own first), started under one another.
    bool Open(const uint16_t* chain, size_t length, ScriptActivation** made, size_t* count)
    {
        ScriptFunction* function = activation_->function;
        if (!records_[0]) {
            ScriptActivation* parent = enclosure_->materialize(enclosure_->context);
            if (!parent)
                return false;
            enclosure_->made = true;
            records_[0] =
                ScriptStartActivation(vm_, module_, function, loop_.blocks[0], parent, activation_->stack, false);
            if (!records_[0])
                return false;
        }
        ScriptActivation* parent = records_[0];
        for (size_t k = 1; k < length; ++k) {
            ScriptActivation* record =
                ScriptStartActivation(vm_, module_, function, loop_.blocks[chain[k]], parent, activation_->stack, false);
            if (!record) {
                Close(made, *count);
                return false;
            }
            records_[chain[k]] = record;
            made[(*count)++] = parent = record;
        }
        return true;
    }

    void Close(ScriptActivation** made, size_t count)
    {
        while (count > 0)
            ScriptEndActivation(vm_, module_, made[--count]);
    }

    ScriptVM* vm_;
    ScriptModule* module_;
    ScriptActivation* activation_;
    const ScriptLoop& loop_;
    ScriptLoopEnclosure* enclosure_;
    ScriptActivation* records_[kScriptLoopRecordBlocks] = {};
    ScriptActivation* open_[kScriptLoopRecordBlocks] = {};
    uint64_t generations_[kScriptLoopRecordBlocks] = {};
    uint64_t ownGeneration_ = 0;
    size_t openCount_ = 0;
};

// The slots of a builtin call's stack above the loop's entry, as the instructions leave them.
void Spill(ScriptStack* stack, const ScriptLoopSite& site, const Cell* cells)
{
    for (const ScriptLoopSlot& slot : site.layout) {
        const uint32_t index = ScriptStackPush(stack, slot.declaration);
        ScriptValue& value = stack->slots[index];
        if (slot.reference) {
            value.type = kScriptTypeCommand;
            value.value = slot.value;
        } else if (!slot.literal) {
            value.type = cells[slot.value].type;
            value.value = cells[slot.value].value;
        }
    }
}

// The same layout still on the stack after the site's last call: the values written again.
void Refill(ScriptStack* stack, uint32_t entryCount, const ScriptLoopSite& site, const Cell* cells)
{
    ScriptValue* slots = stack->slots.data() + entryCount;
    for (size_t j = 0; j < site.layout.size(); ++j) {
        const ScriptLoopSlot& slot = site.layout[j];
        if (slot.reference || slot.literal)
            continue;
        ScriptValue& value = slots[j];
        if (value.text)
            ScriptValue_Reset(&value);
        value.type = cells[slot.value].type;
        value.value = cells[slot.value].value;
    }
}

// After a builtin call: the stack laid out as it was spilled, its slots read back into their
// cells; false when the builtin changed what the loop relies on (then the executor takes over
// from the records, as it would have run on after the call).
bool ReadBack(const ScriptStack* stack, uint32_t entryCount, const ScriptLoopSite& site, Cell* cells)
{
    if (stack->slots.size() != entryCount + site.layout.size())
        return false;
    const ScriptValue* slots = stack->slots.data() + entryCount;
    for (size_t j = 0; j < site.layout.size(); ++j) {
        const ScriptLoopSlot& slot = site.layout[j];
        const ScriptValue& value = slots[j];
        if (value.declaration != slot.declaration)
            return false;
        if (slot.reference) {
            if (value.type != kScriptTypeCommand || value.value != slot.value)
                return false;
        } else if (!slot.literal) {
            if (!IsNumber(value.type) && value.type != kScriptTypeUnknown)
                return false;
            cells[slot.value].type = value.type;
            cells[slot.value].value = value.value;
        }
    }
    return true;
}

void WriteBack(const Cell* cells, ScriptValue* const* targets, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        ScriptValue* target = targets[i];
        const Cell& cell = cells[i];
        if (target->type == cell.type && target->value == cell.value)
            continue;
        if (target->text)
            ScriptValue_Reset(target);
        target->type = cell.type;
        target->value = cell.value;
    }
}

} // namespace

Status ScriptRunLoop(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const ScriptLoop& loop,
                     ScriptLoopEnclosure* enclosure)
{
    ScriptStack* stack = activation->stack;
    if (!stack || stack->slots.size() != loop.entryCount || loop.cellCount > kScriptLoopCells)
        return kScriptFailed;
    ScriptValue* slots = stack->slots.data();
    for (const auto& [declaration, index] : loop.found) {
        const ScriptValue& slot = slots[index];
        if (declaration->liveSlots != 1 || slot.declaration != declaration || slot.type == kScriptTypeCommand ||
            slot.type == kScriptTypeLinked)
            return kScriptFailed;
    }
    for (const ScriptDeclaration* declaration : loop.absent) {
        if (declaration->liveSlots != 0)
            return kScriptFailed;
    }
    if (!NoRunningRecords(module, activation->function, loop))
        return kScriptFailed;
    if (!loop.sites.empty() && !SitesHold(vm, module, loop))
        return kScriptFailed;
    LoopRecords records(vm, module, activation, loop, enclosure);
    // The turn that last ran a call inside each block; the loop's own block counts as called
    // in every turn (its record, once made, is always the one a leaving ends).
    uint32_t called[kScriptLoopRecordBlocks] = {};
    uint8_t siteDone[kScriptLoopRecordBlocks] = {};
    uint32_t turn = 0;
    // The cells right after the last builtin call of this turn: a doubt after it hands the loop
    // over from there (the call is not made twice).
    Cell calledCells[kScriptLoopCells];
    uint32_t calledTurn = 0;
    uint32_t calledSite = 0;
    // After a builtin call its slots and the records of its blocks are left standing until
    // something else needs the stack or the records: the next call of the same site only
    // writes the values again. Nothing looks at them in between.
    int lingering = -1;
    auto settle = [&]() {
        if (lingering >= 0) {
            ScriptStackTruncate(stack, loop.entryCount);
            records.CloseOpen();
            lingering = -1;
        }
    };

    // Load; two slots that lead to the same value, and a literal's slot, are left to the
    // executor.
    Cell cells[kScriptLoopCells];
    // A turn's start, field by field: copying whole cells just written field by field would
    // wait on the stores.
    uint8_t turnType[kScriptLoopCells];
    uint32_t turnValue[kScriptLoopCells];
    ScriptValue* targets[kScriptLoopCells];
    const size_t loadCount = loop.loads.size();
    for (size_t i = 0; i < loadCount; ++i) {
        ScriptValue* target = Follow(vm, module, activation, slots, loop.loads[i]);
        if (!target || (target->declaration && target->declaration->constType != 0))
            return kScriptFailed;
        for (size_t j = 0; j < i; ++j) {
            if (targets[j] == target)
                return kScriptFailed;
        }
        targets[i] = target;
        cells[i].type = target->type;
        cells[i].value = target->value;
    }

    const ScriptLoopOp* ops = loop.ops.data();
    const uint16_t* turnCells = loop.turnCells.data();
    const size_t turnCount = loop.turnCells.size();
    uint32_t at = 0;
    const ScriptLoopOp* op = nullptr;
#if SCRIPT_LOOP_THREADED
    static void* const kTargets[] = {
        &&OpInit, &&OpAssign, &&OpSetLong, &&OpJumpIfZero, &&OpJump, &&OpTurn, &&OpEnd, &&OpCheck, &&OpNextTurn,
        &&OpCopy, &&OpSetFresh, &&OpCall, &&OpBuiltin, &&OpExit, &&OpLeave, &&OpUnwind, &&OpMul, &&OpDiv, &&OpAdd,
        &&OpSub, &&OpEqual, &&OpNotEqual, &&OpLess, &&OpLessEqual, &&OpGreater, &&OpGreaterEqual, &&OpAnd, &&OpOr,
    };
    static_assert(sizeof(kTargets) / sizeof(kTargets[0]) == kLoopOperator + (kScriptOpOr - kScriptOpMul) + 1,
                  "one target per operation code");
#endif
    for (;;) {
        op = &ops[at++];
        uint8_t type = 0;
        uint32_t value = 0;
        switch (op->code) {
        case kLoopInit: SCRIPT_LOOP_LABEL(OpInit)
            cells[op->x].type = op->form != 0 ? op->form : static_cast<uint8_t>(kScriptTypeUnknown);
            cells[op->x].value = op->y;
            SCRIPT_LOOP_NEXT();
        case kLoopAssign: SCRIPT_LOOP_LABEL(OpAssign) {
            Cell& x = cells[op->x];
            const Cell& y = cells[op->y];
            if (!ScriptNumberAssign(&x.type, &x.value, y.type, y.value))
                goto doubt;
            SCRIPT_LOOP_NEXT();
        }
        case kLoopSetLong: SCRIPT_LOOP_LABEL(OpSetLong)
        case kLoopSetFresh: SCRIPT_LOOP_LABEL(OpSetFresh)
            cells[op->x].type = kScriptTypeULong;
            cells[op->x].value = op->y;
            SCRIPT_LOOP_NEXT();
        case kLoopCheck: SCRIPT_LOOP_LABEL(OpCheck)
            // An unset value assigned to itself stays unset, as a number stays the number.
            if (!IsNumber(cells[op->x].type) && cells[op->x].type != kScriptTypeUnknown)
                goto doubt;
            SCRIPT_LOOP_NEXT();
        case kLoopCopy: SCRIPT_LOOP_LABEL(OpCopy) {
            const Cell& y = cells[op->y];
            if (!IsNumber(y.type))
                goto doubt;
            cells[op->x].type = y.type;
            cells[op->x].value = y.value;
            SCRIPT_LOOP_NEXT();
        }
#define SCRIPT_LOOP_OPERATOR(opcode, label, longCase)                                                        \
    case kLoopOperator + (opcode - kScriptOpMul): SCRIPT_LOOP_LABEL(label) {                                                 \
        Cell& x = cells[op->x];                                                                      \
        if (op->form & kLoopCopied) {                                                                \
            const Cell& z = cells[op->z];                                                            \
            if (!IsNumber(z.type))                                                                  \
                goto doubt;                                                                         \
            x.type = z.type;                                                                        \
            x.value = z.value;                                                                      \
        }                                                                                           \
        if (op->form & kLoopImmediate) {                                                             \
            type = kScriptTypeULong;                                                                \
            value = op->y;                                                                           \
        } else {                                                                                    \
            type = cells[op->y].type;                                                                \
            value = cells[op->y].value;                                                              \
        }                                                                                           \
        if (x.type == kScriptTypeULong && type == kScriptTypeULong) {                               \
            const uint32_t l = x.value;                                                             \
            const uint32_t r = value;                                                               \
            longCase;                                                                               \
        } else if (!ScriptNumberOperate(opcode, &x.type, &x.value, type, value)) {                  \
            goto doubt;                                                                             \
        }                                                                                           \
        if ((op->form & kLoopTest) && x.value == 0)                                                  \
            at = op->target;                                                                         \
        SCRIPT_LOOP_NEXT();                                                                               \
    }
        // Two ULONG cells (the common case) inline; everything else by the number rules.
        SCRIPT_LOOP_OPERATOR(kScriptOpMul, OpMul, x.value = l * r)
        SCRIPT_LOOP_OPERATOR(kScriptOpDiv, OpDiv, if (r == 0) goto doubt; x.value = l / r)
        SCRIPT_LOOP_OPERATOR(kScriptOpAdd, OpAdd, x.value = l + r)
        SCRIPT_LOOP_OPERATOR(kScriptOpSub, OpSub, x.value = l - r)
        SCRIPT_LOOP_OPERATOR(kScriptOpEqual, OpEqual, x.value = l == r)
        SCRIPT_LOOP_OPERATOR(kScriptOpNotEqual, OpNotEqual, x.value = l != r)
        SCRIPT_LOOP_OPERATOR(kScriptOpLess, OpLess, x.value = l < r)
        SCRIPT_LOOP_OPERATOR(kScriptOpLessEqual, OpLessEqual, x.value = l <= r)
        SCRIPT_LOOP_OPERATOR(kScriptOpGreater, OpGreater, x.value = l > r)
        SCRIPT_LOOP_OPERATOR(kScriptOpGreaterEqual, OpGreaterEqual, x.value = l >= r)
        SCRIPT_LOOP_OPERATOR(kScriptOpAnd, OpAnd, x.value = l != 0 && r != 0)
        SCRIPT_LOOP_OPERATOR(kScriptOpOr, OpOr, x.value = l != 0 || r != 0)
#undef SCRIPT_LOOP_OPERATOR
        case kLoopJumpIfZero: SCRIPT_LOOP_LABEL(OpJumpIfZero)
            if (!IsNumber(cells[op->x].type))
                goto doubt;
            if (cells[op->x].value == 0)
                at = op->target;
            SCRIPT_LOOP_NEXT();
        case kLoopJump: SCRIPT_LOOP_LABEL(OpJump)
            at = op->target;
            SCRIPT_LOOP_NEXT();
        case kLoopNextTurn: SCRIPT_LOOP_LABEL(OpNextTurn)
            at = op->target;
            [[fallthrough]];
        case kLoopTurn: SCRIPT_LOOP_LABEL(OpTurn)
            called[0] = ++turn;
            for (size_t i = 0; i < turnCount; ++i) {
                turnType[turnCells[i]] = cells[turnCells[i]].type;
                turnValue[turnCells[i]] = cells[turnCells[i]].value;
            }
            SCRIPT_LOOP_NEXT();
        case kLoopCall: SCRIPT_LOOP_LABEL(OpCall) {
            const ScriptLoopSite& site = loop.sites[op->y];
            const size_t length = site.chain.size();
            for (size_t k = 1; k < length; ++k)
                called[site.chain[k]] = turn;
            if (!siteDone[op->y]) {
                settle();
                if (!records.Call(site))
                    goto failed;
                siteDone[op->y] = 1;
            }
            SCRIPT_LOOP_NEXT();
        }
        case kLoopBuiltin: SCRIPT_LOOP_LABEL(OpBuiltin) {
            const ScriptLoopSite& site = loop.sites[op->y];
            const size_t length = site.chain.size();
            for (size_t k = 1; k < length; ++k)
                called[site.chain[k]] = turn;
            WriteBack(cells, targets, loadCount);
            ScriptActivation* leaf = nullptr;
            if (lingering == static_cast<int>(op->y) && stack->slots.size() == loop.entryCount + site.layout.size() &&
                records.OpenIntact()) {
                leaf = records.Reopen(site);
                Refill(stack, loop.entryCount, site, cells);
            } else {
                settle();
                leaf = records.OpenAt(site);
                if (!leaf)
                    goto failed;
                Spill(stack, site, cells);
            }
            lingering = static_cast<int>(op->y);
            const Status status = vm->handlers[kScriptOpCallBuiltin](vm, module, leaf, site.instruction);
            if (status < 0) {
                // A wait, a stop or a failure: the driver takes it from the records.
                enclosure->status = status;
                return kScriptControlMoved;
            }
            leaf->position++;
            if (activation->stack != stack || !records.OpenIntact() ||
                !ReadBack(stack, loop.entryCount, site, cells)) {
                enclosure->status = kScriptControlMoved;
                return kScriptControlMoved;
            }
            // The stack may have moved; the loaded slots are found again.
            slots = stack->slots.data();
            for (size_t i = 0; i < loadCount; ++i) {
                ScriptValue* target = Follow(vm, module, activation, slots, loop.loads[i]);
                if (!target) {
                    enclosure->status = kScriptControlMoved;
                    return kScriptControlMoved;
                }
                targets[i] = target;
                cells[i].type = target->type;
                cells[i].value = target->value;
            }
            for (uint32_t i = 0; i < loop.cellCount; ++i)
                calledCells[i] = cells[i];
            calledTurn = turn;
            calledSite = op->y;
            SCRIPT_LOOP_NEXT();
        }
        case kLoopExit: SCRIPT_LOOP_LABEL(OpExit)
            if (called[op->y] == turn && records.Record(op->y))
                records.Record(op->y)->position = op->z;
            SCRIPT_LOOP_NEXT();
        case kLoopLeave: SCRIPT_LOOP_LABEL(OpLeave)
            if (!IsNumber(cells[op->x].type))
                goto doubt;
            if (cells[op->x].value == 0) {
                if (called[op->y] == turn && records.Record(op->y))
                    records.Record(op->y)->position = op->z;
                at = op->target;
            }
            SCRIPT_LOOP_NEXT();
        case kLoopUnwind: SCRIPT_LOOP_LABEL(OpUnwind)
            settle();
            if (records.Own() && !records.Unwind(loop.unwinds[op->y]))
                goto failed;
            SCRIPT_LOOP_NEXT();
        case kLoopEnd: SCRIPT_LOOP_LABEL(OpEnd)
            WriteBack(cells, targets, loadCount);
            settle();
            records.End();
            return kScriptOk;
        default:
            goto doubt;
        }
    }
doubt:
    settle();
    if (calledTurn == turn && turn != 0) {
        // After a builtin call of this turn: from right after it, on the records.
        const ScriptLoopSite& site = loop.sites[calledSite];
        for (uint32_t i = 0; i < loop.cellCount; ++i)
            cells[i] = calledCells[i];
        WriteBack(cells, targets, loadCount);
        ScriptActivation* leaf = records.OpenAt(site);
        if (!leaf)
            return kScriptOutOfMemory;
        leaf->position++;
        Spill(stack, site, cells);
        enclosure->status = kScriptControlMoved;
        return kScriptControlMoved;
    }
    for (size_t i = 0; i < turnCount; ++i) {
        cells[turnCells[i]].type = turnType[turnCells[i]];
        cells[turnCells[i]].value = turnValue[turnCells[i]];
    }
    WriteBack(cells, targets, loadCount);
    if (records.Own()) {
        // The loop's record stands at the turn's start, as the executor's would.
        records.Own()->position = 0;
        enclosure->status = kScriptControlMoved;
        return kScriptControlMoved;
    }
    return kScriptFailed;
failed:
    // A record could not be made: out of memory.
    settle();
    WriteBack(cells, targets, loadCount);
    return kScriptOutOfMemory;
}
