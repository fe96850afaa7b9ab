#pragma once
// The module registry: renderers, audio, input and network modules are registered as entries
// {descriptor, create, destroy} in one list per kind, and ValidPlatform selects one entry per
// kind by descriptor id before the world loads. A 3D entry's create function makes a
// C3DEngine, an audio entry a CAudioEngine (AudioEngine.h); input and network entries make a
// CEngineModule (EngineModule.h). The world starts each with Init(window) and stops it with
// Release().
#include <cstddef>
#include <cstdint>

#include "VornelUtils/Status.h"
#include "VornelUtils/WorldData.h"

// The descriptor tables of the engine, by kind.
extern const ModuleDescriptor kModuleDescriptors3D[13];
extern const ModuleDescriptor kModuleDescriptorsAudio[6];
extern const ModuleDescriptor kModuleDescriptorsNetwork[2];

// The row of the table of this kind (kModule3D, kModuleAudio, kModuleNetwork) with this id;
// null when there is none (no input table exists).
const ModuleDescriptor* FindModuleDescriptor(int kind, uint32_t id);

// Appends a zeroed entry to the list of this kind (0..3) for the caller to fill; the list
// stays null-terminated. Null for a bad kind, no record or out of memory.
ModuleEntry* RegisterModule(int kind, WorldData* pWorldData);

// For the audio, input, network and 3D lists in that order, the first entry whose descriptor
// has the requested id becomes the selected entry of its kind; an id without an entry leaves
// that selection as it was. No 3D selection: kStatusFailed and the lists stay. Otherwise the
// lists are freed (UnregisterModules) and 0 is returned.
Status ValidPlatform(uint16_t id3D, uint16_t idAudio, uint16_t idInput, uint16_t idNetwork,
                     WorldData* pWorldData);

// Registers the module of this kind and descriptor id with its create function and
// ReleaseModule. Out of memory or no record: kStatusOutOfMemory (latched when there is a record).
Status RegisterModuleOfKind(int kind, uint32_t id, ModuleCreateFn pfnCreate, WorldData* pWorldData);

// Frees every entry of the four lists and the lists themselves.
void UnregisterModules(WorldData* pWorldData);

// The destroy function of every module: deletes it through its virtual destructor; null is
// ignored.
void ReleaseModule(CBaseObject* pModule);
