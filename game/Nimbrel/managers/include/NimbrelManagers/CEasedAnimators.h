#pragma once
// Elements (or whole scene objects) carried from their current scale or position key to
// another over time, along a named easing curve; the rotation manager keeps the place for
// rotation animators, of which there is no kind. Each animator may carry a command that fires
// at its end, so a waiting builtin resumes its script when the move is over.
#include <cstdint>

#include "NimbrelManagers/CTimedItems.h"
#include "VornelUtils/UtilsEasing.h"

constexpr uint32_t kEaseKind = 1;
// An element index that names the scene object itself.
constexpr uint32_t kWholeObject = 0xFFFFFFFFu;

// What a scale and a move share: the progress along the curve, read backwards (after a
// fraction u of the duration the progress is 1 - curve(1 - u)).
class CEaseItem : public CTimedItem {
public:
    CEaseItem(WorldData* w, uint32_t targetKey, int32_t easing, float seconds, uint32_t object, uint32_t element,
              const CommandHandle* pCommand);
    Status Update() override;
    void Describe(std::string& text) const override;
    uint32_t GetTargetKey() const { return m_targetKey; }
    float GetProgress() const { return m_progress; }

protected:
    // Sets the offset for the progress.
    virtual void Apply() = 0;
    bool ReadTiming(UtilsStream_Chunk* pChunk);
    bool WriteTiming(UtilsStream_Chunk* pChunk) const;
    bool ReadCurve(UtilsStream_Chunk* pChunk);
    bool WriteCurve(UtilsStream_Chunk* pChunk) const;

    uint32_t m_targetKey;
    float m_remaining = 1.0f;
    float m_progress = 0.0f;
    int32_t m_easing;
};

class CScalingItemEase : public CEaseItem {
public:
    using CEaseItem::CEaseItem;
    Status Start() override;
    void Finish() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
    bool Attach() override;
    void Describe(std::string& text) const override;

protected:
    void Apply() override;

private:
    float m_delta = 0.0f;
};

class CPositionEase : public CEaseItem {
public:
    using CEaseItem::CEaseItem;
    Status Start() override;
    void Finish() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
    bool IsValid() override;
    bool Attach() override;
    void Describe(std::string& text) const override;

protected:
    void Apply() override;

private:
    float* Offset();
    float m_delta[3] = {};
};

class CScalingManager : public CTimedItemManager {
public:
    explicit CScalingManager(WorldData* w) : CTimedItemManager(w) {}
    ~CScalingManager() override;
    // Scales the element to its key `targetKey`: the id, or 0.
    uint32_t AddScaling(uint32_t targetKey, int32_t easing, float seconds, uint32_t objectIndex, uint32_t elementIndex,
                        const CommandHandle* pCommand);
    // Chunk 110000.
    Status LoadFromStream(UtilsStream_Chunk* pChunk) { return LoadItemsFromStream(pChunk); }
    Status SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pChunk) { return SaveItemsToStream(pChunk); }

protected:
    CTimedItem* NewItem(uint32_t kind) override;
    bool IsPaused(CTimedItem* pItem) override;
};

class CPositionManager : public CTimedItemManager {
public:
    explicit CPositionManager(WorldData* w) : CTimedItemManager(w) {}
    ~CPositionManager() override;
    // Moves the element, or the scene object for kWholeObject, to its key `targetKey`.
    uint32_t AddMove(uint32_t targetKey, int32_t easing, float seconds, uint32_t objectIndex, uint32_t elementIndex,
                     const CommandHandle* pCommand);
    // Chunk 100000.
    Status LoadFromStream(UtilsStream_Chunk* pChunk) { return LoadItemsFromStream(pChunk); }
    Status SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pChunk) { return SaveItemsToStream(pChunk); }

protected:
    CTimedItem* NewItem(uint32_t kind) override;
    bool IsPaused(CTimedItem* pItem) override;
};

// No rotation animator exists: AddRotation makes nothing, and chunk 90000 is empty.
class CRotationManager : public CTimedItemManager {
public:
    explicit CRotationManager(WorldData* w) : CTimedItemManager(w) {}
    ~CRotationManager() override;
    uint32_t AddRotation(uint32_t, float, uint32_t, uint32_t, const CommandHandle*) { return 0; }
    Status LoadFromStream(UtilsStream_Chunk*);
    Status SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk*) { return kStatusOk; }

protected:
    CTimedItem* NewItem(uint32_t) override { return nullptr; }
};
