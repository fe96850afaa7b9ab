// The pump turns SDL's events into message records: events are pushed into SDL's own queue,
// as the display would deliver them.
#include <SDL.h>
#include <gtest/gtest.h>

#include "PlatformSdl.h"
#include "PlatformTestSupport.h"
#include "VornelPlatform/PlatformInput.h"

namespace {

class PlatformPumpEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        PlatformWindowDesc desc;
        desc.title = "pump events";
        desc.width = 320;
        desc.height = 240;
        desc.visible = true;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr) << Platform_GetLastErrorText();
        m_id = SDL_GetWindowID(m_window->sdl);
        DrainMessages(100);
    }
    void TearDown() override
    {
        Platform_DestroyWindow(m_window);
        DrainMessages(20);
    }

    void PushKey(Uint32 type, SDL_Scancode scancode, Uint16 mod, Uint8 repeat = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = m_id;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        e.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushButton(Uint32 type, Uint8 button, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = m_id;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushWindowEvent(Uint8 event, int data1 = 0, int data2 = 0)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = m_id;
        e.window.event = event;
        e.window.data1 = data1;
        e.window.data2 = data2;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // Pumps what is queued and keeps the messages of these numbers.
    std::vector<PlatformMessage> Take(std::initializer_list<uint32_t> numbers)
    {
        std::vector<PlatformMessage> all;
        PlatformMessage m{};
        while (Platform_PeekMessage(&m))
            all.push_back(m);
        return OnlyMessages(all, numbers);
    }

    PlatformWindow* m_window = nullptr;
    Uint32 m_id = 0;
};

}  // namespace

TEST_F(PlatformPumpEvents, KeysBecomeVirtualKeyMessages)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, 1);
    PushKey(SDL_KEYUP, SDL_SCANCODE_A, KMOD_NONE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_F12, KMOD_NONE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_0, KMOD_NUM);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_MUTE, KMOD_NONE);  // no virtual key: no message
    const auto keys = Take({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP});
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0].message, WM_KEYDOWN);
    EXPECT_EQ(keys[0].wParam, uintptr_t('A'));
    EXPECT_EQ(keys[0].window, m_window);
    EXPECT_EQ(Platform_LowWord(keys[0].lParam), 1u);  // repeat count
    EXPECT_EQ(keys[0].lParam & KF_PREVIOUS_DOWN_BIT, 0);
    EXPECT_NE(keys[1].lParam & KF_PREVIOUS_DOWN_BIT, 0);  // auto-repeat
    EXPECT_EQ(keys[2].message, WM_KEYUP);
    EXPECT_NE(static_cast<uint32_t>(keys[2].lParam) & KF_UP_BIT, 0u);
    EXPECT_EQ(keys[3].wParam, VK_F12);
    EXPECT_EQ(keys[4].wParam, VK_NUMPAD0);
}

TEST_F(PlatformPumpEvents, AltEnterIsASystemKey)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, KMOD_LALT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_LALT, KMOD_NONE);
    const auto keys = Take({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CHAR});
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(keys[0].wParam, VK_MENU);
    EXPECT_EQ(keys[1].message, WM_SYSKEYDOWN);
    EXPECT_EQ(keys[1].wParam, VK_RETURN);
    EXPECT_NE(keys[1].lParam & 1, 0);  // bit 0 of lParam: the key's first press
    EXPECT_EQ(keys[2].message, WM_SYSKEYUP);
    EXPECT_EQ(keys[3].message, WM_SYSKEYUP);
    EXPECT_EQ(keys[3].wParam, VK_MENU);
}

TEST_F(PlatformPumpEvents, TypedTextBecomesUtf16Characters)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_NONE);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, KMOD_NONE);
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = m_id;
    SDL_strlcpy(e.text.text, "a\xC3\xA9\xF0\x9F\x98\x80", sizeof e.text.text);  // a, é, U+1F600
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    const auto chars = Take({WM_CHAR});
    ASSERT_EQ(chars.size(), 6u);
    const uintptr_t expected[] = {13, 8, 'a', 0xE9, 0xD83D, 0xDE00};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(chars[i].wParam, expected[i]) << i;
}

TEST_F(PlatformPumpEvents, ButtonsKeepSignedPositionsOutsideTheWindow)
{
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 11, 21);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 12, 22);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -15, -3);  // released left of and above it
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 6);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 5, 6);
    const auto buttons = Take({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
                               WM_MBUTTONDOWN, WM_MBUTTONUP});
    ASSERT_EQ(buttons.size(), 6u);
    EXPECT_EQ(buttons[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(buttons[0].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(Platform_SignedLowWord(buttons[0].lParam), 10);
    EXPECT_EQ(Platform_SignedHighWord(buttons[0].lParam), 20);
    EXPECT_EQ(buttons[1].message, WM_RBUTTONDOWN);
    EXPECT_EQ(buttons[1].wParam & (MK_LBUTTON | MK_RBUTTON), MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(buttons[2].message, WM_RBUTTONUP);
    EXPECT_EQ(buttons[3].message, WM_LBUTTONUP);
    EXPECT_EQ(buttons[3].wParam & MK_LBUTTON, 0u);
    EXPECT_EQ(Platform_SignedLowWord(buttons[3].lParam), -15);
    EXPECT_EQ(Platform_SignedHighWord(buttons[3].lParam), -3);
    EXPECT_EQ(buttons[4].message, WM_MBUTTONDOWN);
    EXPECT_EQ(buttons[5].message, WM_MBUTTONUP);
}

TEST_F(PlatformPumpEvents, MotionAndWheel)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = m_id;
    e.motion.x = 100;
    e.motion.y = 50;
    e.motion.state = SDL_BUTTON_LMASK;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = m_id;
    wheel.wheel.y = -1;
    wheel.wheel.preciseY = -1.0f;
    wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);
    wheel.wheel.y = 2;
    wheel.wheel.preciseY = 2.0f;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);
    const auto mouse = Take({WM_MOUSEMOVE, WM_MOUSEWHEEL});
    ASSERT_EQ(mouse.size(), 3u);
    EXPECT_EQ(mouse[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(mouse[0].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(Platform_SignedLowWord(mouse[0].lParam), 100);
    EXPECT_EQ(Platform_SignedHighWord(mouse[0].lParam), 50);
    EXPECT_EQ(Platform_SignedHighWord(mouse[1].wParam), -WHEEL_DELTA);
    EXPECT_EQ(Platform_SignedHighWord(mouse[2].wParam), 2 * WHEEL_DELTA);
}

TEST_F(PlatformPumpEvents, WindowEvents)
{
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    const auto all = Take({WM_SIZE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_CLOSE});
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].message, WM_SIZE);
    EXPECT_EQ(all[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(Platform_LowWord(all[0].lParam), 800u);
    EXPECT_EQ(Platform_HighWord(all[0].lParam), 600u);
    EXPECT_EQ(all[1].message, WM_ACTIVATE);
    EXPECT_EQ(Platform_LowWord(all[1].wParam), WA_INACTIVE);
    EXPECT_EQ(all[2].message, WM_KILLFOCUS);
    EXPECT_EQ(all[3].message, WM_ACTIVATE);
    EXPECT_EQ(Platform_LowWord(all[3].wParam), WA_ACTIVE);
    EXPECT_EQ(all[4].message, WM_SETFOCUS);
    EXPECT_EQ(all[5].message, WM_CLOSE);
    EXPECT_EQ(all[5].window, m_window);
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
