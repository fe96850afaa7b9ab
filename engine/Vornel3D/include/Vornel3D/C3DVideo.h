#pragma once
// Videos: an engine resource made by the engine's CreateVideo that decodes into a texture the
// caller draws, and plays its sound through a streaming sound of the audio engine. A video
// advances one step per call of OnFrame, inside the frame.
//
// C3DVideo is the base both players share; C3DVideoOgg (C3DVideoOgg.h) plays Ogg files with
// Theora pictures and Vorbis sound; C3DVideoNative hands playback to the world's platform
// command hook, which this platform does not provide.
#include <cstdint>
#include <optional>
#include <string>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DTexture;
class CAudioObject;
struct PackRecord;

// Flags word: apply the world's power-of-two demand to the frame size. Second word: loop.
constexpr uint32_t k3DVideoPowerOfTwo = 0x2;
constexpr uint32_t k3DVideoLoop = 0x1;
// Flags word bit 0 chooses the player: clear the Ogg player, set the native one.
constexpr uint32_t k3DVideoNative = 0x1;

class C3DVideo : public CBaseObject {
public:
    explicit C3DVideo(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    ~C3DVideo() override = default;

    virtual Status Init() { return kStatusOk; }
    virtual Status Release() = 0;
    // One step of playback.
    virtual Status OnFrame() = 0;
    virtual void Reserved0() {}
    // `volume` is the sound's (0..1); the two further words are not read by either player.
    virtual Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name, float volume, uint32_t a,
                                   uint32_t b) = 0;
    virtual Status LoadFromPacker(PackRecord* pEntry, float volume, uint32_t a, uint32_t b) = 0;
    virtual Status LoadFromFile(const char16_t* path, float volume, uint32_t a, uint32_t b) = 0;
    // The frame depth, width or height is not 0.
    virtual bool IsLoaded() { return m_nDepth != 0 || m_nWidth != 0 || m_nHeight != 0; }
    virtual bool IsFinished() { return !m_bRunning; }
    virtual void Finish() { m_bRunning = false; }
    virtual Status Play() = 0;
    virtual Status Pause() = 0;
    virtual Status Stop() = 0;
    virtual Status Rewind() = 0;
    // Time of the last decoded frame, milliseconds.
    virtual uint64_t GetTime() = 0;
    virtual void Reserved1(uint32_t) {}

    // The two creation words, stored by the engine's AddVideo.
    void SetCreationWords(uint32_t flags, uint32_t second) { m_nFlags = flags; m_nSecond = second; }
    uint32_t GetFlags() const { return m_nFlags; }
    uint32_t GetSecond() const { return m_nSecond; }

    // The frame texture (RGB) and the sound; null when absent.
    C3DTexture* GetTexture() const { return m_pTexture; }
    CAudioObject* GetSound() const { return m_pSound; }
    uint8_t GetDepth() const { return m_nDepth; }
    uint16_t GetWidth() const { return m_nWidth; }
    uint16_t GetHeight() const { return m_nHeight; }
    bool IsPlaying() const { return m_bPlaying; }
    // Null when the video has no name.
    const char16_t* GetName() const { return m_name ? m_name->c_str() : nullptr; }

protected:
    // Forgets the frame size, releases the sound through the audio engine and the frame texture
    // through the 3D engine (as its owner). kStatusFailed when a release fails.
    Status ReleaseResources();
    // The name as given (null clears it).
    void SetName(const char16_t* name);
    // The world's audio engine's release of the sound, and the 3D engine's of the texture.
    Status ReleaseSound();
    Status ReleaseTexture();

    C3DTexture* m_pTexture = nullptr;
    CAudioObject* m_pSound = nullptr;
    uint32_t m_nFlags = 0;
    uint32_t m_nSecond = 0;
    uint8_t m_nDepth = 0;
    uint16_t m_nWidth = 0;
    uint16_t m_nHeight = 0;
    std::optional<std::u16string> m_name;
    bool m_bRunning = true;
    bool m_bPlaying = false;
};

// The player that leaves playback to the world's platform command hook: commands 29 (volume),
// 26 (play the named file), 27 (running? the address of the running flag) and 28 (stop). This
// platform has no such hook, so every command answers 0x80000001 and nothing plays.
class C3DVideoNative : public C3DVideo {
public:
    explicit C3DVideoNative(WorldData* pWorldData) : C3DVideo(pWorldData) {}

    // The resources; command 28 when running and playing; both flags cleared.
    Status Release() override;
    // Command 27 with the running flag's address while running (playing follows it), or 28
    // once when playing stops.
    Status OnFrame() override;
    Status MakeFromAddress(const void*, uint32_t, const char16_t*, float, uint32_t, uint32_t) override
    {
        return kStatusFailed;
    }
    Status LoadFromPacker(PackRecord*, float, uint32_t, uint32_t) override { return kStatusFailed; }
    // Keeps the name, then commands 29 (volume, truncated) and 26 (the name); their result.
    Status LoadFromFile(const char16_t* path, float volume, uint32_t a, uint32_t b) override;
    Status Play() override { return kStatusOk; }
    Status Pause() override { return kStatusOk; }
    Status Stop() override { return kStatusOk; }
    Status Rewind() override { return kStatusOk; }
    uint64_t GetTime() override { return 0; }

    // The platform command hook: 0x80000001 for every command on this platform.
    static Status PlatformCommand(uint32_t command, uintptr_t value);
};
