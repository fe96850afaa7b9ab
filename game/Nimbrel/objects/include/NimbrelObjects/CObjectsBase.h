#pragma once
// The class of every scene object: every level (a picture to search, a mini-game board) and
// every interface object (menu, inventory bar, hint, popups, labels, tool box). An object owns
// its elements, read from its element-info file "%s_object_%d.raw", its named positions and
// zones, its script variant table and its ambient sound names; models, script, commands,
// effects and saved state join as those parts of the game arrive.
//
// Class chain: CManagedObject - CCommandTarget - CObjectsBase - CObjectsInterface (266) or
// CObjectsLevel (512) - the concrete kinds, which set their own type code after the base.
// The concrete classes own the element array (AllocElements, GetItemRecord, ItemRecordAt), so
// that a kind may extend the record.
#include <cstdint>

#include "NimbrelObjects/CCommandTarget.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/FIFOList.h"

class C3DObject;
class C3DObjectModifier;
class C3DObjectRaw;
class CCommandList;
class C3DEngine;
class CObstruction;
class CShaderTransitionNoise;
class CSurroundManager;
class CMusicManager;
class CChaptersManager;
class CCommandListManager;
class CScriptManager;
class CObjectsManager;
class CGroups;
class CEffectManager;
class CScriptBaseKest;
class CObjectiveManager;
class UtilsStream;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;
struct ObjectsTypeInfo;
struct ExtraTextLayout;

// Where a point hit a scene object: the object's number, the element, its draw position
// counted from the top, and the point in the element's frame. A record with draw position -1,
// or of another object, starts a new search.
struct HitRecord {
    int32_t object = -1;
    int32_t element = -1;
    int32_t position = -1;
    float local[3] = {0.0f, 0.0f, 0.0f};
};

// The tutorial's current step as the input gate sees it.
struct TutorialStep {
    uint8_t done;
    uint32_t object;
    uint32_t element;
    uint32_t mode;
    // The tutorial is switched off (skipped by the player or by the profile).
    uint8_t off;
};
// Mode bits of a step: all of kTutorialRestricts limit input to the step's element, which may
// then be clicked or dragged as the other bits allow; kTutorialAnyDrag lets any element be
// dragged and dropped.
constexpr uint32_t kTutorialRestricts = 0x10000002u;
constexpr uint32_t kTutorialAllowClick = 0x10000004u;
constexpr uint32_t kTutorialAllowDrag = 0x10000008u;
constexpr uint32_t kTutorialAnyDrag = 0x10000010u;

// Whether the step stops the action (the allowing bit) on the element of the object.
bool TutorialGateBlocks(const TutorialStep& step, uint32_t object, uint32_t element, uint32_t allow);

constexpr uint32_t kElementInfoVersion = 0x1F1;
// Texts of the element-info file stay below this many bytes.
constexpr uint32_t kElementInfoTextLimit = 4096;
// The name that an unnamed position, rotation, scale or track answers to.
constexpr const char* kDefaultPositionName = "default";

// The two creation words of the render model and of the collision model.
constexpr uint32_t kObjectModelFlags = 0x28011;
constexpr uint32_t kObjectRenderModelWord = 0x20C29;
constexpr uint32_t kObjectCollisionModelWord = 0x24429;
// A model flag: its texture names have language variants.
constexpr uint32_t kObjectModelTextureVariants = 0x800;
// Modifier tracks per element, one per kind (scale, position, rotation, alpha, colour, vertex
// positions, vertex texture coordinates).
constexpr uint32_t kElementTrackKinds = 7;
// The mouse configuration words of setMouseConfig.
constexpr uint32_t kMouseFree = 0;
constexpr uint32_t kMouseLock = 1;
// A saved track state: two words per track kind.
constexpr uint32_t kSavedTrackStateWords = 2 * kElementTrackKinds;

// Event masks of the calls the object makes beside its events.
constexpr uint32_t kCallMaskCommand = 0x1FFFFFFFu;   // a click callback
constexpr uint32_t kCallMaskCheat = 0x0FFFFFFFu;
// Argument codes: {int 0, string}, and a message {int 0, string, int, int}.
constexpr uint32_t kArgumentsElementName = 0x20000041u;
constexpr uint32_t kArgumentsMessage = 0x40001141u;

// No call waits on "finished".
constexpr uint32_t kNoFinishWaiter = 0xFFFFFFFFu;

// The mode word's bit of an object in flashlight mode: the flashlight takes its presses first
// and, on an exploration level, is drawn over it.
constexpr uint32_t kModeFlashlight = 0x2;

// Run state: "OnStart" fires on leaving 0, "OnRun" on leaving 1.
enum ObjectRunState : uint32_t { kRunNotStarted = 0, kRunStarted = 1, kRunRunning = 2 };

// Object events by number.
enum ObjectEvent : uint32_t {
    kEventDependencies = 0,
    kEventStart = 1,
    kEventRun = 2,
    kEventFocus = 3,
    kEventShow = 4,
    kEventHide = 5,
    kEventCheatCodes = 6,
    kEventReceiveMessage = 7,
};

// A read-only view of everything an element-info file holds, in file order. The writer takes
// one; CObjectsBase::GetElementInfoView gives the object's own, without sound names (they live
// in the object's sound list). Elements lie `elementStride` bytes apart (a kind may extend the
// record).
struct ElementInfoView {
    uint8_t overlay;
    int8_t textureBias;
    uint32_t sizeWord;
    const char* pName;
    int32_t firstMark, lastMark;
    const ElementRecord* pElements;
    uint32_t elementStride;
    uint32_t elementCount;
    const uint32_t* pNameIndex;     // elementCount words
    const ObjectZone* pZones;
    uint32_t zoneCount;
    const NamedPosition* pPositions;
    uint32_t positionCount;
    const uint8_t* pVariants;
    uint32_t variantCount;
    const char* const* ppSounds;
    uint32_t soundCount;

    const ElementRecord& Element(uint32_t i) const
    {
        return *reinterpret_cast<const ElementRecord*>(reinterpret_cast<const uint8_t*>(pElements) +
                                                       size_t(i) * elementStride);
    }
};

class CObjectsBase : public CCommandTarget {
    // Level activation decides which objects are wanted, shown and locked.
    friend class CObjectsManager;

public:
    CObjectsBase(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    // Frees the element-info part and the lists; the kinds free their element array through
    // FreeElements before (Release does it).
    ~CObjectsBase() override;

    // ---- the managed object's operations (slots 1 to 12) -----------------------------------
    // 1: what the object needs before its element-info file is read.
    Status Load() override;
    // 2: everything Load and the element-info file made.
    Status Unload() override { return Release(); }
    virtual Status Release();
    // 3: lays out the elements.
    virtual Status UpdateComponents();
    // 5: the per-frame state step (run state, then the object's own work).
    void Update() override { UpdateState(); }
    virtual Status UpdateState();
    // 6
    void Render() override { Draw(); }
    virtual Status Draw();
    // 7 to 9: press, move and release; a gesture the object does not take is kStatusFailed.
    Status OnMouseDown(float x, float y, uint32_t state) override { return PickElementUnderCursor(x, y, state); }
    virtual Status PickElementUnderCursor(float x, float y, uint32_t state);
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;

    // ---- 13: a command of this object burns -------------------------------------------------
    bool OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a, int32_t b, int32_t c) override;

    // ---- drawing, clicks and element access (14 to 27) -------------------------------------
    virtual Status BeginDraw(uint8_t pass);
    virtual int32_t DrawElements(int32_t pass, uint8_t matchAll);
    virtual Status UpdateComponent(uint32_t index);
    virtual Status DrawSingleElement(ElementRecord* pElement, float alpha);
    virtual Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force);
    virtual Status DrawElement(ElementRecord* pElement);
    virtual Status OnClick(float x, float y, uint32_t state);
    virtual Status UpdateCursorState(float x, float y, void* pOut);
    virtual bool IsLoaded() const { return m_loaded != 0; }
    virtual bool IsScriptLoaded() const;
    virtual ElementRecord* AllocElements(uint32_t count) = 0;
    virtual ElementRecord* GetItemRecord(uint32_t index) = 0;
    virtual ElementRecord* ItemRecordAt(ElementRecord* pArray, uint32_t index) = 0;
    // The element drawn at draw position i: its override when not -1, else its draw slot.
    virtual uint32_t GetDrawSlotElement(uint32_t position);

    // ---- commands (28 to 33) ----------------------------------------------------------------
    virtual Status AddElementClickCommand(uint32_t element, const CommandHandle& handle);
    virtual Status AddElementEndCommand(uint32_t element, const CommandHandle& handle);
    virtual Status AddClickedEventCommand(const CommandHandle& handle);
    virtual Status AddDraggedEventCommand(const CommandHandle& handle);
    virtual Status AddTurnedEventCommand(const CommandHandle& handle);
    virtual Status AddShownEventCommand(const CommandHandle& handle);

    // ---- run state, texts, activation and models (34 to 50) --------------------------------
    virtual Status ResetRunState() { return kStatusOk; }
    virtual Status CheckSetup() { return kStatusOk; }
    virtual Status OnCheatCodes(uint32_t next);
    // 37: the element's string text shows string `stringId` (a common string with `flag`),
    // laid out when it is empty or showed another string.
    virtual Status SetElementText(ElementRecord* pElement, int32_t stringId, uint32_t flag);
    // 38: the element's number text shows `value`: counting to it over `seconds` along the
    // easing when forced, else laid out again only when it is empty or its value changed.
    virtual Status SetElementNumber(ElementRecord* pElement, uint32_t easing, int32_t value, float seconds,
                                    uint8_t force);
    // 39: the count steps by the frame, and the number is laid out again when it changed.
    virtual Status RefreshElementNumber(ElementRecord* pElement);
    // 40: both texts lose their lines, to be laid out again when next drawn.
    virtual Status ClearElementTexts(ElementRecord* pElement);
    virtual Status Activate(uint32_t modelNumber);
    // Reads the element-info file at `path` (by the game's source of object files).
    virtual Status BuildFromRaw(const char16_t* path);
    virtual Status LoadReleaseModel(uint32_t modelNumber);
    virtual Status ReleaseModel(uint8_t force);
    virtual Status StopElementSounds();
    virtual Status RegisterSurroundSounds();
    virtual Status UnregisterSurroundSounds();
    virtual Status LoadReleaseParam(uint32_t chapter, uint8_t force);
    virtual Status DropScriptModule();
    // First and last element mark from the elements' reference words (-1 when none has one).
    virtual void UpdateElementRange();

    // ---- script, hit tests, finish and profile (51 to 76) ----------------------------------
    virtual Status ResetScript();
    virtual Status ClearScript();
    virtual Status LoadScript(uint32_t chapter, uint8_t force);
    // Runs object event n ("OnStart" ...) with the event's mask; the object's mask is put back
    // afterwards, also when the handler waits.
    virtual Status FireScriptEvent(uint32_t event);
    // Continues (or runs again) the handler entry with the mask given; `resume` is what the
    // waiting builtin returns (kScriptNoResume unless a wait ends).
    virtual Status CallScriptHandler(uint32_t handler, uint32_t mask, uint8_t keep, uintptr_t* arguments,
                                     uint32_t argumentCode, uint32_t resume = 0xFFFFFFFFu);
    virtual Status CallScriptFunction(const char* name, uint32_t mask, uint8_t reuse, uintptr_t* arguments,
                                      uint32_t argumentCode);
    // 57: whether (x, y) hits the element, which must be clickable, draggable or turnable and
    // not found; the point in the element's frame goes to pLocal, u and v of a mesh hit to the
    // outputs given. A radius other than 0 also takes points that near the element's origin.
    virtual Status HitTestElementPoint(float x, float y, ElementRecord* pElement, float* pLocal, float radius,
                                       int32_t excluded, float* pU, float* pV);
    // 58: the next element under (x, y) from the top of the draw order, among the elements
    // prepared in this frame; a record from an earlier call of this object goes on below it.
    virtual Status FindElementAt(float x, float y, HitRecord* pRecord, float radius, int32_t excluded, float* pU,
                                 float* pV);
    // 59: whether (x, y) hits the recorded element, whatever its flags.
    virtual Status HitTestRecordedElement(float x, float y, const HitRecord* pRecord);
    virtual Status RestartEffects();
    // Burns the finish handle once per run with the solved flag; true when it was taken.
    virtual bool Finish(uint8_t solved);
    virtual Status ResetFinish();
    virtual Status LoadFromProfile(UtilsStream_Chunk* pChunk);
    virtual Status SaveToProfile(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);
    virtual Status LoadElementFromProfile(UtilsStream_Chunk* pChunk, ElementRecord* pElement);
    // Chunk 20005: the effect manager's slots.
    Status LoadEffects(UtilsStream_Chunk* pChunk);
    virtual Status SaveElementToProfile(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk,
                                        ElementRecord* pElement);
    virtual Status ReloadElementInfos();
    virtual Status ReloadElementInfosKeepState();
    virtual Status OnElementClicked(ElementRecord* pElement);
    virtual Status OnElementDragReleased(ElementRecord* pElement);
    virtual Status OnElementReturn(ElementRecord* pElement);
    virtual Status OnElementTurnReleased(ElementRecord* pElement);
    virtual Status UnusedSlot73() { return kStatusFailed; }
    // The derived class's own profile state; the base writes nothing.
    virtual Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);
    // Declares the object builtins (ObjectBuiltins.h) to the object's script, in table order;
    // kStatusFailed at the first that cannot be registered.
    virtual Status RegisterScriptFunctions();
    virtual Status OnCommand(const char* command);

    // ---- the builtins of the object's script --------------------------------------------------
    // Each takes the call record and answers kStatusDoneStoreResult, kStatusDoneNoResult,
    // kStatusWait or kStatusFailed (after a trace). Registration binds every one by its name, so
    // a script reaches the most-derived override (ObjectBuiltins.h gives the order).
    // Objects, chapters and global information.
    virtual Status getGlobalInfos(ScriptBuiltinCall& call);
    virtual Status setGlobalInfos(ScriptBuiltinCall& call);
    virtual Status _onChapterLoad(ScriptBuiltinCall& call);
    virtual Status _onGameOver(ScriptBuiltinCall& call);
    virtual Status onObjectLoad(ScriptBuiltinCall& call);
    virtual Status _onObjectLoad(ScriptBuiltinCall& call);
    virtual Status onObjectCommand(ScriptBuiltinCall& call);
    virtual Status setObjectsShow(ScriptBuiltinCall& call);
    virtual Status setObjectsHide(ScriptBuiltinCall& call);
    virtual Status setObjectsUnlock(ScriptBuiltinCall& call);
    virtual Status setObjectsLock(ScriptBuiltinCall& call);
    virtual Status setObjectsHideAndLock(ScriptBuiltinCall& call);
    virtual Status setObjectsShowAndUnlock(ScriptBuiltinCall& call);
    virtual Status setObjectsPosition(ScriptBuiltinCall& call);
    virtual Status _setObjectsPosition(ScriptBuiltinCall& call);
    virtual Status setObjectDependencies(ScriptBuiltinCall& call);
    virtual Status setScriptDependencies(ScriptBuiltinCall& call);
    virtual Status setObjectParameters(ScriptBuiltinCall& call);
    virtual Status getObjectParameters(ScriptBuiltinCall& call);
    virtual Status setObjectExtraRender(ScriptBuiltinCall& call);
    virtual Status setObjectLong(ScriptBuiltinCall& call);
    virtual Status setObjectFloat(ScriptBuiltinCall& call);
    virtual Status setObjectString(ScriptBuiltinCall& call);
    virtual Status getObjectLong(ScriptBuiltinCall& call);
    virtual Status getObjectFloat(ScriptBuiltinCall& call);
    virtual Status getObjectString(ScriptBuiltinCall& call);
    // Items: visibility, fades, clicks, drags, drops and turns; lock, click and event.
    virtual Status setItemsFade(ScriptBuiltinCall& call);
    virtual Status _setItemsFade(ScriptBuiltinCall& call);
    virtual Status setItemsShow(ScriptBuiltinCall& call);
    virtual Status _setItemsShow(ScriptBuiltinCall& call);
    virtual Status setItemsHide(ScriptBuiltinCall& call);
    virtual Status _setItemsHide(ScriptBuiltinCall& call);
    virtual Status setItemsInvert(ScriptBuiltinCall& call);
    virtual Status _setItemsInvert(ScriptBuiltinCall& call);
    virtual Status setItemsAlphaFunction(ScriptBuiltinCall& call);
    virtual Status setItemsClickable(ScriptBuiltinCall& call);
    virtual Status _waitItemClicked(ScriptBuiltinCall& call);
    virtual Status setItemsClickableAndLoad(ScriptBuiltinCall& call);
    virtual Status setItemsDraggable(ScriptBuiltinCall& call);
    virtual Status setItemDraggable(ScriptBuiltinCall& call);
    virtual Status setItemDroppable(ScriptBuiltinCall& call);
    virtual Status _setItemDroppable(ScriptBuiltinCall& call);
    virtual Status setItemsRotable(ScriptBuiltinCall& call);
    virtual Status _waitItemTurned(ScriptBuiltinCall& call);
    virtual Status setItemsConsumed(ScriptBuiltinCall& call);
    virtual Status setItemsLocked(ScriptBuiltinCall& call);
    virtual Status setItemsUnlocked(ScriptBuiltinCall& call);
    virtual Status setItemsCommand(ScriptBuiltinCall& call);
    // Item positions, rotations, scales and animations.
    virtual Status setItemsPosition(ScriptBuiltinCall& call);
    virtual Status _setItemsPosition(ScriptBuiltinCall& call);
    virtual Status _waitItemPosition(ScriptBuiltinCall& call);
    virtual Status isItemsPosition(ScriptBuiltinCall& call);
    virtual Status setItemsRotation(ScriptBuiltinCall& call);
    virtual Status _setItemsRotation(ScriptBuiltinCall& call);
    virtual Status _waitItemRotation(ScriptBuiltinCall& call);
    virtual Status setItemsScale(ScriptBuiltinCall& call);
    virtual Status _setItemsScale(ScriptBuiltinCall& call);
    virtual Status _waitItemScale(ScriptBuiltinCall& call);
    virtual Status setItemsAnimation(ScriptBuiltinCall& call);
    virtual Status _setItemsAnimation(ScriptBuiltinCall& call);
    virtual Status _waitItemAnimation(ScriptBuiltinCall& call);
    virtual Status setItemsAnimationRandom(ScriptBuiltinCall& call);
    // Item events, counts, groups, texts and parameters.
    virtual Status _waitForEvent(ScriptBuiltinCall& call);
    virtual Status onItemsClickFunction(ScriptBuiltinCall& call);
    virtual Status onItemsClickNull(ScriptBuiltinCall& call);
    virtual Status getItemsCount(ScriptBuiltinCall& call);
    virtual Status setItemGroup(ScriptBuiltinCall& call);
    virtual Status setItemsText(ScriptBuiltinCall& call);
    virtual Status setItemTextScore(ScriptBuiltinCall& call);
    virtual Status setItemsTextColor(ScriptBuiltinCall& call);
    virtual Status setItemParameters(ScriptBuiltinCall& call);
    virtual Status getItemParameters(ScriptBuiltinCall& call);
    virtual Status setItemsHintable(ScriptBuiltinCall& call);
    virtual Status setItemsRollOverable(ScriptBuiltinCall& call);
    virtual Status setHintPopup(ScriptBuiltinCall& call);
    // Tutorial, sounds, mouse and objectives.
    virtual Status pushTuto(ScriptBuiltinCall& call);
    virtual Status _pushTuto(ScriptBuiltinCall& call);
    virtual Status popTuto(ScriptBuiltinCall& call);
    virtual Status setMusic(ScriptBuiltinCall& call);
    virtual Status setNullClickSound(ScriptBuiltinCall& call);
    virtual Status setDefaultClickSound(ScriptBuiltinCall& call);
    virtual Status setNegativeClickSound(ScriptBuiltinCall& call);
    virtual Status setItemsClickSound(ScriptBuiltinCall& call);
    virtual Status setSurroundSound(ScriptBuiltinCall& call);
    virtual Status playSound(ScriptBuiltinCall& call);
    virtual Status setCursor(ScriptBuiltinCall& call);
    virtual Status setMouseConfig(ScriptBuiltinCall& call);
    virtual Status startObjective(ScriptBuiltinCall& call);
    virtual Status stopObjective(ScriptBuiltinCall& call);
    virtual Status putObjectiveToTop(ScriptBuiltinCall& call);
    virtual Status startSubObjective(ScriptBuiltinCall& call);
    virtual Status stopSubObjective(ScriptBuiltinCall& call);
    virtual Status putSubObjectiveToTop(ScriptBuiltinCall& call);
    virtual Status _showCurrentObjective(ScriptBuiltinCall& call);
    virtual Status _waitForVideo(ScriptBuiltinCall& call);
    virtual Status _waitForImage(ScriptBuiltinCall& call);
    // Videos, images, timers, particles, monitors, bars, inventory, popups and waits.
    virtual Status onTimerFunction(ScriptBuiltinCall& call);
    virtual Status onItemsClickParticules(ScriptBuiltinCall& call);
    virtual Status addParticulesOnItems(ScriptBuiltinCall& call);
    virtual Status setMonitorParameters(ScriptBuiltinCall& call);
    virtual Status onMonitorUpdate(ScriptBuiltinCall& call);
    virtual Status _onToolbarList(ScriptBuiltinCall& call);
    virtual Status onAddInventoryItems(ScriptBuiltinCall& call);
    virtual Status _onAddInventoryItems(ScriptBuiltinCall& call);
    virtual Status onRemoveInventoryItems(ScriptBuiltinCall& call);
    virtual Status _onRemoveInventoryItems(ScriptBuiltinCall& call);
    virtual Status _waitForPopupText(ScriptBuiltinCall& call);
    virtual Status _waitForPopupMessage(ScriptBuiltinCall& call);
    virtual Status _waitForToolbox(ScriptBuiltinCall& call);
    virtual Status _waitSeconds(ScriptBuiltinCall& call);

    // ---- item lists ---------------------------------------------------------------------------
    // Starts the walk of an item list of this (the calling) object and positions it on the first
    // item; done when there is none. Unknown names are reported unless quiet.
    void ItemListStart(ItemListIterator& it, const char* list, const BuiltinReport& report, bool quiet);
    // The next item of the walk; done when there is none.
    void NextListItem(ItemListIterator& it, const BuiltinReport& report, bool quiet);

    // ---- commands ---------------------------------------------------------------------------
    // Every element's click and end list and the four event lists, released; the arrays freed.
    void ReleaseCommandLists();
    CCommandList* GetElementEndList(uint32_t i) const
    {
        return m_ppElementEndLists && i < m_commandListCount ? m_ppElementEndLists[i] : nullptr;
    }
    const CommandHandle& GetLevelHandle() const { return m_levelHandle; }
    const CommandHandle& GetFinishHandle() const { return m_finishHandle; }

    // ---- posted messages ------------------------------------------------------------------
    // Takes the text (8-bit, UTILS_MALLOC'ed) and queues it; when the record cannot be made
    // the text is freed and kStatusOutOfMemory (latched) returned.
    Status PostMessage(char* text, uint32_t wParam, uint32_t lParam);
    // Delivers the messages queued when the pass began, oldest first, to "OnReceiveMessage".
    Status DispatchMessages();
    void ClearMessages();
    uint32_t GetMessageCount() const { return m_messageList.GetCount(); }

    // ---- models and tracks ------------------------------------------------------------------
    // Loads a model file by the source of object files into the target.
    Status LoadModelFile(C3DObject* pTarget, const char16_t* name);
    // Each texture name that has a variant in the pack for the current language takes it.
    Status ResolveTextureVariants(C3DObjectRaw* pRaw);
    // "%s.%s%s": the name without its extension, the variant, the extension; kStatusFailed
    // for a name without '.' or one that does not fit.
    static Status MakeVariantName(const char* name, const char* variant, char* out, uint32_t capacity);
    // The tracks of the element play keys first..next at `seconds` (0: the keys' own pace);
    // the largest schedule count of its tracks.
    uint32_t SetElementModifierRange(uint32_t element, uint32_t first, uint32_t next, float seconds, uint32_t flag);
    void SetElementAnimation(uint32_t element, uint32_t mode, uint8_t play, uint8_t reverse, uint8_t pause,
                             uint32_t restart);
    // Every track of the element at one random phase in [0.05, 0.95) of its keys.
    void RandomizeElementAnimation(uint32_t element);
    // The element's tracks play the animation's keys, first to last; `restart` from the first.
    void SetElementTrackRange(uint32_t index, const AnimationTrack* pTrack, uint32_t restart);
    // The element's tracks play its current animation track again (one of a single key: all
    // the keys, its last key then set to where they end).
    void RestartElementTrack(uint32_t index);
    // Reads "%s_object_%d.ani.raw": one word per element and track kind, each non-zero word
    // followed by that track's keys.
    Status AttachModifiers(const char16_t* path);
    // Frees every track of the table, keeping each element's playback words in its saved
    // track state (seven fresh pairs each).
    Status ReleaseModifiers();
    C3DObjectModifier* GetElementTrack(uint32_t element, uint32_t kind) const;
    C3DObject* GetRenderModel() const { return m_pRenderModel; }
    CEffectManager* GetEffectManager() const { return m_pEffectManager; }
    C3DObject* GetCollisionModel() const { return m_pCollisionModel; }

    // ---- element helpers ------------------------------------------------------------------
    // Each stops the element's running animator of that kind (if any) and clears its id.
    void StopElementFade(ElementRecord* pElement);
    void StopElementMove(ElementRecord* pElement);
    void StopElementRotation(ElementRecord* pElement);
    void StopElementScaling(ElementRecord* pElement);
    void StopObjectMove();
    void RemoveElementDropTarget(ElementRecord* pElement);
    // What an accepted drop does to the dragged element once it is used up: by the count of
    // places its rule asks for (ConsumeElement: marked found), then in every case
    // (FinishElementDrop: faded out where it was dropped).
    virtual Status ConsumeElement(ElementRecord* pElement);
    virtual Status FinishElementDrop(ElementRecord* pElement);
    // The tutorial takes a new look at the marked items.
    virtual void RefreshTutorialItems();
    // A fresh effect of the kind for the element; true when the kind changed.
    bool SetElementEffect(ElementRecord* pElement, uint32_t kind);

    // ---- geometry, layout and drawing -------------------------------------------------------
    // The view matrix of the object: the interface view for interfaces other than the menu
    // (the popup view for the popups and the tool box), else the third view for an overlay
    // level and the scene view for the others.
    const float* GetViewMatrix() const;
    // The element is drawn with the interface view: its anchor lacks the safe-rectangle bit and
    // is not 0, or the object is an interface other than the menu.
    bool UsesOverlay(const ElementRecord* pElement) const;
    const float* GetElementViewMatrix(const ElementRecord* pElement) const;
    // Base offset + base position record + second anchor offset, and the object's base point
    // unless the element places itself (anchor code 1) or the object is an overlay in the
    // alternate view. Three floats.
    void GetElementPosition(float* pOut, const ElementRecord* pElement) const;
    // Writes the element's base position record so that its position becomes the point.
    void SetElementPosition(ElementRecord* pElement, const float* pPoint);
    // The element placed where the other is, corrected by both elements' placing offsets.
    void MoveElementOnto(ElementRecord* pElement, const ElementRecord* pOther);
    // Rectangle -1: the element's bounds at its position; else that zone of the object, moved
    // back by the element's layout. kStatusFailed (and the rectangle left alone) for a zone the
    // object does not have.
    Status GetElementScreenRect(float* pOut, const ElementRecord* pElement, int32_t rectangle, uint8_t adjust) const;
    // A screen point (window pixels) in the element's frame: through the inverse of its view
    // matrix, less its position.
    void ScreenToElement(float* pOut, float x, float y, float z, const ElementRecord* pElement) const;
    // The element's position (through its parent, offsets and drag offset) in window pixels.
    void ProjectElementToScreen(float* pOut, const ElementRecord* pElement);
    // The angle in [-pi, pi] from the press point to the current point as the element sees them.
    float GetTurnAngle(const ElementRecord* pElement, float pressX, float pressY, float x, float y) const;
    // Prepares the element's parent chain, its mask, then draws it and its texts.
    Status DrawElementWithTexts(ElementRecord* pElement, int32_t pass);
    // The element drawn through its model's parent link, or null: a link outside the object,
    // onto the element itself, or into a cycle gives none.
    ElementRecord* GetParentElement(const ElementRecord* pElement);
    // In developer mode with the item texts on, an element that answers the pointer is drawn
    // again as an outline in the colour of what it answers to.
    void DrawElementOutline(const ElementRecord* pElement);
    // The noise dissolve while the element's fade is one, with the fade's progress; else null.
    CShaderTransitionNoise* GetElementDissolve(const ElementRecord* pElement, float* pProgress) const;
    // ---- draw cache and masks (shared by every object through the world data record) ---------
    void SelectElementMaterial(ElementRecord* pElement);
    void SelectElementMaterialByIndex(uint32_t index);
    // The depth mask of a zone; false when there is none to draw with (no such zone, no
    // obstruction quad), so the caller draws unmasked.
    bool SelectZoneMask(int32_t zone);
    void ResetMaterialCache();
    float GetAlpha() const { return m_alpha; }
    void SetAlpha(float alpha) { m_alpha = alpha; }
    int32_t GetHeldElement() const { return m_heldElement; }
    void SetHeldElement(int32_t element) { m_heldElement = element; }
    int32_t GetTurnedElement() const { return m_turnedElement; }
    // A random start offset on the axes asked, between the margin and 1 - margin of the size.
    void RandomizeElementOffset(ElementRecord* pElement, uint8_t inX, uint8_t inY, float margin);

    // ---- element texts ----------------------------------------------------------------------
    // How the element's texts lie: its box (the text rectangle: 0 its own bounds, k the
    // object's zone k - 1) through its view, its text size (0: the extra texts' size), the
    // extra texts' font. False without a font.
    bool GetElementTextLayout(const ElementRecord* pElement, ExtraTextLayout* pLayout);
    // The element's popup text and number drawn over it, in its text colour or the default one,
    // with its alpha.
    void DrawElementTexts(ElementRecord* pElement);
    // The element's string text while it has a popup text; null otherwise.
    CExtraDimTextString* GetElementText(const ElementRecord* pElement) const;
    // The text under the pointer takes the hover (the clickable cursor) or the click.
    bool HoverElementText(const ElementRecord* pElement, float x, float y);
    void ClickElementText(const ElementRecord* pElement, float x, float y);
    // How far below a paged text its element still takes a hit (the extra-text manager's).
    float TextHitOffset() const;

    // ---- hit tests --------------------------------------------------------------------------
    // p (in the element's view) strictly inside the element's rectangle: its bounds
    // (rectangle -1) or a zone of the object.
    Status HitTestElementRect(const ElementRecord* pElement, int32_t rectangle, const float* p);
    // The ray from `pRay` along -z through the triangles of one group of the model; u and v of
    // the first hit, from its texture coordinates, to the outputs when both are given.
    Status HitTestMeshTriangles(C3DObject* pObject, const float* pRay, uint32_t group, float* pU, float* pV);
    // (x, y) lies outside the zone that bounds the element's moves (its border is inside).
    bool IsOutsideZone(const ElementRecord* pElement, float x, float y);
    // The cursor the object last chose ("clickable", "draggable", "droppable"; "" for the
    // default one), kept until the cursors have their manager.
    const char* GetChosenCursor() const { return m_pChosenCursor; }

    // ---- element-info helpers ---------------------------------------------------------------
    // One element at rest before the file fills it.
    static void ResetElement(ElementRecord* pElement);
    // What one element owns.
    static void ReleaseElement(ElementRecord* pElement);
    // Every element of the array (through ItemRecordAt), then the array.
    void FreeElements(ElementRecord* pArray, uint32_t count);
    // Element index by name (byte order bisection of the name index), -1 when absent.
    int32_t FindElementByName(const char* name) const;
    // The first object position called `name` (an unnamed one is "default"); else a new
    // record (0, 0, 0) with a copy of the name, blanks turned into '_' (none for null).
    // kStatusOutOfMemory (negative) when it cannot grow.
    int32_t FindOrAddObjectPosition(const char* name);
    // The first position of the element called `name`, -1 when none or no such element.
    int32_t FindElementPosition(uint32_t element, const char* name) const;
    // The first object position, element scale or element animation called `name` (an
    // unnamed one is "default"), -1 when none; nothing is added.
    int32_t FindObjectPosition(const char* name) const;
    static int32_t FindElementScale(const ElementRecord* pElement, const char* name);
    static int32_t FindElementAnimation(const ElementRecord* pElement, const char* name);
    // The base point, plus the selected position, plus the animated offset while it moves.
    void GetPosition(float* pX, float* pY, float* pZ) const;
    // Removes and frees every entry of the record list.
    void ClearRecordList();
    ElementInfoView GetElementInfoView() const;

    // ---- access ----------------------------------------------------------------------------
    uint32_t GetTypeCode() const { return m_typeCode; }
    uint32_t GetObjectNumber() const { return m_objectNumber; }
    uint32_t GetConstructWord() const { return m_constructWord; }
    // How the mouse drags this object's items: kMouseFree or kMouseLock.
    uint32_t GetMouseConfig() const { return m_mouseConfig; }
    const char* GetName() const { return m_pName; }
    uint32_t GetElementCount() const { return m_elementCount; }
    const ElementRecord* GetElements() const { return m_pElements; }
    int32_t GetFirstMark() const { return m_firstMark; }
    int32_t GetLastMark() const { return m_lastMark; }
    uint32_t GetZoneCount() const { return m_zoneCount; }
    const ObjectZone* GetZones() const { return m_pZones; }
    uint32_t GetPositionCount() const { return m_positionCount; }
    // The tutorial steps this object queued (TutoStep records, owned), and whether the tutorial
    // manager is walking them (a pop from a callback then leaves them alone).
    CFIFOList& GetTutoSteps() { return m_tutoSteps; }
    uint8_t IsWalkingTutoSteps() const { return m_tutoWalking; }
    void SetWalkingTutoSteps(uint8_t walking) { m_tutoWalking = walking; }
    const NamedPosition* GetPositions() const { return m_pPositions; }
    uint32_t GetSelectedPosition() const { return m_selectedPosition; }
    // The offset a running move adds to the object's position.
    float* GetPositionOffset() { return m_positionOffset; }
    // A move of the whole object ends at position key `key`.
    void EndPositionMove(uint32_t key)
    {
        m_positionOffset[0] = m_positionOffset[1] = m_positionOffset[2] = 0.0f;
        m_selectedPosition = key;
        m_positionId = 0;
    }
    uint32_t GetVariantCount() const { return m_variantCount; }
    const uint8_t* GetVariants() const { return m_pVariants; }
    const uint32_t* GetNameIndex() const { return m_pNameIndex; }
    CFIFOList& GetSoundList() { return m_soundList; }
    CFIFOList& GetRecordList() { return m_recordList; }
    uint8_t GetOverlay() const { return m_overlay; }
    int8_t GetTextureBias() const { return m_textureBias; }
    uint32_t GetSizeWord() const { return m_sizeWord; }
    uint8_t GetAbuse() const { return m_abuse; }
    void SetAbuse(uint8_t abuse) { m_abuse = abuse; }
    // The waiters for the event "dragged"; null when none.
    CCommandList* GetDraggedEventList() const { return m_pDraggedEventList; }
    // The waiters for a release after a turn; null when none.
    CCommandList* GetTurnedEventList() const { return m_pTurnedEventList; }
    // The waiters for this object to be shown again; null when none.
    CCommandList* GetShownEventList() const { return m_pShownEventList; }
    CCommandList* GetElementClickList(uint32_t i) const
    {
        return m_ppElementClickLists && i < m_commandListCount ? m_ppElementClickLists[i] : nullptr;
    }
    uint32_t GetCommandListCount() const { return m_commandListCount; }
    CScriptBaseKest* GetScript() const { return m_pScript; }
    uint32_t GetRunState() const { return m_runState; }
    int32_t GetCurrentVariant() const { return m_currentVariant; }
    uint8_t IsFinished() const { return m_finished; }
    uint8_t IsWanted() const { return m_wanted; }
    bool IsInterface() const;
    bool IsLevel() const;
    const ObjectsTypeInfo* GetKindRow() const { return m_pKindRow; }
    uint8_t IsShown() const { return m_shown; }
    // The popup and tool box managers show their panels themselves.
    void SetShown(uint8_t shown) { m_shown = shown; }
    uint8_t IsLocked() const { return m_locked; }
    uint8_t IsUnderOverlay() const { return m_underOverlay; }
    uint8_t WasShown() const { return m_wasShown; }
    uint32_t GetReleaseMode() const { return m_releaseMode; }
    uint32_t GetZoomLock() const { return m_zoomLock; }
    uint32_t GetModeWord() const { return m_modeWord; }

protected:
    // ---- builtins ---------------------------------------------------------------------------
    // A report of the builtin being called, with the call's place in the script.
    void TraceCall(const ScriptBuiltinCall& call, uint32_t severity, const char* format, ...) const;
    // onAddInventoryItems (add) and onRemoveInventoryItems on the inventory bar's own items.
    Status ChangeInventory(ScriptBuiltinCall& call, bool add);
    // The body of a builtin this build does not have yet: traced, kStatusFailed.
    Status NotAvailable(ScriptBuiltinCall& call);
    // The wait of a builtin once what it waits for is started: with the tail flag nothing
    // waits (kStatusDoneStoreResult, no command made); else a command resuming the call, of
    // `event`, handed to `attach`: kStatusWait, or kStatusFailed with the command removed when
    // it cannot be made or handed over.
    template <typename Attach>
    Status WaitForCommand(ScriptBuiltinCall& call, uint32_t event, Attach attach)
    {
        if (call.tail)
            return kStatusDoneStoreResult;
        CommandHandle handle;
        if (Failed(AddResumeCommand(call, event, &handle)))
            return kStatusFailed;
        if (Failed(attach(handle))) {
            RemoveResumeCommand(handle);
            return kStatusFailed;
        }
        return kStatusWait;
    }
    // The underscore twin of a plain builtin: the plain form runs with a resume command of
    // `event` in the call's wait slot and attaches it to what it starts. kStatusWait while
    // something took the command; kStatusDoneStoreResult when nothing did (the command is
    // removed) or with the tail flag (the plain form then runs without a command);
    // kStatusFailed, the command removed, when the plain form fails.
    Status RunAsWait(ScriptBuiltinCall& call, uint32_t event, Status (CObjectsBase::*plain)(ScriptBuiltinCall&));
    Status AddResumeCommand(const ScriptBuiltinCall& call, uint32_t event, CommandHandle* pHandle);
    void RemoveResumeCommand(const CommandHandle& handle);
    // The first object of a list (kStatusFailed, reported, when the list names none).
    Status FirstListedObject(const ScriptBuiltinCall& call, const char* list, CObjectsBase** ppObject,
                             uint32_t* pPrefix = nullptr);
    // Calls visit(object, prefix) for every object of the call's first argument, an object list,
    // until one answers a failure, which is returned; else kStatusDoneStoreResult.
    template <typename Visit>
    Status ForEachListedObject(ScriptBuiltinCall& call, Visit visit)
    {
        CScriptManager* scripts = Scripts();
        if (!scripts)
            return kStatusFailed;
        ObjectListIterator it;
        const BuiltinReport report = call.Report();
        for (scripts->ResolveObjectList(it, call.Text(0), m_objectNumber, report, false); !it.done;
             scripts->ResolveObjectListNext(it, report))
            if (CObjectsBase* object = SceneObject(static_cast<uint32_t>(it.object)))
                if (const Status status = visit(object, it.prefix); Failed(status))
                    return status;
        return kStatusDoneStoreResult;
    }
    // Sets the shown and locked bytes (-1 leaves one) of every listed object.
    Status SetListedObjectsFlags(ScriptBuiltinCall& call, int32_t shown, int32_t locked);
    // The variable builtins' target: the first listed object with a loaded script, and the
    // scope word (1: another object, only its exported globals).
    Status VariableTarget(ScriptBuiltinCall& call, CObjectsBase** ppObject, bool* pExported);
    // Walks an object list of dependencies: each other object's script loaded; with `wanted`
    // each is also wanted (once) and its "OnDepedencies" runs.
    Status WalkDependencies(ScriptBuiltinCall& call, bool wanted);
    // A dependency on a resident object: the world's last error text and a written log line
    // name this object and the resident one.
    void ReportResidentDependency(bool wanted, const CObjectsBase* pResident);
    // A variable builtin: the access on the target's script, kStatusFailed (reported) when
    // the variable is missing, of another type or not exported.
    Status VariableAccess(ScriptBuiltinCall& call,
                          Status (*access)(CScriptBaseKest* script, ScriptBuiltinCall& call, bool exported));
    // The load of another object's script for the current chapter, when it is not loaded.
    Status EnsureScriptLoaded(CObjectsBase* pObject);
    // When this object is the tool box holding a waiting caller, that caller's wait gets 1 and
    // the tool box closes; kStatusFailed when the result cannot be set.
    Status ReleaseToolboxCaller(ScriptBuiltinCall& call, bool otherOnly);
    // _waitForVideo and _waitForImage: the splash screens show the first argument (a leading '*'
    // for the definition-sized corner) and the script goes on when it is over.
    Status WaitForSplash(ScriptBuiltinCall& call, bool video);
    // The objective identifiers of the call's first `count` arguments: the popup groups they
    // name, -1 for an empty name; kStatusFailed (reported) for an unknown name or no manager.
    Status ObjectiveIdentifiers(ScriptBuiltinCall& call, uint32_t count, uint32_t* pIdentifiers,
                                CObjectiveManager** ppObjectives);
    // An objective builtin: the manager's operation on the named objective (and sub-objective).
    Status ChangeObjective(ScriptBuiltinCall& call, Status (CObjectiveManager::*op)(uint32_t));
    Status ChangeSubObjective(ScriptBuiltinCall& call, Status (CObjectiveManager::*op)(uint32_t, uint32_t));
    // Calls `visit(owner, element)` for every element an item list of this object names, in
    // list order; the first failure ends the walk and is returned.
    template <typename Visit>
    Status ForEachListedItem(const ScriptBuiltinCall& call, const char* list, Visit visit)
    {
        ItemListIterator it;
        const BuiltinReport report = call.Report();
        for (ItemListStart(it, list, report, false); !it.done; NextListItem(it, report, false)) {
            CObjectsBase* owner = SceneObject(static_cast<uint32_t>(it.object));
            ElementRecord* element = owner && static_cast<uint32_t>(it.element) < owner->m_elementCount
                                         ? owner->GetItemRecord(static_cast<uint32_t>(it.element))
                                         : nullptr;
            if (!element)
                continue;
            const Status status = visit(owner, element);
            if (Failed(status))
                return status;
        }
        return kStatusOk;
    }
    // The first element an item list names, with its owner; false when it names none.
    bool FirstListedItem(const ScriptBuiltinCall& call, const char* list, CObjectsBase** ppOwner,
                         ElementRecord** ppElement);
    // "invalid out of object item %S" for an element of another object; kStatusFailed then.
    Status RefuseForeignItem(const ScriptBuiltinCall& call, const CObjectsBase* owner, const char* list) const;
    // Shows, hides or inverts the listed elements at once (the three plain visibility forms).
    Status SetListedItemsVisible(ScriptBuiltinCall& call, int32_t show);
    // Starts a fade of `mode` on each listed element, with the call's wait command when it has
    // one; `ownOnly` refuses elements of other objects, `setAction` makes the mode their action.
    Status FadeListedItems(ScriptBuiltinCall& call, uint32_t mode, float seconds, bool ownOnly, bool setAction);
    // The plain forms the underscore visibility twins wait on: a fade of the default length.
    Status FadeItemsShow(ScriptBuiltinCall& call);
    Status FadeItemsHide(ScriptBuiltinCall& call);
    Status FadeItemsInvert(ScriptBuiltinCall& call);
    Status FadeItemsNamed(ScriptBuiltinCall& call);
    // Clickable with `action` as the fade its click starts: found, turnable, drop-record and
    // draggable bits cleared, the running fade stopped. True when it carries the tutorial mark.
    static bool MakeElementClickable(CObjectsBase* owner, ElementRecord* element, uint32_t action);
    // Draggable with the drag mode `mode` (its drop target gone, the found, turnable,
    // drop-record and clickable bits cleared, the fade stopped), or turnable (found,
    // drop-record, draggable and clickable cleared). True when it carries the tutorial mark.
    bool MakeElementDraggable(ElementRecord* pElement, uint32_t mode);
    bool MakeElementTurnable(ElementRecord* pElement);
    // Where a newly draggable element starts: a randomized looped drag at a random offset on
    // its axes, any other at its place; snapped and wrapped. With `pushOut` an offset within
    // one snap step of 0 on a looped axis goes a step further out (snapped and wrapped again).
    void PlaceDragStart(ElementRecord* pElement, bool pushOut);
    // The animation named by the call's second argument on each listed element, on the tracks
    // of the element's own object, with the call's "pause", "resume" and "invert" words;
    // `waited` for the waiting form. The first element and its owner, and how many there were.
    Status StartListedAnimations(ScriptBuiltinCall& call, bool waited, CObjectsBase** ppFirstOwner,
                                 ElementRecord** ppFirst, uint32_t* pCount);
    // The element's click list loses its handles of `kind`, released at the command list
    // manager when `release`.
    void RemoveClickCommands(uint32_t element, uint32_t kind, bool release);
    // A burnt finish handle reaches the recorded "finished" waiter, or is kept for the next.
    void DeliverFinish(uint32_t value);
    // Records the call waiting on "finished"; a finish kept meanwhile is queued for it at once.
    void RecordFinishWaiter(uint32_t hostWord);

    // ---- the scene, as lists and builtins see it ------------------------------------------------
    // Each answers for an absent objects manager: the object itself is the whole scene.
    virtual CObjectsBase* SceneObject(uint32_t index);
    virtual uint32_t SceneObjectCount();
    virtual int32_t FindSceneObject(const char* name);
    virtual CObjectsBase* CurrentSceneObject();
    // Item groups by name (-1 none); a group's member count and members (false for a member
    // that is skipped).
    CGroups* ItemGroups() const;
    virtual int32_t FindItemGroup(const char* name);
    virtual uint32_t ItemGroupSize(int32_t group);
    virtual bool ItemGroupMember(int32_t group, uint32_t member, int32_t* pObject, int32_t* pElement);
    // The tool box's waiting caller (object index, -1 none, and its activation) and its close.
    virtual int32_t GetToolboxCaller(uint32_t* pActivation);
    virtual void CloseToolbox();
    // Level changes of the objects manager: a level (-1 keeps it) and chapter (-1 keeps it);
    // an object's activity restarted; the end of the game.
    virtual Status RequestLevel(int32_t level, int32_t chapter, uint8_t reload);
    virtual Status RestartObjectActivity(uint32_t index);
    virtual Status GameOver();
    // The flashlight overlay back to the screen's centre.
    virtual void CenterFlashlight();

    // ---- item list steps ------------------------------------------------------------------------
    // Resolves tokens until one names an item (or a group with a member); done when none does.
    void ResolveNextItemToken(ItemListIterator& it, const BuiltinReport& report, bool quiet);
    // An element named by one token: a name of this object, "@OBJnnn@name" or "@object@name".
    bool ResolveItemToken(char* token, int32_t* pObject, int32_t* pElement);
    // The walk's next member of its group; false when the group is used up.
    bool NextGroupMember(ItemListIterator& it);

    // ---- what the object asks of the managers of later parts ---------------------------------
    // Each answers for an absent manager; the manager's own part adds its call.
    // Chapters: their count and the current one (0 and 0 without a chapters manager).
    virtual uint32_t ChapterCount();
    virtual uint32_t CurrentChapter();
    CChaptersManager* Chapters() const;
    // Objects manager: this object is the current level; a change to its level; its models
    // loaded and released.
    virtual bool IsCurrentLevelObject();
    virtual void SetCurrentLevel();
    virtual void OnModelLoaded();
    virtual void OnModelReleased();
    // The object's effect manager: made at load, stepped, reset when the models change,
    // released; the element effects in it.
    virtual Status CreateEffectManager();
    virtual void ReleaseEffectManager();
    virtual void UpdateEffects();
    virtual void ResetEffects();
    virtual uint32_t AddEffect(uint32_t kind, uint32_t element);
    virtual void RemoveEffect(uint32_t id);
    // The music manager, or null when the world has no audio engine or no music manager.
    CMusicManager* Music() const;
    // The surround manager, or null when the world has no audio engine: the sound builtins
    // then do nothing.
    CSurroundManager* AudibleSounds() const;
    // The click sound of a role (null, default, negative) from the call's name.
    Status SetClickSound(ScriptBuiltinCall& call, uint32_t role);
    // Sets (set) or clears `flag` of every listed element, which must all be this object's.
    Status SetListedItemsFlag(ScriptBuiltinCall& call, uint32_t flag, bool set);
    // Surround sound: the object's ambient sounds and its elements' click sounds (by their
    // ids in this object).
    CSurroundManager* Sounds() const;
    virtual Status AddObjectSound(const char* name);
    virtual Status ReleaseObjectSounds();
    virtual Status StopSound(uint32_t sound);
    // The shared cycle of the object's flicker effects starts again (when it has effects).
    virtual void RestartSharedEffectCycle();
    // A fade of `mode` on element `element` of object `object`: its 1-based id, 0 when none runs.
    virtual uint32_t AddFade(uint32_t mode, float seconds, uint32_t object, uint32_t element,
                             const CommandHandle* pCommand);
    // Animators and drop records by 1-based id; game timers of the object.
    virtual void RemoveFade(uint32_t id);
    virtual void RemoveMove(uint32_t id);
    virtual void RemoveRotation(uint32_t id);
    virtual void RemoveScaling(uint32_t id);
    virtual void RemoveDropTarget(uint32_t id);
    virtual Status RemoveTimersOfObject();
    // Finishes the fade or animator `id` of the manager in world slot `slot`.
    void RemoveTimedItem(int32_t slot, uint32_t id);

    CScriptManager* Scripts() const;
    CCommandListManager* Commands() const;
    CObjectsManager* ObjectsManager() const;
    C3DEngine* Engine() const;
    CObstruction* Obstruction() const;
    // Whether the drag-and-drop manager is dragging this element of this object (none yet).
    virtual bool IsDraggedByManager(const ElementRecord* pElement);
    // ---- input: what the object asks of the managers of later parts ---------------------------
    // The tutorial's current step; false without a tutorial.
    virtual bool GetTutorialStep(TutorialStep* pStep);
    // The tutorial takes the input its step waits for.
    virtual void OnTutorialInput();
    // The empty-click mode of the tutorial's current step.
    virtual bool IsTutorialWaitingForClick();
    // Asks the cursors for this frame's cursor by name ("clickable", "draggable",
    // "droppable"), null for the arrow, and keeps the name asked for.
    virtual void SelectCursor(const char* name);
    // The drop of a dragged element with a drop record: a non-negative status when it was
    // taken, the target object and element in words 2 and 3 of the result.
    virtual bool HasDragDrop();
    virtual Status DropElement(float x, float y, ElementRecord* pElement, uint32_t* pResult);
    // Ends the glide home of a refused item at once.
    virtual void EndDropHighlight();
    // A place of one of this object's drop rules under (x, y): the "droppable" cursor, the place
    // in the record; false when there is none.
    virtual bool SelectDropTargetCursor(float x, float y, HitRecord* pRecord);
    virtual void PlayElementSound(uint32_t sound);
    virtual void PlayDefaultClick();
    virtual void PlayNullClick();
    virtual void OnAbuseClick();
    // The object's effects count no flicker-cycle effect (nothing to restart on an empty click).
    virtual bool HasNoCycleEffect();
    // A click that starts a dissolve plays the game's click effect over the element.
    virtual void StartClickEffect(ElementRecord* pElement);
    // A fade of the action on the element, of the default length: its id, 0 when none runs.
    virtual uint32_t StartActionFade(uint32_t action, uint32_t element);
    virtual uint32_t StartTurnRotation(uint32_t target, uint32_t element);
    // Whether a popup, the object popup or the tool box holds this object; the cheat leaves
    // such a step to them.
    virtual bool IsHeldByPanel();
    // The items list object, when loaded; the cheat reaches it too.
    virtual CObjectsBase* LoadedItemsList();
    // The element's own click sound, or the default click.
    void PlayClickSound(const ElementRecord* pElement);
    // The screen point (x, y) of the element's origin.
    void ElementScreenCentre(const ElementRecord* pElement, float* pOut);
    // The drag step of (dx, dy) in window pixels, in the element's units; false when the
    // element cannot be dragged (a scale of 0).
    bool DragStepInElementUnits(const ElementRecord* pElement, float* pDelta);
    // Steps after the flags of both point tests: the element's proxy, its radius, its hit
    // rectangle or its collision group.
    Status HitTestShape(float x, float y, const ElementRecord* pElement, float* pLocal, float radius, float* pU,
                        float* pV);
    // The tutorial gate for this object's element; false without a tutorial.
    bool TutorialBlocks(const ElementRecord* pElement, uint32_t allow);
    // The step is not done and is this element.
    bool IsTutorialElement(const ElementRecord* pElement);
    // The area an anchored element is laid out in: the full screen, or the safe rectangle
    // (left, top, right, bottom).
    void AnchorArea(uint16_t word, float* pArea) const;
    // Anchor code 1: the element's corners spread over the screen's width, its height kept.
    void LayOutStrip(ElementRecord* pElement);
    // A read stream over one of the object's files, by the game's source of object files:
    // kStatusFailed when the locator does not find it, kStatusOutOfMemory for another source
    // or a stream that cannot be made. The stream is not opened yet.
    Status OpenObjectStream(const char16_t* path, UtilsStream** ppStream);
    // The object's own file name: the data-name prefix, the number and the suffix.
    void ObjectFileName(char16_t* out, uint32_t number, const char16_t* suffix) const;
    // Both models unloaded and the tracks freed without keeping their state.
    void UnloadModels();
    // The models hold one group per element, triangle lists whose indices stay in their vertices.
    bool ModelsFitElements();
    // The list made (and loaded) when there is none yet.
    Status MakeCommandList(CCommandList** ppList);
    Status AddListCommand(CCommandList** ppList, const CommandHandle& handle);
    void FreeModifierTable();
    // The two state words of a track (its key and the time within it) into `pair`; 0 and 0
    // without a track.
    static void KeepTrackState(const C3DObjectModifier* pTrack, uint32_t* pair);
    // ---- profile state --------------------------------------------------------------------
    // A present byte, then the list's own state when there is a list.
    Status SaveCommandList(UtilsStream_Chunk* pChunk, const CCommandList* pList);
    // The present byte; when set, the list (made when absent) loads itself.
    Status LoadCommandList(UtilsStream_Chunk* pChunk, CCommandList** ppList);
    // The object's and an element's reads; the slots check the indexes after them.
    Status ReadObjectState(UtilsStream_Chunk* pChunk);
    Status ReadElementState(UtilsStream_Chunk* pChunk, ElementRecord& e);
    Status LoadMessages(UtilsStream_Chunk* pChunk);
    Status LoadRecords(UtilsStream_Chunk* pChunk);
    // The element's 22 runtime words and the eight bytes after them, written or read.
    static bool ElementRuntimeWords(UtilsStream_Chunk* pChunk, ElementRecord& e, bool write);
    // Every index of the element read from a profile that does not fit is put at rest.
    void CheckElementIndexes(ElementRecord& e);
    Status LoadElementTracks(UtilsStream_Chunk* pChunk, ElementRecord& e, bool* pLoaded);
    Status LoadElementTrackState(UtilsStream_Chunk* pChunk, ElementRecord& e, bool tracksLoaded);
    Status SaveElementTexts(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk, const ElementRecord& e);
    Status LoadElementTexts(UtilsStream_Chunk* pChunk, ElementRecord& e);
    // Sets the out-of-memory word of the world and answers kStatusOutOfMemory.
    Status OutOfMemory();
    // The two per-element command-list arrays, one empty entry per element of the new count.
    Status ResizeElementCommandLists(uint32_t count);
    void FreeElementCommandLists();
    // Everything the element-info file filled, freed.
    void ReleaseElementInfo();
    void FreeZones();
    void FreeObjectPositions();
    // Reads the file after its version (steps 3 on).
    Status ReadElementInfo(UtilsStream* pStream);
    Status ReadElement(UtilsStream* pStream, ElementRecord* pElement);
    // The indexes read from the file, checked against the element and zone counts.
    Status CheckElementInfo();

    uint32_t m_typeCode = 0;
    const ObjectsTypeInfo* m_pKindRow = nullptr;
    uint8_t m_loaded = 0;
    uint8_t m_overlay = 0;          // shown over the previous level, with the alternate view
    int8_t m_textureBias = 0;
    uint32_t m_sizeWord = 0;        // loaded size units
    uint32_t m_objectNumber;
    uint32_t m_constructWord;
    uint32_t m_mouseConfig = 0;
    uint8_t m_ready = 0;            // the interface's first layout succeeded
    char* m_pName = nullptr;
    CFIFOList m_soundList;          // owned 8-bit names
    uint32_t m_zoomLock = 1;
    uint8_t m_abuse = 0;            // the abuse overlay counts wrong clicks here
    uint8_t m_shown = 0;
    uint8_t m_wasShown = 0;
    uint8_t m_locked = 1;
    uint8_t m_wanted = 0;
    uint8_t m_underOverlay = 0;
    uint32_t m_releaseMode = 0;
    int32_t m_firstMark = -1;
    int32_t m_lastMark = -1;
    C3DObject* m_pRenderModel = nullptr;
    C3DObject* m_pCollisionModel = nullptr;
    uint8_t m_isLevel = 0;
    uint32_t m_reservedAfterLevel = 1;
    float m_alpha = 1.0f;
    ElementRecord* m_pElements = nullptr;
    uint32_t m_elementCount = 0;
    int32_t m_heldElement = -1;
    int32_t m_turnedElement = -1;
    uint8_t m_reservedAfterTurned = 0;
    uint8_t m_drawPass = 0;
    float m_brightness = 1.0f;
    uint32_t* m_pNameIndex = nullptr;
    ObjectZone* m_pZones = nullptr;
    uint32_t m_zoneCount = 0;
    NamedPosition* m_pPositions = nullptr;  // record 0 is the base point
    uint32_t m_positionCount = 0;
    uint32_t m_positionId = 0;      // running position animator, 0 none
    float m_positionOffset[3] = {0.0f, 0.0f, 0.0f};
    uint32_t m_selectedPosition = 0;
    uint8_t* m_pVariants = nullptr; // one byte per chapter
    uint32_t m_variantCount = 0;
    CScriptBaseKest* m_pScript = nullptr;
    uint32_t m_runState = kRunNotStarted;
    int32_t m_currentVariant = -1;
    CommandHandle m_levelHandle = {};
    CommandHandle m_finishHandle = {};
    uint8_t m_finished = 0;
    CCommandList** m_ppElementClickLists = nullptr;
    CCommandList** m_ppElementEndLists = nullptr;
    uint32_t m_commandListCount = 0;
    CCommandList* m_pClickedEventList = nullptr;
    CCommandList* m_pDraggedEventList = nullptr;
    CCommandList* m_pTurnedEventList = nullptr;
    CCommandList* m_pShownEventList = nullptr;
    uint32_t m_modeWord = 0;        // kModeFlashlight
    const char* m_pChosenCursor = "";
    CEffectManager* m_pEffectManager = nullptr;
    uint32_t m_finishWaiter = kNoFinishWaiter;  // host word of the call waiting on "finished"
    uint8_t m_finishKept = 0;       // a finish burnt while no call waited
    uint32_t m_finishValue = 0;
    CFIFOList m_recordList;         // ObjectRecord entries, saved with the profile
    CFIFOList m_messageList;        // PostedMessage entries, oldest first
    uint64_t m_messageSerial = 0;   // of the last message posted
    C3DObjectModifier* (*m_pModifierTable)[kElementTrackKinds] = nullptr;  // one row per element
    uint32_t m_modifierRows = 0;
    CFIFOList m_tutoSteps;          // TutoStep records queued by this object's script
    uint8_t m_tutoWalking = 0;      // the tutorial manager walks m_tutoSteps
};

// A posted message.
struct PostedMessage {
    char* text;      // owned
    uint32_t wParam;
    uint32_t lParam;
    uint64_t serial; // a delivery pass takes only the messages posted before it began
};

// An entry of the object's record list: eight words (the seventh a float), two owned texts
// and the done byte.
struct ObjectRecord {
    uint32_t words[8];
    char* pTextA;
    char* pTextB;
    uint8_t done;
};

// Adds a copy of the name unless an equal one is in the list: 0, or kStatusFailed for a null,
// empty or present name, kStatusOutOfMemory when it cannot be copied.
Status AddUniqueNameToList(CFIFOList* pList, const char* name);
