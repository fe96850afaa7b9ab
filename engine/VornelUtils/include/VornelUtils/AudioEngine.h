#pragma once
// The audio module and its sounds, independent of the device: the registry's audio entry makes
// a CAudioEngine, which keeps every sound it made in a counted list; a sound is a CAudioObject
// that plays a whole WAV file or a stream of raw 16-bit PCM written into a four-second ring.
// The back end ("AL") fills the device operations; the managers and the video player use only
// these interfaces.
#include <cstdint>

#include "VornelUtils/EngineModule.h"
#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"

struct PackRecord;

// Creation flags of a sound.
constexpr uint32_t kAudioCreateListFlag = 0x01;  // the flag byte of the sound's list entry
constexpr uint32_t kAudioCreate3D = 0x04;        // a 3D sound (mono, head-relative)
// Play flags of a sound.
constexpr uint32_t kAudioPlayLooping = 0x01;

class CAudioObject : public CBaseObject {
public:
    CAudioObject(WorldData* pWorldData, uint32_t creationFlags, uint32_t playFlags);
    ~CAudioObject() override;

    virtual Status Init() { return kStatusOk; }
    // Frees the name. 0.
    virtual Status Release();
    virtual Status Play() = 0;
    // Stops and rewinds; Pause stops where the sound stands.
    virtual Status Stop() = 0;
    virtual Status Pause() = 0;
    // Playback rate over 44100 Hz; the sound's own rate until SetSpeed.
    virtual float GetSpeed() = 0;
    virtual Status SetSpeed(float ratio) = 0;
    // -1 left .. +1 right; a 3D sound has no pan.
    virtual float GetPan() = 0;
    virtual Status SetPan(float pan) = 0;
    // 1 + 0.0005 x the attenuation in hundredths of a decibel.
    virtual float GetVolume() = 0;
    // 0..1 on the "outExpo" curve: 1 is full, 0.5 is -3.12 dB, 0 is silent.
    virtual Status SetVolume(float volume) = 0;
    virtual bool IsLooping() = 0;
    virtual void SetLooping(bool looping) = 0;
    virtual bool IsPlaying() = 0;
    virtual Status SetPosition(uint32_t bytes) = 0;
    // Milliseconds played since the last call, across the wrap of a stream's ring.
    virtual uint32_t GetElapsedMs() = 0;
    virtual uint32_t GetPositionMs() = 0;
    virtual Status Set3DPosition(float x, float y, float z) = 0;
    virtual Status Set3DVelocity(float x, float y, float z) = 0;
    // A stream of 16-bit PCM written by its owner (UpdateAudioFromRaw); the base keeps the
    // file part of the name.
    virtual Status CreateStream(uint32_t channels, uint32_t rate, uint32_t reserved1, uint32_t reserved2,
                                const char16_t* name);
    // One chunk of `frames` frames of interleaved 16-bit samples. 0x80000001 in the base.
    virtual Status UpdateAudioFromRaw(uint32_t channels, uint32_t rate, uint32_t frames, const int16_t* samples);
    // Seconds of a stream's ring; 0 in the base.
    virtual uint32_t GetRingSeconds() { return 0; }
    // Sounds from memory and from pack entries carry only their name: no sound data is loaded.
    virtual Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name);
    virtual Status LoadFromPacker(PackRecord* pEntry);
    // Keeps the name (the path relative to the data folder when the record knows the length of
    // its prefix, else with the flag clear the file part). The base loads nothing: 0.
    virtual Status LoadFromFile(const char16_t* path, uint8_t flag);
    virtual Status Reserved(uint32_t) { return kStatusFailed; }
    virtual bool IsLoaded() { return false; }

    uint32_t GetCreationFlags() const { return m_creationFlags; }
    uint32_t GetPlayFlags() const { return m_playFlags; }
    bool Is3D() const { return (m_creationFlags & kAudioCreate3D) != 0; }
    // Null until a load or stream named the sound.
    const char16_t* GetName() const { return m_pName; }

protected:
    // The name replaced by a copy of `name` (null frees it). kStatusOutOfMemory when the copy fails.
    Status SetName(const char16_t* name);

    uint32_t m_creationFlags;
    uint32_t m_playFlags;
    char16_t* m_pName = nullptr;
};

class CAudioEngine : public CEngineModule {
public:
    explicit CAudioEngine(WorldData* pWorldData) : CEngineModule(pWorldData) {}
    // Deletes what Release left (a world never unloaded).
    ~CAudioEngine() override;

    // Every sound left is released and deleted (a leak line with flag 0). 0.
    Status Release() override;
    // A new empty sound in the list, or null.
    virtual CAudioObject* CreateObject(uint32_t creationFlags, uint32_t playFlags) = 0;
    // Null: 0x80000001. A sound the list does not give up (not made here, or still counted by
    // another user) is left alone: 0. Else its Release, deleted: the result of its Release.
    virtual Status ReleaseObject(CAudioObject* pObject) = 0;

    uint32_t GetObjectCount() const { return m_listObjects.GetCount(); }

protected:
    // Init of a sound made by CreateObject, then its entry in the list (creation flags bit 0 as
    // the entry's flag byte). A failure releases it through ReleaseObject: null.
    CAudioObject* AdoptObject(CAudioObject* pObject);
    // The common work of ReleaseObject.
    Status RemoveObject(CAudioObject* pObject);

    CFIFOListCounted m_listObjects;
};
