// A small scene through the memory back end: two objects with textures are drawn, the groups
// drawn are printed with their textures, and the unload finds nothing left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "MemoryBackEnd.h"
#include "VornelUtils/UtilsString.h"

namespace {

std::string Utf8(const std::u16string& text)
{
    return UtilsString_ToUtf8(text.c_str());
}

TEST(MemoryDemo, DrawsTheGroupsWithTheirTexturesAndUnloadsClean)
{
    CMemoryWorld world;
    CMemoryEngine& engine = *world.engine;
    const std::vector<uint8_t> grass = MemoryTga(4, 4, 40, 160, 40);
    const std::vector<uint8_t> stone = MemoryTga(2, 2, 128, 128, 128);

    // A two-group panel: grass on group 0, stone on group 1, drawn in reverse order.
    C3DObject* panel = engine.CreateObject(k3DObjectScreen, k3DDrawTexture0);
    ASSERT_EQ(panel->Create(2, 8, 8), kStatusOk);
    panel->Lock(0, 2);
    panel->ResetIndices();
    panel->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceModeClockwise, 1);
    panel->SetGroup(1, 4, 4, 4, 4, 2, kPrimitiveTriangleStrip, kFaceModeClockwise, 0);
    panel->Unlock(1);
    ASSERT_EQ(panel->MakeTextureFromAddressEx(k3DShareByName, 0, grass.data(), uint32_t(grass.size()), 0, 0,
                                              u"grass.tga"), kStatusOk);
    ASSERT_EQ(panel->MakeTextureFromAddressEx(k3DShareByName, 0, stone.data(), uint32_t(stone.size()), 1, 0,
                                              u"stone.tga"), kStatusOk);
    panel->SetPosition(100, 50, 0);
    panel->SetColor(0x80FFFFFFu);

    // A one-group sprite sharing the stone texture by name.
    C3DObject* sprite = engine.CreateObject(k3DObjectScreen, k3DDrawTexture0);
    ASSERT_EQ(sprite->Create(1, 4, 4), kStatusOk);
    sprite->Lock(0, 2);
    sprite->ResetIndices();
    sprite->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kFaceModeClockwise, kGroupIdOwnNumber);
    sprite->Unlock(1);
    ASSERT_EQ(sprite->MakeTextureFromAddress(k3DShareByName, 0, stone.data(), uint32_t(stone.size()), 0,
                                             u"stone.tga"), kStatusOk);
    EXPECT_EQ(sprite->GetTexture(0, 0), panel->GetTexture(1, 0));

    panel->Draw();
    sprite->Draw();
    ASSERT_EQ(engine.draws.size(), 3u);
    for (const CMemoryDraw& draw : engine.draws) {
        std::printf("draw %s group %u texture %s at (%g, %g) colour %08X\n", draw.object == panel ? "panel" : "sprite",
                    draw.group, draw.texture ? Utf8(draw.textureName).c_str() : "(none)", draw.matrix[12],
                    draw.matrix[13], draw.color);
    }
    EXPECT_EQ(engine.draws[0].group, 1u);
    EXPECT_EQ(engine.draws[0].textureName, u"stone.tga");
    EXPECT_EQ(engine.draws[1].group, 0u);
    EXPECT_EQ(engine.draws[1].textureName, u"grass.tga");
    EXPECT_EQ(engine.draws[0].matrix[12], 100.0f);
    EXPECT_EQ(engine.draws[0].color, 0x80FFFFFFu);
    EXPECT_EQ(engine.draws[2].textureName, u"stone.tga");

    EXPECT_EQ(engine.ReleaseObject(panel), kStatusOk);
    EXPECT_EQ(engine.ReleaseObject(sprite), kStatusOk);
    EXPECT_EQ(engine.Unload(), kStatusOk);
    for (const std::u16string& line : engine.leakLines)
        std::printf("%s", Utf8(line).c_str());
    if (engine.leakLines.empty())
        std::printf("no leaks\n");
    EXPECT_TRUE(engine.leakLines.empty());
}

} // namespace
