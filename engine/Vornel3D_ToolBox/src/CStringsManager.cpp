// The string tables: languages, the current language's table, punctuation and remapping.
#include "Vornel3D_ToolBox/CStringsManager.h"

#include <cstring>
#include <new>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "VornelPlatform/PlatformUser.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

const StringsLanguage kStringsLanguages[kLanguageCount] = {
    {0x1, u"en", u"English", 0},        {0x1, u"fr", u"French", 0},
    {0x1, u"es", u"Spanish", 0},        {0x1, u"de", u"Deutch", 0},
    {0x1, u"it", u"Italian", 0},        {0x4, u"jp", u"Japanese", 0x101},
    {0x8, u"ch", u"Chinese", 0x101},    {0x10, u"ko", u"Korean", 0x101},
    {0x2, u"ru", u"Russian", 0x1},      {0x1, u"nl", u"Netherlander", 0},
    {0x1, u"pt", u"Portuguese", 0},     {0x1, u"sv", u"Swedich", 0},
    {0x40, u"th", u"Thai", 0x101},      {0x80, u"vi", u"Vietnamese", 0x1},
    {0x1, u"id", u"Indonesian", 0},     {0x1, u"br", u"Brazilian", 0},
    {0x100, u"tr", u"Turkish", 0x1},
};

namespace {

constexpr const char16_t* kSymbolsFile = u"_symbols.utf8.indexed.ucs2.raw";
constexpr uint32_t kUnmapAbsent = 0xFFFFFFFFu;
// Characters are 16-bit: entries past this are never reached.
constexpr uint32_t kRemapLimit = 0x10000;

constexpr char16_t kOpening[] = {0x00AB, 0};
constexpr char16_t kClosing[] = {0x0021, 0x003F, 0x003A, 0x003B, 0x002C, 0x002E, 0x0022,
                                 0x0027, 0x0029, 0x005D, 0x007D, 0x00BB, 0};

}  // namespace

CStringsManager::CStringsManager(WorldData* pWorldData, CManagedWorld* pWorld)
    : CBaseObject(pWorldData), m_pWorld(pWorld), m_nLanguage(GetSystemLanguage())
{
}

CStringsManager::~CStringsManager()
{
    CStringsManager::Unload();
}

Status CStringsManager::Init()
{
    delete m_pTable;
    m_pTable = new (std::nothrow) CStringsRaw(m_pWorldData);
    if (!m_pTable) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

Status CStringsManager::Unload()
{
    delete m_pTable;
    m_pTable = nullptr;
    InstallRemap(nullptr, 0);
    return kStatusOk;
}

void CStringsManager::BuildPath(char16_t* out, uint32_t mode, const char16_t* folder, uint32_t language,
                                bool commons) const
{
    const char16_t* suffix = mode == kStringsModeIndexed ? u".utf8.indexed.ucs2.raw" : u".utf8.ucs2.raw";
    char16_t name[kWorldTextSize];
    UtilsString_Format(name, kWorldTextSize, u"_strings.%s%s%s", kStringsLanguages[language].code,
                       commons ? u".commons" : u"", suffix);
    if (m_pWorld && m_pWorld->GetResourceSource() == kResourceSourceFile && m_pWorldData)
        UtilsString_Format(out, kWorldTextSize, u"%s%s%s", m_pWorldData->dataPath, folder ? folder : u"", name);
    else
        UtilsString_Format(out, kWorldTextSize, u"%s%s", folder ? folder : u"", name);
}

Status CStringsManager::LoadTable(uint32_t mode, const char16_t* folder, uint8_t force)
{
    std::memset(m_available, 0, sizeof m_available);
    m_nAvailableCount = 0;
    char16_t path[kWorldTextSize];
    for (uint32_t language = 0; m_pWorld && language < kLanguageCount; ++language) {
        if (kStringsLanguages[language].flags != 0 && mode != kStringsModeIndexed)
            continue;
        BuildPath(path, mode, folder, language, false);
        UtilsStream* own = m_pWorld->OpenResourceStream(path, kResourceExternalOnly);
        BuildPath(path, mode, folder, language, true);
        UtilsStream* commons = m_pWorld->OpenResourceStream(path, kResourceExternalOnly);
        if (commons && (own || force)) {
            m_available[language] = 1;
            ++m_nAvailableCount;
        }
        CloseResourceStream(own);
        CloseResourceStream(commons);
    }
    if (IsAvailable(m_nLanguage))
        return kStatusOk;
    m_nLanguage = GetSystemLanguage();
    if (IsAvailable(m_nLanguage))
        return kStatusOk;
    for (uint32_t language = 0; language < kLanguageCount; ++language) {
        if (m_available[language]) {
            m_nLanguage = language;
            break;
        }
    }
    return kStatusOk;
}

void CStringsManager::SetAvailable(uint32_t language, bool available)
{
    if (language >= kLanguageCount || (m_available[language] != 0) == available)
        return;
    m_available[language] = available ? 1 : 0;
    available ? ++m_nAvailableCount : --m_nAvailableCount;
}

Status CStringsManager::Load(uint32_t mode, const char16_t* folder, uint32_t language, uint8_t commonsOnly)
{
    if (language > kLanguageCurrent)
        return kStatusFailed;
    // The language changes only with its strings: a table that cannot be read leaves both the
    // language in use and its strings.
    const uint32_t chosen = language == kLanguageCurrent ? m_nLanguage : language;
    if (Failed(OnRawLanguage(mode, folder, chosen, commonsOnly, m_pTable)))
        return kStatusFailed;
    m_nLanguage = chosen;
    return kStatusOk;
}

Status CStringsManager::ReadTable(const char16_t* path, const char16_t* logName, CStringsRaw* pTable) const
{
    UtilsStream* stream = m_pWorld ? m_pWorld->OpenResourceStream(path, 0) : nullptr;
    if (!stream)
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"# %s::OnRawLanguage failed! \"%s\" is missing !!!\n", logName, path);
    const Status status = pTable->Load(stream);
    CloseResourceStream(stream);
    return status;
}

Status CStringsManager::OnRawLanguage(uint32_t mode, const char16_t* folder, uint32_t language, uint8_t commonsOnly,
                                      CStringsRaw* pTable)
{
    if (!pTable || language >= kLanguageCount)
        return kStatusFailed;
    CStringsRaw own(m_pWorldData);
    CStringsRaw commons(m_pWorldData);
    char16_t path[kWorldTextSize];
    if (!commonsOnly) {
        BuildPath(path, mode, folder, language, false);
        if (Failed(ReadTable(path, u"CStringsManager", &own)))
            return kStatusFailed;
    }
    BuildPath(path, mode, folder, language, true);
    if (Failed(ReadTable(path, u"CNimbrelWorld", &commons)))
        return kStatusFailed;
    if (Failed(pTable->Join(own, commons)))
        return kStatusFailed;
    if (pTable == m_pTable)
        m_nCommonCount = pTable->GetCount() ? commons.GetCount() : 0;
    return kStatusOk;
}

Status CStringsManager::ReadSymbols(UtilsStream* pStream)
{
    uint8_t charSize = 0, unusedWidth = 0;
    uint32_t count = 0, unusedCount = 0;
    if (!pStream || !pStream->Read(&charSize, 1, 1) || !pStream->Read(&count, 4, 1) ||
        !pStream->Read(&unusedWidth, 1, 1) || !pStream->Read(&unusedCount, 4, 1) || charSize != 2)
        return kStatusFailed;
    const int64_t left = pStream->BytesLeft();
    if (left < 0 || uint64_t(count) * 2 > uint64_t(left))
        return kStatusFailed;
    const uint32_t kept = count < kRemapLimit ? count : kRemapLimit;
    auto* remap = static_cast<uint16_t*>(UTILS_MALLOC(size_t(kept ? kept : 1) * sizeof(uint16_t)));
    if (!remap || (kept && !pStream->Read(remap, 2, kept))) {
        UTILS_FREE(remap);
        return kStatusFailed;
    }
    InstallRemap(remap, kept);
    return kStatusOk;
}

Status CStringsManager::OnRawSymbols(uint32_t mode, const char16_t* folder)
{
    if (mode != kStringsModeIndexed) {
        auto* identity = static_cast<uint16_t*>(UTILS_MALLOC(kIdentityRemapLength * sizeof(uint16_t)));
        if (!identity)
            return kStatusFailed;
        for (uint32_t i = 0; i < kIdentityRemapLength; ++i)
            identity[i] = uint16_t(i);
        InstallRemap(identity, kIdentityRemapLength);
        return kStatusOk;
    }
    char16_t path[kWorldTextSize];
    if (m_pWorld && m_pWorld->GetResourceSource() == kResourceSourceFile && m_pWorldData)
        UtilsString_Format(path, kWorldTextSize, u"%s%s%s", m_pWorldData->dataPath, folder ? folder : u"", kSymbolsFile);
    else
        UtilsString_Format(path, kWorldTextSize, u"%s%s", folder ? folder : u"", kSymbolsFile);
    UtilsStream* stream = m_pWorld ? m_pWorld->OpenResourceStream(path, 0) : nullptr;
    if (!stream)
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"# CStringsManager::OnRawSymbols failed! \"%s\" is missing !!!\n", path);
    const Status status = ReadSymbols(stream);
    CloseResourceStream(stream);
    return status;
}

void CStringsManager::InstallRemap(uint16_t* remap, uint32_t length)
{
    UTILS_FREE(m_pRemap);
    UTILS_FREE(m_pUnmap);
    m_pRemap = remap;
    m_nRemapLength = remap ? length : 0;
    m_pUnmap = nullptr;
    if (!remap)
        return;
    m_pUnmap = static_cast<uint32_t*>(UTILS_MALLOC(kRemapLimit * sizeof(uint32_t)));
    if (!m_pUnmap)
        return;  // UnmapChars then searches the table itself
    std::memset(m_pUnmap, 0xFF, kRemapLimit * sizeof(uint32_t));
    for (uint32_t i = length; i-- > 0;)
        m_pUnmap[remap[i]] = i;
}

void CStringsManager::RemapChars(char16_t* text) const
{
    if (!text || !m_pRemap)
        return;
    for (; *text; ++text)
        if (*text < m_nRemapLength)
            *text = m_pRemap[*text];
}

void CStringsManager::UnmapChars(char16_t* text) const
{
    if (!text || !m_pRemap)
        return;
    for (; *text; ++text) {
        uint32_t index = kUnmapAbsent;
        if (m_pUnmap) {
            index = m_pUnmap[*text];
        } else {
            for (uint32_t i = 0; i < m_nRemapLength && index == kUnmapAbsent; ++i)
                if (m_pRemap[i] == *text)
                    index = i;
        }
        if (index != kUnmapAbsent)
            *text = char16_t(index);
    }
}

Status CStringsManager::LoadPunctuation(uint32_t mode)
{
    std::memcpy(m_opening, kOpening, sizeof m_opening);
    std::memcpy(m_closing, kClosing, sizeof m_closing);
    if (mode == kStringsModeIndexed) {
        RemapChars(m_opening);
        RemapChars(m_closing);
    }
    return kStatusOk;
}

uint32_t CStringsManager::LanguageFromLangId(uint16_t langId)
{
    struct Row {
        uint16_t id;
        uint8_t language;
    };
    static const Row kRows[] = {
        {0x000C, 1}, {0x040C, 1}, {0x080C, 1}, {0x0C0C, 1}, {0x100C, 1}, {0x140C, 1},
        {0x0007, 3}, {0x0407, 3}, {0x0807, 3}, {0x0C07, 3}, {0x1007, 3}, {0x1407, 3},
        {0x0010, 4}, {0x0410, 4}, {0x0810, 4},
        {0x0011, 5}, {0x0411, 5},
        {0x0004, 6}, {0x0404, 6}, {0x0804, 6}, {0x0C04, 6}, {0x1004, 6},
        {0x0012, 7}, {0x0412, 7},
        {0x0019, 8}, {0x0419, 8},
        {0x0413, 9}, {0x0816, 10}, {0x041D, 11}, {0x081D, 11},
        {0x001E, 12}, {0x002A, 13}, {0x0021, 14}, {0x0416, 15}, {0x041F, 16},
    };
    // Spanish: the neutral id and every sublanguage from 1 to 20.
    if (langId == 0x000A || ((langId & 0x3FF) == 0x0A && (langId >> 10) >= 1 && (langId >> 10) <= 20))
        return 2;
    for (const Row& row : kRows)
        if (row.id == langId)
            return row.language;
    return 0;
}

uint32_t CStringsManager::GetSystemLanguage()
{
    return LanguageFromLangId(Platform_GetSystemLanguageId());
}
