#pragma once
// The triangles of one draw group, in the order every pass over an object's faces walks them.
// fn(ia, ib, ic, a, b, c) gets the three index values and their vertex numbers (value + the
// group's base vertex). A fan's triangles are (hub, i, i + 1); lines and points have no faces.
#include <cstdint>

#include "Vornel3D/C3DObject.h"

template <typename Fn> void ForEachGroupTriangle(C3DObject& object, const C3DGroupRecord& r, Fn fn)
{
    const uint32_t first = r.firstIndex;
    const uint32_t base = r.baseVertex;
    auto emit = [&](uint32_t i0, uint32_t i1, uint32_t i2) {
        const uint32_t a = object.GetIndex(i0), b = object.GetIndex(i1), c = object.GetIndex(i2);
        fn(a, b, c, a + base, b + base, c + base);
    };
    switch (r.type) {
    case kPrimitiveTriangleList:
        for (uint32_t k = 0; k + 2 < r.indexCount; k += 3)
            emit(first + k, first + k + 1, first + k + 2);
        break;
    case kPrimitiveTriangleStrip:
        for (uint32_t k = 0; k < r.primitiveCount && k + 2 < r.indexCount; ++k) {
            const uint32_t i = first + k;
            if (k % 2 == 0)
                emit(i, i + 1, i + 2);
            else
                emit(i + 1, i, i + 2);
        }
        break;
    case kPrimitiveTriangleFan:
        for (uint32_t k = 1; k + 1 < r.indexCount; ++k)
            emit(first, first + k, first + k + 1);
        break;
    default:
        break;
    }
}
