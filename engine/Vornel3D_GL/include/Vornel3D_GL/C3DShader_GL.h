#pragma once
// The OpenGL shader: one GLSL fragment shader (ARB shader objects) linked into a program of its
// own; vertices go through the fixed-function pipeline. Between Begin and End the program is
// current, with up to three textures on units 0 to 2 behind the samplers "Texture0",
// "Texture1" and "Texture2"; uniforms are set by name.
//
// A text that does not compile or link gives 0x80000007 and leaves no program (Begin, End and
// CopyScreen then do nothing); the driver's log goes to the log file and standard error.
#include <cstdint>
#include <cstdio>

#include "Vornel3D/C3DShader.h"

// The draw flags Begin selects its textures with (alpha blending by the texture's alpha bit).
constexpr uint32_t kShaderTextureDrawFlags = 0x18C3F;

class C3DShader_GL : public C3DShader {
public:
    explicit C3DShader_GL(WorldData* pWorldData);
    // Deletes the program and the shader object.
    ~C3DShader_GL() override;

    Status Init() override;    // 0
    Status Release() override; // the name, the program and the shader object
    // The window's picture into the texture (sized up to powers of two) at that level.
    void CopyScreen(C3DTexture* pTexture, int32_t level) override;
    // The program made current; each texture given is selected on its unit (2, 1, then 0).
    void Begin(C3DTexture* pTexture0, C3DTexture* pTexture1, C3DTexture* pTexture2) override;
    // No program current; unit 2 is left empty when Begin used it.
    void End() override;
    // Compiles the size bytes at data (no terminator needed). The caller keeps its block.
    Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name) override;
    // The pack entry's bytes. A short read: 0x80000001.
    Status LoadFromPacker(PackRecord* pEntry) override;
    // The file's bytes. A file that does not open: 0x8001000B, also the world's last error.
    Status LoadFromFile(const char16_t* path) override;
    bool HasNamedUniforms() override; // true
    // A name the program does not use: 0x80000001.
    Status SetInt(const char* name, int32_t value) override;
    Status SetFloat(const char* name, float value) override;
    Status SetVector(const char* name, float x, float y) override;
    Status SetVector3(const char* name, float x, float y, float z) override;
    Status SetVector4(const char* name, float x, float y, float z, float w) override;

    uint32_t GetProgram_GL() const { return m_nProgram; }

private:
    // The fragment shader object, made before the source is read; 0x80000007 without one.
    Status CreateShaderObject();
    // Compiles the text into the shader object and links the program.
    Status Build(const char* text, uint32_t length);
    // Reads length bytes from where the file stands and builds them; a short read: 0x80000001.
    Status BuildFromFile(std::FILE* file, uint32_t length);
    void DeleteObjects();
    // The failure latched as the world's last error and returned.
    Status Fail(Status status);
    // Sets a uniform of this program through set(location); 0x80000001 for an unused name.
    template <typename Set> Status SetUniform(const char* name, Set set);

    uint32_t m_nShader = 0;
    uint32_t m_nProgram = 0;
    bool m_bUnit2 = false; // Begin bound a texture to unit 2
};
