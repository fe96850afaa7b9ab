// The scene object's sounds through the surround manager, and its wrong clicks through the abuse
// overlay: without those managers the object is silent and nothing counts.
#include <cstring>

#include "NimbrelManagers/CAbuse.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "Vornel3D/CWorld.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "VornelUtils/UtilsString.h"
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


// ---- sound and mouse builtins ---------------------------------------------------------------------
// The sound builtins never fail: without audio they are silent, and what the managers answer is
// theirs to trace.

CMusicManager* CObjectsBase::Music() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world && world->GetAudioEngine() ? world->GetMusicManager() : nullptr;
}

CSurroundManager* CObjectsBase::AudibleSounds() const
{
    CSurroundManager* sounds = Sounds();
    return sounds && m_pWorldData->pWorld->GetAudioEngine() ? sounds : nullptr;
}

// setMusic(name): the music switched with a cross-fade; no name silences it until the next one.
Status CObjectsBase::setMusic(ScriptBuiltinCall& call)
{
    CMusicManager* music = Music();
    if (!music)
        return kStatusDoneStoreResult;
    const char* name = call.Text(0);
    if (!name || !name[0]) {
        music->Stop();
        return kStatusDoneStoreResult;
    }
    music->Play(UtilsString_FromUtf8(name).c_str(), 0, 1);
    music->SetVolume(-1.0f, 1);
    return kStatusDoneStoreResult;
}

Status CObjectsBase::setNullClickSound(ScriptBuiltinCall& call)
{
    return SetClickSound(call, kClickNull);
}

Status CObjectsBase::setDefaultClickSound(ScriptBuiltinCall& call)
{
    return SetClickSound(call, kClickDefault);
}

Status CObjectsBase::setNegativeClickSound(ScriptBuiltinCall& call)
{
    return SetClickSound(call, kClickNegative);
}

Status CObjectsBase::SetClickSound(ScriptBuiltinCall& call, uint32_t role)
{
    if (CSurroundManager* sounds = AudibleSounds())
        sounds->SetClickSound(role, call.Text(0));
    return kStatusDoneStoreResult;
}

// setSurroundSound(name, params, loop, min, max): an ambient command of this object.
Status CObjectsBase::setSurroundSound(ScriptBuiltinCall& call)
{
    CSurroundManager* sounds = AudibleSounds();
    // Scripts start after their level's sounds were prepared: a sound first asked for here is
    // loaded now, or it would stay silent until the next level change.
    if (sounds && Succeeded(sounds->ParseCommand(m_objectNumber, call.Report(), call.Text(0), call.Text(1),
                                                 int32_t(call.Long(2)), call.Float(3), call.Float(4))))
        sounds->PrepareAllSounds();
    return kStatusDoneStoreResult;
}

Status CObjectsBase::playSound(ScriptBuiltinCall& call)
{
    if (CSurroundManager* sounds = AudibleSounds())
        sounds->PlaySound(m_objectNumber, call.Report(), call.Text(0));
    return kStatusDoneStoreResult;
}

// setItemsClickSound(items, sound): the listed elements play the sound in place of the default
// click.
Status CObjectsBase::setItemsClickSound(ScriptBuiltinCall& call)
{
    CSurroundManager* sounds = AudibleSounds();
    if (!sounds)
        return kStatusDoneStoreResult;
    const uint32_t id = sounds->SetItemsClickSound(m_objectNumber, call.Text(1));
    if (id != 0)
        sounds->PrepareAllSounds();  // as for setSurroundSound
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        if (owner != this)
            return kStatusFailed;
        element->clickSound = id;
        return kStatusOk;
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

// setMouseConfig(conf): "free" or "lock"; another word is refused and the old one kept.
Status CObjectsBase::setMouseConfig(ScriptBuiltinCall& call)
{
    static const char* const kConfigurations[] = {"free", "lock"};
    const char* conf = call.Text(0);
    for (uint32_t i = 0; i < 2; ++i) {
        if (conf && std::strcmp(conf, kConfigurations[i]) == 0) {
            m_mouseConfig = i;
            return kStatusDoneStoreResult;
        }
    }
    TraceCall(call, kTraceError, "unrecognized configuration %S", UtilsString_FromUtf8(conf ? conf : "").c_str());
    return kStatusFailed;
}

Status CObjectsBase::SetListedItemsFlag(ScriptBuiltinCall& call, uint32_t flag, bool set)
{
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        if (owner != this) {
            TraceCall(call, kTraceError, "Item list must contains only items contained in the current object");
            return kStatusFailed;
        }
        element->flags = set ? element->flags | flag : element->flags & ~flag;
        return kStatusOk;
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::setItemsHintable(ScriptBuiltinCall& call)
{
    return SetListedItemsFlag(call, kElementHintable, (call.Long(1) & 0xFF) != 0);
}

Status CObjectsBase::setItemsRollOverable(ScriptBuiltinCall& call)
{
    return SetListedItemsFlag(call, kElementRollOverDisabled, call.Long(1) == 0);
}
