// HLSL shaders through D3DX: what a failed compile leaves, the loaders, the programs and tables
// made current between Begin and End, pixel constants by name changing pixels, textures
// sampled on three stages by an assembled pixel program, and the sample's two shaders drawing
// where the compiler samples textures.
#include "DX9TestSupport.h"

#include <cstdio>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

#include <d3dx9shader.h>

#include "Vornel3D_DX9/C3DShader_DX90.h"
#include "Vornel3D_DX9/C3DTextureDX90.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/UtilsString.h"

namespace {

const std::string kSampleTextures = std::string(VORNEL_SOURCE_DIR) + "/data/sample/pack/textures/";

// A shader of both programs that every D3DX compiles, Wine's included: the vertex colour
// scaled by three pixel constants.
const char* const kTint = R"(
float4x4 WorldViewProj;
float2 u_gain;
float u_level;

struct VertexOut {
    float4 position : POSITION;
    float4 color : COLOR0;
    float2 uv : TEXCOORD0;
};

VertexOut vs_main(float3 position : POSITION, float4 color : COLOR0, float2 uv : TEXCOORD0)
{
    VertexOut o;
    o.position = mul(float4(position, 1.0), WorldViewProj);
    o.color = color;
    o.uv = uv;
    return o;
}

float4 ps_main(float4 color : COLOR0, float2 uv : TEXCOORD0) : COLOR0
{
    return float4(color.r * u_gain.x, color.g * u_gain.y, color.b * u_level, 1.0);
}
)";

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Near(const Rgb& a, const Rgb& b)
{
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

// Whether this D3DX compiles texture sampling for ps_2_0: Wine 8's compiler knows no tex2D.
bool CompilerSamplesTextures()
{
    const char* probe = "sampler2D s : register(s0);\n"
                        "float4 ps_main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(s, uv); }\n";
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT result = D3DXCompileShader(probe, UINT(std::strlen(probe)), nullptr, nullptr, "ps_main", "ps_2_0", 0,
                                             &code, &errors, nullptr);
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    return SUCCEEDED(result);
}

// Samples stages 0, 1 and 2 at the vertex program's uv: stage 0 times stage 1, plus stage 2.
const char* const kSampleThreeStages = R"(ps_2_0
dcl t0.xy
dcl_2d s0
dcl_2d s1
dcl_2d s2
texld r0, t0, s0
texld r1, t0, s1
texld r2, t0, s2
mad r0, r0, r1, r2
mov oC0, r0
)";

// A shader whose pixel program is assembled rather than compiled: the text gives the vertex
// program and the constant tables, as the game's shaders do, so the draws take the same path.
class CAssembledPixelShader : public C3DShader_DX90 {
public:
    using C3DShader_DX90::C3DShader_DX90;

    // D3DX's words when the assembly fails, else empty.
    std::string Assemble(const char* assembly)
    {
        ID3DXBuffer* code = nullptr;
        ID3DXBuffer* errors = nullptr;
        std::string failure;
        const HRESULT result = D3DXAssembleShader(assembly, UINT(std::strlen(assembly)), nullptr, nullptr, 0, &code,
                                                  &errors);
        IDirect3DPixelShader9* shader = nullptr;
        if (FAILED(result) || !code) {
            std::ostringstream words;
            words << "D3DXAssembleShader 0x" << std::hex << uint32_t(result);
            failure = words.str();
            if (errors)
                failure.append(": ").append(static_cast<const char*>(errors->GetBufferPointer()),
                                            errors->GetBufferSize());
        } else if (FAILED(DX9DeviceFromWorld(m_pWorldData)
                              ->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &shader))) {
            failure = "CreatePixelShader";
        } else {
            ReplacePixelShader(shader);
        }
        if (code)
            code->Release();
        if (errors)
            errors->Release();
        return failure;
    }
};

class DX9ShaderTest : public DX9EngineTest {
protected:
    void SetUp() override
    {
        Open(128, 96);
        if (!m_engine)
            return;
        m_logFile = std::string(::testing::TempDir()) + "dx9_shader_test.log";
        std::remove(m_logFile.c_str());
        const std::u16string logPath = UtilsString_FromUtf8(m_logFile.c_str());
        logPath.copy(m_world->logPath, logPath.size());
        m_world->logPath[logPath.size()] = 0;
        m_shader = static_cast<C3DShader_DX90*>(m_engine->CreateShader(1, 0));
        ASSERT_NE(m_shader, nullptr);
    }

    Status Make(const std::string& text)
    {
        return m_shader->MakeFromAddress(text.data(), uint32_t(text.size()), u"test.dx.frag");
    }

    C3DTexture* Solid(uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint32_t second = kDX9TexMinPoint | kDX9TexMagPoint)
    {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 16; ++i)
            pixels.insert(pixels.end(), {r, g, b, a});
        return MakeTexture(1, second, 4, 4, 32, pixels);
    }

    static IDirect3DBaseTexture9* DeviceTextureOf(C3DTexture* texture)
    {
        return static_cast<C3DTextureDX90*>(texture)->GetDeviceTexture();
    }

    IDirect3DBaseTexture9* BoundOn(uint32_t stage)
    {
        IDirect3DBaseTexture9* texture = nullptr;
        Device()->GetTexture(stage, &texture);
        if (texture)
            texture->Release();
        return texture;
    }

    bool HasNoProgram() const
    {
        return !m_shader->GetPixelShader() && !m_shader->GetVertexShader() && !m_shader->GetPixelConstants() &&
               !m_shader->GetVertexConstants() && !m_shader->GetDeclaration();
    }

    std::string m_logFile;
    C3DShader_DX90* m_shader = nullptr;
};

TEST_F(DX9ShaderTest, AShaderThatFailsKeepsNoProgramAndLogsTheCompilersWords)
{
    struct Case {
        const char* what;
        std::string text;
        const char* failedEntry;
    } cases[] = {
        {"no pixel program", "float4 other() : COLOR0 { return 1.0; }\n", "ps_main"},
        {"not HLSL", "ps_main vs_main }{", "ps_main"},
        // The pixel program compiles, the vertex program is missing: nothing is kept.
        {"no vertex program", "float4 ps_main(float4 c : COLOR0) : COLOR0 { return c; }\n", "vs_main"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(m_logFile.c_str());
        EXPECT_EQ(Make(c.text), kStatusFailed);
        EXPECT_TRUE(HasNoProgram());
        const std::string log = ReadText(m_logFile);
        EXPECT_NE(log.find(std::string("C3DShader_DX90::Compile - ") + c.failedEntry + " failed! (\"test.dx.frag\""),
                  std::string::npos)
            << log;
        if (std::string(c.failedEntry) == "ps_main")
            EXPECT_EQ(log.find("vs_main"), std::string::npos) << "the vertex program is not tried";
        // Without a program the frame goes on untouched.
        m_shader->Begin(nullptr, nullptr, nullptr);
        EXPECT_EQ(m_engine->GetVertexConstantTable(), nullptr);
        EXPECT_EQ(m_engine->GetPixelConstantTable(), nullptr);
        m_shader->End();
        EXPECT_EQ(m_shader->SetFloat("u_level", 1.0f), kStatusFailed);
        EXPECT_EQ(m_shader->SetVector("u_gain", 1.0f, 1.0f), kStatusFailed);
    }
}

TEST_F(DX9ShaderTest, FilesAndPackEntriesLoadAndFailWithTheirCodes)
{
    const std::string path = std::string(::testing::TempDir()) + "dx9_shader_tint.dx.frag";
    {
        std::ofstream out(path, std::ios::binary);
        out << kTint;
    }
    EXPECT_EQ(m_shader->LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str()), 0);
    EXPECT_NE(m_shader->GetPixelShader(), nullptr);
    EXPECT_NE(m_shader->GetVertexShader(), nullptr);
    EXPECT_EQ(std::u16string(m_shader->GetName()), u"dx9_shader_tint.dx.frag");
    EXPECT_TRUE(m_shader->HasNamedUniforms());
    EXPECT_EQ(m_shader->LoadFromFile(u"no/such/shader.dx.frag"), kStatusFailed);
    EXPECT_TRUE(HasNoProgram());

    // A pack entry is read from the pack's open file where it stands, for its length.
    PackRecord entry{};
    entry.pFile = std::fopen(path.c_str(), "rb");
    ASSERT_NE(entry.pFile, nullptr);
    const std::u16string name = u"textures/tint.dx.frag";
    name.copy(entry.lastEntryName, name.size());
    entry.lastEntrySize = uint32_t(std::strlen(kTint));
    EXPECT_EQ(m_shader->LoadFromPacker(&entry), 0);
    EXPECT_NE(m_shader->GetPixelShader(), nullptr);
    EXPECT_EQ(std::u16string(m_shader->GetName()), name);
    std::fseek(entry.pFile, 0, SEEK_SET);
    entry.lastEntrySize += 10; // longer than what is left
    EXPECT_EQ(m_shader->LoadFromPacker(&entry), kStatusFailed);
    EXPECT_TRUE(HasNoProgram());
    std::fclose(entry.pFile);

    // The caller's text needs no terminator and stays the caller's.
    std::string text = std::string(kTint) + "garbage that does not compile";
    EXPECT_EQ(m_shader->MakeFromAddress(text.data(), uint32_t(std::strlen(kTint)), u"a/b.dx.frag"), 0);
    EXPECT_EQ(std::u16string(m_shader->GetName()), u"b.dx.frag");
    EXPECT_EQ(m_shader->Release(), 0);
    EXPECT_TRUE(HasNoProgram());
}

TEST_F(DX9ShaderTest, BeginMakesBothProgramsCurrentAndTheEngineRemembersTheStages)
{
    ASSERT_EQ(Make(kTint), 0);
    C3DTexture* element = Solid(255, 0, 0, 255);
    C3DTexture* noise = Solid(128, 128, 128, 255);
    C3DTexture* control = Solid(0, 0, 0, 255);
    C3DTexture* other = Solid(1, 2, 3, 255);
    Device()->SetTexture(3, DeviceTextureOf(other)); // the caller's own on stage 3

    m_shader->Begin(element, noise, control);
    EXPECT_EQ(m_engine->GetVertexConstantTable(), m_shader->GetVertexConstants());
    EXPECT_EQ(m_engine->GetPixelConstantTable(), m_shader->GetPixelConstants());
    IDirect3DPixelShader9* pixel = nullptr;
    IDirect3DVertexShader9* vertex = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    Device()->GetPixelShader(&pixel);
    Device()->GetVertexShader(&vertex);
    Device()->GetVertexDeclaration(&declaration);
    EXPECT_EQ(pixel, m_shader->GetPixelShader());
    EXPECT_EQ(vertex, m_shader->GetVertexShader());
    EXPECT_EQ(declaration, m_shader->GetDeclaration());
    for (IUnknown* held : {static_cast<IUnknown*>(pixel), static_cast<IUnknown*>(vertex),
                           static_cast<IUnknown*>(declaration)})
        if (held)
            held->Release();
    C3DTexture* expected[4] = {element, noise, control, other};
    for (uint32_t stage = 0; stage < 4; ++stage) {
        EXPECT_EQ(BoundOn(stage), DeviceTextureOf(expected[stage])) << "stage " << stage;
        EXPECT_EQ(m_engine->GetShaderTexture(stage), DeviceTextureOf(expected[stage])) << "stage " << stage;
    }

    m_shader->End();
    EXPECT_EQ(m_engine->GetVertexConstantTable(), nullptr);
    EXPECT_EQ(m_engine->GetPixelConstantTable(), nullptr);
    Device()->GetPixelShader(&pixel);
    Device()->GetVertexShader(&vertex);
    EXPECT_EQ(pixel, nullptr);
    EXPECT_EQ(vertex, nullptr);

    // A shader released while current leaves the engine no table of its own.
    m_shader->Begin(nullptr, nullptr, nullptr);
    EXPECT_EQ(m_engine->GetPixelConstantTable(), m_shader->GetPixelConstants());
    EXPECT_EQ(m_engine->ReleaseShader(m_shader), 0);
    m_shader = nullptr;
    EXPECT_EQ(m_engine->GetVertexConstantTable(), nullptr);
    EXPECT_EQ(m_engine->GetPixelConstantTable(), nullptr);
    Device()->SetVertexShader(nullptr);
    Device()->SetPixelShader(nullptr);
}

// A texture released by its owner while a shader's Begin has it on a stage lives on in the
// engine: each object's state block unbinds the stages, and the engine sets them again.
TEST_F(DX9ShaderTest, AStageTextureOutlivesItsOwnerUntilEnd)
{
    ASSERT_EQ(Make(kTint), 0);
    C3DTexture* texture = Solid(10, 20, 30, 255);
    IDirect3DBaseTexture9* device = DeviceTextureOf(texture);
    C3DObject* quad = MakeQuad(k3DDrawOwnStates, 16, 16, 32, 32, 0xFFFFFFFFu, nullptr);
    ASSERT_NE(quad, nullptr);
    ASSERT_EQ(m_engine->BeginScene(), 0);
    m_shader->Begin(nullptr, texture, nullptr);
    ASSERT_EQ(m_engine->ReleaseTexture(texture, 1), 0);
    // Only the engine's reference is left beside this probe's.
    EXPECT_EQ(device->AddRef(), 2u);
    device->Release();
    quad->Draw();
    EXPECT_EQ(BoundOn(1), device);
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(static_cast<IDirect3DTexture9*>(device)->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    m_shader->End();
    for (uint32_t stage = 0; stage < 4; ++stage)
        EXPECT_EQ(m_engine->GetShaderTexture(stage), nullptr) << "stage " << stage;
    m_engine->EndScene();

    // Stages still held when the engine unloads go before the device does: none is lost.
    m_shader->Begin(nullptr, Solid(1, 2, 3, 255), nullptr);
    EXPECT_NE(m_engine->GetShaderTexture(1), nullptr);
    m_shader = nullptr;
    EXPECT_EQ(m_engine->Unload(), 0);
    delete m_engine;
    m_engine = nullptr;
    EXPECT_EQ(ReadText(m_logFile).find("memory leaks"), std::string::npos) << ReadText(m_logFile);
}

// The objects feed "WorldViewProj" from the screen projection: the quad lands where the fixed
// pipeline puts it, in the colours the pixel constants make of its vertex colour.
TEST_F(DX9ShaderTest, PixelConstantsSetByNameChangeThePixels)
{
    ASSERT_EQ(Make(kTint), 0);
    C3DObject* quad = MakeQuad(k3DDrawOwnStates, 16, 16, 64, 48, 0xFFFFFFFFu, nullptr);
    ASSERT_NE(quad, nullptr);
    m_world->colorClear = 0xFF000000u;
    EXPECT_EQ(m_shader->SetFloat("u_no_such_constant", 1.0f), kStatusFailed);
    struct Case {
        float gainX, gainY, level;
        Rgb inside;
    } cases[] = {
        {1.0f, 0.25f, 0.5f, Rgb{255, 64, 128}},
        {0.0f, 1.0f, 1.0f, Rgb{0, 255, 255}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(m_engine->BeginScene(), 0);
        m_shader->Begin(nullptr, nullptr, nullptr);
        EXPECT_EQ(m_shader->SetVector("u_gain", c.gainX, c.gainY), 0);
        EXPECT_EQ(m_shader->SetFloat("u_level", c.level), 0);
        quad->Draw();
        m_shader->End();
        const Rgb inside = Pixel(40, 40);
        EXPECT_TRUE(Near(inside, c.inside)) << inside << " for " << c.inside;
        for (const auto& outside : {std::make_pair(8, 8), std::make_pair(100, 40), std::make_pair(40, 80)})
            EXPECT_EQ(Pixel(outside.first, outside.second), (Rgb{0, 0, 0})) << outside.first << ", " << outside.second;
        m_engine->EndScene();
    }
}

TEST_F(DX9ShaderTest, CopyScreenFillsTheTextureOnlyWithAPixelProgram)
{
    C3DTexture* texture = Solid(10, 20, 30, 255);
    auto texel = [&] {
        IDirect3DTexture9* t = static_cast<C3DTextureDX90*>(texture)->GetDeviceTexture();
        D3DLOCKED_RECT locked;
        if (!t || FAILED(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
            return Rgb{1, 2, 3};
        const uint32_t word = *static_cast<const uint32_t*>(locked.pBits);
        t->UnlockRect(0);
        return Split(word);
    };
    m_world->colorClear = 0xFF40C020u;
    ASSERT_EQ(m_engine->BeginScene(), 0);
    m_shader->CopyScreen(texture, 0);
    EXPECT_EQ(texel(), (Rgb{10, 20, 30}));
    ASSERT_EQ(Make(kTint), 0);
    m_shader->CopyScreen(texture, 0);
    EXPECT_EQ(texel(), (Rgb{0x40, 0xC0, 0x20}));
    m_engine->EndScene();
}

// Wine 8's HLSL compiler samples no texture, so the stages a shader's Begin sets up are shown
// through an assembled pixel program: the object's own texture on stage 0, Begin's on stages 1
// and 2. Each object's state block empties the stages before its draw; the engine sets Begin's
// again, and the picture lands texel for texel where the uv of the vertex program puts it.
TEST_F(DX9ShaderTest, AnAssembledPixelProgramSamplesTheStagesBeginSetsUp)
{
    auto* shader = new (std::nothrow) CAssembledPixelShader(m_world.get(), m_engine);
    ASSERT_NE(shader, nullptr);
    ASSERT_EQ(m_engine->AddShader(shader, 1, 0), 0); // the engine's to release from here on
    ASSERT_EQ(shader->MakeFromAddress(kTint, uint32_t(std::strlen(kTint)), u"assembled.dx.frag"), 0);
    IDirect3DPixelShader9* compiled = shader->GetPixelShader();
    const std::string failure = shader->Assemble(kSampleThreeStages);
    ASSERT_EQ(failure, "");
    ASSERT_NE(shader->GetPixelShader(), compiled);

    // A 4 x 2 picture, top row red, green, blue, white; bottom row black, yellow, cyan,
    // magenta; stored bottom row first as raw images are.
    const Rgb top[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    const Rgb bottom[4] = {{0, 0, 0}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    std::vector<uint8_t> picture;
    for (const Rgb* row : {bottom, top})
        for (int i = 0; i < 4; ++i)
            picture.insert(picture.end(), {row[i].r, row[i].g, row[i].b});
    C3DTexture* element = MakeTexture(0, kDX9TexMinPoint | kDX9TexMagPoint, 4, 2, 24, picture);
    C3DTexture* half = Solid(128, 128, 128, 255);
    C3DTexture* offset = Solid(0, 32, 64, 255);
    // Pixel centres lie on whole coordinates: the quad covers the centres 16 to 23 and 8 to 11,
    // each texel 2 x 2 of them.
    C3DObject* quad = MakeQuad(k3DDrawOwnStates | k3DDrawTexture0, 15.5f, 7.5f, 8, 4, 0xFFFFFFFFu, element);
    ASSERT_NE(quad, nullptr);
    m_world->colorClear = 0xFF000080u;
    ASSERT_EQ(m_engine->BeginScene(), 0);
    shader->Begin(nullptr, half, offset);
    quad->Draw();
    shader->End();
    const std::vector<uint32_t> frame = Frame();
    ASSERT_EQ(frame.size(), size_t(128 * 96));
    auto at = [&](int x, int y) { return Split(frame[size_t(y) * 128 + x]); };
    auto shown = [](const Rgb& texel) {
        return Rgb{uint8_t(texel.r / 2), uint8_t(texel.g / 2 + 32), uint8_t(texel.b / 2 + 64)};
    };
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 8; ++i) {
            const Rgb expected = shown((j < 2 ? top : bottom)[i / 2]);
            EXPECT_TRUE(Near(at(16 + i, 8 + j), expected))
                << "pixel " << i << ", " << j << ": " << at(16 + i, 8 + j) << " for " << expected;
        }
    }
    const Rgb background{0, 0, 0x80};
    for (const auto& outside : {std::make_pair(15, 8), std::make_pair(24, 8), std::make_pair(16, 7),
                                std::make_pair(16, 12)})
        EXPECT_EQ(at(outside.first, outside.second), background) << outside.first << ", " << outside.second;
    m_engine->EndScene();
}

// The sample's HLSL as the game loads it for "DX9". Wine 8's D3DX compiles no texture sampling,
// so there the test stops at the compiler's refusal.
TEST_F(DX9ShaderTest, TheSampleShadersDrawTheTextureTimesTheColourAndDissolveByTheirRatio)
{
    if (!CompilerSamplesTextures()) {
        EXPECT_EQ(m_shader->LoadFromFile(UtilsString_FromUtf8((kSampleTextures + "default.dx.frag").c_str()).c_str()),
                  kStatusFailed);
        GTEST_SKIP() << "this D3DX compiles no tex2D for ps_2_0";
    }
    m_world->colorClear = 0xFF000000u;
    ASSERT_EQ(m_shader->LoadFromFile(UtilsString_FromUtf8((kSampleTextures + "default.dx.frag").c_str()).c_str()), 0);
    C3DTexture* texture = Solid(255, 128, 64, 255);
    C3DObject* quad = MakeQuad(k3DDrawOwnStates | k3DDrawTexture0, 8, 8, 32, 32, 0xFF808080u, texture);
    ASSERT_NE(quad, nullptr);
    ASSERT_EQ(m_engine->BeginScene(), 0);
    m_shader->Begin(nullptr, nullptr, nullptr);
    quad->Draw();
    m_shader->End();
    EXPECT_TRUE(Near(Pixel(20, 20), (Rgb{128, 64, 32}))) << Pixel(20, 20);
    m_engine->EndScene();

    ASSERT_EQ(m_shader->LoadFromFile(UtilsString_FromUtf8((kSampleTextures + "transition.dx.frag").c_str()).c_str()),
              0);
    C3DTexture* element = Solid(255, 0, 0, 255, kDX9TexMinPoint | kDX9TexMagPoint | kDX9TexAlpha);
    C3DTexture* noise = Solid(128, 128, 128, 255);
    C3DTexture* control = Solid(0, 0, 0, 255);
    C3DObject* dissolving = MakeQuad(k3DDrawOwnStates | k3DDrawTexture0 | k3DDrawAlpha, 0, 0, 64, 32, 0xFFFFFFFFu,
                                     element);
    ASSERT_NE(dissolving, nullptr);
    m_world->colorClear = 0xFF0000FFu;
    struct Case {
        float ratio;
        Rgb shown;
    } cases[] = {{1.0f, Rgb{255, 0, 0}}, {0.0f, Rgb{0, 0, 255}}};
    for (const Case& c : cases) {
        ASSERT_EQ(m_engine->BeginScene(), 0);
        m_shader->Begin(nullptr, noise, control);
        EXPECT_EQ(m_shader->SetVector("u_min_pos", 0.0f, 0.0f), 0);
        EXPECT_EQ(m_shader->SetVector("u_pos_scale", 1.0f, 1.0f), 0);
        EXPECT_EQ(m_shader->SetFloat("u_trans_ratio", c.ratio), 0);
        EXPECT_EQ(m_shader->SetFloat("u_border_factor", 10.0f), 0);
        EXPECT_EQ(m_shader->SetFloat("u_noise_amp", 1.0f), 0);
        dissolving->Draw();
        m_shader->End();
        EXPECT_EQ(Pixel(30, 16), c.shown) << "ratio " << c.ratio;
        m_engine->EndScene();
    }
}

} // namespace
