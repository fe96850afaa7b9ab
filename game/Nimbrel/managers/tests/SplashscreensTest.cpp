// The splash screens on the OpenGL renderer: the start-up sequence entry by entry, skips, the
// scripted entries, what is drawn for each kind of entry, and the profile chunk.
#include <fstream>

#include "GLWorldFixture.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DVideo.h"
#include "Vornel3D/C3DVideoOgg.h"
#include "Vornel3D/CWorld.h"
#include "Vornel3D/VideoOggWriter.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

// Counts the transitions between entries.
class CCountingSplash : public CSplashscreens {
public:
    using CSplashscreens::CSplashscreens;
    int transitions = 0;
    uint32_t lastKind = 0;

protected:
    void StartTransition(uint32_t kind) override
    {
        ++transitions;
        lastKind = kind;
    }
};

Bytes TestVideo(uint32_t width, uint32_t height, double seconds)
{
    VideoOggFormat format;
    format.width = width;
    format.height = height;
    format.fpsNumerator = 10;
    Bytes file;
    EXPECT_EQ(VideoTestCard_Write(format, seconds, 220.0, file), kStatusOk);
    return file;
}

class SplashscreensTest : public GLWorldFixture {
protected:
    // A 256 x 192 window and definition; the settings' own SPLASHSCREENS lines.
    void OpenWith(const std::string& section)
    {
        Open(256, 192, "[SPLASHSCREENS]\nSPLASHSCREENS_TIME_SEC = 0.5\nSPLASHSCREENS_TRANSITION = 3\n" + section);
        if (IsSkipped() || HasFatalFailure())
            return;
        GameScreenScale& screen = Data()->pGame->screen;
        screen.referenceWidth = 256.0f;
        screen.referenceHeight = 192.0f;
    }

    CCountingSplash* Splash()
    {
        auto* splash = new CCountingSplash(Data());
        m_world->SetManager(kManagerSplash, splash);
        EXPECT_EQ(splash->Load(), kStatusOk);
        return splash;
    }

    std::string TextureName(CSplashscreens* splash)
    {
        C3DTexture* texture = splash->GetTexture();
        return texture && texture->GetName() ? UtilsString_ToUtf8(texture->GetName()) : "";
    }

    // Frames of the start-up state until the entry changes (at most `limit`).
    int FramesOf(CSplashscreens* splash, int limit)
    {
        const std::string first = TextureName(splash);
        for (int frame = 1; frame <= limit; ++frame)
            if (Failed(splash->Advance()) || TextureName(splash) != first)
                return frame;
        return -1;
    }

    Rgba Drawn(CSplashscreens* splash, int x, int y)
    {
        BeginFrame(0xFF000000u);
        splash->Render();
        return Pixel(x, y);
    }
};

TEST(SplashEntryUV, EachKindShowsItsPartOfTheTexture)
{
    struct Case {
        uint32_t kind;
        float uv[4][2];
    } cases[] = {
        {kSplashStarredImage, {{0, 0}, {0.5f, 0}, {0, 0.75f}, {0.5f, 0.75f}}},
        {kSplashImage, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {kSplashStarredVideo, {{0, 0}, {0.5f, 0}, {0, 0.75f}, {0.5f, 0.75f}}},
        {kSplashVideo, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
    };
    for (const Case& c : cases) {
        float uv[4][2];
        SplashEntryUV(c.kind, 0.5f, 0.75f, uv);
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(uv[i][0], c.uv[i][0]) << "kind " << c.kind << " vertex " << i;
            EXPECT_FLOAT_EQ(uv[i][1], c.uv[i][1]) << "kind " << c.kind << " vertex " << i;
        }
    }
}

TEST_F(SplashscreensTest, TheSequencePlaysEachEntryThatCanBeFoundInTurn)
{
    OpenWith("SPLASHSCREENS_COUNT = 5\n"
             "SPLASHSCREENS_1_TEXTURE_PATH = textures/unused_64x48.tga\n"
             "SPLASHSCREENS_2_TEXTURE_PATH = *textures/second.tga\n"
             "SPLASHSCREENS_3_TEXTURE_PATH = pictures/third_256x192.tga\n"
             "SPLASHSCREENS_4_TEXTURE_PATH = textures/missing_256x192.tga\n"
             "SPLASHSCREENS_5_TEXTURE_PATH = textures/fifth_128x96.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    auto solid = [](uint32_t c) { return [c](int, int) { return c; }; };
    Loose("splashscreen_1_256x192.jpg", Picture(".jpg", 256, 192, solid(kRed)));
    Pack({{"textures/unused_64x48.tga", Tga(64, 48, solid(kGreen))},
          {"textures/second.tga", Tga(256, 256, solid(kGreen))},
          {"pictures/third_256x192.tga", Tga(256, 192, solid(kBlue))},
          {"textures/fifth_128x96.tga", Tga(128, 96, solid(kBlue))}});
    CCountingSplash* splash = Splash();
    EXPECT_EQ(splash->IsDone(), 1);
    EXPECT_FLOAT_EQ(splash->GetImageTime(), 15.0f);

    // Entry 1: the picture made for the definition, as given, beside the pack.
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    EXPECT_EQ(splash->IsDone(), 0);
    EXPECT_EQ(splash->GetEntryKind(), kSplashImage);
    EXPECT_EQ(TextureName(splash), "splashscreen_1_256x192.jpg");
    const Rgba first = Drawn(splash, 128, 96);
    EXPECT_TRUE(Near(first, Rgba{255, 0, 0, 0})) << first;
    // Shown for 15 frame steps, then entry 2 (starred, its key's picture) behind a transition.
    EXPECT_EQ(FramesOf(splash, 40), 15);
    EXPECT_EQ(splash->transitions, 1);
    EXPECT_EQ(splash->lastKind, 3u);
    EXPECT_EQ(splash->GetEntryKind(), kSplashStarredImage);
    EXPECT_EQ(TextureName(splash), "textures/second.tga");
    // No size in its name: the layout of entry 1 stays, the whole window covered.
    EXPECT_EQ(Drawn(splash, 250, 186), (Rgba{0, 255, 0, 0}));
    // Entries 3 and 4 cannot be had; 5 is shown at its size, fitted into the window.
    EXPECT_EQ(FramesOf(splash, 40), 15);
    EXPECT_EQ(TextureName(splash), "textures/fifth_128x96.tga");
    EXPECT_EQ(splash->GetNextIndex(), 5u);
    EXPECT_EQ(Drawn(splash, 250, 186), (Rgba{0, 0, 255, 0}));
    // Nothing is left: done, and the frame's step reports the end.
    EXPECT_EQ(FramesOf(splash, 40), 15);
    EXPECT_EQ(splash->IsDone(), 1);
    EXPECT_EQ(splash->transitions, 2);
    EXPECT_EQ(Drawn(splash, 128, 96), (Rgba{0, 0, 0, 0}));
}

TEST_F(SplashscreensTest, ASequenceWithoutEntriesIsNoList)
{
    for (const char* section : {"SPLASHSCREENS_COUNT = 0\n", "SPLASHSCREENS_COUNT = 2\n"}) {
        OpenWith(section);
        if (IsSkipped() || HasFatalFailure())
            return;
        CCountingSplash* splash = Splash();
        EXPECT_EQ(splash->LoadNext(), kStatusFailed) << section;
        EXPECT_EQ(splash->IsDone(), 1) << section;
        TearDown();
    }
}

// Only entries 1 and 2 look for the picture made for the definition; entry 3 takes its key.
TEST_F(SplashscreensTest, OnlyTheFirstTwoEntriesTryTheDefinitionPicture)
{
    OpenWith("SPLASHSCREENS_COUNT = 3\nSPLASHSCREENS_3_TEXTURE_PATH = textures/third.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    const auto solid = [](int, int) { return kRed; };
    for (int n : {2, 3})
        Loose("splashscreen_" + std::to_string(n) + "_256x192.jpg", Picture(".jpg", 256, 192, solid));
    Pack({{"textures/third.tga", Tga(4, 4, solid)}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    EXPECT_EQ(TextureName(splash), "splashscreen_2_256x192.jpg");
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    EXPECT_EQ(TextureName(splash), "textures/third.tga");
    EXPECT_EQ(splash->LoadNext(), kStatusFailed);
}

// A definition picture that is not beside the pack is passed over quietly: the sample names
// none for entry 2, and its start must not log a failed load every time.
TEST_F(SplashscreensTest, AnAbsentDefinitionPictureIsNotLogged)
{
    OpenWith("SPLASHSCREENS_COUNT = 2\nSPLASHSCREENS_2_TEXTURE_PATH = textures/studio.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    const auto solid = [](int, int) { return kGreen; };
    Loose("splashscreen_1_256x192.jpg", Picture(".jpg", 256, 192, solid));
    Pack({{"textures/studio.tga", Tga(4, 4, solid)}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    EXPECT_EQ(TextureName(splash), "splashscreen_1_256x192.jpg");
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    EXPECT_EQ(TextureName(splash), "textures/studio.tga");
    std::ifstream log(m_folder + "/test.log");
    const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(logged, "");
}

// The settings text as the game stores it in a pack.
Bytes Scrambled(const std::string& text)
{
    Bytes stored(text.size() + kScrambledBlockOverhead);
    size_t size = 0;
    EXPECT_EQ(ScrambleSettingsBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kScrambleKey,
                                    stored.data(), stored.size(), &size),
              kStatusOk);
    stored.resize(size);
    return stored;
}

// "videos/_volumes.ini" gives a video the volume keyed by its file name, from the external
// pack when that holds the file, else from the main pack; any other video, or none of the
// files, plays at 1.
TEST_F(SplashscreensTest, VideosPlayAtTheVolumesKeyedByTheirFileNames)
{
    OpenWith("");
    if (IsSkipped() || HasFatalFailure())
        return;
    Pack({{"videos/_volumes.ini", Scrambled("[VIDEOS_VOLUME]\nintro.ogv = 0.25\nclip.ogv = 0.5\n")}});
    CCountingSplash* splash = Splash();
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/intro.ogv"), 0.25f);
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/menu/clip.ogv"), 0.5f);
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/other.ogv"), 1.0f);

    const std::string external = m_folder + "/external.pak";
    WritePack(external, {{"videos/_volumes.ini", Scrambled("[VIDEOS_VOLUME]\nintro.ogv = 0.75\n")}});
    m_world->SetExternalPack(UtilsString_FromUtf8(external.c_str()).c_str(), 0, nullptr);
    splash = Splash();
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/intro.ogv"), 0.75f);
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/clip.ogv"), 1.0f);

    // An external pack without the file: the main pack's.
    WritePack(external, {{"videos/other.txt", Bytes{'x'}}});
    m_world->SetExternalPack(UtilsString_FromUtf8(external.c_str()).c_str(), 0, nullptr);
    splash = Splash();
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/intro.ogv"), 0.25f);

    Pack({{"videos/other.txt", Bytes{'x'}}});
    splash = Splash();
    EXPECT_FLOAT_EQ(splash->VideoVolume(u"videos/intro.ogv"), 1.0f);
}

TEST_F(SplashscreensTest, EscapeSpaceOrAClickSkipsButNotInTheFrameOfTheLoad)
{
    OpenWith("SPLASHSCREENS_COUNT = 3\nSPLASHSCREENS_TIME_SEC = 100\n"
             "SPLASHSCREENS_1_TEXTURE_PATH = textures/a.tga\nSPLASHSCREENS_2_TEXTURE_PATH = textures/b.tga\n"
             "SPLASHSCREENS_3_TEXTURE_PATH = textures/c.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    Pack({{"textures/a.tga", Tga(4, 4, [](int, int) { return kRed; })},
          {"textures/b.tga", Tga(4, 4, [](int, int) { return kGreen; })},
          {"textures/c.tga", Tga(4, 4, [](int, int) { return kBlue; })}});
    CCountingSplash* splash = Splash();
    WorldData* w = Data();
    const std::function<void()> skips[] = {
        [w] { w->keyReleased[CWorld_EngineKey(VK_ESCAPE)] = 1; },
        [w] { w->keyReleased[CWorld_EngineKey(VK_SPACE)] = 1; },
        [w] { w->leftReleased = 1; },
    };
    // Released in the frame the entry loads: the load forgets it.
    skips[2]();
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    EXPECT_EQ(splash->Advance(), kStatusOk);
    EXPECT_EQ(TextureName(splash), "textures/a.tga");
    const char* next[] = {"textures/b.tga", "textures/c.tga"};
    for (int i = 0; i < 2; ++i) {
        skips[i]();
        EXPECT_EQ(splash->Advance(), kStatusOk);
        EXPECT_EQ(TextureName(splash), next[i]) << i;
    }
    skips[2]();
    EXPECT_EQ(splash->Advance(), kStatusFailed);
    EXPECT_EQ(splash->IsDone(), 1);
}

TEST_F(SplashscreensTest, AScriptedPictureEndsOnlyByASkipAndAVideoAlsoByItsEnd)
{
    OpenWith("");
    if (IsSkipped() || HasFatalFailure())
        return;
    Pack({{"textures/card_256x192.tga", Tga(4, 4, [](int, int) { return kRed; })},
          {"videos/clip_64x48.ogv", TestVideo(64, 48, 0.5)}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadImage(u"textures/card_256x192.tga", 1), kStatusOk);
    for (int frame = 0; frame < 200; ++frame)
        ASSERT_EQ(splash->CheckEnd(), kStatusOk) << frame;
    EXPECT_EQ(splash->IsDone(), 0);
    Data()->keyReleased[CWorld_EngineKey(VK_SPACE)] = 1;
    EXPECT_EQ(splash->CheckEnd(), kStatusFailed);
    EXPECT_EQ(splash->IsDone(), 1);

    ASSERT_EQ(splash->LoadVideo(u"videos/clip_64x48.ogv", 0, 0), kStatusOk);
    EXPECT_EQ(splash->GetEntryKind(), kSplashStarredVideo);
    int frames = 0;
    while (Succeeded(splash->CheckEnd()) && frames < 200)
        ++frames;
    EXPECT_GT(frames, 1);
    EXPECT_LT(frames, 200);
    EXPECT_EQ(splash->IsDone(), 1);
    EXPECT_FALSE(splash->HasVideo());
    EXPECT_EQ(splash->transitions, 0);
}

TEST_F(SplashscreensTest, AVideoIsDrawnUprightAndFitted)
{
    OpenWith("");
    if (IsSkipped() || HasFatalFailure())
        return;
    Pack({{"videos/card_128x96.ogv", TestVideo(128, 96, 1.0)}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadVideo(u"videos/card_128x96.ogv", 1, 0), kStatusOk);
    auto* video = static_cast<C3DVideoOgg*>(splash->GetVideo());
    for (int frame = 0; frame < 10 && video->GetFramesShown() < 2; ++frame)
        splash->CheckEnd();
    // The card's bars fill its upper two thirds: at the top of the window, not the bottom.
    const Rgba top = Drawn(splash, 16, 20);
    const uint32_t bar = VideoTestCard_BarColor(128, 8);
    EXPECT_NEAR(top.r, int(bar >> 16 & 0xFF), 40) << top;
    EXPECT_NEAR(top.g, int(bar >> 8 & 0xFF), 40) << top;
    EXPECT_NEAR(top.b, int(bar & 0xFF), 40) << top;
}

TEST_F(SplashscreensTest, AStarredPictureShowsOnlyItsDefinitionCorner)
{
    OpenWith("");
    if (IsSkipped() || HasFatalFailure())
        return;
    // 256 x 192 of red in the corner of a 256 x 256 texture, green below it.
    Pack({{"textures/corner_256x192.tga", Tga(256, 256, [](int, int y) { return y < 192 ? kRed : kGreen; })}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadImage(u"textures/corner_256x192.tga", 0), kStatusOk);
    EXPECT_EQ(splash->GetEntryKind(), kSplashStarredImage);
    for (int y : {2, 96, 188})
        EXPECT_EQ(Drawn(splash, 128, y), (Rgba{255, 0, 0, 0})) << y;
}

// ---- the profile chunk -------------------------------------------------------------------------

Bytes Saved(CSplashscreens* splash)
{
    UtilsStream_Chunk chunk(kProfileTagSplash);
    chunk.Open(kStreamReadWriteGrowable);
    EXPECT_EQ(splash->SaveToStream(nullptr, &chunk), kStatusOk);
    UtilsStream_Static* inner = chunk.GetInnerStream();
    const auto* block = static_cast<const uint8_t*>(inner->GetBlock());
    return Bytes(block, block + chunk.GetPayloadSize());
}

Status Loaded(CSplashscreens* splash, Bytes bytes)
{
    UtilsStream_Chunk chunk(kProfileTagSplash);
    chunk.Open(kStreamReadWriteGrowable);
    if (!bytes.empty())
        chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
    chunk.Rewind();
    return splash->LoadFromStream(&chunk);
}

TEST_F(SplashscreensTest, TheChunkKeepsTheEntryAndRefusesDamage)
{
    OpenWith("SPLASHSCREENS_COUNT = 2\nSPLASHSCREENS_1_TEXTURE_PATH = textures/a_256x192.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    Pack({{"textures/a_256x192.tga", Tga(4, 4, [](int, int) { return kRed; })}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    splash->Advance();
    const Bytes saved = Saved(splash);
    ASSERT_GT(saved.size(), 29u);

    CCountingSplash* other = Splash();
    ASSERT_EQ(Loaded(other, saved), kStatusOk);
    EXPECT_EQ(other->GetEntryKind(), kSplashImage);
    EXPECT_EQ(other->IsDone(), 0);
    EXPECT_EQ(other->GetCount(), 2u);
    EXPECT_EQ(other->GetNextIndex(), 1u);
    EXPECT_FLOAT_EQ(other->GetElapsed(), 1.0f);
    EXPECT_EQ(TextureName(other), "textures/a_256x192.tga");
    EXPECT_EQ(Saved(other), saved);

    // A kind outside 0-4, an overlong name and every short read: refused, nothing loaded.
    Bytes badKind = saved;
    badKind[0] = 5;
    // After the seven fields: a name of 400 characters (count with its terminator, 16-bit
    // characters), no video, no commands.
    Bytes longName(saved.begin(), saved.begin() + 25);
    const uint32_t length = 400;
    for (int i = 0; i < 4; ++i)
        longName.push_back(uint8_t((length + 1) >> (8 * i)));
    longName.push_back(2);
    for (uint32_t i = 0; i < length; ++i)
        longName.insert(longName.end(), {uint8_t('a'), 0});
    longName.insert(longName.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::vector<Bytes> damaged = {badKind, longName};
    for (size_t size = 0; size < saved.size(); ++size)
        damaged.emplace_back(saved.begin(), saved.begin() + size);
    for (const Bytes& bytes : damaged) {
        EXPECT_EQ(Loaded(other, bytes), kStatusFailed) << bytes.size();
        EXPECT_EQ(other->GetTexture(), nullptr) << bytes.size();
        EXPECT_FALSE(other->HasVideo()) << bytes.size();
    }
}

// The saved count drives the search for the next entry, one step per entry it names: a count
// above the entries the settings define, or a next entry past the count, is refused at the
// load, which keeps the sequence the settings made (no entry, no walk through a damaged count).
TEST_F(SplashscreensTest, ASavedCountPastTheSettingsIsRefusedAtTheLoad)
{
    OpenWith("SPLASHSCREENS_COUNT = 2\nSPLASHSCREENS_1_TEXTURE_PATH = textures/a_256x192.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    Pack({{"textures/a_256x192.tga", Tga(4, 4, [](int, int) { return kRed; })}});
    CCountingSplash* splash = Splash();
    ASSERT_EQ(splash->LoadNext(), kStatusOk);
    const Bytes saved = Saved(splash);
    // The count and the next entry follow the kind (4 bytes) and the done flag (1 byte).
    const auto with = [&saved](uint32_t count, uint32_t next) {
        Bytes bytes = saved;
        for (int i = 0; i < 4; ++i) {
            bytes[size_t(5 + i)] = uint8_t(count >> (8 * i));
            bytes[size_t(9 + i)] = uint8_t(next >> (8 * i));
        }
        return bytes;
    };
    const struct {
        uint32_t count, next;
        Status status;
    } cases[] = {
        {2, 2, kStatusOk},
        {3, 0, kStatusFailed},
        {0x41F00000u, 2, kStatusFailed},   // the count of the fuzzing run's endless chunk
        {0xFFFFFFFFu, 0, kStatusFailed},
        {2, 3, kStatusFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " " << c.next);
        CCountingSplash* other = Splash();
        EXPECT_EQ(Loaded(other, with(c.count, c.next)), c.status);
        EXPECT_EQ(other->GetCount(), 2u);
        if (Failed(c.status)) {
            EXPECT_EQ(other->GetTexture(), nullptr);
            EXPECT_EQ(other->GetNextIndex(), 0u);
        }
    }
}

}  // namespace
