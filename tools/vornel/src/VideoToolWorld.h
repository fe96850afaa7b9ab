#pragma once
// The world the tool plays videos in: a 3D engine whose textures keep no pixels (the tool only
// asks what the player finds) and the recording audio engine, whose clock the tool runs faster
// than real time.
#include <cstdint>
#include <memory>
#include <vector>

#include "Vornel3D/C3DVideoOgg.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/AudioRecorder.h"

class CVideoToolWorld : public CWorld {
public:
    CVideoToolWorld();
    ~CVideoToolWorld() override;

    // A new Ogg player loaded from the file; its load status.
    Status LoadVideo(const char16_t* path, C3DVideoOgg** ppVideo);
    // Plays the video to its end in steps of half a frame; the end time (ms) of each frame it
    // showed, the first one's included.
    std::vector<uint64_t> PlayToTheEnd(C3DVideoOgg* pVideo);

private:
    std::unique_ptr<C3DEngine> m_engine;
    std::unique_ptr<CAudioRecorder> m_audio;
};
