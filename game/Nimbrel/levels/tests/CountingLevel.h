#pragma once
// A level kind that counts the times it finished, each once until "reset" clears the mark.
#include <cstdint>

template <class Kind>
class CCounting : public Kind {
public:
    using Kind::Kind;
    bool Finish(uint8_t solved) override
    {
        const bool was = this->m_finished != 0;
        const bool taken = Kind::Finish(solved);
        finishes += !was && this->m_finished;
        return taken;
    }
    uint32_t finishes = 0;
};
