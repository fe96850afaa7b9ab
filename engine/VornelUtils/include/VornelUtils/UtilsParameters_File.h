#pragma once
// A settings reader over a whole file.
#include <cstdint>

#include "VornelUtils/UtilsParameters.h"

class UtilsParameters_File : public UtilsParameters_Text {
public:
    // Reads the whole file (a missing or unreadable file gives an empty reader) and
    // unscrambles it with key as UtilsParameters_Static does.
    UtilsParameters_File(const char16_t* path, uint32_t key);
    ~UtilsParameters_File() override;
};
