// The shader manager on the OpenGL renderer: the dissolve drawn through Apply, the default
// shader around a frame, a renderer without shaders, missing files; the dissolve's uniforms.
#include <cmath>

#include "GLWorldFixture.h"
#include "NimbrelManagers/CShaderManager.h"
#include "Vornel3D/C3DShader.h"
#include "Vornel3D_GL/C3DTexture_GL.h"

namespace {

constexpr const char* kSettings =
    "[SHADER]\nSHADER_NOISE_TEXTURE_PATH = noise.tga\nSHADER_CONTROL_TEXTURE_PATH = control.tga\n"
    "SHADER_TRANSITION_BORDER_WIDTH = 0.1\n";

// The pack of the sample's shaders, a flat noise and a control picture rising from left to right.
std::map<std::string, Bytes> ShaderPack()
{
    return {
        {"textures/default.gl.frag", SampleShader("default.gl.frag")},
        {"textures/transition.gl.frag", SampleShader("transition.gl.frag")},
        {"noise.tga", Tga(16, 16, [](int, int) { return 0xFF808080u; })},
        {"control.tga",
         Tga(16, 16, [](int x, int) { return 0xFF000000u | uint32_t(x * 17) * 0x010101u; })},
    };
}

class ShaderManagerTest : public GLWorldFixture {
protected:
    void SetUp() override
    {
        Open(128, 64, kSettings);
        if (IsSkipped() || HasFatalFailure())
            return;
        Pack(ShaderPack());
    }

    CShaderManager* LoadManager()
    {
        auto* manager = new CShaderManager(Data());
        m_world->SetManager(kManagerShader, manager);
        EXPECT_EQ(manager->Load(), kStatusOk) << LastError();
        return manager;
    }

    // The element: a 128 x 32 quad whose texture is red above and green below.
    C3DObject* Element()
    {
        std::vector<uint8_t> pixels;
        for (int row = 0; row < 4; ++row)  // bottom-up: green rows first
            for (int i = 0; i < 4; ++i)
                pixels.insert(pixels.end(), {uint8_t(row < 2 ? 0 : 255), uint8_t(row < 2 ? 255 : 0), 0, 255});
        C3DTexture* texture = m_engine->CreateTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest | kTexAlpha);
        EXPECT_EQ(texture->MakeFromRaw(4, 4, 32, pixels.data(), u"element.raw"), kStatusOk);
        C3DObject* quad = m_engine->CreateObject(0x10, k3DDrawTexture0 | k3DDrawAlpha);
        EXPECT_EQ(quad->Create(1, 4, 4), kStatusOk);
        quad->Lock(0, 2);
        quad->ResetIndices();
        quad->SetVertex(0, 0, 16, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0);
        quad->SetVertex(1, 128, 16, 0, 0xFFFFFFFFu, 1, 0, 0, 0, 0, 0);
        quad->SetVertex(2, 0, 48, 0, 0xFFFFFFFFu, 0, 1, 0, 0, 0, 0);
        quad->SetVertex(3, 128, 48, 0, 0xFFFFFFFFu, 1, 1, 0, 0, 0, 0);
        quad->SetGroup(0, 0, 4, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
        quad->SetTexture(texture, 0, 0);
        quad->Unlock(1);
        return quad;
    }
};

const Rgba kBlue{0, 0, 255, 0};
const Rgba kRed{255, 0, 0, 0};
const Rgba kGreen{0, 255, 0, 0};

TEST_F(ShaderManagerTest, AnElementDissolvesByTheRatioAndKeepsItsOwnTexture)
{
    CShaderManager* manager = LoadManager();
    CShaderTransitionNoise* noise = manager->GetNoiseTransition();
    ASSERT_NE(noise->GetShader(), nullptr);
    EXPECT_EQ(Data()->pGame->noShaderFades, 0);
    C3DObject* element = Element();
    const float minPos[2] = {0.0f, 0.0f}, maxPos[2] = {1.0f, 1.0f};
    struct Case {
        float ratio;
        int shownUpTo;  // columns left of this show the element
    } cases[] = {{0.0f, 128}, {1.0f, 0}, {0.5f, 64}};
    for (const Case& c : cases) {
        BeginFrame(0xFF0000FFu);
        noise->Apply(minPos, maxPos, c.ratio);
        EXPECT_EQ(manager->GetCurrentShader(), noise);
        element->Draw();
        noise->End();
        for (int x = 4; x < 128; x += 8) {
            if (std::abs(x - c.shownUpTo) < 16 && c.shownUpTo % 128 != 0)
                continue;  // the soft border
            const bool shown = x < c.shownUpTo;
            EXPECT_EQ(Pixel(x, 20), shown ? kRed : kBlue) << "ratio " << c.ratio << ", column " << x;
            EXPECT_EQ(Pixel(x, 44), shown ? kGreen : kBlue) << "ratio " << c.ratio << ", column " << x;
        }
    }
    // After End the frame draws as before: the whole element, nothing of the noise.
    BeginFrame(0xFF0000FFu);
    element->Draw();
    EXPECT_EQ(Pixel(100, 20), kRed);
    EXPECT_EQ(Pixel(100, 44), kGreen);
}

TEST_F(ShaderManagerTest, TheDefaultShaderChangesNothingOnGL)
{
    CShaderManager* manager = LoadManager();
    ASSERT_NE(manager->GetDefaultTransition()->GetShader(), nullptr);
    C3DObject* element = Element();
    Rgba plain[2], wrapped[2];
    BeginFrame(0xFF0000FFu);
    element->Draw();
    plain[0] = Pixel(10, 20), plain[1] = Pixel(10, 44);
    BeginFrame(0xFF0000FFu);
    manager->BeginDefaultShader();
    EXPECT_EQ(manager->GetCurrentShader(), nullptr);
    GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    EXPECT_EQ(program, 0u);
    element->Draw();
    manager->EndDefaultShader();
    wrapped[0] = Pixel(10, 20), wrapped[1] = Pixel(10, 44);
    EXPECT_EQ(plain[0], wrapped[0]);
    EXPECT_EQ(plain[1], wrapped[1]);
    // The world's frame binds and unbinds it the same way.
    EXPECT_EQ(m_world->Render(), kStatusOk);
    EXPECT_EQ(manager->GetCurrentShader(), nullptr);
}

// A renderer that asks for its default shader around every frame.
class CDefaultShaderManager : public CShaderManager {
public:
    using CShaderManager::CShaderManager;

protected:
    bool IsDefaultShaderInUse() override { return true; }
};

TEST_F(ShaderManagerTest, WithADefaultShaderTheEffectsHandTheFrameBack)
{
    auto* manager = new CDefaultShaderManager(Data());
    m_world->SetManager(kManagerShader, manager);
    ASSERT_EQ(manager->Load(), kStatusOk);
    CShaderTransition* fallback = manager->GetDefaultTransition();
    CShaderTransitionNoise* noise = manager->GetNoiseTransition();
    manager->BeginDefaultShader();
    EXPECT_EQ(manager->GetCurrentShader(), fallback);
    const float minPos[2] = {0.0f, 0.0f}, maxPos[2] = {1.0f, 1.0f};
    noise->Apply(minPos, maxPos, 0.5f);
    EXPECT_EQ(manager->GetCurrentShader(), noise);
    noise->Apply(minPos, maxPos, 0.6f);  // already current: nothing changes
    EXPECT_EQ(manager->GetCurrentShader(), noise);
    noise->End();
    EXPECT_EQ(manager->GetCurrentShader(), fallback);
    manager->EndDefaultShader();
    EXPECT_EQ(manager->GetCurrentShader(), nullptr);
}

// The GL renderer as a device without programmable shaders.
class CNoShaderEngine : public C3DEngine_GL {
public:
    using C3DEngine_GL::C3DEngine_GL;
    Status IsShaderSupported() override { return kStatusFailed; }
};

class ShaderlessTest : public ShaderManagerTest {
protected:
    C3DEngine_GL* MakeEngine(WorldData* w) override { return new CNoShaderEngine(w); }
};

TEST_F(ShaderlessTest, ARendererWithoutShadersLoadsTheManagerAndEveryOperationDoesNothing)
{
    CShaderManager* manager = LoadManager();
    CShaderTransitionNoise* noise = manager->GetNoiseTransition();
    EXPECT_EQ(noise->GetShader(), nullptr);
    EXPECT_EQ(manager->GetDefaultTransition()->GetShader(), nullptr);
    C3DObject* element = Element();
    const float minPos[2] = {0.0f, 0.0f}, maxPos[2] = {1.0f, 1.0f};
    BeginFrame(0xFF0000FFu);
    manager->BeginDefaultShader();
    manager->GetDefaultTransition()->Begin();
    noise->Apply(minPos, maxPos, 1.0f);
    EXPECT_EQ(manager->GetCurrentShader(), nullptr);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    element->Draw();
    noise->End();
    manager->EndDefaultShader();
    EXPECT_EQ(Pixel(10, 20), kRed);  // drawn whole: a ratio of 1 would have dissolved it
}

TEST_F(ShaderManagerTest, MissingFilesFailTheDefaultShaderAndOnlyFlagTheDissolve)
{
    struct Case {
        const char* missing;
        Status load;
        uint8_t flag;
    } cases[] = {
        {"noise.tga", kStatusOk, 1},
        {"control.tga", kStatusOk, 1},
        {"textures/transition.gl.frag", kStatusOk, 1},
        {"textures/default.gl.frag", kStatusFailed, 0},
    };
    for (const Case& c : cases) {
        std::map<std::string, Bytes> entries = ShaderPack();
        entries.erase(c.missing);
        Pack(entries);
        Data()->pGame->noShaderFades = 0;
        auto* manager = new CShaderManager(Data());
        m_world->SetManager(kManagerShader, manager);
        EXPECT_EQ(manager->Load(), c.load) << c.missing;
        EXPECT_EQ(Data()->pGame->noShaderFades, c.flag) << c.missing;
        EXPECT_EQ(LastError(), std::string("Missing file: ") + c.missing);
        if (c.flag) {
            EXPECT_EQ(manager->GetNoiseTransition()->GetShader(), nullptr) << c.missing;
        }
    }
}

TEST(ShaderDissolve, TheUniformsOfARectangle)
{
    struct Case {
        float min[2], max[2], ratio, border;
        ShaderDissolveConstants expected;
    } cases[] = {
        {{0.25f, 0.5f}, {0.75f, 1.0f}, 0.25f, 0.4f, {0.25f, 0.0f, 0, 0, 2.0f, 2.0f, 0, 0, 0.75f, 2.5f, 1.5f, 0}},
        // A border of 0 or below: factor 1.
        {{0.0f, 0.0f}, {1.0f, 0.5f}, 1.0f, 0.0f, {0.0f, 0.5f, 0, 0, 1.0f, 2.0f, 0, 0, 0.0f, 1.0f, 1.5f, 0}},
        {{0.0f, 0.0f}, {1.0f, 1.0f}, 0.0f, -2.0f, {0.0f, 0.0f, 0, 0, 1.0f, 1.0f, 0, 0, 1.0f, 1.0f, 1.5f, 0}},
        // A rectangle of no size scales by 1, not by infinity.
        {{0.5f, 0.5f}, {0.5f, 0.5f}, 0.5f, 0.5f, {0.5f, 0.5f, 0, 0, 1.0f, 1.0f, 0, 0, 0.5f, 2.0f, 1.5f, 0}},
    };
    for (const Case& c : cases) {
        const ShaderDissolveConstants k = CShaderTransitionNoise::Constants(c.min, c.max, c.ratio, c.border, 1.5f);
        const float* got = &k.minPosX;
        const float* want = &c.expected.minPosX;
        for (int i = 0; i < 12; ++i)
            EXPECT_FLOAT_EQ(got[i], want[i]) << "field " << i << " of the rectangle at " << c.min[0];
    }
}

}  // namespace
