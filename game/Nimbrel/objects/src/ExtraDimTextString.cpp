// An element text from the string tables.
#include "NimbrelObjects/CExtraDimTextString.h"

#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/WorldData.h"

Status CExtraDimTextString::Clear()
{
    m_stringIndex = -1;
    m_commons = 0;
    return CExtraDimTextBase::Clear();
}

const char16_t* CExtraDimTextString::LookUp(int32_t stringIndex, uint8_t commons) const
{
    const char16_t* missing = commons ? kMissingCommonsStringText : kMissingStringText;
    const auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    const CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    const CStringsRaw* table = strings ? strings->GetTable() : nullptr;
    if (!table || stringIndex < 0)
        return missing;
    // The common strings close the table; a game index stops before them.
    const uint32_t count = table->GetCount();
    const uint32_t common = strings->GetCommonCount() < count ? strings->GetCommonCount() : count;
    const uint32_t index = uint32_t(stringIndex);
    if (commons)
        return index < common ? table->GetString(count - common + index) : missing;
    return index < count - common ? table->GetString(index) : missing;
}

Status CExtraDimTextString::SetText(int32_t stringIndex, uint8_t commons, const ExtraTextLayout& layout)
{
    const Status status = Layout(LookUp(stringIndex, commons), layout, nullptr);
    m_stringIndex = stringIndex;
    m_commons = commons;
    return status;
}

Status CExtraDimTextString::BuildLines(const ExtraTextEntry* pEntries, uint32_t count, const ExtraTextLayout& layout)
{
    Clear();
    if (!pEntries && count)
        return kStatusFailed;
    const float top = layout.box[1], height = layout.box[3] - layout.box[1];
    float above = 0.0f;
    for (uint32_t i = 0; i < count; ++i) {
        const ExtraTextEntry& entry = pEntries[i];
        ExtraTextLayout part = layout;
        part.style = entry.style;
        part.box[1] = top + height * above;
        above += entry.heightFraction;
        part.box[3] = top + height * above;
        const Status status = AppendLayout(LookUp(entry.stringIndex, entry.commons), part, nullptr);
        if (Failed(status))
            return status;
    }
    return kStatusOk;
}

bool CExtraDimTextString::SaveOwn(UtilsStream* pStream)
{
    return pStream->Write(&m_stringIndex, 4, 1) && pStream->Write(&m_commons, 1, 1);
}

bool CExtraDimTextString::LoadOwn(UtilsStream* pStream)
{
    int32_t index = -1;
    uint8_t commons = 0;
    if (!pStream->Read(&index, 4, 1) || !pStream->Read(&commons, 1, 1))
        return false;
    m_stringIndex = index;
    m_commons = commons;
    return true;
}
