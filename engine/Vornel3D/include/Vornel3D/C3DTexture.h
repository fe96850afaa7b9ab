#pragma once
// The renderer-independent texture: bit depth, size and name of the image it holds, and how many
// object stages hold it. Pixels reach the renderer through MakeFromRaw, which each back end
// overrides to create its device texture (and then calls this base to keep the name). Textures
// are created only by the 3D engine, which also shares them by name.
#include <cstdint>
#include <optional>
#include <string>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

struct PackRecord;

class C3DTexture : public CBaseObject {
public:
    explicit C3DTexture(WorldData* pWorldData);
    ~C3DTexture() override; // frees the name only; owners call Release first

    virtual Status Init();                 // 0
    virtual Status Release();              // forgets depth and size; back ends free the device texture first
    virtual void Reserved0();              // empty
    virtual void Select(uint32_t drawFlags, uint32_t unit); // empty in the base
    virtual void Bind(uint32_t unit);      // empty in the base
    // Copies the back buffer into the texture; 0x80000001 in the base.
    virtual Status CopyFromScreen(uint8_t subImage, uint8_t screenSize, uint8_t alpha, int32_t level);
    virtual void Reserved1(uint32_t a, uint32_t b, uint32_t c); // empty
    virtual Status StreamHook(void* a, uint32_t b);             // 0
    virtual void SetName(const char16_t* name);                  // a copy; null clears it

    // Back ends create the device texture from the pixels (rows bottom-up, no row padding), then
    // call this base, which keeps the name through SetFileName.
    virtual Status MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                               const char16_t* name);
    // Decode an image (PNG, JPEG, TGA or ".raw", chosen by the name's extension) and hand it to
    // MakeFromRaw. Any decoding failure gives 0x80000001.
    virtual Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name);
    virtual Status LoadFromPacker(PackRecord* pEntry); // the pack record positioned at the entry
    virtual Status LoadFromFile(const char16_t* path);
    virtual Status Reserved2(uint32_t value); // 0x80000001

    virtual bool IsLoaded();     // depth, width or height non-zero
    virtual Status Clear();      // depth, width and height := 0
    // Rewrites the device pixels; 0x80000001 in the base.
    virtual Status UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels);

    virtual int32_t AddRef();     // the new use count
    virtual int32_t ReleaseRef(); // the new use count
    virtual int32_t GetUseCount();

    // ARGB of pixel (x, y) of the given block, converted by this texture's own bit depth
    // (8 grey, 16 grey+alpha, 24 RGB, 32 the stored word); 0 when out of range or no pixels.
    virtual uint32_t GetPixelARGB(uint32_t width, uint32_t height, uint8_t depth, const uint8_t* pixels,
                                  uint32_t x, uint32_t y);
    virtual Status LoadTextureFromPackerEx(uint32_t value); // not implemented: logs, 0x80000001

    // Keeps the name relative to the data folder when the world knows the folder's prefix
    // length, else the file-name part. Null changes nothing.
    void SetFileName(const char16_t* name);

    // The two creation words, stored by the engine's AddTexture.
    void SetCreationWords(uint32_t flags, uint32_t second) { m_nFlags = flags; m_nSecond = second; }
    uint32_t GetFlags() const { return m_nFlags; }
    uint32_t GetSecond() const { return m_nSecond; }

    uint8_t GetDepth() const { return m_nDepth; }
    uint16_t GetWidth() const { return m_nWidth; }
    uint16_t GetHeight() const { return m_nHeight; }
    // Null when the texture has no name.
    const char16_t* GetName() const { return m_name ? m_name->c_str() : nullptr; }
    uint8_t GetMipShift() const { return m_nMipShift; }
    uint32_t GetCornerColor() const { return m_nCornerColor; }

protected:
    enum class Source { Memory, Packer, File };
    Status LoadThroughRaw(Source source, const void* data, uint32_t size, const char16_t* name,
                          PackRecord* pEntry);

    uint32_t m_nFlags = 0;
    uint32_t m_nSecond = 0;
    uint8_t m_nDepth = 0;
    uint16_t m_nWidth = 0;
    uint16_t m_nHeight = 0;
    std::optional<std::u16string> m_name;
    uint8_t m_nMipShift = 0;
    uint32_t m_nCornerColor = 0;
    int32_t m_nUseCount = 0;
};
