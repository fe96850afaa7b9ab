#pragma once
// The game's script timers: a scene object's script asks for one of its functions to be
// called after some seconds (onTimerFunction), or waits (_waitSeconds) until they passed.
// Timers count down in frame-step units (seconds x 30) and expire in the world's draw pass;
// a timer of an object that is not active is held, not counted. Expiry calls run script code
// inside the walk: timers they add wait for the next frame, timers they remove are gone at
// once, and the timer being handled (firing) is never removed under the walk.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"

class UtilsStream_Chunk;
class UtilsStream_ChunkList;

enum TimerMode : uint32_t {
    kTimerSingle = 0,
    kTimerSingleResume = 1,
    kTimerMulti = 2,
    kTimerMultiResume = 3,
};

// The event mask of a timer made by onTimerFunction.
constexpr uint32_t kTimerFunctionMask = 0x1FFFFFFFu;
// The argument code of an expiry call with a parameter: {int 0 (the result), the text}.
constexpr uint32_t kTimerArgumentText = 0x20000041u;

// "single", "single_resume", "multi", "multi_resume" (exact); anything else single_resume.
uint32_t TimerModeFromName(const char* name);

struct TimerRecord {
    float remaining;        // frame-step units
    uint32_t mode;
    uint32_t objectIndex;
    uint32_t callId;        // the script call that made it (the one to resume for a wait)
    char* pFunction;        // null for a wait
    char* pParameter;       // null: no argument
    uint32_t handlerKey;    // the caller's event mask
    uint8_t firing;
    uint8_t fresh;          // added during this frame's walk: counts from the next frame
};

class CTimerManager : public CManagedObject {
public:
    explicit CTimerManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CTimerManager() override;

    using CManagedObject::Load;
    // Frees every timer. 0.
    Status Unload() override;
    // The expiry step, once a drawn frame: the world calls it from its render routine (its
    // update pass leaves this manager out).
    void Update() override;

    // A timer of `seconds` (<= 0 and NaN count as 0); 0, or kStatusOutOfMemory (latched).
    Status AddTimer(const char* function, const char* parameter, uint32_t mode, uint32_t handlerKey, float seconds,
                    uint32_t objectIndex, uint32_t callId);
    // Free the non-firing timers of one call of an object, or of the whole object.
    void RemoveTimersByKey(uint32_t objectIndex, uint32_t callId);
    void RemoveTimersOfObject(uint32_t objectIndex);

    // Chunk 120000: u32 count, then per timer f32 remaining, u32 mode, u32 object index,
    // u32 call id, string function, string parameter, u32 handler key. A load that fails
    // leaves no timers.
    Status LoadFromStream(UtilsStream_Chunk* pStream);
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream);

    uint32_t GetCount() const { return m_timers.GetCount(); }
    CFIFOList& GetTimers() { return m_timers; }

protected:
    // What an expiry asks of the scene object (through the world by default).
    virtual bool IsObjectActive(uint32_t objectIndex);
    virtual void ResumeCall(uint32_t objectIndex, uint32_t callId, uint32_t mask);
    virtual void CallFunction(uint32_t objectIndex, const char* function, uint32_t mask, uint8_t resume,
                              const char* parameter);

private:
    template <typename Match>
    void RemoveWhere(Match match);
    static void FreeTimer(TimerRecord* pTimer);
    Status LoadTimers(UtilsStream_Chunk* pStream);

    CFIFOList m_timers;
    uint8_t m_walking = 0;
    uint32_t m_unloads = 0;   // counts Unload, so a walk notices that its list went
};
