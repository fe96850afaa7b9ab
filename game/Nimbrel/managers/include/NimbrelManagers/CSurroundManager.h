#pragma once
// Every short sound of the game that is not music: the four click sounds (null, default,
// negative, abuse), the click sounds attached to elements, the sounds scripts play by name and
// the ambient ("surround") sounds that scene objects schedule with commands such as fade_play.
// One table keeps the sounds by name; a sound holds an audio object of the audio engine only
// while the current level needs it, and ambient sounds fade in and out frame by frame. Sounds
// are loose WAV files under the data folder; one that cannot be read plays "sounds/null.wav".
#include <cstdint>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"
#include "VornelUtils/WorldData.h"

class CAudioEngine;
class CAudioObject;
class UtilsStream;
struct BuiltinReport;

// The substitute of a sound file that is missing or badly formatted.
constexpr const char* kSurroundNullSound = "sounds/null.wav";

// A sound's state while it is scheduled or faded.
enum SurroundState : uint32_t {
    kSurroundWaiting = 0,
    kSurroundRising = 1,
    kSurroundFalling = 2,
    kSurroundSettled = 3,
};

// Whether a sound's file is wanted: not asked, asked for the next preparation, loaded.
enum SurroundLoadState : uint32_t {
    kSurroundNotRequested = 0,
    kSurroundRequested = 1,
    kSurroundLoaded = 2,
};

// Ambient commands.
enum SurroundCommandKind : uint32_t {
    kSurroundNoCommand = 0,
    kSurroundFadePlay = 1,
    kSurroundForcePlay = 2,
    kSurroundFadeStop = 3,
    kSurroundForceStop = 4,
};

// The click sounds by role.
enum SurroundClick : uint32_t {
    kClickNull = 0,
    kClickDefault = 1,
    kClickNegative = 2,
    kClickAbuse = 3,
    kClickRoleCount = 4,
};

constexpr int32_t kNoSound = -1;

struct SurroundSound {
    uint32_t useCount;      // holders: click-sound roles, objects that attached it
    uint8_t keepLoaded;     // the click sounds
    uint8_t inUse;          // named by an active object's ambient command
    uint8_t loop;
    float level;            // the sound's own volume factor
    char* pName;            // relative to the data folder
    float fadeLevel;        // 0 to 1 while fading
    uint32_t state;         // SurroundState
    CAudioObject* pAudio;   // null while not loaded
    uint32_t loadState;     // SurroundLoadState
};

struct SurroundCommand {
    uint8_t loop;
    float minTime;          // seconds
    float maxTime;
    float countdown;        // frame-step units
    uint32_t sound;         // index into the sound table
    uint32_t command;       // SurroundCommandKind
};

// What one scene object holds: its attached sounds (element click sounds and its own) and its
// ambient commands.
struct SurroundObject {
    uint32_t* pSounds;
    uint32_t soundCount;
    SurroundCommand* pCommands;
    uint32_t commandCount;
};

// Chunk 180000 as read, before it is applied (and what `vornel profile dump` prints).
struct SurroundChunkObject {
    bool present = false;
    std::vector<uint32_t> sounds;
    std::vector<SurroundCommand> commands;
};
struct SurroundChunkSound {
    std::string name;
    uint32_t useCount = 0;
    uint8_t keepLoaded = 0;
    uint8_t loop = 0;
};
struct SurroundChunk {
    std::vector<SurroundChunkObject> objects;
    std::vector<SurroundChunkSound> sounds;
};
// Reads the chunk whole: false when it is cut short, holds counts its bytes cannot hold, an
// unknown command, an empty name or a sound index outside its own table.
bool ReadSurroundChunk(UtilsStream* pStream, SurroundChunk* pChunk);

class CSurroundManager : public CManagedObject {
public:
    explicit CSurroundManager(WorldData* pWorldData);
    ~CSurroundManager() override;

    Status Load() override { return kStatusOk; }
    // The fading sounds silenced, the records freed, every audio object stopped and given back
    // to the audio engine, the table emptied. 0.
    Status Unload() override;
    // The fading list and the ambient commands of the active objects, once a frame.
    void Update() override;
    // The names of the active objects' ambient sounds (looped ones with "*"), one debug line
    // each, in developer mode with both developer displays on.
    void Render() override;

    // One empty record slot per scene object; the four click sounds of [SOUNDS] kept; the
    // sounds prepared. kStatusFailed when the null, default or negative click cannot be kept
    // or the preparation fails.
    virtual Status PrepareForRun();
    // Chunk 180000: the records and the table (the click sounds found again by name in the
    // table read). kStatusFailed for a short or inconsistent chunk, kStatusMismatch when it
    // holds another number of scene objects than the game, kStatusOutOfMemory.
    Status LoadFromStream(UtilsStream* pStream);
    Status SaveToStream(UtilsStream* pStream);

    // A click sound by name: kStatusFailed for no name; the same sound as now changes nothing;
    // else the new one is held (loaded at the next preparation) and the old one let go.
    Status SetClickSound(uint32_t role, const char* name);
    Status SetNullClickSound(const char* name) { return SetClickSound(kClickNull, name); }
    Status SetDefaultClickSound(const char* name) { return SetClickSound(kClickDefault, name); }
    Status SetNegativeClickSound(const char* name) { return SetClickSound(kClickNegative, name); }
    Status SetAbuseClickSound(const char* name) { return SetClickSound(kClickAbuse, name); }
    // Plays at full level: kStatusFailed when the role has no sound or it is not loaded.
    Status PlayClick(uint32_t role);
    Status PlayNullClick() { return PlayClick(kClickNull); }
    Status PlayDefaultClick() { return PlayClick(kClickDefault); }
    Status PlayNegativeClick() { return PlayClick(kClickNegative); }
    Status PlayAbuseClick() { return PlayClick(kClickAbuse); }

    // An ambient command of the object for the sound `name`, from the words of `params`
    // (fade_play, force_play, fade_stop, force_stop, min_time, max_time, loop). The command is
    // stored only when it is valid and the sound is asked for (loaded at the next
    // preparation). kStatusFailed, with a trace for the caller, otherwise.
    Status ParseCommand(uint32_t objectIndex, const BuiltinReport& caller, const char* name, const char* params,
                        int32_t loop, float minTime, float maxTime);
    // The object's attached sound of that name at full level: kStatusFailed when there is none
    // or it is not loaded.
    Status PlaySound(uint32_t objectIndex, const BuiltinReport& caller, const char* name);
    // The master volume (the options); the fading sounds follow at once.
    void SetVolume(float volume);
    float GetVolume() const { return m_masterVolume; }
    // The sounds of the object's fade_stop commands given back to the audio engine.
    Status ReleaseStoppedSounds(uint32_t objectIndex);
    // Every attached sound of the object waiting again, asked for the next preparation.
    Status StopObjectSounds(uint32_t objectIndex);
    Status StopSound(uint32_t index);
    // The sound held and attached to the object (a scene object's own sounds).
    Status AddObjectSound(uint32_t objectIndex, const char* name);
    // An element click sound: its id in the object (1-based), 0 when none could be made.
    uint32_t SetItemsClickSound(uint32_t objectIndex, const char* name);
    // The object's attached sound of that id (1-based) at full level: kStatusFailed for an id
    // the object has not given or a sound that is not loaded.
    Status PlayElementSound(uint32_t objectIndex, uint32_t id);
    // The table index of an element click sound id of the object; kNoSound for none.
    int32_t ElementSoundIndex(uint32_t objectIndex, uint32_t id) const;
    // The object lets go of every sound it attached.
    Status ReleaseObjectSounds(uint32_t objectIndex);
    // Loads what is held or asked for, lets go of what no active object names: a sound with no
    // holder is given back at once, one still held fades out. kStatusFailed when an audio
    // object cannot be made or "sounds/null.wav" cannot stand in for a missing file.
    Status PrepareAllSounds();
    // Nothing asked for, nothing in use (a level change).
    Status ResetAllSounds();
    // The sound held (keep: also kept loaded), then prepared: its index, kNoSound on failure.
    int32_t AddKeptSound(const char* name, uint8_t keep);
    Status PlaySoundIndex(uint32_t index);
    // One holder less, then prepared.
    Status ReleaseSound(uint32_t index);
    // The index of the sound with exactly that name, appended when new; kNoSound for no name
    // or no memory.
    int32_t FindOrAddSound(const char* name);
    // The sound's 1-based position among the object's attached sounds (appended when new); 0
    // when it cannot be attached.
    uint32_t AttachSoundToObject(uint32_t objectIndex, uint32_t sound);
    // The sound's level; its audio object plays at level x master volume.
    void SetSoundLevel(SurroundSound* pSound, float level);

    uint32_t GetSoundCount() const { return m_soundCount; }
    SurroundSound* GetSound(uint32_t index) const { return index < m_soundCount ? m_ppSounds[index] : nullptr; }
    int32_t GetClickSound(uint32_t role) const { return role < kClickRoleCount ? m_clickSounds[role] : kNoSound; }
    uint32_t GetObjectCount() const { return m_objectCount; }
    const SurroundObject* GetObjectRecord(uint32_t index) const
    {
        return index < m_objectCount ? m_ppObjects[index] : nullptr;
    }
    CFIFOList& GetFadingList() { return m_fading; }

protected:
    // The world's audio engine; null without one (the game is silent).
    virtual CAudioEngine* AudioEngine() const;
    // The number of scene objects of the construction; false without an objects manager.
    virtual bool SceneObjectCount(uint32_t* pCount);
    // The object numbers of the active scene objects (in the active list, shown and wanted).
    virtual void CollectActiveObjects(std::vector<uint32_t>& numbers);

private:
    // The object's record, made when `create` asks; null for an index past the objects.
    SurroundObject* ObjectRecord(uint32_t objectIndex, bool create);
    void FreeObjects();
    void FreeSounds();
    // A sound's audio object stopped and given back (the pointer cleared).
    void ReleaseAudio(SurroundSound* pSound);
    Status PlayEntry(SurroundSound* pSound);
    // The file into the sound's audio object, twice at most; "sounds/null.wav" in its place when
    // both fail. kStatusFailed when that fails too.
    Status LoadSoundFile(SurroundSound* pSound);
    bool LoadAttempt(SurroundSound* pSound);
    float DrawCountdown(const SurroundCommand& command);
    void StepCommand(SurroundCommand& command, float step, float fade);
    // The click sounds again from [SOUNDS] (or the names they had), each kept.
    Status KeepClickSounds(const char* const* names);
    void ClickNames(char names[kClickRoleCount][kWorldTextSize]) const;

    SurroundObject** m_ppObjects = nullptr;
    uint32_t m_objectCount = 0;
    SurroundSound** m_ppSounds = nullptr;
    uint32_t m_soundCount = 0;
    CFIFOList m_fading;
    int32_t m_clickSounds[kClickRoleCount] = {kNoSound, kNoSound, kNoSound, kNoSound};
    float m_masterVolume = 1.0f;
    std::vector<uint32_t> m_active;  // kept between frames: no allocation once grown
};
