#pragma once
// `vornel script run --scene`: the builtins of a scene object's script, each printing its call.
// A builtin whose name begins with '_' waits (prints "wait NAME", or "tail NAME" when nothing
// follows it); the others answer 1 or the value given with --answer. With an element-info
// file, the item lists of the calls are resolved against its object by the game's own
// iterator, and what it reports is printed.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelScript/ScriptVM.h"

class CObjectsBase;
struct GameData;
struct WorldData;

class CSceneRun {
public:
    // A builtin that a caller answers itself, after its call was printed: its texts (numbers
    // as digits) and whether nothing of its function follows; true with the builtin's status
    // in *pStatus when it was taken.
    using Taker = std::function<bool(const std::string& name, const std::vector<std::string>& texts, uint32_t tail,
                                     Status* pStatus)>;

    CSceneRun();
    ~CSceneRun();

    // "NAME=VALUE"; false when it has no '=' or no name.
    bool AddAnswer(const std::string& option);
    // The scene object of an element-info file; false (the reason printed) when it cannot be read.
    bool LoadElements(const std::string& path);
    // The same with the object made as the factory makes `typeCode` (a level kind).
    bool LoadElements(const std::string& path, uint32_t typeCode);
    CObjectsBase* Object() const { return m_object.get(); }
    WorldData* World() const { return m_world.get(); }
    void SetTaker(Taker taker) { m_taker = std::move(taker); }
    // The six builtins every script has and those of a scene object, in the game's order.
    bool Register(ScriptVM* vm, ScriptModule* module);

private:
    static Status Call(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller,
                       uint32_t hostWord, uint32_t argumentCode, uintptr_t* bound1, uintptr_t* bound2, uint32_t tail,
                       ScriptBuiltinResult* result, uint32_t fileIndex, uint32_t line);
    // Resolves one item list through the object, so that its reports are printed.
    void ResolveItems(const char* builtin, const char* list, uint32_t fileIndex, uint32_t line);

    std::map<std::string, std::string> m_answers;
    std::unique_ptr<WorldData> m_world;
    GameData* m_pGame = nullptr;
    std::unique_ptr<CObjectsBase> m_object;
    Taker m_taker;
};

// A new module linked to `linked`, with the scene builtins of `scene` (or, without one, the
// host builtins of `script run`), compiled from `path` (a source or a compiled image) and
// linked; its top-level code runs unless `runTopLevel` is false. Null after printing the
// error, with the exit status in *exitCode.
ScriptModule* LoadRunModule(ScriptVM* vm, ScriptModule* linked, const std::string& path, bool runTopLevel,
                            CSceneRun* scene, int* exitCode);
// Prints the VM's error (or the status in words) as "error TEXT"; the exit status, 1.
int PrintScriptError(ScriptVM* vm, Status status);
