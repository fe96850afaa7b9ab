// The objects of the construction: made by the factory from the construction file, built from
// their element-info files, and found by name.
#include <algorithm>
#include <cstring>
#include <new>

#include "NimbrelInterfaces/CObjectsInterfaceButtons.h"
#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"
#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "NimbrelInterfaces/CObjectsInterfaceLabels.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbox.h"
#include "NimbrelLevels/CObjectsLevelBlackJack.h"
#include "NimbrelLevels/CObjectsLevelCircles.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelLevels/CObjectsLevelLabyrinthe.h"
#include "NimbrelLevels/CObjectsLevelMixture.h"
#include "NimbrelLevels/CObjectsLevelSliding.h"
#include "NimbrelLevels/CObjectsLevelSpider.h"
#include "NimbrelLevels/CObjectsLevelPuzzle.h"
#include "NimbrelLevels/CObjectsLevelSwitch.h"
#include "NimbrelLevels/CObjectsLevelMatch3.h"
#include "NimbrelLevels/CObjectsLevelTubing.h"
#include "NimbrelLevels/CObjectsLevelWheels.h"
#include "NimbrelLevels/CObjectsLevelWheelStack.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Each name of an element reference fits a 256-byte buffer.
constexpr size_t kReferenceNameLimit = 255;

}  // namespace

Status CObjectsManager::ConstructFromStream(UtilsStream* pStream)
{
    uint32_t count = 0;
    uint32_t interfaces[kInterfaceRoleCount];
    ConstructionRecord* records = nullptr;
    Status status = ReadConstructionObjects(pStream, &count, interfaces, &records);
    if (Failed(status)) {
        if (status == kStatusOutOfMemory && m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return status;
    }
    ReleaseObjects();
    if (count != 0) {
        m_ppObjects = static_cast<CObjectsBase**>(UTILS_CALLOC(count, sizeof(CObjectsBase*)));
        if (!m_ppObjects) {
            UTILS_FREE(records);
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    // The count is set once the array exists, so that Release never walks a missing array.
    m_objectCount = count;
    std::memcpy(m_interfaces, interfaces, sizeof m_interfaces);
    for (uint32_t i = 0; i < count && Succeeded(status); ++i) {
        const ConstructionRecord& r = records[i];
        if (!FindObjectKind(r.typeCode)) {
            status = kStatusFailed;
        } else if (!(m_ppObjects[i] = CreateObject(r.typeCode, r.wordA, r.wordB))) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            status = kStatusOutOfMemory;
        }
    }
    UTILS_FREE(records);
    return status;
}

CObjectsBase* CObjectsManager::CreateObject(uint32_t typeCode, uint32_t wordA, uint32_t wordB)
{
    switch (typeCode) {
    case kObjectKindExploration:
        return new (std::nothrow) CObjectsLevelExploration(m_pWorldData, wordA, wordB);
    case kObjectKindEmpty:
        return new (std::nothrow) CObjectsLevelEmpty(m_pWorldData, wordA, wordB);
    case kObjectKindLabyrinthe:
        return new (std::nothrow) CObjectsLevelLabyrinthe(m_pWorldData, wordA, wordB);
    case kObjectKindCircles:
        return new (std::nothrow) CObjectsLevelCircles(m_pWorldData, wordA, wordB);
    case kObjectKindBlackJack:
        return new (std::nothrow) CObjectsLevelBlackJack(m_pWorldData, wordA, wordB);
    case kObjectKindSpider:
        return new (std::nothrow) CObjectsLevelSpider(m_pWorldData, wordA, wordB);
    case kObjectKindWheelStack:
        return new (std::nothrow) CObjectsLevelWheelStack(m_pWorldData, wordA, wordB);
    case kObjectKindSwitch:
        return new (std::nothrow) CObjectsLevelSwitch(m_pWorldData, wordA, wordB);
    case kObjectKindPuzzle:
        return new (std::nothrow) CObjectsLevelPuzzle(m_pWorldData, wordA, wordB);
    case kObjectKindJigsaw:
        return new (std::nothrow) CObjectsLevelJigsaw(m_pWorldData, wordA, wordB);
    case kObjectKindMixture:
        return new (std::nothrow) CObjectsLevelMixture(m_pWorldData, wordA, wordB);
    case kObjectKindSliding:
        return new (std::nothrow) CObjectsLevelSliding(m_pWorldData, wordA, wordB);
    case kObjectKindTubing:
        return new (std::nothrow) CObjectsLevelTubing(m_pWorldData, wordA, wordB);
    case kObjectKindWheels:
        return new (std::nothrow) CObjectsLevelWheels(m_pWorldData, wordA, wordB);
    case kObjectKindMatch3:
        return new (std::nothrow) CObjectsLevelMatch3(m_pWorldData, wordA, wordB);
    case kObjectKindEffects:
        return new (std::nothrow) CObjectsInterfaceEffects(m_pWorldData, wordA, wordB);
    case kObjectKindMenu:
        return new (std::nothrow) CObjectsInterfaceMenu(m_pWorldData, wordA, wordB);
    case kObjectKindPopups:
        return new (std::nothrow) CObjectsInterfacePopups(m_pWorldData, wordA, wordB);
    case kObjectKindItemsList:
        return new (std::nothrow) CObjectsInterfaceToolbarItemsList(m_pWorldData, wordA, wordB);
    case kObjectKindInventory:
        return new (std::nothrow) CObjectsInterfaceToolbarInventory(m_pWorldData, wordA, wordB);
    case kObjectKindToolbox:
        return new (std::nothrow) CObjectsInterfaceToolbox(m_pWorldData, wordA, wordB);
    case kObjectKindTuto:
        return new (std::nothrow) CObjectsInterfaceTuto(m_pWorldData, wordA, wordB);
    case kObjectKindButtons:
        return new (std::nothrow) CObjectsInterfaceButtons(m_pWorldData, wordA, wordB);
    case kObjectKindMonitor:
        return new (std::nothrow) CObjectsInterfaceMonitor(m_pWorldData, wordA, wordB);
    case kObjectKindHint:
        return new (std::nothrow) CObjectsInterfaceHint(m_pWorldData, wordA, wordB);
    case kObjectKindLabels:
        return new (std::nothrow) CObjectsInterfaceLabels(m_pWorldData, wordA, wordB);
    default:
        // The other kinds come with their interfaces and mini-games.
        return nullptr;
    }
}

Status CObjectsManager::BuildObjectsFromRaw()
{
    WorldData* w = m_pWorldData;
    const char* base = w && w->pGame ? w->pGame->constructBaseName : "";
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        CObjectsBase* object = m_ppObjects[i];
        if (!object || Failed(object->Load()))
            return kStatusFailed;
        char16_t name[kWorldTextSize];
        UtilsString_Format(name, kWorldTextSize, u"%S_object_%d.raw", base, int32_t(i));
        if (Failed(object->BuildFromRaw(name)))
            return kStatusFailed;
        object->UpdateElementRange();
    }
    for (uint32_t i = 0; i < m_objectCount; ++i)
        if (Failed(m_ppObjects[i]->UpdateComponents()))
            return kStatusFailed;
    return kStatusOk;
}

Status CObjectsManager::BuildNameIndex()
{
    UTILS_FREE(m_pNameIndex);
    m_pNameIndex = nullptr;
    if (m_objectCount == 0)
        return kStatusOk;
    DichotomyList list(m_pWorldData);
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        const char* name = m_ppObjects[i] ? m_ppObjects[i]->GetName() : nullptr;
        if (Failed(list.Add(name ? name : "", i)))
            break;
    }
    if (list.GetCount() == m_objectCount)
        m_pNameIndex = list.Sort();
    if (!m_pNameIndex) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

Status CObjectsManager::LoadResidentModels()
{
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        CObjectsBase* object = m_ppObjects[i];
        const ObjectsTypeInfo* kind = object ? FindObjectKind(object->GetTypeCode()) : nullptr;
        if (kind && kind->resident && Failed(object->LoadReleaseModel(i)))
            return kStatusFailed;
    }
    return kStatusOk;
}

int32_t CObjectsManager::FindLevelIndexByName(const char* name) const
{
    if (!m_pNameIndex)
        return -1;
    return DichotomyList::Find(
        m_pNameIndex, m_objectCount, name,
        [](const void* context, uint32_t index) -> const char* {
            const CObjectsBase* object = static_cast<const CObjectsManager*>(context)->m_ppObjects[index];
            return object ? object->GetName() : nullptr;
        },
        this);
}

int32_t CObjectsManager::FindLevelByNameAndType(const char* name, uint32_t typeCode) const
{
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        const CObjectsBase* object = m_ppObjects[i];
        if (!object || object->GetTypeCode() != typeCode)
            continue;
        if (!name)
            return int32_t(i);
        // A nameless object matches no name.
        if (object->GetName() && std::strcmp(object->GetName(), name) == 0)
            return int32_t(i);
    }
    return -1;
}

Status CObjectsManager::ResolveLevelReference(const char* reference, int32_t* pObject, int32_t* pElement) const
{
    if (!reference || reference[0] != '@')
        return kStatusFailed;
    const char* second = std::strchr(reference + 1, '@');
    if (!second)
        return kStatusFailed;
    const size_t levelLength = size_t(second - (reference + 1));
    const char* elementName = second + 1;
    if (levelLength > kReferenceNameLimit || std::strlen(elementName) > kReferenceNameLimit)
        return kStatusFailed;
    char level[kReferenceNameLimit + 1];
    std::memcpy(level, reference + 1, levelLength);
    level[levelLength] = 0;
    const int32_t index = FindLevelIndexByName(level);
    if (index < 0)
        return kStatusFailed;
    const CObjectsBase* object = m_ppObjects[index];
    const ElementRecord* elements = object->GetElements();
    for (uint32_t i = 0; elements && i < object->GetElementCount(); ++i) {
        const ElementRecord* element = const_cast<CObjectsBase*>(object)->GetItemRecord(i);
        // A nameless element never matches.
        if (element && element->pName && std::strcmp(element->pName, elementName) == 0) {
            if (pObject)
                *pObject = index;
            if (pElement)
                *pElement = int32_t(i);
            return kStatusOk;
        }
    }
    return kStatusFailed;
}

CObjectsBase* CObjectsManager::FindObjectByName(const char* name) const
{
    if (!name)
        return nullptr;
    for (uint32_t i = 0; i < m_objectCount; ++i)
        if (m_ppObjects[i] && m_ppObjects[i]->GetName() && std::strcmp(m_ppObjects[i]->GetName(), name) == 0)
            return m_ppObjects[i];
    return nullptr;
}
