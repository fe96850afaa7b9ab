#include "Vornel3D/C3DTexture.h"

// Decoding lands with the image reader; until then every load fails cleanly.
Status C3DTexture::LoadThroughRaw(Source, const void*, uint32_t, const char16_t*, PackRecord*)
{
    return kStatusFailed;
}
