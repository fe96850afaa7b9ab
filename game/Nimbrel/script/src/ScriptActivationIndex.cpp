// Finding the last activation record of a block. Blocks are entered over and over (every loop
// turn, every call), so each block remembers where its last record is; the memory is trusted
// only for the module and the epoch of the array it was taken from, and a record's function
// and block never change once it was first started, so only appending can move it.
#include "NimbrelScript/ScriptVM.h"
#include "ScriptInternal.h"

namespace {

bool Stands(const ScriptActivation* record, const ScriptFunction* function, const ScriptBlock* block)
{
    return !record->scope && record->block == block && record->function == function;
}

void Remember(ScriptModule* module, ScriptBlock* block, uint32_t index)
{
    block->lastRecordModule = module->serial;
    block->lastRecordEpoch = module->epoch;
    block->lastRecordIndex = index;
}

} // namespace

ScriptActivation* ScriptLastActivationOf(ScriptModule* module, ScriptFunction* function, ScriptBlock* block)
{
    if (!block)
        return nullptr;
    if (block->lastRecordModule == module->serial && block->lastRecordEpoch == module->epoch) {
        const uint32_t index = block->lastRecordIndex;
        if (index == kScriptNone)
            return nullptr;
        if (index < module->activations.size()) {
            ScriptActivation* record = module->activations[index].get();
            if (Stands(record, function, block))
                return record;
        }
    }
    for (size_t i = module->activations.size(); i-- > 0;) {
        ScriptActivation* record = module->activations[i].get();
        if (Stands(record, function, block)) {
            Remember(module, block, static_cast<uint32_t>(i));
            return record;
        }
    }
    Remember(module, block, kScriptNone);
    return nullptr;
}

void ScriptNoteActivation(ScriptModule* module, ScriptActivation* record)
{
    if (!record->scope && record->block)
        Remember(module, record->block, record->index);
}
