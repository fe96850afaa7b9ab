// The element-info file "%s_object_%d.raw": the object's header, its elements, the name
// index, zones, positions, script variants and sound names. Every count is checked against
// the bytes left before anything is allocated for it, and every index against what it names,
// so that a broken file is refused whole and leaves no elements behind.
#include <cstring>
#include <initializer_list>
#include <new>

#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The fewest bytes one record of each list can take: the counts below are refused when the
// stream cannot hold that many records.
constexpr uint32_t kMinTextBytes = 4;
constexpr uint32_t kMinPositionBytes = 12 + kMinTextBytes;
constexpr uint32_t kMinValueBytes = 4 + kMinTextBytes;
constexpr uint32_t kMinTrackBytes = 4 + 1 + 4 + 4 + 4 + kMinTextBytes;
constexpr uint32_t kExtraBytes = 16;
constexpr uint32_t kMinZoneBytes = kMinTextBytes + 4 + 1 + 16;
// Fixed part, nine words, name of one byte, four counts, two bytes, the extra count and the
// sixteen geometry words.
constexpr uint32_t kMinElementBytes = 25 + 36 + kMinTextBytes + 1 + 16 + 2 + 4 + 64;
// Without a known size a stream may still not make the reader allocate without bound.
constexpr uint64_t kUnknownSizeLimit = 16u << 20;

bool Fits(UtilsStream* pStream, uint64_t count, uint32_t recordBytes)
{
    const int64_t left = pStream->BytesLeft();
    const uint64_t needed = count * recordBytes;
    return left < 0 ? needed <= kUnknownSizeLimit : needed <= uint64_t(left);
}

template <typename T>
bool ReadValue(UtilsStream* pStream, T* pValue)
{
    return pStream->Read(pValue, sizeof(T), 1);
}

// A text: u32 byte count and the bytes. kStatusFailed for a text of kElementInfoTextLimit
// bytes or more, one past the end, one with a zero byte inside, or an empty one when it is
// required; an empty text gives null.
Status ReadText(UtilsStream* pStream, char** ppText, bool required)
{
    *ppText = nullptr;
    uint32_t length = 0;
    if (!ReadValue(pStream, &length) || length >= kElementInfoTextLimit || !Fits(pStream, length, 1))
        return kStatusFailed;
    if (length == 0)
        return required ? kStatusFailed : kStatusOk;
    char* text = static_cast<char*>(UTILS_MALLOC(length + 1));
    if (!text)
        return kStatusOutOfMemory;
    if (!pStream->Read(text, 1, length) || std::memchr(text, 0, length)) {
        UTILS_FREE(text);
        return kStatusFailed;
    }
    text[length] = 0;
    *ppText = text;
    return kStatusOk;
}

// A zeroed array of count records, null for 0; kStatusFailed when the stream cannot hold them.
template <typename T>
Status AllocRecords(UtilsStream* pStream, uint32_t count, uint32_t recordBytes, T** ppArray)
{
    *ppArray = nullptr;
    if (!Fits(pStream, count, recordBytes))
        return kStatusFailed;
    if (count == 0)
        return kStatusOk;
    *ppArray = static_cast<T*>(UTILS_CALLOC(count, sizeof(T)));
    return *ppArray ? kStatusOk : kStatusOutOfMemory;
}

Status ReadCount(UtilsStream* pStream, uint32_t* pCount)
{
    return ReadValue(pStream, pCount) ? kStatusOk : kStatusFailed;
}

Status ReadFloats(UtilsStream* pStream, float* pValues, uint32_t count)
{
    return pStream->Read(pValues, 4, count) ? kStatusOk : kStatusFailed;
}

// Named positions of an element: {x, y, z, name}.
Status ReadElementPositions(UtilsStream* pStream, NamedPosition** ppPositions, uint32_t* pCount)
{
    uint32_t count = 0;
    Status status = ReadCount(pStream, &count);
    if (Succeeded(status))
        status = AllocRecords(pStream, count, kMinPositionBytes, ppPositions);
    if (Failed(status))
        return status;
    *pCount = count;
    for (uint32_t i = 0; i < count; ++i) {
        NamedPosition& position = (*ppPositions)[i];
        if (Failed(status = ReadFloats(pStream, &position.x, 3)) ||
            Failed(status = ReadText(pStream, &position.pName, false)))
            return status;
    }
    return kStatusOk;
}

// Named rotations or scales: {value, name}.
Status ReadNamedValues(UtilsStream* pStream, NamedValue** ppValues, uint32_t* pCount)
{
    uint32_t count = 0;
    Status status = ReadCount(pStream, &count);
    if (Succeeded(status))
        status = AllocRecords(pStream, count, kMinValueBytes, ppValues);
    if (Failed(status))
        return status;
    *pCount = count;
    for (uint32_t i = 0; i < count; ++i) {
        NamedValue& value = (*ppValues)[i];
        if (Failed(status = ReadFloats(pStream, &value.value, 1)) ||
            Failed(status = ReadText(pStream, &value.pName, false)))
            return status;
    }
    return kStatusOk;
}

Status ReadTracks(UtilsStream* pStream, AnimationTrack** ppTracks, uint32_t* pCount)
{
    uint32_t count = 0;
    Status status = ReadCount(pStream, &count);
    if (Succeeded(status))
        status = AllocRecords(pStream, count, kMinTrackBytes, ppTracks);
    if (Failed(status))
        return status;
    *pCount = count;
    for (uint32_t i = 0; i < count; ++i) {
        AnimationTrack& track = (*ppTracks)[i];
        if (!ReadValue(pStream, &track.trackWord) || !ReadValue(pStream, &track.flag) ||
            !ReadValue(pStream, &track.rangeWord) || !ReadValue(pStream, &track.firstKey) ||
            !ReadValue(pStream, &track.lastKey))
            return kStatusFailed;
        if (Failed(status = ReadText(pStream, &track.pName, false)))
            return status;
    }
    return kStatusOk;
}

bool InRange(int32_t index, uint32_t count) { return index >= -1 && (index < 0 || uint32_t(index) < count); }

void Identity(float* pMatrix)
{
    for (int i = 0; i < 16; ++i)
        pMatrix[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void FreeNamedPositions(NamedPosition* pPositions, uint32_t count)
{
    for (uint32_t i = 0; pPositions && i < count; ++i)
        UTILS_FREE(pPositions[i].pName);
    UTILS_FREE(pPositions);
}

void FreeNamedValues(NamedValue* pValues, uint32_t count)
{
    for (uint32_t i = 0; pValues && i < count; ++i)
        UTILS_FREE(pValues[i].pName);
    UTILS_FREE(pValues);
}

}  // namespace

Status AddUniqueNameToList(CFIFOList* pList, const char* name)
{
    if (!pList || !name || !*name)
        return kStatusFailed;
    for (void* item = pList->GetFirst(); item; item = pList->GetNext())
        if (std::strcmp(static_cast<const char*>(item), name) == 0)
            return kStatusFailed;
    char* copy = UtilsString_DupA(name);
    if (!copy)
        return kStatusOutOfMemory;
    if (Failed(pList->Add(copy, 0))) {
        UTILS_FREE(copy);
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

void CObjectsBase::ResetElement(ElementRecord* pElement)
{
    std::memset(pElement, 0, sizeof *pElement);
    pElement->lockScreenRef = -1;
    pElement->referenceWord = -1;
    pElement->hitProxy = -1;
    pElement->hitRect = -1;
    pElement->materialElement = -1;
    pElement->zone = -1;
    pElement->thirdReference = -1;
    pElement->turnFactor = 1.0f;
    pElement->drawSlotOverride = -1;
    pElement->alpha = 1.0f;
    pElement->alphaMultiplier = 1.0f;
    pElement->dragParameters[0] = -1;
    pElement->dragParameters[1] = -1;
    pElement->levelTag = -1;
    pElement->brightness = 1.0f;
    pElement->clickHandler = -1;
    pElement->textStringId = -1;
    pElement->reservedAfterString[0] = -1;
    pElement->reservedAfterString[1] = -1;
    pElement->reservedAfterNumber = -1;
    pElement->markByte = 0xFF;
    Identity(pElement->localMatrix);
    Identity(pElement->worldMatrix);
}

void CObjectsBase::ReleaseElement(ElementRecord* pElement)
{
    if (!pElement)
        return;
    UTILS_FREE(pElement->pName);
    UTILS_FREE(pElement->pEffectParameters);
    FreeNamedPositions(pElement->pPositions, pElement->positionCount);
    FreeNamedValues(pElement->pRotations, pElement->rotationCount);
    FreeNamedValues(pElement->pScales, pElement->scaleCount);
    for (uint32_t i = 0; pElement->pTracks && i < pElement->trackCount; ++i)
        UTILS_FREE(pElement->pTracks[i].pName);
    UTILS_FREE(pElement->pTracks);
    UTILS_FREE(pElement->pSavedTrackState);
    UTILS_FREE(pElement->pExtras);
    UTILS_FREE(pElement->pGroupMembers);
    delete pElement->pStringText;
    delete pElement->pNumberText;
    pElement->pStringText = nullptr;
    pElement->pNumberText = nullptr;
    pElement->pName = nullptr;
    pElement->pEffectParameters = nullptr;
    pElement->pPositions = nullptr;
    pElement->positionCount = 0;
    pElement->pRotations = nullptr;
    pElement->rotationCount = 0;
    pElement->pScales = nullptr;
    pElement->scaleCount = 0;
    pElement->pScale = nullptr;
    pElement->pTracks = nullptr;
    pElement->trackCount = 0;
    pElement->pSavedTrackState = nullptr;
    pElement->pExtras = nullptr;
    pElement->extraCount = 0;
    pElement->pGroupMembers = nullptr;
    pElement->groupMemberCount = 0;
}

void CObjectsBase::FreeElements(ElementRecord* pArray, uint32_t count)
{
    if (!pArray)
        return;
    for (uint32_t i = 0; i < count; ++i)
        ReleaseElement(ItemRecordAt(pArray, i));
    UTILS_FREE(pArray);
}

void CObjectsBase::FreeZones()
{
    for (uint32_t i = 0; m_pZones && i < m_zoneCount; ++i)
        UTILS_FREE(m_pZones[i].pName);
    UTILS_FREE(m_pZones);
    m_pZones = nullptr;
    m_zoneCount = 0;
}

void CObjectsBase::FreeObjectPositions()
{
    FreeNamedPositions(m_pPositions, m_positionCount);
    m_pPositions = nullptr;
    m_positionCount = 0;
    m_selectedPosition = 0;
}

void CObjectsBase::ReleaseElementInfo()
{
    UTILS_FREE(m_pName);
    m_pName = nullptr;
    UTILS_FREE(m_pNameIndex);
    m_pNameIndex = nullptr;
    FreeZones();
    FreeObjectPositions();
    UTILS_FREE(m_pVariants);
    m_pVariants = nullptr;
    m_variantCount = 0;
}

void CObjectsBase::FreeElementCommandLists()
{
    for (uint32_t i = 0; i < m_commandListCount; ++i) {
        delete m_ppElementClickLists[i];
        delete m_ppElementEndLists[i];
    }
    UTILS_FREE(m_ppElementClickLists);
    UTILS_FREE(m_ppElementEndLists);
    m_ppElementClickLists = nullptr;
    m_ppElementEndLists = nullptr;
    m_commandListCount = 0;
}

Status CObjectsBase::ResizeElementCommandLists(uint32_t count)
{
    // The lists of the old elements go with them; the arrays follow the new element count.
    FreeElementCommandLists();
    const size_t entries = count ? count : 1;
    m_ppElementClickLists = static_cast<CCommandList**>(UTILS_CALLOC(entries, sizeof(CCommandList*)));
    m_ppElementEndLists = static_cast<CCommandList**>(UTILS_CALLOC(entries, sizeof(CCommandList*)));
    if (!m_ppElementClickLists || !m_ppElementEndLists)
        return OutOfMemory();
    m_commandListCount = count;
    return kStatusOk;
}

Status CObjectsBase::OpenObjectStream(const char16_t* path, UtilsStream** ppStream)
{
    WorldData* w = m_pWorldData;
    *ppStream = nullptr;
    UtilsStream* stream = nullptr;
    switch (w->pGame ? GameObjectSource(*w->pGame) : 0) {
    case kResourceSourceProgram:
        if (!w->pfnStaticLocator || Failed(w->pfnStaticLocator(w, path)))
            return kStatusFailed;
        // A read stream never writes to the block.
        stream = new (std::nothrow)
            UtilsStream_Static(kStreamRead, const_cast<void*>(w->staticResource.pAddress), w->staticResource.size);
        break;
    case kResourceSourcePack:
        if (!w->pfnPackLocator || !w->pack.pFile || Failed(w->pfnPackLocator(path, &w->pack)))
            return kStatusFailed;
        stream = new (std::nothrow) UtilsStream_Packer(kStreamRead, &w->pack);
        break;
    case kResourceSourceFile: {
        char16_t full[kWorldTextSize];
        UtilsString_Format(full, kWorldTextSize, u"%s%s", w->dataPath, path);
        stream = new (std::nothrow) UtilsStream_File(kStreamRead, full);
        break;
    }
    default:
        break;
    }
    if (!stream)
        return OutOfMemory();
    *ppStream = stream;
    return kStatusOk;
}

Status CObjectsBase::BuildFromRaw(const char16_t* path)
{
    WorldData* w = m_pWorldData;
    if (!w || !path)
        return kStatusFailed;
    UtilsStream* stream = nullptr;
    const Status opened = OpenObjectStream(path, &stream);
    if (Failed(opened))
        return opened;
    if (Failed(stream->Open())) {
        delete stream;
        return kStatusFailed;
    }
    Status status = kStatusOk;
    uint32_t version = 0;
    if (!ReadValue(stream, &version)) {
        status = kStatusFailed;
    } else if (version != kElementInfoVersion) {
        UtilsString_Copy(w->lastErrorText, kWorldTextSize, u"Invalid construction,\na new construction must be made");
        w->lastErrorCode = kStatusMismatch;
        status = kStatusMismatch;
    } else {
        status = ReadElementInfo(stream);
        if (Succeeded(status))
            status = CheckElementInfo();
        if (Failed(status)) {
            // A refused file leaves nothing that points into it.
            FreeElements(m_pElements, m_elementCount);
            m_pElements = nullptr;
            m_elementCount = 0;
            UTILS_FREE(m_pNameIndex);
            m_pNameIndex = nullptr;
            FreeZones();
            FreeObjectPositions();
        }
        if (status == kStatusOutOfMemory)
            OutOfMemory();
    }
    stream->Close();
    delete stream;
    return status;
}

Status CObjectsBase::ReadElementInfo(UtilsStream* pStream)
{
    FreeElements(m_pElements, m_elementCount);
    m_pElements = nullptr;
    m_elementCount = 0;

    uint8_t bias = 0;
    char* name = nullptr;
    if (!ReadValue(pStream, &m_overlay) || !ReadValue(pStream, &bias) || !ReadValue(pStream, &m_sizeWord))
        return kStatusFailed;
    m_textureBias = int8_t(bias);
    Status status = ReadText(pStream, &name, true);
    if (Failed(status))
        return status;
    UTILS_FREE(m_pName);
    m_pName = name;
    uint32_t count = 0;
    if (!ReadValue(pStream, &m_firstMark) || !ReadValue(pStream, &m_lastMark) || !ReadValue(pStream, &count))
        return kStatusFailed;
    if (!Fits(pStream, count, kMinElementBytes))
        return kStatusFailed;

    // Elements.
    if (count > 0) {
        m_pElements = AllocElements(count);
        if (!m_pElements)
            return kStatusOutOfMemory;
        m_elementCount = count;
    }
    if (Failed(status = ResizeElementCommandLists(count)))
        return status;
    for (uint32_t i = 0; i < count; ++i) {
        ElementRecord* element = GetItemRecord(i);
        ResetElement(element);
        element->index = i;
        if (Failed(status = ReadElement(pStream, element)))
            return status;
    }

    // Name index: N entries.
    UTILS_FREE(m_pNameIndex);
    m_pNameIndex = nullptr;
    uint32_t indexCount = 0;
    if (!ReadValue(pStream, &indexCount) || indexCount != count)
        return kStatusFailed;
    m_pNameIndex = static_cast<uint32_t*>(UTILS_CALLOC(count ? count : 1, sizeof(uint32_t)));
    if (!m_pNameIndex)
        return kStatusOutOfMemory;
    if (count && !pStream->Read(m_pNameIndex, 4, count))
        return kStatusFailed;

    // Zones.
    FreeZones();
    uint32_t zones = 0;
    if (Failed(status = ReadCount(pStream, &zones)) ||
        Failed(status = AllocRecords(pStream, zones, kMinZoneBytes, &m_pZones)))
        return status;
    m_zoneCount = zones;
    for (uint32_t i = 0; i < zones; ++i) {
        ObjectZone& zone = m_pZones[i];
        if (Failed(status = ReadText(pStream, &zone.pName, true)))
            return status;
        if (!ReadValue(pStream, &zone.word) || !ReadValue(pStream, &zone.flag) ||
            Failed(ReadFloats(pStream, &zone.left, 4)))
            return kStatusFailed;
    }

    // Object positions; record 0 is the base point.
    FreeObjectPositions();
    uint32_t positions = 0;
    if (Failed(status = ReadCount(pStream, &positions)) ||
        Failed(status = AllocRecords(pStream, positions, kMinPositionBytes, &m_pPositions)))
        return status;
    m_positionCount = positions;
    for (uint32_t i = 0; i < positions; ++i) {
        NamedPosition& position = m_pPositions[i];
        if (Failed(status = ReadText(pStream, &position.pName, false)) ||
            Failed(status = ReadFloats(pStream, &position.x, 3)))
            return status;
    }
    if (positions == 0 && Failed(FindOrAddObjectPosition(nullptr)))
        return kStatusOutOfMemory;

    // Script variants: none keeps the table the object has.
    uint32_t variants = 0;
    if (!ReadValue(pStream, &variants) || !Fits(pStream, variants, 1))
        return kStatusFailed;
    if (variants != 0) {
        auto* table = static_cast<uint8_t*>(UTILS_MALLOC(variants));
        if (!table)
            return kStatusOutOfMemory;
        if (!pStream->Read(table, 1, variants)) {
            UTILS_FREE(table);
            return kStatusFailed;
        }
        UTILS_FREE(m_pVariants);
        m_pVariants = table;
        m_variantCount = variants;
    }

    // Sound names, each once.
    uint32_t sounds = 0;
    if (!ReadValue(pStream, &sounds) || !Fits(pStream, sounds, kMinTextBytes))
        return kStatusFailed;
    for (uint32_t i = 0; i < sounds; ++i) {
        char* sound = nullptr;
        if (Failed(status = ReadText(pStream, &sound, false)))
            return status;
        const Status added = sound ? AddUniqueNameToList(&m_soundList, sound) : kStatusOk;
        UTILS_FREE(sound);
        if (added == kStatusOutOfMemory)
            return added;
    }
    return kStatusOk;
}

Status CObjectsBase::ReadElement(UtilsStream* pStream, ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    if (!ReadValue(pStream, &e.leadByte) || !ReadValue(pStream, &e.drawSlot) || !ReadValue(pStream, &e.inactive) ||
        !ReadValue(pStream, &e.additive) || !ReadValue(pStream, &e.pickable) || !ReadValue(pStream, &e.flagByte4) ||
        !ReadValue(pStream, &e.anchor) || !ReadValue(pStream, &e.lockScreenRef) || !ReadValue(pStream, &e.color) ||
        !ReadValue(pStream, &e.effectKind))
        return kStatusFailed;
    if (e.effectKind != kEffectNone) {
        if (!e.pEffectParameters) {
            e.pEffectParameters = static_cast<EffectParameters*>(UTILS_CALLOC(1, sizeof(EffectParameters)));
            if (!e.pEffectParameters)
                return kStatusOutOfMemory;
        }
        EffectParameters& p = *e.pEffectParameters;
        if (!ReadValue(pStream, &p.period) || !ReadValue(pStream, &p.minimum) || !ReadValue(pStream, &p.maximum) ||
            !ReadValue(pStream, &p.angle))
            return kStatusFailed;
    }
    if (!ReadValue(pStream, &e.referenceWord) || !ReadValue(pStream, &e.textSize) || !ReadValue(pStream, &e.textRect) ||
        !ReadValue(pStream, &e.hitProxy) || !ReadValue(pStream, &e.hitRect) ||
        !ReadValue(pStream, &e.materialElement) || !ReadValue(pStream, &e.passMask) || !ReadValue(pStream, &e.zone) ||
        !ReadValue(pStream, &e.thirdReference))
        return kStatusFailed;
    // A reference to the element itself means none.
    for (int32_t* reference : {&e.hitProxy, &e.materialElement, &e.thirdReference})
        if (*reference == int32_t(e.index))
            *reference = -1;

    Status status;
    if (Failed(status = ReadText(pStream, &e.pName, true)) ||
        Failed(status = ReadElementPositions(pStream, &e.pPositions, &e.positionCount)) ||
        Failed(status = ReadNamedValues(pStream, &e.pRotations, &e.rotationCount)) ||
        Failed(status = ReadNamedValues(pStream, &e.pScales, &e.scaleCount)) ||
        Failed(status = ReadTracks(pStream, &e.pTracks, &e.trackCount)))
        return status;
    e.pScale = e.scaleCount ? &e.pScales[0].value : nullptr;
    uint32_t extras = 0;
    if (!ReadValue(pStream, &e.animationByteA) || !ReadValue(pStream, &extras))
        return kStatusFailed;
    if (Failed(status = AllocRecords(pStream, extras, kExtraBytes, &e.pExtras)))
        return status;
    e.extraCount = extras;
    if (extras && !pStream->Read(e.pExtras, 4, extras * 4))
        return kStatusFailed;
    if (Failed(ReadFloats(pStream, e.bounds, 4)) || Failed(ReadFloats(pStream, e.size, 2)) ||
        Failed(ReadFloats(pStream, &e.hitMargin, 1)) || Failed(ReadFloats(pStream, e.baseOffset, 3)) ||
        Failed(ReadFloats(pStream, e.placeOffset, 3)) || Failed(ReadFloats(pStream, e.pivot, 2)) ||
        !ReadValue(pStream, &e.geometryWord) || !ReadValue(pStream, &e.animationByteB))
        return kStatusFailed;
    return kStatusOk;
}

Status CObjectsBase::CheckElementInfo()
{
    const uint32_t count = m_elementCount;
    for (uint32_t i = 0; i < count; ++i) {
        const ElementRecord& e = *GetItemRecord(i);
        if (!InRange(e.hitProxy, count) || !InRange(e.materialElement, count) || !InRange(e.thirdReference, count) ||
            !InRange(e.lockScreenRef, count) || !InRange(e.zone, m_zoneCount) || !InRange(e.hitRect, m_zoneCount) ||
            e.anchor >= kAnchorCodeCount || e.effectKind > kEffectKindLast || e.drawSlot >= count)
            return kStatusFailed;
    }
    // The index holds every element once, by strictly ascending name.
    for (uint32_t i = 0; i < count; ++i) {
        if (m_pNameIndex[i] >= count)
            return kStatusFailed;
        if (i > 0 && std::strcmp(GetItemRecord(m_pNameIndex[i - 1])->pName, GetItemRecord(m_pNameIndex[i])->pName) >= 0)
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CObjectsBase::ReloadElementInfos()
{
    ClearMessages();
    ReleaseCommandLists();
    ClearRecordList();
    if (ReleaseModel(0) != kStatusOk || DropScriptModule() != kStatusOk || UnregisterSurroundSounds() != kStatusOk)
        return kStatusFailed;
    if (Failed(ResizeElementCommandLists(m_elementCount)))
        return kStatusFailed;
    char16_t name[kWorldTextSize];
    UtilsString_Format(name, kWorldTextSize, u"%S_object_%u.raw", m_pWorldData->pGame ? m_pWorldData->pGame->constructBaseName : "",
                       m_objectNumber);
    if (Failed(BuildFromRaw(name))) {
        Log(m_pWorldData->logPath, 0, u"# CObjectsBase::ReloadElementInfos failed! invalid object \"%S\"\n",
            m_pName ? m_pName : "");
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CObjectsBase::ReloadElementInfosKeepState()
{
    // The script's synchronized variables outlive the rebuild in a block in memory.
    auto* kept = new (std::nothrow) UtilsStream_Static(kStreamReadWriteGrowable, nullptr, 0);
    if (!kept)
        return OutOfMemory();
    if (Failed(kept->Open())) {
        delete kept;
        return kStatusFailed;
    }
    Status status = m_pScript && Succeeded(m_pScript->SaveSynchronized(kept)) ? kStatusOk : kStatusFailed;
    if (Succeeded(status))
        status = ReloadElementInfos();
    if (Succeeded(status) && Failed(LoadScript(CurrentChapter(), 0)))
        status = kStatusFailed;
    if (Succeeded(status) && (!m_pScript || !kept->Rewind() || Failed(m_pScript->LoadSynchronized(kept))))
        status = kStatusFailed;
    kept->Close();
    delete kept;
    return status;
}
