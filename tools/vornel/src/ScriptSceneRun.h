#pragma once
// `vornel script run --scene`: the builtins of a scene object's script, each printing its call.
// A builtin whose name begins with '_' waits (prints "wait NAME", or "tail NAME" when nothing
// follows it); the others answer 1 or the value given with --answer. With an element-info
// file, the item lists of the calls are resolved against its object by the game's own
// iterator, and what it reports is printed.
#include <map>
#include <memory>
#include <string>

#include "NimbrelScript/ScriptVM.h"

class CObjectsBase;
struct GameData;
struct WorldData;

class CSceneRun {
public:
    CSceneRun();
    ~CSceneRun();

    // "NAME=VALUE"; false when it has no '=' or no name.
    bool AddAnswer(const std::string& option);
    // The scene object of an element-info file; false (the reason printed) when it cannot be read.
    bool LoadElements(const std::string& path);
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
};
