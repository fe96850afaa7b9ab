// The 3D object's projection and its whole-model entry points.
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DView.h"

void C3DObject::ApplyProjection()
{
    C3DEngine* engine = Engine();
    if (C3DView* view = engine ? engine->GetView() : nullptr)
        view->ApplyPerspective();
}

// Model files are read and written by the model reader, which fills the raw model that
// LoadFromRaw and SaveToRaw exchange with the object. Until it is part of the engine these
// entry points refuse cleanly rather than build half a model.

Status C3DObject::LoadModelFromAddress(const void*, uint32_t, const char16_t*)
{
    return kStatusFailed;
}

Status C3DObject::LoadModelFromAddressEx(const void*, uint32_t, const char16_t*, PackLocatorFn)
{
    return kStatusFailed;
}

Status C3DObject::LoadModelFromPacker(PackRecord*)
{
    return kStatusFailed;
}

Status C3DObject::LoadModelFromPackerEx(PackRecord*, StaticLocatorFn)
{
    return kStatusFailed;
}

Status C3DObject::LoadModelFromFile(const char16_t*, const char16_t*)
{
    return kStatusFailed;
}

Status C3DObject::LoadModelFromFileEx(const char16_t*, const char16_t*, StaticLocatorFn, PackLocatorFn)
{
    return kStatusFailed;
}

Status C3DObject::SaveModelToFile(const char16_t*, uint32_t)
{
    return kStatusFailed;
}
