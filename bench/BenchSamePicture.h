#pragma once
// Whether two ways of drawing a frame give the same picture: both drawn and read back from the
// window, at most one byte in a thousand differing by more than 2. A comparison of their times
// means nothing otherwise. Needs the window's GL context current.
#include <GL/glew.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

template <class DrawA, class DrawB>
bool SamePicture(int width, int height, DrawA drawA, DrawB drawB)
{
    std::vector<uint8_t> a(size_t(width) * height * 3), b(a.size());
    drawA();
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, a.data());
    drawB();
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, b.data());
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i)
        differing += std::abs(int(a[i]) - int(b[i])) > 2;
    return differing * 1000 < a.size();
}
