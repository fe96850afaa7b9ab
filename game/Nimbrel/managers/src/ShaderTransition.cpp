#include "NimbrelManagers/CShaderTransition.h"

#include "NimbrelManagers/CShaderManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DShader.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"SHADER";
constexpr uint32_t kShaderFlags = 1;
constexpr uint32_t kShaderSecond = 0;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr float kDefaultBorderWidth = 0.4f;
constexpr float kDefaultNoiseAmplitude = 1.0f;
constexpr uint32_t kConstantBuffer = 0;

// The shader files of each renderer family the game has shaders for, by the selected
// renderer's descriptor mask: the default shader's key and file, then the dissolve's.
struct ShaderFiles {
    uint32_t masks[3];
    const char16_t* keys[2];
    const char16_t* paths[2];
};
const ShaderFiles kShaderFiles[] = {
    {{0x1000020, 0x1000080, 0x1000100},  // GL, GLES, GLES2
     {u"SHADER_DEFAULT_GL_PATH", u"SHADER_TRANSITION_GL_PATH"},
     {u"textures/default.gl.frag", u"textures/transition.gl.frag"}},
    {{0x1000002, 0, 0},  // DX9
     {u"SHADER_DEFAULT_DX_PATH", u"SHADER_TRANSITION_DX_PATH"},
     {u"textures/default.dx.frag", u"textures/transition.dx.frag"}},
    {{0x1000008, 0, 0},  // DX11
     {u"SHADER_DEFAULT_DX11_PATH", u"SHADER_TRANSITION_DX11_PATH"},
     {u"textures/default.dx11.frag", u"textures/transition.dx11.frag"}},
};

// The key and default file of an effect's shader for the selected renderer; false for a
// renderer the game has no shader for.
bool ShaderFileOf(const WorldData* w, uint32_t kind, const char16_t** pKey, const char16_t** pDefault)
{
    const ModuleDescriptor* renderer = w ? w->selected[kModule3D].pDescriptor : nullptr;
    const uint32_t effect = kind == kShaderEffectNoise ? 1 : 0;
    for (const ShaderFiles& files : kShaderFiles)
        for (uint32_t mask : files.masks)
            if (renderer && mask && (renderer->mask & mask) == mask) {
                *pKey = files.keys[effect];
                *pDefault = files.paths[effect];
                return true;
            }
    return false;
}

CShaderManager* ShaderManagerOf(WorldData* w)
{
    CNimbrelWorld* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetShaderManager() : nullptr;
}

}  // namespace

// ---- the default shader ----------------------------------------------------------------------

CShaderTransition::~CShaderTransition()
{
    CShaderTransition::Unload();
}

Status CShaderTransition::LoadShader()
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine)
        return kStatusFailed;
    Unload();
    if (engine->IsShaderSupported() != kStatusOk)
        return kStatusOk;
    const char16_t* key = nullptr;
    const char16_t* defaultPath = nullptr;
    if (!ShaderFileOf(w, m_nKind, &key, &defaultPath)) {
        Log(w->logPath, 0, u"# CShaderTransition::Load - no compatible shader implemented!\n");
        return kStatusFailed;
    }
    m_pShader = engine->CreateShader(kShaderFlags, kShaderSecond);
    if (!m_pShader)
        return kStatusFailed;
    // The shaders always come from the pack.
    if (Failed(AutoLoadShaderFromParam(kResourceSourcePack, m_pShader, kSection, key, defaultPath, w->pAppSettings,
                                       w))) {
        Unload();
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CShaderTransition::Load()
{
    return LoadShader();
}

Status CShaderTransition::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (m_pShader && engine)
        engine->ReleaseShader(m_pShader);
    m_pShader = nullptr;
    return kStatusOk;
}

void CShaderTransition::Begin()
{
    if (!m_pShader)
        return;
    if (CShaderManager* shaders = ShaderManagerOf(m_pWorldData))
        shaders->SetCurrentShader(this);
    m_pShader->Begin(nullptr, nullptr, nullptr);
}

// ---- the dissolve --------------------------------------------------------------------------

CShaderTransitionNoise::~CShaderTransitionNoise()
{
    CShaderTransitionNoise::Unload();
}

C3DTexture* CShaderTransitionNoise::LoadPicture(const char16_t* key, const char16_t* defaultName)
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    C3DTexture* texture = engine ? engine->CreateTexture(kTextureKind, kTextureFlags) : nullptr;
    if (texture &&
        Failed(AutoLoadTextureFromParam(kResourceSourcePack, texture, kSection, key, defaultName, w->pAppSettings, w))) {
        engine->ReleaseTexture(texture, 1);
        texture = nullptr;
    }
    return texture;
}

Status CShaderTransitionNoise::Load()
{
    const Status status = LoadShader();
    if (Failed(status) || !m_pShader)
        return status;
    m_pNoise = LoadPicture(u"SHADER_NOISE_TEXTURE_PATH", u"transition_noise.png");
    m_pControl = m_pNoise ? LoadPicture(u"SHADER_CONTROL_TEXTURE_PATH", u"transition_con_b.png") : nullptr;
    if (!m_pControl) {
        Unload();
        return kStatusFailed;
    }
    UtilsParameters* settings = m_pWorldData->pAppSettings;
    m_fBorderWidth = settings ? settings->GetFloat(kSection, u"SHADER_TRANSITION_BORDER_WIDTH", kDefaultBorderWidth)
                              : kDefaultBorderWidth;
    m_fNoiseAmplitude = settings ? settings->GetFloat(kSection, u"SHADER_TRANSITION_NOISE_AMP", kDefaultNoiseAmplitude)
                                 : kDefaultNoiseAmplitude;
    // A shader without named uniforms takes them as one constant block.
    if (!m_pShader->HasNamedUniforms() &&
        Failed(m_pShader->Reserved3(kConstantBuffer, uint32_t(sizeof(ShaderDissolveConstants))))) {
        Unload();
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CShaderTransitionNoise::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine) {
        if (m_pNoise)
            engine->ReleaseTexture(m_pNoise, 1);
        if (m_pControl)
            engine->ReleaseTexture(m_pControl, 1);
    }
    m_pNoise = m_pControl = nullptr;
    return CShaderTransition::Unload();
}

ShaderDissolveConstants CShaderTransitionNoise::Constants(const float* minPos, const float* maxPos, float ratio,
                                                          float borderWidth, float noiseAmplitude)
{
    // An element of no width or height would scale by infinity: that axis keeps scale 1.
    auto scale = [](float from, float to) { return to - from != 0.0f ? 1.0f / (to - from) : 1.0f; };
    ShaderDissolveConstants c = {};
    c.minPosX = minPos[0];
    c.minPosY = 1.0f - maxPos[1];
    c.posScaleX = scale(minPos[0], maxPos[0]);
    c.posScaleY = scale(minPos[1], maxPos[1]);
    c.transitionRatio = 1.0f - ratio;
    c.borderFactor = borderWidth > 0.0f ? 1.0f / borderWidth : 1.0f;
    c.noiseAmplitude = noiseAmplitude;
    return c;
}

void CShaderTransitionNoise::Apply(const float* minPos, const float* maxPos, float ratio)
{
    if (!m_pShader || !minPos || !maxPos)
        return;
    if (CShaderManager* shaders = ShaderManagerOf(m_pWorldData))
        shaders->SetCurrentShader(this);
    // Unit 0 belongs to the element's own draw.
    m_pShader->Begin(nullptr, m_pNoise, m_pControl);
    m_constants = Constants(minPos, maxPos, ratio, m_fBorderWidth, m_fNoiseAmplitude);
    // A shader without named uniforms would take the block as its constant buffer; every
    // renderer of this program names them.
    if (!m_pShader->HasNamedUniforms())
        return;
    m_pShader->SetVector("u_min_pos", m_constants.minPosX, m_constants.minPosY);
    m_pShader->SetVector("u_pos_scale", m_constants.posScaleX, m_constants.posScaleY);
    m_pShader->SetFloat("u_trans_ratio", m_constants.transitionRatio);
    m_pShader->SetFloat("u_border_factor", m_constants.borderFactor);
    m_pShader->SetFloat("u_noise_amp", m_constants.noiseAmplitude);
}
