#pragma once
// The Direct3D 9 shader: one HLSL text holding a vertex program "vs_main" (vs_2_0) and a pixel
// program "ps_main" (ps_2_0), compiled by D3DX with their constant tables. Between Begin and
// End both programs are current and the engine knows their tables, so that the objects feed
// "WorldViewProj", "u_direct_color", "u_is_direct_color" and "u_has_texture" at each draw; the
// vertices are read through a declaration matching the screen vertex (position, colour, uv).
// SetFloat and SetVector set constants of the pixel program by name.
//
// Any compile or creation failure gives 0x80000001 and leaves no program: Begin then binds
// nothing and the setters refuse. D3DX's error text goes to the log file.
#include <cstdint>

#include <d3d9.h>
#include <d3dx9shader.h>

#include "Vornel3D/C3DShader.h"

class C3DEngineDX90;

// The draw flags Begin selects its textures with: blending follows each texture's alpha bit,
// the texture factor is not used.
constexpr uint32_t kDX9ShaderTextureDrawFlags = 0x18C3F;

class C3DShader_DX90 : public C3DShader {
public:
    C3DShader_DX90(WorldData* pWorldData, C3DEngineDX90* pEngine);
    // Releases the programs, their tables and the declaration.
    ~C3DShader_DX90() override;

    // The name, both programs, their constant tables and the declaration; when they are the
    // engine's current tables the engine forgets them. 0, or 0x80000001 when the base fails.
    Status Release() override;
    // With a pixel program: the back buffer scaled into the texture at that level.
    void CopyScreen(C3DTexture* pTexture, int32_t level) override;
    // Both programs current, their tables the engine's; the textures given are selected on
    // stages 2, 1 and 0, and the textures then on stages 0-3 held by the engine until End.
    void Begin(C3DTexture* pTexture0, C3DTexture* pTexture1, C3DTexture* pTexture2) override;
    // No program current, the engine's tables cleared and its stage textures released.
    void End() override;
    // Compiles the size bytes at data (no terminator needed); the caller keeps its block.
    Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name) override;
    // The pack entry's bytes; a short read: 0x80000001.
    Status LoadFromPacker(PackRecord* pEntry) override;
    // D3DX reads the file itself; a file it cannot read fails like a bad text.
    Status LoadFromFile(const char16_t* path) override;
    bool HasNamedUniforms() override; // true
    // A pixel-program constant by name; no pixel program or a name it lacks: 0x80000001.
    Status SetFloat(const char* name, float value) override;
    // (x, y, 0, 0) into a pixel-program constant.
    Status SetVector(const char* name, float x, float y) override;

    IDirect3DPixelShader9* GetPixelShader() const { return m_pPixelShader; }
    IDirect3DVertexShader9* GetVertexShader() const { return m_pVertexShader; }
    ID3DXConstantTable* GetVertexConstants() const { return m_pVertexConstants; }
    ID3DXConstantTable* GetPixelConstants() const { return m_pPixelConstants; }
    IDirect3DVertexDeclaration9* GetDeclaration() const { return m_pDeclaration; }

protected:
    // A pixel program from elsewhere in place of the one the text gave: a D3DX whose HLSL
    // compiler samples no texture still assembles one. The text's constant table stays, so the
    // objects go on feeding it and keep the program current. Takes over the caller's reference.
    void ReplacePixelShader(IDirect3DPixelShader9* pShader);

private:
    // One program of the text (or of the file when path is given) into code and its table.
    Status CompileProgram(const char* text, uint32_t length, const char16_t* path, const char* entry,
                          const char* profile, ID3DXBuffer** ppCode, ID3DXConstantTable** ppTable);
    // Pixel program, declaration, vertex program; the first failure stops with 0x80000001.
    Status Build(const char* text, uint32_t length, const char16_t* path);
    void ReleasePrograms();

    IDirect3DPixelShader9* m_pPixelShader = nullptr;
    IDirect3DVertexShader9* m_pVertexShader = nullptr;
    ID3DXConstantTable* m_pVertexConstants = nullptr;
    ID3DXConstantTable* m_pPixelConstants = nullptr;
    IDirect3DVertexDeclaration9* m_pDeclaration = nullptr;
    C3DEngineDX90* m_pEngine; // not owned
};
