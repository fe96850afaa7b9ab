#pragma once
// The arithmetic of the main window: fitting a requested size into the desktop, the client
// shape kept while the frame is dragged, and the mapping of pointer positions from real client
// coordinates to the virtual screen the game is authored for.
#include <cstdint>

struct WindowRect {
    int32_t left, top, right, bottom;
};

// What the fit remembers between two requests (process-wide in the program). 65535 in either
// desktop dimension means the desktop size is not known yet.
struct WindowFitState {
    uint16_t desktopWidth = 65535, desktopHeight = 65535;
    uint16_t requestedWidth = 0, requestedHeight = 0;  // before the last shrink
    uint16_t shrunkWidth = 0, shrunkHeight = 0;
    uint8_t shrunk = 0;
};

// Fits width x height into the known desktop: a full-screen size larger than the desktop
// becomes the desktop size; a window larger than 90% of the desktop in either direction is
// shrunk to 90% of the desktop height at the desktop's shape and remembered, so that asking
// for the shrunk size again starts from the size asked for before.
void FitWindowToDesktop(WindowFitState& state, uint16_t& width, uint16_t& height, bool fullScreen);

// Edges of WM_SIZING (its wParam).
constexpr uintptr_t WMSZ_LEFT = 1;
constexpr uintptr_t WMSZ_RIGHT = 2;
constexpr uintptr_t WMSZ_TOP = 3;
constexpr uintptr_t WMSZ_TOPLEFT = 4;
constexpr uintptr_t WMSZ_TOPRIGHT = 5;
constexpr uintptr_t WMSZ_BOTTOM = 6;
constexpr uintptr_t WMSZ_BOTTOMLEFT = 7;
constexpr uintptr_t WMSZ_BOTTOMRIGHT = 8;

// Keeps the dragged rectangle at the display's shape (height / width); an unknown edge or an
// empty display size changes nothing.
void KeepDisplayShape(WindowRect& rect, uintptr_t edge, uint16_t displayWidth, uint16_t displayHeight);

// A real client position in virtual-screen units: divided by the real/virtual scale factors
// (a factor of 0 counts as 1) and floored, then turned by the screen orientation (1 upright,
// 2 upside down, 3 and 4 a quarter turn; others as 1) within the display size W x H.
struct VirtualPoint {
    int32_t x, y;
};
VirtualPoint MapPointerToVirtual(int32_t x, int32_t y, float scaleX, float scaleY, uint32_t orientation,
                                 uint16_t displayWidth, uint16_t displayHeight);
