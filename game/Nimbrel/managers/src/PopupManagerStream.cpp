// The popup manager in the profile: chunk 70000 (press flag, command list) with the narrator
// line (70002), the popup text (70001), the object popup (70003) and the label channel (70004).
// Cut and reveal positions are stored as character offsets into their texts and checked against
// them when read, before a terminator is written at one.
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsString.h"

using namespace ChunkField;

namespace {

// Bytes of the smallest stored string (its count).
constexpr int64_t kStringBytes = 4;
// Bytes of the smallest stored label group record.
constexpr int64_t kLabelGroupBytes = 5;

int32_t OffsetOf(const char16_t* base, const char16_t* at)
{
    return base && at ? static_cast<int32_t>(at - base) : -1;
}

// The position at a stored offset: null for -1; false for an offset outside the text (its
// terminator included only when `end` allows it).
bool PositionAt(char16_t* text, int32_t offset, bool end, char16_t** pAt)
{
    *pAt = nullptr;
    if (offset == -1)
        return true;
    const size_t length = text ? UtilsString_Length(text) : 0;
    if (!text || offset < 0 || static_cast<size_t>(offset) > length || (!end && static_cast<size_t>(offset) == length))
        return false;
    *pAt = text + offset;
    return true;
}

}  // namespace

Status CPopupManager::SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream)
{
    if (!pList || !pStream || !m_pCommands)
        return kStatusFailed;
    ChunkStream commands(pStream);
    if (!Put(pStream, m_pressTaken) || Failed(m_pCommands->Save(&commands)))
        return kStatusFailed;
    const struct {
        uint32_t tag;
        Status (CPopupManager::*save)(UtilsStream_Chunk*);
    } kParts[] = {
        {kProfileTagPopupNarrator, &CPopupManager::SaveNarrator},
        {kProfileTagPopupText, &CPopupManager::SavePopupText},
        {kProfileTagPopupObject, &CPopupManager::SaveObjectPopup},
        {kProfileTagPopupLabels, &CPopupManager::SaveLabels},
    };
    for (const auto& part : kParts) {
        UtilsStream_Chunk* chunk = pList->CreateChunk(part.tag, pStream);
        if (!chunk || Failed((this->*part.save)(chunk)))
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CPopupManager::SaveNarrator(UtilsStream_Chunk* c)
{
    const bool ok = c->WriteString(m_pNarratorText, false) && Put(c, m_narratorShowing) && Put(c, m_narratorAlpha) &&
                    Put(c, m_narratorFadeSpeed) && Put(c, m_narratorTime) && Put(c, m_narratorHold) &&
                    Put(c, m_narratorIndex);
    return ok ? kStatusOk : kStatusFailed;
}

Status CPopupManager::SavePopupText(UtilsStream_Chunk* c)
{
    // The text is written whole: the cut and the reveal are undone for the write.
    char16_t* cut = m_pCut;
    RestoreCut();
    char16_t* reveal = m_pReveal;
    if (reveal)
        *reveal = m_revealChar;
    bool ok = c->WriteString(m_pText, false);
    if (ok && m_pText)
        ok = Put(c, OffsetOf(m_pText, m_pPart)) && Put(c, OffsetOf(m_pText, m_pFirstPart)) &&
             Put(c, OffsetOf(m_pText, cut)) && Put(c, static_cast<uint16_t>(m_cutChar));
    ok = ok && c->WriteString(m_pPageText, false);
    if (ok && m_pPageText)
        ok = Put(c, OffsetOf(m_pPageText, reveal)) && Put(c, static_cast<uint16_t>(m_revealChar));
    ok = ok && Put(c, m_pageCount) && Put(c, m_pageIndex);
    for (uint32_t i = 0; ok && i < m_pageCount; ++i)
        ok = c->WriteString(m_ppPages[i], false);
    ok = ok && Put(c, m_pageX) && Put(c, m_pageY) && Put(c, m_pageAlign) && Put(c, m_revealTime) &&
         Put(c, m_stringIndex);
    if (reveal)
        *reveal = 0;
    if (cut) {
        m_pCut = cut;
        *m_pCut = 0;
    }
    return ok ? kStatusOk : kStatusFailed;
}

Status CPopupManager::SaveObjectPopup(UtilsStream_Chunk* c)
{
    bool ok = Put(c, m_objectIndex) && Put(c, m_elementIndex);
    if (ok && m_objectIndex != -1)
        ok = Put(c, m_objectState) && Put(c, m_objectAlpha) && c->WriteString(m_pMessageText, false) &&
             Put(c, m_messageX) && Put(c, m_messageY) && Put(c, m_messageAlign) && Put(c, m_messageIndex);
    return ok ? kStatusOk : kStatusFailed;
}

Status CPopupManager::SaveLabels(UtilsStream_Chunk* c)
{
    bool ok = Put(c, m_labelState) && Put(c, m_labelAlpha) && Put(c, m_labelIndex) && Put(c, m_groupCount);
    for (uint32_t i = 0; ok && i < m_groupCount; ++i)
        ok = Put(c, m_pGroups[i].labelIndex) && Put(c, m_pGroups[i].active);
    return ok ? kStatusOk : kStatusFailed;
}

Status CPopupManager::LoadFromStream(UtilsStream_Chunk* pStream)
{
    ResetLabelsGroups();
    ResetNarratorLine();
    FreePopupText();
    m_stringIndex = -1;
    UTILS_FREE(m_pMessageText);
    m_pMessageText = nullptr;
    m_objectIndex = m_elementIndex = m_messageIndex = -1;
    m_objectState = kPopupGone;
    m_objectAlpha = 0.0f;
    if (!pStream || !m_pCommands)
        return kStatusFailed;
    ChunkStream commands(pStream);
    if (!Get(pStream, &m_pressTaken) || Failed(m_pCommands->Load(&commands)) || Failed(pStream->ReadAllChildren()))
        return kStatusFailed;
    const struct {
        uint32_t tag;
        Status (CPopupManager::*load)(UtilsStream_Chunk*);
    } kParts[] = {
        {kProfileTagPopupNarrator, &CPopupManager::LoadNarrator},
        {kProfileTagPopupText, &CPopupManager::LoadPopupText},
        {kProfileTagPopupObject, &CPopupManager::LoadObjectPopup},
        {kProfileTagPopupLabels, &CPopupManager::LoadLabels},
    };
    for (const auto& part : kParts) {
        UtilsStream_Chunk* chunk = pStream->FindChunk(part.tag);
        if (!chunk)
            continue;
        if (Failed((this->*part.load)(chunk))) {
            // A damaged part leaves that channel closed, never half read.
            ResetLabelsGroups();
            ResetNarratorLine();
            FreePopupText();
            UTILS_FREE(m_pMessageText);
            m_pMessageText = nullptr;
            m_objectIndex = m_elementIndex = -1;
            return kStatusFailed;
        }
    }
    return kStatusOk;
}

Status CPopupManager::LoadNarrator(UtilsStream_Chunk* c)
{
    char16_t* text = nullptr;
    const bool ok = c->ReadString(&text, false) && Get(c, &m_narratorShowing) && Get(c, &m_narratorAlpha) &&
                    Get(c, &m_narratorFadeSpeed) && Get(c, &m_narratorTime) && Get(c, &m_narratorHold) &&
                    Get(c, &m_narratorIndex);
    if (!ok) {
        UTILS_FREE(text);
        return kStatusFailed;
    }
    m_pNarratorText = text;
    return kStatusOk;
}

Status CPopupManager::LoadPopupText(UtilsStream_Chunk* c)
{
    if (!c->ReadString(&m_pText, false))
        return kStatusFailed;
    int32_t part = -1, first = -1, cut = -1, reveal = -1;
    uint16_t cutChar = 0, revealChar = 0;
    if (m_pText && !(Get(c, &part) && Get(c, &first) && Get(c, &cut) && Get(c, &cutChar)))
        return kStatusFailed;
    char16_t* pCut = nullptr;
    if (!PositionAt(m_pText, part, true, &m_pPart) || !PositionAt(m_pText, first, true, &m_pFirstPart) ||
        !PositionAt(m_pText, cut, false, &pCut))
        return kStatusFailed;
    // The steps back to an earlier part scan from the current part down to the first one.
    if (!m_pPart != !m_pFirstPart || m_pPart < m_pFirstPart)
        return kStatusFailed;
    // A cut holds back a character of the text, never its end: restored, it must not shorten it.
    if (pCut && !cutChar)
        return kStatusFailed;
    if (!c->ReadString(&m_pPageText, false))
        return kStatusFailed;
    if (m_pPageText && !(Get(c, &reveal) && Get(c, &revealChar)))
        return kStatusFailed;
    char16_t* pReveal = nullptr;
    if (!PositionAt(m_pPageText, reveal, false, &pReveal) || (pReveal && !revealChar))
        return kStatusFailed;
    uint32_t count = 0, index = 0;
    if (!Get(c, &count) || !Get(c, &index) || count > c->BytesLeft() / kStringBytes || (count && index >= count) ||
        (!count && index))
        return kStatusFailed;
    if (count) {
        m_ppPages = static_cast<char16_t**>(UTILS_CALLOC(count, sizeof(char16_t*)));
        if (!m_ppPages)
            return OutOfMemory();
    }
    for (; m_pageCount < count; ++m_pageCount)
        if (!c->ReadString(&m_ppPages[m_pageCount], false) || !m_ppPages[m_pageCount])
            return kStatusFailed;
    m_pageIndex = index;
    if (!(Get(c, &m_pageX) && Get(c, &m_pageY) && Get(c, &m_pageAlign) && Get(c, &m_revealTime) &&
          Get(c, &m_stringIndex)))
        return kStatusFailed;
    // A page text without its text is no popup.
    if (!m_pText && m_pPageText)
        return kStatusFailed;
    if (pCut) {
        m_pCut = pCut;
        m_cutChar = static_cast<char16_t>(cutChar);
        *m_pCut = 0;
    }
    if (pReveal) {
        m_pReveal = pReveal;
        m_revealChar = static_cast<char16_t>(revealChar);
        *m_pReveal = 0;
    }
    SetButtons();
    return kStatusOk;
}

Status CPopupManager::LoadObjectPopup(UtilsStream_Chunk* c)
{
    int32_t object = -1, element = -1;
    if (!Get(c, &object) || !Get(c, &element))
        return kStatusFailed;
    if (object == -1)
        return kStatusOk;
    char16_t* message = nullptr;
    const bool ok = Get(c, &m_objectState) && Get(c, &m_objectAlpha) && c->ReadString(&message, false) &&
                    Get(c, &m_messageX) && Get(c, &m_messageY) && Get(c, &m_messageAlign) && Get(c, &m_messageIndex);
    if (!ok || m_objectState > kPopupGone) {
        UTILS_FREE(message);
        return kStatusFailed;
    }
    m_objectIndex = object;
    m_elementIndex = element;
    m_pMessageText = message;
    return kStatusOk;
}

Status CPopupManager::LoadLabels(UtilsStream_Chunk* c)
{
    uint32_t count = 0;
    if (!Get(c, &m_labelState) || !Get(c, &m_labelAlpha) || !Get(c, &m_labelIndex) || !Get(c, &count) ||
        m_labelState > kPopupGone || count > c->BytesLeft() / kLabelGroupBytes)
        return kStatusFailed;
    // Every label named must be one of the table's; a label is attached to a text only.
    const uint32_t labels = LabelCount();
    const auto known = [labels](int32_t index) { return index >= 0 && uint32_t(index) < labels; };
    if ((m_labelIndex != -1 && (!known(m_labelIndex) || !m_pText)) || !(m_labelAlpha >= 0.0f && m_labelAlpha <= 1.0f))
        return kStatusFailed;
    if (count) {
        m_pGroups = static_cast<PopupLabelGroup*>(UTILS_CALLOC(count, sizeof(PopupLabelGroup)));
        if (!m_pGroups)
            return OutOfMemory();
    }
    for (; m_groupCount < count; ++m_groupCount) {
        PopupLabelGroup& group = m_pGroups[m_groupCount];
        if (!Get(c, &group.labelIndex) || !Get(c, &group.active) || !known(group.labelIndex) || group.active > 1)
            return kStatusFailed;
    }
    m_currentGroup = static_cast<int32_t>(m_groupCount) - 1;
    return kStatusOk;
}
