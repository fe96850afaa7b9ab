// The drop rules in the profile: chunk 150000. Per rule slot a presence byte; a present rule
// with its words, places and answers; then the command list. Counts are checked against the
// bytes left and every object and element index against the live scene before it is kept.
#include "NimbrelManagers/CDragDropManager.h"

#include <cstring>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"

using namespace ChunkField;

namespace {

// The bytes of the smallest stored place: its words and an empty text. A rule slot takes at
// least its presence byte.
constexpr int64_t kPlaceBytes = 4 * 4 + 4;

}  // namespace

Status CDragDropManager::SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pStream)
{
    if (!pStream || !m_pCommands)
        return kStatusFailed;
    EndReturn();
    bool ok = Put(pStream, m_ruleCount);
    for (uint32_t i = 0; ok && i < m_ruleCount; ++i) {
        const DropRule& r = m_pRules[i];
        const uint8_t present = r.index >= 0 ? 1 : 0;
        ok = Put(pStream, present);
        if (!ok || !present)
            continue;
        ok = Put(pStream, r.index) && Put(pStream, r.object) && Put(pStream, r.element) &&
             Put(pStream, r.consumeSource) && Put(pStream, r.consumeDestination) && Put(pStream, r.placeCount);
        for (uint32_t p = 0; ok && p < r.placeCount; ++p) {
            const DropPlace& place = r.pPlaces[p];
            ok = Put(pStream, place.uses) && Put(pStream, place.object) && Put(pStream, place.element) &&
                 Put(pStream, place.answerLevel) && pStream->WriteStringA(place.pAnswer, false);
        }
        ok = ok && Put(pStream, r.refusedLevel) && pStream->WriteStringA(r.pRefused, false);
    }
    ChunkStream commands(pStream);
    return ok && Succeeded(m_pCommands->Save(&commands)) ? kStatusOk : kStatusFailed;
}

Status CDragDropManager::LoadFromStream(UtilsStream_Chunk* pStream)
{
    // A profile's rules replace these; the elements come back with the scene objects' states.
    FreeRules();
    m_returnObject = m_returnElement = -1;
    m_returnTimer = 0.0f;
    if (!pStream || !m_pCommands)
        return kStatusFailed;
    // An element index must name an element of a live object (any, for a tool without a scene).
    const auto known = [this](uint32_t object, uint32_t element) {
        if (!SceneHasObject(m_pWorldData, object))
            return false;
        const CObjectsBase* owner = SceneObjectAt(m_pWorldData, object);
        return !owner || element < owner->GetElementCount();
    };
    const auto level = [this](int32_t index) {
        return index == -1 || (index >= 0 && SceneHasObject(m_pWorldData, uint32_t(index)));
    };
    uint32_t count = 0;
    if (!Get(pStream, &count) || count > pStream->BytesLeft())
        return kStatusFailed;
    if (count) {
        m_pRules = static_cast<DropRule*>(UTILS_CALLOC(count, sizeof(DropRule)));
        if (!m_pRules)
            return OutOfMemory();
        m_ruleCount = count;
        for (uint32_t i = 0; i < count; ++i)
            m_pRules[i].index = -1;
    }
    bool ok = true;
    for (uint32_t i = 0; ok && i < count; ++i) {
        uint8_t present = 0;
        ok = Get(pStream, &present) && present <= 1;
        if (!ok || !present)
            continue;
        DropRule& r = m_pRules[i];
        int32_t index = -1;
        uint32_t places = 0;
        ok = Get(pStream, &index) && Get(pStream, &r.object) && Get(pStream, &r.element) &&
             Get(pStream, &r.consumeSource) && Get(pStream, &r.consumeDestination) && Get(pStream, &places) &&
             index == int32_t(i) && known(r.object, r.element) && places <= pStream->BytesLeft() / kPlaceBytes;
        if (ok && places) {
            r.pPlaces = static_cast<DropPlace*>(UTILS_CALLOC(places, sizeof(DropPlace)));
            if (!r.pPlaces) {
                FreeRules();
                return OutOfMemory();
            }
        }
        // The rule owns what it read so far, so that a failure below frees it.
        r.index = ok ? index : -1;
        for (uint32_t p = 0; ok && p < places; ++p) {
            DropPlace& place = r.pPlaces[p];
            ok = Get(pStream, &place.uses) && Get(pStream, &place.object) && Get(pStream, &place.element) &&
                 Get(pStream, &place.answerLevel) && pStream->ReadStringA(&place.pAnswer, false);
            r.placeCount = p + 1;
            ok = ok && place.uses >= -1 && known(place.object, place.element) && level(place.answerLevel);
        }
        ok = ok && Get(pStream, &r.refusedLevel) && pStream->ReadStringA(&r.pRefused, false) && level(r.refusedLevel);
    }
    ChunkStream commands(pStream);
    if (!ok || Failed(m_pCommands->Load(&commands))) {
        FreeRules();
        return kStatusFailed;
    }
    return kStatusOk;
}
