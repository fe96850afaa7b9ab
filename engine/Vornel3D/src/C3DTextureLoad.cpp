// Texture loading: the image is decoded into a temporary C3DTextureRaw and handed to the
// back end's MakeFromRaw.
#include <new>

#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/WorldData.h"

Status C3DTexture::LoadThroughRaw(Source source, const void* data, uint32_t size, const char16_t* name,
                                  PackRecord* pEntry)
{
    C3DTextureRaw* raw = new (std::nothrow) C3DTextureRaw(m_pWorldData);
    if (!raw)
        return kStatusFailed;
    Status status;
    switch (source) {
    case Source::Memory:
        status = raw->MakeFromAddress(data, size, name);
        break;
    case Source::Packer:
        status = raw->LoadFromPacker(pEntry);
        name = pEntry ? pEntry->lastEntryName : nullptr;
        break;
    default:
        status = raw->LoadFromFile(name);
        break;
    }
    if (Failed(status)) {
        raw->Release();
        delete raw;
        return kStatusFailed;
    }

    status = Release();
    if (Succeeded(status))
        status = MakeFromRaw(raw->GetWidth(), raw->GetHeight(), raw->GetDepth(), raw->GetPixels(), name);
    m_nCornerColor = GetPixelARGB(raw->GetWidth(), raw->GetHeight(), raw->GetDepth(), raw->GetPixels(), 0, 0);
    m_nMipShift = raw->GetMipShift();
    raw->Release();
    delete raw;
    return status;
}
