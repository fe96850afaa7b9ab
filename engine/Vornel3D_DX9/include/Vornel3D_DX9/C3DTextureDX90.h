#pragma once
// The Direct3D 9 texture: one level in D3DPOOL_MANAGED (kept across device resets) made from a
// decoded image, rewritten in place, or scaled from the back buffer; when an object selects it
// for a stage it sets the stage's blending, colour and alpha operations, addressing and
// filters from its second word.
#include <cstdint>

#include <d3d9.h>

#include "Vornel3D/C3DTexture.h"

// Bits of a texture's second word that Select reads.
constexpr uint32_t kDX9TexMinPoint = 0x01;
constexpr uint32_t kDX9TexMagPoint = 0x08;
constexpr uint32_t kDX9TexMagLinear = 0x10;
constexpr uint32_t kDX9TexAnisotropic = 0x20;
constexpr uint32_t kDX9TexAlpha = 0x40;
constexpr uint32_t kDX9TexAdditive = 0x80;
constexpr uint32_t kDX9TexModulate = 0x100;
constexpr uint32_t kDX9TexMultiplyAdd = 0x200;
constexpr uint32_t kDX9TexNoAnisotropic = 0x400;
constexpr uint32_t kDX9TexWrapU = 0x1000;
constexpr uint32_t kDX9TexWrapV = 0x2000;

class C3DTextureDX90 : public C3DTexture {
public:
    explicit C3DTextureDX90(WorldData* pWorldData);
    // Releases the device texture when one is left.
    ~C3DTextureDX90() override;

    Status Init() override;    // 0
    Status Release() override; // the base, then the device texture
    void Select(uint32_t drawFlags, uint32_t stage) override;
    void Bind(uint32_t stage) override; // SetTexture only
    // The whole back buffer scaled into the whole texture (the arguments are not used). A
    // texture without a device texture gets one of the back buffer's own size. 0 or 0x80000001.
    Status CopyFromScreen(uint8_t subImage, uint8_t screenSize, uint8_t alpha, int32_t level) override;
    // Depth 8 (A8L8, full alpha), 16 (A8L8), 24 (X8R8G8B8) or 32 (A8R8G8B8); another depth
    // fails after the old device texture went. Raw row h-1 becomes texture row 0. With pixels,
    // a device texture smaller than the image or of another texel layout is dropped: 0x80000001.
    Status MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                       const char16_t* name) override;
    bool IsLoaded() override;
    Status Clear() override;
    // Rewrites the device texture with the same conversion; a depth that is not 8, 16, 24 or
    // 32 copies nothing. A size larger than the texture, a texture whose texels are not the
    // depth's (HoldsTexelsOfDepth), no pixels or no texture: 0x80000001.
    Status UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels) override;

    IDirect3DTexture9* GetDeviceTexture() const { return m_pTexture; }

    // The device format of a raw depth; D3DFMT_UNKNOWN for a depth the texture refuses.
    static D3DFORMAT FormatOfDepth(uint8_t depth);
    // Whether texels of this format have the layout that raw pixels of that depth convert to:
    // A8L8 for 8 and 16, X8R8G8B8 or A8R8G8B8 for 24 and 32.
    static bool HoldsTexelsOfDepth(D3DFORMAT format, uint8_t depth);
    // Sampler filters of a second word.
    static D3DTEXTUREFILTERTYPE MinFilter(uint32_t second);
    static D3DTEXTUREFILTERTYPE MagFilter(uint32_t second);
    // Converts raw pixels (rows bottom-up) into texture rows from the top, `pitch` bytes apart.
    static void ConvertRows(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels, uint8_t* out,
                            uint32_t pitch);

private:
    void ReleaseDeviceTexture();
    Status Fill(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels);

    IDirect3DTexture9* m_pTexture = nullptr;
};
