// The game in progress in the profile: the scene objects with their elements, the object
// scripts and the managers' chunks, written after the slot's own and read back by name and
// number into the live objects.
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "NimbrelWorld/ProfileManager.h"
#include "NimbrelWorld/ProfileManagerChunks.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

#define PROFILE_ERROR(status)                                                                              \
    LogAndReturn((status), m_pWorldData ? m_pWorldData->logPath : nullptr, 0, u"ERROR: %S : line=%d\n", \
                 __FILE__, __LINE__)

namespace {

// The number that ties saved object state to its kind's layout: the kind row's count.
uint32_t KindStateNumber(uint32_t typeCode)
{
    const ObjectsTypeInfo* row = FindObjectKind(typeCode);
    return row ? row->count : 0;
}

// The three script chunks, in the order of their passes.
constexpr uint32_t kScriptPassTags[] = {kProfileTagScriptGlobals, kProfileTagScriptRunState,
                                        kProfileTagScriptSynchronized};

Status SaveScriptPass(CScriptBase* script, uint32_t tag, UtilsStream* stream)
{
    switch (tag) {
    case kProfileTagScriptGlobals:
        return script->SaveGlobals(stream);
    case kProfileTagScriptRunState:
        return script->SaveRunState(stream);
    default:
        return script->SaveSynchronized(stream);
    }
}

}  // namespace

CObjectsManager* CProfileManager::GetObjects() const
{
    CNimbrelWorld* world = GetWorld();
    return world ? world->GetObjectsManager() : nullptr;
}

Status CProfileManager::SaveManagerChunk(UtilsStream_ChunkList* pList, const ProfileManagerChunk& entry)
{
    CNimbrelWorld* world = GetWorld();
    CManagedObject* manager = world ? world->GetManager(entry.slot) : nullptr;
    if (!manager)
        return kStatusOk;
    UtilsStream_Chunk* chunk = pList->CreateChunk(entry.tag, nullptr);
    return chunk && Succeeded(entry.save(manager, pList, chunk)) ? kStatusOk : PROFILE_ERROR(kStatusFailed);
}

Status CProfileManager::SaveGameState(UtilsStream_ChunkList* pList)
{
    if (const ProfileManagerChunk* dragDrop = FindProfileManagerChunk(kProfileTagDragDrop))
        if (Failed(SaveManagerChunk(pList, *dragDrop)))
            return kStatusFailed;

    CObjectsManager* objects = GetObjects();
    const uint32_t count = objects ? objects->GetObjectCount() : 0;
    for (uint32_t i = 0; i < count; ++i) {
        CObjectsBase* object = objects->GetObject(i);
        if (!object)
            continue;
        const uint32_t type = object->GetTypeCode();
        const uint32_t kindState = KindStateNumber(type);
        UtilsStream_Chunk* chunk = pList->CreateChunk(kProfileTagObject, nullptr);
        if (!chunk || !chunk->Write(&type, 4, 1) || !chunk->Write(&kindState, 4, 1) ||
            !chunk->WriteStringA(object->GetName() ? object->GetName() : "", true) ||
            Failed(object->SaveToProfile(pList, chunk)))
            return PROFILE_ERROR(kStatusFailed);
        for (uint32_t e = 0; e < object->GetElementCount(); ++e) {
            ElementRecord* element = object->GetItemRecord(e);
            UtilsStream_Chunk* child = element ? pList->CreateChunk(kProfileTagElement, chunk) : nullptr;
            if (!child || !child->WriteStringA(element->pName ? element->pName : "", true) ||
                Failed(object->SaveElementToProfile(pList, child, element)))
                return PROFILE_ERROR(kStatusFailed);
        }
    }
    for (uint32_t tag : kScriptPassTags)
        for (uint32_t i = 0; i < count; ++i) {
            CObjectsBase* object = objects->GetObject(i);
            if (!object || !object->IsScriptLoaded() || !object->GetScript())
                continue;
            UtilsStream_Chunk* chunk = pList->CreateChunk(tag, nullptr);
            ChunkStream stream(chunk);
            if (!chunk || !chunk->Write(&i, 4, 1) || Failed(SaveScriptPass(object->GetScript(), tag, &stream)))
                return PROFILE_ERROR(kStatusFailed);
        }

    uint32_t managers = 0;
    const ProfileManagerChunk* chunks = ProfileManagerChunks(&managers);
    for (uint32_t i = 0; i < managers; ++i)
        if (chunks[i].tag != kProfileTagDragDrop && Failed(SaveManagerChunk(pList, chunks[i])))
            return kStatusFailed;
    return kStatusOk;
}

Status CProfileManager::LoadObjectChunk(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk, uint8_t headerOnly)
{
    uint32_t type = 0, kindState = 0;
    if (!pChunk->Read(&type, 4, 1) || !pChunk->Read(&kindState, 4, 1))
        return PROFILE_ERROR(kStatusFailed);
    if (kindState != KindStateNumber(type))
        return Latch(ChapterMismatch(pSlot->chapterIndex));
    pSlot->objectStateSaved = 1;
    if (headerOnly)
        return kStatusOk;
    char* name = nullptr;
    if (!pChunk->ReadStringA(&name, true))
        return PROFILE_ERROR(kStatusFailed);
    CObjectsManager* objects = GetObjects();
    const int32_t index = objects && name ? objects->FindLevelIndexByName(name) : -1;
    UTILS_FREE(name);
    // An object of an older construction: its state has no place any more.
    CObjectsBase* object = index >= 0 ? objects->GetObject(static_cast<uint32_t>(index)) : nullptr;
    if (!object)
        return kStatusOk;
    if (Failed(object->LoadFromProfile(pChunk)))
        return PROFILE_ERROR(kStatusFailed);
    for (UtilsStream_Chunk* child = pChunk->ReadFirstChild(); child; child = pChunk->ReadNextChild()) {
        if (child->GetTag() != kProfileTagElement)
            continue;
        char* elementName = nullptr;
        if (!child->ReadStringA(&elementName, true))
            return PROFILE_ERROR(kStatusFailed);
        const int32_t element = elementName ? object->FindElementByName(elementName) : -1;
        UTILS_FREE(elementName);
        ElementRecord* record = element >= 0 ? object->GetItemRecord(static_cast<uint32_t>(element)) : nullptr;
        if (record && Failed(object->LoadElementFromProfile(child, record)))
            return PROFILE_ERROR(kStatusFailed);
    }
    return Failed(pChunk->GetLastReadStatus()) ? PROFILE_ERROR(kStatusFailed) : kStatusOk;
}

Status CProfileManager::LoadScriptChunk(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk)
{
    uint32_t number = 0;
    CObjectsManager* objects = GetObjects();
    // The number indexes the live object list; anything else is damage.
    CObjectsBase* object = objects && pChunk->Read(&number, 4, 1) ? objects->GetObject(number) : nullptr;
    if (!object)
        return PROFILE_ERROR(kStatusFailed);
    ChunkStream stream(pChunk);
    const uint32_t tag = pChunk->GetTag();
    if (tag == kProfileTagScriptSynchronized) {
        // Applied to the script as it is: the saved one belongs to another construction.
        CScriptBase* script = object->GetScript();
        return script && Failed(script->LoadSynchronized(&stream)) ? PROFILE_ERROR(kStatusFailed) : kStatusOk;
    }
    if (Failed(object->LoadScript(static_cast<uint32_t>(pSlot->chapterIndex), 0)) || !object->GetScript())
        return PROFILE_ERROR(kStatusFailed);
    const Status status = tag == kProfileTagScriptGlobals ? object->GetScript()->LoadGlobals(&stream)
                                                          : object->GetScript()->LoadRunState(&stream);
    return Failed(status) ? PROFILE_ERROR(kStatusFailed) : kStatusOk;
}

Status CProfileManager::LoadManagerChunk(UtilsStream_Chunk* pChunk)
{
    const ProfileManagerChunk* entry = FindProfileManagerChunk(pChunk->GetTag());
    CNimbrelWorld* world = GetWorld();
    CManagedObject* manager = entry && world ? world->GetManager(entry->slot) : nullptr;
    // A manager this build does not make has nothing to restore.
    if (!manager)
        return kStatusOk;
    return Failed(entry->load(manager, pChunk)) ? PROFILE_ERROR(kStatusFailed) : kStatusOk;
}
