#include "NimbrelManagers/AutoLoadTextureFromParam.h"

#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

class CObjectAllGroupsTarget : public CAutoLoadTarget {
public:
    CObjectAllGroupsTarget(C3DObject* pObject, uint32_t a, uint32_t b, uint32_t stage)
        : m_pObject(pObject), m_a(a), m_b(b), m_stage(stage)
    {
    }
    Status FromAddress(const void* data, uint32_t size, const char16_t* name) override
    {
        return m_pObject->MakeTextureFromAddress(m_a, m_b, data, size, m_stage, name);
    }
    Status FromPacker(PackRecord* pEntry) override
    {
        return m_pObject->LoadTextureFromPacker(m_a, m_b, pEntry, m_stage);
    }
    Status FromFile(const char16_t* path) override
    {
        return m_pObject->LoadTextureFromFile(m_a, m_b, path, m_stage);
    }

private:
    C3DObject* m_pObject;
    uint32_t m_a, m_b, m_stage;
};

}  // namespace

Status AutoLoad3DObjectTextureFromParam(uint32_t source, C3DObject* pObject, uint32_t a, uint32_t b, uint32_t stage,
                                        const char16_t* section, const char16_t* key, const char16_t* defaultName,
                                        UtilsParameters* pSettings, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoad3DObjectTextureFromParam", u"MakeTextureFromAddress",
                                         u"LoadTextureFromPacker", u"LoadTextureFromFile"};
    if (!w || !pObject || !pSettings)
        return kStatusFailed;
    char16_t text[kWorldTextSize] = {};
    if (source == kResourceSourceFile)
        pSettings->GetPath(section, key, defaultName, text, kWorldTextSize, w->dataPath);
    else
        pSettings->GetString(section, key, defaultName, text, kWorldTextSize);
    CObjectAllGroupsTarget target(pObject, a, b, stage);
    return AutoLoadFromSource(source, kNames, text, text, text, target, w);
}
