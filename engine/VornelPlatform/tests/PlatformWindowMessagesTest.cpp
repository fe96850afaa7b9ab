// Messages of a live window: what is posted to it, its timers, what the system reports when
// it changes, and what is left of it once it is gone.
#include <gtest/gtest.h>

#include "PlatformTestSupport.h"

namespace {

class PlatformWindowMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        PlatformWindowDesc desc;
        desc.title = "window messages";
        desc.width = 320;
        desc.height = 240;
        desc.visible = true;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr) << Platform_GetLastErrorText();
        DrainMessages(100);
    }
    void TearDown() override
    {
        Platform_DestroyWindow(m_window);
        DrainMessages(20);
    }

    PlatformWindow* m_window = nullptr;
};

}  // namespace

TEST_F(PlatformWindowMessages, PostedMessagesKeepTheirWindowAndValues)
{
    ASSERT_TRUE(Platform_PostMessage(m_window, WM_USER + 3, 0xBEEF, -77));
    // A close asked of the window is the program's to decide: the window stays.
    ASSERT_TRUE(Platform_PostMessage(m_window, WM_CLOSE, 0, 0));
    std::vector<PlatformMessage> seen;
    PlatformMessage close{};
    ASSERT_TRUE(PumpUntil(WM_CLOSE, &close, 5000, &seen));
    const auto mine = OnlyMessages(seen, {WM_USER + 3});
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(mine[0].window, m_window);
    EXPECT_EQ(mine[0].wParam, 0xBEEFu);
    EXPECT_EQ(mine[0].lParam, -77);
    EXPECT_EQ(close.window, m_window);
    DrainMessages(50);
    EXPECT_TRUE(Platform_IsWindowVisible(m_window));
    int32_t width = 0, height = 0;
    EXPECT_TRUE(Platform_GetClientSize(m_window, &width, &height));
}

TEST_F(PlatformWindowMessages, ANewClientSizeIsReported)
{
    Platform_SetClientSize(m_window, 400, 300);
    PlatformMessage size{};
    ASSERT_TRUE(PumpUntil(WM_SIZE, &size, 5000));
    EXPECT_EQ(size.window, m_window);
    EXPECT_EQ(Platform_LowWord(size.lParam), 400u);
    EXPECT_EQ(Platform_HighWord(size.lParam), 300u);
}

TEST_F(PlatformWindowMessages, TimerFiresFromItsDeadlineUntilKilled)
{
    ASSERT_TRUE(Platform_SetTimer(m_window, 7, 15));
    PlatformMessage m{};
    ASSERT_TRUE(PumpUntil(WM_TIMER, &m, 5000));
    EXPECT_EQ(m.window, m_window);
    EXPECT_EQ(m.wParam, 7u);
    ASSERT_TRUE(PumpUntil(WM_TIMER, &m, 5000));  // periodic
    EXPECT_TRUE(Platform_KillTimer(m_window, 7));
    EXPECT_FALSE(Platform_KillTimer(m_window, 7));
    EXPECT_FALSE(PumpUntil(WM_TIMER, &m, 100));
}

TEST_F(PlatformWindowMessages, DestroyingAWindowDropsItsTimersAndMessages)
{
    ASSERT_TRUE(Platform_SetTimer(m_window, 1, 10));
    ASSERT_TRUE(Platform_PostMessage(m_window, WM_USER, 0, 0));
    Platform_DestroyWindow(m_window);
    m_window = nullptr;
    PlatformMessage m{};
    EXPECT_FALSE(PumpUntil(WM_TIMER, &m, 100));
    EXPECT_FALSE(PumpUntil(WM_USER, &m, 10));
    EXPECT_FALSE(Platform_PostMessage(reinterpret_cast<PlatformWindow*>(&m), WM_USER, 0, 0));
}

#ifdef _WIN32
#include <windows.h>

#include "VornelPlatform/PlatformNative.h"

// A window made under the program's own class name is found by that name, as a second start
// of the program looks for the first one's window.
TEST_F(PlatformWindowMessages, AWindowOfANamedClassIsFoundByItsClass)
{
    PlatformWindowDesc desc;
    desc.title = "named class";
    desc.className = "KESTRAN_NB_v3";
    PlatformWindow* named = Platform_CreateWindow(desc);
    ASSERT_NE(named, nullptr) << Platform_GetLastErrorText();
    EXPECT_EQ(FindWindowW(L"KESTRAN_NB_v3", nullptr), static_cast<HWND>(Platform_GetNativeWindow(named)));
    // The platform's own class still serves the windows that name none.
    wchar_t className[64] = {};
    GetClassNameW(static_cast<HWND>(Platform_GetNativeWindow(m_window)), className, 64);
    EXPECT_STRNE(className, L"KESTRAN_NB_v3");
    Platform_DestroyWindow(named);
    EXPECT_EQ(FindWindowW(L"KESTRAN_NB_v3", nullptr), nullptr);
}
#endif
