#pragma once
// The owner of every scene object of the game (menus, interfaces and levels). The construction
// file fills its object array; level activation decides which objects are current and puts
// them in the active list in stacking order (the tail is the top-most). Once a frame it
// updates and draws the active objects from head to tail; pointer input goes from the tail to
// the head, to the first object that takes it. It owns the scene's zoom and pan.
//
// Managers this build does not have yet (popups, tool box, tutorial, flashlight, surround
// sound, abuse overlay, touch marks) are asked through protected virtual helpers
// that answer for an absent manager.
#include <cstdint>

#include "NimbrelWorld/ConstructionFile.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"

class CDragInertia;
class CObjectsBase;
class UtilsStream;

// What UpdateView works from, gathered in one place (ViewInputs).
struct ObjectsViewInputs {
    float viewWidth, viewHeight;          // the view size
    float factorX, factorY;               // the view's scale factors
    float panFactorX, panFactorY;
    float alternateWidth, alternateHeight;
    float alternateFactorX, alternateFactorY;
    uint8_t alternate;                    // the third view takes the alternate size and factors
    float screenWidth;
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
    // The first active object from the top whose point hit test takes (record, x, y): 0;
    // none: kStatusFailed.
    virtual Status HitTestObjects(void* pRecord, float x, float y);

    // Once a frame from the world's update: the view matrices from the zoom and pan.
    void UpdateView(uint32_t reset);
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
    CFIFOList& GetActiveList() { return m_activeList; }
    CObjectsBase* GetCurrentObject() const { return m_pCurrentObject; }
    void SetCurrentObject(CObjectsBase* pObject) { m_pCurrentObject = pObject; }
    CObjectsBase* GetCapturedObject() const { return m_pCapturedObject; }
    float GetZoom() const { return m_zoom; }
    float GetPanX() const { return m_panX; }
    float GetPanY() const { return m_panY; }
    uint8_t IsPanning() const { return m_panning; }
    uint8_t IsZoomResetRequested() const { return m_zoomReset; }
    // How fast the last drag of a taken press was released; null before Load.
    CDragInertia* GetDragInertia() const { return m_pDragInertia; }

protected:
    // A tracker on the platform's clock; tests give their own.
    virtual CDragInertia* CreateDragInertia();
    // The view's inputs: the reference size, the adjusted view scale, pan factors 1.0 and the
    // world data's screen, frame step and gesture centre.
    virtual ObjectsViewInputs ViewInputs() const;
    // Absent managers' answers: no popup, no tool box, no tutorial, silent null click.
    virtual bool IsPopupShowing() { return false; }
    virtual uint32_t GetPopupOwner() { return kNoObjectIndex; }
    virtual uint32_t GetToolboxOwner() { return kNoObjectIndex; }
    virtual void PlayNullClick() {}

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
