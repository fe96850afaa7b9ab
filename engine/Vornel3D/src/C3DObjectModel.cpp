// The 3D object's projection and its whole-model entry points: the six model loaders and the
// model writer, over the raw model and its files.
#include <new>
#include <string>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DResourceName.h"
#include "Vornel3D/C3DView.h"
#include "VornelUtils/WorldData.h"

void C3DObject::ApplyProjection()
{
    C3DEngine* engine = Engine();
    if (C3DView* view = engine ? engine->GetView() : nullptr)
        view->ApplyPerspective();
}

// Every model loader reads the file into a temporary raw model, builds the object from it
// with its own texture sources, and keeps the model's name only when all of that succeeded.
template <typename Read>
Status C3DObject::LoadModel(Read read, const char16_t* name, StaticLocatorFn memorySource, PackLocatorFn packSource,
                            const char16_t* textureFolder)
{
    C3DObjectRaw* raw = new (std::nothrow) C3DObjectRaw(m_pWorldData);
    if (!raw) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    // The name is taken before the textures move the pack record on to their own entries.
    std::u16string kept = name ? std::u16string(name) : std::u16string();
    Status status = read(raw);
    if (Succeeded(status))
        status = LoadFromRaw(raw, memorySource, packSource, textureFolder);
    if (Succeeded(status) && name && !SetModelName(kept.c_str()))
        status = kStatusOutOfMemory;
    raw->Release();
    delete raw;
    return status;
}

Status C3DObject::LoadModelFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    return LoadModel([&](C3DObjectRaw* raw) { return raw->MakeFromAddress(data, size, name); }, name,
                     m_pWorldData ? m_pWorldData->pfnStaticLocator : nullptr, nullptr, nullptr);
}

Status C3DObject::LoadModelFromAddressEx(const void* data, uint32_t size, const char16_t* name,
                                         PackLocatorFn packSource)
{
    return LoadModel([&](C3DObjectRaw* raw) { return raw->MakeFromAddress(data, size, name); }, name, nullptr,
                     packSource, nullptr);
}

Status C3DObject::LoadModelFromPacker(PackRecord* pEntry)
{
    return LoadModel([&](C3DObjectRaw* raw) { return raw->LoadFromPacker(pEntry); },
                     pEntry ? pEntry->lastEntryName : nullptr, nullptr,
                     m_pWorldData ? m_pWorldData->pfnPackLocator : nullptr, nullptr);
}

Status C3DObject::LoadModelFromPackerEx(PackRecord* pEntry, StaticLocatorFn memorySource)
{
    return LoadModel([&](C3DObjectRaw* raw) { return raw->LoadFromPacker(pEntry); },
                     pEntry ? pEntry->lastEntryName : nullptr, memorySource, nullptr, nullptr);
}

Status C3DObject::LoadModelFromFile(const char16_t* path, const char16_t* textureFolder)
{
    return LoadModel([&](C3DObjectRaw* raw) { return raw->LoadFromFile(path); },
                     C3DResourceName(m_pWorldData, path), nullptr, nullptr, textureFolder);
}

Status C3DObject::LoadModelFromFileEx(const char16_t* path, const char16_t* textureFolder,
                                      StaticLocatorFn memorySource, PackLocatorFn packSource)
{
    return LoadModel([&](C3DObjectRaw* raw) { return raw->LoadFromFile(path); },
                     C3DResourceName(m_pWorldData, path), memorySource, packSource, textureFolder);
}

Status C3DObject::SaveModelToFile(const char16_t* path, uint32_t flags)
{
    if (!m_pIndex)
        return kStatusFailed;
    C3DObjectRaw* raw = new (std::nothrow) C3DObjectRaw(m_pWorldData);
    if (!raw) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    Status status = SaveToRaw(raw);
    if (Succeeded(status))
        status = raw->SaveToFile(path, flags);
    raw->Release();
    delete raw;
    return status;
}
