// Resources by source: streams over the program's stored data, the external and the main
// pack or a loose file; the construction-file header; the external settings readers.
#include <cstring>
#include <new>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters_File.h"
#include "VornelUtils/UtilsParameters_Packer.h"
#include "VornelUtils/UtilsParameters_Static.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool Locate(const WorldData* w, const char16_t* name, PackRecord* pPack)
{
    return w->pfnPackLocator && pPack->pFile && Succeeded(w->pfnPackLocator(name, pPack));
}

// Closes and deletes the stream; null, to return from a failing check in one statement.
UtilsStream* Drop(UtilsStream* pStream)
{
    CloseResourceStream(pStream);
    return nullptr;
}

}  // namespace

void CloseResourceStream(UtilsStream* pStream)
{
    if (!pStream)
        return;
    pStream->Close();
    delete pStream;
}

UtilsStream* CManagedWorld::OpenResourceStream(const char16_t* name, uint32_t mode)
{
    WorldData* w = m_pWorldData;
    if (!w || !name)
        return nullptr;
    UtilsStream* stream = nullptr;
    switch (GetResourceSource()) {
    case kResourceSourcePack: {
        PackRecord* record = nullptr;
        if (Locate(w, name, &m_externalPack))
            record = &m_externalPack;
        else if (mode == kResourceExternalOnly && m_externalPack.pFile)
            return nullptr;
        else if (Locate(w, name, &w->pack))
            record = &w->pack;
        else
            return nullptr;
        stream = new (std::nothrow) UtilsStream_Packer(kStreamRead, record);
        break;
    }
    case kResourceSourceProgram:
        if (!w->pfnStaticLocator || Failed(w->pfnStaticLocator(w, name)))
            return nullptr;
        // A read stream never writes to the block.
        stream = new (std::nothrow) UtilsStream_Static(
            kStreamRead, const_cast<void*>(w->staticResource.pAddress), w->staticResource.size);
        break;
    case kResourceSourceFile:
        stream = new (std::nothrow) UtilsStream_File(kStreamRead, name);
        break;
    default:
        return nullptr;
    }
    if (stream && Failed(stream->Open()))
        return Drop(stream);
    return stream;
}

UtilsStream* CManagedWorld::CheckConstruction(const char16_t* name, uint16_t version, const char* identity,
                                              uint32_t mode)
{
    UtilsStream* stream = OpenResourceStream(name, mode);
    if (!stream) {
        SetLastErrorText(u"Invalid construction,\na new construction must be made");
        return nullptr;
    }
    uint16_t fileVersion = 0;
    if (!stream->Read(&fileVersion, sizeof fileVersion, 1))
        return Drop(stream);
    if (fileVersion != version) {
        SetLastErrorText(u"The raw version files changed,\na new construction must be made");
        return Drop(stream);
    }
    char text[kConstructionIdentitySize];
    if (!ReadConstructionIdentity(stream, text) || StringCompareA(text, identity ? identity : "") != 0)
        return Drop(stream);
    return stream;
}

bool ReadConstructionIdentity(UtilsStream* pStream, char* identity)
{
    uint32_t count = 0;
    if (!pStream || !pStream->Read(&count, sizeof count, 1) || count == 0 || count > kConstructionIdentitySize)
        return false;
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && count > left)
        return false;
    // The text ends at its own terminator, never at the end of the buffer.
    return pStream->Read(identity, 1, count) && std::memchr(identity, 0, count);
}

Status CManagedWorld::LoadExternalParam_FromPacker(const char16_t* name)
{
    delete m_pExternalSettings;
    m_pExternalSettings = nullptr;
    WorldData* w = m_pWorldData;
    if (!w || GetResourceSource() != kResourceSourcePack)
        return kStatusFailed;
    PackRecord* record = m_externalPack.pFile ? &m_externalPack : &w->pack;
    if (!name || !Locate(w, name, record))
        return LogAndReturn(kStatusFailed, w->logPath, 0,
                            u"# CManagedWorld::LoadExternalParam_FromPacker failed! \"%s\" is missing !!!\n", name);
    m_pExternalSettings = new (std::nothrow) UtilsParameters_Packer(name, w->pfnPackLocator, record, kScrambleKey);
    if (!m_pExternalSettings) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

Status CManagedWorld::LoadExternalParam_FromStatic(const char16_t* name)
{
    delete m_pExternalSettings;
    m_pExternalSettings = nullptr;
    WorldData* w = m_pWorldData;
    if (!w || GetResourceSource() != kResourceSourceProgram)
        return kStatusFailed;
    if (!name || !w->pfnStaticLocator || Failed(w->pfnStaticLocator(w, name)))
        return LogAndReturn(kStatusFailed, w->logPath, 0,
                            u"# CManagedWorld::LoadExternalParam_FromStatic failed! Can't retrieve external param \"%s\"\n",
                            name);
    m_pExternalSettings =
        new (std::nothrow) UtilsParameters_Static(w->staticResource.pAddress, w->staticResource.size, 0);
    if (!m_pExternalSettings) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

Status CManagedWorld::LoadExternalParam_FromFile(const char16_t* path)
{
    delete m_pExternalSettings;
    m_pExternalSettings = new (std::nothrow) UtilsParameters_File(path, kScrambleKey);
    if (!m_pExternalSettings) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}
