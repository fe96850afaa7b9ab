// The OpenGL engine: device life, render states and the scene.
#include "Vornel3D_GL/C3DEngine_GL.h"

#include <cstring>
#include <new>

#include "GLDevice_GL.h"
#include "GLHeaders_GL.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_GL/C3DView_GL.h"
#include "VornelPlatform/PlatformGL.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Index: the engine's mode code. Mode 0 is GL_ONE, as on the other renderer, so that a
// (0, 1) pair restores plain drawing.
const GLenum kBlendFactors[C3DEngine_GL::kBlendModeCount] = {
    GL_ONE,       GL_ZERO,          GL_ZERO,           GL_ONE,           GL_SRC_COLOR,
    GL_SRC_ALPHA, GL_DST_COLOR,     GL_DST_ALPHA,      GL_ONE_MINUS_SRC_COLOR, GL_ONE_MINUS_DST_COLOR,
    GL_ONE_MINUS_SRC_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_SRC_ALPHA_SATURATE,
};

const GLenum kCompareFunctions[C3DEngine_GL::kCompareModeCount] = {
    GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS,
};

void ColorComponents(uint32_t argb, GLfloat out[4])
{
    out[0] = float((argb >> 16) & 0xFF) / 255.0f;
    out[1] = float((argb >> 8) & 0xFF) / 255.0f;
    out[2] = float(argb & 0xFF) / 255.0f;
    out[3] = float(argb >> 24) / 255.0f;
}

}  // namespace

uint32_t C3DEngine_GL::BlendFactor(uint32_t mode)
{
    return kBlendFactors[mode < kBlendModeCount ? mode : 0];
}

uint32_t C3DEngine_GL::CompareFunction(uint32_t mode)
{
    return kCompareFunctions[mode < kCompareModeCount ? mode : 0];
}

C3DEngine_GL::C3DEngine_GL(WorldData* pWorldData)
    : C3DEngine(pWorldData), m_nBlendSource(GL_SRC_ALPHA), m_nBlendDestination(GL_ONE_MINUS_SRC_ALPHA)
{
    if (m_pWorldData)
        m_pWorldData->pRendererBlock = &m_context;
}

C3DEngine_GL::~C3DEngine_GL()
{
    delete m_pView;
    m_pView = nullptr;
    // An engine deleted without Unload still gives its context back.
    if (m_context.pContext) {
        Platform_GL_DeleteContext(m_context.pContext);
        m_context.pContext = nullptr;
    }
    if (m_pWorldData && m_pWorldData->pRendererBlock == &m_context)
        m_pWorldData->pRendererBlock = nullptr;
}

// ---- device -------------------------------------------------------------------------------

Status C3DEngine_GL::FailNoCompatibleDevice()
{
    WorldData& w = *m_pWorldData;
    const ModuleDescriptor* descriptor = w.selected[kModule3D].pDescriptor;
    UtilsString_Format(w.lastErrorText, kWorldTextSize, u"No compatible %s was found",
                       descriptor && descriptor->name ? descriptor->name : u"OpenGL");
    Log(w.logPath, 0, u"# C3DEngineDX81::Load failed! %s\n", w.lastErrorText);
    w.lastErrorCode = kStatusSystemCallFailed;
    return kStatusSystemCallFailed;
}

void C3DEngine_GL::ApplyFixedState()
{
    // Raw image rows carry no padding, and pixels read back must not get any.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glHint(GL_FOG_HINT, GL_NICEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
    if (m_context.features.pointSprite)
        glTexEnvf(GL_POINT_SPRITE, GL_COORD_REPLACE, 1.0f);
    glBlendFunc(GLenum(m_nBlendSource), GLenum(m_nBlendDestination));
}

Status C3DEngine_GL::Load(void* pWindow)
{
    if (!m_pWorldData)
        return kStatusFailed;
    WorldData& w = *m_pWorldData;
    if (Failed(Init(pWindow, w.virtualWidth, w.virtualHeight, w.fullScreen, w.colorDepth, 0)))
        return kStatusFailed;

    m_context.pContext = Platform_GL_CreateContext(m_context.pWindow);
    if (!m_context.pContext || !Platform_GL_MakeCurrent(m_context.pWindow, m_context.pContext))
        return FailNoCompatibleDevice();
    glewExperimental = GL_TRUE;
    const GLenum glew = glewInit();
    // On an EGL context GLEW finds no GLX display but has loaded the entry points.
    if ((glew != GLEW_OK && glew != GLEW_ERROR_NO_GLX_DISPLAY) || !glGetString(GL_VERSION))
        return FailNoCompatibleDevice();
    // The settings' vertical sync is honoured where the driver lets us choose; a refusal
    // only means frames are presented as the driver decides.
    Platform_GL_SetSwapInterval(w.verticalSync ? 1 : 0);

    auto* view = new (std::nothrow) C3DView_GL(m_pWorldData);
    if (!view) {
        w.lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    m_pView = view;
    if (Failed(view->Init()))
        return kStatusFailed;

    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    m_context.features = ParseGLFeatures(version, extensions);
    Log(w.logPath, 0, u"# OpenGL implementation (%S) (shader=%d, point_sprite=%d)\n", version,
        int(m_context.features.shader), int(m_context.features.pointSprite));

    ApplyFixedState();

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    w.maxTextureWidth = w.maxTextureHeight = uint32_t(maxSize);
    w.maxTextureWidthCopy = w.maxTextureHeightCopy = uint32_t(maxSize);

    // The viewport of Init could not reach the pipeline before the context existed.
    view->SetViewport(0, 0, int32_t(float(w.virtualWidth) * w.scaleX), int32_t(float(w.virtualHeight) * w.scaleY));

    return Failed(C3DEngine::Load(pWindow)) ? kStatusFailed : kStatusOk;
}

Status C3DEngine_GL::Unload()
{
    const Status base = C3DEngine::Unload();
    if (m_pView) {
        m_pView->Release();
        delete m_pView;
        m_pView = nullptr;
    }
    const Status invalidated = Invalidate(0);
    bool deleted = true;
    if (m_context.pContext) {
        deleted = Platform_GL_DeleteContext(m_context.pContext);
        m_context.pContext = nullptr;
    }
    return Failed(base) || Failed(invalidated) || !deleted ? kStatusFailed : kStatusOk;
}

Status C3DEngine_GL::Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                          uint32_t extra)
{
    if (!m_pWorldData)
        return kStatusFailed;
    m_context.pWindow = static_cast<PlatformWindow*>(pWindow);
    if (!pWindow) {
        m_pWorldData->lastErrorCode = kStatusModuleMissing;
        return kStatusModuleMissing;
    }
    // The display mode and the pixel format, where the system leaves them to the renderer; a
    // refused mode leaves the window windowed.
    const Status prepared = GLDevice_PrepareWindow(m_context.pWindow, width, height, colorDepth, fullscreen);
    if (Failed(prepared)) {
        if (prepared == kStatusSystemCallFailed)  // the window gave no device context
            m_pWorldData->lastErrorCode = prepared;
        return kStatusFailed;
    }
    // A context kept across Invalidate is made current again here.
    if (m_context.pContext && !Platform_GL_MakeCurrent(m_context.pWindow, m_context.pContext)) {
        m_pWorldData->lastErrorCode = kStatusSystemCallFailed;
        return kStatusSystemCallFailed;
    }
    return Failed(C3DEngine::Init(pWindow, width, height, fullscreen, colorDepth, extra)) ? kStatusFailed : kStatusOk;
}

Status C3DEngine_GL::Invalidate(uint32_t value)
{
    if (Failed(C3DEngine::Invalidate(value)))
        return kStatusFailed;
    if (m_pWorldData)
        GLDevice_ReleaseWindow(m_context.pWindow, m_pWorldData->fullScreen);
    if (m_context.pContext && !Platform_GL_MakeCurrent(m_context.pWindow, nullptr))
        return kStatusFailed;
    return kStatusOk;
}

Status C3DEngine_GL::SetDisplayMode(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                                    uint8_t colorDepth, uint32_t extra)
{
    return C3DEngine::SetDisplayMode(pWindow, width, height, fullscreen, colorDepth, extra);
}

// ---- render states --------------------------------------------------------------------------

Status C3DEngine_GL::SetLight(uint32_t index)
{
    if (!m_pWorldData || index > 1)
        return kStatusFailed;
    LightRecord& light = index == 0 ? m_pWorldData->light1 : m_pWorldData->light2;
    const GLenum id = GL_LIGHT0 + index;
    if (!light.enabled.current) {
        glDisable(id);
        return kStatusOk;
    }
    glEnable(id);
    const GLfloat ambient[4] = {light.ambient, light.ambient, light.ambient, 1.0f};
    const GLfloat diffuse[4] = {light.diffuse, light.diffuse, light.diffuse, 1.0f};
    const GLfloat specular[4] = {light.specular, light.specular, light.specular, 1.0f};
    const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(id, GL_AMBIENT, ambient);
    glLightfv(id, GL_DIFFUSE, diffuse);
    glLightfv(id, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 25.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);

    float direction[3] = {0.0f, 0.0f, 0.0f};
    GLfloat position[4] = {light.x, light.y, light.z, 1.0f};
    if (light.type == 0) {
        C3DVector3 v{light.x, light.y, light.z}, n = v;
        if (m_pWorldData->pMath)
            m_pWorldData->pMath->Vec3Normalize(&n, &v);
        direction[0] = position[0] = n.x;
        direction[1] = position[1] = n.y;
        direction[2] = position[2] = n.z;
        position[3] = 0.0f;
    }
    light.directionX = direction[0];
    light.directionY = direction[1];
    light.directionZ = direction[2];
    glLightfv(id, GL_POSITION, position);
    return kStatusOk;
}

Status C3DEngine_GL::SetPointSpriteParameters()
{
    if (!m_pWorldData || !m_context.features.pointSprite)
        return kStatusOk;
    const WorldData& w = *m_pWorldData;
    const GLfloat attenuation[3] = {w.pointSpriteAttenuation0, w.pointSpriteAttenuation1, w.pointSpriteAttenuation2};
    glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
    glPointParameterf(GL_POINT_SIZE_MAX, w.pointSpriteMax);
    glPointParameterf(GL_POINT_SIZE_MIN, w.pointSpriteMin);
    return kStatusOk;
}

Status C3DEngine_GL::SetFog()
{
    if (!m_pWorldData)
        return kStatusFailed;
    const FogRecord& fog = m_pWorldData->fog;
    GLfloat color[4];
    ColorComponents(fog.color, color);
    glFogfv(GL_FOG_COLOR, color);
    glFogf(GL_FOG_START, fog.start);
    glFogf(GL_FOG_END, fog.end);
    glFogf(GL_FOG_DENSITY, fog.density);
    return kStatusOk;
}

Status C3DEngine_GL::SetSrcBlend(uint32_t mode)
{
    m_nBlendSource = BlendFactor(mode);
    glBlendFunc(GLenum(m_nBlendSource), GLenum(m_nBlendDestination));
    return kStatusOk;
}

Status C3DEngine_GL::SetDestBlend(uint32_t mode)
{
    m_nBlendDestination = BlendFactor(mode);
    glBlendFunc(GLenum(m_nBlendSource), GLenum(m_nBlendDestination));
    return kStatusOk;
}

Status C3DEngine_GL::SetDepthFunc(uint32_t mode)
{
    glDepthFunc(GLenum(CompareFunction(mode)));
    return kStatusOk;
}

Status C3DEngine_GL::SetAlphaFunc(uint32_t mode, uint8_t reference)
{
    glAlphaFunc(GLenum(CompareFunction(mode)), float(reference) / 255.0f);
    return kStatusOk;
}

Status C3DEngine_GL::SetColorMask(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
    glColorMask(red ? GL_TRUE : GL_FALSE, green ? GL_TRUE : GL_FALSE, blue ? GL_TRUE : GL_FALSE,
                alpha ? GL_TRUE : GL_FALSE);
    return kStatusOk;
}

// ---- the scene ------------------------------------------------------------------------------

Status C3DEngine_GL::BeginScene()
{
    if (!m_pWorldData)
        return kStatusFailed;
    m_bInScene = true;
    Clear();
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m_pWorldData->matrixCamera);
    if (m_pView)
        m_pView->ApplyPerspective();
    SetFog();
    SetLights(-1);
    return kStatusOk;
}

Status C3DEngine_GL::EndScene()
{
    // GL leaves the back buffer undefined once it is swapped: the frame is kept first.
    if (m_pPresentedFrameCopy)
        m_pPresentedFrameCopy->CopyFromScreen(1, 1, 0, 0);
    Platform_GL_SwapWindow(m_context.pWindow);
    m_bInScene = false;
    ++m_nPresentedFrames;
    return kStatusOk;
}

Status C3DEngine_GL::Clear()
{
    if (!m_pWorldData)
        return kStatusFailed;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    // glClear honours the write masks: a mask left off by a draw pass would keep the frame.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilMask(~0u);
    GLfloat color[4];
    ColorComponents(m_pWorldData->colorClear, color);
    glClearColor(color[0], color[1], color[2], color[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return kStatusOk;
}

Status C3DEngine_GL::ClearBuffers(uint8_t color, uint8_t depth, uint8_t stencil)
{
    GLbitfield bits = 0;
    if (color) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if (depth) {
        glDepthMask(GL_TRUE);
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (stencil) {
        glStencilMask(~0u);
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    if (bits)
        glClear(bits);
    return kStatusOk;
}
