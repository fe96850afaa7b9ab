#pragma once
// The drop rules that scene scripts declare (setItemDroppable): which item the player may drag,
// onto which places it may be dropped, what a drop uses up, and which script functions answer an
// accepted and a refused drop. A release of a dragged item with a rule comes here (Drop): the
// first place under the point decides; an accepted drop resumes the waiting scripts, uses up
// places and items and calls the place's answer; a refused one calls the rule's refused answer,
// and the item glides home over 8 frame-step units on the outSin curve. Kept in the profile
// under chunk 150000.
//
// Rules and places are addressed by index, never by pointer, across anything that runs a
// script: an answer may declare or remove rules, which moves or frees them.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class CCommandList;
class CObjectsBase;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;
struct BuiltinReport;
struct CommandHandle;
struct ElementRecord;

// Frame-step units a return glide lasts.
constexpr float kDropReturnUnits = 8.0f;
// The argument code of a drop answer: {int 0, the dragged item's name, the other element's}.
constexpr uint32_t kDropAnswerArguments = 0x30000441u;
// Words of a drop's result: rule (1-based), place index, the place's object and element, the
// hit point (three floats as bits), consume-source counter and consume-destination flag.
constexpr uint32_t kDropResultWords = 10;

struct DropPlace {
    int32_t uses;          // drops it still accepts; -1 never lowered
    uint32_t object;
    uint32_t element;
    int32_t answerLevel;   // the object whose script answers; -1 the dragged item's
    char* pAnswer;         // owned; null none
};

struct DropRule {
    int32_t index;               // own position; -1 free
    uint32_t object;
    uint32_t element;
    uint32_t consumeSource;      // places still to use before the item is used up; 0 at once
    uint32_t consumeDestination; // non-zero: a drop marks its place found
    DropPlace* pPlaces;          // owned
    uint32_t placeCount;
    int32_t refusedLevel;        // -1 the dragged item's object
    char* pRefused;              // owned; null none
};

class CDragDropManager : public CManagedObject {
public:
    explicit CDragDropManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CDragDropManager() override;

    // The command list. kStatusOutOfMemory (latched).
    Status Load() override;
    // Every rule and its texts, the return and the command list.
    Status Unload() override;
    // Steps the return glide.
    void Update() override;

    // Declares the drop rule of `item` (an element of `object`): its places (an item list of
    // that object), the restriction words, the places' answer and the refused answer (each a
    // function of the item's object, or "@level@function"). Every word and answer is read before
    // anything changes, so a bad one leaves no half-declared rule. 0; kStatusFailed (traced);
    // kStatusOutOfMemory (latched).
    Status AddTarget(uint32_t object, const char* item, const char* places, const char* restrictions,
                     const char* answer, const char* refused, const BuiltinReport& report);
    // One place for rule `rule` (0-based); a place named again accepts one more drop.
    Status AddSource(uint32_t rule, uint32_t object, uint32_t element, const char* answer);
    // Removes rule `id` (1-based): its places' use counts fall, their drop-target flag goes with
    // the last rule naming them. The item keeps its record index; its owner clears it.
    void RemoveTarget(uint32_t id);
    // The glide home of an element from where it was dropped; one at a time.
    void StartReturn(uint32_t object, uint32_t element);
    void EndReturn();
    // The release of a dragged item of rule `id` (1-based) at (x, y): 0 accepted; kStatusFailed
    // refused (the item glides home) or failed. pResult gets kDropResultWords words.
    Status Drop(float x, float y, uint32_t id, uint32_t object, uint32_t element, uint32_t* pResult);
    // A waiting _setItemDroppable: burnt with the next accepted drop.
    Status AddCommand(const CommandHandle& handle);

    // The index of the rule's place under (x, y) among live objects, -1 none (the cursor asks).
    int32_t FindPlaceAt(uint32_t id, float x, float y);

    // Chunk 150000: the rules, then the command list.
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream);
    // Replaces the rules with the chunk's; kStatusFailed (and no rule) for a damaged chunk.
    Status LoadFromStream(UtilsStream_Chunk* pStream);

    uint32_t GetRuleCount() const { return m_ruleCount; }
    // The rule of 1-based id, null when free or out of range.
    const DropRule* GetRule(uint32_t id) const;
    int32_t GetReturningObject() const { return m_returnObject; }
    int32_t GetReturningElement() const { return m_returnElement; }
    float GetReturnTimer() const { return m_returnTimer; }
    CCommandList* GetCommandList() const { return m_pCommands; }

private:
    Status OutOfMemory();
    void FreeRules();
    // The rule's places and texts freed, the places' use counts lowered.
    void ClearRule(DropRule& rule);
    // A rule slot for the element: its own, else the first free, else a new one; -1 no memory.
    int32_t RuleSlot(uint32_t object, uint32_t element);
    bool RuleIs(int32_t rule, uint32_t object, uint32_t element) const;
    // The place of the rule on that element, -1 none.
    int32_t PlaceIndex(int32_t rule, uint32_t object, uint32_t element) const;
    bool IsLive(uint32_t object);
    // The place's element is under the point.
    bool HitsPlace(const DropPlace& place, float x, float y, float* pLocal);
    // Uses up what an accepted drop on place `place` of rule `rule` uses: 0 when the item is
    // used up, kStatusFailed while it stays (it then glides home or stays in its bar).
    Status Consume(int32_t rule, uint32_t place);
    // The refused answer of the rule, for a moved item, with the other element's name.
    Status RefusedAnswer(int32_t rule, const char* other);
    // Calls `function` in `level` (the item's object for -1) with the two names.
    Status CallAnswer(int32_t level, uint32_t itemObject, const char* function, const char* item, const char* other);
    CObjectsBase* Object(uint32_t index);
    ElementRecord* Element(uint32_t object, uint32_t element);

    DropRule* m_pRules = nullptr;
    uint32_t m_ruleCount = 0;
    int32_t m_returnObject = -1;
    int32_t m_returnElement = -1;
    float m_returnTimer = 0.0f;
    float m_returnOffset[3] = {};
    CCommandList* m_pCommands = nullptr;
};

// Splits an answer text: "@level@function" names the level and its function, any other text is
// a function of the item's own object (level null). False for an "@level" without its second
// at sign.
bool SplitDropAnswer(const char* text, char* level, uint32_t levelCapacity, const char** pFunction);
