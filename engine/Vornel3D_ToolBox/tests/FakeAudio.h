#pragma once
// An audio engine whose sounds only remember what was asked of them: a file "loads" unless
// its name holds "missing", and plays once loaded.
#include <string>

#include "VornelUtils/AudioEngine.h"

class CFakeSound : public CAudioObject {
public:
    using CAudioObject::CAudioObject;
    Status Release() override
    {
        loaded = playing = false;
        return CAudioObject::Release();
    }
    Status Play() override
    {
        ++plays;
        playing = loaded;
        return kStatusOk;
    }
    Status Stop() override
    {
        ++stops;
        playing = false;
        return kStatusOk;
    }
    Status Pause() override { return Stop(); }
    float GetSpeed() override { return 1.0f; }
    Status SetSpeed(float) override { return kStatusOk; }
    float GetPan() override { return 0.0f; }
    Status SetPan(float) override { return kStatusOk; }
    float GetVolume() override { return volume; }
    Status SetVolume(float v) override
    {
        volume = v;
        return kStatusOk;
    }
    bool IsLooping() override { return looping; }
    void SetLooping(bool l) override { looping = l; }
    bool IsPlaying() override { return playing; }
    Status SetPosition(uint32_t) override { return kStatusOk; }
    uint32_t GetElapsedMs() override { return 0; }
    uint32_t GetPositionMs() override { return 0; }
    Status Set3DPosition(float, float, float) override { return kStatusOk; }
    Status Set3DVelocity(float, float, float) override { return kStatusOk; }
    Status LoadFromFile(const char16_t* path, uint8_t flag) override
    {
        ++loads;
        Release();
        CAudioObject::LoadFromFile(path, flag);
        loaded = std::u16string(path).find(u"missing") == std::u16string::npos;
        return loaded ? kStatusOk : kStatusFailed;
    }
    bool IsLoaded() override { return loaded; }

    bool loaded = false, playing = false, looping = false;
    float volume = -1.0f;
    int loads = 0, plays = 0, stops = 0;
};

class CFakeAudioEngine : public CAudioEngine {
public:
    using CAudioEngine::CAudioEngine;
    CAudioObject* CreateObject(uint32_t creationFlags, uint32_t playFlags) override
    {
        return failCreate ? nullptr : AdoptObject(new CFakeSound(m_pWorldData, creationFlags, playFlags));
    }
    Status ReleaseObject(CAudioObject* pObject) override { return RemoveObject(pObject); }

    static inline bool failCreate = false;
};

inline CBaseObject* CreateFakeAudioEngine(WorldData* pWorldData)
{
    return new CFakeAudioEngine(pWorldData);
}
