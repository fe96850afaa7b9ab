#pragma once
// The click effect (type code 262): one animated element of this object, registered by a
// scene script, plays over every element that a click finds (its item dissolving), one copy
// of its animation per click, drawn with the clicked object until the animation ends. The
// element itself is never drawn where it stands.
#include "NimbrelInterfaces/CObjectsInterface.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/FIFOList.h"

// One playing copy: where it plays and its own playback of each of the element's tracks.
struct ClickEffectCopy {
    uint32_t object;
    uint32_t element;
    C3DModifierState* pTracks[kElementTrackKinds];  // owned; null where the track does not exist
};

class CObjectsInterfaceEffects : public CObjectsInterface {
public:
    CObjectsInterfaceEffects(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceEffects() override;

    Status Release() override;
    // The marks, one per scene object of the game.
    Status CheckSetup() override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    Status getObjectParameters(ScriptBuiltinCall& call) override;

    // A copy of the effect over the element: kStatusFailed before the effect is registered
    // with its tracks and before the marks exist; kStatusOutOfMemory.
    Status StartClickEffect(CObjectsBase* pObject, const ElementRecord* pElement);
    // The copies playing over that object, each a frame on; those that end are dropped.
    void DrawClickEffects(uint32_t objectNumber);
    // Every copy dropped; the tracks play their own state again.
    void ResetClickEffects();

    // The registered object and element after the base state: -1 and -1, or this object and one
    // of its elements; any other pair is refused (kStatusFailed) and nothing changes.
    Status SaveClickEffectState(UtilsStream_Chunk* pChunk);
    Status LoadClickEffectState(UtilsStream_Chunk* pChunk);

    int32_t GetEffectElement() const { return m_effectElement; }
    uint32_t GetRunningCount() { return m_running.GetCount(); }

private:
    Status AllocateMarks();
    void FreeCopy(ClickEffectCopy* pCopy);
    void UseTracks(C3DModifierState* const* pStates);
    // The effect element, its own position taken out, at the clicked element of the object.
    void PlaceAt(ElementRecord* pEffect, const ElementRecord* pClicked);

    int32_t m_effectObject = -1;
    int32_t m_effectElement = -1;
    CFIFOList m_running;
    uint8_t* m_pMarks = nullptr;
    uint32_t m_markCount = 0;
};
