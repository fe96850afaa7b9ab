// Textures: formats by depth, filters, levels, uploads of any row width, selection and copies
// of the frame buffer.
#include "GLTestSupport.h"

#include "Vornel3D_GL/C3DTexture_GL.h"

namespace {

class GLTextureTest : public GLEngineTest {
protected:
    void SetUp() override { Open(64, 64); }

    C3DTexture_GL* Make(uint32_t flags, uint32_t second, uint16_t width, uint16_t height, uint8_t depth)
    {
        std::vector<uint8_t> pixels(size_t(width) * height * (depth / 8));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(i * 7 + 3);
        return static_cast<C3DTexture_GL*>(MakeTexture(flags, second, width, height, depth, pixels));
    }

    static GLint Level(uint32_t name, GLint level, GLenum what)
    {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
        return value;
    }

    static GLint Parameter(uint32_t name, GLenum what)
    {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
        return value;
    }
};

class GLCopyTest : public GLEngineTest {
protected:
    void SetUp() override { Open(1000, 700); }
};

}  // namespace

TEST_F(GLTextureTest, DepthChoosesTheInternalFormat)
{
    // Internal formats as given (component counts, or GL_ALPHA8), and the channels they hold.
    struct Case {
        uint8_t depth;
        uint32_t second;
        GLint format;
        GLint luminance, alpha, red;
    };
    const Case cases[] = {
        {8, kTexAlpha, GL_ALPHA8, 0, 8, 0},
        {8, 0, 1, 8, 0, 0},
        {16, 0, 2, 8, 8, 0},
        {24, 0, 3, 0, 0, 8},
        {32, 0, 4, 0, 8, 8},
    };
    for (const Case& c : cases) {
        C3DTexture_GL* texture = Make(kTexSingleLevel, c.second, 4, 4, c.depth);
        ASSERT_NE(texture, nullptr);
        const uint32_t name = texture->GetName_GL();
        EXPECT_EQ(Level(name, 0, GL_TEXTURE_INTERNAL_FORMAT), c.format) << int(c.depth);
        EXPECT_EQ(Level(name, 0, GL_TEXTURE_LUMINANCE_SIZE), c.luminance) << int(c.depth);
        EXPECT_EQ(Level(name, 0, GL_TEXTURE_ALPHA_SIZE), c.alpha) << int(c.depth);
        EXPECT_EQ(Level(name, 0, GL_TEXTURE_RED_SIZE), c.red) << int(c.depth);
        EXPECT_EQ(texture->GetDepth(), c.depth);
        EXPECT_EQ(texture->GetWidth(), 4);
    }
    C3DTexture* refused = m_engine->CreateTexture(0, 0);
    const uint8_t pixels[16] = {};
    EXPECT_EQ(refused->MakeFromRaw(2, 2, 12, pixels, u"x.raw"), int32_t(0x80000001u));
    EXPECT_FALSE(refused->IsLoaded());
    // Mipmaps are built from the pixels: none given is a failure, not a read through null.
    EXPECT_EQ(refused->MakeFromRaw(2, 2, 24, nullptr, u"x.raw"), int32_t(0x80000001u));
    EXPECT_FALSE(refused->IsLoaded());
}

TEST_F(GLTextureTest, SecondWordChoosesTheFilters)
{
    struct Case {
        uint32_t second;
        GLint min, mag;
    };
    const Case cases[] = {
        {0x04, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {0x04 | 0x400, GL_LINEAR, GL_LINEAR},
        {0x05, GL_NEAREST, GL_LINEAR},
        {0x06, GL_LINEAR, GL_LINEAR},
        {0x08, GL_LINEAR, GL_NEAREST},
        {0, GL_LINEAR, GL_LINEAR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(C3DTexture_GL::MinFilter(c.second), c.min) << std::hex << c.second;
        EXPECT_EQ(C3DTexture_GL::MagFilter(c.second), c.mag) << std::hex << c.second;
    }
    C3DTexture_GL* texture = Make(0, 0x04 | 0x08, 8, 8, 24);
    EXPECT_EQ(Parameter(texture->GetName_GL(), GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(Parameter(texture->GetName_GL(), GL_TEXTURE_MAG_FILTER), GL_NEAREST);
}

TEST_F(GLTextureTest, MipmapsUnlessOneLevelIsAsked)
{
    C3DTexture_GL* mipmapped = Make(0, 0, 8, 8, 32);
    C3DTexture_GL* single = Make(kTexSingleLevel, 0, 8, 8, 32);
    EXPECT_EQ(Level(mipmapped->GetName_GL(), 3, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(Level(single->GetName_GL(), 0, GL_TEXTURE_WIDTH), 8);
    EXPECT_EQ(Level(single->GetName_GL(), 1, GL_TEXTURE_WIDTH), 0);
}

TEST_F(GLTextureTest, OddRowWidthsUploadWithoutPadding)
{
    // 8-bit rows of 5 bytes and 24-bit rows of 9 bytes come back exactly as given.
    for (const auto& shape : {std::pair<uint8_t, uint16_t>{8, 5}, {24, 3}, {16, 3}}) {
        const uint8_t depth = shape.first;
        const uint16_t width = shape.second, height = 3;
        std::vector<uint8_t> pixels(size_t(width) * height * (depth / 8));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(i * 13 + 1);
        auto* texture = static_cast<C3DTexture_GL*>(MakeTexture(kTexSingleLevel, 0, width, height, depth, pixels));
        ASSERT_NE(texture, nullptr);
        std::vector<uint8_t> back(pixels.size(), 0);
        const GLenum format = depth == 8 ? GL_LUMINANCE : depth == 16 ? GL_LUMINANCE_ALPHA : GL_RGB;
        glBindTexture(GL_TEXTURE_2D, texture->GetName_GL());
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, back.data());
        EXPECT_EQ(back, pixels) << "depth " << int(depth);
    }
    GLint unpack = 0, pack = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    EXPECT_EQ(unpack, 1);
    EXPECT_EQ(pack, 1);
}

TEST_F(GLTextureTest, UpdateFromRawRewritesThePixels)
{
    C3DTexture_GL* texture = Make(kTexSingleLevel, 0, 3, 2, 24);
    const std::vector<uint8_t> fresh = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(texture->UpdateFromRaw(3, 2, 24, fresh.data()), 0);
    std::vector<uint8_t> back(fresh.size());
    glBindTexture(GL_TEXTURE_2D, texture->GetName_GL());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, fresh);

    const uint8_t other[18] = {};
    EXPECT_EQ(texture->UpdateFromRaw(3, 2, 12, other), int32_t(0x80000001u));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, fresh);
}

TEST_F(GLTextureTest, SelectSetsBlendingWrapAndEnvironment)
{
    C3DTexture_GL* alpha = Make(kTexSingleLevel, kTexAlpha | kTexRepeatS, 2, 2, 32);
    alpha->Select(0x08, 0);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(Parameter(alpha->GetName_GL(), GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(Parameter(alpha->GetName_GL(), GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);

    // Draw flags without 0x08 leave blending off even for a texture with alpha.
    alpha->Select(0x800, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // The world's alpha switch off does too.
    m_world->alpha.current = 0;
    alpha->Select(0x08, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    m_world->alpha.current = 1;

    C3DTexture_GL* additive = Make(kTexSingleLevel, kTexAlpha | kTexAdditive | kTexEnvReplace, 2, 2, 32);
    additive->Select(0x08, 0);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_REPLACE);

    C3DTexture_GL* combined = Make(kTexSingleLevel, kTexEnvCombine, 2, 2, 24);
    combined->Select(0, 1);
    GLint combine = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_COMBINE_RGB, &combine);
    EXPECT_EQ(env, GL_COMBINE);
    EXPECT_EQ(combine, GL_INTERPOLATE);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    C3DTexture_GL* projected = Make(kTexSingleLevel, kTexProjected, 2, 2, 24);
    projected->Select(0, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_Q));
    GLint gen = 0;
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &gen);
    EXPECT_EQ(gen, GL_EYE_LINEAR);
    alpha->Select(0, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    glPopMatrix();
}

TEST_F(GLCopyTest, ScreenCopyIsRaisedToPowersOfTwo)
{
    C3DTexture_GL* texture = static_cast<C3DTexture_GL*>(m_engine->CreateTexture(0, 0));
    ASSERT_NE(texture, nullptr);
    m_world->colorClear = 0xFF8040C0u;
    m_engine->BeginScene();
    EXPECT_EQ(texture->CopyFromScreen(0, 1, 0, 0), 0);
    ASSERT_NE(texture->GetName_GL(), 0u);
    GLint width = 0, height = 0, format = 0;
    glBindTexture(GL_TEXTURE_2D, texture->GetName_GL());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1024);
    EXPECT_EQ(texture->GetWidth(), 1024);
    EXPECT_EQ(texture->GetHeight(), 1024);
    // The bottom-left pixel of the window is the texture's first.
    std::vector<uint8_t> copied(size_t(1024) * 1024 * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, copied.data());
    EXPECT_EQ(copied[0], 0x80);
    EXPECT_EQ(copied[1], 0x40);
    EXPECT_EQ(copied[2], 0xC0);

    // Quarter-turned orientations exchange the sides first.
    m_world->realWidth = 100;
    m_world->realHeight = 300;
    m_world->orientation = 3;
    EXPECT_EQ(texture->CopyFromScreen(0, 1, 1, 0), 0);
    glBindTexture(GL_TEXTURE_2D, texture->GetName_GL());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 128);
}
