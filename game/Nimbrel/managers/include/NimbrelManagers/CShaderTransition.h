#pragma once
// The shader manager's two effects. CShaderTransition is the default full-screen shader;
// CShaderTransitionNoise dissolves one scene element: each pixel of the element goes when the
// fade's progress passes its value in a control picture moved by a noise picture, over a soft
// border. Both load their shader from the pack by the selected renderer's kind, and without
// shader support they load nothing and every operation does nothing.
#include <cstdint>

#include "NimbrelObjects/CShaderEffectBase.h"

class C3DTexture;

class CShaderTransition : public CShaderEffectBase {
public:
    explicit CShaderTransition(WorldData* pWorldData, uint32_t kind = kShaderEffectDefault)
        : CShaderEffectBase(pWorldData, kind)
    {
    }
    ~CShaderTransition() override;

    // 0 with no shader when the renderer has none; kStatusFailed when the shader cannot be
    // made or loaded, or the renderer has no shader language of the game's.
    Status Load() override;
    // Releases the shader. 0.
    Status Unload() override;
    // With a shader: it becomes the manager's current effect and is bound without textures.
    void Begin() override;

protected:
    // The effect's shader made and loaded (m_pShader), or none without shader support.
    Status LoadShader();
};

// The uniforms of the dissolve, as the shader reads them by name and as the 48-byte constant
// block of a shader without named uniforms lays them out.
struct ShaderDissolveConstants {
    float minPosX, minPosY, unused0, unused1;
    float posScaleX, posScaleY, unused2, unused3;
    float transitionRatio, borderFactor, noiseAmplitude, unused4;
};
static_assert(sizeof(ShaderDissolveConstants) == 48, "the constant block is 48 bytes");

class CShaderTransitionNoise : public CShaderTransition {
public:
    explicit CShaderTransitionNoise(WorldData* pWorldData) : CShaderTransition(pWorldData, kShaderEffectNoise) {}
    ~CShaderTransitionNoise() override;

    // The shader, then the noise and control pictures and the border and noise settings of
    // "SHADER". kStatusFailed when any of them is missing.
    Status Load() override;
    // The shader and both pictures released. 0.
    Status Unload() override;
    void Begin() override {}

    // Dissolves what is drawn next by ratio (0 whole, 1 gone), over the element's rectangle
    // in its texture space (minPos, maxPos: x, y). The element's own texture stays on unit
    // 0; the noise goes on unit 1 and the control picture on unit 2. Nothing without a shader.
    void Apply(const float* minPos, const float* maxPos, float ratio);

    // The uniforms of the last Apply.
    const ShaderDissolveConstants& GetConstants() const { return m_constants; }
    float GetBorderWidth() const { return m_fBorderWidth; }
    float GetNoiseAmplitude() const { return m_fNoiseAmplitude; }
    C3DTexture* GetNoiseTexture() const { return m_pNoise; }
    C3DTexture* GetControlTexture() const { return m_pControl; }

    // What Apply hands the shader for a rectangle and a ratio. A rectangle of no width or no
    // height scales that axis by 1.
    static ShaderDissolveConstants Constants(const float* minPos, const float* maxPos, float ratio,
                                             float borderWidth, float noiseAmplitude);

private:
    C3DTexture* LoadPicture(const char16_t* key, const char16_t* defaultName);

    C3DTexture* m_pNoise = nullptr;
    C3DTexture* m_pControl = nullptr;
    float m_fBorderWidth = 0.0f;
    float m_fNoiseAmplitude = 0.0f;
    ShaderDissolveConstants m_constants = {};
};
