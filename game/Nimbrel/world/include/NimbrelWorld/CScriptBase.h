#pragma once
// The game's handle on one compiled script: the main script or a scene object's script. An
// instance owns one module of the script language; the main script also owns the VM, and
// every object script is made with the main script as its shared script, so that all of them
// run in that one VM, each object module linked to the main module.
//
// Life: construct -> CreateModule -> LoadFromPack or LoadFromFile (loaded) -> calls, waits
// kept in the module -> Clear (may be loaded again) -> Release -> delete. The script manager
// makes and deletes the instances (CScriptManager::CreateScript, RemoveContext).
#include <cstdint>

#include "NimbrelScript/ScriptVM.h"
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class UtilsStream;

// The object number of the main script.
constexpr uint32_t kMainScriptObject = 0xFFFFFFFFu;
// Characters of GetLastError's buffer.
constexpr uint32_t kScriptErrorTextSize = 260;

class CScriptBase : public CBaseObject {
public:
    CScriptBase(WorldData* pWorldData, uint32_t objectNumber, uint32_t contextIndex, CScriptBase* pSharedScript)
        : CBaseObject(pWorldData), m_objectNumber(objectNumber), m_contextIndex(contextIndex),
          m_pSharedScript(pSharedScript)
    {
    }
    ~CScriptBase() override = default;

    virtual bool IsLoaded() const { return m_loaded != 0; }
    // An own VM without a shared script, then the module (linked to the shared script's).
    virtual Status CreateModule() = 0;
    // The module destroyed, and the VM when it is this instance's own; 0.
    virtual Status Release() = 0;

    // Compiles a pack entry (source text or compiled image) and runs its top-level code.
    // kStatusFailed when the pack does not hold the name (the module is left as it was), when
    // the script does not compile or its top-level code fails.
    virtual Status LoadFromPack(const char16_t* name) = 0;
    // Compiles a source file below the data folder (the name used as given), writes its
    // compiled image to `imageName`, links it and runs its top-level code. kStatusFailed.
    virtual Status LoadFromFile(const char16_t* name, const char* imageName) = 0;
    // Stops every running call of the function; an empty name stops them all.
    virtual Status StopFunction(const char* name) = 0;
    // Empties the module (its builtins stay); loaded becomes 0.
    virtual Status Clear() = 0;

    // Saved state, each block as u32 size and its bytes. The run state is preceded by the
    // event mask. Loads check the size against what the stream holds; out of memory latches
    // kStatusOutOfMemory in the world's last error code.
    virtual Status LoadGlobals(UtilsStream* pStream) = 0;
    virtual Status SaveGlobals(UtilsStream* pStream) = 0;
    virtual Status LoadRunState(UtilsStream* pStream) = 0;
    virtual Status SaveRunState(UtilsStream* pStream) = 0;
    // The variables declared "synchronized", applied by name and type to the loaded module:
    // a saved value whose variable is gone or has another type is skipped.
    virtual Status LoadSynchronized(UtilsStream* pStream) = 0;
    virtual Status SaveSynchronized(UtilsStream* pStream) = 0;

    // Registers a builtin: the module calls `adapter` with bound words (object, handler);
    // `code` holds the parameter count in its top four bits. The prototype is for readers.
    virtual Status RegisterFunction(const char* name, const char* prototype, void* object, uintptr_t handler,
                                    ScriptBuiltinFunction adapter, uint32_t code) = 0;
    virtual bool HasFunction(const char* name) = 0;
    // Runs the function through the run driver: its status unchanged (kStatusWait
    // suspended, 0x80000023 stopped, 0 ended, or a failure).
    virtual Status Call(const char* name, uint8_t reuse, uint32_t hostWord, uintptr_t* arguments,
                        uint32_t argumentCode, uint32_t resumeValue) = 0;

    // Global variables by name; `exported` searches the exported ones along the links.
    virtual Status SetLong(const char* name, uint32_t value, bool exported) = 0;
    virtual Status SetFloat(const char* name, float value, bool exported) = 0;
    virtual Status SetString(const char* name, const char* value, bool exported) = 0;
    virtual Status GetLong(const char* name, uint32_t* pValue, bool exported) = 0;
    virtual Status GetFloat(const char* name, float* pValue, bool exported) = 0;
    virtual Status GetString(const char* name, const char** pValue, bool exported) = 0;
    // The result of the builtin call the activation waits in; kStatusFailed for an index not
    // below the module's activation count.
    virtual Status SetReturnLong(uint32_t activationIndex, uint32_t value) = 0;

    virtual const char* GetFileName(uint32_t index) = 0;
    virtual uint32_t GetFileCount() = 0;
    // The VM's last error text into a buffer of kScriptErrorTextSize characters.
    virtual Status GetLastError(char16_t* buffer) = 0;

    uint32_t GetObjectNumber() const { return m_objectNumber; }
    uint32_t GetContextIndex() const { return m_contextIndex; }
    CScriptBase* GetSharedScript() const { return m_pSharedScript; }
    uint32_t GetEventMask() const { return m_eventMask; }
    void SetEventMask(uint32_t mask) { m_eventMask = mask; }

protected:
    uint8_t m_loaded = 0;
    uint32_t m_objectNumber;
    uint32_t m_contextIndex;
    CScriptBase* m_pSharedScript;
    uint32_t m_eventMask = 0;
};

class CScriptBaseKest : public CScriptBase {
public:
    CScriptBaseKest(WorldData* pWorldData, uint32_t objectNumber, uint32_t contextIndex, CScriptBase* pSharedScript);
    ~CScriptBaseKest() override;

    Status CreateModule() override;
    Status Release() override;
    Status LoadFromPack(const char16_t* name) override;
    Status LoadFromFile(const char16_t* name, const char* imageName) override;
    Status StopFunction(const char* name) override;
    Status Clear() override;
    Status LoadGlobals(UtilsStream* pStream) override;
    Status SaveGlobals(UtilsStream* pStream) override;
    Status LoadRunState(UtilsStream* pStream) override;
    Status SaveRunState(UtilsStream* pStream) override;
    Status LoadSynchronized(UtilsStream* pStream) override;
    Status SaveSynchronized(UtilsStream* pStream) override;
    Status RegisterFunction(const char* name, const char* prototype, void* object, uintptr_t handler,
                            ScriptBuiltinFunction adapter, uint32_t code) override;
    bool HasFunction(const char* name) override;
    Status Call(const char* name, uint8_t reuse, uint32_t hostWord, uintptr_t* arguments, uint32_t argumentCode,
                uint32_t resumeValue) override;
    Status SetLong(const char* name, uint32_t value, bool exported) override;
    Status SetFloat(const char* name, float value, bool exported) override;
    Status SetString(const char* name, const char* value, bool exported) override;
    Status GetLong(const char* name, uint32_t* pValue, bool exported) override;
    Status GetFloat(const char* name, float* pValue, bool exported) override;
    Status GetString(const char* name, const char** pValue, bool exported) override;
    Status SetReturnLong(uint32_t activationIndex, uint32_t value) override;
    const char* GetFileName(uint32_t index) override;
    uint32_t GetFileCount() override;
    Status GetLastError(char16_t* buffer) override;

    ScriptVM* GetVM() const { return m_pVM; }
    ScriptModule* GetModule() const { return m_pModule; }

private:
    // Runs the module's top-level code once it compiled; loaded on success.
    Status RunTopLevel();
    // The bytes of one saved block (u32 size first), checked against what the stream holds.
    Status ReadBlock(UtilsStream* pStream, uint8_t** ppBytes, uint32_t* pSize);
    // Writes u32 size and the bytes that `save` returns.
    Status WriteBlock(UtilsStream* pStream, uint8_t* (*save)(ScriptVM*, ScriptModule*, size_t*));
    Status LoadBlock(UtilsStream* pStream, Status (*load)(ScriptVM*, ScriptModule*, const void*, size_t));
    bool OwnsVM() const { return m_pSharedScript == nullptr; }

    ScriptVM* m_pVM = nullptr;
    ScriptModule* m_pModule = nullptr;
};
