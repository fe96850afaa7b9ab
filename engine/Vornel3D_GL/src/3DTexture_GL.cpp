#include "Vornel3D_GL/C3DTexture_GL.h"

#include "GLHeaders_GL.h"
#include "Vornel3D_GL/GLContext_GL.h"
#include "VornelUtils/PowerOfTwo.h"
#include "VornelUtils/WorldData.h"

namespace {

// Eye planes of the texture projected from the first light (S, T, R, Q).
const GLfloat kEyePlanes[4][4] = {
    {-0.97831f, -0.467837f, -0.728797f, 1603.122f},
    {-0.923405f, -0.0418916f, 0.923405f, 1603.122f},
    {-0.249518f, -0.935693f, 0.249518f, 3205.308f},
    {-0.249513f, -0.935674f, 0.249513f, 3206.244f},
};

void ModulateEnvironment()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
}

}  // namespace

C3DTexture_GL::C3DTexture_GL(WorldData* pWorldData) : C3DTexture(pWorldData) {}

C3DTexture_GL::~C3DTexture_GL()
{
    DeleteName();
}

void C3DTexture_GL::DeleteName()
{
    if (m_nName != 0) {
        const GLuint name = m_nName;
        glDeleteTextures(1, &name);
        m_nName = 0;
    }
}

Status C3DTexture_GL::Init()
{
    return kStatusOk;
}

Status C3DTexture_GL::Release()
{
    if (Failed(C3DTexture::Release()))
        return kStatusFailed;
    DeleteName();
    return kStatusOk;
}

int32_t C3DTexture_GL::MinFilter(uint32_t second)
{
    if ((second & kTexMinTrilinear) && !(second & (kTexMinNearest | kTexMinLinear | kTexProjected)))
        return GL_LINEAR_MIPMAP_LINEAR;
    return (second & kTexMinNearest) ? GL_NEAREST : GL_LINEAR;
}

int32_t C3DTexture_GL::MagFilter(uint32_t second)
{
    return (second & kTexMagNearest) ? GL_NEAREST : GL_LINEAR;
}

bool C3DTexture_GL::PixelFormat(uint8_t depth, uint32_t second, uint32_t* format, int32_t* components)
{
    switch (depth) {
    case 8:
        if (second & kTexAlpha) {
            *format = GL_ALPHA;
            *components = GL_ALPHA8;
        } else {
            *format = GL_LUMINANCE;
            *components = 1;
        }
        return true;
    case 16: *format = GL_LUMINANCE_ALPHA; *components = 2; return true;
    case 24: *format = GL_RGB; *components = 3; return true;
    case 32: *format = GL_RGBA; *components = 4; return true;
    default: return false;
    }
}

Status C3DTexture_GL::MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                                  const char16_t* name)
{
    uint32_t format = 0;
    int32_t components = 0;
    if (!PixelFormat(depth, m_nSecond, &format, &components))
        return kStatusFailed;
    // The mipmap builder reads every pixel; only a single level may be made without any.
    if (!pixels && !(m_nFlags & kTexSingleLevel))
        return kStatusFailed;
    m_nDepth = depth;
    m_nWidth = width;
    m_nHeight = height;

    DeleteName();
    GLuint generated = 0;
    glGenTextures(1, &generated);
    if (generated == 0)
        return kStatusFailed;
    m_nName = generated;
    glBindTexture(GL_TEXTURE_2D, generated);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, MinFilter(m_nSecond));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, MagFilter(m_nSecond));

    if (!(m_nFlags & kTexSingleLevel)) {
        if (gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels) != 0) {
            Release();
            return kStatusFailed;
        }
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_FALSE);
        while (glGetError() != GL_NO_ERROR) {
        }
        glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
        if (glGetError() == GL_OUT_OF_MEMORY) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    return C3DTexture::MakeFromRaw(width, height, depth, pixels, name);
}

Status C3DTexture_GL::UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels)
{
    uint32_t format = 0;
    int32_t components = 0;
    if (!PixelFormat(depth, m_nSecond, &format, &components))
        return kStatusFailed;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_nName);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixels);
    return kStatusOk;
}

void C3DTexture_GL::Bind(uint32_t)
{
    glBindTexture(GL_TEXTURE_2D, m_nName);
}

void C3DTexture_GL::Select(uint32_t drawFlags, uint32_t unit)
{
    const C3DGLContext* context = GLContextFromWorld(m_pWorldData);
    const bool multiTexture = context && context->features.multiTexture;
    // Without texture units the object works on unit 0 alone: a further stage would take
    // the place of the first.
    if (unit > 0 && !multiTexture)
        return;

    const bool alphaOn = m_pWorldData && m_pWorldData->alpha.current;
    if (alphaOn && (drawFlags & 0x08) && (m_nSecond & kTexAlpha)) {
        glEnable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
    } else {
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
    }
    glBlendFunc(GL_SRC_ALPHA, (m_nSecond & kTexAdditive) ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);

    if (multiTexture)
        glActiveTextureARB(GL_TEXTURE0 + unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_nName);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, (m_nSecond & kTexRepeatS) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, (m_nSecond & kTexRepeatT) ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_Q);

    if (m_nSecond & kTexEnvReplace) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    } else if (m_nSecond & kTexEnvCombine) {
        // Blends from the previous unit to this texture by the primary colour.
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_INTERPOLATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PREVIOUS);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_PRIMARY_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_COLOR);
    } else if (m_nSecond & kTexProjected) {
        // Projected from the first light: the current matrix keeps the look-at from the light.
        GLfloat readBack[16];
        if (m_pWorldData) {
            const WorldData& w = *m_pWorldData;
            glLoadIdentity();
            gluPerspective(w.fieldOfView, 1.0, w.nearDistance, w.farDistance);
            glGetFloatv(GL_MODELVIEW_MATRIX, readBack);
            glLoadIdentity();
            gluLookAt(w.light1.x, w.light1.y, w.light1.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
            glGetFloatv(GL_MODELVIEW_MATRIX, readBack);
        }
        ModulateEnvironment();
        const GLenum coords[4] = {GL_S, GL_T, GL_R, GL_Q};
        const GLenum gens[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
        for (int c = 0; c < 4; ++c) {
            glTexGeni(coords[c], GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
            glTexGenfv(coords[c], GL_EYE_PLANE, kEyePlanes[c]);
            glEnable(gens[c]);
        }
    } else {
        ModulateEnvironment();
    }
}

Status C3DTexture_GL::CopyFromScreen(uint8_t subImage, uint8_t screenSize, uint8_t alpha, int32_t level)
{
    glEnable(GL_TEXTURE_2D);
    if (m_nName == 0) {
        // A texture that never held an image gets its own GL texture here: copying into the
        // default texture would change what every unnamed texture shows.
        GLuint generated = 0;
        glGenTextures(1, &generated);
        m_nName = generated;
        glBindTexture(GL_TEXTURE_2D, generated);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, MinFilter(m_nSecond));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, MagFilter(m_nSecond));
    }
    Bind(0);

    uint32_t width = m_nWidth, height = m_nHeight;
    if (screenSize && m_pWorldData) {
        width = m_pWorldData->realWidth;
        height = m_pWorldData->realHeight;
    }
    if (m_pWorldData && (m_pWorldData->orientation == 3 || m_pWorldData->orientation == 4)) {
        const uint32_t t = width;
        width = height;
        height = t;
    }
    width = NextPowerOfTwo(width);
    height = NextPowerOfTwo(height);

    if (subImage) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, 0, 0, GLsizei(width), GLsizei(height));
    } else {
        glCopyTexImage2D(GL_TEXTURE_2D, level, alpha ? GL_RGBA : GL_RGB, 0, 0, GLsizei(width), GLsizei(height), 0);
        // The texture now holds an image of that size.
        if (level == 0 && width <= 0xFFFF && height <= 0xFFFF) {
            m_nWidth = uint16_t(width);
            m_nHeight = uint16_t(height);
            m_nDepth = alpha ? 32 : 24;
        }
    }
    return kStatusOk;
}
