#pragma once
// The engine's vector and matrix library. One stateless object, reached by every engine class
// through the world data record, so that a renderer could substitute faster versions.
//
// Conventions, fixed for the whole engine:
// - A matrix is 16 floats stored row by row: element i of row r is m[4 * r + i].
// - Vectors are row vectors multiplied on the left: v' = v x M, so
//   x' = x * m[0] + y * m[4] + z * m[8] + w * m[12].
// - Rows 0, 1, 2 are the X, Y, Z axes of a transform; row 3 (elements 12, 13, 14) its
//   translation.
// - Scale, Translate and Rotate multiply the new transform in FRONT of the matrix
//   (M := S x M), so the new step applies to a vertex before what the matrix already held.
// - Angles are radians. Identity and equality tests compare floats exactly.
// - Perspective matrices map depth to [-1, 1] (element 11 = +1 for left-handed).
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

struct C3DVector2 {
    float x, y;
};

struct C3DVector3 {
    float x, y, z;
};

struct C3DVector4 {
    float x, y, z, w;
};

// Results of C3DMath::BoxInFrustum.
enum : int { kFrustumOutside = 0, kFrustumIntersecting = 1, kFrustumInside = 2 };

// FacingTest modes: 0 always answers 0; 2 fails for a triangle facing +z; others fail for a
// triangle facing away from +z.
enum : int { kFacingNone = 0, kFacingFront = 1, kFacingBack = 2 };

// (x, y, z, 1) x m with the w column ignored (no division). Writes and returns out.
C3DVector3* TransformCoord(C3DVector3* out, const C3DVector3* v, const float* m);

class C3DMath : public CBaseObject {
public:
    explicit C3DMath(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    ~C3DMath() override = default;

    static C3DVector3 SetVector3(float x, float y, float z) { return C3DVector3{x, y, z}; }
    static C3DVector4 SetVector4(float x, float y, float z, float w) { return C3DVector4{x, y, z, w}; }

    // --- vectors -------------------------------------------------------------------------
    // A zero-length vector is copied unchanged by the normalisers.
    virtual C3DVector2* Vec2Normalize(C3DVector2* out, const C3DVector2* v);
    virtual float Vec2Length(const C3DVector2* v);
    virtual C3DVector3* Vec3Cross(C3DVector3* out, const C3DVector3* a, const C3DVector3* b);
    virtual float Vec3Dot(const C3DVector3* a, const C3DVector3* b);
    virtual C3DVector3* Vec3Normalize(C3DVector3* out, const C3DVector3* v);
    virtual float Vec3Length(const C3DVector3* v);
    virtual C3DVector3* Vec3TransformCoord(C3DVector3* out, float x, float y, float z, const float* m);
    virtual C3DVector3* Vec3TransformCoordV(C3DVector3* out, const C3DVector3* v, const float* m);
    // Only the z of (x, y, z, 1) x m.
    virtual float TransformDepth(float x, float y, float z, const float* m);
    virtual float TransformDepthV(const C3DVector3* v, const float* m);
    virtual C3DVector3* Vec3CrossB(C3DVector3* out, const C3DVector3* a, const C3DVector3* b);

    // Screen position of p (world may be null): x, y in pixels (y down), z in [0, 1].
    // A point with w = 0 gives (0, 0, -1).
    virtual C3DVector3* Project(C3DVector3* out, uint32_t width, uint32_t height, const float* view,
                                const float* projection, const C3DVector3* p, const float* world);
    // p in pixels (no y flip) and depth [0, 1] through m, the inverse of view x projection.
    // w = 0 gives (0, 0, 0).
    virtual C3DVector3* Unproject(C3DVector3* out, uint32_t width, uint32_t height, const float* m,
                                  const C3DVector3* p);

    // Per component v := min(max(v, lower), upper), in place.
    virtual C3DVector3* Clamp3(C3DVector3* v, const C3DVector3* upper, const C3DVector3* lower);
    virtual C3DVector3* Clamp3Copy(C3DVector3* out, const C3DVector3* v, const C3DVector3* upper,
                                   const C3DVector3* lower);
    // True when one of the three axis segments centre +- halfSize is not outside the frustum.
    virtual bool CrossInFrustum(const float* view, const float* projection, const C3DVector3* centre,
                                float halfSize);
    // Distance from p to the segment a-b (to a when a == b).
    virtual float DistanceToSegment(const C3DVector3* p, const C3DVector3* a, const C3DVector3* b);
    virtual C3DVector4* Vec4Transform(C3DVector4* out, float x, float y, float z, float w, const float* m);
    virtual C3DVector4* Vec4TransformV(C3DVector4* out, const C3DVector4* q, const float* m);

    // --- matrices ------------------------------------------------------------------------
    virtual float* ResetMatrix(float* m);
    virtual float Determinant(const float* m);
    virtual C3DVector3* GetTranslation(C3DVector3* out, const float* m);
    virtual float* SetTranslation(float* m, const C3DVector3* v);
    virtual float* SetTranslationXYZ(float* m, float x, float y, float z);
    virtual float* SetIdentity(float* m);
    virtual bool IsIdentity(const float* m);
    virtual bool MatrixEquals(const float* a, const float* b);
    // out may be m.
    virtual float* Transpose(float* out, const float* m);
    // out := a x b; out may be a or b.
    virtual float* Multiply(float* out, const float* a, const float* b);
    // Inverse of an affine matrix; 1 / determinant goes to scaleOut (may be null). out may be m.
    virtual float* InverseAffine(float* out, float* scaleOut, const float* m);
    virtual float* Invert(float* m);
    // Normalises the three axis rows; any zero axis makes all three the identity axes.
    virtual float* NormalizeAxes(float* m);
    // Lengths of rows 0, 1 and 2.
    virtual C3DVector3* GetScale(C3DVector3* out, const float* m);
    virtual float* ScaleUniform(float* m, float s);
    virtual float* ScaleVector(float* m, const C3DVector3* v);
    virtual float* Scale(float* m, float sx, float sy, float sz);
    virtual float* TranslateX(float* m, float d);
    virtual float* TranslateY(float* m, float d);
    virtual float* TranslateZ(float* m, float d);
    virtual float* TranslateVector(float* m, const C3DVector3* v);
    virtual float* Translate(float* m, float x, float y, float z);
    // RotateXFast, RotateYFast, then Rotate (about Z) with angles x, y, z.
    virtual float* RotateEulerFast(float* m, const C3DVector3* angles);
    virtual float* RotateXFast(float* m, float a);
    virtual float* RotateYFast(float* m, float a);
    // About Z.
    virtual float* Rotate(float* m, float a);
    virtual float* RotateEuler(float* m, const C3DVector3* angles);
    virtual float* RotateX(float* m, float a);
    virtual float* RotateY(float* m, float a);
    virtual float* RotateZ(float* m, float a);
    // Turns the axes so that Z looks from m's translation at target; the translation stays.
    virtual float* PointAt(float* m, const C3DVector3* target);
    virtual float* PointAtSelf(float* m, const C3DVector3* target);
    // m := m x b with m's translation put back.
    virtual float* MultiplyKeepTranslation(float* m, const float* b);
    virtual float* PerspectiveRH(float* m, float fovY, float aspect, float zNear, float zFar);
    virtual float* PerspectiveLH(float* m, float fovY, float aspect, float zNear, float zFar);
    // t: the fixed texel-to-screen adjustment; m: the viewport scale (width, -height, offset height).
    virtual void ScreenMatrix(float* t, float* m, uint32_t width, uint32_t height);
    // Centred orthographic volume; depth z maps to (z - zNear) / (zFar - zNear).
    virtual float* Ortho(float* m, float left, float right, float bottom, float top, float zNear, float zFar);
    virtual C3DVector3* GetAxisZ(C3DVector3* out, const float* m);
    virtual C3DVector3* GetAxisY(C3DVector3* out, const float* m);
    virtual C3DVector3* GetAxisX(C3DVector3* out, const float* m);
    virtual float* SetAxisZ(float* m, const C3DVector3* v);
    virtual float* SetAxisY(float* m, const C3DVector3* v);
    virtual float* SetAxisX(float* m, const C3DVector3* v);
    virtual C3DVector3* GetRotationAngles(C3DVector3* out, const float* m);
    // Angle of the Z axis about Y, from -pi to pi.
    virtual float GetHeading(const float* m);
    virtual void GetEulerAngles(const float* m, float* xOut, float* yOut, float* zOut);
    // 0 or kStatusFailed by the triangle's facing against +z (see kFacing... modes).
    virtual Status FacingTest(const C3DVector3* a, const C3DVector3* b, const C3DVector3* c, int ignored,
                              int mode);
    // Distance along the (normalised) direction to the triangle, both faces; 0 on a miss.
    // Barycentric u, v of the hit go to the out-parameters that are not null.
    virtual float IntersectRayTriangle(const C3DVector3* origin, const C3DVector3* direction,
                                       const C3DVector3* a, const C3DVector3* b, const C3DVector3* c,
                                       float* uOut, float* vOut);
    // 2D circle against triangle, either winding.
    virtual bool CircleTriangleIntersect(float cx, float cy, float r, float x1, float y1, float x2,
                                         float y2, float x3, float y3);
    // Row k of out := row k of a x b. out must not be a or b.
    virtual float* MultiplyRow0(float* out, const float* a, const float* b);
    virtual float* MultiplyRow1(float* out, const float* a, const float* b);
    virtual float* MultiplyRow2(float* out, const float* a, const float* b);
    virtual float* MultiplyRow3(float* out, const float* a, const float* b);

    // Box against the planes of m (the transpose of view x projection): kFrustumOutside,
    // kFrustumIntersecting or kFrustumInside.
    int BoxInFrustum(const float* m, const C3DVector3* min, const C3DVector3* max);
};
