// Direct3D 9 objects: vertices in Direct3D's layout, the recorded state block, and which
// group record a draw takes its range from.
#include "DX9TestSupport.h"

#include "Vornel3D_DX9/C3DObjectBase_DX90.h"

namespace {

class DX9ObjectTest : public DX9EngineTest {
protected:
    void SetUp() override { Open(128, 96); }

    DWORD State(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEFu;
        Device()->GetRenderState(state, &value);
        return value;
    }

    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type)
    {
        DWORD value = 0xDEADBEEFu;
        Device()->GetTextureStageState(stage, type, &value);
        return value;
    }
};

}  // namespace

TEST_F(DX9ObjectTest, VerticesReachTheDeviceBufferInDirect3DLayout)
{
    auto* object = static_cast<C3DObjectBase_DX90*>(m_engine->CreateObject(0x04, 0));
    ASSERT_EQ(object->Create(1, 2, 3), 0);
    object->Lock(0, 2);
    object->SetVertex(1, 1.0f, 2.0f, 3.0f, 0x80112233u, 0.25f, 0.75f, 0.0f, 0.0f, -1.0f, 0xFF445566u);
    object->SetVertexUV1(1, 0.5f, 0.125f);
    object->SetVertex(7, 9.0f, 9.0f, 9.0f, 0, 0, 0, 0, 0, 0, 0);  // past the vertices: ignored
    object->Unlock(1);
    EXPECT_EQ(object->GetVertexColor(1), 0x80112233u);
    EXPECT_EQ(object->GetVertexUV0(1).y, 0.75f);

    void* bytes = nullptr;
    ASSERT_EQ(object->GetVertexBuffer()->Lock(0, 0, &bytes, D3DLOCK_READONLY), D3D_OK);
    const auto* words = static_cast<const uint32_t*>(bytes) + 12;  // vertex 1 of 48 bytes
    const auto* floats = reinterpret_cast<const float*>(words);
    EXPECT_EQ(floats[0], 1.0f);
    EXPECT_EQ(floats[5], -1.0f);
    EXPECT_EQ(words[6], 0x80112233u);  // D3DCOLOR: ARGB as one word
    EXPECT_EQ(words[7], 0xFF445566u);
    EXPECT_EQ(floats[8], 0.25f);
    EXPECT_EQ(floats[9], 0.75f);      // v from the top, as given
    EXPECT_EQ(floats[10], 0.5f);
    EXPECT_EQ(floats[11], 0.125f);
    object->GetVertexBuffer()->Unlock();
    uint8_t stride = 0;
    EXPECT_NE(object->GetVertexData(&stride), nullptr);
    EXPECT_EQ(stride, 48);
}

TEST_F(DX9ObjectTest, TheStateBlockFollowsTheCreationWord)
{
    m_world->lighting = {1, 1};
    m_world->colorAmbient = 0xFF102030u;
    C3DObject* object = MakeQuad(0x400 | 0x02 | 0x2000 | 0x20000 | 0x800 | 0x8000, 0, 0, 8, 8, 0xFFFFFFFFu, nullptr);
    ASSERT_NE(object, nullptr);
    object->SetColor(0xFF00FF00u);
    auto* dx = static_cast<C3DObjectBase_DX90*>(object);
    ASSERT_NE(dx->GetStateBlock(), nullptr);
    Device()->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
    object->SetShaderConstants();
    EXPECT_EQ(State(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
    EXPECT_EQ(State(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(State(D3DRS_ALPHAREF), 1u);
    EXPECT_EQ(State(D3DRS_LIGHTING), DWORD(TRUE));
    EXPECT_EQ(State(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
    EXPECT_EQ(State(D3DRS_AMBIENT), 0xFF102030u);
    EXPECT_EQ(State(D3DRS_TEXTUREFACTOR), 0xFF00FF00u);
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_TFACTOR));
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TEXTURE));
    // Every stage reads the first coordinate set.
    EXPECT_EQ(StageState(1, D3DTSS_TEXCOORDINDEX), 0u);
    EXPECT_EQ(StageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));

    // Without 0x400 the block is recorded but a draw never applies it.
    C3DObject* plain = MakeQuad(0x2000, 0, 0, 8, 8, 0xFFFFFFFFu, nullptr);
    Device()->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
    m_engine->BeginScene();
    plain->Draw();
    m_engine->EndScene();
    EXPECT_EQ(State(D3DRS_ALPHAFUNC), DWORD(D3DCMP_NEVER));
}

TEST_F(DX9ObjectTest, ARecordNamingAnotherGroupDrawsThatGroupsRange)
{
    // Record 0 names group 1: both positions draw group 1's quad on the right, with group 1's
    // texture, and the left quad of record 0's own range stays empty.
    m_world->colorClear = 0xFF000000u;
    const std::vector<uint8_t> red = {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0};
    C3DTexture* texture = MakeTexture(0, 0x08, 2, 2, 24, red);
    C3DObject* object = m_engine->CreateObject(0x10, 0x800);
    ASSERT_EQ(object->Create(2, 8, 8), 0);
    object->Lock(0, 2);
    object->ResetIndices();
    const float left[2] = {10, 60};
    for (uint32_t q = 0; q < 2; ++q)
        for (uint32_t k = 0; k < 4; ++k)
            object->SetVertex(4 * q + k, left[q] + float(k % 2) * 20, 10 + float(k / 2) * 20, 0, 0xFFFFFFFFu,
                              float(k % 2), float(k / 2), 0, 0, 0, 0);
    object->SetGroup(0, 0, 8, 0, 4, 2, 0, 0, 1);
    object->SetGroup(1, 0, 8, 4, 4, 2, 0, 0, 0xFFFFFFFFu);
    object->SetTexture(texture, 1, 0);
    object->Unlock(1);
    m_engine->BeginScene();
    object->Draw();
    EXPECT_EQ(Pixel(20, 20), (Rgb{0, 0, 0}));
    EXPECT_EQ(Pixel(70, 20), (Rgb{255, 0, 0}));
    m_engine->EndScene();
}
