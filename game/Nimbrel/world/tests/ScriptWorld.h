#pragma once
// A game world with a script manager and a command list manager and stand-ins for the scene
// objects they reach: objects by number, each with an activated flag and, as a command
// target, the scene object's answer to a waiting script's command (kind 3 queues the result).
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"

class TestObject : public CCommandTarget {
public:
    TestObject(WorldData* w, uint32_t number) : CCommandTarget(w), number(number) {}

    bool OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a, int32_t b, int32_t c) override
    {
        ++burns;
        if (onBurn)
            onBurn();
        if (!accept)
            return false;
        if (handle.kind == kCommandResumeWait && script)
            return scripts->QueueResult(script, handle.word3, static_cast<uint32_t>(c)) >= 0;
        return true;
    }

    uint32_t number;
    bool accept = true;
    bool activated = true;
    int burns = 0;
    std::function<void()> onBurn;
    CScriptManager* scripts = nullptr;
    CScriptBaseKest* script = nullptr;
};

class ScriptWorld : public CNimbrelWorld {
public:
    ScriptWorld()
    {
        SetManager(kManagerScript, new CScriptManager(GetWorldData()));
        SetManager(kManagerCommandList, new CCommandListManager(GetWorldData()));
        UtilsRandom_Seed(GetWorldData(), 5489);
    }
    ~ScriptWorld() override
    {
        SetManager(kManagerScript, nullptr);
        SetManager(kManagerCommandList, nullptr);
        for (auto& [number, object] : objects)
            delete object;
    }

    CScriptManager* Scripts() const { return GetScriptManager(); }
    CCommandListManager* Commands() const { return GetCommandListManager(); }

    TestObject* AddObject(uint32_t number)
    {
        auto* object = new TestObject(GetWorldData(), number);
        object->scripts = Scripts();
        objects[number] = object;
        return object;
    }

    CCommandTarget* GetCommandTarget(uint32_t number) override
    {
        auto found = objects.find(number);
        return found == objects.end() ? nullptr : found->second;
    }
    bool IsObjectActivated(uint32_t number) override
    {
        auto found = objects.find(number);
        return found != objects.end() && found->second->activated;
    }

    std::map<uint32_t, TestObject*> objects;
};

// Compiles source text into an instance's module (its builtins registered before) and runs its
// top-level code.
inline Status LoadSource(CScriptBaseKest* script, const char* source)
{
    Status status = ScriptModule_CompileMemory(script->GetVM(), script->GetModule(), source, std::strlen(source),
                                               "test.script");
    if (status >= 0)
        status = ScriptModule_Link(script->GetVM(), script->GetModule());
    if (status >= 0)
        status = ScriptModule_Run(script->GetVM(), script->GetModule(), nullptr, false, 0, nullptr, 0,
                                  kScriptNoResume);
    return status;
}

inline uint32_t GlobalLong(CScriptBase* script, const char* name)
{
    uint32_t value = 0xDEADu;
    script->GetLong(name, &value, false);
    return value;
}

inline std::string LastError(CScriptBase* script)
{
    char16_t text[kScriptErrorTextSize];
    script->GetLastError(text);
    return UtilsString_ToUtf8(text);
}
