#include "VornelUtils/RegisterModules.h"

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/UtilsMemory.h"

const ModuleDescriptor kModuleDescriptors3D[13] = {
    {0, u"DX11", u"DirectX 11.0", 0x10000, 0x1000008},
    {1, u"DX10", u"DirectX 10.0", 0x10000, 0x1000004},
    {2, u"DX9", u"DirectX 9.0", 0x10000, 0x1000002},
    {3, u"DX81", u"DirectX 8.1", 0x10000, 0x1000001},
    {4, u"DXM", u"DirectX Mobile", 0x10000, 0x1000010},
    {5, u"GL", u"OpenGL", 0x10000, 0x1000020},
    {6, u"GLES", u"OpenGLES 1.1", 0x10000, 0x1000080},
    {7, u"GLES2", u"OpenGLES 2.0", 0x10000, 0x1000100},
    {8, u"VN3D", u"Vornel3D VN3D", 0x10000, 0x1000200},
    {9, u"PSGL", u"PS OpenGLES", 0x10000, 0x1000400},
    {10, u"PSPGU", u"PSP GU", 0x10000, 0x1000800},
    {11, u"FLASH", u"FlashManaged", 0x10000, 0x1001000},
    {12, u"FLASH3D", u"FlashStage3D", 0x10000, 0x1002000},
};

const ModuleDescriptor kModuleDescriptorsAudio[6] = {
    {0, u"", u"-Disabled-", 0, 0x2000000},
    {1, u"OS", u"Default OS Audio", 0x10000, 0x2010000},
    {2, u"DX81", u"DirectX Audio 8.1", 0x10000, 0x2020000},
    {3, u"AL", u"OpenAL 1.1", 0x10000, 0x2040000},
    {4, u"SLES", u"OpenSLES 1.0.1", 0x10000, 0x2080000},
    {5, u"FMOD4", u"FMOD 4.38.07", 0x10000, 0x2100000},
};

const ModuleDescriptor kModuleDescriptorsNetwork[2] = {
    {0, u"", u"-Disabled-", 0, 0x8000000},
    {1, u"OS", u"Default OS Network", 0x10000, 0x18000000},
};

namespace {

bool ValidKind(int kind)
{
    return kind >= 0 && kind < kModuleKindCount;
}

size_t CountEntries(ModuleEntry* const* list)
{
    size_t count = 0;
    if (list)
        while (list[count])
            ++count;
    return count;
}

// The first entry of the list whose descriptor has this id.
const ModuleEntry* FindEntry(ModuleEntry* const* list, uint32_t id)
{
    if (!list)
        return nullptr;
    for (size_t i = 0; list[i]; ++i)
        if (list[i]->pDescriptor && list[i]->pDescriptor->id == id)
            return list[i];
    return nullptr;
}

// The row of a descriptor table with this id.
template <size_t N>
const ModuleDescriptor* FindRow(const ModuleDescriptor (&table)[N], uint32_t id)
{
    for (const ModuleDescriptor& row : table)
        if (row.id == id)
            return &row;
    return nullptr;
}

}  // namespace

const ModuleDescriptor* FindModuleDescriptor(int kind, uint32_t id)
{
    switch (kind) {
    case kModule3D:
        return FindRow(kModuleDescriptors3D, id);
    case kModuleAudio:
        return FindRow(kModuleDescriptorsAudio, id);
    case kModuleNetwork:
        return FindRow(kModuleDescriptorsNetwork, id);
    default:
        return nullptr;
    }
}

ModuleEntry* RegisterModule(int kind, WorldData* pWorldData)
{
    if (!pWorldData || !ValidKind(kind))
        return nullptr;
    ModuleEntry** list = pWorldData->moduleLists[kind];
    const size_t count = CountEntries(list);
    auto** grown = static_cast<ModuleEntry**>(UTILS_REALLOC(list, (count + 2) * sizeof(ModuleEntry*)));
    if (!grown)
        return nullptr;
    grown[count] = nullptr;
    pWorldData->moduleLists[kind] = grown;
    auto* entry = static_cast<ModuleEntry*>(UTILS_CALLOC(1, sizeof(ModuleEntry)));
    if (!entry)
        return nullptr;  // the list is one slot longer but still ends where it did
    grown[count] = entry;
    grown[count + 1] = nullptr;
    return entry;
}

Status RegisterModuleOfKind(int kind, uint32_t id, ModuleCreateFn pfnCreate, WorldData* pWorldData)
{
    ModuleEntry* entry = RegisterModule(kind, pWorldData);
    if (!entry) {
        if (pWorldData)
            pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    entry->pDescriptor = FindModuleDescriptor(kind, id);
    entry->pfnCreate = pfnCreate;
    entry->pfnDestroy = ReleaseModule;
    return kStatusOk;
}

Status ValidPlatform(uint16_t id3D, uint16_t idAudio, uint16_t idInput, uint16_t idNetwork,
                     WorldData* pWorldData)
{
    if (!pWorldData)
        return kStatusFailed;
    const struct {
        int kind;
        uint16_t id;
    } order[] = {{kModuleAudio, idAudio}, {kModuleInput, idInput}, {kModuleNetwork, idNetwork}, {kModule3D, id3D}};
    for (const auto& request : order) {
        if (const ModuleEntry* entry = FindEntry(pWorldData->moduleLists[request.kind], request.id))
            pWorldData->selected[request.kind] = *entry;
    }
    if (!pWorldData->selected[kModule3D].pDescriptor)
        return kStatusFailed;
    UnregisterModules(pWorldData);
    return kStatusOk;
}

void UnregisterModules(WorldData* pWorldData)
{
    if (!pWorldData)
        return;
    for (int kind = 0; kind < kModuleKindCount; ++kind) {
        ModuleEntry** list = pWorldData->moduleLists[kind];
        if (!list)
            continue;
        for (size_t i = 0; list[i]; ++i)
            UTILS_FREE(list[i]);
        UTILS_FREE(list);
        pWorldData->moduleLists[kind] = nullptr;
    }
}

void ReleaseModule(CBaseObject* pModule)
{
    delete pModule;
}
