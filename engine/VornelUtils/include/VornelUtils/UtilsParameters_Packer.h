#pragma once
// A settings reader over one entry of a resource pack.
#include <cstdint>

#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

class UtilsParameters_Packer : public UtilsParameters_Text {
public:
    // Positions the pack at the entry through the locator and reads the whole entry; a missing,
    // empty or short entry gives an empty reader. Unscrambles as UtilsParameters_Static does.
    UtilsParameters_Packer(const char16_t* entryName, PackLocatorFn locator, PackRecord* pPack, uint32_t key);
    ~UtilsParameters_Packer() override;
};
