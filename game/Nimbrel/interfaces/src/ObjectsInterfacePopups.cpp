#include "NimbrelInterfaces/CObjectsInterfacePopups.h"

#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

// The parameter words of the single-element roles, in role order.
constexpr const char* kRoleWords[kPopupsRoleCount] = {
    "popup_background", "popup_click_prev", "popup_click_next", "popup_band_up",
    "popup_band_down",  "popup_message_close_button", "popup_message_item_ref",
};
constexpr const char* kFrameWord = "popup_message_items";

}  // namespace

CObjectsInterfacePopups::CObjectsInterfacePopups(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindPopups;
    for (int32_t& role : m_roles)
        role = -1;
}

CObjectsInterfacePopups::~CObjectsInterfacePopups()
{
    FreeFrame();
}

void CObjectsInterfacePopups::FreeFrame()
{
    UTILS_FREE(m_pFrame);
    m_pFrame = nullptr;
    m_frameCount = 0;
}

Status CObjectsInterfacePopups::Release()
{
    FreeFrame();
    return CObjectsInterface::Release();
}

Status CObjectsInterfacePopups::CheckSetup()
{
    for (int32_t role : m_roles)
        if (role == -1)
            return kStatusFailed;
    return m_frameCount ? kStatusOk : kStatusFailed;
}

ElementRecord* CObjectsInterfacePopups::GetRoleElement(uint32_t role)
{
    const int32_t index = GetRole(role);
    return index >= 0 ? GetItemRecord(static_cast<uint32_t>(index)) : nullptr;
}

Status CObjectsInterfacePopups::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    const char* value = call.Text(1);
    if (!word || !value)
        return kStatusFailed;
    for (uint32_t role = 0; role < kPopupsRoleCount; ++role)
        if (std::strcmp(word, kRoleWords[role]) == 0) {
            m_roles[role] = FindElementByName(value);
            return kStatusDoneStoreResult;
        }
    if (std::strcmp(word, kFrameWord) != 0) {
        TraceCall(call, kTraceError, "unknown parameter %s", word);
        return kStatusFailed;
    }
    FreeFrame();
    uint32_t names = 1;
    for (const char* c = value; *c; ++c)
        names += *c == ',';
    m_pFrame = static_cast<int32_t*>(UTILS_CALLOC(names, sizeof(int32_t)));
    if (!m_pFrame) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    for (const char* name = value;;) {
        const char* end = std::strchr(name, ',');
        const size_t length = end ? static_cast<size_t>(end - name) : std::strlen(name);
        char buffer[256];
        if (length < sizeof buffer) {
            std::memcpy(buffer, name, length);
            buffer[length] = 0;
            const int32_t element = FindElementByName(buffer);
            if (element >= 0)
                m_pFrame[m_frameCount++] = element;
        }
        if (!end)
            break;
        name = end + 1;
    }
    return kStatusDoneStoreResult;
}

uint32_t CObjectsInterfacePopups::HitTestButtons(float x, float y, uint8_t playSound)
{
    // Nothing under the point: no answer.
    HitRecord record;
    if (Failed(FindElementAt(x, y, &record, 0.0f, -1, nullptr, nullptr)) || record.element < 0)
        return kPopupsHitNone;
    const int32_t element = record.element;
    const uint32_t hit = element == m_roles[kPopupsNext]       ? kPopupsHitNext
                         : element == m_roles[kPopupsPrevious] ? kPopupsHitPrevious
                         : element == m_roles[kPopupsClose]    ? kPopupsHitClose
                                                               : kPopupsHitOther;
    // A button plays its own click sound, or the default click when it has none.
    const ElementRecord* e = GetItemRecord(static_cast<uint32_t>(element));
    if (playSound && hit != kPopupsHitOther && e)
        PlayClickSound(e);
    return hit;
}

void CObjectsInterfacePopups::SetButton(int32_t element, uint8_t shown)
{
    // An unset button has no element to change.
    ElementRecord* e = element >= 0 ? GetItemRecord(static_cast<uint32_t>(element)) : nullptr;
    if (!e)
        return;
    if (shown) {
        e->alpha = 1.0f;
        e->flags |= kElementClickable;
        e->flags &= ~(kElementHidden | kElementDraggable | kElementHasDropRecord | kElementRotatable |
                      kElementRollOverDisabled | kElementFound);
    } else {
        e->alpha = 0.0f;
        e->flags |= kElementHidden | kElementRollOverDisabled | kElementFound;
    }
}

void CObjectsInterfacePopups::SetButtonsState(uint8_t previousShown, uint8_t nextShown, uint8_t closeShown)
{
    SetButton(m_roles[kPopupsPrevious], previousShown);
    SetButton(m_roles[kPopupsNext], nextShown);
    SetButton(m_roles[kPopupsClose], closeShown);
}

Status CObjectsInterfacePopups::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::SaveState(pList, pChunk)) || !pChunk)
        return kStatusFailed;
    bool ok = pChunk->Write(m_roles, 4, kPopupsRoleCount) && pChunk->Write(&m_frameCount, 4, 1);
    if (ok && m_frameCount)
        ok = pChunk->Write(m_pFrame, 4, m_frameCount);
    return ok ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfacePopups::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::LoadFromProfile(pChunk)))
        return kStatusFailed;
    int32_t roles[kPopupsRoleCount];
    uint32_t count = 0;
    if (!pChunk->Read(roles, 4, kPopupsRoleCount) || !pChunk->Read(&count, 4, 1) || count > pChunk->BytesLeft() / 4)
        return kStatusFailed;
    // Saved indexes name elements of this object, or none.
    const auto valid = [&](int32_t index) { return index == -1 || (index >= 0 && uint32_t(index) < m_elementCount); };
    for (int32_t role : roles)
        if (!valid(role))
            return kStatusFailed;
    int32_t* frame = count ? static_cast<int32_t*>(UTILS_CALLOC(count, sizeof(int32_t))) : nullptr;
    if (count && !frame) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    bool ok = !count || pChunk->Read(frame, 4, count);
    for (uint32_t i = 0; ok && i < count; ++i)
        ok = frame[i] >= 0 && uint32_t(frame[i]) < m_elementCount;
    if (!ok) {
        UTILS_FREE(frame);
        return kStatusFailed;
    }
    FreeFrame();
    std::memcpy(m_roles, roles, sizeof roles);
    m_pFrame = frame;
    m_frameCount = count;
    return kStatusOk;
}
