// The object's and its elements' state in the player's profile: the runtime fields, the
// command lists, posted messages, effects, records and the elements' animation tracks. The profile
// writer opens the object chunk (20000) and one element chunk (20001) per element; this fills
// and reads them. Every index read back is checked and set to its rest value when it does not
// fit the object, so a damaged profile resumes a playable scene.
#include <initializer_list>
#include <new>

#include "NimbrelManagers/CEffectManager.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/WorldData.h"

#define OBJECT_PROFILE_ERROR(status)                                                                       \
    LogAndReturn((status), m_pWorldData ? m_pWorldData->logPath : nullptr, 0, u"ERROR: %S : line=%d\n", \
                 __FILE__, __LINE__)

namespace {

constexpr uint32_t kObjectMarkerStart = 0xFACEFEEDu;
constexpr uint32_t kObjectMarkerEnd = 0xCAFEBABEu;
// A track's saved state: mode, step, speed, range start and end, key, time, flags.
constexpr uint32_t kTrackStateWords = 8;

using namespace ChunkField;

// An index of `count` things, or -1 for none; anything else is none.
int32_t IndexOrNone(int32_t index, uint32_t count)
{
    return index >= 0 && uint32_t(index) < count ? index : -1;
}

// An index that has no "none": out of range is the first.
uint32_t IndexOrFirst(uint32_t index, uint32_t count) { return index < count ? index : 0; }

}  // namespace

// ---- the object chunk ------------------------------------------------------------------------

Status CObjectsBase::SaveCommandList(UtilsStream_Chunk* pChunk, const CCommandList* pList)
{
    const uint8_t present = pList != nullptr;
    if (!Put(pChunk, present))
        return kStatusFailed;
    if (!pList)
        return kStatusOk;
    ChunkStream stream(pChunk);
    return pList->Save(&stream);
}

Status CObjectsBase::LoadCommandList(UtilsStream_Chunk* pChunk, CCommandList** ppList)
{
    uint8_t present = 0;
    if (!Get(pChunk, &present))
        return kStatusFailed;
    if (!present)
        return kStatusOk;
    const Status status = MakeCommandList(ppList);
    if (Failed(status))
        return status;
    ChunkStream stream(pChunk);
    return Failed((*ppList)->Load(&stream)) ? kStatusFailed : kStatusOk;
}

Status CObjectsBase::SaveToProfile(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (!pList || !pChunk)
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    bool ok = Put(pChunk, kObjectMarkerStart) && Put(pChunk, m_reservedAfterLevel) && Put(pChunk, m_isLevel) &&
              Put(pChunk, m_alpha) && Put(pChunk, m_heldElement) && Put(pChunk, m_turnedElement) &&
              Put(pChunk, m_reservedAfterTurned) && Put(pChunk, m_brightness) && Put(pChunk, m_positionId) &&
              pChunk->Write(m_positionOffset, 4, 3) && Put(pChunk, m_selectedPosition) && Put(pChunk, m_runState) &&
              Put(pChunk, m_currentVariant) && Put(pChunk, m_finishWaiter) && Put(pChunk, m_finished);
    for (CCommandList** array : {m_ppElementClickLists, m_ppElementEndLists}) {
        ok = ok && Put(pChunk, m_elementCount);
        for (uint32_t i = 0; ok && i < m_elementCount; ++i)
            ok = Succeeded(SaveCommandList(pChunk, array && i < m_commandListCount ? array[i] : nullptr));
    }
    for (const CCommandList* list : {m_pClickedEventList, m_pDraggedEventList, m_pTurnedEventList, m_pShownEventList})
        ok = ok && Succeeded(SaveCommandList(pChunk, list));
    ok = ok && Put(pChunk, kObjectMarkerEnd);
    // A kind whose own state cannot be written fails the save: a cut chunk must not pass for a
    // saved scene.
    ok = ok && Succeeded(SaveState(pList, pChunk));
    if (!ok)
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    UtilsStream_Chunk* messages = pList->CreateChunk(kProfileTagObjectMessages, pChunk);
    ok = messages && Put(messages, m_messageList.GetCount());
    for (void* item = m_messageList.GetFirst(); ok && item; item = m_messageList.GetNext()) {
        const auto* message = static_cast<const PostedMessage*>(item);
        ok = messages->WriteStringA(message->text, true) && Put(messages, message->wParam) &&
             Put(messages, message->lParam);
    }
    UtilsStream_Chunk* effects = ok ? pList->CreateChunk(kProfileTagObjectEffects, pChunk) : nullptr;
    ok = effects && (!m_pEffectManager || Succeeded(m_pEffectManager->SaveToStream(pList, effects)));
    UtilsStream_Chunk* records = ok ? pList->CreateChunk(kProfileTagObjectRecords, pChunk) : nullptr;
    uint32_t open = 0;
    for (void* item = m_recordList.GetFirst(); item; item = m_recordList.GetNext())
        open += static_cast<const ObjectRecord*>(item)->done == 0;
    ok = records && Put(records, open);
    for (void* item = m_recordList.GetFirst(); ok && item; item = m_recordList.GetNext()) {
        const auto* record = static_cast<const ObjectRecord*>(item);
        if (!record->done)
            ok = records->Write(record->words, 4, 8) && records->WriteStringA(record->pTextA, true) &&
                 records->WriteStringA(record->pTextB, true);
    }
    return ok ? kStatusOk : OBJECT_PROFILE_ERROR(kStatusFailed);
}

Status CObjectsBase::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (!pChunk)
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    const Status status = ReadObjectState(pChunk);
    // What a cut chunk left in the object is checked as well as a whole one.
    m_heldElement = IndexOrNone(m_heldElement, m_elementCount);
    m_turnedElement = IndexOrNone(m_turnedElement, m_elementCount);
    m_selectedPosition = IndexOrFirst(m_selectedPosition, m_positionCount);
    return status;
}

Status CObjectsBase::ReadObjectState(UtilsStream_Chunk* pChunk)
{
    ClearMessages();
    ReleaseCommandLists();
    ClearRecordList();
    if (Failed(ResizeElementCommandLists(m_elementCount)))
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    uint32_t marker = 0;
    if (!Get(pChunk, &marker) || !Get(pChunk, &m_reservedAfterLevel) || !Get(pChunk, &m_isLevel) ||
        !Get(pChunk, &m_alpha) || !Get(pChunk, &m_heldElement) || !Get(pChunk, &m_turnedElement) ||
        !Get(pChunk, &m_reservedAfterTurned) || !Get(pChunk, &m_brightness) || !Get(pChunk, &m_positionId) ||
        !pChunk->Read(m_positionOffset, 4, 3) || !Get(pChunk, &m_selectedPosition) || !Get(pChunk, &m_runState) ||
        !Get(pChunk, &m_currentVariant) || !Get(pChunk, &m_finishWaiter) || !Get(pChunk, &m_finished))
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    for (CCommandList** array : {m_ppElementClickLists, m_ppElementEndLists}) {
        uint32_t count = 0;
        // One list per element: a profile of a bigger object is not this object's.
        if (!Get(pChunk, &count) || count > m_commandListCount)
            return OBJECT_PROFILE_ERROR(kStatusFailed);
        for (uint32_t i = 0; i < count; ++i)
            if (Failed(LoadCommandList(pChunk, &array[i])))
                return OBJECT_PROFILE_ERROR(kStatusFailed);
    }
    for (CCommandList** list : {&m_pClickedEventList, &m_pDraggedEventList, &m_pTurnedEventList, &m_pShownEventList}) {
        const Status status = LoadCommandList(pChunk, list);
        if (Failed(status))
            return OBJECT_PROFILE_ERROR(status == kStatusOutOfMemory ? status : kStatusFailed);
    }
    if (!Get(pChunk, &marker))
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child; child = pChunk->ReadNextChild()) {
        Status status = kStatusOk;
        if (child->GetTag() == kProfileTagObjectMessages)
            status = LoadMessages(child);
        else if (child->GetTag() == kProfileTagObjectRecords)
            status = LoadRecords(child);
        else if (child->GetTag() == kProfileTagObjectEffects)
            status = LoadEffects(child);
        if (Failed(status))
            return OBJECT_PROFILE_ERROR(status);
    }
    return Failed(pChunk->GetLastReadStatus()) ? OBJECT_PROFILE_ERROR(kStatusFailed) : kStatusOk;
}

Status CObjectsBase::LoadEffects(UtilsStream_Chunk* pChunk)
{
    // An empty chunk saved no effects: the scene's own stay.
    if (!m_pEffectManager || pChunk->BytesLeft() == 0)
        return kStatusOk;
    const Status status = m_pEffectManager->LoadFromStream(pChunk);
    return status == kStatusOutOfMemory ? status : Failed(status) ? kStatusFailed : kStatusOk;
}

Status CObjectsBase::LoadMessages(UtilsStream_Chunk* pChunk)
{
    uint32_t count = 0;
    if (!Get(pChunk, &count))
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i) {
        char* text = nullptr;
        uint32_t values[2] = {};
        if (!pChunk->ReadStringA(&text, true) || !pChunk->Read(values, 4, 2)) {
            UTILS_FREE(text);
            return kStatusFailed;
        }
        const Status status = PostMessage(text, values[0], values[1]);
        if (Failed(status))
            return status;
    }
    return kStatusOk;
}

Status CObjectsBase::LoadRecords(UtilsStream_Chunk* pChunk)
{
    uint32_t count = 0;
    if (!Get(pChunk, &count))
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i) {
        auto* record = static_cast<ObjectRecord*>(UTILS_CALLOC(1, sizeof(ObjectRecord)));
        if (!record)
            return OutOfMemory();
        const bool read = pChunk->Read(record->words, 4, 8) && pChunk->ReadStringA(&record->pTextA, true) &&
                          pChunk->ReadStringA(&record->pTextB, true);
        if (!read || Failed(m_recordList.Add(record, 0))) {
            UTILS_FREE(record->pTextA);
            UTILS_FREE(record->pTextB);
            UTILS_FREE(record);
            return read ? OutOfMemory() : kStatusFailed;
        }
    }
    return kStatusOk;
}

// ---- the element chunk -----------------------------------------------------------------------

Status CObjectsBase::SaveElementToProfile(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk,
                                          ElementRecord* pElement)
{
    if (!pList || !pChunk || !pElement)
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    ElementRecord& e = *pElement;
    bool ok = pChunk->Write(e.baseOffset, 4, 3) && pChunk->Write(e.placeOffset, 4, 3) &&
              pChunk->Write(e.dragOffset, 4, 3) && Put(pChunk, e.turnAngle) && Put(pChunk, e.turnFactor) &&
              Put(pChunk, e.flags) && Put(pChunk, e.cursorStop) && Put(pChunk, e.noAutoPrepare) &&
              Put(pChunk, e.noDraw) && Put(pChunk, e.drawSlotOverride) && Put(pChunk, e.clickSound) &&
              Put(pChunk, e.loadOnClick) && Put(pChunk, e.action) && ElementRuntimeWords(pChunk, e, true) &&
              Put(pChunk, e.currentTrack) && Put(pChunk, e.levelTag) && Put(pChunk, e.brightness) &&
              Put(pChunk, e.clickHandler) && Put(pChunk, e.reservedAfterNumber) &&
              Put(pChunk, e.reservedByteAfterNumber) && pChunk->Write(e.reservedAfterString, 4, 2) &&
              Put(pChunk, e.groupMemberCount) &&
              (e.groupMemberCount == 0 || pChunk->Write(e.pGroupMembers, 4, e.groupMemberCount)) &&
              Put(pChunk, e.grouped);
    if (!ok)
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    UtilsStream_Chunk* tracks = pList->CreateChunk(kProfileTagElementTracks, pChunk);
    if (!tracks)
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    const bool live = m_loaded && m_pRenderModel && m_pModifierTable && e.index < m_modifierRows;
    if (live) {
        ok = Put(tracks, uint8_t(1)) && Put(tracks, kElementTrackKinds);
        ChunkStream stream(tracks);
        for (uint32_t kind = 0; ok && kind < kElementTrackKinds; ++kind) {
            C3DObjectModifier* track = m_pModifierTable[e.index][kind];
            ok = Put(tracks, uint8_t(track != nullptr)) && (!track || Succeeded(track->SaveState(0, &stream)));
        }
        if (ok && !e.pSavedTrackState)
            e.pSavedTrackState = static_cast<uint32_t*>(UTILS_CALLOC(kSavedTrackStateWords, sizeof(uint32_t)));
        if (ok && !e.pSavedTrackState)
            return OBJECT_PROFILE_ERROR(OutOfMemory());
        for (uint32_t kind = 0; ok && kind < kElementTrackKinds; ++kind)
            KeepTrackState(m_pModifierTable[e.index][kind], &e.pSavedTrackState[2 * kind]);
    } else {
        ok = Put(tracks, uint8_t(0));
    }
    UtilsStream_Chunk* pairs = ok ? pList->CreateChunk(kProfileTagElementTrackState, pChunk) : nullptr;
    const uint32_t count = e.pSavedTrackState ? kElementTrackKinds : 0;
    ok = pairs && Put(pairs, count) && (count == 0 || pairs->Write(e.pSavedTrackState, 4, kSavedTrackStateWords));
    ok = ok && Succeeded(SaveElementTexts(pList, pChunk, e));
    return ok ? kStatusOk : OBJECT_PROFILE_ERROR(kStatusFailed);
}

Status CObjectsBase::SaveElementTexts(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk, const ElementRecord& e)
{
    const uint8_t number = e.pNumberText != nullptr;
    if (e.textStringId == -1 && !number)
        return kStatusOk;
    UtilsStream_Chunk* texts = pList->CreateChunk(kProfileTagElementTexts, pChunk);
    return texts && Put(texts, e.textStringId) && Put(texts, number) && Put(texts, e.score) &&
                   Put(texts, e.scoreEasing)
               ? kStatusOk
               : kStatusFailed;
}

bool CObjectsBase::ElementRuntimeWords(UtilsStream_Chunk* pChunk, ElementRecord& e, bool write)
{
    // Rows 20 to 41 and the eight bytes after them, in record order.
    struct Field {
        void* p;
        uint32_t size, count;
    };
    const Field fields[] = {
        {&e.fadeId, 4, 1},        {&e.alpha, 4, 1},
        {&e.reservedAfterAlpha, 4, 1}, {&e.alphaMultiplier, 4, 1},
        {e.dragParameters, 4, 2}, {&e.dropRecord, 4, 1},
        {&e.placeUses, 4, 1},     {e.reservedAfterDrop, 4, 5},
        {&e.turnTarget, 4, 1},
        {&e.rotationId, 4, 1},    {&e.rotationOffset, 4, 1},
        {&e.rotationIndex, 4, 1},
        {&e.scaleId, 4, 1},       {&e.scaleOffset, 4, 1},
        {&e.positionIndex, 4, 1}, {&e.reservedAfterPosition, 4, 1},
        {&e.scaleIndex, 4, 1},    {&e.positionPaused, 1, 1},
        {&e.rotationPaused, 1, 1}, {&e.scalePaused, 1, 1},
        {&e.animationResumed, 1, 1}, {e.animationMode, 1, 2},
        {&e.animationRandom, 1, 1}, {&e.animationWaited, 1, 1},
    };
    for (const Field& field : fields)
        if (write ? !pChunk->Write(field.p, field.size, field.count) : !pChunk->Read(field.p, field.size, field.count))
            return false;
    return true;
}

Status CObjectsBase::LoadElementFromProfile(UtilsStream_Chunk* pChunk, ElementRecord* pElement)
{
    if (!pChunk || !pElement)
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    const Status status = ReadElementState(pChunk, *pElement);
    CheckElementIndexes(*pElement);
    return status;
}

Status CObjectsBase::ReadElementState(UtilsStream_Chunk* pChunk, ElementRecord& e)
{
    float drag[3] = {};
    float turn[2] = {};
    if (!pChunk->Read(e.baseOffset, 4, 3) || !pChunk->Read(e.placeOffset, 4, 3) || !pChunk->Read(drag, 4, 3) ||
        !pChunk->Read(turn, 4, 2) || !Get(pChunk, &e.flags) || !Get(pChunk, &e.cursorStop) ||
        !Get(pChunk, &e.noAutoPrepare) || !Get(pChunk, &e.noDraw) || !Get(pChunk, &e.drawSlotOverride) ||
        !Get(pChunk, &e.clickSound) || !Get(pChunk, &e.loadOnClick) || !Get(pChunk, &e.action))
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    // Only a wrapped drag keeps its offset; a turn comes back from its animators.
    if (e.action & (kActionHorizontalDrag | kActionVerticalDrag))
        for (uint32_t i = 0; i < 3; ++i)
            e.dragOffset[i] = drag[i];
    if (!ElementRuntimeWords(pChunk, e, false) || !Get(pChunk, &e.currentTrack) || !Get(pChunk, &e.levelTag) ||
        !Get(pChunk, &e.brightness) || !Get(pChunk, &e.clickHandler) || !Get(pChunk, &e.reservedAfterNumber) ||
        !Get(pChunk, &e.reservedByteAfterNumber) || !pChunk->Read(e.reservedAfterString, 4, 2))
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    UTILS_FREE(e.pGroupMembers);
    e.pGroupMembers = nullptr;
    e.groupMemberCount = 0;
    uint32_t count = 0;
    if (!Get(pChunk, &count) || count > pChunk->BytesLeft() / 4)
        return OBJECT_PROFILE_ERROR(kStatusFailed);
    if (count) {
        e.pGroupMembers = static_cast<uint32_t*>(UTILS_MALLOC(size_t(count) * 4));
        if (!e.pGroupMembers)
            return OBJECT_PROFILE_ERROR(OutOfMemory());
        e.groupMemberCount = count;
        if (!pChunk->Read(e.pGroupMembers, 4, count))
            return OBJECT_PROFILE_ERROR(kStatusFailed);
    }
    if (!Get(pChunk, &e.grouped))
        return OBJECT_PROFILE_ERROR(kStatusFailed);

    bool tracksLoaded = false;
    for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child; child = pChunk->ReadNextChild()) {
        Status status = kStatusOk;
        if (child->GetTag() == kProfileTagElementTracks)
            status = LoadElementTracks(child, e, &tracksLoaded);
        else if (child->GetTag() == kProfileTagElementTrackState)
            status = LoadElementTrackState(child, e, tracksLoaded);
        else if (child->GetTag() == kProfileTagElementTexts)
            status = LoadElementTexts(child, e);
        if (Failed(status))
            return OBJECT_PROFILE_ERROR(status);
    }
    return Failed(pChunk->GetLastReadStatus()) ? OBJECT_PROFILE_ERROR(kStatusFailed) : kStatusOk;
}

void CObjectsBase::CheckElementIndexes(ElementRecord& e)
{
    e.positionIndex = IndexOrFirst(e.positionIndex, e.positionCount);
    e.scaleIndex = IndexOrFirst(e.scaleIndex, e.scaleCount);
    e.currentTrack = IndexOrFirst(e.currentTrack, e.trackCount);
    e.drawSlotOverride = IndexOrNone(e.drawSlotOverride, m_elementCount);
    e.dragParameters[0] = IndexOrNone(e.dragParameters[0], m_elementCount);
    e.dragParameters[1] = IndexOrNone(e.dragParameters[1], m_elementCount);
    // A drop record belongs to an element the drag-and-drop manager made a drop source.
    if (!(e.flags & kElementHasDropRecord))
        e.dropRecord = 0;
    if (e.clickHandler < 0)
        e.clickHandler = -1;
}

Status CObjectsBase::LoadElementTracks(UtilsStream_Chunk* pChunk, ElementRecord& e, bool* pLoaded)
{
    uint8_t present = 0;
    if (!Get(pChunk, &present))
        return kStatusFailed;
    if (!present)
        return kStatusOk;
    const bool table = m_pModifierTable && e.index < m_modifierRows;
    if (table) {
        uint32_t kinds = 0;
        if (!Get(pChunk, &kinds) || kinds != kElementTrackKinds)
            return kStatusFailed;
        ChunkStream stream(pChunk);
        for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
            if (!Get(pChunk, &present))
                return kStatusFailed;
            if (!present)
                continue;
            if (C3DObjectModifier* track = m_pModifierTable[e.index][kind]) {
                if (Failed(track->LoadState(&stream)))
                    return kStatusFailed;
                continue;
            }
            // A kind this element has no track of: its state is read and dropped, so that the
            // next kinds are read where they are. A spare track would refuse any state beyond
            // its empty keys, so the words are skipped as they stand.
            uint32_t dropped[kTrackStateWords];
            if (!pChunk->Read(dropped, 4, kTrackStateWords))
                return kStatusFailed;
        }
        *pLoaded = true;
    }
    if (m_pModifierTable && e.index < m_modifierRows)
        RestartElementTrack(e.index);
    return kStatusOk;
}

Status CObjectsBase::LoadElementTrackState(UtilsStream_Chunk* pChunk, ElementRecord& e, bool tracksLoaded)
{
    UTILS_FREE(e.pSavedTrackState);
    e.pSavedTrackState = nullptr;
    if (tracksLoaded)
        return kStatusOk;
    uint32_t count = 0;
    if (!Get(pChunk, &count) || (count != 0 && count != kElementTrackKinds))
        return kStatusFailed;
    if (!count)
        return kStatusOk;
    e.pSavedTrackState = static_cast<uint32_t*>(UTILS_CALLOC(kSavedTrackStateWords, sizeof(uint32_t)));
    if (!e.pSavedTrackState)
        return OutOfMemory();
    if (!pChunk->Read(e.pSavedTrackState, 4, kSavedTrackStateWords)) {
        UTILS_FREE(e.pSavedTrackState);
        e.pSavedTrackState = nullptr;
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CObjectsBase::LoadElementTexts(UtilsStream_Chunk* pChunk, ElementRecord& e)
{
    int32_t popup = -1, score = 0;
    uint8_t number = 0;
    uint32_t easing = 0;
    if (!Get(pChunk, &popup) || !Get(pChunk, &number) || !Get(pChunk, &score) || !Get(pChunk, &easing))
        return kStatusFailed;
    e.textStringId = popup < 0 ? -1 : popup;
    e.score = score;
    e.scoreEasing = easing;
    // A new number is laid out at the score when next drawn, without a count from what the
    // scene showed before.
    delete e.pNumberText;
    e.pNumberText = nullptr;
    if (number && !(e.pNumberText = new (std::nothrow) CExtraDimTextNumber(m_pWorldData)))
        return OutOfMemory();
    return kStatusOk;
}
