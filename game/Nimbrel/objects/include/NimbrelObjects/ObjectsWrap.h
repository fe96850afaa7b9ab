#pragma once
// What the level and interface kinds share in their operation tables: the element array of
// plain records, and the wrappers that pass a base operation on and turn any failure into
// kStatusFailed.
#include "NimbrelObjects/CObjectsBase.h"

// A negative status becomes kStatusFailed, anything else 0.
inline Status ObjectsWrapStatus(Status status) { return Failed(status) ? kStatusFailed : kStatusOk; }

// The element array of a kind whose records are plain ElementRecords (zeroed; null when out
// of memory), and its records by index.
ElementRecord* AllocPlainElements(uint32_t count);
inline ElementRecord* PlainElementAt(ElementRecord* pArray, uint32_t index) { return pArray ? pArray + index : nullptr; }

// The shared wrappers: each calls the named operation of `Base` (the level or interface base)
// and maps its result.
template <class Base>
Status ObjectsWrap_Load(Base& object) { return ObjectsWrapStatus(object.Base::Load()); }
template <class Base>
Status ObjectsWrap_Release(Base& object) { return ObjectsWrapStatus(object.Base::Release()); }
template <class Base>
Status ObjectsWrap_UpdateComponents(Base& object) { return ObjectsWrapStatus(object.Base::UpdateComponents()); }
template <class Base>
Status ObjectsWrap_DrawElement(Base& object, ElementRecord* pElement)
{
    return ObjectsWrapStatus(object.Base::DrawElement(pElement));
}
template <class Base>
Status ObjectsWrap_OnCheatCodes(Base& object, uint32_t next) { return ObjectsWrapStatus(object.Base::OnCheatCodes(next)); }
template <class Base>
Status ObjectsWrap_LoadReleaseModel(Base& object, uint32_t model)
{
    return ObjectsWrapStatus(object.Base::LoadReleaseModel(model));
}
template <class Base>
Status ObjectsWrap_ReleaseModel(Base& object, uint8_t force) { return ObjectsWrapStatus(object.Base::ReleaseModel(force)); }
template <class Base>
Status ObjectsWrap_LoadFromProfile(Base& object, UtilsStream_Chunk* pChunk)
{
    return ObjectsWrapStatus(object.Base::LoadFromProfile(pChunk));
}
template <class Base>
Status ObjectsWrap_SaveState(Base& object, UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    return ObjectsWrapStatus(object.Base::SaveState(pList, pChunk));
}
template <class Base>
Status ObjectsWrap_RegisterScriptFunctions(Base& object)
{
    return ObjectsWrapStatus(object.Base::RegisterScriptFunctions());
}
// Builtins a kind takes without doing anything.
inline Status ReturnHandled() { return kStatusDoneStoreResult; }
