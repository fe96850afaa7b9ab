#pragma once
// A level kind for tests only, small enough to read at a glance and using every convention of
// the mini-game kinds: a counter that actions add to until it reaches its target, one item
// reference, one response callback, a comma list of two marks and a colour. The tests of the
// conventions and the fuzz target of the saved state drive it.
//
// Words: "probe_item_name" (an item), "probe_target" (1 to 1000), "probe_marks" ("m1, m2"),
// "probe_selected_color" (0xAARRGGBB), "probe_response_callback".
// Events: "probe_action_add" (a positive number) adds to the counter and calls the callback
// with (counter, item); "probe_action_name" calls it with the item's name.
#include <cstring>

#include "NimbrelLevels/CObjectsLevelGame.h"
#include "NimbrelLevels/LevelValues.h"
#include "NimbrelWorld/ObjectKindTable.h"

constexpr int32_t kProbeMaxTarget = 1000;

class CObjectsLevelProbe : public CObjectsLevelGame {
public:
    CObjectsLevelProbe(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
        : CObjectsLevelGame(pWorldData, objectNumber, constructWord)
    {
        m_typeCode = kObjectKindLevelBase;
        ResetFields();
    }

    Status LoadEventsFromParam(const char* name, char* value) override
    {
        if (Is(name, "probe_item_name"))
            return TakeItemWord(name, value, &m_item);
        if (Is(name, "probe_response_callback"))
            return TakeCallbackWord(m_callback, value);
        if (Is(name, "probe_selected_color")) {
            m_color = ParseColor(value, 0xFFFFFFFFu);
            return kStatusDoneStoreResult;
        }
        if (Is(name, "probe_target")) {
            const int32_t target = TokenInt(value);
            if (target < 1 || target > kProbeMaxTarget) {
                NoTrace("%s: %d is out of range", name, target);
                return kStatusFailed;
            }
            m_target = target;
            return kStatusDoneStoreResult;
        }
        if (Is(name, "probe_marks")) {
            int32_t marks[2] = {0, 0};
            uint32_t count = 0;
            LevelListWalk walk(value);
            for (char* token = walk.Next(); token; token = walk.Next()) {
                if (count == 2) {
                    NoTrace("%s: more than two marks", name);
                    return kStatusFailed;
                }
                marks[count++] = TokenInt(token);
            }
            std::memcpy(m_marks, marks, sizeof marks);
            return kStatusDoneStoreResult;
        }
        return kStatusDoneStoreResult;
    }

    Status OnAction(const char* name, char* value) override
    {
        if (Is(name, "probe_action_add")) {
            const int32_t step = TokenInt(value);
            if (step < 1)
                return kStatusFailed;
            if (m_paused || m_solved)
                return kStatusDoneNoResult;
            m_counter += step;
            CallResponse(m_callback, {LevelArgument::Int(m_counter), LevelArgument::Int(m_item)});
            if (m_counter >= m_target)
                Solve();
            return kStatusDoneNoResult;
        }
        if (Is(name, "probe_action_name")) {
            const ElementRecord* item = m_item >= 0 ? GetItemRecord(uint32_t(m_item)) : nullptr;
            CallResponse(m_callback, {LevelArgument::Text(item && item->pName ? item->pName : "")});
            return kStatusDoneNoResult;
        }
        return kStatusDoneNoResult;
    }

    Status CheckSetup() override { return m_item < 0 ? kStatusFailed : kStatusOk; }

    int32_t Counter() const { return m_counter; }
    int32_t Item() const { return m_item; }
    int32_t Target() const { return m_target; }
    const int32_t* Marks() const { return m_marks; }
    uint32_t Color() const { return m_color; }
    const char* Callback() const { return m_callback.Name(); }

protected:
    void ResetFields() override
    {
        CObjectsLevelGame::ResetFields();
        m_counter = 0;
        m_item = -1;
        m_target = 1;
        m_marks[0] = m_marks[1] = 0;
    }
    Status ResetBoard() override
    {
        m_counter = 0;
        return kStatusOk;
    }
    void StateFields(LevelState& state) override
    {
        state.Word(m_counter).Word(m_item).Word(m_target).Words(m_marks, 2).Byte(m_paused).Byte(m_solved);
    }
    bool StateFits() override
    {
        return ReferenceFits(m_item) && m_counter >= 0 && m_target >= 1 && m_target <= kProbeMaxTarget &&
               m_paused <= 1 && m_solved <= 1;
    }

private:
    static bool Is(const char* text, const char* word) { return std::strcmp(text, word) == 0; }

    int32_t m_counter = 0;
    int32_t m_item = -1;
    int32_t m_target = 1;
    int32_t m_marks[2] = {0, 0};
    uint32_t m_color = 0xFFFFFFFFu;
    LevelCallback m_callback;
};
