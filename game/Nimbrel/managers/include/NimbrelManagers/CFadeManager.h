#pragma once
// Every timed change of one element: fading it in or out, throwing it with the speed of the
// drag that released it, dissolving it through the shader transition, or raising it above its
// sister elements. A fade fires the command it carries when it ends, which is how a script
// waiting for a click or a change goes on.
#include <cstdint>

#include "NimbrelManagers/CTimedItems.h"
#include "NimbrelManagers/FadeModes.h"

// Kinds: 1 alpha fade, 2 throw, 3 throw along one axis with wrap, 4 shader dissolve, 5 the
// dissolve's stand-in without shaders (an alpha fade out).
enum FadeKind : uint32_t { kFadeAlpha = 1, kFadeThrow = 2, kFadeThrowAxis = 3, kFadeDissolve = 4, kFadeDissolveAlpha = 5 };

class CFadeItem : public CTimedItem {
public:
    using CTimedItem::CTimedItem;
    void Finish() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
};

// Kinds 1 and 5.
class CFadeItem1 : public CFadeItem {
public:
    CFadeItem1(WorldData* w, uint32_t kind, uint32_t object, uint32_t element, float seconds,
               const CommandHandle* pCommand, uint8_t show)
        : CFadeItem(w, kind, object, element, seconds, pCommand), m_show(show)
    {
    }
    Status Update() override;
    void Finish() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
    void Describe(std::string& text) const override;

protected:
    void StepAlpha(ElementRecord* pElement);
    uint8_t m_show;
};

// Kind 2: the drag offset moves by a speed that decays each frame; optionally fading out.
class CFadeItem2 : public CFadeItem1 {
public:
    CFadeItem2(WorldData* w, uint32_t kind, uint32_t object, uint32_t element, float seconds,
               const CommandHandle* pCommand, uint8_t hideWhileMoving, float vx, float vy, float damping)
        : CFadeItem1(w, kind, object, element, seconds, pCommand, 0), m_hideWhileMoving(hideWhileMoving),
          m_velocityX(vx), m_velocityY(vy), m_damping(damping)
    {
    }
    Status Update() override;
    void Finish() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
    void Describe(std::string& text) const override;

protected:
    uint8_t m_hideWhileMoving;
    float m_velocityX, m_velocityY, m_damping;
};

// Kind 3: along one axis, wrapped to the element's loop.
class CFadeItem3 : public CFadeItem2 {
public:
    CFadeItem3(WorldData* w, uint32_t object, uint32_t element, float seconds, const CommandHandle* pCommand,
               uint8_t axis, float vx, float vy, float damping)
        : CFadeItem2(w, kFadeThrowAxis, object, element, seconds, pCommand, 0, vx, vy, damping), m_axis(axis),
          m_ownX(vx), m_ownY(vy), m_ownDamping(damping)
    {
    }
    Status Update() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
    void Describe(std::string& text) const override;

private:
    uint8_t m_axis;
    float m_ownX, m_ownY, m_ownDamping;
};

// Kind 4: the progress the element's draw hands to the shader dissolve.
class CFadeItem4 : public CFadeItem {
public:
    CFadeItem4(WorldData* w, uint32_t object, uint32_t element, float seconds, const CommandHandle* pCommand)
        : CFadeItem(w, kFadeDissolve, object, element, seconds, pCommand)
    {
    }
    Status Update() override;
    void Finish() override;
    float GetProgress() const { return m_progress; }

private:
    float m_progress = 0.0f;
};

class CFadeManager : public CTimedItemManager {
public:
    explicit CFadeManager(WorldData* pWorldData) : CTimedItemManager(pWorldData) {}
    ~CFadeManager() override;

    // A fade of `mode` on the element: its id, or 0 when no item runs (a forced change, a
    // superposition, a mode without a known bit, or a failure). A command is carried only by
    // an item that runs.
    uint32_t AddFade(uint32_t mode, float seconds, uint32_t objectIndex, uint32_t elementIndex,
                     const CommandHandle* pCommand);
    CFadeItem* GetFade(uint32_t id) const { return static_cast<CFadeItem*>(GetItem(id)); }
    void RemoveFade(uint32_t id) { RemoveItem(id); }

    // Chunk 130000.
    Status LoadFromStream(UtilsStream_Chunk* pChunk) { return LoadItemsFromStream(pChunk); }
    Status SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pChunk) { return SaveItemsToStream(pChunk); }

protected:
    CTimedItem* NewItem(uint32_t kind) override;
    // The speed and damping of the drag just released.
    virtual void GetThrow(float* pVelocityX, float* pVelocityY, float* pDamping);
    // The renderer dissolves through its shader.
    virtual bool CanDissolve();

private:
    void Superpose(uint32_t objectIndex, uint32_t elementIndex);
};

