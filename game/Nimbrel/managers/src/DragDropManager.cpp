// The drop rules, their places, the resolution of a release and the glide home.
#include "NimbrelManagers/CDragDropManager.h"

#include <cstring>
#include <new>
#include <string>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kLevelNameCapacity = 256;

// What the restriction words ask of a rule.
struct Restrictions {
    enum Source { kAtOnce, kOne, kEveryPlace } source = kAtOnce;
    bool destination = false;
};

// False, with the unknown word in *pUnknown, when a word is not one of the five.
bool ReadRestrictions(const char* text, Restrictions* pOut, std::string* pUnknown)
{
    ListCursor words;
    words.Start(text ? text : "");
    uint32_t prefix = 0;
    while (const char* word = words.NextToken(&prefix)) {
        if (!std::strcmp(word, "consume_src") || !std::strcmp(word, "consume_src_on_or")) {
            pOut->source = Restrictions::kOne;
        } else if (!std::strcmp(word, "consume_src_on_and")) {
            pOut->source = Restrictions::kEveryPlace;
        } else if (!std::strcmp(word, "consume_dst")) {
            pOut->destination = true;
        } else if (!std::strcmp(word, "none")) {
            *pOut = Restrictions{};
        } else {
            *pUnknown = word;
            return false;
        }
    }
    return true;
}

// An answer read from its text: the level (-1 the item's object) and a function (empty none).
struct Answer {
    int32_t level = -1;
    std::string function;
};

char* DupOrNull(const std::string& text)
{
    return text.empty() ? nullptr : UtilsString_DupA(text.c_str());
}

}  // namespace

bool SplitDropAnswer(const char* text, char* level, uint32_t levelCapacity, const char** pFunction)
{
    level[0] = '\0';
    *pFunction = text ? text : "";
    if (!text || text[0] != '@')
        return true;
    const char* end = std::strchr(text + 1, '@');
    if (!end || uint32_t(end - text - 1) >= levelCapacity)
        return false;
    std::memcpy(level, text + 1, size_t(end - text - 1));
    level[end - text - 1] = '\0';
    *pFunction = end + 1;
    return true;
}

CDragDropManager::~CDragDropManager()
{
    Unload();
}

Status CDragDropManager::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status CDragDropManager::Load()
{
    Unload();
    m_pCommands = new (std::nothrow) CCommandList(m_pWorldData);
    return m_pCommands ? kStatusOk : OutOfMemory();
}

Status CDragDropManager::Unload()
{
    FreeRules();
    m_returnObject = m_returnElement = -1;
    m_returnTimer = 0.0f;
    delete m_pCommands;
    m_pCommands = nullptr;
    return kStatusOk;
}

void CDragDropManager::FreeRules()
{
    // The elements are not touched: an unload goes with the scene, a profile load restores them.
    for (uint32_t i = 0; i < m_ruleCount; ++i) {
        for (uint32_t p = 0; p < m_pRules[i].placeCount; ++p)
            UTILS_FREE(m_pRules[i].pPlaces[p].pAnswer);
        UTILS_FREE(m_pRules[i].pPlaces);
        UTILS_FREE(m_pRules[i].pRefused);
    }
    UTILS_FREE(m_pRules);
    m_pRules = nullptr;
    m_ruleCount = 0;
}

CObjectsBase* CDragDropManager::Object(uint32_t index)
{
    return SceneObjectAt(m_pWorldData, index);
}

ElementRecord* CDragDropManager::Element(uint32_t object, uint32_t element)
{
    return SceneElementAt(m_pWorldData, object, element);
}

const DropRule* CDragDropManager::GetRule(uint32_t id) const
{
    return id >= 1 && id <= m_ruleCount && m_pRules[id - 1].index >= 0 ? &m_pRules[id - 1] : nullptr;
}

bool CDragDropManager::RuleIs(int32_t rule, uint32_t object, uint32_t element) const
{
    const DropRule* r = GetRule(uint32_t(rule + 1));
    return r && r->object == object && r->element == element;
}

// ---- declaring ---------------------------------------------------------------------------------

int32_t CDragDropManager::RuleSlot(uint32_t object, uint32_t element)
{
    int32_t free = -1;
    for (uint32_t i = 0; i < m_ruleCount; ++i) {
        if (RuleIs(int32_t(i), object, element))
            return int32_t(i);
        if (free < 0 && m_pRules[i].index < 0)
            free = int32_t(i);
    }
    if (free >= 0)
        return free;
    auto* grown = static_cast<DropRule*>(UTILS_REALLOC(m_pRules, (m_ruleCount + 1) * sizeof(DropRule)));
    if (!grown)
        return -1;
    m_pRules = grown;
    std::memset(&m_pRules[m_ruleCount], 0, sizeof(DropRule));
    m_pRules[m_ruleCount].index = -1;
    return int32_t(m_ruleCount++);
}

void CDragDropManager::ClearRule(DropRule& rule)
{
    for (uint32_t p = 0; p < rule.placeCount; ++p) {
        DropPlace& place = rule.pPlaces[p];
        if (ElementRecord* e = Element(place.object, place.element)) {
            if (e->placeUses > 0)
                --e->placeUses;
            if (e->placeUses == 0)
                e->flags &= ~kElementDropTarget;
        }
        UTILS_FREE(place.pAnswer);
    }
    UTILS_FREE(rule.pPlaces);
    UTILS_FREE(rule.pRefused);
    rule.pPlaces = nullptr;
    rule.placeCount = 0;
    rule.pRefused = nullptr;
}

Status CDragDropManager::AddTarget(uint32_t object, const char* item, const char* places, const char* restrictions,
                                   const char* answer, const char* refused, const BuiltinReport& report)
{
    CObjectsBase* owner = Object(object);
    CObjectsManager* objects = SceneObjectsManager(m_pWorldData);
    const BuiltinTrace trace = {owner, report.builtin, report.fileIndex, report.line, kTraceError};
    const int32_t element = owner && item ? owner->FindElementByName(item) : -1;
    if (element < 0) {
        TraceBuiltin(m_pWorldData, trace, "unrecognized item %S", UtilsString_FromUtf8(item ? item : "").c_str());
        return kStatusFailed;
    }
    // Everything the call says is read before anything changes.
    Restrictions words;
    std::string unknown;
    if (!ReadRestrictions(restrictions, &words, &unknown)) {
        TraceBuiltin(m_pWorldData, trace, "unrecognize restriction %S", UtilsString_FromUtf8(unknown.c_str()).c_str());
        return kStatusFailed;
    }
    Answer answers[2];
    const char* texts[2] = {answer, refused};
    for (int i = 0; i < 2; ++i) {
        char level[kLevelNameCapacity];
        const char* function = nullptr;
        if (!SplitDropAnswer(texts[i], level, kLevelNameCapacity, &function)) {
            TraceBuiltin(m_pWorldData, trace, "unrecognized object %S", UtilsString_FromUtf8(texts[i]).c_str());
            return kStatusFailed;
        }
        answers[i].level = level[0] && objects ? objects->FindLevelIndexByName(level) : -1;
        // A level that is not there answers in the dragged item's object: the item stays
        // draggable, and the script is told.
        if (level[0] && answers[i].level < 0) {
            BuiltinTrace warning = trace;
            warning.severity = kTraceWarning;
            TraceBuiltin(m_pWorldData, warning, "unrecognized object %S", UtilsString_FromUtf8(level).c_str());
        }
        answers[i].function = function;
    }

    const int32_t slot = RuleSlot(object, uint32_t(element));
    if (slot < 0)
        return OutOfMemory();
    ClearRule(m_pRules[slot]);
    DropRule& rule = m_pRules[slot];
    rule.index = slot;
    rule.object = object;
    rule.element = uint32_t(element);
    rule.consumeSource = 0;
    rule.consumeDestination = 0;
    rule.refusedLevel = answers[1].level;
    rule.pRefused = DupOrNull(answers[1].function);
    if (!answers[1].function.empty() && !rule.pRefused)
        return OutOfMemory();

    ItemListIterator it;
    for (owner->ItemListStart(it, places, report, false); !it.done; owner->NextListItem(it, report, false)) {
        const Status status = AddSource(uint32_t(slot), uint32_t(it.object), uint32_t(it.element), answer);
        if (Failed(status))
            return status;
    }
    // The level of "@level@function" was checked above; AddSource reads the same text.
    DropRule& made = m_pRules[slot];
    made.consumeSource = words.source == Restrictions::kOne           ? 1
                         : words.source == Restrictions::kEveryPlace ? made.placeCount
                                                                      : 0;
    made.consumeDestination = words.destination ? 1 : 0;

    ElementRecord* e = owner->GetItemRecord(uint32_t(element));
    e->flags |= kElementDraggable | kElementHasDropRecord;
    e->flags &= ~(kElementClickable | kElementRotatable | kElementFound);
    e->dropRecord = uint32_t(slot) + 1;
    return kStatusOk;
}

Status CDragDropManager::AddSource(uint32_t rule, uint32_t object, uint32_t element, const char* answer)
{
    if (rule >= m_ruleCount || m_pRules[rule].index < 0)
        return kStatusFailed;
    DropRule& r = m_pRules[rule];
    if (const int32_t named = PlaceIndex(int32_t(rule), object, element); named >= 0) {
        if (r.pPlaces[named].uses >= 0)
            ++r.pPlaces[named].uses;
        return kStatusOk;
    }
    ElementRecord* e = Element(object, element);
    if (!e)
        return kStatusFailed;
    char level[kLevelNameCapacity];
    const char* function = nullptr;
    CObjectsManager* objects = SceneObjectsManager(m_pWorldData);
    if (!SplitDropAnswer(answer, level, kLevelNameCapacity, &function))
        return kStatusFailed;
    const int32_t answerLevel = level[0] && objects ? objects->FindLevelIndexByName(level) : -1;
    auto* grown = static_cast<DropPlace*>(UTILS_REALLOC(r.pPlaces, (r.placeCount + 1) * sizeof(DropPlace)));
    if (!grown)
        return OutOfMemory();
    r.pPlaces = grown;
    DropPlace& place = r.pPlaces[r.placeCount];
    place = DropPlace{1, object, element, answerLevel, function[0] ? UtilsString_DupA(function) : nullptr};
    if (function[0] && !place.pAnswer)
        return OutOfMemory();
    ++r.placeCount;
    e->flags |= kElementDropTarget;
    ++e->placeUses;
    if (e->flags & kElementTutorialMark)
        if (CObjectsBase* owner = Object(object))
            owner->RefreshTutorialItems();
    return kStatusOk;
}

void CDragDropManager::RemoveTarget(uint32_t id)
{
    if (!GetRule(id))
        return;
    DropRule& rule = m_pRules[id - 1];
    if (ElementRecord* item = Element(rule.object, rule.element))
        item->flags &= ~kElementLocked;
    if (m_returnObject == int32_t(rule.object) && m_returnElement == int32_t(rule.element))
        EndReturn();
    ClearRule(rule);
    rule.index = -1;
}

Status CDragDropManager::AddCommand(const CommandHandle& handle)
{
    return m_pCommands ? m_pCommands->Add(handle) : kStatusFailed;
}

// ---- the release --------------------------------------------------------------------------------

bool CDragDropManager::IsLive(uint32_t object)
{
    const CObjectsBase* o = Object(object);
    return o && o->IsLoaded() && o->IsShown() && o->IsWanted() && !o->IsLocked();
}

bool CDragDropManager::HitsPlace(const DropPlace& place, float x, float y, float* pLocal)
{
    CObjectsBase* owner = Object(place.object);
    const ElementRecord* e = Element(place.object, place.element);
    if (!owner || !e || (e->flags & kElementHidden) || !IsLive(place.object))
        return false;
    HitRecord hit;
    hit.object = int32_t(place.object);
    hit.element = int32_t(place.element);
    if (Failed(owner->HitTestRecordedElement(x, y, &hit)))
        return false;
    if (pLocal)
        std::memcpy(pLocal, hit.local, sizeof hit.local);
    return true;
}

int32_t CDragDropManager::PlaceIndex(int32_t rule, uint32_t object, uint32_t element) const
{
    const DropRule& r = m_pRules[rule];
    for (uint32_t p = 0; p < r.placeCount; ++p)
        if (r.pPlaces[p].object == object && r.pPlaces[p].element == element)
            return int32_t(p);
    return -1;
}

int32_t CDragDropManager::FindPlaceAt(uint32_t id, float x, float y)
{
    const DropRule* rule = GetRule(id);
    for (uint32_t p = 0; rule && p < rule->placeCount; ++p)
        if (HitsPlace(rule->pPlaces[p], x, y, nullptr))
            return int32_t(p);
    return -1;
}

Status CDragDropManager::CallAnswer(int32_t level, uint32_t itemObject, const char* function, const char* item,
                                    const char* other)
{
    CObjectsBase* target = Object(level >= 0 ? uint32_t(level) : itemObject);
    if (!target)
        return kStatusFailed;
    uintptr_t arguments[3] = {0, reinterpret_cast<uintptr_t>(item), reinterpret_cast<uintptr_t>(other)};
    const Status status = target->CallScriptFunction(function, kCallMaskCommand, 0, arguments, kDropAnswerArguments);
    return Succeeded(status) || status == kStatusWait ? kStatusOk : kStatusFailed;
}

Status CDragDropManager::RefusedAnswer(int32_t rule, const char* other)
{
    const DropRule& r = m_pRules[rule];
    const ElementRecord* item = Element(r.object, r.element);
    // An item let go where it was picked up was not dropped anywhere.
    if (!item || !r.pRefused || (item->dragOffset[0] == 0.0f && item->dragOffset[1] == 0.0f))
        return kStatusOk;
    const std::string function = r.pRefused, name = item->pName ? item->pName : "";
    return CallAnswer(r.refusedLevel, r.object, function.c_str(), name.c_str(), other ? other : "");
}

Status CDragDropManager::Drop(float x, float y, uint32_t id, uint32_t object, uint32_t element, uint32_t* pResult)
{
    const int32_t rule = int32_t(id) - 1;
    if (!RuleIs(rule, object, element) || !Element(object, element))
        return kStatusFailed;
    for (uint32_t p = 0; p < m_pRules[rule].placeCount; ++p) {
        float local[3];
        const DropPlace& place = m_pRules[rule].pPlaces[p];
        if (!HitsPlace(place, x, y, local))
            continue;
        const ElementRecord* target = Element(place.object, place.element);
        const std::string other = target->pName ? target->pName : "";
        if (place.uses == 0) {
            RefusedAnswer(rule, other.c_str());
            StartReturn(object, element);
            return kStatusFailed;
        }
        if (pResult) {
            const DropRule& r = m_pRules[rule];
            const uint32_t words[kDropResultWords] = {id, p, place.object, place.element, 0, 0, 0,
                                                      r.consumeSource, r.consumeDestination, 0};
            std::memcpy(pResult, words, sizeof words);
            std::memcpy(&pResult[4], local, sizeof local);
        }
        // What the answer needs is copied now: the resumed scripts and the consumption may
        // remove the rule and free its texts.
        const int32_t answerLevel = place.answerLevel;
        const std::string answer = place.pAnswer ? place.pAnswer : "";
        const uint32_t placeObject = place.object, placeElement = place.element;
        const ElementRecord* dragged = Element(object, element);
        const std::string item = dragged->pName ? dragged->pName : "";
        if (m_pCommands)
            m_pCommands->BurnAll(0, 0, 0, -1);
        // A resumed script may have given the item another rule, or none: the place is used
        // only when the item's rule still has it.
        const int32_t used = RuleIs(rule, object, element) ? PlaceIndex(rule, placeObject, placeElement) : -1;
        if (used >= 0 && Succeeded(Consume(rule, uint32_t(used))) && RuleIs(rule, object, element))
            if (CObjectsBase* owner = Object(object))
                owner->RemoveElementDropTarget(Element(object, element));
        if (!answer.empty() && Failed(CallAnswer(answerLevel, object, answer.c_str(), item.c_str(), other.c_str())))
            return kStatusFailed;
        return kStatusOk;
    }
    HitRecord hit;
    CObjectsManager* objects = SceneObjectsManager(m_pWorldData);
    const ElementRecord* under = objects && Succeeded(objects->HitTestObjects(x, y, &hit))
                                     ? Element(uint32_t(hit.object), uint32_t(hit.element))
                                     : nullptr;
    const std::string other = under && under->pName ? under->pName : "";
    RefusedAnswer(rule, other.c_str());
    StartReturn(object, element);
    return kStatusFailed;
}

Status CDragDropManager::Consume(int32_t rule, uint32_t placeIndex)
{
    // The inventory bar and the place's click commands run scripts, which may declare rules and
    // move the rule array: what is needed of the rule is copied before them.
    DropRule& r = m_pRules[rule];
    const uint32_t object = r.object, element = r.element;
    CObjectsBase* owner = Object(object);
    ElementRecord* item = Element(object, element);
    if (!owner || !item)
        return kStatusFailed;
    if (item->dragParameters[1] >= 0)
        if (ElementRecord* link = Element(object, uint32_t(item->dragParameters[1])))
            link->dragOffset[0] = link->dragOffset[1] = link->dragOffset[2] = 0.0f;

    bool usedUp = r.consumeSource == 0, byCount = false;
    DropPlace& place = r.pPlaces[placeIndex];
    if (!usedUp) {
        if (place.uses != -1 && place.uses > 0 && --place.uses == 0)
            --r.consumeSource;
        usedUp = byCount = r.consumeSource == 0;
    }
    const uint32_t placeObject = place.object, placeElement = place.element;
    const bool destination = r.consumeDestination != 0;

    item->flags |= kElementLocked;
    if (usedUp && owner->GetTypeCode() == kObjectKindInventory) {
        auto* bar = dynamic_cast<CObjectsInterfaceToolbarInventory*>(owner);
        if (!bar || Failed(bar->ConsumeItem(item->index))) {
            // Units left: the item is back in its place at once, its rule kept.
            item->dragOffset[0] = item->dragOffset[1] = item->dragOffset[2] = 0.0f;
            item->flags &= ~kElementLocked;
            return kStatusFailed;
        }
    }
    if (destination) {
        ElementRecord* target = Element(placeObject, placeElement);
        CObjectsBase* targetOwner = Object(placeObject);
        if (target && targetOwner && (target->flags & kElementClickable) && !(target->flags & kElementFound)) {
            target->flags |= kElementFound;
            if (CCommandList* clicks = targetOwner->GetElementClickList(placeElement))
                clicks->BurnAll(1, int32_t(placeObject), int32_t(placeElement), -1);
        }
    }
    if (!usedUp) {
        StartReturn(object, element);
        return kStatusFailed;
    }
    // The burns above may have run scripts: the item is looked up again.
    if (ElementRecord* e = Element(object, element)) {
        if (byCount)
            owner->ConsumeElement(e);
        owner->FinishElementDrop(e);
    }
    return kStatusOk;
}

// ---- the glide home -----------------------------------------------------------------------------

void CDragDropManager::StartReturn(uint32_t object, uint32_t element)
{
    EndReturn();
    ElementRecord* e = Element(object, element);
    if (!e)
        return;
    e->flags |= kElementLocked;
    std::memcpy(m_returnOffset, e->dragOffset, sizeof m_returnOffset);
    m_returnObject = int32_t(object);
    m_returnElement = int32_t(element);
    m_returnTimer = 1.0f;
}

void CDragDropManager::EndReturn()
{
    if (m_returnObject >= 0)
        if (ElementRecord* e = Element(uint32_t(m_returnObject), uint32_t(m_returnElement))) {
            e->dragOffset[0] = e->dragOffset[1] = e->dragOffset[2] = 0.0f;
            e->flags &= ~kElementLocked;
        }
    m_returnObject = m_returnElement = -1;
    m_returnTimer = 0.0f;
}

void CDragDropManager::Update()
{
    if (m_returnObject < 0)
        return;
    ElementRecord* e = Element(uint32_t(m_returnObject), uint32_t(m_returnElement));
    m_returnTimer -= float(m_pWorldData->frameTime) / kDropReturnUnits;
    if (!e || m_returnTimer < 0.0f) {
        EndReturn();
        return;
    }
    const float f = UtilsEasing_OutSin(m_returnTimer);
    for (int i = 0; i < 3; ++i)
        e->dragOffset[i] = m_returnOffset[i] * f;
}
