#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformPump.h"

#include <SDL.h>
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

TEST(PlatformKeys, ScancodesGiveUsLayoutVirtualKeys)
{
    struct Case {
        SDL_Scancode scancode;
        bool numLock;
        uint32_t vk;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, true, 'A'},          {SDL_SCANCODE_Z, true, 'Z'},
        {SDL_SCANCODE_0, true, '0'},          {SDL_SCANCODE_1, true, '1'},
        {SDL_SCANCODE_9, true, '9'},          {SDL_SCANCODE_ESCAPE, true, VK_ESCAPE},
        {SDL_SCANCODE_F1, true, VK_F1},       {SDL_SCANCODE_F12, true, VK_F12},
        {SDL_SCANCODE_F24, true, VK_F24},     {SDL_SCANCODE_RETURN, true, VK_RETURN},
        {SDL_SCANCODE_KP_ENTER, true, VK_RETURN}, {SDL_SCANCODE_LSHIFT, true, VK_SHIFT},
        {SDL_SCANCODE_RCTRL, true, VK_CONTROL}, {SDL_SCANCODE_RALT, true, VK_MENU},
        {SDL_SCANCODE_LGUI, true, VK_LWIN},   {SDL_SCANCODE_APPLICATION, true, VK_APPS},
        {SDL_SCANCODE_KP_0, true, VK_NUMPAD0}, {SDL_SCANCODE_KP_9, true, VK_NUMPAD9},
        {SDL_SCANCODE_KP_0, false, VK_INSERT}, {SDL_SCANCODE_KP_8, false, VK_UP},
        {SDL_SCANCODE_KP_PERIOD, true, VK_DECIMAL}, {SDL_SCANCODE_KP_PERIOD, false, VK_DELETE},
        {SDL_SCANCODE_KP_DIVIDE, false, VK_DIVIDE}, {SDL_SCANCODE_SEMICOLON, true, VK_OEM_1},
        {SDL_SCANCODE_GRAVE, true, VK_OEM_3}, {SDL_SCANCODE_NONUSBACKSLASH, true, VK_OEM_102},
        {SDL_SCANCODE_COMMA, true, VK_OEM_COMMA}, {SDL_SCANCODE_LEFT, true, VK_LEFT},
        {SDL_SCANCODE_PAGEUP, true, VK_PRIOR}, {SDL_SCANCODE_MUTE, true, 0},
        {SDL_SCANCODE_UNKNOWN, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform_VirtualKeyFromScancode(c.scancode, c.numLock), c.vk)
            << SDL_GetScancodeName(c.scancode) << " numLock " << c.numLock;
    EXPECT_EQ(Platform_VirtualKeyFromScancode(100000, true), 0u);
}
