#include "NimbrelManagers/OverlayObjects.h"

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"

namespace {

constexpr uint32_t kFaceMode = 1;

}  // namespace

C3DObject* CreateOverlayObject(WorldData* w, uint32_t flags, uint32_t creation, uint32_t groups, uint32_t vertices)
{
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine || groups == 0 || vertices % groups != 0)
        return nullptr;
    C3DObject* object = engine->CreateObject(flags, creation);
    if (!object)
        return nullptr;
    if (Failed(object->Create(groups, vertices, vertices)) || Failed(object->Lock(0, 1))) {
        engine->ReleaseObject(object);
        return nullptr;
    }
    // Identity indices: group g's indices already name its own vertices.
    const uint32_t each = vertices / groups;
    for (uint32_t g = 0; g < groups; ++g)
        object->SetGroup(g, 0, each, g * each, each, each - 2, kPrimitiveTriangleStrip, kFaceMode,
                         kGroupIdOwnNumber);
    object->ResetIndices();
    object->Unlock(0);
    return object;
}

void ReleaseOverlayObject(WorldData* w, C3DObject** ppObject)
{
    if (!*ppObject)
        return;
    if (C3DEngine* engine = C3DEngine::FromWorld(w))
        engine->ReleaseObject(*ppObject);
    *ppObject = nullptr;
}

void SetRingStrip(C3DObject* o, const float inner[4], const float outer[4], uint32_t color)
{
    // Top-left, top-right, bottom-right, bottom-left, and the top-left again.
    const int corners[5][2] = {{0, 1}, {2, 1}, {2, 3}, {0, 3}, {0, 1}};
    o->Lock(2, 0);
    for (uint32_t i = 0; i < 5; ++i) {
        const int x = corners[i][0], y = corners[i][1];
        o->SetVertex(2 * i, inner[x], inner[y], 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
        o->SetVertex(2 * i + 1, outer[x], outer[y], 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    }
    o->Unlock(1);
}

void SetQuad(C3DObject* o, uint32_t first, float x0, float y0, float x1, float y1, uint32_t color)
{
    o->SetVertex(first, x0, y0, 0.0f, color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    o->SetVertex(first + 1, x1, y0, 0.0f, color, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    o->SetVertex(first + 2, x0, y1, 0.0f, color, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    o->SetVertex(first + 3, x1, y1, 0.0f, color, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0);
}
