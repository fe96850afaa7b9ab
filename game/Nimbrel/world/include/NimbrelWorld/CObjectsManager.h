#pragma once
// The owner of every scene object of the game (menus, interfaces and levels). The construction
// file fills its object array; level activation decides which objects are current and puts
// them in the active list in stacking order (the tail is the top-most). Once a frame it
// updates and draws the active objects from head to tail; pointer input goes from the tail to
// the head, to the first object that takes it. It owns the scene's zoom and pan.
//
// The managers it calls (popups, tool box, tutorial, flashlight, surround sound, abuse
// overlay, touch marks) are asked through protected virtual helpers that answer for an absent
// manager.
#include <cstdint>

#include "NimbrelWorld/ConstructionFile.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"

class CDragInertia;
class CObjectsBase;
class CTutoManager;
struct HitRecord;
class UtilsStream;

// What UpdateView works from, gathered in one place (ViewInputs).
struct ObjectsViewInputs {
    float viewWidth, viewHeight;          // the view size
    float factorX, factorY;               // the view's scale factors
    float offsetX, offsetY;               // where the fit puts the reference screen's origin, virtual units
    float interfaceFactorX, interfaceFactorY;  // the interfaces' view: the whole reference screen,
    float interfaceOffsetX, interfaceOffsetY;  // centred in the window
    float panFactorX, panFactorY;
    float alternateWidth, alternateHeight;
    float alternateFactorX, alternateFactorY;
    float alternateOffsetX, alternateOffsetY;
    uint8_t alternate;                    // the third view takes the alternate size and factors
    float screenWidth, screenHeight;      // the virtual screen
    float minimumMaximumZoom;             // the maximum zoom is never below it
    float frameStep;                      // thirtieths of a second
    float zoomCentreX, zoomCentreY;       // the gesture centre
};

class CObjectsManager : public CManagedObject {
public:
    explicit CObjectsManager(WorldData* pWorldData);
    ~CObjectsManager() override;

    // Makes the drag tracker: kStatusOutOfMemory (latched), kStatusFailed when it cannot load.
    Status Load() override;
    Status Unload() override { return Release(); }
    // The objects released (below) and the drag tracker deleted. 0.
    virtual Status Release();
    // Every object released and deleted (empty slots skipped), the arrays freed, the lists
    // emptied; the drag tracker stays, for the next construction.
    void ReleaseObjects();
    // Per frame in play: the active objects from head to tail.
    void Update() override;
    void Render() override { Draw(); }
    virtual Status Draw();

    // Pointer input in virtual units; always 0 (an object's refusal passes the input on).
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    virtual Status OnGesture(float x1, float y1, float x2, float y2);
    virtual Status OnGestureEnd();
    virtual void SetZoomDelta(float delta) { m_zoomDelta = delta; }
    void OnMouseWheel(float delta) override { SetZoomDelta(delta); }
    // The first active object from the top that gives a cursor: 0; none: kStatusFailed.
    virtual Status OfferCursor(float x, float y);
    // The first active object from the top with an element under (x, y), in the record: 0;
    // none: kStatusFailed.
    virtual Status HitTestObjects(float x, float y, HitRecord* pRecord);

    // Once a frame from the world's update: the view matrices from the zoom and pan.
    void UpdateView(uint32_t reset);
    // The view matrices and scales again from the present zoom and pan, without a step: the
    // relayout lays the objects out for a new window before the next frame's update.
    void ApplyView();
    // Eases the zoom back to 1.0 (the hint shows).
    void RequestZoomReset() { m_zoomReset = 1; }
    // The zoom back to 1.0 at once (the end of every level activation).
    void ResetZoom() { m_zoom = 1.0f; }

    // The seven interface indices as seven u32: kStatusFailed for a stream error or an index
    // that is neither -1 nor an object (nothing changes then).
    virtual Status LoadState(UtilsStream* pStream);
    virtual Status SaveState(UtilsStream* pStream);

    // Hands a document or web address to the shell; with quit, the program is then asked to
    // end. false when the shell cannot take it (no quit then).
    static bool OpenDocument(const char16_t* document, uint8_t quit);

    // ---- the construction ---------------------------------------------------------------------
    // The object section of the construction file: the count, the interface indices, one
    // object per record through the factory. kStatusFailed for a short read or a type code
    // without a kind; kStatusMismatch for an invalid section; kStatusOutOfMemory (latched) also
    // for a kind this build has no class for. Objects made before a failure stay.
    Status ConstructFromStream(UtilsStream* pStream);
    // The object factory: a new object of the row's class, or null (a class this build lacks,
    // or no memory).
    virtual CObjectsBase* CreateObject(uint32_t typeCode, uint32_t wordA, uint32_t wordB);
    // Each object's Load and element-info file "<base>_object_<i>.raw", then its layout:
    // kStatusFailed at the first failure.
    Status BuildObjectsFromRaw();
    // The sorted name index of the objects: 0, kStatusOutOfMemory (latched).
    Status BuildNameIndex();
    // Every resident kind's model (its LoadReleaseModel): kStatusFailed at the first failure.
    Status LoadResidentModels();

    // ---- level change and activation ----------------------------------------------------------
    // Asks the world for a level change (state 6, no transition): level and chapter are kept
    // when kNoObjectIndex is passed. 0, or the world's answer.
    virtual Status SetCurrentLevel(uint32_t level, uint32_t chapter, uint8_t reload);
    // Clears what belongs to a level: particles, animators, popups, tool box; the tutorial,
    // timers and drag and drop made anew; every script's handlers; the objectives when asked.
    // kStatusFailed when one of them fails.
    virtual Status ResetManagers(uint8_t resetObjectives);
    // The full level change of the level-activation state: profile and chapter switches, the
    // objects rebuilt for a new chapter, the requested level prepared and activated, the saved
    // profile read into it. kStatusFailed.
    virtual Status ApplyLevelChange();
    // Empties the active list and marks the objects the level needs (its script names them).
    // With pNeedsLoading: 1 when one of them is not loaded. kStatusFailed.
    virtual Status PrepareLevel(uint32_t level, uint8_t reload, uint8_t* pNeedsLoading);
    // A dependency on a resident object was refused: during a level's preparation the game
    // ends on it, as no other level choice mends the construction.
    void NoteResidentDependency() { m_residentDependency = 1; }
    // Loads what the prepared level needs within the memory budget, shows and hides objects with
    // their events and builds the active list. kStatusFailed (also for a level that is no object).
    virtual Status ActivateLevel(uint32_t level, uint8_t releaseAll, uint8_t startScripts);
    // The quick path of a level change that needs no loads: the sounds reset, the level
    // activated without starting scripts, the sounds prepared. kStatusFailed.
    Status RestoreLevel(uint32_t level, uint8_t reload);
    // Releases least-recently-used objects until the loaded size total (the loaded object
    // count) is at most the limit: first those not wanted, then wanted ones that may go.
    // kStatusFailed when a release fails.
    virtual Status OnReleaseTexturesMemory(uint32_t limit);
    virtual Status OnReleaseObjectsMemory(uint32_t limit);
    // The objects tell of their models: the loaded list and totals follow.
    virtual void OnObjectModelLoaded(CObjectsBase* pObject);
    virtual void OnObjectModelReleased(CObjectsBase* pObject);
    // Restarts one object's scripts (its commands dropped, its script loaded again for the
    // chapter `argument`, "OnStart" and "OnRun" when it is on screen). kStatusFailed.
    virtual Status RestartActivity(uint32_t index, uint32_t argument);
    // How many objects may stay loaded: 28, or a quarter of a construction above 112 objects.
    static uint32_t ObjectLimit(uint32_t objectCount);

    // ---- chapter and level selection -----------------------------------------------------------
    // Continues the current profile's game or starts it anew (always with force), tells the main
    // script, switches the tutorial and requests the level. 0; kStatusFailed with the chapter and
    // slot state put back.
    virtual Status SelectChapterLevel(uint8_t force);
    // The game is over: the profile records it and the current level is entered again.
    // kStatusWait (the calling script is suspended), else kStatusFailed.
    virtual Status OnGameOver();

    // ---- lookups --------------------------------------------------------------------------------
    // The object called `name` (bisection of the name index), -1 when none.
    int32_t FindLevelIndexByName(const char* name) const;
    // The first object of the type code called `name` (any name for null), -1 when none.
    int32_t FindLevelByNameAndType(const char* name, uint32_t typeCode) const;
    // "@level@element": the object and its element: 0, else kStatusFailed.
    Status ResolveLevelReference(const char* reference, int32_t* pObject, int32_t* pElement) const;
    // The first object called `name` in index order (linear), null when none.
    CObjectsBase* FindObjectByName(const char* name) const;

    // ---- access ---------------------------------------------------------------------------------
    uint32_t GetObjectCount() const { return m_objectCount; }
    CObjectsBase* GetObject(uint32_t index) const
    {
        return m_ppObjects && index < m_objectCount ? m_ppObjects[index] : nullptr;
    }
    const uint32_t* GetNameIndex() const { return m_pNameIndex; }
    uint32_t GetInterfaceIndex(uint32_t role) const
    {
        return role < kInterfaceRoleCount ? m_interfaces[role] : kNoObjectIndex;
    }
    // The object of a role, null for none.
    CObjectsBase* GetInterfaceObject(uint32_t role) const { return GetObject(GetInterfaceIndex(role)); }
    // The tool box manager makes the panel or popups object it shows the current one.
    void SetInterfaceIndex(uint32_t role, uint32_t index)
    {
        if (role < kInterfaceRoleCount)
            m_interfaces[role] = index;
    }
    // The chapter the objects' scripts load for (the first one while none is chosen).
    uint32_t ScriptChapter() const;
    CFIFOList& GetActiveList() { return m_activeList; }
    CObjectsBase* GetCurrentObject() const { return m_pCurrentObject; }
    void SetCurrentObject(CObjectsBase* pObject) { m_pCurrentObject = pObject; }
    CObjectsBase* GetCapturedObject() const { return m_pCapturedObject; }
    // A release taken by a panel's manager: the object that took the press gets none.
    void DropCapture() { m_pCapturedObject = nullptr; }
    CObjectsBase* GetCurrentLevelObject() const { return m_pCurrentLevel; }
    uint32_t GetRequestedLevel() const { return m_requestedLevel; }
    uint32_t GetRequestedChapter() const { return m_requestedChapter; }
    uint32_t GetRequestedProfile() const { return m_requestedProfile; }
    uint8_t GetReloadFlag() const { return m_reload; }
    CFIFOList& GetLoadedList() { return m_loadedList; }
    uint32_t GetLoadedBudget() const { return m_loadedBudget; }
    void SetLoadedBudget(uint32_t budget) { m_loadedBudget = budget; }
    uint32_t GetLoadedSize() const { return m_loadedSize; }
    uint32_t GetLoadedObjects() const { return m_loadedObjects; }
    uint32_t GetLoadedLevels() const { return m_loadedLevels; }
    float GetZoom() const { return m_zoom; }
    float GetPanX() const { return m_panX; }
    float GetPanY() const { return m_panY; }
    uint8_t IsPanning() const { return m_panning; }
    uint8_t IsZoomResetRequested() const { return m_zoomReset; }
    // How fast the last drag of a taken press was released; null before Load.
    CDragInertia* GetDragInertia() const { return m_pDragInertia; }
    // A popup shows, or the object popup or the tool box belongs to the object.
    bool IsObjectHeldByPanel(uint32_t number)
    {
        return IsPopupShowing() || GetPopupOwner() == number || GetToolboxOwner() == number;
    }

protected:
    // A tracker on the platform's clock; tests give their own.
    virtual CDragInertia* CreateDragInertia();
    // The view's inputs: the reference size, the adjusted view scale, pan factors 1.0 and the
    // world data's screen, frame step and gesture centre.
    virtual ObjectsViewInputs ViewInputs() const;
    // The view record written from the zoom, the pan and the inputs.
    void WriteView(const ObjectsViewInputs& in);
    // Absent managers' answers: no popup, no tool box, no tutorial, silent null click.
    virtual bool IsPopupShowing() { return false; }
    virtual uint32_t GetPopupOwner() { return kNoObjectIndex; }
    // The object whose panel the tool box manager shows.
    virtual uint32_t GetToolboxOwner();
    virtual void PlayNullClick();
    // The flashlight, while the current object works with it; null otherwise.
    virtual CManagedObject* FlashlightFirst();
    // The touch mark of the state word's slot at (x, y) less the cursor's hot spot.
    virtual void AddTouchMark(float x, float y, uint32_t state);
    // Every particle and emitter gone.
    virtual void RemoveAllParticles();
    // What a level change asks of the managers of later parts, answered for absent ones.
    virtual void ClearEffectClicks();
    // The click effects playing over the object, drawn after it.
    void DrawClickEffects(uint32_t objectNumber);
    // Pending label groups and the narrator line dropped (with `full`), the popup and the
    // object popup closed.
    virtual void ResetPopups(uint8_t full);
    virtual void CloseToolboxAtOnce();
    // The flashlight off at the screen's centre.
    virtual void CenterFlashlight();
    virtual void ResetAbuse();
    // The abuse overlay counts a wrong click; stepped and drawn after the objects that count.
    virtual void OnAbuseClick();
    virtual void UpdateAbuse();
    virtual void RenderAbuse();
    virtual void CloseTutorialStep();
    virtual void TutorialItemsChanged();
    // The popup manager's pending label groups (read back with a profile) get their pictures
    // and countdowns back. 0.
    virtual Status UpdateLabelGroups();
    virtual Status ResetAllSounds();
    virtual Status PrepareAllSounds();
    virtual Status StopObjectSounds(uint32_t objectNumber);
    virtual void SetTutorialOff(uint8_t off);
    // The tutorial manager, when there is one.
    CTutoManager* Tutorial() const;
    // A step of the object shows: the tutorial object takes the gesture first (its hit test for
    // a press, its click for a release, its cursor), or any press when the step waits for one.
    // True when the tutorial took it.
    bool TutorialTakesPress(CObjectsBase* pObject, float x, float y);
    bool TutorialTakesClick(CObjectsBase* pObject, float x, float y, uint32_t state);
    bool TutorialTakesCursor(CObjectsBase* pObject, float x, float y);
    // The main script's "OnStart", "OnEnableTutorial" or "OnDisableTutorial".
    virtual void CallMainScript(const char* function);
    // The loading screen's bar, through the world (each step draws a frame).
    virtual void ProgressRange(uint32_t step, uint32_t maximum);
    virtual void ProgressAdvance();
    // Unloads and loads again the manager of a world slot when it exists: 0, else kStatusFailed.
    Status ReloadWorldManager(int32_t slot);
    // The object's release for room: its model and its sounds.
    Status ReleaseForRoom(CObjectsBase* pObject, const char16_t* format);
    Status ReleaseWalk(uint32_t limit, bool byCount);
    // The second, short clearing of a level activation.
    void ClearLevelManagers();
    void BuildActiveList(CObjectsBase* pTarget);

    // Whether the three pointer walks skip an object; `passedOverlay` is set once the walk has
    // passed a current object with the overlay flag.
    bool SkipInWalk(CObjectsBase* pObject, bool* pPassedOverlay);

    CObjectsBase** m_ppObjects = nullptr;
    uint32_t m_objectCount = 0;
    uint32_t* m_pNameIndex = nullptr;
    uint32_t m_interfaces[kInterfaceRoleCount];
    uint32_t m_requestedLevel = kNoObjectIndex;
    uint32_t m_requestedChapter = kNoObjectIndex;
    uint32_t m_requestedProfile = kNoObjectIndex;
    uint8_t m_reload = 0;
    uint8_t m_residentDependency = 0;
    CFIFOList m_activeList;
    CObjectsBase* m_pCurrentObject = nullptr;
    CObjectsBase* m_pCapturedObject = nullptr;
    CObjectsBase* m_pCurrentLevel = nullptr;
    CFIFOList m_loadedList;
    uint32_t m_loadedBudget = kNoObjectIndex;
    uint32_t m_loadedSize = 0;
    uint32_t m_loadedObjects = 0;
    uint32_t m_loadedLevels = 0;
    float m_zoom = 1.0f;
    float m_zoomDelta = 0.0f;
    float m_previousDistance = 0.0f;
    uint8_t m_zoomReset = 0;
    float m_panX = 0.0f, m_panY = 0.0f, m_panZ = 0.0f;
    float m_lastX = 0.0f, m_lastY = 0.0f;
    uint32_t m_reserved = 0;
    float m_panDeltaX = 0.0f, m_panDeltaY = 0.0f, m_panDeltaZ = 0.0f;
    uint8_t m_panning = 0;
    CDragInertia* m_pDragInertia = nullptr;
};
