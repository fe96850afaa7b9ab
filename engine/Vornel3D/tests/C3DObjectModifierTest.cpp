// Keyframe modifiers: the schedule, playback modes, ranges and seeking, each kind's value,
// the vertex kinds on a real object, and the saved forms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

class ModifierTest : public ::testing::Test {
protected:
    ModifierTest() { world.data->frameTime = 1.0; }
    ~ModifierTest() override
    {
        for (C3DObjectModifier* m : made) {
            m->Release();
            delete m;
        }
    }

    template <typename Kind> Kind* Make(uint32_t kind)
    {
        made.push_back(CreateObjectModifier(kind, world.data.get()));
        return static_cast<Kind*>(made.back());
    }

    // A colour track of the given durations, black to white and back.
    C3DObjectModifierDirectColor* Colors(std::vector<float> durations, float step = 1.0f)
    {
        std::vector<C3DModifierColorKey> keys;
        for (size_t k = 0; k < durations.size(); ++k)
            keys.push_back({0, durations[k], k % 2 ? 0xFFFFFFFFu : 0xFF000000u});
        auto* m = Make<C3DObjectModifierDirectColor>(kModifierDirectColor);
        EXPECT_EQ(m->CreateFromKeys(nullptr, 0, keys.data(), uint32_t(keys.size()), 0, step), kStatusOk);
        return m;
    }

    // Steps the track by the frame time and returns the current key after it.
    uint32_t Step(C3DObjectModifier* m, double frame)
    {
        world.data->frameTime = frame;
        m->Update();
        return m->GetState().currentKey;
    }

    CMemoryWorld world;
    std::vector<C3DObjectModifier*> made;
};

TEST_F(ModifierTest, FactoryMakesTheSevenKinds)
{
    for (uint32_t kind = 0; kind < kModifierKindCount; ++kind) {
        C3DObjectModifier* m = Make<C3DObjectModifier>(kind);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->GetKind(), kind);
        EXPECT_EQ(m->GetState().mode, kModifierRepeat);
        EXPECT_EQ(m->GetState().speed, 1.0f);
        EXPECT_EQ(m->GetStep(), 1.0f);
    }
    EXPECT_EQ(CreateObjectModifier(7, world.data.get()), nullptr);
}

TEST_F(ModifierTest, LongKeysAreCutIntoStepsExceptTheLast)
{
    C3DObjectModifier* m = Colors({3.5f, 1.0f, 0.5f, 9.0f});
    ASSERT_EQ(m->GetScheduleCount(), 7u);
    const C3DModifierScheduleEntry expected[7] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {2, 0}, {3, 0}};
    for (uint32_t i = 0; i < 7; ++i) {
        EXPECT_EQ(m->GetSchedule()[i].key, expected[i].key) << i;
        EXPECT_EQ(m->GetSchedule()[i].offset, expected[i].offset) << i;
    }
    // Half steps; a step of 0 cuts nothing and ends.
    EXPECT_EQ(Colors({2.0f, 1.0f}, 0.5f)->GetScheduleCount(), 5u);
    EXPECT_EQ(Colors({2.0f, 1.0f}, 0.0f)->GetScheduleCount(), 2u);
    // A track too long for any schedule is refused, not allocated.
    C3DModifierColorKey huge[2] = {{0, 1e30f, 0}, {0, 1, 0}};
    EXPECT_EQ(Make<C3DObjectModifier>(kModifierDirectColor)->CreateFromKeys(nullptr, 0, huge, 2, 0, 1.0f),
              kStatusFailed);
}

TEST_F(ModifierTest, SetRangeSpeedAndStart)
{
    C3DObjectModifier* m = Colors({9.0f, 1.0f});
    ASSERT_EQ(m->GetScheduleCount(), 10u);
    EXPECT_EQ(m->SetRange(0, 0, 2.0f, true), 10u); // the whole schedule in two seconds
    EXPECT_FLOAT_EQ(m->GetState().speed, 10.0f / 60.0f);
    EXPECT_EQ(m->GetState().rangeEnd, 10u);
    // An end not above the start becomes the count; the start entry's key and offset apply.
    m->SetRange(3, 2, 0.0f, false);
    EXPECT_EQ(m->GetState().rangeStart, 3u);
    EXPECT_EQ(m->GetState().rangeEnd, 10u);
    EXPECT_EQ(m->GetState().time, 3.0f);
    EXPECT_EQ(m->GetState().speed, 1.0f);
    m->SetRange(40, 0, 0.0f, false); // a start beyond the schedule becomes 0
    EXPECT_EQ(m->GetState().rangeStart, 0u);
}

TEST_F(ModifierTest, ModeZeroFinishesAndStaysFinished)
{
    C3DObjectModifierDirectColor* m = Colors({2.0f, 2.0f});
    m->SetMode(kModifierPlayOnce, true);
    EXPECT_EQ(Step(m, 3.0), 1u);
    EXPECT_FALSE(m->IsFinished());
    Step(m, 1.5); // past the end of the last key
    EXPECT_TRUE(m->IsFinished());
    EXPECT_EQ(m->Apply(), 0xFFFFFFFFu); // the last key's colour
    Step(m, 5.0);
    EXPECT_TRUE(m->IsFinished());
    m->SetRange(0, 0, 0.0f, true);
    EXPECT_FALSE(m->IsFinished());
    EXPECT_EQ(m->GetState().currentKey, 0u);
    m->SetMode(kModifierStopped, false);
    m->Update();
    EXPECT_TRUE(m->IsFinished());
}

TEST_F(ModifierTest, ModeOneHoldsTheLastKeyModeTwoRunsIntoTheFirst)
{
    for (uint32_t mode : {kModifierRepeatHold, kModifierRepeat}) {
        SCOPED_TRACE(mode);
        C3DObjectModifierDirectColor* m = Colors({1.0f, 2.0f});
        m->SetMode(mode, true);
        world.data->frameTime = 2.0;
        const uint32_t lastKey = m->Apply(); // half-way through the last key
        EXPECT_EQ(m->GetState().currentKey, 1u);
        EXPECT_EQ(lastKey, mode == kModifierRepeat ? 0xFF7F7F7Fu : 0xFFFFFFFFu);
        world.data->frameTime = 1.5; // round again into the first key
        m->Apply();
        EXPECT_EQ(m->GetState().currentKey, 0u);
        EXPECT_FLOAT_EQ(m->GetState().time, 0.5f);
        EXPECT_FALSE(m->IsFinished());
    }
}

TEST_F(ModifierTest, ARangeJumpsBackToItsStart)
{
    C3DObjectModifier* m = Colors({2.0f, 2.0f, 2.0f, 2.0f});
    ASSERT_EQ(m->GetScheduleCount(), 7u); // {0,0} {0,1} {1,0} {1,1} {2,0} {2,1} {3,0}
    m->SetRange(2, 4, 0.0f, true);        // from key 1 to the start of key 2
    EXPECT_EQ(m->GetState().currentKey, 1u);
    EXPECT_EQ(Step(m, 1.5), 1u);
    EXPECT_EQ(Step(m, 1.0), 1u); // into key 2, past its offset 0: back to key 1
    EXPECT_FLOAT_EQ(m->GetState().time, 0.5f);
}

// A step longer than its range, from the range's start, lands where walking the range round
// and round would, inside it.
TEST_F(ModifierTest, ALongStepStaysInsideItsRange)
{
    const struct {
        std::vector<float> durations;
        float step;
        uint32_t start, end;
        double frame;
        uint32_t key;
        float time;
    } cases[] = {
        // The last quarter of a long key, before a key that lasts nothing: a round of 1.
        {{4.0f, 0.0f}, 0.25f, 12, 16, 4.5, 0, 3.5f},
        // Keys 1 to 3 of five 1-frame keys: 10.5 is three rounds and half of key 2.
        {{1.0f, 1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 1, 4, 10.5, 2, 0.5f},
        // A range inside one key, from offset 1 to offset 2.
        {{4.0f, 1.0f}, 1.0f, 1, 2, 7.25, 0, 1.25f},
        // Whole rounds end at the range's end.
        {{1.0f, 1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 1, 4, 9.0, 3, 1.0f},
        // A range to the track's end goes round the whole track.
        {{1.0f, 2.0f}, 1.0f, 0, 0, 100.5, 1, 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        C3DObjectModifier* m = Colors(c.durations, c.step);
        m->SetRange(c.start, c.end, 0.0f, true);
        EXPECT_EQ(Step(m, c.frame), c.key);
        EXPECT_FLOAT_EQ(m->GetState().time, c.time);
    }
}

TEST_F(ModifierTest, KeysThatLastNothing)
{
    C3DObjectModifierDirectColor* m = Colors({0.0f, 0.0f, 0.0f});
    world.data->frameTime = 1.0;
    EXPECT_EQ(m->Update(), 1.0f); // no division by zero, no endless walk
    EXPECT_EQ(m->Update(), 1.0f);
    // Tiny keys and a long step: whole rounds are left out, the walk ends quickly.
    C3DObjectModifier* tiny = Colors({1e-30f, 2e-30f});
    world.data->frameTime = 100.0;
    const float f = tiny->Update();
    EXPECT_GE(f, 0.0f);
    EXPECT_LE(f, 1.0f);
    C3DObjectModifierDirectColor* some = Colors({0.0f, 2.0f});
    world.data->frameTime = 0.0;
    EXPECT_EQ(some->Update(), 1.0f);
    EXPECT_EQ(some->Apply(), 0xFFFFFFFFu); // f = 1 at the first key: the second key's colour
}

TEST_F(ModifierTest, SeekByRandomKeyOrByFraction)
{
    C3DObjectModifier* m = Colors({1.0f, 1.0f, 4.0f, 2.0f});
    UtilsRandom_Seed(world.data.get(), 1234);
    WorldData copy = *world.data;
    const uint32_t r1 = UtilsRandom_Next(&copy);
    const uint32_t r2 = UtilsRandom_Next(&copy);
    const uint32_t key = uint32_t(uint64_t(r1) * 4 >> 32);
    m->Seek(0.0f);
    EXPECT_EQ(m->GetState().currentKey, key);
    EXPECT_FLOAT_EQ(m->GetState().time, float(double(r2) * m->KeyDuration(key) / 4294967296.0));

    // Half of 8 frames: 2 into key 2, which starts at schedule entry 2 but is key 2.
    m->Seek(0.5f);
    EXPECT_EQ(m->GetState().currentKey, 2u);
    EXPECT_FLOAT_EQ(m->GetState().time, 2.0f);
    C3DObjectModifier* even = Colors({1.0f, 1.0f});
    even->Seek(0.5f);
    EXPECT_EQ(even->GetState().currentKey, 1u);
    EXPECT_EQ(even->GetState().time, 0.0f);
    even->Seek(1.5f); // past the end: nothing changes
    EXPECT_EQ(even->GetState().currentKey, 1u);
}

TEST_F(ModifierTest, EachValueKind)
{
    world.data->frameTime = 1.0;
    C3DObjectModifierDirectColor* color = Colors({2.0f, 2.0f});
    EXPECT_EQ(color->Apply(), 0xFF7F7F7Fu);

    C3DModifierVectorKey turn[2] = {{0, 2.0f, 3.0f, 0.0f, -3.0f}, {0, 2.0f, -3.0f, 1.0f, 3.0f}};
    auto* rotation = Make<C3DObjectModifierRotation>(kModifierRotation);
    ASSERT_EQ(rotation->CreateFromKeys(nullptr, 0, turn, 2, 0, 1.0f), kStatusOk);
    C3DVector3 angles{};
    rotation->Apply(&angles);
    const float shortWay = (2.0f * 3.14159265f - 6.0f) / 2.0f;
    EXPECT_NEAR(angles.x, 3.0f + shortWay, 1e-5f); // through pi, not through 0
    EXPECT_NEAR(angles.y, 0.5f, 1e-6f);
    EXPECT_NEAR(angles.z, -3.0f - shortWay, 1e-5f);

    C3DModifierVectorKey moves[3] = {{0, 2.0f, 5, 5, 5}, {0, 2.0f, 6, 7, 8}, {0, 2.0f, 9, 9, 9}};
    auto* position = Make<C3DObjectModifierPosition>(kModifierPosition);
    ASSERT_EQ(position->CreateFromKeys(nullptr, 0, moves, 3, 0, 1.0f), kStatusOk);
    EXPECT_EQ(moves[1].y, 2.0f); // made relative to the first key, in the caller's array
    C3DVector3 offset{9, 9, 9};
    position->Apply(&offset);
    EXPECT_EQ(offset.x, 0.0f);
    EXPECT_EQ(offset.z, 0.0f); // not interpolated towards the second key
    position->Apply(&offset);
    EXPECT_EQ(offset.x, 0.0f); // the end of the first key
    position->Apply(&offset);
    EXPECT_EQ(offset.y, 2.0f); // the second key has started

    C3DModifierScaleKey sizes[2] = {{0, 2.0f, 2.0f}, {0, 2.0f, 6.0f}};
    auto* scale = Make<C3DObjectModifierScale>(kModifierScale);
    ASSERT_EQ(scale->CreateFromKeys(nullptr, 0, sizes, 2, 0, 1.0f), kStatusOk);
    EXPECT_FLOAT_EQ(scale->Apply(), 2.0f); // 1 to 3, half-way

    C3DModifierAlphaKey fades[2] = {{0, 4.0f, 0.0f}, {0, 4.0f, 2.0f}};
    auto* alpha = Make<C3DObjectModifierDirectAlpha>(kModifierDirectAlpha);
    ASSERT_EQ(alpha->CreateFromKeys(nullptr, 0, fades, 2, 0, 1.0f), kStatusOk);
    EXPECT_EQ(alpha->Apply(), 127); // 255 x 0.5
    world.data->frameTime = 2.9;
    EXPECT_EQ(alpha->Apply(), 255); // past 1.0: held at 255
}

TEST_F(ModifierTest, SaveLoadAndStateRoundTrip)
{
    // Each key owns its entry array.
    auto* keys = static_cast<C3DModifierVertexTextureKey*>(UTILS_CALLOC(2, sizeof(C3DModifierVertexTextureKey)));
    for (uint32_t k = 0; k < 2; ++k) {
        keys[k] = {0, k ? 1.0f : 3.0f, 2,
                   static_cast<C3DModifierTriangleUVs*>(UTILS_CALLOC(2, sizeof(C3DModifierTriangleUVs)))};
        for (uint32_t j = 0; j < 2; ++j)
            keys[k].entries[j].corner[1] = C3DVector2{float(k * 2 + j), -float(k * 2 + j)};
    }
    std::vector<C3DObjectModifier*> tracks = {Colors({2.5f, 1.0f, 3.0f}, 0.5f),
                                              Make<C3DObjectModifier>(kModifierVertexTexture)};
    ASSERT_EQ(tracks[1]->CreateFromKeys(nullptr, 1, keys, 2, 0, 1.0f), kStatusOk);
    for (C3DObjectModifier* track : tracks) {
        SCOPED_TRACE(track->GetKind());
        UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
        out.Open();
        ASSERT_EQ(track->Save(&out), kStatusOk);
        ASSERT_EQ(track->SaveState(0, &out), kStatusOk);
        const uint32_t saved = out.GetSize();

        UtilsStream_Static in(kStreamRead, out.GetBlock(), saved);
        in.Open();
        uint32_t keyCount = 0;
        ASSERT_TRUE(in.Read(&keyCount, 4, 1));
        C3DObjectModifier* back = Make<C3DObjectModifier>(track->GetKind());
        ASSERT_EQ(back->Load(&in, keyCount), kStatusOk);
        ASSERT_EQ(back->LoadState(&in), kStatusOk);
        EXPECT_EQ(back->GetScheduleCount(), track->GetScheduleCount());
        EXPECT_EQ(back->KeyDuration(2), track->KeyDuration(2));

        UtilsStream_Static again(kStreamReadWriteGrowable, nullptr, 0);
        again.Open();
        ASSERT_EQ(back->Save(&again), kStatusOk);
        ASSERT_EQ(back->SaveState(0, &again), kStatusOk);
        ASSERT_EQ(again.GetSize(), saved);
        EXPECT_EQ(std::memcmp(again.GetBlock(), out.GetBlock(), saved), 0);
    }
    C3DVector2 min, max;
    tracks[1]->GetUVBounds(&min, &max);
    EXPECT_EQ(min.x, 0.0f);
    EXPECT_EQ(max.x, 3.0f);
    EXPECT_EQ(min.y, -3.0f);
    EXPECT_EQ(max.y, 0.0f);
    tracks[1]->GetKeyUVBounds(1, &min, &max);
    EXPECT_EQ(min.x, 0.0f); // the other corners are (0, 0)
    EXPECT_EQ(max.x, 3.0f);
    EXPECT_EQ(Make<C3DObjectModifier>(kModifierScale)->Save(nullptr), kStatusFailed);
}

TEST_F(ModifierTest, LoadBoundsEveryCountByTheBytesLeft)
{
    struct Case {
        const char* what;
        uint32_t kind;
        uint32_t keyCount;
        std::vector<uint32_t> words;
        Status expected;
    } cases[] = {
        {"good", kModifierScale, 1, {3, 0, 0x3F800000, 1, 0, 0, 0x40000000, 0x3F800000}, kStatusOk},
        {"version 2", kModifierScale, 1, {2, 0, 0x3F800000, 1, 0, 0, 0x40000000, 0x3F800000}, kStatusFailed},
        {"no schedule", kModifierScale, 1, {3, 0, 0x3F800000, 0, 0x40000000, 0x3F800000}, kStatusFailed},
        {"no keys", kModifierScale, 0, {3, 0, 0x3F800000, 1, 0, 0}, kStatusFailed},
        {"schedule key past the keys", kModifierScale, 1, {3, 0, 0x3F800000, 1, 1, 0, 0x40000000, 0x3F800000},
         kStatusFailed},
        {"schedule longer than the bytes", kModifierScale, 1, {3, 0, 0x3F800000, 0x10000000, 0, 0}, kStatusFailed},
        {"keys longer than the bytes", kModifierScale, 0x20000000, {3, 0, 0x3F800000, 1, 0, 0, 0, 0},
         kStatusFailed},
        {"entries longer than the bytes", kModifierVertexPosition, 1, {3, 0, 0x3F800000, 1, 0, 0, 0x08000000, 0},
         kStatusFailed},
        {"no entries", kModifierVertexPosition, 1, {3, 0, 0x3F800000, 1, 0, 0, 0, 0}, kStatusFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> words(c.words);
        UtilsStream_Static in(kStreamRead, words.data(), uint32_t(words.size() * 4));
        in.Open();
        C3DObjectModifier* m = Make<C3DObjectModifier>(c.kind);
        EXPECT_EQ(m->Load(&in, c.keyCount), c.expected);
        if (Failed(c.expected)) {
            EXPECT_EQ(m->GetKeyCount(), 0u);
        }
    }
    // A saved state that points outside this track is refused.
    C3DObjectModifier* m = Colors({1.0f, 1.0f});
    std::vector<uint32_t> state = {2, 0x3F800000, 0x3F800000, 0, 2, 5, 0, 0};
    UtilsStream_Static in(kStreamRead, state.data(), uint32_t(state.size() * 4));
    in.Open();
    EXPECT_EQ(m->LoadState(&in), kStatusFailed);
}

TEST_F(ModifierTest, VertexKindsWriteTheirGroupAndNoFurther)
{
    C3DObject* object = world.engine->CreateObject(k3DObjectNormals, 0);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->Create(2, 9, 9), kStatusOk);
    object->Lock(0, 2);
    for (uint32_t i = 0; i < 9; ++i) {
        object->SetIndex(i, i % 3);
        object->SetVertex(i, 0, 0, 0, 0xFFFFFFFF, -1.0f, -1.0f, 0, 0, 1, 0);
    }
    object->SetGroup(0, 0, 3, 0, 3, 1, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
    object->SetGroup(1, 3, 6, 3, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
    object->Unlock(1);

    // Two keys of three triangles each on group 0, which has one: only its vertices change.
    auto* keys = static_cast<C3DModifierVertexTextureKey*>(UTILS_CALLOC(2, sizeof(C3DModifierVertexTextureKey)));
    for (uint32_t k = 0; k < 2; ++k) {
        keys[k] = {0, 2.0f, 3, static_cast<C3DModifierTriangleUVs*>(UTILS_CALLOC(3, sizeof(C3DModifierTriangleUVs)))};
        for (uint32_t j = 0; j < 3; ++j)
            for (uint32_t i = 0; i < 3; ++i)
                keys[k].entries[j].corner[i] = C3DVector2{float(k * 10 + j), float(i)};
    }
    auto* uv = Make<C3DObjectModifierVertexTexture>(kModifierVertexTexture);
    ASSERT_EQ(uv->CreateFromKeys(object, 0, keys, 2, 0, 1.0f), kStatusOk);
    world.data->frameTime = 0.0;
    uv->Apply();
    EXPECT_EQ(object->GetVertexUV0(2).y, 2.0f);
    EXPECT_EQ(object->GetVertexUV0(0).x, 0.0f);
    for (uint32_t v = 3; v < 9; ++v)
        EXPECT_EQ(object->GetVertexUV0(v).x, -1.0f) << v;
    uv->SetReverse(true);
    uv->Apply(); // f = 0 and already applied: nothing is written
    EXPECT_EQ(object->GetVertexUV0(0).x, 0.0f);
    world.data->frameTime = 1.0;
    uv->Apply();
    EXPECT_EQ(object->GetVertexUV0(0).x, 10.0f); // reversed: the last key

    auto* positions = static_cast<C3DModifierVertexPositionKey*>(UTILS_CALLOC(2, sizeof(C3DModifierVertexPositionKey)));
    for (uint32_t k = 0; k < 2; ++k) {
        positions[k] = {0, 2.0f, 1,
                        static_cast<C3DModifierTrianglePositions*>(UTILS_CALLOC(1, sizeof(C3DModifierTrianglePositions)))};
        positions[k].entries[0].corner[1] = C3DVector3{float(k) * 4, 0, 0};
    }
    auto* move = Make<C3DObjectModifierVertexPosition>(kModifierVertexPosition);
    ASSERT_EQ(move->CreateFromKeys(object, 1, positions, 2, 0, 1.0f), kStatusOk);
    move->Apply();
    EXPECT_EQ(object->GetVertexPosition(4).x, 2.0f); // group 1: index 1 + base vertex 3, half-way
    EXPECT_EQ(object->GetVertexPosition(1).x, 0.0f);
    EXPECT_EQ(world.engine->ReleaseObject(object), kStatusOk);
}

} // namespace
