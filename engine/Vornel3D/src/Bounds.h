#pragma once
// Boxes over points: the first point sets both corners, every later one widens them per axis.
// A box of no points keeps min at FLT_MAX and max at FLT_MIN (the smallest positive float).
#include <cfloat>
#include <cstdint>

#include "Vornel3D/C3DMath.h"

inline void WidenBox(C3DVector3& min, C3DVector3& max, const C3DVector3& p, bool first)
{
    if (first) {
        min = max = p;
        return;
    }
    if (p.x < min.x) min.x = p.x;
    if (p.y < min.y) min.y = p.y;
    if (p.z < min.z) min.z = p.z;
    if (p.x > max.x) max.x = p.x;
    if (p.y > max.y) max.y = p.y;
    if (p.z > max.z) max.z = p.z;
}

inline void WidenBox(C3DVector2& min, C3DVector2& max, const C3DVector2& p, bool first)
{
    if (first) {
        min = max = p;
        return;
    }
    if (p.x < min.x) min.x = p.x;
    if (p.y < min.y) min.y = p.y;
    if (p.x > max.x) max.x = p.x;
    if (p.y > max.y) max.y = p.y;
}

inline void SetEmptyBox(C3DVector3& min, C3DVector3& max)
{
    min = C3DVector3{FLT_MAX, FLT_MAX, FLT_MAX};
    max = C3DVector3{FLT_MIN, FLT_MIN, FLT_MIN};
}

inline void SetEmptyBox(C3DVector2& min, C3DVector2& max)
{
    min = C3DVector2{FLT_MAX, FLT_MAX};
    max = C3DVector2{FLT_MIN, FLT_MIN};
}

// The box of `count` points, point k given by point(k).
template <typename V, typename Point> void BoxOf(uint32_t count, Point point, V& min, V& max)
{
    SetEmptyBox(min, max);
    for (uint32_t k = 0; k < count; ++k)
        WidenBox(min, max, point(k), k == 0);
}
