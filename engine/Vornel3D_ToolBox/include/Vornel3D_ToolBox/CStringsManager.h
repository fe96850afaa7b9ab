#pragma once
// The string tables of the game: which of the 17 languages have tables, which one is current
// (the system's language first), the current language's strings joined with the common
// strings in one table, the punctuation lists and the character remapping of the indexed
// format (the tables of charset fonts).
//
// Files, under a folder given by the caller ("strings/"), from the resource source of the
// managed world (a loose file: data path + folder + name):
//   "_strings." code suffix            the language's strings
//   "_strings." code ".commons" suffix the common strings, which follow them in the table
// with the suffix ".utf8.indexed.ucs2.raw" in the indexed mode (2), ".utf8.ucs2.raw" else;
// and "_symbols.utf8.indexed.ucs2.raw", the remapping table: the header of a string table
// (character size 2, character count n, a u8 and a u32 that are not used), then n characters.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class CManagedWorld;
class CStringsRaw;
class UtilsStream;

constexpr uint32_t kLanguageCount = 17;
// As a language number: the current language (no change).
constexpr uint32_t kLanguageCurrent = 17;
// The indexed mode: tables remapped for a charset font, read with the remapping table.
constexpr uint32_t kStringsModeIndexed = 2;
// Entries of the identity remapping table installed outside the indexed mode.
constexpr uint32_t kIdentityRemapLength = 65535;

struct StringsLanguage {
    uint32_t charsetMask;  // the font pages a charset font needs for the language
    const char16_t* code;  // of the file names
    const char16_t* name;  // as stored
    uint32_t flags;        // not 0: tables only in the indexed format
};
// By language number.
extern const StringsLanguage kStringsLanguages[kLanguageCount];

class CStringsManager : public CBaseObject {
public:
    // The world opens the table files; without one nothing is found.
    CStringsManager(WorldData* pWorldData, CManagedWorld* pWorld);
    ~CStringsManager() override;

    // Makes the empty table: 0, or kStatusOutOfMemory (latched in the world).
    virtual Status Init();
    // Deletes the table and frees the remapping table. 0.
    virtual Status Unload();
    // Finds the available languages: those whose common file is there and whose own file is
    // there too unless `force` (outside mode 2 the languages with flags are left out). Then
    // picks the current language: kept when available, else the system language when
    // available, else the first available one; none available: the system language. 0.
    virtual Status LoadTable(uint32_t mode, const char16_t* folder, uint8_t force);
    // The language (kLanguageCurrent: the current one) is read into the table (OnRawLanguage)
    // and becomes the current one. kStatusFailed, the language and the table as they were, when
    // it cannot be read or for a language number above kLanguageCurrent.
    virtual Status Load(uint32_t mode, const char16_t* folder, uint32_t language, uint8_t commonsOnly);
    // Mode 2 reads the remapping table file; any other mode installs the identity table.
    // kStatusFailed (the table as it was) when the file is missing or bad.
    virtual Status OnRawSymbols(uint32_t mode, const char16_t* folder);
    // The opening and closing punctuation lists, remapped in mode 2. 0.
    virtual Status LoadPunctuation(uint32_t mode);
    // The language's strings, then the common strings, joined into `pTable` (commons only:
    // the common strings alone). A missing or bad file gives kStatusFailed and leaves the
    // table as it was.
    virtual Status OnRawLanguage(uint32_t mode, const char16_t* folder, uint32_t language, uint8_t commonsOnly,
                                 CStringsRaw* pTable);

    // Reads a remapping table from a stream (the file form above): 0, or kStatusFailed and
    // the table as it was.
    Status ReadSymbols(UtilsStream* pStream);
    // In place, up to the terminator: each character c below the table's length becomes
    // table[c]; the others stay.
    void RemapChars(char16_t* text) const;
    // In place: each character found in the table becomes the index of its first occurrence;
    // the others stay.
    void UnmapChars(char16_t* text) const;

    // The language number of the system's language (English for any language without tables).
    static uint32_t GetSystemLanguage();
    // The language number of a Windows language identifier; 0 (English) when not listed.
    static uint32_t LanguageFromLangId(uint16_t langId);

    CStringsRaw* GetTable() const { return m_pTable; }
    uint32_t GetLanguage() const { return m_nLanguage; }
    // A number below kLanguageCount; others are ignored.
    void SetLanguage(uint32_t language)
    {
        if (language < kLanguageCount)
            m_nLanguage = language;
    }
    // The current language's code ("en", "fr" ...): the variant word of localised file names.
    const char16_t* GetLanguageCode() const { return kStringsLanguages[m_nLanguage].code; }
    bool IsAvailable(uint32_t language) const { return language < kLanguageCount && m_available[language]; }
    // Marks a language (below kLanguageCount) available or not, the count following: a
    // language whose tables fail to read is taken out of the choice.
    void SetAvailable(uint32_t language, bool available);
    uint32_t GetAvailableCount() const { return m_nAvailableCount; }
    // The common strings at the end of the table: string k of them has index
    // table count - common count + k.
    uint32_t GetCommonCount() const { return m_nCommonCount; }
    const uint16_t* GetRemapTable() const { return m_pRemap; }
    uint32_t GetRemapLength() const { return m_nRemapLength; }
    const char16_t* GetOpeningPunctuation() const { return m_opening; }
    const char16_t* GetClosingPunctuation() const { return m_closing; }

private:
    // The file name of a language's table ("_strings.en.utf8.ucs2.raw") with the folder, and
    // for a loose file the data path, in front.
    void BuildPath(char16_t* out, uint32_t mode, const char16_t* folder, uint32_t language, bool commons) const;
    // One table file into `pTable`; kStatusFailed when it is missing (logged with `logName`)
    // or bad.
    Status ReadTable(const char16_t* path, const char16_t* logName, CStringsRaw* pTable) const;
    // Takes over `remap` (length entries) and rebuilds the reverse lookup of UnmapChars.
    void InstallRemap(uint16_t* remap, uint32_t length);

    CManagedWorld* m_pWorld;
    CStringsRaw* m_pTable = nullptr;
    uint32_t m_nLanguage;
    uint8_t m_available[kLanguageCount] = {};
    uint32_t m_nAvailableCount = 0;
    uint32_t m_nCommonCount = 0;
    uint16_t* m_pRemap = nullptr;
    uint32_t m_nRemapLength = 0;
    // For UnmapChars: the first index of each character in the table, 0xFFFFFFFF when absent.
    uint32_t* m_pUnmap = nullptr;
    char16_t m_opening[2] = {};
    char16_t m_closing[13] = {};
};
