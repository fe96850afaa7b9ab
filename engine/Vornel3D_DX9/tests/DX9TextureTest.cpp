// Direct3D 9 textures: raw pixels by depth, the stage states of Select, rewrites and copies
// of the back buffer.
#include "DX9TestSupport.h"

#include "Vornel3D_DX9/C3DTextureDX90.h"

namespace {

class DX9TextureTest : public DX9EngineTest {
protected:
    void SetUp() override { Open(128, 96); }

    C3DTextureDX90* Make(uint32_t second, uint16_t width, uint16_t height, uint8_t depth,
                         const std::vector<uint8_t>& pixels)
    {
        return static_cast<C3DTextureDX90*>(MakeTexture(0, second, width, height, depth, pixels));
    }

    // The bytes of level 0, rows from the top, each row `rowBytes` long.
    static std::vector<uint8_t> Texels(C3DTextureDX90* texture, uint32_t rowBytes)
    {
        std::vector<uint8_t> bytes;
        IDirect3DTexture9* device = texture->GetDeviceTexture();
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        if (!device || FAILED(device->GetLevelDesc(0, &desc)) || FAILED(device->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
            return bytes;
        for (UINT y = 0; y < desc.Height; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
            bytes.insert(bytes.end(), row, row + rowBytes);
        }
        device->UnlockRect(0);
        return bytes;
    }

    DWORD Sampler(DWORD stage, D3DSAMPLERSTATETYPE type)
    {
        DWORD value = 0xDEADBEEFu;
        Device()->GetSamplerState(stage, type, &value);
        return value;
    }

    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type)
    {
        DWORD value = 0xDEADBEEFu;
        Device()->GetTextureStageState(stage, type, &value);
        return value;
    }

    DWORD State(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEFu;
        Device()->GetRenderState(state, &value);
        return value;
    }
};

}  // namespace

TEST_F(DX9TextureTest, RawDepthsBecomeTheirFormatsWithTheLastRowFirst)
{
    struct Case {
        uint8_t depth;
        D3DFORMAT format;
        std::vector<uint8_t> raw;      // 2 x 2, bottom row first
        std::vector<uint8_t> texels;   // rows from the top
    };
    const Case cases[] = {
        {8, D3DFMT_A8L8, {1, 2, 3, 4}, {3, 0xFF, 4, 0xFF, 1, 0xFF, 2, 0xFF}},
        {16, D3DFMT_A8L8, {1, 9, 2, 8, 3, 7, 4, 6}, {3, 7, 4, 6, 1, 9, 2, 8}},
        {24, D3DFMT_X8R8G8B8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {9, 8, 7, 0xFF, 12, 11, 10, 0xFF, 3, 2, 1, 0xFF, 6, 5, 4, 0xFF}},
        {32, D3DFMT_A8R8G8B8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         {11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8}},
    };
    for (const Case& c : cases) {
        C3DTextureDX90* texture = Make(0, 2, 2, c.depth, c.raw);
        ASSERT_NE(texture->GetDeviceTexture(), nullptr) << int(c.depth);
        D3DSURFACE_DESC desc;
        texture->GetDeviceTexture()->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, c.format) << int(c.depth);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(texture->GetDeviceTexture()->GetLevelCount(), 1u);
        EXPECT_EQ(Texels(texture, uint32_t(c.texels.size() / 2)), c.texels) << int(c.depth);
        EXPECT_TRUE(texture->IsLoaded());
    }
}

TEST_F(DX9TextureTest, AnUnknownDepthFailsAfterTheOldTextureWent)
{
    C3DTextureDX90* texture = Make(0, 2, 2, 24, std::vector<uint8_t>(12, 7));
    ASSERT_NE(texture->GetDeviceTexture(), nullptr);
    const std::vector<uint8_t> pixels(8, 1);
    EXPECT_EQ(texture->MakeFromRaw(2, 2, 12, pixels.data(), u"odd.raw"), kStatusFailed);
    EXPECT_EQ(texture->GetDeviceTexture(), nullptr);
    EXPECT_EQ(texture->Clear(), 0);
    EXPECT_FALSE(texture->IsLoaded());
}

TEST_F(DX9TextureTest, AnImageWiderThanTheDeviceAllowsIsRefused)
{
    // D3DX makes the texture as wide as the device allows, narrower than the image: its rows
    // would be written past the texture's end.
    const DWORD widest = m_engine->GetBlock().caps.MaxTextureWidth;
    if (widest >= 0xFFFF)
        GTEST_SKIP() << "this device takes textures of any width the image can have";
    const uint16_t width = uint16_t(widest + 1);
    C3DTextureDX90* texture = Make(0, 2, 2, 32, std::vector<uint8_t>(16, 7));
    ASSERT_NE(texture->GetDeviceTexture(), nullptr);
    const std::vector<uint8_t> pixels(size_t(width) * 4, 9);
    EXPECT_EQ(texture->MakeFromRaw(width, 1, 32, pixels.data(), u"wide.raw"), kStatusFailed);
    EXPECT_EQ(texture->GetDeviceTexture(), nullptr);
}

TEST_F(DX9TextureTest, SelectSetsBlendingAddressingAndFilters)
{
    struct Case {
        uint32_t second;
        uint32_t drawFlags;
        DWORD min, mag, addressU, addressV, blend, destination, colorOp, colorArg2;
    };
    const Case cases[] = {
        {0x01 | 0x08, 0, D3DTEXF_POINT, D3DTEXF_POINT, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, FALSE, D3DBLEND_INVSRCALPHA,
         D3DTOP_MODULATE, D3DTA_DIFFUSE},
        {0x10 | 0x1000, 0x08, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, FALSE,
         D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_DIFFUSE},
        {0x20 | 0x40 | 0x2000, 0x08, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC, D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, TRUE,
         D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_DIFFUSE},
        {0x20 | 0x400, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, FALSE,
         D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_DIFFUSE},
        {0x40 | 0x80, 0x08 | 0x20000, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, TRUE,
         D3DBLEND_ONE, D3DTOP_MODULATE, D3DTA_TFACTOR},
        {0x200, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, FALSE, D3DBLEND_INVSRCALPHA,
         D3DTOP_MULTIPLYADD, D3DTA_DIFFUSE | D3DTA_COMPLEMENT},
        {0x200 | 0x100, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, FALSE,
         D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_DIFFUSE},
    };
    for (const Case& c : cases) {
        C3DTextureDX90* texture = Make(c.second, 2, 2, 32, std::vector<uint8_t>(16, 0x80));
        texture->Select(c.drawFlags, 1);
        EXPECT_EQ(Sampler(1, D3DSAMP_MINFILTER), c.min) << std::hex << c.second;
        EXPECT_EQ(Sampler(1, D3DSAMP_MAGFILTER), c.mag) << std::hex << c.second;
        EXPECT_EQ(Sampler(1, D3DSAMP_MIPFILTER), c.mag) << std::hex << c.second;
        EXPECT_EQ(Sampler(1, D3DSAMP_ADDRESSU), c.addressU) << std::hex << c.second;
        EXPECT_EQ(Sampler(1, D3DSAMP_ADDRESSV), c.addressV) << std::hex << c.second;
        EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), c.blend) << std::hex << c.second;
        EXPECT_EQ(State(D3DRS_ALPHATESTENABLE), c.blend) << std::hex << c.second;
        EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
        EXPECT_EQ(State(D3DRS_DESTBLEND), c.destination) << std::hex << c.second;
        EXPECT_EQ(StageState(1, D3DTSS_COLOROP), c.colorOp) << std::hex << c.second;
        EXPECT_EQ(StageState(1, D3DTSS_COLORARG2), c.colorArg2) << std::hex << c.second;
        IDirect3DBaseTexture9* bound = nullptr;
        Device()->GetTexture(1, &bound);
        EXPECT_EQ(bound, texture->GetDeviceTexture());
        if (bound)
            bound->Release();
    }
    // The world's alpha switch turns blending off whatever the texture says.
    m_world->alpha.current = 0;
    Make(0x40, 2, 2, 32, std::vector<uint8_t>(16, 0x80))->Select(0x08, 0);
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
}

TEST_F(DX9TextureTest, UpdateFromRawRewritesWithinTheTextureOnly)
{
    C3DTextureDX90* texture = Make(0, 2, 2, 24, std::vector<uint8_t>(12, 0));
    const std::vector<uint8_t> red = {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0};
    ASSERT_EQ(texture->UpdateFromRaw(2, 2, 24, red.data()), 0);
    EXPECT_EQ(Texels(texture, 8), (std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255}));
    // Rows wider or taller than the texture, or texels wider than its own, would be written
    // past its end: refused, nothing changed.
    const std::vector<uint8_t> large(4 * 4 * 4, 9);
    EXPECT_EQ(texture->UpdateFromRaw(4, 4, 24, large.data()), kStatusFailed);
    EXPECT_EQ(texture->UpdateFromRaw(2, 3, 24, large.data()), kStatusFailed);
    C3DTextureDX90* grey = Make(0, 2, 2, 8, std::vector<uint8_t>(4, 0));
    EXPECT_EQ(grey->UpdateFromRaw(2, 2, 32, large.data()), kStatusFailed);
    EXPECT_EQ(grey->UpdateFromRaw(2, 2, 24, large.data()), kStatusFailed);
    EXPECT_EQ(texture->UpdateFromRaw(2, 2, 16, large.data()), kStatusFailed);
    // Four-byte texels of either kind take 24 and 32 bits; a texture of two-byte texels that
    // D3DX may make in their place takes neither.
    struct Case {
        D3DFORMAT format;
        uint8_t depth;
        bool holds;
    } cases[] = {
        {D3DFMT_X8R8G8B8, 32, true},  {D3DFMT_A8R8G8B8, 24, true}, {D3DFMT_R5G6B5, 24, false},
        {D3DFMT_A1R5G5B5, 32, false}, {D3DFMT_A8L8, 16, true},     {D3DFMT_A8R8G8B8, 8, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(C3DTextureDX90::HoldsTexelsOfDepth(c.format, c.depth), c.holds) << c.format << " " << int(c.depth);
    EXPECT_EQ(texture->UpdateFromRaw(2, 2, 12, large.data()), 0);
    EXPECT_EQ(Texels(texture, 8)[2], 255);
    EXPECT_EQ(texture->UpdateFromRaw(2, 2, 24, nullptr), kStatusFailed);
}

TEST_F(DX9TextureTest, CopyFromScreenScalesTheBackBufferIntoTheWholeTexture)
{
    m_world->colorClear = 0xFF20C040u;
    m_engine->Clear();
    // A texture of a size that is not a power of two keeps it.
    C3DTextureDX90* kept = Make(0, 96, 40, 24, std::vector<uint8_t>(96 * 40 * 3, 0));
    ASSERT_EQ(kept->CopyFromScreen(0, 1, 0, 0), 0);
    EXPECT_EQ(kept->GetWidth(), 96);
    EXPECT_EQ(kept->GetHeight(), 40);
    D3DSURFACE_DESC desc;
    kept->GetDeviceTexture()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 96u);
    EXPECT_EQ(desc.Height, 40u);
    const std::vector<uint8_t> texels = Texels(kept, 4);
    EXPECT_NEAR(texels[2], 0x20, 2);
    EXPECT_NEAR(texels[1], 0xC0, 2);
    EXPECT_NEAR(texels[0], 0x40, 2);

    // A texture without an image takes the back buffer's own size.
    C3DTextureDX90* fresh = static_cast<C3DTextureDX90*>(m_engine->CreateTexture(0, 0));
    ASSERT_EQ(fresh->CopyFromScreen(1, 1, 0, 0), 0);
    EXPECT_EQ(fresh->GetWidth(), 128);
    EXPECT_EQ(fresh->GetHeight(), 96);
}

TEST_F(DX9TextureTest, TheFramePresentedIsKeptInTheEnginesCopy)
{
    // Present discards the back buffer: the engine copies each finished frame first.
    C3DTextureDX90* copy = Make(0, 128, 96, 24, std::vector<uint8_t>(128 * 96 * 3, 0));
    m_engine->SetPresentedFrameCopy(copy);
    m_world->colorClear = 0xFF4080C0u;
    ASSERT_EQ(m_engine->BeginScene(), 0);
    ASSERT_EQ(m_engine->EndScene(), 0);
    const std::vector<uint8_t> texels = Texels(copy, 4);
    ASSERT_FALSE(texels.empty());
    EXPECT_NEAR(texels[2], 0x40, 2);
    EXPECT_NEAR(texels[1], 0x80, 2);
    EXPECT_NEAR(texels[0], 0xC0, 2);
    m_engine->SetPresentedFrameCopy(nullptr);
}
