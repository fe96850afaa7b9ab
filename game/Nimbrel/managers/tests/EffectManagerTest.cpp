// Element effects on a five-element scene object: the five kinds frame by frame, the shared
// storm and cycle, the manager's slots, and chunk 20005 with the damage it must refuse.
#include "NimbrelManagers/CEffectManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <functional>
#include <vector>

#include "AudioTestSupport.h"
#include "MemoryBackEnd.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/CEffect.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "SceneFixture.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint32_t kLevel = 1;

// The level with a render model of one quad per element (two triangles sharing two corners),
// on the memory back end, for the drift's texture coordinates.
class ModelLevel : public FiveElementLevel {
public:
    using FiveElementLevel::FiveElementLevel;
    void SetModel(C3DObject* pModel) { m_pRenderModel = pModel; }
    using FiveElementLevel::AddEffect;
    using FiveElementLevel::CreateEffectManager;
    using FiveElementLevel::UpdateEffects;
};

// Public: the cases of a table reach it from their lambdas.
class EffectsTest : public ::testing::Test {
public:
    EffectsTest()
    {
        WorldData* w = world.GetWorldData();
        engine = std::make_unique<CMemoryEngine>(w);
        w->p3DEngine = engine.get();
        auto level = std::make_unique<ModelLevel>(w);
        C3DObject* model = engine->CreateObject(kObjectModelFlags, 0);
        model->Create(5, 20, 30);
        model->Lock(0, 1);
        for (uint32_t g = 0; g < 5; ++g) {
            const uint32_t corners[6] = {0, 1, 2, 2, 1, 3};
            for (uint32_t i = 0; i < 6; ++i)
                model->SetIndex(6 * g + i, 4 * g + corners[i]);
            model->SetGroup(g, 0, 4, 6 * g, 6, 2, kPrimitiveTriangleList, 1, kGroupIdOwnNumber);
            for (uint32_t v = 0; v < 4; ++v)
                model->SetVertex(4 * g + v, float(v & 1), float(v >> 1), 0.0f, 0xFFFFFFFFu, float(v & 1) * 0.5f,
                                 float(v >> 1) * 0.5f, 0.0f, 0.0f, 1.0f, 0);
        }
        model->Unlock(0);
        level->SetModel(model);
        world.level = std::move(level);
        for (uint32_t i = 0; i < 5; ++i)
            E(i)->pEffectParameters = static_cast<EffectParameters*>(UTILS_CALLOC(1, sizeof(EffectParameters)));
        ResetSharedEffects();
        UtilsRandom_Seed(w, 12345);
        effects = std::make_unique<CEffectManager>(w, kLevel);
    }
    ~EffectsTest() override
    {
        effects.reset();
        world.level.reset();
        world.GetWorldData()->p3DEngine = nullptr;
        ResetSharedEffects();
    }

    ElementRecord* E(uint32_t i) { return world.level->At(i); }
    EffectParameters& Values(uint32_t i) { return *E(i)->pEffectParameters; }
    void Set(uint32_t i, float period, uint8_t minimum, uint8_t maximum, float angle = 0.0f)
    {
        Values(i) = EffectParameters{period, minimum, maximum, angle};
    }
    C3DVector2 UV(uint32_t vertex) { return world.level->GetRenderModel()->GetVertexUV0(vertex); }
    // Updates until the condition holds; how many it took (0: not within the limit).
    int Until(const std::function<bool()>& done, int limit = 2000)
    {
        for (int n = 1; n <= limit; ++n) {
            effects->Update();
            if (done())
                return n;
        }
        return 0;
    }

    SceneFixtureWorld world;
    std::unique_ptr<CMemoryEngine> engine;
    std::unique_ptr<CEffectManager> effects;
};

TEST_F(EffectsTest, EachKindFollowsItsCurveFrameByFrame)
{
    struct Case {
        const char* name;
        std::function<void(EffectsTest&)> run;
    };
    const Case cases[] = {
        {"a pulse of period 1 goes from its minimum to its maximum in 15 ticks",
         [](EffectsTest& t) {
             t.Set(0, 1.0f, 51, 204);
             ASSERT_EQ(t.effects->AddEffect(kEffectPulse, kLevel, 0), 1u);
             const auto at = [&](float level) { return std::fabs(t.E(0)->brightness - level / 255.0f) < 1e-4f; };
             ASSERT_GT(t.Until([&] { return at(51.0f); }, 40), 0);
             EXPECT_EQ(t.Until([&] { return at(204.0f); }, 40), 15);
             EXPECT_EQ(t.Until([&] { return at(51.0f); }, 40), 15);
         }},
        {"a flicker between 255 and 255 stays at 1.0",
         [](EffectsTest& t) {
             t.Set(0, 0.5f, 255, 255);
             t.effects->AddEffect(kEffectFlicker, kLevel, 0);
             for (int n = 0; n < 100; ++n) {
                 t.effects->Update();
                 ASSERT_FLOAT_EQ(t.E(0)->brightness, 1.0f) << n;
             }
         }},
        {"the shared cycle is off 200, rises in 20, is on 200 and falls in 20",
         [](EffectsTest& t) {
             t.Set(0, 0.5f, 255, 255);
             t.effects->AddEffect(kEffectFlickerCycle, kLevel, 0);
             EXPECT_EQ(t.effects->GetCycleCount(), 1u);
             EXPECT_EQ(t.E(0)->brightness, 0.0f);
             const uint32_t next[] = {kCycleRising, kCycleOn, kCycleFalling, kCycleOff};
             const int ticks[] = {200, 20, 200, 20};
             for (int phase = 0; phase < 4; ++phase)
                 EXPECT_EQ(t.Until([&] { return SharedCycle().state == next[phase]; }, 400), ticks[phase]) << phase;
             t.Until([&] { return SharedCycle().state == kCycleOn; }, 400);
             t.effects->Update();
             EXPECT_FLOAT_EQ(t.E(0)->brightness, 1.0f);
         }},
        {"a restart while the cycle is off rises at once",
         [](EffectsTest& t) {
             t.Set(0, 0.5f, 255, 255);
             t.effects->AddEffect(kEffectFlickerCycle, kLevel, 0);
             t.Until([] { return false; }, 50);
             ASSERT_EQ(SharedCycle().state, kCycleOff);
             t.effects->RestartSharedCycle();
             t.effects->Update();
             EXPECT_EQ(SharedCycle().state, kCycleRising);
             EXPECT_GT(t.E(0)->brightness, 0.0f);
         }},
        {"the first flash comes 300 ticks after the storm starts",
         [](EffectsTest& t) {
             t.Set(0, 2.0f, 40, 240);
             t.effects->AddEffect(kEffectStorm, kLevel, 0);
             EXPECT_FLOAT_EQ(t.E(0)->brightness, 40.0f / 255.0f);
             EXPECT_EQ(t.Until([] { return SharedStorm().state == kStormRising; }, 400), 300);
             // The element shows the storm's interval as its period, and lights up.
             EXPECT_FLOAT_EQ(t.Values(0).period, 10.0f);
             t.effects->Update();
             t.effects->Update();
             EXPECT_GT(t.E(0)->brightness, 40.0f / 255.0f);
         }},
        {"one drift period brings the texture coordinates back",
         [](EffectsTest& t) {
             t.Set(2, 1.0f, 0, 0, 0.0f);
             std::vector<C3DVector2> start;
             for (uint32_t v = 8; v < 12; ++v)
                 start.push_back(t.UV(v));
             t.effects->AddEffect(kEffectDrift, kLevel, 2);
             // Angle 0 slides the picture to the left, a thirtieth of it a tick; the corners two
             // triangles share move once.
             for (uint32_t v = 8; v < 12; ++v) {
                 EXPECT_NEAR(t.UV(v).x, start[v - 8].x - 1.0f / 30.0f, 1e-6f) << v;
                 EXPECT_FLOAT_EQ(t.UV(v).y, start[v - 8].y) << v;
             }
             const auto back = [&] {
                 for (uint32_t v = 8; v < 12; ++v)
                     if (std::fabs(t.UV(v).x - start[v - 8].x) > 1e-6f)
                         return false;
                 return true;
             };
             // Thirty ticks with the add's own.
             EXPECT_EQ(t.Until(back, 40), 29);
             // The other quads stay where they are.
             EXPECT_FLOAT_EQ(t.UV(4).x, 0.0f);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        effects->Unload();
        ResetSharedEffects();
        c.run(*this);
    }
}

// A period of 0 or less moves nothing, and never puts a NaN into the model.
TEST_F(EffectsTest, APeriodOfZeroOrLessMovesNothing)
{
    for (float period : {0.0f, -1.0f, std::nanf("")}) {
        SCOPED_TRACE(period);
        effects->Unload();
        const uint32_t kinds[] = {kEffectFlicker, kEffectPulse, kEffectDrift};
        for (uint32_t i = 0; i < 3; ++i) {
            Set(i, period, 10, 250, 30.0f);
            ASSERT_NE(effects->AddEffect(kinds[i], kLevel, i), 0u);
        }
        const float flicker = E(0)->brightness, pulse = E(1)->brightness;
        std::vector<C3DVector2> start;
        for (uint32_t v = 8; v < 12; ++v)
            start.push_back(UV(v));
        for (int n = 0; n < 60; ++n)
            effects->Update();
        EXPECT_EQ(E(0)->brightness, flicker);
        EXPECT_EQ(E(1)->brightness, pulse);
        for (uint32_t v = 8; v < 12; ++v) {
            EXPECT_EQ(UV(v).x, start[v - 8].x);
            EXPECT_EQ(UV(v).y, start[v - 8].y);
        }
    }
}

TEST_F(EffectsTest, IdsAreSlotsTakenAgainWithTheCountsKeptRight)
{
    for (uint32_t i = 0; i < 5; ++i)
        Set(i, 1.0f, 0, 255);
    EXPECT_EQ(effects->AddEffect(6, kLevel, 0), 0u);
    EXPECT_EQ(effects->AddEffect(kEffectNone, kLevel, 0), 0u);
    EXPECT_EQ(effects->AddEffect(kEffectStorm, kLevel, 0), 1u);
    EXPECT_EQ(effects->AddEffect(kEffectPulse, kLevel, 1), 2u);
    EXPECT_EQ(effects->AddEffect(kEffectStorm, kLevel, 2), 3u);
    EXPECT_EQ(effects->AddEffect(kEffectFlickerCycle, kLevel, 3), 4u);
    EXPECT_EQ(effects->GetStormCount(), 2u);
    EXPECT_EQ(effects->GetCycleCount(), 1u);
    for (uint32_t id : {0u, 5u, 99u})
        effects->RemoveEffect(id);
    EXPECT_EQ(effects->GetSlotCount(), 4u);
    EXPECT_EQ(effects->GetStormCount(), 2u);

    E(0)->brightness = 0.25f;
    effects->RemoveEffect(1);
    EXPECT_EQ(effects->GetStormCount(), 1u);
    EXPECT_FLOAT_EQ(E(0)->brightness, 1.0f);  // finished
    effects->RemoveEffect(1);                   // a free slot
    EXPECT_EQ(effects->GetStormCount(), 1u);
    EXPECT_EQ(effects->AddEffect(kEffectStorm, kLevel, 4), 1u);
    EXPECT_EQ(effects->GetStormCount(), 2u);
    effects->RemoveEffect(4);
    EXPECT_EQ(effects->GetCycleCount(), 0u);
    EXPECT_EQ(effects->AddEffect(kEffectFlicker, kLevel, 3), 4u);
    EXPECT_EQ(effects->GetSlotCount(), 4u);
}

// ---- chunk 20005 --------------------------------------------------------------------------------

class Bytes {
public:
    Bytes& U32(uint32_t v) { return Raw(&v, 4); }
    Bytes& F32(float v) { return Raw(&v, 4); }
    Bytes& F64(double v) { return Raw(&v, 8); }
    Bytes& U8(uint8_t v) { return Raw(&v, 1); }
    Bytes& Raw(const void* p, size_t n)
    {
        data.insert(data.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
        return *this;
    }
    std::vector<uint8_t> data;
};

class EffectChunkTest : public EffectsTest {
protected:
    Status Load(const std::vector<uint8_t>& bytes)
    {
        UtilsStream_Chunk chunk(20005);
        chunk.Open(kStreamReadWriteGrowable);
        if (!bytes.empty())
            chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
        chunk.Rewind();
        return effects->LoadFromStream(&chunk);
    }
    std::vector<uint8_t> Saved()
    {
        UtilsStream_Chunk chunk(20005);
        chunk.Open(kStreamReadWriteGrowable);
        EXPECT_EQ(effects->SaveToStream(nullptr, &chunk), kStatusOk);
        chunk.Rewind();
        std::vector<uint8_t> bytes(chunk.GetPayloadSize());
        if (!bytes.empty())
            chunk.Read(bytes.data(), 1, uint32_t(bytes.size()));
        return bytes;
    }
    // One slot holding a pulse on the element.
    static Bytes Pulse(uint32_t object, uint32_t element)
    {
        Bytes b;
        b.U32(kEffectPulse).U32(object).U32(element).U32(kEffectPulse).U8(1).F32(0.5f);
        return b;
    }
};

TEST_F(EffectChunkTest, TheSlotsComeBackWithTheSharedStormAndCycle)
{
    for (uint32_t i = 0; i < 5; ++i)
        Set(i, 1.0f, 20, 220, 45.0f);
    effects->AddEffect(kEffectStorm, kLevel, 0);
    effects->AddEffect(kEffectPulse, kLevel, 1);
    effects->AddEffect(kEffectFlickerCycle, kLevel, 2);
    effects->AddEffect(kEffectDrift, kLevel, 3);
    effects->AddEffect(kEffectFlicker, kLevel, 4);
    effects->RemoveEffect(2);
    for (int n = 0; n < 350; ++n)
        effects->Update();
    const std::vector<uint8_t> saved = Saved();
    const EffectSharedStorm storm = SharedStorm();
    const EffectSharedCycle cycle = SharedCycle();
    ResetSharedEffects();

    ASSERT_EQ(Load(saved), kStatusOk);
    EXPECT_EQ(effects->GetSlotCount(), 5u);
    EXPECT_EQ(effects->GetEffect(2), nullptr);
    EXPECT_EQ(effects->GetEffect(4)->GetKind(), kEffectDrift);
    EXPECT_EQ(effects->GetEffect(4)->GetElementIndex(), 3u);
    EXPECT_EQ(effects->GetStormCount(), 1u);
    EXPECT_EQ(effects->GetCycleCount(), 1u);
    EXPECT_EQ(SharedStorm().state, storm.state);
    EXPECT_FLOAT_EQ(float(SharedStorm().t), float(storm.t));
    EXPECT_EQ(SharedCycle().state, cycle.state);
    EXPECT_EQ(Saved(), saved);
}

TEST_F(EffectChunkTest, ADamagedChunkIsRefusedWholeAndTheCountsComeFromTheSlots)
{
    const auto withCounts = [](Bytes b, uint32_t slots, uint32_t storms, uint32_t cycles) {
        Bytes all;
        all.U32(slots).Raw(b.data.data(), b.data.size()).U32(storms).U32(cycles);
        return all.data;
    };
    Bytes storm;
    storm.U32(kEffectStorm).U32(kLevel).U32(0).U32(kEffectStorm);
    storm.U32(kStormWaiting).F32(0.5f).F32(10.0f).U32(0xFFFFFFFFu).F32(1.0f).U32(1).U32(0).F32(0.0f).U8(0).U8(255);
    Bytes soundless = storm;
    const uint32_t thunder = 3;  // the game holds no such sound
    std::memcpy(&soundless.data[28], &thunder, 4);
    Bytes badKind;
    badKind.U32(9).U32(kLevel).U32(0).U32(9);
    Bytes renamed = Pulse(kLevel, 0);
    renamed.data[12] = kEffectStorm;  // the effect's own kind word differs from its slot's
    Bytes wrongDirection = Pulse(kLevel, 0);
    wrongDirection.data[16] = 7;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        Status status;
    };
    const Case cases[] = {
        {"counts that the slots do not hold are recounted", withCounts(storm, 1, 9, 4), kStatusOk},
        {"more slots than the bytes left", withCounts(Pulse(kLevel, 0), 0x40000000u, 0, 0), kStatusFailed},
        {"a kind outside 1..5", withCounts(badKind, 1, 0, 0), kStatusFailed},
        {"a kind word unlike its slot's", withCounts(renamed, 1, 0, 0), kStatusFailed},
        {"an element past the object's", withCounts(Pulse(kLevel, 5), 1, 0, 0), kStatusFailed},
        {"an element of another object", withCounts(Pulse(9, 0), 1, 0, 0), kStatusFailed},
        {"a direction that is neither up nor down", withCounts(wrongDirection, 1, 0, 0), kStatusFailed},
        {"no counts after the slots", Bytes().U32(1).Raw(Pulse(kLevel, 0).data.data(), 21).data, kStatusFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Set(1, 1.0f, 0, 255);
        effects->Unload();
        effects->AddEffect(kEffectPulse, kLevel, 1);
        SharedStorm().interval = 7.0f;
        EXPECT_EQ(Load(c.bytes), c.status);
        if (c.status == kStatusOk) {
            EXPECT_EQ(effects->GetStormCount(), 1u);
            EXPECT_EQ(effects->GetCycleCount(), 0u);
            EXPECT_EQ(SharedStorm().interval, 10.0f);
        } else {
            EXPECT_EQ(effects->GetSlotCount(), 0u);
            EXPECT_EQ(SharedStorm().interval, 7.0f);
        }
    }
    // A thunder at an index the game's sounds do not give it is none: the next storm prepares it.
    ASSERT_EQ(Load(withCounts(soundless, 1, 1, 0)), kStatusOk);
    EXPECT_EQ(SharedStorm().sound, -1);
    // Every cut of a whole chunk fails and keeps nothing.
    const std::vector<uint8_t> whole = withCounts(storm, 1, 1, 0);
    for (size_t size = 0; size < whole.size(); ++size) {
        ASSERT_EQ(Load(std::vector<uint8_t>(whole.begin(), whole.begin() + long(size))), kStatusFailed) << size;
        EXPECT_EQ(effects->GetSlotCount(), 0u);
    }
}

// The storm's thunder, through the surround manager on OpenAL's loopback device: prepared by the
// first storm from [EFFECT_STORM], heard with the first flash, stopped on request.
class ThunderWorld : public SceneFixtureWorld {
public:
    void UseAudio(CEngineModule* pEngine) { m_pAudioEngine = pEngine; }
};

// A scene object's effects go with its chunk of the profile and come back in a fresh world as
// they were: the same slots and shared storm and cycle, the pulse at its level and the drifted
// picture where it stood.
TEST(ObjectEffectsProfile, ComeBackInAFreshWorldAsTheyWere)
{
    struct Scene : EffectsTest {
        void TestBody() override {}
        ModelLevel* Level() { return static_cast<ModelLevel*>(world.level.get()); }
        void Prepare()
        {
            ASSERT_EQ(Level()->CreateEffectManager(), kStatusOk);
            for (uint32_t i = 0; i < 5; ++i)
                Set(i, 1.5f, 20, 220, 30.0f);
        }
        std::vector<uint8_t> Save()
        {
            UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
            stream.Open();
            UtilsStream_ChunkList list(&stream);
            UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagObject, nullptr);
            EXPECT_EQ(Level()->SaveToProfile(&list, chunk), kStatusOk);
            EXPECT_TRUE(list.WriteAll());
            const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
            return std::vector<uint8_t>(block, block + stream.GetSize());
        }
        Status Load(std::vector<uint8_t> bytes)
        {
            UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
            stream.Open();
            UtilsStream_ChunkList list(&stream);
            UtilsStream_Chunk* chunk = list.ReadFirst();
            return chunk ? Level()->LoadFromProfile(chunk) : kStatusFailed;
        }
        std::vector<float> Drifted()
        {
            std::vector<float> uv;
            for (uint32_t v = 12; v < 16; ++v)
                uv.insert(uv.end(), {UV(v).x, UV(v).y});
            return uv;
        }
    };
    auto played = std::make_unique<Scene>();
    played->Prepare();
    ModelLevel* level = played->Level();
    level->AddEffect(kEffectStorm, 0);
    level->AddEffect(kEffectPulse, 1);
    level->AddEffect(kEffectFlickerCycle, 2);
    level->AddEffect(kEffectDrift, 3);
    for (int n = 0; n < 340; ++n)
        level->UpdateEffects();
    const std::vector<uint8_t> saved = played->Save();
    const EffectSharedStorm storm = SharedStorm();
    const EffectSharedCycle cycle = SharedCycle();
    const std::vector<float> rest = {0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f};
    ASSERT_NE(played->Drifted(), rest) << "the picture has drifted";
    level->UpdateEffects();
    const std::vector<float> drifted = played->Drifted();
    const float pulse = played->E(1)->brightness;
    played.reset();

    Scene fresh;
    fresh.Prepare();
    ASSERT_EQ(fresh.Load(saved), kStatusOk);
    const CEffectManager* effects = fresh.Level()->GetEffectManager();
    ASSERT_EQ(effects->GetSlotCount(), 4u);
    for (uint32_t id = 1; id <= 4; ++id) {
        ASSERT_NE(effects->GetEffect(id), nullptr) << id;
        EXPECT_EQ(effects->GetEffect(id)->GetElementIndex(), id - 1);
    }
    EXPECT_EQ(effects->GetEffect(4)->GetKind(), kEffectDrift);
    EXPECT_EQ(effects->GetStormCount(), 1u);
    EXPECT_EQ(effects->GetCycleCount(), 1u);
    EXPECT_EQ(SharedStorm().state, storm.state);
    EXPECT_EQ(SharedStorm().flashesDone, storm.flashesDone);
    EXPECT_FLOAT_EQ(float(SharedStorm().t), float(storm.t));
    EXPECT_EQ(SharedCycle().state, cycle.state);
    EXPECT_FLOAT_EQ(float(SharedCycle().t), float(cycle.t));
    EXPECT_EQ(fresh.Save(), saved);
    fresh.Level()->UpdateEffects();
    EXPECT_NEAR(fresh.E(1)->brightness, pulse, 1e-4f);
    const std::vector<float> uv = fresh.Drifted();
    ASSERT_EQ(uv.size(), drifted.size());
    for (size_t i = 0; i < uv.size(); ++i)
        EXPECT_NEAR(uv[i], drifted[i], 1e-4f) << i;
}

TEST(StormThunder, TheFirstFlashPlaysTheSettingsThunderAndItStopsOnRequest)
{
    ScratchFolder folder;
    mkdir((folder.Path() + "/sounds").c_str(), 0700);
    folder.Write("sounds/thunder.wav", PcmWave(1, 44100, Tone(1, 44100, 80, 3.0, 0.5)));
    ThunderWorld world;
    WorldData* w = world.GetWorldData();
    UtilsString_Copy(w->dataPath, kWorldTextSize, UtilsString_FromUtf8((folder.Path() + "/").c_str()).c_str());
    const std::string text = "[EFFECT_STORM]\nSTORM_SOUND_FILE_NAME = sounds/thunder.wav\n";
    UtilsParameters_Text settings(text.data(), uint32_t(text.size()));
    w->pAppSettings = &settings;
    CAudioEngineAL engine(w);
    ASSERT_EQ(engine.InitLoopback(44100), kStatusOk);
    world.UseAudio(&engine);
    auto* surround = new CSurroundManager(w);
    world.SetManager(kManagerSurround, surround);
    world.level->At(0)->pEffectParameters = static_cast<EffectParameters*>(UTILS_CALLOC(1, sizeof(EffectParameters)));
    *world.level->At(0)->pEffectParameters = EffectParameters{10.0f, 30, 255, 0.0f};
    ResetSharedEffects();
    {
        CEffectManager effects(w, kLevel);
        ASSERT_EQ(effects.AddEffect(kEffectStorm, kLevel, 0), 1u);
        const int32_t index = SharedStorm().sound;
        ASSERT_GE(index, 0);
        const SurroundSound* thunder = surround->GetSound(uint32_t(index));
        ASSERT_NE(thunder, nullptr);
        EXPECT_STREQ(thunder->pName, "sounds/thunder.wav");
        ASSERT_NE(thunder->pAudio, nullptr);
        // A second storm shares it.
        EXPECT_EQ(effects.AddEffect(kEffectStorm, kLevel, 1), 2u);
        EXPECT_EQ(SharedStorm().sound, index);
        for (int n = 0; n < 299; ++n)
            effects.Update();
        EXPECT_FALSE(thunder->pAudio->IsPlaying());
        effects.Update();
        EXPECT_TRUE(thunder->pAudio->IsPlaying());
        EXPECT_GT(LoopbackRms(&engine, 4410), 0.01);
        EXPECT_EQ(effects.StopStormSound(), kStatusOk);
        EXPECT_FALSE(thunder->pAudio->IsPlaying());
    }
    world.SetManager(kManagerSurround, nullptr);
    world.UseAudio(nullptr);
    engine.Release();
    w->pAppSettings = nullptr;
    ResetSharedEffects();
}

}  // namespace
