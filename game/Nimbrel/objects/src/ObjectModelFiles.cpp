// The model files of a scene object: the models written from its elements, the animation file
// written and read.
#include "NimbrelObjects/ObjectModelFiles.h"

#include <initializer_list>

#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/WorldData.h"

namespace {

// What the ".obj" reader gives a model's textures: loaded once by name, clamped and filtered.
constexpr uint32_t kObjectTextureKind = 1;
constexpr uint32_t kObjectTextureFlags = 0x52;

}  // namespace

Status BuildObjectModel(C3DObjectRaw* pRaw, const ObjectModelElement* pElements, uint32_t count, bool collision)
{
    Status status = pRaw->Create(0, 0, 0);
    for (uint32_t g = 0; Succeeded(status) && g < count; ++g) {
        const ObjectModelElement& e = pElements[g];
        status = pRaw->AddGroups(1, kPrimitiveTriangleList, kFaceModeBoth, 0, 0, 0, nullptr);
        const float w = e.width * 0.5f, h = e.height * 0.5f;
        // The quad's corners clockwise from the top left, with their texture coordinates.
        const float quad[] = {-w, -h, w, -h, w, h, -w, h};
        const float* points = quad;
        uint32_t pointCount = 4;
        if (collision && e.polygon) {
            if (e.polygonPoints < 3)
                return kStatusFailed;
            points = e.polygon;
            pointCount = e.polygonPoints;
        }
        // A fan from the first point, one vertex per corner of every triangle.
        for (uint32_t t = 1; Succeeded(status) && t + 1 < pointCount; ++t)
            for (uint32_t corner : {0u, t, t + 1}) {
                const float x = points[2 * corner], y = points[2 * corner + 1];
                const float u = w > 0.0f ? (x + w) / (2.0f * w) : 0.0f;
                const float v = h > 0.0f ? (y + h) / (2.0f * h) : 0.0f;
                status = pRaw->AddVertex(g, x, y, 0.0f, 0xFFFFFFFFu, u, v, 0.0f, 0.0f, -1.0f, 0xFF000000u);
                if (Failed(status))
                    break;
            }
        if (Succeeded(status) && !collision && e.texture && *e.texture)
            status = pRaw->SetGroupTexture(g, e.texture, kObjectTextureKind, kObjectTextureFlags);
    }
    if (Succeeded(status))
        status = pRaw->BuildGroups();
    return status;
}

Status WriteObjectAnimation(UtilsStream* pStream, uint32_t elementCount, C3DObjectModifier* const* tracks)
{
    if (!pStream->Write(&elementCount, 4, 1))
        return kStatusFailed;
    for (uint32_t i = 0; i < elementCount * kElementTrackKinds; ++i) {
        const uint32_t none = 0;
        if (tracks[i] ? Failed(tracks[i]->Save(pStream)) : !pStream->Write(&none, 4, 1))
            return kStatusFailed;
    }
    return kStatusOk;
}

Status ReadObjectTracks(UtilsStream* pStream, WorldData* pWorldData, uint32_t count,
                        C3DObjectModifier* (*rows)[kElementTrackKinds])
{
    for (uint32_t i = 0; i < count; ++i)
        for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
            uint32_t word = 0;
            if (!pStream->Read(&word, 4, 1))
                return kStatusFailed;
            if (!word)
                continue;
            C3DObjectModifier* track = CreateObjectModifier(kind, pWorldData);
            if (!track) {
                if (pWorldData)
                    pWorldData->lastErrorCode = kStatusOutOfMemory;
                return kStatusOutOfMemory;
            }
            rows[i][kind] = track;
            if (Failed(track->Load(pStream, word)))
                return kStatusFailed;
        }
    return kStatusOk;
}
