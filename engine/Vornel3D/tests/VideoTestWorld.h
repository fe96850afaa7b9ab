#pragma once
// A world for the video player's tests and fuzz target: the memory back end for the frame
// texture and, when asked, the recording audio engine, whose sounds play only the milliseconds
// the test advances them by.
#include <cstdint>
#include <memory>
#include <vector>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DVideoOgg.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/AudioRecorder.h"

class CVideoTestWorld : public CWorld {
public:
    explicit CVideoTestWorld(bool withAudio)
    {
        m_pWorldData->frameTime = 1.0;
        math = std::make_unique<C3DMath>(m_pWorldData);
        m_pWorldData->pMath = math.get();
        engine = std::make_unique<CMemoryEngine>(m_pWorldData);
        if (withAudio) {
            audio = std::make_unique<CAudioRecorder>(m_pWorldData);
            m_pAudioEngine = audio.get();
        }
    }
    ~CVideoTestWorld() override
    {
        engine->Unload();
        engine.reset();
        m_pAudioEngine = nullptr;
        audio.reset();
        math.reset();
    }

    WorldData* Data() const { return m_pWorldData; }

    // A new Ogg player through the engine, loaded from memory; null (and the status) on failure.
    C3DVideoOgg* LoadVideo(const std::vector<uint8_t>& file, uint32_t flags = 0, uint32_t second = 0,
                      Status* status = nullptr)
    {
        return LoadVideo(file.data(), uint32_t(file.size()), flags, second, status);
    }
    C3DVideoOgg* LoadVideo(const uint8_t* data, uint32_t size, uint32_t flags = 0, uint32_t second = 0,
                      Status* status = nullptr)
    {
        auto* video = static_cast<C3DVideoOgg*>(engine->CreateVideo(flags, second));
        if (!video)
            return nullptr;
        const Status loaded = video->MakeFromAddress(data, size, u"test.ogv", 1.0f, 0, 0);
        if (status)
            *status = loaded;
        if (Failed(loaded)) {
            engine->ReleaseVideo(video);
            return nullptr;
        }
        return video;
    }

    CAudioRecorderSound* Sound(C3DVideo* video) const { return static_cast<CAudioRecorderSound*>(video->GetSound()); }
    const std::vector<uint8_t>& Pixels(C3DVideo* video) const
    {
        return static_cast<CMemoryTexture*>(video->GetTexture())->GetPixels();
    }

    std::unique_ptr<C3DMath> math;
    std::unique_ptr<CMemoryEngine> engine;
    std::unique_ptr<CAudioRecorder> audio;
};
