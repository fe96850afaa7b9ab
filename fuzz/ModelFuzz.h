#pragma once
// Shared by the model fuzz targets: a raw model that read without a fault must write, read back
// and write again to the same bytes, and its tracks must step without a fault.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "Vornel3D/C3DObjectModifier.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

// Steps a track a few frames through its Apply, as an owner without a target object would.
inline void StepModifier(C3DObjectModifier* modifier, WorldData* world)
{
    for (double frame : {0.0, 0.5, 3.0, 100.0}) {
        world->frameTime = frame;
        C3DVector3 out{};
        switch (modifier->GetKind()) {
        case kModifierScale: static_cast<C3DObjectModifierScale*>(modifier)->Apply(); break;
        case kModifierPosition: static_cast<C3DObjectModifierPosition*>(modifier)->Apply(&out); break;
        case kModifierRotation: static_cast<C3DObjectModifierRotation*>(modifier)->Apply(&out); break;
        case kModifierDirectAlpha: static_cast<C3DObjectModifierDirectAlpha*>(modifier)->Apply(); break;
        case kModifierDirectColor: static_cast<C3DObjectModifierDirectColor*>(modifier)->Apply(); break;
        default: modifier->Update(); break;
        }
    }
    modifier->Seek(0.5f);
    modifier->SetMode(kModifierPlayOnce, true);
    modifier->Update();
}

inline void CheckModelRoundTrip(C3DObjectRaw& raw, uint32_t flags, WorldData* world)
{
    UtilsStream_Static first(kStreamReadWriteGrowable, nullptr, 0);
    first.Open();
    if (Failed(raw.Write3dx(&first, flags)))
        std::abort();
    C3DObjectRaw back(world);
    UtilsStream_Static in(kStreamRead, first.GetBlock(), first.GetSize());
    in.Open();
    if (Failed(back.LoadFromStream(&in)))
        std::abort();
    UtilsStream_Static second(kStreamReadWriteGrowable, nullptr, 0);
    second.Open();
    if (Failed(back.Write3dx(&second, flags)) || second.GetSize() != first.GetSize() ||
        std::memcmp(second.GetBlock(), first.GetBlock(), first.GetSize()) != 0)
        std::abort();
    const C3DModelRecord* r = raw.GetRecord();
    C3DVector3 min, max;
    raw.GetBoundingBox(&min, &max);
    for (uint32_t g = 0; g < r->groupCount; ++g) {
        raw.GetGroupBoundingBox(g, &min, &max);
        for (uint32_t kind = 0; r->modifiers && kind < kModifierKindCount; ++kind)
            if (C3DObjectModifier* modifier = r->modifiers[g][kind])
                StepModifier(modifier, world);
    }
}
