#pragma once
// The OpenGL texture: a GL texture object made from a decoded image (with mipmaps built by the
// utility library, or one level), rewritten in place, or copied from the frame buffer; when an
// object selects it for a texture unit it sets the unit's blending, wrapping, texture
// environment and coordinate generation from its second word.
#include <cstdint>

#include "Vornel3D/C3DTexture.h"

// Bits of a texture's second word used by the OpenGL texture.
constexpr uint32_t kTexMinNearest = 0x01;
constexpr uint32_t kTexMinLinear = 0x02;
constexpr uint32_t kTexMinTrilinear = 0x04;
constexpr uint32_t kTexMagNearest = 0x08;
constexpr uint32_t kTexAlpha = 0x40;
constexpr uint32_t kTexAdditive = 0x80;
constexpr uint32_t kTexEnvReplace = 0x100;
constexpr uint32_t kTexEnvCombine = 0x200;
constexpr uint32_t kTexProjected = 0x400;
constexpr uint32_t kTexRepeatS = 0x1000;
constexpr uint32_t kTexRepeatT = 0x2000;
// Bit of the flags word: one level, no mipmaps.
constexpr uint32_t kTexSingleLevel = 0x08;

class C3DTexture_GL : public C3DTexture {
public:
    explicit C3DTexture_GL(WorldData* pWorldData);
    // Deletes the GL texture when one is left.
    ~C3DTexture_GL() override;

    Status Init() override;    // 0
    Status Release() override; // the base, then the GL texture
    void Select(uint32_t drawFlags, uint32_t unit) override;
    void Bind(uint32_t unit) override; // the texture on the active unit, no state touched
    // The frame buffer into the texture, each size raised to a power of two; 0.
    Status CopyFromScreen(uint8_t subImage, uint8_t screenSize, uint8_t alpha, int32_t level) override;
    // Depth 8 (GL_LUMINANCE, or GL_ALPHA8 with kTexAlpha), 16, 24 or 32; another depth fails.
    Status MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                       const char16_t* name) override;
    Status UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels) override;

    uint32_t GetName_GL() const { return m_nName; }

    // Filters of a second word (GL enums).
    static int32_t MinFilter(uint32_t second);
    static int32_t MagFilter(uint32_t second);
    // Pixel format and component count of a bit depth; false for a depth the texture refuses.
    static bool PixelFormat(uint8_t depth, uint32_t second, uint32_t* format, int32_t* components);

private:
    void DeleteName();

    uint32_t m_nName = 0;
};
