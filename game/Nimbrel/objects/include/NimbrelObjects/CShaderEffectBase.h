#pragma once
// The base of the game's shader effects: the default shader that may wrap every frame and the
// dissolve with which scene elements fade along a noise. It keeps the world, the effect's kind
// and its shader; ending an effect unbinds the shader and hands the frame back to the default
// shader through the world's shader manager.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DShader;
class UtilsStream;

// The kinds the shader manager gives its effects.
constexpr uint32_t kShaderEffectDefault = 1;
constexpr uint32_t kShaderEffectNoise = 2;

class CShaderEffectBase : public CBaseObject {
public:
    CShaderEffectBase(WorldData* pWorldData, uint32_t kind) : CBaseObject(pWorldData), m_nKind(kind) {}
    ~CShaderEffectBase() override = default;

    virtual Status Load() = 0;
    virtual Status Unload() { return kStatusOk; }
    virtual Status Reserved0(uint32_t) { return kStatusOk; }
    virtual Status Reserved1(UtilsStream*) { return kStatusOk; }
    virtual void Begin() {}
    // With a shader: unbinds it, then the shader manager restores the default shader. Without
    // one nothing happens. The shader stays this effect's.
    virtual void End();

    uint32_t GetKind() const { return m_nKind; }
    C3DShader* GetShader() const { return m_pShader; }

protected:
    uint32_t m_nKind;
    C3DShader* m_pShader = nullptr;
};
