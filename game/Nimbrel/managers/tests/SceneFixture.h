#pragma once
// A game world with one scene object of five elements (0 to 4, all shown, drawn in index
// order) at number 1, a command list manager, and a command target at number 9 that counts
// the commands it is told of.
#include <map>
#include <memory>

#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"

class CountingTarget : public CCommandTarget {
public:
    using CCommandTarget::CCommandTarget;
    bool OnBurnCommand(const CommandHandle&, uint32_t, int32_t, int32_t, int32_t c) override
    {
        ++burns;
        lastWord = c;
        return true;
    }
    int burns = 0;
    int32_t lastWord = 0;
};

class FiveElementLevel : public CObjectsLevelExploration {
public:
    explicit FiveElementLevel(WorldData* w) : CObjectsLevelExploration(w, 1, 0)
    {
        m_pElements = AllocElements(5);
        m_elementCount = 5;
        for (uint32_t i = 0; i < 5; ++i) {
            ElementRecord* e = GetItemRecord(i);
            ResetElement(e);
            e->index = i;
            e->drawSlot = i;
            e->alpha = 1.0f;
            e->size[0] = 90.0f;
            e->size[1] = 60.0f;
        }
    }
    ~FiveElementLevel() override { Release(); }
    ElementRecord* At(uint32_t i) { return GetItemRecord(i); }
};

class SceneFixtureWorld : public CNimbrelWorld {
public:
    SceneFixtureWorld()
    {
        SetManager(kManagerCommandList, new CCommandListManager(GetWorldData()));
        GetWorldData()->frameTime = 1.0;
        level = std::make_unique<FiveElementLevel>(GetWorldData());
        target = std::make_unique<CountingTarget>(GetWorldData());
    }
    ~SceneFixtureWorld() override
    {
        // The animators first: their ends still reach the elements and the commands.
        for (int32_t slot = kManagerCount - 1; slot >= 0; --slot)
            SetManager(slot, nullptr);
    }
    CCommandTarget* GetCommandTarget(uint32_t number) override
    {
        return number == 1 ? static_cast<CCommandTarget*>(level.get()) : number == 9 ? target.get() : nullptr;
    }
    bool IsObjectActivated(uint32_t number) override { return number == 1 || number == 9; }

    // A command for the target at 9.
    CommandHandle NewCommand()
    {
        CommandHandle handle{};
        GetCommandListManager()->AddCommand(9, 0, 1, 0, 0, 0, 0, &handle);
        return handle;
    }

    std::unique_ptr<FiveElementLevel> level;
    std::unique_ptr<CountingTarget> target;
};
