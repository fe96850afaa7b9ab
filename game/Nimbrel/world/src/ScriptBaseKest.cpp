// A script instance over the engine's script language: one module, in its own VM (the main
// script) or in the main script's VM (scene objects).
#include <string>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptImage.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptState.h"
#include "NimbrelWorld/CScriptBase.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Every failing module status reads as one failure to the game.
Status Mapped(Status status)
{
    return status < 0 ? kStatusFailed : kStatusOk;
}

}  // namespace

CScriptBaseKest::CScriptBaseKest(WorldData* pWorldData, uint32_t objectNumber, uint32_t contextIndex,
                                 CScriptBase* pSharedScript)
    : CScriptBase(pWorldData, objectNumber, contextIndex, pSharedScript)
{
    if (auto* shared = static_cast<CScriptBaseKest*>(pSharedScript))
        m_pVM = shared->GetVM();
}

CScriptBaseKest::~CScriptBaseKest()
{
    Release();
}

Status CScriptBaseKest::CreateModule()
{
    if (m_pModule)
        return kStatusOk;
    if (OwnsVM() && !m_pVM)
        m_pVM = ScriptVM_Create();
    if (!m_pVM)
        return kStatusFailed;
    ScriptModule* parent = OwnsVM() ? nullptr : static_cast<CScriptBaseKest*>(m_pSharedScript)->GetModule();
    m_pModule = ScriptModule_Create(m_pVM, parent);
    return m_pModule ? kStatusOk : kStatusFailed;
}

Status CScriptBaseKest::Release()
{
    if (m_pModule && m_pVM)
        ScriptModule_Destroy(m_pVM, m_pModule);
    m_pModule = nullptr;
    if (OwnsVM() && m_pVM)
        ScriptVM_Destroy(m_pVM);
    if (OwnsVM())
        m_pVM = nullptr;
    m_loaded = 0;
    return kStatusOk;
}

Status CScriptBaseKest::RunTopLevel()
{
    const Status status = ScriptModule_Run(m_pVM, m_pModule, nullptr, false, 0, nullptr, 0, kScriptNoResume);
    if (status < 0)
        return kStatusFailed;
    m_loaded = 1;
    return kStatusOk;
}

Status CScriptBaseKest::LoadFromPack(const char16_t* name)
{
    WorldData* w = m_pWorldData;
    if (!m_pModule || !w || !name || !w->pack.pFile || Failed(FindPackEntry(name, &w->pack)))
        return kStatusFailed;
    UtilsStream_Packer stream(kStreamRead, &w->pack);
    if (Failed(stream.Open()))
        return kStatusFailed;
    const uint32_t size = stream.GetEntrySize();
    // One byte more, so that an empty entry still has a buffer.
    auto* bytes = static_cast<uint8_t*>(UTILS_MALLOC(size + 1u));
    if (!bytes) {
        m_pVM->status = kScriptOutOfMemory;
        return kStatusFailed;
    }
    const bool read = size == 0 || stream.Read(bytes, 1, size);
    stream.Close();
    if (!read) {
        UTILS_FREE(bytes);
        m_pVM->status = kScriptFileRead;
        return kStatusFailed;
    }
    m_loaded = 0;
    const Status status =
        ScriptModule_CompileMemory(m_pVM, m_pModule, bytes, size, UtilsString_ToUtf8(name).c_str());
    UTILS_FREE(bytes);
    return status < 0 ? kStatusFailed : RunTopLevel();
}

Status CScriptBaseKest::LoadFromFile(const char16_t* name, const char* imageName)
{
    WorldData* w = m_pWorldData;
    if (!m_pModule || !w || !name)
        return kStatusFailed;
    m_loaded = 0;
    if (ScriptModule_CompileFile(m_pVM, m_pModule, w->dataPath, name) < 0)
        return kStatusFailed;
    if (imageName && ScriptModule_WriteImageA(m_pVM, m_pModule, imageName) < 0)
        return kStatusFailed;
    if (ScriptModule_Link(m_pVM, m_pModule) < 0)
        return kStatusFailed;
    return RunTopLevel();
}

Status CScriptBaseKest::StopFunction(const char* name)
{
    if (!m_pModule)
        return kStatusFailed;
    return Mapped(ScriptModule_StopFunction(m_pVM, m_pModule, name));
}

Status CScriptBaseKest::Clear()
{
    if (!m_pModule)
        return kStatusFailed;
    ScriptModule_Clear(m_pVM, m_pModule, false);
    m_loaded = 0;
    return kStatusOk;
}

Status CScriptBaseKest::ReadBlock(UtilsStream* pStream, uint8_t** ppBytes, uint32_t* pSize)
{
    *ppBytes = nullptr;
    uint32_t size = 0;
    if (!pStream || !pStream->Read(&size, sizeof size, 1))
        return kStatusFailed;
    // A size beyond what the stream still holds is damage, not a reason to allocate.
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && size > left)
        return kStatusFailed;
    auto* bytes = static_cast<uint8_t*>(UTILS_MALLOC(size + 1u));
    if (!bytes) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    if (size && !pStream->Read(bytes, 1, size)) {
        UTILS_FREE(bytes);
        return kStatusFailed;
    }
    *ppBytes = bytes;
    *pSize = size;
    return kStatusOk;
}

Status CScriptBaseKest::LoadBlock(UtilsStream* pStream, Status (*load)(ScriptVM*, ScriptModule*, const void*, size_t))
{
    if (!m_pModule)
        return kStatusFailed;
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    Status status = ReadBlock(pStream, &bytes, &size);
    if (Failed(status))
        return status;
    status = load(m_pVM, m_pModule, bytes, size);
    UTILS_FREE(bytes);
    if (status == kScriptOutOfMemory) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return Mapped(status);
}

Status CScriptBaseKest::WriteBlock(UtilsStream* pStream, uint8_t* (*save)(ScriptVM*, ScriptModule*, size_t*))
{
    if (!m_pModule || !pStream)
        return kStatusFailed;
    size_t length = 0;
    uint8_t* bytes = save(m_pVM, m_pModule, &length);
    if (!bytes) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    const uint32_t size = static_cast<uint32_t>(length);
    const bool written = pStream->Write(&size, sizeof size, 1) && (size == 0 || pStream->Write(bytes, 1, size));
    UTILS_FREE(bytes);
    return written ? kStatusOk : kStatusFailed;
}

Status CScriptBaseKest::LoadGlobals(UtilsStream* pStream)
{
    return LoadBlock(pStream, ScriptModule_LoadGlobals);
}

Status CScriptBaseKest::SaveGlobals(UtilsStream* pStream)
{
    return WriteBlock(pStream, ScriptModule_SaveGlobals);
}

Status CScriptBaseKest::LoadRunState(UtilsStream* pStream)
{
    if (!pStream || !pStream->Read(&m_eventMask, sizeof m_eventMask, 1))
        return kStatusFailed;
    return LoadBlock(pStream, ScriptModule_LoadRunState);
}

Status CScriptBaseKest::SaveRunState(UtilsStream* pStream)
{
    if (!pStream || !pStream->Write(&m_eventMask, sizeof m_eventMask, 1))
        return kStatusFailed;
    return WriteBlock(pStream, ScriptModule_SaveRunState);
}

Status CScriptBaseKest::LoadSynchronized(UtilsStream* pStream)
{
    return LoadBlock(pStream, ScriptModule_LoadSynchronized);
}

Status CScriptBaseKest::SaveSynchronized(UtilsStream* pStream)
{
    return WriteBlock(pStream, ScriptModule_SaveSynchronized);
}

Status CScriptBaseKest::RegisterFunction(const char* name, const char*, void* object, uintptr_t handler,
                                         ScriptBuiltinFunction adapter, uint32_t code)
{
    if (!m_pModule)
        return kStatusFailed;
    return Mapped(ScriptModule_RegisterBuiltin(m_pVM, m_pModule, name, adapter, code,
                                               reinterpret_cast<uintptr_t>(object), handler));
}

bool CScriptBaseKest::HasFunction(const char* name)
{
    return m_pModule && ScriptModule_HasFunction(m_pVM, m_pModule, name) >= 0;
}

Status CScriptBaseKest::Call(const char* name, uint8_t reuse, uint32_t hostWord, uintptr_t* arguments,
                             uint32_t argumentCode, uint32_t resumeValue)
{
    if (!m_pModule)
        return kStatusFailed;
    return ScriptModule_Run(m_pVM, m_pModule, name, reuse != 0, hostWord, arguments, argumentCode, resumeValue);
}

Status CScriptBaseKest::SetLong(const char* name, uint32_t value, bool exported)
{
    return Mapped(ScriptModule_SetLong(m_pVM, m_pModule, name, value, exported));
}

Status CScriptBaseKest::SetFloat(const char* name, float value, bool exported)
{
    return Mapped(ScriptModule_SetFloat(m_pVM, m_pModule, name, value, exported));
}

Status CScriptBaseKest::SetString(const char* name, const char* value, bool exported)
{
    return Mapped(ScriptModule_SetString(m_pVM, m_pModule, name, value, exported));
}

Status CScriptBaseKest::GetLong(const char* name, uint32_t* pValue, bool exported)
{
    return Mapped(ScriptModule_GetLong(m_pVM, m_pModule, name, pValue, exported));
}

Status CScriptBaseKest::GetFloat(const char* name, float* pValue, bool exported)
{
    return Mapped(ScriptModule_GetFloat(m_pVM, m_pModule, name, pValue, exported));
}

Status CScriptBaseKest::GetString(const char* name, const char** pValue, bool exported)
{
    return Mapped(ScriptModule_GetString(m_pVM, m_pModule, name, pValue, exported));
}

Status CScriptBaseKest::SetReturnLong(uint32_t activationIndex, uint32_t value)
{
    if (!m_pModule || activationIndex >= m_pModule->activations.size())
        return kStatusFailed;
    return Mapped(
        ScriptModule_SetReturnLong(m_pVM, m_pModule, m_pModule->activations[activationIndex].get(), value));
}

const char* CScriptBaseKest::GetFileName(uint32_t index)
{
    return m_pModule ? ScriptModule_GetFileName(m_pVM, m_pModule, index) : "unknown";
}

uint32_t CScriptBaseKest::GetFileCount()
{
    return m_pModule ? ScriptModule_GetFileCount(m_pModule) : 0;
}

Status CScriptBaseKest::GetLastError(char16_t* buffer)
{
    if (!m_pVM) {
        if (buffer)
            buffer[0] = 0;
        return kStatusFailed;
    }
    return ScriptVM_GetLastError(m_pVM, buffer, kScriptErrorTextSize);
}
