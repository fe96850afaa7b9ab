#include "NimbrelInterfaces/CObjectsInterfaceToolbox.h"

#include <cstring>

#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

CObjectsInterfaceToolbox::CObjectsInterfaceToolbox(WorldData* pWorldData, uint32_t objectNumber,
                                                   uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindToolbox;
}

Status CObjectsInterfaceToolbox::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    const char* value = call.Text(1);
    if (!word || std::strcmp(word, "toolbox_message_close_button") != 0) {
        TraceCall(call, kTraceError, "unknown parameter %s", word ? word : "");
        return kStatusFailed;
    }
    m_closeButton = value ? FindElementByName(value) : -1;
    return kStatusDoneStoreResult;
}

uint32_t CObjectsInterfaceToolbox::HitTestButtons(float x, float y, uint8_t playSound)
{
    HitRecord record;
    if (Failed(FindElementAt(x, y, &record, 0.0f, -1, nullptr, nullptr)))
        return IsOverPanel(x, y) ? kToolboxHitOther : kToolboxHitNone;
    if (m_closeButton < 0 || record.element != m_closeButton)
        return kToolboxHitOther;
    // The close button plays its own click sound, or the default click when it has none.
    if (playSound)
        PlayClickSound(GetItemRecord(static_cast<uint32_t>(m_closeButton)));
    return kToolboxHitClose;
}

bool CObjectsInterfaceToolbox::IsOverPanel(float x, float y)
{
    // The panel's page picture takes no clicks, yet a click on it is the panel's, not the
    // scene's beneath.
    if (!m_pRenderModel || !m_pElements)
        return false;
    for (uint32_t i = 0; i < m_elementCount; ++i) {
        const ElementRecord* e = GetItemRecord(i);
        if (e->drawState != kDrawNotPrepared && !(e->flags & kElementHidden) &&
            Succeeded(HitTestShape(x, y, e, nullptr, 0.0f, nullptr, nullptr)))
            return true;
    }
    return false;
}

int32_t CObjectsInterfaceToolbox::GetToolboxCaller(uint32_t* pActivation)
{
    if (pActivation)
        *pActivation = static_cast<uint32_t>(m_extra);
    return m_caller;
}

void CObjectsInterfaceToolbox::CloseToolbox()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (CToolboxManager* toolbox = world ? world->GetToolboxManager() : nullptr)
        toolbox->Close(1);
}

Status CObjectsInterfaceToolbox::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::SaveState(pList, pChunk)) || !pChunk)
        return kStatusFailed;
    const int32_t words[3] = {m_closeButton, m_caller, m_extra};
    return pChunk->Write(words, 4, 3) ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceToolbox::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::LoadFromProfile(pChunk)))
        return kStatusFailed;
    int32_t words[3];
    if (!pChunk->Read(words, 4, 3))
        return kStatusFailed;
    // The close button is an element of this object, or none.
    if (words[0] < -1 || (words[0] >= 0 && static_cast<uint32_t>(words[0]) >= m_elementCount))
        return kStatusFailed;
    m_closeButton = words[0];
    m_caller = words[1];
    m_extra = words[2];
    return kStatusOk;
}
