#pragma once
// The score monitor (type code 261): a score shown in one of its elements, one record per level.
// A level's script sets its record up with setMonitorParameters (display type, callback,
// bounds) and changes the score with onMonitorUpdate; mini-game levels send their scores the
// same way. When the score reaches the winning or losing bound, the level's callback function
// is told ("on_max_score_reached", "on_min_score_reached") and the score is held at the bound.
// Records survive level changes and are saved with the profile.
#include "NimbrelInterfaces/CObjectsInterface.h"

// Display types, by the words of "monitor_type".
enum MonitorDisplayType : uint32_t {
    kMonitorScore = 0,           // "score": "%d"
    kMonitorScoreCount = 1,      // "score_count": "%d/%d" of value and maximum
    kMonitorScoreMultiply = 2,   // "score_multiply": "%d x"
    kMonitorScoreCountdown = 3,  // "score_countdown": "%d/%d" of maximum - value and maximum
    kMonitorTimerCount = 4,      // "timer_count": the text never changes
    kMonitorTimerCountdown = 5,  // "timer_countdown": the text never changes
    kMonitorNothing = 6,         // no type set: nothing shows
};

constexpr uint32_t kMonitorTextLength = 32;

struct MonitorRecord {
    float value;
    float maximum;               // the score to win
    float minimum;               // the score to lose
    char* pCallback;             // owned; the level's script function told of the bounds
    uint32_t displayType;        // MonitorDisplayType
    char16_t text[kMonitorTextLength];
    // The last score a "set_score" or "add_score" gave before the bounds held it: a score that
    // stays beyond a bound is not reported again every frame. Not saved.
    float lastScore;
};

class CObjectsInterfaceMonitor : public CObjectsInterface {
public:
    CObjectsInterfaceMonitor(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceMonitor() override;

    // ---- what the builtins and the levels call ----------------------------------------------
    // setMonitorParameters of the level: "monitor_type", "callback_events", "set_score_to_win",
    // "set_score_to_lose"; other words do nothing. kStatusFailed for a type word outside the
    // table, kStatusOutOfMemory (latched) when the record cannot be made.
    virtual Status SetParameters(uint32_t level, const char* word, const char* value);
    // onMonitorUpdate of the level: "set_score", "add_score" and the four timer commands (no
    // effect). kStatusFailed for another command or a level without a record.
    virtual Status Update(uint32_t level, const char* command, float score);

    // ---- the object's operations ------------------------------------------------------------
    Status Release() override;
    Status DrawElement(ElementRecord* pElement) override;
    // kStatusFailed while no monitor element is bound.
    Status CheckSetup() override;
    Status ReloadElementInfos() override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    // "monitor_item_name" binds the monitor element; every other word is taken without effect.
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    // No query is answered.
    Status getObjectParameters(ScriptBuiltinCall& call) override;

    // The records' part of the saved state, and its read: kStatusFailed for damaged bytes (no
    // record is kept then), kStatusOutOfMemory (latched).
    Status SaveMonitorState(UtilsStream_Chunk* pChunk);
    Status LoadMonitorState(UtilsStream_Chunk* pChunk);

    // ---- access -------------------------------------------------------------------------------
    const MonitorRecord* GetRecord(uint32_t level) const
    {
        return level < m_recordCount ? m_ppRecords[level] : nullptr;
    }
    uint32_t GetRecordCount() const { return m_recordCount; }
    int32_t GetMonitorElement() const { return m_monitorElement; }

private:
    // The level's record, made (with the records array) when absent; null when it cannot be.
    MonitorRecord* MakeRecord(uint32_t level, Status* pStatus);
    // The bounds of types 0 to 3: the score held at a bound it reached, the callback told.
    Status CheckBounds(uint32_t level, MonitorRecord& record);
    Status CallBack(uint32_t level, const MonitorRecord& record, const char* event);
    // The record's text by its type.
    void Format(MonitorRecord& record);
    void FreeRecords();
    void DrawScore(const ElementRecord& element, const char16_t* text);

    int32_t m_monitorElement = -1;
    MonitorRecord** m_ppRecords = nullptr;  // by level object number
    uint32_t m_recordCount = 0;
};
