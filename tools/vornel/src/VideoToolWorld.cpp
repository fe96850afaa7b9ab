#include "VideoToolWorld.h"

#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DTexture.h"

namespace {

// Textures that keep their size and name only; nothing is drawn.
class CVideoToolEngine : public C3DEngine {
public:
    using C3DEngine::C3DEngine;
    Status SetLight(uint32_t) override { return kStatusOk; }
    Status SetPointSpriteParameters() override { return kStatusOk; }
    Status SetFog() override { return kStatusOk; }
    Status SetSrcBlend(uint32_t) override { return kStatusOk; }
    Status SetDestBlend(uint32_t) override { return kStatusOk; }
    Status SetDepthFunc(uint32_t) override { return kStatusOk; }
    Status SetAlphaFunc(uint32_t, uint8_t) override { return kStatusOk; }
    Status SetColorMask(uint8_t, uint8_t, uint8_t, uint8_t) override { return kStatusOk; }
    C3DObject* CreateObject(uint32_t, uint32_t) override { return nullptr; }
    C3DObjectIndex* CreateObjectIndex(uint32_t, uint32_t) override { return nullptr; }
    C3DShader* CreateShader(uint32_t, uint32_t) override { return nullptr; }
    C3DStencilShadow* CreateStencilShadow(uint32_t, uint32_t) override { return nullptr; }
    Status IsStencilSupported() override { return kStatusFailed; }
    Status IsShaderSupported() override { return kStatusFailed; }

    C3DTexture* CreateTexture(uint32_t flags, uint32_t second) override
    {
        auto* texture = new (std::nothrow) C3DTexture(m_pWorldData);
        if (!texture) {
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return nullptr;
        }
        return Failed(AddTexture(texture, flags, second)) ? nullptr : texture;
    }
    Status ReleaseTexture(C3DTexture* pTexture, uint8_t direct) override
    {
        if (Failed(C3DEngine::ReleaseTexture(pTexture, direct)))
            return kStatusFailed;
        DestroyTexture(pTexture);
        return kStatusOk;
    }
};

// A day of playing is the most the tool follows a video for.
constexpr uint64_t kLongestMs = 24ull * 3600 * 1000;

} // namespace

CVideoToolWorld::CVideoToolWorld()
{
    m_engine = std::make_unique<CVideoToolEngine>(m_pWorldData);
    m_audio = std::make_unique<CAudioRecorder>(m_pWorldData);
    m_pAudioEngine = m_audio.get();
}

CVideoToolWorld::~CVideoToolWorld()
{
    // Videos first: they give their sounds and textures back to the engines.
    while (void* video = m_engine->GetVideoList().GetFirst())
        m_engine->ReleaseVideo(static_cast<C3DVideo*>(video));
    m_engine->Unload();
    m_engine.reset();
    m_pAudioEngine = nullptr;
    m_audio.reset();
}

Status CVideoToolWorld::LoadVideo(const char16_t* path, C3DVideoOgg** ppVideo)
{
    *ppVideo = nullptr;
    auto* video = static_cast<C3DVideoOgg*>(m_engine->CreateVideo(0, 0));
    if (!video)
        return kStatusOutOfMemory;
    const Status status = video->LoadFromFile(path, 1.0f, 0, 0);
    if (Failed(status)) {
        m_engine->ReleaseVideo(video);
        return status;
    }
    *ppVideo = video;
    return kStatusOk;
}

void VideoTool_Play(C3DVideoOgg* pVideo, WorldData* pWorldData,
                    const std::function<void(uint32_t index, uint64_t endMs)>& shown)
{
    const double fps = pVideo->GetFramesPerSecond();
    const uint32_t halfFrame = fps > 0.0 && fps < 500.0 ? uint32_t(500.0 / fps) : 1;
    const uint32_t step = halfFrame ? halfFrame : 1;
    pWorldData->frameTime = step * 30.0 / 1000.0;
    auto* sound = static_cast<CAudioRecorderSound*>(pVideo->GetSound());
    if (sound)
        sound->KeepSamples(false);
    uint32_t count = pVideo->GetFramesShown();
    uint32_t index = 0;
    if (count)
        shown(index++, pVideo->GetTime());
    for (uint64_t clock = 0; !pVideo->IsFinished() && clock < kLongestMs; clock += step) {
        if (sound)
            sound->Advance(step);
        pVideo->OnFrame();
        if (pVideo->GetFramesShown() != count && !pVideo->IsFinished()) {
            count = pVideo->GetFramesShown();
            shown(index++, pVideo->GetTime());
        }
    }
}

std::vector<uint64_t> CVideoToolWorld::PlayToTheEnd(C3DVideoOgg* pVideo)
{
    std::vector<uint64_t> times;
    VideoTool_Play(pVideo, m_pWorldData, [&](uint32_t, uint64_t endMs) { times.push_back(endMs); });
    return times;
}
