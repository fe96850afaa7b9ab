// Frames drawn through the Direct3D 9 engine and read back from the back buffer.
#include "DX9TestSupport.h"

#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_DX9/C3DObjectBase_DX90.h"
#include "Vornel3D_DX9/C3DObjectIndex_DX90.h"
#include "Vornel3D_DX9/C3DTextureDX90.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A 4 x 2 picture, top row red, green, blue, white; bottom row black, yellow, cyan, magenta;
// stored bottom row first as raw images are.
const Rgb kTopRow[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
const Rgb kBottomRow[4] = {{0, 0, 0}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

std::vector<uint8_t> AsymmetricPicture()
{
    std::vector<uint8_t> pixels;
    for (const Rgb* row : {kBottomRow, kTopRow})
        for (int i = 0; i < 4; ++i)
            pixels.insert(pixels.end(), {row[i].r, row[i].g, row[i].b});
    return pixels;
}

class DX9RenderTest : public DX9EngineTest {
protected:
    void SetUp() override { Open(128, 96); }
};

}  // namespace

TEST_F(DX9RenderTest, ClearFillsTheFrameWithTheClearColour)
{
    m_world->colorClear = 0xFF336699u;
    ASSERT_EQ(m_engine->BeginScene(), 0);
    const std::vector<uint32_t> frame = Frame();
    ASSERT_EQ(frame.size(), size_t(128 * 96));
    for (size_t at : {size_t(0), size_t(127 + 95 * 128), size_t(64 + 40 * 128)})
        EXPECT_EQ(Split(frame[at]), (Rgb{0x33, 0x66, 0x99})) << at;
    EXPECT_EQ(m_engine->EndScene(), 0);
    EXPECT_EQ(m_engine->GetPresentedFrames(), 1u);
}

TEST_F(DX9RenderTest, ScissorLimitsTheClearToItsRectangle)
{
    m_world->colorClear = 0xFFFF0000u;
    m_engine->Clear();
    m_engine->GetView()->SetScissor(10, 20, 30, 40);
    RECT rect{};
    Device()->GetScissorRect(&rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 40);
    EXPECT_EQ(rect.bottom, 60);
    m_world->colorClear = 0xFF00FF00u;
    m_engine->Clear();
    const Rgb red{255, 0, 0}, green{0, 255, 0};
    EXPECT_EQ(Pixel(10, 20), green);
    EXPECT_EQ(Pixel(39, 59), green);
    EXPECT_EQ(Pixel(9, 20), red);
    EXPECT_EQ(Pixel(10, 19), red);
    EXPECT_EQ(Pixel(40, 59), red);
    EXPECT_EQ(Pixel(39, 60), red);
    m_engine->GetView()->DisableScissor();
    m_engine->Clear();
    EXPECT_EQ(Pixel(0, 0), green);
}

TEST_F(DX9RenderTest, NearestTexturedScreenQuadLandsOnItsPixels)
{
    m_world->colorClear = 0xFF000080u;
    C3DTexture* texture = MakeTexture(0, kDX9TexMinPoint | kDX9TexMagPoint, 4, 2, 24, AsymmetricPicture());
    // Pixel centres lie on whole coordinates here: a quad from 15.5 to 23.5 covers the
    // centres 16 to 23 and samples each at the middle of its half texel.
    C3DObject* quad = MakeQuad(0x800, 15.5f, 7.5f, 8, 4, kWhite, texture);
    ASSERT_NE(quad, nullptr);
    ASSERT_EQ(m_engine->BeginScene(), 0);
    quad->Draw();
    const std::vector<uint32_t> frame = Frame();
    ASSERT_EQ(frame.size(), size_t(128 * 96));
    auto at = [&](int x, int y) { return Split(frame[size_t(y) * 128 + x]); };
    // Each texel covers 2 x 2 pixels; the picture's top row is at the quad's top.
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 8; ++i) {
            const Rgb* row = j < 2 ? kTopRow : kBottomRow;
            EXPECT_EQ(at(16 + i, 8 + j), row[i / 2]) << "pixel " << i << ", " << j;
        }
    }
    const Rgb background{0, 0, 0x80};
    EXPECT_EQ(at(15, 8), background);
    EXPECT_EQ(at(24, 8), background);
    EXPECT_EQ(at(16, 7), background);
    EXPECT_EQ(at(16, 12), background);
    m_engine->EndScene();
}

TEST_F(DX9RenderTest, HalfTransparentSpriteBlendsOverTheBackground)
{
    m_world->colorClear = 0xFF0000FFu;
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 4; ++i)
        pixels.insert(pixels.end(), {255, 0, 0, 0x80});
    C3DTexture* sprite = MakeTexture(0, kDX9TexAlpha | kDX9TexMinPoint | kDX9TexMagPoint, 2, 2, 32, pixels);
    C3DObject* quad = MakeQuad(0x08 | 0x800, 40, 30, 20, 20, kWhite, sprite);
    ASSERT_NE(quad, nullptr);
    m_engine->BeginScene();
    quad->Draw();
    const Rgb c = Pixel(50, 40);
    EXPECT_NEAR(c.r, 128, 2);
    EXPECT_EQ(c.g, 0);
    EXPECT_NEAR(c.b, 127, 2);
    EXPECT_EQ(Pixel(39, 40), (Rgb{0, 0, 255}));
    m_engine->EndScene();

    // Without the alpha-blending bit in the creation word the sprite covers the background.
    C3DObject* opaque = MakeQuad(0x800, 40, 30, 20, 20, kWhite, sprite);
    m_engine->BeginScene();
    opaque->Draw();
    EXPECT_EQ(Pixel(50, 40), (Rgb{255, 0, 0}));
    m_engine->EndScene();
}

TEST_F(DX9RenderTest, ObjectColourAtDrawColoursEveryVertex)
{
    m_world->colorClear = 0xFF000000u;
    const uint32_t corners[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    C3DObject* quad = MakeQuad(0x400 | 0x20000, 10, 10, 20, 20, corners, nullptr);
    ASSERT_NE(quad, nullptr);
    EXPECT_TRUE(quad->GetFlags() & 0x20000);
    quad->SetColor(0xFF40C080u);
    // The vertex colours are white here so that the texture factor alone shows.
    quad->Lock(0, 2);
    for (uint32_t i = 0; i < 4; ++i)
        quad->SetVertexColor(i, kWhite);
    quad->Unlock(1);
    m_engine->BeginScene();
    quad->Draw();
    for (const auto& p : {std::pair<int, int>{10, 10}, {29, 10}, {10, 29}, {29, 29}, {20, 20}})
        EXPECT_EQ(Pixel(p.first, p.second), (Rgb{0x40, 0xC0, 0x80})) << p.first << ", " << p.second;
    m_engine->EndScene();
}

TEST_F(DX9RenderTest, FaceModesCullTheBackFaceOfTheirWinding)
{
    struct Case {
        uint32_t faceMode;
        bool clockwise;
        bool drawn;
    };
    const Case cases[] = {
        {0, true, true}, {1, true, true}, {2, true, false},
        {0, false, true}, {1, false, false}, {2, false, true},
    };
    m_world->colorClear = 0xFF000000u;
    for (const Case& c : cases) {
        // Mirroring the quad left to right turns its winding round.
        C3DObject* quad = c.clockwise ? MakeQuad(0, 20, 20, 30, 30, 0xFFFFFF00u, nullptr, c.faceMode)
                                      : MakeQuad(0, 50, 20, -30, 30, 0xFFFFFF00u, nullptr, c.faceMode);
        ASSERT_NE(quad, nullptr);
        m_engine->BeginScene();
        quad->Draw();
        const Rgb expected = c.drawn ? Rgb{255, 255, 0} : Rgb{0, 0, 0};
        EXPECT_EQ(Pixel(35, 35), expected) << "face mode " << c.faceMode << (c.clockwise ? " clockwise" : " anticlockwise");
        m_engine->EndScene();
        m_engine->ReleaseObject(quad);
    }
}

TEST_F(DX9RenderTest, DepthTestKeepsTheNearerQuad)
{
    // The camera's distances (1 and 20000) are no depth range for the device: the viewport
    // keeps 0..1, so a farther quad drawn later stays behind.
    m_world->colorClear = 0xFF000000u;
    C3DObject* nearQuad = MakeQuad(0x8000 | 0x10000, 10, 10, 20, 20, 0xFFFF0000u, nullptr);
    C3DObject* farQuad = MakeQuad(0x8000 | 0x10000, 20, 20, 20, 20, 0xFF00FF00u, nullptr);
    ASSERT_NE(nearQuad, nullptr);
    ASSERT_NE(farQuad, nullptr);
    nearQuad->Translate(0, 0, -100);
    farQuad->Translate(0, 0, 100);
    D3DVIEWPORT9 viewport;
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.MinZ, 0.0f);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    m_engine->BeginScene();
    nearQuad->Draw();
    farQuad->Draw();
    EXPECT_EQ(Pixel(25, 25), (Rgb{255, 0, 0}));
    EXPECT_EQ(Pixel(35, 35), (Rgb{0, 255, 0}));
    m_engine->EndScene();
}

TEST_F(DX9RenderTest, IndexDrawCountsFollowThePrimitiveType)
{
    struct Case {
        uint32_t type, primitives, indices;
    };
    const Case cases[] = {{0, 2, 4}, {1, 2, 6}, {2, 3, 5}, {3, 2, 4}, {4, 3, 4}, {5, 7, 7}, {6, 3, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(C3DObjectBase_DX90::DrawCount(c.type, c.primitives), c.indices) << c.type;

    // A list of two triangles drawn from a 32-bit buffer of six indices: the second triangle
    // is drawn only when the primitive count reaches it.
    m_world->colorClear = 0xFF000000u;
    C3DObject* object = m_engine->CreateObject(0x10, 0);
    ASSERT_EQ(object->Create(1, 6, 6), 0);
    object->Lock(0, 2);
    object->ResetIndices();
    const float corners[6][2] = {{10, 10}, {30, 10}, {10, 30}, {60, 10}, {80, 10}, {60, 30}};
    for (uint32_t i = 0; i < 6; ++i)
        object->SetVertex(i, corners[i][0], corners[i][1], 0, 0xFF00FF00u, 0, 0, 0, 0, 0, 0);
    object->SetGroup(0, 0, 6, 0, 6, 1, 1, 0, 0xFFFFFFFFu);
    object->Unlock(1);
    for (uint32_t primitives : {1u, 2u}) {
        object->SetGroup(0, 0, 6, 0, 3 * primitives, primitives, 1, 0, 0xFFFFFFFFu);
        m_engine->BeginScene();
        object->Draw();
        EXPECT_EQ(Pixel(14, 14), (Rgb{0, 255, 0})) << primitives;
        const Rgb second = primitives == 2 ? Rgb{0, 255, 0} : Rgb{0, 0, 0};
        EXPECT_EQ(Pixel(64, 14), second) << primitives;
        m_engine->EndScene();
    }
}

TEST_F(DX9RenderTest, GroupsPastTheirBuffersDrawNothing)
{
    // A group whose indices reach past the vertices, one past the index list, and one whose
    // record names a group that does not exist: none reaches the device, the good one draws.
    m_world->colorClear = 0xFF000000u;
    C3DObject* object = m_engine->CreateObject(0x10, 0);
    ASSERT_EQ(object->Create(4, 4, 8), 0);
    object->Lock(0, 2);
    object->ResetIndices();
    for (uint32_t i = 4; i < 8; ++i)
        object->SetIndex(i, i - 4);
    object->SetIndex(7, 40);
    object->SetVertex(0, 10, 10, 0, 0xFFFF0000u, 0, 0, 0, 0, 0, 0);
    object->SetVertex(1, 40, 10, 0, 0xFFFF0000u, 0, 0, 0, 0, 0, 0);
    object->SetVertex(2, 10, 40, 0, 0xFFFF0000u, 0, 0, 0, 0, 0, 0);
    object->SetVertex(3, 40, 40, 0, 0xFFFF0000u, 0, 0, 0, 0, 0, 0);
    object->SetGroup(0, 0, 4, 4, 4, 2, 0, 0, 0xFFFFFFFFu);  // index 7 is 40
    object->SetGroup(1, 0, 4, 6, 6, 4, 0, 0, 0xFFFFFFFFu);  // past the 8 indices
    object->SetGroup(2, 0, 4, 0, 4, 2, 0, 0, 9);            // names group 9
    object->Unlock(1);
    m_engine->BeginScene();
    object->Draw();
    EXPECT_EQ(Pixel(20, 20), (Rgb{0, 0, 0}));
    object->SetGroup(3, 0, 4, 0, 4, 2, 0, 0, 0xFFFFFFFFu);
    object->Draw();
    EXPECT_EQ(Pixel(20, 20), (Rgb{255, 0, 0}));
    m_engine->EndScene();
}

TEST_F(DX9RenderTest, AGroupWhoseVertexCountFallsShortDrawsEveryVertexItsIndicesUse)
{
    // A model file's group may give fewer vertices than its indices reach; the device is told
    // of all of them, as it copies or transforms only the vertices it is told of.
    m_world->colorClear = 0xFF000000u;
    C3DObject* quad = MakeQuad(0, 20, 20, 40, 40, 0xFF00FF00u, nullptr);
    ASSERT_NE(quad, nullptr);
    quad->SetGroup(0, 0, 1, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
    ASSERT_EQ(m_engine->BeginScene(), 0);
    quad->Draw();
    for (const auto& inside : {std::make_pair(24, 24), std::make_pair(56, 24), std::make_pair(24, 56),
                               std::make_pair(56, 56)})
        EXPECT_EQ(Pixel(inside.first, inside.second), (Rgb{0, 255, 0})) << inside.first << ", " << inside.second;
    m_engine->EndScene();
}

TEST_F(DX9RenderTest, AnObjectWithoutItsIndexBufferDrawsNothingThroughAnyPath)
{
    m_world->colorClear = 0xFF000000u;
    C3DObject* other = MakeQuad(0, 10, 10, 20, 20, 0xFFFF0000u, nullptr);
    C3DObject* broken = MakeQuad(0, 60, 10, 20, 20, 0xFF00FF00u, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(broken, nullptr);
    // Its index buffer cannot be made again: the indices stay in memory, the vertices and their
    // buffer stay from before.
    void* block = m_world->pRendererBlock;
    m_world->pRendererBlock = nullptr;
    EXPECT_EQ(broken->Create(1, 4, 4), kStatusFailed);
    m_world->pRendererBlock = block;
    broken->Lock(0, 2);
    broken->ResetIndices();
    broken->SetGroup(0, 0, 4, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
    broken->Unlock(1);
    ASSERT_NE(DX9IndexOf(broken->GetObjectIndex()), nullptr);
    ASSERT_EQ(DX9IndexOf(broken->GetObjectIndex())->GetIndexBuffer(), nullptr);
    ASSERT_NE(static_cast<C3DObjectBase_DX90*>(broken)->GetVertexBuffer(), nullptr);

    struct Path {
        const char* name;
        void (*draw)(C3DObject*);
    } paths[] = {
        {"Draw", [](C3DObject* o) { o->Draw(); }},
        {"DrawEx", [](C3DObject* o) { o->DrawEx(0); }},
        {"DrawGeometry", [](C3DObject* o) { o->DrawGeometry(); }},
        {"DrawGroupGeometry", [](C3DObject* o) { o->DrawGroupGeometry(0); }},
        {"PrepareGroup, DrawGroup", [](C3DObject* o) {
             o->PrepareGroup(0);
             o->DrawGroup(0);
         }},
    };
    for (const Path& path : paths) {
        ASSERT_EQ(m_engine->BeginScene(), 0);
        // The other object's indices are left current.
        other->Draw();
        EXPECT_EQ(Pixel(20, 20), (Rgb{255, 0, 0})) << path.name;
        m_engine->Clear();
        path.draw(broken);
        EXPECT_EQ(Pixel(70, 20), (Rgb{0, 0, 0})) << path.name;
        EXPECT_EQ(Pixel(20, 20), (Rgb{0, 0, 0})) << path.name;
        m_engine->EndScene();
    }
}

TEST_F(DX9RenderTest, ClearBuffersClearsThroughWriteMasksLeftOff)
{
    m_world->colorClear = 0xFF00FF00u;
    m_engine->Clear();
    m_engine->SetColorMask(0, 0, 0, 0);
    Device()->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Device()->SetRenderState(D3DRS_STENCILWRITEMASK, 0);
    m_world->colorClear = 0xFFFF0000u;
    EXPECT_EQ(m_engine->ClearBuffers(1, 1, 1), 0);
    EXPECT_EQ(Pixel(5, 5), (Rgb{255, 0, 0}));
    DWORD mask = 0;
    Device()->GetRenderState(D3DRS_COLORWRITEENABLE, &mask);
    EXPECT_EQ(mask, 0xFu);
}

TEST_F(DX9RenderTest, ForcedResetKeepsEveryObjectAndTextureDrawable)
{
    m_world->colorClear = 0xFF000080u;
    C3DTexture* texture = MakeTexture(0, kDX9TexMinPoint | kDX9TexMagPoint, 4, 2, 24, AsymmetricPicture());
    C3DObject* textured = MakeQuad(0x400 | 0x800, 15.5f, 7.5f, 8, 4, kWhite, texture);
    C3DObject* plain = MakeQuad(0x400, 40, 40, 10, 10, 0xFFFFFF00u, nullptr);
    ASSERT_NE(textured, nullptr);
    ASSERT_NE(plain, nullptr);
    auto* block = static_cast<C3DObjectBase_DX90*>(textured);
    ASSERT_NE(block->GetStateBlock(), nullptr);

    m_engine->BeginScene();
    textured->Draw();
    // Mid-scene the display changes: every object drops its state block, the device is reset
    // with new presentation parameters and the blocks are recorded again.
    m_engine->EndScene();
    ASSERT_EQ(m_engine->Invalidate(1), 0);
    EXPECT_EQ(block->GetStateBlock(), nullptr);
    ASSERT_EQ(m_engine->Init(m_window, 96, 64, 0, 32, 1), 0);
    EXPECT_EQ(m_engine->GetBlock().presentation.BackBufferWidth, 96u);
    EXPECT_NE(block->GetStateBlock(), nullptr);
    m_width = 96;
    m_height = 64;
    // The screen projection follows the new display size, as the window code has it do.
    m_engine->GetView()->ComputeProjection();

    m_engine->BeginScene();
    textured->Draw();
    plain->Draw();
    EXPECT_EQ(Pixel(16, 8), kTopRow[0]);
    EXPECT_EQ(Pixel(23, 11), kBottomRow[3]);
    EXPECT_EQ(Pixel(45, 45), (Rgb{255, 255, 0}));
    EXPECT_EQ(Pixel(60, 30), (Rgb{0, 0, 0x80}));
    EXPECT_EQ(m_engine->EndScene(), 0);
}

TEST_F(DX9RenderTest, LostDeviceDrawsNothingUntilItIsReset)
{
    C3DObject* quad = MakeQuad(0x400, 10, 10, 10, 10, 0xFFFFFF00u, nullptr);
    ASSERT_NE(quad, nullptr);
    // The objects lose their state blocks as a lost device's recovery begins; until the reset
    // records them again no object may draw or apply one.
    m_engine->Invalidate(1);
    const_cast<C3DRendererBlockDX90&>(m_engine->GetBlock()).deviceLost = 1;
    EXPECT_EQ(m_engine->ClearBuffers(1, 0, 0), kStatusFailed);
    quad->Draw();
    quad->Upload();
    EXPECT_EQ(static_cast<C3DObjectBase_DX90*>(quad)->GetStateBlock(), nullptr);
    // D3DERR_DEVICENOTRESET runs the reset and the restore.
    EXPECT_EQ(m_engine->HandleDeviceError(D3DERR_DEVICENOTRESET), 0);
    EXPECT_EQ(m_engine->GetBlock().deviceLost, 0);
    EXPECT_NE(static_cast<C3DObjectBase_DX90*>(quad)->GetStateBlock(), nullptr);
    m_world->colorClear = 0xFF000000u;
    m_engine->BeginScene();
    quad->Draw();
    EXPECT_EQ(Pixel(15, 15), (Rgb{255, 255, 0}));
    m_engine->EndScene();
    EXPECT_EQ(m_engine->HandleDeviceError(E_FAIL), kStatusFailed);
}

TEST_F(DX9RenderTest, ALostFrameIsSkippedAndTheNextOneDraws)
{
    C3DObject* quad = MakeQuad(0, 10, 10, 10, 10, 0xFFFFFF00u, nullptr);
    ASSERT_NE(quad, nullptr);
    m_world->colorClear = 0xFF000000u;
    m_engine->BeginScene();
    // A present that reports the device lost: the frame is given up and nothing is drawn
    // until the device answers again.
    EXPECT_EQ(m_engine->HandleDeviceError(D3DERR_DEVICELOST), 0);
    EXPECT_EQ(m_engine->GetBlock().deviceLost, 1);
    quad->Draw();
    EXPECT_EQ(Pixel(15, 15), (Rgb{0, 0, 0}));
    m_engine->EndScene();
    ASSERT_EQ(m_engine->BeginScene(), 0);
    EXPECT_EQ(m_engine->GetBlock().deviceLost, 0);
    quad->Draw();
    EXPECT_EQ(Pixel(15, 15), (Rgb{255, 255, 0}));
    EXPECT_EQ(m_engine->EndScene(), 0);
}

TEST_F(DX9RenderTest, EveryKindDrawsThroughEveryDrawPath)
{
    // Every layout through every draw path, with the render bits that touch lighting, fog,
    // depth, wireframe and the further stages; each frame is presented.
    C3DTexture* texture = MakeTexture(0, 0x20, 4, 2, 24, AsymmetricPicture());
    m_world->fog.enabled = {1, 1};
    m_world->light1.enabled = {1, 1};
    const uint32_t creations[] = {0x800, 0x1000 | 0x01 | 0x02 | 0x04 | 0x20, 0x20000 | 0x800, 0x400 | 0x8000 | 0x10000,
                                  0x4000 | 0x800 | 0x2000 | 0x400};
    for (uint32_t kind : {0x02u, 0x04u, 0x08u, 0x10u}) {
        for (uint32_t creation : creations) {
            C3DObject* object = m_engine->CreateObject(kind, creation);
            ASSERT_NE(object, nullptr);
            ASSERT_EQ(object->Create(2, 4, 8), 0);
            object->Lock(0, 2);
            object->ResetIndices();
            for (uint32_t i = 0; i < 4; ++i)
                object->SetVertex(i, float(i % 2) * 20, float(i / 2) * 20, 5, 0xFF808080u, float(i % 2), float(i / 2),
                                  0, 0, -1, 0xFF000000u);
            object->SetGroup(0, 0, 4, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
            object->SetGroup(1, 0, 4, 4, 4, 3, 4, 0, 0xFFFFFFFFu);
            object->SetTextureAllGroups(texture, 0);
            object->SetTextureAllGroups(texture, 1);
            object->Unlock(1);
            ASSERT_EQ(m_engine->BeginScene(), 0);
            object->Draw();
            object->DrawEx(1);
            object->DrawGeometry();
            object->DrawGroupGeometry(0);
            object->PrepareGroup(0);
            object->DrawGroup(0);
            object->FinishGroup(0);
            EXPECT_EQ(m_engine->EndScene(), 0) << "kind " << kind << " creation " << std::hex << creation;
            EXPECT_EQ(m_engine->ReleaseObject(object), 0);
        }
    }
}

TEST_F(DX9RenderTest, DemoSceneIsWrittenAsPng)
{
    // The small scene of the other renderer's demo, drawn through this one: a tiled
    // background, shaded quads and a half-transparent sprite.
    m_world->colorClear = 0xFF102030u;
    std::vector<uint8_t> checker;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t v = ((x + y) & 1) ? 200 : 90;
            checker.insert(checker.end(), {v, uint8_t(v / 2), uint8_t(255 - v)});
        }
    C3DTexture* tiles = MakeTexture(0, kDX9TexMagPoint | kDX9TexWrapU | kDX9TexWrapV, 8, 8, 24, checker);
    C3DTexture* picture = MakeTexture(0, kDX9TexMinPoint | kDX9TexMagPoint, 4, 2, 24, AsymmetricPicture());
    std::vector<uint8_t> disc;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = x - 8, dy = y - 8;
            disc.insert(disc.end(), {255, 240, 80, uint8_t(dx * dx + dy * dy < 56 ? 0xA0 : 0)});
        }
    C3DTexture* sprite = MakeTexture(0, kDX9TexAlpha, 16, 16, 32, disc);
    C3DObject* background = MakeQuad(0x800, 0, 0, 128, 96, kWhite, tiles);
    const uint32_t shades[4] = {0xFFFFFFFFu, 0xFFFF8080u, 0xFF80FF80u, 0xFF8080FFu};
    C3DObject* framed = MakeQuad(0x800, 8, 8, 48, 24, shades, picture);
    C3DObject* glow = MakeQuad(0x08 | 0x800, 60, 30, 56, 56, kWhite, sprite);
    m_engine->BeginScene();
    background->Draw();
    framed->Draw();
    glow->Draw();

    const std::vector<uint32_t> frame = Frame();
    ASSERT_EQ(frame.size(), size_t(m_width) * m_height);
    // Raw images keep their rows bottom-up.
    std::vector<uint8_t> rgb;
    for (int y = m_height - 1; y >= 0; --y)
        for (int x = 0; x < m_width; ++x) {
            const Rgb c = Split(frame[size_t(y) * m_width + x]);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    auto image = std::make_unique<C3DTextureRaw>(m_world.get());
    ASSERT_EQ(image->SetPixelsCopy(uint16_t(m_width), uint16_t(m_height), 24, rgb.data()), 0);
    const std::u16string path = UtilsString_FromUtf8(VORNEL_BINARY_DIR "/dx9_demo_scene.png");
    EXPECT_EQ(image->SaveToFile(path.c_str(), false), 0);
    image->Release();
    const Rgb corner = Pixel(10, 10);
    EXPECT_GT(corner.r, 230);
    EXPECT_LT(corner.g + corner.b, 20);
    m_engine->EndScene();
}
