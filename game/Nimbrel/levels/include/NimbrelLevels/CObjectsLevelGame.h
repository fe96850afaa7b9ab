#pragma once
// The shape every mini-game kind shares on top of the level base. A kind is configured by its
// scene script through parameter words, receives events and the "skip" request, answers the
// object commands "reset", "pause" and "resume", reports "solved" once through the finish
// operation and keeps its own state in the profile behind the scene object's. A kind writes
// only what differs:
//
//   LoadEventsFromParam  its parameter words (TakeItemWord, TakeCallbackWord, the parsers of
//                        LevelValues.h); an unknown word is accepted
//   OnAction             its action events
//   ResetFields          its fields at their fresh-start values (also the run state's reset)
//   CheckSetup           whether its configuration is whole; builds its starting board
//   ResetBoard           the board dealt again on "reset"
//   StateFields          its saved fields, in order, for both save and load
//   StateFits            whether fields read back fit the object (item references, counts)
//   ClearMoveState       what the developer's force-solve stops
//
// Results of words and events: kStatusDoneStoreResult (0x80000021) taken or unknown,
// kStatusDoneNoResult (0x80000022) an event carried out or ignored, kStatusFailed a bad value
// (its text goes to NoTrace), kStatusOutOfMemory an allocation that failed (kept as the
// world's last error).
#include <functional>
#include <initializer_list>
#include <utility>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelLevels/LevelState.h"

// A script function named by a "_response_callback" word: a private copy of the name, or none.
class LevelCallback {
public:
    LevelCallback() = default;
    ~LevelCallback();
    LevelCallback(const LevelCallback&) = delete;
    LevelCallback& operator=(const LevelCallback&) = delete;

    // The copy of `name` replaces the one held (an empty name clears it); kStatusOutOfMemory,
    // with no callback left, when the copy cannot be made.
    Status Set(const char* name);
    void Clear();
    const char* Name() const { return m_pName; }

private:
    char* m_pName = nullptr;
};

// One argument of a response callback: an integer or an 8-bit text, never cut to 32 bits.
struct LevelArgument {
    uint8_t isText;
    int32_t number;
    const char* text;

    static LevelArgument Int(int32_t value) { return {0, value, nullptr}; }
    static LevelArgument Text(const char* value) { return {1, 0, value}; }
};

// Argument types in a callback's type word: one hexadecimal digit per argument, the first in
// the lowest digit, and the count in the top four bits.
constexpr uint32_t kLevelArgumentInt = 1;
constexpr uint32_t kLevelArgumentText = 4;
// A callback reaches every instance of the function.
constexpr uint32_t kLevelCallbackAnyInstance = 0x0FFFFFFFu;
// The arguments after the leading 0 that a callback can carry.
constexpr uint32_t kLevelCallbackArguments = 6;

// Where a level's callbacks go instead of its object's script: the function's name, the
// argument words (the leading 0 first) and the type word. The tools that play a level without
// the game's script manager run the callbacks in their own module through it.
using LevelCallbackSink = std::function<Status(const char* function, uintptr_t* words, uint32_t typeWord)>;

class CObjectsLevelGame : public CObjectsLevel {
public:
    CObjectsLevelGame(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevelGame() override;

    // The parameter words reach LoadEventsFromParam with a writable copy of the value.
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    virtual Status LoadEventsFromParam(const char* name, char* value);

    // The level base's events first; then "event" with "skip" solves and finishes
    // (kStatusDoneStoreResult), "event" with any other value is ignored; every other name
    // goes to OnAction.
    Status OnEvent(const char* name, char* value) override;
    // An action word of the kind with its argument: kStatusDoneNoResult when carried out or
    // unknown, kStatusFailed for a bad argument.
    virtual Status OnAction(const char* name, char* value);

    // "reset" deals the board again and clears the solved state (0, or kStatusFailed when the
    // board cannot be rebuilt); "pause" and "resume" set and clear the paused flag (0);
    // anything else goes to OnKindCommand (kStatusFailed by default).
    Status OnCommand(const char* command) override;
    virtual Status OnKindCommand(const char* command);

    // The developer's force-solve: nothing while paused; else the base's cheat, the move state
    // stopped, solved and finished.
    Status OnCheatCodes(uint32_t next) override;

    Status ResetRunState() override;

    // The kind's fields reset, the base part read (kStatusFailed when it fails), then the
    // kind's fields. A cut or unreadable state resets them and gives kStatusFailed; fields that
    // do not fit the object reset them, are logged, and the load goes on (0): one bad level
    // costs the player that level, not the profile.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    // The level base's part (nothing), then the kind's fields; kStatusFailed when one cannot
    // be written.
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;

    // The board's text form into `out` (always terminated), for the tools; its length. A kind
    // without a board model writes "no board".
    virtual uint32_t PrintBoard(char* out, uint32_t capacity) const;

    void SetCallbackSink(LevelCallbackSink sink) { m_callbackSink = std::move(sink); }

    uint8_t IsPaused() const { return m_paused; }
    uint8_t IsSolved() const { return m_solved; }

protected:
    virtual void ResetFields();
    virtual Status ResetBoard() { return kStatusOk; }
    virtual void StateFields(LevelState& state) { (void)state; }
    virtual bool StateFits() { return true; }
    virtual void ClearMoveState() {}

    // Sets the solved flag and finishes (once until "reset").
    void Solve();
    // Hands the solved flag to the scene object's finish.
    void FinishLevel();

    // A word that registers an item: the element named `value` becomes `*pReference`;
    // kStatusDoneStoreResult, or kStatusFailed leaving the old reference for an unknown name.
    Status TakeItemWord(const char* name, const char* value, int32_t* pReference);
    // A "_response_callback" word: kStatusDoneStoreResult, or kStatusOutOfMemory.
    Status TakeCallbackWord(LevelCallback& callback, const char* value);
    // Calls the callback's function with the leading integer 0 and `arguments`; kStatusFailed
    // without a callback or with too many arguments, else the call's status.
    Status CallResponse(const LevelCallback& callback, std::initializer_list<LevelArgument> arguments);
    // The same for a function named otherwise (kStatusFailed for none).
    Status CallFunction(const char* function, std::initializer_list<LevelArgument> arguments);
    // The type word of a callback with the leading 0 and `arguments`.
    static uint32_t CallbackTypeWord(std::initializer_list<LevelArgument> arguments);

    // Whether a reference read back is none (-1) or an element of this object.
    bool ReferenceFits(int32_t reference) const;

    // One of n possibilities: the next random number times n / 2^32, truncated.
    uint32_t PickRandom(uint32_t n);
    // The frame step of this frame (1.0 = 1/30 s).
    float FrameStep() const;
    // Advances a progress running from 1 down to 0 by the frame step times `rate`; true when
    // it passed its end (the move is then applied or completed).
    bool StepDown(float* pProgress, float rate) const;
    // The same for a progress running from 0 up to 1.
    bool StepUp(float* pProgress, float rate) const;

    uint8_t m_paused = 0;
    uint8_t m_solved = 0;

private:
    LevelCallbackSink m_callbackSink;
};
