#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"

#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

using namespace ChunkField;

CObjectsInterfaceEffects::CObjectsInterfaceEffects(WorldData* pWorldData, uint32_t objectNumber,
                                                   uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindEffects;
}

CObjectsInterfaceEffects::~CObjectsInterfaceEffects()
{
    ResetClickEffects();
    UTILS_FREE(m_pMarks);
}

Status CObjectsInterfaceEffects::Release()
{
    ResetClickEffects();
    return CObjectsInterface::Release();
}

Status CObjectsInterfaceEffects::AllocateMarks()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    const uint32_t count = objects ? objects->GetObjectCount() : 0;
    UTILS_FREE(m_pMarks);
    m_pMarks = nullptr;
    m_markCount = 0;
    if (count == 0)
        return kStatusOk;
    m_pMarks = static_cast<uint8_t*>(UTILS_CALLOC(count, 1));
    if (!m_pMarks)
        return OutOfMemory();
    m_markCount = count;
    return kStatusOk;
}

Status CObjectsInterfaceEffects::CheckSetup()
{
    ResetClickEffects();
    return AllocateMarks();
}

Status CObjectsInterfaceEffects::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    if (!word || std::strcmp(word, "register_click_effect") != 0)
        return kStatusDoneStoreResult;
    const char* value = call.Text(1);
    const int32_t element = value ? FindElementByName(value) : -1;
    if (element < 0) {
        TraceCall(call, kTraceError, "no element %s for the click effect", value ? value : "");
        return kStatusFailed;
    }
    ResetClickEffects();
    m_effectObject = int32_t(m_objectNumber);
    m_effectElement = element;
    // It plays only through its copies.
    GetItemRecord(uint32_t(element))->noDraw = 1;
    return kStatusDoneStoreResult;
}

Status CObjectsInterfaceEffects::getObjectParameters(ScriptBuiltinCall&)
{
    return kStatusFailed;
}

Status CObjectsInterfaceEffects::StartClickEffect(CObjectsBase* pObject, const ElementRecord* pElement)
{
    const uint32_t number = pObject ? pObject->GetObjectNumber() : 0;
    // The marks come with the game's objects: a click before them has nowhere to play.
    if (!pObject || !pElement || m_effectElement < 0 || uint32_t(m_effectElement) >= m_elementCount ||
        number >= m_markCount)
        return kStatusFailed;
    const auto effect = uint32_t(m_effectElement);
    bool tracks = false;
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
        tracks = tracks || GetElementTrack(effect, kind);
    if (!tracks)
        return kStatusFailed;
    auto* copy = static_cast<ClickEffectCopy*>(UTILS_CALLOC(1, sizeof(ClickEffectCopy)));
    if (!copy)
        return OutOfMemory();
    copy->object = number;
    copy->element = pElement->index;
    // Every copy plays from the start of the element's animation.
    RestartElementTrack(effect);
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
        C3DObjectModifier* track = GetElementTrack(effect, kind);
        if (!track)
            continue;
        copy->pTracks[kind] = static_cast<C3DModifierState*>(UTILS_MALLOC(sizeof(C3DModifierState)));
        if (!copy->pTracks[kind]) {
            FreeCopy(copy);
            return OutOfMemory();
        }
        *copy->pTracks[kind] = track->GetState();
    }
    if (Failed(m_running.Add(copy, 0))) {
        FreeCopy(copy);
        return OutOfMemory();
    }
    m_pMarks[number] = 1;
    return kStatusOk;
}

void CObjectsInterfaceEffects::UseTracks(C3DModifierState* const* pStates)
{
    if (m_effectElement < 0)
        return;
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
        if (C3DObjectModifier* track = GetElementTrack(uint32_t(m_effectElement), kind))
            track->UseState(pStates ? pStates[kind] : nullptr);
}

void CObjectsInterfaceEffects::PlaceAt(ElementRecord* pEffect, const ElementRecord* pClicked)
{
    C3DMath* math = m_pWorldData->pMath;
    // The element's own place is the first step of its local matrix: taken out, the effect
    // turns and scales about its centre, which then goes where the clicked element is.
    float own[3];
    GetElementPosition(own, pEffect);
    float back[16], local[16];
    math->SetIdentity(back);
    math->Translate(back, -own[0], -own[1], -own[2]);
    math->Multiply(local, pEffect->localMatrix, back);
    math->Multiply(pEffect->worldMatrix, local, pClicked->worldMatrix);
}

void CObjectsInterfaceEffects::DrawClickEffects(uint32_t objectNumber)
{
    if (objectNumber >= m_markCount || !m_pMarks[objectNumber] || m_effectElement < 0 ||
        uint32_t(m_effectElement) >= m_elementCount)
        return;
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    CObjectsBase* object = objects ? objects->GetObject(objectNumber) : nullptr;
    ElementRecord* effect = GetItemRecord(uint32_t(m_effectElement));
    bool playing = false;
    for (void* item = m_running.GetFirst(); item;) {
        auto* copy = static_cast<ClickEffectCopy*>(item);
        const ElementRecord* clicked =
            object && copy->element < object->GetElementCount() ? object->GetItemRecord(copy->element) : nullptr;
        if (copy->object != objectNumber) {
            item = m_running.GetNext();
            continue;
        }
        // A copy over an element that is gone has nothing to play over.
        bool ended = !clicked;
        if (clicked) {
            UseTracks(copy->pTracks);
            if (Succeeded(PrepareElementDraw(effect, 1.0f, 1))) {
                PlaceAt(effect, clicked);
                DrawElement(effect);
            }
            ended = effect->animationEnded != 0;
            UseTracks(nullptr);
        }
        if (ended) {
            FreeCopy(copy);
            item = m_running.RemoveCurrent(0);
        } else {
            playing = true;
            item = m_running.GetNext();
        }
    }
    m_pMarks[objectNumber] = playing ? 1 : 0;
}

void CObjectsInterfaceEffects::FreeCopy(ClickEffectCopy* pCopy)
{
    for (C3DModifierState* state : pCopy->pTracks)
        UTILS_FREE(state);
    UTILS_FREE(pCopy);
}

void CObjectsInterfaceEffects::ResetClickEffects()
{
    UseTracks(nullptr);
    for (void* item = m_running.GetFirst(); item; item = m_running.RemoveCurrent(0))
        FreeCopy(static_cast<ClickEffectCopy*>(item));
    if (m_pMarks)
        std::memset(m_pMarks, 0, m_markCount);
}

Status CObjectsInterfaceEffects::SaveClickEffectState(UtilsStream_Chunk* pChunk)
{
    return pChunk && Put(pChunk, m_effectObject) && Put(pChunk, m_effectElement) ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceEffects::LoadClickEffectState(UtilsStream_Chunk* pChunk)
{
    int32_t words[2];
    if (!pChunk || !Get(pChunk, &words[0]) || !Get(pChunk, &words[1]))
        return kStatusFailed;
    const bool none = words[0] == -1 && words[1] == -1;
    const bool own = words[0] == int32_t(m_objectNumber) && words[1] >= 0 && uint32_t(words[1]) < m_elementCount;
    if (!none && !own)
        return kStatusFailed;
    m_effectObject = words[0];
    m_effectElement = words[1];
    return kStatusOk;
}

Status CObjectsInterfaceEffects::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::SaveState(pList, pChunk)))
        return kStatusFailed;
    return SaveClickEffectState(pChunk);
}

Status CObjectsInterfaceEffects::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    ResetClickEffects();
    if (Failed(CObjectsInterface::LoadFromProfile(pChunk)) || Failed(LoadClickEffectState(pChunk)))
        return kStatusFailed;
    return AllocateMarks();
}
