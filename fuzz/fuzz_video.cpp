// Ogg videos from any bytes, loaded from memory and played a few seconds on the memory back end
// with the recording audio engine, so that the Vorbis path runs too: once to its end, once
// looping.
#include <cstdint>
#include <cstdlib>

#include "VideoTestWorld.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    for (uint32_t second : {0u, k3DVideoLoop}) {
        CVideoTestWorld world(true);
        C3DVideoOgg* video = world.LoadVideo(data, uint32_t(size), 0, second);
        if (!video)
            continue;
        auto* sound = world.Sound(video);
        if (sound)
            sound->KeepSamples(false);
        for (int step = 0; step < 150 && !video->IsFinished(); ++step) {
            if (sound)
                sound->Advance(40);
            video->OnFrame();
            // The frame is the texture's size.
            if (video->GetFrameBuffer() && world.Pixels(video).size() != size_t(video->GetWidth()) * video->GetHeight() * 3)
                std::abort();
        }
        world.engine->ReleaseVideo(video);
    }
    return 0;
}
