#include "Vornel3D/C3DShader.h"

#include "Vornel3D/C3DResourceName.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

C3DShader::C3DShader(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DShader::~C3DShader()
{
    UTILS_FREE(m_pName);
}

void C3DShader::SetName(const char16_t* name)
{
    // Copy before freeing: the new name may point into the old one.
    char16_t* copy = name ? UtilsString_DupW(name) : nullptr;
    UTILS_FREE(m_pName);
    m_pName = copy;
}

Status C3DShader::Init()
{
    return kStatusOk;
}

Status C3DShader::Release()
{
    UTILS_FREE(m_pName);
    m_pName = nullptr;
    return kStatusOk;
}

void C3DShader::Reserved0() {}
void C3DShader::CopyScreen(C3DTexture*, int32_t) {}
void C3DShader::Begin(C3DTexture*, C3DTexture*, C3DTexture*) {}
void C3DShader::End() {}

Status C3DShader::MakeFromAddress(const void*, uint32_t, const char16_t* name)
{
    if (name)
        SetName(UtilsString_GetFileName(name));
    return kStatusOk;
}

Status C3DShader::LoadFromPacker(PackRecord* pEntry)
{
    SetName(pEntry ? pEntry->lastEntryName : nullptr);
    return kStatusOk;
}

Status C3DShader::LoadFromFile(const char16_t* path)
{
    SetName(C3DResourceName(m_pWorldData, path));
    return kStatusOk;
}

Status C3DShader::Reserved1(uint32_t)
{
    return kStatusFailed;
}

bool C3DShader::HasNamedUniforms()
{
    return false;
}

Status C3DShader::SetInt(const char*, int32_t)
{
    return kStatusFailed;
}

Status C3DShader::SetFloat(const char*, float)
{
    return kStatusFailed;
}

Status C3DShader::SetVector(const char*, float, float)
{
    return kStatusFailed;
}

Status C3DShader::SetVector3(const char*, float, float, float)
{
    return kStatusFailed;
}

Status C3DShader::SetVector4(const char*, float, float, float, float)
{
    return kStatusFailed;
}

Status C3DShader::Reserved3(uint32_t, uint32_t)
{
    return kStatusFailed;
}

Status C3DShader::Reserved4(uint32_t, uint32_t, uint32_t)
{
    return kStatusFailed;
}
