// GLSL fragment shaders: loading and their failures, texture units, uniforms, and the sample's
// two shaders drawing.
#include "GLTestSupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "Vornel3D_GL/C3DShader_GL.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "VornelUtils/UtilsString.h"

namespace {

const std::string kSampleTextures = std::string(VORNEL_SOURCE_DIR) + "/data/sample/pack/textures/";

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int Near(uint8_t value, int expected)
{
    return std::abs(int(value) - expected) <= 2;
}

class GLShaderTest : public GLEngineTest {
protected:
    void SetUp() override
    {
        Open(128, 96);
        if (!m_engine)
            return;
        m_logFile = std::string(::testing::TempDir()) + "gl_shader_test.log";
        std::remove(m_logFile.c_str());
        const std::u16string logPath = UtilsString_FromUtf8(m_logFile.c_str());
        logPath.copy(m_world->logPath, logPath.size());
        m_world->logPath[logPath.size()] = 0;
        m_shader = static_cast<C3DShader_GL*>(m_engine->CreateShader(1, 0));
        ASSERT_NE(m_shader, nullptr);
    }

    Status Make(const std::string& text)
    {
        return m_shader->MakeFromAddress(text.data(), uint32_t(text.size()), u"test.gl.frag");
    }

    Status LoadSample(const char* name)
    {
        return m_shader->LoadFromFile(UtilsString_FromUtf8((kSampleTextures + name).c_str()).c_str());
    }

    // A single-level texture of one colour (RGBA).
    C3DTexture* Solid(uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint32_t second = kTexMinNearest | kTexMagNearest)
    {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 16; ++i)
            pixels.insert(pixels.end(), {r, g, b, a});
        return MakeTexture(kTexSingleLevel, second, 4, 4, 32, pixels);
    }

    static GLint BoundOn(GLenum unit)
    {
        glActiveTextureARB(unit);
        GLint name = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }

    static GLboolean EnabledOn(GLenum unit)
    {
        glActiveTextureARB(unit);
        return glIsEnabled(GL_TEXTURE_2D);
    }

    std::string m_logFile;
    C3DShader_GL* m_shader = nullptr;
};

TEST_F(GLShaderTest, TheSampleShadersCompileAndAnswerForNamedUniforms)
{
    for (const char* name : {"default.gl.frag", "transition.gl.frag"}) {
        EXPECT_EQ(LoadSample(name), 0) << name;
        EXPECT_NE(m_shader->GetProgram_GL(), 0u) << name;
        EXPECT_EQ(std::u16string(m_shader->GetName()), UtilsString_FromUtf8(name));
    }
    EXPECT_TRUE(m_shader->HasNamedUniforms());
    EXPECT_EQ(m_shader->Release(), 0);
    EXPECT_EQ(m_shader->GetProgram_GL(), 0u);
}

TEST_F(GLShaderTest, AShaderThatFailsKeepsNoProgramAndLogsTheDriversWords)
{
    struct Case {
        const char* what;
        const char* text;
    } cases[] = {
        {"compile", "#version 110\nvoid main() { gl_FragColor = vec4(1.0) + nonsense; }\n"},
        {"link", "#version 110\nvoid helper() {}\n"}, // compiles, but there is no main
    };
    for (const Case& c : cases) {
        std::remove(m_logFile.c_str());
        m_world->lastErrorCode = 0;
        EXPECT_EQ(Make(c.text), kStatusSystemCallFailed) << c.what;
        EXPECT_EQ(m_world->lastErrorCode, kStatusSystemCallFailed) << c.what;
        EXPECT_EQ(m_shader->GetProgram_GL(), 0u) << c.what;
        const std::string log = ReadText(m_logFile);
        EXPECT_NE(log.find(std::string("C3DShader_GL::Build - ") + c.what + " failed! (\"test.gl.frag\")"),
                  std::string::npos)
            << log;
        EXPECT_GT(log.size(), 60u) << "the driver's log follows: " << log;
        // Without a program the frame goes on untouched.
        m_shader->Begin(nullptr, nullptr, nullptr);
        m_shader->End();
        EXPECT_EQ(m_shader->SetFloat("u_trans_ratio", 1.0f), kStatusFailed);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLShaderTest, TheCallersTextIsCopiedAndNeedsNoTerminator)
{
    // A literal and a text followed by bytes that are not part of it: neither is freed.
    const char* literal = "#version 110\nvoid main() { gl_FragColor = gl_Color; }\n";
    EXPECT_EQ(m_shader->MakeFromAddress(literal, uint32_t(std::strlen(literal)), nullptr), 0);
    std::string text = std::string(literal) + "garbage that does not compile";
    EXPECT_EQ(m_shader->MakeFromAddress(text.data(), uint32_t(std::strlen(literal)), u"a/b.frag"), 0);
    EXPECT_EQ(std::u16string(m_shader->GetName()), u"b.frag");
    text.assign(text.size(), 'x'); // still the caller's to use
    EXPECT_NE(m_shader->GetProgram_GL(), 0u);
}

TEST_F(GLShaderTest, FilesAndPackEntriesLoadAndFailWithTheirCodes)
{
    m_world->lastErrorCode = 0;
    EXPECT_EQ(m_shader->LoadFromFile(u"no/such/shader.gl.frag"), kStatusFileNotOpened);
    EXPECT_EQ(m_world->lastErrorCode, kStatusFileNotOpened);
    EXPECT_EQ(m_shader->GetProgram_GL(), 0u);

    // A pack entry is read from the pack's open file at its place, for its length.
    const std::string path = kSampleTextures + "default.gl.frag";
    const long size = long(ReadText(path).size());
    PackRecord entry{};
    entry.pFile = std::fopen(path.c_str(), "rb");
    ASSERT_NE(entry.pFile, nullptr);
    const std::u16string name = u"textures/default.gl.frag";
    name.copy(entry.lastEntryName, name.size());
    entry.lastEntrySize = uint32_t(size);
    EXPECT_EQ(m_shader->LoadFromPacker(&entry), 0);
    EXPECT_NE(m_shader->GetProgram_GL(), 0u);
    EXPECT_EQ(std::u16string(m_shader->GetName()), name);
    // An entry longer than what is left reads short.
    std::fseek(entry.pFile, 0, SEEK_SET);
    entry.lastEntrySize = uint32_t(size + 10);
    EXPECT_EQ(m_shader->LoadFromPacker(&entry), kStatusFailed);
    EXPECT_EQ(m_shader->GetProgram_GL(), 0u);
    std::fclose(entry.pFile);
}

TEST_F(GLShaderTest, UniformsAreSetByNameAndUnknownNamesFail)
{
    ASSERT_EQ(LoadSample("transition.gl.frag"), 0);
    const GLhandleARB program = m_shader->GetProgram_GL();
    EXPECT_EQ(m_shader->SetFloat("u_not_in_the_program", 1.0f), kStatusFailed);
    // Outside Begin and End too: the value lands in this program.
    EXPECT_EQ(m_shader->SetFloat("u_trans_ratio", 0.25f), 0);
    EXPECT_EQ(m_shader->SetVector("u_min_pos", 0.5f, 0.75f), 0);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), GLhandleARB(0));
    GLfloat ratio = 0.0f, minPos[2] = {};
    glGetUniformfvARB(program, glGetUniformLocationARB(program, "u_trans_ratio"), &ratio);
    glGetUniformfvARB(program, glGetUniformLocationARB(program, "u_min_pos"), minPos);
    EXPECT_EQ(ratio, 0.25f);
    EXPECT_EQ(minPos[1], 0.75f);
    EXPECT_EQ(m_shader->SetInt("Texture1", 1), 0);
    EXPECT_EQ(m_shader->SetVector4("u_nothing", 1, 2, 3, 4), kStatusFailed);
}

TEST_F(GLShaderTest, BeginBindsOnlyTheUnitsGivenAndEndClearsUnitTwoOnlyWhenUsed)
{
    ASSERT_EQ(LoadSample("transition.gl.frag"), 0);
    C3DTexture_GL* element = static_cast<C3DTexture_GL*>(Solid(255, 0, 0, 255));
    C3DTexture_GL* noise = static_cast<C3DTexture_GL*>(Solid(128, 128, 128, 255));
    C3DTexture_GL* control = static_cast<C3DTexture_GL*>(Solid(0, 0, 0, 255));
    C3DTexture_GL* other = static_cast<C3DTexture_GL*>(Solid(1, 2, 3, 255));
    // Something of the caller's own on units 1 and 2.
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) {
        glActiveTextureARB(unit);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, other->GetName_GL());
    }
    glActiveTextureARB(GL_TEXTURE0);

    m_shader->Begin(element, nullptr, nullptr);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), GLhandleARB(m_shader->GetProgram_GL()));
    EXPECT_EQ(BoundOn(GL_TEXTURE0), GLint(element->GetName_GL()));
    m_shader->End();
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), GLhandleARB(0));
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) {
        EXPECT_EQ(BoundOn(unit), GLint(other->GetName_GL()));
        EXPECT_FALSE(EnabledOn(unit));
    }

    m_shader->Begin(element, noise, control);
    const GLhandleARB program = m_shader->GetProgram_GL();
    for (int unit = 0; unit < 3; ++unit) {
        const std::string sampler = "Texture" + std::to_string(unit);
        GLint value = -1;
        glGetUniformivARB(program, glGetUniformLocationARB(program, sampler.c_str()), &value);
        EXPECT_EQ(value, unit) << sampler;
    }
    EXPECT_EQ(BoundOn(GL_TEXTURE1), GLint(noise->GetName_GL()));
    EXPECT_EQ(BoundOn(GL_TEXTURE2), GLint(control->GetName_GL()));
    glActiveTextureARB(GL_TEXTURE0);
    m_shader->End();
    EXPECT_EQ(BoundOn(GL_TEXTURE1), GLint(noise->GetName_GL()));
    EXPECT_EQ(BoundOn(GL_TEXTURE2), 0);
    EXPECT_TRUE(EnabledOn(GL_TEXTURE2));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLShaderTest, CopyScreenFillsTheTextureOnlyWithAProgram)
{
    C3DTexture* texture = Solid(0, 0, 0, 255);
    m_shader->CopyScreen(texture, 0);
    EXPECT_EQ(texture->GetWidth(), 4);
    ASSERT_EQ(LoadSample("default.gl.frag"), 0);
    m_shader->CopyScreen(texture, 0);
    EXPECT_EQ(texture->GetWidth(), 128);
    EXPECT_EQ(texture->GetHeight(), 128); // 96 raised to a power of two
}

TEST_F(GLShaderTest, TheDefaultShaderDrawsTheTextureTimesTheVertexColour)
{
    ASSERT_EQ(LoadSample("default.gl.frag"), 0);
    C3DTexture* texture = Solid(255, 128, 64, 255);
    C3DObject* quad = MakeQuad(k3DDrawTexture0, 8, 8, 32, 32, 0xFF808080u, texture);
    ASSERT_NE(quad, nullptr);
    m_world->colorClear = 0xFF000000u;
    m_engine->BeginScene();
    m_shader->Begin(nullptr, nullptr, nullptr);
    quad->Draw();
    m_shader->End();
    const Rgba c = Pixel(20, 20);
    EXPECT_TRUE(Near(c.r, 128) && Near(c.g, 64) && Near(c.b, 32)) << c;
}

// The dissolve over a left-to-right control ramp and a flat noise: the ratio decides how much
// of the element is left, from the left.
TEST_F(GLShaderTest, TheTransitionShowsTheElementByItsRatio)
{
    ASSERT_EQ(LoadSample("transition.gl.frag"), 0);
    C3DTexture* element = Solid(255, 0, 0, 255, kTexMinNearest | kTexMagNearest | kTexAlpha);
    C3DTexture* noise = Solid(128, 128, 128, 255);
    std::vector<uint8_t> ramp;
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 16; ++i) {
            const uint8_t v = uint8_t(i * 17);
            ramp.insert(ramp.end(), {v, v, v, 255});
        }
    C3DTexture* control = MakeTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest, 16, 4, 32, ramp);
    C3DObject* quad = MakeQuad(k3DDrawTexture0 | k3DDrawAlpha, 0, 0, 128, 32, 0xFFFFFFFFu, element);
    ASSERT_NE(quad, nullptr);
    m_world->colorClear = 0xFF0000FFu;

    struct Case {
        float ratio;
        int visibleUpTo; // columns 0 .. this - 1 show the element, the rest the background
    } cases[] = {{1.0f, 128}, {0.0f, 0}, {0.5f, 56}};
    for (const Case& c : cases) {
        m_engine->BeginScene();
        m_shader->Begin(nullptr, noise, control);
        EXPECT_EQ(m_shader->SetVector("u_min_pos", 0.0f, 0.0f), 0);
        EXPECT_EQ(m_shader->SetVector("u_pos_scale", 1.0f, 1.0f), 0);
        EXPECT_EQ(m_shader->SetFloat("u_trans_ratio", c.ratio), 0);
        EXPECT_EQ(m_shader->SetFloat("u_border_factor", 10.0f), 0);
        EXPECT_EQ(m_shader->SetFloat("u_noise_amp", 1.0f), 0);
        quad->Draw();
        m_shader->End();
        for (int x = 0; x < 128; x += 8) {
            if (c.visibleUpTo > 0 && c.visibleUpTo < 128 && std::abs(x - c.visibleUpTo) <= 8)
                continue; // the soft border
            const Rgba pixel = Pixel(x, 16);
            const Rgba expected = x < c.visibleUpTo ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 0};
            EXPECT_EQ(pixel, expected) << "ratio " << c.ratio << ", column " << x;
        }
    }
}

} // namespace
