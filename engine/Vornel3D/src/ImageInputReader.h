#pragma once
// Sequential reads from an ImageInput that never pass its end.
#include <cstring>

#include "ImageCodecs.h"

class ImageInputReader {
public:
    explicit ImageInputReader(const ImageInput& input)
        : m_input(input), m_remaining(input.file ? input.limit : input.size)
    {
    }

    uint64_t Remaining() const { return m_remaining; }

    bool Read(void* dst, size_t count)
    {
        if (count > m_remaining)
            return false;
        if (m_input.file) {
            if (std::fread(dst, 1, count, m_input.file) != count)
                return false;
        } else {
            std::memcpy(dst, m_input.data + (m_input.size - m_remaining), count);
        }
        m_remaining -= count;
        return true;
    }

private:
    const ImageInput& m_input;
    uint64_t m_remaining;
};
