#include "Vornel3D_ToolBox/WindowGeometry.h"

#include <cmath>
#include <cstdint>

namespace {

// The share of the desktop a window may take, as the single-precision constant the sizes
// were always computed from (1920 x 0.9f gives 1727, not 1728).
constexpr float kDesktopShare = 0.9f;

uint16_t Truncate16(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 65535.0)
        return 65535;
    return static_cast<uint16_t>(value);
}

// Floored and kept far enough inside the 32-bit range that turning it cannot overflow.
int32_t FloorToInt(double value)
{
    constexpr double kLimit = 1073741824.0;  // 2^30
    const double floored = std::floor(value);
    if (floored <= -kLimit)
        return -1073741824;
    if (floored >= kLimit)
        return 1073741824;
    return static_cast<int32_t>(floored);
}

}  // namespace

void FitWindowToDesktop(WindowFitState& state, uint16_t& width, uint16_t& height, bool fullScreen)
{
    if (state.shrunk && width == state.shrunkWidth && height == state.shrunkHeight) {
        width = state.requestedWidth;
        height = state.requestedHeight;
    }
    state.shrunk = 0;

    const uint16_t desktopWidth = state.desktopWidth;
    const uint16_t desktopHeight = state.desktopHeight;
    if (desktopWidth == 0 || desktopHeight == 0 || desktopWidth == 65535 || desktopHeight == 65535)
        return;  // nothing to fit into

    if (fullScreen) {
        if (width > desktopWidth || height > desktopHeight) {
            width = desktopWidth;
            height = desktopHeight;
        }
        return;
    }
    const uint16_t limitWidth = Truncate16(double(desktopWidth) * double(kDesktopShare));
    const uint16_t limitHeight = Truncate16(double(desktopHeight) * double(kDesktopShare));
    if (width <= limitWidth && height <= limitHeight)
        return;
    state.requestedWidth = width;
    state.requestedHeight = height;
    height = limitHeight;
    width = Truncate16(double(height) * (double(desktopWidth) / double(desktopHeight)));
    state.shrunkWidth = width;
    state.shrunkHeight = height;
    state.shrunk = 1;
}

void KeepDisplayShape(WindowRect& rect, uintptr_t edge, uint16_t displayWidth, uint16_t displayHeight)
{
    if (displayWidth == 0 || displayHeight == 0)
        return;
    const double ratio = double(displayHeight) / double(displayWidth);
    const double w = double(rect.right) - double(rect.left);
    const double h = double(rect.bottom) - double(rect.top);
    switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
    case WMSZ_BOTTOMLEFT:
    case WMSZ_BOTTOMRIGHT:
        rect.bottom = rect.top + static_cast<int32_t>(w * ratio);
        break;
    case WMSZ_TOP:
    case WMSZ_BOTTOM:
        rect.right = rect.left + static_cast<int32_t>(h / ratio);
        break;
    case WMSZ_TOPLEFT:
    case WMSZ_TOPRIGHT:
        rect.top = rect.bottom - static_cast<int32_t>(w * ratio);
        break;
    default:
        break;
    }
}

VirtualPoint MapPointerToVirtual(int32_t x, int32_t y, float scaleX, float scaleY, uint32_t orientation,
                                 uint16_t displayWidth, uint16_t displayHeight)
{
    // A zero factor (no load yet) would make every position infinite.
    const double fx = scaleX != 0.0f && std::isfinite(scaleX) ? double(scaleX) : 1.0;
    const double fy = scaleY != 0.0f && std::isfinite(scaleY) ? double(scaleY) : 1.0;
    const int32_t vx = FloorToInt(double(x) / fx);
    const int32_t vy = FloorToInt(double(y) / fy);
    const int32_t W = displayWidth;
    const int32_t H = displayHeight;
    switch (orientation) {
    case 2:
        return {W - vx, H - vy};
    case 3:
        return {vy, W - vx};
    case 4:
        return {H - vy, vx};
    default:
        return {vx, vy};
    }
}
