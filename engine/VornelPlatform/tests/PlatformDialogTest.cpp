#include "VornelPlatform/PlatformDialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include "TestSystem.h"

namespace {

struct Seen {
    int calls = 0;
    PlatformMessageBoxKind kind = PlatformMessageBoxKind::kInformation;
    std::string caption;
    std::string text;
};

bool Record(PlatformMessageBoxKind kind, const char* caption, const char* text, void* user)
{
    auto* seen = static_cast<Seen*>(user);
    ++seen->calls;
    seen->kind = kind;
    seen->caption = caption;
    seen->text = text;
    return true;
}

}  // namespace

TEST(PlatformDialog, HookTakesEveryBox)
{
    Seen seen;
    Platform_SetMessageBoxHook(Record, &seen);
    Platform_MessageBox(PlatformMessageBoxKind::kError, "Error (v3,115)", "An error occurred.");
    Platform_MessageBox(PlatformMessageBoxKind::kWarning, nullptr, nullptr);
    Platform_SetMessageBoxHook(nullptr, nullptr);
    EXPECT_EQ(seen.calls, 2);
    EXPECT_EQ(seen.kind, PlatformMessageBoxKind::kWarning);
    EXPECT_EQ(seen.caption, "");
    EXPECT_EQ(seen.text, "");
}

TEST(PlatformDialog, WithoutADisplayTheBoxGoesToStandardError)
{
    std::string display;
    if (const char* d = std::getenv("DISPLAY"))
        display = d;
    TestSystem_SetEnv("DISPLAY", nullptr);
    TestSystem_SetEnv("WAYLAND_DISPLAY", nullptr);
    testing::internal::CaptureStderr();
    Platform_MessageBox(PlatformMessageBoxKind::kWarning, "Warning (v3,115)",
                        "The Data path is unreachable.\n\nThe application will now exit.");
    const std::string err = testing::internal::GetCapturedStderr();
    if (!display.empty())
        TestSystem_SetEnv("DISPLAY", display.c_str());
    EXPECT_EQ(err, "Warning (v3,115): The Data path is unreachable.\n\nThe application will now exit.\n");
}
