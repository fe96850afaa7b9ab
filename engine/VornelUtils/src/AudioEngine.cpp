#include "VornelUtils/AudioEngine.h"

#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

CAudioObject::CAudioObject(WorldData* pWorldData, uint32_t creationFlags, uint32_t playFlags)
    : CBaseObject(pWorldData), m_creationFlags(creationFlags), m_playFlags(playFlags)
{
}

CAudioObject::~CAudioObject()
{
    UTILS_FREE(m_pName);
}

Status CAudioObject::SetName(const char16_t* name)
{
    UTILS_FREE(m_pName);
    m_pName = nullptr;
    if (!name)
        return kStatusOk;
    m_pName = UtilsString_DupW(name);
    return m_pName ? kStatusOk : kStatusOutOfMemory;
}

Status CAudioObject::Release()
{
    SetName(nullptr);
    return kStatusOk;
}

Status CAudioObject::CreateStream(uint32_t, uint32_t, uint32_t, uint32_t, const char16_t* name)
{
    return SetName(UtilsString_GetFileName(name));
}

Status CAudioObject::UpdateAudioFromRaw(uint32_t, uint32_t, uint32_t, const int16_t*)
{
    return kStatusFailed;
}

Status CAudioObject::MakeFromAddress(const void*, uint32_t, const char16_t* name)
{
    return SetName(UtilsString_GetFileName(name));
}

Status CAudioObject::LoadFromPacker(PackRecord* pEntry)
{
    return SetName(pEntry ? pEntry->lastEntryName : nullptr);
}

Status CAudioObject::LoadFromFile(const char16_t* path, uint8_t flag)
{
    if (!path)
        return SetName(nullptr);
    const int32_t prefix = m_pWorldData ? m_pWorldData->dataPathWord : -1;
    if (prefix >= 0) {
        const size_t length = UtilsString_Length(path);
        return SetName(path + (static_cast<size_t>(prefix) < length ? static_cast<size_t>(prefix) : length));
    }
    // Without the prefix length a set flag keeps the whole path.
    return SetName(flag ? path : UtilsString_GetFileName(path));
}

CAudioEngine::~CAudioEngine()
{
    for (void* p = m_listObjects.GetFirst(); p; p = m_listObjects.RemoveCurrent(1))
        delete static_cast<CAudioObject*>(p);
}

Status CAudioEngine::Release()
{
    if (m_listObjects.IsEmpty())
        return kStatusOk;
    for (void* p = m_listObjects.GetFirst(); p; p = m_listObjects.RemoveCurrent(1)) {
        auto* pObject = static_cast<CAudioObject*>(p);
        pObject->Release();
        delete pObject;
    }
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0, u"# CAudioEngine::m_listObjects detected memory leaks !\n");
    return kStatusOk;
}

CAudioObject* CAudioEngine::AdoptObject(CAudioObject* pObject)
{
    if (!pObject)
        return nullptr;
    if (Failed(pObject->Init()) ||
        Failed(m_listObjects.Add(pObject, static_cast<uint8_t>(pObject->GetCreationFlags() & kAudioCreateListFlag)))) {
        // Not in the list: ReleaseObject would leave it alone, so it goes here.
        pObject->Release();
        delete pObject;
        return nullptr;
    }
    return pObject;
}

Status CAudioEngine::RemoveObject(CAudioObject* pObject)
{
    if (!pObject)
        return kStatusFailed;
    if (Failed(m_listObjects.Remove(pObject)))
        return kStatusOk;
    const Status status = pObject->Release();
    delete pObject;
    return status;
}
