#pragma once
// What the built-in shapes share: the common frame of every builder and the face mode that
// the object's creation word chooses.
#include <cstdint>

#include "Vornel3D/C3DObject.h"

namespace Shapes {

constexpr float kPi = 3.14159265358979f;

// Clears the pending normal passes when asked, creates the geometry and locks it. Counts
// that 32 bits cannot hold are refused before anything changes; 0x80000001 on any failure.
Status Begin(C3DObject& object, bool clearNormals, uint64_t groups, uint64_t vertices, uint64_t indices);

// 0x40 of the creation word gives face mode 0, else 0x100 gives 2, else 0x80 gives 1, else 0.
uint32_t FaceMode(const C3DObject& object);

// The normal of a shape facing along an axis code (0 z, 1 x, 2 y; any other code none).
C3DVector3 AxisNormal(uint32_t axis);

Status Sphere(C3DObject& object, void* parameters, bool half);
Status Disc(C3DObject& object, void* parameters, uint32_t kind);
Status Grid(C3DObject& object, void* parameters);
Status Box(C3DObject& object, const void* parameters);
Status AxisCross(C3DObject& object, const void* parameters);
Status Cone(C3DObject& object, const void* parameters);
Status Relief(C3DObject& object, const void* parameters);
Status Tube(C3DObject& object, void* parameters);
Status Rings(C3DObject& object, const void* parameters);
Status PointSphere(C3DObject& object, const void* parameters);

} // namespace Shapes
