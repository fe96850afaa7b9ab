// The tutorial in the profile (chunk 210000): skip all, the display state and its timer, the
// three texts, the current step and the waits of _pushTuto. The queued steps stay with their
// scene objects.
#include <cmath>

#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"

namespace {

template <typename T>
bool Put(UtilsStream* s, const T& value)
{
    return s->Write(&value, sizeof(T), 1);
}

template <typename T>
bool Get(UtilsStream* s, T* value)
{
    return s->Read(value, sizeof(T), 1);
}

}  // namespace

Status CTutoManager::SaveToStream(UtilsStream* pStream)
{
    if (!pStream || !m_pStepText || !m_pCommands)
        return kStatusFailed;
    // A question the player has not answered is not kept: the step shows again afterwards.
    if (m_question) {
        m_question = 0;
        m_skipAll = 0;
        Close(1);
        OnItemsChanged();
    }
    const TutoStep& s = m_current;
    bool ok = Put(pStream, m_skipAll) && Put(pStream, m_state) && Put(pStream, m_timer) &&
              Succeeded(m_pStepText->Save(pStream)) && Succeeded(m_pSkipText->Save(pStream)) &&
              Succeeded(m_pQuestionText->Save(pStream));
    ok = ok && Put(pStream, s.object) && Put(pStream, s.itemObject) && Put(pStream, s.itemElement) &&
         Put(pStream, s.positionKey) && Put(pStream, s.textIndex) && Put(pStream, s.flags) && Put(pStream, s.delay) &&
         Put(pStream, s.itemFlags) && pStream->WriteStringA(s.pName, false) &&
         pStream->WriteStringA(s.pCallback, false) && Put(pStream, s.done);
    return ok && Succeeded(m_pCommands->Save(pStream)) ? kStatusOk : kStatusFailed;
}

bool CTutoManager::IsValidStep(const TutoStep& step)
{
    // Without its item's object a step names no element either.
    if (step.itemObject == kTutoNoIndex)
        return step.itemElement == kTutoNoIndex;
    if (!SceneHasObject(m_pWorldData, step.object) || !SceneHasObject(m_pWorldData, step.itemObject))
        return false;
    if (step.itemElement == kTutoNoIndex)
        return true;
    // Without a game (a tool reading the file) there are no elements to check against.
    CObjectsBase* owner = ObjectAt(step.itemObject);
    return !owner || step.itemElement < owner->GetElementCount();
}

Status CTutoManager::LoadFromStream(UtilsStream* pStream)
{
    Unload();
    if (!pStream || Failed(Load()))
        return kStatusFailed;
    // Read whole into locals first: only a state that can be is taken.
    uint8_t skipAll = 0;
    uint32_t state = kTutoClosed;
    float timer = 0.0f;
    TutoStep s = {};
    bool ok = Get(pStream, &skipAll) && Get(pStream, &state) && Get(pStream, &timer) &&
              Succeeded(m_pStepText->Load(pStream)) && Succeeded(m_pSkipText->Load(pStream)) &&
              Succeeded(m_pQuestionText->Load(pStream));
    ok = ok && Get(pStream, &s.object) && Get(pStream, &s.itemObject) && Get(pStream, &s.itemElement) &&
         Get(pStream, &s.positionKey) && Get(pStream, &s.textIndex) && Get(pStream, &s.flags) &&
         Get(pStream, &s.delay) && Get(pStream, &s.itemFlags) && pStream->ReadStringA(&s.pName, false) &&
         pStream->ReadStringA(&s.pCallback, false) && Get(pStream, &s.done) && Succeeded(m_pCommands->Load(pStream));
    if (!ok) {
        UTILS_FREE(s.pName);
        UTILS_FREE(s.pCallback);
        Unload();
        Load();
        return kStatusFailed;
    }
    ClearCurrent();
    m_skipAll = skipAll;
    // A step of objects or elements this game does not have, or a state or timer out of
    // range, is no step: the tutorial chooses again.
    if (IsValidStep(s) && state <= kTutoClosed && std::isfinite(timer) && std::isfinite(s.delay)) {
        m_current = s;
        m_state = state;
        m_timer = timer;
        return kStatusOk;
    }
    UTILS_FREE(s.pName);
    UTILS_FREE(s.pCallback);
    m_state = kTutoClosed;
    m_timer = 0.0f;
    m_pStepText->Clear();
    m_pSkipText->Clear();
    m_pQuestionText->Clear();
    // The scripts that waited for it go on at the next update.
    m_pending = m_pCommands->GetCount() != 0;
    return kStatusOk;
}
