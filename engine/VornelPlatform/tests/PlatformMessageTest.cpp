#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformPump.h"

#include <gtest/gtest.h>

TEST(PlatformMessage, RecordIsSevenWords)
{
    EXPECT_EQ(sizeof(PlatformMessage), 7 * sizeof(void*));
}

TEST(PlatformMessage, PositionsStaySignedInTheLParam)
{
    const intptr_t lParam = Platform_MakeLParam(-20, 300);
    EXPECT_EQ(Platform_LowWord(lParam), 0xFFEC);  // the 16-bit form that Windows packs
    EXPECT_EQ(Platform_SignedLowWord(lParam), -20);
    EXPECT_EQ(Platform_SignedHighWord(lParam), 300);
    // Far outside the 16-bit range: clamped, not wrapped round to the other sign.
    EXPECT_EQ(Platform_SignedLowWord(Platform_MakeLParam(70000, -70000)), 32767);
    EXPECT_EQ(Platform_SignedHighWord(Platform_MakeLParam(70000, -70000)), -32768);
}

TEST(PlatformPump, PostedMessagesComeInOrderThenQuit)
{
    PlatformMessage m{};
    while (Platform_PeekMessage(&m)) {
    }
    Platform_PostQuitMessage(7);
    ASSERT_TRUE(Platform_PostMessage(nullptr, WM_USER + 1, 10, -3));
    ASSERT_TRUE(Platform_PostMessage(nullptr, WM_USER + 2, 20, 4));
    EXPECT_TRUE(Platform_WaitMessage(0));

    ASSERT_TRUE(Platform_PeekMessage(&m));
    EXPECT_EQ(m.message, WM_USER + 1);
    EXPECT_EQ(m.wParam, 10u);
    EXPECT_EQ(m.lParam, -3);
    EXPECT_EQ(m.extra[0] | m.extra[1] | m.extra[2], 0u);
    ASSERT_TRUE(Platform_PeekMessage(&m));
    EXPECT_EQ(m.message, WM_USER + 2);
    // The quit request comes after the posted messages, once.
    ASSERT_TRUE(Platform_PeekMessage(&m));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(m.window, nullptr);
    EXPECT_FALSE(Platform_PeekMessage(&m));
}

TEST(PlatformPump, TimersNeedALiveWindow)
{
    EXPECT_FALSE(Platform_SetTimer(nullptr, 1, 10));
    EXPECT_FALSE(Platform_KillTimer(nullptr, 1));
}
