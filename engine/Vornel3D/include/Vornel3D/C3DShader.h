#pragma once
// The renderer-independent shader: a fragment program that a renderer compiles from text. The
// base keeps the program's name and the two creation words; the renderers' classes fill the
// loaders (calling these bases for the name), Begin/End and the parameter setters. Shaders are
// created only by the 3D engine (C3DEngine::CreateShader) and live in its shader list.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DTexture;
struct PackRecord;

class C3DShader : public CBaseObject {
public:
    explicit C3DShader(WorldData* pWorldData);
    ~C3DShader() override; // frees the name

    virtual Status Init();    // 0
    virtual Status Release(); // frees the name; 0
    virtual void Reserved0(); // nothing
    // Renderers copy the screen into the texture (its CopyFromScreen with that level).
    virtual void CopyScreen(C3DTexture* pTexture, int32_t level);
    virtual void Begin(C3DTexture* pTexture0, C3DTexture* pTexture1, C3DTexture* pTexture2);
    virtual void End();
    // The name becomes the file-name part of `name` (a null name keeps the old one); 0.
    virtual Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name);
    // The name becomes the pack entry's name; 0.
    virtual Status LoadFromPacker(PackRecord* pEntry);
    // The name becomes the path relative to the data folder (C3DResourceName); 0.
    virtual Status LoadFromFile(const char16_t* path);
    virtual Status Reserved1(uint32_t value); // 0x80000001
    // Whether uniforms are set by name (else a constant buffer carries them): false.
    virtual bool HasNamedUniforms();
    virtual Status SetInt(const char* name, int32_t value);                 // 0x80000001 in the base
    virtual Status SetFloat(const char* name, float value);                 // 0x80000001
    virtual Status SetVector(const char* name, float x, float y);           // 0x80000001
    virtual Status SetVector3(const char* name, float x, float y, float z); // 0x80000001
    virtual Status SetVector4(const char* name, float x, float y, float z, float w); // 0x80000001
    virtual Status Reserved3(uint32_t a, uint32_t b);             // 0x80000001
    virtual Status Reserved4(uint32_t a, uint32_t b, uint32_t c); // 0x80000001

    // Null when the shader has no name.
    const char16_t* GetName() const { return m_pName; }

    // The two creation words, stored by the engine's AddShader.
    void SetCreationWords(uint32_t flags, uint32_t second) { m_nFlags = flags; m_nSecond = second; }
    uint32_t GetFlags() const { return m_nFlags; }
    uint32_t GetSecond() const { return m_nSecond; }

protected:
    // Replaces the name with a copy (null or a failed copy leaves none).
    void SetName(const char16_t* name);

    char16_t* m_pName = nullptr;
    uint32_t m_nFlags = 0;
    uint32_t m_nSecond = 0;
};
