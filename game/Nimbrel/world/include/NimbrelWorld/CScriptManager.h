#pragma once
// The game's script host: one script instance for the main script and one per scene object,
// each with a context of handler entries (the functions called on it that may still be
// suspended); calls functions by name, queues the results that end a wait and delivers them
// once a frame so that the suspended calls continue; and binds the builtins every script has
// (ScriptCommonBuiltins.h).
//
// Re-entrancy is real: a call may queue results, free handlers, restart or remove contexts
// while the manager walks its queue or runs a call. A record being delivered is never removed
// by anyone else; a handler entry is freed only by whoever finds it still in its slot; a
// context removed during a call of its own script is deleted when that call returns.
#include <cstdint>
#include <vector>

#include "NimbrelObjects/CCommandTarget.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CScriptBase.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"

class CNimbrelWorld;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

// The script events of a scene object, by number: their function names and event masks.
struct ScriptEventRow {
    const char* name;
    uint32_t mask;
};
constexpr uint32_t kScriptEventCount = 8;
const ScriptEventRow* ObjectEventTable();
// Added to a handler's event mask while the queue resumes it.
constexpr uint32_t kScriptResumeMask = 0x10000000u;

// A function called on an instance and not finished yet.
struct ScriptHandlerEntry {
    char* name;          // owned copy
    uint32_t flags;      // the instance's event mask when the entry was made
    uint8_t persistent;  // never freed when its call finishes
    uint64_t serial;     // tells the entry apart from a later one in the same slot
};

struct ScriptContext {
    CScriptBaseKest* script;                   // owned
    int32_t current;                           // the handler being delivered, -1 none
    std::vector<ScriptHandlerEntry*> handlers; // null slots are free, reused first
    uint32_t calls;                            // calls of this script running right now
    uint8_t removed;                           // removed during one of them: deleted when they end
};

// A wait that has ended: its call continues on the next delivery.
struct ScriptPendingResult {
    uint8_t delivering;  // being delivered: nobody else removes it
    uint32_t contextIndex;
    uint32_t handlerIndex;
    uint32_t value;      // the waiting builtin's result
    uint64_t serial;     // queue order; a delivery takes only records older than itself
};

// The script manager's chunk as read, before it is applied (and what `vornel profile dump`
// prints): per context its handler slots (null for a free slot), then the queued results.
struct ScriptSavedState {
    std::vector<std::vector<ScriptHandlerEntry*>> contexts;  // the entries are owned
    std::vector<ScriptPendingResult> pending;

    ScriptSavedState() = default;
    ScriptSavedState(const ScriptSavedState&) = delete;
    ScriptSavedState& operator=(const ScriptSavedState&) = delete;
    ~ScriptSavedState();
};

// One call of a builtin, as its handler sees it. Arguments are read by the code's digits
// (1 long, 2 float bits, 4 text: the script's own text, valid during the call). A text result
// is a heap copy the record owns until the call returns; the script's slot takes it then.
struct ScriptBuiltinCall {
    uint32_t fileIndex;        // of the calling statement, for traces
    uint32_t line;
    uint32_t hostWord;         // the handler index of the running call
    uintptr_t arguments[7];
    uint32_t argumentCount;
    ScriptModule* module;
    ScriptVM* vm;
    ScriptFunction* builtin;
    ScriptActivation* activation;
    uint32_t resultType;       // 0 none, else a script value type
    uint32_t resultValue;
    uint32_t resultExtra;
    char* resultText;          // owned; with a STRING result only
    CommandHandle* waitCommand;  // set by an underscore twin: what the plain form attaches
    uint8_t waitTaken;           // the plain form handed waitCommand to something
    uint32_t tail;             // nothing of its function runs after the call

    // A call of two texts, as a script hands an object a word or an event (name, value).
    static ScriptBuiltinCall Texts(const char* first, const char* second)
    {
        ScriptBuiltinCall call{};
        call.arguments[0] = reinterpret_cast<uintptr_t>(first);
        call.arguments[1] = reinterpret_cast<uintptr_t>(second);
        call.argumentCount = 2;
        return call;
    }
    const char* Text(uint32_t i) const { return reinterpret_cast<const char*>(arguments[i]); }
    uint32_t Long(uint32_t i) const { return static_cast<uint32_t>(arguments[i]); }
    float Float(uint32_t i) const;
    // The name the script called the builtin by.
    const char* BuiltinName() const;
    // What the list iterators pass on with their reports.
    BuiltinReport Report() const { return {BuiltinName(), fileIndex, line}; }
    void SetResultLong(uint32_t value);
    void SetResultFloat(float value);
    // A copy of the text becomes the result, the previous text result freed; false (nothing
    // changed) when the copy cannot be made.
    bool SetResultString(const char* text);
    // Frees a text result.
    void ClearResult();
};
// A builtin's status that fails the call (the done and wait codes are negative too).
inline bool IsBuiltinFailure(Status status)
{
    return Failed(status) && status != kStatusDoneStoreResult && status != kStatusDoneNoResult && status != kStatusWait;
}

// A builtin's handler on its bound object: kStatusDoneStoreResult, kStatusDoneNoResult,
// kStatusWait or a failure.
using ScriptBuiltinHandler = Status (*)(void* object, ScriptBuiltinCall& call);

class CScriptManager : public CManagedObject {
public:
    explicit CScriptManager(WorldData* pWorldData);
    ~CScriptManager() override;

    // Creates the main script (its own VM) and loads it from the pack. kStatusOutOfMemory
    // (latched) when it cannot be created; kStatusFailed when the load fails, with the script's
    // error text as the world's last error text.
    Status Init() override;
    // The world's load of the manager: Init, unless the main script is loaded already.
    Status Load() override;
    // Every pending record, then every context (object scripts before the main script, whose
    // VM they run in).
    Status Unload() override;
    // Delivers the pending results queued before this frame whose objects are activated.
    void Update() override;
    // Frees every queued record and every handler; the scripts stay.
    void ClearHandlers();
    // Loads "<data name>_main.script" of the pack into the main script and runs its top-level
    // code; kStatusFailed.
    Status LoadMainScript();

    // A new instance with the common builtins, in a new context; null on failure.
    CScriptBaseKest* CreateScript(uint32_t objectNumber, CScriptBase* pSharedScript);
    // Registers a builtin on an instance: the count of the code's digits (up to the first zero)
    // goes to its top four bits. kStatusFailed.
    virtual Status RegisterFunction(CScriptBase* script, const char* prototype, const char* name, void* object,
                            ScriptBuiltinHandler handler, uint32_t code);

    // The handler index of a function: with reuse, the entry of that name; without, a running
    // call of it is stopped (its event-0 wait commands and queued results dropped) and a new
    // entry made. -1 on failure.
    int32_t FindHandler(CScriptBase* script, const char* name, uint8_t reuse, uint8_t persistent);
    Status CallFunction(CScriptBase* script, const char* name, uint8_t reuse, uintptr_t* arguments,
                        uint32_t argumentCode, uint32_t resumeValue);
    // The same for an existing entry (0 when there is none).
    Status CallHandlerByIndex(CScriptBase* script, uint32_t handlerIndex, uint8_t keep, uintptr_t* arguments,
                              uint32_t argumentCode, uint32_t resumeValue);
    // Drops the instance's queued results, stops all its calls and empties its handlers.
    Status RestartContext(CScriptBase* script);
    // Frees the instance's context and the instance; its slot stays null. kStatusFailed
    // when no context holds it.
    Status RemoveContext(CScriptBase* script);
    // Frees the instance's handlers and queued results; the instance stays.
    Status ResetContext(CScriptBase* script);
    bool IsRunningEvent(CScriptBase* script, uint32_t event);
    // Queues the result of a wait; kStatusOutOfMemory (latched) when it cannot be queued.
    Status QueueResult(CScriptBase* script, uint32_t handlerIndex, uint32_t value);

    // Chunk 50000 of the profile: every context's handler entries (a released context as one
    // without handlers), the queued results, then a child 50001 with the main script's globals
    // and run state. kStatusFailed.
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);
    // Replaces every handler and queued result by the chunk's; the saved context count must be
    // this manager's. The loaded results are delivered by the next Update. kStatusFailed for
    // another count or a damaged chunk (what was read so far stays), kStatusOutOfMemory
    // (latched).
    Status LoadState(UtilsStream_Chunk* pChunk);
    // The payload of chunk 50000: every count is checked against the bytes left before
    // anything is made for it, and a queued result must name one of the stored contexts.
    // kStatusFailed for a damaged payload, kStatusOutOfMemory.
    static Status ReadSavedState(UtilsStream_Chunk* pChunk, ScriptSavedState* pOut);

    // Starts the walk of an object list named by the calling object (its index) and positions
    // it on the first object; done when there is none. Names of nothing are reported unless
    // quiet, and skipped.
    void ResolveObjectList(ObjectListIterator& it, const char* list, uint32_t caller, const BuiltinReport& report,
                           bool quiet);
    // The next object of the walk; done when there is none.
    void ResolveObjectListNext(ObjectListIterator& it, const BuiltinReport& report);

    // The main script's "main" (a call that waits succeeds), "OnStart", "OnEnableTutorial",
    // "OnDisableTutorial": kStatusFailed when missing or failing.
    Status RunMain();
    Status OnStart();
    Status OnEnableTutorial();
    Status OnDisableTutorial();

    CScriptBaseKest* GetMainScript() const { return m_pMainScript; }
    uint32_t GetContextCount() const { return static_cast<uint32_t>(m_contexts.size()); }
    const ScriptContext* GetContext(uint32_t index) const
    {
        return index < m_contexts.size() ? m_contexts[index] : nullptr;
    }
    uint32_t GetPendingCount() const { return m_pending.GetCount(); }

    // The common builtins' handlers (bound to the manager).
    static Status HandleTrace(void* object, ScriptBuiltinCall& call);
    static Status HandleAssert(void* object, ScriptBuiltinCall& call);
    static Status HandleRandomFloat(void* object, ScriptBuiltinCall& call);
    static Status HandleRandomLong(void* object, ScriptBuiltinCall& call);
    static Status HandleCommand(void* object, ScriptBuiltinCall& call);
    static Status HandleSendObjectMessage(void* object, ScriptBuiltinCall& call);

    // What the module runs for every builtin registered through RegisterFunction.
    static Status CallAdapter(ScriptVM* vm, ScriptModule* module, ScriptFunction* builtin, ScriptActivation* caller,
                              uint32_t hostWord, uint32_t argumentCode, uintptr_t* bound1, uintptr_t* bound2,
                              uint32_t tail, ScriptBuiltinResult* result, uint32_t fileIndex, uint32_t line);

protected:
    CNimbrelWorld* GetWorld() const;
    // Whether a queued result of the object may be delivered now; the main script needs no
    // object.
    virtual bool IsActivated(uint32_t objectNumber);

private:
    ScriptContext* ContextOf(CScriptBase* script) const;
    Status CallMainFunction(const char* name);
    void FreeHandler(ScriptContext* context, uint32_t index);
    void FreeHandlers(ScriptContext* context);
    // Drops the queued (not delivering) records of a context; of one handler unless -1.
    void DropPending(uint32_t contextIndex, int64_t handlerIndex);
    void DeleteContext(ScriptContext* context);
    // A result at the end of the queue, for the next delivery. kStatusOutOfMemory (latched).
    Status Enqueue(uint32_t contextIndex, uint32_t handlerIndex, uint32_t value);
    // Runs an entry's function with the entry's index as host word; afterwards frees the entry
    // unless kept, persistent, waiting, or (with stoppedKeeps) stopped.
    Status CallEntry(ScriptContext* context, uint32_t index, uint8_t reuse, uintptr_t* arguments,
                     uint32_t argumentCode, uint32_t resumeValue, bool keep, bool stoppedKeeps);
    // One running call of the context less; true when the context was removed meanwhile (it is
    // deleted once no call of it runs).
    bool EndCall(ScriptContext* context);
    void RequestExtraUpdate();

    std::vector<ScriptContext*> m_contexts;  // slots never move; a released one is null
    CFIFOList m_pending;                     // owns its ScriptPendingResult records
    CScriptBaseKest* m_pMainScript = nullptr;
    uint64_t m_serial = 0;                   // last serial given to an entry or a record
};
