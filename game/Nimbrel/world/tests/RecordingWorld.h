#pragma once
// A game world whose managers and manager questions write what they are asked into one trace,
// so that a test can compare a frame, a load or an unload with the order it must follow.
#include <string>
#include <vector>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/UtilsString.h"

using Trace = std::vector<std::string>;

class RecordingManager : public CManagedObject {
public:
    RecordingManager(WorldData* w, Trace* trace, std::string name, bool failLoad = false, bool failReload = false)
        : CManagedObject(w), m_trace(trace), m_name(std::move(name)), m_failLoad(failLoad), m_failReload(failReload)
    {
    }
    Status Reload() override
    {
        m_trace->push_back(m_name + ".Reload");
        return m_failReload ? kStatusFailed : kStatusOk;
    }
    Status Load() override
    {
        m_trace->push_back(m_name + ".Load");
        return m_failLoad ? kStatusFailed : kStatusOk;
    }
    Status Unload() override
    {
        m_trace->push_back(m_name + ".Unload");
        return kStatusOk;
    }
    void Update() override { m_trace->push_back(m_name + ".Update"); }
    void Render() override { m_trace->push_back(m_name + ".Render"); }
    const std::string& Name() const { return m_name; }

private:
    Trace* m_trace;
    std::string m_name;
    bool m_failLoad;
    bool m_failReload;
};

class RecordingWorld : public CNimbrelWorld {
public:
    Trace trace;
    bool transitionActive = false;
    bool transitionFirstHalf = false;
    bool fadeZero = true;
    bool splashEnded = false;
    uint32_t levelTypeCode = 0;
    bool makeManagers = false;    // NewManager makes recording managers
    int32_t failingSlot = -1;     // the manager whose load fails
    uint32_t nestedFrames = 0;
    std::vector<uint32_t> progress;  // the bar position at each step

    // The managers go while the trace they write to is still there.
    ~RecordingWorld() override
    {
        for (int32_t slot = 0; slot < kManagerCount; ++slot)
            SetManager(slot, nullptr);
    }

    static std::string Name(int32_t slot) { return UtilsString_ToUtf8(WorldManagerName(slot)); }

    // Every slot filled with a recording manager.
    void FillManagers()
    {
        for (int32_t slot = 0; slot < kManagerCount; ++slot)
            SetManager(slot, new RecordingManager(GetWorldData(), &trace, Name(slot)));
    }

    using CNimbrelWorld::CreateManager;

protected:
    Status StartTransition(uint32_t kind, uint32_t) override
    {
        trace.push_back("StartTransition " + std::to_string(kind));
        return kStatusOk;
    }
    bool IsScreenTransitionActive() override { return transitionActive; }
    bool IsScreenTransitionFirstHalf() override { return transitionFirstHalf; }
    bool IsFadeValueZero() override { return fadeZero; }
    void AdvanceSplash() override { trace.push_back("AdvanceSplash"); }
    void CheckSplashEnd() override { trace.push_back("CheckSplashEnd"); }
    bool HasSplashEnded() override { return splashEnded; }
    void ReleaseSplashImage() override { trace.push_back("ReleaseSplashImage"); }
    void ZoomStep(uint32_t reset) override { trace.push_back("ZoomStep " + std::to_string(reset)); }
    uint32_t CurrentLevelTypeCode() override { return levelTypeCode; }
    uint32_t CurrentObjectTypeCode() override { return levelTypeCode; }
    void SkipCurrentLevel(uint8_t withControl) override
    {
        trace.push_back("SkipCurrentLevel " + std::to_string(withControl));
    }
    void ProfileFrameStep() override { trace.push_back("ProfileFrameStep"); }
    void SurroundSplashEnd() override { trace.push_back("SurroundSplashEnd"); }
    void SurroundEndFrame() override { trace.push_back("SurroundEndFrame"); }
    void BeginDefaultShader() override { trace.push_back("BeginDefaultShader"); }
    void EndDefaultShader() override { trace.push_back("EndDefaultShader"); }
    void RenderParticles(int32_t layer) override { trace.push_back("RenderParticles " + std::to_string(layer)); }
    void ProgressBarStep() override { progress.push_back(GetProgressPosition()); }
    Status SetUpParticles(const float* sizes, const int32_t* kinds, uint32_t count, uint32_t blend) override
    {
        std::string line = "SetUpParticles";
        for (uint32_t i = 0; i < count; ++i)
            line += " " + std::to_string(int(sizes[i])) + "/" + std::to_string(kinds[i]);
        trace.push_back(line + " blend " + std::to_string(blend));
        return kStatusOk;
    }
    Status SetUpTouchScreen(float halfWidth, uint32_t color, const char16_t* section, const char16_t* key) override
    {
        char text[128];
        std::snprintf(text, sizeof text, "SetUpTouchScreen %g %08X %s %s", halfWidth, color,
                      UtilsString_ToUtf8(section).c_str(), UtilsString_ToUtf8(key).c_str());
        trace.push_back(text);
        return kStatusOk;
    }
    Status RunMainScript() override
    {
        trace.push_back("RunMainScript");
        return kStatusOk;
    }
    CManagedObject* NewManager(int32_t slot) override
    {
        if (!makeManagers)
            return nullptr;
        trace.push_back("new " + Name(slot));
        return new RecordingManager(GetWorldData(), &trace, Name(slot), slot == failingSlot);
    }
    Status RunNestedFrame() override
    {
        ++nestedFrames;
        return kStatusOk;
    }
};
