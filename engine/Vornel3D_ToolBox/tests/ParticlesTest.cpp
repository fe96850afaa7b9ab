// The particle manager and its five kinds on the memory back end, with a seeded generator: the
// sprite shapes and textures, the envelopes, each kind's step, adding, removal and drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "MemoryBackEnd.h"
#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/CParticulesBase.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "Vornel3D_ToolBox/CWindowDecoration.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr uint32_t kSeed = 1234;

class ParticlesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = world.data.get();
        w->frameTime = 1.0;
        UtilsRandom_Seed(w, kSeed);
        for (uint32_t i = 0; i < kParticleGroupCount; ++i)
            records[i] = ParticleSpriteRecord{10.0f + float(i), i % 5, 0};
        for (const char* name : {"fw.tga", "star.tga", "pulse.tga", "extra.tga"})
            folder.Write(name, MemoryTga(4, 4, 255, 255, 255));
        UseSettings("[PARTICULES]\nFIREMORK_TEXTURE_FILE_NAME = fw.tga\nSTAR_TEXTURE_FILE_NAME = star.tga\n"
                    "PULSE_TEXTURE_FILE_NAME = pulse.tga\nEXTRA_TEXTURE_FILE_NAME = extra.tga\n");
        UtilsString_Copy(w->dataPath, kWorldTextSize, folder.Wide("").c_str());
        w->dataPathWord = -1;
    }
    void TearDown() override { manager.Unload(); }

    void UseSettings(const std::string& text)
    {
        settingsText = text;
        settings = std::make_unique<UtilsParameters_Text>(settingsText.c_str(), uint32_t(settingsText.size()));
        w->pAppSettings = settings.get();
    }

    // Steps the manager n frames.
    void Step(int n)
    {
        for (int i = 0; i < n; ++i)
            manager.Update();
    }

    ScratchFolder folder;
    CMemoryWorld world;
    WorldData* w = nullptr;
    std::string settingsText;
    std::unique_ptr<UtilsParameters_Text> settings;
    ParticleSpriteRecord records[kParticleGroupCount];
    CParticulesBase manager{world.data.get()};
    const C3DVector3 at{100.0f, 200.0f, 0.0f};
};

TEST(ParticleEnvelopeTest, CurvesAtTheirBoundaries)
{
    struct Case {
        uint32_t envelope;
        float t, alpha, expected;
    };
    const Case cases[] = {
        {0, 0.0f, 0.5f, 0.0f},     {0, 0.2f, 0.5f, 0.216f},  {0, 0.5f, 0.5f, 1.0f},  {0, 0.66f, 0.5f, 1.0f},
        {0, 1.0f, 0.5f, 0.0f},     {1, 0.1f, 0.5f, 0.125f},  {1, 0.5f, 0.5f, 1.0f},  {1, 0.85f, 0.5f, 0.875f},
        {2, 0.05f, 0.5f, 0.125f},  {2, 0.1f, 0.5f, 1.0f},    {2, 1.0f, 0.5f, 0.0f}, {3, 0.25f, 0.5f, 0.125f},
        {3, 0.75f, 0.5f, 0.875f},  {3, 1.0f, 0.5f, 0.0f},    {4, 0.3f, 0.42f, 0.42f}, {9, 0.9f, 0.7f, 0.7f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ParticleEnvelope(c.envelope, c.t, c.alpha), c.expected, 1e-5f)
            << "envelope " << c.envelope << " at " << c.t;
    bool fading = false;
    ParticleEnvelope(3, 0.5f, 0.0f, &fading);
    EXPECT_TRUE(fading);
    ParticleEnvelope(0, 0.66f, 0.0f, &fading);
    EXPECT_FALSE(fading);
}

TEST_F(ParticlesTest, SpriteShapesAndTheEnabledTexturesLoad)
{
    manager.SetEnableMask(kParticleFirework | kParticleFallingStar | kParticleExtraTexture);
    records[3] = ParticleSpriteRecord{10.0f, 2, 0};
    records[4] = ParticleSpriteRecord{10.0f, 7, 0};
    ASSERT_EQ(manager.LoadParameters(records, kParticleFirework), kStatusOk);
    C3DObject* object = manager.GetObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetGroupCount(), kParticleGroupCount);
    const float expected[4][4] = {{-5, -5, 0.5f, 0}, {5, -5, 1, 0}, {-5, 5, 0.5f, 0.5f}, {5, 5, 1, 0.5f}};
    for (uint32_t k = 0; k < 4; ++k) {
        const C3DVector3 p = object->GetVertexPosition(12 + k);
        const C3DVector2 uv = object->GetVertexUV0(12 + k);
        EXPECT_EQ(p.x, expected[k][0]);
        EXPECT_EQ(p.y, expected[k][1]);
        EXPECT_EQ(uv.x, expected[k][2]);
        EXPECT_EQ(uv.y, expected[k][3]);
        // An unknown region leaves its shape unwritten.
        EXPECT_EQ(object->GetVertexPosition(16 + k).x, 0.0f);
    }
    C3DGroupRecord group{};
    ASSERT_EQ(object->GetGroup(3, &group), kStatusOk);
    EXPECT_EQ(group.baseVertex, 12u);
    EXPECT_EQ(group.primitiveCount, 2u);
    EXPECT_EQ(group.type, uint32_t(kPrimitiveTriangleStrip));
    // The falling stars take the star's texture; the pulse is not enabled.
    ASSERT_NE(manager.GetTexture(0), nullptr);
    ASSERT_NE(manager.GetTexture(1), nullptr);
    EXPECT_EQ(manager.GetTexture(2), nullptr);
    ASSERT_NE(manager.GetTexture(3), nullptr);
    EXPECT_EQ(manager.GetTexture(0)->GetSecond(), 0xD2u);
    EXPECT_EQ(manager.GetTexture(1)->GetSecond(), 0x52u);
    manager.Unload();
    EXPECT_EQ(world.engine->GetTextureList().GetCount(), 0u);
    EXPECT_EQ(world.engine->GetObjectList().GetCount(), 0u);
}

TEST_F(ParticlesTest, AMissingTextureFailsTheLoadAndNamesTheFile)
{
    UseSettings("[PARTICULES]\nFIREMORK_TEXTURE_FILE_NAME = fw.tga\nSTAR_TEXTURE_FILE_NAME = nowhere.tga\n");
    EXPECT_EQ(manager.LoadParameters(records, 0), kStatusFailed);
    EXPECT_NE(manager.GetTexture(0), nullptr);
    EXPECT_EQ(manager.GetTexture(1), nullptr);
    EXPECT_NE(std::u16string(w->lastErrorText).find(u"Missing file: "), std::u16string::npos);
    EXPECT_NE(std::u16string(w->lastErrorText).find(u"nowhere.tga"), std::u16string::npos);
    EXPECT_EQ(manager.LoadParameters(nullptr, 0), kStatusFailed);
}

TEST_F(ParticlesTest, AStarTurnsHalfATurnASecondFromItsSeededStartAngle)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    auto* star = static_cast<CParticuleStar*>(manager.AddParticle2(at, 1, 2, 0, 10.0f, 0xFF00FF00u, nullptr));
    ASSERT_NE(star, nullptr);
    WorldData seeded{};
    UtilsRandom_Seed(&seeded, kSeed);
    EXPECT_FLOAT_EQ(star->GetStartAngle(), float(UtilsRandom_Next(&seeded)) * 1.4629181e-9f);
    Step(29);  // one second with the step of the addition
    EXPECT_NEAR(star->GetAngle() - star->GetStartAngle(), kPi, 1e-4f);
    // Drawn turned by its angle at its position.
    manager.RenderAll();
    ASSERT_EQ(world.engine->draws.size(), 1u);
    const CMemoryDraw& draw = world.engine->draws[0];
    EXPECT_EQ(draw.group, 2u);
    EXPECT_EQ(draw.texture, manager.GetTexture(1));
    EXPECT_NEAR(draw.matrix[0], std::cos(star->GetAngle()), 1e-5f);
    EXPECT_FLOAT_EQ(draw.matrix[12], at.x);
    EXPECT_FLOAT_EQ(draw.matrix[13], at.y);
    EXPECT_EQ(draw.color & 0x00FFFFFFu, 0x0000FF00u);
}

TEST_F(ParticlesTest, ATextRisesOneLineOverItsLifeAndIsDrawnByTheCallback)
{
    static std::vector<std::u16string> texts;
    static std::vector<float> ys;
    static uint32_t context = 0;
    texts.clear();
    ys.clear();
    auto* text = static_cast<CParticuleText*>(
        manager.AddParticle5(at, u"+10", 1, C3DVector2{20.0f, 30.0f}, 0x100, 3.0f, 0xFFFFFFFFu));
    ASSERT_NE(text, nullptr);
    // Without a callback nothing is drawn.
    manager.RenderAll();
    manager.SetTextContext(77);
    manager.SetTextCallback([](const float* position, uint32_t, const float* scale, uint16_t flags,
                               const char16_t* string, uintptr_t value) {
        texts.push_back(string);
        ys.push_back(position[1]);
        context = uint32_t(value) + uint32_t(scale[1]) + flags;
    });
    for (int frame = 1; frame < 90; frame += 22) {
        const float t = float(frame) / 90.0f;
        EXPECT_NEAR(text->GetDrawnPosition().y, at.y - t * 30.0f, 1e-3f) << "frame " << frame;
        manager.Render(kParticleText);
        EXPECT_NEAR(ys.back(), at.y - t * 30.0f, 1e-3f);
        Step(22);
    }
    EXPECT_EQ(texts.front(), u"+10");
    EXPECT_EQ(context, 77u + 30u + 0x100u);
    // Faded in by a third of its life, out after two thirds.
    Step(90);
    EXPECT_EQ(manager.GetParticleCount(), 0u);
}

TEST_F(ParticlesTest, ParticlesShorterThanTheFirstStepAreNeverListed)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    const float brief = 0.01f;
    EXPECT_EQ(manager.AddParticle1(at, 0, 0, 0, brief, 0xFFFFFFFFu, nullptr), nullptr);
    EXPECT_EQ(manager.AddParticle2(at, 1, 0, 0, brief, 0xFFFFFFFFu, nullptr), nullptr);
    EXPECT_EQ(manager.AddParticle4(at, 1, 0, 0, at, 0.0f, brief, 0xFFFFFFFFu, nullptr, 1), nullptr);
    EXPECT_EQ(manager.AddParticle5(at, u"x", 0, C3DVector2{1, 1}, 0, brief, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(manager.GetParticleCount(), 0u);
    // A pulse never finishes: it is listed whatever its lifetime.
    EXPECT_NE(manager.AddParticle3(at, 2, 0, 0, brief, 0, 0xFFFFFFFFu, nullptr), nullptr);
    // A firework of 0.1 s goes after its third step.
    ASSERT_NE(manager.AddParticle1(at, 0, 0, 0, 0.1f, 0xFFFFFFFFu, nullptr), nullptr);
    Step(1);
    EXPECT_EQ(manager.GetParticleCount(), 2u);
    Step(2);
    EXPECT_EQ(manager.GetParticleCount(), 1u);
}

TEST_F(ParticlesTest, RemovalByKindMaskAndOfOneParticle)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    CParticule* firework = manager.AddParticle1(at, 0, 0, 0, 5.0f, 0xFFFFFFFFu, nullptr);
    ASSERT_NE(firework, nullptr);
    ASSERT_NE(manager.AddParticle2(at, 1, 1, 0, 5.0f, 0xFFFFFFFFu, nullptr), nullptr);
    ASSERT_NE(manager.AddParticle3(at, 2, 2, 0, 5.0f, 1, 0xFFFFFFFFu, nullptr), nullptr);
    ASSERT_NE(manager.AddParticle4(at, 1, 3, 0, at, 0.0f, 5.0f, 0xFFFFFFFFu, nullptr, 0), nullptr);
    CParticule* text = manager.AddParticle5(at, u"x", 0, C3DVector2{1, 1}, 0, 5.0f, 0xFFFFFFFFu);
    ASSERT_NE(text, nullptr);
    manager.RemoveByKind(0x01);
    EXPECT_EQ(manager.GetParticleCount(), 4u);
    manager.RemoveByKind(0x03);
    EXPECT_EQ(manager.GetParticleCount(), 2u);

    // A particle of another manager is not in this list: it stays alive and listed there.
    CParticulesBase other(w);
    CParticule* foreign = other.AddParticle3(at, 2, 0, 0, 1.0f, 0, 0xFFFFFFFFu, nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(manager.RemoveParticle(foreign), kStatusFailed);
    EXPECT_EQ(other.GetParticleCount(), 1u);
    EXPECT_EQ(manager.RemoveParticle(text), kStatusOk);
    EXPECT_EQ(manager.GetParticleCount(), 1u);
    manager.RemoveAll();
    EXPECT_EQ(manager.GetParticleCount(), 0u);
}

TEST_F(ParticlesTest, FallingStarsAreAddedUnderBit8ButDrawnAndRemovedAsStars)
{
    manager.SetEnableMask(kParticleFallingStar);
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    EXPECT_NE(manager.GetTexture(1), nullptr);
    EXPECT_EQ(manager.AddParticle2(at, 1, 0, 0, 5.0f, 0xFFFFFFFFu, nullptr), nullptr);
    w->frameTime = 2.0;
    auto* falling = static_cast<CParticuleFallingStar*>(
        manager.AddParticle4(at, 1, 5, 3, C3DVector3{1.0f, -2.0f, 0.0f}, 4.0f, 5.0f, 0xFFFFFFFFu, nullptr, 0));
    ASSERT_NE(falling, nullptr);
    EXPECT_EQ(falling->GetKind(), kParticleStar);
    // Moved by the frame time (not the step), then sped up downwards by 0.75 of the acceleration.
    EXPECT_FLOAT_EQ(falling->GetPosition().x, at.x + 2.0f);
    EXPECT_FLOAT_EQ(falling->GetPosition().y, at.y - 4.0f);
    EXPECT_FLOAT_EQ(falling->GetVelocity().y, -2.0f + 2.0f * 4.0f * 0.75f);
    manager.Render(kParticleFallingStar);
    EXPECT_TRUE(world.engine->draws.empty());
    manager.Render(kParticleStar);
    EXPECT_EQ(world.engine->draws.size(), 1u);
    manager.RemoveByKind(kParticleFallingStar);
    EXPECT_EQ(manager.GetParticleCount(), 1u);
    manager.RemoveByKind(kParticleStar);
    EXPECT_EQ(manager.GetParticleCount(), 0u);
}

TEST_F(ParticlesTest, ANegativeFlickerAlphaIsDrawnAs0)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    auto* falling = static_cast<CParticuleFallingStar*>(
        manager.AddParticle4(at, 1, 0, 0, C3DVector3{0, 0, 0}, 0.0f, 1.0f, 0xFFFFFFFFu, nullptr, 1));
    ASSERT_NE(falling, nullptr);
    Step(2);  // t = 0.1: sin(5) < 0
    ASSERT_LT(falling->GetAlpha(), 0.0f);
    manager.RenderAll();
    ASSERT_EQ(world.engine->draws.size(), 1u);
    EXPECT_EQ(world.engine->draws[0].color >> 24, 0u);
}

TEST_F(ParticlesTest, CopiedTextIsFreedAtUnloadAndTheCallersTextIsLeftAlone)
{
    std::u16string callers = u"caller's own text";
    auto* copied = static_cast<CParticuleText*>(
        manager.AddParticle5(at, callers.c_str(), 1, C3DVector2{1, 1}, 0, 5.0f, 0xFFFFFFFFu));
    auto* shared = static_cast<CParticuleText*>(
        manager.AddParticle5(at, callers.c_str(), 0, C3DVector2{1, 1}, 0, 5.0f, 0xFFFFFFFFu));
    ASSERT_NE(copied, nullptr);
    ASSERT_NE(shared, nullptr);
    EXPECT_TRUE(copied->OwnsText());
    EXPECT_NE(copied->GetText(), callers.c_str());
    EXPECT_EQ(std::u16string(copied->GetText()), callers);
    EXPECT_FALSE(shared->OwnsText());
    EXPECT_EQ(shared->GetText(), callers.c_str());
    // The unload frees the copy (the leak checker would see it otherwise) and only the copy
    // (freeing the caller's buffer would be caught when the string goes).
    manager.Unload();
    callers += u"!";
    EXPECT_EQ(callers, u"caller's own text!");
}

TEST_F(ParticlesTest, RefusedIndexesAndADisabledKindAddNothing)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    EXPECT_EQ(manager.AddParticle1(at, 4, 0, 0, 5.0f, 0xFFFFFFFFu, nullptr), nullptr);
    EXPECT_EQ(manager.AddParticle2(at, 1, 20, 0, 5.0f, 0xFFFFFFFFu, nullptr), nullptr);
    EXPECT_EQ(manager.AddParticle3(at, 0, kParticleGroupCount, 0, 5.0f, 0, 0xFFFFFFFFu, nullptr), nullptr);
    EXPECT_EQ(manager.AddParticle4(at, 7, 0, 0, at, 0.0f, 5.0f, 0xFFFFFFFFu, nullptr, 0), nullptr);
    manager.SetEnableMask(~kParticleText);
    EXPECT_EQ(manager.AddParticle5(at, u"x", 1, C3DVector2{1, 1}, 0, 5.0f, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(manager.GetParticleCount(), 0u);
}

TEST_F(ParticlesTest, APulseLoopsEveryLifetimeAndALifetimeOf0GivesNoNaN)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    auto* pulse = static_cast<CParticulePulse*>(manager.AddParticle3(at, 2, 0, 3, 2.0f, 0, 0xFFFFFFFFu, nullptr));
    ASSERT_NE(pulse, nullptr);
    EXPECT_FLOAT_EQ(pulse->GetLifeLeft(), 2.0f);  // t = 0 on the first step
    EXPECT_FLOAT_EQ(pulse->GetAlpha(), 0.0f);
    Step(30);
    EXPECT_NEAR(pulse->GetAlpha(), 1.0f, 1e-4f);  // t = 0.5
    Step(31);
    EXPECT_FLOAT_EQ(pulse->GetLifeLeft(), 2.0f);  // started over after 2 s
    auto* still = static_cast<CParticulePulse*>(manager.AddParticle3(at, 2, 0, 3, 0.0f, 1, 0xFFFFFFFFu, nullptr));
    ASSERT_NE(still, nullptr);
    Step(3);
    EXPECT_FALSE(std::isnan(still->GetAlpha()));
    EXPECT_EQ(still->GetAlpha(), 0.0f);
}

TEST_F(ParticlesTest, AFireworkSwellsOnTheSineCurveAndFades)
{
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    auto* firework =
        static_cast<CParticuleFirework*>(manager.AddParticle1(at, 0, 4, 3, 1.0f, 0xFFFF0000u, nullptr));
    ASSERT_NE(firework, nullptr);
    Step(14);  // t = 0.5
    EXPECT_NEAR(firework->GetScale(), 1.0f - std::cos(0.5f * kPi / 2.0f), 1e-4f);
    EXPECT_NEAR(firework->GetAlpha(), 1.0f, 1e-4f);
    manager.Render(kParticleFirework);
    ASSERT_EQ(world.engine->draws.size(), 1u);
    EXPECT_EQ(world.engine->draws[0].color, 0xFFFF0000u);
    EXPECT_EQ(world.engine->draws[0].group, 4u);
}

}  // namespace

namespace {

// The managed world makes, draws and frees the screenshot and the window decoration.
TEST(ManagedWorldOverlaysTest, TheWorldMakesDrawsAndFreesTheScreenshotAndTheDecoration)
{
    ScratchFolder folder;
    folder.WritePack("main.pak", {{"mouse.tga", MemoryTga(4, 4, 0, 255, 0)}});
    const std::string text = "[EXTRA_PLATFORM]\nMOUSE_CURSOR_TEXTURE_FILE_NAME = mouse.tga\n";
    UtilsParameters_Text settings(text.c_str(), uint32_t(text.size()));
    ResourceWorld resources(folder, kResourceSourcePack, "main.pak");
    WorldData* w = resources.Data();
    w->pAppSettings = &settings;
    C3DMath math(w);
    w->pMath = &math;
    w->realWidth = w->virtualWidth = 64;
    w->realHeight = w->virtualHeight = 48;
    auto engine = std::make_unique<CMemoryEngine>(w);
    CManagedWorld& world = resources.world;

    ASSERT_EQ(world.CreateScreenshot(), kStatusOk);
    ASSERT_NE(world.GetScreenshot(), nullptr);
    EXPECT_EQ(world.GetScreenshot()->GetTexture()->GetWidth(), 64);  // no renderer asks for powers of two
    // The corner's picture is missing: the decoration stays, without its corner.
    EXPECT_EQ(world.CreateWindowDecoration(kDecorationCursor | kDecorationCorner), kStatusFailed);
    ASSERT_NE(world.GetWindowDecoration(), nullptr);
    EXPECT_NE(std::u16string(w->lastErrorText).find(u"corner.png"), std::u16string::npos);
    ASSERT_EQ(world.CreateWindowDecoration(kDecorationCursor), kStatusOk);
    w->mouseX = 10.0f;
    w->mouseY = 20.0f;
    world.Render();
    ASSERT_EQ(engine->draws.size(), 1u);
    EXPECT_EQ(engine->draws[0].group, 0u);
    EXPECT_FLOAT_EQ(engine->draws[0].matrix[12], 10.0f);
    EXPECT_FLOAT_EQ(engine->draws[0].matrix[13], 20.0f);

    world.Unload();
    EXPECT_EQ(world.GetScreenshot(), nullptr);
    EXPECT_EQ(world.GetWindowDecoration(), nullptr);
    EXPECT_EQ(engine->GetObjectList().GetCount(), 0u);
    EXPECT_EQ(engine->GetTextureList().GetCount(), 0u);
}

}  // namespace
