// The engine's device life, feature switches, render-state tables and factories.
#include "GLTestSupport.h"
#include "VornelPlatform/PlatformGL.h"

#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DObjects_GL.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "Vornel3D_GL/GLContext_GL.h"
#include "VornelUtils/RegisterModules.h"

namespace {

class GLEngineStateTest : public GLEngineTest {
protected:
    void SetUp() override { Open(64, 48); }
};

GLint Integer(GLenum what)
{
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

}  // namespace

TEST(GLFeatures, VersionAndExtensionsGiveTheSwitches)
{
    struct Case {
        const char* version;
        uint8_t pointSprite, shader;
    };
    const Case cases[] = {
        {"1.3.0 Vendor", 0, 0},
        {"1.4.0", 1, 0},
        {"2.0.0", 1, 1},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", 1, 1},
        {"no version here", 0, 0},
        {"1.5", 0, 0},  // the minor number must be followed by something
        {nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        const C3DGLFeatures f = ParseGLFeatures(c.version, "GL_ARB_multitexture GL_EXT_blend_color");
        EXPECT_EQ(f.pointSprite, c.pointSprite) << (c.version ? c.version : "null");
        EXPECT_EQ(f.shader, c.shader) << (c.version ? c.version : "null");
        EXPECT_EQ(f.multiTexture, 1);
    }
    EXPECT_EQ(ParseGLFeatures("2.1.0", "GL_EXT_texture_env_combine").multiTexture, 0);
    EXPECT_EQ(ParseGLFeatures("2.1.0", nullptr).multiTexture, 0);
}

TEST(GLModule, RegisteredAsGLAndSelectedById)
{
    auto world = std::make_unique<WorldData>();
    ASSERT_EQ(RegisterModule3D_GL(world.get()), 0);
    ASSERT_EQ(ValidPlatform(kModule3DId_GL, 0, 0, 0, world.get()), 0);
    const ModuleEntry& entry = world->selected[kModule3D];
    ASSERT_NE(entry.pDescriptor, nullptr);
    EXPECT_EQ(entry.pDescriptor->id, 5u);
    EXPECT_EQ(std::u16string(entry.pDescriptor->code), u"GL");
    EXPECT_EQ(std::u16string(entry.pDescriptor->name), u"OpenGL");
    // Creating the module needs no display: the device comes with Load.
    CBaseObject* module = entry.pfnCreate(world.get());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(world->p3DEngine, static_cast<C3DEngine*>(static_cast<C3DEngine_GL*>(module)));
    EXPECT_NE(GLContextFromWorld(world.get()), nullptr);
    entry.pfnDestroy(module);
    EXPECT_EQ(world->p3DEngine, nullptr);
    EXPECT_EQ(GLContextFromWorld(world.get()), nullptr);
}

TEST(GLEngineLoad, WithoutWindowOrGLWindowFails)
{
    auto world = std::make_unique<WorldData>();
    C3DMath math(world.get());
    PrepareWorld(*world, &math, 64, 48);
    C3DEngine_GL engine(world.get());
    EXPECT_EQ(engine.Load(nullptr), int32_t(0x80000001u));
    EXPECT_EQ(world->lastErrorCode, int32_t(0x80000006u));

    if (!HaveGLDisplay())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    PlatformWindowDesc desc;
    desc.width = 64;
    desc.height = 48;
    desc.openGL = false;
    PlatformWindow* window = Platform_CreateWindow(desc);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(engine.Load(window), int32_t(0x80000007u));
    EXPECT_EQ(world->lastErrorCode, int32_t(0x80000007u));
    EXPECT_EQ(std::u16string(world->lastErrorText), u"No compatible OpenGL was found");
    engine.Unload();
    Platform_DestroyWindow(window);
}

TEST_F(GLEngineStateTest, LoadPublishesContextFeaturesAndTextureLimit)
{
    const C3DGLContext* context = GLContextFromWorld(m_world.get());
    ASSERT_EQ(context, &m_engine->GetContext());
    EXPECT_EQ(context->pWindow, m_window);
    EXPECT_NE(context->pContext, nullptr);
    EXPECT_EQ(context->features.shader, 1);
    EXPECT_EQ(context->features.pointSprite, 1);
    EXPECT_EQ(context->features.multiTexture, 1);
    EXPECT_EQ(m_engine->IsShaderSupported(), 0);
    EXPECT_EQ(m_engine->IsStencilSupported(), 0);
    const uint32_t maxSize = uint32_t(Integer(GL_MAX_TEXTURE_SIZE));
    EXPECT_GE(maxSize, 1024u);
    EXPECT_EQ(m_world->maxTextureWidth, maxSize);
    EXPECT_EQ(m_world->maxTextureHeight, maxSize);
    EXPECT_EQ(m_world->maxTextureWidthCopy, maxSize);
    EXPECT_EQ(m_world->maxTextureHeightCopy, maxSize);
    EXPECT_EQ(Integer(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(Integer(GL_SHADE_MODEL), GL_SMOOTH);
}

TEST_F(GLEngineStateTest, LoadFollowsTheVerticalSyncSwitch)
{
    EXPECT_EQ(Platform_GL_GetSwapInterval(), 0);
    const bool canSync = Platform_GL_SetSwapInterval(1) && Platform_GL_GetSwapInterval() == 1;
    Platform_GL_SetSwapInterval(0);

    m_engine->Unload();
    m_world->verticalSync = 1;
    ASSERT_EQ(m_engine->Load(m_window), 0);
    if (!canSync)
        GTEST_SKIP() << "the driver does not let the swap interval be chosen";
    EXPECT_EQ(Platform_GL_GetSwapInterval(), 1);
}

TEST_F(GLEngineStateTest, BlendModesKeepTheOtherFactor)
{
    const GLenum factors[13] = {GL_ONE,       GL_ZERO,      GL_ZERO,      GL_ONE,
                                GL_SRC_COLOR, GL_SRC_ALPHA, GL_DST_COLOR, GL_DST_ALPHA,
                                GL_ONE_MINUS_SRC_COLOR, GL_ONE_MINUS_DST_COLOR, GL_ONE_MINUS_SRC_ALPHA,
                                GL_ONE_MINUS_DST_ALPHA, GL_SRC_ALPHA_SATURATE};
    m_engine->SetDestBlend(7);
    for (uint32_t mode = 0; mode < 13; ++mode) {
        m_engine->SetSrcBlend(mode);
        EXPECT_EQ(Integer(GL_BLEND_SRC), GLint(factors[mode])) << mode;
        EXPECT_EQ(Integer(GL_BLEND_DST), GL_DST_ALPHA) << mode;
    }
    m_engine->SetSrcBlend(5);
    for (uint32_t mode = 0; mode < 12; ++mode) {  // saturate is a source factor only
        m_engine->SetDestBlend(mode);
        EXPECT_EQ(Integer(GL_BLEND_DST), GLint(factors[mode])) << mode;
        EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA) << mode;
    }
    // The passes that end an element draw: (0, 1) is plain drawing.
    m_engine->SetSrcBlend(0);
    m_engine->SetDestBlend(1);
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ZERO);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLEngineStateTest, CompareModesAndColourMask)
{
    const GLenum compares[8] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    for (uint32_t mode = 0; mode < 8; ++mode) {
        m_engine->SetDepthFunc(mode);
        m_engine->SetAlphaFunc(mode, 51);
        EXPECT_EQ(Integer(GL_DEPTH_FUNC), GLint(compares[mode]));
        EXPECT_EQ(Integer(GL_ALPHA_TEST_FUNC), GLint(compares[mode]));
        GLfloat reference = 0;
        glGetFloatv(GL_ALPHA_TEST_REF, &reference);
        EXPECT_NEAR(reference, 0.2f, 1e-6f);
    }
    m_engine->SetColorMask(1, 0, 1, 0);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0]);
    EXPECT_FALSE(mask[1]);
    EXPECT_TRUE(mask[2]);
    EXPECT_FALSE(mask[3]);
    m_engine->SetColorMask(1, 1, 1, 1);
}

TEST_F(GLEngineStateTest, LightsFogAndPointSprites)
{
    m_world->light1 = {};
    m_world->light1.enabled = {1, 1};
    m_world->light1.type = 0;
    m_world->light1.x = 3.0f;
    m_world->light1.y = 0.0f;
    m_world->light1.z = 4.0f;
    m_world->light1.diffuse = 0.5f;
    m_world->light2 = {};
    m_world->light2.enabled = {1, 1};
    m_world->light2.type = 1;
    m_world->light2.x = 10.0f;
    m_world->light2.directionX = 7.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(m_engine->SetLights(-1), 0);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_NEAR(position[0], 0.6f, 1e-6f);
    EXPECT_NEAR(position[2], 0.8f, 1e-6f);
    EXPECT_EQ(position[3], 0.0f);  // directional
    EXPECT_NEAR(m_world->light1.directionX, 0.6f, 1e-6f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_EQ(position[0], 10.0f);
    EXPECT_EQ(position[3], 1.0f);
    EXPECT_EQ(m_world->light2.directionX, 0.0f);
    GLfloat diffuse[4];
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_EQ(diffuse[0], 0.5f);
    EXPECT_EQ(diffuse[3], 1.0f);
    m_world->light2.enabled.current = 0;
    m_engine->SetLight(1);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));

    m_world->fog.color = 0xFF336699u;
    m_world->fog.start = 100.0f;
    m_world->fog.end = 900.0f;
    m_engine->SetFog();
    GLfloat value = 0, color[4];
    glGetFloatv(GL_FOG_START, &value);
    EXPECT_EQ(value, 100.0f);
    glGetFloatv(GL_FOG_END, &value);
    EXPECT_EQ(value, 900.0f);
    glGetFloatv(GL_FOG_COLOR, color);
    EXPECT_NEAR(color[0], 0x33 / 255.0f, 1e-6f);
    EXPECT_NEAR(color[2], 0x99 / 255.0f, 1e-6f);

    m_world->pointSpriteMin = 2.0f;
    m_world->pointSpriteMax = 64.0f;
    m_world->pointSpriteAttenuation0 = 1.0f;
    m_world->pointSpriteAttenuation2 = 0.5f;
    m_engine->SetPointSpriteParameters();
    glGetFloatv(GL_POINT_SIZE_MAX, &value);
    EXPECT_EQ(value, 64.0f);
    GLfloat attenuation[3];
    glGetFloatv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
    EXPECT_EQ(attenuation[2], 0.5f);
}

TEST_F(GLEngineStateTest, CreateObjectByKindBit)
{
    struct Case {
        uint32_t flags;
        C3DVertexLayout layout;
    };
    const Case cases[] = {
        {0x02, C3DVertexLayout::Normal},       {0x06, C3DVertexLayout::Normal},
        {0x04, C3DVertexLayout::MultiTexture}, {0x0C, C3DVertexLayout::MultiTexture},
        {0x08, C3DVertexLayout::PointSprite},  {0x18, C3DVertexLayout::PointSprite},
        {0x10, C3DVertexLayout::Screen},
    };
    for (const Case& c : cases) {
        auto* object = dynamic_cast<C3DObjectBase_GL*>(m_engine->CreateObject(c.flags, 0));
        ASSERT_NE(object, nullptr) << c.flags;
        EXPECT_EQ(object->GetVertexStore().GetLayout(), c.layout) << c.flags;
        EXPECT_EQ(m_engine->ReleaseObject(object), 0);
    }
    m_world->lastErrorCode = 0;
    EXPECT_EQ(m_engine->CreateObject(0x01, 0), nullptr);
    EXPECT_EQ(m_world->lastErrorCode, int32_t(0x8001000Au));
    m_world->lastErrorCode = 0;
    EXPECT_EQ(m_engine->CreateObject(0, 0x800), nullptr);
    EXPECT_EQ(m_world->lastErrorCode, int32_t(0x8001000Au));
    EXPECT_EQ(m_engine->ReleaseObject(nullptr), int32_t(0x80000001u));
}

TEST_F(GLEngineStateTest, CreateObjectIndexByWidth)
{
    C3DObjectIndex* narrow = m_engine->CreateObjectIndex(6, 1);
    C3DObjectIndex* wide = m_engine->CreateObjectIndex(6, 2);
    ASSERT_NE(dynamic_cast<C3DObjectIndex16_GL*>(narrow), nullptr);
    ASSERT_NE(dynamic_cast<C3DObjectIndex32_GL*>(wide), nullptr);
    m_world->lastErrorCode = 0;
    EXPECT_EQ(m_engine->CreateObjectIndex(6, 3), nullptr);
    EXPECT_EQ(m_world->lastErrorCode, 0);
    EXPECT_EQ(m_engine->ReleaseObjectIndex(narrow), 0);
    EXPECT_EQ(m_engine->ReleaseObjectIndex(wide), 0);
    EXPECT_EQ(m_engine->ReleaseObjectIndex(nullptr), int32_t(0x80000001u));
}

TEST_F(GLEngineStateTest, TexturesShadersAndShadowsAreListedAndReleased)
{
    C3DTexture* texture = m_engine->CreateTexture(0, 0);
    ASSERT_NE(dynamic_cast<C3DTexture_GL*>(texture), nullptr);
    EXPECT_EQ(m_engine->GetTextureHolders(texture), 1u);
    EXPECT_EQ(m_engine->ReleaseTexture(texture, 1), 0);
    C3DShader* shader = m_engine->CreateShader(0, 0);
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(m_engine->ReleaseShader(shader), 0);
    C3DStencilShadow* shadow = m_engine->CreateStencilShadow(2, 0x80000000u);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(m_engine->ReleaseStencilShadow(shadow), 0);
}

TEST_F(GLEngineStateTest, UnloadDeletesTheContextAndTheView)
{
    C3DObject* object = m_engine->CreateObject(0x10, 0);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->Create(1, 4, 4), 0);
    EXPECT_EQ(m_engine->Unload(), 0);  // the object left behind is reported and released
    EXPECT_EQ(m_engine->GetView(), nullptr);
    EXPECT_EQ(m_engine->GetContext().pContext, nullptr);
    EXPECT_TRUE(m_engine->GetObjectList().IsEmpty());
}

TEST_F(GLEngineStateTest, ADisplayChangeKeepsTheContext)
{
    // Full screen at a size no display offers: the mode is refused where the renderer asks
    // for one, and the window stays windowed; either way the context draws again.
    ASSERT_EQ(m_engine->Invalidate(0), 0);
    ASSERT_EQ(m_engine->Init(m_window, 64, 48, 1, 32, 0), 0);
    m_world->colorClear = 0xFF336699u;
    ASSERT_EQ(m_engine->Clear(), 0);
    EXPECT_EQ(Pixel(10, 10), (Rgba{0x33, 0x66, 0x99, 0}));
    int32_t width = 0, height = 0;
    ASSERT_TRUE(Platform_GL_GetDrawableSize(m_window, &width, &height));
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 48);
}
