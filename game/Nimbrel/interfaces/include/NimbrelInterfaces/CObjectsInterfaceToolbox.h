#pragma once
// The tool box panel (type code 260): a picture with clickable elements and one close button,
// shown over the scene by the tool box manager when a script waits for it. The manager hands it
// the object that asked and the asking call's activation, draws it with the panel's alpha and
// asks it whether a click closes it; everything else is the object base's element handling.
#include "NimbrelInterfaces/CObjectsInterface.h"

// What HitTestButtons names.
constexpr uint32_t kToolboxHitNone = 0;
constexpr uint32_t kToolboxHitClose = 3;
constexpr uint32_t kToolboxHitOther = 4;

class CObjectsInterfaceToolbox : public CObjectsInterface {
public:
    CObjectsInterfaceToolbox(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    int32_t GetToolboxCaller(uint32_t* pActivation) override;
    void CloseToolbox() override;

    // 3 on the close button, 4 on any other element or on a picture of the panel that takes no
    // clicks, 0 beside the panel (the scene's) or when the hit test fails. With playSound the
    // close button clicks.
    uint32_t HitTestButtons(float x, float y, uint8_t playSound);
    // The manager's answer to a click on the panel that nothing takes.
    using CObjectsInterface::PlayNullClick;
    void SetCaller(int32_t caller, int32_t extra)
    {
        m_caller = caller;
        m_extra = extra;
    }
    int32_t GetCloseButton() const { return m_closeButton; }
    int32_t GetCaller() const { return m_caller; }
    int32_t GetExtra() const { return m_extra; }

protected:
    // Whether the point lies on an element drawn this frame, pickable or not.
    virtual bool IsOverPanel(float x, float y);

private:
    int32_t m_closeButton = -1;
    int32_t m_caller = -1;
    int32_t m_extra = -1;
};
