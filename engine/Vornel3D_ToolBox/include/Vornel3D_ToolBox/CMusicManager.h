#pragma once
// The music manager of the managed world: one looping music at a time, switched with a
// fade-out and fade-in, at a music volume. Fades advance with the world's frame time (1.0 per
// frame at 30 frames per second) times the speed given to Update.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"
#include "VornelUtils/WorldData.h"

class CAudioObject;
class CAudioEngine;

class CMusicManager : public CBaseObject {
public:
    explicit CMusicManager(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    ~CMusicManager() override;

    // Makes the looping music sound and plays the application settings' music ("MUSIC",
    // "MUSIC_FILE_NAME"), if any. kStatusFailed when no sound can be made or the music cannot
    // be loaded (the manager stays usable).
    virtual Status Load();
    // The sound goes back to the audio engine; the names are cleared. 0.
    virtual Status Unload();

    // One step of the fade; once a frame.
    void Update(float speed);
    // -1 keeps the stored volume. At 0 a playing sound stops when stopAtZero is set; above 0 a
    // sound that is not playing starts.
    void SetVolume(float volume, uint8_t stopAtZero);
    // Switches to the file (relative to the data folder; empty: the settings' music). With
    // crossFade and without force a playing music fades out first: the switch is deferred and
    // the result is kStatusFailed. The same file again only brings the level back to full.
    Status Play(const char16_t* fileName, uint8_t force, uint8_t crossFade);
    // Silence that stays: the sound stops, the fade and the names are cleared so that Update
    // does not bring it back and the same file played again starts it anew.
    void Stop();
    // Whether the file's name differs from the music held (see Play).
    bool IsDifferent(const char16_t* fileName, uint8_t force);

    float GetLevel() const { return m_level; }
    bool IsFadingIn() const { return m_fadingIn != 0; }
    float GetVolume() const { return m_volume; }
    CAudioObject* GetSound() const { return m_pSound; }
    const char16_t* GetMusicName() const { return m_musicName; }
    const char16_t* GetPendingPath() const { return m_pendingPath; }

private:
    CAudioEngine* AudioEngine() const;

    float m_level = 0.0f;
    uint8_t m_fadingIn = 0;
    CAudioObject* m_pSound = nullptr;
    float m_volume = 1.0f;
    char16_t m_musicName[kWorldTextSize] = {};
    char16_t m_pendingPath[kWorldTextSize] = {};
};
