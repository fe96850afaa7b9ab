#pragma once
// A small scene for the tests of the scene builtins: two levels and an interface, each with
// named elements and a script given as text, loaded for real (render models on the memory
// renderer, script instances, kept commands) in a world with the script, command list,
// chapters and objects managers. The builtins' traces are kept as text; Pump runs the script
// queue as a frame does. The level changes the objects ask for are recorded, not made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MemoryBackEnd.h"
#include "NimbrelInterfaces/CObjectsInterface.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

class CBuiltinWorld;

// What the objects asked of the level navigation, in order ("level 2 -1", "restart 1", "game over").
using RequestLog = std::vector<std::string>;

// A scene object of the fixture: `Base` is a level or interface class.
template <class Base>
class CFixtureObject : public Base {
public:
    CFixtureObject(WorldData* w, uint32_t number, uint32_t typeCode, const char* name,
                   const std::vector<const char*>& elements, RequestLog* log)
        : Base(w, number, 0), m_log(log)
    {
        this->m_typeCode = typeCode;
        this->m_pName = UtilsString_DupA(name);
        SetElements(elements);
    }
    ~CFixtureObject() override { this->Release(); }

    using Base::PlayClickSound;

    // The script the object loads, compiled from text ("" for none).
    std::string source;
    uint32_t scriptLoads = 0;

    Status LoadReleaseParam(uint32_t, uint8_t) override
    {
        CScriptBaseKest* script = this->m_pScript;
        if (!script || source.empty())
            return kStatusFailed;
        ++scriptLoads;
        script->Clear();
        Status status = ScriptModule_CompileMemory(script->GetVM(), script->GetModule(), source.c_str(), source.size(),
                                                   this->m_pName);
        if (status >= 0)
            status = ScriptModule_Link(script->GetVM(), script->GetModule());
        if (status >= 0)
            status = ScriptModule_Run(script->GetVM(), script->GetModule(), nullptr, false, 0, nullptr, 0,
                                      kScriptNoResume);
        // The instance counts as loaded once its code ran.
        return status < 0 ? kStatusFailed : MarkLoaded();
    }
    bool IsScriptLoaded() const override { return m_scriptLoaded; }

    // The kind's own parameters: each call kept as "name=value" with the script's event mask.
    Status setObjectParameters(ScriptBuiltinCall& call) override
    {
        parameters.push_back(std::string(call.Text(0)) + "=" + call.Text(1));
        masks.push_back(this->m_pScript->GetEventMask());
        return kStatusDoneStoreResult;
    }
    std::vector<std::string> parameters;
    std::vector<uint32_t> masks;

    // A plain form that starts something ending a wait: the command given goes to the click
    // list of the first element.
    Status setCursor(ScriptBuiltinCall& call) override
    {
        if (call.waitCommand && Succeeded(this->AddElementClickCommand(0, *call.waitCommand)))
            call.waitTaken = 1;
        return kStatusDoneStoreResult;
    }
    // The twin of a plain form, with a fade's event.
    Status Twin(ScriptBuiltinCall& call, Status (CObjectsBase::*plain)(ScriptBuiltinCall&))
    {
        return this->RunAsWait(call, kCommandEventFade, plain);
    }

    // The kind's own commands, answered before the base's when set.
    std::function<Status(CObjectsBase*, const char*)> onCommand;
    Status OnCommand(const char* command) override
    {
        return onCommand ? onCommand(this, command) : Base::OnCommand(command);
    }

    // As the tool box interface: the scene object waiting on it (-1 none) with its activation,
    // and how often it was closed.
    int32_t toolboxCaller = -1;
    uint32_t toolboxActivation = 0;
    uint32_t toolboxCloses = 0;
    int32_t GetToolboxCaller(uint32_t* pActivation) override
    {
        *pActivation = toolboxActivation;
        return toolboxCaller;
    }
    void CloseToolbox() override { ++toolboxCloses; }

    // A rotation track of two keys of `steps` frame steps each on every element, the table made
    // as the animation file would; the listed elements get one animation of that name over both
    // keys.
    void GiveSwings(const std::vector<uint32_t>& elements, const char* animation, float steps)
    {
        this->m_pModifierTable = static_cast<C3DObjectModifier* (*)[kElementTrackKinds]>(
            UTILS_CALLOC(this->m_elementCount, sizeof(C3DObjectModifier*[kElementTrackKinds])));
        this->m_modifierRows = this->m_elementCount;
        for (uint32_t element : elements) {
            C3DModifierVectorKey keys[2] = {{0, steps, 0.0f, 0.0f, 0.0f}, {0, steps, 0.0f, 0.0f, 1.0f}};
            C3DObjectModifier* swing = CreateObjectModifier(kModifierRotation, this->m_pWorldData);
            ASSERT_EQ(swing->CreateFromKeys(nullptr, element, keys, 2, 2, 1.0f), kStatusOk);
            this->m_pModifierTable[element][kModifierRotation] = swing;
            ElementRecord* e = this->GetItemRecord(element);
            e->pTracks = static_cast<AnimationTrack*>(UTILS_CALLOC(1, sizeof(AnimationTrack)));
            e->pTracks[0] = AnimationTrack{kModifierRepeat, 0, 0, 0, 1, UtilsString_DupA(animation)};
            e->trackCount = 1;
        }
    }
    void SetTypeCode(uint32_t code) { this->m_typeCode = code; }
    void SetReleaseMode(uint32_t mode) { this->m_releaseMode = mode; }
    void SetWanted(uint8_t wanted) { this->m_wanted = wanted; }
    void SetLocked(uint8_t locked) { this->m_locked = locked; }
    void SetLastMark(int32_t mark) { this->m_lastMark = mark; }
    void SetOverlay(uint8_t overlay) { this->m_overlay = overlay; }
    void SetModelLoaded(uint8_t loaded) { this->m_loaded = loaded; }

protected:
    Status RequestLevel(int32_t level, int32_t chapter, uint8_t reload) override
    {
        m_log->push_back("level " + std::to_string(level) + " " + std::to_string(chapter) + " " +
                         std::to_string(reload));
        return kStatusOk;
    }
    Status RestartObjectActivity(uint32_t index) override
    {
        m_log->push_back("restart " + std::to_string(index));
        return kStatusOk;
    }
    Status GameOver() override
    {
        m_log->push_back("game over");
        return kStatusOk;
    }

private:
    Status MarkLoaded()
    {
        m_scriptLoaded = true;
        return kStatusOk;
    }
    // Elements by name, with the sorted name index the lookups bisect.
    void SetElements(const std::vector<const char*>& names)
    {
        const uint32_t count = uint32_t(names.size());
        this->m_pElements = this->AllocElements(count);
        this->m_elementCount = count;
        this->m_pNameIndex = static_cast<uint32_t*>(UTILS_CALLOC(count ? count : 1, sizeof(uint32_t)));
        std::vector<uint32_t> order;
        for (uint32_t i = 0; i < count; ++i) {
            ElementRecord* e = this->GetItemRecord(i);
            CObjectsBase::ResetElement(e);
            e->index = i;
            e->pName = UtilsString_DupA(names[i]);
            order.push_back(i);
        }
        std::sort(order.begin(), order.end(),
                  [&](uint32_t a, uint32_t b) { return std::strcmp(names[a], names[b]) < 0; });
        std::copy(order.begin(), order.end(), this->m_pNameIndex);
        this->ResizeElementCommandLists(count);
    }

    RequestLog* m_log;
    bool m_scriptLoaded = false;
};

using CFixtureLevel = CFixtureObject<CObjectsLevelExploration>;
using CFixtureEmptyLevel = CFixtureObject<CObjectsLevelEmpty>;
using CFixtureInterface = CFixtureObject<CObjectsInterface>;

// An objects manager that takes the fixture's objects as the construction would.
class CFixtureObjects : public CObjectsManager {
public:
    using CObjectsManager::CObjectsManager;
    ~CFixtureObjects() override { m_objectCount = 0; }

    void Adopt(const std::vector<CObjectsBase*>& objects)
    {
        m_ppObjects = static_cast<CObjectsBase**>(UTILS_CALLOC(objects.size() + 1, sizeof(CObjectsBase*)));
        for (size_t i = 0; i < objects.size(); ++i)
            m_ppObjects[i] = objects[i];
        m_objectCount = uint32_t(objects.size());
        BuildNameIndex();
    }
    void SetInterface(uint32_t role, uint32_t index) { m_interfaces[role] = index; }
    // The objects stay the fixture's: only the arrays go.
    void Forget()
    {
        UTILS_FREE(m_ppObjects);
        m_ppObjects = nullptr;
        m_objectCount = 0;
    }
};

// The world of the fixture, with every trace of a builtin as "builtin: text".
class CBuiltinWorld : public CNimbrelWorld {
public:
    CBuiltinWorld()
    {
        WorldData* w = GetWorldData();
        m_math = std::make_unique<C3DMath>(w);
        w->pMath = m_math.get();
        m_engine = std::make_unique<CMemoryEngine>(w);
        w->p3DEngine = m_engine.get();
        w->pGame->traceSink = Capture;
        w->pGame->traceContext = this;
        SetManager(kManagerScript, new CScriptManager(w));
        SetManager(kManagerCommandList, new CCommandListManager(w));
        SetManager(kManagerChapters, new CChaptersManager(w));
        SetManager(kManagerObjects, new CFixtureObjects(w));
        SetManager(kManagerFade, new CFadeManager(w));
    }
    ~CBuiltinWorld() override
    {
        // Fades end on their elements: before the objects go.
        SetManager(kManagerFade, nullptr);
        Objects()->Forget();
        hall.reset();
        frame.reset();
        bar.reset();
        SetManager(kManagerObjects, nullptr);
        SetManager(kManagerScript, nullptr);
        SetManager(kManagerCommandList, nullptr);
        SetManager(kManagerChapters, nullptr);
        m_engine->Unload();
        GetWorldData()->p3DEngine = nullptr;
    }

    CFixtureObjects* Objects() const { return static_cast<CFixtureObjects*>(GetObjectsManager()); }
    CScriptManager* Scripts() const { return GetScriptManager(); }
    // The font the world draws its texts with (null: none); the test owns it.
    void SetMainFont(CVornelFont* pFont) { m_pMainFont = pFont; }

    // The chapters of the construction: `count` of them, the first current.
    void SetChapters(uint32_t count, uint8_t flag = 0)
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        stream.Write(&count, 4, 1);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t entry[2] = {100 + i, 0};
            stream.Write(entry, 4, 2);
        }
        stream.Write(&flag, 1, 1);
        stream.Seek(0, 0);
        GetChaptersManager()->Load(&stream);
        GetChaptersManager()->SetCurrentChapter(0);
        stream.Close();
    }

    // The main script, then "hall" (0, exploration), "frame" (1, empty level) and "bar" (2, the
    // labels interface, a resident kind), loaded with
    // their elements; each object's script from the given text (not loaded yet).
    void Build(const std::string& hallScript, const std::string& frameScript = "",
               const std::string& barScript = "")
    {
        // The main script's VM, which every object script runs in; its file is not in this world.
        Scripts()->Init();
        ASSERT_NE(Scripts()->GetMainScript(), nullptr);
        WorldData* w = GetWorldData();
        hall = std::make_unique<CFixtureLevel>(w, 0, kObjectKindExploration, "hall",
                                               std::vector<const char*>{"key", "candle", "book"}, &requests);
        frame = std::make_unique<CFixtureEmptyLevel>(w, 1, kObjectKindEmpty, "frame",
                                                     std::vector<const char*>{"corner", "edge"}, &requests);
        bar = std::make_unique<CFixtureInterface>(w, 2, kObjectKindLabels, "bar", std::vector<const char*>{"slot"},
                                                  &requests);
        hall->source = hallScript;
        frame->source = frameScript;
        bar->source = barScript;
        Objects()->Adopt({hall.get(), frame.get(), bar.get()});
        for (CObjectsBase* object : {static_cast<CObjectsBase*>(hall.get()), static_cast<CObjectsBase*>(frame.get()),
                                     static_cast<CObjectsBase*>(bar.get())})
            ASSERT_EQ(object->Load(), kStatusOk) << object->GetName();
        Objects()->SetCurrentObject(hall.get());
    }

    // One frame of the script queue.
    void Pump() { Scripts()->Update(); }
    // Frames of `seconds` each as the game runs them: the fades step, then the script queue.
    void Frames(uint32_t count, double seconds = 1.0 / 30.0)
    {
        GetWorldData()->frameTime = seconds * 30.0;
        for (uint32_t i = 0; i < count; ++i) {
            Fades()->Update();
            Pump();
        }
    }
    CFadeManager* Fades() const { return static_cast<CFadeManager*>(GetManager(kManagerFade)); }

    // Runs a function of an object's script; its status.
    static Status Call(CObjectsBase* object, const char* name)
    {
        return object->CallScriptFunction(name, 0x0FFFFFFFu, 0, nullptr, 0);
    }
    static uint32_t Global(CObjectsBase* object, const char* name)
    {
        uint32_t value = 0xDEADu;
        object->GetScript()->GetLong(name, &value, false);
        return value;
    }
    static std::string GlobalText(CObjectsBase* object, const char* name)
    {
        const char* value = nullptr;
        object->GetScript()->GetString(name, &value, false);
        return value ? value : "(none)";
    }

    bool IsObjectActivated(uint32_t number) override
    {
        CObjectsBase* object = Objects()->GetObject(number);
        return object && object->IsWanted();
    }

    std::unique_ptr<CFixtureLevel> hall;
    std::unique_ptr<CFixtureEmptyLevel> frame;
    std::unique_ptr<CFixtureInterface> bar;
    RequestLog requests;
    std::vector<std::string> traces;
    std::vector<uint32_t> severities;

private:
    static void Capture(void* context, const BuiltinTrace& trace, const char* format, va_list args)
    {
        char text[512];
        UtilsString_VFormatA(text, sizeof text, format, args);
        auto* world = static_cast<CBuiltinWorld*>(context);
        world->traces.push_back(std::string(trace.builtin) + ": " + text);
        world->severities.push_back(trace.severity);
    }

    std::unique_ptr<C3DMath> m_math;
    std::unique_ptr<CMemoryEngine> m_engine;
};
