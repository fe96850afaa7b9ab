#include "Vornel3D/C3DMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265358979323846f;

class C3DMathTest : public ::testing::Test {
protected:
    C3DMath math{nullptr};

    static void ExpectMatrixNear(const float* expected, const float* actual, float tolerance = 1e-5f) {
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected[i], actual[i], tolerance) << "element " << i;
    }

    // A general matrix with no zero element.
    static void General(float* m) {
        const float v[16] = {1, 2, 3, 4, -2, 1, 0.5f, 3, 4, -1, 2, 1, 7, 8, -9, 1};
        std::memcpy(m, v, sizeof(v));
    }
};

TEST_F(C3DMathTest, MultiplyRowVectorOrderAndAliasing) {
    float a[16], b[16], separate[16];
    General(a);
    math.SetIdentity(b);
    math.RotateZ(b, 0.3f);
    math.Translate(b, 1, 2, 3);
    math.Multiply(separate, a, b);

    // out[r][c] = sum over k of a[r][k] * b[k][c].
    float expected01 = a[0] * b[1] + a[1] * b[5] + a[2] * b[9] + a[3] * b[13];
    EXPECT_FLOAT_EQ(expected01, separate[1]);

    float intoA[16], intoB[16];
    std::memcpy(intoA, a, sizeof(a));
    math.Multiply(intoA, intoA, b);
    std::memcpy(intoB, b, sizeof(b));
    math.Multiply(intoB, a, intoB);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(separate[i], intoA[i]) << i;
        EXPECT_EQ(separate[i], intoB[i]) << i;
    }

    float square[16], squareAliased[16];
    math.Multiply(square, a, a);
    std::memcpy(squareAliased, a, sizeof(a));
    math.Multiply(squareAliased, squareAliased, squareAliased);
    ExpectMatrixNear(square, squareAliased, 0.0f);
}

TEST_F(C3DMathTest, RotationElementPositions) {
    const float a = 0.4f, c = std::cos(a), s = std::sin(a);
    struct Case {
        float* (C3DMath::*rotate)(float*, float);
        int cosAt[2];
        int sinAt;
        int minusSinAt;
    };
    const Case cases[] = {
        {&C3DMath::RotateX, {5, 10}, 6, 9},     {&C3DMath::RotateXFast, {5, 10}, 6, 9},
        {&C3DMath::RotateY, {0, 10}, 8, 2},     {&C3DMath::RotateYFast, {0, 10}, 8, 2},
        {&C3DMath::RotateZ, {0, 5}, 1, 4},      {&C3DMath::Rotate, {0, 5}, 1, 4},
    };
    for (const Case& k : cases) {
        float m[16];
        math.SetIdentity(m);
        (math.*k.rotate)(m, a);
        EXPECT_FLOAT_EQ(c, m[k.cosAt[0]]);
        EXPECT_FLOAT_EQ(c, m[k.cosAt[1]]);
        EXPECT_FLOAT_EQ(s, m[k.sinAt]);
        EXPECT_FLOAT_EQ(-s, m[k.minusSinAt]);
        EXPECT_FLOAT_EQ(1.0f, m[15]);
    }
}

TEST_F(C3DMathTest, FastRotationsMatchFullOnes) {
    float full[16], fast[16];
    General(full);
    General(fast);
    C3DVector3 angles{0.3f, -1.1f, 2.0f};
    math.RotateEuler(full, &angles);
    math.RotateEulerFast(fast, &angles);
    ExpectMatrixNear(full, fast, 1e-4f);
}

TEST_F(C3DMathTest, NewTransformsApplyFirst) {
    float m[16];
    math.SetIdentity(m);
    math.Translate(m, 10, 0, 0);
    math.Scale(m, 2, 2, 2);  // m = S x T: a vertex is scaled, then moved
    C3DVector3 p;
    math.Vec3TransformCoord(&p, 1, 0, 0, m);
    EXPECT_FLOAT_EQ(12.0f, p.x);
    EXPECT_FLOAT_EQ(10.0f, m[12]);

    math.SetIdentity(m);
    math.TranslateY(m, 5);
    math.Rotate(m, kPi / 2);  // the vertex turns about Z first
    math.Vec3TransformCoord(&p, 1, 0, 0, m);
    EXPECT_NEAR(0.0f, p.x, 1e-6f);
    EXPECT_NEAR(6.0f, p.y, 1e-6f);
}

TEST_F(C3DMathTest, ScaleAndGetScale) {
    float m[16];
    math.SetIdentity(m);
    math.RotateX(m, 0.7f);
    math.Scale(m, 1, 3, 1);
    C3DVector3 before, after;
    math.GetScale(&before, m);
    math.Scale(m, 2, 2, 2);
    math.GetScale(&after, m);
    EXPECT_NEAR(2 * before.x, after.x, 1e-5f);
    EXPECT_NEAR(2 * before.y, after.y, 1e-5f);
    EXPECT_NEAR(2 * before.z, after.z, 1e-5f);
}

TEST_F(C3DMathTest, PerspectiveElements) {
    float m[16];
    General(m);  // previous contents are discarded
    math.PerspectiveLH(m, kPi / 2, 2.0f, 1.0f, 101.0f);
    EXPECT_NEAR(0.5f, m[0], 1e-6f);
    EXPECT_NEAR(1.0f, m[5], 1e-6f);
    EXPECT_FLOAT_EQ(1.02f, m[10]);
    EXPECT_FLOAT_EQ(1.0f, m[11]);
    EXPECT_FLOAT_EQ(-2.02f, m[14]);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(0.0f, m[i]) << i;

    // Depth maps near to -1 and far to +1.
    C3DVector4 q;
    math.Vec4Transform(&q, 0, 0, 1.0f, 1, m);
    EXPECT_NEAR(-1.0f, q.z / q.w, 1e-5f);
    math.Vec4Transform(&q, 0, 0, 101.0f, 1, m);
    EXPECT_NEAR(1.0f, q.z / q.w, 1e-5f);

    math.PerspectiveRH(m, kPi / 2, 2.0f, 1.0f, 101.0f);
    EXPECT_FLOAT_EQ(-1.02f, m[10]);
    EXPECT_FLOAT_EQ(-1.0f, m[11]);
    EXPECT_FLOAT_EQ(-2.02f, m[14]);
}

TEST_F(C3DMathTest, OrthoKeepsDepthOffsetInTranslationRow) {
    float m[16];
    math.Ortho(m, 0, 800, 600, 0, -1000, 1000);
    EXPECT_FLOAT_EQ(2.0f / 800, m[0]);
    EXPECT_FLOAT_EQ(-2.0f / 600, m[5]);
    EXPECT_FLOAT_EQ(1.0f / 2000, m[10]);
    EXPECT_FLOAT_EQ(0.5f, m[14]);
    EXPECT_EQ(0.0f, m[11]);
    EXPECT_EQ(0.0f, m[12]);
    EXPECT_EQ(0.0f, m[13]);
    EXPECT_EQ(1.0f, m[15]);

    // A screen object far below z = -2 keeps w = 1 and a depth inside [0, 1].
    C3DVector4 q;
    math.Vec4Transform(&q, 100, 100, -500, 1, m);
    EXPECT_EQ(1.0f, q.w);
    EXPECT_FLOAT_EQ(0.25f, q.z);
}

TEST_F(C3DMathTest, ScreenMatrixConstants) {
    float t[16], m[16];
    General(t);
    General(m);
    math.ScreenMatrix(t, m, 1024, 768);
    const float expectedT[16] = {0.493827134f, 0, 0, 0, 0, 0.427350432f, 0, 0,
                                 0, 0, 0.5f, 0, -0.00987653341f, 0.946581185f, 0.5f, 1};
    const float expectedM[16] = {1024, 0, 0, 0, 0, -768, 0, 0, 0, 0, 1, 0, 0, 768, 0, 1};
    ExpectMatrixNear(expectedT, t, 0.0f);
    ExpectMatrixNear(expectedM, m, 0.0f);
}

TEST_F(C3DMathTest, ProjectAndUnproject) {
    float view[16], projection[16];
    math.SetIdentity(view);
    math.PerspectiveLH(projection, kPi / 2, 1.0f, 1.0f, 100.0f);
    C3DVector3 centre{0, 0, 10};
    C3DVector3 out;
    math.Project(&out, 801, 601, view, projection, &centre, nullptr);
    // Integer halves of the odd sizes: 400 and 300.
    EXPECT_FLOAT_EQ(400.0f, out.x);
    EXPECT_FLOAT_EQ(601.0f - 300.0f, out.y);
    EXPECT_GT(out.z, 0.0f);
    EXPECT_LT(out.z, 1.0f);

    float world[16];
    math.SetIdentity(world);
    math.Translate(world, 10, 10, 0);  // (0,0,10) -> (10,10,10): on the upper-right diagonal
    math.Project(&out, 800, 600, view, projection, &centre, world);
    EXPECT_NEAR(800.0f, out.x, 1e-3f);
    EXPECT_NEAR(0.0f, out.y, 1e-3f);

    // Unproject with the inverse of view x projection gives the point back (y is not flipped).
    float vp[16], inverse[16];
    math.Multiply(vp, view, projection);
    // With an identity view, view x projection is inverted by hand: x = X / m0, y = Y / m5,
    // z = W, 1 = (Z - m10 * W) / m14.
    std::memset(inverse, 0, sizeof(inverse));
    inverse[0] = 1.0f / vp[0];
    inverse[5] = 1.0f / vp[5];
    inverse[11] = 1.0f / vp[14];
    inverse[14] = 1.0f;
    inverse[15] = -vp[10] / vp[14];
    C3DVector3 screen;
    C3DVector3 p{0, 0, 20};
    math.Project(&screen, 800, 600, view, projection, &p, nullptr);
    C3DVector3 back;
    math.Unproject(&back, 800, 600, inverse, &screen);
    EXPECT_NEAR(0.0f, back.x, 1e-3f);
    EXPECT_NEAR(20.0f, back.z, 1e-2f);
}

TEST_F(C3DMathTest, ProjectAndUnprojectWithZeroW) {
    float view[16], zero[16];
    math.SetIdentity(view);
    std::memset(zero, 0, sizeof(zero));
    C3DVector3 p{1, 2, 3};
    C3DVector3 out{9, 9, 9};
    math.Project(&out, 640, 480, view, zero, &p, nullptr);
    EXPECT_EQ(0.0f, out.x);
    EXPECT_EQ(0.0f, out.y);
    EXPECT_EQ(-1.0f, out.z);

    out = C3DVector3{9, 9, 9};
    math.Unproject(&out, 640, 480, zero, &p);
    EXPECT_EQ(0.0f, out.x);
    EXPECT_EQ(0.0f, out.y);
    EXPECT_EQ(0.0f, out.z);
}

TEST_F(C3DMathTest, IntersectRayTriangle) {
    const C3DVector3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0};
    float u = -1, v = -1;

    // Through the middle of edge b-c: u + v equals det exactly, which counts as a hit.
    C3DVector3 origin{0.5f, 0.5f, -1.0f}, direction{0, 0, 4};
    EXPECT_FLOAT_EQ(1.0f, math.IntersectRayTriangle(&origin, &direction, &a, &b, &c, &u, &v));
    EXPECT_FLOAT_EQ(1.0f, u + v);

    // Both faces are hit; u and v are barycentric.
    origin = C3DVector3{0.25f, 0.5f, 3.0f};
    direction = C3DVector3{0, 0, -1};
    EXPECT_FLOAT_EQ(3.0f, math.IntersectRayTriangle(&origin, &direction, &a, &b, &c, &u, &v));
    EXPECT_FLOAT_EQ(0.25f, u);
    EXPECT_FLOAT_EQ(0.5f, v);
    EXPECT_FLOAT_EQ(3.0f, math.IntersectRayTriangle(&origin, &direction, &a, &b, &c, nullptr, nullptr));

    // Just outside the edge, and parallel to the plane: misses.
    origin = C3DVector3{0.51f, 0.5f, -1.0f};
    direction = C3DVector3{0, 0, 1};
    EXPECT_EQ(0.0f, math.IntersectRayTriangle(&origin, &direction, &a, &b, &c, nullptr, nullptr));
    origin = C3DVector3{0.2f, 0.2f, 1.0f};
    direction = C3DVector3{1, 0, 0};
    EXPECT_EQ(0.0f, math.IntersectRayTriangle(&origin, &direction, &a, &b, &c, nullptr, nullptr));
}

TEST_F(C3DMathTest, DistanceToSegment) {
    const C3DVector3 a{0, 0, 0}, b{10, 0, 0};
    struct Case {
        C3DVector3 p;
        float expected;
    };
    const Case cases[] = {
        {{5, 3, 0}, 3.0f},   // beside the segment
        {{-3, 4, 0}, 5.0f},  // before a
        {{13, 0, 4}, 5.0f},  // beyond b
        {{2, 0, 0}, 0.0f},   // on it
    };
    for (const Case& k : cases) EXPECT_NEAR(k.expected, math.DistanceToSegment(&k.p, &a, &b), 1e-5f);

    // A segment of zero length is its end point.
    C3DVector3 p{3, 4, 0};
    float d = math.DistanceToSegment(&p, &a, &a);
    EXPECT_FALSE(std::isnan(d));
    EXPECT_FLOAT_EQ(5.0f, d);
}

TEST_F(C3DMathTest, CircleTriangleIntersectEitherWinding) {
    // A large triangle and a small circle well inside it, away from every vertex and edge.
    const float x1 = 0, y1 = 0, x2 = 100, y2 = 0, x3 = 0, y3 = 100;
    EXPECT_TRUE(math.CircleTriangleIntersect(20, 20, 1, x1, y1, x2, y2, x3, y3));
    EXPECT_TRUE(math.CircleTriangleIntersect(20, 20, 1, x1, y1, x3, y3, x2, y2));
    // Outside and far away.
    EXPECT_FALSE(math.CircleTriangleIntersect(200, 200, 1, x1, y1, x2, y2, x3, y3));
    EXPECT_FALSE(math.CircleTriangleIntersect(200, 200, 1, x1, y1, x3, y3, x2, y2));
    // Outside but reaching across edge 1-2.
    EXPECT_TRUE(math.CircleTriangleIntersect(50, -2, 3, x1, y1, x2, y2, x3, y3));
    EXPECT_FALSE(math.CircleTriangleIntersect(50, -4, 3, x1, y1, x2, y2, x3, y3));
    // A vertex inside the circle.
    EXPECT_TRUE(math.CircleTriangleIntersect(101, 1, 2, x1, y1, x2, y2, x3, y3));
}

TEST_F(C3DMathTest, DegenerateVectorsAndAxes) {
    C3DVector3 zero{0, 0, 0}, out{7, 7, 7};
    math.Vec3Normalize(&out, &zero);
    EXPECT_EQ(0.0f, out.x);
    EXPECT_EQ(0.0f, out.y);
    EXPECT_EQ(0.0f, out.z);
    C3DVector2 zero2{0, 0}, out2{7, 7};
    math.Vec2Normalize(&out2, &zero2);
    EXPECT_EQ(0.0f, out2.x);

    float m[16];
    General(m);
    m[4] = m[5] = m[6] = 0;  // row 1 is zero
    math.NormalizeAxes(m);
    const float expected[16] = {1, 0, 0, 4, 0, 1, 0, 3, 0, 0, 1, 1, 7, 8, -9, 1};
    ExpectMatrixNear(expected, m, 0.0f);
}

TEST_F(C3DMathTest, InverseAffine) {
    float m[16], inverse[16], product[16], identity[16];
    math.SetIdentity(m);
    math.Scale(m, 2, 3, 4);
    math.RotateY(m, 0.6f);
    math.Translate(m, 5, -6, 7);
    float scale = 0;
    math.InverseAffine(inverse, &scale, m);
    EXPECT_NEAR(1.0f / 24.0f, scale, 1e-6f);
    math.Multiply(product, m, inverse);
    math.SetIdentity(identity);
    ExpectMatrixNear(identity, product);

    float inPlace[16];
    std::memcpy(inPlace, m, sizeof(m));
    math.Invert(inPlace);
    ExpectMatrixNear(inverse, inPlace, 0.0f);
    EXPECT_NEAR(24.0f, math.Determinant(m), 1e-4f);
}

TEST_F(C3DMathTest, IdentityEqualityAndTranspose) {
    float m[16], t[16];
    math.SetIdentity(m);
    EXPECT_TRUE(math.IsIdentity(m));
    m[7] = 1e-30f;
    EXPECT_FALSE(math.IsIdentity(m));
    General(m);
    math.Transpose(t, m);
    EXPECT_EQ(m[1], t[4]);
    EXPECT_EQ(m[12], t[3]);
    math.Transpose(t, t);
    EXPECT_TRUE(math.MatrixEquals(m, t));
    t[9] += 1.0f;
    EXPECT_FALSE(math.MatrixEquals(m, t));
}

TEST_F(C3DMathTest, FacingTest) {
    C3DVector3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0};
    // (a - b) x (a - c) = (-1,0,0) x (0,-1,0) = (0,0,1): facing +z.
    EXPECT_EQ(kStatusOk, math.FacingTest(&a, &b, &c, 0, kFacingNone));
    EXPECT_EQ(kStatusOk, math.FacingTest(&a, &b, &c, 0, kFacingFront));
    EXPECT_EQ(kStatusFailed, math.FacingTest(&a, &b, &c, 0, kFacingBack));
    EXPECT_EQ(kStatusFailed, math.FacingTest(&a, &c, &b, 0, kFacingFront));
    EXPECT_EQ(kStatusOk, math.FacingTest(&a, &c, &b, 0, kFacingBack));
    EXPECT_EQ(kStatusOk, math.FacingTest(&a, &c, &b, 0, kFacingNone));
}

TEST_F(C3DMathTest, HeadingAndEulerAngles) {
    float m[16];
    math.SetIdentity(m);
    float x = 1, y = 1, z = 1;
    math.GetEulerAngles(m, &x, &y, &z);
    EXPECT_NEAR(0.0f, x, 1e-6f);
    EXPECT_NEAR(0.0f, y, 1e-6f);
    EXPECT_NEAR(0.0f, z, 1e-6f);

    math.RotateY(m, 0.5f);
    EXPECT_NEAR(0.5f, math.GetHeading(m), 1e-6f);
    C3DVector3 angles;
    math.GetRotationAngles(&angles, m);
    EXPECT_NEAR(0.0f, angles.x, 1e-5f);
    EXPECT_NEAR(0.5f, angles.y, 1e-5f);
    EXPECT_NEAR(0.0f, angles.z, 1e-5f);

    math.SetIdentity(m);
    math.RotateY(m, 2.5f);  // Z axis points backwards: the heading leaves (-pi/2, pi/2)
    EXPECT_NEAR(2.5f, math.GetHeading(m), 1e-5f);
}

TEST_F(C3DMathTest, PointAtKeepsTranslation) {
    float m[16];
    math.SetIdentity(m);
    math.SetTranslationXYZ(m, 1, 2, 3);
    C3DVector3 target{1, 2, 13};
    math.PointAt(m, &target);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    ExpectMatrixNear(expected, m);

    target = C3DVector3{11, 2, 3};
    math.PointAtSelf(m, &target);
    C3DVector3 axis;
    math.GetAxisZ(&axis, m);
    EXPECT_NEAR(1.0f, axis.x, 1e-6f);
    math.GetAxisX(&axis, m);
    EXPECT_NEAR(-1.0f, axis.z, 1e-6f);
}

TEST_F(C3DMathTest, MultiplyKeepTranslation) {
    float m[16], b[16];
    math.SetIdentity(m);
    math.SetTranslationXYZ(m, 1, 2, 3);
    math.SetIdentity(b);
    math.Scale(b, 2, 2, 2);
    math.Translate(b, 50, 50, 50);
    math.MultiplyKeepTranslation(m, b);
    EXPECT_FLOAT_EQ(2.0f, m[0]);
    EXPECT_FLOAT_EQ(1.0f, m[12]);
    EXPECT_FLOAT_EQ(2.0f, m[13]);
    EXPECT_FLOAT_EQ(3.0f, m[14]);
}

TEST_F(C3DMathTest, FrustumTests) {
    float view[16], projection[16];
    math.SetIdentity(view);
    math.PerspectiveLH(projection, kPi / 2, 1.0f, 1.0f, 100.0f);
    C3DVector3 ahead{0, 0, 10}, behind{0, 0, -10}, aside{50, 0, 10}, straddling{10, 0, 10};
    EXPECT_TRUE(math.CrossInFrustum(view, projection, &ahead, 1.0f));
    EXPECT_FALSE(math.CrossInFrustum(view, projection, &behind, 1.0f));
    EXPECT_FALSE(math.CrossInFrustum(view, projection, &aside, 1.0f));
    EXPECT_TRUE(math.CrossInFrustum(view, projection, &straddling, 1.0f));

    float vp[16], m[16];
    math.Multiply(vp, view, projection);
    math.Transpose(m, vp);
    C3DVector3 min{-1, -1, 5}, max{1, 1, 6};
    EXPECT_EQ(kFrustumInside, math.BoxInFrustum(m, &min, &max));
    max.x = 20;
    EXPECT_EQ(kFrustumIntersecting, math.BoxInFrustum(m, &min, &max));
    min = C3DVector3{-1, -1, 200};
    max = C3DVector3{1, 1, 300};
    EXPECT_EQ(kFrustumOutside, math.BoxInFrustum(m, &min, &max));
}

TEST_F(C3DMathTest, SmallVectorHelpers) {
    C3DVector3 v{5, -5, 0.5f}, upper{1, 1, 1}, lower{-1, -1, -1}, out;
    math.Clamp3Copy(&out, &v, &upper, &lower);
    EXPECT_EQ(1.0f, out.x);
    EXPECT_EQ(-1.0f, out.y);
    EXPECT_EQ(0.5f, out.z);
    EXPECT_EQ(5.0f, v.x);

    float m[16];
    math.SetIdentity(m);
    math.Translate(m, 0, 0, 7);
    EXPECT_FLOAT_EQ(8.0f, math.TransformDepth(3, 4, 1, m));
    C3DVector3 a{1, 0, 0}, b{0, 1, 0}, cross;
    math.Vec3CrossB(&cross, &a, &b);
    EXPECT_EQ(1.0f, cross.z);
    C3DVector3 t;
    math.GetTranslation(&t, m);
    EXPECT_EQ(7.0f, t.z);
    C3DVector3 moved;
    TransformCoord(&moved, &a, m);
    EXPECT_EQ(7.0f, moved.z);
}

}  // namespace
