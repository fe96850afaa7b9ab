#pragma once
// An image in memory: bit depth, size, mip shift and a pixel block. Reads TGA (types 2 and 10),
// PNG, JPEG and ".raw" (256 x 256 RGB) from memory, from an open pack entry or from a file, by
// the name's extension; fits the image to the renderer's limits; writes PNG and JPEG.
//
// Pixel block: rows bottom-up (the first stored row is the bottom row of the picture), no gap
// between rows; 8 bits grey, 16 grey+alpha, 24 R,G,B, 32 R,G,B,A (bytes in memory order).
#include <cstdint>
#include <optional>
#include <string>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

struct PackRecord;

class C3DTextureRaw : public CBaseObject {
public:
    explicit C3DTextureRaw(WorldData* pWorldData);
    // Frees a block the image owns; an attached block stays the caller's.
    ~C3DTextureRaw() override;

    virtual Status Init(); // 0
    // Frees the pixels (an attached block too) and the name.
    virtual Status Release();
    virtual void SetName(const char16_t* name); // a copy; null clears it
    // Copies width x height x depth/8 bytes; clears the name. Out of memory: 0x80000001.
    virtual Status SetPixelsCopy(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels);
    // Takes the caller's block without copying (malloc'ed if Release is to free it); clears the name.
    virtual Status AttachPixels(uint16_t width, uint16_t height, uint8_t depth, uint8_t* pixels);

    // Loaders. 0 on success; 0x80000001 for an unknown extension or a bad image; 0x8001000B when
    // the file does not open; 0x8003000C (memory) or 0x8001000C (pack entry, file) when the
    // world demands power-of-two sizes and the image has none; 0x80000002 out of memory.
    virtual Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name);
    // The pack record as the pack locator left it: file at the entry's data, its size and name.
    virtual Status LoadFromPacker(PackRecord* pEntry);
    virtual Status LoadFromFile(const char16_t* path);

    // ".png" or ".jpg" (JPEG: 24-bit images only, quality 50). With upsideDown clear the file
    // shows the picture upright (stored rows written last to first); set, rows in stored order.
    // Unknown extension or unsupported depth 0x80000001; file not created 0x8005000B.
    virtual Status SaveToFile(const char16_t* path, bool upsideDown);

    // Shrinks the image by the world's mip shift and to the renderer's maximum size with a box
    // filter. Only power-of-two images (and limits) are touched. Out of memory: 0x80000001.
    Status FitToRenderer();

    uint8_t GetDepth() const { return m_nDepth; }
    uint16_t GetWidth() const { return m_nWidth; }
    uint16_t GetHeight() const { return m_nHeight; }
    uint8_t GetMipShift() const { return m_nMipShift; }
    const uint8_t* GetPixels() const { return m_pPixels; }
    uint8_t* GetPixels() { return m_pPixels; }
    size_t GetPixelBytes() const { return size_t(m_nWidth) * m_nHeight * (m_nDepth / 8); }
    // Null when the image has no name.
    const char16_t* GetName() const { return m_name ? m_name->c_str() : nullptr; }

private:
    enum class Source { Memory, Packer, File };
    Status LoadImage(Source source, const void* data, uint32_t size, void* file, int64_t limit,
                     const char16_t* name);
    void FreePixels();
    // The block (owned: freed by this image) and its size in place of the old block.
    void TakePixels(uint8_t* pixels, bool owned, uint16_t width, uint16_t height, uint8_t depth);
    Status Latch(Status status);

    uint8_t m_nDepth = 0;
    uint16_t m_nWidth = 0;
    uint16_t m_nHeight = 0;
    uint8_t m_nMipShift = 0;
    uint8_t* m_pPixels = nullptr;
    bool m_bOwnsPixels = false;
    std::optional<std::u16string> m_name;
};
