#pragma once
// The world the tool plays videos in: a 3D engine whose textures keep no pixels (the tool only
// asks what the player finds) and the recording audio engine, whose clock the tool runs faster
// than real time.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Vornel3D/C3DVideoOgg.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/AudioRecorder.h"

// Plays a loaded video to its end in steps of half a frame, its sound's clock (when it has one)
// or the world's frame steps running with them; `shown` hears of each frame it shows (its
// index from 0 and the time it ends, ms), the first one's included.
void VideoTool_Play(C3DVideoOgg* pVideo, WorldData* pWorldData,
                    const std::function<void(uint32_t index, uint64_t endMs)>& shown);

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
