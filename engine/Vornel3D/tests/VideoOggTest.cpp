// The Ogg video player on the memory back end, with generated test-card videos: the colour
// conversion, the sound's samples, pacing by the sound clock and by frame steps, looping, the
// end, the formats refused, and the three sources.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "VideoTestWorld.h"
#include "Vornel3D/VideoOggWriter.h"
#include "VornelUtils/UtilsString.h"
#include "TestSystem.h"

namespace {

VideoOggFormat Format(uint32_t width, uint32_t height, uint32_t fps, uint32_t channels = 0, uint32_t rate = 22050)
{
    VideoOggFormat format;
    format.width = width;
    format.height = height;
    format.fpsNumerator = fps;
    format.channels = channels;
    format.rate = rate;
    return format;
}

std::vector<uint8_t> TestCard(const VideoOggFormat& format, double seconds)
{
    std::vector<uint8_t> file;
    EXPECT_EQ(VideoTestCard_Write(format, seconds, 220.0, file), kStatusOk);
    return file;
}

// The frame number the test card's bottom strip shows (16 cells, the lowest bit on the left),
// in a frame whose rows come bottom first.
uint32_t FrameNumber(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height)
{
    const uint32_t y = std::max(1u, height / 8) / 2;
    uint32_t number = 0;
    for (uint32_t bit = 0; bit < 16; ++bit) {
        const uint32_t x = (2 * bit + 1) * width / 32;
        if (rgb[(size_t(y) * width + x) * 3 + 1] > 128)
            number |= 1u << bit;
    }
    return number;
}

// ---- conversion ------------------------------------------------------------------------------

struct Planes {
    std::vector<uint8_t> y, u, v;
    th_ycbcr_buffer buffer;
};

// Planes of the given sizes and strides filled with one value each, every plane in a block of
// exactly its size so that a read past it is caught.
void MakePlanes(Planes& p, int width, int height, int stride, int chromaStride, uint8_t y, uint8_t u, uint8_t v)
{
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    p.y.assign(size_t(stride) * (height - 1) + width, y);
    p.u.assign(size_t(chromaStride) * (ch - 1) + cw, u);
    p.v.assign(size_t(chromaStride) * (ch - 1) + cw, v);
    p.buffer[0] = {width, height, stride, p.y.data()};
    p.buffer[1] = {cw, ch, chromaStride, p.u.data()};
    p.buffer[2] = {cw, ch, chromaStride, p.v.data()};
}

TEST(VideoConvertTest, CornersOfTheColourConversion)
{
    struct Case {
        uint8_t y, u, v;
        uint8_t r, g, b;
    };
    const Case cases[] = {
        {16, 128, 128, 0, 0, 0},         // black
        {235, 128, 128, 255, 255, 255},  // white
        {126, 128, 128, 128, 128, 128},  // middle grey: (298 x 110 + 128) >> 8
        {0, 128, 128, 0, 0, 0},          // below black clamps
        {255, 128, 128, 255, 255, 255},  // above white clamps
        {128, 255, 255, 255, 0, 255},    // strong red and blue clamp; green falls below 0
        {128, 0, 0, 0, 255, 0},          // the other way round
        {81, 90, 240, 255, 0, 0},        // studio red
    };
    for (const Case& c : cases) {
        Planes p;
        MakePlanes(p, 2, 2, 2, 1, c.y, c.u, c.v);
        uint8_t rgb[12];
        C3DVideoOgg::ConvertFrameToRGB(p.buffer, 0, 0, 2, 2, rgb);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(rgb[i * 3], c.r) << int(c.y) << "," << int(c.u) << "," << int(c.v);
            EXPECT_EQ(rgb[i * 3 + 1], c.g) << int(c.y) << "," << int(c.u) << "," << int(c.v);
            EXPECT_EQ(rgb[i * 3 + 2], c.b) << int(c.y) << "," << int(c.u) << "," << int(c.v);
        }
    }
}

// Every pixel of the picture region from its own samples, whatever the offsets, odd sizes,
// padded or negative strides, and never a read or write outside the planes and the picture.
TEST(VideoConvertTest, PictureRegionsReadThroughStrides)
{
    struct Case {
        int width, height, stride, chromaStride;
        uint32_t picX, picY, picW, picH;
        bool flipped;
    };
    const Case cases[] = {
        {8, 4, 8, 4, 0, 0, 8, 4, false},  {8, 4, 11, 6, 1, 1, 5, 3, false}, {8, 6, 9, 5, 3, 1, 5, 5, true},
        {6, 4, 6, 3, 1, 0, 5, 4, false},  {16, 2, 16, 8, 0, 1, 16, 1, true},
        {4, 4, 4, 2, 2, 2, 4, 4, false},  // the region overhangs the planes: the edge repeats
    };
    for (const Case& c : cases) {
        Planes p;
        MakePlanes(p, c.width, c.height, c.stride, c.chromaStride, 0, 0, 0);
        // Samples that tell each position apart.
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                p.y[size_t(y) * c.stride + x] = uint8_t(16 + 10 * x + 25 * y);
        for (int y = 0; y < (c.height + 1) / 2; ++y)
            for (int x = 0; x < (c.width + 1) / 2; ++x) {
                p.u[size_t(y) * c.chromaStride + x] = uint8_t(100 + 7 * x + 13 * y);
                p.v[size_t(y) * c.chromaStride + x] = uint8_t(150 - 9 * x - 5 * y);
            }
        th_ycbcr_buffer buffer;
        std::memcpy(buffer, p.buffer, sizeof(buffer));
        if (c.flipped) // as libtheora hands them: the top row first with a negative stride
            for (int i = 0; i < 3; ++i) {
                th_img_plane& plane = buffer[i];
                plane.data += ptrdiff_t(plane.height - 1) * plane.stride;
                plane.stride = -plane.stride;
            }
        std::vector<uint8_t> rgb(size_t(c.picW) * c.picH * 3 + 3, 0xEE);
        C3DVideoOgg::ConvertFrameToRGB(buffer, c.picX, c.picY, c.picW, c.picH, rgb.data());
        for (uint32_t y = 0; y < c.picH; ++y)
            for (uint32_t x = 0; x < c.picW; ++x) {
                int fx = std::min<int>(c.picX + x, c.width - 1), fy = std::min<int>(c.picY + y, c.height - 1);
                if (c.flipped)
                    fy = c.height - 1 - fy;
                const int cx = std::min(fx / 2, (c.width + 1) / 2 - 1), cy = fy / 2;
                const int ly = p.y[size_t(fy) * c.stride + fx];
                const int u = p.u[size_t(cy) * c.chromaStride + cx] - 128;
                const int v = p.v[size_t(cy) * c.chromaStride + cx] - 128;
                const int r = std::clamp((298 * (ly - 16) + 409 * v + 128) >> 8, 0, 255);
                const int b = std::clamp((298 * (ly - 16) + 516 * u + 128) >> 8, 0, 255);
                const uint8_t* out = &rgb[(size_t(c.picH - 1 - y) * c.picW + x) * 3];
                ASSERT_EQ(out[0], r) << c.width << "x" << c.height << " at " << x << "," << y;
                ASSERT_EQ(out[2], b) << c.width << "x" << c.height << " at " << x << "," << y;
            }
        EXPECT_EQ(rgb.back(), 0xEE) << "written past the picture";
    }
}

TEST(VideoConvertTest, PcmSamplesRoundAndClamp)
{
    struct Case {
        float x;
        int16_t sample;
    };
    const Case cases[] = {
        // x 32000 gives 0.488 and 0.977, each side of the half that rounds up
        {0.0f, 0},       {0.5f, 16000},   {-0.5f, -16000}, {0x1p-16f, 0},  {0x1p-15f, 1},   {-0x1p-16f, 0},
        {-0x1p-15f, -1}, {1.0f, 32000},   {-1.0f, -32000}, {1.5f, 32000},  {-7.0f, -32000},
        {std::numeric_limits<float>::infinity(), 32000},             {std::numeric_limits<float>::quiet_NaN(), -32000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(C3DVideoOgg_PcmSample(c.x), c.sample) << c.x;
}

// ---- playing ----------------------------------------------------------------------------------

TEST(VideoOggTest, WithoutSoundFramesFollowTheFrameSteps)
{
    CVideoTestWorld world(false);
    const auto file = TestCard(Format(128, 64, 15), 3.0);
    C3DVideoOgg* video = world.LoadVideo(file);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->GetWidth(), 128);
    EXPECT_EQ(video->GetHeight(), 64);
    EXPECT_EQ(video->GetDepth(), 24);
    EXPECT_FALSE(video->HasSound());
    EXPECT_DOUBLE_EQ(video->GetFramesPerSecond(), 15.0);
    // The load shows the first frame.
    EXPECT_EQ(video->GetFramesShown(), 1u);
    EXPECT_EQ(FrameNumber(world.Pixels(video), 128, 64), 0u);
    for (int second = 1; second <= 2; ++second) {
        for (int step = 0; step < 30; ++step)
            video->OnFrame();
        EXPECT_EQ(video->GetFramesShown(), 1u + 15u * second);
        EXPECT_EQ(FrameNumber(world.Pixels(video), 128, 64), 15u * second);
    }
    // Slower steps show fewer frames; a long step skips the frames it passed.
    world.Data()->frameTime = 6.0; // a fifth of a second: three frames
    video->OnFrame();
    EXPECT_EQ(FrameNumber(world.Pixels(video), 128, 64), 33u);
    EXPECT_EQ(video->GetFramesShown(), 32u);
    world.engine->ReleaseVideo(video);
}

TEST(VideoOggTest, WithSoundFramesArriveAtTheSoundClock)
{
    CVideoTestWorld world(true);
    const auto file = TestCard(Format(64, 48, 10, 2, 22050), 2.0);
    C3DVideoOgg* video = world.LoadVideo(file);
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(video->HasSound());
    CAudioRecorderSound* sound = world.Sound(video);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->GetChannels(), 2u);
    EXPECT_EQ(sound->GetRate(), 22050u);
    // A second of sound at the load, a second more on the first frame, which starts it.
    EXPECT_EQ(sound->GetChunkCount(), 1u);
    video->OnFrame();
    EXPECT_EQ(sound->GetChunkCount(), 2u);
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(video->GetTime(), 100u);
    // The frame steps do not matter; the sound's milliseconds do.
    world.Data()->frameTime = 50.0;
    uint32_t clock = 0;
    while (clock < 1990) {
        const uint32_t step = 30 + clock % 7;
        sound->Advance(step);
        clock += step;
        video->OnFrame();
        ASSERT_FALSE(video->IsFinished()) << clock;
        EXPECT_EQ(video->GetTime(), (clock / 100 + 1) * 100u) << clock;
        EXPECT_EQ(FrameNumber(world.Pixels(video), 64, 48), clock / 100) << clock;
        // Always between one and two seconds of sound ahead of the clock.
        const uint64_t aheadMs = sound->GetFrameCount() * 1000 / 22050 - clock;
        EXPECT_GE(aheadMs, 1000u) << clock;
        EXPECT_LE(aheadMs, 2000u) << clock;
    }
    // The chord: loud, and the two channels differ.
    const auto& samples = sound->GetSamples();
    int peak = 0;
    bool channelsDiffer = false;
    for (size_t i = 0; i + 1 < 22050 * 2; i += 2) {
        peak = std::max(peak, std::abs(int(samples[i])));
        channelsDiffer |= samples[i] != samples[i + 1];
    }
    EXPECT_GT(peak, 8000);
    EXPECT_TRUE(channelsDiffer);
    // The end of the pictures ends the video and stops its sound.
    sound->Advance(200);
    video->OnFrame();
    EXPECT_TRUE(video->IsFinished());
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_GE(sound->GetStopCount(), 1);
    world.engine->ReleaseVideo(video);
    EXPECT_EQ(world.audio->GetObjectCount(), 0u);
}

// Sound that ends before the pictures is followed by silence, and the clock runs on.
TEST(VideoOggTest, PicturesOutlastingTheSoundPlayToTheirEnd)
{
    CVideoTestWorld world(true);
    VideoOggFormat format = Format(32, 32, 10, 1, 8000);
    CVideoOggWriter writer;
    ASSERT_EQ(writer.Open(format), kStatusOk);
    std::vector<uint8_t> rgb(32 * 32 * 3);
    for (uint32_t i = 0; i < 40; ++i) {
        VideoTestCard_Draw(32, 32, i, 40, rgb.data());
        ASSERT_EQ(writer.AddFrame(rgb.data()), kStatusOk);
    }
    std::vector<float> tone(4000, 0.5f); // half a second
    const float* channels[] = {tone.data()};
    ASSERT_EQ(writer.AddSound(channels, 4000), kStatusOk);
    std::vector<uint8_t> file;
    ASSERT_EQ(writer.Finish(file), kStatusOk);

    C3DVideoOgg* video = world.LoadVideo(file);
    ASSERT_NE(video, nullptr);
    CAudioRecorderSound* sound = world.Sound(video);
    video->OnFrame();
    for (uint32_t clock = 100; clock < 4000; clock += 100) {
        sound->Advance(100);
        video->OnFrame();
        ASSERT_FALSE(video->IsFinished()) << clock;
        EXPECT_EQ(video->GetTime(), clock + 100) << clock;
    }
    sound->Advance(100);
    video->OnFrame();
    EXPECT_TRUE(video->IsFinished());
    // Half a second of tone, then silence.
    const auto& samples = sound->GetSamples();
    ASSERT_GT(samples.size(), 8000u);
    EXPECT_GT(std::abs(samples[2000]), 10000);
    for (size_t i = 4200; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], 0) << i;
    world.engine->ReleaseVideo(video);
}

TEST(VideoOggTest, SoundIsDroppedAboveTwoChannelsAndWithoutAnAudioEngine)
{
    struct Case {
        bool audio;
        uint32_t channels;
    };
    for (const Case c : {Case{true, 3}, Case{false, 2}, Case{false, 1}}) {
        CVideoTestWorld world(c.audio);
        const auto file = TestCard(Format(32, 32, 10, c.channels, 8000), 1.0);
        C3DVideoOgg* video = world.LoadVideo(file);
        ASSERT_NE(video, nullptr) << c.channels;
        EXPECT_FALSE(video->HasSound());
        EXPECT_EQ(video->GetSound(), nullptr);
        if (c.audio) {
            EXPECT_EQ(world.audio->GetObjectCount(), 0u);
        }
        // It plays on the frame steps, silently, to its end.
        int steps = 0;
        while (!video->IsFinished() && steps < 100) {
            video->OnFrame();
            ++steps;
        }
        EXPECT_EQ(video->GetFramesShown(), 10u);
        EXPECT_EQ(steps, 30);
        world.engine->ReleaseVideo(video);
    }
}

TEST(VideoOggTest, ALoopStartsAgainAtTheFirstFrameAndSound)
{
    CVideoTestWorld world(true);
    const auto file = TestCard(Format(64, 48, 10, 1, 8000), 1.0);
    C3DVideoOgg* video = world.LoadVideo(file, 0, k3DVideoLoop);
    ASSERT_NE(video, nullptr);
    CAudioRecorderSound* sound = world.Sound(video);
    video->OnFrame();
    const std::vector<int16_t> firstRun(sound->GetSamples().begin(), sound->GetSamples().begin() + 8000);
    for (int round = 0; round < 2; ++round) {
        for (uint32_t clock = 50; clock < 1000; clock += 50) {
            sound->Advance(50);
            video->OnFrame();
            EXPECT_EQ(FrameNumber(world.Pixels(video), 64, 48), clock / 100) << round << " " << clock;
        }
        // The end: the first frame again, the clock from 0, and a new stream from the first sample.
        sound->Advance(50);
        video->OnFrame();
        EXPECT_FALSE(video->IsFinished());
        EXPECT_EQ(video->GetTime(), 100u);
        EXPECT_EQ(video->GetFramesShown(), 1u);
        EXPECT_EQ(FrameNumber(world.Pixels(video), 64, 48), 0u);
        EXPECT_TRUE(sound->IsPlaying());
        ASSERT_GE(sound->GetSamples().size(), 8000u);
        EXPECT_TRUE(std::equal(firstRun.begin(), firstRun.end(), sound->GetSamples().begin()));
    }
    // Without the loop bit the same end finishes the video.
    video->SetCreationWords(0, 0);
    for (int i = 0; i < 25 && !video->IsFinished(); ++i) {
        sound->Advance(50);
        video->OnFrame();
    }
    EXPECT_TRUE(video->IsFinished());
    // Rewound, a finished video plays again from its first frame.
    EXPECT_EQ(video->Rewind(), kStatusOk);
    EXPECT_FALSE(video->IsFinished());
    EXPECT_EQ(FrameNumber(world.Pixels(video), 64, 48), 0u);
    sound->Advance(50);
    video->OnFrame();
    sound->Advance(100);
    video->OnFrame();
    EXPECT_EQ(FrameNumber(world.Pixels(video), 64, 48), 1u);
    world.engine->ReleaseVideo(video);
}

TEST(VideoOggTest, FormatsThePlayerRefuses)
{
    CVideoTestWorld world(false);
    Status status = kStatusOk;
    VideoOggFormat full = Format(32, 32, 10);
    full.pixelFormat = TH_PF_444;
    const auto file444 = TestCard(full, 0.5);
    ASSERT_FALSE(file444.empty());
    EXPECT_EQ(world.LoadVideo(file444, 0, 0, &status), nullptr);
    EXPECT_EQ(status, kStatusFailed);

    // A 640x480 picture where the renderer asks powers of two, with the flag that applies it.
    const auto file640 = TestCard(Format(640, 480, 10), 0.1);
    world.Data()->texturePowerOfTwo = 1;
    EXPECT_EQ(world.LoadVideo(file640, k3DVideoPowerOfTwo, 0, &status), nullptr);
    EXPECT_EQ(status, kStatusVideoNotPowerOfTwo);
    EXPECT_EQ(world.Data()->lastErrorCode, kStatusVideoNotPowerOfTwo);
    C3DVideoOgg* video = world.LoadVideo(file640, 0, 0, &status); // without the flag it plays
    ASSERT_NE(video, nullptr);
    world.engine->ReleaseVideo(video);
    video = world.LoadVideo(TestCard(Format(64, 32, 10), 0.1), k3DVideoPowerOfTwo);
    ASSERT_NE(video, nullptr);
    world.engine->ReleaseVideo(video);

    // Data that is not a whole video: nothing, noise, the headers alone, a cut file.
    const auto good = TestCard(Format(32, 32, 10), 1.0);
    std::vector<uint8_t> noise(20000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 2654435761u >> 13);
    const std::vector<std::vector<uint8_t>> bad = {
        {}, noise, std::vector<uint8_t>(good.begin(), good.begin() + 200), {good.begin(), good.begin() + 4000}};
    for (const auto& data : bad) {
        EXPECT_EQ(world.LoadVideo(data, 0, 0, &status), nullptr) << data.size();
        EXPECT_EQ(status, kStatusFailed) << data.size();
    }
    EXPECT_EQ(world.engine->GetVideoList().GetCount(), 0u);
    EXPECT_EQ(world.engine->GetTextureList().GetCount(), 0u);
}

// A file shorter than one read block (8500 bytes) plays, from memory, a pack entry or a file,
// and each keeps its name.
TEST(VideoOggTest, SmallFilesPlayFromEverySource)
{
    CVideoTestWorld world(false);
    const auto file = TestCard(Format(16, 16, 5), 1.0);
    ASSERT_LT(file.size(), 8500u);

    C3DVideoOgg* memory = world.LoadVideo(file);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(std::u16string(memory->GetName()), u"test.ogv");

    auto* packed = static_cast<C3DVideoOgg*>(world.engine->CreateVideo(0, 0));
    std::vector<uint8_t> pack(file);
    pack.insert(pack.end(), 100, 0xFF); // another entry's bytes follow
    FILE* stream = TestSystem_OpenMemory(pack.data(), pack.size());
    ASSERT_NE(stream, nullptr);
    PackRecord entry{};
    entry.pFile = stream;
    entry.lastEntrySize = uint32_t(file.size());
    std::memcpy(entry.lastEntryName, u"videos/small.ogv", sizeof(u"videos/small.ogv"));
    ASSERT_EQ(packed->LoadFromPacker(&entry, 1.0f, 0, 0), kStatusOk);
    EXPECT_EQ(std::u16string(packed->GetName()), u"videos/small.ogv");

    const auto path = std::filesystem::temp_directory_path() / ("vornel-video-" + std::to_string(getpid()) + ".ogv");
    FILE* out = std::fopen(path.u8string().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    auto* loose = static_cast<C3DVideoOgg*>(world.engine->CreateVideo(0, 0));
    ASSERT_EQ(loose->LoadFromFile(UtilsString_FromUtf8(path.string().c_str()).c_str(), 1.0f, 0, 0), kStatusOk);
    EXPECT_EQ(std::u16string(loose->GetName()), UtilsString_FromUtf8(path.filename().string().c_str()));

    for (C3DVideoOgg* video : {memory, packed, loose}) {
        int steps = 0;
        while (!video->IsFinished() && steps < 100) {
            video->OnFrame();
            ++steps;
        }
        EXPECT_EQ(video->GetFramesShown(), 5u);
        EXPECT_EQ(FrameNumber(world.Pixels(video), 16, 16), 4u);
        EXPECT_EQ(world.engine->ReleaseVideo(video), kStatusOk);
    }
    std::fclose(stream);
    std::filesystem::remove(path);
}

TEST(VideoOggTest, PauseHoldsThePictureAndTheSound)
{
    CVideoTestWorld world(true);
    const auto file = TestCard(Format(32, 32, 10, 1, 8000), 1.0);
    C3DVideoOgg* video = world.LoadVideo(file);
    ASSERT_NE(video, nullptr);
    CAudioRecorderSound* sound = world.Sound(video);
    video->OnFrame();
    sound->Advance(250);
    video->OnFrame();
    EXPECT_EQ(video->GetTime(), 300u);
    video->Pause();
    EXPECT_FALSE(sound->IsPlaying());
    sound->Advance(500); // nothing plays
    video->OnFrame();
    EXPECT_EQ(video->GetTime(), 300u);
    video->Play();
    video->OnFrame();
    EXPECT_TRUE(sound->IsPlaying());
    video->Stop();
    EXPECT_TRUE(video->IsFinished());
    EXPECT_FALSE(sound->IsPlaying());
    world.engine->ReleaseVideo(video);
}

// ---- the engine's video list and the native player ------------------------------------------

TEST(VideoEngineTest, CreateVideoChoosesThePlayerAndReleaseVideoDeletesIt)
{
    CVideoTestWorld world(false);
    C3DVideo* ogg = world.engine->CreateVideo(k3DVideoNodeFlag, k3DVideoLoop);
    ASSERT_NE(ogg, nullptr);
    EXPECT_NE(dynamic_cast<C3DVideoOgg*>(ogg), nullptr);
    EXPECT_EQ(ogg->GetFlags(), k3DVideoNodeFlag);
    EXPECT_EQ(ogg->GetSecond(), k3DVideoLoop);
    EXPECT_TRUE(ogg->IsPlaying());
    EXPECT_FALSE(ogg->IsLoaded());

    C3DVideo* native = world.engine->CreateVideo(k3DVideoNative, 0);
    ASSERT_NE(native, nullptr);
    EXPECT_NE(dynamic_cast<C3DVideoNative*>(native), nullptr);
    EXPECT_EQ(world.engine->GetVideoList().GetCount(), 2u);
    // This platform has no player of its own: loads fail, and a running one ends at once.
    EXPECT_EQ(native->LoadFromFile(u"videos/intro.ogv", 1.0f, 0, 0), kStatusFailed);
    EXPECT_EQ(std::u16string(native->GetName()), u"intro.ogv");
    EXPECT_EQ(native->MakeFromAddress(nullptr, 0, nullptr, 1.0f, 0, 0), kStatusFailed);
    EXPECT_FALSE(native->IsFinished());
    native->OnFrame();
    EXPECT_TRUE(native->IsFinished());

    EXPECT_EQ(world.engine->ReleaseVideo(native), kStatusOk);
    EXPECT_EQ(world.engine->ReleaseVideo(native), kStatusFailed);
    EXPECT_EQ(world.engine->ReleaseVideo(ogg), kStatusOk);
    EXPECT_EQ(world.engine->GetVideoList().GetCount(), 0u);

}

} // namespace
