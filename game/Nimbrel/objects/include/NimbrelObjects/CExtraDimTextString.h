#pragma once
// An element text from the string tables: a game string by its index, or a common string
// counted from the first common one; an index outside the table shows a placeholder.
#include "NimbrelObjects/CExtraDimTextBase.h"

constexpr const char16_t* kMissingStringText = u"MISSING STRING !!!";
constexpr const char16_t* kMissingCommonsStringText = u"MISSING COMMONS STRING !!!";

// One entry of BuildLines: a string, the share of the box height it takes, and its style.
struct ExtraTextEntry {
    int32_t stringIndex;
    uint8_t commons;
    float heightFraction;
    ExtraTextStyle style;
};

class CExtraDimTextString : public CExtraDimTextBase {
public:
    using CExtraDimTextBase::CExtraDimTextBase;

    Status Clear() override;
    // The entries stacked down the box, each in its share of the height.
    virtual Status BuildLines(const ExtraTextEntry* pEntries, uint32_t count, const ExtraTextLayout& layout);
    // The string laid out once into the layout's box.
    virtual Status SetText(int32_t stringIndex, uint8_t commons, const ExtraTextLayout& layout);

    int32_t GetStringIndex() const { return m_stringIndex; }
    uint8_t GetCommons() const { return m_commons; }
    // The string of the tables (a placeholder for an index outside them); never null.
    const char16_t* LookUp(int32_t stringIndex, uint8_t commons) const;

protected:
    // The string index and the commons flag after the lines.
    bool SaveOwn(UtilsStream* pStream) override;
    bool LoadOwn(UtilsStream* pStream) override;

private:
    int32_t m_stringIndex = -1;
    uint8_t m_commons = 0;
};
