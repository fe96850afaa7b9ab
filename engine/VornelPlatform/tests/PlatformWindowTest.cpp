#include "VornelPlatform/PlatformGL.h"
#include "VornelPlatform/PlatformInput.h"
#include "VornelPlatform/PlatformWindow.h"

#include <gtest/gtest.h>

#include "PlatformTestSupport.h"

TEST(PlatformWindow, RefusesBadSizesAndNullWindows)
{
    PlatformWindowDesc desc;
    desc.width = 0;
    EXPECT_EQ(Platform_CreateWindow(desc), nullptr);
    EXPECT_STRNE(Platform_GetLastErrorText(), "");
    EXPECT_FALSE(Platform_IsWindowMinimised(nullptr));
    EXPECT_FALSE(Platform_SetWindowTitle(nullptr, "x"));
    EXPECT_EQ(Platform_GetWindowUserPointer(nullptr), nullptr);
    EXPECT_EQ(Platform_GL_CreateContext(nullptr), nullptr);
    Platform_DestroyWindow(nullptr);
}

TEST(PlatformWindow, GLWindowWithContextSizeAndUserPointer)
{
    REQUIRE_DISPLAY();
    int32_t desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(Platform_GetDesktopSize(&desktopWidth, &desktopHeight));
    EXPECT_GT(desktopWidth, 0);
    EXPECT_GT(desktopHeight, 0);

    PlatformWindowDesc desc;
    desc.title = "Nimbrel \xC3\xA9";
    desc.width = 320;
    desc.height = 200;
    desc.visible = true;
    PlatformWindow* window = Platform_CreateWindow(desc);
    ASSERT_NE(window, nullptr) << Platform_GetLastErrorText();

    int marker = 0;
    Platform_SetWindowUserPointer(window, &marker);
    EXPECT_EQ(Platform_GetWindowUserPointer(window), &marker);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(Platform_GetClientSize(window, &w, &h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    EXPECT_TRUE(Platform_IsWindowVisible(window));
    EXPECT_FALSE(Platform_IsWindowMinimised(window));
    EXPECT_TRUE(Platform_SetWindowTitle(window, "Title"));

    PlatformGLContext* context = Platform_GL_CreateContext(window);
    ASSERT_NE(context, nullptr) << Platform_GetLastErrorText();
    EXPECT_NE(Platform_GL_GetProcAddress("glClear"), nullptr);
    EXPECT_TRUE(Platform_GL_MakeCurrent(window, context));
    Platform_GL_SetSwapInterval(0);  // a display may refuse it; it must not fail the program
    Platform_GL_SwapWindow(window);
    ASSERT_TRUE(Platform_GL_GetDrawableSize(window, &w, &h));
    EXPECT_EQ(w, 320);
    EXPECT_TRUE(Platform_GL_DeleteContext(context));

    Platform_DestroyWindow(window);
    EXPECT_EQ(Platform_GetWindowUserPointer(window), nullptr);  // no longer a live window
    DrainMessages(50);
}

TEST(PlatformWindow, CursorCountWorksLikeTheSystemCount)
{
    EXPECT_EQ(Platform_ShowCursor(false), -1);
    EXPECT_EQ(Platform_ShowCursor(false), -2);
    EXPECT_EQ(Platform_ShowCursor(true), -1);
    EXPECT_EQ(Platform_ShowCursor(true), 0);
    EXPECT_EQ(Platform_ShowCursor(true), 1);
    EXPECT_EQ(Platform_ShowCursor(false), 0);
}

#ifdef _WIN32
#include <windows.h>

#include <future>
#include <thread>

// The system keeps a context that another thread has current: the deletion says it failed, so
// that the renderer's unload can say so too.
TEST(PlatformWindow, AContextTheSystemWillNotDeleteIsReported)
{
    REQUIRE_DISPLAY();
    PlatformWindowDesc desc;
    desc.width = 64;
    desc.height = 64;
    PlatformWindow* window = Platform_CreateWindow(desc);
    ASSERT_NE(window, nullptr) << Platform_GetLastErrorText();
    PlatformGLContext* context = Platform_GL_CreateContext(window);
    ASSERT_NE(context, nullptr) << Platform_GetLastErrorText();
    ASSERT_TRUE(Platform_GL_MakeCurrent(window, nullptr));

    std::promise<bool> taken;
    std::promise<void> asked;
    std::future<void> askedFuture = asked.get_future();
    std::thread holder([&] {
        const bool made = Platform_GL_MakeCurrent(window, context);
        taken.set_value(made);
        askedFuture.wait();
        if (made) {  // what the deletion could not do, the holder does once it lets go
            const HGLRC held = wglGetCurrentContext();
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(held);
        }
    });
    const bool made = taken.get_future().get();
    EXPECT_TRUE(made);
    const bool deleted = Platform_GL_DeleteContext(context);
    asked.set_value();
    holder.join();
    EXPECT_FALSE(deleted);
    Platform_DestroyWindow(window);
    DrainMessages(50);
}
#endif
