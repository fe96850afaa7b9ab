#pragma once
// The panels scene scripts wait for, one at a time: a tool box panel (_waitForToolbox, an
// interface object shown over the scene with a fade) or a popup message (_waitForPopupMessage,
// the popup manager's object popup). Requests queue up; the next one shows when the panel or the
// object popup on screen closes, and the script that asked goes on when its panel closes. The
// panel is drawn with the object that asked for it.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"

class CCommandList;
class CObjectsInterfaceToolbox;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;
struct CommandHandle;

enum ToolboxRequestKind : uint8_t {
    kToolboxPanel = 0,     // a tool box object
    kToolboxMessage = 1,   // an object popup of the popup manager
};

// The fade of the panel.
enum ToolboxState : uint32_t {
    kToolboxFadingIn = 0,
    kToolboxShown = 1,
    kToolboxFadingOut = 2,
    kToolboxClosed = 3,
    kToolboxIdle = 4,
};

// One queued request; owns its texts.
class CToolboxRequest {
public:
    CToolboxRequest() = default;
    virtual ~CToolboxRequest();
    CToolboxRequest(const CToolboxRequest&) = delete;
    CToolboxRequest& operator=(const CToolboxRequest&) = delete;
    bool SameAs(const CToolboxRequest& other) const;

    uint8_t kind = kToolboxPanel;
    uint32_t interfaceObject = 0;   // the tool box object, or the popups object
    uint32_t callerObject = 0;      // the object whose script asked
    char* pFirst = nullptr;         // the panel's name argument, or the popup name
    char* pSecond = nullptr;        // the element name of a popup message
    uint32_t waitFunction = 0;      // the waiting call's handler
    uint32_t extra = 0;             // a panel's activation; -1 for a message
    uint8_t noWait = 0;             // the script goes on at once
};

class CToolboxManager : public CManagedObject {
public:
    explicit CToolboxManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CToolboxManager() override;

    // The command list. kStatusOutOfMemory (latched).
    Status Load() override;
    // Every queued request and the command list.
    Status Unload() override;
    void Update() override;
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    // With a panel shown: 0 when the release was on the panel (its close button closes it, its
    // own click takes it, else the null click); kStatusFailed otherwise, and the scene has it.
    Status OnMouseUp(float x, float y, uint32_t state) override;
    // The panel, with the object that asked for it.
    void RenderWithObjects(uint32_t objectIndex);

    // Queues a request (texts copied). kStatusFailed for one equal to a queued one or one that
    // cannot show; else kStatusWait, or kStatusDoneStoreResult with noWait.
    Status AddEntry(uint8_t kind, uint32_t interfaceObject, uint32_t callerObject, const char* first,
                    const char* second, uint32_t waitFunction, uint32_t extra, uint8_t noWait);
    void ClearEntries();
    // Shows the first request when nothing of its kind is on screen. 0; kStatusFailed when it
    // could not show (it is dropped then).
    Status OnPopupClosed();
    // The panel's hide event; animated, it fades out, else it is gone at once. The waiting
    // script goes on, the current level runs its queued commands, this frame's click is taken.
    Status Close(uint8_t animated);
    Status ShowToolbox(uint32_t callerObject, const char* name);
    Status AddCommand(const CommandHandle& handle);

    // Chunk 80000 with 80001 (the panel) and 80002 (the queue).
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream);
    Status LoadFromStream(UtilsStream_Chunk* pStream);

    bool IsShowing() const { return m_state != kToolboxIdle; }
    uint32_t GetState() const { return m_state; }
    float GetAlpha() const { return m_alpha; }
    int32_t GetCaller() const { return m_caller; }
    uint32_t GetQueueCount() const { return m_queue.GetCount(); }
    const CToolboxRequest* GetFirstRequest() { return static_cast<const CToolboxRequest*>(m_queue.GetFirst()); }
    CCommandList* GetCommandList() const { return m_pCommands; }

protected:
    // What the manager asks of the game; through the world by default.
    virtual CObjectsInterfaceToolbox* Panel() const;
    virtual bool IsObjectPopupOpen() const;
    // Makes the request's object current, restarts it and shows it (steps 2 to 4 of a show).
    virtual Status Present(const CToolboxRequest& request);
    // The waiting script's command, on this manager's list or the popup manager's.
    virtual Status RegisterWait(const CToolboxRequest& request);
    // Whether the objects manager holds the press of this release.
    virtual bool PressTakenByScene() const;
    // After a close: the current level's queued commands, the click of this frame taken.
    virtual void AfterClose();
    virtual bool TakeCloseKey();
    virtual void FireHide();

private:
    Status OutOfMemory();
    Status SaveQueue(UtilsStream_Chunk* pChunk);
    Status LoadQueue(UtilsStream_Chunk* pChunk);

    uint8_t m_pressTaken = 0;
    uint8_t m_presenting = 0;      // a request's show is running its scripts
    uint8_t m_askedMeanwhile = 0;  // and they asked for the next request
    int32_t m_caller = -1;
    int32_t m_element = -1;
    uint32_t m_state = kToolboxIdle;
    float m_alpha = 0.0f;
    char16_t* m_pSavedText = nullptr;
    uint32_t m_savedWords[4] = {};
    CFIFOList m_queue;
    CCommandList* m_pCommands = nullptr;
};
