#include "Vornel3D/C3DTextureRaw.h"

#include <cstdlib>
#include <cstring>

#include "ImageCodecs.h"
#include "VornelUtils/UtilsMemory.h"
#include "ImageFile.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

bool IsPowerOfTwo(uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

bool HasExtension(const char16_t* name, const char16_t* extension)
{
    return Succeeded(UtilsString_CompareSameLength(UtilsString_GetExtension(name), extension));
}

} // namespace

C3DTextureRaw::C3DTextureRaw(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DTextureRaw::~C3DTextureRaw()
{
    if (m_bOwnsPixels)
        UTILS_FREE(m_pPixels);
}

Status C3DTextureRaw::Init()
{
    return kStatusOk;
}

void C3DTextureRaw::FreePixels()
{
    if (m_bOwnsPixels)
        UTILS_FREE(m_pPixels);
    m_pPixels = nullptr;
    m_bOwnsPixels = false;
}

void C3DTextureRaw::TakePixels(uint8_t* pixels, bool owned, uint16_t width, uint16_t height, uint8_t depth)
{
    FreePixels();
    m_pPixels = pixels;
    m_bOwnsPixels = owned;
    m_nWidth = width;
    m_nHeight = height;
    m_nDepth = depth;
}

Status C3DTextureRaw::Release()
{
    // An attached block is freed too: Release hands it over.
    UTILS_FREE(m_pPixels);
    m_pPixels = nullptr;
    m_bOwnsPixels = false;
    m_nDepth = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    SetName(nullptr);
    return kStatusOk;
}

void C3DTextureRaw::SetName(const char16_t* name)
{
    // Built before it replaces the old name, which it may point into.
    m_name = name ? std::optional<std::u16string>(name) : std::nullopt;
}

Status C3DTextureRaw::SetPixelsCopy(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels)
{
    const size_t bytes = size_t(width) * height * (depth / 8u);
    uint8_t* copy = static_cast<uint8_t*>(UTILS_MALLOC(bytes ? bytes : 1));
    if (!copy || (bytes && !pixels)) {
        UTILS_FREE(copy);
        return kStatusFailed;
    }
    if (bytes)
        std::memcpy(copy, pixels, bytes);
    TakePixels(copy, true, width, height, depth);
    SetName(nullptr);
    return kStatusOk;
}

Status C3DTextureRaw::AttachPixels(uint16_t width, uint16_t height, uint8_t depth, uint8_t* pixels)
{
    TakePixels(pixels, false, width, height, depth);
    SetName(nullptr);
    return kStatusOk;
}

Status C3DTextureRaw::Latch(Status status)
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = status;
    return status;
}

Status C3DTextureRaw::MakeFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    return LoadImage(Source::Memory, data, size, nullptr, 0, name);
}

Status C3DTextureRaw::LoadFromPacker(PackRecord* pEntry)
{
    if (!pEntry || !pEntry->pFile)
        return kStatusFailed;
    return LoadImage(Source::Packer, nullptr, 0, pEntry->pFile, pEntry->lastEntrySize, pEntry->lastEntryName);
}

Status C3DTextureRaw::LoadFromFile(const char16_t* path)
{
    FILE* file = OpenImageFile(path, "rb");
    if (!file)
        return Latch(kStatusFileNotOpened);
    int64_t size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return kStatusFailed;
    }
    const Status status = LoadImage(Source::File, nullptr, 0, file, size, path);
    std::fclose(file);
    return status;
}

Status C3DTextureRaw::LoadImage(Source source, const void* data, uint32_t size, void* file, int64_t limit,
                                const char16_t* name)
{
    ImageInput input;
    if (source == Source::Memory) {
        if (!data && size > 0)
            return kStatusFailed;
        input.data = static_cast<const uint8_t*>(data);
        input.size = size;
    } else {
        input.file = static_cast<FILE*>(file);
        input.limit = uint64_t(limit);
    }

    Status (*decode)(const ImageInput&, DecodedImage*) = nullptr;
    if (HasExtension(name, u".tga"))
        decode = DecodeTga;
    else if (HasExtension(name, u".png"))
        decode = DecodePng;
    else if (HasExtension(name, u".jpg"))
        decode = DecodeJpeg;
    else if (HasExtension(name, u".raw"))
        decode = DecodeRawBlock;
    if (!decode)
        return kStatusFailed;

    DecodedImage image;
    const Status status = decode(input, &image);
    if (Failed(status))
        return status == kStatusOutOfMemory ? Latch(status) : status;

    TakePixels(image.pixels, true, image.width, image.height, image.depth);
    m_nMipShift = 0;

    if (m_pWorldData && m_pWorldData->texturePowerOfTwo && (!IsPowerOfTwo(m_nWidth) || !IsPowerOfTwo(m_nHeight)))
        return Latch(source == Source::Memory ? kStatusTextureNotPowerOfTwo : kStatusUnsupportedImage);
    if (Failed(FitToRenderer()))
        return kStatusFailed;
    SetName(UtilsString_GetFileName(name));
    return status;
}

Status C3DTextureRaw::FitToRenderer()
{
    if (!m_pWorldData || !m_pPixels)
        return kStatusOk;
    const uint32_t maxWidth = m_pWorldData->maxTextureWidth;
    const uint32_t maxHeight = m_pWorldData->maxTextureHeight;
    // A zero maximum means no limit; any other must be a power of two, like the image.
    if ((maxWidth && !IsPowerOfTwo(maxWidth)) || (maxHeight && !IsPowerOfTwo(maxHeight)) ||
        !IsPowerOfTwo(m_nWidth) || !IsPowerOfTwo(m_nHeight))
        return kStatusOk;

    uint32_t targetWidth = m_nWidth;
    uint32_t targetHeight = m_nHeight;
    const uint8_t shift = m_pWorldData->textureMipShift;
    if (shift != 0) {
        targetWidth = shift < 16 ? targetWidth >> shift : 0;
        targetHeight = shift < 16 ? targetHeight >> shift : 0;
        if (targetWidth == 0 || targetHeight == 0)
            return kStatusOk;
        m_nMipShift = shift;
    }
    if (maxWidth && maxHeight) {
        if (targetWidth > maxWidth)
            targetWidth = maxWidth;
        if (targetHeight > maxHeight)
            targetHeight = maxHeight;
    }
    const uint32_t fx = m_nWidth / targetWidth;
    const uint32_t fy = m_nHeight / targetHeight;
    if (fx == 1 && fy == 1)
        return kStatusOk;

    const uint32_t channels = m_nDepth / 8u;
    if (channels == 0)
        return kStatusOk;
    uint8_t* target = static_cast<uint8_t*>(UTILS_MALLOC(size_t(targetWidth) * targetHeight * channels));
    if (!target)
        return kStatusFailed;
    const size_t sourceStride = size_t(m_nWidth) * channels;
    const uint32_t count = fx * fy;
    for (uint32_t r = 0; r < targetHeight; ++r) {
        for (uint32_t c = 0; c < targetWidth; ++c) {
            for (uint32_t k = 0; k < channels; ++k) {
                uint64_t sum = 0;
                for (uint32_t y = 0; y < fy; ++y) {
                    const uint8_t* row = m_pPixels + size_t(r * fy + y) * sourceStride;
                    for (uint32_t x = 0; x < fx; ++x)
                        sum += row[size_t(c * fx + x) * channels + k];
                }
                target[(size_t(r) * targetWidth + c) * channels + k] = uint8_t(sum / count);
            }
        }
    }
    TakePixels(target, true, uint16_t(targetWidth), uint16_t(targetHeight), m_nDepth);
    return kStatusOk;
}

Status C3DTextureRaw::SaveToFile(const char16_t* path, bool upsideDown)
{
    const bool png = HasExtension(path, u".png");
    const bool jpeg = !png && HasExtension(path, u".jpg");
    if (!png && !jpeg)
        return kStatusFailed;
    // Refuse before creating the file.
    const bool depthOk = png ? (m_nDepth == 8 || m_nDepth == 16 || m_nDepth == 24 || m_nDepth == 32) : m_nDepth == 24;
    if (!depthOk || !m_pPixels || m_nWidth == 0 || m_nHeight == 0)
        return kStatusFailed;
    FILE* file = OpenImageFile(path, "wb");
    if (!file)
        return kStatusImageNotWritable;
    Status status = png ? EncodePng(file, m_nWidth, m_nHeight, m_nDepth, m_pPixels, upsideDown)
                        : EncodeJpeg(file, m_nWidth, m_nHeight, m_pPixels, upsideDown);
    if (std::fclose(file) != 0 && Succeeded(status))
        status = kStatusFailed;
    if (status == kStatusOutOfMemory)
        Latch(status);
    return status;
}
