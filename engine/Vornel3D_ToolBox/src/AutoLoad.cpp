// The AutoLoad family: one road by source, with the log line and the user text of a failure.
#include "Vornel3D_ToolBox/AutoLoad.h"

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DShader.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DVideo.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsFile.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

Status AutoLoadFromSource(uint32_t source, const AutoLoadNames& names, const char16_t* name, const char16_t* path,
                          const char16_t* missing, CAutoLoadTarget& target, WorldData* w)
{
    if (!w)
        return kStatusFailed;
    const char16_t* operation = nullptr;
    const char16_t* logged = name;
    bool loaded = false;
    switch (source) {
    case kResourceSourceProgram:
        operation = names.fromAddress;
        loaded = w->pfnStaticLocator && Succeeded(w->pfnStaticLocator(w, name)) &&
                 Succeeded(target.FromAddress(w->staticResource.pAddress, w->staticResource.size, name));
        break;
    case kResourceSourcePack:
        operation = names.fromPacker;
        loaded = w->pfnPackLocator && w->pack.pFile && Succeeded(w->pfnPackLocator(name, &w->pack)) &&
                 Succeeded(target.FromPacker(&w->pack));
        break;
    case kResourceSourceFile:
        operation = names.fromFile;
        logged = path;
        loaded = Succeeded(target.FromFile(path));
        break;
    default:
        return kStatusOk;
    }
    if (loaded)
        return kStatusOk;
    Log(w->logPath, 1, u"# %s::%s failed! (\"%s\")\n", names.function, operation, logged);
    UtilsString_Format(w->lastErrorText, kWorldTextSize, u"Missing file: %s", missing);
    return kStatusFailed;
}

namespace {

class CTextureTarget : public CAutoLoadTarget {
public:
    explicit CTextureTarget(C3DTexture* pTexture) : m_pTexture(pTexture) {}
    Status FromAddress(const void* data, uint32_t size, const char16_t* name) override
    {
        return m_pTexture->MakeFromAddress(data, size, name);
    }
    Status FromPacker(PackRecord* pEntry) override { return m_pTexture->LoadFromPacker(pEntry); }
    Status FromFile(const char16_t* path) override { return m_pTexture->LoadFromFile(path); }

private:
    C3DTexture* m_pTexture;
};

class CShaderTarget : public CAutoLoadTarget {
public:
    explicit CShaderTarget(C3DShader* pShader) : m_pShader(pShader) {}
    Status FromAddress(const void* data, uint32_t size, const char16_t* name) override
    {
        return m_pShader->MakeFromAddress(data, size, name);
    }
    Status FromPacker(PackRecord* pEntry) override { return m_pShader->LoadFromPacker(pEntry); }
    Status FromFile(const char16_t* path) override { return m_pShader->LoadFromFile(path); }

private:
    C3DShader* m_pShader;
};

class CVideoTarget : public CAutoLoadTarget {
public:
    CVideoTarget(C3DVideo* pVideo, float volume, uint32_t a, uint32_t b)
        : m_pVideo(pVideo), m_volume(volume), m_a(a), m_b(b)
    {
    }
    Status FromAddress(const void* data, uint32_t size, const char16_t* name) override
    {
        return m_pVideo->MakeFromAddress(data, size, name, m_volume, m_a, m_b);
    }
    Status FromPacker(PackRecord* pEntry) override { return m_pVideo->LoadFromPacker(pEntry, m_volume, m_a, m_b); }
    Status FromFile(const char16_t* path) override { return m_pVideo->LoadFromFile(path, m_volume, m_a, m_b); }

private:
    C3DVideo* m_pVideo;
    float m_volume;
    uint32_t m_a, m_b;
};

// The text of a settings key as the family reads it: a path under the data path for a loose
// file, else the name itself.
void ReadParam(uint32_t source, const char16_t* section, const char16_t* key, const char16_t* defaultName,
               UtilsParameters* pSettings, WorldData* w, char16_t* text)
{
    if (source == kResourceSourceFile)
        pSettings->GetPath(section, key, defaultName, text, kWorldTextSize, w->dataPath);
    else
        pSettings->GetString(section, key, defaultName, text, kWorldTextSize);
}

class CObjectTextureTarget : public CAutoLoadTarget {
public:
    CObjectTextureTarget(C3DObject* pObject, uint32_t a, uint32_t b, int32_t group, uint32_t stage)
        : m_pObject(pObject), m_a(a), m_b(b), m_group(group), m_stage(stage)
    {
    }
    Status FromAddress(const void* data, uint32_t size, const char16_t* name) override
    {
        return m_pObject->MakeTextureFromAddressEx(m_a, m_b, data, size, m_group, m_stage, name);
    }
    Status FromPacker(PackRecord* pEntry) override
    {
        return m_pObject->LoadTextureFromPackerEx(m_a, m_b, pEntry, m_group, m_stage);
    }
    Status FromFile(const char16_t* path) override
    {
        return m_pObject->LoadTextureFromFileEx(m_a, m_b, path, m_group, m_stage);
    }

private:
    C3DObject* m_pObject;
    uint32_t m_a, m_b;
    int32_t m_group;
    uint32_t m_stage;
};

}  // namespace

Status AutoLoadTexture(uint32_t source, C3DTexture* pTexture, const char16_t* name, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoadTexture", u"MakeTextureFromAddress", u"LoadTextureFromPacker",
                                         u"LoadTextureFromFile"};
    if (!w || !pTexture || !name)
        return kStatusFailed;
    char16_t path[kWorldTextSize] = {};
    if (source == kResourceSourceFile)
        UtilsString_Format(path, kWorldTextSize, u"%s%s", w->dataPath, name);
    CTextureTarget target(pTexture);
    return AutoLoadFromSource(source, kNames, name, path, name, target, w);
}

Status AutoLoad3DObjectTexture(uint32_t source, C3DObject* pObject, uint32_t a, uint32_t b, int32_t group,
                               uint32_t stage, const char16_t* name, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoad3DObjectTexture", u"MakeTextureFromAddress",
                                         u"LoadTextureFromPacker", u"LoadTextureFromFile"};
    if (!w || !pObject || !name)
        return kStatusFailed;
    char16_t path[kWorldTextSize] = {};
    if (source == kResourceSourceFile)
        UtilsString_Format(path, kWorldTextSize, u"%s%s", w->dataPath, name);
    CObjectTextureTarget target(pObject, a, b, group, stage);
    return AutoLoadFromSource(source, kNames, name, path, source == kResourceSourceFile ? path : name, target, w);
}

Status AutoLoad3DObjectOneTextureFromParam(uint32_t source, C3DObject* pObject, uint32_t a, uint32_t b,
                                           int32_t group, uint32_t stage, const char16_t* section,
                                           const char16_t* key, const char16_t* defaultName,
                                           UtilsParameters* pSettings, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoad3DObjectOneTextureFromParam", u"MakeOneTextureFromAddress",
                                         u"LoadOneTextureFromPacker", u"LoadOneTextureFromFile"};
    if (!w || !pObject || !pSettings)
        return kStatusFailed;
    char16_t text[kWorldTextSize] = {};
    ReadParam(source, section, key, defaultName, pSettings, w, text);
    CObjectTextureTarget target(pObject, a, b, group, stage);
    return AutoLoadFromSource(source, kNames, text, text, text, target, w);
}

Status AutoLoadShaderFromParam(uint32_t source, C3DShader* pShader, const char16_t* section, const char16_t* key,
                               const char16_t* defaultName, UtilsParameters* pSettings, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoadShaderFromParam", u"MakeShaderFromAddress",
                                         u"LoadShaderFromPacker", u"LoadShaderFromFile"};
    if (!w || !pShader || !pSettings)
        return kStatusFailed;
    char16_t text[kWorldTextSize] = {};
    ReadParam(source, section, key, defaultName, pSettings, w, text);
    CShaderTarget target(pShader);
    return AutoLoadFromSource(source, kNames, text, text, text, target, w);
}

Status AutoLoadTextureFromParam(uint32_t source, C3DTexture* pTexture, const char16_t* section,
                                const char16_t* key, const char16_t* defaultName, UtilsParameters* pSettings,
                                WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoadTextureFromParam", u"MakeTextureFromAddress",
                                         u"LoadTextureFromPacker", u"LoadTextureFromFile"};
    if (!w || !pTexture || !pSettings)
        return kStatusFailed;
    char16_t text[kWorldTextSize] = {};
    ReadParam(source, section, key, defaultName, pSettings, w, text);
    CTextureTarget target(pTexture);
    return AutoLoadFromSource(source, kNames, text, text, text, target, w);
}

Status AutoLoadVideoObject(uint32_t source, C3DVideo* pVideo, const char16_t* name, float volume, uint32_t a,
                           uint32_t b, WorldData* w)
{
    static const AutoLoadNames kNames = {u"AutoLoadVideoObject", u"MakeVideoFromAddress", u"LoadVideoFromPacker",
                                         u"LoadVideoFromFile"};
    if (!w || !pVideo || !name)
        return kStatusFailed;
    char16_t path[kWorldTextSize] = {};
    if (source == kResourceSourceFile)
        UtilsString_Format(path, kWorldTextSize, u"%s%s", w->dataPath, name);
    CVideoTarget target(pVideo, volume, a, b);
    return AutoLoadFromSource(source, kNames, name, path, name, target, w);
}

bool AutoLoadResourceExists(uint32_t source, const char16_t* name, WorldData* w)
{
    if (!w || !name)
        return false;
    switch (source) {
    case kResourceSourceProgram:
        return w->pfnStaticLocator && Succeeded(w->pfnStaticLocator(w, name));
    case kResourceSourcePack:
        return w->pfnPackLocator && w->pack.pFile && Succeeded(w->pfnPackLocator(name, &w->pack));
    case kResourceSourceFile: {
        char16_t path[kWorldTextSize] = {};
        UtilsString_Format(path, kWorldTextSize, u"%s%s", w->dataPath, name);
        return UtilsFile_Exists(path);
    }
    default:
        return true;
    }
}

C3DTexture* AutoLoadTextureFromParamEx(uint32_t source, uint32_t kind, uint32_t flags, const char16_t* section,
                                       const char16_t* key, const char16_t* defaultName, UtilsParameters* pSettings,
                                       WorldData* w)
{
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine || !pSettings)
        return nullptr;
    char16_t name[kWorldTextSize] = {};
    C3DTexture* texture = nullptr;
    const char16_t* operation = nullptr;
    switch (source) {
    case kResourceSourceProgram:
        pSettings->GetString(section, key, defaultName, name, kWorldTextSize);
        operation = u"eMakeTextureFromAddress";
        if (w->pfnStaticLocator && Succeeded(w->pfnStaticLocator(w, name)))
            texture = engine->MakeTextureFromAddress(kind, flags, w->staticResource.pAddress, w->staticResource.size,
                                                     name);
        break;
    case kResourceSourcePack: {
        pSettings->GetString(section, key, defaultName, name, kWorldTextSize);
        operation = u"eLoadTextureFromPacker";
        auto* managed = dynamic_cast<CManagedWorld*>(w->pWorld);
        PackRecord* external = managed ? managed->GetExternalPack() : nullptr;
        PackRecord* entry = nullptr;
        if (w->pfnPackLocator && external && external->pFile && Succeeded(w->pfnPackLocator(name, external)))
            entry = external;
        else if (w->pfnPackLocator && w->pack.pFile && Succeeded(w->pfnPackLocator(name, &w->pack)))
            entry = &w->pack;
        if (entry)
            texture = engine->LoadTextureFromPacker(kind, flags, entry);
        break;
    }
    case kResourceSourceFile:
        pSettings->GetPath(section, key, defaultName, name, kWorldTextSize, w->dataPath);
        operation = u"eLoadTextureFromFile";
        texture = engine->LoadTextureFromFile(kind, flags, name);
        break;
    default:
        return nullptr;
    }
    if (texture)
        return texture;
    Log(w->logPath, 1, u"# AutoLoadTextureFromParamEx::%s failed! (\"%s\")\n", operation, name);
    UtilsString_Format(w->lastErrorText, kWorldTextSize, u"Missing file: %s", name);
    return nullptr;
}
