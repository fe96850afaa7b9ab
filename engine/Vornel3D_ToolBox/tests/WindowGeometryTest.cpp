#include "Vornel3D_ToolBox/WindowGeometry.h"

#include <gtest/gtest.h>

namespace {

WindowFitState Desktop(uint16_t width, uint16_t height)
{
    WindowFitState state;
    state.desktopWidth = width;
    state.desktopHeight = height;
    return state;
}

}  // namespace

TEST(WindowFit, WindowLargerThanTheDesktopShareShrinksAndComesBack)
{
    WindowFitState state = Desktop(1920, 1080);
    uint16_t w = 1920, h = 1080;
    FitWindowToDesktop(state, w, h, false);
    EXPECT_EQ(w, 1726);  // limits 1727 x 971 from the single-precision 0.9
    EXPECT_EQ(h, 971);
    EXPECT_TRUE(state.shrunk);

    // Asking for the shrunk size again starts from the size asked for before.
    FitWindowToDesktop(state, w, h, false);
    EXPECT_EQ(w, 1726);
    EXPECT_EQ(h, 971);
    EXPECT_EQ(state.requestedWidth, 1920);
    EXPECT_EQ(state.requestedHeight, 1080);
}

TEST(WindowFit, SmallWindowAndFullScreenRequests)
{
    WindowFitState state = Desktop(1920, 1080);
    uint16_t w = 1024, h = 768;
    FitWindowToDesktop(state, w, h, false);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_FALSE(state.shrunk);

    w = 1920, h = 1080;
    FitWindowToDesktop(state, w, h, true);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);

    w = 2048, h = 1536;
    FitWindowToDesktop(state, w, h, true);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
}

TEST(WindowFit, UnknownDesktopChangesNothing)
{
    WindowFitState state;  // 65535 x 65535: unknown
    uint16_t w = 4000, h = 3000;
    FitWindowToDesktop(state, w, h, false);
    EXPECT_EQ(w, 4000);
    EXPECT_EQ(h, 3000);
}

TEST(PointerMapping, EachOrientation)
{
    // Real window 2048 x 1536 over a virtual screen of 1024 x 768: factor 2.
    struct Case {
        uint32_t orientation;
        int32_t x, y;
    } cases[] = {
        {1, 50, 25},         // 101 / 2 and 51 / 2, floored
        {2, 1024 - 50, 768 - 25},
        {3, 25, 1024 - 50},
        {4, 768 - 25, 50},
        {7, 50, 25},         // unknown orientations leave the point
    };
    for (const Case& c : cases) {
        const VirtualPoint p = MapPointerToVirtual(101, 51, 2.0f, 2.0f, c.orientation, 1024, 768);
        EXPECT_EQ(p.x, c.x) << "orientation " << c.orientation;
        EXPECT_EQ(p.y, c.y) << "orientation " << c.orientation;
    }
}

TEST(PointerMapping, FloorsNegativePositionsAndSurvivesZeroFactors)
{
    const VirtualPoint p = MapPointerToVirtual(-3, 5, 2.0f, 2.0f, 1, 1024, 768);
    EXPECT_EQ(p.x, -2);
    EXPECT_EQ(p.y, 2);
    const VirtualPoint q = MapPointerToVirtual(10, 20, 0.0f, 0.0f, 1, 1024, 768);
    EXPECT_EQ(q.x, 10);
    EXPECT_EQ(q.y, 20);
}

TEST(WindowSizing, KeepsTheDisplayShape)
{
    // Display 1024 x 768: ratio 0.75.
    struct Case {
        uintptr_t edge;
        WindowRect expected;
    } cases[] = {
        {WMSZ_RIGHT, {100, 100, 500, 400}},
        {WMSZ_LEFT, {100, 100, 500, 400}},
        {WMSZ_BOTTOM, {100, 100, 433, 350}},  // 250 / 0.75 = 333.3
        {WMSZ_TOP, {100, 100, 433, 350}},
        {WMSZ_TOPLEFT, {100, 50, 500, 350}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 500, 400}},
        {99, {100, 100, 500, 350}},
    };
    for (const Case& c : cases) {
        WindowRect r{100, 100, 500, 350};
        KeepDisplayShape(r, c.edge, 1024, 768);
        EXPECT_EQ(r.left, c.expected.left) << c.edge;
        EXPECT_EQ(r.top, c.expected.top) << c.edge;
        EXPECT_EQ(r.right, c.expected.right) << c.edge;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.edge;
    }
}
