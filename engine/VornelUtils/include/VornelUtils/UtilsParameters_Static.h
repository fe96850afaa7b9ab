#pragma once
// A settings reader over a block stored in the program.
#include <cstdint>

#include "VornelUtils/UtilsParameters.h"

class UtilsParameters_Static : public UtilsParameters_Text {
public:
    // Copies the block; unscrambles the copy with key when key is not 0 and the block's first
    // u32 equals size. Out of memory leaves an empty reader (every question gives the default).
    UtilsParameters_Static(const void* block, uint32_t size, uint32_t key);
    ~UtilsParameters_Static() override;
};
