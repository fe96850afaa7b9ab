#pragma once
// What a command reaches when it burns: every scene object is one. The command list manager
// holds the records; whoever waits for something to finish (an element, a fade, a popup, a
// manager) keeps only the handle and burns it when the thing is done.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

// Command kinds: what the target does when the command burns.
constexpr uint32_t kCommandChangeLevel = 1;   // change to the target's level
constexpr uint32_t kCommandCallFunction = 2;  // call a script function of the target for an element
constexpr uint32_t kCommandResumeWait = 3;    // resume a waiting script call

// Five words naming one command of the command list manager; copied freely. A handle whose
// record was freed or reused (the magic index differs) burns nothing.
struct CommandHandle {
    uint32_t kind;
    uint32_t recordIndex;
    uint32_t magicIndex;
    uint32_t word3;  // the adder's word: the waiting builtins put the function index here
    uint32_t word4;  // the adder's second word (0 in every waiting builtin)
};

class CCommandTarget : public CManagedObject {
public:
    explicit CCommandTarget(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CCommandTarget() override = default;

    // A command of this target burns with an event code and three words. True when the target
    // took it (the manager may then free the record), false to keep it for a later burn.
    virtual bool OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a, int32_t b, int32_t c) = 0;
};
