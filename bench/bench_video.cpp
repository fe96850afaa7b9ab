// The video player's two paths against the least a player must do with the same libraries:
// - pictures: a 640x480, 30 fps test card played through C3DVideoOgg into its GL texture, one
//   frame a step, against bare libtheora (th_decode_packetin, th_decode_ycbcr_out, the same
//   conversion, glTexSubImage2D into a texture of the same size);
// - sound: four seconds of stereo 44.1 kHz Vorbis played through the player into a recording
//   sound, against bare vorbis_synthesis_pcmout with the same 16-bit conversion.
// Each iteration plays the whole file from memory, its headers included, on both sides.
// "ratio" is the player's time over the bare loop's, "fps" the frames (or seconds of sound)
// the player decodes per second. Needs a display (make bench runs under xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "VideoTestWorld.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/VideoOggWriter.h"
#include "Vornel3D_GL/C3DEngine_GL.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "VornelPlatform/PlatformWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kWidth = 640, kHeight = 480, kFps = 30;
constexpr double kPictureSeconds = 2.0, kSoundSeconds = 4.0;

std::vector<uint8_t> MakeFile(uint32_t width, uint32_t height, uint32_t fps, uint32_t channels, double seconds)
{
    VideoOggFormat format;
    format.width = width;
    format.height = height;
    format.fpsNumerator = fps;
    format.channels = channels;
    format.rate = 44100;
    std::vector<uint8_t> file;
    return Succeeded(VideoTestCard_Write(format, seconds, 220.0, file)) ? file : std::vector<uint8_t>();
}

// ---- the bare loops ---------------------------------------------------------------------------

// Pages of the whole file into the sync layer, then the packets of the first stream that the
// header decoder takes.
class BareOgg {
public:
    explicit BareOgg(const std::vector<uint8_t>& file)
    {
        ogg_sync_init(&m_sync);
        char* buffer = ogg_sync_buffer(&m_sync, long(file.size()));
        std::memcpy(buffer, file.data(), file.size());
        ogg_sync_wrote(&m_sync, long(file.size()));
    }
    ~BareOgg()
    {
        if (m_stream)
            ogg_stream_clear(&m_state);
        ogg_sync_clear(&m_sync);
    }
    // The next packet of the stream whose first page `claim` accepts.
    template <typename Claim> bool Next(ogg_packet* packet, Claim claim)
    {
        for (;;) {
            if (m_stream && ogg_stream_packetout(&m_state, packet) > 0)
                return true;
            ogg_page page;
            if (ogg_sync_pageout(&m_sync, &page) <= 0)
                return false;
            if (!m_stream && ogg_page_bos(&page)) {
                ogg_stream_state test;
                ogg_stream_init(&test, ogg_page_serialno(&page));
                ogg_stream_pagein(&test, &page);
                ogg_packet first;
                if (ogg_stream_packetout(&test, &first) > 0 && claim(&first)) {
                    m_state = test;
                    m_stream = true;
                    continue;
                }
                ogg_stream_clear(&test);
            } else if (m_stream) {
                ogg_stream_pagein(&m_state, &page);
            }
        }
    }

private:
    ogg_sync_state m_sync;
    ogg_stream_state m_state;
    bool m_stream = false;
};

// Every frame of the file decoded, converted and uploaded; the frames shown.
uint32_t BarePictures(const std::vector<uint8_t>& file, uint32_t glTexture, std::vector<uint8_t>& rgb)
{
    BareOgg ogg(file);
    th_info info;
    th_comment comment;
    th_setup_info* setup = nullptr;
    th_info_init(&info);
    th_comment_init(&comment);
    ogg_packet packet;
    int headers = 0;
    auto claim = [&](ogg_packet* p) { return th_decode_headerin(&info, &comment, &setup, p) > 0 && ++headers; };
    while (headers < 3 && ogg.Next(&packet, claim))
        if (th_decode_headerin(&info, &comment, &setup, &packet) > 0)
            ++headers;
    th_dec_ctx* decoder = th_decode_alloc(&info, setup);
    uint32_t frames = 0;
    glBindTexture(GL_TEXTURE_2D, glTexture);
    while (decoder && ogg.Next(&packet, claim)) {
        ogg_int64_t granule;
        if (th_decode_packetin(decoder, &packet, &granule) != 0)
            continue;
        th_ycbcr_buffer ycbcr;
        th_decode_ycbcr_out(decoder, ycbcr);
        C3DVideoOgg::ConvertFrameToRGB(ycbcr, info.pic_x, info.pic_y, info.pic_width, info.pic_height, rgb.data());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(info.pic_width), GLsizei(info.pic_height), GL_RGB,
                        GL_UNSIGNED_BYTE, rgb.data());
        ++frames;
    }
    glFinish();
    if (decoder)
        th_decode_free(decoder);
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
    return frames;
}

// Every sample of the file decoded and converted into a one-second buffer; the samples made.
uint64_t BareSound(const std::vector<uint8_t>& file, std::vector<int16_t>& pcm)
{
    BareOgg ogg(file);
    vorbis_info info;
    vorbis_comment comment;
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
    ogg_packet packet;
    int headers = 0;
    auto claim = [&](ogg_packet* p) { return vorbis_synthesis_headerin(&info, &comment, p) == 0 && ++headers; };
    while (headers < 3 && ogg.Next(&packet, claim))
        if (vorbis_synthesis_headerin(&info, &comment, &packet) == 0)
            ++headers;
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_synthesis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    const uint32_t channels = uint32_t(info.channels);
    pcm.resize(size_t(info.rate) * channels);
    size_t fill = 0;
    uint64_t samples = 0;
    while (ogg.Next(&packet, claim)) {
        if (vorbis_synthesis(&block, &packet) == 0)
            vorbis_synthesis_blockin(&dsp, &block);
        float** out;
        int available;
        while ((available = vorbis_synthesis_pcmout(&dsp, &out)) > 0) {
            const uint32_t take = std::min<uint32_t>(uint32_t(available), uint32_t((pcm.size() - fill) / channels));
            for (uint32_t i = 0; i < take; ++i)
                for (uint32_t c = 0; c < channels; ++c)
                    pcm[fill++] = C3DVideoOgg_PcmSample(out[c][i]);
            vorbis_synthesis_read(&dsp, int(take));
            samples += take;
            if (fill == pcm.size())
                fill = 0;
        }
    }
    benchmark::DoNotOptimize(pcm.data());
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return samples;
}

// ---- the player -----------------------------------------------------------------------------

struct PictureBench {
    std::unique_ptr<WorldData> world;
    std::unique_ptr<C3DMath> math;
    PlatformWindow* window = nullptr;
    C3DEngine_GL* engine = nullptr;
    std::vector<uint8_t> file;
    C3DVideoOgg* video = nullptr;
    GLuint bareTexture = 0;
    std::vector<uint8_t> rgb;
    bool ready = false;

    PictureBench()
    {
        if (!Platform_HasDisplay())
            return;
        file = MakeFile(kWidth, kHeight, kFps, 0, kPictureSeconds);
        world = std::make_unique<WorldData>();
        math = std::make_unique<C3DMath>(world.get());
        world->pMath = math.get();
        world->dataPathWord = -1;
        world->frameTime = 30.0 / kFps; // one frame a step
        PlatformWindowDesc desc;
        desc.title = "bench_video";
        desc.width = 320;
        desc.height = 240;
        window = Platform_CreateWindow(desc);
        engine = window ? static_cast<C3DEngine_GL*>(CreateModule3D_GL(world.get())) : nullptr;
        if (!engine || engine->Load(window) != 0 || file.empty())
            return;
        video = static_cast<C3DVideoOgg*>(engine->CreateVideo(0, 0));
        if (!video || Failed(video->MakeFromAddress(file.data(), uint32_t(file.size()), u"bench.ogv", 1.0f, 0, 0)))
            return;
        rgb.resize(size_t(kWidth) * kHeight * 3);
        glGenTextures(1, &bareTexture);
        glBindTexture(GL_TEXTURE_2D, bareTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kWidth, kHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        ready = true;
    }

    // The whole video through the player; the frames it showed.
    uint32_t Play()
    {
        video->Rewind();
        uint32_t frames = video->GetFramesShown();
        while (!video->IsFinished()) {
            const uint32_t before = video->GetFramesShown();
            video->OnFrame();
            frames += video->GetFramesShown() - before;
        }
        glFinish();
        return frames;
    }
};

PictureBench& Pictures()
{
    static PictureBench bench;
    return bench;
}

struct SoundBench {
    CVideoTestWorld world{true};
    std::vector<uint8_t> file = MakeFile(16, 16, 1, 2, kSoundSeconds);
    C3DVideoOgg* video = nullptr;
    std::vector<int16_t> pcm;

    SoundBench()
    {
        video = world.LoadVideo(file);
        if (video)
            world.Sound(video)->KeepSamples(false);
    }

    // The whole sound through the player, a second a step; the samples it handed over.
    uint64_t Play()
    {
        video->Rewind();
        CAudioRecorderSound* sound = world.Sound(video);
        const uint64_t before = sound->GetFrameCount();
        while (!video->IsFinished()) {
            video->OnFrame();
            sound->Advance(1000);
        }
        return sound->GetFrameCount() - before;
    }
};

SoundBench& Sound()
{
    static SoundBench bench;
    return bench;
}

// One play through the player and one through the bare loop per iteration, timed apart.
template <typename Player, typename Bare>
void Compare(benchmark::State& state, Player player, Bare bare, double unitsPerPlay, const char* unit)
{
    Clock::duration engine{}, plain{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        player();
        const auto t1 = Clock::now();
        bare();
        const auto t2 = Clock::now();
        engine += t1 - t0;
        plain += t2 - t1;
    }
    const double engineSeconds = std::chrono::duration<double>(engine).count();
    const double bareSeconds = std::chrono::duration<double>(plain).count();
    state.counters["ratio"] = engineSeconds / (bareSeconds > 0 ? bareSeconds : 1e-9);
    state.counters[unit] = unitsPerPlay * double(state.iterations()) / (engineSeconds > 0 ? engineSeconds : 1e-9);
    state.counters[std::string("bare_") + unit] =
        unitsPerPlay * double(state.iterations()) / (bareSeconds > 0 ? bareSeconds : 1e-9);
}

void PlayerOverBarePictures(benchmark::State& state)
{
    PictureBench& b = Pictures();
    if (!b.ready) {
        state.SkipWithError("no display, no GL context or no video");
        return;
    }
    // Both must show every frame for the comparison to mean anything.
    const uint32_t shown = b.Play();
    const uint32_t bare = BarePictures(b.file, b.bareTexture, b.rgb);
    if (shown != bare || shown != uint32_t(kPictureSeconds * kFps)) {
        state.SkipWithError("the player and the bare loop show different frames");
        return;
    }
    Compare(
        state, [&] { b.Play(); }, [&] { BarePictures(b.file, b.bareTexture, b.rgb); }, double(shown), "fps");
}

void PlayerOverBareSound(benchmark::State& state)
{
    SoundBench& b = Sound();
    if (!b.video || !b.video->HasSound()) {
        state.SkipWithError("no video with sound");
        return;
    }
    const uint64_t played = b.Play();
    const uint64_t bare = BareSound(b.file, b.pcm);
    // The player rounds the sound up to whole seconds of silence.
    if (bare < uint64_t(kSoundSeconds * 44100) - 2048 || played < bare) {
        state.SkipWithError("the player and the bare loop decode different sound");
        return;
    }
    Compare(
        state, [&] { b.Play(); }, [&] { BareSound(b.file, b.pcm); }, kSoundSeconds, "sound_seconds_per_second");
}

} // namespace

BENCHMARK(PlayerOverBarePictures)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(PlayerOverBareSound)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
