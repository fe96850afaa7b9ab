#include "VornelUtils/UtilsParameters_Packer.h"

#include <cstdio>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsScramble.h"

UtilsParameters_Packer::UtilsParameters_Packer(const char16_t* entryName, PackLocatorFn locator, PackRecord* pPack,
                                               uint32_t key)
    : UtilsParameters_Text(nullptr, 0)
{
    if (entryName == nullptr || locator == nullptr || pPack == nullptr)
        return;
    if (Failed(locator(entryName, pPack)) || pPack->pFile == nullptr)
        return;
    const uint32_t size = pPack->lastEntrySize;
    if (size == 0)
        return;
    auto* text = static_cast<uint8_t*>(UtilsMalloc(size, __FILE__, __LINE__));
    if (text == nullptr)
        return;
    if (std::fread(text, 1, size, pPack->pFile) != size) {
        UtilsFree(text, __FILE__, __LINE__);
        return;
    }
    UnscrambleBlockIfScrambled(text, size, key);
    m_pText = reinterpret_cast<const char*>(text);
    m_textSize = size;
}

UtilsParameters_Packer::~UtilsParameters_Packer()
{
    UtilsFree(const_cast<char*>(m_pText), __FILE__, __LINE__);
}
