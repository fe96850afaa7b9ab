#include "Vornel3D/C3DMath.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265358979323846f;

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void Copy16(float* out, const float* m) { std::memcpy(out, m, 16 * sizeof(float)); }

// Rotation in front of m touching rows i and j only (all four columns):
// row i := c*row i + s*row j, row j := -s*row i + c*row j.
void CombineRows(float* m, int i, int j, float c, float s) {
    float* ri = m + 4 * i;
    float* rj = m + 4 * j;
    for (int col = 0; col < 4; ++col) {
        float a = ri[col];
        float b = rj[col];
        ri[col] = c * a + s * b;
        rj[col] = -s * a + c * b;
    }
}

// The rotation that CombineRows applies, as a full matrix: the identity with elements
// (i, i) = (j, j) = c, (i, j) = s and (j, i) = -s.
void PlaneRotation(float* r, int i, int j, float c, float s) {
    std::memcpy(r, kIdentity, 16 * sizeof(float));
    r[4 * i + i] = c;
    r[4 * i + j] = s;
    r[4 * j + i] = -s;
    r[4 * j + j] = c;
}

// Elements 0-2 of row r: an axis (rows 0-2) or the translation (row 3).
C3DVector3 RowOf(const float* m, int r) { return {m[4 * r], m[4 * r + 1], m[4 * r + 2]}; }

void SetRowOf(float* m, int r, const C3DVector3& v) {
    m[4 * r] = v.x;
    m[4 * r + 1] = v.y;
    m[4 * r + 2] = v.z;
}

// atan(n / d) with the ratio taken in float, as IEEE gives it for d = 0.
float AtanRatio(float n, float d) {
    if (d == 0.0f) {
        if (n == 0.0f) return std::nanf("");
        return (n > 0.0f) == !std::signbit(d) ? kPi / 2 : -kPi / 2;
    }
    return std::atan(n / d);
}

C3DVector3 Sub(const C3DVector3& a, const C3DVector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

}  // namespace

C3DVector3* TransformCoord(C3DVector3* out, const C3DVector3* v, const float* m) {
    float x = v->x, y = v->y, z = v->z;
    out->x = x * m[0] + y * m[4] + z * m[8] + m[12];
    out->y = x * m[1] + y * m[5] + z * m[9] + m[13];
    out->z = x * m[2] + y * m[6] + z * m[10] + m[14];
    return out;
}

// --- vectors -----------------------------------------------------------------------------

C3DVector2* C3DMath::Vec2Normalize(C3DVector2* out, const C3DVector2* v) {
    float length = Vec2Length(v);
    if (length == 0.0f) {
        *out = *v;
    } else {
        out->x = v->x / length;
        out->y = v->y / length;
    }
    return out;
}

float C3DMath::Vec2Length(const C3DVector2* v) { return std::sqrt(v->x * v->x + v->y * v->y); }

C3DVector3* C3DMath::Vec3Cross(C3DVector3* out, const C3DVector3* a, const C3DVector3* b) {
    C3DVector3 r{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    *out = r;
    return out;
}

float C3DMath::Vec3Dot(const C3DVector3* a, const C3DVector3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

C3DVector3* C3DMath::Vec3Normalize(C3DVector3* out, const C3DVector3* v) {
    float length = Vec3Length(v);
    if (length == 0.0f) {
        *out = *v;
    } else {
        C3DVector3 r{v->x / length, v->y / length, v->z / length};
        *out = r;
    }
    return out;
}

float C3DMath::Vec3Length(const C3DVector3* v) { return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z); }

C3DVector3* C3DMath::Vec3TransformCoord(C3DVector3* out, float x, float y, float z, const float* m) {
    C3DVector3 v{x, y, z};
    return TransformCoord(out, &v, m);
}

C3DVector3* C3DMath::Vec3TransformCoordV(C3DVector3* out, const C3DVector3* v, const float* m) {
    return TransformCoord(out, v, m);
}

float C3DMath::TransformDepth(float x, float y, float z, const float* m) {
    return x * m[2] + y * m[6] + z * m[10] + m[14];
}

float C3DMath::TransformDepthV(const C3DVector3* v, const float* m) { return TransformDepth(v->x, v->y, v->z, m); }

C3DVector3* C3DMath::Vec3CrossB(C3DVector3* out, const C3DVector3* a, const C3DVector3* b) {
    return Vec3Cross(out, a, b);
}

C3DVector3* C3DMath::Project(C3DVector3* out, uint32_t width, uint32_t height, const float* view,
                             const float* projection, const C3DVector3* p, const float* world) {
    C3DVector3 w = *p;
    TransformCoord(&w, p, world ? world : kIdentity);
    C3DVector4 eye;
    Vec4Transform(&eye, w.x, w.y, w.z, 1.0f, view);
    C3DVector4 clip;
    Vec4TransformV(&clip, &eye, projection);
    if (clip.w == 0.0f) {
        *out = C3DVector3{0.0f, 0.0f, -1.0f};
        return out;
    }
    float halfWidth = static_cast<float>(width / 2);
    float halfHeight = static_cast<float>(height / 2);
    out->x = (clip.x / clip.w + 1.0f) * halfWidth;
    out->y = static_cast<float>(height) - (clip.y / clip.w + 1.0f) * halfHeight;
    out->z = (clip.z / clip.w + 1.0f) * 0.5f;
    return out;
}

C3DVector3* C3DMath::Unproject(C3DVector3* out, uint32_t width, uint32_t height, const float* m,
                               const C3DVector3* p) {
    float x = 2.0f * p->x / static_cast<float>(width) - 1.0f;
    float y = 2.0f * p->y / static_cast<float>(height) - 1.0f;
    float z = 2.0f * p->z - 1.0f;
    C3DVector4 r;
    Vec4Transform(&r, x, y, z, 1.0f, m);
    if (r.w == 0.0f) {
        *out = C3DVector3{0.0f, 0.0f, 0.0f};
    } else {
        *out = C3DVector3{r.x / r.w, r.y / r.w, r.z / r.w};
    }
    return out;
}

C3DVector3* C3DMath::Clamp3(C3DVector3* v, const C3DVector3* upper, const C3DVector3* lower) {
    auto clamp = [](float value, float hi, float lo) {
        if (value < lo) value = lo;
        if (value > hi) value = hi;
        return value;
    };
    v->x = clamp(v->x, upper->x, lower->x);
    v->y = clamp(v->y, upper->y, lower->y);
    v->z = clamp(v->z, upper->z, lower->z);
    return v;
}

C3DVector3* C3DMath::Clamp3Copy(C3DVector3* out, const C3DVector3* v, const C3DVector3* upper,
                                const C3DVector3* lower) {
    *out = *v;
    return Clamp3(out, upper, lower);
}

bool C3DMath::CrossInFrustum(const float* view, const float* projection, const C3DVector3* centre, float halfSize) {
    float vp[16];
    Multiply(vp, view, projection);
    float m[16];
    Transpose(m, vp);
    const C3DVector3& c = *centre;
    const C3DVector3 boxes[3][2] = {
        {{c.x - halfSize, c.y, c.z}, {c.x + halfSize, c.y, c.z}},
        {{c.x, c.y - halfSize, c.z}, {c.x, c.y + halfSize, c.z}},
        {{c.x, c.y, c.z - halfSize}, {c.x, c.y, c.z + halfSize}},
    };
    for (const auto& box : boxes) {
        if (BoxInFrustum(m, &box[0], &box[1]) != kFrustumOutside) return true;
    }
    return false;
}

float C3DMath::DistanceToSegment(const C3DVector3* p, const C3DVector3* a, const C3DVector3* b) {
    C3DVector3 pa = Sub(*p, *a);
    C3DVector3 ab = Sub(*a, *b);
    C3DVector3 pb = Sub(*p, *b);
    float d1 = Vec3Length(&pa);
    float d2 = Vec3Length(&ab);
    float d3 = Vec3Length(&pb);
    // A degenerate segment is a point; the projection below would divide by zero.
    if (d2 == 0.0f) return d1;
    float k = (d2 * d2 + d1 * d1 - d3 * d3) / (2.0f * d2);
    if (k < 0.0f) return d1;
    if (k >= d2) return d3;
    float squared = d1 * d1 - k * k;
    return squared > 0.0f ? std::sqrt(squared) : 0.0f;
}

C3DVector4* C3DMath::Vec4Transform(C3DVector4* out, float x, float y, float z, float w, const float* m) {
    C3DVector4 r{x * m[0] + y * m[4] + z * m[8] + w * m[12], x * m[1] + y * m[5] + z * m[9] + w * m[13],
                 x * m[2] + y * m[6] + z * m[10] + w * m[14], x * m[3] + y * m[7] + z * m[11] + w * m[15]};
    *out = r;
    return out;
}

C3DVector4* C3DMath::Vec4TransformV(C3DVector4* out, const C3DVector4* q, const float* m) {
    return Vec4Transform(out, q->x, q->y, q->z, q->w, m);
}

// --- matrices ----------------------------------------------------------------------------

float* C3DMath::ResetMatrix(float* m) { return SetIdentity(m); }

float C3DMath::Determinant(const float* m) {
    // Laplace expansion through the 2x2 minors of the first two and last two rows.
    float s0 = m[0] * m[5] - m[1] * m[4];
    float s1 = m[0] * m[6] - m[2] * m[4];
    float s2 = m[0] * m[7] - m[3] * m[4];
    float s3 = m[1] * m[6] - m[2] * m[5];
    float s4 = m[1] * m[7] - m[3] * m[5];
    float s5 = m[2] * m[7] - m[3] * m[6];
    float c5 = m[10] * m[15] - m[11] * m[14];
    float c4 = m[9] * m[15] - m[11] * m[13];
    float c3 = m[9] * m[14] - m[10] * m[13];
    float c2 = m[8] * m[15] - m[11] * m[12];
    float c1 = m[8] * m[14] - m[10] * m[12];
    float c0 = m[8] * m[13] - m[9] * m[12];
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

C3DVector3* C3DMath::GetTranslation(C3DVector3* out, const float* m) {
    *out = RowOf(m, 3);
    return out;
}

float* C3DMath::SetTranslation(float* m, const C3DVector3* v) {
    SetRowOf(m, 3, *v);
    return m;
}

float* C3DMath::SetTranslationXYZ(float* m, float x, float y, float z) {
    C3DVector3 v{x, y, z};
    return SetTranslation(m, &v);
}

float* C3DMath::SetIdentity(float* m) {
    Copy16(m, kIdentity);
    return m;
}

bool C3DMath::IsIdentity(const float* m) {
    for (int i = 0; i < 16; ++i) {
        if (m[i] != kIdentity[i]) return false;
    }
    return true;
}

bool C3DMath::MatrixEquals(const float* a, const float* b) {
    for (int i = 0; i < 16; ++i) {
        if (a[i] < b[i] || a[i] > b[i]) return false;
    }
    return true;
}

float* C3DMath::Transpose(float* out, const float* m) {
    float t[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) t[4 * c + r] = m[4 * r + c];
    }
    Copy16(out, t);
    return out;
}

float* C3DMath::Multiply(float* out, const float* a, const float* b) {
    float copyA[16];
    float copyB[16];
    if (out == a) {
        Copy16(copyA, a);
        a = copyA;
    }
    if (out == b) {
        Copy16(copyB, b);
        b = copyB;
    }
    MultiplyRow0(out, a, b);
    MultiplyRow1(out, a, b);
    MultiplyRow2(out, a, b);
    MultiplyRow3(out, a, b);
    return out;
}

float* C3DMath::InverseAffine(float* out, float* scaleOut, const float* m) {
    float s = 1.0f / Determinant(m);
    float a00 = m[0], a01 = m[1], a02 = m[2];
    float a10 = m[4], a11 = m[5], a12 = m[6];
    float a20 = m[8], a21 = m[9], a22 = m[10];
    float tx = m[12], ty = m[13], tz = m[14];
    float e3 = m[3], e7 = m[7], e11 = m[11], e15 = m[15];

    float r[16];
    r[0] = (a11 * a22 - a12 * a21) * s;
    r[1] = (a02 * a21 - a01 * a22) * s;
    r[2] = (a01 * a12 - a02 * a11) * s;
    r[4] = (a12 * a20 - a10 * a22) * s;
    r[5] = (a00 * a22 - a02 * a20) * s;
    r[6] = (a02 * a10 - a00 * a12) * s;
    r[8] = (a10 * a21 - a11 * a20) * s;
    r[9] = (a01 * a20 - a00 * a21) * s;
    r[10] = (a00 * a11 - a01 * a10) * s;
    r[3] = e3;
    r[7] = e7;
    r[11] = e11;
    r[15] = e15;
    r[12] = -(tx * r[0] + ty * r[4] + tz * r[8]);
    r[13] = -(tx * r[1] + ty * r[5] + tz * r[9]);
    r[14] = -(tx * r[2] + ty * r[6] + tz * r[10]);
    Copy16(out, r);
    if (scaleOut) *scaleOut = s;
    return out;
}

float* C3DMath::Invert(float* m) { return InverseAffine(m, nullptr, m); }

float* C3DMath::NormalizeAxes(float* m) {
    C3DVector3 z = RowOf(m, 2);
    C3DVector3 y = RowOf(m, 1);
    C3DVector3 x = RowOf(m, 0);
    Vec3Normalize(&z, &z);
    Vec3Normalize(&y, &y);
    Vec3Normalize(&x, &x);
    auto isZero = [](const C3DVector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; };
    if (isZero(x) || isZero(y) || isZero(z)) {
        x = C3DVector3{1, 0, 0};
        y = C3DVector3{0, 1, 0};
        z = C3DVector3{0, 0, 1};
    }
    SetAxisX(m, &x);
    SetAxisY(m, &y);
    SetAxisZ(m, &z);
    return m;
}

C3DVector3* C3DMath::GetScale(C3DVector3* out, const float* m) {
    C3DVector3 x = RowOf(m, 0);
    C3DVector3 y = RowOf(m, 1);
    C3DVector3 z = RowOf(m, 2);
    *out = C3DVector3{Vec3Length(&x), Vec3Length(&y), Vec3Length(&z)};
    return out;
}

float* C3DMath::ScaleUniform(float* m, float s) { return Scale(m, s, s, s); }

float* C3DMath::ScaleVector(float* m, const C3DVector3* v) { return Scale(m, v->x, v->y, v->z); }

float* C3DMath::Scale(float* m, float sx, float sy, float sz) {
    float s[16];
    SetIdentity(s);
    s[0] = sx;
    s[5] = sy;
    s[10] = sz;
    return Multiply(m, s, m);
}

float* C3DMath::TranslateX(float* m, float d) { return Translate(m, d, 0.0f, 0.0f); }
float* C3DMath::TranslateY(float* m, float d) { return Translate(m, 0.0f, d, 0.0f); }
float* C3DMath::TranslateZ(float* m, float d) { return Translate(m, 0.0f, 0.0f, d); }

float* C3DMath::TranslateVector(float* m, const C3DVector3* v) { return Translate(m, v->x, v->y, v->z); }

float* C3DMath::Translate(float* m, float x, float y, float z) {
    float t[16];
    SetIdentity(t);
    t[12] = x;
    t[13] = y;
    t[14] = z;
    return Multiply(m, t, m);
}

float* C3DMath::RotateEulerFast(float* m, const C3DVector3* angles) {
    RotateXFast(m, angles->x);
    RotateYFast(m, angles->y);
    return Rotate(m, angles->z);
}

float* C3DMath::RotateXFast(float* m, float a) {
    // Rx has 5 = c, 6 = s, 9 = -s, 10 = c: row 1 := c*row1 + s*row2, row 2 := -s*row1 + c*row2.
    CombineRows(m, 1, 2, std::cos(a), std::sin(a));
    return m;
}

float* C3DMath::RotateYFast(float* m, float a) {
    // Ry has 0 = c, 2 = -s, 8 = s, 10 = c: row 0 := c*row0 - s*row2, row 2 := s*row0 + c*row2.
    CombineRows(m, 0, 2, std::cos(a), -std::sin(a));
    return m;
}

float* C3DMath::Rotate(float* m, float a) {
    // Rz has 0 = c, 1 = s, 4 = -s, 5 = c: row 0 := c*row0 + s*row1, row 1 := -s*row0 + c*row1.
    CombineRows(m, 0, 1, std::cos(a), std::sin(a));
    return m;
}

float* C3DMath::RotateEuler(float* m, const C3DVector3* angles) {
    RotateX(m, angles->x);
    RotateY(m, angles->y);
    return RotateZ(m, angles->z);
}

float* C3DMath::RotateX(float* m, float a) {
    float r[16];
    PlaneRotation(r, 1, 2, std::cos(a), std::sin(a));  // 5 = c, 6 = s, 9 = -s, 10 = c
    return Multiply(m, r, m);
}

float* C3DMath::RotateY(float* m, float a) {
    float r[16];
    PlaneRotation(r, 0, 2, std::cos(a), -std::sin(a));  // 0 = c, 2 = -s, 8 = s, 10 = c
    return Multiply(m, r, m);
}

float* C3DMath::RotateZ(float* m, float a) {
    float r[16];
    PlaneRotation(r, 0, 1, std::cos(a), std::sin(a));  // 0 = c, 1 = s, 4 = -s, 5 = c
    return Multiply(m, r, m);
}

float* C3DMath::PointAt(float* m, const C3DVector3* target) {
    C3DVector3 position{m[12], m[13], m[14]};
    C3DVector3 z = Sub(*target, position);
    C3DVector3 up{0.0f, 1.0f, 0.0f};
    C3DVector3 x;
    Vec3Cross(&x, &up, &z);
    C3DVector3 y;
    Vec3Cross(&y, &z, &x);
    Vec3Normalize(&x, &x);
    Vec3Normalize(&y, &y);
    Vec3Normalize(&z, &z);
    SetAxisX(m, &x);
    SetAxisY(m, &y);
    SetAxisZ(m, &z);
    return m;
}

float* C3DMath::PointAtSelf(float* m, const C3DVector3* target) { return PointAt(m, target); }

float* C3DMath::MultiplyKeepTranslation(float* m, const float* b) {
    float tx = m[12], ty = m[13], tz = m[14];
    Multiply(m, m, b);
    m[12] = tx;
    m[13] = ty;
    m[14] = tz;
    return m;
}

namespace {

// The two perspective matrices differ only in the sign of elements 10 and 11 (+1 left-handed,
// -1 right-handed); depth maps to [-1, 1] either way.
float* Perspective(float* m, float fovY, float aspect, float zNear, float zFar, float hand) {
    float top = std::tan(fovY / 2.0f) * zNear;
    float right = top * aspect;
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = 2.0f * zNear / (2.0f * right);
    m[5] = 2.0f * zNear / (2.0f * top);
    m[10] = hand * (zFar + zNear) / (zFar - zNear);
    m[11] = hand;
    m[14] = -2.0f * zFar * zNear / (zFar - zNear);
    return m;
}

}  // namespace

float* C3DMath::PerspectiveRH(float* m, float fovY, float aspect, float zNear, float zFar) {
    return Perspective(m, fovY, aspect, zNear, zFar, -1.0f);
}

float* C3DMath::PerspectiveLH(float* m, float fovY, float aspect, float zNear, float zFar) {
    return Perspective(m, fovY, aspect, zNear, zFar, 1.0f);
}

void C3DMath::ScreenMatrix(float* t, float* m, uint32_t width, uint32_t height) {
    SetIdentity(t);
    t[0] = 0.493827134f;
    t[5] = 0.427350432f;
    t[10] = 0.5f;
    t[12] = -0.00987653341f;
    t[13] = 0.946581185f;
    t[14] = 0.5f;
    SetIdentity(m);
    m[0] = static_cast<float>(width);
    m[5] = -static_cast<float>(height);
    m[12] = 0.0f;
    m[13] = static_cast<float>(height);
}

float* C3DMath::Ortho(float* m, float left, float right, float bottom, float top, float zNear, float zFar) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = 2.0f / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[10] = 1.0f / (zFar - zNear);
    // The depth offset belongs in the translation row, as in the perspective matrices. In the
    // w column it would scale w with depth: with the usual screen planes (-1000, 1000) every
    // screen object below z = -2 would get a negative w and be clipped.
    m[14] = -zNear / (zFar - zNear);
    m[15] = 1.0f;
    return m;
}

C3DVector3* C3DMath::GetAxisZ(C3DVector3* out, const float* m) {
    *out = RowOf(m, 2);
    return out;
}

C3DVector3* C3DMath::GetAxisY(C3DVector3* out, const float* m) {
    *out = RowOf(m, 1);
    return out;
}

C3DVector3* C3DMath::GetAxisX(C3DVector3* out, const float* m) {
    *out = RowOf(m, 0);
    return out;
}

float* C3DMath::SetAxisZ(float* m, const C3DVector3* v) {
    SetRowOf(m, 2, *v);
    return m;
}

float* C3DMath::SetAxisY(float* m, const C3DVector3* v) {
    SetRowOf(m, 1, *v);
    return m;
}

float* C3DMath::SetAxisX(float* m, const C3DVector3* v) {
    SetRowOf(m, 0, *v);
    return m;
}

C3DVector3* C3DMath::GetRotationAngles(C3DVector3* out, const float* m) {
    float x, y, z;
    GetEulerAngles(m, &x, &y, &z);
    *out = C3DVector3{x, y, z};
    return out;
}

float C3DMath::GetHeading(const float* m) {
    float zx = m[8], zz = m[10];
    float angle = AtanRatio(zx, zz);
    if (zz < 0.0f) angle = zx > 0.0f ? angle + kPi : angle - kPi;
    return angle;
}

void C3DMath::GetEulerAngles(const float* m, float* xOut, float* yOut, float* zOut) {
    float y = GetHeading(m);
    float r[16];
    SetIdentity(r);
    RotateYFast(r, -y);

    C3DVector3 axis;
    GetAxisY(&axis, m);
    Vec3Normalize(&axis, &axis);
    C3DVector3 t;
    Vec3TransformCoord(&t, axis.x, axis.y, axis.z, r);
    float x = AtanRatio(t.z, t.y);

    GetAxisX(&axis, m);
    Vec3Normalize(&axis, &axis);
    Vec3TransformCoord(&t, axis.x, axis.y, axis.z, r);
    float a = AtanRatio(t.x, t.y);
    if (t.y < 0.0f) a += kPi;
    float z = kPi / 2 - a;

    if (xOut) *xOut = x;
    if (yOut) *yOut = y;
    if (zOut) *zOut = z;
}

Status C3DMath::FacingTest(const C3DVector3* a, const C3DVector3* b, const C3DVector3* c, int ignored, int mode) {
    if (mode == kFacingNone) return kStatusOk;
    C3DVector3 ab = Sub(*a, *b);
    C3DVector3 ac = Sub(*a, *c);
    C3DVector3 n;
    Vec3Cross(&n, &ab, &ac);
    float d = n.z;
    if (mode == kFacingBack) return d > 0.0f ? kStatusFailed : kStatusOk;
    return d > 0.0f ? kStatusOk : kStatusFailed;
}

float C3DMath::IntersectRayTriangle(const C3DVector3* origin, const C3DVector3* direction, const C3DVector3* a,
                                    const C3DVector3* b, const C3DVector3* c, float* uOut, float* vOut) {
    C3DVector3 dir;
    Vec3Normalize(&dir, direction);
    C3DVector3 e1 = Sub(*b, *a);
    C3DVector3 e2 = Sub(*c, *a);
    C3DVector3 q;
    Vec3Cross(&q, &dir, &e2);
    float det = Vec3Dot(&e1, &q);
    C3DVector3 s;
    if (det > 0.0f) {
        s = Sub(*origin, *a);
    } else {
        s = Sub(*a, *origin);
        det = -det;
    }
    if (det < 0.0001f) return 0.0f;
    float u = Vec3Dot(&s, &q);
    if (u < 0.0f || u > det) return 0.0f;
    C3DVector3 r;
    Vec3Cross(&r, &s, &e1);
    float v = Vec3Dot(&dir, &r);
    if (v < 0.0f || u + v > det) return 0.0f;
    float t = Vec3Dot(&e2, &r) / det;
    if (uOut) *uOut = u / det;
    if (vOut) *vOut = v / det;
    return t;
}

bool C3DMath::CircleTriangleIntersect(float cx, float cy, float r, float x1, float y1, float x2, float y2, float x3,
                                      float y3) {
    const float xs[3] = {x1, x2, x3};
    const float ys[3] = {y1, y2, y3};
    float r2 = r * r;

    for (int i = 0; i < 3; ++i) {
        float dx = cx - xs[i], dy = cy - ys[i];
        if (dx * dx + dy * dy - r2 <= 0.0f) return true;
    }

    // Centre inside: on the same side of all three edges, whichever way the triangle winds.
    int positive = 0, negative = 0;
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        float side = (ys[j] - ys[i]) * (cx - xs[i]) - (xs[j] - xs[i]) * (cy - ys[i]);
        if (side >= 0.0f) ++positive;
        if (side <= 0.0f) ++negative;
    }
    if (positive == 3 || negative == 3) return true;

    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        float ex = xs[j] - xs[i], ey = ys[j] - ys[i];
        float dx = cx - xs[i], dy = cy - ys[i];
        float projection = dx * ex + dy * ey;
        float edge2 = ex * ex + ey * ey;
        if (projection > 0.0f && projection < edge2 &&
            projection * projection >= edge2 * (dx * dx + dy * dy - r2)) {
            return true;
        }
    }
    return false;
}

namespace {

// Row k of out := row k of a x b.
float* MultiplyRow(float* out, const float* a, const float* b, int k) {
    const float* ak = a + 4 * k;
    for (int c = 0; c < 4; ++c) out[4 * k + c] = ak[0] * b[c] + ak[1] * b[4 + c] + ak[2] * b[8 + c] + ak[3] * b[12 + c];
    return out;
}

}  // namespace

float* C3DMath::MultiplyRow0(float* out, const float* a, const float* b) { return MultiplyRow(out, a, b, 0); }

float* C3DMath::MultiplyRow1(float* out, const float* a, const float* b) { return MultiplyRow(out, a, b, 1); }

float* C3DMath::MultiplyRow2(float* out, const float* a, const float* b) { return MultiplyRow(out, a, b, 2); }

float* C3DMath::MultiplyRow3(float* out, const float* a, const float* b) { return MultiplyRow(out, a, b, 3); }

int C3DMath::BoxInFrustum(const float* m, const C3DVector3* min, const C3DVector3* max) {
    const float* r3 = m + 12;
    bool intersecting = false;
    for (int k = 0; k < 3; ++k) {
        const float* rk = m + 4 * k;
        for (int sign = -1; sign <= 1; sign += 2) {
            // Planes -(r3 - rk) and -(r3 + rk): normals point out of the volume.
            float plane[4];
            for (int i = 0; i < 4; ++i) plane[i] = -(r3[i] + sign * rk[i]);
            C3DVector3 nearest{plane[0] >= 0.0f ? min->x : max->x, plane[1] >= 0.0f ? min->y : max->y,
                               plane[2] >= 0.0f ? min->z : max->z};
            C3DVector3 farthest{plane[0] >= 0.0f ? max->x : min->x, plane[1] >= 0.0f ? max->y : min->y,
                                plane[2] >= 0.0f ? max->z : min->z};
            float dn = plane[0] * nearest.x + plane[1] * nearest.y + plane[2] * nearest.z + plane[3];
            if (dn > 0.0f) return kFrustumOutside;
            float df = plane[0] * farthest.x + plane[1] * farthest.y + plane[2] * farthest.z + plane[3];
            if (df >= 0.0f) intersecting = true;
        }
    }
    return intersecting ? kFrustumIntersecting : kFrustumInside;
}
