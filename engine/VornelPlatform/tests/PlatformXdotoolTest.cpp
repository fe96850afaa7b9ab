// Real input from the X server: xdotool drives the pointer and keyboard of the display that
// xvfb-run provides, and the pump must turn what the window receives into message records.
// Under Wine the same display carries the Windows program's windows, and xdotool is started
// as the Unix program it is.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#endif

#include "PlatformTestSupport.h"
#include "VornelPlatform/PlatformInput.h"

namespace {

#ifdef _WIN32
// Wine's drive Z: is the Unix root.
constexpr const char* kXdotool = "Z:\\usr\\bin\\xdotool";
constexpr const char* kShell = "Z:\\bin\\sh";

std::string WineName(std::string unixPath)
{
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    return "Z:" + unixPath;
}
#endif

bool HaveXdotool()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
#ifdef _WIN32
    return _access(kXdotool, 0) == 0 && _access(kShell, 0) == 0;
#else
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && *driver && std::strcmp(driver, "x11") != 0)
        return false;
    return std::system("command -v xdotool >/dev/null 2>&1") == 0;
#endif
}

bool Xdotool(const std::string& arguments)
{
#ifdef _WIN32
    // Wine starts a Unix program without waiting for it or learning its exit status: a shell
    // runs xdotool and leaves the status in a file, and the file is waited for.
    static int serial = 0;
    const std::string done = "/tmp/nimbrel-xdotool-" + std::to_string(_getpid()) + "-" + std::to_string(++serial);
    const std::string script = "\"xdotool " + arguments + " >/dev/null 2>&1; echo $? > " + done + ".part && mv " +
                               done + ".part " + done + "\"";
    const char* argv[] = {"sh", "-c", script.c_str(), nullptr};
    if (_spawnv(_P_NOWAIT, kShell, argv) == -1)
        return false;
    const std::string status = WineName(done);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        if (std::FILE* file = std::fopen(status.c_str(), "r")) {
            int code = -1;
            const bool read = std::fscanf(file, "%d", &code) == 1;
            std::fclose(file);
            std::remove(status.c_str());
            return read && code == 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
#else
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
#endif
}

class PlatformXdotool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveXdotool() || !HaveDisplay())
            GTEST_SKIP() << "needs an X display and xdotool (run under xvfb-run)";
        PlatformWindowDesc desc;
        desc.title = "xdotool target";
        desc.x = 600;  // away from the centre, where other programs' windows appear
        desc.y = 400;
        desc.width = 320;
        desc.height = 240;
        desc.visible = true;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr) << Platform_GetLastErrorText();
        Platform_RaiseWindow(m_window);
        DrainMessages(200);
        ASSERT_TRUE(Platform_GetWindowPosition(m_window, &m_x, &m_y));
        ASSERT_GT(m_x, 40) << "the window must leave room on its left";
    }
    void TearDown() override
    {
        if (m_window)
            Platform_DestroyWindow(m_window);
        DrainMessages(20);
    }

    // A desktop point relative to the window's client area.
    std::string At(int x, int y) const
    {
        return std::to_string(m_x + x) + " " + std::to_string(m_y + y);
    }

    PlatformWindow* m_window = nullptr;
    int32_t m_x = 0;
    int32_t m_y = 0;
};

}  // namespace

TEST_F(PlatformXdotool, ClickGivesButtonMessagesAtTheClientPosition)
{
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(30, 40) + " click 1"));
    std::vector<PlatformMessage> seen;
    PlatformMessage up{};
    ASSERT_TRUE(PumpUntil(WM_LBUTTONUP, &up, 5000, &seen));
    const auto buttons = OnlyMessages(seen, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(buttons[0].window, m_window);
    EXPECT_EQ(Platform_SignedLowWord(buttons[0].lParam), 30);
    EXPECT_EQ(Platform_SignedHighWord(buttons[0].lParam), 40);
    EXPECT_EQ(Platform_SignedLowWord(up.lParam), 30);
}

TEST_F(PlatformXdotool, ReleaseOutsideTheWindowWhileCapturedIsNegative)
{
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(50, 60) + " mousedown 1"));
    PlatformMessage down{};
    ASSERT_TRUE(PumpUntil(WM_LBUTTONDOWN, &down, 5000));
    Platform_SetCapture(m_window);
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(-20, 70) + " mouseup 1"));
    PlatformMessage up{};
    ASSERT_TRUE(PumpUntil(WM_LBUTTONUP, &up, 5000));
    Platform_ReleaseCapture();
    EXPECT_EQ(Platform_SignedLowWord(up.lParam), -20);
    EXPECT_EQ(Platform_SignedHighWord(up.lParam), 70);
}

TEST_F(PlatformXdotool, TypedKeysGiveKeyAndCharacterMessages)
{
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(10, 10)));
    Platform_RaiseWindow(m_window);
    DrainMessages(100);
    ASSERT_TRUE(Xdotool("key --delay 20 a Escape F12"));
    std::vector<PlatformMessage> seen;
    PlatformMessage last{};
    ASSERT_TRUE(PumpUntil(WM_KEYUP, &last, 5000, &seen));
    while (!(last.message == WM_KEYUP && last.wParam == VK_F12) &&
           PumpUntil(WM_KEYUP, &last, 5000, &seen)) {
    }
    const auto keys = OnlyMessages(seen, {WM_KEYDOWN, WM_CHAR});
    std::vector<std::pair<uint32_t, uintptr_t>> got;
    for (const PlatformMessage& m : keys)
        got.emplace_back(m.message, m.wParam);
    const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
        {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27},
        {WM_KEYDOWN, VK_F12}};
    EXPECT_EQ(got, expected);
}

TEST_F(PlatformXdotool, AltKeysAreSystemKeysAndAltAloneOpensNoMenu)
{
    // Elsewhere than the typing test left the pointer: --sync waits for the pointer to move.
    ASSERT_TRUE(Xdotool("mousemove --sync " + At(14, 12)));
    Platform_RaiseWindow(m_window);
    DrainMessages(100);
    // Alt+Enter is the full-screen switch; Alt alone must not take the keyboard into a menu
    // that would keep the next key (and every frame) from the window.
    ASSERT_TRUE(Xdotool("key --delay 20 alt+Return alt b"));
    std::vector<PlatformMessage> seen;
    PlatformMessage up{};
    while (PumpUntil(WM_KEYUP, &up, 5000, &seen) && up.wParam != 'B') {
    }
    ASSERT_EQ(up.wParam, uintptr_t('B'));
    const auto enter = OnlyMessages(seen, {WM_SYSKEYDOWN});
    ASSERT_FALSE(enter.empty());
    bool altEnter = false;
    for (const PlatformMessage& m : enter)
        altEnter = altEnter || (m.wParam == VK_RETURN && (uint32_t(m.lParam) & KF_ALTDOWN_BIT) && (m.lParam & 1));
    EXPECT_TRUE(altEnter);
    const auto typed = OnlyMessages(seen, {WM_KEYDOWN, WM_CHAR});
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[0].wParam, uintptr_t('B'));
    EXPECT_EQ(typed[1].wParam, uintptr_t('b'));
}

TEST(PlatformKeyState, ShiftHeldBeforeAnyWindowIsSeen)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "needs an X display and xdotool (run under xvfb-run)";
    EXPECT_GE(Platform_GetKeyState(VK_SHIFT), 0);
    ASSERT_TRUE(Xdotool("keydown shift"));
    const int16_t held = Platform_GetKeyState(VK_SHIFT);
    const int16_t left = Platform_GetKeyState(VK_LSHIFT);
    const int16_t other = Platform_GetKeyState('Q');
    ASSERT_TRUE(Xdotool("keyup shift"));
    EXPECT_LT(held, 0);
    EXPECT_LT(left, 0);
    EXPECT_GE(other, 0);
    EXPECT_GE(Platform_GetKeyState(VK_SHIFT), 0);
}
