// Drawing into the memory back end: the quads a chunk writes, chunks of long texts, the
// shadow pass and the transforms of the table argument.
#include <cmath>

#include "FontTestSupport.h"
#include "Vornel3D/C3DObject.h"

namespace {

using FontDrawTest = MemoryFontTest;

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST_F(FontDrawTest, AChunkWritesSixCornersACharacterAndSkipsTheRest)
{
    const C3DVector3 pen = font.BuildChunk(u"a\r\tW\nb", 10.0f, 10.0f, 20.0f, 0.0f, 0, 0xFFFFFFFFu, 2.0f, 5.0f,
                                           nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(pen.x, 12.0f);  // the second line's pen
    EXPECT_FLOAT_EQ(pen.y, 30.0f);  // the bottom of the last line
    EXPECT_EQ(font.GetRemainingText(), nullptr);
    C3DObject* object = font.GetObject();
    uint32_t vertexCount = 0, primitives = 0, faceMode = 9;
    object->GetGroupFields(0, nullptr, &vertexCount, nullptr, nullptr, &primitives, nullptr, &faceMode, nullptr);
    EXPECT_EQ(vertexCount, 18u);
    EXPECT_EQ(primitives, 6u);
    EXPECT_EQ(faceMode, 1u);
    // 'W' (6 units at scale 2) follows 'a'; 'b' starts the next line at the line start.
    const struct {
        uint32_t vertex;
        float x, y;
    } corners[] = {{6, 12.0f, 20.0f}, {7, 18.0f, 20.0f}, {8, 12.0f, 25.0f}, {9, 12.0f, 25.0f},
                   {10, 18.0f, 20.0f}, {11, 18.0f, 25.0f}, {12, 10.0f, 25.0f}, {17, 12.0f, 30.0f}};
    for (const auto& c : corners) {
        const C3DVector3 p = object->GetVertexPosition(c.vertex);
        EXPECT_FLOAT_EQ(p.x, c.x) << c.vertex;
        EXPECT_FLOAT_EQ(p.y, c.y) << c.vertex;
    }
    EXPECT_NE(object->GetCreationWord() & k3DDrawAlpha, 0u);
    font.BuildChunk(u"a", 0.0f, 0.0f, 0.0f, 0.0f, 0, 0x00FFFFFFu, 1.0f, 1.0f, nullptr, nullptr, 0);
    EXPECT_EQ(object->GetCreationWord() & k3DDrawAlpha, 0u);
}

TEST_F(FontDrawTest, TurnedAndOffsetCornersLandOnTheScreen)
{
    float offsets[256][2] = {};
    offsets['a'][0] = 1.0f;
    offsets['a'][1] = 2.0f;
    C3DObject* object = font.GetObject();
    font.BuildChunk(u"a", 10.0f, 10.0f, 20.0f, 0.0f, kTextOffsets, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr, offsets,
                    sizeof offsets[0]);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(5).x, 10.0f);  // (11, 21) less (1, 2)
    EXPECT_FLOAT_EQ(object->GetVertexPosition(5).y, 19.0f);
    font.BuildChunk(u"a", 10.0f, 10.0f, 20.0f, 0.0f, kTextTurned, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(5).x, 21.0f);  // (y, screen height - x)
    EXPECT_FLOAT_EQ(object->GetVertexPosition(5).y, 600.0f - 11.0f);
    font.BuildChunk(u"a", 10.0f, 10.0f, 20.0f, 0.0f, kTextTurned | kTextOffsets, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr,
                    offsets, sizeof offsets[0]);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(5).x, 20.0f);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(5).y, 600.0f - 9.0f);
}

TEST_F(FontDrawTest, ALongTextIsDrawnInChunksOnOneLine)
{
    const std::u16string text(1500, u'a');
    const C3DVector3 end = font.DrawText(text.c_str(), 10.0f, 20.0f, 0.0f, 0, 0xFF00FF00u, 1.0f, 8.0f, nullptr,
                                         nullptr, 0);
    ASSERT_EQ(world.engine->draws.size(), 2u);
    EXPECT_FLOAT_EQ(end.x, 10.5f + 1500.0f);
    EXPECT_FLOAT_EQ(end.y, 28.0f);
    // The second chunk's first quad starts where the first chunk stopped, on the same line.
    C3DObject* object = font.GetObject();
    EXPECT_FLOAT_EQ(object->GetVertexPosition(0).x, 10.5f + 1024.0f);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(0).y, 20.0f);
    uint32_t vertexCount = 0;
    object->GetGroupFields(0, nullptr, &vertexCount, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(vertexCount, 6u * 476u);
    EXPECT_EQ(world.engine->draws[0].color, 0xFF00FF00u);
}

TEST_F(FontDrawTest, TheShadowIsABlackCopyTwoUnitsRightAndBelow)
{
    font.DrawText(u"ab", 0.0f, 0.0f, 0.0f, kTextShadow, 0x80FF4020u, 1.0f, 1.0f, nullptr, nullptr, 0);
    const auto& draws = world.engine->draws;
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].color, 0x80000000u);
    EXPECT_FLOAT_EQ(draws[0].matrix[12], 2.0f);
    EXPECT_FLOAT_EQ(draws[0].matrix[13], 2.0f);
    EXPECT_EQ(draws[1].color, 0x80FF4020u);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(draws[1].matrix[i], kIdentity[i]);
    world.engine->draws.clear();
    font.DrawText(u"ab", 0.0f, 0.0f, 0.0f, kTextShadow | kTextTurned, 0xFF000000u, 1.0f, 1.0f, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(world.engine->draws[0].matrix[13], -2.0f);
}

TEST_F(FontDrawTest, TheTableTurnsOrReplacesTheMatrixAndWithoutOneTheIdentityStays)
{
    const float angle = 0.5f;
    font.DrawText(u"a", 0.0f, 0.0f, 0.0f, kTextRotate, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr, &angle, 0);
    EXPECT_NEAR(world.engine->draws.back().matrix[0], std::cos(0.5f), 1e-6);
    float matrix[16] = {};
    matrix[0] = 2.0f;
    matrix[15] = 1.0f;
    matrix[12] = 7.0f;
    font.DrawText(u"a", 0.0f, 0.0f, 0.0f, kTextMatrix, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr, matrix, 0);
    EXPECT_FLOAT_EQ(world.engine->draws.back().matrix[12], 7.0f);
    for (uint32_t flags : {kTextRotate, kTextMatrix, kTextRotate | kTextShadow}) {
        world.engine->draws.clear();
        font.DrawText(u"a", 0.0f, 0.0f, 0.0f, flags, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr, nullptr, 0);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(world.engine->draws.back().matrix[i], kIdentity[i]) << flags;
    }
}

TEST_F(FontDrawTest, TheHitPointIsReportedAndHighlights)
{
    const C3DVector2 inside{101.0f, 52.0f}, outside{90.0f, 52.0f};
    C3DVector3 result = font.DrawText(u"ab", 100.0f, 50.0f, 0.0f, kTextHighlight, 0xFF804000u, 1.0f, 4.0f, &inside,
                                      nullptr, 0);
    EXPECT_EQ(result.z, 1.0f);
    EXPECT_EQ(world.engine->draws.back().color, 0xFFFFFF00u);
    result = font.DrawText(u"ab", 100.0f, 50.0f, 0.0f, kTextHighlight, 0xFF804000u, 1.0f, 4.0f, &outside, nullptr, 0);
    EXPECT_EQ(result.z, 0.0f);
    EXPECT_EQ(world.engine->draws.back().color, 0xFF804000u);
    // Without flags the point is tested where the text stands, and nothing is brightened.
    result = font.DrawText(u"ab", 100.0f, 50.0f, 0.0f, 0, 0xFF804000u, 1.0f, 4.0f, &inside, nullptr, 0);
    EXPECT_EQ(result.z, 1.0f);
    EXPECT_EQ(world.engine->draws.back().color, 0xFF804000u);
}

TEST_F(FontDrawTest, UpsideDownCoversTheSameBox)
{
    font.DrawText(u"ab", 100.0f, 50.0f, 0.0f, kTextUpsideDown, 0xFFFFFFFFu, 1.0f, 4.0f, nullptr, nullptr, 0);
    C3DObject* object = font.GetObject();
    // The first corner of 'a' is the box's bottom-right corner; 'b' ends at its left edge.
    EXPECT_FLOAT_EQ(object->GetVertexPosition(0).x, 102.5f);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(0).y, 54.0f);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(11).x, 100.5f);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(11).y, 50.0f);
}

TEST_F(FontDrawTest, ASecondUserSharesTheSheetAndOutlivesTheFirst)
{
    ASSERT_EQ(font.GetObject()->CreateTexture(kFontTextureKind | k3DTextureOnceOnly, kFontTextureFlags,
                                              k3DAllGroups, 0),
              kStatusOk);
    C3DTexture* sheet = font.GetTexture(0);
    ASSERT_NE(sheet, nullptr);
    CVornelFont second(world.data.get());
    ASSERT_EQ(second.Load(&font, 16), kStatusOk);
    EXPECT_EQ(second.GetTexture(0), sheet);
    EXPECT_FLOAT_EQ(second.CharWidth(u'W', 1.0f), 3.0f);
    font.Unload();
    EXPECT_EQ(second.GetTexture(0), sheet);
    EXPECT_TRUE(world.engine->GetTextureList().Find(sheet));
    second.DrawText(u"ab", 0.0f, 0.0f, 0.0f, 0, 0xFFFFFFFFu, 1.0f, 1.0f, nullptr, nullptr, 0);
    EXPECT_EQ(world.engine->draws.back().texture, sheet);
    second.Unload();
    EXPECT_FALSE(world.engine->GetTextureList().Find(sheet));
    EXPECT_EQ(CVornelFont(world.data.get()).Load(&font, 16), kStatusFailed);  // an unloaded source
}

}  // namespace
