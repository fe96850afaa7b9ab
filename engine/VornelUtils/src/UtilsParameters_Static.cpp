#include "VornelUtils/UtilsParameters_Static.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsScramble.h"

UtilsParameters_Static::UtilsParameters_Static(const void* block, uint32_t size, uint32_t key)
    : UtilsParameters_Text(nullptr, 0)
{
    if (block == nullptr || size == 0)
        return;
    auto* copy = static_cast<uint8_t*>(UtilsMalloc(size, __FILE__, __LINE__));
    if (copy == nullptr)
        return;
    std::memcpy(copy, block, size);
    UnscrambleBlockIfScrambled(copy, size, key);
    m_pText = reinterpret_cast<const char*>(copy);
    m_textSize = size;
}

UtilsParameters_Static::~UtilsParameters_Static()
{
    UtilsFree(const_cast<char*>(m_pText), __FILE__, __LINE__);
}
