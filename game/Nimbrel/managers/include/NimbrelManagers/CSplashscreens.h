#pragma once
// Full-screen pictures and videos outside play: the numbered start-up sequence of section
// "SPLASHSCREENS" (the first game state) and the single picture or video a scene script shows
// and waits for (_waitForImage, _waitForVideo). One entry is loaded at a time, into one texture
// or one video, and drawn fitted into the window through one of four variants of the display
// object: a picture or video named with a leading '*' shows only the definition-sized corner
// of its texture. Pictures end by time in the sequence and only by a skip when scripted, videos
// when they end; Escape, Space or a click skips. Between entries of the sequence a screen
// transition runs; when a scripted entry ends, the scripts waiting for it continue.
#include <cstdint>

#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;
class C3DTexture;
class C3DVideo;
class UtilsParameters;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

// The entry loaded, which is also the display object's group that shows it.
enum SplashEntryKind : uint32_t {
    kSplashStarredImage = 0,
    kSplashImage = 1,
    kSplashStarredVideo = 2,
    kSplashVideo = 3,
    kSplashNothing = 4,
};

// The texture coordinates of the display object's four vertices (top left, top right, bottom
// left, bottom right) for an entry kind: starred entries show the corner of width u and height
// v of their texture.
void SplashEntryUV(uint32_t kind, float u, float v, float (*pUV)[2]);

// The fields of chunk 160000 before its commands; the names are owned (UTILS_FREE), null when
// absent.
struct SplashChunkRecord {
    uint32_t entryKind;
    uint8_t done;
    uint32_t count;
    uint32_t nextIndex;
    float imageTime;
    float elapsed;
    uint32_t transitionKind;
    char16_t* pTexture;
    char16_t* pVideo;
};
// Reads them, then the waiting commands into `pCommands`. False on a short chunk, an entry
// kind outside 0-4, a count above `definedCount` (the entries the settings define) or a next
// index past it, a time that is not a number or a name longer than a path; the record then
// owns no names.
bool ReadSplashChunk(UtilsStream_Chunk* pStream, SplashChunkRecord* pRecord, CCommandList* pCommands,
                     uint32_t definedCount = UINT32_MAX);
void FreeSplashChunk(SplashChunkRecord* pRecord);

class CSplashscreens : public CManagedObject {
public:
    explicit CSplashscreens(WorldData* pWorldData);
    ~CSplashscreens() override;

    // The volumes of "videos/_volumes.ini" when a pack holds it, the settings, the two screen
    // objects and the command list. kStatusFailed when an object cannot be made;
    // kStatusOutOfMemory (latched) without a command list.
    Status Load() override;
    // Everything released; the colour back to opaque black. 0.
    Status Unload() override;
    // The entry, while there is one.
    void Render() override;

    // Fits a picture of that size (pixels) into the virtual screen. 0.
    Status Layout(float width, float height);
    // The start-up sequence's step: the entry plays until its time or its end or a skip, then
    // the next one loads behind a screen transition. kStatusFailed once nothing is left (done).
    Status Advance();
    // A scripted entry's step: it ends by a skip, or a video by its end (done, kStatusFailed).
    Status CheckEnd();
    // The next numbered entry that can be found and loaded; kStatusFailed when none is left.
    Status LoadNext();
    // One entry from the texture or resource source, asGiven false for a name written with a
    // '*'. A localised variant ("intro.fr.png" for "intro.png" in French) is taken when it
    // exists. kStatusFailed when it cannot be loaded. With `direct` a video is loaded by its
    // path as given.
    virtual Status LoadImage(const char16_t* path, uint8_t asGiven);
    virtual Status LoadVideo(const char16_t* path, uint8_t asGiven, uint8_t direct);
    // The picture and video released, the entry over (done); the waiting scripts continue. 0.
    Status ReleaseImage();
    // A script waiting for the entry to end.
    Status AddCommand(const CommandHandle& command);
    // The volume a video plays at: its file name's key in "videos/_volumes.ini", else 1.
    float VideoVolume(const char16_t* name);

    // Chunk 160000: u32 entry kind, u8 done, u32 count, u32 next index, f32 image time, f32
    // elapsed, u32 transition kind, the picture's and the video's names (stream strings, none
    // when absent), then the waiting commands. A damaged chunk gives kStatusFailed with no
    // entry loaded.
    Status LoadFromStream(UtilsStream_Chunk* pStream);
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream);

    uint8_t IsDone() const { return m_bDone; }
    uint32_t GetEntryKind() const { return m_nEntryKind; }
    bool HasVideo() const { return m_pVideo != nullptr; }
    uint32_t GetCount() const { return m_nCount; }
    uint32_t GetNextIndex() const { return m_nNextIndex; }
    float GetImageTime() const { return m_fImageTime; }
    float GetElapsed() const { return m_fElapsed; }
    uint32_t GetTransitionKind() const { return m_nTransitionKind; }
    uint32_t GetColor() const { return m_nColor; }
    C3DObject* GetDisplayObject() const { return m_pDisplay; }
    C3DTexture* GetTexture() const { return m_pTexture; }
    C3DVideo* GetVideo() const { return m_pVideo; }
    CCommandList* GetCommands() const { return m_pCommands; }

protected:
    // The player released Escape, Space or the mouse button in this frame; and forgetting it.
    virtual bool IsSkipRequested();
    virtual void ClearSkip();
    // A screen transition between two entries of the sequence.
    virtual void StartTransition(uint32_t kind);

private:
    Status LoadPicture(const char16_t* path, uint8_t asGiven, uint32_t source);
    // The path with the current language's code before its extension, when such a resource
    // exists for the source; else the path itself.
    void LocalisedName(const char16_t* path, uint32_t source, char16_t* out);
    // The display object shows the entry's size when the name carries one.
    Status LayoutFromName(const char16_t* name);
    void ReleaseVideo();
    uint32_t TextureSource() const;
    uint32_t ResourceSource() const;

    uint32_t m_nColor = 0xFF000000u;
    C3DObject* m_pScreen = nullptr;
    C3DObject* m_pDisplay = nullptr;
    C3DTexture* m_pTexture = nullptr;
    C3DVideo* m_pVideo = nullptr;
    uint32_t m_nEntryKind = kSplashNothing;
    uint8_t m_bDone = 1;
    uint32_t m_nCount = 0;
    uint32_t m_nNextIndex = 0;
    float m_fImageTime = 0.0f;
    float m_fElapsed = 0.0f;
    uint32_t m_nTransitionKind = 0;
    UtilsParameters* m_pVolumes = nullptr;
    CCommandList* m_pCommands = nullptr;
};
