// The scene object's sounds through the surround manager, and its wrong clicks through the abuse
// overlay: without those managers the object is silent and nothing counts.
#include "NimbrelManagers/CAbuse.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/WorldData.h"

CSurroundManager* CObjectsBase::Sounds() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetSurroundManager() : nullptr;
}

Status CObjectsBase::AddObjectSound(const char* name)
{
    CSurroundManager* sounds = Sounds();
    return sounds ? sounds->AddObjectSound(m_objectNumber, name) : kStatusOk;
}

Status CObjectsBase::ReleaseObjectSounds()
{
    CSurroundManager* sounds = Sounds();
    return sounds ? sounds->ReleaseObjectSounds(m_objectNumber) : kStatusOk;
}

Status CObjectsBase::StopSound(uint32_t sound)
{
    // An element keeps the id the object gave its sound; the table knows it by its index.
    CSurroundManager* sounds = Sounds();
    const int32_t index = sounds ? sounds->ElementSoundIndex(m_objectNumber, sound) : kNoSound;
    return index == kNoSound ? kStatusOk : sounds->StopSound(uint32_t(index));
}

void CObjectsBase::PlayElementSound(uint32_t sound)
{
    if (CSurroundManager* sounds = Sounds())
        sounds->PlayElementSound(m_objectNumber, sound);
}

void CObjectsBase::PlayDefaultClick()
{
    if (CSurroundManager* sounds = Sounds())
        sounds->PlayDefaultClick();
}

void CObjectsBase::PlayNullClick()
{
    if (CSurroundManager* sounds = Sounds())
        sounds->PlayNullClick();
}

void CObjectsBase::OnAbuseClick()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (CAbuse* abuse = world ? world->GetAbuse() : nullptr)
        abuse->OnClick();
}

// setSurroundSound(name, params, loop, min, max): an ambient command of this object. Its
// errors go to the trace; the script goes on either way.
Status CObjectsBase::setSurroundSound(ScriptBuiltinCall& call)
{
    CSurroundManager* sounds = Sounds();
    if (!sounds || !m_pWorldData->pWorld || !m_pWorldData->pWorld->GetAudioEngine())
        return kStatusDoneStoreResult;
    sounds->ParseCommand(m_objectNumber, call.Report(), call.Text(0), call.Text(1), int32_t(call.Long(2)),
                         call.Float(3), call.Float(4));
    return kStatusDoneStoreResult;
}
