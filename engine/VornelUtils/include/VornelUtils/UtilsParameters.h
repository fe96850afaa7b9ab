#pragma once
// Settings readers: typed questions (section, key, default) against a settings text.
//
// The text is 8-bit; lines end at a zero byte, LF or CR. "[NAME]" opens a section (blanks
// inside the brackets are ignored); "KEY = value" is an entry (blanks before '=' are ignored,
// also inside the key; a ';' or '/' before '=' makes the line a comment). A key is looked up
// only inside its section, and the first match wins. The whole text stays in memory and is
// scanned on every question (from the last section found when the section cache is on).
#include <cstdint>

#include "VornelUtils/Status.h"

// Longest line examined, in characters; the rest of a longer line is skipped.
constexpr uint32_t kSettingsLineLimit = 4094;
// The line buffer: the line, its end character and a terminating zero.
constexpr uint32_t kSettingsLineBufferSize = kSettingsLineLimit + 2;

class UtilsParameters {
public:
    UtilsParameters() = default;
    virtual ~UtilsParameters() = default;

    UtilsParameters(const UtilsParameters&) = delete;
    UtilsParameters& operator=(const UtilsParameters&) = delete;

    // 1 turns the section cache on.
    virtual void SetMode(uint32_t mode) { m_mode = mode; }

    virtual uint8_t GetBool(const char16_t* section, const char16_t* key, uint8_t defaultValue) = 0;
    virtual uint8_t GetByte(const char16_t* section, const char16_t* key, uint8_t defaultValue) = 0;
    virtual uint16_t GetWord(const char16_t* section, const char16_t* key, uint16_t defaultValue) = 0;
    virtual int32_t GetInt(const char16_t* section, const char16_t* key, int32_t defaultValue) = 0;
    virtual uint32_t GetHex(const char16_t* section, const char16_t* key, uint32_t defaultValue) = 0;
    virtual float GetFloat(const char16_t* section, const char16_t* key, float defaultValue) = 0;
    virtual double GetDouble(const char16_t* section, const char16_t* key, double defaultValue) = 0;
    // The value (also when empty) into out, cut to capacity characters (terminator included):
    // 0. Missing: the default (or an empty text for a null default) and kStatusFailed.
    virtual Status GetString(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                             char16_t* out, uint32_t capacity) = 0;
    // A non-empty value, after prefix when one is given: 0. Otherwise a non-empty default,
    // after prefix, and kStatusFailed; with a null or empty default out is left as it was.
    virtual Status GetPath(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                           char16_t* out, uint32_t capacity, const char16_t* prefix) = 0;

    uint32_t GetMode() const { return m_mode; }

protected:
    uint32_t m_mode = 0;
};

// A reader over a text it does not own (the derived readers own theirs).
class UtilsParameters_Text : public UtilsParameters {
public:
    UtilsParameters_Text(const char* text, uint32_t size);
    ~UtilsParameters_Text() override;

    uint8_t GetBool(const char16_t* section, const char16_t* key, uint8_t defaultValue) override;
    uint8_t GetByte(const char16_t* section, const char16_t* key, uint8_t defaultValue) override;
    uint16_t GetWord(const char16_t* section, const char16_t* key, uint16_t defaultValue) override;
    int32_t GetInt(const char16_t* section, const char16_t* key, int32_t defaultValue) override;
    uint32_t GetHex(const char16_t* section, const char16_t* key, uint32_t defaultValue) override;
    float GetFloat(const char16_t* section, const char16_t* key, float defaultValue) override;
    double GetDouble(const char16_t* section, const char16_t* key, double defaultValue) override;
    Status GetString(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                     char16_t* out, uint32_t capacity) override;
    Status GetPath(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                   char16_t* out, uint32_t capacity, const char16_t* prefix) override;

    // Finds the entry: the line lands in lineBuffer (kSettingsLineBufferSize characters) and
    // *pEquals points at its '='. Goes through the section cache in mode 1.
    virtual bool FindValue(const char* text, uint32_t size, const char16_t* section, const char16_t* key,
                           const char** pLine, const char16_t** pEquals, char16_t* lineBuffer);
    // One scan from start (null: the text start, outside any section; else the start of the
    // section's body). Returns the start of the section's body when the key is found, else null.
    virtual const char* ScanText(const char* text, uint32_t size, const char16_t* section, const char16_t* key,
                                 const char** pLine, const char16_t** pEquals, char16_t* lineBuffer,
                                 const char* start);

    const char* GetText() const { return m_pText; }
    uint32_t GetTextSize() const { return m_textSize; }

protected:
    // The value after '=' (leading blanks skipped, up to the line end) into out, whose
    // capacity is kSettingsLineBufferSize; false when the key is missing.
    bool FindValueText(const char16_t* section, const char16_t* key, char16_t* out);
    // FindValueText that also fails on an empty value.
    bool FindNonEmptyValue(const char16_t* section, const char16_t* key, char16_t* out);
    // The value as _wtoi reads it, when it holds only digits, '+' and '-'.
    bool FindIntegerValue(const char16_t* section, const char16_t* key, int32_t* pValue);
    // A non-empty value read as atof does.
    bool FindNumberValue(const char16_t* section, const char16_t* key, double* pValue);

    const char* m_pCachedSection = nullptr;
    char16_t* m_pLastSection = nullptr;
    const char* m_pText = nullptr;
    uint32_t m_textSize = 0;
};
