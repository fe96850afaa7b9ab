#include "Vornel3D_DX9/C3DShader_DX90.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

namespace {

// The vertices every shader reads: the screen object's vertex (position, ARGB colour, uv).
const D3DVERTEXELEMENT9 kDeclaration[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

template <typename T> void ReleaseCom(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

}  // namespace

C3DShader_DX90::C3DShader_DX90(WorldData* pWorldData, C3DEngineDX90* pEngine)
    : C3DShader(pWorldData), m_pEngine(pEngine)
{
}

C3DShader_DX90::~C3DShader_DX90()
{
    ReleasePrograms();
}

void C3DShader_DX90::ReleasePrograms()
{
    // A shader released between Begin and End leaves the engine no table of a program gone.
    if (m_pEngine) {
        if (m_pVertexConstants && m_pEngine->GetVertexConstantTable() == m_pVertexConstants)
            m_pEngine->SetVertexConstantTable(nullptr);
        if (m_pPixelConstants && m_pEngine->GetPixelConstantTable() == m_pPixelConstants)
            m_pEngine->SetPixelConstantTable(nullptr);
    }
    ReleaseCom(m_pPixelShader);
    ReleaseCom(m_pVertexShader);
    ReleaseCom(m_pVertexConstants);
    ReleaseCom(m_pPixelConstants);
    ReleaseCom(m_pDeclaration);
}

Status C3DShader_DX90::Release()
{
    if (Failed(C3DShader::Release()))
        return kStatusFailed;
    ReleasePrograms();
    return kStatusOk;
}

bool C3DShader_DX90::HasNamedUniforms()
{
    return true;
}

// ---- compiling ------------------------------------------------------------------------------

Status C3DShader_DX90::CompileProgram(const char* text, uint32_t length, const char16_t* path, const char* entry,
                                      const char* profile, ID3DXBuffer** ppCode, ID3DXConstantTable** ppTable)
{
    ID3DXBuffer* errors = nullptr;
    const HRESULT result =
        path ? D3DXCompileShaderFromFileW(reinterpret_cast<LPCWSTR>(path), nullptr, nullptr, entry, profile, 0, ppCode,
                                          &errors, ppTable)
             : D3DXCompileShader(text, length, nullptr, nullptr, entry, profile, 0, ppCode, &errors, ppTable);
    if (FAILED(result) || !*ppCode) {
        // The compiler's text need not end in a terminator.
        std::string message;
        if (errors)
            message.assign(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
        message.resize(std::strlen(message.c_str()));
        Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 1,
            u"# C3DShader_DX90::Compile - %S failed! (\"%s\", 0x%08X)\n%S\n", entry, m_pName ? m_pName : u"",
            uint32_t(result), message.c_str());
        ReleaseCom(errors);
        ReleaseCom(*ppCode);
        ReleaseCom(*ppTable);
        return kStatusFailed;
    }
    ReleaseCom(errors);
    return kStatusOk;
}

Status C3DShader_DX90::Build(const char* text, uint32_t length, const char16_t* path)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    ID3DXBuffer* code = nullptr;
    Status status = CompileProgram(text, length, path, "ps_main", "ps_2_0", &code, &m_pPixelConstants);
    if (Succeeded(status)) {
        if (FAILED(device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &m_pPixelShader)))
            status = kStatusFailed;
        ReleaseCom(code);
    }
    if (Succeeded(status) && FAILED(device->CreateVertexDeclaration(kDeclaration, &m_pDeclaration)))
        status = kStatusFailed;
    if (Succeeded(status))
        status = CompileProgram(text, length, path, "vs_main", "vs_2_0", &code, &m_pVertexConstants);
    if (Succeeded(status)) {
        if (FAILED(device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &m_pVertexShader)))
            status = kStatusFailed;
        ReleaseCom(code);
    }
    // Half a shader would draw with the fixed pipeline's vertices through a program that
    // expects its own: nothing is kept.
    if (Failed(status))
        ReleasePrograms();
    return status;
}

Status C3DShader_DX90::MakeFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    Release();
    C3DShader::MakeFromAddress(data, size, name);
    if (!data)
        return kStatusFailed;
    return Build(static_cast<const char*>(data), size, nullptr);
}

Status C3DShader_DX90::LoadFromPacker(PackRecord* pEntry)
{
    Release();
    C3DShader::LoadFromPacker(pEntry);
    if (!pEntry || !pEntry->pFile)
        return kStatusFailed;
    const uint32_t length = pEntry->lastEntrySize;
    char* text = static_cast<char*>(UTILS_MALLOC(size_t(length) + 1));
    if (!text) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    Status status = kStatusFailed;
    if (std::fread(text, 1, length, pEntry->pFile) == length) {
        text[length] = '\0';
        status = Build(text, length, nullptr);
    }
    UTILS_FREE(text);
    return status;
}

Status C3DShader_DX90::LoadFromFile(const char16_t* path)
{
    Release();
    C3DShader::LoadFromFile(path);
    if (!path || !*path)
        return kStatusFailed;
    return Build(nullptr, 0, path);
}

void C3DShader_DX90::ReplacePixelShader(IDirect3DPixelShader9* pShader)
{
    ReleaseCom(m_pPixelShader);
    m_pPixelShader = pShader;
}

// ---- drawing --------------------------------------------------------------------------------

void C3DShader_DX90::CopyScreen(C3DTexture* pTexture, int32_t level)
{
    if (m_pPixelShader && pTexture)
        pTexture->CopyFromScreen(0, 1, 0, level);
}

void C3DShader_DX90::Begin(C3DTexture* pTexture0, C3DTexture* pTexture1, C3DTexture* pTexture2)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device || !m_pEngine)
        return;
    if (m_pVertexShader) {
        m_pEngine->SetVertexConstantTable(m_pVertexConstants);
        device->SetVertexDeclaration(m_pDeclaration);
        device->SetVertexShader(m_pVertexShader);
    }
    if (!m_pPixelShader)
        return;
    m_pEngine->SetPixelConstantTable(m_pPixelConstants);
    if (pTexture2)
        pTexture2->Select(kDX9ShaderTextureDrawFlags, 2);
    if (pTexture1)
        pTexture1->Select(kDX9ShaderTextureDrawFlags, 1);
    if (pTexture0)
        pTexture0->Select(kDX9ShaderTextureDrawFlags, 0);
    // Each object's state block empties the stages; the engine sets these again after it, and
    // keeps the reference GetTexture gives until End.
    for (uint32_t stage = 0; stage < 4; ++stage) {
        IDirect3DBaseTexture9* texture = nullptr;
        if (FAILED(device->GetTexture(stage, &texture)))
            texture = nullptr;
        m_pEngine->SetShaderTexture(stage, texture);
    }
    device->SetPixelShader(m_pPixelShader);
}

void C3DShader_DX90::End()
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (device)
        device->SetVertexShader(nullptr);
    if (m_pEngine)
        m_pEngine->SetVertexConstantTable(nullptr);
    if (device)
        device->SetPixelShader(nullptr);
    if (m_pEngine) {
        m_pEngine->SetPixelConstantTable(nullptr);
        m_pEngine->ReleaseShaderTextures();
    }
}

// ---- constants ------------------------------------------------------------------------------

Status C3DShader_DX90::SetFloat(const char* name, float value)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!m_pPixelShader || !m_pPixelConstants || !device || !name)
        return kStatusFailed;
    return FAILED(m_pPixelConstants->SetFloat(device, name, value)) ? kStatusFailed : kStatusOk;
}

Status C3DShader_DX90::SetVector(const char* name, float x, float y)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!m_pPixelShader || !m_pPixelConstants || !device || !name)
        return kStatusFailed;
    const D3DXVECTOR4 vector(x, y, 0.0f, 0.0f);
    return FAILED(m_pPixelConstants->SetVector(device, name, &vector)) ? kStatusFailed : kStatusOk;
}
