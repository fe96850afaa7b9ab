// Named positions of the object and of its elements, and the modifier tracks that animate the
// elements, read from the object's animation file.
#include <cstring>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectModelFiles.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

// An unnamed position, scale or animation answers to "default".
template <class Record>
bool PositionIsNamed(const Record& record, const char* name)
{
    return std::strcmp(record.pName ? record.pName : kDefaultPositionName, name) == 0;
}

template <class Record>
int32_t FindNamed(const Record* records, uint32_t count, const char* name)
{
    for (uint32_t i = 0; name && records && i < count; ++i)
        if (PositionIsNamed(records[i], name))
            return int32_t(i);
    return -1;
}

}  // namespace

int32_t CObjectsBase::FindOrAddObjectPosition(const char* name)
{
    for (uint32_t i = 0; name && i < m_positionCount; ++i)
        if (PositionIsNamed(m_pPositions[i], name))
            return int32_t(i);
    char* copy = nullptr;
    if (name) {
        copy = UtilsString_DupA(name);
        if (!copy)
            return OutOfMemory();
        UtilsString_ReplaceCharA(copy, ' ', '_');
    }
    // The array keeps its old records when it cannot grow, so every index given out stays valid.
    auto* grown = static_cast<NamedPosition*>(UTILS_REALLOC(m_pPositions, (m_positionCount + 1) * sizeof(NamedPosition)));
    if (!grown) {
        UTILS_FREE(copy);
        return OutOfMemory();
    }
    m_pPositions = grown;
    m_pPositions[m_positionCount] = NamedPosition{0.0f, 0.0f, 0.0f, copy};
    return int32_t(m_positionCount++);
}

int32_t CObjectsBase::FindElementPosition(uint32_t element, const char* name) const
{
    if (!name || element >= m_elementCount)
        return -1;
    const ElementRecord& record = *const_cast<CObjectsBase*>(this)->GetItemRecord(element);
    return FindNamed(record.pPositions, record.positionCount, name);
}

int32_t CObjectsBase::FindObjectPosition(const char* name) const
{
    return FindNamed(m_pPositions, m_positionCount, name);
}

int32_t CObjectsBase::FindElementScale(const ElementRecord* pElement, const char* name)
{
    return FindNamed(pElement->pScales, pElement->scaleCount, name);
}

int32_t CObjectsBase::FindElementAnimation(const ElementRecord* pElement, const char* name)
{
    return FindNamed(pElement->pTracks, pElement->trackCount, name);
}

// ---- the elements' modifier tracks ---------------------------------------------------------------

void CObjectsBase::FreeModifierTable()
{
    for (uint32_t i = 0; m_pModifierTable && i < m_modifierRows; ++i)
        for (C3DObjectModifier*& track : m_pModifierTable[i]) {
            if (track) {
                track->Release();
                delete track;
            }
            track = nullptr;
        }
    UTILS_FREE(m_pModifierTable);
    m_pModifierTable = nullptr;
    m_modifierRows = 0;
}

void CObjectsBase::KeepTrackState(const C3DObjectModifier* pTrack, uint32_t* pair)
{
    pair[0] = 0;
    pair[1] = 0;
    if (!pTrack)
        return;
    // Where the track stands: its key and the time within it.
    const C3DModifierState& state = pTrack->GetState();
    pair[0] = state.currentKey;
    std::memcpy(&pair[1], &state.time, sizeof(uint32_t));
}

Status CObjectsBase::ReleaseModifiers()
{
    if (!m_pModifierTable)
        return kStatusOk;
    for (uint32_t i = 0; i < m_modifierRows && i < m_elementCount; ++i) {
        ElementRecord* element = GetItemRecord(i);
        UTILS_FREE(element->pSavedTrackState);
        element->pSavedTrackState = static_cast<uint32_t*>(UTILS_CALLOC(kSavedTrackStateWords, sizeof(uint32_t)));
        if (!element->pSavedTrackState)
            return OutOfMemory();
        for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
            C3DObjectModifier*& track = m_pModifierTable[i][kind];
            if (!track)
                continue;
            KeepTrackState(track, &element->pSavedTrackState[2 * kind]);
            track->Release();
            delete track;
            track = nullptr;
        }
    }
    FreeModifierTable();
    return kStatusOk;
}

Status CObjectsBase::AttachModifiers(const char16_t* path)
{
    UtilsStream* stream = nullptr;
    Status status = OpenObjectStream(path, &stream);
    if (Failed(status))
        return status;
    if (Failed(stream->Open())) {
        // A loose-file object without an animation file has no tracks.
        delete stream;
        return kStatusOk;
    }
    uint32_t count = 0;
    if (!stream->Read(&count, 4, 1) || count != m_elementCount) {
        stream->Close();
        delete stream;
        return kStatusFailed;
    }
    status = ReleaseModifiers();
    if (Succeeded(status) && count) {
        m_pModifierTable = static_cast<C3DObjectModifier* (*)[kElementTrackKinds]>(
            UTILS_CALLOC(count, sizeof(C3DObjectModifier*[kElementTrackKinds])));
        if (!m_pModifierTable)
            status = OutOfMemory();
        else
            m_modifierRows = count;
    }
    if (Succeeded(status))
        status = ReadObjectTracks(stream, m_pWorldData, count, m_pModifierTable);
    for (uint32_t i = 0; Succeeded(status) && i < count; ++i) {
        C3DGroupRecord group = {};
        m_pRenderModel->GetGroup(i, &group);
        for (C3DObjectModifier* track : m_pModifierTable[i]) {
            if (!track)
                continue;
            track->SetTarget(m_pRenderModel, i);
            // The vertex tracks write the element's own triangles, never another element's.
            if (uint64_t(track->GetEntryCount()) * 3 > group.indexCount)
                status = kStatusFailed;
        }
    }
    stream->Close();
    delete stream;
    if (Failed(status))
        FreeModifierTable();
    return status;
}
