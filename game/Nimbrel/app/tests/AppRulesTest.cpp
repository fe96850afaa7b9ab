#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AssetsDefinition.h"
#include "NimbrelApp.h"
#include "VornelPlatform/PlatformDialog.h"
#include "VornelPlatform/PlatformPump.h"

TEST(AssetsDefinition, ScreenSizesAgainstTheAuthoredSize)
{
    struct Case {
        uint32_t width, height;
        const char16_t* suffix;
    } cases[] = {
        {1920, 1080, u".HD"},
        {640, 480, u".HD"},  // the width's power of two already reaches 1024
        {1024, 768, u".HD"},
        {512, 384, u".MD"},  // one doubling on both axes
        {256, 192, u".SD"},
        {0, 0, u".SD"},
    };
    for (const Case& c : cases) {
        const uint32_t row = AssetsRowForDoublings(ChooseAssetsDefinition(c.width, c.height, 1024, 768));
        EXPECT_EQ(std::u16string(kAssetsDefinitions[row].suffix), c.suffix) << c.width << "x" << c.height;
    }
    EXPECT_EQ(ChooseAssetsDefinition(256, 192, 1024, 768), 2);
    EXPECT_EQ(AssetsRowForDoublings(7), 3u);
    EXPECT_EQ(std::u16string(kPlatformRows[0].code), u"WIN32");
    EXPECT_EQ(std::u16string(kPlatformRows[0].name), u"Win32");
}

TEST(FrameTimer, PeriodFromFramesPerSecond)
{
    EXPECT_EQ(FrameTimerPeriod(60), 16u);
    EXPECT_EQ(FrameTimerPeriod(30), 33u);
    EXPECT_EQ(FrameTimerPeriod(1000), 1u);
    EXPECT_EQ(FrameTimerPeriod(0), 0u);
    EXPECT_EQ(FrameTimerPeriod(-5), 0u);
}

TEST(CommandLine, AnyArgumentTurnsTheInstanceCheckOff)
{
    const char* none[] = {"nimbrel"};
    EXPECT_TRUE(ParseCommandLine(1, none).empty);
    EXPECT_EQ(ParseCommandLine(1, none).frameLimit, 0u);

    const char* other[] = {"nimbrel", "-x"};
    EXPECT_FALSE(ParseCommandLine(2, other).empty);
    EXPECT_EQ(ParseCommandLine(2, other).frameLimit, 0u);

    const char* frames[] = {"nimbrel", "--frames", "120"};
    EXPECT_FALSE(ParseCommandLine(3, frames).empty);
    EXPECT_EQ(ParseCommandLine(3, frames).frameLimit, 120u);

    const char* bad[] = {"nimbrel", "--frames", "12x", "--frames", "-3", "--frames"};
    EXPECT_EQ(ParseCommandLine(6, bad).frameLimit, 0u);

    // A start at a level: its chapter counts from 1, as the script command's does.
    const char* level[] = {"nimbrel", "--level", "circles", "--chapter", "2", "--frames", "5"};
    const NimbrelCommandLine start = ParseCommandLine(7, level);
    EXPECT_STREQ(start.level, "circles");
    EXPECT_EQ(start.chapter, 1u);
    EXPECT_EQ(start.frameLimit, 5u);
    for (const char* chapter : {"0", "-4", "x", "1"}) {
        const char* first[] = {"nimbrel", "--chapter", chapter, "--level", "hall"};
        EXPECT_EQ(ParseCommandLine(5, first).chapter, 0u) << chapter;
    }
    EXPECT_EQ(ParseCommandLine(1, none).level, nullptr);
}

TEST(CommandLine, RendererByItsModuleCode)
{
    struct Case {
        const char* code;
        uint16_t renderer;
    };
    // The codes of the 3D descriptor table; a code that names none leaves the program's own.
    const Case cases[] = {{"DX9", 2}, {"GL", 5}, {"gl", kProgramRendererChoice}, {"", kProgramRendererChoice},
                          {"DX99", kProgramRendererChoice}};
    for (const Case& c : cases) {
        const char* argv[] = {"nimbrel", "--renderer", c.code, "--frames", "3"};
        const NimbrelCommandLine parsed = ParseCommandLine(5, argv);
        EXPECT_EQ(parsed.renderer, c.renderer) << c.code;
        EXPECT_EQ(parsed.frameLimit, 3u) << c.code;
    }
    const char* none[] = {"nimbrel", "--renderer"};
    EXPECT_EQ(ParseCommandLine(2, none).renderer, kProgramRendererChoice);
}

TEST(FrameLimit, ReachingItAsksTheLoopToEnd)
{
    SetFrameLimit(2);
    CountFrame();
    PlatformMessage m{};
    bool quit = false;
    while (Platform_PeekMessage(&m))
        quit = quit || m.message == WM_QUIT;
    EXPECT_FALSE(quit);
    CountFrame();
    while (Platform_PeekMessage(&m))
        quit = quit || m.message == WM_QUIT;
    EXPECT_TRUE(quit);
    SetFrameLimit(0);
}

namespace {

struct Box {
    PlatformMessageBoxKind kind;
    std::string caption, text;
};

bool TakeBox(PlatformMessageBoxKind kind, const char* caption, const char* text, void* user)
{
    static_cast<std::vector<Box>*>(user)->push_back({kind, caption, text});
    return true;
}

}  // namespace

TEST(MessageBoxes, CaptionsAndTexts)
{
    std::vector<Box> boxes;
    Platform_SetMessageBoxHook(TakeBox, &boxes);
    ShowErrorBox(u"Missing file: Data_full_Win32\\Nimbrel_full_Win32.HD.pak");
    ShowErrorBox(u"");
    ShowErrorBox(nullptr);
    ShowWarningBox(u"The Data path is unreachable.\n\nThe application will now exit.");
    Platform_SetMessageBoxHook(nullptr, nullptr);

    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].kind, PlatformMessageBoxKind::kError);
    EXPECT_EQ(boxes[0].caption, "Error (v3,115)");
    EXPECT_EQ(boxes[0].text,
              "An error occurred while loading.\n\nThe application will now exit.\n\n"
              "(Missing file: Data_full_Win32\\Nimbrel_full_Win32.HD.pak)");
    EXPECT_EQ(boxes[1].text, "An error occurred while loading.\n\nThe application will now exit.");
    EXPECT_EQ(boxes[2].text, boxes[1].text);
    EXPECT_EQ(boxes[3].kind, PlatformMessageBoxKind::kWarning);
    EXPECT_EQ(boxes[3].caption, "Warning (v3,115)");
    EXPECT_EQ(boxes[3].text, "The Data path is unreachable.\n\nThe application will now exit.");
}

TEST(WindowProcedure, WithoutAWorldNothingHappens)
{
    PlatformMessage m{};
    m.message = WM_TIMER;
    EXPECT_EQ(WindowProc(m), 0);
    EXPECT_EQ(UpdateWindowTitle(21, nullptr), kStatusOk);
    EXPECT_EQ(UpdateWindowTitle(5, nullptr), kStatusOk);
}
