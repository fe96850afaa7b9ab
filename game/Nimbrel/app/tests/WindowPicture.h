// What the X server shows of a window, read in the test's own process: an end-to-end test looks
// at the program's window many times a second, and a look that starts a program of its own and
// converts the whole window takes long enough on a busy machine to miss what shows for a moment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture as 0xRRGGBB words, top row first.
struct RootPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct WindowPoint {
    int x = 0, y = 0;
};

// The whole window (its decimal X id, as xdotool prints it); empty when it cannot be read.
RootPicture ReadWindowPicture(const std::string& id);

// The window's colours at the points, from one capture, 0xRRGGBB; -1 for a point outside it or
// when the window cannot be read.
std::vector<int64_t> WindowColours(const std::string& id, const std::vector<WindowPoint>& points);
