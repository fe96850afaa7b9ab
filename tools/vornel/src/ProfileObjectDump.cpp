// A scene object chunk read into a level of as many elements as the chunk has element chunks,
// through the game's own reads, then printed field by field.
#include "ProfileObjectDump.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelLevels/LevelStateText.h"
#include "NimbrelManagers/CEffect.h"
#include "NimbrelManagers/CEffectManager.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

const char* Named(const char* name) { return name ? name : "(none)"; }

const char* EffectKindName(uint32_t kind)
{
    static const char* const kNames[] = {"free", "storm", "flicker", "pulse", "flicker cycle", "drift"};
    return kind < sizeof kNames / sizeof kNames[0] ? kNames[kind] : "unknown";
}

// A level that shows what the profile reads into it.
class CDumpLevel : public CObjectsLevelExploration {
public:
    CDumpLevel(WorldData* w, uint32_t count) : CObjectsLevelExploration(w, 0, 0)
    {
        m_pElements = count ? AllocElements(count) : nullptr;
        m_elementCount = m_pElements ? count : 0;
        for (uint32_t i = 0; i < m_elementCount; ++i) {
            ResetElement(GetItemRecord(i));
            GetItemRecord(i)->index = i;
        }
        ResizeElementCommandLists(m_elementCount);
        // The effects chunk is read as saved: the dump has no scene to check its targets in.
        m_pEffectManager = new (std::nothrow) CEffectManager(w, kEffectOwnerAny);
    }
    ~CDumpLevel() override { Release(); }

    // The scene object's part alone: what a kind saves after it is read by kind, below.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override
    {
        return ObjectsWrap_LoadFromProfile<CObjectsBase>(*this, pChunk);
    }

    void DescribeObject(std::string& text)
    {
        AppendFormat(text, "  word %u, is level %u, alpha %g, held %d, turned %d, byte %u, brightness %g\n",
               m_reservedAfterLevel, unsigned(m_isLevel), double(m_alpha), m_heldElement, m_turnedElement,
               unsigned(m_reservedAfterTurned), double(m_brightness));
        AppendFormat(text, "  position animator %u, offset (%g, %g, %g), selected position %u\n", m_positionId,
               double(m_positionOffset[0]), double(m_positionOffset[1]), double(m_positionOffset[2]),
               m_selectedPosition);
        AppendFormat(text, "  run state %u, variant %d, finish waiter %d, finished %u\n", m_runState,
               m_currentVariant, int32_t(m_finishWaiter), unsigned(m_finished));
        for (uint32_t i = 0; i < m_commandListCount; ++i) {
            DescribeList(text, "click list of element", int32_t(i), m_ppElementClickLists[i]);
            DescribeList(text, "end list of element", int32_t(i), m_ppElementEndLists[i]);
        }
        DescribeList(text, "clicked-event list", -1, m_pClickedEventList);
        DescribeList(text, "dragged-event list", -1, m_pDraggedEventList);
        DescribeList(text, "turned-event list", -1, m_pTurnedEventList);
        DescribeList(text, "shown-event list", -1, m_pShownEventList);
        for (void* p = m_messageList.GetFirst(); p; p = m_messageList.GetNext()) {
            const auto* message = static_cast<const PostedMessage*>(p);
            AppendFormat(text, "  message \"%s\" %u %u\n", Named(message->text), message->wParam, message->lParam);
        }
        for (void* p = m_recordList.GetFirst(); p; p = m_recordList.GetNext()) {
            const auto* r = static_cast<const ObjectRecord*>(p);
            AppendFormat(text, "  record %u %u %u %u %u %u 0x%X %u \"%s\" \"%s\"\n", r->words[0], r->words[1], r->words[2],
                   r->words[3], r->words[4], r->words[5], r->words[6], r->words[7], Named(r->pTextA),
                   Named(r->pTextB));
        }
        DescribeEffects(text);
    }

    static void DescribeElement(std::string& text, const char* name, const ElementRecord& e)
    {
        AppendFormat(text, "  element \"%s\": offset (%g, %g, %g), second offset (%g, %g, %g), drag offset (%g, %g, %g)\n",
               Named(name), double(e.baseOffset[0]), double(e.baseOffset[1]), double(e.baseOffset[2]),
               double(e.placeOffset[0]), double(e.placeOffset[1]), double(e.placeOffset[2]), double(e.dragOffset[0]),
               double(e.dragOffset[1]), double(e.dragOffset[2]));
        AppendFormat(text, "    flags 0x%X, action 0x%X, cursor stop %u, no auto prepare %u, no draw %u, draw slot %d\n",
               e.flags, e.action, unsigned(e.cursorStop), unsigned(e.noAutoPrepare), unsigned(e.noDraw),
               e.drawSlotOverride);
        AppendFormat(text, "    fade %u, alpha %g, position %u, scale %u, current track %u, click handler %d, owned words %u\n",
               e.fadeId, double(e.alpha), e.positionIndex, e.scaleIndex, e.currentTrack, e.clickHandler,
               e.groupMemberCount);
        if (e.textStringId != -1 || e.pNumberText)
            AppendFormat(text, "    popup text %d, score %s%d\n", e.textStringId, e.pNumberText ? "" : "(none) ",
                         e.score);
        if (!e.pSavedTrackState)
            return;
        text += "    track states";
        for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
            AppendFormat(text, " %u:%u", e.pSavedTrackState[2 * kind], e.pSavedTrackState[2 * kind + 1]);
        text += "\n";
    }

private:
    // The effects chunk: its slots, then the game's shared storm and cycle that its storms and
    // cycles saved.
    void DescribeEffects(std::string& text) const
    {
        const CEffectManager* effects = m_pEffectManager;
        if (!effects || !effects->GetSlotCount())
            return;
        AppendFormat(text, "  effects: %u slots; storms %u, cycles %u\n", effects->GetSlotCount(),
                     effects->GetStormCount(), effects->GetCycleCount());
        for (uint32_t id = 1; id <= effects->GetSlotCount(); ++id) {
            const CEffect* effect = effects->GetEffect(id);
            if (!effect) {
                AppendFormat(text, "  effect %u: free\n", id);
                continue;
            }
            AppendFormat(text, "  effect %u: %s on object %u, element %u\n", id, EffectKindName(effect->GetKind()),
                         effect->GetObjectIndex(), effect->GetElementIndex());
        }
        if (effects->GetStormCount()) {
            const EffectSharedStorm& s = SharedStorm();
            AppendFormat(text, "  storm: phase %u at %g, every %g s at speed %g, flash %u of %u, level %g\n", s.state,
                         s.t, double(s.interval), double(s.speed), s.flashesDone, s.flashesPerStorm, double(s.level));
        }
        if (effects->GetCycleCount()) {
            const EffectSharedCycle& c = SharedCycle();
            AppendFormat(text, "  cycle: phase %u at %g, level %g\n", c.state, c.t, double(c.level));
        }
    }

    static void DescribeList(std::string& text, const char* what, int32_t index, const CCommandList* list)
    {
        if (!list)
            return;
        AppendFormat(text, index >= 0 ? "  %s %d:" : "  %s:", what, index);
        for (uint32_t i = 0; i < list->GetCount(); ++i) {
            const CommandHandle& h = *list->GetHandle(i);
            AppendFormat(text, " [%u %u %u %u %u]", h.recordIndex, h.kind, h.magicIndex, h.word3, h.word4);
        }
        text += "\n";
    }
};

}  // namespace

void AppendFormat(std::string& text, const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    text += line;
}

bool DescribeObjectChunk(UtilsStream_Chunk* pChunk, std::string& text)
{
    uint32_t type = 0, kindState = 0;
    char* name = nullptr;
    if (!pChunk->Read(&type, 4, 1) || !pChunk->Read(&kindState, 4, 1) || !pChunk->ReadStringA(&name, true))
        return false;
    AppendFormat(text, "object \"%s\", type %u, kind state %u\n", Named(name), type, kindState);
    UTILS_FREE(name);

    // The element chunks' names first: the object's state needs its element count.
    uint32_t count = 0;
    for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child; child = pChunk->ReadNextChild())
        count += child->GetTag() == kProfileTagElement;
    std::vector<char*> names(count, nullptr);
    bool ok = true;
    uint32_t i = 0;
    for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child && ok; child = pChunk->ReadNextChild())
        if (child->GetTag() == kProfileTagElement)
            ok = child->ReadStringA(&names[i++], true);

    auto world = std::make_unique<WorldData>();
    {
        CDumpLevel object(world.get(), count);
        ok = ok && Succeeded(object.LoadFromProfile(pChunk));
        if (ok)
            object.DescribeObject(text);
        // A mini-game's own state follows the scene object's part.
        char board[512];
        if (ok && DescribeLevelState(type, pChunk, count, board, sizeof board)) {
            // A board of several lines (the labyrinth's rows) keeps them under its first.
            std::string lines = board;
            for (size_t at = lines.find('\n'); at != std::string::npos; at = lines.find('\n', at + 1))
                lines.insert(at + 1, "        ");
            AppendFormat(text, "  level %s\n", lines.c_str());
        }
        i = 0;
        for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child && ok; child = pChunk->ReadNextChild()) {
            if (child->GetTag() != kProfileTagElement)
                continue;
            ElementRecord* element = object.GetItemRecord(i);
            ok = Succeeded(object.LoadElementFromProfile(child, element));
            if (ok)
                CDumpLevel::DescribeElement(text, names[i], *element);
            ++i;
        }
    }
    for (char* n : names)
        UTILS_FREE(n);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return ok;
}
