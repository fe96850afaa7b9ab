// vornel video: writes test-card videos, says what the engine's player finds in a video, and
// writes the pictures it shows.
#include "Commands.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "OffscreenRenderer.h"
#include "OutputFile.h"
#include "VideoToolWorld.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/VideoOggWriter.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool ParseUnsigned(const char* text, uint32_t& out)
{
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, out);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseDouble(const char* text, double& out)
{
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, out);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(out);
}

// "WxH".
bool ParseSize(const char* text, uint32_t& width, uint32_t& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        return false;
    const std::string w(text, x);
    return ParseUnsigned(w.c_str(), width) && ParseUnsigned(x + 1, height);
}

// "N" or "N/D" frames per second.
bool ParseRate(const char* text, uint32_t& numerator, uint32_t& denominator)
{
    const char* slash = std::strchr(text, '/');
    denominator = 1;
    if (!slash)
        return ParseUnsigned(text, numerator);
    const std::string n(text, slash);
    return ParseUnsigned(n.c_str(), numerator) && ParseUnsigned(slash + 1, denominator);
}

int New(int argc, char** argv)
{
    // OUT WxH FPS SECONDS [--channels N] [--rate R] [--tone HZ]
    if (argc < 4 || argc % 2 != 0)
        return kExitUsage;
    VideoOggFormat format;
    format.channels = 2;
    format.rate = 44100;
    double seconds = 0.0, tone = 220.0;
    if (!ParseSize(argv[1], format.width, format.height) ||
        !ParseRate(argv[2], format.fpsNumerator, format.fpsDenominator) || !ParseDouble(argv[3], seconds))
        return kExitUsage;
    for (int i = 4; i + 1 < argc; i += 2) {
        const char* option = argv[i];
        const char* value = argv[i + 1];
        bool ok;
        if (std::strcmp(option, "--channels") == 0)
            ok = ParseUnsigned(value, format.channels);
        else if (std::strcmp(option, "--rate") == 0)
            ok = ParseUnsigned(value, format.rate);
        else if (std::strcmp(option, "--tone") == 0)
            ok = ParseDouble(value, tone);
        else
            ok = false;
        if (!ok)
            return kExitUsage;
    }
    const char* outPath = argv[0];
    if (format.width < 1 || format.height < 1 || format.width > 4096 || format.height > 4096) {
        std::fprintf(stderr, "vornel video: the size must be from 1x1 to 4096x4096\n");
        return 1;
    }
    if (format.fpsNumerator == 0 || format.fpsDenominator == 0 ||
        double(format.fpsNumerator) / format.fpsDenominator > 240.0) {
        std::fprintf(stderr, "vornel video: the frame rate must be above 0 and at most 240\n");
        return 1;
    }
    if (!(seconds > 0.0) || seconds > 600.0) {
        std::fprintf(stderr, "vornel video: the length must be above 0 and at most 600 seconds\n");
        return 1;
    }
    if (format.channels > 8 || (format.channels > 0 && (format.rate < 8000 || format.rate > 192000)) ||
        !(tone > 0.0) || tone > 20000.0) {
        std::fprintf(stderr, "vornel video: the sound needs 0 to 8 channels, a rate from 8000 to 192000 Hz and a "
                             "tone from 0 to 20000 Hz\n");
        return 1;
    }
    std::vector<uint8_t> bytes;
    if (Failed(VideoTestCard_Write(format, seconds, tone, bytes))) {
        std::fprintf(stderr, "vornel video: the Theora or Vorbis encoder refuses %ux%u at %s fps with %u channels at %u Hz\n",
                     format.width, format.height, argv[2], format.channels, format.rate);
        return 1;
    }
    COutputFile output(outPath);
    std::FILE* file = std::fopen(output.TemporaryPath().c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok || !output.Commit()) {
        std::fprintf(stderr, "vornel video: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

// Plays the video through the engine's player, faster than real time, and lists each frame it
// shows: with sound the sound's clock runs, without it the frame steps.
int Info(const char* path)
{
    CVideoToolWorld world;
    C3DVideoOgg* video = nullptr;
    const Status status = world.LoadVideo(UtilsString_FromUtf8(path).c_str(), &video);
    if (Failed(status)) {
        std::fprintf(stderr, "vornel video: %s: not a video the player can play: %s\n", path, StatusWords(status).c_str());
        return 1;
    }
    const double fps = video->GetFramesPerSecond();
    std::printf("picture: %ux%u, %.3f frames per second\n", video->GetWidth(), video->GetHeight(), fps);
    if (video->HasSound())
        std::printf("sound: %u channel(s), %u Hz\n", video->GetChannels(), video->GetRate());
    else
        std::printf("sound: none\n");
    const std::vector<uint64_t> times = world.PlayToTheEnd(video);
    std::printf("frames: %zu, the last ending at %llu ms\n", times.size(),
                static_cast<unsigned long long>(times.empty() ? 0 : times.back()));
    std::printf("frame ends (ms):");
    for (size_t i = 0; i < times.size(); ++i)
        std::printf("%s%llu", i % 10 == 0 ? "\n  " : " ", static_cast<unsigned long long>(times[i]));
    std::printf("\n");
    return 0;
}

// A screen quad over the whole picture with the video's frame texture, one texel a pixel.
C3DObject* MakeFrameQuad(C3DEngine* engine, C3DVideo* video)
{
    C3DObject* quad = engine->CreateObject(0x10, 0x800);
    if (!quad)
        return nullptr;
    const float w = video->GetWidth(), h = video->GetHeight();
    if (Failed(quad->Create(1, 4, 4))) {
        engine->ReleaseObject(quad);
        return nullptr;
    }
    quad->Lock(0, 2);
    quad->ResetIndices();
    quad->SetVertex(0, 0, 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0);
    quad->SetVertex(1, w, 0, 0, 0xFFFFFFFFu, 1, 0, 0, 0, 0, 0);
    quad->SetVertex(2, 0, h, 0, 0xFFFFFFFFu, 0, 1, 0, 0, 0, 0);
    quad->SetVertex(3, w, h, 0, 0xFFFFFFFFu, 1, 1, 0, 0, 0, 0);
    quad->SetGroup(0, 0, 4, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
    quad->SetTexture(video->GetTexture(), 0, 0);
    quad->Unlock(1);
    return quad;
}

// Plays the video through the player on the tool's GL renderer, its clock on the frame steps,
// and writes every Nth frame the texture shows as OUTDIR/frame_NNNNN.png (its index from 0).
int Frames(int argc, char** argv)
{
    if (argc != 2 && argc != 4)
        return kExitUsage;
    uint32_t every = 1;
    if (argc == 4 && (std::strcmp(argv[2], "--every") != 0 || !ParseUnsigned(argv[3], every) || every == 0))
        return kExitUsage;
    const char* path = argv[0];
    const std::filesystem::path folder = argv[1];
    const std::u16string widePath = UtilsString_FromUtf8(path);
    uint16_t width = 0, height = 0;
    {
        // The picture's size first, for the renderer's window.
        CVideoToolWorld probe;
        C3DVideoOgg* video = nullptr;
        const Status status = probe.LoadVideo(widePath.c_str(), &video);
        if (Failed(status)) {
            std::fprintf(stderr, "vornel video: %s: not a video the player can play: %s\n", path,
                         StatusWords(status).c_str());
            return 1;
        }
        width = video->GetWidth();
        height = video->GetHeight();
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "vornel video: cannot make the folder %s\n", folder.c_str());
        return 1;
    }
    COffscreenRenderer renderer;
    std::string problem;
    if (!renderer.Open(width, height, problem)) {
        std::fprintf(stderr, "vornel video: %s\n", problem.c_str());
        return 1;
    }
    C3DEngine* engine = renderer.Engine();
    auto* video = static_cast<C3DVideoOgg*>(engine->CreateVideo(0, 0));
    const Status status = video ? video->LoadFromFile(widePath.c_str(), 1.0f, 0, 0) : kStatusOutOfMemory;
    C3DObject* quad = Succeeded(status) ? MakeFrameQuad(engine, video) : nullptr;
    int result = 0;
    if (Failed(status) || !quad) {
        std::fprintf(stderr, "vornel video: %s: the renderer cannot show it: %s\n", path,
                     StatusWords(Failed(status) ? status : kStatusFailed).c_str());
        result = 1;
    } else {
        uint32_t written = 0;
        VideoTool_Play(video, renderer.World(), [&](uint32_t index, uint64_t) {
            if (result != 0 || index % every != 0)
                return;
            char name[32];
            std::snprintf(name, sizeof(name), "frame_%05u.png", index);
            const std::string out = (folder / name).string();
            renderer.BeginFrame(0xFF000000u);
            quad->Draw();
            const Status saved = renderer.SavePicture(out);
            if (Failed(saved)) {
                std::fprintf(stderr, "vornel video: cannot write %s: %s\n", out.c_str(), StatusWords(saved).c_str());
                result = 1;
                return;
            }
            ++written;
        });
        if (result == 0)
            std::printf("%u picture(s) of %ux%u written to %s\n", written, unsigned(width), unsigned(height),
                        folder.c_str());
    }
    if (quad)
        engine->ReleaseObject(quad);
    if (video)
        engine->ReleaseVideo(video);
    return result;
}

} // namespace

int CommandVideo(int argc, char** argv)
{
    if (argc >= 1 && std::strcmp(argv[0], "new") == 0)
        return New(argc - 1, argv + 1);
    if (argc == 2 && std::strcmp(argv[0], "info") == 0)
        return Info(argv[1]);
    if (argc >= 1 && std::strcmp(argv[0], "frames") == 0)
        return Frames(argc - 1, argv + 1);
    return kExitUsage;
}
